// Painting a 1280 x 1024 grid window scrolled to row 500,000 of a 1,000,000-row, 20-column grid of
// inactive masked edit cells (mask "(###) ###-####", ten digits each) against the same grid of static
// cells that hold the displayed text "(123) 456-7890" itself. Target: under x2.
#include "bench/ViewportGrid.h"

#include <cstdio>

namespace {

struct CellGrid : ViewportGrid {
  explicit CellGrid(bool masked) : ViewportGrid(Table(masked)) {
    CGXStyle value;
    value.SetValue(masked ? "1234567890" : "(123) 456-7890");
    for (ROWCOL r = kTop; r < kTop + 100; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) Data().StoreStyleAt(r, c, &value, 0);
    Show();
  }
  static CGXStyle Table(bool masked) {
    CGXStyle all;
    all.SetControl(masked ? 52535 : 52513);
    if (masked) all.SetUserAttribute(51023, "(###) ###-####");
    return all;
  }
};

void Paint(benchmark::State& state, bool masked) {
  static std::unique_ptr<CellGrid> grids[2];
  TimeViewportPaints(state, grids[masked ? 1 : 0], masked ? "masked" : "static",
                     [&] { return std::make_unique<CellGrid>(masked); });
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
