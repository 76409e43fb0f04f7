// The least a save that survives a power cut does, without a set, lock or record: each file written
// beside its target, synced, then each renamed over its target, then the folder synced. The
// baseline of the save benchmarks; and a folder crowded with other files, as a user's may be.
#pragma once

#include "bench/BenchNote.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench_note {

inline bool WriteSyncedBeside(const std::string& dir, const std::vector<std::string>& names,
                              const std::vector<std::string>& bytes) {
  bool ok = true;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string temp = dir + "/" + names[i] + ".~tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ok = write(fd, bytes[i].data(), bytes[i].size()) == (ssize_t)bytes[i].size() && fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
  }
  for (const std::string& name : names)
    ok = rename((dir + "/" + name + ".~tmp").c_str(), (dir + "/" + name).c_str()) == 0 && ok;
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ok = fd >= 0 && fsync(fd) == 0 && ok;
  if (fd >= 0) close(fd);
  return ok;
}

// Runs `ours` and `base` in turns, so that both meet the same disk (whose syncs cost what every
// other writer on it leaves to write), and keeps the median time of each.
template <class Ours, class Base>
void RunInTurns(benchmark::State& state, const std::string& oursKey, Ours ours, const std::string& baseKey, Base base) {
  std::vector<double> a, b;
  for (auto _ : state) {
    b.push_back(Time([&] {
      if (!base()) state.SkipWithError("baseline failed");
    }));
    a.push_back(Time([&] {
      if (!ours()) state.SkipWithError("failed");
    }));
  }
  Keep(oursKey, Median(a));
  Keep(baseKey, Median(b));
}

// The same, with `change` run untimed before each turn of `ours`.
template <class Ours, class Base, class Change>
void RunInTurns(benchmark::State& state, const std::string& oursKey, Ours ours, const std::string& baseKey, Base base,
                Change change) {
  std::vector<double> a, b;
  for (auto _ : state) {
    b.push_back(Time([&] {
      if (!base()) state.SkipWithError("baseline failed");
    }));
    state.PauseTiming();
    change();
    state.ResumeTiming();
    a.push_back(Time([&] {
      if (!ours()) state.SkipWithError("failed");
    }));
  }
  Keep(oursKey, Median(a));
  Keep(baseKey, Median(b));
}

// Gives each file `names` of `dir` another first byte, its size kept, so that a save that leaves
// unchanged files alone finds every one changed.
inline void ChangeEach(const std::string& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const int fd = open((dir + "/" + name).c_str(), O_RDWR | O_CLOEXEC);
    char first = 0;
    if (fd >= 0 && pread(fd, &first, 1, 0) == 1) {
      first ^= 1;
      if (pwrite(fd, &first, 1, 0) != 1) std::perror(name.c_str());
    }
    if (fd >= 0) close(fd);
  }
}

// Runs the benchmarks the command line names; false on words it does not know.
inline bool RunAll(int& argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return true;
}

// A save against its synced baseline, alone and among 20,000 other files, steady and in a fresh
// process: at most twice the baseline's time.
inline void PrintSaveRatios() {
  PrintRatio("save, steady state", "save", "synced", 2.0);
  PrintRatio("save, first run", "first save", "first synced", 2.0);
  PrintRatio("save, 20,000 others, steady state", "save crowded", "synced crowded", 2.0);
  PrintRatio("save, 20,000 others, first run", "first save crowded", "first synced crowded", 2.0);
  PrintRatio("save, every file changed, steady state", "save changed", "synced changed", 2.0);
}

// Fills `dir` with `count` empty files of other names.
inline void Crowd(const std::string& dir, int count) {
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/other%05d.dat", i);
    const int fd = open((dir + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) close(fd);
  }
}

}  // namespace bench_note
