#include "monitor/gadgets/ControlPanelPortItems.h"

#include "comm/MC_MemoryCache.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"

IMPLEMENT_DYNAMIC(CControlPanelPortItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelInputItem, CControlPanelPortItem)
IMPLEMENT_DYNCREATE(CControlPanelOutputItem, CControlPanelPortItem)

CControlPanelItem& CControlPanelPortItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  auto* port = dynamic_cast<const CControlPanelPortItem*>(&other);
  if (port && port->GetRuntimeClass() == GetRuntimeClass()) {
    m_nAxis = port->m_nAxis;
    m_strTitle = port->m_strTitle;
    m_nPort = port->m_nPort;
    m_nPeriod = port->m_nPeriod;
  }
  m_bState = 0;
  m_nAddress = 0;
  m_bInverted = 0;
  return *this;
}

int CControlPanelPortItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat*) {
  const int found = setup && (IsInput() ? setup->GetInputPortBit(m_nPort, m_nAddress, m_nMask)
                                        : setup->GetOutputPortBit(m_nPort, m_nAddress, m_nMask));
  if (!found) {
    m_bDisabled = 1;
    m_nAddress = 0;
    return FALSE;
  }
  m_bInverted = setup->IsIOPortInverted(m_nPort);
  m_bDisabled = !(IsInput() ? setup->IsInputPortEnable(m_nPort) : setup->IsOutputPortEnable(m_nPort));
  return !m_bDisabled;
}

void CControlPanelPortItem::RegisterAddresses(CMC_MemoryCache& cache) {
  if (m_nAddress && m_nMask) cache.AddAddress(m_nAxis, m_nAddress, 1, m_nPeriod);
}

void CControlPanelPortItem::UpdateValues(CMC_MemoryCache& cache) {
  if (!m_nAddress || !m_nMask) return;
  WORD word = 0;
  cache.GetValue(m_nAxis, m_nAddress, &word, 1);
  m_bState = (WORD)(((word & m_nMask) != 0) != (m_bInverted != 0));
}

CString CControlPanelPortItem::SaveConfigLine() {
  CString rest;
  rest.Format("%d %s %d %u", (int)m_nAxis, EscapeString(m_strTitle).GetString(), (int)m_nPort, (unsigned)m_nPeriod);
  return CControlPanelItem::SaveConfigLine() + rest;
}

int CControlPanelPortItem::LoadConfigLine(CString& line) {
  LONG axis, port, period;
  if (!CControlPanelItem::LoadConfigLine(line) || !ReadLongFromConfigLine(line, axis) ||
      !ReadEscapedStringFromConfigLine(line, m_strTitle) || !ReadLongFromConfigLine(line, port) ||
      !ReadLongFromConfigLine(line, period))
    return FALSE;
  m_nAxis = (BYTE)axis;
  m_nPort = (short)port;
  m_nPeriod = (WORD)period;
  return TRUE;
}
