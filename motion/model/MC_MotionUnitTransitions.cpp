#include "kernel/setup/MC_AxisData.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/model/Rot2LinTransitionDlg.h"

#include <cstring>
#include <vector>

namespace {

// Drive quantities whose unit kind may differ between setups, in the order they are matched.
const char* const kQuantities[] = {"JERK",    "CACC",    "CDEC",      "ASPD_LD",   "ASPD_MT",   "TSPD",    "CSPD",
                                   "HOMESPD", "EREFS",   "APOS_LD",   "APOS_MT",   "TPOS",      "CPOS",    "HOMEPOS",
                                   "EREFP",   "POSTRIGG1", "POSTRIGG2", "POSTRIGG3", "POSTRIGG4"};

const char* MatchQuantity(const CString& name) {
  for (const char* q : kQuantities)
    if (std::strstr(name, q)) return q;
  return nullptr;
}

}  // namespace

void CMC_Motion::DetectAndFixUnitTransitions() {
  double factor = 0;
  CMC_MotionGroup* groups[] = {&m_Main, &m_SetupSettings, &m_HomingProcedures, &m_Functions, &m_Interrupts};
  for (CMC_MotionGroup* group : groups) {
    if (factor < 0) break;
    DetectAndFixUnitTransitions(group, factor);
  }
}

void CMC_Motion::DetectAndFixUnitTransitions(CMC_MotionGroup* start, double& factor) {
  if (!m_pSetup || !start) return;
  const CMC_Units& units = m_pSetup->GetUnits();
  std::vector<CMC_MotionGroup*> work{start};
  for (size_t g = 0; g < work.size(); ++g) {
    CMC_MotionGroup* group = work[g];
    for (INT_PTR k = 0; k < group->GetSize(); ++k) {
      CObject* child = group->GetAt(k);
      if (auto* sub = dynamic_cast<CMC_MotionGroup*>(child)) {
        work.push_back(sub);
        continue;
      }
      auto* elem = dynamic_cast<CMC_MotionElem*>(child);
      if (!elem || !elem->m_bTranslateError) continue;
      CStringArray names, unitNames, values;
      if (!ReadAllElemParameters(elem->m_strParameters, names, unitNames, values)) continue;
      CMC_Setup* varSetup = m_pSetup;
      bool changed = false;
      for (INT_PTR j = 0; j < names.GetSize(); ++j) {
        const CString& name = names[j];
        CString& unit = unitNames[j];
        if (m_pSetup->IsMotionController() && unit.IsEmpty() && name.Find("SlaveAxis") >= 0) {
          double index = 0;
          CString text = values[j];
          CMC_AxisData* axis = ScanDecimalValue(index, VAR_UINT, text) ? GetMotionControllerSlaveAxis((int)index)
                                                                       : nullptr;
          varSetup = axis ? axis->GetSetup() : nullptr;
          if (!varSetup) break;
          continue;
        }
        if (values[j].IsEmpty() || CMC_Units::IsInternalUnit(unit)) continue;
        const bool rotary = units.IsRotaryUnit(unit) != 0;
        if (!rotary && !units.IsLinearUnit(unit)) continue;
        const char* quantity = MatchQuantity(name);
        if (!quantity) continue;
        CMC_Variable* var = varSetup->FindVariable(quantity);
        if (!var) continue;
        const CString& varUnit = var->GetUnitName();
        if (rotary ? !units.IsLinearUnit(varUnit) : !units.IsRotaryUnit(varUnit)) continue;
        CMC_ArrayParameter from(*varSetup), to(*varSetup);
        if (!from.InitializeMotionParam(var->GetType(), name, unit, values[j], NOT_AVAILABLE_VALUE,
                                        NOT_AVAILABLE_VALUE) ||
            !to.InitializeMotionParam(var->GetType(), name, varUnit, values[j], NOT_AVAILABLE_VALUE,
                                      NOT_AVAILABLE_VALUE))
          continue;
        if (factor <= 0) {
          CRot2LinTransitionDlg dlg(*varSetup, nullptr);
          if (dlg.DoModal() != IDOK || dlg.m_dTransitionFactor <= 0) {
            // Nothing is changed without an answer: the default ratio would alter the program's values.
            factor = -1.0;
            return;
          }
          factor = dlg.m_dTransitionFactor;
        }
        for (int i = 0; i < from.GetValuesCount(); ++i) {
          double v = from.GetValueInBaseUnit(i);
          to.SetValueInBaseUnit(i, rotary ? v * factor : v / factor);
        }
        unit = varUnit;
        to.SaveData(values[j]);
        changed = true;
      }
      if (!changed) continue;
      elem->m_strParameters.Empty();
      for (INT_PTR j = 0; j < names.GetSize(); ++j)
        AddToElemParameters(elem->m_strParameters, names[j], unitNames[j], values[j]);
      Translate(elem, 1);
    }
  }
}
