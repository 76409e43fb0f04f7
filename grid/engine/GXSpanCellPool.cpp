#include "grid/engine/GXSpanCellPool.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CGXDWordArrayPtrArray, CObject, 1)
IMPLEMENT_DYNAMIC(CGXPtrArrayPtrArray, CObject)
IMPLEMENT_SERIAL(CGXSpanCellPool, CObject, 1)
IMPLEMENT_SERIAL(CGXCoveredCellPool, CObject, 1)

namespace {

const ROWCOL kHuge = 0x80000000u;
// No entry lies past this index: the archive keeps every entry of a line up to its last one, and a
// grid that large has no screen to show spans on.
const ROWCOL kMaxEntries = 1u << 28;
const ROWCOL kToEnd = 0xFFFFFFFEu;
const int64_t kGone = -1;

DWORD Entry(const CGXDWordArrayPtrArray& t, DWORD major, DWORD minor) {
  const CGXRunArray* a = t.Find(major);
  return a ? a->Get(minor) : 0;
}

// Writes start over minor..toMinor of `major`.
void WriteRun(CGXDWordArrayPtrArray& t, DWORD major, DWORD minor, DWORD toMinor, DWORD start) {
  // The runs that held the first and the last cell end here now.
  const DWORD oldFirst = Entry(t, major, minor), oldLast = Entry(t, major, toMinor);
  CGXRunArray* a = t.Get(major);
  a->Fill(minor, toMinor, start);
  for (DWORD m = toMinor + 1;;) {
    const DWORD e = a->Get(m);
    if (!e || (e != oldFirst && e != oldLast)) break;
    const DWORD end = a->RunEnd(m);
    a->Fill(m, end, 0);
    m = end + 1;
  }
}

void ClearRect(CGXDWordArrayPtrArray& t, DWORD major1, DWORD major2, DWORD minor1, DWORD minor2) {
  const auto& lines = t.GetLines();
  for (auto it = lines.lower_bound(major1); it != lines.end() && it->first <= major2; ++it)
    it->second->Fill(minor1, minor2, 0);
}

// Where an index goes as rows or columns are inserted, removed or moved; kGone when it is removed.
// Each maps the stretches between the edit's cuts as a whole.
int64_t InsertedIndex(DWORD v, DWORD at, DWORD count) { return v >= at ? (int64_t)v + count : v; }
int64_t RemovedIndex(DWORD v, DWORD from, DWORD to) {
  if (v < from) return v;
  if (to == kToEnd || v <= to) return kGone;
  return (int64_t)v - (to - from + 1);
}
int64_t MovedIndex(DWORD v, DWORD from, DWORD to, DWORD dest) {
  const int64_t n = (int64_t)to - from + 1;
  if (v >= from && v <= to) return (int64_t)v - from + dest;
  if (dest > from && v > to && v < dest + n) return v - n;
  if (dest < from && v >= dest && v < from) return v + n;
  return v;
}

// An edit of the moved dimension: the table indexed by it moves its lines, the other table the
// entries of each line, whose values (first indexes of that dimension) follow too: a span's first
// index that was removed becomes the first index after the removed band. Lines and entries pushed
// past the last index go. Everything is planned first, so a failed allocation changes nothing.
template <class TO>
void BothTables(CGXDWordArrayPtrArray& major, CGXDWordArrayPtrArray& minor, std::initializer_list<DWORD> cuts,
                TO to, int64_t removedTo) {
  try {
    CGXDWordArrayPtrArray::Lines lines;
    std::vector<CGXRunArray*> gone;
    for (const auto& [i, a] : major.GetLines()) {
      const int64_t k = to(i);
      if (k < 0 || k >= kMaxEntries) gone.push_back(a);
      else lines.emplace_hint(lines.end(), k, a);
    }
    auto value = [&](DWORD v) {
      const int64_t k = to(v);
      return (DWORD)(k < 0 ? removedTo : std::min<int64_t>(k, kMaxEntries - 1));
    };
    std::vector<std::pair<CGXRunArray*, CGXRunArray::Runs>> runs;
    runs.reserve(minor.GetLines().size());
    for (const auto& [i, a] : minor.GetLines()) runs.emplace_back(a, a->Renumbered(cuts, to, value));
    major.Adopt(lines);
    for (CGXRunArray* a : gone) delete a;
    for (auto& [a, r] : runs) a->Adopt(r);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

// ---- run lines ----

DWORD CGXRunArray::Get(DWORD i) const {
  auto it = m_runs.upper_bound(i);
  if (it == m_runs.begin()) return 0;
  --it;
  return i <= it->second.last ? it->second.value : 0;
}

DWORD CGXRunArray::RunEnd(DWORD i) const {
  auto it = m_runs.upper_bound(i);
  if (it == m_runs.begin()) return i;
  --it;
  return i <= it->second.last ? it->second.last : i;
}

namespace {

// Sets first..last of a map of runs (by first index; each with its last index and a value) to v;
// a null v clears. Equal neighbours join.
template <class RUN, class V>
void FillRuns(std::map<DWORD, RUN>& runs, DWORD first, DWORD last, V v) {
  if (last < first) return;
  // Cut the runs that reach into first..last, keeping what lies outside.
  auto it = runs.upper_bound(first);
  if (it != runs.begin()) {
    auto prev = std::prev(it);
    if (prev->second.last >= first) {
      const RUN old = prev->second;
      if (old.last > last) runs.emplace_hint(it, last + 1, old);
      if (prev->first < first) prev->second.last = first - 1;
      else runs.erase(prev);
    }
  }
  for (it = runs.lower_bound(first); it != runs.end() && it->first <= last;) {
    const RUN old = it->second;
    it = runs.erase(it);
    if (old.last > last) {
      runs.emplace_hint(it, last + 1, old);
      break;
    }
  }
  if (!v) return;
  // Equal neighbours join the new run.
  DWORD end = last;
  it = last < 0xFFFFFFFFu ? runs.find(last + 1) : runs.end();
  if (it != runs.end() && it->second.value == v) {
    end = it->second.last;
    it = runs.erase(it);
  } else {
    it = runs.lower_bound(first);
  }
  if (it != runs.begin()) {
    auto prev = std::prev(it);
    if (prev->second.last + 1 == first && prev->second.value == v) {
      prev->second.last = end;
      return;
    }
  }
  runs.emplace_hint(it, first, RUN{end, v});
}

}  // namespace

void CGXRunArray::Fill(DWORD first, DWORD last, DWORD v) { FillRuns(m_runs, first, last, v); }

template <class TO, class VALUE>
CGXRunArray::Runs CGXRunArray::Renumbered(std::initializer_list<DWORD> cuts, TO to, VALUE value) const {
  Runs out;
  for (const auto& [first, run] : m_runs) {
    for (DWORD a = first;;) {
      DWORD b = run.last;
      for (DWORD c : cuts)
        if (c > a && c <= b) b = c - 1;
      const int64_t k = to(a);
      const DWORD v = value(run.value);
      if (k >= 0 && k < kMaxEntries && v)
        out.emplace(k, Run{(DWORD)std::min<int64_t>(k + (b - a), kMaxEntries - 1), v});
      if (b == run.last) break;
      a = b + 1;
    }
  }
  for (auto it = out.begin(); it != out.end();) {
    auto next = std::next(it);
    if (next != out.end() && it->second.last + 1 == next->first && next->second.value == it->second.value) {
      it->second.last = next->second.last;
      out.erase(next);
    } else {
      it = next;
    }
  }
  return out;
}

void CGXRunArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(GetSize());
    DWORD i = 0;
    for (const auto& [first, run] : m_runs) {
      for (; i < first; ++i) ar << (DWORD)0;
      for (; i <= run.last; ++i) ar << run.value;
    }
    return;
  }
  m_runs.clear();
  const DWORD_PTR count = ar.ReadCount();
  if (count > kMaxEntries) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  for (DWORD i = 0; i < (DWORD)count; ++i) {
    DWORD v = 0;
    ar >> v;
    if (!v) continue;
    if (!m_runs.empty() && m_runs.rbegin()->second.last + 1 == i && m_runs.rbegin()->second.value == v)
      m_runs.rbegin()->second.last = i;
    else
      m_runs.emplace_hint(m_runs.end(), i, Run{i, v});
  }
}

// ---- line tables ----

void CGXDWordArrayPtrArray::DeleteAll() {
  for (auto& [i, a] : m_lines) delete a;
  m_lines.clear();
}

CGXRunArray* CGXDWordArrayPtrArray::Get(DWORD i) {
  if (CGXRunArray* a = Find(i)) return a;
  // The line first: a map entry without one would be a null line.
  std::unique_ptr<CGXRunArray> a(new CGXRunArray);
  m_lines.emplace(i, a.get());
  return a.release();
}

void CGXDWordArrayPtrArray::Adopt(Lines& lines) noexcept { m_lines.swap(lines); }

void CGXDWordArrayPtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (WORD)1 << GetSize();
    for (const auto& [i, a] : m_lines) {
      ar << i;
      a->Serialize(ar);
    }
    ar << (DWORD)0xFFFFFFFF;
    return;
  }
  WORD version = 0;
  DWORD size = 0;
  ar >> version;
  if (version != 1) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  ar >> size;
  if (size > kMaxEntries) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  DeleteAll();
  for (;;) {
    DWORD i = 0;
    ar >> i;
    if (i == 0xFFFFFFFF) break;
    if (i >= size) AfxThrowInvalidArgException();
    Get(i)->Serialize(ar);
  }
}

