// INI files: Win32's matching, listing, deleting and truncation rules, and faithful rewriting.
#include "platform/core/Ini.h"

#include "platform/core/FileSystem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <csignal>
#include <functional>
#include <set>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

namespace fs = std::filesystem;
using dravonix::test::ScratchDir;

// A literal with embedded NULs, all of its bytes but the implicit final one.
#define BYTES(s) std::string(s, sizeof(s) - 1)

namespace {

using dravonix::test::WriteText;

using dravonix::test::ReadFileText;

std::string Get(const char* section, const char* key, const char* def, const fs::path& file, DWORD size = 256) {
  std::vector<char> buf(size);
  DWORD n = GetPrivateProfileString(section, key, def, buf.data(), size, file.c_str());
  return std::string(buf.data(), n);
}

// A NUL-separated list as returned, with its final NUL.
std::string List(const char* section, const fs::path& file, DWORD size = 256, DWORD* result = nullptr) {
  std::vector<char> buf(size, 'x');
  DWORD n = section ? GetPrivateProfileString(section, nullptr, nullptr, buf.data(), size, file.c_str())
                    : GetPrivateProfileSectionNames(buf.data(), size, file.c_str());
  if (result) *result = n;
  return std::string(buf.data(), std::min<size_t>(n + 1, size));
}

const char kSample[] =
    "; kernel settings\r\n"
    "orphan=before any section\r\n"
    "[Communication]\r\n"
    "  Channel =  COM3  \r\n"
    "BaudRate=115200\n"
    "garbage line without equals\r\n"
    "=no key\r\n"
    ";Type=5\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Odd=\"x'\r\n"
    "\r\n"
    "[Network]\r\n"
    "ServerPort=1700\r\n"
    "[unterminated\r\n"
    "k=v\r\n";

}  // namespace

// The bytes on the disk, read past the layer as another program reads them.
std::string OnDisk(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Ini, ABurstOfWritesIsSyncedOnceWhenTheFileIsNextNeeded) {
  const std::string dir = fs::canonical(ScratchDir("ini-synced")).string(), file = dir + "/s.ini";
  const std::string synced = "s.ini.~dvx- " + fs::path(dir).filename().string().substr(0, 11) + " ";
  const struct Case {
    const char* name;
    std::function<void()> flush;
  } cases[] = {
      {"flush of the file", [&] { WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str()); }},
      {"flush of all files", [] { WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr); }},
      {"another file reached by name", [&] { GetFileAttributes((dir + "/other").c_str()); }},
  };
  static std::string s_synced;
  for (const Case& c : cases) {
    fs::remove(file);
    s_synced.clear();
    g_pfnSyncStep = [](const char* path) { s_synced += fs::path(path).filename().string().substr(0, 11) + " "; };
    std::string expected = "[A]\r\n";
    for (int i = 0; i < 20; ++i) {
      const std::string key = "k" + std::to_string(i);
      EXPECT_TRUE(WritePrivateProfileString("A", key.c_str(), "v", file.c_str())) << c.name;
      expected += key + "=v\r\n";
    }
    const std::string during = s_synced, before = OnDisk(file);
    EXPECT_EQ(Get("A", "k19", "", file), "v") << c.name;
    c.flush();
    g_pfnSyncStep = nullptr;
    EXPECT_EQ(during, "") << c.name;
    EXPECT_EQ(before, "") << c.name;
    EXPECT_EQ(s_synced, synced) << c.name;
    EXPECT_EQ(OnDisk(file), expected) << c.name;
  }
}

TEST(Ini, HeldWritesReachTheFileAtExitAndAFailedFlushIsReported) {
  const std::string dir = fs::canonical(ScratchDir("ini-exit")).string(), file = dir + "/e.ini";
  fs::remove(file);
  // The child ends with exit(), as a program does.
  dravonix::test::ChildProcess child([&]() -> std::string {
    WritePrivateProfileString("A", "k", "1", file.c_str());
    exit(0);
  });
  child.Wait();
  EXPECT_EQ(OnDisk(file), "[A]\r\nk=1\r\n");

  // A folder that takes no more files: the flush says so and keeps the write held; the next write is
  // refused at once; once the folder takes files again, the held write reaches it.
  fs::permissions(dir, fs::perms::all, fs::perm_options::add);
  const std::string result = dravonix::test::AsOrdinaryUser([&]() -> std::string {
    const std::string own = dir + "/own";
    fs::remove_all(own);
    fs::create_directory(own);
    const std::string f = own + "/s.ini";
    std::string out = std::to_string(WritePrivateProfileString("A", "x", "1", f.c_str()));
    chmod(own.c_str(), 0555);
    WritePrivateProfileString(nullptr, nullptr, nullptr, f.c_str());
    out += " " + std::to_string(GetLastError()) + " " + Get("A", "x", "", f);
    const BOOL refused = WritePrivateProfileString("A", "y", "2", f.c_str());
    out += " " + std::to_string(refused) + " " + std::to_string(GetLastError());
    chmod(own.c_str(), 0755);
    WritePrivateProfileString(nullptr, nullptr, nullptr, f.c_str());
    out += " " + std::to_string(GetLastError()) + " " + OnDisk(f);
    return out;
  });
  EXPECT_EQ(result, "1 5 1 0 5 0 [A]\r\nx=1\r\n");
}

