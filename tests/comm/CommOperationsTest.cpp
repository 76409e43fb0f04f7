#include "tests/comm/CommTestSupport.h"

#include <cstring>

namespace {

std::vector<DAV_MSG> g_handled;
void Collect(DAV_MSG* m) { g_handled.push_back(*m); }

DAV_MSG Message(WORD address, WORD opcode, WORD d0 = 0) {
  DAV_MSG m{};
  m.count = 1;
  m.address = address;
  m.opcode = opcode;
  m.data[0] = d0;
  return m;
}

struct Progress {
  std::vector<int> codes;
  std::vector<float> percents;
};

bool Record(int code, const char*, float percent, void* user) {
  auto* p = static_cast<Progress*>(user);
  p->codes.push_back(code);
  p->percents.push_back(percent);
  return true;
}

}  // namespace

TEST_F(CommTest, AxisSelectionUsesTheCache) {
  OpenSerial();
  WORD axis = 0;
  ASSERT_TRUE(CMC_Comm::GetActiveBoard(axis));
  EXPECT_EQ(axis, 1);
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 0);  // a value read is not cached
  EXPECT_EQ(Calls("DAV_GetActiveDrive"), 1u);

  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 1);
  uint64_t before = DriveSimulator::CallCount();
  EXPECT_TRUE(CMC_Comm::SetActiveBoard(1));
  EXPECT_TRUE(CMC_Comm::GetActiveBoard(axis));
  EXPECT_EQ(DriveSimulator::CallCount(), before);

  // An axis that is not on the bus fails and keeps the cache.
  CMC_Comm::nShowErr = 0;
  EXPECT_FALSE(CMC_Comm::SetActiveBoard(9));
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 1);
  EXPECT_EQ(CMC_Comm::GetLastErrorText(), "Time-out: axis 9 does not answer");

  DriveSimulator::AddDrive(2, "F2A0A");
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(2));
  EXPECT_EQ(DriveSimulator::ActiveDrive(), 2);
  CString version;
  ASSERT_TRUE(CMC_Comm::GetFirmwareVer(version));
  EXPECT_EQ(version, "F2A0A");

  // Host: no call for the saved nonzero host; a new host re-reads the active axis.
  ASSERT_TRUE(CMC_Comm::SetHostBoard(5));
  EXPECT_EQ(CMC_Comm::m_wHostAxisID, 5);
  EXPECT_EQ(DriveSimulator::HostDrive(), 5);
  before = DriveSimulator::CallCount();
  EXPECT_TRUE(CMC_Comm::SetHostBoard(5));
  EXPECT_EQ(DriveSimulator::CallCount(), before);
  WORD host = 0;
  ASSERT_TRUE(CMC_Comm::GetHostBoard(host));
  EXPECT_EQ(host, 5);
  EXPECT_EQ(CMC_Comm::m_wActiveAxisID, 2);
}

TEST_F(CommTest, MemoryReadWriteChecksumAndReset) {
  OpenSerial();
  WORD out[4] = {1, 2, 3, 4};
  ASSERT_TRUE(CMC_Comm::SendData(out, 0x8200, 1, 4));
  WORD in[4] = {};
  // Program memory sees the same RAM from 0x8000 up.
  ASSERT_TRUE(CMC_Comm::ReceiveData(in, 0x8200, 0, 4));
  EXPECT_EQ(0, memcmp(in, out, sizeof in));

  WORD e2[3] = {0x1000, 0x2000, 0xF005};
  ASSERT_TRUE(CMC_Comm::SendData(e2, 0x5000, 2, 3));
  WORD sum = 0;
  ASSERT_TRUE(CMC_Comm::Checksum(0x5000, 0x5002, sum));
  EXPECT_EQ(sum, (WORD)(0x1000 + 0x2000 + 0xF005));
  ASSERT_TRUE(CMC_Comm::Checksum(0x5001, 0x5001, sum));
  EXPECT_EQ(sum, 0x2000);

  // The identity block and the table pointer of a fresh drive.
  WORD id[64] = {};
  ASSERT_TRUE(CMC_Comm::ReceiveData(id, 0x7FBF, 2, 64));
  EXPECT_EQ(id[11], 'F');
  EXPECT_EQ(id[15], 'H');
  WORD pointer = 0;
  ASSERT_TRUE(CMC_Comm::ReceiveData(&pointer, 0x7FFF, 2, 1));
  EXPECT_EQ(pointer, 0x4000);

  // A reset clears RAM, keeps E2ROM, and the channel still answers.
  ASSERT_TRUE(CMC_Comm::ResetActiveBoard());
  EXPECT_EQ(DriveSimulator::ResetCount(1), 1);
  ASSERT_TRUE(CMC_Comm::ReceiveData(in, 0x8200, 1, 4));
  EXPECT_EQ(in[0], 0);
  ASSERT_TRUE(CMC_Comm::Checksum(0x5000, 0x5002, sum));
  EXPECT_EQ(sum, (WORD)(0x1000 + 0x2000 + 0xF005));
  EXPECT_EQ(Calls("DAV_GetDriveVersion"), 1u);  // the refresh after the reset
}

