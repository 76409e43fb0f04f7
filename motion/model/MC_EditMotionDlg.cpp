#include "motion/model/MC_EditMotionDlg.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/ChildCombo.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinApp.h"

namespace {

const UINT IDS_NON_EMPTY_STRING = 20036;
const UINT IDS_INVALID_NAME = 20046;
const UINT IDS_INVALID_DECIMAL = 20049;
const UINT HH_HELP_CONTEXT_COMMAND = 15;
const DWORD_PTR kModuleHelpContext = 0x10000;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The message of a variable name that cannot be used, 0 for a good one.
UINT CheckVariableName(const CString& name) {
  if (name.IsEmpty()) return IDS_NON_EMPTY_STRING;
  if (!IsLetter(name[0]) && name[0] != '_') return IDS_INVALID_NAME;
  for (int i = 1; i < name.GetLength(); ++i)
    if (!IsLetter(name[i]) && !IsDigit(name[i]) && name[i] != '_') return IDS_INVALID_NAME;
  return 0;
}

}  // namespace

IMPLEMENT_DYNAMIC(CMC_EditMotionDlg, CDialog)

BEGIN_MESSAGE_MAP(CMC_EditMotionDlg, CDialog)
ON_COMMAND(ID_HELP, &CMC_EditMotionDlg::OnDefaultHelp)
ON_COMMAND(ID_DEFAULT_HELP, &CMC_EditMotionDlg::OnDefaultHelp)
ON_MESSAGE(WM_HELP, &CMC_EditMotionDlg::OnHelp)
END_MESSAGE_MAP()

CMC_EditMotionDlg::CMC_EditMotionDlg(CMC_Setup&, CMC_Motion& motion, CString& parameters, UINT templateId,
                                     CWnd* parent)
    : CDialog(templateId, parent), m_rParameters(parameters) {
  // The template lies in the library of the module whose editor runs, not in the kernel.
  if (templateId) {
    HINSTANCE module = motion.GetCurrentModule();
    if (const DIALOG_RESOURCE* tmpl = module ? FindDialogTemplate(module, MAKEINTRESOURCE(templateId)) : nullptr)
      InitModalIndirect(tmpl, parent);
  }
}

CMC_EditMotionDlg::~CMC_EditMotionDlg() {
  for (void* b : m_bitmaps) ::DeleteObject((HGDIOBJ)b);
}

// ---- Child controls ---------------------------------------------------------------------------------

CString CMC_EditMotionDlg::GetChildText(UINT id) {
  CString text;
  if (GetDlgItem(id)) GetDlgItemText(id, text);
  return text;
}

void CMC_EditMotionDlg::SetChildText(UINT id, const char* text) {
  if (!GetDlgItem(id)) return;
  m_bTakeOver = FALSE;
  SetDlgItemText(id, text);
  m_bTakeOver = TRUE;
}

int CMC_EditMotionDlg::GetChildCheck(UINT id) { return GetDlgItem(id) ? (int)IsDlgButtonChecked(id) : 0; }

void CMC_EditMotionDlg::SetChildCheck(UINT id, int check) {
  if (GetDlgItem(id)) CheckDlgButton(id, (UINT)check);
}

int CMC_EditMotionDlg::GetComboIndex(UINT id) {
  CWnd* w = GetDlgItem(id);
  return w ? (int)w->SendMessage(CB_GETCURSEL) : -1;
}

void CMC_EditMotionDlg::SetComboIndex(UINT id, int index) {
  if (CWnd* w = GetDlgItem(id)) w->SendMessage(CB_SETCURSEL, (WPARAM)index);
}

int CMC_EditMotionDlg::IsChildEnabled(UINT id) {
  CWnd* w = GetDlgItem(id);
  return w && w->IsWindowEnabled() ? 1 : 0;
}

int CMC_EditMotionDlg::IsChildVisible(UINT id) {
  CWnd* w = GetDlgItem(id);
  return w && w->IsWindowVisible() ? 1 : 0;
}

void CMC_EditMotionDlg::EnableChild(UINT id, int enable) {
  if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

void CMC_EditMotionDlg::ShowChild(UINT id, int show) {
  if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOWNORMAL : SW_HIDE);
}

void CMC_EditMotionDlg::LoadBitmapA(UINT id, const char* name) {
  CWnd* w = GetDlgItem(id);
  HINSTANCE module = GetMotion().GetCurrentModule();
  HRSRC res = w && module ? FindResource(module, name, RT_BITMAP) : nullptr;
  if (!res) return;
  const void* bytes = LockResource(LoadResource(module, res));
  HBITMAP bitmap = bytes ? CreateBitmapFromBytes((const BYTE*)bytes, SizeofResource(module, res)) : nullptr;
  if (!bitmap) return;
  m_bitmaps.push_back(bitmap);
  w->SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
}

// ---- Parameters ------------------------------------------------------------------------------------

void CMC_EditMotionDlg::ShowValue(UINT edit, BOOL enable, const CString& text) {
  EnableChild(edit, enable);
  if (edit == m_nUnreadEdit) m_nUnreadEdit = 0;
  SetChildText(edit, enable ? text : CString());
}

void CMC_EditMotionDlg::ShowUnit(const CString& unit, UINT unitCombo, bool show, BOOL withInternal) {
  CChildCombo child(this, (int)unitCombo);
  CComboBox* combo = child;
  if (!combo) return;
  combo->EnableWindow(show);
  if (show) GetSetup().GetUnits().FillCombo(combo, unit, withInternal);
  else combo->ResetContent();
}

