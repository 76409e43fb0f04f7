#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kernel/document/KernelGlobals.h"
#include "tests/kernel/SetupPtr.h"
#include "tests/motion/MotionPtr.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionGroup.h"
#include "platform/core/Automation.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

// Reaches the parameter-string parsers, which need no setup.
struct CMC_MotionTestAccess {
  static int ReadAll(const char* text, CStringArray& names, CStringArray& units, CStringArray& values) {
    return CMC_Motion::ParseAllElemParameters(text, names, units, values);
  }
  static int ReadOne(const char* text, const char* name, CString& unit, CString& value) {
    return CMC_Motion::ParseElemParameter(text, name, unit, value);
  }
};

namespace {

CString Add(const char* name, const char* unit, const char* value, CString start = CString()) {
  CMC_Motion::AddToElemParameters(start, name, unit, value);
  return start;
}

// ---- Writing parameter strings ------------------------------------------------------------------

TEST(ElemParameters, WritingChoosesTheBrackets) {
  EXPECT_EQ(Add("A", nullptr, "1"), "A=1");
  EXPECT_EQ(Add("A", nullptr, "x y"), "A={x y}");
  EXPECT_EQ(Add("A", nullptr, "{x} y"), "A=({x} y)");
  EXPECT_EQ(Add("A", nullptr, "x}"), "A=x}");  // no blank: bare even with a brace
  EXPECT_EQ(Add("A", nullptr, "x\ty"), "A=x\ty");
  EXPECT_EQ(Add("A", nullptr, ""), "A=");
  EXPECT_EQ(Add("B", "mm", "2", "A=1"), "A=1 B[mm]=2");
}

TEST(ElemParameters, InternalUnitsAndNullArgumentsAreNotWritten) {
  EXPECT_EQ(Add("A", "\\mm", "1"), "A=1");
  EXPECT_EQ(Add("A", "", "1"), "A=1");
  EXPECT_EQ(Add(nullptr, "mm", "1", "X=1"), "X=1");
  EXPECT_EQ(Add("A", "mm", nullptr, "X=1"), "X=1");
}

// ---- Reading all items --------------------------------------------------------------------------

TEST(ElemParameters, ReadAllSplitsItemsWithUnits) {
  CStringArray n, u, v;
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("X=1 Y[mm]={2 3}", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(n[0], "X");
  EXPECT_EQ(n[1], "Y");
  EXPECT_EQ(u[0], "");
  EXPECT_EQ(u[1], "mm");
  EXPECT_EQ(v[0], "1");
  EXPECT_EQ(v[1], "2 3");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("A=(x y)B=2", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(n[1], "B");
  EXPECT_EQ(v[0], "x y");
  EXPECT_EQ(v[1], "2");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(" \tA= \r\nB_2=\n", n, u, v), 1);
  ASSERT_EQ(n.GetSize(), 2);
  EXPECT_EQ(v[0], "");
  EXPECT_EQ(v[1], "");

  ASSERT_EQ(CMC_MotionTestAccess::ReadAll("", n, u, v), 1);
  EXPECT_EQ(n.GetSize(), 0);
}

TEST(ElemParameters, ReadAllRefusesBadItemsAndEmptiesTheArrays) {
  CStringArray n, u, v;
  for (const char* bad : {"X", "A[]=1", "A=(1", "A={1", "=1", "A[mm]", "A[mm", "A[mm]:1", "A:1", "A=1 -B=2"}) {
    n.Add("stale");
    EXPECT_EQ(CMC_MotionTestAccess::ReadAll(bad, n, u, v), 0) << bad;
  }
  // A value with a TAB but no blank is written bare and read back up to the TAB.
  CString written = Add("A", nullptr, "x\ty");
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(written, n, u, v), 0);  // "y" alone is no item
  ASSERT_EQ(CMC_MotionTestAccess::ReadAll(written + "=1", n, u, v), 1);
  EXPECT_EQ(v[0], "x");
}

// ---- Reading one item ---------------------------------------------------------------------------

TEST(ElemParameters, ReadOneFindsTheNameWithoutCase) {
  CString unit, value;
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("Pos=3 speed[mm/s]=5", "SPEED", unit, value), 1);
  EXPECT_EQ(unit, "mm/s");
  EXPECT_EQ(value, "5");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("B=(1 2", "B", unit, value), 1);
  EXPECT_EQ(value, "1 2");
  EXPECT_EQ(unit, "");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("XA=1\tA={2 3", "A", unit, value), 1);
  EXPECT_EQ(value, "2 3");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("A=1 X=", "x", unit, value), 1);
  EXPECT_EQ(value, "");
}

