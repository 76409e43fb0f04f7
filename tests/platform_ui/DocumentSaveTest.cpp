// A document saved over the file it came from: a save that fails keeps the old file byte for byte
// and its box names the file and the reason.
#include "platform/core/Archive.h"
#include "platform/core/Automation.h"
#include "platform/ui/Document.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
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
