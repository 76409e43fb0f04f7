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
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/model/MC_MotionGroup.h"
#include "platform/core/Automation.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

using dravonix::test::ScratchDir;

namespace {

using dravonix::test::ReadFileText;

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

CMC_MotionElem* Elem(const char* type, const char* parameters, int enabled = 1) {
  auto* e = new CMC_MotionElem;
  e->m_strType = type;
  e->m_strParameters = parameters;
  e->m_bEnabled = enabled;
  return e;
}

CMC_MotionElem* ElemAt(const CMC_MotionGroup& g, int i) { return DYNAMIC_DOWNCAST(CMC_MotionElem, g.GetAt(i)); }
CMC_MotionGroup* GroupAt(const CMC_MotionGroup& g, int i) { return DYNAMIC_DOWNCAST(CMC_MotionGroup, g.GetAt(i)); }

class GroupFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Automation::Instance().ClearMessageBoxes();
    g_bShowErrors = TRUE;
  }
  std::string Path(const char* name) const { return m_dir + "/" + name; }
  // Loads `text` as a group file and returns the message boxes' texts joined.
  int LoadText(CMC_MotionGroup& g, const std::string& text, int folder, std::string* boxes = nullptr) {
    WriteFile(Path("g.cfg"), text);
    Automation::Instance().ClearMessageBoxes();
    int ok = g.Load("G", Path("g.cfg").c_str(), folder);
    if (boxes) {
      boxes->clear();
      for (auto& b : Automation::Instance().MessageBoxes()) *boxes += b.text;
    }
    return ok;
  }
  std::string m_dir;
};

TEST_F(GroupFiles, SavedBytesFollowTheLineFormat) {
  CMC_MotionGroup g("file");
  g.Add(Elem("Move", "X=1"));
  g.Add(Elem("Wait", "T=2", 0));
  auto* f = new CMC_MotionGroup("f1");
  f->Add(Elem("A", ""));
  auto* inner = new CMC_MotionGroup("in");
  inner->m_bEnabled = 0;
  inner->Add(Elem("B", "b"));
  f->Add(inner);
  f->Add(new CMC_MotionGroup("empty"));
  g.Add(f);
  ASSERT_EQ(g.Save(Path("out.cfg").c_str()), 1);
  EXPECT_EQ(ReadFileText(Path("out.cfg")),
            "\"Move\" \"X=1\" \r\n"
            "\"Wait\" \"T=2\" disabled\r\n"
            "\tStart \"f1\" \r\n"
            "\t\"A\" \"\" \r\n"
            "\t\tStart \"in\" disabled\r\n"
            "\t\t\"B\" \"b\" \r\n"
            "\t\tEnd\r\n"
            "\t\tStart \"empty\" \r\n"
            "\t\tEnd\r\n"
            "\tEnd\r\n");
}

TEST_F(GroupFiles, SpecialCharactersRoundTripExactly) {
  CMC_MotionGroup g("Functions");
  auto* f = new CMC_MotionGroup("na\"me#\\x");
  f->Add(Elem("Free Text", "a=\"1\" # not a comment\r\nb=\\2\\"));
  f->Add(Elem("T\"#", "", 0));
  g.Add(f);
  ASSERT_EQ(g.Save(Path("a.cfg").c_str()), 1);
  const std::string bytes = ReadFileText(Path("a.cfg"));
  EXPECT_NE(bytes.find("\tStart \"na\\\"me\\d\\\\x\" \r\n"), std::string::npos);

  CMC_MotionGroup back;
  ASSERT_EQ(back.Load("Functions", Path("a.cfg").c_str(), 1), 1);
  ASSERT_EQ(back.GetSize(), 1);
  CMC_MotionGroup* bf = GroupAt(back, 0);
  ASSERT_TRUE(bf);
  EXPECT_EQ(bf->m_strName, "na\"me#\\x");
  ASSERT_EQ(bf->GetSize(), 2);
  EXPECT_EQ(ElemAt(*bf, 0)->m_strParameters, "a=\"1\" # not a comment\r\nb=\\2\\");
  EXPECT_EQ(ElemAt(*bf, 1)->m_strType, "T\"#");
  EXPECT_EQ(ElemAt(*bf, 1)->m_bEnabled, 0);
  ASSERT_EQ(back.Save(Path("b.cfg").c_str()), 1);
  EXPECT_EQ(ReadFileText(Path("b.cfg")), bytes);
}

