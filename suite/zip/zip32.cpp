// The zip library: packs files into an archive with deflate, names relative to the root folder.
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "suite/zip/ZipLibraries.h"

#include <zip.h>

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
  int err = 0;
  zip_t* za = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (!za) {
    SetLastError(ERROR_OPEN_FAILED);
    return 2;
  }
  int level = g_options.fLevel >= '0' && g_options.fLevel <= '9' ? g_options.fLevel - '0' : 6;
  for (int i = 0; i < c.argc; ++i) {
    std::string name;
    std::string file = c.FNV[i] ? ResolvePath(c.FNV[i]) : std::string();
    zip_source_t* src = file.empty() || !EntryName(c.FNV[i], name) ? nullptr : zip_source_file(za, file.c_str(), 0, -1);
    zip_int64_t at = src ? zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
    // A name that is not UTF-8 is stored as its bytes, without the UTF-8 flag.
    if (at < 0 && src && zip_error_code_zip(zip_get_error(za)) == ZIP_ER_INVAL)
      at = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_CP437 | ZIP_FL_OVERWRITE);
    if (at < 0) {
      if (src) zip_source_free(src);
      zip_discard(za);
      DeleteFile(zipPath.c_str());
      SetLastError(file.empty() || name.empty() ? ERROR_INVALID_NAME : ERROR_FILE_NOT_FOUND);
      return 3;
    }
    zip_set_file_compression(za, (zip_uint64_t)at, ZIP_CM_DEFLATE, (zip_uint32_t)level);
  }
  // The files are read when the archive closes; a file gone by then fails the whole archive.
  if (zip_close(za) != 0) {
    SetCloseError(za);
    const DWORD cause = GetLastError();
    zip_discard(za);
    DeleteFile(zipPath.c_str());
    SetLastError(cause);
    return 4;
  }
  return 0;
}

}  // extern "C"
