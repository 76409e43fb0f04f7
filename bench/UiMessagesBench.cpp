// Posting and dispatching 1,000,000 messages through the window layer's queue, to a bare window
// procedure and to a CWnd whose message map handles them. Target: at least 3 million messages per
// second on one core (the rate a simulated drive's notifications and a busy grid need with room
// to spare). A std::deque of the same records, pushed and popped, is the floor to compare with.
// And device input: 100,000 mouse moves over a child window posted, against 100,000 key presses
// and releases. Target: posting a move costs at most x1.5 of posting a key.
#include "bench/BenchNote.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <vector>

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

constexpr int kInputs = 100000;

// A top-level window with a child filling most of it, the moves crossing the child.
struct InputScene {
  CWnd top, child;
  InputScene() {
    top.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0);
    child.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 390, 290), &top, 1);
    Drain();
  }
  ~InputScene() { top.DestroyWindow(); }
};

void PostMove(int i) { PostMouseInput(WM_MOUSEMOVE, 0, POINT{120 + i % 360, 120 + i % 260}); }
void PostKey(int i) { PostKeyInput(i % 2 ? WM_KEYUP : WM_KEYDOWN, 'A', 0); }

// Times the posting of a batch; what was posted is read untimed.
template <class Post>
double PostBatch(benchmark::State& state, Post post) {
  const double seconds = bench_note::Time([&] {
    for (int i = 0; i < kInputs; ++i) post(i);
  });
  state.PauseTiming();
  Drain();
  state.ResumeTiming();
  return seconds;
}

void PostMouseMoves(benchmark::State& state) {
  InputScene scene;
  for (auto _ : state) PostBatch(state, PostMove);
  state.SetItemsProcessed(state.iterations() * kInputs);
}
BENCHMARK(PostMouseMoves)->Unit(benchmark::kMillisecond);

void PostKeys(benchmark::State& state) {
  InputScene scene;
  for (auto _ : state) PostBatch(state, PostKey);
  state.SetItemsProcessed(state.iterations() * kInputs);
}
BENCHMARK(PostKeys)->Unit(benchmark::kMillisecond);

// Both in turns, so that a neighbour's load meets both alike: the closing note's ratio.
void PostMovesAndKeysInTurns(benchmark::State& state) {
  InputScene scene;
  std::vector<double> moves, keys;
  for (auto _ : state) {
    keys.push_back(PostBatch(state, PostKey));
    moves.push_back(PostBatch(state, PostMove));
  }
  bench_note::Keep("moves", bench_note::Median(moves));
  bench_note::Keep("keys", bench_note::Median(keys));
}
BENCHMARK(PostMovesAndKeysInTurns)->Unit(benchmark::kMillisecond);

// Each move posted and read before the next.
void MouseMovesOneByOne(benchmark::State& state) {
  InputScene scene;
  MSG m;
  for (auto _ : state)
    for (int i = 0; i < kInputs; ++i) {
      PostMove(i);
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    }
  state.SetItemsProcessed(state.iterations() * kInputs);
}
BENCHMARK(MouseMovesOneByOne)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("Posting 100,000 inputs (medians, in turns):\n");
  bench_note::PrintRatio("mouse moves against keys", "moves", "keys", 1.5);
  return 0;
}
