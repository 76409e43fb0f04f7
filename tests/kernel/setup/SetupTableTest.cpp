// The setup table: built from a setup, saved to and read back from the simulated drive, compared,
// and the compatibility checks around it.
#include "comm/MC_Comm.h"
#include "kernel/e2rom/E2ROMInfo.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cstring>

namespace {

class SetupTableTest : public dravonix::test::SimulatedDriveTest<SetupTest> {
 protected:
  static void Online() { ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0)); }

  static std::vector<WORD> Table(CMC_Setup& s) {
    std::string file = dravonix::test::ScratchDir("table") + "/table.bin";
    EXPECT_EQ(s.ExportSetupImageToFile(file.c_str()), 1);
    std::string bytes = ReadBytes(file);
    std::vector<WORD> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
      words[i] = (WORD)((BYTE)bytes[2 * i] | (BYTE)bytes[2 * i + 1] << 8);
    return words;
  }
  static std::vector<WORD> E2ROM(WORD address, size_t n) {
    std::vector<WORD> w(n);
    EXPECT_TRUE(DriveSimulator::ReadMemory(1, 2, address, w.data(), n));
    return w;
  }
  static WORD Pointer() { return E2ROM(0x7FFF, 1)[0]; }
  // Puts a table at `start` with a correct check word unless `checkOffset` spoils it.
  static void PutTable(WORD start, std::vector<WORD> words, WORD checkOffset = 0) {
    WORD sum = 0;
    for (WORD w : words) sum = (WORD)(sum + w);
    words.push_back((WORD)(sum + checkOffset));
    ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, start, words.data(), words.size()));
    ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x7FFF, &start, 1));
  }
};

}  // namespace

TEST_F(SetupTableTest, TableOfTheSampleSetup) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  std::vector<WORD> t = Table(*s);
  ASSERT_EQ(t.size(), s->GetSetupTableSize());
  EXPECT_EQ(t[0], 0x649C);
  EXPECT_EQ(t[1], 0x0505);
  EXPECT_EQ(6u + t[2] + t[3] + t[4], t.size());
  EXPECT_EQ(t[2] % 2, 0);
  EXPECT_EQ(t[3] % 3, 0);
  WORD sum = 0;
  for (size_t i = 0; i + 1 < t.size(); ++i) sum = (WORD)(sum + t[i]);
  EXPECT_EQ(t.back(), sum);
  // Entries follow the parameter list: the first one-word parameter leads section 1, each
  // engineering parameter (class 0x8000) sits in section 3 with its value words.
  EXPECT_EQ(t[5], 0x0250);
  EXPECT_EQ(t[6], 4096);
  const size_t s3 = 5u + t[2] + t[3];
  EXPECT_EQ(t[s3], 0x8010);
  EXPECT_EQ(t[s3 + 1], 500);
  EXPECT_EQ(t[s3 + 2], 0x8011);
  EXPECT_EQ(t[s3 + 3], 2000);
  EXPECT_EQ(t[s3 + 4], 0);
}

TEST_F(SetupTableTest, AllParametersComputedGivesSixWords) {
  std::string dir = MakeDir("computed", Gen3Cfg());
  WriteBytes(dir + "/parameters.cfg", "INT\tA\t@0xC001\t=1(0x0001)\r\nUINT\tB\t@0xC002\t=2(0x0002)\r\n");
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s);
  EXPECT_EQ(Table(*s), (std::vector<WORD>{0x649C, 0x0505, 0, 0, 0, (WORD)(0x649C + 0x0505)}));
}

TEST_F(SetupTableTest, SaveReadBackAndCompareOnTheDrive) {
  Online();
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetUserAppID("Conveyor 7");
  ASSERT_EQ(s->SaveToActiveBoard(), 1) << LastBox();
  const std::vector<WORD> t = Table(*s);
  // The table ends right below 0x7FB0 and its start is at 0x7FFF.
  const WORD start = (WORD)(0x7FB0 - t.size());
  EXPECT_EQ(Pointer(), start);
  EXPECT_EQ(E2ROM(start, t.size()), t);
  tagE2ROMInfo info;
  std::vector<WORD> id = E2ROM(0x7FBF, 64);
  std::memcpy(info.m_words, id.data(), 128);
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_STREQ(info.GetUserInfo(), "Conveyor 7");
  EXPECT_STREQ(info.GetProductID(), "1000.505.0001");
  // The CANopen table word is cleared.
  EXPECT_EQ(E2ROM(20000, 1)[0], 0);

  int same = -1;
  EXPECT_EQ(s->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 1);
  SetupPtr back(CMC_Setup::CreateFromActiveBoard(nullptr));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetConfigID(), 0x0505);
  EXPECT_STREQ(back->GetUserAppID(), "Conveyor 7");
  EXPECT_STREQ(back->GetOption("DatabaseName"), "Brushless__import");
  EXPECT_EQ(Table(*back), t);
  EXPECT_EQ(back->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 1);

  // A reset keeps the E2ROM.
  ASSERT_TRUE(CMC_Comm::ResetActiveBoard());
  EXPECT_EQ(s->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 1);
  s->SetParameterValue("Kp_speed", 801);
  EXPECT_EQ(s->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 0);
  // Read into an existing setup: its values become the drive's.
  ASSERT_EQ(CMC_Setup::CreateFromActiveBoard(s.get()), s.get());
  EXPECT_EQ(s->GetParameterValue("Kp_speed"), 800);
}

