#include "motion/model/MC_EditMotionInternalData.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "platform/ui/Controls.h"

namespace {

const UINT IDS_UNITS_INCOMPATIBLE = 20007;
const UINT IDS_VARIABLE_NOT_FOUND = 20019;
const UINT IDS_PARAMETER_INVALID = 20048;
const double NA = NOT_AVAILABLE_VALUE;

CString Line(const CString& message) { return message.IsEmpty() ? message : message + "\r\n"; }
CString Invalid(const char* name) { return FormatKernelString(IDS_PARAMETER_INVALID, name); }
const char* Safe(const char* s) { return s ? s : ""; }

// Binds a parameter of either class to its variable; `value` is the text a fresh one starts with.
template <class P>
void BindToVariable(P* param, const char* name, const char* prefix, const char* suffix, const char* value,
                    bool keepPlainDouble) {
  if (!param) return;
  CString full = CMC_EditMotionInternalData::GetDataParamName(name, prefix, suffix);
  CMC_Setup& setup = param->GetSetup();
  CMC_Variable* var = setup.FindVariable(CString(Safe(name)) + Safe(suffix), TRUE);
  if (var) {
    if (var->GetType() == param->GetType() &&
        setup.GetUnits().CompatibleUnits(param->GetUnitName(), var->GetUnitName()))
      param->ChangeName(full);
    else
      param->InitializeMotionParam(var->GetType(), full, var->GetUnitName(), value, NA, NA);
  } else if (keepPlainDouble && param->GetType() == VAR_DOUBLE && param->GetUnitName().IsEmpty()) {
    param->ChangeName(full);
  } else {
    param->InitializeMotionParam(VAR_DOUBLE, full, "", value, NA, NA);
  }
}

// The unit an entry is taken in: its own when compatible with `expected`, else `expected`.
CString EntryUnit(CMC_Setup& setup, const CString& unit, const CString& expected, CString& message) {
  if (CMC_Units::IsInternalUnit(unit)) return CMC_Units::GetIUOfUnit(expected);
  if (!setup.GetUnits().CompatibleUnits(unit, expected)) {
    message = FormatKernelString(IDS_UNITS_INCOMPATIBLE, unit.GetString(), expected.GetString());
    return expected;
  }
  return unit;
}

template <class P>
CString ReadData(CMC_Motion& motion, CString& params, const char* name, const char* prefix, const char* suffix,
                 P* param, int* present) {
  if (!param) return "";
  CMC_Setup& setup = param->GetSetup();
  CMC_Variable* var = setup.FindVariable(CString(Safe(name)) + Safe(suffix), TRUE);
  if (!var) return Line(FormatKernelString(IDS_VARIABLE_NOT_FOUND, Safe(name)));
  CString full = CMC_EditMotionInternalData::GetDataParamName(name, prefix, suffix);
  CString message, unit, value;
  int found = motion.ReadElemParameter(params, full, unit, value);
  if (present) *present = found;
  if (!found) {
    unit = var->GetUnitName();
    value = present ? "1" : "";
    if (!present) message = Invalid(full);
  } else {
    unit = EntryUnit(setup, unit, var->GetUnitName(), message);
  }
  if (!param->InitializeMotionParam(var->GetType(), full, unit, value, NA, NA) && message.IsEmpty())
    message = Invalid(full);
  return Line(message);
}

template <class P>
CString ReadWithUnit(CMC_Motion& motion, CString& params, tagVarType type, const char* name,
                     const char* defaultUnit, P* param, double factor, double offset) {
  if (!param) return "";
  CString message, unit, value;
  if (!motion.ReadElemParameter(params, name, unit, value)) {
    message = Invalid(name);
    unit = Safe(defaultUnit);
    value.Empty();
  } else {
    unit = EntryUnit(param->GetSetup(), unit, Safe(defaultUnit), message);
  }
  if (!param->InitializeMotionParam(type, name, unit, value, factor, offset) && message.IsEmpty())
    message = Invalid(name);
  return Line(message);
}

template <class P>
CString ReadNoUnit(CMC_Motion& motion, CString& params, tagVarType type, const char* name, P* param) {
  if (!param) return "";
  CString unit, value;
  if (motion.ReadElemParameter(params, name, unit, value) &&
      param->InitializeMotionParam(type, name, "", value, NA, NA) && unit.IsEmpty())
    return "";
  return Line(Invalid(name));
}

// One number of `format` in the entry's value; `unit` receives the entry's unit.
template <class T>
bool ScanEntry(CMC_Motion& motion, CString& params, const char* name, const char* format, T& v, CString& unit,
               CString& message) {
  CString value;
  if (!motion.ReadElemParameter(params, name, unit, value)) {
    message = value;
    return false;
  }
  if (ScanString(value, format, &v) != 1) {
    message = Invalid(name);
    return false;
  }
  return true;
}

}  // namespace

