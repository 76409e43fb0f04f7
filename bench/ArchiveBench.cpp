// Archiving and restoring a setup tree of 2,000 files (20 MB) through ArchiveDirectory and
// RestoreDirectory, compared with the same work done on libzip directly (deflate level 6). The
// restore is also timed in turns with a libzip extraction that syncs each file once and each folder
// once, as a restore must, steady and in a fresh process (alone: --benchmark_filter=First...).
#include "bench/BenchNote.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/SetupArchive.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
  std::string dir, tree;
  std::vector<std::string> files;  // relative names

  Sample() {
    // TMPDIR=/dev/shm shows what is left once syncs cost nothing.
    std::string tmpl = (fs::temp_directory_path() / "dravonix-archivebench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    tree = dir + "/tree";
    std::mt19937 rng(3);
    // Text-like bytes that compress about as configuration files do.
    std::string block(10240, ' ');
    for (int i = 0; i < 2000; ++i) {
      std::string rel = "f" + std::to_string(i / 100) + "/s" + std::to_string(i % 10) + "/file" + std::to_string(i) + ".cfg";
      for (char& c : block) c = (char)('0' + rng() % 40);
      fs::create_directories(fs::path(tree + "/" + rel).parent_path());
      std::ofstream(tree + "/" + rel, std::ios::binary) << block;
      files.push_back(rel);
    }
  }
  ~Sample() { fs::remove_all(dir); }
};

Sample& TheSample() {
  static Sample s;
  return s;
}

void BM_ArchiveDirectory(benchmark::State& state) {
  Sample& s = TheSample();
  g_bShowErrors = FALSE;
  for (auto _ : state)
    if (!ArchiveDirectory(s.tree.c_str(), (s.dir + "/kernel.zip").c_str())) state.SkipWithError("archive failed");
}

void BM_LibzipArchive(benchmark::State& state) {
  Sample& s = TheSample();
  std::string zip = s.dir + "/direct.zip";
  for (auto _ : state) {
    zip_t* za = zip_open(zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const std::string& rel : s.files) {
      zip_int64_t at = zip_file_add(za, rel.c_str(), zip_source_file(za, (s.tree + "/" + rel).c_str(), 0, -1), 0);
      zip_set_file_compression(za, (zip_uint64_t)at, ZIP_CM_DEFLATE, 6);
    }
    if (zip_close(za) != 0) state.SkipWithError("libzip failed");
  }
}

void BM_RestoreDirectory(benchmark::State& state) {
  Sample& s = TheSample();
  g_bShowErrors = FALSE;
  ArchiveDirectory(s.tree.c_str(), (s.dir + "/kernel.zip").c_str());
  for (auto _ : state) {
    if (!RestoreDirectory((s.dir + "/kernel.zip").c_str(), (s.dir + "/out").c_str())) state.SkipWithError("restore failed");
    state.PauseTiming();
    fs::remove_all(s.dir + "/out");
    state.ResumeTiming();
  }
}

void BM_LibzipExtract(benchmark::State& state) {
  Sample& s = TheSample();
  g_bShowErrors = FALSE;
  ArchiveDirectory(s.tree.c_str(), (s.dir + "/kernel.zip").c_str());
  std::vector<char> buffer(65536);
  for (auto _ : state) {
    zip_t* za = zip_open((s.dir + "/kernel.zip").c_str(), ZIP_RDONLY, nullptr);
    zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
      fs::path target = fs::path(s.dir + "/out") / zip_get_name(za, (zip_uint64_t)i, 0);
      fs::create_directories(target.parent_path());
      zip_file_t* zf = zip_fopen_index(za, (zip_uint64_t)i, 0);
      FILE* out = std::fopen(target.c_str(), "wb");
      zip_int64_t got;
      while ((got = zip_fread(zf, buffer.data(), buffer.size())) > 0) std::fwrite(buffer.data(), 1, (size_t)got, out);
      std::fclose(out);
      zip_fclose(zf);
    }
    zip_close(za);
    state.PauseTiming();
    fs::remove_all(s.dir + "/out");
    state.ResumeTiming();
  }
}

