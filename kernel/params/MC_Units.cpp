#include "kernel/params/MC_Units.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

const char* Safe(const char* s) { return s ? s : ""; }

const char* SkipBackslash(const char* s) {
  s = Safe(s);
  return *s == '\\' ? s + 1 : s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The rest of the line after its first white-space character, trimmed on the left.
void CutAfterFirstBlank(CString& rest) {
  int i = 0;
  while (i < rest.GetLength() && !IsBlank(rest[i])) ++i;
  rest = i < rest.GetLength() ? rest.Mid(i + 1) : CString();
  rest.TrimLeft();
}

}  // namespace

CMapUnsignedToInt& CMapUnsignedToInt::operator=(const CMapUnsignedToInt& other) {
  if (this == &other) return *this;
  RemoveAll();
  InitHashTable(other.GetHashTableSize());
  for (POSITION pos = other.GetStartPosition(); pos;) {
    UINT key;
    int value;
    other.GetNextAssoc(pos, key, value);
    SetAt(key, value);
  }
  return *this;
}

CMC_Units::CMC_Units() {
  m_arrUnits.SetSize(0, 32);
  m_mapNames.InitHashTable(257);
  m_mapFirstIdx.InitHashTable(97);
  m_mapLastIdx.InitHashTable(97);
}

CMC_Units::CMC_Units(const CMC_Units& other) : CMC_Units() { *this = other; }

CMC_Units& CMC_Units::operator=(const CMC_Units& other) {
  if (this == &other) return *this;
  m_arrUnits.CopyDuplicatedElements(other.m_arrUnits);
  RebuildNames();
  m_mapFirstIdx = other.m_mapFirstIdx;
  m_mapLastIdx = other.m_mapLastIdx;
  return *this;
}

CMC_Units::~CMC_Units() { Cleanup(); }

CString CMC_Units::GetIUOfUnit(const char* name) {
  name = Safe(name);
  if (!*name || *name == '\\') return name;
  return CString("\\") + name;
}

CString CMC_Units::DumpIUOfUnit(const char* name) { return SkipBackslash(name); }

BOOL CMC_Units::IsInternalUnit(const char* name) {
  name = Safe(name);
  return !*name || *name == '\\';
}

BOOL CMC_Units::IsValidUnit(const char* name) {
  name = Safe(name);
  return *name && !(name[0] == '\\' && name[1] == 0);
}

void CMC_Units::Cleanup() {
  m_arrUnits.RemoveAll();
  m_mapNames.RemoveAll();
  m_mapFirstIdx.RemoveAll();
  m_mapLastIdx.RemoveAll();
}

int CMC_Units::ParseLine(CString rest, const char* file, int lineNumber, CMC_Unit*& unit) {
  unit = nullptr;
  // Unit type: decimal digits, nonzero.
  int i = 0;
  uint64_t type = 0;
  while (i < rest.GetLength() && rest[i] >= '0' && rest[i] <= '9') {
    type = type * 10 + (uint64_t)(rest[i] - '0');
    if (type > 0xFFFFFFFFu) break;
    ++i;
  }
  bool typeOk = i > 0 && type != 0 && type <= 0xFFFFFFFFu && (i == rest.GetLength() || rest[i] < '0' || rest[i] > '9');
  rest = rest.Mid(i);
  rest.TrimLeft();
  // Name in brackets, at least one character.
  int close = rest.Find(']');
  if (!typeOk || rest.Left(1) != "[" || close < 2) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20002, file, lineNumber);
    return 0;
  }
  CString name = rest.Mid(1, close - 1);
  rest = rest.Mid(close + 1);
  rest.TrimLeft();

  double factor = 1, offset = 0;
  if (ScanString(rest, "%lf", &factor) == 1) {
    if (!(factor > 0)) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20066, file, lineNumber);
      return 0;
    }
    CutAfterFirstBlank(rest);
    if (ScanString(rest, "%lf", &offset) == 1) CutAfterFirstBlank(rest);
    else offset = 0;
  } else {
    factor = 1;
  }

  SHORT a = -1, b = -1;
  SHORT ra = 0, rb = 0;
  int fields = ScanString(rest, "CANopen=%hd,%hd", &ra, &rb);
  if (fields >= 1) {
    if (fields < 2 || ra < 0 || (ra == 0 && rb == 0)) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20067, file, lineNumber, name.GetString());
      return 0;
    }
    a = ra;
    b = rb;
  }

  if (LookupUnit(name)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20003, file, lineNumber, name.GetString());
    return 0;
  }
  try {
    unit = new CMC_Unit((DWORD)type, name, factor, offset, a, b);
  } catch (const std::bad_alloc&) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20004);
    return 0;
  }
  return 1;
}

