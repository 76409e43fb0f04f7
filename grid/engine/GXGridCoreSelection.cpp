// The grid core's selection: storing and removing ranges, inverting exactly the cells whose state
// changed, the selected rows, and the marker frame around the last selected range.
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXDrawUtils.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <memory>

namespace {

const ROWCOL kNone = (ROWCOL)-1;

// A client DC of the grid window, prepared and clipped to the grid area less the windows of cell
// controls over it; null when not drawable.
class CGridDC {
 public:
  explicit CGridDC(CGXGridCore& grid) {
    if (!grid.m_pGridWnd || !grid.m_pGridWnd->GetSafeHwnd() || !grid.m_pGridWnd->IsWindowVisible() ||
        !grid.GetParam() || grid.GetParam()->m_bLockUpdate)
      return;
    m_dc = std::make_unique<CClientDC>(grid.m_pGridWnd);
    grid.PrepareDC(m_dc.get());
    CRect g;
    grid.GetGridRect(&g);
    m_dc->IntersectClipRect(&g);
    // An inversion over a control's window would stay on it: the window does not paint again, while
    // a paint of the grid leaves it to the window.
    const HWND hwnd = grid.m_pGridWnd->GetSafeHwnd();
    for (HWND child = ::GetTopWindow(hwnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (!::IsWindowVisible(child)) continue;
      CRect r;
      ::GetWindowRect(child, &r);
      grid.m_pGridWnd->ScreenToClient(&r);
      m_dc->ExcludeClipRect(&r);
    }
  }
  CDC* Get() { return m_dc.get(); }

 private:
  std::unique_ptr<CClientDC> m_dc;
};

}  // namespace

BOOL CGXGridCore::IsCellInRangeList(ROWCOL nRow, ROWCOL nCol, const CGXRangeList& list) {
  return list.IsCellInList(nRow, nCol);
}

BOOL CGXGridCore::OnChangingSelection(const CGXRange* pRange, BOOL b1, BOOL b2) {
  OnSelectionHook(pRange, b1, b2);
  return TRUE;
}

void CGXGridCore::SelectRange(const CGXRange& range, BOOL bSelect, BOOL bUpdate) {
  if (!m_pParam) return;
  CGXRangeList old;
  CopyRangeList(old, FALSE);
  if (!StoreSelectRange(range, bSelect)) return;
  OnChangedSelection(&range, FALSE, FALSE);
  if (!m_pParam->m_bLockUpdate && bUpdate) UpdateSelectRange(range, &old, TRUE);
}

BOOL CGXGridCore::StoreSelectRange(const CGXRange& range, BOOL bSelect) {
  if (!m_pParam) return FALSE;
  CGXRangeList& list = m_pParam->m_SelRects;
  if (bSelect) {
    list.AddTail(new CGXRange(range));
    return TRUE;
  }
  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  CGXRange d = range;
  d.ExpandRange(1, 1, rows, cols);
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGXRange* s = list.GetNext(pos);
    CGXRange e = *s, in;
    e.ExpandRange(1, 1, rows, cols);
    if (!in.IntersectRange(e, d)) continue;
    const BOOL rowsKind = range.IsRows() && (s->IsRows() || s->IsTable());
    const BOOL colsKind = range.IsCols() && (s->IsCols() || s->IsTable());
    auto add = [&](ROWCOL t, ROWCOL l, ROWCOL b, ROWCOL r, BOOL wholeRows, BOOL wholeCols) {
      CGXRange part;
      if (wholeRows) part.SetRowRange(t, b);
      else if (wholeCols) part.SetColRange(l, r);
      else part.SetCellRange(t, l, b, r);
      list.InsertBefore(at, new CGXRange(part));
    };
    if (e.m_nTop < in.m_nTop) add(e.m_nTop, e.m_nLeft, in.m_nTop - 1, e.m_nRight, rowsKind, FALSE);
    if (in.m_nBottom < e.m_nBottom) add(in.m_nBottom + 1, e.m_nLeft, e.m_nBottom, e.m_nRight, rowsKind, FALSE);
    if (e.m_nLeft < in.m_nLeft) add(e.m_nTop, e.m_nLeft, e.m_nBottom, in.m_nLeft - 1, FALSE, colsKind);
    if (in.m_nRight < e.m_nRight) add(e.m_nTop, in.m_nRight + 1, e.m_nBottom, e.m_nRight, FALSE, colsKind);
    if (at == m_posSelRange) m_posSelRange = nullptr;  // a freed node must not pass for the anchor
    delete s;
    list.RemoveAt(at);
  }
  return TRUE;
}

