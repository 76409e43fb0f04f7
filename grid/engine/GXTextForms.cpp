#include "grid/engine/GXTextForms.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

LONG GXAtol(LPCTSTR text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  DWORD value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10u + (DWORD)(*p++ - '0');
  return (LONG)(negative ? 0u - value : value);
}

int GXScanNumbers(LPCTSTR text, LONG* values, int maxCount) {
  if (!text) return 0;
  const char* p = text;
  int n = 0;
  while (n < maxCount) {
    while (IsBlank(*p)) ++p;
    if (!*p) break;
    values[n++] = GXAtol(p);
    while (*p && !IsBlank(*p)) ++p;
  }
  return n;
}
