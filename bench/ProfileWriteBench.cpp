// A settings dialog writing N keys into a profile file of 200 keys, in turns: as a burst that is put
// in the file once (the flush call after it), with each write put in the file at once (a flush after
// every write: what every write cost before writes were held back), and the least one synced rewrite
// of the file costs (written beside it, synced, renamed, folder synced).
#include "bench/SyncedBeside.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Sample {
  std::string dir, file, bytes;
  Sample() {
    char tmpl[] = "/var/tmp/dravonix-profilebench-XXXXXX";
    dir = mkdtemp(tmpl);
    file = dir + "/app.ini";
    for (int s = 0; s < 10; ++s) {
      bytes += "[Section" + std::to_string(s) + "]\r\n";
      for (int k = 0; k < 20; ++k) bytes += "Key" + std::to_string(k) + "=Value " + std::to_string(s * 20 + k) + "\r\n";
    }
    std::ofstream(file, std::ios::binary) << bytes;
  }
  ~Sample() { std::filesystem::remove_all(dir); }
};

// Every value changes, so that every write is one.
bool Dialog(const Sample& s, int keys, int round, bool flushEach) {
  bool ok = true;
  for (int k = 0; k < keys; ++k) {
    const std::string key = "Option" + std::to_string(k), value = std::to_string(round);
    ok = WritePrivateProfileString("Dialog", key.c_str(), value.c_str(), s.file.c_str()) && ok;
    if (flushEach) WritePrivateProfileString(nullptr, nullptr, nullptr, s.file.c_str());
  }
  WritePrivateProfileString(nullptr, nullptr, nullptr, s.file.c_str());
  return ok && GetLastError() == 0;
}

int g_syncs = 0;

void BM_ProfileDialog(benchmark::State& state) {
  static Sample s;
  const int keys = (int)state.range(0);
  g_pfnSyncStep = [](const char*) { ++g_syncs; };
  g_syncs = 0;
  Dialog(s, keys, -1, true);
  state.counters["syncs each"] = g_syncs;
  g_syncs = 0;
  Dialog(s, keys, -2, false);
  state.counters["syncs held"] = g_syncs;
  g_pfnSyncStep = nullptr;
  std::vector<double> burst, each, once;
  int round = 0;
  for (auto _ : state) {
    ++round;
    each.push_back(bench_note::Time([&] {
      if (!Dialog(s, keys, 2 * round, true)) state.SkipWithError("flushed writes failed");
    }));
    burst.push_back(bench_note::Time([&] {
      if (!Dialog(s, keys, 2 * round + 1, false)) state.SkipWithError("held writes failed");
    }));
    once.push_back(bench_note::Time([&] {
      if (!bench_note::WriteSyncedBeside(s.dir, {"plain.ini"}, {s.bytes})) state.SkipWithError("baseline failed");
    }));
  }
  const std::string n = std::to_string(keys);
  bench_note::Keep("burst " + n, bench_note::Median(burst));
  bench_note::Keep("each " + n, bench_note::Median(each));
  bench_note::Keep("once " + n, bench_note::Median(once));
}
BENCHMARK(BM_ProfileDialog)->Arg(5)->Arg(20)->Arg(100)->Iterations(9)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench_note::RunAll(argc, argv)) return 1;
  std::printf("\nA dialog writing N keys, medians of rounds in turns:\n");
  for (const char* n : {"5", "20", "100"}) {
    const std::string suffix = std::string(" ") + n;
    std::printf(" %s keys:\n", n);
    bench_note::PrintRatio("held, against each put at once", "burst" + suffix, "each" + suffix, 1.0);
    std::printf("  %-34s %9.2f ms (one sync of the file and one of its folder, as a burst makes)\n",
                "one synced rewrite, for scale", bench_note::Seconds()["once" + suffix] * 1e3);
  }
  return 0;
}
