// The grid core's sorting: key texts through the cells, the key type decided from the texts, a
// stable merge of the records and the data moved as one undoable step.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXOperationProgress.h"
#include "grid/engine/GXSortInfo.h"
#include "platform/core/Array.h"
#include "platform/core/StringArray.h"
#include "platform/core/Time.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Half a second in days: dates closer than that are equal.
const double kDateTolerance = 5.787037037037037e-6;

// Reads a number as the C runtime's atof does in the "C" locale, whatever the process locale.
double CAtof(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  if (*s == '+') ++s;
  double v = 0;
  std::from_chars(s, s + std::strlen(s), v);
  return v;
}

int CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = (*a >= 'A' && *a <= 'Z') ? *a + 32 : (unsigned char)*a;
    const int cb = (*b >= 'A' && *b <= 'Z') ? *b + 32 : (unsigned char)*b;
    if (ca != cb || !ca) return ca - cb;
  }
}

BOOL IsNumericText(const CString& text) {
  return std::strspn(text.GetString(), "0123456789,.- ") == (size_t)text.GetLength();
}

BOOL ParseDate(const CString& text, double& value) {
  COleDateTime dt;
  if (!dt.ParseDateTime(text.GetString())) return FALSE;
  value = (DATE)dt;
  return TRUE;
}

// A record in the merge, with a numeric first key close at hand.
struct Item {
  double first;
  CGXSortRecord* record;
};

// A bottom-up merge sort: stable, and sound even where the comparison is not transitive.
void MergeSort(std::vector<Item>& items, bool numericFirst, bool descending) {
  auto before = [&](const Item& a, const Item& b) {
    if (numericFirst && (a.first < b.first || a.first > b.first)) return (a.first < b.first) != descending;
    return GXCompareSortRecords(*a.record, *b.record) < 0;
  };
  std::vector<Item> buffer(items.size());
  const size_t n = items.size();
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, out = lo;
      while (i < mid && j < hi) buffer[out++] = before(items[j], items[i]) ? items[j++] : items[i++];
      while (i < mid) buffer[out++] = items[i++];
      while (j < hi) buffer[out++] = items[j++];
    }
    items.swap(buffer);
  }
}

}  // namespace

void CGXSortInfoArray::SetSize(int nSize, int nGrowBy) {
  if (nGrowBy >= 0) m_nGrowBy = nGrowBy;
  if (nSize <= 0) {
    m_pData.reset();
    m_nSize = m_nAllocated = 0;
    return;
  }
  if (nSize > m_nAllocated) {
    int step = m_nGrowBy;
    if (step == 0) step = std::min(1024, std::max(4, m_nSize / 8));
    const int allocated = m_pData ? std::max(nSize, m_nAllocated + step) : nSize;
    std::unique_ptr<CGXSortInfo[]> data(new CGXSortInfo[(size_t)allocated]);
    std::copy(m_pData.get(), m_pData.get() + m_nSize, data.get());
    m_pData = std::move(data);
    m_nAllocated = allocated;
  }
  for (int i = m_nSize; i < nSize; ++i) m_pData[i] = CGXSortInfo{0, 0, 0, 0, 0, 0, 0};
  m_nSize = nSize;
}

int GXCompareSortRecords(const CGXSortRecord& a, const CGXSortRecord& b) {
  const CGXSortInfoArray& keys = *a.pSortInfo;
  for (int k = 0; k < keys.GetSize(); ++k) {
    const CGXSortInfo& key = keys[k];
    int result = 0;
    if (key.sortType == CGXSortInfo::date) {
      double x = a.pValues[k], y = b.pValues[k];
      if (std::fabs(x - y) < kDateTolerance) continue;
      // Negative dates count the time of day the other way.
      if (x <= -kDateTolerance) x = 2 * std::ceil(x) - x;
      if (y <= -kDateTolerance) y = 2 * std::ceil(y) - y;
      result = x > y ? 1 : -1;
    } else if (key.sortType == CGXSortInfo::numeric) {
      const double x = a.pValues[k], y = b.pValues[k];
      result = x > y ? 1 : x < y ? -1 : 0;
    } else {
      const char* x = a.pKeys[k].GetString();
      const char* y = b.pKeys[k].GetString();
      result = key.bCaseSensitive ? std::strcmp(x, y) : CompareNoCase(x, y);
      result = result > 0 ? 1 : result < 0 ? -1 : 0;
    }
    if (result) return key.bDescending ? -result : result;
  }
  return a.nInitialIndex < b.nInitialIndex ? -1 : a.nInitialIndex > b.nInitialIndex ? 1 : 0;
}

