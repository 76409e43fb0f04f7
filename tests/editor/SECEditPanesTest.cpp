// Two windows on one text: whatever one of them does to the lines, the other keeps only lines of the
// text as its caret, top and selection lines, paints and takes keys.
#include "EditTestUtil.h"
#include "editor/documents/TextFileDoc.h"
#include "editor/documents/TextFileView.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/WinApp.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TextFileWindows.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <map>
#include <sstream>

namespace UA = UiAutomation;

namespace {

using testtext::Doc;

struct Pane : testtext::View {
  bool Open(CDocument* doc, int x) { return View::Open(doc, x, 300, 160, "pane"); }
  // Typed on the keyboard; the pane has the focus.
  void Char(char c) {
    EXPECT_EQ(::GetFocus(), m_hWnd);
    const char text[2] = {c, 0};
    UA::TypeText(text);
  }
  void Paint() {
    Invalidate(FALSE);
    UpdateWindow();
  }
  // The picture as it stands is the one a full repaint gives.
  bool Stale() { return dravonix::test::PixelsOffFullRepaint(m_hWnd) != 0; }
};

// What the panes must hold: lines of the text, or none for an absent selection end; a selection starts
// at or before its end.
std::string DeadLines(SECEdit& e, Pane& p, const char* name) {
  std::map<tagLINEDESC*, int> live;
  for (tagLINEDESC* l = e.m_pLine; l; l = l->pNext) live.emplace(l, (int)live.size());
  std::string bad;
  auto need = [&](tagLINEDESC* l, const char* what, bool mayBeNull) {
    if ((l || !mayBeNull) && !live.count(l)) bad += std::string(name) + "." + what + " ";
  };
  need(p.m_pTopLine, "top", false);
  need(p.m_pCurLine, "caret", false);
  need(p.m_selStart.pLine, "selStart", !p.m_bSelection);
  need(p.m_selEnd.pLine, "selEnd", !p.m_bSelection);
  need(p.m_selAnchor.pLine, "selAnchor", true);
  if (bad.empty() && p.m_bSelection && live[p.m_selStart.pLine] > live[p.m_selEnd.pLine])
    bad += std::string(name) + ".selOrder ";
  return bad;
}

// Types into a pane with the focus and no selection: the character must land on the line its caret is drawn on.
std::string TypeWhereDrawn(SECEdit& e, Pane& p, const char* name) {
  if (p.m_bSelection || !p.m_bCaretCreated) {
    p.Char('x');
    return "";
  }
  const int drawn = (int)e.LineNumber(p.m_pTopLine) + CWnd::GetCaretPos().y / p.m_nLineHeight;
  const std::vector<std::string> before = Lines(e);
  p.Char('x');
  const std::vector<std::string> after = Lines(e);
  int landed = 0;
  for (size_t i = 0; i < before.size() && i < after.size() && !landed; ++i)
    if (before[i] != after[i]) landed = (int)i + 1;
  if (before.size() != after.size() || landed == drawn) return "";
  return std::string(name) + ".caret drawn on " + std::to_string(drawn) + ", typed into " + std::to_string(landed) + " ";
}

// The scroll bars' thumbs stand at the top line, as far as the bar lets it, and at the left column.
std::string Thumb(SECEdit& e, Pane& p, const char* name) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  p.GetScrollInfo(SB_VERT, &si);
  const int last = std::max(si.nMin, si.nMax - std::max((int)si.nPage, 1) + 1);
  const int at = si.nPos, want = std::min(((int)e.LineNumber(p.m_pTopLine) - 1) / p.m_nScrollScale, last);
  if (at != want) return std::string(name) + ".thumb " + std::to_string(at) + " for " + std::to_string(want) + " ";
  return p.GetScrollPos(SB_HORZ) == p.m_nLeftCol ? "" : std::string(name) + ".column thumb ";
}

// The numbers a pane keeps for its top and caret lines are those lines' numbers in the text.
std::string Numbers(SECEdit& e, Pane& p, const char* name) {
  std::string bad;
  if (p.m_nTopLine != (int)e.LineNumber(p.m_pTopLine)) bad += std::string(name) + ".top number ";
  if (p.m_nCurLine != (int)e.LineNumber(p.m_pCurLine)) bad += std::string(name) + ".caret number ";
  return bad;
}

enum Op { kType, kEnter, kDelete, kBackspace, kSelectAll, kSelDown, kSelRight, kDown, kCut, kPaste, kUndo, kRedo,
          kAppend, kClear, kScroll, kReload };
const char* const kOpNames[] = {"type", "enter", "delete", "backspace", "selall", "seldown", "selright",
                                "down", "cut",   "paste", "undo",   "redo",      "append", "clear", "scroll", "reload"};

