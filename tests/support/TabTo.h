// The focus moved to a dialog's control as a keyboard user moves it: Tab, or Shift+Tab when that is
// the shorter way round, until the control (or its edit field) has it. Nothing is clicked, so a
// drop-down list stays shut, a check box keeps its state and a slider its position.
#pragma once

#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"

namespace dravonix::test {

inline bool HasFocus(HWND ctl) {
  HWND f = ::GetFocus();
  return f && (f == ctl || ::IsChild(ctl, f));
}

// False if the focus never gets there within `most` presses.
inline bool TabTo(HWND ctl, int most = 40) {
  HWND dlg = ::GetParent(ctl);
  auto steps = [&](BOOL back) {
    int n = 0;
    HWND h = ::GetFocus();
    if (h && h != dlg && ::GetParent(h) != dlg) h = ::GetParent(h);  // a combo's edit field
    for (; h && h != ctl && n < most; ++n) h = ::GetNextDlgTabItem(dlg, h, back);
    return n;
  };
  const bool back = steps(TRUE) < steps(FALSE);
  for (int i = 0; i < most && !HasFocus(ctl); ++i)
    UiAutomation::PressKey(VK_TAB, back ? UiAutomation::kShift : UiAutomation::kNone);
  return HasFocus(ctl);
}

}  // namespace dravonix::test