TEST(ElemParameters, ReadOneSkipsNamesInsideBracketedValues) {
  CString unit, value;
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a={x b=1} b=2", "b", unit, value), 1);
  EXPECT_EQ(value, "2");
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a=(x b=1) b=3", "b", unit, value), 1);
  EXPECT_EQ(value, "3");
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("a={x b=1}", "b", unit, value), 0);
  // A bare value holding "=(" does not hide the next item.
  ASSERT_EQ(CMC_MotionTestAccess::ReadOne("a=x=(y b=4", "b", unit, value), 1);
  EXPECT_EQ(value, "4");
}

TEST(ElemParameters, ReadOneFailuresGiveTheMessageText) {
  CString unit, value;
  const CString missing = "Motion parameter 'Q' does not exist or it has invalid value/unit!";
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", "Q", unit, value), 0);
  EXPECT_EQ(value, missing);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("", "Q", unit, value), 0);
  EXPECT_EQ(value, missing);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", "", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=1", nullptr, unit, value), 0);
  // No blank before B: glued items are not found by name.
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("A=(x y)B=2", "B", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[]=1", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[mm=1", "Q", unit, value), 0);
  EXPECT_EQ(CMC_MotionTestAccess::ReadOne("Q[mm]1", "Q", unit, value), 0);
  EXPECT_EQ(unit, "mm");  // a unit read before the failure stays
  EXPECT_EQ(value, missing);
}

// ---- Elements and groups ------------------------------------------------------------------------

CMC_MotionElem* CodedElem(const char* type, const char* code, int enabled = 1, int error = 0) {
  auto* e = new CMC_MotionElem;
  e->m_strType = type;
  e->m_strParameters = "P=1";
  e->m_strCode = code;
  e->m_bEnabled = enabled;
  e->m_bTranslateError = error;
  return e;
}

class CForeign : public CObject {};

TEST(MotionGroup, NewObjectsAndRunTimeClasses) {
  CMC_MotionElem e;
  EXPECT_EQ(e.m_bEnabled, 1);
  EXPECT_EQ(e.m_bTranslateError, 0);
  EXPECT_TRUE(e.m_strType.IsEmpty());
  CMC_MotionGroup g("G");
  EXPECT_EQ(g.m_strName, "G");
  EXPECT_EQ(g.m_bEnabled, 1);
  EXPECT_EQ(g.m_bExpanded, 0);
  EXPECT_STREQ(e.GetRuntimeClass()->m_lpszClassName, "CMC_MotionElem");
  EXPECT_STREQ(g.GetRuntimeClass()->m_lpszClassName, "CMC_MotionGroup");
  EXPECT_TRUE(g.IsKindOf(RUNTIME_CLASS(CObArray)));
}

TEST(MotionGroup, CopiesAreDeepAndSkipForeignChildren) {
  CMC_MotionGroup g("outer");
  g.m_bExpanded = 1;
  g.Add(CodedElem("Move", "a"));
  auto* inner = new CMC_MotionGroup("inner");
  inner->m_bEnabled = 0;
  inner->Add(CodedElem("Wait", "b", 0, 1));
  g.Add(inner);
  g.Add(new CForeign);

  CMC_MotionGroup copy(g);
  ASSERT_EQ(copy.GetSize(), 2);
  EXPECT_EQ(copy.m_strName, "outer");
  EXPECT_EQ(copy.m_bExpanded, 1);
  auto* ce = DYNAMIC_DOWNCAST(CMC_MotionElem, copy.GetAt(0));
  auto* cg = DYNAMIC_DOWNCAST(CMC_MotionGroup, copy.GetAt(1));
  ASSERT_TRUE(ce && cg);
  EXPECT_NE(ce, g.GetAt(0));
  EXPECT_EQ(ce->m_strType, "Move");
  EXPECT_EQ(cg->m_bEnabled, 0);
  auto* ie = DYNAMIC_DOWNCAST(CMC_MotionElem, cg->GetAt(0));
  ASSERT_TRUE(ie);
  EXPECT_EQ(ie->m_bTranslateError, 1);
  EXPECT_EQ(ie->m_bEnabled, 0);
  EXPECT_EQ(ie->m_strCode, "b");

  // Assignment replaces what the target held.
  CMC_MotionGroup target("t");
  target.Add(CodedElem("Old", ""));
  target = *cg;
  EXPECT_EQ(target.m_strName, "inner");
  ASSERT_EQ(target.GetSize(), 1);
  EXPECT_EQ(static_cast<CMC_MotionElem*>(target.GetAt(0))->m_strType, "Wait");
  target = target;
  EXPECT_EQ(target.GetSize(), 1);
}

