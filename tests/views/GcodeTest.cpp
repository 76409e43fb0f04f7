#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "tests/support/TestKernel.h"
#include "views/gcode/GcodeTranslator.h"

namespace {

// X, Y, Z on slaves 0, 1, 3; A, B, C on 4, 5, 6; the spindle on slave 2.
tagGcodeSettings TestSettings() {
  tagGcodeSettings s;
  const int slaves[6] = {0, 1, 3, 4, 5, 6};
  for (int k = 0; k < 6; k++) s.m_nAxisSlave[k] = slaves[k];
  s.m_nSpindleSlave = 2;
  return s;
}

std::string E(double v) { return FormatString("%.14e", v); }

struct Expr {
  double value;
  std::string error;
};

Expr Eval(CGcodeTranslator& t, const char* text) {
  std::vector<CString> texts;
  std::vector<BYTE> kinds;
  EXPECT_TRUE(CGcodeTranslator::TokenizeGcodeLine(text, texts, kinds)) << text;
  int pos = 0;
  CString error;
  double v = t.ParseGcodeExpression(texts, kinds, pos, error);
  return {v, error.str()};
}

Expr Eval(const char* text) {
  CGcodeTranslator t;
  return Eval(t, text);
}

// Runs a program; the elements after the leading label.
std::vector<tagGcodeElement> RunProgram(CGcodeTranslator& t, const char* program, std::string* error = nullptr) {
  CString e;
  BOOL ok = t.Translate(program, e);
  if (error)
    *error = e.str();
  else
    EXPECT_TRUE(ok) << e.str();
  std::vector<tagGcodeElement> out(t.GetElements());
  EXPECT_FALSE(out.empty());
  if (!out.empty()) out.erase(out.begin());
  return out;
}

std::vector<tagGcodeElement> RunProgram(const char* program, std::string* error = nullptr) {
  CGcodeTranslator t(TestSettings());
  return RunProgram(t, program, error);
}

std::string RunError(const char* program) {
  std::string error;
  RunProgram(program, &error);
  return error;
}

// name -> value of a parameter string (units dropped)
std::map<std::string, std::string> Items(const CString& params) {
  std::map<std::string, std::string> m;
  const std::string& s = params.str();
  size_t i = 0;
  while (i < s.size()) {
    size_t end = s.find(' ', i);
    if (end == std::string::npos) end = s.size();
    std::string item = s.substr(i, end - i);
    size_t eq = item.find('=');
    std::string name = item.substr(0, eq);
    size_t br = name.find('[');
    if (br != std::string::npos) name = name.substr(0, br);
    m[name] = item.substr(eq + 1);
    i = end + 1;
  }
  return m;
}

std::vector<double> List(const std::string& s) {
  std::vector<double> v;
  size_t i = 0;
  while (i < s.size()) {
    size_t end = s.find(',', i);
    if (end == std::string::npos) end = s.size();
    v.push_back(std::stod(s.substr(i, end - i)));
    i = end + 1;
  }
  return v;
}

bool HasFreeText(const std::vector<tagGcodeElement>& els, const std::string& text) {
  for (const auto& e : els)
    if (e.m_strType == "Free Text" && e.m_strParameters == ("/* " + text + " */").c_str()) return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TEST(GcodeTokens, SplitsLettersNumbersAndOperators) {
  std::vector<CString> t;
  std::vector<BYTE> k;
  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("G01X10", t, k));
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], "G");
  EXPECT_EQ(t[1], "01");
  EXPECT_EQ(t[2], "X");
  EXPECT_EQ(t[3], "10");
  EXPECT_EQ(k, (std::vector<BYTE>{2, 3, 2, 3}));

  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("a B s 1 2", t, k));
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0], "ABS");
  EXPECT_EQ(t[1], "12");

  EXPECT_FALSE(CGcodeTranslator::TokenizeGcodeLine(".5 5.", t, k)) << "blanks do not end a number";
  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine(".5+5.", t, k));
  EXPECT_EQ(t[0], ".5");
  EXPECT_EQ(k[0], 4);
  EXPECT_EQ(t[2], "5.");
  EXPECT_EQ(k[2], 4);
  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("2**3*4", t, k));
  EXPECT_EQ(t[1], "**");
  EXPECT_EQ(t[3], "*");

  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("G1 (move (fast) X1", t, k));
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[2], "(move (fast)");
  EXPECT_EQ(k[2], 5);

  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine(" \t ", t, k));
  EXPECT_TRUE(t.empty());

  for (const char* bad : {"%", "1.2.3", "G1 X1;", "G1,X1", "X1)", "(open", "X\x01", "X\xB5", ".1.", "X1\r"})
    EXPECT_FALSE(CGcodeTranslator::TokenizeGcodeLine(bad, t, k)) << bad;
}

TEST(GcodeExpressions, PrecedenceAndFunctions) {
  EXPECT_EQ(Eval("-2**2").value, 4);
  EXPECT_EQ(Eval("2**-1").value, 0.5);
  EXPECT_EQ(Eval("2**3**2").value, 64);
  EXPECT_EQ(Eval("1+2*3").value, 7);
  EXPECT_EQ(Eval("[1+2]*3").value, 9);
  EXPECT_DOUBLE_EQ(Eval("ATAN[1]/[2]").value, 22.5);
  EXPECT_DOUBLE_EQ(Eval("SIN30").value, 0.5);
  EXPECT_DOUBLE_EQ(Eval("COS[60]").value, 0.5);
  EXPECT_DOUBLE_EQ(Eval("ACOS[0]").value, 90);
  EXPECT_DOUBLE_EQ(Eval("ASIN[1]").value, 90);
  EXPECT_DOUBLE_EQ(Eval("TAN[45]").value, 1);
  EXPECT_EQ(Eval("ABS[-1.5]").value, 1.5);
  EXPECT_EQ(Eval("FIX[-1.5]").value, -2);
  EXPECT_EQ(Eval("FUP[1.2]").value, 2);
  EXPECT_EQ(Eval("ROUND[2.5]").value, 3);
  EXPECT_EQ(Eval("SQRT[16]").value, 4);
  EXPECT_DOUBLE_EQ(Eval("LN[EXP[2]]").value, 2);
  EXPECT_EQ(Eval("NOT 0").value, 1);
  EXPECT_EQ(Eval("NOT 3").value, 0);
  EXPECT_EQ(Eval("1 AND 0").value, 0);
  EXPECT_EQ(Eval("1 OR 0").value, 1);
  EXPECT_EQ(Eval("1 XOR 1").value, 0);
  EXPECT_EQ(Eval("-7 MOD 2").value, -1);
  EXPECT_EQ(Eval("7 MOD -2").value, 1);
  EXPECT_EQ(Eval("10-4-3").value, 3);
  EXPECT_EQ(Eval("12/2/3").value, 2);
  EXPECT_EQ(Eval(".5+5.").value, 5.5);
  EXPECT_EQ(Eval("0.1").value, 0.1);
  EXPECT_EQ(Eval("123456789012345678901234567890").value, 123456789012345678901234567890.0);
  EXPECT_EQ(Eval("0.000000000000000000000000123").value, 0.000000000000000000000000123);
}

