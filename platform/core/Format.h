// printf/scanf engine with the original platform's C runtime rules: `l` is 32 bits, `h` 16 bits,
// `I64` 64 bits, exponents have at least three digits, `%i` reads octal and hex.
// Kernel code formats and scans through these, never through the C library directly.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace format_detail {
// Strings of the layer (anything with GetString or c_str) go through `...` as
// their text, so Format("%s", someCString) works as framework code expects.
template <class T>
auto Pass(const T& v) {
  if constexpr (requires { v.GetString(); })
    return v.GetString();
  else if constexpr (requires { v.c_str(); })
    return v.c_str();
  else
    return v;
}
}  // namespace format_detail

// Appends the formatted text to `out`; returns the number of bytes appended.
int FormatAppendV(std::string& out, const char* fmt, va_list args);
std::string FormatStringC(const char* fmt, ...);
// Appends `v` as the directive "%.<prec><conv>" would (conv one of e E f F g G), without reading a
// format: for writers of long number lists.
void FormatAppendFloat(std::string& out, double v, char conv, int prec);
template <class... Args>
std::string FormatString(const char* fmt, const Args&... args) {
  return FormatStringC(fmt, format_detail::Pass(args)...);
}
// _snprintf: writes at most `count` bytes; returns the length, or -1 when it did not fit
// (a result of exactly `count` bytes is not terminated).
int _snprintfC(char* buf, size_t count, const char* fmt, ...);
template <class... Args>
int _snprintf(char* buf, size_t count, const char* fmt, const Args&... args) {
  return _snprintfC(buf, count, fmt, format_detail::Pass(args)...);
}
int _vsnprintf(char* buf, size_t count, const char* fmt, va_list args);
// sprintf into a buffer the caller sized; as Win32's, at most 1024 bytes with the terminator.
int wsprintfC(char* buf, const char* fmt, ...);
template <class... Args>
int wsprintf(char* buf, const char* fmt, const Args&... args) {
  return wsprintfC(buf, fmt, format_detail::Pass(args)...);
}

// sscanf: returns the number of fields assigned, or -1 (EOF) when input ended before the first.
int ScanString(const char* input, const char* fmt, ...);
int ScanStringV(const char* input, const char* fmt, va_list args);
// One number read exactly as ScanString(input, "%lf", &v) == 1 and ScanString(input, "%hu", &v) == 1
// read it, without going through a format: for loops over many numbers.
bool ScanDoubleField(const char* input, double& v);
bool ScanUShortField(const char* input, unsigned short& v);
#define _stscanf ScanString