TEST_F(GroupFiles, KeywordsAndFlagsIgnoreCase) {
  CMC_MotionGroup g;
  ASSERT_EQ(LoadText(g,
                     "# comment line\n"
                     "\"A\" \"1\" DISABLED\n"
                     "\"B\" \"2\" other\n"
                     "start \"s\" Disabled   # trailing comment\n"
                     "  \"C\" \"3\"\n"
                     "END and more text\n"
                     "Start \"open\"\n"
                     "\"D\" \"4\"\n",
                     0),
            1);
  EXPECT_EQ(g.m_strName, "G");
  ASSERT_EQ(g.GetSize(), 4);
  EXPECT_EQ(ElemAt(g, 0)->m_bEnabled, 0);
  EXPECT_EQ(ElemAt(g, 1)->m_bEnabled, 1);
  CMC_MotionGroup* s = GroupAt(g, 2);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->m_bEnabled, 0);
  ASSERT_EQ(s->GetSize(), 1);
  EXPECT_EQ(ElemAt(*s, 0)->m_strParameters, "3");
  // The file ends inside "open": it is kept with what was read.
  CMC_MotionGroup* open = GroupAt(g, 3);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->m_strName, "open");
  ASSERT_EQ(open->GetSize(), 1);

  ASSERT_EQ(LoadText(g, "", 0), 1);
  EXPECT_EQ(g.GetSize(), 0);
}

TEST_F(GroupFiles, SyntaxErrorsNameFileAndLineAndEmptyTheGroup) {
  const std::string file = Path("g.cfg");
  auto expected = [&](int line) { return "Invalid syntax in file " + file + ", line " + std::to_string(line); };
  struct Case {
    const char* text;
    int folder;
    int line;
  } cases[] = {
      {"Start \"f\"\nEnd\n\"A\" \"1\"\n", 1, 3},       // a quoted element at the top of a folder file
      {"\"A\" \"1\"\nEnd\n", 0, 2},                    // End at the top level
      {"\"A\" word\n", 0, 1},                          // type followed by an unquoted word
      {"\"A\n", 0, 1},                                 // unclosed quote
      {"Start noquote\n", 0, 1},                       // Start without a quoted name
      {"Begin \"x\"\n", 0, 1},                         // unknown keyword
      {"\"A\" \"1\"\r\n\r\n\"B\" \"2\"\r\nStart\r\n", 0, 4},
      {"\"A\" \"1\"\r\nEnd", 0, 1},                 // line feeds are counted: an unended last line keeps 1
      {"End", 0, 0},
  };
  for (const Case& c : cases) {
    CMC_MotionGroup g;
    g.Add(Elem("stale", ""));
    std::string boxes;
    EXPECT_EQ(LoadText(g, c.text, c.folder, &boxes), 0) << c.text;
    EXPECT_EQ(boxes, expected(c.line)) << c.text;
    EXPECT_EQ(g.GetSize(), 0);
  }

  // Silent while messages are off, and the parser on an open file reports through its text.
  g_bShowErrors = FALSE;
  CMC_MotionGroup g;
  std::string boxes;
  EXPECT_EQ(LoadText(g, "End\n", 0, &boxes), 0);
  EXPECT_EQ(boxes, "");
  WriteFile(file, "\"A\" \"1\"\n\"B\"\n");
  CString error;
  EXPECT_EQ(g.Load("rel\\name.cfg", fopen(file.c_str(), "rb"), error, 0), 0);
  EXPECT_EQ(error, "Invalid syntax in file rel\\name.cfg, line 2");
  EXPECT_EQ(g.GetSize(), 0);
  g_bShowErrors = TRUE;
}

