// The memory settings dialog: where the motion program, the CAM tables and the logger live in the drive.
#pragma once

#include "platform/core/Types.h"

#include <functional>

class CMemorySettingsDlg {
 public:
  CMemorySettingsDlg(WORD e2romSize, WORD ramStart, WORD ramSize, WORD setupTableSize, WORD arg, WORD pvtSize);
  virtual ~CMemorySettingsDlg() = default;

  // IDOK when the user accepted the settings. Until the window layer exists the dialog is answered by
  // the scripted runner (tests), else cancelled.
  virtual INT_PTR DoModal();
  using Runner = std::function<INT_PTR(CMemorySettingsDlg&)>;
  static void SetScriptedRunner(Runner runner);

  WORD m_wE2ROMSize;
  WORD m_wRAMStart;
  WORD m_wRAMSize;
  WORD m_wSetupTableSize;
  WORD m_wArg;
  WORD m_wPVTSize;

  int m_bLoadToE2ROM = 0;
  int m_bRunFromE2ROM = 0;
  int m_bSupportCAMTables = 0;
  WORD m_wCAMSize = 0;
  WORD m_wZURStartE2ROM = 0;
  WORD m_wZURSizeRAM = 0;
};
