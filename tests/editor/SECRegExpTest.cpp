#include "editor/core/SECRegExp.h"

#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Group {
  int start;  // -1: the group took no part
  int len;
};

struct Case {
  const char* pattern;
  const char* subject;
  int offset;  // -1: no match
  int len;
  std::vector<Group> groups;  // groups 1, 2, ...
};

// Written from the grammar: leftmost match, first alternative first, greedy repetition, groups of the last
// iteration.
const std::vector<Case> kCases = {
    // literals and anchors
    {"abc", "xxabcxx", 2, 3, {}},
    {"abc", "ababc", 2, 3, {}},
    {"abc", "abd", -1, 0, {}},
    {"", "abc", 0, 0, {}},
    {"a", "", -1, 0, {}},
    {"^", "abc", 0, 0, {}},
    {"^", "", 0, 0, {}},
    {"$", "abc", 3, 0, {}},
    {"^abc$", "abc", 0, 3, {}},
    {"^abc$", "abcd", -1, 0, {}},
    {"^b", "ab", -1, 0, {}},
    {"b$", "abb", 2, 1, {}},
    {"a^b", "a^b", -1, 0, {}},
    {"a\\^b", "a^b", 0, 3, {}},
    {"a\\.c", "abc a.c", 4, 3, {}},
    {"a.c", "abc", 0, 3, {}},
    {".", "", -1, 0, {}},
    {"...", "ab", -1, 0, {}},
    {"\\(a\\)", "(a)", 0, 3, {}},
    {"a\\*", "aa*", 1, 2, {}},
    {"\\\\", "a\\b", 1, 1, {}},
    {"a\\|b", "a|b", 0, 3, {}},
    // repetition
    {"a*", "bbb", 0, 0, {}},
    {"a*", "aab", 0, 2, {}},
    {"ba*", "xbaaa", 1, 4, {}},
    {"abc*", "abccc", 0, 5, {}},
    {"abc*", "ab", 0, 2, {}},
    {"abc*", "abcabc", 0, 3, {}},
    {"ab+", "abbbc", 0, 4, {}},
    {"ab+", "a", -1, 0, {}},
    {"ab?c", "ac", 0, 2, {}},
    {"ab?c", "abc", 0, 3, {}},
    {"ab?c", "abbc", -1, 0, {}},
    {"a.*b", "xaxxbxxb", 1, 7, {}},
    {"a.*b", "a", -1, 0, {}},
    {"x+y", "xxxy", 0, 4, {}},
    {"[0-9]+", "ab123cd", 2, 3, {}},
    {"[0-9]*x", "12y34x", 3, 3, {}},
    {".*", "abc", 0, 3, {}},
    {"x*$", "abxx", 2, 2, {}},
    {"a+$", "aab aa", 4, 2, {}},
    {"b*a", "bbba", 0, 4, {}},
    // sets
    {"[abc]", "xxc", 2, 1, {}},
    {"[^abc]", "abcd", 3, 1, {}},
    {"[^abc]", "abc", -1, 0, {}},
    {"[]a]", "x]", 1, 1, {}},
    {"[]a]", "xa", 1, 1, {}},
    {"[a-]", "x-", 1, 1, {}},
    {"[a-]", "b", -1, 0, {}},
    {"[-a]", "-", 0, 1, {}},
    {"[a-c]+", "xxabcd", 2, 3, {}},
    {"[^]]+", "ab]c", 0, 2, {}},
    {"[a-a]", "a", 0, 1, {}},
    {"[^0-9]", "123a", 3, 1, {}},
    {"[.]", "a.b", 1, 1, {}},
    {"[a-c-e]", "d", 0, 1, {}},
    {"[a-z]+[0-9]", "ABC abc1", 4, 4, {}},
    {"\xe4[\xe0-\xff]", "x\xe4\xe9", 1, 2, {}},
    // alternation
    {"cat|dog", "hotdog", 3, 3, {}},
    {"cat|dog", "catdog", 0, 3, {}},
    {"a|ab", "ab", 0, 1, {}},
    {"ab|a", "ab", 0, 2, {}},
    {"|a", "a", 0, 0, {}},
    {"a|", "b", 0, 0, {}},
    {"x(a|b)y", "xby", 0, 3, {{1, 1}}},
    // groups
    {"(a)(b)(c)", "abc", 0, 3, {{0, 1}, {1, 1}, {2, 1}}},
    {"(a*)b", "aab", 0, 3, {{0, 2}}},
    {"(a+)+b", "aab", 0, 3, {{0, 2}}},
    {"(ab)*c", "ababc", 0, 5, {{2, 2}}},
    {"(ab)*c", "c", 0, 1, {{-1, 0}}},
    {"(a|b)*c", "abbac", 0, 5, {{3, 1}}},
    {"(a)|b", "b", 0, 1, {{-1, 0}}},
    {"((a)b)", "ab", 0, 2, {{0, 2}, {0, 1}}},
    {"(a(b)?)+", "aba", 0, 3, {{2, 1}, {1, 1}}},
    {"(x)?y", "y", 0, 1, {{-1, 0}}},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)", "abcdefghi", 0, 9,
     {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}}},
    {"^(a|b)+$", "abab", 0, 4, {{3, 1}}},
    {"^(a|b)+$", "abcb", -1, 0, {}},
    {"(.*)x", "axbx", 0, 4, {{0, 3}}},
    {"(.*)(x)", "axbx", 0, 4, {{0, 3}, {3, 1}}},
    {"a(.*)", "ab", 0, 2, {{1, 1}}},
    {"(a)*b", "aab", 0, 3, {{1, 1}}},
    {"(a|ab)(c|bcd)(d*)", "abcd", 0, 4, {{0, 1}, {1, 3}, {4, 0}}},
    {"([0-9]+)\\.([0-9]*)", "x = 12.5;", 4, 4, {{4, 2}, {7, 1}}},
    {"()", "abc", 0, 0, {{0, 0}}},
    // starts found by searching: alternatives of literals, a run before a literal, anchored alternatives
    {"(ax|dr)[0-9]+", "dax dr7", 4, 3, {{4, 2}}},
    {"(ax|dr)b", "axb", 0, 3, {{0, 2}}},
    {"(ax|dr)b", "adraxb", 3, 3, {{3, 2}}},
    {"(ax|dr)b", "axdr", -1, 0, {}},
    {"[0-9]+\\.[0-9]+", "v 12 3.5", 5, 3, {}},
    {"[0-9]+\\.[0-9]+", "1.2.3", 0, 3, {}},
    {"[0-9]+\\.[0-9]+", "12. .5", -1, 0, {}},
    {"a*b", "aacaab", 3, 3, {}},
    {"a*b", "ccb", 2, 1, {}},
    {"(^ab|cd)x", "abx", 0, 3, {{0, 2}}},
    {"(^ab|cd)x", "zabx", -1, 0, {}},
};

