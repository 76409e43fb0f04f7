// The functions folder view on a motion program: names checked, the list kept with the model, the
// buttons' states and the hint to the other views.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Clock.h"
#include "platform/core/Module.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/TestKernel.h"
#include "tests/support/MdiViewHost.h"
#include "tests/views/FolderHostDoc.h"
#include "tests/views/HostSteps.h"
#include "views/folders/MC_FunctionsFolderView.h"

#include <gtest/gtest.h>

namespace {

using V = CMC_FunctionsFolderView;

using CHostDoc = CFolderHostDoc;

// Another view of the document: the hints it gets.
struct Probe : CView {
  Probe() = default;
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
  std::vector<LPARAM> hints;
};

class FunctionsFolderViewTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    Automation::Instance().Reset();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    ASSERT_TRUE(m_motion);
    for (const char* f : {"f", "g", "h"}) ASSERT_GE(m_motion->AddNewFunction(f), 0);
    m_doc.setup = m_setup.get();
    m_doc.motion = m_motion.get();
    m_doc.AddView(&m_probe);
    ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 400),
                                  nullptr, 0));
    m_view = new V;
    ASSERT_TRUE(m_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 400), &m_parent, 0xE900));
    m_doc.AddView(m_view);
    m_view->OnInitialUpdate();
  }
  void TearDown() override {
    m_parent.DestroyWindow();
    m_doc.RemoveView(&m_probe);
    Automation::Instance().Reset();
    SetupTest::TearDown();
  }
  void Command(UINT id, UINT code = BN_CLICKED) {
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)m_view->GetDlgItem((int)id)->GetSafeHwnd());
  }
  void Select(int i) {
    m_view->m_lbFunctions.SetCurSel(i);
    Command(V::IDC_LIST, LBN_SELCHANGE);
  }
  void Name(const char* s) {
    m_view->m_edName.SetWindowText(s);
    Command(V::IDC_NAME, EN_CHANGE);
  }
  std::string Lines() {
    std::string s;
    for (int i = 0; i < m_view->m_lbFunctions.GetCount(); ++i) {
      CString t;
      m_view->m_lbFunctions.GetText(i, t);
      s += (s.empty() ? "" : ",") + std::string(t.GetString());
    }
    return s;
  }
  // The enabled buttons: Add, Rename, Delete, Up, Down as 1 or 0.
  std::string Buttons(CWnd* view = nullptr) {
    std::string s;
    for (UINT id : {V::IDC_ADD, V::IDC_RENAME, V::IDC_DELETE, V::IDC_UP, V::IDC_DOWN})
      s += (view ? view : m_view)->GetDlgItem((int)id)->IsWindowEnabled() ? '1' : '0';
    return s;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> t;
    for (auto& b : Automation::Instance().MessageBoxes()) t.push_back(b.text);
    return t;
  }

  CWinApp m_app{"FunctionsTest"};
  SetupPtr m_setup;
  MotionPtr m_motion;
  CHostDoc m_doc;
  Probe m_probe;
  CWnd m_parent;
  V* m_view = nullptr;
};

}  // namespace

TEST_F(FunctionsFolderViewTest, ButtonStatesFollowSelectionAndName) {
  EXPECT_EQ(Lines(), "f,g,h");
  struct Case { int select; const char* name; const char* buttons; };
  const Case cases[] = {{-1, "", "00000"}, {-1, "x", "10000"}, {0, nullptr, "11101"},
                        {1, nullptr, "11111"}, {2, nullptr, "11110"}, {2, "", "00110"}};
  for (const Case& c : cases) {
    if (c.select >= 0) Select(c.select);
    if (c.name) Name(c.name);
    EXPECT_EQ(Buttons(), c.buttons) << c.select << " " << (c.name ? c.name : "-");
  }
  Select(1);
  char edit[16] = {};
  m_view->m_edName.GetWindowText(edit, sizeof edit);
  EXPECT_STREQ(edit, "g");  // the selected name goes into the edit

  Automation::Instance().ClearHelpCalls();
  m_view->SendMessage(WM_COMMAND, 57670, 0);
  const auto help = Automation::Instance().HelpCalls();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].data, 4136u);
  EXPECT_EQ(help[0].command, 15u);
  CString hostHelp;  // beside the host's module, not the kernel's
  ASSERT_TRUE(GetHelpFileOfModule(AfxGetInstanceHandle(), hostHelp));
  EXPECT_EQ(help[0].file, hostHelp.GetString());
}

