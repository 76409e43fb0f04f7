#include "platform/core/File.h"

#include "platform/core/FileSystem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/SwappedLinks.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using dravonix::test::ReadFileText;

void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Opens and returns the failure cause, or -1 when it opened.
int OpenCause(CFile& f, const std::string& path, UINT flags, CFileException* ex = nullptr) {
  CFileException e;
  BOOL ok = f.Open(path.c_str(), flags, &e);
  if (ex) *ex = e;
  return ok ? -1 : e.m_cause;
}

}  // namespace

TEST(File, OpenModesCreateTruncateAndKeep) {
  std::string dir = dravonix::test::ScratchDir("file-modes");
  std::string path = dir + "/a.bin";
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    f.Write("hello world", 11);
    EXPECT_EQ(f.GetLength(), 11u);
    EXPECT_EQ(f.GetPosition(), 11u);
    EXPECT_EQ(f.GetFilePath(), CString(path.c_str()));
    EXPECT_EQ(f.GetFileName(), "a.bin");
    EXPECT_EQ(f.GetFileTitle(), "a");
  }
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    EXPECT_EQ(f.GetLength(), 11u);
    f.SeekToEnd();
    f.Write("!", 1);
    f.Seek(-6, CFile::end);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 6u);
    EXPECT_STREQ(buf, "world!");
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);  // at the end: nothing, no error
    f.SetLength(5);
    EXPECT_EQ(f.GetLength(), 5u);
    f.Close();
    EXPECT_EQ(f.m_hFile, CFile::hFileNull);
  }
  EXPECT_EQ(ReadFileText(path), "hello");
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(f.GetLength(), 0u);
  }
  CFile f;
  CFileException e;
  EXPECT_EQ(OpenCause(f, dir + "/none.bin", CFile::modeRead, &e), CFileException::fileNotFound);
  EXPECT_EQ(e.m_lOsError, ENOENT);
  char msg[200];
  e.GetErrorMessage(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), dir + "/none.bin was not found.");
  EXPECT_EQ(OpenCause(f, dir + "/no/such/dir.bin", CFile::modeCreate | CFile::modeWrite), CFileException::fileNotFound);
  EXPECT_EQ(OpenCause(f, dir, CFile::modeRead), CFileException::accessDenied);
  EXPECT_EQ(OpenCause(f, "", CFile::modeRead), CFileException::badPath);
  try {
    CFile bad((dir + "/none.bin").c_str(), CFile::modeRead);
    ADD_FAILURE();
  } catch (CFileException* ex) {
    EXPECT_EQ(ex->m_cause, CFileException::fileNotFound);
    ex->Delete();
  }
}

TEST(File, ShareModesAreEnforcedWithinTheProcess) {
  std::string dir = dravonix::test::ScratchDir("file-share");
  std::string path = dir + "/s.bin";
  Spit(path, "data");
  CFile reader;
  ASSERT_EQ(OpenCause(reader, path, CFile::modeRead | CFile::shareDenyWrite), -1);
  {
    CFile other;
    // Another reader that also denies writing: allowed.
    EXPECT_EQ(OpenCause(other, path, CFile::modeRead | CFile::shareDenyWrite), -1);
  }
  {
    CFile writer;
    CFileException e;
    EXPECT_EQ(OpenCause(writer, path, CFile::modeReadWrite | CFile::shareDenyNone, &e), CFileException::sharingViolation);
    char msg[200];
    e.GetErrorMessage(msg, sizeof msg);
    EXPECT_EQ(std::string(msg), "A sharing violation occurred while accessing " + path + ".");
    // A refused create leaves the contents alone.
    EXPECT_EQ(OpenCause(writer, path, CFile::modeCreate | CFile::modeWrite), CFileException::sharingViolation);
    EXPECT_EQ(ReadFileText(path), "data");
    // A reader that denies reading clashes with the open reader.
    EXPECT_EQ(OpenCause(writer, path, CFile::modeRead | CFile::shareDenyRead), CFileException::sharingViolation);
  }
  reader.Close();
  CFile exclusive;
  ASSERT_EQ(OpenCause(exclusive, path, CFile::modeReadWrite | CFile::shareExclusive), -1);
  {
    CFile again;
    EXPECT_EQ(OpenCause(again, path, CFile::modeRead | CFile::shareDenyNone), CFileException::sharingViolation);
  }
  exclusive.Abort();
  CFile again;
  EXPECT_EQ(OpenCause(again, path, CFile::modeRead | CFile::shareDenyNone), -1);
  {
    // Writers that share writing coexist.
    CFile w1, w2;
    Spit(dir + "/w.bin", "");
    EXPECT_EQ(OpenCause(w1, dir + "/w.bin", CFile::modeWrite | CFile::shareDenyNone), -1);
    EXPECT_EQ(OpenCause(w2, dir + "/w.bin", CFile::modeWrite | CFile::shareDenyRead), -1);
  }
}

