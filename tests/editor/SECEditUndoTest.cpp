// Edit operations and the undo log of the text store.
#include "editor/text/SECEdit.h"
#include "tests/editor/EditTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {
int UndoAll(SECEdit& e) {
  int steps = 0;
  while (e.Undo()) ++steps;
  return steps;
}
int RedoAll(SECEdit& e) {
  int steps = 0;
  while (e.Redo()) ++steps;
  return steps;
}
}  // namespace

TEST(SECEditUndo, TypedCharactersUndoInOneStepPerLine) {
  SECEdit e;
  SetText(e, "abc\r\ndef\r\n");
  SECEditPos p = Pos(e, 1, 3);
  for (char c : std::string("xyz")) {
    ASSERT_EQ(e.InsertChar(p, c, TRUE, TRUE), 0);
    ++p.nOffset;
  }
  EXPECT_EQ(AllText(e), "abcxyz\r\ndef\r\n");
  EXPECT_TRUE(e.IsModified());
  EXPECT_EQ(e.m_nUndoPos, 3);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "abc\r\ndef\r\n");
  EXPECT_EQ(e.m_nUndoPos, 0);
  EXPECT_EQ(e.Undo(), 0);
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(AllText(e), "abcxyz\r\ndef\r\n");

  // Typing on two lines needs two undos.
  SECEditPos q = Pos(e, 2, 0);
  e.InsertChar(q, '1', TRUE, TRUE);
  SECEditPos r = Pos(e, 1, 0);
  e.InsertChar(r, '2', TRUE, TRUE);
  EXPECT_EQ(UndoAll(e), 3);
  EXPECT_EQ(AllText(e), "abc\r\ndef\r\n");
}

TEST(SECEditUndo, InsertTextOfTwoLines) {
  SECEdit e;
  SetText(e, "abcd");
  SECEditPos p = Pos(e, 1, 2);
  ASSERT_EQ(e.InsertText(p, "x\r\ny", -1, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abx\r\n", "ycd"}));
  EXPECT_EQ(e.m_nLineCount, 2);
  EXPECT_EQ(e.m_pUndo[0].nKind, SECUNDO_INSERTTEXT);
  EXPECT_EQ(e.m_pUndo[0].nEndLine, 2);
  EXPECT_EQ(e.m_pUndo[0].nEndOffset, 1);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "abcd");
  EXPECT_EQ(e.m_nLineCount, 1);
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abx\r\n", "ycd"}));
}

TEST(SECEditUndo, TypingXEnterYAtOffsetTwo) {
  SECEdit e;
  SetText(e, "abcd");
  SECEditPos p = Pos(e, 1, 2);
  e.BeginUndoGroup(TRUE);
  ASSERT_EQ(e.InsertChar(p, 'x', TRUE, TRUE), 0);
  e.BeginUndoGroup(FALSE);
  p.nOffset = 3;
  e.BeginUndoGroup(TRUE);
  ASSERT_EQ(e.SplitLine(p, TRUE), 0);
  e.BeginUndoGroup(FALSE);
  SECEditPos q = Pos(e, 2, 0);
  e.BeginUndoGroup(TRUE);
  ASSERT_EQ(e.InsertChar(q, 'y', TRUE, TRUE), 0);
  e.BeginUndoGroup(FALSE);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abx\r\n", "ycd\r\n"}));
  EXPECT_EQ(e.m_nLineCount, 2);
  // Three groups, each with its own stamp, undo one by one.
  EXPECT_NE(e.m_pUndo[0].dwGroup, e.m_pUndo[1].dwGroup);
  EXPECT_NE(e.m_pUndo[1].dwGroup, e.m_pUndo[2].dwGroup);
  EXPECT_EQ(UndoAll(e), 3);
  EXPECT_EQ(AllText(e), "abcd\r\n");  // the line end gained by typing stays
  EXPECT_EQ(RedoAll(e), 3);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abx\r\n", "ycd\r\n"}));
}

TEST(SECEditUndo, GroupsUndoAsOneStepAndNest) {
  SECEdit e;
  SetText(e, "line\r\n");
  EXPECT_EQ(e.GetUndoGroup(), 0u);
  e.BeginUndoGroup(TRUE);
  uint32_t stamp = e.GetUndoGroup();
  EXPECT_NE(stamp, 0u);
  e.BeginUndoGroup(TRUE);
  EXPECT_EQ(e.GetUndoGroup(), stamp);
  SECEditPos p = Pos(e, 1, 4);
  e.SplitLine(p, TRUE);
  e.BeginUndoGroup(FALSE);
  EXPECT_EQ(e.GetUndoGroup(), stamp);
  SECEditPos q = Pos(e, 2, 0);
  e.InsertChars(q, "more", TRUE, TRUE);
  e.BeginUndoGroup(FALSE);
  EXPECT_EQ(e.GetUndoGroup(), 0u);
  EXPECT_EQ(e.m_pUndo[1].dwGroup, stamp);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "line\r\n");
  EXPECT_EQ(e.m_nUndoPos, 0);
}

