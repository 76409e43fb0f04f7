// The library's DAV_ functions over the simulated drives.
#include "suite/zurcomm/zurcomm.h"

#include "suite/zurcomm/SimulatorState.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>

namespace zurcomm {
bool CoffDownload(State& state, uint16_t axis, const char* file, uint16_t* out1, uint16_t* out2, uint16_t* out3,
                  DAV_PROGRESS_CALLBACK callback, void* user, const std::function<void()>& unlock,
                  const std::function<void()>& relock, std::string& why);
}

using zurcomm::Drive;
using zurcomm::State;

namespace {

std::string Hex4(uint32_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s = "0x0000";
  for (int i = 0; i < 4; ++i) s[5 - i] = digits[(v >> (4 * i)) & 0xF];
  return s;
}

// One library call: holds the lock, counts and logs the call, applies injected faults.
class Call {
 public:
  Call(const char* function, uint32_t a0 = 0, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0)
      : m_state(zurcomm::GetState()), m_lock(m_state.mutex) {
    m_number = m_state.calls++;
    zurcomm::LogCatchUp(m_state);
    m_record.function = function;
    m_record.args[0] = a0;
    m_record.args[1] = a1;
    m_record.args[2] = a2;
    m_record.args[3] = a3;
  }
  ~Call() {
    if (!m_lock.owns_lock()) m_lock.lock();
    if (m_state.logEnabled) {
      if (m_state.log.size() >= zurcomm::kMaxLogEntries) m_state.log.pop_front();
      m_state.log.push_back(m_record);
    }
    // Frames a sweep posted go to the host once the call is over.
    if (!m_state.outbox.empty()) {
      m_lock.unlock();
      DriveSimulator::DeliverUnsolicited();
      m_lock.lock();
    }
    // Level 1 reports failures, level 2 and above every call; the handler runs without the lock.
    DAV_DEBUG_LOG_HANDLER debugLog = m_state.debugLog;
    if (!debugLog || m_state.debugLevel < 1 || (m_state.debugLevel < 2 && m_record.ok)) return;
    std::string text = m_record.function;
    if (!m_record.ok) text += " failed: " + m_state.lastError;
    m_lock.unlock();
    debugLog(text.c_str());
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  State& S() { return m_state; }

  // False when an injected fault fails this call.
  bool Begin() {
    State& s = m_state;
    if (s.failCount > 0 && (s.failFunction.empty() || s.failFunction == m_record.function)) {
      --s.failCount;
      return Fail(s.failText);
    }
    return true;
  }
  bool Fail(const std::string& text) {
    m_state.lastError = text;
    m_record.ok = false;
    return false;
  }
  bool NeedOpen() { return m_state.open || Fail("Communication channel is not open"); }
  bool Silent() const { return m_number >= m_state.silentFrom; }
  // The drive of `axis` when it answers, else null with a time-out text.
  Drive* Answering(uint16_t axis) {
    Drive* d = m_state.Find(axis);
    if (!d || Silent()) {
      Fail("Time-out: axis " + std::to_string(axis) + " does not answer");
      return nullptr;
    }
    return d;
  }
  Drive* ActiveDrive() {
    if (!NeedOpen()) return nullptr;
    if (m_state.active == 0) {
      Fail("No active axis is selected");
      return nullptr;
    }
    return Answering(m_state.active);
  }
  void Unlock() { m_lock.unlock(); }
  void Relock() { m_lock.lock(); }

 private:
  State& m_state;
  std::unique_lock<std::mutex> m_lock;
  uint64_t m_number = 0;
  DriveSimulator::CallRecord m_record;
};

bool ChannelNameAccepted(const State& s, const char* name) {
  if (!name || !*name) return false;
  if (!s.channelNames.empty())
    return std::find(s.channelNames.begin(), s.channelNames.end(), std::string(name)) != s.channelNames.end();
  std::string n(name);
  for (char& c : n) c = (char)toupper((unsigned char)c);
  for (const char* kind : {"COM", "CAN", "UDP"}) {
    if (n.compare(0, 3, kind) != 0) continue;
    std::string digits = n.substr(3);
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return false;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    int v = std::stoi(digits);
    return v >= 1 && v <= 256;
  }
  return false;
}

DAV_MSG Reply(uint16_t address, uint16_t opcode, uint16_t d0, uint16_t d1) {
  DAV_MSG m{};
  m.count = 2;
  m.address = address;
  m.opcode = opcode;
  m.data[0] = d0;
  m.data[1] = d1;
  return m;
}

uint16_t CharPair(const std::string& s, size_t i) {
  uint8_t hi = i < s.size() ? (uint8_t)s[i] : 0;
  uint8_t lo = i + 1 < s.size() ? (uint8_t)s[i + 1] : 0;
  return (uint16_t)(hi << 8 | lo);
}

// What the drives on the bus do with a message the host sent.
void Deliver(State& s, const DAV_MSG& msg) {
  if (msg.address == DAV_BROADCAST_ADDRESS && msg.opcode == 0xD600) {
    for (auto& [id, d] : s.drives)
      s.queue.push_back(Reply(msg.data[0], (uint16_t)(0xD600 | (id & 0xFF)), CharPair(d->firmware, 1),
                              CharPair(d->firmware, 3)));
    return;
  }
  if (msg.address != DAV_BROADCAST_ADDRESS && msg.opcode == 0xB220) {
    uint16_t axis = msg.address >> 4;
    Drive* d = s.Find(axis);
    if (!d) return;
    uint8_t code = 0;
    uint16_t word = 0;
    if (msg.data[1] < d->errors.size()) {
      code = d->errors[msg.data[1]].first;
      word = d->errors[msg.data[1]].second;
    }
    s.queue.push_back(Reply(msg.data[0], (uint16_t)(0xD700 | (axis & 0xFF)), code, word));
    return;
  }
  if (s.responder)
    for (const DAV_MSG& r : s.responder(msg)) s.queue.push_back(r);
}

bool Transfer(bool send, const char* function, uint16_t* words, uint16_t address, uint8_t space, uint16_t count,
              bool big, DAV_PROGRESS_CALLBACK callback, void* user) {
  Call c(function, address, space, count);
  if (!c.Begin()) return false;
  Drive* d = c.ActiveDrive();
  if (!d) return false;
  if (count && !words) return c.Fail("Invalid argument: no buffer");
  Drive::Run runs[2];
  std::string why;
  if (!d->Locate(space, address, count, runs, why))
    return c.Fail(why + " (address " + Hex4(address) + ", " + std::to_string(count) + " words, space " +
                  std::to_string(space) + ")");
  if (send && space == DAV_SPACE_E2ROM && d->e2romProtected) return c.Fail("E2ROM is write-protected");
  if (!big || !callback) {
    for (auto& r : runs) {
      if (r.n) {
        if (send) memcpy(r.p, words, r.n * 2);
        else memcpy(words, r.p, r.n * 2);
      }
      words += r.n;
    }
    if (send) zurcomm::LogWordsWritten(*d, space, address, count);
    return true;
  }
  // Block by block, the progress reported between blocks without the lock. A read hands the words
  // out once the last block is in, so that one cancelled or cut off leaves the buffer as it was.
  const size_t kBlock = 512;
  const uint16_t axis = d->id;
  const char* text = send ? "Sending data..." : "Receiving data...";
  auto timeOut = [&] { return c.Fail("Time-out: axis " + std::to_string(axis) + " does not answer"); };
  for (size_t done = 0; done < count;) {
    size_t n = std::min(kBlock, (size_t)count - done);
    Drive* now = c.S().Find(axis);
    if (!now) return timeOut();
    if (send) {
      now->Locate(space, (uint16_t)(address + done), n, runs, why);
      uint16_t* p = words + done;
      for (auto& r : runs) {
        if (r.n) memcpy(r.p, p, r.n * 2);
        p += r.n;
      }
    }
    done += n;
    float percent = 100.0f * (float)done / (float)count;
    c.Unlock();
    bool go = callback(send ? 3 : 4, text, percent, user);
    c.Relock();
    if (!go) return c.Fail("Transfer cancelled");
  }
  Drive* now = c.S().Find(axis);
  if (send) {
    if (now) zurcomm::LogWordsWritten(*now, space, address, count);
    return true;
  }
  if (!now) return timeOut();
  now->Locate(space, address, count, runs, why);
  for (auto& r : runs) {
    if (r.n) memcpy(words, r.p, r.n * 2);
    words += r.n;
  }
  return true;
}

}  // namespace

extern "C" {

int DAV_OpenComm(const char* channel, uint16_t hostAxis, int reserved, uint8_t protocolAndType) {
  Call c("DAV_OpenComm", hostAxis, (uint32_t)reserved, protocolAndType);
  if (!c.Begin()) return -1;
  State& s = c.S();
  if (!ChannelNameAccepted(s, channel)) {
    c.Fail(std::string("Cannot open channel ") + (channel ? channel : "(null)"));
    return -1;
  }
  s.open = true;
  s.channel = channel;
  s.host = hostAxis;
  s.protocolAndType = protocolAndType;
  s.queue.clear();
  // The library finds the drive it talks to first.
  s.active = s.drives.empty() ? 0 : s.drives.begin()->first;
  return 0;
}

int DAV_CloseComm(int how) {
  Call c("DAV_CloseComm", (uint32_t)how);
  State& s = c.S();
  s.open = false;
  s.queue.clear();
  return 1;
}

bool DAV_SetBaudRate(uint32_t baud) {
  Call c("DAV_SetBaudRate", baud);
  if (!c.Begin() || !c.NeedOpen()) return false;
  State& s = c.S();
  if (baud == 0) return c.Fail("Invalid baud rate 0");
  if (s.refusedBauds.count(baud)) return c.Fail("Baud rate " + std::to_string(baud) + " is not supported");
  if (c.Silent()) return c.Fail("Time-out: no drive acknowledges the baud rate change");
  s.baud = baud;
  return true;
}

uint32_t DAV_GetBaudRate() {
  Call c("DAV_GetBaudRate");
  if (!c.Begin() || !c.NeedOpen()) return 0;
  return c.S().baud;
}

int DAV_UpdateSettings() {
  Call c("DAV_UpdateSettings");
  ++c.S().updateSettings;
  return 1;
}

bool DAV_SetHostDrive(uint16_t axis) {
  Call c("DAV_SetHostDrive", axis);
  if (!c.Begin() || !c.NeedOpen()) return false;
  c.S().host = axis;
  return true;
}

bool DAV_GetHostDrive(uint16_t* axis) {
  Call c("DAV_GetHostDrive");
  if (!c.Begin() || !c.NeedOpen()) return false;
  if (!axis) return c.Fail("Invalid argument: no output");
  *axis = c.S().host;
  return true;
}

bool DAV_SetActiveDrive(uint16_t axis) {
  Call c("DAV_SetActiveDrive", axis);
  if (!c.Begin() || !c.NeedOpen()) return false;
  if (!c.Answering(axis)) return false;
  c.S().active = axis;
  return true;
}

bool DAV_GetActiveDrive(uint16_t* axis) {
  Call c("DAV_GetActiveDrive");
  if (!c.Begin() || !c.NeedOpen()) return false;
  if (!axis) return c.Fail("Invalid argument: no output");
  *axis = c.S().active;
  return true;
}

bool DAV_ResetDrive() {
  Call c("DAV_ResetDrive");
  if (!c.Begin()) return false;
  Drive* d = c.ActiveDrive();
  if (!d) return false;
  d->ClearRam();
  ++d->resets;
  return true;
}

bool DAV_GetDriveVersion(char* version) {
  Call c("DAV_GetDriveVersion");
  if (!c.Begin()) return false;
  Drive* d = c.ActiveDrive();
  if (!d) return false;
  if (!version) return c.Fail("Invalid argument: no output");
  size_t n = std::min<size_t>(d->firmware.size(), 15);
  memcpy(version, d->firmware.data(), n);
  version[n] = 0;
  return true;
}

bool DAV_SendMessage(DAV_MSG* msg) {
  Call c("DAV_SendMessage", msg ? msg->address : 0, msg ? msg->opcode : 0);
  if (!c.Begin() || !c.NeedOpen()) return false;
  if (!msg) return c.Fail("Invalid argument: no message");
  if (msg->count > 4) return c.Fail("Invalid message: more than 4 data words");
  // The bus takes the message; a drive that is absent or silent never replies, and the library
  // keeps the time-out for the caller that waits in vain.
  State& s = c.S();
  bool broadcast = msg->address == DAV_BROADCAST_ADDRESS;
  uint16_t axis = msg->address >> 4;
  if (c.Silent() || (!broadcast && !s.Find(axis))) {
    s.lastError = broadcast ? "Time-out: no drive answers" : "Time-out: axis " + std::to_string(axis) + " does not answer";
    return true;
  }
  Deliver(s, *msg);
  return true;
}

bool DAV_ReceiveMessage(DAV_MSG* msg) {
  Call c("DAV_ReceiveMessage");
  if (!c.Begin() || !c.NeedOpen()) return false;
  if (!msg) return c.Fail("Invalid argument: no message");
  State& s = c.S();
  if (s.queue.empty()) return c.Fail("Time-out: no message received");
  *msg = s.queue.front();
  s.queue.pop_front();
  return true;
}

int DAV_GetBytesCountInQueue() {
  Call c("DAV_GetBytesCountInQueue");
  if (!c.Begin() || !c.NeedOpen()) return -1;
  return (int)(c.S().queue.size() * sizeof(DAV_MSG));
}

bool DAV_SendData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count) {
  return Transfer(true, "DAV_SendData", words, address, space, count, false, nullptr, nullptr);
}

bool DAV_ReceiveData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count) {
  return Transfer(false, "DAV_ReceiveData", words, address, space, count, false, nullptr, nullptr);
}