TEST_F(GroupFiles, MissingAndUnwritableFilesFail) {
  CMC_MotionGroup g;
  g.Add(Elem("A", ""));
  const std::string missing = Path("none.cfg");
  EXPECT_EQ(g.Load("X", missing.c_str(), 0), 0);
  EXPECT_EQ(g.GetSize(), 0);
  EXPECT_EQ(g.m_strName, "X");
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot open file " + missing + "!");

  g.Add(Elem("A", ""));
  EXPECT_EQ(g.Save((m_dir + "/no/such/folder/x.cfg").c_str()), 0);
  // A folder cannot be written as a file either.
  EXPECT_EQ(g.Save(m_dir.c_str()), 0);
}

TEST_F(GroupFiles, PutIndentWritesTabs) {
  FILE* f = fopen(Path("i.txt").c_str(), "wb");
  ASSERT_TRUE(f);
  EXPECT_EQ(CMC_MotionGroup::PutIndent(f, 3), 1);
  EXPECT_EQ(CMC_MotionGroup::PutIndent(f, 0), 1);
  fclose(f);
  EXPECT_EQ(ReadFileText(Path("i.txt")), "\t\t\t");
}

TEST_F(GroupFiles, LargeFilesLoadQuickly) {
  std::string text;
  for (int i = 0; i < 200; ++i) {
    text += "Start \"f" + std::to_string(i) + "\"\n";
    for (int k = 0; k < 200; ++k) text += "\t\"Move\" \"X=" + std::to_string(k) + " Y[mm]={1 2}\"\n";
    text += "End\n";
  }
  CMC_MotionGroup g;
  ASSERT_EQ(LoadText(g, text, 1), 1);
  ASSERT_EQ(g.GetSize(), 200);
  EXPECT_EQ(GroupAt(g, 199)->GetSize(), 200);
  ASSERT_EQ(g.Save(Path("big.cfg").c_str()), 1);
  CMC_MotionGroup back;
  ASSERT_EQ(back.Load("G", Path("big.cfg").c_str(), 1), 1);
  EXPECT_EQ(back.GetSize(), 200);
}

}  // namespace

// ---- Motion directories -------------------------------------------------------------------------

namespace {

const char* const kGroupFiles[] = {"main.cfg", "homingmodes.cfg", "functions.cfg", "interrupts.cfg", "cam.cfg"};

class MotionDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = FALSE;
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    ASSERT_TRUE(m_motion);
    g_bShowErrors = TRUE;
    Automation::Instance().ClearMessageBoxes();
  }
  void TearDown() override { g_bShowErrors = TRUE; }
  std::string Dir(const char* name) {
    return ScratchDir(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" + name);
  }
  // Fills the program with texts that need every escape of the group files.
  void FillProgram(CMC_Motion& m) {
    CMC_MotionElem* e = m.CreateElement("Wait");
    m.GetMain()->Add(e);
    CMC_MotionElem* text = m.CreateElement("Comment");
    text->m_strParameters = "Text={say \"hi\" # twice\r\nthen \\stop}";
    m.GetMain()->Add(text);
    auto* sub = new CMC_MotionGroup("block \"#1\"");
    sub->m_bEnabled = 0;
    sub->Add(m.CreateElement("Move"));
    m.GetMain()->Add(sub);
    ASSERT_EQ(m.AddNewFunction("f_one"), 0);
    m.GetFunction(0)->Add(m.CreateElement("Wait"));
    m.GetFunction(0)->m_bExpanded = 1;
    m.AddNewFunction();
    m.GetHomingProcedure(1)->DeleteAll();
    m.GetHomingProcedure(1)->Add(m.CreateElement("Comment"));
    m.EnableHomingProcedure(1, TRUE);
    m.SetUserInterrupt(4, TRUE);
    m.GetInterrupt(4)->DeleteAll();
    m.GetInterrupt(4)->Add(m.CreateElement("Wait"));
    ASSERT_TRUE(m.GetCAMTables()->AddNewSelCAM("Cam1"));
    m.TranslateAll(1);
  }
  SetupPtr m_setup;
  MotionPtr m_motion;
};