TEST(SECEditUndo, LogDropsOldest512WhenFull) {
  SECEdit e;
  SetText(e, "x\r\n");
  SECEditPos p = Pos(e, 1, 0);
  for (int i = 0; i < SECEDIT_UNDO_SIZE; ++i) {
    SECEditPos q = p;
    ASSERT_EQ(e.InsertChar(q, 'a', TRUE, TRUE), 0);
  }
  EXPECT_EQ(e.m_nUndoPos, 2048);
  SECEditPos q = p;
  e.InsertChar(q, 'b', TRUE, TRUE);
  EXPECT_EQ(e.m_nUndoPos, 1537);
  EXPECT_EQ(e.m_nUndoCount, 1537);
  EXPECT_EQ(e.m_pUndo[1536].chChar, 'b');
  EXPECT_EQ(e.m_pUndo[1537].nKind, 0);
  // Only the 1537 newest can be undone: 512 'a's stay.
  UndoAll(e);
  EXPECT_EQ(AllText(e), std::string(512, 'a') + "x\r\n");
}

TEST(SECEditUndo, AGroupIsNeverCutByTheFullLog) {
  // Single-letter inserts at the start, each its own step outside the group: an open group larger than
  // the log becomes one record; a closed one that the oldest 512 end inside is dropped whole.
  struct Case {
    int before, group, after, steps;
    std::string left;  // the text once every offered step is undone
  } cases[] = {
      {0, 5000, 0, 1, "x\r\n"},
      {100, 3000, 10, 111, "x\r\n"},
      {400, 1000, 1000, 1000, std::string(1000, 'g') + std::string(400, 'b') + "x\r\n"},
  };
  for (const Case& c : cases) {
    SECEdit e;
    SetText(e, "x\r\n");
    auto type = [&e](int n, const char* letter) {
      for (int i = 0; i < n; ++i) {
        SECEditPos q = Pos(e, 1, 0);
        ASSERT_EQ(e.InsertChars(q, letter, TRUE, TRUE), 0);
      }
    };
    type(c.before, "b");
    e.BeginUndoGroup(TRUE);
    type(c.group, "g");
    e.BeginUndoGroup(FALSE);
    type(c.after, "a");
    const std::string done = AllText(e);
    EXPECT_EQ(UndoAll(e), c.steps) << c.group;
    EXPECT_EQ(AllText(e), c.left) << c.group;
    EXPECT_EQ(RedoAll(e), c.steps) << c.group;
    EXPECT_EQ(AllText(e), done) << c.group;
  }
}

TEST(SECEditUndo, NewEditDropsRedoRecords) {
  SECEdit e;
  SetText(e, "abc");
  SECEditPos p = Pos(e, 1, 0);
  e.InsertChars(p, "123", TRUE, TRUE);
  SECEditPos q = Pos(e, 1, 6);
  e.SplitLine(q, TRUE);
  SECEditPos r = Pos(e, 2, 0);
  e.InsertChars(r, "zz", TRUE, TRUE);
  EXPECT_EQ(e.m_nUndoCount, 3);
  e.Undo();
  e.Undo();
  EXPECT_EQ(e.m_nUndoPos, 1);
  EXPECT_EQ(e.m_nUndoCount, 3);
  SECEditPos s = Pos(e, 1, 0);
  e.DeleteChar(s, TRUE);
  EXPECT_EQ(e.m_nUndoPos, 2);
  EXPECT_EQ(e.m_nUndoCount, 2);
  EXPECT_EQ(e.m_pUndo[2].nKind, 0);
  EXPECT_EQ(e.m_pUndo[2].pText, nullptr);
  EXPECT_EQ(e.Redo(), 0);
  EXPECT_EQ(AllText(e), "23abc\r\n");
}

