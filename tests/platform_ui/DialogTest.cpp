// Dialogs from templates: modal runs driven by handlers, data exchange and validation, the dialog
// keys, unscripted dialogs, and a picture of a dialog with its controls.
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FormView.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/RichEditCtrl.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TabTo.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

namespace {

enum : WORD {
  IDD_VALUES = 9001,
  IDD_EMPTY = 9002,
  IDC_VALUE = 1001,
  IDC_NAME = 1002,
  IDC_R1 = 1003,
  IDC_R2 = 1004,
  IDC_R3 = 1005,
  IDC_LIST = 1006,
  IDC_COMBO = 1007,
  IDC_CHECK = 1008,
  IDC_LABEL = 1009,
  IDC_GROUP = 1010,
  IDD_PRESS = 9003,
  IDC_LIST_COMBO = 1011,
  IDC_SLIDER = 1012,
  IDC_RICH = 1013,
  IDC_HELP_BUTTON = 9,
};

const DLGITEM_ENTRY kValuesItems[] = {
    {"Static", IDC_LABEL, WS_VISIBLE | SS_LEFT, 0, 7, 9, 40, 8, "&Value:"},
    {"Edit", IDC_VALUE, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 50, 7, 60, 12, ""},
    {"Edit", IDC_NAME, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 120, 7, 70, 12, ""},
    {"Button", IDC_GROUP, WS_VISIBLE | BS_GROUPBOX, 0, 7, 25, 90, 50, "Mode"},
    {"Button", IDC_R1, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 14, 36, 70, 10, "Slow"},
    {"Button", IDC_R2, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 14, 48, 70, 10, "Medium"},
    {"Button", IDC_R3, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 14, 60, 70, 10, "Fast"},
    {"Button", IDC_CHECK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 80, 90, 10, "Enabled"},
    {"ListBox", IDC_LIST, WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 0, 105, 25, 85, 50, nullptr},
    {"ComboBox", IDC_COMBO, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 105, 80, 85, 60, nullptr},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 86, 100, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 140, 100, 50, 14, "Cancel"},
};
const DIALOG_RESOURCE kValues = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 200, 122,
                                 "Values", "MS Sans Serif", 8, kValuesItems, sizeof kValuesItems / sizeof kValuesItems[0],
                                 nullptr};
const DIALOG_RESOURCE kEmpty = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 80, 40, "Empty", "MS Sans Serif", 8,
                                nullptr, 0, nullptr};
const DLGITEM_ENTRY kListsItems[] = {
    {"ListBox", IDC_LIST, WS_VISIBLE | WS_BORDER | LBS_NOTIFY, 0, 5, 5, 60, 40, nullptr},
    {"ComboBox", IDC_COMBO, WS_VISIBLE | CBS_DROPDOWNLIST, 0, 70, 5, 60, 60, nullptr},
};
const DIALOG_RESOURCE kLists = {WS_CHILD | DS_SETFONT, 0, 0, 0, 140, 50, "", "MS Sans Serif", 8, kListsItems, 2, nullptr};
const DLGINIT_ENTRY kListsInit[] = {
    {IDC_COMBO, CB_ADDSTRING, "0"}, {IDC_LIST, LB_ADDSTRING, "One"}, {IDC_COMBO, CB_ADDSTRING, "0.0"},
    {IDC_COMBO, CB_ADDSTRING, "0.00"},
};
const DLGINIT_RESOURCE kListsData = {kListsInit, 4};
const DLGINIT_ENTRY kBadInit[] = {{IDC_LIST, LB_ADDSTRING, "One"}, {IDC_NAME, CB_ADDSTRING, "x"}};
const DLGINIT_RESOURCE kBadData = {kBadInit, 2};
// One of each control that takes the focus on a press, and three push buttons.
const DLGITEM_ENTRY kPressItems[] = {
    {"Static", IDC_LABEL, WS_VISIBLE | SS_LEFT, 0, 7, 9, 40, 8, "&Name:"},
    {"Edit", IDC_VALUE, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 50, 7, 60, 12, "pump"},
    {"ComboBox", IDC_COMBO, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 0, 120, 7, 85, 60, nullptr},
    {"ComboBox", IDC_LIST_COMBO, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 120, 25, 85, 60, nullptr},
    {"ListBox", IDC_LIST, WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 0, 7, 25, 100, 40, nullptr},
    {TRACKBAR_CLASS, IDC_SLIDER, WS_VISIBLE | WS_TABSTOP, 0, 7, 70, 100, 15, nullptr},
    {"Button", IDC_CHECK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 120, 45, 80, 10, "Enabled"},
    {"Button", IDC_R1, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 120, 58, 80, 10, "Slow"},
    {"Button", IDC_R2, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 120, 70, 80, 10, "Fast"},
    {RICHEDIT_CLASS, IDC_RICH, WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_GROUP, 0, 120, 84, 85, 14, "note"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 108, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 61, 108, 50, 14, "Cancel"},
    {"Button", IDC_HELP_BUTTON, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 115, 108, 50, 14, "&Help"},
};
const DIALOG_RESOURCE kPress = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 215, 130, "Press",
                                "MS Sans Serif", 8, kPressItems, sizeof kPressItems / sizeof kPressItems[0], nullptr};
