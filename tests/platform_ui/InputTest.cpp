// Simulated input as a user gives it: capture during drags, cursor shapes, mouse activation,
// hit testing, and the smaller window-manager services (regions, dialog-item numbers, enumeration).
#include "platform/core/Clock.h"
#include "platform/ui/Controls.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/UpdateRegion.h"
#include "platform/ui/Wnd.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class CDragWnd : public CWnd {
 public:
  std::vector<CPoint> m_moves;
  CPoint m_up{-1, -1};
  int m_setCursor = 0;

 protected:
  void OnLButtonDown(UINT, CPoint) override { SetCapture(); }
  void OnMouseMove(UINT flags, CPoint p) override {
    if (flags & MK_LBUTTON) m_moves.push_back(p);
  }
  void OnLButtonUp(UINT, CPoint p) override {
    m_up = p;
    ReleaseCapture();
  }
  BOOL OnSetCursor(CWnd* w, UINT hit, UINT msg) override {
    ++m_setCursor;
    return CWnd::OnSetCursor(w, hit, msg);
  }
};

TEST(InputTest, ADragKeepsGoingToTheWindowThatCapturedTheMouse) {
  CWnd top;
  top.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
  CDragWnd a;
  a.Create(AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_CROSS)), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100),
           &top, 1);
  CDragWnd b;
  b.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(150, 0, 250, 100), &top, 2);
  // From a into b: the moves and the release still reach a, in a's coordinates.
  UiAutomation::Drag(a.m_hWnd, POINT{10, 10}, POINT{170, 30}, 4);
  EXPECT_EQ(4u, a.m_moves.size());
  EXPECT_EQ(CPoint(170, 30), a.m_up);
  EXPECT_TRUE(b.m_moves.empty());
  EXPECT_EQ(nullptr, GetCapture());
  // The class cursor shows over a window that has one.
  SetCursor(nullptr);
  UiAutomation::MouseMove(a.m_hWnd, POINT{5, 5});
  EXPECT_EQ(LoadCursor(nullptr, IDC_CROSS), GetCursor());
  EXPECT_GT(a.m_setCursor, 0);
  // While captured no WM_SETCURSOR is sent.
  a.SetCapture();
  int before = a.m_setCursor;
  UiAutomation::MouseMove(a.m_hWnd, POINT{6, 6});
  EXPECT_EQ(before, a.m_setCursor);
  ReleaseCapture();
  top.DestroyWindow();
}

// A press on it hands the capture to another window, as the panel editor and the grid do.
class CHandingWnd : public CWnd {
 public:
  CWnd* m_to = nullptr;
  int m_presses = 0;
  std::vector<UINT> m_commands;

 protected:
  void OnLButtonDown(UINT, CPoint) override {
    ++m_presses;
    if (m_to) m_to->SetCapture();
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    m_commands.push_back(HIWORD(wParam));
    return CWnd::OnCommand(wParam, lParam);
  }
};

TEST(InputTest, EachPostedMessageFindsItsWindowWhenTakenAndDisabledWindowsGetNone) {
  CHandingWnd top;
  top.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
  CDragWnd b;
  b.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(150, 0, 250, 100), &top, 2);
  CHandingWnd a;
  a.m_to = &b;
  a.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &top, 1);
  // The press takes the capture for b: the release of the same click goes to b, in b's coordinates.
  UiAutomation::Click(a.m_hWnd, POINT{10, 10});
  EXPECT_EQ(CPoint(-140, 10), b.m_up);
  UiAutomation::Drag(a.m_hWnd, POINT{10, 10}, POINT{30, 50}, 2);
  EXPECT_EQ((std::vector<CPoint>{CPoint(-130, 30), CPoint(-120, 50)}), b.m_moves);
  EXPECT_EQ(CPoint(-120, 50), b.m_up);
  EXPECT_EQ(nullptr, GetCapture());

  // A disabled push button gets no click and no focus; its parent gets the press instead.
  CButton button;
  button.Create("Run", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, CRect(10, 120, 80, 150), &top, 3);
  top.SetFocus();
  UiAutomation::Click(button.m_hWnd, POINT{5, 5});
  EXPECT_EQ(1, top.m_presses);
  EXPECT_TRUE(top.m_commands.empty());
  EXPECT_EQ(top.m_hWnd, GetFocus());
  button.EnableWindow(TRUE);
  UiAutomation::Click(button.m_hWnd, POINT{5, 5});
  EXPECT_EQ((std::vector<UINT>{BN_CLICKED}), top.m_commands);
  EXPECT_EQ(button.m_hWnd, GetFocus());
  // Inside a disabled top-level window nothing takes the click.
  top.EnableWindow(FALSE);
  UiAutomation::Click(button.m_hWnd, POINT{5, 5});
  UiAutomation::Click(a.m_hWnd, POINT{5, 5});
  EXPECT_EQ(1u, top.m_commands.size());
  EXPECT_EQ(2, a.m_presses);
  top.DestroyWindow();
}

