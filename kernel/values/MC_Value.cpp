#include "kernel/values/MC_Value.h"

#include "kernel/e2rom/DriveMemory.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Format.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

const char* const kLowerNames[] = {"int", "uint", "long", "ulong", "float", "double", "fixed", "ufixed"};
const char* const kUpperNames[] = {"INT", "UINT", "LONG", "ULONG", "FLOAT", "DOUBLE", "FIXED", "UFIXED"};

bool IsValidType(tagVarType type) { return type >= VAR_INT && type <= VAR_UFIXED; }

constexpr double kRawUnit = 1.0 / 65536.0;

// floor(v + 0.5) into an integer that the caller's clamp has kept in range; NaN gives 0.
int64_t RoundHalfUp(double v) { return std::isnan(v) ? 0 : (int64_t)std::floor(v + 0.5); }

}  // namespace

tagVarType GetType(const char* name) {
  if (!name) return VAR_INVALID;
  // Only a name of a type's length can be that type.
  static constexpr size_t kLengths[] = {3, 4, 4, 5, 5, 6, 5, 6};
  size_t length = strlen(name);
  for (int i = 0; i < 8; ++i)
    if (kLengths[i] == length && _stricmp(name, kLowerNames[i]) == 0) return (tagVarType)(i + 1);
  return VAR_INVALID;
}

const char* GetTypeName(tagVarType type) { return IsValidType(type) ? kUpperNames[type - 1] : nullptr; }

bool IsFloatingPoint(tagVarType type) { return type == VAR_FLOAT || type == VAR_DOUBLE; }

bool IsFixedPoint(tagVarType type) { return type == VAR_FIXED || type == VAR_UFIXED; }

CMC_Value& CMC_Value::operator=(const CMC_Value& other) {
  std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
  return *this;
}

void CMC_Value::zero() { std::memset(m_bytes, 0, sizeof m_bytes); }

WORD CMC_Value::GetSizeInWords(tagVarType type) {
  switch (type) {
    case VAR_INT:
    case VAR_UINT:
      return 1;
    case VAR_LONG:
    case VAR_ULONG:
    case VAR_FLOAT:
    case VAR_FIXED:
    case VAR_UFIXED:
      return 2;
    case VAR_DOUBLE:
      return 4;
    default:
      return 0;
  }
}

CMC_Value CMC_Value::GetMinOfType(tagVarType type) {
  CMC_Value v;
  switch (type) {
    case VAR_INT: v.m_nInt = -32768; break;
    case VAR_LONG: v.m_lLong = INT32_MIN; break;
    case VAR_FLOAT: v.m_fFloat = -FLT_MAX; break;
    case VAR_DOUBLE: v.m_dDouble = -DBL_MAX; break;
    case VAR_FIXED: v.m_dwULong = 0x80000000u; break;
    default: break;  // the unsigned types start at 0
  }
  return v;
}

CMC_Value CMC_Value::GetMaxOfType(tagVarType type) {
  CMC_Value v;
  switch (type) {
    case VAR_INT: v.m_nInt = 32767; break;
    case VAR_UINT: v.m_nUInt = 0xFFFF; break;
    case VAR_LONG: v.m_lLong = INT32_MAX; break;
    case VAR_ULONG: v.m_dwULong = 0xFFFFFFFFu; break;
    case VAR_FLOAT: v.m_fFloat = FLT_MAX; break;
    case VAR_DOUBLE: v.m_dDouble = DBL_MAX; break;
    case VAR_FIXED: v.m_dwULong = 0x7FFFFFFFu; break;
    case VAR_UFIXED: v.m_dwULong = 0xFFFFFFFFu; break;
    default: break;
  }
  return v;
}

int CMC_Value::IsMinOfType(tagVarType type) const {
  return IsValidType(type) && Compare(type, *this, GetMinOfType(type)) == 0 && !std::isnan(GetValue(type));
}

int CMC_Value::IsMaxOfType(tagVarType type) const {
  return IsValidType(type) && Compare(type, *this, GetMaxOfType(type)) == 0 && !std::isnan(GetValue(type));
}

double CMC_Value::GetValue(tagVarType type) const {
  switch (type) {
    case VAR_INT: return m_nInt;
    case VAR_UINT: return m_nUInt;
    case VAR_LONG: return m_lLong;
    case VAR_ULONG: return m_dwULong;
    case VAR_FLOAT: return m_fFloat;
    case VAR_DOUBLE: return m_dDouble;
    case VAR_FIXED: return m_lLong * kRawUnit;
    case VAR_UFIXED: return m_dwULong * kRawUnit;
    default: return 0;
  }
}

