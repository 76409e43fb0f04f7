// The grid core's mouse handlers: a press starts tracking, a selection or a cell action; moves extend it;
// the release ends it; WM_CANCELMODE breaks it off.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {
HWND GridHwnd(CWnd* wnd) { return wnd ? wnd->GetSafeHwnd() : nullptr; }

// Headers are drawn pressed while their rows (columns) are being selected with the mouse: the
// headers of a range whose marking changes or ends are painted again.
void RedrawMarkedHeaders(CGXGridCore& grid, const CGXRange& range) {
  if (range.IsRows()) grid.RedrawRowCol(range.m_nTop, 0, range.m_nBottom, grid.GetHeaderCols(), GX_INVALIDATE, FALSE);
  else if (range.IsCols()) grid.RedrawRowCol(0, range.m_nLeft, grid.GetHeaderRows(), range.m_nRight, GX_INVALIDATE, FALSE);
}

// The range the mouse is marking, or an empty one.
CGXRange MarkedRange(CGXGridCore& grid) {
  if (!grid.GetParam() || !(grid.m_wMouseAction & 0x02) || !grid.m_posSelRange) return CGXRange();
  return *grid.GetParam()->m_SelRects.GetAt(grid.m_posSelRange);
}

// A double click on a boundary fits its row (column); when that one is wholly selected, and the
// selection is not the whole table, it fits every wholly selected one and shows the hidden ones
// among them, as one undo step.
void FitFromBoundary(CGXGridCore& grid, bool rows, ROWCOL n) {
  const CGXRangeList& sel = grid.GetParam()->m_SelRects;
  bool whole = false;
  for (POSITION pos = sel.GetHeadPosition(); pos;) {
    const CGXRange* r = sel.GetNext(pos);
    if (r->IsTable()) {
      whole = false;
      break;
    }
    if (rows ? r->IsRows() && n >= r->m_nTop && n <= r->m_nBottom : r->IsCols() && n >= r->m_nLeft && n <= r->m_nRight)
      whole = true;
  }
  auto fit = [&](ROWCOL a, ROWCOL b) {
    rows ? grid.ResizeRowHeightsToFit(CGXRange().SetRowRange(a, b), TRUE, GX_UPDATENOW)
         : grid.ResizeColWidthsToFit(CGXRange().SetColRange(a, b), TRUE, GX_UPDATENOW);
  };
  if (n == 0 || !whole) return fit(n, n);
  CDWordArray from, to;
  rows ? sel.GetRowArray(grid.GetRowCount(), from, to, TRUE) : sel.GetColArray(grid.GetColCount(), from, to, TRUE);
  auto hidden = [&](ROWCOL m) { return rows ? grid.IsRowHidden(m) : grid.IsColHidden(m); };
  struct Trans {
    CGXGridCore& grid;
    ~Trans() { grid.CommitTrans(); }
  } trans{grid};
  grid.BeginTrans(GXFitStepName(rows));
  for (INT_PTR i = 0; i < from.GetSize(); ++i) {
    // Each stretch of hidden (shown) ones at a time.
    for (ROWCOL a = std::max<ROWCOL>(from[i], 1), b = a; a <= to[i]; a = ++b) {
      const bool off = hidden(a);
      while (b < to[i] && hidden(b + 1) == off) ++b;
      if (!off) fit(a, b);
      else if (rows) grid.HideRows(a, b, FALSE, nullptr, GX_UPDATENOW);
      else grid.HideCols(a, b, FALSE, nullptr, GX_UPDATENOW);
    }
  }
}
}  // namespace

BOOL CGXGridCore::MousePressBlocked(UINT nFlags, UINT nOtherButtons) {
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if ((hwnd && ::GetCapture() == hwnd) || (nFlags & nOtherButtons)) {
    if (hwnd) ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
    else OnCancelMode();
    return TRUE;
  }
  return FALSE;
}

ROWCOL CGXGridCore::ClampRow(ROWCOL nRow) const { return std::min(nRow, GetRowCount()); }
ROWCOL CGXGridCore::ClampCol(ROWCOL nCol) const { return std::min(nCol, GetColCount()); }

WORD CGXGridCore::MouseHitState(WORD wStep, ROWCOL nRow, ROWCOL nCol) const {
  WORD state = (WORD)(m_wMouseAction | wStep);
  if (nRow == m_nPressRow && nCol == m_nPressCol) state |= 0x40;
  else if (m_nLastHitRow == m_nPressRow && m_nLastHitCol == m_nPressCol) state |= 0x20;
  return state;
}

