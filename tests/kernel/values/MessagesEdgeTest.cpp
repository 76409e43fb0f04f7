#include "kernel/document/KernelGlobals.h"

#include <gtest/gtest.h>

// Texts the host and the validators show as they stand; a changed word would break scripts and manuals.
TEST(KernelMessagesEdge, FixedTextsOfTheStringTable) {
  struct Entry {
    UINT id;
    const char* text;
  } entries[] = {
      {20000, "Cannot find dravonix.dll folder!"},
      {20004, "Out of memory!"},
      {20031, "Invalid hexadecimal number! Please put here only hexadecimal digits."},
      {20036, "Non empty string expected"},
      {20037, "Please select an item!"},
      {20046,
       "Invalid name: this string should contain only alphanumeric characters and begin with a letter or underscore."},
      {20050, "Invalid name or number: this string should contain only alphanumeric characters."},
      {20053, "Invalid name. "},
      {20076,
       "The update.exe program needs to be replaced with a newer version, but you don't have the necessary rights to "
       "do it!\n\nPlease run this program as administrator, exit, then run again as normal user."},
      {20084, "Please select an option!"},
  };
  for (const Entry& e : entries) EXPECT_STREQ(FormatKernelString(e.id), e.text) << e.id;
}

TEST(KernelMessagesEdge, FormattedTextsFillTheirFields) {
  EXPECT_STREQ(FormatKernelString(20001, "C:\\k\\a.cfg"), "Cannot open file C:\\k\\a.cfg!");
  EXPECT_STREQ(FormatKernelString(20002, "units.cfg", 7), "Invalid syntax in file units.cfg, line 7");
  EXPECT_STREQ(FormatKernelString(20003, "u.cfg", 3, "mm"), "Error in file u.cfg line 3:\n The unit mm is already defined.");
  EXPECT_STREQ(FormatKernelString(20007, "m", "rad"), "Units m and rad are incompatible!");
  EXPECT_STREQ(FormatKernelString(20013, "p.cfg", 4, (unsigned short)0x40),
               "Error in file p.cfg line 4:\n Address 0x0040 is used by another parameter.");
  EXPECT_STREQ(FormatKernelString(20014, "p.cfg", 2),
               "Error in file p.cfg line 2:\n This relation \"min <= val <= max\" is not satisfied!");
  EXPECT_STREQ(FormatKernelString(20015, "p.cfg"), "Cannot write in file p.cfg! Check file system permissions.");
  EXPECT_STREQ(FormatKernelString(20021, (unsigned short)0x1234), "Cannot find parameter with address 0x1234!");
  EXPECT_STREQ(FormatKernelString(20065, "us", "ms"),
               "Cannot add the new unit us derived from ms because its factor isn't greater than 0!");
  EXPECT_STREQ(FormatKernelString(20066, "u.cfg", 9), "Error in file u.cfg, line 9:\nUnit factors must be greater than 0!");
  EXPECT_STREQ(FormatKernelString(20067, "u.cfg", 2, "rpm"),
               "Error in file u.cfg line 2:\n Invalid CANopen field for the unit rpm.");
}
