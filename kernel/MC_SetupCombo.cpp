// Combo fillers of the setup, forwarded to its unit table; built once the window layer has combo boxes
// (rename to .cpp together with kernel/MC_UnitsCombo.cpp).
#include "kernel/MC_Setup.h"

void CMC_Setup::FillUnitCombo(CComboBox* combo, const char* name, int withInternal) const {
  m_Units.FillCombo(combo, name, withInternal);
}

void CMC_Setup::FillCANopenUnitCombo(CComboBox* combo, const char* name, SHORT a, SHORT b) const {
  m_Units.FillCANopenCombo(combo, name, a, b);
}
