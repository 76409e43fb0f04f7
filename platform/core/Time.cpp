#include "platform/core/Time.h"

#include "platform/core/Exception.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Day 0 of automation dates is 30 December 1899: 25569 days before 1 January 1970.
constexpr int64_t kOleEpochDays = -25569;
// 100 ns intervals between 1 January 1601 and 1 January 1970.
constexpr int64_t kFileTimeEpoch = 116444736000000000LL;
constexpr double kMaxSpanDays = 3615897.0;  // the widest span between two valid dates, and a little

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Proleptic Gregorian calendar, days relative to 1 January 1970.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const unsigned yoe = (unsigned)(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + (int64_t)doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const unsigned doe = (unsigned)(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = (int)(doy - (153 * mp + 2) / 5 + 1);
  m = (int)(mp < 10 ? mp + 3 : mp - 9);
  y = (int)(yoe + era * 400 + (m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// A date's moment in seconds from day 0, rounded to the second. Negative dates
// keep their time of day positive: -1.25 is 29 December 1899, 06:00.
bool DateToSeconds(DATE dt, int64_t& secs) {
  if (!std::isfinite(dt) || std::fabs(dt) > 4.0e6) return false;
  double day = std::trunc(dt);
  double frac = std::fabs(dt - day);
  secs = (int64_t)day * kSecondsPerDay + std::llround(frac * kSecondsPerDay);
  return true;
}

DATE SecondsToDate(int64_t secs) {
  int64_t day = FloorDiv(secs, kSecondsPerDay);
  double frac = (double)(secs - day * kSecondsPerDay) / kSecondsPerDay;
  return day >= 0 ? (double)day + frac : (double)day - frac;
}

// The moment as a day count on an ordinary number line (for adding and comparing).
double DateToLinear(DATE dt) {
  double day = std::trunc(dt);
  return day + std::fabs(dt - day);
}

DATE LinearToDate(double x) {
  double day = std::floor(x);
  double frac = x - day;
  return day >= 0 ? day + frac : day - frac;
}

struct Fields {
  int year, month, day, hour, minute, second, wday, yday;
};

void SecondsToFields(int64_t secs, Fields& f) {
  int64_t day = FloorDiv(secs, kSecondsPerDay);
  int64_t sod = secs - day * kSecondsPerDay;
  int64_t days1970 = day + kOleEpochDays;
  CivilFromDays(days1970, f.year, f.month, f.day);
  f.hour = (int)(sod / 3600);
  f.minute = (int)(sod / 60 % 60);
  f.second = (int)(sod % 60);
  f.wday = (int)(((days1970 % 7) + 11) % 7);  // 1 January 1970 was a Thursday
  f.yday = (int)(days1970 - DaysFromCivil(f.year, 1, 1));
}

bool DateToFields(DATE dt, Fields& f) {
  int64_t secs;
  if (!DateToSeconds(dt, secs)) return false;
  SecondsToFields(secs, f);
  return f.year >= 100 && f.year <= 9999;
}

int64_t FieldsToSeconds(int y, int m, int d, int h, int mi, int s) {
  return (DaysFromCivil(y, (unsigned)m, (unsigned)d) - kOleEpochDays) * kSecondsPerDay + h * 3600 + mi * 60 + s;
}

struct tm FieldsToTm(const Fields& f) {
  struct tm t;
  memset(&t, 0, sizeof t);
  t.tm_year = f.year - 1900;
  t.tm_mon = f.month - 1;
  t.tm_mday = f.day;
  t.tm_hour = f.hour;
  t.tm_min = f.minute;
  t.tm_sec = f.second;
  t.tm_wday = f.wday;
  t.tm_yday = f.yday;
  t.tm_isdst = -1;
  return t;
}

void AppendNumber(std::string& out, int v, int digits, bool noPad) {
  char buf[16];
  int n = 0;
  unsigned u = (unsigned)(v < 0 ? -v : v);
  do {
    buf[n++] = (char)('0' + u % 10);
    u /= 10;
  } while (u);
  if (!noPad)
    while (n < digits) buf[n++] = '0';
  if (v < 0) out += '-';
  while (n) out += buf[--n];
}

// strftime with the original runtime's codes in its "C" locale; '#' drops
// leading zeros and selects the long date forms.
void FormatTm(std::string& out, const char* fmt, const struct tm& t, const char* zone) {
  for (const char* p = fmt; p && *p; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    const char* start = p;
    bool alt = false;
    if (p[1] == '#') {
      alt = true;
      ++p;
    }
    char c = *++p;
    if (!c) {
      out.append(start, (size_t)(p - start));
      break;
    }
    int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    switch (c) {
      case 'a': out.append(kDayNames[t.tm_wday % 7], 3); break;
      case 'A': out += kDayNames[t.tm_wday % 7]; break;
      case 'b': out.append(kMonthNames[t.tm_mon % 12], 3); break;
      case 'B': out += kMonthNames[t.tm_mon % 12]; break;
      case 'c':
        if (alt) {
          FormatTm(out, "%A, %B %#d, %Y, %H:%M:%S", t, zone);
        } else {
          FormatTm(out, "%m/%d/%y %H:%M:%S", t, zone);
        }
        break;
      case 'd': AppendNumber(out, t.tm_mday, 2, alt); break;
      case 'H': AppendNumber(out, t.tm_hour, 2, alt); break;
      case 'I': AppendNumber(out, hour12, 2, alt); break;
      case 'j': AppendNumber(out, t.tm_yday + 1, 3, alt); break;
      case 'm': AppendNumber(out, t.tm_mon + 1, 2, alt); break;
      case 'M': AppendNumber(out, t.tm_min, 2, alt); break;
      case 'p': out += t.tm_hour < 12 ? "AM" : "PM"; break;
      case 'S': AppendNumber(out, t.tm_sec, 2, alt); break;
      case 'U': AppendNumber(out, (t.tm_yday + 7 - t.tm_wday) / 7, 2, alt); break;
      case 'w': AppendNumber(out, t.tm_wday, 1, alt); break;
      case 'W': AppendNumber(out, (t.tm_yday + 7 - (t.tm_wday + 6) % 7) / 7, 2, alt); break;
      case 'x':
        if (alt) {
          FormatTm(out, "%A, %B %#d, %Y", t, zone);
        } else {
          FormatTm(out, "%m/%d/%y", t, zone);
        }
        break;
      case 'X': FormatTm(out, "%H:%M:%S", t, zone); break;
      case 'y': AppendNumber(out, (t.tm_year + 1900) % 100, 2, alt); break;
      case 'Y': AppendNumber(out, t.tm_year + 1900, 4, alt); break;
      case 'z':
      case 'Z':
        if (zone) out += zone;
        break;
      case '%': out += '%'; break;
      default: out.append(start, (size_t)(p - start + 1)); break;
    }
  }
}

const char* LocalZoneName(const struct tm& t) {
#ifdef __USE_MISC
  if (t.tm_zone) return t.tm_zone;
#endif
  tzset();
  return tzname[t.tm_isdst > 0 ? 1 : 0];
}

// %D %H %M %S of a span given in whole seconds.
CString FormatSpan(const char* fmt, int64_t days, int hours, int minutes, int seconds) {
  std::string out;
  for (const char* p = fmt; p && *p; ++p) {
    if (*p != '%' || !p[1]) {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'D': out += FormatString("%I64d", (LONGLONG)days); break;
      case 'H': AppendNumber(out, hours, 2, false); break;
      case 'M': AppendNumber(out, minutes, 2, false); break;
      case 'S': AppendNumber(out, seconds, 2, false); break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += *p;
        break;
    }
  }
  return CString(std::move(out));
}

void UnixToSystemTime(int64_t t, const struct tm& tmv, WORD ms, SYSTEMTIME* st) {
  (void)t;
  st->wYear = (WORD)(tmv.tm_year + 1900);
  st->wMonth = (WORD)(tmv.tm_mon + 1);
  st->wDayOfWeek = (WORD)tmv.tm_wday;
  st->wDay = (WORD)tmv.tm_mday;
  st->wHour = (WORD)tmv.tm_hour;
  st->wMinute = (WORD)tmv.tm_min;
  st->wSecond = (WORD)tmv.tm_sec;
  st->wMilliseconds = ms;
}

int64_t FileTimeValue(const FILETIME* ft) { return (int64_t)(((uint64_t)ft->dwHighDateTime << 32) | ft->dwLowDateTime); }

void SetFileTimeValue(FILETIME* ft, int64_t v) {
  ft->dwLowDateTime = (DWORD)((uint64_t)v & 0xFFFFFFFFu);
  ft->dwHighDateTime = (DWORD)((uint64_t)v >> 32);
}

// The local zone's offset from UTC at the given moment, in seconds.
int64_t LocalOffset(int64_t t) {
  time_t tt = (time_t)t;
  struct tm lt;
  if (!localtime_r(&tt, &lt)) return 0;
  return lt.tm_gmtoff;
}

}  // namespace

// ---------------------------------------------------------------------------
// Win32 time functions

void GetSystemTimeAsFileTime(FILETIME* ft) {
  if (!ft) return;
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  SetFileTimeValue(ft, (int64_t)ts.tv_sec * 10000000 + ts.tv_nsec / 100 + kFileTimeEpoch);
}

void GetSystemTime(SYSTEMTIME* st) {
  if (!st) return;
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t;
  gmtime_r(&ts.tv_sec, &t);
  UnixToSystemTime(ts.tv_sec, t, (WORD)(ts.tv_nsec / 1000000), st);
}

void GetLocalTime(SYSTEMTIME* st) {
  if (!st) return;
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t;
  localtime_r(&ts.tv_sec, &t);
  UnixToSystemTime(ts.tv_sec, t, (WORD)(ts.tv_nsec / 1000000), st);
}

BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st) {
  if (!ft || !st) return FALSE;
  int64_t v = FileTimeValue(ft);
  if (v < 0) return FALSE;
  int64_t secs = v / 10000000 - kFileTimeEpoch / 10000000;
  int64_t day = FloorDiv(secs, kSecondsPerDay);
  int64_t sod = secs - day * kSecondsPerDay;
  int y, m, d;
  CivilFromDays(day, y, m, d);
  if (y > 30827) return FALSE;
  st->wYear = (WORD)y;
  st->wMonth = (WORD)m;
  st->wDay = (WORD)d;
  st->wDayOfWeek = (WORD)(((day % 7) + 11) % 7);
  st->wHour = (WORD)(sod / 3600);
  st->wMinute = (WORD)(sod / 60 % 60);
  st->wSecond = (WORD)(sod % 60);
  st->wMilliseconds = (WORD)(v / 10000 % 1000);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft) {
  if (!st || !ft) return FALSE;
  if (st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
      st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 ||
      st->wMilliseconds > 999)
    return FALSE;
  int64_t secs = DaysFromCivil(st->wYear, st->wMonth, st->wDay) * kSecondsPerDay + st->wHour * 3600 +
                 st->wMinute * 60 + st->wSecond;
  SetFileTimeValue(ft, secs * 10000000 + st->wMilliseconds * 10000LL + kFileTimeEpoch);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* ft, FILETIME* local) {
  if (!ft || !local) return FALSE;
  int64_t v = FileTimeValue(ft);
  int64_t unix = (v - kFileTimeEpoch) / 10000000;
  SetFileTimeValue(local, v + LocalOffset(unix) * 10000000);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* ft) {
  if (!local || !ft) return FALSE;
  int64_t v = FileTimeValue(local);
  int64_t unix = (v - kFileTimeEpoch) / 10000000;
  int64_t off = LocalOffset(unix - LocalOffset(unix));
  SetFileTimeValue(ft, v - off * 10000000);
  return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  if (!a || !b) return 0;
  uint64_t x = ((uint64_t)a->dwHighDateTime << 32) | a->dwLowDateTime;
  uint64_t y = ((uint64_t)b->dwHighDateTime << 32) | b->dwLowDateTime;
  return x < y ? -1 : x > y ? 1 : 0;
}

INT SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date) {
  if (!st || !date) return FALSE;
  if (st->wYear < 100 || st->wYear > 9999 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 || st->wDay > 31 ||
      st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59)
    return FALSE;
  // A day past the month's end counts on into the next month.
  int64_t secs = FieldsToSeconds(st->wYear, st->wMonth, 1, st->wHour, st->wMinute, st->wSecond) +
                 (int64_t)(st->wDay - 1) * kSecondsPerDay;
  Fields f;
  SecondsToFields(secs, f);
  if (f.year > 9999) return FALSE;
  *date = SecondsToDate(secs);
  return TRUE;
}

INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* st) {
  if (!st) return FALSE;
  Fields f;
  if (!DateToFields(date, f)) return FALSE;
  st->wYear = (WORD)f.year;
  st->wMonth = (WORD)f.month;
  st->wDayOfWeek = (WORD)f.wday;
  st->wDay = (WORD)f.day;
  st->wHour = (WORD)f.hour;
  st->wMinute = (WORD)f.minute;
  st->wSecond = (WORD)f.second;
  st->wMilliseconds = 0;
  return TRUE;
}

