// The panel layout editor in design mode, driven by posted mouse messages on the virtual clock,
// and the gadgets bar that drops new gadgets on a panel.
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/GadgetShowVarWnd.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/panels/GadgetsBar.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/TabTo.h"
#include "tests/support/WindowPicture.h"

#include <functional>
#include <random>
#include <string>

namespace {

enum : UINT { kPanelResource = 9410, kBarTemplate = 9411 };
enum : UINT {
  kAlignLeft = 10020, kSpaceAcross = 10024, kSpaceDown = 10025, kSameSize = 10028,
  kBringFront = 10032, kCopyItems = 10034, kClear = 57632,
};

const DIALOG_RESOURCE kGadget = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 40, 16, "", "MS Sans Serif", 8, nullptr, 0, nullptr};
const DIALOG_RESOURCE kBar = {WS_CHILD | DS_SETFONT | DS_CONTROL, 0, 0, 0, 500, 20, "", "MS Sans Serif", 8, nullptr, 0, nullptr};
const RESOURCE_STRING kStrings[] = {{kPanelResource, "Control Panel"}};
const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, "GADGET_EDITTEST", &kGadget, sizeof kGadget},
    {RT_DIALOG, MAKEINTRESOURCE(kBarTemplate), &kBar, sizeof kBar},
};
const RESOURCE_TABLE kTable = {kStrings, 1, kEntries, 2};
CResourceTableRegistration g_table(kTable);

// The test kind: its properties "dialog" answers as scripted and counts how often it was asked.
class CEditTestGadget : public CGadgetWnd {
  DECLARE_DYNCREATE(CEditTestGadget)

 public:
  static int s_answer, s_edits;
  BOOL EditProperties() override {
    ++s_edits;
    return s_answer;
  }
};
IMPLEMENT_DYNCREATE(CEditTestGadget, CGadgetWnd)
int CEditTestGadget::s_answer = TRUE;
int CEditTestGadget::s_edits = 0;

using HostDoc = PanelHostDoc;

class PanelEditorTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    Clock::UseVirtualTime();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_doc.m_pSetup = m_setup.get();
    m_saved = CMC_ControlPanelView::msc_aLinks[0];
    CMC_ControlPanelView::msc_aLinks[0] = {"GADGET_EDITTEST", RUNTIME_CLASS(CEditTestGadget),
                                           RUNTIME_CLASS(CControlPanelShowVarItem)};
    CEditTestGadget::s_answer = TRUE;
    CEditTestGadget::s_edits = 0;
    m_app = std::make_unique<CWinApp>("PanelEditorTest");
    m_main = new CMDIFrameWnd;
    ASSERT_TRUE(m_main->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
    m_app->m_pMainWnd = m_main;
    m_main->ShowWindow(SW_SHOW);
    m_app->AddDocTemplate(new CMC_ControlPanelDocTemplate(kPanelResource, RUNTIME_CLASS(CMC_Document),
                                                          RUNTIME_CLASS(CMC_ControlPanelFrame),
                                                          RUNTIME_CLASS(CMC_ControlPanelView)));
  }
  void TearDown() override {
    m_doc.m_panels.CloseAllFrames();
    m_doc.m_panels.Reset();
    if (m_main) m_main->DestroyWindow();
    MSG quit;
    while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    m_app.reset();
    CMC_ControlPanelView::msc_aLinks[0] = m_saved;
    CMC_ControlPanel::ms_bInCustomize = 0;
    CMC_ControlPanel::ms_bStarted = 0;
    DialogAutomation::Reset();
    dravonix::test::StopSimulatedDrive();
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    Clock::UseRealTime();
    SetupTest::TearDown();
  }

  // Opens a fresh panel whose gadgets stand on `rects` (panel coordinates).
  CMC_ControlPanelView* Open(std::initializer_list<CRect> rects) {
    m_doc.m_panels.CloseAllFrames();
    m_doc.m_panels.Reset();
    auto* panel = new CControlPanelItemArray("EDIT");
    panel->m_nFrameX = panel->m_nFrameY = 0;
    panel->m_nFrameWidth = 500;
    panel->m_nFrameHeight = 300;
    for (const CRect& r : rects) {
      auto* item = new CControlPanelShowVarItem;
      item->m_rect = r;
      panel->Add(item);
    }
    m_doc.m_panels.m_aPanels.Add(panel);
    CMC_ControlPanel::ms_bInCustomize = 1;
    m_doc.SetModifiedFlag(FALSE);
    if (!m_doc.m_panels.OpenFrame(0, &m_doc) || !panel->m_pFrame) return nullptr;
    auto* view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, panel->m_pFrame->GetActiveView());
    UiAutomation::Pump();
    m_doc.SetModifiedFlag(FALSE);
    return view;
  }
  static CRect ItemRect(CMC_ControlPanelView* v, int i) { return v->m_pPanel->GetAt(i)->m_rect; }
  static void Select(CMC_ControlPanelView* v, std::initializer_list<int> which, int current) {
    v->ClearGadgetSelection();
    for (int i : which) v->m_aGadgets[i]->SetSelected(1);
    v->m_pCurrentGadget = current < 0 ? nullptr : v->m_aGadgets[current];
  }
  static void Command(CWnd* v, UINT id) { v->SendMessage(WM_COMMAND, id, 0); }
  static BOOL Enabled(CMC_ControlPanelView* v, UINT id) {
    CTestCmdUI ui;
    ui.m_nID = id;
    v->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui.m_bEnabled;
  }
  static void SetCtrl(CWnd*, bool down) {
    PostKeyInput(down ? WM_KEYDOWN : WM_KEYUP, VK_CONTROL, down ? 1 : (LPARAM)0xC0000001u);
    UiAutomation::Pump();
  }
  // A press at `pt` of gadget `i`'s client area; the point it makes in the view.
  static CPoint Press(CMC_ControlPanelView* v, int i, CPoint pt, bool ctrl = false) {
    SetCtrl(v, ctrl);
    CWnd* g = v->m_aGadgets[i];
    PostMouseInput(g->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | (ctrl ? MK_CONTROL : 0), POINT{pt.x, pt.y});
    UiAutomation::Pump();
    g->ClientToScreen(&pt);
    v->ScreenToClient(&pt);
    return pt;
  }
  static void Post(CWnd* w, UINT msg, CPoint pt) {
    PostMouseInput(w->m_hWnd, msg, 0, pt);
    UiAutomation::Pump();
  }

  SetupPtr m_setup;
  HostDoc m_doc;
  CMC_ControlPanelView::tagLinks m_saved{};
  std::unique_ptr<CWinApp> m_app;
  CMDIFrameWnd* m_main = nullptr;
};

