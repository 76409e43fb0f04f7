// Win32 file-system and system-information functions over POSIX, with Win32's error numbers.
// Every path goes through ResolvePath (platform/core/Path.h): both separators, no case needed.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Time.h"
#include "platform/core/Types.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

// Error numbers (GetLastError)
#define ERROR_SUCCESS 0
#define NO_ERROR 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_OUTOFMEMORY 14
#define ERROR_INVALID_DATA 13
#define ERROR_INVALID_DRIVE 15
#define ERROR_CURRENT_DIRECTORY 16
#define ERROR_NOT_SAME_DEVICE 17
#define ERROR_NO_MORE_FILES 18
#define ERROR_WRITE_PROTECT 19
#define ERROR_NOT_READY 21
#define ERROR_WRITE_FAULT 29
#define ERROR_READ_FAULT 30
#define ERROR_GEN_FAILURE 31
#define ERROR_SHARING_VIOLATION 32
#define ERROR_LOCK_VIOLATION 33
#define ERROR_HANDLE_EOF 38
#define ERROR_HANDLE_DISK_FULL 39
#define ERROR_NOT_SUPPORTED 50
#define ERROR_FILE_EXISTS 80
#define ERROR_CANNOT_MAKE 82
#define ERROR_INVALID_PARAMETER 87
#define ERROR_OPEN_FAILED 110
#define ERROR_BUFFER_OVERFLOW 111
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_BAD_PATHNAME 161
#define ERROR_BUSY 170
#define ERROR_ALREADY_EXISTS 183
#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_DIRECTORY 267
#define ERROR_MR_MID_NOT_FOUND 317
#define ERROR_NOACCESS 998
#define ERROR_IO_DEVICE 1117
#define ERROR_CANCELLED 1223
#define ERROR_CANT_RESOLVE_FILENAME 1921
#define WSAEWOULDBLOCK 10035
#define WSAECONNRESET 10054
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061

// File attributes
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

// MoveFileEx flags
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define MOVEFILE_WRITE_THROUGH 0x00000008

// FormatMessage flags
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// The calling thread's last error (thread-local, as Win32 keeps it).
DWORD GetLastError();
void SetLastError(DWORD error);
// The Win32 error number for an errno value, and SetLastError of it (for the layer's own code).
DWORD Win32ErrorFromErrno(int err);
void SetLastErrorFromErrno(int err);

// Files and folders. Read-only is the absence of the owner's write permission and is honoured as
// Win32 honours it (a read-only file is neither deleted nor overwritten), whoever runs the process.
BOOL CopyFile(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists);
BOOL DeleteFile(LPCSTR fileName);
// Moves a file or folder; fails with ERROR_ALREADY_EXISTS when the target exists. Files may cross
// file systems (copied, then deleted).
BOOL MoveFile(LPCSTR existingFile, LPCSTR newFile);
BOOL MoveFileEx(LPCSTR existingFile, LPCSTR newFile, DWORD flags);
BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES sa = nullptr);
BOOL RemoveDirectory(LPCSTR pathName);
// DIRECTORY for folders, ARCHIVE for files, READONLY without the owner's write permission, HIDDEN for
// names beginning with a dot; INVALID_FILE_ATTRIBUTES when the path is not found.
DWORD GetFileAttributes(LPCSTR fileName);
// Only READONLY has an effect (it clears or grants write permission).
BOOL SetFileAttributes(LPCSTR fileName, DWORD attributes);
inline DWORD GetFileAttributesA(LPCSTR fileName) { return GetFileAttributes(fileName); }

