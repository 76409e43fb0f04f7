// The drive memory cache: registration ages, freshness, and reads joined into runs on the simulated drive.
#include "comm/MC_MemoryCache.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/params/MC_Variable.h"
#include "tests/comm/CommTestSupport.h"

namespace {

struct Read {
  uint32_t address, space, count;
  bool operator==(const Read&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Read& r) {
  return os << "{" << r.address << "," << r.space << "," << r.count << "}";
}

class MemoryCacheTest : public CommTest {
 protected:
  void SetUp() override {
    CommTest::SetUp();
    OpenSerial();
    WORD words[16];
    for (WORD i = 0; i < 16; ++i) words[i] = (WORD)(0x100 + i);
    ASSERT_TRUE(DriveSimulator::WriteMemory(1, 1, 0x8200, words, 16));
    DriveSimulator::ClearCallLog();
  }
  static std::vector<Read> Reads() {
    std::vector<Read> reads;
    for (auto& c : DriveSimulator::CallLog())
      if (std::string(c.function) == "DAV_ReceiveData") reads.push_back({c.args[0], c.args[1], c.args[2]});
    return reads;
  }
  static WORD Value(const CMC_MemoryCache& cache, BYTE axis, WORD address) {
    WORD v = 0xDEAD;
    cache.GetValue(axis, address, &v, 1);
    return v;
  }
};

TEST_F(MemoryCacheTest, TheSmallestAgeWinsAndZeroIsSmallest) {
  CMC_MemoryCache cache(1);
  cache.AddAddress(0, 0x8200, 1, 500);
  cache.AddAddress(0, 0x8200, 1, 100);
  ASSERT_EQ(cache.GetCount(), 1);
  EXPECT_EQ(cache.GetElem(0)->m_wMaxAge, 100);
  cache.AddAddress(0, 0x8200, 1, 0);
  EXPECT_EQ(cache.GetElem(0)->m_wMaxAge, 0);
  cache.AddAddress(0, 0x8200, 1, 200);
  EXPECT_EQ(cache.GetElem(0)->m_wMaxAge, 0);
  cache.AddAddress(0, 0x8300, 0, 200);
  EXPECT_EQ(cache.GetCount(), 1);
  cache.AddAddress(0, 0xFFFE, 5, 200);  // stops at the top of the space
  EXPECT_EQ(cache.GetCount(), 3);
  cache.AddAddress(0, 0xFFFF, 0x7FFFFFFF, 200);
  EXPECT_EQ(cache.GetCount(), 3);
}

TEST_F(MemoryCacheTest, GapsSplitReadsAndRunsJoinThem) {
  CMC_MemoryCache gap(1);
  gap.AddAddress(0, 0x8200 + 12, 1, 1000);
  gap.AddAddress(0, 0x8200 + 10, 1, 1000);
  ASSERT_TRUE(gap.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x820A, 1, 1}, {0x820C, 1, 1}}));
  EXPECT_EQ(Value(gap, 0, 0x820A), 0x10A);
  EXPECT_EQ(Value(gap, 0, 0x820C), 0x10C);

  DriveSimulator::ClearCallLog();
  CMC_MemoryCache run(1);
  run.AddAddress(0, 0x8200 + 11, 1, 1000);
  run.AddAddress(0, 0x8200 + 10, 1, 1000);
  ASSERT_TRUE(run.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x820A, 1, 2}}));
  WORD values[3] = {1, 2, 3};
  run.GetValue(0, 0x820A, values, 3);  // stops at the first word not cached
  EXPECT_EQ(values[0], 0x10A);
  EXPECT_EQ(values[1], 0x10B);
  EXPECT_EQ(values[2], 3);
  EXPECT_EQ(DriveSimulator::CallCount("DAV_SetActiveDrive"), 0u);  // axis 0: no selection
}

TEST_F(MemoryCacheTest, FreshWordsAreSkippedUntilTheyAgeOrAreInvalidated) {
  CMC_MemoryCache cache(1);
  cache.AddAddress(0, 0x8200, 3, 500);
  cache.AddAddress(0, 0x8201, 1, 0);  // never fresh: splits the run once the others are fresh
  ASSERT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x8200, 1, 3}}));

  DriveSimulator::ClearCallLog();
  Clock::Advance(100);
  ASSERT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x8201, 1, 1}}));

  DriveSimulator::ClearCallLog();
  DWORD tick = cache.GetElem(1)->m_dwTick;
  cache.Invalidate(0, 0x8201, 1);  // age 0: tick untouched
  EXPECT_EQ(cache.GetElem(1)->m_dwTick, tick);
  cache.Invalidate(0, 0x8202, 1);
  ASSERT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x8201, 1, 2}}));

  DriveSimulator::ClearCallLog();
  Clock::Advance(500);
  ASSERT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x8200, 1, 3}}));

  DriveSimulator::ClearCallLog();
  ASSERT_TRUE(cache.ReadValues(1));  // all, fresh or not
  EXPECT_EQ(Reads(), (std::vector<Read>{{0x8200, 1, 3}}));
}

TEST_F(MemoryCacheTest, WordsNeverReadAreNotFresh) {
  Clock::UseVirtualTime(10);  // a tick count below the tolerated age
  CMC_MemoryCache cache(1);
  cache.AddAddress(0, 0x8200, 1, 500);
  EXPECT_FALSE(cache.GetElem(0)->IsFreshEnough());
  ASSERT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Reads().size(), 1u);
  EXPECT_TRUE(cache.GetElem(0)->IsFreshEnough());
}

