// The names of a folder open as a descriptor, looked up as the layer's path look-ups find them.
#pragma once

#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

// An entry of a folder as listed: its name and kind (a `DT_` value; `DT_UNKNOWN` where it could not
// be told, such as a name gone meanwhile).
struct FolderEntry {
  std::string name;
  unsigned char type;
  bool operator<(const FolderEntry& o) const { return name < o.name; }
};
// What the folder open as `dir` holds but "." and "..", sorted by name; nothing is followed.
// `error`, when given, gets why the folder could not be listed whole (0 when it was).
std::vector<FolderEntry> ListFolder(int dir, int* error = nullptr);

// Looks names up in the folder open as `dir` (not owned): as spelled, else the first (in byte
// order) that differs only in ASCII case. The folder is listed once, at the first name missing as
// spelled; names the caller makes there afterwards are told with Added. No link is followed: a link
// is a name like any other.
class CFolderNames {
 public:
  // `made`: the caller made the folder, so it holds only what is told with Added; nothing is looked
  // up on the disk for a name not there.
  explicit CFolderNames(int dir, bool made = false) : m_dir(dir), m_listed(made), m_made(made) {}
  // The name found (`st` filled without following a link), empty when none (errno set). One in
  // another case is taken only where it is a folder when `needDir`.
  std::string Find(const std::string& name, bool needDir, struct stat& st);
  void Added(const std::string& name);

 private:
  int m_dir;
  bool m_listed, m_made;
  std::multimap<std::string, std::string> m_names;  // by the name in lower case
};
