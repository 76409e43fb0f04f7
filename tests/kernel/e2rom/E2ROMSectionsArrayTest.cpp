// The E2ROM software image: checks, SW files, COFF sections, setup and CAM images, drive transfers.
#include "comm/MC_Comm.h"
#include "kernel/e2rom/E2ROMInfo.h"
#include "kernel/e2rom/E2ROMSectionsArray.h"
#include "motion/cam/MC_CAMTables.h"
#include "platform/core/MessageBox.h"
#include "suite/coff/CoffWriter.h"
#include "suite/modules/compiler/ZurCompiler.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cstring>

namespace {

class E2ROMImageTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    dravonix::test::StartSimulatedDrive(MB_RETRYCANCEL);
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_dir = dravonix::test::ScratchDir("sw");
  }
  void TearDown() override {
    m_setup.reset();
    CMC_Comm::Close();
    DriveSimulator::Reset();
    SetupTest::TearDown();
  }
  // An image read from SW text.
  int Read(CE2ROMSectionsArray& sw, const std::string& text) {
    WriteBytes(m_dir + "/in.sw", text);
    return sw.ReadSW((m_dir + "/in.sw").c_str());
  }
  static std::string Words(const char* start, int count, int first = 1) {
    std::string s = std::string(start) + "\r\n";
    for (int i = 0; i < count; ++i) s += FormatString("%X\r\n", first + i);
    return s + "\r\n";
  }
  SetupPtr m_setup;
  std::string m_dir;
};

}  // namespace

