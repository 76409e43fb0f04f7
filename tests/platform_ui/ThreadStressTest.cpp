// Two threads with windows of their own post input to each other's windows, scroll and paint at the same time:
// the window layer's locks must never wait on each other in a circle.
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

LRESULT PaintingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(GRAY_BRUSH));
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

HWND MakeWindow(int x) {
  return CreateWindowEx(0, "StressWnd", "", WS_POPUP | WS_VISIBLE, x, 0, 120, 90, nullptr, nullptr, nullptr, nullptr);
}

// A deadlock cannot be undone inside the process: past the limit the run ends with a failure.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : m_thread([this, limit] {
          std::unique_lock<std::mutex> lk(m_mutex);
          if (!m_cv.wait_for(lk, limit, [this] { return m_done; })) {
            fprintf(stderr, "the threads did not finish within %d s: the window layer deadlocked\n", (int)limit.count());
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lk(m_mutex);
      m_done = true;
    }
    m_cv.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_done = false;
  std::thread m_thread;
};

TEST(ThreadStressTest, TwoThreadsPostScrollAndPaintWithoutDeadlock) {
  WNDCLASS wc{};
  wc.lpfnWndProc = PaintingProc;
  wc.lpszClassName = "StressWnd";
  WNDCLASS have;
  if (!GetClassInfo(nullptr, wc.lpszClassName, &have)) RegisterClass(&wc);

  const int kRounds = 25000;  // per thread
  std::atomic<HWND> windows[2] = {nullptr, nullptr};
  std::atomic<int> ready{0}, finished{0}, painted{0};
  auto work = [&](int me) {
    HWND own = MakeWindow(me * 200);
    windows[me] = own;
    ++ready;
    while (ready < 2) std::this_thread::yield();
    HWND other = windows[1 - me];
    for (int i = 0; i < kRounds; ++i) {
      PostMouseInput(other, WM_MOUSEMOVE, 0, POINT{i % 100, i % 80});
      PostMouseInput(own, WM_MOUSEMOVE, 0, POINT{i % 90, i % 70});
      ScrollWindowEx(own, 0, (i & 1) ? 1 : -1, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
      // A new window's surface and a resized one are made while the other thread scrolls.
      if (i % 500 == 0) {
        HWND extra = MakeWindow(400 + me * 100);
        UpdateWindow(extra);
        DestroyWindow(extra);
        SetWindowPos(own, nullptr, 0, 0, 120 + (i / 500) % 7, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      MSG m;
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_PAINT) ++painted;
        DispatchMessage(&m);
      }
    }
    ++finished;
    // The other thread still posts to this window until it is done.
    while (finished < 2) {
      MSG m;
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
      std::this_thread::yield();
    }
    DestroyWindow(own);
  };
  {
    Watchdog watchdog(std::chrono::seconds(120));
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
  }
  EXPECT_EQ(2, finished.load());
  EXPECT_GE(painted.load(), 2 * kRounds);
}

}  // namespace
