#include "monitor/panels/ControlPanelVar.h"

#include "comm/MC_CoffFormat.h"
#include "comm/MC_MemoryCache.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"
#include "platform/ui/Dialog.h"

#include <charconv>
#include <cmath>
#include <system_error>

IMPLEMENT_DYNAMIC(CControlPanelVar, CObject)

CControlPanelVar::CControlPanelVar(const CControlPanelVar& other) : CObject(), m_bAllowExpression(other.m_bAllowExpression) {
  *this = other;
}

CControlPanelVar& CControlPanelVar::operator=(const CControlPanelVar& other) {
  if (this == &other) return *this;
  m_nAxis = other.m_nAxis;
  m_strName = other.m_strName;
  m_strUnit = other.m_strUnit;
  m_nPrecision = other.m_nPrecision;
  m_dValue = other.m_dValue;
  m_dMin = other.m_dMin;
  m_dMax = other.m_dMax;
  m_bExpression = other.m_bExpression;
  m_bHexa = other.m_bHexa;
  ClearLocation();
  return *this;
}

void CControlPanelVar::ClearLocation() {
  m_nAddress = 0;
  m_nType = VAR_INVALID;
  m_pVariable = nullptr;
  m_expression.Destroy();
}

int CControlPanelVar::Locate(CMC_Setup* setup, CMC_CoffFormat* coff) { return Locate(setup, coff, false); }
int CControlPanelVar::LocateAndResetUnit(CMC_Setup* setup, CMC_CoffFormat* coff) { return Locate(setup, coff, true); }

int CControlPanelVar::Locate(CMC_Setup* setup, CMC_CoffFormat* coff, bool resetUnit) {
  ClearLocation();
  if (IsExpression()) {
    if (m_expression.Create(m_strName, setup, coff)) return TRUE;
    ClearLocation();
    return FALSE;
  }
  if (setup && (m_pVariable = setup->FindVariable(m_strName, 1)) != nullptr) {
    if (!resetUnit) return m_pVariable->ChangeUnit(m_strUnit);
    m_strUnit = m_pVariable->GetUnitName();
    return TRUE;
  }
  if (!(coff && coff->LocateVariable(m_strName, m_nAddress, m_nType)) &&
      !LocateMemoryAddress(m_strName, m_nAddress, m_nType)) {
    ClearLocation();
    return FALSE;
  }
  return m_nAddress != 0 && m_nType != VAR_INVALID;
}

WORD CControlPanelVar::GetVarAddress() const {
  if (IsExpression()) return 0;
  return m_pVariable ? m_pVariable->GetAddress() : m_nAddress;
}

tagVarType CControlPanelVar::GetVarType() const {
  if (IsExpression()) return VAR_INVALID;
  return m_pVariable ? m_pVariable->GetType() : m_nType;
}

int CControlPanelVar::IsValid() const {
  if (m_bExpression) return m_bAllowExpression && !m_expression.IsEmpty();
  return m_pVariable || (m_nAddress != 0 && m_nType != VAR_INVALID);
}

void CControlPanelVar::RegisterAddresses(CMC_MemoryCache& cache, unsigned short maxAge) {
  if (IsExpression())
    m_expression.RegisterAddresses(cache, m_nAxis, maxAge);
  else if (GetVarType() != VAR_INVALID && (m_pVariable || m_nAddress))
    cache.AddAddress(m_nAxis, GetVarAddress(), CMC_Value::GetSizeInWords(GetVarType()), maxAge);
}

void CControlPanelVar::UpdateValues(CMC_MemoryCache& cache) {
  bool ok;
  if (IsExpression()) {
    ok = !m_expression.IsEmpty() && m_expression.ReadVariablesFromCache(cache, m_nAxis) &&
         m_expression.GetValue(m_dValue);
  } else if (m_pVariable) {
    m_pVariable->ReadFromMemoryCache(cache, m_nAxis);
    ok = m_pVariable->ChangeUnit(m_strUnit);
    if (ok) m_dValue = m_pVariable->GetValue();
  } else {
    const WORD words = CMC_Value::GetSizeInWords(m_nType);
    ok = m_nAddress && words;
    if (ok) {
      WORD buffer[4] = {0, 0, 0, 0};
      cache.GetValue(m_nAxis, m_nAddress, buffer, words);
      CMC_Value value;
      value.ReadFromBuffer(m_nType, buffer);
      m_dValue = value.GetValue(m_nType);
    }
  }
  // A failed read leaves the quantity invalid until it is located again.
  if (!ok) ClearLocation();
}

int CControlPanelVar::GetUpdateChipCommand(CString& command) {
  if (m_bAllowExpression || m_bExpression) return FALSE;
  if (m_pVariable) {
    if (!m_pVariable->ChangeUnit(m_strUnit)) return FALSE;
    m_pVariable->SetValue(m_dValue);
    command = m_pVariable->GetUpdateCommand();
    return TRUE;
  }
  if (!m_nAddress || m_nType == VAR_INVALID) return FALSE;
  CMC_Value value;
  value.SetValue(m_nType, m_dValue);
  command = m_strName + " = " + value.PrintValue(m_nType) + ";";
  return TRUE;
}

