// The E2ROM identity block: ids, user text, date, serial and the two checksums kept valid by edits.
#include "kernel/e2rom/E2ROMInfo.h"
#include "suite/zurcomm/DriveSimulator.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(E2ROMInfo, ZeroBlockVerifiesAndHasNoDateOrSerial) {
  tagE2ROMInfo info;
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_STREQ(info.GetDate(), "Not available");
  EXPECT_STREQ(info.GetSerialNo(), "");
  EXPECT_STREQ(info.GetUserInfo(), "");
  EXPECT_EQ(tagE2ROMInfo::GetEditableSizeInWords(), 34);
  EXPECT_EQ(info.GetProdID32bitSum(), 0u);
}

TEST(E2ROMInfo, ProductAndFirmwareIdsFillSixteenWords) {
  tagE2ROMInfo info;
  for (int i = 0; i < 64; ++i) info.m_words[i] = 0xEEEE;
  info.SetProductID("1234.567.8901", "F505H");
  EXPECT_STREQ(info.GetProductID(), "1234.567.8901");
  EXPECT_STREQ(info.GetFirmware(), "F505H");
  EXPECT_EQ(info.m_words[0], '1');
  EXPECT_EQ(info.m_words[10], '1');
  EXPECT_EQ(info.m_words[11], 'F');
  EXPECT_EQ(info.m_words[15], 'H');
  // Characters are sign-extended to a word.
  info.SetProductID("\xE9", "");
  EXPECT_EQ(info.m_words[0], 0xFFE9);
  // A short id leaves the words after it as they were.
  info.SetProductID("99", "");
  EXPECT_EQ(info.m_words[1], '9');
  EXPECT_EQ(info.m_words[2], '3');
  // Null arguments change nothing.
  tagE2ROMInfo before = info;
  info.SetProductID(nullptr, "F");
  info.SetProductID("1", nullptr);
  info.SetUserInfo(nullptr);
  EXPECT_EQ(std::memcmp(&before, &info, 128), 0);
  // The simulator's fresh block reads back the same way.
  auto words = DriveSimulator::IdentityBlock("1000.505.0001", "F505H");
  tagE2ROMInfo drive;
  std::memcpy(drive.m_words, words.data(), 128);
  EXPECT_TRUE(drive.VerifyChecksums());
  EXPECT_STREQ(drive.GetProductID(), "1000.505.0001");
  EXPECT_STREQ(drive.GetFirmware(), "F505H");
}

TEST(E2ROMInfo, EditsKeepBothChecksumsValid) {
  tagE2ROMInfo info;
  // A block with content everywhere and valid checksums.
  for (int i = 0; i < 64; ++i) info.m_words[i] = (WORD)(i * 0x0101 + 7);
  info.SetProdIDChecksum();
  DWORD sum = 0;
  for (int i = 0; i < 31; ++i) sum += info.GetDword(i);
  info.SetDword(31, sum);
  ASSERT_TRUE(info.VerifyChecksums());
  const WORD tail[2] = {info.m_words[62], info.m_words[63]};

  info.SetUserInfo("A user application with a long name beyond thirty");
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_STREQ(info.GetUserInfo(), "A user application with a long");
  info.SetUserInfo("short");
  EXPECT_STREQ(info.GetUserInfo(), "short");
  for (int i = 5; i < 30; ++i) EXPECT_EQ(info.GetByte(32 + i), 0) << i;
  EXPECT_TRUE(info.VerifyChecksums());
  info.SetProductID("2222.333.4444", "F2xxA");
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_EQ(info.m_words[62], tail[0]);
  EXPECT_EQ(info.m_words[63], tail[1]);
  // Words 34 and above are untouched by edits.
  EXPECT_EQ(info.m_words[40], (WORD)(40 * 0x0101 + 7));
  // A changed byte outside the editable part breaks the 32-bit checksum.
  info.SetByte(100, (BYTE)(info.GetByte(100) + 1));
  EXPECT_FALSE(info.VerifyChecksums());
}

TEST(E2ROMInfo, UserInfoReadsAtMostThirtyBytes) {
  tagE2ROMInfo info;
  for (int i = 0; i < 30; ++i) info.SetByte(32 + i, 'x');
  info.SetByte(62, 'y');  // the checksum word follows without a terminator
  info.SetByte(63, 'z');
  EXPECT_EQ(info.GetUserInfo().GetLength(), 30);
}

TEST(E2ROMInfo, DateAndSerial) {
  tagE2ROMInfo info;
  auto date = [&](int y, int m, int d) {
    info.SetByte(70, (BYTE)y);
    info.SetByte(71, (BYTE)m);
    info.SetByte(72, (BYTE)d);
    return CString(info.GetDate());
  };
  EXPECT_STREQ(date(16, 2, 30), "Invalid DateTime");
  EXPECT_STREQ(date(16, 13, 1), "Not available");
  EXPECT_STREQ(date(16, 0, 1), "Not available");
  EXPECT_STREQ(date(16, 1, 32), "Not available");
  EXPECT_STREQ(date(100, 1, 1), "Not available");  // year 2100
  EXPECT_STREQ(date(99, 12, 31), "12/31/2099");
  EXPECT_STREQ(date(16, 2, 29), "02/29/2016");
  auto serial = [&](const char* s) {
    for (int i = 0; i < 6; ++i) info.SetByte(76 + i, (BYTE)s[i]);
    return CString(info.GetSerialNo());
  };
  EXPECT_STREQ(serial("AB1234"), "AB1234");
  EXPECT_STREQ(serial("xy0000"), "xy0000");
  EXPECT_STREQ(serial("A12345"), "");
  EXPECT_STREQ(serial("AB123 "), "");
}
