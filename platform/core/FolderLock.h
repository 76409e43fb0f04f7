// A lock on a folder that every thread and process taking it for the same folder waits for in turn,
// for work on several of the folder's files that others must see whole.
#pragma once

#include "platform/core/Types.h"

#include <sys/types.h>

#include <string>

// How long a lock another holder keeps is waited for, in milliseconds of real time: the holder is
// another program (or thread), whose pace no virtual clock sets.
extern DWORD g_dwFolderLockWait;

class CFolderLock {
 public:
  // Waits until the lock is free, at most g_dwFolderLockWait; past that the lock is busy (IsBusy)
  // and not taken. A folder that cannot be opened is not locked (IsLocked false); on a file system
  // without locks it is taken without shutting anyone out. A thread that already holds the
  // folder's lock takes it again at once.
  explicit CFolderLock(LPCSTR folder);
  ~CFolderLock();
  CFolderLock(const CFolderLock&) = delete;
  CFolderLock& operator=(const CFolderLock&) = delete;

  BOOL IsLocked() const { return m_locked; }
  // Another holder kept the lock for the whole wait.
  BOOL IsBusy() const { return m_busy; }
  // Waits once more, as the constructor does, for a busy lock; returns IsLocked.
  BOOL Retry();
  // The thread's first hold of the folder, not one nested in it: work done once per hold (such as
  // completing what a stopped holder left) belongs here.
  BOOL IsOutermost() const { return m_outermost; }
  // The folder as the file system knows it (valid once locked).
  const std::string& GetNativePath() const { return m_native; }
  // The folder's descriptor while it is locked (-1 otherwise), for looking up names in it.
  int GetDescriptor() const;
  // False when the folder held no sub-folder as it was locked (its link count, where the file system
  // keeps one that way, says so).
  bool MayHoldFolders() const { return m_links != 2; }

 private:
  void Take();

  std::string m_path;
  std::string m_native;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  nlink_t m_links = 0;
  bool m_locked = false;
  bool m_busy = false;
  bool m_outermost = false;
};