// ---------------------------------------------------------------------------
// CTimeSpan and CTime

CString CTimeSpan::Format(const char* fmt) const {
  return FormatSpan(fmt, GetDays(), (int)GetHours(), (int)GetMinutes(), (int)GetSeconds());
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int nDST) {
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59)
    AfxThrowInvalidArgException();
  struct tm t;
  memset(&t, 0, sizeof t);
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = nDST < 0 ? -1 : (nDST > 0 ? 1 : 0);
  time_t r = mktime(&t);
  if (r == (time_t)-1 && !(t.tm_year == 69 && t.tm_mon == 11 && t.tm_mday == 31)) AfxThrowInvalidArgException();
  m_time = (__time64_t)r;
}

CTime::CTime(const SYSTEMTIME& st, int nDST) {
  // The framework takes a year before 1900 as the start of the epoch.
  if (st.wYear < 1900) return;
  *this = CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime::CTime(const FILETIME& ft, int) { m_time = (FileTimeValue(&ft) - kFileTimeEpoch) / 10000000; }

CTime CTime::GetCurrentTime() { return CTime((__time64_t)time(nullptr)); }

struct tm* CTime::GetLocalTm(struct tm* out) const {
  if (!out) return nullptr;
  time_t t = (time_t)m_time;
  return localtime_r(&t, out);
}

struct tm* CTime::GetGmtTm(struct tm* out) const {
  if (!out) return nullptr;
  time_t t = (time_t)m_time;
  return gmtime_r(&t, out);
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm t;
  if (!GetLocalTm(&t)) return false;
  UnixToSystemTime(m_time, t, 0, &st);
  return true;
}

int CTime::GetYear() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_year + 1900 : 0;
}
int CTime::GetMonth() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_mon + 1 : 0;
}
int CTime::GetDay() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_mday : 0;
}
int CTime::GetHour() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_hour : 0;
}
int CTime::GetMinute() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_min : 0;
}
int CTime::GetSecond() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_sec : 0;
}
int CTime::GetDayOfWeek() const {
  struct tm t;
  return GetLocalTm(&t) ? t.tm_wday + 1 : 0;
}

