// The grid core's covered, merged and floated cells: blocks the program stores, and spans derived
// from the cells' styles, kept in the parameter object's pools.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXDelayedRange.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXSpanCellPool.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <unordered_map>

namespace {

const ROWCOL kHuge = 0x80000000u;
const ROWCOL kNone = (ROWCOL)-1;

template <class T>
T* Pool(CObject* p) {
  return p && p->IsKindOf(RUNTIME_CLASS(T)) ? static_cast<T*>(p) : nullptr;
}

CGXCoveredCellPool* CoveredPool(CGXGridParam& param) {
  auto* pool = Pool<CGXCoveredCellPool>(param.m_pCoveredCellPool);
  if (!pool) {
    delete param.m_pCoveredCellPool;
    param.m_pCoveredCellPool = pool = new CGXCoveredCellPool;
    pool->RebuildFromList(param.m_CoveredCellsList);
  }
  return pool;
}

void Replace(CObject*& slot, CObject* p) {
  delete slot;
  slot = p;
}

BOOL Widen(CGXRange& r, const CGXRange& by) {
  const CGXRange old = r;
  r.m_nTop = std::min(r.m_nTop, by.m_nTop), r.m_nLeft = std::min(r.m_nLeft, by.m_nLeft);
  r.m_nBottom = std::max(r.m_nBottom, by.m_nBottom), r.m_nRight = std::max(r.m_nRight, by.m_nRight);
  return !(old == r);
}

// The range as cells, cut to the given bounds; invalid when nothing is left.
CGXRange Clipped(const CGXRange& in, ROWCOL minRow, ROWCOL minCol, ROWCOL maxRow, ROWCOL maxCol) {
  CGXRange r = in;
  r.ExpandRange(minRow, minCol, maxRow, maxCol);
  CGXRange out;
  out.IntersectRange(r, CGXRange().SetCellRange(minRow, minCol, maxRow, maxCol));
  if (!in.IsValid() || minRow > maxRow || minCol > maxCol) out.m_bValid = 0;
  return out;
}

void Note(CGXRange* pUpdated, const CGXRange& r) {
  if (!pUpdated) return;
  if (!pUpdated->IsValid()) *pUpdated = r;
  else Widen(*pUpdated, r);
}

// Styles composed once per cell while rows are evaluated, handed back after each row.
class StyleCache {
 public:
  explicit StyleCache(CGXGridCore& grid) : m_grid(grid) {}
  ~StyleCache() { Flush(); }
  const CGXStyle& Get(ROWCOL row, ROWCOL col) {
    CGXStyle*& s = m_styles[((ULONGLONG)row << 32) | col];
    if (!s) {
      s = m_grid.CreateStyle();
      m_grid.ComposeStyleRowCol(row, col, s, TRUE);
    }
    return *s;
  }
  CGXControl* Control(const CGXStyle& style) { return m_grid.GetRegisteredControl(style.GetControl()); }
  void Flush() {
    for (auto& [key, s] : m_styles) m_grid.RecycleStyle(s);
    m_styles.clear();
  }

 private:
  CGXGridCore& m_grid;
  std::unordered_map<ULONGLONG, CGXStyle*> m_styles;
};

// Holds LockUpdate while spans are evaluated, unless the caller holds it.
class UpdateLock {
 public:
  UpdateLock(CGXGridParam& param, BOOL bHeld) : m_param(param), m_old(param.m_bLockUpdate), m_bHeld(bHeld) {
    if (!bHeld) param.m_bLockUpdate = TRUE;
  }
  ~UpdateLock() {
    if (!m_bHeld) m_param.m_bLockUpdate = m_old;
  }

