#include "suite/zurcomm/DriveSimulator.h"

#include "suite/zurcomm/SimulatorState.h"

#include "platform/core/Clock.h"

#include <algorithm>
#include <cstring>

namespace zurcomm {

Drive::Drive(uint16_t axis)
    : id(axis), programLow(0x8000, 0), dataLow(0x8000, 0), ram(0x8000, 0), e2rom(DriveMemory::kE2ROMMaxSize, 0) {}

bool Drive::Locate(uint8_t space, uint16_t address, size_t count, Run runs[2], std::string& why) {
  runs[0] = {nullptr, 0};
  runs[1] = {nullptr, 0};
  size_t end = (size_t)address + count;
  if (space == DAV_SPACE_E2ROM) {
    if (address < DriveMemory::kE2ROMStart || end > (size_t)DriveMemory::kE2ROMLast + 1) {
      why = "E2ROM range out of the window 0x4000-0x7FFF";
      return false;
    }
    runs[0] = {e2rom.data() + (address - DriveMemory::kE2ROMStart), count};
    return true;
  }
  if (space != DAV_SPACE_PROGRAM && space != DAV_SPACE_DATA) {
    why = "Invalid memory space";
    return false;
  }
  if (end > 0x10000) {
    why = "Address range runs past 0xFFFF";
    return false;
  }
  std::vector<uint16_t>& low = space == DAV_SPACE_PROGRAM ? programLow : dataLow;
  if (address >= 0x8000) {
    runs[0] = {ram.data() + (address - 0x8000), count};
  } else if (end <= 0x8000) {
    runs[0] = {low.data() + address, count};
  } else {
    runs[0] = {low.data() + address, (size_t)(0x8000 - address)};
    runs[1] = {ram.data(), end - 0x8000};
  }
  return true;
}

void Drive::ClearRam() {
  std::fill(programLow.begin(), programLow.end(), 0);
  std::fill(dataLow.begin(), dataLow.end(), 0);
  std::fill(ram.begin(), ram.end(), 0);
  motion = Motion();
}

namespace {

std::unique_ptr<Drive> FreshDrive(uint16_t axis, const std::string& firmware, const std::string& productId) {
  auto d = std::make_unique<Drive>(axis);
  d->firmware = firmware;
  auto id = DriveSimulator::IdentityBlock(productId, firmware);
  std::copy(id.begin(), id.end(), d->e2rom.begin() + (DriveMemory::kIdentityAddress - DriveMemory::kE2ROMStart));
  d->e2rom[DriveMemory::kSetupTablePointer - DriveMemory::kE2ROMStart] = DriveMemory::kE2ROMStart;
  return d;
}

}  // namespace

void State::ResetAll() {
  drives.clear();
  drives[1] = FreshDrive(1, DriveSimulator::kDefaultFirmware, DriveSimulator::kDefaultProductId);
  open = false;
  channel.clear();
  protocolAndType = 0;
  host = 0;
  active = 0;
  baud = 9600;
  updateSettings = 0;
  channelNames.clear();
  queue.clear();
  outbox.clear();
  frameHook = nullptr;
  responder = nullptr;
  unsolicited = nullptr;
  debugLog = nullptr;
  debugLevel = 0;
  lastError.clear();
  failCount = 0;
  failText.clear();
  failFunction.clear();
  silentFrom = UINT64_MAX;
  refusedBauds.clear();
  calls = 0;
  logEnabled = true;
  log.clear();
}

State& GetState() {
  static State* state = [] {
    auto* s = new State;
    s->ResetAll();
    return s;
  }();
  return *state;
}

}  // namespace zurcomm

using zurcomm::Drive;
using zurcomm::GetState;

namespace {

std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(GetState().mutex); }

}  // namespace

void DriveSimulator::Reset() {
  auto l = Lock();
  GetState().ResetAll();
}

void DriveSimulator::ClearNetwork() {
  auto l = Lock();
  GetState().drives.clear();
}

void DriveSimulator::AddDrive(uint16_t axis, const std::string& firmware, const std::string& productId) {
  auto l = Lock();
  GetState().drives[axis] = zurcomm::FreshDrive(axis, firmware, productId);
}

void DriveSimulator::RemoveDrive(uint16_t axis) {
  auto l = Lock();
  GetState().drives.erase(axis);
}

bool DriveSimulator::HasDrive(uint16_t axis) {
  auto l = Lock();
  return GetState().Find(axis) != nullptr;
}

std::vector<uint16_t> DriveSimulator::Axes() {
  auto l = Lock();
  std::vector<uint16_t> axes;
  for (auto& [id, d] : GetState().drives) axes.push_back(id);
  return axes;
}

