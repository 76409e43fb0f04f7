#include "plot/curves/SplineCubic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// Reference: the interpolating cubic spline with not-a-knot ends, solved densely as 4(m-1)
// polynomial coefficients with value, slope and curvature conditions.
struct Piecewise {
  std::vector<double> x, a, b, c, d;
  double At(double t) const {
    size_t i = 0;
    while (i + 2 < x.size() && t >= x[i + 1]) ++i;
    double h = t - x[i];
    return a[i] + h * (b[i] + h * (c[i] + h * d[i]));
  }
};

Piecewise NotAKnot(const std::vector<double>& x, const std::vector<double>& y) {
  const size_t m = x.size(), k = m - 1, n = 4 * k;
  std::vector<std::vector<double>> A(n, std::vector<double>(n + 1, 0.0));
  size_t row = 0;
  auto col = [](size_t seg, int p) { return 4 * seg + (size_t)p; };
  for (size_t i = 0; i < k; ++i) {
    double h = x[i + 1] - x[i];
    A[row][col(i, 0)] = 1;
    A[row++][n] = y[i];
    for (int p = 0; p < 4; ++p) A[row][col(i, p)] = std::pow(h, p);
    A[row++][n] = y[i + 1];
  }
  for (size_t i = 0; i + 1 < k; ++i) {
    double h = x[i + 1] - x[i];
    A[row][col(i, 1)] = 1, A[row][col(i, 2)] = 2 * h, A[row][col(i, 3)] = 3 * h * h, A[row][col(i + 1, 1)] = -1;
    ++row;
    A[row][col(i, 2)] = 2, A[row][col(i, 3)] = 6 * h, A[row][col(i + 1, 2)] = -2;
    ++row;
  }
  A[row][col(0, 3)] = 1, A[row][col(1, 3)] = -1;
  ++row;
  A[row][col(k - 2, 3)] = 1, A[row][col(k - 1, 3)] = -1;
  ++row;
  for (size_t p = 0; p < n; ++p) {
    size_t best = p;
    for (size_t r = p + 1; r < n; ++r)
      if (std::fabs(A[r][p]) > std::fabs(A[best][p])) best = r;
    std::swap(A[p], A[best]);
    for (size_t r = 0; r < n; ++r) {
      if (r == p) continue;
      double f = A[r][p] / A[p][p];
      for (size_t q = p; q <= n; ++q) A[r][q] -= f * A[p][q];
    }
  }
  Piecewise s;
  s.x = x;
  for (size_t i = 0; i < k; ++i) {
    s.a.push_back(A[col(i, 0)][n] / A[col(i, 0)][col(i, 0)]);
    s.b.push_back(A[col(i, 1)][n] / A[col(i, 1)][col(i, 1)]);
    s.c.push_back(A[col(i, 2)][n] / A[col(i, 2)][col(i, 2)]);
    s.d.push_back(A[col(i, 3)][n] / A[col(i, 3)][col(i, 3)]);
  }
  return s;
}

double Cubic(double t) { return 0.5 * t * t * t - 2.0 * t * t + t - 3.0; }

TEST(SplineCubic, FourPointsGiveTheCubicThroughThem) {
  // Lagrange form of the one cubic through the four points.
  const double x[4] = {-1.0, 0.5, 2.0, 4.0}, y[4] = {2.0, -1.0, 0.5, 3.0};
  CSplineCubic s;
  ASSERT_EQ(s.Init(4, x, y), 1);
  EXPECT_EQ(s.GetKnotCount(), 8);
  for (int i = 0; i < 100; ++i) {
    double t = i == 99 ? x[3] : x[0] + (x[3] - x[0]) * i / 99.0;
    double want = 0;
    for (int j = 0; j < 4; ++j) {
      double l = y[j];
      for (int q = 0; q < 4; ++q)
        if (q != j) l *= (t - x[q]) / (x[j] - x[q]);
      want += l;
    }
    EXPECT_NEAR(s.GetY(t), want, 1e-9) << t;
  }
}

