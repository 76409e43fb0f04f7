// The plot's unit combo filler (it needs the window layer's combo box and the unit table).
#include "kernel/params/MC_Units.h"
#include "platform/ui/Controls.h"
#include "plot/curves/Curve.h"
#include "plot/curves/GraphFilter.h"

void CGraphFilter::FillUnitsComboBox(CComboBox& combo, CCurve* curve, const char* selected) {
  CMC_Units* table = curve && curve->m_pUnits ? curve->m_pUnits : m_pUnits;
  if (table) {
    table->FillCombo(&combo, selected, 1);
    return;
  }
  combo.ResetContent();
  combo.SetCurSel(combo.AddString(selected ? selected : ""));
}
