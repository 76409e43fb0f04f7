#include "kernel/setup/RestorePlacement.h"

#include "kernel/values/ConfigFile.h"
#include "platform/core/FileSystem.h"
#include "platform/core/FolderNames.h"
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

// In a restore's folder: the extraction is whole and its files are on the disk. Named as a save's
// own file, so that no archive brings it.
const char kRestoreSealed[] = "~restore.~dvx-sealed";

void RestoreStep(int step) {
  if (g_pfnRestoreStep) g_pfnRestoreStep(step);
}

// A folder opened from its parent's descriptor without following a link; closed with the object.
struct OpenFolder {
  int fd;
  OpenFolder(int parent, const char* name) : fd(openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}
  ~OpenFolder() {
    if (fd >= 0) close(fd);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
};

struct Entry {
  std::string name;
  bool folder;
};

// What the folder `dir` holds but "." and "..", sorted; plain files and folders only, unless `all`.
std::vector<Entry> List(int dir, bool all = false) {
  std::vector<Entry> entries;
  for (const FolderEntry& e : ListFolder(dir))
    if (all || e.type == DT_DIR || e.type == DT_REG) entries.push_back({e.name, e.type == DT_DIR});
  return entries;
}

// Removes `name` in the folder `parent` with everything in it, never following a link: a link goes
// as itself.
void RemoveTreeExact(int parent, const char* name) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    unlinkat(parent, name, 0);
    return;
  }
  for (const Entry& e : List(fd, true)) RemoveTreeExact(fd, e.name.c_str());
  close(fd);
  unlinkat(parent, name, AT_REMOVEDIR);
}

// As the layer takes a file for read-only.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

// Walks the extracted folder `from` against the folder `to` where its entries go (-1: missing
// there, so all of it goes whole). `top`: the folder restored, whose plain files are the set's.
// Checking (`moves` null), what is named like a save's own file goes and false is returned at the
// first entry that may not go where it belongs. Placing, each entry is moved: whole where nothing
// is in its place, else a folder into the folder there, a file over the plain file there; `to` is
// synced once something moved into it. False when something could not be moved (the rest is).
bool Walk(int from, int to, bool top, int* moves) {
  bool ok = true, moved = false;
  CFolderNames names(to);
  for (const Entry& e : List(from, moves == nullptr)) {
    if (IsSaveLeftover(from, e.name.c_str(), e.folder) || (top && e.name == kRestoreSealed)) {
      if (!moves) RemoveTreeExact(from, e.name.c_str());
      continue;
    }
    // The set's; a user's file named like a save's own cannot be one of a set, which makes such
    // names beside its targets, and is moved in after it.
    if (top && !e.folder && !IsSaveOwnFile(e.name.c_str())) continue;
    struct stat st;
    // As the layer's path look-ups find it: a name in another case is the one replaced.
    const std::string there = to < 0 ? std::string() : names.Find(e.name, e.folder, st);
    bool fits = to < 0 || (there.empty() ? errno == ENOENT
                           : e.folder    ? S_ISDIR(st.st_mode)
                                         : S_ISREG(st.st_mode) && !IsReadOnly(st));
    // Into a folder both hold; and checking, into one that goes whole, for what must not go with it.
    if (fits && e.folder && (!there.empty() || !moves)) {
      const OpenFolder extracted(from, e.name.c_str());
      const std::unique_ptr<OpenFolder> target(there.empty() ? nullptr : new OpenFolder(to, there.c_str()));
      fits = extracted.fd >= 0 && (!target || target->fd >= 0);
      if (fits && !Walk(extracted.fd, target ? target->fd : -1, false, moves)) {
        if (!moves) return false;
        ok = false;  // with the cause the walk below left
        continue;
      }
    } else if (fits && moves) {
      // A file keeps the permissions the archive gave it.
      RestoreStep(4 + (*moves)++);
      if (renameat(from, e.name.c_str(), to, there.empty() ? e.name.c_str() : there.c_str()) == 0) {
        moved = true;
      } else {
        SetLastErrorFromErrno(errno);
        ok = false;
      }
      continue;
    }
    if (fits) continue;
    SetLastError(ERROR_INVALID_DATA);
    if (!moves) return false;
    ok = false;
  }
  if (moved && !SyncFile(to)) ok = false;
  return ok;
}

