// The folder lock's wait for another holder: bounded in real time, retried once the holder lets go,
// and nested holds told from the outermost one.
#include "platform/core/FolderLock.h"

#include "platform/core/Clock.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Another thread holds the folder (its own descriptor shuts this thread out) until released.
class Holder {
 public:
  Holder(const std::string& dir, milliseconds keep) {
    std::promise<void> held;
    auto taken = held.get_future();
    m_thread = std::thread([this, dir, keep, held = std::move(held)]() mutable {
      CFolderLock lock(dir.c_str());
      held.set_value();
      m_release.get_future().wait_for(keep);
    });
    taken.wait();
  }
  ~Holder() { Release(); }
  void Release() {
    if (!m_thread.joinable()) return;
    m_release.set_value();
    m_thread.join();
  }

 private:
  std::promise<void> m_release;
  std::thread m_thread;
};

class FolderLockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    g_dwFolderLockWait = m_wait;
    Clock::UseRealTime();
  }
  DWORD m_wait = g_dwFolderLockWait;
};

}  // namespace

TEST_F(FolderLockTest, AnotherHolderIsWaitedForInRealTimeAtMostTheBoundThenRetried) {
  const std::string dir = dravonix::test::ScratchDir("folderlock");
  std::unique_ptr<CFolderLock> lock;
  auto take = [&] {
    lock.reset();
    const auto start = steady_clock::now();
    lock = std::make_unique<CFolderLock>(dir.c_str());
    return steady_clock::now() - start;
  };
  // A holder that lets go during the wait is followed at once, whatever the layer's clock says.
  Clock::UseVirtualTime();
  g_dwFolderLockWait = 5000;
  {
    Holder holder(dir, milliseconds(50));
    const auto waited = take();
    EXPECT_TRUE(lock->IsLocked());
    EXPECT_GE(waited, milliseconds(30));
    EXPECT_LT(waited, milliseconds(1000 * dravonix::test::kTimeFactor));
    lock.reset();
  }
  // One that keeps the folder: busy after the bound; taken on a retry once it has let go.
  g_dwFolderLockWait = 200;
  Holder holder(dir, std::chrono::hours(1));
  const auto waited = take();
  EXPECT_TRUE(lock->IsBusy());
  EXPECT_FALSE(lock->IsLocked());
  EXPECT_GE(waited, milliseconds(200));
  EXPECT_LT(waited, milliseconds(200 + 800 * dravonix::test::kTimeFactor));
  holder.Release();
  EXPECT_TRUE(lock->Retry());
  EXPECT_FALSE(lock->IsBusy());
  EXPECT_TRUE(lock->IsOutermost());
  CFolderLock nested(dir.c_str());
  EXPECT_TRUE(nested.IsLocked());
  EXPECT_FALSE(nested.IsOutermost());
}
