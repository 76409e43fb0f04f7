// Setup directories and firmware files: reading, writing, round trips, import and bad input.
#include "tests/kernel/SetupTestSupport.h"

#include <filesystem>

namespace {

// Everything a setup shows of itself, for comparing two setups.
std::string Describe(CMC_Setup& s) {
  std::ostringstream o;
  o << s.GetFirmwareID() << '|' << s.GetConfigID() << '|' << s.GetDescription() << '|' << s.GetProductID() << '|'
    << s.GetCompatibleProductIDs() << '|' << s.GetCompatibleFirmwares() << '|' << s.GetUserAppID() << '\n';
  int load, run;
  WORD zs, zr, cam;
  s.GetMemorySettings(load, run, zs, zr, cam);
  o << load << run << ' ' << zs << ' ' << zr << ' ' << cam << ' ' << s.GetE2ROMSize() << ' ' << s.GetRAMStart() << ' '
    << s.GetRAMSize() << ' ' << s.GetPVTSize() << ' ' << s.GetLoadZURCodeAddress() << ' ' << s.GetRunZURCodeAddress()
    << ' ' << s.GetZURCodeLength() << ' ' << s.GetLogBufferAddress() << ' ' << s.GetLogBufferLength() << ' '
    << s.GetLoadCAMTablesAddress() << ' ' << s.GetRunCAMTablesAddress() << ' ' << s.GetCAMTablesLength() << ' '
    << (int)s.GetMotionControllerSlaveCount() << '\n';
  for (int p = 0; p <= s.GetMaxIOPort(1); ++p)
    o << s.IsInputPortEnable(p) << s.IsOutputPortEnable(p) << s.IsIOPortInverted(p) << s.IsBrakePortEnable(p)
      << s.GetPortName(p, 1) << '/' << s.GetPortName(p, 0) << ';';
  o << '\n';
  for (INT_PTR i = 0; i < s.GetOptionNames().GetSize(); ++i)
    o << s.GetOptionNames()[i] << '=' << s.GetOptionNoError(s.GetOptionNames()[i]) << ';';
  o << '\n';
  for (int i = 0; i < s.GetParameters().GetSize(); ++i) {
    CMC_Parameter* p = s.GetParameters()[i];
    o << p->GetName() << ' ' << p->GetType() << ' ' << p->GetAddress() << ' ' << p->GetUnitName() << ' '
      << p->PrintValueInInternalUnits() << ' ' << p->GetMinInInternalUnit() << ' ' << p->GetMaxInInternalUnit() << ' '
      << p->GetPrecision() << ';';
  }
  o << '\n';
  for (CMC_Variables* list : {&s.GetVariables(), &s.GetFirmwareVariables()})
    for (int i = 0; i < list->GetSize(); ++i) {
      CMC_Variable* v = list->GetAt(i);
      o << v->GetName() << ' ' << v->GetType() << ' ' << v->GetAddress() << ' ' << v->GetUnitName() << ';';
    }
  o << '\n';
  for (int i = 0; i < s.GetHomingProceduresCount(); ++i) o << s.GetHomingProcedureFile(i) << ';';
  for (int i = 0; i < s.GetInterruptsCount(); ++i) o << s.GetInterruptDescription(i) << ';';
  for (int i = 0; i < 32; ++i) o << s.GetStatusRegDesc(i) << ';' << s.GetErrorRegDesc(i) << ';';
  for (int i = 0; i < s.GetSwProtectionsCount(); ++i) o << s.GetSwProtectionDescription(i) << ';';
  o << s.GetStatusRegMask() << ' ' << s.GetErrorRegMask() << ' ' << s.GetSwProtectionsMask();
  return o.str();
}

const char* const kFiles[] = {"setup.cfg", "parameters.cfg", "variables.cfg"};

}  // namespace

