// The simulator's one process-wide state, shared by the library functions and the test interface.
#pragma once

#include "suite/zurcomm/DriveSimulator.h"

#include <deque>
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

constexpr size_t kMaxLogEntries = 100000;

}  // namespace zurcomm
