// The grid core's hit test (what a press at a point would do) and the tracking cycle that resizes a
// row or column by dragging its boundary.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXDragLineWnd.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdlib>

namespace {
const ROWCOL kNone = (ROWCOL)-1;
}

int CGXGridCore::HitTest(CPoint ptIn, ROWCOL* pRow, ROWCOL* pCol, CRect* pRect) {
  if (!m_pParam) return GX_NOHIT;
  CRect g;
  GetGridRect(&g);
  const CPoint pt(std::max<LONG>(ptIn.x, 0), std::max<LONG>(ptIn.y, 0));
  if (!g.PtInRect(pt) || !g.PtInRect(ptIn)) return GX_NOHIT;
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
  int code = GX_NOHIT;
  ROWCOL hitRow = clientRow, hitCol = clientCol;
  // A boundary on the near edge belongs to the nearest band before it that has a size.
  auto before = [](ROWCOL client, auto size) {
    while (client > 0 && size(--client) == 0) {
    }
    return client;
  };
  if (cell && colEdges && std::abs(rect.right - pt.x) <= h) {
    if (!(clientCol <= GetHeaderCols() && (wCol & 8))) code = GX_VERTLINE;
  } else if (cell && colEdges && std::abs(rect.left - pt.x) <= h && clientCol != 0) {
    if (!(clientCol <= GetHeaderCols() + 1 && (wCol & 8))) {
      code = GX_VERTLINE;
      hitCol = before(clientCol, [this](ROWCOL c) { return GetColWidth(GetColFromClientCol(c)); });
    }
  } else if (cell && rowEdges && std::abs(rect.bottom - pt.y) <= h) {
    if (!(clientRow <= GetHeaderRows() && (wRow & 8))) code = GX_HORZLINE;
  } else if (cell && rowEdges && std::abs(rect.top - pt.y) <= h && clientRow != 0) {
    if (!(clientRow <= GetHeaderRows() + 1 && (wRow & 8))) {
      code = GX_HORZLINE;
      hitRow = before(clientRow, [this](ROWCOL r) { return GetRowHeight(GetRowFromClientRow(r)); });
    }
  }
  if (cell && code == GX_NOHIT) {
    code = HitTestSelectionEdge(GetRowFromClientRow(clientRow), GetColFromClientCol(clientCol), &pt, &rect);
    if (!code) code = clientCol > GetHeaderCols() && clientRow > GetHeaderRows() ? GX_CELLHIT : GX_HEADERHIT;
  }
  if (pRow) *pRow = hitRow != kNone ? GetRowFromClientRow(hitRow) : pt.y > h + 1 ? GetRowCount() + 1 : 0;
  if (pCol) *pCol = hitCol != kNone ? GetColFromClientCol(hitCol) : pt.x > h + 1 ? GetColCount() + 1 : 0;
  if (pRect) *pRect = rect;
  return code;
}

int CGXGridCore::HitTestSelectionEdge(ROWCOL nRow, ROWCOL nCol, const POINT* pt, const RECT* pCellRect) {
  if (!m_bHitSelectionEdges || !m_pParam || !pt || !pCellRect) return GX_NOHIT;
  const RECT& r = *pCellRect;
  const BOOL onLeft = pt->x - r.left >= 0 && pt->x - r.left < 5, onTop = pt->y - r.top >= 0 && pt->y - r.top < 5;
  const CGXRangeList& sel = m_pParam->m_SelRects;
  if (sel.FindRange(0, 0)) return nRow == 0 && nCol == 0 && (onLeft || onTop) ? GX_SELEDGEHIT : GX_NOHIT;
  CGXRange range;
  if (POSITION pos = sel.FindRange(nRow, nCol)) {
    range = *sel.GetAt(pos);
  } else if (sel.IsEmpty() && IsCurrentCell(nRow, nCol)) {
    if (!GetCoveredCellsRowCol(nRow, nCol, range)) range.SetCellRange(nRow, nCol, nRow, nCol);
  } else {
    return GX_NOHIT;
  }
  const BOOL onRight = r.right - pt->x >= 0 && r.right - pt->x < 5, onBottom = r.bottom - pt->y >= 0 && r.bottom - pt->y <= 4;
  if ((onLeft && !range.IsRows() && range.m_nLeft == nCol) || (onRight && !range.IsRows() && range.m_nRight == nCol) ||
      (onTop && !range.IsCols() && range.m_nTop == nRow) || (onBottom && !range.IsCols() && range.m_nBottom == nRow))
    return GX_SELEDGEHIT;
  return GX_NOHIT;
}