void CGXPtrArrayPtrArray::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) delete GetAt(i);
  RemoveAll();
}

// ---- span pool ----

BOOL CGXSpanCellPool::Lookup(ROWCOL nRow, ROWCOL nCol, CGXRange& range) const {
  if (nRow >= kHuge || nCol >= kHuge) return FALSE;
  BOOL found = FALSE;
  if (DWORD first = Entry(m_RowTable, nRow, nCol)) {
    range.m_nLeft = first;
    range.m_nRight = m_RowTable.Find(nRow)->RunEnd(nCol);
    found = TRUE;
  }
  if (DWORD first = Entry(m_ColTable, nCol, nRow)) {
    range.m_nTop = first;
    range.m_nBottom = m_ColTable.Find(nCol)->RunEnd(nRow);
    found = TRUE;
  }
  return found;
}

BOOL CGXSpanCellPool::SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, BOOL bSet) {
  if (nToRow >= kMaxEntries || nToCol >= kMaxEntries || nToRow < nRow || nToCol < nCol) return FALSE;
  const bool write = bSet && (nRow != nToRow || nCol != nToCol);
  try {
    // Setting starts from a clean slate where the first cell's old span lay; spans the new one covers
    // in part end too: each crosses its border, and what lies outside holds no span.
    std::vector<CGXRange> cleared;
    CGXRange first = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
    Lookup(nRow, nCol, first);
    cleared.push_back(CGXRange().SetCellRange(std::min(nRow, first.m_nTop), std::min(nCol, first.m_nLeft),
                                              std::max(nToRow, first.m_nBottom), std::max(nToCol, first.m_nRight)));
    auto note = [&](ROWCOL row, ROWCOL col) {
      CGXRange span = CGXRange().SetCellRange(row, col, row, col);
      if (Lookup(row, col, span)) cleared.push_back(span);
    };
    for (ROWCOL row = nRow; write; ++row) {
      note(row, nCol), note(row, nToCol);
      if (row == nToRow) break;
    }
    for (ROWCOL col = nCol; write; ++col) {
      note(nRow, col), note(nToRow, col);
      if (col == nToCol) break;
    }
    CGXRange touched = cleared.front();
    for (const CGXRange& r : cleared)
      touched.SetCellRange(std::min(touched.m_nTop, r.m_nTop), std::min(touched.m_nLeft, r.m_nLeft),
                           std::max(touched.m_nBottom, r.m_nBottom), std::max(touched.m_nRight, r.m_nRight));
    // The work is done on copies of the lines it touches and swapped in at the end, so that a failed
    // allocation leaves the pool as it was (lines made for the span stay, empty).
    for (ROWCOL row = nRow; write; ++row) {
      m_RowTable.Get(row);
      if (row == nToRow) break;
    }
    for (ROWCOL col = nCol; write; ++col) {
      m_ColTable.Get(col);
      if (col == nToCol) break;
    }
    CGXDWordArrayPtrArray rows, cols;
    auto copy = [](const CGXDWordArrayPtrArray& from, CGXDWordArrayPtrArray& to, DWORD lo, DWORD hi) {
      const auto& lines = from.GetLines();
      for (auto it = lines.lower_bound(lo); it != lines.end() && it->first <= hi; ++it) *to.Get(it->first) = *it->second;
    };
    copy(m_RowTable, rows, touched.m_nTop, touched.m_nBottom);
    copy(m_ColTable, cols, touched.m_nLeft, touched.m_nRight);
    for (const CGXRange& r : cleared) {
      ClearRect(rows, r.m_nTop, r.m_nBottom, r.m_nLeft, r.m_nRight);
      ClearRect(cols, r.m_nLeft, r.m_nRight, r.m_nTop, r.m_nBottom);
    }
    for (ROWCOL row = nRow; write; ++row) {
      WriteRun(rows, row, nCol, nToCol, nCol);
      if (row == nToRow) break;
    }
    for (ROWCOL col = nCol; write; ++col) {
      WriteRun(cols, col, nRow, nToRow, nRow);
      if (col == nToCol) break;
    }
    for (const auto& [i, a] : rows.GetLines()) m_RowTable.Find(i)->Swap(*a);
    for (const auto& [i, a] : cols.GetLines()) m_ColTable.Find(i)->Swap(*a);
    return TRUE;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return FALSE;
}

void CGXSpanCellPool::InsertRows(ROWCOL nRow, ROWCOL nCount) {
  if (nRow >= kHuge || nCount >= kHuge || !nCount) return;
  BothTables(m_RowTable, m_ColTable, {nRow}, [&](DWORD v) { return InsertedIndex(v, nRow, nCount); }, 0);
}

void CGXSpanCellPool::RemoveRows(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_RowTable, m_ColTable, {nFrom, nTo + 1}, [&](DWORD v) { return RemovedIndex(v, nFrom, nTo); }, nFrom);
}

