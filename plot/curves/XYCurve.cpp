#include "plot/curves/XYCurve.h"

#include "plot/graph/ColorFactory.h"
#include "plot/curves/PlotUnits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

IMPLEMENT_SERIAL(CXYCurve, CObject, 0)

const BYTE CXYCurve::m_nVerCXYCurve = 0;

CXYCurve::CXYCurve() = default;

CXYCurve::CXYCurve(const CDWordArray& usedColors) : m_crColor(CColorFactory::GetDefColor(usedColors)) {}

CXYCurve::CXYCurve(const CXYCurve& other) : CObject() { *this = other; }

CXYCurve& CXYCurve::operator=(const CXYCurve& other) {
  if (this == &other) return *this;
  m_nAxis = other.m_nAxis;
  m_nPenStyle = other.m_nPenStyle;
  m_nDrawMode = other.m_nDrawMode;
  m_crColor = other.m_crColor;
  m_nWidth = other.m_nWidth;
  m_strXUnit = other.m_strXUnit;
  m_strYUnit = other.m_strYUnit;
  m_nXCurve = other.m_nXCurve;
  m_nYCurve = other.m_nYCurve;
  m_pXCurve = nullptr;
  m_pYCurve = nullptr;
  m_dwDrawState = 0;
  ResetLimits();
  return *this;
}

void CXYCurve::ResetLimits() {
  m_dXMin = m_dYMin = -1e99;
  m_dXMax = m_dYMax = 1e99;
}

double CXYCurve::ToDisplay(const CCurve* c, const CString& unit, double s, CMC_Units* units) {
  if (IsMissingSample(s)) return PLOT_MISSING;
  double v;
  if (PlotUnits::IsInternalUnit(unit)) {
    v = s / c->m_dFactor - c->m_dOffset;
  } else {
    v = s;
    CMC_Units* table = c->m_pUnits ? c->m_pUnits : units;
    if (table && !PlotUnits::ConvertValue(table, v, c->m_strStoredUnit, unit)) v = s;
  }
  return (v - c->m_dOscOffset) / c->m_dOscScale;
}

double CXYCurve::FromDisplay(const CCurve* c, const CString& unit, double v, CMC_Units* units) {
  v = v * c->m_dOscScale + c->m_dOscOffset;
  if (!PlotUnits::IsInternalUnit(unit)) {
    CMC_Units* table = c->m_pUnits ? c->m_pUnits : units;
    double w = v;
    if (table && PlotUnits::ConvertValue(table, w, unit, c->m_strStoredUnit)) v = w;
    return v;
  }
  return (c->m_dOffset + v) * c->m_dFactor;
}

int CXYCurve::GetPointCount() const {
  if (!m_pXCurve || !m_pYCurve) return 0;
  int n = std::min(m_pXCurve->GetUpperValid(), m_pYCurve->GetUpperValid()) + 1;
  n = std::min(n, std::min(m_pXCurve->GetSize(), m_pYCurve->GetSize()));
  return std::max(n, 0);
}

double CXYCurve::GetXPointValue(int i, CMC_Units* units) const {
  if (!m_pXCurve || i < 0 || i >= m_pXCurve->GetSize()) return PLOT_MISSING;
  return ToDisplay(m_pXCurve, m_strXUnit, m_pXCurve->GetData()[i], units);
}

double CXYCurve::GetYPointValue(int i, CMC_Units* units) const {
  if (!m_pYCurve || i < 0 || i >= m_pYCurve->GetSize()) return PLOT_MISSING;
  return ToDisplay(m_pYCurve, m_strYUnit, m_pYCurve->GetData()[i], units);
}

// Whichever end maps lower is the minimum, so a negative factor or scale cannot swap the range.
double CXYCurve::LimitThrough(const CCurve* c, const CString& unit, double lo, double hi, bool wantMin,
                              CMC_Units* units) const {
  if (!c) return wantMin ? lo : hi;
  double a = ToDisplay(c, unit, lo, units);
  double b = ToDisplay(c, unit, hi, units);
  return wantMin ? std::min(a, b) : std::max(a, b);
}