void CMC_Value::SetValue(tagVarType type, double v) {
  if (!IsValidType(type)) return;
  double lo = GetMinOfType(type).GetValue(type);
  double hi = GetMaxOfType(type).GetValue(type);
  if (lo > v) v = lo;
  else if (v > hi) v = hi;
  switch (type) {
    case VAR_INT: m_nInt = (SHORT)RoundHalfUp(v); break;
    case VAR_UINT: m_nUInt = (WORD)RoundHalfUp(v); break;
    case VAR_LONG: m_lLong = (LONG)RoundHalfUp(v); break;
    case VAR_ULONG: m_dwULong = (DWORD)RoundHalfUp(v); break;
    case VAR_FLOAT: m_fFloat = (float)v; break;
    case VAR_DOUBLE: m_dDouble = v; break;
    case VAR_FIXED: m_lLong = (LONG)RoundHalfUp(v * 65536.0); break;
    case VAR_UFIXED: m_dwULong = (DWORD)RoundHalfUp(v * 65536.0); break;
    default: break;
  }
}

int CMC_Value::Compare(tagVarType type, const CMC_Value& a, const CMC_Value& b) {
  auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  switch (type) {
    case VAR_INT: return (int)a.m_nInt - (int)b.m_nInt;
    case VAR_UINT: return (int)a.m_nUInt - (int)b.m_nUInt;
    case VAR_LONG:
    case VAR_FIXED: return sign(a.m_lLong, b.m_lLong);
    case VAR_ULONG:
    case VAR_UFIXED: return sign(a.m_dwULong, b.m_dwULong);
    case VAR_FLOAT: return sign(a.m_fFloat, b.m_fFloat);
    case VAR_DOUBLE: return sign(a.m_dDouble, b.m_dDouble);
    default: return 0;
  }
}

int CMC_Value::IncValue(tagVarType type) {
  switch (type) {
    case VAR_INT: if (m_nInt == INT16_MAX) return 0; ++m_nInt; return 1;
    case VAR_UINT: if (m_nUInt == 0xFFFF) return 0; ++m_nUInt; return 1;
    case VAR_LONG:
    case VAR_FIXED: if (m_lLong == INT32_MAX) return 0; ++m_lLong; return 1;
    case VAR_ULONG:
    case VAR_UFIXED: if (m_dwULong == 0xFFFFFFFFu) return 0; ++m_dwULong; return 1;
    case VAR_FLOAT:
      // The next representable single; nothing beyond the largest finite one.
      if (std::isnan(m_fFloat) || m_fFloat >= FLT_MAX) return 0;
      m_fFloat = std::nextafter(m_fFloat, INFINITY);
      return 1;
    case VAR_DOUBLE:
      if (std::isnan(m_dDouble) || m_dDouble >= DBL_MAX) return 0;
      m_dDouble = std::nextafter(m_dDouble, (double)INFINITY);
      return 1;
    default: return 0;
  }
}

int CMC_Value::DecValue(tagVarType type) {
  switch (type) {
    case VAR_INT: if (m_nInt == INT16_MIN) return 0; --m_nInt; return 1;
    case VAR_UINT: if (m_nUInt == 0) return 0; --m_nUInt; return 1;
    case VAR_LONG:
    case VAR_FIXED: if (m_lLong == INT32_MIN) return 0; --m_lLong; return 1;
    case VAR_ULONG:
    case VAR_UFIXED: if (m_dwULong == 0) return 0; --m_dwULong; return 1;
    case VAR_FLOAT:
      if (std::isnan(m_fFloat) || m_fFloat <= -FLT_MAX) return 0;
      m_fFloat = std::nextafter(m_fFloat, -INFINITY);
      return 1;
    case VAR_DOUBLE:
      if (std::isnan(m_dDouble) || m_dDouble <= -DBL_MAX) return 0;
      m_dDouble = std::nextafter(m_dDouble, -(double)INFINITY);
      return 1;
    default: return 0;
  }
}

void CMC_Value::ReadFromBuffer(tagVarType type, const WORD* words) {
  WORD n = GetSizeInWords(type);
  if (n && words) std::memcpy(m_bytes, words, n * sizeof(WORD));
}

