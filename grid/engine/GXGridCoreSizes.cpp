// The grid core's sizes: the font-relative size unit, hidden rows and columns, sums, client
// indexes and the window rectangles of cells and ranges.
#include "grid/engine/GXGridCore.h"

#include "grid/engine/GXData.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

const ROWCOL kNone = (ROWCOL)-1;

// Pixels per stored unit divisor; never zero however small or odd the character is.
int SizeQuotient(int c) { return std::max(1, 1000 / std::max(1, c)); }

template <class F>
LONG SumSizes(ROWCOL nFrom, ROWCOL nTo, LONG nLimit, F size) {
  if (nFrom > nTo) return 0;
  long long sum = 0;
  for (ROWCOL i = nFrom;; ++i) {
    sum += size(i);
    if (i == nTo || sum >= 0x7FFFFFFF || (nLimit && sum > nLimit)) break;
  }
  return (LONG)std::min<long long>(sum, 0x7FFFFFFF);
}

}  // namespace

BOOL CGXGridCore::IsGridWndVisible() const { return m_pGridWnd && m_pGridWnd->GetSafeHwnd() && m_pGridWnd->IsWindowVisible(); }

int CGXGridCore::GetZoom() {
  if (m_bPrinting || !m_pParam || m_pParam->m_bPrinterMetrics) return 100;
  return m_nZoom;
}

void CGXGridCore::CalcCharSize(CDC* pDC, int* pWidth, int* pHeight) {
  TEXTMETRIC tm{};
  if (!pDC || !pDC->GetTextMetrics(&tm)) return;
  if (pHeight) *pHeight = tm.tmHeight + tm.tmExternalLeading;
  if (pWidth) *pWidth = (tm.tmPitchAndFamily & 1) ? tm.tmAveCharWidth * 3 / 2 : tm.tmAveCharWidth;
}

void CGXGridCore::RecalcCharSize(int* pWidth, int* pHeight) {
  int w = 10, h = 15;
  if (m_pStyleStandard && m_pStyleStandard->GetIncludeFont()) {
    CDC* dc = GetClientDC();
    CDC display;
    if (!dc && display.CreateDC("DISPLAY", nullptr, nullptr, nullptr)) dc = &display;
    if (dc) {
      PrepareDC(dc);
      CFont* old = SelectStandardFont(dc);
      CalcCharSize(dc, &w, &h);
      if (old) dc->SelectObject(old);
      if (dc != &display) ReleaseClientDC();
    }
  }
  if (pWidth) *pWidth = w;
  if (pHeight) *pHeight = h;
}

// ---- size getters ------------------------------------------------------------------------------------------

int CGXGridCore::GetDefaultRowHeight() {
  return m_pParam ? (int)(m_pParam->m_nDefaultRowHeight / SizeQuotient(SizeCharHeight())) : 0;
}

int CGXGridCore::GetDefaultColWidth() {
  return m_pParam ? (int)(m_pParam->m_nDefaultColWidth / SizeQuotient(SizeCharWidth())) : 0;
}

int CGXGridCore::GetRowHeight(ROWCOL nRow) {
  if (!m_pParam || IsRowHidden(nRow)) return 0;
  LONG stored = 0;
  int h = m_pParam->m_RowHeights.Lookup(nRow, stored) ? stored / SizeQuotient(SizeCharHeight()) : GetDefaultRowHeight();
  if (nRow > GetFrozenRows()) h = (int)std::min<LONG>(h, ScrolledSizeLimit(TRUE));
  return h;
}

int CGXGridCore::GetColWidth(ROWCOL nCol) {
  if (!m_pParam || IsColHidden(nCol)) return 0;
  LONG stored = 0;
  int w = m_pParam->m_ColWidths.Lookup(nCol, stored) ? stored / SizeQuotient(SizeCharWidth()) : GetDefaultColWidth();
  if (nCol > GetFrozenCols()) w = (int)std::min<LONG>(w, ScrolledSizeLimit(FALSE));
  return w;
}

