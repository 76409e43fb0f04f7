// The names of a folder open as a descriptor, looked up as the layer's path look-ups find them.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

// Looks names up in the folder open as `dir` (not owned): as spelled, else the first (in byte
// order) that differs only in ASCII case. The folder is listed once, at the first name missing as
// spelled; names the caller makes there afterwards are told with Added. No link is followed: a link
// is a name like any other.
class CFolderNames {
 public:
  explicit CFolderNames(int dir) : m_dir(dir) {}
  // The name found (`st` filled without following a link), empty when none (errno set). One in
  // another case is taken only where it is a folder when `needDir`.
  std::string Find(const std::string& name, bool needDir, struct stat& st);
  void Added(const std::string& name);

 private:
  int m_dir;
  bool m_listed = false;
  std::vector<std::string> m_names;  // sorted
};
