// Writing a text into a crowded folder: the folder is searched for the name in another case at most
// once, and a file found in another case is replaced or refused, never written beside.
#include "editor/text/SECEdit.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "tests/editor/EditTestUtil.h"
#include "tests/support/FileContents.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

int s_listings = 0;

}  // namespace

TEST(SECEditFileListing, AWriteListsItsFolderAtMostOnceAndFindsTheFileInAnyCase) {
  const std::string root = dravonix::test::ScratchDir("edit-listed");
  enum Hold { kFree, kReadOnly, kLocked };
  const struct {
    const char* what;
    const char* existing;  // the file there before ("old"), null for none
    Hold hold;
    int listings;
    int result;
    std::vector<std::string> after;
  } kCases[] = {
      {"a new text", nullptr, kFree, 1, 0, {"t.txt=new"}},
      {"over the file as spelled", "t.txt", kFree, 0, 0, {"t.txt=new"}},
      {"over the file in another case", "T.TXT", kFree, 1, 0, {"T.TXT=new"}},
      {"over a read-only file in another case", "T.TXT", kReadOnly, 1, SECEDIT_READONLY, {"T.TXT=old"}},
      {"over a file held by another, in another case", "T.TXT", kLocked, 1, ERROR_SHARING_VIOLATION, {"T.TXT=old"}},
  };
  int n = 0;
  for (const auto& c : kCases) {
    const std::string dir = root + "/" + std::to_string(++n);
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 20; ++i) std::ofstream(dir + "/other" + std::to_string(i));
    const std::string existing = c.existing ? dir + "/" + c.existing : std::string();
    if (c.existing) std::ofstream(existing) << "old";
    if (c.hold == kReadOnly) {
      ASSERT_TRUE(SetFileAttributes(existing.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    SECEdit holder;
    holder.SetLockFiles(TRUE);
    if (c.hold == kLocked) {
      ASSERT_EQ(holder.ReadFromFile(existing.c_str()), 0);
    }
    SECEdit e;
    SetText(e, "new");
    s_listings = 0;
    g_pfnFolderListed = [](const char*) { ++s_listings; };
    const int result = e.WriteToFile((dir + "/t.txt").c_str());
    g_pfnFolderListed = nullptr;
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(s_listings, c.listings) << c.what;
    EXPECT_EQ(dravonix::test::NamesAndContents(dir, "other"), c.after) << c.what;
  }
}
