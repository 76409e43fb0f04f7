// Loading a 100 MB text file of 80-character lines into the editor's text object, compared with
// `wc -l` counting the lines of the same file (process start included). Targets: within 2x of wc, and a
// peak memory growth (getrusage's maximum resident size, taken around the first load) within 1.5x of the file.
#include "editor/text/SECEdit.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const std::string& TestFile() {
  static std::string path = [] {
    const char* dir = getenv("TMPDIR");
    std::string p = std::string(dir && *dir ? dir : "/tmp") + "/dravonix_editor_load_" + std::to_string(getpid()) + ".txt";
    FILE* f = fopen(p.c_str(), "wb");
    if (!f) return p;
    std::string line;
    const size_t target = 100u * 1024u * 1024u;
    size_t written = 0;
    uint32_t seed = 12345;
    while (written < target) {
      line.clear();
      for (int i = 0; i < 80; ++i) {
        seed = seed * 1103515245u + 12345u;
        unsigned r = (seed >> 16) % 40;
        line += r == 0 ? '\t' : (r < 8 ? ' ' : (char)('a' + r % 26));
      }
      line += "\r\n";
      fwrite(line.data(), 1, line.size(), f);
      written += line.size();
    }
    fclose(f);
    atexit([] { remove(TestFile().c_str()); });
    return p;
  }();
  return path;
}

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void BM_SECEditReadFromFile(benchmark::State& state) {
  const std::string& path = TestFile();
  // The first load of the process sets the peak; later ones reuse what it freed.
  static long before = PeakKiB();
  static double growth = -1;
  for (auto _ : state) {
    auto* edit = new SECEdit;
    int r = edit->ReadFromFile(path.c_str());
    if (r != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(edit->m_nLineCount);
    if (growth < 0) growth = (double)(PeakKiB() - before) * 1024.0;
    // Freeing the text is not part of loading it.
    state.PauseTiming();
    delete edit;
    state.ResumeTiming();
  }
  state.SetBytesProcessed((int64_t)state.iterations() * 100 * 1024 * 1024);
  state.counters["peak_MB"] = growth / (1024.0 * 1024.0);
  state.counters["peak_per_file"] = growth / (100.0 * 1024 * 1024);
}

void BM_WcL(benchmark::State& state) {
  const std::string& path = TestFile();
  std::string cmd = "wc -l '" + path + "'";
  for (auto _ : state) {
    FILE* p = popen(cmd.c_str(), "r");
    char out[256] = {0};
    if (!p || !fgets(out, sizeof out, p)) state.SkipWithError("wc failed");
    if (p) pclose(p);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * 100 * 1024 * 1024);
}

}  // namespace

BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SECEditReadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
