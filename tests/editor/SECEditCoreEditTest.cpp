#include "EditCoreTestUtil.h"
#include "platform/core/Automation.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

namespace UA = UiAutomation;

namespace {

struct EditCommands : ::testing::Test {
  CTestEditWnd w;
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    ResetClipboard();
  }
  void TearDown() override {
    if (w.m_hWnd) w.DestroyWindow();
    ResetClipboard();
    Clock::UseRealTime();
  }
  // The caret placed by the program, in a window a click gave the focus.
  void Caret(int line, int col) {
    if (::GetFocus() != w.m_hWnd) UA::Click(w.m_hWnd, POINT{w.m_nMargin + 2, 2});
    w.m_pCurLine = w.edit.FindLine(line);
    w.m_nCurLine = line;
    w.m_nCurCol = col;
  }
  void Select(int l1, int c1, int l2, int c2, int mode = 1) {
    w.ClearSelection(FALSE);
    Caret(l1, c1);
    w.BeginSelection(mode, FALSE);
    Caret(l2, c2);
    w.ExtendSelection(FALSE);
  }
  std::string Clip() {
    std::string t;
    ClipboardGetText(nullptr, t);
    return t;
  }
  void Type(const char* s) {
    EXPECT_EQ(::GetFocus(), w.m_hWnd);
    UA::TypeText(s);
  }
};

}  // namespace

TEST_F(EditCommands, TypingEnterAndTheirUndo) {
  ASSERT_TRUE(w.Open("hello world\r\n    indented\r\n"));
  Select(1, 0, 1, 5);
  Type("J");
  EXPECT_EQ(AllText(w.edit), "J world\r\n    indented\r\n");
  w.Command(ID_EDIT_UNDO);
  EXPECT_EQ(AllText(w.edit), "hello world\r\n    indented\r\n");
  // Enter over a selection: the selection goes to the clipboard; one undo reverts it all.
  Select(1, 5, 1, 11);
  Type("\r");
  EXPECT_EQ(Clip(), " world");
  EXPECT_EQ(AllText(w.edit), "hello\r\n\r\n    indented\r\n");
  w.Command(ID_EDIT_UNDO);
  EXPECT_EQ(AllText(w.edit), "hello world\r\n    indented\r\n");
  // Auto-indent: the caret stands at the indentation, nothing is inserted.
  Caret(2, 12);
  Type("\r");
  EXPECT_EQ(w.Caret(), std::make_pair(3, 4));
  EXPECT_EQ(Lines(w.edit)[2], "\r\n");
  // A quote with colouring on repaints the window, a letter the caret row.
  w.edit.m_bChroma = TRUE;
  for (const char* c : {"\"", "x"}) {
    w.paints.clear();
    Type(c);
    ASSERT_FALSE(w.paints.empty());
    EXPECT_EQ(w.paints[0].Height(), *c == '"' ? w.m_rcClient.Height() : w.m_nLineHeight) << c;
  }
  // Read-only: typing and Delete are silent, Backspace reports.
  w.edit.SetReadOnly(TRUE);
  Type("z");
  w.Command(ID_EDIT_CLEAR);
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  w.Command(ID_SECEDIT_BACKSPACE);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "The file is read only.");
}

TEST_F(EditCommands, TabsAndIndents) {
  ASSERT_TRUE(w.Open("abcde\r\n      a\r\n\t\tb\r\nc\r\n"));
  w.edit.SetTabSize(4);
  w.edit.m_bKeepTabs = FALSE;
  Caret(1, 5);
  w.Command(ID_SECEDIT_TAB);
  EXPECT_EQ(Lines(w.edit)[0], "abcde   \r\n");
  EXPECT_EQ(w.Caret(), std::make_pair(1, 8));
  const struct {
    int from, to;
  } backTabs[] = {{8, 4}, {6, 4}, {0, 0}, {4, 0}};
  for (const auto& b : backTabs) {
    Caret(1, b.from);
    w.Command(ID_SECEDIT_BACKTAB);
    EXPECT_EQ(w.m_nCurCol, b.to) << b.from;
  }
  Select(2, 3, 4, 1);
  w.Command(ID_SECEDIT_BACKTAB);
  EXPECT_EQ(Lines(w.edit), (std::vector<std::string>{"abcde   \r\n", "  a\r\n", "\tb\r\n", "c\r\n"}));
  EXPECT_TRUE(w.m_bSelection);
  w.Command(ID_SECEDIT_TAB);
  EXPECT_EQ(Lines(w.edit)[1], "      a\r\n");
  w.Command(ID_EDIT_UNDO);
  w.Command(ID_EDIT_UNDO);
  EXPECT_EQ(AllText(w.edit), "abcde   \r\n      a\r\n\t\tb\r\nc\r\n");
  Select(1, 0, 2, 0, 2);
  EXPECT_EQ(w.IndentLines(TRUE, TRUE, TRUE), SECEDIT_STREAM_ONLY);
}

