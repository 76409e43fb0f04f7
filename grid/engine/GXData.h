// CGXData: a grid's contents: the cell, row and column styles and the row and column counts.
#pragma once

#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Array.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// A pointer array whose size may run past its allocated entries: entries past the end are null, so a
// size read from an archive or grown by inserting nulls costs nothing until something is stored there.
// Entries lie in the array itself up to a length the number of entries pays for; an entry further out
// is kept aside, so a far index costs no more than its entry.
class CGXSizedPtrArray : public CPtrArray {
 public:
  struct Layout;

  // The size as the archive keeps it, null entries past the allocated ones included.
  INT_PTR GetStoredSize() const;
  // Non-null entries held.
  INT_PTR GetEntryCount() const { return m_nCount; }
  void* GetEntry(INT_PTR i) const {
    if (i >= 0 && i < GetSize()) return m_data[(size_t)i];
    return GetFarEntry(i);
  }
  // Stores an entry; null clears it. Grows as needed.
  void SetEntry(INT_PTR i, void* p);
  // Calls fn(index, pointer) for every non-null entry in increasing index.
  template <class FN>
  void ForEachEntry(FN fn) const {
    ForEachIn(0, INTPTR_MAX, fn);
  }
  template <class FN>
  void ForEachIn(INT_PTR lo, INT_PTR hi, FN fn) const {
    for (INT_PTR i = std::max<INT_PTR>(lo, 0); i < std::min(hi, GetSize()); ++i)
      if (void* p = m_data[(size_t)i]) fn(i, p);
    if (m_far)
      for (auto it = m_far->lower_bound(lo); it != m_far->end() && it->first < hi; ++it) fn(it->first, it->second);
  }

  // Structure changes, with the result an array of the stored size would have. Each allocates what
  // the result needs before anything changes, so a failed allocation (std::bad_alloc) leaves the
  // array as it was. Planned here (which may reserve room in the array), put in place by Adopt, which
  // allocates nothing and cannot fail.
  void InsertNulls(INT_PTR at, INT_PTR count);
  // Entries from..to (as far as the array reaches) are passed to `free` and removed.
  void RemoveRange(INT_PTR from, INT_PTR to, void (*free)(void*));
  // Moves `count` entries from `from` so that the block starts at `dest`; pointers move.
  void MoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest);
  // New entry top + i is old entry top + order[i].
  void Reorder(INT_PTR top, const CDWordArray& order);

  Layout PlanInsertNulls(INT_PTR at, INT_PTR count);
  // What the removed entries point to is added to `removed` (to be freed once adopted).
  Layout PlanRemoveRange(INT_PTR from, INT_PTR to, std::vector<void*>& removed);
  Layout PlanMoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest);
  Layout PlanReorder(INT_PTR top, const CDWordArray& order);
  void Adopt(Layout& layout) noexcept;

 protected:
  void* GetFarEntry(INT_PTR i) const;
  bool GrowsInPlace(INT_PTR at, INT_PTR count);
  // Empties the array without freeing what it points to.
  void Clear() noexcept;

  // As the archive keeps sizes; with the map's pointer they keep a row array as small as a plain one.
  DWORD m_nStoredSize = 0;
  DWORD m_nCount = 0;
  // Entries kept aside, every key at or past GetSize(); made with the first of them.
  std::unique_ptr<std::map<INT_PTR, void*>> m_far;
  bool HasFar() const { return m_far && !m_far->empty(); }
};

struct CGXSizedPtrArray::Layout {
  std::vector<void*> dense;
  std::unique_ptr<std::map<INT_PTR, void*>> far;
  INT_PTR stored = 0;
  INT_PTR count = 0;
  // Rebuild: the array becomes dense and far. The others change the array's own entries in place:
  // Patch writes `patch` over at.., Insert puts n nulls at at, Erase removes n entries from at, Move
  // puts n nulls at at, copies the block from src into them and removes it there.
  enum Kind { Rebuild, Patch, Insert, Erase, Move } kind = Rebuild;
  INT_PTR at = 0, n = 0, src = 0;
  std::vector<void*> patch;
  // Appends an entry above every one added so far.
  void Add(INT_PTR index, void* p);
};

