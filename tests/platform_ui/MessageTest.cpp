// Message queues: threads, ordering, filters, timers on the virtual clock, input and accelerators.
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Got {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Got> g_got;

LRESULT RecordProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= WM_USER || msg == WM_TIMER || msg == WM_CHAR || msg == WM_KEYDOWN || msg == WM_COMMAND ||
      (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST))
    g_got.push_back({msg, wp, lp});
  if (msg == WM_USER + 100) return (LRESULT)(wp * 2 + (WPARAM)lp);
  return DefWindowProc(h, msg, wp, lp);
}

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc{};
    wc.lpfnWndProc = RecordProc;
    for (auto [name, style] : {std::pair<const char*, UINT>{"MsgWnd", 0u}, {"MsgDblWnd", CS_DBLCLKS}}) {
      wc.lpszClassName = name;
      wc.style = style;
      WNDCLASS have;
      if (!GetClassInfo(nullptr, name, &have)) RegisterClass(&wc);
    }
    m_wnd = CreateWindowEx(0, "MsgWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    PumpMessages();
    g_got.clear();
  }
  void TearDown() override {
    DestroyWindow(m_wnd);
    PumpMessages();
    Clock::UseRealTime();
  }
  HWND m_wnd = nullptr;
};

TEST_F(MessageTest, PostsFromAnotherThreadArriveInOrderAndSendWaitsForTheResult) {
  const int kCount = 2000;
  std::atomic<LRESULT> sendResult{-1};
  std::thread t([&] {
    for (int i = 0; i < kCount; ++i) PostMessage(m_wnd, WM_USER + 1, (WPARAM)i, 0);
    // Sent across threads: waits until the UI thread has handled it.
    sendResult = SendMessage(m_wnd, WM_USER + 100, 20, 2);
    PostMessage(m_wnd, WM_USER + 2, 0, 0);
  });
  MSG m;
  int received = 0;
  bool done = false;
  while (!done && GetMessage(&m, nullptr, 0, 0) > 0) {
    DispatchMessage(&m);
    if (m.message == WM_USER + 2) done = true;
  }
  t.join();
  EXPECT_EQ(42, sendResult.load());
  for (auto& g : g_got)
    if (g.msg == WM_USER + 1) {
      EXPECT_EQ((WPARAM)received, g.wp);
      ++received;
    }
  EXPECT_EQ(kCount, received);
}

namespace {

// A popup of its own class with the procedure.
HWND PopupWith(WNDPROC proc, const char* cls) {
  WNDCLASS wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = cls;
  RegisterClass(&wc);
  return CreateWindowEx(0, cls, "kept", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// A window whose text is its own, not the one kept for it.
LRESULT OwnTextProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETTEXTLENGTH) return 5;
  if (msg == WM_GETTEXT && wp >= 6) return (LRESULT)strlen(strcpy((char*)lp, "asked"));
  return DefWindowProc(h, msg, wp, lp);
}

}  // namespace

TEST_F(MessageTest, AnotherThreadReadingAWindowsTextAsksTheWindow) {
  HWND own = PopupWith(OwnTextProc, "OwnTextWnd");
  char text[16] = {};
  std::atomic<int> length{-1}, copied{-1};
  std::thread t([&] {
    length = GetWindowTextLength(own);
    copied = GetWindowText(own, text, sizeof text);
    PostMessage(m_wnd, WM_USER + 2, 0, 0);
  });
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0) > 0 && m.message != WM_USER + 2) DispatchMessage(&m);
  t.join();
  EXPECT_EQ(length.load(), 5);
  EXPECT_EQ(copied.load(), 5);
  EXPECT_STREQ(text, "asked");
  DestroyWindow(own);
}

TEST_F(MessageTest, AThreadLoopEndsOnQuitAndLaterPostsFail) {
  std::atomic<DWORD> tid{0};
  std::atomic<int> handled{0};
  std::atomic<int> exitCode{-1};
  std::thread t([&] {
    MSG m;
    PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    tid = UiCurrentThreadId();
    while (GetMessage(&m, nullptr, 0, 0) > 0)
      if (m.message == WM_USER) ++handled;
    exitCode = (int)m.wParam;
  });
  while (!tid) std::this_thread::yield();
  EXPECT_TRUE(PostThreadMessage(tid, WM_USER, 0, 0));
  EXPECT_TRUE(PostThreadMessage(tid, WM_QUIT, 3, 0));
  t.join();
  EXPECT_EQ(1, handled.load());
  EXPECT_EQ(3, exitCode.load());
  EXPECT_FALSE(PostThreadMessage(tid, WM_USER, 0, 0));
  EXPECT_FALSE(PostThreadMessage(0xFFFFFFF0u, WM_USER, 0, 0));
  EXPECT_EQ((DWORD)ERROR_INVALID_THREAD_ID, GetLastError());
}