// Each level of nesting places its children in its own client area: a click finds the window that
// shows at the point however deep it lies, under a frame with a caption and a border.
TEST(InputTest, AClickGoesToTheNestedWindowShownAtThePoint) {
  CWnd top;
  top.CreateEx(0, AfxRegisterWndClass(0), "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(60, 40, 460, 340), nullptr, 0);
  CDragWnd panel, inner;
  panel.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(30, 20, 230, 180), &top, 1);
  inner.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(50, 40, 110, 90), &panel, 2);
  UiAutomation::Click(top.m_hWnd, POINT{45, 35});
  EXPECT_EQ(CPoint(15, 15), panel.m_up);
  UiAutomation::Click(top.m_hWnd, POINT{85, 65});
  EXPECT_EQ(CPoint(5, 5), inner.m_up);
  UiAutomation::Click(panel.m_hWnd, POINT{105, 85});
  EXPECT_EQ(CPoint(55, 45), inner.m_up);
  UiAutomation::Click(panel.m_hWnd, POINT{150, 120});
  EXPECT_EQ(CPoint(150, 120), panel.m_up);
  top.DestroyWindow();
}

class CTypedWnd : public CWnd {
 public:
  std::string m_typed;
  std::atomic<int> m_count{0};

 protected:
  void OnLButtonDown(UINT, CPoint) override { SetFocus(); }
  void OnChar(UINT ch, UINT, UINT) override { m_typed += (char)ch, ++m_count; }
};

// Keys belong to the thread whose window a click brought to the foreground, whichever thread
// presses them.
TEST(InputTest, KeysGoToTheThreadOfTheWindowClickedLast) {
  CTypedWnd here;
  here.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0);
  std::atomic<HWND> there{nullptr};
  std::atomic<CTypedWnd*> other{nullptr};
  std::atomic<bool> stop{false};
  std::string typedThere;
  std::thread t([&] {
    CTypedWnd w;
    w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(200, 0, 300, 100), nullptr, 0);
    other = &w;
    there = w.m_hWnd;
    MSG m;
    while (!stop)
      if (UiGetMessageTimeout(&m, 10) > 0) TranslateMessage(&m), DispatchMessage(&m);
    typedThere = w.m_typed;
    w.DestroyWindow();
  });
  ASSERT_TRUE(dravonix::test::PumpUntil([&] { return there.load() != nullptr; }));
  UiAutomation::Click(here.m_hWnd, POINT{10, 10});
  UiAutomation::TypeText("a");
  UiAutomation::Click(there.load(), POINT{10, 10});
  ASSERT_TRUE(dravonix::test::PumpUntil([&] { return ::GetForegroundWindow() == there.load(); }));
  UiAutomation::TypeText("b");
  EXPECT_TRUE(dravonix::test::PumpUntil([&] { return other.load()->m_count == 1; }));
  UiAutomation::Click(here.m_hWnd, POINT{10, 10});
  UiAutomation::TypeText("c");
  stop = true;
  t.join();
  EXPECT_EQ("ac", here.m_typed);
  EXPECT_EQ("b", typedThere);
  here.DestroyWindow();
}

class CEatingWnd : public CWnd {
 public:
  int m_downs = 0;
  int m_result = MA_ACTIVATEANDEAT;

 protected:
  int OnMouseActivate(CWnd*, UINT, UINT) override { return m_result; }
  void OnLButtonDown(UINT, CPoint) override { ++m_downs; }
};

TEST(InputTest, MouseActivationCanEatTheClick) {
  CEatingWnd first;
  first.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0);
  CWnd other;
  other.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(100, 0, 150, 50), nullptr, 0);
  EXPECT_EQ(other.m_hWnd, GetActiveWindow());
  UiAutomation::Click(first.m_hWnd, POINT{5, 5});
  EXPECT_EQ(first.m_hWnd, GetActiveWindow());  // activated,
  EXPECT_EQ(0, first.m_downs);                 // and the click eaten
  first.m_result = MA_NOACTIVATE;
  other.SetActiveWindow();
  UiAutomation::Click(first.m_hWnd, POINT{5, 5});
  EXPECT_EQ(other.m_hWnd, GetActiveWindow());
  EXPECT_EQ(1, first.m_downs);
  first.DestroyWindow();
  other.DestroyWindow();
}

