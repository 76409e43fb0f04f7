#include "kernel/values/ConfigFile.h"

#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/Ini.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(ConfigFile, PhysicalLinesEndAtTheLastText) {
  const struct {
    std::string bytes, lines;  // the lines read, each with its number, ";" after each
  } cases[] = {
      {"a\n\r", "1 a;"},
      {"a\r\n\r\r", "1 a;"},
      {"a\n\r\n", "1 a;2 ;"},
      {"\r\nb\rc", "1 ;2 bc;"},
      {"", ""},
  };
  for (const auto& c : cases) {
    FILE* f = OpenConfigFile(WriteFile("raw.cfg", c.bytes).c_str(), 0);
    std::string lines;
    CString line;
    int n = 0;
    while (ReadLine(f, line, n)) lines += std::to_string(n) + " " + line.GetString() + ";";
    fclose(f);
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
}

TEST(ConfigFile, BlockReaderGivesTheLinesOfTheLineReader) {
  const std::string longLine(70000, 'x');
  const struct {
    std::string bytes;
    size_t physical;
  } cases[] = {
      {"a\r b\rc \r\n", 1},
      {" \r\t# c\r\n\r\r\n x\r", 3},
      {"p # q\n\n" + longLine + "\n\tlast\t", 4},
      {"", 0},
  };
  for (const auto& c : cases) {
    std::string path = WriteFile("block.cfg", c.bytes);
    FILE* f = OpenConfigFile(path.c_str(), 0);
    CConfigLineReader reader(f);
    EXPECT_EQ(reader.CountLines(), c.physical);
    std::vector<std::pair<int, std::string>> lines;
    CString line;
    int n = 0;
    while (reader.Next(line, n)) lines.emplace_back(n, line.GetString());
    fclose(f);
    EXPECT_EQ(lines, ReadAll(path)) << c.bytes.substr(0, 20);
  }
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
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Cannot open file " + std::string(ShownFileName(dir)) + "no-such.cfg!");
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

  // A stored password goes when the user name is saved; the one given is never stored.
  WritePrivateProfileString("Network", "ServerPassword", "stored", ini);
  SaveNetServerAuth("alice", "secret");
  CString user, password;
  GetNetServerAuth(user, password);
  EXPECT_EQ(user, "alice");
  EXPECT_TRUE(password.IsEmpty());
  GetPrivateProfileString("Network", "ServerPassword", "(none)", buf, sizeof buf, ini);
  EXPECT_STREQ(buf, "(none)");
  // An empty user name reads as the signed-in user's; a channel reads at most 127 characters.
  WritePrivateProfileString("Network", "ServerUserName", "", ini);
  char me[256];
  DWORD n = sizeof me;
  ASSERT_TRUE(GetUserName(me, &n));
  GetNetServerAuth(user, password);
  EXPECT_EQ(user, me);
  WritePrivateProfileString("Communication", "Channel", std::string(200, 'c').c_str(), ini);
  LoadCommunicationSettings(offline, flag, type, channel, baud, host, active, prot);
  EXPECT_EQ(channel, CString(std::string(127, 'c').c_str()));
  WritePrivateProfileString("Communication", "Channel", nullptr, ini);
  WritePrivateProfileString("Network", "ServerUserName", nullptr, ini);
}

