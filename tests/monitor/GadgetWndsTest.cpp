// The gadget windows in a running panel on the simulated drive: what they show, what they write,
// and every kind's edit dialog opened as the user opens it.
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/ControlPanelBitItem.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "monitor/gadgets/GadgetGaugeWnd.h"
#include "monitor/gadgets/GadgetPortWnds.h"
#include "monitor/gadgets/GadgetScopeWnds.h"
#include "monitor/gadgets/GadgetShowVarWnd.h"
#include "monitor/gadgets/GadgetSimpleWnds.h"
#include "monitor/gadgets/GadgetSliderWnd.h"
#include "monitor/panels/GadgetsBar.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/gdi/ImagePixels.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/support/DialogActs.h"
#include "tests/support/TestKernel.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/monitor/RadioGroupKeys.h"
#include "tests/support/PostedGestures.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

namespace {

enum : UINT { kBarTemplate = 9413 };
const DIALOG_RESOURCE kBar = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 500, 20, "", "MS Sans Serif", 8, nullptr, 0, nullptr};
const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(kBarTemplate), &kBar, sizeof kBar}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_table(kTable);

using HostDoc = PanelHostDoc;


class GadgetWndsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(StartMonitorDrive(Kernel("Configurations/05/05")));
    ASSERT_TRUE(m_setup);
    m_doc.m_pSetup = m_setup.get();
    m_app = std::make_unique<CWinApp>("GadgetTest");
    m_main = new CMDIFrameWnd;
    ASSERT_TRUE(m_main->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
    m_app->m_pMainWnd = m_main;
    m_main->ShowWindow(SW_SHOW);
    m_app->AddDocTemplate(new CMC_ControlPanelDocTemplate(9400, RUNTIME_CLASS(CMC_Document),
                                                          RUNTIME_CLASS(CMC_ControlPanelFrame),
                                                          RUNTIME_CLASS(CMC_ControlPanelView)));
    ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
    ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
    m_panel = new CControlPanelItemArray("Gadgets");
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
    dravonix::test::StopOnlineDrive();
    SetupTest::TearDown();
  }
  template <class Item>
  Item* Add(CRect rect = CRect(10, 10, 0, 0)) {
    auto* item = new Item;
    item->m_rect = rect;
    m_panel->Add(item);
    return item;
  }
  template <class Wnd>
  Wnd* Gadget(int index) {
    auto* view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, m_panel->m_pFrame->GetActiveView());
    return dynamic_cast<Wnd*>(view->m_aGadgets[index]);
  }
  void Open() { ASSERT_TRUE(m_doc.m_panels.OpenFrame(0, &m_doc)); }
  // A gadget's edit dialog opened as the user opens it, by a double click in design mode.
  void EditByDoubleClick(int index) {
    CMC_ControlPanel::ms_bInCustomize = 1;
    Clock::Advance(1000);  // not the second click of an earlier one
    UiAutomation::DoubleClick(Gadget<CGadgetWnd>(index)->m_hWnd, CPoint(2, 2));
  }
  void Start() {
    CMC_ControlPanel::ms_bStarted = 1;
    m_doc.m_panels.BuildMemoryArray(&m_doc);
    m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED, nullptr);
  }
  bool Poll() {
    Clock::Advance(100);
    LONG count = 0;
    return m_doc.OnIdle(count);
  }
  static CString Text(CWnd* w, int id) {
    CString t;
    w->GetDlgItemText(id, t);
    return t;
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
    PostMouseInput(bar.m_aButtons[kind]->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
    UiAutomation::Pump();
    View()->ClientToScreen(&at);
    bar.ScreenToClient(&at);
    PostMouseInput(bar.m_hWnd, WM_LBUTTONUP, 0, POINT{at.x, at.y});
    UiAutomation::Pump();
  }
  static WORD DriveWord(WORD address) {
    WORD word = 0;
    DriveSimulator::ReadMemory(1, CMC_Value::GetMemorySpace(address), address, &word, 1);
    return word;
  }

  // One gadget of each kind that names variables, on APOS: each of their variable lists.
  struct VariableList {
    int gadget;
    UINT dialog;
    int combo;
  };
  std::vector<VariableList> AddVariableKinds() {
    for (int k : {0, 1, 5, 6, 7, 8, 9}) {
      auto* item = static_cast<CControlPanelItem*>(CMC_ControlPanelView::msc_aLinks[k].pItemClass->CreateObject());
      item->m_rect = CRect(10 + 215 * (m_panel->GetSize() % 3), 10 + 160 * (m_panel->GetSize() / 3), 0, 0);
      if (auto* bit = dynamic_cast<CControlPanelBitItem*>(item)) bit->m_strVariable = "APOS";
      if (auto* two = dynamic_cast<CControlPanelDoubleScopeItem*>(item)) two->m_var.m_strName = two->m_var2.m_strName = "APOS";
      if (auto* one = dynamic_cast<CControlPanelShowVarItem*>(item)) one->m_var.m_strName = "APOS";
      if (auto* one = dynamic_cast<CControlPanelGaugeItem*>(item)) one->m_var.m_strName = "APOS";
      if (auto* one = dynamic_cast<CControlPanelScopeItem*>(item)) one->m_var.m_strName = "APOS";
      if (auto* one = dynamic_cast<CControlPanelSliderItem*>(item)) one->m_var.m_strName = "APOS";
      m_panel->Add(item);
    }
    m_panel->m_nFrameWidth = 800;
    m_panel->m_nFrameHeight = 500;
    return {{0, 14007, 14052}, {1, 14010, 14052}, {2, 14006, 14052}, {3, 14008, 14052}, {3, 14008, 14053},
            {4, 14009, 14053}, {5, 14015, 14052}, {6, 14011, 14052}};
  }
  // Opens gadget `index`'s dialog by a double click on a point of it that no other gadget covers.
  void EditAtFreeSpot(int index) {
    CGadgetWnd* gadget = Gadget<CGadgetWnd>(index);
    CRect r;
    gadget->GetClientRect(&r);
    CPoint spot(-1, -1);
    for (int y = 2; y < r.bottom && spot.x < 0; y += 4)
      for (int x = 2; x < r.right && spot.x < 0; x += 4) {
        CPoint screen(x, y);
        gadget->ClientToScreen(&screen);
        if (CWnd::WindowFromPoint(screen) == gadget) spot = CPoint(x, y);
      }
    CMC_ControlPanel::ms_bInCustomize = 1;
    Clock::Advance(1000);
    UiAutomation::DoubleClick(gadget->m_hWnd, spot);
  }
  SetupPtr m_setup;
  // A slider gadget on a word of the drive, its panel open and started.
  CGadgetSliderWnd* OpenSlider(CControlPanelSliderItem*& item) {
    item = Add<CControlPanelSliderItem>();
    item->m_var.m_strName = "int@0x8300";
    Open();
    Start();
    return Gadget<CGadgetSliderWnd>(0);
  }

  HostDoc m_doc;
  std::unique_ptr<CWinApp> m_app;
  CMDIFrameWnd* m_main = nullptr;
  CControlPanelItemArray* m_panel = nullptr;
};

void SelectFirst(CWnd* dlg, int id) {
  char first[256] = {};
  ::SendMessage(::GetDlgItem(dlg->m_hWnd, id), CB_GETLBTEXT, 0, (LPARAM)first);
  EXPECT_TRUE(DialogAutomation::SelectItem(dlg, id, first)) << id;
}

// The entries of a dialog's combo box, in order.
std::vector<std::string> ComboEntries(CWnd* dlg, int id) {
  std::vector<std::string> entries;
  const int count = (int)dlg->SendDlgItemMessage(id, CB_GETCOUNT);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    dlg->SendDlgItemMessage(id, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
    entries.push_back(text);
  }
  return entries;
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

TEST_F(GadgetWndsTest, EveryKindOpensFromTheBarAndFromPropertiesAndKeepsWhatWasTyped) {
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
  DialogAutomation::Reset();
  Automation::Instance().ClearHelpCalls();
  m_panel->m_nFrameX = m_panel->m_nFrameY = 0;
  m_panel->m_nFrameWidth = 800;
  m_panel->m_nFrameHeight = 500;
  Open();
  CMC_ControlPanel::ms_bInCustomize = 1;
  CGadgetsBar bar;
  ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
  m_main->RecalcLayout();  // as a host does with a bar it adds
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
        DialogAutomation::ClickControl(dlg, 9);
        // A press on the axis list takes the default look back from Help, and Enter is OK's.
        if (pass && dlg->GetDlgItem(14050)) {
          dravonix::test::FocusShutAct(14050)(dlg);
          EXPECT_EQ(dravonix::test::DefaultLook(dlg->m_hWnd), "1 ");
          UiAutomation::PressKey(VK_RETURN);
        } else {
          DialogAutomation::ClickControl(dlg, IDOK);
        }
      });
      if (pass == 0) {
        Drop(bar, kind);
        ASSERT_EQ(m_panel->GetSize(), kind + 1) << LastBox();
      } else {
        EditByDoubleClick(kind);
      }
      EXPECT_EQ(kinds[kind].kept(m_panel->GetAt(kind)), expected[kind][pass]);
    }
    EXPECT_EQ(opened, 2);
  }
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
  std::vector<DWORD_PTR> topics;
  for (const auto& h : Automation::Instance().HelpCalls())
    if (h.file == std::string(GetKernelHelpFile())) topics.push_back(h.data);
  EXPECT_EQ(topics, (std::vector<DWORD_PTR>{4112, 4112, 4113, 4113, 4113, 4113, 4114, 4114, 4115, 4115, 4116, 4116,
                                            4117, 4117, 4118, 4118, 4119, 4119, 4120, 4120, 4120, 4120, 4121, 4121,
                                            4122, 4122}));
  bar.DestroyWindow();
}

