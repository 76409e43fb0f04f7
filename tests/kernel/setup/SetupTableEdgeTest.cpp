// Edge cases of the setup table: an older generation's product id rewrite and table placement,
// the compatible-firmware list, and identity blocks the drive does not vouch for.
#include "comm/MC_Comm.h"
#include "kernel/e2rom/E2ROMInfo.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <cstring>

namespace {

class SetupTableEdgeTest : public dravonix::test::SimulatedDriveTest<SetupTest> {
 protected:
  static tagE2ROMInfo Identity() {
    tagE2ROMInfo info;
    EXPECT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FBF, info.m_words, 64));
    return info;
  }
  static std::string TooOld(const std::string& drive, const std::string& required) {
    return "Your drive/motor has firmware version " + drive + ". This setup requires the firmware version " +
           required +
           " or later.\n\nClose this application and use the Brannovetrix Firmware Programmer (included in the "
           "installation package) to update the firmware of your drive/motor.";
  }
};

}  // namespace

TEST_F(SetupTableEdgeTest, OlderGenerationTakesItsOwnProductIdOnACompatibleDrive) {
  std::string cfg = ReadBytes(Kernel("Configurations/02/10/setup.cfg"));
  const std::string compat = "CompatibleProductIDs\t= 1000.240.0003";
  cfg.replace(cfg.find(compat), compat.size(), compat + ", 1000.240.0009");
  std::string dir = MakeDir("gen2compat", cfg, "Configurations/02/10");
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  ASSERT_EQ(s->GetMCVersion(), 2);
  ASSERT_EQ(s->GetE2ROMSize(), 0x2000);

  DriveSimulator::AddDrive(1, "F240B", "1000.240.0009");
  const tagE2ROMInfo before = Identity();
  ASSERT_TRUE(before.VerifyChecksums());
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_EQ(s->SaveToActiveBoard(), 1) << LastBox();

  const tagE2ROMInfo after = Identity();
  EXPECT_TRUE(after.VerifyChecksums());
  EXPECT_STREQ(after.GetProductID(), "1000.240.0003");
  EXPECT_STREQ(after.GetFirmware(), "F240B");  // the block's own firmware id is kept
  EXPECT_EQ(std::memcmp(after.m_words + 34, before.m_words + 34, 60), 0);  // only the editable words are written

  // The table ends right below 0x3FB0 + E2ROM size.
  const WORD t = s->GetSetupTableSize();
  WORD pointer = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FFF, &pointer, 1));
  EXPECT_EQ(pointer, (WORD)(0x5FB0 - t));
  int same = 0;
  EXPECT_EQ(s->CompareWithActiveBoard(same), 1);
  EXPECT_EQ(same, 1);
  EXPECT_EQ(s->CheckCompatibilityWithActiveBoard(""), 1);
}

TEST_F(SetupTableEdgeTest, CompatibleFirmwareListStopsAtItsFirstEmptyEntry) {
  std::string dir = MakeDir("fwlist", Gen3Cfg("CompatibleFirmwares = F400A, , F600A\n", {"CompatibleFirmwares"}));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_TRUE(s->CheckCompatibleFirmware("F400B"));
  EXPECT_TRUE(Boxes().empty());
  // the setup's own id comes first: a compatible entry of the same stem is never reached
  EXPECT_FALSE(s->CheckCompatibleFirmware("F505G"));
  EXPECT_EQ(LastBox(), TooOld("F505G", "F505H"));
  EXPECT_FALSE(s->CheckCompatibleFirmware("F600A"));
  EXPECT_EQ(LastBox(), TooOld("F600A", "F505H"));

  // Entries are trimmed of blanks and tabs; the first candidate of the same stem decides.
  WriteBytes(dir + "/setup.cfg", Gen3Cfg("CompatibleFirmwares = \tF600A ,\tF700B\t, F700A\n", {"CompatibleFirmwares"}));
  SetupPtr t(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(t) << LastBox();
  ClearBoxes();
  EXPECT_TRUE(t->CheckCompatibleFirmware("F600B"));
  EXPECT_TRUE(t->CheckCompatibleFirmware("F700C"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(t->CheckCompatibleFirmware("F700A"));
  EXPECT_EQ(LastBox(), TooOld("F700A", "F700B"));
  // Characters compare exactly: a lower-case last character is above every upper-case one.
  EXPECT_TRUE(t->CheckCompatibleFirmware("F700b"));
  EXPECT_FALSE(t->CheckCompatibleFirmware("f700B"));
  EXPECT_EQ(LastBox(), TooOld("f700B", "F505H"));
}

TEST_F(SetupTableEdgeTest, ReadingFromADriveWithABadIdentityBlockKeepsTheSetupsIds) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetUserAppID("Press 2");
  ASSERT_EQ(s->SaveToActiveBoard(), 1) << LastBox();
  // Spoil the identity block's 32-bit checksum.
  WORD junk = 0x1234;
  ASSERT_TRUE(DriveSimulator::WriteMemory(1, 2, 0x7FBF + 62, &junk, 1));
  SetupPtr back(CMC_Setup::CreateFromActiveBoard(nullptr));
  ASSERT_TRUE(back) << LastBox();
  EXPECT_EQ(back->GetUserAppID(), "");  // as read from the directory
  EXPECT_EQ(back->GetProductID(), "1000.505.0001");
  EXPECT_EQ(back->GetOptionNoError("DatabaseName"), "Brushless__import");
  // A product check is skipped for such a block; the firmware still decides.
  EXPECT_EQ(back->CheckCompatibilityWithActiveBoard(""), 1);
  EXPECT_EQ(back->CheckCompatibilityWithActiveBoard("F505A"), 0);
  EXPECT_EQ(LastBox(), TooOld("F505A", "F505H"));
}

TEST_F(SetupTableEdgeTest, TableTooBigForTheE2ROMIsNotWritten) {
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  WORD before = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FFF, &before, 1));
  s->SetE2ROMSize(0x60);
  ClearBoxes();
  EXPECT_EQ(s->SaveToActiveBoard(), 0);
  EXPECT_EQ(LastBox(), "The resulting setup table is too big (exceeds disponible E2ROM size).");
  WORD pointer = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FFF, &pointer, 1));
  EXPECT_EQ(pointer, before);
  int same = -1;
  EXPECT_EQ(s->CompareWithActiveBoard(same), 0);
  EXPECT_EQ(same, 0);
  EXPECT_EQ(s->ExportSetupImageToFile((dravonix::test::ScratchDir("bigtable") + "/t.bin").c_str()), 0);
}
