// The document and the simulated drive that the monitoring tests run on.
#pragma once
#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "platform/core/Clock.h"
#include "platform/ui/ControlDefs.h"
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
