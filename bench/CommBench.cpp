// Drive memory reads through the communication gate to the simulated drive, in words per second.
// Compared against the same reads made directly on the library, which bounds what the gate can reach.
#include "comm/MC_Comm.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void OpenSimulatedDrive(bool callLog) {
  DriveSimulator::Reset();
  DriveSimulator::SetCallLogEnabled(callLog);
  CMC_Comm::nShowErr = 0;
  CMC_Comm::Open("COM1", 115200, 0, 0, 0);
  CMC_Comm::SetActiveBoard(1);
}

void BM_GateReadOneWord(benchmark::State& state) {
  OpenSimulatedDrive(state.range(0) != 0);
  WORD w = 0;
  for (auto _ : state) {
    if (!CMC_Comm::ReceiveData(&w, 0x8200, 1, 1)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(w);
  }
  state.SetItemsProcessed(state.iterations());
  CMC_Comm::Close();
}
BENCHMARK(BM_GateReadOneWord)->Arg(1)->Arg(0)->ArgName("log");

void BM_GateReadBlock4096(benchmark::State& state) {
  OpenSimulatedDrive(state.range(0) != 0);
  std::vector<WORD> block(4096);
  for (auto _ : state) {
    if (!CMC_Comm::ReceiveData(block.data(), 0x8200, 1, 4096)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
  CMC_Comm::Close();
}
BENCHMARK(BM_GateReadBlock4096)->Arg(1)->Arg(0)->ArgName("log");

void BM_GateBigRead4096WithProgress(benchmark::State& state) {
  OpenSimulatedDrive(true);
  std::vector<WORD> block(4096);
  for (auto _ : state) {
    if (!CMC_Comm::ReceiveBigData(block.data(), 0x8200, 1, 4096, CMC_Comm::BigMemoryOpCallback, nullptr))
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
  CMC_Comm::Close();
}
BENCHMARK(BM_GateBigRead4096WithProgress);

void BM_LibraryReadOneWord(benchmark::State& state) {
  OpenSimulatedDrive(true);
  uint16_t w = 0;
  for (auto _ : state) {
    DAV_ReceiveData(&w, 0x8200, 1, 1);
    benchmark::DoNotOptimize(w);
  }
  state.SetItemsProcessed(state.iterations());
  CMC_Comm::Close();
}
BENCHMARK(BM_LibraryReadOneWord);

void BM_LibraryReadBlock4096(benchmark::State& state) {
  OpenSimulatedDrive(true);
  std::vector<uint16_t> block(4096);
  for (auto _ : state) {
    DAV_ReceiveData(block.data(), 0x8200, 1, 4096);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
  CMC_Comm::Close();
}
BENCHMARK(BM_LibraryReadBlock4096);

}  // namespace

BENCHMARK_MAIN();
