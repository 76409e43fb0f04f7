// Corner cases of the G-code tokens, expressions and blocks not covered by the main suite.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "views/gcode/GcodeTranslator.h"

namespace {

tagGcodeSettings EdgeSettings() {
  tagGcodeSettings s;
  const int slaves[6] = {0, 1, 3, 4, 5, 6};
  for (int k = 0; k < 6; k++) s.m_nAxisSlave[k] = slaves[k];
  s.m_nSpindleSlave = 2;
  return s;
}

std::string RunAndReportError(CGcodeTranslator& t, const char* program) {
  CString error;
  t.Translate(program, error);
  return error.str();
}

}  // namespace

TEST(GcodeEdge, FunctionNameAfterAWordLetterJoinsIt) {
  std::vector<CString> texts;
  std::vector<BYTE> kinds;
  for (const char* line : {"XABS[-1]", "X ABS[-1]"}) {
    ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine(line, texts, kinds)) << line;
    EXPECT_EQ(texts[0], "XABS") << line;
    EXPECT_EQ(kinds[0], 2) << line;
    CGcodeTranslator t(EdgeSettings());
    EXPECT_EQ(RunAndReportError(t, line),
              std::string("Error at line 1: unknown command 'XABS'!\n\nG-code block: ") + line);
  }
  CGcodeTranslator t(EdgeSettings());
  EXPECT_EQ(RunAndReportError(t, "G1 X[ABS[-1]]"), "");
  EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_X), 1);
}

TEST(GcodeEdge, NumbersWithTheirPointAtEitherEnd) {
  std::vector<CString> texts;
  std::vector<BYTE> kinds;
  ASSERT_TRUE(CGcodeTranslator::TokenizeGcodeLine("X.5Y5.", texts, kinds));
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1], ".5");
  EXPECT_EQ(kinds[1], CGcodeTranslator::TOKEN_DECIMAL);
  EXPECT_EQ(texts[3], "5.");
  EXPECT_EQ(kinds[3], CGcodeTranslator::TOKEN_DECIMAL);
  EXPECT_FALSE(CGcodeTranslator::TokenizeGcodeLine("X5.5.", texts, kinds));
  double v = 0;
  EXPECT_TRUE(CGcodeTranslator::ScanGcodeNumber(CGcodeTranslator::TOKEN_DECIMAL, ".5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_FALSE(CGcodeTranslator::ScanGcodeNumber(CGcodeTranslator::TOKEN_WORD, "X", v));
}

TEST(GcodeEdge, ModalGroupsAndRanksOfEveryListedCode) {
  const std::pair<double, int> groups[] = {
      {4, 0},  {10, 0}, {28, 0}, {30, 0}, {53, 0},   {92, 0},   {92.1, 0}, {92.2, 0}, {92.3, 0}, {0, 1},
      {1, 1},  {2, 1},  {3, 1},  {38.2, 1}, {80, 1}, {89, 1},   {17, 2},   {19, 2},   {90, 3},   {91, 3},
      {93, 5}, {94, 5}, {20, 6}, {21, 6}, {40, 7},   {45, 7},   {43, 8},   {49, 8},   {98, 10},  {99, 10},
      {54, 12}, {59, 12}, {59.1, 12}, {61, 13}, {61.1, 13}, {64, 13}, {38.1, -1}, {44, -1}, {92.4, -1},
  };
  for (const auto& g : groups) EXPECT_EQ(CGcodeTranslator::GetGcodeModalGroup(g.first), g.second) << g.first;
  const std::pair<double, int> mgroups[] = {{0, 4}, {1, 4}, {2, 4}, {30, 4}, {60, 4}, {6, 6},
                                            {3, 7}, {5, 7}, {7, 8}, {9, 8}, {48, 9}, {49, 9}, {10, -1}};
  for (const auto& g : mgroups) EXPECT_EQ(CGcodeTranslator::GetMcodeModalGroup(g.first), g.second) << g.first;

  CString error;
  const std::pair<double, int> ranks[] = {{93, 2}, {94, 2}, {17, 11}, {20, 12}, {42, 13}, {49, 14},
                                          {59.3, 15}, {64, 16}, {91, 17}, {99, 18}, {53, 19}, {0, 20}, {85, 20}};
  for (const auto& r : ranks) EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('G', r.first, error), r.second) << r.first;
  const std::pair<double, int> mranks[] = {{6, 6}, {4, 7}, {8, 8}, {48, 9}, {0, 21}, {60, 21}};
  for (const auto& r : mranks) EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('M', r.first, error), r.second) << r.first;
  for (char c : {'A', 'Q', 'Z', 'H', 'L'}) EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder(c, 1, error), 0) << c;
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('F', 1, error), 3);
  EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder('S', 1, error), 4);
  for (char c : {'D', 'E', 'N', 'O', 'U', 'V', 'W'}) {
    EXPECT_EQ(CGcodeTranslator::GetGcodeWordOrder(c, 1, error), -1) << c;
    EXPECT_EQ(error.str(), std::string("'") + c + "' - unknown word-starting letter");
  }
}