// ---- Names and binding -------------------------------------------------------------------------------

CString CMC_EditMotionInternalData::GetDataParamName(const char* name, const char* prefix, const char* suffix) {
  return CString(Safe(prefix)) + Safe(name) + Safe(suffix);
}

void CMC_EditMotionInternalData::ChangeDataParamName(CMC_Parameter* param, const char* name, const char* prefix,
                                                     const char* suffix) {
  if (param) param->ChangeName(GetDataParamName(name, prefix, suffix));
}

void CMC_EditMotionInternalData::ChangeArrayDataParamName(CMC_ArrayParameter* param, const char* name,
                                                          const char* prefix, const char* suffix) {
  if (param) param->ChangeName(GetDataParamName(name, prefix, suffix));
}

const char* CMC_EditMotionInternalData::GetDefaultUnit(const char* name, const char* suffix, CMC_Setup* setup) const {
  CMC_Setup& s = setup ? *setup : m_rSetup;
  CMC_Variable* var = s.FindVariable(CString(Safe(name)) + Safe(suffix), TRUE);
  return var ? var->GetUnitName().GetString() : nullptr;
}

void CMC_EditMotionInternalData::InitializeDataParam(CMC_Parameter* param, const char* name, const char* prefix,
                                                     const char* suffix) {
  BindToVariable(param, name, prefix, suffix, "1", true);
}

void CMC_EditMotionInternalData::InitializeArrayDataParam(CMC_ArrayParameter* param, const char* name,
                                                          const char* prefix, const char* suffix) {
  BindToVariable(param, name, prefix, suffix, "0", false);
}

void CMC_EditMotionInternalData::ReallocDataParam(CMC_Parameter*& param, CMC_Setup* setup) {
  CMC_Setup& target = setup ? *setup : m_rSetup;
  if (param && &param->GetSetup() == &target) return;
  CMC_Parameter* fresh = new CMC_Parameter(target);
  if (param) {
    fresh->InitializeMotionParam(param->GetType(), param->GetName(), param->GetUnitName(), param->PrintValue(), NA,
                                 NA);
    delete param;
  }
  param = fresh;
}

// ---- Reading -----------------------------------------------------------------------------------------

CString CMC_EditMotionInternalData::ReadDataParam(CString& params, const char* name, const char* prefix,
                                                  const char* suffix, CMC_Parameter* param) {
  return ReadData(m_rMotion, params, name, prefix, suffix, param, nullptr);
}

CString CMC_EditMotionInternalData::ReadArrayDataParam(CString& params, const char* name, const char* prefix,
                                                       const char* suffix, CMC_ArrayParameter* param) {
  return ReadData(m_rMotion, params, name, prefix, suffix, param, nullptr);
}

CString CMC_EditMotionInternalData::ReadOptionalDataParam(CString& params, const char* name, const char* prefix,
                                                          const char* suffix, CMC_Parameter* param, int& present) {
  present = 0;
  return ReadData(m_rMotion, params, name, prefix, suffix, param, &present);
}

