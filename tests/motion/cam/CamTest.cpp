// CAM tables: the word image, files, text import and export, the two lists and the drive round trip.
#include "comm/MC_Comm.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/BoxTexts.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"
#include "tests/support/SimulatedDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using dravonix::test::KernelDir;
using dravonix::test::ScratchDir;

namespace {

using dravonix::test::BoxTexts;
using dravonix::test::ReadFileBytes;
using dravonix::test::ReadFileText;
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}
void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, {text.begin(), text.end()}); }

CMC_CAM MakeCam(const char* name, int k, LONG start, std::vector<LONG> points) {
  CMC_CAM cam;
  cam.SetName(name);
  cam.SetStep(k);
  cam.SetMasterStart(start);
  cam.SetPoints(points.data(), (int)points.size());
  return cam;
}

std::vector<WORD> Image(const CMC_CAM& cam) {
  std::vector<WORD> w((size_t)cam.GetCAMSizeInWords());
  cam.WriteToBuffer(w.data());
  return w;
}

class CamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Automation::Instance().Reset();
    g_bShowErrors = TRUE;
    dir = ScratchDir("cam");
  }
  void TearDown() override {
    g_bShowErrors = TRUE;
    Automation::Instance().Reset();
  }
  std::string dir;
};

TEST_F(CamTest, ImageLayout) {
  CMC_CAM fresh;
  EXPECT_EQ(fresh.GetPointsCount(), 1);
  std::vector<WORD> one = Image(fresh);
  EXPECT_EQ(one, (std::vector<WORD>{0, 0, 0, 0, 0, 0, 0, 0}));

  CMC_CAM cam = MakeCam("c", 3, 0x12345678, {1, -1, 0x00020003});
  std::vector<WORD> w = Image(cam);
  ASSERT_EQ(w.size(), 12u);
  EXPECT_EQ(w[0], 0x6002);
  EXPECT_EQ(w[1], 0x5678);
  EXPECT_EQ(w[2], 0x1234);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(w[4], 0);
  EXPECT_EQ(w[5], 1);
  EXPECT_EQ(w[7], 0xFFFF);
  EXPECT_EQ(w[8], 0xFFFF);
  EXPECT_EQ(w[9], 3);
  EXPECT_EQ(w[10], 2);
  WORD sum = 0;
  for (int i = 0; i < 11; ++i) sum = (WORD)(sum + w[i]);
  EXPECT_EQ(w[11], sum);
  EXPECT_EQ(cam.GetChecksum(), sum);

  CMC_CAM back;
  EXPECT_EQ(back.ReadFromBuffer(w.data(), (int)w.size()), 12);
  EXPECT_EQ(back.GetStep(), 3);
  EXPECT_EQ(back.GetMasterStart(), 0x12345678);
  EXPECT_EQ(back.GetPoint(1), -1);
  EXPECT_EQ(back.GetPoint(2), 0x00020003);
}

TEST_F(CamTest, LargestTable) {
  std::vector<LONG> points(8192);
  for (int i = 0; i < 8192; ++i) points[i] = i * 1000 - 4000000;
  CMC_CAM cam = MakeCam("big", 7, -5, points);
  ASSERT_EQ(cam.GetCAMSizeInWords(), 16390);
  std::vector<WORD> w = Image(cam);
  EXPECT_EQ(w[0], 0xFFFF);
  std::string path = dir + "/big.cam";
  ASSERT_EQ(cam.Save(path.c_str()), 1);
  EXPECT_EQ(ReadFileBytes(path).size(), 2u * 16390);
  CMC_CAM back;
  ASSERT_EQ(back.Load(path.c_str()), 1);
  EXPECT_EQ(Image(back), w);

  // One point more is not a valid table.
  points.push_back(0);
  CMC_CAM over = MakeCam("over", 0, 0, points);
  EXPECT_EQ(over.GetCAMSizeInWords(), 0);
  CMC_CAM badStep = MakeCam("k8", 8, 0, {1});
  EXPECT_EQ(badStep.GetCAMSizeInWords(), 0);
  WORD untouched[4] = {7, 7, 7, 7};
  badStep.WriteToBuffer(untouched);
  EXPECT_EQ(untouched[0], 7);
  EXPECT_EQ(over.Save((dir + "/over.cam").c_str()), 0);
  EXPECT_EQ(BoxTexts().back(), "CAM 'over' isn't a valid CAM object!");
  EXPECT_FALSE(std::filesystem::exists(dir + "/over.cam"));
}

