// The grid core's hit test (what a press at a point would do) and the tracking cycle that resizes a
// row or column by dragging its boundary.
#include "grid/engine/GXGridCore.h"

#include <algorithm>
#include <cstdlib>

namespace {
const ROWCOL kNone = (ROWCOL)-1;
}

int CGXGridCore::HitTest(CPoint ptIn, ROWCOL* pRow, ROWCOL* pCol, CRect* pRect) {
  if (!m_pParam) return 0;
  CRect g;
  GetGridRect(&g);
  const CPoint pt(std::max<LONG>(ptIn.x, 0), std::max<LONG>(ptIn.y, 0));
  if (!g.PtInRect(pt) || !g.PtInRect(ptIn)) return 0;
  int top = 0, left = 0;
  const ROWCOL clientRow = CalcClientRowFromPt(pt, &top), clientCol = CalcClientColFromPt(pt, &left);
  const BOOL cell = clientRow != kNone && clientCol != kNone;
  CRect rect;
  if (cell)
    rect.SetRect(left, top, left + GetColWidth(GetColFromClientCol(clientCol)),
                 top + GetRowHeight(GetRowFromClientRow(clientRow)));
  const WORD wCol = m_pParam->m_wAllowTrackColWidth, wRow = m_pParam->m_wAllowTrackRowHeight;
  const BOOL colEdges = (wCol & 3) && (clientRow <= GetHeaderRows() || (wCol & 4));
  const BOOL rowEdges = (wRow & 3) && (clientCol <= GetHeaderCols() || (wRow & 4));
  const int h = m_nTrackTolerance / 2;
  int code = 0;
  ROWCOL hitRow = clientRow, hitCol = clientCol;
  // A boundary on the near edge belongs to the nearest band before it that has a size.
  auto before = [](ROWCOL client, auto size) {
    while (client > 0 && size(--client) == 0) {
    }
    return client;
  };
  if (cell && colEdges && std::abs(rect.right - pt.x) <= h) {
    if (!(clientCol <= GetHeaderCols() && (wCol & 8))) code = 1;
  } else if (cell && colEdges && std::abs(rect.left - pt.x) <= h && clientCol != 0) {
    if (!(clientCol <= GetHeaderCols() + 1 && (wCol & 8))) {
      code = 1;
      hitCol = before(clientCol, [this](ROWCOL c) { return GetColWidth(GetColFromClientCol(c)); });
    }
  } else if (cell && rowEdges && std::abs(rect.bottom - pt.y) <= h) {
    if (!(clientRow <= GetHeaderRows() && (wRow & 8))) code = 2;
  } else if (cell && rowEdges && std::abs(rect.top - pt.y) <= h && clientRow != 0) {
    if (!(clientRow <= GetHeaderRows() + 1 && (wRow & 8))) {
      code = 2;
      hitRow = before(clientRow, [this](ROWCOL r) { return GetRowHeight(GetRowFromClientRow(r)); });
    }
  }
  if (cell && code == 0) {
    code = HitTestSelectionEdge(GetRowFromClientRow(clientRow), GetColFromClientCol(clientCol), &pt, &rect);
    if (!code) code = clientCol > GetHeaderCols() && clientRow > GetHeaderRows() ? 3 : 4;
  }
  if (pRow) *pRow = hitRow != kNone ? GetRowFromClientRow(hitRow) : pt.y > h + 1 ? GetRowCount() + 1 : 0;
  if (pCol) *pCol = hitCol != kNone ? GetColFromClientCol(hitCol) : pt.x > h + 1 ? GetColCount() + 1 : 0;
  if (pRect) *pRect = rect;
  return code;
}

