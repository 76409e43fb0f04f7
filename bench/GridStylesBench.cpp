// Composing 1,000,000 cell styles (cell over row over column over table, then the cell's base style
// chain) as the grid does for every cell it draws, compared against copying one full style per cell
// (the least a composition that ends with every attribute set must do).
#include "grid/engine/GXStyle.h"
#include "grid/engine/GXStylesMap.h"

#include <benchmark/benchmark.h>

namespace {

struct Layers {
  CGXStylesMap map;
  CGXStyle cell, row, col, table;

  Layers() {
    map.CreateStandardStyles();
    cell.SetValue("1234.5").SetHorizontalAlignment(2);
    row.SetInterior(RGB(240, 240, 255)).SetFont(CGXFont().SetWeight(700));
    col.SetControl(52513).SetMaxLength(12).SetUserAttribute(51011, "0");
    table.SetTextColor(RGB(0, 0, 128)).SetBaseStyle(map.GetStandardStyleId());
  }
};

void BM_ComposeStyles(benchmark::State& state) {
  Layers l;
  CGXStyle composed;
  for (auto _ : state) {
    composed.Free();
    composed.ChangeStyle(l.cell, 1);
    composed.ChangeStyle(l.row, 1);
    composed.ChangeStyle(l.col, 1);
    composed.ChangeStyle(l.table, 1);
    composed.LoadBaseStyle(l.map);
    benchmark::DoNotOptimize(composed.GetIncludeMask());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComposeStyles)->Iterations(1000000)->Unit(benchmark::kMillisecond);

void BM_CopyFullStyle(benchmark::State& state) {
  CGXStyle full;
  full.SetDefault();
  CGXStyle copy;
  for (auto _ : state) {
    copy.Free();
    copy = full;
    benchmark::DoNotOptimize(copy.GetIncludeMask());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CopyFullStyle)->Iterations(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
