// The grid core's navigation: moving the current cell by direction, keys and mouse clicks, with
// the selection that Shift extends.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXSortInfo.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {

bool KeyDown(int vk) { return ::GetKeyState(vk) < 0; }

}  // namespace

BOOL CGXGridCore::FindNextSelectableCell(int direction, ROWCOL& nRow, ROWCOL& nCol) {
  // A header cell is a start like any other (a header click makes it current); stepping up or left
  // stops at row or column 1 all the same.
  if (direction < GX_UP || direction > GX_RIGHT) return FALSE;
  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  const bool vertical = direction == GX_UP || direction == GX_DOWN;
  ROWCOL r = nRow, c = nCol;
  for (;;) {
    if (r <= rows && c <= cols && (vertical ? GetRowHeight(r) : GetColWidth(c)) > 0) {
      CGXRange covered;
      const bool hidden = GetCoveredCellsRowCol(r, c, covered) && (covered.m_nTop != r || covered.m_nLeft != c);
      if (!hidden) {
        CGXStyle* style = CreateStyle();
        ComposeStyleRowCol(r, c, style, TRUE);
        const bool enabled = !style->GetIncludeEnabled() || style->GetEnabled();
        RecycleStyle(style);
        if (enabled) {
          nRow = r, nCol = c;
          return TRUE;
        }
      }
    }
    ROWCOL& n = vertical ? r : c;
    const ROWCOL last = vertical ? rows : cols;
    if (direction <= GX_LEFT) {
      if (n <= 1) return FALSE;
      --n;
    } else {
      if (n >= last) return FALSE;
      ++n;
    }
  }
}

// The last row (column) that shows, at least partly, in the grid area.
ROWCOL CGXGridCore::LastRowInView() {
  CRect area;
  GetGridRect(&area);
  const ROWCOL rows = GetRowCount();
  long y = ScrollOriginY();
  ROWCOL r = GetTopRow();
  while (r < rows && y + GetRowHeight(r) < area.bottom) y += GetRowHeight(r++);
  return std::min(r, std::max<ROWCOL>(rows, 1));
}

