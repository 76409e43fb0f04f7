// The communication settings dialogs: time-outs per channel type and the PEAK CAN adapter, read
// back from the kernel configuration file.
#include "comm/AdvancedCommSetupDlg.h"
#include "kernel/ConfigFile.h"
#include "platform/core/Ini.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/comm/CommTestSupport.h"

namespace {

class CommSettingsTest : public CommTest {
 protected:
  void SetUp() override {
    CommTest::SetUp();
    DialogAutomation::Reset();
    for (const char* key : {"TIMEOUT_READ_INTERVAL", "TIMEOUT_MULTIPLIER", "TIMEOUT_CONSTANT", "RUN_DEAD_TIME",
                            "RESET_DEAD_TIME", "WAIT_AFTER_BAUD_CHANGE", "CAN_SEND_TIMEOUT", "CAN_RECEIVE_TIMEOUT",
                            "UDP_RECEIVE_TIMEOUT", "PEAK_SYS_PCAN_HWTYPE", "PEAK_SYS_PCAN_IO", "PEAK_SYS_PCAN_IRQ"})
      WritePrivateProfileString("ZURCOMM", key, nullptr, GetKernelConfigFilePath());
  }
  void TearDown() override {
    DialogAutomation::Reset();
    CommTest::TearDown();
  }
  static CString Key(const char* key) {
    char buf[64];
    GetPrivateProfileString("ZURCOMM", key, "<none>", buf, sizeof buf, GetKernelConfigFilePath());
    return buf;
  }
  static bool Shown(CWnd* d, int id) { return ::IsWindowVisible(::GetDlgItem(d->m_hWnd, id)) != 0; }
  static CString Text(CWnd* d, int id) {
    CString s;
    d->GetDlgItemText(id, s);
    return s;
  }
};

using Ids = CAdvancedCommSetupDlg;

}  // namespace

TEST_F(CommSettingsTest, TheTimeoutFieldsFollowTheChannelType) {
  struct Case {
    BYTE type;
    const char* first;
    std::vector<int> shown, hidden;
  };
  const Case cases[] = {
      {0, "Read interval timeout", {Ids::IDC_READ_INTERVAL, Ids::IDC_MULTIPLIER, Ids::IDC_CONSTANT},
       {Ids::IDC_CAN_SEND, Ids::IDC_CAN_RECEIVE, Ids::IDC_UDP_RECEIVE}},
      {2, "Send message timeout", {Ids::IDC_CAN_SEND, Ids::IDC_CAN_RECEIVE, Ids::IDC_SECOND_LABEL},
       {Ids::IDC_READ_INTERVAL, Ids::IDC_CONSTANT, Ids::IDC_UDP_RECEIVE}},
      {3, "Send message timeout", {Ids::IDC_CAN_RECEIVE}, {Ids::IDC_CAN_SEND, Ids::IDC_FIRST_LABEL}},
      {16, "Read interval timeout", {Ids::IDC_UDP_RECEIVE, Ids::IDC_FIRST_LABEL},
       {Ids::IDC_SECOND_LABEL, Ids::IDC_CAN_RECEIVE, Ids::IDC_MULTIPLIER}},
  };
  for (const Case& c : cases) {
    DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
      EXPECT_EQ(CString(c.first), Text(d, Ids::IDC_FIRST_LABEL));
      for (int id : c.shown) EXPECT_TRUE(Shown(d, id)) << (int)c.type << ": " << id;
      for (int id : c.hidden) EXPECT_FALSE(Shown(d, id)) << (int)c.type << ": " << id;
      for (int id : {Ids::IDC_RUN_DEAD_TIME, Ids::IDC_RESET_DEAD_TIME, Ids::IDC_BAUD_WAIT}) EXPECT_TRUE(Shown(d, id));
      DialogAutomation::ClickControl(d, IDCANCEL);
    });
    EXPECT_EQ(0, CMC_Comm::AdvancedConfig(c.type));
  }
  EXPECT_EQ(CString("<none>"), Key("TIMEOUT_READ_INTERVAL"));
}

