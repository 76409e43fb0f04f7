// Test motion module library that lacks the translation export: the kernel rejects it.
#include "ModuleSupport.h"
#include "mm_noexport_embedded.h"

MOTION_MODULE_ICON(embedded_noexport_png, embedded_noexport_png_size)

MODULE_EXPORT const char* GetClassName() { return "Program"; }
MODULE_EXPORT const char* GetName() { return "Broken"; }
MODULE_EXPORT WORD GetOrderID() { return 1; }
MODULE_EXPORT int IsEnabled(CMC_Setup*) { return 1; }
MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) { parameters->Empty(); }
MODULE_EXPORT int EditMotionSequence(CMC_Setup*, CMC_Motion*, CString*) { return 0; }