TEST_F(MotionDirectory, SaveThenLoadGivesIdenticalFiles) {
  FillProgram(*m_motion);
  const std::string a = Dir("a"), b = Dir("b");
  ASSERT_EQ(m_motion->SaveToDirectory(a.c_str()), 1);
  EXPECT_FALSE(std::filesystem::exists(a + "/motion.zur"));  // no source text yet
  EXPECT_TRUE(std::filesystem::exists(a + "/Cam1.cam"));

  CMC_Setup* setup = m_setup.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, a.c_str()));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(setup, m_setup.get());
  // The directory holds no setup of its own; nothing is reported about it.
  for (auto& box : Automation::Instance().MessageBoxes()) EXPECT_EQ(box.text.find("setup"), std::string::npos);
  ASSERT_EQ(loaded->SaveToDirectory(b.c_str()), 1);
  for (const char* f : kGroupFiles) EXPECT_EQ(ReadFileText(b + "/" + f), ReadFileText(a + "/" + f)) << f;

  CMC_MotionGroup* main = loaded->GetMain();
  ASSERT_EQ(main->GetSize(), 3);
  EXPECT_EQ(main->m_strName, "Main");
  EXPECT_EQ(ElemAt(*main, 1)->m_strParameters, "Text={say \"hi\" # twice\r\nthen \\stop}");
  EXPECT_EQ(ElemAt(*main, 1)->m_strCode, "/* say \"hi\" # twice\r\nthen \\stop */");
  EXPECT_EQ(GroupAt(*main, 2)->m_strName, "block \"#1\"");
  EXPECT_EQ(GroupAt(*main, 2)->m_bEnabled, 0);
  EXPECT_EQ(loaded->GetFunctionName(1), "Untitled");
  EXPECT_EQ(loaded->GetFunction(0)->m_bExpanded, 0);  // not stored
  EXPECT_TRUE(loaded->IsHomingProcedureEnable(1));
  EXPECT_EQ(loaded->GetHomingProcedure(1)->GetSize(), 1);
  EXPECT_FALSE(loaded->IsHomingProcedureEnable(0));
  EXPECT_TRUE(loaded->IsUserInterrupt(4));
  EXPECT_EQ(loaded->GetInterruptsCount(), 12);
  EXPECT_EQ(loaded->GetCAMsCount(), 1);
  EXPECT_EQ(loaded->GetCAMName(0), "Cam1");
  EXPECT_EQ(loaded->FindCAM("CAM1"), loaded->GetCAM(0));
  loaded->SetSelection(CMC_Motion::selCAM, 0);
  EXPECT_EQ(loaded->GetCAMSelection(), loaded->GetCAM(0));
  EXPECT_EQ(loaded->GetSelectionName(), "CAM Cam1");
  EXPECT_FALSE(loaded->HasTranslateErrors());
}

TEST_F(MotionDirectory, TheTopLevelSourceIsNeverOverwritten) {
  const std::string a = Dir("a"), b = Dir("b");
  ASSERT_EQ(m_motion->SaveToDirectory(a.c_str()), 1);
  const std::string source = "// mine\r\nBEGIN;\r\n" + std::string(3000, 'x') + "\r\nEND;\r\n";
  WriteFile(a + "/motion.zur", source);
  CMC_Setup* setup = m_setup.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, a.c_str()));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(std::string(loaded->GetSourceText().GetString()), source);
  ASSERT_EQ(loaded->SaveToDirectory(b.c_str()), 1);
  EXPECT_EQ(ReadFileText(b + "/motion.zur"), source);
  WriteFile(a + "/motion.zur", "changed by hand");
  ASSERT_EQ(loaded->SaveToDirectory(a.c_str()), 1);
  EXPECT_EQ(ReadFileText(a + "/motion.zur"), "changed by hand");
}

