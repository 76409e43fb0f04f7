// The system's version word, its code page's lead bytes and the user's locale settings.
#pragma once

#include "platform/core/Types.h"

typedef DWORD LCID;
typedef DWORD LCTYPE;

#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT ((LCID)0x0400)
#endif
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_SDATE 0x0000001D
#define LOCALE_STIME 0x0000001E
#define LOCALE_SSHORTDATE 0x0000001F
#define LOCALE_SLONGDATE 0x00000020
#define LOCALE_STIMEFORMAT 0x00001003

// Win32's layout: major version in the low byte, minor in the next, the build in the high word with
// bit 31 clear for the NT family. This system reports 5.1 of the NT family.
DWORD GetVersion();
// A single-byte code page: never a lead byte.
BOOL IsDBCSLeadByte(BYTE testChar);

// The fixed user locale: US English (0x0409), short date "M/d/yyyy", time separator ":".
LCID GetUserDefaultLCID();
// Copies the value and its zero into the buffer (size 0 asks for the length); 0 when the type is
// unknown or the buffer too small.
int GetLocaleInfo(LCID locale, LCTYPE type, LPSTR data, int size);
// Tests set a value of the fixed locale (null restores the default).
void SetLocaleInfoForTesting(LCTYPE type, LPCSTR value);
