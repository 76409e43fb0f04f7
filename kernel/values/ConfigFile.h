// Text configuration files, the kernel folder and its fixed sub-folders, and the settings of kernel.cfg.
#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/FolderLock.h"
#include "platform/core/Module.h"
#include "platform/core/String.h"

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class CMC_Setup;

// The kernel folder, ending in a backslash; empty when it cannot be found.
CString GetKernelDirectory();
CString GetKernelConfigFilePath();
CString GetArchivesDirectory();
CString GetConfigurationsDirectory();
CString GetFirmwareDirectory();
CString GetGUIDirectory();
CString GetImagesDirectory();
CString GetMotionModulesDirectory();
CString GetMotionProceduresDirectory();
CString GetKernelHelpFile();
CString GetZURHelpFile();
// The kernel library's own module.
HMODULE GetKernelModuleHandle();
// The file path of a loaded module with its extension replaced by "chm".
int GetHelpFileOfModule(HINSTANCE module, CString& helpFile);
// The help file named by a setup's option "HelpFile", with its extension replaced by "chm"; empty when
// there is no setup or the option is empty.
CString GetHelpFileOfGUI(CMC_Setup* setup);
// `path` with its extension replaced by "chm" ("." + "chm" appended when the name has no point).
CString ReplaceExtensionWithChm(const CString& path);

// Absolute names (leading backslash or drive letter) are used as given, others go under the kernel folder.
CString ResolveConfigFileName(const char* name);
// `dir` + "\\", the front of the names of the files in the folder `dir`. An empty or null folder gives
// "", so that its files are taken under the kernel folder, where a lone backslash would put them at
// the root of the file system.
CString FolderFilePrefix(const char* dir);
FILE* OpenConfigFile(const char* name, int write);
// Opens a plain file for reading ("rb"), by its name as the file system knows it; a folder, pipe or
// device (whose reading would wait for a writer or never end) is refused. Null with errno set.
FILE* OpenPlainFileToRead(const char* nativePath);
// `name` as messages show it: resolved as configuration files are, in the platform's form.
CString ShownFileName(const char* name);
int ExistConfigFile(const char* name);

// "Cannot write in file %s!" naming `name`, with the cause the last error gives; the plain advice to
// check permissions where that is the cause or none is known. Shown while g_bShowErrors is set.
void ShowWriteFailure(const char* name);

// A text file written beside its target and put in its place only by Commit (CSaveBeside), so a
// failed save leaves the old file. Messages name the file as the caller does.
class CConfigFileWriter {
 public:
  // `name` is shown in messages; `path` is where the file goes (by default `name` resolved as
  // configuration files are).
  explicit CConfigFileWriter(const char* name, const char* path = nullptr);
  // One file of a set saved as one (CommitConfigFiles) in the folder `name` is in: where
  // CheckConfigSetFile refuses it, no temporary file is made and Open fails (the box shown already).
  enum SetMember { kSetMember };
  CConfigFileWriter(const char* name, SetMember);
  ~CConfigFileWriter();
  CConfigFileWriter(const CConfigFileWriter&) = delete;
  CConfigFileWriter& operator=(const CConfigFileWriter&) = delete;

  // The temporary file, open for writing (null on failure, with "Cannot open file %s!", or the
  // folder's name where the folder may not be written). errno is cleared, so a failed write
  // leaves its own cause there.
  FILE* Open();
  // Closes the file. `written` false (a write failed, its cause in errno; 0 = unknown) or a failed
  // close shows the write failure, drops the temporary file and returns 0.
  int Close(int written);
  // Opens, writes `count` entries and closes: `write` gives 1 when entry i is written, 0 when a
  // write failed, -1 when there is no entry i (message 20004).
  int WriteEntries(int count, const std::function<int(FILE*, int)>& write);
  // Replaces the target (the write failure shown on failure).
  int Commit();
  // The new file's permissions, for one that brings its own (else it takes the old file's).
  void SetPermissions(unsigned mode) { m_save.TakeOldPermissions(mode); }
  // A failed write or replacement shows the system's own error text with the stop icon, not the box
  // naming the file.
  void ShowSystemErrorText() { m_bSystemText = true; }

 private:
  void ShowFailure() const;

  friend int CommitConfigFiles(const char* folder, const std::vector<CConfigFileWriter*>& files,
                               const std::vector<CString>& removals);

  CString m_name;
  bool m_refused = false;
  bool m_bSystemText = false;
  CSaveBeside m_save;
  FILE* m_file = nullptr;
};

// The lock under which the files of a folder are replaced as one set (CommitConfigFiles) and
// read as one set. The outermost hold first completes, or undoes, a set that a process stopped
// part-way. Another program that keeps the folder past the lock's wait is shown (message 20024,
// Retry and Cancel).
class CConfigFolderLock {
 public:
  explicit CConfigFolderLock(const char* folder);

