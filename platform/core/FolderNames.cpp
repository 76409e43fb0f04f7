#include "platform/core/FolderNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
}

}  // namespace

std::string CFolderNames::Find(const std::string& name, bool needDir, struct stat& st) {
  const std::string lower = Lower(name);
  bool known = !m_made;
  for (auto [at, end] = m_names.equal_range(lower); !known && at != end; ++at) known = at->second == name;
  if (known && fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
  if (known && errno != ENOENT) return std::string();
  if (!m_listed) {
    m_listed = true;
    const int fd = openat(m_dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* d = fd >= 0 ? fdopendir(fd) : nullptr) {
      while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) m_names.emplace(Lower(e->d_name), e->d_name);
      closedir(d);
    } else if (fd >= 0) {
      close(fd);
    }
  }
  std::string best;
  for (auto [at, end] = m_names.equal_range(lower); at != end; ++at) {
    const std::string& n = at->second;
    struct stat found;
    if (n != name && (best.empty() || n < best) && fstatat(m_dir, n.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
        (!needDir || S_ISDIR(found.st_mode))) {
      best = n;
      st = found;
    }
  }
  if (best.empty()) errno = ENOENT;
  return best;
}

void CFolderNames::Added(const std::string& name) {
  if (!m_listed) return;
  const std::string lower = Lower(name);
  for (auto [at, end] = m_names.equal_range(lower); at != end; ++at)
    if (at->second == name) return;
  m_names.emplace(lower, name);
}
