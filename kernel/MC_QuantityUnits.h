// The unit side of a named drive quantity: its names, unit and conversions between internal, base
// and user units, for a class that holds m_rSetup, m_eType, m_strName, m_wAddress, m_strUnit,
// m_Scale, m_Min and m_Max.
#pragma once

#include "kernel/MC_Value.h"
#include "kernel/Utilities.h"
#include "platform/core/String.h"

class CMC_Setup;

namespace mc_quantity {
bool IsSelectedUnit(const CString& unit);
// Decimals for display: `precision` significant digits of v.
int PrecisionDecimals(double v, WORD precision);
// Decimals that show one raw step: v and w are the value and the value one raw step away, both
// converted for display; -32768 (no precision) when they do not make a step.
int StepDecimals(double v, double w);

// A raw value as the user sees it; q converts with IUToUnit.
template <class Q>
CString PrintInUnit(Q& q, const CMC_Value& raw, tagVarType type, WORD precision) {
  if (!q.HasSelectedUnit() && precision == 0) return raw.PrintValue(type);
  double v = raw.GetValue(type);
  q.IUToUnit(v);
  if (v == NOT_AVAILABLE_VALUE) return "#ERROR";
  int decimals = -32768;
  if (precision) {
    decimals = PrecisionDecimals(v, precision);
  } else if (!IsFloatingPoint(type)) {
    CMC_Value step = raw;
    if (step.IncValue(type) || step.DecValue(type)) {
      double w = step.GetValue(type);
      q.IUToUnit(w);
      decimals = StepDecimals(v, w);
    }
  }
  CString out;
  PrintDoubleValue(v, type, out, decimals);
  return out;
}
}  // namespace mc_quantity

template <class Derived>
class CMC_QuantityUnits {
 public:
  CMC_Setup& GetSetup() const { return d().m_rSetup; }
  tagVarType GetType() const { return d().m_eType; }
  const CString& GetName() const { return d().m_strName; }
  WORD GetAddress() const { return d().m_wAddress; }
  const CString& GetUnitName() const { return d().m_strUnit; }
  int HasUnit() const { return !d().m_strUnit.IsEmpty(); }
  int HasSelectedUnit() const { return mc_quantity::IsSelectedUnit(d().m_strUnit); }
  CString GetSelectedUnit() const { return HasSelectedUnit() ? d().m_strUnit : CString("IU"); }
  WORD GetSizeInWords() const { return CMC_Value::GetSizeInWords(d().m_eType); }

  int IsEngParam() const { return (d().m_wAddress & 0xF000) == 0x8000; }
  int IsComputedParam() const { return (d().m_wAddress & 0xF000) == 0xC000; }

  void ChangeName(const char* name) { d().m_strName = name; }
  void ChangeType(tagVarType type) { d().m_eType = type; }
  int ChangeUnit(const char* unit);
  int ChangeUnitType(const char* unit);
  int GetUnitType();
  void InvalidateIUCache() { d().m_Scale.Invalidate(); }

  void IUToBaseUnit(double& v);
  void BaseUnitToIU(double& v);
  void IUToUnit(double& v);
  void UnitToIU(double& v);

  double GetMin();
  double GetMax();
  double GetMinInBaseUnit();
  double GetMaxInBaseUnit();
  void SetMin(double v);
  void SetMax(double v);
  void SetMinInBaseUnit(double v);
  void SetMaxInBaseUnit(double v);

 protected:
  bool IsNegativeIUFactor() const;
  // Fills the IU scale for the base unit; false when the module gave none.
  bool CacheIUScale(const char* baseUnit);
  // The value of `raw` in the user's unit or the base unit.
  double InUnit(const CMC_Value& raw);
  double InBaseUnit(const CMC_Value& raw);
  // Stores v in `value` within the limits.
  void StoreClamped(CMC_Value& value, double v);
  void StoreInUnit(CMC_Value& value, double v);
  void StoreInBaseUnit(CMC_Value& value, double v);
  int ScanInto(CMC_Value& value, const char* text);
  // Whether storing `base` in `value` leaves its printed text as it is; `value` is kept.
  int IsChangeInsignificant(CMC_Value& value, WORD precision, double base);

 private:
  Derived& d() { return static_cast<Derived&>(*this); }
  const Derived& d() const { return static_cast<const Derived&>(*this); }
};
