// The cell value store.
#include "grid/engine/GXData.h"

#include "platform/core/Archive.h"

#include <new>
#include <vector>

IMPLEMENT_SERIAL(CGXData, CObject, 1)

namespace {

const WORD kSchema = 1;
const DWORD kEndMark = 0xFFFFFFFF;
// More entries than any grid holds: a larger stored size is a corrupted archive, and one load
// allocates no more entries than that in all its arrays together.
const DWORD kMaxStoredSize = 1u << 28;

void ReadSchema(CArchive& ar) {
  WORD schema = 0;
  ar >> schema;
  if (schema != kSchema) AfxThrowArchiveException(CArchiveException::badSchema);
}

// The schema and the stored size that start an array.
DWORD ReadHead(CArchive& ar) {
  ReadSchema(ar);
  DWORD size = 0;
  ar >> size;
  if (size > kMaxStoredSize) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  return size;
}

// Indexes come in increasing order; a repeated one would free an object the archive may still
// refer back to.
DWORD ReadIndex(CArchive& ar, INT_PTR size, int64_t& last) {
  DWORD index = 0;
  ar >> index;
  if (index == kEndMark) return index;
  if ((INT_PTR)index >= size) AfxThrowInvalidArgException();
  if ((int64_t)index <= last) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  last = index;
  return index;
}

// Index and entry until the end mark. The array grows only as far as the entries read: the stored
// size may be claimed by a few bytes, the entries allocated by all arrays of a load come out of one
// allowance, and an allocation that fails refuses the archive instead of ending the program.
template <class READ>
void LoadEntries(CArchive& ar, CPtrArray& a, INT_PTR size, INT_PTR& allowance, READ read) {
  try {
    for (int64_t last = -1;;) {
      const DWORD index = ReadIndex(ar, size, last);
      if (index == kEndMark) break;
      const INT_PTR grow = (INT_PTR)index + 1 - a.GetSize();
      if (grow > allowance) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
      allowance -= grow;
      a.SetSize((INT_PTR)index + 1);
      read(ar, index);
    }
  } catch (const std::bad_alloc&) {
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  }
}

// Schema, stored size, then index and entry for every entry held, and the end mark.
template <class WRITE>
void StoreEntries(CArchive& ar, const CGXSizedPtrArray& a, WRITE write) {
  ar << kSchema << (DWORD)a.GetStoredSize();
  for (INT_PTR i = 0; i < a.GetSize(); ++i) {
    if (!a.GetAt(i)) continue;
    ar << (DWORD)i;
    write(ar, i);
  }
  ar << kEndMark;
}

void FreeStyle(void* p) { delete static_cast<CGXStyle*>(p); }
void FreeRow(void* p) { delete static_cast<CGXStylePtrArray*>(p); }

}  // namespace

// ---- CGXSizedPtrArray -------------------------------------------------------------------------------

void CGXSizedPtrArray::InsertNulls(INT_PTR at, INT_PTR count) {
  if (count <= 0) return;
  const INT_PTR size = GetStoredSize();
  m_nStoredSize = at < size ? size + count : at + count;
  if (at < GetSize()) InsertAt(at, nullptr, count);
}

void CGXSizedPtrArray::RemoveRange(INT_PTR from, INT_PTR to, void (*free)(void*)) {
  const INT_PTR size = GetStoredSize();
  if (from >= size || to < from) return;
  m_nStoredSize = size - (std::min(to, size - 1) - from + 1);
  if (from >= GetSize()) return;
  const INT_PTR last = std::min(to, GetSize() - 1);
  for (INT_PTR i = from; i <= last; ++i) free(GetAt(i));
  RemoveAt(from, last - from + 1);
}

void CGXSizedPtrArray::MoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest) {
  const INT_PTR size = GetStoredSize();
  if (dest == from || count == 0) return;
  if (from >= size && dest >= size) return;
  INT_PTR insertAt = dest, src = from;
  if (dest < from) src = from + count;
  else insertAt = dest + count;
  const INT_PTR inserted = insertAt < size ? size + count : insertAt + count;
  m_nStoredSize = src < inserted ? inserted - std::min(count, inserted - src) : inserted;
  // Nulls past the allocated end stay unallocated; an entry moved there grows the array.
  if (insertAt < GetSize()) InsertAt(insertAt, nullptr, count);
  for (INT_PTR i = 0; i < count && src + i < GetSize(); ++i) {
    void* p = GetAt(src + i);
    if (!p) continue;
    if (insertAt + i >= GetSize()) SetSize(insertAt + i + 1);
    SetAt(insertAt + i, p);
  }
  if (src < GetSize()) RemoveAt(src, std::min(count, GetSize() - src));
}

void CGXSizedPtrArray::Reorder(INT_PTR top, const CDWordArray& order) {
  const INT_PTR n = order.GetSize();
  std::vector<void*> temp((size_t)n, nullptr);
  INT_PTR used = 0;
  for (INT_PTR i = 0; i < n; ++i) {
    const INT_PTR old = top + (INT_PTR)order[i];
    if (old < GetSize()) temp[(size_t)i] = GetAt(old);
    if (temp[(size_t)i]) used = i + 1;
  }
  const bool grown = GetStoredSize() < top + n + 1;
  if (top + used > GetSize()) SetSize(top + used);
  for (INT_PTR i = 0; i < n && top + i < GetSize(); ++i) SetAt(top + i, temp[(size_t)i]);
  if (grown) {
    INT_PTR size = GetSize();
    while (size > 0 && !GetAt(size - 1)) --size;
    SetSize(size);
    m_nStoredSize = size;
  }
}

// ---- CGXStylePtrArray -------------------------------------------------------------------------------

CGXStylePtrArray::~CGXStylePtrArray() { DeleteAll(); }

