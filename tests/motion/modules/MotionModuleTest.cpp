// Motion modules: loading the test set, their order, refusals, and calls by element type.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/params/MC_Units.h"
#include "motion/modules/MotionModule.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/GdiObject.h"
#include "tests/support/BoxTexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Answers of a setup whose drive measures CPOS in mm and APOS_LD in rot.
class StubSetupQueries : public CMotionModuleSetupQueries {
 public:
  explicit StubSetupQueries(const CMotionModulesArray* modules) : m_modules(modules) {
    EXPECT_EQ(m_units.Initialize(nullptr), 1);
  }
  int GetVariableUnit(CMC_Setup*, const char* variable, CString& unit) override {
    seenModule = m_modules ? m_modules->GetCurrentModule() : nullptr;
    auto it = m_variables.find(variable);
    if (it == m_variables.end()) return 0;
    unit = it->second.c_str();
    return 1;
  }
  int IsLinearUnit(CMC_Setup*, const char* unit) override { return m_units.IsLinearUnit(unit); }
  int IsRotaryUnit(CMC_Setup*, const char* unit) override { return m_units.IsRotaryUnit(unit); }

  HINSTANCE seenModule = nullptr;

 private:
  const CMotionModulesArray* m_modules;
  CMC_Units m_units;
  std::map<std::string, std::string> m_variables{{"CPOS", "mm"}, {"APOS_LD", "rot"}, {"CSPD", "mm/s"}};
};

std::string ModulePath(const char* file) { return std::string(GetMotionModulesDirectory().GetString()) + file; }

using dravonix::test::BoxTexts;

class MotionModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Automation::Instance().Reset();
    g_bShowErrors = TRUE;
  }
  void TearDown() override {
    SetMotionModuleSetupQueries(nullptr);
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
  }
  // A module loaded on its own; null when it does not load.
  static CMotionModule* LoadOne(const char* file) {
    CMotionModule* m = new CMotionModule;
    if (!m->Load(ModulePath(file).c_str())) {
      delete m;
      return nullptr;
    }
    return m;
  }
};

TEST_F(MotionModuleTest, LoadsTheFolderInClassAndOrderIdOrder) {
  CMotionModulesArray modules;
  ASSERT_EQ(modules.LoadModules(nullptr), 1);
  // Comment (class Program, id 5) is found first; Move (Motion, id 2) opens a class before it;
  // Wait (Motion, id 1) goes before Move.
  // The G-code modules follow in both classes (Motion ids 3 and 4, Program ids 10 and up).
  ASSERT_EQ(modules.GetSize(), 11);
  EXPECT_STREQ(modules.GetModuleName(0), "Wait");
  EXPECT_STREQ(modules.GetModuleName(1), "Move");
  EXPECT_STREQ(modules.GetModuleName(6), "Comment");
  ASSERT_EQ(modules.GetClassesCount(), 2);
  EXPECT_STREQ(modules.GetClasses()[0], "Motion");
  EXPECT_STREQ(modules.GetClasses()[1], "Program");
  CStringArray names;
  modules.GetModulesOfClass(0, names);
  ASSERT_EQ(names.GetSize(), 6);
  EXPECT_STREQ(names[0], "Wait");
  EXPECT_STREQ(names[1], "Move");
  modules.GetModulesOfClass(2, names);
  EXPECT_EQ(names.GetSize(), 0);
  EXPECT_STREQ(modules.GetModuleDescription(1), "Motion - Move");
  EXPECT_STREQ(modules.GetModuleDescription(11), "");
  EXPECT_EQ(modules.GetModuleName(11), nullptr);
  EXPECT_EQ(modules.GetModuleName(-1), nullptr);

  // The module that no setup enables is not kept; the duplicate and the broken library are refused.
  EXPECT_EQ(modules.FindModule("Disabled Move"), nullptr);
  EXPECT_EQ(modules.FindModule("broken"), nullptr);
  EXPECT_EQ(modules.FindModule("MOVE")->GetOrderID(), 2);  // the first library keeps the name
  std::vector<std::string> boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "The motion module 'MOVE' is already defined!\nIgnoring the new module...");
  EXPECT_EQ(boxes[1], "Invalid motion module library (" + std::string(ShownFileName(ModulePath("mm_noexport.so").c_str())) + ").");
  for (auto& b : Automation::Instance().MessageBoxes()) EXPECT_NE(b.type & MB_ICONEXCLAMATION, 0u);

  // Loading again starts afresh; without the message flag nothing is shown.
  Automation::Instance().ClearMessageBoxes();
  g_bShowErrors = FALSE;
  ASSERT_EQ(modules.LoadModules(nullptr), 1);
  EXPECT_EQ(modules.GetSize(), 11);
  EXPECT_EQ(modules.GetClassesCount(), 2);
  EXPECT_TRUE(BoxTexts().empty());
  modules.RemoveAll();
  EXPECT_EQ(modules.GetSize(), 0);
  EXPECT_EQ(modules.GetClassesCount(), 0);
  EXPECT_EQ(modules.FindModule("Move"), nullptr);
}

