#include "motion/events/MotionEvent.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"

namespace {

const UINT IDS_PARAMETER_INVALID = 20048;
const UINT IDS_NOT_32BIT_VARIABLE = 20069;

int OptionOf(const CMC_Setup* setup, const char* name) { return setup ? setup->GetIntOption(name) : 0; }
bool HasPositionFeedback(const CMC_Setup* s) {
  return OptionOf(s, "isPositionFeedbackOnMotor") || OptionOf(s, "isPositionFeedbackOnLoad");
}
char AxisLetter(int slave) { return slave < 0 ? '?' : (char)('A' + slave); }
const char* OperatorLetter(int op) { return op == 1 ? "U" : "O"; }
const char* SensorSuffix(int sensor) { return sensor ? "_LD" : "_MT"; }
const char* ReferenceVariable(int reference) {
  switch (reference) {
    case CMotionEvent::refPosition: return "TPOS";
    case CMotionEvent::refSpeed: return "TSPD";
    case CMotionEvent::refTorque: return "IQ";
    default: return nullptr;
  }
}
CMC_Parameter* Clone(const CMC_Parameter* p) { return p ? new CMC_Parameter(*p) : nullptr; }
void MarkInvalid(CString& errors, const char* key, int& field) {
  errors += FormatKernelString(IDS_PARAMETER_INVALID, key) + "\r\n";
  field = -1;
}

}  // namespace

CMotionEvent::CMotionEvent(CMC_Setup& setup, CMC_Motion& motion) : CMC_EditMotionInternalData(setup, motion) {
  auto clear = [this](int type) { m_wAllowedTypes &= (WORD)~(1u << type); };
  if (setup.IsMotionController()) {
    bool anySlave = false, position = false, speed = false;
    for (int i = 0; i < setup.GetMotionControllerSlaveCount() && !position; ++i) {
      CMC_AxisData* axis = motion.GetMotionControllerSlaveAxis(i);
      if (!axis) continue;
      anySlave = true;
      CMC_Setup* s = axis->GetSetup();
      if (HasPositionFeedback(s)) position = speed = true;
      else if (OptionOf(s, "isSpeedFeedback")) speed = true;
    }
    if (!anySlave)
      for (int t : {evMotionComplete, evReference, evInput, evTargetReached}) clear(t);
    if (!position) clear(evPosition);
    if (!speed) clear(evSpeed);
    clear(evVariable);
  } else {
    if (!Option("IsClosedPosition") && !Option("IsClosedSpeed")) clear(evMotionComplete);
    if (!HasPositionFeedback(&setup)) clear(evPosition);
    if (!HasPositionFeedback(&setup) && !Option("isSpeedFeedback")) clear(evSpeed);
    clear(evTargetReached);
    clear(evVectorDistance);
  }
}

CMotionEvent::CMotionEvent(const CMotionEvent& other) : CMC_EditMotionInternalData(other) { CopyFields(other); }

CMotionEvent& CMotionEvent::operator=(const CMotionEvent& other) {
  if (this != &other) CopyFields(other);
  return *this;
}

CMotionEvent::~CMotionEvent() {
  delete m_pValue;
  delete m_pSecond;
}

void CMotionEvent::CopyFields(const CMotionEvent& o) {
  CMC_Parameter* value = Clone(o.m_pValue);
  CMC_Parameter* second = Clone(o.m_pSecond);
  delete m_pValue;
  delete m_pSecond;
  m_pValue = value;
  m_pSecond = second;
  m_wAllowedTypes = o.m_wAllowedTypes;
  m_nType = o.m_nType;
  m_nSensor = o.m_nSensor;
  m_nOperator = o.m_nOperator;
  m_nSourceType = o.m_nSourceType;
  m_strSourceVariable = o.m_strSourceVariable;
  m_nSlaveAxis = o.m_nSlaveAxis;
  m_nSelectedSlaves = o.m_nSelectedSlaves;
  m_nMCType = o.m_nMCType;
  m_nMCSetParameters = o.m_nMCSetParameters;
  m_nPosition = o.m_nPosition;
  m_nReference = o.m_nReference;
  m_nInput = o.m_nInput;
  m_nInputLevel = o.m_nInputLevel;
  m_nInputPort = o.m_nInputPort;
  m_strVariable = o.m_strVariable;
}

