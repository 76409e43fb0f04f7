#include "kernel/values/ConfigFile.h"

#include "kernel/setup/RestorePlacement.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/values/Utilities.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

// ---- Sets of files replaced as one ----------------------------------------------------------
//
// Before the first target is replaced, a record of the set is put in place whole. It names, for each
// file, its temporary, its target and the copy of its old file, all by plain name in the folder, and
// what tells the new file from any other: its size and a checksum of its content, which a copy of
// the folder keeps. A reader or saver that finds the record under the folder's lock completes the
// set from the temporaries left; one that finds it renamed to the undo record puts the old files
// back. Both are safe to repeat, and neither acts on a file other than the one the record
// describes. A record that names anything but the save's own plain files in its folder, or of whose
// set nothing is found, is set aside unread; one whose set is there in part, but not as the record
// describes it, refuses the folder rather than let it load a mix.

void (*g_pfnConfigCommitStep)(int step) = nullptr;

const char* const g_pszSaveOwnFiles[] = {"~save.journal", "~undo.journal", "*.~dvx-??????", "*.~dvx-old", "*.~dvx-aside", "*.~dvx-aside?"};
const int g_nSaveOwnFiles = (int)(sizeof g_pszSaveOwnFiles / sizeof g_pszSaveOwnFiles[0]);

bool IsSaveOwnFile(const char* name) {
  for (const char* pattern : g_pszSaveOwnFiles)
    if (name && MatchFilePattern(pattern, name)) return true;
  return false;
}

bool IsSaveLeftover(int dir, const char* name, bool folder) {
  if (!name) return false;
  if (folder) return IsSaveOwnFile(name);
  // Records, their temporaries and those set aside are the save's by their names alone: a restore
  // never carries another folder's record in. A temporary or old copy of any other file may be a
  // user's file of that name.
  for (const char* pattern : {"~save.journal", "~undo.journal", "~save.journal.*", "~undo.journal.*"})
    if (MatchFilePattern(pattern, name)) return true;
  return IsSaveTempLeftover(dir, name);
}

namespace {

const char kSetRecord[] = "~save.journal";
const char kUndoRecord[] = "~undo.journal";

std::string In(const std::string& folder, const std::string& name) { return folder + "/" + name; }

// What has the name, looked at without following a link: 1 a plain file, 0 nothing, -1 anything
// else or a name that cannot be looked at.
int Kind(const std::string& path, struct stat* st = nullptr) {
  struct stat own;
  struct stat& s = st ? *st : own;
  if (lstat(path.c_str(), &s) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return 0;
    SetLastErrorFromErrno(errno);
    return -1;
  }
  if (S_ISREG(s.st_mode)) return 1;
  SetLastError(ERROR_ACCESS_DENIED);
  return -1;
}

// A record stands at `path`: anything but a folder. A folder under a record's name is no record.
bool RecordAt(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode) : errno != ENOENT && errno != ENOTDIR;
}

const char kAsideMark[] = ".~dvx-aside";
// No set has more files; a record naming more is none of ours, and is not read further.
constexpr size_t kMaxSetFiles = 4096;
// Nor has any set more bytes, one file or all together: a record naming more is none of ours and
// none of what it names is read, so that a planted record cannot make each load read gigabytes.
constexpr unsigned long long kMaxSetBytes = 256ull << 20;
constexpr long long kMaxRecordBytes = (long long)kMaxSetFiles * (3 * 256 + 3 * 21 + 8) + 8;

struct Replacement {
  // Names in the folder; old empty when there was no old file. A removal has no temporary (and no
  // new file): the target goes, its old copy kept until the set is complete.
  std::string temp, target, old;
  CSaveFileIdentity made;         // the new file
  // A record of the earlier form named the new file by inode, size and time of the last change; of
  // these a copy keeps the size and, copied with its times (cp -a), the time.
  bool byTime = false;
  long long modified = 0;
  // A file the set leaves as it is (`made`) but for its permissions: `mode` in place of `oldMode`.
  bool modeOnly = false;
  unsigned mode = 0, oldMode = 0;

  bool IsRemoval() const { return temp.empty() && !modeOnly; }
  bool HasTemp() const { return !temp.empty(); }
};
using ReplacementSet = std::vector<Replacement>;

void CommitStep(int step) {
  if (g_pfnConfigCommitStep) g_pfnConfigCommitStep(step);
}

// The folder as the file system knows it, without a trailing separator.
std::string WithoutTrailingSlash(std::string f) {
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  return f;
}

std::string NativeFolder(const char* folder) { return WithoutTrailingSlash(ResolvePath(ResolveConfigFileName(folder))); }

// The folder as messages show it.
CString ShownFolder(const char* folder) {
  CString f = ShownFileName(folder);
  while (f.GetLength() > 1 && f.Right(1) == "/") f = f.Left(f.GetLength() - 1);
  return f;
}