BOOL CGXGridCore::MoveCurrentCell(int direction, UINT nCell, BOOL bCanSelectRange) {
  if (!m_pParam) return FALSE;
  const ROWCOL count = nCell < 1 ? 1 : nCell;
  const BOOL bMoving = m_bMovingCurrentCell, bNoRedraw = m_bNoRedraw;
  m_bMovingCurrentCell = TRUE;
  CGXControl* current = GetCurrentCellControl();
  if (!current || !current->GetModify()) m_nLastDrawnRow = m_nLastDrawnCol = -2;

  ROWCOL r = 0, c = 0;
  const BOOL bValid = GetCurrentCell(r, c);
  if (!bValid) r = std::min(r, GetRowCount()), c = std::min(c, GetColCount());
  ROWCOL dy = 0, dx = 0;
  CGXRange covered;
  if (GetCoveredCellsRowCol(r, c, covered)) dy = covered.m_nBottom - covered.m_nTop, dx = covered.m_nRight - covered.m_nLeft;

  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  const ROWCOL headerRows = GetHeaderRows(), headerCols = GetHeaderCols();
  const ROWCOL frozenRows = GetFrozenRows(), frozenCols = GetFrozenCols();
  ROWCOL nr = r, nc = c;
  BOOL found = FALSE;
  // One step up, left, down or right; a step down or right leaves a covering cell and the frozen part.
  auto step = [&](int dir) {
    ROWCOL tr = nr, tc = nc;
    switch (dir) {
      case GX_UP:
        if (tr <= headerRows + 1) return false;
        --tr;
        break;
      case GX_LEFT:
        if (tc <= headerCols + 1) return false;
        --tc;
        break;
      case GX_DOWN:
        tr += 1 + (tr == r ? dy : 0);
        if (nr <= frozenRows && tr > frozenRows) tr = std::max(tr, GetTopRow());
        if (tr > rows) return false;
        break;
      case GX_RIGHT:
        tc += 1 + (tc == c ? dx : 0);
        if (nc <= frozenCols && tc > frozenCols) tc = std::max(tc, GetLeftCol());
        if (tc > cols) return false;
        break;
    }
    if (!FindNextSelectableCell(dir, tr, tc)) return false;
    if ((dir == GX_UP && tr <= headerRows) || (dir == GX_LEFT && tc <= headerCols)) return false;
    nr = tr, nc = tc;
    return true;
  };

  switch (direction) {
    case GX_UP: case GX_LEFT: case GX_DOWN: case GX_RIGHT:
      for (ROWCOL i = 0; i < count && step(direction); ++i) found = TRUE;
      break;
    case GX_PGDOWN: {
      if (GetTopRow() >= rows) break;  // the last row is at the top already
      const ROWCOL page = std::max<ROWCOL>(1, LastRowInView() - GetTopRow());
      ScrollGrid(GX_DOWN, page);
      if (r > frozenRows) nr = std::min<ROWCOL>(r + page, rows);
      found = FindNextSelectableCell(GX_DOWN, nr, nc) || FindNextSelectableCell(GX_UP, nr, nc);
      break;
    }
    case GX_PGUP: {
      if (GetTopRow() <= frozenRows + 1) {
        nr = std::min<ROWCOL>(headerRows + 1, rows);
        found = rows > headerRows && FindNextSelectableCell(GX_DOWN, nr, nc);
        break;
      }
      CRect area;
      GetGridRect(&area);
      const long room = area.Height() - ScrollOriginY();
      long sum = 0;
      ROWCOL page = 0;
      for (ROWCOL t = GetTopRow(); t > frozenRows + 1 && sum + GetRowHeight(t - 1) <= room; --t) {
        sum += GetRowHeight(t - 1);
        ++page;
      }
      page = std::max<ROWCOL>(page, 1);
      ScrollGrid(GX_UP, page);
      if (r > frozenRows) nr = r > page ? r - page : 1;
      nr = std::max<ROWCOL>(nr, 1);
      found = FindNextSelectableCell(GX_UP, nr, nc) || FindNextSelectableCell(GX_DOWN, nr, nc);
      break;
    }
    case GX_TOP: case GX_BOTTOM: case GX_MOSTLEFT: case GX_MOSTRIGHT: case GX_TOPLEFT: case GX_BOTTOMRIGHT: {
      BOOL rowFound = FALSE, colFound = FALSE;
      if (direction == GX_TOP || direction == GX_TOPLEFT) {
        // Without data rows (columns) the headers are no target.
        nr = std::min<ROWCOL>(headerRows + 1, rows);
        rowFound = rows > headerRows && FindNextSelectableCell(GX_DOWN, nr, nc);
      } else if (direction == GX_BOTTOM || direction == GX_BOTTOMRIGHT) {
        nr = rows;
        rowFound = rows > headerRows && FindNextSelectableCell(GX_UP, nr, nc);
      }
      if (direction == GX_MOSTLEFT || direction == GX_TOPLEFT) {
        if (GetLeftCol() != frozenCols + 1) SetLeftCol(frozenCols + 1);
        nc = std::min<ROWCOL>(headerCols + 1, cols);
        colFound = cols > headerCols && FindNextSelectableCell(GX_RIGHT, nr, nc);
      } else if (direction == GX_MOSTRIGHT || direction == GX_BOTTOMRIGHT) {
        nc = cols;
        colFound = cols > headerCols && FindNextSelectableCell(GX_LEFT, nr, nc);
      }
      found = rowFound || colFound;
      break;
    }
    default:
      break;
  }

  BOOL moved = FALSE;
  if (found && (!bValid || nr != r || nc != c)) {
    UINT flags = GX_UPDATENOW | GX_SCROLLINVIEW | GX_KEEPSELECTION;
    if (bCanSelectRange && m_pParam->m_bSelectionFollowsCurrentCell) flags = GX_UPDATENOW | GX_SCROLLINVIEW;
    moved = SetCurrentCell(nr, nc, flags);
  }
  m_bMovingCurrentCell = bMoving;
  m_nLastDrawnRow = m_nLastDrawnCol = 0;
  m_bNoRedraw = bNoRedraw;
  return moved;
}

CGXRange* CGXGridCore::AnchorRange() {
  if (!m_pParam || !m_posSelRange) return nullptr;
  // The selection list may have been emptied since the anchor was made.
  for (POSITION pos = m_pParam->m_SelRects.GetHeadPosition(); pos; m_pParam->m_SelRects.GetNext(pos))
    if (pos == m_posSelRange) return m_pParam->m_SelRects.GetAt(pos);
  m_posSelRange = nullptr;
  return nullptr;
}

