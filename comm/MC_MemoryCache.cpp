#include "comm/MC_MemoryCache.h"

#include "comm/MC_Comm.h"
#include "platform/core/Clock.h"

#include <vector>

IMPLEMENT_DYNAMIC(CMC_MemoryCacheElem, CObject)

int CMC_MemoryCacheElem::IsFreshEnough() const {
  if (!m_wMaxAge || !m_bRead) return FALSE;
  // Signed difference: stays right across the wrap of the 32-bit tick count.
  LONG age = (LONG)(GetTickCount() - m_dwTick);
  if (age < 0) age = -age;
  return age < (LONG)m_wMaxAge;
}

CMC_MemoryCache::CMC_MemoryCache(unsigned char space) : m_byMemorySpace(space) {}

CMC_MemoryCache::CMC_MemoryCache(const CMC_MemoryCache& other) : m_byMemorySpace(other.m_byMemorySpace) {
  CopyElements(other);
}

CMC_MemoryCache& CMC_MemoryCache::operator=(const CMC_MemoryCache& other) {
  if (this != &other) {
    m_arrElems.RemoveAll();
    CopyElements(other);
  }
  return *this;
}

CMC_MemoryCache::~CMC_MemoryCache() = default;

void CMC_MemoryCache::CopyElements(const CMC_MemoryCache& other) {
  m_arrElems.SetSize(0, 64);
  for (int i = 0; i < other.m_arrElems.GetSize(); ++i) m_arrElems.Add(new CMC_MemoryCacheElem(*other.m_arrElems[i]));
}

int CMC_MemoryCache::CompareAddress(const CMC_MemoryCacheElem& elem, unsigned char axis, unsigned short address) {
  if (elem.m_byAxis != axis) return elem.m_byAxis < axis ? -1 : 1;
  if (elem.m_wAddress != address) return elem.m_wAddress < address ? -1 : 1;
  return 0;
}

int CMC_MemoryCache::LowerBound(DWORD key) const {
  int lo = 0, hi = m_arrElems.GetSize();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (m_arrElems.GetAt(mid)->GetKey() < key) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

int CMC_MemoryCache::FindAddress(unsigned char axis, unsigned short address) const {
  int i = LowerBound((DWORD)axis * 65536u + address);
  if (i < m_arrElems.GetSize() && CompareAddress(*m_arrElems.GetAt(i), axis, address) == 0) return i;
  return -1;
}

void CMC_MemoryCache::AddAddress(unsigned char axis, unsigned short address, int count, unsigned short maxAge) {
  // Addresses stop at the top of the space rather than wrap to 0.
  const LONGLONG end = (LONGLONG)address + count;
  for (LONGLONG a = address; a < end && a <= 0xFFFF; ++a) {
    DWORD key = (DWORD)axis * 65536u + (DWORD)a;
    int i = LowerBound(key);
    if (i < m_arrElems.GetSize() && m_arrElems.GetAt(i)->GetKey() == key) {
      CMC_MemoryCacheElem* e = m_arrElems.GetAt(i);
      if (maxAge < e->m_wMaxAge) e->m_wMaxAge = maxAge;
    } else {
      m_arrElems.InsertAt(i, new CMC_MemoryCacheElem(axis, (WORD)a, maxAge));
    }
  }
}

void CMC_MemoryCache::GetValue(unsigned char axis, unsigned short address, unsigned short* values, int count) const {
  int i = FindAddress(axis, address);
  if (i < 0 || !values) return;
  for (int n = 0; n < count && i + n < m_arrElems.GetSize(); ++n) {
    const CMC_MemoryCacheElem* e = m_arrElems.GetAt(i + n);
    if (e->m_byAxis != axis || (LONG)e->m_wAddress != (LONG)address + n) break;
    values[n] = e->m_wValue;
  }
}

void CMC_MemoryCache::Invalidate(unsigned char axis, unsigned short address, int count) {
  int i = FindAddress(axis, address);
  if (i < 0) return;
  DWORD now = GetTickCount();
  for (int n = 0; n < count && i + n < m_arrElems.GetSize(); ++n) {
    CMC_MemoryCacheElem* e = m_arrElems.GetAt(i + n);
    if (e->m_byAxis != axis || (LONG)e->m_wAddress != (LONG)address + n) break;
    if (e->m_wMaxAge) e->m_dwTick = now - e->m_wMaxAge - 1;
  }
}

int CMC_MemoryCache::ReadValues(int all) {
  const int size = m_arrElems.GetSize();
  BYTE currentAxis = 0;
  std::vector<WORD> buffer;
  for (int i = 0; i < size;) {
    CMC_MemoryCacheElem* first = m_arrElems.GetAt(i);
    if (!all && first->IsFreshEnough()) {
      ++i;
      continue;
    }
    if (first->m_byAxis != currentAxis) {
      currentAxis = first->m_byAxis;
      if (currentAxis && !CMC_Comm::SetActiveBoard(currentAxis)) return 0;
    }
    // The run: following words of the same axis at the next addresses that need a read too; its
    // length fits the 16-bit word count of a transfer.
    int end = i + 1;
    while (end < size && end - i < 0xFFFF) {
      const CMC_MemoryCacheElem* e = m_arrElems.GetAt(end);
      if (e->m_byAxis != currentAxis || (LONG)e->m_wAddress != (LONG)first->m_wAddress + (end - i)) break;
      if (!all && e->IsFreshEnough()) break;
      ++end;
    }
    const int run = end - i;
    if (run >= 2) {
      // A read the user ignores hands nothing out: each word keeps its last value.
      buffer.resize((size_t)run);
      for (int k = 0; k < run; ++k) buffer[(size_t)k] = m_arrElems.GetAt(i + k)->m_wValue;
      if (!CMC_Comm::ReceiveData(buffer.data(), first->m_wAddress, m_byMemorySpace, (WORD)run)) return 0;
      DWORD now = GetTickCount();
      for (int k = 0; k < run; ++k) {
        CMC_MemoryCacheElem* e = m_arrElems.GetAt(i + k);
        e->m_wValue = buffer[(size_t)k];
        e->m_dwTick = now;
        e->m_bRead = true;
      }
    } else {
      WORD value = first->m_wValue;
      if (!CMC_Comm::ReceiveData(&value, first->m_wAddress, m_byMemorySpace, 1)) return 0;
      first->m_wValue = value;
      first->m_dwTick = GetTickCount();
      first->m_bRead = true;
    }
    i = end;
  }
  return 1;
}

void CMC_MemoryCache::Reset() { m_arrElems.RemoveAll(); }
