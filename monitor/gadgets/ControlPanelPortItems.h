// The items of the digital input and output kinds: one port bit of a drive, read from one word.
#pragma once

#include "monitor/panels/ControlPanelItem.h"

// What the two kinds share; each kind says which direction its port goes.
class CControlPanelPortItem : public CControlPanelItem {
  DECLARE_DYNAMIC(CControlPanelPortItem)

 public:
  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  virtual bool IsInput() const = 0;

  BYTE m_nAxis = 0;
  CString m_strTitle;
  short m_nPort = -1;
  WORD m_nPeriod = 0;
  // Found when located; never stored.
  WORD m_bState = 0;
  WORD m_nAddress = 0;
  WORD m_nMask = 0;
  int m_bInverted = 0;
};

class CControlPanelInputItem : public CControlPanelPortItem {
  DECLARE_DYNCREATE(CControlPanelInputItem)

 public:
  bool IsInput() const override { return true; }
};

class CControlPanelOutputItem : public CControlPanelPortItem {
  DECLARE_DYNCREATE(CControlPanelOutputItem)

 public:
  bool IsInput() const override { return false; }
};
