#include "kernel/params/MC_Parameter.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

#include <cmath>
#include <cstdint>
#include <cstring>

IMPLEMENT_DYNAMIC(CMC_Parameter, CObject)
IMPLEMENT_DYNAMIC(CMC_ArrayParameter, CObject)

// ---- The IU scale ---------------------------------------------------------------------------------

bool CMC_IUScaleCache::Fill(CMC_Setup& setup, const char* baseUnit, const char* name) {
  if (setup.IsIUCacheEnabled() && IsCached()) return true;
  MC_SCALE_FCT factorFct = setup.GetScaleFactorFct();
  MC_SCALE_FCT offsetFct = setup.GetScaleOffsetFct();
  if (!factorFct || !offsetFct) {
    // No module to ask: nothing can be converted.
    m_dFactor = NOT_AVAILABLE_VALUE;
    return false;
  }
  m_dFactor = factorFct(&setup, baseUnit, name);
  m_dOffset = offsetFct(&setup, baseUnit, name);
  m_bRefused = m_dFactor == 0.0;
  if (m_bRefused) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20200, setup.GetGUIModuleName().GetString(), baseUnit, name);
    m_dFactor = NOT_AVAILABLE_VALUE;
    return false;
  }
  return IsCached();
}

double CMC_IUScaleCache::ToBase(double iu) const {
  if (!IsCached()) return NOT_AVAILABLE_VALUE;
  return m_dFactor * (iu + m_dOffset);
}

double CMC_IUScaleCache::FromBase(double base) const {
  if (!IsCached()) return NOT_AVAILABLE_VALUE;
  return base / m_dFactor - m_dOffset;
}

// ---- Shared helpers -------------------------------------------------------------------------------

namespace mc_quantity {

bool IsSelectedUnit(const CString& unit) { return !unit.IsEmpty() && unit[0] != '\\'; }

static CMC_Unit* FindUnitReported(CMC_Setup& setup, const char* name) { return setup.GetUnits().FindUnit(name); }

int ChangeUnitType(CMC_Setup& setup, CString& current, const char* unit, CMC_IUScaleCache& scale) {
  if (current == (unit ? unit : "")) return TRUE;
  if (!unit || !*unit) {
    current.Empty();
    return TRUE;
  }
  if (!FindUnitReported(setup, CMC_Units::DumpIUOfUnit(unit))) return FALSE;
  if (!current.IsEmpty() && setup.GetUnits().CompatibleUnits(current, unit)) return TRUE;
  scale.Invalidate();
  current = unit;
  return TRUE;
}

int UnitType(CMC_Setup& setup, const CString& unit) {
  if (unit.IsEmpty()) return -1;
  CMC_Unit* u = FindUnitReported(setup, CMC_Units::DumpIUOfUnit(unit));
  return u ? (int)u->GetUnitType() : -1;
}

CMC_Unit* FindBaseUnit(CMC_Setup& setup, const CString& unit) { return setup.GetUnits().FindBaseUnit(unit); }

bool FindUnitAndBase(CMC_Setup& setup, const CString& unit, CMC_Unit*& u, CMC_Unit*& base) {
  base = nullptr;
  u = FindUnitReported(setup, unit);
  if (!u) return false;
  // The unit is known, so its base is looked up by type; the message is the one of a look-up by name.
  base = u->IsBaseUnit() ? u : setup.GetUnits().FindBaseUnit(u->GetUnitType());
  if (!base) ShowKernelMessage(MB_ICONEXCLAMATION, 20006, unit.GetString());
  return base != nullptr;
}

CMC_Unit* LookupUnitSilently(CMC_Units& units, const CString& unit) {
  CQuietErrors quiet;
  return units.FindUnit(CMC_Units::DumpIUOfUnit(unit));
}

// Digits before the point; false for values that have none to count.
static bool DigitsBeforePoint(double v, int& e) {
  double a = std::fabs(v);
  if (!(a > 0) || !std::isfinite(a)) return false;
  e = (int)std::ceil(std::log10(a) - 0.001);
  return true;
}

int PrecisionDecimals(double v, WORD precision) {
  int e;
  if (!DigitsBeforePoint(v, e)) return v == 0 ? 0 : -32768;
  return (int)precision - e;
}

int StepDecimals(double v, double w) {
  if (v == NOT_AVAILABLE_VALUE || w == NOT_AVAILABLE_VALUE) return -32768;
  int e;
  if (!DigitsBeforePoint(v - w, e)) return -32768;
  return -e;
}

static inline bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

static void TrimSeparators(std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSeparator(s[b])) ++b;
  while (e > b && IsSeparator(s[e - 1])) --e;
  if (e < s.size()) s.erase(e);
  if (b) s.erase(0, b);
}

