#include "platform/core/Clock.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "suite/zurcomm/zurcomm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

class SimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override { DriveSimulator::Reset(); }
  void TearDown() override { DriveSimulator::Reset(); }
  static void OpenCom1() {
    ASSERT_GE(DAV_OpenComm("COM1", 0, 0, 0), 0);
    ASSERT_TRUE(DAV_SetBaudRate(115200));
  }
};

std::vector<DAV_MSG> g_pushed;
std::vector<std::string> g_debug;
void Debug(const char* text) { g_debug.push_back(text); }
void Pushed(DAV_MSG* m) { g_pushed.push_back(*m); }

}  // namespace

TEST_F(SimulatorTest, DefaultNetworkHasOneDriveOnAxisOne) {
  EXPECT_EQ(DriveSimulator::Axes(), std::vector<uint16_t>{1});
  OpenCom1();
  uint16_t axis = 0;
  ASSERT_TRUE(DAV_GetActiveDrive(&axis));
  EXPECT_EQ(axis, 1);
  char version[16];
  memset(version, 'x', sizeof version);
  ASSERT_TRUE(DAV_GetDriveVersion(version));
  EXPECT_STREQ(version, "F505H");
  EXPECT_EQ(DAV_GetBaudRate(), 115200u);
}

TEST_F(SimulatorTest, MemorySpacesShareRamAboveTheWindowOnly) {
  OpenCom1();
  uint16_t a = 0xAAAA, b = 0xBBBB, r = 0;
  // Below 0x8000, program and data memory are separate.
  ASSERT_TRUE(DAV_SendData(&a, 0x1000, 0, 1));
  ASSERT_TRUE(DAV_SendData(&b, 0x1000, 1, 1));
  ASSERT_TRUE(DAV_ReceiveData(&r, 0x1000, 0, 1));
  EXPECT_EQ(r, 0xAAAA);
  // Data memory at 0x4000 is not the E2ROM.
  ASSERT_TRUE(DAV_SendData(&b, 0x4000, 1, 1));
  ASSERT_TRUE(DAV_ReceiveData(&r, 0x4000, 2, 1));
  EXPECT_EQ(r, 0);
  // From 0x8000 up both spaces see one RAM, also for a block that crosses 0x8000.
  uint16_t block[4] = {1, 2, 3, 4}, back[4] = {};
  ASSERT_TRUE(DAV_SendData(block, 0x7FFE, 1, 4));
  ASSERT_TRUE(DAV_ReceiveData(back, 0x8000, 0, 2));
  EXPECT_EQ(back[0], 3);
  EXPECT_EQ(back[1], 4);
  ASSERT_TRUE(DAV_ReceiveData(back, 0x7FFE, 0, 2));
  EXPECT_EQ(back[0], 0);  // program memory's own words below 0x8000

  // A reset clears RAM and keeps E2ROM.
  uint16_t e = 0x1234;
  ASSERT_TRUE(DAV_SendData(&e, 0x6000, 2, 1));
  ASSERT_TRUE(DAV_ResetDrive());
  EXPECT_EQ(DriveSimulator::ResetCount(1), 1);
  ASSERT_TRUE(DAV_ReceiveData(&r, 0x8001, 1, 1));
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(DAV_ReceiveData(&r, 0x1000, 0, 1));
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(DAV_ReceiveData(&r, 0x6000, 2, 1));
  EXPECT_EQ(r, 0x1234);
}

