// The find's regular expressions searching 10 MB of program text line by line, counting the lines that
// match, compared with std::regex (ECMAScript, regex_search per line) and `grep -c -E` on the same text.
// Target: within 1.5x of grep -c for each pattern, in steady state and on the first run of a fresh process.
#include "bench/BenchNote.h"
#include "editor/core/SECRegExp.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Pattern {
  const char* kind;
  const char* pattern;  // the same text in all three syntaxes
};

const Pattern kPatterns[] = {
    {"literal", "position"},
    {"class", "[0-9]+\\.[0-9]+"},
    {"grouped", "(axis|drive)[0-9]+\\.(speed|accel)"},
};

struct Corpus {
  std::string text;            // lines ending in '\n'
  std::string lines;           // the same lines, each ending in NUL
  std::vector<size_t> starts;  // offsets of the lines
  std::string path;            // the text as a file, for grep
};

const Corpus& GetCorpus() {
  static Corpus c = [] {
    Corpus k;
    const char* words[] = {"move",  "wait",  "IF",    "THEN",  "ELSE",   "END",    "var",   "timer",
                           "speed", "accel", "ramp",  "home",  "output", "input",  "CALL",  "RETURN",
                           "jog",   "cam",   "table", "limit", "torque", "filter", "gain",  "offset"};
    uint32_t seed = 7;
    auto rnd = [&](uint32_t n) {
      seed = seed * 1664525u + 1013904223u;
      return (seed >> 8) % n;
    };
    while (k.text.size() < 10u * 1024 * 1024) {
      std::string line(rnd(4) * 2, ' ');
      for (uint32_t n = 3 + rnd(8); n > 0; --n) {
        switch (rnd(12)) {
          case 0:
            line += rnd(2) ? "axis" : "drive";
            line += std::to_string(rnd(8)) + "." + words[rnd(24)] + " = " + std::to_string(rnd(5000)) + "." +
                    std::to_string(rnd(100)) + ";";
            break;
          case 1:
            line += std::to_string(rnd(100000));
            break;
          case 2:
            line += rnd(20) == 0 ? "position" : "pos";
            break;
          default:
            line += words[rnd(24)];
            break;
        }
        line += ' ';
      }
      if (rnd(5) == 0) line += "// comment on the line";
      k.starts.push_back(k.lines.size());
      k.lines += line;
      k.lines += '\0';
      k.text += line;
      k.text += '\n';
    }
    char name[] = "/tmp/regexp-bench-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) {
      ssize_t w = write(fd, k.text.data(), k.text.size());
      close(fd);
      if (w == (ssize_t)k.text.size()) k.path = name;
    }
    return k;
  }();
  return c;
}

struct CorpusCleanup {
  ~CorpusCleanup() {
    const Corpus& c = GetCorpus();
    if (!c.path.empty()) unlink(c.path.c_str());
  }
};

// Seconds per search, and the matching line counts, per engine and pattern kind.
std::map<std::string, double> g_seconds;
std::map<std::string, long long> g_counts;

void Record(benchmark::State& state, const std::string& key, double seconds, long long count) {
  g_seconds[key] = seconds / (double)state.iterations();
  state.counters["lines"] = (double)count;
  state.counters["MB/s"] = benchmark::Counter((double)GetCorpus().text.size() / 1e6 * (double)state.iterations(),
                                              benchmark::Counter::kIsRate);
  const std::string kind = key.substr(key.find('/') + 1);
  auto it = g_counts.find(kind);
  if (it == g_counts.end())
    g_counts[kind] = count;
  else if (it->second != count)
    state.SkipWithError("engines disagree on the number of matching lines");
}

long long CountMatches(SECRegExp& re, const Corpus& c) {
  long long count = 0;
  for (size_t start : c.starts) count += re.Execute(c.lines.data() + start) >= 0;
  return count;
}