TEST(MotionGroup, NestingDeeperThanAThousandIsASyntaxError) {
  // Groups nested n deep, each holding one element.
  auto nested = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "Start \"g\"\n\"T\" \"\"\n";
    for (int i = 0; i < n; ++i) text += "End\n";
    return text;
  };
  const struct {
    int depth;
    const char* error;
  } cases[] = {{1000, ""}, {1001, "Invalid syntax in file deep.mot, line 2001"},
               {200000, "Invalid syntax in file deep.mot, line 2001"}};
  for (const auto& c : cases) {
    const std::string text = nested(c.depth);
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    rewind(f);
    CMC_MotionGroup g("top");
    CString error;
    EXPECT_EQ(g.Load("deep.mot", f, error, 0), *c.error ? 0 : 1) << c.depth;
    EXPECT_EQ(error, c.error) << c.depth;
    EXPECT_EQ(g.GetSize(), *c.error ? 0 : 1) << c.depth;
    CMC_MotionGroup copy(g);  // copied and freed within the stack
  }
}

TEST(MotionGroup, DeleteAtChecksItsArguments) {
  CMC_MotionGroup g;
  for (int i = 0; i < 4; ++i) g.Add(CodedElem("E", ""));
  g.DeleteAt(-1, 2);
  g.DeleteAt(1, 0);
  EXPECT_EQ(g.GetSize(), 4);
  g.DeleteAt(1, 2);
  EXPECT_EQ(g.GetSize(), 2);
  bool thrown = false;
  try {
    g.DeleteAt(2, 1);
  } catch (CInvalidArgException* e) {
    e->Delete();
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(g.GetSize(), 2);
  g.DeleteAll();
  EXPECT_EQ(g.GetSize(), 0);
}

TEST(MotionGroup, TranslateErrorsCountOnlyEnabledChildren) {
  CMC_MotionGroup g;
  g.Add(CodedElem("A", "bad but disabled", 0, 1));
  auto* off = new CMC_MotionGroup("off");
  off->m_bEnabled = 0;
  off->Add(CodedElem("B", "bad in a disabled group", 1, 1));
  g.Add(off);
  EXPECT_FALSE(g.HasTranslateError());
  EXPECT_EQ(g.GetFirstElementWithTranslateError(), -1);

  auto* on = new CMC_MotionGroup("on");
  on->Add(CodedElem("C", "ok"));
  on->Add(CodedElem("D", "the error text", 1, 1));
  g.Add(on);
  CString text;
  EXPECT_TRUE(g.HasTranslateError(text));
  EXPECT_EQ(text, "the error text");
  EXPECT_EQ(g.GetFirstElementWithTranslateError(), 2);
}

TEST(MotionGroup, SourcesAndRowCounts) {
  CMC_MotionGroup g;
  g.Add(CodedElem("A", "a;"));
  g.Add(CodedElem("B", "off;", 0));
  auto* sub = new CMC_MotionGroup("sub");
  sub->Add(CodedElem("C", "c;"));
  sub->Add(CodedElem("D", "d;"));
  g.Add(sub);
  auto* offGroup = new CMC_MotionGroup("off");
  offGroup->m_bEnabled = 0;
  offGroup->Add(CodedElem("E", "e;"));
  g.Add(offGroup);
  EXPECT_EQ(g.GetSource(), "a;c;d;");
  EXPECT_EQ(g.GetChildSource(2), "c;d;");
  EXPECT_EQ(g.GetChildSource(1), "");
  EXPECT_EQ(g.GetChildSource(4), "");
  EXPECT_EQ(g.GetChildSource(-1), "");
  EXPECT_EQ(g.GetChildrenCount(), 4);
  sub->m_bExpanded = 1;
  EXPECT_EQ(g.GetChildrenCount(), 6);
}

}  // namespace

// ---- The motion program -------------------------------------------------------------------------

namespace {

// A copy of a sample configuration with one setup.cfg line replaced, read as a setup.
SetupPtr SetupWithLine(const char* config, const char* key, const char* line) {
  namespace fs = std::filesystem;
  const std::string dir = dravonix::test::ScratchDir(std::string("cfg_") + key);
  fs::copy(dravonix::test::KernelDir() + "/Configurations/" + config, dir, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
  std::string text = dravonix::test::ReadFileText(dir + "/setup.cfg"), out;
  std::istringstream lines(text);
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind(key, 0) == 0) l = std::string(line) + "\r";
    out += l + "\n";
  }
  std::ofstream(dir + "/setup.cfg", std::ios::binary) << out;
  return SetupPtr(CMC_Setup::CreateFromDirectory(dir.c_str()));
}