// A name of a file directly in the folder: no separator, no drive, not "." or "..".
bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  if (name.find_first_of(std::string("/\\\t\r\n\0", 6)) != std::string::npos) return false;
  return !IsAbsolutePath(name.c_str());
}

bool ReadNumber(const CString& field, unsigned long long& out) {
  const std::string& s = field.str();
  if (s.empty() || s.size() > 20 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  out = strtoull(s.c_str(), nullptr, 10);
  return errno == 0;
}

bool ReadMode(const CString& field, unsigned& out) {
  const std::string& s = field.str();
  if (s.empty() || s.size() > 4 || s.find_first_not_of("01234567") != std::string::npos) return false;
  // A record never makes a file set-id or sticky, whoever wrote it.
  out = (unsigned)strtoul(s.c_str(), nullptr, 8) & 0777;
  return true;
}

bool ReadChecksum(const CString& field, unsigned long long& out) {
  const std::string& s = field.str();
  if (s.size() != 16 || s.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
  out = strtoull(s.c_str(), nullptr, 16);
  return true;
}

std::string Number(unsigned long long v) { return std::to_string(v); }

// 1 when `path` is the set's new file `r.made`, 2 when it is another plain file, else as Kind. The
// content is read only where the size agrees.
int Match(const std::string& path, const Replacement& r) {
  struct stat st;
  const int kind = Kind(path, &st);
  if (kind != 1) return kind;
  if ((unsigned long long)st.st_size != r.made.size) return 2;
  if (r.byTime) return (long long)st.st_mtim.tv_sec * 1000000000ll + st.st_mtim.tv_nsec == r.modified ? 1 : 2;
  CSaveFileIdentity id;
  const int read = GetSaveFileIdentity(path, id);
  return read != 1 ? read : id == r.made ? 1 : 2;
}

// A record stands under `name` in the folder open as `dirFd`, as RecordAt.
bool RecordIn(int dirFd, const char* name) {
  struct stat st;
  return fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? !S_ISDIR(st.st_mode) : errno != ENOENT && errno != ENOTDIR;
}

// Under the first set-aside name that takes it: one that a folder of that name (or a record that is
// a folder) refuses is passed over, so that nothing planted keeps the record's name taken; past
// those, under a name of the save's own letters.
bool SetAside(const std::string& record) {
  for (int n = 0; n < 10; ++n)
    if (RenameExact(record, record + kAsideMark + (n ? std::to_string(n) : std::string()))) return true;
  const DWORD error = GetLastError();
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string aside = NewSaveTempName(record);
    // Never renamed over what the folder holds already.
    if (Kind(aside) == 0 && RenameExact(record, aside)) return true;
  }
  SetLastError(error);
  return false;
}

bool WriteSetRecord(const std::string& folder, const ReplacementSet& set) {
  std::string text;
  char checksum[17];
  for (const Replacement& r : set) {
    snprintf(checksum, sizeof checksum, "%016llx", r.made.checksum);
    text += r.temp + "\t" + r.target + "\t" + r.old + "\t" + Number(r.made.size) + "\t" + checksum;
    if (r.modeOnly) {
      char modes[16];
      snprintf(modes, sizeof modes, "\t%o\t%o", r.mode, r.oldMode);
      text += modes;
    }
    text += "\r\n";
  }
  text += "end\r\n";
  // A folder under the record's name or an old copy's is none of the set's, but it would take the
  // name the set needs: it goes aside, with what it holds.
  const std::string path = In(folder, kSetRecord);
  auto clear = [](const std::string& name) {
    struct stat st;
    if (lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) SetAside(name);
  };
  clear(path);
  for (const Replacement& r : set)
    if (!r.old.empty()) clear(In(folder, r.old));
  if (WriteWholeFile(path, text.data(), text.size())) return true;
  // In place though the folder's sync failed: it goes, lest a reader complete a set that failed.
  const DWORD error = GetLastError();
  if (RecordAt(path)) DeleteExact(path);
  SetLastError(error);
  return false;
}

// The first temporary name of `target` (a path) where nothing has it, else a drawn one; empty, the
// last error set, when none is free.
std::string FreeTempName(const std::string& dir, const std::string& target) {
  std::string name = LastComponent(FirstSaveTempName(target));
  for (int attempt = 0; attempt < 16 && Kind(In(dir, name)) != 0; ++attempt) name = LastComponent(NewSaveTempName(target));
  if (Kind(In(dir, name)) == 0) return name;
  SetLastError(ERROR_FILE_EXISTS);
  return std::string();
}

// The old copy's own name, or, where a user's file has that, a drawn name of the save's own other
// than the first temporary name and the set's temporary.
bool IsOldCopyName(const std::string& name, const Replacement& r) {
  return name == SaveOldCopyName(r.target) ||
         (IsSaveTempName(name, r.target) && name != r.temp && name != FirstSaveTempName(r.target));
}

// Where the set keeps the old `target` of the folder `dir` until it is complete: never in the place of
// whatever has the name already (a user's file, link or folder). Empty, the last error set, when no
// name is free.
std::string FreeOldCopyName(const std::string& dir, const std::string& target) {
  const std::string own = SaveOldCopyName(target);
  if (Kind(In(dir, own)) == 0) return own;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string drawn = LastComponent(NewSaveTempName(In(dir, target)));
    if (drawn != FirstSaveTempName(target) && Kind(In(dir, drawn)) == 0) return drawn;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return std::string();
}

// True for a whole record of our form, or of the earlier form (ours are always readable); false for
// anything else.
bool ReadSetRecord(const std::string& file, ReplacementSet& set) {
  set.clear();
  struct stat st;
  if (Kind(file, &st) != 1 || (long long)st.st_size > kMaxRecordBytes) return false;
  FILE* f = fopen(file.c_str(), "rb");
  if (!f) return false;
  CString line;
  int lineNumber = 0;
  bool whole = false;
  std::vector<std::string> targets;
  unsigned long long bytes = 0;
  while (!whole && ReadLine(f, line, lineNumber)) {
    if (line == "end") {
      whole = true;
      break;
    }
    if (set.size() == kMaxSetFiles) break;
    std::vector<CString> fields;
    for (int from = 0;;) {
      const int tab = line.Find('\t', from);
      fields.push_back(tab < 0 ? line.Mid(from) : line.Mid(from, tab - from));
      if (tab < 0 || fields.size() > 7) break;
      from = tab + 1;
    }
    Replacement r;
    unsigned long long inode = 0, modified = 0;
    if (fields.size() == 5 || fields.size() == 7) {
      if (!ReadNumber(fields[3], r.made.size) || !ReadChecksum(fields[4], r.made.checksum)) break;
      r.modeOnly = fields.size() == 7;
      if (r.modeOnly && (!fields[0].IsEmpty() || !fields[2].IsEmpty() || !ReadMode(fields[5], r.mode) || !ReadMode(fields[6], r.oldMode)))
        break;
    } else if (fields.size() == 6) {
      if (!ReadNumber(fields[3], inode) || !ReadNumber(fields[4], r.made.size) || !ReadNumber(fields[5], modified)) break;
      r.byTime = true;
      r.modified = (long long)modified;
    } else {
      break;
    }
    r.temp = fields[0].str();
    r.target = fields[1].str();
    r.old = fields[2].str();
    if (!IsPlainName(r.target) || (!r.old.empty() && !IsOldCopyName(r.old, r))) break;
    if (r.IsRemoval() ? r.old.empty() || r.byTime || r.made.size != 0 : !r.modeOnly && !IsSaveTempName(r.temp, r.target)) break;
    bytes += r.made.size;
    if (r.made.size > kMaxSetBytes || bytes > kMaxSetBytes) break;
    targets.push_back(r.target);
    set.push_back(std::move(r));
  }
  if (f) fclose(f);
  std::sort(targets.begin(), targets.end());
  if (!whole || std::adjacent_find(targets.begin(), targets.end()) != targets.end()) {
    set.clear();
    return false;
  }
  return true;
}

enum class Verdict { kDescribes, kForeign, kPartOfAnother, kNoneInPlace, kComplete };

// Whether the plain files `a` and `b` are one file under two names, or two of one content.
bool SameContent(const std::string& a, const std::string& b) {
  struct stat x, y;
  if (lstat(a.c_str(), &x) != 0 || lstat(b.c_str(), &y) != 0 || !S_ISREG(x.st_mode) || !S_ISREG(y.st_mode)) return false;
  if (x.st_dev == y.st_dev && x.st_ino == y.st_ino) return true;
  CSaveFileIdentity p, q;
  return x.st_size == y.st_size && GetSaveFileIdentity(a, p) == 1 && GetSaveFileIdentity(b, q) == 1 && p == q;
}

// The plain file `path` (never through a link) given `mode`; a file its owner may not read too.
bool GiveMode(const std::string& path, unsigned mode) {
  const int fd = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  int err = fd < 0 || fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? EACCES : 0;
  if (!err && (st.st_mode & 07777) != mode && chmod(DescriptorPath(fd).c_str(), mode) != 0) err = errno;
  if (fd >= 0) close(fd);
  if (err) SetLastErrorFromErrno(err);
  return err == 0;
}

// Each file the set leaves as it is, while it still is, given its mode after the set (`after`) or
// before it.
bool ChangeModes(const std::string& folder, const ReplacementSet& set, bool after) {
  bool ok = true;
  for (const Replacement& r : set)
    if (r.modeOnly && Match(In(folder, r.target), r) == 1 && !GiveMode(In(folder, r.target), after ? r.mode : r.oldMode))
      ok = false;
  return ok;
}

// How the record stands to the files. It describes them when each new file is still its temporary
// or has become its target (for a set being undone, one may be neither: it was put back already);
// a target to remove may be there or gone. It is foreign when it names anything but plain files (a
// link, a folder), or when nothing of its set is there: no temporary, no new file, no old copy
// that its target still is. Where every target is provably still the old file (its kept copy, or,
// no copy made yet, the file the save found), whatever temporaries a power cut lost, undoing leaves
// the whole old set. Else the folder holds part of a set that the record does not describe (a copy
// that lost some of its files, a target changed after the save stopped): neither completed nor
// undone, it would load as a mix. A record whose targets are all its new files, though its
// temporaries' names were taken since, describes a complete set.
Verdict Judge(const std::string& folder, const ReplacementSet& set, bool undoing) {
  struct Seen {
    int temp, target, old;
  };
  std::vector<Seen> seen;
  seen.reserve(set.size());
  // Copies are made in the set's order before any target is replaced, and dropped only once every
  // target is: while a temporary is left, a copy missing past the last one made was not made yet.
  size_t copiesMade = 0;
  bool tempLeft = false;
  for (const Replacement& r : set) {
    Seen s{0, 0, r.old.empty() ? 0 : Kind(In(folder, r.old))};
    if (r.IsRemoval()) {
      s.target = Kind(In(folder, r.target));
    } else if (r.HasTemp()) {
      s.temp = Match(In(folder, r.temp), r);
      s.target = Match(In(folder, r.target), r);
    }
    if (s.temp < 0 || s.target < 0 || s.old < 0) return Verdict::kForeign;
    if (s.old == 1) copiesMade = seen.size() + 1;
    tempLeft = tempLeft || s.temp == 1;
    seen.push_back(s);
  }
  bool describes = true, found = false, allOld = true, allNew = true, onlyAdded = true;
  for (size_t i = 0; i < set.size(); ++i) {
    const Replacement& r = set[i];
    const Seen& s = seen[i];
    // Its mode is given or taken back with whatever the set comes to.
    if (r.modeOnly) continue;
    onlyAdded = onlyAdded && r.old.empty() && !r.IsRemoval();
    const bool notCopiedYet = !r.old.empty() && s.old == 0 && tempLeft && i >= copiesMade;
    // A record of the earlier form knows its new files by time, which a copy may not keep: none of
    // its targets is known to be old.
    const bool old = r.byTime ? false
                     : r.old.empty() ? s.target == 0
                                     : s.target != 0 && (s.old == 1 ? SameContent(In(folder, r.target), In(folder, r.old)) : notCopiedYet);
    allOld = allOld && old;
    allNew = allNew && (r.IsRemoval() ? s.target == 0 : s.target == 1 && !r.byTime);
    // A kept copy that its target still is belongs to the set too.
    found = found || (old && s.old == 1);
    if (r.IsRemoval()) continue;
    found = found || s.temp != 0 || s.target == 1;
    if (s.temp != 0 ? s.temp != 1 : !undoing && s.target != 1) describes = false;
  }
  if (describes) return Verdict::kDescribes;
  // Every target the new file, whatever has a temporary's name since (the next save's own).
  if (allNew && !undoing) return Verdict::kComplete;
  // New files only, none there: a save stopped before its files had their names, which a record
  // gives a file made without one, or a power cut took them.
  if (!found && allOld && onlyAdded) return Verdict::kNoneInPlace;
  if (!found) return Verdict::kForeign;
  return allOld ? Verdict::kNoneInPlace : Verdict::kPartOfAnother;
}

// The set's change to `r` is made: its new file is in place, or the file it removes is gone. A file
// left as it is counts with neither: its mode follows the others.
bool IsPlaced(const std::string& folder, const Replacement& r) {
  if (r.modeOnly) return false;
  if (r.IsRemoval()) return Kind(In(folder, r.target)) == 0;
  return Kind(In(folder, r.temp)) == 0 && Match(In(folder, r.target), r) == 1;
}

// True when every change of the set is made, or none is: the folder holds one whole set.
bool IsWhole(const std::string& folder, const ReplacementSet& set) {
  size_t placed = 0, changes = 0;
  for (const Replacement& r : set) {
    changes += !r.modeOnly;
    placed += IsPlaced(folder, r);
  }
  return placed == 0 || placed == changes;
}

void DropOldCopies(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set)
    if (!r.old.empty()) DeleteExact(In(folder, r.old));
}

