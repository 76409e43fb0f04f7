// The cell value store.
#include "grid/engine/GXData.h"

#include "platform/core/Archive.h"

#include <memory>
#include <new>
#include <vector>

IMPLEMENT_SERIAL(CGXData, CObject, 1)

namespace {

const WORD kSchema = 1;
const DWORD kEndMark = 0xFFFFFFFF;
// More entries than any grid holds: a larger stored size is a corrupted archive.
const DWORD kMaxStoredSize = 1u << 28;

// An index lies in the array itself while the array's length stays within what its entries pay
// for; further out it is kept aside.
bool PaidFor(INT_PTR index, INT_PTR entries) { return index < 64 + 16 * entries; }

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

// Index and entry until the end mark. Only entries read take memory, so what a load allocates is
// bounded by the archive's length; an allocation that fails refuses the archive instead of ending
// the program.
template <class READ>
void LoadEntries(CArchive& ar, INT_PTR size, READ read) {
  try {
    for (int64_t last = -1;;) {
      const DWORD index = ReadIndex(ar, size, last);
      if (index == kEndMark) break;
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
  a.ForEachEntry([&](INT_PTR i, void* p) {
    ar << (DWORD)i;
    write(ar, p);
  });
  ar << kEndMark;
}

void FreeStyle(void* p) { delete static_cast<CGXStyle*>(p); }
void FreeRow(void* p) { delete static_cast<CGXStylePtrArray*>(p); }

using Layout = CGXSizedPtrArray::Layout;

// Adds the entries of src in [lo, hi) moved by delta.
void AddRange(Layout& l, const CGXSizedPtrArray& src, INT_PTR lo, INT_PTR hi, INT_PTR delta) {
  if (lo < hi) src.ForEachIn(lo, hi, [&](INT_PTR i, void* p) { l.Add(i + delta, p); });
}

void FreeAll(Layout& l, void (*free)(void*)) {
  for (void* p : l.dense)
    if (p) free(p);
  if (l.far)
    for (auto& e : *l.far) free(e.second);
}

}  // namespace

// ---- CGXSizedPtrArray -------------------------------------------------------------------------------

void CGXSizedPtrArray::Layout::Add(INT_PTR index, void* p) {
  if (!far && PaidFor(index, count + 1)) {
    if ((size_t)index == dense.size()) {
      dense.push_back(p);
    } else {
      if ((size_t)index > dense.size()) dense.resize((size_t)index + 1);
      dense[(size_t)index] = p;
    }
  } else {
    if (!far) far = std::make_unique<std::map<INT_PTR, void*>>();
    far->emplace_hint(far->end(), index, p);
  }
  ++count;
}

INT_PTR CGXSizedPtrArray::GetStoredSize() const {
  const INT_PTR farEnd = HasFar() ? m_far->rbegin()->first + 1 : 0;
  return std::max({(INT_PTR)m_nStoredSize, GetSize(), farEnd});
}

void* CGXSizedPtrArray::GetFarEntry(INT_PTR i) const {
  if (i < 0 || !HasFar()) return nullptr;
  auto it = m_far->find(i);
  return it == m_far->end() ? nullptr : it->second;
}

void CGXSizedPtrArray::SetEntry(INT_PTR i, void* p) {
  if (i < 0) AfxThrowInvalidArgException();
  if (i < GetSize()) {
    void*& e = m_data[(size_t)i];
    m_nCount += (p != nullptr) - (e != nullptr);
    e = p;
    return;
  }
  auto it = m_far ? m_far->find(i) : std::map<INT_PTR, void*>::iterator();
  if (m_far && it != m_far->end()) {
    if (p) {
      it->second = p;
    } else {
      m_far->erase(it);
      --m_nCount;
    }
    return;
  }
  if (!p) return;
  if (PaidFor(i, (INT_PTR)m_nCount + 1)) {
    SetSize(i + 1);
    // Entries kept aside that now lie inside the array move into it.
    while (HasFar() && m_far->begin()->first <= i) {
      m_data[(size_t)m_far->begin()->first] = m_far->begin()->second;
      m_far->erase(m_far->begin());
    }
    m_data[(size_t)i] = p;
  } else {
    if (!m_far) m_far = std::make_unique<std::map<INT_PTR, void*>>();
    m_far->emplace(i, p);
  }
  ++m_nCount;
}

void CGXSizedPtrArray::Clear() noexcept {
  m_data.clear();
  m_far.reset();
  m_nStoredSize = 0;
  m_nCount = 0;
}

void CGXSizedPtrArray::Adopt(Layout& layout) noexcept {
  auto at = [&](INT_PTR i) { return m_data.begin() + i; };
  switch (layout.kind) {
    case Layout::Rebuild:
      m_data.swap(layout.dense);
      m_far.swap(layout.far);
      break;
    case Layout::Patch:
      std::copy(layout.patch.begin(), layout.patch.end(), at(layout.at));
      break;
    case Layout::Insert:
      if (layout.at < GetSize()) m_data.insert(at(layout.at), (size_t)layout.n, nullptr);
      break;
    case Layout::Erase:
      m_data.erase(at(layout.at), at(layout.at + layout.n));
      break;
    case Layout::Move:
      m_data.insert(at(layout.at), (size_t)layout.n, nullptr);
      for (INT_PTR i = 0; i < layout.n && layout.src + i < GetSize(); ++i)
        if (void* p = m_data[(size_t)(layout.src + i)]) m_data[(size_t)(layout.at + i)] = p;
      if (layout.src < GetSize())
        m_data.erase(at(layout.src), at(layout.src + std::min(layout.n, GetSize() - layout.src)));
      break;
  }
  if (layout.kind != Layout::Patch) m_nStoredSize = (DWORD)std::min<INT_PTR>(layout.stored, 0xFFFFFFFF);
  m_nCount = (DWORD)layout.count;
}

// In place while nothing is kept aside and the array stays within what its entries pay for: room
// is reserved here, so that putting the change in place allocates nothing.
bool CGXSizedPtrArray::GrowsInPlace(INT_PTR at, INT_PTR count) {
  if (HasFar() || at >= GetSize() || !PaidFor(GetSize() + count - 1, (INT_PTR)m_nCount)) return false;
  m_data.reserve((size_t)(GetSize() + count));
  return true;
}

CGXSizedPtrArray::Layout CGXSizedPtrArray::PlanInsertNulls(INT_PTR at, INT_PTR count) {
  Layout l;
  const INT_PTR size = GetStoredSize();
  l.count = m_nCount;
  l.stored = size;
  if (count <= 0) {
    l.kind = Layout::Insert;
    l.at = GetSize();
    return l;
  }
  if ((!HasFar() && at >= GetSize()) || GrowsInPlace(at, count)) {
    l.kind = Layout::Insert;
    l.at = at;
    l.n = count;
    l.stored = at < size ? size + count : at + count;
    return l;
  }
  l.count = 0;
  l.dense.reserve((size_t)GetSize());
  AddRange(l, *this, 0, at, 0);
  AddRange(l, *this, at, INTPTR_MAX, count);
  l.stored = at < size ? size + count : at + count;
  return l;
}

CGXSizedPtrArray::Layout CGXSizedPtrArray::PlanRemoveRange(INT_PTR from, INT_PTR to, std::vector<void*>& removed) {
  Layout l;
  const INT_PTR size = GetStoredSize();
  l.kind = Layout::Erase;
  l.count = m_nCount;
  l.stored = size;
  if (from >= size || to < from) return l;
  l.stored = size - (std::min(to, size - 1) - from + 1);
  if (!HasFar()) {
    l.at = std::min(from, GetSize());
    l.n = std::max<INT_PTR>(0, std::min(to + 1, GetSize()) - l.at);
    ForEachIn(l.at, l.at + l.n, [&](INT_PTR, void* p) { removed.push_back(p), --l.count; });
    return l;
  }
  l.kind = Layout::Rebuild;
  l.count = 0;
  l.dense.reserve((size_t)GetSize());
  AddRange(l, *this, 0, from, 0);
  ForEachIn(from, to + 1, [&](INT_PTR, void* p) { removed.push_back(p); });
  AddRange(l, *this, to + 1, INTPTR_MAX, -(to - from + 1));
  return l;
}

CGXSizedPtrArray::Layout CGXSizedPtrArray::PlanMoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest) {
  Layout l;
  const INT_PTR size = GetStoredSize();
  l.count = m_nCount;
  l.stored = size;
  if (dest == from || count == 0 || (from >= size && dest >= size)) {
    l.kind = Layout::Insert;
    l.at = GetSize();
    return l;
  }
  // count nulls go in at the insertion point, the block is copied there and removed from its source.
  INT_PTR insertAt = dest, src = from;
  if (dest < from) src = from + count;
  else insertAt = dest + count;
  const INT_PTR inserted = insertAt < size ? size + count : insertAt + count;
  l.stored = src < inserted ? inserted - std::min(count, inserted - src) : inserted;
  if (GrowsInPlace(insertAt, count)) {
    l.kind = Layout::Move;
    l.at = insertAt;
    l.src = src;
    l.n = count;
    return l;
  }
  l.count = 0;
  l.dense.reserve((size_t)GetSize());
  if (dest < from) {
    AddRange(l, *this, 0, dest, 0);
    AddRange(l, *this, from, from + count, dest - from);
    AddRange(l, *this, dest, from, count);
    AddRange(l, *this, from + count, INTPTR_MAX, 0);
  } else {
    AddRange(l, *this, 0, from, 0);
    AddRange(l, *this, from + count, dest + count, -count);
    AddRange(l, *this, from, from + count, dest - from);
    AddRange(l, *this, dest + count, INTPTR_MAX, 0);
  }
  return l;
}

CGXSizedPtrArray::Layout CGXSizedPtrArray::PlanReorder(INT_PTR top, const CDWordArray& order) {
  const INT_PTR n = order.GetSize();
  std::vector<void*> temp((size_t)n, nullptr);
  for (INT_PTR i = 0; i < n; ++i) temp[(size_t)i] = GetEntry(top + (INT_PTR)order[i]);
  Layout l;
  if (top >= 0 && top + n <= GetSize() && GetStoredSize() >= top + n + 1) {
    // Inside the array's own entries: written over them in place.
    l.count = m_nCount;
    for (INT_PTR i = 0; i < n; ++i) l.count += (temp[(size_t)i] != nullptr) - (m_data[(size_t)(top + i)] != nullptr);
    l.kind = Layout::Patch;
    l.at = top;
    l.patch = std::move(temp);
    return l;
  }
  l.dense.reserve((size_t)GetSize());
  AddRange(l, *this, 0, top, 0);
  for (INT_PTR i = 0; i < n; ++i)
    if (temp[(size_t)i]) l.Add(top + i, temp[(size_t)i]);
  AddRange(l, *this, top + n, INTPTR_MAX, 0);
  // Grown for the reorder, the array ends after its last entry again.
  const INT_PTR size = GetStoredSize();
  if (size >= top + n + 1) {
    l.stored = size;
  } else if (l.far) {
    l.stored = l.far->rbegin()->first + 1;
  } else {
    l.stored = (INT_PTR)l.dense.size();
  }
  return l;
}

void CGXSizedPtrArray::InsertNulls(INT_PTR at, INT_PTR count) {
  Layout l = PlanInsertNulls(at, count);
  Adopt(l);
}

void CGXSizedPtrArray::RemoveRange(INT_PTR from, INT_PTR to, void (*free)(void*)) {
  std::vector<void*> removed;
  Layout l = PlanRemoveRange(from, to, removed);
  Adopt(l);
  for (void* p : removed) free(p);
}

void CGXSizedPtrArray::MoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest) {
  Layout l = PlanMoveBlock(from, count, dest);
  Adopt(l);
}

