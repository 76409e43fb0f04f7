// CGXRange names a block of cells, whole rows, whole columns or the whole table; CGXRangeList is
// an owning list of ranges that follows the grid's row and column structure changes.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/List.h"
#include "platform/core/Types.h"

class CArchive;

// Row and column numbers of the grid; row 0 and column 0 are the headers.
typedef DWORD ROWCOL;

class CGXRange {
 public:
  enum : DWORD { typeCells = 0, typeRows = 1, typeCols = 2, typeTable = 3 };

  CGXRange() = default;
  CGXRange(const CGXRange&) = default;
  CGXRange& operator=(const CGXRange&) = default;
  // Null clears the bounds and the valid flag and keeps the kind.
  CGXRange& operator=(const CGXRange* p);

  CGXRange& SetCellRange(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2);
  CGXRange& SetRowRange(ROWCOL nFrom, ROWCOL nTo);
  CGXRange& SetColRange(ROWCOL nFrom, ROWCOL nTo);
  CGXRange& SetWholeTable();
  // Makes the range a cell range over the given table bounds.
  CGXRange& ExpandRange(ROWCOL nMinRow, ROWCOL nMinCol, ROWCOL nMaxRow, ROWCOL nMaxCol);

  BOOL IsValid() const { return m_bValid != 0; }
  BOOL IsCells() const { return m_nType == typeCells; }
  BOOL IsRows() const { return m_nType == typeRows; }
  BOOL IsCols() const { return m_nType == typeCols; }
  BOOL IsTable() const { return m_nType == typeTable; }

  BOOL IsCellInRange(ROWCOL nRow, ROWCOL nCol) const;
  // Bounds only; whole-row and whole-column ranges are expanded by the caller first.
  BOOL IntersectRange(const CGXRange& a, const CGXRange& b);
  BOOL UnionRange(const CGXRange& a, const CGXRange& b);

  bool operator==(const CGXRange& o) const {
    return m_nType == o.m_nType && m_nTop == o.m_nTop && m_nLeft == o.m_nLeft && m_nBottom == o.m_nBottom &&
           m_nRight == o.m_nRight && m_bValid == o.m_bValid;
  }
  bool operator!=(const CGXRange& o) const { return !(*this == o); }

  DWORD m_nType = 0;
  ROWCOL m_nTop = 0;
  ROWCOL m_nLeft = 0;
  ROWCOL m_nBottom = 0;
  ROWCOL m_nRight = 0;
  DWORD m_bValid = 0;
};

// Bounds as four u32, then the kind and the valid flag as one byte each.
CArchive& operator<<(CArchive& ar, const CGXRange& range);
CArchive& operator>>(CArchive& ar, CGXRange& range);

class CGXRangeList : public CPtrList {
  DECLARE_SERIAL(CGXRangeList)

 public:
  CGXRangeList() : CPtrList(10) {}
  ~CGXRangeList() override;

  // Deletes every range and empties the list.
  void DeleteAll();

  CGXRange* GetHead() { return static_cast<CGXRange*>(CPtrList::GetHead()); }
  CGXRange* GetTail() { return static_cast<CGXRange*>(CPtrList::GetTail()); }
  CGXRange* GetNext(POSITION& pos) { return static_cast<CGXRange*>(CPtrList::GetNext(pos)); }
  const CGXRange* GetNext(POSITION& pos) const { return static_cast<const CGXRange*>(CPtrList::GetNext(pos)); }
  CGXRange* GetAt(POSITION pos) { return static_cast<CGXRange*>(CPtrList::GetAt(pos)); }
  const CGXRange* GetAt(POSITION pos) const { return static_cast<const CGXRange*>(CPtrList::GetAt(pos)); }

  // The first valid range holding the cell, or null.
  POSITION FindRange(ROWCOL nRow, ROWCOL nCol) const;
  BOOL IsCellInList(ROWCOL nRow, ROWCOL nCol, POSITION posIgnore = nullptr) const;

  // The covered rows (columns) as sorted, disjoint, non-adjacent runs awFrom[i]..awTo[i].
  BOOL GetRowArray(ROWCOL nRowCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeRowsOnly = FALSE) const;
  BOOL GetColArray(ROWCOL nColCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeColsOnly = FALSE) const;

  void InsertRows(ROWCOL nRow, ROWCOL nCount);
  void InsertCols(ROWCOL nCol, ROWCOL nCount);
  void RemoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nMaxRow);
  void RemoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nMaxCol);
  void MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, ROWCOL nMaxRow);
  void MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, ROWCOL nMaxCol);

  void Serialize(CArchive& ar) override;

 private:
  BOOL GetRuns(bool rows, ROWCOL nCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeOnly) const;
};
