// Creating the sample generation-3 setup from its configuration folder (three files, the firmware's two
// files and three plug-in loads), compared against loading only its parameters.cfg and variables.cfg
// into the lists (the reading every setup needs); also the copy and the save of a setup.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

// The build tree's sample kernel folder lies beside the folder of this program.
struct KernelFolder {
  std::string out;
  KernelFolder() {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    std::string kernel = (exe.parent_path().parent_path() / "kernel").string();
    setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
    out = (std::filesystem::temp_directory_path() / ("dravonix-setupbench-" + std::to_string(getpid()))).string();
    g_bShowErrors = FALSE;
  }
  ~KernelFolder() {
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
  }
};

KernelFolder& Folder() {
  static KernelFolder f;
  return f;
}

void BM_CreateSetup(benchmark::State& state) {
  Folder();
  for (auto _ : state) {
    CMC_Setup* s = CMC_Setup::Create(0x0505);
    if (!s) state.SkipWithError("the sample configuration does not load");
    benchmark::DoNotOptimize(s);
    CMC_Setup::Destroy(s);
  }
}
BENCHMARK(BM_CreateSetup)->Unit(benchmark::kMicrosecond);

void BM_ListsOnly(benchmark::State& state) {
  Folder();
  CMC_Setup* owner = CMC_Setup::Create(0x0505);
  if (!owner) {
    state.SkipWithError("the sample configuration does not load");
    return;
  }
  for (auto _ : state) {
    CMC_Parameters parameters;
    CMC_Variables variables;
    benchmark::DoNotOptimize(parameters.ReadFile("Configurations\\05\\05\\parameters.cfg", *owner));
    benchmark::DoNotOptimize(variables.ReadFile("Configurations\\05\\05\\variables.cfg", *owner));
  }
  CMC_Setup::Destroy(owner);
}
BENCHMARK(BM_ListsOnly)->Unit(benchmark::kMicrosecond);

void BM_CopySetup(benchmark::State& state) {
  Folder();
  CMC_Setup* s = CMC_Setup::Create(0x0505);
  if (!s) {
    state.SkipWithError("the sample configuration does not load");
    return;
  }
  for (auto _ : state) {
    CMC_Setup* c = s->CreateCopy();
    benchmark::DoNotOptimize(c);
    CMC_Setup::Destroy(c);
  }
  CMC_Setup::Destroy(s);
}
BENCHMARK(BM_CopySetup)->Unit(benchmark::kMicrosecond);

void BM_SaveSetup(benchmark::State& state) {
  KernelFolder& f = Folder();
  CMC_Setup* s = CMC_Setup::Create(0x0505);
  if (!s) {
    state.SkipWithError("the sample configuration does not load");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(s->SaveToDirectory(f.out.c_str()));
  CMC_Setup::Destroy(s);
}
BENCHMARK(BM_SaveSetup)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
