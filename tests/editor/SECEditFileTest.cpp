// Reading, writing, renaming and inserting files with the text store.
#include "editor/text/SECEdit.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "tests/editor/EditTestUtil.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using dravonix::test::ScratchDir;

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), (std::streamsize)bytes.size());
}

using dravonix::test::ReadFileText;

struct Loaded {
  int result;
  int mode;
  std::vector<std::string> lines;
};

Loaded Load(const std::string& bytes, const std::string& name = "in.txt") {
  std::string path = ScratchDir("load") + "/" + name;
  WriteBytes(path, bytes);
  SECEdit e;
  int r = e.ReadFromFile(path.c_str());
  return Loaded{r, e.m_nLineEndMode, Lines(e)};
}

}  // namespace

TEST(SECEditFile, LineEndModesFromTheFirstLineEnd) {
  Loaded a = Load("a\r\nb");
  EXPECT_EQ(a.result, 0);
  EXPECT_EQ(a.mode, 0);
  EXPECT_EQ(a.lines, (std::vector<std::string>{"a\r\n", "b"}));
  Loaded b = Load("a\nb\n");
  EXPECT_EQ(b.mode, 2);
  EXPECT_EQ(b.lines, (std::vector<std::string>{"a\n", "b\n"}));
  Loaded c = Load("a\n\rb\n\r");
  EXPECT_EQ(c.mode, 1);
  EXPECT_EQ(c.lines, (std::vector<std::string>{"a\n\r", "b\n\r"}));
  Loaded d = Load("a\rb");
  EXPECT_EQ(d.mode, 3);
  EXPECT_EQ(d.lines, (std::vector<std::string>{"a\r", "b"}));
}

TEST(SECEditFile, LinesWithoutLineEnd) {
  Loaded shortOne = Load(std::string(100, 'q'));
  EXPECT_EQ(shortOne.result, 0);
  EXPECT_EQ(shortOne.mode, 0);
  EXPECT_EQ(shortOne.lines, (std::vector<std::string>{std::string(100, 'q')}));
  Loaded longOne = Load(std::string(20000, 'q'));
  EXPECT_EQ(longOne.result, SECEDIT_LINE_TOO_LONG);
}

TEST(SECEditFile, NullsAndCtrlZ) {
  std::string nul = "abc\r\nd";
  nul += '\0';
  nul += "e\r\n";
  EXPECT_EQ(Load(nul).result, SECEDIT_NULLS_IN_FILE);
  Loaded z = Load("one\r\ntwo\r\n\x1a");
  EXPECT_EQ(z.lines, (std::vector<std::string>{"one\r\n", "two\r\n"}));
  Loaded z2 = Load("one\r\ntwo\x1a");
  EXPECT_EQ(z2.lines, (std::vector<std::string>{"one\r\n", "two"}));
  // A Ctrl-Z inside the text is text.
  Loaded z3 = Load("a\x1a" "b\r\n");
  EXPECT_EQ(z3.lines, (std::vector<std::string>{"a\x1a" "b\r\n"}));
  // A NUL in a later chunk refuses the file too.
  std::string late;
  while (late.size() < 40000) late += "0123456789012345678\r\n";
  late += '\0';
  EXPECT_EQ(Load(late).result, SECEDIT_CANT_READ);
}