TEST(GcodeExpressions, StopsAtTheFirstTokenThatIsNoOperator) {
  CGcodeTranslator t;
  std::vector<CString> texts;
  std::vector<BYTE> kinds;
  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("1+2 X3", texts, kinds));
  int pos = 0;
  CString error;
  EXPECT_EQ(t.ParseGcodeExpression(texts, kinds, pos, error), 3);
  EXPECT_EQ(pos, 3);
  pos = 0;
  EXPECT_EQ(t.ParseGcodeExpression(texts, kinds, pos, error, 1), 1) << "last bounds the expression";
  EXPECT_EQ(pos, 1);
}

TEST(GcodeExpressions, ErrorsHaveTheirTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {"#0", "parameter #0 does not exist"},
      {"#5401", "parameter #5401 does not exist"},
      {"#-3", "parameter #-3 does not exist"},
      {"#1.5", "integer number expected as parameter name"},
      {"7 MOD 0", "number divided by 0"},
      {"7/0", "number divided by 0"},
      {"7.5 MOD 2", "MOD operands must be integers"},
      {"5000000000 MOD 2", "MOD operands must be integers"},
      {"[1+2", "missing close bracket after '['"},
      {"1+2]", "missing open bracket before ']'"},
      {"1+", "invalid expression format"},
      {"", "invalid expression format"},
      {"]", "unexpected token ']'"},
      {"*2", "unexpected token '*'"},
      {"X", "unexpected token 'X'"},
      {"ACOS[2]", "invalid ACOS argument"},
      {"ASIN[-2]", "invalid ASIN argument"},
      {"LN[0]", "invalid LN argument"},
      {"SQRT[-1]", "invalid SQRT argument"},
      {"10**400", "number out of range"},
      {".", "unexpected token '.'"},
  };
  for (const auto& c : cases) {
    Expr r = Eval(c.first);
    EXPECT_EQ(r.error, c.second) << c.first;
    EXPECT_EQ(r.value, 0) << c.first;
  }
  EXPECT_EQ(Eval("1/[EXP[1000]]").error, "") << "only the result must be finite";
  EXPECT_EQ(Eval("-2147483648 MOD -1").value, 0);
  CString error;
  EXPECT_EQ(CGcodeTranslator::EvaluateGcodeBinaryOperation(99, 1, 2, error), 0);
}

TEST(GcodeExpressions, ReadsParameters) {
  CGcodeTranslator t;
  t.SetParameter(1, 2.5);
  t.SetParameter(5400, -1);
  EXPECT_EQ(Eval(t, "#1*2").value, 5);
  EXPECT_EQ(Eval(t, "#[2-1]").value, 2.5);
  EXPECT_EQ(Eval(t, "#5400").value, -1);
  EXPECT_EQ(Eval(t, "##2").value, 0);
}

// ---------------------------------------------------------------------------------------------

TEST(GcodeBlocks, ParseErrorsNameLineAndBlock) {
  EXPECT_EQ(RunError("%"), "Error at line 1: unknown token!\n\nG-code block: %");
  EXPECT_EQ(RunError("G1 X1\nG0 G1 X1"),
            "Error at line 2: block contains 2 or more G-codes from modal group 1!\n\nG-code block: G0 G1 X1");
  const std::pair<const char*, const char*> cases[] = {
      {"G4 G92 P1", "block contains 2 or more G-codes from modal group 0"},
      {"X1 X2", "block contains more than one X-codes"},
      {"M0 M6 M3 M8 M48", "block contains more than 4 M-codes"},
      {"M3 M4", "block contains 2 or more M-codes from modal group 7"},
      {"G12", "unknown G-code 12.000000"},
      {"G1.5", "unknown G-code 1.500000"},
      {"M3.5", "unknown M-code 3.500000"},
      {"M100", "unknown M-code 100.000000"},
      {"N10.5 G1 X1", "'N' - unknown word-starting letter"},
      {"G1 N10 X1", "'N' - unknown word-starting letter"},
      {"D1", "'D' - unknown word-starting letter"},
      {"XY1", "unknown command 'XY'"},
      {"12", "unknown command '12'"},
      {"G1 X", "invalid G-code block format"},
      {"#", "invalid G-code block format"},
      {"#1", "invalid G-code block format"},
      {"#1=", "invalid G-code block format"},
      {"#[1", "invalid G-code block format"},
      {"#0=1", "valid parameters are between #1 and #5400"},
      {"#5401=1", "valid parameters are between #1 and #5400"},
      {"#1.5=1", "valid parameters are between #1 and #5400"},
      {"#1 X2", "'=' expected after #param_nubmer"},
      {"#[1]+1=5", "'=' expected after #param_nubmer"},
      {"G1 X#0", "parameter #0 does not exist"},
      {"#1=7 MOD 0", "number divided by 0"},
  };
  for (const auto& c : cases) {
    std::string expected = FormatString("Error at line 1: %s!\n\nG-code block: %s", c.second, c.first);
    EXPECT_EQ(RunError(c.first), expected) << c.first;
  }
}

TEST(GcodeBlocks, LineNumbersDeletesAndComments) {
  auto els = RunProgram("N10 G1 X1 (first)\n/ G1 Y5\n");
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].m_strParameters, "/* first */");
  EXPECT_EQ(List(Items(els[1].m_strParameters)["Y_TPOS"]), (std::vector<double>{0, 5}));

  tagGcodeSettings s = TestSettings();
  s.m_bBlockDelete = TRUE;
  CGcodeTranslator t(s);
  els = RunProgram(t, "G1 X1\n/ G1 Y5 (gone)\n/#1=3\n");
  ASSERT_EQ(els.size(), 1u);
  EXPECT_EQ(t.GetParameter(1), 0);
  EXPECT_EQ(List(Items(els[0].m_strParameters)["X_TPOS"]), (std::vector<double>{1}));

  els = RunProgram("(a */ b) (second)\n(end */)");
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].m_strParameters, "/* second */") << "a later comment replaces an earlier one";
  EXPECT_EQ(els[1].m_strParameters, "/* end * / */");
}

TEST(GcodeBlocks, AssignmentsTakeEffectAfterTheBlock) {
  CGcodeTranslator t(TestSettings());
  auto els = RunProgram(t, "#1=2\n#1=5 G1 X#1 #2=#1\nG1 Y#1");
  EXPECT_EQ(t.GetParameter(1), 5);
  EXPECT_EQ(t.GetParameter(2), 2);
  EXPECT_EQ(t.GetPosition(0), 2);
  EXPECT_EQ(t.GetPosition(1), 5);
  EXPECT_EQ(t.GetParameter(3), 0);
  RunProgram(t, "#[1+2] = 4 (bracketed number)");
  EXPECT_EQ(t.GetParameter(3), 4);
}

TEST(GcodeBlocks, WordsRunInExecutionOrder) {
  // F is executed before the move although written after it; G90 before G1 in the same block.
  CGcodeTranslator t(TestSettings());
  auto els = RunProgram(t, "G91 G1 X1\nG1 X5 F250 G90");
  ASSERT_EQ(els.size(), 1u);
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{1, 4}));
  EXPECT_EQ(items["CSPD"], E(10) + "," + E(250));
  EXPECT_EQ(t.GetFeed(), 250);

  CString error;
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('G', 92.1, error), 19);
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('G', 4, error), 10);
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('M', 30, error), 21);
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('T', 1, error), 5);
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('E', 1, error), -1);
  EXPECT_EQ(error, "'E' - unknown word-starting letter");
  EXPECT_EQ(CGcodeTranslator::GetGcodeModalGroup(59.3), 12);
  EXPECT_EQ(CGcodeTranslator::GetGcodeModalGroup(59.4), -1);
  EXPECT_EQ(CGcodeTranslator::GetMcodeModalGroup(48), 9);
}