int CMC_Units::Initialize(const char* file) {
  const char* shown = file && *file ? file : "units.cfg";
  Cleanup();
  FILE* f = OpenConfigFile(CString("Units\\") + shown, 0);
  if (!f) return 0;

  CString line;
  int lineNumber = 0;
  bool ok = true;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    CMC_Unit* unit = nullptr;
    if (!ParseLine(line, shown, lineNumber, unit)) {
      ok = false;
      break;
    }
    m_arrUnits.Add(unit);
    m_mapNames[unit->GetName()] = unit;
  }
  if (f) fclose(f);
  if (!ok) {
    Cleanup();
    return 0;
  }
  Sort();
  // Every type needs its base unit; types are checked from the lowest.
  for (int i = 0; i < m_arrUnits.GetSize();) {
    DWORD type = m_arrUnits[i]->GetUnitType();
    if (!FindBaseUnit(type)) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20006, m_arrUnits[i]->GetName().GetString());
      Cleanup();
      return 0;
    }
    int last = i;
    m_mapLastIdx.Lookup(type, last);
    i = last + 1;
  }
  return 1;
}

void CMC_Units::Sort() {
  CObject** data = static_cast<CObArray&>(m_arrUnits).GetData();
  std::stable_sort(data, data + m_arrUnits.GetSize(), [](CObject* x, CObject* y) {
    return static_cast<CMC_Unit*>(x)->GetUnitType() < static_cast<CMC_Unit*>(y)->GetUnitType();
  });
  m_mapFirstIdx.RemoveAll();
  m_mapLastIdx.RemoveAll();
  for (int i = 0; i < m_arrUnits.GetSize(); ++i) {
    DWORD type = m_arrUnits[i]->GetUnitType();
    if (i == 0 || m_arrUnits[i - 1]->GetUnitType() != type) m_mapFirstIdx[type] = i;
    m_mapLastIdx[type] = i;
  }
}

void CMC_Units::RebuildNames() {
  m_mapNames.RemoveAll();
  for (int i = 0; i < m_arrUnits.GetSize(); ++i)
    if (CMC_Unit* u = m_arrUnits[i]) m_mapNames[u->GetName()] = u;
}

CMC_Unit* CMC_Units::LookupUnit(const char* name) const {
  void* p = nullptr;
  return m_mapNames.Lookup(Safe(name), p) ? static_cast<CMC_Unit*>(p) : nullptr;
}

CMC_Unit* CMC_Units::FindUnit(const char* name) const {
  CMC_Unit* unit = LookupUnit(name);
  if (!unit) ShowKernelMessage(MB_ICONEXCLAMATION, 20005, Safe(name));
  return unit;
}

CMC_Unit* CMC_Units::FindBaseUnit(DWORD unitType) const {
  int first, last;
  if (!m_mapFirstIdx.Lookup(unitType, first) || !m_mapLastIdx.Lookup(unitType, last)) return nullptr;
  for (int i = first; i <= last && i < m_arrUnits.GetSize(); ++i)
    if (m_arrUnits[i]->IsBaseUnit()) return m_arrUnits[i];
  return nullptr;
}

CMC_Unit* CMC_Units::FindBaseUnit(const char* name) const {
  name = SkipBackslash(name);
  CMC_Unit* unit = FindUnit(name);
  if (!unit) return nullptr;
  if (unit->IsBaseUnit()) return unit;
  CMC_Unit* base = FindBaseUnit(unit->GetUnitType());
  if (!base) ShowKernelMessage(MB_ICONEXCLAMATION, 20006, name);
  return base;
}

int CMC_Units::CompatibleUnits(const char* a, const char* b) const {
  a = Safe(a);
  b = Safe(b);
  if (!*a && !*b) return 1;
  if (!*a || !*b) return 0;
  CMC_Unit* ua = LookupUnit(SkipBackslash(a));
  CMC_Unit* ub = LookupUnit(SkipBackslash(b));
  return ua && ub && ua->GetUnitType() == ub->GetUnitType();
}

