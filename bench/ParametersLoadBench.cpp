// Loading a 20,000-line parameters.cfg and a 20,000-line variables.cfg, compared against reading the
// same files line by line with CStdioFile (the least any reader of the files must do). Freeing the
// loaded lists is left out of the timing. Target: the load within 3x of the plain read, in steady
// state and on the first run of a fresh process (the closing note gives both ratios).
#include "bench/BenchNote.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/params/MC_Parameters.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "kernel/params/MC_Variables.h"
#include "platform/core/File.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// The setup that owns the loaded lists: the sample's unit table and a GUI module's fixed IU scale.
struct CMC_SetupTestAccess {
  static CMC_Setup* New() {
    auto* s = new CMC_Setup;
    s->m_pfnGetScaleFactor = [](CMC_Setup*, const char*, const char*) { return 0.001; };
    s->m_pfnGetScaleOffset = [](CMC_Setup*, const char*, const char*) { return 0.0; };
    return s;
  }
};

namespace {

struct Sample {
  std::string dir, parameters, variables;
  std::unique_ptr<CMC_Setup, void (*)(CMC_Setup*)> setup{CMC_SetupTestAccess::New(), &CMC_Setup::Destroy};

  Sample() {
    char tmpl[] = "/tmp/dravonix-parambench-XXXXXX";
    dir = mkdtemp(tmpl);
    // The unit table comes from the kernel folder, so the kernel folder is this sample's.
    setenv("DRAVONIX_KERNEL_DIR", dir.c_str(), 1);
    std::string unitsDir = dir + "/Units";
    std::filesystem::create_directories(unitsDir);
    std::ofstream(unitsDir + "/units.cfg", std::ios::binary)
        << "1 [m]\r\n1 [mm] 1000\r\n5 [rad]\r\n5 [deg] 57.295779513082323\r\n";
    setup->GetUnits().Initialize(nullptr);

    parameters = dir + "/parameters.cfg";
    std::ofstream p(parameters, std::ios::binary);
    p << "# parameters\r\n";
    for (int i = 0; i < 20000; ++i) {
      switch (i % 4) {
        case 0: p << "INT\tP" << i << "\t@0x" << std::hex << i << std::dec << "\t=" << i % 100 << "\t>-100(0xFF9C)\t<100(0x0064)\r\n"; break;
        case 1: p << "LONG\tP" << i << "\t[mm]\t@0x" << std::hex << i << std::dec << "\t=1.5e+003\t>-2e+003\t<2e+003\r\n"; break;
        case 2: p << "FIXED\tP" << i << "\t[deg]\t@0x" << std::hex << (0x8000 + i) << std::dec << "\t=4.5e+001\r\n"; break;
        default: p << "ULONG\tP" << i << "\t[\\m]\t@0x" << std::hex << i << std::dec << "\t=70000(0x00011170)\t%3\r\n"; break;
      }
    }
    variables = dir + "/variables.cfg";
    std::ofstream v(variables, std::ios::binary);
    v << "# variables\r\n";
    for (int i = 0; i < 20000; ++i) {
      static const char* kinds[] = {"INT", "LONG", "FIXED", "FLOAT"};
      v << kinds[i % 4] << "\tV" << i << (i % 2 ? "\t[mm]" : "") << "\t@0x" << std::hex << (i * 2) << std::dec
        << (i % 3 ? "" : "\t%2") << "\r\n";
    }
  }
  ~Sample() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Sample& TheSample() {
  static Sample s;
  return s;
}

size_t PlainRead(const std::string& path) {
  CStdioFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::typeBinary)) return 0;
  CString line;
  size_t n = 0;
  while (f.ReadString(line)) n += (size_t)line.GetLength();
  return n;
}

void PlainReadBoth(Sample& s) {
  benchmark::DoNotOptimize(PlainRead(s.parameters));
  benchmark::DoNotOptimize(PlainRead(s.variables));
}

