// Shared pieces of the logger dialog tests: the 05/05 setup, a scope on it, and readers of controls.
#pragma once

#include "monitor/loggers/MC_ScopeLogger.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/setupdlg/SetupDlgSupport.h"

#include <functional>
#include <memory>

class LoggerDialogTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
    m_scope = std::make_unique<CMC_ScopeLogger>(m_setup.get(), nullptr);
  }
  void TearDown() override {
    DialogAutomation::ClearDialogHandlers();
    m_scope.reset();
    m_setup.reset();
    SetupTest::TearDown();
  }
  // Runs `dlg` modally with `act` as the user; returns the modal result.
  template <class D>
  INT_PTR Run(D& dlg, UINT templateId, std::function<void(CWnd*)> act) {
    DialogAutomation::AddDialogHandler(templateId, std::move(act));
    return dlg.DoModal();
  }
  static std::string TextOf(CWnd* dlg, int id) {
    CString text;
    dlg->GetDlgItemText(id, text);
    return std::string(text);
  }

  SetupPtr m_setup;
  std::unique_ptr<CMC_ScopeLogger> m_scope;
};
