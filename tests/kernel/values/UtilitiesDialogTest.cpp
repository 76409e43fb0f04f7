// The kernel's data exchange and validation helpers run inside a real dialog: refusal texts and
// icons, the focus on the refused control, and the hexadecimal exchange both ways.
#include "kernel/values/Utilities.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

enum : WORD {
  IDD_PROBE = 9301,
  IDC_TEXT = 1001,
  IDC_WORD = 1002,
  IDC_DWORD = 1003,
  IDC_COMBO = 1004,
  IDC_R1 = 1005,
  IDC_R2 = 1006,
};

const DLGITEM_ENTRY kProbeItems[] = {
    {"Edit", IDC_TEXT, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 7, 7, 100, 12, ""},
    {"Edit", IDC_WORD, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 7, 22, 60, 12, ""},
    {"Edit", IDC_DWORD, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 70, 22, 60, 12, ""},
    {"ComboBox", IDC_COMBO, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 7, 37, 100, 60, nullptr},
    {"Button", IDC_R1, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0, 7, 52, 50, 10, "One"},
    {"Button", IDC_R2, WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 60, 52, 50, 10, "Two"},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 70, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 60, 70, 50, 14, "Cancel"},
};
const DIALOG_RESOURCE kProbe = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 140, 90, "Probe",
                                "MS Sans Serif", 8, kProbeItems, sizeof kProbeItems / sizeof kProbeItems[0], nullptr};
const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(IDD_PROBE), &kProbe, sizeof kProbe}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_table(kTable);

class CProbeDlg : public CDialog {
 public:
  CProbeDlg() : CDialog(IDD_PROBE) {}
  std::function<void(CDataExchange*)> m_exchange;
  CString m_text;
  WORD m_word = 0;
  DWORD m_dword = 0;
  int m_combo = -1;
  int m_radio = -1;

 protected:
  BOOL OnInitDialog() override {
    for (const char* s : {"Alpha", "Beta"}) SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)s);
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* pDX) override {
    if (m_exchange) m_exchange(pDX);
  }
};

struct Refusal {
  std::string text;
  UINT icon = 0;
  int focusId = 0;
  int boxes = 0;
  DWORD selStart = 0, selEnd = 0;
};

class UtilitiesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    DialogAutomation::Reset();
  }
  void TearDown() override {
    DialogAutomation::Reset();
    Automation::Instance().Reset();
    Clock::UseRealTime();
  }

  // Runs the dialog: `act` plays the user, then OK is pressed; what the refusal showed is returned
  // and the dialog is cancelled. Nothing refused: the dialog ends with OK.
  Refusal PressOk(CProbeDlg& dlg, const std::function<void(CWnd*)>& act, INT_PTR expected = IDCANCEL) {
    Refusal r;
    DialogAutomation::AddDialogHandler(IDD_PROBE, [&](CWnd* d) {
      if (act) act(d);
      DialogAutomation::ClickControl(d, IDOK);
      auto boxes = Automation::Instance().MessageBoxes();
      r.boxes = (int)boxes.size();
      if (boxes.empty()) return;  // accepted: the dialog is ending
      r.text = boxes.back().text;
      r.icon = boxes.back().type & MB_ICONMASK;
      HWND focus = ::GetFocus();
      r.focusId = focus ? ::GetDlgCtrlID(focus) : 0;
      if (focus) ::SendMessage(focus, EM_GETSEL, (WPARAM)&r.selStart, (LPARAM)&r.selEnd);
      UiAutomation::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(expected, dlg.DoModal());
    Automation::Instance().ClearMessageBoxes();
    return r;
  }
};

void TypeText(CWnd* d, const char* text) { DialogAutomation::TypeInto(d, IDC_TEXT, text); }

const char* const kInvalidName =
    "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore.";

TEST_F(UtilitiesDialogTest, TextChecksRefuseWithTheirMessagesAndKeepTheFocus) {
  struct Case {
    void (*check)(CDataExchange*, CString&);
    const char* typed;
    const char* message;  // null: accepted
    UINT icon;
  };
  const Case cases[] = {
      {[](CDataExchange* p, CString& s) { DDV_NotEmpty(p, s); }, "", "Non empty string expected", MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_NotEmpty(p, s); }, "x", nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_FileName(p, s); }, "", "Non empty string expected", MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_FileName(p, s); }, "a/b.txt", "Invalid name. ", MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_FileName(p, s); }, "it's", "Invalid name. ", MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_FileName(p, s); }, "motion.txt", nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolName(p, s); }, "   ", "Non empty string expected", MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_SymbolName(p, s); }, "2axis", kInvalidName, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolName(p, s); }, "ax-is", kInvalidName, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolName(p, s); }, "_axis(2)", nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolOrNumber(p, s); }, "#1", kInvalidName, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolOrNumber(p, s); }, "-1e3",
       nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolOrNumber(p, s); }, "-1+3",
       "Invalid name or number: this string should contain only alphanumeric characters.", 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolOrNumber(p, s); }, ".5", nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolsList(p, s); }, "a, b ,c", nullptr, 0},
      {[](CDataExchange* p, CString& s) { DDV_SymbolsList(p, s); }, "a,,c", "Non empty string expected",
       MB_ICONEXCLAMATION},
      {[](CDataExchange* p, CString& s) { DDV_SymbolsList(p, s); }, "a,9b", kInvalidName, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    CProbeDlg dlg;
    dlg.m_exchange = [&](CDataExchange* pDX) {
      DDX_Text(pDX, IDC_TEXT, dlg.m_text);
      c.check(pDX, dlg.m_text);
    };
    Refusal r = PressOk(dlg, [&](CWnd* d) { TypeText(d, c.typed); }, c.message ? IDCANCEL : IDOK);
    if (!c.message) continue;
    EXPECT_EQ(r.boxes, 1);
    EXPECT_EQ(r.text, c.message);
    EXPECT_EQ(r.icon, c.icon);
    EXPECT_EQ(r.focusId, IDC_TEXT);
    EXPECT_EQ(r.selStart, 0u);
    EXPECT_EQ(r.selEnd, (DWORD)strlen(c.typed));
  }
}

