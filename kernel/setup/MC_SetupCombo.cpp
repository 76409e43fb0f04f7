// Combo fillers of the setup: units, register bits, I/O ports and variables.
#include "kernel/setup/MC_Setup.h"

#include "platform/ui/Controls.h"

namespace {

// One item per bit of the mask, the item of `selected` chosen.
template <class Describe>
void FillBits(CComboBox& combo, DWORD mask, int selected, Describe describe) {
  combo.ResetContent();
  for (UINT bit = 0; bit < 32; ++bit) {
    if (!(mask & (1u << bit))) continue;
    CString text;
    text.Format("[%u] %s", bit, describe((int)bit).GetString());
    int i = combo.AddString(text);
    combo.SetItemData(i, bit);
    if ((int)bit == selected) combo.SetCurSel(i);
  }
}

void AddPort(CComboBox& combo, const CString& name, int port, int selected) {
  int i = combo.AddString(name);
  combo.SetItemData(i, (DWORD_PTR)port);
  if (port == selected) combo.SetCurSel(i);
}

}  // namespace

void CMC_Setup::FillUnitCombo(CComboBox* combo, const char* name, int withInternal) const {
  m_Units.FillCombo(combo, name, withInternal);
}

void CMC_Setup::FillCANopenUnitCombo(CComboBox* combo, const char* name, SHORT a, SHORT b) const {
  m_Units.FillCANopenCombo(combo, name, a, b);
}

void CMC_Setup::FillErrorRegBitsCombo(CComboBox& combo, int selected) const {
  FillBits(combo, m_dwErrorRegMask, selected, [this](int bit) { return GetErrorRegDesc(bit); });
}

void CMC_Setup::FillStatusRegBitsCombo(CComboBox& combo, int selected) const {
  FillBits(combo, m_dwStatusRegMask, selected, [this](int bit) { return GetStatusRegDesc(bit); });
}

void CMC_Setup::FillIOCombo(CComboBox& combo, int selected, int input) const {
  combo.ResetContent();
  for (int port = 0; port <= GetMaxIOPort(0); ++port)
    if (input ? IsInputPortEnable(port) : IsOutputPortEnable(port)) AddPort(combo, GetPortName(port, input), port, selected);
}

void CMC_Setup::FillIOBrakeCombo(CComboBox& combo, int selected) const {
  combo.ResetContent();
  for (int port = 0; port <= GetMaxIOPort(0); ++port)
    if (IsBrakePortEnable(port)) AddPort(combo, GetPortName(port, 0), port, selected);
}

void CMC_Setup::FillVariableCombo(CComboBox& combo, const char* selected, int alsoFirmware) {
  combo.ResetContent();
  m_Variables.AppendListToCombo(combo, selected);
  if (!alsoFirmware) return;
  m_FirmwareVariables.AppendListToCombo(combo, selected);
  // Chosen again once both lists are in: a sorted combo moves items as they arrive.
  if (selected && *selected) {
    int i = combo.FindStringExact(-1, selected);
    if (i >= 0) combo.SetCurSel(i);
  }
}