CString CMC_EditMotionInternalData::ReadDataParamWithUnit(CString& params, tagVarType type, const char* name,
                                                          const char* defaultUnit, CMC_Parameter* param,
                                                          double factor, double offset) {
  return ReadWithUnit(m_rMotion, params, type, name, defaultUnit, param, factor, offset);
}

CString CMC_EditMotionInternalData::ReadArrayDataParamWithUnit(CString& params, tagVarType type, const char* name,
                                                               const char* defaultUnit, CMC_ArrayParameter* param,
                                                               double factor, double offset) {
  return ReadWithUnit(m_rMotion, params, type, name, defaultUnit, param, factor, offset);
}

CString CMC_EditMotionInternalData::ReadNoUnitDataParam(CString& params, tagVarType type, const char* name,
                                                        CMC_Parameter* param) {
  return ReadNoUnit(m_rMotion, params, type, name, param);
}

CString CMC_EditMotionInternalData::ReadNoUnitArrayDataParam(CString& params, tagVarType type, const char* name,
                                                             CMC_ArrayParameter* param) {
  return ReadNoUnit(m_rMotion, params, type, name, param);
}

CString CMC_EditMotionInternalData::ReadHexaParam(CString& params, const char* name, DWORD& value, DWORD min,
                                                  DWORD max) {
  DWORD v = 0;
  CString unit, message;
  if (!ScanEntry(m_rMotion, params, name, "%lx", v, unit, message)) return Line(message);
  if (v < min || v > max || !unit.IsEmpty()) return Line(Invalid(name));
  value = v;
  return "";
}

void CMC_EditMotionInternalData::ReadOptionalHexaParam(CString& params, const char* name, DWORD& value, DWORD min,
                                                       DWORD max) {
  DWORD v = 0;
  CString unit, message;
  value = ScanEntry(m_rMotion, params, name, "%lx", v, unit, message) && v >= min && v <= max ? v : min;
}

CString CMC_EditMotionInternalData::ReadRadioParam(CString& params, const char* name, int& value, int min, int max) {
  int v = 0;
  CString unit, message;
  if (!ScanEntry(m_rMotion, params, name, "%d", v, unit, message)) return Line(message);
  if (v < min || v > max || !unit.IsEmpty()) return Line(Invalid(name));
  value = v;
  return "";
}

void CMC_EditMotionInternalData::ReadOptionalRadioParam(CString& params, const char* name, int& value, int min,
                                                        int max) {
  int v = 0;
  CString unit, message;
  value = ScanEntry(m_rMotion, params, name, "%d", v, unit, message) && v >= min && v <= max ? v : min;
}

CString CMC_EditMotionInternalData::ReadWordParam(CString& params, const char* name, WORD& value) {
  CString unit, text;
  if (!m_rMotion.ReadElemParameter(params, name, unit, text)) return text;
  WORD v = 0;
  if (!unit.IsEmpty() || ScanString(text, "%hx", &v) != 1) {
    value = 0;
    return Invalid(name);
  }
  value = v;
  return "";
}

CString CMC_EditMotionInternalData::ReadStringParam(CString& params, const char* name, CString& value) {
  CString unit, text;
  if (!m_rMotion.ReadElemParameter(params, name, unit, text)) {
    value.Empty();
    return text;
  }
  value = text;
  return "";
}

CString CMC_EditMotionInternalData::ReadSlaveAxisIDParam(CString& params, const char* name, int& value) {
  int v = 0;
  CString unit, message;
  if (!ScanEntry(m_rMotion, params, name, "%d", v, unit, message)) return Line(message);
  if (!unit.IsEmpty() || v < 0 || v > m_rSetup.GetMotionControllerSlaveCount() ||
      !m_rMotion.GetMotionControllerSlaveAxis(v))
    return Line(Invalid(name));
  value = v;
  return "";
}