TEST_F(SimulatorTest, IdentityBlockChecksumsHold) {
  auto id = DriveSimulator::IdentityBlock("1234.567.8901", "F505H");
  EXPECT_EQ(id[0], '1');
  EXPECT_EQ(id[10], '1');
  EXPECT_EQ(id[11], 'F');
  EXPECT_EQ(id[15], 'H');
  uint16_t sum16 = 0;
  for (int i = 0; i <= 30; ++i) sum16 = (uint16_t)(sum16 + id[i]);
  EXPECT_EQ(id[31], sum16);
  uint32_t sum32 = 0;
  for (int i = 0; i <= 30; ++i) sum32 += (uint32_t)id[2 * i] | (uint32_t)id[2 * i + 1] << 16;
  EXPECT_EQ((uint32_t)id[62] | (uint32_t)id[63] << 16, sum32);

  OpenCom1();
  uint16_t stored[64];
  ASSERT_TRUE(DAV_ReceiveData(stored, DriveSimulator::kIdentityAddress, 2, 64));
  auto fresh = DriveSimulator::IdentityBlock(DriveSimulator::kDefaultProductId, "F505H");
  EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), stored));
  uint16_t sum = 0, expected = 0;
  ASSERT_TRUE(DAV_CheckSum(0x7FBF, 0x7FFF, &sum));
  for (uint16_t w : stored) expected = (uint16_t)(expected + w);
  expected = (uint16_t)(expected + 0x4000);  // the table pointer
  EXPECT_EQ(sum, expected);
}

TEST_F(SimulatorTest, ErrorListAndScanReplies) {
  DriveSimulator::AddDrive(4, "F2A0A");
  DriveSimulator::SetErrorList(4, {{0x33, 0x0102}});
  OpenCom1();
  DAV_MSG req{};
  req.count = 2;
  req.address = 4 << 4;
  req.opcode = 0xB220;
  req.data[0] = 0x0F1;
  req.data[1] = 0;
  ASSERT_TRUE(DAV_SendMessage(&req));
  req.data[1] = 1;
  ASSERT_TRUE(DAV_SendMessage(&req));
  EXPECT_EQ(DAV_GetBytesCountInQueue(), 28);
  DAV_MSG r{};
  ASSERT_TRUE(DAV_ReceiveMessage(&r));
  EXPECT_EQ(r.address, 0x0F1);
  EXPECT_EQ(r.opcode, 0xD704);
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(r.data[0], 0x33);
  EXPECT_EQ(r.data[1], 0x0102);
  ASSERT_TRUE(DAV_ReceiveMessage(&r));
  EXPECT_EQ(r.data[0], 0);  // the end marker

  DAV_MSG scan{};
  scan.count = 2;
  scan.address = DAV_BROADCAST_ADDRESS;
  scan.opcode = 0xD600;
  scan.data[0] = 0x0F1;
  ASSERT_TRUE(DAV_SendMessage(&scan));
  ASSERT_TRUE(DAV_ReceiveMessage(&r));
  EXPECT_EQ(r.opcode, 0xD601);
  EXPECT_EQ(r.data[0], ('5' << 8) | '0');
  EXPECT_EQ(r.data[1], ('5' << 8) | 'H');
  ASSERT_TRUE(DAV_ReceiveMessage(&r));
  EXPECT_EQ(r.opcode, 0xD604);
  EXPECT_EQ(r.data[0], ('2' << 8) | 'A');
  EXPECT_FALSE(DAV_ReceiveMessage(&r));

  // A message to an axis that is not there is taken by the bus and never answered.
  req.address = 9 << 4;
  EXPECT_TRUE(DAV_SendMessage(&req));
  EXPECT_EQ(DAV_GetBytesCountInQueue(), 0);
  EXPECT_STREQ(DAV_GetLastError(), "Time-out: axis 9 does not answer");
  r.count = 5;
  EXPECT_FALSE(DAV_SendMessage(&r));
  EXPECT_FALSE(DAV_SendMessage(nullptr));
}

TEST_F(SimulatorTest, UnsolicitedMessagesGoToTheHandlerOrTheQueue) {
  DAV_MSG m{};
  m.opcode = 0x4242;
  DriveSimulator::PostUnsolicitedMessage(m);  // closed: queued
  EXPECT_EQ(DriveSimulator::QueuedMessageCount(), 1u);
  OpenCom1();  // opening empties the queue
  EXPECT_EQ(DriveSimulator::QueuedMessageCount(), 0u);
  g_pushed.clear();
  DAV_RegisterReceiveUnsolicitedMsgHandler(Pushed);
  DriveSimulator::PostUnsolicitedMessage(m);
  ASSERT_EQ(g_pushed.size(), 1u);
  EXPECT_EQ(g_pushed[0].opcode, 0x4242);
  DAV_RegisterReceiveUnsolicitedMsgHandler(nullptr);
  DriveSimulator::PostUnsolicitedMessage(m);
  EXPECT_EQ(DAV_GetBytesCountInQueue(), 14);
}

