// The grid core's window messages beyond the mouse: size, focus and activation, colours of the current
// cell's control, commands, system settings and the layout lock of the windows around the grid.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLocale.h"
#include "platform/gdi/DC.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {

HWND Hwnd(CWnd* wnd) { return wnd ? wnd->GetSafeHwnd() : nullptr; }

bool IsWithin(HWND parent, HWND h) { return h && parent && (h == parent || ::IsChild(parent, h)); }

BOOL FrameMaximized(CWnd* wnd) {
  CFrameWnd* frame = wnd ? wnd->GetParentFrame() : nullptr;
  return frame && frame->GetSafeHwnd() && frame->IsZoomed();
}

}  // namespace

// Takes back the repaint a new size asked for, but only over what the grid has drawn: what was due
// before (a raise's uncovered part) stays due.
static void ValidateDrawn(HWND hwnd, std::vector<CRect>& due) {
  ::ValidateRect(hwnd, nullptr);
  for (const CRect& r : due) ::InvalidateRect(hwnd, &r, FALSE);
  due.clear();
}

BOOL CGXGridCore::OnSize(UINT nType, int cx, int cy) {
  ForgetLastVisible();
  const HWND hwnd = Hwnd(m_pGridWnd);
  const BOOL maximized = FrameMaximized(m_pGridWnd);
  if (nType != SIZE_RESTORED) {
    m_bPrevMaximized = maximized;
    return FALSE;
  }
  if (m_nLayoutLock) {
    // The windows around are laid out anew: nothing repaints until the lock ends.
    if (maximized == m_bPrevMaximized && hwnd) ValidateDrawn(hwnd, m_rectsDueBeforeSize);
    return TRUE;
  }
  if (auto* split = dynamic_cast<CSplitterWnd*>(m_pSplitterWnd)) {
    int row = 0, col = 0;
    if (split->IsChildPane(m_pGridWnd, &row, &col)) m_nSplitRow = row, m_nSplitCol = col;
  }
  CRect window;
  if (hwnd) ::GetWindowRect(hwnd, &window);
  if (hwnd && m_pParam && m_pParam->m_bSmartResize && !m_bGridRectSet && m_pGridWnd->GetParentFrame() &&
      (m_szPrevSize.cx || m_szPrevSize.cy) && window.TopLeft() == m_rectPrevWnd.TopLeft()) {
    if (maximized == m_bPrevMaximized) {
      // Only the strips the new size uncovers repaint.
      ValidateDrawn(hwnd, m_rectsDueBeforeSize);
      const CRect was(0, 0, m_szPrevSize.cx, m_szPrevSize.cy);
      const LONG lastX = std::min<LONG>(ScrollOriginX() + SumClientColWidths(GetClientCol(GetLeftCol()), GetColCount(), was.right), was.right);
      const LONG lastY = std::min<LONG>(ScrollOriginY() + SumClientRowHeights(GetClientRow(GetTopRow()), GetRowCount(), was.bottom), was.bottom);
      if (cx > lastX) {
        const CRect strip(std::max<LONG>(0, lastX - 1), 0, cx, cy);
        ::InvalidateRect(hwnd, &strip, FALSE);
        ::UpdateWindow(hwnd);
      }
      if (cy > lastY) {
        const CRect strip(0, std::max<LONG>(0, lastY - 1), cx, cy);
        ::InvalidateRect(hwnd, &strip, FALSE);
        ::UpdateWindow(hwnd);
      }
    } else {
      ::InvalidateRect(hwnd, nullptr, FALSE);
      ::UpdateWindow(hwnd);
    }
  }
  if (hwnd && m_pParam) {
    // A column wider than the view is shown as wide as the view, its header centred there: where
    // that width changed, the column and all after it are drawn anew (rows alike).
    CRect g;
    GetGridRect(&g);
    for (const BOOL rows : {FALSE, TRUE}) {
      const LONG at = FirstSizeFollowingView(rows, rows ? m_szPrevSizeLimit.cy : m_szPrevSizeLimit.cx);
      if (at < 0) continue;
      CRect strip = g;
      (rows ? strip.top : strip.left) = std::max<LONG>(rows ? g.top : g.left, (rows ? g.top : g.left) + at - 1);
      ::InvalidateRect(hwnd, &strip, FALSE);
    }
  }
  if (m_bInitialized) {
    TakeCharSize();
    UpdateWindow();
    RefreshScrollBars(FALSE, FALSE);
  }
  if (hwnd && ::IsWindowVisible(hwnd)) {
    const BOOL vbar = ::GetWindowLongPtr(hwnd, GWL_STYLE) & WS_VSCROLL, hbar = ::GetWindowLongPtr(hwnd, GWL_STYLE) & WS_HSCROLL;
    m_szPrevSize = CSize(cx - (vbar ? ::GetSystemMetrics(SM_CXVSCROLL) : 0), cy - (hbar ? ::GetSystemMetrics(SM_CYHSCROLL) : 0));
    m_rectPrevWnd = window;
    m_szPrevSizeLimit = CSize(ScrolledSizeLimit(FALSE), ScrolledSizeLimit(TRUE));
  } else {
    m_szPrevSize = CSize(0, 0);
    m_szPrevSizeLimit = CSize(-1, -1);
  }
  m_bPrevMaximized = maximized;
  m_rectsDueBeforeSize.clear();
  return TRUE;
}