const RESOURCE_ENTRY kDialogEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_VALUES), &kValues, sizeof kValues},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_PRESS), &kPress, sizeof kPress},
    {RT_DIALOG, "NAMED_EMPTY", &kEmpty, sizeof kEmpty},
    {RT_DIALOG, "LISTS", &kLists, sizeof kLists},
    {RT_DLGINIT, "LISTS", &kListsData, sizeof kListsData},
    {RT_DIALOG, "BAD_LISTS", &kLists, sizeof kLists},
    {RT_DLGINIT, "BAD_LISTS", &kBadData, sizeof kBadData},
};
const RESOURCE_TABLE kDialogTable = {nullptr, 0, kDialogEntries, sizeof kDialogEntries / sizeof kDialogEntries[0]};
CResourceTableRegistration g_dialogTable(kDialogTable);

class CValuesDlg : public CDialog {
  DECLARE_DYNAMIC(CValuesDlg)

 public:
  CValuesDlg() : CDialog(IDD_VALUES) {}
  int m_value = 10;
  int m_radio = 0;
  int m_check = 0;
  int m_list = 1;
  int m_combo = 2;
  CString m_name = "axis";
  int m_initCount = 0;
  int m_helpCtrl = 0;

 protected:
  BOOL OnHelpInfo(HELPINFO* info) override {
    m_helpCtrl = info->iCtrlId;
    return TRUE;
  }
  BOOL OnInitDialog() override {
    ++m_initCount;
    for (const char* s : {"Position", "Velocity", "Current"}) {
      SendDlgItemMessage(IDC_LIST, LB_ADDSTRING, 0, (LPARAM)s);
      SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)s);
    }
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_VALUE, m_value);
    DDV_MinMaxInt(pDX, m_value, 1, 100);
    DDX_Text(pDX, IDC_NAME, m_name);
    DDV_MaxChars(pDX, m_name, 8);
    DDX_Radio(pDX, IDC_R1, m_radio);
    DDX_Check(pDX, IDC_CHECK, m_check);
    DDX_LBIndex(pDX, IDC_LIST, m_list);
    DDX_CBIndex(pDX, IDC_COMBO, m_combo);
  }
};

IMPLEMENT_DYNAMIC(CValuesDlg, CDialog)

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    DialogAutomation::Reset();
    UiAutomation::ClearModalLoopHandlers();
  }
  void TearDown() override {
    DialogAutomation::Reset();
    Automation::Instance().Reset();
    Clock::UseRealTime();
  }
};

