// CGXData: a grid's contents: the cell, row and column styles and the row and column counts.
#pragma once

#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Array.h"

#include <algorithm>

// A pointer array whose size may run past its allocated entries: entries past the end are null, so a
// size read from an archive or grown by inserting nulls costs nothing until something is stored there.
class CGXSizedPtrArray : public CPtrArray {
 public:
  // The size as the archive keeps it, null entries past the allocated ones included.
  INT_PTR GetStoredSize() const { return std::max(m_nStoredSize, GetSize()); }
  // Structure changes, with the result an array of the stored size would have.
  void InsertNulls(INT_PTR at, INT_PTR count);
  // Entries from..to (as far as the array reaches) are passed to `free` and removed.
  void RemoveRange(INT_PTR from, INT_PTR to, void (*free)(void*));
  // Moves `count` entries from `from` so that the block starts at `dest`; pointers move.
  void MoveBlock(INT_PTR from, INT_PTR count, INT_PTR dest);
  // New entry top + i is old entry top + order[i].
  void Reorder(INT_PTR top, const CDWordArray& order);

 protected:
  INT_PTR m_nStoredSize = 0;
};

// Styles by index, null where nothing is stored; the array owns what it points to.
class CGXStylePtrArray : public CGXSizedPtrArray {
 public:
  CGXStylePtrArray() = default;
  ~CGXStylePtrArray() override;
  CGXStyle* GetStyle(INT_PTR i) const { return i < GetSize() ? static_cast<CGXStyle*>(GetAt(i)) : nullptr; }
  // Deletes every style and empties the array.
  void DeleteAll();
  // A deep copy (clones of the styles, nulls kept).
  void CopyFrom(const CGXStylePtrArray& src);
  void Serialize(CArchive& ar) override;
  // Loading with what is left of one load's allowance of allocated entries.
  void Load(CArchive& ar, INT_PTR& allowance);
};

// Row arrays by row, null for a row without stored cells; owned.
class CGXStylePtrArrayPtrArray : public CGXSizedPtrArray {
 public:
  CGXStylePtrArrayPtrArray() = default;
  ~CGXStylePtrArrayPtrArray() override;
  CGXStylePtrArray* GetRow(INT_PTR i) const {
    return i < GetSize() ? static_cast<CGXStylePtrArray*>(GetAt(i)) : nullptr;
  }
  void DeleteAll();
  void CopyFrom(const CGXStylePtrArrayPtrArray& src);
  void Serialize(CArchive& ar) override;
  void Load(CArchive& ar, INT_PTR& allowance);
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
  ROWCOL m_nRows = 0;
  ROWCOL m_nCols = 0;
  CGXStylePtrArray m_apRowBaseStyle;
  CGXStylePtrArray m_apColBaseStyle;
  CGXStylePtrArrayPtrArray m_apapCellStyle;
};
