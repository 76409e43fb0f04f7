#include "kernel/params/MC_Variable.h"

#include "comm/MC_MemoryCache.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

IMPLEMENT_DYNAMIC(CMC_Variable, CObject)

using namespace mc_quantity;

CMC_Variable::CMC_Variable(CMC_Setup& setup) : m_rSetup(setup) {}

CMC_Variable::CMC_Variable(CMC_Setup& setup, CMC_Variable& other) : CObject(), m_rSetup(setup) {
  *this = other;
  m_Scale = CMC_IUScaleCache();
}

CMC_Variable::CMC_Variable(const CMC_Variable& other)
    : CObject(), CMC_QuantityNames(), m_rSetup(other.m_rSetup) {
  *this = other;
}

CMC_Variable& CMC_Variable::operator=(const CMC_Variable& other) {
  if (this == &other) return *this;
  CopyQuantity(other);
  m_Value = other.m_Value;
  m_wPrecision = other.m_wPrecision;
  return *this;
}

int CMC_Variable::ChangeUnit(const char* unit) {
  if (m_strUnit == (unit ? unit : "")) return TRUE;
  if (!HasUnit() || !m_rSetup.GetUnits().CompatibleUnits(m_strUnit, unit)) return FALSE;
  m_strUnit = unit;
  return TRUE;
}

// Unlike a parameter's, any unit text converts through the IU scale, an internal unit included.
void CMC_Variable::IUToBaseUnit(double& v) {
  if (m_strUnit.IsEmpty()) return;
  CMC_Unit* base = FindBaseUnit(m_rSetup, m_strUnit);
  if (!base) {
    v = NOT_AVAILABLE_VALUE;
    return;
  }
  CacheIUScale(base->GetName());
  v = m_Scale.ToBase(v);
}

void CMC_Variable::BaseUnitToIU(double& v) {
  if (m_strUnit.IsEmpty()) return;
  CMC_Unit* base = FindBaseUnit(m_rSetup, m_strUnit);
  if (!base) return;
  CacheIUScale(base->GetName());
  v = m_Scale.FromBase(v);
}

void CMC_Variable::IUToUnit(double& v) {
  if (!HasSelectedUnit()) return;
  CMC_Unit *u, *base;
  if (!FindUnitAndBase(m_rSetup, m_strUnit, u, base)) {
    v = NOT_AVAILABLE_VALUE;
    return;
  }
  CacheIUScale(base->GetName());
  v = m_Scale.ToBase(v);
  if (v != NOT_AVAILABLE_VALUE) v = u->FromBaseUnit(v);
}

void CMC_Variable::UnitToIU(double& v) {
  if (!HasSelectedUnit()) return;
  CMC_Unit *u, *base;
  if (!FindUnitAndBase(m_rSetup, m_strUnit, u, base)) return;
  CacheIUScale(base->GetName());
  v = m_Scale.FromBase(u->ToBaseUnit(v));
}

double CMC_Variable::GetValue() {
  double v = m_Value.GetValue(m_eType);
  IUToUnit(v);
  return v;
}

double CMC_Variable::GetValueInBaseUnit() {
  double v = m_Value.GetValue(m_eType);
  IUToBaseUnit(v);
  return v;
}

// A value that could not be converted is not stored: it would land on a type limit.
void CMC_Variable::SetValue(double v) {
  UnitToIU(v);
  if (v != NOT_AVAILABLE_VALUE) m_Value.SetValue(m_eType, v);
}

void CMC_Variable::SetValueInBaseUnit(double v) {
  BaseUnitToIU(v);
  if (v != NOT_AVAILABLE_VALUE) m_Value.SetValue(m_eType, v);
}

int CMC_Variable::ScanValue(const char* text) {
  if (!HasSelectedUnit()) return m_Value.ScanValue(text, m_eType);
  double v;
  if (ScanString(text, "%lf", &v) != 1) return FALSE;
  SetValue(v);
  return TRUE;
}