// Every kind in customize mode under random clicks, Ctrl+clicks, double clicks and drags, each edit
// dialog left by OK or Cancel, Help pressed in some: selection, current gadget, places, the dialogs
// and help topics follow a model, and the panel looks as a full repaint draws it after each step.
TEST_F(GadgetWndsTest, CustomizingEveryKindByMouseFollowsTheModel) {
  const UINT dialogs[13] = {14007, 14010, 14010, 14012, 14013, 14006, 14008, 14009, 14015, 14011, 14011, 14014, 14016};
  const DWORD_PTR topics[13] = {4112, 4113, 4113, 4114, 4115, 4116, 4117, 4118, 4119, 4120, 4120, 4121, 4122};
  for (int k = 0; k < 13; ++k) {
    auto* item = static_cast<CControlPanelItem*>(CMC_ControlPanelView::msc_aLinks[k].pItemClass->CreateObject());
    item->m_rect = CRect(10 + 215 * (k % 4), 10 + 160 * (k / 4), 0, 0);
    m_panel->Add(item);
  }
  m_panel->m_nFrameX = m_panel->m_nFrameY = 0;
  m_panel->m_nFrameWidth = 880;
  m_panel->m_nFrameHeight = 640;
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  CMC_ControlPanelView* v = View();
  ASSERT_EQ(v->m_aGadgets.GetSize(), 13);
  Automation::Instance().ClearHelpCalls();
  auto place = [&](int i) { return CRect(m_panel->GetAt(i)->m_rect); };
  std::vector<CRect> rects;
  for (int i = 0; i < 13; ++i) rects.push_back(place(i));
  std::vector<bool> selected(13);
  int current = -1, opened = 0, doubleClicks = 0;
  std::vector<DWORD_PTR> helps;
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 5141u);
  // A point of gadget `i`'s own client area, not under a control of it or another gadget, in view
  // coordinates; (-1, -1) when none was found.
  auto spot = [&](int i) {
    CWnd* g = v->m_aGadgets[i];
    CRect r;
    g->GetClientRect(&r);
    for (int tries = 0; tries < 40 && r.Width() > 0 && r.Height() > 0; ++tries) {
      CPoint at(r.left + (int)(rng() % r.Width()), r.top + (int)(rng() % r.Height())), in = at;
      g->ClientToScreen(&at);
      if (CWnd::WindowFromPoint(at) != g || ::ChildWindowFromPointEx(g->m_hWnd, in, CWP_SKIPINVISIBLE) != g->m_hWnd)
        continue;
      v->ScreenToClient(&at);
      return at;
    }
    return CPoint(-1, -1);
  };
  auto press = [&](int i, bool ctrl) {
    if (i == current) return;
    if (!selected[i] && !ctrl) std::fill(selected.begin(), selected.end(), false);
    selected[i] = true;
    current = i;
  };
  std::string trail;
  for (int step = 0; step < 60; ++step) {
    Clock::Advance(1000);
    const int op = (int)(rng() % 5), i = (int)(rng() % 13);
    const CPoint at = spot(i);
    trail += std::to_string(op) + "/" + std::to_string(i) + " ";
    CPoint inGadget = at;
    v->ClientToScreen(&inGadget);
    v->m_aGadgets[i]->ScreenToClient(&inGadget);
    HWND g = v->m_aGadgets[i]->m_hWnd;
    if (op == 4) {
      // A click where no gadget stands clears the selection.
      const CPoint empty = EmptySpot();
      if (empty.x < 0) continue;
      UiAutomation::Click(v->m_hWnd, empty);
      std::fill(selected.begin(), selected.end(), false);
      current = -1;
    } else if (at.x < 0) {
      continue;
    } else if (op == 0 || op == 1) {
      UiAutomation::Click(g, inGadget, op == 1 ? UiAutomation::kControl : UiAutomation::kNone);
      press(i, op == 1);
    } else if (op == 2) {
      const bool help = rng() % 2, ok = rng() % 2;
      DialogAutomation::AddDialogHandler(dialogs[i], [&, help, ok](CWnd* dlg) {
        ++opened;
        if (help) DialogAutomation::ClickControl(dlg, 9);
        DialogAutomation::ClickControl(dlg, ok ? IDOK : IDCANCEL);
        if (::IsWindow(dlg->m_hWnd)) DialogAutomation::ClickControl(dlg, IDCANCEL);  // OK refused
      });
      UiAutomation::DoubleClick(g, inGadget);
      ++doubleClicks;
      press(i, false);
      if (help) helps.push_back(topics[i]);
    } else {
      // A drag that keeps every selected gadget and the pointer inside the view moves them all.
      press(i, false);
      CRect client;
      v->GetClientRect(&client);
      const CSize by((int)(rng() % 61) - 30, (int)(rng() % 61) - 30);
      bool inside = client.PtInRect(at + by) != FALSE;
      for (int j = 0; j < 13; ++j)
        if (selected[j]) inside = inside && rects[j].left + by.cx >= 0 && rects[j].top + by.cy >= 0;
      if (!inside) {
        UiAutomation::Click(g, inGadget);
      } else {
        UiAutomation::Drag(g, inGadget, inGadget + by);
        for (int j = 0; j < 13; ++j)
          if (selected[j]) rects[j].OffsetRect(by);
      }
    }
    for (int j = 0; j < 13; ++j) {
      EXPECT_EQ(v->m_aGadgets[j]->m_pItem, m_panel->GetAt(j)) << trail;
      EXPECT_EQ(v->m_aGadgets[j]->m_bSelected != 0, selected[j]) << j << ": " << trail;
      EXPECT_EQ(place(j), rects[j]) << j << ": " << trail;
    }
    EXPECT_EQ(v->m_aGadgets.Find(v->m_pCurrentGadget), current) << trail;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd)) << trail;
    if (::testing::Test::HasFailure()) break;
  }
  std::vector<DWORD_PTR> seen;
  for (const auto& h : Automation::Instance().HelpCalls()) seen.push_back(h.data);
  EXPECT_EQ(seen, helps) << trail;
  EXPECT_EQ(opened, doubleClicks) << trail;
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty()) << trail;
}

// The panel's own paint order: the gadget's erase comes before its lamps, never after them.
// OK with no port chosen: the input's box has the exclamation icon, the output's none.
TEST_F(GadgetWndsTest, NoPortChosenIsRefusedWithEachKindsBox) {
  Add<CControlPanelInputItem>(CRect(10, 10, 0, 0));
  Add<CControlPanelOutputItem>(CRect(300, 10, 0, 0));
  Open();
  const struct {
    UINT dialog;
    UINT type;
  } kinds[] = {{14012, MB_OK | MB_ICONEXCLAMATION}, {14013, MB_OK}};
  for (int i = 0; i < 2; ++i) {
    DialogAutomation::AddDialogHandler(kinds[i].dialog, [](CWnd* dlg) {
      DialogAutomation::ClickControl(dlg, IDOK);
      DialogAutomation::ClickControl(dlg, IDCANCEL);
    });
    Automation::Instance().ClearMessageBoxes();
    EditByDoubleClick(i);
    const auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << i;
    EXPECT_EQ(boxes[0].text, "Please select an item!") << i;
    EXPECT_EQ(boxes[0].caption, AfxGetAppName()) << i;
    EXPECT_EQ(boxes[0].type, kinds[i].type) << i;
  }
}

TEST_F(GadgetWndsTest, InputLampShowsInTheFirstPictureAfterStart) {
  auto* input = Add<CControlPanelInputItem>();
  input->m_nPort = 3;
  input->m_strTitle = "Input 3";
  Open();
  UiAutomation::Pump();
  Start();
  ASSERT_TRUE(Poll());
  UiAutomation::Pump();
  auto* gadget = Gadget<CGadgetInputWnd>(0);
  ASSERT_TRUE(gadget);
  CWnd* low = gadget->GetDlgItem(CGadgetInputWnd::IDC_LOW);
  CRect r;
  low->GetClientRect(&r);
  EXPECT_EQ(GetWindowPixel(low->m_hWnd, r.CenterPoint()), RGB(255, 0, 0));
  SaveWindowImage(m_panel->m_pFrame, dravonix::test::OutputPath("monitor/input-lamp-after-start.png").c_str());
  // After a stop the caption still reads, greyed: some of its pixels are its text's.
  CMC_ControlPanel::ms_bStarted = 0;
  m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STOPPED, nullptr);
  UiAutomation::Pump();
  CWnd* caption = gadget->GetDlgItem(CGadgetInputWnd::IDC_CAPTION);
  caption->GetClientRect(&r);
  int text = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) text += GetRValue(GetWindowPixel(caption->m_hWnd, CPoint(x, y))) < 170;
  EXPECT_GT(text, 0);
}

TEST_F(GadgetWndsTest, SliderWritesTheDriveAndTheDisplayFollows) {
  auto* slider = Add<CControlPanelSliderItem>();
  slider->m_var.m_strName = "int@0x8300";
  auto* show = Add<CControlPanelShowVarItem>(CRect(10, 80, 0, 0));
  show->m_var.m_strName = "int@0x8300";
  auto* input = Add<CControlPanelInputItem>(CRect(10, 120, 0, 0));
  input->m_nPort = 3;
  Add<CControlPanelSliderVertItem>(CRect(300, 10, 0, 0))->m_var.m_strName = "int@0x8302";
  Open();
  auto* sliderWnd = Gadget<CGadgetSliderWnd>(0);
  auto* showWnd = Gadget<CGadgetShowVarWnd>(1);
  auto* inputWnd = Gadget<CGadgetInputWnd>(2);
  ASSERT_TRUE(sliderWnd && showWnd && inputWnd);

  // The value box takes typed text with Enter; a click elsewhere leaves it as Enter does.
  auto type = [&](const char* text) {
    DialogAutomation::TypeInto(sliderWnd, CGadgetSliderWnd::IDC_VALUE, text);
    UiAutomation::PressKey(VK_RETURN);
  };
  auto leave = [&](const char* text) {
    DialogAutomation::TypeInto(sliderWnd, CGadgetSliderWnd::IDC_VALUE, text);
    DialogAutomation::ClickControl(Gadget<CGadgetSliderWnd>(3), CGadgetSliderWnd::IDC_VALUE);
  };
  // Stopped panels write nothing.
  type("500");
  EXPECT_EQ(InterpreterLog(), "");

  Start();
  ASSERT_TRUE(Poll());
  EXPECT_EQ(Text(showWnd, CGadgetShowVarWnd::IDC_VALUE), "0");
  EXPECT_EQ(inputWnd->m_nShownState, 0);
  type("1500");
  EXPECT_EQ(InterpreterLog(), "0x0010\tint@0x8300 = 1000;UPD\n");
  EXPECT_EQ(DriveWord(0x8300), 1000);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(Text(showWnd, CGadgetShowVarWnd::IDC_VALUE), "1000");
  // The value shown is not written again; leaving the box acts as Enter.
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  leave("1000");
  EXPECT_EQ(InterpreterLog(), "");
  leave("250");
  EXPECT_EQ(DriveWord(0x8300), 250);

  // Dragging the thumb writes at every position; the release writes nothing.
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  // To the channel's middle, or a vertical one's top.
  auto drag = [&](CGadgetSliderWnd* w, int to) {
    CRect thumb, channel;
    w->m_slider.GetThumbRect(&thumb);
    w->m_slider.GetChannelRect(&channel);
    const POINT at = w->m_bVertical ? POINT{channel.CenterPoint().x, channel.top} : channel.CenterPoint();
    PostMouseInput(w->m_slider.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, thumb.CenterPoint());
    PostMouseInput(w->m_slider.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, at);
    UiAutomation::Pump();
    const std::string moved = InterpreterLog();
    PostMouseInput(w->m_slider.m_hWnd, WM_LBUTTONUP, 0, at);
    UiAutomation::Pump();
    EXPECT_EQ(moved, InterpreterLog()) << "the release wrote";
    EXPECT_NEAR(to, w->m_slider.GetPos(), 1);
  };
  drag(sliderWnd, sliderWnd->m_slider.GetRangeMax() / 2);
  EXPECT_EQ(InterpreterLog(), "0x0010\tint@0x8300 = 500;UPD\n");
  EXPECT_EQ(DriveWord(0x8300), 500);

  // A vertical slider's top is its maximum.
  auto* vertical = Gadget<CGadgetSliderWnd>(3);
  ASSERT_TRUE(vertical && vertical->m_bVertical);
  drag(vertical, 0);
  EXPECT_EQ(DriveWord(0x8302), 1000);

  // The input lamp follows INSTATUS.
  const WORD instatus = m_setup->FindVariable("INSTATUS")->GetAddress();
  const WORD on = 8;
  DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(instatus), instatus, &on, 1);
  m_doc.m_panels.InvalidateMemory(0, instatus, 1);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(inputWnd->m_nShownState, 1);

  // A refused command disables the item.
  Script("interpreter.dll", "InterpStandIn_Script", "fail 1 drive busy");
  type("7");
  EXPECT_TRUE(slider->m_bDisabled);
}

TEST_F(GadgetWndsTest, ValueDisplayRewritesOnlyChangesAndTitlesFollowTheRule) {
  Add<CControlPanelShowVarItem>()->m_var.m_strName = "float@0x8306";
  Open();
  auto* wnd = Gadget<CGadgetShowVarWnd>(0);
  Start();
  // The drive's float as the panel polls it.
  const auto drive = [&](float value) {
    WORD words[2];
    std::memcpy(words, &value, sizeof words);
    DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(0x8306), 0x8306, words, 2);
    m_doc.m_panels.InvalidateMemory(0, 0x8306, 2);
    Poll();
  };
  drive(5);
  EXPECT_EQ(Text(wnd, CGadgetShowVarWnd::IDC_VALUE), "5");
  wnd->SetDlgItemText(CGadgetShowVarWnd::IDC_VALUE, "x");
  drive(5);
  EXPECT_EQ(Text(wnd, CGadgetShowVarWnd::IDC_VALUE), "x");
  drive(std::nanf(""));
  wnd->SetDlgItemText(CGadgetShowVarWnd::IDC_VALUE, "x");
  drive(std::nanf(""));
  EXPECT_NE(Text(wnd, CGadgetShowVarWnd::IDC_VALUE), "x");
  m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED, nullptr);
  EXPECT_EQ(wnd->m_dLastValue, kValueNotShown);

  const struct { BYTE axis; const char* unit; int expression; const char* title; } titles[] = {
      {0, "rot", 0, "APOS[rot]"}, {2, "rot", 0, "{2}APOS[rot]"}, {2, "rot", 1, "{2}expr"}, {0, "\\rot", 0, "APOS"}};
  for (const auto& t : titles) {
    CControlPanelVar var;
    var.m_strName = "APOS";
    var.m_nAxis = t.axis;
    var.m_strUnit = t.unit;
    var.m_bExpression = t.expression;
    EXPECT_EQ(DefaultVarTitle(var), t.title);
  }
  CControlPanelYXScopeItem yx;
  yx.m_var.m_strName = "APOS";
  yx.m_var.m_strUnit = "rot";
  yx.m_var2.m_strName = "ATIME";
  yx.m_var2.m_strUnit = "s";
  CGadgetYXScopeEditDlg yxDialog(nullptr, nullptr, yx);
  yxDialog.OnVariableChanged();
  EXPECT_EQ(yxDialog.m_item.m_strTitle, "APOS[rot](ATIME[s])");
  CControlPanelDoubleScopeItem two;
  two.m_var2.m_strName = "APOS";
  two.m_var2.m_strUnit = "rot";
  CGadgetDoubleScopeEditDlg twoDialog(nullptr, nullptr, two);
  twoDialog.OnVariableChanged();
  EXPECT_EQ(twoDialog.m_item.m_strTitle, ", APOS[rot]");
  CControlPanelBitItem bit;
  bit.m_strVariable = "APOS";
  bit.m_nBit = 3;
  bit.m_nAxis = 2;
  bit.LocateItemVariables(m_setup.get(), nullptr);
  CGadgetBitEditDlg bitDialog(nullptr, nullptr, bit);
  bitDialog.OnVariableChanged();
  EXPECT_EQ(bitDialog.m_item.m_strTitle, "{2}APOS[bit 3]");
  bitDialog.m_item.m_nAxis = 0;
  bitDialog.OnVariableChanged();
  EXPECT_EQ(bitDialog.m_item.m_strTitle, "APOS[bit 3]");
}

