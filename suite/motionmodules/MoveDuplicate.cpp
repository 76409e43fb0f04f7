// Test motion module that repeats the name of "Move" in another case: the kernel refuses it.
#include "ModuleSupport.h"
#include "mm_movedup_embedded.h"

MOTION_MODULE_ICON(embedded_movedup_png, embedded_movedup_png_size)

MODULE_EXPORT const char* GetClassName() { return "Motion"; }
MODULE_EXPORT const char* GetName() { return "MOVE"; }
MODULE_EXPORT WORD GetOrderID() { return 3; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) { *parameters = "X=1"; }
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }
MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString*, CString* code) {
  *code = "DUPLICATE;";
  return 1;
}