TEST_F(SetupTableTest, TablesTheDriveDoesNotHold) {
  Online();
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const std::string none = "This drive/motor does not have a stored setup.";
  // A fresh drive: the pointer names 0x4000, where nothing is stored.
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
  EXPECT_EQ(LastBox(), none);
  int same = -1;
  ClearBoxes();
  EXPECT_EQ(s->CompareWithActiveBoard(same), 0);
  EXPECT_EQ(same, 0);
  EXPECT_EQ(LastBox(), none);
  // N2 of 4.
  ClearBoxes();
  PutTable(0x7000, {0x649C, 0x0505, 0, 4, 0, 0x0250, 1, 2, 3});
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
  EXPECT_EQ(LastBox(), none);
  // Odd N1, zero id, wrong check word.
  for (auto bad : {std::vector<WORD>{0x649C, 0x0505, 1, 0, 0, 0x0250}, std::vector<WORD>{0x649C, 0, 0, 0, 0}}) {
    ClearBoxes();
    PutTable(0x7000, bad);
    EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
    EXPECT_EQ(LastBox(), none);
  }
  ClearBoxes();
  PutTable(0x7000, {0x649C, 0x0505, 2, 0, 0, 0x0250, 7}, 1);
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
  EXPECT_EQ(LastBox(), none);
  // A table that would run past the end of the E2ROM.
  ClearBoxes();
  PutTable(0x7F00, {0x649C, 0x0505, 0x0200, 0, 0});
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
  EXPECT_EQ(LastBox(), none);
  // A pointer outside the E2ROM window.
  WORD low = 0x1000;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x7FFF, &low, 1));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(nullptr), nullptr);
  EXPECT_EQ(LastBox(), none);
}

TEST_F(SetupTableTest, ExistingSetupSurvivesATableThatDoesNotFit) {
  Online();
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetParameterValue("Kp_speed", 777);
  // Kp_speed 123 first, then a one-word entry whose size the setup disagrees with (Kd_position is FIXED).
  PutTable(0x7000, {0x649C, 0x0505, 4, 0, 0, 0x025A, 123, 0x025E, 5});
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(s.get()), nullptr);
  EXPECT_EQ(s->GetParameterValue("Kp_speed"), 777);  // neither changed nor destroyed
  // An address that no parameter has ends it without a message.
  PutTable(0x7000, {0x649C, 0x0505, 2, 0, 0, 0x0FFF, 1});
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(s.get()), nullptr);
  EXPECT_TRUE(Boxes().empty()) << LastBox();
  EXPECT_TRUE(g_bShowErrors);
  // Section 3 that does not end at its count.
  PutTable(0x7000, {0x649C, 0x0505, 0, 0, 2, 0x8011, 1});
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(s.get()), nullptr);
  EXPECT_EQ(s->GetParameterValue("Kp_speed"), 777);
  // A fitting table changes it.
  PutTable(0x7000, {0x649C, 0x0505, 2, 0, 0, 0x025A, 123});
  EXPECT_EQ(CMC_Setup::CreateFromActiveBoard(s.get()), s.get());
  EXPECT_EQ(s->GetParameterValue("Kp_speed"), 123);
}

