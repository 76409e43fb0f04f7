// The motion view on a sequence of 100,000 translated elements: filling the view, and opening a
// group of 10,000 in the middle, each compared against one InsertRows of as many rows plus setting
// their cells (value, colour, the two tree attributes) in a bare grid of the same size, measured
// side by side: steady state and the first run of a fresh process; and the view made narrower or
// wider, its rows fitted to the new width, against the same step of a view of 1,000 elements.
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "views/motion/MC_MotionView.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "bench/BenchNote.h"

namespace fs = std::filesystem;

namespace {

const int kElements = 100000, kGroup = 10000, kGroupAt = 50000, kSmallElements = 1000;

class BenchView : public CMC_MotionView {
  DECLARE_DYNCREATE(BenchView)
 public:
  using CMC_MotionView::OnClickedButtonRowCol;
};
IMPLEMENT_DYNCREATE(BenchView, CMC_MotionView)

class BenchDoc : public CMC_Document {
 public:
  BenchDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
};

CMC_MotionElem* Wait(int n) {
  auto* e = new CMC_MotionElem;
  e->m_strType = "Wait";
  e->m_strParameters.Format("Time=%d", n);
  return e;
}

// The application and a copy of the kernel folder, made once for both programs.
void StartOnce() {
  static CWinApp app{"MotionViewBench"};
  static bool started = [] {
    fs::path exe = fs::read_symlink("/proc/self/exe");
    char tmpl[] = "/tmp/dravonix-motionview-XXXXXX";
    std::string kernel = mkdtemp(tmpl);
    fs::copy(exe.parent_path().parent_path() / "kernel", kernel, fs::copy_options::recursive);
    setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
    return true;
  }();
  (void)started;
}

// The program (translated once, as the view finds it after the first translation) and the view
// in a frame; in the large one the group of 10,000 sits at index 50,000 of the main sequence.
struct Sample {
  BenchDoc doc;
  CFrameWnd* frame = nullptr;
  BenchView* view = nullptr;
  CMC_MotionGroup* group = nullptr;