TEST_F(MessageTest, SendToAWindowWhoseThreadHasEndedAnswersZero) {
  HWND other = nullptr;
  std::thread t([&] {
    other = CreateWindowEx(0, "MsgWnd", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  });
  t.join();
  ASSERT_TRUE(other);
  EXPECT_EQ(0, SendMessage(other, WM_USER + 100, 1, 1));
  EXPECT_FALSE(PostMessage(other, WM_USER, 0, 0));
}

TEST_F(MessageTest, PeekFiltersAndQuitAlwaysComesThrough) {
  // The queue's own filters on a posted key message; nothing is dispatched to the window.
  PostMessage(m_wnd, WM_USER + 1, 0, 0);
  PostMessage(m_wnd, WM_KEYDOWN, 'A', 0);
  PostMessage(m_wnd, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ((UINT)WM_KEYDOWN, m.message);
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ((UINT)(WM_USER + 2), m.message);
  EXPECT_FALSE(PeekMessage(&m, (HWND)-1, 0, 0, PM_REMOVE));  // thread messages only
  PostQuitMessage(5);
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ((UINT)(WM_USER + 1), m.message);
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  EXPECT_EQ((UINT)WM_QUIT, m.message);
  EXPECT_EQ(5u, m.wParam);
  EXPECT_FALSE(PeekMessage(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(-1, GetMessage(nullptr, nullptr, 0, 0));
  EXPECT_EQ(RegisterWindowMessage("dravonix-test"), RegisterWindowMessage("DRAVONIX-TEST"));
  EXPECT_GE(RegisterWindowMessage("dravonix-test"), 0xC000u);
  EXPECT_NE(RegisterWindowMessage("dravonix-test"), RegisterWindowMessage("dravonix-other"));
  EXPECT_EQ(0u, RegisterWindowMessage(""));
}

TEST_F(MessageTest, AWindowFilterTakesTheMessagesOfItsChildren) {
  HWND child = CreateWindowEx(0, "MsgWnd", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, m_wnd, nullptr, nullptr, nullptr);
  HWND other = CreateWindowEx(0, "MsgWnd", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  PumpMessages();
  SetFocus(child);
  PostKeyInput(WM_KEYDOWN, 'A', 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, m_wnd, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ(child, m.hwnd);
  EXPECT_FALSE(PeekMessage(&m, other, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_FALSE(PeekMessage(&m, child, WM_USER, WM_USER, PM_NOREMOVE));
  PumpMessages();
  InvalidateRect(child, nullptr, TRUE);
  ASSERT_TRUE(PeekMessage(&m, m_wnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_EQ(child, m.hwnd);
  DestroyWindow(other);
  DestroyWindow(child);
}

TEST_F(MessageTest, VirtualTimeTimerFiresOncePerStepAndMergesWhenLate) {
  Clock::UseVirtualTime();
  ASSERT_EQ(6u, SetTimer(m_wnd, 6, 100, nullptr));
  auto timers = [] {
    int n = 0;
    for (auto& g : g_got) n += g.msg == WM_TIMER && g.wp == 6;
    return n;
  };
  for (int i = 0; i < 5; ++i) {
    Clock::Advance(100);
    PumpMessages();
  }
  EXPECT_EQ(5, timers());
  g_got.clear();
  Clock::Advance(500);
  PumpMessages();
  EXPECT_EQ(1, timers());
  g_got.clear();
  Clock::Advance(99);
  PumpMessages();
  EXPECT_EQ(0, timers());
  EXPECT_TRUE(KillTimer(m_wnd, 6));
  EXPECT_FALSE(KillTimer(m_wnd, 6));
  Clock::Advance(1000);
  PumpMessages();
  EXPECT_EQ(0, timers());
}

namespace {
int g_threadTimerCalls = 0;
void ThreadTimerProc(HWND h, UINT msg, UINT_PTR, DWORD) {
  EXPECT_EQ(nullptr, h);
  EXPECT_EQ((UINT)WM_TIMER, msg);
  ++g_threadTimerCalls;
}
}  // namespace

TEST_F(MessageTest, ThreadTimersCallTheirProcedure) {
  Clock::UseVirtualTime();
  g_threadTimerCalls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 256, ThreadTimerProc);
  ASSERT_NE(0u, id);
  Clock::Advance(256);
  PumpMessages();
  Clock::Advance(256);
  PumpMessages();
  EXPECT_EQ(2, g_threadTimerCalls);
  KillTimer(nullptr, id);
  // GetMessage wakes up when another thread moves the clock.
  SetTimer(m_wnd, 9, 50, nullptr);
  std::thread t([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Clock::Advance(50);
  });
  MSG m;
  ASSERT_GT(GetMessage(&m, nullptr, 0, 0), 0);
  EXPECT_EQ((UINT)WM_TIMER, m.message);
  t.join();
  KillTimer(m_wnd, 9);
}

TEST_F(MessageTest, DoubleClicksOnlyForClassesThatAskForThem) {
  Clock::UseVirtualTime();
  HWND dbl = CreateWindowEx(0, "MsgDblWnd", "", WS_POPUP | WS_VISIBLE, 300, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  for (HWND h : {m_wnd, dbl}) {
    g_got.clear();
    PostMouseInput(h, WM_LBUTTONDOWN, MK_LBUTTON, POINT{10, 10});
    PostMouseInput(h, WM_LBUTTONUP, 0, POINT{10, 10});
    Clock::Advance(100);
    PostMouseInput(h, WM_LBUTTONDOWN, MK_LBUTTON, POINT{11, 10});
    PostMouseInput(h, WM_LBUTTONUP, 0, POINT{11, 10});
    PumpMessages();
    std::vector<UINT> buttons;
    for (auto& g : g_got)
      if (g.msg != WM_MOUSEMOVE) buttons.push_back(g.msg);
    UINT second = h == dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, second, WM_LBUTTONUP}), buttons);
  }
  // Too slow for a double click.
  g_got.clear();
  PostMouseInput(dbl, WM_LBUTTONDOWN, MK_LBUTTON, POINT{10, 10});
  Clock::Advance(GetDoubleClickTime() + 1);
  PostMouseInput(dbl, WM_LBUTTONDOWN, MK_LBUTTON, POINT{10, 10});
  PumpMessages();
  for (auto& g : g_got) EXPECT_NE((UINT)WM_LBUTTONDBLCLK, g.msg);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(310, p.x);
  DestroyWindow(dbl);
}

TEST_F(MessageTest, KeysTranslateToCharactersAndKeyStateFollowsInput) {
  SetFocus(m_wnd);
  PostKeyInput(WM_KEYDOWN, VK_SHIFT, 1);
  PostKeyInput(WM_KEYDOWN, 'A', 1);
  PostKeyInput(WM_KEYUP, 'A', 1);
  PostKeyInput(WM_KEYUP, VK_SHIFT, 1);
  PostKeyInput(WM_KEYDOWN, 'B', 1);
  PostKeyInput(WM_KEYDOWN, '1', 1);
  // Before retrieval only the asynchronous state knows.
  EXPECT_TRUE(GetAsyncKeyState('B') & 0x8000);
  EXPECT_FALSE(GetKeyState('B') < 0);
  MSG m;
  std::string typed;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_KEYDOWN && m.wParam == 'A') {
      EXPECT_TRUE(GetKeyState(VK_SHIFT) < 0);
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  for (auto& g : g_got)
    if (g.msg == WM_CHAR) typed += (char)g.wp;
  EXPECT_EQ("Ab1", typed);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) < 0);
  EXPECT_TRUE(GetKeyState('B') < 0);
  PostKeyInput(WM_KEYUP, 'B', 1);
  PostKeyInput(WM_KEYUP, '1', 1);
  PumpMessages();
}

TEST_F(MessageTest, AcceleratorsSendCommands) {
  ACCEL table[] = {{FVIRTKEY | FCONTROL, 'S', 100}, {FVIRTKEY, VK_F5, 101}, {0, 'x', 102}};
  HACCEL acc = CreateAcceleratorTable(table, 3);
  ASSERT_TRUE(acc);
  BYTE keys[256] = {};
  SetKeyboardState(keys);
  // The table's own matching, given the messages a key would make.
  MSG m{m_wnd, WM_KEYDOWN, 'S', 0, 0, {0, 0}};
  EXPECT_EQ(0, TranslateAccelerator(m_wnd, acc, &m));
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_EQ(1, TranslateAccelerator(m_wnd, acc, &m));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  m.wParam = VK_F5;
  EXPECT_EQ(1, TranslateAccelerator(m_wnd, acc, &m));
  m = MSG{m_wnd, WM_CHAR, 'x', 0, 0, {0, 0}};
  EXPECT_EQ(1, TranslateAccelerator(m_wnd, acc, &m));
  std::vector<WPARAM> cmds;
  for (auto& g : g_got)
    if (g.msg == WM_COMMAND) cmds.push_back(g.wp);
  EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(100, 1), MAKEWPARAM(101, 1), MAKEWPARAM(102, 1)}), cmds);
  EXPECT_EQ(0, TranslateAccelerator(nullptr, acc, &m));
  EXPECT_EQ(0, TranslateAccelerator(m_wnd, nullptr, &m));
  DestroyAcceleratorTable(acc);
}

TEST_F(MessageTest, CursorCaretAndWaitingQueueStatus) {
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  ASSERT_TRUE(arrow);
  EXPECT_EQ(arrow, LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(32512u, arrow->id);
  EXPECT_EQ(nullptr, LoadCursor(nullptr, MAKEINTRESOURCE(1)));
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), GetCursor());
  SetCursor(old);
  // The pointer, set or moved by the device, stays in the clip rectangle; one of no width holds its
  // column, one turned inside out or none frees it.
  const struct {
    RECT clip;
    bool clipped;
    POINT to, at;
  } clips[] = {
      {{10, 10, 20, 20}, true, {100, 0}, {19, 10}},
      {{30, 10, 30, 20}, true, {100, 15}, {30, 15}},
      {{40, 10, 30, 20}, true, {100, 15}, {100, 15}},
      {{}, false, {5, 300}, {5, 300}},
  };
  for (const auto& c : clips) {
    for (int device = 0; device < 2; ++device) {
      ClipCursor(c.clipped ? &c.clip : nullptr);
      if (device) {
        PostMouseInput(WM_MOUSEMOVE, 0, c.to);
        PumpMessages();
      } else {
        SetCursorPos(c.to.x, c.to.y);
      }
      POINT p;
      GetCursorPos(&p);
      EXPECT_EQ(c.at.x, p.x) << c.clip.left << " " << device;
      EXPECT_EQ(c.at.y, p.y) << c.clip.left << " " << device;
    }
  }
  ClipCursor(nullptr);

  EXPECT_TRUE(CreateCaret(m_wnd, nullptr, 2, 14));
  EXPECT_FALSE(GetUiCaretInfo().visible);
  ShowCaret(m_wnd);
  SetCaretPos(5, 6);
  UiCaretInfo c = GetUiCaretInfo();
  EXPECT_TRUE(c.visible);
  EXPECT_EQ(m_wnd, c.owner);
  EXPECT_EQ(5, c.pos.x);
  EXPECT_EQ(14, c.height);
  HideCaret(m_wnd);
  EXPECT_FALSE(GetUiCaretInfo().visible);
  DestroyCaret();
  EXPECT_EQ(nullptr, GetUiCaretInfo().owner);

  PumpMessages();
  EXPECT_EQ(0u, HIWORD(GetQueueStatus(QS_ALLINPUT)));
  PostMessage(m_wnd, WM_USER, 0, 0);
  EXPECT_TRUE(HIWORD(GetQueueStatus(QS_ALLINPUT)) & QS_POSTMESSAGE);
  PumpMessages();
}

}  // namespace

