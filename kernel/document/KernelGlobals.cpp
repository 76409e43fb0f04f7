#include "kernel/document/KernelGlobals.h"

#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

BOOL g_bShowErrors = TRUE;

namespace {

CString FormatV(UINT id, va_list args) {
  CString fmt;
  if (!fmt.LoadString(id)) fmt.Format("Message %u", id);
  CString text;
  text.FormatV(fmt, args);
  return text;
}

}  // namespace

CString FormatKernelString(UINT id, ...) {
  va_list a;
  va_start(a, id);
  CString s = FormatV(id, a);
  va_end(a);
  return s;
}

int ShowKernelMessage(UINT type, UINT id, ...) {
  if (!g_bShowErrors) return 0;
  va_list a;
  va_start(a, id);
  CString s = FormatV(id, a);
  va_end(a);
  return AfxMessageBox(s, type);
}

int ShowKernelMessageAlways(UINT type, UINT id, ...) {
  va_list a;
  va_start(a, id);
  CString s = FormatV(id, a);
  va_end(a);
  return AfxMessageBox(s, type);
}

int ShowPlainKernelMessage(struct HWND__* owner, UINT id, ...) {
  va_list a;
  va_start(a, id);
  CString s = FormatV(id, a);
  va_end(a);
  return ::MessageBox(owner, s, AfxGetAppName(), MB_OK);
}
