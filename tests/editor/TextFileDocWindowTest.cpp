// Text documents met through their windows: a file rewritten by another program and reloaded or
// kept, marks, compiler errors walked in the output window, and output arriving in it and the console.
// After each step the view shows what a full repaint shows, holds its top and caret lines at their
// numbers, and its thumb stands at its top line.
#include "EditTestUtil.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"
#include "tests/support/TextFileWindows.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <fstream>
#include <random>

namespace UA = UiAutomation;

namespace {

struct Window : testtext::View {
  // "" or what the window shows or holds wrongly.
  std::string Wrong() {
    SECEdit& e = *GetEdit();
    std::string bad;
    if (m_nTopLine != (int)e.LineNumber(m_pTopLine)) bad += "top number ";
    if (m_nCurLine != (int)e.LineNumber(m_pCurLine)) bad += "caret number ";
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(SB_VERT, &si);
    if (si.nPos != std::min(m_nTopLine - 1, std::max(si.nMin, si.nMax - std::max((int)si.nPage, 1) + 1)))
      bad += "thumb " + std::to_string(si.nPos) + " top " + std::to_string(m_nTopLine) + " ";
    if (dravonix::test::PixelsOffFullRepaint(m_hWnd) != 0) bad += "picture ";
    return bad;
  }
};

void Rewrite(const std::string& path, const std::string& text, time_t t) {
  std::ofstream(path, std::ios::binary) << text;
  utimbuf times{t, t};
  utime(path.c_str(), &times);
}

struct TextFileWindows : ::testing::Test {
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
  }
  void TearDown() override { Clock::UseRealTime(); }
  Window* Show(CDocument* doc) {
    auto* w = new Window;  // deletes itself with its window
    EXPECT_TRUE(w->Open(doc, 0, 300, 160));
    UA::Pump();
    return w;
  }
  CWinApp app{"TextFileWindows"};
};

}  // namespace

TEST_F(TextFileWindows, AFileRewrittenElsewhereIsReloadedOrKeptInItsWindow) {
  auto* tmpl = new CTextFileDocTemplate(0, RUNTIME_CLASS(CTextFileDoc), nullptr, nullptr);
  app.AddDocTemplate(tmpl);
  const std::string path = dravonix::test::ScratchDir("text-windows") + "/prog.txt";
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\r\n";
  Rewrite(path, text, 3000000);
  testtext::Doc doc;
  ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
  doc.SetPathName(path.c_str(), FALSE);
  tmpl->AddDocument(&doc);
  Window* w = Show(&doc);
  // The user reads further down, the caret on a line there.
  for (int i = 0; i < 12; ++i) dravonix::test::bars::Press(w->m_hWnd, dravonix::test::kDownArrow);
  UA::Click(w->m_hWnd, CPoint(60, w->m_nLineHeight * 2 + 2));
  ASSERT_EQ(w->m_nTopLine, 13);
  ASSERT_EQ(w->Wrong(), "");
  // A second window on the text starts where the active one stands, its thumb too.
  doc.m_pActiveView = w;
  Window* second = Show(&doc);
  EXPECT_EQ(second->m_nTopLine, 13);
  EXPECT_EQ(second->Wrong(), "");
  second->Close();

  // Rewritten shorter; Yes reloads: the window goes to the top of the new text.
  Rewrite(path, "alpha\r\nbeta\r\n", 3000004);
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  tmpl->OnIdle(0);
  UA::Pump();
  EXPECT_EQ(Lines(*doc.GetEdit()), (std::vector<std::string>{"alpha\r\n", "beta\r\n"}));
  EXPECT_EQ(std::make_pair(w->m_nTopLine, w->m_nCurLine), std::make_pair(1, 1));
  EXPECT_EQ(w->Wrong(), "");

  // Typed into, rewritten again: the warning's default button, No, keeps the typed text.
  UA::TypeText("x");
  UA::Pump();
  Rewrite(path, "gamma\r\n", 3000008);
  const int defaultButton = IDNO;
  Automation::Instance().PushMessageBoxAnswer(defaultButton);
  tmpl->OnIdle(0);
  UA::Pump();
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 2u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[1].type & 0xF00u, (UINT)MB_DEFBUTTON2);
  EXPECT_EQ(Lines(*doc.GetEdit())[0], "xalpha\r\n");
  EXPECT_TRUE(doc.GetEdit()->IsModified());
  EXPECT_EQ(w->Wrong(), "");
  w->Close();
  tmpl->RemoveDocument(&doc);
}