void CGXSizedPtrArray::Reorder(INT_PTR top, const CDWordArray& order) {
  Layout l = PlanReorder(top, order);
  Adopt(l);
}

// ---- CGXStylePtrArray -------------------------------------------------------------------------------

CGXStylePtrArray::~CGXStylePtrArray() { DeleteAll(); }

void CGXStylePtrArray::DeleteAll() {
  ForEachEntry([](INT_PTR, void* p) { FreeStyle(p); });
  Clear();
}

void CGXStylePtrArray::CopyFrom(const CGXStylePtrArray& src) {
  if (&src == this) return;
  Layout l;
  try {
    src.ForEachEntry([&](INT_PTR i, void* p) {
      std::unique_ptr<CGXStyle> copy(static_cast<CGXStyle*>(p)->Clone());
      l.Add(i, copy.get());
      copy.release();
    });
  } catch (...) {
    FreeAll(l, FreeStyle);
    throw;
  }
  l.stored = src.GetStoredSize();
  DeleteAll();
  Adopt(l);
}

void CGXStylePtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    StoreEntries(ar, *this, [](CArchive& a, void* p) { a.WriteObject(static_cast<CGXStyle*>(p)); });
    return;
  }
  Load(ar);
}

void CGXStylePtrArray::Load(CArchive& ar) {
  const DWORD size = ReadHead(ar);
  DeleteAll();
  m_nStoredSize = size;
  LoadEntries(ar, size, [this](CArchive& a, DWORD index) {
    const size_t before = a.GetLoadMapSize();
    auto* style = static_cast<CGXStyle*>(a.ReadObject(RUNTIME_CLASS(CGXStyle)));
    if (!style) return;
    // A back-reference names a style another entry owns: that entry keeps it, this one a copy.
    std::unique_ptr<CGXStyle> copy(a.GetLoadMapSize() == before ? style->Clone() : nullptr);
    try {
      SetEntry(index, copy ? copy.get() : style);
    } catch (...) {
      // A new style is not in the archive's map of loaded objects: nobody else frees it.
      if (!copy) delete style;
      throw;
    }
    copy.release();
  });
}