class MotionModel : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bShowErrors = TRUE;
    Automation::Instance().ClearMessageBoxes();
    m_setup.reset(CMC_Setup::Create(0x0505));
    ASSERT_TRUE(m_setup);
    m_motion.reset(CMC_Motion::Create(m_setup.get()));
    ASSERT_TRUE(m_motion);
    // Loading the test modules reports the two libraries it refuses.
    Automation::Instance().ClearMessageBoxes();
  }
  void TearDown() override {
    m_motion.reset();
    m_setup.reset();
    g_bShowErrors = TRUE;
  }
  // Boxes other than those of the two test module libraries that every module load refuses.
  std::vector<std::string> OtherBoxes() {
    std::vector<std::string> texts;
    for (const std::string& t : Boxes())
      if (t.rfind("The motion module 'MOVE'", 0) != 0 && t.rfind("Invalid motion module library", 0) != 0)
        texts.push_back(t);
    return texts;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (auto& b : Automation::Instance().MessageBoxes()) texts.push_back(b.text);
    Automation::Instance().ClearMessageBoxes();
    return texts;
  }
  SetupPtr m_setup;
  MotionPtr m_motion;
};

TEST_F(MotionModel, CreationFillsTheSlotsFromTheFirmware) {
  EXPECT_EQ(CMC_Motion::Create(nullptr), nullptr);
  CMC_Motion::Destroy(nullptr);
  CMC_Motion& m = *m_motion;
  EXPECT_EQ(m.GetSetup(), m_setup.get());
  ASSERT_EQ(m.GetHomingProceduresCount(), 3);
  for (int i = 0; i < 3; ++i) {
    CString name;
    name.Format("home%d", i + 1);
    EXPECT_EQ(m.GetHomingProcedureName(i), name) << i;
    EXPECT_TRUE(m.IsHomingProcedureAvailable(i));
    EXPECT_FALSE(m.IsHomingProcedureEnable(i));  // firmware default bodies
  }
  EXPECT_EQ(m.GetHomingProcedure(0)->GetSize(), 3);
  EXPECT_EQ(m.GetHomingProcedure(3), nullptr);
  EXPECT_EQ(m.GetAvailableHomingProceduresCount(), 3);
  EXPECT_FALSE(m.HaveUserHomingProcedures());
  ASSERT_EQ(m.GetInterruptsCount(), 12);
  EXPECT_EQ(m.GetInterruptName(11), "int11");
  EXPECT_EQ(m.GetInterrupt(0)->GetSize(), 1);
  EXPECT_FALSE(m.HaveUserInterrupts());
  EXPECT_EQ(m.GetInterruptName(12), "");
  // The setup-settings procedure named by the setup's option.
  ASSERT_EQ(m.GetSetupSettings()->GetSize(), 2);
  EXPECT_EQ(m.GetSetupSettings()->m_strName, "SetupSettings");
  EXPECT_EQ(m.GetMain()->GetSize(), 0);
  EXPECT_EQ(m.GetSelectedGroup(), CMC_Motion::selNone);
  EXPECT_EQ(m.GetSubSelection(), -1);
  EXPECT_TRUE(m.GetSourceText().IsEmpty());
  EXPECT_EQ(m.GetMotionControllerSlaveAxis(0), nullptr);
  EXPECT_EQ(m.FindHomingProcedure("HOME2"), 1);
  EXPECT_EQ(m.FindHomingProcedure(""), -1);
  EXPECT_TRUE(Boxes().empty());

  m.EnableHomingProcedure(1, TRUE);
  m.SetUserInterrupt(3, TRUE);
  EXPECT_TRUE(m.HaveUserHomingProcedures());
  EXPECT_TRUE(m.IsUserInterrupt(3));
  EXPECT_TRUE(m.HaveUserInterrupts());
}

TEST_F(MotionModel, EmptyHomingFilesAndSurplusSlots) {
  // Procedure 2 is not enabled: its slot has no file.
  SetupPtr setup = SetupWithLine("05/05", "EnabledHomeProcIDs", "EnabledHomeProcIDs = 1, 3");
  ASSERT_TRUE(setup) << ::testing::PrintToString(Boxes());
  ASSERT_EQ(setup->GetHomingProcedureFile(1), "");
  MotionPtr m(CMC_Motion::Create(setup.get()));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetHomingProcedureName(1), "");
  EXPECT_EQ(m->GetHomingProcedure(1)->m_bEnabled, 0);
  EXPECT_EQ(m->GetHomingProcedure(1)->GetSize(), 0);
  EXPECT_FALSE(m->IsHomingProcedureAvailable(1));
  EXPECT_EQ(m->GetAvailableHomingProceduresCount(), 2);
  m->EnableHomingProcedure(1, TRUE);
  EXPECT_EQ(m->GetHomingProcedure(1)->m_bEnabled, 0);

  // A program of a drive with more slots moved to one with fewer: the surplus goes.
  SetupPtr small(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(small);
  m_motion->SetUserInterrupt(11, TRUE);
  m_motion->EnableHomingProcedure(2, TRUE);
  MotionPtr copy(m_motion->CreateCopy(small.get()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetInterruptsCount(), small->GetInterruptsCount());
  EXPECT_EQ(copy->GetHomingProceduresCount(), small->GetHomingProceduresCount());
  EXPECT_EQ(copy->GetInterruptName(3), "int3");
}

TEST_F(MotionModel, AnUnreadableSetupSettingsProcedureFailsTheCreation) {
  SetupPtr setup = SetupWithLine("05/05", "SetupSettings", "SetupSettings = missing.cfg");
  ASSERT_TRUE(setup);
  Boxes();
  EXPECT_EQ(CMC_Motion::Create(setup.get()), nullptr);
  const auto boxes = OtherBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("MotionProcedures/missing.cfg!"), std::string::npos) << boxes[0];
}

