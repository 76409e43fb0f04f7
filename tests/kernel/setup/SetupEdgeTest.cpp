// Edge cases of the setup model: slaves beyond the sample controller, interrupt look-ups, layouts
// that do not fit, repeated option names and copies.
#include "tests/kernel/SetupTestSupport.h"

namespace {

// A controller whose parameters are those of the sample one plus `extra` lines.
std::string ControllerParameters(const std::string& extra) {
  return "UINT\tSLAVE_AB\t@0x0240\t=513(0x0201)\r\nUINT\tSLAVE_CD\t@0x0241\t=1027(0x0403)\r\n" + extra +
         "UINT\tCopenTableAdr\t@0x0252\t=20000(0x4E20)\r\n";
}

}  // namespace

TEST_F(SetupTest, FifthSlaveIsTheLowByteOfEF) {
  const std::string cfg = ReadBytes(Kernel("Configurations/07/01/setup.cfg"));
  std::string dir = MakeDir("slaves6", cfg, "Configurations/07/01");
  WriteBytes(dir + "/parameters.cfg", ControllerParameters("UINT\tSLAVE_EF\t@0x0242\t=1541(0x0605)\r\n"));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_EQ(s->GetMotionControllerSlaveCount(), 6);  // SLAVE_GH missing stops the count
  BYTE id = 0;
  ASSERT_TRUE(s->MotionController_GetAxisIDOfSlave(4, id));
  EXPECT_EQ(id, 5);
  ASSERT_TRUE(s->MotionController_GetAxisIDOfSlave(5, id));
  EXPECT_EQ(id, 6);
  int changed = 0;
  ASSERT_TRUE(s->MotionController_SetAxisIDOfSlave(4, 9, &changed));
  EXPECT_EQ(changed, 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("SLAVE_EF"), 0x0609);
  EXPECT_FALSE(s->MotionController_GetAxisIDOfSlave(6, id));
  EXPECT_EQ(LastBox(), "This application doesn't have a slave axis G!");

  // A slave parameter of another type than uint ends the count there.
  WriteBytes(dir + "/parameters.cfg", ControllerParameters("INT\tSLAVE_EF\t@0x0242\t=1541(0x0605)\r\n"));
  ClearBoxes();
  SetupPtr typed(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(typed) << LastBox();
  EXPECT_EQ(typed->GetMotionControllerSlaveCount(), 4);
  EXPECT_TRUE(Boxes().empty());

  // Only a five-character id beginning "F7" has slaves.
  WriteBytes(dir + "/setup.cfg", "FirmwareID = F505H\r\n" + Gen3Cfg("", {"FirmwareID"}));
  WriteBytes(dir + "/variables.cfg", ReadBytes(Kernel("Configurations/05/05/variables.cfg")));
  SetupPtr drive(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(drive) << LastBox();
  EXPECT_EQ(drive->GetMotionControllerSlaveCount(), 0);
  EXPECT_FALSE(drive->IsMotionController());
}

TEST_F(SetupTest, SecondHolderOfAnIdIsListedAfterTheFirst) {
  SetupPtr s(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(s);
  // A=1, B=2, C=2, D=1: the list starts at the first repeated id (C repeats B), then D repeats A.
  s->MotionController_SetAxisIDOfSlave(0, 1, nullptr);
  s->MotionController_SetAxisIDOfSlave(1, 2, nullptr);
  s->MotionController_SetAxisIDOfSlave(2, 2, nullptr);
  s->MotionController_SetAxisIDOfSlave(3, 1, nullptr);
  EXPECT_FALSE(s->VerifyMotionControllerConfig());
  EXPECT_EQ(LastBox(), "The following slaves have conflicting axis IDs: B[2], C[2], D[1].\nPlease select unique axis IDs!");
}

TEST_F(SetupTest, EmptyInterruptNameFindsAnEmptyDescription) {
  std::string fw = "Firmware/F5E01/";
  WriteBytes(Kernel(fw + "variables.cfg"), ReadBytes(Kernel("Firmware/F505H/variables.cfg")));
  WriteBytes(Kernel(fw + "setup.cfg"), "InterruptDesc[0] = \"Int0 - Enable\"\nInterruptDesc[2] = \"Int2 - Done\"\n");
  std::string dir = MakeDir("emptyint", Gen3Cfg("FirmwareID = F5E01\n", {"FirmwareID"}));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  ASSERT_EQ(s->GetInterruptsCount(), 3);
  EXPECT_EQ(s->FindInterrupt(""), 1);  // the gap is an empty description
  EXPECT_EQ(s->FindInterrupt(nullptr), 1);
  EXPECT_EQ(s->FindInterrupt("int2"), 2);
  EXPECT_EQ(s->FindInterrupt("Done"), 2);
  EXPECT_EQ(s->FindInterrupt("done"), -1);
}

TEST_F(SetupTest, HomingInputMustBeAnEnabledInput) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->GetHomingInputPort(), 2);
  s->SetOption("HomeInput", "4");  // an output
  EXPECT_EQ(s->GetHomingInputPort(), -1);
  s->SetOption("HomeInput", "99");  // no such port
  EXPECT_EQ(s->GetHomingInputPort(), -1);
  s->ClearOption("HomeInput");
  EXPECT_EQ(s->GetHomingInputPort(), -1);
  EXPECT_EQ(s->IsInputPortEnable(-1), 0);
  EXPECT_EQ(s->IsBrakePortEnable(40), 0);
}

TEST_F(SetupTest, LayoutsThatDoNotFitReportZero) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const LONG t = s->GetSetupTableSize();
  ASSERT_GT(t, 6);
  ASSERT_TRUE(s->SupportCAMTables());
  ASSERT_EQ(s->GetPVTSize(), 0x200);

  // CAM tables larger than the E2ROM left beside the setup table: none are placed.
  EXPECT_EQ(s->SetMemorySettings(1, 1, 0x4000, 0, 0x4000), 0);
  EXPECT_EQ(s->GetCAMTablesLength(), 0);
  EXPECT_EQ(s->GetLoadCAMTablesAddress(), (WORD)(0x7FB0 - t));
  EXPECT_EQ(s->GetRunCAMTablesAddress(), (WORD)(0x8200 + 0x7E00));
  int load, run;
  WORD zs, zr, cam;
  s->GetMemorySettings(load, run, zs, zr, cam);
  EXPECT_EQ(cam, 0x4000);  // limited to the smaller of E2ROM and RAM size, kept as asked

  // Loading to E2ROM and running from RAM, with more ZUR code than the E2ROM holds above its start.
  const WORD zurStart = (WORD)(0x7FB0 - t - 0x10);
  EXPECT_EQ(s->SetMemorySettings(1, 0, zurStart, 0x20, 0), 0);
  EXPECT_EQ(s->GetLoadZURCodeAddress(), (WORD)(0x7FB0 - t));
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetZURCodeLength(), 0);
  EXPECT_EQ(s->GetLogBufferAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetLogBufferLength(), 0x7E00 - 0x200);
  // ... and the same start with code that fits.
  EXPECT_EQ(s->SetMemorySettings(1, 0, zurStart, 0x10, 0), 1);
  EXPECT_EQ(s->GetLoadZURCodeAddress(), zurStart);
  EXPECT_EQ(s->GetZURCodeLength(), 0x10);
  EXPECT_EQ(s->GetLogBufferAddress(), 0x8200 + 0x200 + 0x10);

  // Not loading to E2ROM: code larger than the RAM left gets no room.
  EXPECT_EQ(s->SetMemorySettings(0, 0, 0x4000, 0x7E00, 0x100), 0);
  EXPECT_EQ(s->GetLoadZURCodeAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0x8200 + 0x200);
  EXPECT_EQ(s->GetZURCodeLength(), 0);
  EXPECT_EQ(s->GetCAMTablesLength(), 0x100);
  EXPECT_EQ(s->GetLogBufferLength(), 0x7E00 - 0x100 - 0x200);

  // A PVT buffer larger than the RAM clears the computed words.
  EXPECT_EQ(s->SetPVTSize(0x7E01), 0);
  EXPECT_EQ(s->GetLogBufferAddress(), 0);
  EXPECT_EQ(s->GetRunZURCodeAddress(), 0);
  EXPECT_FALSE(s->IsLoggerEnabled());
}