CString CMC_EditMotionInternalData::ReadSlaveAxisMaskParam(CString& params, const char* name, int& value) {
  DWORD v = 0;
  CString unit, message;
  if (!ScanEntry(m_rMotion, params, name, "%lx", v, unit, message)) return Line(message);
  const int n = m_rSetup.GetMotionControllerSlaveCount();
  bool ok = unit.IsEmpty() && v >= 1 && v <= (1u << n) - 1;
  for (int i = 0; ok && i < n; ++i)
    if ((v >> i) & 1) ok = m_rMotion.GetMotionControllerSlaveAxis(i) != nullptr;
  if (!ok) return Line(Invalid(name));
  value = (int)v;
  return "";
}

// ---- Writing -----------------------------------------------------------------------------------------

void CMC_EditMotionInternalData::WriteDataParam(CString& params, CMC_Parameter* param) {
  if (param) CMC_Motion::AddToElemParameters(params, param->GetName(), param->GetUnitName(), param->PrintValue());
}

void CMC_EditMotionInternalData::WriteArrayDataParam(CString& params, CMC_ArrayParameter* param) {
  if (!param) return;
  CString text;
  param->SaveData(text);
  CMC_Motion::AddToElemParameters(params, param->GetName(), param->GetUnitName(), text);
}

void CMC_EditMotionInternalData::WriteHexaParam(CString& params, const char* name, DWORD value) {
  CString text;
  text.Format("%lx", value);
  CMC_Motion::AddToElemParameters(params, name, nullptr, text);
}

void CMC_EditMotionInternalData::WriteRadioParam(CString& params, const char* name, int value) {
  CString text;
  text.Format("%d", value);
  CMC_Motion::AddToElemParameters(params, name, nullptr, text);
}

void CMC_EditMotionInternalData::WriteWordParam(CString& params, const char* name, WORD value) {
  CString text;
  text.Format("%hX", value);
  CMC_Motion::AddToElemParameters(params, name, nullptr, text);
}

void CMC_EditMotionInternalData::WriteStringParam(CString& params, const char* name, const char* value) {
  CMC_Motion::AddToElemParameters(params, name, nullptr, Safe(value));
}

// ---- Slave axes ----------------------------------------------------------------------------------------

CMC_Setup* CMC_EditMotionInternalData::GetSlaveAxisSetup(int slave) const {
  CMC_AxisData* axis = m_rMotion.GetMotionControllerSlaveAxis(slave);
  return axis ? axis->GetSetup() : nullptr;
}

void CMC_EditMotionInternalData::FillSlaveAxisIDsCombo(CComboBox* combo, int (*filter)(CMC_Setup*), int selected,
                                                       BOOL withNone) const {
  if (!combo) return;
  combo->ResetContent();
  if (withNone) {
    int i = combo->AddString("None");
    combo->SetItemData(i, (DWORD_PTR)(INT_PTR)-1);
    if (selected == -1) combo->SetCurSel(i);
  }
  for (int n = 0; n < m_rSetup.GetMotionControllerSlaveCount(); ++n) {
    CMC_AxisData* axis = m_rMotion.GetMotionControllerSlaveAxis(n);
    if (!axis) continue;
    if (filter) {
      CMC_Setup* s = axis->GetSetup();
      if (!s || !filter(s)) continue;
    }
    char letter[2] = {(char)('A' + n), 0};
    int i = combo->AddString(letter);
    combo->SetItemData(i, (DWORD_PTR)n);
    if (n == selected) combo->SetCurSel(i);
  }
}

int CMC_EditMotionInternalData::GetComboSelSlaveAxisID(CComboBox* combo) const {
  if (!combo) return -1;
  int sel = combo->GetCurSel();
  return sel < 0 ? sel : (int)(INT_PTR)combo->GetItemData(sel);
}
