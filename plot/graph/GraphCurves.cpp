// Graph window: the curves, limited to the visible part of monotone curves, and their point markers.
#include "plot/graph/DotDC.h"
#include "plot/graph/GraphWindow.h"
#include "plot/curves/PlotUnits.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

// The display transform of one source, taken once per curve: stored values map to display
// values by a factor and an offset.
struct Affine {
  double a = 1, b = 0;
  Affine(const CCurve* c, const CString& unit, CMC_Units* units) {
    b = CXYCurve::ToDisplay(c, unit, 0.0, units);
    a = CXYCurve::ToDisplay(c, unit, 1.0, units) - b;
  }
  double operator()(double s) const { return IsMissingSample(s) ? PLOT_MISSING : a * s + b; }
};

// Block minima, maxima and missing flags of a source's samples, kept while its samples stay the same.
struct BlockSummary {
  static constexpr int kBlock = 32;
  uint64_t version = 0;
  int size = -1;
  std::vector<double> lo, hi;
  std::vector<char> missing;

  void Build(const CFloatArray& a) {
    version = a.GetVersion();
    size = a.GetSize();
    const double* v = a.GetData();
    size_t blocks = (size_t)(size + kBlock - 1) / kBlock;
    lo.assign(blocks, 0), hi.assign(blocks, 0), missing.assign(blocks, 0);
    for (size_t b = 0; b < blocks; ++b) {
      int end = std::min(size, (int)(b + 1) * kBlock);
      double l = 1e308, h = -1e308;
      char m = 0;
      for (int i = (int)b * kBlock; i < end; ++i) {
        if (IsMissingSample(v[i]) || std::isnan(v[i])) {
          m = 1;
          continue;
        }
        l = std::min(l, v[i]), h = std::max(h, v[i]);
      }
      lo[b] = l, hi[b] = h, missing[b] = m;
    }
  }
  // Minimum and maximum of samples i0..i1; false when one of them is missing.
  bool Range(const double* v, int i0, int i1, double& l, double& h) const {
    l = 1e308, h = -1e308;
    int i = i0;
    auto one = [&](int k) {
      if (IsMissingSample(v[k]) || std::isnan(v[k])) return false;
      l = std::min(l, v[k]), h = std::max(h, v[k]);
      return true;
    };
    for (; i <= i1 && i % kBlock != 0; ++i)
      if (!one(i)) return false;
    for (; i + kBlock - 1 <= i1; i += kBlock) {
      size_t b = (size_t)(i / kBlock);
      if (missing[b]) return false;
      l = std::min(l, lo[b]), h = std::max(h, hi[b]);
    }
    for (; i <= i1; ++i)
      if (!one(i)) return false;
    return true;
  }
};

const BlockSummary& SummaryOf(const CFloatArray* a) {
  static std::unordered_map<const CFloatArray*, BlockSummary> cache;
  auto it = cache.find(a);
  if (it != cache.end() && it->second.version == a->GetVersion() && it->second.size == a->GetSize()) return it->second;
  if (cache.size() > 64) cache.clear();
  BlockSummary& s = cache[a];
  s.Build(*a);
  return s;
}

bool Monotone(const CCurve* c) {
  return c->GetMonotone() == CFloatArray::monoAscending || c->GetMonotone() == CFloatArray::monoDescending;
}

// A spline that could not be built (fewer than four points) is drawn with straight segments.
bool Straight(const CXYCurve* c) {
  return c->m_nDrawMode == CXYCurve::drawLines || (c->m_nDrawMode == CXYCurve::drawSpline && c->m_spline.IsEmpty());
}

}  // namespace