TEST_F(MotionDirectory, BadDirectoriesGiveNoProgram) {
  const std::string a = Dir("a");
  ASSERT_EQ(m_motion->SaveToDirectory(a.c_str()), 1);
  CMC_Setup* setup = m_setup.get();

  // Unbalanced: "End" at the top of main.cfg.
  const std::string main = ReadFileText(a + "/main.cfg");
  WriteFile(a + "/main.cfg", "\"Wait\" \"Time[ms]=1\" \r\nEnd\r\n");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(CMC_Motion::CreateFromDirectory(setup, a.c_str()), nullptr);
  EXPECT_EQ(setup, m_setup.get());
  bool named = false;
  for (auto& box : Automation::Instance().MessageBoxes())
    named |= box.text == "Invalid syntax in file " + a + "/main.cfg, line 2";
  EXPECT_TRUE(named);
  WriteFile(a + "/main.cfg", main);

  // An element at the top of a folder file.
  const std::string functions = ReadFileText(a + "/functions.cfg");
  WriteFile(a + "/functions.cfg", "\r\n\"Wait\" \"\" \r\n");
  Automation::Instance().ClearMessageBoxes();
  EXPECT_EQ(CMC_Motion::CreateFromDirectory(setup, a.c_str()), nullptr);
  named = false;
  for (auto& box : Automation::Instance().MessageBoxes())
    named |= box.text == "Invalid syntax in file " + a + "/functions.cfg, line 2";
  EXPECT_TRUE(named);
  WriteFile(a + "/functions.cfg", functions);

  // Any group file missing.
  for (const char* f : {"main.cfg", "homingmodes.cfg", "functions.cfg", "interrupts.cfg"}) {
    const std::string keep = ReadFileText(a + "/" + f);
    std::filesystem::remove(a + "/" + f);
    EXPECT_EQ(CMC_Motion::CreateFromDirectory(setup, a.c_str()), nullptr) << f;
    WriteFile(a + "/" + f, keep);
  }
  MotionPtr ok(CMC_Motion::CreateFromDirectory(setup, a.c_str()));
  EXPECT_TRUE(ok);

  // Without a setup of its own, a directory without one gives nothing.
  CMC_Setup* none = nullptr;
  EXPECT_EQ(CMC_Motion::CreateFromDirectory(none, a.c_str()), nullptr);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(m_motion->SaveToDirectory((a + "/missing/sub").c_str()), 0);
}

TEST_F(MotionDirectory, ASetupStoredWithTheProgramIsHandedToTheCaller) {
  const std::string a = Dir("a");
  ASSERT_EQ(m_setup->SaveToDirectory(a.c_str()), 1);
  FillProgram(*m_motion);
  ASSERT_EQ(m_motion->SaveToDirectory(a.c_str()), 1);
  CMC_Setup* setup = nullptr;
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, a.c_str()));
  ASSERT_TRUE(loaded);
  ASSERT_TRUE(setup);
  SetupPtr owned(setup);
  EXPECT_EQ(loaded->GetSetup(), setup);
  EXPECT_EQ(loaded->GetMain()->GetSize(), 3);
  loaded.reset();

  // A broken program does not leak the setup it read, and the caller gets none.
  WriteFile(a + "/interrupts.cfg", "End\r\n");
  CMC_Setup* again = nullptr;
  EXPECT_EQ(CMC_Motion::CreateFromDirectory(again, a.c_str()), nullptr);
  EXPECT_EQ(again, nullptr);
}

}  // namespace

namespace {

TEST(GroupFileArguments, NullNamesAndFilesFail) {
  CMC_MotionGroup g;
  EXPECT_EQ(g.Load("G", nullptr, 0), 0);
  EXPECT_EQ(g.Save(nullptr), 0);
  CString error;
  EXPECT_EQ(g.Load("x.cfg", nullptr, error, 0), 0);
  EXPECT_EQ(error, "Cannot open file x.cfg!");
}

}  // namespace

