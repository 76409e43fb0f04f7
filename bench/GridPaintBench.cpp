// Painting a 1280 x 1024 grid window scrolled to the last page of a 1,000,000-row, 100-column
// grid (every row its own stored height, every 1,000th row hidden, the visible rows inside a
// selection of 500,000 whole rows), compared against the same window over a 50-row grid set up
// alike (own heights, hidden rows, all rows selected); steady state and the first paint.
// And a 100,000-row grid view in a frame, its full repaint and Page Down, under the library's
// start-up defaults (solid grid lines) and under the kernel views' (dotted lines on the right and
// bottom). Target: the dotted lines cost at most x1.2 of the solid ones.
#include "bench/BenchNote.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLibraryDefaults.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

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
    // Showing the scroll bars stops the first paint for the new room; the paint that follows draws the cells.
    if (grid->core.m_bLayoutChanged) grid->Paint();
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
}
void BM_FirstPaintMillionRows(benchmark::State& state) { FirstPaint(state, 1000000); }
void BM_FirstPaintFiftyRows(benchmark::State& state) { FirstPaint(state, 50); }

class CLinesGridView : public CGXGridView {
  DECLARE_DYNCREATE(CLinesGridView)
};
IMPLEMENT_DYNCREATE(CLinesGridView, CGXGridView)

// A grid view made under the kernel views' library defaults (1, 2, 1) or the start-up ones, the two
// side by side.
struct LinesView {
  CDocument* doc = new CDocument;
  CFrameWnd* frame = new CFrameWnd;
  CLinesGridView* view = nullptr;
  explicit LinesView(bool kernelDefaults) {
    GXStartGridLibrary();
    if (kernelDefaults) GXSetLibraryDefaults(1, 2, 1);
    doc->m_bAutoDelete = FALSE;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CLinesGridView);
    ctx.m_pCurrentDoc = doc;
    const int left = kernelDefaults ? 640 : 0;
    frame->Create(nullptr, "lines", WS_POPUP | WS_VISIBLE, CRect(left, 0, left + 640, 768), nullptr, nullptr, 0, &ctx);
    frame->InitialUpdateFrame(doc, TRUE);
    GXSetLibraryDefaults(0, 0, 0);
    view = static_cast<CLinesGridView*>(frame->GetActiveView());
    view->GetParam()->GetData()->SetRowCount(100000);
    view->GetParam()->GetData()->SetColCount(20);
    view->RefreshScrollBars(FALSE, FALSE);
    Rewind();
  }
  void Rewind() {
    view->SetCurrentCell(1, 1);
    view->SetTopRow(1);
    view->CGXGridCore::UpdateWindow();
  }
  void Repaint() {
    view->Invalidate(FALSE);
    view->CGXGridCore::UpdateWindow();
  }
  // Page Down with the focus in the view, from the top again near the end (untimed).
  template <class Timed>
  void PageDown(benchmark::State& state, Timed timed) {
    state.PauseTiming();
    if (view->GetTopRow() > 99000) Rewind();
    frame->SetActiveWindow();
    view->SetFocus();
    state.ResumeTiming();
    timed([] { UiAutomation::PressKey(VK_NEXT); });
  }
};

LinesView& Lines(bool kernelDefaults) {
  static std::unique_ptr<LinesView> views[2];
  auto& v = views[kernelDefaults ? 1 : 0];
  if (!v) v = std::make_unique<LinesView>(kernelDefaults);
  return *v;
}

void BM_ViewRepaint(benchmark::State& state) {
  LinesView& lines = Lines(state.range(0) != 0);
  for (auto _ : state) lines.Repaint();
}

void BM_ViewPageDown(benchmark::State& state) {
  LinesView& lines = Lines(state.range(0) != 0);
  for (auto _ : state) lines.PageDown(state, [](auto press) { press(); });
}

// Both views in turns, so that a neighbour's load meets both alike: the closing note's ratios.
void BM_ViewsInTurns(benchmark::State& state) {
  LinesView &solid = Lines(false), &dotted = Lines(true);
  std::vector<double> times[4];
  for (auto _ : state) {
    times[0].push_back(bench_note::Time([&] { solid.Repaint(); }));
    times[1].push_back(bench_note::Time([&] { dotted.Repaint(); }));
    solid.PageDown(state, [&](auto press) { times[2].push_back(bench_note::Time(press)); });
    dotted.PageDown(state, [&](auto press) { times[3].push_back(bench_note::Time(press)); });
  }
  const char* keys[4] = {"repaint (0, 0, 0)", "repaint (1, 2, 1)", "page down (0, 0, 0)", "page down (1, 2, 1)"};
  for (int i = 0; i < 4; ++i) bench_note::Keep(keys[i], bench_note::Median(times[i]));
}

}  // namespace

BENCHMARK(BM_ViewRepaint)->Arg(0)->Arg(1)->ArgName("kernel_defaults")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewPageDown)->Arg(0)->Arg(1)->ArgName("kernel_defaults")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewsInTurns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLastPageOfMillionRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFiftyRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaintMillionRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FirstPaintFiftyRows)->Unit(benchmark::kMillisecond)->Iterations(1);
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Grid view of 100,000 rows, dotted lines against solid (medians, in turns):\n");
  bench_note::PrintRatio("full repaint", "repaint (1, 2, 1)", "repaint (0, 0, 0)", 1.2);
  bench_note::PrintRatio("Page Down", "page down (1, 2, 1)", "page down (0, 0, 0)", 1.2);
  return 0;
}