TEST(GcodeBlocks, ModalStateAndOffsets) {
  CGcodeTranslator t(TestSettings());
  RunProgram(t, "G20\nG20\nG18 G91 G93 G98 G61.1 M49");
  EXPECT_EQ(t.GetUnits(), 0);
  EXPECT_EQ(t.GetPlane(), 1);
  EXPECT_EQ(t.GetDistanceMode(), 1);
  EXPECT_EQ(t.GetFeedMode(), 1);
  EXPECT_EQ(t.GetRetractMode(), 0);
  EXPECT_EQ(t.GetPathControl(), 1);
  EXPECT_EQ(t.GetOverrides(), 1);

  // units convert once, with the coordinate-system origins
  auto els = RunProgram(t, "G10 L2 P2 X25.4\nG1 X50.8\nG20\nG20");
  EXPECT_DOUBLE_EQ(t.GetPosition(0), 2);
  EXPECT_DOUBLE_EQ(t.GetParameter(5241), 1);

  // coordinate systems and G92
  els = RunProgram(t, "G10 L2 P2 X10 Y5\nG1 X20\nG55\nG54\nG54");
  EXPECT_EQ(t.GetPosition(0), 20);
  EXPECT_EQ(t.GetParameter(5220), 1);
  RunProgram(t, "G10 L2 P2 X10 Y5\nG1 X20\nG55");
  EXPECT_EQ(t.GetPosition(0), 10);
  EXPECT_EQ(t.GetPosition(1), -5);
  EXPECT_EQ(t.GetParameter(5220), 2);
  EXPECT_EQ(t.GetParameter(5241), 10);
  RunProgram(t, "G1 X20 Y0\nG10 L2 P3 X5\n");
  EXPECT_EQ(t.GetPosition(0), 20) << "changing another system's origin does not move";
  RunProgram(t, "G1 X20 Y0\nG10 L2 P1 X5\nG10 L2 P1 X7\n");
  EXPECT_EQ(t.GetPosition(0), 13) << "the current system's origin moves the position";

  els = RunProgram(t, "G1 X20\nG92 X5\nG1 X6");
  EXPECT_EQ(t.GetOffset(0), 15);
  EXPECT_EQ(t.GetParameter(5211), 15);
  EXPECT_EQ(t.GetPosition(0), 6);
  EXPECT_EQ(List(Items(els.back().m_strParameters)["X_TPOS"]), (std::vector<double>{20, 1}));
  RunProgram(t, "G1 X20\nG92 X5\nG92.2");
  EXPECT_EQ(t.GetOffset(0), 0);
  EXPECT_EQ(t.GetPosition(0), 20);
  EXPECT_EQ(t.GetParameter(5211), 15);
  RunProgram(t, "G1 X20\nG92 X5\nG92.2\nG92.3");
  EXPECT_EQ(t.GetOffset(0), 15);
  EXPECT_EQ(t.GetPosition(0), 5);
  RunProgram(t, "G1 X20\nG92 X5\nG92.1");
  EXPECT_EQ(t.GetOffset(0), 0);
  EXPECT_EQ(t.GetPosition(0), 20);
  EXPECT_EQ(t.GetParameter(5211), 0);

  els = RunProgram(t, "G10 P0 X1\nG10 X1\nG10 P2.5");
  for (const auto& e : els) EXPECT_EQ(e.m_strParameters, "/* G10 syntax error: invalid P word */");

  // a program may overwrite #5220 with a number that names no system
  RunProgram(t, "#5220=42\nG55 G1 X1\nG53 G1 X3\n");
  EXPECT_EQ(t.GetPosition(0), 3);
}

TEST(GcodeBlocks, WarningsAndIgnoredWords) {
  tagGcodeSettings s = TestSettings();
  s.m_nAxisSlave[1] = -1;
  s.m_nSpindleSlave = -1;
  CGcodeTranslator t(s);
  auto els = RunProgram(t, "G1 X1 Y1 S500 H1 T2 K3");
  ASSERT_GE(els.size(), 3u);
  EXPECT_EQ(els[0].m_strParameters, "/* Y word ignored: this axis doesn't have an associated slave ID */");
  EXPECT_EQ(els[1].m_strParameters, "/* S word ignored: this axis doesn't have an associated slave ID */");
  EXPECT_EQ(els[2].m_strType, "Vector Mode");
  EXPECT_EQ(t.GetSpeed(), 100);

  els = RunProgram("G64 G40 G43 G38.2 X1\nM6");
  EXPECT_TRUE(HasFreeText(els, "G64 translated to G61: continuous path control mode not supported"));
  EXPECT_TRUE(HasFreeText(els, "G40/G41/G42/G45 ignored: cutter radius compensation not supported"));
  EXPECT_TRUE(HasFreeText(els, "G43/G49 ignored: tool length offset not supported"));
  EXPECT_TRUE(HasFreeText(els, "G38.2 ignored: straight probe not supported"));
  EXPECT_TRUE(HasFreeText(els, "M6 ignored: tool change not supported"));
  for (const auto& e : els) EXPECT_EQ(e.m_strType, "Free Text") << "an ignored probe does not move";
}

TEST(GcodeBlocks, ImplicitMotionRepeatsTheModalMotion) {
  CGcodeTranslator t(TestSettings());
  auto els = RunProgram(t, "G0 X1\nX5\nG1 Y2\nY3");
  ASSERT_EQ(els.size(), 1u);
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["CSPD"], E(100) + ",0," + E(10) + ",0");
  // after a cycle, axis words drill again; after G80 they do nothing
  els = RunProgram(t, "G81 X1 Y1 Z-1 R1\nX5\nG80\nX9\n");
  EXPECT_EQ(t.GetPosition(0), 5);
  EXPECT_EQ(t.GetMotionMode(), CGcodeTranslator::MOTION_NONE);
}

// ---------------------------------------------------------------------------------------------

TEST(GcodeMotion, StraightMovesSplitByGroup) {
  auto els = RunProgram("G1 X10 A90 F20");
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].m_strType, "Vector Mode");
  EXPECT_EQ(els[0].m_strParameters,
            ("ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveTangent=-1 SegmentType=0"
             " CACC=0 CSPD[mm/min]=" + E(20) + " X_TPOS[mm]=" + E(10) + " Y_TPOS[mm]=" + E(0) +
             " Radius[mm]= InitAngle[deg]= AngleIncrement[deg]= Execute=0 WaitForCompletion=1").c_str());
  EXPECT_EQ(els[1].m_strType, "Linear Interpolation");
  EXPECT_EQ(els[1].m_strParameters,
            ("ProfileType=0 ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=4 SlaveY=5 X_TPOS[deg]=" + E(90) +
             " Y_TPOS[deg]=" + E(0) + " CACC=0 CSPD[deg/min]=" + E(20) + " Execute=0 WaitForCompletion=1").c_str());

  els = RunProgram("G91 G1 X0\nG0");
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].m_strParameters, "/* G1 motion: no axis words were specified */");
  EXPECT_EQ(els[1].m_strParameters, "/* G0 motion: no axis words were specified */");
}

