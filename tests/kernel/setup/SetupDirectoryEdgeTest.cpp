// Edge cases of setup directories: write failures, unknown units, register descriptions out of
// range, and imports that need the source's limits or a linear module's transmission codes.
#include "tests/kernel/SetupTestSupport.h"
#include "tests/support/FileSizeLimit.h"

#include <filesystem>
#include <map>

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST_F(SetupTest, AFailedSaveLeavesTheOldDirectoryAsItWas) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  const std::string dir = dravonix::test::ScratchDir("fullsetup");
  ASSERT_TRUE(s->SaveToDirectory(dir.c_str())) << LastBox();
  // The old files differ from what a save writes, so a replaced one shows.
  std::map<std::string, std::string> old;
  for (const char* name : {"setup.cfg", "parameters.cfg", "variables.cfg"}) {
    old[name] = ReadBytes(dir + "/" + name) + "# the old one\r\n";
    WriteBytes(dir + "/" + name, old[name]);
  }
  auto unchanged = [&](const std::string& why) {
    for (auto& [name, bytes] : old) EXPECT_EQ(ReadBytes(dir + "/" + name), bytes) << name << ", " << why;
    for (auto& e : std::filesystem::directory_iterator(dir)) EXPECT_TRUE(old.count(e.path().filename())) << e.path();
    SetupPtr again(CMC_Setup::CreateFromDirectory(dir.c_str()));
    EXPECT_TRUE(again) << why << ": " << LastBox();
  };
  // A full disk stops the first file, or the second once the first is written.
  const struct {
    rlim_t limit;
    const char* failing;
  } kFull[] = {{0, "setup.cfg"}, {1600, "parameters.cfg"}};
  for (const auto& c : kFull) {
    const std::string result = dravonix::test::WithFileSizeLimit(c.limit, [&] {
      ClearBoxes();
      const int r = s->SaveToDirectory(dir.c_str());
      return std::to_string(r) + " " + LastBox();
    });
    EXPECT_EQ(result, "0 Cannot write in file " + dir + "/" + c.failing + "! There is not enough space on the disk.");
    unchanged(c.failing);
  }
  // A file that may not be replaced: nothing is.
  std::filesystem::permissions(dir + "/setup.cfg", std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  ClearBoxes();
  EXPECT_EQ(s->SaveToDirectory(dir.c_str()), 0);
  EXPECT_EQ(LastBox(), "Cannot write in file " + dir + "/setup.cfg! Check file system permissions.");
  unchanged("read-only");
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_EQ(s->SaveToDirectory(dir.c_str()), 0);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupTest, UnknownUnitsNameTheQuantity) {
  std::string dir = MakeDir("unknownunit", Gen3Cfg());
  WriteBytes(dir + "/parameters.cfg", "INT\tKp\t@0x0100\t=1(0x0001)\r\nINT\tReach\t[furlong]\t@0x0101\r\n");
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Parameter Reach has unknown unit (furlong).");

  WriteBytes(dir + "/parameters.cfg", ReadBytes(Kernel("Configurations/05/05/parameters.cfg")));
  WriteBytes(dir + "/variables.cfg", "LONG\tAPOS\t[rot]\t@0x0228\r\nLONG\tFAR\t[furlong]\t@0x0230\r\n");
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Variable FAR has unknown unit (furlong).");
}

TEST_F(SetupTest, RegisterDescriptionsBeyondBit31AreSkipped) {
  std::string fw = "Firmware/F5R01/";
  WriteBytes(Kernel(fw + "variables.cfg"), ReadBytes(Kernel("Firmware/F505H/variables.cfg")));
  WriteBytes(Kernel(fw + "setup.cfg"),
             "StatusRegDesc[32] = \"status 32\"\nErrorRegDesc[40] = \"error 40\"\nErrorRegDesc[0] = \"error 0\"\n"
             "SoftwareProtDesc[0] = \"p0\"\nSoftwareProtDesc[31] = \"p31\"\nSoftwareProtDesc[32] = \"p32\"\n"
             "StatusRegDesc[x] = \"skipped\"\nStatusRegDesc[3]x = \"skipped\"\n");
  std::string dir = MakeDir("regdesc", Gen3Cfg("FirmwareID = F5R01\n", {"FirmwareID"}));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(s->GetStatusRegDesc(i), "") << i;
    EXPECT_EQ(s->GetErrorRegDesc(i), i == 0 ? "error 0" : "") << i;
  }
  EXPECT_EQ(s->GetStatusRegDesc(32), "");
  EXPECT_EQ(s->GetErrorRegDesc(40), "");
  EXPECT_EQ(s->GetSwProtectionsCount(), 33);
  EXPECT_EQ(s->GetSwProtectionsMask(), 0x80000001u);  // 32 wraps onto bit 0
  EXPECT_EQ(s->GetSwProtectionDescription(32), "p32");
  EXPECT_EQ(s->GetStatusRegMask(), 0u);
  EXPECT_EQ(s->GetHomingProceduresCount(), 0);  // a generation-3 firmware without HomeProcCount
}

