// Window operations on an MDI frame's children, each step's picture held against a full repaint:
// the scene, its steps and their runs, shared by the layer's own tests and those with real views.
#pragma once

#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace dravonix::test {

// An MDI frame; what a child holds is the test's (`kind` picks it).
class MdiScene {
 public:
  explicit MdiScene(DWORD frameStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE) : m_app("MdiScene") {
    m_main = new CMDIFrameWnd;
    m_main->Create(nullptr, "main", frameStyle, CRect(0, 0, 480, 360));
    m_hMain = m_main->m_hWnd;
  }
  virtual ~MdiScene() { Close(); }
  MdiScene(const MdiScene&) = delete;
  MdiScene& operator=(const MdiScene&) = delete;
  void Close() {
    // The frame deletes itself when destroyed: only its handle is asked after that.
    if (::IsWindow(m_hMain)) ::DestroyWindow(m_hMain);
  }
  virtual HWND AddChild(int kind, const CRect& r) = 0;
  HWND MainWnd() const { return m_hMain; }
  HWND Workspace() const { return m_main->m_hWndMDIClient; }
  // The children, topmost first.
  std::vector<HWND> Children() const {
    std::vector<HWND> out;
    for (HWND h = ::GetTopWindow(Workspace()); h; h = ::GetWindow(h, GW_HWNDNEXT)) out.push_back(h);
    return out;
  }

  CWinApp m_app;
  CMDIFrameWnd* m_main;
  HWND m_hMain;
};

// a picks the child (or the kind of a new one), b, c, d the place. Walks add operations of their own
// after these, so any int is an operation.
enum MdiOp : int {
  kShowHide, kMove, kDestroy, kCreate, kMinimize, kRestore, kMaximize, kFrameMin, kFrameRestore, kFrameSize,
  kArrange, kActivate, kToTop, kBringToTop, kNext, kClick, kKey, kScrollBar, kScrollKey, kWheel, kMdiOps,
  // Walked only when asked for: a child's right or bottom border, or its corner, dragged by the mouse.
  kBorderDrag = kMdiOps + 1, kCornerDrag, kMdiOpsWithDrags
};
struct MdiStep {
  MdiOp op;
  int a, b, c, d;
};

inline std::string Describe(const std::vector<MdiStep>& steps) {
  std::ostringstream o;
  for (const MdiStep& s : steps) o << "{" << s.op << "," << s.a << "," << s.b << "," << s.c << "," << s.d << "} ";
  return o.str();
}

// The child a step works on.
inline HWND StepChild(const MdiScene& scene, const MdiStep& s) {
  const std::vector<HWND> kids = scene.Children();
  return kids.empty() ? nullptr : kids[(size_t)s.a % kids.size()];
}

// Where a click step presses: into the child's client area, in the window found there.
inline HWND ClickTarget(HWND child, const MdiStep& s, POINT& at) {
  at = POINT{8 + s.b % 30, 8 + s.c % 20};
  ::ClientToScreen(child, &at);
  HWND under = ::WindowFromPoint(at);
  ::ScreenToClient(under, &at);
  return under;
}

