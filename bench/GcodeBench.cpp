// Translating generated G-code programs of 1,000,000 blocks. Compared against the goal of more
// than 1,000,000 blocks per second for tokenising and evaluating; the full run adds execution and
// the writing of the element parameter strings.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/core/Format.h"
#include "views/GcodeTranslator.h"

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

void BM_FullTranslation(benchmark::State& state) {
  std::string program;
  for (const auto& l : Lines()) program += l + "\n";
  CGcodeTranslator t(Settings());
  CString error;
  for (auto _ : state) {
    if (!t.Translate(program.c_str(), error)) state.SkipWithError(error);
    benchmark::DoNotOptimize(t.GetElements().data());
  }
  state.counters["blocks/s"] = benchmark::Counter((double)kBlocks * (double)state.iterations(),
                                                  benchmark::Counter::kIsRate);
  state.counters["elements"] = (double)t.GetElements().size();
}
BENCHMARK(BM_FullTranslation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