void BM_PlainReadBothFiles(benchmark::State& state) {
  Sample& s = TheSample();
  double seconds = 0;
  for (auto _ : state) seconds += bench_note::Time([&] { PlainReadBoth(s); });
  bench_note::Keep("plain", seconds / (double)state.iterations());
}
bool LoadBoth(Sample& s, CMC_Parameters*& parameters, CMC_Variables*& variables);

// Registered first, so that it runs first in the process: cold caches and a fresh heap.
void BM_FirstRun(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    bench_note::Time([&] { PlainReadBoth(s); }, "first plain");
    CMC_Parameters* parameters;
    CMC_Variables* variables;
    bool ok;
    bench_note::Time([&] { ok = LoadBoth(s, parameters, variables); }, "first load");
    delete parameters;
    delete variables;
    if (!ok) state.SkipWithError("the sample files did not load");
  }
}
BENCHMARK(BM_FirstRun)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadBothFiles)->Unit(benchmark::kMillisecond);

// The kernel's own line reader alone, for reference: what every configuration file costs.
size_t ConfigLines(const std::string& path) {
  FILE* f = OpenConfigFile(path.c_str(), FALSE);
  CString line;
  int number = 0;
  size_t n = 0;
  while (f && ReadConfigFileLine(f, line, number)) n += (size_t)line.GetLength();
  return n;
}

void BM_ConfigLineReaderBothFiles(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConfigLines(s.parameters));
    benchmark::DoNotOptimize(ConfigLines(s.variables));
  }
}
BENCHMARK(BM_ConfigLineReaderBothFiles)->Unit(benchmark::kMillisecond);

// Loads both files into new lists; false when they did not load whole.
bool LoadBoth(Sample& s, CMC_Parameters*& parameters, CMC_Variables*& variables) {
  parameters = new CMC_Parameters;
  variables = new CMC_Variables;
  return parameters->ReadFile(s.parameters.c_str(), *s.setup) && parameters->GetSize() == 20000 &&
         variables->ReadFile(s.variables.c_str(), *s.setup) && variables->GetSize() == 20000;
}

void BM_LoadParametersAndVariables(benchmark::State& state) {
  Sample& s = TheSample();
  double seconds = 0;
  for (auto _ : state) {
    CMC_Parameters* parameters;
    CMC_Variables* variables;
    bool ok;
    seconds += bench_note::Time([&] { ok = LoadBoth(s, parameters, variables); });
    // Freeing the lists is not part of loading them.
    state.PauseTiming();
    delete parameters;
    delete variables;
    state.ResumeTiming();
    if (!ok) {
      state.SkipWithError("the sample files did not load");
      break;
    }
  }
  bench_note::Keep("load", seconds / (double)state.iterations());
}
BENCHMARK(BM_LoadParametersAndVariables)->Unit(benchmark::kMillisecond);

// The two halves of the load apart, to see where the time goes.
void BM_LoadParameters(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    auto* parameters = new CMC_Parameters;
    bool ok = parameters->ReadFile(s.parameters.c_str(), *s.setup);
    state.PauseTiming();
    delete parameters;
    state.ResumeTiming();
    if (!ok) state.SkipWithError("parameters.cfg did not load");
  }
}
BENCHMARK(BM_LoadParameters)->Unit(benchmark::kMillisecond);

void BM_LoadVariables(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    auto* variables = new CMC_Variables;
    bool ok = variables->ReadFile(s.variables.c_str(), *s.setup);
    state.PauseTiming();
    delete variables;
    state.ResumeTiming();
    if (!ok) state.SkipWithError("variables.cfg did not load");
  }
}
BENCHMARK(BM_LoadVariables)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheSample();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nLoading both files against a plain line read of both:\n");
  bench_note::PrintRatio("steady state", "load", "plain", 3);
  bench_note::PrintRatio("first run in a fresh process", "first load", "first plain", 3);
  return 0;
}
