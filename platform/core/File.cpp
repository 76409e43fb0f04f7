#include "platform/core/File.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

// Which handles of this process hold a file open, with what access and what they let others do.
// The original platform enforces sharing per file; within one process this table does the same.
enum : unsigned { kRead = 1, kWrite = 2 };

struct ShareEntry {
  std::pair<dev_t, ino_t> key;
  unsigned access;
  unsigned share;
};

std::mutex& ShareMutex() {
  static std::mutex m;
  return m;
}

std::map<std::pair<dev_t, ino_t>, std::vector<ShareEntry*>>& ShareTable() {
  static std::map<std::pair<dev_t, ino_t>, std::vector<ShareEntry*>> table;
  return table;
}

unsigned AccessOf(UINT flags) {
  switch (flags & 3) {
    case CFile::modeWrite: return kWrite;
    case CFile::modeReadWrite: return kRead | kWrite;
    default: return kRead;
  }
}

unsigned ShareOf(UINT flags) {
  switch (flags & 0x70) {
    case CFile::shareDenyWrite: return kRead;
    case CFile::shareDenyRead: return kWrite;
    case CFile::shareDenyNone: return kRead | kWrite;
    default: return 0;  // compat and exclusive
  }
}

// Registers a handle, or returns nullptr when an open handle forbids it.
ShareEntry* AcquireShare(const struct stat& st, unsigned access, unsigned share) {
  std::lock_guard<std::mutex> lock(ShareMutex());
  auto key = std::make_pair(st.st_dev, st.st_ino);
  auto& list = ShareTable()[key];
  for (const ShareEntry* e : list) {
    if ((access & ~e->share) != 0 || (e->access & ~share) != 0) {
      if (list.empty()) ShareTable().erase(key);
      return nullptr;
    }
  }
  auto* entry = new ShareEntry{key, access, share};
  list.push_back(entry);
  return entry;
}

void ReleaseShareEntry(ShareEntry* entry) {
  if (!entry) return;
  std::lock_guard<std::mutex> lock(ShareMutex());
  auto it = ShareTable().find(entry->key);
  if (it != ShareTable().end()) {
    auto& list = it->second;
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == entry) {
        list.erase(list.begin() + (ptrdiff_t)i);
        break;
      }
    if (list.empty()) ShareTable().erase(it);
  }
  delete entry;
}

void FillException(CFileException* error, int cause, int err, LPCTSTR fileName) {
  if (!error) return;
  error->m_cause = cause;
  error->m_lOsError = err;
  error->m_strFileName = fileName;
}

void FillStatus(const struct stat& st, const std::string& path, CFileStatus& status) {
  status.m_mtime = CTime((__time64_t)st.st_mtime);
  status.m_atime = CTime((__time64_t)st.st_atime);
  status.m_ctime = CTime((__time64_t)st.st_ctime);
  status.m_size = S_ISDIR(st.st_mode) ? 0 : (ULONGLONG)st.st_size;
  BYTE attr = 0;
  if (S_ISDIR(st.st_mode)) attr |= CFile::directory;
  if (!(st.st_mode & S_IWUSR)) attr |= CFile::readOnly;
  status.m_attribute = attr;
  std::string full = path;
  if (char* real = realpath(path.c_str(), nullptr)) {
    full = real;
    free(real);
  }
  size_t n = full.size() < sizeof status.m_szFullName ? full.size() : sizeof status.m_szFullName - 1;
  memcpy(status.m_szFullName, full.data(), n);
  status.m_szFullName[n] = 0;
}

