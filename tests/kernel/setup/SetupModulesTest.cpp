// The setup's plug-in modules: loading and its messages, the interpreter through the simulated
// drive, the compiler stand-in and the setup editor.
#include "tests/kernel/SetupTestSupport.h"

#include "comm/MC_Comm.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/support/SimulatedDrive.h"

#include <cstdio>

class SetupModulesTest : public dravonix::test::SimulatedDriveTest<SetupTest> {};

TEST_F(SetupModulesTest, GuiModulesWithMissingEntryPoints) {
  std::string dir = MakeDir("nooffset", Gen3Cfg("GUI_File = drvgui_nooffset.dll\n", {"GUI_File"}));
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Invalid setup library (drvgui_nooffset.dll).");

  dir = MakeDir("noinit", Gen3Cfg("GUI_File = drvgui_noinit.dll\n", {"GUI_File"}));
  ClearBoxes();
  SetupPtr s(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_TRUE(s) << LastBox();
  EXPECT_NE(s->GetGuiModule(), nullptr);
  EXPECT_EQ(s->GetGUIModuleName(), "drvgui_noinit.dll");
  EXPECT_EQ(GuiCount("OnInitParam"), 0);
  EXPECT_NE(s->GetScaleOffsetFct(), nullptr);

  dir = MakeDir("nogui", Gen3Cfg("GUI_File = absent.dll\n", {"GUI_File"}));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(SetupModulesTest, InterpreterAndCompilerMustHaveTheirEntryPoints) {
  std::string dir = MakeDir("badinterp", Gen3Cfg("Interpreter_File = compiler.dll\n"));
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Invalid interpreter library (compiler.dll).");
  dir = MakeDir("badcomp", Gen3Cfg("Compiler_File = interpreter.dll\n"));
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_EQ(LastBox(), "Invalid compiler library (interpreter.dll).");
  dir = MakeDir("nocomp", Gen3Cfg("Compiler_File = nothere.dll\n"));
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_EQ(CMC_Setup::CreateFromDirectory(dir.c_str()), nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupModulesTest, ParameterRefusedByTheGuiModule) {
  Script("drvgui.dll", "GuiStandIn_Script", "refuse kp_speed");
  EXPECT_EQ(CMC_Setup::Create(0x0505), nullptr);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_GT(GuiCount("OnInitParam"), 0);
  Script("drvgui.dll", "GuiStandIn_Script", "reset");
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  EXPECT_EQ(GuiCount("OnInitParam"), s->GetParameters().GetSize());
  EXPECT_EQ(GuiCount("ComputeAllOptions"), 1);
}

TEST_F(SetupModulesTest, DefaultCompilerAnswersWithAnError) {
  SetupPtr s(CMC_Setup::Create(0x0505));  // names no compiler
  ASSERT_TRUE(s);
  WORD start, size;
  s->GetDefaultDataSection(start, size);
  EXPECT_EQ(s->CompileFile("motion.zur", s->GetLoadZURCodeAddress(), s->GetZURCodeLength(), s->GetRunZURCodeAddress(),
                           start, size, 6, nullptr),
            0);
  ASSERT_NE(s->GetCompilerErrorString(), nullptr);
  EXPECT_EQ(std::string(s->GetCompilerErrorString()),
            "motion.zur(0): error: cannot open the source file");
}

TEST_F(SetupModulesTest, ExecuteStringReachesTheActiveDrive) {
  DriveSimulator::AddDrive(3);
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  // Without a channel the active drive is unknown.
  EXPECT_EQ(s->ExecuteString("CPOS=100;", 0, nullptr), 0);
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_TRUE(CMC_Comm::SetActiveBoard(3));
  Script("interpreter.dll", "InterpStandIn_Script", "reset");
  EXPECT_EQ(s->ExecuteString("CPOS=100;", 0, nullptr), 1) << s->GetInterpreterErrorString();
  EXPECT_EQ(InterpreterLog(), "0x0030\tCPOS=100;\n");
  WORD words[2] = {0, 0};
  ASSERT_TRUE(DriveSimulator::ReadMemory(3, 1, 0x029E, words, 2));
  EXPECT_EQ(words[0], 100);
  EXPECT_EQ(words[1], 0);

  // an explicit address: drive 1, a fixed-point variable and the word halves
  EXPECT_EQ(s->ExecuteString("CSPD = 1.5; CPOS(H)=0x1234", 0x10, nullptr), 1) << s->GetInterpreterErrorString();
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x02A0, words, 2));
  EXPECT_EQ(words[0], 0x8000);
  EXPECT_EQ(words[1], 1);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x029F, words, 1));
  EXPECT_EQ(words[0], 0x1234);
  WORD active = 0;
  ASSERT_TRUE(CMC_Comm::GetActiveBoard(active));
  EXPECT_EQ(active, 3);

  // a memory quantity, written by its type
  EXPECT_EQ(s->ExecuteString("int@0x8300 = 1000;UPD", 0x10, nullptr), 1) << s->GetInterpreterErrorString();
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, CMC_Value::GetMemorySpace(0x8300), 0x8300, words, 1));
  EXPECT_EQ(words[0], 1000);
  EXPECT_EQ(s->ExecuteString("int@ = 1;", 0x10, nullptr), 0);

  // a file through the same road
  FILE* f = tmpfile();
  fputs("APOS=7;\r\nEND;AXISOFF;STOP0\r\n", f);
  rewind(f);
  EXPECT_EQ(s->ExecuteFile(f, 0, nullptr), 1);
  fclose(f);
  ASSERT_TRUE(DriveSimulator::ReadMemory(3, 1, 0x0228, words, 1));
  EXPECT_EQ(words[0], 7);

  // refusals
  EXPECT_EQ(s->ExecuteString("NOSUCH=1;", 0, nullptr), 0);
  EXPECT_EQ(std::string(s->GetInterpreterErrorString()), "Unknown variable \"NOSUCH\".");
  Script("interpreter.dll", "InterpStandIn_Script", "fail 1 drive busy");
  EXPECT_EQ(s->ExecuteString("goto 0x4010", 0, nullptr), 0);
  EXPECT_EQ(std::string(s->GetInterpreterErrorString()), "drive busy");
  EXPECT_EQ(s->ExecuteString("goto 0x4010", 0, nullptr), 1);
  EXPECT_EQ(s->ExecuteString("[B]{ STARTLOG 2; }", 0, nullptr), 1);
  EXPECT_EQ(s->ExecuteString("[B]{ STOPLOG; }", 0, nullptr), 1);
  EXPECT_NE(InterpreterLog().find("0x0030\t[B]{ STARTLOG 2; }\n"), std::string::npos);
}

