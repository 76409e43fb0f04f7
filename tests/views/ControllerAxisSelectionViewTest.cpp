// The controller's slave slots: lines, which axes are offered, the selections kept across changes.
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Clock.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/NamedAxis.h"
#include "tests/support/TestKernel.h"
#include "tests/support/MdiViewHost.h"
#include "tests/views/FolderHostDoc.h"
#include "tests/views/HostSteps.h"
#include "views/folders/MC_ControllerAxisSelectionView.h"

#include <gtest/gtest.h>

namespace {

using V = CMC_ControllerAxisSelectionView;

using Axis = dravonix::test::NamedAxis;

class CHostDoc : public CFolderHostDoc {
 public:
  int GetAxisCount() override { return (int)axes.size(); }
  int GetSelectedAxisIdx() override { return 0; }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < (int)axes.size() ? axes[(size_t)i] : nullptr; }
  std::vector<CMC_AxisData*> axes;
};

class AxisSelectionViewTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_controller.reset(CMC_Setup::Create(0x0701));
    m_other.reset(CMC_Setup::Create(0x0701));
    m_drive.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_controller && m_other && m_drive);
    ASSERT_EQ(m_controller->GetMotionControllerSlaveCount(), 4);
    m_ctrl.setup = m_controller.get();
    m_ctrl2.setup = m_other.get();
    m_x.setup = m_y.setup = m_drive.get();  // m_none has no setup: never offered
    m_motion.reset(CMC_Motion::Create(m_controller.get()));
    ASSERT_TRUE(m_motion);
    m_doc.setup = m_controller.get();
    m_doc.motion = m_motion.get();
    m_doc.axes = {&m_ctrl, &m_ctrl2, &m_x, &m_y, &m_none};
    ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 400),
                                  nullptr, 0));
    m_view = new V;
    ASSERT_TRUE(m_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 400), &m_parent, 0xE900));
    m_doc.AddView(m_view);
    m_view->OnInitialUpdate();
  }
  void TearDown() override {
    m_parent.DestroyWindow();
    SetupTest::TearDown();
  }
  void Command(UINT id, UINT code = BN_CLICKED) {
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)m_view->GetDlgItem((int)id)->GetSafeHwnd());
  }
  void Select(CListBox& list, int i) {
    list.SetCurSel(i);
    Command(&list == &m_view->m_lbSelected ? V::IDC_SELECTED : V::IDC_AVAILABLE, LBN_SELCHANGE);
  }
  static std::string Lines(CListBox& list) {
    std::string s;
    for (int i = 0; i < list.GetCount(); ++i) {
      CString t;
      list.GetText(i, t);
      s += (s.empty() ? "" : "|") + std::string(t.GetString());
    }
    return s;
  }
  // "<", ">", Move Up, Move Down enabled as 1 or 0.
  std::string Buttons() {
    std::string s;
    for (UINT id : {V::IDC_ADD, V::IDC_REMOVE, V::IDC_UP, V::IDC_DOWN})
      s += m_view->GetDlgItem((int)id)->IsWindowEnabled() ? '1' : '0';
    return s;
  }

  CWinApp m_app{"AxisSelectionTest"};
  SetupPtr m_controller, m_other, m_drive;
  MotionPtr m_motion;
  Axis m_ctrl{"Ctrl", nullptr}, m_ctrl2{"Ctrl2", nullptr}, m_x{"X", nullptr}, m_y{"Y", nullptr}, m_none{"N", nullptr};
  CHostDoc m_doc;
  CWnd m_parent;
  V* m_view = nullptr;
};

}  // namespace

TEST_F(AxisSelectionViewTest, FirstRefreshSelectsSlotAAndNoAxis) {
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : <None>|B : <None>|C : <None>|D : <None>");
  EXPECT_EQ(m_view->m_lbSelected.GetCurSel(), 0);
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "Ctrl|X|Y");  // the document's own axis, never the other controller
  EXPECT_EQ(m_view->m_nAvailable, -1);
  EXPECT_EQ(Buttons(), "0001");
}