const char* LastSeparator(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') last = p;
  return last;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// CFile

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(LPCTSTR fileName, UINT openFlags) : m_hFile(hFileNull) {
  CFileException e;
  if (!Open(fileName, openFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
  ReleaseShare();
}

void CFile::ReleaseShare() {
  ReleaseShareEntry(static_cast<ShareEntry*>(m_pShareEntry));
  m_pShareEntry = nullptr;
}

void CFile::ThrowErrno(int err) const {
  AfxThrowFileException(CFileException::OsErrorToException(err), err, m_strFileName);
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
  if (m_hFile != hFileNull) {
    FillException(error, CFileException::genericException, EBUSY, fileName);
    return FALSE;
  }
  if (!fileName || !*fileName) {
    FillException(error, CFileException::badPath, ENOENT, fileName);
    return FALSE;
  }
  if ((openFlags & 3) == 3) {
    FillException(error, CFileException::genericException, EINVAL, fileName);
    return FALSE;
  }
  std::string path = ResolvePath(fileName);
  int oflags = O_CLOEXEC;
  switch (openFlags & 3) {
    case modeWrite: oflags |= O_WRONLY; break;
    case modeReadWrite: oflags |= O_RDWR; break;
    default: oflags |= O_RDONLY; break;
  }
  if (openFlags & modeCreate) oflags |= O_CREAT;
  // Truncation waits for the sharing check, so a refused open leaves the file as it was.
  int fd = ::open(path.c_str(), oflags, 0666);
  if (fd < 0) {
    int err = errno;
    FillException(error, CFileException::OsErrorToException(err), err, fileName);
    return FALSE;
  }
  // Not the virtual one: a stream file opens its stream itself, once its descriptor is taken.
  return CFile::OpenDescriptor(fd, fileName, openFlags, error);
}

BOOL CFile::OpenDescriptor(int fd, LPCTSTR fileName, UINT openFlags, CFileException* error) {
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    FillException(error, CFileException::accessDenied, err, fileName);
    return FALSE;
  }
  ShareEntry* entry = AcquireShare(st, AccessOf(openFlags), ShareOf(openFlags));
  if (!entry) {
    ::close(fd);
    FillException(error, CFileException::sharingViolation, EBUSY, fileName);
    return FALSE;
  }
  if ((openFlags & modeCreate) && !(openFlags & modeNoTruncate) && st.st_size != 0 && ftruncate(fd, 0) != 0) {
    int err = errno;
    ::close(fd);
    ReleaseShareEntry(entry);
    FillException(error, CFileException::OsErrorToException(err), err, fileName);
    return FALSE;
  }
  m_hFile = fd;
  m_pShareEntry = entry;
  m_strFileName = fileName;
  m_nOpenFlags = openFlags;
  m_bCloseOnDelete = true;
  return TRUE;
}

UINT CFile::Read(void* buf, UINT count) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (count == 0) return 0;
  if (!buf) AfxThrowInvalidArgException();
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(m_hFile, static_cast<char*>(buf) + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno);
    }
    if (n == 0) break;
    done += (size_t)n;
  }
  return (UINT)done;
}

void CFile::Write(const void* buf, UINT count) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (count == 0) return;
  if (!buf) AfxThrowInvalidArgException();
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(m_hFile, static_cast<const char*>(buf) + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno);
    }
    if (n == 0) AfxThrowFileException(CFileException::diskFull, ENOSPC, m_strFileName);
    done += (size_t)n;
  }
}

ULONGLONG CFile::Seek(LONGLONG off, UINT from) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : from == end ? SEEK_END : -1;
  if (whence < 0) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  off_t pos = lseek(m_hFile, (off_t)off, whence);
  if (pos < 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
  return (ULONGLONG)pos;
}

ULONGLONG CFile::GetLength() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  struct stat st;
  if (fstat(m_hFile, &st) != 0) ThrowErrno(errno);
  return (ULONGLONG)st.st_size;
}

void CFile::SetLength(ULONGLONG newLen) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (newLen > (ULONGLONG)LLONG_MAX) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  if (ftruncate(m_hFile, (off_t)newLen) != 0) ThrowErrno(errno);
}

ULONGLONG CFile::GetPosition() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  off_t pos = lseek(m_hFile, 0, SEEK_CUR);
  if (pos < 0) ThrowErrno(errno);
  return (ULONGLONG)pos;
}