// True when every change made has its old file beside it, to be put back.
bool CanUndo(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set) {
    if (r.old.empty() || !IsPlaced(folder, r)) continue;
    if (Kind(In(folder, r.old)) != 1) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
  }
  return true;
}

// Puts the old files back and drops the new ones not yet in place; a target that is no longer the
// set's new file is left as it stands. Nothing is done when an old file is missing.
bool Undo(const std::string& folder, const ReplacementSet& set) {
  if (!CanUndo(folder, set)) return false;
  bool ok = true;
  for (const Replacement& r : set) {
    if (!IsPlaced(folder, r)) continue;
    if (!(r.old.empty() ? DeleteExact(In(folder, r.target)) : RenameExact(In(folder, r.old), In(folder, r.target))))
      ok = false;  // without an old file, the target is one the set added
  }
  if (!ok || !ChangeModes(folder, set, false)) return false;
  for (const Replacement& r : set)
    if (r.HasTemp()) DeleteExact(In(folder, r.temp));
  DropOldCopies(folder, set);
  return true;
}

// Takes back a set none of whose changes is made (every target still its old file): its
// temporaries and old copies go, and nothing is put back.
void DropUnmade(const std::string& folder, const ReplacementSet& set) {
  ChangeModes(folder, set, false);
  for (const Replacement& r : set)
    if (r.HasTemp()) DeleteExact(In(folder, r.temp));
  DropOldCopies(folder, set);
}

