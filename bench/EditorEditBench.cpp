// Editing a 100 MB text through the editor engine, measured beside what it is compared with in
// the same run. Targets: pasting 10 MB into the middle of the 100 MB text, and undoing that paste,
// each within 2x of ReadFromFile of the same 10 MB; typing 20 characters and Enter on the last line
// of the 100 MB text and undoing them within 1.5x of the same on a 64-line text.
#include "editor/core/SECEditCore.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/WinApp.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class CBenchEditWnd : public SECEditCore<CWnd> {
 public:
  SECEdit edit;
  SECEdit* GetEdit() override { return &edit; }
  void UpdateViews(CWnd*, LPARAM, CObject*) override {}
};

std::string Lines(size_t bytes, const char* word) {
  std::string text;
  text.reserve(bytes + 128);
  char buf[128];
  for (size_t i = 0; text.size() < bytes; ++i) {
    snprintf(buf, sizeof buf, "\tif x%zu %s move axis = \"position %zu\" + var; wait 10 // step %zu\r\n", i % 64, word,
             i, i);
    text += buf;
  }
  return text;
}

const std::string& PasteText() {
  static std::string text = Lines(10u << 20, "paste");
  return text;
}

std::unique_ptr<CBenchEditWnd> MakeWindow(size_t bytes) {
  auto w = std::make_unique<CBenchEditWnd>();
  std::string text = bytes > 64 * 100 ? Lines(bytes, "begin") : Lines(64 * 84, "begin").substr(0);
  if (bytes <= 64 * 100) {
    // exactly 64 lines
    size_t at = 0;
    for (int i = 0; i < 64; ++i) at = text.find('\n', at) + 1;
    text.resize(at);
  }
  w->edit.TextChangedAt(0);
  SECEdit::FreeLineList(w->edit.m_pLine);
  w->edit.m_pLine = w->edit.SplitIntoLines(text.c_str(), (int)text.size());
  w->edit.m_nLineCount = w->edit.RenumberAll();
  w->CreateEx(0, AfxRegisterWndClass(0), "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 800), nullptr, 0);
  w->InitView();
  return w;
}

CBenchEditWnd& Big() {
  static std::unique_ptr<CBenchEditWnd> w = MakeWindow(100u << 20);
  return *w;
}

void BM_ReadFromFile10MB(benchmark::State& state) {
  std::string path = "/tmp/dravonix_editor_edit_" + std::to_string(getpid()) + ".txt";
  FILE* f = fopen(path.c_str(), "wb");
  fwrite(PasteText().data(), 1, PasteText().size(), f);
  fclose(f);
  for (auto _ : state) {
    SECEdit e;
    benchmark::DoNotOptimize(e.ReadFromFile(path.c_str()));
  }
  remove(path.c_str());
}

void BM_PasteAndUndo10MB(benchmark::State& state) {
  CBenchEditWnd& w = Big();
  ClipboardSetText(nullptr, PasteText().data(), PasteText().size());
  double paste = 0, undo = 0;
  for (auto _ : state) {
    w.m_pCurLine = w.m_pTopLine = w.FindLine(w.edit.m_nLineCount / 2);
    w.m_nCurLine = w.m_nTopLine = (int)w.edit.LineNumber(w.m_pCurLine);
    w.m_nCurCol = 0;
    auto t0 = std::chrono::steady_clock::now();
    w.Paste(TRUE, TRUE);
    w.UpdateWindow();
    auto t1 = std::chrono::steady_clock::now();
    w.OnEditUndo();
    w.UpdateWindow();
    auto t2 = std::chrono::steady_clock::now();
    paste += std::chrono::duration<double>(t1 - t0).count();
    undo += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  state.counters["paste_ms"] = benchmark::Counter(paste * 1e3 / (double)state.iterations());
  state.counters["undo_ms"] = benchmark::Counter(undo * 1e3 / (double)state.iterations());
}

void TypeAndUndo(benchmark::State& state, CBenchEditWnd& w) {
  for (auto _ : state) {
    w.GoToTextEnd(TRUE);
    for (int i = 0; i < 20; ++i) w.InsertChar('a' + i, TRUE, TRUE);
    w.NewLine(TRUE, TRUE);
    w.UpdateWindow();
    while (w.edit.m_nUndoPos) w.OnEditUndo();
    w.UpdateWindow();
  }
}

void BM_TypeOnLastLine100MB(benchmark::State& state) { TypeAndUndo(state, Big()); }

void BM_TypeOnLastLine64Lines(benchmark::State& state) {
  static std::unique_ptr<CBenchEditWnd> small = MakeWindow(64);
  TypeAndUndo(state, *small);
}

}  // namespace

BENCHMARK(BM_ReadFromFile10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteAndUndo10MB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_TypeOnLastLine64Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeOnLastLine100MB)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  CWinApp app("EditorEditBench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
