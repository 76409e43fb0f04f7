#include "monitor/gadgets/ControlPanelShowVarItem.h"

#include "kernel/values/ConfigFile.h"

IMPLEMENT_DYNCREATE(CControlPanelShowVarItem, CControlPanelItem)

CControlPanelShowVarItem::CControlPanelShowVarItem(const CControlPanelShowVarItem& other) : CControlPanelItem(other) {
  operator=(static_cast<const CControlPanelItem&>(other));
}

CControlPanelItem& CControlPanelShowVarItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* show = dynamic_cast<const CControlPanelShowVarItem*>(&other); show && show != this) {
    m_var = show->m_var;
    m_strTitle = show->m_strTitle;
    m_nPeriod = show->m_nPeriod;
  }
  return *this;
}

int CControlPanelShowVarItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  const int located = m_var.Locate(setup, coff);
  m_bDisabled = !located;
  return located;
}

void CControlPanelShowVarItem::RegisterAddresses(CMC_MemoryCache& cache) { m_var.RegisterAddresses(cache, m_nPeriod); }

void CControlPanelShowVarItem::UpdateValues(CMC_MemoryCache& cache) { m_var.UpdateValues(cache); }

CString CControlPanelShowVarItem::SaveConfigLine() {
  CString period;
  period.Format(" %s %u", EscapeString(m_strTitle).GetString(), (unsigned)m_nPeriod);
  return CControlPanelItem::SaveConfigLine() + m_var.SaveConfigLine() + period;
}

int CControlPanelShowVarItem::LoadConfigLine(CString& line) {
  CString title;
  LONG period;
  if (!CControlPanelItem::LoadConfigLine(line) || !m_var.LoadConfigLine(line) ||
      !ReadEscapedStringFromConfigLine(line, title) || !ReadLongFromConfigLine(line, period))
    return FALSE;
  m_strTitle = title;
  m_nPeriod = (WORD)period;
  return TRUE;
}
