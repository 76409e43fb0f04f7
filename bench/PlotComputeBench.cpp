// Limits and text export of a plot of 10 curves of 1,000,000 samples. The limits are compared
// with a plain min/max loop over the same arrays (target: within 2x); the export with writing
// the same numbers through snprintf and fwrite.
#include "plot/curves/GraphFilter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kCurves = 10;
constexpr int kSamples = 1000000;

struct Plot {
  CCurveArray list;
  CGraphFilter plot;
  Plot() {
    std::vector<double> v((size_t)kSamples);
    for (int i = 0; i < kSamples; ++i) v[(size_t)i] = i * 1e-3;
    CCurve* t = new CCurve;
    t->InitCurve("time", "", "", 0, 1, 1, 0, kSamples, v.data());
    list.Add(t);
    for (int c = 0; c < kCurves; ++c) {
      for (int i = 0; i < kSamples; ++i) v[(size_t)i] = std::sin(i * 1e-4 * (c + 1)) * (c + 1);
      v[(size_t)(kSamples / 2)] = 1e100;  // a missing sample
      CCurve* y = new CCurve;
      y->InitCurve("y", "", "", 0, 1, 1, 0, kSamples, v.data());
      list.Add(y);
      CXYCurve* xy = new CXYCurve;
      xy->m_nXCurve = 0;
      xy->m_nYCurve = (DWORD)(c + 1);
      xy->m_nAxis = c % 2 + 1;
      plot.Add(xy);
    }
    plot.m_pSource = &list;
    plot.ComputeAxis();
  }
};

Plot& ThePlot() {
  static Plot p;
  return p;
}

void PlotLimits(benchmark::State& state) {
  Plot& p = ThePlot();
  for (auto _ : state) {
    p.plot.ComputeLimits();
    benchmark::DoNotOptimize(p.plot.m_dY1Max);
  }
  state.SetItemsProcessed(state.iterations() * kCurves * kSamples);
}
BENCHMARK(PlotLimits)->Unit(benchmark::kMillisecond);

// Baseline: min and max of X and Y of every drawn curve, skipping the missing marker.
void PlainLoop(benchmark::State& state) {
  Plot& p = ThePlot();
  for (auto _ : state) {
    double lo = 1e99, hi = -1e99;
    for (int c = 0; c < kCurves; ++c) {
      const double* arrays[2] = {p.list.GetAt(0)->GetData(), p.list.GetAt(c + 1)->GetData()};
      for (const double* a : arrays)
        for (int i = 0; i < kSamples; ++i) {
          double v = a[i];
          if (v == 1e100) continue;
          lo = v < lo ? v : lo;
          hi = v > hi ? v : hi;
        }
    }
    benchmark::DoNotOptimize(lo);
    benchmark::DoNotOptimize(hi);
  }
  state.SetItemsProcessed(state.iterations() * kCurves * kSamples);
}
BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond);

// One drawn curve in spline mode over 1,000,000 samples: the spline set-up and 19 evaluations
// per interval.
void SplineLimits(benchmark::State& state) {
  Plot& p = ThePlot();
  CXYCurve c;
  c.m_nDrawMode = CXYCurve::drawSpline;
  CCurve y(*p.list.GetAt(1));
  y.SetAt(kSamples / 2, 0.0);
  c.m_pXCurve = p.list.GetAt(0);
  c.m_pYCurve = &y;
  for (auto _ : state) {
    c.m_nDrawMode = CXYCurve::drawSpline;
    benchmark::DoNotOptimize(c.ComputeLimits());
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(SplineLimits)->Unit(benchmark::kMillisecond);

std::string TempPath() { return "/tmp/plotbench-" + std::to_string(getpid()) + ".txt"; }

void ExportASCII(benchmark::State& state) {
  Plot& p = ThePlot();
  std::string path = TempPath();
  for (auto _ : state) benchmark::DoNotOptimize(p.plot.WriteASCII(path.c_str()));
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kCurves * kSamples);
}
BENCHMARK(ExportASCII)->Unit(benchmark::kMillisecond)->Iterations(2);

void ExportPlainSnprintf(benchmark::State& state) {
  Plot& p = ThePlot();
  std::string path = TempPath();
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "wb");
    char buf[64];
    const double* x = p.list.GetAt(0)->GetData();
    for (int r = 0; r < kSamples; ++r)
      for (int c = 0; c < kCurves; ++c) {
        const double* y = p.list.GetAt(c + 1)->GetData();
        int n = std::snprintf(buf, sizeof buf, "%.7e\t", x[r]);
        std::fwrite(buf, 1, (size_t)n, f);
        n = std::snprintf(buf, sizeof buf, "%.7e%s", y[r], c + 1 < kCurves ? "\t" : "\r\n");
        std::fwrite(buf, 1, (size_t)n, f);
      }
    std::fclose(f);
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kCurves * kSamples);
}
BENCHMARK(ExportPlainSnprintf)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
