// Locale date and time settings.
#include "grid/engine/GXLocale.h"

#include <cctype>
#include <cstring>

namespace {

int g_nDateOrder = 3;  // not read yet
BOOL g_bFourDigitYear = FALSE;
char g_cDateSeparator = '/';
char g_cTimeSeparator = 0;
LCID g_lcid = 0;

}  // namespace

int GXGetShortDateOrder(BOOL bRefresh, BOOL* pbFourDigitYear, char* pcSeparator) {
  if (g_nDateOrder == 3 || bRefresh) {
    char buf[128] = {};
    GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buf, sizeof buf);
    g_nDateOrder = 1;
    if (buf[0]) {
      for (char* p = buf; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
      if (buf[0] == 'D') g_nDateOrder = 0;
      else if (buf[0] == 'Y') g_nDateOrder = 2;
      g_bFourDigitYear = std::strstr(buf, "YYYY") != nullptr;
      // The first character that is not a letter, or a blank.
      const char* p = buf;
      while (*p && *p != ' ' && std::isalpha((unsigned char)*p)) ++p;
      g_cDateSeparator = *p;
    }
  }
  if (pbFourDigitYear) *pbFourDigitYear = g_bFourDigitYear;
  if (pcSeparator) *pcSeparator = g_cDateSeparator;
  return g_nDateOrder;
}

char GXGetTimeSeparator(BOOL bRefresh) {
  if (g_cTimeSeparator == 0 || bRefresh) {
    char buf[128] = {};
    GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, sizeof buf);
    g_cTimeSeparator = buf[0] ? buf[0] : ':';
  }
  return g_cTimeSeparator;
}

void GXUpdateLocaleDateTimeSettings() {
  if (!g_lcid) g_lcid = GetUserDefaultLCID();
  GXGetShortDateOrder(TRUE, nullptr, nullptr);
  GXGetTimeSeparator(TRUE);
}

LCID GXGetUserDefaultLCID() { return g_lcid ? g_lcid : GetUserDefaultLCID(); }

size_t GXFormatTime(char* buffer, size_t size, const char* format, const struct tm* time) {
  if (!buffer || !size || !format || !time) return 0;
  return std::strftime(buffer, size, format, time);
}