LONG CGXGridCore::FirstSizeFollowingView(BOOL bRows, LONG nWasLimit) {
  const LONG now = ScrolledSizeLimit(bRows);
  if (nWasLimit < 0 || now == nWasLimit || !m_pParam) return -1;
  CRect g;
  GetGridRect(&g);
  const ROWCOL frozen = bRows ? GetFrozenRows() : GetFrozenCols(), count = bRows ? GetRowCount() : GetColCount();
  const LONG extent = bRows ? g.Height() : g.Width(), low = std::min(now, nWasLimit);
  LONG pos = bRows ? SumRowHeights(0, frozen) : SumColWidths(0, frozen), found = -1;
  const StoredSizes stored(*this, bRows, !bRows);
  for (ROWCOL i = std::max<ROWCOL>(frozen + 1, bRows ? GetTopRow() : GetLeftCol()); i <= count && pos < extent; ++i) {
    const LONG own = bRows ? GetRowHeight(i) : GetColWidth(i);
    if (own > low) {
      found = pos;
      break;
    }
    pos += own;
  }
  return found;
}

BOOL CGXGridCore::OnShowWindow(BOOL bShow, UINT) {
  if (!bShow) {
    m_bLayoutChanged = FALSE;
    ForgetLastVisible();
  }
  return TRUE;
}

BOOL CGXGridCore::OnSetFocus(CWnd* pOldWnd) {
  if (m_bIgnoreFocus) return FALSE;
  if (!IsWithin(Hwnd(m_pGridWnd), Hwnd(pOldWnd)) || Hwnd(pOldWnd) == Hwnd(m_pGridWnd)) OnActivateGrid(TRUE);
  m_pLastFocusWnd = pOldWnd;
  if (m_bRefreshOnFocus)
    if (CGXControl* control = GetCurrentCellControl()) control->Refresh();
  m_bRefreshOnFocus = FALSE;
  return TRUE;
}

BOOL CGXGridCore::OnKillFocus(CWnd* pNewWnd) {
  if (m_bIgnoreFocus || IsWithin(Hwnd(m_pGridWnd), Hwnd(pNewWnd))) return FALSE;
  OnActivateGrid(FALSE);
  return TRUE;
}