// A press on the header of a wholly selected column (row) starts dragging the selection.
BOOL CGXGridCore::StartSelDragByMouse(ROWCOL nRow, ROWCOL nCol) {
  const CGXRangeList& sel = m_pParam->m_SelRects;
  const BOOL colHeader = nRow <= GetHeaderRows() && nCol > GetHeaderCols() && m_pParam->m_bAllowSelDragCols;
  const BOOL rowHeader = nCol <= GetHeaderCols() && nRow > GetHeaderRows() && m_pParam->m_bAllowSelDragRows;
  if (!colHeader && !rowHeader) return FALSE;
  BOOL whole = FALSE;
  for (POSITION pos = sel.GetHeadPosition(); pos;) {
    const CGXRange* r = sel.GetNext(pos);
    if (r->IsTable()) return FALSE;
    if (colHeader && r->IsCols() && nCol >= r->m_nLeft && nCol <= r->m_nRight) whole = TRUE;
    if (rowHeader && r->IsRows() && nRow >= r->m_nTop && nRow <= r->m_nBottom) whole = TRUE;
  }
  if (!whole) return FALSE;
  if (OnSelDragStart(colHeader ? 0 : nRow, colHeader ? nCol : 0)) {
    // The dragged range is the one a later Shift extends, from its first row (column).
    if (const CGXRange* dragged = AnchorRange())
      m_nAnchorRow = dragged->IsRows() ? dragged->m_nTop : 0, m_nAnchorCol = dragged->IsCols() ? dragged->m_nLeft : 0;
    return TRUE;
  }
  m_nSelDragKind = 0;
  if (const HWND hwnd = GridHwnd(m_pGridWnd)) ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
  return FALSE;
}

// The drop target under the point: the row (column) there, the count + 1 beyond the last, at least 1.
void CGXGridCore::SelDragTarget(CPoint point, ROWCOL& nRow, ROWCOL& nCol) {
  ROWCOL row = 0, col = 0;
  HitTest(point, &row, &col);
  nRow = m_nSelDragKind == 2 ? std::max<ROWCOL>(std::min(row, GetRowCount() + 1), 1) : 0;
  nCol = m_nSelDragKind == 1 ? std::max<ROWCOL>(std::min(col, GetColCount() + 1), 1) : 0;
}

