#include "kernel/setup/RestorePlacement.h"

#include "kernel/values/ConfigFile.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

const char g_szRestoreFolder[] = "~restore.~dvx-unpack";
void (*g_pfnRestoreStep)(int step) = nullptr;

namespace {

std::string In(const std::string& folder, const std::string& name) { return folder + "/" + name; }

bool IsPlainFile(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Removes `name` in the folder `parent` with everything in it, never following a link: a link goes
// as itself.
void RemoveTreeExact(int parent, const char* name) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    unlinkat(parent, name, 0);
    return;
  }
  if (DIR* d = fdopendir(fd)) {
    std::vector<std::string> names;
    while (dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    for (const std::string& n : names) RemoveTreeExact(dirfd(d), n.c_str());
    closedir(d);
  } else {
    close(fd);
  }
  unlinkat(parent, name, AT_REMOVEDIR);
}

// In a restore's folder: the extraction is whole and its files are on the disk. Named as a save's
// own file, so that no archive brings it.
const char kRestoreSealed[] = "~restore.~dvx-sealed";

void RestoreStep(int step) {
  if (g_pfnRestoreStep) g_pfnRestoreStep(step);
}

// The plain files below `dir` by path relative to it ("/" between parts), but for what is named like
// a save's own file and what is below such a folder; no link is followed.
void ListExtracted(const std::string& dir, const std::string& rel, std::vector<std::string>& files) {
  DIR* d = opendir((rel.empty() ? dir : In(dir, rel)).c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0 && !IsSaveOwnFile(e->d_name)) names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string sub = rel.empty() ? name : rel + "/" + name;
    struct stat st;
    if (lstat(In(dir, sub).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) ListExtracted(dir, sub, files);
    else if (S_ISREG(st.st_mode)) files.push_back(sub);
  }
}

// Moves the extracted file `from` to `rel` below `folder`: the folders on the way made, none of them
// a link; the file it replaces (a plain file only) gives it its permissions. `make` false: only
// whether it could be.
bool PlaceExtracted(const std::string& from, const std::string& folder, const std::string& rel, bool make) {
  struct stat st;
  for (size_t at = rel.find('/'); at != std::string::npos; at = rel.find('/', at + 1)) {
    const std::string part = ResolvePath(In(folder, rel.substr(0, at)).c_str());
    const bool exists = lstat(part.c_str(), &st) == 0;
    if (exists ? !S_ISDIR(st.st_mode) : errno != ENOENT) return false;
    if (exists || !make) continue;
    if ((mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) || lstat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      return false;
  }
  const std::string target = ResolvePath(In(folder, rel).c_str());
  if (lstat(target.c_str(), &st) == 0) {
    // A read-only file is not replaced, as a save would not replace it.
    if (!S_ISREG(st.st_mode) || (GetFileAttributes(target.c_str()) & FILE_ATTRIBUTE_READONLY)) return false;
    if (make) chmod(from.c_str(), st.st_mode & 07777);  // in the restore's own folder
  } else if (errno != ENOENT) {
    return false;
  }
  return !make || rename(from.c_str(), target.c_str()) == 0;
}

}  // namespace

CRestoreFolder::CRestoreFolder(const std::string& nativeFolder) {
  m_fd = open(In(nativeFolder, g_szRestoreFolder).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  // A folder another user put under the name is none of this restore's.
  if (m_fd >= 0 && (fstat(m_fd, &st) != 0 || st.st_uid != geteuid())) {
    close(m_fd);
    m_fd = -1;
  }
  if (m_fd >= 0) m_path = DescriptorPath(m_fd);
}

CRestoreFolder::~CRestoreFolder() {
  if (m_fd >= 0) close(m_fd);
}

void GetExtractedFiles(const std::string& fresh, std::vector<std::string>& files) {
  if (!fresh.empty()) ListExtracted(fresh, std::string(), files);
}

int CanPlaceExtracted(const std::string& nativeFolder, const std::string& rel) {
  if (PlaceExtracted(std::string(), nativeFolder, rel, false)) return 1;
  SetLastError(ERROR_INVALID_DATA);
  return 0;
}

int SealRestore(const std::string& fresh) {
  if (fresh.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  std::vector<std::string> files;
  ListExtracted(fresh, std::string(), files);
  for (const std::string& rel : files) {
    if (rel.find('/') == std::string::npos) continue;  // the set's files are synced where they are written
    const int fd = open(In(fresh, rel).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const bool synced = fd >= 0 ? SyncFile(fd) != FALSE : (SetLastErrorFromErrno(errno), false);
    if (fd >= 0) close(fd);
    if (!synced) return 0;
  }
  const int fd = open(In(fresh, kRestoreSealed).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return 0;
  }
  const bool synced = SyncFile(fd) != FALSE;
  close(fd);
  return synced && SyncFolder(fresh);
}

void FinishRestore(const std::string& folder, bool place, const CRestoreFolder* opened) {
  struct stat st;
  if (!opened && lstat(In(folder, g_szRestoreFolder).c_str(), &st) != 0) return;
  const DWORD error = GetLastError();
  const std::unique_ptr<CRestoreFolder> byName(opened ? nullptr : new CRestoreFolder(folder));
  const std::string& fresh = (opened ? opened : byName.get())->GetPath();
  std::vector<std::string> files, names, below;
  if (!fresh.empty()) ListExtracted(fresh, std::string(), files);
  for (const std::string& rel : files) (rel.find('/') == std::string::npos ? names : below).push_back(rel);
  // Not while a record stays: the temporaries it names are what would complete its set.
  const bool recorded = HasSetRecord(folder);
  // The set is in place when the folder's files are those extracted: the files below it follow.
  bool placed = place && !recorded && !below.empty() && IsPlainFile(In(fresh, kRestoreSealed));
  for (size_t i = 0; placed && i < names.size(); ++i) {
    CSaveFileIdentity extracted, there;
    placed = GetSaveFileIdentity(In(fresh, names[i]), extracted) == 1 &&
             GetSaveFileIdentity(ResolvePath(In(folder, names[i]).c_str()), there) == 1 && extracted == there;
  }
  std::vector<std::string> parents;
  for (size_t i = 0; placed && i < below.size(); ++i) {
    RestoreStep(4 + (int)i);
    if (PlaceExtracted(In(fresh, below[i]), folder, below[i], true))
      parents.push_back(ParentOf(ResolvePath(In(folder, below[i]).c_str())));
  }
  std::sort(parents.begin(), parents.end());
  parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
  for (const std::string& parent : parents) SyncFolder(parent);
  if (!names.empty() && !recorded) RemoveSaveLeftovers(folder, names);
  RemoveTreeExact(AT_FDCWD, In(folder, g_szRestoreFolder).c_str());
  SetLastError(error);
}
