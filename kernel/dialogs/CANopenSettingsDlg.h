// The CANopen dialogs: the bus unit of each factor group, and the four numbers of one group.
#pragma once

#include "kernel/dialogs/MC_EditSetupDlg.h"

class CCANopenSettingsDlg : public CMC_EditSetupDlg {
  DECLARE_DYNAMIC(CCANopenSettingsDlg)

 public:
  enum { IDD = 14038 };
  CCANopenSettingsDlg(CMC_Setup& setup, CWnd* parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnUnitSelected(UINT id);
  void OnDetails(UINT id);
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  void FillGroupCombo(int group);
};

class CCANopenFactorDetailsDlg : public CMC_EditSetupDlg {
  DECLARE_DYNAMIC(CCANopenFactorDetailsDlg)

 public:
  enum { IDD = 14039 };
  CCANopenFactorDetailsDlg(CMC_Setup& setup, int group, BOOL userDefined, CWnd* parent = nullptr);

  int m_nGroup;
  int m_bUserDefined;

 protected:
  BOOL OnInitDialog() override;
  void OnHelp();
  DECLARE_MESSAGE_MAP()
};
