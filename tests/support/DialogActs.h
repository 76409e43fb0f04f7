// The steps of a dialog's route walks, each an action on the open dialog: a click, typing, keys, or
// the focus taken to a drop-down list left shut.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"

namespace dravonix::test {

using DialogAct = std::function<void(CWnd*)>;

inline DialogAct ClickAct(int id) {
  return [id](CWnd* d) { DialogAutomation::ClickControl(d, id); };
}

inline DialogAct TypeAct(int id, const char* t) {
  return [id, t](CWnd* d) { DialogAutomation::TypeInto(d, id, t); };
}

inline DialogAct KeysAct(std::vector<std::pair<UINT, UINT>> ks) {
  return [ks](CWnd*) {
    for (auto [vk, mod] : ks) UiAutomation::PressKey(vk, mod);
  };
}

// A click drops the list, Escape shuts it again.
inline DialogAct FocusShutAct(int id) {
  return [id](CWnd* d) {
    DialogAutomation::ClickControl(d, id);
    if (d->SendDlgItemMessage(id, CB_GETDROPPEDSTATE)) UiAutomation::PressKey(VK_ESCAPE);
  };
}

}  // namespace dravonix::test