TEST(InputTest, HitTestingFindsFramePartsAsTheDefaultProcedureDoes) {
  CWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
             CRect(100, 100, 500, 400), nullptr, 0);
  auto hit = [&](int x, int y) { return (int)w.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
  EXPECT_EQ(HTCLIENT, hit(200, 200));
  EXPECT_EQ(HTCAPTION, hit(200, 110));
  EXPECT_EQ(HTCLOSE, hit(490, 110));
  EXPECT_EQ(HTSYSMENU, hit(106, 110));
  EXPECT_EQ(HTLEFT, hit(101, 250));
  EXPECT_EQ(HTBOTTOMRIGHT, hit(499, 399));
  EXPECT_EQ(HTTOPLEFT, hit(100, 100));
  EXPECT_EQ(HTVSCROLL, hit(490, 250));
  EXPECT_EQ(HTHSCROLL, hit(250, 390));
  EXPECT_EQ(HTGROWBOX, hit(490, 390));
  EXPECT_EQ(HTNOWHERE, hit(10, 10));
  w.DestroyWindow();
}

// A press on a sizable frame's edge or corner drags that edge, down to the window's least tracking
// size; a child sized so is told it is the active one.
TEST(InputTest, DraggedFrameEdgesSizeTheWindowWithinItsLimits) {
  struct Limited : CWnd {
    int activations = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
      if (msg == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{80, 60};
      if (msg == WM_CHILDACTIVATE) ++activations;
      return CWnd::WindowProc(msg, wp, lp);
    }
  } top, child;
  top.CreateEx(0, AfxRegisterWndClass(0), "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
  child.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_THICKFRAME | WS_VISIBLE, CRect(20, 20, 220, 120), &top, 5);
  // The child first: the frame sized below comes to clip it.
  CRect c;
  child.GetWindowRect(&c);
  CPoint corner(c.right - 1, c.bottom - 1);
  child.ScreenToClient(&corner);
  UiAutomation::Drag(child.m_hWnd, corner, corner + CSize(-300, 15));
  UiAutomation::Pump();
  CRect sized;
  child.GetWindowRect(&sized);
  EXPECT_EQ(sized, CRect(c.left, c.top, c.left + 80, c.bottom + 15));
  EXPECT_GT(child.activations, 0);
  const struct {
    CWnd* w;
    POINT at;  // screen
    CSize by;
    CRect want;  // screen
  } rows[] = {
      {&top, {499, 399}, {30, -20}, CRect(100, 100, 530, 380)},   // lower right corner
      {&top, {100, 250}, {-10, 0}, CRect(90, 100, 530, 380)},     // left edge
      {&top, {300, 379}, {0, -500}, CRect(90, 100, 530, 160)},    // bottom edge, stopped at 60 high
  };
  for (const auto& r : rows) {
    CPoint from = r.at;
    r.w->ScreenToClient(&from);
    UiAutomation::Drag(r.w->m_hWnd, from, from + r.by);
    UiAutomation::Pump();
    CRect now;
    r.w->GetWindowRect(&now);
    EXPECT_EQ(now, r.want) << r.at.x << "," << r.at.y;
  }
  top.DestroyWindow();
}

