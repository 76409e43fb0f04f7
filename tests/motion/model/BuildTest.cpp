// Building motion programs: the generated sources, their order, and the compiled motion.out.
#include "comm/MC_CoffFormat.h"
#include "comm/MC_Comm.h"
#include "platform/core/MessageBox.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "kernel/values/ConfigFile.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "tests/motion/MotionTestSupport.h"
#include "tests/support/SimulatedDrive.h"

#include <filesystem>

namespace {

class BuildTest : public MotionBuildFixture {
 protected:
  void AddFunctions(int n) {
    for (int i = 1; i <= n; ++i) {
      int at = m_motion->AddNewFunction(FormatString("F%d", i).c_str());
      ASSERT_GE(at, 0);
      m_motion->GetFunction(at)->Add(CodeElem(FormatString("X%d = %d;", i, i).c_str()));
    }
  }
};

}  // namespace

TEST_F(BuildTest, FilesOfASmallProgram) {
  m_motion->GetMain()->Add(CodeElem("int counter;"));
  m_motion->GetMain()->Add(CodeElem("AXISON;"));
  m_motion->GetMain()->Add(CodeElem("SKIPPED;", 0));
  auto* inner = new CMC_MotionGroup("inner");
  inner->Add(CodeElem("UPD;"));
  m_motion->GetMain()->Add(inner);
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("motion.zur"),
            "//This file was generated with Kelvashin Suite\r\n\r\nBEGIN;//Start of VKS program\r\n\r\n"
            "#include \"copy_sequence.zur\"\r\n#include \"setup_interrupts.zur\"\r\n#include \"init_cam.zur\"\r\n"
            "#include \"setup_settings.zur\"\r\n#include \"main.zur\"\r\n\r\nEND;//End of VKS program\r\n\r\n"
            "#include \"homingmodes.zur\"\r\n#include \"functions.zur\"\r\n#include \"interrupts.zur\"\r\n\r\n");
  EXPECT_EQ(m_motion->GetSourceText(), File("motion.zur").c_str());
  EXPECT_EQ(File("main.zur"), kHeader + "int counter;\r\nAXISON;\r\nUPD;\r\n");
  // Loaded where it runs: the copy sequence file holds only the header.
  EXPECT_EQ(m_setup->GetLoadZURCodeAddress(), m_setup->GetRunZURCodeAddress());
  EXPECT_EQ(File("copy_sequence.zur"), kHeader);
  // Generation 3 without user tables.
  EXPECT_EQ(File("setup_interrupts.zur"),
            kHeader + "\tExecuteMain = MainStartAddress;\r\n\tExecuteAutotuning = ContinueWithEndinit;\r\n");
  EXPECT_EQ(File("interrupts.zur"), kHeader);
  EXPECT_EQ(File("homingmodes.zur"), kHeader);
  EXPECT_EQ(File("functions.zur"), kHeader);
  // The SetupSettings group of the sample is translated by its modules.
  EXPECT_EQ(File("setup_settings.zur"), kHeader + "/* Setup settings */\r\nWAIT 10;\r\n");

  // The compiler was given the setup's addresses and the default data section.
  CMC_CoffFormat coff;
  coff.m_strFileName = CMC_Motion::GetOutFileName(m_dir.c_str());
  EXPECT_EQ(std::string(coff.m_strFileName), m_dir + "\\motion.out");
  ASSERT_EQ(coff.ReadCoff(), 1);
  ASSERT_NE(coff.GetTextSection(), nullptr);
  EXPECT_EQ(coff.GetTextSection()->m_dwPhysicalAddress, m_setup->GetLoadZURCodeAddress());
  WORD start = 0, size = 0;
  m_setup->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 944);
  EXPECT_EQ(size, 80);
  // The program's variable lies at the start of the default data section.
  WORD address = 0;
  tagVarType type;
  ASSERT_TRUE(coff.LocateVariable("counter", address, type));
  EXPECT_EQ(address, 944);
  EXPECT_EQ(coff.LocateLabel("_COPY_SEQ"), 0);
}

