// The grid core's row and column structure: counts, inserting, removing, moving and freezing rows
// and columns, and rearranging their data, each as a command, a store and an update layer.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXSpanCellPool.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const ROWCOL kNone = (ROWCOL)-1;
const ROWCOL kMaxCount = 0xFFFFFFFE;
const char kTooLarge[] = "Operation is too large for the undo buffer. Do you want to continue?";
enum { opInsert = 0, opRemove = 1, opMove = 2 };

BOOL Records(CGXGridParam* param, GXCmdType ctCmd) { return param && ctCmd != CmdRollback && param->m_bUndoEnabled; }

struct StylesDeleter {
  void operator()(CObArray* a) const {
    for (INT_PTR i = 0; i < a->GetSize(); ++i) delete a->GetAt(i);
    delete a;
  }
};
using StyleArrayPtr = std::unique_ptr<CObArray, StylesDeleter>;

// The rows (columns) of a range: its first and last band.
ROWCOL& First(CGXRange& r, BOOL bRows) { return bRows ? r.m_nTop : r.m_nLeft; }
ROWCOL& Last(CGXRange& r, BOOL bRows) { return bRows ? r.m_nBottom : r.m_nRight; }

// Where index x lands when the block from..to moves so that it starts at dest.
ROWCOL MovedIndex(ROWCOL x, ROWCOL from, ROWCOL to, ROWCOL dest) {
  const ROWCOL n = to - from + 1;
  if (x >= from && x <= to) return x - from + dest;
  if (dest > from && x > to && x < dest + n) return x - n;
  if (dest < from && x >= dest && x < from) return x + n;
  return x;
}

std::vector<CGXRange> CoveredRanges(CGXGridParam* param) {
  std::vector<CGXRange> out;
  POSITION pos = param->m_CoveredCellsList.GetHeadPosition();
  while (pos) {
    const CGXRange* r = param->m_CoveredCellsList.GetNext(pos);
    if (r->IsValid()) out.push_back(*r);
  }
  return out;
}

}  // namespace

BOOL CGXGridCore::IsLockedReadOnly() { return !m_pParam || (m_pParam->m_bLockReadOnly && IsReadOnly()); }

// ---- counts -----------------------------------------------------------------------------------------------------

BOOL CGXGridCore::SetRowCount(ROWCOL nRows, UINT flags) {
  const ROWCOL n = GetRowCount();
  if (!m_pParam || nRows > kMaxCount) return FALSE;
  if (nRows < n) return RemoveRows(nRows + 1, n, flags, CmdDo);
  if (nRows == n) return TRUE;
  return InsertRows(n + 1, nRows - n, nullptr, nullptr, nullptr, 0, flags, CmdDo);
}

BOOL CGXGridCore::SetColCount(ROWCOL nCols, UINT flags) {
  const ROWCOL n = GetColCount();
  if (!m_pParam || nCols > kMaxCount) return FALSE;
  if (nCols < n) return RemoveCols(nCols + 1, n, flags, CmdDo);
  if (nCols == n) return TRUE;
  return InsertCols(n + 1, nCols - n, nullptr, nullptr, nullptr, 0, flags, CmdDo);
}

BOOL CGXGridCore::StoreRowCount(ROWCOL nRows) {
  if (IsLockedReadOnly() || !m_pParam->m_pData || nRows > kMaxCount || !m_pParam->m_pData->SetRowCount(nRows))
    return FALSE;
  SetModifiedFlag(TRUE);
  return TRUE;
}

BOOL CGXGridCore::StoreColCount(ROWCOL nCols) {
  if (IsLockedReadOnly() || !m_pParam->m_pData || nCols > kMaxCount || !m_pParam->m_pData->SetColCount(nCols))
    return FALSE;
  SetModifiedFlag(TRUE);
  return TRUE;
}

void CGXGridCore::UpdateChangedRowCount(ROWCOL nOldRows, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  if (m_bCurrentCellValid && m_nCurrentRow > GetRowCount()) m_bCurrentCellValid = FALSE;
  FreeObjectCache();
  if (!m_pParam->m_bLockUpdate && (flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART)))
    Redraw(flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART), FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateChangedRowCount, m_nViewID);
    hint.m_nRow1 = std::min(GetRowCount(), nOldRows), hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::UpdateChangedColCount(ROWCOL nOldCols, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  if (m_bCurrentCellValid && m_nCurrentCol > GetColCount()) m_bCurrentCellValid = FALSE;
  FreeObjectCache();
  if (!m_pParam->m_bLockUpdate && (flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART)))
    Redraw(flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART), FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateChangedColCount, m_nViewID);
    hint.m_nCol1 = std::min(GetColCount(), nOldCols), hint.m_flags = flags;
    SendHint(hint);
  }
}

// ---- commands ------------------------------------------------------------------------------------------------

BOOL CGXGridCore::InsertRows(ROWCOL nRow, ROWCOL nCount, const DWORD* pSizes, const CObArray* pCellStyles,
                             const CObArray* pRowStyles, ROWCOL nCellsPerRow, UINT flags, GXCmdType ctCmd) {
  return DoInsert(TRUE, nRow, nCount, pSizes, pCellStyles, pRowStyles, nCellsPerRow, flags, ctCmd);
}

