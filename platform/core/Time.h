// Dates and times: CTime/CTimeSpan (seconds since 1970), COleDateTime/COleDateTimeSpan
// (automation dates: days since 30 December 1899), and the Win32 time structures.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <ctime>

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

// 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* LPFILETIME;

typedef double DATE;
typedef int64_t __time64_t;
typedef DWORD LCID;

#define VAR_TIMEVALUEONLY ((DWORD)0x00000001)
#define VAR_DATEVALUEONLY ((DWORD)0x00000002)
#define LOCALE_USER_DEFAULT ((LCID)0x0400)
#define LANG_USER_DEFAULT ((LCID)0x0400)

void GetLocalTime(SYSTEMTIME* st);
void GetSystemTime(SYSTEMTIME* st);
void GetSystemTimeAsFileTime(FILETIME* ft);
BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st);
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft);
BOOL FileTimeToLocalFileTime(const FILETIME* ft, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* ft);
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);
// Automation dates. Milliseconds are ignored; out-of-range fields give FALSE
// (a day beyond the month's end rolls into the next month, as OLE does).
INT SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date);
INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* st);

class CTimeSpan {
 public:
  CTimeSpan() = default;
  CTimeSpan(__time64_t seconds) : m_span(seconds) {}
  CTimeSpan(LONG days, int hours, int minutes, int seconds)
      : m_span(((int64_t)days * 24 + hours) * 3600 + (int64_t)minutes * 60 + seconds) {}

  LONGLONG GetDays() const { return m_span / 86400; }
  LONGLONG GetTotalHours() const { return m_span / 3600; }
  LONG GetHours() const { return (LONG)(GetTotalHours() - GetDays() * 24); }
  LONGLONG GetTotalMinutes() const { return m_span / 60; }
  LONG GetMinutes() const { return (LONG)(GetTotalMinutes() - GetTotalHours() * 60); }
  LONGLONG GetTotalSeconds() const { return m_span; }
  LONG GetSeconds() const { return (LONG)(m_span - GetTotalMinutes() * 60); }
  __time64_t GetTimeSpan() const { return m_span; }

  // %D days, %H hours, %M minutes, %S seconds (two digits each but %D), %% a percent sign.
  CString Format(const char* fmt) const;

  CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
  CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
  CTimeSpan& operator+=(CTimeSpan o) { m_span += o.m_span; return *this; }
  CTimeSpan& operator-=(CTimeSpan o) { m_span -= o.m_span; return *this; }
  CTimeSpan operator-() const { return CTimeSpan(-m_span); }
  bool operator==(CTimeSpan o) const { return m_span == o.m_span; }
  bool operator!=(CTimeSpan o) const { return m_span != o.m_span; }
  bool operator<(CTimeSpan o) const { return m_span < o.m_span; }
  bool operator>(CTimeSpan o) const { return m_span > o.m_span; }
  bool operator<=(CTimeSpan o) const { return m_span <= o.m_span; }
  bool operator>=(CTimeSpan o) const { return m_span >= o.m_span; }

 private:
  __time64_t m_span = 0;
};

class CTime {
 public:
  CTime() = default;
  CTime(__time64_t t) : m_time(t) {}
  // Local time; nDST < 0 lets the C library decide daylight saving. Fields out of
  // range (year before 1900, month 13, ...) throw CInvalidArgException.
  CTime(int year, int month, int day, int hour, int minute, int second, int nDST = -1);
  CTime(const SYSTEMTIME& st, int nDST = -1);
  CTime(const FILETIME& ft, int nDST = -1);

  static CTime GetCurrentTime();

  __time64_t GetTime() const { return m_time; }
  // Broken down in local time (or UTC for the Gmt form); null when the time cannot be.
  struct tm* GetLocalTm(struct tm* out) const;
  struct tm* GetGmtTm(struct tm* out) const;
  bool GetAsSystemTime(SYSTEMTIME& st) const;
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday

  // strftime codes of the original runtime in its "C" locale ("%c" is
  // "12/31/99 23:59:59"); a result longer than 127 characters is empty.
  CString Format(const char* fmt) const;
  CString FormatGmt(const char* fmt) const;

  CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
  CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
  CTimeSpan operator-(CTime o) const { return CTimeSpan(m_time - o.m_time); }
  CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
  CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
  bool operator==(CTime o) const { return m_time == o.m_time; }
  bool operator!=(CTime o) const { return m_time != o.m_time; }
  bool operator<(CTime o) const { return m_time < o.m_time; }
  bool operator>(CTime o) const { return m_time > o.m_time; }
  bool operator<=(CTime o) const { return m_time <= o.m_time; }
  bool operator>=(CTime o) const { return m_time >= o.m_time; }

 private:
  __time64_t m_time = 0;
};

class COleDateTimeSpan {
 public:
  enum DateTimeSpanStatus { error = -1, valid = 0, invalid = 1, null = 2 };

  COleDateTimeSpan() = default;
  COleDateTimeSpan(double days) : m_span(days) { CheckRange(); }
  COleDateTimeSpan(LONG days, int hours, int minutes, int seconds) {
    SetDateTimeSpan(days, hours, minutes, seconds);
  }

