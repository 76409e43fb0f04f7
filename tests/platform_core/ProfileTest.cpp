// The application profile in both of its modes, kept in INI-format files.
#include "platform/core/Profile.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using dravonix::test::ScratchDir;

namespace {

using dravonix::test::ReadFileText;

std::vector<std::string> Names(const std::vector<CString>& v) {
  std::vector<std::string> out;
  for (const CString& s : v) out.push_back(s.str());
  return out;
}

}  // namespace

TEST(Profile, ConfigurationFolderFollowsTheEnvironment) {
  const std::string xdg = getenv("XDG_CONFIG_HOME");
  EXPECT_EQ(CAppProfile::GetConfigFolder(), (xdg + "/dravonix").c_str());
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(CAppProfile::GetConfigFolder(), "/home/someone/.config/dravonix");
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(CAppProfile::GetConfigFolder(), "/home/someone/.config/dravonix");
  setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  setenv("HOME", home.c_str(), 1);

  CAppProfile app("Kernel Host");
  EXPECT_EQ(app.GetProfileName(), "Kernel Host.ini");
  EXPECT_EQ(app.GetProfileFile(), (xdg + "/dravonix/Kernel Host.ini").c_str());
  EXPECT_FALSE(CAppProfile().GetAppName().IsEmpty());
}

TEST(Profile, IniModeKeepsSectionsAndEntries) {
  CAppProfile app("IniModeApp");
  ASSERT_FALSE(app.IsRegistryMode());
  fs::remove(app.GetProfileFile().str());
  EXPECT_EQ(app.GetProfileString("PageSetup", "Header", "&f %c"), "&f %c");
  EXPECT_EQ(app.GetProfileInt("PageSetup", "HeaderTime", 7), 7u);

  ASSERT_TRUE(app.WriteProfileString("PageSetup", "Header", "&f %c"));
  ASSERT_TRUE(app.WriteProfileInt("PageSetup", "HeaderTime", -1));
  ASSERT_TRUE(app.WriteProfileString("BinaryCodeViewer", "Width", "640"));
  EXPECT_EQ(ReadFileText(app.GetProfileFile().str()),
            "[PageSetup]\r\nHeader=&f %c\r\nHeaderTime=-1\r\n[BinaryCodeViewer]\r\nWidth=640\r\n");
  EXPECT_EQ(app.GetProfileString("pagesetup", "HEADER"), "&f %c");
  EXPECT_EQ((int)app.GetProfileInt("PAGESETUP", "headertime", 0), -1);
  EXPECT_EQ(Names(app.GetSectionEntries("PageSetup")), (std::vector<std::string>{"Header", "HeaderTime"}));
  EXPECT_TRUE(app.SectionExists("binarycodeviewer"));

  // A null value deletes the entry, a null entry the section.
  ASSERT_TRUE(app.WriteProfileString("PageSetup", "Header", nullptr));
  EXPECT_EQ(app.GetProfileString("PageSetup", "Header", "gone"), "gone");
  ASSERT_TRUE(app.WriteProfileString("PageSetup", nullptr, nullptr));
  EXPECT_FALSE(app.SectionExists("PageSetup"));
  EXPECT_EQ(ReadFileText(app.GetProfileFile().str()), "[BinaryCodeViewer]\r\nWidth=640\r\n");

  // Another profile name, given with a folder of its own.
  const fs::path dir = ScratchDir("profile-named");
  app.SetProfileName((dir.string() + "\\Custom.INI").c_str());
  ASSERT_TRUE(app.WriteProfileString("S", "k", "v"));
  EXPECT_EQ(ReadFileText(dir / "Custom.INI"), "[S]\r\nk=v\r\n");
}

TEST(Profile, BinaryEntries) {
  CAppProfile app("BinaryApp");
  const BYTE data[] = {0x01, 0xF0, 0x00, 0x7E};
  ASSERT_TRUE(app.WriteProfileBinary("Bars", "State", data, sizeof data));
  EXPECT_EQ(app.GetProfileString("Bars", "State"), "BAAPAAOH");
  BYTE* back = nullptr;
  UINT n = 0;
  ASSERT_TRUE(app.GetProfileBinary("bars", "state", &back, &n));
  ASSERT_EQ(n, sizeof data);
  EXPECT_EQ(memcmp(back, data, n), 0);
  delete[] back;

  ASSERT_TRUE(app.WriteProfileString("Bars", "Odd", "ABC"));
  EXPECT_FALSE(app.GetProfileBinary("Bars", "Odd", &back, &n));
  EXPECT_EQ(back, nullptr);
  ASSERT_TRUE(app.WriteProfileString("Bars", "Bad", "AZ"));
  EXPECT_FALSE(app.GetProfileBinary("Bars", "Bad", &back, &n));
  EXPECT_FALSE(app.GetProfileBinary("Bars", "Missing", &back, &n));
  EXPECT_FALSE(app.GetProfileBinary("Bars", "State", nullptr, &n));
  EXPECT_FALSE(app.WriteProfileBinary("Bars", "State", nullptr, 3));
}

