// The grid core's redraw requests, header marks and the update hints between views of one document.
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {
const ROWCOL kNone = (ROWCOL)-1;
}

// Were the sender left out, the document would hand the hint back to the view that sent it, which
// would then invert its selection or move its columns a second time.
void CGXGridCore::SendHint(CGXGridHint& hint) { UpdateAllViews(DYNAMIC_DOWNCAST(CView, m_pGridWnd), 0, &hint); }

void CGXGridCore::RedrawRowCol(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, UINT flags,
                               BOOL bCreateHint) {
  if (!flags || !m_pParam || m_pParam->m_bLockUpdate || !IsGridWndVisible()) return;
  // What is drawn again may merge anew.
  DelayMergeCells(CGXRange().SetCellRange(std::min(nTop, nBottom), std::min(nLeft, nRight), std::max(nTop, nBottom),
                                          std::max(nLeft, nRight)));
  CRect r = CalcSpannedRangeRect(nTop, nLeft, nBottom, nRight);
  if (!r.IsRectEmpty()) m_pGridWnd->InvalidateRect(&r, TRUE);
  if (flags & GX_UPDATENOW) UpdateWindow();
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintRedrawRowCol, m_nViewID);
    hint.m_nRow1 = nTop, hint.m_nCol1 = nLeft, hint.m_nRow2 = nBottom, hint.m_nCol2 = nRight, hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::Redraw(UINT flags, BOOL bCreateHint) {
  ForgetLastVisible();
  if (!flags || !m_pParam || m_pParam->m_bLockUpdate) return;
  if (GetRowCount() < GetTopRow() && GetRowCount() > GetFrozenRows()) SetTopRow(GetRowCount(), 0, TRUE);
  if (GetColCount() < GetLeftCol() && GetColCount() > GetFrozenCols()) SetLeftCol(GetColCount(), 0, TRUE);
  FreeObjectCache();
  CRect area;
  GetGridRect(&area);
  DelayMergeCells(CGXRange().SetCellRange(0, 0, CalcLastVisibleRow(area), GetFrozenCols()));
  if (IsGridWndVisible()) {
    CRect g;
    GetGridRect(&g);
    m_pGridWnd->InvalidateRect(&g, TRUE);
  }
  RefreshScrollBars(TRUE, 0);
  if (flags & GX_UPDATENOW) UpdateWindow();
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintRedraw, m_nViewID);
    hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::RedrawRange(const CGXRange& range, UINT flags, BOOL bCreateHint) {
  if (range.IsCols()) RedrawRowCol(0, range.m_nLeft, GetRowCount(), range.m_nRight, flags, bCreateHint);
  else if (range.IsRows()) RedrawRowCol(range.m_nTop, 0, range.m_nBottom, GetColCount(), flags, bCreateHint);
  else if (range.IsTable()) RedrawRowCol(0, 0, GetRowCount(), GetColCount(), flags, bCreateHint);
  else RedrawRowCol(range.m_nTop, range.m_nLeft, range.m_nBottom, range.m_nRight, flags, bCreateHint);
}

void CGXGridCore::RedrawHeaderMarks(int nType, ROWCOL nRow, ROWCOL nCol, UINT flags) {
  flags &= (GX_INVALIDATE | GX_UPDATENOW | GX_SMART);
  if (!m_pParam || m_pParam->m_bLockUpdate || !IsGridWndVisible()) return;
  CRect g;
  GetGridRect(&g);
  const ROWCOL lastRow = CalcLastVisibleRow(g), lastCol = CalcLastVisibleCol(g);
  const BOOL rowShown = (IsFrozenRow(nRow) || nRow >= GetTopRow()) && nRow <= GetRowCount();
  const BOOL colShown = (IsFrozenCol(nCol) || nCol >= GetLeftCol()) && nCol <= GetColCount();
  if (!rowShown || !colShown || (nRow > lastRow && nCol > lastCol)) return;
  const CGXProperties* props = m_pParam->m_pProperties;
  auto mark = [&](const CRect& r) {
    if (r.Width() <= 1 || r.Height() <= 1) return;
    m_bInvalidatingHeaders = TRUE;
    m_pGridWnd->InvalidateRect(&r, TRUE);
    if (flags & (GX_UPDATENOW | GX_SMART)) UpdateWindow();
    m_bInvalidatingHeaders = FALSE;
  };
  if ((nType == 0 || nType == 2) && (!props || props->GetMarkRowHeader()) && nRow <= lastRow)
    mark(CalcSpannedRangeRect(nRow, 0, nRow, GetHeaderCols()));
  if ((nType == 0 || nType == 1) && (!props || props->GetMarkColHeader()) && nCol <= lastCol)
    mark(CalcSpannedRangeRect(0, nCol, GetHeaderRows(), nCol));
}