long long GrepCount(const Pattern& p, const Corpus& c) {
  const std::string cmd = std::string("LC_ALL=C grep -c -E '") + p.pattern + "' " + c.path;
  FILE* f = popen(cmd.c_str(), "r");
  if (f == nullptr) return -1;
  char out[64] = "";
  long long count = fgets(out, sizeof out, f) != nullptr ? std::strtoll(out, nullptr, 10) : -1;
  pclose(f);
  return count;
}

// Registered first, so that it runs first in the process: each engine's first search of each pattern.
void BM_FirstRun(benchmark::State& state) {
  const Corpus& c = GetCorpus();
  for (auto _ : state) {
    for (const Pattern& p : kPatterns) {
      long long ours = -2, theirs = -1;
      bench_note::Time(
          [&] {
            SECRegExp re;
            if (re.Compile(p.pattern) != nullptr) ours = CountMatches(re, c);
          },
          std::string("first SECRegExp/") + p.kind);
      bench_note::Time([&] { theirs = GrepCount(p, c); }, std::string("first grep/") + p.kind);
      if (ours != theirs) state.SkipWithError("SECRegExp and grep disagree on the number of matching lines");
    }
  }
}
BENCHMARK(BM_FirstRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SECRegExp(benchmark::State& state) {
  const Pattern& p = kPatterns[state.range(0)];
  const Corpus& c = GetCorpus();
  SECRegExp re;
  if (re.Compile(p.pattern) == nullptr) {
    state.SkipWithError("pattern does not compile");
    return;
  }
  long long count = 0;
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    count = CountMatches(re, c);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(p.kind);
  Record(state, std::string("SECRegExp/") + p.kind, seconds, count);
}

void BM_StdRegex(benchmark::State& state) {
  const Pattern& p = kPatterns[state.range(0)];
  const Corpus& c = GetCorpus();
  std::regex re(p.pattern, std::regex::ECMAScript);
  long long count = 0;
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    count = 0;
    for (size_t start : c.starts) {
      const char* line = c.lines.data() + start;
      count += std::regex_search(line, line + strlen(line), re);
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(p.kind);
  Record(state, std::string("std::regex/") + p.kind, seconds, count);
}

void BM_Grep(benchmark::State& state) {
  const Pattern& p = kPatterns[state.range(0)];
  const Corpus& c = GetCorpus();
  if (c.path.empty()) {
    state.SkipWithError("no text file for grep");
    return;
  }
  long long count = 0;
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    count = GrepCount(p, c);
    if (count < 0) {
      state.SkipWithError("grep did not start");
      return;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  state.SetLabel(p.kind);
  Record(state, std::string("grep/") + p.kind, seconds, count);
}

BENCHMARK(BM_SECRegExp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_StdRegex)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Grep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CorpusCleanup cleanup;
  GetCorpus();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::cout << "\nTime of std::regex and of grep -c relative to SECRegExp (above 1: SECRegExp is faster)\n";
  for (const Pattern& p : kPatterns) {
    auto ours = g_seconds.find(std::string("SECRegExp/") + p.kind);
    if (ours == g_seconds.end() || ours->second <= 0) continue;
    auto ratio = [&](const char* engine) {
      auto it = g_seconds.find(std::string(engine) + "/" + p.kind);
      return it == g_seconds.end() ? 0.0 : it->second / ours->second;
    };
    std::cout << "  " << std::left << std::setw(8) << p.kind << std::right << std::fixed << std::setprecision(1)
              << " SECRegExp " << std::setw(8) << ours->second * 1e3 << " ms   std::regex x" << std::setprecision(2)
              << std::setw(6) << ratio("std::regex") << "   grep x" << std::setw(6) << ratio("grep") << "\n";
  }
  std::cout << "\nSECRegExp against grep -c:" << std::endl;
  for (const auto& [key, seconds] : g_seconds) bench_note::Keep(key, seconds);
  for (const Pattern& p : kPatterns) {
    const std::string kind = p.kind;
    bench_note::PrintRatio((kind + ", steady state").c_str(), "SECRegExp/" + kind, "grep/" + kind, 1.5);
    bench_note::PrintRatio((kind + ", first run").c_str(), "first SECRegExp/" + kind, "first grep/" + kind, 1.5);
  }
  return 0;
}
