#include "monitor/gadgets/ControlPanelScopeItems.h"

#include "kernel/values/ConfigFile.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CControlPanelScopeItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelDoubleScopeItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelYXScopeItem, CControlPanelDoubleScopeItem)

// The cache takes a 16-bit age: periods above 6553 s wrap, which only reads the words more often.
WORD ScopeMaxAge(WORD periodSeconds) { return (WORD)(periodSeconds * 1000 / 100); }

CControlPanelScopeItem::CControlPanelScopeItem(const CControlPanelScopeItem& other) : CControlPanelItem(other) {
  operator=(static_cast<const CControlPanelItem&>(other));
}

CControlPanelItem& CControlPanelScopeItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* scope = dynamic_cast<const CControlPanelScopeItem*>(&other); scope && scope != this) {
    m_strTitle = scope->m_strTitle;
    m_var = scope->m_var;
    m_crColor = scope->m_crColor;
    m_nPeriod = scope->m_nPeriod;
  }
  return *this;
}

int CControlPanelScopeItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  const int located = m_var.Locate(setup, coff);
  m_bDisabled = !located;
  return located;
}

void CControlPanelScopeItem::RegisterAddresses(CMC_MemoryCache& cache) {
  m_var.RegisterAddresses(cache, ScopeMaxAge(m_nPeriod));
}

void CControlPanelScopeItem::UpdateValues(CMC_MemoryCache& cache) { m_var.UpdateValues(cache); }

CString CControlPanelScopeItem::SaveConfigLine() {
  return CControlPanelItem::SaveConfigLine() + SaveVarTitleLine(m_var, m_strTitle, (LONG)m_crColor, m_nPeriod);
}

int CControlPanelScopeItem::LoadConfigLine(CString& line) {
  LONG color;
  if (!CControlPanelItem::LoadConfigLine(line) || !LoadVarTitleLine(line, m_var, m_strTitle, color, m_nPeriod))
    return FALSE;
  m_crColor = (COLORREF)color;
  return TRUE;
}

CControlPanelDoubleScopeItem::CControlPanelDoubleScopeItem(const CControlPanelDoubleScopeItem& other)
    : CControlPanelItem(other) {
  operator=(static_cast<const CControlPanelItem&>(other));
}

CControlPanelItem& CControlPanelDoubleScopeItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  auto* scope = dynamic_cast<const CControlPanelDoubleScopeItem*>(&other);
  if (scope && scope != this && scope->GetRuntimeClass() == GetRuntimeClass()) {
    m_strTitle = scope->m_strTitle;
    m_var = scope->m_var;
    m_var2 = scope->m_var2;
    m_crColor = scope->m_crColor;
    m_crColor2 = scope->m_crColor2;
    m_nPeriod = scope->m_nPeriod;
  }
  return *this;
}

int CControlPanelDoubleScopeItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  const int first = m_var.Locate(setup, coff);
  const int second = m_var2.Locate(setup, coff);
  m_bDisabled = !(first && second);
  return !m_bDisabled;
}

void CControlPanelDoubleScopeItem::RegisterAddresses(CMC_MemoryCache& cache) {
  m_var.RegisterAddresses(cache, ScopeMaxAge(m_nPeriod));
  m_var2.RegisterAddresses(cache, ScopeMaxAge(m_nPeriod));
}

void CControlPanelDoubleScopeItem::UpdateValues(CMC_MemoryCache& cache) {
  m_var.UpdateValues(cache);
  m_var2.UpdateValues(cache);
}

CString CControlPanelDoubleScopeItem::SaveConfigLine() {
  CString rest;
  if (HasSecondColor())
    rest.Format(" %s %d %d %u", EscapeString(m_strTitle).GetString(), (int)m_crColor, (int)m_crColor2, (unsigned)m_nPeriod);
  else
    rest.Format(" %s %d %u", EscapeString(m_strTitle).GetString(), (int)m_crColor, (unsigned)m_nPeriod);
  return CControlPanelItem::SaveConfigLine() + m_var.SaveConfigLine() + " " + m_var2.SaveConfigLine() + rest;
}

int CControlPanelDoubleScopeItem::LoadConfigLine(CString& line) {
  LONG color, color2 = (LONG)m_crColor2, period;
  if (!CControlPanelItem::LoadConfigLine(line) || !m_var.LoadConfigLine(line) || !m_var2.LoadConfigLine(line) ||
      !ReadEscapedStringFromConfigLine(line, m_strTitle) || !ReadLongFromConfigLine(line, color) ||
      (HasSecondColor() && !ReadLongFromConfigLine(line, color2)) || !ReadLongFromConfigLine(line, period))
    return FALSE;
  m_crColor = (COLORREF)color;
  m_crColor2 = (COLORREF)color2;
  m_nPeriod = (WORD)period;
  return TRUE;
}