void CMC_EditMotionDlg::ShowParameter(CMC_Parameter* param, UINT edit, UINT unitCombo, BOOL enable,
                                      BOOL withInternal) {
  if (!param) return;
  ShowValue(edit, enable, param->PrintValue());
  ShowUnit(param->GetUnitName(), unitCombo, enable && param->HasUnit(), withInternal);
}

void CMC_EditMotionDlg::ShowParameter(CMC_ArrayParameter* param, int index, UINT edit, UINT unitCombo, BOOL enable,
                                      BOOL withInternal) {
  if (!param || index < 0 || index >= param->GetValuesCount()) return;
  ShowValue(edit, enable, param->PrintValue(index));
  ShowUnit(param->GetUnitName(), unitCombo, enable && param->HasUnit(), withInternal);
}

void CMC_EditMotionDlg::ShowParameterOrVariable(BOOL isVariable, CMC_Parameter* param, CString& variable, UINT edit,
                                                UINT unitCombo, BOOL enable, BOOL withInternal) {
  if (!isVariable) {
    ShowParameter(param, edit, unitCombo, enable, withInternal);
    return;
  }
  ShowValue(edit, enable, variable);
  ShowUnit(CString(), unitCombo, false, withInternal);
}

bool CMC_EditMotionDlg::TakesOver(UINT edit) {
  if (edit != m_nChangedControl && !m_bOK) return false;
  if (edit == m_nChangedControl) m_nChangedControl = 0;
  CWnd* w = GetDlgItem(edit);
  return w && w->IsWindowEnabled();
}

bool CMC_EditMotionDlg::ReadTyped(bool scanned, UINT edit) {
  if (scanned && m_nUnreadEdit == edit) m_nUnreadEdit = 0;
  if (!scanned && !m_bOK) m_nUnreadEdit = edit;
  return !scanned && m_bOK;
}

void CMC_EditMotionDlg::UpdateParameter(CDataExchange* pDX, CMC_Parameter* param, UINT edit) {
  if (!param || !TakesOver(edit)) return;
  if (!ReadTyped(param->ScanValue(GetChildText(edit)), edit)) return;
  pDX->PrepareEditCtrl((int)edit);
  ShowKernelMessageAlways(MB_OK, IDS_INVALID_DECIMAL);
  pDX->Fail();
}

void CMC_EditMotionDlg::UpdateParameter(CDataExchange* pDX, CMC_ArrayParameter* param, int index, UINT edit) {
  if (!param || index < 0 || index >= param->GetValuesCount() || !TakesOver(edit)) return;
  if (!ReadTyped(param->ScanValue(index, GetChildText(edit)), edit)) return;
  pDX->PrepareEditCtrl((int)edit);
  ShowKernelMessageAlways(MB_OK, IDS_INVALID_DECIMAL);
  pDX->Fail();
}

void CMC_EditMotionDlg::UpdateParameterOrVariable(CDataExchange* pDX, BOOL isVariable, CMC_Parameter* param,
                                                  CString& variable, UINT edit) {
  if (!isVariable) {
    UpdateParameter(pDX, param, edit);
    return;
  }
  if (!TakesOver(edit)) return;
  pDX->PrepareEditCtrl((int)edit);
  variable = GetChildText(edit);
  if (UINT message = CheckVariableName(variable)) {
    ShowKernelMessageAlways(MB_OK, message);
    pDX->Fail();
  }
}

void CMC_EditMotionDlg::ChangeParameterUnit(CMC_Parameter* param, UINT edit, UINT unitCombo) {
  if (!ApplyUnitCombo(param, CChildCombo(this, (int)unitCombo))) return;
  if (edit) SetChildText(edit, param->PrintValue());
}

void CMC_EditMotionDlg::ChangeParameterUnit(CMC_ArrayParameter* param, int index, UINT edit, UINT unitCombo) {
  if (!ApplyUnitCombo(param, CChildCombo(this, (int)unitCombo))) return;
  if (edit && index >= 0 && index < param->GetValuesCount()) SetChildText(edit, param->PrintValue(index));
}

// ---- Commands ----------------------------------------------------------------------------------------

BOOL CMC_EditMotionDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CDialog::OnCommand(wParam, lParam)) return TRUE;
  const UINT id = LOWORD(wParam);
  switch (HIWORD(wParam)) {
    case EN_CHANGE:
      if (!m_bTakeOver) return FALSE;
      m_nChangedControl = id;
      UpdateData(TRUE);
      return TRUE;
    case EN_KILLFOCUS:
      // Showing the values again would put the last good value over text the user still has to mend.
      if (id != m_nUnreadEdit) UpdateData(FALSE);
      return TRUE;
    case BN_CLICKED: {
      CWnd* w = GetDlgItem(id);
      if (!w || !(w->GetStyle() & 0xB)) return FALSE;
      UpdateData(TRUE);
      UpdateData(FALSE);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void CMC_EditMotionDlg::OnOK() {
  m_bOK = TRUE;
  if (UpdateData(TRUE)) {
    EndDialog(IDOK);
    m_rParameters.Empty();
    GetInternalData()->WriteParameters(m_rParameters);
  }
  m_bOK = FALSE;
}

void CMC_EditMotionDlg::OnDefaultHelp() {
  HINSTANCE module = GetMotion().GetCurrentModule();
  CString file;
  if (module && GetHelpFileOfModule(module, file)) HtmlHelp(nullptr, file, HH_HELP_CONTEXT_COMMAND, kModuleHelpContext);
}

LRESULT CMC_EditMotionDlg::OnHelp(WPARAM, LPARAM) {
  OnDefaultHelp();
  return TRUE;
}