BOOL CGXGridCore::InsertCols(ROWCOL nCol, ROWCOL nCount, const DWORD* pSizes, const CObArray* pCellStyles,
                             const CObArray* pColStyles, ROWCOL nCellsPerCol, UINT flags, GXCmdType ctCmd) {
  return DoInsert(FALSE, nCol, nCount, pSizes, pCellStyles, pColStyles, nCellsPerCol, flags, ctCmd);
}

BOOL CGXGridCore::DoInsert(BOOL bRows, ROWCOL nAt, ROWCOL nCount, const DWORD* pSizes, const CObArray* pCellStyles,
                           const CObArray* pOwnStyles, ROWCOL nPerBand, UINT flags, GXCmdType ctCmd) {
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  if (!m_pParam || nCount == 0 || (uint64_t)count + nCount > kMaxCount || !EndCurrentCellEdit()) return FALSE;
  CGXMarkerHider hideMarker(this);
  CGXOperationProgress progress;
  if (!(bRows ? StoreInsertRows(nAt, nCount, FALSE) : StoreInsertCols(nAt, nCount, FALSE))) return FALSE;
  for (ROWCOL i = 0; pSizes && i < nCount; ++i)
    bRows ? StoreRowHeight(nAt + i, (int)pSizes[i]) : StoreColWidth(nAt + i, (int)pSizes[i]);
  INT_PTR k = 0;
  for (ROWCOL i = 0; pCellStyles && i < nCount; ++i) {
    for (ROWCOL j = 0; j < nPerBand && k < pCellStyles->GetSize(); ++j) {
      const auto* style = static_cast<const CGXStyle*>(pCellStyles->GetAt(k++));
      if (style) StoreStyleRowCol(bRows ? nAt + i : j, bRows ? j : nAt + i, style, 2, 0);
    }
  }
  for (ROWCOL i = 0; pOwnStyles && i < nCount && (INT_PTR)i < pOwnStyles->GetSize(); ++i)
    if (const auto* style = static_cast<const CGXStyle*>(pOwnStyles->GetAt((INT_PTR)i)))
      StoreStyleRowCol(bRows ? nAt + i : 0, bRows ? 0 : nAt + i, style, 2, -1);
  bRows ? UpdateInsertRows(nAt, nCount, flags, TRUE) : UpdateInsertCols(nAt, nCount, flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    const ROWCOL last = nAt + nCount - 1;
    AddCommand(bRows ? (CGXCommand*)new CGXRemoveRowsCmd(nAt, last) : new CGXRemoveColsCmd(nAt, last), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo)
      SetCurrentCellAfterCommand(bRows ? nAt : GetTopRow(), bRows ? GetLeftCol() : nAt, FALSE);
  }
  return TRUE;
}

BOOL CGXGridCore::RemoveRows(ROWCOL nFrom, ROWCOL nTo, UINT flags, GXCmdType ctCmd) {
  return DoRemove(TRUE, nFrom, nTo, flags, ctCmd);
}

BOOL CGXGridCore::RemoveCols(ROWCOL nFrom, ROWCOL nTo, UINT flags, GXCmdType ctCmd) {
  return DoRemove(FALSE, nFrom, nTo, flags, ctCmd);
}