void CGraphWindow::NarrowDrawDomain(CCurve* curve, int& first, int& last, double lo, double hi) {
  if (!curve || first < 0 || last < first || last >= curve->GetSize()) return;
  if (lo > hi) std::swap(lo, hi);
  const double* v = curve->GetData();
  switch (curve->GetMonotone()) {
    case CFloatArray::monoAscending:
      if (v[first] > hi || v[last] < lo) {
        last = -1;
        return;
      }
      if (v[first] < lo) first = (int)(std::lower_bound(v + first, v + last + 1, lo) - v) - 1;
      if (v[last] > hi) last = (int)(std::upper_bound(v + first, v + last + 1, hi) - v);
      break;
    case CFloatArray::monoDescending: {
      if (v[first] < lo || v[last] > hi) {
        last = -1;
        return;
      }
      auto above = [&](int i) { return v[i] > hi; };
      auto notBelow = [&](int i) { return v[i] >= lo; };
      if (v[first] > hi) {
        int a = first, b = last;  // last index with value > hi
        while (a < b) {
          int m = a + (b - a + 1) / 2;
          if (above(m)) a = m; else b = m - 1;
        }
        first = a;
      }
      if (v[last] < lo) {
        int a = first, b = last;  // first index with value < lo
        while (a < b) {
          int m = a + (b - a) / 2;
          if (notBelow(m)) a = m + 1; else b = m;
        }
        last = a;
      }
      break;
    }
    default:
      if (v[first] < lo || v[first] > hi) {
        last = -1;
        return;
      }
  }
  if (first > 0) --first;
}

void CGraphWindow::DrawCurves(CDC* dc, LPCRECT rect) {
  if (!m_pPlot || m_rcDraw.IsRectEmpty()) return;
  // Curves draw on the drawing rectangle's far edges too: an update there alone draws them. Point
  // boxes reach two pixels further, onto the frame: an update there draws only them.
  CRect clip(m_rcDraw.left, m_rcDraw.top, m_rcDraw.right + 1, m_rcDraw.bottom + 1), reach(m_rcDraw), upd;
  reach.InflateRect(2, 2);
  const bool lines = !rect || upd.IntersectRect(rect, &clip);
  if (!lines && !CRect().IntersectRect(rect, &reach)) return;
  CGraphFilter& p = *m_pPlot;
  CMC_Units* units = p.GetUnits();
  int oldBk = dc->SetBkMode(TRANSPARENT);
  for (int ci = 0; ci < p.GetSize(); ++ci) {
    CXYCurve* c = p.GetAt(ci);
    if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
    CCurve *xs = c->m_pXCurve, *ys = c->m_pYCurve;
    int n = std::min({xs->GetUpperValid(), ys->GetUpperValid(), xs->GetSize() - 1, ys->GetSize() - 1});
    if (n < 1) continue;
    int axis = c->m_nAxis == 1 ? 1 : 2;
    double ylo = YMin(axis), yhi = YMax(axis);
    if (m_nExStyle != 4) {
      double x0 = c->GetXMin(units), x1 = c->GetXMax(units), y0 = c->GetYMin(units), y1 = c->GetYMax(units);
      if (x0 > m_dXMax || x1 < m_dXMin || y0 > yhi || y1 < ylo) {
        m_dashPhase.erase(c);
        continue;
      }
    }
    // The samples whose pixels fall in the area drawn: a sample's pixels reach half a pixel and its
    // pen's width beyond its value. A dash pattern starts at the first point drawn, so a patterned
    // curve starts where a whole repaint starts it and repainting a part shows the same dashes; arriving
    // pieces go on from the phase that repaint left at the first sample of the part.
    const bool dashed = CDotDC::GetPattern(c->m_nPenStyle) != 0;
    auto kept = m_dashPhase.find(c);
    bool goOn = lines && dashed && m_bArriving && kept != m_dashPhase.end() && Straight(c);
    int first, last;
    auto narrow = [&](CRect area) {
      first = lines ? 0 : 1, last = lines ? n : 0;
      area.InflateRect(std::max(c->m_nWidth, 1) + 1, std::max(c->m_nWidth, 1) + 1);
      if (Monotone(xs))
        NarrowDrawDomain(xs, first, last, c->TransformXCoordToSavedUnit(GetXCoord(area.left), units),
                         c->TransformXCoordToSavedUnit(GetXCoord(area.right), units));
      if (last >= first && Monotone(ys))
        NarrowDrawDomain(ys, first, last, c->TransformYCoordToSavedUnit(GetYCoord(area.bottom, axis), units),
                         c->TransformYCoordToSavedUnit(GetYCoord(area.top, axis), units));
    };
    narrow(rect && (!dashed || goOn) ? upd : clip);
    std::vector<DWORD>* phases = nullptr;
    if (goOn) {
      std::vector<DWORD>& t = kept->second;
      while (first <= last && (first >= (int)t.size() || t[(size_t)first] == kNoPhase)) ++first;
      if (first <= last) {
        c->m_dwDrawState = t[(size_t)first];
        t.resize(std::max(t.size(), (size_t)n + 1), kNoPhase);
        phases = &t;
      } else {
        goOn = false;
        narrow(clip);
      }
    }
    if (dashed && lines && !goOn && m_nDrawMode != 2) {
      phases = &m_dashPhase[c];
      phases->assign((size_t)n + 1, kNoPhase);
    }
    if (last >= first) {
      CurveLine(dc, c, first, last, n, phases, goOn);
    } else if (lines) {
      // Drawn nowhere, the curve has no dashes for an arriving piece to go on from.
      m_dashPhase.erase(c);
    }
    if (m_nExStyle == 1) {
      for (int k = 0; k <= n; ++k) {
        bool selected = ci == m_nSelCurve && k == m_nSelPoint;
        FillPointBox(dc, c, k, selected ? RGB(255 - GetRValue(c->m_crColor), 0, 0) : c->m_crColor);
      }
    } else if (m_nExStyle == 3 && m_pMarked) {
      // The selected position keeps the highlight a selection gave it.
      for (int m = 0; m < m_pMarked->GetSize(); ++m) {
        int k = (int)m_pMarked->GetAt(m);
        if (k <= n) FillPointBox(dc, c, k, m == m_nSelPoint ? RGB(255 - GetRValue(c->m_crColor), 0, 0) : c->m_crColor);
      }
    }
  }
  dc->SetBkMode(oldBk);
}

