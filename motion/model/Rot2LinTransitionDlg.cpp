#include "motion/model/Rot2LinTransitionDlg.h"

#include "kernel/setup/MC_Setup.h"

namespace {
enum : UINT { IDC_ROTARY = 14000, IDC_ROTARY_UNIT = 14001, IDC_LINEAR = 14002, IDC_LINEAR_UNIT = 14003 };
}

IMPLEMENT_DYNAMIC(CRot2LinTransitionDlg, CMC_EditSetupDlg)

BEGIN_MESSAGE_MAP(CRot2LinTransitionDlg, CMC_EditSetupDlg)
END_MESSAGE_MAP()

CRot2LinTransitionDlg::CRot2LinTransitionDlg(CMC_Setup& setup, CWnd* parent)
    : CMC_EditSetupDlg(setup, 0, FALSE, nullptr, parent), m_RotaryDisplacement(setup), m_LinearDisplacement(setup) {
  // The kernel's own template: no module template stands in for it.
  m_lpszTemplateName = MAKEINTRESOURCE(IDD);
  m_nIDHelp = IDD;
  m_RotaryDisplacement.InitializeMotionParam(VAR_DOUBLE, "RotaryDisplacement", "rot", "1", 1.0, 0.0);
  m_RotaryDisplacement.SetMinInBaseUnit(1);
  m_LinearDisplacement.InitializeMotionParam(VAR_DOUBLE, "LinearDisplacement", "mm", "1", 1.0, 0.0);
  m_LinearDisplacement.SetMin(1);
  AddUserParameterControls(&m_RotaryDisplacement, IDC_ROTARY, IDC_ROTARY_UNIT);
  AddUserParameterControls(&m_LinearDisplacement, IDC_LINEAR, IDC_LINEAR_UNIT);
}

CRot2LinTransitionDlg::~CRot2LinTransitionDlg() = default;

void CRot2LinTransitionDlg::OnCancel() {
  UpdateData(TRUE);
  m_dTransitionFactor = m_LinearDisplacement.GetValueInBaseUnit() / m_RotaryDisplacement.GetValueInBaseUnit();
  EndDialog(IDOK);
}
