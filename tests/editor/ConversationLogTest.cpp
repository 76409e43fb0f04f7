// The conversation log as its user meets it: entries appended and the log emptied while the user
// scrolls, clicks and presses keys in it. After each step the log holds the text appended, the window
// shows what a full repaint shows, its top and caret lines are lines of the text at their numbers,
// the thumb stands at the top line, and after an entry the newest line is in view.
#include "EditCoreTestUtil.h"
#include "editor/documents/ConversationEditCtrl.h"
#include "platform/core/Automation.h"
#include "tests/support/BarPresses.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace UA = UiAutomation;

namespace {

enum Op { kAppend1, kAppend2, kAppendPart, kAppendBreak, kClear, kLineUp, kPageUp, kLineDown, kKeyUp, kKeyHome,
          kKeyEnd, kClick, kShiftClick, kType, kSelectToStart, kSelectToEnd, kCopy, kOps };
const char* const kOpNames[] = {"append1", "append2", "appendpart", "appendbreak", "clear", "lineup", "pageup",
                                "linedown", "up", "ctrlhome", "ctrlend", "click", "shiftclick", "type",
                                "selecttostart", "selecttoend", "copy"};
const char* const kTexts[] = {"entry\n", "first\nsecond\n", "part", "\n"};

class ConversationLog : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    UA::Reset();
  }
  void TearDown() override {
    log.reset();
    if (parent.GetSafeHwnd()) parent.DestroyWindow();
    Clock::UseRealTime();
  }
  void Start() {
    log.reset();
    if (parent.GetSafeHwnd()) parent.DestroyWindow();
    LPCSTR cls = AfxRegisterWndClass(0, nullptr, (HBRUSH)(COLOR_BTNFACE + 1));
    ASSERT_TRUE(parent.CreateEx(0, cls, "net master", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 140), nullptr, 0));
    placeholder.Create("Static", "", WS_CHILD | WS_VISIBLE, CRect(5, 5, 295, 135), &parent, 14000);
    log = std::make_unique<CConversationEditCtrl>();
    ASSERT_EQ(log->AttachToDlgItem(14000, &parent), 1);
    text.clear();
    if (::OpenClipboard(nullptr)) {
      ::EmptyClipboard();
      ::CloseClipboard();
    }
    clip = "(none)";
    UA::Pump();

  }
  // Plays one step; "" or what went wrong.
  std::string Play(Op op) {
    CConversationEditCtrl& c = *log;
    const int h = c.m_nLineHeight > 0 ? c.m_nLineHeight : 1, topBefore = c.m_nTopLine;
    switch (op) {
      case kAppend1:
      case kAppend2:
      case kAppendPart:
      case kAppendBreak:
      {
        // Every line but the last ends with its line end, whether the entry brought one or not.
        const std::string entry = kTexts[op - kAppend1];
        if (c.GetEdit()->GetLine(0)->nLength == 0)
          text += entry + (entry.back() == '\n' ? "" : "\n");
        else
          text += (text.back() == '\n' ? "" : "\n") + entry;
        c.AppendText(entry.c_str());
        break;
      }
      case kClear:
        c.ClearEdit();
        text.clear();
        break;
      // The bar pressed, where it shows.
      case kLineUp:
      case kPageUp:
      case kLineDown:
        if (c.GetStyle() & WS_VSCROLL)
          dravonix::test::bars::Press(c.m_hWnd, op == kLineUp   ? dravonix::test::kUpArrow
                                                : op == kPageUp ? dravonix::test::kPageAbove
                                                                : dravonix::test::kDownArrow);
        break;
      case kKeyUp: UA::PressKey(VK_UP); break;
      case kKeyHome: UA::PressKey(VK_HOME, UA::kControl); break;
      case kKeyEnd: UA::PressKey(VK_END, UA::kControl); break;
      case kClick: UA::Click(c.m_hWnd, CPoint(20, h + h / 2)); break;
      case kShiftClick: UA::Click(c.m_hWnd, CPoint(30, 3 * h + h / 2), UA::kShift); break;
      case kType: UA::TypeText("zz"); break;
      // Keys to the focus, which a click put in the log.
      case kSelectToStart:
      case kSelectToEnd:
        if (::GetFocus() != c.m_hWnd) UA::Click(c.m_hWnd, CPoint(20, h / 2));
        UA::PressKey(op == kSelectToStart ? VK_HOME : VK_END, UA::kControl);
        UA::PressKey(op == kSelectToStart ? VK_LEFT : VK_DOWN, UA::kShift);
        break;
      case kCopy:
        // A selection that holds text is copied; nothing else changes the clipboard.
        if (::GetFocus() == c.m_hWnd && !SelectedText(c).empty()) clip = SelectedText(c);
        UA::PressKey('C', UA::kControl);
        break;
      case kOps: break;
    }
    UA::Pump();
    SECEdit& e = *c.GetEdit();
    std::string bad;
    if (c.GetLogText() != CString(text.c_str())) bad += "text ";
    if (ClipboardText() != clip) bad += "clipboard '" + ClipboardText() + "' ";
    if (!NumberedInOrder(e, (int)Lines(e).size()) || e.m_nLineCount != (int)Lines(e).size()) bad += "count ";
    if (!bad.empty()) return bad;
    if (c.m_nTopLine != (int)e.LineNumber(c.m_pTopLine)) bad += "top number ";
    if (c.m_nCurLine != (int)e.LineNumber(c.m_pCurLine)) bad += "caret number ";
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    c.GetScrollInfo(SB_VERT, &si);
    if (si.nPos != std::min(c.m_nTopLine - 1, std::max(si.nMin, si.nMax - std::max((int)si.nPage, 1) + 1)))
      bad += "thumb ";
    // An entry shows the newest line; when that takes a scroll, under as much of the log as fits (all of
    // it from the top when it fits).
    const int rows = c.VisibleRows(), lines = e.m_nLineCount;
    const bool filled = lines <= rows ? c.m_nTopLine == 1 : lines - c.m_nTopLine + 1 == rows;
    if (op <= kAppendBreak && (c.m_nCurLine != lines || lines < c.m_nTopLine || lines >= c.m_nTopLine + rows ||
                               (c.m_nTopLine != topBefore && !filled)))
      bad += "newest out of view: caret " + std::to_string(c.m_nCurLine) + " top " + std::to_string(topBefore) + ">" +
             std::to_string(c.m_nTopLine) + " of " + std::to_string(lines) + " ";

    if (dravonix::test::PixelsOffFullRepaint(c.m_hWnd) != 0) bad += "picture ";
    return bad;
  }
  std::string Run(const std::vector<Op>& ops) {
    std::string trail;
    for (Op op : ops) {
      trail += std::string(kOpNames[op]) + " ";
      const std::string bad = Play(op);
      if (!bad.empty()) return trail + "-> " + bad;
    }
    return "";
  }
  CWnd parent, placeholder;
  std::unique_ptr<CConversationEditCtrl> log;
  std::string text;
  std::string clip;  // what the clipboard holds
};

}  // namespace