CMC_Setup* CMotionEvent::EventSetup() const {
  return GetSetup().IsMotionController() ? GetSlaveAxisSetup(m_nSlaveAxis) : &GetSetup();
}

int CMotionEvent::Option(const char* name) const { return OptionOf(&GetSetup(), name); }

int CMotionEvent::IsEditable() const {
  if (m_nType < 1 || m_nType > 9 || !((m_wAllowedTypes >> m_nType) & 1)) return 0;
  if (m_nType == evMotionComplete && !GetSetup().IsMotionController() && m_nMCType == 0 &&
      !(Option("IsClosedPosition") && HasPositionFeedback(&GetSetup())))
    return 0;
  return 1;
}

// ---- Parameter binding ----------------------------------------------------------------------------

void CMotionEvent::InitializePositionParam(CMC_Parameter*& param, tagSensor sensor, CMC_Setup* setup) {
  ReallocDataParam(param, setup);
  InitializeDataParam(param, "APOS", "Event", SensorSuffix(sensor));
}

void CMotionEvent::InitializeSpeedParam(CMC_Parameter*& param, tagSensor sensor, CMC_Setup* setup) {
  ReallocDataParam(param, setup);
  InitializeDataParam(param, "ASPD", "Event", SensorSuffix(sensor));
}

void CMotionEvent::InitializeReferenceParam(CMC_Parameter*& param, tagReference reference, CMC_Setup* setup) {
  ReallocDataParam(param, setup);
  if (const char* name = ReferenceVariable(reference)) InitializeDataParam(param, name, "Event", "");
}

void CMotionEvent::InitializeVariableParam(CMC_Parameter*& param, const char* variable, CMC_Setup* setup) {
  ReallocDataParam(param, setup);
  InitializeDataParam(param, variable, "Event", "");
}

// ---- Reading and writing --------------------------------------------------------------------------

void CMotionEvent::ReadCommonTail(CString& params, CString& errors, const char* name, const char* suffix,
                                  CMC_Setup* setup, bool withOperator) {
  if (withOperator) ReadChoice(params, errors, "EvOperator", m_nOperator, 1);
  ReadChoice(params, errors, "EvSourceType", m_nSourceType, 1);
  if (m_nSourceType == 1) {
    CString r = ReadStringParam(params, "EvSrcVar", m_strSourceVariable);
    if (!r.IsEmpty()) errors += r + "\r\n";
  } else if (m_nSourceType == 0 && name) {
    ReallocDataParam(m_pValue, setup);
    errors += ReadDataParam(params, name, "Event", suffix, m_pValue);
  }
}

bool CMotionEvent::ReadChoice(CString& params, CString& errors, const char* key, int& field, int max) {
  CString r = ReadRadioParam(params, key, field, 0, max);
  if (!r.IsEmpty()) field = -1;
  errors += r;
  return r.IsEmpty();
}

CMC_Setup* CMotionEvent::ReadSlave(CString& params, CString& errors) {
  CString r = ReadSlaveAxisIDParam(params, "EvSlaveAxis", m_nSlaveAxis);
  if (!r.IsEmpty()) {
    m_nSlaveAxis = -1;
    errors += r;
    return nullptr;
  }
  return GetSlaveAxisSetup(m_nSlaveAxis);
}

void CMotionEvent::ReadSelectedSlaves(CString& params, CString& errors) {
  CString r = ReadSlaveAxisMaskParam(params, "EvSelectedSlaves", m_nSelectedSlaves);
  if (!r.IsEmpty()) m_nSelectedSlaves = 0;
  errors += r;
}

