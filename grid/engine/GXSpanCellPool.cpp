#include "grid/engine/GXSpanCellPool.h"

#include <algorithm>
#include <new>

IMPLEMENT_SERIAL(CGXDWordArrayPtrArray, CObject, 1)
IMPLEMENT_DYNAMIC(CGXPtrArrayPtrArray, CObject)
IMPLEMENT_SERIAL(CGXSpanCellPool, CObject, 1)
IMPLEMENT_SERIAL(CGXCoveredCellPool, CObject, 1)

namespace {

const ROWCOL kHuge = 0x80000000u;
// Tables never grow past this many entries: a grid that large has no screen to show spans on.
const ROWCOL kMaxEntries = 1u << 28;
const ROWCOL kToEnd = 0xFFFFFFFEu;

DWORD Entry(const CGXDWordArrayPtrArray& t, DWORD major, DWORD minor) {
  const CGXRunArray* a = t.Find(major);
  return a ? a->Get(minor) : 0;
}

void Put(CGXDWordArrayPtrArray& t, DWORD major, DWORD minor, DWORD v) {
  if (!v) {
    if (CGXRunArray* a = t.Find(major)) a->Set(minor, 0);
    return;
  }
  t.Get(major)->Set(minor, v);
}

// The last index of the run of equal non-zero entries that holds `minor`.
DWORD RunEnd(const CGXDWordArrayPtrArray& t, DWORD major, DWORD minor) {
  const CGXRunArray* a = t.Find(major);
  const DWORD v = Entry(t, major, minor);
  DWORD e = minor;
  while (e + 1 < a->GetSize() && a->Get(e + 1) == v) ++e;
  return e;
}

// Writes start over minor..toMinor of `major`.
void WriteRun(CGXDWordArrayPtrArray& t, DWORD major, DWORD minor, DWORD toMinor, DWORD start) {
  // The runs that held the first and the last cell end here now.
  const DWORD oldFirst = Entry(t, major, minor), oldLast = Entry(t, major, toMinor);
  for (DWORD m = minor;; ++m) {
    Put(t, major, m, start);
    if (m == toMinor) break;
  }
  for (DWORD m = toMinor + 1;; ++m) {
    const DWORD e = Entry(t, major, m);
    if (!e || (e != oldFirst && e != oldLast)) break;
    Put(t, major, m, 0);
  }
}

void ClearRect(CGXDWordArrayPtrArray& t, DWORD major1, DWORD major2, DWORD minor1, DWORD minor2) {
  for (DWORD j = major1;; ++j) {
    if (CGXRunArray* a = t.Find(j))
      for (DWORD m = minor1; m < a->GetSize() && m <= minor2; ++m) a->Set(m, 0);
    if (j == major2) break;
  }
}

// The three structural edits on a whole sequence, as rows and columns move.
template <class T>
void InsertIn(std::vector<T>& v, DWORD at, DWORD count) {
  if (at < v.size() && count) v.insert(v.begin() + at, count, T{});
}

template <class T>
void RemoveFrom(std::vector<T>& v, DWORD from, DWORD to) {
  if (from >= v.size()) return;
  const size_t last = std::min<size_t>(to, v.size() - 1);
  v.erase(v.begin() + from, v.begin() + last + 1);
}

// Moves the band from..to so that it starts at dest of the sequence without it.
template <class T>
void MoveIn(std::vector<T>& v, DWORD from, DWORD to, DWORD dest) {
  if (from >= v.size() && dest >= v.size()) return;
  const size_t n = (size_t)to - from + 1;
  v.resize(std::max({v.size(), (size_t)to + 1, (size_t)dest + n}));
  if (dest < from) std::rotate(v.begin() + dest, v.begin() + from, v.begin() + to + 1);
  else std::rotate(v.begin() + from, v.begin() + to + 1, v.begin() + dest + n);
}

// Where an index of the edited dimension goes: a span's first index that was removed becomes the first
// index after the removed band.
DWORD InsertedIndex(DWORD v, DWORD at, DWORD count) { return v >= at ? v + count : v; }
DWORD RemovedIndex(DWORD v, DWORD from, DWORD to) {
  if (v < from) return v;
  if (to == kToEnd || v <= to) return from;
  return v - (to - from + 1);
}
DWORD MovedIndex(DWORD v, DWORD from, DWORD to, DWORD dest) {
  const DWORD n = to - from + 1;
  if (v >= from && v <= to) return v - from + dest;
  if (dest > from && v > to && v < dest + n) return v - n;
  if (dest < from && v >= dest && v < from) return v + n;
  return v;
}

// An edit of the moved dimension: the table indexed by it moves its lines, the other table the
// entries of each line, whose values (first indexes of that dimension) follow through `remap`.
// Lines removed are freed.
template <class OP, class REMAP>
void BothTables(CGXDWordArrayPtrArray& major, CGXDWordArrayPtrArray& minor, OP op, REMAP remap) {
  std::vector<CGXRunArray*> lines = major.Expand();
  std::vector<CGXRunArray*> before = lines;
  op(lines);
  std::sort(before.begin(), before.end());
  std::vector<CGXRunArray*> after = lines;
  std::sort(after.begin(), after.end());
  for (CGXRunArray* p : before)
    if (p && !std::binary_search(after.begin(), after.end(), p)) delete p;
  major.Compact(std::move(lines));
  for (DWORD i = 0; i < minor.GetSize(); ++i) {
    if (CGXRunArray* a = minor.Find(i)) {
      std::vector<DWORD> full = a->Expand();
      op(full);
      for (DWORD& v : full)
        if (v) v = remap(v);
      a->Compact(std::move(full));
    }
  }
}

}  // namespace

