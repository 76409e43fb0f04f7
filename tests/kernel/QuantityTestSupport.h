// A stand-in owner for parameters and variables: the sample unit table and a scriptable IU scale.
#pragma once

#include "kernel/KernelGlobals.h"
#include "kernel/MC_Parameter.h"
#include "kernel/MC_Units.h"
#include "platform/core/Automation.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// What a setup answers to its parameters and variables; tests reach it as a CMC_Setup&.
struct FakeSetup {
  CMC_Units units;
  bool cacheEnabled = true;
  bool hasModule = true;
  // (base unit, name) -> (factor, offset); the name "*" matches any name of that base unit.
  std::map<std::pair<std::string, std::string>, std::pair<double, double>> scales;
  std::vector<std::string> factorCalls;  // "base/name" for every factor asked
  std::set<std::string> refusedParams;   // upper-cased names OnInitParam refuses

  FakeSetup() { EXPECT_TRUE(units.Initialize(nullptr)); }
  CMC_Setup& Setup() { return reinterpret_cast<CMC_Setup&>(*this); }
  static FakeSetup& Of(CMC_Setup& s) { return reinterpret_cast<FakeSetup&>(s); }
  void SetScale(const std::string& base, const std::string& name, double factor, double offset = 0) {
    scales[{base, name}] = {factor, offset};
  }
  std::pair<double, double> Scale(const char* base, const char* name) const {
    auto it = scales.find({base, name});
    if (it == scales.end()) it = scales.find({base, "*"});
    return it == scales.end() ? std::pair<double, double>(1, 0) : it->second;
  }
};

class QuantityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMC_SetupLink link;
    link.pfnGetUnits = [](CMC_Setup& s) -> CMC_Units* { return &FakeSetup::Of(s).units; };
    link.pfnIsIUCacheEnabled = [](CMC_Setup& s) -> int { return FakeSetup::Of(s).cacheEnabled; };
    link.pfnGetScaleFactorFct = [](CMC_Setup& s) -> MC_SCALE_FCT {
      if (!FakeSetup::Of(s).hasModule) return nullptr;
      return [](CMC_Setup* setup, const char* base, const char* name) {
        FakeSetup& f = FakeSetup::Of(*setup);
        f.factorCalls.push_back(std::string(base) + "/" + name);
        return f.Scale(base, name).first;
      };
    };
    link.pfnGetScaleOffsetFct = [](CMC_Setup& s) -> MC_SCALE_FCT {
      if (!FakeSetup::Of(s).hasModule) return nullptr;
      return [](CMC_Setup* setup, const char* base, const char* name) {
        return FakeSetup::Of(*setup).Scale(base, name).second;
      };
    };
    link.pfnGetGUIModuleName = [](CMC_Setup&) { return CString("fakegui.dll"); };
    link.pfnOnInitParam = [](CMC_Setup& s, const char* name) -> int {
      return FakeSetup::Of(s).refusedParams.count(name) ? 0 : 1;
    };
    m_oldLink = CMC_SetupLink::Install(link);
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
  }
  void TearDown() override {
    CMC_SetupLink::Install(m_oldLink);
    Automation::Instance().Reset();
  }

  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    return texts;
  }
  static void ClearBoxes() { Automation::Instance().ClearMessageBoxes(); }

  // A file of the kernel folder with exactly these bytes (kernel functions name it relatively).
  static std::string WriteKernelFile(const std::string& name, const std::string& bytes) {
    std::string path = KernelPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string KernelPath(const std::string& name) { return dravonix::test::KernelDir() + "/" + name; }
  static std::string ReadBytes(const std::string& path) { return dravonix::test::ReadFileText(path); }

  FakeSetup m_setup;
  CMC_SetupLink m_oldLink;
};
