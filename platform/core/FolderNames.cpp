#include "platform/core/FolderNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <strings.h>

std::string CFolderNames::Find(const std::string& name, bool needDir, struct stat& st) {
  if (fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
  if (errno != ENOENT) return std::string();
  if (!m_listed) {
    m_listed = true;
    const int fd = openat(m_dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* d = fd >= 0 ? fdopendir(fd) : nullptr) {
      while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) m_names.emplace_back(e->d_name);
      closedir(d);
    } else if (fd >= 0) {
      close(fd);
    }
    std::sort(m_names.begin(), m_names.end());
  }
  for (const std::string& n : m_names)
    if (n.size() == name.size() && strncasecmp(n.c_str(), name.c_str(), n.size()) == 0 &&
        fstatat(m_dir, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && (!needDir || S_ISDIR(st.st_mode)))
      return n;
  errno = ENOENT;
  return std::string();
}

void CFolderNames::Added(const std::string& name) {
  if (!m_listed) return;
  auto at = std::lower_bound(m_names.begin(), m_names.end(), name);
  if (at == m_names.end() || *at != name) m_names.insert(at, name);
}