bool DAV_SendBigData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count, DAV_PROGRESS_CALLBACK callback,
                     void* user) {
  return Transfer(true, "DAV_SendBigData", words, address, space, count, true, callback, user);
}

bool DAV_ReceiveBigData(uint16_t* words, uint16_t address, uint8_t space, uint16_t count,
                        DAV_PROGRESS_CALLBACK callback, void* user) {
  return Transfer(false, "DAV_ReceiveBigData", words, address, space, count, true, callback, user);
}

bool DAV_CheckSum(uint16_t start, uint16_t end, uint16_t* sum) {
  Call c("DAV_CheckSum", start, end);
  if (!c.Begin()) return false;
  Drive* d = c.ActiveDrive();
  if (!d) return false;
  if (!sum) return c.Fail("Invalid argument: no output");
  Drive::Run runs[2];
  std::string why;
  if (end < start || !d->Locate(DAV_SPACE_E2ROM, start, (size_t)end - start + 1, runs, why))
    return c.Fail("Invalid checksum range " + Hex4(start) + "-" + Hex4(end));
  uint16_t s = 0;
  for (size_t i = 0; i < runs[0].n; ++i) s = (uint16_t)(s + runs[0].p[i]);
  *sum = s;
  return true;
}

bool DAV_COFFDownload(const char* file, uint16_t* out1, uint16_t* out2, uint16_t* out3, DAV_PROGRESS_CALLBACK callback,
                      void* user, uint16_t value) {
  Call c("DAV_COFFDownload", value);
  if (!c.Begin()) return false;
  Drive* d = c.ActiveDrive();
  if (!d) return false;
  std::string why;
  if (!zurcomm::CoffDownload(c.S(), d->id, file, out1, out2, out3, callback, user, [&] { c.Unlock(); },
                             [&] { c.Relock(); }, why))
    return c.Fail(why);
  return true;
}

const char* DAV_GetLastError() {
  thread_local std::string text;
  Call c("DAV_GetLastError");
  text = c.S().lastError;
  return text.c_str();
}

int DAV_RegisterReceiveUnsolicitedMsgHandler(DAV_UNSOLICITED_MSG_HANDLER handler) {
  Call c("DAV_RegisterReceiveUnsolicitedMsgHandler", handler != nullptr);
  c.S().unsolicited = handler;
  return 1;
}

int DAV_RegisterDebugLogHandler(int level, DAV_DEBUG_LOG_HANDLER handler) {
  Call c("DAV_RegisterDebugLogHandler", (uint32_t)level, handler != nullptr);
  c.S().debugLog = handler;
  c.S().debugLevel = level;
  return 1;
}

}  // extern "C"
