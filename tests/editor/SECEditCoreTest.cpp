#include "EditCoreTestUtil.h"
#include "platform/core/Automation.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>

namespace UA = UiAutomation;

namespace {

struct EditCore : ::testing::Test {
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    UA::Reset();
  }
  void TearDown() override { Clock::UseRealTime(); }
};

std::string Numbered(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "line " + std::to_string(i) + "\r\n";
  return s;
}

}  // namespace

TEST_F(EditCore, LifecycleAndBookmarks) {
  CTestEditWnd w;
  EXPECT_EQ(w.m_nLineHeight, 15);
  SetText(w.edit, "a\r\nb\r\nc\r\n");
  ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(0), "e", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0));
  // Before InitView the commands find no text and say nothing.
  EXPECT_TRUE(w.Command(ID_SECEDIT_LINEDOWN));
  EXPECT_TRUE(w.Command(ID_SECEDIT_TOGGLEBOOKMARK));
  EXPECT_EQ(w.m_pCurLine, nullptr);
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  w.InitView();
  EXPECT_EQ(w.m_nMargin, w.m_nLineHeight);
  EXPECT_GT(w.m_nCharWidth, 0);

  auto enabled = [&](UINT id) {
    struct UI : CCmdUI {
      BOOL on = -1;
      void Enable(BOOL b = TRUE) override { on = b; }
    } ui;
    ui.m_nID = id;
    w.OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui.on;
  };
  for (UINT id : {ID_SECEDIT_NEXTBOOKMARK, ID_SECEDIT_PREVBOOKMARK, ID_SECEDIT_CLEARBOOKMARKS})
    EXPECT_FALSE(enabled(id)) << id;
  EXPECT_TRUE(enabled(ID_SECEDIT_TOGGLEBOOKMARK));
  w.Command(ID_SECEDIT_LINEDOWN);
  w.Command(ID_SECEDIT_TOGGLEBOOKMARK);
  w.Command(ID_SECEDIT_TOGGLEBOOKMARK);
  EXPECT_EQ(w.edit.m_nBookmarks, 0);
  EXPECT_FALSE(w.m_pCurLine->dwFlags & LINE_BOOKMARK);
  w.Command(ID_SECEDIT_TOGGLEBOOKMARK);
  EXPECT_TRUE(enabled(ID_SECEDIT_NEXTBOOKMARK));
  w.Command(ID_SECEDIT_NEXTBOOKMARK);  // the only bookmark is on the caret line
  EXPECT_EQ(w.Caret(), std::make_pair(2, 0));
  w.Command(ID_SECEDIT_LINEDOWN);
  w.Command(ID_SECEDIT_PREVBOOKMARK);
  EXPECT_EQ(w.m_nCurLine, 2);
  w.Command(ID_SECEDIT_CLEARBOOKMARKS);
  EXPECT_EQ(w.edit.m_nBookmarks, 0);
  w.m_pCurLine->pNext->dwFlags |= LINE_BOOKMARK;  // flagged, but the count is 0
  w.Command(ID_SECEDIT_NEXTBOOKMARK);
  EXPECT_EQ(w.m_nCurLine, 2);

  // The context menu's Paste is grayed while another program holds the clipboard.
  for (BOOL held : {FALSE, TRUE}) {
    ClipboardSetText(nullptr, "x", 1);
    SetClipboardHeldByOtherProgram(held);
    CMenu menu;
    menu.CreatePopupMenu();
    w.BuildContextMenu(&menu);
    EXPECT_EQ(menu.GetMenuItemCount(), 8u);
    EXPECT_EQ((menu.GetMenuState(ID_EDIT_PASTE, MF_BYCOMMAND) & MF_GRAYED) != 0, held != 0);
    EXPECT_TRUE(menu.GetMenuState(ID_EDIT_UNDO, MF_BYCOMMAND) & MF_GRAYED);
    SetClipboardHeldByOtherProgram(FALSE);
  }
  ResetClipboard();
  w.DestroyWindow();
}

