#include "monitor/MC_LoggerItem.h"

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

int CMC_LoggerItem::SetFromSetup(CMC_Setup*) { return 0; }
int CMC_LoggerItem::SetFromCoff(CMC_CoffFormat*) { return 0; }

void CMC_LoggerItem::Serialize(CArchive&) {
  // The archive form is not available yet; fail the archive rather than write or read nothing.
  AfxThrowArchiveException(CArchiveException::genericException);
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
