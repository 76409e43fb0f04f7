#include "tests/comm/CommTestSupport.h"

#include "kernel/values/ConfigFile.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"

#include <algorithm>

namespace {

const char* const kNotOnline =
    "Communication status must be \"Online\" in order to execute this command!\nUse menu command "
    "\"Communication | Refresh\" to update the communication status.";

}  // namespace

TEST_F(CommTest, OpenSavesSettingsAndCloseForgetsThem) {
  EXPECT_EQ(CMC_Comm::GetProtocol(), 255);
  EXPECT_EQ(CMC_Comm::GetSerialType(), 255);
  EXPECT_EQ(CMC_Comm::GetBaudRate(), 0u);
  ASSERT_TRUE(CMC_Comm::Open("COM3", 57600, 0x40, 15, 7));
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  EXPECT_EQ(CMC_Comm::GetBaudRate(), 57600u);
  EXPECT_EQ(CMC_Comm::GetProtocol(), 0x40);
  EXPECT_EQ(CMC_Comm::GetSerialType(), 15);
  EXPECT_EQ(CMC_Comm::m_strChannel, "COM3");
  EXPECT_EQ(CMC_Comm::m_wHostAxisID, 7);
  EXPECT_EQ(DriveSimulator::Channel(), "COM3");
  EXPECT_EQ(DriveSimulator::ProtocolAndType(), 0x4F);
  EXPECT_EQ(DriveSimulator::HostDrive(), 7);
  EXPECT_EQ(DriveSimulator::BaudRate(), 57600u);
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 0);

  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  CMC_Comm::Close();
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  EXPECT_FALSE(DriveSimulator::IsOpen());
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 0);
  EXPECT_EQ(CMC_Comm::GetProtocol(), 255);
  EXPECT_EQ(CMC_Comm::GetSerialType(), 255);
  EXPECT_EQ(CMC_Comm::GetBaudRate(), 0u);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CommTest, OpenFailuresShowTheLibraryTextAndRetry) {
  // Unknown channel: the box carries the library's text; the unscripted answer cancels.
  EXPECT_FALSE(CMC_Comm::Open("LPT9", 115200, 0, 0, 0));
  ASSERT_EQ(BoxTexts().size(), 1u);
  auto box = Automation::Instance().MessageBoxes()[0];
  EXPECT_EQ(box.text, "Communication Error:\n\nCannot open channel LPT9");
  EXPECT_EQ(box.type, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  EXPECT_FALSE(CMC_Comm::Open(nullptr, 115200, 0, 0, 0));

  // A refused baud rate fails the open and leaves the channel closed.
  Automation::Instance().ClearMessageBoxes();
  DriveSimulator::RefuseBaudRate(230400);
  EXPECT_FALSE(CMC_Comm::Open("COM1", 230400, 0, 0, 0));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nBaud rate 230400 is not supported"});
  EXPECT_FALSE(DriveSimulator::IsOpen());

  // Retry opens again; the active axis cache stays empty.
  Automation::Instance().ClearMessageBoxes();
  DriveSimulator::ClearCallLog();
  DriveSimulator::FailNextCalls(1, "Port busy", "DAV_OpenComm");
  Automation::Instance().PushMessageBoxAnswer(IDRETRY);
  EXPECT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nPort busy"});
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 0);
  EXPECT_EQ(Calls("DAV_OpenComm"), 2u);

  // Ignore does not count as success for Open.
  CMC_Comm::Close();
  CMC_Comm::nShowErr = MB_ABORTRETRYIGNORE;
  DriveSimulator::FailNextCalls(1, "Port busy", "DAV_OpenComm");
  Automation::Instance().PushMessageBoxAnswer(IDIGNORE);
  EXPECT_FALSE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
}

TEST_F(CommTest, SilentFailureShowsNoBox) {
  OpenSerial();
  CMC_Comm::nShowErr = 0;
  CMC_Comm::m_nLastErrorAnswer = 4;
  DriveSimulator::FailNextCalls(1, "Injected failure");
  WORD w[4] = {};
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 4));
  EXPECT_EQ(CMC_Comm::m_nLastErrorAnswer, 1);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  EXPECT_EQ(CMC_Comm::GetLastErrorText(), "Injected failure");
  EXPECT_EQ(Calls("DAV_ReceiveData"), 1u);
}