TEST_F(SetupTest, SampleSetupsSurviveSaveAndLoad) {
  for (WORD id : {0x0100, 0x0210, 0x0505, 0x0701}) {
    SCOPED_TRACE(id);
    SetupPtr s(CMC_Setup::Create(id));
    ASSERT_TRUE(s) << LastBox();
    std::string first = dravonix::test::ScratchDir("roundtrip1_" + std::to_string(id));
    std::string second = dravonix::test::ScratchDir("roundtrip2_" + std::to_string(id));
    ASSERT_TRUE(s->SaveToDirectory(first.c_str())) << LastBox();
    SetupPtr loaded(CMC_Setup::CreateFromDirectory(first.c_str()));
    ASSERT_TRUE(loaded) << LastBox();
    ASSERT_TRUE(loaded->SaveToDirectory(second.c_str())) << LastBox();
    EXPECT_EQ(Describe(*s), Describe(*loaded));
    for (const char* f : kFiles) {
      std::string a = ReadBytes(first + "/" + f);
      EXPECT_FALSE(a.empty()) << f;
      EXPECT_EQ(a, ReadBytes(second + "/" + f)) << f;
    }
    EXPECT_TRUE(Boxes().empty()) << LastBox();
  }
}

TEST_F(SetupTest, WrittenSetupCfgHasItsFixedForm) {
  SetupPtr s(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(s);
  std::string dir = dravonix::test::ScratchDir("written");
  ASSERT_TRUE(s->SaveToDirectory(dir.c_str()));
  std::string text = ReadBytes(dir + "/setup.cfg");
  EXPECT_EQ(text.rfind("FirmwareID\t= F700D\r\nConfigurationID\t= 0701\r\n"
                       "Description\t= Motion controller 700, four slave axes\r\nProductID\t= 1000.700.0001\r\n"
                       "E2ROMSize\t= 4000\r\nRAMStart\t= 8200\r\nRAMSize\t= 7E00\r\nLoadToE2ROM\t= 1\r\n"
                       "RunFromE2ROM\t= 0\r\nZURStartE2ROM\t= 4000\r\nZURSizeRAM\t= 2000\r\nCAMSize\t= 1000\r\n"
                       "PVTSize\t= 0000\r\nGUI_File\t= drvgui.dll\r\n",
                       0),
            0u)
      << text;
  // empty compatible lists are left out
  EXPECT_EQ(text.find("Compatible"), std::string::npos);
  EXPECT_EQ(text.find("SlaveCount"), std::string::npos);

  // the library export adds the slave count and three blocks of variables
  std::string vks = dravonix::test::ScratchDir("vks");
  ASSERT_TRUE(s->ExportForVKS_Lib(vks.c_str(), nullptr));
  std::string cfg = ReadBytes(vks + "/setup.cfg");
  EXPECT_NE(cfg.find("\r\nSlaveCount\t= 4\r\n"), std::string::npos);
  std::string vars = ReadBytes(vks + "/variables.cfg");
  std::string rule(37, '#');
  EXPECT_EQ(vars.rfind(rule + "\r\n#Firmware variables\r\n" + rule + "\r\n", 0), 0u);
  EXPECT_NE(vars.find(rule + "\r\n#Configuration variables\r\n" + rule + "\r\n"), std::string::npos);
  EXPECT_NE(vars.find(rule + "\r\n#User defined variables and labels\r\n" + rule + "\r\n"), std::string::npos);
  EXPECT_EQ(vars.find('['), std::string::npos);  // simplified form: no units
  EXPECT_NE(vars.find("MSR"), std::string::npos);
  EXPECT_NE(vars.find("VTRPOS"), std::string::npos);
}

TEST_F(SetupTest, DirectoryWithoutConfigurationId) {
  std::string cfg = Gen3Cfg("", {"ConfigurationID"});
  std::string dir = MakeDir("noconfigid", cfg);
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "File " + dir + "/setup.cfg doesn't contain ConfigurationID (case insensitive).");

  // Through Create(id) the id is already set.
  WriteBytes(Kernel("Configurations/0A/01/setup.cfg"), cfg);
  WriteBytes(Kernel("Configurations/0A/01/parameters.cfg"), ReadBytes(Kernel("Configurations/05/05/parameters.cfg")));
  WriteBytes(Kernel("Configurations/0A/01/variables.cfg"), ReadBytes(Kernel("Configurations/05/05/variables.cfg")));
  ClearBoxes();
  SetupPtr s(CMC_Setup::Create(0x0A01));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_EQ(s->GetConfigID(), 0x0A01);
  EXPECT_EQ(CMC_Setup::GetConfigurationRelativePath(0x0A01), "Configurations\\0A\\01\\");
}