TEST(Ini, KeysAndSectionsMatchWithoutRegardToCaseAndValuesAreTrimmed) {
  const fs::path file = fs::path(ScratchDir("ini-read")) / "kernel.cfg";
  WriteText(file, kSample);
  EXPECT_EQ(Get("COMMUNICATION", "channel", "x", file), "COM3");
  EXPECT_EQ(Get("communication", "BAUDRATE", "x", file), "115200");
  EXPECT_EQ(Get("  Network ", " serverport ", "x", file), "1700");
  EXPECT_EQ(GetPrivateProfileInt("network", "SERVERPORT", 5, file.c_str()), 1700u);
  // Quotes: a matching pair is removed, nothing else.
  EXPECT_EQ(Get("Communication", "Quoted", "", file), "  spaced  ");
  EXPECT_EQ(Get("Communication", "Single", "", file), "x");
  EXPECT_EQ(Get("Communication", "Odd", "", file), "\"x'");
  // A section without its closing bracket still opens a section.
  EXPECT_EQ(Get("unterminated", "k", "", file), "v");
}

TEST(Ini, MalformedLinesAreSkipped) {
  const fs::path file = fs::path(ScratchDir("ini-malformed")) / "kernel.cfg";
  WriteText(file, kSample);
  EXPECT_EQ(List("Communication", file), BYTES("Channel\0BaudRate\0Quoted\0Single\0Odd\0\0"));
  EXPECT_EQ(Get("Communication", "Type", "dflt", file), "dflt");
  EXPECT_EQ(Get("Communication", "", "dflt", file), "dflt");
  EXPECT_EQ(Get("Communication", "garbage line without equals", "dflt", file), "dflt");
  EXPECT_EQ(List(nullptr, file), BYTES("Communication\0Network\0unterminated\0\0"));
  // Binary junk does not upset the reader.
  WriteText(file, BYTES("\0\xff[\0]\n=\n[S]\nk\0=1\n\n["));
  EXPECT_EQ(Get("S", "nothing", "d", file), "d");
}

TEST(Ini, DefaultsAndTruncation) {
  const fs::path file = fs::path(ScratchDir("ini-trunc")) / "t.ini";
  WriteText(file, "[S]\r\nlong=abcdef\r\nb=2\r\n[T]\r\n");
  EXPECT_EQ(Get("S", "missing", "def   ", file), "def");
  EXPECT_EQ(Get("S", "missing", nullptr, file), "");
  EXPECT_EQ(Get("S", "long", "", file, 4), "abc");
  EXPECT_EQ(Get("S", "missing", "defaults", file, 4), "def");
  EXPECT_EQ(Get("Missing", "long", "d", file), "d");
  EXPECT_EQ(Get("S", "long", "d", file.parent_path() / "none.ini"), "d");

  // Lists cut to size - 2 and ended by two NULs.
  DWORD n = 0;
  EXPECT_EQ(List("S", file, 8, &n), BYTES("long\0b\0\0"));
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(List("S", file, 7, &n), BYTES("long\0\0"));
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(List("S", file, 5, &n), BYTES("lon\0"));
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(List("T", file, 10, &n), BYTES("\0"));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(List(nullptr, file, 4, &n), BYTES("S\0\0"));
  EXPECT_EQ(n, 2u);
}