void CGXGridCore::DestroyDragLine() {
  if (!m_pDragLineWnd) return;
  if (m_pDragLineWnd->GetSafeHwnd()) m_pDragLineWnd->DestroyWindow();
  delete m_pDragLineWnd;
  m_pDragLineWnd = nullptr;
}

void CGXGridCore::RestoreTrackedSize() {
  if (!m_pParam) return;
  auto& map = m_nTrackingMode == 2 ? m_pParam->m_ColWidths : m_pParam->m_RowHeights;
  const ROWCOL key = m_nTrackingMode == 2 ? m_nTrackCol : m_nTrackRow;
  if (m_bTrackHadSize) map.SetAt(key, m_nTrackOldStored);
  else map.RemoveKey(key);
}

void CGXGridCore::InvertTrackLine(const CRect& line) {
  if (line == m_rectTrackStart || !m_pGridWnd || !m_pGridWnd->GetSafeHwnd()) return;
  CClientDC dc(m_pGridWnd);
  CRect g;
  GetGridRect(&g);
  GXInvertClippedRect(&dc, &line, &g);
}

void CGXGridCore::RepaintTrackedHeader() {
  if (!m_pGridWnd || !m_pGridWnd->GetSafeHwnd()) return;
  const CRect r = m_nTrackingMode == 2 ? CalcRectFromRowColEx(0, m_nTrackCol, GetHeaderRows(), m_nTrackCol)
                                       : CalcRectFromRowColEx(m_nTrackRow, 0, m_nTrackRow, GetHeaderCols());
  // The header may have grown: repaint to the grid's edge.
  CRect g;
  GetGridRect(&g);
  CRect area = r;
  (m_nTrackingMode == 2 ? area.right : area.bottom) = m_nTrackingMode == 2 ? g.right : g.bottom;
  m_pGridWnd->InvalidateRect(&area, FALSE);
  m_pGridWnd->UpdateWindow();
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
  const WORD bits = cols ? m_pParam->m_wAllowTrackColWidth : m_pParam->m_wAllowTrackRowHeight;
  const CGXProperties* props = m_pParam->GetProperties();
  const BOOL lines = props && (cols ? props->GetVerticalLines() : props->GetHorizontalLines());
  m_bTrackLiveGrid = (bits & 0x100) != 0;
  m_bTrackLiveHeader = (bits & 0x80) && !(bits & 0x100);
  m_bTrackLineWnd = !(bits & 0x20) && !(bits & 0x100) && lines;
  m_bTrackInvert = !(bits & 0x40) && !(bits & 0x100);
  m_bTrackHeaderRedraw = !(bits & 0x10) && !(bits & 0x100);
  m_nTrackOldSize = cols ? GetColWidth(nCol) : GetRowHeight(nRow);
  m_nTrackOldStored = 0;
  m_bTrackHadSize = cols ? m_pParam->m_ColWidths.Lookup(nCol, m_nTrackOldStored)
                         : m_pParam->m_RowHeights.Lookup(nRow, m_nTrackOldStored);
  CRect g;
  GetGridRect(&g);
  // The line runs over the rows (columns) on screen, below (right of) the headers when they resize live.
  if (cols) {
    const LONG top = m_bTrackLiveHeader ? g.top + SumClientRowHeights(0, GetHeaderRows(), g.Height()) : g.top;
    const LONG bottom = g.top + std::min<LONG>(SumClientRowHeights(0, GetClientRow(GetRowCount()), g.Height()), g.Height());
    m_rectTrackAnchor.SetRect(r.left, top, r.left + 1, std::max(top, bottom));
    m_rectTrackStart.SetRect(r.right, top, r.right + 1, std::max(top, bottom));
  } else {
    const LONG left = m_bTrackLiveHeader ? g.left + SumClientColWidths(0, GetHeaderCols(), g.Width()) : g.left;
    const LONG right = g.left + std::min<LONG>(SumClientColWidths(0, GetClientCol(GetColCount()), g.Width()), g.Width());
    m_rectTrackAnchor.SetRect(left, r.top, std::max(left, right), r.top + 1);
    m_rectTrackStart.SetRect(left, r.bottom, std::max(left, right), r.bottom + 1);
  }
  if (m_bTrackLineWnd && m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
    if (!m_pDragLineWnd) {
      m_pDragLineWnd = new CGXDragLineWnd(this);
      if (!m_pDragLineWnd->CreateLine(m_pGridWnd)) DestroyDragLine();
    }
    if (m_pDragLineWnd) {
      m_pDragLineWnd->m_bDrawAsGridLine = 1;
      m_pDragLineWnd->m_nSecond = 0;
      m_pDragLineWnd->m_nLineKind = cols ? 1 : 2;
      m_pDragLineWnd->MoveWindow(&m_rectTrackStart);
      m_pDragLineWnd->ShowWindow(SW_SHOWNA);
      m_pDragLineWnd->UpdateWindow();
    }
  }
  m_rectTrackLine = m_rectTrackStart;
  m_bTrackMoved = FALSE;
  m_bTracking = TRUE;
  // Painted before the first line is inverted: moves read ahead of a later paint would have it paint over
  // the line, and the line's removal would then draw it there.
  if (m_bTrackHeaderRedraw && m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
    m_pGridWnd->InvalidateRect(&r, FALSE);
    m_pGridWnd->UpdateWindow();
  }
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
  } else {
    size.cy = std::max<LONG>(size.cy, (LONG)m_pParam->m_nMinTrackRowHeight);
    if (!OnTrackRowHeightMove(m_nTrackRow, size.cy)) return FALSE;
  }
  const BOOL oldLock = LockScrollBars(TRUE);
  CRect line = m_rectTrackLine;
  if (cols) {
    const int x = m_rectTrackAnchor.left + size.cx;
    line.left = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.left, x), g.right - 7);
    line.right = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.right, x + 1), g.right - 6);
  } else {
    const int y = m_rectTrackAnchor.top + size.cy;
    line.top = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.top, y), g.bottom - 7);
    line.bottom = std::min<LONG>(std::max<LONG>(m_rectTrackAnchor.bottom, y + 1), g.bottom - 6);
  }
  if (line != m_rectTrackLine) {
    if (m_bTrackInvert) {
      InvertTrackLine(m_rectTrackLine);
      InvertTrackLine(line);
    }
    m_rectTrackLine = line;
    const int offset = cols ? line.left - m_rectTrackStart.left : line.top - m_rectTrackStart.top;
    if (m_bTrackLiveGrid) {
      cols ? StoreColWidth(m_nTrackCol, m_nTrackOldSize + offset) : StoreRowHeight(m_nTrackRow, m_nTrackOldSize + offset);
      cols ? UpdateChangedColWidths(m_nTrackCol, m_nTrackCol, nullptr, GX_UPDATENOW, FALSE)
           : UpdateChangedRowHeights(m_nTrackRow, m_nTrackRow, nullptr, GX_UPDATENOW, FALSE);
    } else if (m_bTrackLiveHeader) {
      // The header cells show the new size for a moment; the table keeps the old one.
      cols ? StoreColWidth(m_nTrackCol, m_nTrackOldSize + offset) : StoreRowHeight(m_nTrackRow, m_nTrackOldSize + offset);
      RepaintTrackedHeader();
      RestoreTrackedSize();
    }
  }
  LockScrollBars(oldLock);
  return TRUE;
}

