// The setup GUI module's pages: an editing page with every kind of binding, the motor database and the
// CAN settings, a page reusing a kernel template id, and a test page that runs a program named by the
// setup option "TestProgram" with a logger. Tests and hosts reach them through exported entry points.
#include "kernel/setup/MC_Setup.h"
#include "kernel/dialogs/MC_TestDlg.h"
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

#include <mutex>
#include <string>

namespace {

constexpr DWORD kText = WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// ---- Templates -----------------------------------------------------------------------------------------
const DLGITEM_ENTRY kSettingsItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 9, 50, 8, "Peak current"},
    {"Edit", 1000, kEdit | WS_GROUP, WS_EX_CLIENTEDGE, 60, 7, 50, 12, ""},
    {"ComboBox", 1001, kList, 0, 114, 7, 40, 60, ""},
    {"Edit", 1003, kEdit, WS_EX_CLIENTEDGE, 60, 23, 50, 12, ""},
    {"Static", 1002, kText, 0, 114, 25, 40, 8, ""},
    {"Button", 1004, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 40, 100, 10, "Inertia unknown"},
    {"ComboBox", 1005, kList, 0, 114, 38, 60, 60, ""},
    {"Button", 1006, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 7, 55, 40, 10, "None"},
    {"Button", 1007, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 50, 55, 40, 10, "Encoder"},
    {"Button", 1008, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 93, 55, 40, 10, "SSI"},
    {"msctls_trackbar32", 1010, WS_VISIBLE | WS_TABSTOP | TBS_HORZ, 0, 7, 70, 120, 15, ""},
    {"msctls_updown32", 1013, WS_VISIBLE, 0, 130, 70, 10, 14, ""},
    {"msctls_updown32", 1014, WS_VISIBLE, 0, 142, 70, 10, 14, ""},
    {"Edit", 1011, kEdit, WS_EX_CLIENTEDGE, 156, 71, 40, 12, ""},
    {"ComboBox", 1012, kList, 0, 200, 71, 40, 60, ""},
    {"Button", 1020, WS_VISIBLE | BS_GROUPBOX, 0, 5, 88, 120, 30, "Group"},
    {"Edit", 1021, kEdit, WS_EX_CLIENTEDGE, 10, 100, 50, 12, ""},
    {"Edit", 1022, kEdit, WS_EX_CLIENTEDGE, 130, 100, 50, 12, ""},
    {"Button", 10005, kPush, 0, 250, 7, 20, 14, "<"},
    {"Button", 10006, kPush, 0, 274, 7, 20, 14, ">"},
    {"Static", 10007, kText, 0, 250, 24, 90, 30, ""},
    {"Static", 10008, kText, 0, 250, 60, 40, 8, "Database"},
    {"ComboBox", 10010, kList | CBS_SORT, 0, 292, 58, 60, 60, ""},
    {"Static", 10009, kText, 0, 250, 76, 40, 8, "Motor"},
    {"ComboBox", 10011, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT, 0, 292, 74, 60, 60, ""},
    {"Button", 10012, kPush, 0, 250, 92, 45, 14, "Save"},
    {"Button", 10013, kPush, 0, 300, 92, 45, 14, "Delete"},
    {"Static", 10020, kText, 0, 250, 112, 40, 8, "CAN"},
    {"ComboBox", 10021, kList, 0, 292, 110, 60, 80, ""},
    {"Static", 10023, kText, 0, 356, 112, 20, 8, "rate"},
    {"Button", 10022, kPush, 0, 250, 126, 60, 14, "CANopen..."},
    {"Button", IDOK, kPush | BS_DEFPUSHBUTTON, 0, 250, 150, 45, 14, "OK"},
    {"Button", IDCANCEL, kPush, 0, 300, 150, 45, 14, "Cancel"},
};

const DLGITEM_ENTRY kModulePageItems[] = {
    {"Static", 0xFFFF, kText, 0, 7, 7, 100, 8, "A page of the GUI module"},
    {"Button", IDOK, kPush | BS_DEFPUSHBUTTON, 0, 7, 24, 45, 14, "OK"},
    {"Button", IDCANCEL, kPush, 0, 57, 24, 45, 14, "Cancel"},
};

const DLGITEM_ENTRY kTestItems[] = {
    {"Static", 10015, kText, 0, 7, 7, 200, 8, "Motor and sensor test"},
    {"Static", 10014, kText, 0, 7, 18, 200, 8, "Press Start"},
    {"Button", 10000, WS_VISIBLE | WS_TABSTOP | BS_BITMAP, 0, 7, 32, 43, 16, "Start"},
    {"Static", 10004, WS_VISIBLE | SS_ICON, 0, 60, 32, 21, 20, ""},
    {"Static", 10001, kText, 0, 7, 54, 200, 26, ""},
    {"Static", 10002, kText, 0, 7, 84, 120, 8, ""},
    {"Button", 10003, WS_TABSTOP | BS_PUSHBUTTON, 0, 130, 82, 50, 14, "Details..."},  // shown for a failure's details
    {"Button", IDOK, kPush | BS_DEFPUSHBUTTON, 0, 100, 104, 45, 14, "OK"},
    {"Button", IDCANCEL, kPush, 0, 150, 104, 45, 14, "Cancel"},
};

