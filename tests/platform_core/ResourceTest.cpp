// Resource tables of the main program: strings, named and numbered entries, and bad handles.
#include "platform/core/Resource.h"
#include "platform/core/String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const RESOURCE_STRING kStrings[] = {
    {62001, "Drive not found."},
    {62002, "status text\ntool tip"},
    {62003, ""},
};
const BYTE kDialog[] = {1, 2, 3, 4, 5};
const char kMenu[] = "menu";
const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(62100), kDialog, sizeof kDialog},
    {RT_MENU, "MainMenu", kMenu, 4},
    {"CUSTOM", "Blob", kMenu, 2},
};
const RESOURCE_TABLE kTable = {kStrings, 3, kEntries, 3};

// Registered by the program itself at start-up, as a host does.
CResourceTableRegistration g_registration(kTable);

TEST(ResourceTest, StringTableOfTheMainProgram) {
  std::string s;
  ASSERT_TRUE(LoadStringResource(62001, s));
  EXPECT_EQ(s, "Drive not found.");
  ASSERT_TRUE(LoadStringResource(nullptr, 62002, s));
  EXPECT_EQ(s, "status text\ntool tip");
  ASSERT_TRUE(LoadStringResource(62003, s));  // present, empty
  EXPECT_EQ(s, "");
  EXPECT_EQ(AfxFindStringResourceHandle(62001), AfxGetInstanceHandle());

  CString text("old");
  EXPECT_TRUE(text.LoadString(62001));
  EXPECT_EQ(text, "Drive not found.");
  EXPECT_FALSE(text.LoadString(62999));

  // Win32 copying: truncated to the buffer, always terminated.
  char buf[8];
  EXPECT_EQ(LoadString(nullptr, 62001, buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "Drive n");
  EXPECT_EQ(AfxLoadString(62001, buf, 1), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(LoadString(AfxGetInstanceHandle(), 62999, buf, sizeof buf), 0);
  EXPECT_EQ(LoadString(nullptr, 62001, nullptr, 8), 0);
  EXPECT_EQ(LoadString(nullptr, 62001, buf, 0), 0);
  EXPECT_EQ(AfxLoadString(62001, nullptr, 8), 0);
}

TEST(ResourceTest, EntriesByNumberNameAndType) {
  HMODULE main = AfxGetInstanceHandle();
  HRSRC dlg = FindResource(nullptr, MAKEINTRESOURCE(62100), RT_DIALOG);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(FindResource(main, "#62100", RT_DIALOG), dlg);
  EXPECT_EQ(SizeofResource(main, dlg), 5u);
  EXPECT_EQ(LockResource(LoadResource(main, dlg)), (const void*)kDialog);
  EXPECT_FALSE(FreeResource(LoadResource(main, dlg)));

  EXPECT_NE(FindResource(main, "mainmenu", RT_MENU), nullptr);
  EXPECT_NE(FindResource(main, "Blob", "custom"), nullptr);
  EXPECT_EQ(FindResource(main, "Blob", RT_RCDATA), nullptr);
  EXPECT_EQ(FindResource(main, "#62101", RT_DIALOG), nullptr);
  EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(62100), RT_DIALOG), main);
  EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(62101), RT_DIALOG), nullptr);
}

TEST(ResourceTest, BadHandlesAndNamesFailCleanly) {
  HMODULE main = AfxGetInstanceHandle();
  EXPECT_EQ(FindResource(main, nullptr, RT_DIALOG), nullptr);
  EXPECT_EQ(FindResource(main, "", nullptr), nullptr);
  EXPECT_EQ(FindResource(main, "#", RT_DIALOG), nullptr);
  HMODULE junk = reinterpret_cast<HMODULE>(uintptr_t{0x5678});
  EXPECT_EQ(FindResource(junk, MAKEINTRESOURCE(62100), RT_DIALOG), nullptr);

  // Handles that FindResource did not give are refused.
  RESOURCE_ENTRY fake = {RT_DIALOG, MAKEINTRESOURCE(1), kDialog, 5};
  HRSRC forged = reinterpret_cast<HRSRC>(&fake);
  EXPECT_EQ(SizeofResource(main, forged), 0u);
  EXPECT_EQ(LoadResource(main, forged), nullptr);
  EXPECT_EQ(SizeofResource(main, nullptr), 0u);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  HRSRC dlg = FindResource(main, MAKEINTRESOURCE(62100), RT_DIALOG);
  EXPECT_EQ(SizeofResource(junk, dlg), 0u);  // not that module's

  EXPECT_FALSE(AfxRegisterResourceTable(nullptr));
  EXPECT_FALSE(AfxRegisterResourceTable(main, nullptr));
  EXPECT_FALSE(AfxRegisterResourceTable(junk, &kTable));
  RESOURCE_TABLE stray = {kStrings, 1, nullptr, 0};
  EXPECT_FALSE(AfxRegisterResourceTable(&stray));  // outside every module
  AfxUnregisterResourceTable(nullptr);
  AfxUnregisterResourceTable(&stray);

  // Null arrays with counts are read as empty.
  RESOURCE_TABLE hollow = {nullptr, 5, nullptr, 7};
  EXPECT_TRUE(AfxRegisterResourceTable(main, &hollow));
  std::string s;
  EXPECT_TRUE(LoadStringResource(62001, s));
  AfxUnregisterResourceTable(&hollow);
}

TEST(ResourceTest, TablesComeAndGo) {
  static const RESOURCE_STRING more[] = {{62500, "added later"}, {62001, "shadowed"}};
  static const RESOURCE_TABLE table = {more, 2, nullptr, 0};
  std::string s;
  EXPECT_FALSE(LoadStringResource(62500, s));
  ASSERT_TRUE(AfxRegisterResourceTable(&table));
  ASSERT_TRUE(LoadStringResource(62500, s));
  EXPECT_EQ(s, "added later");
  ASSERT_TRUE(LoadStringResource(62001, s));
  EXPECT_EQ(s, "Drive not found.");  // the earlier table wins
  AfxUnregisterResourceTable(&table);
  EXPECT_FALSE(LoadStringResource(62500, s));
  EXPECT_TRUE(LoadStringResource(62001, s));
}

TEST(ResourceTest, ExtensionModuleJoinsTheChainUntilTerminated) {
  HMODULE platform = AfxModuleOfAddress((const void*)&AfxLoadString);
  ASSERT_NE(platform, nullptr);
  auto inChain = [&] {
    auto chain = AfxGetResourceChain();
    for (HMODULE h : chain)
      if (h == platform) return true;
    return false;
  };
  ASSERT_FALSE(inChain());
  AFX_EXTENSION_MODULE ext = {FALSE, nullptr, nullptr};
  EXPECT_FALSE(AfxInitExtensionModule(ext, nullptr));
  ASSERT_TRUE(AfxInitExtensionModule(ext, platform));
  CDynLinkLibrary* lib = new CDynLinkLibrary(ext);
  EXPECT_TRUE(lib->IsKindOf(RUNTIME_CLASS(CDynLinkLibrary)));
  EXPECT_EQ(lib->m_hModule, platform);
  EXPECT_TRUE(inChain());
  AfxTermExtensionModule(ext);  // deletes `lib`
  EXPECT_FALSE(inChain());
}

}  // namespace