 private:
  CGXGridParam& m_param;
  BOOL m_old, m_bHeld;
};

// Walks the cells of a range by due intervals (mode 1) or all unhidden cells (mode 2).
template <class EVAL>
BOOL WalkRange(CGXGridCore& grid, CGXDelayedRangePool* delayed, int mode, const CGXRange& r, StyleCache& cache,
               EVAL eval) {
  BOOL changed = FALSE;
  if (mode == 1) {
    CDWordArray first, last;
    if (!delayed || !delayed->GetDueIntervals(r, first, last)) return FALSE;
    for (INT_PTR i = 0; i < first.GetSize(); ++i) {
      if (first[i] == kNone) continue;
      const ROWCOL row = r.m_nTop + (ROWCOL)i;
      for (ROWCOL col = first[i];; ++col) {
        changed |= eval(row, col);
        if (col >= last[i]) break;
      }
      cache.Flush();
    }
    return changed;
  }
  for (ROWCOL row = r.m_nTop;; ++row) {
    if (!grid.IsRowHidden(row)) {
      for (ROWCOL col = r.m_nLeft;; ++col) {
        if (!grid.IsColHidden(col)) changed |= eval(row, col);
        if (col == r.m_nRight) break;
      }
      cache.Flush();
    }
    if (row == r.m_nBottom) break;
  }
  return changed;
}

// Whether every row of the block runs across it and every column down it.
BOOL IsMergedBlock(CGXGridParam& param, const CGXRange& block) {
  auto* h = Pool<CGXSpanCellPool>(param.m_pMergeCellsPoolH);
  auto* v = Pool<CGXSpanCellPool>(param.m_pMergeCellsPoolV);
  if (!h || !v) return FALSE;
  for (ROWCOL row = block.m_nTop;; ++row) {
    CGXRange probe = CGXRange().SetCellRange(row, block.m_nLeft, row, block.m_nLeft);
    if (!h->Lookup(row, block.m_nLeft, probe) || probe.m_nLeft != block.m_nLeft || probe.m_nRight != block.m_nRight)
      return FALSE;
    if (row == block.m_nBottom) break;
  }
  for (ROWCOL col = block.m_nLeft;; ++col) {
    CGXRange probe = CGXRange().SetCellRange(block.m_nTop, col, block.m_nTop, col);
    if (!v->Lookup(block.m_nTop, col, probe) || probe.m_nTop != block.m_nTop || probe.m_nBottom != block.m_nBottom)
      return FALSE;
    if (col == block.m_nRight) break;
  }
  return TRUE;
}

}  // namespace

// ---- covered cells ----

BOOL CGXGridCore::GetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range) {
  if (!m_pParam || nRow >= kHuge - 1 || nCol >= kHuge - 1 || m_pParam->m_CoveredCellsList.IsEmpty()) return FALSE;
  const POSITION pos = CoveredPool(*m_pParam)->Lookup(nRow, nCol);
  if (!pos) return FALSE;
  range = *m_pParam->m_CoveredCellsList.GetAt(pos);
  return TRUE;
}

BOOL CGXGridCore::StoreCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, BOOL bSet) {
  if (!m_pParam || nRow >= kHuge - 1 || nCol >= kHuge - 1 || nToRow >= kHuge - 1 || nToCol >= kHuge - 1) return FALSE;
  if (m_pParam->m_bProtectReadOnly && (IsReadOnly() || GetStandardStyle().GetReadOnly())) return FALSE;
  CGXRangeList& list = m_pParam->m_CoveredCellsList;
  CGXCoveredCellPool* pool = CoveredPool(*m_pParam);
  const POSITION pos = pool->Lookup(nRow, nCol);
  CGXRange* cur = pos ? list.GetAt(pos) : nullptr;
  const BOOL bAnchor = cur && cur->m_nTop == nRow && cur->m_nLeft == nCol;
  if (!bSet) {
    if (!bAnchor) return FALSE;
    pool->SetSpan(cur->m_nTop, cur->m_nLeft, cur->m_nBottom, cur->m_nRight, nullptr);
    list.RemoveAt(pos);
    delete cur;
    return TRUE;
  }
  if (nToRow < nRow || nToCol < nCol) return FALSE;
  CGXRange range = CGXRange().SetCellRange(nRow, nCol, nToRow, nToCol);
  CGXRange grown = range;
  // The block being replaced does not count as cut.
  if (bAnchor) {
    pool->SetSpan(cur->m_nTop, cur->m_nLeft, cur->m_nBottom, cur->m_nRight, nullptr);
    MergeCoveredCells(grown);
    pool->SetSpan(cur->m_nTop, cur->m_nLeft, cur->m_nBottom, cur->m_nRight, pos);
  } else {
    MergeCoveredCells(grown);
  }
  if (!(grown == range)) return FALSE;
  if (!cur) {
    const POSITION at = list.AddTail(new CGXRange(range));
    if (!pool->SetSpan(nRow, nCol, nToRow, nToCol, at)) {
      pool->SetSpan(nRow, nCol, nToRow, nToCol, nullptr);
      delete list.GetAt(at);
      list.RemoveAt(at);
      return FALSE;
    }
    return TRUE;
  }
  if (!bAnchor || *cur == range) return FALSE;
  pool->SetSpan(cur->m_nTop, cur->m_nLeft, cur->m_nBottom, cur->m_nRight, nullptr);
  *cur = range;
  return pool->SetSpan(nRow, nCol, nToRow, nToCol, pos);
}