TEST_F(AxisSelectionViewTest, FillReplaceRemoveAndMove) {
  Select(m_view->m_lbAvailable, 1);
  Command(V::IDC_ADD);  // X into A
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : X|B : <None>|C : <None>|D : <None>");
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "Ctrl|Y");
  EXPECT_EQ(m_view->m_lbAvailable.GetCurSel(), 1);
  EXPECT_EQ(Buttons(), "1101");

  Command(V::IDC_ADD);  // Y into the full slot A: X is offered again
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : Y|B : <None>|C : <None>|D : <None>");
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "Ctrl|X");
  EXPECT_EQ(m_motion->GetMotionControllerSlaveAxis(0), &m_y);

  Command(V::IDC_DOWN);
  Command(V::IDC_DOWN);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : <None>|B : <None>|C : Y|D : <None>");
  EXPECT_EQ(m_view->m_nSelected, 2);
  Command(V::IDC_UP);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : <None>|B : Y|C : <None>|D : <None>");
  Select(m_view->m_lbSelected, 3);
  EXPECT_EQ(Buttons(), "1010");
  Command(V::IDC_DOWN);  // the last slot does not move down
  EXPECT_EQ(m_view->m_nSelected, 3);

  // X replaces Y in B; removing X keeps the available selection on the remembered "Y", now the third line.
  Select(m_view->m_lbSelected, 1);
  Select(m_view->m_lbAvailable, 1);
  Command(V::IDC_ADD);
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "Ctrl|Y");
  Command(V::IDC_REMOVE);
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "Ctrl|X|Y");
  EXPECT_EQ(m_view->m_nAvailable, 2);
  EXPECT_EQ(m_view->m_lbAvailable.GetCurSel(), 2);
  EXPECT_EQ(m_doc.changes, 7);
  EXPECT_TRUE(SaveWindowImage(m_view, dravonix::test::OutputPath("axis-selection-view.png").c_str()));
}

TEST_F(AxisSelectionViewTest, HintOnlyForAController) {
  m_motion->SetMotionControllerSlaveAxis(0, &m_x);
  m_doc.setup = m_drive.get();
  m_view->OnUpdate(nullptr, -100, nullptr);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : <None>|B : <None>|C : <None>|D : <None>");
  m_doc.setup = m_controller.get();
  m_view->OnUpdate(nullptr, -70, nullptr);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : <None>|B : <None>|C : <None>|D : <None>");
  m_view->OnUpdate(nullptr, -100, nullptr);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "A : X|B : <None>|C : <None>|D : <None>");
  // Without a motion the lists are empty and the buttons do nothing.
  m_doc.motion = nullptr;
  m_view->OnUpdate(nullptr, -100, nullptr);
  EXPECT_EQ(Lines(m_view->m_lbSelected), "");
  EXPECT_EQ(Lines(m_view->m_lbAvailable), "");
  Command(V::IDC_REMOVE);
  EXPECT_EQ(m_doc.changes, 0);
}

// In an MDI child of the host's frame, by clicks only.
TEST_F(AxisSelectionViewTest, InTheHostsFrameClicksShowAtOnce) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  CMDIChildWnd* child = host.Open(RUNTIME_CLASS(V), &m_doc);
  ASSERT_TRUE(child);
  auto click = [](int id) { return [=](CWnd* v) { DialogAutomation::ClickControl(v, id); }; };
  auto item = [](int id, int i) { return [=](CWnd* v) { ClickItem(v, id, i); }; };
  auto lists = [](CWnd* v) { return ListState(v, V::IDC_SELECTED) + " " + ListState(v, V::IDC_AVAILABLE); };
  Play(child->GetActiveView(), {
      {item(V::IDC_AVAILABLE, 1), lists, "[A : <None>][B : <None>][C : <None>][D : <None>] sel 0 [Ctrl][X][Y] sel 1"},
      {click(V::IDC_ADD), lists, "[A : X][B : <None>][C : <None>][D : <None>] sel 0 [Ctrl][Y] sel 1"},
      {click(V::IDC_DOWN), lists, "[A : <None>][B : X][C : <None>][D : <None>] sel 1 [Ctrl][Y] sel 1"},
      {item(V::IDC_SELECTED, 3), lists, "[A : <None>][B : X][C : <None>][D : <None>] sel 3 [Ctrl][Y] sel 1"},
      {click(V::IDC_UP), lists, "[A : <None>][B : X][C : <None>][D : <None>] sel 2 [Ctrl][Y] sel 1"},
      {item(V::IDC_SELECTED, 1), lists, "[A : <None>][B : X][C : <None>][D : <None>] sel 1 [Ctrl][Y] sel 1"},
      {click(V::IDC_REMOVE), lists, "[A : <None>][B : <None>][C : <None>][D : <None>] sel 1 [Ctrl][X][Y] sel 2"},
  });
  EXPECT_EQ(m_doc.changes, 4);
  host.Close();
  Clock::UseRealTime();
}