TEST_F(SetupTest, MissingKeysAndBadValuesOfSetupCfg) {
  struct Case {
    std::string cfg;
    std::string message;  // after the file name
  } cases[] = {
      {Gen3Cfg("", {"FirmwareID"}), " doesn't contain FirmwareID (case insensitive)."},
      {Gen3Cfg("", {"GUI_File"}), " doesn't contain GUI_File (case insensitive)."},
      {Gen3Cfg("GUI_File\t=\n", {"GUI_File"}), " doesn't contain GUI_File (case insensitive)."},
      {Gen3Cfg("PVTSize = 7E01\n"), ": PVTSize cannot be bigger than RAMSize!"},
      {Gen3Cfg("PORT[7] = in, invert\n"),
       ": this version of MC support I/O port inversion at firmware level, which makes software inversion "
       "obsolete!\nPlease remove INVERTED keword from port #7 definition."},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    ClearBoxes();
    std::string dir = MakeDir("badcfg" + std::to_string(n++), c.cfg);
    EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
    std::string text = LastBox();
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    EXPECT_EQ(text.find(dir), text.find("File ") == 0 ? 5u : 0u) << text;
  }

  // a line without "=" after its first character
  std::string dir = MakeDir("badline", Gen3Cfg("=7\n"));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  int lines = 0;
  for (char ch : Gen3Cfg()) lines += ch == '\n';
  EXPECT_EQ(LastBox(), "Invalid syntax in file " + dir + "/setup.cfg, line " + std::to_string(lines + 1));

  // HOME[n] of a generation-3 firmware
  dir = MakeDir("home3", "FirmwareID = F505H\nHOME[0] = a.cfg\n" + Gen3Cfg("", {"FirmwareID"}));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Error in file " + dir + "/setup.cfg line 2:\n Keyword \"HOME[0]\" is not allowed  for MC version 3!");
  // ... passes before the FirmwareID line; the firmware's own list replaces it
  dir = MakeDir("home3before", "home[0] = a.cfg\n" + Gen3Cfg());
  ClearBoxes();
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_EQ(s->GetHomingProcedureFile(0), "home1.cfg");
  EXPECT_EQ(s->GetOptionNoError("HOME[0]"), "a.cfg");
}

TEST_F(SetupTest, HomingFilesOfAnOlderFirmware) {
  std::string g2 = ReadBytes(Kernel("Configurations/02/10/setup.cfg"));
  std::string dir = MakeDir("homegap", g2 + "HOME[4] = x.cfg\n", "Configurations/02/10");
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), dir + "/setup.cfg: homing procedures array has gaps!");

  dir = MakeDir("homecut", g2 + "HOME[3] = last.cfg  trailing words\n", "Configurations/02/10");
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_EQ(s->GetHomingProceduresCount(), 4);
  EXPECT_EQ(s->GetHomingProcedureFile(3), "last.cfg");
  EXPECT_EQ(s->GetOptionNoError("home[3]"), "last.cfg");
}

