// Loading plug-ins by their .dll names, their exports, handles and paths, and their resources in the chain.
#include "platform/core/FileSystem.h"
#include "platform/core/Module.h"
#include "platform/core/Object.h"
#include "platform/core/Resource.h"
#include "platform/core/String.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using dravonix::test::KernelDir;

namespace {

typedef int (*AddFn)(int, int);
typedef HMODULE (*ModuleFn)();

std::string PluginDll() { return KernelDir() + "/TestPlugins/testplugin.dll"; }
std::string PluginSo() { return KernelDir() + "/TestPlugins/testplugin.so"; }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool InChain(HMODULE h) {
  auto chain = AfxGetResourceChain();
  return std::find(chain.begin(), chain.end(), h) != chain.end();
}

// Runs `body` with the current folder set to `dir`, restoring it afterwards.
template <typename F>
void InFolder(const std::string& dir, F body) {
  char saved[PATH_MAX];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  body();
  ASSERT_EQ(chdir(saved), 0);
}

TEST(ModuleTest, PluginLoadsByDllNameAndItsExportIsCalled) {
  HMODULE h = LoadLibrary(PluginDll().c_str());
  ASSERT_NE(h, nullptr);
  auto add = reinterpret_cast<AddFn>(GetProcAddress(h, "TestPlugin_Add"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 40), 42);

  // The plug-in learns its own handle from one of its symbols.
  auto self = reinterpret_cast<ModuleFn>(GetProcAddress(h, "TestPlugin_Module"));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self(), h);
  EXPECT_EQ(AfxModuleOfAddress(reinterpret_cast<const void*>(add)), h);

  char path[1024];
  DWORD n = GetModuleFileName(h, path, sizeof path);
  EXPECT_EQ(n, strlen(path));
  EXPECT_EQ(std::string(path), PluginSo());
  EXPECT_EQ(AfxGetModuleFilePath(h), PluginSo());

  EXPECT_EQ(GetModuleHandle("testplugin.dll"), h);
  EXPECT_EQ(GetModuleHandle("TESTPLUGIN"), h);
  EXPECT_EQ(GetModuleHandle(PluginSo().c_str()), h);
  EXPECT_EQ(GetModuleHandle(PluginDll().c_str()), h);

  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_EQ(GetModuleHandle("testplugin.dll"), nullptr);
  EXPECT_FALSE(FreeLibrary(h));  // already released
}