size_t FindSeparator(const std::string& s, size_t from) {
  for (size_t i = from; i < s.size(); ++i)
    if (IsSeparator(s[i])) return i;
  return std::string::npos;
}

bool TakeField(std::string& line, CString& field) {
  size_t sep = FindSeparator(line, 0);
  if (sep == std::string::npos) return false;
  field.str().assign(line, 0, sep);
  size_t next = sep;
  while (next < line.size() && IsSeparator(line[next])) ++next;
  line.erase(0, next);
  return true;
}

bool CutUnit(std::string& line, CString& unit) {
  size_t open = line.find('[');
  if (open == std::string::npos) return true;
  size_t close = line.find(']', open + 2);
  if (close == std::string::npos) return false;
  unit.str().assign(line, open + 1, close - open - 1);
  line.erase(open, close - open + 1);
  TrimSeparators(line);
  return true;
}

void CutToken(std::string& line, size_t at, bool blankFirst) {
  size_t end;
  if (blankFirst) {
    end = line.find(' ', at);
    if (end == std::string::npos) end = line.find('\t', at);
  } else {
    end = FindSeparator(line, at);
  }
  if (end == std::string::npos) line.erase(at);
  else line.erase(at, end - at + 1);
  TrimSeparators(line);
}

static int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ScanAddress(const char* text, WORD& address) {
  // Addresses are written "0x" and hex digits: read here as "%hi" reads them, keeping the low 16 bits.
  if (text && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigit((unsigned char)text[2]) >= 0) {
    uint64_t v = 0;
    for (const char* p = text + 2; HexDigit((unsigned char)*p) >= 0; ++p)
      v = v * 16 + (unsigned)HexDigit((unsigned char)*p);
    address = (WORD)(int16_t)v;
    return true;
  }
  short value = 0;
  if (ScanString(text, "%hi", &value) != 1) return false;
  address = (WORD)value;
  return true;
}

}  // namespace mc_quantity

using namespace mc_quantity;

namespace {

void WriteLine(FILE* file, const CString& line, int& ok) {
  if (ok && fwrite(line.GetString(), 1, (size_t)line.GetLength(), file) != (size_t)line.GetLength()) ok = 0;
}

// The file form of a converted value: enough digits for the type (VAR_INVALID: every digit of the
// double), then minimized.
CString SaveDouble(double v, tagVarType type) {
  const char* fmt = "%.6e";
  switch (type) {
    case VAR_INVALID: fmt = "%.16e"; break;
    case VAR_INT:
    case VAR_UINT: fmt = "%.4e"; break;
    case VAR_LONG:
    case VAR_ULONG:
    case VAR_FIXED:
    case VAR_UFIXED: fmt = "%.8e"; break;
    case VAR_DOUBLE: fmt = "%.14e"; break;
    default: break;
  }
  CString text;
  text.Format(fmt, v);
  MinimizeFloatFormat(text, 0);
  return text;
}

bool ScanDouble(const char* text, double& v) { return ScanDoubleField(text, v); }

}  // namespace

// ---- CMC_Parameter --------------------------------------------------------------------------------

template <class D>
int CMC_QuantityUnits<D>::ChangeUnit(const char* unit) {
  if (!HasUnit() || !d().m_rSetup.GetUnits().CompatibleUnits(d().m_strUnit, unit)) return FALSE;
  d().m_strUnit = unit;
  return TRUE;
}

template <class D>
bool CMC_QuantityUnits<D>::IsNegativeIUFactor() const {
  return HasSelectedUnit() && !IsEngParam() && d().m_Scale.IsCached() && d().m_Scale.m_dFactor < 0;
}

template <class D>
void CMC_QuantityUnits<D>::IUToBaseUnit(double& v) {
  if (!HasSelectedUnit() || IsEngParam()) return;
  CMC_Unit* base = FindBaseUnit(d().m_rSetup, d().m_strUnit);
  if (!base) {
    v = NOT_AVAILABLE_VALUE;
    return;
  }
  CacheIUScale(base->GetName());
  v = d().m_Scale.ToBase(v);
}