struct Step {
  int pane;
  Op op;
};

class EditPanes : public ::testing::Test {
 protected:
  void SetUp() override { Clock::UseVirtualTime(); }
  void TearDown() override {
    Stop();
    ResetClipboard();
    Clock::UseRealTime();
  }
  // A fresh text of five lines in two panes.
  void Start() {
    Stop();
    doc = std::make_unique<Doc>();
    doc->OnNewDocument();
    SetText(*doc->GetEdit(), "alpha\r\nbeta\r\ngamma\r\ndelta\r\nepsilon\r\n");
    doc->GetEdit()->m_nLineCount = 5;
    pa = new Pane;  // panes delete themselves with their windows
    pb = new Pane;
    ASSERT_TRUE(pa->Open(doc.get(), 0));
    ASSERT_TRUE(pb->Open(doc.get(), 320));
    UA::Pump();
  }
  void Stop() {
    if (!doc) return;
    pb->Close();
    pa->Close();
    UA::Pump();
    doc.reset();
  }
  // Plays a step; "" or what went wrong.
  std::string Play(const Step& s) {
    Pane& p = s.pane ? *pb : *pa;
    // The pane typed into has the focus (switched to as Alt+Tab does, which moves no caret) and shows its
    // selection.
    if (s.op <= kRedo) p.SetFocus();
    std::string bad;
    switch (s.op) {
      case kType: bad = TypeWhereDrawn(*doc->GetEdit(), p, s.pane ? "B" : "A"); break;
      case kEnter: p.Char(13); break;
      // The editor's keys for its commands.
      case kDelete: UA::PressKey(VK_DELETE); break;
      case kBackspace: UA::PressKey(VK_BACK); break;
      case kSelectAll: UA::PressKey('A', UA::kControl); break;
      case kSelDown: UA::PressKey(VK_DOWN, UA::kShift); break;
      case kSelRight: UA::PressKey(VK_RIGHT, UA::kShift); break;
      case kDown: UA::PressKey(VK_DOWN); break;
      case kCut: UA::PressKey('X', UA::kControl); break;
      case kPaste: UA::PressKey('V', UA::kControl); break;
      case kUndo: UA::PressKey('Z', UA::kControl); break;
      case kRedo: UA::PressKey('Z', UA::kControl | UA::kShift); break;
      case kAppend: doc->InsertTextAtEnd("more\r\nand more\r\n"); break;
      case kClear: doc->ClearEdit(); break;
      case kScroll: dravonix::test::bars::Press(p.m_hWnd, dravonix::test::kDownArrow); break;
      case kReload: doc->UpdateAllViews(nullptr, -83); break;
    }
    UA::Pump();
    return bad;
  }
  // Plays the steps; after each, both panes hold live lines (and show what a full repaint shows), paint and
  // take a key there and then.
  std::string Run(const std::vector<Step>& steps, bool pictures = false) {
    SECEdit& e = *doc->GetEdit();
    std::string trail;
    for (const Step& s : steps) {
      std::string bad = Play(s);
      trail += std::string(s.pane ? "B." : "A.") + kOpNames[s.op] + " ";
      bad += DeadLines(e, *pa, "A") + DeadLines(e, *pb, "B");
      if (bad.empty()) bad += Numbers(e, *pa, "A") + Numbers(e, *pb, "B");
      if (bad.empty()) bad += Thumb(e, *pa, "A") + Thumb(e, *pb, "B");
      if (pictures && bad.empty() && pa->Stale()) bad += "A.picture ";
      if (pictures && bad.empty() && pb->Stale()) bad += "B.picture ";
      if (!bad.empty()) return trail + "-> " + bad;
      pa->Paint();
      pb->Paint();
    }
    return "";
  }
  CWinApp app{"EditPanesTest"};
  std::unique_ptr<Doc> doc;
  Pane* pa = nullptr;
  Pane* pb = nullptr;
};

}  // namespace