// The baseline: the archive extracted with libzip into `out`, each file synced once, then each
// folder once, the deepest first.
bool SyncedExtract(const std::string& zip, const std::string& out) {
  zip_t* za = zip_open(zip.c_str(), ZIP_RDONLY, nullptr);
  if (!za || mkdir(out.c_str(), 0777) != 0) return false;
  std::set<std::string> folders{out};
  std::vector<char> buffer(65536);
  bool ok = true;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; ok && i < n; ++i) {
    const fs::path target = fs::path(out) / zip_get_name(za, (zip_uint64_t)i, 0);
    for (fs::path p = target.parent_path(); folders.insert(p.string()).second; p = p.parent_path()) {}
    fs::create_directories(target.parent_path());
    zip_file_t* zf = zip_fopen_index(za, (zip_uint64_t)i, 0);
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    zip_int64_t got;
    while (ok && (got = zip_fread(zf, buffer.data(), buffer.size())) > 0) ok = write(fd, buffer.data(), (size_t)got) == got;
    ok = ok && fsync(fd) == 0;
    close(fd);
    zip_fclose(zf);
  }
  zip_close(za);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const int fd = open(it->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = fd >= 0 && fsync(fd) == 0 && ok;
    if (fd >= 0) close(fd);
  }
  return ok;
}

bool Restore(const std::string& zip, const std::string& out) { return RestoreDirectory(zip.c_str(), out.c_str()) != 0; }

template <bool (*Run)(const std::string&, const std::string&)>
void First(benchmark::State& state, const char* key) {
  Sample& s = TheSample();
  g_bShowErrors = FALSE;
  const std::string zip = s.dir + "/kernel.zip", out = s.dir + "/" + key;
  ArchiveDirectory(s.tree.c_str(), zip.c_str());
  for (auto _ : state)
    if (!bench_note::Time([&] { return Run(zip, out); }, key)) state.SkipWithError("failed");
  fs::remove_all(out);
}
void BM_FirstSyncedExtract(benchmark::State& state) { First<SyncedExtract>(state, "first synced extract"); }
void BM_FirstRestore(benchmark::State& state) { First<Restore>(state, "first restore"); }

// The restore and its baseline in turns, each into a folder of its own made afresh.
void BM_RestoreInTurns(benchmark::State& state) {
  Sample& s = TheSample();
  g_bShowErrors = FALSE;
  const std::string zip = s.dir + "/kernel.zip", ours = s.dir + "/ours", base = s.dir + "/base";
  ArchiveDirectory(s.tree.c_str(), zip.c_str());
  std::vector<double> a, b;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(ours);
    fs::remove_all(base);
    // Each first in every other round: the one that comes second meets the other's writes.
    auto baseline = [&] {
      b.push_back(bench_note::Time([&] {
        if (!SyncedExtract(zip, base)) state.SkipWithError("baseline failed");
      }));
    };
    auto restore = [&] {
      a.push_back(bench_note::Time([&] {
        if (!Restore(zip, ours)) state.SkipWithError("restore failed");
      }));
    };
    if (a.size() % 2) {
      restore();
      baseline();
    } else {
      baseline();
      restore();
    }
    state.ResumeTiming();
  }
  bench_note::Keep("restore", bench_note::Median(a));
  bench_note::Keep("synced extract", bench_note::Median(b));
  fs::remove_all(ours);
  fs::remove_all(base);
}

}  // namespace

BENCHMARK(BM_FirstSyncedExtract)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstRestore)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreInTurns)->Iterations(9)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ArchiveDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibzipArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibzipExtract)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Restoring 2,000 files (20 MB) against libzip's extraction, each file and folder synced once:\n");
  bench_note::PrintRatio("restore, steady state", "restore", "synced extract", 1.2);
  bench_note::PrintRatio("restore, first run", "first restore", "first synced extract", 1.2);
  return 0;
}
