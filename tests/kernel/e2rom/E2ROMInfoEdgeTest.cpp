// Edge cases of the E2ROM identity block: over-long ids and the words an edit leaves alone.
#include "kernel/e2rom/E2ROMInfo.h"

#include <gtest/gtest.h>

TEST(E2ROMInfoEdge, OnlyTheFirstSixteenCharactersOfTheProductCount) {
  tagE2ROMInfo info;
  // 16 characters with three dots give 13 id characters; the firmware fills the rest up to word 15.
  info.SetProductID("1234.567.8901.2345", "F505H");
  EXPECT_STREQ(info.GetProductID(), "1234.567.8901");
  EXPECT_EQ(info.m_words[11], '2');
  EXPECT_EQ(info.m_words[13], 'F');
  EXPECT_EQ(info.m_words[15], '0');
  EXPECT_STREQ(info.GetFirmware(), "23F50");
  EXPECT_TRUE(info.VerifyChecksums());
  // Without dots the product takes all sixteen words and no firmware character fits.
  info.SetProductID("ABCDEFGHIJKLMNOPQ", "F505H");
  EXPECT_EQ(info.m_words[15], 'P');
  EXPECT_STREQ(info.GetFirmware(), "LMNOP");
  EXPECT_TRUE(info.VerifyChecksums());
}

TEST(E2ROMInfoEdge, EditsLeaveTheDateAndSerial) {
  tagE2ROMInfo info;
  info.SetByte(70, 16);
  info.SetByte(71, 2);
  info.SetByte(72, 29);
  const char serial[] = "KX0042";
  for (int i = 0; i < 6; ++i) info.SetByte(76 + i, (unsigned char)serial[i]);
  // Give the block valid checksums, as a drive holds it.
  info.SetProdIDChecksum();
  DWORD sum = 0;
  for (int i = 0; i < 31; ++i) sum += info.GetDword(i);
  info.SetDword(31, sum);
  ASSERT_TRUE(info.VerifyChecksums());
  info.SetProductID("1000.505.0001", "F505H");
  info.SetUserInfo("Cell 4");
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_STREQ(info.GetSerialNo(), "KX0042");
  EXPECT_STREQ(info.GetDate(), "02/29/2016");
  EXPECT_STREQ(info.GetUserInfo(), "Cell 4");
  tagE2ROMInfo copy;
  copy = info;
  EXPECT_TRUE(copy.VerifyChecksums());
  copy.Reset();
  EXPECT_STREQ(copy.GetProductID(), "..");
  EXPECT_STREQ(copy.GetFirmware(), "");
}
