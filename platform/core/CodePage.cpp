// Windows-1252 to wide characters: the bytes below 0x80 and from 0xA0 are the same code points,
// the 32 bytes between have their own table.
#include "platform/core/CodePage.h"

#include <cstring>

namespace {

const WCHAR k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                       0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                       0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

WCHAR Cp1252ToWide(BYTE b) { return b >= 0x80 && b < 0xA0 ? k80[b - 0x80] : (WCHAR)b; }

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr)) return 0;
  if (codePage != CP_ACP && codePage != CP_THREAD_ACP && codePage != 1252) return 0;
  const int n = cbMultiByte < 0 ? (int)strlen(lpMultiByteStr) + 1 : cbMultiByte;
  if (cchWideChar == 0) return n;
  if (cchWideChar < n) return 0;
  for (int i = 0; i < n; ++i) lpWideCharStr[i] = Cp1252ToWide((BYTE)lpMultiByteStr[i]);
  return n;
}