void DriveSimulator::SetFirmware(uint16_t axis, const std::string& firmware) {
  auto l = Lock();
  if (Drive* d = GetState().Find(axis)) d->firmware = firmware;
}

bool DriveSimulator::ReadMemory(uint16_t axis, uint8_t space, uint16_t address, uint16_t* words, size_t count) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  Drive* d = GetState().Find(axis);
  Drive::Run runs[2];
  std::string why;
  if (!d || (count && !words) || !d->Locate(space, address, count, runs, why)) return false;
  for (auto& r : runs) {
    if (r.n) memcpy(words, r.p, r.n * 2);
    words += r.n;
  }
  return true;
}

bool DriveSimulator::WriteMemory(uint16_t axis, uint8_t space, uint16_t address, const uint16_t* words,
                                 size_t count) {
  auto l = Lock();
  Drive* d = GetState().Find(axis);
  Drive::Run runs[2];
  std::string why;
  if (!d || (count && !words) || !d->Locate(space, address, count, runs, why)) return false;
  for (auto& r : runs) {
    if (r.n) memcpy(r.p, words, r.n * 2);
    words += r.n;
  }
  zurcomm::LogWordsWritten(*d, space, address, count);
  return true;
}

void DriveSimulator::SetLoggerSettings(uint16_t axis, uint16_t logPtrAddress, double tsS, double tsC) {
  auto l = Lock();
  if (Drive* d = GetState().Find(axis)) {
    d->logPtrAddress = logPtrAddress;
    d->tsS = tsS;
    d->tsC = tsC;
  }
}

void DriveSimulator::StartLog(uint16_t axis, int type) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  for (auto& [id, d] : GetState().drives)
    if (!axis || id == axis) zurcomm::LogStart(*d, type);
}

void DriveSimulator::StopLog(uint16_t axis) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  for (auto& [id, d] : GetState().drives)
    if (!axis || id == axis) zurcomm::LogStop(*d);
}

void DriveSimulator::StepLogger(uint16_t axis, uint32_t samples) {
  auto l = Lock();
  if (Drive* d = GetState().Find(axis)) zurcomm::LogSample(*d, samples);
}

bool DriveSimulator::IsLogging(uint16_t axis) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  Drive* d = GetState().Find(axis);
  return d && d->logger.running;
}

void DriveSimulator::StepScope(uint16_t axis, uint32_t samples) {
  {
    auto l = Lock();
    if (Drive* d = GetState().Find(axis)) zurcomm::ScopeSample(*d, samples);
  }
  DeliverUnsolicited();
}

bool DriveSimulator::IsScopeRunning(uint16_t axis) {
  bool running;
  {
    auto l = Lock();
    zurcomm::LogCatchUp(GetState());
    Drive* d = GetState().Find(axis);
    running = d && d->scope.running;
  }
  DeliverUnsolicited();
  return running;
}

void DriveSimulator::StartMove(uint16_t axis, const MotionWords& words) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  if (Drive* d = GetState().Find(axis)) zurcomm::StartMove(*d, words, Clock::Now());
}

bool DriveSimulator::IsMoving(uint16_t axis) {
  auto l = Lock();
  zurcomm::LogCatchUp(GetState());
  Drive* d = GetState().Find(axis);
  return d && d->motion.moving;
}

void DriveSimulator::SetFrameHook(std::function<void(std::vector<DAV_MSG>& frames)> hook) {
  auto l = Lock();
  GetState().frameHook = std::move(hook);
}

void DriveSimulator::DeliverUnsolicited() {
  std::vector<DAV_MSG> out;
  {
    auto l = Lock();
    out.swap(GetState().outbox);
  }
  for (const DAV_MSG& m : out) PostUnsolicitedMessage(m);
}

void DriveSimulator::SetWaveform(uint16_t axis, uint16_t address, std::function<uint16_t(uint32_t)> wave) {
  auto l = Lock();
  Drive* d = GetState().Find(axis);
  if (!d) return;
  if (wave)
    d->waveforms[address] = std::move(wave);
  else
    d->waveforms.erase(address);
}

void DriveSimulator::SetErrorList(uint16_t axis, const std::vector<std::pair<uint8_t, uint16_t>>& errors) {
  auto l = Lock();
  if (Drive* d = GetState().Find(axis)) d->errors = errors;
}

void DriveSimulator::SetE2ROMWriteProtected(uint16_t axis, bool on) {
  auto l = Lock();
  if (Drive* d = GetState().Find(axis)) d->e2romProtected = on;
}

int DriveSimulator::ResetCount(uint16_t axis) {
  auto l = Lock();
  Drive* d = GetState().Find(axis);
  return d ? d->resets : 0;
}

