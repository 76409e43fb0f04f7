#include "grid/engine/GXRange.h"

#include "platform/core/Archive.h"

#include <algorithm>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CGXRangeList, CPtrList, 1)

// ---- CGXRange ---------------------------------------------------------------------------------

CGXRange& CGXRange::operator=(const CGXRange* p) {
  if (p) return *this = *p;
  m_nTop = m_nLeft = m_nBottom = m_nRight = 0;
  m_bValid = 0;
  return *this;
}

CGXRange& CGXRange::SetCellRange(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2) {
  m_nType = typeCells;
  m_nTop = std::min(nRow1, nRow2);
  m_nBottom = std::max(nRow1, nRow2);
  m_nLeft = std::min(nCol1, nCol2);
  m_nRight = std::max(nCol1, nCol2);
  m_bValid = 1;
  return *this;
}

CGXRange& CGXRange::SetRowRange(ROWCOL nFrom, ROWCOL nTo) {
  m_nType = typeRows;
  m_nTop = std::min(nFrom, nTo);
  m_nBottom = std::max(nFrom, nTo);
  m_nLeft = m_nRight = 0;
  m_bValid = 1;
  return *this;
}

CGXRange& CGXRange::SetColRange(ROWCOL nFrom, ROWCOL nTo) {
  m_nType = typeCols;
  m_nLeft = std::min(nFrom, nTo);
  m_nRight = std::max(nFrom, nTo);
  m_nTop = m_nBottom = 0;
  m_bValid = 1;
  return *this;
}

CGXRange& CGXRange::SetWholeTable() {
  m_nType = typeTable;
  m_bValid = 1;
  return *this;
}

CGXRange& CGXRange::ExpandRange(ROWCOL nMinRow, ROWCOL nMinCol, ROWCOL nMaxRow, ROWCOL nMaxCol) {
  if (m_nType == typeRows || m_nType == typeTable) {
    m_nLeft = nMinCol;
    m_nRight = nMaxCol;
  }
  if (m_nType == typeCols || m_nType == typeTable) {
    m_nTop = nMinRow;
    m_nBottom = nMaxRow;
  }
  m_nType = typeCells;
  return *this;
}

BOOL CGXRange::IsCellInRange(ROWCOL nRow, ROWCOL nCol) const {
  if (!m_bValid) return FALSE;
  const bool inRows = m_nTop <= nRow && nRow <= m_nBottom;
  const bool inCols = m_nLeft <= nCol && nCol <= m_nRight;
  switch (m_nType) {
    case typeTable: return TRUE;
    case typeRows: return inRows;
    case typeCols: return inCols;
    case typeCells: return inRows && inCols;
    default: return FALSE;
  }
}

BOOL CGXRange::IntersectRange(const CGXRange& a, const CGXRange& b) {
  m_nTop = std::max(a.m_nTop, b.m_nTop);
  m_nLeft = std::max(a.m_nLeft, b.m_nLeft);
  m_nBottom = std::min(a.m_nBottom, b.m_nBottom);
  m_nRight = std::min(a.m_nRight, b.m_nRight);
  m_bValid = (m_nLeft <= m_nRight && m_nTop <= m_nBottom) ? 1 : 0;
  return m_bValid;
}

BOOL CGXRange::UnionRange(const CGXRange& a, const CGXRange& b) {
  m_nTop = std::min(a.m_nTop, b.m_nTop);
  m_nLeft = std::min(a.m_nLeft, b.m_nLeft);
  m_nBottom = std::max(a.m_nBottom, b.m_nBottom);
  m_nRight = std::max(a.m_nRight, b.m_nRight);
  m_bValid = (m_nLeft <= m_nRight && m_nTop <= m_nBottom) ? 1 : 0;
  return m_bValid;
}

CArchive& operator<<(CArchive& ar, const CGXRange& r) {
  ar << (DWORD)r.m_nTop << (DWORD)r.m_nLeft << (DWORD)r.m_nBottom << (DWORD)r.m_nRight;
  ar << (BYTE)r.m_nType << (BYTE)r.m_bValid;
  return ar;
}

