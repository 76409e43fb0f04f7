#include "monitor/panels/ControlPanelPropertiesDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"

IMPLEMENT_DYNAMIC(CControlPanelPropertiesDlg, CDialog)

BEGIN_MESSAGE_MAP(CControlPanelPropertiesDlg, CDialog)
ON_BN_CLICKED(CControlPanelPropertiesDlg::IDC_HELP_BUTTON, &CControlPanelPropertiesDlg::OnHelp)
END_MESSAGE_MAP()

namespace {

const DLGITEM_ENTRY kItems[] = {
    {"Static", 0xFFFF, WS_VISIBLE | SS_LEFT, 0, 7, 9, 20, 8, "Title:"},
    {"Edit", CControlPanelPropertiesDlg::IDC_TITLE, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, 30, 7, 160, 12, ""},
    {"Button", IDOK, WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 20, 28, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 76, 28, 50, 14, "Cancel"},
    {"Button", CControlPanelPropertiesDlg::IDC_HELP_BUTTON, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 132, 28, 50, 14, "Help"},
};

const DIALOG_RESOURCE kTemplate = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 200, 48, "Control Panel Properties",
    "MS Sans Serif", 8, kItems, sizeof kItems / sizeof kItems[0], nullptr};

const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(CControlPanelPropertiesDlg::IDD), &kTemplate, sizeof kTemplate},
};

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace

CControlPanelPropertiesDlg::CControlPanelPropertiesDlg(const CString& title, const CStringArray& otherNames,
                                                       CWnd* parent)
    : CDialog(IDD, parent), m_strTitle(title), m_otherNames(otherNames) {}

void CControlPanelPropertiesDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_TITLE, m_strTitle);
  if (!pDX->m_bSaveAndValidate) return;
  DDV_NotEmpty(pDX, m_strTitle);
  for (INT_PTR i = 0; i < m_otherNames.GetSize(); ++i)
    if (m_strTitle.CompareNoCase(m_otherNames[i]) == 0) {
      ShowKernelMessageAlways(MB_OK | MB_ICONSTOP, IDS_PANEL_TITLE_IN_USE);
      pDX->Fail();
    }
}

void CControlPanelPropertiesDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, 4101); }