// Puts the new files that are still beside their targets in place, and removes what the set removes.
bool Complete(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set) {
    if (r.IsRemoval()) {
      if (Kind(In(folder, r.target)) == 1 && !DeleteExact(In(folder, r.target))) return false;
      continue;
    }
    if (!r.HasTemp() || Kind(In(folder, r.temp)) != 1) continue;
    // A read-only file is not replaced, as a save would not replace it.
    const DWORD attr = GetFileAttributes(In(folder, r.target).c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (!RenameExact(In(folder, r.temp), In(folder, r.target))) return false;
  }
  return ChangeModes(folder, set, true);
}

void ShowUnfinished(const char* folder, DWORD error) {
  SetLastError(error);
  CString text = GetLastErrorText();
  text.TrimRight("\r\n");
  ShowKernelMessage(MB_ICONEXCLAMATION, 20029, ShownFolder(folder).GetString(), text.GetString());
}

enum class Recovery { kDone, kRefused, kRecordLeft };

// Removes a record once what it describes is done: the renames reach the disk before the record
// goes, and its removal after, so that a power cut never keeps a record of a set half done.
bool DropRecord(const std::string& folder, const std::string& record) {
  return SyncFolder(folder) && DeleteExact(record) && SyncFolder(folder);
}

// Reads the record found at `record` (`undoing`: the undo record) into `set` and judges it. A
// record of none of ours is set aside; one of which the folder holds only part is refused, its box
// shown.
Verdict Examine(const char* shown, const std::string& folder, const std::string& record, bool undoing,
                ReplacementSet& set) {
  // What the stopped save left beside its files is looked for again.
  ForgetSweptLeftovers(folder);
  const Verdict verdict = ReadSetRecord(record, set) ? Judge(folder, set, undoing) : Verdict::kForeign;
  if (verdict == Verdict::kPartOfAnother) ShowUnfinished(shown, ERROR_INVALID_DATA);
  if (verdict == Verdict::kForeign) SetAside(record);
  return verdict;
}