TEST(SECEditFile, FailedReadKeepsTheText) {
  SECEdit e;
  SetText(e, "keep me\r\n");
  std::string dir = ScratchDir("failed");
  std::string bad = dir + "/bad.txt";
  WriteBytes(bad, std::string("x\r\n") + '\0');
  EXPECT_EQ(e.ReadFromFile(bad.c_str()), SECEDIT_NULLS_IN_FILE);
  EXPECT_EQ(AllText(e), "keep me\r\n");
  EXPECT_EQ(e.m_nLineEndMode, 0);
  EXPECT_EQ(e.ReadFromFile((dir + "/missing.txt").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(AllText(e), "keep me\r\n");
  // An empty file gives one empty line.
  std::string empty = dir + "/empty.txt";
  WriteBytes(empty, "");
  EXPECT_EQ(e.ReadFromFile(empty.c_str()), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{""}));
  EXPECT_EQ(e.m_nLineCount, 1);
}

TEST(SECEditFile, LineEndSplitAcrossChunks) {
  // The CR of a CR LF pair is the last byte of the first 32767-byte chunk.
  std::string text;
  std::string line(98, 'a');
  while (text.size() + 100 <= 32766) text += line + "\r\n";
  text += std::string(32766 - text.size(), 'b');
  ASSERT_EQ(text.size(), 32766u);
  text += "\r\nlast\r\n";
  Loaded l = Load(text);
  ASSERT_EQ(l.result, 0);
  std::string joined;
  for (const std::string& s : l.lines) {
    EXPECT_TRUE(s.size() >= 2 && s.substr(s.size() - 2) == "\r\n");
    EXPECT_EQ(s.find('\r'), s.size() - 2);
    joined += s;
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(l.lines.back(), "last\r\n");
}

TEST(SECEditFile, LongLineCutOnceWithWarning) {
  int before = SECEdit::ms_nShownMessages;
  Loaded l = Load("short\r\n" + std::string(20000, 'w') + "\r\nend");
  EXPECT_EQ(l.result, 0);
  EXPECT_EQ(SECEdit::ms_nShownMessages, before + 1);
  EXPECT_EQ(SECEdit::ms_nLastShownMessage, 21036u);
  ASSERT_EQ(l.lines.size(), 4u);
  EXPECT_EQ(l.lines[1], std::string(16382, 'w') + "\r\n");
  EXPECT_EQ(l.lines[2], std::string(20000 - 16382, 'w') + "\r\n");
}

TEST(SECEditFile, LargeFileRoundTrip) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\twith a tab\n";
  std::string dir = ScratchDir("large");
  std::string in = dir + "/big.txt", out = dir + "/copy.txt";
  WriteBytes(in, text);
  SECEdit e;
  ASSERT_EQ(e.ReadFromFile(in.c_str()), 0);
  EXPECT_EQ(e.m_nLineCount, 20000);
  EXPECT_EQ(e.m_nLineEndMode, 2);
  EXPECT_EQ(e.LineNumber(e.GetLine(12345)), 12345u);
  e.SetModified(TRUE);
  ASSERT_EQ(e.WriteToFile(out.c_str()), 0);
  EXPECT_FALSE(e.IsModified());
  EXPECT_EQ(ReadFileText(out), text);
}

TEST(SECEditFile, WriteRefusesReadOnlyFile) {
  std::string dir = ScratchDir("readonly");
  std::string path = dir + "/ro.txt";
  WriteBytes(path, "original\r\n");
  ASSERT_TRUE(SetFileAttributes(path.c_str(), FILE_ATTRIBUTE_READONLY));
  SECEdit e;
  ASSERT_EQ(e.ReadFromFile(path.c_str()), 0);
  EXPECT_TRUE(e.IsReadOnly());
  e.SetReadOnly(FALSE);
  SECEditPos p = Pos(e, 1, 0);
  e.InsertChars(p, "changed ", TRUE, TRUE);
  EXPECT_EQ(e.WriteToFile(path.c_str()), SECEDIT_READONLY);
  EXPECT_TRUE(e.IsModified());
  EXPECT_EQ(ReadFileText(path), "original\r\n");
  SetFileAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(e.WriteToFile(path.c_str()), 0);
  EXPECT_EQ(ReadFileText(path), "changed original\r\n");
}

TEST(SECEditFile, WriteKeepsLineEndsAndLeavesNoTemporaryFile) {
  std::string dir = ScratchDir("write");
  std::string path = dir + "/m.txt";
  WriteBytes(path, "x\ry\r");
  SECEdit e;
  ASSERT_EQ(e.ReadFromFile(path.c_str()), 0);
  SECEditPos p = Pos(e, 2, 1);
  e.SplitLine(p, TRUE);
  ASSERT_EQ(e.WriteToFile(path.c_str()), 0);
  EXPECT_EQ(ReadFileText(path), "x\ry\r\r");
  CFileFind ff;
  std::vector<std::string> names;
  BOOL more = ff.FindFile((dir + "/*").c_str());
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots()) names.push_back((const char*)ff.GetFileName());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"m.txt"}));
}

TEST(SECEditFile, WriteIsOnTheDiskBeforeItsRenameAndTheFolderAfter) {
  const std::string dir = ScratchDir("write-synced"), path = dir + "/m.txt";
  WriteBytes(path, "old\n");
  SECEdit e;
  ASSERT_EQ(e.ReadFromFile(path.c_str()), 0);
  static std::vector<std::string> s_synced;
  s_synced.clear();
  g_pfnSyncStep = [](const char* synced) {
    const std::string name = synced;
    s_synced.push_back(name.substr(name.find_last_of('/') + 1, 11));
  };
  const int written = e.WriteToFile(path.c_str());
  g_pfnSyncStep = nullptr;
  ASSERT_EQ(written, 0);
  EXPECT_EQ(ReadFileText(path), "old\n");
  EXPECT_EQ(s_synced, (std::vector<std::string>{"m.txt.~dvx-", dir.substr(dir.find_last_of('/') + 1, 11)}));
}