TEST(SECEditUndo, DeleteCharAtLineEndAsksForJoin) {
  SECEdit e;
  SetText(e, "ab\r\ncd");
  SECEditPos p = Pos(e, 1, 2);
  EXPECT_EQ(e.DeleteChar(p, TRUE), SECEDIT_JOIN_LINE);
  p.nOffset = 9;
  EXPECT_EQ(e.DeleteChar(p, TRUE), SECEDIT_JOIN_LINE);
  EXPECT_EQ(AllText(e), "ab\r\ncd");
  EXPECT_FALSE(e.IsModified());
  EXPECT_EQ(e.m_nUndoPos, 0);
  SECEditPos last = Pos(e, 2, 0);
  EXPECT_EQ(e.JoinLines(last, TRUE), SECEDIT_END_OF_FILE);
  p.nOffset = 2;
  EXPECT_EQ(e.JoinLines(p, TRUE), 0);
  EXPECT_EQ(AllText(e), "abcd");
  EXPECT_EQ(e.m_nLineCount, 1);
}

TEST(SECEditUndo, ReadOnlyRefusesEveryEdit) {
  SECEdit e;
  SetText(e, "ab\r\ncd\r\n");
  e.SetReadOnly(TRUE);
  SECEditPos p = Pos(e, 1, 1), q = Pos(e, 2, 1);
  EXPECT_EQ(e.InsertChar(p, 'x', TRUE, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.InsertChars(p, "xy", TRUE, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.DeleteChar(p, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.DeleteChars(p, 2, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.DeleteText(p, q, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.InsertText(p, "a\r\nb", -1, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.SplitLine(p, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.JoinLines(p, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.DeleteColumnBlock(p, q, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.InsertColumnBlock(p, "x\r\ny", -1, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(AllText(e), "ab\r\ncd\r\n");
  EXPECT_FALSE(e.IsModified());
  EXPECT_EQ(e.m_nUndoPos, 0);
}

TEST(SECEditUndo, TypingPastTheEndFillsWithTabsAndSpaces) {
  SECEdit e;
  e.SetTabSize(4);
  SetText(e, "ab\r\nnext\r\n");
  SECEditPos p{e.GetLine(1), e.ColumnToOffset(e.GetLine(1), 9)};
  EXPECT_EQ(p.nOffset, 9);
  e.BeginUndoGroup(TRUE);
  ASSERT_EQ(e.InsertChar(p, 'X', TRUE, TRUE), 0);
  e.BeginUndoGroup(FALSE);
  EXPECT_EQ(Lines(e)[0], "ab\t     X\r\n");
  EXPECT_EQ(e.OffsetToColumn(e.GetLine(1), 8), 9);
  ASSERT_EQ(e.m_nUndoPos, 2);
  EXPECT_EQ(e.m_pUndo[0].nKind, SECUNDO_INSERTTEXT);
  EXPECT_STREQ(e.m_pUndo[0].pText, "\t     ");
  EXPECT_EQ(e.m_pUndo[1].nKind, SECUNDO_INSERTCHAR);
  EXPECT_EQ(e.m_pUndo[1].nOffset, 8);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "ab\r\nnext\r\n");

  e.m_bKeepTabs = FALSE;
  SECEditPos q = Pos(e, 2, 6);
  ASSERT_EQ(e.InsertChar(q, 'Y', TRUE, TRUE), 0);
  EXPECT_EQ(Lines(e)[1], "next  Y\r\n");
  // Without a group, fill and character undo one by one.
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(Lines(e)[1], "next  \r\n");
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(Lines(e)[1], "next\r\n");

  // Filled alone, a last line without a line end gains one.
  SetText(e, "ab");
  SECEditPos r = Pos(e, 1, 4);
  ASSERT_EQ(e.PadLine(r, TRUE), 0);
  EXPECT_EQ(AllText(e), "ab  \r\n");
}

TEST(SECEditUndo, OverwriteAtLineEndUndoesInEveryMode) {
  for (int mode = 0; mode < 4; ++mode) {
    SECEdit e;
    e.SetLineEndMode(mode);
    std::string le = e.m_szLineEnd;
    SetText(e, "ab" + le + "cd" + le);
    std::string before = AllText(e);
    SECEditPos p = Pos(e, 1, 2);
    ASSERT_EQ(e.InsertChar(p, 'Z', FALSE, TRUE), 0);
    EXPECT_EQ(Lines(e)[0], "abZ" + le) << mode;
    SECEditPos q = Pos(e, 2, 0);
    ASSERT_EQ(e.InsertChar(q, 'W', FALSE, TRUE), 0);
    EXPECT_EQ(Lines(e)[1], "Wd" + le) << mode;
    UndoAll(e);
    EXPECT_EQ(AllText(e), before) << mode;
    RedoAll(e);
    EXPECT_EQ(AllText(e), "abZ" + le + "Wd" + le) << mode;
  }
}

TEST(SECEditUndo, OverwriteManyCharactersRestoresThem) {
  SECEdit e;
  SetText(e, "abcdef\r\n");
  SECEditPos p = Pos(e, 1, 4);
  ASSERT_EQ(e.InsertChars(p, "WXYZ", FALSE, TRUE), 0);
  EXPECT_EQ(AllText(e), "abcdWXYZ\r\n");
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "abcdef\r\n");
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(AllText(e), "abcdWXYZ\r\n");
}

TEST(SECEditUndo, DeleteTextAcrossLinesAndGetText) {
  SECEdit e;
  e.SetLineEndMode(2);
  SetText(e, "first\nsecond\nthird\nlast");
  SECEditPos a = Pos(e, 1, 2), b = Pos(e, 3, 3);
  int n = 0;
  char* t = e.GetText(a, b, &n);
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t, "rst\r\nsecond\r\nthi");  // copies leave with CR LF
  EXPECT_EQ(n, 16);
  free(t);
  ASSERT_EQ(e.DeleteText(b, a, TRUE), 0);  // either order
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"fird\n", "last"}));
  EXPECT_EQ(e.m_nLineCount, 2);
  EXPECT_EQ(e.LineNumber(e.GetLine(2)), 2u);
  SECEditPos c = Pos(e, 1, 1);
  EXPECT_EQ(e.DeleteText(c, c, TRUE), SECEDIT_NO_SELECTION);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "first\nsecond\nthird\nlast");
  EXPECT_EQ(e.m_nLineCount, 4);
  // An end offset past its line's text is clamped.
  SECEditPos d = Pos(e, 1, 3), f = Pos(e, 2, 99);
  ASSERT_EQ(e.DeleteText(d, f, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"fir\n", "third\n", "last"}));
  e.Undo();
  EXPECT_EQ(AllText(e), "first\nsecond\nthird\nlast");
}

TEST(SECEditUndo, DeleteCharsAndJoinLimits) {
  SECEdit e;
  SetText(e, "abcdef\r\nxyz");
  SECEditPos p = Pos(e, 1, 4);
  ASSERT_EQ(e.DeleteChars(p, 10, TRUE), 0);
  EXPECT_EQ(Lines(e)[0], "abcd\r\n");
  EXPECT_EQ(e.m_pUndo[0].nEndOffset, 6);
  e.Undo();
  EXPECT_EQ(Lines(e)[0], "abcdef\r\n");
  // Joining lines wider than the maximum together is refused.
  SetText(e, std::string(10000, 'a') + "\r\n" + std::string(7000, 'b'));
  SECEditPos q = Pos(e, 1, 0);
  EXPECT_EQ(e.JoinLines(q, TRUE), SECEDIT_LINE_TOO_LONG);
  EXPECT_EQ(e.m_nLineCount, 2);
}

TEST(SECEditUndo, SplitOfLastLineWithoutLineEnd) {
  SECEdit e;
  SetText(e, "abc");
  SECEditPos p = Pos(e, 1, 7);  // virtual space splits at the text end
  ASSERT_EQ(e.SplitLine(p, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abc\r\n", ""}));
  e.Undo();
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"abc"}));
}

TEST(SECEditUndo, ColumnBlocks) {
  SECEdit e;
  e.SetTabSize(4);
  SetText(e, "abcdef\r\n\tgh\r\nxy\r\nlast\r\n");
  SECEditPos a = Pos(e, 1, 1), b = Pos(e, 3, 5);
  char* block = e.GetColumnBlock(a, b);
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "bcde\r\n   g\r\ny   ");
  free(block);
  ASSERT_EQ(e.DeleteColumnBlock(a, b, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"af\r\n", "h\r\n", "x\r\n", "last\r\n"}));
  EXPECT_EQ(e.Undo(), 1);  // one step, byte for byte
  EXPECT_EQ(AllText(e), "abcdef\r\n\tgh\r\nxy\r\nlast\r\n");
  EXPECT_EQ(e.m_nUndoPos, 0);
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"af\r\n", "h\r\n", "x\r\n", "last\r\n"}));

  // Short rows are padded to the block's width; rows past the end make new lines, and the filled
  // last line keeps the line end it gained, as a typed one does.
  SetText(e, "1234\r\nab");
  e.ClearUndo();
  SECEditPos p = Pos(e, 1, 2);
  ASSERT_EQ(e.InsertColumnBlock(p, "XYZ\r\nQ\r\nRS", -1, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"12XYZ34\r\n", "abQ  \r\n", "  RS \r\n"}));
  EXPECT_EQ(e.m_nLineCount, 3);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "1234\r\nab\r\n");
  EXPECT_EQ(e.m_nLineCount, 2);
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"12XYZ34\r\n", "abQ  \r\n", "  RS \r\n"}));
}