void CFile::Flush() {
  // Writes go straight to the system; nothing is held here.
  if (m_hFile == hFileNull) return;
}

BOOL CFile::OpenBeside(const CSaveBeside& save, LPCTSTR fileName, UINT openFlags, CFileException* error) {
  const CString name = fileName ? fileName : save.GetTarget().GetString();
  if (save.GetTempName().IsEmpty()) {
    FillException(error, CFileException::badPath, ENOENT, name);
    return FALSE;
  }
  // A device or pipe is written in place, by its own name.
  if (save.IsInPlace()) {
    if (!Open(save.GetTempName(), openFlags | modeCreate, error)) {
      if (error) error->m_strFileName = name;
      return FALSE;
    }
    SetFilePath(name);
    return TRUE;
  }
  if (m_hFile != hFileNull || (openFlags & 3) == 3) {
    FillException(error, CFileException::genericException, m_hFile != hFileNull ? EBUSY : EINVAL, name);
    return FALSE;
  }
  // The file the save created, through a descriptor of its own: the name is never opened again, so
  // nothing swapped in for it since is written.
  const int fd = save.Duplicate();
  if (fd < 0) {
    const int err = errno;
    FillException(error, CFileException::OsErrorToException(err), err, name);
    return FALSE;
  }
  return OpenDescriptor(fd, name, openFlags | modeCreate, error);
}

void CFile::CommitBeside(CSaveBeside& save) {
  const CString name = m_strFileName;
  Close();
  if (save.Commit()) return;
  const DWORD error = GetLastError();
  AfxThrowFileException(FileExceptionCauseOf(error), (LONG)error, name);
}

int FileExceptionCauseOf(DWORD win32Error) {
  switch (win32Error) {
    case ERROR_SUCCESS: return CFileException::none;
    case ERROR_FILE_NOT_FOUND: return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return CFileException::badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return CFileException::tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS: return CFileException::accessDenied;
    case ERROR_INVALID_HANDLE: return CFileException::invalidFile;
    case ERROR_SHARING_VIOLATION: return CFileException::sharingViolation;
    case ERROR_LOCK_VIOLATION: return CFileException::lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return CFileException::diskFull;
    default: return CFileException::genericException;
  }
}

void CFile::Close() {
  int err = 0;
  if (m_hFile != hFileNull && ::close(m_hFile) != 0) err = errno;
  m_hFile = hFileNull;
  m_bCloseOnDelete = false;
  ReleaseShare();
  CString name = m_strFileName;
  m_strFileName.Empty();
  if (err) AfxThrowFileException(CFileException::OsErrorToException(err), err, name);
}

void CFile::Abort() {
  if (m_hFile != hFileNull) ::close(m_hFile);
  m_hFile = hFileNull;
  m_bCloseOnDelete = false;
  ReleaseShare();
  m_strFileName.Empty();
}

void CFile::LockRange(ULONGLONG pos, ULONGLONG count) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  struct flock fl = {};
  fl.l_type = (m_nOpenFlags & 3) == modeRead ? F_RDLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = (off_t)pos;
  fl.l_len = (off_t)count;
  if (fcntl(m_hFile, F_SETLK, &fl) != 0) AfxThrowFileException(CFileException::lockViolation, errno, m_strFileName);
}

void CFile::UnlockRange(ULONGLONG pos, ULONGLONG count) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  struct flock fl = {};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = (off_t)pos;
  fl.l_len = (off_t)count;
  if (fcntl(m_hFile, F_SETLK, &fl) != 0) AfxThrowFileException(CFileException::lockViolation, errno, m_strFileName);
}

CString CFile::GetFileName() const {
  const char* last = LastSeparator(m_strFileName);
  return last ? CString(last + 1) : m_strFileName;
}

CString CFile::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