// The pointer cannot leave the rectangle the press confines it to, so a gadget dragged far up and
// left stops at the view's edges.
TEST_F(PanelEditorTest, ADragStopsAtTheViewsLeftAndTopEdges) {
  CMC_ControlPanelView* v = Open({CRect(100, 80, 200, 100)});
  ASSERT_TRUE(v);
  const CPoint p = Press(v, 0, CPoint(73, 5));
  Post(v, WM_MOUSEMOVE, p - CSize(150, 0));
  Post(v, WM_MOUSEMOVE, p - CSize(150, 150));
  Post(v, WM_LBUTTONUP, p - CSize(150, 150));
  EXPECT_EQ(ItemRect(v, 0).TopLeft(), CPoint(0, 0));
}

TEST_F(PanelEditorTest, MovingFollowsBeyondNinePixelsClicksTwiceToEditAndCtrlCopies) {
  CMC_ControlPanelView* v = Open({CRect(20, 20, 70, 40), CRect(100, 20, 150, 40)});
  ASSERT_TRUE(v);
  // Within 9 pixels nothing follows; the release still moves the gadget there.
  CPoint p = Press(v, 0, CPoint(5, 5));
  EXPECT_EQ(v->m_ptDragStart, p);
  EXPECT_EQ(v->m_pCurrentGadget, v->m_aGadgets[0]);
  CRect clip, client;
  GetClipCursor(&clip);
  v->GetClientRect(&client);
  v->ClientToScreen(&client);
  EXPECT_EQ(clip.left, client.left + p.x - 20);
  EXPECT_EQ(clip.top, client.top + p.y - 20);
  Post(v, WM_MOUSEMOVE, p + CSize(9, 9));
  EXPECT_EQ(ItemRect(v, 0), CRect(20, 20, 70, 40));
  Post(v, WM_LBUTTONUP, p + CSize(9, 0));
  EXPECT_EQ(ItemRect(v, 0), CRect(29, 20, 79, 40));
  EXPECT_TRUE(m_doc.IsModified());
  p = Press(v, 0, CPoint(5, 5));
  Post(v, WM_MOUSEMOVE, p + CSize(10, 0));
  EXPECT_EQ(ItemRect(v, 0).left, 39);
  Post(v, WM_LBUTTONUP, p + CSize(20, 0));
  EXPECT_EQ(ItemRect(v, 0).left, 49);
  EXPECT_EQ(v->m_ptDragStart, CPoint(-1, -1));

  // Clicks in place: two at one point 750 ms apart edit, 751 ms apart do not.
  for (const auto& [wait, edits] : {std::pair{0, 0}, {750, 1}, {751, 1}}) {
    Clock::Advance(wait);
    const CPoint at = Press(v, 1, CPoint(3, 3));
    Post(v, WM_LBUTTONUP, at);
    EXPECT_EQ(CEditTestGadget::s_edits, edits) << wait;
  }
  EXPECT_EQ(ItemRect(v, 1), CRect(100, 20, 150, 40));

  // Ctrl+drag moves copies; Ctrl let go before the first move moves the gadget itself.
  Clock::Advance(1000);
  p = Press(v, 1, CPoint(3, 3), true);
  Post(v, WM_MOUSEMOVE, p + CSize(0, 30));
  Post(v, WM_LBUTTONUP, p + CSize(0, 30));
  ASSERT_EQ(v->m_aGadgets.GetSize(), 3);
  EXPECT_EQ(v->m_pPanel->GetSize(), 3);
  EXPECT_EQ(ItemRect(v, 0), CRect(100, 50, 150, 70));
  EXPECT_EQ(ItemRect(v, 2), CRect(100, 20, 150, 40));
  EXPECT_TRUE(v->m_aGadgets[0]->m_bSelected);
  EXPECT_FALSE(v->m_aGadgets[2]->m_bSelected);
  p = Press(v, 0, CPoint(3, 3), true);
  SetCtrl(v, false);
  Post(v, WM_MOUSEMOVE, p + CSize(0, 30));
  Post(v, WM_LBUTTONUP, p + CSize(0, 30));
  EXPECT_EQ(v->m_aGadgets.GetSize(), 3);
  EXPECT_EQ(ItemRect(v, 0), CRect(100, 80, 150, 100));

  // A press on the view's background forgets the gadget press and starts a band.
  Post(v, WM_LBUTTONDOWN, CPoint(400, 200));
  EXPECT_EQ(v->m_rcBand, CRect(400, 200, 400, 200));
  EXPECT_EQ(v->m_pCurrentGadget, nullptr);
  Post(v, WM_LBUTTONUP, CPoint(400, 200));
  EXPECT_EQ(v->m_rcBand, CRect(-1, -1, -1, -1));
}

// A double click's second press reaches the view as a press too, so it edits the gadget.
TEST_F(PanelEditorTest, ADoubleClickOnAGadgetEditsIt) {
  CMC_ControlPanelView* v = Open({CRect(20, 20, 70, 40)});
  ASSERT_TRUE(v);
  UiAutomation::DoubleClick(v->m_aGadgets[0]->m_hWnd, CPoint(5, 5));
  EXPECT_EQ(CEditTestGadget::s_edits, 1);
  EXPECT_EQ(ItemRect(v, 0), CRect(20, 20, 70, 40));
}

// Moves, bands, copies and commands reached as the user reaches them leave the panel drawn as a full
// repaint draws it: gadgets where their items say, selection frames on exactly the selected ones.
TEST_F(PanelEditorTest, MouseAndMenuEditsLeaveThePanelAsAFullRepaintDrawsIt) {
  CMC_ControlPanelView* v = Open({CRect(20, 20, 70, 40), CRect(120, 60, 170, 80)});
  ASSERT_TRUE(v);
  auto drag = [&](int i, CSize by, bool ctrl) {
    const CPoint p = Press(v, i, CPoint(5, 5), ctrl);
    Post(v, WM_MOUSEMOVE, p + CSize(by.cx / 2, by.cy / 2));
    Post(v, WM_MOUSEMOVE, p + by);
    Post(v, WM_LBUTTONUP, p + by);
    SetCtrl(v, false);
    Clock::Advance(1000);
  };
  auto band = [&](CPoint from, CPoint to) {
    Post(v, WM_LBUTTONDOWN, from);
    Post(v, WM_MOUSEMOVE, CPoint((from.x + to.x) / 2, (from.y + to.y) / 2));
    Post(v, WM_MOUSEMOVE, to);
    Post(v, WM_LBUTTONUP, to);
  };
  auto menu = [&](UINT id) {
    m_main->PostMessage(WM_COMMAND, id);
    UiAutomation::Pump();
  };
  const struct {
    std::function<void()> act;
    int gadgets, selected;
    CRect first;  // item 0
  } steps[] = {
      {[&] { drag(0, CSize(30, 0), false); }, 2, 1, CRect(50, 20, 100, 40)},
      {[&] { band(CPoint(300, 200), CPoint(10, 10)); }, 2, 2, CRect(50, 20, 100, 40)},
      // The band's current gadget is the one nearest its press corner: the second.
      {[&] { menu(kAlignLeft); }, 2, 2, CRect(120, 20, 170, 40)},
      {[&] { drag(1, CSize(0, 40), true); }, 4, 2, CRect(120, 60, 170, 80)},
      {[&] { menu(kClear); }, 2, 0, CRect(120, 20, 170, 40)},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    steps[i].act();
    EXPECT_EQ(v->m_aGadgets.GetSize(), steps[i].gadgets) << i;
    EXPECT_EQ(v->GetSelectedCount(), steps[i].selected) << i;
    EXPECT_EQ(ItemRect(v, 0), steps[i].first) << i;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd)) << i;
  }
}

