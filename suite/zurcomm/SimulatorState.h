// The simulator's one process-wide state, shared by the library functions and the test interface.
#pragma once

#include "suite/zurcomm/DriveSimulator.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace zurcomm {

struct Drive {
  explicit Drive(uint16_t id);
  uint16_t id;
  std::string firmware;
  std::vector<uint16_t> programLow;  // space 0 below 0x8000
  std::vector<uint16_t> dataLow;     // space 1 below 0x8000
  std::vector<uint16_t> ram;         // both spaces from 0x8000 up
  std::vector<uint16_t> e2rom;       // space 2, 0x4000-0x7FFF
  std::vector<std::pair<uint8_t, uint16_t>> errors;
  bool e2romProtected = false;
  int resets = 0;

  // The logger firmware: "log_ptr" names a buffer whose header lists the words to sample.
  struct Logger {
    bool armed = false;    // header read; waits for STARTLOG when its type was 0
    bool running = false;  // sampling
    uint16_t start = 0;    // A
    uint16_t divider = 1;
    uint32_t first = 0;    // where point 0 goes
    std::vector<uint16_t> sources;
    uint32_t taken = 0;    // points logged since armed
    double periodMs = 0;
    uint64_t anchorMs = 0;  // clock reading when sampling began
    uint64_t credited = 0;  // samples the clock has paid since then
  } logger;
  // The scope firmware: "log_ptr" = A + 3; triggered sweeps go to the host as numbered frames.
  struct Scope {
    bool running = false;
    int mode = 1;  // 1 free, 2 normal, 4 single, 8 auto
    bool rising = true;
    int32_t level = 0;
    bool twoWords = false, signedWord = false;
    uint16_t address = 0, mask = 0xFFFF;
    uint32_t pre = 0;       // points kept before the trigger
    uint32_t autoWait = 0;  // samples the auto mode waits for a trigger
    uint16_t divider = 1;
    std::vector<uint16_t> sources;
    double periodMs = 0;
    uint64_t anchorMs = 0, credited = 0;
    uint32_t taken = 0, waited = 0;
    bool triggered = false, havePrevious = false;
    int32_t previous = 0;
    std::deque<std::vector<uint16_t>> history;
    std::vector<uint16_t> sweep;  // points of the sweep under way, W words each
  } scope;
  // The position loop: after UPD the axis runs a trapezoidal profile from APOS to CPOS.
  struct Motion {
    bool moving = false;
    uint16_t apos = 0, aspd = 0, iq = 0, aposLoad = 0, aspdLoad = 0;  // word addresses
    double startMs = 0;
    int32_t from = 0, loadFrom = 0;
    double loadRatio = 1;
    double distance = 0;  // signed, counts
    double speed = 0, accel = 0;  // peak speed (counts per sample) and acceleration (per sample squared)
    double rampSamples = 0, flatSamples = 0;
  } motion;
  uint16_t masterIdAddress = 0x0927;
  uint16_t logPtrAddress = 0x0272;
  double tsS = 1e-4;
  double tsC = 62.5e-6;
  std::map<uint16_t, std::function<uint16_t(uint32_t)>> waveforms;  // by data address

  // One word of the data space; null outside it.
  uint16_t* DataWord(uint16_t address);

  // The words [address, address + count) of a space, as at most two runs; empty when the range
  // leaves the space. Returns false with a reason for a bad range.
  struct Run {
    uint16_t* p;
    size_t n;
  };
  bool Locate(uint8_t space, uint16_t address, size_t count, Run runs[2], std::string& why);
  void ClearRam();
};

struct State {
  std::mutex mutex;
  std::map<uint16_t, std::unique_ptr<Drive>> drives;

  bool open = false;
  std::string channel;
  uint8_t protocolAndType = 0;
  uint16_t host = 0;
  uint16_t active = 0;
  uint32_t baud = 9600;
  int updateSettings = 0;
  std::vector<std::string> channelNames;  // empty: the default rule

  std::deque<DAV_MSG> queue;
  std::vector<DAV_MSG> outbox;  // unsolicited messages, delivered once the lock is released
  std::function<void(std::vector<DAV_MSG>&)> frameHook;
  DriveSimulator::MessageResponder responder;
  DAV_UNSOLICITED_MSG_HANDLER unsolicited = nullptr;
  DAV_DEBUG_LOG_HANDLER debugLog = nullptr;
  int debugLevel = 0;

  std::string lastError;

  int failCount = 0;
  std::string failText;
  std::string failFunction;
  uint64_t silentFrom = UINT64_MAX;  // call number from which no drive answers
  std::set<uint32_t> refusedBauds;

  uint64_t calls = 0;
  bool logEnabled = true;
  std::deque<DriveSimulator::CallRecord> log;

  void ResetAll();
  Drive* Find(uint16_t axis) {
    auto it = drives.find(axis);
    return it == drives.end() ? nullptr : it->second.get();
  }
};

State& GetState();

// The logger firmware (DriveLogger.cpp). Each runs under the state's lock.
void LogCatchUp(State& state);
void LogWordsWritten(Drive& drive, uint8_t space, uint16_t address, size_t count);
void LogStart(Drive& drive, int type);
void LogStop(Drive& drive);
void LogSample(Drive& drive, uint32_t count);
void ScopeSample(Drive& drive, uint32_t count);
// The motion (DriveMotion.cpp): writes the axis's words as they are at `ms` on the clock; false once
// the move is over.
bool MoveTo(Drive& drive, double ms);
void StartMove(Drive& drive, const DriveSimulator::MotionWords& words, uint64_t nowMs);

constexpr size_t kMaxLogEntries = 100000;

}  // namespace zurcomm
