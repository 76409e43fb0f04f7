#include "views/MemorySettingsDlg.h"

#include "platform/core/MessageBox.h"

#include <utility>

namespace {
CMemorySettingsDlg::Runner& ScriptedRunner() {
  static CMemorySettingsDlg::Runner runner;
  return runner;
}
}  // namespace

CMemorySettingsDlg::CMemorySettingsDlg(WORD e2romSize, WORD ramStart, WORD ramSize, WORD setupTableSize, WORD arg,
                                       WORD pvtSize)
    : m_wE2ROMSize(e2romSize),
      m_wRAMStart(ramStart),
      m_wRAMSize(ramSize),
      m_wSetupTableSize(setupTableSize),
      m_wArg(arg),
      m_wPVTSize(pvtSize) {}

INT_PTR CMemorySettingsDlg::DoModal() {
  Runner& runner = ScriptedRunner();
  return runner ? runner(*this) : IDCANCEL;
}

void CMemorySettingsDlg::SetScriptedRunner(Runner runner) { ScriptedRunner() = std::move(runner); }