TEST_F(PanelEditorTest, SpacingAligningOrderingDuplicatingAndDeleting) {
  // Space across of three 50 wide at 0, 60 and 300; free space 10 among four makes gaps of 3.
  CMC_ControlPanelView* v = Open({CRect(0, 0, 50, 20), CRect(60, 30, 110, 50), CRect(300, 60, 350, 80)});
  ASSERT_TRUE(v);
  Select(v, {0, 1}, 0);
  EXPECT_FALSE(Enabled(v, kSpaceAcross));
  EXPECT_TRUE(Enabled(v, kAlignLeft));
  EXPECT_FALSE(Enabled(v, kBringFront));
  Command(v, kSpaceAcross);
  EXPECT_EQ(ItemRect(v, 1).left, 60);
  Select(v, {0, 1, 2}, 0);
  EXPECT_TRUE(Enabled(v, kSpaceAcross));
  Command(v, kSpaceAcross);
  EXPECT_EQ((std::vector<int>{ItemRect(v, 0).left, ItemRect(v, 1).left, ItemRect(v, 2).left}),
            (std::vector<int>{0, 150, 300}));
  EXPECT_TRUE(m_doc.IsModified());
  v = Open({CRect(0, 0, 20, 20), CRect(0, 50, 20, 70), CRect(0, 25, 20, 45), CRect(0, 70, 20, 90)});
  Select(v, {0, 1, 2, 3}, 0);
  Command(v, kSpaceDown);
  EXPECT_EQ((std::vector<int>{ItemRect(v, 0).top, ItemRect(v, 2).top, ItemRect(v, 1).top, ItemRect(v, 3).top}),
            (std::vector<int>{0, 23, 46, 69}));

  // A band right to left selects what left to right does; current is nearest the press corner.
  for (const auto& [from, to, current] : {std::tuple{CPoint(5, 5), CPoint(30, 60), 0}, {CPoint(30, 60), CPoint(5, 5), 1}}) {
    v = Open({CRect(10, 10, 40, 30), CRect(10, 40, 40, 60), CRect(100, 10, 130, 30)});
    Post(v, WM_LBUTTONDOWN, from);
    Post(v, WM_MOUSEMOVE, to);
    Post(v, WM_LBUTTONUP, to);
    EXPECT_EQ((std::vector<int>{v->m_aGadgets[0]->m_bSelected, v->m_aGadgets[1]->m_bSelected, v->m_aGadgets[2]->m_bSelected}),
              (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(v->m_pCurrentGadget, v->m_aGadgets[current]);
    EXPECT_TRUE(m_doc.IsModified());
  }

  // Align left and same size in a view scrolled by 40 work in panel coordinates.
  v = Open({CRect(100, 50, 150, 70), CRect(10, 400, 40, 440)});
  v->ScrollToPosition(CPoint(0, 40));
  Select(v, {0, 1}, 0);
  Command(v, kAlignLeft);
  EXPECT_EQ(ItemRect(v, 1), CRect(100, 400, 130, 440));
  m_doc.SetModifiedFlag(FALSE);
  Command(v, kSameSize);
  EXPECT_EQ(ItemRect(v, 1), CRect(100, 400, 150, 420));
  EXPECT_TRUE(m_doc.IsModified());

  // Bring to front: the first changes nothing but marks modified; another moves with its item.
  v = Open({CRect(0, 0, 30, 20), CRect(40, 0, 70, 20), CRect(80, 0, 110, 20)});
  CControlPanelItem* items[] = {v->m_pPanel->GetAt(0), v->m_pPanel->GetAt(1), v->m_pPanel->GetAt(2)};
  CGadgetWnd* gadgets[] = {v->m_aGadgets[0], v->m_aGadgets[1], v->m_aGadgets[2]};
  Select(v, {0}, 0);
  EXPECT_TRUE(Enabled(v, kBringFront));
  Command(v, kBringFront);
  EXPECT_TRUE(m_doc.IsModified());
  EXPECT_EQ(v->m_pPanel->GetAt(0), items[0]);
  Select(v, {2}, 2);
  Command(v, kBringFront);
  EXPECT_EQ((std::vector<CObject*>{v->m_pPanel->GetAt(0), v->m_pPanel->GetAt(1), v->m_pPanel->GetAt(2)}),
            (std::vector<CObject*>{items[2], items[0], items[1]}));
  EXPECT_EQ(v->m_aGadgets[0], gadgets[2]);
  EXPECT_EQ(v->GetWindow(GW_CHILD), gadgets[2]);
  // The tab order follows the list.
  Select(v, {2}, 2);
  v->RefreshGadgetTabOrder(v->m_aGadgets[2]);
  EXPECT_EQ(v->m_aGadgets[1]->GetWindow(GW_HWNDNEXT), v->m_aGadgets[2]);

  // Duplicate: copies shifted by their width, in front, the current one's copy current.
  Select(v, {1, 2}, 2);
  Command(v, kCopyItems);
  ASSERT_EQ(v->m_aGadgets.GetSize(), 5);
  EXPECT_EQ(ItemRect(v, 0), CRect(30, 0, 60, 20));
  EXPECT_EQ(ItemRect(v, 1), CRect(70, 0, 100, 20));
  EXPECT_EQ(v->m_pCurrentGadget, v->m_aGadgets[1]);
  EXPECT_EQ(v->GetSelectedCount(), 2);
  EXPECT_TRUE(v->m_aGadgets[0]->m_bSelected && v->m_aGadgets[1]->m_bSelected);

  // Delete takes the selected gadgets with the items at their indexes.
  EXPECT_TRUE(Enabled(v, kClear));
  Command(v, kClear);
  EXPECT_EQ(v->m_aGadgets.GetSize(), 3);
  EXPECT_EQ((std::vector<CObject*>{v->m_pPanel->GetAt(0), v->m_pPanel->GetAt(1), v->m_pPanel->GetAt(2)}),
            (std::vector<CObject*>{items[2], items[0], items[1]}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(v->m_aGadgets[i]->m_pItem, v->m_pPanel->GetAt(i));
  EXPECT_EQ(v->m_pCurrentGadget, nullptr);
  // Nothing selected: the commands that need a selection are off and do nothing.
  for (UINT id : {kAlignLeft, kSpaceAcross, kBringFront, kCopyItems, kClear}) {
    EXPECT_FALSE(Enabled(v, id)) << id;
    Command(v, id);
  }
  EXPECT_EQ(v->m_aGadgets.GetSize(), 3);
}

TEST_F(PanelEditorTest, EditingCommandsKeepGadgetsAndItemsTogetherUnderRandomSequences) {
  CMC_ControlPanelView* v = Open({CRect(0, 0, 30, 20), CRect(40, 0, 70, 20), CRect(80, 30, 110, 50), CRect(0, 60, 30, 80)});
  ASSERT_TRUE(v);
  std::vector<CObject*> model;  // the items in list order
  for (int i = 0; i < v->m_pPanel->GetSize(); ++i) model.push_back(v->m_pPanel->GetAt(i));
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 5143u);
  std::string trail;
  for (int step = 0; step < 300; ++step) {
    const int n = (int)model.size(), op = (int)(rng() % 6);
    trail += std::to_string(op);
    std::vector<bool> selected(n);
    for (int i = 0; i < n; ++i) selected[i] = v->m_aGadgets[i]->m_bSelected;
    const int current = v->m_aGadgets.Find(v->m_pCurrentGadget);
    int count = 0;  // a command that is disabled is not run
    for (bool b : selected) count += b;
    switch (op) {
      case 0: {  // a new selection, its current one of it or none
        std::vector<int> which;
        for (int i = 0; i < n; ++i)
          if (rng() % 2) which.push_back(i);
        Select(v, {}, -1);
        for (int i : which) v->m_aGadgets[i]->SetSelected(1);
        v->m_pCurrentGadget = which.empty() || rng() % 4 == 0 ? nullptr : v->m_aGadgets[which[rng() % which.size()]];
        break;
      }
      case 1:
      case 2: {  // bring to front, send to back
        const bool front = op == 1;
        Command(v, front ? kBringFront : kBringFront - 1);
        if (current >= 0 && n >= 2 && count == 1 && current != (front ? 0 : n - 1)) {
          CObject* item = model[current];
          model.erase(model.begin() + current);
          model.insert(front ? model.begin() : model.end(), item);
        }
        break;
      }
      case 3: {  // duplicate: copies of the selection, in list order, in front
        if (n > 12) break;
        const int copies = count;
        Command(v, kCopyItems);
        ASSERT_EQ(v->m_pPanel->GetSize(), n + copies) << trail;
        std::vector<CObject*> now;
        for (int i = 0; i < copies; ++i) now.push_back(v->m_pPanel->GetAt(i));
        now.insert(now.end(), model.begin(), model.end());
        model = now;
        EXPECT_EQ(v->GetSelectedCount(), copies) << trail;
        break;
      }
      case 4: {  // delete the selection
        Command(v, kClear);
        std::vector<CObject*> kept;
        for (int i = 0; i < n; ++i)
          if (!selected[i] || current < 0) kept.push_back(model[i]);
        model = kept;
        break;
      }
      default:
        Command(v, rng() % 2 ? kSpaceAcross : kAlignLeft);
        break;
    }
    ASSERT_EQ(v->m_pPanel->GetSize(), (int)model.size()) << trail;
    ASSERT_EQ(v->m_aGadgets.GetSize(), (int)model.size()) << trail;
    for (int i = 0; i < (int)model.size(); ++i) {
      ASSERT_EQ(v->m_pPanel->GetAt(i), model[i]) << trail << " at " << i;
      ASSERT_EQ(v->m_aGadgets[i]->m_pItem, model[i]) << trail << " at " << i;
    }
    ASSERT_TRUE(!v->m_pCurrentGadget || v->m_aGadgets.Find(v->m_pCurrentGadget) >= 0) << trail;
    if (model.empty()) {  // start again from one gadget
      Command(v, kClear);
      v = Open({CRect(0, 0, 30, 20)});
      ASSERT_TRUE(v);
      model = {v->m_pPanel->GetAt(0)};
    }
  }
}

TEST_F(PanelEditorTest, TheScrollSizeIsTheFarthestEdgesWithRoomInDesignMode) {
  struct Case {
    std::vector<CRect> rects;
    int design;
    CSize size;
  } cases[] = {
      {{}, 1, CSize(50, 50)},
      {{}, 0, CSize(10, 10)},
      {{CRect(0, 0, 4, 3)}, 0, CSize(10, 10)},
      {{CRect(10, 200, 120, 230), CRect(300, 5, 310, 15)}, 1, CSize(360, 280)},
      {{CRect(10, 200, 120, 230), CRect(300, 5, 310, 15)}, 0, CSize(310, 230)},
  };
  CMC_ControlPanelView* v = nullptr;
  for (const Case& c : cases) {
    v = Open({});
    ASSERT_TRUE(v);
    for (const CRect& r : c.rects) {
      auto* item = new CControlPanelShowVarItem;
      item->m_rect = r;
      v->m_pPanel->Add(item);
    }
    CMC_ControlPanel::ms_bInCustomize = c.design;
    v->OnUpdate(nullptr, CMC_ControlPanelView::HINT_REBUILD_ALL, nullptr);
    EXPECT_EQ(v->GetTotalSize(), c.size) << c.rects.size() << " " << c.design;
  }
  // Deleting the farthest gadget shrinks it.
  CMC_ControlPanel::ms_bInCustomize = 1;
  Select(v, {1}, 1);
  Command(v, kClear);
  EXPECT_EQ(v->GetTotalSize(), CSize(170, 280));
}

// Sizing a gadget by its frame ends in the view's scroll size for the gadget's new edges.
TEST_F(PanelEditorTest, SizingAGadgetByItsFrameRecomputesTheScrollSizeWhenItEnds) {
  CMC_ControlPanelView* v = Open({CRect(20, 20, 70, 80), CRect(20, 100, 70, 120)});
  ASSERT_TRUE(v);
  CWnd* g = v->m_aGadgets[0];
  CRect client;
  g->GetClientRect(&client);
  CPoint edge(client.right + 1, client.bottom / 2);
  CPoint screen = edge;
  g->ClientToScreen(&screen);
  ASSERT_EQ(HTRIGHT, g->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
  UiAutomation::Drag(g->m_hWnd, edge, edge + CSize(300, 0));
  EXPECT_EQ(ItemRect(v, 0), CRect(20, 20, 370, 80));
  EXPECT_EQ(v->GetTotalSize(), CSize(420, 170));
  EXPECT_EQ(v->m_pCurrentGadget, g);
  EXPECT_TRUE(m_doc.IsModified());

  // A lone gadget's new size is a change to save as well.
  v = Open({CRect(20, 20, 70, 80)});
  g = v->m_aGadgets[0];
  Clock::Advance(1000);  // no double click
  UiAutomation::Drag(g->m_hWnd, edge, edge + CSize(100, 0));
  EXPECT_EQ(ItemRect(v, 0), CRect(20, 20, 170, 80));
  EXPECT_TRUE(m_doc.IsModified());
}

// The mouse moving a gadget, sizing its frame or drawing a band stays in the view's client area,
// also for moves read after the press confined it: what is dragged far past any side of the view
// stops on that side, scrolled or not.
TEST_F(PanelEditorTest, DragsPastTheViewsEdgesStopOnThem) {
  CMC_ControlPanelView* v = Open({CRect(120, 120, 240, 180), CRect(900, 700, 910, 710)});
  ASSERT_TRUE(v);
  CRect client;
  v->GetClientRect(&client);
  for (const CPoint scroll : {CPoint(0, 0), CPoint(60, 40)}) {
    // The press (on the frame's outermost pixel, or inside), the direction taken, the item's edge
    // that ends where the view's side stops it; a move keeps the size.
    const struct {
      CPoint at;
      CSize by;
      LONG CRect::*edge;
      LONG stop;
      bool move;
    } cases[] = {{{120, 150}, {-900, 0}, &CRect::left, scroll.x, false},
                 {{180, 120}, {0, -900}, &CRect::top, scroll.y, false},
                 {{239, 150}, {900, 0}, &CRect::right, scroll.x + client.right, false},
                 {{180, 179}, {0, 900}, &CRect::bottom, scroll.y + client.bottom, false},
                 {{180, 150}, {-900, 0}, &CRect::left, scroll.x, true},
                 {{180, 150}, {0, -900}, &CRect::top, scroll.y, true},
                 {{180, 150}, {900, 0}, &CRect::left, scroll.x + client.right - 61, true},
                 {{180, 150}, {0, 900}, &CRect::top, scroll.y + client.bottom - 31, true}};
    for (const auto& c : cases) {
      v = Open({CRect(120, 120, 240, 180), CRect(900, 700, 910, 710)});
      v->ScrollToPosition(scroll);
      UiAutomation::Pump();
      Clock::Advance(1000);
      const CPoint from = c.at - scroll;
      UiAutomation::Drag(v->m_hWnd, from, from + c.by);
      CRect want(120, 120, 240, 180);
      if (c.move) want.OffsetRect(c.edge == &CRect::left ? c.stop - want.left : 0, c.edge == &CRect::top ? c.stop - want.top : 0);
      else want.*c.edge = c.stop;
      EXPECT_EQ(ItemRect(v, 0), want) << scroll.x << " " << c.by.cx << " " << c.by.cy << (c.move ? " move" : " size");
    }
    // A band drawn past the bottom right corner takes only the gadget it reaches on the screen.
    v = Open({CRect(120, 120, 240, 180), CRect(900, 700, 910, 710)});
    v->ScrollToPosition(scroll);
    UiAutomation::Pump();
    UiAutomation::Drag(v->m_hWnd, CPoint(20, 20), CPoint(1900, 1900));
    EXPECT_TRUE(v->m_aGadgets[0]->m_bSelected) << scroll.x;
    EXPECT_FALSE(v->m_aGadgets[1]->m_bSelected) << scroll.x;
  }
}

TEST_F(PanelEditorTest, AddingKeepsTheItemOnlyWhenTheDialogIsConfirmed) {
  CMC_ControlPanelView* v = Open({});
  ASSERT_TRUE(v);
  CEditTestGadget::s_answer = FALSE;
  v->AddNewItem(CPoint(30, 40), 0);
  EXPECT_EQ(v->m_aGadgets.GetSize(), 0);
  EXPECT_EQ(v->m_pPanel->GetSize(), 0);
  EXPECT_FALSE(m_doc.IsModified());
  CEditTestGadget::s_answer = TRUE;
  v->AddNewItem(CPoint(30, 40), 0);
  ASSERT_EQ(v->m_pPanel->GetSize(), 1);
  CRect window;
  v->m_aGadgets[0]->GetWindowRect(&window);
  EXPECT_EQ(ItemRect(v, 0), CRect(30, 40, 30 + window.Width(), 40 + window.Height()));
  EXPECT_GT(window.Width(), 10);
  EXPECT_TRUE(m_doc.IsModified());
  // Kinds without a window, or none at all, add nothing.
  for (int kind : {-1, 5, 13}) v->AddNewItem(CPoint(0, 0), kind);
  EXPECT_EQ(v->m_pPanel->GetSize(), 1);
  EXPECT_EQ(CEditTestGadget::s_edits, 2);

  // Saving writes the panel, which loads again with the gadget at the drop point; rename retitles.
  const std::string file = dravonix::test::ScratchDir("panel-editor") + "/added.cp";
  DialogAutomation::PushFileDialogResult(file.c_str());
  Command(v, 10029);
  CControlPanelItemArray loaded;
  ASSERT_TRUE(loaded.Load(file.c_str()));
  ASSERT_EQ(loaded.GetSize(), 1);
  EXPECT_EQ(loaded[0]->m_rect, ItemRect(v, 0));
  m_doc.SetModifiedFlag(FALSE);
  DialogAutomation::AddDialogHandler(14005u, [](CWnd* dlg) {
    DialogAutomation::TypeInto(dlg, 14000, "Renamed");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  Command(v, 10030);
  EXPECT_EQ(v->m_pPanel->m_strName, "Renamed");
  EXPECT_TRUE(m_doc.IsModified());

  // A selected gadget's background is the active caption's colour in design mode.
  CGadgetWnd* g = v->m_aGadgets[0];
  g->SetSelected(1);
  g->UpdateWindow();
  EXPECT_EQ(GetWindowPixel(g->m_hWnd, CPoint(2, 2)), GetSysColor(COLOR_ACTIVECAPTION));
  g->SetSelected(0);
  g->UpdateWindow();
  EXPECT_NE(GetWindowPixel(g->m_hWnd, CPoint(2, 2)), GetSysColor(COLOR_ACTIVECAPTION));
}

TEST_F(PanelEditorTest, GadgetsBarDragsNewGadgetsOntoPanels) {
  CMC_ControlPanelView* v = Open({});
  ASSERT_TRUE(v);
  CGadgetsBar bar;
  ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
  ASSERT_EQ(bar.m_aButtons.GetSize(), 13);
  m_main->RecalcLayout();  // as the host lays out its bars, clear of the panels
  CRect prev, r;
  int tallest = 0;
  for (int i = 0; i < 13; ++i) {
    CGadgetBtn* b = bar.m_aButtons[i];
    EXPECT_EQ(b->GetDlgCtrlID(), 14000 + i);
    b->GetWindowRect(&r);
    bar.ScreenToClient(&r);
    EXPECT_EQ(r.left, i ? prev.right + 5 : 5) << i;
    EXPECT_EQ(r.Size(), CSize(b->m_nWidth, b->m_nHeight));
    tallest = std::max(tallest, r.Height());
    prev = r;
  }
  bar.GetWindowRect(&r);
  EXPECT_EQ(r.Height(), tallest + 10);
  ASSERT_TRUE(bar.m_hCursorDrop && bar.m_hCursorNoDrop);
  // Each button shows its "U" picture; the test kind's row has none and shows the default set.
  bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(GetWindowPixel(bar.m_aButtons[i]->m_hWnd, CPoint(2, 2)), RGB(192, 192, 192)) << i;
  EXPECT_TRUE(bar.m_aButtons[0]->m_hBitmaps[CGadgetBtn::kUp]);
  SaveWindowImage(&bar, dravonix::test::OutputPath("monitor/gadgets-bar.png").c_str());

  // A press posts 6024: the button shows "SU", never pressed; the cursor follows the window below.
  CGadgetBtn* button = bar.m_aButtons[0];
  PostMouseInput(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
  UiAutomation::Pump();
  EXPECT_TRUE(bar.m_bDragging);
  EXPECT_EQ(bar.m_nDragId, 14000);
  EXPECT_TRUE(button->m_bSelected);
  EXPECT_FALSE(button->GetState() & BST_PUSHED);
  EXPECT_EQ(GetWindowPixel(button->m_hWnd, CPoint(2, 2)), RGB(0, 0, 128));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd));
  EXPECT_EQ(GetCursor(), bar.m_hCursorNoDrop);
  CPoint over(200, 100);
  v->ClientToScreen(&over);
  bar.ScreenToClient(&over);
  Post(&bar, WM_MOUSEMOVE, over);
  EXPECT_EQ(GetCursor(), bar.m_hCursorDrop);
  Post(&bar, WM_MOUSEMOVE, CPoint(2, 2));
  EXPECT_EQ(GetCursor(), bar.m_hCursorNoDrop);
  // Released over another window: the button is only deselected.
  Post(&bar, WM_LBUTTONUP, CPoint(2, 2));
  EXPECT_FALSE(bar.m_bDragging);
  EXPECT_FALSE(button->m_bSelected);
  EXPECT_EQ(v->m_pPanel->GetSize(), 0);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd));

  // Released over a panel, designed or running, the gadget is added at the drop point.
  for (int customize : {1, 0}) {
    CMC_ControlPanel::ms_bInCustomize = customize;
    Clock::Advance(1000);  // no double click
    PostMouseInput(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
    UiAutomation::Pump();
    Post(&bar, WM_LBUTTONUP, over + CSize(0, customize ? 0 : 100));
  }
  ASSERT_EQ(v->m_pPanel->GetSize(), 2);
  EXPECT_EQ(ItemRect(v, 0).TopLeft(), CPoint(200, 100));
  EXPECT_EQ(ItemRect(v, 1).TopLeft(), CPoint(200, 200));
  EXPECT_EQ(bar.m_nDragId, -1);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(m_main->m_hWnd));

  // A focused button hands the focus to the main window, which passes it on to its active child's view
  // (the button's own contract: no key or click of a user's gives it the focus).
  button->SetFocus();
  EXPECT_EQ(GetFocus(), v->m_hWnd);
  bar.DestroyWindow();
}

// However the mouse is taken from the bar mid-drag, the drag ends there: no clip, no selected
// button, and a later release over the panel adds nothing.
TEST_F(PanelEditorTest, GadgetsBarDragEndsWhenTheMouseIsTakenAway) {
  CMC_ControlPanelView* v = Open({});
  ASSERT_TRUE(v);
  CWnd other;
  ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), "other", WS_POPUP | WS_VISIBLE, CRect(600, 500, 700, 600), nullptr, 0));
  const CRect screen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const struct {
    const char* how;
    std::function<void(CGadgetsBar&)> take;
  } cases[] = {
      {"another window captures", [&](CGadgetsBar&) { other.SetCapture(); }},
      {"capture released", [](CGadgetsBar&) { ::ReleaseCapture(); }},
      {"cancel mode", [](CGadgetsBar& bar) { bar.SendMessage(WM_CANCELMODE); }},
      {"bar destroyed", [](CGadgetsBar& bar) { bar.DestroyWindow(); }},
  };
  for (const auto& c : cases) {
    CGadgetsBar bar;
    ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
    m_main->RecalcLayout();  // as a host does with a bar it adds
    CGadgetBtn* button = bar.m_aButtons[3];
    Clock::Advance(1000);
    PostMouseInput(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
    UiAutomation::Pump();
    CRect clip;
    ASSERT_TRUE(GetClipCursor(&clip));
    ASSERT_NE(clip, screen) << c.how;
    ASSERT_TRUE(bar.m_bDragging && button->m_bSelected) << c.how;
    const HWND hwnd = bar.m_hWnd;

    c.take(bar);
    UiAutomation::Pump();
    EXPECT_FALSE(bar.m_bDragging) << c.how;
    EXPECT_EQ(bar.m_nDragId, -1) << c.how;
    EXPECT_FALSE(button->m_bSelected) << c.how;
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_EQ(clip, screen) << c.how;
    EXPECT_NE(GetCapture(), hwnd) << c.how;
    if (bar.m_hWnd) {
      CPoint over(200, 100);
      v->ClientToScreen(&over);
      bar.ScreenToClient(&over);
      Post(&bar, WM_LBUTTONUP, over);
      bar.DestroyWindow();
    }
    ::ReleaseCapture();
    EXPECT_EQ(v->m_pPanel->GetSize(), 0) << c.how;
  }
  other.DestroyWindow();
}

// Random presses, moves, releases and capture losses against a model of the drag: dragging or
// not, and how many gadgets the panel holds.
TEST_F(PanelEditorTest, GadgetsBarDragFollowsItsModelUnderRandomInput) {
  CMC_ControlPanelView* v = Open({});
  ASSERT_TRUE(v);
  CGadgetsBar bar;
  ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
  m_main->RecalcLayout();  // as a host does with a bar it adds
  CWnd other;
  ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), "other", WS_POPUP | WS_VISIBLE, CRect(600, 500, 700, 600), nullptr, 0));
  const CRect screen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  // Drops go to points of the view in turn; one that lands on a gadget dropped before adds nothing.
  auto panelPoint = [&](int step) {
    CPoint p(10 + step % 7 * 60, 10 + step / 7 % 8 * 30);
    v->ClientToScreen(&p);
    return p;
  };
  auto inBar = [&](CPoint screenPt) {
    bar.ScreenToClient(&screenPt);
    return screenPt;
  };
  const CPoint elsewhere(2, 2);
  CGadgetBtn* button = bar.m_aButtons[0];
  bool dragging = false, otherHasMouse = false, overView = false;
  int items = 0;
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 7211u);
  std::string trail;
  for (int step = 0; step < 400; ++step) {
    const int op = (int)(rng() % 8);
    trail += std::to_string(op);
    Clock::Advance(1000);  // never a double click
    switch (op) {
      case 0:  // a press reaches the button only while no window holds the mouse
        if (!dragging && !otherHasMouse) {
          PostMouseInput(button->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
          UiAutomation::Pump();
          dragging = true;
        }
        break;
      case 1:
        overView = CWnd::WindowFromPoint(panelPoint(step)) == v;
        Post(&bar, WM_MOUSEMOVE, inBar(panelPoint(step)));
        break;
      case 2: Post(&bar, WM_MOUSEMOVE, elsewhere); break;
      case 3: {
        const CPoint at = panelPoint(step);
        items += dragging && CWnd::WindowFromPoint(at) == v;
        Post(&bar, WM_LBUTTONUP, inBar(at));
        dragging = false;
        break;
      }
      case 4: Post(&bar, WM_LBUTTONUP, elsewhere), dragging = false; break;
      case 5: other.SetCapture(), dragging = false, otherHasMouse = true; break;
      case 6: ::ReleaseCapture(), dragging = false, otherHasMouse = false; break;
      case 7: bar.SendMessage(WM_CANCELMODE), dragging = false; break;
    }
    UiAutomation::Pump();
    CRect clip;
    GetClipCursor(&clip);
    ASSERT_EQ((bool)bar.m_bDragging, dragging) << trail;
    ASSERT_EQ(bar.m_nDragId, dragging ? 14000 : -1) << trail;
    ASSERT_EQ((bool)button->m_bSelected, dragging) << trail;
    ASSERT_EQ(clip != screen, dragging) << trail;
    ASSERT_EQ(GetCapture() == bar.m_hWnd, dragging) << trail;
    if (dragging && (op == 1 || op == 2)) {
      ASSERT_EQ(GetCursor(), op == 1 && overView ? bar.m_hCursorDrop : bar.m_hCursorNoDrop) << trail;
    }
    ASSERT_EQ(v->m_pPanel->GetSize(), items) << trail;
  }
  EXPECT_GT(items, 0);
  ::ReleaseCapture();
  bar.DestroyWindow();
  other.DestroyWindow();
}