// Completes or undoes what a stopped save left in the folder (into `set`, the set its record
// describes). Refused (the box shown) when the set can be neither completed nor undone and the folder
// holds part of it; a record that stays beside a whole set leaves its reason in the last error.
Recovery RecoverRecordedSet(const char* shown, const std::string& folder, ReplacementSet& set) {
  const std::string undo = In(folder, kUndoRecord), record = In(folder, kSetRecord);
  Recovery result = Recovery::kDone;
  const bool undoFound = RecordAt(undo);
  if (undoFound) {
    const Verdict verdict = Examine(shown, folder, undo, true, set);
    if (verdict == Verdict::kPartOfAnother) return Recovery::kRefused;
    if (verdict != Verdict::kForeign) {
      bool done = Undo(folder, set);
      // With an old file lost, the set is completed instead, where it can be.
      if (!done && !CanUndo(folder, set) && Complete(folder, set)) {
        DropOldCopies(folder, set);
        done = true;
      }
      if (!done) {
        const DWORD error = GetLastError();
        if (!IsWhole(folder, set)) {
          ShowUnfinished(shown, error);
          return Recovery::kRefused;
        }
        SetLastError(error);
        result = Recovery::kRecordLeft;
      } else if (!DropRecord(folder, undo)) {
        result = Recovery::kRecordLeft;
      }
    }
  }
  if (!RecordAt(record)) return undoFound && RecordAt(undo) ? Recovery::kRecordLeft : result;
  const Verdict verdict = Examine(shown, folder, record, false, set);
  if (verdict == Verdict::kPartOfAnother) return Recovery::kRefused;
  if (verdict == Verdict::kForeign) return RecordAt(record) ? Recovery::kRecordLeft : result;
  if (verdict == Verdict::kNoneInPlace) {
    if (!RenameExact(record, undo)) return Recovery::kRecordLeft;
    DropUnmade(folder, set);
    return DropRecord(folder, undo) ? result : Recovery::kRecordLeft;
  }
  if (verdict == Verdict::kComplete) {
    if (!ChangeModes(folder, set, true)) return Recovery::kRecordLeft;
    DropOldCopies(folder, set);
    return DropRecord(folder, record) ? result : Recovery::kRecordLeft;
  }
  if (Complete(folder, set)) {
    DropOldCopies(folder, set);
    return DropRecord(folder, record) ? result : Recovery::kRecordLeft;
  }
  // Undone only where every old file is there to be put back; else the record stays, so that the
  // set is completed once it can be.
  const DWORD error = GetLastError();
  if (CanUndo(folder, set) && RenameExact(record, undo) && Undo(folder, set))
    return DropRecord(folder, undo) ? result : Recovery::kRecordLeft;
  if (!IsWhole(folder, set)) {
    ShowUnfinished(shown, error);
    return Recovery::kRefused;
  }
  SetLastError(error);
  return Recovery::kRecordLeft;
}

