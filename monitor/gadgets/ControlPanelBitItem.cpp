#include "monitor/gadgets/ControlPanelBitItem.h"

#include "comm/MC_CoffFormat.h"
#include "comm/MC_MemoryCache.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"

IMPLEMENT_DYNCREATE(CControlPanelBitItem, CControlPanelItem)

CControlPanelItem& CControlPanelBitItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* bit = dynamic_cast<const CControlPanelBitItem*>(&other); bit && bit != this) {
    m_nAxis = bit->m_nAxis;
    m_strVariable = bit->m_strVariable;
    m_strTitle = bit->m_strTitle;
    m_nBit = bit->m_nBit;
    m_nPeriod = bit->m_nPeriod;
    m_crColor0 = bit->m_crColor0;
    m_crColor1 = bit->m_crColor1;
    m_nAddress = bit->m_nAddress;
    m_nType = bit->m_nType;
    m_nState = bit->m_nState;
  }
  return *this;
}

int CControlPanelBitItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) {
  CMC_Variable* variable = setup ? setup->FindVariable(m_strVariable, 1) : nullptr;
  if (variable) {
    m_nAddress = variable->GetAddress();
    m_nType = variable->GetType();
  } else if (!(coff && coff->LocateVariable(m_strVariable, m_nAddress, m_nType)) &&
             !LocateMemoryAddress(m_strVariable, m_nAddress, m_nType)) {
    m_nAddress = 0;
    m_nType = VAR_INVALID;
  }
  const bool ok = m_nAddress && m_nType != VAR_INVALID && m_nBit >= 0 &&
                  m_nBit < 16 * CMC_Value::GetSizeInWords(m_nType);
  m_bDisabled = !ok;
  return ok;
}

void CControlPanelBitItem::RegisterAddresses(CMC_MemoryCache& cache) {
  if (Located()) cache.AddAddress(m_nAxis, (WORD)(m_nAddress + m_nBit / 16), 1, m_nPeriod);
}

void CControlPanelBitItem::UpdateValues(CMC_MemoryCache& cache) {
  if (!Located()) return;
  WORD word = 0;
  cache.GetValue(m_nAxis, (WORD)(m_nAddress + m_nBit / 16), &word, 1);
  m_nState = (BYTE)((word >> (m_nBit & 15)) & 1);
}

CString CControlPanelBitItem::SaveConfigLine() {
  CString rest;
  rest.Format("%d %s %s %d %u %d %d", (int)m_nAxis, EscapeString(m_strVariable).GetString(),
              EscapeString(m_strTitle).GetString(), (int)m_nBit, (unsigned)m_nPeriod, (int)m_crColor0, (int)m_crColor1);
  return CControlPanelItem::SaveConfigLine() + rest;
}

int CControlPanelBitItem::LoadConfigLine(CString& line) {
  LONG axis, bit, period, color0 = 0, color1 = 0;
  if (!CControlPanelItem::LoadConfigLine(line) || !ReadLongFromConfigLine(line, axis) ||
      !ReadEscapedStringFromConfigLine(line, m_strVariable) || !ReadEscapedStringFromConfigLine(line, m_strTitle) ||
      !ReadLongFromConfigLine(line, bit) || !ReadLongFromConfigLine(line, period))
    return FALSE;
  // Lines written before the digits had colours end here.
  CString rest = line;
  rest.Trim();
  if (!rest.IsEmpty() && (!ReadLongFromConfigLine(line, color0) || !ReadLongFromConfigLine(line, color1))) return FALSE;
  m_nAxis = (BYTE)axis;
  m_nBit = (short)(BYTE)bit;
  m_nPeriod = (WORD)period;
  m_crColor0 = (COLORREF)color0;
  m_crColor1 = (COLORREF)color1;
  return TRUE;
}
