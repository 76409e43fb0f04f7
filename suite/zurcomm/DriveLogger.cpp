// The drives' logger firmware: a write to "log_ptr" arms a buffer, the layer's clock paces the samples.
#include "suite/zurcomm/SimulatorState.h"

#include "platform/core/Clock.h"

#include <algorithm>

namespace zurcomm {

uint16_t* Drive::DataWord(uint16_t address) {
  Run runs[2];
  std::string why;
  return Locate(DAV_SPACE_DATA, address, 1, runs, why) ? runs[0].p : nullptr;
}

void LogStop(Drive& d) {
  d.logger.armed = false;
  d.logger.running = false;
  d.scope.running = false;
}

void LogStart(Drive& d, int type) {
  Drive::Logger& l = d.logger;
  if (!l.armed || (type != 1 && type != 2)) return;
  l.running = true;
  l.periodMs = l.divider * (type == 1 ? d.tsS : d.tsC) * 1000.0;
  l.anchorMs = Clock::Now();
  l.credited = 0;
}

namespace {

uint16_t Word(Drive& d, uint32_t address) {
  const uint16_t* w = address <= 0xFFFF ? d.DataWord((uint16_t)address) : nullptr;
  return w ? *w : 0;
}

// The words listed from `at` up to a 0.
std::vector<uint16_t> SourceList(Drive& d, uint32_t at) {
  std::vector<uint16_t> list;
  for (; at <= 0xFFFF && Word(d, at); ++at) list.push_back(Word(d, at));
  return list;
}

void ArmScope(Drive& d, uint16_t a) {
  Drive::Scope& sc = d.scope;
  sc = Drive::Scope();
  sc.divider = Word(d, a + 2u) ? Word(d, a + 2u) : 1;
  sc.rising = Word(d, a + 3u) != 0;
  sc.twoWords = Word(d, a + 12u) == 0xFFFF;
  sc.signedWord = !sc.twoWords && Word(d, a + 5u) == 0xFFFF;
  sc.level = (int32_t)((uint32_t)Word(d, a + 5u) << 16 | Word(d, a + 4u));
  sc.pre = std::min<uint32_t>(Word(d, a + 6u), 100) * 101 / 100;
  sc.autoWait = Word(d, a + 7u);
  sc.mode = Word(d, a + 8u);
  sc.address = Word(d, a + 9u);
  sc.mask = Word(d, a + 10u);
  sc.sources = SourceList(d, a + 52u);
  if (sc.sources.empty()) return;
  sc.running = true;
  sc.periodMs = sc.divider * d.tsC * 1000.0;
  sc.anchorMs = Clock::Now();
}

// Reads the header at A; the type in the two low bits starts sampling at once (1, 2) or waits (0).
void Arm(Drive& d, uint16_t pointer) {
  LogStop(d);
  Drive::Logger& l = d.logger;
  l = Drive::Logger();
  const uint16_t a = pointer & ~3u;
  const int type = pointer & 3;
  if (a < 0x8000) return;  // no buffer in RAM
  if (type == 3) return ArmScope(d, a);
  const uint16_t* first = d.DataWord((uint16_t)(a + 3));
  const uint16_t* divider = d.DataWord((uint16_t)(a + 2));
  if (!first || !divider) return;
  l.start = a;
  l.divider = *divider ? *divider : 1;
  l.first = *first;
  l.sources = SourceList(d, a + 4u);
  l.armed = !l.sources.empty();
  LogStart(d, type);
}

}  // namespace

void LogWordsWritten(Drive& d, uint8_t space, uint16_t address, size_t count) {
  // Below 0x8000 the spaces are separate; "log_ptr" lies in data memory.
  if (space != DAV_SPACE_DATA && !(space == DAV_SPACE_PROGRAM && d.logPtrAddress >= 0x8000)) return;
  if (d.logPtrAddress < address || d.logPtrAddress >= (size_t)address + count) return;
  const uint16_t v = *d.DataWord(d.logPtrAddress);
  if (v == 0)
    LogStop(d);
  else
    Arm(d, v);
}

void LogSample(Drive& d, uint32_t count) {
  Drive::Logger& l = d.logger;
  const size_t w = l.sources.size();
  for (; count > 0 && l.running; --count) {
    uint16_t* left = d.DataWord(l.start);
    const uint64_t at = l.first + (uint64_t)l.taken * w;
    if (!left || *left == 0 || at + w > 0x10000) {
      l.running = false;
      break;
    }
    for (size_t j = 0; j < w; ++j) {
      uint16_t* source = d.DataWord(l.sources[j]);
      auto wave = d.waveforms.find(l.sources[j]);
      if (source && wave != d.waveforms.end()) *source = wave->second(l.taken);
      *d.DataWord((uint16_t)(at + j)) = source ? *source : 0;
    }
    ++l.taken;
    if (--*left == 0) l.running = false;
  }
}

namespace {

// Samples the clock owes since `anchorMs`, at most `limit`.
uint32_t Owed(uint64_t now, uint64_t anchorMs, double periodMs, uint64_t& credited, uint32_t limit) {
  if (periodMs <= 0) return 0;
  const uint64_t due = now > anchorMs ? (uint64_t)((double)(now - anchorMs) / periodMs) : 0;
  if (due <= credited) return 0;
  const uint64_t n = due - credited;
  credited = due;
  return n > limit ? limit : (uint32_t)n;
}

void PostSweep(Drive& d) {
  Drive::Scope& sc = d.scope;
  std::vector<uint8_t> bytes;
  for (uint16_t w : sc.sweep) {
    bytes.push_back((uint8_t)w);
    bytes.push_back((uint8_t)(w >> 8));
  }
  const size_t frames = (bytes.size() + 6) / 7;
  bytes.resize(frames * 7, 0);
  State& s = GetState();
  std::vector<DAV_MSG> out;
  for (size_t n = 0; n < frames && n < 256; ++n) {
    uint8_t b[8] = {(uint8_t)n};
    std::copy(bytes.begin() + n * 7, bytes.begin() + n * 7 + 7, b + 1);
    DAV_MSG m{};
    m.count = 4;
    m.address = (uint16_t)(Word(d, d.masterIdAddress) & ~1u);
    m.opcode = (uint16_t)(0xB900 | (d.id & 0xFF));
    for (int k = 0; k < 4; ++k) m.data[k] = (uint16_t)(b[2 * k] | b[2 * k + 1] << 8);
    out.push_back(m);
  }
  if (s.frameHook) s.frameHook(out);
  s.outbox.insert(s.outbox.end(), out.begin(), out.end());
}

}  // namespace

// One sweep is 101 points; normal, single and auto modes wait for the trigger word to cross the
// level on the slope, keeping the points before it that the position asks for.
void ScopeSample(Drive& d, uint32_t count) {
  Drive::Scope& sc = d.scope;
  const size_t w = sc.sources.size();
  for (; count > 0 && sc.running; --count) {
    std::vector<uint16_t> point(w);
    for (size_t j = 0; j < w; ++j) {
      uint16_t* source = d.DataWord(sc.sources[j]);
      auto wave = d.waveforms.find(sc.sources[j]);
      if (source && wave != d.waveforms.end()) *source = wave->second(sc.taken);
      point[j] = source ? *source : 0;
    }
    if (auto wave = d.waveforms.find(sc.address); wave != d.waveforms.end())
      if (uint16_t* t = d.DataWord(sc.address)) *t = wave->second(sc.taken);
    ++sc.taken;
    if (!sc.triggered) {
      int32_t v;
      if (sc.twoWords)
        v = (int32_t)((uint32_t)Word(d, sc.address + 1u) << 16 | Word(d, sc.address));
      else
        v = sc.signedWord ? (int16_t)(Word(d, sc.address) & sc.mask) : (int32_t)(Word(d, sc.address) & sc.mask);
      const bool crossed = sc.havePrevious && (sc.rising ? sc.previous < sc.level && v >= sc.level
                                                         : sc.previous > sc.level && v <= sc.level);
      sc.previous = v;
      sc.havePrevious = true;
      sc.history.push_back(point);
      const size_t keep = sc.mode == 1 ? 1 : sc.pre + 1;
      while (sc.history.size() > keep) sc.history.pop_front();
      ++sc.waited;
      if (sc.mode == 1 || crossed || (sc.mode == 8 && sc.waited > sc.autoWait)) {
        sc.triggered = true;
        sc.sweep.clear();
        for (auto& p : sc.history) sc.sweep.insert(sc.sweep.end(), p.begin(), p.end());
      }
    } else {
      sc.sweep.insert(sc.sweep.end(), point.begin(), point.end());
    }
    if (sc.triggered && sc.sweep.size() >= 101 * w) {
      sc.sweep.resize(101 * w);
      PostSweep(d);
      sc.sweep.clear();
      sc.history.clear();
      sc.triggered = sc.havePrevious = false;
      sc.waited = 0;
      if (sc.mode == 4) sc.running = false;
    }
  }
}

// Each sample sees the moving axis's words as they are at its own time on the clock.
void LogCatchUp(State& s) {
  uint64_t now = 0;
  bool read = false;
  for (auto& entry : s.drives) {
    Drive& d = *entry.second;
    Drive::Logger& l = d.logger;
    Drive::Scope& sc = d.scope;
    const bool moving = d.motion.moving;
    if (!l.running && !sc.running && !moving) continue;
    if (!read) {
      now = Clock::Now();
      read = true;
    }
    // Samples up to `limit` that the clock owes since `anchorMs`.
    auto take = [&](uint64_t anchorMs, double periodMs, uint64_t& credited, uint32_t limit,
                    void (*sample)(Drive&, uint32_t)) {
      const uint64_t before = credited;
      const uint32_t n = Owed(now, anchorMs, periodMs, credited, limit);
      if (!moving) return sample(d, n);
      for (uint32_t i = 0; i < n; ++i) {
        MoveTo(d, (double)anchorMs + (double)(before + i + 1) * periodMs);
        sample(d, 1);
      }
    };
    // What is due beyond the points left is never logged.
    if (l.running) take(l.anchorMs, l.periodMs, l.credited, 0x10000, LogSample);
    if (sc.running) take(sc.anchorMs, sc.periodMs, sc.credited, 1000000, ScopeSample);
    if (moving) d.motion.moving = MoveTo(d, (double)now);
  }
}

}  // namespace zurcomm