void CGXGridCore::MergeCoveredCells(CGXRange& range) {
  if (!m_pParam || m_pParam->m_CoveredCellsList.IsEmpty() || !range.IsValid()) return;
  // A block found widens the range; the walk starts over until the range holds still.
  for (BOOL grew = TRUE; grew;) {
    grew = FALSE;
    for (ROWCOL row = range.m_nTop; !grew; ++row) {
      for (ROWCOL col = range.m_nLeft; !grew; ++col) {
        CGXRange block;
        if (GetCoveredCellsRowCol(row, col, block)) {
          grew = Widen(range, block);
          col = std::max(col, block.m_nRight);
        }
        if (col >= range.m_nRight) break;
      }
      if (row >= range.m_nBottom) break;
    }
  }
}

BOOL CGXGridCore::SetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags,
                                        GXCmdType ctCmd) {
  if (!m_pParam) return FALSE;
  CGXRange old = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  GetCoveredCellsRowCol(nRow, nCol, old);
  const ROWCOL oldBottom = old.m_nBottom, oldRight = old.m_nRight;
  if (!StoreCoveredCellsRowCol(nRow, nCol, nToRow, nToCol, nToRow != nRow || nToCol != nCol)) return FALSE;
  CGXRange both = CGXRange().SetCellRange(nRow, nCol, std::max(oldBottom, nToRow), std::max(oldRight, nToCol));
  DelayFloatCells(both);
  DelayMergeCells(both);
  CGXRange updated = both;
  EvalMergeCells(both, FALSE, &updated);
  EvalFloatCells(both, FALSE, &updated);
  UpdateCoveredCellsRowCol(nRow, nCol, updated.m_nBottom, updated.m_nRight, flags, TRUE);
  if (ctCmd != CmdRollback && m_pParam->m_bUndoEnabled) {
    AddCommand(new CGXSetCoveredCellsCmd(nRow, nCol, oldBottom, oldRight), ctCmd);
    if (ctCmd == CmdUndo || ctCmd == CmdRedo) SetCurrentCellAfterCommand(nRow, nCol, TRUE);
  }
  return TRUE;
}

void CGXGridCore::UpdateCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags,
                                           BOOL bCreateHint) {
  if (!m_pParam || m_pParam->m_bLockUpdate) return;
  ROWCOL curRow = 0, curCol = 0;
  CGXRange block;
  if (GetCurrentCell(curRow, curCol) && GetCoveredCellsRowCol(nRow, nCol, block) && block.IsCellInRange(curRow, curCol) &&
      (curRow != block.m_nTop || curCol != block.m_nLeft))
    SetCurrentCell(block.m_nTop, block.m_nLeft, flags | GX_SCROLLINVIEW);
  RedrawRowCol(nRow, nCol, nToRow, nToCol, flags, FALSE);
  if (m_bUpdateHints && bCreateHint) {
    CGXGridHint hint(gxHintUpdateCoveredCellsRowCol, m_nViewID);
    hint.m_nRow1 = nRow, hint.m_nCol1 = nCol, hint.m_nRow2 = nToRow, hint.m_nCol2 = nToCol, hint.m_flags = flags;
    SendHint(hint);
  }
}

BOOL CGXGridCore::GetCellRangeRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range) {
  return GetCoveredCellsRowCol(nRow, nCol, range) || GetMergedCellsRowCol(nRow, nCol, range) ||
         GetFloatedCellsRowCol(nRow, nCol, range);
}

// ---- modes and queueing ----