void CGXGridCore::SetSelection(POSITION pos, ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight) {
  if (!m_pParam) return;
  if (!pos) {
    if (!m_pParam->m_SelRects.IsEmpty()) UpdateClearSelection(TRUE);
    m_pParam->m_SelRects.DeleteAll();
    m_posSelRange = nullptr;
    return;
  }
  if (m_pParam->m_wSelectionBehavior & 3) nLeft = nRight = 0;
  UpdateWindow();
  if (nTop > nBottom) std::swap(nTop, nBottom);
  if (nLeft > nRight) std::swap(nLeft, nRight);
  UpdateSetSelection(pos, nTop, nLeft, nBottom, nRight, TRUE);
  CGXRange* range = m_pParam->m_SelRects.GetAt(pos);
  if (nTop && nLeft) range->SetCellRange(nTop, nLeft, nBottom, nRight);
  else if (nTop) range->SetRowRange(nTop, nBottom);
  else if (nLeft) range->SetColRange(nLeft, nRight);
  else range->SetWholeTable();
}

// Inverts every visible cell of rows top..bottom, columns left..right (absolute) whose
// membership in the selection differs from `before`.
template <class Before, class After>
static void InvertChanged(CGXGridCore& grid, CDC* dc, ROWCOL top, ROWCOL left, ROWCOL bottom, ROWCOL right,
                          Before before, After after) {
  const ROWCOL fr = grid.GetFrozenRows(), fc = grid.GetFrozenCols();
  if (top > fr && top < grid.GetTopRow()) top = grid.GetTopRow();
  if (left > fc && left < grid.GetLeftCol()) left = grid.GetLeftCol();
  if (top > bottom || left > right) return;
  CRect g;
  grid.GetGridRect(&g);
  const ROWCOL lastRow = grid.GetClientRow(grid.CalcLastVisibleRow(g));
  const ROWCOL lastCol = grid.GetClientCol(grid.CalcLastVisibleCol(g));
  ROWCOL r1 = grid.GetClientRow(top), c1 = grid.GetClientCol(left);
  ROWCOL r2 = std::min(grid.GetClientRow(bottom), lastRow), c2 = std::min(grid.GetClientCol(right), lastCol);
  if (r2 == 0 && bottom > fr) r2 = std::min(fr, lastRow);
  if (c2 == 0 && right > fc) c2 = std::min(fc, lastCol);
  if (r1 > r2 || c1 > c2) return;
  grid.CalcClientCellRect(r1, c1);  // the cached walk starts fresh: sizes or scrolling may have changed
  for (ROWCOL cr = r1; cr <= r2; ++cr) {
    const ROWCOL row = grid.GetRowFromClientRow(cr);
    for (ROWCOL cc = c1; cc <= c2; ++cc) {
      const ROWCOL col = grid.GetColFromClientCol(cc);
      if (before(row, col) != after(row, col) && dc) {
        const CRect rect = grid.CalcClientCellRectCached(cr, cc);
        if (rect.Width() > 0 && rect.Height() > 0) grid.DrawSelectedCell(dc, row, col, rect);
      }
      if (cc == kNone - 1) break;
    }
    if (cr == kNone - 1) break;
  }
}