template <class D>
void CMC_QuantityUnits<D>::BaseUnitToIU(double& v) {
  if (!HasSelectedUnit() || IsEngParam()) return;
  CMC_Unit* base = FindBaseUnit(d().m_rSetup, d().m_strUnit);
  if (!base) return;
  CacheIUScale(base->GetName());
  v = d().m_Scale.FromBase(v);
}

template <class D>
void CMC_QuantityUnits<D>::IUToUnit(double& v) {
  if (!HasSelectedUnit()) return;
  CMC_Unit *u, *base;
  if (!FindUnitAndBase(d().m_rSetup, d().m_strUnit, u, base)) {
    v = NOT_AVAILABLE_VALUE;
    return;
  }
  if (!IsEngParam()) {
    CacheIUScale(base->GetName());
    v = d().m_Scale.ToBase(v);
    if (v == NOT_AVAILABLE_VALUE) return;
  }
  v = u->FromBaseUnit(v);
}

template <class D>
void CMC_QuantityUnits<D>::UnitToIU(double& v) {
  if (!HasSelectedUnit()) return;
  CMC_Unit *u, *base;
  if (!FindUnitAndBase(d().m_rSetup, d().m_strUnit, u, base)) return;
  v = u->ToBaseUnit(v);
  if (!IsEngParam()) {
    CacheIUScale(base->GetName());
    v = d().m_Scale.FromBase(v);
  }
}

// The limits shown to the user: the conversion runs first, so the sign of the scale is known.
template <class D>
double CMC_QuantityUnits<D>::LimitIn(bool max, void (CMC_QuantityUnits::*convert)(double&)) {
  double v = (max ? d().m_Max : d().m_Min).GetValue(d().m_eType);
  (this->*convert)(v);
  if (!IsNegativeIUFactor()) return v;
  v = (max ? d().m_Min : d().m_Max).GetValue(d().m_eType);
  (this->*convert)(v);
  return v;
}

template <class D>
void CMC_QuantityUnits<D>::SetLimitFrom(bool max, void (CMC_QuantityUnits::*convert)(double&), double v) {
  (this->*convert)(v);
  if (v == NOT_AVAILABLE_VALUE) return;
  if (IsNegativeIUFactor() != max) d().SetMaxInInternalUnit(v);
  else d().SetMinInInternalUnit(v);
}

template <class D>
double CMC_QuantityUnits<D>::GetMin() { return LimitIn(false, &CMC_QuantityUnits::IUToUnit); }
template <class D>
double CMC_QuantityUnits<D>::GetMax() { return LimitIn(true, &CMC_QuantityUnits::IUToUnit); }
template <class D>
double CMC_QuantityUnits<D>::GetMinInBaseUnit() { return LimitIn(false, &CMC_QuantityUnits::IUToBaseUnit); }
template <class D>
double CMC_QuantityUnits<D>::GetMaxInBaseUnit() { return LimitIn(true, &CMC_QuantityUnits::IUToBaseUnit); }
template <class D>
void CMC_QuantityUnits<D>::SetMin(double v) { SetLimitFrom(false, &CMC_QuantityUnits::UnitToIU, v); }
template <class D>
void CMC_QuantityUnits<D>::SetMax(double v) { SetLimitFrom(true, &CMC_QuantityUnits::UnitToIU, v); }
template <class D>
void CMC_QuantityUnits<D>::SetMinInBaseUnit(double v) { SetLimitFrom(false, &CMC_QuantityUnits::BaseUnitToIU, v); }
template <class D>
void CMC_QuantityUnits<D>::SetMaxInBaseUnit(double v) { SetLimitFrom(true, &CMC_QuantityUnits::BaseUnitToIU, v); }

template <class D>
double CMC_QuantityUnits<D>::InUnit(const CMC_Value& raw) {
  double v = raw.GetValue(d().m_eType);
  IUToUnit(v);
  return v;
}

template <class D>
double CMC_QuantityUnits<D>::InBaseUnit(const CMC_Value& raw) {
  double v = raw.GetValue(d().m_eType);
  IUToBaseUnit(v);
  return v;
}

