#include "monitor/loggers/MC_LoggerItem.h"

#include "comm/MC_CoffFormat.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Variable.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"

IMPLEMENT_SERIAL(CMC_LoggerItem, CObject, 1 | VERSIONABLE_SCHEMA)

CMC_LoggerItem::CMC_LoggerItem(const char* axis, const char* name, int type, short bit, int scaled)
    : m_bScaled(scaled), m_nType(type), m_strAxis(axis ? axis : ""), m_strName(name ? name : ""), m_nBit(bit) {}

CMC_LoggerItem::CMC_LoggerItem(const char* name, int type, short bit, int scaled)
    : CMC_LoggerItem(nullptr, name, type, bit, scaled) {}

CMC_LoggerItem::CMC_LoggerItem(const CMC_LoggerItem& other) : CObject() { *this = other; }

CMC_LoggerItem& CMC_LoggerItem::operator=(const CMC_LoggerItem& other) {
  if (this == &other) return *this;
  m_bScaled = other.m_bScaled;
  m_nType = other.m_nType;
  m_strAxis = other.m_strAxis;
  m_nAddress = other.m_nAddress;
  m_nMask = other.m_nMask;
  m_nVarType = other.m_nVarType;
  m_strName = other.m_strName;
  m_strUnit = other.m_strUnit;
  m_nBit = other.m_nBit;
  m_value = other.m_value;
  m_strBaseUnit = other.m_strBaseUnit;
  m_dFactor = other.m_dFactor;
  m_dOffset = other.m_dOffset;
  return *this;
}

short CMC_LoggerItem::GetSizeInWords() const {
  switch (m_nType) {
    case ITEM_VARIABLE:
      return (short)CMC_Value::GetSizeInWords(m_nVarType);
    case ITEM_STATUS_BIT:
    case ITEM_ERROR_BIT:
    case ITEM_INPUT:
    case ITEM_OUTPUT:
    case ITEM_VARIABLE_BIT:
      return 1;
    default:
      return 0;
  }
}

CString CMC_LoggerItem::GetCurveName() const {
  CString name;
  switch (m_nType) {
    case ITEM_VARIABLE:
      name = m_strName;
      break;
    case ITEM_STATUS_BIT:
      name.Format("%s.%hd ", m_nBit < 16 ? "SRL" : "SRH", (short)(m_nBit & 15));
      name += m_strName;
      break;
    case ITEM_ERROR_BIT:
      name.Format("MER.%hd ", m_nBit);
      name += m_strName;
      break;
    case ITEM_INPUT:
      name = m_strName.Left(2).CompareNoCase("IN") == 0 ? m_strName : CString("IN") + m_strName;
      break;
    case ITEM_OUTPUT:
      name = m_strName.Left(3).CompareNoCase("OUT") == 0 ? m_strName : CString("OUT") + m_strName;
      break;
    case ITEM_VARIABLE_BIT:
      name.Format("%s.%hd", (const char*)m_strName, m_nBit);
      break;
    default:
      return CString();
  }
  if (!m_strAxis.IsEmpty()) name = m_strAxis + "::" + name;
  return name;
}

namespace {

// Where the located item lives; copied into the item only once the whole search succeeded.
struct Location {
  WORD address = 0;
  WORD mask = 0xFFFF;
  tagVarType type = VAR_INVALID;
  CString name;
};

// Bit `bit` of a value of `type` at `address`: the word that holds it and its mask.
bool PickBit(Location& at, short bit) {
  if (bit < 0 || bit >= 16 * (int)CMC_Value::GetSizeInWords(at.type)) return false;
  at.address = (WORD)(at.address + bit / 16);
  at.mask = (WORD)(1u << (bit % 16));
  return true;
}

}  // namespace

