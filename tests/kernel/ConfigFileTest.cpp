#include "kernel/ConfigFile.h"

#include "kernel/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/Ini.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string WriteFile(const std::string& name, const std::string& bytes) {
  std::string path = dravonix::test::ScratchDir("cfg") + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::vector<std::pair<int, std::string>> ReadAll(const std::string& path) {
  FILE* f = OpenConfigFile(path.c_str(), 0);
  std::vector<std::pair<int, std::string>> lines;
  CString line;
  int n = 0;
  while (ReadConfigFileLine(f, line, n)) lines.emplace_back(n, line.GetString());
  EXPECT_EQ(f, nullptr);
  return lines;
}

}  // namespace

TEST(ConfigFile, LinesCommentsAndNumbering) {
  auto lines = ReadAll(WriteFile("a.cfg", "a\nb"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], std::make_pair(2, std::string("b")));

  lines = ReadAll(WriteFile("b.cfg", "# only a comment\r\n  abc # x\r\n\r\n\tdef\r\n"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::make_pair(2, std::string("abc")));
  EXPECT_EQ(lines[1], std::make_pair(4, std::string("def")));
}

TEST(ConfigFile, EscapedStringsRoundTrip) {
  CString text("a#b\"c\\d\r\ne");
  CString escaped = EscapeString(text);
  EXPECT_EQ(escaped.Find('#'), -1);
  EXPECT_EQ(escaped, "\"a\\db\\\"c\\\\d\\r\\ne\"");
  CString line = escaped + "  rest";
  CString back;
  ASSERT_TRUE(ReadEscapedStringFromConfigLine(line, back));
  EXPECT_EQ(back, text);
  EXPECT_EQ(line, "rest");

  CString bad("\"open");
  EXPECT_FALSE(ReadEscapedStringFromConfigLine(bad, back));
  bad = "\"ends in backslash\\";
  EXPECT_FALSE(ReadEscapedStringFromConfigLine(bad, back));
  bad = "noquote";
  EXPECT_FALSE(ReadEscapedStringFromConfigLine(bad, back));
  CString t("\"\\t\"");
  ASSERT_TRUE(ReadEscapedStringFromConfigLine(t, back));
  EXPECT_EQ(back, "t");
}

TEST(ConfigFile, NumberFields) {
  LONG v = 0;
  CString line("12-3");
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 12);
  EXPECT_EQ(line, "-3");
  line = "-12 rest";
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, -12);
  EXPECT_EQ(line, "rest");
  line = "0x10";
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 0);
  EXPECT_EQ(line, "x10");
  line = "99999999999 x";
  EXPECT_FALSE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(line, "x");

  double d = 0;
  line = "1.5-2 z";
  ASSERT_TRUE(ReadDoubleFromConfigLine(line, d));
  EXPECT_EQ(d, 1.5);
  EXPECT_EQ(line, "z");
  line = "abc";
  EXPECT_FALSE(ReadDoubleFromConfigLine(line, d));
}

TEST(ConfigFile, KernelFolderAndMissingFiles) {
  CString dir = GetKernelDirectory();
  ASSERT_FALSE(dir.IsEmpty());
  EXPECT_EQ(dir.Right(1), "\\");
  EXPECT_EQ(GetFirmwareDirectory(), dir + "Firmware\\");
  EXPECT_TRUE(ExistConfigFile("kernel.cfg"));
  EXPECT_FALSE(ExistConfigFile(nullptr));

  Automation::Instance().ClearMessageBoxes();
  g_bShowErrors = TRUE;
  EXPECT_EQ(OpenConfigFile("no-such.cfg", 0), nullptr);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Cannot open file " + std::string(dir) + "no-such.cfg!");
  g_bShowErrors = FALSE;
  EXPECT_EQ(OpenConfigFile("no-such.cfg", 0), nullptr);
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  g_bShowErrors = TRUE;
}

TEST(ConfigFile, CommunicationSettings) {
  CString ini = GetKernelConfigFilePath();
  WritePrivateProfileString("Communication", "HostAddress", "300", ini);
  WritePrivateProfileString("Communication", "ActiveAddress", "300", ini);
  WritePrivateProfileString("Communication", "Type", "130", ini);
  WritePrivateProfileString("Communication", "EEPROMWriteProtection", "9", ini);
  int offline;
  BYTE flag, type;
  CString channel;
  DWORD baud;
  WORD host, active, prot;
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  EXPECT_EQ(host, 255);
  EXPECT_EQ(active, 0);
  EXPECT_EQ(flag, 128);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(prot, 3);

  SaveCommunicationSettings(0, 128, 2, "SIM1", 57600, 255, 300, 1);
  char buf[32];
  GetPrivateProfileString("Communication", "Type", "", buf, sizeof buf, ini);
  EXPECT_STREQ(buf, "130");
  GetPrivateProfileString("Communication", "ActiveAddress", "", buf, sizeof buf, ini);
  EXPECT_STREQ(buf, "300");  // an out-of-range address is not written
  GetPrivateProfileString("Communication", "BaudRate", "", buf, sizeof buf, ini);
  EXPECT_STREQ(buf, "57600");

  SaveNetServerAuth("alice", "secret");
  CString user, password;
  GetNetServerAuth(user, password);
  EXPECT_EQ(user, "alice");
  EXPECT_TRUE(password.IsEmpty());
}
