// Arrows pressed as a keyboard user presses them in a dialog with radio groups.
#pragma once

#include "platform/ui/ControlDefs.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Wnd.h"
#include "tests/support/TabTo.h"

#include <string>
#include <vector>

// Up and Down on every push button and check box only move the focus, never onto a label, and choose
// no radio; Down on a radio chooses the next of its own group, round to the first. Returns the
// departures, one line each: "Down on 9: 1000000" (the radios' states after) or "Down in 14000:
// focus 14007".
inline std::string ArrowDepartures(CWnd* dlg, const std::vector<std::vector<int>>& groups) {
  auto states = [&] {
    std::string s;
    for (const auto& g : groups) {
      for (int id : g) s += dlg->IsDlgButtonChecked(id) ? '1' : '0';
      s += ' ';
    }
    return s;
  };
  auto usable = [](HWND c) { return ::IsWindowVisible(c) && ::IsWindowEnabled(c); };
  std::string out;
  for (HWND c = ::GetWindow(dlg->m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = {};
    ::GetClassName(c, cls, sizeof cls);
    const DWORD type = (DWORD)::GetWindowLongPtr(c, GWL_STYLE) & BS_TYPEMASK;
    if (std::string(cls) != "Button" || type == BS_GROUPBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
        !usable(c) || !(::GetWindowLongPtr(c, GWL_STYLE) & WS_TABSTOP))
      continue;
    for (UINT key : {VK_DOWN, VK_UP}) {
      if (!dravonix::test::TabTo(c)) continue;
      const std::string before = states();
      UiAutomation::PressKey(key);
      const HWND f = ::GetFocus();
      const bool label = f && (::SendMessage(f, WM_GETDLGCODE, 0, 0) & DLGC_STATIC);
      if (states() != before || label)
        out += std::string(key == VK_DOWN ? "Down" : "Up") + " on " + std::to_string(::GetDlgCtrlID(c)) + ": " + states() +
               (label ? "focus on a label" : "") + "\n";
    }
  }
  for (const auto& g : groups) {
    int at = 0;
    for (size_t i = 0; i < g.size(); ++i)
      if (dlg->IsDlgButtonChecked(g[i])) at = (int)i;
    if (!usable(::GetDlgItem(dlg->m_hWnd, g[(size_t)at])) || !dravonix::test::TabTo(::GetDlgItem(dlg->m_hWnd, g[(size_t)at])))
      continue;
    for (size_t k = 1; k <= g.size(); ++k) {
      UiAutomation::PressKey(VK_DOWN);
      const int want = g[(at + k) % g.size()];
      const HWND f = ::GetFocus();
      if (!f || ::GetDlgCtrlID(f) != want || !dlg->IsDlgButtonChecked(want)) {
        out += "Down in " + std::to_string(g[0]) + ": focus " + std::to_string(f ? ::GetDlgCtrlID(f) : 0) + "\n";
        break;
      }
    }
  }
  return out;
}