// RecoverRecordedSet, then what the stopped save's files left beside their targets: the marks that
// record the first temporary names of its new files, renamed into place or gone by now.
Recovery RecoverSet(const char* shown, const std::string& folder) {
  ReplacementSet set;
  const Recovery result = RecoverRecordedSet(shown, folder, set);
  if (result == Recovery::kDone && !set.empty()) {
    std::vector<std::string> targets;
    for (const Replacement& r : set) targets.push_back(r.target);
    RemoveSaveLeftovers(folder, targets);
  }
  return result;
}

}  // namespace

int RecoverStoppedSave(const char* shown, const std::string& nativeFolder) {
  return RecoverSet(shown, nativeFolder) != Recovery::kRefused;
}

bool HasSetRecord(const std::string& nativeFolder) {
  return RecordAt(In(nativeFolder, kSetRecord)) || RecordAt(In(nativeFolder, kUndoRecord));
}

namespace {

Recovery RecoverFolder(const char* shown, const std::string& folder) {
  const Recovery result = RecoverSet(shown, folder);
  if (result == Recovery::kDone) FinishRestore(folder, true);
  return result;
}

// The set's record names files of its own folder only: a file that a link leads elsewhere is not
// replaced with the others, nor is one of the save's own files. `checkedParent` is a folder known
// to be `dir`.
bool IsSetTarget(const std::string& dir, const std::string& replaced, std::string& checkedParent) {
  const std::string name = LastComponent(replaced), parent = ParentOf(replaced);
  if (!IsPlainName(name) || IsSaveOwnFile(name.c_str()) || (parent != checkedParent && !IsSameFolder(parent, dir)))
    return false;
  checkedParent = parent;
  return true;
}

}  // namespace

CConfigFolderLock::CConfigFolderLock(const char* folder) : m_lock(ShownFileName(folder)) {
  while (m_lock.IsBusy()) {
    if (ShowKernelMessage(MB_RETRYCANCEL | MB_ICONEXCLAMATION, 20024, ShownFolder(folder).GetString()) != IDRETRY) {
      m_refused = true;
      return;
    }
    m_lock.Retry();
  }
  if (!m_lock.IsLocked()) {
    m_native = NativeFolder(folder);
    return;
  }
  m_native = WithoutTrailingSlash(m_lock.GetNativePath());  // looked up once, by the lock
  // A nested hold finds the folder complete already.
  if (!m_lock.IsOutermost()) return;
  // Most holds find nothing to complete: looked up from the folder's own descriptor, and a folder
  // without sub-folders holds no restore's folder.
  const int fd = m_lock.GetDescriptor();
  if (fd >= 0 && !RecordIn(fd, kUndoRecord) && !RecordIn(fd, kSetRecord)) {
    if (m_lock.MayHoldFolders()) FinishRestore(m_native, true);
    return;
  }
  m_refused = RecoverFolder(folder, m_native) == Recovery::kRefused;
}

int CommitConfigFiles(const char* folder, std::initializer_list<CConfigFileWriter*> files) {
  return CommitConfigFiles(folder, std::vector<CConfigFileWriter*>(files));
}

