// Test motion module "Move": positions drive quantities, refusing a value in a unit of the other kind
// (rotary for linear) than the drive variable it sets.
#include "ModuleSupport.h"
#include "mm_move_embedded.h"

MOTION_MODULE_ICON(embedded_move_png, embedded_move_png_size)

using motionmodules::Item;

MODULE_EXPORT const char* GetClassName() { return "Motion"; }
MODULE_EXPORT const char* GetName() { return "Move"; }
MODULE_EXPORT WORD GetOrderID() { return 2; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }

// In the units the drive measures the quantities in, so that a new element translates.
MODULE_EXPORT void GetDefaultParameters(CMC_Setup* setup, CMC_Motion*, CString* parameters) {
  CString position, speed;
  if (!MotionModule_GetVariableUnit(setup, "CPOS", position) || position.IsEmpty()) position = "mm";
  if (!MotionModule_GetVariableUnit(setup, "CSPD", speed) || speed.IsEmpty()) speed = "mm/s";
  parameters->Format("CPOS[%s]=0 CSPD[%s]=10", position.GetString(), speed.GetString());
}

// No dialog: an edit marks the parameters once, as a user who changed them.
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString* parameters) {
  if (parameters->Find("Edited=1") >= 0) return 0;
  if (!parameters->IsEmpty()) *parameters += " ";
  *parameters += "Edited=1";
  return 1;
}

MODULE_EXPORT int TranslateMotionSequence(CMC_Setup* setup, CMC_Motion*, CString* parameters, CString* code) {
  std::vector<Item> items;
  if (!motionmodules::ParseItems(*parameters, items) || items.empty()) {
    *code = "Move: invalid parameters";
    return 0;
  }
  CString out;
  for (const Item& item : items) {
    if (item.name == "Edited") continue;
    CString variableUnit;
    if (!item.unit.empty() && MotionModule_GetVariableUnit(setup, item.name.c_str(), variableUnit) &&
        !variableUnit.IsEmpty()) {
      const char* unit = item.unit.c_str();
      bool mismatch = (MotionModule_IsRotaryUnit(setup, unit) && MotionModule_IsLinearUnit(setup, variableUnit)) ||
                      (MotionModule_IsLinearUnit(setup, unit) && MotionModule_IsRotaryUnit(setup, variableUnit));
      if (mismatch) {
        code->Format("Move: %s is given in %s but the drive measures it in %s", item.name.c_str(), unit,
                     variableUnit.GetString());
        return 0;
      }
    }
    out += CString(item.name.c_str()) + "=" + item.value.c_str() + "; ";
  }
  *code = out + "UPD;";
  return 1;
}