TEST_F(DialogTest, AHandlerTypesChecksARadioButtonAndPressesOk) {
  CValuesDlg dlg;
  bool ran = false;
  DialogAutomation::AddDialogHandler(IDD_VALUES, [&](CWnd* d) {
    ran = true;
    // The exchange filled the controls before the loop started.
    CString text;
    d->GetDlgItemText(IDC_VALUE, text);
    EXPECT_STREQ("10", text);
    EXPECT_EQ(BST_CHECKED, d->IsDlgButtonChecked(IDC_R1));
    DialogAutomation::TypeInto(d, IDC_VALUE, "42");
    DialogAutomation::TypeInto(d, IDC_NAME, "pump");
    DialogAutomation::ClickControl(d, IDC_R3);
    DialogAutomation::ClickControl(d, IDC_CHECK);
    DialogAutomation::SelectItem(d, IDC_COMBO, "Velocity");
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_TRUE(ran);
  EXPECT_EQ(1, dlg.m_initCount);
  EXPECT_EQ(42, dlg.m_value);
  EXPECT_STREQ("pump", dlg.m_name);
  EXPECT_EQ(2, dlg.m_radio);
  EXPECT_EQ(1, dlg.m_check);
  EXPECT_EQ(1, dlg.m_list);
  EXPECT_EQ(1, dlg.m_combo);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}

TEST_F(DialogTest, ARangeFailureNamesTheRangeKeepsTheDialogOpenAndFocusesTheEdit) {
  CValuesDlg dlg;
  DialogAutomation::AddDialogHandler(IDD_VALUES, [&](CWnd* d) {
    DialogAutomation::TypeInto(d, IDC_VALUE, "500");
    // Enter presses the default button.
    UiAutomation::PressKey(VK_RETURN);
    auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Please enter an integer between 1 and 100.", boxes[0].text);
    EXPECT_EQ(MB_ICONEXCLAMATION, boxes[0].type & MB_ICONMASK);
    EXPECT_TRUE(::IsWindowVisible(d->m_hWnd));
    HWND edit = ::GetDlgItem(d->m_hWnd, IDC_VALUE);
    EXPECT_EQ(edit, ::GetFocus());
    DWORD a = 0, b = 0;
    ::SendMessage(edit, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    EXPECT_EQ(0u, a);
    EXPECT_EQ(3u, b);
    // Not a number at all.
    UiAutomation::TypeText("x1");
    DialogAutomation::ClickControl(d, IDOK);
    boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Please enter an integer.", boxes[1].text);
    DialogAutomation::TypeInto(d, IDC_VALUE, "7");
    DialogAutomation::ClickControl(d, IDOK);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(7, dlg.m_value);
}

TEST_F(DialogTest, TooLongTextNamesTheLimit) {
  CValuesDlg dlg;
  DialogAutomation::AddDialogHandler(IDD_VALUES, [&](CWnd* d) {
    // The limit is set on the edit, so typing stops at 8; a program may still put more in.
    DialogAutomation::TypeInto(d, IDC_NAME, "abcdefghij");
    CString text;
    d->GetDlgItemText(IDC_NAME, text);
    EXPECT_STREQ("abcdefgh", text);
    d->SetDlgItemText(IDC_NAME, "abcdefghij");
    DialogAutomation::ClickControl(d, IDOK);
    auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Please enter no more than 8 characters.", boxes[0].text);
    EXPECT_EQ(::GetDlgItem(d->m_hWnd, IDC_NAME), ::GetFocus());
    d->SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST_F(DialogTest, TabArrowsAndEscapeMoveAndCloseAsTheDialogManagerDoes) {
  CValuesDlg dlg;
  std::vector<int> order;
  DialogAutomation::AddDialogHandler("CValuesDlg", [&](CWnd* d) {
    HWND h = d->m_hWnd;
    EXPECT_EQ(::GetDlgItem(h, IDC_VALUE), ::GetFocus());
    for (int i = 0; i < 7; ++i) {
      UiAutomation::PressKey(VK_TAB);
      order.push_back(::GetDlgCtrlID(::GetFocus()));
    }
    UiAutomation::PressKey(VK_TAB, UiAutomation::kShift);
    order.push_back(::GetDlgCtrlID(::GetFocus()));
    // In the radio group the arrows move and check.
    DialogAutomation::ClickControl(d, IDC_R1);
    ASSERT_EQ(::GetDlgItem(h, IDC_R1), ::GetFocus());
    UiAutomation::PressKey(VK_DOWN);
    EXPECT_EQ(::GetDlgItem(h, IDC_R2), ::GetFocus());
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(h, IDC_R2));
    EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(h, IDC_R1));
    // F1 asks the dialog for help about the focused control.
    UiAutomation::PressKey(VK_F1);
    EXPECT_EQ(IDC_R2, dlg.m_helpCtrl);
    UiAutomation::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  // Name, the radio group, check box, list, combo, OK, Cancel; and back.
  std::vector<int> expected{IDC_NAME, IDC_R1, IDC_CHECK, IDC_LIST, IDC_COMBO, IDOK, IDCANCEL, IDOK};
  EXPECT_EQ(expected, order);
  EXPECT_EQ(0, dlg.m_radio);  // cancelled: the members keep their values
}

TEST_F(DialogTest, TabGivesPushButtonsTheDefaultLookAndEndDialogHidesAtOnce) {
  CValuesDlg dlg;
  struct Look {
    int focus;
    UINT ok, cancel;
    LRESULT defId;
  };
  std::vector<Look> looks;
  bool shownBefore = false, shownAfter = true;
  DialogAutomation::AddDialogHandler("CValuesDlg", [&](CWnd* d) {
    HWND h = d->m_hWnd;
    auto type = [h](int id) { return (UINT)::GetWindowLongPtr(::GetDlgItem(h, id), GWL_STYLE) & BS_TYPEMASK; };
    ::SetFocus(::GetDlgItem(h, IDC_COMBO));
    for (int i = 0; i < 3; ++i) {
      UiAutomation::PressKey(VK_TAB);
      looks.push_back({::GetDlgCtrlID(::GetFocus()), type(IDOK), type(IDCANCEL), d->SendMessage(DM_GETDEFID)});
    }
    shownBefore = ::IsWindowVisible(h) != FALSE;
    DialogAutomation::ClickControl(d, IDOK);
    shownAfter = ::IsWindowVisible(h) != FALSE;
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  const LRESULT defId = MAKELONG(IDOK, DC_HASDEFID);
  ASSERT_EQ(3u, looks.size());
  const Look expected[] = {{IDOK, BS_DEFPUSHBUTTON, BS_PUSHBUTTON, defId},
                           {IDCANCEL, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, defId},
                           {IDC_VALUE, BS_DEFPUSHBUTTON, BS_PUSHBUTTON, defId}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(expected[i].focus, looks[i].focus) << i;
    EXPECT_EQ(expected[i].ok, looks[i].ok) << i;
    EXPECT_EQ(expected[i].cancel, looks[i].cancel) << i;
    EXPECT_EQ(expected[i].defId, looks[i].defId) << i;
  }
  EXPECT_TRUE(shownBefore);
  EXPECT_FALSE(shownAfter);  // hidden by EndDialog, before the modal loop returns
}

TEST_F(DialogTest, AnUnscriptedDialogEndsCancelledAfterItsInitialisationAndIsLogged) {
  CValuesDlg dlg;
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ(1, dlg.m_initCount);
  auto log = DialogAutomation::UnscriptedDialogs();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(IDD_VALUES, log[0].templateId);
  EXPECT_EQ("CValuesDlg", log[0].className);
  EXPECT_EQ("Values", log[0].caption);

  // A template found by name; a missing one fails cleanly.
  CDialog named("named_empty");
  EXPECT_EQ(IDCANCEL, named.DoModal());
  CDialog missing(4242);
  EXPECT_EQ(-1, missing.DoModal());
  EXPECT_EQ(-1, DialogBoxParam(nullptr, MAKEINTRESOURCE(4242), nullptr, nullptr, 0));
}

TEST_F(DialogTest, ModelessDialogsAndHelpersWorkOnTheirControls) {
  CValuesDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_VALUES));
  EXPECT_FALSE(dlg.IsWindowVisible());  // the template has no WS_VISIBLE
  dlg.CheckRadioButton(IDC_R1, IDC_R3, IDC_R2);
  EXPECT_EQ(IDC_R2, dlg.GetCheckedRadioButton(IDC_R1, IDC_R3));
  dlg.SetDlgItemInt(IDC_VALUE, 55);
  BOOL ok = FALSE;
  EXPECT_EQ(55u, dlg.GetDlgItemInt(IDC_VALUE, &ok));
  EXPECT_TRUE(ok);
  EXPECT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(55, dlg.m_value);
  EXPECT_EQ(1, dlg.m_radio);
  dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_LIST));
  EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_LIST), ::GetFocus());
  EXPECT_EQ(MAKELONG(IDOK, DC_HASDEFID), (LONG)dlg.GetDefID());
  // Dialog units follow the font: 4 horizontal units are one average character.
  CRect r(0, 0, 4, 8);
  dlg.MapDialogRect(&r);
  SIZE base = GetDialogFontBaseUnits("MS Sans Serif", 8);
  EXPECT_EQ(base.cx, r.right);
  EXPECT_EQ(base.cy, r.bottom);
  CRect edit;
  dlg.GetDlgItem(IDC_VALUE)->GetWindowRect(&edit);
  EXPECT_EQ(MulDiv(60, base.cx, 4), edit.Width());
  dlg.DestroyWindow();
  EXPECT_FALSE(dlg.UpdateData(TRUE));
}

// Selects combo entry 2 in its data exchange: the lists are there first.
class CListsDlg : public CDialog {
 public:
  CListsDlg() : CDialog("LISTS") {}
  int m_combo = 2;
  void DoDataExchange(CDataExchange* pDX) override { DDX_CBIndex(pDX, IDC_COMBO, m_combo); }
};

TEST_F(DialogTest, TemplateInitDataFillsListsBeforeTheDataExchange) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, "Static", "p", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0));
  CListsDlg dlg;
  ASSERT_TRUE(dlg.Create("LISTS", &parent));
  EXPECT_EQ(dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCOUNT), 3);
  EXPECT_EQ(dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCURSEL), 2);
  EXPECT_EQ(dlg.SendDlgItemMessage(IDC_LIST, LB_GETCOUNT), 1);
  // A plain window made from the named template gets them too; a damaged entry fails.
  CWnd plain;
  ASSERT_TRUE(plain.CreateDlg("LISTS", &parent));
  char text[16] = {};
  plain.SendDlgItemMessage(IDC_COMBO, CB_GETLBTEXT, 1, (LPARAM)text);
  EXPECT_STREQ(text, "0.0");
  EXPECT_TRUE(plain.ExecuteDlgInit("NAMED_EMPTY"));
  EXPECT_FALSE(plain.ExecuteDlgInit("BAD_LISTS"));
  EXPECT_EQ(plain.SendDlgItemMessage(IDC_LIST, LB_GETCOUNT), 2);
  EXPECT_FALSE(plain.CreateDlg("NO_SUCH_TEMPLATE", &parent));
  plain.DestroyWindow();
  dlg.DestroyWindow();
  parent.DestroyWindow();
}