int CMC_LoggerItem::SetFromSetup(CMC_Setup* setup) {
  if (!setup) return 0;
  Location at;
  at.name = m_strName;
  short bit = m_nBit;
  CMC_Variable* variable = nullptr;
  // The register's word must hold the bit: SRL and SRH one word each, MER two when its mask is wide.
  auto registerBit = [&](DWORD mask, const char* word, bool exact, WORD words) {
    if (bit < 0 || bit > 31 || !(mask & (1u << bit))) return false;
    CMC_Variable* reg = setup->FindVariable(word, 1);
    if (!reg || (exact ? reg->GetSizeInWords() != words : reg->GetSizeInWords() < words)) return false;
    at.address = (WORD)(reg->GetAddress() + (exact ? 0 : bit / 16));
    at.type = exact ? VAR_UINT : reg->GetType();
    at.mask = (WORD)(1u << (bit % 16));
    return true;
  };
  switch (m_nType) {
    case ITEM_INPUT:
    case ITEM_OUTPUT: {
      const int input = m_nType == ITEM_INPUT;
      if (bit < 0 || !(input ? setup->GetInputPortBit(bit, at.address, at.mask)
                             : setup->GetOutputPortBit(bit, at.address, at.mask)))
        return 0;
      at.name = setup->GetPortName(bit, input);
      at.type = VAR_UINT;
      break;
    }
    case ITEM_VARIABLE:
    case ITEM_VARIABLE_BIT:
      if (m_nType == ITEM_VARIABLE_BIT && bit < 0) return 0;
      if ((variable = setup->FindVariable(m_strName, 1)) != nullptr) {
        at.address = variable->GetAddress();
        at.type = variable->GetType();
      } else if (!LocateMemoryAddress(m_strName, at.address, at.type)) {
        return 0;
      }
      if (m_nType == ITEM_VARIABLE)
        bit = -1;
      else if (!PickBit(at, bit))
        return 0;
      break;
    case ITEM_STATUS_BIT:
      if (!registerBit(setup->GetStatusRegMask(), bit < 16 ? "SRL" : "SRH", true, 1)) return 0;
      at.name = setup->GetStatusRegDesc(bit);
      break;
    case ITEM_ERROR_BIT: {
      const DWORD mask = setup->GetErrorRegMask();
      if (!registerBit(mask, "MER", false, mask > 0xFFFF ? 2 : 1)) return 0;
      at.name = setup->GetErrorRegDesc(bit);
      break;
    }
    default:
      return 0;
  }
  m_nAddress = at.address;
  m_nMask = at.mask;
  m_nVarType = at.type;
  m_strName = at.name;
  m_nBit = bit;
  if (m_bScaled && m_nType == ITEM_VARIABLE && variable) {
    variable->GetScale(m_strBaseUnit, m_dFactor, m_dOffset);
    if (!setup->GetUnits().CompatibleUnits(m_strBaseUnit, m_strUnit)) m_strUnit = m_strBaseUnit;
  } else {
    m_strUnit.Empty();
    m_strBaseUnit.Empty();
    m_dFactor = 1.0;
    m_dOffset = 0.0;
  }
  return 1;
}

int CMC_LoggerItem::SetFromCoff(CMC_CoffFormat* coff) {
  if (!coff || (m_nType != ITEM_VARIABLE && m_nType != ITEM_VARIABLE_BIT)) return 0;
  Location at;
  if (!coff->LocateVariable(m_strName, at.address, at.type) || at.type == VAR_INVALID) return 0;
  if (m_nType == ITEM_VARIABLE_BIT && !PickBit(at, m_nBit)) return 0;
  m_nAddress = at.address;
  m_nMask = at.mask;
  m_nVarType = at.type;
  if (m_nType == ITEM_VARIABLE) m_nBit = -1;
  m_strUnit.Empty();
  m_strBaseUnit.Empty();
  m_dFactor = 1.0;
  m_dOffset = 0.0;
  return 1;
}

void CMC_LoggerItem::GetValue(double& value) const {
  double v = IsBitItem() ? ((m_value.m_nUInt & m_nMask) ? 1.0 : 0.0) : m_value.GetValue(m_nVarType);
  value = m_dFactor * (v + m_dOffset);
}

void CMC_LoggerItem::GetValueFromBinary(const WORD* words, double& value) {
  if (!words) return;
  m_value.ReadFromBuffer(RawType(), words);
  GetValue(value);
}

void CMC_LoggerItem::GetValueFromBuffer(const WORD*& p, double& value) {
  if (!p) return;
  GetValueFromBinary(p, value);
  p += GetSizeInWords();
}

void CMC_LoggerItem::SetValue(double value) {
  if (m_dFactor == 0) return;
  const double raw = value / m_dFactor - m_dOffset;
  if (IsBitItem())
    m_value.SetValue(VAR_UINT, raw != 0 ? m_nMask : 0);
  else
    m_value.SetValue(m_nVarType, raw);
}

void CMC_LoggerItem::SetValueToBinary(WORD* words, double value) {
  if (!words || m_dFactor == 0) return;
  SetValue(value);
  m_value.WriteToBuffer(RawType(), words);
}

void CMC_LoggerItem::SetValueToBuffer(WORD*& p, double value) {
  if (!p || m_dFactor == 0) return;
  SetValueToBinary(p, value);
  p += GetSizeInWords();
}

CString CMC_LoggerItem::PrintValue(CMC_Setup* setup) const {
  if (IsBitItem()) return (m_value.m_nUInt & m_nMask) ? "1" : "0";
  if (m_strUnit.IsEmpty()) return m_value.PrintValue(m_nVarType);
  CMC_Variable* found = setup ? setup->FindVariable(m_strName, 1) : nullptr;
  if (!found) return "0";
  // A copy: printing must not switch the setup's own variable to another unit.
  CMC_Variable variable(*found);
  if (!variable.ChangeUnit(m_strUnit)) return "0";
  variable.GetRawValue() = m_value;
  return variable.PrintValue();
}