CGXRange CGXGridCore::RangeFromAnchor(ROWCOL nAnchorRow, ROWCOL nAnchorCol, ROWCOL nRow, ROWCOL nCol) {
  const ROWCOL hr = GetHeaderRows(), hc = GetHeaderCols();
  ROWCOL top = nAnchorRow, left = nAnchorCol, bottom = nRow, right = nCol;
  if (nRow <= hr && nCol <= hc) top = left = bottom = right = 0;
  else if (nCol <= hc) top = std::max(top, hr + 1), left = right = 0;
  else if (nRow <= hr) left = std::max(left, hc + 1), top = bottom = 0;
  if (top > bottom) std::swap(top, bottom);
  if (left > right) std::swap(left, right);
  CGXRange range;
  if (top && left) range.SetCellRange(top, left, bottom, right);
  else if (top) range.SetRowRange(top, bottom);
  else if (left) range.SetColRange(left, right);
  else range.SetWholeTable();
  return range;
}

BOOL CGXGridCore::MoveCurrentCellBySelection(int direction, UINT nCell) {
  if (!m_pParam) return FALSE;
  const BOOL bExtend = KeyDown(VK_SHIFT) && (m_pParam->m_wAllowSelection & 0x40);
  const WORD mode = m_pParam->m_wListBoxSelectionMode;
  ROWCOL r, c;
  // The keys share the mouse's anchor: a range the mouse started is the one Shift+arrows extend.
  // A new one starts empty, as the mouse's does: setting it below draws its cells here and in the
  // other views of the grid. Until then the selection hooks are told of the anchor cell.
  CGXRange start;
  auto newAnchor = [&]() {
    m_posSelRange = m_pParam->m_SelRects.AddTail(new CGXRange());
    m_nAnchorRow = r, m_nAnchorCol = c;
    start.SetCellRange(r, c, r, c);
  };
  auto toldAnchor = [&]() -> const CGXRange* {
    const CGXRange* anchor = AnchorRange();
    return anchor && !anchor->IsValid() && start.IsValid() ? &start : anchor;
  };
  auto dropNewAnchor = [&]() {
    delete m_pParam->m_SelRects.GetAt(m_posSelRange);
    m_pParam->m_SelRects.RemoveAt(m_posSelRange);
    m_posSelRange = nullptr;
  };
  if (mode == 1 || mode == 2) {
    if (!GetCurrentCell(r, c)) return MoveCurrentCell(direction, nCell, TRUE);
    if (!(AnchorRange() && bExtend && mode == 2)) {
      if (!OnChangingSelection(nullptr, FALSE, FALSE)) return FALSE;
      SetSelection(nullptr);
      newAnchor();
    }
    const CGXRange* anchor = toldAnchor();
    if (!anchor || !OnChangingSelection(anchor, FALSE, FALSE)) return FALSE;
    MoveCurrentCell(direction, nCell, TRUE);
    GetCurrentCell(r, c);
    if (const CGXRange* range = AnchorRange()) {
      SetSelection(m_posSelRange, mode == 2 && bExtend ? m_nAnchorRow : r, 0, r, 0);
      OnChangedSelection(range, FALSE, FALSE);
    }
    if (!bExtend) m_nAnchorRow = r, m_nAnchorCol = c;
    return TRUE;
  }
  if (bExtend) {
    BOOL added = FALSE;
    if (!AnchorRange() && GetCurrentCell(r, c) && OnStartSelection(r, c, 0, CPoint())) newAnchor(), added = TRUE;
    // A refused change leaves the current cell, the selection and the anchor as they were.
    if (const CGXRange* anchor = toldAnchor(); anchor && !OnChangingSelection(anchor, FALSE, FALSE)) {
      if (added) dropNewAnchor();
      return FALSE;
    }
    MoveCurrentCell(direction, nCell, FALSE);
    // As a Shift+click on the new current cell would; but from an anchor in a column's header to a
    // cell below it the keys select that rectangle of cells, not whole columns (the header itself
    // is no cell to select).
    if (const CGXRange* range = AnchorRange(); range && GetCurrentCell(r, c)) {
      const ROWCOL hr = GetHeaderRows(), hc = GetHeaderCols();
      const CGXRange to = m_nAnchorRow <= hr && m_nAnchorCol > hc && r > hr && c > hc
                              ? CGXRange().SetCellRange(hr + 1, m_nAnchorCol, r, c)
                              : RangeFromAnchor(m_nAnchorRow, m_nAnchorCol, r, c);
      SetSelection(m_posSelRange, to.m_nTop, to.m_nLeft, to.m_nBottom, to.m_nRight);
      OnChangedSelection(range, FALSE, FALSE);
    }
    return TRUE;
  }
  MoveCurrentCell(direction, nCell, TRUE);
  m_posSelRange = nullptr;
  return FALSE;
}