BOOL CGXGridCore::IsRowHidden(ROWCOL nRow) {
  if (!m_pParam) return FALSE;
  if (m_pSplitterWnd && !m_bPrinting && !m_bPaneShowsHeaderRows && nRow <= GetHeaderRows()) return TRUE;
  if (nRow == 0 && m_bPrinting) return !(m_pParam->m_pProperties && m_pParam->m_pProperties->GetDisplayColHeaders());
  return GXGetBit(m_pParam->m_abHiddenRows, nRow);
}

BOOL CGXGridCore::IsColHidden(ROWCOL nCol) {
  if (!m_pParam) return FALSE;
  if (m_pSplitterWnd && !m_bPrinting && !m_bPaneShowsHeaderCols && nCol <= GetHeaderCols()) return TRUE;
  if (nCol == 0 && m_bPrinting) return !(m_pParam->m_pProperties && m_pParam->m_pProperties->GetDisplayRowHeaders());
  return GXGetBit(m_pParam->m_abHiddenCols, nCol);
}

LONG CGXGridCore::ScrolledSizeLimit(BOOL bRows) {
  if (!(bRows ? m_bLimitRowHeightToView : m_bLimitColWidthToView) || !IsGridWndVisible()) return std::numeric_limits<LONG>::max();
  CRect g;
  GetGridRect(&g);
  return std::max<LONG>(0, bRows ? g.Height() - SumRowHeights(0, GetFrozenRows()) : g.Width() - SumColWidths(0, GetFrozenCols()));
}

BOOL CGXGridCore::PaneHidesHeaders(BOOL bRows, ROWCOL nFrom) {
  return m_pSplitterWnd && !m_bPrinting && !(bRows ? m_bPaneShowsHeaderRows : m_bPaneShowsHeaderCols) &&
         nFrom <= (bRows ? GetHeaderRows() : GetHeaderCols());
}

// ---- sums ---------------------------------------------------------------------------------------------------

LONG CGXGridCore::SumRowHeights(ROWCOL nFrom, ROWCOL nTo, LONG nLimit) {
  return SumSizes(nFrom, nTo, nLimit, [this](ROWCOL r) { return GetRowHeight(r); });
}

LONG CGXGridCore::SumColWidths(ROWCOL nFrom, ROWCOL nTo, LONG nLimit) {
  return SumSizes(nFrom, nTo, nLimit, [this](ROWCOL c) { return GetColWidth(c); });
}

LONG CGXGridCore::SumClientRowHeights(ROWCOL nFrom, ROWCOL nTo, LONG nLimit) {
  return SumSizes(nFrom, nTo, nLimit, [this](ROWCOL r) { return GetRowHeight(GetRowFromClientRow(r)); });
}

LONG CGXGridCore::SumClientColWidths(ROWCOL nFrom, ROWCOL nTo, LONG nLimit) {
  return SumSizes(nFrom, nTo, nLimit, [this](ROWCOL c) { return GetColWidth(GetColFromClientCol(c)); });
}

void CGXGridCore::GetRowHeights(ROWCOL nFrom, ROWCOL nTo, DWORD* pOut) {
  if (!pOut) return;
  for (ROWCOL r = nFrom;; ++r) {
    *pOut++ = (DWORD)GetRowHeight(r);
    if (r >= nTo) break;
  }
}

void CGXGridCore::GetColWidths(ROWCOL nFrom, ROWCOL nTo, DWORD* pOut) {
  if (!pOut) return;
  for (ROWCOL c = nFrom;; ++c) {
    *pOut++ = (DWORD)GetColWidth(c);
    if (c >= nTo) break;
  }
}

// ---- client indexes ---------------------------------------------------------------------------------------

namespace {

ROWCOL ToClient(ROWCOL n, ROWCOL frozen, ROWCOL top) {
  if (n > frozen && n < top && n != kNone) return 0;
  if (n == kNone || n <= frozen || top - frozen < 2 || top < frozen) return n;
  return n - (top - frozen) + 1;
}

ROWCOL FromClient(ROWCOL n, ROWCOL frozen, ROWCOL top) {
  if (n == kNone || n <= frozen || top < frozen || top - frozen < 2) return n;
  return top - frozen - 1 + n;
}

}  // namespace

