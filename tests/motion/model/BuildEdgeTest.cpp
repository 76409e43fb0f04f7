// Corners of the generated sources: whole texts, disabled parts, CAM lines and the compiler's data section.
#include "comm/MC_CoffFormat.h"
#include "kernel/values/ConfigFile.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Automation.h"
#include "tests/motion/MotionTestSupport.h"

#include <filesystem>

namespace {

class BuildEdgeTest : public MotionBuildFixture {};

}  // namespace

TEST_F(BuildEdgeTest, CopySequenceIsWrittenWhole) {
  std::string dir = MakeDir("gen2copy", ReadBytes(Kernel("Configurations/02/10/setup.cfg")), "Configurations/02/10");
  Use(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_NE(m_setup->GetLoadZURCodeAddress(), m_setup->GetRunZURCodeAddress());
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("copy_sequence.zur"),
            kHeader +
                "\tvar_i1 = 0x0317;\r\n"
                "\tvar_i2 = (var_i1),dm;\r\n"
                "\tGOTO _END_COPY_SEQ, var_i2, LEQ; // test if VKS application is located in E2ROM\r\n"
                "\tvar_i1 = _PROG_LOAD_ADDR; // E2ROM Start address for copy sequence\r\n"
                "\tvar_i2 = _PROG_RUN_ADDR; // RAM Destination address for copy sequence\r\n"
                "\tvar_lf(L) = _PROG_END_ADDR; var_lf(L) -= var_i2; // Length of code to be copied\r\n"
                "\tvar_i3 = _COPY_SEQ; var_i3 -= var_i2; var_i3 += var_i1; //Compute _COPY_SEQ (E2ROM variant)\r\n"
                "_COPY_SEQ:\r\n"
                "\tvar_lf(H) = (var_i1+),spi; // Copy in VAR_LF(H) the contents of E2ROM location, pointed by VAR_I1. "
                "Then increment VAR_I1\r\n"
                "\t(var_i2+),pm = var_lf(H); // Copy VAR_LF(H) contents in external program location pointed by "
                "VAR_I2. Then increment VAR_I2\r\n"
                "\tvar_lf(L) -= 1; // Decrement VAR_LF(L) with 1\r\n"
                "\tGOTO _END_COPY_SEQ, var_lf(L), EQ; // GOTO _END_COPY_SEQ if var_lf(L) == 0.\r\n"
                "\tGOTO var_i3; // GOTO COPY_SEQ\r\n"
                "_END_COPY_SEQ:\r\n");
  // Generation 2 without user tables: no assignments at all.
  EXPECT_EQ(File("setup_interrupts.zur"), kHeader);
}

TEST_F(BuildEdgeTest, DisabledGroupsWriteNothingAndNestedOnesWriteTheirCode) {
  auto* off = new CMC_MotionGroup("off");
  off->Add(CodeElem("HIDDEN;"));
  off->m_bEnabled = 0;
  auto* outer = new CMC_MotionGroup("outer");
  auto* inner = new CMC_MotionGroup("inner");
  inner->Add(CodeElem("B;"));
  outer->Add(CodeElem("A;"));
  outer->Add(inner);
  outer->Add(CodeElem("NO;", 0));
  outer->Add(CodeElem("C;"));
  m_motion->GetMain()->Add(off);
  m_motion->GetMain()->Add(outer);
  m_motion->GetMain()->Add(CodeElem(""));  // an empty code still ends its line
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("main.zur"), kHeader + "A;\r\nB;\r\nC;\r\n\r\n");
}

