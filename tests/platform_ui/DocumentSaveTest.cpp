// A document saved over the file it came from: a save that fails keeps the old file byte for byte
// and its box names the file and the reason.
#include "platform/core/Archive.h"
#include "platform/core/Automation.h"
#include "platform/ui/Document.h"
#include "tests/support/FileContents.h"
#include "platform/core/FileSystem.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/SwappedLinks.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <vector>
#include <string>

namespace {

// Writes `size` bytes, then fails when asked to.
class CBytesDoc : public CDocument {
 public:
  size_t m_size = 0;
  bool m_fail = false;
  void Serialize(CArchive& ar) override {
    if (!ar.IsStoring()) return;
    const std::string bytes(m_size, 'n');
    ar.Write(bytes.data(), (UINT)bytes.size());
    if (m_fail) AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
  }
};

// The save's result and the boxes it showed.
std::string Save(const std::string& path, size_t size, bool fail) {
  Automation::Instance().Reset();
  CBytesDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.m_size = size;
  doc.m_fail = fail;
  std::string out = doc.OnSaveDocument(path.c_str()) ? "saved" : "failed";
  for (const auto& box : Automation::Instance().MessageBoxes()) out += " | " + box.text;
  return out;
}

TEST(DocumentSaveTest, AFailedSaveKeepsTheOldFileAndNamesIt) {
  const std::string dir = dravonix::test::ScratchDir("ui-doc-save");
  const std::string old = "the document as it was";
  const struct {
    const char* what;
    std::function<std::string(const std::string&)> save;
    std::string box;  // after the path
  } kCases[] = {
      {"onto a full disk",
       [](const std::string& p) { return dravonix::test::WithFileSizeLimit(4096, [&] { return Save(p, 65536, false); }); },
       " | Disk full while accessing "},
      {"when the document fails half-way", [](const std::string& p) { return Save(p, 65536, true); },
       " | An unexpected error occurred while accessing "},
      {"onto a read-only file",
       [](const std::string& p) {
         chmod(p.c_str(), 0444);
         return Save(p, 100, false);
       },
       " | Access to "},
  };
  int n = 0;
  for (const auto& c : kCases) {
    const std::string path = dir + "/doc" + std::to_string(++n) + ".bin";
    {
      FILE* f = fopen(path.c_str(), "wb");
      fputs(old.c_str(), f);
      fclose(f);
    }
    const std::string result = c.save(path);
    EXPECT_EQ("failed" + c.box + path + (c.box == " | Access to " ? " was denied." : "."), result) << c.what;
    EXPECT_EQ(old, dravonix::test::ReadFileText(path)) << c.what;
    EXPECT_TRUE(dravonix::test::SaveLeftovers(path).empty()) << c.what;
  }
  // A save that succeeds replaces the file whole.
  const std::string path = dir + "/doc1.bin";
  EXPECT_EQ("saved", Save(path, 3, false));
  EXPECT_EQ("nnn", dravonix::test::ReadFileText(path));
}

}  // namespace

namespace {

struct SwapAt {
  static inline int step = 0, at = -1;
  static inline std::string dir;
  static inline const dravonix::test::Outside* outside = nullptr;
};

}  // namespace