TEST_F(GadgetWndsTest, GaugeBarPositionsColoursAndUnlocatedVariable) {
  const struct { double value, min, max; int position; } rows[] = {
      {0, 0, 1000, 0}, {-5, 0, 1000, 0}, {1000, 0, 1000, 65535}, {2000, 0, 1000, 65535},
      {500, 0, 1000, 32768}, {5, 5, 5, 0}, {6, 5, 5, 65535}, {std::nan(""), 0, 1000, 0}};
  for (const auto& r : rows) EXPECT_EQ(GaugePosition(r.value, r.min, r.max), r.position) << r.value;

  auto* white = Add<CControlPanelGaugeItem>();
  white->m_var.m_strName = "APOS";
  white->m_var.m_strUnit = "rot";
  white->m_crColor = 0xFFFFFF;
  auto* lost = Add<CControlPanelGaugeVertItem>(CRect(200, 10, 0, 0));
  lost->m_var.m_strName = "NOSUCH";
  Open();
  auto* whiteWnd = Gadget<CGadgetGaugeWnd>(0);
  auto* lostWnd = Gadget<CGadgetGaugeWnd>(1);
  EXPECT_FALSE(whiteWnd->m_bVertical);
  EXPECT_TRUE(lostWnd->m_bVertical);
  EXPECT_EQ(whiteWnd->m_progress.GetBkColor(), 0u);
  EXPECT_EQ(lostWnd->m_progress.GetBkColor(), 0xFFFFFFu);
  EXPECT_EQ(Text(lostWnd, CGadgetGaugeWnd::IDC_MAX), "");
  EXPECT_EQ(Text(whiteWnd, CGadgetGaugeWnd::IDC_MAX), "1000");
  Start();
  ASSERT_TRUE(Poll());
  EXPECT_EQ(lostWnd->m_progress.GetPos(), 0u);
}

TEST_F(GadgetWndsTest, OutputsSwitchByGenerationAndRefusalsKeepTheShownState) {
  const struct { int generation; short port; int high; const char* text; } commands[] = {
      {3, 3, 1, "OUT(3) = 8"}, {3, 3, 0, "OUT(3) = 0"}, {1, 3, 1, "SOUT#3"}, {1, 3, 0, "ROUT#3"},
      {3, 31, 1, "OUT(31) = -2147483648"}};
  for (const auto& c : commands) EXPECT_EQ(OutputCommand(c.generation, c.port, c.high), c.text);

  auto* output = Add<CControlPanelOutputItem>();
  output->m_nPort = 3;
  auto* unknown = Add<CControlPanelInputItem>(CRect(10, 60, 0, 0));
  unknown->m_nPort = 999;
  Open();
  auto* wnd = Gadget<CGadgetOutputWnd>(0);
  EXPECT_TRUE(unknown->m_bDisabled);
  Start();
  ASSERT_TRUE(Poll());
  DialogAutomation::ClickControl(wnd, CGadgetOutputWnd::IDC_HIGH);
  EXPECT_EQ(InterpreterLog(), "0x0010\tOUT(3) = 8\n");
  EXPECT_EQ(wnd->m_nShownState, 1);
  // An inverted port: "H" drives it low, and an input reading 0 shows 1.
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  output->m_bInverted = 1;
  DialogAutomation::ClickControl(wnd, CGadgetOutputWnd::IDC_HIGH);
  EXPECT_EQ(InterpreterLog(), "0x0010\tOUT(3) = 0\n");
  CControlPanelInputItem inverted;
  inverted.m_nPort = 3;
  inverted.LocateItemVariables(m_setup.get(), nullptr);
  inverted.m_bInverted = 1;
  inverted.UpdateValues(m_doc.m_panels.m_cache);
  EXPECT_EQ(inverted.m_bState, 1);
  // A refused switch disables the item and keeps showing what was shown.
  Script("interpreter.dll", "InterpStandIn_Script", "fail 1 drive busy");
  wnd->SwitchOutput(0);
  EXPECT_TRUE(output->m_bDisabled);
  EXPECT_EQ(output->m_bState, 1);
  EXPECT_EQ(wnd->m_nShownState, 1);
  EXPECT_EQ(wnd->IsDlgButtonChecked(CGadgetOutputWnd::IDC_HIGH), 1u);
  EXPECT_EQ(wnd->IsDlgButtonChecked(CGadgetOutputWnd::IDC_LOW), 0u);
  EXPECT_FALSE(wnd->GetDlgItem(CGadgetOutputWnd::IDC_HIGH)->IsWindowEnabled());
}

// The buttons show the output's state after a press and on every poll, whoever changed the drive's
// word; polls survive a silent drive and items that name nothing.
TEST_F(GadgetWndsTest, OutputButtonsFollowTheStateAndPollsSurviveASilentDrive) {
  Add<CControlPanelOutputItem>()->m_nPort = 3;
  Add<CControlPanelShowVarItem>(CRect(10, 60, 0, 0));  // no variable
  Add<CControlPanelBitItem>(CRect(10, 90, 0, 0))->m_strVariable = "NOSUCH";
  Add<CControlPanelGaugeItem>(CRect(10, 120, 0, 0))->m_var.m_strName = "APOS";
  Open();
  auto* wnd = Gadget<CGadgetOutputWnd>(0);
  const WORD outstatus = m_setup->FindVariable("OUTSTATUS")->GetAddress();
  auto checks = [&] {
    return std::make_pair(wnd->IsDlgButtonChecked(CGadgetOutputWnd::IDC_LOW),
                          wnd->IsDlgButtonChecked(CGadgetOutputWnd::IDC_HIGH));
  };
  const std::pair<UINT, UINT> low{1, 0}, high{0, 1};
  Start();
  ASSERT_TRUE(Poll());
  EXPECT_EQ(checks(), low);
  DialogAutomation::ClickControl(wnd, CGadgetOutputWnd::IDC_HIGH);
  EXPECT_EQ(DriveWord(outstatus) & 8, 8);
  EXPECT_EQ(checks(), high);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(checks(), high);
  // The drive's word changes by itself.
  const WORD words[] = {0, 8};
  for (WORD word : words) {
    DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(outstatus), outstatus, &word, 1);
    ASSERT_TRUE(Poll());
    EXPECT_EQ(checks(), word ? high : low) << word;
  }
  // A refused "L" leaves "H" shown.
  Script("interpreter.dll", "InterpStandIn_Script", "fail 1 drive busy");
  DialogAutomation::ClickControl(wnd, CGadgetOutputWnd::IDC_LOW);
  EXPECT_EQ(checks(), high);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(checks(), high);
  // A drive that stops answering stops the panels; nothing more is sent.
  DriveSimulator::StopAnsweringAtCall(0);
  for (int i = 0; i < 3; ++i) Poll();
  EXPECT_EQ(CMC_ControlPanel::ms_bStarted, 0);
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  DialogAutomation::ClickControl(wnd, CGadgetOutputWnd::IDC_HIGH);
  EXPECT_EQ(InterpreterLog(), "");
  DriveSimulator::ResumeAnswering();
}

TEST_F(GadgetWndsTest, ScopesSampleOnTheirClockAndLayOutTheirLabels) {
  CScopeSampleClock clock;
  clock.Start(20);
  const struct { DWORD now; bool due; } polls[] = {
      {1000, true}, {1010, false}, {1025, true}, {1039, false}, {1040, true}, {1060, false}, {1065, true}};
  for (const auto& p : polls) EXPECT_EQ(clock.IsDue(p.now), p.due) << p.now;
  clock.Start(0);
  EXPECT_TRUE(clock.IsDue(5));
  EXPECT_TRUE(clock.IsDue(5));

  auto* scope = Add<CControlPanelScopeItem>();
  scope->m_var.m_strName = "APOS";
  scope->m_var.m_strUnit = "rot";
  scope->m_nPeriod = 2;
  auto* two = Add<CControlPanelDoubleScopeItem>(CRect(10, 200, 0, 0));
  two->m_var.m_strName = "APOS";
  two->m_var2.m_strName = "NOSUCH";
  auto* yx = Add<CControlPanelYXScopeItem>(CRect(300, 10, 0, 0));
  yx->m_var.m_strName = "APOS";
  yx->m_var2.m_strName = "APOS";
  yx->m_var.m_strUnit = yx->m_var2.m_strUnit = "rot";
  Open();
  auto* scopeWnd = Gadget<CGadgetScopeWnd>(0);
  EXPECT_TRUE(two->m_bDisabled);
  Start();
  EXPECT_EQ(scopeWnd->m_clock.m_nInterval, 20);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(scopeWnd->m_scope.m_nLastPoint, 0);
  EXPECT_EQ(Text(scopeWnd, CGadgetScopeWnd::IDC_VALUE), "0");

  auto* yxWnd = Gadget<CGadgetYXScopeWnd>(2);
  yxWnd->SetWindowPos(nullptr, 0, 0, 4 * yxWnd->m_nLabelWidth, 400, SWP_NOMOVE | SWP_NOZORDER);
  CRect client, trace;
  yxWnd->GetClientRect(&client);
  ASSERT_LT(client.Width(), 4 * yxWnd->m_nLabelWidth + 10);
  yxWnd->m_scope.GetWindowRect(&trace);
  yxWnd->ScreenToClient(&trace);
  EXPECT_EQ(trace, CRect(2, 2, client.Width() - 2, client.Height() - 2));
}

TEST_F(GadgetWndsTest, CodeButtonSendsOnlyWhileRunning) {
  auto* code = Add<CControlPanelCodeItem>();
  code->m_strCode = "APOS=1;";
  auto* label = Add<CControlPanelTextItem>(CRect(10, 60, 0, 0));
  label->m_strText = "Hello";
  Open();
  auto* wnd = Gadget<CGadgetCodeWnd>(0);
  EXPECT_FALSE(wnd->GetDlgItem(CGadgetCodeWnd::IDC_BUTTON)->IsWindowEnabled());
  DialogAutomation::ClickControl(wnd, CGadgetCodeWnd::IDC_BUTTON);
  EXPECT_EQ(InterpreterLog(), "");
  Start();
  EXPECT_TRUE(wnd->GetDlgItem(CGadgetCodeWnd::IDC_BUTTON)->IsWindowEnabled());
  DialogAutomation::ClickControl(wnd, CGadgetCodeWnd::IDC_BUTTON);
  EXPECT_EQ(InterpreterLog(), "0x0010\tAPOS=1;\n");
  code->m_strCode = "NOSUCH=1;";
  DialogAutomation::ClickControl(wnd, CGadgetCodeWnd::IDC_BUTTON);
  EXPECT_TRUE(code->m_bDisabled);
  EXPECT_FALSE(wnd->GetDlgItem(CGadgetCodeWnd::IDC_BUTTON)->IsWindowEnabled());
  auto* labelWnd = Gadget<CGadgetTextWnd>(1);
  EXPECT_EQ(Text(labelWnd, CGadgetTextWnd::IDC_TEXT), "Hello");
  LOGFONT lf;
  labelWnd->m_font.GetLogFont(&lf);
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
}

