// Corner cases of the text object: its texts, the modified flag seen by a derived object, and the
// regular expressions' documented corners.
#include "editor/EditorStrings.h"
#include "editor/text/SECEdit.h"
#include "editor/core/SECRegExp.h"
#include "tests/editor/EditTestUtil.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// Records every change of the modified flag, as a derived text object may.
class WatchingEdit : public SECEdit {
 public:
  BOOL SetModified(BOOL b) override {
    calls.push_back(b);
    return SECEdit::SetModified(b);
  }
  std::vector<BOOL> calls;
};

}  // namespace

TEST(SECEditEdge, EveryTextOfTheStringTable) {
  const std::pair<UINT, const char*> texts[] = {
      {21000, "The file is read only."},
      {21001, "The clipboard is empty."},
      {21002, "Can't read data."},
      {21003, "Cannot complete operation.  Maximum line length would be exceeded."},
      {21004, "Out of memory."},
      {21005, "End of file."},
      {21006, "There is no selection."},
      {21007, "Untitled."},
      {21008, "Top of file."},
      {21009, "There is no text."},
      {21010, "Stream Only."},
      {21011, "The string '%s' was not found."},
      {21012, "Wrapped."},
      {21013, "Finished searching for '%s'."},
      {21014, "Join line."},
      {21015, "Delete line."},
      {21016, "Tab size"},
      {21017, "Keep tabs"},
      {21018, "Show tabs"},
      {21019, "Font name"},
      {21020, "Font size"},
      {21021, "Word wrap"},
      {21022, "Insert"},
      {21023, "Lock files"},
      {21024, "Line end type"},
      {21035, "Nulls encounterd in file.  Use another editor to edit this file."},
      {21036, "This file contains lines longer than the %d character maximum.\r\nThe lines will be wrapped."},
      {21037, "Font weight"},
      {21038, "Font Italic"},
      {21039, "CharSet"},
  };
  for (const auto& t : texts) {
    const char* have = GetEditorString(t.first);
    ASSERT_NE(have, nullptr) << t.first;
    EXPECT_STREQ(have, t.second) << t.first;
  }
}

TEST(SECEditEdge, ModifiedFlagGoesThroughTheVirtualSetter) {
  WatchingEdit e;
  SetText(e, "ab\r\ncd\r\n");
  e.calls.clear();
  SECEditPos p = Pos(e, 1, 1);
  ASSERT_EQ(e.InsertChar(p, 'x', TRUE, TRUE), 0);
  ASSERT_FALSE(e.calls.empty());
  EXPECT_TRUE(e.calls.back());

  std::string path = dravonix::test::ScratchDir("edge-modified") + "/w.txt";
  e.calls.clear();
  ASSERT_EQ(e.WriteToFile(path.c_str()), 0);
  ASSERT_EQ(e.calls.size(), 1u);
  EXPECT_FALSE(e.calls[0]);
  EXPECT_FALSE(e.IsModified());

  // Refused edits leave the flag alone, whichever way it stands.
  e.SetModified(TRUE);
  e.SetReadOnly(TRUE);
  e.calls.clear();
  SECEditPos q = Pos(e, 2, 0);
  EXPECT_EQ(e.InsertChar(q, 'y', TRUE, TRUE), SECEDIT_READONLY);
  EXPECT_EQ(e.DeleteChar(q, TRUE), SECEDIT_READONLY);
  EXPECT_TRUE(e.calls.empty());
  EXPECT_TRUE(e.IsModified());
}

TEST(SECEditEdge, DeletingBetweenEqualPositionsIsNoSelection) {
  SECEdit e;
  SetText(e, "abc\r\ndef\r\n");
  SECEditPos a = Pos(e, 1, 2), b = Pos(e, 1, 2);
  EXPECT_EQ(e.DeleteText(a, b, TRUE), SECEDIT_NO_SELECTION);
  EXPECT_EQ(AllText(e), "abc\r\ndef\r\n");
  EXPECT_FALSE(e.IsModified());
  EXPECT_EQ(e.m_nUndoPos, 0);
}

TEST(SECEditEdge, EmptyFileReadsAsOneEmptyLine) {
  std::string path = dravonix::test::ScratchDir("edge-empty") + "/e.txt";
  { std::ofstream f(path, std::ios::binary | std::ios::trunc); }
  SECEdit e;
  SetText(e, "old\r\ntext\r\n");
  ASSERT_EQ(e.ReadFromFile(path.c_str()), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{""}));
  EXPECT_EQ(e.m_nLineCount, 1);
}

TEST(SECRegExpEdge, DocumentedCorners) {
  SECRegExp re;
  // "$" alone: the empty string at the end.
  ASSERT_NE(re.Compile("$"), nullptr);
  EXPECT_EQ(re.Execute("abc"), 3);
  EXPECT_EQ(re.GetGroupEnd(0) - re.GetGroupStart(0), 0);
  // A leading "|": the empty first alternative matches at once.
  ASSERT_NE(re.Compile("|b"), nullptr);
  EXPECT_EQ(re.Execute("ab"), 0);
  EXPECT_EQ(re.GetGroupEnd(0) - re.GetGroupStart(0), 0);
  // Sets: "]" first, "-" last.
  ASSERT_NE(re.Compile("[]x]"), nullptr);
  EXPECT_EQ(re.Execute("a]"), 1);
  ASSERT_NE(re.Compile("[a-]"), nullptr);
  EXPECT_EQ(re.Execute("x-"), 1);
  EXPECT_EQ(re.Compile("[b-a]"), nullptr);
  // Every pair of repetition operators is refused.
  for (const char* p : {"a**", "a*+", "a*?", "a+*", "a++", "a+?", "a?*", "a?+", "a??"})
    EXPECT_EQ(re.Compile(p), nullptr) << p;
  // Template: "\\" and "\&" give the second character; "\x" stays as typed.
  ASSERT_NE(re.Compile("b"), nullptr);
  ASSERT_EQ(re.Execute("abc"), 1);
  char* out = re.Substitute("\\\\|\\&|\\x|&");
  ASSERT_NE(out, nullptr);
  EXPECT_STREQ(out, "\\|&|\\x|b");
  delete[] out;
}