TEST_F(EditCommands, UndoBackToTheSavePoint) {
  std::string path = dravonix::test::ScratchDir("savepoint") + "/t.txt";
  ASSERT_TRUE(w.Open("abc\r\n"));
  Caret(1, 3);
  Type("1");
  ASSERT_EQ(w.edit.WriteToFile(path.c_str()), 0);
  Type("2");
  EXPECT_TRUE(w.edit.IsModified());
  EXPECT_EQ(w.edit.m_nCleanUndoPos, 1);
  EXPECT_EQ(w.edit.m_nUndoPos, 2);
  w.Command(ID_EDIT_UNDO);  // typing on one line undoes as one step, but not across a save
  EXPECT_FALSE(w.edit.IsModified());
  w.Command(ID_EDIT_UNDO);
  EXPECT_TRUE(w.edit.IsModified());
  w.Command(ID_EDIT_REDO);
  EXPECT_FALSE(w.edit.IsModified());
  w.Command(ID_EDIT_REDO);
  EXPECT_TRUE(w.edit.IsModified());
  // A new edit below the save point loses it.
  w.Command(ID_EDIT_UNDO);
  w.Command(ID_EDIT_UNDO);
  Type("x");
  w.Command(ID_EDIT_UNDO);
  EXPECT_TRUE(w.edit.IsModified());
}

TEST_F(EditCommands, DeleteBackspaceAndJoins) {
  ASSERT_TRUE(w.Open("ab\r\ncd\r\n"));
  const struct {
    int line, col;
    UINT command;
    const char* text;
    std::pair<int, int> caret;
  } cases[] = {
      {1, 1, ID_EDIT_CLEAR, "a\r\ncd\r\n", {1, 1}},
      {1, 1, ID_EDIT_CLEAR, "acd\r\n", {1, 1}},        // at the line end: joins
      {1, 3, ID_EDIT_CLEAR, "acd\r\n", {1, 3}},        // the end of the text: nothing
      {1, 1, ID_SECEDIT_BACKSPACE, "cd\r\n", {1, 0}},
      {1, 0, ID_SECEDIT_BACKSPACE, "cd\r\n", {1, 0}},  // the top: nothing
  };
  for (const auto& c : cases) {
    Caret(c.line, c.col);
    w.Command(c.command);
    EXPECT_EQ(AllText(w.edit), c.text);
    EXPECT_EQ(w.Caret(), c.caret);
  }
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

TEST_F(EditCommands, ClipboardAndColumnBlocks) {
  ASSERT_TRUE(w.Open("abcd\r\nefgh\r\nijkl\r\n"));
  Select(1, 1, 2, 3, 2);
  w.Command(ID_EDIT_COPY);
  EXPECT_EQ(Clip(), "*SECEdit Column Block*\r\nbc\r\nfg");
  w.ClearSelection(FALSE);
  Caret(3, 0);
  w.Command(ID_EDIT_PASTE);
  EXPECT_EQ(Lines(w.edit)[2], "bcijkl\r\n");
  EXPECT_EQ(Lines(w.edit)[3], "fg\r\n");
  w.Command(ID_EDIT_UNDO);
  EXPECT_EQ(AllText(w.edit), "abcd\r\nefgh\r\nijkl\r\n");
  const struct {
    const char* clip;
    const char* text;
    std::pair<int, int> caret;
  } pastes[] = {
      {"*SECEdit Column Block*", "abcd\r\nefgh\r\nijkl\r\n", {1, 0}},  // a block without rows
      {"*SECEdit Column Block", "*SECEdit Column Blockabcd\r\nefgh\r\nijkl\r\n", {1, 21}},
      {"x\r\n", "x\r\nabcd\r\nefgh\r\nijkl\r\n", {2, 0}},
      {"1\r\n2", "1\r\n2abcd\r\nefgh\r\nijkl\r\n", {2, 1}},
  };
  for (const auto& p : pastes) {
    ClipboardSetText(nullptr, p.clip, strlen(p.clip));
    Caret(1, 0);
    w.Command(ID_EDIT_PASTE);
    EXPECT_EQ(AllText(w.edit), p.text) << p.clip;
    EXPECT_EQ(w.Caret(), p.caret) << p.clip;
    while (w.edit.m_nUndoPos) w.Command(ID_EDIT_UNDO);
  }
  // Paste over a selection undoes in one step.
  ClipboardSetText(nullptr, "ZZ", 2);
  Select(1, 1, 3, 2);
  w.Command(ID_EDIT_PASTE);
  EXPECT_EQ(AllText(w.edit), "aZZkl\r\n");
  w.Command(ID_EDIT_UNDO);
  EXPECT_EQ(AllText(w.edit), "abcd\r\nefgh\r\nijkl\r\n");
  // Cut on a read-only text copies and changes nothing, silently; an empty clipboard reports.
  w.edit.SetReadOnly(TRUE);
  Select(2, 0, 2, 4);
  w.HandleEditCommand(ID_EDIT_CUT);  // as from the context menu, which offers Cut on any selection
  EXPECT_EQ(Clip(), "efgh");
  EXPECT_EQ(AllText(w.edit), "abcd\r\nefgh\r\nijkl\r\n");
  w.edit.SetReadOnly(FALSE);
  ResetClipboard();
  w.ClearSelection(FALSE);
  w.HandleEditCommand(ID_EDIT_PASTE);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "The clipboard is empty.");
}