TEST_F(MotionModel, OlderFirmwareTakesHomingBodiesFromMotionProcedures) {
  SetupPtr setup(CMC_Setup::Create(0x0210));
  ASSERT_TRUE(setup);
  ASSERT_LT(setup->GetMCVersion(), 3);
  MotionPtr m(CMC_Motion::Create(setup.get()));
  ASSERT_TRUE(m);
  ASSERT_EQ(m->GetHomingProceduresCount(), 3);
  EXPECT_EQ(m->GetHomingProcedureName(0), "LSP homing");  // the one group of its file
  EXPECT_EQ(m->GetHomingProcedure(0)->GetSize(), 2);
  EXPECT_EQ(m->GetHomingProcedureName(1), "home1");       // two groups: no default
  EXPECT_EQ(m->GetHomingProcedureName(2), "home2");       // no file
  EXPECT_EQ(m->GetHomingProcedure(2)->GetSize(), 0);
  EXPECT_EQ(m->GetHomingProcedureDescription(0), "Positive limit switch");
  EXPECT_EQ(m->GetHomingProcedureDescription(1), "");
  EXPECT_TRUE(m->GetSetupSettings()->GetSize() == 0);
  EXPECT_TRUE(OtherBoxes().empty());
}

TEST_F(MotionModel, NewFunctionNames) {
  CMC_Motion& m = *m_motion;
  EXPECT_EQ(m.AddNewFunction(), 0);
  EXPECT_EQ(m.GetFunctionName(0), "Untitled");
  EXPECT_EQ(m.AddNewFunction(), 1);
  EXPECT_EQ(m.GetFunctionName(1), "Untitled1");
  ASSERT_EQ(m.RenameFunction(1, "UNTITLED7"), 1);
  EXPECT_EQ(m.AddNewFunction(), 2);
  EXPECT_EQ(m.GetFunctionName(2), "Untitled8");

  MotionPtr other(CMC_Motion::Create(m_setup.get()));
  ASSERT_EQ(other->AddNewFunction("UntitledX"), 0);
  other->AddNewFunction();
  EXPECT_EQ(other->GetFunctionName(1), "Untitled1");
  MotionPtr huge(CMC_Motion::Create(m_setup.get()));
  ASSERT_EQ(huge->AddNewFunction("Untitled99999999999999999999"), 0);
  huge->AddNewFunction();
  EXPECT_EQ(huge->GetFunctionName(1), "Untitled1000000000000000");
  EXPECT_TRUE(OtherBoxes().empty());
}

TEST_F(MotionModel, FunctionNamesAreValidated) {
  CMC_Motion& m = *m_motion;
  ASSERT_EQ(m.AddNewFunction("_first1"), 0);
  ASSERT_EQ(m.AddNewFunction("Second"), 1);
  EXPECT_EQ(m.AddNewFunction(""), -1);
  EXPECT_EQ(m.AddNewFunction("1abc"), -1);
  EXPECT_EQ(m.AddNewFunction("a b"), -1);
  EXPECT_EQ(m.AddNewFunction("SECOND"), -1);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Non empty string expected",
                         "Invalid name: this string should contain only alphanumeric characters and begin with a "
                         "letter or underscore.",
                         "Invalid name: this string should contain only alphanumeric characters and begin with a "
                         "letter or underscore.",
                         "Duplicate name: there is another function with the same name!"}));
  EXPECT_EQ(m.RenameFunction(1, "SECOND"), 1);  // its own name in another case
  EXPECT_EQ(m.RenameFunction(1, "_FIRST1"), 0);
  EXPECT_EQ(m.RenameFunction(5, "x"), 0);
  g_bShowErrors = FALSE;
  EXPECT_EQ(m.AddNewFunction("bad name"), -1);
  EXPECT_TRUE(Boxes().size() == 1);  // the duplicate above only
  EXPECT_EQ(m.GetFunctionsCount(), 2);
  EXPECT_EQ(m.FindFunction("_FIRST1"), 1);
  EXPECT_EQ(m.FindFunction("second"), 2);
  EXPECT_EQ(m.FindFunction("none"), -1);
  EXPECT_EQ(m.FindFunction(""), -1);

  EXPECT_EQ(m.MoveFunctionUp(0), 0);
  EXPECT_EQ(m.MoveFunctionDown(1), 0);
  EXPECT_EQ(m.MoveFunctionUp(1), 1);
  EXPECT_EQ(m.GetFunctionName(0), "SECOND");
  EXPECT_EQ(m.MoveFunctionDown(0), 1);
  EXPECT_EQ(m.GetFunctionName(0), "_first1");
}

