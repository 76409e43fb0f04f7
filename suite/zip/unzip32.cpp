// The unzip library: extracts an archive's entries into a folder after checking every name.
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "suite/zip/ZipLibraries.h"

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A name that stays inside the folder: relative, no drive letter, no ".." part.
bool SafeName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("/\\", start);
    if (name.compare(start, (end == std::string::npos ? name.size() : end) - start, "..") == 0) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// Walks the folders of `rel` below `dir`: all its parts when it names a folder (a trailing "/"), else
// all but the last. A part that is a link or not a folder refuses the name, so that nothing is written
// through a link out of `dir`. Missing folders are made when `made` is given; else the walk ends at
// the first missing one.
bool WalkFolders(const std::string& dir, const std::string& rel, std::vector<std::string>* made) {
  for (size_t at = rel.find('/'); at != std::string::npos; at = rel.find('/', at + 1)) {
    std::string part = dir + "/" + rel.substr(0, at);
    struct stat st;
    if (lstat(part.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;
      continue;
    }
    if (errno != ENOENT) return false;
    if (!made) return true;
    if (mkdir(part.c_str(), 0777) != 0) return false;
    made->push_back(part);
  }
  return true;
}

// A file may replace a plain file only. `target` is the name as the save will find it: the name
// spelled in another case where the spelled one is missing.
bool FileMayGo(const std::string& target, bool& exists) {
  struct stat st;
  exists = lstat(target.c_str(), &st) == 0;
  return exists ? S_ISREG(st.st_mode) : errno == ENOENT;
}

// Writes the entry into the temporary file of `save`; false with the last error set.
bool WriteEntry(zip_t* za, zip_uint64_t index, const CSaveBeside& save) {
  zip_file_t* zf = zip_fopen_index(za, index, 0);
  if (!zf) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  errno = 0;
  // Through the descriptor that made the temporary: its name is never opened again.
  FILE* out = save.OpenStream();
  int err = out ? 0 : (errno ? errno : EACCES);
  bool ok = out != nullptr;
  char buffer[65536];
  zip_int64_t n = 0;
  while (ok && (n = zip_fread(zf, buffer, sizeof buffer)) > 0)
    if (std::fwrite(buffer, 1, (size_t)n, out) != (size_t)n) {
      ok = false;
      err = errno;
    }
  // A read error (a wrong checksum among them) ends in -1.
  if (ok && n < 0) ok = false;
  if (out && std::fclose(out) != 0 && ok) {
    ok = false;
    err = errno;
  }
  zip_fclose(zf);
  if (!ok) {
    if (err) SetLastErrorFromErrno(err);
    else SetLastError(ERROR_INVALID_DATA);
  }
  return ok;
}

// An entry left out: one of its parts, file or folder, matches an exclusion. What is below an
// excluded folder goes with it.
bool Excluded(const std::string& rel, int count, char** patterns) {
  for (size_t start = 0; start < rel.size();) {
    size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    const std::string part = rel.substr(start, end - start);
    for (int x = 0; patterns && x < count; ++x)
      if (patterns[x] && !part.empty() && MatchFilePattern(patterns[x], part.c_str())) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

extern "C" {

int Wiz_SingleEntryUnzip(int, char**, int xfnc, char** xfnv, DCL* dcl, USERFUNCTIONS* functions) {
  if (!dcl || !dcl->lpszZipFN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 10;
  }
  int err = 0;
  zip_t* za = zip_open(ResolvePath(dcl->lpszZipFN).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!za) {
    SetLastError(err == ZIP_ER_NOENT || err == ZIP_ER_OPEN ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA);
    return 9;
  }
  zip_int64_t count = zip_get_num_entries(za, 0);
  std::vector<std::string> names;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(za, (zip_uint64_t)i, ZIP_FL_ENC_RAW);
    if (!name || !SafeName(name)) {
      zip_close(za);
      SetLastError(ERROR_INVALID_NAME);
      return 11;
    }
    names.push_back(name);
  }
  std::string dir = dcl->fExtractToDir && dcl->lpszExtractDir ? ResolvePath(dcl->lpszExtractDir) : std::string(".");
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  // The entries' paths below the folder; none is written unless every one is free of links.
  std::vector<std::string> rels(names.size());
  bool ok = true;
  for (size_t i = 0; ok && i < names.size(); ++i) {
    std::string& rel = rels[i];
    rel = NativePath(names[i].c_str());
    bool folder = !rel.empty() && rel.back() == '/', exists;
    if (!dcl->fKeepFolders) rel = folder ? std::string() : rel.substr(rel.rfind('/') + 1);
    if (Excluded(rel, xfnc, xfnv)) rel.clear();
    ok = rel.empty() || (WalkFolders(dir, rel, nullptr) && (folder || FileMayGo(ResolvePath((dir + "/" + rel).c_str()), exists)));
  }
  if (!ok) SetLastError(ERROR_INVALID_DATA);
  // What this call writes, so that a failure can take it back. Each file is written beside the
  // one it replaces and takes its place only once complete: a failure never leaves a file cut.
  std::vector<std::string> files, folders;
  std::set<std::string> written;  // the folders files were put in
  for (size_t i = 0; ok && i < names.size(); ++i) {
    const std::string& rel = rels[i];
    if (rel.empty()) continue;
    ok = WalkFolders(dir, rel, &folders);
    if (rel.back() == '/') continue;
    // A name in another case that is a link must not lead the save out of the folder.
    std::string target = ResolvePath((dir + "/" + rel).c_str());
    bool exists = false;
    ok = ok && FileMayGo(target, exists);
    if (ok && exists && !dcl->fOverwriteAll && functions && functions->replace) {
      std::vector<char> buffer(target.begin(), target.end());
      buffer.push_back(0);
      if (!functions->replace(buffer.data())) continue;
    }
    if (ok) {
      if (!exists) files.push_back(target);
      CSaveBeside save(target.c_str());
      // Replaced without the sweep of a save's leftovers: the archive may hold files of such names,
      // written by this very call. The folders are synced once all is written.
      ok = WriteEntry(za, (zip_uint64_t)i, save) && save.ReplaceSynced();
      if (ok) written.insert(ParentOf(save.GetNativeTarget()));
    } else {
      SetLastError(ERROR_INVALID_DATA);
    }
  }
  zip_close(za);
  for (const std::string& folder : written) ok = ok && SyncFolder(folder);
  if (ok) return 0;
  const DWORD error = GetLastError();
  for (auto it = files.rbegin(); it != files.rend(); ++it) std::remove(it->c_str());
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) rmdir(it->c_str());
  SetLastError(error ? error : ERROR_INVALID_DATA);
  return 2;
}

}  // extern "C"