TEST_F(SetupModulesTest, EepromProtectionAndOutputs) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  DriveSimulator::SetE2ROMWriteProtected(1, true);
  WORD word = 0x5A5A;
  EXPECT_FALSE(CMC_Comm::SendData(&word, 0x4000, 2, 1));
  EXPECT_EQ(s->ExecuteString("ENEEPROM;LOCKEEPROM 0", 0x10, nullptr), 1);
  EXPECT_TRUE(CMC_Comm::SendData(&word, 0x4000, 2, 1));
  EXPECT_EQ(s->ExecuteString("LOCKEEPROM 1", 0x10, nullptr), 1);
  EXPECT_FALSE(CMC_Comm::SendData(&word, 0x4000, 2, 1));

  WORD address = 0, mask = 0;
  ASSERT_TRUE(s->GetOutputPortBit(4, address, mask));
  EXPECT_EQ(address, 0x090A);
  EXPECT_EQ(mask, 0x10);
  ASSERT_TRUE(s->GetInputPortBit(20, address, mask));
  EXPECT_EQ(address, 0x0909);
  EXPECT_EQ(mask, 0x10);
  EXPECT_FALSE(s->GetInputPortBit(40, address, mask));
  EXPECT_EQ(s->ExecuteString("OUT(4) = 1", 0x10, nullptr), 1);
  EXPECT_EQ(s->ExecuteString("SOUT#1;", 0x10, nullptr), 1);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x090A, &word, 1));
  EXPECT_EQ(word, 0x12);
  EXPECT_EQ(s->ExecuteString("ROUT#4;", 0x10, nullptr), 1);
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x090A, &word, 1));
  EXPECT_EQ(word, 0x02);

  EXPECT_EQ(s->VerifySyntax("CPOS = 10; UPD;", nullptr), 1);
  EXPECT_EQ(s->VerifySyntax("CPOS == ;", nullptr), 0);
  EXPECT_EQ(std::string(s->GetInterpreterErrorString()), "Syntax error: \"CPOS ==\".");
}

TEST_F(SetupModulesTest, EditorKeepsOrRestoresTheParameters) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  s->SetTestPerformedDuringEdit(1);
  Script("drvgui.dll", "GuiStandIn_Script", "edit set Ipeak 12");
  Script("drvgui.dll", "GuiStandIn_Script", "edit refuse");
  s->ClearOption("PositionTuningOscSettings");
  EXPECT_EQ(s->Edit(), 0);
  EXPECT_FALSE(s->WasTestPerformedDuringEdit());
  EXPECT_TRUE(s->IsIUCacheEnabled());
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 10);
  EXPECT_EQ(GuiCount("EditSetupWithoutCache"), 1);
  EXPECT_EQ(s->GetOptionNoError("PositionTuningOscSettings"), "");

  int options = GuiCount("ComputeAllOptions");
  Script("drvgui.dll", "GuiStandIn_Script", "edit accept");
  EXPECT_EQ(s->Edit(), 1);
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 12);
  EXPECT_EQ(GuiCount("ComputeAllOptions"), options + 1);

  // The scale is asked afresh after an edit: the module's new answer shows.
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 12);
  Script("drvgui.dll", "GuiStandIn_Script", "scale A * 0.002 0");
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 12);  // cached
  s->InvalidateIUCache();
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), 24);
}