TEST_F(MotionModel, RemovingFunctionsAsksAndMovesTheSelection) {
  CMC_Motion& m = *m_motion;
  m.AddNewFunction("a");
  m.AddNewFunction("b");
  m.SetSelection(CMC_Motion::selFunction, 1);
  g_bShowErrors = FALSE;  // the question is asked anyway
  EXPECT_EQ(m.RemoveFunction(0), 0);  // unscripted: No
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to delete motion function named 'a'?");
  EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  EXPECT_EQ(m.RemoveFunction(0), 1);
  EXPECT_EQ(m.GetSelectedGroup(), CMC_Motion::selFunctionsFolder);
  EXPECT_EQ(m.RemoveFunction(3), 0);

  m.SetSelection(CMC_Motion::selFunction, 0);
  EXPECT_EQ(m.GetSelectionName(), "Function b");
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  EXPECT_EQ(m.RemoveSelFunction(), 1);
  EXPECT_EQ(m.GetSelectedGroup(), CMC_Motion::selMain);
  EXPECT_EQ(m.GetSubSelection(), -1);
  EXPECT_EQ(m.GetFunctionsCount(), 0);
  EXPECT_EQ(m.RemoveSelFunction(), 0);

  m.AddNewFunction("c");
  m.AddNewFunction("d");
  m.SetSelection(CMC_Motion::selFunction, 1);
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  EXPECT_EQ(m.RemoveSelFunction(), 1);
  EXPECT_EQ(m.GetSelectedGroup(), CMC_Motion::selFunction);
  EXPECT_EQ(m.GetSubSelection(), 0);
}

TEST_F(MotionModel, SelectionNamesAndSequences) {
  CMC_Motion& m = *m_motion;
  m.AddNewFunction("f");
  struct {
    CMC_Motion::tagSelectionGroup group;
    int sub;
    const char* name;
    CMC_MotionGroup* sequence;
  } cases[] = {
      {CMC_Motion::selNone, -1, "", nullptr},
      {CMC_Motion::selMain, -1, "Main", m.GetMain()},
      {CMC_Motion::selHomingFolder, -1, "Homing Procedures", nullptr},
      {CMC_Motion::selHoming, 2, "Homing procedure home3", m.GetHomingProcedure(2)},
      {CMC_Motion::selFunctionsFolder, -1, "Functions", nullptr},
      {CMC_Motion::selFunction, 0, "Function f", m.GetFunction(0)},
      {CMC_Motion::selInterruptsFolder, -1, "Interrupts", nullptr},
      {CMC_Motion::selInterrupt, 4, "Interrupt int4", m.GetInterrupt(4)},
      {CMC_Motion::selCAMFolder, -1, "CAMs", nullptr},
      {CMC_Motion::selCAM, 0, "CAM ", nullptr},
      {(CMC_Motion::tagSelectionGroup)10, 0, "", nullptr},
  };
  for (auto& c : cases) {
    m.SetSelection(c.group, c.sub);
    EXPECT_EQ(m.GetSelectionName(), c.name);
    EXPECT_EQ(m.GetSequenceSelection(), c.sequence) << c.name;
    EXPECT_EQ(m.GetCAMSelection(), nullptr);
  }
}