// Pixels of the gadgets as painted: design-mode bar, lamps, coloured digit, filled label.
TEST_F(GadgetWndsTest, GadgetsPaintTheirColours) {
  auto* gauge = Add<CControlPanelGaugeItem>();
  gauge->m_var.m_strName = "APOS";
  gauge->m_var.m_strUnit = "rot";
  auto* input = Add<CControlPanelInputItem>(CRect(10, 100, 0, 0));
  input->m_nPort = 3;
  auto* bit = Add<CControlPanelBitItem>(CRect(150, 150, 0, 0));  // clear of the input gadget above it
  bit->m_strVariable = "APOS";
  bit->m_crColor1 = 0xFF0000;
  auto* label = Add<CControlPanelTextItem>(CRect(10, 200, 0, 0));
  label->m_bFilled = 1;
  label->m_crBackground = RGB(255, 255, 0);
  Open();
  auto* gaugeWnd = Gadget<CGadgetGaugeWnd>(0);
  auto* inputWnd = Gadget<CGadgetInputWnd>(1);
  auto* bitWnd = Gadget<CGadgetBitWnd>(2);
  auto* labelWnd = Gadget<CGadgetTextWnd>(3);
  auto pixel = [](CWnd* wnd, int id, CPoint at) {
    wnd->UpdateWindow();
    CWnd* child = id ? wnd->GetDlgItem(id) : wnd;
    child->UpdateWindow();
    return GetWindowPixel(child->m_hWnd, at);
  };
  auto centre = [](CWnd* wnd, int id) {
    CRect r;
    wnd->GetDlgItem(id)->GetClientRect(&r);
    return r.CenterPoint();
  };
  // The full bar of design mode, away from its text.
  gaugeWnd->GetDlgItem(CGadgetGaugeWnd::IDC_BAR)->Invalidate();
  EXPECT_EQ(pixel(gaugeWnd, CGadgetGaugeWnd::IDC_BAR, CPoint(4, 4)), RGB(0, 128, 0));

  Start();
  ASSERT_TRUE(Poll());
  EXPECT_EQ(pixel(inputWnd, CGadgetInputWnd::IDC_LOW, centre(inputWnd, CGadgetInputWnd::IDC_LOW)), RGB(255, 0, 0));
  const WORD instatus = m_setup->FindVariable("INSTATUS")->GetAddress(), on = 8;
  DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(instatus), instatus, &on, 1);
  m_doc.m_panels.InvalidateMemory(0, instatus, 1);
  ASSERT_TRUE(Poll());
  EXPECT_EQ(pixel(inputWnd, CGadgetInputWnd::IDC_HIGH, centre(inputWnd, CGadgetInputWnd::IDC_HIGH)), RGB(0, 255, 0));

  const WORD apos = m_setup->FindVariable("APOS")->GetAddress(), one = 1;
  DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(apos), apos, &one, 1);
  m_doc.m_panels.InvalidateMemory(0, apos, 1);
  ASSERT_TRUE(Poll());
  ASSERT_EQ(bit->m_nState, 1);
  CWnd* digit = bitWnd->GetDlgItem(CGadgetBitWnd::IDC_DIGIT);
  digit->Invalidate();
  digit->UpdateWindow();
  CRect r;
  digit->GetClientRect(&r);
  int blue = 0, black = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) {
      const COLORREF c = GetWindowPixel(digit->m_hWnd, CPoint(x, y));
      blue += GetBValue(c) > 200 && GetRValue(c) < 40 && GetGValue(c) < 40;
      black += GetBValue(c) < 60 && GetRValue(c) < 60 && GetGValue(c) < 60;
    }
  EXPECT_GT(blue, 0);
  EXPECT_EQ(black, 0);
  EXPECT_EQ(pixel(labelWnd, CGadgetTextWnd::IDC_TEXT, CPoint(1, 1)), RGB(255, 255, 0));
  SaveWindowImage(m_panel->m_pFrame, dravonix::test::OutputPath("monitor/gadgets.png").c_str());
}

