// The grid library's cache of the user's date and time conventions.
#pragma once

#include "platform/core/SystemInfo.h"

#include <cstddef>
#include <ctime>

// 0 day-month-year, 1 month-day-year, 2 year-month-day; reread when asked or not read yet.
int GXGetShortDateOrder(BOOL bRefresh, BOOL* pbFourDigitYear, char* pcSeparator);
char GXGetTimeSeparator(BOOL bRefresh);
// Rereads both (library start-up, and whenever the system settings change).
void GXUpdateLocaleDateTimeSettings();
// The user default locale as read at start-up.
LCID GXGetUserDefaultLCID();
size_t GXFormatTime(char* buffer, size_t size, const char* format, const struct tm* time);