inline void Apply(MdiScene& scene, const MdiStep& s) {
  HWND child = StepChild(scene, s);
  const CRect place(s.b, s.c, s.b + 60 + s.d, s.c + 50 + s.d);
  const bool onFrame = s.op == kCreate || s.op == kNext || s.op == kKey || (s.op >= kFrameMin && s.op <= kArrange);
  if (!child && !onFrame) return;
  switch (s.op) {
    case kShowHide: ::ShowWindow(child, ::IsWindowVisible(child) ? SW_HIDE : SW_SHOW); break;
    case kMove: ::MoveWindow(child, place.left, place.top, place.Width(), place.Height(), TRUE); break;
    case kDestroy: ::SendMessage(scene.Workspace(), WM_MDIDESTROY, (WPARAM)child, 0); break;
    case kCreate: scene.AddChild(s.a, place); break;
    case kMinimize: ::ShowWindow(child, SW_MINIMIZE); break;
    case kRestore: ::ShowWindow(child, SW_RESTORE); break;
    case kMaximize: ::ShowWindow(child, SW_MAXIMIZE); break;
    case kFrameMin: ::ShowWindow(scene.MainWnd(), SW_MINIMIZE); break;
    case kFrameRestore: ::ShowWindow(scene.MainWnd(), SW_RESTORE); break;
    case kFrameSize:
      ::SetWindowPos(scene.MainWnd(), nullptr, 0, 0, 300 + 2 * s.b, 240 + 2 * s.c, SWP_NOMOVE | SWP_NOZORDER);
      break;
    case kArrange: scene.m_main->MDICascade(); break;
    case kActivate: scene.m_main->MDIActivate(CWnd::FromHandle(child)); break;
    case kToTop: ::SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); break;
    case kBringToTop: ::BringWindowToTop(child); break;
    case kNext: scene.m_main->MDINext(); break;
    case kClick: {
      // As a user picks a window from under the others.
      POINT at;
      HWND under = ClickTarget(child, s, at);
      UiAutomation::Click(under, at);
      break;
    }
    case kKey: {
      // Ctrl+F6, Ctrl+Shift+F6 and Ctrl+F4 to the focus: the next child, the one before, close.
      const UINT ctrl = UiAutomation::kControl, mods[] = {ctrl, ctrl | UiAutomation::kShift, ctrl};
      UiAutomation::PressKey(s.b % 3 == 2 ? VK_F4 : VK_F6, mods[s.b % 3]);
      break;
    }
    case kScrollBar:
    case kScrollKey:
    case kWheel: {
      // The child's view scrolled as a user does, covered or not: a press on its vertical bar (an
      // arrow, or a third of the way down or up), a key, the wheel.
      HWND view = ::GetTopWindow(child);
      if (!view) break;
      RECT c;
      ::GetClientRect(view, &c);
      const int half = ::GetSystemMetrics(SM_CXVSCROLL) / 2, at[] = {c.bottom - half, half, 2 * c.bottom / 3, c.bottom / 3};
      const UINT keys[] = {VK_DOWN, VK_NEXT, VK_END, VK_HOME};
      if (s.op == kScrollBar && (::GetWindowLongPtr(view, GWL_STYLE) & WS_VSCROLL))
        UiAutomation::Click(view, POINT{c.right + half, at[s.b % 4]});
      if (s.op == kScrollKey) UiAutomation::PressKey(keys[s.b % 4], s.b % 4 > 1 ? (UINT)UiAutomation::kControl : 0u);
      if (s.op == kWheel) UiAutomation::Wheel(view, POINT{c.right / 2, c.bottom / 2}, s.b % 2 ? -120 : 120);
      break;
    }
    case kBorderDrag:
    case kCornerDrag: {
      // Pressed where the border is, whichever window shows there.
      CRect w;
      ::GetWindowRect(child, &w);
      ::MapWindowPoints(nullptr, scene.Workspace(), (POINT*)&w, 2);
      const bool right = s.op == kCornerDrag || s.b % 2 == 0, bottom = s.op == kCornerDrag || s.b % 2 == 1;
      const POINT from{right ? w.right - 2 : w.CenterPoint().x, bottom ? w.bottom - 2 : w.CenterPoint().y};
      const POINT to{from.x + (right ? s.c % 81 - 40 : 0), from.y + (bottom ? s.d % 61 - 30 : 0)};
      UiAutomation::Drag(scene.Workspace(), from, to);
      break;
    }
    default: break;
  }
}