TEST_F(BuildTest, FunctionTableHoldsTenEntries) {
  AddFunctions(12);
  ASSERT_EQ(Build(), 1) << LastBox();
  std::string f = File("functions.zur");
  std::string table = "FunctionTable:\r\n";
  for (int i = 1; i <= 10; ++i) table += FormatString("\t@F%d;\r\n", i);
  table += "\r\n";
  EXPECT_EQ(f.rfind(kHeader + table, 0), 0u) << f;
  for (int i = 1; i <= 12; ++i) EXPECT_NE(f.find(FormatString("F%d:\r\nX%d = %d;\r\n\tRET;\r\n\r\n", i, i, i)), std::string::npos);
  EXPECT_NE(File("setup_interrupts.zur").find("\tFunctionTable_pointer = FunctionTable; // Set begin address of "
                                              "function table\r\n"),
            std::string::npos);
}

TEST_F(BuildTest, ThreeFunctionsGiveSevenEmptyEntries) {
  AddFunctions(3);
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("functions.zur"),
            kHeader + "FunctionTable:\r\n\t@F1;\r\n\t@F2;\r\n\t@F3;\r\n" + [] {
              std::string s;
              for (int i = 0; i < 7; ++i) s += "\t@0;\r\n";
              return s;
            }() + "\r\nF1:\r\nX1 = 1;\r\n\tRET;\r\n\r\nF2:\r\nX2 = 2;\r\n\tRET;\r\n\r\nF3:\r\nX3 = 3;\r\n\tRET;\r\n\r\n");
}

TEST_F(BuildTest, InterruptsAndHomingTables) {
  ASSERT_GE(m_motion->GetInterruptsCount(), 3);
  m_motion->SetUserInterrupt(1, TRUE);
  CMC_MotionGroup* handler = m_motion->GetInterrupt(1);
  handler->DeleteAll();
  handler->Add(CodeElem("X = 1;"));
  ASSERT_GE(m_motion->GetHomingProceduresCount(), 2);
  m_motion->EnableHomingProcedure(0, TRUE);
  m_motion->GetHomingProcedure(0)->DeleteAll();
  m_motion->GetHomingProcedure(0)->Add(CodeElem("Y = 2;"));
  ASSERT_EQ(Build(), 1) << LastBox();

  std::string ints = kHeader + "InterruptTable:\r\n";
  for (int i = 0; i < m_motion->GetInterruptsCount(); ++i)
    ints += i == 1 ? "\t@" + std::string(m_motion->GetInterruptName(1)) + ";\r\n" : FormatString("\t@default_int%d;\r\n", i);
  ints += "\r\n" + std::string(m_motion->GetInterruptName(1)) + ":\r\nX = 1;\r\n\tRETI;\r\n\r\n";
  EXPECT_EQ(File("interrupts.zur"), ints);

  const std::string home0 = std::string(m_motion->GetHomingProcedureName(0));
  std::string homing = File("homingmodes.zur");
  EXPECT_EQ(homing.rfind(kHeader + "HomingTable:\r\n\t@" + home0 + ";\r\n\t@default_home2;\r\n", 0), 0u) << homing;
  EXPECT_NE(homing.find("\r\n" + home0 + ":\r\nY = 2;\r\n\tRET;\r\n\r\n"), std::string::npos);
  EXPECT_EQ(File("setup_interrupts.zur"),
            kHeader + "\tINTTABLE = InterruptTable; // Set begin address of interrupt table\r\n"
                      "\tHomingTable_pointer = HomingTable; // Set begin address of homing table\r\n"
                      "\tExecuteMain = MainStartAddress;\r\n\tExecuteAutotuning = ContinueWithEndinit;\r\n");
}