// Random edits, each run undone completely and redone completely.
TEST(SECEditUndo, RandomEditsUndoAndRedoExactly) {
  std::mt19937 rng(20261207);
  auto rnd = [&](int n) { return n <= 0 ? 0 : (int)(rng() % (uint32_t)n); };
  const char alphabet[] = "abc \tXYZ";
  int totalEdits = 0;
  for (int round = 0; round < 120; ++round) {
    SECEdit e;
    int mode = rnd(4);
    e.SetLineEndMode(mode);
    e.SetTabSize(1 + rnd(8));
    e.m_bKeepTabs = rnd(2);
    std::string le = e.m_szLineEnd;
    std::string start;
    int lines = 1 + rnd(6);
    for (int i = 0; i < lines; ++i) {
      for (int k = rnd(10); k > 0; --k) start += alphabet[rnd(8)];
      if (i + 1 < lines || rnd(2)) start += le;
    }
    SetText(e, start);
    std::string original = AllText(e);
    int edits = 10 + rnd(40);
    for (int i = 0; i < edits; ++i) {
      int n = e.m_nLineCount;
      ASSERT_TRUE(NumberedInOrder(e, n));
      tagLINEDESC* line = e.GetLine(1 + rnd(n));
      SECEditPos p{line, rnd(e.TextLength(line) + 4)};
      switch (rnd(11)) {
        case 0: e.InsertChar(p, alphabet[rnd(8)], rnd(2), TRUE); break;
        case 1: e.InsertChars(p, "q\tr", rnd(2), TRUE); break;
        case 2: e.DeleteChar(p, TRUE); break;
        case 3: e.DeleteChars(p, 1 + rnd(4), TRUE); break;
        case 4: e.SplitLine(p, TRUE); break;
        case 5: e.JoinLines(p, TRUE); break;
        case 6: {
          std::string t = rnd(2) ? "m\r\nn" : "one\ntwo\n";
          e.InsertText(p, t.c_str(), -1, TRUE);
          break;
        }
        case 7: {
          tagLINEDESC* l2 = e.GetLine(1 + rnd(n));
          SECEditPos q{l2, rnd(e.TextLength(l2) + 3)};
          e.DeleteColumnBlock(p, q, TRUE);
          break;
        }
        case 8: e.InsertColumnBlock(p, rnd(2) ? "ab\r\nc\r\nd" : "Q\nR\n", -1, TRUE); break;
        default: {
          tagLINEDESC* l2 = e.GetLine(1 + rnd(n));
          SECEditPos q{l2, rnd(e.TextLength(l2) + 2)};
          e.DeleteText(p, q, TRUE);
          break;
        }
      }
      ++totalEdits;
    }
    // Typing gives a last line without line end the text's own, and undo keeps it.
    auto body = [&le](std::string t) {
      if (t.size() >= le.size() && t.compare(t.size() - le.size(), le.size(), le) == 0) t.resize(t.size() - le.size());
      return t;
    };
    std::string edited = body(AllText(e));
    int editedCount = e.m_nLineCount;
    UndoAll(e);
    ASSERT_EQ(body(AllText(e)), body(original)) << "round " << round;
    ASSERT_TRUE(NumberedInOrder(e, e.m_nLineCount));
    RedoAll(e);
    ASSERT_EQ(body(AllText(e)), edited) << "round " << round;
    ASSERT_EQ(e.m_nLineCount, editedCount);
  }
  EXPECT_GT(totalEdits, 3000);
}