std::array<uint16_t, 64> DriveSimulator::IdentityBlock(const std::string& productId, const std::string& firmware) {
  uint8_t b[128] = {};
  auto putWord = [&](int word, uint16_t v) {
    b[word * 2] = (uint8_t)v;
    b[word * 2 + 1] = (uint8_t)(v >> 8);
  };
  int w = 0;
  for (char c : productId)
    if (c != '.' && w < 11) putWord(w++, (uint16_t)(int16_t)(signed char)c);
  w = 11;
  for (char c : firmware)
    if (w < 16) putWord(w++, (uint16_t)(int16_t)(signed char)c);
  // Manufacturing date and serial number.
  b[70] = 24;
  b[71] = 5;
  b[72] = 17;
  memcpy(b + 76, "SD0001", 6);
  auto word = [&](int i) { return (uint16_t)(b[i * 2] | b[i * 2 + 1] << 8); };
  auto dword = [&](int i) {
    return (uint32_t)b[i * 4] | (uint32_t)b[i * 4 + 1] << 8 | (uint32_t)b[i * 4 + 2] << 16 |
           (uint32_t)b[i * 4 + 3] << 24;
  };
  uint16_t sum16 = 0;
  for (int i = 0; i <= 30; ++i) sum16 = (uint16_t)(sum16 + word(i));
  putWord(31, sum16);
  uint32_t sum32 = 0;
  for (int i = 0; i <= 30; ++i) sum32 += dword(i);
  putWord(62, (uint16_t)sum32);
  putWord(63, (uint16_t)(sum32 >> 16));
  std::array<uint16_t, 64> out;
  for (int i = 0; i < 64; ++i) out[i] = word(i);
  return out;
}

void DriveSimulator::QueueMessage(const DAV_MSG& msg) {
  auto l = Lock();
  GetState().queue.push_back(msg);
}

void DriveSimulator::PostUnsolicitedMessage(DAV_MSG msg) {
  auto l = Lock();
  DAV_UNSOLICITED_MSG_HANDLER handler = GetState().unsolicited;
  if (!handler || !GetState().open) {
    GetState().queue.push_back(msg);
    return;
  }
  l.unlock();
  handler(&msg);
}

size_t DriveSimulator::QueuedMessageCount() {
  auto l = Lock();
  return GetState().queue.size();
}

void DriveSimulator::SetMessageResponder(MessageResponder responder) {
  auto l = Lock();
  GetState().responder = std::move(responder);
}

void DriveSimulator::FailNextCalls(int count, const std::string& text, const std::string& function) {
  auto l = Lock();
  auto& s = GetState();
  s.failCount = std::max(count, 0);
  s.failText = text;
  s.failFunction = function;
}

void DriveSimulator::StopAnsweringAtCall(uint64_t k) {
  auto l = Lock();
  GetState().silentFrom = GetState().calls + k;
}

void DriveSimulator::ResumeAnswering() {
  auto l = Lock();
  GetState().silentFrom = UINT64_MAX;
}

void DriveSimulator::RefuseBaudRate(uint32_t baud) {
  auto l = Lock();
  GetState().refusedBauds.insert(baud);
}

void DriveSimulator::ChangeBaudRate(uint32_t baud) {
  auto l = Lock();
  GetState().baud = baud;
}

void DriveSimulator::SetChannelNames(const std::vector<std::string>& names) {
  auto l = Lock();
  GetState().channelNames = names;
}

bool DriveSimulator::IsOpen() {
  auto l = Lock();
  return GetState().open;
}

std::string DriveSimulator::Channel() {
  auto l = Lock();
  return GetState().channel;
}

uint8_t DriveSimulator::ProtocolAndType() {
  auto l = Lock();
  return GetState().protocolAndType;
}

uint16_t DriveSimulator::HostDrive() {
  auto l = Lock();
  return GetState().host;
}

uint16_t DriveSimulator::ActiveDrive() {
  auto l = Lock();
  return GetState().active;
}

uint32_t DriveSimulator::BaudRate() {
  auto l = Lock();
  return GetState().baud;
}

int DriveSimulator::UpdateSettingsCount() {
  auto l = Lock();
  return GetState().updateSettings;
}

std::vector<DriveSimulator::CallRecord> DriveSimulator::CallLog() {
  auto l = Lock();
  return std::vector<CallRecord>(GetState().log.begin(), GetState().log.end());
}

uint64_t DriveSimulator::CallCount() {
  auto l = Lock();
  return GetState().calls;
}

size_t DriveSimulator::CallCount(const std::string& function) {
  auto l = Lock();
  size_t n = 0;
  for (auto& r : GetState().log) n += function == r.function;
  return n;
}

void DriveSimulator::ClearCallLog() {
  auto l = Lock();
  GetState().log.clear();
}

void DriveSimulator::SetCallLogEnabled(bool on) {
  auto l = Lock();
  GetState().logEnabled = on;
}