int CMC_LoggerItem::ScanValue(CMC_Setup* setup, const char* text) {
  if (!text) return 0;
  CMC_Value scanned;
  if (IsBitItem()) {
    if (!scanned.ScanValue(text, VAR_UINT)) return 0;
    m_value.SetValue(VAR_UINT, scanned.m_nUInt ? m_nMask : 0);
    return 1;
  }
  if (m_strUnit.IsEmpty()) {
    if (!scanned.ScanValue(text, m_nVarType)) return 0;
    m_value = scanned;
    return 1;
  }
  CMC_Variable* found = setup ? setup->FindVariable(m_strName, 1) : nullptr;
  if (!found) return 0;
  CMC_Variable variable(*found);
  if (!variable.ChangeUnit(m_strUnit) || !variable.ScanValue(text)) return 0;
  m_value = variable.GetRawValue();
  return 1;
}

int CMC_LoggerItem::SameLoggerItems(const CMC_LoggerItem& a, const CMC_LoggerItem& b) {
  if (a.m_nType != b.m_nType) return 0;
  switch (a.m_nType) {
    case ITEM_NONE:
      return 1;
    case ITEM_VARIABLE:
      return a.m_strName == b.m_strName;
    case ITEM_STATUS_BIT:
    case ITEM_ERROR_BIT:
    case ITEM_INPUT:
    case ITEM_OUTPUT:
      return a.m_nBit == b.m_nBit;
    case ITEM_VARIABLE_BIT:
      return a.m_strName == b.m_strName && a.m_nBit == b.m_nBit;
    default:
      return 0;
  }
}

void CMC_LoggerItem::Serialize(CArchive& ar) {
  constexpr BYTE kSchema = 4;
  if (ar.IsStoring()) {
    ar << kSchema << (short)m_nType << m_strAxis << m_strName << m_strUnit << m_dFactor << m_dOffset << m_strBaseUnit
       << m_nBit;
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema > kSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  short type = ITEM_VARIABLE;
  short bit = -1;
  CString axis, baseUnit;
  if (schema >= 4) ar >> type;
  if (schema >= 3) ar >> axis;
  if (schema <= 3) {
    WORD old[2];
    ar >> old[0] >> old[1];
  }
  ar >> m_strName >> m_strUnit >> m_dFactor >> m_dOffset;
  if (schema >= 2) ar >> baseUnit;
  if (schema >= 4) ar >> bit;
  // Kind and bit pick shifts and masks later: a damaged file must not reach them.
  if (type < ITEM_NONE || type > ITEM_VARIABLE_BIT || bit < -1 || bit > 31)
    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
  m_nType = type;
  m_nBit = bit;
  m_strAxis = axis;
  m_strBaseUnit = baseUnit;
  // Where the item lives is found again by locating it.
  m_bScaled = 1;
  m_nAddress = 0;
  m_nMask = 0;
  m_nVarType = VAR_INVALID;
}

CMC_LoggerItemsArray& CMC_LoggerItemsArray::operator=(const CMC_LoggerItemsArray& other) {
  if (this == &other) return *this;
  RemoveAll();
  SetOwnsElements(other.GetOwnsElements());
  CopyDuplicatedElements(other);
  return *this;
}

int CMC_LoggerItemsArray::FindVariable(const char* name) const {
  if (!name || !*name) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    CMC_LoggerItem* item = GetAt(i);
    if (item && item->m_strAxis.IsEmpty() && item->m_strName.CompareNoCase(name) == 0) return i;
  }
  return -1;
}

int CMC_LoggerItemsArray::FindVariable(const char* axis, const char* name) const {
  if (!axis || !*axis || !name || !*name) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    CMC_LoggerItem* item = GetAt(i);
    if (item && item->m_strAxis.CompareNoCase(axis) == 0 && item->m_strName.CompareNoCase(name) == 0) return i;
  }
  return -1;
}

WORD CMC_LoggerItemsArray::GetVariablesBufferSize() const {
  int words = 0;
  for (int i = 0; i < GetSize(); ++i)
    if (CMC_LoggerItem* item = GetAt(i)) words += item->GetSizeInWords();
  return (WORD)words;
}

WORD CMC_LoggerItemsArray::GetVariablesBufferSize(const char* axis) const {
  int words = 0;
  for (int i = 0; i < GetSize(); ++i) {
    CMC_LoggerItem* item = GetAt(i);
    if (item && item->m_strAxis.CompareNoCase(axis ? axis : "") == 0) words += item->GetSizeInWords();
  }
  return (WORD)words;
}