template <class D>
void CMC_QuantityUnits<D>::StoreClamped(CMC_Value& value, double v) {
  double lo = d().m_Min.GetValue(d().m_eType), hi = d().m_Max.GetValue(d().m_eType);
  if (v < lo) v = lo;
  else if (v > hi) v = hi;
  value.SetValue(d().m_eType, v);
}

// A value that could not be converted is not stored: it would land on a limit.
template <class D>
void CMC_QuantityUnits<D>::StoreInUnit(CMC_Value& value, double v) {
  UnitToIU(v);
  if (v != NOT_AVAILABLE_VALUE) StoreClamped(value, v);
}

template <class D>
void CMC_QuantityUnits<D>::StoreInBaseUnit(CMC_Value& value, double v) {
  BaseUnitToIU(v);
  if (v != NOT_AVAILABLE_VALUE) StoreClamped(value, v);
}

template <class D>
int CMC_QuantityUnits<D>::ScanInto(CMC_Value& value, const char* text) {
  if (HasSelectedUnit()) {
    double v;
    if (!ScanDouble(text, v)) return FALSE;
    StoreInUnit(value, v);
    return TRUE;
  }
  CMC_Value scanned = value;
  if (!scanned.ScanValue(text, d().m_eType)) return FALSE;
  StoreClamped(value, scanned.GetValue(d().m_eType));
  return TRUE;
}

template <class D>
int CMC_QuantityUnits<D>::IsChangeInsignificant(CMC_Value& value, WORD precision, double base) {
  CMC_Value old = value;
  CString before = PrintInUnit(*this, value, d().m_eType, precision);
  StoreInBaseUnit(value, base);
  CString after = PrintInUnit(*this, value, d().m_eType, precision);
  value = old;
  return before == after;
}

template <class D>
CString CMC_QuantityUnits<D>::SaveValue(const CMC_Value& raw) {
  if (!HasSelectedUnit()) return raw.SaveValue(d().m_eType);
  CMC_Unit *u, *base;
  if (!FindUnitAndBase(d().m_rSetup, d().m_strUnit, u, base)) return CString();
  double v = raw.GetValue(d().m_eType);
  if (v == NOT_AVAILABLE_VALUE) return CString();
  if (!IsEngParam()) {
    CacheIUScale(base->GetName());
    v = d().m_Scale.ToBase(v);
    if (v == NOT_AVAILABLE_VALUE) return CString();
  }
  const double user = u->FromBaseUnit(v);
  CString text = SaveDouble(user, d().m_eType);
  // The type's digits can be too few for a scale that is no power of ten: read back, such a text
  // would change the value, so it gets every digit.
  double back;
  if (!ScanDouble(text, back)) return text;
  back = u->ToBaseUnit(back);
  if (!IsEngParam()) back = d().m_Scale.FromBase(back);
  CMC_Value read = raw;
  read.SetValue(d().m_eType, back);
  return CMC_Value::Compare(d().m_eType, read, raw) == 0 ? text : SaveDouble(user, VAR_INVALID);
}

template class CMC_QuantityUnits<CMC_Parameter>;
template class CMC_QuantityUnits<CMC_ArrayParameter>;

CMC_Parameter::CMC_Parameter(CMC_Setup& setup) : m_rSetup(setup) {}

CMC_Parameter::CMC_Parameter(CMC_Setup& setup, CMC_Parameter& other) : CObject(), m_rSetup(setup) { *this = other; }

CMC_Parameter::CMC_Parameter(const CMC_Parameter& other)
    : CObject(), CMC_QuantityUnits(), m_rSetup(other.m_rSetup) {
  *this = other;
}

CMC_Parameter& CMC_Parameter::operator=(const CMC_Parameter& other) {
  if (this == &other) return *this;
  CopyQuantity(other);
  m_Value = other.m_Value;
  m_Min = other.m_Min;
  m_Max = other.m_Max;
  m_wPrecision = other.m_wPrecision;
  return *this;
}

double CMC_Parameter::GetValue() { return InUnit(m_Value); }

double CMC_Parameter::GetValueInBaseUnit() { return InBaseUnit(m_Value); }

void CMC_Parameter::SetValue(double v) { StoreInUnit(m_Value, v); }

void CMC_Parameter::SetValueInBaseUnit(double v) { StoreInBaseUnit(m_Value, v); }

