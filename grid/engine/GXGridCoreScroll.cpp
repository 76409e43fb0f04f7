// The grid core's scrolling: by whole rows and columns, with the pixels moved by the window where
// possible, scroll bars scaled for more rows than a bar can count, split panes kept in step and
// the auto-scroll loop while the mouse is held outside the grid.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "platform/core/Clock.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Rows (columns) scrolled by a thumb jump farther than this are redrawn, not moved.
constexpr ROWCOL kMaxMovedRows = 64;

// A sheet hidden behind the other sheets of its tab window: the bars it borrows show the sheet shown.
bool HiddenSheet(const CGXGridCore& grid, int nBar) {
  return !(grid.m_pGridWnd->GetStyle() & WS_VISIBLE) && grid.GetScrollBarCtrl(nBar);
}

}  // namespace

int CGXGridCore::ScrollOriginY() {
  CRect area;
  GetGridRect(&area);
  return area.top + (int)SumRowHeights(0, GetFrozenRows());
}

int CGXGridCore::ScrollOriginX() {
  CRect area;
  GetGridRect(&area);
  return area.left + (int)SumColWidths(0, GetFrozenCols());
}

namespace {

// The largest first scrolled row (column): counted back from the last one while they fit.
template <class SIZE>
ROWCOL MaxTop(ROWCOL count, ROWCOL first, long room, SIZE size) {
  if (count < first) return first;
  long sum = 0;
  for (ROWCOL r = count;; --r) {
    sum += size(r);
    if (sum >= room) return r < count ? r + 1 : count;
    if (r <= first) return first;
  }
}

}  // namespace

ROWCOL CGXGridCore::CalcMaxTopRow() {
  CRect area;
  GetGridRect(&area);
  return MaxTop(GetRowCount(), GetFrozenRows() + 1, area.bottom - ScrollOriginY(),
                [this](ROWCOL r) { return GetRowHeight(r); });
}

ROWCOL CGXGridCore::CalcMaxLeftCol() {
  CRect area;
  GetGridRect(&area);
  return MaxTop(GetColCount(), GetFrozenCols() + 1, area.right - ScrollOriginX(),
                [this](ROWCOL c) { return GetColWidth(c); });
}

// ---- scroll bars -----------------------------------------------------------------------------------------------

UINT CGXGridCore::SetScrollBarBehaviour(int nBar, UINT nMode, BOOL bApply) {
  if (nBar == SB_VERT || nBar == SB_BOTH) m_nVScrollMode = nMode;
  if (nBar == SB_HORZ || nBar == SB_BOTH) m_nHScrollMode = nMode;
  if (bApply && m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
    if (nMode == 0) m_pGridWnd->ShowScrollBar(SB_BOTH, FALSE);
    else if (nMode & 1) m_pGridWnd->ShowScrollBar(SB_BOTH, TRUE);
    else if (nMode & 2) RefreshScrollBars(TRUE, FALSE);
  }
  return nMode;
}

BOOL CGXGridCore::LockScrollBars(BOOL bLock) {
  const BOOL bOld = m_bLockScrollBars;
  m_bLockScrollBars = bLock;
  if (!bLock) RefreshScrollBars(TRUE, FALSE);
  return bOld;
}

void CGXGridCore::SetScrollRange(int nBar, int nFirst, int nLast, BOOL bRedraw) {
  const UINT mode = nBar == SB_VERT ? m_nVScrollMode : m_nHScrollMode;
  if (mode == 0 || !m_pGridWnd || !m_pGridWnd->GetSafeHwnd() || HiddenSheet(*this, nBar)) return;
  const int factor = std::max(nLast, 0) / 32767 + 1;
  (nBar == SB_VERT ? m_nSBThumbFactorV : m_nSBThumbFactorH) = factor;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = nFirst / factor;
  info.nMax = nLast / factor;
  info.nPage = 0;
  if (info.nMax < info.nMin) info.nMin = info.nMax, info.nPage = 1;
  SCROLLINFO all{};
  all.cbSize = sizeof all;
  if ((mode & 8) && m_pGridWnd->GetScrollInfo(nBar, &all, SIF_ALL)) {
    // The thumb shows the visible share of the rows.
    const long count = (long)(nBar == SB_VERT ? GetRowCount() : GetColCount());
    info.nMax = (int)(count / factor);
    info.nPage = (UINT)std::max<long>(0, (count + 1 - nLast) / factor);
  }
  // An unchanged bar is not drawn again.
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  const BOOL same = m_pGridWnd->GetScrollInfo(nBar, &now, SIF_RANGE | SIF_PAGE) && now.nMin == info.nMin &&
                    now.nMax == info.nMax && now.nPage == info.nPage;
  if (!same) m_pGridWnd->SetScrollInfo(nBar, &info, bRedraw);
  m_bScrollbarsSet = TRUE;
}

