// Painting a 1280 x 1024 grid window scrolled to row 500,000 of a 1,000,000-row, 20-column grid
// whose cells ask to merge (equal texts in runs of five along rows and columns), in merge mode 2
// (spans evaluated on every paint) against the same grid in mode 0. Target: under x2.
#include "bench/ViewportGrid.h"

#include <cstdio>

namespace {

struct MergedGrid : ViewportGrid {
  explicit MergedGrid(WORD mode) : ViewportGrid(CGXStyle().SetMergeCell(3)) {
    CGXStyle value;
    for (ROWCOL r = kTop; r < kTop + 100; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) {
        value.SetValue(CString(std::to_string((r / 5) * 100 + c / 5).c_str()));
        Data().StoreStyleAt(r, c, &value, 0);
      }
    core.SetMergeCellsMode(mode, FALSE);
    Show();
  }
};

void Paint(benchmark::State& state, WORD mode) {
  static std::unique_ptr<MergedGrid> grids[3];
  TimeViewportPaints(state, grids[mode], mode ? "merged" : "plain", [&] { return std::make_unique<MergedGrid>(mode); });
}

void BM_PaintMergeModeTwo(benchmark::State& state) { Paint(state, 2); }
void BM_PaintMergeModeZero(benchmark::State& state) { Paint(state, 0); }

}  // namespace

BENCHMARK(BM_PaintMergeModeZero)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintMergeModeTwo)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    // The library's and the fonts' one-time start-up, so neither first paint carries it.
    MergedGrid warm(0);
    warm.Paint();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nPainting a viewport over 1,000,000 rows, merge mode 2 against mode 0:\n");
  bench_note::PrintRatio("steady state", "merged", "plain", 2.0);
  bench_note::PrintRatio("first paint in a fresh process", "first merged", "first plain", 2.0);
  return 0;
}