void CMC_Parameter::SetValueInInternalUnit(double v) { StoreClamped(m_Value, v); }

void CMC_Parameter::SetMinInInternalUnit(double v) {
  m_Min.SetValue(m_eType, v);
  if (CMC_Value::Compare(m_eType, m_Value, m_Min) < 0) m_Value = m_Min;
  if (CMC_Value::Compare(m_eType, m_Max, m_Min) < 0) m_Max = m_Min;
}

void CMC_Parameter::SetMaxInInternalUnit(double v) {
  m_Max.SetValue(m_eType, v);
  if (CMC_Value::Compare(m_eType, m_Value, m_Max) > 0) m_Value = m_Max;
  if (CMC_Value::Compare(m_eType, m_Min, m_Max) > 0) m_Min = m_Max;
}

int CMC_Parameter::ScanValue(const char* text) { return ScanInto(m_Value, text); }

int CMC_Parameter::IsDifferenceInsignificant(double base) { return IsChangeInsignificant(m_Value, m_wPrecision, base); }

CString CMC_Parameter::PrintValue() { return PrintInUnit(*this, m_Value, m_eType, m_wPrecision); }

int CMC_Parameter::ScanValue(const char* text, CMC_Value& raw) {
  CMC_Unit* units[2] = {nullptr, nullptr};
  return ScanValue(text, raw, units);
}

int CMC_Parameter::ScanValue(const char* text, CMC_Value& raw, CMC_Unit* (&units)[2]) {
  if (!HasSelectedUnit()) return raw.ScanValue(text, m_eType);
  if (!units[1] && !FindUnitAndBase(m_rSetup, m_strUnit, units[0], units[1])) return FALSE;
  CMC_Unit *u = units[0], *base = units[1];
  double v;
  if (!ScanDouble(text, v)) return FALSE;
  v = u->ToBaseUnit(v);
  if (!IsEngParam()) {
    CacheIUScale(base->GetName());
    v = m_Scale.FromBase(v);
    if (v == NOT_AVAILABLE_VALUE) return FALSE;
  }
  raw.SetValue(m_eType, v);
  return TRUE;
}

int CMC_Parameter::InitializeMotionParam(tagVarType type, const char* name, const char* unit, const CString& value,
                                         double factor, double offset) {
  m_eType = type;
  m_strName = name;
  m_strUnit = unit;
  m_wAddress = 0;
  m_Min = CMC_Value::GetMinOfType(type);
  m_Max = CMC_Value::GetMaxOfType(type);
  m_wPrecision = 0;
  if (m_strUnit.IsEmpty() || factor == 0 || factor == NOT_AVAILABLE_VALUE) {
    m_Scale.m_dFactor = m_Scale.m_dOffset = NOT_AVAILABLE_VALUE;
  } else {
    m_Scale.m_dFactor = factor;
    m_Scale.m_dOffset = offset;
  }
  return ScanValue(value, m_Value);
}

int CMC_Parameter::WriteToConfig(FILE* file) {
  const char* typeName = GetTypeName(m_eType);
  if (!file || !typeName) return FALSE;
  CString value = SaveValue(m_Value);
  // A value that cannot be written as its unit asks would not read back.
  if (value.IsEmpty()) return FALSE;
  CString line;
  line.Format("%s\t%s", typeName, m_strName.GetString());
  if (!m_strUnit.IsEmpty()) line.AppendFormat("\t[%s]", m_strUnit.GetString());
  line.AppendFormat("\t@0x%04hX\t=", m_wAddress);
  line += value;
  // With a negative scale the raw maximum is the lower bound in the user unit.
  bool swap = IsNegativeIUFactor();
  const CMC_Value& lower = swap ? m_Max : m_Min;
  const CMC_Value& upper = swap ? m_Min : m_Max;
  bool lowerIsDefault = swap ? lower.IsMaxOfType(m_eType) : lower.IsMinOfType(m_eType);
  bool upperIsDefault = swap ? upper.IsMinOfType(m_eType) : upper.IsMaxOfType(m_eType);
  if (!lowerIsDefault) {
    CString text = SaveValue(lower);
    if (text.IsEmpty()) return FALSE;
    line += "\t>" + text;
  }
  if (!upperIsDefault) {
    CString text = SaveValue(upper);
    if (text.IsEmpty()) return FALSE;
    line += "\t<" + text;
  }
  if (m_wPrecision) line.AppendFormat("\t%%%hu", m_wPrecision);
  line += "\r\n";
  int ok = TRUE;
  WriteLine(file, line, ok);
  return ok;
}

