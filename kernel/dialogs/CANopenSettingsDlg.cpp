#include "kernel/dialogs/CANopenSettingsDlg.h"

#include "kernel/dialogs/CANopenFactors.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/WinApp.h"

namespace {

enum : UINT { IDC_FIRST_COMBO = 14004, IDC_FIRST_DETAILS = 14008, IDC_UNIT_LABEL = 14000, IDC_FIRST_EDIT = 14001 };

// The kernel's own template, whatever a GUI module holds under the same id.
const DIALOG_RESOURCE* KernelTemplate(UINT id) { return FindDialogTemplate(GetKernelModuleHandle(), MAKEINTRESOURCE(id)); }

void Recompute(CMC_Setup& setup, const CANopenGroupObjects& g) {
  ComputeCANopenFactor(&setup, g.variable, g.dimension, g.notation, g.numerator, g.divisor);
}

}  // namespace

IMPLEMENT_DYNAMIC(CCANopenSettingsDlg, CMC_EditSetupDlg)

BEGIN_MESSAGE_MAP(CCANopenSettingsDlg, CMC_EditSetupDlg)
ON_COMMAND(ID_HELP, &CCANopenSettingsDlg::OnHelp)
ON_CONTROL_RANGE(CBN_SELENDOK, 14004, 14007, &CCANopenSettingsDlg::OnUnitSelected)
ON_CONTROL_RANGE(BN_CLICKED, 14008, 14011, &CCANopenSettingsDlg::OnDetails)
END_MESSAGE_MAP()

CCANopenSettingsDlg::CCANopenSettingsDlg(CMC_Setup& setup, CWnd* parent)
    : CMC_EditSetupDlg(setup, 0, TRUE, nullptr, parent) {
  m_lpszTemplateName = MAKEINTRESOURCE(IDD);
  m_lpDialogTemplate = KernelTemplate(IDD);
}

void CCANopenSettingsDlg::FillGroupCombo(int group) {
  CANopenGroupObjects g = FindCANopenGroup(&m_rSetup, group);
  CComboBox combo;
  HWND h = ::GetDlgItem(m_hWnd, (int)g_CANopenFactorGroups[group].comboId);
  if (!g.Exists() || !h || CWnd::FromHandlePermanent(h) || !combo.Attach(h)) return;
  m_rSetup.FillCANopenUnitCombo(&combo, g.variable->GetUnitName(), g.Dimension(), g.Notation());
  combo.Detach();
}

BOOL CCANopenSettingsDlg::OnInitDialog() {
  CMC_EditSetupDlg::OnInitDialog();
  for (int i = 0; i < CANOPEN_GROUP_COUNT; ++i) {
    const CANopenFactorGroup& t = g_CANopenFactorGroups[i];
    if (FindCANopenGroup(&m_rSetup, i).Exists()) {
      FillGroupCombo(i);
    } else {
      const UINT ids[] = {t.labelId, t.comboId, t.detailsId, 0};
      ShowChildren(ids, FALSE);
    }
  }
  return TRUE;
}

void CCANopenSettingsDlg::OnUnitSelected(UINT id) {
  const int group = (int)(id - IDC_FIRST_COMBO);
  CANopenGroupObjects g = FindCANopenGroup(&m_rSetup, group);
  HWND combo = ::GetDlgItem(m_hWnd, (int)id);
  int sel = combo ? (int)::SendMessage(combo, CB_GETCURSEL, 0, 0) : -1;
  if (!g.Exists() || sel < 0) return;
  // d in the high 16 bits, the 16-bit pattern of n in the low ones; "User-defined" is -1.
  const DWORD data = (DWORD)::SendMessage(combo, CB_GETITEMDATA, (WPARAM)sel, 0);
  if ((LONG)data == -1) {
    Recompute(m_rSetup, g);
    CCANopenFactorDetailsDlg details(m_rSetup, group, TRUE, this);
    details.DoModal();
    FillGroupCombo(group);
    return;
  }
  g.dimension->SetValueInInternalUnit((SHORT)(data >> 16));
  g.notation->SetValueInInternalUnit((SHORT)(data & 0xFFFF));
  Recompute(m_rSetup, g);
}

void CCANopenSettingsDlg::OnDetails(UINT id) {
  const int group = (int)(id - IDC_FIRST_DETAILS);
  CANopenGroupObjects g = FindCANopenGroup(&m_rSetup, group);
  if (!g.Exists()) return;
  Recompute(m_rSetup, g);
  CCANopenFactorDetailsDlg details(m_rSetup, group, FALSE, this);
  details.DoModal();
  FillGroupCombo(group);
}

void CCANopenSettingsDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, 4148); }

IMPLEMENT_DYNAMIC(CCANopenFactorDetailsDlg, CMC_EditSetupDlg)

BEGIN_MESSAGE_MAP(CCANopenFactorDetailsDlg, CMC_EditSetupDlg)
ON_COMMAND(ID_HELP, &CCANopenFactorDetailsDlg::OnHelp)
END_MESSAGE_MAP()

CCANopenFactorDetailsDlg::CCANopenFactorDetailsDlg(CMC_Setup& setup, int group, BOOL userDefined, CWnd* parent)
    : CMC_EditSetupDlg(setup, 0, TRUE, nullptr, parent), m_nGroup(group), m_bUserDefined(userDefined) {
  m_lpszTemplateName = MAKEINTRESOURCE(IDD);
  m_lpDialogTemplate = KernelTemplate(IDD);
}

BOOL CCANopenFactorDetailsDlg::OnInitDialog() {
  CANopenGroupObjects g = FindCANopenGroup(&m_rSetup, m_nGroup);
  CMC_Unit* unit = nullptr;
  if (g.Exists()) {
    unit = m_rSetup.FindCANopenUnit(g.variable->GetUnitName(), g.Dimension(), g.Notation());
    CMC_Parameter* params[] = {g.dimension, g.notation, g.numerator, g.divisor};
    for (UINT i = 0; i < 4; ++i) AddParameterControls(params[i]->GetName(), IDC_FIRST_EDIT + i, 0);
  }
  const BOOL readOnly = !g.Exists() || (!m_bUserDefined && unit);
  for (UINT i = 0; i < 4; ++i) SetChildReadOnly(IDC_FIRST_EDIT + i, readOnly);
  CMC_EditSetupDlg::OnInitDialog();
  if (m_nGroup >= 0 && m_nGroup < CANOPEN_GROUP_COUNT)
    SetWindowText(CString(g_CANopenFactorGroups[m_nGroup].title) + " factors");
  if (unit) {
    CString text;
    text.Format("1 %s =", unit->GetName().GetString());
    SetChildText(IDC_UNIT_LABEL, text);
  }
  return TRUE;
}

void CCANopenFactorDetailsDlg::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, 4149); }