// Compiles, runs and checks one case; describes a mismatch.
std::string RunCase(const Case& c) {
  SECRegExp re;
  if (re.Compile(c.pattern) == nullptr) return "does not compile";
  int off = re.Execute(c.subject);
  if (off != c.offset) return "offset " + std::to_string(off);
  if (off < 0) return re.GetMatch() == nullptr ? "" : "match copy without a match";
  int len = (int)(re.GetGroupEnd(0) - re.GetGroupStart(0));
  if (re.GetGroupStart(0) != c.subject + off) return "group 0 start";
  if (len != c.len) return "length " + std::to_string(len);
  if (std::string(re.GetMatch()) != std::string(c.subject + off, (size_t)len)) return "match copy";
  for (int g = 1; g < SECRegExp::NSUBEXP; ++g) {
    Group want = g <= (int)c.groups.size() ? c.groups[(size_t)g - 1] : Group{-1, 0};
    const char* s = re.GetGroupStart(g);
    const char* e = re.GetGroupEnd(g);
    if (want.start < 0) {
      if (s != nullptr || e != nullptr) return "group " + std::to_string(g) + " is set";
      continue;
    }
    if (s == nullptr || e == nullptr) return "group " + std::to_string(g) + " is not set";
    if (s - c.subject != want.start || e - s != want.len)
      return "group " + std::to_string(g) + " at " + std::to_string(s - c.subject) + "+" + std::to_string(e - s);
  }
  return "";
}

bool Compiles(const char* pattern) {
  SECRegExp re;
  return re.Compile(pattern) != nullptr;
}

