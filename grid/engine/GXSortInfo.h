// CGXSortInfo and CGXSortInfoArray: the keys of a row or column sort.
#pragma once

#include "platform/core/Object.h"

#include <vector>

struct CGXSortInfo {
  enum SortType { numeric = 0, alphanumeric = 1, date = 2, autodetect = 3 };
  enum SortOrder { ascending = 0, descending = 1 };
  DWORD nRC = 0;
  DWORD sortType = autodetect;
  DWORD sortOrder = ascending;
  DWORD bCase = 0;
  DWORD dwReserved = 0;
  DWORD bNumericCandidate = 0;
  DWORD bDateCandidate = 0;
};

class CGXSortInfoArray : public CObject {
 public:
  // New keys are zeroed.
  void SetSize(int nSize) { m_keys.resize(nSize > 0 ? (size_t)nSize : 0, CGXSortInfo{0, 0, 0, 0, 0, 0, 0}); }
  int GetSize() const { return (int)m_keys.size(); }
  CGXSortInfo& operator[](int i) { return m_keys[(size_t)i]; }
  const CGXSortInfo& operator[](int i) const { return m_keys[(size_t)i]; }

 private:
  std::vector<CGXSortInfo> m_keys;
};
