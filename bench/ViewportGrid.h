// A grid core painting a 1280 x 1024 window over a 1,000,000-row, 20-column table scrolled to row
// 500,000, and the timing of its first and steady paints: what the cell paint benchmarks share.
#pragma once

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

struct ViewportGrid {
  static constexpr ROWCOL kRows = 1000000, kCols = 20, kTop = 500000;
  CWnd wnd;
  CGXGridCore core;

  // The table's cells get `all`; the caller fills rows kTop to kTop + 99, then calls Show.
  explicit ViewportGrid(const CGXStyle& all) {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1280, 1024), nullptr, 0);
    core.m_pGridWnd = &wnd;
    core.Initialize();
    Data().SetRowCount(kRows);
    Data().SetColCount(kCols);
    core.SetStyleRange(CGXRange().SetWholeTable(), &all);
  }
  CGXData& Data() { return *core.GetParam()->GetData(); }
  void Show() {
    core.m_nTopRow = kTop;
    PumpMessages();
  }
  void Paint() {
    CClientDC dc(&wnd);
    core.OnGridDraw(&dc);
  }
};

// Times the grid's first paint once under "first <key>", then its steady paints under `key`.
template <class Grid, class Make>
void TimeViewportPaints(benchmark::State& state, std::unique_ptr<Grid>& grid, const std::string& key, Make make) {
  if (!grid) {
    grid = make();
    bench_note::Time([&] { grid->Paint(); }, "first " + key);
  }
  double seconds = 0;
  for (auto _ : state) seconds += bench_note::Time([&] { grid->Paint(); });
  bench_note::Keep(key, seconds / (double)state.iterations());
}
