// Creating the sample generation-3 setup from its configuration folder (three files, the firmware's two
// files and three plug-in loads), compared against loading only its parameters.cfg and variables.cfg
// into the lists (the reading every setup needs); also the copy of a setup, and its save and load as
// one set: the save (synced, as every save is) against the same three files each written beside,
// synced and renamed, the folder synced after (no record, no lock), also in a folder that holds
// 20,000 other files; for scale, against the setup's own writers each putting its file in place, and
// the bytes written unsynced by the C library; the folder's lock with its recovery against the
// whole load.
#include "bench/BenchNote.h"
#include "bench/SyncedBeside.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The setup's own writer of setup.cfg, for writing the three files one by one.
struct CMC_SetupTestAccess {
  static int WriteSetupCfg(CMC_Setup& s, CConfigFileWriter& writer) { return s.WriteSetupCfg(writer, 0); }
};

namespace {

const char* const kSetFiles[] = {"setup.cfg", "parameters.cfg", "variables.cfg"};
constexpr int kCrowd = 20000;

// The build tree's sample kernel folder lies beside the folder of this program.
struct KernelFolder {
  std::string out;
  CMC_Setup* setup = nullptr;
  std::vector<std::string> bytes;  // of the three files, as a save writes them
  KernelFolder() {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    std::string kernel = (exe.parent_path().parent_path() / "kernel").string();
    setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
    out = (std::filesystem::temp_directory_path() / ("dravonix-setupbench-" + std::to_string(getpid()))).string();
    g_bShowErrors = FALSE;
    setup = CMC_Setup::Create(0x0505);
    std::filesystem::create_directories(out);
    if (!setup || !setup->SaveToDirectory((out + "/sample").c_str())) return;
    for (const char* name : kSetFiles) {
      std::ifstream in(out + "/sample/" + name, std::ios::binary);
      bytes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  ~KernelFolder() {
    CMC_Setup::Destroy(setup);
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
  }
  // A folder holding the sample set, as saves and loads find it.
  std::string Folder(const char* name, int crowd = 0) const {
    const std::string dir = out + "/" + name;
    std::filesystem::create_directories(dir);
    bench_note::Crowd(dir, crowd);
    for (const char* file : kSetFiles)
      std::filesystem::copy_file(out + "/sample/" + file, dir + "/" + file, std::filesystem::copy_options::overwrite_existing);
    return dir;
  }
};

KernelFolder& Folder() {
  static KernelFolder f;
  return f;
}

// The three files, each written under its own temporary name and renamed over its target.
bool WriteBeside(const std::string& dir) {
  const KernelFolder& f = Folder();
  for (size_t i = 0; i < f.bytes.size(); ++i) {
    const std::string target = dir + "/" + kSetFiles[i], temp = target + ".~tmp";
    FILE* file = fopen(temp.c_str(), "wb");
    if (!file) return false;
    const bool written = fwrite(f.bytes[i].data(), 1, f.bytes[i].size(), file) == f.bytes[i].size();
    if (fclose(file) != 0 || !written || rename(temp.c_str(), target.c_str()) != 0) return false;
  }
  return true;
}

bool WriteSyncedBeside(const std::string& dir) {
  return bench_note::WriteSyncedBeside(dir, {std::begin(kSetFiles), std::end(kSetFiles)}, Folder().bytes);
}

// The same three files as a save writes them, each written beside and put in place on its own.
bool WriteEachBeside(const std::string& dir) {
  CMC_Setup& s = *Folder().setup;
  CConfigFileWriter setup((dir + "/setup.cfg").c_str()), parameters((dir + "/parameters.cfg").c_str()),
      variables((dir + "/variables.cfg").c_str());
  return CMC_SetupTestAccess::WriteSetupCfg(s, setup) && setup.Commit() && s.GetParameters().WriteFile(parameters) &&
         parameters.Commit() && s.GetVariables().WriteFile(variables) && variables.Commit();
}

bool SaveSet(const std::string& dir) { return Folder().setup->SaveToDirectory(dir.c_str()) != 0; }

bool LoadSet(const std::string& dir) {
  CMC_Setup* s = CMC_Setup::CreateFromDirectory(dir.c_str());
  CMC_Setup::Destroy(s);
  return s != nullptr;
}

bool LockAndRecover(const std::string& dir) {
  CConfigFolderLock lock((dir + "\\").c_str());
  return !lock.IsRefused();
}

bool Ready(benchmark::State& state) {
  if (Folder().bytes.size() == 3) return true;
  state.SkipWithError("the sample configuration does not load or save");
  return false;
}

// Registered first, so that they run first in the process (each alone: --benchmark_filter=First...).
template <bool (*Run)(const std::string&), int crowd = 0>
void First(benchmark::State& state, const char* key) {
  if (!Ready(state)) return;
  const std::string dir = Folder().Folder(key, crowd);
  for (auto _ : state)
    if (!bench_note::Time([&] { return Run(dir); }, key)) state.SkipWithError("failed");
}
void BM_FirstSyncedBeside(benchmark::State& state) { First<WriteSyncedBeside>(state, "first synced"); }
void BM_FirstWriteBeside(benchmark::State& state) { First<WriteBeside>(state, "first beside"); }
void BM_FirstWriteEachBeside(benchmark::State& state) { First<WriteEachBeside>(state, "first each"); }
void BM_FirstSave(benchmark::State& state) { First<SaveSet>(state, "first save"); }
void BM_FirstLockAndRecovery(benchmark::State& state) { First<LockAndRecover>(state, "first lock"); }
void BM_FirstLoad(benchmark::State& state) { First<LoadSet>(state, "first load"); }
void BM_FirstSyncedBesideCrowded(benchmark::State& state) { First<WriteSyncedBeside, kCrowd>(state, "first synced crowded"); }
void BM_FirstSaveCrowded(benchmark::State& state) { First<SaveSet, kCrowd>(state, "first save crowded"); }
BENCHMARK(BM_FirstSyncedBeside)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstWriteBeside)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstWriteEachBeside)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSave)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstLockAndRecovery)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstLoad)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSyncedBesideCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSaveCrowded)->Iterations(1)->Unit(benchmark::kMicrosecond);

