// Expressions over drive variables: grammar, priorities, signs, units and reads through a memory
// cache from the simulated drive.
#include "comm/MC_Comm.h"
#include "comm/MC_MemoryCache.h"
#include "monitor/loggers/MC_Expression.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cmath>

namespace {

class ExpressionTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    dravonix::test::StartSimulatedDrive();
    m_setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    ASSERT_TRUE(m_setup);
  }
  void TearDown() override {
    dravonix::test::StopSimulatedDrive();
    SetupTest::TearDown();
  }
  SetupPtr m_setup;
};

TEST_F(ExpressionTest, ConstantTexts) {
  struct {
    const char* text;
    int ok;
    double value;
  } rows[] = {
      {"2^3^2", 1, 64},       {"1+2*3", 1, 7},       {"(1+2)*3", 1, 9},     {"8/2/2", 1, 2},
      {"10-4-3", 1, 3},       {" 1.e3 ", 1, 1000},   {"1.5E-1", 1, 0.15},   {".5", 1, 0.5},
      {"-(2+3)", 1, -5},      {"-(2+3)^2", 1, 25},   {"+4", 1, 4},          {"2*-3", 1, -6},
      {"1e3", 0, 0},          {"3+", 0, 0},          {"", 0, 0},            {"--3", 0, 0},
      {"(1+2", 0, 0},         {"1+2)", 0, 0},        {"3 4", 0, 0},         {"2 % 3", 0, 0},
      {".", 0, 0},            {"1.e", 0, 0},         {"()", 0, 0},          {"#", 0, 0},
  };
  for (auto& r : rows) {
    CMC_Expression e;
    EXPECT_EQ(e.Create(r.text, m_setup.get(), nullptr), r.ok) << r.text;
    double v = 0;
    EXPECT_EQ(e.GetValue(v), r.ok) << r.text;
    EXPECT_DOUBLE_EQ(r.ok ? v : 0, r.value) << r.text;
    EXPECT_EQ(e.IsEmpty(), !r.ok) << r.text;
  }
  CMC_Expression e;
  EXPECT_EQ(e.Create("1", nullptr, nullptr), 0);
  double v;
  EXPECT_TRUE(e.Create("1/0", m_setup.get(), nullptr) && e.GetValue(v));
  EXPECT_TRUE(std::isinf(v));
}

TEST_F(ExpressionTest, VariablesReadThroughTheCacheAndFromTheDrive) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  const WORD apos[2] = {3, 0}, iq = 0xFFFE, raw[2] = {2000, 0}, word = 7;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x0228, apos, 2));
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x0230, &iq, 1));
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x022A, raw, 2));
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x8300, &word, 1));
  struct {
    const char* text;
    int ok;
    double value;
  } rows[] = {
      {"-APOS^2", 1, 9},        {"APOS [IU]", 1, 3},      {"APOS_LD [rot]", 1, 1},  {"APOS_LD[ rad ]", 1, 2000 * 0.0031415926535897933},
      {"IQ*1000", 1, -2000},    {"uint@0x8300 + APOS", 1, 10}, {"-uint@0x8300", 1, -7},
      {"NOVAR", 0, 0},          {"uint@0x8300 [rot]", 0, 0}, {"APOS [rot", 0, 0},
      {"nosuchtype@0x8300", 0, 0},
  };
  for (auto& r : rows) {
    for (int fromCache : {1, 0}) {
      CMC_Expression e;
      ASSERT_EQ(e.Create(r.text, m_setup.get(), nullptr), r.ok) << r.text;
      if (!r.ok) continue;
      double v = 0;
      if (fromCache) {
        CMC_MemoryCache cache(1);
        e.RegisterAddresses(cache, 1, 100);
        ASSERT_TRUE(cache.ReadValues(TRUE));
        ASSERT_TRUE(e.ReadVariablesFromCache(cache, 1)) << r.text;
      } else {
        ASSERT_TRUE(e.ReadVariablesFromChip(1)) << r.text;
      }
      ASSERT_TRUE(e.GetValue(v));
      EXPECT_DOUBLE_EQ(v, r.value) << r.text << (fromCache ? " (cache)" : " (drive)");
    }
  }
  CMC_Expression e;
  ASSERT_TRUE(e.Create("APOS", m_setup.get(), nullptr));
  EXPECT_FALSE(e.ReadVariablesFromChip(9));  // no such drive
  ASSERT_TRUE(e.Create("APOS [m]", m_setup.get(), nullptr));
  EXPECT_FALSE(e.ReadVariablesFromChip(1));  // a unit of another kind is refused when read
  CMC_Comm::Close();
  EXPECT_FALSE(e.ReadVariablesFromChip(0));
}

}  // namespace