CArchive& operator>>(CArchive& ar, CGXRange& r) {
  BYTE type = 0, valid = 0;
  ar >> r.m_nTop >> r.m_nLeft >> r.m_nBottom >> r.m_nRight >> type >> valid;
  r.m_nType = type;
  r.m_bValid = valid;
  return ar;
}

// ---- CGXRangeList ----------------------------------------------------------------------------

CGXRangeList::~CGXRangeList() { DeleteAll(); }

void CGXRangeList::DeleteAll() {
  POSITION pos = GetHeadPosition();
  while (pos) delete GetNext(pos);
  RemoveAll();
}

POSITION CGXRangeList::FindRange(ROWCOL nRow, ROWCOL nCol) const {
  POSITION pos = GetHeadPosition();
  while (pos) {
    POSITION at = pos;
    const CGXRange* r = GetNext(pos);
    if (r->IsValid() && r->IsCellInRange(nRow, nCol)) return at;
  }
  return nullptr;
}

BOOL CGXRangeList::IsCellInList(ROWCOL nRow, ROWCOL nCol, POSITION posIgnore) const {
  POSITION pos = GetHeadPosition();
  while (pos) {
    POSITION at = pos;
    const CGXRange* r = GetNext(pos);
    if (at != posIgnore && r->IsValid() && r->IsCellInRange(nRow, nCol)) return TRUE;
  }
  return FALSE;
}

BOOL CGXRangeList::GetRowArray(ROWCOL nRowCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeRowsOnly) const {
  return GetRuns(true, nRowCount, awFrom, awTo, bWholeRowsOnly);
}

BOOL CGXRangeList::GetColArray(ROWCOL nColCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeColsOnly) const {
  return GetRuns(false, nColCount, awFrom, awTo, bWholeColsOnly);
}

// Sorting the candidates and merging overlapping or touching ones gives the same runs as inserting
// them one by one, without the quadratic walk on long lists.
BOOL CGXRangeList::GetRuns(bool rows, ROWCOL nCount, CDWordArray& awFrom, CDWordArray& awTo, BOOL bWholeOnly) const {
  awFrom.RemoveAll();
  awTo.RemoveAll();
  const DWORD whole = rows ? CGXRange::typeRows : CGXRange::typeCols;
  const DWORD across = rows ? CGXRange::typeCols : CGXRange::typeRows;
  std::vector<std::pair<ROWCOL, ROWCOL>> runs;
  POSITION pos = GetHeadPosition();
  while (pos) {
    const CGXRange* r = GetNext(pos);
    if (!r->IsValid()) continue;
    if (bWholeOnly && r->m_nType != whole && r->m_nType != CGXRange::typeTable) continue;
    ROWCOL from = rows ? r->m_nTop : r->m_nLeft;
    ROWCOL to = rows ? r->m_nBottom : r->m_nRight;
    if (r->m_nType == across || r->m_nType == CGXRange::typeTable) to = nCount;
    if (from > to) continue;
    runs.emplace_back(from, to);
  }
  if (runs.empty()) return FALSE;
  std::sort(runs.begin(), runs.end());
  std::vector<std::pair<ROWCOL, ROWCOL>> merged;
  merged.reserve(runs.size());
  for (const auto& run : runs) {
    if (!merged.empty() && (ULONGLONG)merged.back().second + 1 >= run.first)
      merged.back().second = std::max(merged.back().second, run.second);
    else
      merged.push_back(run);
  }
  awFrom.SetSize((INT_PTR)merged.size());
  awTo.SetSize((INT_PTR)merged.size());
  for (size_t i = 0; i < merged.size(); ++i) {
    awFrom[(INT_PTR)i] = merged[i].first;
    awTo[(INT_PTR)i] = merged[i].second;
  }
  return TRUE;
}