TEST_F(EditCore, CaretMovement) {
  CTestEditWnd w;
  ASSERT_TRUE(w.Open("a\tbc\r\n  word.x y\r\nlast"));  // tab size 3: the tab spans columns 1 and 2
  const struct {
    std::pair<int, int> from;
    UINT command;
    std::pair<int, int> to;
    int result;
  } cases[] = {
      {{1, 1}, ID_SECEDIT_CHARRIGHT, {1, 3}, 0},   // over the tab to its stop
      {{1, 3}, ID_SECEDIT_CHARLEFT, {1, 1}, 0},    // back to the tab's start
      {{1, 5}, ID_SECEDIT_CHARRIGHT, {2, 0}, 0},   // an inner line end goes on
      {{3, 4}, ID_SECEDIT_CHARRIGHT, {3, 4}, 0},   // the last one stays
      {{2, 0}, ID_SECEDIT_CHARLEFT, {1, 5}, 0},
      {{1, 0}, ID_SECEDIT_CHARLEFT, {1, 0}, SECEDIT_TOP_OF_FILE},
      {{2, 2}, ID_SECEDIT_WORDLEFT, {1, 5}, 0},    // the line begins with white space
      {{2, 9}, ID_SECEDIT_WORDLEFT, {2, 2}, 0},    // "word.x" is one word
      {{2, 2}, ID_SECEDIT_WORDRIGHT, {2, 9}, 0},
      {{2, 9}, ID_SECEDIT_WORDRIGHT, {3, 0}, 0},
      {{2, 5}, ID_SECEDIT_END, {2, 10}, 0},
      {{2, 2}, ID_SECEDIT_LINEUP, {1, 1}, 0},      // the column falls inside the tab
      {{3, 2}, ID_SECEDIT_LINEDOWN, {3, 2}, SECEDIT_END_OF_FILE},
      {{1, 0}, ID_SECEDIT_TOP, {1, 0}, SECEDIT_TOP_OF_FILE},
      {{1, 1}, ID_SECEDIT_BOTTOM, {3, 4}, 0},
  };
  for (const auto& c : cases) {
    w.m_pCurLine = w.FindLine(c.from.first);
    w.m_nCurLine = c.from.first;
    w.m_nCurCol = c.from.second;
    int r = 0;
    switch (c.command) {
      case ID_SECEDIT_CHARRIGHT: r = w.CharRight(TRUE); break;
      case ID_SECEDIT_CHARLEFT: r = w.CharLeft(TRUE); break;
      case ID_SECEDIT_WORDLEFT: r = w.WordLeft(TRUE); break;
      case ID_SECEDIT_WORDRIGHT: r = w.WordRight(TRUE); break;
      case ID_SECEDIT_END: r = w.End(TRUE); break;
      case ID_SECEDIT_LINEUP: r = w.LineUp(TRUE); break;
      case ID_SECEDIT_LINEDOWN: r = w.LineDown(TRUE); break;
      case ID_SECEDIT_TOP: r = w.GoToTop(TRUE); break;
      default: r = w.GoToTextEnd(TRUE); break;
    }
    EXPECT_EQ(r, c.result) << c.command << " from " << c.from.first << "," << c.from.second;
    EXPECT_EQ(w.Caret(), c.to) << c.command << " from " << c.from.first << "," << c.from.second;
  }
  EXPECT_EQ(w.hints.back(), SECEDIT_HINT_MOVED);
  // A failing command shows its message only while messages are on.
  w.GoToTop(FALSE);
  w.Command(ID_SECEDIT_LINEUP);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Top of file.");
  w.m_bShowMessages = FALSE;
  w.Command(ID_SECEDIT_LINEUP);
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  w.DestroyWindow();
}

TEST_F(EditCore, LfAndCrLfFilesStopAlike) {
  std::string dir = dravonix::test::ScratchDir("lineends");
  std::vector<std::pair<int, int>> stops[2];
  int i = 0;
  for (const char* text : {"ab\ncd\n", "ab\r\ncd\r\n"}) {
    std::string path = dir + "/f" + std::to_string(i) + ".txt";
    std::ofstream(path, std::ios::binary) << text;
    CTestEditWnd w;
    ASSERT_TRUE(w.Open(""));
    ASSERT_EQ(w.edit.ReadFromFile(path.c_str()), 0);
    w.InitView();
    for (int k = 0; k < 6; ++k) {
      w.CharRight(TRUE);
      stops[i].push_back(w.Caret());
    }
    w.DestroyWindow();
    ++i;
  }
  EXPECT_EQ(stops[0], stops[1]);
  EXPECT_EQ(stops[0][1], std::make_pair(1, 2));
  EXPECT_EQ(stops[0][2], std::make_pair(2, 0));
}

TEST_F(EditCore, PagesAndScrollBarScale) {
  CTestEditWnd w;
  ASSERT_TRUE(w.Open(Numbered(65536), 400, 300));
  EXPECT_EQ(w.m_nScrollScale, 2);
  int rows = w.VisibleRows();
  w.Command(ID_SECEDIT_LINEDOWN);
  EXPECT_EQ(w.PageUp(TRUE), 0);  // at the top: only the caret moves
  EXPECT_EQ(w.m_nTopLine, 1);
  EXPECT_EQ(w.m_nCurLine, 1);
  w.PageDown(TRUE);
  EXPECT_EQ(w.m_nTopLine, 1 + rows);
  // The thumb dragged to the top, a little down and most of the way: each bar position is two lines.
  using dravonix::test::bars::PartPoint;
  int last = 0;
  for (int along : {-2000, 40, 150}) {
    UA::Drag(w.m_hWnd, PartPoint(w.m_hWnd, dravonix::test::kThumbDown), PartPoint(w.m_hWnd, dravonix::test::kThumbDown, along), 3);
    const int p = w.GetScrollPos(SB_VERT);
    EXPECT_EQ(w.m_nTopLine, 2 * p + 1) << along;
    EXPECT_EQ((int)w.edit.LineNumber(w.m_pTopLine), w.m_nTopLine);
    if (along < 0) EXPECT_EQ(p, 0);
    else EXPECT_GT(p, last) << along;
    last = p;
  }
  EXPECT_GT(last, 16384);
  const int top = w.m_nTopLine;
  dravonix::test::bars::Press(w.m_hWnd, dravonix::test::kDownArrow);
  EXPECT_EQ(w.m_nTopLine, top + 1);
  EXPECT_EQ(w.m_nCurLine, 1 + rows);  // scrolling leaves the caret
  w.GoToTextEnd(TRUE);
  EXPECT_EQ(w.m_nCurLine, 65536);
  EXPECT_EQ(w.m_nTopLine, 65536 - rows + 1);
  w.DestroyWindow();
}