bool CControlPanelVar::ShownAsDouble() const {
  return IsExpression() || (m_pVariable && !CMC_Units::IsInternalUnit(m_strUnit));
}

void CControlPanelVar::ValueToText(double& value, CString& text) {
  if (ShownAsDouble()) {
    PrintDecimalValue(value, VAR_DOUBLE, text, (WORD)m_nPrecision);
    return;
  }
  const tagVarType type = GetVarType();
  if (!IsValid() || type == VAR_INVALID) {
    text = "???";
    return;
  }
  if (!m_bHexa) {
    PrintDecimalValue(value, type, text, (WORD)m_nPrecision);
  } else if (IsFixedPoint(type)) {
    // The raw 16.16 word pair.
    double raw = floor(value * 65536 + 0.5);
    PrintHexaNumber(raw, 2, text);
  } else {
    PrintHexaNumber(value, CMC_Value::GetSizeInWords(type), text);
  }
}

namespace {

// The scanner takes the number at the front and drops the rest: "1,5" would be 1 and "0x10" 0.
bool IsWholeDecimal(const CString& text) {
  CString t = text;
  t.Trim();
  const char* begin = t.GetString();
  const char* end = begin + t.GetLength();
  if (begin != end && *begin == '+') ++begin;
  if (begin == end || *begin == '+') return false;
  double parsed;
  const auto result = std::from_chars(begin, end, parsed);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

int CControlPanelVar::TextToValue(CString& text, double& value) {
  const bool shownAsDouble = ShownAsDouble();
  if ((shownAsDouble || !m_bHexa) && !IsWholeDecimal(text)) return FALSE;
  if (shownAsDouble) return ScanDecimalValue(value, VAR_DOUBLE, text);
  const tagVarType type = GetVarType();
  if (!IsValid() || type == VAR_INVALID) return FALSE;
  if (!m_bHexa) return ScanDecimalValue(value, type, text);
  if (!IsFixedPoint(type)) return ScanHexaNumber(value, CMC_Value::GetSizeInWords(type), text);
  double raw;
  if (!ScanHexaNumber(raw, 2, text)) return FALSE;
  const DWORD bits = (DWORD)raw;
  value = (type == VAR_FIXED ? (double)(LONG)bits : (double)bits) / 65536;
  return TRUE;
}

void CControlPanelVar::DDX_Value(CDataExchange* pDX, UINT id, double& value) {
  CWnd* control = pDX && pDX->m_pDlgWnd ? pDX->m_pDlgWnd->GetDlgItem((int)id) : nullptr;
  if (!control) return;
  CString text;
  if (pDX->m_bSaveAndValidate) {
    control->GetWindowText(text);
    TextToValue(text, value);
  } else {
    ValueToText(value, text);
    control->SetWindowText(text);
  }
}

CString CControlPanelVar::SaveConfigLine() const {
  CString line;
  const CString name = EscapeString(m_strName), unit = EscapeString(m_strUnit);
  if (m_bAllowExpression)
    line.Format("%hd %s %s %.9le %.9le %d %d %%%hd", (short)m_nAxis, name.GetString(), unit.GetString(), m_dMin,
                m_dMax, m_bExpression, m_bHexa, m_nPrecision);
  else
    line.Format("%hd %s %s %.9le %.9le %d %%%hd", (short)m_nAxis, name.GetString(), unit.GetString(), m_dMin, m_dMax,
                m_bHexa, m_nPrecision);
  return line;
}

int CControlPanelVar::LoadConfigLine(CString& line) {
  LONG axis, expression = 0, hexa;
  CString name, unit;
  double min, max;
  if (!ReadLongFromConfigLine(line, axis) || !ReadEscapedStringFromConfigLine(line, name) ||
      !ReadEscapedStringFromConfigLine(line, unit) || !ReadDoubleFromConfigLine(line, min) ||
      !ReadDoubleFromConfigLine(line, max) || (m_bAllowExpression && !ReadLongFromConfigLine(line, expression)) ||
      !ReadLongFromConfigLine(line, hexa))
    return FALSE;
  m_nAxis = (BYTE)axis;
  m_strName = name;
  m_strUnit = unit;
  m_dMin = min;
  m_dMax = max;
  m_bExpression = m_bAllowExpression ? (int)expression : 0;
  m_bHexa = (int)hexa;
  line.TrimLeft();
  if (line.Left(1) == "%") {
    line.Delete(0, 1);
    LONG precision;
    if (ReadLongFromConfigLine(line, precision)) m_nPrecision = (short)precision;
  }
  return TRUE;
}
