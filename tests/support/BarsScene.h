// An MDI scene whose main frame carries a host's tool bar and status bar: commands pressed on the
// bar as a user presses them, the buttons' states and the second pane's text as shown.
#pragma once

#include "platform/core/Clock.h"
#include "platform/ui/ControlBar.h"
#include "tests/support/MdiScene.h"

#include <string>
#include <vector>

namespace dravonix::test {

class BarsScene : public MdiScene {
 public:
  BarsScene(const UINT* buttons, int count, UINT pane)
      : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE), m_count(count) {
    m_app.m_pMainWnd = m_main;
    Clock::UseVirtualTime();
    m_tools.Create(m_main);
    m_tools.SetButtons(buttons, count);
    m_status.Create(m_main);
    const UINT panes[] = {ID_SEPARATOR, pane};
    m_status.SetIndicators(panes, 2);
    m_main->RecalcLayout();
  }
  ~BarsScene() override {
    // Closing the main window would end the thread's loop for the tests after this one.
    m_app.m_pMainWnd = nullptr;
    Close();
    Clock::UseRealTime();
  }
  // A click on a command's button.
  void Press(UINT id) {
    CRect r;
    m_tools.GetItemRect(m_tools.CommandToIndex(id), &r);
    UiAutomation::Click(m_tools.m_hWnd, r.CenterPoint());
    UiAutomation::AdvanceClock(1000);  // the next click is no double click
  }
  // 'd' disabled, 'c' checked, '-' neither, per button in the bar's order, after idle time.
  std::string Buttons() {
    UiAutomation::Pump();
    std::string out;
    for (int i = 0; i < m_count; ++i) {
      const UINT style = m_tools.GetButtonStyle(i);
      out += style & TBBS_DISABLED ? 'd' : style & TBBS_CHECKED ? 'c' : '-';
    }
    return out;
  }
  CString PaneText() {
    UiAutomation::Pump();
    return m_status.GetPaneText(1);
  }

  int m_count;
  CToolBar m_tools;
  CStatusBar m_status;
};

}  // namespace dravonix::test