TEST_F(BuildEdgeTest, InvalidCamTableTakesTheCurrentAddressesAndMovesThemByNothing) {
  CMC_CAMTables* cams = m_motion->GetCAMTables();
  ASSERT_TRUE(cams->AddNewSelCAM("One"));
  ASSERT_TRUE(cams->AddNewSelCAM("Empty"));
  ASSERT_TRUE(cams->AddNewSelCAM("Three"));
  LONG one[1] = {0}, two[2] = {0, 1};
  cams->GetSelCAM(0)->SetPoints(one, 1);
  cams->GetSelCAM(2)->SetPoints(two, 2);
  cams->GetSelCAM(1)->SetStep(-1);
  ASSERT_FALSE(cams->GetSelCAM(1)->IsValid());
  ASSERT_EQ(cams->GetSelCAM(0)->GetCAMSizeInWords(), 8);
  ASSERT_EQ(Build(), 1) << LastBox();
  const WORD l = m_setup->GetLoadCAMTablesAddress(), r = m_setup->GetRunCAMTablesAddress();
  EXPECT_EQ(File("init_cam.zur"),
            kHeader + FormatString("  INITCAM 0x%04hX, 0x%04hX; //Initialize CAM table named \"One\"\r\n", l, r) +
                FormatString("  INITCAM 0x%04hX, 0x%04hX; //Initialize CAM table named \"Empty\"\r\n", l + 8, r + 8) +
                FormatString("  INITCAM 0x%04hX, 0x%04hX; //Initialize CAM table named \"Three\"\r\n", l + 8, r + 8));
  WORD load = 1, run = 1;
  EXPECT_EQ(m_motion->GetCAMAddresses("ONE", load, run), 1);
  EXPECT_EQ(load, l);
  EXPECT_EQ(run, r);
  EXPECT_EQ(m_motion->GetCAMAddresses("three", load, run), 1);
  EXPECT_EQ(load, (WORD)(l + 8));
  EXPECT_EQ(run, (WORD)(r + 8));
}

TEST_F(BuildEdgeTest, SetupWithoutCamSupportWritesNoInitcamLines) {
  CMC_CAMTables* cams = m_motion->GetCAMTables();
  ASSERT_TRUE(cams->AddNewSelCAM("First"));
  LONG one[1] = {0};
  cams->GetSelCAM(0)->SetPoints(one, 1);
  m_setup->SetOption("IsClosedPosition", "0");
  ASSERT_FALSE(m_setup->SupportCAMTables());
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("init_cam.zur"), kHeader);
  WORD load = 1, run = 1;
  EXPECT_EQ(m_motion->GetCAMAddresses("First", load, run), 0);
  EXPECT_EQ(load, 0);
  EXPECT_EQ(run, 0);
  EXPECT_EQ(m_motion->GetCAMTablesSize(), 0);
}

TEST_F(BuildEdgeTest, SmallDataSectionWhenDivisionAndTransferAreDisabled) {
  m_setup->SetOption("DisableDivision", "1");
  m_setup->SetOption("DisableDataTransfer", "1");
  WORD start = 0, size = 0;
  m_setup->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 992);
  EXPECT_EQ(size, 32);
  m_motion->GetMain()->Add(CodeElem("int counter;"));
  ASSERT_EQ(Build(), 1) << LastBox();
  CMC_CoffFormat coff;
  coff.m_strFileName = CMC_Motion::GetOutFileName(m_dir.c_str());
  ASSERT_EQ(coff.ReadCoff(), 1);
  WORD address = 0;
  tagVarType type;
  ASSERT_TRUE(coff.LocateVariable("counter", address, type));
  EXPECT_EQ(address, 992);
  // Only one of the two options: the large section.
  m_setup->SetOption("DisableDataTransfer", "0");
  m_setup->GetDefaultDataSection(start, size);
  EXPECT_EQ(start, 944);
  EXPECT_EQ(size, 80);
}

TEST_F(BuildEdgeTest, HomingTableWithoutUserProceduresAndBodiesOnlyForUserSlots) {
  ASSERT_GE(m_motion->GetHomingProceduresCount(), 2);
  // Only firmware defaults: no table, even for generation 3.
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("homingmodes.zur"), kHeader);
  m_motion->EnableHomingProcedure(1, TRUE);
  m_motion->GetHomingProcedure(1)->DeleteAll();
  m_motion->GetHomingProcedure(1)->Add(CodeElem("H;"));
  ASSERT_EQ(Build(), 1) << LastBox();
  std::string table = kHeader + "HomingTable:\r\n";
  for (int i = 0; i < m_motion->GetHomingProceduresCount(); ++i) {
    if (i == 1)
      table += "\t@" + std::string(m_motion->GetHomingProcedureName(1)) + ";\r\n";
    else if (m_motion->IsHomingProcedureAvailable(i))
      table += FormatString("\t@default_home%d;\r\n", i + 1);
    else
      table += "\t@0;\r\n";
  }
  table += "\r\n" + std::string(m_motion->GetHomingProcedureName(1)) + ":\r\nH;\r\n\tRET;\r\n\r\n";
  EXPECT_EQ(File("homingmodes.zur"), table);
}

