// Motion module "Free Text": the parameter string is the element's code as written.
#include "ModuleSupport.h"
#include "mm_freetext_embedded.h"

MOTION_MODULE_ICON(embedded_freetext_png, embedded_freetext_png_size)

MODULE_EXPORT const char* GetClassName() { return "Program"; }
MODULE_EXPORT const char* GetName() { return "Free Text"; }
MODULE_EXPORT WORD GetOrderID() { return 13; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) { *parameters = "/*  */"; }
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }

MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString* parameters, CString* code) {
  CString text = parameters ? *parameters : CString();
  if (text.Find("ERR") >= 0) {
    code->Format("Free Text: error in the parameters \"%s\"", text.GetString());
    return 0;
  }
  *code = text;
  return 1;
}
