// Ranges whose merged or floated spans are due for evaluation, handed out row by row as drawn.
#pragma once

#include "grid/engine/GXRange.h"
#include "platform/core/Array.h"

class CGXDelayedRange : public CObject {
  DECLARE_SERIAL(CGXDelayedRange)

 public:
  CGXDelayedRange() = default;
  virtual void CopyFrom(const CGXDelayedRange& other);
  void Serialize(CArchive& ar) override;

  CGXRange m_range;
  // Rows already evaluated: sorted, disjoint, never adjacent intervals.
  CDWordArray m_awRowStart;
  CDWordArray m_awRowEnd;
  BOOL m_bDone = FALSE;
};

class CGXDelayedRangePool : public CObject {
  DECLARE_SERIAL(CGXDelayedRangePool)

 public:
  CGXDelayedRangePool() = default;
  ~CGXDelayedRangePool() override;

  void AddRange(const CGXRange& range);
  // For each row of the range (index 0 = its top row) the first and last due column, first
  // all ones where nothing is due. The intervals handed out count as evaluated.
  BOOL GetDueIntervals(const CGXRange& range, CDWordArray& firstCols, CDWordArray& lastCols);
  void ClipRows(ROWCOL nRowCount);
  void ClipCols(ROWCOL nColCount);
  void RemoveDone();
  void RemoveAll();

  INT_PTR GetCount() const { return m_ranges.GetSize(); }
  CGXDelayedRange* GetAt(INT_PTR i) const { return static_cast<CGXDelayedRange*>(m_ranges.GetAt(i)); }
  void Serialize(CArchive& ar) override;

 private:
  CObArray m_ranges;  // newest first
};
