// Scope sweeps of four 2-word channels (231 frames of 8 bytes each) fed through OnFrameReceive, in
// frames per second, against copying the same frames' bytes into a buffer, which bounds what the
// frame window can reach. One iteration is 10,000 sweeps.
#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/loggers/MC_ScopeLogger.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr int kSweeps = 10000;
constexpr int kWordsPerPoint = 8;
constexpr int kFrames = (101 * kWordsPerPoint * 2 + 6) / 7;

CMC_Setup* Setup() {
  static CMC_Setup* setup = [] {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    setenv("DRAVONIX_KERNEL_DIR", (exe.parent_path().parent_path() / "kernel").string().c_str(), 1);
    g_bShowErrors = FALSE;
    return CMC_Setup::Create(0x0505);
  }();
  return setup;
}

// The frames of one sweep whose words count up.
std::vector<BYTE> SweepFrames() {
  std::vector<BYTE> stream(kFrames * 7, 0);
  for (int i = 0; i < 101 * kWordsPerPoint; ++i) {
    stream[2 * i] = (BYTE)i;
    stream[2 * i + 1] = (BYTE)(i >> 8);
  }
  std::vector<BYTE> frames(kFrames * 8);
  for (int n = 0; n < kFrames; ++n) {
    frames[n * 8] = (BYTE)n;
    memcpy(&frames[n * 8 + 1], &stream[n * 7], 7);
  }
  return frames;
}

void BM_ScopeOnFrameReceive(benchmark::State& state) {
  DriveSimulator::Reset();
  DriveSimulator::SetCallLogEnabled(false);
  CMC_Comm::nShowErr = 0;
  CMC_Comm::Open("COM1", 115200, 0, 0, 0);
  CMC_Comm::SetActiveBoard(1);
  CMC_ScopeLogger scope(Setup(), nullptr);
  for (const char* name : {"long@0x8300", "long@0x8302", "long@0x8304", "long@0x8306"}) scope.AddVariable(name, 0);
  if (!scope.StartLogger() || !scope.BeginUploadData()) state.SkipWithError("the scope does not start");
  const std::vector<BYTE> frames = SweepFrames();
  for (auto _ : state) {
    long points = 0;
    for (int s = 0; s < kSweeps; ++s)
      for (int n = 0; n < kFrames; ++n) points += scope.OnFrameReceive(8, &frames[n * 8]);
    if (points != 101L * kSweeps) state.SkipWithError("points lost");
  }
  state.SetItemsProcessed(state.iterations() * kSweeps * kFrames);
  scope.DoForcedStop();
  CMC_Comm::Close();
}
BENCHMARK(BM_ScopeOnFrameReceive)->Unit(benchmark::kMillisecond);

void BM_CopyFrameBytes(benchmark::State& state) {
  const std::vector<BYTE> frames = SweepFrames();
  std::vector<BYTE> sweep(kFrames * 7);
  for (auto _ : state) {
    for (int s = 0; s < kSweeps; ++s) {
      for (int n = 0; n < kFrames; ++n) memcpy(&sweep[n * 7], &frames[n * 8 + 1], 7);
      benchmark::DoNotOptimize(sweep.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * kSweeps * kFrames);
}
BENCHMARK(BM_CopyFrameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