TEST_F(CommSettingsTest, AdvancedSettingsAreCheckedResetAndWritten) {
  // A serial read interval above 2000 is refused and the dialog stays.
  DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
    DialogAutomation::TypeInto(d, Ids::IDC_READ_INTERVAL, "2001");
    DialogAutomation::ClickControl(d, IDOK);
    EXPECT_TRUE(d->IsWindowVisible());
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
  EXPECT_EQ(0, CMC_Comm::AdvancedConfig(0));
  EXPECT_EQ((std::vector<std::string>{"Please enter an integer between 1 and 2000."}), BoxTexts());
  // The defaults come back for the time-outs and waits; the CAN fields keep what was typed.
  OpenSerial();
  DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
    EXPECT_EQ(CString("700"), Text(d, Ids::IDC_CAN_SEND));  // loaded from the file's defaults
    DialogAutomation::TypeInto(d, Ids::IDC_CAN_SEND, "123");
    DialogAutomation::TypeInto(d, Ids::IDC_CAN_RECEIVE, "456");
    DialogAutomation::TypeInto(d, Ids::IDC_RUN_DEAD_TIME, "999");
    DialogAutomation::TypeInto(d, Ids::IDC_READ_INTERVAL, "5");
    DialogAutomation::ClickControl(d, Ids::IDC_SET_DEFAULTS);
    EXPECT_EQ(CString("2000"), Text(d, Ids::IDC_RUN_DEAD_TIME));
    EXPECT_EQ(CString("123"), Text(d, Ids::IDC_CAN_SEND));
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(1, CMC_Comm::AdvancedConfig(2));
  const std::pair<const char*, const char*> written[] = {
      {"TIMEOUT_READ_INTERVAL", "1000"}, {"TIMEOUT_MULTIPLIER", "700"}, {"TIMEOUT_CONSTANT", "400"},
      {"RUN_DEAD_TIME", "2000"},         {"RESET_DEAD_TIME", "200"},    {"WAIT_AFTER_BAUD_CHANGE", "200"},
      {"CAN_SEND_TIMEOUT", "123"},       {"CAN_RECEIVE_TIMEOUT", "456"}, {"UDP_RECEIVE_TIMEOUT", "700"}};
  for (auto [key, value] : written) EXPECT_EQ(CString(value), Key(key)) << key;
  EXPECT_EQ(1u, Calls("DAV_UpdateSettings"));
}

TEST_F(CommSettingsTest, PeakAdapterSettingsAreRepairedChosenAndWritten) {
  EXPECT_EQ(0, CMC_Comm::SelectPeakSysDevice(7));
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
  // A type that kind 6 does not know is 9 in the file before the dialog opens.
  WritePrivateProfileString("ZURCOMM", "PEAK_SYS_PCAN_HWTYPE", "3", GetKernelConfigFilePath());
  for (const char* io : {"0x300", "768"}) {
    DialogAutomation::AddDialogHandler(CSelectPeakSysDevDlg::IDD, [&](CWnd* d) {
      EXPECT_EQ(CString("9"), Key("PEAK_SYS_PCAN_HWTYPE"));
      EXPECT_EQ(2, d->SendDlgItemMessage(CSelectPeakSysDevDlg::IDC_HW_TYPE, CB_GETCOUNT));
      char chosen[64] = "";
      WPARAM sel = (WPARAM)d->SendDlgItemMessage(CSelectPeakSysDevDlg::IDC_HW_TYPE, CB_GETCURSEL);
      d->SendDlgItemMessage(CSelectPeakSysDevDlg::IDC_HW_TYPE, CB_GETLBTEXT, sel, (LPARAM)chosen);
      EXPECT_STREQ("ISA with SJA chipset", chosen);
      EXPECT_EQ(CString("7"), Text(d, CSelectPeakSysDevDlg::IDC_IRQ));
      DialogAutomation::TypeInto(d, CSelectPeakSysDevDlg::IDC_IO_PORT, io);
      DialogAutomation::ClickControl(d, IDOK);
    });
    EXPECT_EQ(1, CMC_Comm::SelectPeakSysDevice(6));
    EXPECT_EQ(CString("768"), Key("PEAK_SYS_PCAN_IO")) << io;
    WritePrivateProfileString("ZURCOMM", "PEAK_SYS_PCAN_IO", "1", GetKernelConfigFilePath());
  }
  // A dongle shows its six types and the stored port; Cancel writes nothing.
  DialogAutomation::AddDialogHandler(CSelectPeakSysDevDlg::IDD, [&](CWnd* d) {
    EXPECT_EQ(6, d->SendDlgItemMessage(CSelectPeakSysDevDlg::IDC_HW_TYPE, CB_GETCOUNT));
    EXPECT_EQ(CString("0x1"), Text(d, CSelectPeakSysDevDlg::IDC_IO_PORT));
    DialogAutomation::ClickControl(d, IDCANCEL);
  });
  EXPECT_EQ(0, CMC_Comm::SelectPeakSysDevice(8));
  EXPECT_EQ(CString("5"), Key("PEAK_SYS_PCAN_HWTYPE"));  // repaired for the dongle
  // In net-master mode nothing opens.
  CMC_Comm::m_bNetMaster = 1;
  EXPECT_EQ(0, CMC_Comm::AdvancedConfig(0));
  EXPECT_EQ(0, CMC_Comm::SelectPeakSysDevice(6));
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}
