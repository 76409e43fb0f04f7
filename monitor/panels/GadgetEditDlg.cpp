#include "monitor/panels/GadgetEditDlg.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelVar.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Controls.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGadgetEditDlg, CDialog)

BEGIN_MESSAGE_MAP(CGadgetEditDlg, CDialog)
ON_MESSAGE(CGadgetEditDlg::WM_REFILL_VARIABLES, &CGadgetEditDlg::OnRefillVariables)
END_MESSAGE_MAP()

int CGadgetEditDlg::ms_bListAllVariables = 0;

CGadgetEditDlg::CGadgetEditDlg(CMC_Setup* setup, CMC_CoffFormat* coff, UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_pSetup(setup), m_pCoff(coff) {}

CControlPanelVar* CGadgetEditDlg::VarOf(int index) { return index == 0 ? GetVar() : index == 1 ? GetSecondVar() : nullptr; }

CComboBox* CGadgetEditDlg::Combo(int id) {
  const int slot = id - IDC_AXIS;
  if (slot < 0 || slot >= kComboSlots) return nullptr;
  CComboBox& combo = m_combos[slot];
  // Each combo of the blocks gets its object the first time it is asked for.
  if (!combo.GetSafeHwnd() && GetDlgItem(id)) combo.SubclassDlgItem((UINT)id, this);
  return combo.GetSafeHwnd() ? &combo : nullptr;
}

void CGadgetEditDlg::FillAxisCombo(int id, int selected) {
  CComboBox* axis = Combo(id);
  if (!axis) return;
  axis->ResetContent();
  axis->SetItemData(axis->AddString("as set in Comm Setup"), 0);
  for (int number = 1; number <= 255; ++number) {
    CString text;
    text.Format("%d", number);
    axis->SetItemData(axis->AddString(text), (DWORD_PTR)number);
  }
  axis->SetCurSel(selected);
}

void CGadgetEditDlg::ShowName(int id, const CString& name) {
  // Set again only when it differs: the same text set again would move the caret of a user typing.
  CString shown;
  GetDlgItemText(id, shown);
  if (shown != name) SetDlgItemText(id, name);
}

void CGadgetEditDlg::DDX_VariableBlock(CDataExchange* pDX, int index, BOOL withRange) {
  CControlPanelVar* var = VarOf(index);
  if (!var) return;
  Quiet quiet(this);
  const bool saving = pDX->m_bSaveAndValidate;
  const bool expression = var->m_bAllowExpression && var->m_bExpression;
  if (CComboBox* axis = Combo(IDC_AXIS + index)) {
    pDX->PrepareCtrl(IDC_AXIS + index);
    if (saving) {
      const int selected = axis->GetCurSel();
      if (selected < 0 && m_bShowMessages) {
        ShowKernelMessageAlways(MB_OK | MB_ICONEXCLAMATION, IDS_SELECT_AN_ITEM);
        pDX->Fail();
      }
      var->m_nAxis = (BYTE)(selected < 0 ? 0 : selected);
    } else {
      axis->SetCurSel(var->m_nAxis);
    }
  }
  if (var->m_bAllowExpression) {
    int radio = var->m_bExpression ? 1 : 0;
    if (GetDlgItem(IDC_RADIO_VARIABLE + 2 * index)) DDX_Radio(pDX, IDC_RADIO_VARIABLE + 2 * index, radio);
    if (!saving) {
      CWnd* combo = GetDlgItem(IDC_VARIABLE + index);
      CWnd* edit = GetDlgItem(IDC_EXPRESSION + index);
      if (combo) combo->EnableWindow(!expression);
      if (edit) edit->EnableWindow(expression);
      if (combo && expression) {
        Combo(IDC_VARIABLE + index)->SetCurSel(-1);
        combo->SetWindowText("");
      }
      if (edit && !expression) edit->SetWindowText("");
    }
  }
  const int nameId = expression ? IDC_EXPRESSION + index : IDC_VARIABLE + index;
  if (GetDlgItem(nameId)) {
    if (expression)
      DDX_Text(pDX, nameId, var->m_strName);
    else if (saving)
      GetDlgItemText(nameId, var->m_strName);
    else
      ShowName(nameId, var->m_strName);
    pDX->PrepareCtrl(nameId);
    if (saving && m_bShowMessages) DDV_NotEmpty(pDX, var->m_strName);
  }
  if (GetDlgItem(IDC_UNIT + index) && m_pSetup) ExchangeUnit(pDX, *var, index);
  if (GetDlgItem(IDC_PRECISION + index)) {
    int precision = var->m_nPrecision;
    DDX_CBIndex(pDX, IDC_PRECISION + index, precision);
    // A precision the list does not offer (read from a file) shows no choice and stays.
    if (precision >= 0) var->m_nPrecision = (short)precision;
  }
  if (CWnd* hexa = GetDlgItem(IDC_HEXA + index)) {
    if (saving) {
      DDX_Check(pDX, IDC_HEXA + index, var->m_bHexa);
    } else {
      const bool usable = !expression && CMC_Units::IsInternalUnit(var->m_strUnit);
      hexa->EnableWindow(usable);
      CheckDlgButton(IDC_HEXA + index, usable && var->m_bHexa ? BST_CHECKED : BST_UNCHECKED);
    }
  }
  if (withRange && GetDlgItem(IDC_MIN + index) && GetDlgItem(IDC_MAX + index)) {
    var->DDX_Value(pDX, IDC_MIN + index, var->m_dMin);
    var->DDX_Value(pDX, IDC_MAX + index, var->m_dMax);
    if (saving && m_bShowMessages && !(var->m_dMin < var->m_dMax)) {
      pDX->PrepareEditCtrl(IDC_MIN + index);
      ShowKernelMessageAlways(MB_OK | MB_ICONSTOP, IDS_GADGET_MAX_NOT_ABOVE_MIN);
      pDX->Fail();
    }
  }
}

void CGadgetEditDlg::ExchangeUnit(CDataExchange* pDX, CControlPanelVar& var, int index) {
  CComboBox* combo = Combo(IDC_UNIT + index);
  CMC_Variable* variable = var.GetMCVariable();
  const bool withUnit = variable && variable->HasUnit();
  if (!pDX->m_bSaveAndValidate) {
    combo->EnableWindow(withUnit);
    combo->ResetContent();
    if (!withUnit) {
      var.m_strUnit.Empty();
      return;
    }
    m_pSetup->FillUnitCombo(combo, variable->GetUnitName(), TRUE);
    const int at = combo->FindStringExact(-1, var.m_strUnit);
    if (at >= 0) combo->SetCurSel(at);
    return;
  }
  if (!withUnit) {
    var.m_strUnit.Empty();
    return;
  }
  const int selected = combo->GetCurSel();
  CString unit;
  if (selected >= 0 && CMC_Units::IsInternalUnit(combo, selected) && variable->HasSelectedUnit())
    unit = "\\" + variable->GetUnitName();
  else if (selected >= 0)
    combo->GetLBText(selected, unit);
  variable->ChangeUnit(unit);
  var.m_strUnit = variable->GetUnitName();
}

void CGadgetEditDlg::FillVariableCombo(int index) {
  CComboBox* combo = Combo(IDC_VARIABLE + index);
  if (!combo) return;
  combo->ResetContent();
  if (m_pSetup) m_pSetup->FillVariableCombo(*combo, nullptr, ms_bListAllVariables);
  if (m_pCoff) m_pCoff->FillSimpleVarsCombo(combo, 0, 0);
  combo->InsertString(0, ms_bListAllVariables ? ">> List main variables <<" : ">> List all variables <<");
}

BOOL CGadgetEditDlg::OnInitDialog() {
  Quiet quiet(this);
  if (CControlPanelItem* item = GetItem()) item->LocateItemVariables(m_pSetup, m_pCoff);
  CDialog::OnInitDialog();
  for (int index = 0; index < 2; ++index) {
    CControlPanelVar* var = VarOf(index);
    if (!var) continue;
    FillAxisCombo(IDC_AXIS + index, var->m_nAxis);
    const bool expression = var->m_bAllowExpression && var->m_bExpression;
    if (var->m_bAllowExpression && GetDlgItem(IDC_RADIO_VARIABLE + 2 * index))
      CheckRadioButton(IDC_RADIO_VARIABLE + 2 * index, IDC_RADIO_EXPRESSION + 2 * index,
                       expression ? IDC_RADIO_EXPRESSION + 2 * index : IDC_RADIO_VARIABLE + 2 * index);
    FillVariableCombo(index);
    SetDlgItemText(expression ? IDC_EXPRESSION + index : IDC_VARIABLE + index, var->m_strName);
  }
  return TRUE;
}

void CGadgetEditDlg::OnOK() {
  CDialog::OnOK();
  if (CControlPanelItem* item = GetItem()) item->LocateItemVariables(m_pSetup, m_pCoff);
}

void CGadgetEditDlg::SilentSave() {
  m_bShowMessages = 0;
  CDataExchange dx(this, TRUE);
  try {
    DoDataExchange(&dx);
  } catch (CException* e) {
    e->Delete();
  }
  m_bShowMessages = 1;
}

void CGadgetEditDlg::AfterChange() {
  OnVariableChanged();
  UpdateData(FALSE);
}

BOOL CGadgetEditDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  const int index = id >= IDC_RADIO_VARIABLE ? (id - IDC_RADIO_VARIABLE) / 2 : (id - IDC_AXIS) % 2;
  CControlPanelVar* var = id >= IDC_AXIS && id <= IDC_RADIO_EXPRESSION + 2 ? VarOf(index) : nullptr;
  if (var && m_nQuiet) return TRUE;
  Quiet quiet(this);
  if (!var) {
    if (id == IDC_HELP_BUTTON && code == BN_CLICKED) {
      if (m_nHelpId) ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, m_nHelpId);
      return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
  }
  const int base = id >= IDC_RADIO_VARIABLE ? id - 2 * index : id - index;
  CComboBox* combo = base == IDC_VARIABLE ? Combo(id) : nullptr;
  switch (base) {
    case IDC_AXIS:
      if (code != CBN_SELCHANGE) break;
      SilentSave();
      var->m_nAxis = (BYTE)std::max(Combo(id)->GetCurSel(), 0);
      AfterChange();
      return TRUE;
    case IDC_VARIABLE:
      if (code == CBN_SELCHANGE && combo->GetCurSel() == 0) {
        ms_bListAllVariables = !ms_bListAllVariables;
        PostMessage(WM_REFILL_VARIABLES, (WPARAM)(index + 1), 0);
        return TRUE;
      }
      if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE) break;
      if (code == CBN_EDITCHANGE && combo->GetCurSel() >= 0) {
        // A text that is the chosen entry's comes with a selection, handled as such.
        CString text, entry;
        combo->GetWindowText(text);
        combo->GetLBText(combo->GetCurSel(), entry);
        if (text == entry) return TRUE;
      }
      SilentSave();
      if (code == CBN_SELCHANGE)
        combo->GetLBText(combo->GetCurSel(), var->m_strName);
      else
        combo->GetWindowText(var->m_strName);
      var->LocateAndResetUnit(m_pSetup, m_pCoff);
      AfterChange();
      return TRUE;
    case IDC_EXPRESSION:
      if (code != EN_CHANGE || !var->m_bAllowExpression) break;
      SilentSave();
      GetDlgItemText(id, var->m_strName);
      var->LocateAndResetUnit(m_pSetup, m_pCoff);
      AfterChange();
      return TRUE;
    case IDC_RADIO_VARIABLE:
    case IDC_RADIO_EXPRESSION: {
      const int wantExpression = base == IDC_RADIO_EXPRESSION;
      if (code != BN_CLICKED || !var->m_bAllowExpression || var->m_bExpression == wantExpression) break;
      var->m_bExpression = wantExpression;
      var->m_strName.Empty();
      var->m_strUnit.Empty();
      SetDlgItemText(IDC_VARIABLE + index, "");
      SetDlgItemText(IDC_EXPRESSION + index, "");
      if (CControlPanelItem* item = GetItem()) item->LocateItemVariables(m_pSetup, m_pCoff);
      SilentSave();
      AfterChange();
      return TRUE;
    }
    case IDC_UNIT:
    case IDC_HEXA:
      if ((base == IDC_UNIT && code != CBN_SELCHANGE) || (base == IDC_HEXA && code != BN_CLICKED)) break;
      SilentSave();
      AfterChange();
      return TRUE;
    default:
      break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

LRESULT CGadgetEditDlg::OnRefillVariables(WPARAM wParam, LPARAM) {
  if (wParam != 1 && wParam != 2) return 0;
  Quiet quiet(this);
  const int named = (int)wParam - 1;
  for (int index = 0; index < 2; ++index) {
    CControlPanelVar* var = VarOf(index);
    if (!var) continue;
    FillVariableCombo(index);
    if (index != named && var->m_bAllowExpression && var->m_bExpression) continue;
    SetDlgItemText(IDC_VARIABLE + index, var->m_strName);
    if (index == named) Combo(IDC_VARIABLE + index)->ShowDropDown(TRUE);
  }
  return 0;
}