void CMotionEvent::ReadMotionCompleteParams(CString& params, CString& errors, bool controller) {
  if (controller) {
    ReadSelectedSlaves(params, errors);
    return;
  }
  CMC_Setup& setup = GetSetup();
  ReadOptionalRadioParam(params, "EvMCType", m_nMCType, 0, 1);
  if (m_nMCType != 0) return;
  if (!Option("IsClosedPosition") || !HasPositionFeedback(&setup)) MarkInvalid(errors, "EvMCType", m_nMCType);
  ReadOptionalRadioParam(params, "EvMCSetParameters", m_nMCSetParameters, 0, 1);
  if (m_nMCSetParameters != 1) return;
  // An entry of the target quantity stands in for the settle band or stabilize time when it fits.
  auto readWithFallback = [&](CMC_Parameter*& param, const char* name, const char* fallback) {
    ReallocDataParam(param, nullptr);
    CString r = ReadDataParam(params, name, "Event", "", param);
    if (r.IsEmpty()) return;
    CMC_Parameter temp(setup);
    if (ReadDataParam(params, fallback, "Event", "", &temp).IsEmpty() &&
        temp.GetUnitType() == param->GetUnitType()) {
      double v = temp.GetValueInBaseUnit();
      if (v >= param->GetMinInBaseUnit() && v <= param->GetMaxInBaseUnit()) {
        param->ChangeUnit(temp.GetUnitName());
        param->SetValueInBaseUnit(v);
        return;
      }
    }
    errors += r;
  };
  readWithFallback(m_pValue, "POSOKLIM", "TPOS");
  readWithFallback(m_pSecond, "TONPOSOK", "RTIME");
}

void CMotionEvent::ReadFeedbackParams(CString& params, CString& errors, bool controller) {
  CMC_Setup* fs = &GetSetup();
  bool check = true;
  if (controller) {
    fs = ReadSlave(params, errors);
    check = fs != nullptr;
  }
  const int m = OptionOf(fs, "isPositionFeedbackOnMotor"), l = OptionOf(fs, "isPositionFeedbackOnLoad");
  const int s = OptionOf(fs, "isSpeedFeedback");
  if (ReadChoice(params, errors, "EvSensor", m_nSensor, 1) && check) {
    bool ok = m_nSensor == 0 ? (m_nType == evPosition ? m : (m || s)) : (m || l);
    if (!ok) MarkInvalid(errors, "EvSensor", m_nSensor);
  }
  if (m_nType == evPosition && ReadChoice(params, errors, "EvPosition", m_nPosition, 1) && check &&
      m_nPosition == 1 && m_nSensor == 0 && m && l)
    MarkInvalid(errors, "EvPosition", m_nPosition);
  const char* name = m_nType == evPosition ? "APOS" : "ASPD";
  ReadCommonTail(params, errors, name, SensorSuffix(m_nSensor), controller ? fs : nullptr, true);
}

void CMotionEvent::ReadReferenceParams(CString& params, CString& errors, bool controller) {
  CMC_Setup* fs = nullptr;
  if (controller) {
    CString before = errors;
    fs = ReadSlave(params, errors);
    if (errors == before && !OptionOf(fs, "IsClosedPosition"))
      errors += FormatKernelString(IDS_PARAMETER_INVALID, "EvSlaveAxis") + "\r\n";
    m_nReference = refPosition;
  } else if (ReadChoice(params, errors, "EvReference", m_nReference, 2)) {
    const int cp = Option("IsClosedPosition"), cs = Option("IsClosedSpeed");
    bool ok = m_nReference == refPosition ? cp : m_nReference == refSpeed ? (cs && !cp) : (!cp && !cs);
    if (!ok) MarkInvalid(errors, "EvReference", m_nReference);
  }
  ReadCommonTail(params, errors, ReferenceVariable(m_nReference), "", fs, true);
}

void CMotionEvent::ReadInputParams(CString& params, CString& errors, bool controller) {
  CMC_Setup* fs = &GetSetup();
  if (controller) {
    fs = ReadSlave(params, errors);
    if (!fs) fs = &GetSetup();
  }
  if (ReadChoice(params, errors, "EvInput", m_nInput, 5)) {
    static const char* const kOptions[] = {"isIndex", "isIndex2", "isLSP", "isLSN"};
    bool ok = true;
    if (m_nInput < 4) ok = OptionOf(fs, kOptions[m_nInput]) != 0;
    if (m_nInput == 5) ok = fs->GetHomingInputPort() >= 0 && fs->IsInputPortEnable(fs->GetHomingInputPort());
    if (!ok) MarkInvalid(errors, "EvInput", m_nInput);
  }
  if (m_nInput == 4) {
    CString r = ReadRadioParam(params, "EvInputPort", m_nInputPort, 0, fs->GetMaxIOPort(FALSE));
    if (!r.IsEmpty() || !fs->IsInputPortEnable(m_nInputPort)) MarkInvalid(errors, "EvInputPort", m_nInputPort);
  }
  ReadChoice(params, errors, "EvInputLevel", m_nInputLevel, 1);
}

