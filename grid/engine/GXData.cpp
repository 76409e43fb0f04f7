// The cell value store.
#include "grid/engine/GXData.h"

#include "platform/core/Archive.h"

#include <vector>

IMPLEMENT_SERIAL(CGXData, CObject, 1)

namespace {

const WORD kSchema = 1;
const DWORD kEndMark = 0xFFFFFFFF;
// More entries than any grid holds: a larger stored size is a corrupted archive.
const DWORD kMaxStoredSize = 1u << 28;

void ReadSchema(CArchive& ar) {
  WORD schema = 0;
  ar >> schema;
  if (schema != kSchema) AfxThrowArchiveException(CArchiveException::badSchema);
}

DWORD ReadSize(CArchive& ar) {
  DWORD size = 0;
  ar >> size;
  if (size > kMaxStoredSize) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  return size;
}

// Indexes come in increasing order; a repeated one would free an object the archive may still
// refer back to.
DWORD ReadIndex(CArchive& ar, const CPtrArray& a, int64_t& last) {
  DWORD index = 0;
  ar >> index;
  if (index == kEndMark) return index;
  if ((INT_PTR)index >= a.GetSize()) AfxThrowInvalidArgException();
  if ((int64_t)index <= last) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  last = index;
  return index;
}

// Schema, size, then index and entry until the end mark; the array is emptied and sized first.
template <class ARRAY, class READ>
void LoadEntries(CArchive& ar, ARRAY& a, READ read) {
  ReadSchema(ar);
  const DWORD size = ReadSize(ar);
  a.DeleteAll();
  a.SetSize(size);
  for (int64_t last = -1;;) {
    const DWORD index = ReadIndex(ar, a, last);
    if (index == kEndMark) break;
    read(ar, index);
  }
}

// Moves `count` entries from `from` so that the block starts at `dest`; pointers move, nothing is
// copied or deleted.
void MoveBlock(CPtrArray& a, INT_PTR from, INT_PTR count, INT_PTR dest) {
  if (dest == from || count == 0) return;
  if (from >= a.GetSize() && dest >= a.GetSize()) return;
  INT_PTR insertAt = dest, src = from;
  if (dest < from) src = from + count;
  else insertAt = dest + count;
  a.InsertAt(insertAt, nullptr, count);
  for (INT_PTR i = 0; i < count && src + i < a.GetSize(); ++i)
    if (a[src + i]) a[insertAt + i] = a[src + i];
  if (src < a.GetSize()) a.RemoveAt(src, std::min(count, a.GetSize() - src));
}

void Reorder(CPtrArray& a, INT_PTR top, const CDWordArray& order) {
  const INT_PTR n = order.GetSize();
  std::vector<void*> temp((size_t)n, nullptr);
  for (INT_PTR i = 0; i < n; ++i) {
    const INT_PTR old = top + (INT_PTR)order[i];
    if (old < a.GetSize()) temp[(size_t)i] = a[old];
  }
  const bool grown = a.GetSize() < top + n + 1;
  if (grown) a.SetSize(top + n + 1);
  for (INT_PTR i = 0; i < n; ++i) a[top + i] = temp[(size_t)i];
  if (grown) {
    INT_PTR size = a.GetSize();
    while (size > 0 && !a[size - 1]) --size;
    a.SetSize(size);
  }
}

void RemoveEntries(CPtrArray& a, INT_PTR from, INT_PTR to, void (*free)(void*)) {
  if (from >= a.GetSize() || to < from) return;
  const INT_PTR last = std::min(to, a.GetSize() - 1);
  for (INT_PTR i = from; i <= last; ++i) free(a[i]);
  a.RemoveAt(from, last - from + 1);
}

void FreeStyle(void* p) { delete static_cast<CGXStyle*>(p); }
void FreeRow(void* p) { delete static_cast<CGXStylePtrArray*>(p); }

}  // namespace

// ---- CGXStylePtrArray -------------------------------------------------------------------------------

CGXStylePtrArray::~CGXStylePtrArray() { DeleteAll(); }

void CGXStylePtrArray::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) delete static_cast<CGXStyle*>(GetAt(i));
  RemoveAll();
}

void CGXStylePtrArray::CopyFrom(const CGXStylePtrArray& src) {
  if (&src == this) return;
  DeleteAll();
  SetSize(src.GetSize());
  for (INT_PTR i = 0; i < src.GetSize(); ++i)
    if (CGXStyle* s = src.GetStyle(i)) SetAt(i, s->Clone());
}

void CGXStylePtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kSchema << (DWORD)GetSize();
    for (INT_PTR i = 0; i < GetSize(); ++i) {
      if (!GetAt(i)) continue;
      ar << (DWORD)i;
      ar.WriteObject(GetStyle(i));
    }
    ar << kEndMark;
    return;
  }
  LoadEntries(ar, *this, [this](CArchive& a, DWORD index) {
    const size_t before = a.GetLoadMapSize();
    auto* style = static_cast<CGXStyle*>(a.ReadObject(RUNTIME_CLASS(CGXStyle)));
    // A back-reference names a style another entry owns: that entry keeps it, this one a copy.
    if (style && a.GetLoadMapSize() == before) style = style->Clone();
    SetAt(index, style);
  });
}

// ---- CGXStylePtrArrayPtrArray -------------------------------------------------------------------------

CGXStylePtrArrayPtrArray::~CGXStylePtrArrayPtrArray() { DeleteAll(); }

void CGXStylePtrArrayPtrArray::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) delete GetRow(i);
  RemoveAll();
}

void CGXStylePtrArrayPtrArray::CopyFrom(const CGXStylePtrArrayPtrArray& src) {
  if (&src == this) return;
  DeleteAll();
  SetSize(src.GetSize());
  for (INT_PTR i = 0; i < src.GetSize(); ++i) {
    if (CGXStylePtrArray* row = src.GetRow(i)) {
      auto* copy = new CGXStylePtrArray;
      copy->CopyFrom(*row);
      SetAt(i, copy);
    }
  }
}

void CGXStylePtrArrayPtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kSchema << (DWORD)GetSize();
    for (INT_PTR i = 0; i < GetSize(); ++i) {
      if (!GetRow(i)) continue;
      ar << (DWORD)i;
      GetRow(i)->Serialize(ar);
    }
    ar << kEndMark;
    return;
  }
  LoadEntries(ar, *this, [this](CArchive& a, DWORD index) {
    auto* row = new CGXStylePtrArray;
    SetAt(index, row);
    row->Serialize(a);
  });
}

// ---- CGXData ---------------------------------------------------------------------------------------------

CGXData::CGXData() = default;

CGXData::~CGXData() { DeleteContents(); }

void CGXData::DeleteContents() {
  m_apapCellStyle.DeleteAll();
  m_apRowBaseStyle.DeleteAll();
  m_apColBaseStyle.DeleteAll();
}

CGXData& CGXData::operator=(const CGXData& src) {
  if (&src == this) return *this;
  m_apapCellStyle.CopyFrom(src.m_apapCellStyle);
  m_apRowBaseStyle.CopyFrom(src.m_apRowBaseStyle);
  m_apColBaseStyle.CopyFrom(src.m_apColBaseStyle);
  m_nRows = src.m_nRows;
  m_nCols = src.m_nCols;
  return *this;
}

BOOL CGXData::SetRowCount(ROWCOL nRows) {
  if (nRows < m_nRows) return RemoveRows(nRows + 1, m_nRows);
  if (nRows > m_nRows) return InsertRows(m_nRows + 1, nRows - m_nRows);
  return TRUE;
}

BOOL CGXData::SetColCount(ROWCOL nCols) {
  if (nCols < m_nCols) return RemoveCols(nCols + 1, m_nCols);
  if (nCols > m_nCols) return InsertCols(m_nCols + 1, nCols - m_nCols);
  return TRUE;
}

BOOL CGXData::InsertRows(ROWCOL nRow, ROWCOL nCount) {
  if (nCount == 0) return TRUE;
  m_apRowBaseStyle.InsertAt(nRow, nullptr, nCount);
  m_apapCellStyle.InsertAt(nRow, nullptr, nCount);
  m_nRows += nCount;
  return TRUE;
}

BOOL CGXData::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCount == 0) return TRUE;
  m_apColBaseStyle.InsertAt(nCol, nullptr, nCount);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) row->InsertAt(nCol, nullptr, nCount);
  m_nCols += nCount;
  return TRUE;
}

BOOL CGXData::RemoveRows(ROWCOL nFromRow, ROWCOL nToRow) {
  RemoveEntries(m_apRowBaseStyle, nFromRow, nToRow, FreeStyle);
  RemoveEntries(m_apapCellStyle, nFromRow, nToRow, FreeRow);
  if (nToRow >= nFromRow) {
    const uint64_t n = (uint64_t)nToRow - nFromRow + 1;
    m_nRows = n >= m_nRows ? 0 : (ROWCOL)(m_nRows - n);
  }
  return TRUE;
}