BOOL CGXGridCore::OnLButtonDown(UINT nFlags, CPoint point) {
  if (!m_bInitialized || !m_pParam) return FALSE;
  m_nMouseFlags = nFlags;
  m_bActive = TRUE;
  if (MousePressBlocked(nFlags, MK_RBUTTON | MK_MBUTTON)) return TRUE;
  UpdateWindow();
  ROWCOL row = 0, col = 0;
  const int hit = HitTest(point, &row, &col);
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if (hit == GX_VERTLINE || hit == GX_HORZLINE) {
    const WORD bits = hit == GX_VERTLINE ? m_pParam->m_wAllowTrackColWidth : m_pParam->m_wAllowTrackRowHeight;
    if (!(bits & 3) || !OnStartTracking(row, col, hit == GX_VERTLINE ? 2 : 1)) return FALSE;
    if (hwnd) ::SetCapture(hwnd);
    return TRUE;
  }
  if (hit == GX_NOHIT) return FALSE;
  if (hit == GX_SELEDGEHIT && m_dwDndFlags) {
    // A press on the selection's edge drags the block out; otherwise it is a press on the cell.
    CGXRange covered;
    if (GetCoveredCellsRowCol(row, col, covered) ? StartOleDrag(covered.m_nTop, covered.m_nLeft) : StartOleDrag(row, col))
      return TRUE;
  }
  CGXRangeList& sel = m_pParam->m_SelRects;
  const WORD allow = m_pParam->m_wAllowSelection, behave = m_pParam->m_wSelectionBehavior;
  // A refused drag of selected rows sends WM_CANCELMODE; no mouse action may run yet, or the cancel
  // would take the selection with it.
  m_wMouseAction = 0;
  if (!(row == 0 && col == 0) && StartSelDragByMouse(row, col)) {
    CaptureOrAutoScroll(row, col);
    return TRUE;
  }
  m_wMouseAction = 1;
  m_nPressRow = row, m_nPressCol = col;
  if (IsCurrentCell(row, col) && IsCurrentCellActive()) m_wMouseAction |= 0x100;
  if (row == 0 && col == 0) {
    if ((allow & 0x04) && OnStartSelection(0, 0, nFlags, point)) {
      BOOL whole = FALSE;
      for (POSITION pos = sel.GetHeadPosition(); pos && !whole;) whole = sel.GetNext(pos)->IsTable();
      const CGXRange table = CGXRange().SetWholeTable();
      if (OnChangingSelection(whole ? nullptr : &table, FALSE, FALSE)) {
        if (whole) {
          SelectRange(table, FALSE, TRUE);
          m_posSelRange = nullptr;
        } else {
          // The table becomes the selection and the range a Shift+click or Shift+arrow extends.
          SetSelection(nullptr);
          SelectRange(table, TRUE, TRUE);
          m_posSelRange = sel.GetTailPosition();
          m_nAnchorRow = m_nAnchorCol = 0;
        }
      }
    }
  } else {
    BOOL ctrl = (nFlags & MK_CONTROL) && (allow & 0x10), shift = (nFlags & MK_SHIFT) && (allow & 0x20);
    if (behave & 0x02) ctrl = shift = TRUE;
    if (behave & 0x01) ctrl = shift = FALSE;
    if (ctrl) m_wMouseAction |= 0x80;
    if ((allow & 0x00FF) && OnStartSelection(row, col, nFlags, point)) {
      ROWCOL curRow = 0, curCol = 0;
      const BOOL hasCurrent = GetCurrentCell(curRow, curCol);
      if (!shift && !ctrl) {
        // Every removal is reported, so that views keeping a selection state see it go.
        if (!sel.IsEmpty() && OnChangingSelection(nullptr, FALSE, FALSE)) {
          SetSelection(nullptr);
          OnChangedSelection(nullptr, FALSE, FALSE);
        }
      } else if (ctrl && !shift && sel.IsEmpty() && hasCurrent && !(behave & 3) &&
                 !(curRow == row && curCol == col) && curRow > GetHeaderRows() && curCol > GetHeaderCols()) {
        // A header cell is no cell range of its own.
        const CGXRange first = CGXRange().SetCellRange(curRow, curCol, curRow, curCol);
        if (OnChangingSelection(&first, FALSE, FALSE)) SelectRange(first, TRUE, TRUE);
      }
      const ROWCOL hr = GetHeaderRows(), hc = GetHeaderCols();
      const BOOL rowHeader = col == 0 && row > hr && (allow & 0x01);
      const BOOL colHeader = row == 0 && col > hc && (allow & 0x02);
      const BOOL inner = row > hr && col > hc && (allow & 0x08);
      if (rowHeader || colHeader || inner) {
        if (shift) {
          // The last selected range is extended: the anchored one, else the tail from its first
          // cell, else a new one from the current cell.
          POSITION pos = AnchorRange() ? m_posSelRange : nullptr;
          ROWCOL anchorRow = m_nAnchorRow, anchorCol = m_nAnchorCol;
          if (!pos && !sel.IsEmpty()) {
            pos = sel.GetTailPosition();
            const CGXRange* tail = sel.GetAt(pos);
            anchorRow = tail->IsCols() || tail->IsTable() ? 0 : tail->m_nTop;
            anchorCol = tail->IsRows() || tail->IsTable() ? 0 : tail->m_nLeft;
          } else if (!pos) {
            anchorRow = hasCurrent ? curRow : row, anchorCol = hasCurrent ? curCol : col;
          }
          const CGXRange range = RangeFromAnchor(anchorRow, anchorCol, row, col);
          if (OnChangingSelection(&range, FALSE, FALSE)) {
            if (!pos) pos = sel.AddTail(new CGXRange());
            m_posSelRange = pos, m_nAnchorRow = anchorRow, m_nAnchorCol = anchorCol;
            SetSelection(m_posSelRange, range.m_nTop, range.m_nLeft, range.m_nBottom, range.m_nRight);
            OnChangedSelection(sel.GetAt(m_posSelRange), FALSE, FALSE);
            m_wMouseAction |= 0x02;
          }
        } else {
          const ROWCOL top = colHeader ? 0 : row, left = rowHeader || (behave & 3) ? 0 : col;
          CGXRange range;
          if (top && left) range.SetCellRange(top, left, top, left);
          else if (top) range.SetRowRange(top, top);
          else if (left) range.SetColRange(left, left);
          else range.SetWholeTable();
          if (OnChangingSelection(&range, FALSE, FALSE)) {
            m_posSelRange = sel.AddTail(new CGXRange());
            m_nAnchorRow = row, m_nAnchorCol = col;
            // A press on an ordinary cell selects nothing until the mouse moves.
            if (rowHeader || colHeader || (behave & 3)) {
              SetSelection(m_posSelRange, top, left, top, left);
              OnChangedSelection(sel.GetAt(m_posSelRange), FALSE, FALSE);
            }
            m_wMouseAction |= 0x02;
          }
        }
        RedrawMarkedHeaders(*this, MarkedRange(*this));
      }
    }
  }
  m_nLastHitRow = row, m_nLastHitCol = col;
  if (!OnLButtonHitRowCol(row, col, row, col, point, nFlags, (WORD)(m_wMouseAction | 0x44))) {
    if (hwnd) ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
    else OnCancelMode();
    return TRUE;
  }
  if (m_wMouseAction && hwnd && ::GetCapture() != hwnd) CaptureOrAutoScroll(row, col);
  return TRUE;
}