void CGXRunArray::Set(DWORD i, DWORD v) {
  if (i >= kMaxEntries) AfxThrowMemoryException();
  if (m_v.empty()) {
    if (!v) return;
    m_nBase = i;
  }
  if (i < m_nBase) {
    if (!v) return;
    m_v.insert(m_v.begin(), m_nBase - i, 0);
    m_nBase = i;
  }
  if (i - m_nBase >= m_v.size()) {
    if (!v) return;
    m_v.resize(i - m_nBase + 1, 0);
  }
  m_v[i - m_nBase] = v;
}

std::vector<DWORD> CGXRunArray::Expand() const {
  std::vector<DWORD> full(GetSize(), 0);
  std::copy(m_v.begin(), m_v.end(), full.begin() + (m_v.empty() ? 0 : m_nBase));
  return full;
}

void CGXRunArray::Compact(std::vector<DWORD>&& full) {
  size_t first = 0;
  while (first < full.size() && !full[first]) ++first;
  m_nBase = (DWORD)first;
  m_v.assign(full.begin() + (std::ptrdiff_t)first, full.end());
  while (!m_v.empty() && !m_v.back()) m_v.pop_back();
  if (m_v.empty()) m_nBase = 0;
}

void CGXRunArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(GetSize());
    for (DWORD i = 0; i < GetSize(); ++i) ar << Get(i);
    return;
  }
  m_v.clear();
  m_nBase = 0;
  const DWORD_PTR count = ar.ReadCount();
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD v = 0;
    ar >> v;
    if (v) Set((DWORD)i, v);
  }
}

void CGXDWordArrayPtrArray::DeleteAll() {
  for (CGXRunArray* p : m_lines) delete p;
  m_lines.clear();
  m_nBase = 0;
}

CGXRunArray* CGXDWordArrayPtrArray::Get(DWORD i) {
  if (i >= kMaxEntries) AfxThrowMemoryException();
  if (m_lines.empty()) m_nBase = i;
  if (i < m_nBase) {
    m_lines.insert(m_lines.begin(), m_nBase - i, nullptr);
    m_nBase = i;
  }
  if (i - m_nBase >= m_lines.size()) m_lines.resize(i - m_nBase + 1, nullptr);
  CGXRunArray*& a = m_lines[i - m_nBase];
  if (!a) a = new CGXRunArray;
  return a;
}

std::vector<CGXRunArray*> CGXDWordArrayPtrArray::Expand() const {
  std::vector<CGXRunArray*> full(GetSize(), nullptr);
  std::copy(m_lines.begin(), m_lines.end(), full.begin() + (m_lines.empty() ? 0 : m_nBase));
  return full;
}

void CGXDWordArrayPtrArray::Compact(std::vector<CGXRunArray*>&& full) {
  size_t first = 0;
  while (first < full.size() && !full[first]) ++first;
  m_nBase = (DWORD)first;
  m_lines.assign(full.begin() + (std::ptrdiff_t)first, full.end());
  while (!m_lines.empty() && !m_lines.back()) m_lines.pop_back();
  if (m_lines.empty()) m_nBase = 0;
}

void CGXDWordArrayPtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (WORD)1 << GetSize();
    for (DWORD i = 0; i < GetSize(); ++i) {
      if (!Find(i)) continue;
      ar << i;
      Find(i)->Serialize(ar);
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
    range.m_nRight = RunEnd(m_RowTable, nRow, nCol);
    found = TRUE;
  }
  if (DWORD first = Entry(m_ColTable, nCol, nRow)) {
    range.m_nTop = first;
    range.m_nBottom = RunEnd(m_ColTable, nCol, nRow);
    found = TRUE;
  }
  return found;
}

