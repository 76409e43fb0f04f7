// CGXSortInfo and CGXSortInfoArray: the keys of a row or column sort; CGXSortRecord: one sorted row or column.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <memory>

struct CGXSortInfo {
  enum SortType { numeric = 0, alphanumeric = 1, date = 2, autodetect = 3 };
  enum SortOrder { ascending = 0, descending = 1 };
  DWORD nRC = 0;
  DWORD sortType = autodetect;
  DWORD bDescending = ascending;
  DWORD bCaseSensitive = 0;
  DWORD dwReserved = 0;
  DWORD bNumericCandidate = 0;
  DWORD bDateCandidate = 0;
};

class CGXSortInfoArray : public CObject {
 public:
  // New keys are zeroed; a grow-by of -1 keeps the step already set (by default a size/8 between 4 and 1024).
  void SetSize(int nSize, int nGrowBy = -1);
  int GetSize() const { return m_nSize; }
  int GetAllocatedSize() const { return m_nAllocated; }
  CGXSortInfo& operator[](int i) { return m_pData[i]; }
  const CGXSortInfo& operator[](int i) const { return m_pData[i]; }

 private:
  std::unique_ptr<CGXSortInfo[]> m_pData;
  int m_nSize = 0, m_nAllocated = 0, m_nGrowBy = 0;
};

// One row (column) being sorted: its key texts, the numbers of its numeric and date keys, and its
// place within the sorted span before the sort.
struct CGXSortRecord {
  const CString* pKeys;
  const double* pValues;
  DWORD nInitialIndex;
  const CGXSortInfoArray* pSortInfo;
};

// Orders two records by their keys; ties keep the initial order.
int GXCompareSortRecords(const CGXSortRecord& a, const CGXSortRecord& b);