TEST_F(BuildEdgeTest, InterruptHandlersEndWithRetiAndNoUserInterruptsMeansNoTable) {
  m_motion->SetUserInterrupt(0, TRUE);
  m_motion->GetInterrupt(0)->DeleteAll();
  m_motion->GetInterrupt(0)->Add(CodeElem("I;"));
  ASSERT_EQ(Build(), 1) << LastBox();
  std::string ints = File("interrupts.zur");
  EXPECT_EQ(ints.rfind(kHeader + "InterruptTable:\r\n\t@" + std::string(m_motion->GetInterruptName(0)) + ";\r\n", 0),
            0u)
      << ints;
  EXPECT_NE(ints.find("\r\n\r\n" + std::string(m_motion->GetInterruptName(0)) + ":\r\nI;\r\n\tRETI;\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(File("setup_interrupts.zur").find("\tINTTABLE = InterruptTable; // Set begin address of interrupt table\r\n"),
            kHeader.size());
  m_motion->SetUserInterrupt(0, FALSE);
  ASSERT_EQ(Build(), 1) << LastBox();
  EXPECT_EQ(File("interrupts.zur"), kHeader);
  EXPECT_EQ(File("setup_interrupts.zur").find("INTTABLE"), std::string::npos);
}

TEST_F(BuildEdgeTest, TrailingBackslashIsNotDoubledAndAFailedWriterKeepsEarlierFiles) {
  const std::string rel = "EdgeBuild";
  std::filesystem::create_directory(Kernel(rel));
  ASSERT_EQ(m_motion->Build((rel + "\\").c_str()), 1) << LastBox();
  EXPECT_TRUE(std::filesystem::exists(Kernel(rel + "/interrupts.zur")));
  EXPECT_TRUE(std::filesystem::exists(Kernel(rel + "/motion.out")));
  // main.zur cannot be opened: motion.zur stays, nothing after it is written and the compiler is not run.
  std::string dir = dravonix::test::ScratchDir("edgeblocked");
  std::filesystem::create_directory(dir + "/main.zur");
  EXPECT_EQ(m_motion->Build(dir.c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/motion.zur"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/copy_sequence.zur"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/motion.out"));
}

TEST_F(BuildEdgeTest, WithoutAHomingTableOnlyTheHomingBodiesAreWritten) {
  std::string dir = MakeDir("gen2tables", ReadBytes(Kernel("Configurations/02/10/setup.cfg")), "Configurations/02/10");
  Use(CMC_Setup::CreateFromDirectory(dir.c_str()));
  ASSERT_FALSE(m_setup->HasHomingTable());
  ASSERT_TRUE(m_setup->HasFunctionTable());
  ASSERT_GE(m_motion->AddNewFunction("F1"), 0);
  m_motion->GetFunction(0)->Add(CodeElem("X = 1;"));
  ASSERT_TRUE(m_motion->IsHomingProcedureAvailable(0));
  m_motion->EnableHomingProcedure(0, TRUE);
  m_motion->GetHomingProcedure(0)->DeleteAll();
  m_motion->GetHomingProcedure(0)->Add(CodeElem("H;"));
  ASSERT_EQ(Build(), 1) << LastBox();
  std::string empties;
  for (int i = 0; i < 9; ++i) empties += "\t@0;\r\n";
  EXPECT_EQ(File("functions.zur"),
            kHeader + "FunctionTable:\r\n\t@F1;\r\n" + empties + "\r\nF1:\r\nX = 1;\r\n\tRET;\r\n\r\n");
  EXPECT_EQ(File("homingmodes.zur"),
            kHeader + std::string(m_motion->GetHomingProcedureName(0)) + ":\r\nH;\r\n\tRET;\r\n\r\n");
  EXPECT_EQ(File("setup_interrupts.zur"),
            kHeader + "\tFunctionTable_pointer = FunctionTable; // Set begin address of function table\r\n");
}

TEST_F(BuildEdgeTest, AWriteThatFailsShowsTheSystemErrorAndStopsTheBuild) {
  std::filesystem::create_symlink("/dev/full", m_dir + "/main.zur");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(Build(), 0);
  const auto& boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "There is not enough space on the disk.\r\n");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, (UINT)MB_ICONSTOP);
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/copy_sequence.zur"));
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/motion.out"));
}