CString CMC_Variable::PrintValue() { return PrintInUnit(*this, m_Value, m_eType, m_wPrecision); }

void CMC_Variable::GetScale(CString& baseUnit, double& factor, double& offset) {
  baseUnit.Empty();
  factor = 1;
  offset = 0;
  if (m_strUnit.IsEmpty()) return;
  CMC_Unit* base = FindBaseUnit(m_rSetup, m_strUnit);
  if (!base) return;
  // The scale is filled first: a caller gets a factor it can multiply by, never the marker.
  if (!CacheIUScale(base->GetName())) return;
  baseUnit = base->GetName();
  factor = m_Scale.m_dFactor;
  offset = m_Scale.m_dOffset;
}

DWORD CMC_Variable::GetRangeForSliderCtrl(double min, double max) {
  if (min == max) return 1;
  if (IsFloatingPoint(m_eType)) return 1000;
  if (HasSelectedUnit()) {
    CMC_Unit *u, *base;
    if (!FindUnitAndBase(m_rSetup, m_strUnit, u, base)) return 1;
    UnitToIU(min);
    UnitToIU(max);
    if (min == NOT_AVAILABLE_VALUE || max == NOT_AVAILABLE_VALUE) return 1;
  }
  CMC_Value scratch;
  return scratch.GetRangeForSliderCtrl(m_eType, min, max);
}

CString CMC_Variable::GetUpdateCommand() const { return m_strName + "=" + m_Value.PrintValue(m_eType) + ";"; }

void CMC_Variable::ReadFromMemoryCache(CMC_MemoryCache& cache, BYTE axis) {
  WORD words[4] = {0, 0, 0, 0};
  WORD count = GetSizeInWords();
  if (!count) return;
  // Words that are not cached keep what the value held.
  m_Value.WriteToBuffer(m_eType, words);
  cache.GetValue(axis, m_wAddress, words, count);
  m_Value.ReadFromBuffer(m_eType, words);
}

int CMC_Variable::ReadFromConfig(CString& line, const char* file, int lineNumber) {
  m_eType = VAR_INVALID;
  m_strName.Empty();
  m_strUnit.Empty();
  m_wAddress = 0;
  m_Value.zero();
  m_wPrecision = 0;

  // Parsed in place: the caller's line is a scratch buffer that a failure replaces with the message.
  std::string& rest = line.str();
  CString field;
  do {
    if (!TakeField(rest, field)) break;
    m_eType = ::GetType(field);
    if (m_eType == VAR_INVALID) break;
    if (!TakeField(rest, m_strName)) break;
    if (!CutUnit(rest, m_strUnit)) break;
    size_t at = rest.find('@');
    if (at == std::string::npos || !ScanAddress(rest.c_str() + at + 1, m_wAddress)) break;
    CutToken(rest, at, true);
    size_t percent = rest.find('%');
    if (percent != std::string::npos) {
      if (!ScanUShortField(rest.c_str() + percent + 1, m_wPrecision)) break;
      CutToken(rest, percent, true);
    }
    if (!rest.empty()) break;
    return TRUE;
  } while (false);
  line = FormatKernelString(20002, file ? file : "", lineNumber);
  return FALSE;
}

int CMC_Variable::WriteToConfig(FILE* file, int withUnit) {
  const char* typeName = GetTypeName(m_eType);
  if (!file || !typeName) return FALSE;
  CString line;
  line.Format("%s\t%s", typeName, m_strName.GetString());
  if (withUnit && !m_strUnit.IsEmpty()) line.AppendFormat("\t[%s]", m_strUnit.GetString());
  line.AppendFormat("\t@0x%04hX", m_wAddress);
  if (m_wPrecision) line.AppendFormat("\t%%%hu", m_wPrecision);
  line += "\r\n";
  return fwrite(line.GetString(), 1, (size_t)line.GetLength(), file) == (size_t)line.GetLength();
}
