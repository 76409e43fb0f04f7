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
#define LOCALE_S1159 0x00000028
#define LOCALE_S2359 0x00000029
// Monday is day 1, Sunday day 7.
#define LOCALE_SDAYNAME1 0x0000002A
#define LOCALE_SDAYNAME2 0x0000002B
#define LOCALE_SDAYNAME3 0x0000002C
#define LOCALE_SDAYNAME4 0x0000002D
#define LOCALE_SDAYNAME5 0x0000002E
#define LOCALE_SDAYNAME6 0x0000002F
#define LOCALE_SDAYNAME7 0x00000030
#define LOCALE_SABBREVDAYNAME1 0x00000031
#define LOCALE_SABBREVDAYNAME2 0x00000032
#define LOCALE_SABBREVDAYNAME3 0x00000033
#define LOCALE_SABBREVDAYNAME4 0x00000034
#define LOCALE_SABBREVDAYNAME5 0x00000035
#define LOCALE_SABBREVDAYNAME6 0x00000036
#define LOCALE_SABBREVDAYNAME7 0x00000037
#define LOCALE_SMONTHNAME1 0x00000038
#define LOCALE_SMONTHNAME2 0x00000039
#define LOCALE_SMONTHNAME3 0x0000003A
#define LOCALE_SMONTHNAME4 0x0000003B
#define LOCALE_SMONTHNAME5 0x0000003C
#define LOCALE_SMONTHNAME6 0x0000003D
#define LOCALE_SMONTHNAME7 0x0000003E
#define LOCALE_SMONTHNAME8 0x0000003F
#define LOCALE_SMONTHNAME9 0x00000040
#define LOCALE_SMONTHNAME10 0x00000041
#define LOCALE_SMONTHNAME11 0x00000042
#define LOCALE_SMONTHNAME12 0x00000043
#define LOCALE_SABBREVMONTHNAME1 0x00000044
#define LOCALE_SABBREVMONTHNAME2 0x00000045
#define LOCALE_SABBREVMONTHNAME3 0x00000046
#define LOCALE_SABBREVMONTHNAME4 0x00000047
#define LOCALE_SABBREVMONTHNAME5 0x00000048
#define LOCALE_SABBREVMONTHNAME6 0x00000049
#define LOCALE_SABBREVMONTHNAME7 0x0000004A
#define LOCALE_SABBREVMONTHNAME8 0x0000004B
#define LOCALE_SABBREVMONTHNAME9 0x0000004C
#define LOCALE_SABBREVMONTHNAME10 0x0000004D
#define LOCALE_SABBREVMONTHNAME11 0x0000004E
#define LOCALE_SABBREVMONTHNAME12 0x0000004F

// Win32's layout: major version in the low byte, minor in the next, the build in the high word with
// bit 31 clear for the NT family. This system reports 5.1 of the NT family.
DWORD GetVersion();
// Lead bytes of the active code page: none under 1252 (the default); 0x81-0x9F and 0xE0-0xFC under 932.
BOOL IsDBCSLeadByte(BYTE testChar);
// The active ANSI code page.
UINT GetACP();
// Tests switch the code page to 932 to run double-byte paths; any other value restores 1252.
void SetCodePageForTesting(UINT codePage);

// The fixed user locale: US English (0x0409), short date "M/d/yyyy", time separator ":", English
// day and month names.
LCID GetUserDefaultLCID();
// Copies the value and its zero into the buffer (size 0 asks for the length); 0 when the type is
// unknown or the buffer too small.
int GetLocaleInfo(LCID locale, LCTYPE type, LPSTR data, int size);
// Tests set a value of the fixed locale (null restores the default).
void SetLocaleInfoForTesting(LCTYPE type, LPCSTR value);
