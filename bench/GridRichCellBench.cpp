// Painting a grid window showing 40 rich-text cells (8 rows by 5 columns, each value its own
// RTF text with a bold and a coloured run) against the same window showing 40 static cells of the
// same plain text; steady state and the first paint of a fresh grid.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct CellGrid {
  CWnd wnd;
  CGXGridCore core;
  explicit CellGrid(bool rich) {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 760, 230), nullptr, 0);
    core.m_pGridWnd = &wnd;
    core.Initialize();
    core.GetParam()->GetData()->SetRowCount(8);
    core.GetParam()->GetData()->SetColCount(5);
    core.SetColWidth(1, 5, 140);
    core.SetRowHeight(1, 8, 24);
    for (ROWCOL r = 1; r <= 8; ++r)
      for (ROWCOL c = 1; c <= 5; ++c) {
        CGXStyle s;
        CString value;
        if (rich) value.Format("{\\rtf1{\\colortbl;\\red200\\green0\\blue0;}{\\b Cell} {\\cf1 %u,%u} text}", r, c);
        s.SetControl(rich ? 52534 : 52513).SetValue(rich ? value : CString("Cell r,c text"));
        core.GetParam()->GetData()->StoreStyleAt(r, c, &s, 2);
      }
    core.SetCurrentCell(1, 0);
    PumpMessages();
  }
  void Paint() {
    CClientDC dc(&wnd);
    core.OnGridDraw(&dc);
  }
};

void Paint(benchmark::State& state, bool rich) {
  static std::unique_ptr<CellGrid> grids[2];
  auto& grid = grids[rich ? 1 : 0];
  if (!grid) grid = std::make_unique<CellGrid>(rich);
  for (auto _ : state) grid->Paint();
}

void BM_Paint40RichTextCells(benchmark::State& state) { Paint(state, true); }
void BM_Paint40StaticCells(benchmark::State& state) { Paint(state, false); }

void FirstPaint(benchmark::State& state, bool rich) {
  for (auto _ : state) {
    state.PauseTiming();
    auto grid = std::make_unique<CellGrid>(rich);
    state.ResumeTiming();
    grid->Paint();
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
}
void BM_FirstPaint40RichTextCells(benchmark::State& state) { FirstPaint(state, true); }
void BM_FirstPaint40StaticCells(benchmark::State& state) { FirstPaint(state, false); }

}  // namespace

BENCHMARK(BM_Paint40RichTextCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint40StaticCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstPaint40RichTextCells)->Unit(benchmark::kMicrosecond)->Iterations(1);
BENCHMARK(BM_FirstPaint40StaticCells)->Unit(benchmark::kMicrosecond)->Iterations(1);
BENCHMARK_MAIN();