TEST_F(MotionModuleTest, InsertsByOrderIdThenNameAndOpensClassesInPlace) {
  CMotionModulesArray modules;
  ASSERT_EQ(modules.AddModule(LoadOne("mm_move.so")), 1);      // Motion, 2
  ASSERT_EQ(modules.AddModule(LoadOne("mm_comment.so")), 1);   // Program, 5: a class after Motion
  ASSERT_EQ(modules.AddModule(LoadOne("mm_wait.so")), 1);      // Motion, 1: before Move
  ASSERT_EQ(modules.AddModule(LoadOne("mm_disabled.so")), 1);  // Motion, 2: "Disabled Move" < "Move"
  ASSERT_EQ(modules.GetSize(), 4);
  EXPECT_STREQ(modules.GetModuleName(0), "Wait");
  EXPECT_STREQ(modules.GetModuleName(1), "Disabled Move");
  EXPECT_STREQ(modules.GetModuleName(2), "Move");
  EXPECT_STREQ(modules.GetModuleName(3), "Comment");
  CStringArray names;
  modules.GetModulesOfClass(1, names);
  ASSERT_EQ(names.GetSize(), 1);
  EXPECT_STREQ(names[0], "Comment");

  CMotionModule* dup = LoadOne("mm_movedup.so");
  ASSERT_NE(dup, nullptr);
  EXPECT_EQ(modules.AddModule(dup), 0);
  delete dup;
  EXPECT_EQ(BoxTexts().back(), "The motion module 'MOVE' is already defined!\nIgnoring the new module...");

  // A new class whose first module sorts before the first class's first module goes to index 0.
  CMotionModulesArray other;
  ASSERT_EQ(other.AddModule(LoadOne("mm_comment.so")), 1);
  ASSERT_EQ(other.AddModule(LoadOne("mm_move.so")), 1);
  EXPECT_STREQ(other.GetClasses()[0], "Motion");
  EXPECT_STREQ(other.GetModuleName(0), "Move");
  ASSERT_EQ(other.AddModule(LoadOne("mm_wait.so")), 1);
  CStringArray program;
  other.GetModulesOfClass(1, program);
  ASSERT_EQ(program.GetSize(), 1);
  EXPECT_STREQ(program[0], "Comment");
}

TEST_F(MotionModuleTest, CallsModulesByElementType) {
  CMotionModulesArray modules;
  g_bShowErrors = FALSE;
  ASSERT_EQ(modules.LoadModules(nullptr), 1);
  StubSetupQueries queries(&modules);
  SetMotionModuleSetupQueries(&queries);

  CString params = "unchanged";
  modules.GetDefaultParameters("move", nullptr, nullptr, &params);
  EXPECT_STREQ(params, "CPOS[mm]=0 CSPD[mm/s]=10");
  params = "unchanged";
  modules.GetDefaultParameters("Nothing", nullptr, nullptr, &params);
  EXPECT_STREQ(params, "unchanged");

  CString code;
  params = "CPOS[mm]=5 CSPD[mm/s]=10";
  EXPECT_GT(modules.TranslateMotionSequence("MOVE", nullptr, nullptr, &params, &code), 0);
  EXPECT_STREQ(code, "CPOS=5; CSPD=10; UPD;");
  EXPECT_EQ(queries.seenModule, modules.FindModule("Move")->GetInstance());
  EXPECT_EQ(modules.GetCurrentModule(), nullptr);

  // A rotary value for a linear drive variable, and the reverse, cannot be translated.
  params = "CPOS[rot]=1";
  EXPECT_EQ(modules.TranslateMotionSequence("Move", nullptr, nullptr, &params, &code), 0);
  EXPECT_STREQ(code, "Move: CPOS is given in rot but the drive measures it in mm");
  params = "APOS_LD[mm]=3";
  EXPECT_EQ(modules.TranslateMotionSequence("Move", nullptr, nullptr, &params, &code), 0);
  EXPECT_STREQ(code, "Move: APOS_LD is given in mm but the drive measures it in rot");
  params = "APOS_LD[deg]=3";
  EXPECT_GT(modules.TranslateMotionSequence("Move", nullptr, nullptr, &params, &code), 0);

  params = "Text={Home on switch}";
  EXPECT_GT(modules.TranslateMotionSequence("comment", nullptr, nullptr, &params, &code), 0);
  EXPECT_STREQ(code, "/* Home on switch */");

  params = "X=1";
  EXPECT_EQ(modules.TranslateMotionSequence("Disabled Move", nullptr, nullptr, &params, &code), 0);
  EXPECT_STREQ(code, "The motion module 'Disabled Move' does not exist or it is invalid in current configuration!");

  params = "CPOS[mm]=1";
  EXPECT_EQ(modules.EditMotionSequence("Move", nullptr, nullptr, &params), 1);
  EXPECT_STREQ(params, "CPOS[mm]=1 Edited=1");
  EXPECT_EQ(modules.EditMotionSequence("Move", nullptr, nullptr, &params), 0);
  EXPECT_EQ(modules.EditMotionSequence("Nothing", nullptr, nullptr, &params), 0);
}