// ---- keys ------------------------------------------------------------------------------------------------------

BOOL CGXGridCore::ProcessKeys(CWnd* pMessageWnd, UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags) {
  return RouteKeyMessage(pMessageWnd, nMessage, nChar, nRepCnt, nFlags);
}

BOOL CGXGridCore::RouteKeyMessage(CWnd* pMessageWnd, UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags) {
  const HWND grid = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr;
  if (grid && ::GetCapture() == grid) {
    if ((nMessage == WM_KEYDOWN || nMessage == WM_SYSKEYDOWN) && nChar == 27) ::SendMessage(grid, WM_CANCELMODE, 0, 0);
    return TRUE;
  }
  ROWCOL r, c;
  CGXControl* control = nullptr;
  if (GetCurrentCell(r, c) && (control = GetControl(r, c)) != nullptr && pMessageWnd && grid &&
      pMessageWnd->GetSafeHwnd() == grid) {
    // A control bound here may come up active: its cell is drawn again as such.
    if (!control->IsInit()) {
      control->Init(r, c);
      control->Refresh();
    }
    if (control->DispatchKeyMessage(nMessage, nChar, MAKELPARAM(nRepCnt, nFlags))) {
      ScrollCellInView(r, c, GX_UPDATENOW);
      UpdateWindow();
      return TRUE;
    }
  }
  switch (nMessage) {
    case WM_KEYDOWN: return OnGridKeyDown(nChar, nRepCnt, nFlags);
    case WM_KEYUP: return OnGridKeyUp(nChar, nRepCnt, nFlags);
    case WM_CHAR: {
      if (m_cLeadByte) {
        CString text;
        text.AppendChar((char)m_cLeadByte);
        text.AppendChar((char)nChar);
        m_cLeadByte = 0;
        return OnGridChars(text);
      }
      if (IsDBCSLeadByte((BYTE)nChar)) {
        m_cLeadByte = (BYTE)nChar;
        return TRUE;
      }
      return OnGridChar(nChar, nRepCnt, nFlags);
    }
    case WM_DEADCHAR: return OnGridDeadChar(nChar, nRepCnt, nFlags);
    case WM_SYSKEYDOWN: return OnGridSysKeyDown(nChar, nRepCnt, nFlags);
    case WM_SYSKEYUP: return OnGridSysKeyUp(nChar, nRepCnt, nFlags);
    case WM_SYSCHAR: return OnGridSysChar(nChar, nRepCnt, nFlags);
    case WM_SYSDEADCHAR: return OnGridSysDeadChar(nChar, nRepCnt, nFlags);
    default: return FALSE;
  }
}

