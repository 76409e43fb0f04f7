// The sample kernel folder that hosts get loads its motion modules without a box. Run by the
// sample_kernel test over a copy of that folder; the tests' own folder adds the modules made to fail.
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/modules/MotionModule.h"
#include "platform/core/Automation.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Boxes() {
  std::vector<std::string> texts;
  for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
  return texts;
}

TEST(SampleKernelFolder, MotionLoadShowsNoBox) {
  using dravonix::test::KernelSource;
  if (KernelSource() != dravonix::test::SampleKernelFolder())
    GTEST_SKIP() << "run by the sample_kernel test, over a copy of the sample folder";
  for (const char* made_to_fail : {"mm_movedup.so", "mm_noexport.so"})
    EXPECT_FALSE(std::filesystem::exists(KernelSource() + "/MotionModules/" + made_to_fail)) << made_to_fail;

  g_bShowErrors = TRUE;
  Automation::Instance().ClearMessageBoxes();
  CMotionModulesArray modules;
  ASSERT_EQ(modules.LoadModules(nullptr), 1);
  EXPECT_EQ(modules.GetSize(), 11);
  EXPECT_EQ(Boxes(), std::vector<std::string>{});

  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  ASSERT_TRUE(setup);
  {
    MotionPtr motion(CMC_Motion::Create(setup));
    ASSERT_TRUE(motion);
  }
  CMC_Setup::Destroy(setup);
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

}  // namespace