BOOL CGXGridCore::DoRemove(BOOL bRows, ROWCOL nFrom, ROWCOL nTo, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam) return FALSE;
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  nTo = std::min(nTo, count);
  if (nFrom == 0 || nFrom > nTo || !EndCurrentCellEdit()) return FALSE;
  CGXMarkerHider hideMarker(this);
  CGXOperationProgress progress;
  progress.SetStatusText("Generating undo information ...");
  const ROWCOL n = nTo - nFrom + 1;
  const ROWCOL across = (bRows ? GetColCount() : GetRowCount()) + 1;
  StyleArrayPtr cellStyles, ownStyles;
  if (Records(m_pParam, ctCmd)) {
    const WORD w = bRows ? m_pParam->m_wUndoRemoveRowsFlags : m_pParam->m_wUndoRemoveColsFlags;
    BOOL wantCells = (w & 2) != 0, wantOwn = (w & 1) != 0;
    const BOOL cellsFit = (uint64_t)across * n <= 0x7FFFFFFE && across <= 0x7FFF && n <= 0x7FFF;
    const BOOL ownFit = n < 0x8000;
    if ((wantCells && !cellsFit) || (wantOwn && !ownFit)) {
      if (AfxMessageBox(kTooLarge, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) return FALSE;
      wantCells = wantCells && cellsFit, wantOwn = wantOwn && ownFit;
    }
    const uint64_t total = (wantCells ? (uint64_t)across * n : 0) + (wantOwn ? n : 0);
    uint64_t done = 0;
    BOOL aborted = FALSE;
    auto take = [&](CObArray& out, ROWCOL r, ROWCOL c, int nType) {
      CGXStyle* style = CreateStyle();
      if (GetStyleRowCol(r, c, *style, 2, nType)) {
        out.Add(style);
      } else {
        RecycleStyle(style);
        out.Add(nullptr);
      }
      GXGetProgressSettings().nPercent = (DWORD)(++done * 100 / total);
      BOOL abort = FALSE;
      if (progress.CheckAbort(abort) && abort) aborted = TRUE;
    };
    if (wantCells) cellStyles.reset(new CObArray);
    if (wantOwn) ownStyles.reset(new CObArray);
    for (ROWCOL i = 0; i < n && !aborted; ++i) {
      for (ROWCOL j = 0; cellStyles && j < across && !aborted; ++j)
        take(*cellStyles, bRows ? nFrom + i : j, bRows ? j : nFrom + i, 0);
      if (ownStyles && !aborted) take(*ownStyles, bRows ? nFrom + i : 0, bRows ? 0 : nFrom + i, -1);
    }
    GXGetProgressSettings().nPercent = 0xFFFFFFFF;
    if (aborted) {
      if (AfxMessageBox(kTooLarge, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) return FALSE;
      cellStyles.reset(), ownStyles.reset();
    }
  }

  if (ctCmd == CmdDo) {
    BeginTrans(bRows ? "Removing rows ..." : "Removing columns ...");
    // Covered ranges cut by the removal shrink or are uncovered, each step undoable.
    const BOOL oldLock = m_pParam->m_bLockUpdate;
    m_pParam->m_bLockUpdate = TRUE;
    for (CGXRange r : CoveredRanges(m_pParam)) {
      const ROWCOL first = First(r, bRows), last = Last(r, bRows);
      const BOOL endsInside = first < nFrom && last >= nFrom && last <= nTo;
      if (!endsInside && !(first >= nFrom && first <= nTo)) continue;
      SetCoveredCellsRowCol(r.m_nTop, r.m_nLeft, r.m_nTop, r.m_nLeft, flags, CmdDo);
      if (endsInside) {
        Last(r, bRows) = nFrom - 1;
        SetCoveredCellsRowCol(r.m_nTop, r.m_nLeft, r.m_nBottom, r.m_nRight, flags, CmdDo);
      }
      flags = 1;
    }
    m_pParam->m_bLockUpdate = oldLock;
  }

  progress.SetStatusText(bRows ? "Removing rows ..." : "Removing columns ...");
  std::unique_ptr<DWORD[]> sizes;
  if ((flags == 2 && !m_pParam->m_bLockUpdate && nTo < count) || cellStyles || ownStyles) {
    sizes.reset(new DWORD[n]);
    bRows ? GetRowHeights(nFrom, nTo, sizes.get()) : GetColWidths(nFrom, nTo, sizes.get());
  }
  if (!(bRows ? StoreRemoveRows(nFrom, nTo, FALSE) : StoreRemoveCols(nFrom, nTo, FALSE))) {
    if (ctCmd == CmdDo) CommitTrans();
    return FALSE;
  }
  bRows ? UpdateRemoveRows(nFrom, nTo, sizes.get(), flags, TRUE) : UpdateRemoveCols(nFrom, nTo, sizes.get(), flags, TRUE);
  if (cellStyles || ownStyles) {
    CObArray* cells = cellStyles.release();
    CObArray* own = ownStyles.release();
    AddCommand(bRows ? (CGXCommand*)new CGXInsertRowsCmd(nFrom, n, sizes.release(), cells, own, across)
                     : new CGXInsertColsCmd(nFrom, n, sizes.release(), cells, own, across),
               ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo)
      SetCurrentCellAfterCommand(bRows ? nFrom : GetTopRow(), bRows ? GetLeftCol() : nFrom, FALSE);
  }
  SetSelection(nullptr);
  if (ctCmd == CmdDo) CommitTrans();
  return TRUE;
}

BOOL CGXGridCore::MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, GXCmdType ctCmd) {
  return DoMove(TRUE, nFrom, nTo, nDest, flags, ctCmd);
}

BOOL CGXGridCore::MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, GXCmdType ctCmd) {
  return DoMove(FALSE, nFrom, nTo, nDest, flags, ctCmd);
}

