// The variable list's combo-box filler (it needs the window layer's combo box).
#include "kernel/params/MC_Variables.h"

#include "platform/ui/Controls.h"

void CMC_Variables::AppendListToCombo(CComboBox& combo, const char* select) {
  CString selected;
  for (int i = 0; i < m_arrVariables.GetSize(); ++i) {
    CMC_Variable* v = m_arrVariables.GetAt(i);
    if (!v || v->GetName().IsEmpty()) continue;
    combo.AddString(v->GetName());
    if (select && v->GetName().CompareNoCase(select) == 0) selected = v->GetName();
  }
  // Selected once every item is in: a sorted combo moves items as others arrive.
  if (!selected.IsEmpty()) combo.SetCurSel(combo.FindStringExact(-1, selected));
}
