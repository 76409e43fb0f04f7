// Archiving and restoring a setup tree of 2,000 files (20 MB) through ArchiveDirectory and
// RestoreDirectory, compared with the same work done on libzip directly (deflate level 6).
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/SetupArchive.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
  std::string dir, tree;
  std::vector<std::string> files;  // relative names

  Sample() {
    char tmpl[] = "/tmp/dravonix-archivebench-XXXXXX";
    dir = mkdtemp(tmpl);
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

}  // namespace

BENCHMARK(BM_ArchiveDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibzipArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibzipExtract)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
