// Scrolling a grid view of 1,000,000 rows: one-row scrolls (the window moves its pixels and only
// the uncovered strip is painted) against full repaints of the same viewport, 10,000 of each.
// Target: a scroll costs at most a quarter of a repaint. The cells scrolled through hold numbers.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

constexpr ROWCOL kRows = 1000000, kCols = 12;
constexpr int kScrolls = 10000;

class CBenchGridView : public CGXGridView {
  DECLARE_DYNCREATE(CBenchGridView)
};
IMPLEMENT_DYNCREATE(CBenchGridView, CGXGridView)

struct Host {
  CDocument* doc = new CDocument;
  CFrameWnd* frame = new CFrameWnd;
  CBenchGridView* view = nullptr;
  Host() {
    GXStartGridLibrary();
    doc->m_bAutoDelete = FALSE;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CBenchGridView);
    ctx.m_pCurrentDoc = doc;
    frame->Create(nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, nullptr, 0, &ctx);
    frame->InitialUpdateFrame(doc, TRUE);
    view = static_cast<CBenchGridView*>(frame->GetActiveView());
    CGXData& data = *view->GetParam()->GetData();
    data.SetRowCount(kRows);
    data.SetColCount(kCols);
    CGXStyle value;
    for (ROWCOL r = 1; r <= kScrolls + 100; ++r)
      for (ROWCOL c = 1; c <= kCols; ++c) {
        value.SetValue(CString(std::to_string(r * c).c_str()));
        data.StoreStyleAt(r, c, &value, 0);
      }
    view->RefreshScrollBars(FALSE, FALSE);
    view->CGXGridCore::UpdateWindow();
  }
};

Host& TheHost() {
  static Host host;
  return host;
}

// Starts each batch from the same top row so both sides draw the same rows.
void Rewind(CBenchGridView& view) {
  view.SetTopRow(1);
  view.CGXGridCore::UpdateWindow();
}

// Runs the batches; the first one (a fresh process's first 10,000) is reported on its own.
template <class BATCH>
void Batches(benchmark::State& state, CBenchGridView& view, BATCH batch) {
  double first = -1;
  for (auto _ : state) {
    state.PauseTiming();
    Rewind(view);
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    batch();
    if (first < 0) first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  state.counters["first_ms"] = first;
}

void BM_OneRowScroll(benchmark::State& state) {
  CBenchGridView& view = *TheHost().view;
  Batches(state, view, [&] {
    for (int i = 0; i < kScrolls; ++i) view.ScrollGrid(3, 1);
  });
}

void BM_FullRepaint(benchmark::State& state) {
  CBenchGridView& view = *TheHost().view;
  Batches(state, view, [&] {
    for (int i = 0; i < kScrolls; ++i) {
      view.Invalidate(FALSE);
      view.CGXGridCore::UpdateWindow();
    }
  });
}

}  // namespace

BENCHMARK(BM_OneRowScroll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