BOOL CGXSpanCellPool::SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, BOOL bSet) {
  if (nRow >= kHuge || nCol >= kHuge || nToRow >= kHuge || nToCol >= kHuge || nToRow < nRow || nToCol < nCol)
    return FALSE;
  try {
    {
      // Setting starts from a clean slate where the first cell's old span lay.
      CGXRange span = CGXRange().SetCellRange(nRow, nCol, nRow, nCol);
      Lookup(nRow, nCol, span);
      const ROWCOL t = std::min(nRow, span.m_nTop), l = std::min(nCol, span.m_nLeft);
      const ROWCOL b = std::max(nToRow, span.m_nBottom), r = std::max(nToCol, span.m_nRight);
      ClearRect(m_RowTable, t, b, l, r);
      ClearRect(m_ColTable, l, r, t, b);
      if (!bSet) return TRUE;
    }
    if (nRow == nToRow && nCol == nToCol) return TRUE;
    for (ROWCOL row = nRow;; ++row) {
      WriteRun(m_RowTable, row, nCol, nToCol, nCol);
      if (row == nToRow) break;
    }
    for (ROWCOL col = nCol;; ++col) {
      WriteRun(m_ColTable, col, nRow, nToRow, nRow);
      if (col == nToCol) break;
    }
    return TRUE;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return FALSE;
}

void CGXSpanCellPool::InsertRows(ROWCOL nRow, ROWCOL nCount) {
  if (nRow >= kHuge || nCount >= kHuge) return;
  BothTables(m_RowTable, m_ColTable, [&](auto& v) { InsertIn(v, nRow, nCount); },
             [&](DWORD v) { return InsertedIndex(v, nRow, nCount); });
}

void CGXSpanCellPool::RemoveRows(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_RowTable, m_ColTable, [&](auto& v) { RemoveFrom(v, nFrom, nTo); },
             [&](DWORD v) { return RemovedIndex(v, nFrom, nTo); });
}

void CGXSpanCellPool::MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_RowTable, m_ColTable, [&](auto& v) { MoveIn(v, nFrom, nTo, nDest); },
             [&](DWORD v) { return MovedIndex(v, nFrom, nTo, nDest); });
}

void CGXSpanCellPool::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCol >= kHuge || nCount >= kHuge) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& v) { InsertIn(v, nCol, nCount); },
             [&](DWORD v) { return InsertedIndex(v, nCol, nCount); });
}

void CGXSpanCellPool::RemoveCols(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& v) { RemoveFrom(v, nFrom, nTo); },
             [&](DWORD v) { return RemovedIndex(v, nFrom, nTo); });
}

void CGXSpanCellPool::MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& v) { MoveIn(v, nFrom, nTo, nDest); },
             [&](DWORD v) { return MovedIndex(v, nFrom, nTo, nDest); });
}

void CGXSpanCellPool::Serialize(CArchive& ar) {
  m_ColTable.Serialize(ar);
  m_RowTable.Serialize(ar);
}

// ---- covered-cell pool ----

POSITION CGXCoveredCellPool::Lookup(ROWCOL nRow, ROWCOL nCol) const {
  if ((INT_PTR)nRow >= m_Rows.GetSize()) return nullptr;
  const CPtrArray* a = m_Rows.GetAt((INT_PTR)nRow);
  return a && (INT_PTR)nCol < a->GetSize() ? (POSITION)a->GetAt((INT_PTR)nCol) : nullptr;
}

BOOL CGXCoveredCellPool::SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, POSITION pos) {
  if (nToRow < nRow || nToCol < nCol || nToRow >= kMaxEntries || nToCol >= kMaxEntries) return FALSE;
  try {
    for (ROWCOL row = nRow; row <= nToRow; ++row) {
      if (!pos && (INT_PTR)row >= m_Rows.GetSize()) break;
      if ((INT_PTR)row >= m_Rows.GetSize()) m_Rows.SetSize((INT_PTR)row + 1);
      CPtrArray*& a = m_Rows.ElementAt((INT_PTR)row);
      if (!a) {
        if (!pos) continue;
        a = new CPtrArray;
      }
      for (ROWCOL col = nCol; col <= nToCol; ++col) {
        if (!pos && (INT_PTR)col >= a->GetSize()) break;
        a->SetAtGrow((INT_PTR)col, (void*)pos);
      }
    }
    return TRUE;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return FALSE;
}

void CGXCoveredCellPool::RebuildFromList(const CGXRangeList& list) {
  m_Rows.DeleteAll();
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    const CGXRange* r = list.GetNext(pos);
    if (r && r->IsValid()) SetSpan(r->m_nTop, r->m_nLeft, r->m_nBottom, r->m_nRight, at);
  }
}
