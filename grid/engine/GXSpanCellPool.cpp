#include "grid/engine/GXSpanCellPool.h"

#include <algorithm>
#include <new>
#include <type_traits>

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
  const CDWordArray* a = t.Find(major);
  return a && (INT_PTR)minor < a->GetSize() ? a->GetAt((INT_PTR)minor) : 0;
}

void Put(CGXDWordArrayPtrArray& t, DWORD major, DWORD minor, DWORD v) {
  if (!v) {
    CDWordArray* a = t.Find(major);
    if (a && (INT_PTR)minor < a->GetSize()) (*a)[(INT_PTR)minor] = 0;
    return;
  }
  t.Get(major)->SetAtGrow((INT_PTR)minor, v);
}

// The last index of the run of equal non-zero entries that holds `minor`.
DWORD RunEnd(const CGXDWordArrayPtrArray& t, DWORD major, DWORD minor) {
  const CDWordArray* a = t.Find(major);
  const DWORD v = Entry(t, major, minor);
  DWORD e = minor;
  while ((INT_PTR)e + 1 < a->GetSize() && a->GetAt((INT_PTR)e + 1) == v) ++e;
  return e;
}

// Writes start over minor..toMinor of `major` and clears what still carried the old start just after.
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
    if (CDWordArray* a = t.Find(j))
      for (DWORD m = minor1; (INT_PTR)m < a->GetSize() && m <= minor2; ++m) (*a)[(INT_PTR)m] = 0;
    if (j == major2) break;
  }
}

template <class ARRAY>
void InsertIn(ARRAY& a, DWORD at, DWORD count) {
  if ((INT_PTR)at < a.GetSize() && count) a.InsertAt((INT_PTR)at, std::decay_t<decltype(a.GetAt(0))>{}, (INT_PTR)count);
}

// Owned arrays of the removed band are freed first.
template <class ARRAY>
void RemoveFrom(ARRAY& a, DWORD from, DWORD to) {
  if ((INT_PTR)from >= a.GetSize()) return;
  const INT_PTR last = std::min<INT_PTR>((INT_PTR)to, a.GetSize() - 1);
  if constexpr (std::is_pointer_v<std::decay_t<decltype(a.GetAt(0))>>)
    for (INT_PTR i = (INT_PTR)from; i <= last; ++i) delete a[i];
  a.RemoveAt((INT_PTR)from, last - (INT_PTR)from + 1);
}

// Moves the band from..to so that it starts at dest of the sequence without it, as rows move.
template <class ARRAY>
void MoveIn(ARRAY& a, DWORD from, DWORD to, DWORD dest) {
  if ((INT_PTR)from >= a.GetSize() && (INT_PTR)dest >= a.GetSize()) return;
  const INT_PTR n = (INT_PTR)to - (INT_PTR)from + 1;
  const INT_PTR need = std::max<INT_PTR>((INT_PTR)to + 1, (INT_PTR)dest + n);
  if (a.GetSize() < need) a.SetSize(need);
  auto* d = a.GetData();
  if (dest < from) std::rotate(d + dest, d + from, d + to + 1);
  else std::rotate(d + from, d + to + 1, d + dest + n);
}

// Row ops on the tables: the one indexed by the moved dimension moves its arrays, the other its entries.
template <class OP>
void BothTables(CGXDWordArrayPtrArray& major, CGXDWordArrayPtrArray& minor, OP op) {
  op(major);
  for (INT_PTR i = 0; i < minor.GetSize(); ++i)
    if (CDWordArray* a = minor[i]) op(*a);
}

}  // namespace

void CGXDWordArrayPtrArray::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) delete GetAt(i);
  RemoveAll();
}

CDWordArray* CGXDWordArrayPtrArray::Get(DWORD i) {
  if (i >= kMaxEntries) AfxThrowMemoryException();
  if ((INT_PTR)i >= GetSize()) SetSize((INT_PTR)i + 1);
  CDWordArray*& a = ElementAt((INT_PTR)i);
  if (!a) a = new CDWordArray;
  return a;
}

void CGXDWordArrayPtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (WORD)1 << (DWORD)GetSize();
    for (INT_PTR i = 0; i < GetSize(); ++i) {
      if (!GetAt(i)) continue;
      ar << (DWORD)i;
      GetAt(i)->Serialize(ar);
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
  SetSize((INT_PTR)size);
  for (;;) {
    DWORD i = 0;
    ar >> i;
    if (i == 0xFFFFFFFF) break;
    if (i >= size) AfxThrowInvalidArgException();
    CDWordArray*& a = ElementAt((INT_PTR)i);
    if (!a) a = new CDWordArray;
    a->Serialize(ar);
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
  BothTables(m_RowTable, m_ColTable, [&](auto& a) { InsertIn(a, nRow, nCount); });
}

void CGXSpanCellPool::RemoveRows(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_RowTable, m_ColTable, [&](auto& a) { RemoveFrom(a, nFrom, nTo); });
}

void CGXSpanCellPool::MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_RowTable, m_ColTable, [&](auto& a) { MoveIn(a, nFrom, nTo, nDest); });
}

void CGXSpanCellPool::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCol >= kHuge || nCount >= kHuge) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& a) { InsertIn(a, nCol, nCount); });
}

void CGXSpanCellPool::RemoveCols(ROWCOL nFrom, ROWCOL nTo) {
  if (nFrom >= kHuge || (nTo >= kHuge && nTo != kToEnd) || nTo < nFrom) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& a) { RemoveFrom(a, nFrom, nTo); });
}

void CGXSpanCellPool::MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) {
  if (nFrom >= kHuge || nTo >= kHuge || nDest >= kHuge || nTo < nFrom || nDest == nFrom) return;
  BothTables(m_ColTable, m_RowTable, [&](auto& a) { MoveIn(a, nFrom, nTo, nDest); });
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