TEST_F(PanelEditorTest, DroppedShowValueShowsTheDriveAndSavesWhereItWasDropped) {
  CMC_ControlPanelView::msc_aLinks[0] = m_saved;
  DriveSimulator::Reset();
  CMC_Comm::nShowErr = 0;
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(1));
  CMC_ControlPanelView* v = Open({});
  ASSERT_TRUE(v);
  CGadgetsBar bar;
  ASSERT_TRUE(bar.Create(m_main, kBarTemplate, CBRS_TOP, 0xE810));
  m_main->RecalcLayout();  // as a host does with a bar it adds
  DialogAutomation::AddDialogHandler(14007u, [](CWnd* dlg) {
    DialogAutomation::SelectItem(dlg, 14052, "APOS");
    DialogAutomation::ClickControl(dlg, IDOK);
  });
  PostMouseInput(bar.m_aButtons[0]->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{2, 2});
  UiAutomation::Pump();
  CPoint drop(60, 50);
  v->ClientToScreen(&drop);
  bar.ScreenToClient(&drop);
  Post(&bar, WM_LBUTTONUP, drop);
  ASSERT_EQ(v->m_pPanel->GetSize(), 1);
  auto* item = dynamic_cast<CControlPanelShowVarItem*>(v->m_pPanel->GetAt(0));
  ASSERT_TRUE(item);
  EXPECT_EQ(item->m_var.m_strName, "APOS");
  EXPECT_EQ(item->m_rect.TopLeft(), CPoint(60, 50));
  bar.DestroyWindow();

  // Started with a rebuild, the idle passes show the drive's position; the design mode stays on,
  // as the save command needs it.
  const WORD apos = m_setup->FindVariable("APOS")->GetAddress();
  const WORD word = 1234;
  DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(apos), apos, &word, 1);
  CMC_ControlPanel::ms_bStarted = 1;
  m_doc.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_REBUILD_GADGETS, nullptr);
  for (int i = 0; i < 3; ++i) {
    Clock::Advance(100);
    LONG count = 0;
    m_doc.OnIdle(count);
  }
  CString shown;
  v->m_aGadgets[0]->GetDlgItemText(CGadgetShowVarWnd::IDC_VALUE, shown);
  EXPECT_EQ(shown, "0.617");  // 1234 counts in turns
  v->GetParentFrame()->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SaveWindowImage(v->GetParentFrame(), dravonix::test::OutputPath("monitor/panel-editor-drop.png").c_str());

  const std::string file = dravonix::test::ScratchDir("panel-editor") + "/dropped.cp";
  DialogAutomation::PushFileDialogResult(file.c_str());
  Command(v, 10029);
  CControlPanelItemArray loaded;
  ASSERT_TRUE(loaded.Load(file.c_str())) << LastBox();
  ASSERT_EQ(loaded.GetSize(), 1);
  EXPECT_EQ(loaded[0]->m_rect, item->m_rect);
}

