// Keys and clicks that the defaults turn into commands, posted to a window's queue as a user gives
// them, releases included: a right click, Shift+F10, the Apps key, F1 and Alt+F4. Not pumped.
#pragma once

#include "platform/ui/MessageQueue.h"

namespace dravonix::test {

enum class Gesture { kRightClick, kShiftF10, kApps, kF1, kAltF4 };

// `at`: the right click's point, client coordinates of `to`.
inline void PostGesture(HWND to, Gesture g, POINT at = {10, 12}) {
  const LPARAM down = 1, up = (LPARAM)0xC0000001u, altDown = 0x20000001, altUp = (LPARAM)0xE0000001u;
  auto key = [](UINT msg, UINT vk, LPARAM lp) { PostKeyInput(msg, vk, lp); };
  switch (g) {
    case Gesture::kRightClick:
      PostMouseInput(to, WM_RBUTTONDOWN, MK_RBUTTON, POINT{at.x, at.y});
      PostMouseInput(to, WM_RBUTTONUP, 0, POINT{at.x, at.y});
      break;
    case Gesture::kShiftF10:
      key(WM_KEYDOWN, VK_SHIFT, down), key(WM_SYSKEYDOWN, VK_F10, down);
      key(WM_SYSKEYUP, VK_F10, up), key(WM_KEYUP, VK_SHIFT, up);
      break;
    case Gesture::kApps: key(WM_KEYDOWN, VK_APPS, down), key(WM_KEYUP, VK_APPS, up); break;
    case Gesture::kF1: key(WM_KEYDOWN, VK_F1, down), key(WM_KEYUP, VK_F1, up); break;
    case Gesture::kAltF4:
      key(WM_SYSKEYDOWN, VK_MENU, altDown), key(WM_SYSKEYDOWN, VK_F4, altDown);
      key(WM_SYSKEYUP, VK_F4, altUp), key(WM_KEYUP, VK_MENU, up);
      break;
  }
}

}  // namespace dravonix::test
