// Version word, lead bytes and the fixed user locale.
#include "platform/core/SystemInfo.h"

#include <cstring>
#include <map>
#include <string>

namespace {

std::map<LCTYPE, std::string>& Overrides() {
  static std::map<LCTYPE, std::string> values;
  return values;
}

const char* DefaultValue(LCTYPE type) {
  switch (type) {
    case LOCALE_SDATE: return "/";
    case LOCALE_STIME: return ":";
    case LOCALE_SSHORTDATE: return "M/d/yyyy";
    case LOCALE_SLONGDATE: return "dddd, MMMM dd, yyyy";
    case LOCALE_STIMEFORMAT: return "h:mm:ss tt";
    case LOCALE_S1159: return "AM";
    case LOCALE_S2359: return "PM";
    default: break;
  }
  static const char* const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  static const char* const kDaysShort[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  static const char* const kMonthsShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (type >= LOCALE_SDAYNAME1 && type <= LOCALE_SDAYNAME7) return kDays[type - LOCALE_SDAYNAME1];
  if (type >= LOCALE_SABBREVDAYNAME1 && type <= LOCALE_SABBREVDAYNAME7) return kDaysShort[type - LOCALE_SABBREVDAYNAME1];
  if (type >= LOCALE_SMONTHNAME1 && type <= LOCALE_SMONTHNAME12) return kMonths[type - LOCALE_SMONTHNAME1];
  if (type >= LOCALE_SABBREVMONTHNAME1 && type <= LOCALE_SABBREVMONTHNAME12)
    return kMonthsShort[type - LOCALE_SABBREVMONTHNAME1];
  return nullptr;
}

}  // namespace

DWORD GetVersion() { return 0x0A280105u; }  // 5.1, build 2600, NT family

namespace {
UINT g_codePage = 1252;
}  // namespace

BOOL IsDBCSLeadByte(BYTE testChar) {
  if (g_codePage != 932) return FALSE;
  return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}

UINT GetACP() { return g_codePage; }

void SetCodePageForTesting(UINT codePage) { g_codePage = codePage == 932 ? 932 : 1252; }

LCID GetUserDefaultLCID() { return 0x0409; }

int GetLocaleInfo(LCID, LCTYPE type, LPSTR data, int size) {
  auto it = Overrides().find(type);
  const char* value = it != Overrides().end() ? it->second.c_str() : DefaultValue(type);
  if (!value) return 0;
  const int need = (int)std::strlen(value) + 1;
  if (size == 0) return need;
  if (!data || size < need) return 0;
  std::memcpy(data, value, (size_t)need);
  return need;
}

void SetLocaleInfoForTesting(LCTYPE type, LPCSTR value) {
  if (value) Overrides()[type] = value;
  else Overrides().erase(type);
}
