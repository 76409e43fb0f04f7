// CSharedFile: a memory file kept in a movable global memory block, for clipboard data.
#pragma once

#include "platform/core/File.h"
#include "platform/ui/Clipboard.h"

class CSharedFile : public CFile {
  DECLARE_DYNAMIC(CSharedFile)
 public:
  explicit CSharedFile(UINT allocFlags = GMEM_MOVEABLE | GMEM_DDESHARE, UINT growBytes = 4096);
  ~CSharedFile() override;

  // Hands the block to the caller (the file is empty afterwards); null when nothing was written.
  HGLOBAL Detach();
  // Reads from the caller's block. With bAllowGrow the file may grow it and owns it; without, it only
  // borrows it and never frees it.
  void SetHandle(HGLOBAL hGlobal, BOOL bAllowGrow = TRUE);

  UINT Read(void* buf, UINT count) override;
  void Write(const void* buf, UINT count) override;
  ULONGLONG Seek(LONGLONG off, UINT from) override;
  ULONGLONG GetLength() const override { return m_nFileSize; }
  void SetLength(ULONGLONG newLen) override;
  ULONGLONG GetPosition() const override { return m_nPosition; }
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }
  void LockRange(ULONGLONG, ULONGLONG) override {}
  void UnlockRange(ULONGLONG, ULONGLONG) override {}

 private:
  void Grow(size_t need);

  UINT m_nAllocFlags;
  UINT m_nGrowBytes;
  HGLOBAL m_hMem = nullptr;
  BOOL m_bAllowGrow = TRUE;
  size_t m_nFileSize = 0;
  size_t m_nPosition = 0;
};