BOOL CGXGridCore::OnEndTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size) {
  if (!m_bTracking || !m_pParam) return FALSE;
  if (m_bTrackMoved) OnMoveTracking(m_nTrackRow, m_nTrackCol, m_nTrackingMode, size);
  DestroyDragLine();
  const BOOL cols = m_nTrackingMode == 2;
  if (cols) size.cx = std::max<LONG>(size.cx, (LONG)m_pParam->m_nMinTrackColWidth);
  else size.cy = std::max<LONG>(size.cy, (LONG)m_pParam->m_nMinTrackRowHeight);
  m_bTracking = FALSE;
  if (m_bTrackInvert) InvertTrackLine(m_rectTrackLine);
  UINT flags = 2;
  if (m_bTrackLiveGrid || m_bTrackLiveHeader) {
    RestoreTrackedSize();
    if (m_bTrackLiveHeader) RepaintTrackedHeader();
    if (m_bTrackLiveGrid) {
      flags = 1;
      // The screen shows the live size: what follows may change nothing (a refused size) and then
      // would not repaint the old one.
      cols ? UpdateChangedColWidths(m_nTrackCol, m_nTrackCol, nullptr, GX_INVALIDATE, FALSE)
           : UpdateChangedRowHeights(m_nTrackRow, m_nTrackRow, nullptr, GX_INVALIDATE, FALSE);
    }
  }
  (void)nRow, (void)nCol, (void)nTrackingMode;
  const ROWCOL row = m_nTrackRow, col = m_nTrackCol;
  const int offset = cols ? m_rectTrackLine.left - m_rectTrackStart.left : m_rectTrackLine.top - m_rectTrackStart.top;
  const BOOL allowed = cols ? OnTrackColWidthEnd(col, size.cx) : OnTrackRowHeightEnd(row, size.cy);
  if (!allowed || std::abs(offset) < 2 || !m_bTrackMoved) {
    RedrawRowCol(row, col, row, col, GX_UPDATENOW, FALSE);
    if (m_bTrackLiveGrid)
      cols ? UpdateChangedColWidths(col, col, nullptr, GX_UPDATENOW, FALSE)
           : UpdateChangedRowHeights(row, row, nullptr, GX_UPDATENOW, FALSE);
    return FALSE;
  }
  const int size0 = cols ? GetColWidth(col) : GetRowHeight(row);
  const int neu = offset + size0;
  const WORD bits = cols ? m_pParam->m_wAllowTrackColWidth : m_pParam->m_wAllowTrackRowHeight;
  const CGXRangeList& sel = m_pParam->m_SelRects;
  if ((cols ? col : row) != 0 && (bits & 1)) {
    cols ? SetDefaultColWidth(neu, flags, CmdDo) : SetDefaultRowHeight(neu, flags, CmdDo);
  } else if (sel.IsCellInList(cols ? 0 : row, cols ? col : 0)) {
    if (!sel.IsEmpty() && const_cast<CGXRangeList&>(sel).GetHead()->IsTable()) {
      cols ? SetDefaultColWidth(neu, flags, CmdDo) : SetDefaultRowHeight(neu, flags, CmdDo);
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
      CWaitCursor wait;
      for (INT_PTR i = from.GetSize() - 1; i >= 0; --i) {
        const ROWCOL a = std::max<ROWCOL>(from[i], 1), b = to[i];
        if (neu < 1) cols ? HideCols(a, b, TRUE, nullptr, flags, CmdDo) : HideRows(a, b, TRUE, nullptr, flags, CmdDo);
        else cols ? SetColWidth(a, b, neu, nullptr, flags, CmdDo) : SetRowHeight(a, b, neu, nullptr, flags, CmdDo);
      }
    }
  } else if (neu < 1) {
    cols ? HideCols(col, col, TRUE, nullptr, flags) : HideRows(row, row, TRUE, nullptr, flags);
  } else {
    cols ? SetColWidth(col, col, neu, nullptr, flags) : SetRowHeight(row, row, neu, nullptr, flags);
  }
  UpdateWindow();
  if (cols) ScrollCellInView(GetTopRow(), col);
  else ScrollCellInView(row, GetLeftCol());
  if (m_pGridWnd && ::GetFocus() == m_pGridWnd->GetSafeHwnd())
    if (CGXControl* control = GetCurrentCellControl())
      if (control->IsActive()) control->Refresh();
  RefreshScrollBars();
  return TRUE;
}

void CGXGridCore::OnCancelTracking() {
  if (!m_bTracking) return;
  m_bTracking = FALSE;
  DestroyDragLine();
  if (m_bTrackInvert) InvertTrackLine(m_rectTrackLine);
  if (m_bTrackLiveGrid) {
    RestoreTrackedSize();
    m_nTrackingMode == 2 ? UpdateChangedColWidths(m_nTrackCol, m_nTrackCol, nullptr, GX_UPDATENOW, FALSE)
                         : UpdateChangedRowHeights(m_nTrackRow, m_nTrackRow, nullptr, GX_UPDATENOW, FALSE);
  } else if (m_bTrackLiveHeader) {
    RestoreTrackedSize();
    RepaintTrackedHeader();
  } else if (m_bTrackHeaderRedraw) {
    RedrawRowCol(m_nTrackRow, m_nTrackCol, m_nTrackRow, m_nTrackCol, GX_UPDATENOW, FALSE);
  }
}
