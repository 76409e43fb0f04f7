// The panel properties dialog: the panel's title, unique among the project's panels.
#pragma once

#include "platform/core/StringArray.h"
#include "platform/ui/Dialog.h"

class CControlPanelPropertiesDlg : public CDialog {
  DECLARE_DYNAMIC(CControlPanelPropertiesDlg)

 public:
  enum { IDD = 14005, IDC_TITLE = 14000, IDC_HELP_BUTTON = 9 };
  CControlPanelPropertiesDlg(const CString& title, const CStringArray& otherNames, CWnd* parent = nullptr);

  CString m_strTitle;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  const CStringArray& m_otherNames;
};