void CGXGridCore::SetMergeCellsMode(WORD nMode, BOOL bRedraw) {
  if (!m_pParam || m_pParam->m_wMergeCellsMode == nMode) return;
  m_pParam->m_wMergeCellsMode = nMode;
  Replace(m_pParam->m_pDelayedMergeCellsPool, nullptr);
  Replace(m_pParam->m_pMergeCellsPoolH, nullptr);
  Replace(m_pParam->m_pMergeCellsPoolV, nullptr);
  if (nMode & 3) {
    m_pParam->m_pMergeCellsPoolH = new CGXSpanCellPool;
    m_pParam->m_pMergeCellsPoolV = new CGXSpanCellPool;
  }
  if ((nMode & 3) == 1) {
    auto* delayed = new CGXDelayedRangePool;
    m_pParam->m_pDelayedMergeCellsPool = delayed;
    delayed->AddRange(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  }
  if (bRedraw) Redraw();
}

void CGXGridCore::SetFloatCellsMode(WORD nMode, BOOL bRedraw) {
  if (!m_pParam || m_pParam->m_wFloatCellsMode == nMode) return;
  m_pParam->m_wFloatCellsMode = nMode;
  Replace(m_pParam->m_pDelayedFloatCellsPool, nullptr);
  Replace(m_pParam->m_pFloatCellsPool, nullptr);
  if (nMode) m_pParam->m_pFloatCellsPool = new CGXSpanCellPool;
  if (nMode == 1) {
    m_pParam->m_pDelayedFloatCellsPool = new CGXDelayedRangePool;
    DelayFloatCells(CGXRange().SetCellRange(0, 0, GetRowCount(), GetColCount()));
  }
  if (bRedraw) Redraw();
}

void CGXGridCore::DelayFloatCells(const CGXRange& rangeIn, ROWCOL nMaxCol) {
  if (!m_pParam || m_pParam->m_wFloatCellsMode != 1) return;
  const CGXRange r = Clipped(rangeIn, GetHeaderRows() + 1, GetHeaderCols() + 1, GetRowCount(), GetColCount());
  if (!r.IsValid()) return;
  for (CObject* p : {m_bPrinting ? nullptr : m_pParam->m_pDelayedFloatCellsPool, m_pParam->m_pPrintDelayedFloatCellsPool}) {
    auto* pool = Pool<CGXDelayedRangePool>(p);
    if (!pool) continue;
    pool->AddRange(r);
    if (nMaxCol != kNone) pool->ClipCols(nMaxCol);
  }
}

void CGXGridCore::DelayMergeCells(const CGXRange& rangeIn, ROWCOL nMaxRow, ROWCOL nMaxCol) {
  if (!m_pParam || (m_pParam->m_wMergeCellsMode & 3) != 1) return;
  auto* pool = Pool<CGXDelayedRangePool>(m_pParam->m_pDelayedMergeCellsPool);
  if (!pool) return;
  const CGXRange r = Clipped(rangeIn, 0, 0, GetRowCount(), GetColCount());
  if (!r.IsValid()) return;
  pool->AddRange(r);
  if (nMaxRow != kNone) pool->ClipRows(nMaxRow);
  if (nMaxCol != kNone) pool->ClipCols(nMaxCol);
}

// ---- spans ----

BOOL CGXGridCore::GetFloatedCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range) {
  if (!m_pParam || !m_pParam->m_wFloatCellsMode) return FALSE;
  auto* pool = Pool<CGXSpanCellPool>(m_bPrinting && m_pParam->m_pPrintFloatCellsPool ? m_pParam->m_pPrintFloatCellsPool
                                                                                     : m_pParam->m_pFloatCellsPool);
  CGXRange span = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  if (!pool || !pool->Lookup(nRow, nCol, span) || span.m_nLeft == span.m_nRight) return FALSE;
  range = CGXRange().SetCellRange(nRow, span.m_nLeft, nRow, span.m_nRight);
  return TRUE;
}

BOOL CGXGridCore::GetMergedCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range, UINT direction) {
  if (!m_pParam || !(m_pParam->m_wMergeCellsMode & 3)) return FALSE;
  CGXRange span = CGXRange().SetCellRange(nRow, nCol, nRow, nCol), probe = span;
  BOOL found = FALSE;
  // Rows give the columns of a span, columns its rows.
  if (direction != 1)
    if (auto* h = Pool<CGXSpanCellPool>(m_pParam->m_pMergeCellsPoolH); h && h->Lookup(nRow, nCol, probe))
      span.m_nLeft = probe.m_nLeft, span.m_nRight = probe.m_nRight, found = span.m_nLeft != span.m_nRight;
  const BOOL across = found;
  probe = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  if (direction != 0)
    if (auto* v = Pool<CGXSpanCellPool>(m_pParam->m_pMergeCellsPoolV); v && v->Lookup(nRow, nCol, probe))
      if (probe.m_nTop != probe.m_nBottom) span.m_nTop = probe.m_nTop, span.m_nBottom = probe.m_nBottom, found = TRUE;
  // Where a run along a row crosses one down a column without the two making one block, the cell
  // belongs to its row's run: the rectangle of the two would take in cells of neither.
  if (across && span.m_nTop != span.m_nBottom && !IsMergedBlock(*m_pParam, span)) span.m_nTop = span.m_nBottom = nRow;
  if (found) range = span;
  return found;
}

