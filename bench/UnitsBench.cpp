// Loading a 20,000-unit unit file with CMC_Units::Initialize (types interleaved, so the table must be
// sorted), compared against a plain pass over the same lines with ReadConfigFileLine (the least any
// reader of the file must do); then converting values between units of one type.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Units.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const int kTypes = 100;
const int kPerType = 200;

struct Sample {
  std::string dir;
  Sample() {
    char tmpl[] = "/tmp/dravonix-unitsbench-XXXXXX";
    dir = mkdtemp(tmpl);
    std::filesystem::create_directories(dir + "/Units");
    std::ofstream out(dir + "/Units/units.cfg", std::ios::binary);
    for (int k = 0; k < kPerType; ++k)
      for (int t = kTypes; t >= 1; --t)
        out << t << " [u" << t << "_" << k << "] " << (k ? 1.0 + k : 1.0) << " CANopen=" << t << "," << k
            << "\r\n";
    setenv("DRAVONIX_KERNEL_DIR", (dir + "/").c_str(), 1);
    g_bShowErrors = FALSE;
  }
  ~Sample() { std::filesystem::remove_all(dir); }
};

Sample& TheSample() {
  static Sample s;
  return s;
}

void BM_PlainLinePass(benchmark::State& state) {
  TheSample();
  for (auto _ : state) {
    FILE* f = OpenConfigFile("Units\\units.cfg", 0);
    CString line;
    int n = 0, count = 0;
    while (ReadConfigFileLine(f, line, n)) ++count;
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_PlainLinePass)->Unit(benchmark::kMillisecond);

void BM_UnitsInitialize(benchmark::State& state) {
  TheSample();
  CMC_Units units;
  for (auto _ : state) benchmark::DoNotOptimize(units.Initialize(nullptr));
  state.counters["units"] = units.GetUnits().GetSize();
}
BENCHMARK(BM_UnitsInitialize)->Unit(benchmark::kMillisecond);

void BM_ConvertValue(benchmark::State& state) {
  TheSample();
  CMC_Units units;
  units.Initialize(nullptr);
  double v = 1;
  for (auto _ : state) {
    units.ConvertValue(v, "u50_7", "u50_150");
    units.ConvertValue(v, "u50_150", "u50_7");
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ConvertValue);

}  // namespace

BENCHMARK_MAIN();
