// Saving a motion directory as one set (seven files: four group files and two CAM tables with their
// list), synced as every save is, against the same files written beside, synced
// and renamed, the folder synced after (no set, no lock, no record); also in a folder that holds
// 20,000 other files. Steady state and the first run of a fresh process (each alone:
// --benchmark_filter=First...).
#include "bench/BenchNote.h"
#include "bench/SyncedBeside.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kCrowd = 20000;

// A program of 150 elements, a function and two CAM tables, saved once to learn its files' bytes.
struct Sample {
  std::string out;
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  std::vector<std::string> names, bytes;
  Sample() {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    setenv("DRAVONIX_KERNEL_DIR", (exe.parent_path().parent_path() / "kernel").c_str(), 1);
    out = (std::filesystem::temp_directory_path() / ("dravonix-motionsavebench-" + std::to_string(getpid()))).string();
    g_bShowErrors = FALSE;
    setup = CMC_Setup::Create(0x0505);
    motion = setup ? CMC_Motion::Create(setup) : nullptr;
    if (!motion) return;
    for (int i = 0; i < 150; ++i) {
      CMC_MotionElem* e = motion->CreateElement("Comment");
      e->m_strParameters.Format("Text={line %d}", i);
      motion->GetMain()->Add(e);
    }
    motion->AddNewFunction("f");
    CMC_CAMTables* cams = motion->GetCAMTables();
    cams->AddNewSelCAM("Cam1");
    cams->AddNewSelCAM("Cam2");
    const LONG points[] = {1, 2, 3};
    cams->GetSelCAM(0)->SetPoints(points, 3);
    std::filesystem::create_directories(out + "/sample");
    if (!motion->SaveToDirectory((out + "/sample").c_str())) return;
    for (auto& e : std::filesystem::directory_iterator(out + "/sample")) {
      std::ifstream in(e.path(), std::ios::binary);
      names.push_back(e.path().filename().string());
      bytes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  ~Sample() {
    CMC_Motion::Destroy(motion);
    CMC_Setup::Destroy(setup);
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
  }
  std::string Folder(const char* name, int crowd) const {
    const std::string dir = out + "/" + name;
    std::filesystem::create_directories(dir);
    bench_note::Crowd(dir, crowd);
    for (size_t i = 0; i < names.size(); ++i) std::ofstream(dir + "/" + names[i], std::ios::binary) << bytes[i];
    return dir;
  }
};

Sample& Get() {
  static Sample s;
  return s;
}

bool Save(const std::string& dir) { return Get().motion->SaveToDirectory(dir.c_str()) != 0; }
bool SyncedBeside(const std::string& dir) { return bench_note::WriteSyncedBeside(dir, Get().names, Get().bytes); }

bool Ready(benchmark::State& state) {
  if (Get().names.size() == 7) return true;
  state.SkipWithError("the sample program does not save");
  return false;
}

template <bool (*Run)(const std::string&), int crowd>
void First(benchmark::State& state, const char* key) {
  if (!Ready(state)) return;
  const std::string dir = Get().Folder(key, crowd);
  for (auto _ : state)
    if (!bench_note::Time([&] { return Run(dir); }, key)) state.SkipWithError("failed");
}
void BM_FirstSyncedBeside(benchmark::State& state) { First<SyncedBeside, 0>(state, "first synced"); }
void BM_FirstSave(benchmark::State& state) { First<Save, 0>(state, "first save"); }
void BM_FirstSyncedBesideCrowded(benchmark::State& state) { First<SyncedBeside, kCrowd>(state, "first synced crowded"); }
void BM_FirstSaveCrowded(benchmark::State& state) { First<Save, kCrowd>(state, "first save crowded"); }
BENCHMARK(BM_FirstSyncedBeside)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSave)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSyncedBesideCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSaveCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);

// The save and its baseline in turns, each in a folder of its own.
template <int crowd>
void InTurns(benchmark::State& state, const char* ours, const char* base) {
  if (!Ready(state)) return;
  const std::string a = Get().Folder(ours, crowd), b = Get().Folder(base, crowd);
  bench_note::RunInTurns(state, ours, [&] { return Save(a); }, base, [&] { return SyncedBeside(b); });
}
void BM_Save(benchmark::State& state) { InTurns<0>(state, "save", "synced"); }
// Each file of the folder changed before each save: none is left out as unchanged.
void BM_SaveChanged(benchmark::State& state) {
  if (!Ready(state)) return;
  const std::string a = Get().Folder("save changed", 0), b = Get().Folder("synced changed", 0);
  bench_note::RunInTurns(state, "save changed", [&] { return Save(a); }, "synced changed", [&] { return SyncedBeside(b); },
                         [&] { bench_note::ChangeEach(a, Get().names); });
}
void BM_SaveCrowded(benchmark::State& state) { InTurns<kCrowd>(state, "save crowded", "synced crowded"); }
BENCHMARK(BM_Save)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveChanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveCrowded)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench_note::RunAll(argc, argv)) return 1;
  std::printf("Saving a motion directory as one set (against the same files written beside, synced, renamed):\n");
  bench_note::PrintSaveRatios();
  return 0;
}