TEST(File, SeekErrorsAndClosedFiles) {
  std::string path = dravonix::test::ScratchDir("file-seek") + "/x.bin";
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeReadWrite);
  try {
    f.Seek(-1, CFile::begin);
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badSeek);
    e->Delete();
  }
  f.Close();
  try {
    f.Write("x", 1);
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::invalidFile);
    e->Delete();
  }
}

TEST(File, RemoveRenameAndStatus) {
  std::string dir = dravonix::test::ScratchDir("file-names");
  std::string a = dir + "/a.txt", b = dir + "/b.txt";
  Spit(a, "12345");
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(a.c_str(), st));
  EXPECT_EQ(st.m_size, 5u);
  EXPECT_EQ(st.m_attribute & CFile::directory, 0);
  EXPECT_GT(st.m_mtime.GetTime(), 1500000000);
  // File times come from a finer clock than time(): they may stand up to a second ahead of it.
  EXPECT_LE(st.m_mtime.GetTime(), time(nullptr) + 1);
  EXPECT_TRUE(std::string(st.m_szFullName).ends_with("/a.txt"));
  ASSERT_TRUE(CFile::GetStatus(dir.c_str(), st));
  EXPECT_NE(st.m_attribute & CFile::directory, 0);
  EXPECT_FALSE(CFile::GetStatus((dir + "/none").c_str(), st));

  CFile::Rename(a.c_str(), b.c_str());
  EXPECT_FALSE(CFile::GetStatus(a.c_str(), st));
  EXPECT_EQ(ReadFileText(b), "12345");
  Spit(a, "other");
  try {
    CFile::Rename(a.c_str(), b.c_str());  // never replaces
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::accessDenied);
    e->Delete();
  }
  EXPECT_EQ(ReadFileText(b), "12345");
  CFile::Remove(a.c_str());
  try {
    CFile::Remove(a.c_str());
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e->m_strFileName, CString(a.c_str()));
    e->Delete();
  }
  try {
    CFile::Remove(dir.c_str());
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::accessDenied);
    e->Delete();
  }
  CFile f(b.c_str(), CFile::modeRead);
  ASSERT_TRUE(f.GetStatus(st));
  EXPECT_EQ(st.m_size, 5u);
}

TEST(File, UnreadableFileFailsCleanly) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  std::string path = dravonix::test::ScratchDir("file-perm") + "/locked.bin";
  Spit(path, "secret");
  chmod(path.c_str(), 0);
  CFile f;
  EXPECT_EQ(OpenCause(f, path, CFile::modeRead), CFileException::accessDenied);
}