// The output window follows its growing text while its caret stands on the last line: the newest line
// on the bottom row; a user reading further up is left where he is.
TEST_F(TextFileWindows, TheOutputWindowFollowsItsEndOnlyFromTheLastLine) {
  testtext::Doc doc;
  doc.InitializeOutputDoc();
  Window* w = Show(&doc);
  enum { kAppend, kClickRow2, kCtrlEnd };
  const struct {
    int op;
    bool follows;  // after the step: the last line is the caret's, on the bottom row
  } steps[] = {{kAppend, true}, {kAppend, true}, {kAppend, true}, {kAppend, true}, {kAppend, true},
               {kClickRow2, false}, {kAppend, false}, {kAppend, false}, {kCtrlEnd, true}, {kAppend, true}};
  int step = 0;
  for (const auto& s : steps) {
    const int top = w->m_nTopLine;
    if (s.op == kAppend) doc.InsertTextAtEnd("x\r\ny\r\nz\r\n");
    if (s.op == kClickRow2) UA::Click(w->m_hWnd, CPoint(30, w->m_nLineHeight * 2 + 2));
    if (s.op == kCtrlEnd) UA::PressKey(VK_END, UA::kControl);
    UA::Pump();
    const int lines = doc.GetEdit()->m_nLineCount, rows = w->VisibleRows();
    const bool follows = w->m_nCurLine == lines && w->m_nTopLine == std::max(1, lines - rows + 1);
    EXPECT_EQ(follows, s.follows) << step << ": top " << w->m_nTopLine << " of " << lines;
    const bool kept = s.op != kAppend || s.follows || w->m_nTopLine == top;
    EXPECT_TRUE(kept) << step;
    EXPECT_EQ(w->Wrong(), "") << step;
    ++step;
  }
  w->Close();
}

TEST_F(TextFileWindows, CompilerErrorsWalkedInTheOutputWindow) {
  testtext::Doc doc;
  doc.InitializeOutputDoc();
  std::string out = "compiling\r\n";
  for (int i = 0; i < 12; ++i) out += "note\r\n";
  out += "\"a.zur\", line 3: bad\r\nmore\r\n\"b.zur\", line 7: worse\r\n";
  doc.InsertTextAtEnd(out.c_str());
  Window* w = Show(&doc);
  EXPECT_EQ(w->Wrong(), "");
  const struct {
    bool next;  // else previous
    bool found;
    int line;  // the caret's line after the step
  } steps[] = {{true, true, 14}, {true, true, 16}, {true, false, 16}, {false, true, 16}, {false, true, 14}};
  for (const auto& s : steps) {
    CString file;
    int number = 0;
    const BOOL found = s.next ? doc.OutputGetNextErrorLine(file, number) : doc.OutputGetPrevErrorLine(file, number);
    EXPECT_EQ(found != FALSE, s.found);
    UA::Pump();
    EXPECT_EQ(w->m_nCurLine, s.line) << s.next;
    EXPECT_EQ(w->Wrong(), "") << s.next << " " << s.line;
  }
  w->Close();
}

// The debugger's current statement and a compiler error marked in a source window: the window goes to
// the line, and a mark taken off leaves no trace.
TEST_F(TextFileWindows, MarksSetAndResetInASourceWindow) {
  testtext::Doc doc;
  doc.OnNewDocument();
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "statement " + std::to_string(i) + "\r\n";
  SetText(*doc.GetEdit(), text);
  Window* w = Show(&doc);
  const struct {
    int op;  // 0 statement, 1 statement off, 2 error, 3 error off
    int line;
    int caret;  // the caret's line after the step
  } steps[] = {{0, 25, 25}, {2, 30, 30}, {1, 0, 30}, {0, 3, 3}, {3, 0, 3}, {2, 26, 26}, {0, 27, 27}, {1, 0, 27}};
  for (const auto& s : steps) {
    BOOL set = TRUE;
    if (s.op == 0) set = doc.SetCurrentStmt(s.line);
    if (s.op == 1) doc.ResetCurrentStmt();
    if (s.op == 2) set = doc.SetCurrentErrorLine(s.line);
    if (s.op == 3) doc.ResetCurrentErrorLine();
    EXPECT_TRUE(set);
    UA::Pump();
    EXPECT_EQ(w->m_nCurLine, s.caret) << s.op << " " << s.line;
    EXPECT_EQ(w->Wrong(), "") << s.op << " " << s.line;
  }
  w->Close();
}

