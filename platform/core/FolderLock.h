// A lock on a folder that every thread and process taking it for the same folder waits for in turn,
// for work on several of the folder's files that others must see whole.
#pragma once

#include "platform/core/Types.h"

#include <sys/types.h>

class CFolderLock {
 public:
  // Waits until the lock is free. A folder that cannot be opened is not locked (IsLocked false);
  // on a file system without locks it is taken without shutting anyone out. A thread that already
  // holds the folder's lock takes it again at once.
  explicit CFolderLock(LPCSTR folder);
  ~CFolderLock();
  CFolderLock(const CFolderLock&) = delete;
  CFolderLock& operator=(const CFolderLock&) = delete;

  BOOL IsLocked() const { return m_locked; }

 private:
  dev_t m_device = 0;
  ino_t m_inode = 0;
  bool m_locked = false;
};