TEST(GadgetBtnTest, TextsNamingNoBitmapFallBackOnceToTheDefaults) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, "Static", "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0));
  struct Case {
    const char* text;
    BOOL selected;
    bool loads;
  };
  for (const Case& c : {Case{"GADGET_SHOWVAR", FALSE, true}, {"NO_SUCH_PICTURE", FALSE, true}, {"NO_SUCH_PICTURE", TRUE, true},
                        {"_NO_SUCH_PICTURE", FALSE, false}}) {
    CGadgetBtn b;
    ASSERT_TRUE(b.Create(c.text, WS_CHILD | WS_VISIBLE, CRect(0, 0, 80, 80), &parent, 100, c.selected));
    EXPECT_EQ(b.m_hBitmaps[CGadgetBtn::kUp] != nullptr, c.loads) << c.text;
    EXPECT_EQ(b.m_hBitmaps[CGadgetBtn::kFocus] != nullptr, c.loads) << c.text;
    EXPECT_EQ(b.m_hBitmaps[CGadgetBtn::kDown], nullptr);
    CRect r;
    b.GetWindowRect(&r);
    if (c.loads) {
      EXPECT_EQ(r.Size(), CSize(b.m_nWidth, b.m_nHeight));
      EXPECT_EQ(GetWindowPixel(b.m_hWnd, CPoint(2, 2)), c.selected ? RGB(0, 0, 128) : RGB(192, 192, 192));
    }
    b.DestroyWindow();
  }
  CGadgetBtn b;
  EXPECT_TRUE(b.LoadBitmaps("GADGET_BITU", nullptr, "GADGET_BITF", nullptr));
  EXPECT_FALSE(b.LoadBitmaps("GADGET_BITU", "GADGET_BITD", nullptr, nullptr));
  EXPECT_TRUE(b.m_hBitmaps[CGadgetBtn::kUp]);
  parent.DestroyWindow();
}

}  // namespace

