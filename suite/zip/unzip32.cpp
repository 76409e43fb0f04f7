// The unzip library: extracts an archive's entries into a folder after checking every name.
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "platform/core/FolderNames.h"
#include "suite/zip/ZipLibraries.h"

#include <zip.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <map>
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

// The folders below the extraction folder, each opened once from its parent's descriptor without
// following a link: a link or file where a folder belongs refuses the name, so nothing is written
// through a link out of the folder, whatever is swapped in meanwhile.
class Folders {
 public:
  // Owns `root`.
  explicit Folders(int root) { m_open.emplace("", Folder{root, false, CFolderNames(root)}); }
  ~Folders() {
    for (auto& [rel, f] : m_open) close(f.fd);
  }
  Folders(const Folders&) = delete;
  Folders& operator=(const Folders&) = delete;

  // The folder `rel` ("" the root, else no trailing "/"): its descriptor, -1 when missing (and not
  // made: `make` false) or refused (`refused` set).
  int Open(const std::string& rel, bool make, bool& refused) {
    if (auto it = m_open.find(rel); it != m_open.end()) return it->second.fd;
    if (!make && m_missing.count(rel)) return -1;
    const size_t cut = rel.rfind('/');
    const std::string parentRel = cut == std::string::npos ? std::string() : rel.substr(0, cut);
    const std::string part = rel.substr(cut == std::string::npos ? 0 : cut + 1);
    const int parent = Open(parentRel, make, refused);
    if (parent < 0) return -1;
    Folder& p = m_open.at(parentRel);
    struct stat st;
    std::string name = p.names.Find(part, true, st);
    bool made = false;
    if (name.empty()) {
      if (errno != ENOENT) return refused = true, -1;
      if (!make) return m_missing.insert(rel), -1;
      if (mkdirat(parent, part.c_str(), 0777) != 0) return refused = true, -1;
      p.names.Added(part);
      name = part;
      made = true;
    }
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      if (made) unlinkat(parent, name.c_str(), AT_REMOVEDIR);
      return refused = true, -1;
    }
    m_open.emplace(rel, Folder{fd, made, CFolderNames(fd, made)});
    if (made) m_made.push_back({parentRel, name});
    return fd;
  }
  CFolderNames& Names(const std::string& rel) { return m_open.at(rel).names; }
  // Puts the names made in the folders written, the folders made and their parents on the disk,
  // each folder after those below it.
  bool Sync(const std::set<std::string>& written) {
    std::set<std::string> folders = written;
    for (auto& [parent, name] : m_made) {
      folders.insert(parent);
      folders.insert(parent.empty() ? name : parent + "/" + name);
    }
    std::vector<std::string> order(folders.begin(), folders.end());
    std::stable_sort(order.begin(), order.end(), [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& rel : order) {
      auto it = m_open.find(rel);
      if (it == m_open.end() || !SyncFile(it->second.fd)) return false;
    }
    return true;
  }
  // Removes the folders made, the deepest first (those that hold nothing more).
  void RemoveMade() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) unlinkat(m_open.at(it->first).fd, it->second.c_str(), AT_REMOVEDIR);
  }

 private:
  static size_t Depth(const std::string& rel) { return rel.empty() ? 0 : 1 + (size_t)std::count(rel.begin(), rel.end(), '/'); }
  struct Folder {
    int fd;
    bool made;
    CFolderNames names;
  };
  std::map<std::string, Folder> m_open;
  std::vector<std::pair<std::string, std::string>> m_made;  // parent, name
  std::set<std::string> m_missing;  // found missing while nothing is made
};

// The folder part of `rel` ("" for none) and its last part.
void Split(const std::string& rel, std::string& folder, std::string& leaf) {
  const size_t cut = rel.rfind('/');
  folder = cut == std::string::npos ? std::string() : rel.substr(0, cut);
  leaf = rel.substr(cut == std::string::npos ? 0 : cut + 1);
}

// Writes the entry into the new file `fd`, syncs it and closes it; false with the last error set.
bool WriteEntry(zip_t* za, zip_uint64_t index, int fd) {
  zip_file_t* zf = zip_fopen_index(za, index, 0);
  int err = 0;
  bool ok = zf != nullptr;
  char buffer[65536];
  zip_int64_t n = 0;
  while (ok && (n = zf ? zip_fread(zf, buffer, sizeof buffer) : 0) > 0)
    for (const char* at = buffer; ok && n > 0;) {
      const ssize_t w = write(fd, at, (size_t)n);
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) {
        ok = false;
        err = errno;
      } else {
        at += w;
        n -= w;
      }
    }
  // A read error (a wrong checksum among them) ends in -1.
  if (ok && n < 0) ok = false;
  if (zf) zip_fclose(zf);
  if (ok && !SyncFile(fd)) {
    ok = false;
    err = -1;  // the last error says why
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok && err > 0) SetLastErrorFromErrno(err);
  else if (!ok && err == 0) SetLastError(ERROR_INVALID_DATA);
  return ok;
}