ROWCOL CGXGridCore::GetClientRow(ROWCOL nRow) { return ToClient(nRow, GetFrozenRows(), GetTopRow()); }
ROWCOL CGXGridCore::GetClientCol(ROWCOL nCol) { return ToClient(nCol, GetFrozenCols(), GetLeftCol()); }
ROWCOL CGXGridCore::GetRowFromClientRow(ROWCOL nClient) { return FromClient(nClient, GetFrozenRows(), GetTopRow()); }
ROWCOL CGXGridCore::GetColFromClientCol(ROWCOL nClient) { return FromClient(nClient, GetFrozenCols(), GetLeftCol()); }

namespace {

// Walks client indexes from `start` adding sizes until the coordinate passes `target`.
template <class F>
ROWCOL ClientFromCoord(int start, int target, ROWCOL count, int* pStart, F next) {
  int pos = start;
  ROWCOL result = kNone;
  BOOL added = FALSE;
  for (ROWCOL i = 0; pos <= target; ++i) {
    int size = 0;
    ROWCOL absolute = 0;
    if (!next(i, absolute, size) || absolute > count) break;
    if (pStart) *pStart = pos;
    pos += size;
    added = TRUE;
    result = i;
  }
  if (!added) return 0;
  return pos >= target ? result : kNone;
}

}  // namespace

ROWCOL CGXGridCore::CalcClientRowFromPt(CPoint pt, int* pTop) {
  CRect g;
  GetGridRect(&g);
  return ClientFromCoord(g.top, pt.y, GetRowCount(), pTop, [this](ROWCOL i, ROWCOL& r, int& size) {
    r = GetRowFromClientRow(i);
    size = GetRowHeight(r);
    return TRUE;
  });
}

ROWCOL CGXGridCore::CalcClientColFromPt(CPoint pt, int* pLeft) {
  CRect g;
  GetGridRect(&g);
  return ClientFromCoord(g.left, pt.x, GetColCount(), pLeft, [this](ROWCOL i, ROWCOL& c, int& size) {
    c = GetColFromClientCol(i);
    size = GetColWidth(c);
    return TRUE;
  });
}

ROWCOL CGXGridCore::CalcLastVisibleRowEx(const RECT& rect, BOOL* pBelow) {
  const ROWCOL client = CalcClientRowFromPt(CPoint(rect.left, rect.bottom));
  if (pBelow) *pBelow = client == kNone;
  return client == kNone ? GetRowCount() : GetRowFromClientRow(client);
}

ROWCOL CGXGridCore::CalcLastVisibleColEx(const RECT& rect, BOOL* pRight) {
  const ROWCOL client = CalcClientColFromPt(CPoint(rect.right, rect.top));
  if (pRight) *pRight = client == kNone;
  return client == kNone ? GetColCount() : GetColFromClientCol(client);
}

ROWCOL CGXGridCore::CalcLastVisibleRow(const RECT& rect) { return CalcLastVisibleRowEx(rect, nullptr); }
ROWCOL CGXGridCore::CalcLastVisibleCol(const RECT& rect) { return CalcLastVisibleColEx(rect, nullptr); }

ROWCOL CGXGridCore::GetLastVisibleRow(BOOL* pbBeyond) {
  CRect g;
  GetGridRect(&g);
  return CalcLastVisibleRowEx(g, pbBeyond);
}

ROWCOL CGXGridCore::GetLastVisibleCol(BOOL* pbBeyond) {
  CRect g;
  GetGridRect(&g);
  return CalcLastVisibleColEx(g, pbBeyond);
}

void CGXGridCore::ForgetLastVisible(BOOL bRows, BOOL bCols) {
  if (bRows) m_nLastVisibleClientRow = kNone;
  if (bCols) m_nLastVisibleClientCol = kNone;
}

void CGXGridCore::CalcLastVisibleRowCol(const RECT& rect, ROWCOL* pRow, ROWCOL* pCol) {
  if (pRow) *pRow = CalcLastVisibleRow(rect);
  if (pCol) *pCol = CalcLastVisibleCol(rect);
}

int CGXGridCore::CalcTopOfClientRow(ROWCOL nClient) {
  CRect g;
  GetGridRect(&g);
  return g.top + (nClient ? SumClientRowHeights(0, nClient - 1) : 0);
}

