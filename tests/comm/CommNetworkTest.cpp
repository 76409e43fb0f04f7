#include "platform/ui/CmdTarget.h"
#include "tests/comm/CommTestSupport.h"

namespace {

std::vector<DAV_MSG> g_unsolicited;
void Unsolicited(DAV_MSG* m) { g_unsolicited.push_back(*m); }
int g_waitCursors = -1;
void NoteWaitCursor(DAV_MSG*) { g_waitCursors = AfxGetWaitCursorCount(); }

}  // namespace

TEST_F(CommTest, ErrorListReadsEntriesUntilTheEndMarker) {
  OpenSerial();
  DriveSimulator::SetErrorList(1, {{0x12, 0x3456}, {0x07, 0x0001}});
  CByteArray codes;
  CWordArray words;
  ASSERT_TRUE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  ASSERT_EQ(codes.GetSize(), 2);
  ASSERT_EQ(words.GetSize(), 2);
  EXPECT_EQ(codes[0], 0x12);
  EXPECT_EQ(codes[1], 0x07);
  EXPECT_EQ(words[0], 0x3456);
  EXPECT_EQ(words[1], 0x0001);
  EXPECT_EQ(Calls("DAV_SendMessage"), 3u);
  // Serial type 0 is host-addressed: the sender carries the library's host id and the host bit.
  auto log = DriveSimulator::CallLog();
  auto it = std::find_if(log.begin(), log.end(), [](auto& r) { return std::string(r.function) == "DAV_SendMessage"; });
  ASSERT_NE(it, log.end());
  EXPECT_EQ(it->args[0], 0x10u);
  EXPECT_EQ(it->args[1], 0xB220u);

  // An empty list ends at the first reply; a full list after eight entries.
  DriveSimulator::SetErrorList(1, {});
  codes.Add(9);
  ASSERT_TRUE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_EQ(codes.GetSize(), 0);
  EXPECT_EQ(words.GetSize(), 0);
  std::vector<std::pair<uint8_t, uint16_t>> many;
  for (int i = 1; i <= 10; ++i) many.push_back({(uint8_t)i, (uint16_t)(i * 100)});
  DriveSimulator::SetErrorList(1, many);
  ASSERT_TRUE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_EQ(codes.GetSize(), 8);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CommTest, ErrorListPassesOtherMessagesToTheHandler) {
  OpenSerial(115200, 2, 3);  // a CAN kind: the sender is the saved host id
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(Unsolicited);
  g_unsolicited.clear();
  DAV_MSG stray{};
  stray.count = 1;
  stray.address = 0x0030;
  stray.opcode = 0x7777;
  DriveSimulator::QueueMessage(stray);
  DriveSimulator::SetErrorList(1, {{0x21, 5}});
  CByteArray codes;
  CWordArray words;
  ASSERT_TRUE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  ASSERT_EQ(codes.GetSize(), 1);
  ASSERT_EQ(g_unsolicited.size(), 1u);
  EXPECT_EQ(g_unsolicited[0].opcode, 0x7777);
  EXPECT_EQ(Calls("DAV_GetHostDrive"), 0u);
}

TEST_F(CommTest, ErrorListOfADriveThatStopsAnswering) {
  OpenSerial();
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  DriveSimulator::SetErrorList(1, {{1, 10}, {2, 20}, {3, 30}});
  DriveSimulator::ClearCallLog();
  // One call to read the host id, then three per entry: the third request gets no answer.
  DriveSimulator::StopAnsweringAtCall(1 + 3 * 2);
  const ULONGLONG start = Clock::Now();
  CByteArray codes;
  CWordArray words;
  EXPECT_FALSE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_EQ(codes.GetSize(), 2);
  EXPECT_EQ(words.GetSize(), 2);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nTime-out: axis 1 does not answer"});
  // The box is shown without reopen handling: its Cancel leaves the channel open.
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  // Waited the serial time-out of 115200 baud: 765 ms.
  EXPECT_GE(Clock::Now() - start, 765u);
  EXPECT_LT(Clock::Now() - start, 780u);
  EXPECT_EQ(CMC_Comm::nShowErr, (UINT)MB_RETRYCANCEL);
}

TEST_F(CommTest, ErrorListTimeOutOfOtherKindsAndZeroBaud) {
  OpenSerial(1000000, 3, 0);
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  DriveSimulator::StopAnsweringAtCall(0);
  CMC_Comm::nShowErr = 0;
  const ULONGLONG start = Clock::Now();
  CByteArray codes;
  CWordArray words;
  EXPECT_FALSE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_GE(Clock::Now() - start, 116u);
  EXPECT_LT(Clock::Now() - start, 125u);

  // A baud rate of 0 fails instead of dividing by it.
  DriveSimulator::ResumeAnswering();
  CMC_Comm::m_dwBaudRate = 0;
  CWordArray axes;
  CStringArray ids;
  EXPECT_FALSE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_FALSE(CMC_Comm::ScanNetwork(axes, ids));
}