// A running mouse action holds the mouse; with auto-scroll the loop holds it and scrolls past the edges,
// vertically only for a press outside the frozen rows, horizontally outside the frozen columns.
void CGXGridCore::CaptureOrAutoScroll(ROWCOL nRow, ROWCOL nCol) {
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if (!hwnd) return;
  if (!m_bAutoScroll || !AutoScroll(WM_LBUTTONUP, nRow != 0 && !IsFrozenRow(nRow), nCol != 0 && !IsFrozenCol(nCol)))
    ::SetCapture(hwnd);
}

BOOL CGXGridCore::OfferMoveToCell(UINT nFlags, CPoint point) {
  ROWCOL row = 0, col = 0;
  const int hit = HitTest(point, &row, &col);
  if (hit != GX_CELLHIT && hit != GX_HEADERHIT) return FALSE;
  row = std::min(row, GetRowCount()), col = std::min(col, GetColCount());
  CGXRange covered;
  if (GetCoveredCellsRowCol(row, col, covered)) row = covered.m_nTop, col = covered.m_nLeft;
  CGXControl* control = GetControl(row, col);
  return control && control->MouseMoveOver(row, col, nFlags, point);
}

BOOL CGXGridCore::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bInitialized || !m_pParam) return FALSE;
  const HWND hwnd = GridHwnd(m_pGridWnd);
  CRect g;
  GetGridRect(&g);
  point.x = std::clamp<LONG>(point.x, g.left, std::max(g.left, g.right - 1));
  point.y = std::clamp<LONG>(point.y, g.top, std::max(g.top, g.bottom - 1));
  if (m_bSelDragActive) {
    ROWCOL row = 0, col = 0;
    SelDragTarget(point, row, col);
    OnSelDragMove(m_nSelDragRow, m_nSelDragCol, row, col);
    return TRUE;
  }
  if (m_bTracking) {
    // The proposed size: the pointer's distance from the tracked cell's left (top) edge.
    CSize size(m_nTrackingMode == 2 ? point.x - m_rectTrackAnchor.left : 0,
               m_nTrackingMode == 1 ? point.y - m_rectTrackAnchor.top : 0);
    OnMoveTracking(m_nTrackRow, m_nTrackCol, m_nTrackingMode, size);
    return TRUE;
  }
  if (!m_wMouseAction) {
    if (!m_bCursorOnlyOnMove && OfferMoveToCell(nFlags, point)) return TRUE;
    UpdateContextCursor(point);
    return TRUE;
  }
  if (!hwnd || ::GetCapture() != hwnd) return TRUE;
  ROWCOL row = 0, col = 0;
  HitTest(point, &row, &col);
  row = ClampRow(row), col = ClampCol(col);
  // From a press in the scrolled part the pointer over the headers or the frozen rows (where it
  // stays while the grid scrolls up) stands for the first row scrolled into view; alike for columns.
  if (m_nPressRow > GetFrozenRows() && row < GetTopRow()) row = GetTopRow();
  if (m_nPressCol > GetFrozenCols() && col < GetLeftCol()) col = GetLeftCol();
  const WORD state = MouseHitState(0x08, row, col);
  if (m_nMouseFlags & MK_RBUTTON) OnRButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, state);
  else if (m_nMouseFlags & MK_MBUTTON) OnMButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, state);
  else OnLButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, state);
  if ((row != m_nLastHitRow || col != m_nLastHitCol) && (m_wMouseAction & 0x02) && m_posSelRange) {
    const ROWCOL hr = GetHeaderRows(), hc = GetHeaderCols();
    const ROWCOL r = m_nAnchorRow == 0 ? 0 : std::max(row, hr + 1), c = m_nAnchorCol == 0 ? 0 : std::max(col, hc + 1);
    const CGXRange before = MarkedRange(*this);
    SetSelection(m_posSelRange, std::min(m_nAnchorRow, r), std::min(m_nAnchorCol, c),
                 m_nAnchorRow == 0 ? 0 : std::max(m_nAnchorRow, r), m_nAnchorCol == 0 ? 0 : std::max(m_nAnchorCol, c));
    OnChangedSelection(m_pParam->m_SelRects.GetAt(m_posSelRange), FALSE, FALSE);
    RedrawMarkedHeaders(*this, before);
    RedrawMarkedHeaders(*this, MarkedRange(*this));
  }
  m_nLastHitRow = row, m_nLastHitCol = col;
  return TRUE;
}