TEST_F(DialogTest, APictureOfADialogShowsItsControls) {
  CValuesDlg dlg;
  std::string path = dravonix::test::OutputPath("dialog-controls.png");
  DialogAutomation::AddDialogHandler(IDD_VALUES, [&](CWnd* d) {
    DialogAutomation::TypeInto(d, IDC_VALUE, "42");
    ::SendDlgItemMessage(d->m_hWnd, IDC_LIST, LB_SETCURSEL, 1, 0);
    DialogAutomation::ClickControl(d, IDC_VALUE);
    ASSERT_TRUE(SaveWindowImage(d, path.c_str()));
    // The edit's background is the window colour; the dialog's is the button face.
    CRect er;
    HWND edit = ::GetDlgItem(d->m_hWnd, IDC_VALUE);
    ::GetClientRect(edit, &er);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), GetWindowPixel(edit, POINT{er.right - 3, er.bottom - 3}));
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), GetWindowPixel(d->m_hWnd, POINT{2, 2}));
    // The selected list item is highlighted.
    HWND list = ::GetDlgItem(d->m_hWnd, IDC_LIST);
    RECT item;
    ::SendMessage(list, LB_GETITEMRECT, 1, (LPARAM)&item);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), GetWindowPixel(list, POINT{item.right - 2, item.top + 1}));
    d->SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  std::ifstream png(path, std::ios::binary);
  char sig[8] = {0};
  png.read(sig, 8);
  EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(sig, 8));
}

}  // namespace

