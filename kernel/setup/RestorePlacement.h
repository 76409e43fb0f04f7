// Where a restore extracts an archive inside the folder it restores, and how the extracted files
// below the folder are put in place once the folder's own files are in place as one set.
#pragma once

#include <string>
#include <vector>

// The folder, inside the folder it restores, that a restore extracts into before it puts the files
// in place as one set; what a stopped restore left goes with the next hold of the folder's lock.
extern const char g_szRestoreFolder[];
// The restore's folder of the folder `nativeFolder` (the native path), opened without following a
// link and only when it is this user's: its path runs through the open descriptor, so whatever is
// swapped in for its name meanwhile is neither read nor written. Empty when there is none.
class CRestoreFolder {
 public:
  explicit CRestoreFolder(const std::string& nativeFolder);
  ~CRestoreFolder();
  CRestoreFolder(const CRestoreFolder&) = delete;
  CRestoreFolder& operator=(const CRestoreFolder&) = delete;
  const std::string& GetPath() const { return m_path; }

 private:
  int m_fd = -1;
  std::string m_path;
};
// What a restore extracted into its folder (`fresh`, as CRestoreFolder gives it): the plain files by
// path relative to it ("/" between folders), sorted, but for what is named like a save's own file or
// lies below a folder so named. No link is followed.
void GetExtractedFiles(const std::string& fresh, std::vector<std::string>& files);
// Whether the extracted file `rel` ("/" between folders) may be put below the folder: no link or
// file on the way, a plain file that is not read-only or nothing where it goes. 0 otherwise (the
// last error set).
int CanPlaceExtracted(const std::string& nativeFolder, const std::string& rel);
// Puts the files extracted into `fresh` on the disk and marks the extraction whole, before the set
// of the files directly in the folder is put in place; 0 with the last error set.
int SealRestore(const std::string& fresh);
// Moves the files below the folder into place (`place`, the extraction sealed and the set in place:
// the folder's files are the extracted ones), then removes what was extracted (a link there goes as
// a link, nothing it leads to is touched) and the temporaries of the set's files that no record or
// live save still holds. The outermost hold of the folder's lock does so too.
// `opened`: the restore's folder as the restore itself holds it (else it is opened by name).
void FinishRestore(const std::string& nativeFolder, bool place, const CRestoreFolder* opened = nullptr);
// For tests that stop a process in a restore: 0 once its folder is made, 1 once the archive is
// extracted, 2 once the set's files are written beside their targets, 3 once they are in place, and
// 4 + i before the i-th file below the folder is moved into place.
extern void (*g_pfnRestoreStep)(int step);
