// Building a motion program of 2,000 elements (source generation and compilation into motion.out),
// compared against writing the same bytes (every generated file and motion.out) with one fwrite.
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/Format.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Sample {
  std::string kernel, dir, bytes;
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;

  Sample() {
    // The sample kernel folder of the build tree, beside bin/.
    fs::path exe = fs::read_symlink("/proc/self/exe");
    char tmpl[] = "/tmp/dravonix-buildbench-XXXXXX";
    kernel = mkdtemp(tmpl);
    fs::copy(exe.parent_path().parent_path() / "kernel", kernel, fs::copy_options::recursive);
    setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
    dir = kernel + "/bench";
    fs::create_directories(dir);
    setup = CMC_Setup::Create(0x0505);
    motion = setup ? CMC_Motion::Create(setup) : nullptr;
    if (!motion) return;
    for (int i = 0; i < 2000; ++i) {
      auto* e = new CMC_MotionElem;
      e->m_strType = "Move";
      e->m_strCode = FormatString("CPOS = %d; UPD; // step %d", i * 10, i).c_str();
      e->m_bEnabled = 1;
      if (i % 100 == 99) {
        int f = motion->AddNewFunction(FormatString("F%d", i / 100).c_str());
        motion->GetFunction(f)->Add(e);
      } else {
        motion->GetMain()->Add(e);
      }
    }
    if (!motion->Build(dir.c_str())) {
      const char* error = setup->GetCompilerErrorString();
      std::fprintf(stderr, "build failed: %s\n", error ? error : "");
      return;
    }
    for (auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream s;
      s << in.rdbuf();
      bytes += s.str();
    }
  }
  ~Sample() {
    if (motion) CMC_Motion::Destroy(motion);
    if (setup) CMC_Setup::Destroy(setup);
    std::error_code ec;
    fs::remove_all(kernel, ec);
  }
};

Sample& GetSample() {
  static Sample sample;
  return sample;
}

void BM_BuildMotionProgram(benchmark::State& state) {
  Sample& s = GetSample();
  if (!s.motion) {
    state.SkipWithError("the sample program does not build");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(s.motion->Build(s.dir.c_str()));
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)s.bytes.size());
}
BENCHMARK(BM_BuildMotionProgram)->Unit(benchmark::kMillisecond);

void BM_WriteSameBytesWithOneFwrite(benchmark::State& state) {
  Sample& s = GetSample();
  const std::string path = s.dir + "/all.bin";
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "wb");
    benchmark::DoNotOptimize(std::fwrite(s.bytes.data(), 1, s.bytes.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)s.bytes.size());
}
BENCHMARK(BM_WriteSameBytesWithOneFwrite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