TEST(SplineCubic, MatchesAnIndependentNotAKnotSplineAndReproducesCubics) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> step(0.2, 2.0), val(-10.0, 10.0);
  for (int m : {4, 5, 6, 9, 17}) {
    std::vector<double> x(1, -3.0), y;
    for (int i = 1; i < m; ++i) x.push_back(x.back() + step(rng));
    for (int i = 0; i < m; ++i) y.push_back(val(rng));
    CSplineCubic s;
    ASSERT_EQ(s.Init(m, x.data(), y.data()), 1) << m;
    Piecewise ref = NotAKnot(x, y);
    for (int i = 0; i < 100; ++i) {
      double t = i == 99 ? x.back() : x.front() + (x.back() - x.front()) * i / 99.0;
      EXPECT_NEAR(s.GetY(t), ref.At(t), 1e-9) << "m=" << m << " t=" << t;
    }
    // Samples lying on a cubic are reproduced exactly between the ends.
    std::vector<double> yc;
    for (double t : x) yc.push_back(Cubic(t));
    ASSERT_EQ(s.Init(m, x.data(), yc.data()), 1);
    for (int i = 0; i < 100; ++i) {
      double t = i == 99 ? x.back() : x.front() + (x.back() - x.front()) * i / 99.0;
      EXPECT_NEAR(s.GetY(t), Cubic(t), 1e-9);
    }
    // Walking the intervals in order gives the same values as the search.
    for (int i = 0; i + 1 < m; ++i)
      for (int k = 0; k <= 20; ++k) {
        double t = x[(size_t)i] + (x[(size_t)i + 1] - x[(size_t)i]) * k / 20.0;
        if (t > x.back()) t = x.back();
        EXPECT_NEAR(s.GetYBetween(i, t), s.GetY(t), 1e-12) << i << " " << k;
      }
    EXPECT_EQ(s.GetYBetween(-1, x.front()), 0.0);
    EXPECT_EQ(s.GetYBetween(m, x.back()), 0.0);
    EXPECT_NEAR(s.GetY(x.front()), yc.front(), 1e-12);
    EXPECT_NEAR(s.GetY(x.back()), yc.back(), 1e-12);
    EXPECT_EQ(s.GetY(x.front() - 1e-9), 0.0);
    EXPECT_EQ(s.GetY(x.back() + 1e-9), 0.0);
  }
}

TEST(SplineCubic, RefusesBadInputAndStaysEmpty) {
  const double rep[4] = {0, 1, 1, 2}, down[4] = {0, 2, 1, 3}, y[4] = {1, 2, 3, 4};
  const double nanx[4] = {0, NAN, 2, 3};
  CSplineCubic s;
  ASSERT_EQ(s.Init(4, down, y), 0);
  const double ok[4] = {0, 1, 2, 3};
  ASSERT_EQ(s.Init(4, ok, y), 1);
  EXPECT_NEAR(s.GetY(1.5), 2.5, 1e-12);
  // A repeated x fails and leaves the spline empty, so GetY is 0 everywhere.
  EXPECT_EQ(s.Init(4, rep, y), 0);
  EXPECT_TRUE(s.IsEmpty());
  for (double t : {0.0, 0.5, 1.0, 1.5, 2.0}) EXPECT_EQ(s.GetY(t), 0.0);
  EXPECT_EQ(s.Init(3, ok, y), 0);
  EXPECT_EQ(s.Init(4, nanx, y), 0);
  EXPECT_EQ(s.Init(4, nullptr, y), 0);
  EXPECT_EQ(s.GetY(1.0), 0.0);
  // Overflowing knot spans or values fail rather than give NaN later.
  const double wide[4] = {-1e308, -1e307, 1e307, 1e308}, big[4] = {1e308, -1e308, 1e308, -1e308};
  const double infy[4] = {1, INFINITY, 3, 4}, sharp[4] = {0, 1e-300, 2e-300, 3e-300};
  struct {
    const double *x, *y;
  } overflow[] = {{wide, y}, {ok, infy}, {sharp, big}};
  for (auto& c : overflow) {
    ASSERT_EQ(s.Init(4, ok, y), 1);
    EXPECT_EQ(s.Init(4, c.x, c.y), 0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetY(c.x[1]), 0.0);
  }
  s.Clean();
  EXPECT_EQ(s.GetKnotCount(), 0);
}

TEST(SplineCubic, LongSeriesStayAccurate) {
  // A fine sampling of a smooth function: the spline stays close between samples.
  const int m = 2000;
  std::vector<double> x(m), y(m);
  for (int i = 0; i < m; ++i) x[i] = i * 0.01, y[i] = std::sin(x[i]);
  CSplineCubic s;
  ASSERT_EQ(s.Init(m, x.data(), y.data()), 1);
  for (int i = 0; i < 1000; ++i) {
    double t = 0.005 + i * 0.0199;
    EXPECT_NEAR(s.GetY(t), std::sin(t), 1e-8);
  }
}

}  // namespace