// The rows of the marks' text: "H" and "L" are two separate runs, each at the height of its lamp.
TEST_F(GadgetWndsTest, InputMarksStandApartEachBesideItsLamp) {
  Add<CControlPanelInputItem>()->m_nPort = 3;
  Open();
  auto* wnd = Gadget<CGadgetInputWnd>(0);
  Start();
  ASSERT_TRUE(Poll());
  ASSERT_EQ(wnd->m_nMarkStyle, 0);
  wnd->Invalidate();
  wnd->UpdateWindow();
  SaveWindowImage(wnd, dravonix::test::OutputPath("monitor/input-gadget.png").c_str());
  const CRect marks = wnd->m_rcMarks;
  std::vector<std::pair<int, int>> runs;  // first and last row with text
  for (int y = marks.top; y < marks.bottom; ++y) {
    bool text = false;
    for (int x = marks.left; x < marks.right && !text; ++x) {
      const COLORREF c = GetWindowPixel(wnd->m_hWnd, CPoint(x, y));
      text = GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
    if (!text) continue;
    if (!runs.empty() && runs.back().second == y - 1)
      runs.back().second = y;
    else
      runs.emplace_back(y, y);
  }
  ASSERT_EQ(runs.size(), 2u) << marks.top << ".." << marks.bottom;
  const int lamps[] = {CGadgetInputWnd::IDC_HIGH, CGadgetInputWnd::IDC_LOW};
  for (int i = 0; i < 2; ++i) {
    const CRect lamp = ChildRect(wnd, lamps[i]);
    EXPECT_LT(lamp.top, runs[(size_t)i].second) << i;
    EXPECT_GT(lamp.bottom, runs[(size_t)i].first) << i;
  }
}

TEST_F(GadgetWndsTest, EditDialogsRefuseBadInput) {
  auto* show = Add<CControlPanelShowVarItem>();
  show->m_var.m_strName = "APOS";
  show->m_nPeriod = 5;
  auto* label = Add<CControlPanelTextItem>(CRect(10, 60, 0, 0));
  auto* code = Add<CControlPanelCodeItem>(CRect(10, 120, 0, 0));
  Open();
  std::vector<std::string> boxes;
  DialogAutomation::AddDialogHandler(14007u, [&](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14028, "70000");
    DialogAutomation::ClickControl(dlg, IDOK);
    boxes.push_back(LastBox());
    DialogAutomation::ClickControl(dlg, IDCANCEL);
  });
  EditByDoubleClick(0);
  EXPECT_EQ(show->m_nPeriod, 5);

  std::vector<int> enabled;
  DialogAutomation::AddDialogHandler(14016u, [&](CWnd* dlg) {
    enabled.push_back(dlg->GetDlgItem(14006)->IsWindowEnabled());
    DialogAutomation::ClickControl(dlg, 14020);
    enabled.push_back(dlg->GetDlgItem(14006)->IsWindowEnabled());
    DialogAutomation::TypeInto(dlg, 14000, "Note");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  EditByDoubleClick(1);
  EXPECT_EQ(enabled, (std::vector<int>{0, 1}));
  EXPECT_EQ(label->m_strText, "Note");
  EXPECT_EQ(label->m_bFilled, 1);

  CPoint minimum;
  DialogAutomation::AddDialogHandler(14014u, [&](CWnd* dlg) {
    DialogAutomation::ClickControl(dlg, IDOK);
    boxes.push_back(LastBox());
    DialogAutomation::TypeInto(dlg, 14018, "NOSUCH=1;");
    DialogAutomation::ClickControl(dlg, IDOK);
    boxes.push_back(LastBox());
    MINMAXINFO info = {};
    dlg->SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&info);
    minimum = info.ptMinTrackSize;
    DialogAutomation::TypeInto(dlg, 14018, "APOS=1;");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  EditByDoubleClick(2);
  EXPECT_EQ(code->m_strCode, "APOS=1;");
  EXPECT_EQ(minimum, CPoint(200, 200));
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[0].find("65535"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[1], "Non empty string expected");
  EXPECT_EQ(boxes[2], "Unknown variable \"NOSUCH\".");
}

// The code dialog pulled in by its corner to its least size keeps its three buttons apart.
TEST_F(GadgetWndsTest, TheCodeDialogAtItsLeastSizeKeepsItsButtonsApart) {
  Add<CControlPanelCodeItem>()->m_strCode = "APOS=1;";
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  std::string wrong = "not opened";
  DialogAutomation::AddDialogHandler(14014u, [&](CWnd* dlg) {
    CRect w;
    dlg->GetWindowRect(&w);
    CPoint from(w.right - 2, w.bottom - 2), to = from - CSize(w.Width(), w.Height());
    dlg->ScreenToClient(&from), dlg->ScreenToClient(&to);
    UiAutomation::Drag(dlg->m_hWnd, from, to);
    dlg->GetWindowRect(&w);
    CRect client, ok = ChildRect(dlg, IDOK), cancel = ChildRect(dlg, IDCANCEL), help = ChildRect(dlg, 9), both;
    dlg->GetClientRect(&client);
    wrong = w.Size() != CSize(200, 200) ? "not at its least size" : "";
    if (both.IntersectRect(ok, cancel) || both.IntersectRect(cancel, help)) wrong += " buttons overlap";
    DialogAutomation::ClickControl(dlg, IDCANCEL);
  });
  Clock::Advance(1000);
  UiAutomation::DoubleClick(Gadget<CGadgetCodeWnd>(0)->m_hWnd, CPoint(2, 2));
  EXPECT_EQ(wrong, "");
}

TEST_F(GadgetWndsTest, BitDialogListsTheVariablesAndItsToggleKeepsTheName) {
  auto* show = Add<CControlPanelShowVarItem>();
  show->m_var.m_strName = "APOS";
  auto* bit = Add<CControlPanelBitItem>(CRect(10, 60, 0, 0));
  bit->m_nAxis = 2;
  bit->m_strVariable = "APOS";
  bit->m_strTitle = "Motor";
  bit->m_nBit = 3;
  bit->m_nPeriod = 50;
  bit->m_crColor0 = RGB(1, 2, 3);
  bit->m_crColor1 = RGB(4, 5, 6);
  Open();
  // What the value display offers in either list mode.
  CGadgetEditDlg::ms_bListAllVariables = 0;
  std::vector<std::string> lists[2];
  DialogAutomation::AddDialogHandler(14007u, [&](CWnd* dlg) {
    lists[0] = ComboEntries(dlg, 14052);
    EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14052, ">> List all variables <<"));
    lists[1] = ComboEntries(dlg, 14052);
    dlg->SendDlgItemMessage(14052, CB_SHOWDROPDOWN, FALSE);
    DialogAutomation::ClickControl(dlg, IDCANCEL);
  });
  EditByDoubleClick(0);
  ASSERT_GT(lists[0].size(), 1u);
  ASSERT_GT(lists[1].size(), lists[0].size());

  CGadgetEditDlg::ms_bListAllVariables = 0;
  ClearBoxes();
  struct {
    std::vector<std::string> entries[2];
    CString names[2];
    bool dropped = false;
    int selected = -1;
    std::string afterDown;
  } seen;
  DialogAutomation::AddDialogHandler(14015u, [&](CWnd* dlg) {
    seen.entries[0] = ComboEntries(dlg, 14052);
    seen.names[0] = Text(dlg, 14052);
    EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14052, ">> List all variables <<"));
    seen.entries[1] = ComboEntries(dlg, 14052);
    seen.names[1] = Text(dlg, 14052);
    seen.dropped = dlg->SendDlgItemMessage(14052, CB_GETDROPPEDSTATE) != 0;
    seen.selected = (int)dlg->SendDlgItemMessage(14052, CB_GETCURSEL);
    UiAutomation::PressKey(VK_DOWN);
    seen.afterDown = Text(dlg, 14052).GetString();
    UiAutomation::PressKey(VK_ESCAPE);
    // No axis chosen is no state a user reaches; the refusal is the dialog's own.
    dlg->SendDlgItemMessage(14050, CB_SETCURSEL, (WPARAM)-1);
    DialogAutomation::ClickControl(dlg, IDOK);
    PickEntry(dlg, 14050, 2);
    DialogAutomation::TypeInto(dlg, 14052, "\b");
    DialogAutomation::ClickControl(dlg, IDOK);
    DialogAutomation::TypeInto(dlg, 14052, "APOS");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  EditByDoubleClick(1);
  EXPECT_EQ(CGadgetEditDlg::ms_bListAllVariables, 1);
  CGadgetEditDlg::ms_bListAllVariables = 0;
  EXPECT_EQ(seen.entries[0], lists[0]);
  EXPECT_EQ(seen.entries[1], lists[1]);
  EXPECT_EQ(seen.names[0], "APOS");
  EXPECT_EQ(seen.names[1], "APOS");
  EXPECT_TRUE(seen.dropped);
  // Reached by Up in the dropped list: the list is refilled while it stays dropped and chooses the
  // name put back in the field; Down goes on to the entry after it.
  const auto at = std::find(lists[1].begin(), lists[1].end(), "APOS");
  ASSERT_TRUE(at != lists[1].end() && at + 1 != lists[1].end());
  EXPECT_EQ(seen.selected, at - lists[1].begin());
  EXPECT_EQ(seen.afterDown, at[1]);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Please select an item!", "Non empty string expected"}));
  CString kept;
  kept.Format("%d %s %s %hd %hu %06lx %06lx", bit->m_nAxis, bit->m_strVariable.GetString(), bit->m_strTitle.GetString(),
              bit->m_nBit, bit->m_nPeriod, (unsigned long)bit->m_crColor0, (unsigned long)bit->m_crColor1);
  // The name typed back retitles the gadget by the default rule.
  EXPECT_EQ(kept, "2 APOS {2}APOS[bit 3] 3 50 030201 060504");
}

// A bit beyond the words of a typed variable follows the bit list, which clamps it to the last
// entry; a name that is no variable keeps the bit.
TEST_F(GadgetWndsTest, BitDialogClampsTheBitToTheTypedVariable) {
  const struct {
    const char* typed;
    int entries, selected, bit;
    const char* title;
  } cases[] = {{"APOS", 32, 31, 31, "APOS[bit 31]"}, {"NOSUCH", 0, -1, 40, "Bits"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    m_panel->RemoveAll();
    auto* bit = Add<CControlPanelBitItem>();
    bit->m_strVariable = "double@0x8300";
    bit->m_strTitle = "Bits";
    bit->m_nBit = 40;
    Open();
    int entries = -1, selected = -2;
    DialogAutomation::AddDialogHandler(14015u, [&](CWnd* dlg) {
      DialogAutomation::TypeInto(dlg, 14052, c.typed);
      entries = (int)dlg->SendDlgItemMessage(14047, CB_GETCOUNT);
      selected = (int)dlg->SendDlgItemMessage(14047, CB_GETCURSEL);
      DialogAutomation::ClickControl(dlg, IDOK);
    });
    EditByDoubleClick(0);
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(bit->m_strVariable, c.typed);
    EXPECT_EQ(bit->m_nBit, c.bit);
    EXPECT_EQ(bit->m_strTitle, c.title);
    EXPECT_EQ(bit->m_bDisabled, c.entries == 0);
    m_doc.m_panels.CloseAllFrames();
  }
}

// Every control of every kind stands whole in the client area that a sizing frame (design mode)
// or a border (run mode) leaves; the pictures show the edges that were cut off and the label's
// descenders.
TEST_F(GadgetWndsTest, EveryControlIsWholeInsideTheSizingFrameAndTheBorder) {
  const CPoint places[13] = {{10, 10},  {200, 10}, {10, 160}, {10, 80},   {390, 10}, {190, 160}, {420, 160},
                             {10, 360}, {520, 10}, {140, 80}, {100, 160}, {330, 80}, {480, 80}};
  int labelInk[2] = {};
  for (int design = 1; design >= 0; --design) {
    SCOPED_TRACE(design ? "design" : "run");
    m_panel->RemoveAll();
    for (int kind = 0; kind < 13; ++kind) {
      CObject* made = CMC_ControlPanelView::msc_aLinks[kind].pItemClass->CreateObject();
      auto* item = dynamic_cast<CControlPanelItem*>(made);
      ASSERT_TRUE(item);
      item->m_rect = CRect(places[kind], places[kind]);
      item->m_bBorder = 1;
      m_panel->Add(item);
    }
    dynamic_cast<CControlPanelTextItem*>(m_panel->GetAt(12))->m_strText = "gjpqy";
    m_panel->m_nFrameX = m_panel->m_nFrameY = 0;
    m_panel->m_nFrameWidth = 800;
    m_panel->m_nFrameHeight = 600;
    CMC_ControlPanel::ms_bInCustomize = design;
    Open();
    UiAutomation::Pump();
    auto inside = [&](const char* size, std::initializer_list<int> kinds) {
      for (int kind : kinds) {
        CWnd* gadget = Gadget<CWnd>(kind);
        CRect client, r, both;
        gadget->GetClientRect(&client);
        for (CWnd* child = gadget->GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
          r = ChildRect(gadget, child->GetDlgCtrlID());
          if (r.IsRectEmpty()) continue;  // a caption squeezed to nothing shows nothing
          both.IntersectRect(&r, &client);
          EXPECT_TRUE(both == r) << size << " kind " << kind << ", control " << child->GetDlgCtrlID() << " at " << r.left
                                 << "," << r.top << ".." << r.right << "," << r.bottom << " in " << client.right << "x"
                                 << client.bottom;
          // nor does a neighbour paint over it
          for (CWnd* other = child->GetWindow(GW_HWNDNEXT); other; other = other->GetWindow(GW_HWNDNEXT)) {
            const CRect o = ChildRect(gadget, other->GetDlgCtrlID());
            EXPECT_FALSE(both.IntersectRect(&r, &o)) << size << " kind " << kind << ": " << child->GetDlgCtrlID()
                                                     << " under " << other->GetDlgCtrlID();
          }
        }
      }
    };
    inside("template size", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    // The pictures, in the gadgets' client coordinates.
    CImagePixels picture;
    CPoint origin;
    auto load = [&](int kind) {
      CWnd* gadget = Gadget<CWnd>(kind);
      const std::string path =
          dravonix::test::OutputPath("monitor/whole-" + std::to_string(design) + "-" + std::to_string(kind) + ".png");
      EXPECT_TRUE(SaveWindowImage(gadget, path.c_str()) && picture.Load(path));
      CRect window;
      gadget->GetWindowRect(&window);
      origin = CPoint(0, 0);
      gadget->ClientToScreen(&origin);
      origin -= window.TopLeft();
      return gadget;
    };
    auto pixel = [&](int x, int y) {
      x += origin.x, y += origin.y;
      return x < 0 || y < 0 || x >= picture.width || y >= picture.height ? CLR_INVALID
                                                                            : picture.pixels[(size_t)(y * picture.width + x)];
    };
    auto rows = [&](const CRect& r, int x, const std::function<bool(COLORREF)>& is) {
      int count = 0;
      for (int y = r.top; y < r.bottom; ++y) count += is(pixel(x, y));
      return count;
    };
    // The full green bar of the gauge inside its border.
    CRect bar = ChildRect(load(1), CGadgetGaugeWnd::IDC_BAR);
    EXPECT_EQ(rows(bar, bar.CenterPoint().x, [](COLORREF c) { return c == RGB(0, 128, 0); }), bar.Height() - 2);
    // The lamps' borders, top to bottom.
    CWnd* input = load(3);
    for (int id : {CGadgetInputWnd::IDC_HIGH, CGadgetInputWnd::IDC_LOW}) {
      const CRect lamp = ChildRect(input, id);
      EXPECT_EQ(rows(lamp, lamp.left, [](COLORREF c) { return c == RGB(0, 0, 0); }), lamp.Height()) << id;
    }
    // The buttons' lower edges.
    CWnd* output = load(4);
    for (int id : {CGadgetOutputWnd::IDC_LOW, CGadgetOutputWnd::IDC_HIGH}) {
      const CRect button = ChildRect(output, id);
      EXPECT_EQ(pixel(button.CenterPoint().x, button.bottom - 1), ::GetSysColor(COLOR_3DDKSHADOW)) << id;
    }
    // The label's text ends above its control's last row, in both modes with as many rows.
    const CRect label = ChildRect(load(12), CGadgetTextWnd::IDC_TEXT);
    int last = -1;
    for (int y = label.top; y < label.bottom; ++y)
      for (int x = label.left; x < label.right; ++x)
        if (GetRValue(pixel(x, y)) < 100) {
          last = y;
          ++labelInk[design];
          break;
        }
    EXPECT_LT(last, label.bottom - 1);
    // At their narrowest the rows of scales and ports still fit.
    const auto narrowed = {1, 3, 4, 8, 9};
    for (int kind : narrowed) {
      auto* gadget = Gadget<CGadgetWnd>(kind);
      const int height = gadget->m_pItem->m_rect.Height();
      gadget->SetWindowPos(nullptr, 0, 0, gadget->m_nMinWidth, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    inside("narrowest", narrowed);
    m_doc.m_panels.CloseAllFrames();
  }
  EXPECT_GT(labelInk[0], 0);
  EXPECT_EQ(labelInk[1], labelInk[0]);
}

// In design mode a gadget's frame, dragged by its lower right corner, sizes the gadget within its
// limits; the item keeps the new rectangle and the gadget lays itself out again.
TEST_F(GadgetWndsTest, DraggedFramesSizeTheGadgetWithinItsLimits) {
  Add<CControlPanelGaugeItem>(CRect(10, 10, 0, 0));
  Add<CControlPanelGaugeVertItem>(CRect(300, 10, 0, 0));
  Add<CControlPanelTextItem>(CRect(10, 200, 0, 0));
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  UiAutomation::Pump();
  m_doc.SetModifiedFlag(FALSE);
  const struct {
    int gadget;
    CSize by, grown;  // grown: {-1, -1} for the gadget's least size
  } rows[] = {{0, {60, 40}, {60, 0}}, {1, {0, -400}, {-1, -1}}, {2, {30, 20}, {30, 20}}};
  for (const auto& r : rows) {
    auto* g = Gadget<CGadgetWnd>(r.gadget);
    CRect before, after;
    g->GetWindowRect(&before);
    CPoint corner(before.right - 1, before.bottom - 1);
    g->ScreenToClient(&corner);
    UiAutomation::Drag(g->m_hWnd, corner, corner + r.by);
    UiAutomation::Pump();
    g->GetWindowRect(&after);
    if (r.grown.cx >= 0) {
      EXPECT_EQ(after.Size(), before.Size() + r.grown) << r.gadget;
    } else {
      EXPECT_EQ(after.Height(), g->m_nMinHeight) << r.gadget;
    }
    EXPECT_EQ(after.TopLeft(), before.TopLeft()) << r.gadget;
    View()->ScreenToClient(&after);
    EXPECT_EQ(g->m_pItem->m_rect, after) << r.gadget;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd)) << r.gadget;
  }
  // The horizontal gauge's maximum and its bar follow the new right edge.
  auto* gauge = Gadget<CGadgetGaugeWnd>(0);
  CRect client, label, bar;
  gauge->GetClientRect(&client);
  gauge->GetDlgItem(CGadgetGaugeWnd::IDC_MAX)->GetWindowRect(&label);
  gauge->GetDlgItem(CGadgetGaugeWnd::IDC_BAR)->GetWindowRect(&bar);
  gauge->ScreenToClient(&label);
  gauge->ScreenToClient(&bar);
  EXPECT_EQ(label.right, client.right - 5);
  EXPECT_EQ(bar.right, client.right - 5);
  EXPECT_TRUE(m_doc.IsModified());
}

// A running panel repaints what its polls change, the traces included, as a full repaint draws it.
TEST_F(GadgetWndsTest, PolledGadgetsShowWhatAFullRepaintShows) {
  auto* gauge = Add<CControlPanelGaugeItem>();
  gauge->m_var.m_strName = "int@0x8300";
  gauge->m_var.m_dMax = 1000;
  Add<CControlPanelGaugeVertItem>(CRect(600, 10, 0, 0))->m_var.m_strName = "int@0x8300";
  Add<CControlPanelScopeItem>(CRect(10, 100, 0, 0))->m_var.m_strName = "int@0x8300";
  auto* yx = Add<CControlPanelYXScopeItem>(CRect(300, 100, 0, 0));
  yx->m_var.m_strName = "int@0x8300";
  yx->m_var2.m_strName = "int@0x8302";
  Add<CControlPanelInputItem>(CRect(10, 300, 0, 0))->m_nPort = 3;
  Add<CControlPanelShowVarItem>(CRect(300, 300, 0, 0))->m_var.m_strName = "int@0x8302";
  Open();
  Start();
  for (WORD k = 0; k < 6; ++k) {
    const WORD words[2] = {(WORD)(k * 150), (WORD)(900 - k * 100)};
    DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(0x8300), 0x8300, words, 2);
    Poll();
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd)) << k;
  }
  EXPECT_EQ(Gadget<CGadgetScopeWnd>(2)->m_scope.m_nLastPoint, 5);
}