// A multi-line edit takes every key from its dialog: without ES_WANTRETURN it hands Enter to the
// default button, Escape to Cancel and Tab to the next control, and keeps none of them as text.
TEST_F(DialogTest, AMultiLineEditLeavesEnterEscapeAndTabToItsDialog) {
  const struct {
    DWORD style;
    UINT key;
    const char* text;
    const char* ended;  // "ok", "cancel" or ""
    bool movedOn;
  } rows[] = {
      {0, VK_RETURN, "ab", "ok", false},
      {ES_WANTRETURN, VK_RETURN, "ab\r\n", "", false},
      {0, VK_ESCAPE, "ab", "cancel", false},
      {0, VK_TAB, "ab", "", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "style " << r.style << ", key " << r.key);
    const DLGITEM_ENTRY items[] = {
        {"Edit", IDC_VALUE, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | r.style, 0, 4, 4, 80, 30, ""},
        {"Edit", IDC_NAME, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 4, 40, 80, 12, ""},
        {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 4, 60, 50, 14, "OK"},
    };
    const DIALOG_RESOURCE tmpl{WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 120, 80, "Note", nullptr, 0, items, 3, nullptr};
    struct : CDialog {
      std::string ended;
      void OnOK() override { ended += "ok"; }
      void OnCancel() override { ended += "cancel"; }
    } dlg;
    ASSERT_TRUE(dlg.CreateIndirect(&tmpl));
    HWND edit = ::GetDlgItem(dlg.m_hWnd, IDC_VALUE);
    DialogAutomation::ClickControl(&dlg, IDC_VALUE);
    ASSERT_EQ(edit, ::GetFocus());
    UiAutomation::TypeText("ab");
    UiAutomation::PressKey(r.key);
    UiAutomation::Pump();
    char text[16] = "";
    ::GetWindowText(edit, text, sizeof text);
    EXPECT_STREQ(r.text, text);
    EXPECT_EQ(r.ended, dlg.ended);
    EXPECT_EQ(r.movedOn, ::GetFocus() == ::GetDlgItem(dlg.m_hWnd, IDC_NAME));
    dlg.DestroyWindow();
  }
}

