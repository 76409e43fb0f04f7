// The unit table's combo-box fillers (they need the window layer's combo box).
#include "kernel/params/MC_Units.h"

#include "platform/ui/Controls.h"

namespace {

const DWORD_PTR kInternalUnitData = 92;  // the backslash code

const char* SkipBackslash(const char* s) {
  s = s ? s : "";
  return *s == '\\' ? s + 1 : s;
}

}  // namespace

BOOL CMC_Units::IsInternalUnit(CComboBox* combo, int index) {
  return combo && index == 0 && combo->GetCount() > 0 && combo->GetItemData(0) == kInternalUnitData;
}

void CMC_Units::FillCombo(CComboBox* combo, const char* name, int withInternal) const {
  if (!combo) return;
  combo->ResetContent();
  bool internal = name && name[0] == '\\';
  const char* unitName = SkipBackslash(name);
  if (!*unitName) {
    if (withInternal || internal) {
      int i = combo->AddString("IU");
      combo->SetItemData(i, kInternalUnitData);
      combo->SetCurSel(i);
    }
    return;
  }
  CMC_Unit* unit = FindUnit(unitName);
  if (!unit) return;
  if (withInternal || internal) {
    int i = combo->AddString("IU");
    combo->SetItemData(i, kInternalUnitData);
    if (internal) combo->SetCurSel(i);
  }
  int first, last;
  if (!m_mapFirstIdx.Lookup(unit->GetUnitType(), first) || !m_mapLastIdx.Lookup(unit->GetUnitType(), last)) return;
  for (int k = first; k <= last && k < m_arrUnits.GetSize(); ++k) {
    CMC_Unit* u = m_arrUnits[k];
    int i = combo->AddString(u->GetName());
    if (u == unit && !internal) combo->SetCurSel(i);
  }
}

void CMC_Units::FillCANopenCombo(CComboBox* combo, const char* name, SHORT a, SHORT b) const {
  if (!combo) return;
  combo->ResetContent();
  const char* unitName = SkipBackslash(name);
  if (!*unitName) return;
  CMC_Unit* unit = FindUnit(unitName);
  if (!unit) return;
  int i = combo->AddString("IU");
  combo->SetItemData(i, 0);
  bool selected = IsCANopenInternalUnit(a, b);
  if (selected) combo->SetCurSel(i);
  int first, last;
  if (m_mapFirstIdx.Lookup(unit->GetUnitType(), first) && m_mapLastIdx.Lookup(unit->GetUnitType(), last)) {
    for (int k = first; k <= last && k < m_arrUnits.GetSize(); ++k) {
      CMC_Unit* u = m_arrUnits[k];
      if (u->m_nCANopenA < 0) continue;
      i = combo->AddString(u->GetName());
      combo->SetItemData(i, (DWORD_PTR)(((DWORD)u->m_nCANopenA << 16) + (WORD)u->m_nCANopenB));
      if (!selected && u->m_nCANopenA == a && u->m_nCANopenB == b) {
        combo->SetCurSel(i);
        selected = true;
      }
    }
  }
  i = combo->AddString("User-defined");
  combo->SetItemData(i, (DWORD_PTR)-1);
  if (!selected) combo->SetCurSel(i);
}
