// A top-level frame that becomes active again tells its view, or its active child frame's view.
#include "platform/core/Automation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_heard;

class CHearingView : public CView {
  DECLARE_DYNCREATE(CHearingView)

 public:
  std::string name;
  void OnDraw(CDC*) override {}
  void OnActivateView(BOOL bActivate, CView* pActivate, CView* pDeactive) override {
    if (bActivate && pActivate == this) g_heard.push_back(name);
    CView::OnActivateView(bActivate, pActivate, pDeactive);
  }
};
IMPLEMENT_DYNCREATE(CHearingView, CView)

// A frame with one view, as the document templates make them.
template <class Frame>
CHearingView* AddView(Frame* frame, const char* name) {
  CCreateContext ctx;
  ctx.m_pNewViewClass = RUNTIME_CLASS(CHearingView);
  auto* view = static_cast<CHearingView*>(frame->CreateView(&ctx));
  view->name = name;
  frame->SetActiveView(view, FALSE);
  frame->RecalcLayout();
  return view;
}

}  // namespace

TEST(FrameActivation, AFrameActivatedAgainTellsItsView) {
  Automation::Instance().Reset();
  UiAutomation::Reset();
  CWinApp app("FrameActivationTest");
  auto* one = new CFrameWnd;
  auto* two = new CFrameWnd;
  ASSERT_TRUE(one->Create(nullptr, "one", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200)));
  ASSERT_TRUE(two->Create(nullptr, "two", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(320, 0, 620, 200)));
  AddView(one, "one");
  AddView(two, "two");
  // An MDI frame passes it on to the view of its active child.
  auto* main = new CMDIFrameWnd;
  ASSERT_TRUE(main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 220, 400, 520)));
  auto* child = new CMDIChildWnd;
  ASSERT_TRUE(child->Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 150), main));
  AddView(child, "child");
  child->MDIActivate();
  UiAutomation::Pump();
  g_heard.clear();
  for (CFrameWnd* f : {static_cast<CFrameWnd*>(one), two, one, static_cast<CFrameWnd*>(main), two}) {
    f->SetActiveWindow();
    UiAutomation::Pump();
  }
  EXPECT_EQ(g_heard, (std::vector<std::string>{"one", "two", "one", "child", "two"}));
  main->DestroyWindow();
  two->DestroyWindow();
  one->DestroyWindow();
}

TEST(FrameActivation, CtrlF6AndCtrlF4MoveBetweenAndCloseMdiChildren) {
  Automation::Instance().Reset();
  UiAutomation::Reset();
  CWinApp app("FrameActivationTest");
  auto* main = new CMDIFrameWnd;
  ASSERT_TRUE(main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 400)));
  app.m_pMainWnd = main;
  std::vector<CMDIChildWnd*> children;
  for (const char* name : {"a", "b", "c"}) {
    auto* child = new CMDIChildWnd;
    ASSERT_TRUE(child->Create(nullptr, name, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 150), main));
    AddView(child, name);
    child->MDIActivate();
    children.push_back(child);
  }
  UiAutomation::Pump();
  auto active = [&] {
    CMDIChildWnd* a = main->MDIGetActive();
    CString t;
    if (a) a->GetWindowText(t);
    return std::string(t.GetString());
  };
  const struct {
    UINT key, modifiers;
    const char* active;
  } steps[] = {{VK_F6, UiAutomation::kControl, "b"},
               {VK_F6, UiAutomation::kControl | UiAutomation::kShift, "c"},
               {VK_TAB, UiAutomation::kControl, "b"},
               {VK_F4, UiAutomation::kControl, "a"},
               {VK_F4, UiAutomation::kNone, "a"},
               {VK_F4, UiAutomation::kControl, "c"}};
  for (const auto& s : steps) {
    UiAutomation::PressKey(s.key, s.modifiers);
    EXPECT_EQ(active(), s.active) << s.key << " " << s.modifiers;
    // The key-ups meant for a closed child's focus still count.
    EXPECT_GE(::GetKeyState(VK_CONTROL), 0);
  }
  EXPECT_EQ(::GetWindow(main->m_hWndMDIClient, GW_CHILD), children[2]->m_hWnd);
  EXPECT_EQ(::GetWindow(children[2]->m_hWnd, GW_HWNDNEXT), nullptr);
  app.m_pMainWnd = nullptr;
  main->DestroyWindow();
}
