// The window manager: creation and destruction order, geometry, z-order, focus, painting and scroll bars.
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/UpdateRegion.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LoggedMsg {
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  HWND focus;  // GetFocus() as the message arrived
};
std::vector<LoggedMsg> g_msgs;
LRESULT g_createResult = 0;

LRESULT LoggingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  g_msgs.push_back({h, msg, wp, lp, GetFocus()});
  if (msg == WM_CREATE) return g_createResult;
  return DefWindowProc(h, msg, wp, lp);
}

void RegisterOnce(const char* name, UINT style) {
  WNDCLASS wc{};
  wc.style = style;
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = name;
  WNDCLASS have;
  if (!GetClassInfo(nullptr, name, &have)) {
    ASSERT_NE(0, RegisterClass(&wc));
  }
}

std::vector<UINT> Messages(HWND h, std::initializer_list<UINT> only = {}) {
  std::vector<UINT> r;
  for (auto& l : g_msgs) {
    if (l.hwnd != h) continue;
    if (only.size() && std::find(only.begin(), only.end(), l.msg) == only.end()) continue;
    r.push_back(l.msg);
  }
  return r;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterOnce("TestWnd", CS_DBLCLKS);
    RegisterOnce("PlainWnd", 0);
    g_msgs.clear();
    g_createResult = 0;
  }
  void TearDown() override {
    for (HWND h : m_windows)
      if (IsWindow(h)) DestroyWindow(h);
    PumpMessages();
  }
  HWND Top(DWORD style = WS_OVERLAPPEDWINDOW, const char* cls = "TestWnd") {
    HWND h = CreateWindowEx(0, cls, "top", style, 100, 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
    m_windows.push_back(h);
    return h;
  }
  HWND Child(HWND parent, int id, CRect r, DWORD style = WS_CHILD | WS_VISIBLE, const char* cls = "TestWnd") {
    return CreateWindowEx(0, cls, "child", style, r.left, r.top, r.Width(), r.Height(), parent, (HMENU)(UINT_PTR)id,
                          nullptr, nullptr);
  }
  std::vector<HWND> m_windows;
};