void CGXGridCore::SortKeys(CGXSortInfoArray& sortInfo, CPtrArray& records) {
  const bool numericFirst = sortInfo.GetSize() > 0 && sortInfo[0].sortType == CGXSortInfo::numeric;
  const bool descending = numericFirst && sortInfo[0].bDescending;
  const size_t n = (size_t)records.GetSize();
  std::vector<Item> items(n);
  for (size_t i = 0; i < n; ++i) {
    auto* record = static_cast<CGXSortRecord*>(records[(INT_PTR)i]);
    items[i] = {numericFirst ? record->pValues[0] : 0.0, record};
  }
  MergeSort(items, numericFirst, descending);
  for (size_t i = 0; i < n; ++i) records[(INT_PTR)i] = items[i].record;
}

void CGXGridCore::GetSortKey(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXSortInfo& info,
                             const CGXStyle& style, CString& sKey) {
  if (pControl) pControl->GetSortKey(nRow, nCol, info, style, sKey);
  else sKey = style.GetIncludeValue() ? style.GetValue() : CString();
}

void CGXGridCore::GetRowSortKeys(ROWCOL nRow, const CGXSortInfoArray& sortInfo, CStringArray& keys) {
  CGXStyle* style = CreateStyle();
  for (int k = 0; k < sortInfo.GetSize(); ++k) {
    style->Free();
    ComposeStyleRowCol(nRow, sortInfo[k].nRC, style, TRUE);
    CString text;
    GetSortKey(GetRegisteredControl(style->GetControl()), nRow, sortInfo[k].nRC, sortInfo[k], *style, text);
    keys.SetAtGrow(k, text);
  }
  RecycleStyle(style);
}

void CGXGridCore::GetColSortKeys(ROWCOL nCol, const CGXSortInfoArray& sortInfo, CStringArray& keys) {
  CGXStyle* style = CreateStyle();
  for (int k = 0; k < sortInfo.GetSize(); ++k) {
    style->Free();
    ComposeStyleRowCol(sortInfo[k].nRC, nCol, style, TRUE);
    CString text;
    GetSortKey(GetRegisteredControl(style->GetControl()), sortInfo[k].nRC, nCol, sortInfo[k], *style, text);
    keys.SetAtGrow(k, text);
  }
  RecycleStyle(style);
}

void CGXGridCore::SortRows(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags) {
  DoSort(TRUE, sortRange, sortInfo, flags);
}

void CGXGridCore::SortCols(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags) {
  DoSort(FALSE, sortRange, sortInfo, flags);
}