TEST(GcodeMotion, FeedRatesOverridesAndMachineCoordinates) {
  tagGcodeSettings s = TestSettings();
  s.m_bFeedOverride = TRUE;
  s.m_nFeedOverride = 50;
  s.m_dTraverseRate = 500;
  CGcodeTranslator t(s);
  auto els = RunProgram(t, "G1 X1 F100\nG0 X2\nM49 G1 X3\nM48 G93 G1 X6 Y4 F2\n");
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["CSPD"], E(50) + "," + E(500) + "," + E(100) + "," + E(2 * 5 * 0.5));

  els = RunProgram(t, "G92 X10\nG53 G1 X1");
  EXPECT_EQ(List(Items(els[0].m_strParameters)["X_TPOS"]), (std::vector<double>{1}));
  EXPECT_EQ(t.GetPosition(0), 11);
  els = RunProgram(t, "G1 X4\nG92 X0\nG53 G1 X0");
  EXPECT_EQ(List(Items(els[0].m_strParameters)["X_TPOS"]), (std::vector<double>{4, -4}));
  EXPECT_EQ(t.GetPosition(0), -4);
}

TEST(GcodeMotion, HomeMovesGoThroughTheIntermediatePoint) {
  CGcodeTranslator t(TestSettings());
  auto els = RunProgram(t, "#5161=1 #5162=2\nG1 X5 Y5\nG28 X3\nG1 X4");
  ASSERT_EQ(els.size(), 1u);
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{5, -2, -2, 3}));
  EXPECT_EQ(List(items["Y_TPOS"]), (std::vector<double>{5, 0, -3, 0}));
  EXPECT_EQ(t.GetMotionMode(), 1) << "G28 leaves the motion mode";
  els = RunProgram(t, "G30");
  EXPECT_TRUE(els.empty()) << "already home: nothing moves, nothing is reported";
}

TEST(GcodeMotion, ArcsInCentreAndRadiusFormat) {
  for (const char* r : {"R5", "R-5", "I5"}) {
    CGcodeTranslator t(TestSettings());
    auto els = RunProgram(t, (std::string("G3 X10 Y0 ") + r).c_str());
    ASSERT_EQ(els.size(), 1u) << r;
    auto items = Items(els[0].m_strParameters);
    EXPECT_EQ(items["SegmentType"], "1");
    EXPECT_DOUBLE_EQ(List(items["Radius"])[0], 5) << r;
    EXPECT_DOUBLE_EQ(List(items["InitAngle"])[0], 180) << r;
    EXPECT_DOUBLE_EQ(List(items["AngleIncrement"])[0], 180) << r;
    EXPECT_EQ(items["X_TPOS"], "");
    EXPECT_EQ(t.GetPosition(0), 10);
    EXPECT_EQ(t.GetPosition(1), 0);
    EXPECT_EQ(t.GetMotionMode(), 3);
  }
  // quarter circles: R picks the short way, -R the long way; G2 runs negative
  auto els = RunProgram("G2 X10 Y10 R10\nG0 X0 Y0\nG2 X10 Y10 R-10\n");
  auto first = Items(els[0].m_strParameters);
  EXPECT_DOUBLE_EQ(List(first["AngleIncrement"])[0], -90);
  EXPECT_DOUBLE_EQ(List(first["InitAngle"])[0], 180);
  EXPECT_EQ(first["SegmentType"], "1,0,1");
  EXPECT_DOUBLE_EQ(List(first["AngleIncrement"])[1], -270);

  // arc then straight move in its plane: one element
  els = RunProgram("G3 X10 Y0 R5\nG1 Y5");
  ASSERT_EQ(els.size(), 1u);
  EXPECT_EQ(Items(els[0].m_strParameters)["SegmentType"], "1,0");

  // lathe plane XZ uses I and J for X and Z
  CGcodeTranslator t(TestSettings());
  els = RunProgram(t, "G18 G3 X10 Z0 I5 J0");
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["SlaveX"], "0");
  EXPECT_EQ(items["SlaveY"], "3");
}

TEST(GcodeMotion, ArcToleranceAndErrors) {
  // millimetres: radii differing by 0.0015 pass, by 0.002 fail
  auto ok = RunProgram("G3 X10.0015 Y0 I5");
  EXPECT_EQ(ok[0].m_strType, "Vector Mode");
  auto bad = RunProgram("G3 X10.002 Y0 I5");
  EXPECT_EQ(bad[0].m_strParameters,
            "/* G3 motion: distance[circle center, current point] - distance[circle center, end point] > 0.002 mm */");
  bad = RunProgram("G20 G3 X10.00025 Y0 I5");
  EXPECT_EQ(bad[0].m_strParameters,
            "/* G3 motion: distance[circle center, current point] - distance[circle center, end point] > 0.0002 in */");
  ok = RunProgram("G20 G3 X10.00015 Y0 I5");
  EXPECT_EQ(ok[0].m_strType, "Vector Mode");

  const std::pair<const char*, const char*> cases[] = {
      {"G2 X10 I0 J0", "G2 motion: at least one of the I and J words must be distinct from the current point"},
      {"G2 X10", "G2 motion: at least one of the I and J words must be distinct from the current point"},
      {"G2 X10 Z1 R5", "G2 motion: helical motions not supported"},
      {"G3 I5", "G3 motion: start and end points MUST be distinct"},
      {"G3 X10 R0", "G3 motion: R word MUST be non-zero"},
      {"G3 X10 R4", "G3 motion: R word is less than half the distance between the start and end points"},
  };
  for (const auto& c : cases) {
    CGcodeTranslator t(TestSettings());
    auto els = RunProgram(t, c.first);
    ASSERT_EQ(els.size(), 1u) << c.first;
    EXPECT_EQ(els[0].m_strParameters, ("/* " + std::string(c.second) + " */").c_str());
    EXPECT_EQ(t.GetPosition(0), 0);
    EXPECT_NE(t.GetMotionMode(), 1);
  }
  // a failed arc still turns the rotational axes
  auto els = RunProgram("G2 X0 Y0 A30 I1");
  ASSERT_EQ(els.size(), 2u);
  EXPECT_EQ(els[0].m_strType, "Linear Interpolation");
  EXPECT_EQ(els[1].m_strParameters, "/* G2 motion: start and end points MUST be distinct */");
  // a radius just below half the chord by rounding is a half circle
  els = RunProgram("G2 X10 R4.9999999");
  EXPECT_EQ(els[0].m_strType, "Vector Mode");
}

