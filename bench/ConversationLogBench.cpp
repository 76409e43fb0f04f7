// Entries per second into the net master's conversation log, each entry appended and painted, at 0,
// 10,000 and 100,000 lines already logged. Beside it, in the same run, the way the log used to take an
// entry: the window text rebuilt from every line after each one. An entry must cost the same at any
// length (at most x1.5 from 0 to 100,000 lines). The first batch of each (a fresh process's first
// entries) is reported apart from the steady state.
#include "bench/BenchNote.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int kEntries = 100;  // per batch

// The net master window with its log, holding `lines` lines.
struct LogWindow {
  CWnd parent, placeholder;
  CConversationEditCtrl log;
  explicit LogWindow(int lines) {
    parent.CreateEx(0, AfxRegisterWndClass(0), "net master", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0);
    placeholder.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(5, 5, 595, 395), &parent, 14000);
    log.AttachToDlgItem(14000, &parent);
    std::string text;
    char buf[64];
    for (int i = 0; i < lines; ++i) {
      snprintf(buf, sizeof buf, "Block read, axis %d: 4096 words\n", i % 8);
      text += buf;
    }
    if (!text.empty()) log.AppendText(text.c_str());
    PumpMessages();
  }
  ~LogWindow() { parent.DestroyWindow(); }
};

// The old way's extra work per entry: the last line looked up from the first, and the window text set
// to the whole log.
void RebuildWindowText(CConversationEditCtrl& log) {
  benchmark::DoNotOptimize(SECEdit::GetLastLine(log.GetEdit()->m_pLine));
  const CString text = log.GetLogText();
  ::DefWindowProc(log.m_hWnd, WM_SETTEXT, 0, (LPARAM)text.GetString());
}

void Entries(benchmark::State& state, bool oldWay) {
  const int lines = (int)state.range(0);
  LogWindow w(lines);
  if (oldWay) RebuildWindowText(w.log);
  const std::string key = std::string(oldWay ? "old" : "new") + std::to_string(lines);
  bool first = true;
  for (auto _ : state) {
    const double s = bench_note::Time([&] {
      for (int i = 0; i < kEntries; ++i) {
        w.log.AppendText("Channel open: slave b answered in 2 ms\n");
        if (oldWay) RebuildWindowText(w.log);
        PumpMessages();
      }
    });
    if (first) bench_note::Keep(key + "-first", s / kEntries), first = false;
    bench_note::Keep(key, s / kEntries);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_LogEntries(benchmark::State& state) { Entries(state, false); }
void BM_LogEntriesOldWay(benchmark::State& state) { Entries(state, true); }

// Few batches, so that the log stays near its starting length.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(10000)->Arg(100000)->ArgName("lines")->Iterations(20)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_LogEntries)->Apply(Sizes);
BENCHMARK(BM_LogEntriesOldWay)->Apply(Sizes);

void PrintRates(const char* label, const std::string& suffix) {
  std::printf("%s, entries per second (now / the text rebuilt per entry):\n", label);
  for (const char* lines : {"0", "10000", "100000"}) {
    auto& t = bench_note::Seconds();
    const double now = t["new" + std::string(lines) + suffix], old = t["old" + std::string(lines) + suffix];
    std::printf("  %6s lines: %10.0f / %10.0f\n", lines, now > 0 ? 1 / now : 0, old > 0 ? 1 / old : 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  CWinApp app("ConversationLogBench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintRates("Steady state", "");
  PrintRates("First batch", "-first");
  std::printf("Per entry, 100,000 lines against none:\n");
  bench_note::PrintRatio("steady state", "new100000", "new0", 1.5);
  bench_note::PrintRatio("first batch", "new100000-first", "new0-first", 1.5);
  benchmark::Shutdown();
  return 0;
}