namespace {

TEST_F(MotionDirectory, SlotsAreCorrectedToTheSetup) {
  const std::string a = Dir("a");
  m_motion->GetInterrupt(0)->Add(m_motion->CreateElement("Wait"));
  m_motion->SetUserInterrupt(0, TRUE);
  ASSERT_EQ(m_motion->SaveToDirectory(a.c_str()), 1);
  WriteFile(a + "/interrupts.cfg", ReadFileText(a + "/interrupts.cfg") +
                                       "\tStart \"extra1\" \r\n\tEnd\r\n\tStart \"extra2\" \r\n\tEnd\r\n");
  // A slot saved under another label takes the label of its place.
  std::string homing = ReadFileText(a + "/homingmodes.cfg");
  homing.replace(homing.find("\"home2\""), 7, "\"mine\"");
  WriteFile(a + "/homingmodes.cfg", homing);
  CMC_Setup* setup = m_setup.get();
  MotionPtr loaded(CMC_Motion::CreateFromDirectory(setup, a.c_str()));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->GetInterruptsCount(), 12);
  EXPECT_TRUE(loaded->IsUserInterrupt(0));
  EXPECT_EQ(loaded->GetInterrupt(0)->GetSize(), 2);
  EXPECT_EQ(loaded->GetHomingProcedureName(1), "home2");
}

}  // namespace

// ---- Slave axes of a motion controller ----------------------------------------------------------

namespace {

class CTestAxis : public CMC_AxisData {
 public:
  CTestAxis(const char* name, BYTE id, CMC_Setup* setup, CMC_Motion* motion = nullptr)
      : m_name(name), m_id(id), m_setup(setup), m_motion(motion) {}
  const char* GetName() override { return m_name.c_str(); }
  BYTE GetAxisID() override { return m_id; }
  CMC_Setup* GetSetup() override { return m_setup; }
  CMC_Motion* GetMotion() override { return m_motion; }
  std::string m_name;
  BYTE m_id;
  CMC_Setup* m_setup;
  CMC_Motion* m_motion;
};

class CTestDocument : public CMC_Document {
 public:
  int GetAxisCount() override { return (int)m_axes.size(); }
  CMC_AxisData* GetAxisData(int i) override {
    return i >= 0 && i < (int)m_axes.size() ? m_axes[(size_t)i].get() : nullptr;
  }
  CTestAxis* Add(const char* name, BYTE id, CMC_Setup* setup, CMC_Motion* motion = nullptr) {
    m_axes.push_back(std::make_unique<CTestAxis>(name, id, setup, motion));
    return m_axes.back().get();
  }
  std::vector<std::unique_ptr<CTestAxis>> m_axes;
};

class SlaveAxes : public MotionDirectory {
 protected:
  void SetUp() override {
    MotionDirectory::SetUp();
    g_bShowErrors = FALSE;
    m_controller.reset(CMC_Setup::Create(0x0701));
    ASSERT_TRUE(m_controller);
    m_master.reset(CMC_Motion::Create(m_controller.get()));
    ASSERT_TRUE(m_master);
    g_bShowErrors = TRUE;
    ASSERT_EQ(m_controller->GetMotionControllerSlaveCount(), 4);
    m_dir = Dir("slaves");
    m_file = m_dir + "/slaveaxis.cfg";
  }
  // Reads `text` as the slave file; returns the result and the message shown.
  int Read(const std::string& text, std::string& box) {
    WriteFile(m_file, text);
    Automation::Instance().ClearMessageBoxes();
    int ok = m_master->ReadSlaveAxisFromDirectory(&m_doc, m_dir.c_str());
    auto boxes = Automation::Instance().MessageBoxes();
    box = boxes.empty() ? std::string() : boxes.back().text;
    return ok;
  }
  std::string Message(const char* format, int line, const char* name) {
    CString text;
    text.Format(format, (m_dir + "/slaveaxis.cfg").c_str(), line, name);
    return text.GetString();
  }
  SetupPtr m_controller;
  MotionPtr m_master;
  CTestDocument m_doc;
  std::string m_dir, m_file;
};

TEST_F(SlaveAxes, WrittenBindingsReadBack) {
  CTestAxis* x = m_doc.Add("X axis", 2, m_setup.get());
  CTestAxis* y = m_doc.Add("Y \"#\\", 3, m_setup.get());
  m_master->SetMotionControllerSlaveAxis(0, x);
  m_master->SetMotionControllerSlaveAxis(2, y);
  ASSERT_EQ(m_master->WriteSlaveAxisToDirectory(m_dir.c_str()), 1);
  EXPECT_EQ(ReadFileText(m_file), "A\t= \"X axis\"\r\nC\t= \"Y \\\"\\d\\\\\"\r\n");

  MotionPtr other(CMC_Motion::Create(m_controller.get()));
  Automation::Instance().ClearMessageBoxes();
  ASSERT_EQ(other->ReadSlaveAxisFromDirectory(&m_doc, m_dir.c_str()), 1);
  EXPECT_EQ(other->GetMotionControllerSlaveAxis(0), x);
  EXPECT_EQ(other->GetMotionControllerSlaveAxis(1), nullptr);
  EXPECT_EQ(other->GetMotionControllerSlaveAxis(2), y);
  EXPECT_EQ(other->GetMotionControllerSlaveAxisIdx(y), 2);

  // Names are matched without regard to case; a label given twice binds its last line.
  std::string box;
  EXPECT_EQ(Read("B = \"x AXIS\"\r\nB\t=\t\"Y \\\"\\d\\\\\"\r\n", box), 1);
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(1), y);
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(0), nullptr);
  EXPECT_EQ(Read("", box), 1);
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(1), nullptr);

  int changed = 7;
  m_master->SetMotionControllerSlaveAxis(1, x);
  ASSERT_EQ(m_master->UpdateMotionControllerSetup(changed), 1);
  EXPECT_EQ(changed, 1);
  BYTE id = 0;
  ASSERT_TRUE(m_controller->MotionController_GetAxisIDOfSlave(1, id));
  EXPECT_EQ(id, 2);
  ASSERT_EQ(m_master->UpdateMotionControllerSetup(changed), 1);
  EXPECT_EQ(changed, 0);
}

