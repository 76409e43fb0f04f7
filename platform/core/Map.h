// CMap and the framework's map classes: hash tables that iterate in the order keys were added.
#pragma once

#include "platform/core/Array.h"

#include <bit>
#include <type_traits>

// Hash values for map keys: strings by their bytes, everything else by its value.
inline UINT HashKey(LPCTSTR key) {
  UINT h = 2166136261u;
  for (const unsigned char* p = (const unsigned char*)(key ? key : ""); *p; ++p) h = (h ^ *p) * 16777619u;
  return h;
}
inline UINT HashKey(const CString& key) { return HashKey(key.GetString()); }
template <class T>
  requires(std::is_integral_v<T> || std::is_pointer_v<T> || std::is_enum_v<T>)
UINT HashKey(T key) {
  ULONGLONG x;
  if constexpr (std::is_pointer_v<T>) x = (ULONGLONG)(uintptr_t)key;
  else x = (ULONGLONG)key;
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  return (UINT)x;
}
inline UINT HashKey(double key) {
  ULONGLONG x = std::bit_cast<ULONGLONG>(key == 0.0 ? 0.0 : key);  // -0 and 0 are one key
  return HashKey(x);
}
inline bool CompareKeys(const CString& a, LPCTSTR b) { return a.str() == (b ? b : ""); }
template <class K, class A>
bool CompareKeys(const K& a, const A& b) { return a == b; }

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
 protected:
  struct CAssoc {
    CAssoc* pNext;      // in the bucket
    CAssoc* pListNext;  // in the order of addition
    CAssoc* pListPrev;
    UINT nHashValue;
    KEY key;
    VALUE value;
  };

 public:
  typedef KEY BASE_KEY;
  typedef ARG_KEY BASE_ARG_KEY;
  typedef VALUE BASE_VALUE;
  typedef ARG_VALUE BASE_ARG_VALUE;

  explicit CMap(INT_PTR blockSize = 10) : m_nBlockSize(blockSize) {}
  CMap(const CMap&) = delete;
  CMap& operator=(const CMap&) = delete;
  ~CMap() override { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }
  UINT GetHashTableSize() const { return m_nHashTableSize; }

  BOOL Lookup(ARG_KEY key, VALUE& value) const {
    const CAssoc* a = Find(key);
    if (!a) return FALSE;
    value = a->value;
    return TRUE;
  }
  VALUE& operator[](ARG_KEY key) {
    if (CAssoc* a = Find(key)) return a->value;
    return Insert(key)->value;
  }
  void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
  BOOL RemoveKey(ARG_KEY key) {
    if (m_buckets.empty()) return FALSE;
    UINT h = HashKey(key);
    CAssoc** link = &m_buckets[h % m_buckets.size()];
    for (CAssoc* a = *link; a; link = &a->pNext, a = a->pNext) {
      if (a->nHashValue == h && CompareKeys(a->key, key)) {
        *link = a->pNext;
        (a->pListPrev ? a->pListPrev->pListNext : m_pHead) = a->pListNext;
        (a->pListNext ? a->pListNext->pListPrev : m_pTail) = a->pListPrev;
        delete a;
        --m_nCount;
        return TRUE;
      }
    }
    return FALSE;
  }
  void RemoveAll() {
    for (CAssoc* a = m_pHead; a;) {
      CAssoc* next = a->pListNext;
      delete a;
      a = next;
    }
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
    std::fill(m_buckets.begin(), m_buckets.end(), nullptr);
  }

  POSITION GetStartPosition() const { return (POSITION)m_pHead; }
  void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
    if (!pos) AfxThrowInvalidArgException();
    const CAssoc* a = static_cast<const CAssoc*>(pos);
    key = a->key;
    value = a->value;
    pos = (POSITION)a->pListNext;
  }
  // The table grows by itself as the map fills; a size given here is a starting point.
  void InitHashTable(UINT hashSize, BOOL allocNow = TRUE) {
    m_nHashTableSize = hashSize ? hashSize : 17;
    if (allocNow || !m_buckets.empty()) Rehash(m_nHashTableSize);
  }

  // A count, then each key and value.
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar.WriteCount((DWORD_PTR)m_nCount);
      for (CAssoc* a = m_pHead; a; a = a->pListNext) {
        SerializeElement(ar, a->key);
        SerializeElement(ar, a->value);
      }
    } else {
      DWORD_PTR count = ar.ReadCount();
      for (DWORD_PTR i = 0; i < count; ++i) {
        KEY k{};
        VALUE v{};
        SerializeElement(ar, k);
        SerializeElement(ar, v);
        (*this)[k] = v;
      }
    }
  }

 protected:
  CAssoc* Find(ARG_KEY key) const {
    if (m_buckets.empty()) return nullptr;
    UINT h = HashKey(key);
    for (CAssoc* a = m_buckets[h % m_buckets.size()]; a; a = a->pNext)
      if (a->nHashValue == h && CompareKeys(a->key, key)) return a;
    return nullptr;
  }
  CAssoc* Insert(ARG_KEY key) {
    if (m_buckets.empty()) Rehash(m_nHashTableSize);
    else if ((size_t)m_nCount >= m_buckets.size() * 2) Rehash((UINT)(m_buckets.size() * 2 + 1));
    UINT h = HashKey(key);
    CAssoc* a = new CAssoc{nullptr, nullptr, m_pTail, h, KEY(key), VALUE()};
    size_t b = h % m_buckets.size();
    a->pNext = m_buckets[b];
    m_buckets[b] = a;
    (m_pTail ? m_pTail->pListNext : m_pHead) = a;
    m_pTail = a;
    ++m_nCount;
    return a;
  }
  void Rehash(UINT size) {
    m_buckets.assign(size, nullptr);
    for (CAssoc* a = m_pHead; a; a = a->pListNext) {
      size_t b = a->nHashValue % size;
      a->pNext = m_buckets[b];
      m_buckets[b] = a;
    }
  }

  std::vector<CAssoc*> m_buckets;
  CAssoc* m_pHead = nullptr;
  CAssoc* m_pTail = nullptr;
  INT_PTR m_nCount = 0;
  UINT m_nHashTableSize = 17;
  INT_PTR m_nBlockSize;
};