// The permissions a Unix entry was packed with (never a set-id bit; readable by its owner, who
// must read it back), -1 for an entry that has none: the system's default, or an old file's.
int StoredMode(zip_t* za, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, index, 0, &system, &attributes) != 0 || system != ZIP_OPSYS_UNIX) return -1;
  const mode_t mode = (mode_t)(attributes >> 16);
  if (mode == 0 || ((mode & S_IFMT) != 0 && !S_ISREG(mode))) return -1;
  return (int)((mode & 0777) | S_IRUSR);
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
  const std::string dir = dcl->fExtractToDir && dcl->lpszExtractDir ? ResolvePath(dcl->lpszExtractDir) : std::string(".");
  // The folder is looked up once; everything below it is reached from its descriptor.
  const int root = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    SetLastErrorFromErrno(errno);
    zip_close(za);
    return 2;
  }
  Folders folders(root);
  // The entries' paths below the folder; none is written unless every one is free of links.
  std::vector<std::string> rels(names.size());
  bool ok = true;
  for (size_t i = 0; ok && i < names.size(); ++i) {
    std::string& rel = rels[i];
    rel = NativePath(names[i].c_str());
    const bool folder = !rel.empty() && rel.back() == '/';
    if (!dcl->fKeepFolders) rel = folder ? std::string() : rel.substr(rel.rfind('/') + 1);
    if (Excluded(rel, xfnc, xfnv)) rel.clear();
    if (rel.empty()) continue;
    std::string at, leaf;
    Split(folder ? rel.substr(0, rel.size() - 1) : rel, at, leaf);
    bool refused = false;
    const int fd = folders.Open(folder ? rel.substr(0, rel.size() - 1) : at, false, refused);
    ok = !refused;
    if (ok && fd >= 0 && !folder) {
      // A file may replace a plain file only.
      struct stat st;
      ok = !folders.Names(at).Find(leaf, false, st).empty() ? S_ISREG(st.st_mode) : errno == ENOENT;
    }
  }
  if (!ok) SetLastError(ERROR_INVALID_DATA);
  // What this call writes, so that a failure can take it back: a failure never leaves a file cut.
  std::vector<std::pair<std::string, std::string>> files;  // folder, name of the files made
  std::set<std::string> written;  // the folders files were put in
  for (size_t i = 0; ok && i < names.size(); ++i) {
    const std::string& rel = rels[i];
    if (rel.empty()) continue;
    bool refused = false;
    if (rel.back() == '/') {
      ok = folders.Open(rel.substr(0, rel.size() - 1), true, refused) >= 0;
      if (!ok) SetLastError(ERROR_INVALID_DATA);
      continue;
    }
    std::string at, leaf;
    Split(rel, at, leaf);
    const int parent = folders.Open(at, true, refused);
    struct stat st;
    // A name in another case is the file the entry replaces.
    std::string name = parent >= 0 ? folders.Names(at).Find(leaf, false, st) : std::string();
    const bool exists = !name.empty();
    if (parent < 0 || (exists ? !S_ISREG(st.st_mode) : errno != ENOENT)) {
      SetLastError(ERROR_INVALID_DATA);
      ok = false;
      break;
    }
    if (!exists) name = leaf;
    if (exists && !dcl->fOverwriteAll && functions && functions->replace) {
      std::string shown = dir + "/" + (at.empty() ? name : at + "/" + name);
      std::vector<char> buffer(shown.begin(), shown.end());
      buffer.push_back(0);
      if (!functions->replace(buffer.data())) continue;
    }
    // A file that replaces another is written beside it and takes its place once complete and
    // synced; a new one is made under its own name, which nothing else may have meanwhile.
    const std::string temp = exists ? NewSaveTempName(name) : name;
    // The entry's own permissions as far as the umask allows (made so, the umask applies), else
    // the old file's.
    const int stored = StoredMode(za, (zip_uint64_t)i);
    const int fd = openat(parent, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          stored >= 0 ? (mode_t)stored : (mode_t)0666);
    if (fd < 0) {
      SetLastErrorFromErrno(errno);
      ok = false;
      break;
    }
    if (exists && stored < 0) fchmod(fd, st.st_mode & 07777);
    ok = WriteEntry(za, (zip_uint64_t)i, fd);
    if (ok && exists && renameat(parent, temp.c_str(), parent, name.c_str()) != 0) {
      SetLastErrorFromErrno(errno);
      ok = false;
    }
    if (!ok) {
      unlinkat(parent, temp.c_str(), 0);
      break;
    }
    if (!exists) {
      files.emplace_back(at, name);
      folders.Names(at).Added(name);
    }
    written.insert(at);
  }
  zip_close(za);
  if (ok && folders.Sync(written)) return 0;
  const DWORD error = GetLastError();
  bool refused = false;
  for (auto it = files.rbegin(); it != files.rend(); ++it) unlinkat(folders.Open(it->first, false, refused), it->second.c_str(), 0);
  folders.RemoveMade();
  SetLastError(error ? error : ERROR_INVALID_DATA);
  return 2;
}

}  // extern "C"