TEST(ModuleTest, BackslashesBareNamesAndRelativeFolders) {
  std::string dir = KernelDir() + "/TestPlugins";
  std::string backslashed = dir;
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  HMODULE h = LoadLibrary((backslashed + "\\testplugin.dll").c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(FreeLibrary(h));
  // Stored setups spell module names in any case.
  HMODULE c = LoadLibrary((KernelDir() + "\\testplugins\\TESTPLUGIN.DLL").c_str());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(AfxGetModuleFilePath(c), PluginSo());
  EXPECT_TRUE(FreeLibrary(c));

  // A bare name without extension gets ".dll" and is found in the current folder.
  InFolder(dir, [] {
    HMODULE b = LoadLibrary("testplugin");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(AfxGetModuleFilePath(b), PluginSo());
    EXPECT_TRUE(FreeLibrary(b));
  });
  // A name with a folder is taken relative to the current folder.
  InFolder(KernelDir(), [] {
    HMODULE r = LoadLibrary("TestPlugins\\testplugin.dll");
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(FreeLibrary(r));
  });
  // The same bare name in another current folder is that folder's library, even while the first
  // one stays loaded.
  std::string other = dravonix::test::ScratchDir("otherplugin");
  ASSERT_TRUE(CopyFile(PluginSo().c_str(), (other + "/testplugin.so").c_str(), FALSE));
  HMODULE first = nullptr, second = nullptr;
  InFolder(dir, [&] { first = LoadLibrary("testplugin.dll"); });
  InFolder(other, [&] { second = LoadLibrary("testplugin.dll"); });
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(AfxGetModuleFilePath(second), other + "/testplugin.so");
  FreeLibrary(second);
  FreeLibrary(first);
}

TEST(ModuleTest, LoadsAreCounted) {
  HMODULE a = LoadLibrary(PluginDll().c_str());
  HMODULE b = LoadLibrary(PluginSo().c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(FreeLibrary(a));
  // One load is still held: the export and the strings stay.
  EXPECT_NE(GetProcAddress(b, "TestPlugin_Add"), nullptr);
  std::string s;
  EXPECT_TRUE(LoadStringResource(61001, s));
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_FALSE(LoadStringResource(61001, s));
  EXPECT_FALSE(FreeLibrary(b));
}

TEST(ModuleTest, PluginStringsAndResourcesAreFoundThroughTheChainUntilUnloaded) {
  std::string s;
  ASSERT_FALSE(LoadStringResource(61001, s));
  EXPECT_EQ(AfxFindResourceHandle("ModuleIcon", RT_BITMAP), nullptr);

  HMODULE h = LoadLibrary(PluginDll().c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(InChain(h));

  CString text;
  EXPECT_TRUE(text.LoadString(61001));
  EXPECT_EQ(text, "Test plug-in loaded");
  ASSERT_TRUE(LoadStringResource(61002, s));
  EXPECT_EQ(s, "Second string of the test plug-in");
  char buf[64];
  EXPECT_EQ(AfxLoadString(61001, buf, sizeof buf), 19);
  EXPECT_STREQ(buf, "Test plug-in loaded");
  EXPECT_EQ(AfxFindStringResourceHandle(61001), h);

  // Named bitmap (PNG bytes embedded at build time), names without regard to case.
  EXPECT_EQ(AfxFindResourceHandle("moduleicon", RT_BITMAP), h);
  HRSRC icon = FindResource(h, "MODULEICON", RT_BITMAP);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(SizeofResource(h, icon), 73u);
  const auto* png = static_cast<const unsigned char*>(LockResource(LoadResource(h, icon)));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_EQ(FindResource(h, "ModuleIcon", RT_ICON), nullptr);  // type matters

  // Numbered data, by number and by "#number".
  HRSRC data = FindResource(h, MAKEINTRESOURCE(61020), RT_RCDATA);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(FindResource(h, "#61020", RT_RCDATA), data);
  EXPECT_EQ(std::string(static_cast<const char*>(LoadResource(h, data)), SizeofResource(h, data)), "gain=3");

  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_FALSE(LoadStringResource(61001, s));
  EXPECT_FALSE(text.LoadString(61002));
  EXPECT_EQ(AfxLoadString(61001, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(AfxFindResourceHandle("ModuleIcon", RT_BITMAP), nullptr);
  EXPECT_EQ(AfxFindStringResourceHandle(61001), nullptr);
  EXPECT_FALSE(InChain(h));

  // Loaded again, its strings are back.
  HMODULE again = LoadLibrary(PluginDll().c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(LoadStringResource(61001, s));
  EXPECT_TRUE(FreeLibrary(again));
}

TEST(ModuleTest, PluginClassesLeaveTheRegistryWithTheirLibrary) {
  EXPECT_EQ(CRuntimeClass::FromName("CTestPluginObject"), nullptr);
  for (int round = 0; round < 2; ++round) {
    HMODULE h = LoadLibrary(PluginDll().c_str());
    ASSERT_NE(h, nullptr);
    CObject* object = CRuntimeClass::CreateObject("CTestPluginObject");
    ASSERT_NE(object, nullptr) << "round " << round;
    EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, "CTestPluginObject");
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    delete object;
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(CRuntimeClass::FromName("CTestPluginObject"), nullptr);
    // The classes of the library itself are still found.
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  }
}

// The host's tables come first, then the kernel's, then plug-ins in load order.
const RESOURCE_STRING kHostStrings[] = {{61010, "host copy"}};
const RESOURCE_TABLE kHostTable = {kHostStrings, 1, nullptr, 0};
const RESOURCE_STRING kLibraryStrings[] = {{61010, "library copy"}, {61011, "library only"}};
const RESOURCE_TABLE kLibraryTable = {kLibraryStrings, 2, nullptr, 0};

TEST(ModuleTest, ChainOrderIsHostThenLibrariesThenPluginsAndTheResourceHandleFirst) {
  HMODULE main = AfxGetInstanceHandle();
  // The platform library stands in for the kernel: a library that joined before any plug-in.
  HMODULE library = AfxModuleOfAddress((const void*)&LoadLibrary);
  ASSERT_TRUE(AfxRegisterResourceTable(library, &kLibraryTable));
  HMODULE plugin = LoadLibrary(PluginDll().c_str());
  ASSERT_NE(plugin, nullptr);

  auto chain = AfxGetResourceChain();
  auto pos = [&](HMODULE h) { return std::find(chain.begin(), chain.end(), h) - chain.begin(); };
  ASSERT_TRUE(InChain(library));
  EXPECT_EQ(pos(main), 0);
  EXPECT_LT(pos(library), pos(plugin));

  std::string s;
  ASSERT_TRUE(LoadStringResource(61010, s));
  EXPECT_EQ(s, "library copy");  // the host has no 61010 yet
  ASSERT_TRUE(AfxRegisterResourceTable(&kHostTable));  // lands in the main program
  ASSERT_TRUE(LoadStringResource(61010, s));
  EXPECT_EQ(s, "host copy");
  ASSERT_TRUE(LoadStringResource(plugin, 61010, s));
  EXPECT_EQ(s, "plug-in copy");

  AfxSetResourceHandle(plugin);
  EXPECT_EQ(AfxGetResourceHandle(), plugin);
  ASSERT_TRUE(LoadStringResource(61010, s));
  EXPECT_EQ(s, "plug-in copy");
  ASSERT_TRUE(LoadStringResource(61011, s));  // the rest of the chain is still searched
  EXPECT_EQ(s, "library only");

  // Unloading the resource module puts the default back.
  EXPECT_TRUE(FreeLibrary(plugin));
  EXPECT_EQ(AfxGetResourceHandle(), main);
  AfxUnregisterResourceTable(&kHostTable);
  AfxUnregisterResourceTable(&kLibraryTable);
  EXPECT_FALSE(LoadStringResource(61010, s));
}

TEST(ModuleTest, MainProgramAndPlatformLibrary) {
  HMODULE main = GetModuleHandle(nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main, AfxGetInstanceHandle());
  char path[1024];
  ASSERT_GT(GetModuleFileName(nullptr, path, sizeof path), 0u);
  EXPECT_TRUE(EndsWith(path, "/test_platform_core")) << path;
  EXPECT_EQ(AfxGetModuleFilePath(main), path);

  HMODULE platform = AfxModuleOfAddress((const void*)&LoadLibrary);
  ASSERT_NE(platform, nullptr);
  EXPECT_NE(platform, main);
  EXPECT_TRUE(EndsWith(AfxGetModuleFilePath(platform), "/libdravonix-platform.so"));
  EXPECT_EQ(path[0], '/');
  // The original name finds the library under its Linux name.
  EXPECT_EQ(GetModuleHandle("dravonix-platform.dll"), platform);
  EXPECT_EQ(GetModuleHandle("libdravonix-platform.so"), platform);

  // A short buffer gets a truncated, terminated path.
  char small[5];
  EXPECT_EQ(GetModuleFileName(platform, small, sizeof small), 5u);
  EXPECT_EQ(strlen(small), 4u);
  EXPECT_EQ(std::string(small), AfxGetModuleFilePath(platform).substr(0, 4));

  // Modules that LoadLibrary did not load are not released.
  EXPECT_FALSE(FreeLibrary(platform));
  EXPECT_FALSE(FreeLibrary(main));
}

TEST(ModuleTest, LoadsFreesAndLookUpsFromManyThreads) {
  HMODULE held = LoadLibrary(PluginDll().c_str());  // keeps the plug-in mapped while threads churn
  ASSERT_NE(held, nullptr);
  std::vector<std::thread> threads;
  std::vector<int> failures(6, 0);
  for (int t = 0; t < 6; ++t)
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 40; ++i) {
        HMODULE h = LoadLibrary(PluginDll().c_str());
        auto add = h ? reinterpret_cast<AddFn>(GetProcAddress(h, "TestPlugin_Add")) : nullptr;
        std::string s;
        if (!add || add(t, i) != t + i || !LoadStringResource(61001, s) || s != "Test plug-in loaded")
          ++failures[t];
        if (!FreeLibrary(h)) ++failures[t];
      }
    });
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
  EXPECT_TRUE(FreeLibrary(held));

  // Now the plug-in really comes and goes while readers copy its strings and find its bitmap.
  threads.clear();
  std::atomic<bool> stop{false};
  std::atomic<int> found{0};
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 30; ++i) FreeLibrary(LoadLibrary(PluginDll().c_str()));
    });
  std::thread reader([&] {
    while (!stop) {
      std::string s;
      if (LoadStringResource(61002, s) && s == "Second string of the test plug-in") ++found;
      HMODULE h = AfxFindResourceHandle("ModuleIcon", RT_BITMAP);
      (void)SizeofResource(h, FindResource(h, "ModuleIcon", RT_BITMAP));
    }
  });
  for (auto& th : threads) th.join();
  stop = true;
  reader.join();
  std::string s;
  EXPECT_FALSE(LoadStringResource(61001, s));
  EXPECT_EQ(GetModuleHandle("testplugin.dll"), nullptr);
}