TEST_F(SetupTest, EnabledHomingIdsAreReadUntilOneBelowOne) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s) << LastBox();
  WriteBytes(Kernel("Firmware/F5H03/setup.cfg"), "HomeProcCount = 3\n");
  const struct {
    const char* ids;
    const char* files;  // the three homing files, ";" after each
  } cases[] = {
      {"1 3,0 2", "home1.cfg;;home3.cfg;"},
      // huge ids are no ids below 1, nor small ones
      {"99999999999999999999 2", ";home2.cfg;;"},
      {"4294967298 3", ";;home3.cfg;"},
      {"4,\t2", ";home2.cfg;;"},
      {"-1 2", ";;;"},
  };
  for (const auto& c : cases) {
    s->SetOption("EnabledHomeProcIDs", c.ids);
    ASSERT_TRUE(s->SetFirmwareID("F5H03")) << LastBox();
    std::string files;
    for (int i = 0; i < s->GetHomingProceduresCount(); ++i) files += std::string(s->GetHomingProcedureFile(i)) + ";";
    EXPECT_EQ(files, c.files) << c.ids;
  }
}

TEST_F(SetupTest, ImportTakesTheSourcesLimitsForAValueOutsideOwn) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_DOUBLE_EQ(s->FindParameter("Ipeak")->GetMax(), 20);
  std::string dir = dravonix::test::ScratchDir("import_limits");
  {
    SetupPtr other(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(other);
    CMC_Parameter* p = other->FindParameter("Ipeak");
    p->SetMaxInBaseUnit(30);
    p->SetMinInBaseUnit(1);
    p->SetValueInBaseUnit(25);
    ASSERT_DOUBLE_EQ(p->GetValue(), 25);
    ASSERT_TRUE(other->SaveToDirectory(dir.c_str()));
  }
  Script("drvgui.dll", "GuiStandIn_Script", "edit accept");
  ASSERT_EQ(s->ImportFromDirectory(dir.c_str()), 1) << LastBox();
  CMC_Parameter* p = s->FindParameter("Ipeak");
  EXPECT_DOUBLE_EQ(p->GetValue(), 25);
  EXPECT_DOUBLE_EQ(p->GetMax(), 30);
  EXPECT_DOUBLE_EQ(p->GetMin(), 1);
  EXPECT_TRUE(g_bShowErrors);  // switched back on after the copying
}

TEST_F(SetupTest, ImportFromALinearModuleRecodesTheTransmission) {
  // a second copy of the GUI module under a linear module's name
  const char* ext = std::filesystem::exists(Kernel("GUIs/drvgui.so")) ? ".so" : ".dll";
  std::filesystem::copy_file(Kernel(std::string("GUIs/drvgui") + ext), Kernel(std::string("GUIs/drvgui_lin") + ext),
                             std::filesystem::copy_options::overwrite_existing);
  std::string cfg = ReadBytes(Kernel("Configurations/02/10/setup.cfg"));
  cfg = Replace(cfg, "GUI_File\t= drvgui.dll", "GUI_File\t= drvgui_lin.dll");
  cfg = Replace(cfg, "ProductID\t= 1000.240.0003", "ProductID\t= 1000.505.0002");
  std::string dir = MakeDir("import_lin", cfg, "Configurations/02/10");
  Script("drvgui.dll", "GuiStandIn_Script", "edit accept");

  // value 1 becomes 2, any other value 3
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_EQ(s->ImportFromDirectory(dir.c_str()), 1) << LastBox();
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("TransmissionType"), 2);
  // "EncoderResolution" feeds no parameter of this setup; "ReverseCounting" feeds the motor's copy.
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("ReverseCounting_MT"), 0);

  std::string params = ReadBytes(Kernel("Configurations/02/10/parameters.cfg"));
  params = Replace(params, "TransmissionType\t@0x0256\t=1(0x0001)", "TransmissionType\t@0x0256\t=0(0x0000)");
  params = Replace(params, "ReverseCounting\t@0x0253\t=0(0x0000)", "ReverseCounting\t@0x0253\t=1(0x0001)");
  WriteBytes(dir + "/parameters.cfg", params);
  ASSERT_EQ(s->ImportFromDirectory(dir.c_str()), 1) << LastBox();
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("TransmissionType"), 3);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("ReverseCounting_MT"), 1);
  EXPECT_TRUE(Boxes().empty()) << LastBox();
}

TEST_F(SetupTest, ImportNeedsACompatibleProductAndAnEditor) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  // a directory that does not read fails with the reader's message and changes nothing
  s->SetTestPerformedDuringEdit(1);
  std::string none = dravonix::test::ScratchDir("import_none") + "/inner";
  EXPECT_EQ(s->ImportFromDirectory(none.c_str()), 0);
  EXPECT_EQ(LastBox(), "Cannot open file " + none + "/setup.cfg!");
  EXPECT_FALSE(s->WasTestPerformedDuringEdit());
  EXPECT_EQ(GuiCount("EditSetup"), 0);
}
