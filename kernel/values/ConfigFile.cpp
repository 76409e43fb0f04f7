#include "kernel/values/ConfigFile.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/setup/RestorePlacement.h"
#include "kernel/values/QuietErrors.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/Ini.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

CString ToKernelPath(std::string dir) {
  for (char& c : dir)
    if (c == '/') c = '\\';
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return CString(dir);
}

// The folder is fixed at first success: the kernel caches it, and tests set it before start-up.
CString FindKernelDirectory() {
  if (const char* env = getenv("DRAVONIX_KERNEL_DIR"); env && *env) return ToKernelPath(env);
  char path[512];
  HMODULE self = AfxModuleOfAddress((const void*)&FindKernelDirectory);
  DWORD n = self ? GetModuleFileName(self, path, sizeof path) : 0;
  if (n == 0 || n >= sizeof path) return CString();
  std::string p(path, n);
  size_t cut = p.find_last_of("/\\");
  if (cut == std::string::npos) return CString();
  return ToKernelPath(p.substr(0, cut));
}

CString Sub(const char* folder) { return GetKernelDirectory() + folder; }

}  // namespace

CString GetKernelDirectory() {
  static std::mutex m;
  static CString dir;
  std::lock_guard<std::mutex> lock(m);
  if (dir.IsEmpty()) dir = FindKernelDirectory();
  return dir;
}

CString GetKernelConfigFilePath() { return Sub("kernel.cfg"); }
CString GetArchivesDirectory() { return Sub("Archives\\"); }
CString GetConfigurationsDirectory() { return Sub("Configurations\\"); }
CString GetFirmwareDirectory() { return Sub("Firmware\\"); }
CString GetGUIDirectory() { return Sub("GUIs\\"); }
CString GetImagesDirectory() { return Sub("Images\\"); }
CString GetMotionModulesDirectory() { return Sub("MotionModules\\"); }
CString GetMotionProceduresDirectory() { return Sub("MotionProcedures\\"); }
CString GetKernelHelpFile() { return Sub("kernel.chm"); }
CString GetZURHelpFile() { return Sub("VKS.chm"); }

CString ReplaceExtensionWithChm(const CString& path) {
  int dot = path.ReverseFind('.');
  int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
  if (dot <= slash) return path + ".chm";
  return path.Left(dot + 1) + "chm";
}

HMODULE GetKernelModuleHandle() { return GetModuleHandle("dravonix.dll"); }

int GetHelpFileOfModule(HINSTANCE module, CString& helpFile) {
  char path[781];
  DWORD n = module ? GetModuleFileName((HMODULE)module, path, sizeof path) : 0;
  if (n == 0 || n >= sizeof path) {
    helpFile.Empty();
    return 0;
  }
  helpFile = ReplaceExtensionWithChm(CString(path, (int)n));
  return 1;
}

CString GetHelpFileOfGUI(CMC_Setup* setup) {
  if (!setup) return CString();
  CString file = setup->GetOption("HelpFile");
  return file.IsEmpty() ? file : ReplaceExtensionWithChm(file);
}

CString ResolveConfigFileName(const char* name) {
  if (name && IsAbsolutePath(name)) return CString(name);
  CString dir = GetKernelDirectory();
  if (dir.IsEmpty()) return CString();
  return dir + (name ? name : "");
}

CString ShownFileName(const char* name) {
  CString resolved = ResolveConfigFileName(name);
  std::string p = NativePath(resolved.IsEmpty() ? name : resolved.GetString());
  p.erase(std::unique(p.begin(), p.end(), [](char a, char b) { return a == '/' && b == '/'; }), p.end());
  return CString(p.c_str());
}

FILE* OpenConfigFile(const char* name, int write) {
  CString path = ResolveConfigFileName(name);
  if (path.IsEmpty()) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20000);
    return nullptr;
  }
  // A folder is not a file, though the C library would open it for reading.
  DWORD attr = GetFileAttributes(path);
  const bool folder = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
  FILE* f = nullptr;
  if (!folder && write) {
    f = fopen(ResolvePath(path).c_str(), "wb");
  } else if (!folder) {
    f = OpenPlainFileToRead(ResolvePath(path).c_str());
  }
  if (!f) ShowKernelMessage(MB_ICONEXCLAMATION, 20001, ShownFileName(path).GetString());
  return f;
}