// Whether a step makes a child the active one (or passes the activation on from one that goes), as
// a raise, a show, a restore, a click, Ctrl+F6 or a close does; asked before the step.
inline bool Activates(const MdiScene& scene, const MdiStep& s) {
  HWND child = StepChild(scene, s);
  CMDIChildWnd* a = scene.m_main->MDIGetActive();
  HWND active = a ? a->m_hWnd : nullptr;
  const bool shown = child && ::IsWindowVisible(child);
  bool anyShown = false;
  for (HWND h : scene.Children()) anyShown |= ::IsWindowVisible(h) != FALSE;
  HWND focus = ::GetFocus();
  switch (s.op) {
    case kCreate: return true;
    case kMaximize: return child != nullptr;
    case kActivate: case kToTop: case kBringToTop: return shown;
    case kRestore: return child && (!shown || ::IsIconic(child) || ::IsZoomed(child));
    case kShowHide: return child && (!shown || child == active);
    case kDestroy: return child && child == active;
    case kNext: return anyShown;
    case kKey: return anyShown && active && focus && (focus == scene.MainWnd() || ::IsChild(scene.MainWnd(), focus));
    case kClick: {
      POINT at;
      HWND h = child ? ClickTarget(child, s, at) : nullptr;
      while (h && ::GetParent(h) && ::GetParent(h) != scene.Workspace()) h = ::GetParent(h);
      return h && ::GetParent(h) == scene.Workspace();
    }
    default: return false;
  }
}

// The active child is the topmost one shown, or none when none is shown.
inline bool ActiveIsTopmostShown(const MdiScene& scene) {
  HWND top = nullptr;
  for (HWND h : scene.Children())
    if (!top && ::IsWindowVisible(h)) top = h;
  CMDIChildWnd* a = scene.m_main->MDIGetActive();
  return (a ? a->m_hWnd : nullptr) == top;
}

// A shown maximized child's client area is the workspace, whatever the frame's size.
inline bool ZoomedFillsWorkspace(const MdiScene& scene) {
  RECT area, inner;
  ::GetClientRect(scene.Workspace(), &area);
  for (HWND h : scene.Children()) {
    if (!::IsWindowVisible(h) || !::IsZoomed(h)) continue;
    ::GetClientRect(h, &inner);
    if (inner.right != area.right || inner.bottom != area.bottom) return false;
  }
  return true;
}

// Each step's picture matches a full repaint; a step that activates leaves the topmost child shown active.
inline void ExpectPicturesHold(MdiScene& scene, const std::vector<MdiStep>& steps) {
  for (const MdiStep& s : steps) {
    const bool activates = Activates(scene, s);
    Apply(scene, s);
    EXPECT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << Describe(steps);
    EXPECT_TRUE(!activates || ActiveIsTopmostShown(scene)) << Describe(steps);
    EXPECT_TRUE(ZoomedFillsWorkspace(scene)) << Describe(steps);
  }
}

// `rounds` random runs of `length` steps, each on a new scene; stops at the first stale picture.
template <class Scene>
void RunRandomSteps(unsigned seed, int rounds, int length, size_t maxChildren, int ops = kMdiOps) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : seed);
  for (int round = 0; round < rounds; ++round) {
    Scene scene;
    scene.AddChild(0, CRect(10, 10, 200, 150));
    std::vector<MdiStep> done;
    // A program's move of a maximized child keeps it maximized where it was put, as the system's does.
    bool movedZoomed = false;
    for (int i = 0; i < length; ++i) {
      const unsigned pick = rng() % (unsigned)(ops == kMdiOps ? kMdiOps : kMdiOps + 2);
      MdiStep s{(MdiOp)(pick < kMdiOps ? pick : pick + 1), (int)(rng() % 4), (int)(rng() % 200), (int)(rng() % 150),
                (int)(rng() % 100)};
      if (s.op == kCreate && scene.Children().size() >= maxChildren) s.op = kArrange;
      done.push_back(s);
      HWND moved = s.op == kMove ? StepChild(scene, s) : nullptr;
      movedZoomed |= moved && ::IsZoomed(moved);
      const bool activates = Activates(scene, s);
      Apply(scene, s);
      ASSERT_EQ(0, PixelsOffFullRepaint(scene.MainWnd())) << Describe(done);
      ASSERT_TRUE(!activates || ActiveIsTopmostShown(scene)) << Describe(done);
      int zoomed = 0;
      for (HWND h : scene.Children()) zoomed += ::IsWindowVisible(h) && ::IsZoomed(h);
      ASSERT_LE(zoomed, 1) << Describe(done);
      ASSERT_TRUE(movedZoomed || ZoomedFillsWorkspace(scene)) << Describe(done);
    }
  }
}

}  // namespace dravonix::test