class CMapStringToString : public CMap<CString, LPCTSTR, CString, LPCTSTR> {
  DECLARE_SERIAL(CMapStringToString)
 public:
  explicit CMapStringToString(INT_PTR blockSize = 10) : CMap(blockSize) {}
};

class CMapStringToOb : public CMap<CString, LPCTSTR, CObject*, CObject*> {
  DECLARE_SERIAL(CMapStringToOb)
 public:
  explicit CMapStringToOb(INT_PTR blockSize = 10) : CMap(blockSize) {}
};

class CMapStringToPtr : public CMap<CString, LPCTSTR, void*, void*> {
  DECLARE_DYNAMIC(CMapStringToPtr)
 public:
  explicit CMapStringToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
  void Serialize(CArchive&) override {}
};

class CMapWordToOb : public CMap<WORD, WORD, CObject*, CObject*> {
  DECLARE_SERIAL(CMapWordToOb)
 public:
  explicit CMapWordToOb(INT_PTR blockSize = 10) : CMap(blockSize) {}
};

class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {
  DECLARE_DYNAMIC(CMapWordToPtr)
 public:
  explicit CMapWordToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
  void Serialize(CArchive&) override {}
};

class CMapPtrToWord : public CMap<void*, void*, WORD, WORD> {
  DECLARE_DYNAMIC(CMapPtrToWord)
 public:
  explicit CMapPtrToWord(INT_PTR blockSize = 10) : CMap(blockSize) {}
  void Serialize(CArchive&) override {}
};

class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {
  DECLARE_DYNAMIC(CMapPtrToPtr)
 public:
  explicit CMapPtrToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
  void Serialize(CArchive&) override {}
};
