// Placeholder: separators only; the case-insensitive look-up comes with the file-system functions.
#include "platform/core/Path.h"

bool IsAbsolutePath(const char* path) {
  if (!path || !*path) return false;
  if (path[0] == '\\' || path[0] == '/') return true;
  return ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z' && path[1] == ':');
}

std::string NativePath(const char* path) {
  std::string s(path ? path : "");
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::string ResolvePath(const char* path) { return NativePath(path); }