TEST_F(SetupTest, RepeatedKeysAndPortTexts) {
  std::string dir = MakeDir("ports", Gen3Cfg("Foo = 1\nFOO = 2\nPORT[7] = in, out, \"n\"\nPORT[8] = in word\n"
                                             "PORT[9] = out,in,\"a\" \"b\" \"c\"\nPORT[10] = out \"x\", in\n"
                                             "PORT[11] = inverted\nPORT[12] = in, \"unclosed\nBrakeOutputs = 5 1, 9 0, 44 1, 10 3\n",
                                             {"PORT[", "BrakeOutputs"}));
  // port 11 holds "invert" on a generation-3 drive: not allowed
  SetupPtr refused(CMC_Setup::CreateFromDirectory(dir.c_str()));
  EXPECT_FALSE(refused);
  EXPECT_NE(LastBox().find("port #11"), std::string::npos);

  WriteBytes(dir + "/setup.cfg",
             Gen3Cfg("Foo = 1\nFOO = 2\nPORT[7] = in, out, \"n\"\nPORT[8] = in word\n"
                     "PORT[9] = out,in,\"a\" \"b\" \"c\"\nPORT[10] = out \"x\", in\nPORT[12] = in, \"unclosed\n"
                     "BrakeOutputs = 5 1, 9 0, 44 1, 10 3\n",
                     {"PORT[", "BrakeOutputs"}));
  ClearBoxes();
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_TRUE(s->IsInputPortEnable(7));
  EXPECT_TRUE(s->IsOutputPortEnable(7));
  EXPECT_EQ(s->GetPortName(7, 1), "n");
  EXPECT_EQ(s->GetPortName(7, 0), "n");
  EXPECT_TRUE(s->IsInputPortEnable(8));
  EXPECT_FALSE(s->IsOutputPortEnable(8));
  EXPECT_EQ(s->GetPortName(8, 1), "");
  EXPECT_EQ(s->GetPortName(9, 1), "a");
  EXPECT_EQ(s->GetPortName(9, 0), "b");
  EXPECT_EQ(s->GetPortName(10, 0), "x");
  EXPECT_EQ(s->GetPortName(10, 1), "x");
  EXPECT_TRUE(s->IsInputPortEnable(12));
  EXPECT_EQ(s->GetPortName(12, 1), "");
  EXPECT_TRUE(s->IsBrakePortEnable(5));
  EXPECT_TRUE(s->IsBrakePortEnable(9));
  EXPECT_FALSE(s->IsBrakePortEnable(10));
  EXPECT_EQ(s->GetNumberOfBrakeOutputs(), 2);

  // a repeated key: listed twice, one value, written twice
  int foo = 0;
  for (INT_PTR i = 0; i < s->GetOptionNames().GetSize(); ++i) foo += s->GetOptionNames()[i].CompareNoCase("foo") == 0;
  EXPECT_EQ(foo, 2);
  EXPECT_EQ(s->GetOptionNoError("Foo"), "2");
  std::string out = dravonix::test::ScratchDir("ports_out");
  ASSERT_TRUE(s->SaveToDirectory(out.c_str()));
  std::string text = ReadBytes(out + "/setup.cfg");
  EXPECT_NE(text.find("Foo\t= 2\r\nFOO\t= 2\r\n"), std::string::npos);
}

