// The text store: defaults, line lists, measurement and line ends.
#include "editor/EditorStrings.h"
#include "editor/text/SECEdit.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "tests/editor/EditTestUtil.h"

#include <gtest/gtest.h>

#include <climits>

#include <cstdlib>
#include <cstring>

TEST(SECEditStore, NewObjectDefaults) {
  SECEdit e;
  ASSERT_NE(e.m_pLine, nullptr);
  EXPECT_EQ(e.m_pLine->pNext, nullptr);
  EXPECT_EQ(e.m_pLine->nLength, 0);
  EXPECT_EQ(e.m_pLine->nCapacity, 80);  // (64 + 31) & ~15
  EXPECT_EQ(e.m_nLineCount, 1);
  EXPECT_FALSE(e.IsModified());
  EXPECT_FALSE(e.IsReadOnly());
  EXPECT_EQ(e.m_nLineEndMode, 0);
  EXPECT_EQ(e.GetLineEndLength(), 2);
  EXPECT_STREQ(e.m_szLineEnd, "\r\n");
  EXPECT_EQ(e.GetTabSize(), 3);
  EXPECT_TRUE(e.GetInsertMode());
  EXPECT_TRUE(e.m_bKeepTabs);
  EXPECT_FALSE(e.GetLockFiles());
  EXPECT_EQ(e.m_strFontName, "Courier New");
  EXPECT_EQ(e.m_nFontSize, 9);
  EXPECT_EQ(e.m_nFontWeight, 400);
  EXPECT_EQ(e.m_nUndoPos, 0);
  EXPECT_EQ(e.m_nUndoCount, 0);
}

TEST(SECEditStore, SettersAndTabSizeFloor) {
  SECEdit e;
  EXPECT_EQ(e.SetTabSize(0), 1);
  EXPECT_EQ(e.SetTabSize(-5), 1);
  EXPECT_EQ(e.SetTabSize(8), 8);
  // No tab is wider than a line can be, so that widths stay countable.
  EXPECT_EQ(e.SetTabSize(INT_MAX), SECEDIT_MAX_LINE);
  EXPECT_EQ(e.GetTextWidth("a\tb\tc", 5), 2 * SECEDIT_MAX_LINE + 1);
  e.SetTabSize(8);
  EXPECT_EQ(e.SetReadOnly(TRUE), TRUE);
  EXPECT_TRUE(e.IsReadOnly());
  EXPECT_EQ(e.SetInsertMode(FALSE), FALSE);
  EXPECT_FALSE(e.GetInsertMode());
  e.SetLineEndMode(1);
  EXPECT_STREQ(e.m_szLineEnd, "\n\r");
  e.SetLineEndMode(3);
  EXPECT_STREQ(e.m_szLineEnd, "\r");
  EXPECT_EQ(e.GetLineEndLength(), 1);
  e.SetLineEndMode(7);  // unknown: only the mode changes
  EXPECT_EQ(e.m_nLineEndMode, 7);
  EXPECT_STREQ(e.m_szLineEnd, "\r");
}

TEST(SECEditStore, StringTableTexts) {
  EXPECT_STREQ(GetEditorString(21000), "The file is read only.");
  EXPECT_STREQ(GetEditorString(21003), "Cannot complete operation.  Maximum line length would be exceeded.");
  EXPECT_STREQ(GetEditorString(21014), "Join line.");
  EXPECT_STREQ(GetEditorString(21035), "Nulls encounterd in file.  Use another editor to edit this file.");
  EXPECT_STREQ(GetEditorString(21036),
               "This file contains lines longer than the %d character maximum.\r\nThe lines will be wrapped.");
  EXPECT_STREQ(GetEditorString(21016), "Tab size");
  EXPECT_EQ(GetEditorString(20999), nullptr);
}

TEST(SECEditStore, ListOperations) {
  tagLINEDESC* a = SECEdit::NewLine(10);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->nCapacity, 32);
  EXPECT_EQ(a->nLineNumber, 1u);
  tagLINEDESC* empty = SECEdit::NewLine(0);
  EXPECT_EQ(empty->pText, nullptr);
  tagLINEDESC* b = SECEdit::NewLine(1);
  tagLINEDESC* c = SECEdit::NewLine(1);
  EXPECT_EQ(SECEdit::InsertLineAfter(c, a), 0);
  EXPECT_EQ(SECEdit::InsertLineBefore(b, c), 0);
  EXPECT_EQ(SECEdit::InsertLineBefore(empty, a), 0);
  EXPECT_EQ(SECEdit::InsertLineAfter(nullptr, a), -1);
  EXPECT_EQ(SECEdit::RenumberLines(c), 4);
  int pos = 0;
  EXPECT_EQ(SECEdit::GetFirstLine(b, &pos), empty);
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(SECEdit::GetLastLine(empty), c);
  EXPECT_EQ(SECEdit::GetLineNumber(b), 3u);
  EXPECT_EQ(SECEdit::UnlinkLine(b), 0);
  EXPECT_EQ(a->pNext, c);
  EXPECT_EQ(c->pPrev, a);
  SECEdit::FreeLine(b);
  EXPECT_EQ(SECEdit::FreeLine(nullptr), -1);
  // Growing keeps the text and rounds the capacity.
  memcpy(a->pText, "hello", 6);
  a->nLength = 5;
  EXPECT_EQ(SECEdit::GrowLine(a, 20), 1);
  EXPECT_EQ(a->nCapacity, 32);
  EXPECT_EQ(SECEdit::GrowLine(a, 40), 1);
  EXPECT_EQ(a->nCapacity, 64);
  EXPECT_STREQ(a->pText, "hello");
  EXPECT_EQ(SECEdit::FreeLineList(c), 0);
  EXPECT_EQ(SECEdit::FreeLineList(nullptr), -1);
}

