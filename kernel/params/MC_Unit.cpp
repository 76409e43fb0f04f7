#include "kernel/params/MC_Unit.h"

IMPLEMENT_DYNCREATE(CMC_Unit, CObject)

CMC_Unit::CMC_Unit() : m_nUnitType(0), m_dFactor(1), m_dOffset(0), m_nCANopenA(-1), m_nCANopenB(-1) {}

CMC_Unit::CMC_Unit(DWORD unitType, const char* name, double factor, double offset, SHORT canOpenA,
                   SHORT canOpenB)
    : m_nUnitType(unitType),
      m_strName(name),
      m_dFactor(factor),
      m_dOffset(offset),
      m_nCANopenA(canOpenA),
      m_nCANopenB(canOpenB) {}

CMC_Unit::CMC_Unit(const CMC_Unit& other)
    : CObject(),
      m_nUnitType(other.m_nUnitType),
      m_strName(other.m_strName),
      m_dFactor(other.m_dFactor),
      m_dOffset(other.m_dOffset),
      m_nCANopenA(other.m_nCANopenA),
      m_nCANopenB(other.m_nCANopenB) {}

CMC_Unit& CMC_Unit::operator=(const CMC_Unit& other) {
  m_nUnitType = other.m_nUnitType;
  m_strName = other.m_strName;
  m_dFactor = other.m_dFactor;
  m_dOffset = other.m_dOffset;
  m_nCANopenA = other.m_nCANopenA;
  m_nCANopenB = other.m_nCANopenB;
  return *this;
}

bool CMC_Unit::operator==(const CMC_Unit& other) const {
  return m_nUnitType == other.m_nUnitType && m_strName == other.m_strName && m_dFactor == other.m_dFactor &&
         m_dOffset == other.m_dOffset && m_nCANopenA == other.m_nCANopenA && m_nCANopenB == other.m_nCANopenB;
}

int CMC_Unit::GetCANopenIndexes(SHORT& a, SHORT& b) const {
  a = m_nCANopenA;
  b = m_nCANopenB;
  return m_nCANopenA >= 0;
}