TEST(GcodeEdge, CoordinateSystemAlreadySelectedChangesNothing) {
  CGcodeTranslator t(EdgeSettings());
  EXPECT_EQ(RunAndReportError(t, "G10 L2 P1 X3\nG1 X10\nG54\nG54"), "");
  EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_X), 10);
  EXPECT_EQ(t.GetParameter(5220), 1);
  EXPECT_EQ(t.GetParameter(5221), 3);
}

TEST(GcodeEdge, ArcEndsOnItsStartRadiusTowardsTheProgrammedPoint) {
  // the end lies 0.001 inside the start radius, just below the centre's line
  CGcodeTranslator t(EdgeSettings());
  CString error;
  t.BeginRun();
  ASSERT_TRUE(t.TranslateLine(1, "G3 X9.999 Y-0.0001 I5 J0", error)) << error.str();
  const double scale = 5 / std::hypot(4.999, 0.0001);
  EXPECT_NEAR(t.GetPosition(CGcodeTranslator::AXIS_X), 5 + 4.999 * scale, 1e-12);
  EXPECT_NEAR(t.GetPosition(CGcodeTranslator::AXIS_Y), -0.0001 * scale, 1e-15);
  // a straight move takes Y back too, though its block names only X
  ASSERT_TRUE(t.TranslateLine(2, "G1 X20", error));
  EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_Y), -0.0001);
  // an arc on its radius ends as programmed
  ASSERT_TRUE(t.TranslateLine(3, "G2 X30 Y-0.0001 I5 J0", error)) << error.str();
  ASSERT_TRUE(t.TranslateLine(4, "G1 X40 Y0", error));
  ASSERT_TRUE(t.TranslateLine(5, "G3 X43 Y4 R5", error)) << error.str();
  EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_X), 43);
  EXPECT_EQ(t.GetPosition(CGcodeTranslator::AXIS_Y), 4);
  t.EndRun();
  EXPECT_EQ(t.GetElements()[1].m_strParameters.Find("Free Text"), -1);
  EXPECT_EQ(t.GetElements().size(), 2u);
}

TEST(GcodeEdge, EveryElementCarriesTheUnitsOfItsMoves) {
  struct Case {
    const char* program;
    std::vector<std::string> expected;  // fragments, one per element after the label, in order
  };
  const Case cases[] = {
      {"G20 G1 X1 F10 M2", {"CSPD[in/min]=1.00000000000000e+001 X_TPOS[in]=1.00000000000000e+000", "Free Text"}},
      {"G21 G1 X10\nG20 G1 X1", {"X_TPOS[mm]=1.00000000000000e+001", "X_TPOS[in]=6.06299212598425e-001"}},
      {"G20 G1 X1\nG21 G1 X30", {"X_TPOS[in]=1.00000000000000e+000", "X_TPOS[mm]=4.60000000000000e+000"}},
  };
  for (const Case& c : cases) {
    CGcodeTranslator t(EdgeSettings());
    EXPECT_EQ(RunAndReportError(t, c.program), "");
    const auto& els = t.GetElements();
    ASSERT_GT(els.size(), c.expected.size()) << c.program;
    for (size_t k = 0; k < c.expected.size(); k++) {
      const std::string text = els[k + 1].m_strType.str() + ": " + els[k + 1].m_strParameters.str();
      EXPECT_NE(text.find(c.expected[k]), std::string::npos) << c.program << "\n" << text;
    }
  }
}
