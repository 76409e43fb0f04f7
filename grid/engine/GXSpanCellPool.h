// Run tables of merged and floated spans, and the cell-to-block table of covered cells.
#pragma once

#include "grid/engine/GXRange.h"
#include "platform/core/Array.h"

// Owned DWORD arrays by index, null where nothing was written.
class CGXDWordArrayPtrArray : public CArray<CDWordArray*, CDWordArray*> {
  DECLARE_SERIAL(CGXDWordArrayPtrArray)

 public:
  CGXDWordArrayPtrArray() = default;
  ~CGXDWordArrayPtrArray() override { DeleteAll(); }
  void DeleteAll();
  CDWordArray* Find(DWORD i) const { return (INT_PTR)i < GetSize() ? GetAt((INT_PTR)i) : nullptr; }
  CDWordArray* Get(DWORD i);  // made on demand
  // Version word 1, the size, then index and array of each entry, ended by -1.
  void Serialize(CArchive& ar) override;
};

// Owned pointer arrays by index.
class CGXPtrArrayPtrArray : public CArray<CPtrArray*, CPtrArray*> {
  DECLARE_DYNAMIC(CGXPtrArrayPtrArray)

 public:
  CGXPtrArrayPtrArray() = default;
  ~CGXPtrArrayPtrArray() override { DeleteAll(); }
  void DeleteAll();
};

class CGXSpanCellPool : public CObject {
  DECLARE_SERIAL(CGXSpanCellPool)

 public:
  CGXSpanCellPool() = default;

  // The caller sets the range to the cell; the runs holding it widen it.
  virtual BOOL Lookup(ROWCOL nRow, ROWCOL nCol, CGXRange& range) const;
  virtual BOOL SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, BOOL bSet);
  virtual void InsertRows(ROWCOL nRow, ROWCOL nCount);
  // A last row of 0xFFFFFFFE runs to the end of the table.
  virtual void RemoveRows(ROWCOL nFromRow, ROWCOL nToRow);
  virtual void MoveRows(ROWCOL nFromRow, ROWCOL nToRow, ROWCOL nDestRow);
  virtual void InsertCols(ROWCOL nCol, ROWCOL nCount);
  virtual void RemoveCols(ROWCOL nFromCol, ROWCOL nToCol);
  virtual void MoveCols(ROWCOL nFromCol, ROWCOL nToCol, ROWCOL nDestCol);
  void Serialize(CArchive& ar) override;

  CGXDWordArrayPtrArray m_RowTable;  // by row, entries by column: the span's first column
  CGXDWordArrayPtrArray m_ColTable;  // by column, entries by row: the span's first row
};

class CGXCoveredCellPool : public CObject {
  DECLARE_SERIAL(CGXCoveredCellPool)

 public:
  CGXCoveredCellPool() = default;
  virtual POSITION Lookup(ROWCOL nRow, ROWCOL nCol) const;
  virtual BOOL SetSpan(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, POSITION pos);
  void RebuildFromList(const CGXRangeList& list);
  void Serialize(CArchive&) override {}

  CGXPtrArrayPtrArray m_Rows;
};