TEST_F(CommTest, BadAddressesFailWithTheLibraryText) {
  OpenSerial();
  CMC_Comm::nShowErr = 0;
  WORD w[32];
  for (WORD& x : w) x = 0xABCD;
  WORD before[16];
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0xFFF0, before, 16));
  EXPECT_FALSE(CMC_Comm::SendData(w, 0xFFF0, 1, 32));
  EXPECT_EQ(CMC_Comm::GetLastErrorText(),
            "Address range runs past 0xFFFF (address 0xFFF0, 32 words, space 1)");
  WORD after[16];
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0xFFF0, after, 16));
  EXPECT_EQ(0, memcmp(before, after, sizeof before));

  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x3FFF, 2, 2));
  EXPECT_EQ(CMC_Comm::GetLastErrorText(),
            "E2ROM range out of the window 0x4000-0x7FFF (address 0x3FFF, 2 words, space 2)");
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x7FF0, 2, 17));
  EXPECT_FALSE(CMC_Comm::ReceiveData(w, 0x8000, 3, 1));
  EXPECT_EQ(CMC_Comm::GetLastErrorText(), "Invalid memory space (address 0x8000, 1 words, space 3)");
  EXPECT_FALSE(CMC_Comm::ReceiveData(nullptr, 0x8000, 1, 1));
  WORD sum;
  EXPECT_FALSE(CMC_Comm::Checksum(0x5000, 0x4FFF, sum));
  EXPECT_EQ(CMC_Comm::GetLastErrorText(), "Invalid checksum range 0x5000-0x4FFF");
  EXPECT_FALSE(CMC_Comm::Checksum(0x7000, 0x8000, sum));
  // The last word of memory and an empty transfer are fine.
  EXPECT_TRUE(CMC_Comm::SendData(w, 0xFFFF, 1, 1));
  EXPECT_TRUE(CMC_Comm::ReceiveData(w, 0x7FFF, 2, 1));
  EXPECT_TRUE(CMC_Comm::ReceiveData(w, 0x1234, 1, 0));
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CommTest, BigTransfersRoundTripWithProgress) {
  OpenSerial();
  std::vector<WORD> out(20000), in(20000, 0);
  for (size_t i = 0; i < out.size(); ++i) out[i] = (WORD)(i * 7919u + 13u);
  Progress sent, received;
  ASSERT_TRUE(CMC_Comm::SendBigData(out.data(), 0x8200, 1, 20000, Record, &sent));
  ASSERT_TRUE(CMC_Comm::ReceiveBigData(in.data(), 0x8200, 1, 20000, Record, &received));
  EXPECT_EQ(in, out);
  ASSERT_FALSE(sent.percents.empty());
  EXPECT_EQ(sent.percents.back(), 100.0f);
  EXPECT_EQ(received.percents.back(), 100.0f);
  EXPECT_TRUE(std::is_sorted(received.percents.begin(), received.percents.end()));
  for (int c : sent.codes) EXPECT_EQ(c, 3);
  for (int c : received.codes) EXPECT_EQ(c, 4);

  // Without a callback, and with the kernel's own callback (no main window: it just goes on).
  std::fill(in.begin(), in.end(), 0);
  ASSERT_TRUE(CMC_Comm::ReceiveBigData(in.data(), 0x8200, 0, 20000, nullptr, nullptr));
  EXPECT_EQ(in, out);
  ASSERT_TRUE(CMC_Comm::SendBigData(out.data(), 0x4000, 2, 0x3FBF, CMC_Comm::BigMemoryOpCallback,
                                    (void*)"Downloading E2ROM..."));
  CMC_Comm::OnBigMemoryOpEnd("Done");
  EXPECT_TRUE(CMC_Comm::BigMemoryOpCallback(7, "x", 0, nullptr));
  EXPECT_TRUE(BoxTexts().empty());
  {  // With a main window, code 1 shows its text in an OK box without an icon.
    CWinApp app("BigOps");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    app.m_pMainWnd = &main;
    EXPECT_TRUE(CMC_Comm::BigMemoryOpCallback(1, "Section written.", 0, nullptr));
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
    const auto& boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Section written.");
    EXPECT_EQ(boxes[0].type, (UINT)MB_OK);
    Automation::Instance().Reset();
  }

  // A transfer that runs past the end of memory fails before any word is written.
  CMC_Comm::nShowErr = 0;
  EXPECT_FALSE(CMC_Comm::SendBigData(out.data(), 0xC000, 1, 20000, Record, &sent));
  WORD w = 1;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0xC000, &w, 1));
  EXPECT_EQ(w, out[0xC000 - 0x8200]);
}