int CGXGridCore::CalcLeftOfClientCol(ROWCOL nClient) {
  CRect g;
  GetGridRect(&g);
  return g.left + (nClient ? SumClientColWidths(0, nClient - 1) : 0);
}

void CGXGridCore::CalcRectBelowRow(RECT& rect, ROWCOL nRow) {
  GetGridRect(&rect);
  const ROWCOL client = GetClientRow(nRow);
  rect.top = std::min<LONG>(rect.bottom, CalcTopOfClientRow(client) + GetRowHeight(nRow));
}

void CGXGridCore::CalcRectRightOfCol(RECT& rect, ROWCOL nCol) {
  GetGridRect(&rect);
  const ROWCOL client = GetClientCol(nCol);
  rect.left = std::min<LONG>(rect.right, CalcLeftOfClientCol(client) + GetColWidth(nCol));
}

// ---- rectangles ---------------------------------------------------------------------------------------------

CRect CGXGridCore::CalcRectFromRowColEx(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2, BOOL bAll) {
  CRect g;
  GetGridRect(&g);
  const LONG limitX = g.right * 2, limitY = g.bottom * 2;
  const ROWCOL top = std::min(nRow1, nRow2), bottom = std::max(nRow1, nRow2);
  const ROWCOL left = std::min(nCol1, nCol2), right = std::max(nCol1, nCol2);
  const ROWCOL fr = GetFrozenRows(), fc = GetFrozenCols(), tr = GetTopRow(), lc = GetLeftCol();
  if ((left > fc && right < lc) || (top > fr && bottom < tr)) return CRect();
  ROWCOL r1 = GetClientRow(top), c1 = GetClientCol(left);
  if (top > fr && top < tr) r1 = fr + 1;
  if (left > fc && left < lc) c1 = fc + 1;
  if (!m_bPrinting && ((m_nLastVisibleClientRow != kNone && r1 > m_nLastVisibleClientRow) ||
                       (m_nLastVisibleClientCol != kNone && c1 > m_nLastVisibleClientCol)))
    return CRect();
  const ROWCOL r2 = bottom > fr ? std::max(GetClientRow(bottom), fr) : bottom;
  const ROWCOL c2 = right > fc ? std::max(GetClientCol(right), fc) : right;
  auto walk = [bAll](LONG start, ROWCOL from, ROWCOL to, LONG limit, auto size, LONG& first, LONG& last) {
    LONG pos = start;
    for (ROWCOL i = 0; i < from && (bAll || pos <= limit); ++i) pos += size(i);
    first = pos;
    for (ROWCOL i = from; i <= to && (bAll || pos <= limit); ++i) {
      pos += size(i);
      if (i == kNone - 1) break;
    }
    last = pos;
  };
  CRect out;
  walk(g.left, c1, c2, limitX, [this](ROWCOL c) { return (LONG)GetColWidth(GetColFromClientCol(c)); }, out.left,
       out.right);
  walk(g.top, r1, r2, limitY, [this](ROWCOL r) { return (LONG)GetRowHeight(GetRowFromClientRow(r)); }, out.top,
       out.bottom);
  return out;
}

CRect CGXGridCore::CalcCoveredCellRect(ROWCOL nRow, ROWCOL nCol) {
  CGXRange covered;
  if (GetCoveredCellsRowCol(nRow, nCol, covered))
    return CalcRectFromRowColEx(covered.m_nTop, covered.m_nLeft, covered.m_nBottom, covered.m_nRight);
  return CalcRectFromRowCol(nRow, nCol);
}

