// Win32 file functions over POSIX: results, error numbers and texts, and folder enumeration.
#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"
#include "platform/core/Resource.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RefusedCalls.h"
#include "tests/support/SyncedStates.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;
using dravonix::test::ScratchDir;

namespace {

using dravonix::test::WriteText;

using dravonix::test::ReadFileText;

// The folder's names and bytes.
std::map<std::string, std::string> Contents(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = ReadFileText(e.path().string());
  return files;
}

// Backslash form of a native path, as kernel code spells it.
std::string Win(const fs::path& p) {
  std::string s = p.string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string SystemText(DWORD code, DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS) {
  char buf[512];
  DWORD n = FormatMessage(flags, nullptr, code, 0, buf, sizeof buf, nullptr);
  return n ? std::string(buf, n) : std::string("<none>");
}

DWORD FormatFromString(char* buf, DWORD size, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  DWORD n = FormatMessage(FORMAT_MESSAGE_FROM_STRING, fmt, 0, 0, buf, size, &args);
  va_end(args);
  return n;
}

}  // namespace

TEST(FileSystem, LastErrorIsPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD other = 1;
  std::thread([&] { other = GetLastError(); }).join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_EQ(Win32ErrorFromErrno(ENOENT), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Win32ErrorFromErrno(EACCES), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_EQ(Win32ErrorFromErrno(ENOTEMPTY), (DWORD)ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(Win32ErrorFromErrno(EEXIST), (DWORD)ERROR_ALREADY_EXISTS);
}

TEST(FileSystem, ACopyOverAFileIsOnTheDiskBeforeItsRenameAndTheFolderAfter) {
  const fs::path dir = fs::canonical(ScratchDir("fs-copy-synced"));
  WriteText(dir / "src.bin", "new");
  WriteText(dir / "dst.bin", "old");
  static std::vector<std::string> s_synced;
  s_synced.clear();
  g_pfnSyncStep = [](const char* path) { s_synced.push_back(fs::path(path).filename().string().substr(0, 13)); };
  const BOOL copied = CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "dst.bin").c_str(), FALSE);
  g_pfnSyncStep = nullptr;
  ASSERT_TRUE(copied);
  EXPECT_EQ(ReadFileText(dir / "dst.bin"), "new");
  EXPECT_EQ(s_synced, (std::vector<std::string>{"dst.bin.~dvx-", dir.filename().string().substr(0, 13)}));
}

TEST(FileSystem, ACopyOrWholeWriteWhoseSyncFailsFailsWithTheSyncErrorAndLeavesTheOldOrNewFile) {
  const fs::path dir = fs::canonical(ScratchDir("fs-copy-sync-fault"));
  WriteText(dir / "src.bin", "new");
  static std::string s_failing;
  g_pfnSyncFault = [](const char* path) { return s_failing == path ? EIO : 0; };
  const std::function<BOOL()> kWrites[] = {
      [&] { return CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "dst.bin").c_str(), FALSE); },
      [&] { return WriteWholeFile((dir / "dst.bin").string(), "new", 3); }};
  for (const auto& write : kWrites)
    for (const fs::path& failing : {dir / "dst.bin.~dvx-000000", dir}) {
      WriteText(dir / "dst.bin", "old");
      s_failing = failing.string();
      SetLastError(0);
      EXPECT_FALSE(write()) << failing;
      EXPECT_EQ(GetLastError(), (DWORD)ERROR_IO_DEVICE) << failing;
      const std::string left = ReadFileText(dir / "dst.bin");
      EXPECT_TRUE(left == "old" || left == "new") << failing;
    }
  g_pfnSyncFault = nullptr;
}

TEST(FileSystem, ACopyOntoAFileSystemWithoutPermissionBitsIsMadeWithoutThem) {
  const fs::path dir = ScratchDir("fs-copy-no-modes");
  WriteText(dir / "src.bin", "new");
  WriteText(dir / "old.bin", "old");
  const std::string copied = dravonix::test::WithRefusedCalls(
      {{SYS_fchmod, EPERM}, {SYS_fchmodat, EPERM}}, [&] {
        std::string out;
        for (const char* to : {"new.bin", "old.bin"})
          out += CopyFile(Win(dir / "src.bin").c_str(), Win(dir / to).c_str(), FALSE) ? "" : to;
        return out;
      });
  EXPECT_EQ(copied, "");
  EXPECT_EQ(Contents(dir), (std::map<std::string, std::string>{{"new.bin", "new"}, {"old.bin", "new"}, {"src.bin", "new"}}));
}

