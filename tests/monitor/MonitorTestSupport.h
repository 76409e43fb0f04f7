// The document and the simulated drive that the monitoring tests run on.
#pragma once
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "platform/core/Clock.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Wnd.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/SimulatedDrive.h"

#include <gtest/gtest.h>

#include <string>

// A host document holding one setup and the panels, on axis 1.
class PanelHostDoc : public CMC_Document {
 public:
  PanelHostDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_ControlPanel* GetControlPanel() override { return &m_panels; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  CMC_Setup* m_pSetup = nullptr;
  CMC_ControlPanel m_panels;
};

// Virtual time, a fresh simulated drive on a local channel, no error boxes, and the setup of the
// given folder.
inline CMC_Setup* StartMonitorDrive(const std::string& setupDir) {
  Clock::UseVirtualTime();
  CMC_Comm::m_bNetMaster = 0;
  dravonix::test::StartSimulatedDrive();
  return CMC_Setup::CreateFromDirectory(setupDir.c_str());
}

// Drops a list with a click on its button and clicks entry `i`.
inline void PickEntry(CWnd* dlg, int id, int i) {
  HWND combo = ::GetDlgItem(dlg->m_hWnd, id);
  CRect r;
  ::GetClientRect(combo, &r);
  UiAutomation::Click(combo, CPoint(r.right - 4, r.Height() / 2));
  HWND list = ::GetCapture();
  ASSERT_TRUE(list);
  ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
  UiAutomation::Click(list, r.CenterPoint());
}

// With a name typed that no entry holds, entry 0 of a variable list (all variables or the main
// ones) chosen by a click in the dropped list, then by keys (F4, Up to the top, Enter last): after
// each choice the list holds the other entries and is dropped, the field keeps the name it had.
inline std::string ListAllByClickAndKeys(CWnd* dlg, int id) {
  HWND combo = ::GetDlgItem(dlg->m_hWnd, id);
  DialogAutomation::TypeInto(dlg, id, "long@0x8304");
  const auto text = [&] {
    char t[256] = {};
    ::GetWindowText(combo, t, sizeof t);
    return std::string(t);
  };
  const auto count = [&] { return (int)::SendMessage(combo, CB_GETCOUNT, 0, 0); };
  std::string seen;
  const auto note = [&](int before, const std::string& name) {
    seen += count() != before ? "refilled" : "same";
    seen += ::SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0) ? " dropped" : " shut";
    seen += text() == name ? " kept, " : " '" + text() + "', ";
  };
  int before = count();
  std::string name = text();
  PickEntry(dlg, id, 0);
  note(before, name);
  UiAutomation::PressKey(VK_ESCAPE);
  before = count();
  UiAutomation::PressKey(VK_F4);
  for (int i = 0; i < 200 && ::SendMessage(combo, CB_GETCURSEL, 0, 0) > 1; ++i) UiAutomation::PressKey(VK_UP);
  name = text();
  UiAutomation::PressKey(VK_UP);
  note(before, name);
  UiAutomation::PressKey(VK_RETURN);
  seen += ::SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0) ? "dropped" : "shut";
  return seen;
}