BOOL CGXGridCore::DoMove(BOOL bRows, ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, GXCmdType ctCmd) {
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  if (!m_pParam || nFrom == 0 || nFrom > nTo || nTo > count || nDest == 0 || (uint64_t)nDest + (nTo - nFrom) > count)
    return FALSE;
  if (nDest == nFrom) return TRUE;
  if (!EndCurrentCellEdit()) return FALSE;
  CGXMarkerHider hideMarker(this);
  if (ctCmd == CmdDo) {
    BeginTrans(bRows ? "Move Rows" : "Move Columns");
    const ROWCOL n = nTo - nFrom + 1;
    for (CGXRange r : CoveredRanges(m_pParam)) {
      const ROWCOL t = First(r, bRows);
      const BOOL destInBlock = nDest >= nFrom && nDest <= nTo;
      const BOOL displaced = (t >= nFrom && t <= nTo && !destInBlock) || (nTo < t && t < nDest + n && nDest > nFrom) ||
                             (nDest <= t && t < nFrom);
      if (!displaced) continue;
      if (m_pParam->m_bUndoEnabled) {
        AddCommand(new CGXSetCoveredCellsCmd(r.m_nTop, r.m_nLeft, r.m_nBottom, r.m_nRight), CmdDo);
        AddCommand(new CGXSetCoveredCellsCmd(r.m_nTop, r.m_nLeft, r.m_nTop, r.m_nLeft), CmdDo);
      }
      flags = (flags & ~6u) | 1u;
    }
  }
  if (!(bRows ? StoreMoveRows(nFrom, nTo, nDest, FALSE) : StoreMoveCols(nFrom, nTo, nDest, FALSE))) {
    if (ctCmd == CmdDo) CommitTrans();
    return FALSE;
  }
  bRows ? UpdateMoveRows(nFrom, nTo, nDest, flags, TRUE) : UpdateMoveCols(nFrom, nTo, nDest, flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    const ROWCOL last = nDest + nTo - nFrom;
    AddCommand(bRows ? (CGXCommand*)new CGXMoveRowsCmd(nDest, last, nFrom) : new CGXMoveColsCmd(nDest, last, nFrom),
               ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo)
      SetCurrentCellAfterCommand(bRows ? nDest : GetTopRow(), bRows ? GetLeftCol() : nDest, FALSE);
  }
  if (ctCmd == CmdDo) CommitTrans();
  return TRUE;
}

BOOL CGXGridCore::SetFrozenRows(ROWCOL nFrozenRows, ROWCOL nHeaderRows, UINT flags, GXCmdType ctCmd) {
  return DoSetFrozen(TRUE, nFrozenRows, nHeaderRows, flags, ctCmd);
}

BOOL CGXGridCore::SetFrozenCols(ROWCOL nFrozenCols, ROWCOL nHeaderCols, UINT flags, GXCmdType ctCmd) {
  return DoSetFrozen(FALSE, nFrozenCols, nHeaderCols, flags, ctCmd);
}

BOOL CGXGridCore::DoSetFrozen(BOOL bRows, ROWCOL nFrozen, ROWCOL nHeader, UINT flags, GXCmdType ctCmd) {
  if (!m_pParam) return FALSE;
  const ROWCOL oldFrozen = bRows ? m_pParam->m_nFrozenRows : m_pParam->m_nFrozenCols;
  const ROWCOL oldHeader = bRows ? m_pParam->m_nHeaderRows : m_pParam->m_nHeaderCols;
  if (!(bRows ? StoreFrozenRows(nFrozen, nHeader) : StoreFrozenCols(nFrozen, nHeader))) return FALSE;
  bRows ? UpdateFrozenRows(oldFrozen, oldHeader, flags, TRUE) : UpdateFrozenCols(oldFrozen, oldHeader, flags, TRUE);
  if (Records(m_pParam, ctCmd))
    AddCommand(bRows ? (CGXCommand*)new CGXSetFrozenRowsCmd(oldFrozen, oldHeader)
                     : new CGXSetFrozenColsCmd(oldFrozen, oldHeader),
               ctCmd);
  return TRUE;
}

BOOL CGXGridCore::MoveDataRows(const CGXRange& range, const CDWordArray& order, UINT flags, GXCmdType ctCmd) {
  return DoMoveData(TRUE, range, order, flags, ctCmd);
}

BOOL CGXGridCore::MoveDataCols(const CGXRange& range, const CDWordArray& order, UINT flags, GXCmdType ctCmd) {
  return DoMoveData(FALSE, range, order, flags, ctCmd);
}

BOOL CGXGridCore::DoMoveData(BOOL bRows, const CGXRange& range, const CDWordArray& order, UINT flags,
                             GXCmdType ctCmd) {
  // The order must be a permutation of the range's bands: anything else would lose data.
  CGXRange r = range;
  const INT_PTR n = order.GetSize();
  if (Last(r, bRows) < First(r, bRows) || (uint64_t)Last(r, bRows) - First(r, bRows) + 1 != (uint64_t)n)
    AfxThrowInvalidArgException();
  std::vector<DWORD> inverse((size_t)n, 0xFFFFFFFF);
  for (INT_PTR i = 0; i < n; ++i) {
    if (order[i] >= (DWORD)n || inverse[order[i]] != 0xFFFFFFFF) AfxThrowInvalidArgException();
    inverse[order[i]] = (DWORD)i;
  }
  if (!(bRows ? StoreMoveDataRows(range, order) : StoreMoveDataCols(range, order))) return FALSE;
  SetSelection(nullptr);
  // Spans follow the values, and any value may have moved.
  const CGXRange table = CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount());
  DelayFloatCells(table);
  DelayMergeCells(table);
  EvalVisibleFloatMergeCells(table, FALSE);
  bRows ? UpdateMoveDataRows(range, flags, TRUE) : UpdateMoveDataCols(range, flags, TRUE);
  if (Records(m_pParam, ctCmd)) {
    auto* inv = new CDWordArray;
    inv->SetSize(n);
    for (INT_PTR i = 0; i < n; ++i) (*inv)[i] = inverse[(size_t)i];
    AddCommand(bRows ? (CGXCommand*)new CGXMoveDataRowsCmd(range, inv) : new CGXMoveDataColsCmd(range, inv), ctCmd);
  }
  return TRUE;
}

