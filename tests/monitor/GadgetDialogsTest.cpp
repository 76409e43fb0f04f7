// Every gadget kind's edit dialog, opened as the user opens it: dropped from the gadgets bar, and
// again from the gadget's properties; what was typed is what the item keeps.
#include "comm/MC_Comm.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "monitor/gadgets/GadgetPortWnds.h"
#include "monitor/panels/GadgetsBar.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/Resource.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"

#include <functional>

namespace {

enum : UINT { kPanelResource = 9400, kBarTemplate = 9413 };
const DIALOG_RESOURCE kBar = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 500, 20, "", "MS Sans Serif", 8, nullptr, 0, nullptr};
const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(kBarTemplate), &kBar, sizeof kBar}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_table(kTable);

class GadgetDialogsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    m_setup.reset(StartMonitorDrive(Kernel("Configurations/05/05")));
    ASSERT_TRUE(m_setup);
    m_doc.m_pSetup = m_setup.get();
    m_app = std::make_unique<CWinApp>("GadgetDialogsTest");
    m_main = new CMDIFrameWnd;
    ASSERT_TRUE(m_main->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
    m_app->m_pMainWnd = m_main;
    m_main->ShowWindow(SW_SHOW);
    m_app->AddDocTemplate(new CMC_ControlPanelDocTemplate(kPanelResource, RUNTIME_CLASS(CMC_Document),
                                                          RUNTIME_CLASS(CMC_ControlPanelFrame),
                                                          RUNTIME_CLASS(CMC_ControlPanelView)));
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
    m_panel = new CControlPanelItemArray("Gadgets");
    m_panel->m_nFrameX = m_panel->m_nFrameY = 0;
    m_panel->m_nFrameWidth = 800;
    m_panel->m_nFrameHeight = 500;
    m_doc.m_panels.m_aPanels.Add(m_panel);
  }
  void TearDown() override {
    CMC_ControlPanel::ms_bStarted = 0;
    CMC_ControlPanel::ms_bInCustomize = 0;
    m_doc.m_panels.CloseAllFrames();
    m_doc.m_panels.Reset();
    if (m_main) m_main->DestroyWindow();
    MSG quit;
    while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    m_app.reset();
    DialogAutomation::Reset();
    CMC_Comm::Close();
    CMC_Comm::nShowErr = MB_RETRYCANCEL;
    Clock::UseRealTime();
    SetupTest::TearDown();
  }
  CMC_ControlPanelView* View() { return DYNAMIC_DOWNCAST(CMC_ControlPanelView, m_panel->m_pFrame->GetActiveView()); }
  // A point of the view that no gadget covers.
  CPoint EmptySpot() {
    for (int y = 5; y < 480; y += 20)
      for (int x = 5; x < 780; x += 20) {
        CPoint screen(x, y);
        View()->ClientToScreen(&screen);
        if (CWnd::WindowFromPoint(screen) == View()) return CPoint(x, y);
      }
    return CPoint(-1, -1);
  }
  // Presses bar button `kind` and releases it over the panel where nothing stands yet.
  void Drop(CGadgetsBar& bar, int kind) {
    CPoint at = EmptySpot();
    Clock::Advance(1000);  // no double click
    PostInputMessage(bar.m_aButtons[kind]->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    UiAutomation::Pump();
    View()->ClientToScreen(&at);
    bar.ScreenToClient(&at);
    PostInputMessage(bar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    UiAutomation::Pump();
  }

  SetupPtr m_setup;
  PanelHostDoc m_doc;
  std::unique_ptr<CWinApp> m_app;
  CMDIFrameWnd* m_main = nullptr;
  CControlPanelItemArray* m_panel = nullptr;
};

void SelectFirst(CWnd* dlg, int id) {
  char first[256] = {};
  ::SendMessage(::GetDlgItem(dlg->m_hWnd, id), CB_GETLBTEXT, 0, (LPARAM)first);
  EXPECT_TRUE(DialogAutomation::SelectItem(dlg, id, first)) << id;
}

// How each kind's dialog is filled in, and what its item keeps of it.
struct Kind {
  UINT dialog;
  std::function<void(CWnd* dlg, const char* text)> fill;
  std::function<CString(CControlPanelItem* item)> kept;
};

template <class Item>
CString Title(CControlPanelItem* item) {
  auto* typed = dynamic_cast<Item*>(item);
  return typed ? typed->m_strTitle : CString("?");
}

void Variable(CWnd* dlg, const char* text) {
  EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14052, "APOS"));
  DialogAutomation::TypeInto(dlg, 14000, text);
}
void TwoVariables(CWnd* dlg, const char* text) {
  EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14053, "APOS"));
  Variable(dlg, text);
}
void Port(CWnd* dlg, const char* text) {
  SelectFirst(dlg, 14052);
  DialogAutomation::TypeInto(dlg, 14000, text);
}

