// Where a restore extracts an archive inside the folder it restores, and how what it extracted
// below the folder is put in place once the folder's own files are in place as one set.
#pragma once

#include <string>
#include <vector>

// The folder, inside the folder it restores, that a restore extracts into before it puts the files
// in place as one set; what a stopped restore left goes with the next hold of the folder's lock.
extern const char g_szRestoreFolder[];
// A folder being restored and its restore's folder, each opened once: the folder as named, the
// restore's folder from the folder's descriptor without following a link and only when it is this
// user's. Everything below either is reached from these descriptors, so whatever is swapped in for
// a name meanwhile is neither read nor written.
class CRestoreFolder {
 public:
  // `make`: the restore's folder is made first (a failure leaves the cause in the last error).
  CRestoreFolder(const std::string& nativeFolder, bool make);
  ~CRestoreFolder();
  CRestoreFolder(const CRestoreFolder&) = delete;
  CRestoreFolder& operator=(const CRestoreFolder&) = delete;
  // The restore's folder by the path of its descriptor (for libraries that take a name); empty
  // when there is none.
  const std::string& GetPath() const { return m_path; }
  int GetFolder() const { return m_folder; }
  int GetDescriptor() const { return m_fd; }

 private:
  int m_folder = -1, m_fd = -1;
  std::string m_path;
};
// The plain files a restore extracted directly into its folder, sorted, but for what is named like
// a save's own file.
void GetExtractedFiles(const CRestoreFolder& restore, std::vector<std::string>& names);
// Readies what was extracted below the folder to be put in place: what is named like a save's own
// file, file or folder, goes; then whether each entry may go where it belongs: folders on the way
// that are folders (no link, no file), and a plain file that is not read-only or nothing where a
// file goes. 0 otherwise (the last error set).
int CanPlaceExtracted(const CRestoreFolder& restore);
// Marks the extraction whole (its files were synced where they were extracted) and puts the mark
// on the disk, before the set of the files directly in the folder is put in place; 0 with the last
// error set.
int SealRestore(const CRestoreFolder& restore);
// Moves what was extracted below the folder into place (`place`, the extraction sealed and the set
// in place: the folder's files are the extracted ones): a file or folder missing there whole, a
// file over a plain file, walking into the folders both hold, every folder a move went into synced
// after. Then removes what was extracted (a link there goes as a link, nothing it leads to is
// touched) and the temporaries of the set's files that no record or live save still holds. The
// outermost hold of the folder's lock does so too. 0 (the last error set) when something could not
// be put in place, such as a link swapped in for a folder on the way: nothing goes through it.
// `opened`: the restore's folders as the restore itself holds them (else they are opened by name).
int FinishRestore(const std::string& nativeFolder, bool place, const CRestoreFolder* opened = nullptr);
// For tests that stop a process in a restore: 0 once its folder is made, 1 once the archive is
// extracted, 2 once the set's files are written beside their targets, 3 once they are in place, and
// 4 + i once the way to the i-th move below the folder is open, before the move.
extern void (*g_pfnRestoreStep)(int step);
