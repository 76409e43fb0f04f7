#include "platform/core/FolderLock.h"

#include "platform/core/Path.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// The folders this thread holds: a lock taken through one descriptor shuts out every other
// descriptor, the thread's own included, so a nested lock of the same folder counts instead.
struct Held {
  dev_t device;
  ino_t inode;
  int fd;
  int count;
};
thread_local std::vector<Held> t_held;

Held* FindHeld(dev_t device, ino_t inode) {
  for (Held& h : t_held)
    if (h.device == device && h.inode == inode) return &h;
  return nullptr;
}

}  // namespace

CFolderLock::CFolderLock(LPCSTR folder) {
  if (!folder || !*folder) return;
  const int fd = open(ResolvePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return;
  }
  m_device = st.st_dev;
  m_inode = st.st_ino;
  if (Held* h = FindHeld(m_device, m_inode)) {
    close(fd);
    ++h->count;
    m_locked = true;
    return;
  }
  int r;
  while ((r = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  // A file system without locks shuts nobody out, but the holder may still go on.
  if (r != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
    close(fd);
    return;
  }
  t_held.push_back(Held{m_device, m_inode, fd, 1});
  m_locked = true;
}

CFolderLock::~CFolderLock() {
  if (!m_locked) return;
  Held* h = FindHeld(m_device, m_inode);
  if (!h || --h->count > 0) return;
  // Closing the last descriptor of the lock releases it.
  close(h->fd);
  t_held.erase(t_held.begin() + (h - t_held.data()));
}