TEST_F(GadgetDialogsTest, EveryKindOpensFromTheBarAndFromPropertiesAndKeepsWhatWasTyped) {
  const Kind kinds[13] = {
      {14007, Variable, Title<CControlPanelShowVarItem>},
      {14010, Variable, Title<CControlPanelGaugeItem>},
      {14010, Variable, Title<CControlPanelGaugeItem>},
      {14012, Port, Title<CControlPanelInputItem>},
      {14013, Port, Title<CControlPanelOutputItem>},
      {14006, Variable, Title<CControlPanelScopeItem>},
      {14008, TwoVariables, Title<CControlPanelDoubleScopeItem>},
      {14009, TwoVariables, Title<CControlPanelYXScopeItem>},
      {14015,
       [](CWnd* dlg, const char* text) {
         DialogAutomation::TypeInto(dlg, 14052, "APOS");
         EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14047, "3"));
         DialogAutomation::TypeInto(dlg, 14000, text);
       },
       [](CControlPanelItem* item) {
         auto* bit = dynamic_cast<CControlPanelBitItem*>(item);
         CString kept;
         if (bit) kept.Format("%s %s %hd", bit->m_strTitle.GetString(), bit->m_strVariable.GetString(), bit->m_nBit);
         return kept;
       }},
      {14011, Variable, Title<CControlPanelSliderItem>},
      {14011, Variable, Title<CControlPanelSliderItem>},
      {14014, [](CWnd* dlg, const char* text) { DialogAutomation::TypeInto(dlg, 14018, CString(text) + "=1;"); },
       [](CControlPanelItem* item) {
         auto* code = dynamic_cast<CControlPanelCodeItem*>(item);
         return code ? code->m_strCode : CString("?");
       }},
      {14016, [](CWnd* dlg, const char* text) { DialogAutomation::TypeInto(dlg, 14000, text); },
       [](CControlPanelItem* item) {
         auto* label = dynamic_cast<CControlPanelTextItem*>(item);
         return label ? label->m_strText : CString("?");
       }},
  };
  const CString expected[13][2] = {
      {"DROP0", "PROPS0"}, {"DROP1", "PROPS1"}, {"DROP2", "PROPS2"}, {"DROP3", "PROPS3"}, {"DROP4", "PROPS4"},
      {"DROP5", "PROPS5"}, {"DROP6", "PROPS6"}, {"DROP7", "PROPS7"}, {"DROP8 APOS 3", "PROPS8 APOS 3"},
      {"DROP9", "PROPS9"}, {"DROP10", "PROPS10"}, {"APOS=1;", "APOS=1;"}, {"DROP12", "PROPS12"},
  };
  ASSERT_TRUE(m_doc.m_panels.OpenFrame(0, &m_doc));
  CMC_ControlPanel::ms_bInCustomize = 1;
  CGadgetsBar bar;
  ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
  ASSERT_EQ(bar.m_aButtons.GetSize(), 13);
  for (int kind = 0; kind < 13; ++kind) {
    SCOPED_TRACE(kind);
    int opened = 0;
    for (int pass = 0; pass < 2; ++pass) {
      CString text;
      text.Format(kind == 11 ? "APOS" : pass ? "PROPS%d" : "DROP%d", kind);
      DialogAutomation::AddDialogHandler(kinds[kind].dialog, [&](CWnd* dlg) {
        ++opened;
        kinds[kind].fill(dlg, text);
        DialogAutomation::ClickControl(dlg, IDOK);
      });
      if (pass == 0) {
        Drop(bar, kind);
        ASSERT_EQ(m_panel->GetSize(), kind + 1) << LastBox();
      } else {
        EXPECT_TRUE(View()->m_aGadgets[kind]->EditProperties()) << LastBox();
      }
      EXPECT_EQ(kinds[kind].kept(m_panel->GetAt(kind)), expected[kind][pass]);
    }
    EXPECT_EQ(opened, 2);
  }
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
  bar.DestroyWindow();
}

// The panel's own paint order: the gadget's erase comes before its lamps, never after them.
TEST_F(GadgetDialogsTest, InputLampShowsInTheFirstPictureAfterStart) {
  auto* input = new CControlPanelInputItem;
  input->m_rect = CRect(10, 10, 0, 0);
  input->m_nPort = 3;
  input->m_strTitle = "Input 3";
  m_panel->Add(input);
  ASSERT_TRUE(m_doc.m_panels.OpenFrame(0, &m_doc));
  UiAutomation::Pump();
  CMC_ControlPanel::ms_bStarted = 1;
  m_doc.m_panels.BuildMemoryArray(&m_doc);
  m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED, nullptr);
  Clock::Advance(100);
  LONG count = 0;
  ASSERT_TRUE(m_doc.OnIdle(count));
  UiAutomation::Pump();
  auto* gadget = dynamic_cast<CGadgetInputWnd*>(View()->m_aGadgets[0]);
  ASSERT_TRUE(gadget);
  CWnd* low = gadget->GetDlgItem(CGadgetInputWnd::IDC_LOW);
  CRect r;
  low->GetClientRect(&r);
  EXPECT_EQ(GetWindowPixel(low->m_hWnd, r.CenterPoint()), RGB(255, 0, 0));
  SaveWindowImage(m_panel->m_pFrame, dravonix::test::OutputPath("monitor/input-lamp-after-start.png").c_str());
}

}  // namespace