BOOL CGXData::RemoveCols(ROWCOL nFromCol, ROWCOL nToCol) {
  RemoveEntries(m_apColBaseStyle, nFromCol, nToCol, FreeStyle);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) RemoveEntries(*row, nFromCol, nToCol, FreeStyle);
  if (nToCol >= nFromCol) {
    const uint64_t n = (uint64_t)nToCol - nFromCol + 1;
    m_nCols = n >= m_nCols ? 0 : (ROWCOL)(m_nCols - n);
  }
  return TRUE;
}

BOOL CGXData::MoveRows(ROWCOL nFromRow, ROWCOL nToRow, ROWCOL nDestRow) {
  if (nToRow < nFromRow) return TRUE;
  const INT_PTR count = (INT_PTR)nToRow - (INT_PTR)nFromRow + 1;
  MoveBlock(m_apRowBaseStyle, nFromRow, count, nDestRow);
  MoveBlock(m_apapCellStyle, nFromRow, count, nDestRow);
  return TRUE;
}

BOOL CGXData::MoveCols(ROWCOL nFromCol, ROWCOL nToCol, ROWCOL nDestCol) {
  if (nToCol < nFromCol) return TRUE;
  const INT_PTR count = (INT_PTR)nToCol - (INT_PTR)nFromCol + 1;
  MoveBlock(m_apColBaseStyle, nFromCol, count, nDestCol);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) MoveBlock(*row, nFromCol, count, nDestCol);
  return TRUE;
}

BOOL CGXData::StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  return StoreStyleAt(nRow, nCol, pStyle, mode, nType);
}

BOOL CGXData::StoreStyleAt(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  if (nRow > m_nRows) m_nRows = nRow;
  if (nCol > m_nCols) m_nCols = nCol;
  CGXStylePtrArray* array;
  INT_PTR index;
  if (nType == -1) {
    array = nRow ? &m_apRowBaseStyle : &m_apColBaseStyle;
    index = nRow ? nRow : nCol;
  } else {
    array = m_apapCellStyle.GetRow(nRow);
    index = nCol;
    if (!array) {
      if (!pStyle || mode == 3) return TRUE;
      array = new CGXStylePtrArray;
      m_apapCellStyle.SetAtGrow(nRow, array);
    }
  }
  CGXStyle* stored = array->GetStyle(index);
  if (!pStyle) {
    if (stored) {
      delete stored;
      array->SetAt(index, nullptr);
    }
  } else if (stored) {
    stored->ChangeStyle(*pStyle, mode);
  } else if (mode != 3) {
    array->SetAtGrow(index, pStyle->Clone());
  }
  return TRUE;
}

BOOL CGXData::GetStyleAt(ROWCOL nRow, ROWCOL nCol, CGXStyle& style, int mode, int nType) const {
  if (nRow > m_nRows || nCol > m_nCols) return FALSE;
  const CGXStyle* stored;
  if (nType == -1) stored = nRow ? m_apRowBaseStyle.GetStyle(nRow) : m_apColBaseStyle.GetStyle(nCol);
  else {
    const CGXStylePtrArray* row = m_apapCellStyle.GetRow(nRow);
    stored = row ? row->GetStyle(nCol) : nullptr;
  }
  if (!stored) return FALSE;
  if (mode == 2) style = *stored;
  else style.ChangeStyle(*stored, mode);
  return TRUE;
}

BOOL CGXData::ReorderRows(const CGXRange& range, const CDWordArray& order) {
  Reorder(m_apapCellStyle, range.m_nTop, order);
  Reorder(m_apRowBaseStyle, range.m_nTop, order);
  return TRUE;
}

BOOL CGXData::ReorderCols(const CGXRange& range, const CDWordArray& order) {
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) Reorder(*row, range.m_nLeft, order);
  Reorder(m_apColBaseStyle, range.m_nLeft, order);
  return TRUE;
}

void CGXData::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kSchema << (DWORD)m_nRows << (DWORD)m_nCols;
  } else {
    ReadSchema(ar);
    DWORD rows, cols;
    ar >> rows >> cols;
    m_nRows = rows;
    m_nCols = cols;
  }
  m_apapCellStyle.Serialize(ar);
  m_apRowBaseStyle.Serialize(ar);
  m_apColBaseStyle.Serialize(ar);
}