static BOOL StoreSpan(CGXGridCore& grid, CGXSpanCellPool* pool, ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow,
                      ROWCOL nToCol, UINT flags, UINT hintId, BOOL bRows) {
  if (!pool) return FALSE;
  CGXRange old = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
  CGXRange probe = old;
  if (pool->Lookup(nRow, nCol, probe)) {
    if (bRows) old.m_nLeft = probe.m_nLeft, old.m_nRight = probe.m_nRight;
    else old.m_nTop = probe.m_nTop, old.m_nBottom = probe.m_nBottom;
  }
  if (!pool->SetSpan(nRow, nCol, nRow, nCol, FALSE)) return FALSE;
  if ((nRow != nToRow || nCol != nToCol) && !pool->SetSpan(nRow, nCol, nToRow, nToCol, TRUE)) return FALSE;
  CGXRange both = old;
  Widen(both, CGXRange().SetCellRange(nRow, nCol, nToRow, nToCol));
  grid.RedrawRowCol(both.m_nTop, both.m_nLeft, both.m_nBottom, both.m_nRight, flags, FALSE);
  if (grid.m_bUpdateHints && grid.GetParam() && !grid.GetParam()->m_bLockUpdate) {
    CGXGridHint hint(hintId, grid.m_nViewID);
    hint.m_nRow1 = both.m_nTop, hint.m_nCol1 = both.m_nLeft, hint.m_nRow2 = both.m_nBottom, hint.m_nCol2 = both.m_nRight;
    hint.m_flags = flags;
    grid.SendHint(hint);
  }
  return TRUE;
}

BOOL CGXGridCore::SetFloatedCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags) {
  if (!m_pParam || nToRow < nRow || nToCol < nCol) return FALSE;
  auto* pool = Pool<CGXSpanCellPool>(m_bPrinting && m_pParam->m_pPrintFloatCellsPool ? m_pParam->m_pPrintFloatCellsPool
                                                                                     : m_pParam->m_pFloatCellsPool);
  return StoreSpan(*this, pool, nRow, nCol, nToRow, nToCol, flags, gxHintSetFloatedCellsRowCol, TRUE);
}

BOOL CGXGridCore::SetMergedCellsRowCol(int direction, ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol,
                                       UINT flags) {
  if (!m_pParam || nToRow < nRow || nToCol < nCol) return FALSE;
  CObject* p = direction == 0 ? m_pParam->m_pMergeCellsPoolH : m_pParam->m_pMergeCellsPoolV;
  return StoreSpan(*this, Pool<CGXSpanCellPool>(p), nRow, nCol, nToRow, nToCol, flags, gxHintSetMergedCellsRowCol,
                   direction == 0);
}

void CGXGridCore::ExpandRangeByFloatedCells(CGXRange& range) {
  if (!m_pParam || !m_pParam->m_wFloatCellsMode || !range.IsValid()) return;
  for (ROWCOL row = range.m_nTop;; ++row) {
    for (ROWCOL col = range.m_nLeft;; ++col) {
      CGXRange span;
      if (GetFloatedCellsRowCol(row, col, span)) {
        Widen(range, span);
        col = std::max(col, span.m_nRight);
      }
      if (col >= range.m_nRight) break;
    }
    if (row >= range.m_nBottom) break;
  }
}

void CGXGridCore::ExpandRangeByMergedCells(CGXRange& range) {
  if (!m_pParam || !(m_pParam->m_wMergeCellsMode & 3) || !range.IsValid()) return;
  for (UINT direction = 0; direction < 2; ++direction) {
    for (ROWCOL row = range.m_nTop;; ++row) {
      for (ROWCOL col = range.m_nLeft;; ++col) {
        CGXRange span;
        if (GetMergedCellsRowCol(row, col, span, direction)) {
          Widen(range, span);
          col = std::max(col, span.m_nRight);
        }
        if (col >= range.m_nRight) break;
      }
      if (row >= range.m_nBottom) break;
    }
  }
}

// ---- rules ----

BOOL CGXGridCore::CanMergeCell(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, int direction) {
  if (!style.GetIncludeMergeCell() || !(style.GetMergeCell() & (direction == 0 ? 1u : 2u))) return FALSE;
  CGXRange covered;
  if (GetCoveredCellsRowCol(nRow, nCol, covered)) return FALSE;
  return pControl ? pControl->CellHasText(nRow, nCol, style) : !style.GetValue().IsEmpty();
}

BOOL CGXGridCore::CanMergeCells(const CGXStyle& s1, const CGXStyle& s2) {
  if (!s1.GetIncludeMergeCell() || !s2.GetIncludeMergeCell()) return FALSE;
  if ((s1.GetMergeCell() & 4) && (s2.GetMergeCell() & 4)) return s1.GetValue() == s2.GetValue();
  return s1.IsSubSet(s2) && s2.IsSubSet(s1);
}

BOOL CGXGridCore::CanFloatCell(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                               BOOL bFloatOrFlood) {
  if (!m_pParam || m_pParam->m_wFloatCellsMode != 1) return FALSE;
  CGXRange span;
  if (GetCoveredCellsRowCol(nRow, nCol, span) || GetMergedCellsRowCol(nRow, nCol, span)) return FALSE;
  if (bFloatOrFlood) {
    if (!style.GetIncludeFloatCell() || !style.GetFloatCell()) return FALSE;
  } else if (nCol == GetFrozenCols() + 1 || !style.GetIncludeFloodCell() || !style.GetFloodCell()) {
    return FALSE;
  }
  return pControl && pControl->CanFloatCell(nRow, nCol, style, bFloatOrFlood);
}