void CMotionEvent::ReadVariableParams(CString& params, CString& errors) {
  CString r = ReadStringParam(params, "EvVariable", m_strVariable);
  if (!r.IsEmpty()) errors += r + "\r\n";
  ReadChoice(params, errors, "EvOperator", m_nOperator, 1);
  ReadChoice(params, errors, "EvSourceType", m_nSourceType, 1);
  if (m_nSourceType == 1) {
    r = ReadStringParam(params, "EvSrcVar", m_strSourceVariable);
    if (!r.IsEmpty()) errors += r + "\r\n";
  } else if (m_nSourceType == 0) {
    ReallocDataParam(m_pValue, nullptr);
    if (CMC_Variable* var = GetSetup().FindVariable(m_strVariable, TRUE)) {
      if (var->GetSizeInWords() != 2)
        errors += FormatKernelString(IDS_NOT_32BIT_VARIABLE, var->GetName().GetString()) + "\r\n";
      errors += ReadDataParam(params, m_strVariable, "Event", "", m_pValue);
    } else {
      errors += ReadNoUnitDataParam(params, VAR_DOUBLE, "Event" + m_strVariable, m_pValue);
    }
  }
}

int CMotionEvent::ReadParameters(CString& params, CString& errors) {
  errors.Empty();
  const bool controller = GetSetup().IsMotionController() != 0;
  ReadOptionalRadioParam(params, "EvType", m_nType, 0, 9);
  if (!((m_wAllowedTypes >> m_nType) & 1)) {
    errors += FormatKernelString(IDS_PARAMETER_INVALID, "EvType") + "\r\n";
    m_nType = evNone;
  }
  switch (m_nType) {
    case evMotionComplete: ReadMotionCompleteParams(params, errors, controller); break;
    case evPosition:
    case evSpeed: ReadFeedbackParams(params, errors, controller); break;
    case evTime: ReadCommonTail(params, errors, "ATIME", "", nullptr, false); break;
    case evReference: ReadReferenceParams(params, errors, controller); break;
    case evInput: ReadInputParams(params, errors, controller); break;
    case evVariable: ReadVariableParams(params, errors); break;
    case evTargetReached: ReadSelectedSlaves(params, errors); break;
    case evVectorDistance: ReadCommonTail(params, errors, "VTRPOS", "", nullptr, true); break;
    default: break;
  }
  return errors.IsEmpty();
}

void CMotionEvent::WriteCommonTail(CString& params, bool withOperator) {
  if (withOperator) WriteRadioParam(params, "EvOperator", m_nOperator);
  WriteRadioParam(params, "EvSourceType", m_nSourceType);
  if (m_nSourceType) WriteStringParam(params, "EvSrcVar", m_strSourceVariable);
  else WriteDataParam(params, m_pValue);
}