TEST_F(CamTest, ReadingRefusesShortOrWrongImages) {
  std::vector<WORD> w = Image(MakeCam("c", 1, 10, {5, 6}));
  CMC_CAM cam;
  EXPECT_EQ(cam.ReadFromBuffer(w.data(), 1), 0);
  EXPECT_EQ(cam.ReadFromBuffer(w.data(), (int)w.size() - 1), 0);
  EXPECT_EQ(cam.GetPointsCount(), 1);  // unchanged
  std::vector<WORD> bad = w;
  bad[6] ^= 1;
  EXPECT_EQ(cam.ReadFromBuffer(bad.data(), (int)bad.size()), 0);
  // Word 3 counts in the sum, word 4 does not.
  bad = w;
  bad[4] = 0x1234;
  EXPECT_EQ(cam.ReadFromBuffer(bad.data(), (int)bad.size()), 10);
  bad = w;
  bad[3] = 1;
  EXPECT_EQ(cam.ReadFromBuffer(bad.data(), (int)bad.size()), 0);
  bad[9] = (WORD)(bad[9] + 1);
  EXPECT_EQ(cam.ReadFromBuffer(bad.data(), (int)bad.size()), 10);
}

TEST_F(CamTest, FileHoldsTheImageLittleEndian) {
  // k 1, one point: word 0 = 0x2000, start low then high, two zero words, the point, the sum.
  const std::vector<uint8_t> golden = {0x00, 0x20, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x03, 0x00, 0x04, 0x00, 0x0A, 0x20};
  std::string path = dir + "/g.cam";
  ASSERT_EQ(MakeCam("g", 1, 0x00020001, {0x00040003}).Save(path.c_str()), 1);
  EXPECT_EQ(ReadFileBytes(path), golden);
  CMC_CAM read;
  ASSERT_EQ(read.Load(path.c_str()), 1);
  EXPECT_EQ(read.GetStep(), 1);
  EXPECT_EQ(read.GetMasterStart(), 0x00020001);
  EXPECT_EQ(read.GetPoint(0), 0x00040003);
}