TEST_F(MotionModel, ElementsThroughTheTestModules) {
  CMC_Motion& m = *m_motion;
  ASSERT_GE(m.GetModulesCount(), 3);
  EXPECT_EQ(m.GetClassesCount(), 2);
  CStringArray names;
  m.GetModulesOfClass(0, names);
  EXPECT_GE(names.GetSize(), 2);
  EXPECT_EQ(m.GetCurrentModule(), nullptr);
  EXPECT_EQ(m.CreateElement(m.GetModulesCount()), nullptr);
  EXPECT_EQ(m.CreateElement(-1), nullptr);

  CMC_MotionElem* wait = m.CreateElement("WAIT");
  ASSERT_TRUE(wait);
  EXPECT_EQ(wait->m_strType, "WAIT");
  EXPECT_EQ(wait->m_strParameters, "Time[ms]=100");
  EXPECT_TRUE(wait->m_strCode.IsEmpty());  // not translated yet
  m.GetMain()->Add(wait);
  CMC_MotionElem* move = m.CreateElement("Move");
  m.GetMain()->Add(move);
  CMC_MotionElem* unknown = m.CreateElement("No Such Module");
  EXPECT_TRUE(unknown->m_strParameters.IsEmpty());
  m.GetMain()->Add(unknown);

  EXPECT_TRUE(m.Translate(wait, 0));
  EXPECT_EQ(wait->m_strCode, "WAIT 100;");
  EXPECT_FALSE(m.Translate(unknown, 0));
  EXPECT_EQ(unknown->m_bTranslateError, 1);
  EXPECT_EQ(unknown->m_strCode,
            "The motion module 'No Such Module' does not exist or it is invalid in current configuration!");
  // Without force the cached result stands, with the error kept.
  EXPECT_FALSE(m.Translate(unknown, 0));
  EXPECT_EQ(unknown->m_bTranslateError, 1);
  EXPECT_FALSE(m.Translate(m.GetMain(), 0));
  EXPECT_FALSE(m.Translate((CMC_MotionElem*)nullptr, 1));

  // Editing through the module forces a new translation.
  EXPECT_EQ(m.Edit(move), 1);
  EXPECT_EQ(move->m_strParameters, "CPOS[rot]=0 CSPD[rpm]=10 Edited=1");
  EXPECT_EQ(move->m_strCode, "CPOS=0; CSPD=10; UPD;");
  EXPECT_EQ(m.Edit(move), 0);
  EXPECT_EQ(m.Edit(nullptr), 0);

  // A failed translation keeps its error text in the code.
  wait->m_strParameters = "Delay=3";
  EXPECT_FALSE(m.Translate(wait, 1));
  EXPECT_EQ(wait->m_strCode, "Wait: the parameter Time is expected");
  CString text;
  EXPECT_TRUE(m.GetMain()->HasTranslateError(text));
  EXPECT_EQ(text, "Wait: the parameter Time is expected");
  EXPECT_TRUE(m.HasTranslateErrors());
  CMC_Motion::tagSelectionGroup group = CMC_Motion::selNone;
  int sub = 7;
  EXPECT_TRUE(m.GetModuleWithTranslateErrors(group, sub));
  EXPECT_EQ(group, CMC_Motion::selMain);
  EXPECT_EQ(sub, 7);

  m.EmptyCache(m.GetMain());
  EXPECT_TRUE(move->m_strCode.IsEmpty());
  m.GetMain()->DeleteAll();
  EXPECT_TRUE(m.Translate(m.GetMain(), 1));
}

TEST_F(MotionModel, TranslateErrorsAreFoundBySlot) {
  CMC_Motion& m = *m_motion;
  // The firmware bodies use free-text elements; a disabled slot never counts.
  m.GetSetupSettings()->DeleteAll();
  for (int i = 0; i < m.GetHomingProceduresCount(); ++i) m.GetHomingProcedure(i)->DeleteAll();
  for (int i = 0; i < m.GetInterruptsCount(); ++i) m.GetInterrupt(i)->DeleteAll();
  EXPECT_TRUE(m.TranslateAll(1));
  CMC_Motion::tagSelectionGroup group = CMC_Motion::selCAM;
  int sub = 5;
  EXPECT_FALSE(m.GetModuleWithTranslateErrors(group, sub));
  EXPECT_EQ(group, CMC_Motion::selCAM);
  EXPECT_EQ(sub, -1);

  CMC_MotionElem* bad = m.CreateElement("Wait");
  bad->m_strParameters = "X=1";
  m.GetInterrupt(2)->Add(bad);
  EXPECT_FALSE(m.TranslateAll(0));
  EXPECT_FALSE(m.HasTranslateErrors());  // interrupt 2 is the firmware's
  m.SetUserInterrupt(2, TRUE);
  EXPECT_TRUE(m.GetModuleWithTranslateErrors(group, sub));
  EXPECT_EQ(group, CMC_Motion::selInterrupt);
  EXPECT_EQ(sub, 2);

  m.AddNewFunction("f");
  m.GetFunction(0)->Add(new CMC_MotionElem(*bad));
  EXPECT_TRUE(m.GetModuleWithTranslateErrors(group, sub));
  EXPECT_EQ(group, CMC_Motion::selFunction);
  EXPECT_EQ(sub, 0);
}

