// Run tables of merged and floated spans, and the cell-to-block table of covered cells.
#pragma once

#include "grid/engine/GXRange.h"
#include "platform/core/Array.h"

#include <vector>

// One run table line: DWORD entries by index, stored from the first non-zero one on, so a line
// touched only near row 500,000 does not hold half a million zeros. Archived as a CDWordArray.
class CGXRunArray {
 public:
  DWORD Get(DWORD i) const { return i >= m_nBase && i - m_nBase < m_v.size() ? m_v[i - m_nBase] : 0; }
  void Set(DWORD i, DWORD v);
  // One past the last stored entry.
  DWORD GetSize() const { return m_v.empty() ? 0 : m_nBase + (DWORD)m_v.size(); }
  // Structural changes work on the whole line, then store it compact again.
  std::vector<DWORD> Expand() const;
  void Compact(std::vector<DWORD>&& full);
  void Serialize(CArchive& ar);

 private:
  DWORD m_nBase = 0;
  std::vector<DWORD> m_v;
};

// Owned run lines by index, null where nothing was written; held from the first line written on.
class CGXDWordArrayPtrArray : public CObject {
  DECLARE_SERIAL(CGXDWordArrayPtrArray)

 public:
  CGXDWordArrayPtrArray() = default;
  CGXDWordArrayPtrArray(const CGXDWordArrayPtrArray&) = delete;
  CGXDWordArrayPtrArray& operator=(const CGXDWordArrayPtrArray&) = delete;
  ~CGXDWordArrayPtrArray() override { DeleteAll(); }
  void DeleteAll();
  CGXRunArray* Find(DWORD i) const {
    return i >= m_nBase && i - m_nBase < m_lines.size() ? m_lines[i - m_nBase] : nullptr;
  }
  CGXRunArray* Get(DWORD i);  // made on demand
  DWORD GetSize() const { return m_lines.empty() ? 0 : m_nBase + (DWORD)m_lines.size(); }
  // Structural changes work on the whole table, then store it compact again.
  std::vector<CGXRunArray*> Expand() const;
  void Compact(std::vector<CGXRunArray*>&& full);
  // Version word 1, the size, then index and line of each entry, ended by -1.
  void Serialize(CArchive& ar) override;

 private:
  DWORD m_nBase = 0;
  std::vector<CGXRunArray*> m_lines;
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