TEST_F(SetupTest, ClearingARepeatedOptionRemovesItsLastName) {
  std::string dir = MakeDir("clearlast", Gen3Cfg("Foo = 1\nFOO = 2\n"));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  const CStringArray& names = s->GetOptionNames();
  const INT_PTR n = names.GetSize();
  ASSERT_EQ(names[n - 1], "FOO");
  s->ClearOption("foo");
  ASSERT_EQ(names.GetSize(), n - 1);
  EXPECT_EQ(names[n - 2], "Foo");  // the earlier spelling stays listed, without a value
  EXPECT_EQ(s->GetOptionNoError("Foo"), "");
  // Set again: the key is new, so the name is listed once more.
  s->SetOption("fOO", "3");
  EXPECT_EQ(names.GetSize(), n);
  EXPECT_EQ(names[n - 1], "fOO");
}

TEST_F(SetupTest, CopyKeepsTheTestAndCacheFlags) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetTestPerformedDuringEdit(1);
  SetupPtr c(s->CreateCopy());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->WasTestPerformedDuringEdit(), 1);
  EXPECT_EQ(c->IsIUCacheEnabled(), 1);
  EXPECT_EQ(c->GetStatusRegMask(), s->GetStatusRegMask());
  EXPECT_EQ(c->GetSwProtectionsMask(), s->GetSwProtectionsMask());
  EXPECT_EQ(c->GetHomingProcedureFile(2), "home3.cfg");
  EXPECT_EQ(c->GetRunCAMTablesAddress(), s->GetRunCAMTablesAddress());
  EXPECT_EQ(c->GetCAMTablesLength(), s->GetCAMTablesLength());
  EXPECT_TRUE(c->IsBrakePortEnable(5));
}