void CGXGridCore::DoSort(BOOL bRows, CGXRange range, CGXSortInfoArray& sortInfo, UINT flags) {
  if (!m_pParam) return;
  const ROWCOL count = bRows ? GetRowCount() : GetColCount();
  ROWCOL first = bRows ? range.m_nTop : range.m_nLeft, last = bRows ? range.m_nBottom : range.m_nRight;
  if (range.IsTable()) first = (bRows ? GetHeaderRows() : GetHeaderCols()) + 1, last = count;
  if (bRows) range.SetRowRange(first, last);
  else range.SetColRange(first, last);
  if (first == 0 || first > last || last > count) return;
  m_bWarningShown = FALSE;
  MoveCurrentCell(bRows ? GX_TOP : GX_LEFT, 1, TRUE);
  // A refused edit stays for the user to mend, told once; sorting under it would throw the typed
  // text away.
  if (m_bWarningShown || !EndCurrentCellEdit(TRUE, GX_UPDATENOW, TRUE)) return;

  CGXOperationProgress progress;
  progress.SetStatusText(bRows ? "Sort Rows" : "Sort Columns");
  const int nKeys = sortInfo.GetSize();
  const DWORD n = last - first + 1;
  // Keys row by row: texts for text keys, numbers for the others.
  std::vector<CString> texts((size_t)n * (size_t)nKeys);
  for (int k = 0; k < nKeys; ++k) sortInfo[k].bNumericCandidate = sortInfo[k].bDateCandidate = TRUE;
  CStringArray keyTexts;
  for (DWORD i = 0; i < n; ++i) {
    bRows ? GetRowSortKeys(first + i, sortInfo, keyTexts) : GetColSortKeys(first + i, sortInfo, keyTexts);
    for (int k = 0; k < nKeys; ++k) {
      CString& text = texts[(size_t)i * nKeys + k];
      text = std::move(keyTexts[k]);
      CGXSortInfo& key = sortInfo[k];
      if (key.sortType != CGXSortInfo::autodetect) continue;
      double unused;
      if (key.bDateCandidate && !text.IsEmpty() && !ParseDate(text, unused)) key.bDateCandidate = FALSE;
      if (key.bNumericCandidate && !IsNumericText(text)) key.bNumericCandidate = FALSE;
    }
    if ((i & 0x3FF) == 0) {
      BOOL abort = FALSE;
      if (progress.CheckAbort(abort) && abort) return;
    }
  }
  std::vector<double> values;
  for (int k = 0; k < nKeys; ++k) {
    CGXSortInfo& key = sortInfo[k];
    if (key.sortType == CGXSortInfo::autodetect)
      key.sortType = key.bDateCandidate ? CGXSortInfo::date
                     : key.bNumericCandidate ? CGXSortInfo::numeric
                                             : CGXSortInfo::alphanumeric;
    if (key.sortType == CGXSortInfo::alphanumeric) continue;
    // Numbers and dates are converted once, so the comparison works on doubles.
    if (values.empty()) values.assign((size_t)n * (size_t)nKeys, 0.0);
    for (DWORD i = 0; i < n; ++i) {
      CString& text = texts[(size_t)i * nKeys + k];
      double& value = values[(size_t)i * nKeys + k];
      if (key.sortType == CGXSortInfo::date) ParseDate(text, value);
      else value = CAtof(text.GetString());
      text.Empty();
    }
  }

  std::vector<CGXSortRecord> recordStore(n);
  CPtrArray records;
  records.SetSize((INT_PTR)n);
  for (DWORD i = 0; i < n; ++i) {
    const size_t at = (size_t)i * nKeys;
    recordStore[i] = {texts.data() + at, values.empty() ? nullptr : values.data() + at, i, &sortInfo};
    records[(INT_PTR)i] = &recordStore[i];
  }
  SortKeys(sortInfo, records);
  CDWordArray newOrder;
  newOrder.SetSize((INT_PTR)n);
  for (DWORD i = 0; i < n; ++i) newOrder[(INT_PTR)i] = static_cast<CGXSortRecord*>(records[(INT_PTR)i])->nInitialIndex;

  const DWORD firstKey = nKeys ? sortInfo[0].nRC : 0;
  m_pParam->m_nSortCol = bRows ? 0xFFFFFFFF : firstKey;
  m_pParam->m_nSortRow = bRows ? firstKey : 0xFFFFFFFF;
  m_pParam->m_bSortOption = nKeys && !sortInfo[0].bDescending;
  bRows ? MoveDataRows(range, newOrder, flags, CmdDo) : MoveDataCols(range, newOrder, flags, CmdDo);
}