int CGXGridCore::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
  const UINT mode = nBar == SB_VERT ? m_nVScrollMode : m_nHScrollMode;
  if (mode == 0 || !m_pGridWnd || !m_pGridWnd->GetSafeHwnd() || HiddenSheet(*this, nBar)) return 0;
  const int factor = std::max(1, nBar == SB_VERT ? m_nSBThumbFactorV : m_nSBThumbFactorH);
  const int pos = nPos < factor ? 0 : nPos / factor, old = m_pGridWnd->GetScrollPos(nBar);
  // Even an unchanged position redraws: a range set just before without redraw shows with it.
  m_pGridWnd->SetScrollPos(nBar, pos, bRedraw);
  return old * factor;
}

int CGXGridCore::GetScrollPos(int nBar) {
  if (!m_pGridWnd || !m_pGridWnd->GetSafeHwnd()) return 0;
  return m_pGridWnd->GetScrollPos(nBar) * std::max(1, nBar == SB_VERT ? m_nSBThumbFactorV : m_nSBThumbFactorH);
}

void CGXGridCore::GetScrollRange(int nBar, int& nFirst, int& nLast) {
  nFirst = nLast = 0;
  if (!m_pGridWnd || !m_pGridWnd->GetSafeHwnd()) return;
  m_pGridWnd->GetScrollRange(nBar, &nFirst, &nLast);
  const int factor = std::max(1, nBar == SB_VERT ? m_nSBThumbFactorV : m_nSBThumbFactorH);
  nFirst *= factor, nLast *= factor;
}