namespace {

CString FormatWithLimit(const char* fmt, const struct tm* t, const char* zone) {
  if (!t || !fmt) return CString();
  std::string out;
  FormatTm(out, fmt, *t, zone);
  if (out.size() > 127) return CString();  // the framework's 128-byte buffer
  return CString(std::move(out));
}

}  // namespace

CString CTime::Format(const char* fmt) const {
  struct tm t;
  struct tm* p = GetLocalTm(&t);
  return FormatWithLimit(fmt, p, p ? LocalZoneName(t) : nullptr);
}

CString CTime::FormatGmt(const char* fmt) const {
  struct tm t;
  return FormatWithLimit(fmt, GetGmtTm(&t), "UTC");
}

// ---------------------------------------------------------------------------
// COleDateTimeSpan

void COleDateTimeSpan::CheckRange() {
  m_status = (std::isfinite(m_span) && std::fabs(m_span) <= kMaxSpanDays) ? valid : invalid;
}

void COleDateTimeSpan::SetDateTimeSpan(LONG days, int hours, int minutes, int seconds) {
  m_span = (double)days + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0;
  CheckRange();
}

namespace {

int64_t SpanSeconds(double span) {
  double s = span * 86400.0;
  if (!std::isfinite(s) || std::fabs(s) > 9.0e15) return 0;
  return std::llround(s);
}

}  // namespace