void CMC_Value::WriteToBuffer(tagVarType type, WORD* words) const {
  WORD n = GetSizeInWords(type);
  if (n && words) std::memcpy(words, m_bytes, n * sizeof(WORD));
}

BYTE CMC_Value::GetMemorySpace(WORD address) {
  return address >= DriveMemory::kE2ROMStart && address <= DriveMemory::kE2ROMLast ? 2 : 1;
}

CString CMC_Value::PrintValue(tagVarType type) const {
  CString s;
  switch (type) {
    case VAR_INT: s.Format("%hd", m_nInt); break;
    case VAR_UINT: s.Format("%hu", m_nUInt); break;
    case VAR_LONG: s.Format("%ld", m_lLong); break;
    case VAR_ULONG: s.Format("%lu", m_dwULong); break;
    case VAR_FLOAT:
    case VAR_DOUBLE: PrintDoubleValue(GetValue(type), type, s, -32768); break;
    case VAR_FIXED:
    case VAR_UFIXED:
      s.Format("%.5f", GetValue(type));
      MinimizeFloatFormat(s, 0);
      break;
    default: break;
  }
  return s;
}

CString CMC_Value::PrintValueForZUR(tagVarType type) const {
  CString s;
  switch (type) {
    case VAR_INT: s.Format("%hd", m_nInt); break;
    case VAR_UINT: s.Format("%huU", m_nUInt); break;
    case VAR_LONG: s.Format("%ldL", m_lLong); break;
    case VAR_ULONG: s.Format("%luU", m_dwULong); break;
    case VAR_FLOAT:
    case VAR_DOUBLE: PrintDoubleValue(GetValue(type), type, s, -32768); break;
    case VAR_FIXED:
    case VAR_UFIXED:
      s.Format("%.5f", GetValue(type));
      MinimizeFloatFormat(s, 1);
      if (type == VAR_UFIXED) s += 'U';
      break;
    default: break;
  }
  return s;
}

CString CMC_Value::SaveValue(tagVarType type) const {
  CString s;
  switch (type) {
    case VAR_INT: s.Format("%hd(0x%04hX)", m_nInt, m_nUInt); break;
    case VAR_UINT: s.Format("%hu(0x%04hX)", m_nUInt, m_nUInt); break;
    case VAR_LONG: s.Format("%ld(0x%08lX)", m_lLong, m_dwULong); break;
    case VAR_ULONG: s.Format("%lu(0x%08lX)", m_dwULong, m_dwULong); break;
    case VAR_FLOAT:
    case VAR_DOUBLE: {
      // Seven or fifteen digits do not carry every value; one that would read back changed gets
      // the digits that do.
      const bool single = type == VAR_FLOAT;
      s.Format(single ? "%.6e" : "%.14e", GetValue(type));
      MinimizeFloatFormat(s, 0);
      CMC_Value back = *this;
      if (back.ScanValue(s, type) && Compare(type, back, *this) == 0) break;
      s.Format(single ? "%.8e" : "%.16e", GetValue(type));
      MinimizeFloatFormat(s, 0);
      break;
    }
    case VAR_FIXED:
    case VAR_UFIXED:
      s.Format("%.5f(0x%08lX)", GetValue(type), m_dwULong);
      MinimizeFloatFormat(s, 0);
      break;
    default: break;
  }
  return s;
}

int CMC_Value::ScanValue(const char* text, tagVarType type) {
  if (type == VAR_INVALID || !text) return 0;
  double v = 0;
  if (!ScanDoubleField(text, v)) return 0;
  SetValue(type, v);
  return 1;
}

DWORD CMC_Value::GetRangeForSliderCtrl(tagVarType type, double min, double max) {
  if (!IsValidType(type)) return 0;
  if (min == max) return 1;
  if (IsFloatingPoint(type)) return 1000;
  SetValue(type, std::fabs(max - min));
  uint64_t raw = 0;
  switch (type) {
    case VAR_INT: raw = (uint64_t)std::abs((int64_t)m_nInt); break;
    case VAR_UINT: raw = m_nUInt; break;
    case VAR_LONG:
    case VAR_FIXED: raw = (uint64_t)std::abs((int64_t)m_lLong); break;
    default: raw = m_dwULong; break;
  }
  if (raw == 0) return 1;
  return raw > 65535 ? (DWORD)raw : 65535;
}