void CGXSpanCellPool::MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_RowTable, m_ColTable, {nFrom, nTo + 1, nDest, nDest + (nTo - nFrom + 1)},
             [&](DWORD v) { return MovedIndex(v, nFrom, nTo, nDest); }, 0);
}

void CGXSpanCellPool::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCol >= kHuge || nCount >= kHuge || !nCount) return;
  BothTables(m_ColTable, m_RowTable, {nCol}, [&](DWORD v) { return InsertedIndex(v, nCol, nCount); }, 0);
}

void CGXSpanCellPool::RemoveCols(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_ColTable, m_RowTable, {nFrom, nTo + 1}, [&](DWORD v) { return RemovedIndex(v, nFrom, nTo); }, nFrom);
}

void CGXSpanCellPool::MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_ColTable, m_RowTable, {nFrom, nTo + 1, nDest, nDest + (nTo - nFrom + 1)},
             [&](DWORD v) { return MovedIndex(v, nFrom, nTo, nDest); }, 0);
}

void CGXSpanCellPool::Serialize(CArchive& ar) {
  m_ColTable.Serialize(ar);
  m_RowTable.Serialize(ar);
}

// ---- covered-cell pool ----

POSITION CGXCoveredCellPool::Lookup(ROWCOL nRow, ROWCOL nCol) const {
  auto band = m_bands.upper_bound(nRow);
  if (band == m_bands.begin() || nRow > (--band)->second.last) return nullptr;
  const auto& cols = band->second.cols;
  auto run = cols.upper_bound(nCol);
  if (run == cols.begin() || nCol > (--run)->second.last) return nullptr;
  return run->second.value;
}