// Styles by index, null where nothing is stored; the array owns what it points to.
class CGXStylePtrArray : public CGXSizedPtrArray {
 public:
  CGXStylePtrArray() = default;
  ~CGXStylePtrArray() override;
  CGXStyle* GetStyle(INT_PTR i) const { return static_cast<CGXStyle*>(GetEntry(i)); }
  // Deletes every style and empties the array.
  void DeleteAll();
  // A deep copy (clones of the styles, nulls kept).
  void CopyFrom(const CGXStylePtrArray& src);
  void Serialize(CArchive& ar) override;
  void Load(CArchive& ar);
};

// Row arrays by row, null for a row without stored cells; owned.
class CGXStylePtrArrayPtrArray : public CGXSizedPtrArray {
 public:
  CGXStylePtrArrayPtrArray() = default;
  ~CGXStylePtrArrayPtrArray() override;
  CGXStylePtrArray* GetRow(INT_PTR i) const { return static_cast<CGXStylePtrArray*>(GetEntry(i)); }
  void DeleteAll();
  void CopyFrom(const CGXStylePtrArrayPtrArray& src);
  void Serialize(CArchive& ar) override;
  void Load(CArchive& ar);
};

class CGXData : public CObject {
  DECLARE_SERIAL(CGXData)

 public:
  CGXData();
  ~CGXData() override;

  virtual void DeleteContents();
  virtual CGXData& operator=(const CGXData& src);
  virtual ROWCOL GetRowCount() const { return m_nRows; }
  virtual ROWCOL GetColCount() const { return m_nCols; }
  virtual BOOL SetRowCount(ROWCOL nRows);
  virtual BOOL SetColCount(ROWCOL nCols);
  virtual BOOL InsertRows(ROWCOL nRow, ROWCOL nCount);
  virtual BOOL InsertCols(ROWCOL nCol, ROWCOL nCount);
  virtual BOOL RemoveRows(ROWCOL nFromRow, ROWCOL nToRow);
  virtual BOOL RemoveCols(ROWCOL nFromCol, ROWCOL nToCol);
  virtual BOOL MoveRows(ROWCOL nFromRow, ROWCOL nToRow, ROWCOL nDestRow);
  virtual BOOL MoveCols(ROWCOL nFromCol, ROWCOL nToCol, ROWCOL nDestCol);
  virtual BOOL StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0);
  // nType -1: the row style (row > 0) or the column style (row 0); otherwise the cell.
  virtual BOOL StoreStyleAt(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0);
  virtual BOOL GetStyleAt(ROWCOL nRow, ROWCOL nCol, CGXStyle& style, int mode, int nType = 0) const;
  // New row top + i is old row top + order[i].
  virtual BOOL ReorderRows(const CGXRange& range, const CDWordArray& order);
  virtual BOOL ReorderCols(const CGXRange& range, const CDWordArray& order);

  void Serialize(CArchive& ar) override;

  const CGXStylePtrArrayPtrArray& GetCells() const { return m_apapCellStyle; }
  const CGXStylePtrArray& GetRowStyles() const { return m_apRowBaseStyle; }
  const CGXStylePtrArray& GetColStyles() const { return m_apColBaseStyle; }

 protected:
  template <class PLAN>
  BOOL ChangeArrays(BOOL bRows, PLAN plan);

  ROWCOL m_nRows = 0;
  ROWCOL m_nCols = 0;
  CGXStylePtrArray m_apRowBaseStyle;
  CGXStylePtrArray m_apColBaseStyle;
  CGXStylePtrArrayPtrArray m_apapCellStyle;
};