TEST_F(FunctionsFolderViewTest, NamesRefusedBeforeOrByTheModel) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "Non empty string expected"},
      {"1a",
       "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore."},
      {"g", "Duplicate name: there is another function with the same name!"},
  };
  for (auto [name, text] : cases) {
    Automation::Instance().Reset();
    m_view->m_edName.SetWindowText(name);
    Command(V::IDC_ADD);
    EXPECT_EQ(Boxes(), std::vector<std::string>{text}) << name;
  }
  EXPECT_EQ(Lines(), "f,g,h");
  EXPECT_EQ(m_motion->GetFunctionsCount(), 3);
  EXPECT_EQ(m_doc.changes, 0);
}

TEST_F(FunctionsFolderViewTest, EditsKeepListAndModelTogether) {
  m_probe.hints.clear();
  Name("k");
  Command(V::IDC_ADD);
  EXPECT_EQ(Lines(), "f,g,h,k");
  EXPECT_EQ(m_view->m_lbFunctions.GetCurSel(), 3);
  Select(0);
  Name("a");
  Command(V::IDC_RENAME);
  Command(V::IDC_DOWN);
  EXPECT_EQ(Lines(), "g,a,h,k");
  EXPECT_EQ(m_view->m_lbFunctions.GetCurSel(), 1);
  Command(V::IDC_UP);
  EXPECT_EQ(Lines(), "a,g,h,k");
  std::string model;
  for (int i = 0; i < m_motion->GetFunctionsCount(); ++i) model += m_motion->GetFunctionName(i).GetString();
  EXPECT_EQ(model, "aghk");
  EXPECT_EQ(m_probe.hints, std::vector<LPARAM>(4, V::kHintFunctions));
  EXPECT_EQ(m_doc.changes, 4);

  // Delete asks, No by default: the list stays; Yes removes the line.
  Automation::Instance().Reset();
  Automation::Instance().PushMessageBoxAnswer(IDNO);
  Command(V::IDC_DELETE);
  ASSERT_EQ(Boxes(), std::vector<std::string>{"Are you sure you want to delete motion function named 'a'?"});
  EXPECT_TRUE(Automation::Instance().MessageBoxes()[0].type & MB_DEFBUTTON2);
  EXPECT_EQ(Lines(), "a,g,h,k");
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  Command(V::IDC_DELETE);
  EXPECT_EQ(Lines(), "g,h,k");
  EXPECT_EQ(m_doc.changes, 5);
  EXPECT_TRUE(SaveWindowImage(m_view, dravonix::test::OutputPath("functions-folder-view.png").c_str()));

  // Hint -70 refills the list and empties the edit; without a motion the list is empty.
  m_doc.motion = nullptr;
  m_view->OnUpdate(nullptr, V::kHintFunctions, nullptr);
  EXPECT_EQ(Lines(), "");
  EXPECT_EQ(Buttons(), "00000");
  Command(V::IDC_ADD);
  EXPECT_EQ(m_motion->GetFunctionsCount(), 3);
}

// In an MDI child of the host's frame, by clicks and typing only.
TEST_F(FunctionsFolderViewTest, InTheHostsFrameClicksAndTypingShowAtOnce) {
  Clock::UseVirtualTime();
  MdiViewHost host;
  CMDIChildWnd* child = host.Open(RUNTIME_CLASS(V), &m_doc);
  ASSERT_TRUE(child);
  auto click = [](int id) { return [=](CWnd* v) { DialogAutomation::ClickControl(v, id); }; };
  auto type = [](int id, const char* t) { return [=](CWnd* v) { DialogAutomation::TypeInto(v, id, t); }; };
  auto lines = [&](CWnd* v) { return ListState(v, V::IDC_LIST) + " " + Buttons(v); };
  Play(child->GetActiveView(), {
      {type(V::IDC_NAME, "k"), lines, "[f][g][h] sel -1 10000"},
      {click(V::IDC_ADD), lines, "[f][g][h][k] sel 3 11110"},
      {[](CWnd* v) { ClickItem(v, V::IDC_LIST, 0); }, [](CWnd* v) { return ItemText(v, V::IDC_NAME); }, "f"},
      {[&](CWnd* v) { type(V::IDC_NAME, "a")(v), click(V::IDC_RENAME)(v); }, lines, "[a][g][h][k] sel 0 11101"},
      {click(V::IDC_DOWN), lines, "[g][a][h][k] sel 1 11111"},
      {click(V::IDC_UP), lines, "[a][g][h][k] sel 0 11101"},
      {[&](CWnd* v) { type(V::IDC_NAME, "1x")(v), click(V::IDC_RENAME)(v); },
       [&](CWnd* v) { return Boxes().back() + " " + ListState(v, V::IDC_LIST); },
       "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore. "
       "[a][g][h][k] sel 0"},
      {[&](CWnd* v) { Automation::Instance().PushMessageBoxAnswer(IDYES), click(V::IDC_DELETE)(v); }, lines,
       "[g][h][k] sel -1 10000"},
  });
  EXPECT_EQ(m_doc.changes, 5);
  host.Close();
  Clock::UseRealTime();
}