TEST(StdioFile, TextModeTranslatesLineEndsBinaryKeepsThem) {
  std::string dir = dravonix::test::ScratchDir("stdio");
  std::string path = dir + "/t.txt";
  {
    CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    f.WriteString("one\ntwo\n");
    f.WriteString("three");
  }
  EXPECT_EQ(ReadFileText(path), "one\r\ntwo\r\nthree");
  {
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeText);
    CString line;
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "one");
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "two");
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "three");
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_EQ(f.GetLength(), 15u);
  }
  {
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeBinary);
    CString line;
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "one\r");
    char buf[4];
    EXPECT_EQ(f.ReadString(buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "two");
    EXPECT_EQ(f.ReadString(buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "\r\n");
  }
  // A lone CR stays, an empty line is a line, the buffer form keeps the LF.
  Spit(path, "a\rb\r\n\r\nlast");
  {
    CStdioFile f(path.c_str(), CFile::modeRead);
    char buf[16];
    EXPECT_EQ(f.ReadString(buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "a\rb\n");
    CString line("x");
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "");
    EXPECT_EQ(f.ReadString(buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "last");
    EXPECT_EQ(f.ReadString(buf, sizeof buf), nullptr);
    f.SeekToBegin();
    char raw[8] = {};
    EXPECT_EQ(f.Read(raw, 5), 5u);
    EXPECT_STREQ(raw, "a\rb\n\n");
  }
  {
    CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    f.WriteString("x\ny\n");
  }
  EXPECT_EQ(ReadFileText(path), "x\ny\n");
  CStdioFile missing;
  EXPECT_FALSE(missing.Open((dir + "/none.txt").c_str(), CFile::modeRead));
}

TEST(MemFile, GrowsAttachesAndDetaches) {
  CMemFile m(16);
  std::string data(100, 'm');
  m.Write(data.data(), (UINT)data.size());
  EXPECT_EQ(m.GetLength(), 100u);
  m.Seek(120, CFile::begin);
  m.Write("!", 1);
  EXPECT_EQ(m.GetLength(), 121u);
  m.SeekToBegin();
  char buf[130] = {};
  EXPECT_EQ(m.Read(buf, sizeof buf), 121u);
  EXPECT_EQ(buf[110], 0);  // the gap is zeros
  EXPECT_EQ(buf[120], '!');
  m.SetLength(10);
  EXPECT_EQ(m.GetLength(), 10u);
  EXPECT_EQ(m.GetPosition(), 10u);
  try {
    m.Seek(-11, CFile::current);
    ADD_FAILURE();
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badSeek);
    e->Delete();
  }

  BYTE fixed[4] = {1, 2, 3, 4};
  CMemFile f(fixed, sizeof fixed);
  EXPECT_EQ(f.GetLength(), 4u);
  f.Seek(2, CFile::begin);
  f.Write("ab", 2);
  EXPECT_EQ(fixed[2], 'a');
  try {
    f.Write("c", 1);  // a fixed buffer does not grow
    ADD_FAILURE();
  } catch (CMemoryException* e) {
    e->Delete();
  }
  EXPECT_EQ(f.Detach(), fixed);
  EXPECT_EQ(f.GetLength(), 0u);

  // An attached buffer with a grow step moves into memory of the file's own once full.
  BYTE small[2];
  CMemFile g(small, sizeof small, 8);
  EXPECT_EQ(g.GetLength(), 0u);
  g.Write("xyz", 3);
  BYTE* grown = g.Detach();
  ASSERT_NE(grown, small);
  EXPECT_EQ(memcmp(grown, "xyz", 3), 0);
  free(grown);
}

TEST(File, OpensThroughBackslashesAndAnyCase) {
  std::string dir = dravonix::test::ScratchDir("file-case");
  mkdir((dir + "/Firmware").c_str(), 0755);
  Spit(dir + "/Firmware/Setup.cfg", "cfg");
  CFile f((dir + "\\firmware\\SETUP.CFG").c_str(), CFile::modeRead | CFile::shareDenyWrite);
  char buf[4] = {};
  EXPECT_EQ(f.Read(buf, 3), 3u);
  EXPECT_STREQ(buf, "cfg");
  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus((dir + "\\FIRMWARE\\setup.cfg").c_str(), st));
  EXPECT_EQ(st.m_size, 3u);
  // The same file under another spelling is one file to the share table.
  CFile g;
  EXPECT_EQ(OpenCause(g, dir + "/Firmware/Setup.cfg", CFile::modeWrite), CFileException::sharingViolation);
}

