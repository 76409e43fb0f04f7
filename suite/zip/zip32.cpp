// The zip library: packs files into an archive with deflate, names relative to the root folder.
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "suite/zip/ZipLibraries.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

ZPOPT g_options{};
std::string g_root;
std::string g_unread;  // the entry whose file could not be opened or read as the archive was written

// The entry name: the path below the root, with "/" between its parts.
bool EntryName(const std::string& path, std::string& name) {
  std::string full = NativePath(path.c_str()), root = NativePath(g_root.c_str());
  while (!root.empty() && root.back() == '/') root.pop_back();
  if (root.empty() || full.size() <= root.size() + 1 || full.compare(0, root.size(), root) != 0 || full[root.size()] != '/')
    return false;
  name = full.substr(root.size() + 1);
  return true;
}

// The full path of the entry `rel`, as the caller named it.
std::string BelowRoot(const std::string& rel) {
  std::string root = NativePath(g_root.c_str());
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root + "/" + rel;
}

// The cause of a failed close as the system gave it (a full disk, say), else a write fault; a file
// that could not be read is named with it.
void SetCloseError(zip_t* za) {
  zip_error_t* e = zip_get_error(za);
  if (zip_error_system_type(e) == ZIP_ET_SYS && zip_error_code_system(e) != 0)
    SetLastErrorFromErrno(zip_error_code_system(e));
  else
    SetLastError(ERROR_WRITE_FAULT);
  if (!g_unread.empty()) SetLastErrorNaming(GetLastError(), BelowRoot(g_unread));
}

// Writes what `src` holds into the file at `path` (created or emptied); a failed write removes it.
bool WriteSource(zip_source_t* src, const std::string& path) {
  const bool readable = zip_source_open(src) == 0;
  const int fd = readable ? open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666) : -1;
  int err = !readable ? ENOMEM : fd < 0 ? errno : 0;
  char buf[65536];
  while (!err) {
    zip_int64_t n = zip_source_read(src, buf, sizeof buf);
    if (n < 0) err = EIO;
    if (n <= 0) break;
    for (const char* at = buf; !err && n > 0;) {
      const ssize_t w = write(fd, at, (size_t)n);
      if (w < 0 && errno != EINTR) err = errno;
      if (w > 0) {
        at += w;
        n -= w;
      }
    }
  }
  if (readable) zip_source_close(src);
  if (fd >= 0 && close(fd) != 0 && !err) err = errno;
  if (!err) return true;
  unlink(path.c_str());
  SetLastErrorFromErrno(err);
  return false;
}

// Opens `rel` ("/" between parts) below the folder open as `root` without following a link on the
// way or at its end; a plain file or a folder only (`folder` tells which). -1 with errno set: ELOOP
// for what is reached only through a link, or is neither file nor folder.
int OpenBelow(int root, const std::string& rel, bool& folder) {
  int dir = root;
  size_t at = 0;
  for (size_t slash; (slash = rel.find('/', at)) != std::string::npos; at = slash + 1) {
    const int next = openat(dir, rel.substr(at, slash - at).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0 && errno == ENOTDIR) errno = ELOOP;
    const int err = errno;
    if (dir != root) close(dir);
    errno = err;
    if (next < 0) return -1;
    dir = next;
  }
  // What is neither file nor folder is not even opened (a pipe would keep the archive waiting, a
  // device may act on its opening); nor is it read should it take the name meanwhile.
  struct stat st;
  const bool kind = fstatat(dir, rel.c_str() + at, &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (kind && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) errno = ELOOP;
  const int fd = kind && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
                     ? openat(dir, rel.c_str() + at, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)
                     : -1;
  const int err = errno;
  if (dir != root) close(dir);
  if (fd < 0 || fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) || fcntl(fd, F_SETFL, 0) != 0) {
    if (fd >= 0) close(fd);
    errno = fd < 0 ? err : ELOOP;
    return -1;
  }
  folder = S_ISDIR(st.st_mode);
  return fd;
}

// A file below the root read when the archive is written: opened again then the way it was
// found, never through a link swapped in meanwhile.
struct FileBelow {
  int root;
  std::string rel;
  time_t modified;
  zip_uint64_t size;  // as found: an archive whose files keep their sizes needs no 64-bit fields
  int fd = -1;
  zip_error_t error;

  static zip_int64_t Call(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    FileBelow& f = *static_cast<FileBelow*>(state);
    switch (command) {
      case ZIP_SOURCE_OPEN: {
        bool folder = false;
        f.fd = OpenBelow(f.root, f.rel, folder);
        if (f.fd >= 0 && folder) {
          close(f.fd);
          f.fd = -1;
          errno = EISDIR;
        }
        if (f.fd >= 0) return 0;
        zip_error_set(&f.error, ZIP_ER_OPEN, errno);
        g_unread = f.rel;
        return -1;
      }
      case ZIP_SOURCE_READ:
        for (;;) {
          const ssize_t n = read(f.fd, data, (size_t)std::min<zip_uint64_t>(length, 1u << 30));
          if (n >= 0) return n;
          if (errno == EINTR) continue;
          zip_error_set(&f.error, ZIP_ER_READ, errno);
          g_unread = f.rel;
          return -1;
        }
      case ZIP_SOURCE_CLOSE:
        if (f.fd >= 0) close(f.fd);
        f.fd = -1;
        return 0;
      case ZIP_SOURCE_STAT: {
        zip_stat_t* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->mtime = f.modified;
        st->size = f.size;
        st->valid |= ZIP_STAT_MTIME | ZIP_STAT_SIZE;
        return sizeof *st;
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&f.error, data, length);
      case ZIP_SOURCE_FREE:
        if (f.fd >= 0) close(f.fd);
        zip_error_fini(&f.error);
        delete &f;
        return 0;
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, -1);
      default:
        zip_error_set(&f.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }
};

// The entry keeps the file's own permissions (as the file was opened to be packed), as every unzip
// reads them; set-user and set-group bits stay behind.
void SetUnixMode(zip_t* za, zip_int64_t at, mode_t mode) {
  const zip_uint32_t kept = (zip_uint32_t)((mode & S_IFMT) | (mode & 0777));
  zip_file_set_external_attributes(za, (zip_uint64_t)at, 0, ZIP_OPSYS_UNIX, (kept << 16) | (S_ISDIR(mode) ? 0x10u : 0u));
}

}  // namespace

