// Replace All pressed in the find and replace dialog over a 100,000-row column where every cell
// matches, compared with storing the same 100,000 values in one SetStyleRange call (which keeps no
// undo: the grid asks before storing that many rows without it, and the answer is to go on); and
// the same over cells that hold a text colour beside their value, whose undo keeps whole styles.
#include "bench/BenchNote.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Automation.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const ROWCOL kRows = 100000;

struct Grid {
  CWnd parent;
  ZAZAzedAze wnd;
  CFindReplaceDialog* dlg = nullptr;
  bool coloured = false;
  explicit Grid(bool colouredCells = false) : coloured(colouredCells) {
    GXStartGridLibrary();
    // One store of more than 32,767 rows asks whether to go on without undo: it goes on.
    Automation::Instance().SetMessageBoxHandler([](const char*, const char*, UINT) { return IDOK; });
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);
    wnd.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600),
               &parent, 3);
    wnd.Initialize();
    wnd.SetRowCount(kRows);
    wnd.SetColCount(2);
    Fill();
    wnd.OnShowFindReplaceDialog(FALSE);
    dlg = GXGetFindReplaceState().pDialog;
    // Moved beside the grids, as a user moves it out of their way: both grids share the one dialog,
    // and the second grid's window would lie over it.
    dlg->SetWindowPos(nullptr, 810, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DialogAutomation::TypeInto(dlg, edt1, "abc");
    DialogAutomation::TypeInto(dlg, edt2, "xyz");
  }
  CGXData& Data() { return *wnd.GetParam()->GetData(); }
  // Every cell of column 1 "abc" again, no undo kept, the top-left cell current and the window painted.
  void Fill() {
    CGXStyle cell;
    cell.SetValue("abc");
    if (coloured) cell.SetTextColor(RGB(0, 0, 255));
    for (ROWCOL r = 1; r <= kRows; ++r) Data().StoreStyleAt(r, 1, &cell, 0);
    wnd.GetParam()->EmptyUndoList();
    wnd.SetCurrentCell(1, 1);
    wnd.Invalidate();
    PumpMessages();
  }
  void ReplaceAll() {
    DialogAutomation::ClickControl(dlg, psh2);
    if (wnd.GetValueRowCol(kRows, 1) != "xyz") std::abort();
  }
  void StoreAll() {
    CGXStyle value;
    value.SetValue("xyz");
    wnd.SetStyleRange(CGXRange().SetCellRange(1, 1, kRows, 1), &value);
    PumpMessages();
    if (wnd.GetValueRowCol(kRows, 1) != "xyz") std::abort();
  }
};

Grid& TheGrid(bool coloured = false) {
  static Grid plain;
  if (!coloured) return plain;
  static Grid withColour(true);
  return withColour;
}

template <class F>
void Run(benchmark::State& state, const char* key, F f, bool coloured = false) {
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TheGrid(coloured).Fill();
    state.ResumeTiming();
    seconds += bench_note::Time(f);
  }
  bench_note::Keep(key, seconds / (double)state.iterations());
}

void BM_ReplaceAllInTheDialog(benchmark::State& state) {
  Run(state, "replace", [] { TheGrid().ReplaceAll(); });
}
void BM_OneSetStyleRange(benchmark::State& state) {
  Run(state, "store", [] { TheGrid().StoreAll(); });
}
void BM_ReplaceAllColoured(benchmark::State& state) {
  Run(state, "replace coloured", [] { TheGrid(true).ReplaceAll(); }, true);
}
void BM_OneSetStyleRangeColoured(benchmark::State& state) {
  Run(state, "store coloured", [] { TheGrid(true).StoreAll(); }, true);
}
BENCHMARK(BM_ReplaceAllInTheDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneSetStyleRange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllColoured)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneSetStyleRangeColoured)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  Grid& g = TheGrid();
  bench_note::Time([&] { g.ReplaceAll(); }, "first replace");
  g.Fill();
  bench_note::Time([&] { g.StoreAll(); }, "first store");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Replace All of %u matches against one SetStyleRange of the same values:\n", (unsigned)kRows);
  bench_note::PrintRatio("steady state", "replace", "store", 2.0);
  bench_note::PrintRatio("first run", "first replace", "first store", 2.0);
  bench_note::PrintRatio("coloured cells, steady state", "replace coloured", "store coloured", 2.0);
  return 0;
}