BOOL CGXGridCore::OnActivateGrid(BOOL bActivate) {
  m_bActive = bActivate;
  if (bActivate) GXGetLibraryData().m_pLastActiveGrid = this;
  if (m_bInCanSwitchSheet || !m_pParam || m_bInWarning) return FALSE;
  const HWND hwnd = Hwnd(m_pGridWnd);
  if (!bActivate && hwnd && ::GetCapture() == hwnd) ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
  BOOL ok = TRUE;
  ROWCOL row, col;
  CGXControl* control = GetCurrentCell(row, col) ? GetCurrentCellControl() : nullptr;
  // An open drop-down closes by its own rule before the cell's text is judged.
  if (control && !bActivate && m_bDropDownOpen) control->OnGridWindowMessage(WM_CANCELMODE, 0, 0);
  if (control && !bActivate) {
    if (!control->IsActive()) {
      RedrawRowCol(row, col, row, col);
    } else if (!CanSelectCurrentCell(FALSE, 0, (ROWCOL)-1, 0, (ROWCOL)-1) || (control->GetModify() && !control->Store())) {
      ok = FALSE;  // the edit stays for the user to mend
    } else {
      control->SetActive(FALSE);
      control->SetModify(FALSE);
      control->Refresh();
    }
  } else if (control) {
    if (m_pParam->m_wActivateFlags & 0x04) control->SetActive(TRUE);
    control->Refresh();
  }
  if (bActivate) {
    TakeCharSize();
    RefreshScrollBars(FALSE, FALSE);
  }
  m_bLayoutChanged = FALSE;
  return ok;
}

BOOL CGXGridCore::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message, LRESULT* pResult) {
  LRESULT ignored = 0;
  LRESULT& result = pResult ? *pResult : ignored;
  // Otherwise the current cell's control answers.
  auto control = [&]() -> BOOL {
    CGXControl* ctl = m_bInitialized ? GetCurrentCellControl() : nullptr;
    int answer = 0;
    if (!ctl || !ctl->OnGridMouseActivate(pDesktopWnd, nHitTest, message, answer)) return FALSE;
    result = answer;
    return TRUE;
  };
  const HWND hwnd = Hwnd(m_pGridWnd);
  if (!hwnd || !m_pParam || !m_pParam->m_bTakeFocusOnMouse || nHitTest != HTCLIENT) return control();
  CFrameWnd* frame = m_pGridWnd->GetParentFrame();
  const HWND last = Hwnd(m_pLastFocusWnd);
  if (!last || last == hwnd || (frame && frame->GetSafeHwnd() && ::GetActiveWindow() != frame->GetSafeHwnd() &&
                                ::GetActiveWindow() != ::GetAncestor(frame->GetSafeHwnd(), GA_ROOT)))
    return control();
  // A child of the grid that kept the focus keeps it.
  if (::IsChild(hwnd, last)) return control();
  m_pGridWnd->SetFocus();
  m_pLastFocusWnd = m_pGridWnd;
  result = MA_ACTIVATEANDEAT;
  return TRUE;
}

HBRUSH CGXGridCore::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  ROWCOL row, col;
  if (!pDC || !m_pParam || !GetCurrentCell(row, col)) return nullptr;
  CGXControl* control = GetCurrentCellControl();
  if (!control) return nullptr;
  if (HBRUSH own = control->OnGridCtlColor(pDC, pWnd, nCtlColor)) return own;
  const CGXStyle& style = LookupStyleRowCol(row, col);
  pDC->SetTextColor(style.GetTextColor());
  const CGXBrushValue& interior = style.GetInterior();
  pDC->SetBkColor(interior.GetStyle() == BS_SOLID ? interior.GetColor() : interior.GetBkColor());
  CBrush* brush = LookupBrush(interior);
  return brush ? (HBRUSH)brush->m_hObject : nullptr;
}

BOOL CGXGridCore::OnSysColorChange() {
  GXGetSysColorCache().Refresh();
  for (auto& entry : m_ControlMap)
    if (entry.second) entry.second->OnGridSysColorChange();
  return TRUE;
}

BOOL CGXGridCore::OnSettingChange(UINT uFlags, LPCTSTR pszSection) {
  GXUpdateLocaleDateTimeSettings();
  for (auto& entry : m_ControlMap)
    if (entry.second) entry.second->OnGridSettingChange(uFlags, pszSection);
  if (const HWND hwnd = Hwnd(m_pGridWnd)) ::InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

void CGXGridCore::SetLockInvalidate(BOOL bLock) {
  m_nLayoutLock = bLock ? 1 : 0;
  if (!bLock)
    if (const HWND hwnd = Hwnd(m_pGridWnd)) ::InvalidateRect(hwnd, nullptr, FALSE);
}
