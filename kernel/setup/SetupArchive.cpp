#include "kernel/setup/SetupArchive.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/setup/RestorePlacement.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/values/Utilities.h"
#include "platform/core/FileSystem.h"
#include "platform/core/FolderNames.h"
#include "platform/core/Path.h"
#include "platform/ui/CommonDialogs.h"
#include "suite/zip/ZipLibraries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

const char* const kCustomDataMarker = "\\~_#CUSTOM_DATA#_~\\";

namespace {

CString WithoutTrailingSeparator(CString path) {
  while (path.GetLength() > 1 && (path.Right(1) == "\\" || path.Right(1) == "/")) path = path.Left(path.GetLength() - 1);
  return path;
}

// An empty project folder is the current folder, as for archives, never the root.
CString Marker(const CString& dir) {
  const CString folder = WithoutTrailingSeparator(dir);
  return folder.IsEmpty() ? CString(kCustomDataMarker + 1) : folder + kCustomDataMarker;
}

void ShowFailure() {
  if (g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
}

// The archive's write failure; a file of its folder that could not be read is named with the cause.
void ShowArchiveFailure(const char* zipFile) {
  const std::string file = LastErrorName();
  if (file.empty()) return ShowWriteFailure(zipFile);
  CString text = GetLastErrorText();
  text.TrimRight("\r\n");
  ShowKernelMessage(MB_ICONEXCLAMATION, 20022, zipFile, (file + ": " + text.GetString()).c_str());
}

bool IsCustomFirmware(const CString& id) {
  return id.GetLength() == 5 && id[0] == 'F' && CString("02579").Find(id[1]) < 0;
}

bool IsUserConfiguration(WORD id) { return (id & 0xF000) == 0x1000; }

bool IsUserProcedure(const CString& name) { return name.Left(1) == "_"; }

CString ConfigurationFolder(WORD id) {
  CString s;
  s.Format("%02hX\\%02hX", (unsigned short)(id >> 8), (unsigned short)(id & 0xFF));
  return s;
}

// Copies every file under `from` to the same place below `to` (both without a trailing separator).
bool CopyTree(const CString& from, const CString& to) {
  CStringArray files, targets;
  GetFilesOfDir(from, files);
  for (INT_PTR i = 0; i < files.GetSize(); ++i) targets.Add(to + files[i].Mid(from.GetLength()));
  return files.GetSize() == 0 || CopyFiles(files, targets, TRUE);
}

// Puts a copy of the folder `from` in the place of the folder `to`: made beside it under a name of
// the save's own, then swapped in, so that a copy that fails keeps every old file.
bool ReplaceTree(const CString& from, const CString& to) {
  const int cut = std::max(to.ReverseFind('\\'), to.ReverseFind('/'));
  const CString stem = to.Left(cut + 1) + "~" + to.Mid(cut + 1);
  const CString fresh = stem + ".~dvx-new", old = stem + ".~dvx-old";
  // What a restore that was stopped left.
  RemoveDir(fresh, FALSE);
  RemoveDir(old, FALSE);
  const bool had = ExistDirectory(to) != 0;
  if (!CreateDir(fresh) || !CopyTree(from, fresh) || (had && !MoveFile(to, old)) || !MoveFile(fresh, to)) {
    const DWORD error = GetLastError();
    if (had && !ExistDirectory(to)) MoveFile(old, to);
    RemoveDir(fresh, FALSE);
    SetLastError(error);
    return false;
  }
  if (had) RemoveDir(old, FALSE);
  return true;
}

// The names of the sub-folders (or of the files) directly in a folder.
void ListEntries(const CString& dir, bool folders, CStringArray& names) {
  CFileFind find;
  BOOL more = find.FindFile(dir + "\\*.*");
  while (more) {
    more = find.FindNextFile();
    if (find.IsDots() || (find.IsDirectory() != 0) != folders) continue;
    names.Add(find.GetFileName());
  }
}

template <class Keep, class Same>
void Clean(CStringArray& list, Keep keep, Same same) {
  for (INT_PTR i = 0; i < list.GetSize();) {
    bool repeat = false;
    for (INT_PTR j = 0; j < i && !repeat; ++j) repeat = same(list[j], list[i]);
    if (!keep(list[i]) || repeat)
      list.RemoveAt(i);
    else
      ++i;
  }
}

int DiscardPrint(const char*, unsigned long size) { return (int)size; }
int ReplaceAll(char*) { return 1; }

// Copies the extracted file `name` of the folder `dir` into `out` (the set's commit puts it on the
// disk): TRUE when every byte was written, else FALSE with the cause in errno.
int CopyBytes(int dir, const std::string& name, FILE* out) {
  const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return FALSE;
  char buffer[65536];
  bool ok = true;
  ssize_t n;
  while (ok && (n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0 && fwrite(buffer, 1, (size_t)n, out) == (size_t)n;
  }
  const int err = errno;
  close(fd);
  errno = err;
  return ok ? TRUE : FALSE;
}

// What an archive of the folder open as `dir` holds below `rel` ("" or ending in "/"): its plain
// files, and a folder below which nothing is packed, all reached without following a link. What is
// provably a save's own and folders whose names begin with "." are passed over; links, pipes and
// devices are left out and named in `leftOut`. The count of entries it adds; -1 with the folder
// that could not be listed (or opened) in `failed` and the cause in errno.
long ListPacked(int dir, const std::string& rel, std::vector<std::string>& packed, std::vector<std::string>& leftOut,
                std::string& failed) {
  long added = 0;
  int error = 0;
  const std::vector<FolderEntry> entries = ListFolder(dir, &error);
  if (error) {
    failed = rel.substr(0, rel.empty() ? 0 : rel.size() - 1);
    errno = error;
    return -1;
  }
  for (const FolderEntry& e : entries) {
    const std::string& name = e.name;
    const unsigned char type = e.type;
    if (type == DT_UNKNOWN || IsSaveLeftover(dir, name.c_str(), type == DT_DIR) || (type == DT_DIR && name[0] == '.')) continue;
    if (type == DT_REG) {
      packed.push_back(rel + name);
      ++added;
    } else if (type != DT_DIR) {
      leftOut.push_back(rel + name);
    } else {
      // A folder gone meanwhile (or a link now) holds nothing to pack; one that cannot be read fails
      // the archive.
      const int sub = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub < 0 && (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)) continue;
      const long below = sub < 0 ? -1 : ListPacked(sub, rel + name + "/", packed, leftOut, failed);
      const int err = errno;
      if (sub >= 0) close(sub);
      if (below < 0) {
        if (sub < 0) failed = rel + name;
        errno = err;
        return -1;
      }
      added += below;
    }
  }
  // A folder with nothing to pack travels as itself, so that the archive restores the same tree.
  if (added == 0 && !rel.empty()) {
    packed.push_back(rel);
    added = 1;
  }
  return added;
}

// The folder `dir` as the file system knows it, without a trailing separator: a relative name taken
// against the current folder, never the kernel folder.
std::string FolderFromHere(const CString& dir) {
  std::string native = ResolvePath(dir);
  if (native.empty() || native[0] != '/') {
    char here[PATH_MAX];
    native = std::string(getcwd(here, sizeof here) ? here : ".") + "/" + native;
  }
  // Without "." parts and doubled separators, as messages show it.
  std::string clean;
  for (size_t at = 0; at < native.size();) {
    size_t end = native.find('/', at);
    if (end == std::string::npos) end = native.size();
    const std::string part = native.substr(at, end - at);
    if (!part.empty() && part != ".") clean += "/" + part;
    at = end + 1;
  }
  return clean.empty() ? "/" : clean;
}

// The modes the archive's entries gave the files it put directly in the restore's folder, by file:
// a record of a stopped save among them may rename or re-mode them, but gives them no more.
using EntryModes = std::map<std::pair<dev_t, ino_t>, mode_t>;

EntryModes ModesOfEntries(const CRestoreFolder& restore) {
  EntryModes modes;
  for (const FolderEntry& e : ListFolder(restore.GetDescriptor())) {
    struct stat st;
    if (e.type == DT_REG && fstatat(restore.GetDescriptor(), e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      modes[{st.st_dev, st.st_ino}] = st.st_mode;
  }
  return modes;
}

// Each file there given its entry's permissions within the umask, whatever the record said; a file
// no entry made (a copy the record's undo made) keeps no more than its own within the umask.
void MaskLikeEntries(const CRestoreFolder& restore, const EntryModes& entries) {
  for (const FolderEntry& e : ListFolder(restore.GetDescriptor())) {
    const int fd = e.type == DT_REG ? openat(restore.GetDescriptor(), e.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC) : -1;
    struct stat st;
    if (fd < 0) continue;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      const auto entry = entries.find({st.st_dev, st.st_ino});
      const unsigned mode = ModeAsCreated((entry != entries.end() ? entry->second : st.st_mode) | S_IRUSR);
      if ((st.st_mode & 07777) != mode) chmod(DescriptorPath(fd).c_str(), mode);
    }
    close(fd);
  }
}

}  // namespace

int ArchiveDirectory(const CString& dir, const char* zipFile) {
  const std::string native = FolderFromHere(WithoutTrailingSeparator(dir));
  const CString root(native.c_str());
  // Packed as the next load would find it: a save stopped in the folder completed or undone first,
  // since the archive carries no record of it.
  CConfigFolderLock lock(root);
  if (lock.IsRefused()) return FALSE;
  std::vector<std::string> paths, leftOut;
  const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    ShowWriteFailure(zipFile);
    return FALSE;
  }
  // Every file of the folder goes in, or no archive is made: one that cannot be read is named.
  SetLastErrorNaming(ERROR_SUCCESS, std::string());
  std::string failed;
  const bool listed = ListPacked(fd, std::string(), paths, leftOut, failed) >= 0;
  const int err = errno;
  close(fd);
  if (!listed) {
    SetLastErrorFromErrno(err);
    SetLastErrorNaming(GetLastError(), failed.empty() ? native : native + "/" + failed);
    ShowArchiveFailure(zipFile);
    return FALSE;
  }
  for (std::string& p : paths) p = native + "/" + p;
  std::vector<char*> names;
  for (std::string& p : paths) names.push_back(p.data());
  ZIPUSERFUNCTIONS functions{};
  ZPOPT options{};
  options.szRootDir = native.c_str();
  options.fSystem = 1;
  options.fQuiet = 1;
  options.fLevel = '6';
  // Packed beside the old archive, which stays until the new one is complete; its commit sweeps what
  // a killed save of it left there.
  CSaveBeside save(zipFile);
  // The library writes by name: the name of the temporary file's own descriptor, never the
  // temporary name, which anyone who may write in the folder can swap for a link.
  const std::string descriptor = save.GetDescriptor() >= 0 ? DescriptorPath(save.GetDescriptor()) : std::string();
  if (descriptor.empty()) SetLastErrorFromErrno(save.Duplicate() < 0 ? errno : 0);  // why no temporary file could be made
  ZCL c{(int)names.size(), descriptor.c_str(), names.data()};
  if (!descriptor.empty() && ZpInit(&functions) == 0 && ZpSetOptions(&options) != 0 && ZpArchive(c) == 0 && save.Commit()) {
    if (!leftOut.empty()) {
      std::string list;
      for (const std::string& name : leftOut) list += (list.empty() ? "" : "\n") + name;
      ShowKernelMessage(MB_ICONINFORMATION, 20030, zipFile, list.c_str());
    }
    return TRUE;
  }
  save.Discard();
  ShowArchiveFailure(zipFile);
  return FALSE;
}

int RestoreDirectory(const char* zipFile, const CString& dir) {
  // Looked up once, a relative name against the current folder; every file is named from it.
  const std::string native = FolderFromHere(WithoutTrailingSeparator(dir));
  const CString root(native.c_str());
  std::vector<std::string> made;  // the folders CreateDir makes, the deepest first
  for (std::string f = native; f.size() > 1 && access(f.c_str(), F_OK) != 0 && errno == ENOENT; f = ParentOf(f)) made.push_back(f);
  CreateDir(root);
  const bool existed = made.empty();
  // Each folder made on the disk with its name in its parent: a power cut would take the restore's
  // files with a folder whose name was not.
  if (!existed && ExistDirectory(root)) {
    made.push_back(ParentOf(made.back()));
    for (const std::string& f : made)
      if (!SyncFolder(f)) {
        const DWORD error = GetLastError();
        RemoveDir(root, FALSE);
        SetLastError(error);
        ShowFailure();
        return FALSE;
      }
  }
  // The restored files are put in place as a save puts them: no load or save of the folder comes
  // between, and what a stopped restore or save left is put right first.
  CConfigFolderLock lock(root);
  if (lock.IsRefused()) {
    if (!existed) RemoveDir(root, FALSE);
    return FALSE;
  }
  std::vector<std::unique_ptr<CConfigFileWriter>> writers;
  // `shown`: the failure was shown already.
  auto fail = [&](bool shown) {
    const DWORD error = GetLastError();
    writers.clear();
    FinishRestore(native, false);
    // A folder that was there keeps what it held.
    if (!existed) RemoveDir(root, FALSE);
    SetLastError(error);
    if (!shown) ShowFailure();
    return FALSE;
  };
  FinishRestore(native, false);
  // Reached only through its descriptor from here on: a link swapped in for its name leads nothing
  // that is extracted or read out of the folder.
  const CRestoreFolder opened(native, true);
  const std::string& fresh = opened.GetPath();
  if (fresh.empty()) return fail(false);
  if (g_pfnRestoreStep) g_pfnRestoreStep(0);
  // Everything is extracted beside the folder's files first; nothing of it counts until the set is
  // put in place.
  DCL options{zipFile, fresh.c_str(), 1, 1, 1, 2};
  USERFUNCTIONS functions{DiscardPrint, nullptr, ReplaceAll, nullptr, nullptr};
  if (Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &functions) != 0) return fail(false);
  // An archive of a folder that held a stopped save (packed by another program) is taken as the
  // save would have left it: completed or undone where it was extracted, or refused.
  const EntryModes entries = ModesOfEntries(opened);
  if (!RecoverStoppedSave(root, fresh)) return fail(true);
  MaskLikeEntries(opened, entries);
  if (g_pfnRestoreStep) g_pfnRestoreStep(1);
  // What a save makes for itself, file or folder, is not restored, wherever it comes from; nothing
  // is written where a link or a file stands on the way to what goes below the folder.
  if (!CanPlaceExtracted(opened)) return fail(false);
  std::vector<std::string> extracted;
  GetExtractedFiles(opened, extracted);
  // The files directly in the folder are one set, written beside their targets; what is below it
  // follows once the set is in place (here, or by the next hold of the folder's lock).
  std::vector<CConfigFileWriter*> set;
  for (const std::string& name : extracted) {
    writers.push_back(std::make_unique<CConfigFileWriter>((native + "/" + name).c_str(), CConfigFileWriter::kSetMember));
    CConfigFileWriter& w = *writers.back();
    FILE* out = w.Open();
    if (!out) return fail(true);
    // The permissions the archive gave it.
    struct stat st;
    if (fstatat(opened.GetDescriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) w.SetPermissions(st.st_mode & 0777);
    if (!w.Close(CopyBytes(opened.GetDescriptor(), name, out))) return fail(true);
    set.push_back(&w);
  }
  if (g_pfnRestoreStep) g_pfnRestoreStep(2);
  if (!SealRestore(opened)) return fail(false);
  if (!set.empty() && !CommitConfigFiles(root, set)) {
    if (!existed) return fail(true);
    // The set may be in place though a sync failed: what goes below it follows, here or, while
    // its record stays, with the next hold of the lock, so that the folder holds one whole tree.
    const DWORD error = GetLastError();
    writers.clear();
    FinishRestore(native, true, &opened);
    SetLastError(error);
    return FALSE;
  }
  if (g_pfnRestoreStep) g_pfnRestoreStep(3);
  writers.clear();
  if (FinishRestore(native, true, &opened)) return TRUE;
  ShowFailure();
  return FALSE;
}

int ArchiveCustomData(CStringArray& firmwareIds, CWordArray& configurationIds, CStringArray& procedureFiles,
                      const CString& dir) {
  auto sameNoCase = [](const CString& a, const CString& b) { return a.CompareNoCase(b) == 0; };
  Clean(firmwareIds, IsCustomFirmware, sameNoCase);
  Clean(procedureFiles, IsUserProcedure, sameNoCase);
  for (INT_PTR i = 0; i < configurationIds.GetSize();) {
    bool repeat = false;
    for (INT_PTR j = 0; j < i && !repeat; ++j) repeat = configurationIds[j] == configurationIds[i];
    if (!IsUserConfiguration(configurationIds[i]) || repeat)
      configurationIds.RemoveAt(i);
    else
      ++i;
  }
  if (firmwareIds.IsEmpty() && configurationIds.IsEmpty() && procedureFiles.IsEmpty()) return TRUE;
  CString marker = Marker(dir);
  CString kernel = WithoutTrailingSeparator(GetKernelDirectory());
  for (INT_PTR i = firmwareIds.GetSize() - 1; i >= 0; --i)
    if (!CopyTree(kernel + "\\Firmware\\" + firmwareIds[i], marker + "Firmware\\" + firmwareIds[i])) return FALSE;
  for (INT_PTR i = configurationIds.GetSize() - 1; i >= 0; --i) {
    CString hhll;
    hhll.Format("%04hX", (unsigned short)configurationIds[i]);
    if (!CopyTree(kernel + "\\Configurations\\" + ConfigurationFolder(configurationIds[i]), marker + "Configurations\\" + hhll))
      return FALSE;
  }
  CStringArray from, to;
  for (INT_PTR i = 0; i < procedureFiles.GetSize(); ++i) {
    from.Add(kernel + "\\MotionProcedures\\" + procedureFiles[i]);
    to.Add(marker + "MotionProcedures\\" + procedureFiles[i]);
  }
  return from.IsEmpty() || CopyFiles(from, to, TRUE) ? TRUE : FALSE;
}

int RestoreCustomData(const CString& dir) {
  CString marker = Marker(dir);
  CString kernel = WithoutTrailingSeparator(GetKernelDirectory());
  CStringArray names;
  ListEntries(marker + "Firmware", true, names);
  for (INT_PTR i = 0; i < names.GetSize(); ++i) {
    if (!IsCustomFirmware(names[i])) continue;
    if (!ReplaceTree(marker + "Firmware\\" + names[i], kernel + "\\Firmware\\" + names[i])) return FALSE;
  }
  names.RemoveAll();
  ListEntries(marker + "Configurations", true, names);
  for (INT_PTR i = 0; i < names.GetSize(); ++i) {
    unsigned short id = 0;
    if (names[i].GetLength() != 4 || std::sscanf(names[i], "%hx", &id) != 1 || !IsUserConfiguration(id)) continue;
    if (!ReplaceTree(marker + "Configurations\\" + names[i], kernel + "\\Configurations\\" + ConfigurationFolder(id)))
      return FALSE;
  }
  names.RemoveAll();
  ListEntries(marker + "MotionProcedures", false, names);
  CStringArray from, to;
  for (INT_PTR i = 0; i < names.GetSize(); ++i) {
    if (!IsUserProcedure(names[i])) continue;
    from.Add(marker + "MotionProcedures\\" + names[i]);
    to.Add(kernel + "\\MotionProcedures\\" + names[i]);
  }
  return from.IsEmpty() || CopyFiles(from, to, TRUE) ? TRUE : FALSE;
}

void RemoveCustomData(const CString& dir) { RemoveDir(WithoutTrailingSeparator(Marker(dir)), FALSE); }

CString ExportSetupForVKS_Lib(const char* defaultName, CMC_Setup* setup, CMC_CoffFormat* coff) {
  if (!setup) return CString();
  CFileDialog dlg(FALSE, "t.zip", GetArchivesDirectory() + (defaultName ? defaultName : ""),
                  OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, "VKS_lib setup files (*.t.zip)|*.t.zip||");
  dlg.m_ofn.lpstrTitle = "Export setup to VKS_lib";
  if (dlg.DoModal() != IDOK) return CString();
  CString path = dlg.GetPathName();
  int last = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
  CString folder = last < 0 ? CString(".") : path.Left(last);
  // The files are made in a temporary folder beside the archive; a failure there names the archive.
  const CString shown = ShownFileName(path);
  // Its own (no one else may write in it), and reached only through its descriptor once made: a
  // link swapped in for its name leads nothing written out of the folder.
  char temp[MAX_PATH];
  int fd = -1;
  if (GetTempFileName(folder, "~vk", 0, temp) && DeleteFile(temp) && mkdir(ResolvePath(temp).c_str(), 0700) == 0)
    fd = open(ResolvePath(temp).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ShowWriteFailure(shown);
    return CString();
  }
  const CString made = DescriptorPath(fd).c_str();
  bool exported;
  {
    CQuietErrors quiet;
    exported = setup->ExportForVKS_Lib(made, coff) != 0;
  }
  if (!exported) ShowWriteFailure(shown);
  const bool ok = exported && ArchiveDirectory(made, path);
  close(fd);
  // By its name: a link swapped in for it goes as a link.
  RemoveDir(temp, FALSE);
  return ok ? path : CString();
}