std::string Expand(const char* pattern, const char* subject, const char* tmpl) {
  SECRegExp re;
  EXPECT_NE(re.Compile(pattern), nullptr) << pattern;
  EXPECT_GE(re.Execute(subject), 0) << pattern;
  char* p = re.Substitute(tmpl);
  std::string r = p ? p : "<null>";
  delete[] p;
  return r;
}

double Seconds(const std::chrono::steady_clock::time_point& t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

TEST(SECRegExp, TableOfPatterns) {
  ASSERT_GE(kCases.size(), 60u);
  for (const Case& c : kCases) EXPECT_EQ(RunCase(c), "") << "pattern \"" << c.pattern << "\" on \"" << c.subject << "\"";
}

TEST(SECRegExp, EdgeCasesOfTheGrammar) {
  SECRegExp re;
  ASSERT_EQ(re.Compile("^"), &re);
  EXPECT_EQ(re.Execute("xyz"), 0);
  EXPECT_EQ(re.GetGroupEnd(0) - re.GetGroupStart(0), 0);
  ASSERT_NE(re.Compile("a*"), nullptr);
  EXPECT_EQ(re.Execute("bcd"), 0);
  EXPECT_EQ(re.GetGroupEnd(0) - re.GetGroupStart(0), 0);
  // Matching stops at the first NUL.
  ASSERT_NE(re.Compile("c"), nullptr);
  EXPECT_EQ(re.Execute("ab\0c"), -1);
  // A run of several characters before "*" repeats only its last one.
  ASSERT_NE(re.Compile("abc*"), nullptr);
  EXPECT_EQ(re.Execute("abcabc"), 0);
  EXPECT_STREQ(re.GetMatch(), "abc");
  EXPECT_EQ(re.Execute("ab"), 0);
  EXPECT_STREQ(re.GetMatch(), "ab");
  EXPECT_EQ(re.Execute("xaabccd"), 2);
  EXPECT_STREQ(re.GetMatch(), "abcc");
  // Sets with ] and - as members.
  EXPECT_TRUE(Compiles("[]a]"));
  EXPECT_TRUE(Compiles("[a-]"));
  EXPECT_TRUE(Compiles("[]-a]"));
  EXPECT_TRUE(Compiles("|"));
  EXPECT_TRUE(Compiles("()"));
  // Signed byte order: high bytes sort below ASCII.
  EXPECT_TRUE(Compiles("[\x80-\xff]"));
  EXPECT_FALSE(Compiles("[a-\xe9]"));
  ASSERT_NE(re.Compile("[\xe9-b]"), nullptr);
  EXPECT_EQ(re.Execute("\xff"), 0);
  EXPECT_EQ(re.Execute("A"), 0);
  EXPECT_EQ(re.Execute("c"), -1);
}

TEST(SECRegExp, MalformedPatternsFail) {
  const char* bad[] = {
      "**", "*a", "+a", "?a", "a**", "a*+", "a+?", "a??", "a?*", "(", ")", "a)", "(a", "(a))", "((a)",
      "[a", "[", "[]", "[^", "[^]", "[a-", "[z-a]", "[9-0]", "\\", "a\\", "(a*)*", "(a*)+", "(a?)*",
      "(|a)*", "(^)*", "$+", "^*", "()+", "a|*", "(*a)", "(a|+)", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)",
      "((((((((((a))))))))))",
  };
  for (const char* p : bad) {
    SECRegExp re;
    EXPECT_EQ(re.Compile(p), nullptr) << p;
    EXPECT_FALSE(re.IsCompiled()) << p;
    EXPECT_EQ(re.GetProgram(), nullptr) << p;
    EXPECT_EQ(re.Execute("a*(a)[]-z"), -1) << p;
  }
  SECRegExp re;
  EXPECT_EQ(re.Compile(nullptr), nullptr);
  // A failed compilation drops the program of the previous one.
  ASSERT_NE(re.Compile("a"), nullptr);
  EXPECT_EQ(re.Execute("a"), 0);
  EXPECT_EQ(re.Compile("a**"), nullptr);
  EXPECT_EQ(re.Execute("a"), -1);
  EXPECT_EQ(re.GetMatch(), nullptr);
  // Nine groups compile, the tenth does not.
  EXPECT_TRUE(Compiles("(((((((((a)))))))))"));
  EXPECT_FALSE(Compiles("((((((((((a))))))))))"));
}

