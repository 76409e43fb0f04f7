// printf/scanf engine with the original platform's C runtime rules: `l` is 32 bits, `h` 16 bits,
// `I64` 64 bits, exponents have at least three digits, `%i` reads octal and hex.
// Kernel code formats and scans through these, never through the C library directly.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Appends the formatted text to `out`; returns the number of bytes appended.
int FormatAppendV(std::string& out, const char* fmt, va_list args);
std::string FormatString(const char* fmt, ...);
// _snprintf: writes at most `count` bytes; returns the length, or -1 when it did not fit.
int _snprintf(char* buf, size_t count, const char* fmt, ...);
int _vsnprintf(char* buf, size_t count, const char* fmt, va_list args);
// sprintf into a buffer the caller sized; returns the length.
int wsprintf(char* buf, const char* fmt, ...);

// sscanf: returns the number of fields assigned, or -1 (EOF) when input ended before the first.
int ScanString(const char* input, const char* fmt, ...);
int ScanStringV(const char* input, const char* fmt, va_list args);
#define _stscanf ScanString
