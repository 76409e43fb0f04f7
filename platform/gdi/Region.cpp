#include "platform/gdi/GdiInternal.h"

#include <algorithm>
#include <cmath>

namespace gdi {
namespace {

struct Band {
  int top, bottom;
  std::vector<std::pair<int, int>> xs;  // sorted, disjoint [l, r)
};

std::vector<Band> ToBands(const Region& r) {
  std::vector<Band> bands;
  for (const RECT& rc : r.rects) {
    if (bands.empty() || bands.back().top != rc.top)
      bands.push_back(Band{rc.top, rc.bottom, {}});
    bands.back().xs.emplace_back(rc.left, rc.right);
  }
  return bands;
}

std::vector<std::pair<int, int>> CombineSpans(const std::vector<std::pair<int, int>>* a,
                                              const std::vector<std::pair<int, int>>* b, int mode) {
  static const std::vector<std::pair<int, int>> none;
  const auto& A = a ? *a : none;
  const auto& B = b ? *b : none;
  std::vector<std::pair<int, int>> out;
  if (mode == RGN_COPY) return A;
  std::vector<int> xs;
  xs.reserve((A.size() + B.size()) * 2);
  for (auto& s : A) { xs.push_back(s.first); xs.push_back(s.second); }
  for (auto& s : B) { xs.push_back(s.first); xs.push_back(s.second); }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    int x0 = xs[i], x1 = xs[i + 1];
    while (ia < A.size() && A[ia].second <= x0) ++ia;
    while (ib < B.size() && B[ib].second <= x0) ++ib;
    bool inA = ia < A.size() && A[ia].first <= x0;
    bool inB = ib < B.size() && B[ib].first <= x0;
    bool in = false;
    switch (mode) {
      case RGN_AND: in = inA && inB; break;
      case RGN_OR: in = inA || inB; break;
      case RGN_XOR: in = inA != inB; break;
      case RGN_DIFF: in = inA && !inB; break;
    }
    if (!in) continue;
    if (!out.empty() && out.back().second == x0)
      out.back().second = x1;
    else
      out.emplace_back(x0, x1);
  }
  return out;
}

Region FromBands(std::vector<Band>& bands) {
  // Merge vertically adjacent bands with the same spans.
  std::vector<Band> merged;
  for (auto& b : bands) {
    if (b.xs.empty() || b.bottom <= b.top) continue;
    if (!merged.empty() && merged.back().bottom == b.top && merged.back().xs == b.xs)
      merged.back().bottom = b.bottom;
    else
      merged.push_back(std::move(b));
  }
  Region r;
  for (auto& b : merged)
    for (auto& s : b.xs) r.rects.push_back(RECT{s.first, b.top, s.second, b.bottom});
  return r;
}

}  // namespace

Region Region::FromRect(int l, int t, int r, int b) {
  Region rg;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l < r && t < b) rg.rects.push_back(RECT{l, t, r, b});
  return rg;
}

Region Region::FromPolygon(const POINT* pts, int n, int fillMode) {
  Region rg;
  if (!pts || n < 3) return rg;
  int minY = pts[0].y, maxY = pts[0].y;
  for (int i = 1; i < n; ++i) { minY = std::min<int>(minY, pts[i].y); maxY = std::max<int>(maxY, pts[i].y); }
  std::vector<Band> bands;
  std::vector<std::pair<double, int>> cross;
  for (int y = minY; y < maxY; ++y) {
    double yc = y + 0.5;
    cross.clear();
    for (int i = 0; i < n; ++i) {
      const POINT& p = pts[i];
      const POINT& q = pts[(i + 1) % n];
      if (p.y == q.y) continue;
      double y0 = p.y, y1 = q.y;
      int dir = 1;
      double x0 = p.x, x1 = q.x;
      if (y0 > y1) { std::swap(y0, y1); std::swap(x0, x1); dir = -1; }
      if (yc < y0 || yc >= y1) continue;
      cross.emplace_back(x0 + (yc - y0) * (x1 - x0) / (y1 - y0), dir);
    }
    std::sort(cross.begin(), cross.end());
    Band b{y, y + 1, {}};
    int wind = 0;
    for (size_t i = 0; i + 1 < cross.size(); ++i) {
      wind += cross[i].second;
      bool inside = fillMode == WINDING ? wind != 0 : (i % 2) == 0;
      if (!inside) continue;
      int xl = (int)std::ceil(cross[i].first - 0.5);
      int xr = (int)std::ceil(cross[i + 1].first - 0.5);
      if (xr <= xl) continue;
      if (!b.xs.empty() && b.xs.back().second >= xl)
        b.xs.back().second = std::max(b.xs.back().second, xr);
      else
        b.xs.emplace_back(xl, xr);
    }
    bands.push_back(std::move(b));
  }
  return FromBands(bands);
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  if (mode == RGN_COPY) return a;
  std::vector<Band> A = ToBands(a), B = ToBands(b), out;
  std::vector<int> ys;
  for (auto& x : A) { ys.push_back(x.top); ys.push_back(x.bottom); }
  for (auto& x : B) { ys.push_back(x.top); ys.push_back(x.bottom); }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    int y0 = ys[i], y1 = ys[i + 1];
    while (ia < A.size() && A[ia].bottom <= y0) ++ia;
    while (ib < B.size() && B[ib].bottom <= y0) ++ib;
    const auto* sa = (ia < A.size() && A[ia].top <= y0) ? &A[ia].xs : nullptr;
    const auto* sb = (ib < B.size() && B[ib].top <= y0) ? &B[ib].xs : nullptr;
    if (!sa && !sb) continue;
    out.push_back(Band{y0, y1, CombineSpans(sa, sb, mode)});
  }
  return FromBands(out);
}

RECT Region::Bounds() const {
  if (rects.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects[0];
  for (const RECT& r : rects) {
    b.left = std::min(b.left, r.left);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

bool Region::Contains(int x, int y) const {
  // Rectangles are sorted by top; a binary search finds the first band that can hold y.
  auto it = std::lower_bound(rects.begin(), rects.end(), y,
                             [](const RECT& r, int yy) { return r.bottom <= yy; });
  for (; it != rects.end() && it->top <= y; ++it)
    if (y < it->bottom && x >= it->left && x < it->right) return true;
  return false;
}

bool Region::Intersects(const RECT& r) const {
  if (r.left >= r.right || r.top >= r.bottom) return false;
  for (const RECT& q : rects)
    if (q.left < r.right && r.left < q.right && q.top < r.bottom && r.top < q.bottom) return true;
  return false;
}

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects) { r.left += dx; r.right += dx; r.top += dy; r.bottom += dy; }
}

bool Region::operator==(const Region& o) const {
  if (rects.size() != o.rects.size()) return false;
  for (size_t i = 0; i < rects.size(); ++i)
    if (rects[i].left != o.rects[i].left || rects[i].top != o.rects[i].top ||
        rects[i].right != o.rects[i].right || rects[i].bottom != o.rects[i].bottom)
      return false;
  return true;
}

}  // namespace gdi