TEST_F(MemoryCacheTest, AxesAreSelectedOnlyWhenTheyChange) {
  DriveSimulator::AddDrive(2);
  WORD w = 0x222;
  ASSERT_TRUE(DriveSimulator::WriteMemory(2, 1, 0x8200, &w, 1));
  CMC_MemoryCache cache(1);
  cache.AddAddress(2, 0x8200, 1, 0);
  cache.AddAddress(1, 0x8200, 2, 0);
  cache.AddAddress(1, 0x8204, 1, 0);
  cache.AddAddress(0, 0x8203, 1, 0);
  DriveSimulator::ClearCallLog();
  ASSERT_TRUE(cache.ReadValues(0));
  std::vector<uint32_t> selected;
  for (auto& c : DriveSimulator::CallLog())
    if (std::string(c.function) == "DAV_SetActiveDrive") selected.push_back(c.args[0]);
  EXPECT_EQ(selected, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(Reads().size(), 4u);
  EXPECT_EQ(Value(cache, 1, 0x8201), 0x101);
  EXPECT_EQ(Value(cache, 2, 0x8200), 0x222);
  EXPECT_EQ(cache.FindAddress(1, 0x8204), 3);
  EXPECT_EQ(cache.FindAddress(1, 0x8203), -1);
}

TEST_F(MemoryCacheTest, FailedReadsReportZero) {
  CMC_MemoryCache cache(1);
  EXPECT_TRUE(cache.ReadValues(0));  // empty
  cache.AddAddress(0, 0x8200, 1, 0);
  cache.AddAddress(0, 0x820F, 1, 0);
  CMC_Comm::nShowErr = 0;
  DriveSimulator::FailNextCalls(1, "no answer", "DAV_ReceiveData");
  EXPECT_FALSE(cache.ReadValues(0));
  EXPECT_EQ(Value(cache, 0, 0x8200), 0);
  EXPECT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(Value(cache, 0, 0x820F), 0x10F);
  EXPECT_TRUE(BoxTexts().empty());
  cache.AddAddress(5, 0x8200, 1, 0);  // no such axis
  EXPECT_FALSE(cache.ReadValues(0));
}

TEST_F(MemoryCacheTest, AnIgnoredReadKeepsTheLastValues) {
  CMC_MemoryCache cache(1);
  cache.AddAddress(0, 0x8200, 2, 0);  // a run
  cache.AddAddress(0, 0x8204, 1, 0);  // a single word
  ASSERT_TRUE(cache.ReadValues(0));
  CMC_Comm::nShowErr = MB_ABORTRETRYIGNORE;
  DriveSimulator::FailNextCalls(2, "no answer", "DAV_ReceiveData");
  for (int k = 0; k < 2; ++k) Automation::Instance().PushMessageBoxAnswer(IDIGNORE);
  EXPECT_TRUE(cache.ReadValues(0));
  EXPECT_EQ(BoxTexts().size(), 2u);
  EXPECT_EQ(Value(cache, 0, 0x8200), 0x100);
  EXPECT_EQ(Value(cache, 0, 0x8201), 0x101);
  EXPECT_EQ(Value(cache, 0, 0x8204), 0x104);
}

TEST_F(MemoryCacheTest, CopiesAndAssignment) {
  CMC_MemoryCache a(1), b(2);
  a.AddAddress(0, 0x8200, 2, 300);
  ASSERT_TRUE(a.ReadValues(0));
  CMC_MemoryCache c(a);
  EXPECT_EQ(c.GetMemorySpace(), 1);
  EXPECT_EQ(Value(c, 0, 0x8201), 0x101);
  b = a;
  EXPECT_EQ(b.GetMemorySpace(), 2);
  EXPECT_EQ(b.GetCount(), 2);
  EXPECT_EQ(Value(b, 0, 0x8200), 0x100);
  a.Reset();
  EXPECT_EQ(a.GetCount(), 0);
  EXPECT_EQ(b.GetCount(), 2);
}

TEST_F(MemoryCacheTest, VariablesReadTheirWordsFromTheCache) {
  CMC_MemoryCache cache(1);
  cache.AddAddress(0, 0x8204, 2, 0);
  ASSERT_TRUE(cache.ReadValues(0));
  CMC_Variable* v = new CMC_Variable(*reinterpret_cast<CMC_Setup*>(&cache));  // never asks its setup here
  CString line = "LONG X @0x8204";
  ASSERT_TRUE(v->ReadFromConfig(line, "v.cfg", 1));
  v->ReadFromMemoryCache(cache, 0);
  EXPECT_EQ(v->GetValueInInternalUnit(), 0x01050104);
  delete v;
}

TEST_F(MemoryCacheTest, ParametersAndVariablesGoToTheDriveAtTheirAddress) {
  CMC_Setup& setup = *reinterpret_cast<CMC_Setup*>(this);  // no unit: the setup is never asked
  CMC_Parameter p(setup);
  CString line = "LONG Target @0x8208 =-2";
  ASSERT_TRUE(p.ReadFromConfig(line, "p.cfg", 1));
  ASSERT_TRUE(p.WriteToChip());
  WORD words[2] = {0, 0};
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x8208, words, 2));
  EXPECT_EQ(words[0], 0xFFFE);
  EXPECT_EQ(words[1], 0xFFFF);

  CMC_Variable v(setup);
  line = "LONG Actual @0x8208";
  ASSERT_TRUE(v.ReadFromConfig(line, "v.cfg", 1));
  ASSERT_TRUE(v.ReadFromChip());
  EXPECT_EQ(v.GetValueInInternalUnit(), -2);
  EXPECT_EQ(std::string(v.GetUpdateCommand()), "Actual=-2;");
}

}  // namespace