TEST_F(WindowTest, CreationSendsMessagesInOrderAndDestructionGoesParentFirstThenChildrenFirst) {
  HWND top = Top();
  ASSERT_TRUE(top);
  auto created = Messages(top);
  std::vector<UINT> expect{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
  ASSERT_GE(created.size(), expect.size());
  EXPECT_EQ(expect, std::vector<UINT>(created.begin(), created.begin() + (long)expect.size()));
  char buf[32];
  EXPECT_EQ(3, GetWindowText(top, buf, sizeof buf));
  EXPECT_STREQ("top", buf);

  HWND a = Child(top, 10, CRect(0, 0, 50, 50));
  HWND b = Child(a, 11, CRect(0, 0, 10, 10));
  // The parent hears of its child's creation.
  bool notified = false;
  for (auto& l : g_msgs)
    if (l.hwnd == top && l.msg == WM_PARENTNOTIFY && LOWORD(l.wp) == WM_CREATE && (HWND)l.lp == a) notified = true;
  EXPECT_TRUE(notified);
  g_msgs.clear();
  EXPECT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> order;
  for (auto& l : g_msgs)
    if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY) order.push_back({l.hwnd, l.msg});
  std::vector<std::pair<HWND, UINT>> want{{top, WM_DESTROY}, {a, WM_DESTROY},   {b, WM_DESTROY},
                                          {b, WM_NCDESTROY}, {a, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(want, order);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowTest, CreateFailsCleanly) {
  EXPECT_EQ(nullptr, CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ((DWORD)ERROR_CANNOT_FIND_WND_CLASS, GetLastError());
  EXPECT_EQ(nullptr, CreateWindowEx(0, "TestWnd", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ((DWORD)ERROR_TLW_WITH_WSCHILD, GetLastError());
  g_createResult = -1;
  g_msgs.clear();
  EXPECT_EQ(nullptr, CreateWindowEx(0, "TestWnd", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_FALSE(g_msgs.empty());
  EXPECT_EQ((UINT)WM_NCDESTROY, g_msgs.back().msg);
  g_createResult = 0;
  // A class registered twice is refused; an unknown class cannot be unregistered.
  WNDCLASS wc{};
  wc.lpszClassName = "TestWnd";
  EXPECT_EQ(0, RegisterClass(&wc));
  EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());
  EXPECT_FALSE(UnregisterClass("NeverThere", nullptr));
}

TEST_F(WindowTest, NullAndDestroyedWindowsFailWithoutCrashing) {
  HWND h = Top(WS_POPUP);
  DestroyWindow(h);
  for (HWND bad : {(HWND) nullptr, h}) {
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(0, SendMessage(bad, WM_USER, 1, 2));
    if (bad) {
      EXPECT_FALSE(PostMessage(bad, WM_USER, 1, 2));
    }
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
    RECT r;
    EXPECT_FALSE(GetWindowRect(bad, &r));
    EXPECT_FALSE(SetWindowPos(bad, nullptr, 0, 0, 1, 1, 0));
    EXPECT_EQ(nullptr, GetDlgItem(bad, 1));
    EXPECT_FALSE(InvalidateRect(bad, nullptr, TRUE) && bad);
    EXPECT_EQ(0u, SetTimer(bad, 1, 100, nullptr) * (bad != nullptr));
    char buf[8] = "x";
    EXPECT_EQ(0, GetWindowText(bad, buf, sizeof buf));
    EXPECT_STREQ("", buf);
  }
  EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
}

namespace {
int g_afterDestroySends = 0;
LRESULT SelfDestroyingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER) {
    DestroyWindow(h);
    // The window is gone now; using it again must be harmless.
    g_afterDestroySends += (int)SendMessage(h, WM_USER + 1, 0, 0);
    EXPECT_FALSE(DestroyWindow(h));
    return 7;
  }
  if (msg == WM_DESTROY) {
    // Messages during destruction still arrive; a second DestroyWindow is refused.
    EXPECT_EQ(42, SendMessage(h, WM_USER + 2, 0, 0));
    EXPECT_FALSE(DestroyWindow(h));
  }
  if (msg == WM_USER + 2) return 42;
  return DefWindowProc(h, msg, wp, lp);
}
}  // namespace

TEST_F(WindowTest, WindowDestroyingItselfInsideItsOwnHandler) {
  WNDCLASS wc{};
  wc.lpfnWndProc = SelfDestroyingProc;
  wc.lpszClassName = "SelfDestroying";
  RegisterClass(&wc);
  HWND h = CreateWindowEx(0, "SelfDestroying", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(h);
  EXPECT_EQ(7, SendMessage(h, WM_USER, 0, 0));
  EXPECT_EQ(0, g_afterDestroySends);
  EXPECT_FALSE(IsWindow(h));
  // A message posted before destruction is dropped with the window.
  HWND h2 = CreateWindowEx(0, "SelfDestroying", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostMessage(h2, WM_USER, 0, 0);
  PostMessage(h2, WM_USER, 0, 0);
  PumpMessages();
  EXPECT_FALSE(IsWindow(h2));
}

TEST_F(WindowTest, ClientAndWindowRectanglesFollowTheStyle) {
  HWND top = Top(WS_OVERLAPPEDWINDOW);
  RECT wr, cr;
  GetWindowRect(top, &wr);
  GetClientRect(top, &cr);
  EXPECT_EQ(CRect(100, 50, 500, 350), CRect(wr));
  // Thick frame 4 on every side, caption 19.
  EXPECT_EQ(CRect(0, 0, 400 - 8, 300 - 8 - 19), CRect(cr));
  POINT p{0, 0};
  ClientToScreen(top, &p);
  EXPECT_EQ(104, p.x);
  EXPECT_EQ(50 + 4 + 19, p.y);

  HWND child = Child(top, 5, CRect(10, 20, 110, 70), WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL);
  GetClientRect(child, &cr);
  EXPECT_EQ(CRect(0, 0, 100 - 2 - 16, 50 - 2), CRect(cr));
  GetWindowRect(child, &wr);
  EXPECT_EQ(CRect(104 + 10, 73 + 20, 104 + 110, 73 + 70), CRect(wr));
  HWND edge = CreateWindowEx(WS_EX_CLIENTEDGE, "TestWnd", "", WS_CHILD, 0, 0, 50, 40, top, nullptr, nullptr, nullptr);
  GetClientRect(edge, &cr);
  EXPECT_EQ(CRect(0, 0, 46, 36), CRect(cr));
  HWND dlg = CreateWindowEx(0, "TestWnd", "", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  m_windows.push_back(dlg);
  GetClientRect(dlg, &cr);
  EXPECT_EQ(CRect(0, 0, 194, 100 - 6 - 19), CRect(cr));
  RECT adj{0, 0, 194, 75};
  AdjustWindowRectEx(&adj, WS_POPUP | WS_CAPTION, FALSE, 0);
  EXPECT_EQ(CRect(-3, -22, 197, 78), CRect(adj));

  // Moving sends WM_WINDOWPOSCHANGED, WM_MOVE and WM_SIZE with the client size.
  g_msgs.clear();
  MoveWindow(child, 0, 0, 60, 30, TRUE);
  auto msgs = Messages(child, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE});
  EXPECT_EQ((std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}), msgs);
  for (auto& l : g_msgs)
    if (l.hwnd == child && l.msg == WM_SIZE) {
      EXPECT_EQ(MAKELPARAM(60 - 2 - 16, 28), l.lp);
    }
  POINT pts[1] = {{0, 0}};
  MapWindowPoints(child, top, pts, 1);
  EXPECT_EQ(1, pts[0].x);
  EXPECT_EQ(1, pts[0].y);
}

TEST_F(WindowTest, TreeZOrderAndHitTesting) {
  HWND top = Top(WS_POPUP | WS_VISIBLE);
  HWND a = Child(top, 1, CRect(0, 0, 100, 100));
  HWND b = Child(top, 2, CRect(50, 50, 150, 150));
  HWND c = Child(top, 3, CRect(200, 0, 250, 50), WS_CHILD | WS_VISIBLE | WS_DISABLED);
  EXPECT_EQ(a, GetWindow(top, GW_CHILD));  // creation order is the z-order of children
  EXPECT_EQ(b, GetWindow(a, GW_HWNDNEXT));
  EXPECT_EQ(b, GetDlgItem(top, 2));
  EXPECT_EQ(nullptr, GetDlgItem(top, 99));
  EXPECT_EQ(2, GetDlgCtrlID(b));
  EXPECT_EQ(top, GetParent(a));
  EXPECT_TRUE(IsChild(top, a));
  EXPECT_FALSE(IsChild(a, top));
  // a lies above b where they overlap.
  EXPECT_EQ(a, ChildWindowFromPoint(top, POINT{60, 60}));
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(b, GetTopWindow(top));
  EXPECT_EQ(b, ChildWindowFromPoint(top, POINT{60, 60}));
  SetWindowPos(b, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(a, ChildWindowFromPoint(top, POINT{60, 60}));
  EXPECT_EQ(top, ChildWindowFromPoint(top, POINT{180, 180}));
  EXPECT_EQ(nullptr, ChildWindowFromPoint(top, POINT{-5, 5}));
  EXPECT_EQ(c, ChildWindowFromPointEx(top, POINT{210, 10}, CWP_ALL));
  EXPECT_EQ(top, ChildWindowFromPointEx(top, POINT{210, 10}, CWP_SKIPDISABLED));
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(b, ChildWindowFromPointEx(top, POINT{60, 60}, CWP_SKIPINVISIBLE));
  POINT screen{60, 60};
  ClientToScreen(top, &screen);
  EXPECT_EQ(b, WindowFromPoint(screen));
  // A group box drawn over b passes the point on, as a click there reaches b.
  HWND group = Child(top, 4, CRect(40, 40, 170, 170), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, "Button");
  SetWindowPos(group, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(b, WindowFromPoint(screen));
  POINT onDisabled{210, 10};
  ClientToScreen(top, &onDisabled);
  EXPECT_EQ(top, WindowFromPoint(onDisabled));
  EXPECT_EQ(nullptr, WindowFromPoint(POINT{1279, 1023}));
  // Top-level windows: the newest is on top unless another is top-most.
  HWND other = Top(WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(other, GetTopWindow(nullptr));
  SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND third = Top(WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(top, GetTopWindow(nullptr));
  EXPECT_EQ(third, GetWindow(top, GW_HWNDNEXT));
}

TEST_F(WindowTest, FocusMessagesCarryTheOtherWindowAndActivationFollows) {
  HWND top = Top(WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(top, GetActiveWindow());
  EXPECT_EQ(top, GetFocus());
  HWND a = Child(top, 1, CRect(0, 0, 10, 10));
  HWND b = Child(top, 2, CRect(20, 0, 30, 10));
  g_msgs.clear();
  EXPECT_EQ(top, SetFocus(a));
  EXPECT_EQ(a, SetFocus(b));
  std::vector<LoggedMsg> focus;
  for (auto& l : g_msgs)
    if (l.msg == WM_SETFOCUS || l.msg == WM_KILLFOCUS) focus.push_back(l);
  ASSERT_EQ(4u, focus.size());
  EXPECT_EQ(top, focus[0].hwnd);
  EXPECT_EQ((UINT)WM_KILLFOCUS, focus[0].msg);
  EXPECT_EQ((WPARAM)a, focus[0].wp);
  EXPECT_EQ(a, focus[1].hwnd);
  EXPECT_EQ((UINT)WM_SETFOCUS, focus[1].msg);
  EXPECT_EQ((WPARAM)top, focus[1].wp);
  EXPECT_EQ((WPARAM)b, focus[2].wp);
  EXPECT_EQ((WPARAM)a, focus[3].wp);
  // The focus has moved before the old window hears it is losing it.
  EXPECT_EQ(a, focus[0].focus);
  EXPECT_EQ(b, focus[2].focus);
  // Disabling the focus window takes the focus away; destroying it too.
  EnableWindow(b, FALSE);
  EXPECT_EQ(nullptr, GetFocus());
  EXPECT_FALSE(IsWindowEnabled(b));
  EXPECT_TRUE(EnableWindow(b, TRUE));
  SetFocus(a);
  DestroyWindow(a);
  EXPECT_EQ(nullptr, GetFocus());
  // Activation moves to another window when the active one is destroyed.
  HWND second = Top(WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(second, GetActiveWindow());
  DestroyWindow(second);
  EXPECT_EQ(top, GetActiveWindow());
  // Capture: the old window hears that it lost it.
  SetCapture(b);
  g_msgs.clear();
  SetCapture(top);
  EXPECT_EQ((std::vector<UINT>{WM_CAPTURECHANGED}), Messages(b, {WM_CAPTURECHANGED}));
  ReleaseCapture();
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(WindowTest, MousePressesInAChildNotifyTheParentChainInEachParentsCoordinates) {
  HWND top = Top(WS_POPUP | WS_VISIBLE);
  HWND mid = Child(top, 1, CRect(20, 30, 120, 130));
  HWND leaf = Child(mid, 2, CRect(5, 5, 50, 50));
  UiAutomation::Pump();
  auto notes = [&](HWND h) {
    std::vector<std::pair<WPARAM, LPARAM>> r;
    for (auto& l : g_msgs)
      if (l.hwnd == h && l.msg == WM_PARENTNOTIFY) r.emplace_back(l.wp, l.lp);
    return r;
  };
  using Notes = std::vector<std::pair<WPARAM, LPARAM>>;
  struct Case {
    HWND noNotify;  // window given WS_EX_NOPARENTNOTIFY
    Notes mid, top;
  };
  WPARAM down = MAKEWPARAM(WM_LBUTTONDOWN, 0), right = MAKEWPARAM(WM_RBUTTONDOWN, 0);
  for (const Case& c : {Case{nullptr, {{down, MAKELPARAM(8, 9)}, {right, MAKELPARAM(8, 9)}},
                             {{down, MAKELPARAM(28, 39)}, {right, MAKELPARAM(28, 39)}}},
                        Case{mid, {{down, MAKELPARAM(8, 9)}, {right, MAKELPARAM(8, 9)}}, {}}, Case{leaf, {}, {}}}) {
    for (HWND h : {mid, leaf}) SetWindowLong(h, GWL_EXSTYLE, h == c.noNotify ? WS_EX_NOPARENTNOTIFY : 0);
    g_msgs.clear();
    UiAutomation::Click(leaf, POINT{3, 4});
    UiAutomation::RightClick(leaf, POINT{3, 4});
    EXPECT_EQ(c.mid, notes(mid));
    EXPECT_EQ(c.top, notes(top));
  }
  // A top-level window has nobody to tell.
  g_msgs.clear();
  UiAutomation::Click(top, POINT{1, 1});
  EXPECT_TRUE(notes(top).empty());
}

TEST_F(WindowTest, PaintingFollowsTheUpdateRegion) {
  HWND top = Top(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  PumpMessages();
  RECT r;
  EXPECT_FALSE(GetUpdateRect(top, &r, FALSE));
  RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
  InvalidateRect(top, &a, FALSE);
  InvalidateRect(top, &b, TRUE);
  EXPECT_TRUE(GetUpdateRect(top, &r, FALSE));
  EXPECT_EQ(CRect(10, 5, 40, 20), CRect(r));
  RECT rects[4];
  EXPECT_EQ(2, GetUpdateRects(top, rects, 4));
  ValidateRect(top, &a);
  GetUpdateRect(top, &r, FALSE);
  EXPECT_EQ(CRect(b), CRect(r));
  g_msgs.clear();
  EXPECT_EQ(1, PumpMessages());
  EXPECT_EQ((std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}), Messages(top, {WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(GetUpdateRect(top, &r, FALSE));
  // UpdateWindow paints at once; nothing is left for the queue.
  InvalidateRect(top, nullptr, FALSE);
  g_msgs.clear();
  UpdateWindow(top);
  EXPECT_EQ((std::vector<UINT>{WM_PAINT}), Messages(top, {WM_PAINT}));
  EXPECT_EQ(0, PumpMessages());
  // Hidden windows collect nothing.
  ShowWindow(top, SW_HIDE);
  InvalidateRect(top, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(top, &r, FALSE));
}

TEST_F(WindowTest, ScrollWindowExMovesTheUpdateRegionAndExposesAStrip) {
  HWND top = Top(WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 1, CRect(10, 100, 30, 120));
  PumpMessages();
  RECT pending{0, 50, 10, 60};
  InvalidateRect(top, &pending, FALSE);
  RECT upd;
  int kind = ScrollWindowEx(top, 0, -20, nullptr, nullptr, nullptr, &upd, SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
  EXPECT_EQ(SIMPLEREGION, kind);
  EXPECT_EQ(CRect(0, 280, 400, 300), CRect(upd));
  RECT rects[4];
  int n = GetUpdateRects(top, rects, 4);
  ASSERT_EQ(2, n);
  CUpdateRegion got;
  for (int i = 0; i < n; ++i) got.Add(rects[i]);
  EXPECT_TRUE(got.Contains(POINT{5, 35}));   // the pending area moved up with the pixels
  EXPECT_FALSE(got.Contains(POINT{5, 55}));
  EXPECT_TRUE(got.Contains(POINT{200, 290}));
  RECT cr;
  GetWindowRect(child, &cr);
  POINT p{cr.left, cr.top};
  ScreenToClient(top, &p);
  EXPECT_EQ(80, p.y);
  // Within a rectangle, children stay where they are.
  RECT area{0, 0, 100, 100};
  ScrollWindow(top, 10, 0, &area, nullptr);
  GetWindowRect(child, &cr);
  p = POINT{cr.left, cr.top};
  ScreenToClient(top, &p);
  EXPECT_EQ(10, p.x);
}

TEST_F(WindowTest, WindowScrollBarsClampAndShowThemselves) {
  HWND top = Top(WS_POPUP | WS_VISIBLE);
  RECT cr;
  GetClientRect(top, &cr);
  EXPECT_EQ(400, cr.right);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 95, 0};
  EXPECT_EQ(90, SetScrollInfo(top, SB_VERT, &si, TRUE));
  EXPECT_TRUE(GetWindowLong(top, GWL_STYLE) & WS_VSCROLL);
  GetClientRect(top, &cr);
  EXPECT_EQ(384, cr.right);
  SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(top, SB_VERT, &out);
  EXPECT_EQ(0, out.nMin);
  EXPECT_EQ(99, out.nMax);
  EXPECT_EQ(10u, out.nPage);
  EXPECT_EQ(90, out.nPos);
  EXPECT_EQ(90, SetScrollPos(top, SB_VERT, -5, TRUE));
  EXPECT_EQ(0, GetScrollPos(top, SB_VERT));
  // A page that covers the range hides the bar, unless asked to disable it instead.
  si = SCROLLINFO{sizeof si, SIF_PAGE, 0, 0, 200, 0, 0};
  SetScrollInfo(top, SB_VERT, &si, TRUE);
  EXPECT_FALSE(GetWindowLong(top, GWL_STYLE) & WS_VSCROLL);
  SetScrollRange(top, SB_HORZ, 0, 500, TRUE);
  EXPECT_TRUE(GetWindowLong(top, GWL_STYLE) & WS_HSCROLL);
  int lo, hi;
  GetScrollRange(top, SB_HORZ, &lo, &hi);
  EXPECT_EQ(500, hi);
  SetScrollRange(top, SB_HORZ, 0, 0, TRUE);
  EXPECT_FALSE(GetWindowLong(top, GWL_STYLE) & WS_HSCROLL);
}

TEST_F(WindowTest, ShowMaximiseMinimiseAndDeferredPositions) {
  HWND top = Top(WS_OVERLAPPEDWINDOW);
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(top));
  g_msgs.clear();
  ShowWindow(top, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(top));
  RECT wr;
  GetWindowRect(top, &wr);
  EXPECT_EQ(CRect(-4, -4, 1284, 1028), CRect(wr));
  bool sawMaxSize = false;
  for (auto& l : g_msgs)
    if (l.hwnd == top && l.msg == WM_SIZE && l.wp == SIZE_MAXIMIZED) sawMaxSize = true;
  EXPECT_TRUE(sawMaxSize);
  ShowWindow(top, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(top));
  GetWindowRect(top, &wr);
  EXPECT_EQ(CRect(100, 50, 500, 350), CRect(wr));
  ShowWindow(top, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(top));
  ShowWindow(top, SW_RESTORE);
  HWND a = Child(top, 1, CRect(0, 0, 10, 10));
  HWND b = Child(top, 2, CRect(0, 0, 10, 10));
  HDWP d = BeginDeferWindowPos(2);
  d = DeferWindowPos(d, a, nullptr, 5, 5, 20, 20, SWP_NOZORDER);
  d = DeferWindowPos(d, b, nullptr, 30, 5, 20, 20, SWP_NOZORDER);
  EXPECT_TRUE(EndDeferWindowPos(d));
  RECT cr;
  GetClientRect(b, &cr);
  EXPECT_EQ(20, cr.right);
  EXPECT_EQ(nullptr, DeferWindowPos(BeginDeferWindowPos(1), nullptr, nullptr, 0, 0, 0, 0, 0));
}

namespace {
LRESULT CALLBACK_Subclass(HWND h, UINT msg, WPARAM wp, LPARAM lp);
WNDPROC g_super;
LRESULT CALLBACK_Subclass(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER + 5) return 55;
  return CallWindowProc(g_super, h, msg, wp, lp);
}
}  // namespace

TEST_F(WindowTest, SubclassingAndLongValues) {
  HWND top = Top(WS_POPUP);
  g_super = (WNDPROC)SetWindowLongPtr(top, GWLP_WNDPROC, (LONG_PTR)CALLBACK_Subclass);
  EXPECT_EQ((WNDPROC)LoggingProc, g_super);
  EXPECT_EQ(55, SendMessage(top, WM_USER + 5, 0, 0));
  g_msgs.clear();
  SendMessage(top, WM_USER + 6, 0, 0);
  EXPECT_EQ((std::vector<UINT>{WM_USER + 6}), Messages(top));
  SetWindowLongPtr(top, GWLP_USERDATA, 1234);
  EXPECT_EQ(1234, GetWindowLongPtr(top, GWLP_USERDATA));
  g_msgs.clear();
  SetWindowLong(top, GWL_STYLE, GetWindowLong(top, GWL_STYLE) | WS_BORDER);
  EXPECT_EQ((std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}), Messages(top));
  char name[32];
  EXPECT_EQ(7, GetClassName(top, name, sizeof name));
  EXPECT_STREQ("TestWnd", name);
  EXPECT_EQ(3, GetClassName(top, name, 4));
  EXPECT_STREQ("Tes", name);
  SetProp(top, "Key", (HANDLE)0x55);
  EXPECT_EQ((HANDLE)0x55, GetProp(top, "KEY"));
  EXPECT_EQ((HANDLE)0x55, RemoveProp(top, "key"));
  EXPECT_EQ(nullptr, GetProp(top, "key"));
  EXPECT_EQ(0, GetWindowLongPtr(top, 4096));
  EXPECT_EQ((DWORD)ERROR_INVALID_INDEX, GetLastError());
}

}  // namespace