void CGXGridCore::RefreshScrollBars(BOOL bDeferRedraw, BOOL bOnlyIfCountsChanged) {
  CWnd* wnd = m_pGridWnd;
  if (!m_bInitialized || !m_pParam || m_bInUpdateScrollbars || m_bLockScrollBars || m_pParam->m_bLockScrollbars) return;
  if (!wnd || !wnd->GetSafeHwnd()) return;
  if (GetParentTabWnd() && !m_bActive && !wnd->IsWindowVisible()) return;
  if (m_bPrinting) {
    wnd->ShowScrollBar(SB_BOTH, FALSE);
    return;
  }
  CRect client;
  wnd->GetClientRect(&client);
  if ((!m_nVScrollMode && !m_nHScrollMode) || client.IsRectEmpty()) return;
  const ROWCOL rows = m_nVScrollMode ? GetRowCount() : 0, cols = m_nHScrollMode ? GetColCount() : 0;
  if (bOnlyIfCountsChanged && rows == m_nLastSBRowCount && cols == m_nLastSBColCount) return;
  m_nCachedPosV = m_nCachedPosH = -1;
  const ROWCOL firstRow = GetFrozenRows() + 1, firstCol = GetFrozenCols() + 1;
  // A table that became shorter scrolls back so that no empty space shows below it. Scrolling back
  // repaints, and the bars set meanwhile may change the room: each extent is measured when it is used.
  if (const ROWCOL maxTop = CalcMaxTopRow(); (m_nVScrollMode & 8) && m_nTopRow > firstRow && m_nTopRow > maxTop) {
    SetTopRow(maxTop, GX_UPDATENOW, TRUE);
    UpdateWindow();
  }
  if (const ROWCOL maxLeft = CalcMaxLeftCol(); (m_nHScrollMode & 8) && m_nLeftCol > firstCol && m_nLeftCol > maxLeft) {
    SetLeftCol(maxLeft, GX_UPDATENOW, TRUE);
    UpdateWindow();
  }
  m_bInUpdateScrollbars = TRUE;
  const ROWCOL top = GetTopRow(), left = GetLeftCol();
  bool changed[2] = {false, false};
  auto apply = [&](int bar, UINT mode, ROWCOL first, ROWCOL largest, ROWCOL pos) -> bool {
    const DWORD styleBit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    const bool shown = (wnd->GetStyle() & styleBit) != 0;
    bool show = shown;
    switch (mode & ~8u) {
      case 0: show = false; break;
      case 1: show = true; break;
      case 2: show = pos > first || largest > first; break;
      default: break;
    }
    if (mode & ~8u & 7) {
      if (show || (mode & 4)) {
        SetScrollRange(bar, (int)first, (int)largest, (mode & 4) != 0);
        SetScrollPos(bar, (int)pos, (mode & 4) != 0);
      }
    }
    if (!(mode & 4) && show != shown) {
      // The bar sizes the window, and a smart resize repaints only what the new size uncovers: what
      // was due before (a redraw under way) is still due.
      CRect due;
      const BOOL pending = wnd->GetUpdateRect(&due, FALSE);
      wnd->ShowScrollBar(bar, show);
      if (pending) wnd->InvalidateRect(&due, FALSE);
      changed[bar] = true;
      // A paint under way measured the old room: it stops and a new one follows.
      m_bLayoutChanged = TRUE;
      return true;
    }
    return false;
  };
  // A bar that comes or goes changes the room the other one measures.
  apply(SB_VERT, m_nVScrollMode, firstRow, CalcMaxTopRow(), top);
  if (apply(SB_HORZ, m_nHScrollMode, firstCol, CalcMaxLeftCol(), left))
    apply(SB_VERT, m_nVScrollMode, firstRow, CalcMaxTopRow(), top);
  if (!bDeferRedraw && (changed[0] || changed[1])) {
    m_dxCachedExtent = m_dyCachedExtent = 0;
    UpdateWindow();
    wnd->GetClientRect(&client);
    if (changed[SB_VERT]) {
      const int w = 2 * ::GetSystemMetrics(SM_CXVSCROLL);
      CRect strip(client.right - w, client.top, client.right, client.bottom);
      wnd->InvalidateRect(&strip);
    }
    if (changed[SB_HORZ]) {
      const int h = 2 * ::GetSystemMetrics(SM_CYHSCROLL);
      CRect strip(client.left, client.bottom - h, client.right, client.bottom);
      wnd->InvalidateRect(&strip);
    }
    UpdateWindow();
  }
  SetScrollPos(SB_VERT, (int)top, TRUE);
  SetScrollPos(SB_HORZ, (int)left, TRUE);
  m_nLastSBRowCount = rows, m_nLastSBColCount = cols;
  m_bInUpdateScrollbars = FALSE;
}

// ---- scrolling -------------------------------------------------------------------------------------------------

// The bars a sheet borrows overlap its window's edge and repaint after each paint of it: their pixels
// that a move carries into the grid are not the grid's and paint again.
int CGXGridCore::MoveGridPixels(int dx, int dy, const CRect& scroll, const CRect& clip, UINT flags) {
  const int r = m_pGridWnd->ScrollWindowEx(dx, dy, &scroll, &clip, nullptr, nullptr, flags);
  for (int bar : {SB_HORZ, SB_VERT}) {
    CScrollBar* ctl = GetScrollBarCtrl(bar);
    if (!ctl || !ctl->GetSafeHwnd() || !ctl->IsWindowVisible() || ctl->GetParent() == m_pGridWnd) continue;
    CRect over, moved;
    ctl->GetWindowRect(&over);
    m_pGridWnd->ScreenToClient(&over);
    if (!moved.IntersectRect(&scroll, &clip) || !over.IntersectRect(&over, &moved)) continue;
    over.OffsetRect(dx, dy);
    if (over.IntersectRect(&over, &clip)) m_pGridWnd->InvalidateRect(&over);
  }
  return r;
}