TEST_F(CommTest, MessagesAndUnrequestedMessages) {
  OpenSerial();
  DriveSimulator::SetMessageResponder([](const DAV_MSG& m) {
    DAV_MSG r = m;
    r.address = 0x0011;
    r.opcode = (WORD)(m.opcode + 1);
    return std::vector<DAV_MSG>{r};
  });
  DAV_MSG m = Message(0x0010, 0x1234, 42);
  ASSERT_TRUE(CMC_Comm::SendMessageA(m));
  EXPECT_EQ(CMC_Comm::GetBytesCountInQueue(), 14);
  DAV_MSG r{};
  ASSERT_TRUE(CMC_Comm::ReceiveMessage(r));
  EXPECT_EQ(r.opcode, 0x1235);
  EXPECT_EQ(r.data[0], 42);
  CMC_Comm::nShowErr = 0;
  EXPECT_FALSE(CMC_Comm::ReceiveMessage(r));
  EXPECT_EQ(CMC_Comm::GetLastErrorText(), "Time-out: no message received");

  g_handled.clear();
  EXPECT_EQ(CMC_Comm::CheckForUnrequestedMessages(nullptr), 0);
  for (int i = 0; i < 600; ++i) DriveSimulator::QueueMessage(Message(0x0010, 0x4000, (WORD)i));
  EXPECT_EQ(CMC_Comm::CheckForUnrequestedMessages(Collect), 0);
  ASSERT_EQ(g_handled.size(), 500u);
  EXPECT_EQ(g_handled[499].data[0], 499);
  EXPECT_EQ(CMC_Comm::CheckForUnrequestedMessages(Collect), 1);
  EXPECT_EQ(g_handled.size(), 600u);

  // A failing queue ends the draining with 0; a closed channel with 1 and no call of the handler.
  DriveSimulator::QueueMessage(Message(0x0010, 0x4000));
  DriveSimulator::FailNextCalls(1, "Overrun", "DAV_GetBytesCountInQueue");
  EXPECT_EQ(CMC_Comm::CheckForUnrequestedMessages(Collect), 0);
  CMC_Comm::Close();
  g_handled.clear();
  EXPECT_EQ(CMC_Comm::CheckForUnrequestedMessages(Collect), 1);
  EXPECT_TRUE(g_handled.empty());
  EXPECT_EQ(CMC_Comm::nShowErr, 0u);
}

TEST_F(CommTest, FirmwareWithEEPROMProtection) {
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F9xxH"), 1);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F9xxZ"), 1);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F2xxA"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F0xxG"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F3xxH"), 1);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F5xxA"), 1);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F8000"), 1);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("FAxxH"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F505"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F505HH"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("S505H"), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt(nullptr), 0);
  EXPECT_EQ(CMC_Comm::IsFirmwareWithEEPROMProt("F9xx\xC8"), 1);  // character order is unsigned
}

TEST_F(CommTest, CoffDownloadIsRefusedClearly) {
  OpenSerial();
  WORD a = 7, b = 7, c = 7;
  EXPECT_FALSE(CMC_Comm::COFFDownload("prog.out", &a, &b, &c, nullptr, nullptr, 0x4000));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                            "Communication Error:\n\nCannot open file prog.out"});
  EXPECT_EQ(a, 7);
  auto log = DriveSimulator::CallLog();
  auto it = std::find_if(log.begin(), log.end(),
                         [](auto& r) { return std::string(r.function) == "DAV_COFFDownload"; });
  ASSERT_NE(it, log.end());
  EXPECT_EQ(it->args[0], 0x5000u);
}
