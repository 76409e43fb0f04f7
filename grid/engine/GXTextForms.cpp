#include "grid/engine/GXTextForms.h"

#include <string>
#include <utility>

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

CString GXEncodeProfileValue(const CString& value) {
  const std::string& in = value.str();
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    const char c = in[i], next = i + 1 < in.size() ? in[i + 1] : 0;
    if (c == '\r' && next == '\n') continue;
    if (c == '\r' || c == '\n') out += "\\n";
    else if (c == '\\' && (next == 'n' || next == '\\' || next == '\r' || next == '\n')) out += "\\\\";
    else out += c;
  }
  return CString(std::move(out));
}

CString GXDecodeProfileValue(const CString& text) {
  const std::string& in = text.str();
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += in[i];
    }
  }
  return CString(std::move(out));
}