int CMC_Units::ConvertValue(double& value, const char* from, const char* to) const {
  if (CString(Safe(from)) == Safe(to)) return 1;
  CMC_Unit* uf = FindUnit(from);
  if (!uf) return 0;
  CMC_Unit* ut = FindUnit(to);
  if (!ut) return 0;
  if (uf->GetUnitType() != ut->GetUnitType()) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20007, Safe(from), Safe(to));
    return 0;
  }
  value = ut->FromBaseUnit(uf->ToBaseUnit(value));
  return 1;
}

int CMC_Units::IsLinearUnit(const char* name) const {
  if (!name) return 0;
  for (const char* u : {"m", "m/s", "m/s^2", "m/s^3"})
    if (CompatibleUnits(name, u)) return 1;
  return 0;
}

int CMC_Units::IsRotaryUnit(const char* name) const {
  if (!name) return 0;
  for (const char* u : {"rad", "rad/s", "rad/s^2", "rad/s^3"})
    if (CompatibleUnits(name, u)) return 1;
  return 0;
}

CMC_Unit* CMC_Units::FindUnitWithRelativeFactor(double ratio, const char* name) const {
  CMC_Unit* unit = LookupUnit(name);
  if (!unit || unit->GetOffset() != 0) return nullptr;
  if (ratio == 1) return unit;
  int first, last;
  if (!m_mapFirstIdx.Lookup(unit->GetUnitType(), first) || !m_mapLastIdx.Lookup(unit->GetUnitType(), last))
    return nullptr;
  double target = unit->GetFactor();
  for (int i = first; i <= last && i < m_arrUnits.GetSize(); ++i) {
    CMC_Unit* u = m_arrUnits[i];
    if (u == unit || u->GetOffset() != 0) continue;
    if (std::fabs(u->GetFactor() * ratio - target) <= 1e-20 * std::fabs(target)) return u;
  }
  return nullptr;
}

CMC_Unit* CMC_Units::FindCANopenUnit(const char* name, SHORT a, SHORT b) const {
  name = SkipBackslash(name);
  if (!*name || IsCANopenInternalUnit(a, b)) return nullptr;
  CMC_Unit* unit = LookupUnit(name);
  if (!unit) return nullptr;
  int first, last;
  if (!m_mapFirstIdx.Lookup(unit->GetUnitType(), first) || !m_mapLastIdx.Lookup(unit->GetUnitType(), last))
    return nullptr;
  for (int i = first; i <= last && i < m_arrUnits.GetSize(); ++i) {
    CMC_Unit* u = m_arrUnits[i];
    if (u->m_nCANopenA == a && u->m_nCANopenB == b) return u;
  }
  return nullptr;
}

int CMC_Units::MergeDerivedUnit(const char* newName, const char* fromName, double f, double o) {
  CMC_Unit* from = LookupUnit(fromName);
  if (!from) return -1;
  double factor = from->GetFactor() * f;
  double offset = from->GetOffset() * f + o;
  if (!(factor > 0)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20065, Safe(newName), Safe(fromName));
    return -1;
  }
  if (CMC_Unit* existing = LookupUnit(newName)) {
    if (existing->GetUnitType() != from->GetUnitType()) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20007, Safe(newName), Safe(fromName));
      return -1;
    }
    existing->m_dFactor = factor;
    existing->m_dOffset = offset;
    return 0;
  }
  CMC_Unit* unit;
  try {
    unit = new CMC_Unit(from->GetUnitType(), Safe(newName), factor, offset, -1, -1);
  } catch (const std::bad_alloc&) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20004);
    return -1;
  }
  m_arrUnits.Add(unit);
  m_mapNames[unit->GetName()] = unit;
  Sort();
  return 1;
}

int CMC_Units::RemoveUnit(const char* name) {
  CMC_Unit* unit = FindUnit(name);
  if (!unit) return 0;
  int index = m_arrUnits.Find(unit);
  m_mapNames.RemoveKey(unit->GetName());
  m_arrUnits.RemoveAt(index);
  Sort();
  return 1;
}
