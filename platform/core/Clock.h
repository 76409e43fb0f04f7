// The layer's clock: real time for hosts, virtual time that tests drive, and hooks that see it move.
#pragma once

#include "platform/core/Types.h"

#include <functional>

#ifndef DRAVONIX_LARGE_INTEGER_DEFINED
#define DRAVONIX_LARGE_INTEGER_DEFINED
union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  LONGLONG QuadPart;
};
typedef LARGE_INTEGER* PLARGE_INTEGER;
#endif

// Milliseconds since the clock's start; the 32-bit form wraps after 49.7 days as Win32's does.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
DWORD timeGetTime();
// Real time: blocks. Virtual time: moves the clock on by `ms` at once (and yields the thread).
void Sleep(DWORD ms);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

class Clock {
 public:
  // Called with the old and the new reading whenever virtual time moves and after every Sleep.
  using Hook = std::function<void(ULONGLONG before, ULONGLONG now)>;

  // Monotonic milliseconds of the current mode.
  static ULONGLONG Now();

  // Switches to virtual time, starting where the clock reads now (time never runs backwards).
  static void UseVirtualTime();
  // Switches to virtual time reading `ms` (tests use it for fixed readings, e.g. near the wrap).
  static void UseVirtualTime(ULONGLONG ms);
  static void UseRealTime();
  static bool IsVirtual();
  // Virtual time only: moves the clock on by `ms`; ignored in real time.
  static void Advance(ULONGLONG ms);

  // Returns an id for RemoveHook. Hooks run outside the clock's lock, on the thread that moved time;
  // a hook that moves time itself does not re-enter the hooks.
  static int AddHook(Hook hook);
  static void RemoveHook(int id);

  // Performance counter ticks per second (the same in both modes).
  static constexpr LONGLONG kCounterFrequency = 1000000000;
};