// The edit dialogs' colour buttons: the colour chosen shows at once in its sample and is kept on OK.
TEST_F(GadgetWndsTest, ColourButtonsShowTheChosenColourAndKeepIt) {
  auto* gauge = Add<CControlPanelGaugeItem>();
  gauge->m_var.m_strName = "int@0x8300";
  auto* bit = Add<CControlPanelBitItem>(CRect(10, 100, 0, 0));
  bit->m_strVariable = "int@0x8300";
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 200);
  const struct {
    int gadget;
    UINT dialog;
    std::vector<std::pair<int, COLORREF>> buttons;  // button, colour chosen
    std::function<std::vector<COLORREF>()> kept;
  } rows[] = {
      {0, IDD_GADGET_GAUGE, {{IDC_GADGET_COLOR, red}}, [&] { return std::vector<COLORREF>{gauge->m_crColor}; }},
      {1, IDD_GADGET_BIT, {{IDC_GADGET_COLOR, red}, {IDC_GADGET_COLOR2, blue}},
       [&] { return std::vector<COLORREF>{bit->m_crColor0, bit->m_crColor1}; }},
  };
  for (const auto& r : rows) {
    std::vector<int> off;
    DialogAutomation::AddDialogHandler(r.dialog, [&](CWnd* dlg) {
      for (const auto& [button, colour] : r.buttons) {
        DialogAutomation::PushColorResult(colour);
        DialogAutomation::ClickControl(dlg, button);
        off.push_back(dravonix::test::PixelsOffFullRepaint(dlg->m_hWnd));
      }
      DialogAutomation::ClickControl(dlg, IDOK);
    });
    EditByDoubleClick(r.gadget);
    EXPECT_EQ(off, std::vector<int>(r.buttons.size(), 0)) << r.gadget;
    std::vector<COLORREF> chosen;
    for (const auto& b : r.buttons) chosen.push_back(b.second);
    EXPECT_EQ(r.kept(), chosen) << r.gadget;
  }
}

}  // namespace

// Every pixel of a window's frame (its window rectangle outside the client area), as last painted.
std::vector<COLORREF> FramePixels(HWND wnd) {
  CRect window, client;
  ::GetWindowRect(wnd, &window);
  ::ScreenToClient(wnd, &window.TopLeft());
  ::ScreenToClient(wnd, &window.BottomRight());
  ::GetClientRect(wnd, &client);
  std::vector<COLORREF> out;
  for (int y = window.top; y < window.bottom; ++y)
    for (int x = window.left; x < window.right; ++x)
      if (!client.PtInRect(CPoint(x, y))) out.push_back(GetWindowPixel(wnd, CPoint(x, y)));
  return out;
}

// In design mode the view paints over its gadgets' sizing frames and their value boxes' borders;
// all of them are drawn again after it.
TEST_F(GadgetWndsTest, DesignFramesSurviveARepaintOfTheView) {
  Add<CControlPanelShowVarItem>();
  Add<CControlPanelOutputItem>(CRect(10, 60, 0, 0));
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  UiAutomation::Pump();
  const HWND framed[] = {Gadget<CWnd>(0)->m_hWnd, ::GetDlgItem(Gadget<CWnd>(0)->m_hWnd, CGadgetShowVarWnd::IDC_VALUE),
                         Gadget<CWnd>(1)->m_hWnd, ::GetDlgItem(Gadget<CWnd>(1)->m_hWnd, CGadgetOutputWnd::IDC_LOW)};
  ASSERT_TRUE(Gadget<CWnd>(0)->GetStyle() & WS_THICKFRAME);
  SaveWindowImage(m_panel->m_pFrame, dravonix::test::OutputPath("monitor/design-before.png").c_str());
  std::vector<std::vector<COLORREF>> before;
  for (HWND w : framed) before.push_back(FramePixels(w));
  View()->Invalidate();
  UiAutomation::Pump();
  for (size_t i = 0; i < std::size(framed); ++i) EXPECT_EQ(FramePixels(framed[i]), before[i]) << i;
  SaveWindowImage(m_panel->m_pFrame, dravonix::test::OutputPath("monitor/design-after.png").c_str());
}

TEST_F(GadgetWndsTest, ASliderOverTheWholeUnsignedLongRangeKeepsItsThumbInside) {
  auto* slider = Add<CControlPanelSliderItem>();
  slider->m_var.m_strName = "ulong@0x8304";
  slider->m_var.m_dMin = 0;
  slider->m_var.m_dMax = 4294967295.0;
  Open();
  auto* wnd = Gadget<CGadgetSliderWnd>(0);
  ASSERT_TRUE(wnd);
  Start();
  const int top = wnd->m_slider.GetRangeMax();
  EXPECT_GT(top, 0);
  EXPECT_EQ(0, wnd->m_slider.GetRangeMin());
  // The drive's word pair as the panel polls it.
  const auto drive = [&](WORD low, WORD high) {
    const WORD words[2] = {low, high};
    DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(0x8304), 0x8304, words, 2);
    m_doc.m_panels.InvalidateMemory(0, 0x8304, 2);
    Poll();
  };
  drive(0xFFFF, 0xFFFF);
  EXPECT_EQ(top, wnd->m_slider.GetPos());
  drive(0, 0x8000);
  EXPECT_NEAR(top / 2.0, wnd->m_slider.GetPos(), 1);
  // The thumb taken to the end writes the maximum.
  CRect thumb;
  wnd->m_slider.GetThumbRect(&thumb);
  UiAutomation::Click(wnd->m_slider.m_hWnd, thumb.CenterPoint());
  EXPECT_EQ(InterpreterLog(), "");
  UiAutomation::PressKey(VK_END);
  EXPECT_EQ(InterpreterLog(), "0x0010\tulong@0x8304 = 4294967295;UPD\n");
}

// A period the user typed out of range stays as typed when a choice of variable saves the dialog
// quietly: no message comes then, no cut value is kept, and OK refuses it.
TEST_F(GadgetWndsTest, AQuietSaveKeepsAPeriodOutOfRangeForOkToRefuse) {
  auto* show = Add<CControlPanelShowVarItem>();
  show->m_var.m_strName = "APOS";
  show->m_nPeriod = 5;
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  std::vector<std::string> shown;
  size_t boxesBeforeOk = 0;
  DialogAutomation::AddDialogHandler(14007u, [&](CWnd* dlg) {
    for (const char* typed : {"70000", "65536"}) {
      DialogAutomation::TypeInto(dlg, 14028, typed);
      EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14052, "APOS"));
      EXPECT_TRUE(DialogAutomation::SelectItem(dlg, 14052, "ATIME"));
      shown.push_back(Text(dlg, 14028).GetString());
    }
    boxesBeforeOk = Boxes().size();
    DialogAutomation::ClickControl(dlg, IDOK);
    shown.push_back(LastBox());
    DialogAutomation::ClickControl(dlg, IDCANCEL);
  });
  Clock::Advance(1000);
  UiAutomation::DoubleClick(Gadget<CGadgetShowVarWnd>(0)->m_hWnd, CPoint(0, 0));
  EXPECT_EQ(shown, (std::vector<std::string>{"70000", "65536", "Please enter an integer between 0 and 65535."}));
  EXPECT_EQ(boxesBeforeOk, 0u);
  EXPECT_EQ(show->m_nPeriod, 5);
  EXPECT_EQ(show->m_var.m_strName, "APOS");
}

// A precision read from a panel file that the list does not offer is kept through OK.
TEST_F(GadgetWndsTest, APrecisionTheListDoesNotOfferIsKeptThroughOk) {
  auto* show = Add<CControlPanelShowVarItem>();
  show->m_var.m_strName = "APOS";
  show->m_var.m_nPrecision = 9;
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  DialogAutomation::AddDialogHandler(14007u, [&](CWnd* dlg) { DialogAutomation::ClickControl(dlg, IDOK); });
  Clock::Advance(1000);
  UiAutomation::DoubleClick(Gadget<CGadgetShowVarWnd>(0)->m_hWnd, CPoint(0, 0));
  EXPECT_EQ(show->m_var.m_nPrecision, 9);
}

// A slider writes a typed number only when the whole text is one: "1,5" or "0x10" in a decimal box
// moves nothing on the drive.
TEST_F(GadgetWndsTest, ASliderWritesOnlyTextsThatAreWholeNumbers) {
  CControlPanelSliderItem* slider = nullptr;
  auto* wnd = OpenSlider(slider);
  ASSERT_TRUE(Poll());
  for (const char* typed : {"1,5", "0x10", "5abc", " 7 ", "+8", "-1e1"}) {
    DialogAutomation::TypeInto(wnd, CGadgetSliderWnd::IDC_VALUE, typed);
    UiAutomation::PressKey(VK_RETURN);
    ASSERT_TRUE(Poll());
  }
  EXPECT_EQ(InterpreterLog(), "0x0010\tint@0x8300 = 7;UPD\n0x0010\tint@0x8300 = 8;UPD\n0x0010\tint@0x8300 = 0;UPD\n");
  EXPECT_EQ(Text(wnd, CGadgetSliderWnd::IDC_VALUE), "0");
}

// A slider whose write the drive refused takes no more input: its box and its thumb are disabled,
// and a drag moves nothing.
TEST_F(GadgetWndsTest, ASliderTheDriveRefusedTakesNoMoreInput) {
  CControlPanelSliderItem* slider = nullptr;
  auto* wnd = OpenSlider(slider);
  ASSERT_TRUE(Poll());
  Script("interpreter.dll", "InterpStandIn_Script", "fail 1 drive busy");
  DialogAutomation::TypeInto(wnd, CGadgetSliderWnd::IDC_VALUE, "7");
  UiAutomation::PressKey(VK_RETURN);
  ASSERT_TRUE(slider->m_bDisabled);
  EXPECT_FALSE(wnd->GetDlgItem(CGadgetSliderWnd::IDC_VALUE)->IsWindowEnabled());
  EXPECT_FALSE(wnd->m_slider.IsWindowEnabled());
  CRect thumb, channel;
  wnd->m_slider.GetThumbRect(&thumb);
  wnd->m_slider.GetChannelRect(&channel);
  UiAutomation::Drag(wnd->m_slider.m_hWnd, thumb.CenterPoint(), channel.CenterPoint());
  EXPECT_EQ(wnd->m_slider.GetPos(), 0);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd));
}

// Up and Down on a shut variable list, in every kind's dialog that has one, from the name shown at
// opening and from a name typed and not yet taken: they step from that name, as the dropped list
// does, never onto the list toggle at entry 0.
TEST_F(GadgetWndsTest, ArrowsOnAShutVariableListStepFromTheNameInItsField) {
  const auto rows = AddVariableKinds();
  Open();
  CGadgetEditDlg::ms_bListAllVariables = 0;
  for (const auto& row : rows)
    for (const char* typed : {"", "ASP"}) {
      SCOPED_TRACE(testing::Message() << row.dialog << " " << row.combo << " '" << typed << "'");
      std::string seen, wanted;
      DialogAutomation::AddDialogHandler(row.dialog, [&](CWnd* dlg) {
        const auto entries = ComboEntries(dlg, row.combo);
        ASSERT_TRUE(dravonix::test::TabTo(dlg->GetDlgItem(row.combo)->m_hWnd));
        UiAutomation::TypeText(typed);
        const std::string from = *typed ? typed : "APOS";
        const auto at = std::find_if(entries.begin() + 1, entries.end(),
                                     [&](const std::string& e) { return e.compare(0, from.size(), from) == 0; });
        ASSERT_TRUE(at != entries.end() && at + 1 != entries.end());
        wanted = at[1] + " " + at[0] + " shut 0";
        UiAutomation::PressKey(VK_DOWN);
        seen = std::string(Text(dlg, row.combo));
        UiAutomation::PressKey(VK_UP);
        seen += " " + std::string(Text(dlg, row.combo)) + (dlg->SendDlgItemMessage(row.combo, CB_GETDROPPEDSTATE) ? " dropped " : " shut ") +
                std::to_string(CGadgetEditDlg::ms_bListAllVariables);
        UiAutomation::PressKey(VK_ESCAPE);
        if (dlg->SendDlgItemMessage(row.combo, CB_GETDROPPEDSTATE)) UiAutomation::PressKey(VK_ESCAPE);
      });
      EditAtFreeSpot(row.gadget);
      EXPECT_EQ(seen, wanted);
      CGadgetEditDlg::ms_bListAllVariables = 0;
    }
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}