TEST_F(EditPanes, LinesFreedInOnePaneLeaveTheOtherOnLiveLines) {
  // Pane B selects from line 2 into line 3 first, then types and deletes at the end.
  const std::vector<Step> selectInB = {{1, kDown}, {1, kSelDown}, {1, kSelRight}};
  const struct {
    std::vector<Step> steps;
    bool keepsSelection;  // pane B's, before it types
  } cases[] = {
      {{{0, kSelectAll}, {0, kDelete}}, false},
      {{{0, kSelectAll}, {0, kDelete}, {0, kUndo}}, false},
      {{{0, kSelectAll}, {0, kDelete}, {0, kUndo}, {0, kRedo}}, false},
      {{{0, kSelectAll}, {0, kDelete}, {1, kUndo}, {1, kRedo}}, false},
      {{{0, kSelectAll}, {0, kType}}, false},
      // Lines freed elsewhere leave the selection as it was.
      {{{0, kDown}, {0, kDown}, {0, kDown}, {0, kDown}, {0, kBackspace}, {0, kUndo}}, true},
      // An undo in one pane frees the line the other pane's Enter put its caret on.
      {{{1, kEnter}, {0, kUndo}}, false},
  };
  for (const auto& c : cases) {
    Start();
    ASSERT_EQ(Run(selectInB), "");
    const SECSelEnd start = pb->m_selStart, end = pb->m_selEnd;
    ASSERT_EQ(Run(c.steps), "");
    EXPECT_EQ(pb->m_bSelection, c.keepsSelection);
    const bool same = pb->m_selStart.pLine == start.pLine && pb->m_selStart.nCol == start.nCol &&
                      pb->m_selEnd.pLine == end.pLine && pb->m_selEnd.nCol == end.nCol;
    EXPECT_EQ(same, c.keepsSelection);
    EXPECT_EQ(Run({{1, kType}, {1, kDelete}}), "");
  }
}

TEST_F(EditPanes, LinesAddedOrReloadedElsewhereKeepCaretThumbAndPicture) {
  const std::vector<std::vector<Step>> cases = {
      // B's caret on line 4; A's Enter on line 2, then B types, and types again.
      {{1, kDown}, {1, kDown}, {1, kDown}, {0, kDown}, {0, kEnter}, {1, kType}, {1, kType}},
      {{1, kDown}, {1, kDown}, {0, kPaste}, {1, kType}},
      {{1, kDown}, {1, kDown}, {0, kAppend}, {0, kEnter}, {0, kEnter}, {1, kType}},
      // Lines given back by an undo in A, above B's caret.
      {{1, kDown}, {1, kDown}, {0, kEnter}, {0, kUndo}, {0, kRedo}, {1, kType}},
      {{1, kEnter}, {0, kEnter}, {1, kType}},
      // Text appended while B is scrolled down takes B back to the top, thumb and all.
      {{0, kAppend}, {0, kAppend}, {0, kAppend}, {1, kDown}, {1, kScroll}, {1, kScroll}, {0, kAppend}},
      // A reload takes B to the top, thumb and all.
      {{0, kAppend}, {0, kAppend}, {0, kAppend}, {1, kScroll}, {1, kScroll}, {0, kReload}},
      // Text appended after the text was cleared goes before the empty line both panes hold.
      {{0, kClear}, {0, kAppend}, {0, kType}},
      {{1, kClear}, {1, kScroll}, {0, kAppend}, {1, kType}},
      {{0, kClear}, {1, kDown}, {0, kAppend}, {0, kAppend}, {1, kType}},
  };
  for (const auto& steps : cases) {
    Start();
    ClipboardSetText(nullptr, "p\r\nq\r\n", 6);
    EXPECT_EQ(Run(steps, true), "");
  }
  // Scrolled down, B's thumb follows its top line as lines come above it.
  Start();
  ASSERT_EQ(Run({{0, kAppend}, {0, kAppend}, {0, kAppend}, {0, kAppend}, {0, kAppend}}), "");
  for (int i = 0; i < 3; ++i) dravonix::test::bars::Press(pb->m_hWnd, dravonix::test::kDownArrow);
  ASSERT_EQ(pb->GetScrollPos(SB_VERT), 3);
  EXPECT_EQ(Run({{0, kEnter}, {0, kEnter}}), "");
  EXPECT_EQ(pb->GetScrollPos(SB_VERT), (int)doc->GetEdit()->LineNumber(pb->m_pTopLine) - 1);
  EXPECT_EQ(Run({{1, kType}}), "");
}

// Random edits in both panes; after each step both hold only lines of the text, and typing lands on the line
// the caret is drawn on; every fourth round its pictures are also those of a full repaint.
TEST_F(EditPanes, RandomEditsInTwoPanesKeepBothOnLiveLines) {
  std::mt19937 rng(getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 7201u);
  const int rounds = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 40;
  const Op ops[] = {kType,    kType, kEnter, kEnter, kDelete, kBackspace, kSelectAll, kSelDown,
                    kSelRight, kDown, kCut,   kPaste, kUndo,   kRedo,      kAppend,    kClear, kScroll, kReload};
  for (int round = 0; round < rounds; ++round) {
    Start();
    std::vector<Step> steps;
    for (int i = 0; i < 16; ++i)
      steps.push_back({(int)(rng() % 2), ops[rng() % (sizeof ops / sizeof ops[0])]});
    std::string failure = Run(steps, round % 4 == 0);
    ASSERT_EQ(failure, "") << "round " << round;
  }
}

