// Placeholder over the C library until the platform's own engine lands.
#include "platform/core/Format.h"

#include <cstdio>
#include <cstring>

int FormatAppendV(std::string& out, const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return 0;
  size_t old = out.size();
  out.resize(old + (size_t)n + 1);
  vsnprintf(&out[old], (size_t)n + 1, fmt, args);
  out.resize(old + (size_t)n);
  return n;
}

std::string FormatString(const char* fmt, ...) {
  std::string s;
  va_list a;
  va_start(a, fmt);
  FormatAppendV(s, fmt, a);
  va_end(a);
  return s;
}

int _vsnprintf(char* buf, size_t count, const char* fmt, va_list args) {
  std::string s;
  FormatAppendV(s, fmt, args);
  if (s.size() > count) {
    if (count) memcpy(buf, s.data(), count);
    return -1;
  }
  memcpy(buf, s.data(), s.size());
  if (s.size() < count) buf[s.size()] = 0;
  return (int)s.size();
}

int _snprintf(char* buf, size_t count, const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  int n = _vsnprintf(buf, count, fmt, a);
  va_end(a);
  return n;
}

int wsprintf(char* buf, const char* fmt, ...) {
  std::string s;
  va_list a;
  va_start(a, fmt);
  FormatAppendV(s, fmt, a);
  va_end(a);
  memcpy(buf, s.c_str(), s.size() + 1);
  return (int)s.size();
}

int ScanStringV(const char* input, const char* fmt, va_list args) { return vsscanf(input, fmt, args); }

int ScanString(const char* input, const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  int n = ScanStringV(input, fmt, a);
  va_end(a);
  return n;
}