CRect CGraphWindow::PointBox(CXYCurve* c, int k) const {
  CMC_Units* units = m_pPlot->GetUnits();
  double x = c->GetXPointValue(k, units), y = c->GetYPointValue(k, units);
  CRect r(0, 0, 0, 0);
  if (!IsMissingSample(x) && !IsMissingSample(y)) GetPointBoundRect(&r, x, y, c->m_nAxis);
  return r;
}

void CGraphWindow::FillPointBox(CDC* dc, CXYCurve* c, int k, COLORREF color) {
  // Boxes of points beyond the view stay off the scales and titles around the plot area.
  CRect area(m_rcDraw);
  area.InflateRect(2, 2);
  CRect r = PointBox(c, k);
  if (!r.IntersectRect(&r, &area)) return;
  CBrush brush(color);
  dc->FillRect(&r, &brush);
}

void CGraphWindow::CurveLine(CDC* dc, CXYCurve* c, int first, int last, int n, std::vector<DWORD>* phases,
                             bool goOn) {
  CMC_Units* units = m_pPlot->GetUnits();
  CRect clip(m_rcDraw.left, m_rcDraw.top, m_rcDraw.right + 1, m_rcDraw.bottom + 1);
  CDotDC dot(dc->m_hDC, c, clip);
  int axis = c->m_nAxis == 1 ? 1 : 2;
  auto keep = [&](int k) {
    if (phases) (*phases)[(size_t)k] = (DWORD)dot.GetStepCounter();
  };
  if (Straight(c)) {
    const double* xs = c->m_pXCurve->GetData();
    const double* ys = c->m_pYCurve->GetData();
    Affine fx(c->m_pXCurve, c->m_strXUnit, units), fy(c->m_pYCurve, c->m_strYUnit, units);
    bool down = false;
    auto step = [&](int from, int to) {
      for (int k = from; k <= to; ++k) {
        double x = fx(xs[k]), y = fy(ys[k]);
        if (IsMissingSample(x) || IsMissingSample(y)) {
          down = false;
          continue;
        }
        int px = MapX(x), py = MapY(y, axis);
        if (down)
          dot.LineTo(px, py);
        else if (goOn && k == first)
          dot.MoveToKeepTrack(px, py);
        else
          dot.MoveTo(px, py);
        down = true;
        keep(k);
      }
    };
    double lx, hx;
    bool columns = dot.IsFastSolid() && Monotone(c->m_pXCurve) && last - first > 4 * m_rcDraw.Width() &&
                   SummaryOf(c->m_pXCurve).Range(xs, first, last, lx, hx);
    if (!columns) {
      step(first, last);
      return;
    }
    // A monotone X puts each pixel column's samples side by side: a column lights the run between its
    // lowest and highest sample, so it is drawn from its first, extreme and last samples. The last
    // column, and one before a gap, are stepped sample by sample, where the run's end matters.
    const BlockSummary& ysum = SummaryOf(c->m_pYCurve);
    auto column = [&](int k) { return MapX(fx(xs[k])); };
    int guess = 1;  // samples in the previous column: the next one usually holds as many
    for (int k = first; k <= last;) {
      int px = column(k);
      // The column's last sample: probe where the previous column's width puts it, then search
      // from there, so that a column costs a few nearby reads rather than a search of the array.
      int j = std::min(last, k + guess - 1), stride = 1;
      if (column(j) == px) {
        while (j + stride <= last && column(j + stride) == px) j += stride, stride *= 2;
        for (; stride > 0; stride /= 2)
          if (j + stride <= last && column(j + stride) == px) j += stride;
      } else {
        int lo = k, hi = j - 1;  // column(lo) is px, column(hi + 1) is not
        while (lo < hi) {
          int m = lo + (hi - lo + 1) / 2;
          if (column(m) == px) lo = m; else hi = m - 1;
        }
        j = lo;
      }
      guess = j - k + 1;
      double lo, hi;
      if (j - k < 8 || j == last || IsMissingSample(ys[j + 1]) || !ysum.Range(ys, k, j, lo, hi)) {
        step(k, j);
        k = j + 1;
        continue;
      }
      int py = MapY(fy(ys[k]), axis);
      if (down)
        dot.LineTo(px, py);
      else
        dot.MoveTo(px, py);
      down = true;
      dot.LineTo(px, MapY(fy(lo), axis));
      dot.LineTo(px, MapY(fy(hi), axis));
      dot.LineTo(px, MapY(fy(ys[j]), axis));
      k = j + 1;
    }
    return;
  }
  if (c->m_nDrawMode != CXYCurve::drawSpline || c->m_spline.IsEmpty()) return;
  if (last < n) ++last;
  auto splineAt = [&](double xd) {
    double s = c->m_spline.GetY(c->TransformXCoordToSavedUnit(xd, units));
    return c->TransformSavedUnitToYCoord(s, units);
  };
  int start = std::max(first, 1);
  double x0 = std::max(c->GetXPointValue(start - 1, units), m_dXMin);
  fMoveTo(&dot, x0, splineAt(x0), axis);
  for (int k = start; k <= last; ++k) {
    double a = std::max(c->GetXPointValue(k - 1, units), m_dXMin);
    double b = std::min(c->GetXPointValue(k, units), m_dXMax);
    for (int j = 1; j < 20; ++j) {
      double x = a + (b - a) * j / 20;
      fLineTo(&dot, x, splineAt(x), axis);
    }
    fLineTo(&dot, c->GetXPointValue(k, units), c->GetYPointValue(k, units), axis);
    keep(k);
  }
}