TEST_F(UtilitiesDialogTest, SymbolChecksTrimTheTextInPlace) {
  CProbeDlg dlg;
  dlg.m_exchange = [&](CDataExchange* pDX) {
    DDX_Text(pDX, IDC_TEXT, dlg.m_text);
    DDV_SymbolsList(pDX, dlg.m_text);
  };
  PressOk(dlg, [](CWnd* d) { TypeText(d, "  a,b  "); }, IDOK);
  EXPECT_STREQ(dlg.m_text, "a,b");
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

TEST_F(UtilitiesDialogTest, NoComboItemOrNoRadioIsRefused) {
  CProbeDlg dlg;
  dlg.m_exchange = [&](CDataExchange* pDX) {
    DDX_CBIndex(pDX, IDC_COMBO, dlg.m_combo);
    DDV_ComboItemNotSelected(pDX, dlg.m_combo);
    DDX_Radio(pDX, IDC_R1, dlg.m_radio);
    DDV_RadioNotSelected(pDX, dlg.m_radio);
  };
  Refusal r = PressOk(dlg, nullptr);
  EXPECT_EQ(r.text, "Please select an item!");
  EXPECT_EQ(r.icon, (UINT)MB_ICONEXCLAMATION);
  EXPECT_EQ(r.focusId, IDC_COMBO);

  r = PressOk(dlg, [](CWnd* d) { DialogAutomation::SelectItem(d, IDC_COMBO, "Beta"); });
  EXPECT_EQ(r.boxes, 1);
  EXPECT_EQ(r.text, "Please select an option!");
  EXPECT_EQ(r.icon, (UINT)MB_ICONEXCLAMATION);

  PressOk(dlg, [](CWnd* d) {
    DialogAutomation::SelectItem(d, IDC_COMBO, "Beta");
    DialogAutomation::ClickControl(d, IDC_R2);
  }, IDOK);
  EXPECT_EQ(dlg.m_combo, 1);
  EXPECT_EQ(dlg.m_radio, 1);
}

TEST_F(UtilitiesDialogTest, HexaNumbersLoadFormattedAndLimitedAndSaveTypedDigits) {
  CProbeDlg dlg;
  dlg.m_word = 0x1A;
  dlg.m_dword = 0xBEEF;
  dlg.m_exchange = [&](CDataExchange* pDX) {
    DDX_HexaNumber(pDX, IDC_WORD, dlg.m_word, 1);
    DDX_HexaNumber(pDX, IDC_DWORD, dlg.m_dword, 1);
  };
  CString word, dword;
  UINT wordLimit = 0, dwordLimit = 0;
  PressOk(dlg, [&](CWnd* d) {
    d->GetDlgItemText(IDC_WORD, word);
    d->GetDlgItemText(IDC_DWORD, dword);
    wordLimit = (UINT)d->SendDlgItemMessage(IDC_WORD, EM_GETLIMITTEXT);
    dwordLimit = (UINT)d->SendDlgItemMessage(IDC_DWORD, EM_GETLIMITTEXT);
    DialogAutomation::TypeInto(d, IDC_WORD, "fedcba");  // stops at four digits
    DialogAutomation::TypeInto(d, IDC_DWORD, "12345678");
  }, IDOK);
  EXPECT_STREQ(word, "001A");
  EXPECT_STREQ(dword, "0000BEEF");
  EXPECT_EQ(wordLimit, 4u);
  EXPECT_EQ(dwordLimit, 8u);
  EXPECT_EQ(dlg.m_word, 0xFEDC);
  EXPECT_EQ(dlg.m_dword, 0x12345678u);

  // Not hexadecimal: refused without an icon, the value kept, the edit focused.
  Refusal r = PressOk(dlg, [](CWnd* d) { DialogAutomation::TypeInto(d, IDC_DWORD, "xyz"); });
  EXPECT_EQ(r.text, "Invalid hexadecimal number! Please put here only hexadecimal digits.");
  EXPECT_EQ(r.icon, 0u);
  EXPECT_EQ(r.focusId, IDC_DWORD);
  EXPECT_EQ(dlg.m_dword, 0x12345678u);
  r = PressOk(dlg, [](CWnd* d) { DialogAutomation::TypeInto(d, IDC_WORD, "g1"); });
  EXPECT_EQ(r.text, "Invalid hexadecimal number! Please put here only hexadecimal digits.");
  EXPECT_EQ(r.focusId, IDC_WORD);
}

TEST_F(UtilitiesDialogTest, HexaNumbersWithoutTheErrorFlagKeepTheValueSilently) {
  CProbeDlg dlg;
  dlg.m_word = 0x1234;
  dlg.m_dword = 7;
  dlg.m_exchange = [&](CDataExchange* pDX) {
    DDX_HexaNumber(pDX, IDC_WORD, dlg.m_word, 0);
    DDX_HexaNumber(pDX, IDC_DWORD, dlg.m_dword, 0);
  };
  PressOk(dlg, [](CWnd* d) {
    DialogAutomation::TypeInto(d, IDC_WORD, "zz");
    DialogAutomation::TypeInto(d, IDC_DWORD, "");
  }, IDOK);
  EXPECT_EQ(dlg.m_word, 0x1234);
  EXPECT_EQ(dlg.m_dword, 7u);
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

}  // namespace
