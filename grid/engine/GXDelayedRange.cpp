#include "grid/engine/GXDelayedRange.h"

#include <algorithm>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CGXDelayedRange, CObject, 1)
IMPLEMENT_SERIAL(CGXDelayedRangePool, CObject, 1)

namespace {

const ROWCOL kNone = 0xFFFFFFFF;
// More rows than a caller can mean: asked ranges are clipped to the table first.
const ROWCOL kMaxRows = 1u << 28;

BOOL Intersects(const CGXRange& a, const CGXRange& b) {
  return a.m_nTop <= b.m_nBottom && b.m_nTop <= a.m_nBottom && a.m_nLeft <= b.m_nRight && b.m_nLeft <= a.m_nRight;
}

}  // namespace

void CGXDelayedRange::CopyFrom(const CGXDelayedRange& other) {
  m_range = other.m_range;
  m_bDone = other.m_bDone;
  m_awRowStart.Copy(other.m_awRowStart);
  m_awRowEnd.Copy(other.m_awRowEnd);
}

void CGXDelayedRange::Serialize(CArchive& ar) {
  if (ar.IsStoring()) ar << m_range;
  else ar >> m_range;
  m_awRowStart.Serialize(ar);
  m_awRowEnd.Serialize(ar);
  // A hostile archive could hand out mismatched halves; keep the pairs that exist.
  if (!ar.IsStoring() && m_awRowStart.GetSize() != m_awRowEnd.GetSize()) {
    const INT_PTR n = std::min(m_awRowStart.GetSize(), m_awRowEnd.GetSize());
    m_awRowStart.SetSize(n);
    m_awRowEnd.SetSize(n);
  }
}

CGXDelayedRangePool::~CGXDelayedRangePool() { RemoveAll(); }

void CGXDelayedRangePool::RemoveAll() {
  for (INT_PTR i = 0; i < m_ranges.GetSize(); ++i) delete m_ranges[i];
  m_ranges.RemoveAll();
}

void CGXDelayedRangePool::RemoveDone() {
  INT_PTR k = 0;
  for (INT_PTR i = 0; i < m_ranges.GetSize(); ++i) {
    CGXDelayedRange* p = GetAt(i);
    if (p->m_bDone) delete p;
    else m_ranges[k++] = p;
  }
  m_ranges.SetSize(k);
}

void CGXDelayedRangePool::AddRange(const CGXRange& in) {
  const CGXRange r = CGXRange().SetCellRange(in.m_nTop, in.m_nLeft, in.m_nBottom, in.m_nRight);
  CGXDelayedRange* reuse = nullptr;
  for (INT_PTR i = 0; i < m_ranges.GetSize(); ++i) {
    CGXDelayedRange* p = GetAt(i);
    if (p->m_bDone) continue;
    CGXRange& q = p->m_range;
    if (r.IsCellInRange(q.m_nTop, q.m_nLeft) && r.IsCellInRange(q.m_nBottom, q.m_nRight)) {
      p->m_bDone = TRUE;
      p->m_awRowStart.RemoveAll();
      p->m_awRowEnd.RemoveAll();
      if (!reuse) reuse = p;
      continue;
    }
    if (p->m_awRowStart.IsEmpty()) {
      if (r.m_nLeft != 0 && q.m_nRight == r.m_nLeft - 1) q.m_nRight = r.m_nRight;
      if (r.m_nTop != 0 && q.m_nBottom == r.m_nTop - 1) q.m_nBottom = r.m_nBottom;
      if (q.IsCellInRange(r.m_nTop, r.m_nLeft) && q.IsCellInRange(r.m_nBottom, r.m_nRight)) {
        if (reuse) RemoveDone();
        return;
      }
    }
  }
  if (!reuse) {
    reuse = new CGXDelayedRange;
    m_ranges.InsertAt(0, reuse);
  }
  reuse->m_range = CGXRange().SetCellRange(r.m_nTop, r.m_nLeft, r.m_nBottom, r.m_nRight);
  reuse->m_awRowStart.RemoveAll();
  reuse->m_awRowEnd.RemoveAll();
  reuse->m_bDone = FALSE;
  RemoveDone();
}

