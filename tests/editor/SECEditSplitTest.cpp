// Two panes side by side in a split window on one text, driven by keys, clicks and scroll-bar presses:
// the number each pane keeps for its top line is that line's, and each thumb stands at it.
#include "EditTestUtil.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TextFileWindows.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

namespace UA = UiAutomation;

class CSplitTextFrame : public CFrameWnd {
 public:
  CSplitterWnd m_split;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
    return m_split.Create(this, 2, 2, CSize(20, 20), ctx);
  }
};

enum Op {
  kClick, kType, kEnter, kBackspace, kUp, kDown, kPageDown, kBarDown, kBarUp, kUndo, kRedo, kPaste, kPageUp, kWheel,
  kDelete, kSelDown, kOps
};
const char* const kNames[] = {"click", "type", "enter", "backspace", "up", "down", "pgdn", "bar down",
                              "bar up", "undo", "redo", "paste", "pgup", "wheel", "delete", "seldown"};

struct Step {
  int pane;
  Op op;
  int row;  // of a click, 0-based on screen
};

class SplitPanes : public ::testing::Test {
 protected:
  void SetUp() override { Clock::UseVirtualTime(); }
  void TearDown() override {
    Stop();
    ResetClipboard();
    Clock::UseRealTime();
  }
  // A text of 30 lines in a frame split into two panes side by side.
  void Start() {
    Stop();
    doc = std::make_unique<testtext::Doc>();
    doc->OnNewDocument();
    std::string text;
    for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\r\n";
    SetText(*doc->GetEdit(), text);
    ClipboardSetText(nullptr, "p\r\nq\r\n", 6);
    frame = new CSplitTextFrame;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CTextFileView);
    ctx.m_pCurrentDoc = doc.get();
    ASSERT_TRUE(frame->Create(nullptr, "split", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 200), nullptr,
                              nullptr, 0, &ctx));
    frame->InitialUpdateFrame(doc.get(), TRUE);
    ASSERT_TRUE(frame->m_split.SplitColumn(280));
    UA::Pump();
    pane[0] = dynamic_cast<CTextFileView*>(frame->m_split.GetPane(0, 0));
    pane[1] = dynamic_cast<CTextFileView*>(frame->m_split.GetPane(0, 1));
    ASSERT_TRUE(pane[0] && pane[1]);
  }
  void Stop() {
    if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
    frame = nullptr;
    UA::Pump();
    doc.reset();
  }
  void Play(const Step& s) {
    CTextFileView& p = *pane[s.pane];
    switch (s.op) {
      case kClick:
        UA::Click(p.m_hWnd, POINT{p.m_nMargin + 2 * p.m_nCharWidth + 1, s.row * p.m_nLineHeight + p.m_nLineHeight / 2});
        break;
      case kType: UA::TypeText("x"); break;
      case kEnter: UA::PressKey(VK_RETURN); break;
      case kBackspace: UA::PressKey(VK_BACK); break;
      case kUp: UA::PressKey(VK_UP); break;
      case kDown: UA::PressKey(VK_DOWN); break;
      case kPageDown: UA::PressKey(VK_NEXT); break;
      case kBarDown: dravonix::test::bars::Press(p.m_hWnd, dravonix::test::kDownArrow); break;
      case kBarUp: dravonix::test::bars::Press(p.m_hWnd, dravonix::test::kUpArrow); break;
      case kUndo: UA::PressKey('Z', UA::kControl); break;
      case kRedo: UA::PressKey('Z', UA::kControl | UA::kShift); break;
      case kPaste: UA::PressKey('V', UA::kControl); break;
      case kPageUp: UA::PressKey(VK_PRIOR); break;
      case kWheel: UA::Wheel(p.m_hWnd, POINT{40, 20}, s.row % 2 ? 120 : -120); break;
      case kDelete: UA::PressKey(VK_DELETE); break;
      case kSelDown: UA::PressKey(VK_DOWN, UA::kShift); break;
      case kOps: break;
    }
    UA::Pump();
  }
  // "" or what a pane shows wrong.
  std::string Check() {
    SECEdit& e = *doc->GetEdit();
    std::string bad;
    for (int i = 0; i < 2; ++i) {
      CTextFileView& p = *pane[i];
      const std::string name = i ? "B" : "A";
      const int top = (int)e.LineNumber(p.m_pTopLine);
      if (p.m_nTopLine != top)
        bad += name + ".top number " + std::to_string(p.m_nTopLine) + " for " + std::to_string(top) + " ";
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_ALL;
      p.GetScrollInfo(SB_VERT, &si);
      const int last = std::max(si.nMin, si.nMax - std::max((int)si.nPage, 1) + 1);
      const int want = std::min((top - 1) / p.m_nScrollScale, last);
      if (si.nPos != want) bad += name + ".thumb " + std::to_string(si.nPos) + " for " + std::to_string(want) + " ";
    }
    if (bad.empty() && dravonix::test::PixelsOffFullRepaint(frame->m_hWnd)) bad += "picture ";
    return bad;
  }
  std::string Run(const std::vector<Step>& steps) {
    std::string trail;
    for (const Step& s : steps) {
      Play(s);
      trail += std::string(s.pane ? "B." : "A.") + kNames[s.op] + (s.op == kClick ? std::to_string(s.row) : "") + " ";
      const std::string bad = Check();
      if (!bad.empty()) return trail + "-> " + bad;
    }
    return "";
  }

  CWinApp app{"EditSplitTest"};
  std::unique_ptr<testtext::Doc> doc;
  CSplitTextFrame* frame = nullptr;
  CTextFileView* pane[2] = {nullptr, nullptr};
};

}  // namespace

TEST_F(SplitPanes, LinesPastedAboveTheTopLineKeepTheOtherPanesNumber) {
  // Pane A scrolled a line down by its bar, its caret on the line above its top: two lines pasted there.
  Start();
  EXPECT_EQ(Run({{0, kClick, 0}, {0, kBarDown, 0}, {0, kPaste, 0}, {1, kClick, 1}, {1, kType, 0}}), "");
}

// Random keys, clicks, wheel turns and bar presses in either pane of a split.
TEST_F(SplitPanes, RandomEditsInSideBySidePanesKeepTheirTopLine) {
  std::mt19937 rng(4409);
  for (int round = 0; round < 24; ++round) {
    Start();
    std::vector<Step> steps;
    for (int i = 0; i < 14; ++i) steps.push_back({(int)(rng() % 2), (Op)(rng() % kOps), (int)(rng() % 5)});
    const std::string failure = Run(steps);
    ASSERT_EQ(failure, "") << "round " << round;
  }
}