int CMC_Parameter::ReadFromConfig(CString& line, const char* file, int lineNumber) {
  m_eType = VAR_INVALID;
  m_strName.Empty();
  m_strUnit.Empty();
  m_wAddress = 0;
  m_Value.zero();
  m_Scale.m_bRefused = false;

  UINT error = 20002;
  // Parsed in place: the caller's line is a scratch buffer that a failure replaces with the message.
  std::string& rest = line.str();
  CString field;
  do {
    if (!TakeField(rest, field)) break;
    m_eType = ::GetType(field);
    if (m_eType == VAR_INVALID) break;
    if (!TakeField(rest, m_strName)) break;
    if (!CutUnit(rest, m_strUnit)) break;
    m_Min = CMC_Value::GetMinOfType(m_eType);
    m_Max = CMC_Value::GetMaxOfType(m_eType);
    size_t at = rest.find('@');
    if (at == std::string::npos || !ScanAddress(rest.c_str() + at + 1, m_wAddress)) break;
    CutToken(rest, at, false);
    bool ok = true;
    size_t pos = 0;
    // The unit and its base, looked up at the first value and kept for the others of the line.
    CMC_Unit* units[2] = {nullptr, nullptr};
    while (ok && pos < rest.size()) {
      size_t end = FindSeparator(rest, pos);
      if (end == std::string::npos) end = rest.size();
      // The token ends where its separator stood while it is read.
      char saved = rest[end];
      rest[end] = '\0';
      const char* number = rest.c_str() + pos + 1;
      switch (rest[pos]) {
        case '=': ok = ScanValue(number, m_Value, units) != 0; break;
        case '>': ok = ScanValue(number, m_Min, units) != 0; break;
        case '<': ok = ScanValue(number, m_Max, units) != 0; break;
        case '%': ok = ScanUShortField(number, m_wPrecision); break;
        default: ok = false; break;
      }
      rest[end] = saved;
      pos = end;
      while (pos < rest.size() && IsSeparator(rest[pos])) ++pos;
    }
    if (!ok && m_Scale.m_bRefused) {
      // The module's scale of this parameter was refused with its own warning; the line is sound.
      line.Empty();
      return FALSE;
    }
    if (!ok) break;
    if (IsNegativeIUFactor()) {
      CMC_Value oldMin = m_Min, oldMax = m_Max;
      m_Max = oldMin.IsMinOfType(m_eType) ? CMC_Value::GetMaxOfType(m_eType) : oldMin;
      m_Min = oldMax.IsMaxOfType(m_eType) ? CMC_Value::GetMinOfType(m_eType) : oldMax;
    }
    error = 20014;
    if (CMC_Value::Compare(m_eType, m_Min, m_Value) > 0 || CMC_Value::Compare(m_eType, m_Value, m_Max) > 0) break;
    return TRUE;
  } while (false);
  line = FormatKernelString(error, file ? file : "", lineNumber);
  return FALSE;
}

// ---- CMC_ArrayParameter ---------------------------------------------------------------------------

CMC_ArrayParameter::CMC_ArrayParameter(CMC_Setup& setup) : m_rSetup(setup) {}

CMC_ArrayParameter::CMC_ArrayParameter(CMC_Setup& setup, CMC_ArrayParameter& other) : CObject(), m_rSetup(setup) {
  *this = other;
}

CMC_ArrayParameter::CMC_ArrayParameter(const CMC_ArrayParameter& other)
    : CObject(), CMC_QuantityUnits(), m_rSetup(other.m_rSetup) {
  *this = other;
}

CMC_ArrayParameter& CMC_ArrayParameter::operator=(const CMC_ArrayParameter& other) {
  if (this == &other) return *this;
  CopyQuantity(other);
  m_arrValues = other.m_arrValues;
  m_Min = other.m_Min;
  m_Max = other.m_Max;
  return *this;
}

CMC_Value& CMC_ArrayParameter::At(int i) {
  if (i < 0 || (size_t)i >= m_arrValues.size()) AfxThrowInvalidArgException();
  return m_arrValues[i];
}