void CGXGridCore::UpdateSetSelection(POSITION pos, ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight,
                                     BOOL bCreateHint) {
  if (!m_pParam) return;
  m_bSelDragging = TRUE;
  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  CGXRange neu;
  if (nTop && nLeft) neu.SetCellRange(nTop, nLeft, nBottom, nRight);
  else if (nTop) neu.SetRowRange(nTop, nBottom);
  else if (nLeft) neu.SetColRange(nLeft, nRight);
  else neu.SetWholeTable();
  CGXRange newCells = neu, box;
  newCells.ExpandRange(0, 0, rows, cols);
  box = newCells;
  if (pos) {
    CGXRange old = *m_pParam->m_SelRects.GetAt(pos);
    old.ExpandRange(0, 0, rows, cols);
    box.UnionRange(old, newCells);
  }
  CGridDC dc(*this);
  CGXRangeList& list = m_pParam->m_SelRects;
  // The marker frames the last range: another one changed (by another window) leaves it where it is.
  const CGXRange* marked = !pos || pos == list.GetTailPosition() ? &neu : list.GetTail();
  DrawSelectionMarker(dc.Get(), TRUE, marked);
  InvertChanged(
      *this, dc.Get(), box.m_nTop, box.m_nLeft, box.m_nBottom, box.m_nRight,
      [&](ROWCOL r, ROWCOL c) { return IsCellInRangeList(r, c, list) != 0; },
      [&](ROWCOL r, ROWCOL c) { return newCells.IsCellInRange(r, c) || list.IsCellInList(r, c, pos); });
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateSetSelection, m_nViewID);
    hint.m_pHintPtr = pos, hint.m_nRow1 = nTop, hint.m_nCol1 = nLeft, hint.m_nRow2 = nBottom, hint.m_nCol2 = nRight;
    SendHint(hint);
  }
  m_bSelDragging = FALSE;
}

void CGXGridCore::UpdateClearSelection(BOOL bCreateHint) {
  if (!m_pParam) return;
  m_bSelDragging = TRUE;
  CGridDC dc(*this);
  DrawSelectionMarker(dc.Get(), TRUE, nullptr);
  m_bMarkerShown = FALSE;
  const CGXRangeList& list = m_pParam->m_SelRects;
  InvertChanged(
      *this, dc.Get(), 0, 0, GetRowCount(), GetColCount(),
      [&](ROWCOL r, ROWCOL c) { return IsCellInRangeList(r, c, list) != 0; }, [](ROWCOL, ROWCOL) { return false; });
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateClearSelection, m_nViewID);
    SendHint(hint);
  }
  m_bSelDragging = FALSE;
}

void CGXGridCore::UpdateSelectRange(const CGXRange& range, const CGXRangeList* pOldList, BOOL bCreateHint) {
  if (!m_pParam) return;
  m_bSelDragging = TRUE;
  CGridDC dc(*this);
  CGXRangeList& list = m_pParam->m_SelRects;
  DrawSelectionMarker(dc.Get(), TRUE, list.IsEmpty() ? nullptr : list.GetTail());
  if (list.IsEmpty()) m_bMarkerShown = FALSE;
  const ROWCOL rows = GetRowCount(), cols = GetColCount();
  CGXRange cells = range;
  cells.ExpandRange(0, 0, rows, cols);
  // A range taken out of a wider one leaves parts of another kind: the header cells of a whole table,
  // say, are no longer selected when one row is taken out of it.
  if (cells.IsValid() && pOldList)
    for (POSITION pos = pOldList->GetHeadPosition(); pos;) {
      CGXRange old = *pOldList->GetNext(pos), in;
      old.ExpandRange(0, 0, rows, cols);
      if (in.IntersectRange(old, cells)) cells.UnionRange(CGXRange(cells), old);
    }
  if (cells.IsValid())
    InvertChanged(
        *this, dc.Get(), cells.m_nTop, cells.m_nLeft, cells.m_nBottom, cells.m_nRight,
        [&](ROWCOL r, ROWCOL c) { return pOldList && IsCellInRangeList(r, c, *pOldList); },
        [&](ROWCOL r, ROWCOL c) { return IsCellInRangeList(r, c, list) != 0; });
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateSelectRange, m_nViewID);
    hint.m_range = range, hint.m_pHintPtr = (void*)pOldList;
    SendHint(hint);
  }
  m_bSelDragging = FALSE;
}

