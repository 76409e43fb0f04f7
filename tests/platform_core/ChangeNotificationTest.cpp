#include "platform/core/ChangeNotification.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {
void SetTime(const std::string& path, time_t t) {
  utimbuf times{t, t};
  utime(path.c_str(), &times);
}
}  // namespace

TEST(ChangeNotification, LastWriteInOneFolderWithZeroWaits) {
  std::string dir = dravonix::test::ScratchDir("notify");
  std::string file = dir + "/a.txt";
  std::ofstream(file) << "one";
  SetTime(file, 1000000);
  mkdir((dir + "/sub").c_str(), 0755);
  EXPECT_EQ(FindFirstChangeNotification(dir.c_str(), TRUE, FILE_NOTIFY_CHANGE_LAST_WRITE), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstChangeNotification((dir + "/none").c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE),
            INVALID_HANDLE_VALUE);
  HANDLE h = FindFirstChangeNotification(dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(h, 10), WAIT_FAILED);
  // A new file in the folder or a change in a subfolder is no last write of a watched entry.
  std::ofstream(dir + "/b.txt") << "x";
  std::ofstream(dir + "/sub/c.txt") << "x";
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  SetTime(file, 1000003);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);  // stays signalled until re-armed
  EXPECT_TRUE(FindNextChangeNotification(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  remove(file.c_str());
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(FindCloseChangeNotification(h));
  EXPECT_FALSE(FindCloseChangeNotification(h));
  EXPECT_FALSE(FindNextChangeNotification(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
}