void CMotionEvent::WriteParameters(CString& params) {
  const bool controller = GetSetup().IsMotionController() != 0;
  WriteRadioParam(params, "EvType", m_nType);
  switch (m_nType) {
    case evMotionComplete:
      if (controller) {
        WriteSlaveAxisMaskParam(params, "EvSelectedSlaves", m_nSelectedSlaves);
        break;
      }
      WriteRadioParam(params, "EvMCType", m_nMCType);
      if (m_nMCType != 0) break;
      WriteRadioParam(params, "EvMCSetParameters", m_nMCSetParameters);
      if (m_nMCSetParameters) {
        WriteDataParam(params, m_pValue);
        WriteDataParam(params, m_pSecond);
      }
      break;
    case evPosition:
    case evSpeed:
      if (controller) WriteSlaveAxisIDParam(params, "EvSlaveAxis", m_nSlaveAxis);
      WriteRadioParam(params, "EvSensor", m_nSensor);
      if (m_nType == evPosition) WriteRadioParam(params, "EvPosition", m_nPosition);
      WriteCommonTail(params, true);
      break;
    case evTime:
      WriteCommonTail(params, false);
      break;
    case evReference:
      if (controller) WriteSlaveAxisIDParam(params, "EvSlaveAxis", m_nSlaveAxis);
      else WriteRadioParam(params, "EvReference", m_nReference);
      WriteCommonTail(params, true);
      break;
    case evInput:
      if (controller) WriteSlaveAxisIDParam(params, "EvSlaveAxis", m_nSlaveAxis);
      WriteRadioParam(params, "EvInput", m_nInput);
      if (m_nInput == 4) WriteRadioParam(params, "EvInputPort", m_nInputPort);
      WriteRadioParam(params, "EvInputLevel", m_nInputLevel);
      break;
    case evVariable:
      WriteStringParam(params, "EvVariable", m_strVariable);
      WriteCommonTail(params, true);
      break;
    case evTargetReached:
      WriteSlaveAxisMaskParam(params, "EvSelectedSlaves", m_nSelectedSlaves);
      break;
    case evVectorDistance:
      WriteCommonTail(params, true);
      break;
    default:
      break;
  }
}

// ---- Code and description ---------------------------------------------------------------------------

CString CMotionEvent::GetSlaveMaskList() const {
  if (m_nSelectedSlaves == 0) return "0";
  CString list = "(";
  bool first = true;
  for (int i = 0; i < GetSetup().GetMotionControllerSlaveCount() && i < 31; ++i) {
    if (!((m_nSelectedSlaves >> i) & 1)) continue;
    if (!first) list += ",";
    list += (char)('A' + i);
    first = false;
  }
  return list + ")";
}

CString CMotionEvent::GetSlaveMaskDesc() const { return m_nSelectedSlaves == 0 ? "(None)" : GetSlaveMaskList(); }

CString CMotionEvent::ValueText() const {
  if (m_nSourceType) return m_strSourceVariable;
  return m_pValue ? m_pValue->PrintValueForZUR() : CString();
}

CString CMotionEvent::CompareTail() const {
  if (m_nSourceType == 1) return m_strSourceVariable;
  if (!m_pValue) return "";
  return m_pValue->PrintValue() + " " + m_pValue->GetSelectedUnit();
}

CString CMotionEvent::InputCode() const {
  const bool controller = GetSetup().IsMotionController() != 0;
  CMC_Setup* setup = EventSetup();
  if (!setup) return "";
  int level = m_nInputLevel ? 1 : 0;
  const char axis = AxisLetter(m_nSlaveAxis);
  CString code;
  if (m_nInput >= 0 && m_nInput <= 3) {
    struct Kind {
      const char *option, *disable, *wait, *enable, *controller;
    };
    static const Kind kKinds[] = {
        {"isIndex", "  DISCAPI; // Disable encoder index transition detection\r\n", "  !CAP;\r\n", "  ENCAPI%d;\r\n",
         "  WCAP%d (%c);\r\n"},
        {"isIndex2", "  DIS2CAPI; // Disable 2nd encoder index / home input transition detection\r\n", "  !CAP;\r\n",
         "  EN2CAPI%d;\r\n", "  W2CAP%d (%c);\r\n"},
        {"isLSP", "  DISLSP; // Disable positive limit switch transition detection\r\n", "  !LSP;\r\n",
         "  ENLSP%d;\r\n", "  WLSP%d (%c);\r\n"},
        {"isLSN", "  DISLSN; // Disable negative limit switch transition detection\r\n", "  !LSN;\r\n",
         "  ENLSN%d;\r\n", "  WLSN%d (%c);\r\n"},
    };
    const Kind& k = kKinds[m_nInput];
    if (setup->GetIntOption(k.option) < 0) level = 1 - level;
    if (controller) {
      code.Format(k.controller, level, axis);
    } else {
      code = CString(k.disable) + k.wait;
      code.AppendFormat(k.enable, level);
    }
    return code;
  }
  if (m_nInput != 4 && m_nInput != 5) return "";
  int port = m_nInput == 4 ? m_nInputPort : setup->GetHomingInputPort();
  if (port < 0) return "";
  if (setup->IsIOPortInverted(port)) level = 1 - level;
  if (!controller) code.Format("  !IN#%d %d;\r\n", port, level);
  else if (setup->GetMCVersion() >= 3) code.Format("  WIN2#%d (%c), %d;\r\n", port, axis, level);
  else code.Format("  WIN#%d (%c), %d;\r\n", port, axis, level);
  return code;
}