// ---- evaluation ----

namespace {

// One pair of neighbours: joins or parts their merged spans as the rule says.
BOOL TestMergePair(CGXGridCore& grid, StyleCache& cache, int dir, ROWCOL r1, ROWCOL c1, ROWCOL r2, ROWCOL c2) {
  const CGXStyle& s1 = cache.Get(r1, c1);
  const CGXStyle& s2 = cache.Get(r2, c2);
  const BOOL join = grid.CanMergeCell(cache.Control(s1), r1, c1, s1, dir) &&
                    grid.CanMergeCell(cache.Control(s2), r2, c2, s2, dir) && grid.CanMergeCells(s1, s2);
  CGXRange a, b;
  const BOOL in1 = grid.GetMergedCellsRowCol(r1, c1, a, (UINT)dir);
  const BOOL in2 = grid.GetMergedCellsRowCol(r2, c2, b, (UINT)dir);
  const BOOL joined = in1 && in2 && a == b;
  if (join == joined) return FALSE;
  if (!in1) a = CGXRange().SetCellRange(r1, c1, r1, c1);
  if (!in2) b = CGXRange().SetCellRange(r2, c2, r2, c2);
  if (join) {
    const CGXRange span = dir == 0 ? CGXRange().SetCellRange(r1, a.m_nLeft, r1, b.m_nRight)
                                   : CGXRange().SetCellRange(a.m_nTop, c1, b.m_nBottom, c1);
    grid.SetMergedCellsRowCol(dir, span.m_nTop, span.m_nLeft, span.m_nBottom, span.m_nRight);
    grid.m_rangeLastMergeSpan = span;
    return TRUE;
  }
  // Parting: each cell keeps its own side of the old span.
  if (dir == 0) {
    grid.SetMergedCellsRowCol(0, r1, a.m_nLeft, r1, c1);
    grid.SetMergedCellsRowCol(0, r2, c2, r2, a.m_nRight);
  } else {
    grid.SetMergedCellsRowCol(1, a.m_nTop, c1, r1, c1);
    grid.SetMergedCellsRowCol(1, r2, c2, a.m_nBottom, c2);
  }
  grid.m_rangeLastMergeSpan = CGXRange();
  return TRUE;
}

BOOL EvalMergeCell(CGXGridCore& grid, StyleCache& cache, WORD mode, ROWCOL row, ROWCOL col, CGXRange* pUpdated) {
  BOOL changed = FALSE;
  const ROWCOL rows = grid.GetRowCount(), cols = grid.GetColCount();
  auto test = [&](int dir, ROWCOL r1, ROWCOL c1, ROWCOL r2, ROWCOL c2) {
    grid.m_rangeLastMergeSpan = CGXRange();
    const BOOL c = TestMergePair(grid, cache, dir, r1, c1, r2, c2);
    if (c) Note(pUpdated, CGXRange().SetCellRange(r1, c1, r2, c2));
    if (c && grid.m_rangeLastMergeSpan.IsValid()) Note(pUpdated, grid.m_rangeLastMergeSpan);
    changed |= c;
    return c && grid.m_rangeLastMergeSpan.IsValid();
  };
  if (!(mode & 8)) {
    if (col != 0 && col <= cols && test(0, row, col - 1, row, col))
      for (ROWCOL c = grid.m_rangeLastMergeSpan.m_nLeft; c > 1 && test(0, row, c - 1, row, c);)
        c = grid.m_rangeLastMergeSpan.m_nLeft;
    if (col < cols && test(0, row, col, row, col + 1))
      for (ROWCOL c = grid.m_rangeLastMergeSpan.m_nRight; c < cols && test(0, row, c, row, c + 1);)
        c = grid.m_rangeLastMergeSpan.m_nRight;
  }
  if (!(mode & 4)) {
    if (row != 0 && row <= rows && test(1, row - 1, col, row, col) && grid.m_rangeLastMergeSpan.m_nTop != 0)
      for (ROWCOL r = grid.m_rangeLastMergeSpan.m_nTop; r > 1 && test(1, r - 1, col, r, col);)
        r = grid.m_rangeLastMergeSpan.m_nTop;
    if (row < rows) test(1, row, col, row + 1, col);
  }
  return changed;
}

// The floated span of an anchor cell, stored when it differs.
BOOL EvalFloatAnchor(CGXGridCore& grid, StyleCache& cache, ROWCOL row, ROWCOL col, CGXRange* pUpdated) {
  CGXRange stored;
  ROWCOL storedRight = col;
  if (grid.GetFloatedCellsRowCol(row, col, stored) && stored.m_nLeft == col) storedRight = stored.m_nRight;
  const CGXStyle& style = cache.Get(row, col);
  CGXControl* control = cache.Control(style);
  ROWCOL last = col;
  // A hidden cell's text shows nowhere; hidden cells on the way are passed over, they show nothing.
  if (!grid.IsColHidden(col) && grid.CanFloatCell(control, row, col, style, TRUE)) {
    LONG need = control->CalcSize(grid.GetClientDC(), row, col, style, nullptr, FALSE).cx;
    const ROWCOL cols = grid.GetColCount();
    while (need > grid.GetColWidth(last) && last < cols) {
      if (!grid.IsColHidden(last + 1)) {
        const CGXStyle& next = cache.Get(row, last + 1);
        if (!grid.CanFloatCell(cache.Control(next), row, last + 1, next, FALSE)) break;
      }
      need -= grid.GetColWidth(last);
      ++last;
    }
  }
  if (last == storedRight) return FALSE;
  grid.SetFloatedCellsRowCol(row, col, row, last);
  Note(pUpdated, CGXRange().SetCellRange(row, col, row, std::max(last, storedRight)));
  return TRUE;
}

BOOL EvalFloatCell(CGXGridCore& grid, StyleCache& cache, ROWCOL row, ROWCOL col, CGXRange* pUpdated) {
  if (row <= grid.GetHeaderRows() || col <= grid.GetHeaderCols()) return FALSE;
  const CGXStyle& style = cache.Get(row, col);
  const BOOL flooded = grid.CanFloatCell(cache.Control(style), row, col, style, FALSE);
  ROWCOL anchor = col - 1;
  CGXRange left;
  if (grid.GetFloatedCellsRowCol(row, col - 1, left)) anchor = left.m_nLeft;
  const BOOL hasAnchor = anchor > grid.GetHeaderCols();
  // Storing one span rewrites the other's cells in the pool: each is measured from before either changed,
  // so that both extents, old and new, repaint.
  auto right = [&](ROWCOL c) {
    CGXRange span;
    return grid.GetFloatedCellsRowCol(row, c, span) && span.m_nLeft == c ? span.m_nRight : c;
  };
  const ROWCOL first = hasAnchor ? anchor : col;
  const ROWCOL anchorBefore = right(first), ownBefore = right(col);
  BOOL changed = FALSE;
  // A cell flooded from the left floats no more: its own span goes first, else the cells it held
  // beyond the anchor's new span would still name it.
  if (flooded && hasAnchor && ownBefore != col) changed |= grid.SetFloatedCellsRowCol(row, col, row, col);
  if (flooded && hasAnchor) changed |= EvalFloatAnchor(grid, cache, row, anchor, pUpdated);
  changed |= EvalFloatAnchor(grid, cache, row, col, pUpdated);
  if (!flooded && hasAnchor) changed |= EvalFloatAnchor(grid, cache, row, anchor, pUpdated);
  const ROWCOL anchorAfter = right(first), ownAfter = right(col);
  if (anchorAfter != anchorBefore || ownAfter != ownBefore) {
    changed = TRUE;
    const ROWCOL from = anchorAfter != anchorBefore ? first : col;
    Note(pUpdated, CGXRange().SetCellRange(row, from, row, std::max({anchorBefore, ownBefore, anchorAfter, ownAfter})));
  }
  return changed;
}

}  // namespace