namespace {

// The rows (columns) of from..to whose spans can reach the window: both ends and those on screen.
std::vector<ROWCOL> SpanProbes(ROWCOL from, ROWCOL to, ROWCOL frozen, ROWCOL first, ROWCOL last) {
  std::vector<ROWCOL> out{from, to};
  const auto add = [&](ROWCOL a, ROWCOL b) {
    a = std::max(a, from), b = std::min(b, to);
    if (a > b) return;
    for (ROWCOL i = a;; ++i) {
      out.push_back(i);
      if (i == b) break;
    }
  };
  add(0, frozen);
  add(first, last);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

CRect CGXGridCore::CalcSpannedRangeRect(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2) {
  CGXRange range = CGXRange().SetCellRange(std::min(nRow1, nRow2), std::min(nCol1, nCol2), std::max(nRow1, nRow2),
                                           std::max(nCol1, nCol2));
  // A span over any shown cell of the range repaints whole: a text laid out over several columns
  // changes wherever one of them changes. Cells off screen count only at the range's edges.
  CRect g;
  GetGridRect(&g);
  ROWCOL lastRow = 0, lastCol = 0;
  CalcLastVisibleRowCol(g, &lastRow, &lastCol);
  for (BOOL grew = TRUE; grew;) {
    const std::vector<ROWCOL> rows = SpanProbes(range.m_nTop, range.m_nBottom, GetFrozenRows(), GetTopRow(), lastRow);
    const std::vector<ROWCOL> cols = SpanProbes(range.m_nLeft, range.m_nRight, GetFrozenCols(), GetLeftCol(), lastCol);
    const CGXRange before = range;
    for (ROWCOL r : rows)
      for (ROWCOL c : cols) {
        CGXRange span;
        // Each direction of merging on its own: where a run down a column crosses one along a row, the
        // crossing cell shows the row's, but the column's run still starts there for the cells below it.
        for (int kind = 0; kind < 4; ++kind) {
          const BOOL found = kind < 2    ? GetMergedCellsRowCol(r, c, span, (UINT)kind)
                             : kind == 2 ? GetFloatedCellsRowCol(r, c, span)
                                         : GetCoveredCellsRowCol(r, c, span);
          if (!found) continue;
          range.m_nTop = std::min(range.m_nTop, span.m_nTop), range.m_nLeft = std::min(range.m_nLeft, span.m_nLeft);
          range.m_nBottom = std::max(range.m_nBottom, span.m_nBottom);
          range.m_nRight = std::max(range.m_nRight, span.m_nRight);
        }
      }
    grew = !(before == range);
  }
  return CalcRectFromRowColEx(range.m_nTop, range.m_nLeft, range.m_nBottom, range.m_nRight);
}

// ---- stores -------------------------------------------------------------------------------------------------

BOOL CGXGridCore::StoreRowHeight(ROWCOL nRow, int nHeight) {
  if (!m_pParam) return FALSE;
  if (nHeight < 0) m_pParam->m_RowHeights.RemoveKey(nRow);
  else m_pParam->m_RowHeights.SetAt(nRow, (LONG)SizeQuotient(SizeCharHeight()) * nHeight);
  SetModifiedFlag();
  return TRUE;
}

BOOL CGXGridCore::StoreColWidth(ROWCOL nCol, int nWidth) {
  if (!m_pParam) return FALSE;
  if (nWidth < 0) m_pParam->m_ColWidths.RemoveKey(nCol);
  else m_pParam->m_ColWidths.SetAt(nCol, (LONG)SizeQuotient(SizeCharWidth()) * nWidth);
  SetModifiedFlag();
  return TRUE;
}

BOOL CGXGridCore::StoreDefaultRowHeight(int nHeight) {
  if (!m_pParam || nHeight < 1) return FALSE;
  m_pParam->m_nDefaultRowHeight = (LONG)SizeQuotient(SizeCharHeight()) * nHeight;
  SetModifiedFlag();
  return TRUE;
}

BOOL CGXGridCore::StoreDefaultColWidth(int nWidth) {
  if (!m_pParam || nWidth < 1) return FALSE;
  m_pParam->m_nDefaultColWidth = (LONG)SizeQuotient(SizeCharWidth()) * nWidth;
  SetModifiedFlag();
  return TRUE;
}

BOOL CGXGridCore::StoreHideRow(ROWCOL nRow, BOOL bHide) {
  if (!m_pParam || !GXSetBit(m_pParam->m_abHiddenRows, nRow, bHide)) return FALSE;
  SetModifiedFlag();
  return TRUE;
}

BOOL CGXGridCore::StoreHideCol(ROWCOL nCol, BOOL bHide) {
  if (!m_pParam || !GXSetBit(m_pParam->m_abHiddenCols, nCol, bHide)) return FALSE;
  SetModifiedFlag();
  return TRUE;
}