CString CMotionEvent::GenerateMLCode() {
  const bool controller = GetSetup().IsMotionController() != 0;
  const char axis = AxisLetter(m_nSlaveAxis);
  const char* op = OperatorLetter(m_nOperator);
  const CString value = ValueText();
  CString code;
  switch (m_nType) {
    case evMotionComplete:
      if (controller) {
        code.Format("  WMC %s;\r\n", GetSlaveMaskList().GetString());
      } else if (m_nMCType == 0) {
        if (m_nMCSetParameters && m_pValue && m_pSecond) {
          code.Format("  %s = %s; // Set settle band to %s[%s]\r\n", "POSOKLIM",
                      m_pValue->PrintValueForZUR().GetString(), m_pValue->PrintValue().GetString(),
                      m_pValue->GetSelectedUnit().GetString());
          code.AppendFormat("  %s = %s; // Set stabilize time to %s[%s]\r\n", "TONPOSOK",
                            m_pSecond->PrintValueForZUR().GetString(), m_pSecond->PrintValue().GetString(),
                            m_pSecond->GetSelectedUnit().GetString());
        }
        code += "  SRB UPGRADE, 0xFFFF, 0x0800;\r\n  !MC;\r\n";
      } else if (m_nMCType == 1) {
        code = "  SRB UPGRADE, 0xF7FF, 0x0;\r\n  POSOKLIM = 0U;\r\n  TONPOSOK = 65535U;\r\n  !MC;\r\n";
      } else {
        code = "  !MC;\r\n";
      }
      break;
    case evPosition: {
      const char* position = m_nPosition ? "R" : "A";
      const char* sensor = m_nPosition ? "" : (m_nSensor ? "L" : "M");
      if (controller) code.Format("  W%s%sP%s (%c), %s;\r\n", position, sensor, op, axis, value.GetString());
      else code.Format("  !%s%sP%s %s;\r\n", position, sensor, op, value.GetString());
      break;
    }
    case evSpeed: {
      const char* sensor = m_nSensor ? "L" : "M";
      if (controller) code.Format("  W%sS%s (%c), %s;\r\n", sensor, op, axis, value.GetString());
      else code.Format("  !%sS%s %s;\r\n", sensor, op, value.GetString());
      break;
    }
    case evTime:
      code.Format(controller ? "  WRT %s;\r\n" : "  !RT %s;\r\n", value.GetString());
      break;
    case evReference:
      if (controller) code.Format("  WPR%s (%c), %s;\r\n", op, axis, value.GetString());
      else code.Format(m_nReference == 0 ? "  !PR%s %s;\r\n" : m_nReference == 1 ? "  !SR%s %s;\r\n" : "  !TR%s %s;\r\n",
                       op, value.GetString());
      break;
    case evInput:
      code = InputCode();
      break;
    case evVariable:
      code.Format("  !V%s %s, %s;\r\n", op, m_strVariable.GetString(), value.GetString());
      break;
    case evTargetReached:
      if (controller) code.Format("  WTR %s;\r\n", GetSlaveMaskList().GetString());
      break;
    case evVectorDistance:
      if (controller) code.Format("  WVD%s %s;\r\n", op, value.GetString());
      break;
    default:
      break;
  }
  return code;
}

const char* CMotionEvent::GetReferenceDesc(int reference) {
  switch (reference) {
    case refPosition: return "position";
    case refSpeed: return "speed";
    case refTorque: return "torque";
    default: return "";
  }
}

const char* CMotionEvent::GetInputLevelDesc() const {
  if (m_nInput == 4 || m_nInput == 5) return m_nInputLevel == 1 ? "high" : "low";
  return m_nInputLevel == 1 ? "low->high" : "high->low";
}

