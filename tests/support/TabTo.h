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

// The routes that press a dialog's button: a click, Space or Enter with the focus on it, its mnemonic.
enum class Press { Click, Space, Enter, Mnemonic };
inline const char* Name(Press p) {
  return p == Press::Click ? "click" : p == Press::Space ? "space" : p == Press::Enter ? "enter" : "mnemonic";
}
inline void PressButton(HWND button, Press by, UINT mnemonic = 0) {
  RECT r{};
  ::GetClientRect(button, &r);
  if (by == Press::Click) UiAutomation::Click(button, POINT{r.right / 2, r.bottom / 2});
  if (by == Press::Space || by == Press::Enter) TabTo(button), UiAutomation::PressKey(by == Press::Space ? VK_SPACE : VK_RETURN);
  if (by == Press::Mnemonic) UiAutomation::PressKey(mnemonic, UiAutomation::kAlt);
}

// Whether the keys still have a control to work on in `dlg`: the focus is on an enabled visible
// control of it, and Tab moves it on to another such control.
inline bool KeysHaveAControl(HWND dlg) {
  const auto takes = [&](HWND h) { return h && ::IsChild(dlg, h) && ::IsWindowEnabled(h) && ::IsWindowVisible(h); };
  const HWND was = ::GetFocus();
  if (!takes(was)) return false;
  UiAutomation::PressKey(VK_TAB);
  return takes(::GetFocus()) && ::GetFocus() != was;
}

}  // namespace dravonix::test
