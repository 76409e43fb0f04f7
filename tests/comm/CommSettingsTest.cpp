// The communication settings dialogs: time-outs per channel type and the PEAK CAN adapter, read
// back from the kernel configuration file.
#include "comm/AdvancedCommSetupDlg.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/Ini.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/core/Automation.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Module.h"
#include "suite/can/CanAdapters.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

namespace {

class CommSettingsTest : public CommTest {
 protected:
  void SetUp() override {
    CommTest::SetUp();
    DialogAutomation::Reset();
    for (const char* key : {"TIMEOUT_READ_INTERVAL", "TIMEOUT_MULTIPLIER", "TIMEOUT_CONSTANT", "RUN_DEAD_TIME",
                            "RESET_DEAD_TIME", "WAIT_AFTER_BAUD_CHANGE", "CAN_SEND_TIMEOUT", "CAN_RECEIVE_TIMEOUT",
                            "UDP_RECEIVE_TIMEOUT", "PEAK_SYS_PCAN_HWTYPE", "PEAK_SYS_PCAN_IO", "PEAK_SYS_PCAN_IRQ",
                            "IXXAT_VCIID_HIGH", "IXXAT_VCIID_LOW", "IXXAT_BOARD_TYPE", "IXXAT_BOARD_INDEX"})
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
    // The read interval is hidden for CAN: the user can only type into the waits shown.
    EXPECT_FALSE(Shown(d, Ids::IDC_READ_INTERVAL));
    DialogAutomation::TypeInto(d, Ids::IDC_BAUD_WAIT, "5");
    EXPECT_EQ(CString("5"), Text(d, Ids::IDC_BAUD_WAIT));
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

// What a user reaches with the mouse and keys in the two dialogs, each step's fields and picture against a
// full repaint.
TEST_F(CommSettingsTest, TheUserResetsTheTimeoutsAsksForHelpAndPicksAnAdapterRow) {
  using Peak = CSelectPeakSysDevDlg;
  struct Step {
    const char* what;
    std::function<void(CWnd*)> input;
    int id;
    const char* text;
  };
  auto run = [](CWnd* d, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      s.input(d);
      EXPECT_EQ(CString(s.text), Text(d, s.id)) << s.what;
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(d->m_hWnd)) << s.what;
    }
  };
  auto type = [](int id, const char* t) { return [id, t](CWnd* d) { DialogAutomation::TypeInto(d, id, t); }; };
  auto click = [](int id) { return [id](CWnd* d) { DialogAutomation::ClickControl(d, id); }; };
  DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
    run(d, {{"type a read interval", type(Ids::IDC_READ_INTERVAL, "5"), Ids::IDC_READ_INTERVAL, "5"},
            {"type a run wait", type(Ids::IDC_RUN_DEAD_TIME, "999"), Ids::IDC_RUN_DEAD_TIME, "999"},
            {"set default values", click(Ids::IDC_SET_DEFAULTS), Ids::IDC_READ_INTERVAL, "1000"},
            {"the run wait is back too", [](CWnd*) {}, Ids::IDC_RUN_DEAD_TIME, "2000"},
            {"help", click(Ids::IDC_HELP_BUTTON), Ids::IDC_RUN_DEAD_TIME, "2000"}});
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(1, CMC_Comm::AdvancedConfig(0));
  EXPECT_EQ(CString("1000"), Key("TIMEOUT_READ_INTERVAL"));
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(1u, help.size());
  EXPECT_EQ(4100u, help[0].data);
  EXPECT_EQ(std::string(GetKernelHelpFile().GetString()), help[0].file);