// A list box and a multi-line edit in a dialog scroll by their bars and by keys as a full repaint
// draws them.
TEST_F(DialogTest, AListAndAnEditScrollByTheirBarsAndKeysAsAFullRepaintDrawsThem) {
  using namespace dravonix::test;
  const DLGITEM_ENTRY items[] = {
      {"ListBox", 1004, WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 0, 4, 4, 70, 60, ""},
      {"Edit", IDC_VALUE, WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN, 0, 80, 4, 70,
       60, ""},
  };
  const DIALOG_RESOURCE tmpl{WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 160, 80, "Lists", nullptr, 0, items, 2, nullptr};
  CDialog dlg;
  ASSERT_TRUE(dlg.CreateIndirect(&tmpl));
  const HWND list = ::GetDlgItem(dlg.m_hWnd, 1004), edit = ::GetDlgItem(dlg.m_hWnd, IDC_VALUE);
  std::string text;
  for (int i = 0; i < 40; ++i) {
    const std::string line = "line " + std::to_string(i);
    ::SendMessage(list, LB_ADDSTRING, 0, (LPARAM)line.c_str());
    text += line + "\r\n";
  }
  ::SetWindowText(edit, text.c_str());
  // The edit counts the empty line after the last break too.
  const struct {
    HWND h;
    const char* kind;
    int down, pageDown, thumb, pageUp, up;
  } rows[] = {{list, "list", 1, 8, 29, 22, 21}, {edit, "edit", 1, 8, 30, 23, 22}};
  for (const auto& r : rows) {
    ExpectBarPresses(r.h,
                     {{kDownArrow, "de", r.down}, {kPageBelow, "De", r.pageDown}, {kThumbDown, "tttpe", r.thumb},
                      {kPageAbove, "Ue", r.pageUp}, {kUpArrow, "ue", r.up}},
                     r.kind);
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(r.h, POINT{10, 5});
    std::vector<UINT> keys(12, VK_DOWN);
    keys.insert(keys.end(), {VK_NEXT, VK_PRIOR, VK_UP});
    ExpectKeyPictures(r.h, keys, r.kind);
  }
  dlg.DestroyWindow();
}

// With the caret in a drop-down combo's edit field, Tab and Shift+Tab move on from the combo's place.
TEST_F(DialogTest, TabFromAComboEditFieldGoesToTheCombosNeighbours) {
  const DLGITEM_ENTRY items[] = {
      {"Edit", IDC_VALUE, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 4, 4, 80, 12, ""},
      {"ComboBox", 1003, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 0, 4, 20, 80, 60, ""},
      {"Edit", IDC_NAME, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 4, 40, 80, 12, ""},
  };
  const DIALOG_RESOURCE tmpl{WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 120, 80, "Note", nullptr, 0, items, 3, nullptr};
  CDialog dlg;
  ASSERT_TRUE(dlg.CreateIndirect(&tmpl));
  HWND field = ::GetWindow(::GetDlgItem(dlg.m_hWnd, 1003), GW_CHILD);
  ASSERT_TRUE(field);
  for (UINT mods : {UiAutomation::kNone, UiAutomation::kShift}) {
    UiAutomation::AdvanceClock(1000);
    UiAutomation::Click(field, POINT{4, 4});
    ASSERT_EQ(field, ::GetFocus());
    UiAutomation::PressKey(VK_TAB, mods);
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, mods ? IDC_VALUE : IDC_NAME), ::GetFocus()) << mods;
  }
  dlg.DestroyWindow();
}

namespace {

// The push buttons' clicks a dialog or form hears, kept rather than acted on.
template <class Base>
struct HeardClicks : Base {
  using Base::Base;
  std::string heard;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override {
    const int id = LOWORD(wp);
    if (HIWORD(wp) != BN_CLICKED || (id != IDOK && id != IDCANCEL && id != IDC_HELP_BUTTON)) return Base::OnCommand(wp, lp);
    heard += std::to_string(id) + " ";
    return TRUE;
  }
};
struct CPressDlg : HeardClicks<CDialog> {
  CPressDlg() : HeardClicks<CDialog>(IDD_PRESS) {}
};
struct CPressForm : HeardClicks<CFormView> {
  CPressForm() : HeardClicks<CFormView>(IDD_PRESS) {}
};

}  // namespace