namespace {

// Gives a range's row bounds or column bounds to the shared structure rules.
struct Bounds {
  ROWCOL& first;
  ROWCOL& last;
};
Bounds RowBounds(CGXRange& r) { return {r.m_nTop, r.m_nBottom}; }
Bounds ColBounds(CGXRange& r) { return {r.m_nLeft, r.m_nRight}; }

template <class Fn>
void ForEach(CGXRangeList& list, Fn fn) {
  POSITION pos = list.GetHeadPosition();
  while (pos) fn(*list.GetNext(pos));
}

void InsertSpan(Bounds b, ROWCOL at, ROWCOL count) {
  if (b.first >= at) b.first += count;
  if (b.last >= at) b.last += count;
}

void RemoveSpan(CGXRange& r, Bounds b, ROWCOL from, ROWCOL to, ROWCOL max) {
  if (!r.IsValid() || from > to) return;
  const LONGLONG n = (LONGLONG)to - from + 1;
  if (b.first >= from && b.last <= to) {
    r.m_bValid = 0;
    b.last = std::min(b.last, max);
    return;
  }
  LONGLONG first = b.first, last = b.last;
  if (first >= from) first = std::max(std::max((LONGLONG)to, first) - n, (LONGLONG)from);
  if (last >= from) last = std::max((LONGLONG)to, last) - n;
  r.m_bValid = last >= first ? 1 : 0;
  b.first = (ROWCOL)first;
  b.last = (ROWCOL)std::max(last, (LONGLONG)0);
  b.last = std::min(b.last, max);
}

void MoveSpan(Bounds b, ROWCOL from, ROWCOL to, ROWCOL dest, ROWCOL max) {
  if (from > to) return;
  const LONGLONG n = (LONGLONG)to - from + 1;
  const LONGLONG d = dest > from ? (LONGLONG)dest + n : (LONGLONG)dest;
  const LONGLONG t = b.first;
  LONGLONG shift = 0;
  if (from <= t && t <= to && to < d) shift = (LONGLONG)dest - from;
  else if (to < t && t < d) shift = -n;
  else if (from <= t && t <= to && d < from) shift = (LONGLONG)dest - from;
  else if (d <= t && t < from) shift = n;
  b.first = (ROWCOL)(b.first + shift);
  b.last = (ROWCOL)(b.last + shift);
  b.last = std::min(b.last, max);
}

}  // namespace

void CGXRangeList::InsertRows(ROWCOL nRow, ROWCOL nCount) {
  ForEach(*this, [&](CGXRange& r) { InsertSpan(RowBounds(r), nRow, nCount); });
}
void CGXRangeList::InsertCols(ROWCOL nCol, ROWCOL nCount) {
  ForEach(*this, [&](CGXRange& r) { InsertSpan(ColBounds(r), nCol, nCount); });
}
void CGXRangeList::RemoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nMaxRow) {
  ForEach(*this, [&](CGXRange& r) { RemoveSpan(r, RowBounds(r), nFrom, nTo, nMaxRow); });
}
void CGXRangeList::RemoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nMaxCol) {
  ForEach(*this, [&](CGXRange& r) { RemoveSpan(r, ColBounds(r), nFrom, nTo, nMaxCol); });
}
void CGXRangeList::MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, ROWCOL nMaxRow) {
  ForEach(*this, [&](CGXRange& r) { MoveSpan(RowBounds(r), nFrom, nTo, nDest, nMaxRow); });
}
void CGXRangeList::MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, ROWCOL nMaxCol) {
  ForEach(*this, [&](CGXRange& r) { MoveSpan(ColBounds(r), nFrom, nTo, nDest, nMaxCol); });
}

void CGXRangeList::Serialize(CArchive& ar) {
  const WORD kSchema = 1;
  if (ar.IsStoring()) {
    DWORD count = 0;
    POSITION pos = GetHeadPosition();
    while (pos)
      if (GetNext(pos)->IsValid()) ++count;
    ar << kSchema << count;
    pos = GetHeadPosition();
    while (pos) {
      const CGXRange* r = GetNext(pos);
      if (r->IsValid()) ar << *r;
    }
    return;
  }
  WORD schema = 0;
  ar >> schema;
  if (schema != kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  DWORD count = 0;
  ar >> count;
  for (DWORD i = 0; i < count; ++i) {
    CGXRange r;
    ar >> r;
    AddTail(new CGXRange(r));
  }
}
