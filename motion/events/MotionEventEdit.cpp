// Choosing the type of a motion event and editing it in the page of that type.
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/events/MotionEvent.h"
#include "motion/events/MotionEventDlg.h"

#include <functional>

namespace {
int OptionOf(const CMC_Setup& s, const char* name) { return s.GetIntOption(name); }
}  // namespace

void CMotionEvent::SetTypeDefaults() {
  CMC_Setup& setup = GetSetup();
  const bool controller = setup.IsMotionController() != 0;
  const int m = Option("isPositionFeedbackOnMotor"), l = Option("isPositionFeedbackOnLoad");
  const int cp = Option("IsClosedPosition");
  CMC_Setup* slave = GetSlaveAxisSetup(m_nSlaveAxis);
  switch (m_nType) {
    case evMotionComplete:
      if (controller) break;
      if (!cp || !(m || l)) m_nMCType = 1;
      InitializeVariableParam(m_pValue, "POSOKLIM", nullptr);
      InitializeVariableParam(m_pSecond, "TONPOSOK", nullptr);
      break;
    case evPosition:
      if (!controller) m_nSensor = m ? sensorMotor : l ? sensorLoad : sensorInvalid;
      InitializePositionParam(m_pValue, (tagSensor)m_nSensor, slave);
      break;
    case evSpeed:
      if (!controller) m_nSensor = m || Option("isSpeedFeedback") ? sensorMotor : l ? sensorLoad : sensorInvalid;
      InitializeSpeedParam(m_pValue, (tagSensor)m_nSensor, slave);
      break;
    case evTime:
      InitializeVariableParam(m_pValue, "ATIME", nullptr);
      break;
    case evVectorDistance:
      InitializeVariableParam(m_pValue, "VTRPOS", nullptr);
      break;
    case evReference:
      m_nReference = controller || cp ? refPosition : Option("IsClosedSpeed") ? refSpeed : refTorque;
      InitializeReferenceParam(m_pValue, (tagReference)m_nReference, slave);
      break;
    case evInput:
      if (controller) break;
      m_nInput = OptionOf(setup, "isIndex") ? 0 : OptionOf(setup, "isIndex2") ? 1 : OptionOf(setup, "isLSP") ? 2
                 : OptionOf(setup, "isLSN")  ? 3
                                             : 4;
      break;
    case evVariable:
      InitializeVariableParam(m_pValue, m_strVariable, nullptr);
      break;
    default:
      break;
  }
}

// A parameter the event does not use gets fresh defaults before a page shows it.
void CMotionEvent::BindUnusedParameters() {
  CMC_Setup* slave = GetSlaveAxisSetup(m_nSlaveAxis);
  const bool unused = m_nSourceType == 1 || !m_pValue;
  switch (m_nType) {
    case evMotionComplete:
      if (!GetSetup().IsMotionController() && (m_nMCType != 0 || !m_nMCSetParameters || !m_pValue || !m_pSecond)) {
        InitializeVariableParam(m_pValue, "POSOKLIM", nullptr);
        InitializeVariableParam(m_pSecond, "TONPOSOK", nullptr);
      }
      break;
    case evPosition:
      if (unused) InitializePositionParam(m_pValue, (tagSensor)m_nSensor, slave);
      break;
    case evSpeed:
      if (unused) InitializeSpeedParam(m_pValue, (tagSensor)m_nSensor, slave);
      break;
    case evReference:
      if (unused) InitializeReferenceParam(m_pValue, (tagReference)m_nReference, slave);
      break;
    case evVariable:
      if (unused) InitializeVariableParam(m_pValue, m_strVariable, nullptr);
      break;
    case evTime:
      if (unused) InitializeVariableParam(m_pValue, "ATIME", nullptr);
      break;
    case evVectorDistance:
      if (unused) InitializeVariableParam(m_pValue, "VTRPOS", nullptr);
      break;
    default:
      break;
  }
}

