// A plot exported over a file the user already has: an export that fails keeps the old file byte
// for byte and its box names the file and the reason.
#include "platform/core/Automation.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/plot/GraphWindowTestSupport.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

using namespace graphtest;

TEST(ExportSave, AFailedExportKeepsTheOldFileAndNamesIt) {
  const std::string dir = dravonix::test::ScratchDir("plot-export-save");
  const std::string old = "the user's own file";
  Plot p;
  p.AddCurve("t", Ramp(200));
  p.AddCurve("y", Sine(200, 2));
  p.Draw(0, 1);
  Host host(&p.plot, 200, 150);
  const struct {
    const char* what;
    std::string path;
    std::function<void(const std::string&)> write;
  } kCases[] = {
      {"data", dir + "/data.txt", [&](const std::string& path) { p.plot.WriteASCII(path.c_str()); }},
      {"placeable metafile", dir + "/placeable.wmf",
       [&](const std::string& path) {
         CSaveMetaFileDC mf;
         if (!mf.Create(path.c_str())) return;
         for (int i = 0; i < 50; ++i) mf.Rectangle(i, i, 100 + i, 100 + i);
         DeleteMetaFile(mf.Close());
       }},
      {"enhanced metafile", dir + "/graph.emf",
       [&](const std::string& path) {
         DialogAutomation::PushFileDialogResult(path.c_str());
         Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace it
         host.graph.CreateWMF("graph");
       }},
  };
  for (const auto& c : kCases) {
    {
      FILE* f = fopen(c.path.c_str(), "wb");
      fputs(old.c_str(), f);
      fclose(f);
    }
    const std::string boxes = dravonix::test::WithFileSizeLimit(64, [&] {
      Automation::Instance().ClearMessageBoxes();
      c.write(c.path);
      const auto shown = Automation::Instance().MessageBoxes();
      return std::to_string(shown.size()) + " " + (shown.empty() ? "" : shown.back().text);
    });
    EXPECT_EQ((c.path.find(".emf") != std::string::npos ? "2" : "1") + (" Disk full while accessing " + c.path + "."),
              boxes)
        << c.what;
    EXPECT_EQ(old, dravonix::test::ReadFileText(c.path)) << c.what;
    EXPECT_TRUE(dravonix::test::SaveLeftovers(c.path).empty()) << c.what;
  }
  DialogAutomation::Reset();
}

TEST(ExportSave, APlaceableMetafileNotWrittenClosesWithoutAHandle) {
  const std::string path = dravonix::test::ScratchDir("plot-placeable") + "/picture.wmf";
  auto draw = [](CMetaFileDC& mf) {
    for (int i = 0; i < 50; ++i) mf.Rectangle(i, i, 100 + i, 100 + i);
  };
  // The recording fits under the limit; the file, 22 bytes of header more, does not.
  CMetaFileDC memory;
  ASSERT_TRUE(memory.Create(nullptr));
  draw(memory);
  HMETAFILE recorded = memory.Close();
  const UINT size = GetMetaFileBitsEx(recorded, 0, nullptr);
  DeleteMetaFile(recorded);
  ASSERT_GT(size, 0u);
  {
    FILE* f = fopen(path.c_str(), "wb");
    fputs("the user's own file", f);
    fclose(f);
  }
  const std::string seen = dravonix::test::WithFileSizeLimit(size + 11, [&] {
    Automation::Instance().ClearMessageBoxes();
    CSaveMetaFileDC mf;
    if (!mf.Create(path.c_str())) return std::string("not created");
    draw(mf);
    HMETAFILE h = mf.Close();
    DeleteMetaFile(h);
    std::string out = h ? "a handle" : "no handle";
    for (const auto& box : Automation::Instance().MessageBoxes()) out += "|" + box.text;
    return out;
  });
  EXPECT_EQ("no handle|Disk full while accessing " + path + ".", seen);
  EXPECT_EQ("the user's own file", dravonix::test::ReadFileText(path));
  EXPECT_TRUE(dravonix::test::SaveLeftovers(path).empty());
}

TEST(ExportSave, ASecondCreateOfAPlaceableMetafileIsRefusedAndLeavesNoTemporary) {
  const std::string dir = dravonix::test::ScratchDir("plot-placeable-twice");
  const std::string tmp = dir + "/tmp";
  std::filesystem::create_directories(tmp);
  const char* oldTmp = getenv("TMPDIR");
  const std::string keep = oldTmp ? oldTmp : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  {
    CSaveMetaFileDC mf;
    ASSERT_TRUE(mf.Create((dir + "/a.wmf").c_str()));
    EXPECT_FALSE(mf.Create((dir + "/b.wmf").c_str()));
    mf.Rectangle(0, 0, 10, 10);
    DeleteMetaFile(mf.Close());
    EXPECT_TRUE(std::filesystem::exists(dir + "/a.wmf"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/b.wmf"));
    // Closed, it records again.
    ASSERT_TRUE(mf.Create((dir + "/c.wmf").c_str()));
    DeleteMetaFile(mf.Close());
    EXPECT_TRUE(std::filesystem::exists(dir + "/c.wmf"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  if (oldTmp) setenv("TMPDIR", keep.c_str(), 1);
  else unsetenv("TMPDIR");
}