// Each route from the same start (no slave, slot A chosen, no axis): both lists, the focus, the
// slaves in the program, the changes reported, and the picture against a full repaint.
TEST_F(AxisSelectionViewTest, RoutesByKeysAndClicks) {
  namespace UA = UiAutomation;
  Clock::UseVirtualTime();
  using Step = std::function<void(CWnd*)>;
  auto keys = [](std::initializer_list<std::pair<UINT, UINT>> k) {
    return [list = std::vector<std::pair<UINT, UINT>>(k)](CWnd*) {
      for (auto [vk, mods] : list) UA::PressKey(vk, mods);
    };
  };
  auto then = [](std::initializer_list<Step> steps) {
    return [list = std::vector<Step>(steps)](CWnd* v) {
      for (auto& s : list) s(v);
    };
  };
  auto item = [](int id, int i) { return [=](CWnd* v) { ClickItem(v, id, i); }; };
  auto click = [](int id) { return [=](CWnd* v) { DialogAutomation::ClickControl(v, id); }; };
  const Step xIntoB = then({item(V::IDC_SELECTED, 1), item(V::IDC_AVAILABLE, 1), click(V::IDC_ADD)});
  struct Case {
    const char* what;
    Step drive;
    const char* state;  // selected list, available list, focus, slaves, changes
  };
  const Case cases[] = {
      {"slot clicked", item(V::IDC_SELECTED, 2), "sel 2 [Ctrl][X][Y] sel -1 14000 ---- 0"},
      {"axis clicked", item(V::IDC_AVAILABLE, 2), "sel 0 [Ctrl][X][Y] sel 2 14001 ---- 0"},
      {"axis double clicked", [](CWnd* v) {
         HWND list = ::GetDlgItem(v->m_hWnd, V::IDC_AVAILABLE);
         RECT r{};
         ::SendMessage(list, LB_GETITEMRECT, 1, (LPARAM)&r);
         UA::DoubleClick(list, POINT{r.left + 4, (r.top + r.bottom) / 2});
       }, "sel 0 [Ctrl][X][Y] sel 1 14001 ---- 0"},
      {"Down in the slots", then({item(V::IDC_SELECTED, 0), keys({{VK_DOWN, 0}})}), "sel 1 [Ctrl][X][Y] sel -1 14000 ---- 0"},
      {"End in the slots", then({item(V::IDC_SELECTED, 0), keys({{VK_END, 0}})}), "sel 3 [Ctrl][X][Y] sel -1 14000 ---- 0"},
      {"Down in the axes", then({item(V::IDC_AVAILABLE, 0), keys({{VK_DOWN, 0}})}), "sel 0 [Ctrl][X][Y] sel 1 14001 ---- 0"},
      {"a letter in the axes", then({item(V::IDC_AVAILABLE, 0), keys({{'Y', 0}})}), "sel 0 [Ctrl][X][Y] sel 2 14001 ---- 0"},
      {"Shift+F10 and Apps in the slots", then({item(V::IDC_SELECTED, 1), keys({{VK_F10, UA::kShift}, {VK_APPS, 0}})}),
       "sel 1 [Ctrl][X][Y] sel -1 14000 ---- 0"},
      {"slot pressed, dragged past the bottom edge", [](CWnd* v) {
         HWND list = ::GetDlgItem(v->m_hWnd, V::IDC_SELECTED);
         RECT r{}, c{};
         ::SendMessage(list, LB_GETITEMRECT, 1, (LPARAM)&r);
         ::GetClientRect(list, &c);
         UA::Drag(list, POINT{r.left + 4, (r.top + r.bottom) / 2}, POINT{r.left + 4, c.bottom + 30});
       }, "sel 3 [Ctrl][X][Y] sel -1 14000 ---- 0"},
      {"slot, axis, < clicked", xIntoB, "sel 1 [Ctrl][Y] sel 1 14004 -X-- 1"},
      {"slot, axis, Shift+Tab, Space on <", then({item(V::IDC_SELECTED, 1), item(V::IDC_AVAILABLE, 1), keys({{VK_TAB, UA::kShift}, {VK_SPACE, 0}})}),
       "sel 1 [Ctrl][Y] sel 1 14004 -X-- 1"},
      {"slot, axis, Shift+Tab, Enter on <", then({item(V::IDC_SELECTED, 1), item(V::IDC_AVAILABLE, 1), keys({{VK_TAB, UA::kShift}, {VK_RETURN, 0}})}),
       "sel 1 [Ctrl][Y] sel 1 14004 -X-- 1"},
      {"slot, axis, Enter in the list", then({item(V::IDC_SELECTED, 1), item(V::IDC_AVAILABLE, 1), keys({{VK_RETURN, 0}})}),
       "sel 1 [Ctrl][X][Y] sel 1 14001 ---- 0"},
      {"slot, axis, Escape in the list", then({item(V::IDC_SELECTED, 1), item(V::IDC_AVAILABLE, 1), keys({{VK_ESCAPE, 0}})}),
       "sel 1 [Ctrl][X][Y] sel 1 14001 ---- 0"},
      {"X into B, Tab, Space on >", then({xIntoB, keys({{VK_TAB, 0}, {VK_SPACE, 0}})}), "sel 1 [Ctrl][X][Y] sel 2 0 ---- 2"},
      {"X into B, > clicked", then({xIntoB, click(V::IDC_REMOVE)}), "sel 1 [Ctrl][X][Y] sel 2 0 ---- 2"},
      {"X into B, Move Down clicked", then({xIntoB, click(V::IDC_DOWN)}), "sel 2 [Ctrl][Y] sel 1 14003 --X- 2"},
      {"X into B, Move Up by Space", then({xIntoB, item(V::IDC_SELECTED, 1), keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_SPACE, 0}})}),
       "sel 0 [Ctrl][Y] sel 1 0 X--- 2"},
      {"last slot, Move Down clicked while disabled", then({item(V::IDC_SELECTED, 3), click(V::IDC_DOWN)}),
       "sel 3 [Ctrl][X][Y] sel -1 14000 ---- 0"},
  };
  for (const Case& c : cases) {
    m_motion.reset(CMC_Motion::Create(m_controller.get()));
    ASSERT_TRUE(m_motion);
    m_doc.motion = m_motion.get();
    m_doc.changes = 0;
    MdiViewHost host;
    CMDIChildWnd* child = host.Open(RUNTIME_CLASS(V), &m_doc);
    ASSERT_TRUE(child);
    CWnd* v = child->GetActiveView();
    ::SetFocus(::GetDlgItem(v->m_hWnd, V::IDC_SELECTED));
    UA::AdvanceClock(1000);
    c.drive(v);
    UA::Pump();
    std::string slaves;
    for (int k = 0; k < 4; ++k) {
      CMC_AxisData* a = m_motion->GetMotionControllerSlaveAxis(k);
      slaves += a ? a->GetName() : "-";
    }
    std::string selected = ListState(v, V::IDC_SELECTED);
    const std::string state = selected.substr(selected.find(" sel ") + 1) + " " + ListState(v, V::IDC_AVAILABLE) + " " +
                              std::to_string(::GetDlgCtrlID(::GetFocus())) + " " + slaves + " " +
                              std::to_string(m_doc.changes);
    EXPECT_EQ(state, c.state) << c.what;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(v->m_hWnd)) << c.what;
    host.Close();
  }
  Clock::UseRealTime();
}