TEST_F(CamTest, FileValidation) {
  CMC_CAM cam = MakeCam("c", 2, 100, {1, 2, 3});
  std::string path = dir + "/c.cam";
  ASSERT_EQ(cam.Save(path.c_str()), 1);
  std::vector<uint8_t> good = ReadFileBytes(path);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> extra = good;
  extra.push_back(0);
  extra.push_back(0);
  std::vector<uint8_t> odd = good;
  odd.push_back(0);
  std::vector<uint8_t> sum = good;
  sum[sum.size() - 2] ^= 0x10;
  std::vector<uint8_t> count = good;
  count[0] = 0x05;  // six points announced, three present
  Case cases[] = {{"extra word", extra}, {"odd size", odd}, {"empty", {}}, {"checksum", sum}, {"count", count}};
  for (const Case& c : cases) {
    Automation::Instance().ClearMessageBoxes();
    std::string bad = dir + "/bad.cam";
    WriteBytes(bad, c.bytes);
    CMC_CAM read = MakeCam("r", 1, 7, {9});
    EXPECT_EQ(read.Load(bad.c_str()), 0) << c.what;
    ASSERT_EQ(BoxTexts().size(), 1u) << c.what;
    EXPECT_EQ(BoxTexts()[0], "The file \"" + bad + "\" isn't a valid CAM file!") << c.what;
    EXPECT_EQ(read.GetMasterStart(), 7) << c.what;
  }
  Automation::Instance().ClearMessageBoxes();
  g_bShowErrors = FALSE;
  EXPECT_EQ(cam.Load((dir + "/missing.cam").c_str()), 0);
  EXPECT_TRUE(BoxTexts().empty());
  g_bShowErrors = TRUE;
  EXPECT_EQ(cam.Load((dir + "/missing.cam").c_str()), 0);
  EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_F(CamTest, TextImportAndExport) {
  std::string path = dir + "/t.txt";
  WriteText(path, "# cam\r\n100\t5\r\n\r\n  104 -6 trailing words\r\n108\t7\r\n");
  CMC_CAM cam;
  ASSERT_EQ(cam.Import(path.c_str()), 1);
  EXPECT_EQ(cam.GetMasterStart(), 100);
  EXPECT_EQ(cam.GetStep(), 2);
  ASSERT_EQ(cam.GetPointsCount(), 3);
  EXPECT_EQ(cam.GetPoint(1), -6);
  std::string out = dir + "/out.txt";
  ASSERT_EQ(cam.Export(out.c_str()), 1);
  EXPECT_EQ(ReadFileText(out), "100\t5\r\n104\t-6\r\n108\t7\r\n");

  struct Case {
    const char* text;
    int line;
  } cases[] = {
      {"100\t1\n103\t2\n", 2}, {"100\t1\n356\t2\n", 2}, {"100\t1\n104\t2\n109\t3\n", 3},
      {"100\t1\n# note\n\n104\t2\n109\t3\n", 5}, {"100\n", 1}, {"abc def\n", 1}, {"100 1\n100 2\n", 2},
      {"", 0},
  };
  for (const Case& c : cases) {
    Automation::Instance().ClearMessageBoxes();
    WriteText(path, c.text);
    CMC_CAM keep = MakeCam("k", 1, 42, {1, 2});
    EXPECT_EQ(keep.Import(path.c_str()), 0) << c.text;
    ASSERT_EQ(BoxTexts().size(), 1u) << c.text;
    EXPECT_EQ(BoxTexts()[0], "Invalid syntax in file " + path + ", line " + std::to_string(c.line)) << c.text;
    EXPECT_NE(Automation::Instance().MessageBoxes()[0].type & MB_ICONSTOP, 0u);
    EXPECT_EQ(keep.GetMasterStart(), 42);
    EXPECT_EQ(keep.GetPointsCount(), 2);
  }
  // More points than a table may hold import, but are not valid for saving.
  std::string many;
  for (int i = 0; i < 8193; ++i) many += std::to_string(i) + " " + std::to_string(i) + "\n";
  WriteText(path, many);
  ASSERT_EQ(cam.Import(path.c_str()), 1);
  EXPECT_EQ(cam.GetPointsCount(), 8193);
  EXPECT_EQ(cam.GetCAMSizeInWords(), 0);
  EXPECT_EQ(cam.Export(out.c_str()), 0);
}

TEST_F(CamTest, NamesAcrossBothLists) {
  CMC_CAMTables t;
  ASSERT_EQ(t.AddNewSelCAM("Cam1"), 1);
  ASSERT_EQ(t.AddNewSelCAM("Cam2"), 1);
  ASSERT_EQ(t.AddNewSelCAM("Spare"), 1);
  ASSERT_EQ(t.DemoteSelectedToAvailable(2), 1);
  EXPECT_EQ(t.AddNewSelCAM("SPARE"), 0);
  EXPECT_EQ(BoxTexts().back(), "Duplicate name: there is another CAM with the same name!");
  EXPECT_EQ(t.GetSelCAM(0)->GetPointsCount(), 1);

  EXPECT_EQ(t.RenameSelCAM(0, "CAM1"), 1);
  EXPECT_STREQ(t.GetSelCAM(0)->GetName(), "CAM1");
  EXPECT_EQ(t.RenameSelCAM(0, "spare"), 0);
  EXPECT_EQ(BoxTexts().back(), "Duplicate name: there is another CAM with the same name!");
  EXPECT_EQ(t.RenameSelCAM(0, "cam2"), 0);
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(t.RenameSelCAM(0, "a*b"), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Invalid name. "});
  EXPECT_EQ(t.RenameAvailCAM(0, "a*b"), 1);
  EXPECT_EQ(t.RenameAvailCAM(0, "cam2"), 0);
  EXPECT_EQ(t.RenameSelCAM(5, "x"), 0);
  g_bShowErrors = FALSE;
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(t.AddNewSelCAM("cam1"), 0);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CamTest, ListMoves) {
  CMC_CAMTables t;
  for (const char* n : {"a", "b", "c"}) t.AddNewSelCAM(n);
  t.GetSelCAM(0)->SetMasterStart(9);
  EXPECT_EQ(t.MoveSelCAMUp(0), 0);
  EXPECT_EQ(t.MoveSelCAMDown(2), 0);
  EXPECT_EQ(t.MoveSelCAMDown(0), 1);
  EXPECT_EQ(t.MoveSelCAMUp(2), 1);
  CStringArray names;
  t.GetSelectedCAMs(names);
  EXPECT_STREQ(names[0], "b");
  EXPECT_STREQ(names[1], "c");
  EXPECT_STREQ(names[2], "a");
  CMC_CAM* a = t.GetSelCAM(2);
  EXPECT_EQ(t.DemoteSelectedToAvailable(2), 1);
  EXPECT_EQ(t.GetAvailCAM(0), a);  // moved, not copied
  EXPECT_EQ(a->GetMasterStart(), 9);
  EXPECT_TRUE(t.HasAvailableCAMs());
  EXPECT_EQ(t.DemoteAllSelected(), 1);
  EXPECT_EQ(t.DemoteAllSelected(), 0);
  t.GetAvailableCAMs(names);
  ASSERT_EQ(names.GetSize(), 3);
  EXPECT_STREQ(names[1], "b");
  EXPECT_EQ(t.PromoteAvailableToSelected(1), 1);
  EXPECT_EQ(t.PromoteAllAvailable(), 1);
  t.GetSelectedCAMs(names);
  EXPECT_STREQ(names[0], "b");
  EXPECT_STREQ(names[1], "a");
  EXPECT_STREQ(names[2], "c");
  EXPECT_EQ(t.GetCAMsSizesInWords(), 24);
  t.DemoteSelectedToAvailable(0);
  t.RemoveAvailable(0);
  t.RemoveAvailable(3);
  EXPECT_FALSE(t.HasAvailableCAMs());
  CMC_CAMTables copy(t);
  EXPECT_NE(copy.GetSelCAM(0), t.GetSelCAM(0));
  EXPECT_STREQ(copy.GetSelCAM(0)->GetName(), "a");
  EXPECT_EQ(copy.GetSelCAM(0)->GetMasterStart(), 9);
}

TEST_F(CamTest, ImportingOneFileTwiceUniquesTheName) {
  std::string path = dir + "/a.cam";
  ASSERT_EQ(MakeCam("x", 1, 0, {1, 2}).Save(path.c_str()), 1);
  CMC_CAMTables t;
  // Through the command's file dialog, as the host reaches it; a cancelled dialog imports nothing.
  DialogAutomation::Reset();
  DialogAutomation::PushFileDialogResult(nullptr);
  EXPECT_EQ(t.ImportCAM(), 0);
  for (int i = 0; i < 3; ++i) {
    DialogAutomation::PushFileDialogResult(path.c_str());
    ASSERT_EQ(t.ImportCAM(), 1);
  }
  const auto asked = DialogAutomation::CommonDialogs();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].filter, "CAM Files (*.cam)|*.cam|All Files (*.*)|*.*||");
  EXPECT_EQ(asked[0].defExt, "cam");
  EXPECT_EQ(asked[0].initialDir, std::string(GetKernelDirectory().GetString()));
  EXPECT_EQ(asked[0].flags & (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY), (DWORD)(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
  CStringArray names;
  t.GetSelectedCAMs(names);
  ASSERT_EQ(names.GetSize(), 3);
  EXPECT_STREQ(names[0], "a");
  EXPECT_STREQ(names[1], "a#2");
  EXPECT_STREQ(names[2], "a#3");
  EXPECT_EQ(t.GetSelCAM(1)->GetPoint(1), 2);
  std::string text = dir + "/a.txt";
  WriteText(text, "0 1\n1 2\n");
  DialogAutomation::PushFileDialogResult(text.c_str());
  ASSERT_EQ(t.ImportCAMFromTextFile(), 1);
  EXPECT_EQ(DialogAutomation::CommonDialogs().back().filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_STREQ(t.GetSelCAM(3)->GetName(), "a#4");
  WriteText(text, "0 1\n3 2\n");
  EXPECT_EQ(t.ImportCAMFromTextFile(text.c_str()), 0);
  EXPECT_EQ(t.GetCAMsCount(), 4);
}

TEST_F(CamTest, DirectoryRoundTrip) {
  // Motion directories are named relative to the kernel folder.
  std::filesystem::create_directories(KernelDir() + "/Motion/prog");
  const char* rel = "Motion\\prog";
  std::string abs = KernelDir() + "/Motion/prog";
  WriteBytes(abs + "/foreign.cam", {0, 0});
  CMC_CAMTables t;
  t.AddNewSelCAM("stale");
  ASSERT_EQ(t.Save(rel), 1);
  t.DemoteSelectedToAvailable(0);
  t.RemoveAvailable(0);
  t.AddNewSelCAM("second");
  t.AddNewSelCAM("First#1");
  t.AddNewSelCAM("kept");
  *t.GetSelCAM(0) = MakeCam("second", 4, -20, {3, 4, 5});
  t.DemoteSelectedToAvailable(2);
  ASSERT_EQ(t.Save(rel), 1);
  // The file of a table this program wrote and removed goes; one it never read stays.
  EXPECT_FALSE(std::filesystem::exists(abs + "/stale.cam"));
  EXPECT_TRUE(std::filesystem::exists(abs + "/foreign.cam"));
  std::filesystem::remove(abs + "/foreign.cam");
  EXPECT_EQ(ReadFileText(abs + "/cam.cfg"), "\"second\"\r\n\"First\\d1\"\r\n");

  CMC_CAMTables back;
  ASSERT_EQ(back.Load(rel), 1);
  CStringArray names;
  back.GetSelectedCAMs(names);
  ASSERT_EQ(names.GetSize(), 2);
  EXPECT_STREQ(names[0], "second");
  EXPECT_STREQ(names[1], "First#1");
  EXPECT_EQ(Image(*back.GetSelCAM(0)), Image(*t.GetSelCAM(0)));
  back.GetAvailableCAMs(names);
  ASSERT_EQ(names.GetSize(), 1);
  EXPECT_STREQ(names[0], "kept");

  // A listed table that is missing is ignored; a broken file is dropped and the rest stay usable.
  WriteText(abs + "/cam.cfg", "\"gone\"\r\n\"KEPT\"\r\n");
  WriteBytes(abs + "/broken.cam", {1, 2, 3, 4});
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(back.Load(rel), 0);
  back.GetSelectedCAMs(names);
  ASSERT_EQ(names.GetSize(), 1);
  EXPECT_STREQ(names[0], "kept");
  EXPECT_EQ(back.GetAvailableCount(), 2);
  EXPECT_EQ(BoxTexts().size(), 1u);

  std::filesystem::remove(abs + "/cam.cfg");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(back.Load(rel), 0);
  EXPECT_EQ(back.GetCAMsCount(), 0);
  EXPECT_EQ(back.GetAvailableCount(), 3);
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ(BoxTexts().back().rfind("Cannot open file ", 0), 0u);
}

class CamDriveTest : public CamTest {
 protected:
  void SetUp() override {
    CamTest::SetUp();
    CMC_Comm::m_bNetMaster = 0;
    ASSERT_TRUE(dravonix::test::StartOnlineDrive());
    tables.AddNewSelCAM("one");
    tables.AddNewSelCAM("two");
    *tables.GetSelCAM(0) = MakeCam("one", 2, 100, {10, -20, 30, 40});
    *tables.GetSelCAM(1) = MakeCam("two", 0, -7, {0x10000, 5});
  }
  void TearDown() override {
    dravonix::test::StopOnlineDrive();
    CamTest::TearDown();
  }
  CMC_CAMTables tables;
  static constexpr WORD kAddress = 0x6000;
};

TEST_F(CamDriveTest, DownloadedTablesCompareEqual) {
  ASSERT_EQ(tables.GetCAMsSizesInWords(), 14 + 10);
  ASSERT_EQ(tables.SaveToActiveBoard(kAddress, 0x100), 1);
  CWordArray image;
  tables.BuildImage(image);
  std::vector<uint16_t> drive(24);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, kAddress, drive.data(), drive.size()));
  for (int i = 0; i < 24; ++i) EXPECT_EQ(drive[i], image[i]) << i;
  int equal = -1;
  ASSERT_EQ(tables.CompareWithActiveBoard(kAddress, 0x100, equal), 1);
  EXPECT_EQ(equal, 1);

  // A changed word of the second table (at the address plus the first table's size) is seen.
  uint16_t w = 0x1234;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, kAddress + 14 + 6, &w, 1));
  ASSERT_EQ(tables.CompareWithActiveBoard(kAddress, 0x100, equal), 1);
  EXPECT_EQ(equal, 0);
  // So is a drive whose image agrees with itself but not with the table.
  ASSERT_EQ(tables.SaveToActiveBoard(kAddress, 0x100), 1);
  CMC_CAMTables other(tables);
  other.GetSelCAM(0)->GetPoints()[0] = 11;
  ASSERT_EQ(other.CompareWithActiveBoard(kAddress, 0x100, equal), 1);
  EXPECT_EQ(equal, 0);
  ASSERT_EQ(tables.CompareWithActiveBoard(kAddress, 0x100, equal), 1);
  EXPECT_EQ(equal, 1);
}