int CGXGridCore::ScrollWindowBy(BOOL bVertical, int nPixels) {
  CRect area;
  GetGridRect(&area);
  CRect rect = area;
  if (bVertical) rect.top = ScrollOriginY();
  else rect.left = ScrollOriginX();
  if (rect.IsRectEmpty() || !m_pGridWnd || !m_pGridWnd->GetSafeHwnd()) return 0;
  const int extent = bVertical ? rect.Height() : rect.Width();
  if (std::abs(nPixels) < extent)
    return MoveGridPixels(bVertical ? 0 : nPixels, bVertical ? nPixels : 0, rect, rect,
                          SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  m_pGridWnd->InvalidateRect(&rect);
  return 0;
}

BOOL CGXGridCore::DoScroll(int direction, ROWCOL nCount) {
  if (!m_pParam || nCount == 0 || direction < GX_UP || direction > GX_RIGHT) return FALSE;
  m_nCachedPosV = m_nCachedPosH = -1;
  const bool vertical = direction == GX_UP || direction == GX_DOWN;
  auto size = [&](ROWCOL n) { return vertical ? GetRowHeight(n) : GetColWidth(n); };
  const ROWCOL first = std::max<ROWCOL>(1, (vertical ? GetFrozenRows() : GetFrozenCols()) + 1);
  ROWCOL& topRef = vertical ? m_nTopRow : m_nLeftCol;
  const ROWCOL top = topRef;
  CRect area;
  GetGridRect(&area);
  const long room = vertical ? area.bottom - ScrollOriginY() : area.right - ScrollOriginX();
  ROWCOL newTop = top;
  long pixels = 0;
  if (direction <= GX_LEFT) {
    for (ROWCOL n = 0; newTop > first && n < nCount && pixels < room;) {
      const int s = size(--newTop);
      pixels += s;
      if (s > 0) ++n;
    }
    if (newTop >= top) return FALSE;
  } else {
    const ROWCOL maxTop = vertical ? CalcMaxTopRow() : CalcMaxLeftCol();
    if (top >= maxTop) return FALSE;
    newTop = top + std::min<ROWCOL>(nCount, maxTop - top);
    while (newTop < maxTop && size(newTop) == 0) ++newTop;
    for (ROWCOL n = top; n < newTop && pixels < room; ++n) pixels += size(n);
  }
  if (!(vertical ? CanChangeTopRow(top, newTop) : CanChangeLeftCol(top, newTop))) return FALSE;
  const BOOL bMoving = m_bMovingCurrentCell;
  m_bMovingCurrentCell = TRUE;
  // The marker frame's open and closed sides and its handle follow what is on screen: it goes before
  // the pixels move and is drawn anew after.
  const BOOL markerHidden = ShowSelectionMarker(TRUE, FALSE);
  (vertical ? m_nOldTopRow : m_nOldLeftCol) = top;
  topRef = newTop;

  // An active control whose cell leaves the area is hidden before the pixels move.
  ROWCOL r, c;
  CGXControl* control = GetCurrentCell(r, c) ? GetControl(r, c) : nullptr;
  if (control && control->IsActive()) {
    const ROWCOL n = vertical ? r : c, frozen = first - 1;
    if (n > frozen && (n < newTop || n >= (vertical ? LastRowInView() : LastColInView()))) control->Hide();
  }
  ScrollWindowBy(vertical, direction <= GX_LEFT ? (int)pixels : -(int)pixels);
  SetScrollPos(vertical ? SB_VERT : SB_HORZ, (int)newTop, TRUE);
  if (newTop == first && ((vertical ? m_nVScrollMode : m_nHScrollMode) & 2)) RefreshScrollBars(TRUE, FALSE);
  if (vertical) OnTopRowChanged();
  else OnLeftColChanged();
  UpdateWindow();
  ShowSelectionMarker(markerHidden, FALSE);
  m_bMovingCurrentCell = bMoving;
  (vertical ? m_nOldTopRow : m_nOldLeftCol) = 0;
  return TRUE;
}

ROWCOL CGXGridCore::LastColInView() {
  CRect area;
  GetGridRect(&area);
  const ROWCOL cols = GetColCount();
  long x = ScrollOriginX();
  ROWCOL c = GetLeftCol();
  while (c < cols && x + GetColWidth(c) < area.right) x += GetColWidth(c++);
  return std::min(c, std::max<ROWCOL>(cols, 1));
}

BOOL CGXGridCore::ScrollGrid(int direction, ROWCOL nCount) {
  if (direction < GX_UP || direction > GX_RIGHT) return TRUE;
  if (!DoScroll(direction, nCount)) return FALSE;
  auto* split = dynamic_cast<CSplitterWnd*>(m_pSplitterWnd);
  if (!split || !::IsWindow(split->GetSafeHwnd())) return TRUE;
  const bool vertical = direction == GX_UP || direction == GX_DOWN;
  if (vertical ? split->GetColumnCount() < 2 : split->GetRowCount() < 2) return TRUE;
  const int row = vertical ? m_nSplitRow : 1 - m_nSplitRow, col = vertical ? 1 - m_nSplitCol : m_nSplitCol;
  CWnd* paneWnd = split->GetPane(row, col);
  auto* pane = dynamic_cast<CGXGridCore*>(paneWnd);
  if (!pane || pane == this) return TRUE;
  // The pane beside follows; only the pane the hint names takes it.
  CGXGridHint hint(vertical ? gxHintSetTopRow : gxHintSetLeftCol, -1);
  hint.m_nRow1 = m_nTopRow;
  hint.m_nCol1 = m_nLeftCol;
  hint.m_pHintPtr = paneWnd;
  hint.m_flags = 2;
  pane->OnGridUpdate(nullptr, 0, &hint);
  pane->SetScrollPos(vertical ? SB_VERT : SB_HORZ, (int)(vertical ? pane->m_nTopRow : pane->m_nLeftCol), TRUE);
  return TRUE;
}

void CGXGridCore::MoveTopLeft(BOOL bVertical, ROWCOL nNew, UINT flags) {
  const ROWCOL old = bVertical ? m_nTopRow : m_nLeftCol;
  if (nNew == old) return;
  // Near moves shift pixels; far ones redraw.
  if (nNew > old && nNew - old <= kMaxMovedRows && DoScroll(bVertical ? GX_DOWN : GX_RIGHT, nNew - old)) {
    if ((bVertical ? m_nTopRow : m_nLeftCol) == nNew) return;
  }
  if (bVertical) SetTopRow(nNew, flags, TRUE);
  else SetLeftCol(nNew, flags, TRUE);
  SetScrollPos(bVertical ? SB_VERT : SB_HORZ, (int)(bVertical ? m_nTopRow : m_nLeftCol), TRUE);
  if (bVertical) OnTopRowChanged();
  else OnLeftColChanged();
}

BOOL CGXGridCore::ScrollCellInView(ROWCOL nRow, ROWCOL nCol, UINT flags, BOOL bFloatCell) {
  if (!m_pParam || m_bPrinting) return FALSE;
  ROWCOL lastRow = nRow, lastCol = nCol;
  CGXRange span;
  if (GetCoveredCellsRowCol(nRow, nCol, span) || (bFloatCell && GetFloatedCellsRowCol(nRow, nCol, span))) {
    lastRow = std::max(lastRow, span.m_nBottom), lastCol = std::max(lastCol, span.m_nRight);
    if (nRow <= GetFrozenRows() && span.m_nBottom > GetFrozenRows()) nRow = GetFrozenRows() + 1;
    if (nCol <= GetFrozenCols() && span.m_nRight > GetFrozenCols()) nCol = GetFrozenCols() + 1;
  }
  CRect area;
  GetGridRect(&area);
  const ROWCOL topBefore = m_nTopRow, leftBefore = m_nLeftCol;
  // The first row (column) that keeps rows first..last in view, or first itself when they cannot all show.
  auto lowestTop = [](ROWCOL first, ROWCOL last, ROWCOL minTop, long room, auto size) {
    long sum = size(last);
    ROWCOL t = last;
    while (t > minTop && t > 2 && sum + size(t - 1) <= room) sum += size(--t);
    return std::min(t, first);
  };
  auto control = [&]() -> CWnd* {
    CGXControl* ctl = GetCurrentCellControl();
    return ctl && ctl->IsActive() ? ctl->GetWnd() : nullptr;
  };
  if (nRow > GetFrozenRows() && nRow <= GetRowCount()) {
    const long room = area.bottom - ScrollOriginY();
    if (nRow < m_nTopRow) {
      MoveTopLeft(TRUE, nRow, flags);
    } else if (ScrollOriginY() + SumRowHeights(m_nTopRow, std::min<ROWCOL>(lastRow, m_nTopRow + 4096)) > area.bottom) {
      if (CWnd* w = control(); w && w->GetSafeHwnd()) w->SendMessage(WM_VSCROLL, 0, 0);
      MoveTopLeft(TRUE, lowestTop(nRow, lastRow, GetFrozenRows() + 1, room, [this](ROWCOL r) { return GetRowHeight(r); }),
                  flags);
    }
  }
  if (nCol > GetFrozenCols() && nCol <= GetColCount()) {
    const long room = area.right - ScrollOriginX();
    if (nCol < m_nLeftCol) {
      MoveTopLeft(FALSE, nCol, flags);
    } else if (ScrollOriginX() + SumColWidths(m_nLeftCol, std::min<ROWCOL>(lastCol, m_nLeftCol + 4096)) > area.right) {
      if (CWnd* w = control(); w && w->GetSafeHwnd()) w->SendMessage(WM_HSCROLL, 0, 0);
      MoveTopLeft(FALSE, lowestTop(nCol, lastCol, GetFrozenCols() + 1, room, [this](ROWCOL c) { return GetColWidth(c); }),
                  flags);
    }
  }
  if (flags & (GX_UPDATENOW | GX_SMART)) UpdateWindow();
  return m_nTopRow != topBefore || m_nLeftCol != leftBefore;
}

BOOL CGXGridCore::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { return OnScrollBar(TRUE, nSBCode, nPos); }
BOOL CGXGridCore::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) { return OnScrollBar(FALSE, nSBCode, nPos); }