// Whatever moves the focus, a push button with it looks like the default and Enter presses it, and
// with any other control the dialog's default button does: in a dialog and in a form view alike.
TEST_F(DialogTest, TheDefaultLookAndEnterFollowEveryRouteOfTheFocus) {
  using Act = std::function<void(HWND)>;
  const auto press = [](int id) -> Act { return [id](HWND h) { DialogAutomation::ClickControl(CWnd::FromHandle(h), id); }; };
  const auto pressAt = [](int id, int fromRight) -> Act {
    return [id, fromRight](HWND h) {
      HWND c = ::GetDlgItem(h, id);
      CRect r;
      ::GetClientRect(c, &r);
      UiAutomation::Click(c, POINT{r.right - fromRight, r.Height() / 2});
    };
  };
  const auto then = [](Act a, Act b) -> Act { return [a, b](HWND h) { a(h), b(h); }; };
  const Act escape = [](HWND) { UiAutomation::PressKey(VK_ESCAPE); };
  const int arrow = UiSystemMetric(SM_CXVSCROLL) / 2;
  const struct {
    const char* what;
    Act act;
    const char* want;  // focus, the button that looks default, the clicks the act and Enter give
  } rows[] = {
      {"nothing", [](HWND) {}, "focus 2 look 2 clicks 2 "},
      {"the edit", press(IDC_VALUE), "focus 1001 look 1 clicks 1 "},
      {"the drop-down combo's field", press(IDC_COMBO), "focus 1007 look 1 clicks 1 "},
      {"the drop-down combo's arrow, Escape", then(pressAt(IDC_COMBO, arrow), escape), "focus 1007 look 1 clicks 1 "},
      {"the drop-list combo, Escape", then(press(IDC_LIST_COMBO), escape), "focus 1011 look 1 clicks 1 "},
      {"the list", pressAt(IDC_LIST, 30), "focus 1006 look 1 clicks 1 "},
      {"the trackbar", press(IDC_SLIDER), "focus 1012 look 1 clicks 1 "},
      {"the check box", press(IDC_CHECK), "focus 1008 look 1 clicks 1 "},
      {"the radio", press(IDC_R2), "focus 1004 look 1 clicks 1 "},
      {"the rich edit", press(IDC_RICH), "focus 1013 look 1 clicks 1 "},
      {"Help", press(IDC_HELP_BUTTON), "focus 9 look 9 clicks 9 9 "},
      {"OK", press(IDOK), "focus 1 look 1 clicks 1 1 "},
      {"Alt+N, the edit's label", [](HWND) { UiAutomation::PressKey('N', UiAutomation::kAlt); },
       "focus 1001 look 1 clicks 1 "},
      {"Alt+H, Help", [](HWND) { UiAutomation::PressKey('H', UiAutomation::kAlt); }, "focus 9 look 9 clicks 9 9 "},
      {"the list, OK disabled",
       [](HWND h) {
         ::EnableWindow(::GetDlgItem(h, IDOK), FALSE);
         DialogAutomation::ClickControl(CWnd::FromHandle(h), IDC_LIST);
       },
       "focus 1006 look 1 clicks "},
  };
  CWinApp app("DialogTest");
  for (const char* host : {"dialog", "form"}) {
    CPressDlg dlg;
    CFrameWnd* frame = nullptr;
    CPressForm* form = nullptr;
    std::string* heard = nullptr;
    HWND h = nullptr;
    if (!strcmp(host, "dialog")) {
      ASSERT_TRUE(dlg.Create(IDD_PRESS));
      dlg.ShowWindow(SW_SHOW);
      h = dlg.m_hWnd;
      heard = &dlg.heard;
    } else {
      frame = new CFrameWnd;
      ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 420, 300)));
      form = new CPressForm;
      ASSERT_TRUE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 260), frame, AFX_IDW_PANE_FIRST));
      app.m_pMainWnd = frame;
      frame->SetActiveView(form);
      h = form->m_hWnd;
      heard = &form->heard;
    }
    for (const char* s : {"Position", "Velocity"}) {
      ::SendDlgItemMessage(h, IDC_LIST, LB_ADDSTRING, 0, (LPARAM)s);
      ::SendDlgItemMessage(h, IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)s);
      ::SendDlgItemMessage(h, IDC_LIST_COMBO, CB_ADDSTRING, 0, (LPARAM)s);
    }
    int off = 0;
    for (const auto& r : rows) {
      ::EnableWindow(::GetDlgItem(h, IDOK), TRUE);
      UiAutomation::AdvanceClock(1000);  // no double click across rows
      ASSERT_TRUE(dravonix::test::TabTo(::GetDlgItem(h, IDCANCEL))) << host;
      heard->clear();
      r.act(h);
      HWND f = ::GetFocus();
      while (f && ::GetParent(f) != h) f = ::GetParent(f);
      std::string got = "focus " + std::to_string(::GetDlgCtrlID(f)) + " look";
      for (int id : {IDOK, IDCANCEL, (int)IDC_HELP_BUTTON})
        if ((::GetWindowLongPtr(::GetDlgItem(h, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
          got += " " + std::to_string(id);
      const int px = dravonix::test::PixelsOffFullRepaint(h);
      UiAutomation::PressKey(VK_RETURN);
      got += " clicks " + *heard;
      off += got != r.want || px != 0;
      EXPECT_EQ(r.want, got) << host << ": " << r.what;
      EXPECT_EQ(0, px) << host << ": " << r.what;
    }
    EXPECT_EQ(0, off) << host << ": rows off";
    if (frame) {
      app.m_pMainWnd = nullptr;
      frame->DestroyWindow();
    } else {
      dlg.DestroyWindow();
    }
  }
}

// A press on any control that takes the focus from a value refused with a box as it loses it: the
// box's owner is disabled while it is up, so the release is lost. One box, the focus back on the
// value, and the control neither clicked, moved, dropped, pushed nor holding the mouse.
TEST_F(DialogTest, APressThatTakesTheFocusFromARefusedValueEndsWithItsBox) {
  enum : WORD { IDC_PUSH = 1101, IDC_CHK, IDC_RADIO, IDC_LST, IDC_DROP, IDC_DROPLIST, IDC_SLIDER, IDC_OTHER, IDC_RICH };
  const DLGITEM_ENTRY items[] = {
      {"Edit", IDC_VALUE, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 4, 4, 60, 12, ""},
      {"Button", IDC_PUSH, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 4, 20, 50, 14, "Push"},
      {"Button", IDC_CHK, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 60, 20, 50, 12, "Check"},
      {"Button", IDC_RADIO, WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 116, 20, 50, 12, "Radio"},
      {"ListBox", IDC_LST, WS_VISIBLE | WS_TABSTOP | WS_BORDER | LBS_NOTIFY, 0, 4, 38, 60, 40, ""},
      {"ComboBox", IDC_DROP, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 0, 70, 38, 60, 60, ""},
      {"ComboBox", IDC_DROPLIST, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 136, 38, 60, 60, ""},
      {TRACKBAR_CLASS, IDC_SLIDER, WS_VISIBLE | WS_TABSTOP, 0, 70, 56, 100, 16, ""},
      {"Edit", IDC_OTHER, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 4, 84, 60, 12, "other"},
      {RICHEDIT_CLASS, IDC_RICH, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE, 0, 70, 80, 100, 24, ""},
  };
  const DIALOG_RESOURCE tmpl{WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 210, 110, "Refusal", nullptr, 0, items,
                             sizeof items / sizeof items[0], nullptr};
  struct : CDialog {
    int clicks = 0;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
      if (HIWORD(wp) == BN_CLICKED) ++clicks;
      // "x" is refused as the field loses the focus, which goes back to it.
      if (LOWORD(wp) == IDC_VALUE && HIWORD(wp) == EN_KILLFOCUS) {
        CString text;
        GetDlgItemText(IDC_VALUE, text);
        if (text == "x") {
          AfxMessageBox("Refused.");
          GetDlgItem(IDC_VALUE)->SetFocus();
        }
      }
      return CDialog::OnCommand(wp, lp);
    }
  } dlg;
  ASSERT_TRUE(dlg.CreateIndirect(&tmpl));
  for (int id : {IDC_LST, IDC_DROP, IDC_DROPLIST})
    for (const char* s : {"one", "two", "three"})
      dlg.SendDlgItemMessage(id, id == IDC_LST ? LB_ADDSTRING : CB_ADDSTRING, 0, (LPARAM)s);
  auto state = [&] {
    auto get = [&](int id, UINT msg) { return std::to_string((int)dlg.SendDlgItemMessage(id, msg, 0, 0)) + " "; };
    DWORD a = 0, b = 0;
    dlg.SendDlgItemMessage(IDC_OTHER, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    return get(IDC_PUSH, BM_GETSTATE) + get(IDC_CHK, BM_GETCHECK) + get(IDC_RADIO, BM_GETCHECK) +
           get(IDC_LST, LB_GETCURSEL) + get(IDC_DROP, CB_GETDROPPEDSTATE) + get(IDC_DROPLIST, CB_GETDROPPEDSTATE) +
           get(IDC_SLIDER, TBM_GETPOS) + std::to_string(a) + "-" + std::to_string(b) + " clicks " +
           std::to_string(dlg.clicks) + " focus " + std::to_string(::GetDlgCtrlID(::GetFocus())) + " capture " +
           std::to_string(::GetCapture() != nullptr);
  };
  const std::string before = "0 0 0 -1 0 0 0 0-0 clicks 0 focus 1001 capture 0";
  for (int id : {IDC_PUSH, IDC_CHK, IDC_RADIO, IDC_LST, IDC_DROP, IDC_DROPLIST, IDC_SLIDER, IDC_OTHER, IDC_RICH}) {
    DialogAutomation::TypeInto(&dlg, IDC_VALUE, "x");
    Automation::Instance().ClearMessageBoxes();
    CRect r;
    dlg.GetDlgItem(id)->GetClientRect(&r);
    // Right of the middle: the combo's arrow, the slider's channel past its thumb.
    UiAutomation::Click(dlg.GetDlgItem(id)->m_hWnd, POINT{r.right - 4, r.Height() / 2});
    EXPECT_EQ(before, state()) << id;
    EXPECT_EQ(1u, Automation::Instance().MessageBoxes().size()) << id;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(dlg.m_hWnd)) << id;
    dlg.SetDlgItemText(IDC_VALUE, "");
  }
  dlg.DestroyWindow();
}