BOOL CGXGridCore::EvalMergeCells(const CGXRange& rangeIn, BOOL bUpdate, CGXRange* pUpdatedRange, BOOL bLockHeld) {
  if (!m_pParam || m_bLockEvalMergeCells || !(m_pParam->m_wMergeCellsMode & 3)) return FALSE;
  const WORD mode = m_pParam->m_wMergeCellsMode;
  const CGXRange r = Clipped(rangeIn, 0, 0, GetRowCount(), GetColCount());
  if (!r.IsValid()) return FALSE;
  CGXRange updated;
  BOOL changed = FALSE;
  {
    UpdateLock lock(*m_pParam, bLockHeld);
    m_bLockEvalMergeCells = TRUE;
    StyleCache cache(*this);
    changed = WalkRange(*this, Pool<CGXDelayedRangePool>(m_pParam->m_pDelayedMergeCellsPool), mode & 3, r, cache,
                        [&](ROWCOL row, ROWCOL col) { return EvalMergeCell(*this, cache, mode, row, col, &updated); });
    m_bLockEvalMergeCells = FALSE;
  }
  if (changed && updated.IsValid()) {
    Note(pUpdatedRange, updated);
    // The pools are shared: the other views of the grid still show the old extent.
    if (bUpdate) RedrawRowCol(updated.m_nTop, updated.m_nLeft, updated.m_nBottom, updated.m_nRight, GX_UPDATENOW, TRUE);
  }
  return changed;
}

