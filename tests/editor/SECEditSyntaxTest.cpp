#include "EditTestUtil.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const char kSection[] = "Text Editor\\Syntax Test";

std::string WriteFile(const std::string& name, const std::string& text) {
  std::string path = dravonix::test::ScratchDir("syntax") + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// A text object reading its syntax settings from kSection, with the motion-language delimiters.
struct Syntax : ::testing::Test {
  CWinApp app{"SyntaxTest"};
  SECEdit e;
  void Configure(const std::string& keywordFile, int nCase = 0) {
    app.WriteProfileString(kSection, "Keywords", keywordFile.c_str());
    app.WriteProfileInt(kSection, "Chroma", 1);
    app.WriteProfileInt(kSection, "Case", nCase);
    app.WriteProfileString(kSection, "Comment Start 1", "/*");
    app.WriteProfileString(kSection, "Comment End 1", "*/");
    app.WriteProfileString(kSection, "Comment Start 2", "//");
    app.WriteProfileString(kSection, "Comment End 2", "");
    app.WriteProfileString(kSection, "Extra word chars", "#!");
    app.WriteProfileString(kSection, "Start chars", "#");
    app.WriteProfileString(kSection, "Terminator chars", "!");
    e.SetProfileSection(kSection);
    e.LoadSettings();
  }
};

const char kKeywords[] =
    "[Keywords]\r\nbegin=\r\nend=ctrl\r\nthisisaverylongkeywordname=ctrl\r\nnocolor=missing\r\n"
    "[Colors]\r\nctrl=10,20,30\r\n";

}  // namespace

TEST(SECEditSyntaxColors, ParseAndFormat) {
  const struct {
    const char* text;
    COLORREF color;
  } cases[] = {{"0,128", RGB(0, 128, 0)},       {"300,0,0", RGB(44, 0, 0)}, {"", RGB(0, 0, 0)},
               {"1,2,3,4", RGB(1, 2, 3)},        {"123456,1,1", RGB(57, 1, 1)},  // 12345 % 256
               {"255,255,255", RGB(255, 255, 255)}};
  for (const auto& c : cases) EXPECT_EQ(SECEdit::ParseColor(c.text), c.color) << c.text;
  EXPECT_EQ(SECEdit::FormatColor(RGB(0, 128, 255)), "0,128,255");
}

TEST(SECEditSyntaxQuotes, CountsUnescapedQuotes) {
  const struct {
    const char* text;
    int place;
    BOOL in;
  } cases[] = {{"a \"bc\" d", 4, TRUE},  {"a \"bc\" d", 7, FALSE}, {"a \"bc", 4, FALSE},  // unterminated
               {"'x' 'y'", 5, TRUE},     {"\"a\\\"b\" c", 4, TRUE}, {"\"a\\\"b\" c", 8, FALSE},
               {"\\\"a\" b", 3, TRUE}};
  for (const auto& c : cases) EXPECT_EQ(SECEdit::IsInQuotes(c.text, c.place), c.in) << c.text << " @" << c.place;
}

TEST_F(Syntax, KeywordsMatchCaseAndTakeTheirColors) {
  Configure(WriteFile("kw.ini", kKeywords));
  ASSERT_TRUE(e.m_bChroma);
  const struct {
    const char* text;
    int start, end;
    COLORREF color;
  } cases[] = {{"x BEGIN y", 2, 7, RGB(0, 0, 255)},   {"Begin", 0, 5, RGB(0, 0, 255)},
               {"if end;", 3, 6, RGB(10, 20, 30)},    {"a ThisIsAVeryLongKeywordName", 2, 28, RGB(10, 20, 30)},
               {"nocolor", 0, 7, RGB(0, 0, 255)},      {"none here", -1, -1, 0}};
  for (const auto& c : cases) {
    const char* p = c.text;
    int start = -1, end = -1;
    BOOL hit = e.FindKeyword(&p, &start, &end);
    EXPECT_EQ(hit, c.start >= 0) << c.text;
    if (!hit) continue;
    EXPECT_EQ(start, c.start) << c.text;
    EXPECT_EQ(end, c.end) << c.text;
    EXPECT_EQ(p, c.text + c.start);
    EXPECT_EQ(e.m_crKeyword, c.color) << c.text;
  }
  EXPECT_EQ(e.m_pKeywords[SECEdit::HashKeyword("BEGIN")].nLength, 5);
  CString v;
  EXPECT_EQ(e.GetIniString("colors", "CTRL", "d", v), 8);
  EXPECT_EQ(v, "10,20,30");
  EXPECT_EQ(e.GetIniString("Colors", "none", "d", v), 0);
  EXPECT_EQ(v, "d");
}

TEST_F(Syntax, ExactCaseAndFallbacks) {
  Configure(WriteFile("kw.ini", kKeywords), 1);
  const char* p = "BEGIN begin";
  int s = 0, t = 0;
  ASSERT_TRUE(e.FindKeyword(&p, &s, &t));
  EXPECT_EQ(s, 6);
  // Keywords under the file's base name when [Keywords] is empty.
  Configure(WriteFile("motion.ini", "[Keywords]\r\n[motion]\r\nmove=\r\n"));
  p = "a MOVE";
  EXPECT_TRUE(e.FindKeyword(&p, &s, &t));
  // Missing or empty keyword files switch colouring off.
  for (std::string file : {std::string("/nonexistent/none.ini"), WriteFile("empty.ini", "")}) {
    Configure(file);
    EXPECT_FALSE(e.m_bChroma) << file;
    p = "begin";
    EXPECT_FALSE(e.FindKeyword(&p, &s, &t));
  }
  // Over-long delimiters are cut to their buffers.
  app.WriteProfileString(kSection, "Comment Start 1", "12345678901234567890");
  e.LoadSettings();
  EXPECT_STREQ(e.m_szCommentStart1, "123456789012345");
}