// Every route out of the rename dialog after a title is typed, against OK and Cancel clicked: the
// panel's title, the document's modified mark, the frame's title, the help asked and the boxes shown.
TEST_F(PanelEditorTest, RenameDialogRoutesStoreWhatOkStores) {
  auto* v = Open({CRect(10, 10, 50, 30)});
  ASSERT_TRUE(v);
  m_doc.m_panels.m_aPanels.Add(new CControlPanelItemArray("Other"));
  auto key = [](UINT vk) { return [=](CWnd*) { UiAutomation::PressKey(vk); }; };
  auto on = [](int id, UINT vk) {
    return [=](CWnd* d) {
      ASSERT_TRUE(dravonix::test::TabTo(d->GetDlgItem(id)->m_hWnd)) << id;
      UiAutomation::PressKey(vk);
    };
  };
  auto click = [](int id) { return [=](CWnd* d) { DialogAutomation::ClickControl(d, id); }; };
  const struct Row {
    const char* route;
    const char* typed;
    std::function<void(CWnd*)> act;
    bool stored;
    const char* box;
    int help;
  } rows[] = {
      {"OK clicked", "Axis", click(IDOK), true, nullptr, 0},
      {"Enter in the title", "Axis", key(VK_RETURN), true, nullptr, 0},
      {"Enter on OK", "Axis", on(IDOK, VK_RETURN), true, nullptr, 0},
      {"Space on OK", "Axis", on(IDOK, VK_SPACE), true, nullptr, 0},
      {"Cancel clicked", "Axis", click(IDCANCEL), false, nullptr, 0},
      {"Escape in the title", "Axis", key(VK_ESCAPE), false, nullptr, 0},
      {"Enter on Cancel", "Axis", on(IDCANCEL, VK_RETURN), false, nullptr, 0},
      {"Space on Cancel", "Axis", on(IDCANCEL, VK_SPACE), false, nullptr, 0},
      {"Alt+F4", "Axis", [](CWnd*) { UiAutomation::PressKey(VK_F4, UiAutomation::kAlt); }, false, nullptr, 0},
      {"Enter on Help", "Axis", on(9, VK_RETURN), false, nullptr, 4101},
      {"Space on Help", "Axis", on(9, VK_SPACE), false, nullptr, 4101},
      {"Enter, a title in use", "OTHER", key(VK_RETURN), false,
       "This title is already used by another control panel view. Please use another", 0},
      {"Enter, no title", "", key(VK_RETURN), false, "Non empty string expected", 0},
  };
  for (const Row& row : rows) {
    v->m_pPanel->m_strName = "EDIT";
    m_doc.m_panels.RenameFrame(0, "EDIT");
    m_doc.SetModifiedFlag(FALSE);
    Automation::Instance().ClearMessageBoxes();
    Automation::Instance().ClearHelpCalls();
    DialogAutomation::AddDialogHandler(14005u, [&](CWnd* d) {
      DialogAutomation::TypeInto(d, 14000, row.typed);
      if (!*row.typed) UiAutomation::PressKey(VK_DELETE);  // the old title, selected, goes
      row.act(d);
      // Only a refusal or the help leaves the dialog open.
      EXPECT_EQ(::IsWindow(d->m_hWnd) && ::IsWindowVisible(d->m_hWnd), row.box || row.help) << row.route;
      if (::IsWindow(d->m_hWnd)) DialogAutomation::ClickControl(d, IDCANCEL);
    });
    Command(v, 10030);
    const CString title = row.stored ? row.typed : "EDIT";
    EXPECT_EQ(v->m_pPanel->m_strName, title) << row.route;
    EXPECT_EQ(!!m_doc.IsModified(), row.stored) << row.route;
    CString caption;
    v->GetParentFrame()->GetWindowText(caption);
    EXPECT_EQ(caption, title) << row.route;
    const auto boxes = Automation::Instance().MessageBoxes();
    EXPECT_EQ(boxes.empty() ? std::string() : boxes.back().text, row.box ? row.box : "") << row.route;
    const auto help = Automation::Instance().HelpCalls();
    EXPECT_EQ(help.empty() ? 0 : (int)help.back().data, row.help) << row.route;
  }
  // A new panel's dialog: what OK keeps is added and opened, what Cancel leaves is not.
  for (const Row& row : rows) {
    if (row.help) continue;
    const INT_PTR before = m_doc.m_panels.m_aPanels.GetSize();
    DialogAutomation::AddDialogHandler(14005u, [&](CWnd* d) {
      DialogAutomation::TypeInto(d, 14000, row.typed);
      if (!*row.typed) UiAutomation::PressKey(VK_DELETE);
      row.act(d);
      if (::IsWindow(d->m_hWnd)) DialogAutomation::ClickControl(d, IDCANCEL);
    });
    EXPECT_EQ(!!m_doc.m_panels.CreateEmptyFrame(&m_doc), row.stored) << row.route;
    ASSERT_EQ(m_doc.m_panels.m_aPanels.GetSize(), before + row.stored) << row.route;
    if (!row.stored) continue;
    CControlPanelItemArray* added = m_doc.m_panels.m_aPanels[before];
    EXPECT_EQ(added->m_strName, row.typed) << row.route;
    EXPECT_TRUE(added->m_pFrame) << row.route;
    m_doc.m_panels.DeleteFrame((int)before);
  }
  EXPECT_TRUE(DialogAutomation::UnscriptedDialogs().empty());
}