TEST(FileSystem, CopyFileKeepsBytesAndAttributesAndRefusesWhereWin32Does) {
  const fs::path dir = ScratchDir("fs-copy");
  WriteText(dir / "Src.bin", std::string("a\0b\r\nc", 6));
  EXPECT_TRUE(CopyFile(Win(dir / "SRC.BIN").c_str(), Win(dir / "dst.bin").c_str(), TRUE));
  EXPECT_EQ(ReadFileText(dir / "dst.bin"), std::string("a\0b\r\nc", 6));

  EXPECT_FALSE(CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "DST.BIN").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_EXISTS);
  WriteText(dir / "Src.bin", "new");
  EXPECT_TRUE(CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "DST.BIN").c_str(), FALSE));
  EXPECT_EQ(ReadFileText(dir / "dst.bin"), "new");
  EXPECT_FALSE(fs::exists(dir / "DST.BIN"));  // the existing file was overwritten, not a twin made

  EXPECT_FALSE(CopyFile(Win(dir / "missing.bin").c_str(), Win(dir / "x.bin").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "nodir/x.bin").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "src.bin").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);

  // A read-only target is not overwritten; a read-only source gives a read-only copy.
  ASSERT_TRUE(SetFileAttributes(Win(dir / "dst.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(CopyFile(Win(dir / "src.bin").c_str(), Win(dir / "dst.bin").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadFileText(dir / "dst.bin"), "new");
  EXPECT_TRUE(CopyFile(Win(dir / "dst.bin").c_str(), Win(dir / "ro-copy.bin").c_str(), TRUE));
  EXPECT_EQ(GetFileAttributes(Win(dir / "ro-copy.bin").c_str()), (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));

  EXPECT_FALSE(CopyFile(nullptr, "x", FALSE));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

TEST(FileSystem, CopyOverAFileKeepsItWholeOnFailureAndCopiesPlainFilesOnly) {
  const fs::path dir = ScratchDir("fs-copy-over");
  WriteText(dir / "big.bin", std::string(200000, 'n'));
  WriteText(dir / "user.cfg", "the user's own");
  const std::string out = dravonix::test::WithFileSizeLimit(65536, [&] {
    const BOOL ok = CopyFile(Win(dir / "big.bin").c_str(), Win(dir / "USER.CFG").c_str(), FALSE);
    return std::to_string(ok) + " " + std::to_string(GetLastError());
  });
  EXPECT_EQ(out, "0 " + std::to_string(ERROR_DISK_FULL));
  EXPECT_EQ(ReadFileText(dir / "user.cfg"), "the user's own");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no copy left
  // A folder that takes no new file: a file that may be written is still copied over, in place, as
  // Win32 copies it; and a device keeps its permissions.
  fs::permissions(dir / "user.cfg", fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec & ~fs::perms::others_exec);
  fs::permissions(dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  WriteText(dir.parent_path() / "small.bin", "small");
  EXPECT_EQ("1", dravonix::test::AsOrdinaryUser([&] {
    return std::to_string(CopyFile((dir.parent_path() / "small.bin").c_str(), (dir / "user.cfg").c_str(), FALSE));
  }));
  fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadFileText(dir / "user.cfg"), "small");
  ASSERT_EQ(0, mknod((dir / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)));
  EXPECT_TRUE(CopyFile((dir.parent_path() / "small.bin").c_str(), (dir / "null").c_str(), FALSE));
  EXPECT_EQ(fs::status(dir / "null").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  // Nor is a pipe or a device copied from, which would hold the copy or never end it.
  ASSERT_EQ(0, mkfifo((dir / "pipe").c_str(), 0600));
  EXPECT_EQ("0 5 0 5", dravonix::test::InChildProcess([&] {
    alarm(5);
    const BOOL pipe = CopyFile((dir / "pipe").c_str(), (dir / "from-pipe").c_str(), FALSE);
    const DWORD pipeError = GetLastError();
    const BOOL device = CopyFile((dir / "null").c_str(), (dir / "from-device").c_str(), TRUE);
    return std::to_string(pipe) + " " + std::to_string(pipeError) + " " + std::to_string(device) + " " + std::to_string(GetLastError());
  }));
  EXPECT_FALSE(fs::exists(dir / "from-device"));
}

TEST(FileSystem, ACopyOverAFileRemovesWhatAKilledCopyLeftBesideIt) {
  const fs::path dir = ScratchDir("fs-copy-killed");
  const std::string big(200000, 'n');
  WriteText(dir / "big.bin", big);
  WriteText(dir / "user.cfg", "old");
  const std::string killed = dravonix::test::InChildProcess([&] {
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = 65536;
    setrlimit(RLIMIT_FSIZE, &r);
    signal(SIGXFSZ, SIG_DFL);
    return std::to_string(CopyFile((dir / "big.bin").c_str(), (dir / "user.cfg").c_str(), FALSE));
  });
  ASSERT_EQ(killed.rfind("child failed: signal " + std::to_string(SIGXFSZ), 0), 0u) << killed;
  ASSERT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // its copy is left
  EXPECT_TRUE(CopyFile((dir / "big.bin").c_str(), (dir / "user.cfg").c_str(), FALSE));
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"big.bin", "user.cfg"}));
  EXPECT_EQ(ReadFileText(dir / "user.cfg"), big);
}

TEST(FileSystem, DeleteMoveAndFolders) {
  const fs::path dir = ScratchDir("fs-delete");
  WriteText(dir / "a.txt", "a");
  WriteText(dir / "b.txt", "b");

  EXPECT_FALSE(DeleteFile(Win(dir / "none.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFile(Win(dir / "nodir/none.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(SetFileAttributes(Win(dir / "A.TXT").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFile(Win(dir / "A.TXT").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributes(Win(dir / "A.TXT").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFile(Win(dir / "A.TXT").c_str()));
  EXPECT_FALSE(fs::exists(dir / "a.txt"));
  EXPECT_FALSE(DeleteFile(dir.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);

  WriteText(dir / "c.txt", "c");
  EXPECT_FALSE(MoveFile(Win(dir / "b.txt").c_str(), Win(dir / "C.TXT").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileEx(Win(dir / "b.txt").c_str(), Win(dir / "C.TXT").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadFileText(dir / "c.txt"), "b");
  EXPECT_FALSE(fs::exists(dir / "b.txt"));
  EXPECT_TRUE(MoveFile(Win(dir / "c.txt").c_str(), Win(dir / "Renamed.TXT").c_str()));
  EXPECT_TRUE(MoveFile(Win(dir / "renamed.txt").c_str(), Win(dir / "RENAMED.txt").c_str()));  // case only
  EXPECT_TRUE(fs::exists(dir / "RENAMED.txt"));
  EXPECT_FALSE(fs::exists(dir / "Renamed.TXT"));
  EXPECT_FALSE(MoveFile(Win(dir / "gone.txt").c_str(), Win(dir / "x.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

  EXPECT_TRUE(CreateDirectory(Win(dir / "Sub").c_str()));
  EXPECT_FALSE(CreateDirectory(Win(dir / "SUB").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectory(Win(dir / "no/such").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  WriteText(dir / "Sub/f.txt", "f");
  EXPECT_FALSE(RemoveDirectory(Win(dir / "sub").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectory(Win(dir / "sub/f.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
  EXPECT_TRUE(DeleteFile(Win(dir / "sub/F.TXT").c_str()));
  EXPECT_TRUE(RemoveDirectory(Win(dir / "sub").c_str()));
  EXPECT_FALSE(RemoveDirectory(Win(dir / "sub").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(RemoveDirectory(nullptr));
  EXPECT_FALSE(DeleteFile(nullptr));
  EXPECT_FALSE(MoveFile(nullptr, nullptr));
}

TEST(FileSystem, Attributes) {
  const fs::path dir = ScratchDir("fs-attr");
  WriteText(dir / "File.cfg", "x");
  WriteText(dir / ".hidden", "x");
  EXPECT_EQ(GetFileAttributes(Win(dir).c_str()), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributes(Win(dir / "FILE.CFG").c_str()), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributes(Win(dir / ".hidden").c_str()), (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(SetFileAttributes(Win(dir / "file.cfg").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributes(Win(dir / "file.cfg").c_str()), (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(SetFileAttributes(Win(dir / "file.cfg").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributes(Win(dir / "file.cfg").c_str()), (DWORD)FILE_ATTRIBUTE_ARCHIVE);

  EXPECT_EQ(GetFileAttributes(Win(dir / "none.cfg").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes(Win(dir / "none/x.cfg").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes(nullptr), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(SetFileAttributes(Win(dir / "none.cfg").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST(FileSystem, TemporaryNames) {
  char path[MAX_PATH];
  DWORD n = GetTempPath(sizeof path, path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(strlen(path), n);
  EXPECT_EQ(path[n - 1], '/');
  char tiny[2];
  EXPECT_EQ(GetTempPath(sizeof tiny, tiny), n + 1);

  const fs::path dir = ScratchDir("fs-temp");
  char a[MAX_PATH], b[MAX_PATH];
  UINT ua = GetTempFileName(Win(dir).c_str(), "dvxPREFIX", 0, a);
  UINT ub = GetTempFileName(Win(dir).c_str(), "dvx", 0, b);
  ASSERT_NE(ua, 0u);
  ASSERT_NE(ub, 0u);
  EXPECT_NE(std::string(a), std::string(b));
  EXPECT_EQ(std::string(a).rfind(Win(dir) + "\\dvx", 0), 0u) << a;
  EXPECT_EQ(std::string(a).substr(std::string(a).size() - 4), ".tmp");
  EXPECT_NE(GetFileAttributes(a), INVALID_FILE_ATTRIBUTES);  // created

  char c[MAX_PATH];
  EXPECT_EQ(GetTempFileName((dir.string() + "/").c_str(), "ab", 0x11A2B, c), 0x1A2Bu);
  EXPECT_EQ(std::string(c), dir.string() + "/ab1A2B.tmp");
  EXPECT_EQ(GetFileAttributes(c), INVALID_FILE_ATTRIBUTES);  // only named

  EXPECT_EQ(GetTempFileName(Win(dir / "none").c_str(), "x", 0, c), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
  EXPECT_EQ(GetTempFileName(nullptr, "x", 0, c), 0u);
  EXPECT_EQ(GetTempFileName(Win(dir).c_str(), "x", 0, nullptr), 0u);
}

TEST(FileSystem, CurrentFolderAndFullNames) {
  const fs::path dir = ScratchDir("fs-cwd");
  fs::create_directories(dir / "Work");
  const fs::path saved = fs::current_path();
  ASSERT_TRUE(SetCurrentDirectory(Win(dir / "WORK").c_str()));
  char buf[MAX_PATH];
  DWORD n = GetCurrentDirectory(sizeof buf, buf);
  EXPECT_EQ(std::string(buf, n), (dir / "Work").string());
  EXPECT_EQ(GetCurrentDirectory(3, buf), n + 1);

  LPSTR filePart = nullptr;
  n = GetFullPathName("a\\b\\..\\c.txt", sizeof buf, buf, &filePart);
  EXPECT_EQ(std::string(buf, n), (dir / "Work/a/c.txt").string());
  ASSERT_NE(filePart, nullptr);
  EXPECT_STREQ(filePart, "c.txt");
  n = GetFullPathName("C:\\x\\.\\y\\", sizeof buf, buf, &filePart);
  EXPECT_EQ(std::string(buf, n), "/x/y/");
  EXPECT_EQ(filePart, nullptr);
  EXPECT_EQ(GetFullPathName("\\abc", 3, buf, nullptr), 5u);
  EXPECT_EQ(GetFullPathName(nullptr, sizeof buf, buf, nullptr), 0u);

  EXPECT_FALSE(SetCurrentDirectory(Win(dir / "none").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  fs::current_path(saved);
}

TEST(FileSystem, SystemMessageTexts) {
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(SystemText(ERROR_PATH_NOT_FOUND), "The system cannot find the path specified.\r\n");
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), "Access is denied.\r\n");
  EXPECT_EQ(SystemText(ERROR_ALREADY_EXISTS), "Cannot create a file when that file already exists.\r\n");
  EXPECT_EQ(SystemText(ERROR_FILE_EXISTS), "The file exists.\r\n");
  EXPECT_EQ(SystemText(ERROR_DIR_NOT_EMPTY), "The directory is not empty.\r\n");
  EXPECT_EQ(SystemText(ERROR_MOD_NOT_FOUND), "The specified module could not be found.\r\n");
  EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK),
            "Access is denied. ");

  // An application's own code has no system text.
  char buf[64];
  EXPECT_EQ(FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x20000077, 0, buf, sizeof buf, nullptr), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_MR_MID_NOT_FOUND);
  EXPECT_EQ(FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, buf, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, nullptr, 0, nullptr), 0u);

  char* allocated = nullptr;
  DWORD n = FormatMessage(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED,
                          0, reinterpret_cast<LPSTR>(&allocated), 0, nullptr);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::string(allocated, n), "Access is denied.\r\n");
  LocalFree(allocated);

  EXPECT_EQ(FormatFromString(buf, sizeof buf, "%2 then %1%n100%%", "one", "two"), 18u);
  EXPECT_STREQ(buf, "two then one\r\n100%");
}

TEST(FileSystem, TheProgramsOwnNumbersTakeTheTextsOfItsMessageTable) {
  static const RESOURCE_STRING kMessages[] = {{0x20000077, "Axis not referenced.\r\n"}, {5, "Not the system's.\r\n"}};
  static const RESOURCE_ENTRY kEntries[] = {{RT_MESSAGETABLE, MAKEINTRESOURCE(1), kMessages, sizeof kMessages}};
  static const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
  ASSERT_TRUE(AfxRegisterResourceTable(&kTable));
  char buf[64];
  const DWORD n = FormatMessage(FORMAT_MESSAGE_FROM_HMODULE, nullptr, 0x20000077, 0, buf, sizeof buf, nullptr);
  const std::string own(buf, n), system = ErrorTextOf(5).GetString(), known = ErrorTextOf(0x20000077).GetString(),
                    unknown = ErrorTextOf(0x20000078).GetString();
  AfxUnregisterResourceTable(&kTable);
  EXPECT_EQ(own, "Axis not referenced.\r\n");
  EXPECT_EQ(system, "Access is denied.\r\n");  // the system's text first
  EXPECT_EQ(known, "Axis not referenced.\r\n");
  EXPECT_EQ(unknown, "Error code 0x20000078");
}

TEST(FileSystem, UserMachineAndIds) {
  char buf[UNLEN + 1];
  DWORD size = sizeof buf;
  ASSERT_TRUE(GetUserName(buf, &size));
  EXPECT_EQ(size, strlen(buf) + 1);
  EXPECT_GT(strlen(buf), 0u);
  DWORD small = 1;
  EXPECT_FALSE(GetUserName(buf, &small));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(small, size);
  EXPECT_FALSE(GetUserName(buf, nullptr));

  char host[MAX_COMPUTERNAME_LENGTH + 1];
  size = sizeof host;
  ASSERT_TRUE(GetComputerName(host, &size));
  EXPECT_EQ(size, strlen(host));
  EXPECT_LE(size, (DWORD)MAX_COMPUTERNAME_LENGTH);
  for (const char* p = host; *p; ++p) EXPECT_FALSE(*p >= 'a' && *p <= 'z');

  EXPECT_EQ(GetCurrentProcessId(), (DWORD)getpid());
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, GetCurrentThreadId());
}

TEST(FileSystem, PatternsMatchWithoutRegardToCase) {
  EXPECT_TRUE(MatchFilePattern("*.dll", "Module.DLL"));
  EXPECT_FALSE(MatchFilePattern("*.dll", "module.dllx"));
  EXPECT_TRUE(MatchFilePattern("a?c*.CAM", "abcdef.cam"));
  EXPECT_FALSE(MatchFilePattern("a?c", "ac"));
  EXPECT_TRUE(MatchFilePattern("*.*", "noext"));
  EXPECT_TRUE(MatchFilePattern("file.*", "FILE"));
  EXPECT_TRUE(MatchFilePattern("*.", "noext"));
  EXPECT_FALSE(MatchFilePattern("*.", "x.y"));
  EXPECT_FALSE(MatchFilePattern(nullptr, "x"));
  EXPECT_FALSE(MatchFilePattern("x", nullptr));
}

TEST(FileSystem, FileFindListsSortedWithoutRegardToCase) {
  const fs::path dir = ScratchDir("fs-find");
  WriteText(dir / "b.TXT", "bb");
  WriteText(dir / "A.txt", "a");
  WriteText(dir / "_x.txt", "xxx");
  WriteText(dir / "c.dat", "c");
  WriteText(dir / ".hidden", "h");
  fs::create_directories(dir / "Sub");

  CFileFind ff;
  EXPECT_EQ(ff.GetFileName(), "");  // nothing fetched yet
  BOOL more = ff.FindFile((Win(dir) + "\\*.TXT").c_str());
  ASSERT_TRUE(more);
  std::vector<std::string> names;
  while (more) {
    more = ff.FindNextFile();
    names.push_back(ff.GetFileName().str());
    if (names.back() == "b.TXT") {
      EXPECT_EQ(ff.GetFilePath(), Win(dir / "b.TXT").c_str());
      EXPECT_EQ(ff.GetRoot(), Win(dir).c_str());
      EXPECT_EQ(ff.GetFileTitle(), "b");
      EXPECT_EQ(ff.GetLength(), 2u);
      EXPECT_FALSE(ff.IsDirectory());
      CTime t;
      ASSERT_TRUE(ff.GetLastWriteTime(t));
      EXPECT_GT(t.GetTime(), 0);
    }
  }
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.TXT", "_x.txt"}));
  EXPECT_FALSE(ff.FindNextFile());
  EXPECT_EQ(ff.GetFileName(), "_x.txt");  // the last one stays

  // Everything, with the dots first; folders and hidden files flagged.
  names.clear();
  more = ff.FindFile((dir.string() + "/*.*").c_str());
  while (more) {
    more = ff.FindNextFile();
    std::string n = ff.GetFileName().str();
    names.push_back(n);
    EXPECT_EQ(ff.IsDots() != FALSE, n == "." || n == "..");
    EXPECT_EQ(ff.IsDirectory() != FALSE, n == "." || n == ".." || n == "Sub");
    EXPECT_EQ(ff.IsHidden() != FALSE, n == ".hidden");
  }
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", ".hidden", "A.txt", "b.TXT", "c.dat", "Sub", "_x.txt"}));

  // A single name is found whatever its case.
  ASSERT_TRUE(ff.FindFile((Win(dir) + "\\SUB").c_str()));
  ff.FindNextFile();
  EXPECT_EQ(ff.GetFileName(), "Sub");
  EXPECT_TRUE(ff.IsDirectory());

  ASSERT_TRUE(ff.FindFile((Win(dir) + "\\B.txt").c_str()));
  EXPECT_FALSE(ff.FindNextFile());
  EXPECT_EQ(ff.GetFilePath(), Win(dir / "b.TXT").c_str());
  EXPECT_EQ(ff.GetLength(), 2u);
  EXPECT_FALSE(ff.FindFile((Win(dir) + "\\none.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(ff.FindFile((Win(dir) + "\\nodir\\x.txt").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(ff.FindFile((Win(dir) + "\\*.none").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(ff.FindFile((Win(dir) + "\\nodir\\*.*").c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(ff.FindNextFile());
  EXPECT_EQ(ff.GetFilePath(), "");
  ff.Close();

  // No folder given: the current one, reported with its full path.
  const fs::path saved = fs::current_path();
  fs::current_path(dir / "Sub");
  WriteText(dir / "Sub/in.cfg", "x");
  ASSERT_TRUE(ff.FindFile("*.CFG"));
  ff.FindNextFile();
  EXPECT_EQ(ff.GetFilePath(), (dir / "Sub/in.cfg").string().c_str());
  fs::current_path(saved);
}

TEST(FileSystem, SaveBesideReplacesOnlyOnCommit) {
  const fs::path dir = ScratchDir("fs-save-beside");
  WriteText(dir / "real.txt", "old");
  fs::permissions(dir / "real.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir / "real.txt", dir / "link.txt");
  {
    CSaveBeside save((dir / "link.txt").c_str());
    WriteText(save.GetTempName().GetString(), "new");
    EXPECT_EQ(ReadFileText(dir / "real.txt"), "old");  // nothing changes before the commit
    ASSERT_TRUE(save.Commit());
  }
  // Through the link: the file it leads to is replaced, with its permissions, and the link stays.
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFileText(dir / "real.txt"), "new");
  EXPECT_EQ(fs::status(dir / "real.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  {
    CSaveBeside save((dir / "real.txt").c_str());
    WriteText(save.GetTempName().GetString(), "half");
  }  // never committed
  EXPECT_EQ(ReadFileText(dir / "real.txt"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  // A device is written in place and never deleted.
  {
    CSaveBeside save("/dev/null");
    EXPECT_EQ(save.GetTempName(), "/dev/null");
    EXPECT_TRUE(save.Commit());
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

namespace {

// Version `round` of process `who`: a first line naming it, then enough bytes that a file written by
// two processes at once shows it.
std::string SaveVersion(char who, int round) {
  return std::string(1, who) + " " + std::to_string(round) + "\n" + std::string(6000 + round, who);
}

// `rounds` saves of `target`, each read back at once; every fault seen, one a line.
std::string SaveAndReadBack(const std::string& target, char who, int rounds) {
  std::string faults;
  for (int round = 0; round < rounds; ++round) {
    {
      CSaveBeside save(target.c_str());
      WriteText(save.GetTempName().GetString(), SaveVersion(who, round));
      if (!save.Commit()) faults += "save " + std::to_string(round) + " failed: " + SystemText(GetLastError());
    }
    const std::string read = ReadFileText(target);
    char by = 0;
    int of = -1;
    if (sscanf(read.c_str(), "%c %d", &by, &of) != 2 || read != SaveVersion(by, of))
      faults += "torn read after save " + std::to_string(round) + "\n";
  }
  return faults;
}

}  // namespace

TEST(FileSystem, SavesOfOneTargetInTwoProcessesNeverMeet) {
  const std::string target = ScratchDir("fs-save-race") + "/setup.cfg";
  dravonix::test::ChildProcess other([&] { return SaveAndReadBack(target, 'B', 200); });
  EXPECT_EQ(SaveAndReadBack(target, 'A', 200), "");
  EXPECT_EQ(other.Wait(), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(target).parent_path()), fs::directory_iterator()), 1);
}

TEST(FileSystem, ACleanUpKeepsALiveSavesFileAndEveryUsersFile) {
  const fs::path dir = ScratchDir("fs-save-leftovers");
  const std::string target = (dir / "x.zip").string();
  WriteText(target, "old");
  CSaveBeside live(target.c_str());
  WriteText(live.GetTempName().GetString(), "being written");
  // A user's own backups keep their names, whatever they look like.
  const char* kOthers[] = {"x.zip.~dvx-k3j9x2", "x.zip.~dvx-backup", "y.zip.~dvx-k3j9x2", "x.zip.~dvx-K3J9X2", "x.zip.~dvx-k3j9x", "x.zip.~backup",
                           "x.zip.~k3j9x2", "x.zip.~sav", "x.zip.~sav.Ab3xY9", "x.zip.~dvx-old", "x.zip.bak"};
  for (const char* name : kOthers) WriteText(dir / name, "other");
  CSaveBeside next(target.c_str());
  SetLastError(ERROR_DISK_FULL);
  next.RemoveLeftovers();
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
  for (const char* name : kOthers) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_EQ(ReadFileText(live.GetTempName().GetString()), "being written");
  EXPECT_TRUE(fs::exists(next.GetTempName().GetString()));
  ASSERT_TRUE(live.Commit());
  EXPECT_EQ(ReadFileText(target), "being written");
}

TEST(FileSystem, ASaveThatSweepsKeepsUsersFilesNamedLikeItsOwnByteForByte) {
  const fs::path dir = ScratchDir("fs-save-sweep-users");
  const std::string target = (dir / "notes.txt").string();
  const std::map<std::string, std::string> kUsers = {{"notes.txt.~dvx-backup", "mine 1"},
                                                     {"notes.txt.~dvx-zzzzzz", "mine 2"},
                                                     {"notes.txt.~dvx-000001", "mine 3"},
                                                     {"notes.txt.~dvx-k3j9x2", ""}};
  WriteText(target, "old");
  for (auto& [name, bytes] : kUsers) WriteText(dir / name, bytes);
  // A killed save's first temporary: the next save finds the name taken and sweeps.
  WriteText(dir / "notes.txt.~dvx-000000", "half");
  for (const char* text : {"new", "newer"}) {
    CSaveBeside s(target.c_str());
    WriteText(s.GetTempName().GetString(), text);
    ASSERT_TRUE(s.Commit());
  }
  std::map<std::string, std::string> left;
  for (const auto& e : fs::directory_iterator(dir)) left[e.path().filename().string()] = ReadFileText(e.path().string());
  auto expected = kUsers;
  expected["notes.txt"] = "newer";
  EXPECT_EQ(left, expected);
}

TEST(FileSystem, ASaveKilledUnderADrawnNameLeavesNothingAfterTheNextSave) {
  const fs::path dir = ScratchDir("fs-save-drawn-killed");
  const std::string target = (dir / "doc.bin").string();
  WriteText(target, "old");
  static int s_listed;
  s_listed = 0;
  g_pfnFolderListed = [](const char*) { ++s_listed; };
  auto save = [&](const char* text) {
    CSaveBeside s(target.c_str());
    WriteText(s.GetTempName().GetString(), text);
    return s.Commit();
  };
  {
    CSaveBeside first(target.c_str());
    dravonix::test::ChildProcess killed([&] {
      CSaveBeside drawn(target.c_str());
      WriteText(drawn.GetTempName().GetString(), "killed");
      raise(SIGKILL);
      return std::string();
    });
    EXPECT_EQ(killed.Wait(), "child failed: signal 9 ");
    WriteText(first.GetTempName().GetString(), "first");
    EXPECT_TRUE(first.Commit());
  }
  EXPECT_TRUE(save("next"));
  // Its mark recorded its drawn name before the file was made: both go.
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir)) left.push_back(ReadFileText(e.path().string()));
  EXPECT_EQ(left, (std::vector<std::string>{"next"}));
  // Saves that find nothing killed list nothing.
  s_listed = 0;
  EXPECT_TRUE(save("last"));
  EXPECT_EQ(s_listed, 0);
  g_pfnFolderListed = nullptr;
  EXPECT_EQ(ReadFileText(target), "last");
}

TEST(FileSystem, ADrawnSavesMarkIsOnTheDiskBeforeWhatItRecordsAndAPowerCutsZerosDoNotHideIt) {
  const fs::path dir = fs::canonical(ScratchDir("fs-save-mark-order"));
  const std::string target = (dir / "doc.bin").string();
  WriteText(target, "old");
  static std::string s_dir;
  static std::vector<std::string> s_synced;  // the folder's names at each of its syncs
  s_dir = dir.string();
  s_synced.clear();
  g_pfnSyncStep = [](const char* path) {
    if (s_dir != path) return;
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(s_dir)) names.insert(e.path().filename().string());
    std::string line;
    for (const std::string& n : names) line += n + " ";
    s_synced.push_back(line);
  };
  {
    CSaveBeside first(target.c_str());
    CSaveBeside drawn(target.c_str());  // under a drawn name
    g_pfnSyncStep = nullptr;
    EXPECT_EQ(s_synced, std::vector<std::string>{"doc.bin doc.bin.~dvx-000000 doc.bin.~dvx-zzzzzz "});
  }
  // A power cut after a line was written to the mark but before it was synced: its bytes are zeros.
  WriteText(dir / "doc.bin.~dvx-zzzzzz", std::string("~dvx-drawn names\ndoc.bin.~dvx-k7m2p9\n") + std::string(20, '\0'));
  WriteText(dir / "doc.bin.~dvx-k7m2p9", "killed");
  CSaveBeside next(target.c_str());
  WriteText(next.GetTempName().GetString(), "next");
  ASSERT_TRUE(next.Commit());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(FileSystem, AUsersFileNamedLikeTheDrawnSavesMarkOutlivesEverySave) {
  const fs::path dir = ScratchDir("fs-save-users-mark");
  const struct {
    const char* what;
    std::function<bool(const std::string&)> save;
  } kSaves[] = {
      {"document", [](const std::string& t) {
         CSaveBeside s(t.c_str());
         WriteText(s.GetTempName().GetString(), "[A]\r\nk=new\r\n");
         return s.Commit() != FALSE;
       }},
      {"whole", [](const std::string& t) { return WriteWholeFile(t, "[A]\r\nk=new\r\n", 12) != FALSE; }},
      {"profile", [](const std::string& t) {
         const bool held = WritePrivateProfileString("A", "k", "new", t.c_str());
         WritePrivateProfileString(nullptr, nullptr, nullptr, t.c_str());
         return held;
       }},
  };
  for (const auto& c : kSaves)
    for (const bool drawn : {false, true}) {
      // Drawn: another save holds the first temporary name, so this one draws a name under the mark.
      const std::string target = (dir / (std::string(c.what) + (drawn ? "-drawn.ini" : ".ini"))).string();
      const std::string mark = target + ".~dvx-zzzzzz";
      WriteText(target, "[A]\r\nk=old\r\n");
      WriteText(mark, "the user's");
      for (int round = 0; round < 2; ++round) {
        std::unique_ptr<CSaveBeside> other(drawn ? new CSaveBeside(target.c_str()) : nullptr);
        EXPECT_TRUE(c.save(target)) << c.what << drawn;
      }
      EXPECT_EQ(ReadFileText(mark), "the user's") << c.what << drawn;
      EXPECT_EQ(ReadFileText(target), "[A]\r\nk=new\r\n") << c.what << drawn;
    }
}

TEST(FileSystem, SaveBesideKeepsTheTempNameWithinTheNameLimit) {
  const fs::path dir = ScratchDir("fs-save-long");
  for (size_t length : {1, 246, 247, 248, 255}) {
    const std::string name = std::string(length, 'n');
    WriteText(dir / name, "");  // a new file's temporary has no name
    CSaveBeside save((dir / name).c_str());
    const std::string temp = save.GetTempName().GetString();
    EXPECT_TRUE(fs::is_regular_file(temp)) << length;  // created at once, so no other save takes the name
    EXPECT_EQ(fs::path(temp).parent_path(), dir) << length;
    EXPECT_LE(fs::path(temp).filename().string().size(), 255u) << length;
    WriteText(temp, name);
    ASSERT_TRUE(save.Commit()) << length;
    EXPECT_EQ(ReadFileText(dir / name), name);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
}

TEST(FileSystem, OwnNamesOfLongTargetsFitAndStayApart) {
  const std::string a = std::string(250, 'n') + "a.cfg", b = std::string(250, 'n') + "b.cfg";
  EXPECT_EQ(SaveOldCopyName("setup.cfg"), "setup.cfg.~dvx-old");
  EXPECT_NE(SaveOldCopyName(a), SaveOldCopyName(b));
  EXPECT_LE(SaveOldCopyName(a).size(), 255u);
  const fs::path dir = ScratchDir("fs-save-own-names");
  WriteText(dir / a, "");
  CSaveBeside save((dir / a).c_str());
  const std::string temp = fs::path(save.GetTempName().GetString()).filename().string();
  EXPECT_TRUE(IsSaveTempName(temp, a));
  EXPECT_FALSE(IsSaveTempName(temp, b));
  EXPECT_TRUE(IsSaveTempName("setup.cfg.~dvx-k3j9x2", "setup.cfg"));
  for (const char* other : {"setup.cfg.~backup", "setup.cfg.~dvx-K3J9X2", "setup.cfg.~dvx-old", "setup.cfg.~k3j9x2"})
    EXPECT_FALSE(IsSaveTempName(other, "setup.cfg")) << other;
}

namespace {

bool SaveText(const std::string& target, const std::string& text) {
  CSaveBeside s(target.c_str());
  WriteText(s.GetTempName().GetString(), text);
  return s.Commit() != FALSE;
}

// A save of `target` killed once it has written its file; `drawn`: another save holds the first
// temporary name meanwhile, so that the killed one draws its name. What the killed save's own file
// was made for ("killed", or "nothing written" where it could make none).
std::string KilledSave(const std::string& target, bool drawn) {
  std::unique_ptr<CSaveBeside> first(drawn ? new CSaveBeside(target.c_str()) : nullptr);
  const std::string killed = dravonix::test::InChildProcess([&] {
    CSaveBeside save(target.c_str());
    if (save.GetDescriptor() < 0) return std::string("nothing written");
    WriteText(save.GetTempName().GetString(), "killed");
    raise(SIGKILL);
    return std::string();
  });
  return killed == "child failed: signal 9 " ? "killed" : killed;
}

}  // namespace

TEST(FileSystem, NothingOfASaveKilledAtAnyNameOrUnderAnyMarkStaysAfterOneCompletes) {
  const struct {
    const char* what;
    size_t length;  // of the target's name
    bool drawn;
    std::map<std::string, std::string> before;  // beside the target, by what follows its name
    const char* killed;
    size_t euroAt = 0;  // where a three-byte character stands in the name, so that the cut steps back
  } kCases[] = {
      {"a long name", 244, false, {}, "killed"},
      {"a long name cut before a character of three bytes", 255, false, {}, "killed", 233},
      {"the longest name", 255, false, {}, "killed"},
      {"a mark whose end a power cut zeroed", 8, true, {{".~dvx-zzzzzz", std::string("~dvx-drawn names\n") + std::string(20, '\0')}}, "killed"},
      {"every mark name a user's", 8, true, {{".~dvx-zzzzzz", "mine 1"}, {".~dvx-zzzzzy", ""}, {".~dvx-zzzzzx", "mine 3"}}, "nothing written"},
  };
  for (const auto& c : kCases) {
    const fs::path dir = ScratchDir("fs-save-killed-kinds");
    std::string name(c.length, 'n');
    if (c.euroAt) name.replace(c.euroAt, 3, "\xE2\x82\xAC");
    const std::string target = (dir / name).string();
    WriteText(target, "old");
    for (auto& [tail, bytes] : c.before) WriteText(dir / (name + tail), bytes);
    EXPECT_EQ(KilledSave(target, c.drawn), c.killed) << c.what;
    // Known as a save's own before the target is saved again (a restore leaves it out).
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (auto& [left, bytes] : Contents(dir))
      EXPECT_TRUE(bytes != "killed" || IsSaveTempLeftover(fd, left)) << c.what;
    close(fd);
    ASSERT_TRUE(SaveText(target, "next")) << c.what;
    std::map<std::string, std::string> expected{{name, "next"}};
    for (auto& [tail, bytes] : c.before)
      if (bytes.find('\0') == std::string::npos) expected[name + tail] = bytes;
    EXPECT_EQ(Contents(dir), expected) << c.what;
  }
}

TEST(FileSystem, APowerCutBeforeASaveReturnsLeavesNoFileOfItsOwnWithoutItsRecord) {
  const fs::path dir = fs::canonical(ScratchDir("fs-save-power-cut"));
  const std::string target = (dir / "doc.bin").string(), fresh = (dir / "new.bin").string();
  WriteText(target, "old");
  auto mark = [](const std::string& n) { return n.ends_with(".~dvx-zzzzzz"); };
  auto own = [](const std::string& n) { return n.find(".~dvx-") != std::string::npos; };
  // Under a drawn name: its mark goes only once its file has its target's name on the disk.
  const auto drawn = dravonix::test::SyncedStates(dir.string(), [&] {
    CSaveBeside first(target.c_str());
    EXPECT_TRUE(SaveText(target, "drawn"));
  });
  auto drawnName = [&](const std::string& n) { return own(n) && !n.ends_with("000000"); };
  EXPECT_EQ(dravonix::test::ChangedWithItsRecord(drawn, mark, drawnName), "");
  // A new file: nothing of the save's own ever has a name.
  for (const auto& state : dravonix::test::SyncedStates(dir.string(), [&] { EXPECT_TRUE(SaveText(fresh, "new")); }))
    for (const std::string& n : state.names) EXPECT_FALSE(own(n)) << n;
  EXPECT_EQ(ReadFileText(fresh), "new");
}

TEST(FileSystem, SavesKilledAtTheirMarksProofWithoutUnnamedFilesLeaveNothingOnceOneCompletes) {
  using dravonix::test::kNoUnnamedFiles;
  using dravonix::test::RefuseCalls;
  using dravonix::test::WithRefusedCalls;
  const fs::path dir = ScratchDir("fs-save-no-unnamed");
  const std::string target = (dir / "report.doc").string();
  for (int kill = 0; kill < 3; ++kill)
    EXPECT_EQ(WithRefusedCalls({kNoUnnamedFiles}, [&] {
                // Killed at its first write: the proof of the new file's mark.
                if (!RefuseCalls({{SYS_write, 0}})) return std::string("no filter");
                CSaveBeside save(target.c_str());
                return std::string("not killed");
              }),
              "child failed: signal 31 ");
  const std::string saved = WithRefusedCalls({kNoUnnamedFiles}, [&] {
    std::string out = SaveText(target, "new") ? "" : "new failed ";
    CSaveBeside other(target.c_str());  // so that the next one draws its name under the mark
    return out + (SaveText(target, "over") ? "" : "over failed");
  });
  EXPECT_EQ(saved, "");
  EXPECT_EQ(Contents(dir), (std::map<std::string, std::string>{{"report.doc", "over"}}));
}
