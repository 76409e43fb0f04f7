// Path rules of the layer: `\` and `/` both separate, `\x`, `/x` and `C:x` are absolute, and a path
// that does not exist as spelled is looked up component by component without regard to case.
//
// Drive letters: there are no drives here, so a leading "X:" stands for the root of the file system
// ("C:\data\x.cfg" and "C:data\x.cfg" both name "/data/x.cfg"). Stored setups that carry Windows
// drive paths therefore land under "/" rather than relative to the current folder.
#pragma once

#include <atomic>
#include <string>

// True for names beginning with `\`, `/` or a drive letter and colon.
bool IsAbsolutePath(const char* path);
// The path with `\` turned into `/` and a leading drive letter mapped to the root (no look-up).
// Every name the layer reaches a file or folder by passes here, so writes that are held back
// (the profile cache) are put in their files first: set by their owner, called before each.
std::string NativePath(const char* path);
extern std::atomic<void (*)()> g_pfnBeforeNamedAccess;
// The native path of an existing file or folder, found without regard to case (ASCII letters) when
// the spelled one is missing. Where several names match a component, the one spelled exactly wins,
// else the first in byte order (a folder is preferred where more components follow). For a missing
// file, the parent is resolved and the missing components are kept as spelled, so new files are
// created in the folder that exists. Nothing is cached; a path that exists as spelled costs one stat.
std::string ResolvePath(const char* path);
// For tests that count what a save costs: called with the folder before each listing that looks a
// name up without regard to case or sweeps a save's leftovers.
extern void (*g_pfnFolderListed)(const char* folder);
// The folder part of a native path ("." for a bare name, "/" at the root) and its last component.
std::string ParentOf(const std::string& native);
std::string LastComponent(const std::string& native);
// True when the two bytes are equal without regard to ASCII case.
inline bool EqualNoCaseAscii(char a, char b) {
  unsigned char x = (unsigned char)a, y = (unsigned char)b;
  if (x >= 'A' && x <= 'Z') x = (unsigned char)(x + 32);
  if (y >= 'A' && y <= 'Z') y = (unsigned char)(y + 32);
  return x == y;
}