TEST(File, ASaveBesideWritesOnlyTheFileItMadeWhateverItsNameLeadsTo) {
  const std::string root = dravonix::test::ScratchDir("file-beside-swapped"), dir = root + "/folder";
  const dravonix::test::Outside outside(root + "/outside");
  const auto before = outside.State();
  mkdir(dir.c_str(), 0777);
  const struct {
    const char* what;
    bool absent;  // the link leads where nothing is
    std::function<CFile*()> make;
  } kCases[] = {
      {"file", false, [] { return new CFile; }},
      {"text file", false, [] { return new CStdioFile; }},
      {"file through a link to nothing", true, [] { return new CFile; }},
  };
  for (const auto& c : kCases) {
    const std::string target = dir + "/doc.bin";
    Spit(target, "old");
    chmod(target.c_str(), 0600);
    CSaveBeside save(target.c_str());
    // Swapped between the making of the temporary file and its open.
    dravonix::test::SwapOwnNamesForLinks(dir, outside, c.absent);
    std::unique_ptr<CFile> file(c.make());
    CFileException error;
    ASSERT_TRUE(file->OpenBeside(save, target.c_str(), CFile::modeWrite | CFile::typeBinary, &error)) << c.what;
    file->Write("new", 3);
    // The rename finds a link where its file was, and refuses to put it in the target's place.
    bool refused = false;
    try {
      file->CommitBeside(save);
    } catch (CFileException* e) {
      refused = e->m_strFileName == target.c_str();
      e->Delete();
    }
    EXPECT_TRUE(refused) << c.what;
    save.Discard();
    EXPECT_EQ(outside.State(), before) << c.what;
    EXPECT_EQ(ReadFileText(target), "old") << c.what;
  }
}

TEST(File, ASaveSweepsWhatAKilledSaveOfItsFileLeft) {
  const std::string dir = dravonix::test::ScratchDir("file-beside-killed"), target = dir + "/doc.bin";
  Spit(target, "old");
  Spit(dir + "/other.bin.~dvx-k3j9x2", "another file's");
  auto save = [&](const char* bytes) {
    CSaveBeside beside(target.c_str());
    CStdioFile file;
    if (!file.OpenBeside(beside, target.c_str(), CFile::modeWrite | CFile::typeBinary)) return;
    file.Write(bytes, (UINT)strlen(bytes));
    if (strcmp(bytes, "killed") == 0) raise(SIGKILL);
    file.CommitBeside(beside);
  };
  save("first");  // the process has saved the file before
  usleep(10000);  // on a later tick of the folder's clock
  EXPECT_EQ(dravonix::test::InChildProcess([&] {
              save("killed");
              return std::string();
            }),
            "child failed: signal 9 ");
  ASSERT_EQ(dravonix::test::SaveLeftovers(target).size(), 1u);
  save("new");
  EXPECT_TRUE(dravonix::test::SaveLeftovers(target).empty());
  EXPECT_EQ(ReadFileText(target), "new");
  EXPECT_EQ(ReadFileText(dir + "/other.bin.~dvx-k3j9x2"), "another file's");
}

TEST(File, ASaveStoppedByNamesThatExistSaysSoNotThatAccessWasDenied) {
  const std::string dir = dravonix::test::ScratchDir("file-beside-names-taken"), target = dir + "/report.doc";
  CSaveBeside beside(target.c_str());
  CFile file;
  ASSERT_TRUE(file.OpenBeside(beside, target.c_str(), CFile::modeWrite));
  file.Write("new", 3);
  // Meanwhile the file is made by another, whose save holds its first temporary name, and the
  // user's files hold every name of a mark.
  Spit(target, "theirs");
  CSaveBeside other(target.c_str());
  for (const char* mark : {"zzzzzz", "zzzzzy", "zzzzzx"}) Spit(target + ".~dvx-" + mark, "mine");
  char text[256] = "";
  try {
    file.CommitBeside(beside);
  } catch (CFileException* e) {
    e->GetErrorMessage(text, sizeof text);
    e->Delete();
  }
  EXPECT_STREQ(text, "Cannot create a file when that file already exists.");
}