// ---- CGXStylePtrArrayPtrArray -------------------------------------------------------------------------

CGXStylePtrArrayPtrArray::~CGXStylePtrArrayPtrArray() { DeleteAll(); }

void CGXStylePtrArrayPtrArray::DeleteAll() {
  ForEachEntry([](INT_PTR, void* p) { FreeRow(p); });
  Clear();
}

void CGXStylePtrArrayPtrArray::CopyFrom(const CGXStylePtrArrayPtrArray& src) {
  if (&src == this) return;
  Layout l;
  try {
    src.ForEachEntry([&](INT_PTR i, void* p) {
      auto copy = std::make_unique<CGXStylePtrArray>();
      copy->CopyFrom(*static_cast<CGXStylePtrArray*>(p));
      l.Add(i, copy.get());
      copy.release();
    });
  } catch (...) {
    FreeAll(l, FreeRow);
    throw;
  }
  l.stored = src.GetStoredSize();
  DeleteAll();
  Adopt(l);
}

void CGXStylePtrArrayPtrArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    StoreEntries(ar, *this, [](CArchive& a, void* p) { static_cast<CGXStylePtrArray*>(p)->Serialize(a); });
    return;
  }
  Load(ar);
}

void CGXStylePtrArrayPtrArray::Load(CArchive& ar) {
  const DWORD size = ReadHead(ar);
  DeleteAll();
  m_nStoredSize = size;
  LoadEntries(ar, size, [this](CArchive& a, DWORD index) {
    auto row = std::make_unique<CGXStylePtrArray>();
    SetEntry(index, row.get());
    // Owned by this array from here, so a failure below frees it with the array.
    row.release()->Load(a);
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

// Plans the change of every array first and puts them in place after: a failed allocation leaves
// the store as it was and refuses the operation.
template <class PLAN>
BOOL CGXData::ChangeArrays(BOOL bRows, PLAN plan) {
  struct Change {
    CGXSizedPtrArray* array;
    void (*free)(void*);
    Layout layout;
  };
  std::vector<Change> changes;
  std::vector<void*> removed[2];  // styles, row arrays
  try {
    auto add = [&](CGXSizedPtrArray& a, void (*free)(void*)) {
      changes.push_back({&a, free, {}});
      changes.back().layout = plan(a, removed[free == FreeRow]);
    };
    if (bRows) {
      add(m_apRowBaseStyle, FreeStyle);
      add(m_apapCellStyle, FreeRow);
    } else {
      changes.reserve((size_t)m_apapCellStyle.GetEntryCount() + 1);
      add(m_apColBaseStyle, FreeStyle);
      m_apapCellStyle.ForEachEntry([&](INT_PTR, void* row) { add(*static_cast<CGXStylePtrArray*>(row), FreeStyle); });
    }
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  for (Change& c : changes) c.array->Adopt(c.layout);
  for (void* p : removed[0]) FreeStyle(p);
  for (void* p : removed[1]) FreeRow(p);
  return TRUE;
}

BOOL CGXData::InsertRows(ROWCOL nRow, ROWCOL nCount) {
  if (nCount == 0) return TRUE;
  if (!ChangeArrays(TRUE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
        return a.PlanInsertNulls(nRow, nCount);
      }))
    return FALSE;
  m_nRows += nCount;
  return TRUE;
}

BOOL CGXData::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  if (nCount == 0) return TRUE;
  if (!ChangeArrays(FALSE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
        return a.PlanInsertNulls(nCol, nCount);
      }))
    return FALSE;
  m_nCols += nCount;
  return TRUE;
}

BOOL CGXData::RemoveRows(ROWCOL nFromRow, ROWCOL nToRow) {
  if (!ChangeArrays(TRUE, [&](CGXSizedPtrArray& a, std::vector<void*>& removed) {
        return a.PlanRemoveRange(nFromRow, nToRow, removed);
      }))
    return FALSE;
  if (nToRow >= nFromRow) {
    const uint64_t n = (uint64_t)nToRow - nFromRow + 1;
    m_nRows = n >= m_nRows ? 0 : (ROWCOL)(m_nRows - n);
  }
  return TRUE;
}

BOOL CGXData::RemoveCols(ROWCOL nFromCol, ROWCOL nToCol) {
  if (!ChangeArrays(FALSE, [&](CGXSizedPtrArray& a, std::vector<void*>& removed) {
        return a.PlanRemoveRange(nFromCol, nToCol, removed);
      }))
    return FALSE;
  if (nToCol >= nFromCol) {
    const uint64_t n = (uint64_t)nToCol - nFromCol + 1;
    m_nCols = n >= m_nCols ? 0 : (ROWCOL)(m_nCols - n);
  }
  return TRUE;
}

BOOL CGXData::MoveRows(ROWCOL nFromRow, ROWCOL nToRow, ROWCOL nDestRow) {
  if (nToRow < nFromRow) return TRUE;
  const INT_PTR count = (INT_PTR)nToRow - (INT_PTR)nFromRow + 1;
  return ChangeArrays(TRUE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
    return a.PlanMoveBlock(nFromRow, count, nDestRow);
  });
}