// ---- store layer --------------------------------------------------------------------------------------------

BOOL CGXGridCore::DoStoreStructure(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, BOOL bProcessed) {
  if (IsLockedReadOnly()) return FALSE;
  if (CGXData* data = m_pParam->m_pData) {
    if (nOp == opInsert) bProcessed |= bRows ? data->InsertRows(a, b) : data->InsertCols(a, b);
    else if (nOp == opRemove) bProcessed |= bRows ? data->RemoveRows(a, b) : data->RemoveCols(a, b);
    else bProcessed |= bRows ? data->MoveRows(a, b, c) : data->MoveCols(a, b, c);
  }
  if (!bProcessed) return FALSE;
  SetModifiedFlag(TRUE);
  CByteArray& hidden = bRows ? m_pParam->m_abHiddenRows : m_pParam->m_abHiddenCols;
  CGXMapDWordToLong& sizes = bRows ? m_pParam->m_RowHeights : m_pParam->m_ColWidths;
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  for (CGXRangeList* list : {&m_pParam->m_SelRects, &m_pParam->m_CoveredCellsList}) {
    if (nOp == opInsert) bRows ? list->InsertRows(a, b) : list->InsertCols(a, b);
    else if (nOp == opRemove) bRows ? list->RemoveRows(a, b, count) : list->RemoveCols(a, b, count);
    else bRows ? list->MoveRows(a, b, c, count) : list->MoveCols(a, b, c, count);
  }
  // The covered-cell look-up follows the list it was built from.
  if (auto* pool = DYNAMIC_DOWNCAST(CGXCoveredCellPool, m_pParam->m_pCoveredCellPool))
    pool->RebuildFromList(m_pParam->m_CoveredCellsList);
  if (nOp == opInsert) GXInsertBits(hidden, a, b), sizes.InsertKeys(a, b);
  else if (nOp == opRemove) GXRemoveBits(hidden, a, b), sizes.RemoveKeys(a, b);
  else GXMoveBits(hidden, a, b, c), sizes.MoveKeys(a, b, c);
  KeepSpanPoolsInStep(bRows, nOp, a, b, c);
  return TRUE;
}

// Floated and merged spans follow the rows (columns) they lie in; what the change may have joined
// or split is evaluated again.
void CGXGridCore::KeepSpanPoolsInStep(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c) {
  auto apply = [&](CObject* p) {
    auto* pool = DYNAMIC_DOWNCAST(CGXSpanCellPool, p);
    if (!pool) return;
    if (nOp == opInsert) bRows ? pool->InsertRows(a, b) : pool->InsertCols(a, b);
    else if (nOp == opRemove) bRows ? pool->RemoveRows(a, b) : pool->RemoveCols(a, b);
    else bRows ? pool->MoveRows(a, b, c) : pool->MoveCols(a, b, c);
  };
  const ROWCOL first = nOp == opMove ? std::min(a, c) : a;
  const CGXRange rest = bRows ? CGXRange().SetCellRange(first, 0, GetRowCount(), GetColCount())
                              : CGXRange().SetCellRange(0, first, GetRowCount(), GetColCount());
  if (GetFloatCellsMode()) {
    apply(m_pParam->m_pFloatCellsPool);
    apply(m_pParam->m_pPrintFloatCellsPool);
    if (!bRows) DelayFloatCells(rest);
  }
  if (GetMergeCellsMode() & 3) {
    // Spans across the inserted or moved rows (columns) go: they are evaluated again from there on.
    CObject* along = bRows ? m_pParam->m_pMergeCellsPoolH : m_pParam->m_pMergeCellsPoolV;
    CObject* across = bRows ? m_pParam->m_pMergeCellsPoolV : m_pParam->m_pMergeCellsPoolH;
    apply(along);
    if (nOp != opRemove) {
      // A span across moved bands may lose or gain a band in its middle: it goes too.
      if (auto* pool = DYNAMIC_DOWNCAST(CGXSpanCellPool, across))
        bRows ? pool->RemoveRows(first, 0xFFFFFFFE) : pool->RemoveCols(first, 0xFFFFFFFE);
    } else {
      apply(across);
    }
    DelayMergeCells(rest);
  }
}

BOOL CGXGridCore::StoreInsertRows(ROWCOL nRow, ROWCOL nCount, BOOL bProcessed) {
  return DoStoreStructure(TRUE, opInsert, nRow, nCount, 0, bProcessed);
}
BOOL CGXGridCore::StoreInsertCols(ROWCOL nCol, ROWCOL nCount, BOOL bProcessed) {
  return DoStoreStructure(FALSE, opInsert, nCol, nCount, 0, bProcessed);
}
BOOL CGXGridCore::StoreRemoveRows(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed) {
  return DoStoreStructure(TRUE, opRemove, nFrom, nTo, 0, bProcessed);
}
BOOL CGXGridCore::StoreRemoveCols(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed) {
  return DoStoreStructure(FALSE, opRemove, nFrom, nTo, 0, bProcessed);
}
BOOL CGXGridCore::StoreMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed) {
  return DoStoreStructure(TRUE, opMove, nFrom, nTo, nDest, bProcessed);
}
BOOL CGXGridCore::StoreMoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed) {
  return DoStoreStructure(FALSE, opMove, nFrom, nTo, nDest, bProcessed);
}