BOOL CGXGridCore::OnGridKeyDown(UINT nChar, UINT, UINT) {
  const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
  BOOL handled = TRUE;
  ROWCOL r, c;
  auto enter = [&]() {
    const WORD dir = m_pParam ? m_pParam->m_wEnterMoveDir : 0;
    if (EndCurrentCellEdit(TRUE, GX_INVALIDATE, TRUE) && dir != 0) MoveCurrentCellBySelection(dir, 1);
  };
  switch (nChar) {
    case 8:
      if (ctrl) Redo();
      else handled = FALSE;
      break;
    case 9:
      if (EndCurrentCellEdit(TRUE, GX_INVALIDATE, TRUE)) MoveCurrentCell(shift ? GX_LEFT : GX_RIGHT, 1, TRUE);
      break;
    case 13:
      if (ctrl || shift || alt) handled = FALSE;
      else enter();
      break;
    case 27:
      if (GetCurrentCell(r, c)) {
        if (CGXControl* control = GetControl(r, c)) {
          if (control->GetModify()) control->Init(r, c);
          control->Refresh();
        }
        ScrollCellInView(r, c, GX_UPDATENOW);
      }
      if (m_pParam && !m_pParam->m_bSelectionFollowsCurrentCell && !m_pParam->m_SelRects.IsEmpty()) {
        SetSelection(nullptr);
        OnChangedSelection(nullptr, FALSE, TRUE);
      }
      break;
    case 33: case 34:
      MoveCurrentCellBySelection(nChar == 33 ? GX_PGUP : GX_PGDOWN, 1);
      break;
    case 35: case 36:
      if (ctrl && !shift && !alt) MoveCurrentCellBySelection(nChar == 35 ? GX_BOTTOMRIGHT : GX_TOPLEFT, 1);
      else handled = FALSE;
      break;
    case 37: case 38: case 39: case 40: {
      static const int kPlain[4] = {GX_LEFT, GX_UP, GX_RIGHT, GX_DOWN},
                       kCtrl[4] = {GX_MOSTLEFT, GX_TOP, GX_MOSTRIGHT, GX_BOTTOM};
      MoveCurrentCellBySelection((ctrl ? kCtrl : kPlain)[nChar - 37], 1);
      break;
    }
    case 45:
      if (ctrl) {
        if (CanCopy()) Copy();
      } else if (shift) {
        if (CanPaste()) Paste();
      } else {
        handled = FALSE;
      }
      break;
    case 46:
      if (shift) {
        if (CanCut()) Cut();
      } else if (!IsCurrentCellActive() && CanClear()) {
        ClearSelection(ctrl);
      }
      break;
    case 113: {
      CGXControl* control = GetCurrentCellControl();
      if (!control) {
        enter();
      } else if (control->IsActive()) {
        EndCurrentCellEdit(TRUE, GX_UPDATENOW, TRUE);
      } else if (GetCurrentCell(r, c)) {
        EndCurrentCellEdit(FALSE, GX_UPDATENOW, TRUE);
        if (!control->IsReadOnly() && CanScrollCellIntoView(r, c)) {
          ScrollCellInView(r, c, GX_UPDATENOW);
          control->SetActive(TRUE);
          control->Refresh();
        }
      }
      break;
    }
    default:
      handled = FALSE;
  }
  if (handled) UpdateWindow();
  return handled;
}

BOOL CGXGridCore::OnGridChar(UINT nChar, UINT, UINT) {
  switch (nChar) {
    case 3: Copy(); return TRUE;
    case 22: Paste(); return TRUE;
    case 24: Cut(); return TRUE;
    case 26: Undo(); return TRUE;
    case 18: Redo(); return TRUE;
    case 9: case 13: case 127: return TRUE;
    default: return FALSE;
  }
}

BOOL CGXGridCore::OnGridSysKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != 8) return FALSE;
  Undo();
  return TRUE;
}

// ---- mouse -----------------------------------------------------------------------------------------------------