namespace {

enum OutputOp { kText, kTail, kError, kOneLine, kClear, kUp, kDown, kClickRow2, kCtrlEnd, kCtrlHome, kNextError, kOps };
const char* const kOutputOpNames[] = {"text", "tail", "error", "oneline", "clear", "up", "down", "click", "ctrlend",
                                      "ctrlhome", "nexterror"};

// Plays the steps on an output (or console) window; "" or the steps up to the first that went wrong, and what.
std::string PlayOutput(const std::vector<OutputOp>& ops, bool console = false) {
  testtext::Doc doc;
  if (console)
    doc.InitializeInterpreterDoc();
  else
    doc.InitializeOutputDoc();
  auto* w = new Window;
  if (!w->Open(&doc, 0, 300, 160)) return "no window";
  UA::Pump();
  std::vector<std::string> model{console ? "VKS> " : ""};
  auto append = [&](std::vector<std::string> add, bool oneLine) { AppendToLines(model, add, oneLine, "\r\n"); };
  const char* const kErrorLine = "\"a.zur\", line 2: bad\r\n";
  std::string trail, bad;
  for (OutputOp op : ops) {
    trail += std::string(kOutputOpNames[op]) + " ";
    CString file;
    int line = 0;
    switch (op) {
      case kText: doc.InsertTextAtEnd("x\r\ny\r\nz\r\n"), append({"x\r\n", "y\r\n", "z\r\n"}, false); break;
      case kTail: doc.InsertTextAtEnd("tail"), append({"tail"}, false); break;
      case kError: doc.InsertTextAtEnd(kErrorLine), append({kErrorLine}, false); break;
      case kOneLine: doc.InsertLineAtEnd("one\r\ntwo\r\n"), append({"one\r\n"}, true); break;
      case kClear: doc.ClearEdit(), model = {""}; break;
      // The bar's arrows, where the bar shows.
      case kUp:
      case kDown:
        if (w->GetStyle() & WS_VSCROLL)
          dravonix::test::bars::Press(w->m_hWnd, op == kUp ? dravonix::test::kUpArrow : dravonix::test::kDownArrow);
        break;
      case kClickRow2: UA::Click(w->m_hWnd, CPoint(30, w->m_nLineHeight * 2 + 2)); break;
      case kCtrlEnd: UA::PressKey(VK_END, UA::kControl); break;
      case kCtrlHome: UA::PressKey(VK_HOME, UA::kControl); break;
      case kNextError: doc.OutputGetNextErrorLine(file, line); break;
      case kOps: break;
    }
    UA::Pump();
    bad = Lines(*doc.GetEdit()) == model ? w->Wrong() : "lines ";
    if (!bad.empty()) break;
  }
  w->Close();
  return bad.empty() ? "" : trail + "-> " + bad;
}

}  // namespace

// Output arriving in the output window or the console while the user scrolls, clicks and walks the
// errors, against the lines the text must hold: appended before an empty last line, else after the last.
TEST_F(TextFileWindows, OutputAndUserActions) {
  const std::vector<std::vector<OutputOp>> cases = {
      // Scrolled past the end while all fits, then one line more: the thumb goes with the top line.
      {kText, kText, kText, kDown, kError},
  };
  for (const auto& ops : cases) EXPECT_EQ(PlayOutput(ops), "");
  // In the console, its arrow pressed a line down, then a line more.
  EXPECT_EQ(PlayOutput({kText, kText, kText, kOneLine, kDown, kText}, true), "");
}

TEST_F(TextFileWindows, RandomOutputAndUserActions) {
  std::mt19937 rng(9101);
  for (int round = 0; round < 40; ++round) {
    std::vector<OutputOp> ops;
    for (int i = 0; i < 20; ++i) ops.push_back((OutputOp)(rng() % kOps));
    const std::string failure = PlayOutput(ops, round % 2);
    ASSERT_EQ(failure, "") << "round " << round;
  }
}