TEST(SECRegExp, ExecuteRefusesWithoutSubjectOrProgram) {
  SECRegExp re;
  EXPECT_EQ(re.Execute("abc"), -1);
  ASSERT_NE(re.Compile("b"), nullptr);
  EXPECT_EQ(re.Execute(nullptr), -1);
  EXPECT_EQ(re.Execute("abc"), 1);
  EXPECT_STREQ(re.GetMatch(), "b");
  EXPECT_EQ(re.Execute("xyz"), -1);
  EXPECT_EQ(re.GetMatch(), nullptr);
  EXPECT_EQ(re.GetGroupStart(0), nullptr);
  char* p = re.Substitute("&");
  EXPECT_EQ(p, nullptr);
  delete[] p;
}

TEST(SECRegExp, ProgramLayoutAndSearchHints) {
  SECRegExp re;
  ASSERT_NE(re.Compile("ab"), nullptr);
  const BYTE ab[] = {6, 9, 0, 8, 6, 0, 'a', 'b', 0, 0, 0, 0};
  ASSERT_EQ(re.GetProgramSize(), (int)sizeof(ab));
  EXPECT_EQ(memcmp(re.GetProgram(), ab, sizeof(ab)), 0);
  EXPECT_EQ(re.GetFirstByte(), 'a');
  EXPECT_FALSE(re.IsAnchored());
  EXPECT_EQ(re.GetMustText(), nullptr);

  ASSERT_NE(re.Compile("abc*"), nullptr);
  const BYTE abcstar[] = {6, 17, 0, 8, 6, 0, 'a', 'b', 0, 10, 8, 0, 8, 0, 0, 'c', 0, 0, 0, 0};
  ASSERT_EQ(re.GetProgramSize(), (int)sizeof(abcstar));
  EXPECT_EQ(memcmp(re.GetProgram(), abcstar, sizeof(abcstar)), 0);

  // A loop links back with BACK: BRANCH (OPEN1 .. CLOSE1, BACK) | BRANCH NOTHING, then END.
  ASSERT_NE(re.Compile("(a)*"), nullptr);
  const BYTE loop[] = {6,  29, 0, 6, 20, 0, 21, 3, 0, 6, 8, 0, 8, 5, 0, 'a', 0,
                       31, 3,  0, 7, 17, 0, 6,  3, 0, 9, 3, 0, 0, 0, 0};
  ASSERT_EQ(re.GetProgramSize(), (int)sizeof(loop));
  EXPECT_EQ(memcmp(re.GetProgram(), loop, sizeof(loop)), 0);

  ASSERT_NE(re.Compile("^ab"), nullptr);
  EXPECT_TRUE(re.IsAnchored());
  EXPECT_EQ(re.GetFirstByte(), 0);
  ASSERT_NE(re.Compile("x*abc"), nullptr);
  EXPECT_EQ(std::string(re.GetMustText(), (size_t)re.GetMustLength()), "abc");
  ASSERT_NE(re.Compile("x*ab(cd)ef"), nullptr);
  EXPECT_EQ(std::string(re.GetMustText(), (size_t)re.GetMustLength()), "ef");
  EXPECT_EQ(re.Execute("xxabcdef"), 0);
  EXPECT_EQ(re.Execute("xxabcdeg"), -1);
  ASSERT_NE(re.Compile("a*b|cd"), nullptr);
  EXPECT_EQ(re.GetMustText(), nullptr);
  EXPECT_EQ(re.GetFirstByte(), 0);
}

TEST(SECRegExp, SubstituteExpandsTheTemplate) {
  EXPECT_EQ(Expand("b", "abc", "\\&"), "&");
  EXPECT_EQ(Expand("b", "abc", "[&]"), "[b]");
  EXPECT_EQ(Expand("b", "abc", "\\\\"), "\\");
  EXPECT_EQ(Expand("b", "abc", "\\q"), "\\q");
  EXPECT_EQ(Expand("b", "abc", "x\\"), "x\\");
  EXPECT_EQ(Expand("([a-z]+)=([0-9]+)", "set speed=300;", "\\2:\\1"), "300:speed");
  EXPECT_EQ(Expand("([a-z]+)=([0-9]+)", "set speed=300;", "\\0|\\3|\\9"), "speed=300||");
  EXPECT_EQ(Expand("(x)?y", "y", "<\\1>"), "<>");
  EXPECT_EQ(Expand("a()b", "ab", "<\\1>"), "<>");
  SECRegExp re;
  ASSERT_NE(re.Compile("b"), nullptr);
  ASSERT_EQ(re.Execute("abc"), 1);
  EXPECT_EQ(re.Substitute(nullptr), nullptr);
}