LONG COleDateTimeSpan::GetDays() const { return (LONG)(SpanSeconds(m_span) / 86400); }
LONG COleDateTimeSpan::GetHours() const { return (LONG)(SpanSeconds(m_span) / 3600 % 24); }
LONG COleDateTimeSpan::GetMinutes() const { return (LONG)(SpanSeconds(m_span) / 60 % 60); }
LONG COleDateTimeSpan::GetSeconds() const { return (LONG)(SpanSeconds(m_span) % 60); }

CString COleDateTimeSpan::Format(const char* fmt) const {
  if (m_status != valid) return CString();
  return FormatSpan(fmt, GetDays(), (int)GetHours(), (int)GetMinutes(), (int)GetSeconds());
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& o) const {
  COleDateTimeSpan r;
  if (m_status != valid || o.m_status != valid) {
    r.m_status = (m_status == null || o.m_status == null) && m_status != invalid && o.m_status != invalid ? null
                                                                                                     : invalid;
    return r;
  }
  r.m_span = m_span + o.m_span;
  r.CheckRange();
  return r;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& o) const { return *this + (-o); }

COleDateTimeSpan COleDateTimeSpan::operator-() const {
  COleDateTimeSpan r(*this);
  r.m_span = -m_span;
  return r;
}

// ---------------------------------------------------------------------------
// COleDateTime

