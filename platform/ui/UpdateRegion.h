// A region kept as disjoint rectangles: the update regions and scroll bookkeeping of windows.
#pragma once

#include "platform/core/Types.h"

#include <vector>

class CUpdateRegion {
 public:
  bool IsEmpty() const { return m_rects.empty(); }
  void SetEmpty() { m_rects.clear(); }
  const std::vector<CRect>& Rects() const { return m_rects; }
  CRect GetBounds() const;

  // Collapses to the bounds when it splinters: right for what is to be painted again, which may grow.
  void Add(const RECT& r);
  // For a rectangle that overlaps none of the region's: never collapsed, for regions that must not grow
  // (what a window shows, what a scroll may move).
  void AddDisjoint(const RECT& r) {
    if (r.left < r.right && r.top < r.bottom) m_rects.emplace_back(r);
  }
  // The parts of `region` within `r`, each its own rectangle: pieces of disjoint rectangles stay disjoint.
  void AddDisjointWithin(const CUpdateRegion& region, const RECT& r) {
    for (const CRect& u : region.Rects()) {
      CRect piece;
      if (piece.IntersectRect(&u, &r)) m_rects.push_back(piece);
    }
  }
  void Subtract(const RECT& r);
  void Add(const CUpdateRegion& other);
  void Subtract(const CUpdateRegion& other);
  void IntersectWith(const RECT& r);
  void Offset(int dx, int dy);
  bool Contains(POINT p) const;
  bool Intersects(const RECT& r) const;
  // NULLREGION 1, SIMPLEREGION 2, COMPLEXREGION 3.
  int Complexity() const { return m_rects.empty() ? 1 : (m_rects.size() == 1 ? 2 : 3); }

 private:
  std::vector<CRect> m_rects;
};
