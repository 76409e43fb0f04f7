// Points arriving in a logger view of four plots: each point read (a synthetic ReadPoint filling the
// five curves) then drawn incrementally through hint -97, for 1,000 and for 60,000 points. The cost
// per point must stay flat (at most x2 from 1,000 to 60,000); ReadPoint alone is the reference.
#include "bench/BenchNote.h"
#include "kernel/document/MC_Document.h"
#include "monitor/loggers/MC_LoggerView.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// Four items whose points are made up instead of uploaded.
class SyntheticLogger : public CMC_SingleAxisLogger {
 public:
  explicit SyntheticLogger(WORD points) : CMC_SingleAxisLogger(nullptr, nullptr) {
    ChangeSettings(points, LOG_TS_S, 1);
    m_aCurves.DeleteAll();
    for (int i = 0; i < 5; ++i) m_aCurves.Add(new CCurve);
    m_graphDoc.DeleteAll();
    for (int p = 0; p < 4; ++p) {
      auto* plot = new CGraphFilter;
      auto* xy = new CXYCurve;
      xy->m_nXCurve = 0;
      xy->m_nYCurve = (DWORD)(p + 1);
      plot->Add(xy);
      m_graphDoc.Add(plot);
    }
    m_graphDoc.SetSource(&m_aCurves, nullptr);
  }
  void Rewind() {
    PrepareCurves();
    m_nRead = 0;
  }
  int ReadPoint(double*) override {
    if (m_nRead >= m_nPoints) return 0;
    m_aCurves.GetAt(0)->SetAt(m_nRead, m_nRead * 0.001);
    for (int i = 1; i < 5; ++i) m_aCurves.GetAt(i)->SetAt(m_nRead, std::sin(m_nRead * 0.01 * i));
    ++m_nRead;
    return 1;
  }
  int m_nRead = 0;
};

class HostDocument : public CMC_Document {
 public:
  HostDocument() { m_bAutoDelete = FALSE; }
  CMC_SingleAxisLogger* GetLogger() override { return m_pLogger; }
  CMC_SingleAxisLogger* m_pLogger = nullptr;
};

// A view of the logger's four plots in an 800 x 600 window.
struct Viewer {
  HostDocument doc;
  CWnd parent;
  CMC_LoggerView* view = new CMC_LoggerView;
  explicit Viewer(SyntheticLogger* logger) {
    doc.m_pLogger = logger;
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);
    view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 600), &parent, AFX_IDW_PANE_FIRST, nullptr);
    doc.AddView(view);
    view->OnInitialUpdate();
    PumpMessages();
  }
  ~Viewer() {
    doc.RemoveView(view);
    parent.DestroyWindow();
  }
};

void Upload(SyntheticLogger& logger, CDocument* doc) {
  logger.Rewind();
  while (logger.ReadPoint(nullptr))
    if (doc) doc->UpdateAllViews(nullptr, CMC_Document::HINT_LOGGER_POINT_READ, &logger);
}

void BM_UploadIntoView(benchmark::State& state) {
  const WORD points = (WORD)state.range(0);
  SyntheticLogger logger(points);
  Viewer viewer(&logger);
  const std::string key = "view" + std::to_string(points);
  bool first = true;
  for (auto _ : state) {
    double s = bench_note::Time([&] { Upload(logger, &viewer.doc); });
    if (first) bench_note::Keep(key + "-first", s / points), first = false;
    bench_note::Keep(key, s / points);
  }
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_UploadIntoView)->Arg(1000)->Arg(60000)->ArgName("points")->Unit(benchmark::kMillisecond);

void BM_ReadPointAlone(benchmark::State& state) {
  const WORD points = (WORD)state.range(0);
  SyntheticLogger logger(points);
  for (auto _ : state) bench_note::Keep("read" + std::to_string(points), bench_note::Time([&] { Upload(logger, nullptr); }) / points);
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_ReadPointAlone)->Arg(1000)->Arg(60000)->ArgName("points")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("Per point, 60,000 points against 1,000 (incremental drawing keeps it flat):\n");
  bench_note::PrintRatio("steady state", "view60000", "view1000", 2.0);
  bench_note::PrintRatio("first run", "view60000-first", "view1000-first", 2.0);
  benchmark::Shutdown();
  return 0;
}
