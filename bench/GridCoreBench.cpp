// The grid core's composed-style cache: looking up the styles of the 60 x 20 visible cells at row
// 999,950 (row, column, table and base styles set), a first pass that composes into the cache and a
// second that finds every cell there, compared against composing each cell into a fresh style.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"

#include <benchmark/benchmark.h>

namespace {

const ROWCOL kTop = 999950, kRows = 60, kCols = 20;

struct Grid {
  CGXGridCore core;
  Grid() {
    GXStartGridLibrary();
    core.Initialize();
    CGXData& data = *core.GetParam()->GetData();
    data.SetRowCount(kTop + kRows);
    data.SetColCount(kCols);
    CGXStylesMap& map = *core.GetParam()->GetStylesMap();
    CGXStyle base;
    base.SetInterior(RGB(250, 250, 210)).SetFont(CGXFont().SetItalic(TRUE));
    map.SetBaseStyleEntry(map.GetNextId(), base, "Highlight", 0, FALSE);
    CGXStyle table, column, row, cell;
    table.SetTextColor(RGB(0, 0, 128));
    column.SetMaxLength(12).SetHorizontalAlignment(2);
    row.SetBaseStyle(map.GetBaseStyleId("Highlight"));
    data.StoreStyleAt(0, 0, &table, 0, -1);
    for (ROWCOL c = 1; c <= kCols; ++c) data.StoreStyleAt(0, c, &column, 0, -1);
    for (ROWCOL r = kTop; r < kTop + kRows; ++r) {
      data.StoreStyleAt(r, 0, &row, 0, -1);
      cell.SetValue(CString(std::to_string(r).c_str()));
      for (ROWCOL c = 1; c <= kCols; c += 3) data.StoreStyleAt(r, c, &cell, 0);
    }
    core.m_nTopRow = kTop;
    core.m_nLeftCol = 1;
  }
};

Grid& TheGrid() {
  static Grid grid;
  return grid;
}

void LookupAll(CGXGridCore& core) {
  for (ROWCOL r = kTop; r < kTop + kRows; ++r)
    for (ROWCOL c = 1; c <= kCols; ++c) benchmark::DoNotOptimize(core.LookupStyleRowCol(r, c).GetIncludeMask());
}

void BM_ComposeIntoFreshStyles(benchmark::State& state) {
  CGXGridCore& core = TheGrid().core;
  for (auto _ : state) {
    for (ROWCOL r = kTop; r < kTop + kRows; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) {
        CGXStyle* style = new CGXStyle;
        core.ComposeStyleRowCol(r, c, style, TRUE);
        benchmark::DoNotOptimize(style->GetIncludeMask());
        delete style;
      }
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_ComposeIntoFreshStyles)->Unit(benchmark::kMicrosecond);

void BM_LookupFirstPass(benchmark::State& state) {
  CGXGridCore& core = TheGrid().core;
  for (auto _ : state) {
    state.PauseTiming();
    core.FreeObjectCache();
    state.ResumeTiming();
    LookupAll(core);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_LookupFirstPass)->Unit(benchmark::kMicrosecond);

void BM_LookupSecondPass(benchmark::State& state) {
  CGXGridCore& core = TheGrid().core;
  core.FreeObjectCache();
  LookupAll(core);
  for (auto _ : state) LookupAll(core);
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_LookupSecondPass)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