BOOL CGXDelayedRangePool::GetDueIntervals(const CGXRange& r, CDWordArray& firstCols, CDWordArray& lastCols) {
  if (r.m_nBottom < r.m_nTop || r.m_nRight < r.m_nLeft || r.m_nBottom - r.m_nTop >= kMaxRows) return FALSE;
  const INT_PTR rows = (INT_PTR)(r.m_nBottom - r.m_nTop) + 1;
  firstCols.SetSize(rows);
  lastCols.SetSize(rows);
  std::fill(firstCols.GetData(), firstCols.GetData() + rows, kNone);
  std::fill(lastCols.GetData(), lastCols.GetData() + rows, 0);

  // Cut the pooled ranges at the asked columns, so that what intersects lies within them.
  const INT_PTR n = m_ranges.GetSize();
  for (INT_PTR i = 0; i < n; ++i) {
    CGXDelayedRange* p = GetAt(i);
    if (p->m_bDone || !Intersects(p->m_range, r)) continue;
    if (p->m_range.m_nLeft < r.m_nLeft) {
      auto* left = new CGXDelayedRange;
      left->CopyFrom(*p);
      left->m_range.m_nRight = r.m_nLeft - 1;
      m_ranges.Add(left);
      p->m_range.m_nLeft = r.m_nLeft;
    }
    if (p->m_range.m_nRight > r.m_nRight) {
      auto* right = new CGXDelayedRange;
      right->CopyFrom(*p);
      right->m_range.m_nLeft = r.m_nRight + 1;
      m_ranges.Add(right);
      p->m_range.m_nRight = r.m_nRight;
    }
  }

  BOOL bAny = FALSE;
  std::vector<std::pair<DWORD, DWORD>> done;
  for (INT_PTR i = 0; i < n; ++i) {
    CGXDelayedRange* p = GetAt(i);
    if (p->m_bDone || !Intersects(p->m_range, r)) continue;
    const DWORD t = std::max(p->m_range.m_nTop, r.m_nTop), b = std::min(p->m_range.m_nBottom, r.m_nBottom);
    done.clear();
    for (INT_PTR k = 0; k < p->m_awRowStart.GetSize(); ++k) done.emplace_back(p->m_awRowStart[k], p->m_awRowEnd[k]);
    std::sort(done.begin(), done.end());
    // The rows of t..b not yet evaluated.
    BOOL bDue = FALSE;
    DWORD row = t;
    auto fill = [&](DWORD from, DWORD to) {
      bDue = TRUE;
      for (DWORD x = from;; ++x) {
        const INT_PTR k = (INT_PTR)(x - r.m_nTop);
        if (firstCols[k] == kNone || p->m_range.m_nLeft < firstCols[k]) firstCols[k] = p->m_range.m_nLeft;
        lastCols[k] = std::max(lastCols[k], p->m_range.m_nRight);
        if (x == to) break;
      }
    };
    BOOL bToEnd = FALSE;
    for (const auto& [s, e] : done) {
      if (e < row) continue;
      if (s > b) break;
      if (s > row) fill(row, s - 1);
      if (e >= b) {
        bToEnd = TRUE;
        break;
      }
      row = e + 1;
    }
    if (!bToEnd) fill(row, b);
    if (!bDue) continue;
    bAny = TRUE;
    // Record t..b as evaluated, joining neighbouring and overlapping intervals.
    done.emplace_back(t, b);
    std::sort(done.begin(), done.end());
    std::vector<std::pair<DWORD, DWORD>> joined;
    for (const auto& iv : done) {
      if (!joined.empty() && (ULONGLONG)iv.first <= (ULONGLONG)joined.back().second + 1)
        joined.back().second = std::max(joined.back().second, iv.second);
      else joined.push_back(iv);
    }
    p->m_awRowStart.SetSize((INT_PTR)joined.size());
    p->m_awRowEnd.SetSize((INT_PTR)joined.size());
    for (size_t k = 0; k < joined.size(); ++k) {
      p->m_awRowStart[(INT_PTR)k] = joined[k].first;
      p->m_awRowEnd[(INT_PTR)k] = joined[k].second;
    }
    if (joined.size() == 1 && joined[0].first <= p->m_range.m_nTop && joined[0].second >= p->m_range.m_nBottom)
      p->m_bDone = TRUE;
  }
  RemoveDone();
  return bAny;
}

void CGXDelayedRangePool::ClipRows(ROWCOL nRowCount) {
  for (INT_PTR i = 0; i < m_ranges.GetSize(); ++i) {
    CGXRange& q = GetAt(i)->m_range;
    q.m_nTop = std::min(q.m_nTop, nRowCount);
    q.m_nBottom = std::min(q.m_nBottom, nRowCount);
  }
}

void CGXDelayedRangePool::ClipCols(ROWCOL nColCount) {
  for (INT_PTR i = 0; i < m_ranges.GetSize(); ++i) {
    CGXRange& q = GetAt(i)->m_range;
    q.m_nLeft = std::min(q.m_nLeft, nColCount);
    q.m_nRight = std::min(q.m_nRight, nColCount);
  }
}

void CGXDelayedRangePool::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    m_ranges.Serialize(ar);
    return;
  }
  RemoveAll();
  // Laid out as an object array. The pool owns its ranges, so each must be one read anew: a
  // back-reference names an object that something else owns (the pool itself, or a range taken
  // already), and refuses the archive as an object of another kind does.
  const DWORD_PTR count = ar.ReadCount();
  try {
    for (DWORD_PTR i = 0; i < count; ++i)
      if (CObject* o = ar.ReadNewObject(RUNTIME_CLASS(CGXDelayedRange))) m_ranges.Add(o);
  } catch (...) {
    RemoveAll();
    throw;
  }
}
