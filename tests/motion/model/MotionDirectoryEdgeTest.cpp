// Corners of the motion directory: a slave file that cannot be written, doubled separators, folder files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "kernel/document/KernelGlobals.h"
#include "tests/kernel/SetupPtr.h"
#include "tests/motion/MotionPtr.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/model/MC_MotionGroup.h"
#include "platform/core/Automation.h"
#include "platform/core/Format.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

namespace {

class CEdgeAxis : public CMC_AxisData {
 public:
  CEdgeAxis(const char* name, CMC_Setup* setup) : m_name(name), m_setup(setup) {}
  const char* GetName() override { return m_name.c_str(); }
  BYTE GetAxisID() override { return 3; }
  CMC_Setup* GetSetup() override { return m_setup; }
  CMC_Motion* GetMotion() override { return nullptr; }
  std::string m_name;
  CMC_Setup* m_setup;
};

using dravonix::test::ReadFileText;

}  // namespace

TEST(MotionDirectoryEdge, SlaveFileThatCannotBeWrittenShowsTheMessage) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const BOOL old = g_bShowErrors;
  g_bShowErrors = FALSE;
  SetupPtr controller(CMC_Setup::Create(0x0701));
  SetupPtr drive(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(controller && drive);
  MotionPtr master(CMC_Motion::Create(controller.get()));
  ASSERT_TRUE(master);
  CEdgeAxis axis("Axis \"X\"", drive.get());
  master->SetMotionControllerSlaveAxis(1, &axis);

  const std::string dir = dravonix::test::ScratchDir("slavewrite");
  ASSERT_EQ(master->WriteSlaveAxisToDirectory(dir.c_str()), 1);
  EXPECT_EQ(ReadFileText(dir + "/slaveaxis.cfg"), "B\t= \"Axis \\\"X\\\"\"\r\n");

  std::filesystem::remove(dir + "/slaveaxis.cfg");
  std::filesystem::create_symlink("/dev/full", dir + "/slaveaxis.cfg");
  g_bShowErrors = TRUE;
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(master->WriteSlaveAxisToDirectory(dir.c_str()), 0);
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  // A link out of the folder is refused before anything is written beside what it leads to.
  EXPECT_EQ(boxes[0].text, "Cannot write in file " + dir + "/slaveaxis.cfg! The request is not supported.");
  for (const auto& entry : std::filesystem::directory_iterator("/dev"))
    EXPECT_EQ(entry.path().filename().string().find("full.~"), std::string::npos) << entry.path();
  g_bShowErrors = FALSE;
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(master->WriteSlaveAxisToDirectory(dir.c_str()), 0);
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  g_bShowErrors = old;
}

TEST(MotionDirectoryEdge, FolderFileTopLevelElementIsASyntaxErrorWithItsLine) {
  const std::string dir = dravonix::test::ScratchDir("folderfile");
  const std::string file = dir + "/functions.cfg";
  std::ofstream(file, std::ios::binary) << "Start \"f\"\r\n\t\"A\" \"1\"\r\nEnd\r\n\r\n# note\r\n\"B\" \"2\" \r\n";
  const BOOL old = g_bShowErrors;
  g_bShowErrors = TRUE;
  Automation::Instance().ClearMessageBoxes();
  CMC_MotionGroup g;
  EXPECT_EQ(g.Load("Functions", file.c_str(), 1), 0);
  EXPECT_EQ(g.GetSize(), 0);
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Invalid syntax in file " + file + ", line 6");
  // The same text as main.cfg: a plain group with an element after the sub-group.
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(g.Load("Main", file.c_str(), 0), 1);
  ASSERT_EQ(g.GetSize(), 2);
  auto* sub = DYNAMIC_DOWNCAST(CMC_MotionGroup, g.GetAt(0));
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->m_strName, "f");
  auto* b = DYNAMIC_DOWNCAST(CMC_MotionElem, g.GetAt(1));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->m_strType, "B");
  EXPECT_EQ(b->m_bEnabled, 1);
  g_bShowErrors = old;
}

TEST(MotionDirectoryEdge, NestedGroupsAreWrittenWithTheirDepth) {
  CMC_MotionGroup top;
  auto* a = new CMC_MotionGroup("a#\"\\");
  auto* b = new CMC_MotionGroup("b");
  b->m_bEnabled = 0;
  auto* e = new CMC_MotionElem;
  e->m_strType = "T";
  e->m_strParameters = "x=1";
  b->Add(e);
  a->Add(b);
  top.Add(a);
  const std::string file = dravonix::test::ScratchDir("nested") + "/n.cfg";
  ASSERT_EQ(top.Save(file.c_str()), 1);
  EXPECT_EQ(ReadFileText(file),
            "\tStart \"a\\d\\\"\\\\\" \r\n"
            "\t\tStart \"b\" disabled\r\n"
            "\t\t\"T\" \"x=1\" \r\n"
            "\t\tEnd\r\n"
            "\tEnd\r\n");
  CMC_MotionGroup back;
  ASSERT_EQ(back.Load("N", file.c_str(), 1), 1);
  auto* ra = DYNAMIC_DOWNCAST(CMC_MotionGroup, back.GetAt(0));
  ASSERT_TRUE(ra);
  EXPECT_EQ(ra->m_strName, "a#\"\\");
  auto* rb = DYNAMIC_DOWNCAST(CMC_MotionGroup, ra->GetAt(0));
  ASSERT_TRUE(rb);
  EXPECT_EQ(rb->m_bEnabled, 0);
  ASSERT_EQ(rb->GetSize(), 1);
  EXPECT_EQ(DYNAMIC_DOWNCAST(CMC_MotionElem, rb->GetAt(0))->m_strParameters, "x=1");
}

TEST(MotionDirectoryEdge, SourceTextReadsWholeAndMayBeMissing) {
  const BOOL old = g_bShowErrors;
  g_bShowErrors = FALSE;
  SetupPtr drive(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(drive);
  MotionPtr m(CMC_Motion::Create(drive.get()));
  ASSERT_TRUE(m);
  const std::string dir = dravonix::test::ScratchDir("sourcetext");
  ASSERT_EQ(m->SaveToDirectory(dir.c_str()), 1);
  // No source text yet: no motion.zur is written, and loading leaves the text empty.
  EXPECT_FALSE(std::filesystem::exists(dir + "/motion.zur"));
  CMC_Setup* setup = drive.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(loaded->GetSourceText().IsEmpty());
  // A text longer than several read blocks, with bytes of every kind, comes back unchanged.
  std::string text;
  for (int i = 0; i < 5000; ++i) text += (char)(i % 251 + 1);
  text += "\r\n#include \"main.zur\"\r\n";
  std::ofstream(dir + "/motion.zur", std::ios::binary) << text;
  MotionPtr again(CMC_Motion::CreateFromDirectory(setup, dir.c_str()));
  ASSERT_TRUE(again);
  EXPECT_EQ(std::string(again->GetSourceText().GetString(), (size_t)again->GetSourceText().GetLength()), text);
  g_bShowErrors = old;
}
