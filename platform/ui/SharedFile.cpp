// Memory files on global memory blocks.
#include "platform/ui/SharedFile.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CSharedFile, CFile)

CSharedFile::CSharedFile(UINT allocFlags, UINT growBytes)
    : m_nAllocFlags(allocFlags), m_nGrowBytes(growBytes ? growBytes : 4096) {}

CSharedFile::~CSharedFile() { Close(); }

void CSharedFile::Close() {
  if (m_hMem && m_bAllowGrow) GlobalFree(m_hMem);  // a borrowed block stays its owner's
  m_hMem = nullptr;
  m_bAllowGrow = TRUE;
  m_nFileSize = m_nPosition = 0;
}

HGLOBAL CSharedFile::Detach() {
  HGLOBAL h = m_hMem;
  m_hMem = nullptr;
  m_nFileSize = m_nPosition = 0;
  return h;
}

void CSharedFile::SetHandle(HGLOBAL hGlobal, BOOL bAllowGrow) {
  Close();
  m_hMem = hGlobal;
  m_bAllowGrow = bAllowGrow;
  m_nFileSize = hGlobal ? GlobalSize(hGlobal) : 0;
}

void CSharedFile::Grow(size_t need) {
  const size_t have = m_hMem ? GlobalSize(m_hMem) : 0;
  if (need <= have) return;
  if (!m_bAllowGrow) AfxThrowFileException(CFileException::diskFull);
  // Whole steps of the grow size.
  const size_t size = (need + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
  HGLOBAL h = m_hMem ? GlobalReAlloc(m_hMem, size, m_nAllocFlags) : GlobalAlloc(m_nAllocFlags, size);
  if (!h) AfxThrowMemoryException();
  m_hMem = h;
}

UINT CSharedFile::Read(void* buf, UINT count) {
  if (m_nPosition >= m_nFileSize || !count || !m_hMem) return 0;
  const size_t n = std::min<size_t>(count, m_nFileSize - m_nPosition);
  const BYTE* p = static_cast<const BYTE*>(GlobalLock(m_hMem));
  if (!p) return 0;
  std::memcpy(buf, p + m_nPosition, n);
  GlobalUnlock(m_hMem);
  m_nPosition += n;
  return (UINT)n;
}

void CSharedFile::Write(const void* buf, UINT count) {
  if (!count) return;
  Grow(m_nPosition + count);
  BYTE* p = static_cast<BYTE*>(GlobalLock(m_hMem));
  if (!p) AfxThrowMemoryException();
  std::memcpy(p + m_nPosition, buf, count);
  GlobalUnlock(m_hMem);
  m_nPosition += count;
  m_nFileSize = std::max(m_nFileSize, m_nPosition);
}

ULONGLONG CSharedFile::Seek(LONGLONG off, UINT from) {
  const long long base = from == begin ? 0 : from == current ? (long long)m_nPosition : (long long)m_nFileSize;
  if (base + off < 0) AfxThrowFileException(CFileException::badSeek);
  m_nPosition = (size_t)(base + off);
  return m_nPosition;
}

void CSharedFile::SetLength(ULONGLONG newLen) {
  if (newLen > GlobalSize(m_hMem)) Grow((size_t)newLen);
  m_nFileSize = (size_t)newLen;
  m_nPosition = std::min(m_nPosition, m_nFileSize);
}