const CMC_Value& CMC_ArrayParameter::At(int i) const {
  if (i < 0 || (size_t)i >= m_arrValues.size()) AfxThrowInvalidArgException();
  return m_arrValues[i];
}

double CMC_ArrayParameter::GetValue(int i) { return InUnit(At(i)); }

double CMC_ArrayParameter::GetValueInBaseUnit(int i) { return InBaseUnit(At(i)); }

void CMC_ArrayParameter::SetValue(int i, double v) { StoreInUnit(At(i), v); }

void CMC_ArrayParameter::SetValueInBaseUnit(int i, double v) { StoreInBaseUnit(At(i), v); }

void CMC_ArrayParameter::SetValueInInternalUnit(int i, double v) { StoreClamped(At(i), v); }

void CMC_ArrayParameter::SetMinInInternalUnit(double v) {
  m_Min.SetValue(m_eType, v);
  for (size_t i = 0; i < m_arrValues.size(); ++i)
    if (CMC_Value::Compare(m_eType, m_arrValues[i], m_Min) < 0) m_arrValues[i] = m_Min;
  if (CMC_Value::Compare(m_eType, m_Max, m_Min) < 0) m_Max = m_Min;
}

void CMC_ArrayParameter::SetMaxInInternalUnit(double v) {
  m_Max.SetValue(m_eType, v);
  for (size_t i = 0; i < m_arrValues.size(); ++i)
    if (CMC_Value::Compare(m_eType, m_arrValues[i], m_Max) > 0) m_arrValues[i] = m_Max;
  if (CMC_Value::Compare(m_eType, m_Min, m_Max) > 0) m_Min = m_Max;
}

int CMC_ArrayParameter::ScanValue(int i, const char* text) { return ScanInto(At(i), text); }

int CMC_ArrayParameter::IsDifferenceInsignificant(int i, double base) { return IsChangeInsignificant(At(i), 0, base); }

void CMC_ArrayParameter::InsertValueAt(int i, double v) {
  if (i < 0 || (size_t)i > m_arrValues.size()) AfxThrowInvalidArgException();
  m_arrValues.insert(m_arrValues.begin() + i, CMC_Value());
  SetValue(i, v);
}

void CMC_ArrayParameter::RemoveValueAt(int i, int count) {
  if (i < 0 || count < 0 || (size_t)i + (size_t)count > m_arrValues.size()) AfxThrowInvalidArgException();
  m_arrValues.erase(m_arrValues.begin() + i, m_arrValues.begin() + i + count);
}

CString CMC_ArrayParameter::PrintValue(int i) { return PrintInUnit(*this, At(i), m_eType, 0); }

void CMC_ArrayParameter::SaveData(CString& text) {
  text.Empty();
  for (size_t i = 0; i < m_arrValues.size(); ++i) {
    if (i) text += ',';
    text += SaveValue(m_arrValues[i]);
  }
}

int CMC_ArrayParameter::LoadData(const char* text) {
  m_arrValues.clear();
  if (!text || !*text) return TRUE;
  int count = 1;
  for (const char* p = text; *p; ++p)
    if (*p == ',') ++count;
  m_arrValues.assign((size_t)count, CMC_Value());
  int ok = TRUE;
  const char* p = text;
  for (int i = 0; i < count; ++i) {
    if (!ScanValue(i, p)) ok = FALSE;
    const char* comma = std::strchr(p, ',');
    if (comma) p = comma + 1;
  }
  return ok;
}

int CMC_ArrayParameter::InitializeMotionParam(tagVarType type, const char* name, const char* unit,
                                              const CString& value, double factor, double offset) {
  m_eType = type;
  m_strName = name;
  m_strUnit = unit;
  m_wAddress = 0;
  m_Min = CMC_Value::GetMinOfType(type);
  m_Max = CMC_Value::GetMaxOfType(type);
  if (m_strUnit.IsEmpty() || factor == 0 || factor == NOT_AVAILABLE_VALUE) {
    m_Scale.m_dFactor = m_Scale.m_dOffset = NOT_AVAILABLE_VALUE;
  } else {
    m_Scale.m_dFactor = factor;
    m_Scale.m_dOffset = offset;
  }
  return LoadData(value);
}
