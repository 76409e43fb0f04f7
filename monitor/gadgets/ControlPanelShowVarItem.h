// The item of a show-value gadget: one quantity, a caption and a refresh period.
#pragma once

#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelVar.h"

class CControlPanelShowVarItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelShowVarItem)

 public:
  CControlPanelShowVarItem() = default;
  CControlPanelShowVarItem(const CControlPanelShowVarItem& other);

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CControlPanelVar m_var{TRUE};
  CString m_strTitle;
  WORD m_nPeriod = 0;
};