void COleDateTime::CheckRange() {
  Fields f;
  m_status = DateToFields(m_dt, f) ? valid : invalid;
}

COleDateTime::COleDateTime(const SYSTEMTIME& st) { *this = st; }

COleDateTime::COleDateTime(const FILETIME& ft) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) {
    m_status = invalid;
    return;
  }
  *this = st;
}

COleDateTime::COleDateTime(__time64_t t) {
  time_t tt = (time_t)t;
  struct tm lt;
  if (!localtime_r(&tt, &lt)) {
    m_status = invalid;
    return;
  }
  SetDateTime(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime((__time64_t)time(nullptr)); }

COleDateTime& COleDateTime::operator=(DATE dt) {
  m_dt = dt;
  CheckRange();
  return *this;
}

COleDateTime& COleDateTime::operator=(const SYSTEMTIME& st) {
  SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
  return *this;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    m_dt = 0;
    m_status = invalid;
    return m_status;
  }
  m_dt = SecondsToDate(FieldsToSeconds(year, month, day, hour, minute, second));
  m_status = valid;
  return m_status;
}

namespace {

bool ValidFields(const COleDateTime& d, Fields& f) {
  return d.GetStatus() == COleDateTime::valid && DateToFields(d.m_dt, f);
}

}  // namespace