int CGXGridCore::HitTestSelectionEdge(ROWCOL nRow, ROWCOL nCol, const POINT* pt, const RECT* pCellRect) {
  if (!m_bHitSelectionEdges || !m_pParam || !pt || !pCellRect) return 0;
  const RECT& r = *pCellRect;
  const BOOL onLeft = pt->x - r.left >= 0 && pt->x - r.left < 5, onTop = pt->y - r.top >= 0 && pt->y - r.top < 5;
  const CGXRangeList& sel = m_pParam->m_SelRects;
  if (sel.FindRange(0, 0)) return nRow == 0 && nCol == 0 && (onLeft || onTop) ? 5 : 0;
  CGXRange range;
  if (POSITION pos = sel.FindRange(nRow, nCol)) {
    range = *sel.GetAt(pos);
  } else if (sel.IsEmpty() && IsCurrentCell(nRow, nCol)) {
    if (!GetCoveredCellsRowCol(nRow, nCol, range)) range.SetCellRange(nRow, nCol, nRow, nCol);
  } else {
    return 0;
  }
  const BOOL onRight = r.right - pt->x >= 0 && r.right - pt->x < 5, onBottom = r.bottom - pt->y >= 0 && r.bottom - pt->y <= 4;
  if ((onLeft && !range.IsRows() && range.m_nLeft == nCol) || (onRight && !range.IsRows() && range.m_nRight == nCol) ||
      (onTop && !range.IsCols() && range.m_nTop == nRow) || (onBottom && !range.IsCols() && range.m_nBottom == nRow))
    return 5;
  return 0;
}

BOOL CGXGridCore::OnStartTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode) {
  if (!m_pParam) return FALSE;
  const BOOL cols = nTrackingMode == 2;
  if (cols ? !(OnTrackColWidth(nCol) && OnTrackColWidthStart(nCol)) : !(OnTrackRowHeight(nRow) && OnTrackRowHeightStart(nRow)))
    return FALSE;
  (cols ? nRow : nCol) = 0;
  CRect r = CalcRectFromRowColEx(nRow, nCol, nRow, nCol, TRUE);
  if (m_pParam->m_bGridLinesRightBottom) r.OffsetRect(-1, -1);
  m_nTrackingMode = nTrackingMode, m_nTrackRow = nRow, m_nTrackCol = nCol;
  LONG dummy = 0;
  m_nTrackOldSize = cols ? GetColWidth(nCol) : GetRowHeight(nRow);
  m_bTrackHadSize = cols ? m_pParam->m_ColWidths.Lookup(nCol, dummy) : m_pParam->m_RowHeights.Lookup(nRow, dummy);
  CRect g;
  GetGridRect(&g);
  if (cols) {
    m_rectTrackAnchor.SetRect(r.left, g.top, r.left + 1, g.bottom);
    m_rectTrackStart.SetRect(r.right, g.top, r.right + 1, g.bottom);
  } else {
    m_rectTrackAnchor.SetRect(g.left, r.top, g.right, r.top + 1);
    m_rectTrackStart.SetRect(g.left, r.bottom, g.right, r.bottom + 1);
  }
  m_rectTrackLine = m_rectTrackStart;
  m_bTrackMoved = FALSE;
  m_bTracking = TRUE;
  return TRUE;
}

BOOL CGXGridCore::OnMoveTracking(ROWCOL, ROWCOL, int, CSize& size) {
  if (!m_bTracking || !m_pParam) return FALSE;
  m_bTrackMoved = TRUE;
  const BOOL cols = m_nTrackingMode == 2;
  CRect g;
  GetGridRect(&g);
  if (cols) {
    size.cx = std::max<LONG>(size.cx, (LONG)m_pParam->m_nMinTrackColWidth);
    if (!OnTrackColWidthMove(m_nTrackCol, size.cx)) return FALSE;
    const int x = m_rectTrackAnchor.left + size.cx;
    m_rectTrackLine.left = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.left, x), g.right - 7);
    m_rectTrackLine.right = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.right, x + 1), g.right - 6);
  } else {
    size.cy = std::max<LONG>(size.cy, (LONG)m_pParam->m_nMinTrackRowHeight);
    if (!OnTrackRowHeightMove(m_nTrackRow, size.cy)) return FALSE;
    const int y = m_rectTrackAnchor.top + size.cy;
    m_rectTrackLine.top = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.top, y), g.bottom - 7);
    m_rectTrackLine.bottom = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.bottom, y + 1), g.bottom - 6);
  }
  return TRUE;
}