TEST_F(Syntax, WordsHonourExtraTerminatorAndStartChars) {
  Configure(WriteFile("kw.ini", kKeywords));
  const struct {
    const char* text;
    const char* word;
  } cases[] = {{"  #include x", "#include"}, {"ab#cd", "ab"}, {"go!on", "go!"}, {"__a_b1 ", "__a_b1"},
               {"x", nullptr},                {"  \r\n", nullptr}};
  for (const auto& c : cases) {
    int n = 0;
    const char* w = e.FindWord(c.text, &n);
    if (!c.word) {
      EXPECT_EQ(w, nullptr) << c.text;
      continue;
    }
    ASSERT_NE(w, nullptr) << c.text;
    EXPECT_EQ(std::string(w, (size_t)n), c.word);
  }
  // An empty profile section leaves the tables empty.
  e.SetProfileSection("");
  e.LoadSettings();
  EXPECT_FALSE(e.IsWordChar('#'));
}

TEST_F(Syntax, CommentStartsAndEnds) {
  Configure(WriteFile("kw.ini", kKeywords));
  const struct {
    const char* text;
    int at, style;
  } starts[] = {{"x /* y", 2, 1}, {"a // b /* c", 2, 2}, {"\"//\" x", -1, 0}, {"\"/*\" // real", 5, 2}, {"plain", -1, 0}};
  for (const auto& c : starts) {
    int style = 0;
    EXPECT_EQ(e.FindCommentStart(c.text, (int)strlen(c.text), &style), c.at) << c.text;
    if (c.at >= 0) {
      EXPECT_EQ(style, c.style) << c.text;
    }
  }
  const struct {
    const char* text;
    int style, result;
    BOOL inComment;
  } ends[] = {{"abc", 2, 3, FALSE}, {"a */ b", 1, 4, FALSE}, {"a b", 1, 3, TRUE}, {"*", 1, 1, TRUE}, {"x", 3, 0, FALSE}};
  for (const auto& c : ends) {
    e.m_bInComment = FALSE;
    EXPECT_EQ(e.FindCommentEnd(c.text, (int)strlen(c.text), c.style), c.result) << c.text;
    EXPECT_EQ(e.m_bInComment, c.inComment) << c.text;
  }
}

// The carried state of every line equals the walk back of IsInBlockComment, also after edits.
TEST_F(Syntax, LineCommentStatesMatchTheWalkBack) {
  Configure(WriteFile("kw.ini", kKeywords));
  const struct {
    const char* text;
    const char* states;  // per line: 0 outside, 1 inside a style-1 block
  } cases[] = {
      {"a\r\n/* b\r\nc\r\nd */\r\ne\r\n", "00110"},
      {"/* x */ y\r\nz\r\n", "00"},
      {"\"/*\" q\r\nr\r\n", "00"},         // a start inside quotes
      {"// /* no\r\nx\r\n", "00"},          // after the line comment
      {"/* a\r\n\r\nb\r\nc */\r\n", "0100"},  // an empty line ends it
      {"/* a */ /* b\r\nc\r\n", "01"},
  };
  for (const auto& c : cases) {
    SetText(e, c.text);
    e.m_nCommentValid = 0;
    int i = 0;
    for (tagLINEDESC* p = e.m_pLine; p; p = p->pNext, ++i) {
      BOOL walk = e.IsInBlockComment(p, "/*", "*/", "//");
      int style = 0;
      BOOL cached = e.IsLineInComment(p, &style);
      EXPECT_EQ(walk, c.states[i] == '1') << c.text << " line " << i + 1;
      EXPECT_EQ(cached, walk) << c.text << " line " << i + 1;
      if (cached) {
        EXPECT_EQ(style, 1);
      }
    }
  }
  // An edit above known states makes the lines below it ask again.
  SetText(e, "a\r\nb\r\nc\r\n");
  tagLINEDESC* last = e.GetLine(3);
  EXPECT_FALSE(e.IsLineInComment(last, nullptr));
  SECEditPos p = Pos(e, 1, 0);
  ASSERT_EQ(e.InsertChars(p, "/*", TRUE, FALSE), 0);
  EXPECT_TRUE(e.IsLineInComment(last, nullptr));
}

TEST(SECEditTyping, LastLineGainsTheLineEnd) {
  SECEdit e;
  SECEditPos p = Pos(e, 1, 0);
  for (char c : std::string("abc")) {
    ASSERT_EQ(e.InsertChar(p, c, TRUE, TRUE), 0);
    ++p.nOffset;
  }
  EXPECT_EQ(AllText(e), "abc\r\n");
  while (e.Undo()) {
  }
  EXPECT_EQ(AllText(e), "\r\n");
  SetText(e, "abcd");
  SECEditPos q = Pos(e, 1, 0);
  ASSERT_EQ(e.InsertChars(q, "", TRUE, TRUE), 0);
  ASSERT_EQ(e.InsertChar(q, 'a', TRUE, TRUE), 0);
  ASSERT_EQ(e.DeleteChar(q, TRUE), 0);
  EXPECT_EQ(AllText(e), "abcd\r\n");
  SECEditPos r = Pos(e, 1, 2);
  ASSERT_EQ(e.InsertText(r, "x\r\ny", -1, TRUE), 0);
  EXPECT_EQ(AllText(e), "abx\r\nycd\r\n");
}