BOOL CGXGridCore::StoreFrozenRows(ROWCOL nFrozenRows, ROWCOL nHeaderRows) {
  if (IsLockedReadOnly()) return FALSE;
  m_pParam->m_nFrozenRows = nFrozenRows, m_pParam->m_nHeaderRows = nHeaderRows;
  SetModifiedFlag(TRUE);
  return TRUE;
}

BOOL CGXGridCore::StoreFrozenCols(ROWCOL nFrozenCols, ROWCOL nHeaderCols) {
  if (IsLockedReadOnly()) return FALSE;
  m_pParam->m_nFrozenCols = nFrozenCols, m_pParam->m_nHeaderCols = nHeaderCols;
  SetModifiedFlag(TRUE);
  return TRUE;
}

BOOL CGXGridCore::StoreMoveDataRows(const CGXRange& range, const CDWordArray& order) {
  if (IsLockedReadOnly() || !m_pParam->m_pData || !m_pParam->m_pData->ReorderRows(range, order)) return FALSE;
  SetModifiedFlag(TRUE);
  return TRUE;
}

BOOL CGXGridCore::StoreMoveDataCols(const CGXRange& range, const CDWordArray& order) {
  if (IsLockedReadOnly() || !m_pParam->m_pData || !m_pParam->m_pData->ReorderCols(range, order)) return FALSE;
  SetModifiedFlag(TRUE);
  return TRUE;
}

// ---- update layer -------------------------------------------------------------------------------------------

// Rows (columns) inserted or removed on screen move the pixels below (right of) them and repaint only the
// strip that opens and the numbered headers; whatever else changed repaints as a whole.
void CGXGridCore::RedrawStructureChange(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, UINT flags,
                                        const DWORD* pOldSizes, ROWCOL nTopBefore) {
  const HWND hwnd = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr;
  if (!hwnd || !IsGridWndVisible()) return;
  const ROWCOL frozen = bRows ? GetFrozenRows() : GetFrozenCols();
  const ROWCOL first = nOp == opMove ? std::min(a, c) : a;
  const BOOL spans = GetFloatCellsMode() || (GetMergeCellsMode() & 3);
  const ROWCOL top = bRows ? m_nTopRow : m_nLeftCol;
  if ((flags & GX_INVALIDATE) || first == 0 || first <= frozen || spans || (nOp == opMove && std::max(a, c) <= frozen) ||
      (nOp == opRemove && a < nTopBefore && b >= nTopBefore) || (nOp == opMove && first < top) ||
      (nOp == opRemove && b >= nTopBefore && top != nTopBefore)) {
    Redraw(flags, FALSE);
    return;
  }
  CRect g;
  GetGridRect(&g);
  const LONG end = bRows ? g.bottom : g.right;
  // The numbered headers from a place on: row headers for rows, column headers for columns.
  auto strip = [&](LONG from, LONG to) {
    return bRows ? CRect(g.left, from, g.right, to) : CRect(from, g.top, to, g.bottom);
  };
  auto headers = [&](LONG from) {
    return bRows ? CRect(g.left, from, g.left + SumClientColWidths(0, GetHeaderCols(), g.Width()), end)
                 : CRect(from, g.top, end, g.top + SumClientRowHeights(0, GetHeaderRows(), g.Height()));
  };
  const LONG origin = bRows ? ScrollOriginY() : ScrollOriginX();
  if (first < top || (nOp == opRemove && b < nTopBefore)) {
    // Above the screen: the same rows (columns) show, under new numbers.
    const CRect h = headers(origin);
    ::InvalidateRect(hwnd, &h, FALSE);
  } else if (first <= (bRows ? CalcLastVisibleRow(g) : CalcLastVisibleCol(g)) + (nOp == opMove ? 0 : 1)) {
    // One past the last shown: where rows (columns) open at the end, or where the removed last ones were.
    const LONG pos = bRows ? CalcTopOfClientRow(GetClientRow(first)) : CalcLeftOfClientCol(GetClientCol(first));
    const ROWCOL count = bRows ? GetRowCount() : GetColCount();
    LONG ext = -1;
    if (nOp == opInsert && a + b <= count) {
      ext = bRows ? SumRowHeights(a, a + b - 1, end - pos) : SumColWidths(a, a + b - 1, end - pos);
    } else if (nOp == opRemove && pOldSizes && a <= count) {
      ext = 0;
      for (ROWCOL i = 0; i <= b - a && ext < end - pos; ++i) ext += (LONG)pOldSizes[i];
    }
    const CRect area = strip(pos, end);
    if (ext > 0 && pos + ext < end && (flags & (GX_UPDATENOW | GX_SMART))) {
      const int delta = nOp == opInsert ? (int)ext : -(int)ext;
      MoveGridPixels(bRows ? 0 : delta, bRows ? delta : 0, area, area, SW_INVALIDATE | SW_ERASE);
      if (nOp == opInsert) {
        const CRect opened = strip(pos, pos + ext);
        ::InvalidateRect(hwnd, &opened, FALSE);
      }
      // The band first, the headers after it: painted together they would repaint all between.
      if (flags & GX_UPDATENOW) ::UpdateWindow(hwnd);
      const CRect h = headers(pos);
      ::InvalidateRect(hwnd, &h, FALSE);
    } else {
      ::InvalidateRect(hwnd, &area, FALSE);
    }
    // A covered block that starts before the change and reaches into it repaints whole.
    if (nOp == opRemove)
      for (POSITION p = m_pParam->m_CoveredCellsList.GetHeadPosition(); p;) {
        const CGXRange* r = m_pParam->m_CoveredCellsList.GetNext(p);
        const ROWCOL lo = bRows ? r->m_nTop : r->m_nLeft, hi = bRows ? r->m_nBottom : r->m_nRight;
        if (lo < a && hi + 1 >= a) {
          const CRect cover = CalcRectFromRowColEx(r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight);
          ::InvalidateRect(hwnd, &cover, FALSE);
        }
      }
  }
  if (flags & GX_UPDATENOW) ::UpdateWindow(hwnd);
}