TEST(GcodeMotion, CannedCycles) {
  CGcodeTranslator t(TestSettings());
  auto els = RunProgram(t, "G0 Z5\nG99 G81 X1 Y1 Z-1 R1 L3");
  ASSERT_EQ(els.size(), 1u);
  auto items = Items(els[0].m_strParameters);
  // Z up, XY once, then for each hole: down to R, feed to depth, back to R
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(List(items["Z_TPOS"]), (std::vector<double>{5, 0, -4, -2, 2, -2, 2, -2, 2}));
  EXPECT_EQ(t.GetMotionMode(), 4);

  els = RunProgram(t, "G0 Z5\nG91 G99 G81 X1 Y1 Z-2 R-4 L3");
  items = Items(els[0].m_strParameters);
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(t.GetPosition(0), 3);
  EXPECT_EQ(t.GetPosition(2), 1);

  // G98 returns to the start level; G85 retracts at the feed rate
  els = RunProgram(t, "G0 Z5\nG98 G85 X1 Z-1 R1 F30");
  items = Items(els[0].m_strParameters);
  EXPECT_EQ(els[0].m_strType, "Vector Mode");
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{0, 1, 0, 0, 0}));
  EXPECT_EQ(List(items["Y_TPOS"]), (std::vector<double>{5, 0, -4, -2, 6}));
  EXPECT_EQ(items["CSPD"], E(100) + ",0,0," + E(30) + ",0");

  els = RunProgram("G81 X1 Z2 R1");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: R number is less than or equal with Z number */");
  els = RunProgram("G81 X1 R1");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: Z word is missing */");
  els = RunProgram("G18 G81 X1 R1");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: Y word is missing */");
  els = RunProgram("G81 X1 Z-1");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: R word is missing */");
  els = RunProgram("G81 X1 Z-1 R1 A5");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: rotational axis motion not allowed */");
  els = RunProgram("G93 G81 X1 Z-1 R1");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle error: inverse time feed rate not allowed */");
  els = RunProgram("G84 X1 Z-1 R1\nG87 X1 Z-1 R1");
  EXPECT_EQ(els[0].m_strParameters, "/* G84 ignored: right hand tapping not supported */");
  EXPECT_EQ(els[1].m_strParameters, "/* G87 ignored: back boring not supported */");
  els = RunProgram("G81 X1 Z-1 R1 L0");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle warning: L1 has been forced because it had an illegal value */");
  els = RunProgram("G81 X1 Z-1 R1 L1000000");
  EXPECT_EQ(els[0].m_strParameters, "/* Canned cycle warning: L1 has been forced because it had an illegal value */");

  // G83 with Q0 warns and still retracts
  els = RunProgram("G0 Z5\nG98 G83 X1 Z-1 R1 Q0");
  ASSERT_EQ(els.size(), 3u);
  EXPECT_EQ(els[1].m_strParameters, "/* Canned cycle syntax error: invalid P word */");
  EXPECT_EQ(List(Items(els[2].m_strParameters)["Y_TPOS"]), (std::vector<double>{4}));
  // pecking
  els = RunProgram("G83 Z-3 R0 Q2");
  items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["SlaveX"], "0") << "Z alone runs as X and Z";
  EXPECT_EQ(items["SlaveY"], "3");
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>(7, 0.0)));
  std::vector<double> z = List(items["Y_TPOS"]), expected = {-2, 2, -1.8, -1.2, 3, -2.8, 2.8};
  ASSERT_EQ(z.size(), expected.size());
  for (size_t i = 0; i < z.size(); i++) EXPECT_NEAR(z[i], expected[i], 1e-12);
  // a peck too fine to finish is refused
  els = RunProgram("G83 Z-100 R0 Q0.001");
  EXPECT_TRUE(HasFreeText(els, "Canned cycle syntax error: invalid P word"));
}

TEST(GcodeMotion, DwellSpindleCoolantAndStops) {
  auto els = RunProgram("G4 P1.5\nG4\nG4 P-1\nM5");
  ASSERT_EQ(els.size(), 5u);
  EXPECT_EQ(els[0].m_strType, "Motor Commands");
  EXPECT_EQ(els[0].m_strParameters, "SelectedSlaves=7B Type=2");
  EXPECT_EQ(els[1].m_strParameters, ("Stop=0 Wait=1 EvType=4 EvSourceType=0 EventATIME[s]=" + E(1.5)).c_str());
  EXPECT_EQ(els[2].m_strParameters, "/* G4 syntax error: invalid P word */");
  EXPECT_EQ(els[3].m_strParameters, "/* G4 syntax error: invalid P word */");
  EXPECT_EQ(els[4].m_strParameters, "SelectedSlaves=4 Type=2");

  tagGcodeSettings s = TestSettings();
  s.m_bSpeedOverride = TRUE;
  s.m_nSpeedOverride = 50;
  CGcodeTranslator t(s);
  els = RunProgram(t, "S1000 M3\nM4\nM49\nM3");
  EXPECT_EQ(els[0].m_strType, "Trapezoidal Profiles");
  EXPECT_EQ(els[0].m_strParameters, ("Slave=2 Profile=1 StartPoint=1 CSPD[rpm]=" + E(500) + " Execute=0").c_str());
  EXPECT_EQ(Items(els[1].m_strParameters)["CSPD"], E(-500));
  EXPECT_EQ(Items(els[2].m_strParameters)["CSPD"], E(1000));
  EXPECT_EQ(t.GetSpindleState(), 0);

  s = TestSettings();
  s.m_nSpindleSlave = -1;
  CGcodeTranslator none(s);
  els = RunProgram(none, "M3");
  EXPECT_EQ(els[0].m_strParameters, "/* M3 ignored: spindle axis not selected */");
  EXPECT_EQ(none.GetSpindleState(), 2);

  els = RunProgram("M8\nM0\nM1\nM60");
  ASSERT_EQ(els.size(), 4u);
  EXPECT_EQ(els[0].m_strParameters, "/* M7/M8/M9 ignored: coolant valve haven't been selected */");
  EXPECT_EQ(els[1].m_strParameters, "/* M0 ignored: cycle start button is disabled */");
  EXPECT_EQ(els[2].m_strParameters, "/* M60 translated to M0: pallet shuttle commands are not supported */");

  s = TestSettings();
  s.m_bCoolantValve = TRUE;
  s.m_nCoolantSlave = 1;
  s.m_nCoolantOutput = 3;
  s.m_nCoolantLevel = 0;
  s.m_bCycleStart = TRUE;
  s.m_nCycleStartSlave = 0;
  s.m_nCycleStartInput = 5;
  s.m_nCycleStartLevel = 1;
  s.m_bOptionalStop = TRUE;
  CGcodeTranslator dev(s);
  els = RunProgram(dev, "M7\nM9\nM1\nM3 M8 G1 X1 G91\nM30");
  ASSERT_EQ(els.size(), 11u);
  EXPECT_EQ(els[0].m_strType, "I/O");
  EXPECT_EQ(els[0].m_strParameters, "Type=0 SimpleType=1 Slave=1 Port=3 SimpleSet=0 SetLineType=0");
  EXPECT_EQ(els[1].m_strParameters, "Type=0 SimpleType=1 Slave=1 Port=3 SimpleSet=1 SetLineType=0");
  EXPECT_EQ(els[2].m_strType, "Events");
  EXPECT_EQ(els[2].m_strParameters, "Stop=0 Wait=1 EvType=6 EvSlaveAxis=0 EvInput=4 EvInputPort=5 EvInputLevel=1");
  EXPECT_EQ(els[3].m_strType, "Trapezoidal Profiles");
  EXPECT_EQ(els[4].m_strType, "I/O");
  EXPECT_EQ(els[5].m_strType, "Vector Mode");
  EXPECT_EQ(els[6].m_strParameters, "/* M30 translated to M2: pallet shuttle commands are not supported */");
  EXPECT_EQ(els[7].m_strParameters, "SelectedSlaves=4 Type=2");
  EXPECT_EQ(els[8].m_strParameters, "Type=0 SimpleType=1 Slave=1 Port=3 SimpleSet=1 SetLineType=0");
  EXPECT_EQ(els[9].m_strType, "Events");
  EXPECT_EQ(els[10].m_strType, "Jumps and Function Calls");
  EXPECT_EQ(els[10].m_strParameters, "Type=0 Label=gcode_start");
  EXPECT_EQ(dev.GetDistanceMode(), 0) << "the program end resets the modal state";
  EXPECT_EQ(dev.GetPosition(0), 0);
  EXPECT_EQ(dev.GetSpindleState(), 2);
  EXPECT_EQ(dev.GetElements()[0].m_strParameters, "Type=6 Label=gcode_start");

  // G86 stops the spindle at the bottom and restarts it; G88 waits instead of retracting
  els = RunProgram(dev, "M4 G86 X1 Z-1 R1 P0\nG88 X2 Z-1 R1 P0");
  std::vector<std::string> types;
  for (const auto& e : els) types.push_back(e.m_strType.str());
  EXPECT_EQ(types, (std::vector<std::string>{"Trapezoidal Profiles", "Vector Mode", "Motor Commands", "Events",
                                             "Motor Commands", "Vector Mode", "Trapezoidal Profiles", "Vector Mode",
                                             "Motor Commands", "Events", "Motor Commands", "Events",
                                             "Trapezoidal Profiles"}));
}

