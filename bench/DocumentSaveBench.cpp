// Saving a new document (8 KB through its archive) and writing a new text file (8 KB through the
// text store), each into a folder that holds 20,000 other files, against the same bytes written
// beside, synced and renamed, the folder synced after. A name that is missing as spelled is looked
// for in another case, which lists the folder: what a save pays for that. Steady state and the
// first run of a fresh process (each alone: --benchmark_filter=First...). And a new document against
// one saved over its old file of the same size, in turns in a folder of their own.
#include "bench/BenchNote.h"
#include "bench/SyncedBeside.h"
#include "editor/text/SECEdit.h"
#include "platform/core/Archive.h"
#include "platform/ui/Document.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

constexpr int kCrowd = 20000;
const std::string kBytes(8192, 'd');

class CBytesDoc : public CDocument {
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) ar.Write(kBytes.data(), (UINT)kBytes.size());
  }
};

struct Folders {
  std::string out;
  int next = 0;
  Folders() {
    out = (std::filesystem::temp_directory_path() / ("dravonix-docsavebench-" + std::to_string(getpid()))).string();
  }
  ~Folders() {
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
  }
  std::string Crowded(const char* name) const {
    const std::string dir = out + "/" + name;
    std::filesystem::create_directories(dir);
    bench_note::Crowd(dir, kCrowd);
    return dir;
  }
  // A name no file in the folder has, in any case.
  std::string NewName() { return "new" + std::to_string(next++) + ".doc"; }
};

Folders& Get() {
  static Folders f;
  return f;
}

bool SaveDocument(const std::string& dir) {
  CBytesDoc doc;
  doc.m_bAutoDelete = FALSE;
  return doc.OnSaveDocument((dir + "/" + Get().NewName()).c_str()) != 0;
}

bool WriteText(const std::string& dir) {
  static SECEdit edit;
  if (edit.m_nLineCount < 2) {
    std::string lines;
    for (int i = 0; i < 128; ++i) lines.append(62, 't').append("\r\n");
    edit.TextChangedAt(0);
    SECEdit::FreeLineList(edit.m_pLine);
    edit.m_pLine = edit.SplitIntoLines(lines.c_str(), (int)lines.size());
    edit.m_nLineCount = edit.RenumberAll();
  }
  return edit.WriteToFile((dir + "/" + Get().NewName()).c_str()) == 0;
}

bool SyncedBeside(const std::string& dir) {
  return bench_note::WriteSyncedBeside(dir, {Get().NewName()}, {kBytes});
}

template <bool (*Run)(const std::string&)>
void First(benchmark::State& state, const char* key) {
  const std::string dir = Get().Crowded(key);
  for (auto _ : state)
    if (!bench_note::Time([&] { return Run(dir); }, key)) state.SkipWithError("failed");
}
void BM_FirstSyncedCrowded(benchmark::State& state) { First<SyncedBeside>(state, "first synced crowded"); }
void BM_FirstDocumentCrowded(benchmark::State& state) { First<SaveDocument>(state, "first document crowded"); }
void BM_FirstTextCrowded(benchmark::State& state) { First<WriteText>(state, "first text crowded"); }
BENCHMARK(BM_FirstSyncedCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstDocumentCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstTextCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);

// Each save under a new name, in turns with its baseline, each in a folder of its own.
template <bool (*Run)(const std::string&)>
void InTurns(benchmark::State& state, const char* ours, const char* base) {
  const std::string a = Get().Crowded(ours), b = Get().Crowded(base);
  bench_note::RunInTurns(state, ours, [&] { return Run(a); }, base, [&] { return SyncedBeside(b); });
}
void BM_DocumentCrowded(benchmark::State& state) { InTurns<SaveDocument>(state, "document crowded", "synced crowded"); }
void BM_TextCrowded(benchmark::State& state) { InTurns<WriteText>(state, "text crowded", "synced crowded (text)"); }
BENCHMARK(BM_DocumentCrowded)->Unit(benchmark::kMicrosecond);

bool SaveDocumentAs(const std::string& path) {
  CBytesDoc doc;
  doc.m_bAutoDelete = FALSE;
  return doc.OnSaveDocument(path.c_str()) != 0;
}

void BM_NewDocumentAgainstOverwrite(benchmark::State& state) {
  const std::string dir = Get().out + "/new-or-over", fresh = dir + "/new.doc", over = dir + "/over.doc";
  std::filesystem::create_directories(dir);
  if (!SaveDocumentAs(over)) state.SkipWithError("failed");
  bench_note::RunInTurns(
      state, "new document", [&] { return SaveDocumentAs(fresh); }, "document over its old file",
      [&] { return SaveDocumentAs(over); }, [&] { std::filesystem::remove(fresh); });
}
BENCHMARK(BM_NewDocumentAgainstOverwrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextCrowded)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench_note::RunAll(argc, argv)) return 1;
  std::printf("Saving a new document or text among 20,000 other files (against the bytes written beside, synced, renamed):\n");
  bench_note::PrintRatio("document, first run", "first document crowded", "first synced crowded", 2.0);
  bench_note::PrintRatio("text, first run", "first text crowded", "first synced crowded", 2.0);
  bench_note::PrintRatio("document, steady state", "document crowded", "synced crowded", 2.0);
  bench_note::PrintRatio("text, steady state", "text crowded", "synced crowded (text)", 2.0);
  bench_note::PrintRatio("new document against one over its old file", "new document", "document over its old file", 1.25);
  return 0;
}