TEST(Profile, RegistryModeKeepsKeysAndSubkeys) {
  CAppProfile app("RegApp");
  app.SetRegistryKey("Zur Company");
  ASSERT_TRUE(app.IsRegistryMode());
  EXPECT_EQ(app.GetProfileFile(), CAppProfile::GetConfigFolder() + "/registry.ini");
  EXPECT_EQ(app.GetSectionName("Settings\\Find"), "Software\\Zur Company\\RegApp\\Settings\\Find");

  ASSERT_TRUE(app.WriteProfileString("Text Editor", "Bookmark", "0,128,255"));
  ASSERT_TRUE(app.WriteProfileInt("Text Editor\\VKS Files", "Insert", 1));
  ASSERT_TRUE(app.WriteProfileString("Text Editor\\Default Files", "Keywords", ""));
  ASSERT_TRUE(app.WriteProfileString("Text Editor\\Default Files\\Deeper", "x", "1"));
  ASSERT_TRUE(app.WriteProfileString("Settings\\Find", "Text", "  padded  "));
  ASSERT_TRUE(app.WriteProfileString("Settings\\Find", "Quoted", "\"q\""));

  EXPECT_EQ(app.GetProfileInt("text editor\\vks files", "INSERT", 0), 1u);
  EXPECT_EQ(app.GetProfileString("Text Editor", "Bookmark"), "0,128,255");
  // Values come back exactly as written.
  EXPECT_EQ(app.GetProfileString("Settings\\Find", "Text"), "  padded  ");
  EXPECT_EQ(app.GetProfileString("Settings\\Find", "Quoted"), "\"q\"");

  // A key exists when it or a subkey holds something.
  EXPECT_TRUE(app.SectionExists("Settings"));
  EXPECT_TRUE(app.SectionExists("TEXT EDITOR\\vks files"));
  EXPECT_FALSE(app.SectionExists("Grid"));
  EXPECT_EQ(Names(app.GetSubKeys("Text Editor")), (std::vector<std::string>{"Default Files", "VKS Files"}));
  EXPECT_EQ(Names(app.GetSubKeys("")), (std::vector<std::string>{"Settings", "Text Editor"}));
  EXPECT_TRUE(app.GetSubKeys("Grid").empty());

  // A key with subkeys is not deleted as a whole; its subkeys are, one by one.
  EXPECT_FALSE(app.WriteProfileString("Text Editor", nullptr, nullptr));
  EXPECT_EQ(app.GetProfileString("Text Editor", "Bookmark"), "0,128,255");
  ASSERT_TRUE(app.DeleteSubKey("Text Editor", "default files"));
  EXPECT_FALSE(app.SectionExists("Text Editor\\Default Files\\Deeper"));
  EXPECT_FALSE(app.DeleteSubKey("Text Editor", "Default Files"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(app.DeleteSubKey("Text Editor", "VKS Files"));
  ASSERT_TRUE(app.WriteProfileString("Text Editor", nullptr, nullptr));
  EXPECT_FALSE(app.SectionExists("Text Editor"));
  EXPECT_EQ(app.GetProfileString("Settings\\Find", "Text"), "  padded  ");

  // Another company's keys stay apart.
  CAppProfile other("RegApp");
  other.SetRegistryKey("Other");
  EXPECT_FALSE(other.SectionExists("Settings"));
  other.SetRegistryKey(nullptr);
  EXPECT_FALSE(other.IsRegistryMode());
}

TEST(Profile, BadInputFailsCleanly) {
  CAppProfile app("BadInputApp");
  EXPECT_EQ(app.GetProfileString(nullptr, "x", "d"), "d");
  EXPECT_EQ(app.GetProfileString("S", nullptr, "d"), "d");
  EXPECT_EQ(app.GetProfileInt(nullptr, nullptr, 4), 4u);
  EXPECT_FALSE(app.WriteProfileString(nullptr, "x", "v"));
  EXPECT_FALSE(app.WriteProfileString("S", "k", "two\nlines"));
  EXPECT_TRUE(app.GetSectionEntries(nullptr).empty());
  EXPECT_FALSE(app.SectionExists(nullptr));
  EXPECT_FALSE(app.DeleteSubKey("S", nullptr));
  // A profile in a folder that cannot exist.
  app.SetProfileName("/proc/none/app.ini");
  EXPECT_FALSE(app.WriteProfileString("S", "k", "v"));
  EXPECT_EQ(app.GetProfileString("S", "k", "d"), "d");
}

TEST(Profile, ASettingsDialogsWritesAreSyncedOnceBothModes) {
  static int s_syncs;
  for (const char* company : {"", "Maker"}) {
    CAppProfile app("Burst Host");
    app.SetRegistryKey(company);
    s_syncs = 0;
    g_pfnSyncStep = [](const char*) { ++s_syncs; };
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(app.WriteProfileInt("Dialog", ("k" + std::to_string(i)).c_str(), i));
    const int during = s_syncs;
    const UINT read = app.GetProfileInt("Dialog", "k29", -1);
    WritePrivateProfileString(nullptr, nullptr, nullptr, app.GetProfileFile());
    g_pfnSyncStep = nullptr;
    EXPECT_EQ(during, 0) << company;
    EXPECT_EQ(read, 29u) << company;
    EXPECT_EQ(s_syncs, 2) << company;
    EXPECT_EQ(GetLastError(), 0u) << company;
  }
}