  // True when the caller's load or save must fail, a box having said why: another program held the
  // folder and the user gave up waiting, or a save stopped part-way left part of a set that can be
  // neither completed nor undone (a folder that may not be written).
  BOOL IsRefused() const { return m_refused; }
  // The folder as the file system knows it, without a trailing separator (empty when refused).
  const std::string& GetNativeFolder() const { return m_native; }

 private:
  CFolderLock m_lock;
  std::string m_native;
  BOOL m_refused = FALSE;
};

// Replaces the targets of the writers (written and closed, all in `folder`) as one step: after a
// failure (shown, naming the file) or a process stopped at any point, the next reader of the
// folder finds all of them new or all of them old. A target that a link leads out of the folder is
// refused, and so is a save while the record of an earlier set stays in the folder.
int CommitConfigFiles(const char* folder, std::initializer_list<CConfigFileWriter*> files);
// The same for a set whose size is known only at run time; the files `removals` (named as
// CConfigFileWriter takes them) go with the set: all of them with the new files, none with the old.
int CommitConfigFiles(const char* folder, const std::vector<CConfigFileWriter*>& files,
                      const std::vector<CString>& removals = {});
// Whether the file `name` (as CConfigFileWriter takes it) may be saved as one of a set of `folder`
// (null: the folder `name` is in), checked as CommitConfigFiles checks it: the file a save would
// replace, a link followed, lies in the folder itself and is none of the save's own. Otherwise the
// failed write is shown, naming `name`, and 0 returned. Called before the set's writers are made,
// so that a refused save makes no file outside the folder.
int CheckConfigSetFile(const char* folder, const char* name);
// Patterns (matched without regard to case) of the names of what saves make for themselves beside
// the user's files: set records, temporary files, old copies. Archives neither store nor restore them.
extern const char* const g_pszSaveOwnFiles[];
extern const int g_nSaveOwnFiles;
bool IsSaveOwnFile(const char* name);
// What archives and restores leave out of the folder open as `dir`: a folder named like a save's own
// file; a file only where it is provably a save's (a record, one set aside, a temporary a live save
// holds or a killed one left, a drawn saves' mark with its proof). A user's file of such a name travels.
bool IsSaveLeftover(int dir, const char* name, bool folder);
// Completes or undoes what a save stopped part-way left in the folder `nativeFolder`, as the next
// hold of its lock does; 0 when it can be neither and the folder holds part of it (the box naming
// `shown` said so).
int RecoverStoppedSave(const char* shown, const std::string& nativeFolder);
// Whether a set's record, or the record of its undoing, stands in the folder `nativeFolder`.
bool HasSetRecord(const std::string& nativeFolder);
// For tests that stop a process in CommitConfigFiles: called with -1 before the set is recorded,
// then with the count of targets replaced so far (0 to n), and with n + 1 before the set's record
// is removed.
extern void (*g_pfnConfigCommitStep)(int step);

// Reads the next physical line; CR dropped, LF ends it. Counts every line read.
int ReadLine(FILE*& file, CString& line, int& lineNumber);
// Reads the next line that is not empty once its comment is cut and it is trimmed; closes the file
// and nulls the handle at the end.
int ReadConfigFileLine(FILE*& file, CString& line, int& lineNumber);
// The line feeds read so far after a successful read: a last line that the end of the file ended
// does not count (the motion files number their lines so).
int LineFeedsRead(FILE* file, int lineNumber);

// The configuration lines of an open file as ReadConfigFileLine hands them out, read through one
// buffer in large blocks; the loads of long files use it. The caller closes the file.
class CConfigLineReader {
 public:
  explicit CConfigLineReader(FILE* file) : m_file(file) {}
  // Before the first line is read: the physical lines from the current position on, counted ahead
  // so that tables are sized once; the position is kept.
  size_t CountLines();
  int Next(CString& line, int& lineNumber);

 private:
  static constexpr size_t kBlock = 65536;
  void Fill();

  FILE* m_file;
  std::vector<char> m_buffer;
  size_t m_begin = 0, m_end = 0;
  bool m_atEnd = false;
};

CString EscapeString(CString text);
int ReadEscapedStringFromConfigLine(CString& line, CString& out);
int ReadLongFromConfigLine(CString& line, LONG& out);
int ReadDoubleFromConfigLine(CString& line, double& out);

void LoadCommunicationSettings(int& workOffline, BYTE& flag, BYTE& type, CString& channel, DWORD& baudRate,
                               WORD& hostAddress, WORD& activeAddress, WORD& eepromWriteProtection);
void SaveCommunicationSettings(int workOffline, BYTE flag, BYTE type, const CString& channel, DWORD baudRate,
                               WORD hostAddress, WORD activeAddress, WORD eepromWriteProtection);
int IsNetmasterEnabled();
void GetNetServerAddress(CString& host, int& port);
void GetNetServerAuth(CString& user, CString& password);
void SaveNetServerAuth(const CString& user, const CString& password);
DWORD GetBuildVersion();
