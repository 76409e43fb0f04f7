// Property sheets with pages from templates, and form views.
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FormView.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

namespace {

enum : WORD { IDD_PAGE_A = 9101, IDD_PAGE_B = 9102, IDD_FORM = 9103, IDC_A = 1101, IDC_B = 1102, IDC_F = 1103 };

const DLGITEM_ENTRY kPageAItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE, 0, 7, 9, 40, 8, "Gain:"},
    {"Edit", IDC_A, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 50, 7, 60, 12, ""},
};
const DLGITEM_ENTRY kPageBItems[] = {
    {"Button", IDC_B, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 7, 80, 10, "Inverted"},
};
const DLGITEM_ENTRY kFormItems[] = {
    {"Edit", IDC_F, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 7, 7, 60, 12, ""},
};
const DIALOG_RESOURCE kPageA = {WS_CHILD | WS_CAPTION | DS_SETFONT, 0, 0, 0, 150, 60, "Controller", "MS Sans Serif", 8,
                                kPageAItems, 2, nullptr};
const DIALOG_RESOURCE kPageB = {WS_CHILD | WS_CAPTION | DS_SETFONT, 0, 0, 0, 120, 80, "Motor", "MS Sans Serif", 8,
                                kPageBItems, 1, nullptr};
const DIALOG_RESOURCE kForm = {WS_CHILD | DS_SETFONT, 0, 0, 0, 200, 100, nullptr, "MS Sans Serif", 8, kFormItems, 1, nullptr};
const RESOURCE_ENTRY kSheetEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_PAGE_A), &kPageA, sizeof kPageA},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_PAGE_B), &kPageB, sizeof kPageB},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_FORM), &kForm, sizeof kForm},
};
const RESOURCE_TABLE kSheetTable = {nullptr, 0, kSheetEntries, 3};
CResourceTableRegistration g_sheetTable(kSheetTable);

class CPageA : public CPropertyPage {
 public:
  CPageA() : CPropertyPage(IDD_PAGE_A) {}
  int m_gain = 5;
  int m_active = 0, m_killed = 0, m_applied = 0;
  BOOL OnSetActive() override {
    ++m_active;
    return CPropertyPage::OnSetActive();
  }
  BOOL OnKillActive() override {
    ++m_killed;
    return CPropertyPage::OnKillActive();
  }
  BOOL OnApply() override {
    ++m_applied;
    return CPropertyPage::OnApply();
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_A, m_gain);
    DDV_MinMaxInt(pDX, m_gain, 0, 10);
  }
};

class CPageB : public CPropertyPage {
 public:
  CPageB() : CPropertyPage(IDD_PAGE_B) {}
  int m_inverted = 0;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Check(pDX, IDC_B, m_inverted); }
};

class DialogSheetTest : public ::testing::Test {
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
};

TEST_F(DialogSheetTest, PagesSwitchOnlyWhenTheirDataIsValidAndOkAppliesThemAll) {
  CPropertySheet sheet("Axis settings");
  sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
  CPageA a;
  CPageB b;
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  DialogAutomation::AddDialogHandler("CPropertySheet", [&](CWnd* w) {
    auto* s = static_cast<CPropertySheet*>(w);
    EXPECT_EQ(nullptr, s->GetDlgItem(ID_APPLY_NOW));
    EXPECT_NE(nullptr, s->GetDlgItem(IDOK));
    CString title;
    s->GetWindowText(title);
    EXPECT_STREQ("Axis settings", title);
    EXPECT_EQ(0, s->GetActiveIndex());
    {
      char cls[32] = {0};
      ::GetClassName(::GetFocus(), cls, sizeof cls);
      EXPECT_EQ(::GetDlgItem(a.m_hWnd, IDC_A), ::GetFocus()) << cls << " " << ::GetDlgCtrlID(::GetFocus());
    }
    DialogAutomation::TypeInto(&a, IDC_A, "50");
    // A click on the second tab: the first page refuses to be left.
    CRect tab = s->GetTabRect(1);
    UiAutomation::Click(s->m_hWnd, tab.CenterPoint());
    EXPECT_EQ(0, s->GetActiveIndex());
    ASSERT_EQ(1u, Automation::Instance().MessageBoxes().size());
    EXPECT_EQ("Please enter an integer between 0 and 10.", Automation::Instance().MessageBoxes()[0].text);
    DialogAutomation::TypeInto(&a, IDC_A, "7");
    UiAutomation::Click(s->m_hWnd, tab.CenterPoint());
    EXPECT_EQ(1, s->GetActiveIndex());
    EXPECT_FALSE(a.IsWindowVisible());
    DialogAutomation::ClickControl(&b, IDC_B);
    std::string path = dravonix::test::OutputPath("property-sheet.png");
    EXPECT_TRUE(SaveWindowImage(s, path.c_str()));
    UiAutomation::PressKey(VK_RETURN);
  });
  EXPECT_EQ(IDOK, sheet.DoModal());
  EXPECT_EQ(7, a.m_gain);
  EXPECT_EQ(1, b.m_inverted);
  EXPECT_EQ(1, a.m_applied);
  EXPECT_EQ(2, a.m_killed);
  EXPECT_EQ(nullptr, a.m_hWnd);
}

TEST_F(DialogSheetTest, CancelKeepsTheMembersAndAnEmptySheetFails) {
  CPropertySheet sheet("S");
  CPageA a;
  sheet.AddPage(&a);
  DialogAutomation::AddDialogHandler("CPropertySheet", [&](CWnd* w) {
    EXPECT_NE(nullptr, w->GetDlgItem(ID_APPLY_NOW));
    DialogAutomation::TypeInto(&a, IDC_A, "3");
    UiAutomation::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ(5, a.m_gain);
  CPropertySheet empty("E");
  EXPECT_EQ(-1, empty.DoModal());
  EXPECT_FALSE(sheet.SetActivePage(7));
}

class CTestForm : public CFormView {
 public:
  CTestForm() : CFormView(IDD_FORM) {}
  int m_value = 12;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_F, m_value); }
};

// A frame with one key of its own, as an accelerator would be.
class CKeyFrame : public CFrameWnd {
 public:
  int m_keys = 0;
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5) return ++m_keys;
    return CFrameWnd::PreTranslateMessage(pMsg);
  }
};

TEST_F(DialogSheetTest, AFormViewCarriesItsTemplateControls) {
  CWinApp app("DialogSheetTest");
  auto* frame = new CKeyFrame;
  ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
  app.m_pMainWnd = frame;
  auto* form = new CTestForm;
  ASSERT_TRUE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), frame, AFX_IDW_PANE_FIRST));
  form->OnInitialUpdate();
  HWND edit = ::GetDlgItem(form->m_hWnd, IDC_F);
  ASSERT_NE(nullptr, edit);
  CString text;
  form->GetDlgItemText(IDC_F, text);
  EXPECT_STREQ("12", text);
  DialogAutomation::TypeInto(form, IDC_F, "34");
  EXPECT_TRUE(form->UpdateData(TRUE));
  EXPECT_EQ(34, form->m_value);
  EXPECT_EQ(IDD_FORM, form->GetTemplateID());
  // The frame's keys reach it before the form's dialog keys could take them.
  UiAutomation::PressKey(VK_F5);
  EXPECT_EQ(1, frame->m_keys);
  app.m_pMainWnd = nullptr;
  frame->DestroyWindow();
}

}  // namespace
