// INI files with Win32's private-profile functions and rules.
//
// Sections and keys match without regard to case (ASCII letters); keys and values are trimmed of
// blanks and tabs, and a value enclosed in matching single or double quotes is returned without them.
// A section that appears twice counts as one; the first occurrence of a key wins. Blank lines, lines
// beginning with ';', lines without '=' and lines before the first section are not entries; writing
// keeps them and every other untouched line byte for byte. New lines end in CR LF. A relative file
// name is taken relative to the current folder (the original system used its Windows folder).
//
// Parsed files are cached by the file itself (however its name is spelled; a missing file's name
// without regard to case, as an existing one is found; each name of a file with hard links apart,
// since a save through a temporary parts them) and checked against the file's size, times and
// identity on every call, so changes made by other writers are seen at once.
// A file changed in the last 100 ms is read again on each call, since a change within one time-stamp
// tick could leave size and times alike. A file with writes held back (see WritePrivateProfileString)
// is read again when another file takes its place (another process's flush), and shows that
// process's keys with this one's held writes over them.
#pragma once

#include "platform/core/Types.h"

#include <string>
#include <vector>

// How long a flush waits for another process's lock on the file, in milliseconds of real time (that
// process's pace no virtual clock sets); past it the flush fails with ERROR_LOCK_VIOLATION and the
// writes stay held.
extern DWORD g_dwProfileLockWait;

// section null: the section names; key null: the section's keys (each NUL-terminated, the list ended
// by a second NUL; when the buffer is too small the list is cut, ended by two NULs, and the result
// is size - 2). Otherwise the value or the default (trailing blanks dropped), cut to size - 1.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returnedString, DWORD size,
                              LPCSTR fileName);
inline DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returnedString,
                                      DWORD size, LPCSTR fileName) {
  return GetPrivateProfileString(section, key, defaultValue, returnedString, size, fileName);
}
// The value read as a signed decimal number (leading digits only; 0 when there are none); the
// default when the key is missing or its value empty.
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
// key null deletes the section; value null deletes the key. The file is created when missing (its
// folder must exist; one made at once by another process under another spelling is the one both
// write). Writes are held in this process's cache, where reads see them, and put in the file
// together (whole, synced; under a lock on the file, into the file as it is then, key by key, so
// that other processes' flushed writes stay): when a call passes all three null (for that file, or
// every file when the name is null too; FALSE as Win32 returns, the last error 0 once they are on
// the disk), before this layer next reaches any file or folder by name, and at exit. Each of these
// waits for another process's lock at most g_dwProfileLockWait in all (a reach by name not again
// for a file already found locked). A refusal known at once (no folder, no right to write) fails
// the call; once putting them in the file has failed, each write is made at once and its call
// reports whether it was.
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
// The "key=value" entries of a section, as a NUL-separated list like the key list.
DWORD GetPrivateProfileSection(LPCSTR section, LPSTR returnedString, DWORD size, LPCSTR fileName);
DWORD GetPrivateProfileSectionNames(LPSTR returnedString, DWORD size, LPCSTR fileName);
// Replaces a section's entries with the NUL-separated "key=value" list (null deletes the section).
BOOL WritePrivateProfileSection(LPCSTR section, LPCSTR entries, LPCSTR fileName);
// Binary data as upper-case hex digits followed by a checksum byte (the sum of the bytes).
BOOL GetPrivateProfileStruct(LPCSTR section, LPCSTR key, LPVOID data, UINT size, LPCSTR fileName);
BOOL WritePrivateProfileStruct(LPCSTR section, LPCSTR key, LPCVOID data, UINT size, LPCSTR fileName);

// The same engine for the layer's own C++ code (the application profile).
namespace dravonix::ini {

// The value of a key, quotes stripped as GetPrivateProfileString does; false when missing.
bool GetValue(const char* fileName, const std::string& section, const std::string& key, std::string& value);
// Section names in file order (each logical section once).
std::vector<std::string> SectionNames(const char* fileName);
// Keys of a section in file order (each once); empty when the section is missing.
std::vector<std::string> KeyNames(const char* fileName, const std::string& section);
bool SectionExists(const char* fileName, const std::string& section);
// Deletes every section whose name is `section` or begins with `section` + `\` (a key and its
// subkeys). True when the file was left consistent (also when nothing matched).
bool DeleteSectionTree(const char* fileName, const std::string& section);

// While one lives, this thread's path look-ups leave writes held back where they are: for the
// settings' own look-ups around a write.
class OwnLookups {
 public:
  OwnLookups();
  ~OwnLookups();
  OwnLookups(const OwnLookups&) = delete;
  OwnLookups& operator=(const OwnLookups&) = delete;

 private:
  bool m_old;
};

}  // namespace dravonix::ini
