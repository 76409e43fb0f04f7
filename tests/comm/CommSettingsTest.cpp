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
#include "tests/support/DialogActs.h"

namespace {

class CommSettingsTest : public CommTest {
 protected:
  void SetUp() override {
    CommTest::SetUp();
    DialogAutomation::Reset();
    ClearKeys();
  }
  static void ClearKeys() {
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
  auto type = &dravonix::test::TypeAct;
  auto click = &dravonix::test::ClickAct;
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

// Every route through the two dialogs against what the click on OK or Cancel stores: the keys
// written, the result, the boxes, and the dialog still open where a key only closes a list.
TEST_F(CommSettingsTest, EveryRouteThroughTheSettingsEndsAsItsClick) {
  using Peak = CSelectPeakSysDevDlg;
  using Keys = std::vector<std::pair<UINT, UINT>>;  // key, modifiers
  auto keys = [](const Keys& ks) {
    return [ks](CWnd*) {
      for (auto [vk, mod] : ks) UiAutomation::PressKey(vk, mod);
    };
  };
  auto type = &dravonix::test::TypeAct;
  auto click = &dravonix::test::ClickAct;
  auto pick = [](const char* t) { return [t](CWnd* d) { DialogAutomation::SelectItem(d, Peak::IDC_HW_TYPE, t); }; };
  using Act = std::function<void(CWnd*)>;
  struct Route {
    const char* what;
    BYTE type;  // a channel type, or 8 + 100 for the dongle's adapter dialog
    std::vector<Act> acts;
    int result;
    const char* key;
    const char* value;
    const char* box;
  };
  const int tab = VK_TAB, shift = UiAutomation::kShift;
  const Route routes[] = {
      {"typed, OK clicked", 0, {type(Ids::IDC_READ_INTERVAL, "5"), click(IDOK)}, 1, "TIMEOUT_READ_INTERVAL", "5", ""},
      {"typed, Enter", 0, {type(Ids::IDC_READ_INTERVAL, "5"), keys({{VK_RETURN, 0}})}, 1, "TIMEOUT_READ_INTERVAL", "5", ""},
      {"typed, Tab, Enter", 0, {type(Ids::IDC_READ_INTERVAL, "5"), keys({{tab, 0}, {VK_RETURN, 0}})}, 1,
       "TIMEOUT_READ_INTERVAL", "5", ""},
      {"typed, Escape", 0, {type(Ids::IDC_READ_INTERVAL, "5"), keys({{VK_ESCAPE, 0}})}, 0, "TIMEOUT_READ_INTERVAL",
       "<none>", ""},
      {"the upper end", 0, {type(Ids::IDC_READ_INTERVAL, "2000"), keys({{VK_RETURN, 0}})}, 1, "TIMEOUT_READ_INTERVAL",
       "2000", ""},
      {"the lower end", 0, {type(Ids::IDC_CONSTANT, "0"), keys({{VK_RETURN, 0}})}, 1, "TIMEOUT_CONSTANT", "0", ""},
      {"past the end", 0, {type(Ids::IDC_READ_INTERVAL, "0"), keys({{VK_RETURN, 0}}), click(IDCANCEL)}, 0,
       "TIMEOUT_READ_INTERVAL", "<none>", "Please enter an integer between 1 and 2000."},
      {"emptied", 0, {type(Ids::IDC_RUN_DEAD_TIME, ""), keys({{VK_DELETE, 0}, {VK_RETURN, 0}}), click(IDCANCEL)}, 0, "RUN_DEAD_TIME",
       "<none>", "Please enter a positive integer."},
      {"End, Backspace", 0, {type(Ids::IDC_RUN_DEAD_TIME, "123"), keys({{VK_END, 0}, {VK_BACK, 0}, {VK_RETURN, 0}})},
       1, "RUN_DEAD_TIME", "12", ""},
      {"Home, Delete", 0, {type(Ids::IDC_RUN_DEAD_TIME, "123"), keys({{VK_HOME, 0}, {VK_DELETE, 0}, {VK_RETURN, 0}})},
       1, "RUN_DEAD_TIME", "23", ""},
      {"defaults by Enter on their button", 0,
       {type(Ids::IDC_BAUD_WAIT, "5"), keys({{tab, 0}, {VK_RETURN, 0}}), click(IDOK)}, 1, "WAIT_AFTER_BAUD_CHANGE",
       "200", ""},
      {"defaults by Space on their button", 0,
       {type(Ids::IDC_BAUD_WAIT, "5"), keys({{tab, 0}, {VK_SPACE, 0}}), click(IDOK)}, 1, "WAIT_AFTER_BAUD_CHANGE",
       "200", ""},
      {"CAN: typed, Enter", 2, {type(Ids::IDC_CAN_RECEIVE, "2000"), keys({{VK_RETURN, 0}})}, 1, "CAN_RECEIVE_TIMEOUT",
       "2000", ""},
      {"CAN: the hidden serial field keeps its value", 2, {keys({{VK_RETURN, 0}})}, 1, "TIMEOUT_READ_INTERVAL", "1000",
       ""},
      {"UDP: typed, Enter", 16, {type(Ids::IDC_UDP_RECEIVE, "0"), keys({{VK_RETURN, 0}})}, 1, "UDP_RECEIVE_TIMEOUT",
       "0", ""},
      {"dongle: an entry clicked", 108, {pick("Dongle Pro with SJA chipset"), click(IDOK)}, 1, "PEAK_SYS_PCAN_HWTYPE",
       "7", ""},
      {"dongle: an entry clicked, Enter", 108, {pick("Dongle (EPP)"), keys({{VK_RETURN, 0}})}, 1,
       "PEAK_SYS_PCAN_HWTYPE", "3", ""},
      {"dongle: Alt+Down, Down, Enter closes the list only", 108,
       {click(Peak::IDC_IRQ), keys({{tab, shift}, {tab, shift}, {VK_DOWN, UiAutomation::kAlt}, {VK_DOWN, 0}, {VK_RETURN, 0}}),
        click(IDOK)},
       1, "PEAK_SYS_PCAN_HWTYPE", "6", ""},
      {"dongle: F4, Escape closes the list only", 108,
       {click(Peak::IDC_IRQ), keys({{tab, shift}, {tab, shift}, {VK_F4, 0}, {VK_ESCAPE, 0}}), click(IDOK)}, 1,
       "PEAK_SYS_PCAN_HWTYPE", "5", ""},
      {"dongle: End on the closed list", 108,
       {click(Peak::IDC_IRQ), keys({{tab, shift}, {tab, shift}, {VK_END, 0}, {VK_RETURN, 0}})}, 1,
       "PEAK_SYS_PCAN_HWTYPE", "8", ""},
      {"dongle: Home on the closed list", 108,
       {click(Peak::IDC_IRQ), keys({{tab, shift}, {tab, shift}, {VK_HOME, 0}, {VK_RETURN, 0}})}, 1,
       "PEAK_SYS_PCAN_HWTYPE", "2", ""},
      {"dongle: Tab onto Cancel, the type pressed, Enter", 108,
       {dravonix::test::TabAct(IDCANCEL), dravonix::test::FocusShutAct(Peak::IDC_HW_TYPE),
        [](CWnd* d) { EXPECT_EQ("1 ", dravonix::test::DefaultLook(d->m_hWnd)); }, keys({{VK_RETURN, 0}})},
       1, "PEAK_SYS_PCAN_HWTYPE", "5", ""},
      {"dongle: port typed, Enter", 108, {type(Peak::IDC_IO_PORT, "0x300"), keys({{VK_RETURN, 0}})}, 1,
       "PEAK_SYS_PCAN_IO", "768", ""},
      {"dongle: interrupt emptied keeps its value", 108, {type(Peak::IDC_IRQ, ""), keys({{VK_BACK, 0}, {VK_RETURN, 0}})}, 1,
       "PEAK_SYS_PCAN_IRQ", "7", ""},
      {"dongle: typed, Escape", 108, {type(Peak::IDC_IO_PORT, "0x300"), keys({{VK_ESCAPE, 0}})}, 0,
       "PEAK_SYS_PCAN_IO", "<none>", ""},
  };
  for (const Route& r : routes) {
    ClearKeys();
    Automation::Instance().ClearMessageBoxes();
    const bool peak = r.type >= 100;
    bool open = false;
    DialogAutomation::AddDialogHandler(peak ? (UINT)Peak::IDD : (UINT)Ids::IDD, [&](CWnd* d) {
      for (const Act& a : r.acts) a(d);
      open = (d->m_nFlags & WF_CONTINUEMODAL) != 0;
      if (open) DialogAutomation::ClickControl(d, IDCANCEL);
    });
    const int result = peak ? CMC_Comm::SelectPeakSysDevice((BYTE)(r.type - 100)) : CMC_Comm::AdvancedConfig(r.type);
    EXPECT_FALSE(open) << r.what;
    EXPECT_EQ(r.result, result) << r.what;
    EXPECT_EQ(CString(r.value), Key(r.key)) << r.what;
    const std::vector<std::string> boxes = BoxTexts();
    EXPECT_EQ(std::string(r.box), boxes.empty() ? "" : boxes.back()) << r.what;
  }
}

// Tab and Shift+Tab go round the fields the channel type shows, and nothing hidden takes the focus.
TEST_F(CommSettingsTest, TabGoesRoundTheShownFieldsOnly) {
  const struct {
    BYTE type;
    std::vector<int> order;
  } cases[] = {
      {0, {Ids::IDC_READ_INTERVAL, Ids::IDC_MULTIPLIER, Ids::IDC_CONSTANT, Ids::IDC_RUN_DEAD_TIME,
           Ids::IDC_RESET_DEAD_TIME, Ids::IDC_BAUD_WAIT, Ids::IDC_SET_DEFAULTS, IDOK, IDCANCEL, Ids::IDC_HELP_BUTTON}},
      {2, {Ids::IDC_CAN_SEND, Ids::IDC_CAN_RECEIVE, Ids::IDC_RUN_DEAD_TIME, Ids::IDC_RESET_DEAD_TIME, Ids::IDC_BAUD_WAIT,
           Ids::IDC_SET_DEFAULTS, IDOK, IDCANCEL, Ids::IDC_HELP_BUTTON}},
      {16, {Ids::IDC_UDP_RECEIVE, Ids::IDC_RUN_DEAD_TIME, Ids::IDC_RESET_DEAD_TIME, Ids::IDC_BAUD_WAIT,
            Ids::IDC_SET_DEFAULTS, IDOK, IDCANCEL, Ids::IDC_HELP_BUTTON}},
  };
  for (const auto& c : cases) {
    std::vector<int> forward, backward;
    DialogAutomation::AddDialogHandler(Ids::IDD, [&](CWnd* d) {
      DialogAutomation::ClickControl(d, c.order[0]);
      for (size_t i = 0; i < c.order.size(); ++i) {
        forward.push_back(::GetDlgCtrlID(::GetFocus()));
        UiAutomation::PressKey(VK_TAB);
      }
      for (size_t i = 0; i < c.order.size(); ++i) {
        UiAutomation::PressKey(VK_TAB, UiAutomation::kShift);
        backward.insert(backward.begin(), ::GetDlgCtrlID(::GetFocus()));
      }
      DialogAutomation::ClickControl(d, IDCANCEL);
    });
    EXPECT_EQ(0, CMC_Comm::AdvancedConfig(c.type));
    EXPECT_EQ(c.order, forward) << (int)c.type;
    EXPECT_EQ(c.order, backward) << (int)c.type;
  }
}