double CXYCurve::GetXMin(CMC_Units* units) const {
  return LimitThrough(m_pXCurve, m_strXUnit, m_dXMin, m_dXMax, true, units);
}
double CXYCurve::GetXMax(CMC_Units* units) const {
  return LimitThrough(m_pXCurve, m_strXUnit, m_dXMin, m_dXMax, false, units);
}
double CXYCurve::GetYMin(CMC_Units* units) const {
  return LimitThrough(m_pYCurve, m_strYUnit, m_dYMin, m_dYMax, true, units);
}
double CXYCurve::GetYMax(CMC_Units* units) const {
  return LimitThrough(m_pYCurve, m_strYUnit, m_dYMin, m_dYMax, false, units);
}

double CXYCurve::TransformSavedUnitToXCoord(double v, CMC_Units* units) const {
  return m_pXCurve ? ToDisplay(m_pXCurve, m_strXUnit, v, units) : v;
}
double CXYCurve::TransformSavedUnitToYCoord(double v, CMC_Units* units) const {
  return m_pYCurve ? ToDisplay(m_pYCurve, m_strYUnit, v, units) : v;
}
double CXYCurve::TransformXCoordToSavedUnit(double v, CMC_Units* units) const {
  return m_pXCurve ? FromDisplay(m_pXCurve, m_strXUnit, v, units) : v;
}
double CXYCurve::TransformYCoordToSavedUnit(double v, CMC_Units* units) const {
  return m_pYCurve ? FromDisplay(m_pYCurve, m_strYUnit, v, units) : v;
}

double CXYCurve::GetXOscOffset() const { return m_pXCurve ? -m_pXCurve->m_dOscOffset / m_pXCurve->m_dOscScale : 0.0; }
double CXYCurve::GetYOscOffset() const { return m_pYCurve ? -m_pYCurve->m_dOscOffset / m_pYCurve->m_dOscScale : 0.0; }

void CXYCurve::AddPointToLimits(int i) {
  if (!m_pXCurve || !m_pYCurve || i < 0 || i >= m_pXCurve->GetSize() || i >= m_pYCurve->GetSize()) return;
  double x = m_pXCurve->GetData()[i];
  double y = m_pYCurve->GetData()[i];
  if (!IsMissingSample(x)) {
    if (x < m_dXMin) m_dXMin = x;
    if (x > m_dXMax) m_dXMax = x;
  }
  if (!IsMissingSample(y)) {
    if (y < m_dYMin) m_dYMin = y;
    if (y > m_dYMax) m_dYMax = y;
  }
}

namespace {

struct Range {
  double lo = 1e99, hi = -1e99;
};

inline bool Missing(double x) { return x >= PLOT_MISSING && (x == PLOT_MISSING || x == PLOT_NOT_AVAILABLE); }

// Widens r by the values of v, skipping missing samples. This runs over every sample of every
// curve each time a plot is laid out: four independent minima and maxima keep the pipeline full.
void Widen(Range& r, const double* v, int n) {
  double lo[4] = {r.lo, r.lo, r.lo, r.lo}, hi[4] = {r.hi, r.hi, r.hi, r.hi};
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    for (int k = 0; k < 4; ++k) {
      double x = v[i + k];
      if (Missing(x)) continue;
      lo[k] = x < lo[k] ? x : lo[k];
      hi[k] = x > hi[k] ? x : hi[k];
    }
  }
  for (; i < n; ++i) {
    double x = v[i];
    if (Missing(x)) continue;
    lo[0] = x < lo[0] ? x : lo[0];
    hi[0] = x > hi[0] ? x : hi[0];
  }
  r.lo = std::min(std::min(lo[0], lo[1]), std::min(lo[2], lo[3]));
  r.hi = std::max(std::max(hi[0], hi[1]), std::max(hi[2], hi[3]));
}

void OpenDegenerate(double& lo, double& hi) {
  double m = std::max(std::fabs(lo), std::fabs(hi));
  if (m * 0.0001 < std::fabs(lo - hi)) return;
  if (m <= (double)1e-20f) {
    lo -= 0.0001;
    hi += 0.0001;
  } else if (lo >= 0.0) {
    lo = 0.0;
    hi = m;
  } else if (hi <= 0.0) {
    lo = -m;
    hi = 0.0;
  }
}

}  // namespace

