// The drives' logger firmware: a write to "log_ptr" arms a buffer, the layer's clock paces the samples.
#include "suite/zurcomm/SimulatorState.h"

#include "platform/core/Clock.h"

namespace zurcomm {

uint16_t* Drive::DataWord(uint16_t address) {
  Run runs[2];
  std::string why;
  return Locate(DAV_SPACE_DATA, address, 1, runs, why) ? runs[0].p : nullptr;
}

void LogStop(Drive& d) {
  d.logger.armed = false;
  d.logger.running = false;
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

// Reads the header at A; the type in the two low bits starts sampling at once (1, 2) or waits (0).
void Arm(Drive& d, uint16_t pointer) {
  LogStop(d);
  Drive::Logger& l = d.logger;
  l = Drive::Logger();
  const uint16_t a = pointer & ~3u;
  const int type = pointer & 3;
  if (type == 3 || a < 0x8000) return;  // the scope, or no buffer in RAM
  const uint16_t* first = d.DataWord((uint16_t)(a + 3));
  const uint16_t* divider = d.DataWord((uint16_t)(a + 2));
  if (!first || !divider) return;
  l.start = a;
  l.divider = *divider ? *divider : 1;
  l.first = *first;
  for (uint32_t at = a + 4u; at <= 0xFFFF; ++at) {
    uint16_t source = *d.DataWord((uint16_t)at);
    if (!source) break;
    l.sources.push_back(source);
  }
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

void LogCatchUp(State& s) {
  uint64_t now = 0;
  bool read = false;
  for (auto& [id, d] : s.drives) {
    Drive::Logger& l = d->logger;
    if (!l.running || l.periodMs <= 0) continue;
    if (!read) {
      now = Clock::Now();
      read = true;
    }
    const uint64_t due = now > l.anchorMs ? (uint64_t)((double)(now - l.anchorMs) / l.periodMs) : 0;
    if (due <= l.credited) continue;
    // What is due beyond the points left is never logged.
    const uint64_t n = due - l.credited;
    l.credited = due;
    LogSample(*d, n > 0x10000 ? 0x10000u : (uint32_t)n);
  }
}

}  // namespace zurcomm
