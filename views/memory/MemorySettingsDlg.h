// The memory settings dialog: where the motion program, the CAM tables and the logger live in the drive.
#pragma once

#include "platform/core/Types.h"
#include "platform/ui/Dialog.h"

class CMemorySettingsDlg : public CDialog {
  DECLARE_DYNAMIC(CMemorySettingsDlg)

 public:
  enum { IDD = 14032 };
  CMemorySettingsDlg(WORD e2romSize, WORD ramStart, WORD ramSize, WORD setupTableSize, WORD arg, WORD pvtSize,
                     CWnd* pParent = nullptr);

  WORD m_wE2ROMSize;
  WORD m_wRAMStart;
  WORD m_wRAMSize;
  WORD m_wSetupTableSize;
  WORD m_wArg;  // CAM space the current tables need
  WORD m_wPVTSize;

  int m_bLoadToE2ROM = 0;
  int m_bRunFromE2ROM = 0;
  int m_bSupportCAMTables = 1;
  WORD m_wCAMSize = 0;
  WORD m_wZURStartE2ROM = 0;
  WORD m_wZURSizeRAM = 0;
  int m_bShowMessages = 0;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(CDataExchange* pDX) override;

  void OnLoadToE2ROM();
  void OnLoadToRAM();
  void OnRunFromE2ROM();
  void OnRunFromRAM();
  void OnEditChange();
  void OnHelp();
  DECLARE_MESSAGE_MAP()

 private:
  void Exchange(CDataExchange* pDX, bool& valid);
  void UpdateMaps(bool valid);
  bool m_bReloading = false;
};