CString CMotionEvent::GetInputDesc() const {
  const bool controller = GetSetup().IsMotionController() != 0;
  const char axis = AxisLetter(m_nSlaveAxis);
  const char* level = GetInputLevelDesc();
  static const char* const kControllerTexts[] = {
      "When axis %c encoder index goes %s", "When axis %c 2nd encoder index / home input goes %s",
      "When axis %c positive limit switch goes %s", "When axis %c negative limit switch goes %s"};
  static const char* const kDriveTexts[] = {
      "When the encoder index goes %s", "When the 2nd encoder index / home input goes %s",
      "When the positive limit switch goes %s", "When the negative limit switch goes %s"};
  CString text;
  if (m_nInput >= 0 && m_nInput <= 3) {
    if (controller) text.Format(kControllerTexts[m_nInput], axis, level);
    else text.Format(kDriveTexts[m_nInput], level);
  } else if (m_nInput == 4) {
    CMC_Setup* setup = EventSetup();
    CString port = setup ? setup->GetPortName(m_nInputPort, TRUE) : CString();
    if (port.IsEmpty()) port.Format("#%d", m_nInputPort);
    if (controller) text.Format("When axis %c digital input %s is %s", axis, port.GetString(), level);
    else text.Format("When the digital input %s is %s", port.GetString(), level);
  } else if (m_nInput == 5) {
    if (controller) text.Format("When axis %c home input goes %s", axis, level);
    else text.Format("When home input goes %s", level);
  }
  return text;
}

CString CMotionEvent::GetDescription(int noneFlag) {
  const bool controller = GetSetup().IsMotionController() != 0;
  const char axis = AxisLetter(m_nSlaveAxis);
  const char* op = GetOperatorDesc(m_nOperator);
  const char* source = GetSourceDesc(m_nSourceType);
  CString text;
  switch (m_nType) {
    case evNone:
      return noneFlag ? "None" : "When a previously defined event occurs";
    case evMotionComplete:
      if (controller) {
        text.Format("When motion is completed on axis %s", GetSlaveMaskDesc().GetString());
      } else if (m_nMCType == 0 && m_nMCSetParameters && m_pValue && m_pSecond) {
        text.Format(
            "When actual position remains inside a settle band of %s %s around the position to reach "
            "(stabilize time = %s %s)",
            m_pValue->PrintValue().GetString(), m_pValue->GetSelectedUnit().GetString(),
            m_pSecond->PrintValue().GetString(), m_pSecond->GetSelectedUnit().GetString());
      } else if (m_nMCType == 0) {
        text = "When actual position remains inside a settle band around the position to reach";
      } else if (m_nMCType == 1) {
        text = Option("IsClosedPosition") ? "When the position reference arrives at the position to reach"
                                          : "When the speed reference arrives at zero";
      }
      return text;
    case evPosition:
      if (controller)
        text.Format("When axis %c %s %s position is equal or %s %s ", axis, GetSensorDesc(m_nSensor),
                    GetPositionDesc(m_nPosition), op, source);
      else
        text.Format("When %s %s position is equal or %s %s ", GetSensorDesc(m_nSensor), GetPositionDesc(m_nPosition),
                    op, source);
      break;
    case evSpeed:
      if (controller)
        text.Format("When axis %c %s speed is equal or %s %s ", axis, GetSensorDesc(m_nSensor), op, source);
      else
        text.Format("When %s speed is equal or %s %s ", GetSensorDesc(m_nSensor), op, source);
      break;
    case evTime:
      text.Format("After a wait time equal with %s ", source);
      break;
    case evReference:
      if (controller)
        text.Format("When %s reference on axis %c is equal or %s %s ", GetReferenceDesc(m_nReference), axis, op,
                    source);
      else
        text.Format("When %s reference is equal or %s %s ", GetReferenceDesc(m_nReference), op, source);
      break;
    case evInput:
      return GetInputDesc();
    case evVariable:
      text.Format("When variable %s is equal or %s %s ", m_strVariable.GetString(), op, source);
      break;
    case evTargetReached:
      text.Format("When target is reached on axis %s", GetSlaveMaskDesc().GetString());
      return text;
    case evVectorDistance:
      text.Format("When vector distance is equal or %s %s ", op, source);
      break;
    default:
      return "";
  }
  return text + CompareTail();
}