TEST_F(SimulatorTest, FaultInjection) {
  EXPECT_LT(DAV_OpenComm("COM0", 0, 0, 0), 0);
  EXPECT_STREQ(DAV_GetLastError(), "Cannot open channel COM0");
  EXPECT_LT(DAV_OpenComm("COM257", 0, 0, 0), 0);
  EXPECT_LT(DAV_OpenComm("", 0, 0, 0), 0);
  EXPECT_GE(DAV_OpenComm("can3", 0, 0, 2), 0);
  DriveSimulator::SetChannelNames({"SIM"});
  EXPECT_LT(DAV_OpenComm("COM1", 0, 0, 0), 0);
  EXPECT_GE(DAV_OpenComm("SIM", 0, 0, 0), 0);

  // Calls of one function only, then any call.
  DriveSimulator::FailNextCalls(2, "Parity error", "DAV_ReceiveData");
  uint16_t w = 0;
  EXPECT_TRUE(DAV_SendData(&w, 0x9000, 1, 1));
  EXPECT_FALSE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  EXPECT_STREQ(DAV_GetLastError(), "Parity error");
  EXPECT_FALSE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  EXPECT_TRUE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  DriveSimulator::FailNextCalls(1, "Any");
  EXPECT_EQ(DAV_GetBytesCountInQueue(), -1);
  EXPECT_TRUE(DAV_SetHostDrive(3));

  DriveSimulator::RefuseBaudRate(38400);
  EXPECT_FALSE(DAV_SetBaudRate(38400));
  EXPECT_FALSE(DAV_SetBaudRate(0));
  EXPECT_TRUE(DAV_SetBaudRate(19200));

  // Silence from the second call on: local settings still work, the drives do not answer.
  DriveSimulator::StopAnsweringAtCall(1);
  EXPECT_TRUE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  EXPECT_FALSE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  EXPECT_STREQ(DAV_GetLastError(), "Time-out: axis 1 does not answer");
  char version[16];
  EXPECT_FALSE(DAV_GetDriveVersion(version));
  EXPECT_FALSE(DAV_SetBaudRate(115200));
  uint16_t host = 0;
  EXPECT_TRUE(DAV_GetHostDrive(&host));
  EXPECT_EQ(host, 3);
  DriveSimulator::ResumeAnswering();
  EXPECT_TRUE(DAV_GetDriveVersion(version));

  DriveSimulator::SetE2ROMWriteProtected(1, true);
  EXPECT_FALSE(DAV_SendData(&w, 0x5000, 2, 1));
  EXPECT_STREQ(DAV_GetLastError(), "E2ROM is write-protected");
  EXPECT_TRUE(DAV_SendData(&w, 0x9000, 0, 1));

  uint16_t o = 0;
  EXPECT_FALSE(DAV_COFFDownload("x.out", &o, &o, &o, nullptr, nullptr, 0x5000));
  DAV_CloseComm(-1);
  EXPECT_FALSE(DAV_ReceiveData(&w, 0x9000, 1, 1));
  EXPECT_STREQ(DAV_GetLastError(), "Communication channel is not open");
  EXPECT_EQ(DAV_GetBaudRate(), 0u);
}

