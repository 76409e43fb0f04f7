#include "platform/ui/UpdateRegion.h"

namespace {
// Appends a - b as up to four disjoint rectangles.
void SubtractInto(const CRect& a, const CRect& b, std::vector<CRect>& out) {
  CRect i;
  if (!i.IntersectRect(&a, &b)) {
    out.push_back(a);
    return;
  }
  if (a.top < i.top) out.emplace_back(a.left, a.top, a.right, i.top);
  if (i.bottom < a.bottom) out.emplace_back(a.left, i.bottom, a.right, a.bottom);
  if (a.left < i.left) out.emplace_back(a.left, i.top, i.left, i.bottom);
  if (i.right < a.right) out.emplace_back(i.right, i.top, a.right, i.bottom);
}
}  // namespace

CRect CUpdateRegion::GetBounds() const {
  CRect b;
  for (const CRect& r : m_rects) b.UnionRect(&b, &r);
  return b;
}

void CUpdateRegion::Add(const RECT& rc) {
  CRect r(rc);
  if (r.IsRectEmpty()) return;
  // Keep rectangles disjoint: add only the parts of r not yet covered.
  std::vector<CRect> pieces{r};
  for (const CRect& have : m_rects) {
    std::vector<CRect> next;
    for (const CRect& p : pieces) SubtractInto(p, have, next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  m_rects.insert(m_rects.end(), pieces.begin(), pieces.end());
  // Bound the fragment count: a region that splinters collapses to its bounds, which only ever
  // repaints more, never less.
  if (m_rects.size() > 64) {
    CRect b = GetBounds();
    m_rects.assign(1, b);
  }
}

void CUpdateRegion::Subtract(const RECT& rc) {
  CRect r(rc);
  if (r.IsRectEmpty() || m_rects.empty()) return;
  std::vector<CRect> next;
  for (const CRect& have : m_rects) SubtractInto(have, r, next);
  m_rects.swap(next);
}

void CUpdateRegion::Add(const CUpdateRegion& other) {
  for (const CRect& r : other.m_rects) Add(r);
}

void CUpdateRegion::Subtract(const CUpdateRegion& other) {
  for (const CRect& r : other.m_rects) Subtract(r);
}

void CUpdateRegion::IntersectWith(const RECT& rc) {
  std::vector<CRect> next;
  for (const CRect& have : m_rects) {
    CRect i;
    if (i.IntersectRect(&have, &rc)) next.push_back(i);
  }
  m_rects.swap(next);
}

void CUpdateRegion::Offset(int dx, int dy) {
  for (CRect& r : m_rects) r.OffsetRect(dx, dy);
}

bool CUpdateRegion::Contains(POINT p) const {
  for (const CRect& r : m_rects)
    if (r.PtInRect(p)) return true;
  return false;
}

bool CUpdateRegion::Intersects(const RECT& rc) const {
  for (const CRect& r : m_rects) {
    CRect i;
    if (i.IntersectRect(&r, &rc)) return true;
  }
  return false;
}