void CGXCoveredCellPool::CutAt(DWORD row) {
  auto band = m_bands.lower_bound(row);
  if (band == m_bands.begin() || (band != m_bands.end() && band->first == row)) return;
  --band;
  if (band->second.last < row) return;
  m_bands.emplace(row, band->second);
  band->second.last = row - 1;
}

BOOL CGXCoveredCellPool::SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, POSITION pos) {
  if (nToRow < nRow || nToCol < nCol) return FALSE;
  try {
    CutAt(nRow);
    if (nToRow < 0xFFFFFFFFu) CutAt(nToRow + 1);
    if (pos) {
      // Rows of the block without a band yet get an empty one.
      uint64_t next = nRow;
      for (auto it = m_bands.lower_bound(nRow); it != m_bands.end() && it->first <= nToRow; ++it) {
        if (it->first > next) m_bands.emplace_hint(it, (DWORD)next, Band{it->first - 1, {}});
        next = (uint64_t)it->second.last + 1;
      }
      if (next <= nToRow) m_bands.emplace((DWORD)next, Band{nToRow, {}});
    }
    for (auto it = m_bands.lower_bound(nRow); it != m_bands.end() && it->first <= nToRow;) {
      FillRuns(it->second.cols, nCol, nToCol, pos);
      it = it->second.cols.empty() ? m_bands.erase(it) : std::next(it);
    }
    return TRUE;
  } catch (const std::bad_alloc&) {
  }
  return FALSE;
}

void CGXCoveredCellPool::RebuildFromList(const CGXRangeList& list) {
  m_bands.clear();
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    const CGXRange* r = list.GetNext(pos);
    if (r && r->IsValid()) SetSpan(r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight, at);
  }
}
