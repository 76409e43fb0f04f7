// Test motion module that no setup enables.
#include "ModuleSupport.h"
#include "mm_disabled_embedded.h"

MOTION_MODULE_ICON(embedded_disabled_png, embedded_disabled_png_size)

MODULE_EXPORT const char* GetClassName() { return "Motion"; }
MODULE_EXPORT const char* GetName() { return "Disabled Move"; }
MODULE_EXPORT WORD GetOrderID() { return 2; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 0; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) { parameters->Empty(); }
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }
MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString*, CString* code) {
  *code = "DISABLED;";
  return 1;
}
