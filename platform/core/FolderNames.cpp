#include "platform/core/FolderNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
}

}  // namespace

std::vector<FolderEntry> ListFolder(int dir, int* error) {
  std::vector<FolderEntry> entries;
  // A descriptor of its own: the listing moves its offset and closes it.
  const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
  if (!d) {
    if (error) *error = errno;
    if (fd >= 0) close(fd);
    return entries;
  }
  for (;;) {
    errno = 0;
    dirent* e = readdir(d);
    if (!e) {
      if (error) *error = errno;
      break;
    }
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st;
      if (fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) type = IFTODT(st.st_mode);
    }
    entries.push_back({e->d_name, type});
  }
  closedir(d);
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::string CFolderNames::Find(const std::string& name, bool needDir, struct stat& st) {
  const std::string lower = Lower(name);
  bool known = !m_made;
  for (auto [at, end] = m_names.equal_range(lower); !known && at != end; ++at) known = at->second == name;
  if (known && fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
  if (known && errno != ENOENT) return std::string();
  if (!m_listed) {
    m_listed = true;
    for (const FolderEntry& e : ListFolder(m_dir)) m_names.emplace(Lower(e.name), e.name);
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