// ---- selected rows ------------------------------------------------------------------------------------------

BOOL CGXGridCore::GetSelectedRowRuns(CDWordArray& starts, CDWordArray& ends, BOOL bWholeRowsOnly, BOOL bCurrentCell) {
  starts.RemoveAll();
  ends.RemoveAll();
  if (m_pParam) m_pParam->m_SelRects.GetRowArray(GetRowCount(), starts, ends, bWholeRowsOnly);
  ROWCOL r, c;
  if (starts.GetSize() == 0 && bCurrentCell && GetCurrentCell(r, c)) {
    starts.Add(r);
    ends.Add(r);
  }
  return starts.GetSize() > 0;
}

int CGXGridCore::GetSelectedRows(CDWordArray& rows, BOOL bWholeRowsOnly, BOOL bCurrentCell) {
  rows.RemoveAll();
  CDWordArray starts, ends;
  GetSelectedRowRuns(starts, ends, bWholeRowsOnly, bCurrentCell);
  for (INT_PTR i = 0; i < starts.GetSize(); ++i)
    for (DWORD r = starts[i];; ++r) {
      rows.Add(r);
      if (r >= ends[i]) break;
    }
  return (int)rows.GetSize();
}

// ---- the marker frame ---------------------------------------------------------------------------------------

BOOL CGXGridCore::ShowSelectionMarker(BOOL bHide, BOOL bCreateHint) {
  const BOOL previous = m_bMarkerHidden;
  if (!m_pParam || !m_pParam->m_bSelectionMarker) return previous;
  if (bHide != m_bMarkerHidden) {
    CGridDC dc(*this);
    m_bMarkerHidden = FALSE;
    CGXRangeList& list = m_pParam->m_SelRects;
    if (!bHide && !list.IsEmpty()) DrawSelectionMarker(dc.Get(), FALSE, list.GetTail());
    else if (bHide) DrawSelectionMarker(dc.Get(), TRUE, nullptr);
    m_bMarkerHidden = bHide;
  }
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintShowSelectionMarker, m_nViewID);
    hint.m_flags = bHide;
    SendHint(hint);
  }
  return previous;
}

void CGXGridCore::DrawSelectionMarker(CDC* pDC, BOOL bRemoveOld, const CGXRange* pNewRange) {
  if (!m_pParam || !m_pParam->m_bSelectionMarker || m_bMarkerHidden) return;
  if (bRemoveOld && m_bMarkerShown && pDC) {
    InvertSelectionMarker(pDC, m_rangeMarker, m_nMarkerKind);
    m_bMarkerShown = FALSE;
  }
  if (!pNewRange) return;
  CGXRange r = *pNewRange;
  if (r.IsCells() && (r.m_nTop == 0 || r.m_nLeft == 0)) {
    if (r.m_nTop && !r.m_nLeft) r.SetRowRange(r.m_nTop, r.m_nBottom);
    else if (!r.m_nTop && r.m_nLeft) r.SetColRange(r.m_nLeft, r.m_nRight);
    else r.SetWholeTable();
  }
  const int kind = r.IsCols() ? 7 : r.IsRows() ? 2 : 0;
  r.ExpandRange(GetHeaderRows() + 1, GetHeaderCols() + 1, GetRowCount(), GetColCount());
  m_rangeMarker = r;
  m_nMarkerKind = kind;
  if (pDC) {
    InvertSelectionMarker(pDC, r, kind);
    m_bMarkerShown = TRUE;
  }
}

