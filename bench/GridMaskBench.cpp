// Painting a 1280 x 1024 grid window scrolled to row 500,000 of a 1,000,000-row, 20-column grid of
// inactive masked edit cells (mask "(###) ###-####", ten digits each) against the same grid of static
// cells that hold the displayed text "(123) 456-7890" itself. Target: under x2.
#include "bench/BenchNote.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr ROWCOL kRows = 1000000, kCols = 20, kTop = 500000;

struct CellGrid {
  CWnd wnd;
  CGXGridCore core;
  explicit CellGrid(bool masked) {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1280, 1024), nullptr, 0);
    core.m_pGridWnd = &wnd;
    core.Initialize();
    CGXData& data = *core.GetParam()->GetData();
    data.SetRowCount(kRows);
    data.SetColCount(kCols);
    CGXStyle all;
    all.SetControl(masked ? 52535 : 52513);
    if (masked) all.SetUserAttribute(51023, "(###) ###-####");
    core.SetStyleRange(CGXRange().SetWholeTable(), &all);
    CGXStyle value;
    value.SetValue(masked ? "1234567890" : "(123) 456-7890");
    for (ROWCOL r = kTop; r < kTop + 100; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) data.StoreStyleAt(r, c, &value, 0);
    core.m_nTopRow = kTop;
    PumpMessages();
  }
  void Paint() {
    CClientDC dc(&wnd);
    core.OnGridDraw(&dc);
  }
};

void Paint(benchmark::State& state, bool masked) {
  static std::unique_ptr<CellGrid> grids[2];
  auto& grid = grids[masked ? 1 : 0];
  const std::string key = masked ? "masked" : "static";
  if (!grid) {
    grid = std::make_unique<CellGrid>(masked);
    bench_note::Time([&] { grid->Paint(); }, "first " + key);
  }
  double seconds = 0;
  for (auto _ : state) seconds += bench_note::Time([&] { grid->Paint(); });
  bench_note::Keep(key, seconds / (double)state.iterations());
}

void BM_PaintStaticCells(benchmark::State& state) { Paint(state, false); }
void BM_PaintMaskedCells(benchmark::State& state) { Paint(state, true); }

}  // namespace

BENCHMARK(BM_PaintStaticCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintMaskedCells)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    // The library's and the fonts' one-time start-up, so neither first paint carries it.
    CellGrid warm(false);
    warm.Paint();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nPainting a viewport over 1,000,000 rows, masked edit cells against static cells:\n");
  bench_note::PrintRatio("steady state", "masked", "static", 2.0);
  bench_note::PrintRatio("first paint in a fresh process", "first masked", "first static", 2.0);
  return 0;
}
