// Uploading 8,000 logged points of 4 words from the simulated drive, in points per second: through
// ReadPoint point by point (a serial channel) and from one bulk transfer per catch-up (a network
// channel), against a single ReceiveBigData of the same 32,000 words, which bounds what an upload
// can reach.
#include "comm/MC_Comm.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr WORD kPoints = 8000;
constexpr WORD kWords = 4;

// The build tree's sample kernel folder lies beside the folder of this program.
CMC_Setup* Setup() {
  static CMC_Setup* setup = [] {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    setenv("DRAVONIX_KERNEL_DIR", (exe.parent_path().parent_path() / "kernel").string().c_str(), 1);
    g_bShowErrors = FALSE;
    return CMC_Setup::Create(0x0505);
  }();
  return setup;
}

void OpenDrive(BYTE type) {
  CMC_Comm::Close();
  DriveSimulator::Reset();
  DriveSimulator::SetCallLogEnabled(false);
  CMC_Comm::nShowErr = 0;
  CMC_Comm::Open(type == 16 ? "UDP1" : "COM1", 115200, 0, type, 0);
  CMC_Comm::SetActiveBoard(1);
}

// APOS and APOS_LD, two words each, over the whole RAM above 0x8200.
void BM_LoggerUpload(benchmark::State& state) {
  OpenDrive((BYTE)state.range(0));
  CMC_SingleAxisLogger logger(Setup(), nullptr);
  logger.ChangeSettings(kPoints, CMC_Logger::LOG_TS_S, 1);
  logger.ChangeMemBufferSettings(0x8200, 0xFFFF);
  logger.AddVariable("APOS", 0);
  logger.AddVariable("APOS_LD", 0);
  for (auto _ : state) {
    state.PauseTiming();
    if (!logger.StartLogger()) state.SkipWithError("the logger does not start");
    DriveSimulator::StepLogger(1, kPoints);
    state.ResumeTiming();
    int points = 0;
    if (logger.BeginUploadData())
      while (logger.ReadPoint(nullptr)) ++points;
    if (points != kPoints) state.SkipWithError("points missing");
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  CMC_Comm::Close();
}
BENCHMARK(BM_LoggerUpload)->Arg(0)->Arg(16)->ArgName("channel")->Unit(benchmark::kMillisecond);

void BM_OneBigReadOfThePoints(benchmark::State& state) {
  OpenDrive(16);
  std::vector<WORD> words((size_t)kPoints * kWords);
  for (auto _ : state) {
    if (!CMC_Comm::ReceiveBigData(words.data(), 0x8200, 1, (WORD)words.size(), CMC_Comm::BigMemoryOpCallback,
                                  nullptr))
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(words.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  CMC_Comm::Close();
}
BENCHMARK(BM_OneBigReadOfThePoints)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