TEST(SECEditUndo, InsertTextTakesTheStoresLineEnds) {
  SECEdit e;
  e.SetLineEndMode(1);
  SetText(e, "head\n\rtail");
  SECEditPos p = Pos(e, 2, 2);
  ASSERT_EQ(e.InsertText(p, "A\r\nB\r\nC", -1, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"head\n\r", "taA\n\r", "B\n\r", "Cil"}));
  EXPECT_EQ(e.m_nLineCount, 4);
  EXPECT_EQ(e.m_pUndo[0].nEndLine, 4);
  EXPECT_EQ(e.m_pUndo[0].nEndOffset, 1);
  int n = 0;
  char* t = e.GetText(Pos(e, 2, 0), Pos(e, 4, 1), &n);
  EXPECT_STREQ(t, "taA\r\nB\r\nC");
  free(t);
  e.Undo();
  EXPECT_EQ(AllText(e), "head\n\rtail");
  // A text ending in a line end leaves the rest of the line on a line of its own.
  SECEditPos q = Pos(e, 1, 4);
  ASSERT_EQ(e.InsertText(q, "X\n", -1, TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"headX\n\r", "\n\r", "tail"}));
  EXPECT_EQ(e.m_pUndo[0].nEndLine, 2);
  EXPECT_EQ(e.m_pUndo[0].nEndOffset, 0);
  e.Undo();
  EXPECT_EQ(AllText(e), "head\n\rtail");
  // A one-line text records its true end offset, also after tabs.
  e.SetTabSize(8);
  SetText(e, "\t\tx");
  e.ClearUndo();
  SECEditPos r = Pos(e, 1, 2);
  ASSERT_EQ(e.InsertText(r, "abc", -1, TRUE), 0);
  EXPECT_EQ(e.m_pUndo[0].nOffset, 2);
  EXPECT_EQ(e.m_pUndo[0].nEndOffset, 5);
  e.Undo();
  EXPECT_EQ(AllText(e), "\t\tx");
}