// Presses list line `from` and releases on line `to`, or past the list's bottom edge for -1.
void DragItems(CWnd* v, int from, int to) {
  HWND list = ::GetDlgItem(v->m_hWnd, CMC_FunctionsFolderView::IDC_LIST);
  RECT a{}, b{}, c{};
  ::SendMessage(list, LB_GETITEMRECT, (WPARAM)from, (LPARAM)&a);
  ::SendMessage(list, LB_GETITEMRECT, (WPARAM)std::max(to, 0), (LPARAM)&b);
  ::GetClientRect(list, &c);
  UiAutomation::Drag(list, POINT{a.left + 4, (a.top + a.bottom) / 2},
                     POINT{b.left + 4, to < 0 ? c.bottom + 30 : (b.top + b.bottom) / 2});
}

// Each route from the same start (f, g, h; nothing chosen): the list, the name, the focus, the
// program's functions and the changes reported, and the picture against a full repaint.
TEST_F(FunctionsFolderViewTest, RoutesByKeysAndClicks) {
  namespace UA = UiAutomation;
  Clock::UseVirtualTime();
  auto type = [](const char* t) { return [=](CWnd* v) { DialogAutomation::TypeInto(v, V::IDC_NAME, t); }; };
  auto keys = [](std::initializer_list<std::pair<UINT, UINT>> k) {
    return [list = std::vector<std::pair<UINT, UINT>>(k)](CWnd*) {
      for (auto [vk, mods] : list) UA::PressKey(vk, mods);
    };
  };
  auto then = [](std::initializer_list<std::function<void(CWnd*)>> steps) {
    return [list = std::vector<std::function<void(CWnd*)>>(steps)](CWnd* v) {
      for (auto& s : list) s(v);
    };
  };
  auto pick = [](int i) { return [=](CWnd* v) { ClickItem(v, V::IDC_LIST, i); }; };
  auto click = [](int id) { return [=](CWnd* v) { DialogAutomation::ClickControl(v, id); }; };
  auto yes = [](CWnd*) { Automation::Instance().PushMessageBoxAnswer(IDYES); };
  struct Case {
    const char* what;
    std::function<void(CWnd*)> drive;
    const char* state;  // list, name, focus, functions, changes
  };
  const Case cases[] = {
      {"entry clicked", pick(1), "[f][g][h] sel 1 'g' 14000 fgh 0"},
      {"entry double clicked", [](CWnd* v) {
         HWND list = ::GetDlgItem(v->m_hWnd, V::IDC_LIST);
         RECT r{};
         ::SendMessage(list, LB_GETITEMRECT, 1, (LPARAM)&r);
         UA::DoubleClick(list, POINT{r.left + 4, (r.top + r.bottom) / 2});
       }, "[f][g][h] sel 1 'g' 14000 fgh 0"},
      {"Down after a click", then({pick(0), keys({{VK_DOWN, 0}})}), "[f][g][h] sel 1 'g' 14000 fgh 0"},
      {"End after a click", then({pick(0), keys({{VK_END, 0}})}), "[f][g][h] sel 2 'h' 14000 fgh 0"},
      {"a letter in the list", then({pick(0), keys({{'H', 0}})}), "[f][g][h] sel 2 'h' 14000 fgh 0"},
      {"Shift+F10 and Apps in the list", then({pick(1), keys({{VK_F10, UA::kShift}, {VK_APPS, 0}})}),
       "[f][g][h] sel 1 'g' 14000 fgh 0"},
      {"pressed on the first, dragged to the last", [](CWnd* v) { DragItems(v, 0, 2); }, "[f][g][h] sel 2 'h' 14000 fgh 0"},
      {"pressed on the second, dragged past the bottom edge", [](CWnd* v) { DragItems(v, 1, -1); },
       "[f][g][h] sel 2 'h' 14000 fgh 0"},
      {"typed, Add clicked", then({type("k"), click(V::IDC_ADD)}), "[f][g][h][k] sel 3 'k' 14001 fghk 1"},
      {"typed, Tab, Space on Add", then({type("k"), keys({{VK_TAB, 0}, {VK_SPACE, 0}})}), "[f][g][h][k] sel 3 'k' 14001 fghk 1"},
      {"typed, Tab, Enter on Add", then({type("k"), keys({{VK_TAB, 0}, {VK_RETURN, 0}})}), "[f][g][h][k] sel 3 'k' 14001 fghk 1"},
      {"typed, Enter in the edit", then({type("k"), keys({{VK_RETURN, 0}})}), "[f][g][h] sel -1 'k' 14006 fgh 0"},
      {"typed, Escape in the edit", then({type("k"), keys({{VK_ESCAPE, 0}})}), "[f][g][h] sel -1 'k' 14006 fgh 0"},
      {"typed, Home, Delete, Add clicked", then({type("xk"), keys({{VK_HOME, 0}, {VK_DELETE, 0}}), click(V::IDC_ADD)}),
       "[f][g][h][k] sel 3 'k' 14001 fghk 1"},
      {"typed, Backspace to empty, Tab", then({type("k"), keys({{VK_BACK, 0}, {VK_TAB, 0}})}), "[f][g][h] sel -1 '' 14000 fgh 0"},
      {"a bad name typed, Space on Add", then({type("1k"), keys({{VK_TAB, 0}, {VK_SPACE, 0}})}), "[f][g][h] sel -1 '1k' 14006 fgh 0"},
      {"clicked, typed, Tab Tab, Space on Rename", then({pick(1), type("r"), keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_SPACE, 0}})}),
       "[f][r][h] sel 1 'r' 14005 frh 1"},
      {"clicked, Tab, Space on Delete, Yes", then({pick(1), yes, keys({{VK_TAB, 0}, {VK_SPACE, 0}})}), "[f][h] sel -1 'g' 0 fh 1"},
      {"clicked, Tab, Enter on Delete, No", then({pick(1), keys({{VK_TAB, 0}, {VK_RETURN, 0}})}), "[f][g][h] sel 1 'g' 14002 fgh 0"},
      {"clicked, Tab Tab Tab, Space on Move Down", then({pick(1), keys({{VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_SPACE, 0}})}),
       "[f][h][g] sel 2 'g' 0 fhg 1"},
      {"clicked, Move Up clicked", then({pick(1), click(V::IDC_UP)}), "[g][f][h] sel 0 'g' 0 gfh 1"},
      {"first clicked, Move Up clicked while disabled", then({pick(0), click(V::IDC_UP)}), "[f][g][h] sel 0 'f' 14000 fgh 0"},
  };
  for (const Case& c : cases) {
    Automation::Instance().Reset();
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    for (const char* f : {"f", "g", "h"}) ASSERT_GE(m_motion->AddNewFunction(f), 0);
    m_doc.motion = m_motion.get();
    m_doc.changes = 0;
    MdiViewHost host;
    CMDIChildWnd* child = host.Open(RUNTIME_CLASS(V), &m_doc);
    ASSERT_TRUE(child);
    CWnd* v = child->GetActiveView();
    // The Tab order with every button enabled, forward and back.
    ClickItem(v, V::IDC_LIST, 1);
    std::vector<int> order;
    for (int i = 0; i < 7; ++i) UA::PressKey(VK_TAB), order.push_back(::GetDlgCtrlID(::GetFocus()));
    for (int i = 0; i < 7; ++i) UA::PressKey(VK_TAB, UA::kShift), order.push_back(::GetDlgCtrlID(::GetFocus()));
    EXPECT_EQ((std::vector<int>{14002, 14003, 14004, 14006, 14001, 14005, 14000, 14005, 14001, 14006, 14004, 14003, 14002,
                                14000}),
              order) << c.what;
    m_doc.UpdateAllViews(nullptr, -100);  // back to the start: nothing chosen, no name
    ::SetFocus(::GetDlgItem(v->m_hWnd, V::IDC_NAME));
    UA::AdvanceClock(1000);
    c.drive(v);
    UA::Pump();
    std::string functions;
    for (int i = 0; i < m_motion->GetFunctionsCount(); ++i) functions += m_motion->GetFunctionName(i).GetString();
    const std::string state = ListState(v, V::IDC_LIST) + " '" + ItemText(v, V::IDC_NAME) + "' " +
                              std::to_string(::GetDlgCtrlID(::GetFocus())) + " " + functions + " " +
                              std::to_string(m_doc.changes);
    EXPECT_EQ(state, c.state) << c.what;
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(v->m_hWnd)) << c.what;
    host.Close();
  }
  Clock::UseRealTime();
}