FILE* OpenPlainFileToRead(const char* nativePath) {
  const int fd = nativePath ? open(nativePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd < 0) return nullptr;
  struct stat st;
  FILE* f = nullptr;
  if (fstat(fd, &st) == 0) {
    if (!S_ISREG(st.st_mode)) errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    else if (fcntl(fd, F_SETFL, 0) == 0) f = fdopen(fd, "rb");
  }
  if (!f) {
    const int err = errno;
    close(fd);
    errno = err;
  }
  return f;
}

void ShowWriteFailure(const char* name) {
  const DWORD cause = GetLastError();
  if (cause == ERROR_SUCCESS || cause == ERROR_ACCESS_DENIED) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20015, name ? name : "");
    return;
  }
  CString text = GetLastErrorText();
  text.TrimRight("\r\n");
  ShowKernelMessage(MB_ICONEXCLAMATION, 20022, name ? name : "", text.GetString());
}

CConfigFileWriter::CConfigFileWriter(const char* name, const char* path)
    : m_name(name ? name : ""), m_save(path ? CString(path) : ResolveConfigFileName(name)) {}

CConfigFileWriter::CConfigFileWriter(const char* name, SetMember)
    : m_name(name ? name : ""),
      m_refused(!CheckConfigSetFile(nullptr, name)),
      m_save(m_refused ? CString() : ResolveConfigFileName(name)) {}

CConfigFileWriter::~CConfigFileWriter() {
  if (m_file) fclose(m_file);
}

FILE* CConfigFileWriter::Open() {
  if (m_refused) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (m_save.GetTarget().IsEmpty()) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20000);
    return nullptr;
  }
  // A folder in the way is not replaced.
  int cause = 0;
  if (!m_save.IsFolder()) {
    // Through the descriptor that created the temporary file, never by its name again.
    m_file = m_save.OpenStream();
    cause = m_file ? 0 : errno;
  }
  if (cause == EACCES || cause == EPERM) {
    // The new file goes beside the old one, so it is the folder that refuses it.
    const int cut = std::max(m_name.ReverseFind('\\'), m_name.ReverseFind('/'));
    ShowKernelMessage(MB_ICONEXCLAMATION, 20023, cut > 0 ? m_name.Left(cut).GetString() : m_name.GetString());
  } else if (!m_file && cause != 0 && cause != ENOENT && cause != ENOTDIR) {
    // Out of space or of inodes, too many open files, write-protected media: the box says so.
    SetLastErrorFromErrno(cause);
    CString text = GetLastErrorText();
    text.TrimRight("\r\n");
    ShowKernelMessage(MB_ICONEXCLAMATION, 20022, m_name.GetString(), text.GetString());
  } else if (!m_file) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20001, m_name.GetString());
  }
  if (!m_file) SetLastErrorFromErrno(cause);
  errno = 0;
  return m_file;
}

int CConfigFileWriter::Close(int written) {
  int cause = written ? 0 : errno;
  if (m_file && fclose(m_file) != 0 && written) {
    written = 0;
    cause = errno;
  }
  m_file = nullptr;
  if (written) return 1;
  SetLastErrorFromErrno(cause);
  ShowWriteFailure(m_name);
  m_save.Discard();
  return 0;
}

int CConfigFileWriter::WriteEntries(int count, const std::function<int(FILE*, int)>& write) {
  FILE* f = Open();
  if (!f) return 0;
  for (int i = 0; i < count; ++i) {
    const int r = write(f, i);
    if (r > 0) continue;
    if (r == 0) return Close(FALSE);
    Close(TRUE);
    ShowKernelMessage(MB_ICONEXCLAMATION, 20004);
    return 0;
  }
  return Close(TRUE);
}

int CConfigFileWriter::Commit() {
  if (m_save.Commit()) return 1;
  ShowWriteFailure(m_name);
  m_save.Discard();
  return 0;
}

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