// Every gadget dialog's variable list, by a click on the entry that lists all variables and by keys.
TEST_F(GadgetWndsTest, ListingAllVariablesKeepsTheListDroppedAndTheName) {
  const auto rows = AddVariableKinds();
  Open();
  for (const auto& row : rows) {
    CGadgetEditDlg::ms_bListAllVariables = 0;
    std::string seen;
    DialogAutomation::AddDialogHandler(row.dialog, [&](CWnd* dlg) {
      seen = ListAllByClickAndKeys(dlg, row.combo);
      DialogAutomation::ClickControl(dlg, IDCANCEL);
    });
    EditAtFreeSpot(row.gadget);
    EXPECT_EQ(seen, "refilled dropped kept, refilled dropped kept, shut") << row.dialog << " " << row.combo;
  }
  CGadgetEditDlg::ms_bListAllVariables = 0;
}

// The quantity radios of every kind that has them, with expressions chosen: the arrows on a button
// leave them chosen, and on a radio go round the two of its own quantity.
TEST_F(GadgetWndsTest, ArrowsChooseAQuantitysRadiosOnlyWithinItsPair) {
  const struct {
    int kind;
    UINT dialog;
    std::vector<std::vector<int>> groups;
  } rows[] = {{0, 14007, {{14066, 14067}}}, {1, 14010, {{14066, 14067}}}, {5, 14006, {{14066, 14067}}},
              {6, 14008, {{14066, 14067}, {14068, 14069}}}, {7, 14009, {{14066, 14067}, {14068, 14069}}}};
  std::string seen;
  for (const auto& row : rows) {
    auto* item = static_cast<CControlPanelItem*>(CMC_ControlPanelView::msc_aLinks[row.kind].pItemClass->CreateObject());
    item->m_rect = CRect(10, 10, 0, 0);
    std::vector<CControlPanelVar*> vars;
    if (auto* one = dynamic_cast<CControlPanelShowVarItem*>(item)) vars = {&one->m_var};
    if (auto* one = dynamic_cast<CControlPanelGaugeItem*>(item)) vars = {&one->m_var};
    if (auto* one = dynamic_cast<CControlPanelScopeItem*>(item)) vars = {&one->m_var};
    if (auto* two = dynamic_cast<CControlPanelDoubleScopeItem*>(item)) vars = {&two->m_var, &two->m_var2};
    for (CControlPanelVar* var : vars) {
      var->m_bExpression = 1;
      var->m_strName = "APOS+1";
    }
    m_panel->Add(item);
    Open();
    DialogAutomation::AddDialogHandler(row.dialog, [&](CWnd* dlg) {
      const std::string departures = ArrowDepartures(dlg, row.groups);
      if (!departures.empty()) seen += std::to_string(row.dialog) + ":\n" + departures;
      DialogAutomation::ClickControl(dlg, IDCANCEL);
    });
    EditByDoubleClick(0);
    m_doc.m_panels.CloseAllFrames();
    m_panel->RemoveAt(0);
  }
  EXPECT_EQ(seen, "");
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}

// Every key and mouse route to a running panel's inputs, against what a click or Enter sends: the
// drive's command log, where the focus ends and the picture against a full repaint. With the polls
// failed (the flag cleared, the controls still enabled) no route sends anything.
TEST_F(GadgetWndsTest, RunModeRoutesSendWhatTheirClickSends) {
  auto* slider = Add<CControlPanelSliderItem>();
  slider->m_var.m_strName = "int@0x8300";
  Add<CControlPanelOutputItem>(CRect(10, 80, 0, 0))->m_nPort = 3;
  Add<CControlPanelCodeItem>(CRect(10, 120, 0, 0))->m_strCode = "APOS=1;";
  Add<CControlPanelSliderVertItem>(CRect(300, 10, 0, 0))->m_var.m_strName = "int@0x8302";
  Open();
  auto* sliderWnd = Gadget<CGadgetSliderWnd>(0);
  HWND vtrack = Gadget<CGadgetSliderWnd>(3)->m_slider.m_hWnd;
  auto* outputWnd = Gadget<CGadgetOutputWnd>(1);
  auto* codeWnd = Gadget<CGadgetCodeWnd>(2);
  HWND value = sliderWnd->GetDlgItem(CGadgetSliderWnd::IDC_VALUE)->m_hWnd;
  HWND track = sliderWnd->m_slider.m_hWnd;
  HWND high = outputWnd->GetDlgItem(CGadgetOutputWnd::IDC_HIGH)->m_hWnd;
  HWND button = codeWnd->GetDlgItem(CGadgetCodeWnd::IDC_BUTTON)->m_hWnd;
  const WORD word = 0x8300;
  auto wrote = [](long v, int at = 0x8300) {
    char text[64];
    snprintf(text, sizeof text, "0x0010\tint@0x%X = %ld;UPD\n", at, v);
    return std::string(text);
  };
  const std::string wrote300 = wrote(300), code = "0x0010\tAPOS=1;\n";
  // The thumb one line and one page on, as values of the variable's range of 0 to 1000.
  const double range = sliderWnd->m_slider.GetRangeMax();
  const long line = std::lround(1000 / range), page = std::lround(std::max(1.0, std::floor(range / 100)) * 1000 / range);
  auto typed = [&] { DialogAutomation::TypeInto(sliderWnd, CGadgetSliderWnd::IDC_VALUE, "300"); };
  auto key = [](UINT vk, UINT mods = UiAutomation::kNone) { return [=] { UiAutomation::PressKey(vk, mods); }; };
  auto focus = [](HWND h) {
    return [=] {
      if (::IsWindowEnabled(h)) {
        ASSERT_TRUE(dravonix::test::TabTo(h)) << h;
      }
    };
  };
  auto click = [](HWND h) { return [=] { UiAutomation::Click(h, POINT{3, 3}); }; };
  const struct Row {
    const char* route;
    std::function<void()> before, act;
    std::string sent;
    HWND focus;
  } rows[] = {
      {"typed, Enter", typed, key(VK_RETURN), wrote300, value},
      {"typed, Tab", typed, key(VK_TAB), wrote300, track},
      {"typed, Shift+Tab", typed, key(VK_TAB, UiAutomation::kShift), wrote300, vtrack},
      {"typed, output H clicked", typed, click(high), wrote300 + "0x0010\tOUT(3) = 8\n", high},
      {"typed, Escape", typed, key(VK_ESCAPE), "", value},
      {"typed, code button clicked", typed, click(button), wrote300 + code, button},
      {"typed above the maximum, Enter",
       [&] { DialogAutomation::TypeInto(sliderWnd, CGadgetSliderWnd::IDC_VALUE, "2000"); }, key(VK_RETURN),
       "0x0010\tint@0x8300 = 1000;UPD\n", value},
      {"shown value, Enter", focus(value), key(VK_RETURN), "", value},
      {"track bar, Right", focus(track), key(VK_RIGHT), wrote(line), track},
      {"track bar, Page Down", focus(track), key(VK_NEXT), wrote(page), track},
      {"track bar, End", focus(track), key(VK_END), "0x0010\tint@0x8300 = 1000;UPD\n", track},
      {"track bar at its start, Home", focus(track), key(VK_HOME), "", track},
      {"track bar's channel clicked right of the thumb", nullptr,
       [&] {
         CRect thumb;
         sliderWnd->m_slider.GetThumbRect(&thumb);
         UiAutomation::Click(track, POINT{thumb.right + 20, thumb.CenterPoint().y});
       },
       wrote(page), track},
      {"vertical track bar, Up", focus(vtrack), key(VK_UP), wrote(line, 0x8302), vtrack},
      {"vertical track bar, Home", focus(vtrack), key(VK_HOME), wrote(1000, 0x8302), vtrack},
      {"vertical track bar at its bottom, End", focus(vtrack), key(VK_END), "", vtrack},
      {"output H, Space", focus(high), key(VK_SPACE), "0x0010\tOUT(3) = 8\n", high},
      {"output H, clicked", nullptr, click(high), "0x0010\tOUT(3) = 8\n", high},
      {"code button, Space", focus(button), key(VK_SPACE), code, button},
      {"code button, Enter", focus(button), key(VK_RETURN), code, button},
      {"code button, clicked", nullptr, click(button), code, button},
      {"code button, double-clicked", nullptr, [=] { UiAutomation::DoubleClick(button, POINT{3, 3}); }, code + code, button},
      {"output H, double-clicked", nullptr, [=] { UiAutomation::DoubleClick(high, POINT{3, 3}); },
       "0x0010\tOUT(3) = 8\n0x0010\tOUT(3) = 8\n", high},
  };
  Start();
  for (int failed = 0; failed < 2; ++failed)
    for (const Row& row : rows) {
      const std::string trail = std::string(row.route) + (failed ? " (polls failed)" : "");
      const WORD zero = 0;
      CMC_ControlPanel::ms_bStarted = 1;
      for (WORD at : {word, WORD(word + 2)}) {
        DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(at), at, &zero, 1);
        m_doc.m_panels.InvalidateMemory(0, at, 1);
      }
      ASSERT_TRUE(Poll()) << trail;
      if (row.before) row.before();
      CMC_ControlPanel::ms_bStarted = !failed;
      Script("interpreter.dll", "InterpStandIn_Script", "reset");
      row.act();
      EXPECT_EQ(InterpreterLog(), failed ? "" : row.sent) << trail;
      // An output pressed while the polls fail disables the gadget, and its button lets the focus go.
      if (::IsWindowEnabled(row.focus)) EXPECT_EQ(::GetFocus(), row.focus) << trail;
      else EXPECT_TRUE(failed && ::GetFocus() != row.focus) << trail;
      EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd), 0) << trail;
      UiAutomation::Click(value, POINT{3, 3});  // the next row starts from the value box
    }
}

// The hexadecimal box by its mnemonic, by Space and by a click, each after a value typed into each edit
// of the slider's dialog: OK then keeps the same item as after the click (the box's quiet save takes
// the typed text, and the default title, as the click does).
TEST_F(GadgetWndsTest, TheHexadecimalBoxByAnyRouteKeepsWhatWasTyped) {
  auto* item = Add<CControlPanelSliderItem>();
  item->m_var.m_strName = "int@0x8300";
  Open();
  auto state = [&] {
    CString s;
    s.Format("%s|%g|%g|%u|%d", (const char*)item->m_strTitle, item->m_var.m_dMin, item->m_var.m_dMax,
             (unsigned)item->m_nPeriod, (int)item->m_var.m_bHexa);
    return std::string(s);
  };
  const struct { int edit; const char* text; } typed[] = {{14000, "Speed"}, {14062, "-5"}, {14064, "77"}, {14028, "250"}};
  const char* routes[] = {"click", "Alt+H", "Space"};
  for (const auto& t : typed) {
    std::string byClick;
    for (const char* route : routes) {
      const std::string trail = std::to_string(t.edit) + " " + route;
      item->m_strTitle = "";
      item->m_var.m_dMin = 0;
      item->m_var.m_dMax = 1000;
      item->m_nPeriod = 0;
      item->m_var.m_bHexa = 0;
      DialogAutomation::AddDialogHandler(14011u, [&](CWnd* dlg) {
        ASSERT_TRUE(dlg->GetDlgItem(14060)->IsWindowEnabled()) << trail;
        DialogAutomation::TypeInto(dlg, t.edit, t.text);
        if (route == routes[0]) DialogAutomation::ClickControl(dlg, 14060);
        if (route == routes[1]) UiAutomation::PressKey('H', UiAutomation::kAlt);
        if (route == routes[2]) {
          ASSERT_TRUE(dravonix::test::TabTo(dlg->GetDlgItem(14060)->m_hWnd)) << trail;
          UiAutomation::PressKey(VK_SPACE);
        }
        DialogAutomation::ClickControl(dlg, IDOK);
        if (::IsWindow(dlg->m_hWnd)) DialogAutomation::ClickControl(dlg, IDCANCEL);
      });
      EditByDoubleClick(0);
      if (route == routes[0]) byClick = state();
      else EXPECT_EQ(state(), byClick) << trail;
    }
  }
}

