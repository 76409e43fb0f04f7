// Code-page conversion of the stored single-byte texts (Windows-1252) into wide characters.
#pragma once

#include "platform/core/Types.h"

typedef wchar_t WCHAR;
typedef WCHAR* LPWSTR;

#define CP_ACP 0
#define CP_THREAD_ACP 3

// The UTF-16 unit of a Windows-1252 byte; bytes the code page leaves undefined map to themselves.
WCHAR Cp1252ToWide(BYTE b);

// Converts cbMultiByte bytes (-1: up to and with the terminator) of the thread's (or the system's)
// code page, which is Windows-1252 here, into wide characters. With cchWideChar 0 it returns the
// size needed; otherwise the number written, or 0 when the buffer is too small or the code page is
// not a single-byte one this layer knows.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar);
