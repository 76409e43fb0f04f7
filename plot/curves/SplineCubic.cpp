#include "plot/curves/SplineCubic.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The four cubic B-splines that do not vanish on the span t[l] <= x < t[l+1] (de Boor and Cox).
void BSplineValues(const double* t, int l, double x, double h[4]) {
  double hh[3];
  h[0] = 1.0;
  for (int j = 1; j <= 3; ++j) {
    for (int i = 0; i < j; ++i) hh[i] = h[i];
    h[0] = 0.0;
    for (int i = 1; i <= j; ++i) {
      int li = l + i;
      int lj = li - j;
      double f = hh[i - 1] / (t[li] - t[lj]);
      h[i - 1] += f * (t[li] - x);
      h[i] = f * (x - t[lj]);
    }
  }
}

// Givens rotation that zeroes piv against the diagonal element ww (which receives the norm).
void Givens(double piv, double& ww, double& c, double& s) {
  double a = std::fabs(piv);
  double dd;
  if (a >= ww)
    dd = a * std::sqrt(1.0 + (ww / piv) * (ww / piv));
  else
    dd = ww * std::sqrt(1.0 + (piv / ww) * (piv / ww));
  c = ww / dd;
  s = piv / dd;
  ww = dd;
}

void Rotate(double c, double s, double& a, double& b) {
  double s1 = a;
  double s2 = b;
  b = c * s2 + s * s1;
  a = c * s1 - s * s2;
}

}  // namespace

void CSplineCubic::Clean() {
  delete[] m_pKnots;
  delete[] m_pCoeffs;
  m_pKnots = nullptr;
  m_pCoeffs = nullptr;
  m_nKnots = 0;
}

int CSplineCubic::Init(int m, const double* x, const double* y) {
  Clean();
  if (m < 4 || !x || !y) return 0;
  for (int i = 1; i < m; ++i)
    if (!(x[i - 1] < x[i])) return 0;  // also refuses NaN
  // Knot differences must stay finite, or the basis values turn into NaN.
  if (!std::isfinite(x[m - 1] - x[0])) return 0;

  std::vector<double> xs(x, x + m), ys(y, y + m), w((size_t)m, 1.0);
  int n = m + 4;
  m_pKnots = new double[(size_t)n];
  for (int j = 0; j < 4; ++j) m_pKnots[j] = x[0];
  for (int j = 4; j < m; ++j) m_pKnots[j] = x[j - 2];
  for (int j = m; j < n; ++j) m_pKnots[j] = x[m - 1];
  m_nKnots = n;

  double fp = 0.0;
  int ok = Compute(m, xs.data(), ys.data(), w.data(), &fp);
  if (!ok) Clean();
  return ok;
}

int CSplineCubic::Compute(int m, double* x, double* y, double* w, double* fp) {
  delete[] m_pCoeffs;
  m_pCoeffs = nullptr;
  const int n = m_nKnots;
  double* t = m_pKnots;
  if (n < 8 || !t || m < 1) return 0;
  const int nk1 = n - 4;  // number of coefficients
  if (nk1 > m) return 0;

  for (int j = 0; j < 4; ++j) t[j] = x[0];
  for (int j = n - 4; j < n; ++j) t[j] = x[m - 1];

  // The checks that make the band system solvable.
  if (!(x[0] < t[4]) || !(t[n - 5] < x[m - 1])) return 0;
  for (int j = 3; j < n - 4; ++j)
    if (t[j] > t[j + 1]) return 0;
  int distinct = 1;
  for (int i = 0; i < m; ++i) {
    if (!(w[i] > 0.0)) return 0;
    if (i > 0) {
      if (x[i] < x[i - 1]) return 0;
      if (x[i] > x[i - 1]) ++distinct;
    }
  }
  if (distinct < nk1) return 0;
  // Schoenberg-Whitney: each interior B-spline gets a data point strictly inside its support.
  {
    int i = 0;
    for (int j = 1; j < nk1 - 1; ++j) {
      double tj = t[j];
      double tl = t[j + 4];
      do {
        ++i;
        if (i >= m - 1) return 0;
      } while (x[i] <= tj);
      if (x[i] >= tl) return 0;
    }
  }

  std::vector<double> band((size_t)nk1 * 4, 0.0);  // row j: diagonal then three super-diagonals
  std::vector<double> z((size_t)nk1, 0.0);
  double sum = 0.0;
  int l = 3;
  for (int it = 0; it < m; ++it) {
    double xi = x[it];
    while (l < n - 5 && xi >= t[l + 1]) ++l;
    double h[4];
    BSplineValues(t, l, xi, h);
    double wi = w[it];
    for (double& v : h) v *= wi;
    double yi = y[it] * wi;
    int j = l - 3;
    for (int i = 0; i < 4; ++i, ++j) {
      double piv = h[i];
      if (piv == 0.0) continue;
      double* row = &band[(size_t)j * 4];
      double c, s;
      Givens(piv, row[0], c, s);
      Rotate(c, s, yi, z[(size_t)j]);
      if (i == 3) break;
      for (int i1 = i + 1, i2 = 1; i1 < 4; ++i1, ++i2) Rotate(c, s, h[i1], row[i2]);
    }
    sum += yi * yi;
  }
  if (fp) *fp = sum;

  std::unique_ptr<double[]> c(new double[(size_t)nk1]);
  for (int i = nk1 - 1; i >= 0; --i) {
    const double* row = &band[(size_t)i * 4];
    if (row[0] == 0.0) return 0;
    double v = z[(size_t)i];
    for (int k = 1; k < 4 && i + k < nk1; ++k) v -= c[(size_t)(i + k)] * row[k];
    c[(size_t)i] = v / row[0];
    if (!std::isfinite(c[(size_t)i])) return 0;
  }
  m_pCoeffs = c.release();
  return 1;
}

double CSplineCubic::GetY(double x) const {
  const int n = m_nKnots;
  if (n < 8 || !m_pCoeffs) return 0.0;
  const double* t = m_pKnots;
  if (!(x >= t[3] && x <= t[n - 4])) return 0.0;
  int lo = 0, hi = n - 7;
  while (hi - lo > 1) {
    int mid = (lo + hi) / 2;
    if (x >= t[mid + 3])
      lo = mid;
    else
      hi = mid;
  }
  return EvalSpan(hi + 2, x);
}

double CSplineCubic::GetYBetween(int i, double x) const {
  const int n = m_nKnots;
  if (n < 8 || !m_pCoeffs || i < 0 || i > n - 6) return 0.0;
  const double* t = m_pKnots;
  if (!(x >= t[3] && x <= t[n - 4])) return 0.0;
  // Samples 1 and m-2 are not knots: their neighbouring intervals share a span.
  int l = i + 2;
  if (l < 3) l = 3;
  if (l > n - 5) l = n - 5;
  return EvalSpan(l, x);
}

double CSplineCubic::EvalSpan(int l, double x) const {
  double h[4];
  BSplineValues(m_pKnots, l, x, h);
  const double* c = m_pCoeffs + (l - 3);
  return c[0] * h[0] + c[1] * h[1] + c[2] * h[2] + c[3] * h[3];
}
