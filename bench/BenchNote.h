// Times gathered while the benchmarks of one executable run, and the closing note of ratios against
// the targets printed after them: steady state and the first run of the fresh process.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench_note {

inline std::map<std::string, double>& Seconds() {
  static std::map<std::string, double> s;
  return s;
}

// Seconds of `f()`, kept under `key` when given.
template <class F>
double Time(F f, const std::string& key = std::string()) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!key.empty()) Seconds()[key] = s;
  return s;
}

inline void Keep(const std::string& key, double seconds) { Seconds()[key] = seconds; }

// The median of times taken one by one (a time spoilt by a neighbour's burst of writes counts once).
inline double Median(std::vector<double> times) {
  if (times.empty()) return 0;
  std::nth_element(times.begin(), times.begin() + (ptrdiff_t)(times.size() / 2), times.end());
  return times[times.size() / 2];
}

// "label: 12.3 ms against 4.1 ms, x3.00 (target: at most x3)" for a time against a reference time.
inline void PrintRatio(const char* label, const std::string& ours, const std::string& reference, double target) {
  auto a = Seconds().find(ours), b = Seconds().find(reference);
  if (a == Seconds().end() || b == Seconds().end() || b->second <= 0) {
    std::printf("  %-34s not measured\n", label);
    return;
  }
  double ratio = a->second / b->second;
  std::printf("  %-34s %9.2f ms against %9.2f ms: x%.2f (target: at most x%g) %s\n", label, a->second * 1e3,
              b->second * 1e3, ratio, target, ratio <= target ? "met" : "NOT met");
}

// "label: 1234567 per second (target: at least 1000000)" for `count` items done in the time under `key`.
inline void PrintRate(const char* label, const std::string& key, double count, double target) {
  auto a = Seconds().find(key);
  if (a == Seconds().end() || a->second <= 0) {
    std::printf("  %-34s not measured\n", label);
    return;
  }
  double rate = count / a->second;
  std::printf("  %-34s %12.0f per second (target: at least %.0f) %s\n", label, rate, target,
              rate >= target ? "met" : "NOT met");
}

}  // namespace bench_note