// ---------------------------------------------------------------------------------------------

TEST(GcodeOutput, SegmentBuffering) {
  auto els = RunProgram("G1 X1\nG1 Y1\nG1 Z1");
  ASSERT_EQ(els.size(), 1u);
  EXPECT_EQ(els[0].m_strType, "Linear Interpolation");
  auto items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["ProfileType"], "1");
  EXPECT_EQ(items["SlaveZ"], "3");
  EXPECT_EQ(List(items["X_TPOS"]), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(List(items["Y_TPOS"]), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(List(items["Z_TPOS"]), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(items["CSPD"], E(10) + ",0,0");
  EXPECT_EQ(items["CACC"], "0,0,0");

  els = RunProgram("G1 X1 Y1 Z1 F40");
  ASSERT_EQ(els.size(), 1u);
  EXPECT_EQ(els[0].m_strParameters,
            ("ProfileType=1 ConfigureMode=1 ClearBuffer=0 InsertEndSegment=1 SlaveX=0 SlaveY=1 SlaveZ=3 X_TPOS[mm]=" +
             E(1) + " Y_TPOS[mm]=" + E(1) + " Z_TPOS[mm]=" + E(1) + " CACC=0 CSPD[mm/min]=" + E(40) +
             " Execute=0 WaitForCompletion=1").c_str());

  // a comment splits; the second element reuses the configuration and the speed
  els = RunProgram("G1 X1\n(split)\nG1 X2");
  ASSERT_EQ(els.size(), 3u);
  EXPECT_EQ(els[0].m_strType, "Vector Mode");
  EXPECT_EQ(els[2].m_strType, "Vector Mode");
  items = Items(els[2].m_strParameters);
  EXPECT_EQ(items["ConfigureMode"], "0");
  EXPECT_NE(els[2].m_strParameters.Find(" CSPD[mm/min]=0 "), -1);
  els = RunProgram("G20 G1 X1\n(split)\nG1 X2 F20");
  EXPECT_NE(els[2].m_strParameters.Find(" CSPD[in/min]=" + CString(E(20).c_str()) + " "), -1);
  // the same number in other units is another speed: F10 stays 10, now in inches a minute
  for (const char* program : {"G1 X1\nG20 (split)\nG1 X2", "G20 G1 X1\nG21 (split)\nG1 X2"}) {
    els = RunProgram(program);
    ASSERT_EQ(els.size(), 3u) << program;
    EXPECT_EQ(Items(els[2].m_strParameters)["CSPD"], E(10)) << program;
  }

  els = RunProgram("G1 A10");
  items = Items(els[0].m_strParameters);
  EXPECT_EQ(els[0].m_strType, "Linear Interpolation");
  EXPECT_EQ(items["ProfileType"], "0");
  EXPECT_EQ(items["SlaveX"], "4");
  EXPECT_EQ(items["SlaveY"], "5");
  els = RunProgram("G1 C10\n(x)\nG1 C20");
  EXPECT_EQ(Items(els[0].m_strParameters)["SlaveY"], "6");
  EXPECT_EQ(Items(els[2].m_strParameters)["ConfigureMode"], "0");
  els = RunProgram("G1 A1 B1 C1\n(x)\nG1 A2 B2 C2\nG1 X1 Y1 Z1\n(x)\nG1 X2 Y2 Z2\n(x)\nG1 X3 Y3 Z3 F11");
  EXPECT_EQ(Items(els[2].m_strParameters)["ConfigureMode"], "0");
  EXPECT_EQ(Items(els[3].m_strParameters)["ConfigureMode"], "1");
  EXPECT_EQ(Items(els[5].m_strParameters)["ConfigureMode"], "0");
  EXPECT_EQ(Items(els[7].m_strParameters)["CSPD"], E(11));

  // Y then Z join as YZ; X afterwards does not fit a plane
  els = RunProgram("G1 Y1\nG1 Z1\nG19 G3 Y3 Z1 I1\nG1 X1 Y4 Z5");
  ASSERT_EQ(els.size(), 2u);
  items = Items(els[0].m_strParameters);
  EXPECT_EQ(items["SlaveX"], "1");
  EXPECT_EQ(items["SlaveY"], "3");
  EXPECT_EQ(items["SegmentType"], "0,0,1");
  EXPECT_EQ(els[1].m_strType, "Linear Interpolation");
}

TEST(GcodeOutput, ParameterItems) {
  CString p;
  CMC_Motion::AddToElemParameters(p, "A", nullptr, "1");
  CMC_Motion::AddToElemParameters(p, "B", "mm", "");
  CMC_Motion::AddToElemParameters(p, "C", "\\internal", "x y");
  CMC_Motion::AddToElemParameters(p, "D", "", "{x} y");
  CMC_Motion::AddToElemParameters(p, "E", "s", nullptr);
  CMC_Motion::AddToElemParameters(p, nullptr, "s", "1");
  EXPECT_EQ(p, "A=1 B[mm]= C={x y} D=({x} y)");
}

TEST(GcodeRun, RestartsCleanAndReadsLinesLikeAFile) {
  CGcodeTranslator t(TestSettings());
  std::string error;
  RunProgram(t, "G1 X1\r\n#1=3\r\nG1 X[#1] (ok)\r\nG12", &error);
  EXPECT_EQ(error, "Error at line 4: unknown G-code 12.000000!\n\nG-code block: G12");
  EXPECT_EQ(t.GetElements().size(), 4u) << "label, move, comment, pending move written at the error";
  RunProgram(t, "");
  EXPECT_EQ(t.GetElements().size(), 1u);
  EXPECT_EQ(t.GetParameter(1), 0);
  EXPECT_EQ(t.GetParameter(5220), 1);
  EXPECT_EQ(t.GetPosition(0), 0);
  CString error2;
  EXPECT_TRUE(t.Translate(nullptr, error2));
  EXPECT_EQ(t.GetElements().size(), 1u);
}

// ---------------------------------------------------------------------------------------------

namespace {

std::string ReadFixture(const std::string& name) {
  std::string path = dravonix::test::FixturePath("gcode/" + name);
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_NE(f, nullptr) << path;
  std::string s;
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

// Length of the linear path the elements describe, in their length unit.
double PathLength(const std::vector<tagGcodeElement>& els) {
  double total = 0;
  for (const auto& e : els) {
    auto items = Items(e.m_strParameters);
    if (e.m_strType == "Vector Mode") {
      std::vector<double> x = List(items["X_TPOS"]), y = List(items["Y_TPOS"]);
      for (size_t i = 0; i < x.size(); i++) total += std::hypot(x[i], y[i]);
      std::vector<double> r = List(items["Radius"]), a = List(items["AngleIncrement"]);
      for (size_t i = 0; i < r.size(); i++) total += r[i] * std::fabs(a[i]) * 3.141592653589793 / 180;
    } else if (e.m_strType == "Linear Interpolation" && items["ProfileType"] == "1" &&
               e.m_strParameters.Find("[deg]") < 0) {
      std::vector<double> x = List(items["X_TPOS"]), y = List(items["Y_TPOS"]), z = List(items["Z_TPOS"]);
      for (size_t i = 0; i < x.size(); i++) total += std::sqrt(x[i] * x[i] + y[i] * y[i] + z[i] * z[i]);
    }
  }
  return total;
}

// Where the drive ends after the elements' linear moves (X, Y, Z), each relative to the last: an
// arc moves by its radius from the start angle to the start angle plus the increment.
std::array<double, 3> DriveEnd(const std::vector<tagGcodeElement>& els) {
  const int slaves[3] = {0, 1, 3};
  auto axis = [&](const std::string& slave) { return int(std::find(slaves, slaves + 3, std::stoi(slave)) - slaves); };
  std::array<double, 3> at{0, 0, 0};
  for (const auto& e : els) {
    auto items = Items(e.m_strParameters);
    if (e.m_strType == "Vector Mode") {
      const int a = axis(items["SlaveX"]), b = axis(items["SlaveY"]);
      std::vector<double> x = List(items["X_TPOS"]), y = List(items["Y_TPOS"]);
      for (size_t i = 0; i < x.size(); i++) at[a] += x[i], at[b] += y[i];
      std::vector<double> r = List(items["Radius"]), s = List(items["InitAngle"]), d = List(items["AngleIncrement"]);
      for (size_t i = 0; i < r.size(); i++) {
        const double k = 3.141592653589793 / 180;
        at[a] += r[i] * (std::cos((s[i] + d[i]) * k) - std::cos(s[i] * k));
        at[b] += r[i] * (std::sin((s[i] + d[i]) * k) - std::sin(s[i] * k));
      }
    } else if (e.m_strType == "Linear Interpolation" && items["ProfileType"] == "1" &&
               e.m_strParameters.Find("[deg]") < 0) {
      for (const char* name : {"X_TPOS", "Y_TPOS", "Z_TPOS"})
        for (double v : List(items[name])) at[name[0] - 'X'] += v;
    }
  }
  return at;
}

}  // namespace

TEST(GcodeCorpus, ProgramsTranslateAndKeepTheirPathLength) {
  for (const char* name : {"milling.gnc", "lathe.gnc", "macro.gnc", "drilling.gnc"}) {
    std::string program = ReadFixture(name);
    ASSERT_FALSE(program.empty()) << name;
    ASSERT_EQ(program.rfind("(path length ", 0), 0u) << name;
    const double expected = std::strtod(program.c_str() + 13, nullptr);
    ASSERT_GT(expected, 0) << name;
    CGcodeTranslator t(TestSettings());
    auto els = RunProgram(t, program.c_str());
    for (const auto& e : els)
      if (e.m_strType == "Free Text") {
        EXPECT_EQ(e.m_strParameters.Find("error"), -1) << name << ": " << e.m_strParameters.str();
        EXPECT_EQ(e.m_strParameters.Find("motion:"), -1) << name << ": " << e.m_strParameters.str();
      }
    EXPECT_NEAR(PathLength(els), expected, 1e-9) << name;
    EXPECT_EQ(els.back().m_strParameters, "Type=0 Label=gcode_start") << name;
  }
}

TEST(GcodeFuzz, MalformedAndMutatedBlocksNeverCrash) {
  std::vector<std::string> seeds = {
      "G1 X10 Y-5.5 F100",  "G2 X10 Y0 R5",          "G3 X0 Y10 I-5 J5",     "G83 X1 Y1 Z-3 R1 Q0.5 L2",
      "#1=[1+2]*SIN[30]",   "G1 X#1 Y[#2/2]",        "G92 X0 Y0 Z0",         "G10 L2 P3 X1 Y2",
      "M3 S1000",           "M8 M5 M9",              "G4 P0.5",              "G28 X0",
      "G20 G91 G1 X.5 Y5.", "G18 G2 X1 Z1 I0.5 J0.5", "(comment) G1 Z-1",     "/N10 G0 X1",
      "G81 X1 Z-1 R1",      "G86 X2 Z-1 R1 P1",      "G53 G0 X0 Y0",          "#[5220]=3 G59.1",
      "G1 A90 B45 C10",     "M2",                    "G17 G19 G90",           "X1 Y2 Z3",
  };
  for (const char* name : {"milling.gnc", "lathe.gnc", "macro.gnc", "drilling.gnc"}) {
    std::string p = ReadFixture(name);
    size_t i = 0;
    while (i < p.size()) {
      size_t e = p.find('\n', i);
      if (e == std::string::npos) e = p.size();
      seeds.push_back(p.substr(i, e - i));
      i = e + 1;
    }
  }
  const std::string alphabet = "GXYZABCIJKRQPLFSMNT0123456789.-+*/[]#=() \t%;";
  uint32_t state = 12345;
  auto next = [&]() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  tagGcodeSettings s = TestSettings();
  s.m_bCycleStart = TRUE;
  s.m_bCoolantValve = TRUE;
  CGcodeTranslator t(s);
  const auto start = std::chrono::steady_clock::now();
  int runs = 0;
  for (; runs < 100000; runs++) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) break;
    std::string program;
    const int lines = 1 + (int)(next() % 6);
    for (int l = 0; l < lines; l++) {
      std::string line = seeds[next() % seeds.size()];
      const int edits = (int)(next() % 4);
      for (int m = 0; m < edits; m++) {
        const size_t at = line.empty() ? 0 : next() % line.size();
        switch (next() % 4) {
          case 0: if (!line.empty()) line[at] = alphabet[next() % alphabet.size()]; break;
          case 1: line.insert(at, 1, alphabet[next() % alphabet.size()]); break;
          case 2: if (!line.empty()) line.erase(at, 1); break;
          case 3: line.insert(at, 1, (char)(1 + next() % 255)); break;
        }
      }
      program += line + "\n";
    }
    CString error;
    if (!t.Translate(program.c_str(), error)) {
      ASSERT_EQ(error.Find("Error at line "), 0) << program;
      ASSERT_NE(error.Find("\n\nG-code block: "), -1) << program;
    }
    ASSERT_FALSE(t.GetElements().empty());
    ASSERT_EQ(t.GetElements()[0].m_strParameters, "Type=6 Label=gcode_start");
  }
  EXPECT_GT(runs, 500);
}

TEST(GcodeMotion, WrittenMovesAddUpToTheLastProgrammedPoint) {
  struct Case {
    const char* program;
    std::array<double, 3> end;  // the last programmed point
  };
  const Case cases[] = {
      // the arc's end lies 0.001 inside its start radius
      {"G3 X9.999 Y0 I5 J0\nG1 X20 Y0", {20, 0, 0}},
      {"G3 X9.999 Y-0.0001 I5 J0\nG1 X20\nG2 X30.0015 Y0 I5 J0\nG3 X40 Y0.001 R5\nG1 Z-1\n"
       "G2 X35 Y5.0015 I-5 J0\nG91 G1 X-5\nG90 G1 X20 Y0 Z2",
       {20, 0, 2}},
      {"G18 G3 X9.999 Z0 I5\nG1 X20 Z0\nG17 G1 Y3", {20, 3, 0}},
      // incremental moves and arcs count from the programmed point, not from the written arc's end
      {"G21 G91 G17\nG0 X0 Y0\nG3 X9.999 Y-0.0001 I5 J0\nG1 X10.001 Y0.0001", {20, 0, 0}},
      {"G3 X9.999 Y0 I5 J0\nG91 G1 X10.001", {20, 0, 0}},
      {"G91 G3 X9.999 Y0 I5\nG2 X10.0015 Y0 I5\nG3 X-0.0005 Y10 R5\nG1 X-20 Y-10", {0, 0, 0}},
      // within the tolerance about the programmed centre, beyond it about the written start's
      {"G91 G3 X9.999 Y0 I5\nG2 X9.9985 Y0 I5\nG1 X-19.9975", {0, 0, 0}},
      {"G91 G3 X9.999 Y-0.0001 I5\nG1 Z-1\nG2 X10.0015 Y0.0001 I5\nG0 Z1\nG1 X-20 Y0", {0.0005, 0, 0}},
      {"G18 G91 G3 X9.999 Z0 I5\nG1 X10.001 Y3 Z0", {20, 3, 0}},
      {"G18 G91 G2 X9.999 Z0.0001 I5\nG2 X10.001 Z-0.0001 I5\nG1 X0.001 Z-1 Y2", {20.001, 2, -1}},
  };
  for (const Case& c : cases) {
    const std::array<double, 3> end = DriveEnd(RunProgram(c.program));
    for (int k = 0; k < 3; k++) EXPECT_NEAR(end[k], c.end[k], 1e-10) << c.program << " axis " << k;
  }
}

namespace {

std::string Listing(const std::vector<tagGcodeElement>& els) {
  std::string s;
  for (const auto& e : els) s += e.m_strType.str() + ": " + e.m_strParameters.str() + "\n";
  return s;
}

}  // namespace

TEST(GcodeMotion, ABlockRestatingThePositionWritesNoMove) {
  struct Case {
    const char* before;
    const char* restated;
    const char* warning;
  };
  const Case cases[] = {
      // 1.4 + (5.7 - 1.4) is not 5.7 in doubles
      {"G1 X1.4\nG1 X5.7\n", "G1 X5.7", "G1 motion: no axis words were specified"},
      {"G0 X1.4 Y1.4 Z1.4\nG0 X5.7 Y5.8 Z6.2\n", "G0 X5.7 Y5.8 Z6.2", "G0 motion: no axis words were specified"},
      {"G91 G3 X9.999 Y0 I5 J0\nG1 X10.001\n", "G90 G1 X20 Y0", "G1 motion: no axis words were specified"},
  };
  for (const Case& c : cases) {
    std::vector<tagGcodeElement> expected = RunProgram(c.before);
    expected.push_back(tagGcodeElement{"Free Text", CString("/* ") + c.warning + " */"});
    EXPECT_EQ(Listing(RunProgram((std::string(c.before) + c.restated).c_str())), Listing(expected)) << c.restated;
  }
}

TEST(GcodeMotion, AStraightMoveEndsExactlyOnItsTarget) {
  struct Case {
    const char* program;
    double x, y;
  };
  const Case cases[] = {
      {"G1 X1.4\nG1 X5.7 Y6.8", 5.7, 6.8},
      {"G3 X9.999 Y-0.0001 I5 J0\nG1 X5.7 Y6.8", 5.7, 6.8},
      {"G91 G3 X9.999 Y0 I5 J0\nG1 X10.001 Y0.3", 9.999 + 10.001, 0.3},
  };
  for (const Case& c : cases) {
    CGcodeTranslator t(TestSettings());
    RunProgram(t, c.program);
    EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_X), c.x) << c.program;
    EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_Y), c.y) << c.program;
  }
}

