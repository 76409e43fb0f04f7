// The items of the gauge kinds (horizontal and vertical): one quantity between its limits, a bar
// colour, a title and a refresh period. Also the line layout the slider and scope items share.
#pragma once

#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelVar.h"

// The one-quantity line after the common fields: variable, escaped title, a number, the period.
CString SaveVarTitleLine(const CControlPanelVar& var, const CString& title, LONG number, WORD period);
int LoadVarTitleLine(CString& line, CControlPanelVar& var, CString& title, LONG& number, WORD& period);

class CControlPanelGaugeItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelGaugeItem)

 public:
  CControlPanelGaugeItem() = default;
  CControlPanelGaugeItem(const CControlPanelGaugeItem& other);

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CString m_strTitle;
  CControlPanelVar m_var{TRUE};
  COLORREF m_crColor = 0x008000;
  WORD m_nPeriod = 0;
};

class CControlPanelGaugeVertItem : public CControlPanelGaugeItem {
  DECLARE_DYNCREATE(CControlPanelGaugeVertItem)
};