TEST_F(MotionModuleTest, EveryModuleCarriesItsIcon) {
  CMotionModulesArray modules;
  g_bShowErrors = FALSE;
  ASSERT_EQ(modules.LoadModules(nullptr), 1);
  std::vector<std::string> icons;
  for (int i = 0; i < modules.GetSize(); ++i) {
    DWORD size = 0;
    const void* bytes = modules.GetAt(i)->GetBitmapResource(size);
    ASSERT_NE(bytes, nullptr) << modules.GetModuleName(i);
    ASSERT_GT(size, 8u);
    EXPECT_EQ(std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8), 0);
    icons.emplace_back((const char*)bytes, size);
  }
  EXPECT_NE(icons[0], icons[1]);
  EXPECT_NE(icons[1], icons[2]);
  CMotionModule* dup = LoadOne("mm_movedup.so");
  DWORD size = 0;
  EXPECT_NE(dup->GetBitmapResource(size), nullptr);
  delete dup;
  CMotionModule empty;
  EXPECT_EQ(empty.GetBitmapResource(size), nullptr);
  EXPECT_EQ(empty.GetBitmap(), nullptr);

  // Each call makes a new 16 x 16 bitmap that the caller owns.
  HBITMAP a = modules.GetModuleBitmap(0);
  HBITMAP b = modules.GetModuleBitmap(0);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  BITMAP info{};
  ASSERT_NE(GetObject(a, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  DeleteObject(a);
  DeleteObject(b);
  EXPECT_EQ(modules.GetModuleBitmap(11), nullptr);
  EXPECT_EQ(modules.GetModuleBitmap(-1), nullptr);
}

TEST_F(MotionModuleTest, LoadFailures) {
  CMotionModule module;
  EXPECT_EQ(module.Load(ModulePath("mm_nothing.so").c_str()), 0);
  EXPECT_EQ(module.GetInstance(), nullptr);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_NE(Automation::Instance().MessageBoxes()[0].type & MB_ICONEXCLAMATION, 0u);

  EXPECT_EQ(module.Load(ModulePath("mm_noexport.so").c_str()), 0);
  EXPECT_EQ(BoxTexts().back(), "Invalid motion module library (" + std::string(ShownFileName(ModulePath("mm_noexport.so").c_str())) + ").");
  // Nothing of the refused library stays reachable.
  EXPECT_EQ(module.GetName(), nullptr);
  EXPECT_EQ(module.GetOrderID(), 65535);
  EXPECT_EQ(module.IsEnabled(nullptr), 0);
  CString params = "x";
  module.GetDefaultParameters(nullptr, nullptr, &params);
  EXPECT_STREQ(params, "");
  CString code;
  EXPECT_EQ(module.TranslateMotionSequence(nullptr, nullptr, &params, &code), 0);

  g_bShowErrors = FALSE;
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(module.Load(ModulePath("mm_noexport.so").c_str()), 0);
  EXPECT_TRUE(BoxTexts().empty());
  // Without setup answers a module learns nothing about units.
  CString unit = "x";
  EXPECT_EQ(MotionModule_GetVariableUnit(nullptr, "CPOS", unit), 0);
  EXPECT_STREQ(unit, "");
}

}  // namespace
