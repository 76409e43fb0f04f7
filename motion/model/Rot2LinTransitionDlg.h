// The question the unit repair asks once: how far a rotation moves the load linearly.
#pragma once

#include "kernel/dialogs/MC_EditSetupDlg.h"
#include "kernel/params/MC_Parameter.h"

class CMC_Setup;

// Closing the dialog accepts the factor; there is no OK button.
class CRot2LinTransitionDlg : public CMC_EditSetupDlg {
  DECLARE_DYNAMIC(CRot2LinTransitionDlg)

 public:
  enum { IDD = 14037 };
  CRot2LinTransitionDlg(CMC_Setup& setup, CWnd* parent);
  ~CRot2LinTransitionDlg() override;

  // Linear displacement per rotary displacement, both in base units; 0 until the dialog is closed.
  double m_dTransitionFactor = 0;

 protected:
  void OnCancel() override;
  DECLARE_MESSAGE_MAP()

 private:
  CMC_Parameter m_RotaryDisplacement;
  CMC_Parameter m_LinearDisplacement;
};
