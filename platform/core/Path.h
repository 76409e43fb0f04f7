// Path rules of the layer: `\` and `/` both separate, `\x`, `/x` and `C:x` are absolute, and a path
// that does not exist as spelled is looked up component by component without regard to case.
#pragma once

#include <string>

// True for names beginning with `\`, `/` or a drive letter and colon.
bool IsAbsolutePath(const char* path);
// The path with `\` turned into `/` (no look-up).
std::string NativePath(const char* path);
// The native path of an existing file or folder, found without regard to case when the spelled one
// is missing; for a missing file, the spelled parent resolved and the last component kept as given
// (so new files are created in the folder that exists).
std::string ResolvePath(const char* path);