int COleDateTime::GetYear() const {
  Fields f;
  return ValidFields(*this, f) ? f.year : -1;
}
int COleDateTime::GetMonth() const {
  Fields f;
  return ValidFields(*this, f) ? f.month : -1;
}
int COleDateTime::GetDay() const {
  Fields f;
  return ValidFields(*this, f) ? f.day : -1;
}
int COleDateTime::GetHour() const {
  Fields f;
  return ValidFields(*this, f) ? f.hour : -1;
}
int COleDateTime::GetMinute() const {
  Fields f;
  return ValidFields(*this, f) ? f.minute : -1;
}
int COleDateTime::GetSecond() const {
  Fields f;
  return ValidFields(*this, f) ? f.second : -1;
}
int COleDateTime::GetDayOfWeek() const {
  Fields f;
  return ValidFields(*this, f) ? f.wday + 1 : -1;
}
int COleDateTime::GetDayOfYear() const {
  Fields f;
  return ValidFields(*this, f) ? f.yday + 1 : -1;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const {
  return m_status == valid && VariantTimeToSystemTime(m_dt, &st);
}

CString COleDateTime::Format(DWORD flags, LCID) const {
  if (m_status == null) return CString();
  Fields f;
  if (!ValidFields(*this, f)) return CString("Invalid DateTime");
  int64_t secs = 0;
  DateToSeconds(m_dt, secs);
  bool dayZero = FloorDiv(secs, kSecondsPerDay) == 0;
  bool midnight = f.hour == 0 && f.minute == 0 && f.second == 0;
  bool showDate = (flags & VAR_DATEVALUEONLY) || (!(flags & VAR_TIMEVALUEONLY) && !dayZero);
  bool showTime = (flags & VAR_TIMEVALUEONLY) || (!(flags & VAR_DATEVALUEONLY) && (!midnight || dayZero));
  std::string out;
  if (showDate) out = FormatString("%02d/%02d/%04d", f.month, f.day, f.year);
  if (showTime) {
    if (!out.empty()) out += ' ';
    int h12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
    out += FormatString("%d:%02d:%02d %s", h12, f.minute, f.second, f.hour < 12 ? "AM" : "PM");
  }
  return CString(std::move(out));
}

CString COleDateTime::Format(const char* fmt) const {
  if (m_status == null) return CString();
  Fields f;
  if (!ValidFields(*this, f)) return CString("Invalid DateTime");
  struct tm t = FieldsToTm(f);
  std::string out;
  FormatTm(out, fmt, t, LocalZoneName(t));
  return CString(std::move(out));
}

namespace {

struct Parser {
  const unsigned char* p;

  void SkipBlanks() {
    while (*p == ' ' || *p == '\t') ++p;
  }
  bool Number(int& v, int& digits) {
    if (!IsDigitC(*p)) return false;
    v = 0;
    digits = 0;
    while (IsDigitC(*p)) {
      if (digits < 9) v = v * 10 + (*p - '0');
      ++digits;
      ++p;
    }
    return true;
  }
  static bool IsDigitC(unsigned char c) { return c >= '0' && c <= '9'; }
  static bool IsAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  // A month name, in full or its first three letters; 0 when none.
  int MonthName() {
    const unsigned char* q = p;
    while (IsAlpha(*q)) ++q;
    size_t n = (size_t)(q - p);
    if (n < 3) return 0;
    for (int m = 0; m < 12; ++m) {
      size_t full = strlen(kMonthNames[m]);
      if ((n == 3 || n == full) && n <= full && _strnicmp((const char*)p, kMonthNames[m], n) == 0) {
        p = q;
        if (*p == '.') ++p;
        return m + 1;
      }
    }
    return 0;
  }
  bool DayName() {
    const unsigned char* q = p;
    while (IsAlpha(*q)) ++q;
    size_t n = (size_t)(q - p);
    if (n < 3) return false;
    for (const char* d : kDayNames) {
      size_t full = strlen(d);
      if ((n == 3 || n == full) && _strnicmp((const char*)p, d, n) == 0) {
        p = q;
        if (*p == '.') ++p;
        if (*p == ',') ++p;
        return true;
      }
    }
    return false;
  }
};

int WindowYear(int y, int digits) {
  if (digits <= 2) return y < 30 ? 2000 + y : 1900 + y;
  return y;
}

// Reads a date at the parser; restores it and returns false when there is none.
bool ParseDate(Parser& ps, int& y, int& m, int& d) {
  const unsigned char* start = ps.p;
  ps.DayName();
  ps.SkipBlanks();
  int a, b, c, da, db, dc;
  if (ps.Number(a, da)) {
    unsigned char sep = *ps.p;
    if (sep == '/' || sep == '-' || sep == '.') {
      ++ps.p;
      if (ps.Number(b, db) && *ps.p == sep) {
        ++ps.p;
        if (ps.Number(c, dc)) {
          if (da >= 3) {  // year first
            y = a;
            m = b;
            d = c;
          } else {
            m = a;
            d = b;
            y = WindowYear(c, dc);
          }
          return true;
        }
      }
    } else {
      ps.SkipBlanks();
      int month = ps.MonthName();
      if (month) {  // 31 December 2026
        ps.SkipBlanks();
        if (*ps.p == ',') ++ps.p;
        ps.SkipBlanks();
        if (ps.Number(c, dc)) {
          d = a;
          m = month;
          y = WindowYear(c, dc);
          return true;
        }
      }
    }
  } else {
    int month = ps.MonthName();
    if (month) {  // December 31, 2026
      ps.SkipBlanks();
      if (ps.Number(b, db)) {
        ps.SkipBlanks();
        if (*ps.p == ',') ++ps.p;
        ps.SkipBlanks();
        if (ps.Number(c, dc)) {
          m = month;
          d = b;
          y = WindowYear(c, dc);
          return true;
        }
      }
    }
  }
  ps.p = start;
  return false;
}

bool ParseTime(Parser& ps, int& h, int& mi, int& s) {
  const unsigned char* start = ps.p;
  int a, da, b = 0, db, c = 0, dc;
  if (!ps.Number(a, da)) return false;
  bool colon = false;
  if (*ps.p == ':') {
    ++ps.p;
    if (!ps.Number(b, db)) {
      ps.p = start;
      return false;
    }
    colon = true;
    if (*ps.p == ':') {
      ++ps.p;
      if (!ps.Number(c, dc)) {
        ps.p = start;
        return false;
      }
    }
  }
  const unsigned char* beforeMark = ps.p;
  ps.SkipBlanks();
  int mark = 0;  // 1 AM, 2 PM
  unsigned char ch = (unsigned char)(*ps.p | 0x20);
  if (ch == 'a' || ch == 'p') {
    unsigned char next = (unsigned char)(ps.p[1] | 0x20);
    size_t len = next == 'm' ? 2 : 1;
    if (!Parser::IsAlpha(ps.p[len])) {
      mark = ch == 'a' ? 1 : 2;
      ps.p += len;
    }
  }
  if (!mark) ps.p = beforeMark;
  if (!colon && !mark) {
    ps.p = start;
    return false;
  }
  if (mark) {
    if (a < 1 || a > 12) {
      ps.p = start;
      return false;
    }
    a = a % 12 + (mark == 2 ? 12 : 0);
  }
  h = a;
  mi = b;
  s = c;
  return true;
}

}  // namespace

bool COleDateTime::ParseDateTime(const char* text, DWORD flags, LCID) {
  m_dt = 0;
  m_status = invalid;
  if (!text) return false;
  Parser ps{reinterpret_cast<const unsigned char*>(text)};
  ps.SkipBlanks();
  int y = 1899, m = 12, d = 30, h = 0, mi = 0, s = 0;
  bool haveDate = ParseDate(ps, y, m, d);
  ps.SkipBlanks();
  bool haveTime = ParseTime(ps, h, mi, s);
  if (!haveDate && haveTime) {
    // A time may also come first: "10:30 12/31/2026".
    ps.SkipBlanks();
    haveDate = ParseDate(ps, y, m, d);
  }
  ps.SkipBlanks();
  if ((!haveDate && !haveTime) || *ps.p) return false;
  if (flags & VAR_DATEVALUEONLY) h = mi = s = 0;
  if (flags & VAR_TIMEVALUEONLY) {
    y = 1899;
    m = 12;
    d = 30;
  }
  return SetDateTime(y, m, d, h, mi, s) == valid;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& s) const {
  COleDateTime r;
  if (m_status != valid || s.m_status != COleDateTimeSpan::valid) {
    r.m_status = (m_status == null || s.m_status == COleDateTimeSpan::null) ? null : invalid;
    return r;
  }
  r = LinearToDate(DateToLinear(m_dt) + s.m_span);
  return r;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& s) const { return *this + (-s); }

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& o) const {
  COleDateTimeSpan r;
  if (m_status != valid || o.m_status != valid) {
    r.m_status = (m_status == null || o.m_status == null) ? COleDateTimeSpan::null : COleDateTimeSpan::invalid;
    return r;
  }
  r.m_span = DateToLinear(m_dt) - DateToLinear(o.m_dt);
  return r;
}

bool COleDateTime::operator<(const COleDateTime& o) const { return DateToLinear(m_dt) < DateToLinear(o.m_dt); }