BOOL CGXGridCore::OnEndTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size) {
  if (!m_bTracking || !m_pParam) return FALSE;
  if (m_bTrackMoved) OnMoveTracking(m_nTrackRow, m_nTrackCol, m_nTrackingMode, size);
  m_bTracking = FALSE;
  const BOOL cols = m_nTrackingMode == 2;
  (void)nRow, (void)nCol, (void)nTrackingMode;
  const ROWCOL row = m_nTrackRow, col = m_nTrackCol;
  const int offset = cols ? m_rectTrackLine.left - m_rectTrackStart.left : m_rectTrackLine.top - m_rectTrackStart.top;
  const BOOL allowed = cols ? OnTrackColWidthEnd(col, size.cx) : OnTrackRowHeightEnd(row, size.cy);
  if (!allowed || std::abs(offset) < 2 || !m_bTrackMoved) {
    RedrawRowCol(row, col, row, col, 2, FALSE);
    return FALSE;
  }
  const int size0 = cols ? GetColWidth(col) : GetRowHeight(row);
  const int neu = offset + size0;
  const WORD bits = cols ? m_pParam->m_wAllowTrackColWidth : m_pParam->m_wAllowTrackRowHeight;
  const CGXRangeList& sel = m_pParam->m_SelRects;
  if ((cols ? col : row) != 0 && (bits & 1)) {
    cols ? SetDefaultColWidth(neu, 2, CmdDo) : SetDefaultRowHeight(neu, 2, CmdDo);
  } else if (sel.IsCellInList(cols ? 0 : row, cols ? col : 0)) {
    if (!sel.IsEmpty() && const_cast<CGXRangeList&>(sel).GetHead()->IsTable()) {
      cols ? SetDefaultColWidth(neu, 2, CmdDo) : SetDefaultRowHeight(neu, 2, CmdDo);
    } else {
      // The runs of the selected ranges that reach the header row (column).
      CGXRangeList reaching;
      POSITION pos = sel.GetHeadPosition();
      while (pos) {
        const CGXRange* r = sel.GetNext(pos);
        if (r->IsTable() || (cols ? r->IsCols() || r->m_nTop == 0 : r->IsRows() || r->m_nLeft == 0))
          reaching.AddTail(new CGXRange(*r));
      }
      CDWordArray from, to;
      cols ? reaching.GetColArray(GetColCount(), from, to) : reaching.GetRowArray(GetRowCount(), from, to);
      for (INT_PTR i = from.GetSize() - 1; i >= 0; --i) {
        const ROWCOL a = std::max<ROWCOL>(from[i], 1), b = to[i];
        if (neu < 1) cols ? HideCols(a, b, TRUE, nullptr, 2, CmdDo) : HideRows(a, b, TRUE, nullptr, 2, CmdDo);
        else cols ? SetColWidth(a, b, neu, nullptr, 2, CmdDo) : SetRowHeight(a, b, neu, nullptr, 2, CmdDo);
      }
    }
  } else if (neu < 1) {
    cols ? HideCols(col, col) : HideRows(row, row);
  } else {
    cols ? SetColWidth(col, col, neu) : SetRowHeight(row, row, neu);
  }
  UpdateWindow();
  RefreshScrollBars();
  return TRUE;
}

void CGXGridCore::OnCancelTracking() {
  if (!m_bTracking) return;
  m_bTracking = FALSE;
  RedrawRowCol(m_nTrackRow, m_nTrackCol, m_nTrackRow, m_nTrackCol, 2, FALSE);
}
