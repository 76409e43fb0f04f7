#include "platform/core/FolderLock.h"

#include "platform/core/Path.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

DWORD g_dwFolderLockWait = 5000;

namespace {

// The folders this thread holds: a lock taken through one descriptor shuts out every other
// descriptor, the thread's own included, so a nested lock of the same folder counts instead.
struct Held {
  dev_t device;
  ino_t inode;
  int fd;
  int count;
};
// Of plain values, so that nothing of it is destroyed before a lock taken as the program exits (by
// the destructor of a static object, after the thread's own objects are gone).
constexpr size_t kMaxHeld = 64;
thread_local Held t_held[kMaxHeld];
thread_local size_t t_heldCount = 0;

Held* FindHeld(dev_t device, ino_t inode) {
  for (size_t i = 0; i < t_heldCount; ++i)
    if (t_held[i].device == device && t_held[i].inode == inode) return &t_held[i];
  return nullptr;
}

enum class Outcome { kTaken, kBusy, kFailed };  // kFailed leaves its cause in errno

Outcome TryLock(int fd) {
  int r;
  while ((r = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (r == 0) return Outcome::kTaken;
  return errno == EWOULDBLOCK ? Outcome::kBusy : Outcome::kFailed;
}

// Only where no thread can be started for the wait.
Outcome PollForLock(int fd, std::chrono::steady_clock::time_point until) {
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    const Outcome o = TryLock(fd);
    const auto now = std::chrono::steady_clock::now();
    if (o != Outcome::kBusy || now >= until) return o;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, until - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(16));
  }
}

// A blocked flock is woken the moment the holder lets go, which polling would miss against a
// holder that takes the lock again at once; but it waits without end, so it runs on a thread of
// its own that the caller leaves once the bound has passed. A wait left behind closes its
// descriptor as soon as flock returns, which drops a lock it got.
struct PendingWait {
  std::mutex mutex;
  std::condition_variable done;
  int fd = -1;
  bool finished = false;
  int result = 0;
  int error = 0;
  bool left = false;
};

// On kBusy the descriptor belongs to the wait left behind.
Outcome WaitForLock(int fd, DWORD ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  auto w = std::make_shared<PendingWait>();
  w->fd = fd;
  try {
    std::thread([w] {
      int r;
      while ((r = flock(w->fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
      const int error = r != 0 ? errno : 0;
      std::lock_guard<std::mutex> guard(w->mutex);
      if (w->left) {
        close(w->fd);
        return;
      }
      w->finished = true;
      w->result = r;
      w->error = error;
      w->done.notify_one();
    }).detach();
  } catch (const std::system_error&) {
    const Outcome o = PollForLock(fd, until);
    if (o == Outcome::kBusy) close(fd);
    return o;
  }
  std::unique_lock<std::mutex> guard(w->mutex);
  if (!w->done.wait_until(guard, until, [&] { return w->finished; })) {
    w->left = true;
    return Outcome::kBusy;
  }
  if (w->result == 0) return Outcome::kTaken;
  errno = w->error;
  return Outcome::kFailed;
}

}  // namespace

CFolderLock::CFolderLock(LPCSTR folder) : m_path(folder ? folder : "") { Take(); }

void CFolderLock::Take() {
  m_busy = false;
  if (m_path.empty()) return;
  // As spelled; only a name that finds nothing is looked up without regard to case.
  m_native = NativePath(m_path.c_str());
  int fd = open(m_native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
    m_native = ResolvePath(m_path.c_str());
    fd = open(m_native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return;
  }
  m_device = st.st_dev;
  m_inode = st.st_ino;
  m_links = st.st_nlink;
  if (Held* h = FindHeld(m_device, m_inode)) {
    close(fd);
    ++h->count;
    m_locked = true;
    return;
  }
  Outcome o = TryLock(fd);
  if (o == Outcome::kBusy) o = WaitForLock(fd, g_dwFolderLockWait);
  if (o == Outcome::kBusy) {
    m_busy = true;
    return;
  }
  // A file system without locks shuts nobody out, but the holder may still go on.
  if (o == Outcome::kFailed && errno != ENOLCK && errno != EOPNOTSUPP) {
    close(fd);
    return;
  }
  if (t_heldCount == kMaxHeld) {
    close(fd);
    return;
  }
  t_held[t_heldCount++] = Held{m_device, m_inode, fd, 1};
  m_locked = true;
  m_outermost = true;
}

int CFolderLock::GetDescriptor() const {
  const Held* h = m_locked ? FindHeld(m_device, m_inode) : nullptr;
  return h ? h->fd : -1;
}

BOOL CFolderLock::Retry() {
  if (m_busy) Take();
  return m_locked;
}

CFolderLock::~CFolderLock() {
  if (!m_locked) return;
  Held* h = FindHeld(m_device, m_inode);
  if (!h || --h->count > 0) return;
  // Closing the last descriptor of the lock releases it.
  close(h->fd);
  *h = t_held[--t_heldCount];
}
