// A named drive memory location that the user watches or changes while the drive runs.
#pragma once

#include "kernel/params/MC_Parameter.h"
#include "kernel/values/MC_Value.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <cstdio>

class CMC_MemoryCache;
class CMC_Setup;

class CMC_Variable : public CObject, public CMC_QuantityNames<CMC_Variable> {
  DECLARE_DYNAMIC(CMC_Variable)
  friend class CMC_QuantityNames<CMC_Variable>;

 public:
  explicit CMC_Variable(CMC_Setup& setup);
  // A copy for another setup: its IU scale is asked afresh.
  CMC_Variable(CMC_Setup& setup, CMC_Variable& other);
  CMC_Variable(const CMC_Variable& other);
  CMC_Variable& operator=(const CMC_Variable& other);

  WORD GetPrecision() const { return m_wPrecision; }

  void ChangeAddress(WORD address) { m_wAddress = address; }
  void ChangePrecision(WORD precision) { m_wPrecision = precision; }
  int ChangeUnit(const char* unit);

  void IUToBaseUnit(double& v);
  void BaseUnitToIU(double& v);
  void IUToUnit(double& v);
  void UnitToIU(double& v);

  double GetValueInInternalUnit() const { return m_Value.GetValue(m_eType); }
  void SetValueInInternalUnit(double v) { m_Value.SetValue(m_eType, v); }
  const CMC_Value& GetRawValue() const { return m_Value; }
  CMC_Value& GetRawValue() { return m_Value; }
  double GetValue();
  double GetValueInBaseUnit();
  void SetValue(double v);
  void SetValueInBaseUnit(double v);
  int ScanValue(const char* text);
  CString PrintValue();
  void GetScale(CString& baseUnit, double& factor, double& offset);
  DWORD GetRangeForSliderCtrl(double min, double max);
  // The drive-language assignment of the raw value, e.g. "X=12;".
  CString GetUpdateCommand() const;
  void ReadFromMemoryCache(CMC_MemoryCache& cache, BYTE axis);
  int ReadFromChip() { return m_Value.ReadFromChip(m_eType, m_wAddress); }
  int WriteToChip() const { return m_Value.WriteToChip(m_eType, m_wAddress); }

  // One line of variables.cfg.
  int ReadFromConfig(CString& line, const char* file, int lineNumber);
  int WriteToConfig(FILE* file, int withUnit);

 private:
  // Widest first: a setup holds thousands of these.
  CMC_Setup& m_rSetup;
  CString m_strName;
  CString m_strUnit;
  CMC_Value m_Value;
  CMC_IUScaleCache m_Scale;
  tagVarType m_eType = VAR_INVALID;
  WORD m_wAddress = 0;
  WORD m_wPrecision = 0;
};