BOOL CGXGridCore::OnScrollBar(BOOL bVertical, UINT nSBCode, UINT nPos) {
  if (!m_bInitialized || m_nLockUpdate > 0) return FALSE;
  // The cell's control hears of the scroll first (a dropped list closes).
  if (CGXControl* control = GetCurrentCellControl())
    if (control->OnGridWindowMessage(bVertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(nSBCode, nPos), 0)) return TRUE;
  const ROWCOL top = bVertical ? m_nTopRow : m_nLeftCol;
  const ROWCOL first = (bVertical ? GetFrozenRows() : GetFrozenCols()) + 1;
  const ROWCOL count = bVertical ? GetRowCount() : GetColCount();
  if (count == 0 || count <= first) return TRUE;
  const ROWCOL maxTop = bVertical ? CalcMaxTopRow() : CalcMaxLeftCol();
  const ROWCOL page = std::max<ROWCOL>(1, (bVertical ? LastRowInView() : LastColInView()) - top);
  const int back = bVertical ? GX_UP : GX_LEFT, forth = bVertical ? GX_DOWN : GX_RIGHT;
  // The rows (columns) above the top one that fit into the scrolled part of the window.
  auto pageBack = [&] {
    CRect area;
    GetGridRect(&area);
    const long room = bVertical ? area.bottom - ScrollOriginY() : area.right - ScrollOriginX();
    long sum = 0;
    ROWCOL n = 0;
    for (ROWCOL r = top; r > first;) {
      const int s = bVertical ? GetRowHeight(--r) : GetColWidth(--r);
      if (sum + s > room) break;
      sum += s;
      ++n;
    }
    return std::max<ROWCOL>(1, n);
  };
  switch (nSBCode) {
    case SB_LINEUP: ScrollGrid(back, 1); break;
    case SB_LINEDOWN: ScrollGrid(forth, 1); break;
    case SB_PAGEUP:
      if (top > 1) ScrollGrid(back, pageBack());
      break;
    case SB_PAGEDOWN: ScrollGrid(forth, page); break;
    case SB_TOP: MoveTopLeft(bVertical, first, GX_UPDATENOW); break;
    case SB_BOTTOM: MoveTopLeft(bVertical, maxTop, GX_UPDATENOW); break;
    case SB_THUMBTRACK:
      if (!m_pParam || !m_pParam->m_bScrollThumbTrack) break;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      const int factor = std::max(1, bVertical ? m_nSBThumbFactorV : m_nSBThumbFactorH);
      const ROWCOL target = std::clamp<ROWCOL>((ROWCOL)nPos * (ROWCOL)factor, first, std::max(first, maxTop));
      MoveTopLeft(bVertical, target, GX_UPDATENOW);
      break;
    }
    default: break;
  }
  return TRUE;
}

