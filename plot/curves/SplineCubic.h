// CSplineCubic: the interpolating cubic B-spline through a curve's samples (not-a-knot ends).
#pragma once

class CSplineCubic {
 public:
  CSplineCubic() = default;
  ~CSplineCubic() { Clean(); }
  // Splines are never copied: each drawn curve builds its own.
  CSplineCubic(const CSplineCubic&) = delete;
  CSplineCubic& operator=(const CSplineCubic&) = delete;

  // Builds the spline through m points with strictly rising x; nonzero on success, else the
  // spline is left empty.
  int Init(int m, const double* x, const double* y);
  // The spline's value at x; 0.0 outside the first..last sample x or when empty.
  double GetY(double x) const;
  // The same for an x known to lie between samples i and i + 1: no search, for callers that walk
  // the samples in order.
  double GetYBetween(int i, double x) const;
  void Clean();

  int GetKnotCount() const { return m_nKnots; }
  bool IsEmpty() const { return m_nKnots < 8; }

 protected:
  // Least-squares fit for the knots in place, with weights w; fp receives the weighted sum of
  // squared residuals. Nonzero on success; on failure the coefficients are freed.
  int Compute(int m, double* x, double* y, double* w, double* fp);

 private:
  double EvalSpan(int l, double x) const;

  int m_nKnots = 0;
  double* m_pKnots = nullptr;
  double* m_pCoeffs = nullptr;
};