BOOL CFile::GetStatus(CFileStatus& status) const {
  status = CFileStatus();
  if (m_hFile == hFileNull) return FALSE;
  struct stat st;
  if (fstat(m_hFile, &st) != 0) return FALSE;
  FillStatus(st, ResolvePath(m_strFileName), status);
  return TRUE;
}

BOOL CFile::GetStatus(LPCTSTR fileName, CFileStatus& status) {
  status = CFileStatus();
  if (!fileName || !*fileName) return FALSE;
  std::string path = ResolvePath(fileName);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return FALSE;
  FillStatus(st, path, status);
  return TRUE;
}

void CFile::Remove(LPCTSTR fileName) {
  if (!fileName || !*fileName) AfxThrowFileException(CFileException::badPath, ENOENT, fileName);
  std::string path = ResolvePath(fileName);
  struct stat st;
  // A folder is not a file: it is refused with access denied, as the original platform does.
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    AfxThrowFileException(CFileException::accessDenied, EISDIR, fileName);
  if (unlink(path.c_str()) != 0) {
    int err = errno;
    AfxThrowFileException(CFileException::OsErrorToException(err), err, fileName);
  }
}

void CFile::Rename(LPCTSTR oldName, LPCTSTR newName) {
  if (!oldName || !*oldName || !newName || !*newName)
    AfxThrowFileException(CFileException::badPath, ENOENT, oldName);
  std::string from = ResolvePath(oldName);
  std::string to = ResolvePath(newName);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) {
    int err = errno;
    AfxThrowFileException(CFileException::OsErrorToException(err), err, oldName);
  }
  // A rename never replaces an existing target.
  if (lstat(to.c_str(), &st) == 0) AfxThrowFileException(CFileException::accessDenied, EEXIST, oldName);
  if (rename(from.c_str(), to.c_str()) != 0) {
    int err = errno;
    AfxThrowFileException(CFileException::OsErrorToException(err), err, oldName);
  }
}

// ---------------------------------------------------------------------------------------------------------
// CStdioFile

CStdioFile::CStdioFile() = default;

CStdioFile::CStdioFile(LPCTSTR fileName, UINT openFlags) {
  CFileException e;
  if (!Open(fileName, openFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CStdioFile::~CStdioFile() {
  if (m_pStream) Abort();
}

BOOL CStdioFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
  if (m_pStream) {
    FillException(error, CFileException::genericException, EBUSY, fileName);
    return FALSE;
  }
  if (!CFile::Open(fileName, openFlags, error)) return FALSE;
  return OpenStream(fileName, openFlags, error);
}

BOOL CStdioFile::OpenDescriptor(int fd, LPCTSTR fileName, UINT openFlags, CFileException* error) {
  if (m_pStream) {
    ::close(fd);
    FillException(error, CFileException::genericException, EBUSY, fileName);
    return FALSE;
  }
  return CFile::OpenDescriptor(fd, fileName, openFlags, error) && OpenStream(fileName, openFlags, error);
}

BOOL CStdioFile::OpenStream(LPCTSTR fileName, UINT openFlags, CFileException* error) {
  const char* mode = (openFlags & 3) == modeWrite ? "w" : (openFlags & 3) == modeReadWrite ? "r+" : "r";
  m_pStream = fdopen(m_hFile, mode);
  if (!m_pStream) {
    int err = errno;
    CFile::Abort();
    FillException(error, CFileException::OsErrorToException(err), err, fileName);
    return FALSE;
  }
  m_bText = !(openFlags & typeBinary);
  return TRUE;
}

int CStdioFile::GetChar() {
  int c = getc(m_pStream);
  if (c == '\r' && m_bText) {
    int next = getc(m_pStream);
    if (next == '\n') return '\n';
    if (next != EOF) ungetc(next, m_pStream);
  }
  return c;
}

UINT CStdioFile::Read(void* buf, UINT count) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (count == 0) return 0;
  if (!buf) AfxThrowInvalidArgException();
  size_t done = 0;
  if (!m_bText) {
    done = fread(buf, 1, count, m_pStream);
  } else {
    char* out = static_cast<char*>(buf);
    int c;
    while (done < count && (c = GetChar()) != EOF) out[done++] = (char)c;
  }
  if (done < count && ferror(m_pStream)) {
    clearerr(m_pStream);
    ThrowErrno(errno ? errno : EIO);
  }
  return (UINT)done;
}

void CStdioFile::Write(const void* buf, UINT count) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (count == 0) return;
  if (!buf) AfxThrowInvalidArgException();
  const char* p = static_cast<const char*>(buf);
  const char* limit = p + count;
  bool ok = true;
  if (!m_bText) {
    ok = fwrite(p, 1, count, m_pStream) == count;
  } else {
    while (ok && p < limit) {
      const char* lf = static_cast<const char*>(memchr(p, '\n', (size_t)(limit - p)));
      const char* stop = lf ? lf : limit;
      if (stop > p) ok = fwrite(p, 1, (size_t)(stop - p), m_pStream) == (size_t)(stop - p);
      if (ok && lf) ok = fwrite("\r\n", 1, 2, m_pStream) == 2;
      p = lf ? lf + 1 : limit;
    }
  }
  if (!ok) {
    int err = errno ? errno : ENOSPC;
    clearerr(m_pStream);
    ThrowErrno(err);
  }
}