extern "C" {

int ZpInit(ZIPUSERFUNCTIONS*) { return 0; }

int ZpSetOptions(ZPOPT* options) {
  if (!options || !options->szRootDir) return 0;
  g_options = *options;
  g_root = options->szRootDir;
  return 1;
}

int ZpArchive(ZCL c) {
  if (!c.lpszZipFN || c.argc < 0 || (c.argc > 0 && !c.FNV)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 1;
  }
  std::string zipPath = ResolvePath(c.lpszZipFN);
  // Packed in memory and written into the named file itself: the library's own temporary file beside
  // it would outlive a killed process, and its longer name may not fit where the archive's does.
  zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, nullptr);
  zip_t* za = out ? zip_open_from_source(out, ZIP_TRUNCATE, nullptr) : nullptr;
  if (!za) {
    if (out) zip_source_free(out);
    SetLastError(ERROR_OPEN_FAILED);
    return 2;
  }
  zip_source_keep(out);
  int level = g_options.fLevel >= '0' && g_options.fLevel <= '9' ? g_options.fLevel - '0' : 6;
  int added = 0;
  // Everything is reached from the root's descriptor, never through a link.
  const int root = open(ResolvePath(g_root.c_str()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  g_unread.clear();
  // `unread`: the entry whose file could not be looked at, named with the error.
  auto fail = [&](DWORD error, int code, const std::string& unread = std::string()) {
    zip_discard(za);
    zip_source_free(out);
    if (root >= 0) close(root);
    DeleteFile(zipPath.c_str());
    if (unread.empty()) SetLastError(error);
    else SetLastErrorNaming(error, BelowRoot(unread));
    return code;
  };
  if (root < 0) return fail(ERROR_PATH_NOT_FOUND, 3);
  for (int i = 0; i < c.argc; ++i) {
    std::string name;
    if (!c.FNV[i] || !EntryName(c.FNV[i], name)) return fail(ERROR_INVALID_NAME, 3);
    while (name.size() > 1 && name.back() == '/') name.pop_back();  // a folder's
    bool folder = false;
    const int fd = OpenBelow(root, name, folder);
    struct stat st;
    const bool found = fd >= 0 && fstat(fd, &st) == 0;
    const int err = errno;
    if (fd >= 0) close(fd);
    // A link, pipe or device holds no file to pack: one would lead out of the folder or be read
    // without end. Any other file that cannot be opened fails the archive, which would lack it.
    if (!found && err == ELOOP) continue;
    if (!found) {
      SetLastErrorFromErrno(err);
      return fail(GetLastError(), 3, name);
    }
    zip_int64_t at;
    if (folder) {
      at = zip_dir_add(za, name.c_str(), ZIP_FL_ENC_UTF_8);
      if (at < 0 && zip_error_code_zip(zip_get_error(za)) == ZIP_ER_INVAL) at = zip_dir_add(za, name.c_str(), ZIP_FL_ENC_CP437);
      if (at < 0) return fail(ERROR_INVALID_NAME, 3);
      SetUnixMode(za, at, st.st_mode);
      ++added;
      continue;
    }
    FileBelow* file = new FileBelow{root, name, st.st_mtime, (zip_uint64_t)st.st_size, -1, {}};
    zip_error_init(&file->error);
    zip_source_t* src = zip_source_function(za, FileBelow::Call, file);
    if (!src) {
      zip_error_fini(&file->error);
      delete file;
      return fail(ERROR_NOT_ENOUGH_MEMORY, 3);
    }
    at = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    // A name that is not UTF-8 is stored as its bytes, without the UTF-8 flag.
    if (at < 0 && zip_error_code_zip(zip_get_error(za)) == ZIP_ER_INVAL)
      at = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_CP437 | ZIP_FL_OVERWRITE);
    if (at < 0) {
      zip_source_free(src);
      return fail(ERROR_INVALID_NAME, 3);
    }
    zip_set_file_compression(za, (zip_uint64_t)at, ZIP_CM_DEFLATE, (zip_uint32_t)level);
    SetUnixMode(za, at, st.st_mode);
    ++added;
  }
  // An archive without entries is the end record alone, which unpacks to nothing.
  if (added == 0) {
    zip_discard(za);
    zip_source_free(out);
    close(root);
    static const char kEmpty[22] = {'P', 'K', 5, 6};
    zip_source_t* empty = zip_source_buffer_create(kEmpty, sizeof kEmpty, 0, nullptr);
    const bool written = empty && WriteSource(empty, zipPath);
    if (empty) zip_source_free(empty);
    return written ? 0 : 4;
  }
  // The files are read when the archive closes; a file gone by then fails the whole archive.
  if (zip_close(za) != 0) {
    SetCloseError(za);
    return fail(GetLastError(), 4);
  }
  close(root);
  const bool written = WriteSource(out, zipPath);
  zip_source_free(out);
  return written ? 0 : 4;
}

}  // extern "C"