TEST(SECEditFile, RenameRules) {
  std::string dir = ScratchDir("rename");
  std::string a = dir + "/a.txt", b = dir + "/b.txt", A = dir + "/A.TXT";
  WriteBytes(a, "alpha\r\n");
  SECEdit e;
  EXPECT_EQ(e.RenameFile(a.c_str(), A.c_str()), 0);
  EXPECT_EQ(ReadFileText(a), "alpha\r\n");
  EXPECT_EQ(e.RenameFile((dir + "/none.txt").c_str(), b.c_str()), SECEDIT_CANT_READ);
  WriteBytes(b, "beta\r\n");
  SetFileAttributes(b.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(e.RenameFile(a.c_str(), b.c_str()), SECEDIT_READONLY);
  EXPECT_EQ(ReadFileText(a), "alpha\r\n");
  EXPECT_EQ(ReadFileText(b), "beta\r\n");
  SetFileAttributes(b.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(e.RenameFile(a.c_str(), b.c_str()), 0);
  EXPECT_EQ(ReadFileText(b), "alpha\r\n");
  EXPECT_EQ(GetFileAttributes(a.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SECEditFile, LockedFileIsKeptOpenAndClosed) {
  std::string dir = ScratchDir("lock");
  std::string path = dir + "/l.txt";
  WriteBytes(path, "locked\r\n");
  {
    SECEdit e;
    e.SetLockFiles(TRUE);
    ASSERT_EQ(e.ReadFromFile(path.c_str()), 0);
    ASSERT_NE(e.m_pFile, nullptr);
    // Others may read the file but not write it.
    CFile reader;
    EXPECT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
    reader.Close();
    CFile writer;
    EXPECT_FALSE(writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone));
    // Writing closes the kept handle, replaces the file and locks it again.
    SECEditPos p = Pos(e, 1, 0);
    e.InsertChar(p, '!', TRUE, TRUE);
    EXPECT_EQ(e.WriteToFile(path.c_str()), 0);
    EXPECT_NE(e.m_pFile, nullptr);
    EXPECT_EQ(ReadFileText(path), "!locked\r\n");
  }
  // Destroying the text object let go of the file.
  CFile writer;
  EXPECT_TRUE(writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone));
}

TEST(SECEditFile, InsertFromFileTakesTheTextsLineEnds) {
  std::string dir = ScratchDir("insert");
  std::string path = dir + "/part.txt";
  WriteBytes(path, "p1\np2");
  SECEdit e;
  SetText(e, "one\r\ntwo\r\n");
  SECEditPos p = Pos(e, 2, 2);
  ASSERT_EQ(e.InsertFromFile(p, path.c_str(), TRUE), 0);
  EXPECT_EQ(Lines(e), (std::vector<std::string>{"one\r\n", "p1\r\n", "p2\r\n", "two\r\n"}));
  EXPECT_EQ(e.m_nLineCount, 4);
  EXPECT_EQ(p.pLine, e.GetLine(2));
  EXPECT_EQ(p.nOffset, 0);
  EXPECT_TRUE(e.IsModified());
  EXPECT_EQ(e.m_pUndo[0].nKind, SECUNDO_INSERTFILE);
  EXPECT_EQ(e.m_pUndo[0].nEndLine, 4);
  EXPECT_EQ(e.Undo(), 1);
  EXPECT_EQ(AllText(e), "one\r\ntwo\r\n");
  EXPECT_EQ(e.Redo(), 1);
  EXPECT_EQ(AllText(e), "one\r\np1\r\np2\r\ntwo\r\n");
  SECEditPos q = Pos(e, 1, 0);
  EXPECT_GT(e.InsertFromFile(q, (dir + "/missing").c_str(), TRUE), 0);
  EXPECT_EQ(e.m_nLineCount, 4);
}

TEST(SECEditFile, UnreadableAndLockedFiles) {
  std::string dir = ScratchDir("unreadable");
  SECEdit e;
  SetText(e, "text\r\n");
  int r = e.ReadFromFile(dir.c_str());  // a folder
  EXPECT_GT(r, 0);
  EXPECT_LT(r, 21000);
  EXPECT_EQ(AllText(e), "text\r\n");
  EXPECT_NE(e.WriteToFile(dir.c_str()), 0);
  // A file locked by another text object is read but not replaced.
  std::string path = dir + "/shared.txt";
  WriteBytes(path, "first\r\n");
  SECEdit holder;
  holder.SetLockFiles(TRUE);
  ASSERT_EQ(holder.ReadFromFile(path.c_str()), 0);
  SECEdit other;
  ASSERT_EQ(other.ReadFromFile(path.c_str()), 0);
  EXPECT_EQ(AllText(other), "first\r\n");
  r = other.WriteToFile(path.c_str());
  EXPECT_EQ(r, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadFileText(path), "first\r\n");
  // Renaming a file to its own name does nothing.
  EXPECT_EQ(other.RenameFile(path.c_str(), path.c_str()), 0);
  EXPECT_EQ(ReadFileText(path), "first\r\n");
}
