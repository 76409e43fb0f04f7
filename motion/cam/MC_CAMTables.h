// The CAM tables of a motion program: those downloaded to the drive, in order, and those only kept on disk.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "motion/cam/MC_CAM.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"
#include "platform/core/Types.h"

#include <string>
#include <vector>

class CMotionFileSet;

class CMC_CAMTables : public CObject {
 public:
  CMC_CAMTables();
  CMC_CAMTables(const CMC_CAMTables& other);
  CMC_CAMTables& operator=(const CMC_CAMTables& other);
  ~CMC_CAMTables() override;

  // ---- Lists ---------------------------------------------------------------------------------
  int GetCAMsCount() const { return m_selected.GetSize(); }
  CMC_CAM* GetSelCAM(int i) const;
  int GetAvailableCount() const { return m_available.GetSize(); }
  CMC_CAM* GetAvailCAM(int i) const;
  void GetSelectedCAMs(CStringArray& names) const;
  void GetAvailableCAMs(CStringArray& names) const;
  int HasAvailableCAMs() const { return m_available.GetSize() > 0; }
  int GetCAMsSizesInWords() const;

  // ---- Editing -------------------------------------------------------------------------------
  int AddNewSelCAM(const char* name);
  // Asks for a file; the forms taking a path do the rest.
  int ImportCAM();
  int ImportCAMFromTextFile();
  int ImportCAM(const char* path);
  int ImportCAMFromTextFile(const char* path);
  int RenameSelCAM(int i, const char* name);
  int RenameAvailCAM(int i, const char* name);
  void RemoveAvailable(int i);
  int MoveSelCAMUp(int i);
  int MoveSelCAMDown(int i);
  int PromoteAvailableToSelected(int i);
  int PromoteAllAvailable();
  int DemoteSelectedToAvailable(int i);
  int DemoteAllSelected();

  // ---- Files (directory relative to the kernel folder) ---------------------------------------
  int Load(const char* directory);
  // The tables' files replace the old ones, and the .cam files of tables no longer held go, as one
  // set.
  int Save(const char* directory);
  // Every table's file, then cam.cfg, written as members of `set` (not yet in place), and the
  // directory's .cam files of tables this program read or wrote there and no longer holds (removed
  // or renamed) named for removal with it. A file that fails (shown) is left out of the set, its old
  // file kept, its table's name added to `failed`, and the result is 0; the others stay members. A
  // file whose table could not be read, or that another program put there, stays.
  int Write(const char* directory, CMotionFileSet& set, std::vector<CString>* failed = nullptr) const;
  // Call once the set Write filled is in place: the tables' files in the directory are those held
  // (those of other folders are kept in mind for the saves to them); a table in `failed` holds its
  // file only if it did before.
  void HoldFilesOfTables(const char* directory, const std::vector<CString>& failed = {});

  // ---- Drive ---------------------------------------------------------------------------------
  // The selected tables back to back in the E2ROM area at `address`.
  int SaveToActiveBoard(WORD address, WORD length);
  int CompareWithActiveBoard(WORD address, WORD length, int& equal);
  // The images of the selected tables back to back, as they are downloaded.
  int BuildImage(CWordArray& words) const;

 private:
  // Whether a table other than `except` in either list has the name (any case).
  bool IsNameUsed(const char* name, const CMC_CAM* except) const;
  // `title`, or `title#2`, `title#3`, ... whichever no table has.
  CString UniqueName(const CString& title) const;
  int ImportFrom(const char* path, bool text);

  CObArrayEx<CMC_CAM> m_selected;
  CObArrayEx<CMC_CAM> m_available;
  // For each folder (native) this program read its tables from or saved them to, the titles of the
  // .cam files it read or wrote there; only these may be deleted by a save to that folder.
  struct HeldFiles {
    std::string folder;
    std::vector<CString> titles;
  };
  std::vector<HeldFiles> m_held;
};