TEST_F(SlaveAxes, MessagesNameTheFileAsTheDirectoryWasGiven) {
  // Named relative to the kernel folder, as projects name their motion directories.
  const std::string dir = dravonix::test::KernelDir() + "/Motion/slaves-given";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const struct {
    const char* text;
    std::string box;
  } kCases[] = {
      {"A \"X\"\r\n", "Invalid syntax in file Motion/slaves-given/slaveaxis.cfg, line 1"},
      {"E = \"X\"\r\n", "Error in file Motion/slaves-given/slaveaxis.cfg, line 1:\nInvalid label \"E\"!"},
      {"B = \"Nobody\"\r\n",
       "Error in file Motion/slaves-given/slaveaxis.cfg, line 1:\nProject doesn't contain an application named "
       "\"Nobody\"!"},
  };
  for (const auto& c : kCases) {
    WriteFile(dir + "/slaveaxis.cfg", c.text);
    Automation::Instance().ClearMessageBoxes();
    EXPECT_EQ(m_master->ReadSlaveAxisFromDirectory(&m_doc, "Motion\\slaves-given"), 0) << c.text;
    auto boxes = Automation::Instance().MessageBoxes();
    EXPECT_EQ(boxes.empty() ? std::string() : boxes.back().text, c.box) << c.text;
  }
}

