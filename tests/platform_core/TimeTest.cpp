#include "platform/core/Exception.h"
#include "platform/core/Time.h"
#include "tests/support/Throws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using dravonix::test::ThrowsInvalidArg;

TEST(COleDateTime, DaysCountFromTheEndOf1899) {
  EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
  EXPECT_EQ(COleDateTime(1900, 1, 1, 0, 0, 0).m_dt, 2.0);
  EXPECT_EQ(COleDateTime(100, 1, 1, 0, 0, 0).m_dt, -657434.0);
  EXPECT_EQ(COleDateTime(9999, 12, 31, 0, 0, 0).m_dt, 2958465.0);
  EXPECT_EQ(COleDateTime(1970, 1, 1, 12, 0, 0).m_dt, 25569.5);
  // Before day 0 the time of day still counts forwards: -1.25 is 29 December 1899, 06:00.
  COleDateTime neg(-1.25);
  EXPECT_EQ(neg.GetYear(), 1899);
  EXPECT_EQ(neg.GetMonth(), 12);
  EXPECT_EQ(neg.GetDay(), 29);
  EXPECT_EQ(neg.GetHour(), 6);
  EXPECT_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
  COleDateTime d(2026, 12, 7, 8, 40, 9);
  EXPECT_EQ(d.GetStatus(), COleDateTime::valid);
  EXPECT_EQ(d.GetYear(), 2026);
  EXPECT_EQ(d.GetMonth(), 12);
  EXPECT_EQ(d.GetDay(), 7);
  EXPECT_EQ(d.GetHour(), 8);
  EXPECT_EQ(d.GetMinute(), 40);
  EXPECT_EQ(d.GetSecond(), 9);
  EXPECT_EQ(d.GetDayOfWeek(), 2);  // a Monday
  EXPECT_EQ(d.GetDayOfYear(), 341);
  // Fractions are rounded to the second.
  EXPECT_EQ(COleDateTime(2.0 + 86399.6 / 86400).GetDay(), 2);
  EXPECT_EQ(COleDateTime(2.0 + 86399.6 / 86400).GetHour(), 0);
}