BOOL CGXGridCore::OnLButtonUp(UINT nFlags, CPoint point) {
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if (!m_bInitialized || !m_pParam || !hwnd || ::GetCapture() != hwnd) return FALSE;
  CRect g;
  GetGridRect(&g);
  point.x = std::clamp<LONG>(point.x, g.left, std::max(g.left, g.right - 1));
  point.y = std::clamp<LONG>(point.y, g.top, std::max(g.top, g.bottom - 1));
  if (m_bSelDragActive) {
    ::ReleaseCapture();
    ROWCOL row = 0, col = 0;
    SelDragTarget(point, row, col);
    const CGXRange dragged = *m_pParam->m_SelRects.GetAt(m_posSelRange);
    OnSelDragDrop(dragged.m_nTop, dragged.m_nLeft, row, col);
    m_bSelDragActive = FALSE;
    m_nSelDragKind = 0;
    return TRUE;
  }
  if (!m_wMouseAction) {
    if (m_bTracking) {
      CSize size(m_nTrackingMode == 2 ? point.x - m_rectTrackAnchor.left : 0,
                 m_nTrackingMode == 1 ? point.y - m_rectTrackAnchor.top : 0);
      OnEndTracking(m_nTrackRow, m_nTrackCol, m_nTrackingMode, size);
    }
    ::ReleaseCapture();
    return TRUE;
  }
  ::ReleaseCapture();
  const CGXRange marked = MarkedRange(*this);
  if ((m_wMouseAction & 0x02) && m_posSelRange && (m_nAnchorRow || m_nAnchorCol)) {
    const BOOL plainClick = m_nLastHitRow == m_nAnchorRow && m_nLastHitCol == m_nAnchorCol && m_nAnchorRow &&
                            m_nAnchorCol && !(m_pParam->m_wSelectionBehavior & 3);
    const CGXRange clicked = CGXRange().SetCellRange(m_nAnchorRow, m_nAnchorCol, m_nAnchorRow, m_nAnchorCol);
    if (plainClick && !(m_wMouseAction & 0x80)) {
      if (!m_pParam->m_bInvertCurrentCellFrame && OnChangingSelection(nullptr, FALSE, FALSE)) {
        SetSelection(nullptr);
        OnChangedSelection(nullptr, FALSE, TRUE);
      }
      m_wMouseAction &= (WORD)~0x02;
    } else if (plainClick) {
      if (OnChangingSelection(&clicked, FALSE, FALSE)) {
        SetSelection(m_posSelRange, m_nAnchorRow, m_nAnchorCol, m_nAnchorRow, m_nAnchorCol);
        OnChangedSelection(m_pParam->m_SelRects.GetAt(m_posSelRange), FALSE, TRUE);
      }
    } else {
      OnChangedSelection(m_pParam->m_SelRects.GetAt(m_posSelRange), FALSE, TRUE);
    }
  }
  ROWCOL row = 0, col = 0;
  HitTest(point, &row, &col);
  row = ClampRow(row), col = ClampCol(col);
  OnLButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, MouseHitState(0x10, row, col));
  m_wMouseAction = 0;
  RedrawMarkedHeaders(*this, marked);
  return TRUE;
}