TEST(DocumentSaveTest, ALinkSwappedForItsTemporaryAtAnyStepChangesNothingOutsideTheFolder) {
  const std::string root = dravonix::test::ScratchDir("ui-doc-swapped");
  const dravonix::test::Outside outside(root + "/outside");
  const auto before = outside.State();
  SwapAt::outside = &outside;
  g_pfnSaveStep = [](const char*) {
    if (SwapAt::step++ == SwapAt::at) dravonix::test::SwapOwnNamesForLinks(SwapAt::dir, *SwapAt::outside, SwapAt::at % 2);
  };
  int steps = 0;
  for (int at = -1; at < steps; ++at) {
    SwapAt::dir = root + "/doc" + std::to_string(at + 1);
    std::filesystem::create_directories(SwapAt::dir);
    const std::string path = SwapAt::dir + "/doc.bin";
    FILE* f = fopen(path.c_str(), "wb");
    fputs("old", f);
    fclose(f);
    chmod(path.c_str(), 0600);  // so that the new file takes the old one's mode
    SwapAt::step = 0;
    SwapAt::at = at;
    const std::string result = Save(path, 100, false);
    if (at < 0) {
      EXPECT_EQ(result, "saved");
      steps = SwapAt::step;
    } else {
      EXPECT_EQ(result, "failed | Access to " + path + " was denied.") << at;
      EXPECT_EQ(dravonix::test::ReadFileText(path), "old") << at;
    }
    EXPECT_EQ(outside.State(), before) << "swapped at step " << at;
  }
  g_pfnSaveStep = nullptr;
  EXPECT_EQ(steps, 4);  // its descriptor, its mode, its sync and its rename
}

TEST(DocumentSaveTest, ASaveSyncsItsFileBeforeTheRenameAndTheFolderAfter) {
  const std::string dir = std::filesystem::canonical(dravonix::test::ScratchDir("ui-doc-synced")).string();
  static std::vector<std::string> s_calls;
  s_calls.clear();
  g_pfnSyncStep = [](const char* path) {
    // A new file's temporary has no name (the system shows one for its number).
    s_calls.push_back(std::regex_replace(std::string(path), std::regex("(doc\\.bin\\.~dvx-[a-z0-9]{6}|#[0-9]+ \\(deleted\\))$"), "<temporary>"));
  };
  const std::string result = Save(dir + "/doc.bin", 100, false);
  g_pfnSyncStep = nullptr;
  EXPECT_EQ(result, "saved");
  EXPECT_EQ(s_calls, (std::vector<std::string>{dir + "/<temporary>", dir}));
}

namespace {

int s_listings = 0;

}  // namespace

TEST(DocumentSaveTest, ASaveListsItsFolderAtMostOnceAndFindsTheFileInAnyCase) {
  const std::string root = dravonix::test::ScratchDir("ui-doc-listed");
  const struct {
    const char* what;
    const char* existing;  // the file there before ("old"), null for none
    bool locked;           // held by another, exclusively
    int listings;
    std::string box;       // after "failed | ", empty for a save that succeeds
    std::vector<std::string> after;
  } kCases[] = {
      {"a new document", nullptr, false, 1, "", {"doc.bin=nnn"}},
      {"over the file as spelled", "doc.bin", false, 0, "", {"doc.bin=nnn"}},
      {"over the file in another case", "Doc.BIN", false, 1, "", {"Doc.BIN=nnn"}},
      {"over a file held by another, in another case", "Doc.BIN", true, 1, "A sharing violation occurred while accessing ",
       {"Doc.BIN=old"}},
  };
  int n = 0;
  for (const auto& c : kCases) {
    const std::string dir = root + "/" + std::to_string(++n);
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 20; ++i) std::ofstream(dir + "/other" + std::to_string(i));
    if (c.existing) std::ofstream(dir + "/" + c.existing) << "old";
    CFile holder;
    if (c.locked) {
      ASSERT_TRUE(holder.Open((dir + "/" + c.existing).c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    }
    const std::string path = dir + "/doc.bin";
    s_listings = 0;
    g_pfnFolderListed = [](const char*) { ++s_listings; };
    const std::string result = Save(path, 3, false);
    g_pfnFolderListed = nullptr;
    if (c.locked) holder.Close();
    EXPECT_EQ(result, c.box.empty() ? "saved" : "failed | " + c.box + path + ".") << c.what;
    EXPECT_EQ(s_listings, c.listings) << c.what;
    EXPECT_EQ(dravonix::test::NamesAndContents(dir, "other"), c.after) << c.what;
  }
}
