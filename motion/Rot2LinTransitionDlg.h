// The question the unit repair asks once: how far a rotation moves the load linearly.
#pragma once

#include "kernel/MC_Parameter.h"
#include "platform/ui/Dialog.h"

class CMC_Setup;

// Closing the dialog accepts the factor; there is no OK button.
class CRot2LinTransitionDlg : public CDialog {
  DECLARE_DYNAMIC(CRot2LinTransitionDlg)

 public:
  enum { IDD = 14037 };
  CRot2LinTransitionDlg(CMC_Setup& setup, CWnd* parent);
  ~CRot2LinTransitionDlg() override;

  // Linear displacement per rotary displacement, both in base units; 0 until the dialog is closed.
  double m_dTransitionFactor = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnCancel() override;
  void OnRotaryUnit();
  void OnLinearUnit();
  DECLARE_MESSAGE_MAP()

 private:
  void ChangeUnit(CMC_Parameter& param, int edit, int combo);

  CMC_Setup& m_rSetup;
  CMC_Parameter m_RotaryDisplacement;
  CMC_Parameter m_LinearDisplacement;
};
