// Placeholder: answers the safe way until the automation hooks land.
#include "platform/core/MessageBox.h"

namespace {
int SafeAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: case MB_YESNOCANCEL: case MB_RETRYCANCEL: case MB_CANCELTRYCONTINUE: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}
}  // namespace

int AfxMessageBox(const char*, UINT type, UINT) { return SafeAnswer(type); }
int AfxMessageBox(UINT, UINT type, UINT) { return SafeAnswer(type); }
int MessageBox(HWND__*, const char*, const char*, UINT type) { return SafeAnswer(type); }
BOOL MessageBeep(UINT) { return TRUE; }