TEST_F(SetupTest, FirmwareFileRules) {
  std::string fw = "Firmware/F5T01/";
  WriteBytes(Kernel(fw + "variables.cfg"), ReadBytes(Kernel("Firmware/F505H/variables.cfg")));
  WriteBytes(Kernel(fw + "setup.cfg"),
             "StatusRegMask = 3\nStatusRegMask = FF\nErrorRegMask = 10\nHomeProcCount = 3\nHomeProcCount = 5\n"
             "InterruptDesc[40] = \"last\"\nInterruptDesc[1x] = \"skipped\"\nStatusRegDesc[32] = \"ignored\"\n"
             "StatusRegDesc[31] = \"top\"\nSoftwareProtDesc[33] = \"p33\"\nDefaultHomeProc[0] = \"d\"\n");
  std::string dir = MakeDir("fwrules", Gen3Cfg("FirmwareID = F5T01\nEnabledHomeProcIDs = 1 3,0 2\n",
                                               {"FirmwareID", "EnabledHomeProcIDs"}));
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_EQ(s->GetStatusRegMask(), 3u);
  EXPECT_EQ(s->GetErrorRegMask(), 0x10u);
  EXPECT_EQ(s->GetInterruptsCount(), 41);
  EXPECT_EQ(s->GetInterruptDescription(40), "last");
  EXPECT_EQ(s->GetInterruptDescription(1), "");
  EXPECT_EQ(s->GetStatusRegDesc(31), "top");
  EXPECT_EQ(s->GetSwProtectionsCount(), 34);
  EXPECT_EQ(s->GetSwProtectionDescription(33), "p33");
  EXPECT_EQ(s->GetSwProtectionsMask(), 2u);
  ASSERT_EQ(s->GetHomingProceduresCount(), 3);
  EXPECT_EQ(s->GetHomingProcedureFile(0), "home1.cfg");
  EXPECT_EQ(s->GetHomingProcedureFile(1), "");
  EXPECT_EQ(s->GetHomingProcedureFile(2), "home3.cfg");

  // a firmware file whose lines break the rules, and the switch to another firmware
  struct Case {
    std::string line;
    std::string message;
  } cases[] = {
      {"Unknown = 1\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 1"},
      {"InterruptDesc[1] = unquoted\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 1"},
      {"Other[1] = \"x\"\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 1"},
      {"# comment\nHomeProcCount = -1\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 2"},
      {"no equal sign\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 1"},
      {"HomeProcCount = 2000000000\n", "Invalid syntax in file Firmware/F5T01/setup.cfg, line 1"},
  };
  for (const Case& c : cases) {
    WriteBytes(Kernel(fw + "setup.cfg"), c.line);
    ClearBoxes();
    EXPECT_FALSE(s->SetFirmwareID("F5T01")) << c.line;
    EXPECT_EQ(LastBox(), c.message);
  }
  EXPECT_EQ(s->GetFirmwareID(), "F5T01");
  // an absurd index is skipped like a malformed one
  WriteBytes(Kernel(fw + "setup.cfg"), "InterruptDesc[999999999] = \"far\"\nInterruptDesc[2] = \"near\"\n");
  EXPECT_TRUE(s->SetFirmwareID("F5T01"));
  EXPECT_EQ(s->GetInterruptsCount(), 3);
  EXPECT_TRUE(s->SetFirmwareID("F505H"));
  EXPECT_EQ(s->GetFirmwareID(), "F505H");
  EXPECT_EQ(s->GetInterruptsCount(), 12);
  ClearBoxes();
  EXPECT_FALSE(s->SetFirmwareID("F5NONE"));
  EXPECT_NE(LastBox().find("Cannot open file"), std::string::npos);
  EXPECT_EQ(s->GetFirmwareID(), "F505H");

  // generation-3 keys in an older firmware's file
  WriteBytes(Kernel("Firmware/F2T01/setup.cfg"), "InterruptDesc[0] = \"a\"\nHomeProcCount = 1\n");
  ClearBoxes();
  EXPECT_FALSE(s->SetFirmwareID("F2T01"));
  EXPECT_EQ(LastBox(), "Error in file Firmware/F2T01/setup.cfg line 2:\n Keyword \"HomeProcCount\" is not allowed  for MC version 2!");
  WriteBytes(Kernel("Firmware/F2T01/setup.cfg"), "DefaultHomeProc[0] = \"a\"\n");
  EXPECT_FALSE(s->SetFirmwareID("F2T01"));
  EXPECT_EQ(LastBox(), "Error in file Firmware/F2T01/setup.cfg line 1:\n Keyword \"DefaultHomeProc\" is not allowed  for MC version 2!");
}