void CGXGridCore::DoUpdateStructure(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, UINT flags,
                                    BOOL bCreateHint, const DWORD* pOldSizes) {
  if (!m_pParam) return;
  ForgetLastVisible(bRows, !bRows);
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  // The current cell follows its row (column); one that was removed is gone.
  const ROWCOL curBefore = bRows ? m_nCurrentRow : m_nCurrentCol;
  const ROWCOL markedBefore = bRows ? m_nCurrentCol : m_nCurrentRow;
  const BOOL hadCurrent = m_bCurrentCellValid;
  if (m_bCurrentCellValid) {
    ROWCOL& cur = bRows ? m_nCurrentRow : m_nCurrentCol;
    if (nOp == opInsert && cur >= a) cur += b;
    else if (nOp == opRemove && cur >= a && cur <= b) m_bCurrentCellValid = FALSE;
    else if (nOp == opRemove && cur > b) cur -= b - a + 1;
    else if (nOp == opMove) cur = MovedIndex(cur, a, b, c);
    (bRows ? m_pParam->m_nCurRow : m_pParam->m_nCurCol) = cur;
  }
  if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
  m_pCurrentCellControl = nullptr;
  FreeObjectCache();
  if (m_bCurrentCellValid && (bRows ? m_nCurrentRow : m_nCurrentCol) != curBefore) ReloadCurrentCell();

  ROWCOL& top = bRows ? m_nTopRow : m_nLeftCol;
  const ROWCOL topBefore = top;
  const ROWCOL frozen = bRows ? GetFrozenRows() : GetFrozenCols();
  if (!m_pParam->m_bLockUpdate) {
    // Rows inserted or removed above the top row keep the same rows on screen.
    if (nOp == opInsert && a > frozen && a < top) top += b;
    if (nOp == opRemove) {
      if (count == 0) top = 1;
      else if (b < top && a > frozen) top -= b - a + 1;
      else if (a < top && a > frozen) top = a;
      if (count && top > count) top = std::max<ROWCOL>(1, count);
    }
  }
  top = std::max<ROWCOL>(top, frozen + 1);
  if (!m_pParam->m_bLockUpdate && (flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART))) {
    const BOOL oldLock = LockScrollBars(TRUE);
    // A removed current cell no longer marks the header of its column (row).
    if (hadCurrent && !m_bCurrentCellValid && IsGridWndVisible()) {
      const CRect mark = bRows ? CalcSpannedRangeRect(0, markedBefore, GetHeaderRows(), markedBefore)
                               : CalcSpannedRangeRect(markedBefore, 0, markedBefore, GetHeaderCols());
      if (!mark.IsRectEmpty()) m_pGridWnd->InvalidateRect(&mark, FALSE);
    }
    RedrawStructureChange(bRows, nOp, a, b, c, flags & (GX_INVALIDATE | GX_UPDATENOW | GX_SMART), pOldSizes, topBefore);
    LockScrollBars(oldLock);
    if (flags & (GX_UPDATENOW | GX_SMART)) RefreshScrollBars();
  }
  if (m_bUpdateHints && bCreateHint && (nOp == opInsert ? a : b) != 0) {
    static const UINT ids[2][3] = {{gxHintUpdateInsertCols, gxHintUpdateRemoveCols, gxHintUpdateMoveCols},
                                   {gxHintUpdateInsertRows, gxHintUpdateRemoveRows, gxHintUpdateMoveRows}};
    CGXGridHint hint(ids[bRows ? 1 : 0][nOp], m_nViewID);
    (bRows ? hint.m_nRow1 : hint.m_nCol1) = a;
    if (nOp == opInsert) {
      hint.m_dwParam = (DWORD)b;  // the count
    } else {
      (bRows ? hint.m_nRow2 : hint.m_nCol2) = b;
      (bRows ? hint.m_nRow3 : hint.m_nCol3) = c;
    }
    if (nOp == opRemove) {
      hint.m_pHintPtr = const_cast<DWORD*>(pOldSizes);
      hint.m_lParam = GetZoom();  // the old sizes are in this window's pixels
    }
    hint.m_flags = flags;
    SendHint(hint);
  }
}