TEST_F(BuildTest, SecondGenerationCopiesItsCodeAndWritesNoDefaultHoming) {
  std::string dir = MakeDir("gen2", ReadBytes(Kernel("Configurations/02/10/setup.cfg")), "Configurations/02/10");
  WriteBytes(dir + "/variables.cfg",
             ReadBytes(Kernel("Configurations/02/10/variables.cfg")) + "UINT\tHomingTable_pointer\t@0x09C8\r\n");
  Use(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_EQ(m_setup->GetMCVersion(), 2);
  ASSERT_NE(m_setup->GetLoadZURCodeAddress(), m_setup->GetRunZURCodeAddress());
  ASSERT_GE(m_motion->GetHomingProceduresCount(), 2);
  m_motion->EnableHomingProcedure(1, TRUE);
  ASSERT_EQ(Build(), 1) << LastBox();
  std::string copy = File("copy_sequence.zur");
  EXPECT_EQ(copy.rfind(kHeader + "\tvar_i1 = 0x0317;\r\n\tvar_i2 = (var_i1),dm;\r\n", 0), 0u);
  EXPECT_NE(copy.find("\r\n_COPY_SEQ:\r\n\tvar_lf(H) = (var_i1+),spi;"), std::string::npos);
  EXPECT_EQ(copy.substr(copy.size() - 18), "\r\n_END_COPY_SEQ:\r\n");
  std::string homing = File("homingmodes.zur");
  EXPECT_EQ(homing.rfind(kHeader + "HomingTable:\r\n\t@0;\r\n\t@" + std::string(m_motion->GetHomingProcedureName(1)) +
                             ";\r\n",
                         0),
            0u)
      << homing;
  EXPECT_EQ(File("setup_interrupts.zur"),
            kHeader + "\tHomingTable_pointer = HomingTable; // Set begin address of homing table\r\n");
  // The code was compiled to run where the setup runs it.
  CMC_CoffFormat coff;
  coff.m_strFileName = CMC_Motion::GetOutFileName(m_dir.c_str());
  ASSERT_EQ(coff.ReadCoff(), 1);
  EXPECT_GE(coff.LocateLabel("_COPY_SEQ"), m_setup->GetRunZURCodeAddress());
  EXPECT_EQ(coff.GetTextSection()->m_dwPhysicalAddress, m_setup->GetLoadZURCodeAddress());
}

TEST_F(BuildTest, CamTablesAndTheirAddresses) {
  CMC_CAMTables* cams = m_motion->GetCAMTables();
  ASSERT_TRUE(cams);
  ASSERT_TRUE(cams->AddNewSelCAM("First"));
  ASSERT_TRUE(cams->AddNewSelCAM("Second"));
  LONG one[1] = {0}, two[2] = {0, 1};
  cams->GetSelCAM(0)->SetPoints(one, 1);  // 8 words
  cams->GetSelCAM(1)->SetPoints(two, 2);  // 10 words
  ASSERT_EQ(Build(), 1) << LastBox();
  const WORD l = m_setup->GetLoadCAMTablesAddress(), r = m_setup->GetRunCAMTablesAddress();
  EXPECT_EQ(File("init_cam.zur"),
            kHeader + FormatString("  INITCAM 0x%04hX, 0x%04hX; //Initialize CAM table named \"First\"\r\n", l, r) +
                FormatString("  INITCAM 0x%04hX, 0x%04hX; //Initialize CAM table named \"Second\"\r\n", l + 8, r + 8));
  WORD load = 0, run = 0;
  EXPECT_EQ(m_motion->GetCAMAddresses("second", load, run), 1);
  EXPECT_EQ(load, (WORD)(l + 8));
  EXPECT_EQ(run, (WORD)(r + 8));
  EXPECT_EQ(m_motion->GetCAMAddresses("none", load, run), 0);
  EXPECT_EQ(load, 0);
  // Too large for the CAM area: no INITCAM lines and no addresses.
  std::vector<LONG> points(m_setup->GetCAMTablesLength(), 3);
  cams->GetSelCAM(1)->SetPoints(points.data(), (int)points.size());
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("init_cam.zur"), kHeader);
  EXPECT_EQ(m_motion->GetCAMAddresses("First", load, run), 0);
}

