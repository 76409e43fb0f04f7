// The clock in virtual and real time, its 32-bit wrap and its hooks.
#include "platform/core/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace {

class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override { Clock::UseRealTime(); }
};

TEST_F(ClockTest, VirtualSleepAdvancesTheTickCountExactly) {
  Clock::UseVirtualTime(1000);
  EXPECT_TRUE(Clock::IsVirtual());
  EXPECT_EQ(GetTickCount(), 1000u);
  Sleep(250);
  EXPECT_EQ(GetTickCount(), 1250u);
  Sleep(0);
  EXPECT_EQ(GetTickCount(), 1250u);
  Clock::Advance(750);
  EXPECT_EQ(GetTickCount(), 2000u);
  EXPECT_EQ(GetTickCount64(), 2000u);
  EXPECT_EQ(timeGetTime(), 2000u);

  LARGE_INTEGER count, freq;
  ASSERT_TRUE(QueryPerformanceFrequency(&freq));
  ASSERT_TRUE(QueryPerformanceCounter(&count));
  EXPECT_EQ(count.QuadPart / freq.QuadPart, 2);
  EXPECT_EQ(count.QuadPart % freq.QuadPart, 0);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
  EXPECT_FALSE(QueryPerformanceFrequency(nullptr));

  // Virtual time stands still while real time passes.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(GetTickCount(), 2000u);
}

TEST_F(ClockTest, SwitchingToVirtualTimeKeepsTheReading) {
  DWORD real = GetTickCount();
  Clock::UseVirtualTime();
  DWORD virt = GetTickCount();
  EXPECT_GE(virt, real);
  EXPECT_LT(virt - real, 1000u);
  Sleep(100);
  EXPECT_EQ(GetTickCount(), virt + 100);
}

TEST_F(ClockTest, TickCountWrapsAfter32Bits) {
  Clock::UseVirtualTime(0xFFFFFF00ull);
  DWORD start = GetTickCount();
  Sleep(0x200);
  EXPECT_EQ(GetTickCount(), 0x100u);
  EXPECT_EQ(GetTickCount64(), 0x100000100ull);
  EXPECT_EQ((DWORD)(GetTickCount() - start), 0x200u);  // elapsed time survives the wrap
}

TEST_F(ClockTest, HooksSeeEveryMoveUntilRemoved) {
  Clock::UseVirtualTime(500);
  std::vector<std::pair<ULONGLONG, ULONGLONG>> seen;
  int id = Clock::AddHook([&](ULONGLONG before, ULONGLONG now) { seen.emplace_back(before, now); });
  ASSERT_NE(id, 0);
  Sleep(10);
  Clock::Advance(5);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(ULONGLONG{500}, ULONGLONG{510}));
  EXPECT_EQ(seen[1], std::make_pair(ULONGLONG{510}, ULONGLONG{515}));

  // A hook that sleeps moves time but is not re-entered.
  int sleeper = Clock::AddHook([](ULONGLONG, ULONGLONG) { Sleep(1); });
  Clock::Advance(1);
  EXPECT_EQ(GetTickCount(), 517u);  // 516 by the advance, 517 by the hook
  EXPECT_EQ(seen.size(), 3u);
  Clock::RemoveHook(sleeper);

  Clock::RemoveHook(id);
  Clock::RemoveHook(id);  // twice is harmless
  Sleep(10);
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(Clock::AddHook(nullptr), 0);

  Clock::UseRealTime();
  Clock::Advance(1000);  // ignored in real time
  EXPECT_FALSE(Clock::IsVirtual());
}

TEST_F(ClockTest, SleepsFromManyThreadsAddUp) {
  Clock::UseVirtualTime(0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 100; ++i) Sleep(1);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(GetTickCount64(), 400u);
}

TEST_F(ClockTest, RealTimeMovesAndSleepBlocks) {
  Clock::UseRealTime();
  LARGE_INTEGER c0, c1;
  QueryPerformanceCounter(&c0);
  ULONGLONG t0 = GetTickCount64();
  Sleep(30);
  ULONGLONG t1 = GetTickCount64();
  QueryPerformanceCounter(&c1);
  EXPECT_GE(t1 - t0, 30u);
  EXPECT_LT(t1 - t0, 5000u);
  EXPECT_GE(c1.QuadPart - c0.QuadPart, 30 * Clock::kCounterFrequency / 1000);
}

}  // namespace