TEST(ModuleTest, BadInputFailsCleanly) {
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_EQ(LoadLibrary("no_such_module.dll"), nullptr);
  EXPECT_EQ(LoadLibrary("."), nullptr);  // never the main program
  EXPECT_EQ(LoadLibrary("/"), nullptr);
  EXPECT_EQ(LoadLibrary((KernelDir() + "/TestPlugins/").c_str()), nullptr);
  EXPECT_EQ(LoadLibrary(KernelDir().c_str()), nullptr);  // a folder
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibrary((KernelDir() + "/Nowhere/testplugin.dll").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);

  // A file that is not a shared object.
  std::string bogus = dravonix::test::ScratchDir("modules") + "/bogus.dll";
  std::ofstream(bogus) << "MZ not a shared object";
  EXPECT_EQ(LoadLibrary(bogus.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_EXE_FORMAT);
  EXPECT_STREQ(ErrorTextOf(GetLastError()), (bogus + " is not a valid Win32 application.\r\n").c_str());
  EXPECT_NE(AfxGetModuleLoadMessage().find("bogus.dll"), std::string::npos) << AfxGetModuleLoadMessage();

  HMODULE h = LoadLibrary(PluginDll().c_str());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetProcAddress(h, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(h, nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(h, ""), nullptr);
  // Only the module's own exports: not those of the libraries it uses.
  EXPECT_EQ(GetProcAddress(h, "malloc"), nullptr);
  EXPECT_TRUE(FreeLibrary(h));

  HMODULE junk = reinterpret_cast<HMODULE>(uintptr_t{0x1234});
  EXPECT_EQ(GetProcAddress(nullptr, "TestPlugin_Add"), nullptr);
  EXPECT_EQ(GetProcAddress(junk, "TestPlugin_Add"), nullptr);
  EXPECT_EQ(GetProcAddress(h, "TestPlugin_Add"), nullptr);  // stale handle
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(junk));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
  char path[64] = "x";
  EXPECT_EQ(GetModuleFileName(junk, path, sizeof path), 0u);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(GetModuleFileName(nullptr, nullptr, 10), 0u);
  EXPECT_EQ(GetModuleFileName(nullptr, path, 0), 0u);
  EXPECT_EQ(GetModuleHandle(""), nullptr);
  EXPECT_EQ(GetModuleHandle("no_such_module.dll"), nullptr);
  EXPECT_EQ(AfxModuleOfAddress(nullptr), nullptr);
  int local = 0;
  EXPECT_EQ(AfxModuleOfAddress(&local), nullptr);
}

}  // namespace