template <bool (*Run)(const std::string&), int crowd = 0>
void Steady(benchmark::State& state, const char* key) {
  if (!Ready(state)) return;
  const std::string dir = Folder().Folder(key, crowd);
  double seconds = 0;
  for (auto _ : state) seconds += bench_note::Time([&] {
      if (!Run(dir)) state.SkipWithError("failed");
    });
  bench_note::Keep(key, seconds / (double)state.iterations());
}
void BM_WriteBeside(benchmark::State& state) { Steady<WriteBeside>(state, "beside"); }
void BM_WriteEachBeside(benchmark::State& state) { Steady<WriteEachBeside>(state, "each"); }
// The save and its baseline in turns, each in a folder of its own.
template <int crowd>
void InTurns(benchmark::State& state, const char* ours, const char* base) {
  if (!Ready(state)) return;
  const std::string a = Folder().Folder(ours, crowd), b = Folder().Folder(base, crowd);
  bench_note::RunInTurns(state, ours, [&] { return SaveSet(a); }, base, [&] { return WriteSyncedBeside(b); });
}
void BM_SaveSetup(benchmark::State& state) { InTurns<0>(state, "save", "synced"); }
// Each file of the folder changed before each save: none is left out as unchanged.
void BM_SaveSetupChanged(benchmark::State& state) {
  if (!Ready(state)) return;
  const std::string a = Folder().Folder("save changed"), b = Folder().Folder("synced changed");
  bench_note::RunInTurns(state, "save changed", [&] { return SaveSet(a); }, "synced changed", [&] { return WriteSyncedBeside(b); },
                         [&] { bench_note::ChangeEach(a, {std::begin(kSetFiles), std::end(kSetFiles)}); });
}
void BM_LockAndRecovery(benchmark::State& state) { Steady<LockAndRecover>(state, "lock"); }
void BM_LoadSetup(benchmark::State& state) { Steady<LoadSet>(state, "load"); }
void BM_SaveSetupCrowded(benchmark::State& state) { InTurns<kCrowd>(state, "save crowded", "synced crowded"); }
BENCHMARK(BM_WriteBeside)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteEachBeside)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSetup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSetupChanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LockAndRecovery)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSetup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSetupCrowded)->Unit(benchmark::kMicrosecond);

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
  CMC_Setup* owner = Folder().setup;
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
}
BENCHMARK(BM_ListsOnly)->Unit(benchmark::kMicrosecond);

void BM_CopySetup(benchmark::State& state) {
  CMC_Setup* s = Folder().setup;
  if (!s) {
    state.SkipWithError("the sample configuration does not load");
    return;
  }
  for (auto _ : state) {
    CMC_Setup* c = s->CreateCopy();
    benchmark::DoNotOptimize(c);
    CMC_Setup::Destroy(c);
  }
}
BENCHMARK(BM_CopySetup)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench_note::RunAll(argc, argv)) return 1;
  std::printf("Saving and loading a setup as one set (against the same files written beside, synced, renamed):\n");
  bench_note::PrintSaveRatios();
  // For scale: the library's own writers each putting its file in place, and the bytes alone
  // written unsynced by the C library (no formatting, no library writer).
  auto scale = [](const char* label, const char* ours, const char* reference) {
    auto& s = bench_note::Seconds();
    if (!s.count(ours) || !s.count(reference) || s[reference] <= 0) return (void)std::printf("  %-34s not measured\n", label);
    std::printf("  %-34s %9.2f ms against %9.2f ms: x%.2f\n", label, s[ours] * 1e3, s[reference] * 1e3, s[ours] / s[reference]);
  };
  scale("save against each, steady state", "save", "each");
  scale("save against each, first run", "first save", "first each");
  scale("save against bytes, steady state", "save", "beside");
  scale("save against bytes, first run", "first save", "first beside");
  auto share = [](const char* label, const char* part, const char* whole) {
    auto& s = bench_note::Seconds();
    if (!s.count(part) || !s.count(whole) || s[whole] <= 0) return (void)std::printf("  %-34s not measured\n", label);
    const double percent = 100 * s[part] / s[whole];
    std::printf("  %-34s %9.3f ms of %9.3f ms: %.1f %% (target: under 5 %%) %s\n", label, s[part] * 1e3, s[whole] * 1e3,
                percent, percent < 5 ? "met" : "NOT met");
  };
  share("lock and recovery, steady state", "lock", "load");
  share("lock and recovery, first run", "first lock", "first load");
  return 0;
}