TEST_F(MotionModel, HomingDescriptionAndResets) {
  CMC_Motion& m = *m_motion;
  CMC_MotionGroup* slot = m.GetHomingProcedure(0);
  slot->DeleteAll();
  CMC_MotionElem* comment = m.CreateElement("Comment");
  comment->m_strParameters = "Text={  Search the index  }";
  slot->Add(comment);
  m.EnableHomingProcedure(0, TRUE);
  EXPECT_EQ(m.GetHomingProcedureDescription(0), "Search the index");
  EXPECT_EQ(m.GetHomingProcedureDescription(5), "");

  m.ResetHomingProcedureToDefaultHandler(0);
  EXPECT_EQ(slot->m_strName, "home1");
  EXPECT_EQ(slot->m_bEnabled, 1);
  EXPECT_EQ(slot->GetSize(), 3);

  CMC_MotionGroup* handler = m.GetInterrupt(1);
  handler->DeleteAll();
  m.ResetUserInterruptToDefaultHandler(1);
  EXPECT_EQ(handler->m_strName, "int1");
  EXPECT_EQ(handler->m_bEnabled, 1);
  EXPECT_EQ(handler->GetSize(), 1);
}

TEST_F(MotionModel, CopiesKeepUserBodiesAndSetupSettingsOfTheNewSetup) {
  CMC_Motion& m = *m_motion;
  m.GetMain()->Add(m.CreateElement("Wait"));
  m.AddNewFunction("f");
  m.GetHomingProcedure(1)->DeleteAll();
  m.GetHomingProcedure(1)->Add(m.CreateElement("Comment"));
  m.EnableHomingProcedure(1, TRUE);
  SetupPtr same(CMC_Setup::Create(0x0505));
  MotionPtr copy(m.CreateCopy(same.get()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetSetup(), same.get());
  ASSERT_EQ(copy->GetMain()->GetSize(), 1);
  EXPECT_NE(copy->GetMain()->GetAt(0), m.GetMain()->GetAt(0));
  EXPECT_EQ(static_cast<CMC_MotionElem*>(copy->GetMain()->GetAt(0))->m_strCode, "WAIT 100;");
  EXPECT_EQ(copy->GetFunctionName(0), "f");
  EXPECT_TRUE(copy->IsHomingProcedureEnable(1));
  EXPECT_EQ(copy->GetHomingProcedure(1)->GetSize(), 1);
  EXPECT_EQ(copy->GetSetupSettings()->GetSize(), 2);

  // Another configuration resets the firmware's slots but keeps user bodies.
  SetupPtr other = SetupWithLine("05/05", "ConfigurationID", "ConfigurationID = 0506");
  ASSERT_TRUE(other);
  MotionPtr moved(m.CreateCopy(other.get()));
  ASSERT_TRUE(moved);
  EXPECT_TRUE(moved->IsHomingProcedureEnable(1));
  EXPECT_EQ(moved->GetHomingProcedure(1)->GetSize(), 1);
  EXPECT_EQ(moved->GetHomingProcedure(0)->GetSize(), 3);

  m.SetSetup(other.get());
  EXPECT_EQ(m.GetSetup(), other.get());
  EXPECT_TRUE(m.IsHomingProcedureEnable(1));
  m.SetSetup(nullptr);
  EXPECT_EQ(m.GetSetup(), other.get());
  m.SetSetup(m_setup.get());
}

TEST_F(MotionModel, ParameterReadersNeedASetup) {
  CStringArray n, u, v;
  CString unit, value;
  EXPECT_EQ(m_motion->ReadAllElemParameters("X=1 Y[mm]={2 3}", n, u, v), 1);
  EXPECT_EQ(v[1], "2 3");
  EXPECT_EQ(m_motion->ReadElemParameter("X=1 Y[mm]={2 3}", "y", unit, value), 1);
  EXPECT_EQ(unit, "mm");
  EXPECT_EQ(value, "2 3");
}

TEST_F(MotionModel, SlaveAxesOfAMotionController) {
  SetupPtr controller(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(controller);
  MotionPtr m(CMC_Motion::Create(controller.get()));
  ASSERT_TRUE(m);
  const int count = controller->GetMotionControllerSlaveCount();
  ASSERT_GT(count, 0);
  auto* axis = reinterpret_cast<CMC_AxisData*>(0x1000);  // never dereferenced here
  m->SetMotionControllerSlaveAxis(count - 1, axis);
  m->SetMotionControllerSlaveAxis(count, axis);
  EXPECT_EQ(m->GetMotionControllerSlaveAxis(count - 1), axis);
  EXPECT_EQ(m->GetMotionControllerSlaveAxis(count), nullptr);
  EXPECT_EQ(m->GetMotionControllerSlaveAxisIdx(axis), count - 1);
  EXPECT_EQ(m->GetMotionControllerSlaveAxisIdx(nullptr), -1);
  MotionPtr copy(m->CreateCopy(controller.get()));
  EXPECT_EQ(copy->GetMotionControllerSlaveAxis(count - 1), axis);
  MotionPtr single(m->CreateCopy(m_setup.get()));
  EXPECT_EQ(single->GetMotionControllerSlaveAxis(count - 1), nullptr);
}

}  // namespace
