// Combo fillers of the COFF reader.
#include "comm/MC_CoffFormat.h"

#include "platform/ui/Controls.h"

void CMC_CoffFormat::FillFormatCombo(CComboBox* combo, int selected) {
  if (!combo) return;
  combo->ResetContent();
  static const int kFlags[] = {1, 12, 2, 3, 13, 4, 14, 5, 15, 6, 7};
  for (int flag : kFlags) {
    int item = combo->AddString(GetFormatName(flag));
    combo->SetItemData(item, (DWORD_PTR)flag);
    if (flag == selected) combo->SetCurSel(item);
  }
}

void CMC_CoffFormat::FillSimpleVarsCombo(CComboBox* combo, int allPages, int reset) const {
  if (!combo) return;
  if (reset) combo->ResetContent();
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (IsListedVariable(s, allPages != 0)) combo->AddString(s->m_strName);
  }
}
