#include "platform/core/Clock.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct ClockState {
  std::mutex mutex;  // guards the hooks and mode switches
  std::atomic<bool> isVirtual{false};
  std::atomic<ULONGLONG> virtualMs{0};
  std::vector<std::pair<int, Clock::Hook>> hooks;
  int nextHookId = 1;
};

ClockState& State() {
  // Never destroyed: timers and plug-ins may read the clock during process exit.
  static ClockState* state = new ClockState;
  return *state;
}

thread_local bool t_inHooks = false;

// The monotonic clock counts from the machine's start, as the tick count does.
std::chrono::steady_clock::duration RealSinceStart() { return std::chrono::steady_clock::now().time_since_epoch(); }

ULONGLONG RealMs() {
  return (ULONGLONG)std::chrono::duration_cast<std::chrono::milliseconds>(RealSinceStart()).count();
}

void RunHooks(ULONGLONG before, ULONGLONG now) {
  if (t_inHooks) return;
  std::vector<Clock::Hook> hooks;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    hooks.reserve(State().hooks.size());
    for (auto& h : State().hooks) hooks.push_back(h.second);
  }
  t_inHooks = true;
  for (auto& h : hooks) h(before, now);
  t_inHooks = false;
}

}  // namespace

ULONGLONG Clock::Now() {
  ClockState& s = State();
  return s.isVirtual.load() ? s.virtualMs.load() : RealMs();
}

void Clock::UseVirtualTime() {
  std::lock_guard<std::mutex> lock(State().mutex);
  if (State().isVirtual.load()) return;
  State().virtualMs.store(RealMs());
  State().isVirtual.store(true);
}

void Clock::UseVirtualTime(ULONGLONG ms) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().virtualMs.store(ms);
  State().isVirtual.store(true);
}

void Clock::UseRealTime() {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().isVirtual.store(false);
}

bool Clock::IsVirtual() { return State().isVirtual.load(); }

void Clock::Advance(ULONGLONG ms) {
  ClockState& s = State();
  if (!s.isVirtual.load()) return;
  ULONGLONG before = s.virtualMs.fetch_add(ms);
  RunHooks(before, before + ms);
}

int Clock::AddHook(Hook hook) {
  if (!hook) return 0;
  std::lock_guard<std::mutex> lock(State().mutex);
  int id = State().nextHookId++;
  State().hooks.emplace_back(id, std::move(hook));
  return id;
}

void Clock::RemoveHook(int id) {
  std::lock_guard<std::mutex> lock(State().mutex);
  auto& hooks = State().hooks;
  for (auto it = hooks.begin(); it != hooks.end(); ++it) {
    if (it->first == id) {
      hooks.erase(it);
      return;
    }
  }
}

DWORD GetTickCount() { return (DWORD)Clock::Now(); }
ULONGLONG GetTickCount64() { return Clock::Now(); }
DWORD timeGetTime() { return (DWORD)Clock::Now(); }

void Sleep(DWORD ms) {
  ClockState& s = State();
  if (s.isVirtual.load()) {
    ULONGLONG before = s.virtualMs.fetch_add(ms);
    std::this_thread::yield();
    RunHooks(before, before + ms);
    return;
  }
  ULONGLONG before = RealMs();
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  RunHooks(before, RealMs());
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  ClockState& s = State();
  if (s.isVirtual.load())
    count->QuadPart = (LONGLONG)(s.virtualMs.load() * (ULONGLONG)(Clock::kCounterFrequency / 1000));
  else
    count->QuadPart = (LONGLONG)std::chrono::duration_cast<std::chrono::nanoseconds>(RealSinceStart()).count();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = Clock::kCounterFrequency;
  return TRUE;
}