TEST(GcodeMotion, AStraightMoveTakesEveryLinearAxisBackOntoTheProgrammedPoint) {
  // An arc's written end lies on its start radius, beside the programmed end: the next straight move
  // takes every axis back, named by its block or not.
  const double kArc = NAN;  // not read: the written arc ends beside the programmed point
  struct Step {
    const char* block;
    std::array<double, 3> at;  // the programmed point after the block
  };
  const std::vector<Step> cases[] = {
      {{"G21 G91 G17", {0, 0, 0}}, {"G1 X0 Y0 F100", {0, 0, 0}}, {"G2 X5 Y5.0019 I5 J0", {kArc}},
       {"G1 X15", {20, 5.0019, 0}}, {"M2", {20, 5.0019, 0}}},
      {{"G21 G90 G17", {0, 0, 0}}, {"G1 X0 Y0 F100", {0, 0, 0}}, {"G2 X5 Y5.0019 I5 J0", {kArc}},
       {"G1 X20", {20, 5.0019, 0}}, {"G1 X30", {30, 5.0019, 0}}},
      {{"G3 X9.999 Y0.0015 I5 J0", {kArc}}, {"G0 Z-1", {9.999, 0.0015, -1}}, {"G91 G1 Z1", {9.999, 0.0015, 0}}},
      {{"G18 G2 X9.999 Z0.0015 I5", {kArc}}, {"G1 X20", {20, 0, 0.0015}}, {"G2 X29.999 Z-0.001 I5", {kArc}},
       {"G1 Y3", {29.999, 3, -0.001}}},
      {{"G91 G3 X9.999 Y0.0015 I5", {kArc}}, {"G18 G2 X9.999 Z0.0015 I5", {kArc}}, {"G1 Y1", {19.998, 1.0015, 0.0015}}},
      {{"G3 X9.999 Y0 I5", {kArc}}, {"G1 A10", {9.999, 0, 0}}},
  };
  for (const auto& steps : cases) {
    std::string program;
    for (const Step& s : steps) {
      program += std::string(s.block) + "\n";
      if (std::isnan(s.at[0])) continue;
      CGcodeTranslator t(TestSettings());
      const std::array<double, 3> end = DriveEnd(RunProgram(t, program.c_str()));
      for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(end[k], s.at[k], 1e-9) << program << "axis " << k;
        // after M2 the program starts again at zero
        if (std::string(s.block) != "M2") {
          EXPECT_NEAR(t.GetPosition(k), s.at[k], 1e-9) << program << "axis " << k;
        }
      }
    }
  }
}

TEST(GcodeMotion, AnInverseTimeMoveOnlyBackOntoThePathTakesTheBlocksTime) {
  // the block names no linear move of its own: the way back takes 1/F minutes
  for (const char* block : {"G1 X9.999", "G1 A10", "G91 G1 Y0"}) {
    const std::string program = std::string("G93 G3 X9.999 Y0 I5 F2\n") + block;
    auto els = RunProgram(program.c_str());
    ASSERT_FALSE(els.empty()) << block;
    auto items = Items(els[0].m_strParameters);
    EXPECT_EQ(items["SegmentType"], "1,0") << block;
    const std::vector<double> speed = List(items["CSPD"]), x = List(items["X_TPOS"]);
    ASSERT_EQ(speed.size(), 2u) << block;
    ASSERT_EQ(x.size(), 1u) << block;
    EXPECT_NE(x[0], 0) << block;
    EXPECT_NEAR(speed[1], 2 * std::fabs(x[0]), 1e-15) << block;
  }
}
