// The C interface of the suite's zip and unzip libraries (zip32, unzip32) as the kernel imports it.
#pragma once

extern "C" {

// ---- zip32 ----
// Call-backs of the zip library; null entries are not called.
struct ZIPUSERFUNCTIONS {
  int (*print)(const char* text, unsigned long size);
  int (*comment)(char* text);
  int (*password)(char* buffer, int size, const char* prompt, const char* name);
  int (*service)(const char* name, unsigned long size);
};

struct ZPOPT {
  const char* Date;       // only files of this date or later; null or empty for all
  const char* szRootDir;  // names are stored relative to this folder
  const char* szTempDir;  // null: none
  int fSystem;            // take system and hidden files too
  int fQuiet;
  char fLevel;            // compression level '0'..'9'
};

// The archive to write and the full paths of the files (or folders, which go in as themselves) that
// go into it. Each is reached from the root folder without following a link, when it is added and
// again when it is read; a link, pipe or device is left out.
struct ZCL {
  int argc;
  const char* lpszZipFN;
  char** FNV;
};

// 0 on success.
int ZpInit(ZIPUSERFUNCTIONS* functions);
// Nonzero on success.
int ZpSetOptions(ZPOPT* options);
// 0 on success; a failure leaves no archive behind. An archive without entries is an end record
// alone.
int ZpArchive(ZCL c);

// ---- unzip32 ----
struct DCL {
  const char* lpszZipFN;
  const char* lpszExtractDir;  // where the entries go when fExtractToDir is set
  int fExtractToDir;
  int fKeepFolders;            // keep the entries' folders (else all go flat into the folder)
  int fOverwriteAll;           // replace existing files without asking
  int fQuiet;                  // 0 verbose .. 2 silent
};

struct USERFUNCTIONS {
  int (*print)(const char* text, unsigned long size);
  void (*sound)();
  int (*replace)(char* name);  // asked before replacing a file unless fOverwriteAll
  int (*password)(char* buffer, int size, const char* prompt, const char* name);
  int (*service)(const char* name, unsigned long size);
};

// Extracts the archive's entries (all when ifnc is 0; none whose file name, its folders left aside,
// matches one of the xfnv patterns, without regard to case). 0 on success. Every
// entry name is checked before anything is written: an absolute one, one with a drive letter or a
// ".." component, or one whose path below the folder passes a link or a file where a folder belongs
// (or ends on something other than a plain file) fails the whole extraction. A failed extraction
// removes what it wrote. Everything below the folder is reached from its descriptor without
// following a link; each file is synced once, then every folder written or made and the parent of
// each folder made.
int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* dcl, USERFUNCTIONS* functions);

}  // extern "C"