TEST(SECEditStore, GetLineAndPositions) {
  SECEdit e;
  SetText(e, "one\r\ntwo\r\nthree");
  EXPECT_EQ(e.m_nLineCount, 3);
  EXPECT_STREQ(e.GetLine(2)->pText, "two\r\n");
  EXPECT_STREQ(e.GetLine(0)->pText, "three");
  EXPECT_STREQ(e.GetLine(99)->pText, "three");
  SECEditPos a = Pos(e, 1, 2), b = Pos(e, 3, 0), c = Pos(e, 1, 1);
  EXPECT_TRUE(e.PosLessEqual(a, b));
  EXPECT_FALSE(e.PosLessEqual(b, a));
  EXPECT_TRUE(e.PosLessEqual(c, a));
  EXPECT_FALSE(e.PosLessEqual(a, c));
  EXPECT_EQ(e.TextLength(e.GetLine(1)), 3);
  EXPECT_EQ(e.TextLength(e.GetLine(3)), 5);
}

TEST(SECEditStore, DisplayColumnsWithTabs) {
  SECEdit e;
  e.SetTabSize(4);
  SetText(e, "\tab\r\n");
  tagLINEDESC* l = e.m_pLine;
  EXPECT_EQ(e.GetTextWidth(l->pText, e.TextLength(l)), 6);
  EXPECT_EQ(e.ColumnToOffset(l, 5), 2);
  EXPECT_EQ(e.ColumnToOffset(l, 0), 0);
  EXPECT_EQ(e.ColumnToOffset(l, 3), 0);
  EXPECT_EQ(e.ColumnToOffset(l, 4), 1);
  EXPECT_EQ(e.ColumnToOffset(l, -3), 0);
  EXPECT_EQ(e.ColumnToOffset(l, 10), 7);  // virtual space: one column per byte
  EXPECT_EQ(e.OffsetToColumn(l, 1), 4);
  EXPECT_EQ(e.OffsetToColumn(l, 3), 6);
  EXPECT_EQ(e.OffsetToColumn(l, 5), 8);
  tagLINEDESC* bare = SECEdit::NewLine(0);
  EXPECT_EQ(e.OffsetToColumn(bare, 7), 7);
  EXPECT_EQ(e.ColumnToOffset(bare, 7), 7);
  SECEdit::FreeLine(bare);
  // A tab at a tab stop takes a full tab size.
  EXPECT_EQ(e.GetTextWidth("abcd\t", 5), 8);
  e.m_nTabSize = 0;  // a stored zero is taken as 1
  EXPECT_EQ(e.GetTextWidth("\t\t", 2), 2);
}

TEST(SECEditStore, ExpandTabs) {
  int n = 0;
  char* p = SECEdit::ExpandTabs("a\tb\r\n\tc", 7, 4, 2, &n);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p, (size_t)n), "a   b\r\n    c");
  free(p);
  p = SECEdit::ExpandTabs("plain", 5, 4, 2, &n);
  EXPECT_STREQ(p, "plain");
  EXPECT_EQ(n, 5);
  free(p);
}

TEST(SECEditStore, LineEndDetection) {
  EXPECT_EQ(SECEdit::DetectLineEndMode("a\r\nb", 4), 0);
  EXPECT_EQ(SECEdit::DetectLineEndMode("a\n\rb", 4), 1);
  EXPECT_EQ(SECEdit::DetectLineEndMode("a\nb\r\n", 5), 2);
  EXPECT_EQ(SECEdit::DetectLineEndMode("a\rb", 3), 3);
  EXPECT_EQ(SECEdit::DetectLineEndMode("abc", 3), -1);
  EXPECT_EQ(SECEdit::DetectLineEndMode("a\r", 2), 3);
}

