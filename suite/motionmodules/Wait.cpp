// Test motion module "Wait": a pause of the motion sequence.
#include "ModuleSupport.h"
#include "mm_wait_embedded.h"

MOTION_MODULE_ICON(embedded_wait_png, embedded_wait_png_size)

MODULE_EXPORT const char* GetClassName() { return "Motion"; }
MODULE_EXPORT const char* GetName() { return "Wait"; }
MODULE_EXPORT WORD GetOrderID() { return 1; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) { *parameters = "Time[ms]=100"; }
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }

MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString* parameters, CString* code) {
  std::vector<motionmodules::Item> items;
  if (!motionmodules::ParseItems(*parameters, items) || items.size() != 1 || items[0].name != "Time") {
    *code = "Wait: the parameter Time is expected";
    return 0;
  }
  code->Format("WAIT %s;", items[0].value.c_str());
  return 1;
}