// The close box closes at a release over it, not when the button leaves it first.
TEST(InputTest, AClickOnTheCloseBoxClosesTheWindow) {
  struct Row {
    POINT press, release;  // screen points
    bool closed;
  } rows[] = {{{490, 110}, {490, 110}, true}, {{490, 110}, {200, 110}, false}, {{200, 110}, {490, 110}, false}};
  for (const Row& r : rows) {
    CWnd w;
    w.CreateEx(0, AfxRegisterWndClass(0), "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
    const HWND h = w.m_hWnd;
    auto post = [h](UINT msg, POINT at) {
      PostMouseInput(msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
    };
    post(WM_LBUTTONDOWN, r.press);
    post(WM_LBUTTONUP, r.release);
    UiAutomation::Pump();
    EXPECT_EQ(r.closed, !::IsWindow(h)) << r.press.x << " " << r.release.x;
    if (::IsWindow(h)) w.DestroyWindow();
  }
}

// Escape in the middle of a move or a size puts the window back and ends the tracking: the mouse
// that goes on moves nothing.
TEST(InputTest, EscapeInAFrameDragPutsTheWindowBack) {
  CWnd top, child;
  LPCSTR cls = AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1));
  top.CreateEx(0, cls, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
  child.CreateEx(0, cls, "", WS_CHILD | WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 220, 120), &top, 5);
  UiAutomation::Pump();
  ASSERT_EQ(0, dravonix::test::PixelsOffFullRepaint(top.m_hWnd));
  CRect c;
  child.GetWindowRect(&c);
  const struct {
    CWnd* w;
    POINT at;  // screen
  } rows[] = {{&top, {300, 110}}, {&top, {499, 399}}, {&child, {c.left + 60, c.top + 10}}, {&child, {c.left + 1, c.top + 50}}};
  for (const auto& r : rows) {
    auto post = [](UINT msg, POINT at) {
      PostMouseInput(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
      UiAutomation::Pump();
    };
    CRect before, now;
    r.w->GetWindowRect(&before);
    post(WM_LBUTTONDOWN, r.at);
    post(WM_MOUSEMOVE, POINT{r.at.x - 30, r.at.y - 20});
    r.w->GetWindowRect(&now);
    EXPECT_NE(before, now) << r.at.x << "," << r.at.y;
    UiAutomation::PressKey(VK_ESCAPE);
    post(WM_MOUSEMOVE, POINT{r.at.x - 50, r.at.y - 40});
    post(WM_LBUTTONUP, POINT{r.at.x - 50, r.at.y - 40});
    r.w->GetWindowRect(&now);
    EXPECT_EQ(before, now) << r.at.x << "," << r.at.y;
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(top.m_hWnd));
  }
  top.DestroyWindow();
}

TEST(InputTest, UpdateRegionsStayDisjoint) {
  CUpdateRegion r;
  r.Add(CRect(0, 0, 10, 10));
  r.Add(CRect(5, 5, 15, 15));
  int area = 0;
  for (const CRect& x : r.Rects()) area += x.Width() * x.Height();
  EXPECT_EQ(175, area);  // the overlap counted once
  EXPECT_EQ(CRect(0, 0, 15, 15), r.GetBounds());
  r.Subtract(CRect(0, 0, 15, 5));
  EXPECT_FALSE(r.Contains(POINT{2, 2}));
  EXPECT_TRUE(r.Contains(POINT{12, 12}));
  EXPECT_EQ(COMPLEXREGION, r.Complexity());
  r.Offset(100, 0);
  EXPECT_TRUE(r.Contains(POINT{112, 12}));
  r.IntersectWith(CRect(0, 0, 105, 100));
  EXPECT_EQ(CRect(100, 5, 105, 10), r.GetBounds());
  r.Add(CRect(0, 0, 0, 10));  // empty: nothing
  r.SetEmpty();
  EXPECT_EQ(NULLREGION, r.Complexity());
  // Many fragments collapse to their bounds rather than growing without end.
  for (int i = 0; i < 200; ++i) r.Add(CRect(i * 2, 0, i * 2 + 1, 1));
  EXPECT_LE(r.Rects().size(), 65u);
  EXPECT_TRUE(r.Contains(POINT{0, 0}));
  EXPECT_TRUE(r.Contains(POINT{398, 0}));
}

TEST(InputTest, DialogItemNumbersEnumerationAndOtherThreadsText) {
  CWnd parent;
  parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0);
  HWND item = CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD, 0, 0, 5, 5, parent.m_hWnd, (HMENU)40, nullptr,
                             nullptr);
  CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD, 0, 0, 5, 5, item, (HMENU)41, nullptr, nullptr);
  BOOL ok = FALSE;
  parent.SetDlgItemText(40, "  -123 ");
  EXPECT_EQ((UINT)-123, parent.GetDlgItemInt(40, &ok, TRUE));
  EXPECT_TRUE(ok);
  EXPECT_EQ(0u, parent.GetDlgItemInt(40, &ok, FALSE));
  EXPECT_FALSE(ok);
  parent.SetDlgItemText(40, "12x");
  EXPECT_EQ(0u, parent.GetDlgItemInt(40, &ok, TRUE));
  EXPECT_FALSE(ok);
  parent.SetDlgItemText(40, "4294967296");
  EXPECT_EQ(0u, parent.GetDlgItemInt(40, &ok, FALSE));
  EXPECT_FALSE(ok);
  parent.SetDlgItemInt(40, 4000000000u, FALSE);
  EXPECT_EQ(4000000000u, parent.GetDlgItemInt(40, &ok, FALSE));
  CString text;
  EXPECT_EQ(10, parent.GetDlgItemText(40, text));
  EXPECT_EQ(0, parent.GetDlgItemText(99, text));
  EXPECT_EQ(nullptr, parent.GetDlgItem(41));  // only direct children
  ASSERT_TRUE(parent.GetDescendantWindow(41));
  std::vector<HWND> all;
  EnumChildWindows(parent.m_hWnd, [](HWND h, LPARAM lp) { ((std::vector<HWND>*)lp)->push_back(h); return TRUE; },
                   (LPARAM)&all);
  EXPECT_EQ(2u, all.size());
  // Another thread reading the text asks the window, answered while this thread pumps.
  std::string seen;
  std::atomic<bool> read{false};
  std::thread t([&] {
    char buf[32];
    GetWindowText(parent.m_hWnd, buf, sizeof buf);
    seen = buf;
    read = true;
  });
  EXPECT_TRUE(dravonix::test::PumpUntil([&] { return read.load(); }));
  t.join();
  EXPECT_EQ("parent", seen);
  EXPECT_EQ(parent.m_hWnd, FindWindow(nullptr, "parent"));
  parent.DestroyWindow();
}