TEST(SECRegExp, SubstituteOutlivesTheSubject) {
  SECRegExp re;
  ASSERT_NE(re.Compile("([a-z]+)([0-9])"), nullptr);
  {
    std::string subject = "  axis7 ";
    ASSERT_EQ(re.Execute(subject.c_str()), 2);
    subject.assign(100, 'z');
  }
  char* p = re.Substitute("\\2-\\1-&");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "7-axis-axis7");
  delete[] p;
}

TEST(SECRegExp, IgnoringCaseLowersPatternAndText) {
  // The find lowers both when case is ignored; an upper-case range then finds lower-case letters.
  CString pattern("[A-Z]+X");
  CString subject("Speed MAX");
  pattern.MakeLower();
  subject.MakeLower();
  SECRegExp re;
  ASSERT_NE(re.Compile(pattern), nullptr);
  EXPECT_EQ(re.Execute(subject), 6);
  EXPECT_STREQ(re.GetMatch(), "max");
  ASSERT_NE(re.Compile("[A-Z]+X"), nullptr);
  EXPECT_EQ(re.Execute("Speed max"), -1);
}

TEST(SECRegExp, FindLineStopsAtCarriageReturn) {
  SECRegExp re;
  int len = -1;
  CString expansion("old");
  const char line[] = "move x10\r\n";
  ASSERT_NE(re.Compile("x([0-9]+)$"), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, &len, "y\\1", &expansion), line + 5);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(expansion, "y10");
  ASSERT_NE(re.Compile("\n"), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, &len, "z", &expansion), nullptr);
  EXPECT_EQ(expansion, "");
  ASSERT_NE(re.Compile("0."), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, &len, nullptr, nullptr), nullptr);
  ASSERT_NE(re.Compile("o"), nullptr);
  EXPECT_EQ(RegexFindLine(re, line, &len, nullptr, nullptr), line + 1);
  EXPECT_EQ(len, 1);
  EXPECT_EQ(RegexFindLine(re, nullptr, &len, nullptr, nullptr), nullptr);
  // Each match expands the template as typed: the template is not consumed.
  ASSERT_NE(re.Compile("([0-9])"), nullptr);
  EXPECT_NE(RegexFindLine(re, "a1", &len, "<\\1>", &expansion), nullptr);
  EXPECT_EQ(expansion, "<1>");
  EXPECT_NE(RegexFindLine(re, "b2", &len, "<\\1>", &expansion), nullptr);
  EXPECT_EQ(expansion, "<2>");
}

TEST(SECRegExp, LongLinesDoNotExhaustTheStack) {
  SECRegExp re;
  for (size_t n : {size_t(16384), size_t(200000)}) {
    std::string line(n, 'a');
    line += 'b';
    ASSERT_NE(re.Compile("(a|b)*b"), nullptr);
    EXPECT_EQ(re.Execute(line.c_str()), 0);
    EXPECT_EQ(re.GetGroupEnd(0) - re.GetGroupStart(0), (ptrdiff_t)n + 1);
    EXPECT_EQ(re.GetGroupStart(1) - line.c_str(), (ptrdiff_t)n - 1);
    ASSERT_NE(re.Compile("^(a)*$"), nullptr);
    EXPECT_EQ(re.Execute(line.c_str()), -1);
    ASSERT_NE(re.Compile("(ab|a)*b$"), nullptr);
    EXPECT_EQ(re.Execute(line.c_str()), 0);
    ASSERT_NE(re.Compile("a*b"), nullptr);
    EXPECT_EQ(re.Execute(line.c_str()), 0);
  }
}