void CGXGridCore::InvertSelectionMarker(CDC* pDC, const CGXRange& range, int nKind) {
  if (!pDC || !m_pParam || m_pParam->m_bLockUpdate || !range.IsValid()) return;
  CRect g;
  GetGridRect(&g);
  const ROWCOL fr = GetFrozenRows(), fc = GetFrozenCols(), tr = GetTopRow(), lc = GetLeftCol();
  const LONG frozenBottom = g.top + SumRowHeights(0, fr), frozenRight = g.left + SumColWidths(0, fc);
  // Quadrants: frozen and scrolled rows by frozen and scrolled columns.
  for (int q = 0; q < 4; ++q) {
    const BOOL scrolledRows = q >= 2, scrolledCols = q & 1;
    ROWCOL t = range.m_nTop, b = range.m_nBottom, l = range.m_nLeft, r = range.m_nRight;
    if (scrolledRows) t = std::max(t, tr);
    else b = std::min(b, fr);
    if (scrolledCols) l = std::max(l, lc);
    else r = std::min(r, fc);
    if (t > b || l > r) continue;
    CRect part = CalcRectFromRowColEx(t, l, b, r);
    if (part.IsRectEmpty()) continue;
    CRect clip(scrolledCols ? frozenRight : g.left, scrolledRows ? frozenBottom : g.top,
               scrolledCols ? g.right : frozenRight, scrolledRows ? g.bottom : frozenBottom);
    DrawSelectionFrame(pDC, part, clip, t == range.m_nTop, l == range.m_nLeft, nKind);
  }
}

void CGXGridCore::DrawSelectionFrame(CDC* pDC, const RECT& rect, const RECT& clip, BOOL bTop, BOOL bLeft, int nKind) {
  const BOOL rb = m_pParam && m_pParam->m_bGridLinesRightBottom;
  const int d = rb ? 1 : 0, e = d;
  const int l = rect.left - d, t = rect.top - d, r = rect.right - d, b = rect.bottom - d;
  auto band = [&](int x1, int y1, int x2, int y2) {
    CRect bandRect(x1, y1, x2, y2), c(clip), out;
    if (out.IntersectRect(&bandRect, &c)) pDC->InvertRect(&out);
  };
  if (bTop) band(l - 1, t - 1, r + 2, t + e), band(l + 2, t + 2, r - 2, t + 3);
  else if (bLeft && b > t) band(l + 2, t, l + 3, t + 3), band(r - 2, t, r - 1, t + 1);
  if (bLeft) band(l - 1, t + e, l + e, b + 2), band(l + 2, t + 3, l + 3, b - 2);
  else if (bTop && r > l) band(l, b - 2, l + 2, b - 1), band(l, t + 2, l + 2, t + 3);
  band(l + e, b + e, r + e, b + 2);
  band(r + e, t + e, r + 2, b + 2);
  band(l + 2, b - 2, r - 2, b - 1);
  band(r - 2, bTop ? t + 2 : t + 1, r - 1, b - 1);
  if (nKind == 7) {
    band(r - 1, t + 2, r + 2, t + 7), band(r - 3, t + 3, r - 2, t + 7);
    band(r - 2, t + 1, r + 3, t + 6), band(r + 2, t + 1, r + 3, t + 2);
  } else if (nKind == 2) {
    band(l + 2, b - 1, l + 7, b + 2), band(l + 3, b - 3, l + 7, b - 2);
    band(l + 1, b - 2, l + 6, b + 3), band(l + 1, b + 2, l + 2, b + 3);
  } else {
    band(r - 1, b - 2, r + 2, b + 3), band(r - 2, b - 1, r + 3, b + 2), band(r + 2, b + 2, r + 3, b + 3);
  }
}
