// Saving and loading a logger file of four curves of 60,000 points (and the time curve), in MB/s of
// file, against writing and reading the same doubles with one fwrite and one fread, which bounds
// what the archive can reach.
#include "kernel/document/KernelGlobals.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 60000;
constexpr int kCurves = 4;

// A logger whose items and curves are filled as an upload leaves them.
class FilledLogger : public CMC_SingleAxisLogger {
 public:
  FilledLogger() : CMC_SingleAxisLogger(nullptr, nullptr) {
    const char* names[kCurves] = {"APOS", "APOS_LD", "IQ", "TPOS"};
    for (int c = 0; c < kCurves; ++c) {
      m_aItems.Add(new CMC_LoggerItem(names[c], CMC_LoggerItem::ITEM_VARIABLE, -1, 1));
      auto* curve = new CCurve;
      curve->m_strName = names[c];
      m_aCurves.Add(curve);
    }
    for (int c = 0; c <= kCurves; ++c)
      for (int k = 0; k < kPoints; ++k) m_aCurves.GetAt(c)->SetAtGrow(k, c * 1e3 + k * 0.001);
  }
};

// A scratch folder of this run, removed at exit.
struct ScratchDir {
  ScratchDir() : path((std::filesystem::temp_directory_path() / ("dravonix-bench-" + std::to_string(getpid()))).string()) {
    g_bShowErrors = FALSE;
    std::filesystem::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

std::string Path(const char* name) {
  static const ScratchDir dir;
  return dir.path + "/" + name;
}

int64_t FileSize(const std::string& path) { return (int64_t)std::filesystem::file_size(path); }

void BM_LoggerSave(benchmark::State& state) {
  FilledLogger logger;
  const std::string path = Path("save.lgs");
  for (auto _ : state)
    if (!logger.Save(path.c_str())) state.SkipWithError("save failed");
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void BM_LoggerLoad(benchmark::State& state) {
  const std::string path = Path("load.lgs");
  FilledLogger().Save(path.c_str());
  CMC_SingleAxisLogger logger(nullptr, nullptr);
  for (auto _ : state)
    if (!logger.Load(path.c_str()) || logger.GetCurves().GetAt(kCurves)->GetSize() != kPoints)
      state.SkipWithError("load failed");
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

// The same doubles in one block.
std::vector<double> Doubles() { return std::vector<double>((size_t)(kCurves + 1) * kPoints, 1.5); }

void BM_FwriteDoubles(benchmark::State& state) {
  const std::vector<double> values = Doubles();
  const std::string path = Path("raw.bin");
  for (auto _ : state) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(values.data(), sizeof(double), values.size(), f) != values.size()) state.SkipWithError("write");
    if (f) fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)(values.size() * sizeof(double)));
}

void BM_FreadDoubles(benchmark::State& state) {
  std::vector<double> values = Doubles();
  const std::string path = Path("raw-in.bin");
  FILE* out = fopen(path.c_str(), "wb");
  if (out) {
    fwrite(values.data(), sizeof(double), values.size(), out);
    fclose(out);
  }
  for (auto _ : state) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f || fread(values.data(), sizeof(double), values.size(), f) != values.size()) state.SkipWithError("read");
    if (f) fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)(values.size() * sizeof(double)));
}

BENCHMARK(BM_LoggerSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FwriteDoubles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoggerLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreadDoubles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