#define TEMPLATE(items, cx, cy, caption) \
  {kDialog, 0, 0, 0, cx, cy, caption, "MS Sans Serif", 8, items, sizeof items / sizeof items[0], nullptr}
const DIALOG_RESOURCE kSettings = TEMPLATE(kSettingsItems, 390, 170, "Drive settings");
const DIALOG_RESOURCE kModulePage = TEMPLATE(kModulePageItems, 120, 45, "Module page 14038");
const DIALOG_RESOURCE kTest = TEMPLATE(kTestItems, 215, 124, "Setup test");

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(100), &kSettings, sizeof kSettings},
    {RT_DIALOG, MAKEINTRESOURCE(14038), &kModulePage, sizeof kModulePage},
    {RT_DIALOG, MAKEINTRESOURCE(110), &kTest, sizeof kTest},
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

// What the pages did, for the entry points to hand out.
std::mutex g_mutex;
std::string g_log;
void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_log += line + "\n";
}

const char* const kGuidelines[] = {"Set the peak current.", "Choose the motor.", "Test the setup.", nullptr};

const char* const kTransmissions[] = {"Direct", "Gear", "Belt", "Screw"};

class CDriveSettingsPage : public CMC_EditSetupDlg {
 public:
  explicit CDriveSettingsPage(CMC_Setup& setup)
      : CMC_EditSetupDlg(setup, 100, TRUE, const_cast<const char**>(kGuidelines), nullptr) {
    AddParameterControls("Ipeak", 1000, 1001);
    AddCheckParameterControls("isMotorInertiaUnknown", 1004);
    AddSwitchParameterControls("TransmissionType", 1005);
    AddSwitchParameterControls("LoadSensorType", 1006, 1008);
    AddSliderParameterControls("MaxSpeed", 1010, 1011, 1012, 1013, 1014, 0, 0);
    InitializeMotorEditor();
    EnableCANSettings();
  }
  void OnChangedParameterValue(const char* name) override {
    Log(std::string("changed ") + name);
    CMC_EditSetupDlg::OnChangedParameterValue(name);
  }

 protected:
  BOOL OnInitDialog() override {
    if (HWND combo = ::GetDlgItem(m_hWnd, 1005))
      for (int i = 0; i < 4; ++i) {
        int at = (int)::SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)kTransmissions[i]);
        ::SendMessage(combo, CB_SETITEMDATA, (WPARAM)at, i);
      }
    return CMC_EditSetupDlg::OnInitDialog();
  }
};

class CModulePage : public CMC_EditSetupDlg {
 public:
  explicit CModulePage(CMC_Setup& setup) : CMC_EditSetupDlg(setup, 14038, FALSE, nullptr, nullptr) {}
};

class CMotorTestPage : public CMC_TestDlg {
 public:
  CMotorTestPage(CMC_Setup& setup, UINT templateId, CMC_Logger* logger)
      : CMC_TestDlg(setup, templateId, FALSE, nullptr), m_pLogger(logger) {
    m_wTotalSteps = 2;
  }
  void BeginTest() override { RunSteps(); }

  void RunSteps() {
    m_wCurrentStep = 65535;  // every run counts from its first step, as a new page's does
    Step("Downloading the test program");
    if (!ExecuteCode("TestProgram", nullptr, m_pLogger, nullptr, nullptr)) return End(false);
    Step("Waiting for the drive");
    End(true);
  }

 private:
  void Step(const char* text) {
    SetInfoText(text);
    Log(std::string(GetInfoText()));
  }
  void End(bool ok) {
    if (ok) TestSucceeded(1);
    else TestFailed(1);
    Log(std::string(GetStatusText()));
  }
  CMC_Logger* m_pLogger;
};

}  // namespace

// Everything the pages logged since the last call: changed parameters, test steps and results.
extern "C" const char* GuiStandIn_PageLog() {
  static std::string copy;
  std::lock_guard<std::mutex> lock(g_mutex);
  copy.swap(g_log);
  g_log.clear();
  return copy.c_str();
}

// Runs a page modally: "settings" (template 100) or "module" (the module's 14038); the dialog result.
extern "C" int GuiStandIn_RunPage(CMC_Setup* setup, const char* which) {
  if (!setup || !which) return -1;
  if (std::string(which) == "settings") {
    CDriveSettingsPage page(*setup);
    return (int)page.DoModal();
  }
  if (std::string(which) == "module") {
    CModulePage page(*setup);
    return (int)page.DoModal();
  }
  return -1;
}

// Runs the test page: with a window modally (the caller drives it), without one from start to end.
// Returns the test result: -1 not tested, 0 failed, 1 succeeded.
extern "C" int GuiStandIn_RunTestPage(CMC_Setup* setup, int withWindow, CMC_Logger* logger) {
  if (!setup) return -1;
  CMotorTestPage page(*setup, withWindow ? 110 : 0, logger);
  if (withWindow) {
    page.DoModal();
    return page.GetResult();
  }
  page.OnBtnStartStop();
  if (page.IsRunning()) page.RunSteps();
  else Log(std::string(page.GetStatusText()));
  return page.GetResult();
}
