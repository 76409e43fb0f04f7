// Run tables of merged and floated spans, and the cell-to-block table of covered cells.
#pragma once

#include "grid/engine/GXRange.h"
#include "platform/core/Array.h"

#include <initializer_list>
#include <map>
#include <vector>

// One run table line: entries by index, kept as runs of equal non-zero entries, so a span costs
// one run however long it is and however far out it lies. Archived as a CDWordArray.
class CGXRunArray {
 public:
  DWORD Get(DWORD i) const;
  // The last index of the run that holds i (i itself where the entry is 0).
  DWORD RunEnd(DWORD i) const;
  // Sets first..last to v; 0 clears.
  void Fill(DWORD first, DWORD last, DWORD v);
  void Set(DWORD i, DWORD v) { Fill(i, i, v); }
  // One past the last non-zero entry.
  DWORD GetSize() const { return m_runs.empty() ? 0 : m_runs.rbegin()->second.last + 1; }
  BOOL IsEmpty() const { return m_runs.empty(); }

  struct Run {
    DWORD last;
    DWORD value;
  };
  using Runs = std::map<DWORD, Run>;  // by first index
  // Indexes move through `to` (-1: the entry goes), which must shift each stretch between two
  // `cuts` as a whole; values move through `value`. Returns the new runs without changing these.
  template <class TO, class VALUE>
  Runs Renumbered(std::initializer_list<DWORD> cuts, TO to, VALUE value) const;
  void Adopt(Runs& runs) noexcept { m_runs.swap(runs); }
  void Swap(CGXRunArray& other) noexcept { m_runs.swap(other.m_runs); }
  void Serialize(CArchive& ar);

 private:
  Runs m_runs;
};

// Owned run lines by index, none where nothing was written.
class CGXDWordArrayPtrArray : public CObject {
  DECLARE_SERIAL(CGXDWordArrayPtrArray)

 public:
  using Lines = std::map<DWORD, CGXRunArray*>;

  CGXDWordArrayPtrArray() = default;
  CGXDWordArrayPtrArray(const CGXDWordArrayPtrArray&) = delete;
  CGXDWordArrayPtrArray& operator=(const CGXDWordArrayPtrArray&) = delete;
  ~CGXDWordArrayPtrArray() override { DeleteAll(); }
  void DeleteAll();
  CGXRunArray* Find(DWORD i) const {
    auto it = m_lines.find(i);
    return it == m_lines.end() ? nullptr : it->second;
  }
  CGXRunArray* Get(DWORD i);  // made on demand
  // One past the last line.
  DWORD GetSize() const { return m_lines.empty() ? 0 : m_lines.rbegin()->first + 1; }
  const Lines& GetLines() const { return m_lines; }
  // Swaps in lines renumbered from these (same objects), freeing those left out; cannot fail.
  void Adopt(Lines& lines) noexcept;
  // Version word 1, the size, then index and line of each entry, ended by -1.
  void Serialize(CArchive& ar) override;

 private:
  Lines m_lines;
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

  // Rows covered alike share a band: by first row, its last row and its runs of columns (by first
  // column), so a block costs a band and a run however many cells it covers.
  struct Cols {
    DWORD last;
    POSITION value;
  };
  struct Band {
    DWORD last;
    std::map<DWORD, Cols> cols;
  };
  const std::map<DWORD, Band>& GetBands() const { return m_bands; }

 private:
  // The band that holds `row` and the row before it is cut so that `row` starts a band.
  void CutAt(DWORD row);

  std::map<DWORD, Band> m_bands;
};