TEST(COleDateTime, ValidityAndItsText) {
  EXPECT_EQ(COleDateTime(99, 12, 31, 0, 0, 0).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(COleDateTime(-657435.0).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(COleDateTime(2958466.0).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(COleDateTime(2958465.5).GetStatus(), COleDateTime::valid);
  EXPECT_EQ(COleDateTime(std::numeric_limits<double>::quiet_NaN()).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(COleDateTime(1e300).GetStatus(), COleDateTime::invalid);
  COleDateTime d;
  EXPECT_EQ(d.SetDate(2016, 2, 29), 0);
  EXPECT_EQ(d.SetDate(2015, 2, 29), 1);
  EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(d.GetYear(), -1);
  EXPECT_EQ(d.GetDayOfWeek(), -1);
  EXPECT_EQ(d.Format(), "Invalid DateTime");
  EXPECT_EQ(d.Format(VAR_DATEVALUEONLY), "Invalid DateTime");
  EXPECT_EQ(d.Format("%Y"), "Invalid DateTime");
  EXPECT_EQ(d.SetDateTime(2026, 1, 1, 24, 0, 0), 1);
  EXPECT_EQ(d.SetTime(23, 59, 59), 0);
  d.SetStatus(COleDateTime::null);
  EXPECT_EQ(d.Format(), "");
}

TEST(COleDateTime, DayTheMonthLacksFailsTheRoundTrip) {
  // 30 February: the automation conversion counts on into March, so the date
  // read back differs and the text is the invalid-date text.
  SYSTEMTIME st = {2016, 2, 0, 30, 0, 0, 0, 0};
  DATE dt = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&st, &dt));
  SYSTEMTIME back = {};
  ASSERT_TRUE(VariantTimeToSystemTime(dt, &back));
  EXPECT_EQ(back.wMonth, 3);
  EXPECT_EQ(back.wDay, 1);
  EXPECT_EQ(COleDateTime(2016, 2, 30, 0, 0, 0).Format(VAR_DATEVALUEONLY), "Invalid DateTime");
  SYSTEMTIME bad = {2016, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&bad, &dt));
  bad = {2016, 1, 0, 1, 24, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToVariantTime(&bad, &dt));
  EXPECT_FALSE(SystemTimeToVariantTime(nullptr, &dt));
  EXPECT_FALSE(VariantTimeToSystemTime(std::numeric_limits<double>::infinity(), &back));
  EXPECT_FALSE(VariantTimeToSystemTime(3e6, &back));
  st = {2026, 12, 0, 7, 8, 40, 9, 500};
  ASSERT_TRUE(SystemTimeToVariantTime(&st, &dt));
  ASSERT_TRUE(VariantTimeToSystemTime(dt, &back));
  EXPECT_EQ(back.wYear, 2026);
  EXPECT_EQ(back.wDayOfWeek, 1);
  EXPECT_EQ(back.wSecond, 9);
  EXPECT_EQ(back.wMilliseconds, 0);
}

TEST(COleDateTime, FixedLocaleFormat) {
  COleDateTime d(2026, 3, 4, 15, 4, 5);
  EXPECT_EQ(d.Format(), "03/04/2026 3:04:05 PM");
  EXPECT_EQ(d.Format(VAR_DATEVALUEONLY), "03/04/2026");
  EXPECT_EQ(d.Format(VAR_TIMEVALUEONLY), "3:04:05 PM");
  EXPECT_EQ(COleDateTime(2026, 3, 4, 0, 0, 0).Format(), "03/04/2026");
  EXPECT_EQ(COleDateTime(2026, 3, 4, 0, 0, 0).Format(VAR_TIMEVALUEONLY), "12:00:00 AM");
  EXPECT_EQ(COleDateTime(2026, 3, 4, 12, 0, 1).Format(), "03/04/2026 12:00:01 PM");
  COleDateTime t;
  t.SetTime(9, 5, 0);
  EXPECT_EQ(t.Format(), "9:05:00 AM");
  EXPECT_EQ(t.Format(VAR_DATEVALUEONLY), "12/30/1899");
  EXPECT_EQ(COleDateTime(0.0).Format(), "12:00:00 AM");
  EXPECT_EQ(d.Format("%A %d %B %Y, %H:%M:%S %p"), "Wednesday 04 March 2026, 15:04:05 PM");
  EXPECT_EQ(d.Format("%#d.%#m.%y %j"), "4.3.26 063");
}

TEST(COleDateTime, ParsesTheFixedLocaleForms) {
  COleDateTime d;
  ASSERT_TRUE(d.ParseDateTime("03/04/2026 3:04:05 PM"));
  EXPECT_EQ(d, COleDateTime(2026, 3, 4, 15, 4, 5));
  ASSERT_TRUE(d.ParseDateTime("  2026-12-31 "));
  EXPECT_EQ(d, COleDateTime(2026, 12, 31, 0, 0, 0));
  ASSERT_TRUE(d.ParseDateTime("Dec 31, 2026"));
  EXPECT_EQ(d, COleDateTime(2026, 12, 31, 0, 0, 0));
  ASSERT_TRUE(d.ParseDateTime("Thursday, 31 December 2026 23:59"));
  EXPECT_EQ(d, COleDateTime(2026, 12, 31, 23, 59, 0));
  ASSERT_TRUE(d.ParseDateTime("10:30"));
  EXPECT_EQ(d.m_dt, 0.4375);
  ASSERT_TRUE(d.ParseDateTime("12 AM"));
  EXPECT_EQ(d.m_dt, 0.0);
  ASSERT_TRUE(d.ParseDateTime("1/2/29"));
  EXPECT_EQ(d.GetYear(), 2029);
  ASSERT_TRUE(d.ParseDateTime("1/2/30"));
  EXPECT_EQ(d.GetYear(), 1930);
  ASSERT_TRUE(d.ParseDateTime("3/4/2026 15:00", VAR_DATEVALUEONLY));
  EXPECT_EQ(d, COleDateTime(2026, 3, 4, 0, 0, 0));
  ASSERT_TRUE(d.ParseDateTime("3/4/2026 15:00", VAR_TIMEVALUEONLY));
  EXPECT_EQ(d.m_dt, 0.625);
  const char* bad[] = {"", "   ", "2/30/2016", "13/1/2026", "hello", "3/4/2026 x", "25:00", "13 PM", "3/4", "10:"};
  for (const char* text : bad) {
    EXPECT_FALSE(d.ParseDateTime(text)) << text;
    EXPECT_EQ(d.GetStatus(), COleDateTime::invalid) << text;
  }
  EXPECT_FALSE(d.ParseDateTime(nullptr));
  // What Format writes, ParseDateTime reads back.
  const COleDateTime samples[] = {COleDateTime(2026, 3, 4, 15, 4, 5), COleDateTime(100, 1, 1, 0, 0, 1),
                                  COleDateTime(9999, 12, 31, 23, 59, 59), COleDateTime(1899, 12, 29, 6, 0, 0)};
  for (const COleDateTime& s : samples) {
    ASSERT_TRUE(d.ParseDateTime(s.Format())) << s.Format().GetString();
    EXPECT_EQ(d, s) << s.Format().GetString();
  }
}

TEST(COleDateTime, SpansAndArithmetic) {
  COleDateTimeSpan span(1, 2, 3, 4);
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
  EXPECT_EQ(span.GetSeconds(), 4);
  EXPECT_DOUBLE_EQ(span.GetTotalHours(), 26.0 + 3.0 / 60 + 4.0 / 3600);
  EXPECT_EQ(span.Format("%D days %H:%M:%S %%"), "1 days 02:03:04 %");
  COleDateTimeSpan neg = -span;
  EXPECT_EQ(neg.GetDays(), -1);
  EXPECT_EQ(neg.GetHours(), -2);
  COleDateTime d(2026, 12, 31, 23, 0, 0);
  COleDateTime e = d + COleDateTimeSpan(0, 1, 0, 0);
  EXPECT_EQ(e, COleDateTime(2027, 1, 1, 0, 0, 0));
  EXPECT_NEAR((e - d).GetTotalSeconds(), 3600.0, 1e-6);
  EXPECT_EQ((e - d).GetHours(), 1);
  // Across day 0, where negative dates count their time forwards.
  COleDateTime before(1899, 12, 29, 6, 0, 0);
  EXPECT_EQ((before + COleDateTimeSpan(1.0)).m_dt, 0.25);
  EXPECT_EQ((COleDateTime(0.25) - before).GetTotalDays(), 1.0);
  EXPECT_TRUE(before < COleDateTime(0.0));
  EXPECT_TRUE(COleDateTime(-1.75) > COleDateTime(-1.25));
  // Leaving the range makes the result invalid; invalid operands stay invalid.
  EXPECT_EQ((COleDateTime(9999, 12, 31, 0, 0, 0) + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
  COleDateTime bad(2015, 2, 29, 0, 0, 0);
  EXPECT_EQ((bad + span).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ((bad - d).GetStatus(), COleDateTimeSpan::invalid);
  EXPECT_EQ(COleDateTimeSpan(1e9).GetStatus(), COleDateTimeSpan::invalid);
  EXPECT_EQ(COleDateTimeSpan(1e9).Format("%D"), "");
}

TEST(CTime, LocalFieldsAndFormatCodes) {
  CTime t(2026, 12, 7, 8, 40, 9);
  EXPECT_EQ(t.GetYear(), 2026);
  EXPECT_EQ(t.GetMonth(), 12);
  EXPECT_EQ(t.GetDay(), 7);
  EXPECT_EQ(t.GetHour(), 8);
  EXPECT_EQ(t.GetMinute(), 40);
  EXPECT_EQ(t.GetSecond(), 9);
  EXPECT_EQ(t.GetDayOfWeek(), 2);
  EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "2026-12-07 08:40:09");
  EXPECT_EQ(t.Format("%c"), "12/07/26 08:40:09");
  EXPECT_EQ(t.Format("%x|%X"), "12/07/26|08:40:09");
  EXPECT_EQ(t.Format("%#c"), "Monday, December 7, 2026, 08:40:09");
  EXPECT_EQ(t.Format("%#x"), "Monday, December 7, 2026");
  EXPECT_EQ(t.Format("%a %b %j %I%p %y %#d %#H %w %U %W %%"), "Mon Dec 341 08AM 26 7 8 1 49 49 %");
  EXPECT_EQ(CTime(2026, 12, 7, 0, 30, 0).Format("%I:%M %p"), "12:30 AM");
  EXPECT_EQ(t.Format("%Q%"), "%Q%");
  // The framework's buffer holds 127 characters.
  std::string longFmt(127, 'x');
  EXPECT_EQ(t.Format(longFmt.c_str()).GetLength(), 127);
  longFmt += "%Y";
  EXPECT_EQ(t.Format(longFmt.c_str()), "");
  EXPECT_EQ(t.Format(nullptr), "");
  SYSTEMTIME st;
  ASSERT_TRUE(t.GetAsSystemTime(st));
  EXPECT_EQ(CTime(st), t);
}

TEST(CTime, SpansFileTimesAndBadFields) {
  CTime a(2026, 1, 1, 0, 0, 0);
  CTime b = a + CTimeSpan(1, 2, 3, 4);
  CTimeSpan d = b - a;
  EXPECT_EQ(d.GetTotalSeconds(), 93784);
  EXPECT_EQ(d.GetDays(), 1);
  EXPECT_EQ(d.GetHours(), 2);
  EXPECT_EQ(d.GetTotalHours(), 26);
  EXPECT_EQ(d.GetMinutes(), 3);
  EXPECT_EQ(d.GetSeconds(), 4);
  EXPECT_EQ(d.Format("%D:%H:%M:%S"), "1:02:03:04");
  EXPECT_TRUE(b > a);
  b -= d;
  EXPECT_EQ(b, a);
  EXPECT_TRUE(ThrowsInvalidArg([] { CTime(1899, 1, 1, 0, 0, 0); }));
  EXPECT_TRUE(ThrowsInvalidArg([] { CTime(2026, 13, 1, 0, 0, 0); }));
  EXPECT_TRUE(ThrowsInvalidArg([] { CTime(2026, 1, 1, 0, 60, 0); }));
  SYSTEMTIME old = {1800, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(CTime(old).GetTime(), 0);
  // File times are UTC from 1601.
  SYSTEMTIME utc = {1970, 1, 0, 2, 0, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  EXPECT_EQ(CTime(ft).GetTime(), 86400);
  EXPECT_EQ(CTime(ft).FormatGmt("%Y-%m-%d %H:%M"), "1970-01-02 00:00");
  SYSTEMTIME back;
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(back.wDay, 2);
  EXPECT_EQ(back.wDayOfWeek, 5);
  SYSTEMTIME epoch = {1601, 1, 0, 1, 0, 0, 0, 0};
  FILETIME zero;
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &zero));
  EXPECT_EQ(zero.dwLowDateTime, 0u);
  EXPECT_EQ(zero.dwHighDateTime, 0u);
  EXPECT_EQ(CompareFileTime(&zero, &ft), -1);
  SYSTEMTIME feb30 = {2016, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&feb30, &ft));
  FILETIME local, again;
  ASSERT_TRUE(FileTimeToLocalFileTime(&zero, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &again));
  EXPECT_EQ(CompareFileTime(&zero, &again), 0);
}

TEST(CTime, TheClockAgrees) {
  CTime now = CTime::GetCurrentTime();
  EXPECT_LE(std::llabs((long long)(now.GetTime() - (int64_t)time(nullptr))), 2);
  SYSTEMTIME lt, ut;
  GetLocalTime(&lt);
  GetSystemTime(&ut);
  EXPECT_GE(lt.wYear, 2024);
  EXPECT_LE(ut.wMonth, 12);
  EXPECT_LE(ut.wMilliseconds, 999);
  COleDateTime o = COleDateTime::GetCurrentTime();
  EXPECT_EQ(o.GetStatus(), COleDateTime::valid);
  EXPECT_LE(std::fabs((COleDateTime(now.GetTime()) - o).GetTotalSeconds()), 2.0);
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  EXPECT_LE(std::llabs((long long)(CTime(ft).GetTime() - now.GetTime())), 2);
}