BOOL CGXData::MoveCols(ROWCOL nFromCol, ROWCOL nToCol, ROWCOL nDestCol) {
  if (nToCol < nFromCol) return TRUE;
  const INT_PTR count = (INT_PTR)nToCol - (INT_PTR)nFromCol + 1;
  return ChangeArrays(FALSE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
    return a.PlanMoveBlock(nFromCol, count, nDestCol);
  });
}

BOOL CGXData::StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  return StoreStyleAt(nRow, nCol, pStyle, mode, nType);
}

BOOL CGXData::StoreStyleAt(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType) {
  // What can fail comes before anything changes: a refused store leaves no trace, not even a row
  // array or a grown count.
  try {
    CGXStylePtrArray* array;
    INT_PTR index;
    std::unique_ptr<CGXStylePtrArray> newRow;
    if (nType == -1) {
      array = nRow ? &m_apRowBaseStyle : &m_apColBaseStyle;
      index = nRow ? nRow : nCol;
    } else {
      array = m_apapCellStyle.GetRow(nRow);
      index = nCol;
      if (!array && pStyle && mode != 3) {
        newRow = std::make_unique<CGXStylePtrArray>();
        array = newRow.get();
      }
    }
    if (CGXStyle* stored = array ? array->GetStyle(index) : nullptr) {
      if (!pStyle) {
        array->SetEntry(index, nullptr);
        delete stored;
      } else {
        stored->ChangeStyle(*pStyle, mode);
      }
    } else if (pStyle && mode != 3) {
      std::unique_ptr<CGXStyle> copy(pStyle->Clone());
      array->SetEntry(index, copy.get());
      copy.release();
      if (newRow) {
        m_apapCellStyle.SetEntry(nRow, newRow.get());
        newRow.release();
      }
    }
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  if (nRow > m_nRows) m_nRows = nRow;
  if (nCol > m_nCols) m_nCols = nCol;
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
  return ChangeArrays(TRUE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
    return a.PlanReorder(range.m_nTop, order);
  });
}

BOOL CGXData::ReorderCols(const CGXRange& range, const CDWordArray& order) {
  return ChangeArrays(FALSE, [&](CGXSizedPtrArray& a, std::vector<void*>&) {
    return a.PlanReorder(range.m_nLeft, order);
  });
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
  m_apapCellStyle.Load(ar);
  m_apRowBaseStyle.Load(ar);
  m_apColBaseStyle.Load(ar);
}