TEST(SECRegExp, PathologicalPatternsFinishInBoundedTime) {
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(Compiles("(a*)*b"));
  std::string run(20000, 'a');
  struct {
    const char* pattern;
    std::string subject;
    int offset;
  } cases[] = {
      {"(a+)+b", run + "cb", -1},
      {"(a|aa)*b", run + "cb", 20001},
      {"(a|a)*b", run + "cb", 20001},
      {"(a|aa)+b", run + "cb", -1},
      {"(a|a)+b", run + "cb", -1},
      {"(a+a+)+b", run + "cb", -1},
      {"((a|a)(a|a))*$", run + "c", 20001},
      {"[a-z]*[a-z]*[a-z]*[a-z]*1", run + "2 1", 20002},
      {"(a|aa)*c", run + "baac", 20001},
  };
  for (size_t maxCells : {size_t(1) << 24, size_t(0)}) {
    for (auto& c : cases) {
      SECRegExp re;
      re.SetMemoThreshold(SIZE_MAX, maxCells);
      ASSERT_NE(re.Compile(c.pattern), nullptr) << c.pattern;
      auto t1 = std::chrono::steady_clock::now();
      EXPECT_EQ(re.Execute(c.subject.c_str()), c.offset) << c.pattern;
      EXPECT_LT(Seconds(t1), 2.0 * dravonix::test::kTimeFactor) << c.pattern << " with at most " << maxCells << " cells";
    }
  }
  // The memo must not change which groups win.
  SECRegExp re;
  ASSERT_NE(re.Compile("(a|aa)*c"), nullptr);
  std::string s = run + "baac";
  ASSERT_EQ(re.Execute(s.c_str()), 20001);
  EXPECT_EQ(re.GetGroupStart(1) - s.c_str(), 20002);
  EXPECT_EQ(re.GetGroupEnd(1) - s.c_str(), 20003);
  EXPECT_LT(Seconds(t0), 20.0 * dravonix::test::kTimeFactor);
}

TEST(SECRegExp, ProgramsBeyondTheLinkRangeAreRefused) {
  SECRegExp re;
  std::string ok(30000, 'x');
  ASSERT_NE(re.Compile(ok.c_str()), nullptr);
  EXPECT_EQ(re.Execute(("y" + ok).c_str()), 1);
  std::string big(40000, 'x');
  EXPECT_EQ(re.Compile(big.c_str()), nullptr);
  // Ranges multiply a short pattern into a long program.
  std::string sets;
  for (int i = 0; i < 300; ++i) sets += "[\x01-\x7f]";
  EXPECT_EQ(re.Compile(sets.c_str()), nullptr);
  std::string alts;
  for (int i = 0; i < 9000; ++i) alts += "ab|";
  alts += "c";
  EXPECT_EQ(re.Compile(alts.c_str()), nullptr);
  EXPECT_EQ(re.Execute("c"), -1);
}

namespace {

// The classic recursive matcher over the compiled program, as a reference for small subjects.
struct ReferenceMatcher {
  const BYTE* prog;
  const char* bol;
  const char* in;
  const char* st[SECRegExp::NSUBEXP];
  const char* en[SECRegExp::NSUBEXP];

