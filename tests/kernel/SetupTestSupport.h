// Shared set-up of the setup model tests: message boxes recorded, the GUI and interpreter stand-ins
// reset, scratch setup directories written from text.
#pragma once

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/Automation.h"
#include "platform/core/Module.h"
#include "tests/kernel/SetupPtr.h"
#include "suite/zip/ZipLibraries.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Packs every file below `from`, as another program packs a folder.
inline void PackByHand(const std::string& from, const std::string& zip) {
  std::vector<std::string> paths;
  for (auto& e : std::filesystem::recursive_directory_iterator(from))
    if (e.is_regular_file()) paths.push_back(e.path().string());
  std::vector<char*> names;
  for (std::string& p : paths) names.push_back(p.data());
  ZIPUSERFUNCTIONS functions{};
  ZPOPT options{};
  options.szRootDir = from.c_str();
  options.fLevel = '6';
  ZCL zcl{(int)names.size(), zip.c_str(), names.data()};
  ASSERT_TRUE(ZpInit(&functions) == 0 && ZpSetOptions(&options) != 0 && ZpArchive(zcl) == 0);
}

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
    // Held for the whole test, so that scripts given before a setup loads them are kept.
    m_gui = LoadLibrary((dravonix::test::KernelDir() + "/GUIs/drvgui.dll").c_str());
    m_interpreter = LoadLibrary((dravonix::test::KernelDir() + "/interpreter.dll").c_str());
    ASSERT_TRUE(m_gui && m_interpreter);
    Script("drvgui.dll", "GuiStandIn_Script", "reset");
    Script("interpreter.dll", "InterpStandIn_Script", "reset");
  }
  void TearDown() override {
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
    if (m_gui) FreeLibrary(m_gui);
    if (m_interpreter) FreeLibrary(m_interpreter);
  }

  HMODULE m_gui = nullptr;
  HMODULE m_interpreter = nullptr;

  // Runs a control command of a stand-in module (loaded for the call).
  static int Script(const char* module, const char* entry, const char* command) {
    std::string path = dravonix::test::KernelDir() + (std::string(module) == "drvgui.dll" ? "/GUIs/" : "/") + module;
    HMODULE h = LoadLibrary(path.c_str());
    EXPECT_NE(h, nullptr) << path;
    if (!h) return 0;
    auto fn = reinterpret_cast<int (*)(const char*)>(GetProcAddress(h, entry));
    int r = fn ? fn(command) : 0;
    FreeLibrary(h);
    return r;
  }
  static int GuiCount(const char* entry) {
    std::string path = dravonix::test::KernelDir() + "/GUIs/drvgui.dll";
    HMODULE h = LoadLibrary(path.c_str());
    auto fn = reinterpret_cast<int (*)(const char*)>(GetProcAddress(h, "GuiStandIn_Count"));
    int r = fn ? fn(entry) : -1;
    FreeLibrary(h);
    return r;
  }
  static std::string InterpreterLog() {
    std::string path = dravonix::test::KernelDir() + "/interpreter.dll";
    HMODULE h = LoadLibrary(path.c_str());
    auto fn = reinterpret_cast<const char* (*)()>(GetProcAddress(h, "InterpStandIn_Log"));
    std::string r = fn ? fn() : "";
    FreeLibrary(h);
    return r;
  }

  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    return texts;
  }
  static std::string LastBox() {
    auto b = Boxes();
    return b.empty() ? std::string() : b.back();
  }
  static void ClearBoxes() { Automation::Instance().ClearMessageBoxes(); }

  static std::string ReadBytes(const std::string& path) { return dravonix::test::ReadFileText(path); }
  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Kernel(const std::string& rel) { return dravonix::test::KernelDir() + "/" + rel; }

  // A setup directory made of the sample generation-3 files with setup.cfg replaced.
  static std::string MakeDir(const std::string& name, const std::string& setupCfg,
                             const std::string& from = "Configurations/05/05") {
    std::string dir = dravonix::test::ScratchDir(name);
    WriteBytes(dir + "/setup.cfg", setupCfg);
    WriteBytes(dir + "/parameters.cfg", ReadBytes(Kernel(from + "/parameters.cfg")));
    WriteBytes(dir + "/variables.cfg", ReadBytes(Kernel(from + "/variables.cfg")));
    return dir;
  }
  // The sample generation-3 setup.cfg with lines added and keys removed.
  static std::string Gen3Cfg(const std::string& extra = "", const std::vector<std::string>& drop = {}) {
    std::istringstream in(ReadBytes(Kernel("Configurations/05/05/setup.cfg")));
    std::string line, out;
    while (std::getline(in, line)) {
      bool skip = false;
      for (auto& d : drop)
        if (line.rfind(d, 0) == 0) skip = true;
      if (!skip) out += line + "\n";
    }
    return out + extra;
  }
};
