// The steps of a dialog's route walks, each an action on the open dialog: a click, typing, keys, or
// the focus taken to a drop-down list left shut.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Window.h"
#include "tests/support/TabTo.h"

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

// The focus taken to a control by Tab: a push button takes the default look with it.
inline DialogAct TabAct(int id) {
  return [id](CWnd* d) { TabTo(::GetDlgItem(d->m_hWnd, id)); };
}

// The push buttons that look like the default one, by id, pages' buttons too: the look follows the
// focus, and goes back to the dialog's default with any other control.
inline std::string DefaultLook(HWND parent) {
  std::string out;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::SendMessage(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) out += std::to_string(::GetDlgCtrlID(c)) + " ";
    out += DefaultLook(c);
  }
  return out;
}

}  // namespace dravonix::test
