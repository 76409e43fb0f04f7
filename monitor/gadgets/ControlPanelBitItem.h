// The item of the bit kind: one bit of a drive variable found by name, with a colour per digit.
#pragma once

#include "kernel/values/MC_Value.h"
#include "monitor/panels/ControlPanelItem.h"

class CControlPanelBitItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelBitItem)

 public:
  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  void RegisterAddresses(CMC_MemoryCache& cache) override;
  void UpdateValues(CMC_MemoryCache& cache) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  BYTE m_nAxis = 0;
  CString m_strVariable;
  CString m_strTitle;
  short m_nBit = 0;
  WORD m_nPeriod = 0;
  COLORREF m_crColor0 = 0;
  COLORREF m_crColor1 = 0;
  // Found when located; never stored.
  WORD m_nAddress = 0;
  tagVarType m_nType = VAR_INVALID;
  BYTE m_nState = 0;

 private:
  bool Located() const { return m_nAddress && m_nType != VAR_INVALID && !m_bDisabled; }
};