TEST_F(BuildTest, UserSourceSurvivesAndOrderOfWriting) {
  WriteBytes(m_dir + "/motion.zur", "//mine\r\nBEGIN;\r\n#include \"main.zur\"\r\nEND;\r\n");
  m_motion->GetMain()->Add(CodeElem("OK;"));
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("motion.zur"), "//mine\r\nBEGIN;\r\n#include \"main.zur\"\r\nEND;\r\n");

  // A file that cannot be written stops the build there: later files and the compiler are not reached.
  std::string dir = dravonix::test::ScratchDir("blocked");
  std::filesystem::create_directory(dir + "/init_cam.zur");
  ClearBoxes();
  EXPECT_EQ(m_motion->Build(dir.c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(dir + "/setup_interrupts.zur"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/setup_settings.zur"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/motion.out"));
  EXPECT_FALSE(Boxes().empty());

  // No directory, no setup: nothing is written.
  EXPECT_EQ(m_motion->Build(""), 0);
  EXPECT_EQ(m_motion->Build(nullptr), 0);
}

TEST_F(BuildTest, RelativeDirectoryAndCompilerErrors) {
  // Under the kernel folder, with a trailing backslash given; a missing folder is not created.
  EXPECT_EQ(m_motion->Build("BuildRel\\"), 0);
  EXPECT_EQ(LastBox(), "Cannot open file " + Kernel("BuildRel/motion.zur") + "!");
  std::filesystem::create_directory(Kernel("BuildRel"));
  m_motion->GetMain()->Add(CodeElem("#error stop"));
  g_bShowErrors = TRUE;
  ClearBoxes();
  EXPECT_EQ(m_motion->Build("BuildRel\\"), 0);
  const std::string main = Kernel("BuildRel/main.zur");
  EXPECT_TRUE(std::filesystem::exists(main));
  EXPECT_EQ(LastBox(), std::string(GetKernelDirectory()) + "BuildRel\\main.zur(4): error: stop");
  g_bShowErrors = FALSE;
  ClearBoxes();
  EXPECT_EQ(m_motion->Build("BuildRel"), 0);
  EXPECT_TRUE(Boxes().empty());
  m_motion->GetMain()->DeleteAll();
  EXPECT_EQ(m_motion->Build("BuildRel"), 1);
  EXPECT_TRUE(std::filesystem::exists(Kernel("BuildRel/motion.out")));
  EXPECT_EQ(CMC_Motion::GetOutFileName("BuildRel"), "BuildRel\\motion.out");
  EXPECT_EQ(CMC_Motion::GetOutFileName("BuildRel\\"), "BuildRel\\motion.out");
}

namespace {

class BuildRoadTest : public dravonix::test::SimulatedDriveTest<BuildTest> {
 protected:
  // A program whose elements are translated by the sample motion modules.
  void SampleProgram() {
    auto elem = [](const char* type, const char* parameters) {
      auto* e = new CMC_MotionElem;
      e->m_strType = type;
      e->m_strParameters = parameters;
      e->m_bEnabled = 1;
      return e;
    };
    m_motion->GetMain()->Add(elem("Comment", "Text={Sample program}"));
    m_motion->GetMain()->Add(elem("Move", "CPOS=1000 CSPD=20"));
    m_motion->GetMain()->Add(elem("Wait", "Time[ms]=100"));
    int f = m_motion->AddNewFunction("GoHome");
    ASSERT_GE(f, 0);
    m_motion->GetFunction(f)->Add(elem("Move", "CPOS=0"));
    ASSERT_TRUE(m_motion->GetCAMTables()->AddNewSelCAM("Profile"));
  }
  std::vector<WORD> TextOf(const CString& file) {
    CMC_CoffFormat coff;
    coff.m_strFileName = file;
    EXPECT_EQ(coff.ReadCoff(), 1);
    WORD* words = nullptr;
    int count = 0;
    std::vector<WORD> out;
    if (coff.ReadSectionData(".text", words, count)) out.assign(words, words + count);
    delete[] words;
    return out;
  }
};

}  // namespace