// The temporary folder ($TMPDIR or /tmp) with a trailing separator. Returns the length, or the size
// needed (with the terminating NUL) when the buffer is too small.
DWORD GetTempPath(DWORD bufferLength, LPSTR buffer);
// Builds "<path>/<first 3 chars of prefix><hex number>.tmp" into `tempFileName` (MAX_PATH bytes). With
// unique 0 a free number is chosen and the file is created empty; otherwise the name is only formed.
// Returns the number used, 0 on failure.
UINT GetTempFileName(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName);
// Return the length, or the size needed (with the NUL) when the buffer is too small; 0 on failure.
DWORD GetCurrentDirectory(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectory(LPCSTR pathName);
// The absolute, normalised native form of a name (no file-system look-up, as in Win32); `filePart`
// receives the start of the last component in `buffer`.
DWORD GetFullPathName(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// FORMAT_MESSAGE_FROM_SYSTEM: Win32's English texts for the common error numbers, each ending in
// "\r\n". Unknown numbers fail with ERROR_MR_MID_NOT_FOUND. FORMAT_MESSAGE_FROM_STRING: the source
// with %1..%99 inserted from `arguments` as strings (or left as they stand with IGNORE_INSERTS).
// FORMAT_MESSAGE_FROM_HMODULE: the message table of the module `source` (null: the main program),
// searched before the system's when both are asked for.
// With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really a char** that receives memory to be
// released with LocalFree. Returns the length of the text, 0 on failure.
DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                    va_list* arguments);
HANDLE LocalFree(HANDLE mem);
// The system's text of an error number (ending in "\r\n"), else "Error code 0x" and the number in hex.
// A text that names a file ("%1 is not a valid Win32 application.") names the one given with the
// last error of that number (SetLastErrorNaming), as the system's own box does. A number the system
// has no text for takes the main program's own message table's (platform/core/Resource.h).
CString ErrorTextOf(DWORD code);
void SetLastErrorNaming(DWORD error, const std::string& name);
// The file named with the last error by SetLastErrorNaming while that error is still the last one;
// empty when none.
std::string LastErrorName();

// The signed-in user; `size` is in: buffer size, out: length with the NUL (or the size needed).
BOOL GetUserName(LPSTR buffer, LPDWORD size);
// The host name up to its first dot; `size` is in: buffer size, out: length without the NUL.
BOOL GetComputerName(LPSTR buffer, LPDWORD size);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// Enumerates the entries of one folder that match a pattern with `*` and `?`, without regard to case.
// A symbolic link has the attributes of what it leads to, and REPARSE_POINT, as Win32 gives them. A
// name holding "\" (no name in Win32) is not listed.
// Entries come sorted without regard to case ("." and ".." first), so every machine sees one order.
// Typical use: `BOOL more = ff.FindFile(p); while (more) { more = ff.FindNextFile(); ... }`.
class CFileFind {
 public:
  CFileFind() = default;
  virtual ~CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // Starts a search; null means "*.*" in the current folder. FALSE when nothing matches.
  virtual BOOL FindFile(LPCSTR name = nullptr, DWORD unused = 0);
  // Moves to the next entry; returns FALSE when that entry is the last one (it is still valid).
  virtual BOOL FindNextFile();
  void Close();

  CString GetFileName() const;
  CString GetFilePath() const;
  CString GetFileTitle() const;
  // The folder searched, as given (the current folder when none was given), without a trailing
  // separator.
  CString GetRoot() const;
  ULONGLONG GetLength() const;
  // Seconds since 1970 (UTC) of the last change.
  BOOL GetLastWriteTime(CTime& time) const;
  BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
  BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
  BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
  BOOL IsArchived() const { return MatchesMask(FILE_ATTRIBUTE_ARCHIVE); }
  BOOL IsNormal() const { return MatchesMask(FILE_ATTRIBUTE_NORMAL); }
  BOOL IsDots() const;
  BOOL MatchesMask(DWORD mask) const;

 private:
  struct Entry {
    std::string name;
    DWORD attributes = 0;
    ULONGLONG length = 0;
    LONGLONG writeTime = 0;
  };
  const Entry* Current() const;

  std::vector<Entry> m_entries;
  std::string m_root;      // as the caller spelled it
  std::string m_nativeRoot;
  char m_separator = '/';
  size_t m_next = 0;       // index of the entry FindNextFile fetches next
  bool m_found = false;    // FindNextFile has fetched an entry
};

// A file written under a temporary name of its own beside its target, which replaces the target
// only on Commit: a save that fails part-way leaves the old file as it was. The temporary file
// (the target's name, ".~dvx-" and six letters or digits: FirstSaveTempName where that is free,
// else drawn by chance; for a target that does not exist, a file without a name where the file
// system makes one, which takes the target's name only as it replaces it, or the one its set's
// record gives it) is created empty when the object is, so that saves of one target in several
// processes never share it, and it stays locked (flock) while the object holds it. It goes when
// the object does, unless it was committed. It is written, given its mode and synced only through the descriptor that created
// it, never opened by name again, so that a link swapped in for the name leads nowhere. A save
// under a drawn name, or of a target that does not exist yet under a name of its own, holds a mark
// beside it (shared flock, the target's last own name) while it lives, and records its
// name there, on the disk, before it makes its file; the mark's first line, its proof, and its name
// are on the disk before it records anything, and no file without that proof is taken for a mark.
// One killed leaves the mark, and the last save to let go of it, or the next save of the target,
// deletes exactly the files the record names that no save holds, then the mark. Through a symbolic
// link the file it leads to is replaced; a device or pipe is written in place (the temporary name
// is the target).
class CSaveBeside {
 public:
  explicit CSaveBeside(LPCSTR target);
  // For a set, whose record names its files: a new target's is made without a name where the file
  // system makes one, and takes the name the record gives it (NameAs); else it has one from the start.
  enum Named { kNamed };
  CSaveBeside(LPCSTR target, Named);
  // For a caller that looked the target up already (ResolvePath) to check it before the save: the
  // name found is taken as it is, so that a folder is not searched twice for another case.
  CSaveBeside(LPCSTR target, const std::string& resolved);
  ~CSaveBeside() { Discard(); }
  CSaveBeside(const CSaveBeside&) = delete;
  CSaveBeside& operator=(const CSaveBeside&) = delete;

  const CString& GetTarget() const { return m_target; }
  // The target as the file system knows it (looked up once, when the object was made).
  const std::string& GetNativeTarget() const { return m_native; }
  const CString& GetTempName() const { return m_temp; }
  // The temporary file's first name (the one a save of the target tries first) was taken when this
  // save made its own: a sign that a save of the target was killed there, or runs beside this one.
  // A save under a drawn name (one that found the first taken) was killed, or runs, too.
  bool FoundFirstNameTaken() const;
  // The target is a folder (a link followed), which no save replaces.
  bool IsFolder() const { return m_folder; }
  // A device or pipe, written in place: the temporary name is the target.
  bool IsInPlace() const { return m_inPlace; }
  // The temporary file's own descriptor, -1 when there is none (or the target is written in place).
  // A save writes, syncs and closes its file only through it: its name is never opened again.
  int GetDescriptor() const { return m_lock; }
  // A descriptor of the caller's own over the temporary file (close-on-exec), -1 with errno set.
  int Duplicate() const;
  // A stream of its own over the temporary file ("wb"; a device or pipe is opened in place), null
  // with errno set. Closing it leaves the save's hold on the file.
  FILE* OpenStream() const;
  // Gives the written temporary file the target's permissions (Commit does so too, unless this was
  // done already); for files that someone other than Commit may put in place. A caller that looked
  // at the target already gives its st_mode.
  static constexpr unsigned kUnknownMode = ~0u;
  void TakeOldPermissions(unsigned oldMode = kUnknownMode) const;
  // Puts what was written on the disk (through the descriptor); FALSE with the last error set.
  BOOL Sync() const;
  // Starts putting it there without waiting: a set starts all its files before it waits for the
  // first, so that the disk takes them in one go.
  void StartSync() const;
  // Replaces the target, the temporary file synced before and the folder after, so that a save
  // that reported success survives a power cut; then deletes what killed saves of the target left
  // beside it (once per process). FALSE with the last error set (the temporary file stays until
  // Discard).
  BOOL Commit();
  // Gives the new file the old one's permissions, syncs it and replaces the target, leaving the
  // folder's sync and the sweep of leftovers to the caller: for one that puts many files in place
  // and syncs their folders once.
  BOOL ReplaceSynced();
  // Replaces the target and syncs nothing: for a set that syncs its files and folder as one.
  BOOL Replace();
  // True while the temporary name still names the file this save made and writes: no link or other
  // file was swapped in for it. Neither Replace nor Discard acts on a name that fails this.
  bool HoldsTempName() const;
  // Made without a name, which NameAs gives it.
  bool IsUnnamed() const { return m_unnamed; }
  // Gives a file made without a name the name `temp` beside the target, only where nothing has it;
  // FALSE with the last error set.
  BOOL NameAs(const std::string& temp);
  // Lets go of the drawn saves' mark before the save is done with, once a record of the set covers
  // what it recorded; FALSE with the last error set when a sync failed.
  BOOL DropMark();
  // Deletes the temporary file, keeping the last error.
  void Discard();
  // Deletes the temporary files of this target that no live save holds (left by a save that was
  // killed). Only names with the save's own mark go: a user's "<target>.~backup" stays. Keeps the
  // last error.
  void RemoveLeftovers() const;

 private:
  void Open(LPCSTR target);
  void Prepare(struct stat* found);  // what the target's lstat found, null when it is missing
  void Release();
  void Step() const;
  // Gives a temporary file made without a name (that of a target that did not exist) a name of its
  // own beside the target, recorded as a drawn one. FALSE with the last error set.
  BOOL NameTemp();

  CString m_target;
  std::string m_native;
  CString m_temp;
  int m_lock = -1;  // the temporary file, open and flock-ed while this save holds it
  int m_mark = -1;  // the drawn saves' mark, held while this save's file has a drawn name
  int m_createError = 0;  // why the temporary file could not be made
  unsigned m_madeMode = kUnknownMode;  // the temporary file's mode when it was made
  bool m_firstNameTaken = false;
  bool m_unnamed = false;  // made without a name (GetTempName gives one that leads to it in this process)
  bool m_inPlace = false;
  bool m_folder = false;
  bool m_committed = false;
  mutable bool m_permissionsTaken = false;
};

// True when `name` matches the pattern (`*`, `?`) without regard to ASCII case. "*.*" matches every
// name, and a pattern ending in ".*" also matches the name without an extension.
bool MatchFilePattern(const char* pattern, const char* name);

// ---- The files a save makes for itself ----------------------------------------------------------
// Their names carry a mark (".~dvx-") that no user's file is taken to have; a name that must be cut
// to fit in 255 bytes keeps a checksum of the whole. Every name here is a file name without a
// folder, and every path is taken exactly as spelled (one lstat, no look-up without regard to case,
// no link followed).

// The file a save of the native path `native` replaces: through a symbolic link, the file it leads to.
std::string SaveReplacedFile(const std::string& native);
// A fresh temporary name that a save of the file `path` makes beside it (nothing is created).
std::string NewSaveTempName(const std::string& path);
// The temporary name that every save of the file `path` tries first: a file under it is one a save
// of the target made (a killed one's, or a live one's).
std::string FirstSaveTempName(const std::string& path);
// True when `name` is a temporary name that a save of the file `target` makes.
bool IsSaveTempName(const std::string& name, const std::string& target);
// The name of the copy of the old `target` that a set of files replaced as one keeps until the set
// is complete.
std::string SaveOldCopyName(const std::string& target);

// What tells the file a save made from another that took its name, and survives a copy of the
// folder (cp, an archive, a file manager): the size and a checksum of the content.
struct CSaveFileIdentity {
  unsigned long long size = 0, checksum = 0;
  bool operator==(const CSaveFileIdentity&) const = default;
};
// 1 for a plain file (its identity filled in from its content), 0 when nothing has the name, -1 for
// anything else (a link, a folder, a device) or a name that cannot be looked at or read.
int GetSaveFileIdentity(const std::string& path, CSaveFileIdentity& identity);
// The identity of the file open as `fd` (read from its start, the position kept); FALSE with the
// last error set.
BOOL GetSaveFileIdentity(int fd, CSaveFileIdentity& identity);
// Writes `path` whole, under a temporary name of its own beside it that is then renamed over it:
// for a file that only saves write, whose temporaries their sweeps know by the target's name (a new
// one's first temporary name is not recorded). FALSE with the last error set; nothing is left then.
BOOL WriteWholeFile(const std::string& path, const void* data, size_t size);
// Makes `copy` a new file with the bytes of `existing`: a second name of the same file where the file
// system allows it, else a copy. A file of that name is deleted first; the new one is created
// exclusively, never through a link. FALSE with the last error set.
BOOL MakeOldCopy(const std::string& existing, const std::string& copy);
// Renames or deletes exactly the names given; FALSE with the last error set.
BOOL RenameExact(const std::string& from, const std::string& to);
BOOL DeleteExact(const std::string& path);
// The permissions a file made now with `mode` gets: no set-id or sticky bit, nothing the process's
// umask takes away.
unsigned ModeAsCreated(unsigned mode);
// Whether the plain file `name` of the folder open as `dir` is provably one that a save made beside
// its target and still holds or left when it was killed: a drawn saves' mark as saves make it, a
// temporary a live save holds, a name a mark records, or the first temporary name of a target of the
// folder that no save holds. A user's file that merely has a name of that form is none of
// these.
bool IsSaveTempLeftover(int dir, const std::string& name);
// A path that names what the open descriptor `fd` refers to, whatever its name is now: for libraries
// that take a name, so that nothing swapped in for the name meanwhile is read or written.
std::string DescriptorPath(int fd);
// Puts what was written to the open file `fd` on the disk (fsync); FALSE with the last error set.
BOOL SyncFile(int fd);
// Puts the names made, renamed or removed in the folder `nativeFolder` on the disk; FALSE with the
// last error set.
BOOL SyncFolder(const std::string& nativeFolder);
// For tests that record a save's syncs in their order: called before each sync with the native path
// of the file or folder synced.
extern void (*g_pfnSyncStep)(const char* path);
// For tests that make a sync fail: called before each sync with the same path; a nonzero errno it
// gives fails that sync with it.
extern int (*g_pfnSyncFault)(const char* path);
// For tests that swap what a save's own names lead to: called with the temporary file's name before
// each step of a CSaveBeside that uses it (a descriptor or stream made over it, its mode set, its
// sync, its rename).
extern void (*g_pfnSaveStep)(const char* temp);
// True when the two paths name one folder (or file), however each is spelled.
bool IsSameFolder(const std::string& a, const std::string& b);
// Deletes in `folder` what saves of the files `targets` left behind when they were killed: their
// temporary files that no live save holds and that IsSaveTempLeftover takes for a save's (the
// caller's own, named in `live`, are not looked at; of the targets `own`, files that only the save
// writes, every one no save holds). One pass over the folder; keeps the last error.
void RemoveSaveLeftovers(const std::string& folder, const std::vector<std::string>& targets,
                         const std::vector<std::string>& live = {}, const std::vector<std::string>& own = {});
// The time of the folder's last change (nanoseconds since 1970), -1 when it cannot be looked at.
long long FolderChangeTime(const std::string& folder);
// RemoveSaveLeftovers where a killed save may have left something: for the targets `due` (those
// whose save found its first temporary name taken), and for every one of `targets` once a recovery
// in the folder found a killed save there (ForgetSweptLeftovers). A save makes its temporary under
// the first name unless another save of the target holds it, so a killed save's is found there,
// and a save in a large folder seldom lists it.
void SweepSaveLeftovers(const std::string& folder, const std::vector<std::string>& targets,
                        const std::vector<std::string>& due, const std::vector<std::string>& live = {},
                        const std::vector<std::string>& own = {});
void ForgetSweptLeftovers(const std::string& folder);
