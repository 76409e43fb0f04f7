#include "monitor/gadgets/ControlPanelSliderItem.h"

#include "monitor/gadgets/ControlPanelGaugeItem.h"

IMPLEMENT_DYNCREATE(CControlPanelSliderItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelSliderVertItem, CControlPanelSliderItem)

CControlPanelSliderItem::CControlPanelSliderItem(const CControlPanelSliderItem& other) : CControlPanelItem(other) {
  operator=(static_cast<const CControlPanelItem&>(other));
}

CControlPanelItem& CControlPanelSliderItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* slider = dynamic_cast<const CControlPanelSliderItem*>(&other); slider && slider != this) {
    m_strTitle = slider->m_strTitle;
    m_var = slider->m_var;
    m_bNeedUPD = slider->m_bNeedUPD;
    m_nPeriod = slider->m_nPeriod;
  }
  return *this;
}

int CControlPanelSliderItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  const int located = m_var.Locate(setup, coff);
  m_bDisabled = !located;
  return located;
}

void CControlPanelSliderItem::RegisterAddresses(CMC_MemoryCache& cache) { m_var.RegisterAddresses(cache, m_nPeriod); }

void CControlPanelSliderItem::UpdateValues(CMC_MemoryCache& cache) { m_var.UpdateValues(cache); }

CString CControlPanelSliderItem::SaveConfigLine() {
  return CControlPanelItem::SaveConfigLine() + SaveVarTitleLine(m_var, m_strTitle, m_bNeedUPD, m_nPeriod);
}

int CControlPanelSliderItem::LoadConfigLine(CString& line) {
  LONG needUpd;
  if (!CControlPanelItem::LoadConfigLine(line) || !LoadVarTitleLine(line, m_var, m_strTitle, needUpd, m_nPeriod))
    return FALSE;
  m_bNeedUPD = (int)needUpd;
  return TRUE;
}