TEST_F(SetupTableTest, FirmwareCompatibility) {
  SetupPtr s(CMC_Setup::Create(0x0505));  // F505H, compatible with F505G
  ASSERT_TRUE(s);
  const std::string tooOld =
      "Your drive/motor has firmware version F505G. This setup requires the firmware version F505H or later.\n\nClose "
      "this application and use the Brannovetrix Firmware Programmer (included in the installation package) to update "
      "the firmware of your drive/motor.";
  EXPECT_TRUE(s->CheckCompatibleFirmware("F505H"));
  EXPECT_TRUE(s->CheckCompatibleFirmware("F505I"));  // a later last character passes
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(s->CheckCompatibleFirmware("F505G"));  // the first candidate of the same stem decides
  EXPECT_EQ(LastBox(), tooOld);
  ClearBoxes();
  EXPECT_FALSE(s->CheckCompatibleFirmware("F506H"));
  EXPECT_NE(LastBox().find("version F506H. This setup requires the firmware version F505H or later"), std::string::npos);
  EXPECT_FALSE(s->CheckCompatibleFirmware(""));
  EXPECT_FALSE(s->CheckCompatibleFirmware("F505"));
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_FALSE(s->CheckCompatibleFirmware("F505A"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupTableTest, DrivesThatRefuseTheSetup) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  // Another product: refused before anything is written.
  DriveSimulator::AddDrive(1, "F505H", "2000.111.0001");
  Online();
  const WORD before = Pointer();
  EXPECT_EQ(s->SaveToActiveBoard(), 0);
  EXPECT_EQ(LastBox(), "This setup is incompatible with your drive/motor.");
  EXPECT_EQ(s->CheckCompatibilityWithActiveBoard(""), 0);
  EXPECT_EQ(Pointer(), before);
  // An older firmware.
  DriveSimulator::AddDrive(1, "F505G", "1000.505.0001");
  ClearBoxes();
  EXPECT_EQ(s->SaveToActiveBoard(), 0);
  EXPECT_NE(LastBox().find("firmware version F505G"), std::string::npos);
  EXPECT_EQ(Pointer(), before);
  EXPECT_EQ(s->CheckCompatibilityWithActiveBoard(nullptr), 0);
  EXPECT_EQ(s->CheckCompatibilityWithActiveBoard("F505H"), 1);
  // A compatible product id on a generation-3 drive keeps the drive's id; a bad block is rewritten whole.
  DriveSimulator::AddDrive(1, "F505H", "1000.505.0002");
  ASSERT_EQ(s->SaveToActiveBoard(), 1) << LastBox();
  tagE2ROMInfo info;
  std::vector<WORD> id = E2ROM(0x7FBF, 64);
  std::memcpy(info.m_words, id.data(), 128);
  EXPECT_STREQ(info.GetProductID(), "1000.505.0002");
  WORD junk[2] = {1, 2};
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x7FBF, junk, 2));
  ASSERT_EQ(s->SaveToActiveBoard(), 1);
  id = E2ROM(0x7FBF, 64);
  std::memcpy(info.m_words, id.data(), 128);
  EXPECT_TRUE(info.VerifyChecksums());
  EXPECT_STREQ(info.GetProductID(), "1000.505.0001");
  EXPECT_STREQ(info.GetFirmware(), "F505H");
}

TEST_F(SetupTableTest, DriveThatStopsAnsweringKeepsItsPointer) {
  Online();
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const WORD before = Pointer();
  // Calls: firmware version, identity upload, table download, pointer write.
  for (uint64_t k = 0; k < 4; ++k) {
    DriveSimulator::StopAnsweringAtCall(k);
    EXPECT_EQ(s->SaveToActiveBoard(), 0) << k;
    DriveSimulator::ResumeAnswering();
    EXPECT_EQ(Pointer(), before) << k;
  }
  ASSERT_EQ(s->SaveToActiveBoard(), 1);
  EXPECT_NE(Pointer(), before);
}

TEST_F(SetupTableTest, RamParametersAndFileErrors) {
  Online();
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_EQ(s->SetRAMParameters(), 1);
  WORD w[2] = {0, 0};
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x025A, w, 1));
  EXPECT_EQ(w[0], 800);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x025E, w, 2));
  EXPECT_EQ(w[0], 0x8000);
  EXPECT_EQ(w[1], 0);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x8010 & 0x7FFF, w, 1));
  EXPECT_EQ(w[0], 0);  // engineering parameters are not RAM parameters
  DriveSimulator::FailNextCalls(1, "line down");
  EXPECT_EQ(s->SetRAMParameters(), 0);

  g_bShowErrors = FALSE;  // the file error is reported whatever the flag
  ClearBoxes();
  EXPECT_EQ(s->ExportSetupImageToFile((dravonix::test::ScratchDir("nofile") + "/missing/x.bin").c_str()), 0);
  EXPECT_EQ(Boxes().size(), 1u);
}