TEST(InputTest, ShowWindowMessagesAndReparenting) {
  CWnd a, b;
  a.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0);
  b.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(200, 0, 300, 100), nullptr, 0);
  HWND c = CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, a.m_hWnd, nullptr,
                          nullptr, nullptr);
  EXPECT_EQ(a.m_hWnd, GetParent(c));
  EXPECT_EQ(a.m_hWnd, SetParent(c, b.m_hWnd));
  EXPECT_EQ(b.m_hWnd, GetParent(c));
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(210, r.left);
  EXPECT_EQ(nullptr, SetParent(b.m_hWnd, c));  // a window cannot move under its own child
  EXPECT_FALSE(a.ShowWindow(SW_SHOWNA) == FALSE);
  EXPECT_TRUE(a.ShowWindow(SW_HIDE));
  EXPECT_FALSE(a.ShowWindow(SW_HIDE));
  EXPECT_FALSE(a.IsWindowVisible());
  a.DestroyWindow();
  b.DestroyWindow();
  EXPECT_FALSE(IsWindow(c));
}

}  // namespace

namespace {

TEST(InputTest, TabAndGroupOrderFollowTheWindowTree) {
  CWnd dlg;
  dlg.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0);
  LPCSTR cls = AfxRegisterWndClass(0);
  auto make = [&](HWND parent, DWORD style, int id, DWORD ex = 0) {
    return CreateWindowEx(ex, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 5, 5, parent, (HMENU)(UINT_PTR)id, nullptr,
                          nullptr);
  };
  HWND edit = make(dlg.m_hWnd, WS_TABSTOP | WS_GROUP, 1);
  HWND r1 = make(dlg.m_hWnd, WS_TABSTOP | WS_GROUP, 2);
  HWND r2 = make(dlg.m_hWnd, 0, 3);
  HWND r3 = make(dlg.m_hWnd, WS_DISABLED, 4);
  HWND inner = make(dlg.m_hWnd, WS_GROUP, 5, WS_EX_CONTROLPARENT);
  HWND nested = make(inner, WS_TABSTOP, 6);
  HWND ok = make(dlg.m_hWnd, WS_TABSTOP | WS_GROUP, 7);
  EXPECT_EQ(r1, GetNextDlgTabItem(dlg.m_hWnd, edit, FALSE));
  EXPECT_EQ(nested, GetNextDlgTabItem(dlg.m_hWnd, r1, FALSE));  // into the control parent
  EXPECT_EQ(ok, GetNextDlgTabItem(dlg.m_hWnd, nested, FALSE));
  EXPECT_EQ(edit, GetNextDlgTabItem(dlg.m_hWnd, ok, FALSE));    // wraps round
  EXPECT_EQ(ok, GetNextDlgTabItem(dlg.m_hWnd, edit, TRUE));
  EXPECT_EQ(edit, GetNextDlgTabItem(dlg.m_hWnd, nullptr, FALSE));
  // Within the radio group the disabled one is skipped and the group wraps.
  EXPECT_EQ(r2, GetNextDlgGroupItem(dlg.m_hWnd, r1, FALSE));
  EXPECT_EQ(r1, GetNextDlgGroupItem(dlg.m_hWnd, r2, FALSE));
  EXPECT_EQ(r2, GetNextDlgGroupItem(dlg.m_hWnd, r1, TRUE));
  (void)r3;
  EXPECT_EQ(nullptr, GetNextDlgTabItem(nullptr, edit, FALSE));
  dlg.DestroyWindow();
}

}  // namespace