void CStdioFile::WriteString(LPCTSTR text) {
  if (!text) AfxThrowInvalidArgException();
  Write(text, (UINT)strlen(text));
}

LPTSTR CStdioFile::ReadString(LPTSTR buf, UINT max) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (!buf || max == 0) AfxThrowInvalidArgException();
  UINT n = 0;
  int c = 0;
  while (n + 1 < max && (c = GetChar()) != EOF) {
    buf[n++] = (char)c;
    if (c == '\n') break;
  }
  buf[n] = 0;
  if (ferror(m_pStream)) {
    clearerr(m_pStream);
    ThrowErrno(errno ? errno : EIO);
  }
  return (n == 0 && max > 1) ? nullptr : buf;
}

BOOL CStdioFile::ReadString(CString& line) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  std::string& s = line.str();
  s.clear();
  int c;
  bool any = false;
  while ((c = GetChar()) != EOF) {
    any = true;
    if (c == '\n') break;
    s.push_back((char)c);
  }
  if (ferror(m_pStream)) {
    clearerr(m_pStream);
    ThrowErrno(errno ? errno : EIO);
  }
  return any;
}

ULONGLONG CStdioFile::Seek(LONGLONG off, UINT from) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : from == end ? SEEK_END : -1;
  if (whence < 0 || fseeko(m_pStream, (off_t)off, whence) != 0)
    AfxThrowFileException(CFileException::badSeek, whence < 0 ? EINVAL : errno, m_strFileName);
  return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  off_t pos = ftello(m_pStream);
  if (pos < 0) ThrowErrno(errno);
  return (ULONGLONG)pos;
}

ULONGLONG CStdioFile::GetLength() const {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  // Buffered writes count too.
  if (fflush(m_pStream) != 0) ThrowErrno(errno);
  return CFile::GetLength();
}

void CStdioFile::SetLength(ULONGLONG newLen) {
  if (!m_pStream) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
  if (fflush(m_pStream) != 0) ThrowErrno(errno);
  CFile::SetLength(newLen);
}

void CStdioFile::Flush() {
  if (m_pStream && fflush(m_pStream) != 0) ThrowErrno(errno);
}

void CStdioFile::Close() {
  CString name = m_strFileName;
  int err = 0;
  if (m_pStream && fclose(m_pStream) != 0) err = errno;
  m_pStream = nullptr;
  m_hFile = hFileNull;  // fclose closed it
  CFile::Close();
  if (err) AfxThrowFileException(CFileException::OsErrorToException(err), err, name);
}