BOOL CGXGridCore::OnLButtonDblClk(UINT nFlags, CPoint point) {
  if (!m_bInitialized || !m_pParam) return FALSE;
  m_nMouseFlags = nFlags;
  if (MousePressBlocked(nFlags, MK_RBUTTON | MK_MBUTTON)) return TRUE;
  UpdateWindow();
  ROWCOL row = 0, col = 0;
  const int hit = HitTest(point, &row, &col);
  if (hit == GX_VERTLINE) {
    const WORD bits = m_pParam->m_wAllowTrackColWidth;
    if (!(bits & 3) || !OnTrackColWidth(col)) return FALSE;
    if ((bits & 1) && col != 0) {
      ROWCOL last = col;
      while (last < GetColCount() && IsColHidden(last + 1) && OnTrackColWidth(last + 1)) ++last;
      if (last > col) HideCols(col + 1, last, FALSE, nullptr, GX_UPDATENOW);
    } else if (!IsColHidden(col) && (col == GetColCount() || !IsColHidden(col + 1))) {
      FitFromBoundary(*this, false, col);
    }
    return TRUE;
  }
  if (hit == GX_HORZLINE) {
    const WORD bits = m_pParam->m_wAllowTrackRowHeight;
    if (!(bits & 3) || !OnTrackRowHeight(row)) return FALSE;
    if ((bits & 1) && row != 0) {
      ROWCOL last = row;
      while (last < GetRowCount() && IsRowHidden(last + 1) && OnTrackRowHeight(last + 1)) ++last;
      if (last > row) HideRows(row + 1, last, FALSE, nullptr, GX_UPDATENOW);
    } else if (!IsRowHidden(row) && (row == GetRowCount() || !IsRowHidden(row + 1))) {
      FitFromBoundary(*this, true, row);
    }
    return TRUE;
  }
  if (hit == GX_NOHIT) return FALSE;
  CGXRange covered;
  if (GetCoveredCellsRowCol(row, col, covered)) row = covered.m_nTop, col = covered.m_nLeft;
  if (!(IsCurrentCell(row, col) && IsCurrentCellActive())) SetCurrentCell(row, col, GX_UPDATENOW | GX_SCROLLINVIEW);
  // Where a double-click activates cells, the bound cell's control takes it (its base passes it on to
  // the grid's notification); elsewhere the second click of a pair acts as a press.
  CGXControl* control = IsCurrentCell(row, col) ? GetControl(row, col) : nullptr;
  if ((m_pParam->m_wActivateFlags & 8) && control && control->IsInitAt(row, col)) {
    control->LButtonDblClk(nFlags, point);
    return TRUE;
  }
  if (OnLButtonDblClkRowCol(row, col, nFlags, point)) return TRUE;
  return OnLButtonDown(nFlags, point);
}

// The right (middle) button: presses on cells only, no selection, the mouse captured while pressed.
BOOL CGXGridCore::OtherButtonDown(int nButton, UINT nFlags, CPoint point) {
  if (!m_bInitialized || !m_pParam) return FALSE;
  const UINT self = nButton == 2 ? MK_RBUTTON : MK_MBUTTON;
  m_nMouseFlags = nFlags | self;
  m_bActive = TRUE;
  if (MousePressBlocked(nFlags, (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON) & ~self)) return TRUE;
  UpdateWindow();
  ROWCOL row = 0, col = 0;
  const int hit = HitTest(point, &row, &col);
  if (hit != GX_CELLHIT && hit != GX_HEADERHIT) return FALSE;
  m_wMouseAction = 1;
  if (IsCurrentCell(row, col)) m_wMouseAction |= 0x100;
  if (nFlags & MK_CONTROL) m_wMouseAction |= 0x80;
  m_nPressRow = m_nLastHitRow = row, m_nPressCol = m_nLastHitCol = col;
  const HWND hwnd = GridHwnd(m_pGridWnd);
  const WORD state = (WORD)(m_wMouseAction | 0x44);
  const BOOL ok = nButton == 2 ? OnRButtonHitRowCol(row, col, row, col, point, nFlags, state)
                               : OnMButtonHitRowCol(row, col, row, col, point, nFlags, state);
  if (ok) {
    if (hwnd) ::SetCapture(hwnd);
  } else if (hwnd) {
    ::SendMessage(hwnd, WM_CANCELMODE, 0, 0);
  } else {
    OnCancelMode();
  }
  return TRUE;
}