TEST(Ini, IntegerValues) {
  const fs::path file = fs::path(ScratchDir("ini-int")) / "i.ini";
  WriteText(file, "[S]\nplain=42\nlead=12abc\nneg=-5\ntext=abc\nempty=\nquoted=\"7\"\n");
  EXPECT_EQ(GetPrivateProfileInt("S", "plain", 1, file.c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileInt("S", "lead", 1, file.c_str()), 12u);
  EXPECT_EQ((INT)GetPrivateProfileInt("S", "neg", 1, file.c_str()), -5);
  EXPECT_EQ(GetPrivateProfileInt("S", "text", 1, file.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileInt("S", "empty", 9, file.c_str()), 9u);
  EXPECT_EQ(GetPrivateProfileInt("S", "quoted", 1, file.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileInt("S", "missing", 115200, file.c_str()), 115200u);
  EXPECT_EQ(GetPrivateProfileInt(nullptr, "plain", 3, file.c_str()), 3u);
}

TEST(Ini, WritingCreatesTheFileWithCrLf) {
  const fs::path file = fs::path(ScratchDir("ini-create")) / "new.ini";
  ASSERT_TRUE(WritePrivateProfileString("Communication", "Channel", "COM1", file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[Communication]\r\nChannel=COM1\r\n");
  ASSERT_TRUE(WritePrivateProfileString("communication", "BaudRate", "9600", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Network", "ServerPort", "1700", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("COMMUNICATION", "CHANNEL", "COM2", file.c_str()));
  EXPECT_EQ(ReadFileText(file),
            "[Communication]\r\nChannel=COM2\r\nBaudRate=9600\r\n[Network]\r\nServerPort=1700\r\n");
  EXPECT_EQ(Get("communication", "channel", "", file), "COM2");
}

TEST(Ini, WritingKeepsEveryOtherLineByteForByte) {
  const fs::path file = fs::path(ScratchDir("ini-keep")) / "kernel.cfg";
  WriteText(file, kSample);
  ASSERT_TRUE(WritePrivateProfileString("Communication", "BaudRate", "57600", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Communication", "WorkOffline", "1", file.c_str()));
  std::string expected = kSample;
  expected.replace(expected.find("BaudRate=115200\n"), 16, "BaudRate=57600\n");
  expected.insert(expected.find("\r\n\r\n[Network]") + 2, "WorkOffline=1\r\n");
  EXPECT_EQ(ReadFileText(file), expected);

  // A file without a final line end gets one before a new line.
  WriteText(file, "[A]\nx=1");
  ASSERT_TRUE(WritePrivateProfileString("A", "y", "2", file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[A]\nx=1\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("B", "z", "3", file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[A]\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
}

TEST(Ini, NullValueDeletesKeyAndNullKeyDeletesSection) {
  const fs::path file = fs::path(ScratchDir("ini-delete")) / "kernel.cfg";
  WriteText(file, "[Network]\r\nServerUserName=me\r\nServerPassword=secret\r\n; note\r\n[Other]\r\nk=v\r\n");
  ASSERT_TRUE(WritePrivateProfileString("network", "serverpassword", nullptr, file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[Network]\r\nServerUserName=me\r\n; note\r\n[Other]\r\nk=v\r\n");
  EXPECT_EQ(Get("Network", "ServerPassword", "gone", file), "gone");
  // Deleting what is not there succeeds and changes nothing.
  EXPECT_TRUE(WritePrivateProfileString("Network", "none", nullptr, file.c_str()));
  EXPECT_TRUE(WritePrivateProfileString("Nowhere", nullptr, nullptr, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("NETWORK", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[Other]\r\nk=v\r\n");
  EXPECT_EQ(List(nullptr, file), BYTES("Other\0\0"));
}

TEST(Ini, RepeatedSectionsCountAsOne) {
  const fs::path file = fs::path(ScratchDir("ini-repeat")) / "r.ini";
  WriteText(file, "[A]\nx=1\n[B]\nb=1\n[a]\ny=2\nx=3\n");
  EXPECT_EQ(Get("A", "x", "", file), "1");
  EXPECT_EQ(Get("A", "y", "", file), "2");
  EXPECT_EQ(List("A", file), BYTES("x\0y\0\0"));
  EXPECT_EQ(List(nullptr, file), BYTES("A\0B\0\0"));
  ASSERT_TRUE(WritePrivateProfileString("A", "x", nullptr, file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[A]\n[B]\nb=1\n[a]\ny=2\n");
  ASSERT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[B]\nb=1\n");
}

TEST(Ini, SectionsAsAWhole) {
  const fs::path file = fs::path(ScratchDir("ini-section")) / "s.ini";
  WriteText(file, "[S]\r\na = 1\r\n;c\r\nb=2\r\n\r\n[T]\r\nt=1\r\n");
  char buf[64];
  DWORD n = GetPrivateProfileSection("s", buf, sizeof buf, file.c_str());
  EXPECT_EQ(std::string(buf, n + 1), BYTES("a=1\0b=2\0\0"));
  ASSERT_TRUE(WritePrivateProfileSection("S", "x=9\0y=8\0", file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[S]\r\nx=9\r\ny=8\r\n\r\n[T]\r\nt=1\r\n");
  ASSERT_TRUE(WritePrivateProfileSection("New", "k=v\0", file.c_str()));
  EXPECT_EQ(Get("new", "K", "", file), "v");
  ASSERT_TRUE(WritePrivateProfileSection("T", nullptr, file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[S]\r\nx=9\r\ny=8\r\n\r\n[New]\r\nk=v\r\n");
  EXPECT_EQ(GetPrivateProfileSection("none", buf, sizeof buf, file.c_str()), 0u);
  EXPECT_EQ(buf[0], 0);
}

TEST(Ini, StructsCarryAChecksum) {
  const fs::path file = fs::path(ScratchDir("ini-struct")) / "s.ini";
  const BYTE data[4] = {0x01, 0xAB, 0xFF, 0x10};
  ASSERT_TRUE(WritePrivateProfileStruct("S", "Data", data, sizeof data, file.c_str()));
  EXPECT_EQ(Get("S", "Data", "", file), "01ABFF10BB");
  BYTE back[4] = {};
  ASSERT_TRUE(GetPrivateProfileStruct("s", "data", back, sizeof back, file.c_str()));
  EXPECT_EQ(memcmp(back, data, sizeof data), 0);
  BYTE wrongSize[3];
  EXPECT_FALSE(GetPrivateProfileStruct("S", "Data", wrongSize, sizeof wrongSize, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("S", "Data", "01ABFF10BC", file.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("S", "Data", back, sizeof back, file.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_DATA);
  EXPECT_FALSE(GetPrivateProfileStruct("S", "none", back, sizeof back, file.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("S", "Data", nullptr, 4, file.c_str()));
}

TEST(Ini, ChangesByOtherWritersAreSeen) {
  const fs::path file = fs::path(ScratchDir("ini-cache")) / "c.ini";
  WriteText(file, "[S]\nk=1\n");
  EXPECT_EQ(Get("S", "k", "", file), "1");
  WriteText(file, "[S]\nk=2\n");  // same size
  EXPECT_EQ(Get("S", "k", "", file), "2");
  fs::remove(file);
  EXPECT_EQ(Get("S", "k", "gone", file), "gone");
  // The flush call of the original system answers FALSE and forgets nothing on disk.
  WriteText(file, "[S]\nk=3\n");
  EXPECT_FALSE(WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(Get("S", "k", "", file), "3");
}

namespace {

// Writes `count` keys "<prefix><i>" into section S, flushing after every `every` of them; with
// `killAt` the process kills itself after that many writes, flushed or not.
std::string WriteKeys(const std::string& file, const std::string& prefix, int count, int every, int killAt = -1) {
  std::string failed;
  for (int i = 0; i < count; ++i) {
    if (i == killAt) raise(SIGKILL);
    const std::string key = prefix + std::to_string(i);
    if (!WritePrivateProfileString("S", key.c_str(), key.c_str(), file.c_str())) failed += key + " ";
    if ((i + 1) % every == 0) WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
  }
  WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
  return failed;
}

// The keys of section S as the file holds them, read past the layer; "bad line" for a line that
// is neither the header nor a key this test writes.
std::set<std::string> KeysOnDisk(const std::string& file) {
  std::set<std::string> keys;
  std::istringstream in(OnDisk(file));
  for (std::string line; std::getline(in, line);) {
    if (line == "[S]\r") continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || line != line.substr(0, eq) + "=" + line.substr(0, eq) + "\r") keys.insert("bad line");
    else keys.insert(line.substr(0, eq));
  }
  return keys;
}

std::set<std::string> Keys(const std::string& prefix, int from, int to) {
  std::set<std::string> keys;
  for (int i = from; i < to; ++i) keys.insert(prefix + std::to_string(i));
  return keys;
}

}  // namespace

TEST(Ini, TwoProcessesFlushingOneFileKeepEachOthersKeys) {
  const std::string file = fs::canonical(ScratchDir("ini-two")).string() + "/two.ini";
  fs::remove(file);
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);  // the children start with nothing held
  {
    dravonix::test::ChildProcess a([&] { return WriteKeys(file, "a", 300, 10); });
    dravonix::test::ChildProcess b([&] { return WriteKeys(file, "b", 300, 10); });
    EXPECT_EQ(a.Wait(), "");
    EXPECT_EQ(b.Wait(), "");
  }
  std::set<std::string> all = Keys("a", 0, 300), b = Keys("b", 0, 300);
  all.insert(b.begin(), b.end());
  EXPECT_EQ(KeysOnDisk(file), all);

  // A process killed between its writes and their flush loses those alone, beside a live one.
  fs::remove(file);
  {
    dravonix::test::ChildProcess killed([&] { return WriteKeys(file, "k", 300, 10, 125); });
    dravonix::test::ChildProcess live([&] { return WriteKeys(file, "b", 300, 10); });
    EXPECT_EQ(killed.Wait(), "child failed: signal 9 ");
    EXPECT_EQ(live.Wait(), "");
  }
  all = Keys("k", 0, 120);
  all.insert(b.begin(), b.end());
  EXPECT_EQ(KeysOnDisk(file), all);
}

TEST(Ini, HeldWritesAreReadBesideAnotherProcesssFlushedOnes) {
  const std::string file = fs::canonical(ScratchDir("ini-held-other")).string() + "/h.ini";
  WriteText(file, "[S]\r\nold=1\r\ngone=1\r\n");
  // The other process starts before this one holds anything, and writes once it does.
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  dravonix::test::ChildProcess other([&] {
    char byte;
    if (read(go[0], &byte, 1) != 1) return std::string("no start");
    WritePrivateProfileString("S", "theirs", "2", file.c_str());
    WritePrivateProfileString("S", "old", "3", file.c_str());
    WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
    return std::string();
  });
  ASSERT_TRUE(WritePrivateProfileString("S", "mine", "1", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("S", "gone", nullptr, file.c_str()));
  ASSERT_EQ(write(go[1], "x", 1), 1);
  EXPECT_EQ(other.Wait(), "");
  close(go[0]);
  close(go[1]);
  EXPECT_EQ(Get("S", "theirs", "", file) + Get("S", "old", "", file) + Get("S", "mine", "", file) +
                Get("S", "gone", "-", file),
            "231-");
  WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
  EXPECT_EQ(OnDisk(file), "[S]\r\nold=3\r\ntheirs=2\r\nmine=1\r\n");
}

TEST(Ini, OneFileSpelledFourWaysIsOneFile) {
  const fs::path dir = fs::canonical(ScratchDir("ini-spellings"));
  fs::create_directories(dir / "sub");
  fs::remove(dir / "f.ini");
  const fs::path saved = fs::current_path();
  fs::current_path(dir);
  const char* names[] = {"f.ini", "./f.ini", ".\\f.ini", "sub/../f.ini"};
  const char* keys[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(WritePrivateProfileString("S", keys[i], "1", names[i])) << names[i];
  std::string seen;
  for (const char* name : names) seen += Get("S", nullptr, "", name, 64) + "|";
  EXPECT_EQ(seen, BYTES("a\0b\0c\0d\0|a\0b\0c\0d\0|a\0b\0c\0d\0|a\0b\0c\0d\0|"));
  WritePrivateProfileString(nullptr, nullptr, nullptr, names[3]);
  EXPECT_EQ(GetLastError(), 0u);
  fs::current_path(saved);
  EXPECT_EQ(OnDisk((dir / "f.ini").string()), "[S]\r\na=1\r\nb=1\r\nc=1\r\nd=1\r\n");
}

namespace {

// Another process holding a file's flush lock until released (at most 3 s, so that a flush that
// waits for it without a bound ends too).
class HeldLock {
 public:
  explicit HeldLock(const std::string& file) {
    if (pipe(m_ready) != 0 || pipe(m_go) != 0) return;
    m_child = std::make_unique<dravonix::test::ChildProcess>([&] {
      const int fd = open(file.c_str(), O_RDONLY);
      if (fd < 0 || flock(fd, LOCK_EX) != 0) return std::string("no lock");
      if (write(m_ready[1], "x", 1) != 1) return std::string("no pipe");
      pollfd p{m_go[0], POLLIN, 0};
      poll(&p, 1, 3000);
      return std::string();
    });
    // The child's end only: a child that failed leaves the read at an end.
    close(m_ready[1]);
    m_ready[1] = -1;
    char byte;
    m_locked = read(m_ready[0], &byte, 1) == 1;
  }
  ~HeldLock() {
    Release();
    for (int fd : {m_ready[0], m_go[0], m_go[1]}) close(fd);
  }
  bool Locked() const { return m_locked; }
  std::string Release() {
    if (!m_child) return "no child";
    if (write(m_go[1], "x", 1) != 1) return "no pipe";
    std::string out = m_child->Wait();
    m_child.reset();
    return out;
  }

 private:
  int m_ready[2] = {-1, -1}, m_go[2] = {-1, -1};
  bool m_locked = false;
  std::unique_ptr<dravonix::test::ChildProcess> m_child;
};

int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

template <class F>
int64_t TimeOf(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return MillisecondsSince(start);
}

}  // namespace

TEST(Ini, AnotherProcesssLockHoldsAFlushABoundedTimeAndTheWritesStay) {
  const std::string dir = fs::canonical(ScratchDir("ini-locked")).string(), file = dir + "/l.ini";
  const std::string other = dir + "/other";
  WriteText(file, "[S]\r\nold=1\r\n");
  const DWORD savedWait = g_dwProfileLockWait;
  g_dwProfileLockWait = 300;
  {
    HeldLock held(file);
    ASSERT_TRUE(held.Locked());
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "1", file.c_str()));
    const int64_t open = TimeOf([&] { GetFileAttributes(other.c_str()); });
    DWORD error = 0;
    const int64_t flush = TimeOf([&] {
      WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
      error = GetLastError();
    });
    // Once the lock is known to be busy, opening another file does not wait for it again, and a
    // write, made at once after a failed flush, is refused at once.
    const int64_t again = TimeOf([&] { GetFileAttributes(other.c_str()); });
    BOOL written = TRUE;
    DWORD refusal = 0;
    const int64_t write = TimeOf([&] {
      written = WritePrivateProfileString("S", "w", "1", file.c_str());
      refusal = GetLastError();
    });
    EXPECT_LT(open, 2000);
    EXPECT_GE(flush, 300);
    EXPECT_LT(flush, 2000);
    EXPECT_LT(again, 300);
    EXPECT_LT(write, 300);
    EXPECT_FALSE(written);
    EXPECT_EQ(refusal, (DWORD)ERROR_LOCK_VIOLATION);
    EXPECT_EQ(error, (DWORD)ERROR_LOCK_VIOLATION);
    EXPECT_EQ(Get("S", "k", "", file), "1");
    EXPECT_EQ(OnDisk(file), "[S]\r\nold=1\r\n");
    EXPECT_EQ(held.Release(), "");
  }
  WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(OnDisk(file), "[S]\r\nold=1\r\nk=1\r\n");

  // A process ending with a write held for a locked file ends within the bound.
  {
    HeldLock held(file);
    ASSERT_TRUE(held.Locked());
    const auto start = std::chrono::steady_clock::now();
    dravonix::test::ChildProcess exiting([&]() -> std::string {
      WritePrivateProfileString("S", "e", "1", file.c_str());
      exit(0);
    });
    while (!exiting.Ended() && MillisecondsSince(start) < 5000) usleep(5000);
    EXPECT_LT(MillisecondsSince(start), 2000);
    EXPECT_EQ(held.Release(), "");
  }
  EXPECT_EQ(OnDisk(file), "[S]\r\nold=1\r\nk=1\r\n");
  g_dwProfileLockWait = savedWait;
}

TEST(Ini, AWriteThroughAHardLinkLandsInTheFileOfThatName) {
  const fs::path dir = fs::canonical(ScratchDir("ini-links"));
  const struct Case {
    const char* name;
    std::function<void(const fs::path&)> flush;
  } cases[] = {
      {"flush of the name", [](const fs::path& g) { WritePrivateProfileString(nullptr, nullptr, nullptr, g.c_str()); }},
      {"flush of all files", [](const fs::path&) { WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr); }},
      {"exit", [](const fs::path&) { exit(0); }},
  };
  for (const Case& c : cases) {
    WriteText(dir / (std::string(c.name) + ".f"), "[S]\r\na=1\r\n");
    fs::create_hard_link(dir / (std::string(c.name) + ".f"), dir / (std::string(c.name) + ".g"));
  }
  // Old enough to be read once and trusted.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  for (const Case& c : cases) {
    const fs::path f = dir / (std::string(c.name) + ".f"), g = dir / (std::string(c.name) + ".g");
    const std::string result = dravonix::test::InChildProcess([&] {
      const std::string read = Get("S", "a", "", f);
      WritePrivateProfileString("S", "b", "2", g.c_str());
      c.flush(g);
      return read + " " + std::to_string(GetLastError());
    });
    EXPECT_EQ(OnDisk(g.string()), "[S]\r\na=1\r\nb=2\r\n") << c.name;
    if (std::string(c.name) != "exit") {
      EXPECT_EQ(result, "1 0") << c.name;
    }
  }
}

TEST(Ini, HeldWritesToANewFileUnderTwoCaseSpellingsMeetInOneFile) {
  const fs::path dir = fs::canonical(ScratchDir("ini-new-case"));
  auto files = [&] {
    std::string names;
    for (const auto& e : fs::directory_iterator(dir)) names += e.path().filename().string() + " ";
    return names;
  };
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "1", (dir / "new.ini").c_str()));
  ASSERT_TRUE(WritePrivateProfileString("a", "y", "2", (dir / "NEW.INI").c_str()));
  EXPECT_EQ(List("A", dir / "new.ini"), BYTES("x\0y\0\0"));
  EXPECT_EQ(List("A", dir / "NEW.INI"), BYTES("x\0y\0\0"));
  WritePrivateProfileString(nullptr, nullptr, nullptr, (dir / "New.Ini").c_str());
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(files(), "new.ini ");
  EXPECT_EQ(OnDisk((dir / "new.ini").string()), "[A]\r\nx=1\r\ny=2\r\n");

  // Another program makes the file under a third spelling while the writes are held: they go there.
  fs::remove(dir / "new.ini");
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "1", (dir / "new.ini").c_str()));
  WriteText(dir / "New.Ini", "[B]\r\nz=3\r\n");
  ASSERT_TRUE(WritePrivateProfileString("a", "y", "2", (dir / "NEW.INI").c_str()));
  EXPECT_EQ(List(nullptr, dir / "new.ini"), BYTES("B\0A\0\0"));
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(files(), "New.Ini ");
  EXPECT_EQ(OnDisk((dir / "New.Ini").string()), "[B]\r\nz=3\r\n[A]\r\nx=1\r\ny=2\r\n");
}

// Processes, one per spelling, each flushing its own key to new files spelled its way at once; a
// round's files are each one file holding every key. DRAVONIX_TEST_ROUNDS asks for a longer run.
void NewFileUnderSpellingsAtOnce(const char* what, const std::vector<std::string>& stems, int rounds) {
  if (const char* asked = getenv("DRAVONIX_TEST_ROUNDS")) rounds = atoi(asked);
  const fs::path dir = fs::canonical(ScratchDir(what));
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);  // the children start with nothing held
  constexpr int kFiles = 16;  // each flushed by every process at once, one after the other
  const size_t n = stems.size();
  int split = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
    int go[2], done[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(done), 0);
    auto writer = [&](const std::string& stem, const std::string& key) {
      return [&, stem, key] {
        close(go[1]);  // so that a test that stops pacing ends the child
        auto file = [&](int i) { return (dir / (stem + std::to_string(i) + ".ini")).string(); };
        for (int i = 0; i < kFiles; ++i)
          if (!WritePrivateProfileString("S", key.c_str(), key.c_str(), file(i).c_str())) return std::string("write refused");
        std::string failed;
        char byte;
        for (int i = 0; i < kFiles && read(go[0], &byte, 1) == 1; ++i) {
          WritePrivateProfileString(nullptr, nullptr, nullptr, file(i).c_str());
          if (GetLastError()) failed += " flush failed " + std::to_string(GetLastError());
          if (write(done[1], "x", 1) != 1) return std::string("no report");
        }
        return failed;
      };
    };
    std::vector<std::unique_ptr<dravonix::test::ChildProcess>> children;
    std::set<std::string> keys;
    for (const std::string& stem : stems) {
      keys.insert("k" + std::to_string(keys.size()));
      children.push_back(std::make_unique<dravonix::test::ChildProcess>(writer(stem, "k" + std::to_string(keys.size() - 1))));
    }
    const std::string all(n, 'x');
    std::string bytes(n, 0);
    bool paced = true;
    for (int i = 0; i < kFiles && paced; ++i) {
      paced = write(go[1], all.data(), n) == (ssize_t)n;
      for (size_t k = 0; k < n && paced; ++k) paced = read(done[0], bytes.data(), 1) == 1;
    }
    for (int fd : {go[0], go[1], done[0], done[1]}) close(fd);
    EXPECT_TRUE(paced) << round;
    std::string results;
    for (auto& child : children) results += child->Wait();
    EXPECT_EQ(results, "") << round;
    std::map<std::string, std::set<std::string>> files;
    for (const auto& e : fs::directory_iterator(dir)) {
      std::string folded = e.path().filename().string();
      for (char& c : folded) c = (char)tolower((unsigned char)c);
      files[folded].insert(e.path().filename().string());
    }
    for (int i = 0; i < kFiles; ++i) {
      const std::set<std::string>& names = files["new" + std::to_string(i) + ".ini"];
      split += names.size() != 1;
      EXPECT_EQ(names.size(), 1u) << round << " " << i;
      if (names.size() != 1) continue;
      EXPECT_EQ(KeysOnDisk((dir / *names.begin()).string()), keys) << round;
    }
    EXPECT_EQ(files.size(), (size_t)kFiles) << round;
  }
  if (getenv("DRAVONIX_TEST_ROUNDS")) printf("%s: %d rounds of %d files, %d split\n", what, rounds, kFiles, split);
}

TEST(Ini, TwoProcessesMakingANewFileUnderTwoSpellingsAtOnceMakeOneFileWithBothKeys) {
  NewFileUnderSpellingsAtOnce("ini-new-race", {"new", "NEW"}, 12);
}

TEST(Ini, ThreeAndFourProcessesMakingANewFileUnderTheirSpellingsAtOnceMakeOneFileWithEveryKey) {
  NewFileUnderSpellingsAtOnce("ini-new-race-3", {"new", "NEW", "New"}, 6);
  NewFileUnderSpellingsAtOnce("ini-new-race-4", {"new", "NEW", "New", "nEW"}, 6);
}

TEST(Ini, ASectionEmptiedByHeldWritesStaysListed) {
  const fs::path file = fs::path(ScratchDir("ini-emptied")) / "e.ini";
  const struct Case {
    const char* before;
    bool removed;  // by another program between the key's write and its deletion
    std::string listed, after;
  } cases[] = {
      {"", false, BYTES("N\0\0"), "[N]\r\n"},
      {"[S]\r\na=1\r\n", false, BYTES("S\0N\0\0"), "[S]\r\na=1\r\n[N]\r\n"},
      {"[N]\r\nk=0\r\n", true, BYTES("N\0\0"), "[N]\r\n"},
  };
  for (const Case& c : cases) {
    fs::remove(file);
    if (*c.before) WriteText(file, c.before);
    ASSERT_TRUE(WritePrivateProfileString("N", "k", "v", file.c_str()));
    if (c.removed) fs::remove(file);
    ASSERT_TRUE(WritePrivateProfileString("n", "K", nullptr, file.c_str()));
    EXPECT_EQ(List(nullptr, file), c.listed) << c.before;
    WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
    EXPECT_EQ(OnDisk(file.string()), c.after) << c.before;
  }
}

// Held writes, flushes and other processes' flushes (a new file renamed in, or the file removed and
// made again under another spelling) in random order, through names spelled in several ways,
// against a model: every read shows the other's file with this process's held changes over it, and
// every flush leaves exactly that on the disk, in one file.
void FollowTheModel(uint32_t seed, int steps) {
  using Model = std::map<std::string, std::map<std::string, std::string>>;
  const fs::path dir = fs::canonical(ScratchDir("ini-model"));
  fs::create_directories(dir / "sub");
  const std::string names[] = {(dir / "m.ini").string(), (dir / "sub/../M.INI").string(), (dir / "./m.Ini").string()};
  const char* spellings[] = {"m.ini", "M.ini", "M.INI"};
  // The one file the names lead to, "" while there is none.
  auto file = [&] {
    std::string found;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() != ".tmp" && e.is_regular_file()) found += e.path().string();
    return found;
  };
  auto parse = [](const std::string& text) {
    Model m;
    std::istringstream in(text);
    std::string section;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '[') section = line.substr(1, line.size() - 2), m[section];
      else if (line.find('=') != std::string::npos) m[section][line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return m;
  };
  struct Op {
    int kind;  // 0 set, 1 delete key, 2 delete section
    std::string section, key, value;
  };
  auto apply = [](Model m, const std::vector<Op>& ops) {
    for (const Op& op : ops) {
      if (op.kind == 0) m[op.section][op.key] = op.value;
      else if (op.kind == 1 && m.count(op.section)) m[op.section].erase(op.key);
      else if (op.kind == 2) m.erase(op.section);
    }
    return m;
  };
  Model disk;
  std::vector<Op> held;
  auto next = [&](uint32_t n) { return seed = seed * 1103515245u + 12345u, ((seed >> 16) & 0x7FFF) % n; };
  for (int step = 0; step < steps; ++step) {
    const std::string section = "s" + std::to_string(next(3)), key = "k" + std::to_string(next(4)),
                      value = std::to_string(step), name = names[next(3)];
    const uint32_t what = next(21);
    // A write that changes nothing in what this process sees is none.
    const Model view = apply(disk, held);
    const auto in = view.find(section);
    const bool has = in != view.end() && in->second.count(key);
    if (what < 8) {
      held.push_back({0, section, key, value});
      ASSERT_TRUE(WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), name.c_str())) << step;
    } else if (what < 10) {
      if (has) held.push_back({1, section, key, ""});
      ASSERT_TRUE(WritePrivateProfileString(section.c_str(), key.c_str(), nullptr, name.c_str())) << step;
    } else if (what < 11) {
      if (in != view.end()) held.push_back({2, section, "", ""});
      ASSERT_TRUE(WritePrivateProfileString(section.c_str(), nullptr, nullptr, name.c_str())) << step;
    } else if (what < 12) {
      WritePrivateProfileString(nullptr, nullptr, nullptr, name.c_str());
      disk = apply(disk, held);
      held.clear();
      ASSERT_EQ(parse(OnDisk(file())), disk) << step;
    } else if (what < 15) {
      if (next(3)) disk[section][key] = "o" + value;
      else if (disk.count(section)) disk[section].erase(key);
      std::string text;
      for (auto& [s, keys] : disk) {
        text += "[" + s + "]\r\n";
        for (auto& [k, v] : keys) text += k + "=" + v + "\r\n";
      }
      WriteText(dir / "other.tmp", text);
      const std::string there = file();
      fs::rename(dir / "other.tmp", there.empty() ? dir / spellings[next(3)] : fs::path(there));
    } else if (what < 16) {
      if (!file().empty()) fs::remove(file());
      disk.clear();
    } else {
      ASSERT_EQ(Get(section.c_str(), key.c_str(), "-", name), has ? in->second.at(key) : "-") << step;
    }
  }
}

TEST(Ini, HeldWritesOverOtherProcessesFlushesFollowAModel) {
  FollowTheModel(77, 400);
}

TEST(Ini, FileNamesFollowThePathRules) {
  const fs::path dir = ScratchDir("ini-paths");
  fs::create_directories(dir / "Config");
  WriteText(dir / "Config/Kernel.cfg", "[S]\r\nk=v\r\n");
  const std::string spelled = dir.string() + "\\CONFIG\\kernel.CFG";
  EXPECT_EQ(Get("S", "k", "", spelled), "v");
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "w", spelled.c_str()));
  EXPECT_EQ(ReadFileText(dir / "Config/Kernel.cfg"), "[S]\r\nk=w\r\n");

  // Relative names are taken from the current folder.
  const fs::path saved = fs::current_path();
  fs::current_path(dir / "Config");
  ASSERT_TRUE(WritePrivateProfileString("R", "k", "1", "relative.ini"));
  fs::current_path(saved);
  EXPECT_EQ(ReadFileText(dir / "Config/relative.ini"), "[R]\r\nk=1\r\n");
}

TEST(Ini, BadInputFailsCleanly) {
  const fs::path dir = ScratchDir("ini-bad");
  const fs::path file = dir / "b.ini";
  WriteText(file, "[S]\r\nk=v\r\n");
  char buf[16] = "unchanged";
  EXPECT_EQ(GetPrivateProfileString("S", "k", "d", nullptr, 16, file.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buf, 0, file.c_str()), 0u);
  EXPECT_STREQ(buf, "unchanged");
  EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buf, 1, file.c_str()), 0u);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(GetPrivateProfileString("S", "k", "dflt", buf, sizeof buf, nullptr), 4u);
  EXPECT_EQ(GetPrivateProfileSection("S", nullptr, 10, file.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileSectionNames(buf, 1, file.c_str()), 0u);

  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", nullptr));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", file.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
  // Texts that would break the file's structure are refused.
  EXPECT_FALSE(WritePrivateProfileString("S", "a=b", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "line\r\nbreak", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("S]", "k", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("S", "  ", "v", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileSection("S", "x=1\nz=2\0", file.c_str()));
  EXPECT_EQ(ReadFileText(file), "[S]\r\nk=v\r\n");

  // A folder where a file should be, a missing folder, a read-only file.
  EXPECT_EQ(Get("S", "k", "d", dir), "d");
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", (dir / "none/x.ini").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(SetFileAttributes(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", file.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get("S", "k", "", file), "v");
}

TEST(Ini, LargeFileReadsEveryKey) {
  const fs::path file = fs::path(ScratchDir("ini-large")) / "large.ini";
  std::string text;
  for (int s = 0; s < 10; ++s) {
    text += "[Section" + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 1000; ++k) text += "Key" + std::to_string(k) + "=Value" + std::to_string(s * 1000 + k) + "\r\n";
  }
  WriteText(file, text);
  char buf[64];
  for (int s = 0; s < 10; ++s)
    for (int k = 0; k < 1000; k += 37) {
      std::string sec = "SECTION" + std::to_string(s), key = "key" + std::to_string(k);
      DWORD n = GetPrivateProfileString(sec.c_str(), key.c_str(), "", buf, sizeof buf, file.c_str());
      ASSERT_EQ(std::string(buf, n), "Value" + std::to_string(s * 1000 + k));
    }
  ASSERT_TRUE(WritePrivateProfileString("Section9", "Key999", "changed", file.c_str()));
  EXPECT_EQ(Get("section9", "key999", "", file), "changed");
  EXPECT_EQ(Get("section0", "key0", "", file), "Value0");
}

TEST(Ini, ThreadsShareOneFileSafely) {
  const fs::path file = fs::path(ScratchDir("ini-threads")) / "t.ini";
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      const std::string section = "T" + std::to_string(t);
      char buf[32];
      for (int i = 0; i < 25; ++i) {
        const std::string key = "k" + std::to_string(i), value = std::to_string(i * t);
        WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), file.c_str());
        GetPrivateProfileString(section.c_str(), key.c_str(), "", buf, sizeof buf, file.c_str());
        EXPECT_EQ(std::string(buf), value);
      }
    });
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 4; ++t) {
    const std::string section = "t" + std::to_string(t);
    EXPECT_EQ(Get(section.c_str(), "K24", "", file), std::to_string(24 * t));
  }
}

TEST(Ini, ArbitraryBytesNeverUpsetReadingOrWriting) {
  const fs::path file = fs::path(ScratchDir("ini-fuzz")) / "f.ini";
  const char alphabet[] = "[]=;\r\n \tab\"'";
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  char buf[256];
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int i = (int)(next() % 120); i > 0; --i)
      text += next() % 17 == 0 ? (char)(next() & 0xFF) : alphabet[next() % (sizeof alphabet - 1)];
    WriteText(file, text);
    DWORD n = GetPrivateProfileSectionNames(buf, sizeof buf, file.c_str());
    ASSERT_LT(n, sizeof buf);
    for (const char* s = buf; *s; s += strlen(s) + 1) {
      char keys[256];
      GetPrivateProfileString(s, nullptr, nullptr, keys, sizeof keys, file.c_str());
      for (const char* k = keys; *k; k += strlen(k) + 1) {
        char v[64];
        GetPrivateProfileString(s, k, "", v, sizeof v, file.c_str());
      }
    }
    ASSERT_TRUE(WritePrivateProfileString("b", "a", "value", file.c_str())) << round;
    EXPECT_EQ(Get("B", "A", "", file), "value") << round;
    ASSERT_TRUE(WritePrivateProfileString("b", "a", nullptr, file.c_str()));
    EXPECT_EQ(Get("B", "A", "none", file), "none") << round;
  }
}
