// One unit of measure: a linear function of the base unit of its unit type.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

class CMC_Units;

class CMC_Unit : public CObject {
  DECLARE_DYNCREATE(CMC_Unit)
 public:
  CMC_Unit();
  CMC_Unit(DWORD unitType, const char* name, double factor, double offset, SHORT canOpenA, SHORT canOpenB);
  CMC_Unit(const CMC_Unit& other);
  CMC_Unit& operator=(const CMC_Unit& other);
  bool operator==(const CMC_Unit& other) const;
  bool operator!=(const CMC_Unit& other) const { return !(*this == other); }

  DWORD GetUnitType() const { return m_nUnitType; }
  const CString& GetName() const { return m_strName; }
  double GetFactor() const { return m_dFactor; }
  double GetOffset() const { return m_dOffset; }
  BOOL IsBaseUnit() const { return m_dFactor == 1.0 && m_dOffset == 0.0; }
  // value in this unit = factor * value in the base unit + offset
  double ToBaseUnit(double v) const { return (v - m_dOffset) / m_dFactor; }
  double FromBaseUnit(double v) const { return m_dFactor * v + m_dOffset; }
  // The CANopen dimension and notation indexes; true when the unit has them.
  int GetCANopenIndexes(SHORT& a, SHORT& b) const;

 private:
  friend class CMC_Units;

  DWORD m_nUnitType;
  CString m_strName;
  double m_dFactor;
  double m_dOffset;
  SHORT m_nCANopenA;
  SHORT m_nCANopenB;
};
