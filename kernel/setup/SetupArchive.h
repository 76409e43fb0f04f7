// Setups and the user's own kernel data as zip archives: packing and unpacking folder trees, the
// custom data a project folder carries, and the export of a setup for the drive-language library.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"

class CMC_Setup;
class CMC_CoffFormat;

// The folder under a project folder that holds the custom data.
extern const char* const kCustomDataMarker;  // "\~_#CUSTOM_DATA#_~\"

// Packs every file under `dir` into `zipFile`, names relative to `dir` (a relative name taken
// against the current folder). Only what is reached without following a link goes in: links, pipes
// and devices are left out, and a box names them once the archive stands; a folder below which
// nothing is packed goes in as itself, so that the archive restores the same tree (one of a folder
// without files holds no entry). The archive is packed beside the old one, which it replaces when
// complete; a failure keeps the old one and names the file and the cause (while errors are shown).
int ArchiveDirectory(const CString& dir, const char* zipFile);
// Unpacks `zipFile` into `dir` (created when missing; a relative name taken against the current
// folder): extracted into a folder of its own inside `dir` first, then the files directly in `dir`
// put in place as one set (CommitConfigFiles) and what is below it after them, so that a restore
// stopped at any point leaves the old or the new files once the folder's lock is next held
// (FinishRestore), and nothing of what it extracted. A failure removes the folder if this call
// created it and shows the cause (while errors are shown).
int RestoreDirectory(const char* zipFile, const CString& dir);
// Copies the custom firmware folders, user configurations and user motion procedures named in the
// lists (cleaned in place of other and repeated entries) from the kernel folder under `dir`'s marker.
int ArchiveCustomData(CStringArray& firmwareIds, CWordArray& configurationIds, CStringArray& procedureFiles,
                      const CString& dir);
// Puts the custom data found under `dir`'s marker back into the kernel folder.
int RestoreCustomData(const CString& dir);
void RemoveCustomData(const CString& dir);
// Asks for a "t.zip" file and writes the setup's library files into it; the path, empty when
// nothing was written.
CString ExportSetupForVKS_Lib(const char* defaultName, CMC_Setup* setup, CMC_CoffFormat* coff);