// A code holding an ampersand is shown whole: no letter of it becomes a key that sends it.
TEST_F(GadgetWndsTest, ACodeWithAnAmpersandSendsOnlyWhenPressed) {
  Add<CControlPanelOutputItem>()->m_nPort = 3;
  Add<CControlPanelCodeItem>(CRect(10, 60, 0, 0))->m_strCode = "APOS=5&3;";
  Open();
  Start();
  auto* code = Gadget<CGadgetCodeWnd>(1);
  ASSERT_TRUE(dravonix::test::TabTo(Gadget<CGadgetOutputWnd>(0)->GetDlgItem(CGadgetOutputWnd::IDC_HIGH)->m_hWnd));
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  UiAutomation::PressKey('3');
  UiAutomation::PressKey('3', UiAutomation::kAlt);
  EXPECT_EQ(InterpreterLog(), "");
  DialogAutomation::ClickControl(code, CGadgetCodeWnd::IDC_BUTTON);
  EXPECT_EQ(InterpreterLog(), "0x0010\tAPOS=5&3;\n");
}

// A title holding an ampersand is shown whole: no letter of it becomes a key that moves the focus on,
// or presses the button after it.
TEST_F(GadgetWndsTest, ATitleWithAnAmpersandTakesNoKey) {
  Add<CControlPanelOutputItem>()->m_nPort = 3;
  auto* input = Add<CControlPanelInputItem>(CRect(10, 60, 0, 0));
  input->m_nPort = 3;
  input->m_strTitle = "Pump&Valve";
  Add<CControlPanelCodeItem>(CRect(10, 120, 0, 0))->m_strCode = "APOS=1;";
  Open();
  Start();
  HWND high = Gadget<CGadgetOutputWnd>(0)->GetDlgItem(CGadgetOutputWnd::IDC_HIGH)->m_hWnd;
  ASSERT_TRUE(dravonix::test::TabTo(high));
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  UiAutomation::PressKey('V');
  UiAutomation::PressKey('V', UiAutomation::kAlt);
  EXPECT_EQ(InterpreterLog(), "");
  EXPECT_EQ(::GetFocus(), high);
}

// The scope gadgets of a running panel hold nothing a user changes: every mouse and key route on every
// area leaves the traces, the texts, the layout and the drive as they were, moves the focus only where a
// click would, and leaves the picture a full repaint draws; before the first poll, with data, and after
// the drive stopped answering.
TEST_F(GadgetWndsTest, ScopeRoutesInARunningPanelChangeNothing) {
  auto* one = Add<CControlPanelScopeItem>(CRect(10, 10, 0, 0));
  one->m_var.m_strName = "int@0x8300";
  one->m_var.m_dMax = 1000;
  auto* two = Add<CControlPanelDoubleScopeItem>(CRect(10, 170, 0, 0));
  two->m_var.m_strName = "int@0x8300";
  two->m_var2.m_strName = "int@0x8302";
  two->m_bBorder = 1;
  auto* yx = Add<CControlPanelYXScopeItem>(CRect(300, 10, 0, 0));
  yx->m_var.m_strName = "int@0x8300";
  yx->m_var2.m_strName = "int@0x8302";
  // A smaller host keeps each full repaint short.
  m_main->SetWindowPos(nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
  Open();
  UiAutomation::Pump();
  using G = CGadgetScopeWnd;
  auto child = [&](int g, int id) { return Gadget<G>(g)->GetDlgItem(id)->m_hWnd; };
  auto centre = [](HWND h) {
    CRect r;
    ::GetClientRect(h, &r);
    return r.CenterPoint();
  };
  auto state = [&] {
    std::ostringstream s;
    for (int g = 0; g < 3; ++g) {
      auto* w = Gadget<G>(g);
      CRect r;
      w->GetWindowRect(&r);
      const CRect& item = w->m_pItem->m_rect;
      s << g << ": " << r.left << ',' << r.top << ',' << r.Width() << 'x' << r.Height() << " item " << item.left << ','
        << item.top << ',' << item.right << ',' << item.bottom << " last " << w->m_scope.m_nLastPoint << " [";
      for (const auto& trace : w->m_scope.m_aItems)
        for (int i = 0; i < trace.m_aPoints.GetSize(); ++i) s << trace.m_aPoints[i] << ' ';
      s << "]";
      for (int id : {G::IDC_VALUE, G::IDC_MAX, G::IDC_MIN, G::IDC_VALUE2, G::IDC_MAX2, G::IDC_MIN2})
        if (w->GetDlgItem(id)) s << " '" << Text(w, id) << "'";
      s << '\n';
    }
    s << "modified " << m_doc.IsModified();
    return s.str();
  };
  auto key = [](UINT vk, UINT mods = UiAutomation::kNone) { return [=](int) { UiAutomation::PressKey(vk, mods); }; };
  auto click = [&](int id) { return [=](int g) { UiAutomation::Click(child(g, id), centre(child(g, id))); }; };
  auto dbl = [&](int id) { return [=](int g) { UiAutomation::DoubleClick(child(g, id), centre(child(g, id))); }; };
  auto gesture = [&](dravonix::test::Gesture k) {
    return [=](int g) {
      dravonix::test::PostGesture(child(g, G::IDC_TRACE), k, centre(child(g, G::IDC_TRACE)));
      UiAutomation::Pump();
    };
  };
  // Drags from the trace's centre by an offset; a corner drag from the gadget's lower right pixel.
  auto drag = [&](int id, CSize by) {
    return [=](int g) {
      const CPoint from = centre(child(g, id));
      UiAutomation::Drag(child(g, id), from, from + by);
    };
  };
  auto corner = [&](CSize by) {
    return [=, this](int g) {
      HWND h = Gadget<G>(g)->m_hWnd;
      CRect r;
      ::GetWindowRect(h, &r);
      CPoint at(r.right - 1, r.bottom - 1);
      ::ScreenToClient(h, &at);
      UiAutomation::Drag(h, at, at + by);
    };
  };
  enum Focus { kKept, kValue, kValue2, kNext, kPrevious };
  const struct Row {
    const char* route;
    std::function<void(int)> act;
    Focus focus;
    bool fromValue;  // the route starts with the focus in the gadget's value box
  } rows[] = {
      {"trace clicked", click(G::IDC_TRACE), kKept, false},
      {"maximum clicked", click(G::IDC_MAX), kKept, false},
      {"minimum clicked", click(G::IDC_MIN), kKept, false},
      {"value clicked", click(G::IDC_VALUE), kValue, false},
      {"trace double-clicked", dbl(G::IDC_TRACE), kKept, false},
      {"value double-clicked", dbl(G::IDC_VALUE), kValue, false},
      {"second value clicked", click(G::IDC_VALUE2), kValue2, false},
      {"trace dragged past the right and bottom edges", drag(G::IDC_TRACE, {700, 500}), kKept, false},
      {"trace dragged past the view's left and top", drag(G::IDC_TRACE, {-400, -300}), kKept, false},
      {"value dragged across", drag(G::IDC_VALUE, {60, 0}), kValue, false},
      {"lower right corner dragged out", corner({40, 30}), kKept, false},
      {"lower right corner dragged in", corner({-60, -40}), kKept, false},
      {"lower right corner double-clicked",
       [&](int g) {
         HWND h = Gadget<G>(g)->m_hWnd;
         CRect r;
         ::GetWindowRect(h, &r);
         CPoint at(r.right - 1, r.bottom - 1);
         ::ScreenToClient(h, &at);
         UiAutomation::DoubleClick(h, at);
       },
       kKept, false},
      {"trace right-clicked", gesture(dravonix::test::Gesture::kRightClick), kKept, false},
      {"value, Shift+F10", gesture(dravonix::test::Gesture::kShiftF10), kValue, true},
      {"value, Apps", gesture(dravonix::test::Gesture::kApps), kValue, true},
      {"value, Enter", key(VK_RETURN), kValue, true},
      {"value, Escape", key(VK_ESCAPE), kValue, true},
      {"value, End then Shift+Home", [](int) { UiAutomation::PressKey(VK_END); UiAutomation::PressKey(VK_HOME, UiAutomation::kShift); }, kValue, true},
      {"value, typed over", [](int) { UiAutomation::TypeText("7"); UiAutomation::PressKey(VK_DELETE); UiAutomation::PressKey(VK_BACK); }, kValue, true},
      {"value, Tab", key(VK_TAB), kNext, true},
      {"value, Shift+Tab", key(VK_TAB, UiAutomation::kShift), kPrevious, true},
  };
  const char* modes[] = {"no data", "data", "drive silent"};
  Start();
  for (int mode = 0; mode < 3; ++mode) {
    if (mode == 1)
      for (WORD k = 0; k < 4; ++k) {
        const WORD words[2] = {(WORD)(k * 300), (WORD)(900 - k * 200)};
        DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(0x8300), 0x8300, words, 2);
        ASSERT_TRUE(Poll());
      }
    if (mode == 2) {
      DriveSimulator::StopAnsweringAtCall(0);
      for (int i = 0; i < 3; ++i) Poll();
      ASSERT_EQ(CMC_ControlPanel::ms_bStarted, 0);
    }
    for (const Row& row : rows)
      for (int g = 0; g < 3; ++g) {
        const std::string trail = std::string(modes[mode]) + ", gadget " + std::to_string(g) + ", " + row.route;
        HWND value = child(g, G::IDC_VALUE);
        if (row.fromValue && !::IsWindowEnabled(value)) continue;
        if (!strncmp(row.route, "second", 6) && !Gadget<G>(g)->GetDlgItem(G::IDC_VALUE2)) continue;
        // Each route starts from the view's empty spot, or from the value box.
        const CPoint spot = EmptySpot();
        UiAutomation::Click(View()->m_hWnd, spot);
        if (row.fromValue) UiAutomation::Click(value, centre(value));
        m_doc.SetModifiedFlag(FALSE);
        const HWND before = ::GetFocus();
        const HWND view = View()->m_hWnd;
        HWND expected = before;
        if (row.focus == kValue && ::IsWindowEnabled(value)) expected = value;
        if (row.focus == kValue2 && ::IsWindowEnabled(child(g, G::IDC_VALUE2))) expected = child(g, G::IDC_VALUE2);
        if (row.focus == kNext || row.focus == kPrevious) expected = ::GetNextDlgTabItem(view, before, row.focus == kPrevious);
        const std::string was = state();
        Clock::Advance(1000);  // no double click with the last route
        Script("interpreter.dll", "InterpStandIn_Script", "reset");
        DriveSimulator::ClearCallLog();
        row.act(g);
        UiAutomation::Pump();
        EXPECT_EQ(state(), was) << trail;
        EXPECT_EQ(InterpreterLog(), "") << trail;
        std::string calls;
        for (const auto& c : DriveSimulator::CallLog()) calls += std::string(c.function) + ' ';
        EXPECT_EQ(calls, "") << trail;
        EXPECT_EQ(::GetFocus(), expected) << trail;
        EXPECT_TRUE(m_panel->m_pFrame && ::IsWindow(m_panel->m_pFrame->m_hWnd)) << trail;
        EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd), 0) << trail;
      }
  }
  DriveSimulator::ResumeAnswering();
  // In design mode the corner drags size each scope; it lays itself out as a full repaint draws it.
  m_doc.m_panels.CloseAllFrames();
  CMC_ControlPanel::ms_bInCustomize = 1;
  Open();
  UiAutomation::Pump();
  for (CSize by : {CSize(60, 40), CSize(-500, -400)})
    for (int g = 0; g < 3; ++g) {
      auto* w = Gadget<G>(g);
      corner(by)(g);
      UiAutomation::Pump();
      CRect r;
      w->GetWindowRect(&r);
      View()->ScreenToClient(&r);
      EXPECT_EQ(w->m_pItem->m_rect, r) << g << ' ' << by.cx;
      EXPECT_EQ(dravonix::test::PixelsOffFullRepaint(View()->m_hWnd), 0) << g << ' ' << by.cx;
    }
}