BOOL CGXGridCore::OldSizesHoldHere(const CGXGridHint& hint, BOOL bRows) {
  const ROWCOL from = bRows ? hint.m_nRow1 : hint.m_nCol1, to = std::max(from, bRows ? hint.m_nRow2 : hint.m_nCol2);
  const auto* old = static_cast<const int*>(hint.m_pHintPtr);
  if (!old || hint.m_lParam != GetZoom() || PaneHidesHeaders(bRows, from)) return FALSE;
  // The sender's limit travels in 32 bits, as a LONG does.
  const LONG theirs = (LONG)(bRows ? hint.m_nRow3 : hint.m_nCol3), mine = ScrolledSizeLimit(bRows);
  if (theirs == mine) return TRUE;
  const LONG limit = std::min(theirs, mine);
  for (ROWCOL i = 0; i <= to - from; ++i)
    if (old[i] >= limit) return FALSE;
  return TRUE;
}

void CGXGridCore::OnGridUpdate(CView* pSender, LPARAM, CObject* pObject) {
  auto* hint = DYNAMIC_DOWNCAST(CGXGridHint, pObject);
  if (!m_pParam || !hint || (hint->m_nViewID != -1 && hint->m_nViewID != m_nViewID)) return;
  // A hint tells of the sender's grid: a view of the same document showing another grid takes nothing.
  const auto* from = dynamic_cast<CGXGridCore*>(pSender);
  if (from && from->m_pParam != m_pParam) return;
  const UINT f = hint->m_flags;
  const BOOL sameSplitter = m_pParam->m_wFloatCellsMode != 0 || (hint->m_pHintPtr && hint->m_pHintPtr == m_pSplitterWnd);
  // Old sizes measured at another zoom say nothing of this window's pixels: it repaints instead of scrolling.
  const BOOL sameZoom = hint->m_lParam == GetZoom();
  const int* oldSizes = sameZoom ? static_cast<const int*>(hint->m_pHintPtr) : nullptr;
  const DWORD* oldRemoved = sameZoom ? static_cast<const DWORD*>(hint->m_pHintPtr) : nullptr;
  switch (hint->m_id) {
    case gxHintRedraw: Redraw(f, FALSE); break;
    case gxHintUpdateCoveredCellsRowCol:
      UpdateCoveredCellsRowCol(hint->m_nRow1, hint->m_nCol1, hint->m_nRow2, hint->m_nCol2, f, FALSE);
      break;
    case gxHintRedrawRowCol:
    case gxHintSetFloatedCellsRowCol:
    case gxHintSetMergedCellsRowCol: RedrawRowCol(hint->m_nRow1, hint->m_nCol1, hint->m_nRow2, hint->m_nCol2, f, FALSE); break;
    case gxHintUpdateChangedRowHeights:
      UpdateChangedRowHeights(hint->m_nRow1, hint->m_nRow2, OldSizesHoldHere(*hint, TRUE) ? oldSizes : nullptr, f, FALSE);
      break;
    case gxHintUpdateChangedColWidths:
      UpdateChangedColWidths(hint->m_nCol1, hint->m_nCol2, OldSizesHoldHere(*hint, FALSE) ? oldSizes : nullptr, f, FALSE);
      break;
    case gxHintUpdateChangedRowCount: UpdateChangedRowCount(hint->m_nRow1, f, FALSE); break;
    case gxHintUpdateChangedColCount: UpdateChangedColCount(hint->m_nCol1, f, FALSE); break;
    case gxHintUpdateInsertCols: UpdateInsertCols(hint->m_nCol1, hint->m_dwParam, f, FALSE); break;
    case gxHintUpdateInsertRows: UpdateInsertRows(hint->m_nRow1, hint->m_dwParam, f, FALSE); break;
    case gxHintUpdateRemoveCols: UpdateRemoveCols(hint->m_nCol1, hint->m_nCol2, oldRemoved, f, FALSE); break;
    case gxHintUpdateRemoveRows: UpdateRemoveRows(hint->m_nRow1, hint->m_nRow2, oldRemoved, f, FALSE); break;
    case gxHintUpdateMoveCols: UpdateMoveCols(hint->m_nCol1, hint->m_nCol2, hint->m_nCol3, f, FALSE); break;
    case gxHintUpdateMoveRows: UpdateMoveRows(hint->m_nRow1, hint->m_nRow2, hint->m_nRow3, f, FALSE); break;
    case gxHintUpdateFrozenRows: UpdateFrozenRows(hint->m_nRow1, hint->m_nRow2, f, FALSE); break;
    case gxHintUpdateFrozenCols: UpdateFrozenCols(hint->m_nCol1, hint->m_nCol2, f, FALSE); break;
    case gxHintUpdateMoveDataRows: UpdateMoveDataRows(hint->m_range, f, FALSE); break;
    case gxHintUpdateMoveDataCols: UpdateMoveDataCols(hint->m_range, f, FALSE); break;
    case gxHintUpdateSetSelection:
      UpdateSetSelection(static_cast<POSITION>(hint->m_pHintPtr), hint->m_nRow1, hint->m_nCol1, hint->m_nRow2,
                         hint->m_nCol2, FALSE);
      break;
    case gxHintUpdateClearSelection: UpdateClearSelection(FALSE); break;
    case gxHintUpdateStyleRange:
      UpdateStyleRange(hint->m_range, hint->m_pStyle, hint->m_nMode, (int)hint->m_lParam, f, FALSE);
      break;
    case gxHintUpdateZoom:
      if (sameSplitter) UpdateZoom((int)hint->m_lParam, f, FALSE);
      break;
    case gxHintStoreZoom:
      if (sameSplitter) StoreZoom((int)hint->m_lParam, FALSE);
      break;
    case gxHintUpdateReadOnly: UpdateReadOnly((BOOL)hint->m_lParam, FALSE); break;
    case gxHintUpdateSheetName:
      if (CGXAbstractTabWndInterface* tabs = GXGetLibraryData().m_pTabWndInterface)
        if (m_pParam) tabs->AccessSheetName(m_pGridWnd, &m_pParam->m_strSheetName, TRUE);
      break;
    case gxHintUpdateSelectRange: UpdateSelectRange(hint->m_range, static_cast<const CGXRangeList*>(hint->m_pHintPtr), FALSE); break;
    case gxHintEndCurrentCellEdit:
      // Every view ends its own edit; the sender reads back whether all of them could.
      if (!EndCurrentCellEdit((BOOL)hint->m_lParam, f, FALSE)) hint->m_dwParam = 0;
      break;
    case gxHintSetTopRow:
    case gxHintSetLeftCol: {
      // Panes of one splitter scroll together; only the pane the hint names follows.
      auto* splitter = dynamic_cast<CSplitterWnd*>(m_pSplitterWnd);
      if (!splitter || hint->m_pHintPtr != m_pGridWnd) break;
      if (hint->m_id == gxHintSetTopRow && splitter->GetColumnCount() >= 2) SetTopRow(hint->m_nRow1, f);
      if (hint->m_id == gxHintSetLeftCol && splitter->GetRowCount() >= 2) SetLeftCol(hint->m_nCol1, f);
      break;
    }
    case gxHintSetCurrentCell: SetCurrentCell(hint->m_nRow1, hint->m_nCol1, f); break;
    case gxHintShowSelectionMarker: ShowSelectionMarker((BOOL)f, FALSE); break;
    case gxHintUpdateProperties: UpdateProperties(f, FALSE); break;
    case gxHintUpdateStylesMap: UpdateStylesMap(f, FALSE); break;
    case gxHintUpdateBaseStyle: UpdateBaseStyle((WORD)hint->m_dwParam, f, FALSE); break;
    default: break;  // no other hint changes the receiving grid
  }
}