  // Frames side by side, neither covering the other.
  Sample(int elements, int left) {
    StartOnce();
    doc.setup = CMC_Setup::Create(0x0505);
    doc.motion = doc.setup ? CMC_Motion::Create(doc.setup) : nullptr;
    if (!doc.motion) return;
    CMC_MotionGroup* main = doc.motion->GetMain();
    group = new CMC_MotionGroup("block");
    for (int i = 0; i < kGroup; ++i) group->Add(Wait(i));
    for (int i = 0; i < elements; ++i) main->Add(i == kGroupAt ? static_cast<CObject*>(group) : Wait(i));
    if (elements <= kGroupAt) delete group, group = nullptr;
    doc.motion->SetSelection(CMC_Motion::selMain, 0);
    doc.motion->TranslateAll(TRUE);
    frame = new CFrameWnd;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(BenchView);
    ctx.m_pCurrentDoc = &doc;
    frame->Create(nullptr, "motion", WS_POPUP | WS_VISIBLE, CRect(left, 0, left + 500, 400), nullptr, nullptr, 0, &ctx);
    frame->InitialUpdateFrame(&doc, TRUE);
    UiAutomation::Pump();
    view = static_cast<BenchView*>(frame->GetActiveView());
    // Shown once, as a host's view is before the user opens a group: the fonts are loaded.
    if (view) view->CWnd::UpdateWindow();
  }
};

Sample& TheSample() {
  static Sample s(kElements, 0);
  return s;
}

Sample& SmallSample() {
  static Sample s(kSmallElements, 520);
  return s;
}

// The bare grid with its one column.
struct Bare {
  CGXGridCore core;
  Bare() {
    GXStartGridLibrary();
    core.Initialize();
    core.GetParam()->EnableUndo(FALSE);
    core.SetColCount(1);
  }
};

// One insertion of `count` rows at `at` into a bare grid that ends with `rows`, then each new cell
// set; only these are timed.
double TimedBare(ROWCOL rows, ROWCOL at, ROWCOL count) {
  Bare bare;
  if (rows > count) bare.core.InsertRows(1, rows - count, nullptr, nullptr, nullptr, 0, 0);
  return bench_note::Time([&] {
    bare.core.InsertRows(at, count, nullptr, nullptr, nullptr, 0, 2);
    CGXStyle style;
    for (ROWCOL r = at; r < at + count; ++r) {
      style.SetValue("WAIT 1;").SetTextColor(0x8000).SetControl(15002);
      style.SetUserAttribute(15003, "0").SetUserAttribute(15004, "-1");
      bare.core.SetStyleRange(CGXRange().SetCellRange(r, 1, r, 1), &style, 2, 0, nullptr, 2);
    }
  });
}

double Fill(Sample& s) {
  return bench_note::Time([&] { s.view->OnUpdate(nullptr, CMC_MotionView::kHintRefresh, nullptr); });
}

// Opens the group (timed) and closes it again.
double Expand(Sample& s) {
  const DWORD row = kGroupAt + 1;
  const double t = bench_note::Time([&] { s.view->OnClickedButtonRowCol(row, 1); });
  s.view->OnClickedButtonRowCol(row, 1);
  return t;
}

// Registered first, so that they run first in the process.
void BM_FirstFill(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("first fill", Fill(TheSample()));
}
BENCHMARK(BM_FirstFill)->Iterations(1)->Unit(benchmark::kMillisecond);
void BM_FirstBareFill(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("first bare fill", TimedBare(kElements, 1, kElements));
}
BENCHMARK(BM_FirstBareFill)->Iterations(1)->Unit(benchmark::kMillisecond);
void BM_FirstExpand(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("first expand", Expand(TheSample()));
}
BENCHMARK(BM_FirstExpand)->Iterations(1)->Unit(benchmark::kMillisecond);
void BM_FirstBareExpand(benchmark::State& state) {
  for (auto _ : state) bench_note::Keep("first bare expand", TimedBare(kElements + kGroup, kGroupAt + 2, kGroup));
}
BENCHMARK(BM_FirstBareExpand)->Iterations(1)->Unit(benchmark::kMillisecond);

template <class F>
void Steady(benchmark::State& state, const char* key, F run) {
  double seconds = 0;
  for (auto _ : state) {
    const double t = run();
    seconds += t;
    state.SetIterationTime(t);
  }
  bench_note::Keep(key, seconds / (double)state.iterations());
}
void BM_Fill(benchmark::State& state) {
  Steady(state, "fill", [] { return Fill(TheSample()); });
}
void BM_BareFill(benchmark::State& state) {
  Steady(state, "bare fill", [] { return TimedBare(kElements, 1, kElements); });
}
void BM_Expand(benchmark::State& state) {
  Steady(state, "expand", [] { return Expand(TheSample()); });
}
void BM_BareExpand(benchmark::State& state) {
  Steady(state, "bare expand", [] { return TimedBare(kElements + kGroup, kGroupAt + 2, kGroup); });
}
// The frame made narrower or wider again, as one step of a drag of its border, and the paint that
// follows: the rows the new width may change are fitted again.
double ResizeStep(Sample& s) {
  CRect r;
  s.frame->GetWindowRect(&r);
  return bench_note::Time([&] {
    s.frame->MoveWindow(r.left, r.top, r.Width() == 500 ? 460 : 500, r.Height());
    UiAutomation::Pump();
  });
}
void BM_Resize(benchmark::State& state) {
  Steady(state, "resize", [] { return ResizeStep(TheSample()); });
}
void BM_SmallResize(benchmark::State& state) {
  Steady(state, "small resize", [] { return ResizeStep(SmallSample()); });
}
BENCHMARK(BM_Fill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Expand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareExpand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Resize)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_SmallResize)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!TheSample().view || !SmallSample().view) {
    std::fprintf(stderr, "no motion program or view\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nMotion view of %d elements against InsertRows plus the cells in a bare grid:\n", kElements);
  bench_note::PrintRatio("fill, steady state", "fill", "bare fill", 3);
  bench_note::PrintRatio("fill, first run", "first fill", "first bare fill", 3);
  bench_note::PrintRatio("expand 10,000, steady state", "expand", "bare expand", 3);
  bench_note::PrintRatio("expand 10,000, first run", "first expand", "first bare expand", 3);
  std::printf("Width changed by one step of a frame border's drag, %d elements against %d:\n", kElements,
              kSmallElements);
  bench_note::PrintRatio("width changed, steady state", "resize", "small resize", 2);
  std::printf("  rows: %u with the group closed\n", (unsigned)TheSample().view->GetRowCount());
  return 0;
}