namespace {

const char kSetRecord[] = "~save.journal";
const char kUndoRecord[] = "~undo.journal";
const char kAsideMark[] = ".~dvx-aside";
// No set has more files; a record naming more is none of ours, and is not read further.
constexpr size_t kMaxSetFiles = 4096;
constexpr long long kMaxRecordBytes = (long long)kMaxSetFiles * (3 * 256 + 3 * 21 + 8) + 8;

struct Replacement {
  std::string temp, target, old;  // names in the folder; old empty when there was no old file
  CSaveFileIdentity made;         // the new file
  // A record of the earlier form named the new file by inode, size and time of the last change; of
  // these a copy keeps the size and, copied with its times (cp -a), the time.
  bool byTime = false;
  long long modified = 0;
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

std::string In(const std::string& folder, const std::string& name) { return folder + "/" + name; }

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

bool ReadChecksum(const CString& field, unsigned long long& out) {
  const std::string& s = field.str();
  if (s.size() != 16 || s.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
  out = strtoull(s.c_str(), nullptr, 16);
  return true;
}

std::string Number(unsigned long long v) { return std::to_string(v); }

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

// A record stands at `path`: anything but a folder. A folder under a record's name is no record.
bool RecordAt(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode) : errno != ENOENT && errno != ENOTDIR;
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
    text += r.temp + "\t" + r.target + "\t" + r.old + "\t" + Number(r.made.size) + "\t" + checksum + "\r\n";
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
  return WriteWholeFile(path, text.data(), text.size()) != FALSE;
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
      if (tab < 0 || fields.size() > 6) break;
      from = tab + 1;
    }
    Replacement r;
    unsigned long long inode = 0, modified = 0;
    if (fields.size() == 5) {
      if (!ReadNumber(fields[3], r.made.size) || !ReadChecksum(fields[4], r.made.checksum)) break;
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
    if (!IsPlainName(r.target) || !IsSaveTempName(r.temp, r.target) || (!r.old.empty() && r.old != SaveOldCopyName(r.target)))
      break;
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

enum class Verdict { kDescribes, kForeign, kPartOfAnother };

// How the record stands to the files. It describes them when each new file is still its temporary
// or has become its target (for a set being undone, one may be neither: it was put back already).
// It is foreign when it names anything but plain files (a link, a folder), or when nothing of its
// set is there: no temporary, no new file. Else the folder holds part of a set that the record does
// not describe (a copy that lost or changed some of its files): neither completed nor undone, it
// would load as a mix.
Verdict Judge(const std::string& folder, const ReplacementSet& set, bool undoing) {
  bool describes = true, found = false;
  for (const Replacement& r : set) {
    const int t = Match(In(folder, r.temp), r);
    const int g = Match(In(folder, r.target), r);
    const int o = r.old.empty() ? 0 : Kind(In(folder, r.old));
    if (t < 0 || g < 0 || o < 0) return Verdict::kForeign;
    found = found || t != 0 || g == 1;
    if (t != 0 ? t != 1 : !undoing && g != 1) describes = false;
  }
  if (describes) return Verdict::kDescribes;
  return found ? Verdict::kPartOfAnother : Verdict::kForeign;
}

// True when every new file of the set is in place, or none is: the folder holds one whole set.
bool IsWhole(const std::string& folder, const ReplacementSet& set) {
  size_t placed = 0;
  for (const Replacement& r : set)
    if (Kind(In(folder, r.temp)) == 0 && Match(In(folder, r.target), r) == 1) ++placed;
  return placed == 0 || placed == set.size();
}

void DropOldCopies(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set)
    if (!r.old.empty()) DeleteExact(In(folder, r.old));
}

// True when every new file in place has its old file beside it, to be put back.
bool CanUndo(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set) {
    if (Kind(In(folder, r.temp)) != 0 || r.old.empty()) continue;
    if (Match(In(folder, r.target), r) == 1 && Kind(In(folder, r.old)) != 1) {
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
    if (Kind(In(folder, r.temp)) != 0) continue;  // not replaced
    if (Match(In(folder, r.target), r) != 1) continue;
    if (!(r.old.empty() ? DeleteExact(In(folder, r.target)) : RenameExact(In(folder, r.old), In(folder, r.target))))
      ok = false;  // without an old file, the target is one the set added
  }
  if (!ok) return false;
  for (const Replacement& r : set) DeleteExact(In(folder, r.temp));
  DropOldCopies(folder, set);
  return true;
}

// Puts the new files that are still beside their targets in place.
bool Complete(const std::string& folder, const ReplacementSet& set) {
  for (const Replacement& r : set) {
    if (Kind(In(folder, r.temp)) != 1) continue;
    // A read-only file is not replaced, as a save would not replace it.
    const DWORD attr = GetFileAttributes(In(folder, r.target).c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (!RenameExact(In(folder, r.temp), In(folder, r.target))) return false;
  }
  return true;
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
  SyncFolder(folder);
  if (!DeleteExact(record)) return false;
  SyncFolder(folder);
  return true;
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

// Completes or undoes what a stopped save left in the folder. Refused (the box shown) when the set can
// be neither completed nor undone and the folder holds part of it; a record that stays beside a whole
// set leaves its reason in the last error.
Recovery RecoverSet(const char* shown, const std::string& folder) {
  ReplacementSet set;
  const std::string undo = In(folder, kUndoRecord), record = In(folder, kSetRecord);
  Recovery result = Recovery::kDone;
  if (RecordAt(undo)) {
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
  if (!RecordAt(record)) return RecordAt(undo) ? Recovery::kRecordLeft : result;
  const Verdict verdict = Examine(shown, folder, record, false, set);
  if (verdict == Verdict::kPartOfAnother) return Recovery::kRefused;
  if (verdict == Verdict::kForeign) return RecordAt(record) ? Recovery::kRecordLeft : result;
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
  if (m_lock.IsOutermost()) m_refused = RecoverFolder(folder, m_native) == Recovery::kRefused;
}

int CommitConfigFiles(const char* folder, std::initializer_list<CConfigFileWriter*> files) {
  return CommitConfigFiles(folder, std::vector<CConfigFileWriter*>(files));
}

int CommitConfigFiles(const char* folder, const std::vector<CConfigFileWriter*>& files) {
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
  auto refuse = [](CConfigFileWriter* w, DWORD error) {
    SetLastError(error);
    ShowWriteFailure(w->m_name);
    return 0;
  };
  for (CConfigFileWriter* w : files) w->m_save.StartSync();
  ReplacementSet set;
  std::vector<CConfigFileWriter*> writers;
  std::vector<std::string> names{kSetRecord};
  std::string checkedParent = dir;
  std::unordered_set<std::string> seen;
  for (CConfigFileWriter* w : files) {
    if (w->m_refused) return 0;  // its box was shown when it was made
    const CString& target = w->m_save.GetTarget();
    if (w->m_save.GetTempName() == target) continue;  // written in place
    const std::string& path = w->m_save.GetNativeTarget();
    const std::string name = LastComponent(path);
    // Nor is a target that a link makes another target of the set: one file would take the bytes of two.
    if (!IsSetTarget(dir, path, checkedParent) || !seen.insert(name).second) return refuse(w, ERROR_NOT_SUPPORTED);
    // Refused as the replacement itself would refuse it, before anything is replaced.
    struct stat old;
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && (S_ISDIR(old.st_mode) || !(old.st_mode & S_IWUSR))) return refuse(w, ERROR_ACCESS_DENIED);
    // A set completed by the next reader after a stop is renamed as it stands.
    if (exists) w->m_save.TakeOldPermissions(old.st_mode);
    Replacement r{LastComponent(w->m_save.GetTempName().GetString()), name, exists ? SaveOldCopyName(name) : std::string(), {}};
    if (!GetSaveFileIdentity(w->m_save.GetDescriptor(), r.made)) {
      ShowWriteFailure(w->m_name);
      return 0;
    }
    // On the disk before the record that lets a reader complete the set from it.
    if (!w->m_save.Sync()) return refuse(w, GetLastError());
    set.push_back(std::move(r));
    names.push_back(name);
    writers.push_back(w);
  }
  // No more than a record may name: a larger one would be taken for none of ours after a stop.
  if (set.size() > kMaxSetFiles) return refuse(writers[kMaxSetFiles], ERROR_NOT_SUPPORTED);
  // What saves stopped before their record was in place left beside these files.
  // (Once while the folder changes only by this process's saves: listing a large folder costs more
  // than the save.)
  std::vector<std::string> live;
  for (const Replacement& r : set) live.push_back(r.temp);
  long long unchangedSince = writers.empty() ? -1 : writers[0]->m_save.GetFolderChangeTime();
  for (const CConfigFileWriter* w : writers) unchangedSince = std::min(unchangedSince, w->m_save.GetFolderChangeTime());
  SweepSaveLeftovers(dir, unchangedSince, names, live);
  auto fail = [&](CConfigFileWriter* w) {
    const DWORD error = GetLastError();
    DeleteExact(In(dir, kSetRecord));
    DropOldCopies(dir, set);
    return refuse(w, error);
  };
  CommitStep(-1);
  if (set.empty()) return 1;
  // Completing the set needs no old file, so the copies may follow the record.
  if (!WriteSetRecord(dir, set)) {
    ShowWriteFailure(writers[0]->m_name);
    return 0;
  }
  for (size_t i = 0; i < set.size(); ++i)
    if (!set[i].old.empty() && !MakeOldCopy(In(dir, set[i].target), In(dir, set[i].old))) return fail(writers[i]);
  for (size_t i = 0; i < set.size(); ++i) {
    CommitStep((int)i);
    if (writers[i]->m_save.Replace()) continue;
    const DWORD error = GetLastError();
    // The undo record first, so that a stop while the old files go back finishes taking them back.
    const bool recorded = RenameExact(In(dir, kSetRecord), In(dir, kUndoRecord)) != FALSE;
    if (Undo(dir, set)) DeleteExact(In(dir, recorded ? kUndoRecord : kSetRecord));
    return refuse(writers[i], error);
  }
  // The new names on the disk before the record goes, and its removal after.
  const bool synced = SyncFolder(dir) != FALSE;
  CommitStep((int)set.size());
  DropOldCopies(dir, set);
  CommitStep((int)set.size() + 1);
  if (synced && DeleteExact(In(dir, kSetRecord))) SyncFolder(dir);
  SettleSweptLeftovers(dir, unchangedSince);
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

int ExistConfigFile(const char* name) {
  if (!name) return 0;
  CString path = ResolveConfigFileName(name);
  return !path.IsEmpty() && ExistFile(path);
}

namespace {

// Blanks and tabs are trimmed from configuration lines; CRs are dropped wherever they stand.
bool IsTrimmedOrCR(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next physical line in the thread's buffer, without its LF; false at the end of the file.
bool ReadRawLine(FILE* file, const char*& text, size_t& length) {
  // One buffer per thread, grown by getline and kept from line to line.
  thread_local struct Buffer {
    char* p = nullptr;
    size_t size = 0;
    ~Buffer() { free(p); }
  } buffer;
  ssize_t n = getline(&buffer.p, &buffer.size, file);
  if (n <= 0) return false;
  length = (size_t)n;
  if (buffer.p[length - 1] == '\n') --length;
  text = buffer.p;
  return true;
}

// `s` = the text with every CR dropped.
void AssignWithoutCR(const char* text, size_t length, std::string& s) {
  const char* end = text + length;
  const char* cr = length ? (const char*)memchr(text, '\r', length) : nullptr;
  s.assign(text, cr ? (size_t)(cr - text) : length);
  while (cr) {
    const char* from = cr + 1;
    cr = (const char*)memchr(from, '\r', (size_t)(end - from));
    s.append(from, (size_t)((cr ? cr : end) - from));
  }
}

// The configuration text of a physical line: CRs dropped, the comment cut, blanks and tabs trimmed.
// CRs at either end go with the blanks, as they would be dropped before the trimming; inside, the
// text keeps its first and last character, so dropping its CRs leaves nothing to trim.
void CleanConfigLine(const char* text, size_t length, CString& line) {
  if (const void* hash = length ? memchr(text, '#', length) : nullptr) length = (size_t)((const char*)hash - text);
  size_t b = 0;
  while (b < length && IsTrimmedOrCR(text[b])) ++b;
  while (length > b && IsTrimmedOrCR(text[length - 1])) --length;
  AssignWithoutCR(text + b, length - b, line.str());
}

}  // namespace

int ReadLine(FILE*& file, CString& line, int& lineNumber) {
  line.Empty();
  const char* text;
  size_t length;
  if (!file || !ReadRawLine(file, text, length)) return 0;
  ++lineNumber;
  // CRs are dropped wherever they stand; a last line of nothing but CRs still counts as a line.
  AssignWithoutCR(text, length, line.str());
  return 1;
}

int ReadConfigFileLine(FILE*& file, CString& line, int& lineNumber) {
  const char* text;
  size_t length;
  while (file && ReadRawLine(file, text, length)) {
    ++lineNumber;
    CleanConfigLine(text, length, line);
    if (!line.IsEmpty()) return 1;
  }
  if (file) {
    fclose(file);
    file = nullptr;
  }
  line.Empty();
  return 0;
}

int LineFeedsRead(FILE* file, int lineNumber) { return file && feof(file) ? lineNumber - 1 : lineNumber; }
size_t CConfigLineReader::CountLines() {
  long start = ftell(m_file);
  if (start < 0) return 0;
  m_buffer.resize(kBlock);
  size_t lines = 0;
  char last = '\n';
  for (size_t n; (n = fread(m_buffer.data(), 1, m_buffer.size(), m_file)) > 0;) {
    for (const char *p = m_buffer.data(), *end = p + n; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); ++p)
      ++lines;
    last = m_buffer[n - 1];
  }
  clearerr(m_file);
  if (fseek(m_file, start, SEEK_SET) != 0) return 0;
  return lines + (last != '\n');
}

int CConfigLineReader::Next(CString& line, int& lineNumber) {
  for (;;) {
    const char* text = m_buffer.data() + m_begin;
    size_t length = m_end - m_begin;
    const char* lf = length ? (const char*)memchr(text, '\n', length) : nullptr;
    if (!lf && !m_atEnd) {
      Fill();
      continue;
    }
    if (!lf && length == 0) {
      line.Empty();
      return 0;
    }
    if (lf) length = (size_t)(lf - text);
    m_begin += lf ? length + 1 : length;
    ++lineNumber;
    CleanConfigLine(text, length, line);
    if (!line.IsEmpty()) return 1;
  }
}

void CConfigLineReader::Fill() {
  // The unread rest moves to the front; a line longer than the buffer doubles it.
  size_t rest = m_end - m_begin;
  if (m_buffer.empty()) m_buffer.resize(kBlock);
  else if (rest == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
  else if (m_begin) memmove(m_buffer.data(), m_buffer.data() + m_begin, rest);
  m_begin = 0;
  m_end = rest;
  size_t n = fread(m_buffer.data() + m_end, 1, m_buffer.size() - m_end, m_file);
  m_end += n;
  if (n == 0) m_atEnd = true;
}

CString EscapeString(CString text) {
  std::string out;
  out.reserve((size_t)text.GetLength() + 2);
  out += '"';
  for (char c : text.str()) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '#': out += "\\d"; break;
      case '"': out += "\\\""; break;
      default: out += c;
    }
  }
  out += '"';
  return CString(std::move(out));
}

int ReadEscapedStringFromConfigLine(CString& line, CString& out) {
  const std::string& s = line.str();
  if (s.empty() || s[0] != '"') return 0;
  std::string text;
  size_t i = 1;
  for (; i < s.size() && s[i] != '"'; ++i) {
    // A NUL would end the text when it is written back, and the closing quote with it.
    if (s[i] == '\0') return 0;
    if (s[i] != '\\') {
      text += s[i];
      continue;
    }
    if (++i >= s.size() || s[i] == '\0') return 0;
    switch (s[i]) {
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      case 'd': text += '#'; break;
      default: text += s[i];
    }
  }
  if (i >= s.size()) return 0;
  out = CString(std::move(text));
  line = line.Mid((int)i + 1);
  line.TrimLeft(" \t");
  return 1;
}

int ReadLongFromConfigLine(CString& line, LONG& out) {
  const std::string& s = line.str();
  size_t n = 0;
  if (n < s.size() && (s[n] == '+' || s[n] == '-')) ++n;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
  std::string run = s.substr(0, n);
  line = line.Mid((int)n);
  line.TrimLeft(" \t");
  // A number that does not fit in 32 bits is refused rather than wrapped.
  bool digits = run.find_first_of("0123456789") != std::string::npos;
  if (!digits) return 0;
  errno = 0;
  long long v = strtoll(run.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return 0;
  out = (LONG)v;
  return 1;
}

int ReadDoubleFromConfigLine(CString& line, double& out) {
  const std::string& s = line.str();
  size_t n = 0;
  while (n < s.size() && strchr("0123456789.eE+-", s[n]) && s[n]) ++n;
  std::string run = s.substr(0, n);
  line = line.Mid((int)n);
  line.TrimLeft(" \t");
  double v;
  // A number beyond the double range is refused as the integer reader refuses overflow: infinity
  // would be written back in a form no reader takes.
  if (run.empty() || ScanString(run.c_str(), "%lf", &v) != 1 || !std::isfinite(v)) return 0;
  out = v;
  return 1;
}

void LoadCommunicationSettings(int& workOffline, BYTE& flag, BYTE& type, CString& channel, DWORD& baudRate,
                               WORD& hostAddress, WORD& activeAddress, WORD& eepromWriteProtection) {
  CString ini = GetKernelConfigFilePath();
  workOffline = (int)GetPrivateProfileInt("Communication", "WorkOffline", 0, ini);
  BYTE t = (BYTE)GetPrivateProfileInt("Communication", "Type", 0, ini);
  flag = t & 0x80;
  type = t & 0x7F;
  char buf[128];
  GetPrivateProfileString("Communication", "Channel", "COM1", buf, sizeof buf, ini);
  channel = buf;
  baudRate = (DWORD)GetPrivateProfileInt("Communication", "BaudRate", 115200, ini);
  UINT host = GetPrivateProfileInt("Communication", "HostAddress", 255, ini);
  hostAddress = (WORD)(host > 255 ? 255 : host);
  UINT active = GetPrivateProfileInt("Communication", "ActiveAddress", 0, ini);
  activeAddress = (WORD)(active > 255 ? 0 : active);
  UINT prot = GetPrivateProfileInt("Communication", "EEPROMWriteProtection", 0, ini);
  eepromWriteProtection = (WORD)(prot > 3 ? 3 : prot);
}

void SaveCommunicationSettings(int workOffline, BYTE flag, BYTE type, const CString& channel, DWORD baudRate,
                               WORD hostAddress, WORD activeAddress, WORD eepromWriteProtection) {
  CString ini = GetKernelConfigFilePath();
  CString v;
  v.Format("%d", workOffline ? 1 : 0);
  WritePrivateProfileString("Communication", "WorkOffline", v, ini);
  v.Format("%d", flag | type);
  WritePrivateProfileString("Communication", "Type", v, ini);
  WritePrivateProfileString("Communication", "Channel", channel, ini);
  v.Format("%ld", (LONG)baudRate);
  WritePrivateProfileString("Communication", "BaudRate", v, ini);
  if (hostAddress < 256) {
    v.Format("%d", hostAddress);
    WritePrivateProfileString("Communication", "HostAddress", v, ini);
  }
  if (activeAddress < 256) {
    v.Format("%d", activeAddress);
    WritePrivateProfileString("Communication", "ActiveAddress", v, ini);
  }
  if (eepromWriteProtection < 4) {
    v.Format("%d", eepromWriteProtection);
    WritePrivateProfileString("Communication", "EEPROMWriteProtection", v, ini);
  }
}

int IsNetmasterEnabled() {
  return GetPrivateProfileInt("Network", "EnableNetMaster", 0, GetKernelConfigFilePath()) != 0;
}

void GetNetServerAddress(CString& host, int& port) {
  CString ini = GetKernelConfigFilePath();
  char buf[512];
  GetPrivateProfileString("Network", "ServerHost", "localhost", buf, sizeof buf, ini);
  host = buf;
  port = (int)GetPrivateProfileInt("Network", "ServerPort", 1700, ini);
}

void GetNetServerAuth(CString& user, CString& password) {
  char buf[512];
  GetPrivateProfileString("Network", "ServerUserName", "", buf, sizeof buf, GetKernelConfigFilePath());
  user = buf;
  if (user.IsEmpty()) {
    DWORD n = sizeof buf;
    if (GetUserName(buf, &n)) user = buf;
  }
  password.Empty();
}

void SaveNetServerAuth(const CString& user, const CString&) {
  CString ini = GetKernelConfigFilePath();
  WritePrivateProfileString("Network", "ServerUserName", user, ini);
  WritePrivateProfileString("Network", "ServerPassword", nullptr, ini);
}

DWORD GetBuildVersion() {
  FILE* f = OpenConfigFile("update.cfg", 0);
  DWORD best = 0;
  CString line, name;
  int lineNumber = 0;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    DWORD v;
    if (ReadEscapedStringFromConfigLine(line, name) && ScanString(line, "%lu", &v) == 1 && v > best) best = v;
  }
  return best;
}
