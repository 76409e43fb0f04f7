// Pumps the thread's messages in real time until a condition holds: for tests whose peer is
// another thread or process.
#pragma once
#include "platform/ui/MessageQueue.h"
#include "tests/support/TestKernel.h"

#include <chrono>
#include <functional>
#include <thread>

namespace dravonix::test {

// True once done() holds; false when ms (scaled for the sanitizer build) passed first.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms * kTimeFactor);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace dravonix::test