  // The dongle's rows by the arrow keys: the row below the stored one is written.
  DialogAutomation::AddDialogHandler(Peak::IDD, [&](CWnd* d) {
    const HWND combo = ::GetDlgItem(d->m_hWnd, Peak::IDC_HW_TYPE);
    run(d, {{"the stored row", [](CWnd*) {}, Peak::IDC_IRQ, "7"},
            {"arrow down", [combo](CWnd*) { UiAutomation::PressKey(VK_DOWN); }, Peak::IDC_IRQ, "7"}});
    EXPECT_EQ(3, ::SendMessage(combo, CB_GETCURSEL, 0, 0));
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(1, CMC_Comm::SelectPeakSysDevice(8));
  EXPECT_EQ(CString("6"), Key("PEAK_SYS_PCAN_HWTYPE"));
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
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

// One test, in this order: a registry library that failed to load keeps failing until the program ends.
TEST_F(CommSettingsTest, IxxatAdaptersAreChosenThroughWhicheverLibraryLoads) {
  char start[1024];
  GetCurrentDirectory(sizeof start, start);
  std::string can = dravonix::test::KernelDir() + "/CAN/";
  // The stand-ins stay loaded by the test, so that their scripts hold while the kernel loads them.
  std::vector<HMODULE> held;
  auto script = [&](const std::string& file, const char* command) {
    HMODULE h = LoadLibrary((can + file).c_str());
    EXPECT_NE(nullptr, h) << file;
    if (!h) return;
    held.push_back(h);
    auto fn = reinterpret_cast<CAN_STANDIN_SCRIPT>(GetProcAddress(h, "CanStandIn_Script"));
    EXPECT_EQ(1, fn ? fn(command) : 0) << command;
  };
  auto in = [&](const char* folder) { ASSERT_TRUE(SetCurrentDirectory((can + folder).c_str())) << folder; };
  CMC_Comm::m_bNetMaster = 1;
  EXPECT_EQ(0, CMC_Comm::SelectIxxatDevice());
  CMC_Comm::m_bNetMaster = 0;
  in("vci");
  script("vci/vcinpl.dll", "cancel");
  EXPECT_EQ(0, CMC_Comm::SelectIxxatDevice());
  EXPECT_EQ(CString("0"), Key("IXXAT_VCIID_HIGH"));
  EXPECT_EQ(CString("0"), Key("IXXAT_VCIID_LOW"));
  script("vci/vcinpl.dll", "choose 5 7");
  EXPECT_EQ(1, CMC_Comm::SelectIxxatDevice());
  EXPECT_EQ(CString("5"), Key("IXXAT_VCIID_HIGH"));
  EXPECT_EQ(CString("7"), Key("IXXAT_VCIID_LOW"));
  // Without the VCI library the registry chooses, and the open channel closes.
  in("xat");
  script("xat/Xat11reg.dll", "choose 3 1");
  OpenSerial();
  EXPECT_EQ(1, CMC_Comm::SelectIxxatDevice());
  EXPECT_EQ(CString("3"), Key("IXXAT_BOARD_TYPE"));
  EXPECT_EQ(CString("1"), Key("IXXAT_BOARD_INDEX"));
  EXPECT_FALSE(CMC_Comm::IsCommOpen());
  script("xat/Xat11reg.dll", "cancel");
  EXPECT_EQ(0, CMC_Comm::SelectIxxatDevice());
  EXPECT_TRUE(BoxTexts().empty());
  struct Failure {
    const char* folder;
    const char* command;
    const char* text;
  };
  for (const Failure& f : {Failure{"xat-broken", nullptr, "Cannot map functions in Xat11reg.dll"},
                           Failure{"xat", "refuse-version", "Cannot load Xat11reg.dll or vcinpl.dll"},
                           Failure{"", nullptr, "Cannot load Xat11reg.dll or vcinpl.dll"}}) {
    in(f.folder);
    if (f.command) script(std::string(f.folder) + "/Xat11reg.dll", f.command);
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(0, CMC_Comm::SelectIxxatDevice()) << f.text;
    auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(1u, boxes.size()) << f.text;
    EXPECT_EQ(f.text, boxes[0].text);
    EXPECT_EQ(MB_ICONSTOP, boxes[0].type & MB_ICONMASK);
  }
  SetCurrentDirectory(start);
  for (HMODULE h : held) FreeLibrary(h);
}
