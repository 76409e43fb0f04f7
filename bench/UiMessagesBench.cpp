// Posting and dispatching 1,000,000 messages through the window layer's queue, to a bare window
// procedure and to a CWnd whose message map handles them. Target: at least 3 million messages per
// second on one core (the rate a simulated drive's notifications and a busy grid need with room
// to spare). A std::deque of the same records, pushed and popped, is the floor to compare with.
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <deque>

namespace {

constexpr int kMessages = 1000000;
LRESULT g_sum = 0;

LRESULT CountingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER) {
    g_sum += (LRESULT)wp;
    return 0;
  }
  return DefWindowProc(h, msg, wp, lp);
}

class CCountingWnd : public CWnd {
 public:
  LRESULT OnCount(WPARAM wp, LPARAM) {
    g_sum += (LRESULT)wp;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingWnd, CWnd)
  ON_MESSAGE(WM_USER, &CCountingWnd::OnCount)
END_MESSAGE_MAP()

void Drain() {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}

void PostAndDispatchRaw(benchmark::State& state) {
  WNDCLASS wc{};
  wc.lpfnWndProc = CountingProc;
  wc.lpszClassName = "BenchCounting";
  RegisterClass(&wc);
  HWND h = CreateWindowEx(0, "BenchCounting", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (auto _ : state) {
    for (int i = 0; i < kMessages; ++i) PostMessage(h, WM_USER, 1, 0);
    Drain();
  }
  benchmark::DoNotOptimize(g_sum);
  state.SetItemsProcessed(state.iterations() * kMessages);
  DestroyWindow(h);
}
BENCHMARK(PostAndDispatchRaw)->Unit(benchmark::kMillisecond);

void PostAndDispatchMessageMap(benchmark::State& state) {
  CCountingWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
  for (auto _ : state) {
    for (int i = 0; i < kMessages; ++i) w.PostMessage(WM_USER, 1, 0);
    Drain();
  }
  benchmark::DoNotOptimize(g_sum);
  state.SetItemsProcessed(state.iterations() * kMessages);
  w.DestroyWindow();
}
BENCHMARK(PostAndDispatchMessageMap)->Unit(benchmark::kMillisecond);

// Interleaved: each message is posted and dispatched before the next, as a steady trickle is.
void PostThenDispatchOneByOne(benchmark::State& state) {
  CCountingWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
  MSG m;
  for (auto _ : state) {
    for (int i = 0; i < kMessages; ++i) {
      w.PostMessage(WM_USER, 1, 0);
      PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
      DispatchMessage(&m);
    }
  }
  benchmark::DoNotOptimize(g_sum);
  state.SetItemsProcessed(state.iterations() * kMessages);
  w.DestroyWindow();
}
BENCHMARK(PostThenDispatchOneByOne)->Unit(benchmark::kMillisecond);

void DequeFloor(benchmark::State& state) {
  std::deque<MSG> q;
  for (auto _ : state) {
    for (int i = 0; i < kMessages; ++i) q.push_back(MSG{nullptr, WM_USER, 1, 0, 0, {0, 0}});
    while (!q.empty()) {
      g_sum += (LRESULT)q.front().wParam;
      q.pop_front();
    }
  }
  benchmark::DoNotOptimize(g_sum);
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(DequeFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