BOOL CGXGridCore::HitRowCol(int nButton, ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                            UINT nFlags, WORD nHitState) {
  ROWCOL r = nHitRow, c = nHitCol;
  CGXRange covered;
  if (GetCoveredCellsRowCol(r, c, covered)) r = covered.m_nTop, c = covered.m_nLeft;
  const BOOL bFollows = m_pParam && m_pParam->m_bSelectionFollowsCurrentCell;
  auto bound = [&]() -> CGXControl* {
    CGXControl* control = IsCurrentCell(r, c) ? GetControl(r, c) : nullptr;
    return control && control->IsInitAt(r, c) ? control : nullptr;
  };
  if (nHitState & 0x04) {
    m_bDraggedWhilePressed = FALSE;
    if (bFollows || !(nHitState & 0x100)) {
      m_bWarningShown = FALSE;
      SetCurrentCell(r, c, (m_nPressState & 0x80) ? 0x84 : 0x04);
      if (m_bWarningShown) return FALSE;
    }
    if (CGXControl* control = bound()) {
      if (nButton == 0) control->LButtonDown(nFlags, pt);
      else if (nButton == 1) control->MButtonDown(nFlags, pt);
      else control->RButtonDown(nFlags, pt);
    }
  } else if (nHitState & 0x08) {
    if (CGXControl* control = bound()) control->MouseMove(nFlags, pt);
    if (nHitRow != nDragRow || nHitCol != nDragCol) m_bDraggedWhilePressed = TRUE;
  } else if (nHitState & 0x10) {
    if (CGXControl* control = bound()) {
      if (nButton == 0) control->LButtonUp(nFlags, pt);
      else if (nButton == 1) control->MButtonUp(nFlags, pt);
      else control->RButtonUp(nFlags, pt);
    } else if (nButton == 0) {
      OnLButtonClickedRowCol(r, c, nFlags, pt);
    } else if (nButton == 1) {
      OnMButtonClickedRowCol(r, c, nFlags, pt);
    } else {
      OnRButtonClickedRowCol(r, c, nFlags, pt);
    }
    if (m_bDraggedWhilePressed) {
      if (m_pParam && m_pParam->m_wListBoxSelectionMode && !SetCurrentCell(nDragRow, nDragCol, GX_SMART)) return FALSE;
    } else if (ScrollCellInView(r, c, GX_UPDATENOW)) {
      if (CGXControl* control = bound()) control->Refresh();
    }
  }
  return TRUE;
}

BOOL CGXGridCore::OnLButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                     UINT nFlags, WORD nHitState) {
  return HitRowCol(0, nHitRow, nHitCol, nDragRow, nDragCol, pt, nFlags, nHitState);
}

BOOL CGXGridCore::OnMButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                     UINT nFlags, WORD nHitState) {
  return HitRowCol(1, nHitRow, nHitCol, nDragRow, nDragCol, pt, nFlags, nHitState);
}

BOOL CGXGridCore::OnRButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                     UINT nFlags, WORD nHitState) {
  return HitRowCol(2, nHitRow, nHitCol, nDragRow, nDragCol, pt, nFlags, nHitState);
}

BOOL CGXGridCore::OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint) {
  if (!m_pParam || !(nFlags & MK_CONTROL)) return FALSE;
  const bool rowHeader = nCol <= GetHeaderCols(), colHeader = nRow <= GetHeaderRows();
  // The press has just selected the header's row (column) as the anchor range; only another range
  // tells that it was selected before the click.
  if ((!rowHeader && !colHeader) || !m_pParam->m_SelRects.IsCellInList(nRow, nCol, AnchorRange() ? m_posSelRange : nullptr))
    return FALSE;
  const CGXRange range = rowHeader ? CGXRange().SetRowRange(nRow, nRow) : CGXRange().SetColRange(nCol, nCol);
  if (!OnChangingSelection(&range, FALSE, FALSE)) return FALSE;
  m_posSelRange = nullptr;
  SelectRange(range, FALSE, TRUE);
  return TRUE;
}

BOOL CGXGridCore::OnLButtonDblClkRowCol(ROWCOL nRow, ROWCOL nCol, UINT, CPoint) {
  if (!m_pParam) return FALSE;
  const bool byColumn = nRow == 0 && nCol != 0 && m_pParam->m_bSortRowsOnDblClk;
  const bool byRow = nCol == 0 && nRow != 0 && m_pParam->m_bSortColsOnDblClk;
  if (!byColumn && !byRow) return FALSE;
  CGXSortInfoArray keys;
  keys.SetSize(1);
  keys[0].nRC = byColumn ? nCol : nRow;
  keys[0].sortType = CGXSortInfo::autodetect;
  const DWORD last = byColumn ? m_pParam->m_nSortRow : m_pParam->m_nSortCol;
  keys[0].bDescending = last == keys[0].nRC && m_pParam->m_bSortOption ? CGXSortInfo::descending : CGXSortInfo::ascending;
  if (byColumn) {
    SortRows(CGXRange().SetRowRange(GetHeaderRows() + 1, GetRowCount()), keys);
    MoveCurrentCell(GX_TOP, 1, TRUE);
  } else {
    SortCols(CGXRange().SetColRange(GetHeaderCols() + 1, GetColCount()), keys);
    MoveCurrentCell(GX_LEFT, 1, TRUE);
  }
  return TRUE;
}