// Whether the file `name` of the folder `a` and the one of that name in `b` are plain files of one content.
bool SameFile(int a, int b, const std::string& name) {
  CSaveFileIdentity x, y;
  struct stat st;
  CFolderNames names(b);
  const std::string there = names.Find(name, false, st);
  if (there.empty()) return false;
  const int fa = openat(a, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  const int fb = openat(b, there.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat sa, sb;
  const bool same = fa >= 0 && fb >= 0 && fstat(fa, &sa) == 0 && fstat(fb, &sb) == 0 && S_ISREG(sa.st_mode) &&
                    S_ISREG(sb.st_mode) && sa.st_size == sb.st_size && GetSaveFileIdentity(fa, x) &&
                    GetSaveFileIdentity(fb, y) && x == y;
  if (fa >= 0) close(fa);
  if (fb >= 0) close(fb);
  return same;
}

}  // namespace

CRestoreFolder::CRestoreFolder(const std::string& nativeFolder, bool make) {
  m_folder = open(nativeFolder.empty() ? "." : nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_folder < 0) {
    SetLastErrorFromErrno(errno);
    return;
  }
  if (make && mkdirat(m_folder, g_szRestoreFolder, 0700) != 0) {
    SetLastErrorFromErrno(errno);
    return;
  }
  // Made on the disk before anything the restore names beside it: a file system that reorders
  // what it keeps of one folder could keep a mark and lose the folder that settles it.
  if (make && !SyncFile(m_folder)) return;
  m_fd = openat(m_folder, g_szRestoreFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  // A folder another user put under the name is none of this restore's.
  if (m_fd >= 0 && (fstat(m_fd, &st) != 0 || st.st_uid != geteuid())) {
    close(m_fd);
    m_fd = -1;
  }
  if (m_fd >= 0) m_path = DescriptorPath(m_fd);
  else SetLastError(ERROR_ACCESS_DENIED);
}

CRestoreFolder::~CRestoreFolder() {
  if (m_fd >= 0) close(m_fd);
  if (m_folder >= 0) close(m_folder);
}

void GetExtractedFiles(const CRestoreFolder& restore, std::vector<std::string>& names) {
  if (restore.GetDescriptor() < 0) return;
  for (const Entry& e : List(restore.GetDescriptor()))
    if (!e.folder && !IsSaveOwnFile(e.name.c_str())) names.push_back(e.name);
}

int CanPlaceExtracted(const CRestoreFolder& restore) {
  if (restore.GetDescriptor() >= 0 && Walk(restore.GetDescriptor(), restore.GetFolder(), true, nullptr)) return 1;
  SetLastError(ERROR_INVALID_DATA);
  return 0;
}

int SealRestore(const CRestoreFolder& restore) {
  const int fd = restore.GetDescriptor() < 0 ? -1
                 : openat(restore.GetDescriptor(), kRestoreSealed, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastErrorFromErrno(restore.GetDescriptor() < 0 ? ENOENT : errno);
    return 0;
  }
  close(fd);
  // The restore's folder with the mark, then the folder with the restore's folder in it.
  return SyncFile(restore.GetDescriptor()) && SyncFile(restore.GetFolder());
}

int FinishRestore(const std::string& folder, bool place, const CRestoreFolder* opened) {
  struct stat st;
  if (!opened && lstat((folder + "/" + g_szRestoreFolder).c_str(), &st) != 0) return 1;
  const DWORD error = GetLastError();
  const std::unique_ptr<CRestoreFolder> byName(opened ? nullptr : new CRestoreFolder(folder, false));
  const CRestoreFolder& restore = opened ? *opened : *byName;
  const int fresh = restore.GetDescriptor(), dir = restore.GetFolder();
  std::vector<std::string> names;
  GetExtractedFiles(restore, names);
  // Not while a record stays: the temporaries it names are what would complete its set.
  const bool recorded = HasSetRecord(folder);
  // The set is in place when the folder's files are those extracted: what is below it follows.
  const bool sealed = fresh >= 0 && fstatat(fresh, kRestoreSealed, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
  bool placed = place && !recorded && sealed;
  for (size_t i = 0; placed && i < names.size(); ++i) placed = SameFile(fresh, dir, names[i]);
  // Files named like a save's own that the restore brings are the user's, not leftovers to sweep.
  std::vector<std::string> brought;
  if (fresh >= 0)
    for (const Entry& e : List(fresh))
      if (!e.folder && IsSaveOwnFile(e.name.c_str()) && e.name != kRestoreSealed) brought.push_back(e.name);
  int moves = 0;
  const bool ok = !placed || Walk(fresh, dir, true, &moves);
  const DWORD failure = GetLastError();
  if (!names.empty() && !recorded) RemoveSaveLeftovers(folder, names, brought);
  // A sealed extraction stays while a record does: what goes below follows once the set is complete.
  if (dir >= 0 && !(recorded && sealed)) RemoveTreeExact(dir, g_szRestoreFolder);
  SetLastError(ok ? error : failure);
  return ok;
}