TEST_F(E2ROMImageTest, VerifyFindsOverlapsAndBounds) {
  CE2ROMSectionsArray sw(*m_setup);
  EXPECT_EQ(sw.Verify(), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "There are no informations to save");
  EXPECT_EQ(Read(sw, Words("4010", 1) + Words("4000", 16)), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.GetSize(), 2);
  EXPECT_EQ(sw[0]->m_wStart, 0x4000);  // sorted
  EXPECT_EQ(Read(sw, Words("4000", 17) + Words("4010", 1)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are overlapped");
  EXPECT_EQ(sw.GetSize(), 2);  // what was read stays
  // E2ROM size 0x4000: an end at exactly 0x8000 fits, one word more does not.
  EXPECT_EQ(Read(sw, Words("7FF0", 16)), 1);
  EXPECT_EQ(Read(sw, Words("7FF0", 17)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are beyond the E2ROM boundaries");
  EXPECT_EQ(Read(sw, Words("3FFF", 1)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are beyond the E2ROM boundaries");
  // An end past 0xFFFF does not wrap around into the window.
  EXPECT_EQ(Read(sw, Words("4000", 1) + Words("FFF8", 0x10)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are beyond the E2ROM boundaries");
}

TEST_F(E2ROMImageTest, SwFilesRoundTrip) {
  CE2ROMSectionsArray sw(*m_setup);
  // Sections separated by several empty lines and indented numbers read as the same sections.
  ASSERT_EQ(Read(sw, "  5000\r\n\tAB\r\n  cd\r\n\r\n\r\n\r\n4000\r\n1\r\n\r\n"), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.GetSize(), 2);
  EXPECT_EQ(sw[1]->m_wStart, 0x5000);
  EXPECT_EQ(sw[1]->m_arrWords.GetSize(), 2);
  EXPECT_EQ(sw[1]->m_arrWords[1], 0xCD);
  ASSERT_EQ(sw.WriteSW((m_dir + "/out.sw").c_str()), 1);
  EXPECT_EQ(ReadBytes(m_dir + "/out.sw"), "4000\r\n1\r\n\r\n5000\r\nAB\r\nCD\r\n\r\n");
  CE2ROMSectionsArray again(*m_setup);
  ASSERT_EQ(again.ReadSW((m_dir + "/out.sw").c_str()), 1);
  ASSERT_EQ(again.WriteSW((m_dir + "/out2.sw").c_str()), 1);
  EXPECT_EQ(ReadBytes(m_dir + "/out2.sw"), ReadBytes(m_dir + "/out.sw"));
  // Missing files and a bad image are not written.
  EXPECT_EQ(again.ReadSW((m_dir + "/none.sw").c_str()), 0);
  EXPECT_EQ(std::string(again.GetLastErrorText()), "Unable to open file " + m_dir + "/none.sw");
  EXPECT_EQ(again.WriteSW((m_dir + "/x.sw").c_str()), 0);
  EXPECT_STREQ(again.GetLastErrorText(), "There are no informations to save");
  EXPECT_EQ(sw.WriteSW((m_dir + "/nofolder/x.sw").c_str()), 0);
  EXPECT_NE(std::string(sw.GetLastErrorText()).find("Unable to open file"), std::string::npos);
}

TEST_F(E2ROMImageTest, CompiledProgramSections) {
  std::string src = m_dir + "/p.zur";
  WriteBytes(src, "int v; BEGIN; L: v = 1; GOTO L; END;");
  zurc::Options o;
  o.loadAddress = 0x4100;
  o.runAddress = 0x4100;
  o.length = 0x100;
  o.dataStart = 944;
  o.dataSize = 80;
  zurc::Compiler c(o);
  ASSERT_TRUE(c.CompileFile(src)) << c.Error();
  CE2ROMSectionsArray sw(*m_setup);
  ASSERT_EQ(sw.AppendOutFile(c.OutputPath().c_str()), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.GetSize(), 1);  // the data section is on page 1
  EXPECT_EQ(sw[0]->m_wStart, 0x4100);
  EXPECT_EQ(sw[0]->m_arrWords.GetSize(), 7);
  EXPECT_EQ(sw.Verify(), 1);

  // Format errors, in the order the header is checked; sections read before stay.
  auto refuse = [&](coff::Writer w) {
    w.WriteFile(m_dir + "/bad.out");
    EXPECT_EQ(sw.AppendOutFile((m_dir + "/bad.out").c_str()), 0);
    return std::string(sw.GetLastErrorText());
  };
  coff::Writer good;
  coff::Section text;
  text.name = ".text";
  text.loadAddress = text.runAddress = 0x4200;
  text.words = {1, 2};
  good.AddSection(text);
  const std::string bad = m_dir + "/bad.out";
  coff::Writer w = good;
  w.versionId = 0x00C2;
  w.targetId = 0x0093;
  EXPECT_EQ(refuse(w), "File " + bad + " format is not COFF version 1");
  w = good;
  w.targetId = 0x0093;
  w.optionalHeader = false;
  EXPECT_EQ(refuse(w), "File " + bad + " is not in TMS320 Fix Point format");
  w = good;
  w.optionalHeader = false;
  w.flags = 0;
  EXPECT_EQ(refuse(w), "File " + bad + " is not linked");
  w = good;
  w.flags = 0x80;
  EXPECT_EQ(refuse(w), "File " + bad + " contains unresolved external references");
  w = good;
  w.flags = 0x02;
  EXPECT_EQ(refuse(w), "File " + bad + " is not a TMS320C2xx executable");
  w = coff::Writer();
  coff::Section big = text;
  big.size = 4000;  // data past the end of the file
  w.AddSection(text);
  w.AddSection(big);
  EXPECT_EQ(refuse(w), "File " + bad + " format is not COFF version 1");
  EXPECT_EQ(sw.GetSize(), 2);  // the first section of that file stayed
  // Sections of other kinds are skipped.
  w = coff::Writer();
  coff::Section odd = text;
  odd.flags = 0x10;
  w.AddSection(odd);
  coff::Section page1 = text;
  page1.page = 1;
  w.AddSection(page1);
  w.WriteFile(bad);
  EXPECT_EQ(sw.AppendOutFile(bad.c_str()), 1);
  EXPECT_EQ(sw.GetSize(), 2);
  // The flags are a 32-bit field: flags 0 with a reserved byte set are not "no flags".
  w = coff::Writer();
  coff::Section plain = text;
  plain.flags = 0;
  w.AddSection(plain);
  std::vector<uint8_t> bytes = w.Build();
  bytes[50 + 38] = 1;
  WriteBytes(bad, std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(sw.AppendOutFile(bad.c_str()), 1);
  EXPECT_EQ(sw.GetSize(), 2);
  bytes[50 + 38] = 0;
  WriteBytes(bad, std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(sw.AppendOutFile(bad.c_str()), 1);
  EXPECT_EQ(sw.GetSize(), 3);
  EXPECT_EQ(sw.AppendOutFile((m_dir + "/none.out").c_str()), 0);
}

TEST_F(E2ROMImageTest, SetupImageDownloadAndChecksums) {
  m_setup->SetUserAppID("Line 3");
  CE2ROMSectionsArray sw(*m_setup);
  ASSERT_EQ(sw.AppendSetup(), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.GetSize(), 3);
  const int t = m_setup->GetSetupTableSize();
  EXPECT_EQ(sw[0]->m_wStart, 0x7FB0 - t);
  EXPECT_EQ(sw[0]->m_arrWords.GetSize(), t);
  EXPECT_EQ(sw[1]->m_wStart, 0x7FFF);
  EXPECT_EQ(sw[1]->m_arrWords[0], 0x7FB0 - t);
  EXPECT_EQ(sw[2]->m_wStart, 0x7FBF);
  EXPECT_EQ(sw[2]->m_arrWords.GetSize(), 34);
  ASSERT_EQ(sw.Verify(), 1) << sw.GetLastErrorText().GetString();

  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_EQ(sw.DownloadSW(), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.CheckSW(), 1) << sw.GetLastErrorText().GetString();
  // The drive now holds the setup.
  int same = 0;
  EXPECT_EQ(m_setup->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 1);
  WORD id[64];
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FBF, id, 64));
  tagE2ROMInfo info;
  std::memcpy(info.m_words, id, 128);
  EXPECT_STREQ(info.GetUserInfo(), "Line 3");

  // The same ranges read back from the drive give the same image.
  CWordArray starts, ends;
  for (int i = 0; i < sw.GetSize(); ++i) {
    starts.Add(sw[i]->m_wStart);
    ends.Add((WORD)(sw[i]->m_wStart + sw[i]->m_arrWords.GetSize() - 1));
  }
  CE2ROMSectionsArray back(*m_setup);
  ASSERT_EQ(back.AppendBoardData(starts, ends), 1);
  ASSERT_EQ(back.GetSize(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(back[i]->m_arrWords.GetSize(), sw[i]->m_arrWords.GetSize());
  EXPECT_EQ(back.CheckSW(), 1);

  // A changed word is found.
  WORD one = 0x1234;
  const WORD at = (WORD)(0x7FB0 - t + 5);
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, at, &one, 1));
  EXPECT_EQ(sw.CheckSW(), 0);
  EXPECT_EQ(std::string(sw.GetLastErrorText()).rfind(FormatString("Checksum failed; Memory section with address %.4hX "
                                                                   "and length %.4hX\r\nhas checksum ",
                                                                   0x7FB0 - t, t),
                                                      0),
            0u)
      << sw.GetLastErrorText().GetString();

  // Failures keep the communication box off and store the library's text.
  DriveSimulator::FailNextCalls(1, "line down");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(sw.DownloadSW(), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "line down");
  DriveSimulator::FailNextCalls(1, "line down");
  EXPECT_EQ(sw.CheckSW(), 0);
  DriveSimulator::FailNextCalls(1, "line down");
  EXPECT_EQ(back.AppendBoardData(starts, ends), 0);
  EXPECT_STREQ(back.GetLastErrorText(), "line down");
  EXPECT_EQ(back.GetSize(), 3);  // the range that failed adds nothing
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(CMC_Comm::nShowErr, (UINT)MB_RETRYCANCEL);
  starts.RemoveAll();
  ends.RemoveAll();
  starts.Add(0x5000);
  ends.Add(0x4FFF);
  EXPECT_EQ(back.AppendBoardData(starts, ends), 0);
  EXPECT_STREQ(back.GetLastErrorText(), "EEPROM data start address is bigger than end address");
}

TEST_F(E2ROMImageTest, CamTablesImage) {
  CMC_CAMTables tables;
  CE2ROMSectionsArray sw(*m_setup);
  EXPECT_EQ(sw.AppendCamFiles(tables), 1);
  EXPECT_EQ(sw.GetSize(), 0);
  ASSERT_TRUE(tables.AddNewSelCAM("A"));
  ASSERT_TRUE(tables.AddNewSelCAM("B"));
  ASSERT_EQ(sw.AppendCamFiles(tables), 1);
  ASSERT_EQ(sw.GetSize(), 1);
  EXPECT_EQ(sw[0]->m_wStart, m_setup->GetLoadCAMTablesAddress());
  EXPECT_EQ(sw[0]->m_arrWords.GetSize(), tables.GetCAMsSizesInWords());
  CWordArray image;
  tables.BuildImage(image);
  for (INT_PTR i = 0; i < image.GetSize(); ++i) EXPECT_EQ(sw[0]->m_arrWords[i], image[i]);
  // More than the CAM area holds.
  std::vector<LONG> points(m_setup->GetCAMTablesLength(), 1);
  tables.GetSelCAM(0)->SetPoints(points.data(), (int)points.size());
  EXPECT_EQ(sw.AppendCamFiles(tables), 0);
  EXPECT_EQ(LastBox(), FormatString("CAM tables segment overflow!\nAllocated segment has %04hX words and the current "
                                    "size of CAM tables is %04X.",
                                    (int)m_setup->GetCAMTablesLength(), tables.GetCAMsSizesInWords()));
  EXPECT_EQ(sw.GetSize(), 1);
}
