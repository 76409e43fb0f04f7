// Edge cases of the E2ROM software image: which of two faults a check names, board ranges of unequal
// lists, and the full text of a checksum difference.
#include "comm/MC_Comm.h"
#include "kernel/e2rom/E2ROMSectionsArray.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"

namespace {

class E2ROMImageEdgeTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    CMC_Comm::Close();
    DriveSimulator::Reset();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_dir = dravonix::test::ScratchDir("swedge");
  }
  void TearDown() override {
    m_setup.reset();
    CMC_Comm::Close();
    DriveSimulator::Reset();
    SetupTest::TearDown();
  }
  int Read(CE2ROMSectionsArray& sw, const std::string& text) {
    WriteBytes(m_dir + "/in.sw", text);
    return sw.ReadSW((m_dir + "/in.sw").c_str());
  }
  static std::string Section(const char* start, int count) {
    std::string s = std::string(start) + "\r\n";
    for (int i = 0; i < count; ++i) s += "1\r\n";
    return s + "\r\n";
  }
  SetupPtr m_setup;
  std::string m_dir;
};

}  // namespace

TEST_F(E2ROMImageEdgeTest, LongSectionBeforeTheLastIsAnOverlap) {
  CE2ROMSectionsArray sw(*m_setup);
  // The first section runs past 0x8000, but the last one ends inside the E2ROM: the first
  // overlaps the last.
  EXPECT_EQ(Read(sw, Section("7F00", 0x200) + Section("7F10", 1)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are overlapped");
  // With the last section beyond the boundary the boundary is named first.
  EXPECT_EQ(Read(sw, Section("7F00", 0x20) + Section("7F10", 0x100)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are beyond the E2ROM boundaries");
  // A smaller E2ROM moves the boundary down.
  m_setup->SetE2ROMSize(0x2000);
  EXPECT_EQ(Read(sw, Section("5FFF", 1)), 1) << sw.GetLastErrorText().GetString();
  EXPECT_EQ(Read(sw, Section("5FFF", 2)), 0);
  EXPECT_STREQ(sw.GetLastErrorText(), "This SW has sections that are beyond the E2ROM boundaries");
}

TEST_F(E2ROMImageEdgeTest, BoardRangesUpToTheShorterListAndExactChecksumText) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  WORD words[4] = {1, 2, 3, 4};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x4000, words, 4));
  CWordArray starts, ends;
  starts.Add(0x4000);
  starts.Add(0x4002);
  starts.Add(0x5000);
  ends.Add(0x4001);
  ends.Add(0x4003);
  CE2ROMSectionsArray sw(*m_setup);
  ASSERT_EQ(sw.AppendBoardData(starts, ends), 1) << sw.GetLastErrorText().GetString();
  ASSERT_EQ(sw.GetSize(), 2);  // the third start has no end
  EXPECT_EQ(sw[1]->m_wStart, 0x4002);
  EXPECT_EQ(sw[1]->m_arrWords[1], 4);
  ASSERT_EQ(sw.CheckSW(), 1);
  // A start equal to its end is one word.
  starts.RemoveAll();
  ends.RemoveAll();
  starts.Add(0x4003);
  ends.Add(0x4003);
  ASSERT_EQ(sw.AppendBoardData(starts, ends), 1);
  EXPECT_EQ(sw[2]->m_arrWords.GetSize(), 1);

  WORD changed = 0x0100;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x4003, &changed, 1));
  EXPECT_EQ(sw.CheckSW(), 0);
  EXPECT_STREQ(sw.GetLastErrorText(),
               "Checksum failed; Memory section with address 4002 and length 0002\r\nhas checksum 0103 different "
               "than 0007");
  EXPECT_TRUE(Boxes().empty());
}
