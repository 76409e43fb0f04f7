// Reading the 480 words of a 60-row memory view that spans the end of E2ROM and the start of RAM,
// through the view's reader (regions, block cuts, the words kept per cell), against the same words
// read with one CMC_Comm::ReceiveData per region.
#include "BenchNote.h"
#include "comm/MC_Comm.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "views/MemoryWords.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr uint16_t kStart = 0x7F10;  // 240 words of E2ROM, then 240 of RAM
constexpr uint32_t kWords = 60 * 8;
const CMemoryWords kMap(0x4000, 0x8000, 0x8000, 0);

void OpenSimulatedDrive() {
  DriveSimulator::Reset();
  DriveSimulator::SetCallLogEnabled(false);
  CMC_Comm::nShowErr = 0;
  CMC_Comm::Open("COM1", 115200, 0, 0, 0);
  CMC_Comm::SetActiveBoard(1);
}

bool ViewRead() {
  const CMemoryWords::Block words = kMap.Read(kStart, kWords);
  benchmark::DoNotOptimize(words.values.data());
  return words.back().has_value();
}

bool DirectRead() {
  std::vector<WORD> e2rom(0x8000 - kStart), ram(kWords - e2rom.size());
  const bool ok = CMC_Comm::ReceiveData(e2rom.data(), kStart, 2, (WORD)e2rom.size()) &&
                  CMC_Comm::ReceiveData(ram.data(), 0x8000, 0, (WORD)ram.size());
  benchmark::DoNotOptimize(ram.data());
  return ok;
}

// Registered first, so that it runs first in the process.
void BM_FirstRun(benchmark::State& state) {
  OpenSimulatedDrive();
  for (auto _ : state) {
    bool ok = true;
    bench_note::Time([&] { ok = DirectRead() && ok; }, "first direct");
    bench_note::Time([&] { ok = ViewRead() && ok; }, "first view");
    if (!ok) state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_FirstRun)->Iterations(1);

void BM_Read(benchmark::State& state, bool (*Read)(), const char* key) {
  OpenSimulatedDrive();
  double seconds = 0;
  for (auto _ : state) {
    bool ok = true;
    seconds += bench_note::Time([&] { ok = Read(); });
    if (!ok) state.SkipWithError("read failed");
  }
  bench_note::Keep(key, seconds / (double)state.iterations());
  state.SetItemsProcessed(state.iterations() * kWords);
}
BENCHMARK_CAPTURE(BM_Read, direct, DirectRead, "direct");
BENCHMARK_CAPTURE(BM_Read, view, ViewRead, "view");

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nThe view's read of 480 words against one read per region:\n");
  bench_note::PrintRatio("steady state", "view", "direct", 2);
  bench_note::PrintRatio("first run in a fresh process", "first view", "first direct", 2);
  CMC_Comm::Close();
  return 0;
}
