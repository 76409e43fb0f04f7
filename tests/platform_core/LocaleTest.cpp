// The fixed user locale: English formats and names by default, values tests set, buffer sizes.
#include "platform/core/SystemInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Info(LCTYPE type) {
  char buf[256] = "";
  return GetLocaleInfo(GetUserDefaultLCID(), type, buf, sizeof buf) ? buf : "<none>";
}

TEST(LocaleTest, EnglishByDefaultAndSettableByTests) {
  struct Case {
    LCTYPE type;
    const char* value;
  } cases[] = {
      {LOCALE_SSHORTDATE, "M/d/yyyy"},      {LOCALE_SLONGDATE, "dddd, MMMM dd, yyyy"},
      {LOCALE_STIMEFORMAT, "h:mm:ss tt"},   {LOCALE_S1159, "AM"},
      {LOCALE_S2359, "PM"},                 {LOCALE_SDAYNAME1, "Monday"},
      {LOCALE_SDAYNAME7, "Sunday"},         {LOCALE_SABBREVDAYNAME3, "Wed"},
      {LOCALE_SMONTHNAME9, "September"},    {LOCALE_SABBREVMONTHNAME12, "Dec"},
      {LOCALE_SABBREVMONTHNAME12 + 1, "<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, Info(c.type)) << c.type;
  SetLocaleInfoForTesting(LOCALE_SMONTHNAME1, "Januar");
  EXPECT_EQ("Januar", Info(LOCALE_SMONTHNAME1));
  SetLocaleInfoForTesting(LOCALE_SMONTHNAME1, nullptr);
  EXPECT_EQ("January", Info(LOCALE_SMONTHNAME1));
  // The length with its zero, and a buffer too small.
  char small[3];
  EXPECT_EQ(7, GetLocaleInfo(0x0409, LOCALE_SDAYNAME1, nullptr, 0));
  EXPECT_EQ(0, GetLocaleInfo(0x0409, LOCALE_SDAYNAME1, small, sizeof small));
}

TEST(LocaleTest, LeadBytesFollowTheCodePage) {
  struct Case {
    BYTE ch;
    BOOL lead932;
  } cases[] = {{0x80, FALSE}, {0x81, TRUE}, {0x9F, TRUE}, {0xA0, FALSE}, {0xDF, FALSE},
               {0xE0, TRUE},  {0xFC, TRUE}, {0xFD, FALSE}, {'A', FALSE}};
  EXPECT_EQ(1252u, GetACP());
  for (const Case& c : cases) EXPECT_FALSE(IsDBCSLeadByte(c.ch)) << (int)c.ch;
  SetCodePageForTesting(932);
  EXPECT_EQ(932u, GetACP());
  for (const Case& c : cases) EXPECT_EQ(c.lead932, IsDBCSLeadByte(c.ch)) << (int)c.ch;
  SetCodePageForTesting(437);  // anything else is the default
  EXPECT_EQ(1252u, GetACP());
  EXPECT_FALSE(IsDBCSLeadByte(0x81));
}

}  // namespace
