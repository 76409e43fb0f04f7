// Test motion module "Comment" (class "Program"): its code is a comment, which serves as a description.
#include "ModuleSupport.h"
#include "mm_comment_embedded.h"

MOTION_MODULE_ICON(embedded_comment_png, embedded_comment_png_size)

MODULE_EXPORT const char* GetClassName() { return "Program"; }
MODULE_EXPORT const char* GetName() { return "Comment"; }
MODULE_EXPORT WORD GetOrderID() { return 5; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) {
  *parameters = "Text={Homing on the index}";
}
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }

MODULE_EXPORT int TranslateMotionSequence(CMC_Setup*, CMC_Motion*, CString* parameters, CString* code) {
  std::vector<motionmodules::Item> items;
  if (!motionmodules::ParseItems(*parameters, items) || items.empty() || items[0].name != "Text") {
    *code = "Comment: the parameter Text is expected";
    return 0;
  }
  code->Format("/* %s */", items[0].value.c_str());
  return 1;
}
