// Translating generated G-code programs of 1,000,000 blocks. Compared against the goal of more
// than 1,000,000 blocks per second for tokenising and evaluating and for the full run, which adds
// execution and the writing of the element parameter strings (steady state and the first run of a
// fresh process). The closing note gives a digest of the full run's elements, so that a change of
// the output shows.
#include <benchmark/benchmark.h>

#include <cstdio>

#include <string>
#include <vector>

#include "bench/BenchNote.h"
#include "platform/core/Format.h"
#include "views/gcode/GcodeTranslator.h"

namespace {

const int kBlocks = 1000000;

// A milling-like mix: straight moves, arcs, parameter expressions, comments and drilling.
const std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  if (!lines.empty()) return lines;
  lines.reserve(kBlocks);
  for (int i = 0; lines.size() < (size_t)kBlocks; i++) {
    const int x = i % 97, y = i % 89;
    lines.push_back(FormatString("N%d G1 X%d.%03d Y%d.5 F%d", i, x, i % 1000, y, 100 + i % 7));
    lines.push_back(FormatString("G3 X%d.%03d Y%d.5 I2 J0", x, i % 1000 + 1, y));
    lines.push_back(FormatString("#1=[%d+#2]*SIN[30]/2", i % 50));
    lines.push_back("G1 X[#1*2] Y[ROUND[#1] MOD 7 + ABS[-3.25]] (contour)");
    lines.push_back(FormatString("G81 X%d Y%d Z-2 R1", x, y));
    lines.push_back("G80");
    lines.push_back("G0 Z5");
  }
  lines.resize(kBlocks);
  return lines;
}

tagGcodeSettings Settings() {
  tagGcodeSettings s;
  for (int k = 0; k < 6; k++) s.m_nAxisSlave[k] = k;
  s.m_nSpindleSlave = 6;
  return s;
}

void BM_TokeniseAndEvaluate(benchmark::State& state) {
  const auto& lines = Lines();
  std::vector<CString> blocks(lines.begin(), lines.end());
  CGcodeTranslator t(Settings());
  std::vector<CString> texts;
  std::vector<BYTE> kinds;
  std::vector<char> letters;
  std::vector<double> values, paramValues;
  std::vector<int> paramNumbers;
  CString comment, error;
  for (auto _ : state) {
    for (const CString& b : blocks) {
      CGcodeTranslator::TokenizeGcodeLine(b, texts, kinds);
      t.ParseGcodeBlock(texts, kinds, letters, values, paramNumbers, paramValues, comment, error);
    }
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["blocks/s"] = benchmark::Counter((double)blocks.size() * (double)state.iterations(),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TokeniseAndEvaluate)->Unit(benchmark::kMillisecond);

const std::string& Program() {
  static std::string program;
  if (program.empty())
    for (const auto& l : Lines()) program += l + "\n";
  return program;
}

// FNV-1a over every element's type and parameters.
uint64_t Digest(const CGcodeTranslator& t) {
  uint64_t h = 1469598103934665603ull;
  auto add = [&](const CString& text) {
    for (const char* c = text; ; ++c) {
      h = (h ^ (unsigned char)*c) * 1099511628211ull;
      if (!*c) break;
    }
  };
  for (const auto& e : t.GetElements()) {
    add(e.m_strType);
    add(e.m_strParameters);
  }
  return h;
}

uint64_t g_digest = 0;
size_t g_elements = 0;

// Registered first, so that it runs first in the process.
void BM_FirstFullTranslation(benchmark::State& state) {
  const std::string& program = Program();
  for (auto _ : state) {
    CGcodeTranslator t(Settings());
    CString error;
    bool ok = true;
    bench_note::Time([&] { ok = t.Translate(program.c_str(), error); }, "first full");
    if (!ok) state.SkipWithError(error);
  }
}
BENCHMARK(BM_FirstFullTranslation)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FullTranslation(benchmark::State& state) {
  const std::string& program = Program();
  CGcodeTranslator t(Settings());
  CString error;
  double seconds = 0;
  for (auto _ : state) {
    bool ok = true;
    seconds += bench_note::Time([&] { ok = t.Translate(program.c_str(), error); });
    if (!ok) state.SkipWithError(error);
    benchmark::DoNotOptimize(t.GetElements().data());
  }
  bench_note::Keep("full", seconds / (double)state.iterations());
  state.counters["blocks/s"] = benchmark::Counter((double)kBlocks * (double)state.iterations(),
                                                  benchmark::Counter::kIsRate);
  state.counters["elements"] = (double)t.GetElements().size();
  g_digest = Digest(t);
  g_elements = t.GetElements().size();
}
BENCHMARK(BM_FullTranslation)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Program();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nFull translation of %d blocks:\n", kBlocks);
  bench_note::PrintRate("steady state", "full", kBlocks, 1e6);
  bench_note::PrintRate("first run in a fresh process", "first full", kBlocks, 1e6);
  std::printf("  output: %zu elements, digest %016llx\n", g_elements, (unsigned long long)g_digest);
  return 0;
}