TEST_F(CamDriveTest, OverflowAndCommunicationFailures) {
  EXPECT_EQ(tables.SaveToActiveBoard(kAddress, 23), 0);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0],
            "CAM tables segment overflow!\nAllocated segment has 0017 words and the current size of CAM tables is 0018.");
  int equal = -1;
  EXPECT_EQ(tables.CompareWithActiveBoard(kAddress, 23, equal), 1);
  EXPECT_EQ(equal, 0);

  DriveSimulator::FailNextCalls(1, "line down");
  EXPECT_EQ(tables.SaveToActiveBoard(kAddress, 0x100), 0);
  ASSERT_EQ(tables.SaveToActiveBoard(kAddress, 0x100), 1);
  DriveSimulator::FailNextCalls(1, "line down", "DAV_CheckSum");
  EXPECT_EQ(tables.CompareWithActiveBoard(kAddress, 0x100, equal), 0);
  DriveSimulator::FailNextCalls(1, "line down", "DAV_ReceiveData");
  EXPECT_EQ(tables.CompareWithActiveBoard(kAddress, 0x100, equal), 0);

  CMC_CAMTables none;
  EXPECT_EQ(none.SaveToActiveBoard(kAddress, 0), 1);
  EXPECT_EQ(none.CompareWithActiveBoard(kAddress, 0, equal), 1);
  EXPECT_EQ(equal, 1);
}

}  // namespace