TEST_F(SetupTest, BadFilesLeaveNoSetup) {
  // missing directory
  std::string none = dravonix::test::ScratchDir("nosuchsetup") + "/inner";
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(none.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Cannot open file " + none + "/setup.cfg!");
  EXPECT_EQ(CMC_Setup::Create(0x0E0E), nullptr);
  EXPECT_NE(LastBox().find("Configurations/0E/0E/setup.cfg!"), std::string::npos);

  // malformed parameters.cfg and variables.cfg
  std::string dir = MakeDir("badparams", Gen3Cfg());
  WriteBytes(dir + "/parameters.cfg", "INT\tKp\t@0x0100\t=1\nINT\tKP\t@0x0101\t=1\n");
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Error in file " + dir + "/parameters.cfg line 2:\n The parameter KP is already defined.");
  WriteBytes(dir + "/parameters.cfg", "INT\tKp\t[furlong]\t@0x0100\t=1\n");
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_FALSE(Boxes().empty());
  WriteBytes(dir + "/parameters.cfg", ReadBytes(Kernel("Configurations/05/05/parameters.cfg")));
  WriteBytes(dir + "/variables.cfg", "LONG\tX\t@0x0100\tjunk\n");
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Invalid syntax in file " + dir + "/variables.cfg, line 1");
  std::filesystem::remove(dir + "/variables.cfg");
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Cannot open file " + dir + "/variables.cfg!");

  // a firmware folder that does not exist
  dir = MakeDir("nofirmware", Gen3Cfg("FirmwareID = F5ZZZ\n", {"FirmwareID"}));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_NE(LastBox().find("Firmware/F5ZZZ/variables.cfg!"), std::string::npos) << LastBox();

  // quietly, when messages are off
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupTest, SaveCreatesTheFolderAndReportsFailures) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  std::string dir = dravonix::test::ScratchDir("savefolder") + "/new";
  ASSERT_TRUE(s->SaveToDirectory(dir.c_str()));
  EXPECT_TRUE(std::filesystem::exists(dir + "/parameters.cfg"));
  // a path below a file cannot become a folder
  std::string blocked = dir + "/setup.cfg/sub";
  ClearBoxes();
  EXPECT_FALSE(s->SaveToDirectory(blocked.c_str()));
  EXPECT_EQ(Boxes().size(), 1u);
  // relative names resolve against the kernel folder
  ASSERT_TRUE(s->SaveToDirectory("SavedSetups"));
  EXPECT_TRUE(std::filesystem::exists(Kernel("SavedSetups/setup.cfg")));
  // an empty folder name is the kernel folder, never the root of the file system
  for (const char* name : {"", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(name ? "empty" : "null");
    ASSERT_TRUE(s->SaveToDirectory(name));
    EXPECT_TRUE(std::filesystem::exists(Kernel("parameters.cfg")));
    SetupPtr back(CMC_Setup::CreateFromDirectory(name));
    EXPECT_TRUE(back) << LastBox();
    ASSERT_TRUE(s->ExportForVKS_Lib(name, nullptr));
    EXPECT_NE(ReadBytes(Kernel("variables.cfg")).find("#Firmware variables"), std::string::npos);
    for (const char* f : kFiles) std::filesystem::remove(Kernel(f));
  }
}

TEST_F(SetupTest, ImportTakesValuesThroughTheEditor) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  // an incompatible product
  ClearBoxes();
  EXPECT_EQ(s->ImportFromDirectory(Kernel("Configurations/02/10").c_str()), 0);
  EXPECT_EQ(LastBox(), "This setup is incompatible with your drive/motor.");

  // a compatible one with other values
  SetupPtr other(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(other);
  other->SetParameterValue("Ipeak", 15);
  other->SetParameterValueInInternalUnit("Kp_speed", 900);
  other->SetUserAppID("app-2");
  std::string dir = dravonix::test::ScratchDir("import");
  ASSERT_TRUE(other->SaveToDirectory(dir.c_str()));
  s->SetTestPerformedDuringEdit(1);
  Script("drvgui.dll", "GuiStandIn_Script", "edit refuse");
  ClearBoxes();
  EXPECT_EQ(s->ImportFromDirectory(dir.c_str()), 0);
  EXPECT_FALSE(s->WasTestPerformedDuringEdit());
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10);
  EXPECT_EQ(s->GetUserAppID(), "");
  EXPECT_EQ(s->GetOptionNoError("SpeedTuningOscSettings"), "2 0 \"ASPD\" \"TSPD\"");

  Script("drvgui.dll", "GuiStandIn_Script", "edit accept");
  EXPECT_EQ(s->ImportFromDirectory(dir.c_str()), 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 15);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("Kp_speed"), 900);
  EXPECT_EQ(s->GetUserAppID(), "app-2");
  EXPECT_TRUE(Boxes().empty()) << LastBox();
}

TEST_F(SetupTest, ImportMapsAnOlderSingleLoopSetup) {
  // the older linear setup, declared compatible with this drive
  std::string dir = dravonix::test::ScratchDir("import_old");
  {
    SetupPtr old(CMC_Setup::Create(0x0210));
    ASSERT_TRUE(old);
    old->SetProductID("1000.505.0002");
    old->SetParameterValueInInternalUnit("SensorsConfiguration", 2);
    old->SetParameterValueInInternalUnit("isMotorMassUnknown", 1);
    ASSERT_TRUE(old->SaveToDirectory(dir.c_str()));
  }
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  Script("drvgui.dll", "GuiStandIn_Script", "edit accept");
  ASSERT_EQ(s->ImportFromDirectory(dir.c_str()), 1) << LastBox();
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("MECRESL"), 1000);  // 4 x 250 lines
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("MotorSensorType"), 2);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("LoadSensorType"), 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("isMotorInertiaUnknown"), 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("TransmissionType"), 1);  // not a "_lin" module
  EXPECT_DOUBLE_EQ(s->GetParameterValueInInternalUnit("Kp_current"), 900);
  // 8 A is inside the limits of 20 A; the old limits are not copied
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 8);
  EXPECT_DOUBLE_EQ(s->FindParameter("Ipeak")->GetMax(), 20);
}
