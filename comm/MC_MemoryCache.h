// Copies of single drive words for polling clients, refreshed with as few drive reads as possible.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"

// One cached drive word.
class CMC_MemoryCacheElem : public CObject {
  DECLARE_DYNAMIC(CMC_MemoryCacheElem)
 public:
  CMC_MemoryCacheElem(BYTE axis = 0, WORD address = 0, WORD maxAge = 0)
      : m_byAxis(axis), m_wAddress(address), m_wMaxAge(maxAge) {}
  CMC_MemoryCacheElem(const CMC_MemoryCacheElem& other) = default;
  CMC_MemoryCacheElem& operator=(const CMC_MemoryCacheElem& other) = default;

  // Fresh while the last read is younger than the tolerated age; an age of 0 is never fresh, and
  // neither is a word that was never read.
  int IsFreshEnough() const;
  DWORD GetKey() const { return (DWORD)m_byAxis * 65536u + m_wAddress; }

  BYTE m_byAxis;      // 0: the active axis, no selection
  WORD m_wAddress;
  WORD m_wValue = 0;
  DWORD m_dwTick = 0;  // tick count of the last read
  WORD m_wMaxAge;      // tolerated age in ms
  bool m_bRead = false;
};

class CMC_MemoryCache {
 public:
  explicit CMC_MemoryCache(unsigned char space);
  CMC_MemoryCache(const CMC_MemoryCache& other);
  // Keeps this cache's own memory space.
  CMC_MemoryCache& operator=(const CMC_MemoryCache& other);
  virtual ~CMC_MemoryCache();

  // Registers `count` consecutive words; a word already registered keeps the smaller age.
  void AddAddress(unsigned char axis, unsigned short address, int count, unsigned short maxAge);
  // Copies the cached values of consecutive words; stops at the first word not cached.
  void GetValue(unsigned char axis, unsigned short address, unsigned short* values, int count) const;
  void Invalidate(unsigned char axis, unsigned short address, int count);
  // Reads the stale words (every word when `all`), one drive read per run of consecutive words.
  int ReadValues(int all);
  void Reset();
  int FindAddress(unsigned char axis, unsigned short address) const;
  static int CompareAddress(const CMC_MemoryCacheElem& elem, unsigned char axis, unsigned short address);

  BYTE GetMemorySpace() const { return m_byMemorySpace; }
  int GetCount() const { return m_arrElems.GetSize(); }
  const CMC_MemoryCacheElem* GetElem(int i) const { return m_arrElems.GetAt(i); }

 private:
  // Index of the first element whose key is not below the given one.
  int LowerBound(DWORD key) const;
  void CopyElements(const CMC_MemoryCache& other);

  CObArrayEx<CMC_MemoryCacheElem> m_arrElems;
  BYTE m_byMemorySpace;
};
