// The graph window's FastDraw in 800 x 600 of one solid curve, a sine over four periods on a monotone
// X: 1,000,000 samples against the same sine sampled 2,000 times, whole and zoomed to 1 % of X.
// Target: 1,000,000 samples within 3x of 2,000; zoomed, within 1.5x of the 2,000-sample curve.
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"
#include "plot/graph/GraphWindow.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

struct Scene {
  CCurveArray list;
  CGraphFilter plot;
  CWnd parent;
  CGraphWindow graph{2, 0};
  CDC mem;
  CBitmap bm;

  explicit Scene(int n) {
    std::vector<double> x((size_t)n), y((size_t)n);
    for (int i = 0; i < n; ++i) {
      x[(size_t)i] = 10.0 * i / (n - 1);
      y[(size_t)i] = std::sin(2 * M_PI * 4 * i / (n - 1));
    }
    auto curve = [](const char* name, std::vector<double>& v) {
      CCurve* c = new CCurve;
      c->InitCurve(name, "", "", 0.0, 1.0, 1.0, 0.0, (int)v.size(), v.data());
      return c;
    };
    list.Add(curve("t", x));
    list.Add(curve("v", y));
    plot.m_pSource = &list;
    CXYCurve* c = new CXYCurve;
    c->m_nXCurve = 0, c->m_nYCurve = 1, c->m_crColor = RGB(255, 255, 0);
    plot.Add(c);
    plot.ComputeAxis();
    plot.ComputeLimits();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 800, 600), nullptr, 0);
    graph.Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600), &parent, 14000, &plot);
    CDC screen;
    screen.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
    mem.CreateCompatibleDC(&screen);
    bm.CreateCompatibleBitmap(&screen, 800, 600);
    mem.SelectObject(&bm);
  }
  ~Scene() {
    graph.DestroyWindow();
    parent.DestroyWindow();
  }
  void ZoomToOnePercent() {
    double r[6];
    graph.GetViewRange(r);
    r[0] = 5.0, r[1] = 5.1;
    graph.SetViewRange(r);
  }
};

void Run(benchmark::State& state, int n, bool zoomed) {
  Scene s(n);
  if (zoomed) s.ZoomToOnePercent();
  for (auto _ : state) {
    s.graph.FastDraw(&s.mem);
    benchmark::ClobberMemory();
  }
}

void BM_FastDraw_2000(benchmark::State& state) { Run(state, 2000, false); }
void BM_FastDraw_1000000(benchmark::State& state) { Run(state, 1000000, false); }
void BM_FastDraw_2000_Zoomed(benchmark::State& state) { Run(state, 2000, true); }
void BM_FastDraw_1000000_Zoomed(benchmark::State& state) { Run(state, 1000000, true); }

// One draw in a fresh scene, as after a file opens.
void BM_FirstDraw_1000000(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto s = std::make_unique<Scene>(1000000);
    state.ResumeTiming();
    s->graph.FastDraw(&s->mem);
    state.PauseTiming();
    s.reset();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_FastDraw_2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastDraw_1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastDraw_2000_Zoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastDraw_1000000_Zoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstDraw_1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
