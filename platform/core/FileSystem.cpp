#include "platform/core/FileSystem.h"

#include "platform/core/Path.h"
#include "platform/core/Resource.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

namespace {

thread_local DWORD t_lastError = 0;

BOOL Fail(DWORD error) {
  t_lastError = error;
  return FALSE;
}

BOOL FailErrno(int err) {
  t_lastError = Win32ErrorFromErrno(err);
  return FALSE;
}

// Win32 tells a missing file in an existing folder from a missing folder.
BOOL FailMissing(const std::string& native) {
  struct stat st;
  std::string parent = ParentOf(native);
  if (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(ERROR_FILE_NOT_FOUND);
  return Fail(ERROR_PATH_NOT_FOUND);
}

BOOL FailStat(const std::string& native, int err) {
  if (err == ENOENT) return FailMissing(native);
  if (err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
  return FailErrno(err);
}

bool IsReadOnlyMode(mode_t mode) { return (mode & S_IWUSR) == 0; }

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

DWORD AttributesOf(const std::string& name, const struct stat& st) {
  DWORD a = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnlyMode(st.st_mode)) a |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.' && !IsDotName(name)) a |= FILE_ATTRIBUTE_HIDDEN;
  return a;
}

bool WriteAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, data, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += w;
    n -= (size_t)w;
  }
  return true;
}

// Copies an open file's bytes to an open file, and with `asSource` its permissions and modification
// time; 0 or the errno of the failure.
int CopyBytes(int in, const struct stat& srcStat, int out, bool asSource = true) {
  char buf[65536];
  for (;;) {
    ssize_t r = read(in, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) break;
    if (!WriteAll(out, buf, (size_t)r)) return errno;
  }
  if (!asSource) return 0;
  struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
  futimens(out, times);
  // A file system that keeps no permissions (FAT) takes the copy without them, as cp does.
  const int err = fchmod(out, srcStat.st_mode & 07777) != 0 ? errno : 0;
  return err == ENOSYS || err == EPERM || err == EOPNOTSUPP ? 0 : err;
}

// Copies an open file to `dst`, which must not exist (no link followed); removes a partial copy.
BOOL CopyOpenFile(int in, const struct stat& srcStat, const std::string& dst) {
  int out = open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    int err = errno;
    if (err == EEXIST) return Fail(ERROR_FILE_EXISTS);
    return FailStat(dst, err);
  }
  int err = CopyBytes(in, srcStat, out);
  if (close(out) != 0 && !err) err = errno;
  if (err) {
    unlink(dst.c_str());
    return FailErrno(err);
  }
  return TRUE;
}

int OpenSaveTemp(const std::string& path, std::string& temp, int& mark, bool* firstNameTaken = nullptr, bool recordNew = true,
                 int unnamed = -1);
bool DrawnSaveKilled(const std::string& path);
bool DropDrawnSaveMark(const std::string& path, int& mark);
bool SameFile(int fd, int dirFd, const char* name);
BOOL PlaceOwnTemp(int fd, const std::string& temp, const std::string& target);

// Copies an open file over `dst`: written under a temporary name beside it and renamed over it, so
// that a copy that fails part-way leaves the old file as it was. Through a link the file it leads
// to is replaced.
BOOL CopyOpenFileOver(int in, const struct stat& srcStat, std::string dst) {
  struct stat ds;
  if (lstat(dst.c_str(), &ds) == 0 && S_ISLNK(ds.st_mode)) {
    if (char* real = realpath(dst.c_str(), nullptr)) {
      dst = real;
      free(real);
    }
  }
  const bool exists = stat(dst.c_str(), &ds) == 0;
  // What a copy over the file that was killed part-way left beside it (a live copy holds its own).
  if (exists && S_ISREG(ds.st_mode)) RemoveSaveLeftovers(ParentOf(dst), {LastComponent(dst)}, {});
  std::string temp;
  int mark = -1;
  const int made = exists && !S_ISREG(ds.st_mode) ? -1 : OpenSaveTemp(dst, temp, mark);
  if (made < 0) {
    // A device or pipe, or a file in a folder that takes no new file (as Win32 copies there): the
    // existing file is written in place, and keeps its permissions.
    if (!exists || (S_ISREG(ds.st_mode) && errno != EACCES && errno != EPERM)) return FailStat(dst, errno);
    int out = open(dst.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0) return FailStat(dst, errno);
    int err = CopyBytes(in, srcStat, out, false);
    if (close(out) != 0 && !err) err = errno;
    return err ? FailErrno(err) : TRUE;
  }
  const int err = CopyBytes(in, srcStat, made);
  // On the disk before it counts, as every save; renamed before the lock goes with the descriptor,
  // so no sweep of leftovers takes it.
  const BOOL ok = (err ? FailErrno(err) : TRUE) && SyncFile(made) && PlaceOwnTemp(made, temp, dst);
  const DWORD error = t_lastError;
  if (!ok && SameFile(made, AT_FDCWD, temp.c_str())) unlink(temp.c_str());
  close(made);
  DropDrawnSaveMark(dst, mark);
  if (!ok) return Fail(error);
  // In place, but a power cut may still take it: the copy has failed.
  return SyncFolder(ParentOf(dst));
}

BOOL CopyResolved(const std::string& src, const std::string& dst, BOOL failIfExists) {
  struct stat ss;
  if (stat(src.c_str(), &ss) != 0) return FailStat(src, errno);
  // A folder, pipe or device is no file to copy: a pipe would hold the copy, a device never end it.
  if (!S_ISREG(ss.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  struct stat ds;
  const bool exists = stat(dst.c_str(), &ds) == 0;
  if (exists) {
    if (failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (S_ISDIR(ds.st_mode) || IsReadOnlyMode(ds.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (ds.st_dev == ss.st_dev && ds.st_ino == ss.st_ino) return Fail(ERROR_SHARING_VIOLATION);
  }
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return FailStat(src, errno);
  BOOL ok = failIfExists ? CopyOpenFile(in, ss, dst) : CopyOpenFileOver(in, ss, dst);
  close(in);
  return ok;
}

void AppendHex(std::string& out, UINT v) {
  char digits[9];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  } while (v);
  while (n) out += digits[--n];
}

// Copies `text` into a caller's buffer with the Win32 length conventions of the path functions.
DWORD CopyOutPath(const std::string& text, DWORD bufferLength, LPSTR buffer) {
  if (!buffer || bufferLength < text.size() + 1) return (DWORD)text.size() + 1;
  memcpy(buffer, text.c_str(), text.size() + 1);
  return (DWORD)text.size();
}

struct SystemMessage {
  DWORD id;
  const char* text;
};

const SystemMessage kSystemMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified.\r\n"},
    {ERROR_CURRENT_DIRECTORY, "The directory cannot be removed.\r\n"},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive.\r\n"},
    {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
    {ERROR_WRITE_PROTECT, "The media is write protected.\r\n"},
    {ERROR_NOT_READY, "The device is not ready.\r\n"},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device.\r\n"},
    {ERROR_READ_FAULT, "The system cannot read from the specified device.\r\n"},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning.\r\n"},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_LOCK_VIOLATION,
     "The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
    {ERROR_HANDLE_DISK_FULL, "The disk is full.\r\n"},
    {ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_CANNOT_MAKE, "The directory or file cannot be created.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_OPEN_FAILED, "The system cannot open the device or file specified.\r\n"},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty.\r\n"},
    {ERROR_BAD_PATHNAME, "The specified path is invalid.\r\n"},
    {ERROR_BUSY, "The requested resource is in use.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
    {ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
    {ERROR_NOACCESS, "Invalid access to memory location.\r\n"},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error.\r\n"},
    {ERROR_CANCELLED, "The operation was canceled by the user.\r\n"},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system.\r\n"},
    {WSAEWOULDBLOCK, "A non-blocking socket operation could not be completed immediately.\r\n"},
    {WSAECONNRESET, "An existing connection was forcibly closed by the remote host.\r\n"},
    {WSAETIMEDOUT,
     "A connection attempt failed because the connected party did not properly respond after a period of "
     "time, or established connection failed because connected host has failed to respond.\r\n"},
    {WSAECONNREFUSED, "No connection could be made because the target machine actively refused it.\r\n"},
};

const char* SystemMessageText(DWORD id) {
  for (const SystemMessage& m : kSystemMessages)
    if (m.id == id) return m.text;
  return nullptr;
}

// Expands %1..%99, %n, %r, %t, %0 and escaped characters; inserts are strings.
bool ExpandInserts(const std::string& src, DWORD flags, va_list* arguments, std::string& out) {
  const bool argArray = (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0;
  for (size_t i = 0; i < src.size(); ++i) {
    char c = src[i];
    if (c != '%' || i + 1 >= src.size()) {
      out += c;
      continue;
    }
    char d = src[++i];
    if (d >= '1' && d <= '9') {
      int n = d - '0';
      if (i + 1 < src.size() && src[i + 1] >= '0' && src[i + 1] <= '9') n = n * 10 + (src[++i] - '0');
      // A printf form "!s!" after the number: strings are all we insert.
      if (i + 1 < src.size() && src[i + 1] == '!') {
        size_t close = src.find('!', i + 2);
        if (close != std::string::npos) i = close;
      }
      if (!arguments) return false;
      const char* s = nullptr;
      if (argArray) {
        s = reinterpret_cast<const char* const*>(arguments)[n - 1];
      } else {
        va_list copy;
        va_copy(copy, *arguments);
        for (int k = 0; k < n; ++k) s = va_arg(copy, const char*);
        va_end(copy);
      }
      out += s ? s : "(null)";
    } else if (d == '0') {
      return true;
    } else if (d == 'n') {
      out += "\r\n";
    } else if (d == 'r') {
      out += '\r';
    } else if (d == 't') {
      out += '\t';
    } else {
      out += d;
    }
  }
  return true;
}

}  // namespace

// ---- last error --------------------------------------------------------------------------------

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

DWORD Win32ErrorFromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EIO: return ERROR_IO_DEVICE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EFAULT: return ERROR_NOACCESS;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EAGAIN: return WSAEWOULDBLOCK;
    case ECONNRESET: return WSAECONNRESET;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ECANCELED: return ERROR_CANCELLED;
    default: return ERROR_GEN_FAILURE;
  }
}

void SetLastErrorFromErrno(int err) { t_lastError = Win32ErrorFromErrno(err); }

// ---- files and folders -------------------------------------------------------------------------

BOOL CopyFile(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists) {
  if (!existingFile || !newFile || !*existingFile || !*newFile) return Fail(ERROR_INVALID_PARAMETER);
  return CopyResolved(ResolvePath(existingFile), ResolvePath(newFile), failIfExists);
}

BOOL DeleteFile(LPCSTR fileName) {
  if (!fileName || !*fileName) return Fail(ERROR_INVALID_PARAMETER);
  std::string p = ResolvePath(fileName);
  struct stat st;
  if (lstat(p.c_str(), &st) != 0) return FailStat(p, errno);
  if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode))) return Fail(ERROR_ACCESS_DENIED);
  if (unlink(p.c_str()) != 0) return FailErrno(errno);
  return TRUE;
}

BOOL MoveFileEx(LPCSTR existingFile, LPCSTR newFile, DWORD flags) {
  if (!existingFile || !newFile || !*existingFile || !*newFile) return Fail(ERROR_INVALID_PARAMETER);
  std::string src = ResolvePath(existingFile);
  std::string dst = ResolvePath(newFile);
  struct stat ss, ds;
  if (lstat(src.c_str(), &ss) != 0) return FailStat(src, errno);
  if (lstat(dst.c_str(), &ds) == 0) {
    if (ds.st_dev == ss.st_dev && ds.st_ino == ss.st_ino) {
      // The same entry: at most a change of case in its name.
      std::string target = ParentOf(dst) + "/" + LastComponent(NativePath(newFile));
      if (dst.find('/') == std::string::npos) target = LastComponent(NativePath(newFile));
      if (target != src && rename(src.c_str(), target.c_str()) != 0) return FailErrno(errno);
      return TRUE;
    }
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(ds.st_mode) || S_ISDIR(ss.st_mode) || (S_ISREG(ds.st_mode) && IsReadOnlyMode(ds.st_mode)))
      return Fail(ERROR_ACCESS_DENIED);
  }
  if (rename(src.c_str(), dst.c_str()) == 0) return TRUE;
  int err = errno;
  if (err == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) && S_ISREG(ss.st_mode)) {
    if (!CopyResolved(src, dst, !(flags & MOVEFILE_REPLACE_EXISTING))) return FALSE;
    if (unlink(src.c_str()) != 0) return FailErrno(errno);
    return TRUE;
  }
  if (err == ENOENT) return FailMissing(dst);
  return FailErrno(err);
}

