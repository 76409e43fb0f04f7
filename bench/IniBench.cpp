// Reading a 10,000-key INI file key by key with GetPrivateProfileString, compared against one plain
// line-by-line read of the same file (the least any reader of the file must do).
#include "platform/core/Ini.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Sample {
  std::string dir;
  std::string file;
  std::vector<std::string> sections;
  std::vector<std::string> keys;  // pairs with sections by index

  Sample() {
    char tmpl[] = "/tmp/dravonix-inibench-XXXXXX";
    dir = mkdtemp(tmpl);
    file = dir + "/large.ini";
    std::ofstream out(file, std::ios::binary);
    for (int s = 0; s < 10; ++s) {
      out << "[Section" << s << "]\r\n";
      for (int k = 0; k < 1000; ++k) {
        out << "Key" << k << " = Value number " << (s * 1000 + k) << "\r\n";
        sections.push_back("section" + std::to_string(s));
        keys.push_back("KEY" + std::to_string(k));
      }
    }
    out.close();
    // A file changed moments ago is read again on every call; measure the settled state.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  ~Sample() {
    unlink(file.c_str());
    rmdir(dir.c_str());
  }
};

Sample& TheSample() {
  static Sample s;
  return s;
}

void BM_IniGetEveryKey(benchmark::State& state) {
  Sample& s = TheSample();
  char buf[128];
  for (auto _ : state) {
    size_t total = 0;
    for (size_t i = 0; i < s.keys.size(); ++i)
      total += GetPrivateProfileString(s.sections[i].c_str(), s.keys[i].c_str(), "", buf, sizeof buf, s.file.c_str());
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * (int64_t)s.keys.size());
}
BENCHMARK(BM_IniGetEveryKey)->Unit(benchmark::kMillisecond);

void BM_PlainLineRead(benchmark::State& state) {
  Sample& s = TheSample();
  for (auto _ : state) {
    std::ifstream in(s.file, std::ios::binary);
    std::string line;
    size_t total = 0;
    while (std::getline(in, line)) total += line.size();
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * (int64_t)s.keys.size());
}
BENCHMARK(BM_PlainLineRead)->Unit(benchmark::kMillisecond);

void BM_IniGetOneKey(benchmark::State& state) {
  Sample& s = TheSample();
  char buf[128];
  for (auto _ : state)
    benchmark::DoNotOptimize(GetPrivateProfileString("Section7", "Key500", "", buf, sizeof buf, s.file.c_str()));
}
BENCHMARK(BM_IniGetOneKey)->Unit(benchmark::kMicrosecond);

// One changed value written back into the 10,000-key file and put in it at once (the whole file is
// rewritten).
void BM_IniWriteOneKey(benchmark::State& state) {
  Sample& s = TheSample();
  int i = 0;
  for (auto _ : state) {
    std::string v = std::to_string(i++ & 1);
    benchmark::DoNotOptimize(WritePrivateProfileString("Section3", "Key10", v.c_str(), s.file.c_str()));
    WritePrivateProfileString(nullptr, nullptr, nullptr, s.file.c_str());
  }
}
BENCHMARK(BM_IniWriteOneKey)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