int CommitConfigFiles(const char* folder, const std::vector<CConfigFileWriter*>& files,
                      const std::vector<CString>& removals) {
  CConfigFolderLock lock(folder);
  if (lock.IsRefused()) return 0;
  const std::string& dir = lock.GetNativeFolder();
  // No set is saved over one that a record still describes.
  if (RecordAt(In(dir, kSetRecord)) || RecordAt(In(dir, kUndoRecord))) {
    const Recovery again = RecoverFolder(folder, dir);
    if (again == Recovery::kRecordLeft) ShowUnfinished(folder, GetLastError());
    if (again != Recovery::kDone) return 0;
  }
  // Refused before anything is replaced, the failed write shown with `error` as its cause.
  auto refuse = [](const CString& shown, DWORD error) {
    SetLastError(error);
    ShowWriteFailure(shown);
    return 0;
  };
  for (CConfigFileWriter* w : files) w->m_save.StartSync();
  ReplacementSet set;
  std::vector<CString> shown;  // each change of the set as its messages name it
  std::vector<CConfigFileWriter*> writers;
  std::vector<std::string> names{kSetRecord}, due;
  std::string checkedParent = dir;
  std::unordered_set<std::string> seen;
  unsigned long long bytes = 0;
  ReplacementSet modes;  // files left as they are but for their permissions, with their names
  std::vector<CString> modesShown;
  for (CConfigFileWriter* w : files) {
    if (w->m_refused) return 0;  // its box was shown when it was made
    const CString& target = w->m_save.GetTarget();
    if (w->m_save.GetTempName() == target) continue;  // written in place
    const std::string& path = w->m_save.GetNativeTarget();
    const std::string name = LastComponent(path);
    // Nor is a target that a link makes another target of the set: one file would take the bytes of two.
    if (!IsSetTarget(dir, path, checkedParent) || !seen.insert(name).second) return refuse(w->m_name, ERROR_NOT_SUPPORTED);
    // Refused as the replacement itself would refuse it, before anything is replaced.
    struct stat old;
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && (S_ISDIR(old.st_mode) || !(old.st_mode & S_IWUSR))) return refuse(w->m_name, ERROR_ACCESS_DENIED);
    // A set completed by the next reader after a stop is renamed as it stands.
    if (exists) w->m_save.TakeOldPermissions(old.st_mode);
    Replacement r{LastComponent(w->m_save.GetTempName().GetString()), name, std::string(), {}};
    if (!GetSaveFileIdentity(w->m_save.GetDescriptor(), r.made)) {
      ShowWriteFailure(w->m_name);
      return 0;
    }
    names.push_back(name);
    // A file whose content does not change stays out of the set: after a stop it would be both its
    // old and its new file, and tell nothing of how far the set got.
    CSaveFileIdentity found;
    if (exists && S_ISREG(old.st_mode) && (unsigned long long)old.st_size == r.made.size &&
        GetSaveFileIdentity(path, found) == 1 && found == r.made) {
      // It still takes the permissions its writer was given (a restore's from its archive), with
      // the set: a set refused or stopped leaves it its own.
      struct stat made;
      if (fstat(w->m_save.GetDescriptor(), &made) == 0 && (made.st_mode & 07777) != (old.st_mode & 07777)) {
        r.temp.clear();
        r.old.clear();
        r.modeOnly = true;
        r.mode = made.st_mode & 07777;
        r.oldMode = old.st_mode & 07777;
        modes.push_back(std::move(r));
        modesShown.push_back(w->m_name);
      }
      if (w->m_save.FoundFirstNameTaken()) due.push_back(name);
      w->m_save.Discard();
      continue;
    }
    if (exists && (r.old = FreeOldCopyName(dir, name)).empty()) return refuse(w->m_name, GetLastError());
    // No more than a record may name: a larger set would be taken for none of ours after a stop.
    bytes += r.made.size;
    if (bytes > kMaxSetBytes) return refuse(w->m_name, ERROR_NOT_SUPPORTED);
    // The record names it: a file made without a name takes a free one once the record is on the disk.
    r.temp = w->m_save.IsUnnamed() ? FreeTempName(dir, path) : LastComponent(w->m_save.GetTempName().GetString());
    if (r.temp.empty()) return refuse(w->m_name, GetLastError());
    // On the disk before the record that lets a reader complete the set from it.
    if (!w->m_save.Sync()) return refuse(w->m_name, GetLastError());
    set.push_back(std::move(r));
    shown.push_back(w->m_name);
    writers.push_back(w);
  }
  // Removed with the set, so that a stop brings back none of them unless it brings back every old
  // file. Only a writable plain file of the folder itself goes; anything else stays as it is.
  for (const CString& removed : removals) {
    const std::string path = ResolvePath(ResolveConfigFileName(removed));
    const std::string name = LastComponent(path);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR) ||
        !IsSetTarget(dir, path, checkedParent) || !seen.insert(name).second)
      continue;
    const std::string old = FreeOldCopyName(dir, name);
    if (old.empty()) return refuse(ShownFileName(removed), GetLastError());
    set.push_back(Replacement{std::string(), name, old, {}});
    shown.push_back(ShownFileName(removed));
  }
  for (Replacement& r : modes) {
    bytes += r.made.size;  // read again by whoever completes the set
    if (bytes > kMaxSetBytes) return refuse(modesShown[&r - modes.data()], ERROR_NOT_SUPPORTED);
    set.push_back(std::move(r));
  }
  shown.insert(shown.end(), modesShown.begin(), modesShown.end());
  if (set.size() > kMaxSetFiles) return refuse(shown[kMaxSetFiles], ERROR_NOT_SUPPORTED);
  // What saves stopped before their record was in place left beside these files, where there is a
  // sign of it: listing a large folder costs more than the save.
  std::vector<std::string> live;
  for (const CConfigFileWriter* w : writers) {
    live.push_back(LastComponent(w->m_save.GetTempName().GetString()));
    if (w->m_save.FoundFirstNameTaken()) due.push_back(LastComponent(w->m_save.GetNativeTarget()));
  }
  // A set that writes no record of its own cannot find a stopped one's under the first name.
  struct stat record;
  if (set.empty() && lstat(FirstSaveTempName(In(dir, kSetRecord)).c_str(), &record) == 0) due.push_back(kSetRecord);
  SweepSaveLeftovers(dir, names, due, live, {kSetRecord});
  auto fail = [&](const CString& name) {
    const DWORD error = GetLastError();
    DeleteExact(In(dir, kSetRecord));
    DropOldCopies(dir, set);
    return refuse(name, error);
  };
  CommitStep(-1);
  if (set.empty()) return 1;
  // Completing the set needs no old file, so the copies may follow the record.
  if (!WriteSetRecord(dir, set)) {
    ShowWriteFailure(shown[0]);
    return 0;
  }
  // The record covers the new files' temporaries from now on, in place of their marks; those made
  // without a name take the ones it gives them, on the disk before anything is renamed.
  bool named = false;
  for (size_t i = 0; i < writers.size(); ++i) {
    named = named || writers[i]->m_save.IsUnnamed();
    if (!writers[i]->m_save.NameAs(In(dir, set[i].temp)) || !writers[i]->m_save.DropMark()) return fail(shown[i]);
  }
  if (named && !SyncFolder(dir)) return fail(shown[0]);
  for (size_t i = 0; i < set.size(); ++i)
    if (!set[i].old.empty() && !MakeOldCopy(In(dir, set[i].target), In(dir, set[i].old))) return fail(shown[i]);
  for (size_t i = 0; i < set.size(); ++i) {
    CommitStep((int)i);
    const Replacement& r = set[i];
    if (r.modeOnly ? GiveMode(In(dir, r.target), r.mode)
        : r.IsRemoval() ? DeleteExact(In(dir, r.target))
                        : writers[i]->m_save.Replace())
      continue;
    const DWORD error = GetLastError();
    // The undo record first, so that a stop while the old files go back finishes taking them back.
    const bool recorded = RenameExact(In(dir, kSetRecord), In(dir, kUndoRecord)) != FALSE;
    if (Undo(dir, set)) DeleteExact(In(dir, recorded ? kUndoRecord : kSetRecord));
    return refuse(shown[i], error);
  }
  // The new names and the old copies' removal (completing the set needs none) on the disk before
  // the record goes, and its removal after: no old copy outlives its record. A failed sync is a
  // failed save: the set is in place, but may not survive a power cut; the record stays for the
  // next hold of the lock to settle.
  CommitStep((int)set.size());
  DropOldCopies(dir, set);
  CommitStep((int)set.size() + 1);
  if (!SyncFolder(dir)) return refuse(shown[0], GetLastError());
  // Nor is a save whose record may come back after a power cut done.
  if (!DeleteExact(In(dir, kSetRecord)) || !SyncFolder(dir)) return refuse(shown[0], GetLastError());
  return 1;
}

int CheckConfigSetFile(const char* folder, const char* name) {
  const CString path = ResolveConfigFileName(name);
  if (path.IsEmpty()) return 1;  // the writer's own open tells why
  // Looked up once where the name exists as spelled and is no link.
  std::string native = NativePath(path);
  struct stat st;
  const bool plain = lstat(native.c_str(), &st) == 0 && !S_ISLNK(st.st_mode);
  if (!plain) native = ResolvePath(path);
  const std::string dir = folder ? NativeFolder(folder) : ParentOf(native);
  std::string checked = dir;
  if (IsSetTarget(dir, plain ? native : SaveReplacedFile(native), checked)) return 1;
  SetLastError(ERROR_NOT_SUPPORTED);
  ShowWriteFailure(name);
  return 0;
}