  int Next(int p) const {
    int off = prog[p + 1] | (prog[p + 2] << 8);
    if (off == 0) return -1;
    return prog[p] == SECRegExp::BACK ? p - off : p + off;
  }
  size_t Repeat(int p) const {
    const char* opnd = reinterpret_cast<const char*>(prog + p + 3);
    const char* s = in;
    switch (prog[p]) {
      case SECRegExp::ANY: return strlen(s);
      case SECRegExp::EXACTLY: while (*s == *opnd) ++s; break;
      case SECRegExp::ANYOF: while (*s && strchr(opnd, *s)) ++s; break;
      case SECRegExp::ANYBUT: while (*s && !strchr(opnd, *s)) ++s; break;
    }
    return (size_t)(s - in);
  }
  bool Match(int pc) {
    while (pc >= 0) {
      int nx = Next(pc);
      const int op = prog[pc];
      const char* opnd = reinterpret_cast<const char*>(prog + pc + 3);
      switch (op) {
        case SECRegExp::END: return true;
        case SECRegExp::BOL: if (in != bol) return false; break;
        case SECRegExp::EOL: if (*in) return false; break;
        case SECRegExp::ANY: if (!*in) return false; ++in; break;
        case SECRegExp::ANYOF: if (!*in || !strchr(opnd, *in)) return false; ++in; break;
        case SECRegExp::ANYBUT: if (!*in || strchr(opnd, *in)) return false; ++in; break;
        case SECRegExp::EXACTLY: {
          size_t n = strlen(opnd);
          if (strncmp(opnd, in, n) != 0) return false;
          in += n;
          break;
        }
        case SECRegExp::NOTHING: case SECRegExp::BACK: break;
        case SECRegExp::BRANCH:
          if (nx < 0 || prog[nx] != SECRegExp::BRANCH) {
            nx = pc + 3;
            break;
          }
          for (int sc = pc; sc >= 0 && prog[sc] == SECRegExp::BRANCH; sc = Next(sc)) {
            const char* save = in;
            if (Match(sc + 3)) return true;
            in = save;
          }
          return false;
        case SECRegExp::STAR: case SECRegExp::PLUS: {
          char nextch = nx >= 0 && prog[nx] == SECRegExp::EXACTLY ? (char)prog[nx + 3] : '\0';
          int64_t minimum = op == SECRegExp::STAR ? 0 : 1;
          const char* save = in;
          for (int64_t k = (int64_t)Repeat(pc + 3); k >= minimum; --k) {
            in = save + k;
            if ((nextch == '\0' || *in == nextch) && Match(nx)) return true;
          }
          return false;
        }
        default:
          if (op > SECRegExp::OPEN && op < SECRegExp::OPEN + SECRegExp::NSUBEXP) {
            const char* save = in;
            if (!Match(nx)) return false;
            if (!st[op - SECRegExp::OPEN]) st[op - SECRegExp::OPEN] = save;
            return true;
          }
          if (op > SECRegExp::CLOSE && op < SECRegExp::CLOSE + SECRegExp::NSUBEXP) {
            const char* save = in;
            if (!Match(nx)) return false;
            if (!en[op - SECRegExp::CLOSE]) en[op - SECRegExp::CLOSE] = save;
            return true;
          }
          return false;
      }
      pc = nx;
    }
    return false;
  }
  int Execute(const BYTE* program, const char* subject) {
    prog = program;
    bol = subject;
    for (const char* s = subject;; ++s) {
      for (int i = 0; i < SECRegExp::NSUBEXP; ++i) st[i] = en[i] = nullptr;
      in = s;
      if (Match(0)) {
        st[0] = s;
        en[0] = in;
        return (int)(s - subject);
      }
      if (!*s) return -1;
    }
  }
};

}  // namespace

TEST(SECRegExp, AgreesWithTheRecursiveMatcher) {
  uint32_t seed = 12345;
  auto rnd = [&](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const char alphabet[] = "aab.()|*+?[]^$\\-b(a)";
  int compiled = 0, compared = 0;
  for (int i = 0; i < 40000; ++i) {
    std::string pattern;
    for (uint32_t n = 1 + rnd(10); n > 0; --n) pattern += alphabet[rnd(sizeof(alphabet) - 1)];
    SECRegExp re, memo, mapped;
    if (re.Compile(pattern.c_str()) == nullptr) {
      EXPECT_EQ(memo.Compile(pattern.c_str()), nullptr);
      continue;
    }
    ASSERT_NE(memo.Compile(pattern.c_str()), nullptr);
    ASSERT_NE(mapped.Compile(pattern.c_str()), nullptr);
    memo.SetMemoThreshold(0);
    mapped.SetMemoThreshold(0, 0);
    ++compiled;
    for (int j = 0; j < 8; ++j) {
      std::string subject;
      for (uint32_t n = rnd(16); n > 0; --n) subject += "abc-"[rnd(4)];
      ReferenceMatcher ref;
      int want = ref.Execute(re.GetProgram(), subject.c_str());
      for (SECRegExp* r : {&re, &memo, &mapped}) {
        ASSERT_EQ(r->Execute(subject.c_str()), want) << pattern << " on " << subject;
        ++compared;
        if (want < 0) continue;
        for (int g = 0; g < SECRegExp::NSUBEXP; ++g) {
          ASSERT_EQ(r->GetGroupStart(g), ref.st[g]) << pattern << " on " << subject << " group " << g;
          ASSERT_EQ(r->GetGroupEnd(g), ref.en[g]) << pattern << " on " << subject << " group " << g;
        }
      }
    }
  }
  EXPECT_GT(compiled, 3000);
  EXPECT_GT(compared, 80000);
}
