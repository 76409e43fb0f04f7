// Corners of the motion program model: default function names and empty programs.
#include <gtest/gtest.h>

#include <memory>

#include "kernel/document/KernelGlobals.h"
#include "tests/kernel/SetupPtr.h"
#include "tests/motion/MotionPtr.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionGroup.h"
#include "platform/core/Automation.h"

namespace {

class MotionModelEdge : public ::testing::Test {
 protected:
  void SetUp() override {
    m_old = g_bShowErrors;
    g_bShowErrors = FALSE;
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
  }
  void TearDown() override {
    m_setup.reset();
    g_bShowErrors = m_old;
  }
  // The name AddNewFunction() gives next to functions of the given names.
  CString NextName(std::initializer_list<const char*> names) {
    MotionPtr m(CMC_Motion::Create(m_setup.get()));
    EXPECT_TRUE(m);
    if (!m) return CString();
    for (const char* n : names) EXPECT_GE(m->AddNewFunction(n), 0) << n;
    const int at = m->AddNewFunction();
    EXPECT_EQ(at, (int)names.size());
    return m->GetFunctionName(at);
  }
  BOOL m_old = TRUE;
  SetupPtr m_setup;
};

}  // namespace

TEST_F(MotionModelEdge, DefaultFunctionNamesFollowTheHighestNumber) {
  EXPECT_EQ(NextName({"Foo", "Untitle", "Bar_Untitled9"}), "Untitled");
  EXPECT_EQ(NextName({"Untitled", "Untitled7"}), "Untitled8");
  EXPECT_EQ(NextName({"untitled2abc"}), "Untitled3");
  EXPECT_EQ(NextName({"UNTITLED_5"}), "Untitled1");  // no digit right after the base: number 0
  EXPECT_EQ(NextName({"Untitled12", "Untitled3"}), "Untitled13");
  EXPECT_EQ(NextName({"Untitled0"}), "Untitled1");
  // Two default names in a row.
  MotionPtr m(CMC_Motion::Create(m_setup.get()));
  ASSERT_TRUE(m);
  m->AddNewFunction();
  m->AddNewFunction();
  m->AddNewFunction();
  EXPECT_EQ(m->GetFunctionName(0), "Untitled");
  EXPECT_EQ(m->GetFunctionName(1), "Untitled1");
  EXPECT_EQ(m->GetFunctionName(2), "Untitled2");
  EXPECT_EQ(m->FindFunction("untitled"), 1);
  EXPECT_EQ(m->FindHomingProcedure("home1"), 0);
}

TEST_F(MotionModelEdge, EmptyProgramTranslatesAndHasNoErrors) {
  MotionPtr m(CMC_Motion::Create(m_setup.get()));
  ASSERT_TRUE(m);
  m->GetSetupSettings()->DeleteAll();
  for (int i = 0; i < m->GetHomingProceduresCount(); ++i) m->GetHomingProcedure(i)->DeleteAll();
  for (int i = 0; i < m->GetInterruptsCount(); ++i) m->GetInterrupt(i)->DeleteAll();
  EXPECT_TRUE(m->TranslateAll(0));
  EXPECT_TRUE(m->TranslateAll(1));
  EXPECT_FALSE(m->HasTranslateErrors());
  CMC_MotionGroup empty;
  EXPECT_TRUE(m->Translate(&empty, 1));
  EXPECT_FALSE(m->Translate((CMC_MotionGroup*)nullptr, 1));
}

TEST_F(MotionModelEdge, SelectionOutsideTheTableHasNoName) {
  MotionPtr m(CMC_Motion::Create(m_setup.get()));
  ASSERT_TRUE(m);
  m->SetSelection((CMC_Motion::tagSelectionGroup)10, 0);
  EXPECT_EQ(m->GetSelectionName(), "");
  EXPECT_EQ(m->GetSequenceSelection(), nullptr);
  m->SetSelection(CMC_Motion::selHoming, 0);
  EXPECT_EQ(m->GetSelectionName(), "Homing procedure home1");
  EXPECT_EQ(m->GetSequenceSelection(), m->GetHomingProcedure(0));
  m->SetSelection(CMC_Motion::selInterrupt, 4);
  EXPECT_EQ(m->GetSelectionName(), "Interrupt int4");
  m->SetSelection(CMC_Motion::selCAMFolder, -1);
  EXPECT_EQ(m->GetSelectionName(), "CAMs");
  EXPECT_EQ(m->GetCAMSelection(), nullptr);
}

// User bodies that survive a correction take the slot's label: homing slots only on firmware
// generation 3 and later, interrupts always.
TEST_F(MotionModelEdge, KeptUserSlotsTakeTheirSlotLabels) {
  const struct {
    WORD id;
    const char* homing;
  } cases[] = {{0x0505, "home1"}, {0x0210, "mine"}};
  for (const auto& c : cases) {
    SetupPtr setup(CMC_Setup::Create(c.id));
    ASSERT_TRUE(setup);
    MotionPtr m(CMC_Motion::Create(setup.get()));
    ASSERT_TRUE(m);
    m->GetHomingProcedure(0)->m_strName = "mine";
    m->EnableHomingProcedure(0, TRUE);
    m->GetInterrupt(1)->m_strName = "handler";
    m->SetUserInterrupt(1, TRUE);
    MotionPtr copy(m->CreateCopy(setup.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetHomingProcedureName(0), c.homing) << c.id;
    EXPECT_TRUE(copy->IsHomingProcedureEnable(0)) << c.id;
    EXPECT_EQ(copy->GetInterruptName(1), "int1") << c.id;
    EXPECT_TRUE(copy->IsUserInterrupt(1)) << c.id;
  }
}
