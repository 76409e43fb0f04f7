// Painting a 1280 x 1024 grid window scrolled to the last page of a 1,000,000-row, 100-column
// grid (every row its own stored height, every 1,000th row hidden, the visible rows inside a
// selection of 500,000 whole rows), compared against the same window over a 50-row grid set up
// alike (own heights, hidden rows, all rows selected); steady state and the first paint.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct PaintedGrid {
  CWnd wnd;
  CGXGridCore core;
  explicit PaintedGrid(ROWCOL rows) {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1280, 1024), nullptr, 0);
    core.m_pGridWnd = &wnd;
    core.Initialize();
    CGXData& data = *core.GetParam()->GetData();
    data.SetRowCount(rows);
    data.SetColCount(100);
    for (ROWCOL r = 1; r <= rows; ++r) core.StoreRowHeight(r, 14 + (int)(r % 9));
    for (ROWCOL r = (rows >= 1000 ? 1000 : 7); r <= rows; r += (rows >= 1000 ? 1000 : 7)) core.StoreHideRow(r, TRUE);
    const ROWCOL first = rows > 500000 ? rows - 500000 + 1 : 1;
    core.GetParam()->m_SelRects.AddTail(new CGXRange(CGXRange().SetRowRange(first, rows)));
    // The last page: as many rows as fill the window from the bottom up.
    ROWCOL top = rows;
    for (LONG h = 0; top > 1 && h < 1000; --top) h += core.GetRowHeight(top);
    core.m_nTopRow = top;
    PumpMessages();
  }
  void Paint() {
    CClientDC dc(&wnd);
    core.OnGridDraw(&dc);
  }
};

void Paint(benchmark::State& state, ROWCOL rows) {
  static std::unique_ptr<PaintedGrid> grids[2];
  auto& grid = grids[rows > 50 ? 1 : 0];
  if (!grid) grid = std::make_unique<PaintedGrid>(rows);
  for (auto _ : state) grid->Paint();
}

void BM_PaintLastPageOfMillionRows(benchmark::State& state) { Paint(state, 1000000); }
void BM_PaintFiftyRows(benchmark::State& state) { Paint(state, 50); }

// The first paint of a freshly set-up grid; run each alone (--benchmark_filter) for a fresh process.
void FirstPaint(benchmark::State& state, ROWCOL rows) {
  for (auto _ : state) {
    state.PauseTiming();
    auto grid = std::make_unique<PaintedGrid>(rows);
    state.ResumeTiming();
    grid->Paint();
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
}
void BM_FirstPaintMillionRows(benchmark::State& state) { FirstPaint(state, 1000000); }
void BM_FirstPaintFiftyRows(benchmark::State& state) { FirstPaint(state, 50); }

}  // namespace

BENCHMARK(BM_PaintLastPageOfMillionRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFiftyRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaintMillionRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FirstPaintFiftyRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