TEST(SECEditUndo, BadPositionsAreRefusedCleanly) {
  SECEdit e;
  SetText(e, "abc");
  SECEditPos none;
  EXPECT_EQ(e.InsertChar(none, 'x', TRUE, TRUE), SECEDIT_NO_TEXT);
  EXPECT_EQ(e.InsertText(none, "a\r\nb", -1, TRUE), SECEDIT_NO_TEXT);
  EXPECT_EQ(e.DeleteText(none, none, TRUE), SECEDIT_NO_SELECTION);
  EXPECT_EQ(e.SplitLine(none, TRUE), SECEDIT_NO_TEXT);
  EXPECT_EQ(e.JoinLines(none, TRUE), SECEDIT_NO_TEXT);
  EXPECT_EQ(e.GetText(none, none), nullptr);
  EXPECT_EQ(e.GetColumnBlock(none, none), nullptr);
  // Positions of two different texts.
  SECEdit other;
  SetText(other, "zzz");
  SECEditPos mine = Pos(e, 1, 0), theirs = Pos(other, 1, 2);
  EXPECT_EQ(e.DeleteText(mine, theirs, TRUE), SECEDIT_NO_SELECTION);
  EXPECT_EQ(e.GetText(mine, theirs), nullptr);
  SECEditPos neg = Pos(e, 1, -5);
  EXPECT_EQ(e.DeleteChar(neg, TRUE), SECEDIT_JOIN_LINE);
  EXPECT_EQ(e.InsertChar(neg, 'q', TRUE, TRUE), 0);
  EXPECT_EQ(AllText(e), "qabc\r\n");
  EXPECT_EQ(AllText(other), "zzz");
}