namespace {

HWND g_peer = nullptr;
LRESULT PingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER + 50) {
    // Answers by asking the other thread's window, which is itself waiting on us.
    return SendMessage(g_peer, WM_USER + 51, wp, 0) + 1;
  }
  if (msg == WM_USER + 51) return (LRESULT)wp * 10;
  return DefWindowProc(h, msg, wp, lp);
}

TEST(MessageThreads, SendsBetweenTwoThreadsThatWaitOnEachOtherDoNotDeadlock) {
  HWND mine = PopupWith(PingProc, "PingWnd");
  g_peer = mine;
  std::atomic<HWND> theirs{nullptr};
  std::atomic<bool> stop{false};
  std::thread t([&] {
    theirs = CreateWindowEx(0, "PingWnd", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MSG m;
    while (!stop) {
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
      std::this_thread::yield();
    }
    // Its window is destroyed when the thread ends.
  });
  while (!theirs) std::this_thread::yield();
  // Our send waits on the other thread, whose handler sends back to us: we answer while waiting.
  EXPECT_EQ(71, SendMessage(theirs, WM_USER + 50, 7, 0));
  stop = true;
  t.join();
  EXPECT_FALSE(IsWindow(theirs));
  EXPECT_EQ(0, SendMessage(theirs, WM_USER + 51, 1, 0));
  DestroyWindow(mine);
}

}  // namespace

namespace {

TEST(MessageThreads, InvalidatingFromAnotherThreadWakesTheOwnerWithAPaint) {
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "PaintWake";
  RegisterClass(&wc);
  HWND h = CreateWindowEx(0, "PaintWake", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(h);
  PumpMessages();
  std::thread t([h] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    RECT r{0, 0, 5, 5};
    InvalidateRect(h, &r, TRUE);
  });
  MSG m;
  ASSERT_GT(GetMessage(&m, nullptr, 0, 0), 0);
  EXPECT_EQ((UINT)WM_PAINT, m.message);
  EXPECT_EQ(h, m.hwnd);
  DispatchMessage(&m);
  t.join();
  RECT r;
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
  DestroyWindow(h);
}

}  // namespace
