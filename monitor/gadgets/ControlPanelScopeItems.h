// The items of the scope kinds: one quantity against time, two against time, and Y against X.
#pragma once

#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/ControlPanelVar.h"

// The cache age of a scope's words: one sample interval (a hundredth of the period), in 16 bits.
WORD ScopeMaxAge(WORD periodSeconds);

class CControlPanelScopeItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelScopeItem)

 public:
  CControlPanelScopeItem() = default;
  CControlPanelScopeItem(const CControlPanelScopeItem& other);

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CString m_strTitle;
  CControlPanelVar m_var{TRUE};
  COLORREF m_crColor = 0x0000FF;
  WORD m_nPeriod = 0;  // seconds
};

// Two quantities; the Y(X) kind has no second colour on its line.
class CControlPanelDoubleScopeItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelDoubleScopeItem)

 public:
  CControlPanelDoubleScopeItem() = default;
  CControlPanelDoubleScopeItem(const CControlPanelDoubleScopeItem& other);

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CString m_strTitle;
  CControlPanelVar m_var{TRUE};
  CControlPanelVar m_var2{TRUE};
  COLORREF m_crColor = 0x0000FF;
  COLORREF m_crColor2 = 0xFF0000;
  WORD m_nPeriod = 0;

 protected:
  virtual bool HasSecondColor() const { return true; }
};

class CControlPanelYXScopeItem : public CControlPanelDoubleScopeItem {
  DECLARE_DYNCREATE(CControlPanelYXScopeItem)

 protected:
  bool HasSecondColor() const override { return false; }
};
