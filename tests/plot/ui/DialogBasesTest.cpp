// Dialog, sheet, page, frame and bitmap button bases: help popups, validation on leaving, titles.
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "plot/ui/DialogS.h"

#include <gtest/gtest.h>

namespace {

const DLGITEM_ENTRY kItems[] = {
    {"Edit", 1001, WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 10, 10, 80, 12, ""},
    {"Button", 1002, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 10, 30, 60, 14, "Press"},
    {"Static", 1003, WS_VISIBLE, 0, 100, 10, 40, 20, ""},
};
const DIALOG_RESOURCE kDialog = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 160, 60, "Bases", "MS Sans Serif", 8,
                                 kItems, 3, nullptr};
const DIALOG_RESOURCE kPage = {WS_CHILD | DS_SETFONT, 0, 0, 0, 160, 60, "Page", "MS Sans Serif", 8, kItems, 2, nullptr};
// A 2 x 2 PNG.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xFD, 0xD4, 0x9A, 0x73, 0x00, 0x00, 0x00, 0x10, 0x49,
    0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x44, 0x0C, 0x10, 0x0A, 0x00, 0x1F, 0xEE, 0x03, 0xFD,
    0x63, 0x5E, 0xBB, 0x5B, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(9100), &kDialog, sizeof kDialog},
    {RT_DIALOG, MAKEINTRESOURCE(9101), &kPage, sizeof kPage},
    {RT_BITMAP, "TESTBTNU", kPng, sizeof kPng},
    {RT_BITMAP, "TESTBTND", kPng, sizeof kPng},
};
const RESOURCE_STRING kStrings[] = {{9102, "Trace\nTrace window"}};
const RESOURCE_TABLE kTable = {kStrings, 1, kEntries, 4};
CResourceTableRegistration g_registration(kTable);

TEST(DialogBases, HelpPopupsForListedControlsAndTheirClosing) {
  Clock::UseVirtualTime();
  CDialogS dlg;
  ASSERT_TRUE(dlg.Create(9100, nullptr));
  dlg.ShowWindow(SW_SHOW);
  DWORD ids[] = {1001, 5001, 0, 0};
  int enabled = 1;
  WORD delay = 300, popup = 2000;
  dlg.SetHelpMap(ids, &enabled, &delay, &popup);
  Automation::Instance().ClearHelpCalls();
  auto hover = [&](int id) {
    UiAutomation::MouseMove(dlg.GetDlgItem(id)->m_hWnd, CPoint(3, 3));
    UiAutomation::AdvanceClock(600);  // the control's own delay, until the first request sets ours
    auto calls = Automation::Instance().HelpCalls();
    Automation::Instance().ClearHelpCalls();
    UiAutomation::MouseMove(dlg.m_hWnd, CPoint(1, 1));
    return calls;
  };
  auto calls = hover(1001);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(HH_TP_HELP_WM_HELP, calls[0].command);
  EXPECT_EQ((DWORD_PTR)ids, calls[0].data);
  EXPECT_EQ(dlg.GetDlgItem(1001)->m_hWnd, calls[0].caller);
  EXPECT_TRUE(hover(1002).empty());  // not in the table
  enabled = 0;
  EXPECT_TRUE(hover(1001).empty());

  // The popup timer closes the help viewer's note window.
  enabled = 1;
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "MS_WINNOTE";
  RegisterClass(&wc);
  ASSERT_EQ(1u, hover(1001).size());
  HWND note = CreateWindowEx(0, "MS_WINNOTE", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(note);
  UiAutomation::AdvanceClock(popup + 10);
  EXPECT_FALSE(::IsWindow(note));
  dlg.DestroyWindow();
  Clock::UseRealTime();
}

class CNumberPage : public CPropertyPageS {
 public:
  CNumberPage() : CPropertyPageS(9101) {}
  int m_value = 1;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1001, m_value); }
};

TEST(DialogBases, CancelSkipsValidationWhileSwitchingPagesReportsIt) {
  for (bool cancel : {true, false}) {
    CPropertySheetS sheet("Sheet");
    CNumberPage a, b;
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    Automation::Instance().ClearMessageBoxes();
    UiAutomation::AddModalLoopHandler("CPropertySheetS", [&](CWnd* w) {
      auto* s = static_cast<CPropertySheetS*>(w);
      DialogAutomation::TypeInto(s->GetActivePage(), 1001, "abc");
      if (cancel) {
        EXPECT_EQ(1, s->m_bValidate);
        DialogAutomation::ClickControl(s, IDCANCEL);
        EXPECT_EQ(0, s->m_bValidate);  // the press on Cancel reached the sheet first
        return;
      }
      UiAutomation::Click(s->m_hWnd, s->GetTabRect(1).CenterPoint());
      EXPECT_EQ(0, s->GetActiveIndex());  // the invalid page stays
      s->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    auto boxes = Automation::Instance().MessageBoxes();
    if (cancel) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(1u, boxes.size());
      EXPECT_EQ("Please enter an integer.", boxes[0].text);
    }
  }
}

TEST(DialogBases, EmbeddedSheetsTitlesAndBitmapButtons) {
  CDialogS host;
  ASSERT_TRUE(host.Create(9100, nullptr));
  CRect holder;
  host.GetDlgItem(1003)->GetWindowRect(&holder);
  host.ScreenToClient(&holder);
  CPropertySheetS sheet;
  CNumberPage page;
  sheet.AddPage(&page);
  EXPECT_EQ(0, sheet.SubclassDlgItem(4444, &host, 0));
  ASSERT_EQ(1, sheet.SubclassDlgItem(1003, &host, 0));
  CRect r;
  sheet.GetWindowRect(&r);
  host.ScreenToClient(&r);
  EXPECT_EQ(holder.TopLeft(), r.TopLeft());
  EXPECT_EQ(nullptr, host.GetDlgItem(1003));  // the placeholder went

  // Frame titles: base title, document title and window number.
  class CTitledFrame : public CMDIChildWndS {
   public:
    CDocument* m_doc = nullptr;
    CDocument* GetActiveDocument() override { return m_doc; }
    void SetWindowNumber(int n) { m_nWindow = n; }

   protected:
    int OnCreate(LPCREATESTRUCT) override { return 0; }  // no views to make
  };
  auto* f = new CTitledFrame;  // frames delete themselves
  CTitledFrame& frame = *f;
  ASSERT_TRUE(frame.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | FWS_ADDTOTITLE, CRect(0, 0, 50, 50), &host, 0));
  CDocument doc;
  doc.SetTitle("D");
  frame.m_doc = &doc;
  frame.m_strBaseTitle = "T";
  CString text;
  for (int n : {2, 0}) {
    frame.SetWindowNumber(n);
    frame.OnUpdateFrameTitle(TRUE);
    frame.GetWindowText(text);
    EXPECT_EQ(n ? CString("T - D:2") : CString("T - D"), text);
  }
  frame.DestroyWindow();

  CBitmapButtonS button;
  EXPECT_EQ(1, button.LoadBitmaps(nullptr, "TESTBTNU", "TESTBTND"));
  EXPECT_EQ(0, button.LoadBitmaps(nullptr, "TESTBTNU", "TESTBTNF"));
  EXPECT_EQ(0, button.LoadBitmaps(nullptr, "MISSING"));
  host.DestroyWindow();
}

}  // namespace