void CStdioFile::Abort() {
  if (m_pStream) fclose(m_pStream);
  m_pStream = nullptr;
  m_hFile = hFileNull;
  CFile::Abort();
}

// ---------------------------------------------------------------------------------------------------------
// CMemFile

CMemFile::CMemFile(UINT growBytes) : m_nGrowBytes(growBytes) {}

CMemFile::CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes) : m_nGrowBytes(growBytes) {
  Attach(buffer, bufferSize, growBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* buffer, UINT bufferSize, UINT growBytes) {
  Close();
  m_lpBuffer = buffer;
  m_nBufferSize = buffer ? bufferSize : 0;
  m_nGrowBytes = growBytes;
  m_nFileSize = growBytes == 0 ? m_nBufferSize : 0;
  m_nPosition = 0;
  m_bAutoDelete = false;
}

BYTE* CMemFile::Detach() {
  BYTE* b = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
  return b;
}

void CMemFile::GrowFile(size_t newLen) {
  if (newLen <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  size_t step = m_nGrowBytes;
  size_t newSize = m_nBufferSize + (newLen - m_nBufferSize + step - 1) / step * step;
  BYTE* b;
  if (m_bAutoDelete) {
    b = static_cast<BYTE*>(realloc(m_lpBuffer, newSize));
  } else {
    // An attached buffer is the caller's: move into memory of our own.
    b = static_cast<BYTE*>(malloc(newSize));
    if (b && m_lpBuffer && m_nFileSize) memcpy(b, m_lpBuffer, m_nFileSize);
  }
  if (!b) AfxThrowMemoryException();
  memset(b + m_nFileSize, 0, newSize - m_nFileSize);
  m_lpBuffer = b;
  m_nBufferSize = newSize;
  m_bAutoDelete = true;
}

UINT CMemFile::Read(void* buf, UINT count) {
  if (count == 0 || m_nPosition >= m_nFileSize) return 0;
  if (!buf) AfxThrowInvalidArgException();
  size_t n = m_nFileSize - m_nPosition;
  if (n > count) n = count;
  memcpy(buf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return (UINT)n;
}

void CMemFile::Write(const void* buf, UINT count) {
  if (count == 0) return;
  if (!buf) AfxThrowInvalidArgException();
  size_t endPos = m_nPosition + count;
  if (endPos > m_nBufferSize) GrowFile(endPos);
  if (m_nPosition > m_nFileSize) memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  memcpy(m_lpBuffer + m_nPosition, buf, count);
  m_nPosition = endPos;
  if (m_nPosition > m_nFileSize) m_nFileSize = m_nPosition;
}

ULONGLONG CMemFile::Seek(LONGLONG off, UINT from) {
  LONGLONG base = from == begin ? 0 : from == current ? (LONGLONG)m_nPosition : from == end ? (LONGLONG)m_nFileSize : -1;
  if (base < 0) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  LONGLONG pos;
  if (__builtin_add_overflow(base, off, &pos) || pos < 0 || (ULONGLONG)pos > (ULONGLONG)UINT_MAX)
    AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  m_nPosition = (size_t)pos;
  return (ULONGLONG)pos;
}

void CMemFile::SetLength(ULONGLONG newLen) {
  if (newLen > (ULONGLONG)UINT_MAX) AfxThrowMemoryException();
  if (newLen > m_nBufferSize) GrowFile((size_t)newLen);
  if (newLen > m_nFileSize) memset(m_lpBuffer + m_nFileSize, 0, (size_t)newLen - m_nFileSize);
  m_nFileSize = (size_t)newLen;
  if (m_nPosition > m_nFileSize) m_nPosition = m_nFileSize;
}

void CMemFile::Close() {
  if (m_bAutoDelete) free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
}

void CMemFile::LockRange(ULONGLONG, ULONGLONG) { AfxThrowNotSupportedException(); }
void CMemFile::UnlockRange(ULONGLONG, ULONGLONG) { AfxThrowNotSupportedException(); }