#include "comm/MC_CoffFormat.h"
#include "suite/coff/CoffWriter.h"

TEST_F(SetupModulesTest, ProgramSymbolsOfTheCompiledProgram) {
  coff::Writer w;
  coff::Section text;
  text.name = ".text";
  text.loadAddress = text.runAddress = 0x4000;
  text.words.assign(8, 0);
  w.AddSection(text);
  coff::Section data;
  data.name = ".data";
  data.loadAddress = data.runAddress = 0x8300;
  data.words.assign(8, 0);
  data.flags = coff::kSectionData;
  data.page = 1;
  w.AddSection(data);
  w.AddVariable("COUNTER", 0x8300, 2, coff::kTypeInt);
  w.AddVariable("DISTANCE", 0x8302, 2, coff::kTypeLong);
  w.AddLabel("START", 0x4000, 1);
  std::string dir = dravonix::test::ScratchDir("coffsymbols");
  CMC_CoffFormat program;
  program.m_strFileName = (dir + "/motion.out").c_str();
  ASSERT_TRUE(w.WriteFile(program.m_strFileName.GetString()));
  ASSERT_EQ(program.ReadCoff(), 1);

  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  EXPECT_EQ(s->VerifySyntax("counter = 5;", nullptr), 0);
  EXPECT_EQ(s->VerifySyntax("counter = 5;", &program), 1);
  EXPECT_EQ(s->ExecuteString("counter = 5; distance = 70000;", 0x10, &program), 1) << s->GetInterpreterErrorString();
  WORD words[4] = {0, 0, 0, 0};
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 1, 0x8300, words, 4));
  EXPECT_EQ(words[0], 5);
  EXPECT_EQ(words[2], (WORD)(70000 & 0xFFFF));
  EXPECT_EQ(words[3], (WORD)(70000 >> 16));

  // the library export lists the program's symbols in its last block
  std::string vks = dravonix::test::ScratchDir("vks_coff");
  ASSERT_TRUE(s->ExportForVKS_Lib(vks.c_str(), &program));
  std::string vars = ReadBytes(vks + "/variables.cfg");
  size_t last = vars.find("#User defined variables and labels");
  ASSERT_NE(last, std::string::npos);
  EXPECT_NE(vars.find("COUNTER", last), std::string::npos) << vars.substr(last);
}

TEST_F(SetupModulesTest, ScaleTableOfTheGuiModule) {
  SetupPtr s(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(s);
  // from the table file: 2000 counts per revolution, Ts_S 100 us
  CMC_Variable* apos = s->FindVariable("APOS", 0);
  ASSERT_TRUE(apos);
  apos->SetValueInInternalUnit(4000);
  EXPECT_NEAR(apos->GetValue(), 2.0, 1e-12);  // rot
  MC_SCALE_FCT factor = s->GetScaleFactorFct();
  ASSERT_TRUE(factor);
  EXPECT_DOUBLE_EQ(factor(s.get(), "s", "Ts_S"), 1e-4);
  EXPECT_DOUBLE_EQ(factor(s.get(), "s", "Ts_C"), 62.5e-6);
  EXPECT_DOUBLE_EQ(s->GetScaleOffsetFct()(s.get(), "degC", "TempMax"), -2731.5);

  // a factor of 0 is refused with the kernel's warning
  Script("drvgui.dll", "GuiStandIn_Script", "scale A Ipeak 0 0");
  s->InvalidateIUCache();
  ClearBoxes();
  EXPECT_EQ(s->GetParameterValue("Ipeak"), NOT_AVAILABLE_VALUE);
  EXPECT_EQ(LastBox(),
            "Warning: drvgui.dll GUI module returned 0 as IU scale factor for unit A and variable/parameter Ipeak.");
  // a setup whose parameters.cfg meets the refused factor says so once, and nothing of its syntax
  ClearBoxes();
  EXPECT_FALSE(SetupPtr(CMC_Setup::Create(0x0505)));
  EXPECT_EQ(Boxes(), std::vector<std::string>{
      "Warning: drvgui.dll GUI module returned 0 as IU scale factor for unit A and variable/parameter Ipeak."});
  // a negative one turns the limits round
  Script("drvgui.dll", "GuiStandIn_Script", "scale A Ipeak -0.001 0");
  EXPECT_DOUBLE_EQ(s->GetParameterValue("Ipeak"), -10);
  EXPECT_DOUBLE_EQ(s->FindParameter("Ipeak")->GetMin(), -20);
}