TEST(SECEditStore, ConvertLineEndsKeepsEveryByte) {
  auto conv = [](const std::string& in, int mode) {
    char* p = static_cast<char*>(malloc(in.size() + 1));
    memcpy(p, in.c_str(), in.size() + 1);
    int n = SECEdit::ConvertLineEnds(p, (int)in.size(), mode);
    std::string out(p, (size_t)n);
    free(p);
    return out;
  };
  EXPECT_EQ(conv("a\r\nb\r\nc", 2), "a\nb\nc");
  EXPECT_EQ(conv("a\nb\nc", 0), "a\r\nb\r\nc");
  EXPECT_EQ(conv("a\n\rb", 0), "a\r\nb");
  EXPECT_EQ(conv("a\rb\r", 1), "a\n\rb\n\r");
  EXPECT_EQ(conv("no line end", 0), "no line end");
  // Mixed text: a lone LF in CR LF text ends a line and the byte after it stays.
  EXPECT_EQ(conv("a\r\nb\nc\rd", 2), "a\nb\nc\nd");
  EXPECT_EQ(conv("x\r\n\ny", 0), "x\r\n\r\ny");
}

TEST(SECEditStore, SplitIntoLinesNormalisesLineEnds) {
  SECEdit e;
  SetText(e, "a\r\n\r\nb");
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"a\r\n", "\r\n", "b"}));
  SetText(e, "a\nb\r\nc");  // a lone LF in mode 0 still ends a line
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"a\r\n", "b\r\n", "c"}));
  SetText(e, "x\n\ny");  // two lone LFs are two line ends
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"x\r\n", "\r\n", "y"}));
  e.SetLineEndMode(2);
  SetText(e, "p\r\nq\n");
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"p\n", "q\n"}));
  EXPECT_EQ(e.SplitIntoLines("", 0), nullptr);
}

TEST(SECEditStore, OverLongLineIsCutWithOneWarning) {
  SECEdit e;
  int shown = SECEdit::ms_nShownMessages;
  std::string text(20000, 'x');
  text += "\r\n";
  text += std::string(40000, 'y');
  SetText(e, text);
  EXPECT_EQ(SECEdit::ms_nShownMessages, shown + 1);
  EXPECT_EQ(SECEdit::ms_nLastShownMessage, 21036u);
  std::vector<std::string> lines = Lines(e);
  ASSERT_EQ(lines.size(), 5u);
  std::string joined;
  for (const std::string& l : lines) {
    std::string body = l.size() >= 2 && l.substr(l.size() - 2) == "\r\n" ? l.substr(0, l.size() - 2) : l;
    EXPECT_LE((int)body.size(), SECEDIT_MAX_LINE - 2);
    joined += body;
  }
  EXPECT_EQ(joined, std::string(20000, 'x') + std::string(40000, 'y'));  // no byte lost at a cut
  EXPECT_EQ((int)lines[0].size(), SECEDIT_MAX_LINE - 2 + 2);
}

TEST(SECEditStore, HasNulls) {
  EXPECT_EQ(SECEdit::HasNulls("ab\0c", 4), 2);
  EXPECT_EQ(SECEdit::HasNulls("abc", 3), 0);
}

TEST(SECEditStore, EditorStringsReachTheResourceChain) {
  std::string text;
  ASSERT_TRUE(LoadStringResource(21005, text));
  EXPECT_EQ(text, "End of file.");
  ASSERT_TRUE(LoadStringResource(21035, text));
  EXPECT_EQ(text, "Nulls encounterd in file.  Use another editor to edit this file.");
  ASSERT_TRUE(LoadStringResource(21024, text));
  EXPECT_EQ(text, "Line end type");
}

TEST(SECEditStore, LongLineWarningIsShownInAnOkBox) {
  Automation::Instance().ClearMessageBoxes();
  SECEdit e;
  SetText(e, std::string(17000, 'k') + "\r\n" + std::string(17000, 'm'));
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "This file contains lines longer than the 16384 character maximum.\r\nThe lines will be wrapped.");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, MB_OK);
}

TEST(SECEditStore, LineNumbersCatchUpWithEditsAboveThem) {
  SECEdit e;
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line\r\n";
  SetText(e, text);
  tagLINEDESC* last = e.GetLine(200);
  // More edits than the log of moves holds: the numbers stay right before and after it is settled.
  uint32_t seed = 7;
  for (int i = 0; i < SECEDIT_MAX_SHIFTS + 100; ++i) {
    seed = seed * 1103515245u + 12345u;
    SECEditPos p{e.GetLine(1 + (int)((seed >> 16) % 150)), 2};
    ASSERT_EQ(i % 3 == 2 ? e.JoinLines(p, TRUE) : e.SplitLine(p, TRUE), 0);
    if (i % 97 == 0) {
      ASSERT_TRUE(NumberedInOrder(e, e.m_nLineCount)) << i;
    }
  }
  EXPECT_EQ(e.LineNumber(last), (uint32_t)e.m_nLineCount);
  ASSERT_TRUE(NumberedInOrder(e, e.m_nLineCount));
  while (e.m_nUndoPos) ASSERT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), text);
  EXPECT_EQ(e.LineNumber(last), 200u);
  EXPECT_TRUE(NumberedInOrder(e, 200));
}