TEST_F(CommTest, RetryReopensWithSavedSettingsAndRepeats) {
  OpenSerial(115200, 0, 0);
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  const WORD pattern[3] = {0x1111, 0x2222, 0x3333};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x8200, pattern, 3));
  // The link fell back to another baud rate and the next read fails.
  DriveSimulator::ChangeBaudRate(9600);
  DriveSimulator::FailNextCalls(1, "Checksum error in reply", "DAV_ReceiveData");
  DriveSimulator::ClearCallLog();
  Automation::Instance().PushMessageBoxAnswer(IDRETRY);

  WORD w[3] = {};
  ASSERT_TRUE(CMC_Comm::ReceiveData(w, 0x8200, 1, 3));
  EXPECT_EQ(w[0], 0x1111);
  EXPECT_EQ(w[2], 0x3333);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nChecksum error in reply"});
  EXPECT_EQ(Calls("DAV_CloseComm"), 1u);
  EXPECT_EQ(Calls("DAV_OpenComm"), 1u);
  EXPECT_EQ(Calls("DAV_ReceiveData"), 2u);
  EXPECT_EQ(DriveSimulator::BaudRate(), 115200u);
  EXPECT_EQ(DriveSimulator::Channel(), "COM1");
  // The cached active axis was selected again after the reopen.
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 1);
  EXPECT_EQ(Calls("DAV_SetActiveDrive"), 1u);
  EXPECT_EQ(CMC_Comm::nShowErr, (UINT)MB_RETRYCANCEL);
}

TEST_F(CommTest, RetryWhoseReopenFailsLeavesTheChannelClosed) {
  OpenSerial();
  DriveSimulator::StopAnsweringAtCall(0);
  Automation::Instance().PushMessageBoxAnswer(IDRETRY);
  WORD w[2] = {};
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  EXPECT_EQ(CMC_Comm::m_nLastErrorAnswer, IDCANCEL);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], "Communication Error:\n\nTime-out: axis 1 does not answer");
  EXPECT_EQ(CMC_Comm::nShowErr, (UINT)MB_RETRYCANCEL);
}

TEST_F(CommTest, CancelClosesAndOtherAnswersKeepTheChannel) {
  OpenSerial();
  WORD w[2] = {};
  DriveSimulator::FailNextCalls(1, "x");
  Automation::Instance().PushMessageBoxAnswer(IDCANCEL);
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  EXPECT_FALSE(DriveSimulator::IsOpen());
  EXPECT_EQ(CMC_Comm::GetBaudRate(), 0u);
  EXPECT_EQ(CMC_Comm::GetProtocol(), 255);

  // Abort fails and keeps the channel; Ignore reports success and hands out nothing.
  OpenSerial();
  CMC_Comm::nShowErr = MB_ABORTRETRYIGNORE;
  DriveSimulator::FailNextCalls(1, "x");
  Automation::Instance().PushMessageBoxAnswer(IDABORT);
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  w[0] = w[1] = 0xDEAD;
  DriveSimulator::FailNextCalls(1, "x");
  Automation::Instance().PushMessageBoxAnswer(IDIGNORE);
  EXPECT_TRUE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_EQ(w[0], 0xDEAD);
  EXPECT_EQ(w[1], 0xDEAD);
  EXPECT_EQ(CMC_Comm::m_nLastErrorAnswer, IDIGNORE);
  // So does a big read cut off after its first block.
  std::vector<WORD> big(1500, 0xDEAD);
  int blocks = 0;
  auto stopAtSecond = [](int, const char*, float, void* user) { return ++*static_cast<int*>(user) < 2; };
  Automation::Instance().PushMessageBoxAnswer(IDIGNORE);
  EXPECT_TRUE(CMC_Comm::ReceiveBigData(big.data(), 0x8200, 1, 1500, stopAtSecond, &blocks));
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(std::count(big.begin(), big.end(), 0xDEAD), 1500);
  // Ignore leaves out-parameters and the cache untouched.
  DriveSimulator::FailNextCalls(1, "x", "DAV_SetActiveDrive");
  Automation::Instance().PushMessageBoxAnswer(IDIGNORE);
  EXPECT_TRUE(CMC_Comm::SetActiveBoard(1));
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 0);

  // OK of an OK/Cancel box fails and keeps the channel.
  CMC_Comm::nShowErr = MB_OKCANCEL;
  DriveSimulator::FailNextCalls(1, "x");
  Automation::Instance().PushMessageBoxAnswer(IDOK);
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_TRUE(CMC_Comm::IsCommOpen());
  EXPECT_EQ(Automation::Instance().MessageBoxes().back().type, MB_OKCANCEL | MB_ICONEXCLAMATION);
}