BOOL CGXGridCore::OtherButtonUp(int nButton, UINT nFlags, CPoint point) {
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if (!m_bInitialized || !hwnd || ::GetCapture() != hwnd || !m_wMouseAction) return FALSE;
  ::ReleaseCapture();
  ROWCOL row = 0, col = 0;
  HitTest(point, &row, &col);
  row = ClampRow(row), col = ClampCol(col);
  const WORD state = MouseHitState(0x10, row, col);
  if (nButton == 2) OnRButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, state);
  else OnMButtonHitRowCol(m_nPressRow, m_nPressCol, row, col, point, nFlags, state);
  m_wMouseAction = 0;
  return TRUE;
}

// A double click makes the cell current; the grid's or the control's double click, else a press.
BOOL CGXGridCore::OtherButtonDblClk(int nButton, UINT nFlags, CPoint point) {
  if (!m_bInitialized || !m_pParam) return FALSE;
  ROWCOL row = 0, col = 0;
  const int hit = HitTest(point, &row, &col);
  if (hit != GX_CELLHIT && hit != GX_HEADERHIT) return FALSE;
  CGXRange covered;
  if (GetCoveredCellsRowCol(row, col, covered)) row = covered.m_nTop, col = covered.m_nLeft;
  if (!(IsCurrentCell(row, col) && IsCurrentCellActive())) SetCurrentCell(row, col, GX_UPDATENOW | GX_SCROLLINVIEW);
  CGXControl* control = IsCurrentCell(row, col) && IsCurrentCellActive() ? GetControl(row, col) : nullptr;
  const BOOL handled = control ? (nButton == 2 ? control->RButtonDblClk(nFlags, point) : control->MButtonDblClk(nFlags, point))
                               : (nButton == 2 ? OnRButtonDblClkRowCol(row, col, nFlags, point)
                                               : OnMButtonDblClkRowCol(row, col, nFlags, point));
  return handled || OtherButtonDown(nButton, nFlags, point);
}

BOOL CGXGridCore::OnRButtonDown(UINT nFlags, CPoint point) { return OtherButtonDown(2, nFlags, point); }
BOOL CGXGridCore::OnRButtonUp(UINT nFlags, CPoint point) { return OtherButtonUp(2, nFlags, point); }
BOOL CGXGridCore::OnRButtonDblClk(UINT nFlags, CPoint point) { return OtherButtonDblClk(2, nFlags, point); }
BOOL CGXGridCore::OnMButtonDown(UINT nFlags, CPoint point) { return OtherButtonDown(1, nFlags, point); }
BOOL CGXGridCore::OnMButtonUp(UINT nFlags, CPoint point) { return OtherButtonUp(1, nFlags, point); }
BOOL CGXGridCore::OnMButtonDblClk(UINT nFlags, CPoint point) { return OtherButtonDblClk(1, nFlags, point); }

BOOL CGXGridCore::OnCancelMode() {
  if (m_bTracking) {
    OnCancelTracking();
  } else if (m_wMouseAction) {
    const CGXRange marked = MarkedRange(*this);
    const BOOL had = m_pParam && !m_pParam->m_SelRects.IsEmpty();
    SetSelection(nullptr);
    m_wMouseAction = 0;
    if (had) OnChangedSelection(nullptr, FALSE, FALSE);
    RedrawMarkedHeaders(*this, marked);
  } else if (m_bSelDragActive) {
    OnSelDragCancel();
  }
  if (m_nForcedCursorId) SetForcedCursor(0);
  const HWND hwnd = GridHwnd(m_pGridWnd);
  if (hwnd && ::GetCapture() == hwnd) ::ReleaseCapture();
  return TRUE;
}

// Inside the grid the cursor follows the context of each move, not the window class.
BOOL CGXGridCore::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT) {
  return m_bInitialized && pWnd && m_pGridWnd && pWnd->GetSafeHwnd() == m_pGridWnd->GetSafeHwnd() &&
         nHitTest == HTCLIENT;
}

BOOL CGXGridCore::OnCommand(WPARAM wParam, LPARAM lParam) {
  ROWCOL r, c;
  if (!lParam || !GetCurrentCell(r, c)) return FALSE;
  CGXControl* control = GetControl(r, c);
  return control && control->IsInitAt(r, c) && control->OnCommand(wParam, lParam);
}

UINT CGXGridCore::OnGetDlgCode(UINT code) {
  return code | 0x83;  // arrows, tab and characters
}