int CMotionEvent::Edit() {
  if (m_nType == evNone) return 1;
  if (m_nType < 0 || m_nType > 9) return 0;
  BindUnusedParameters();
  auto clone = [](CMC_Parameter* p) { return p ? new CMC_Parameter(*p) : nullptr; };
  auto take = [](CMC_Parameter*& mine, CMC_Parameter* theirs) {
    delete mine;
    mine = theirs;
  };
  // The pages that compare with a value share their members.
  auto runValue = [&](CMotionEventValueDlg& dlg, const std::function<void()>& load,
                      const std::function<void()>& store) {
    dlg.m_nSlaveAxis = m_nSlaveAxis;
    dlg.m_nOperator = m_nOperator;
    dlg.m_nSourceType = m_nSourceType;
    dlg.m_strSourceVariable = m_strSourceVariable;
    dlg.m_pValue = clone(m_pValue);
    load();
    if (dlg.DoModal() != IDOK) {
      delete dlg.m_pValue;
      return 0;
    }
    m_nSlaveAxis = dlg.m_nSlaveAxis;
    m_nOperator = dlg.m_nOperator;
    m_nSourceType = dlg.m_nSourceType;
    m_strSourceVariable = dlg.m_strSourceVariable;
    take(m_pValue, dlg.m_pValue);
    store();
    return 1;
  };
  auto none = [] {};
  switch (m_nType) {
    case evMotionComplete:
    case evTargetReached: {
      if (m_nType == evTargetReached || GetSetup().IsMotionController()) {
        CMotionEventSlavesDlg* page = nullptr;
        CMotionEventMCDlg mc(this);
        CMotionEventTargetReachedDlg target(this);
        page = m_nType == evTargetReached ? static_cast<CMotionEventSlavesDlg*>(&target) : &mc;
        page->m_nSelectedSlaves = m_nSelectedSlaves;
        if (page->DoModal() != IDOK) return 0;
        m_nSelectedSlaves = page->m_nSelectedSlaves;
        return 1;
      }
      CMotionEventMCDlg dlg(this);
      dlg.m_nMCType = m_nMCType;
      dlg.m_nMCSetParameters = m_nMCSetParameters;
      dlg.m_pSettleBand = clone(m_pValue);
      dlg.m_pStabilizeTime = clone(m_pSecond);
      if (dlg.DoModal() != IDOK) {
        delete dlg.m_pSettleBand;
        delete dlg.m_pStabilizeTime;
        return 0;
      }
      m_nMCType = dlg.m_nMCType;
      m_nMCSetParameters = dlg.m_nMCSetParameters;
      take(m_pValue, dlg.m_pSettleBand);
      take(m_pSecond, dlg.m_pStabilizeTime);
      return 1;
    }
    case evPosition: {
      CMotionEventPositionDlg dlg(this);
      return runValue(
          dlg, [&] { dlg.m_nSensor = m_nSensor, dlg.m_nPosition = m_nPosition; },
          [&] { m_nSensor = dlg.m_nSensor, m_nPosition = dlg.m_nPosition; });
    }
    case evSpeed: {
      CMotionEventSpeedDlg dlg(this);
      return runValue(dlg, [&] { dlg.m_nSensor = m_nSensor; }, [&] { m_nSensor = dlg.m_nSensor; });
    }
    case evTime: {
      CMotionEventTimeDlg dlg(this);
      return runValue(dlg, none, none);
    }
    case evReference: {
      CMotionEventReferenceDlg dlg(this);
      return runValue(dlg, [&] { dlg.m_nReference = m_nReference; }, [&] { m_nReference = dlg.m_nReference; });
    }
    case evVariable: {
      CMotionEventVariableDlg dlg(this);
      return runValue(dlg, [&] { dlg.m_strVariable = m_strVariable; }, [&] { m_strVariable = dlg.m_strVariable; });
    }
    case evVectorDistance: {
      CMotionEventVectorDistanceDlg dlg(this);
      return runValue(dlg, none, none);
    }
    case evInput: {
      CMotionEventIOsDlg dlg(this);
      dlg.m_nSlaveAxis = m_nSlaveAxis;
      dlg.m_nInput = m_nInput;
      dlg.m_nInputLevel = m_nInputLevel;
      dlg.m_nInputPort = m_nInputPort;
      if (dlg.DoModal() != IDOK) return 0;
      m_nSlaveAxis = dlg.m_nSlaveAxis;
      m_nInput = dlg.m_nInput;
      m_nInputLevel = dlg.m_nInputLevel;
      m_nInputPort = dlg.m_nInputPort;
      return 1;
    }
    default:
      return 0;
  }
}

int CMotionEvent::ChangeType(int noneFlag) {
  CMotionEvent before(*this);
  CMotionEventTypeDlg dlg(this, noneFlag);
  dlg.m_nType = m_nType;
  if (dlg.DoModal() != IDOK) {
    *this = before;
    return 0;
  }
  if (dlg.m_nType == m_nType) return 1;
  m_nType = dlg.m_nType;
  SetTypeDefaults();
  if (!Edit()) {
    *this = before;
    return 0;
  }
  return 1;
}
