// Find and replace over a 100 MB text of 80-column lines, beside `grep -c` on the same file in the same run.
// Targets: Find Next from the top for a word on the last line (plain and regular, case on and off) within 3x
// of `grep -c -F` / `grep -c -E`; Replace All of 1,000 matches spread over the text, and its Undo, each within
// 3x of one such Find Next.
#include "editor/core/SECEditCore.h"
#include "platform/ui/WinApp.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kBytes = 100u << 20;
constexpr int kSpread = 1000;

class CBenchEditWnd : public SECEditCore<CWnd> {
 public:
  SECEdit edit;
  SECEdit* GetEdit() override { return &edit; }
  void UpdateViews(CWnd*, LPARAM, CObject*) override {}
};

// 80-column lines; every (lines / 1000)th holds "zq9w", the last one "last9word" (no other line has a digit).
const std::string& TextFile() {
  static std::string path = [] {
    std::string p = "/tmp/dravonix_editor_find_" + std::to_string(getpid()) + ".txt";
    FILE* f = fopen(p.c_str(), "wb");
    const size_t lines = kBytes / 82;
    std::string line;
    uint32_t seed = 777;
    for (size_t i = 0; i < lines; ++i) {
      line.clear();
      for (int c = 0; c < 80; ++c) {
        seed = seed * 1103515245u + 12345u;
        unsigned r = (seed >> 16) % 30;
        line += r < 5 ? ' ' : (char)('a' + r % 26);
      }
      if (i % (lines / kSpread + 1) == lines / kSpread / 2) line.replace(10, 4, "zq9w");
      if (i + 1 == lines) line.replace(30, 9, "last9word");
      line += "\r\n";
      fwrite(line.data(), 1, line.size(), f);
    }
    fclose(f);
    atexit([] { remove(TextFile().c_str()); });
    return p;
  }();
  return path;
}

CBenchEditWnd& Window() {
  static std::unique_ptr<CBenchEditWnd> w = [] {
    auto p = std::make_unique<CBenchEditWnd>();
    p->edit.ReadFromFile(TextFile().c_str());
    p->CreateEx(0, AfxRegisterWndClass(0), "bench", WS_POPUP, CRect(0, 0, 800, 600), nullptr, 0);
    p->InitView();
    p->m_bShowMessages = FALSE;
    return p;
  }();
  return *w;
}

void BM_FindLastLine(benchmark::State& state) {
  CBenchEditWnd& w = Window();
  std::string find = state.range(0) ? "l[a-z]*9word" : "last9word";
  if (!state.range(1)) find = state.range(0) ? "L[A-Z]*9WORD" : "LAST9WORD";
  SECFindParams p;
  p.nFlags = SECFIND_DOWN | (state.range(0) ? SECFIND_REGEXP : 0) | (state.range(1) ? SECFIND_MATCHCASE : 0);
  p.pszFind = find.data();
  for (auto _ : state) {
    SECEditPos pos{SECEdit::GetFirstLine(w.edit.m_pLine), 0}, none;
    if (!w.edit.FindText(&pos, &none, &p)) state.SkipWithError("not found");
  }
}

void BM_GrepCount(benchmark::State& state) {
  const std::string cmd = std::string("LC_ALL=C grep -c ") + (state.range(0) ? "-E 'l[a-z]*9word' " : "-F last9word ") +
                          TextFile();
  for (auto _ : state) {
    FILE* p = popen(cmd.c_str(), "r");
    char out[64] = {0};
    if (!p || !fgets(out, sizeof out, p)) state.SkipWithError("grep failed");
    if (p) pclose(p);
  }
}

void BM_ReplaceAllAndUndo(benchmark::State& state) {
  CBenchEditWnd& w = Window();
  std::string find = "zq9w", repl = "ZQ9W+";
  double replace = 0, undo = 0;
  for (auto _ : state) {
    SECFindParams p;
    p.nFlags = SECFIND_MATCHCASE;
    p.pszFind = find.data();
    p.pszReplace = repl.data();
    auto t0 = std::chrono::steady_clock::now();
    if (w.ReplaceAll(&p) != kSpread) state.SkipWithError("wrong count");
    auto t1 = std::chrono::steady_clock::now();
    w.OnEditUndo();
    auto t2 = std::chrono::steady_clock::now();
    replace += std::chrono::duration<double>(t1 - t0).count();
    undo += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  state.counters["replace_ms"] = benchmark::Counter(replace * 1e3 / (double)state.iterations());
  state.counters["undo_ms"] = benchmark::Counter(undo * 1e3 / (double)state.iterations());
}

}  // namespace

// Arguments: regular expression, match case.
BENCHMARK(BM_GrepCount)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindLastLine)->Args({0, 1})->Args({0, 0})->Args({1, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllAndUndo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

int main(int argc, char** argv) {
  CWinApp app("EditorFindBench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