TEST_F(ConversationLog, EntriesClearsAndTheUsersScrollingKeepTextPictureAndNewestLine) {
  const std::vector<std::vector<Op>> cases = {
      {kAppend2, kAppend2, kAppend2, kAppend2, kAppend2, kAppend2, kAppend1},
      {kAppend2, kAppend2, kAppend2, kAppend2, kPageUp, kAppend1, kLineUp, kAppendPart},
      {kAppend2, kClear, kAppend1, kAppendPart, kAppendBreak},
      // Scrolled onto the empty last line: the entry goes above it, and the short log shows from the top.
      {kAppend1, kClick, kType, kLineDown, kAppend1},
  };
  for (const auto& ops : cases) {
    Start();
    EXPECT_EQ(Run(ops), "");
  }
}

TEST_F(ConversationLog, RandomEntriesAndUserActions) {
  std::mt19937 rng(9104);
  for (int round = 0; round < 40; ++round) {
    Start();
    std::vector<Op> ops;
    for (int i = 0; i < 24; ++i) ops.push_back((Op)(rng() % kOps));
    ASSERT_EQ(Run(ops), "") << "round " << round;
  }
}

// The log's own bars, pressed: the window hears the codes and shows the lines and columns they ask.
TEST_F(ConversationLog, PressesOnItsBarsScrollIt) {
  using namespace dravonix::test;
  Start();
  for (int i = 0; i < 30; ++i) log->AppendText("an entry of the log\n");
  // The thumb dragged back to the top.
  UA::Drag(log->m_hWnd, bars::PartPoint(log->m_hWnd, kThumbDown), bars::PartPoint(log->m_hWnd, kThumbDown, -2000), 3);
  ExpectBarPresses(log->m_hWnd,
                   {{kDownArrow, "de", 1}, {kPageBelow, "De", 8}, {kThumbDown, "tttpe", 20}, {kPageAbove, "Ue", 13},
                    {kUpArrow, "ue", 12}, {kHeldDown, "ddddde", 17}, {kDisabledUp, "", 17}, {kRightArrow, "de", 1},
                    {kPageRight, "De", 33}, {kThumbRight, "tttpe", 2133}, {kPageLeft, "Ue", 2101}, {kLeftArrow, "ue", 2100}},
                   "log");
}