TEST_F(SimulatorTest, CallLogRecordsEveryCall) {
  OpenCom1();
  DriveSimulator::ClearCallLog();
  uint16_t w[3];
  DAV_ReceiveData(w, 0x8100, 1, 3);
  DAV_ReceiveData(w, 0x8100, 7, 3);
  auto log = DriveSimulator::CallLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_STREQ(log[0].function, "DAV_ReceiveData");
  EXPECT_EQ(log[0].args[0], 0x8100u);
  EXPECT_EQ(log[0].args[1], 1u);
  EXPECT_EQ(log[0].args[2], 3u);
  EXPECT_TRUE(log[0].ok);
  EXPECT_FALSE(log[1].ok);
  EXPECT_EQ(DriveSimulator::CallCount("DAV_ReceiveData"), 2u);
  EXPECT_EQ(DriveSimulator::CallCount(), 4u);
  DriveSimulator::SetCallLogEnabled(false);
  DAV_ReceiveData(w, 0x8100, 1, 3);
  EXPECT_EQ(DriveSimulator::CallLog().size(), 2u);
  EXPECT_EQ(DriveSimulator::CallCount(), 5u);
}

TEST_F(SimulatorTest, BigTransferCanBeCancelled) {
  OpenCom1();
  std::vector<uint16_t> words(3000, 0x5555);
  int calls = 0;
  auto stopAtSecond = [](int, const char*, float, void* user) { return ++*static_cast<int*>(user) < 2; };
  EXPECT_FALSE(DAV_SendBigData(words.data(), 0x9000, 1, 3000, stopAtSecond, &calls));
  EXPECT_STREQ(DAV_GetLastError(), "Transfer cancelled");
  EXPECT_EQ(calls, 2);
  uint16_t r = 0;
  // The blocks before the cancel were written, the rest not.
  DriveSimulator::ReadMemory(1, 1, 0x9000, &r, 1);
  EXPECT_EQ(r, 0x5555);
  DriveSimulator::ReadMemory(1, 1, 0x9000 + 2999, &r, 1);
  EXPECT_EQ(r, 0);
}

TEST_F(SimulatorTest, ManyThreadsAtOnce) {
  OpenCom1();
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      std::vector<uint16_t> out(256), in(256);
      for (int i = 0; i < 200; ++i) {
        for (size_t k = 0; k < out.size(); ++k) out[k] = (uint16_t)(t * 1000 + i + k);
        uint16_t address = (uint16_t)(0x9000 + t * 0x400);
        if (!DAV_SendData(out.data(), address, 1, 256) || !DAV_ReceiveData(in.data(), address, 1, 256) || in != out)
          ++failures;
        DriveSimulator::CallLog();
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST_F(SimulatorTest, DebugLogReportsFailuresOrEveryCall) {
  g_debug.clear();
  DAV_RegisterDebugLogHandler(1, Debug);
  OpenCom1();
  uint16_t w;
  EXPECT_FALSE(DAV_ReceiveData(&w, 0x3000, 2, 1));
  ASSERT_EQ(g_debug.size(), 1u);
  EXPECT_EQ(g_debug[0].rfind("DAV_ReceiveData failed: E2ROM range out of the window", 0), 0u);
  DAV_RegisterDebugLogHandler(2, Debug);
  g_debug.clear();
  EXPECT_TRUE(DAV_ReceiveData(&w, 0x5000, 2, 1));
  EXPECT_EQ(g_debug, std::vector<std::string>{"DAV_ReceiveData"});
  DAV_RegisterDebugLogHandler(0, nullptr);
}

// The logger firmware: log_ptr arms a header, the type starts or waits, the clock paces the samples.
TEST_F(SimulatorTest, LoggerFirmwareSamplesOnTheClock) {
  Clock::UseVirtualTime();
  OpenCom1();
  DriveSimulator::AddDrive(2);
  const uint16_t a = 0x9000;
  // 5 points, divider 2, of the words 0x0300 and 0x0301.
  const uint16_t header[] = {5, 1, 2, a + 7, 0x0300, 0x0301, 0};
  DriveSimulator::SetWaveform(1, 0x0300, [](uint32_t k) { return (uint16_t)(100 + k); });
  for (uint16_t axis : {1, 2}) {
    ASSERT_TRUE(DriveSimulator::WriteMemory(axis, 1, a, header, 7));
    uint16_t pointer = a;  // type 0: armed, waiting for STARTLOG
    ASSERT_TRUE(DriveSimulator::WriteMemory(axis, 1, 0x0272, &pointer, 1));
  }
  Clock::Advance(10);
  EXPECT_FALSE(DriveSimulator::IsLogging(1));
  DriveSimulator::StartLog(0, 1);  // both; 2 x 0.1 ms per point
  EXPECT_TRUE(DriveSimulator::IsLogging(2));
  Clock::Advance(0);
  DriveSimulator::StepLogger(1, 2);
  uint16_t words[12] = {};
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, a, words, 1));
  EXPECT_EQ(words[0], 3);
  DriveSimulator::StopLog(2);
  EXPECT_FALSE(DriveSimulator::IsLogging(2));
  Clock::Advance(1);  // five periods: the rest of axis 1's points, and no more
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, a, words, 1));
  EXPECT_EQ(words[0], 0);
  EXPECT_FALSE(DriveSimulator::IsLogging(1));
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, a + 7, words, 12));
  EXPECT_EQ(std::vector<uint16_t>(words, words + 12),
            (std::vector<uint16_t>{100, 0, 101, 0, 102, 0, 103, 0, 104, 0, 0, 0}));

  // Type 2 through the library, at Ts_C; a zero stops it.
  DriveSimulator::SetLoggerSettings(2, 0x0272, 1e-4, 1e-3);
  ASSERT_TRUE(DAV_SetActiveDrive(2));
  uint16_t five = 5, pointer = a + 2, zero = 0;
  ASSERT_TRUE(DAV_SendData(&five, a, 1, 1));
  ASSERT_TRUE(DAV_SendData(&pointer, 0x0272, 1, 1));
  Clock::Advance(4);
  ASSERT_TRUE(DAV_ReceiveData(words, a, 1, 1));
  EXPECT_EQ(words[0], 3);  // 4 ms of 2 ms points
  ASSERT_TRUE(DAV_SendData(&zero, 0x0272, 1, 1));
  Clock::Advance(10);
  ASSERT_TRUE(DAV_ReceiveData(words, a, 1, 1));
  EXPECT_EQ(words[0], 3);
  Clock::UseRealTime();
}