  void SetDateTimeSpan(LONG days, int hours, int minutes, int seconds);
  DateTimeSpanStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeSpanStatus s) { m_status = s; }

  double GetTotalDays() const { return m_span; }
  double GetTotalHours() const { return m_span * 24; }
  double GetTotalMinutes() const { return m_span * 24 * 60; }
  double GetTotalSeconds() const { return m_span * 24 * 60 * 60; }
  // Components of the span rounded to the second; negative spans give negative parts.
  LONG GetDays() const;
  LONG GetHours() const;
  LONG GetMinutes() const;
  LONG GetSeconds() const;
  operator double() const { return m_span; }

  // %D days, %H hours, %M minutes, %S seconds, %% a percent sign; empty unless valid.
  CString Format(const char* fmt) const;

  COleDateTimeSpan operator+(const COleDateTimeSpan& o) const;
  COleDateTimeSpan operator-(const COleDateTimeSpan& o) const;
  COleDateTimeSpan& operator+=(const COleDateTimeSpan& o) { return *this = *this + o; }
  COleDateTimeSpan& operator-=(const COleDateTimeSpan& o) { return *this = *this - o; }
  COleDateTimeSpan operator-() const;
  bool operator==(const COleDateTimeSpan& o) const { return m_status == o.m_status && m_span == o.m_span; }
  bool operator!=(const COleDateTimeSpan& o) const { return !(*this == o); }
  bool operator<(const COleDateTimeSpan& o) const { return m_span < o.m_span; }
  bool operator>(const COleDateTimeSpan& o) const { return m_span > o.m_span; }
  bool operator<=(const COleDateTimeSpan& o) const { return m_span <= o.m_span; }
  bool operator>=(const COleDateTimeSpan& o) const { return m_span >= o.m_span; }

  double m_span = 0;
  DateTimeSpanStatus m_status = valid;

 private:
  void CheckRange();
};

class COleDateTime {
 public:
  enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

  COleDateTime() = default;
  COleDateTime(DATE dt) : m_dt(dt) { CheckRange(); }
  COleDateTime(int year, int month, int day, int hour, int minute, int second) {
    SetDateTime(year, month, day, hour, minute, second);
  }
  COleDateTime(const SYSTEMTIME& st);
  COleDateTime(const FILETIME& ft);  // UTC file time, shown in local time
  explicit COleDateTime(__time64_t t);

  static COleDateTime GetCurrentTime();

  DateTimeStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeStatus s) { m_status = s; }
  operator DATE() const { return m_dt; }
  COleDateTime& operator=(DATE dt);
  COleDateTime& operator=(const SYSTEMTIME& st);

  // Each returns 0 (valid) when the fields name a real date and time in
  // 1 January 100 .. 31 December 9999, else 1 with the status invalid.
  int SetDateTime(int year, int month, int day, int hour, int minute, int second);
  int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
  int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

  // -1 unless the date is valid.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday
  int GetDayOfYear() const;  // 1 = 1 January
  bool GetAsSystemTime(SYSTEMTIME& st) const;

  // The fixed locale: "MM/DD/YYYY" and "H:MM:SS AM"; a time of midnight is left
  // out, as is the date of day 0, unless a flag asks for one part only.
  // Not valid: "Invalid DateTime"; null: empty.
  CString Format(DWORD flags = 0, LCID lcid = LANG_USER_DEFAULT) const;
  // The strftime codes of CTime::Format.
  CString Format(const char* fmt) const;

  // Reads the fixed locale's forms ("12/31/2026", "2026-12-31", "Dec 31, 2026",
  // "31 December 2026", times "23:59", "11:59:30 PM"). VAR_DATEVALUEONLY drops
  // the time, VAR_TIMEVALUEONLY the date. Unreadable text: FALSE, status invalid.
  bool ParseDateTime(const char* text, DWORD flags = 0, LCID lcid = LANG_USER_DEFAULT);

  COleDateTime operator+(const COleDateTimeSpan& s) const;
  COleDateTime operator-(const COleDateTimeSpan& s) const;
  COleDateTimeSpan operator-(const COleDateTime& o) const;
  COleDateTime& operator+=(const COleDateTimeSpan& s) { return *this = *this + s; }
  COleDateTime& operator-=(const COleDateTimeSpan& s) { return *this = *this - s; }
  bool operator==(const COleDateTime& o) const { return m_status == o.m_status && m_dt == o.m_dt; }
  bool operator!=(const COleDateTime& o) const { return !(*this == o); }
  // Ordered by the moment they name (negative dates count their time backwards).
  bool operator<(const COleDateTime& o) const;
  bool operator>(const COleDateTime& o) const { return o < *this; }
  bool operator<=(const COleDateTime& o) const { return !(o < *this); }
  bool operator>=(const COleDateTime& o) const { return !(*this < o); }

  DATE m_dt = 0;
  DateTimeStatus m_status = valid;

 private:
  void CheckRange();
};