namespace {

constexpr size_t kNameMax = 255;  // bytes of one name on the file systems we run on
constexpr size_t kRandomLetters = 6;
// A user's "<name>.~backup" or "<name>.~old" is no file of ours: our own names carry this mark.
constexpr char kTempMark[] = ".~dvx-";
constexpr char kOldCopyMark[] = ".~dvx-old";
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // one case: paths resolve without it
// The last names of a target's own names: the drawn saves' mark, held (shared) by every save under a
// drawn name while it lives and recording the names they draw. The next ones stand in where a user's
// file has the first.
constexpr const char* kDrawnMarks[] = {"zzzzzz", "zzzzzy", "zzzzzx"};
// Where a mark is written before it takes its name, on a file system without files without a name.
constexpr char kStagedMark[] = "zzzzzw";

bool IsDrawnMarkLetters(const std::string& letters) {
  return std::find(std::begin(kDrawnMarks), std::end(kDrawnMarks), letters) != std::end(kDrawnMarks);
}

// Letters no drawn name has.
bool IsReservedLetters(const std::string& letters) { return IsDrawnMarkLetters(letters) || letters == kStagedMark; }

constexpr size_t kCutSum = 9;  // "~" and eight hexadecimal digits

// The target's name, cut so that `room` bytes more fit in one name. A cut name ends in "~" and a
// checksum of the whole name, so that two long names sharing their beginning never share it; the
// cut never falls in the middle of a UTF-8 character.
std::string MarkedStem(const std::string& leaf, size_t room) {
  if (leaf.size() + room <= kNameMax) return leaf;
  uint32_t sum = 2166136261u;  // FNV-1a
  for (unsigned char c : leaf) sum = (sum ^ c) * 16777619u;
  size_t n = kNameMax - room - kCutSum;
  while (n > 0 && ((unsigned char)leaf[n] & 0xC0) == 0x80) --n;
  std::string stem = leaf.substr(0, n) + "~";
  for (int shift = 28; shift >= 0; shift -= 4) stem += "0123456789abcdef"[(sum >> shift) & 0xF];
  return stem;
}

std::string TempStem(const std::string& leaf) { return MarkedStem(leaf, (sizeof kTempMark - 1) + kRandomLetters); }

// Bumped in the child of every fork, so that parent and child never draw the same names.
std::atomic<unsigned> g_forks{0};
[[maybe_unused]] const int g_forkHandler = pthread_atfork(nullptr, nullptr, [] { g_forks.fetch_add(1); });

uint64_t SystemRandom() {
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != (ssize_t)sizeof bits) {
    static std::atomic<uint64_t> counter{0};
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    bits = ((uint64_t)getpid() << 32) ^ (uint64_t)now.tv_nsec ^ ((uint64_t)now.tv_sec << 20) ^
           (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  }
  return bits;
}

// Drawn from a generator that the system's randomness seeds once per thread (and process): names
// no one can guess, without a system call for each.
std::string RandomLetters() {
  thread_local uint64_t state = 0;
  thread_local unsigned seededAt = ~0u;
  if (seededAt != g_forks.load()) {
    state = SystemRandom();
    seededAt = g_forks.load();
  }
  uint64_t bits = (state += 0x9E3779B97F4A7C15ull);  // splitmix64
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
  bits ^= bits >> 31;
  constexpr size_t kCount = sizeof kLetters - 1;
  std::string out;
  for (size_t i = 0; i < kRandomLetters; ++i, bits /= kCount) out += kLetters[bits % kCount];
  return out;
}

// The mark and six of our letters at the end of `name`, after at least one byte of a target's name.
bool EndsInTempMark(const std::string& name) {
  const size_t mark = sizeof kTempMark - 1;
  if (name.size() < 1 + mark + kRandomLetters) return false;
  const size_t at = name.size() - kRandomLetters - mark;
  return name.compare(at, mark, kTempMark) == 0 &&
         name.find_first_not_of(kLetters, at + mark) == std::string::npos;
}

bool IsPlainFile(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(int fd, int dirFd, const char* name) {
  struct stat a, b;
  return fstat(fd, &a) == 0 && fstatat(dirFd, name, &b, AT_SYMLINK_NOFOLLOW) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

// Puts the written temporary `temp` (open as `fd`) in the place of `target`, only while the name is
// still that file: a link or another file swapped in for it is never renamed into the target's
// place, and one swapped in between the look and the rename does not stay there, where a later
// save would follow it. (A plain file there may be another save's, renamed since.) FALSE with the
// last error set; the caller syncs the file before and the folder after.
BOOL PlaceOwnTemp(int fd, const std::string& temp, const std::string& target) {
  if (!SameFile(fd, AT_FDCWD, temp.c_str())) return Fail(ERROR_ACCESS_DENIED);
  if (rename(temp.c_str(), target.c_str()) != 0) return errno == ENOENT ? FailMissing(target) : FailErrno(errno);
  if (IsPlainFile(target.c_str())) return TRUE;
  unlink(target.c_str());
  return Fail(ERROR_ACCESS_DENIED);
}

}  // namespace

std::string SaveReplacedFile(const std::string& native) {
  struct stat st;
  if (lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return native;
  // The link stays; the file it leads to is the one replaced. A link to nothing is itself replaced.
  char* real = realpath(native.c_str(), nullptr);
  if (!real) return native;
  std::string replaced = real;
  free(real);
  return replaced;
}

CSaveBeside::CSaveBeside(LPCSTR target, Named) { Open(target); }

CSaveBeside::CSaveBeside(LPCSTR target) { Open(target); }

void CSaveBeside::Open(LPCSTR target) {
  m_target = target ? target : "";
  struct stat st;
  // A name that exists as spelled is looked up once; only another is resolved without regard to case.
  m_native = NativePath(m_target);
  bool exists = !m_native.empty() && lstat(m_native.c_str(), &st) == 0;
  if (!exists && !m_native.empty()) {
    m_native = ResolvePath(m_target);
    exists = lstat(m_native.c_str(), &st) == 0;
  }
  Prepare(exists ? &st : nullptr);
}

CSaveBeside::CSaveBeside(LPCSTR target, const std::string& resolved) : m_target(target ? target : ""), m_native(resolved) {
  struct stat st;
  Prepare(!m_native.empty() && lstat(m_native.c_str(), &st) == 0 ? &st : nullptr);
}

void CSaveBeside::Prepare(struct stat* found) {
  if (found) {
    struct stat& st = *found;
    if (S_ISLNK(st.st_mode)) {
      const std::string link = m_native;
      m_native = SaveReplacedFile(link);
      if (m_native != link) m_target = m_native.c_str();
      if (stat(link.c_str(), &st) != 0) st.st_mode = S_IFREG;
    }
    // A device or pipe holds no file to keep, and must not become one: it is written in place.
    m_inPlace = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    m_folder = S_ISDIR(st.st_mode);
  }
  if (m_inPlace) {
    m_temp = m_target;
    return;
  }
  if (m_target.IsEmpty()) return;
  const DWORD error = GetLastError();
  const std::string& path = m_native;
  std::string temp;
  // A new file is made without a name, which it gets only as the target's (or from its set's record,
  // once that is on the disk): a kill or a power cut leaves nothing of it, with no mark to keep.
  if (!found && !m_native.empty()) {
    const int fd = open(ParentOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0 && flock(fd, LOCK_EX) == 0) {
      m_lock = fd;
      m_unnamed = true;
      temp = DescriptorPath(fd);
    } else if (fd >= 0) {
      close(fd);
    }
  }
  if (m_lock < 0) m_lock = OpenSaveTemp(path, temp, m_mark, &m_firstNameTaken);
  m_temp = temp.c_str();
  struct stat made;
  if (m_lock < 0) m_createError = errno;  // Duplicate and OpenStream tell why
  else if (fstat(m_lock, &made) == 0) m_madeMode = made.st_mode & 07777;
  SetLastError(error);
}

void (*g_pfnSaveStep)(const char* temp) = nullptr;

void CSaveBeside::Step() const {
  if (g_pfnSaveStep && !m_inPlace && !m_unnamed && !m_temp.IsEmpty()) g_pfnSaveStep(m_temp);
}

bool CSaveBeside::HoldsTempName() const { return m_lock >= 0 && (m_unnamed || SameFile(m_lock, AT_FDCWD, m_temp)); }

BOOL CSaveBeside::DropMark() {
  const DWORD error = t_lastError;
  if (!DropDrawnSaveMark(m_native, m_mark)) return FALSE;
  t_lastError = error;
  return TRUE;
}

BOOL CSaveBeside::NameTemp() {
  if (!m_unnamed) return TRUE;
  if (m_lock < 0) return Fail(ERROR_INVALID_HANDLE);
  std::string temp;
  if (OpenSaveTemp(m_native, temp, m_mark, &m_firstNameTaken, true, m_lock) < 0) return FailErrno(errno);
  m_unnamed = false;
  m_temp = temp.c_str();
  return TRUE;
}

BOOL CSaveBeside::NameAs(const std::string& temp) {
  if (!m_unnamed) return TRUE;
  if (linkat(AT_FDCWD, DescriptorPath(m_lock).c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) return FailErrno(errno);
  m_unnamed = false;
  m_temp = temp.c_str();
  return TRUE;
}

void CSaveBeside::TakeOldPermissions(unsigned oldMode) const {
  if (m_committed || m_inPlace || m_lock < 0 || m_permissionsTaken) return;
  m_permissionsTaken = true;
  if (oldMode == kUnknownMode) {
    struct stat old;
    if (stat(m_native.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
    oldMode = old.st_mode;
  }
  if ((oldMode & 07777) == m_madeMode) return;
  Step();
  // Through the descriptor: whatever the name leads to by now keeps its mode.
  fchmod(m_lock, oldMode & 07777);
}

void CSaveBeside::StartSync() const {
  if (!m_committed && !m_inPlace && m_lock >= 0) sync_file_range(m_lock, 0, 0, SYNC_FILE_RANGE_WRITE);
}

BOOL CSaveBeside::Sync() const {
  if (m_committed || m_inPlace) return TRUE;
  if (m_lock < 0) return Fail(ERROR_INVALID_HANDLE);
  Step();
  return SyncFile(m_lock);
}

BOOL CSaveBeside::Commit() {
  if (m_committed || m_inPlace) return TRUE;
  if (m_temp.IsEmpty()) return Fail(ERROR_INVALID_PARAMETER);
  // On the disk before it counts: the file before its rename, the folder's new name after it.
  if (!ReplaceSynced()) return FALSE;
  const std::string folder = ParentOf(m_native);
  const BOOL synced = SyncFolder(folder);
  const DWORD error = t_lastError;
  // What saves of this file that were killed left beside it.
  const std::string target = LastComponent(m_native);
  SweepSaveLeftovers(folder, {target}, FoundFirstNameTaken() ? std::vector<std::string>{target} : std::vector<std::string>{});
  // In place, but a power cut may still take it: the save has failed.
  return synced ? TRUE : Fail(error);
}

BOOL CSaveBeside::ReplaceSynced() {
  // The new file keeps the old one's permissions, from the moment it takes the old one's place.
  TakeOldPermissions();
  return Sync() && Replace();
}

BOOL CSaveBeside::Replace() {
  if (m_committed || m_inPlace) return TRUE;
  if (m_temp.IsEmpty()) return Fail(ERROR_INVALID_PARAMETER);
  // A read-only file or a folder is not replaced, as Win32 replaces neither.
  struct stat st;
  if (lstat(m_native.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode))))
    return Fail(ERROR_ACCESS_DENIED);
  Step();
  if (m_lock < 0) return Fail(ERROR_ACCESS_DENIED);
  // A new file without a name takes the target's where nothing has it yet; else it is named beside
  // it and renamed over what took the name meanwhile.
  if (m_unnamed && linkat(AT_FDCWD, DescriptorPath(m_lock).c_str(), AT_FDCWD, m_native.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    if (errno != EEXIST) return errno == ENOENT ? FailMissing(m_native) : FailErrno(errno);
    if (!NameTemp()) return FALSE;
  }
  if (!m_unnamed && !PlaceOwnTemp(m_lock, m_temp.GetString(), m_native)) return FALSE;
  m_committed = true;
  Release();
  return TRUE;
}

int CSaveBeside::Duplicate() const {
  if (m_lock < 0) {
    errno = m_createError ? m_createError : EBADF;
    return -1;
  }
  Step();
  return fcntl(m_lock, F_DUPFD_CLOEXEC, 0);
}

FILE* CSaveBeside::OpenStream() const {
  if (m_inPlace) return m_native.empty() ? nullptr : std::fopen(m_native.c_str(), "wb");
  const int fd = Duplicate();
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    const int err = errno;
    close(fd);
    errno = err;
  }
  return f;
}

void CSaveBeside::Discard() {
  if (m_committed || m_inPlace || m_temp.IsEmpty()) return;
  // The exact name (not looked up without regard to case), and only while it is still this save's
  // file: whatever was swapped in for it is not ours to delete.
  if (m_lock >= 0 && !m_unnamed && HoldsTempName()) unlink(m_temp);
  Release();
}

void CSaveBeside::Release() {
  DropDrawnSaveMark(m_native, m_mark);
  if (m_lock < 0) return;
  close(m_lock);
  m_lock = -1;
}

bool CSaveBeside::FoundFirstNameTaken() const { return m_firstNameTaken || (!m_native.empty() && DrawnSaveKilled(m_native)); }

void CSaveBeside::RemoveLeftovers() const {
  if (m_inPlace || m_temp.IsEmpty()) return;
  const std::string temp = m_temp.GetString();
  RemoveSaveLeftovers(ParentOf(temp), {LastComponent(m_native)}, {LastComponent(temp)});
}

std::string NewSaveTempName(const std::string& path) {
  const std::string leaf = LastComponent(path);
  std::string letters = RandomLetters();
  while (IsReservedLetters(letters)) letters = RandomLetters();
  return path.substr(0, path.size() - leaf.size()) + TempStem(leaf) + kTempMark + letters;
}

std::string FirstSaveTempName(const std::string& path) {
  const std::string leaf = LastComponent(path);
  return path.substr(0, path.size() - leaf.size()) + TempStem(leaf) + kTempMark + std::string(kRandomLetters, '0');
}

bool IsSaveTempName(const std::string& name, const std::string& target) {
  const std::string stem = TempStem(target) + kTempMark;
  return name.size() == stem.size() + kRandomLetters && name.compare(0, stem.size(), stem) == 0 &&
         name.find_first_not_of(kLetters, stem.size()) == std::string::npos;
}

std::string SaveOldCopyName(const std::string& target) {
  return MarkedStem(target, sizeof kOldCopyMark - 1) + kOldCopyMark;
}

namespace {

// Size and checksum of what `fd` holds, read from offset 0 in blocks (pread: the position is kept).
// Words of eight bytes are mixed in turn, so the sum does not depend on how the reads fall.
bool ContentIdentity(int fd, CSaveFileIdentity& identity) {
  constexpr size_t kBlock = 65536;
  unsigned char buffer[kBlock];
  uint64_t sum = 0x6a09e667f3bcc908ull;
  auto mix = [&sum](uint64_t word) {
    sum = (sum ^ word) * 0x9e3779b97f4a7c15ull;
    sum ^= sum >> 31;
  };
  unsigned long long size = 0;
  for (;;) {
    size_t got = 0;
    while (got < kBlock) {
      const ssize_t n = pread(fd, buffer + got, kBlock - got, (off_t)(size + got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) break;
      got += (size_t)n;
    }
    size_t i = 0;
    for (; i + 8 <= got; i += 8) {
      uint64_t word;
      memcpy(&word, buffer + i, 8);
      mix(word);
    }
    if (i < got) {
      uint64_t word = 0;
      memcpy(&word, buffer + i, got - i);
      mix(word ^ ((uint64_t)(got - i) << 56));
    }
    size += got;
    if (got < kBlock) break;
  }
  mix(size);
  identity.size = size;
  identity.checksum = sum;
  return true;
}

}  // namespace

int GetSaveFileIdentity(const std::string& path, CSaveFileIdentity& identity) {
  struct stat named, opened;
  if (lstat(path.c_str(), &named) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return 0;
    FailErrno(errno);
    return -1;
  }
  if (!S_ISREG(named.st_mode)) {
    t_lastError = ERROR_ACCESS_DENIED;
    return -1;
  }
  // Read only where the name still holds that plain file: never through a link or from a pipe.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    FailErrno(errno);
    return -1;
  }
  const bool same = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev &&
                    opened.st_ino == named.st_ino;
  const bool read = same && ContentIdentity(fd, identity);
  const int err = errno;
  close(fd);
  if (read) return 1;
  if (same) FailErrno(err);
  else t_lastError = ERROR_ACCESS_DENIED;
  return -1;
}

BOOL GetSaveFileIdentity(int fd, CSaveFileIdentity& identity) {
  return ContentIdentity(fd, identity) ? TRUE : FailErrno(errno);
}

namespace {

// The marks a save under a drawn name may hold while it lives, in the order saves try them.
std::string DrawnSaveMark(const std::string& path, const char* letters) {
  const std::string leaf = LastComponent(path);
  return path.substr(0, path.size() - leaf.size()) + TempStem(leaf) + kTempMark + letters;
}

// The first line of a drawn saves' mark, on the disk before the mark has its name: what tells a
// mark from a user's file of that name, empty or not.
constexpr char kDrawnProof[] = "~dvx-drawn names\n";

// What is under a drawn saves' mark's name: no mark (a user's file, or one whose proof a kill or a
// power cut lost), a mark with its proof, or a record an earlier version left without one.
enum class DrawnRecord { kNone, kOld, kProven };

// The names a drawn saves' mark open as `fd` records for the targets whose temporary names begin
// with `stem` (the mark's own name without its mark and letters): after the proof, each drawn name
// as a line, written before its file was made, a name whose file could not be made taken back by a
// line "-" and the name. Anything but such lines makes it no mark, but for the end of a line a
// killed save was writing, or zeros where a power cut lost the end. A record of an earlier version
// counts only with a whole line of a name drawn for the stem: being empty proves nothing.
DrawnRecord ReadDrawnRecord(int fd, const std::string& stem, std::set<std::string>* names) {
  constexpr off_t kMaxRecord = 1 << 20;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxRecord) return DrawnRecord::kNone;
  std::string text((size_t)st.st_size, '\0');
  for (size_t got = 0; got < text.size();) {
    const ssize_t n = pread(fd, text.data() + got, text.size() - got, (off_t)got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      text.resize(got);
      break;
    }
    got += (size_t)n;
  }
  const size_t proof = sizeof kDrawnProof - 1;
  const bool proven = text.compare(0, proof, kDrawnProof) == 0;
  if (!proven && text.find('\n') == std::string::npos) return DrawnRecord::kNone;
  const std::string prefix = stem + kTempMark;
  const size_t lineSize = prefix.size() + kRandomLetters;
  // A name drawn for the stem; `cut`: the beginning of one, where a killed save was writing it.
  auto drawn = [&](const std::string& name, bool cut) {
    const size_t fixed = std::min(name.size(), prefix.size());
    return (cut ? name.size() < lineSize : name.size() == lineSize) && name.compare(0, fixed, prefix, 0, fixed) == 0 &&
           name.find_first_not_of(kLetters, fixed) == std::string::npos && (cut || !IsDrawnMarkLetters(name.substr(fixed)));
  };
  const DrawnRecord kind = proven ? DrawnRecord::kProven : DrawnRecord::kOld;
  for (size_t at = proven ? proof : 0; at < text.size();) {
    // Zeros where a power cut lost the end of what was written: the lines after them were appended
    // by later saves.
    if (text[at] == '\0') {
      at = text.find_first_not_of('\0', at);
      if (at == std::string::npos) break;
      continue;
    }
    const size_t end = text.find_first_of(std::string("\n\0", 2), at);
    const bool taken = text[at] == '-';
    const std::string name = text.substr(at + taken, (end == std::string::npos ? text.size() : end) - at - taken);
    if (end == std::string::npos) return drawn(name, true) ? kind : DrawnRecord::kNone;
    if (text[end] == '\0') {
      if (!drawn(name, true)) return DrawnRecord::kNone;
      at = end;
      continue;
    }
    if (!drawn(name, false)) return DrawnRecord::kNone;
    if (names && taken) names->erase(name);
    else if (names) names->insert(name);
    at = end + 1;
  }
  return kind;
}

// The plain file `name` of the folder `dir` deleted when no save holds it.
void DeleteUnheld(int dir, const std::string& name) {
  const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, dir, name.c_str()))
    unlinkat(dir, name.c_str(), 0);
  if (fd >= 0) close(fd);
}

// The part of a save's own name before its mark and letters.
std::string StemOf(const std::string& name) { return name.substr(0, name.size() - kRandomLetters - (sizeof kTempMark - 1)); }

// What a mark no save holds any more (`mark`, locked by the caller) records: the files of saves
// killed under their drawn names go, then the mark, only once what it covers (those files gone, a
// save's file renamed) is on the disk; its own removal is there before the caller goes on. False
// when a sync failed (the last error set).
bool ClearDrawnRecord(int dir, int mark, const std::string& markName) {
  std::set<std::string> names;
  if (ReadDrawnRecord(mark, StemOf(markName), &names) == DrawnRecord::kNone || !SameFile(mark, dir, markName.c_str())) return true;
  for (const std::string& name : names) DeleteUnheld(dir, name);
  if (!SyncFile(dir)) return false;
  return unlinkat(dir, markName.c_str(), 0) != 0 || SyncFile(dir);
}

// The folder of `path` open for the names in it; -1 when it cannot be.
int OpenParent(const std::string& path) { return open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

// Where a mark is written before it takes its own name when the file system makes no file without
// a name: one for all the target's saves, which it keeps from making a mark at once.
std::string StagedMark(const std::string& mark) { return mark.substr(0, mark.size() - kRandomLetters) + kStagedMark; }

// Whether the file open as `fd` (a staged mark's name) is one a save made: empty where it was
// killed before its proof, else with it.
bool IsStagedMark(int fd, const std::string& stem) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_size == 0 || ReadDrawnRecord(fd, stem, nullptr) == DrawnRecord::kProven);
}

// The staged mark's name made and held (shared, as the mark it becomes) for this save; -1 with errno
// set (`usersFile`: a file no save made has the name). What a killed save left there goes; while
// another save holds it, this one waits: the mark that save makes is the one this one shares.
int StageDrawnSaveMark(const std::string& staged, bool& usersFile) {
  const std::string stem = StemOf(LastComponent(staged));
  for (int attempt = 0; attempt < 10000; ++attempt) {
    int fd = open(staged.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      // Given up when a sweep took it between the creation and the lock.
      if (flock(fd, LOCK_SH | LOCK_NB) == 0 && SameFile(fd, AT_FDCWD, staged.c_str())) return fd;
      close(fd);
      continue;
    }
    if (errno != EEXIST) return -1;
    fd = open(staged.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      usleep(1000);
      continue;
    }
    const bool left = IsStagedMark(fd, stem) && SameFile(fd, AT_FDCWD, staged.c_str());
    if (left) unlink(staged.c_str());
    close(fd);
    if (!left) {
      usersFile = true;
      errno = EEXIST;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

// A new mark under the name `mark`, held (shared), with its proof and `line` (a name it records, or
// nothing) on the disk before it has the name, so that no mark is ever found empty or zero-filled.
// -1 with errno set (EEXIST: the name is taken).
int MakeDrawnSaveMark(const std::string& mark, const std::string& line) {
  const std::string text = kDrawnProof + (line.empty() ? line : line + "\n");
  const std::string staged = StagedMark(mark);
  for (const bool unnamed : {true, false}) {
    // Without a name until it is whole where the file system makes one; else under the staged
    // name, which a kill leaves empty or whole and a later save clears. Only where a user's file
    // has that name is the mark made under its own, which a kill may leave empty.
    bool usersFile = false;
    int fd = unnamed ? open(ParentOf(mark).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666) : StageDrawnSaveMark(staged, usersFile);
    if (fd < 0 && unnamed) continue;
    const bool direct = usersFile;
    if (direct) fd = open(mark.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    const bool written = (unnamed || direct ? flock(fd, LOCK_SH) == 0 : true) && WriteAll(fd, text.data(), text.size()) &&
                         fdatasync(fd) == 0 && fcntl(fd, F_SETFL, O_APPEND) == 0;
    bool ok = written;
    if (ok && unnamed) {
      ok = linkat(AT_FDCWD, DescriptorPath(fd).c_str(), AT_FDCWD, mark.c_str(), AT_SYMLINK_FOLLOW) == 0;
    } else if (ok && !direct) {
      // Never over another's mark; where the file system cannot refuse that itself, the staged
      // name keeps every other save from making one meanwhile.
      ok = renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, mark.c_str(), RENAME_NOREPLACE) == 0;
      struct stat st;
      if (!ok && (errno == EINVAL || errno == ENOSYS)) {
        if (lstat(mark.c_str(), &st) == 0) errno = EEXIST;
        else ok = errno == ENOENT && rename(staged.c_str(), mark.c_str()) == 0;
      }
    }
    if (ok) return fd;
    const int err = errno;
    const std::string& own = direct ? mark : staged;
    if (!unnamed && SameFile(fd, AT_FDCWD, own.c_str())) unlink(own.c_str());
    close(fd);
    errno = err;
    if (!unnamed || !written || err == EEXIST) return -1;
  }
  return -1;
}

// The mark held (shared) for a save about to make a file under a name it records; -1 when none can
// be had (`failed`: one could not be made, errno set). A mark made here records `line` already
// (`recorded`). A file that is no mark under a mark's name is the user's: the save passes to the
// next name and leaves it be. An earlier version's record that no save holds is cleared and made
// again with its proof.
int HoldDrawnSaveMark(const std::string& path, const std::string& line, bool& recorded, bool& failed) {
  failed = recorded = false;
  const std::string stem = TempStem(LastComponent(path));
  for (const char* letters : kDrawnMarks) {
    const std::string mark = DrawnSaveMark(path, letters);
    for (int attempt = 0; attempt < 10; ++attempt) {
      const int fd = open(mark.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0 && errno == ENOENT) {
        const int made = MakeDrawnSaveMark(mark, line);
        if (made >= 0 || errno == EEXIST) {
          if (made < 0) continue;
          recorded = !line.empty();
          return made;
        }
        failed = true;
        return -1;
      }
      const DrawnRecord record = fd < 0 ? DrawnRecord::kNone : ReadDrawnRecord(fd, stem, nullptr);
      if (record == DrawnRecord::kOld && flock(fd, LOCK_EX | LOCK_NB) == 0) {
        const int dir = OpenParent(mark);
        if (dir >= 0) ClearDrawnRecord(dir, fd, LastComponent(mark));
        if (dir >= 0) close(dir);
        close(fd);
        continue;
      }
      if (record != DrawnRecord::kProven) {
        if (fd >= 0) close(fd);
        break;
      }
      int r;
      while ((r = flock(fd, LOCK_SH)) != 0 && errno == EINTR) {
      }
      // A sweep that took it meanwhile leaves a name no one holds: made again.
      if (r == 0 && SameFile(fd, AT_FDCWD, mark.c_str())) return fd;
      close(fd);
    }
  }
  return -1;
}

// Puts a line in the mark's record on the disk (a name drawn, or with "-" one taken back).
bool RecordDrawnName(int mark, const std::string& line) {
  const std::string text = line + "\n";
  return write(mark, text.data(), text.size()) == (ssize_t)text.size() && fdatasync(mark) == 0;
}

// Lets go of the mark; the last save to hold it clears what killed saves left under it. False when a
// sync of that failed (the last error set).
bool DropDrawnSaveMark(const std::string& path, int& mark) {
  if (mark < 0) return true;
  bool synced = true;
  if (flock(mark, LOCK_EX | LOCK_NB) == 0) {
    const int dir = OpenParent(path);
    for (const char* letters : kDrawnMarks) {
      const std::string name = LastComponent(DrawnSaveMark(path, letters));
      if (dir >= 0 && SameFile(mark, dir, name.c_str()) && !ClearDrawnRecord(dir, mark, name)) synced = false;
    }
    if (dir >= 0) close(dir);
  }
  close(mark);
  mark = -1;
  return synced;
}

// True when a mark is there: a save under a drawn name runs, or was killed and left its file. Marks
// are taken in order, so one missing ends the look.
bool DrawnSaveKilled(const std::string& path) {
  const std::string stem = TempStem(LastComponent(path));
  struct stat st;
  if (lstat(DrawnSaveMark(path, kStagedMark).c_str(), &st) == 0) return true;
  for (const char* letters : kDrawnMarks) {
    const int fd = open(DrawnSaveMark(path, letters).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool own = ReadDrawnRecord(fd, stem, nullptr) != DrawnRecord::kNone;
    close(fd);
    if (own) return true;
  }
  return false;
}

// A new file beside `path` under a temporary name of the save's own (`temp`), created exclusively
// (never through a link) and locked, so that no sweep of leftovers takes it while it is written;
// -1 with errno set on failure. The first name tried is the same for every save of the target, so
// that what a killed save left is found without listing the folder (`firstNameTaken`); the others
// are drawn by chance, under the drawn saves' mark (`mark`, held until the file is placed or gone).
int OpenSaveTemp(const std::string& path, std::string& temp, int& mark, bool* firstNameTaken, bool recordNew, int unnamed) {
  // A new file's first name is recorded too (`recordNew`): no target tells a file a killed save left
  // under it.
  struct stat st;
  const bool fresh = recordNew && lstat(path.c_str(), &st) != 0 && errno == ENOENT;
  bool markSynced = false;  // the mark's name is on the disk
  bool swept = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = attempt == 0 ? FirstSaveTempName(path) : NewSaveTempName(path);
    const bool drawn = attempt > 0;
    // Another's file has the name: never recorded, lest its record take that file for the save's.
    const bool taken = (drawn || fresh) && lstat(temp.c_str(), &st) == 0;
    bool recordedWithMark = false;
    if (attempt == (fresh ? 0 : 1) && mark < 0) {
      bool failed;
      mark = HoldDrawnSaveMark(path, drawn || taken ? std::string() : LastComponent(temp), recordedWithMark, failed);
      if (failed) return -1;
      if (mark < 0) {
        // Users' files hold every mark's name: a name that could not be recorded is never made. What
        // killed saves left under the first name goes, and that name is tried again; else the save
        // fails before it writes anything.
        if (drawn && !swept) {
          swept = true;
          RemoveSaveLeftovers(ParentOf(path), {LastComponent(path)});
          attempt = -1;
          continue;
        }
        errno = EEXIST;
        return -1;
      }
    }
    // A name is in the mark's record on the disk before its file is made, so that a file a killed
    // save left under it is known as the save's by the record, never by its name.
    const bool recorded = (drawn || fresh) && mark >= 0;
    if (recorded && taken) {
      if (attempt == 0 && firstNameTaken) *firstNameTaken = true;
      continue;
    }
    // Whatever a power cut keeps: the mark's name reaches the disk before the file it records has one.
    if (recorded && !markSynced) {
      if (!SyncFolder(ParentOf(path))) {
        errno = EIO;
        return -1;
      }
      markSynced = true;
    }
    if (recorded && !recordedWithMark && !RecordDrawnName(mark, LastComponent(temp))) return -1;
    // A file made without a name (locked already) takes this one, only where nothing has it.
    if (unnamed >= 0 && linkat(AT_FDCWD, DescriptorPath(unnamed).c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return unnamed;
    const int fd = unnamed >= 0 ? -1 : open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int err = errno;
      // Another's file took the name since: the record gives it back.
      if (recorded) RecordDrawnName(mark, "-" + LastComponent(temp));
      errno = err;
      if (errno != EEXIST) return -1;
      if (attempt == 0 && firstNameTaken) *firstNameTaken = true;
      continue;
    }
    // Given up for another name when a sweep of leftovers took it between the creation and the lock.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 ? SameFile(fd, AT_FDCWD, temp.c_str()) : errno != EWOULDBLOCK) return fd;
    close(fd);
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

BOOL WriteWholeFile(const std::string& path, const void* data, size_t size) {
  std::string temp;
  bool firstNameTaken = false;
  int mark = -1;
  // Its temporaries are the save's by the target's name alone.
  const int fd = OpenSaveTemp(path, temp, mark, &firstNameTaken, false);
  if (fd < 0) return FailErrno(errno);
  // What a killed write of the file left beside it goes once the file is there: a first temporary
  // name is the save's only beside its target.
  const bool killedBefore = firstNameTaken || DrawnSaveKilled(path);
  // Synced before its rename and the folder after, as every save; renamed before the lock goes with
  // the descriptor, and only while the name is still the file written.
  BOOL ok = WriteAll(fd, (const char*)data, size) ? TRUE : FailErrno(errno);
  ok = ok && SyncFile(fd) && PlaceOwnTemp(fd, temp, path);
  if (!ok) {
    const DWORD error = t_lastError;
    if (SameFile(fd, AT_FDCWD, temp.c_str())) unlink(temp.c_str());
    close(fd);
    DropDrawnSaveMark(path, mark);
    return Fail(error);
  }
  DropDrawnSaveMark(path, mark);
  if (killedBefore) RemoveSaveLeftovers(ParentOf(path), {LastComponent(path)}, {LastComponent(temp)});
  // A failed sync leaves the new file in place (the old one is gone already): the save has failed.
  ok = SyncFolder(ParentOf(path));
  if (close(fd) != 0 && ok) ok = FailErrno(errno);
  return ok;
}

BOOL MakeOldCopy(const std::string& existing, const std::string& copy) {
  // A link never follows a link at either name, and fails where anything has the name.
  int err = linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, copy.c_str(), 0) == 0 ? 0 : errno;
  if (err == EEXIST) {
    if (unlink(copy.c_str()) != 0 && errno != ENOENT) return FailErrno(errno);
    err = linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, copy.c_str(), 0) == 0 ? 0 : errno;
  }
  if (err == 0) return TRUE;
  if (unlink(copy.c_str()) != 0 && errno != ENOENT) return FailErrno(errno);
  if (err != EPERM && err != EOPNOTSUPP && err != EMLINK && err != ENOSYS && err != EXDEV) return FailErrno(err);
  const int in = open(existing.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return FailErrno(errno);
  struct stat st;
  const BOOL ok = fstat(in, &st) == 0 ? CopyOpenFile(in, st, copy) : FailErrno(errno);
  close(in);
  return ok;
}

BOOL RenameExact(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0 ? TRUE : FailErrno(errno);
}

BOOL DeleteExact(const std::string& path) { return unlink(path.c_str()) == 0 ? TRUE : FailErrno(errno); }

void (*g_pfnSyncStep)(const char* path) = nullptr;
int (*g_pfnSyncFault)(const char* path) = nullptr;

std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

unsigned ModeAsCreated(unsigned mode) {
  // Read where the system tells it: setting it to learn it would race with other threads' files.
  unsigned mask = 022;
  if (FILE* f = fopen("/proc/self/status", "re")) {
    char line[256];
    while (fgets(line, sizeof line, f))
      if (sscanf(line, "Umask: %o", &mask) == 1) break;
    fclose(f);
  }
  return mode & 0777 & ~mask;
}

namespace {

enum class SaveTemp { kNotOurs, kHeld, kLeft };

// True when a drawn saves' mark of the folder `dir` records `name` as drawn.
bool DrawnRecordLists(int dir, const std::string& name) {
  const std::string stem = StemOf(name);
  for (const char* letters : kDrawnMarks) {
    const int fd = openat(dir, (stem + kTempMark + letters).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    std::set<std::string> names;
    const bool listed = ReadDrawnRecord(fd, stem, &names) != DrawnRecord::kNone && names.count(name) > 0;
    close(fd);
    if (listed) return true;
  }
  return false;
}

// The name of a file of the folder `dir` whose own names begin with `stem`: the stem itself, unless it
// is a long name cut, whose file is looked for.
std::string TargetOfStem(int dir, const std::string& stem) {
  const size_t tail = (sizeof kTempMark - 1) + kRandomLetters;
  // A cut steps back up to three bytes so as not to split a UTF-8 character.
  const size_t full = stem.size() + tail;
  if (full > kNameMax || full + 3 < kNameMax || stem.size() < kCutSum || stem[stem.size() - kCutSum] != '~') return stem;
  // A listing of its own: the caller may be reading the folder through `dir`.
  const int listed = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* d = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!d) {
    if (listed >= 0) close(listed);
    return stem;
  }
  std::string found = stem;
  while (dirent* e = readdir(d))
    if (strlen(e->d_name) + tail > kNameMax && TempStem(e->d_name) == stem) {
      found = e->d_name;
      break;
    }
  closedir(d);
  return found;
}

// The one rule for what beside a target is provably a save's own: a drawn saves' mark as saves make
// it, a temporary a live save holds, a drawn name that a mark records, or the first temporary name of
// an existing target that no save holds (`ownTarget`: of a file only the save writes, any temporary no
// save holds). `fd` is `name` of the folder `dir`, opened without following a link; when no save
// holds it, it is left locked until closed, so that no save takes it meanwhile. `target`: the name
// of the file whose save makes `name`, where the caller knows it (a long one is cut in `name`).
SaveTemp ClassifySaveTemp(int dir, int fd, const std::string& name, bool ownTarget = false, const std::string* target = nullptr) {
  struct stat st;
  if (!EndsInTempMark(name) || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return SaveTemp::kNotOurs;
  const std::string letters = name.substr(name.size() - kRandomLetters);
  const bool mark = IsDrawnMarkLetters(letters);
  if (mark && ReadDrawnRecord(fd, StemOf(name), nullptr) == DrawnRecord::kNone) return SaveTemp::kNotOurs;
  if (letters == kStagedMark && !IsStagedMark(fd, StemOf(name))) return SaveTemp::kNotOurs;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? SaveTemp::kHeld : SaveTemp::kNotOurs;
  if (mark || ownTarget || letters == kStagedMark) return SaveTemp::kLeft;
  if (letters != std::string(kRandomLetters, '0')) return DrawnRecordLists(dir, name) ? SaveTemp::kLeft : SaveTemp::kNotOurs;
  // Every save of the target tries this name first; no one else makes it. A save of a new file
  // records it, as a drawn name.
  struct stat found;
  const std::string stem = StemOf(name);
  const std::string beside = target ? (TempStem(*target) == stem ? *target : std::string()) : TargetOfStem(dir, stem);
  const bool targetThere = !beside.empty() && fstatat(dir, beside.c_str(), &found, 0) == 0 && S_ISREG(found.st_mode);
  return targetThere || DrawnRecordLists(dir, name) ? SaveTemp::kLeft : SaveTemp::kNotOurs;
}

}  // namespace

bool IsSaveTempLeftover(int dir, const std::string& name) {
  if (!EndsInTempMark(name)) return false;
  const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool own = ClassifySaveTemp(dir, fd, name) != SaveTemp::kNotOurs;
  close(fd);
  return own;
}

namespace {

// The errno a test makes the sync of `path` fail with, 0 for none.
int SyncHooks(const char* path) {
  if (g_pfnSyncStep) g_pfnSyncStep(path);
  return g_pfnSyncFault ? g_pfnSyncFault(path) : 0;
}

}  // namespace

BOOL SyncFile(int fd) {
  if (g_pfnSyncStep || g_pfnSyncFault) {
    char path[PATH_MAX];
    const ssize_t n = readlink(DescriptorPath(fd).c_str(), path, sizeof path - 1);
    path[n > 0 ? n : 0] = 0;
    if (const int err = SyncHooks(path)) return FailErrno(err);
  }
  return fsync(fd) == 0 ? TRUE : FailErrno(errno);
}

BOOL SyncFolder(const std::string& nativeFolder) {
  if (g_pfnSyncStep || g_pfnSyncFault)
    if (const int err = SyncHooks(nativeFolder.c_str())) return FailErrno(err);
  const int fd = open(nativeFolder.empty() ? "." : nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FailErrno(errno);
  const int err = fsync(fd) == 0 ? 0 : errno;
  close(fd);
  return err ? FailErrno(err) : TRUE;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
  struct stat x, y;
  return a == b || (stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino);
}

namespace {

// One pass over `folder`; false when it cannot be listed.
bool SweepFolder(const std::string& folder, const std::vector<std::string>& targets, const std::vector<std::string>& live,
                 const std::vector<std::string>& own) {
  std::map<std::string, std::string> stems;  // each target by the stem of its own names
  std::vector<std::string> ownStems;
  for (const std::string& t : targets) stems.emplace(TempStem(t), t);
  for (const std::string& t : own) ownStems.push_back(TempStem(t));
  if (g_pfnFolderListed) g_pfnFolderListed(folder.c_str());
  DIR* d = opendir(folder.c_str());
  if (!d) return false;
  const int dfd = dirfd(d);
  const size_t tail = (sizeof kTempMark - 1) + kRandomLetters;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    const auto stem = EndsInTempMark(name) ? stems.find(name.substr(0, name.size() - tail)) : stems.end();
    if (stem == stems.end() || std::find(live.begin(), live.end(), name) != live.end()) continue;
    const int fd = openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A user's file that merely has a name of that form stays.
    const bool ownTarget = std::find(ownStems.begin(), ownStems.end(), name.substr(0, name.size() - tail)) != ownStems.end();
    if (ClassifySaveTemp(dfd, fd, name, ownTarget, &stem->second) != SaveTemp::kLeft || !SameFile(fd, dfd, e->d_name)) {
    } else if (IsDrawnMarkLetters(name.substr(name.size() - kRandomLetters))) {
      ClearDrawnRecord(dfd, fd, name);
    } else {
      unlinkat(dfd, e->d_name, 0);
    }
    close(fd);
  }
  closedir(d);
  return true;
}

// The folders where a recovery found a killed save: their next save sweeps all its targets.
std::mutex g_sweptMutex;
std::set<std::string> g_killedIn;

}  // namespace

long long FolderChangeTime(const std::string& folder) {
  struct stat st;
  if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return -1;
  return (long long)st.st_mtim.tv_sec * 1000000000ll + st.st_mtim.tv_nsec;
}

void RemoveSaveLeftovers(const std::string& folder, const std::vector<std::string>& targets,
                         const std::vector<std::string>& live, const std::vector<std::string>& own) {
  const DWORD error = t_lastError;
  SweepFolder(folder, targets, live, own);
  t_lastError = error;
}

void SweepSaveLeftovers(const std::string& folder, const std::vector<std::string>& targets,
                        const std::vector<std::string>& due, const std::vector<std::string>& live,
                        const std::vector<std::string>& own) {
  bool killed;
  {
    std::lock_guard<std::mutex> guard(g_sweptMutex);
    killed = g_killedIn.erase(folder) > 0;
  }
  if (killed || !due.empty()) RemoveSaveLeftovers(folder, killed ? targets : due, live, own);
}

void ForgetSweptLeftovers(const std::string& folder) {
  std::lock_guard<std::mutex> guard(g_sweptMutex);
  g_killedIn.insert(folder);
}

BOOL MoveFile(LPCSTR existingFile, LPCSTR newFile) {
  return MoveFileEx(existingFile, newFile, MOVEFILE_COPY_ALLOWED);
}

BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (!pathName || !*pathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string p = ResolvePath(pathName);
  if (mkdir(p.c_str(), 0777) != 0) {
    int err = errno;
    if (err == ENOENT || err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
    return FailErrno(err);
  }
  return TRUE;
}

BOOL RemoveDirectory(LPCSTR pathName) {
  if (!pathName || !*pathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string p = ResolvePath(pathName);
  if (rmdir(p.c_str()) != 0) {
    int err = errno;
    if (err == ENOTEMPTY || err == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY);
    if (err == ENOTDIR) {
      struct stat st;
      if (stat(p.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY);
      return Fail(ERROR_PATH_NOT_FOUND);
    }
    return FailStat(p, err);
  }
  return TRUE;
}

DWORD GetFileAttributes(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    t_lastError = ERROR_INVALID_PARAMETER;
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string p = ResolvePath(fileName);
  struct stat st;
  if (stat(p.c_str(), &st) != 0) {
    FailStat(p, errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string name = LastComponent(p);
  return AttributesOf(name, st);
}

BOOL SetFileAttributes(LPCSTR fileName, DWORD attributes) {
  if (!fileName || !*fileName || attributes == INVALID_FILE_ATTRIBUTES) return Fail(ERROR_INVALID_PARAMETER);
  std::string p = ResolvePath(fileName);
  struct stat st;
  if (stat(p.c_str(), &st) != 0) return FailStat(p, errno);
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    mode &= (mode_t) ~(S_IWUSR | S_IWGRP | S_IWOTH);
  else if (IsReadOnlyMode(mode))
    mode |= S_IWUSR;
  if (mode != (st.st_mode & 07777) && chmod(p.c_str(), mode) != 0) return FailErrno(errno);
  return TRUE;
}

// ---- temporary names, current folder, full names -----------------------------------------------

DWORD GetTempPath(DWORD bufferLength, LPSTR buffer) {
  std::string dir = "/tmp";
  const char* env = getenv("TMPDIR");
  struct stat st;
  if (env && *env && stat(env, &st) == 0 && S_ISDIR(st.st_mode)) dir = env;
  if (dir.back() != '/') dir += '/';
  return CopyOutPath(dir, bufferLength, buffer);
}

UINT GetTempFileName(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName) {
  if (!pathName || !tempFileName) {
    t_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::string dir = pathName;
  std::string base = dir;
  if (!base.empty() && base.back() != '\\' && base.back() != '/')
    base += (dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos) ? '\\' : '/';
  if (prefixString) base.append(prefixString, strnlen(prefixString, 3));

  auto nameFor = [&](UINT n) {
    std::string name = base;
    AppendHex(name, n);
    name += ".tmp";
    return name;
  };
  unique &= 0xFFFF;
  if (unique != 0) {
    std::string name = nameFor(unique);
    if (name.size() >= MAX_PATH) {
      t_lastError = ERROR_BUFFER_OVERFLOW;
      return 0;
    }
    memcpy(tempFileName, name.c_str(), name.size() + 1);
    return unique;
  }
  struct stat st;
  std::string nativeDir = ResolvePath(dir.empty() ? "." : dir.c_str());
  if (stat(nativeDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    t_lastError = ERROR_DIRECTORY;
    return 0;
  }
  static std::atomic<UINT> counter{(UINT)((getpid() * 2654435761u) ^ (UINT)time(nullptr))};
  UINT start = counter.fetch_add(1);
  for (UINT i = 0; i < 0xFFFF; ++i) {
    UINT n = ((start + i) % 0xFFFF) + 1;
    std::string name = nameFor(n);
    if (name.size() >= MAX_PATH) {
      t_lastError = ERROR_BUFFER_OVERFLOW;
      return 0;
    }
    int fd = open(ResolvePath(name.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      counter.store(start + i + 1);
      memcpy(tempFileName, name.c_str(), name.size() + 1);
      return n;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(errno);
      return 0;
    }
  }
  t_lastError = ERROR_FILE_EXISTS;
  return 0;
}

DWORD GetCurrentDirectory(DWORD bufferLength, LPSTR buffer) {
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) {
    SetLastErrorFromErrno(errno);
    return 0;
  }
  std::string dir = cwd;
  free(cwd);
  return CopyOutPath(dir, bufferLength, buffer);
}

BOOL SetCurrentDirectory(LPCSTR pathName) {
  if (!pathName || !*pathName) return Fail(ERROR_INVALID_PARAMETER);
  std::string p = ResolvePath(pathName);
  if (chdir(p.c_str()) != 0) {
    int err = errno;
    if (err == ENOTDIR) {
      struct stat st;
      if (stat(p.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY);
    }
    if (err == ENOENT || err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
    return FailErrno(err);
  }
  return TRUE;
}

DWORD GetFullPathName(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
  if (filePart) *filePart = nullptr;
  if (!fileName || !*fileName) {
    t_lastError = fileName ? ERROR_INVALID_NAME : ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::string native = NativePath(fileName);
  if (native[0] != '/') {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) {
      SetLastErrorFromErrno(errno);
      return 0;
    }
    native = std::string(cwd) + "/" + native;
    free(cwd);
  }
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= native.size()) {
    size_t end = native.find('/', pos);
    if (end == std::string::npos) end = native.size();
    std::string comp = native.substr(pos, end - pos);
    if (comp == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!comp.empty() && comp != ".") {
      parts.push_back(std::move(comp));
    }
    pos = end + 1;
  }
  std::string full;
  for (const std::string& p : parts) full += "/" + p;
  const char last = native.back();
  if (full.empty() || last == '/') full += '/';
  DWORD n = CopyOutPath(full, bufferLength, buffer);
  if (n == full.size() && filePart && full.back() != '/') *filePart = buffer + full.find_last_of('/') + 1;
  return n;
}

// ---- messages ----------------------------------------------------------------------------------

namespace {
thread_local DWORD t_namedError = 0;
thread_local std::string t_errorName;

// The text of a message in the module's message table (null: the main program's); null when none.
const char* ModuleMessageText(HMODULE module, DWORD id) {
  HRSRC found = FindResource(module, MAKEINTRESOURCE(1), RT_MESSAGETABLE);
  const auto* entries = found ? static_cast<const RESOURCE_STRING*>(LockResource(LoadResource(module, found))) : nullptr;
  const DWORD count = entries ? SizeofResource(module, found) / sizeof(RESOURCE_STRING) : 0;
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].id == id && entries[i].text) return entries[i].text;
  return nullptr;
}

}  // namespace

void SetLastErrorNaming(DWORD error, const std::string& name) {
  t_lastError = t_namedError = error;
  t_errorName = name;
}

std::string LastErrorName() { return t_lastError != ERROR_SUCCESS && t_lastError == t_namedError ? t_errorName : std::string(); }

CString ErrorTextOf(DWORD code) {
  char buffer[1024];
  const DWORD n = FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                                sizeof buffer, nullptr);
  if (n) {
    std::string text(buffer, n);
    const size_t at = text.find("%1");
    if (at != std::string::npos && code == t_namedError) text.replace(at, 2, t_errorName);
    return CString(text.c_str());
  }
  // The program's own numbers have their texts in its own message table.
  if (const char* own = ModuleMessageText(nullptr, code)) return CString(own);
  CString text;
  text.Format("Error code 0x%lX", code);
  return text;
}

DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                    va_list* arguments) {
  std::string text;
  bool fromSystem = false;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (!source) {
      t_lastError = ERROR_INVALID_PARAMETER;
      return 0;
    }
    text = static_cast<const char*>(source);
  } else if (flags & (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE)) {
    // The module's table first, as Win32 searches them.
    const char* t = flags & FORMAT_MESSAGE_FROM_HMODULE ? ModuleMessageText((HMODULE)source, messageId) : nullptr;
    if (!t && (flags & FORMAT_MESSAGE_FROM_SYSTEM)) fromSystem = (t = SystemMessageText(messageId)) != nullptr;
    if (!t) {
      t_lastError = ERROR_MR_MID_NOT_FOUND;
      return 0;
    }
    text = t;
  } else {
    t_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::string out;
  if (flags & FORMAT_MESSAGE_IGNORE_INSERTS) {
    out = text;
  } else if (!ExpandInserts(text, flags, arguments, out)) {
    t_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  // Maximum width 0xFF: the message's own line end becomes a blank.
  if (fromSystem && (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == FORMAT_MESSAGE_MAX_WIDTH_MASK &&
      out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0)
    out.replace(out.size() - 2, 2, " ");
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    if (!buffer) {
      t_lastError = ERROR_INVALID_PARAMETER;
      return 0;
    }
    char* mem = static_cast<char*>(malloc(out.size() + 1));
    if (!mem) {
      t_lastError = ERROR_NOT_ENOUGH_MEMORY;
      return 0;
    }
    memcpy(mem, out.c_str(), out.size() + 1);
    *reinterpret_cast<char**>(buffer) = mem;
    return (DWORD)out.size();
  }
  if (!buffer || size < out.size() + 1) {
    t_lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  memcpy(buffer, out.c_str(), out.size() + 1);
  return (DWORD)out.size();
}

HANDLE LocalFree(HANDLE mem) {
  free(mem);
  return nullptr;
}

// ---- user, machine, process --------------------------------------------------------------------

BOOL GetUserName(LPSTR buffer, LPDWORD size) {
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  std::string name;
  struct passwd pw, *result = nullptr;
  char scratch[4096];
  if (getpwuid_r(geteuid(), &pw, scratch, sizeof scratch, &result) == 0 && result && result->pw_name)
    name = result->pw_name;
  if (name.empty()) {
    const char* env = getenv("USER");
    if (!env || !*env) env = getenv("LOGNAME");
    if (env) name = env;
  }
  if (name.empty()) return Fail(ERROR_INVALID_FUNCTION);
  DWORD need = (DWORD)name.size() + 1;
  if (!buffer || *size < need) {
    *size = need;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  memcpy(buffer, name.c_str(), need);
  *size = need;
  return TRUE;
}

BOOL GetComputerName(LPSTR buffer, LPDWORD size) {
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return FailErrno(errno);
  // The network name of the original system: upper case, at most 15 characters.
  std::string name(host, strcspn(host, "."));
  if (name.size() > MAX_COMPUTERNAME_LENGTH) name.resize(MAX_COMPUTERNAME_LENGTH);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = (char)(c - 32);
  if (!buffer || *size < name.size() + 1) {
    *size = (DWORD)name.size() + 1;
    return Fail(ERROR_BUFFER_OVERFLOW);
  }
  memcpy(buffer, name.c_str(), name.size() + 1);
  *size = (DWORD)name.size();
  return TRUE;
}

DWORD GetCurrentThreadId() { return (DWORD)syscall(SYS_gettid); }
DWORD GetCurrentProcessId() { return (DWORD)getpid(); }

// ---- wildcard matching and CFileFind -----------------------------------------------------------

namespace {

bool MatchWild(const char* p, const char* s) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*s) {
    if (*p == '*') {
      star = p++;
      resume = s;
    } else if (*p == '?' || (*p && EqualNoCaseAscii(*p, *s))) {
      ++p;
      ++s;
    } else if (star) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

unsigned char UpperAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 32) : c; }

// Case-insensitive order with upper-case folding (the order of the original file system), then bytes.
bool NameLess(const std::string& a, const std::string& b) {
  const bool ad = IsDotName(a), bd = IsDotName(b);
  if (ad != bd) return ad;
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = UpperAscii((unsigned char)a[i]), y = UpperAscii((unsigned char)b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

bool MatchFilePattern(const char* pattern, const char* name) {
  if (!pattern || !name) return false;
  if (strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0) return true;
  if (MatchWild(pattern, name)) return true;
  size_t n = strlen(pattern);
  if (n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*' && !strchr(name, '.'))
    return MatchWild(std::string(pattern, n - 2).c_str(), name);
  if (n >= 1 && pattern[n - 1] == '.' && !strchr(name, '.'))
    return MatchWild(std::string(pattern, n - 1).c_str(), name);
  return false;
}

BOOL CFileFind::FindFile(LPCSTR name, DWORD) {
  Close();
  std::string spelled = (name && *name) ? name : "*.*";
  size_t sep = spelled.find_last_of("\\/");
  std::string dirPart, pattern;
  if (sep != std::string::npos) {
    dirPart = spelled.substr(0, sep + 1);
    pattern = spelled.substr(sep + 1);
  } else if (spelled.size() >= 2 && IsAbsolutePath(spelled.c_str()) && spelled[1] == ':') {
    dirPart = spelled.substr(0, 2);
    pattern = spelled.substr(2);
  } else {
    pattern = spelled;
  }
  if (pattern.empty()) return Fail(ERROR_FILE_NOT_FOUND);

  if (dirPart.empty()) {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return FailErrno(errno);
    m_root = cwd;
    free(cwd);
    m_nativeRoot = ".";
    m_separator = '/';
  } else {
    m_separator = sep != std::string::npos ? spelled[sep] : '\\';
    m_root = dirPart;
    // Keep a lone root ("\", "/", "C:\", "C:") whole; strip other trailing separators.
    while (m_root.size() > 1 && (m_root.back() == '\\' || m_root.back() == '/') &&
           !(m_root.size() == 3 && m_root[1] == ':'))
      m_root.pop_back();
    m_nativeRoot = ResolvePath(dirPart.c_str());
  }

  if (pattern.find_first_of("*?") == std::string::npos) {
    // One name: look it up instead of reading the whole folder.
    std::string full = ResolvePath((m_nativeRoot == "." ? pattern : m_nativeRoot + "/" + pattern).c_str());
    struct stat st, own;
    const bool link = lstat(full.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) {
      int err = errno;
      m_root.clear();
      struct stat dirStat;
      if (stat(m_nativeRoot.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode)) return Fail(ERROR_PATH_NOT_FOUND);
      return err == ENOENT ? Fail(ERROR_FILE_NOT_FOUND) : FailErrno(err);
    }
    Entry entry;
    entry.name = pattern == "." || pattern == ".." ? pattern : LastComponent(full);
    entry.attributes = AttributesOf(entry.name, st) | (link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    entry.length = S_ISDIR(st.st_mode) ? 0 : (ULONGLONG)st.st_size;
    entry.writeTime = (LONGLONG)st.st_mtim.tv_sec;
    m_entries.push_back(std::move(entry));
    return TRUE;
  }

  DIR* d = opendir(m_nativeRoot.c_str());
  if (!d) {
    int err = errno;
    m_root.clear();
    if (err == ENOENT || err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
    return FailErrno(err);
  }
  int dfd = dirfd(d);
  while (dirent* e = readdir(d)) {
    // A name with "\" in it is none that Win32 lists: spelled into a path, it would name another file.
    if (!MatchFilePattern(pattern.c_str(), e->d_name) || strchr(e->d_name, '\\')) continue;
    Entry entry;
    entry.name = e->d_name;
    struct stat st;
    struct stat own;
    const bool link = e->d_type == DT_LNK || (e->d_type == DT_UNKNOWN && fstatat(dfd, e->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
                                              S_ISLNK(own.st_mode));
    if (fstatat(dfd, e->d_name, &st, 0) == 0 || fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      entry.attributes = AttributesOf(entry.name, st) | (link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
      entry.length = S_ISDIR(st.st_mode) ? 0 : (ULONGLONG)st.st_size;
      entry.writeTime = (LONGLONG)st.st_mtim.tv_sec;
    } else {
      entry.attributes = FILE_ATTRIBUTE_ARCHIVE;
    }
    m_entries.push_back(std::move(entry));
  }
  closedir(d);
  if (m_entries.empty()) {
    Close();
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return NameLess(a.name, b.name); });
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (m_next >= m_entries.size()) return Fail(ERROR_NO_MORE_FILES);
  m_found = true;
  ++m_next;
  if (m_next >= m_entries.size()) return Fail(ERROR_NO_MORE_FILES);
  return TRUE;
}

void CFileFind::Close() {
  m_entries.clear();
  m_root.clear();
  m_nativeRoot.clear();
  m_separator = '/';
  m_next = 0;
  m_found = false;
}

const CFileFind::Entry* CFileFind::Current() const {
  return (m_found && m_next > 0 && m_next <= m_entries.size()) ? &m_entries[m_next - 1] : nullptr;
}

CString CFileFind::GetFileName() const {
  const Entry* e = Current();
  return e ? CString(e->name) : CString();
}

CString CFileFind::GetFilePath() const {
  const Entry* e = Current();
  if (!e) return CString();
  std::string path = m_root;
  if (!path.empty() && path.back() != '\\' && path.back() != '/' && !(path.size() == 2 && path[1] == ':'))
    path += m_separator;
  return CString(path + e->name);
}

CString CFileFind::GetFileTitle() const {
  const Entry* e = Current();
  if (!e) return CString();
  size_t dot = e->name.find_last_of('.');
  return CString(dot == std::string::npos ? e->name : e->name.substr(0, dot));
}

CString CFileFind::GetRoot() const { return Current() ? CString(m_root) : CString(); }

ULONGLONG CFileFind::GetLength() const {
  const Entry* e = Current();
  return e ? e->length : 0;
}

BOOL CFileFind::GetLastWriteTime(CTime& time) const {
  const Entry* e = Current();
  if (!e) return FALSE;
  time = CTime((__time64_t)e->writeTime);
  return TRUE;
}

BOOL CFileFind::IsDots() const {
  const Entry* e = Current();
  return e && IsDotName(e->name);
}

BOOL CFileFind::MatchesMask(DWORD mask) const {
  const Entry* e = Current();
  return e && (e->attributes & mask) != 0;
}
