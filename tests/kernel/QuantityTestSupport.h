// A setup owning parameters and variables: the sample unit table and a scriptable IU scale.
#pragma once

#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "platform/core/Automation.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// Reaches the parts of a setup that its GUI module fills in.
struct CMC_SetupTestAccess {
  static CMC_Setup* New() { return new CMC_Setup; }
  static void SetModule(CMC_Setup& s, CMC_Setup::GUI_GETSCALE factor, CMC_Setup::GUI_GETSCALE offset,
                        CMC_Setup::GUI_ONINITPARAM onInitParam) {
    s.m_pfnGetScaleFactor = factor;
    s.m_pfnGetScaleOffset = offset;
    s.m_pfnOnInitParam = onInitParam;
  }
  static void SetIUCacheEnabled(CMC_Setup& s, bool on) { s.m_bIUCacheEnabled = on; }
};

// A setup with the sample unit table and a scriptable stand-in for its GUI module.
struct FakeSetup {
  std::unique_ptr<CMC_Setup, void (*)(CMC_Setup*)> setup{CMC_SetupTestAccess::New(), &CMC_Setup::Destroy};
  CMC_Units& units = setup->GetUnits();
  // (base unit, name) -> (factor, offset); the name "*" matches any name of that base unit.
  std::map<std::pair<std::string, std::string>, std::pair<double, double>> scales;
  std::vector<std::string> factorCalls;  // "base/name" for every factor asked
  std::set<std::string> refusedParams;   // upper-cased names OnInitParam refuses

  FakeSetup() {
    EXPECT_TRUE(units.Initialize(nullptr));
    setup->SetOption("GUI_File", "fakegui.dll");
    Fakes()[setup.get()] = this;
    SetHasModule(true);
  }
  ~FakeSetup() { Fakes().erase(setup.get()); }
  FakeSetup(const FakeSetup&) = delete;
  FakeSetup& operator=(const FakeSetup&) = delete;

  CMC_Setup& Setup() { return *setup; }
  static FakeSetup& Of(CMC_Setup* s) { return *Fakes().at(s); }
  void SetCacheEnabled(bool on) { CMC_SetupTestAccess::SetIUCacheEnabled(*setup, on); }
  void SetHasModule(bool on) {
    if (!on) return CMC_SetupTestAccess::SetModule(*setup, nullptr, nullptr, nullptr);
    CMC_SetupTestAccess::SetModule(
        *setup,
        [](CMC_Setup* s, const char* base, const char* name) {
          FakeSetup& f = Of(s);
          f.factorCalls.push_back(std::string(base) + "/" + name);
          return f.Scale(base, name).first;
        },
        [](CMC_Setup* s, const char* base, const char* name) { return Of(s).Scale(base, name).second; },
        [](CMC_Setup* s, const char* name) -> int { return Of(s).refusedParams.count(name) ? 0 : 1; });
  }
  void SetScale(const std::string& base, const std::string& name, double factor, double offset = 0) {
    scales[{base, name}] = {factor, offset};
  }
  std::pair<double, double> Scale(const char* base, const char* name) const {
    auto it = scales.find({base, name});
    if (it == scales.end()) it = scales.find({base, "*"});
    return it == scales.end() ? std::pair<double, double>(1, 0) : it->second;
  }

 private:
  static std::map<CMC_Setup*, FakeSetup*>& Fakes() {
    static std::map<CMC_Setup*, FakeSetup*> fakes;
    return fakes;
  }
};

class QuantityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
  }
  void TearDown() override { Automation::Instance().Reset(); }

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
};
