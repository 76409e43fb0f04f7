#include "motion/Rot2LinTransitionDlg.h"

#include "kernel/MC_Setup.h"
#include "motion/ChildCombo.h"
#include "platform/ui/Controls.h"

namespace {
enum : int { IDC_ROTARY = 14000, IDC_ROTARY_UNIT = 14001, IDC_LINEAR = 14002, IDC_LINEAR_UNIT = 14003 };
}

IMPLEMENT_DYNAMIC(CRot2LinTransitionDlg, CDialog)

BEGIN_MESSAGE_MAP(CRot2LinTransitionDlg, CDialog)
ON_CBN_SELCHANGE(IDC_ROTARY_UNIT, &CRot2LinTransitionDlg::OnRotaryUnit)
ON_CBN_SELCHANGE(IDC_LINEAR_UNIT, &CRot2LinTransitionDlg::OnLinearUnit)
END_MESSAGE_MAP()

CRot2LinTransitionDlg::CRot2LinTransitionDlg(CMC_Setup& setup, CWnd* parent)
    : CDialog(IDD, parent), m_rSetup(setup), m_RotaryDisplacement(setup), m_LinearDisplacement(setup) {
  m_RotaryDisplacement.InitializeMotionParam(VAR_DOUBLE, "RotaryDisplacement", "rot", "1", 1.0, 0.0);
  m_RotaryDisplacement.SetMinInBaseUnit(1);
  m_LinearDisplacement.InitializeMotionParam(VAR_DOUBLE, "LinearDisplacement", "mm", "1", 1.0, 0.0);
  m_LinearDisplacement.SetMin(1);
}

CRot2LinTransitionDlg::~CRot2LinTransitionDlg() = default;

BOOL CRot2LinTransitionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_rSetup.FillUnitCombo(CChildCombo(this, IDC_ROTARY_UNIT), m_RotaryDisplacement.GetUnitName(), FALSE);
  m_rSetup.FillUnitCombo(CChildCombo(this, IDC_LINEAR_UNIT), m_LinearDisplacement.GetUnitName(), FALSE);
  return TRUE;
}

void CRot2LinTransitionDlg::DoDataExchange(CDataExchange* pDX) {
  struct Binding {
    int edit;
    CMC_Parameter& param;
  } bindings[] = {{IDC_ROTARY, m_RotaryDisplacement}, {IDC_LINEAR, m_LinearDisplacement}};
  for (Binding& b : bindings) {
    if (pDX->m_bSaveAndValidate) {
      CString text;
      GetDlgItemText(b.edit, text);
      // A text that does not scan keeps the value shown before.
      b.param.ScanValue(text);
    } else {
      SetDlgItemText(b.edit, b.param.PrintValue());
    }
  }
}

void CRot2LinTransitionDlg::ChangeUnit(CMC_Parameter& param, int edit, int combo) {
  if (!UpdateData(TRUE)) return;
  CChildCombo box(this, combo);
  int sel = box ? box->GetCurSel() : -1;
  if (sel < 0) return;
  CString unit;
  box->GetLBText(sel, unit);
  param.ChangeUnit(unit);
  SetDlgItemText(edit, param.PrintValue());
}

void CRot2LinTransitionDlg::OnRotaryUnit() { ChangeUnit(m_RotaryDisplacement, IDC_ROTARY, IDC_ROTARY_UNIT); }
void CRot2LinTransitionDlg::OnLinearUnit() { ChangeUnit(m_LinearDisplacement, IDC_LINEAR, IDC_LINEAR_UNIT); }

void CRot2LinTransitionDlg::OnCancel() {
  UpdateData(TRUE);
  m_dTransitionFactor = m_LinearDisplacement.GetValueInBaseUnit() / m_RotaryDisplacement.GetValueInBaseUnit();
  EndDialog(IDOK);
}
