// The zip library: packs files into an archive with deflate, names relative to the root folder.
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "suite/zip/ZipLibraries.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

ZPOPT g_options{};
std::string g_root;

// The entry name: the path below the root, with "/" between its parts.
bool EntryName(const std::string& path, std::string& name) {
  std::string full = NativePath(path.c_str()), root = NativePath(g_root.c_str());
  while (!root.empty() && root.back() == '/') root.pop_back();
  if (root.empty() || full.size() <= root.size() + 1 || full.compare(0, root.size(), root) != 0 || full[root.size()] != '/')
    return false;
  name = full.substr(root.size() + 1);
  return true;
}

// The cause of a failed close as the system gave it (a full disk, say), else a write fault.
void SetCloseError(zip_t* za) {
  zip_error_t* e = zip_get_error(za);
  if (zip_error_system_type(e) == ZIP_ET_SYS && zip_error_code_system(e) != 0)
    SetLastErrorFromErrno(zip_error_code_system(e));
  else
    SetLastError(ERROR_WRITE_FAULT);
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
  for (int i = 0; i < c.argc; ++i) {
    std::string name;
    std::string file = c.FNV[i] ? ResolvePath(c.FNV[i]) : std::string();
    // Pipes and devices hold no file to pack: one would be read without end.
    struct stat st;
    if (!file.empty() && stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) continue;
    zip_source_t* src = file.empty() || !EntryName(c.FNV[i], name) ? nullptr : zip_source_file(za, file.c_str(), 0, -1);
    zip_int64_t at = src ? zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
    // A name that is not UTF-8 is stored as its bytes, without the UTF-8 flag.
    if (at < 0 && src && zip_error_code_zip(zip_get_error(za)) == ZIP_ER_INVAL)
      at = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_CP437 | ZIP_FL_OVERWRITE);
    if (at < 0) {
      if (src) zip_source_free(src);
      zip_discard(za);
      zip_source_free(out);
      DeleteFile(zipPath.c_str());
      SetLastError(file.empty() || name.empty() ? ERROR_INVALID_NAME : ERROR_FILE_NOT_FOUND);
      return 3;
    }
    zip_set_file_compression(za, (zip_uint64_t)at, ZIP_CM_DEFLATE, (zip_uint32_t)level);
    ++added;
  }
  // The files are read when the archive closes; a file gone by then fails the whole archive.
  if (zip_close(za) != 0) {
    SetCloseError(za);
    const DWORD cause = GetLastError();
    zip_discard(za);
    zip_source_free(out);
    DeleteFile(zipPath.c_str());
    SetLastError(cause);
    return 4;
  }
  // An archive without entries is no file at all.
  const bool written = added == 0 ? DeleteFile(zipPath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND
                                   : WriteSource(out, zipPath);
  zip_source_free(out);
  return written ? 0 : 4;
}

}  // extern "C"