BOOL CGXGridCore::AutoScroll(UINT nEndMessage, BOOL bVertical, BOOL bHorizontal) {
  const HWND hwnd = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr;
  if (!m_bAutoScroll || !hwnd) return FALSE;
  CRect area;
  GetGridRect(&area);
  area.top = ScrollOriginY();
  area.left = ScrollOriginX();
  const int rowStep = std::max(1, GetDefaultRowHeight()), colStep = std::max(1, 5 * m_nCharWidth);
  const DWORD start = ::GetTickCount();
  // Where the pointer was when the press that started this was taken from the queue.
  const DWORD pressPos = ::GetMessagePos();
  const POINT startPt{GET_X_LPARAM(pressPos), GET_Y_LPARAM(pressPos)};
  ::SetCapture(hwnd);
  // The button the end message releases: the loop also ends when it is up and its release went elsewhere.
  const int button = nEndMessage == WM_RBUTTONUP ? VK_RBUTTON : nEndMessage == WM_MBUTTONUP ? VK_MBUTTON : VK_LBUTTON;
  POINT reported = startPt;  // the press point: a click that does not move reports no move
  ::ScreenToClient(hwnd, &reported);
  auto mouseMove = [&](POINT pt) {
    reported = pt;
    ::SendMessage(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
  };
  for (;;) {
    MSG msg;
    if (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == nEndMessage) {
        // The pointer where the button came up is reported before the release itself.
        POINT at{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (msg.hwnd != hwnd) ::MapWindowPoints(msg.hwnd, hwnd, &at, 1);
        if (at.x != reported.x || at.y != reported.y) mouseMove(at);
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
        break;
      }
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage((int)msg.wParam);
        break;
      }
      if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == 27) {
        ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
        break;
      }
      if ((msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) || msg.message == WM_MOUSEMOVE) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessage(&msg);
      if (msg.message == WM_CANCELMODE || msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
          msg.message == WM_MBUTTONDOWN || ::GetCapture() != hwnd)
        break;
      continue;
    }
    if (!::IsWindow(hwnd)) break;
    POINT screen{};
    ::GetCursorPos(&screen);
    POINT pt = screen;
    ::ScreenToClient(hwnd, &pt);
    BOOL scrolled = FALSE;
    if (bVertical && pt.y < area.top) scrolled = ScrollGrid(GX_UP, (ROWCOL)((area.top - pt.y) / rowStep + 1));
    else if (bVertical && pt.y > area.bottom) scrolled = ScrollGrid(GX_DOWN, (ROWCOL)((pt.y - area.bottom) / rowStep + 1));
    if (!scrolled && bHorizontal && pt.x < area.left) scrolled = ScrollGrid(GX_LEFT, (ROWCOL)((area.left - pt.x) / colStep + 1));
    else if (!scrolled && bHorizontal && pt.x > area.right)
      scrolled = ScrollGrid(GX_RIGHT, (ROWCOL)((pt.x - area.right) / colStep + 1));
    if (scrolled) {
      mouseMove(pt);
      continue;
    }
    if (::GetAsyncKeyState(button) >= 0) {
      // Released where the window did not hear it: end as a release here.
      if (pt.x != reported.x || pt.y != reported.y) mouseMove(pt);
      ::SendMessage(hwnd, nEndMessage, 0, MAKELPARAM(pt.x, pt.y));
      break;
    }
    const long moved = std::abs(screen.x - startPt.x) + std::abs(screen.y - startPt.y);
    // A held child button repeats on mouse moves: it hears the pointer on every pass, still or not.
    const CGXControl* current = GetCurrentCellControl();
    if ((current && current->HasCaptureChild()) ||
        ((::GetTickCount() - start >= 750 || moved >= 6) && (pt.x != reported.x || pt.y != reported.y)))
      mouseMove(pt);
    ::Sleep(1);  // nothing to do until the mouse or a message moves
  }
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  return TRUE;
}