void CGXGridCore::UpdateInsertRows(ROWCOL nRow, ROWCOL nCount, UINT flags, BOOL bCreateHint) {
  DoUpdateStructure(TRUE, opInsert, nRow, nCount, 0, flags, bCreateHint);
}
void CGXGridCore::UpdateInsertCols(ROWCOL nCol, ROWCOL nCount, UINT flags, BOOL bCreateHint) {
  DoUpdateStructure(FALSE, opInsert, nCol, nCount, 0, flags, bCreateHint);
}
void CGXGridCore::UpdateRemoveRows(ROWCOL nFrom, ROWCOL nTo, const DWORD* anOldHeights, UINT flags,
                                   BOOL bCreateHint) {
  DoUpdateStructure(TRUE, opRemove, nFrom, nTo, 0, flags, bCreateHint, anOldHeights);
}
void CGXGridCore::UpdateRemoveCols(ROWCOL nFrom, ROWCOL nTo, const DWORD* anOldWidths, UINT flags,
                                   BOOL bCreateHint) {
  DoUpdateStructure(FALSE, opRemove, nFrom, nTo, 0, flags, bCreateHint, anOldWidths);
}
void CGXGridCore::UpdateMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, BOOL bCreateHint) {
  DoUpdateStructure(TRUE, opMove, nFrom, nTo, nDest, flags, bCreateHint);
}
void CGXGridCore::UpdateMoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, BOOL bCreateHint) {
  DoUpdateStructure(FALSE, opMove, nFrom, nTo, nDest, flags, bCreateHint);
}

// The current cell's place moved with the frozen block: an open edit window keeps its text and
// shows again where the redraw finds the cell, or stays hidden when the cell scrolled out.
static void HideActiveControlForRedraw(CGXGridCore& grid) {
  CGXControl* control = grid.GetCurrentCellControl();
  if (control && control->IsActive()) control->Hide();
}

void CGXGridCore::UpdateFrozenRows(ROWCOL nOldFrozenRows, ROWCOL nOldHeaderRows, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  m_nTopRow = std::max<ROWCOL>(GetFrozenRows() + 1, m_nTopRow);
  if (m_bCurrentCellValid && m_nCurrentRow > GetRowCount()) m_bCurrentCellValid = FALSE;
  HideActiveControlForRedraw(*this);
  CGXGridHint hint(gxHintUpdateFrozenRows, m_nViewID);
  hint.m_nRow1 = nOldFrozenRows, hint.m_nRow2 = nOldHeaderRows;
  RefreshAfterStructure(hint, flags, bCreateHint);
}

void CGXGridCore::UpdateFrozenCols(ROWCOL nOldFrozenCols, ROWCOL nOldHeaderCols, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  m_nLeftCol = std::max<ROWCOL>(GetFrozenCols() + 1, m_nLeftCol);
  if (m_bCurrentCellValid && m_nCurrentCol > GetColCount()) m_bCurrentCellValid = FALSE;
  HideActiveControlForRedraw(*this);
  CGXGridHint hint(gxHintUpdateFrozenCols, m_nViewID);
  hint.m_nCol1 = nOldFrozenCols, hint.m_nCol2 = nOldHeaderCols;
  RefreshAfterStructure(hint, flags, bCreateHint);
}

void CGXGridCore::UpdateMoveDataRows(const CGXRange& range, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  CGXGridHint hint(gxHintUpdateMoveDataRows, m_nViewID);
  hint.m_range = range;
  RefreshAfterStructure(hint, flags, bCreateHint, TRUE);
}

void CGXGridCore::UpdateMoveDataCols(const CGXRange& range, UINT flags, BOOL bCreateHint) {
  if (!m_pParam) return;
  CGXGridHint hint(gxHintUpdateMoveDataCols, m_nViewID);
  hint.m_range = range;
  RefreshAfterStructure(hint, flags, bCreateHint, TRUE);
}

// Styles composed before the change describe other cells now: drop them, redraw and tell the views.
void CGXGridCore::RefreshAfterStructure(CGXGridHint& hint, UINT flags, BOOL bCreateHint, BOOL bReloadCurrentCell) {
  if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
  m_pCurrentCellControl = nullptr;
  FreeObjectCache();
  if (bReloadCurrentCell) ReloadCurrentCell();
  if (!m_pParam->m_bLockUpdate) Redraw(flags, FALSE);
  hint.m_flags = flags;
  if (m_bUpdateHints && bCreateHint) SendHint(hint);
}

// The current cell's control was loaded from the cell it stood on: it takes the text of the cell it
// stands on now, so an edit neither shows nor stores what has moved away.
void CGXGridCore::ReloadCurrentCell() {
  ROWCOL r, c;
  if (!GetCurrentCell(r, c)) return;
  CGXControl* control = GetControl(r, c);
  if (!control) return;
  control->Init(r, c);
  // An edit window left open would stand over the cell the grid draws afresh.
  control->Hide();
}
