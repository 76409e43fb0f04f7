// The items of the slider kinds (horizontal and vertical): a variable the user sets, its limits,
// a title, whether "UPD" follows each write, and a refresh period.
#pragma once

#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelVar.h"

class CControlPanelSliderItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelSliderItem)

 public:
  CControlPanelSliderItem() = default;
  CControlPanelSliderItem(const CControlPanelSliderItem& other);

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CString m_strTitle;
  CControlPanelVar m_var{FALSE};
  int m_bNeedUPD = 1;
  WORD m_nPeriod = 0;
};

class CControlPanelSliderVertItem : public CControlPanelSliderItem {
  DECLARE_DYNCREATE(CControlPanelSliderVertItem)
};