// The editor window's own bars, pressed: the window hears the codes and shows the lines and columns they ask.
TEST_F(EditCore, PressesOnItsBarsScrollIt) {
  using namespace dravonix::test;
  CTestEditWnd w;
  ASSERT_TRUE(w.Open(Numbered(100), 300, 200));
  ExpectBarPresses(w.m_hWnd,
                   {{kDownArrow, "de", 1}, {kPageBelow, "De", 14}, {kThumbDown, "tttpe", 33}, {kPageAbove, "Ue", 20},
                    {kUpArrow, "ue", 19}, {kHeldDown, "ddddde", 24}, {kDisabledUp, "", 24}, {kRightArrow, "de", 1},
                    {kPageRight, "De", 33}, {kThumbRight, "tttpe", 2011}, {kPageLeft, "Ue", 1979}, {kLeftArrow, "ue", 1978}},
                   "editor");
  w.DestroyWindow();
}

TEST_F(EditCore, MouseSelection) {
  CTestEditWnd w;
  ASSERT_TRUE(w.Open(Numbered(200), 400, 150));
  HWND h = w.m_hWnd;
  int lh = w.m_nLineHeight, cw = w.m_nCharWidth, m = w.m_nMargin;
  UA::Click(h, POINT{m + 2 * cw, lh + 2});
  UA::Pump();
  EXPECT_FALSE(w.m_bSelection);
  EXPECT_EQ(w.Caret(), std::make_pair(2, 2));
  // A click in the gutter selects the line with its line end.
  UA::Click(h, POINT{1, 2 * lh + 2});
  UA::Pump();
  ASSERT_TRUE(w.m_bSelection);
  EXPECT_EQ(w.edit.LineNumber(w.m_selStart.pLine), 3u);
  EXPECT_EQ(w.edit.LineNumber(w.m_selEnd.pLine), 4u);
  EXPECT_EQ(w.m_selEnd.nCol, 0);
  // Held below the window: one line per 100 ms.
  int bottom = (w.VisibleRows() - 1) * lh + 2;
  UA::MouseMove(h, POINT{m + cw, bottom});
  PostMouseInput(h, WM_LBUTTONDOWN, MK_LBUTTON, POINT{m + cw, bottom});
  UA::Pump();
  PostMouseInput(h, WM_MOUSEMOVE, MK_LBUTTON, POINT{m + cw, 400});
  UA::Pump();
  int top = w.m_nTopLine, line = w.m_nCurLine;
  UA::AdvanceClock(100);  // the first tick is skipped
  UA::AdvanceClock(300, 100);
  EXPECT_EQ(w.m_nCurLine, line + 3);
  EXPECT_EQ(w.m_nTopLine, top + 3);
  PostMouseInput(h, WM_LBUTTONUP, 0, POINT{m + cw, 400});
  UA::Pump();
  EXPECT_TRUE(w.m_bSelection);
  EXPECT_FALSE(w.m_nTimer);
  w.DestroyWindow();
}

// The mouse over the gutter shows the gutter cursor; over the text the window's own.
TEST_F(EditCore, TheGutterShowsItsOwnCursor) {
  CWinApp app("gutter");
  CTestEditWnd w;
  ASSERT_TRUE(w.Open(Numbered(20), 400, 150));
  const int lh = w.m_nLineHeight, x = w.m_nMargin + 2 * w.m_nCharWidth;
  const struct {
    POINT at;
    UINT cursor;
  } cases[] = {{{1, lh + 2}, IDC_SECEDIT_GUTTER}, {{x, lh + 2}, 32513}, {{2, 2 * lh + 2}, IDC_SECEDIT_GUTTER}};
  for (const auto& c : cases) {
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    UA::MouseMove(w.m_hWnd, c.at);
    UA::Pump();
    ASSERT_NE(::GetCursor(), nullptr);
    EXPECT_EQ(::GetCursor()->id, c.cursor) << c.at.x;
  }
}

// Every cursor the suite registers, whether as a group or as a single image, is found by name.
TEST_F(EditCore, EveryRegisteredCursorLoads) {
  CWinApp app("cursors");
  AfxEnsureFrameworkStrings();  // the framework's table joins the chain on first use
  for (UINT id : {(UINT)AFX_IDC_MAGNIFY, 14000u, 14001u, 14002u, 14003u, 23191u, 23201u, 23202u, 23203u, 23205u, 23206u,
                  (UINT)IDC_SECEDIT_GUTTER}) {
    HCURSOR c = app.LoadCursor(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(c->id, id);
  }
}