void CGXStylePtrArray::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) delete static_cast<CGXStyle*>(GetAt(i));
  RemoveAll();
  m_nStoredSize = 0;
}

void CGXStylePtrArray::CopyFrom(const CGXStylePtrArray& src) {
  if (&src == this) return;
  DeleteAll();
  SetSize(src.GetSize());
  m_nStoredSize = src.GetStoredSize();
  for (INT_PTR i = 0; i < src.GetSize(); ++i)
    if (CGXStyle* s = src.GetStyle(i)) SetAt(i, s->Clone());
}

void CGXStylePtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    StoreEntries(ar, *this, [this](CArchive& a, INT_PTR i) { a.WriteObject(GetStyle(i)); });
    return;
  }
  INT_PTR allowance = kMaxStoredSize;
  Load(ar, allowance);
}

void CGXStylePtrArray::Load(CArchive& ar, INT_PTR& allowance) {
  const DWORD size = ReadHead(ar);
  DeleteAll();
  m_nStoredSize = size;
  LoadEntries(ar, *this, size, allowance, [this](CArchive& a, DWORD index) {
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
  m_nStoredSize = 0;
}

void CGXStylePtrArrayPtrArray::CopyFrom(const CGXStylePtrArrayPtrArray& src) {
  if (&src == this) return;
  DeleteAll();
  SetSize(src.GetSize());
  m_nStoredSize = src.GetStoredSize();
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
    StoreEntries(ar, *this, [this](CArchive& a, INT_PTR i) { GetRow(i)->Serialize(a); });
    return;
  }
  INT_PTR allowance = kMaxStoredSize;
  Load(ar, allowance);
}

void CGXStylePtrArrayPtrArray::Load(CArchive& ar, INT_PTR& allowance) {
  const DWORD size = ReadHead(ar);
  DeleteAll();
  m_nStoredSize = size;
  LoadEntries(ar, *this, size, allowance, [this, &allowance](CArchive& a, DWORD index) {
    auto* row = new CGXStylePtrArray;
    SetAt(index, row);
    row->Load(a, allowance);
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
  m_apRowBaseStyle.InsertNulls(nRow, nCount);
  m_apapCellStyle.InsertNulls(nRow, nCount);
  m_nRows += nCount;
  return TRUE;
}

BOOL CGXData::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCount == 0) return TRUE;
  m_apColBaseStyle.InsertNulls(nCol, nCount);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) row->InsertNulls(nCol, nCount);
  m_nCols += nCount;
  return TRUE;
}

BOOL CGXData::RemoveRows(ROWCOL nFromRow, ROWCOL nToRow) {
  m_apRowBaseStyle.RemoveRange(nFromRow, nToRow, FreeStyle);
  m_apapCellStyle.RemoveRange(nFromRow, nToRow, FreeRow);
  if (nToRow >= nFromRow) {
    const uint64_t n = (uint64_t)nToRow - nFromRow + 1;
    m_nRows = n >= m_nRows ? 0 : (ROWCOL)(m_nRows - n);
  }
  return TRUE;
}

BOOL CGXData::RemoveCols(ROWCOL nFromCol, ROWCOL nToCol) {
  m_apColBaseStyle.RemoveRange(nFromCol, nToCol, FreeStyle);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) row->RemoveRange(nFromCol, nToCol, FreeStyle);
  if (nToCol >= nFromCol) {
    const uint64_t n = (uint64_t)nToCol - nFromCol + 1;
    m_nCols = n >= m_nCols ? 0 : (ROWCOL)(m_nCols - n);
  }
  return TRUE;
}

BOOL CGXData::MoveRows(ROWCOL nFromRow, ROWCOL nToRow, ROWCOL nDestRow) {
  if (nToRow < nFromRow) return TRUE;
  const INT_PTR count = (INT_PTR)nToRow - (INT_PTR)nFromRow + 1;
  m_apRowBaseStyle.MoveBlock(nFromRow, count, nDestRow);
  m_apapCellStyle.MoveBlock(nFromRow, count, nDestRow);
  return TRUE;
}

BOOL CGXData::MoveCols(ROWCOL nFromCol, ROWCOL nToCol, ROWCOL nDestCol) {
  if (nToCol < nFromCol) return TRUE;
  const INT_PTR count = (INT_PTR)nToCol - (INT_PTR)nFromCol + 1;
  m_apColBaseStyle.MoveBlock(nFromCol, count, nDestCol);
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) row->MoveBlock(nFromCol, count, nDestCol);
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
  m_apapCellStyle.Reorder(range.m_nTop, order);
  m_apRowBaseStyle.Reorder(range.m_nTop, order);
  return TRUE;
}

BOOL CGXData::ReorderCols(const CGXRange& range, const CDWordArray& order) {
  for (INT_PTR r = 0; r < m_apapCellStyle.GetSize(); ++r)
    if (CGXStylePtrArray* row = m_apapCellStyle.GetRow(r)) row->Reorder(range.m_nLeft, order);
  m_apColBaseStyle.Reorder(range.m_nLeft, order);
  return TRUE;
}

void CGXData::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << kSchema << (DWORD)m_nRows << (DWORD)m_nCols;
    m_apapCellStyle.Serialize(ar);
    m_apRowBaseStyle.Serialize(ar);
    m_apColBaseStyle.Serialize(ar);
    return;
  }
  ReadSchema(ar);
  DWORD rows, cols;
  ar >> rows >> cols;
  m_nRows = rows;
  m_nCols = cols;
  INT_PTR allowance = kMaxStoredSize;
  m_apapCellStyle.Load(ar, allowance);
  m_apRowBaseStyle.Load(ar, allowance);
  m_apColBaseStyle.Load(ar, allowance);
}