TEST_F(CommTest, ScanFindsEveryDriveWithItsFirmware) {
  DriveSimulator::ClearNetwork();
  DriveSimulator::AddDrive(1, "F505H");
  DriveSimulator::AddDrive(2, "F2A0A");
  DriveSimulator::AddDrive(17, "F7123");
  OpenSerial(57600, 0, 0);
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(Unsolicited);
  g_unsolicited.clear();
  DAV_MSG stray{};
  stray.opcode = 0xD605;  // right opcode, wrong count and address
  DriveSimulator::QueueMessage(stray);
  const ULONGLONG start = Clock::Now();
  CWordArray axes;
  CStringArray ids;
  ASSERT_TRUE(CMC_Comm::ScanNetwork(axes, ids));
  ASSERT_EQ(axes.GetSize(), 3);
  ASSERT_EQ(ids.GetSize(), 3);
  EXPECT_EQ(axes[0], 1);
  EXPECT_EQ(axes[1], 2);
  EXPECT_EQ(axes[2], 17);
  EXPECT_EQ(ids[0], "F505H");
  EXPECT_EQ(ids[1], "F2A0A");
  EXPECT_EQ(ids[2], "F7123");
  EXPECT_EQ(g_unsolicited.size(), 1u);
  // (115200 / 57600) x 765 ms of listening.
  EXPECT_GE(Clock::Now() - start, 1530u);
  EXPECT_LT(Clock::Now() - start, 1545u);
  auto log = DriveSimulator::CallLog();
  auto it = std::find_if(log.begin(), log.end(), [](auto& r) { return std::string(r.function) == "DAV_SendMessage"; });
  ASSERT_NE(it, log.end());
  EXPECT_EQ(it->args[0], (uint32_t)DAV_BROADCAST_ADDRESS);
  EXPECT_EQ(it->args[1], 0xD600u);
}

TEST_F(CommTest, ScanOfAnEmptyBusAndOfABrokenQueue) {
  DriveSimulator::ClearNetwork();
  OpenSerial();
  CWordArray axes;
  CStringArray ids;
  axes.Add(4);
  ASSERT_TRUE(CMC_Comm::ScanNetwork(axes, ids));
  EXPECT_EQ(axes.GetSize(), 0);
  EXPECT_EQ(ids.GetSize(), 0);

  // The library failing while the scan listens is a failure, not an empty network.
  DriveSimulator::AddDrive(3, "F505H");
  DriveSimulator::FailNextCalls(1, "Overrun", "DAV_GetBytesCountInQueue");
  EXPECT_FALSE(CMC_Comm::ScanNetwork(axes, ids));
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(CMC_Comm::nShowErr, (UINT)MB_RETRYCANCEL);

  // A failing send ends the scan through the error box.
  DriveSimulator::FailNextCalls(1, "Bus off", "DAV_SendMessage");
  EXPECT_FALSE(CMC_Comm::ScanNetwork(axes, ids));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nBus off"});
}

TEST_F(CommTest, ScanReplyOfAxis255ShortensTheWait) {
  DriveSimulator::AddDrive(255, "F505H");
  OpenSerial(115200, 1, 0);  // serial but not host-addressed
  const ULONGLONG start = Clock::Now();
  CWordArray axes;
  CStringArray ids;
  ASSERT_TRUE(CMC_Comm::ScanNetwork(axes, ids));
  ASSERT_EQ(axes.GetSize(), 2);
  EXPECT_EQ(axes[1], 255);
  // The delay unit is 2000: after axis 255 the scan listens 2000 x 3 / 1000 = 6 ms more.
  EXPECT_GE(Clock::Now() - start, 6u);
  EXPECT_LT(Clock::Now() - start, 20u);
}

// Reading the error list, scanning and a refresh that reopens the channel show the wait cursor while they last.
TEST_F(CommTest, DriveQueriesShowTheWaitCursor) {
  OpenSerial();
  CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(NoteWaitCursor);
  DAV_MSG stray{};
  stray.count = 1;
  stray.address = 0x0030;
  stray.opcode = 0x7777;
  DriveSimulator::QueueMessage(stray);
  CByteArray codes;
  CWordArray words, axes;
  CStringArray ids;
  ASSERT_TRUE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_EQ(1, g_waitCursors);
  g_waitCursors = -1;
  DriveSimulator::QueueMessage(stray);
  ASSERT_TRUE(CMC_Comm::ScanNetwork(axes, ids));
  EXPECT_EQ(1, g_waitCursors);
  int atBox = -1;
  Automation::Instance().SetMessageBoxHandler([&](const char*, const char*, UINT) {
    atBox = AfxGetWaitCursorCount();
    return IDCANCEL;
  });
  DriveSimulator::StopAnsweringAtCall(0);
  EXPECT_FALSE(CMC_Comm::Refresh());
  EXPECT_EQ(1, atBox);
  EXPECT_EQ(0, AfxGetWaitCursorCount());
}