namespace {

// The position loop's words in a test drive: CPOS, CSPD, CACC, then APOS, ASPD, IQ.
const DriveSimulator::MotionWords kWords{0x029E, 0x02A0, 0x02A2, 0x0228, 0x022C, 0x0230};

void Command(int32_t cpos, double cspd, double cacc) {
  const int32_t fixed[] = {cpos, (int32_t)std::lround(cspd * 65536), (int32_t)std::lround(cacc * 65536)};
  const uint16_t at[] = {kWords.cpos, kWords.cspd, kWords.cacc};
  for (int i = 0; i < 3; ++i) {
    const uint16_t w[2] = {(uint16_t)((uint32_t)fixed[i] & 0xFFFF), (uint16_t)((uint32_t)fixed[i] >> 16)};
    ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, at[i], w, 2));
  }
}

// APOS, ASPD and IQ; the load's position and speed in the words between (0x022A, 0x022E).
struct AxisWords {
  int32_t apos;
  double aspd;
  int16_t iq;
  int32_t aposLoad;
  double aspdLoad;
};
AxisWords Axis() {
  uint16_t w[9] = {};
  EXPECT_TRUE(DriveSimulator::ReadMemory(1, 1, kWords.apos, w, 9));
  auto longAt = [&](int i) { return (int32_t)((uint32_t)w[i + 1] << 16 | w[i]); };
  return {longAt(0), longAt(4) / 65536.0, (int16_t)w[8], longAt(2), longAt(6) / 65536.0};
}
// The words once the clock, last read at `at`, reaches `ms`.
AxisWords AxisAt(uint64_t& at, uint64_t ms) {
  Clock::Advance(ms - at);
  at = ms;
  return Axis();
}

}  // namespace