TEST(ConfigFile, LineEndingsAbsoluteNamesAndFolders) {
  auto lf = ReadAll(WriteFile("lf.cfg", "one\n  two # c\n\"x\" 3\n"));
  auto crlf = ReadAll(WriteFile("crlf.cfg", "one\r\n  two # c\r\n\"x\" 3"));
  EXPECT_EQ(lf, crlf);
  ASSERT_EQ(lf.size(), 3u);
  EXPECT_EQ(lf[2], std::make_pair(3, std::string("\"x\" 3")));

  // A name with a drive letter is used as it stands, not put under the kernel folder.
  EXPECT_EQ(ResolveConfigFileName("C:\\data\\a.cfg"), "C:\\data\\a.cfg");
  EXPECT_EQ(ResolveConfigFileName("\\data\\a.cfg"), "\\data\\a.cfg");
  EXPECT_EQ(ResolveConfigFileName("Units\\units.cfg"), GetKernelDirectory() + "Units\\units.cfg");
  EXPECT_EQ(ResolveConfigFileName(nullptr), GetKernelDirectory());

  // A folder does not open as a file.
  g_bShowErrors = FALSE;
  EXPECT_EQ(OpenConfigFile(nullptr, 0), nullptr);
  EXPECT_EQ(OpenConfigFile(dravonix::test::ScratchDir("folder").c_str(), 0), nullptr);
  g_bShowErrors = TRUE;

  // Writers open "wb": what is written comes back byte for byte.
  std::string path = dravonix::test::ScratchDir("w") + "/out.cfg";
  FILE* f = OpenConfigFile(path.c_str(), 1);
  ASSERT_NE(f, nullptr);
  fputs((EscapeString("a#b") + " 5\r\n").GetString(), f);
  fclose(f);
  f = OpenConfigFile(path.c_str(), 0);
  CString line, text;
  int n = 0;
  ASSERT_TRUE(ReadConfigFileLine(f, line, n));
  ASSERT_TRUE(ReadEscapedStringFromConfigLine(line, text));
  EXPECT_EQ(text, "a#b");
  LONG v = 0;
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 5);
  EXPECT_FALSE(ReadConfigFileLine(f, line, n));
  EXPECT_EQ(f, nullptr);
}

TEST(ConfigFile, NumberLimits) {
  LONG v = 0;
  CString line("000000000000000000042 x");
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 42);
  line = "2147483647";
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 2147483647);
  line = "-2147483648";
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, INT32_MIN);
  v = 7;
  line = "2147483648";
  EXPECT_FALSE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 7);
  line = "-99999999999999999999999";
  EXPECT_FALSE(ReadLongFromConfigLine(line, v));
  EXPECT_TRUE(line.IsEmpty());
  line = "- 4";
  EXPECT_FALSE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(line, "4");
  line = "+8";
  ASSERT_TRUE(ReadLongFromConfigLine(line, v));
  EXPECT_EQ(v, 8);
}

TEST(ConfigFile, ModulesHelpFilesAndBuildVersion) {
  HMODULE kernel = GetKernelModuleHandle();
  ASSERT_NE(kernel, nullptr);
  CString help;
  ASSERT_TRUE(GetHelpFileOfModule(kernel, help));
  EXPECT_EQ(help.Right(15), "libdravonix.chm");
  // No module is the host's executable; a handle of nothing loaded has no file.
  ASSERT_TRUE(GetHelpFileOfModule(nullptr, help));
  EXPECT_EQ(help, (std::filesystem::read_symlink("/proc/self/exe").string() + ".chm").c_str());
  EXPECT_FALSE(GetHelpFileOfModule((HINSTANCE)&help, help));
  EXPECT_TRUE(help.IsEmpty());
  EXPECT_EQ(ReplaceExtensionWithChm("a.b\\c"), "a.b\\c.chm");
  EXPECT_EQ(ReplaceExtensionWithChm("x\\GUI.dll"), "x\\GUI.chm");
  EXPECT_EQ(GetKernelHelpFile(), GetKernelDirectory() + "kernel.chm");
  EXPECT_EQ(GetZURHelpFile(), GetKernelDirectory() + "VKS.chm");

  std::string update = dravonix::test::KernelDir() + "/update.cfg";
  std::ofstream(update, std::ios::binary) << "\"kernel\" 120\r\n\"gui\" 7\r\n# comment\r\nbad 900\r\n\"big\" 4000000000\r\n";
  EXPECT_EQ(GetBuildVersion(), 4000000000u);
  std::remove(update.c_str());
  g_bShowErrors = FALSE;
  EXPECT_EQ(GetBuildVersion(), 0u);
  g_bShowErrors = TRUE;
}
