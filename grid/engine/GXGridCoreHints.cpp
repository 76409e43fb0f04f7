// The grid core's redraw requests, header marks and the update hints between views of one document.
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/Wnd.h"

#include <algorithm>

namespace {
const ROWCOL kNone = (ROWCOL)-1;
}

void CGXGridCore::SendHint(CGXGridHint& hint) { UpdateAllViews(nullptr, 0, &hint); }

void CGXGridCore::RedrawRowCol(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, UINT flags,
                               BOOL bCreateHint) {
  if (!flags || !m_pParam || m_pParam->m_bLockUpdate || !IsGridWndVisible()) return;
  CRect r = CalcSpannedRangeRect(nTop, nLeft, nBottom, nRight);
  if (!r.IsRectEmpty()) m_pGridWnd->InvalidateRect(&r, TRUE);
  if (flags & 2) UpdateWindow();
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(2, m_nViewID);
    hint.m_nRow1 = nTop, hint.m_nCol1 = nLeft, hint.m_nRow2 = nBottom, hint.m_nCol2 = nRight, hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::Redraw(UINT flags, BOOL bCreateHint) {
  m_nLastVisibleClientRow = m_nLastVisibleClientCol = kNone;
  if (!flags || !m_pParam || m_pParam->m_bLockUpdate) return;
  if (GetRowCount() < GetTopRow() && GetRowCount() > GetFrozenRows()) SetTopRow(GetRowCount(), 0, TRUE);
  if (GetColCount() < GetLeftCol() && GetColCount() > GetFrozenCols()) SetLeftCol(GetColCount(), 0, TRUE);
  FreeObjectCache();
  if (IsGridWndVisible()) {
    CRect g;
    GetGridRect(&g);
    m_pGridWnd->InvalidateRect(&g, TRUE);
  }
  RefreshScrollBars(TRUE, 0);
  if (flags & 2) UpdateWindow();
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(1, m_nViewID);
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
  flags &= 7;
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
    if (flags & 6) UpdateWindow();
    m_bInvalidatingHeaders = FALSE;
  };
  if ((nType == 0 || nType == 2) && (!props || props->GetMarkRowHeader()) && nRow <= lastRow)
    mark(CalcSpannedRangeRect(nRow, 0, nRow, GetHeaderCols()));
  if ((nType == 0 || nType == 1) && (!props || props->GetMarkColHeader()) && nCol <= lastCol)
    mark(CalcSpannedRangeRect(0, nCol, GetHeaderRows(), nCol));
}

void CGXGridCore::OnGridUpdate(CView*, LPARAM, CObject* pObject) {
  auto* hint = DYNAMIC_DOWNCAST(CGXGridHint, pObject);
  if (!m_pParam || !hint || (hint->m_nViewID != -1 && hint->m_nViewID != m_nViewID)) return;
  const UINT f = hint->m_flags;
  const BOOL sameSplitter = m_pParam->m_wFloatCellsMode != 0 || (hint->m_pHintPtr && hint->m_pHintPtr == m_pSplitterWnd);
  switch (hint->m_id) {
    case 1: Redraw(f, FALSE); break;
    case 2:
    case 18:
    case 28:
    case 29: RedrawRowCol(hint->m_nRow1, hint->m_nCol1, hint->m_nRow2, hint->m_nCol2, f, FALSE); break;
    case 5:
      UpdateChangedRowHeights(hint->m_nRow1, hint->m_nRow2, static_cast<const int*>(hint->m_pHintPtr), f, FALSE);
      break;
    case 6:
      UpdateChangedColWidths(hint->m_nCol1, hint->m_nCol2, static_cast<const int*>(hint->m_pHintPtr), f, FALSE);
      break;
    case 3: UpdateChangedRowCount(hint->m_nRow1, f, FALSE); break;
    case 4: UpdateChangedColCount(hint->m_nCol1, f, FALSE); break;
    case 7: UpdateInsertCols(hint->m_nCol1, hint->m_nCol2, f, FALSE); break;
    case 8: UpdateInsertRows(hint->m_nRow1, hint->m_nRow2, f, FALSE); break;
    case 9: UpdateRemoveCols(hint->m_nCol1, hint->m_nCol2, nullptr, f, FALSE); break;
    case 10: UpdateRemoveRows(hint->m_nRow1, hint->m_nRow2, nullptr, f, FALSE); break;
    case 11: UpdateMoveCols(hint->m_nCol1, hint->m_nCol2, hint->m_nCol3, f, FALSE); break;
    case 12: UpdateMoveRows(hint->m_nRow1, hint->m_nRow2, hint->m_nRow3, f, FALSE); break;
    case 15: UpdateFrozenRows(hint->m_nRow1, hint->m_nRow2, f, FALSE); break;
    case 16: UpdateFrozenCols(hint->m_nCol1, hint->m_nCol2, f, FALSE); break;
    case 31: UpdateMoveDataRows(hint->m_range, f, FALSE); break;
    case 32: UpdateMoveDataCols(hint->m_range, f, FALSE); break;
    case 13:
      UpdateSetSelection(static_cast<POSITION>(hint->m_pHintPtr), hint->m_nRow1, hint->m_nCol1, hint->m_nRow2,
                         hint->m_nCol2, FALSE);
      break;
    case 14: UpdateClearSelection(FALSE); break;
    case 17:
      UpdateStyleRange(hint->m_range, hint->m_pStyle, hint->m_nMode, (int)hint->m_lParam, f, FALSE);
      break;
    case 19:
      if (sameSplitter) UpdateZoom((int)hint->m_lParam, f, FALSE);
      break;
    case 20:
      if (sameSplitter) StoreZoom((int)hint->m_lParam, FALSE);
      break;
    case 21: UpdateReadOnly((BOOL)hint->m_lParam, FALSE); break;
    case 22:
      if (CGXAbstractTabWndInterface* tabs = GXGetLibraryData().m_pTabWndInterface)
        if (m_pParam) tabs->AccessSheetName(m_pGridWnd, &m_pParam->m_strSheetName, TRUE);
      break;
    case 23: UpdateSelectRange(hint->m_range, static_cast<const CGXRangeList*>(hint->m_pHintPtr), FALSE); break;
    case 24:
      // Every view ends its own edit; the sender reads back whether all of them could.
      if (!EndCurrentCellEdit((BOOL)hint->m_lParam, f, FALSE)) hint->m_dwParam = 0;
      break;
    case 25:
    case 26: {
      // Panes of one splitter scroll together; only the pane the hint names follows.
      auto* splitter = dynamic_cast<CSplitterWnd*>(m_pSplitterWnd);
      if (!splitter || hint->m_pHintPtr != m_pGridWnd) break;
      if (hint->m_id == 25 && splitter->GetColumnCount() >= 2) SetTopRow(hint->m_nRow1, f);
      if (hint->m_id == 26 && splitter->GetRowCount() >= 2) SetLeftCol(hint->m_nCol1, f);
      break;
    }
    case 27: SetCurrentCell(hint->m_nRow1, hint->m_nCol1, f); break;
    case 30: ShowSelectionMarker((BOOL)f, FALSE); break;
    case 33: UpdateProperties(f, FALSE); break;
    case 34: UpdateStylesMap(f, FALSE); break;
    case 35: UpdateBaseStyle((WORD)hint->m_dwParam, f, FALSE); break;
    default: break;  // no other hint changes the receiving grid
  }
}
