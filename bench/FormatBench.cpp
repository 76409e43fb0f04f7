// CString::Format of the kernel's value formats against the C library's snprintf
// into a stack buffer (the cheapest way the C library offers). Target: within 1.5x.
#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

short g_short = -2;
LONG g_long = -123456789;
double g_double = 1500.123456789;
DWORD g_dword = 0x1234;

void Ours(benchmark::State& state) {
  CString s;
  int kind = (int)state.range(0);
  for (auto _ : state) {
    switch (kind) {
      case 0: s.Format("%hd(0x%04hX)", g_short, (WORD)g_short); break;
      case 1: s.Format("%ld", g_long); break;
      case 2: s.Format("%.6e", g_double); break;
      case 3: s.Format("%lg", g_double); break;
      default: s.Format("%08lX", g_dword); break;
    }
    benchmark::DoNotOptimize(s.GetString());
  }
}

// The C library's own rules (its "%ld" is 64 bits here), into a buffer, then
// into a string as Format must.
void CLibrary(benchmark::State& state) {
  char buf[64];
  std::string s;
  int kind = (int)state.range(0);
  for (auto _ : state) {
    int n;
    switch (kind) {
      case 0: n = snprintf(buf, sizeof buf, "%hd(0x%04hX)", g_short, (WORD)g_short); break;
      case 1: n = snprintf(buf, sizeof buf, "%d", g_long); break;
      case 2: n = snprintf(buf, sizeof buf, "%.6e", g_double); break;
      case 3: n = snprintf(buf, sizeof buf, "%g", g_double); break;
      default: n = snprintf(buf, sizeof buf, "%08X", g_dword); break;
    }
    s.assign(buf, (size_t)n);
    benchmark::DoNotOptimize(s.data());
  }
}

// Brings the processor up to speed so the first measured case is not penalised.
void Warmup(benchmark::State& state) {
  char buf[64];
  for (auto _ : state) {
    snprintf(buf, sizeof buf, "%g", g_double);
    benchmark::DoNotOptimize(buf);
  }
}

}  // namespace

// Argument: 0 "%hd(0x%04hX)", 1 "%ld", 2 "%.6e", 3 "%lg", 4 "%08lX"; each case runs
// both ways side by side.
BENCHMARK(Warmup)->MinTime(0.5);
BENCHMARK(CLibrary)->Arg(0);
BENCHMARK(Ours)->Arg(0);
BENCHMARK(CLibrary)->Arg(1);
BENCHMARK(Ours)->Arg(1);
BENCHMARK(CLibrary)->Arg(2);
BENCHMARK(Ours)->Arg(2);
BENCHMARK(CLibrary)->Arg(3);
BENCHMARK(Ours)->Arg(3);
BENCHMARK(CLibrary)->Arg(4);
BENCHMARK(Ours)->Arg(4);

BENCHMARK_MAIN();