TEST_F(SlaveAxes, BadLinesStopTheRead) {
  CTestAxis* x = m_doc.Add("X", 2, m_setup.get());
  m_doc.Add("Sub controller", 5, m_controller.get());
  m_doc.Add("No setup", 6, nullptr);
  m_doc.Add("Self", 7, m_controller.get(), m_master.get());
  const char* kLabel = "Error in file %s, line %d:\nInvalid label \"%s\"!";
  const char* kMissing = "Error in file %s, line %d:\nProject doesn't contain an application named \"%s\"!";
  const char* kNotAllowed =
      "Error in file %s, line %d:\nThe application named \"%s\" is not allowed to be a slave of this motion "
      "controller!";
  std::string box;
  EXPECT_EQ(Read("A = \"X\"\r\nAB = \"X\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kLabel, 2, "AB"));
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(0), x);  // read before the error
  EXPECT_EQ(Read("E = \"X\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kLabel, 1, "E"));
  EXPECT_EQ(Read("A = \"X\"\r\nE = \"X\"", box), 0);  // line feeds are counted
  EXPECT_EQ(box, Message(kLabel, 1, "E"));
  EXPECT_EQ(Read("a = \"X\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kLabel, 1, "a"));
  EXPECT_EQ(Read("# comment\r\n\r\nA \"X\"\r\n", box), 0);
  EXPECT_EQ(box, Message("Invalid syntax in file %s, line %i", 3, ""));
  EXPECT_EQ(Read("= \"X\"\r\n", box), 0);
  EXPECT_EQ(box, Message("Invalid syntax in file %s, line %i", 1, ""));
  EXPECT_EQ(Read("A = X\r\n", box), 0);
  EXPECT_EQ(box, Message("Invalid syntax in file %s, line %i", 1, ""));
  EXPECT_EQ(Read("B = \"Nobody\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kMissing, 1, "Nobody"));
  EXPECT_EQ(Read("B = \"sub controller\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kNotAllowed, 1, "sub controller"));
  EXPECT_EQ(Read("B = \"No setup\"\r\n", box), 0);
  EXPECT_EQ(box, Message(kNotAllowed, 1, "No setup"));
  EXPECT_EQ(Read("D = \"Self\"\r\n", box), 1);  // the controller's own axis
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(3)->GetAxisID(), 7);

  g_bShowErrors = FALSE;
  EXPECT_EQ(Read("Z = \"X\"\r\n", box), 0);
  EXPECT_EQ(box, "");
  std::filesystem::remove(m_file);
  EXPECT_EQ(m_master->ReadSlaveAxisFromDirectory(&m_doc, m_dir.c_str()), 0);
}

TEST_F(SlaveAxes, SingleDrivesHaveNoSlaveFile) {
  WriteFile(m_file, "A = \"X\"\r\n");
  EXPECT_EQ(m_motion->ReadSlaveAxisFromDirectory(&m_doc, m_dir.c_str()), 1);
  EXPECT_EQ(m_master->ReadSlaveAxisFromDirectory(nullptr, m_dir.c_str()), 1);
  EXPECT_EQ(m_motion->WriteSlaveAxisToDirectory(m_dir.c_str()), 1);
  EXPECT_FALSE(std::filesystem::exists(m_file));
  int changed = 3;
  EXPECT_EQ(m_motion->UpdateMotionControllerSetup(changed), 1);
  EXPECT_EQ(changed, 0);

  // A slave that is itself a controller is replaced by the given axis.
  CTestAxis* sub = m_doc.Add("Sub", 5, m_controller.get());
  CTestAxis* plain = m_doc.Add("Plain", 2, m_setup.get());
  CTestAxis* given = m_doc.Add("Given", 3, m_setup.get());
  m_master->SetMotionControllerSlaveAxis(0, sub);
  m_master->SetMotionControllerSlaveAxis(1, plain);
  m_master->ReplaceSlaveAxisIfIsMotionController(given);
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(0), given);
  EXPECT_EQ(m_master->GetMotionControllerSlaveAxis(1), plain);
  MotionPtr copy(CMC_Motion::Create(m_controller.get()));
  copy->CopySlaveAxisArrayIfMotionController(m_master.get());
  EXPECT_EQ(copy->GetMotionControllerSlaveAxis(1), plain);
}

}  // namespace