TEST_F(BuildRoadTest, BuildDownloadSaveReadBackCompare) {
  SampleProgram();
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_FALSE(m_motion->HasTranslateErrors());
  EXPECT_NE(File("main.zur").find("CPOS=1000; CSPD=20; UPD;\r\nWAIT 100;\r\n"), std::string::npos);
  const CString out = CMC_Motion::GetOutFileName(m_dir.c_str());
  const std::vector<WORD> text = TextOf(out);
  ASSERT_FALSE(text.empty());

  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  WORD start = 0, first = 0, last = 0;
  ASSERT_EQ(CMC_Comm::COFFDownload(out, &start, &first, &last, nullptr, nullptr, 0x4000), 1)
      << CMC_Comm::GetLastErrorText().GetString();
  const WORD load = m_setup->GetLoadZURCodeAddress();
  EXPECT_EQ(start, load);
  EXPECT_EQ(last, (WORD)(load + text.size() - 1));
  std::vector<WORD> onDrive(text.size());
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, load, onDrive.data(), onDrive.size()));
  EXPECT_EQ(onDrive, text);

  ASSERT_EQ(m_setup->SaveToActiveBoard(), 1) << LastBox();
  for (int round = 0; round < 2; ++round) {
    SetupPtr back(CMC_Setup::CreateFromActiveBoard(nullptr));
    ASSERT_TRUE(back) << round;
    int same = 0;
    EXPECT_EQ(back->CompareWithActiveBoard(same), 1);
    EXPECT_EQ(same, 1) << round;
    EXPECT_EQ(m_setup->CompareWithActiveBoard(same), 1);
    EXPECT_EQ(same, 1) << round;
    EXPECT_EQ(back->GetParameterValue("Kp_speed"), m_setup->GetParameterValue("Kp_speed"));
    // The drive forgets its RAM but keeps its E2ROM: program and setup survive the reset.
    ASSERT_TRUE(CMC_Comm::ResetActiveBoard());
    ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, load, onDrive.data(), onDrive.size()));
    EXPECT_EQ(onDrive, text);
  }
}

TEST_F(BuildRoadTest, BadFilesAndSilentDrivesChangeNothing) {
  SampleProgram();
  ASSERT_EQ(Build(), 1) << LastBox();
  ASSERT_TRUE(CMC_Comm::Open("COM1", 115200, 0, 0, 0));
  ASSERT_EQ(m_setup->SaveToActiveBoard(), 1);
  WORD pointer = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FFF, &pointer, 1));
  std::vector<WORD> before(0x200);
  const WORD load = m_setup->GetLoadZURCodeAddress();
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, load, before.data(), before.size()));

  // A corrupted motion.out.
  const std::string out = m_dir + "/motion.out";
  std::string bytes = ReadBytes(out);
  bytes[0] = 0x42;
  WriteBytes(m_dir + "/bad.out", bytes);
  WORD a = 0, b = 0, c = 0;
  EXPECT_EQ(CMC_Comm::COFFDownload((m_dir + "/bad.out").c_str(), &a, &b, &c, nullptr, nullptr, 0x4000), 0);
  EXPECT_EQ(std::string(CMC_Comm::GetLastErrorText()), "File " + m_dir + "/bad.out format is not COFF version 1");
  // Cut in the middle of its code.
  WriteBytes(m_dir + "/short.out", ReadBytes(out).substr(0, 140));
  EXPECT_EQ(CMC_Comm::COFFDownload((m_dir + "/short.out").c_str(), &a, &b, &c, nullptr, nullptr, 0x4000), 0);
  // A drive that stops answering.
  DriveSimulator::StopAnsweringAtCall(0);
  EXPECT_EQ(CMC_Comm::COFFDownload(out.c_str(), &a, &b, &c, nullptr, nullptr, 0x4000), 0);
  EXPECT_EQ(m_setup->SaveToActiveBoard(), 0);
  DriveSimulator::ResumeAnswering();

  std::vector<WORD> after(before.size());
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, load, after.data(), after.size()));
  EXPECT_EQ(after, before);
  WORD now = 0;
  ASSERT_TRUE(DriveSimulator::ReadMemory(1, 2, 0x7FFF, &now, 1));
  EXPECT_EQ(now, pointer);
}