BOOL CGXGridCore::EvalFloatCells(const CGXRange& rangeIn, BOOL bUpdate, CGXRange* pUpdatedRange, BOOL bLockHeld) {
  if (!m_pParam || m_bLockEvalFloatCells || m_pParam->m_wFloatCellsMode != 1) return FALSE;
  const CGXRange r = Clipped(rangeIn, GetHeaderRows() + 1, GetHeaderCols() + 1, GetRowCount(), GetColCount());
  if (!r.IsValid()) return FALSE;
  CObject* delayed = m_bPrinting && m_pParam->m_pPrintDelayedFloatCellsPool ? m_pParam->m_pPrintDelayedFloatCellsPool
                                                                           : m_pParam->m_pDelayedFloatCellsPool;
  CGXRange updated;
  BOOL changed = FALSE;
  {
    UpdateLock lock(*m_pParam, bLockHeld);
    m_bLockEvalFloatCells = TRUE;
    StyleCache cache(*this);
    changed = WalkRange(*this, Pool<CGXDelayedRangePool>(delayed), 1, r, cache,
                        [&](ROWCOL row, ROWCOL col) { return EvalFloatCell(*this, cache, row, col, &updated); });
    m_bLockEvalFloatCells = FALSE;
  }
  if (changed && updated.IsValid()) {
    Note(pUpdatedRange, updated);
    // The pools are shared: the other views of the grid still show the old extent.
    if (bUpdate) RedrawRowCol(updated.m_nTop, updated.m_nLeft, updated.m_nBottom, updated.m_nRight, GX_UPDATENOW, TRUE);
  }
  return changed;
}

BOOL CGXGridCore::EvalVisibleFloatMergeCells(const CGXRange& range, ROWCOL nFrozenRows, ROWCOL nFrozenCols,
                                             ROWCOL nTopRow, ROWCOL nLeftCol, ROWCOL nLastRow, ROWCOL nLastCol,
                                             BOOL bUpdate, CGXRange* pUpdatedRange, BOOL bLockHeld) {
  if (!m_pParam || (!(m_pParam->m_wMergeCellsMode & 3) && m_pParam->m_wFloatCellsMode != 1)) return FALSE;
  const CGXRange parts[4] = {
      CGXRange().SetCellRange(0, 0, nFrozenRows, nFrozenCols),
      CGXRange().SetCellRange(0, nLeftCol, nFrozenRows, nLastCol),
      CGXRange().SetCellRange(nTopRow, 0, nLastRow, nFrozenCols),
      CGXRange().SetCellRange(nTopRow, nLeftCol, nLastRow, nLastCol),
  };
  CGXRange cut[4];
  BOOL have[4];
  const CGXRange whole = Clipped(range, 0, 0, GetRowCount(), GetColCount());
  if (!whole.IsValid()) return FALSE;
  for (int i = 0; i < 4; ++i)
    have[i] = parts[i].m_nTop <= parts[i].m_nBottom && parts[i].m_nLeft <= parts[i].m_nRight &&
              cut[i].IntersectRange(parts[i], whole);
  BOOL changed = FALSE;
  for (int i = 0; i < 4; ++i)
    if (have[i]) changed |= EvalMergeCells(cut[i], bUpdate, pUpdatedRange, bLockHeld);
  for (int i = 0; i < 4; ++i)
    if (have[i]) changed |= EvalFloatCells(cut[i], bUpdate, pUpdatedRange, bLockHeld);
  return changed;
}

BOOL CGXGridCore::EvalVisibleFloatMergeCells(const CGXRange& range, BOOL bUpdate, CGXRange* pUpdatedRange,
                                             BOOL bLockHeld) {
  if (!m_pParam || (!(m_pParam->m_wMergeCellsMode & 3) && m_pParam->m_wFloatCellsMode != 1)) return FALSE;
  CRect g;
  GetGridRect(&g);
  ROWCOL lastRow = 0, lastCol = 0;
  CalcLastVisibleRowCol(g, &lastRow, &lastCol);
  return EvalVisibleFloatMergeCells(range, GetFrozenRows(), GetFrozenCols(), GetTopRow(), GetLeftCol(), lastRow, lastCol,
                                    bUpdate, pUpdatedRange, bLockHeld);
}
