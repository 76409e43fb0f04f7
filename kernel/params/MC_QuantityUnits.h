// The unit side of a named drive quantity: its names, unit and conversions between internal, base
// and user units, for a class that holds m_rSetup, m_eType, m_strName, m_wAddress, m_strUnit and
// m_Scale (and, for the conversions of limits, m_Min and m_Max).
#pragma once

#include "kernel/values/MC_Value.h"
#include "kernel/values/Utilities.h"
#include "platform/core/String.h"

struct CMC_IUScaleCache;
class CMC_Setup;

namespace mc_quantity {
// A user unit: not empty and not an internal unit.
bool IsSelectedUnit(const CString& unit);
// Decimals for display: `precision` significant digits of v.
int PrecisionDecimals(double v, WORD precision);
// Decimals that show one raw step: v and w are the value and the value one raw step away, both
// converted for display; -32768 (no precision) when they do not make a step.
int StepDecimals(double v, double w);
// Sets the unit text of a quantity to another unit type; an incompatible unit drops the IU scale.
int ChangeUnitType(CMC_Setup& setup, CString& current, const char* unit, CMC_IUScaleCache& scale);
// The type of a unit, -1 for none or an unknown one.
int UnitType(CMC_Setup& setup, const CString& unit);

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

// What every quantity has.
template <class Derived>
class CMC_QuantityNames {
 public:
  CMC_Setup& GetSetup() const { return d().m_rSetup; }
  tagVarType GetType() const { return d().m_eType; }
  const CString& GetName() const { return d().m_strName; }
  WORD GetAddress() const { return d().m_wAddress; }
  const CString& GetUnitName() const { return d().m_strUnit; }
  int HasUnit() const { return !d().m_strUnit.IsEmpty(); }
  int HasSelectedUnit() const { return mc_quantity::IsSelectedUnit(d().m_strUnit); }
  WORD GetSizeInWords() const { return CMC_Value::GetSizeInWords(d().m_eType); }

  void ChangeName(const char* name) { d().m_strName = name; }
  void ChangeType(tagVarType type) { d().m_eType = type; }
  int ChangeUnitType(const char* unit) {
    return mc_quantity::ChangeUnitType(d().m_rSetup, d().m_strUnit, unit, d().m_Scale);
  }
  int GetUnitType() { return mc_quantity::UnitType(d().m_rSetup, d().m_strUnit); }
  void InvalidateIUCache() { d().m_Scale.Invalidate(); }

 protected:
  // Fills the IU scale for the base unit; false when the module gave none.
  bool CacheIUScale(const char* baseUnit) { return d().m_Scale.Fill(d().m_rSetup, baseUnit, d().m_strName); }
  // Copies all but the setup.
  void CopyQuantity(const Derived& other) {
    d().m_eType = other.m_eType;
    d().m_strName = other.m_strName;
    d().m_wAddress = other.m_wAddress;
    d().m_strUnit = other.m_strUnit;
    d().m_Scale = other.m_Scale;
  }
  Derived& d() { return static_cast<Derived&>(*this); }
  const Derived& d() const { return static_cast<const Derived&>(*this); }
};

template <class Derived>
class CMC_QuantityUnits : public CMC_QuantityNames<Derived> {
  typedef CMC_QuantityNames<Derived> Base;

 public:
  using Base::HasSelectedUnit;
  using Base::HasUnit;
  using Base::InvalidateIUCache;
  CString GetSelectedUnit() const { return HasSelectedUnit() ? d().m_strUnit : CString("IU"); }

  int IsEngParam() const { return (d().m_wAddress & 0xF000) == 0x8000; }
  int IsComputedParam() const { return (d().m_wAddress & 0xF000) == 0xC000; }

  int ChangeUnit(const char* unit);

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
  using Base::CacheIUScale;
  using Base::d;
  bool IsNegativeIUFactor() const;
  // A limit converted with `convert`; with a negative scale the other limit is the one meant.
  double LimitIn(bool max, void (CMC_QuantityUnits::*convert)(double&));
  void SetLimitFrom(bool max, void (CMC_QuantityUnits::*convert)(double&), double v);
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
  // A raw value as a file stores it: in the user's unit, empty when it cannot be converted.
  CString SaveValue(const CMC_Value& raw);
};