TEST_F(CommTest, ClosedChannelRefusesEveryOperation) {
  WORD w[2] = {};
  WORD axis = 0, sum = 0;
  CString version;
  DAV_MSG msg{};
  CByteArray codes;
  CWordArray words, axes;
  CStringArray ids;
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8200, 1, 2));
  EXPECT_FALSE(CMC_Comm::SendData(w, 0x8200, 1, 2));
  EXPECT_FALSE(CMC_Comm::GetActiveBoard(axis));
  EXPECT_FALSE(CMC_Comm::SetActiveBoard(1));
  EXPECT_FALSE(CMC_Comm::GetFirmwareVer(version));
  EXPECT_FALSE(CMC_Comm::Checksum(0x4000, 0x4001, sum));
  EXPECT_FALSE(CMC_Comm::SendMessageA(msg));
  EXPECT_FALSE(CMC_Comm::GetMotionControllerLastErrors(codes, words));
  EXPECT_FALSE(CMC_Comm::ScanNetwork(axes, ids));
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 9u);
  EXPECT_EQ(boxes[0].text, kNotOnline);
  EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(DriveSimulator::CallCount(), 0u);
  // No box and no call for the queue count.
  EXPECT_EQ(CMC_Comm::GetBytesCountInQueue(), 0);
  // Refresh of a closed channel: no box, the system error set.
  SetLastError(0);
  EXPECT_FALSE(CMC_Comm::Refresh());
  EXPECT_EQ(GetLastError(), 0x20000077u);
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 9u);
}

TEST_F(CommTest, RefreshKeepsAHealthyChannelAndReopensABrokenOne) {
  OpenSerial();
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  DriveSimulator::ClearCallLog();
  EXPECT_TRUE(CMC_Comm::Refresh());
  EXPECT_EQ(Calls("DAV_OpenComm"), 0u);
  EXPECT_EQ(Calls("DAV_GetDriveVersion"), 1u);
  EXPECT_EQ(Calls("DAV_SetHostDrive"), 1u);  // host 0 is set again

  // A drive that lost its baud rate gets the channel reopened and the axis selected again.
  DriveSimulator::ChangeBaudRate(19200);
  EXPECT_TRUE(CMC_Comm::Refresh());
  EXPECT_EQ(Calls("DAV_OpenComm"), 1u);
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 1);
  EXPECT_EQ(DriveSimulator::BaudRate(), 115200u);
  EXPECT_TRUE(BoxTexts().empty());

  // A reopen that fails shows the box once; Cancel ends it.
  DriveSimulator::StopAnsweringAtCall(0);
  EXPECT_FALSE(CMC_Comm::Refresh());
  EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_F(CommTest, HandlersAndSettings) {
  auto handler = +[](DAV_MSG*) {};
  EXPECT_EQ(CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(handler), nullptr);
  EXPECT_EQ(CMC_Comm::RegisterReceiveUnsolicitedMsgHandler(nullptr), handler);
  EXPECT_EQ(Calls("DAV_RegisterReceiveUnsolicitedMsgHandler"), 2u);
  CMC_Comm::RegisterDebugLogHandler(3, +[](const char*) {});
  EXPECT_EQ(Calls("DAV_RegisterDebugLogHandler"), 1u);
  CMC_Comm::UpdateSettings();
  EXPECT_EQ(DriveSimulator::UpdateSettingsCount(), 1);

  // Until the settings dialog answers OK nothing is written.
  WritePrivateProfileString("ZURCOMM", "TIMEOUT_CONSTANT", nullptr, GetKernelConfigFilePath());
  EXPECT_FALSE(CMC_Comm::AdvancedConfig(0));
  char buf[16];
  GetPrivateProfileString("ZURCOMM", "TIMEOUT_CONSTANT", "absent", buf, sizeof buf, GetKernelConfigFilePath());
  EXPECT_STREQ(buf, "absent");
}

TEST_F(CommTest, NetMasterModeFailsClearlyUntilAChannelExists) {
  CMC_Comm::m_bNetMaster = 1;
  EXPECT_FALSE(CMC_Comm::AdvancedConfig(0));
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FALSE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Communication Error:\n\nYou must first establish a channel with a slave"});
  EXPECT_EQ(DriveSimulator::CallCount(), 0u);
  CMC_Comm::m_bNetMaster = 0;
  CMC_Comm::m_strNetLastError.Empty();
}
