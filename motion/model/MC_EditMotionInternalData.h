// The editable data of one motion element: typed members read from and written to its parameter string.
#pragma once

#include "kernel/values/MC_Value.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_Motion;
class CMC_Parameter;
class CMC_ArrayParameter;
class CComboBox;

class CMC_EditMotionInternalData {
 public:
  CMC_EditMotionInternalData(CMC_Setup& setup, CMC_Motion& motion) : m_rSetup(setup), m_rMotion(motion) {}
  CMC_EditMotionInternalData(const CMC_EditMotionInternalData& other) = default;
  virtual ~CMC_EditMotionInternalData() {}

  // Nonzero when the element can be used; `errors` receives one line per problem.
  virtual int ReadParameters(CString& parameters, CString& errors) = 0;
  virtual void WriteParameters(CString& parameters) = 0;

  CMC_Setup& GetSetup() const { return m_rSetup; }
  CMC_Motion& GetMotion() const { return m_rMotion; }

  CMC_Setup* GetSlaveAxisSetup(int slave) const;
  // Fills a combo with the letters of the slave axes that pass `filter`; item data is the index.
  void FillSlaveAxisIDsCombo(CComboBox* combo, int (*filter)(CMC_Setup*), int selected, BOOL withNone) const;
  int GetComboSelSlaveAxisID(CComboBox* combo) const;

  static CString GetDataParamName(const char* name, const char* prefix, const char* suffix);
  static void ChangeDataParamName(CMC_Parameter* param, const char* name, const char* prefix, const char* suffix);
  static void ChangeArrayDataParamName(CMC_ArrayParameter* param, const char* name, const char* prefix,
                                       const char* suffix);
  void InitializeDataParam(CMC_Parameter* param, const char* name, const char* prefix, const char* suffix);
  void InitializeArrayDataParam(CMC_ArrayParameter* param, const char* name, const char* prefix, const char* suffix);
  // Rebinds a parameter to `setup` (the bound setup when null), keeping its type, name, unit and value.
  void ReallocDataParam(CMC_Parameter*& param, CMC_Setup* setup);

 protected:
  const char* GetDefaultUnit(const char* name, const char* suffix, CMC_Setup* setup) const;

  CString ReadDataParam(CString& params, const char* name, const char* prefix, const char* suffix,
                        CMC_Parameter* param);
  CString ReadArrayDataParam(CString& params, const char* name, const char* prefix, const char* suffix,
                             CMC_ArrayParameter* param);
  CString ReadOptionalDataParam(CString& params, const char* name, const char* prefix, const char* suffix,
                                CMC_Parameter* param, int& present);
  CString ReadDataParamWithUnit(CString& params, tagVarType type, const char* name, const char* defaultUnit,
                                CMC_Parameter* param, double factor, double offset);
  CString ReadArrayDataParamWithUnit(CString& params, tagVarType type, const char* name, const char* defaultUnit,
                                     CMC_ArrayParameter* param, double factor, double offset);
  CString ReadNoUnitDataParam(CString& params, tagVarType type, const char* name, CMC_Parameter* param);
  CString ReadNoUnitArrayDataParam(CString& params, tagVarType type, const char* name, CMC_ArrayParameter* param);
  CString ReadHexaParam(CString& params, const char* name, DWORD& value, DWORD min, DWORD max);
  void ReadOptionalHexaParam(CString& params, const char* name, DWORD& value, DWORD min, DWORD max);
  CString ReadRadioParam(CString& params, const char* name, int& value, int min, int max);
  void ReadOptionalRadioParam(CString& params, const char* name, int& value, int min, int max);
  CString ReadWordParam(CString& params, const char* name, WORD& value);
  CString ReadStringParam(CString& params, const char* name, CString& value);
  CString ReadSlaveAxisIDParam(CString& params, const char* name, int& value);
  CString ReadSlaveAxisMaskParam(CString& params, const char* name, int& value);

  void WriteDataParam(CString& params, CMC_Parameter* param);
  void WriteArrayDataParam(CString& params, CMC_ArrayParameter* param);
  void WriteHexaParam(CString& params, const char* name, DWORD value);
  void WriteRadioParam(CString& params, const char* name, int value);
  void WriteWordParam(CString& params, const char* name, WORD value);
  void WriteStringParam(CString& params, const char* name, const char* value);
  void WriteSlaveAxisIDParam(CString& params, const char* name, int value) { WriteRadioParam(params, name, value); }
  void WriteSlaveAxisMaskParam(CString& params, const char* name, int value) {
    WriteHexaParam(params, name, (DWORD)value);
  }

 private:
  CMC_Setup& m_rSetup;
  CMC_Motion& m_rMotion;
};
