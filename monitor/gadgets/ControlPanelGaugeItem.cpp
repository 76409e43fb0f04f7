#include "monitor/gadgets/ControlPanelGaugeItem.h"

#include "kernel/values/ConfigFile.h"

IMPLEMENT_DYNCREATE(CControlPanelGaugeItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelGaugeVertItem, CControlPanelGaugeItem)

CString SaveVarTitleLine(const CControlPanelVar& var, const CString& title, LONG number, WORD period) {
  CString rest;
  rest.Format(" %s %d %u", EscapeString(title).GetString(), (int)number, (unsigned)period);
  return var.SaveConfigLine() + rest;
}

int LoadVarTitleLine(CString& line, CControlPanelVar& var, CString& title, LONG& number, WORD& period) {
  LONG longPeriod;
  if (!var.LoadConfigLine(line) || !ReadEscapedStringFromConfigLine(line, title) ||
      !ReadLongFromConfigLine(line, number) || !ReadLongFromConfigLine(line, longPeriod))
    return FALSE;
  period = (WORD)longPeriod;
  return TRUE;
}

CControlPanelGaugeItem::CControlPanelGaugeItem(const CControlPanelGaugeItem& other) : CControlPanelItem(other) {
  operator=(static_cast<const CControlPanelItem&>(other));
}

CControlPanelItem& CControlPanelGaugeItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* gauge = dynamic_cast<const CControlPanelGaugeItem*>(&other); gauge && gauge != this) {
    m_strTitle = gauge->m_strTitle;
    m_var = gauge->m_var;
    m_crColor = gauge->m_crColor;
    m_nPeriod = gauge->m_nPeriod;
  }
  return *this;
}

int CControlPanelGaugeItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  const int located = m_var.Locate(setup, coff);
  m_bDisabled = !located;
  return located;
}

void CControlPanelGaugeItem::RegisterAddresses(CMC_MemoryCache& cache) { m_var.RegisterAddresses(cache, m_nPeriod); }

void CControlPanelGaugeItem::UpdateValues(CMC_MemoryCache& cache) { m_var.UpdateValues(cache); }

CString CControlPanelGaugeItem::SaveConfigLine() {
  return CControlPanelItem::SaveConfigLine() + SaveVarTitleLine(m_var, m_strTitle, (LONG)m_crColor, m_nPeriod);
}

int CControlPanelGaugeItem::LoadConfigLine(CString& line) {
  LONG color;
  if (!CControlPanelItem::LoadConfigLine(line) || !LoadVarTitleLine(line, m_var, m_strTitle, color, m_nPeriod))
    return FALSE;
  m_crColor = (COLORREF)color;
  return TRUE;
}