// 100 us samples: 1 count per sample at 1/64 count per sample squared ramps in 64 samples (6.4 ms,
// 32 counts), runs 1000 - 64 counts flat (93.6 ms) and brakes in 6.4 ms.
TEST_F(SimulatorTest, AnUpdateMovesTheAxisAlongATrapezoidOnTheClock) {
  Clock::UseVirtualTime();
  Command(1000, 1, 1.0 / 64);
  Clock::Advance(50);
  EXPECT_EQ(Axis().apos, 0);  // the words alone move nothing
  EXPECT_FALSE(DriveSimulator::IsMoving(1));
  DriveSimulator::StartMove(1, kWords);
  const struct { uint64_t ms; int32_t apos; double aspd; int16_t iq; } rows[] = {
      {0, 0, 0, 1563},         {1, 1, 10.0 / 64, 1563}, {6, 28, 60.0 / 64, 1563}, {50, 468, 1, 0},
      {103, 991, 34.0 / 64, -1563}, {107, 1000, 0, 0},   {200, 1000, 0, 0}};
  uint64_t at = 0;
  for (const auto& r : rows) {
    const AxisWords a = AxisAt(at, r.ms);
    EXPECT_EQ(a.apos, r.apos) << r.ms;
    EXPECT_NEAR(a.aspd, r.aspd, 1.0 / 65536) << r.ms;
    EXPECT_EQ(a.iq, r.iq) << r.ms;
  }
  EXPECT_FALSE(DriveSimulator::IsMoving(1));
  // Back, too short to reach the speed: a triangle of 16 counts each way.
  Command(968, 1, 1.0 / 64);
  DriveSimulator::StartMove(1, kWords);
  Clock::Advance(2);
  EXPECT_EQ(Axis().iq, -1563);
  Clock::Advance(4);
  EXPECT_EQ(Axis().iq, 1563);
  Clock::Advance(4);
  EXPECT_EQ(Axis().apos, 968);
  EXPECT_EQ(Axis().iq, 0);
  // Without speed or acceleration nothing moves; a reset stops the axis.
  Command(0, 0, 1);
  DriveSimulator::StartMove(1, kWords);
  EXPECT_FALSE(DriveSimulator::IsMoving(1));
  Command(0, 1, 1.0 / 64);
  DriveSimulator::StartMove(1, kWords);
  OpenCom1();
  ASSERT_TRUE(DAV_ResetDrive());
  Clock::Advance(50);
  EXPECT_FALSE(DriveSimulator::IsMoving(1));
  EXPECT_EQ(Axis().apos, 0);
  Clock::UseRealTime();
}

// A load geared 1:2 (and one whose position word is the motor's) from where it stands.
TEST_F(SimulatorTest, TheLoadFollowsTheMotorThroughTheTransmission) {
  Clock::UseVirtualTime();
  DriveSimulator::MotionWords words = kWords;
  words.aposLoad = 0x022A;
  words.aspdLoad = 0x022E;
  words.loadRatio = 0.5;
  const uint16_t load[2] = {100, 0};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, words.aposLoad, load, 2));
  Command(1000, 1, 1.0 / 64);
  DriveSimulator::StartMove(1, words);
  const struct { uint64_t ms; int32_t motor, load; double loadSpeed; } rows[] = {
      {50, 468, 334, 0.5}, {107, 1000, 600, 0}};
  uint64_t at = 0;
  for (const auto& r : rows) {
    const AxisWords a = AxisAt(at, r.ms);
    EXPECT_EQ(a.apos, r.motor) << r.ms;
    EXPECT_EQ(a.aposLoad, r.load) << r.ms;
    EXPECT_NEAR(a.aspdLoad, r.loadSpeed, 1.0 / 65536) << r.ms;
  }
  words.aposLoad = words.apos;
  Command(0, 1, 1.0 / 64);
  DriveSimulator::StartMove(1, words);
  Clock::Advance(200);
  EXPECT_EQ(Axis().apos, 0);
  EXPECT_EQ(Axis().aposLoad, 600);
  Clock::UseRealTime();
}