int CXYCurve::ComputeLimits() {
  m_dXMin = m_dYMin = 1e99;
  m_dXMax = m_dYMax = -1e99;
  auto unit = [this]() {
    m_dXMin = m_dYMin = 0.0;
    m_dXMax = m_dYMax = 1.0;
  };
  if (!m_pXCurve || !m_pYCurve) {
    m_pXCurve = m_pYCurve = nullptr;
    unit();
    return 0;
  }
  const int n = GetPointCount();
  if (n == 0) {
    unit();
    return 0;
  }
  const double* x = m_pXCurve->GetData();
  const double* y = m_pYCurve->GetData();
  Range rx, ry;
  bool splined = false;
  if (m_nDrawMode == drawSpline && n >= 4) {
    // A missing sample cannot be splined through: such a curve is drawn with straight segments.
    bool missing = false;
    for (int i = 0; i < n && !missing; ++i) missing = IsMissingSample(x[i]) || IsMissingSample(y[i]);
    if (missing || !m_spline.Init(n, x, y)) {
      m_nDrawMode = drawLines;
      m_spline.Clean();
    } else {
      splined = true;
    }
  } else {
    m_spline.Clean();
  }
  if (splined) {
    // Between two samples the spline is one cubic: four values of it give the nineteen interior
    // points through fixed interpolation weights, at a fraction of the cost of nineteen evaluations.
    static const auto weights = [] {
      std::array<std::array<double, 4>, 19> w{};
      for (int k = 1; k <= 19; ++k)
        for (int j = 0; j < 4; ++j) {
          double u = k / 20.0, l = 1.0;
          for (int q = 0; q < 4; ++q)
            if (q != j) l *= (u - q / 3.0) / (j / 3.0 - q / 3.0);
          w[(size_t)k - 1][(size_t)j] = l;
        }
      return w;
    }();
    double px[19], py[19];
    for (int i = 0; i + 1 < n; ++i) {
      double step = x[i + 1] - x[i];
      double p0 = m_spline.GetYBetween(i, x[i]);
      double p1 = m_spline.GetYBetween(i, x[i] + step / 3.0);
      double p2 = m_spline.GetYBetween(i, x[i] + step * 2.0 / 3.0);
      double p3 = m_spline.GetYBetween(i, x[i + 1]);
      for (int k = 0; k < 19; ++k) {
        const auto& w = weights[(size_t)k];
        px[k] = x[i] + step * (k + 1) / 20.0;
        py[k] = w[0] * p0 + w[1] * p1 + w[2] * p2 + w[3] * p3;
      }
      Widen(rx, px, 19);
      Widen(ry, py, 19);
    }
  }
  Widen(rx, x, n);
  Widen(ry, y, n);
  if (rx.lo > rx.hi || ry.lo > ry.hi) {
    unit();
    return 3;
  }
  OpenDegenerate(rx.lo, rx.hi);
  OpenDegenerate(ry.lo, ry.hi);
  m_dXMin = rx.lo;
  m_dXMax = rx.hi;
  m_dYMin = ry.lo;
  m_dYMax = ry.hi;
  return 3;
}

void CXYCurve::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCXYCurve;
    ar << (short)m_nAxis << (short)m_nPenStyle << (short)m_nDrawMode;
    ar << (DWORD)m_crColor;
    ar << (short)m_nWidth;
    ar << (DWORD)m_nXCurve << (DWORD)m_nYCurve;
    ar << m_strXUnit << m_strYUnit;
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema != 0) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  short axis, pen, mode, width;
  DWORD color, xi, yi;
  ar >> axis >> pen >> mode >> color >> width >> xi >> yi;
  ar >> m_strXUnit >> m_strYUnit;
  m_nAxis = axis;
  m_nPenStyle = pen;
  m_nDrawMode = mode;
  m_crColor = color;
  m_nWidth = width;
  m_nXCurve = xi;
  m_nYCurve = yi;
  m_pXCurve = m_pYCurve = nullptr;
  m_dwDrawState = 0;
  m_spline.Clean();
  ResetLimits();
}
