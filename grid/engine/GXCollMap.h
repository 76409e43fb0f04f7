// The grid's chained hash maps (sizes, pointers, named handles, objects per cell) and the bit set
// kept in a byte array, with the row and column shift operations.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

// Iteration follows the buckets and, inside a bucket, the chain (newest first), which is also the
// archive order. A side index finds a key in constant time however long the chains grow, since
// the bucket count never changes once entries exist.
template <class KEY, class VALUE>
class CGXHashTable {
 public:
  struct Node {
    Node* pNext;
    Node* pPrev;
    UINT nBucket;
    KEY key;
    VALUE value;
  };

  explicit CGXHashTable(UINT hashSize = 17) : m_nHashTableSize(hashSize ? hashSize : 1) {}
  ~CGXHashTable() { RemoveAll(); }
  CGXHashTable(const CGXHashTable&) = delete;
  CGXHashTable& operator=(const CGXHashTable&) = delete;

  INT_PTR GetCount() const { return (INT_PTR)m_index.size(); }
  UINT GetHashTableSize() const { return m_nHashTableSize; }
  BOOL HasBuckets() const { return m_pHashTable != nullptr; }

  Node* Find(const KEY& key) const {
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : it->second;
  }
  // The node of the key, made with a zero value at the head of its chain when absent.
  Node* Get(const KEY& key, UINT bucket) {
    if (Node* n = Find(key)) return n;
    if (!m_pHashTable) AllocBuckets(m_nHashTableSize);
    bucket %= m_nHashTableSize;
    Node* n = new Node{m_pHashTable[bucket], nullptr, bucket, key, VALUE()};
    if (n->pNext) n->pNext->pPrev = n;
    m_pHashTable[bucket] = n;
    m_index.emplace(key, n);
    return n;
  }
  BOOL Remove(const KEY& key) {
    auto it = m_index.find(key);
    if (it == m_index.end()) return FALSE;
    Node* n = it->second;
    m_index.erase(it);
    if (n->pPrev) n->pPrev->pNext = n->pNext;
    else m_pHashTable[n->nBucket] = n->pNext;
    if (n->pNext) n->pNext->pPrev = n->pPrev;
    delete n;
    return TRUE;
  }
  void RemoveAll() {
    if (m_pHashTable) {
      for (UINT b = 0; b < m_nHashTableSize; ++b) {
        for (Node* n = m_pHashTable[b]; n;) {
          Node* next = n->pNext;
          delete n;
          n = next;
        }
      }
      delete[] m_pHashTable;
      m_pHashTable = nullptr;
    }
    m_index.clear();
  }
  void Swap(CGXHashTable& other) noexcept {
    std::swap(m_pHashTable, other.m_pHashTable);
    std::swap(m_nHashTableSize, other.m_nHashTableSize);
    m_index.swap(other.m_index);
  }
  // Entries are dropped; the new size holds from the next insertion on.
  void InitHashTable(UINT size) {
    RemoveAll();
    m_nHashTableSize = size ? size : 1;
    AllocBuckets(m_nHashTableSize);
  }

  POSITION GetStartPosition() const { return m_index.empty() ? nullptr : (POSITION)-1; }
  const Node* GetNext(POSITION& pos) const {
    const Node* n = pos == (POSITION)-1 ? FirstFrom(0) : (const Node*)pos;
    if (!n) {
      pos = nullptr;
      return nullptr;
    }
    pos = (POSITION)(n->pNext ? n->pNext : FirstFrom(n->nBucket + 1));
    return n;
  }

 private:
  void AllocBuckets(UINT size) {
    m_pHashTable = new Node*[size]();
  }
  const Node* FirstFrom(UINT bucket) const {
    if (!m_pHashTable) return nullptr;
    for (UINT b = bucket; b < m_nHashTableSize; ++b)
      if (m_pHashTable[b]) return m_pHashTable[b];
    return nullptr;
  }

  Node** m_pHashTable = nullptr;
  UINT m_nHashTableSize;
  std::unordered_map<KEY, Node*> m_index;
};

// DWORD -> 32-bit signed value: row heights, column widths and other per-row or per-column values.
class CGXCollMapDWordToLong : public CObject {
  DECLARE_SERIAL(CGXCollMapDWordToLong)

 public:
  explicit CGXCollMapDWordToLong(INT_PTR nBlockSize = 10);
  ~CGXCollMapDWordToLong() override;

  INT_PTR GetCount() const { return m_table.GetCount(); }
  BOOL IsEmpty() const { return GetCount() == 0; }
  UINT GetHashTableSize() const { return m_table.GetHashTableSize(); }
  BOOL HasHashTable() const { return m_table.HasBuckets(); }
  BOOL Lookup(DWORD key, LONG& value) const;
  LONG& operator[](DWORD key);
  void SetAt(DWORD key, LONG value) { (*this)[key] = value; }
  BOOL RemoveKey(DWORD key) { return m_table.Remove(key); }
  void RemoveAll() { m_table.RemoveAll(); }
  void InitHashTable(UINT size) { m_table.InitHashTable(size); }
  POSITION GetStartPosition() const { return m_table.GetStartPosition(); }
  void GetNextAssoc(POSITION& pos, DWORD& key, LONG& value) const;

  // Row and column shifts: keys >= at grow by count; from..to are dropped and later keys close the
  // gap; the band from..to moves to start at dest, the keys between its places shifting over.
  void InsertKeys(DWORD at, DWORD count);
  void RemoveKeys(DWORD from, DWORD to);
  void MoveKeys(DWORD from, DWORD to, DWORD dest);

  // A 16-bit count, then key and value pairs in iteration order; loading adds to what is held.
  void Serialize(CArchive& ar) override;

 protected:
  static UINT Hash(DWORD key) { return key >> 4; }

 private:
  template <class F>
  void Remap(F shift);  // shift returns false to drop a key
  CGXHashTable<DWORD, LONG> m_table;
};

class CGXMapDWordToLong : public CGXCollMapDWordToLong {
  DECLARE_SERIAL(CGXMapDWordToLong)

 public:
  explicit CGXMapDWordToLong(INT_PTR nBlockSize = 10) : CGXCollMapDWordToLong(nBlockSize) {}
};

// DWORD -> pointer (the pointers are not owned).
class CGXCollMapDWordToPtr : public CObject {
  DECLARE_SERIAL(CGXCollMapDWordToPtr)

 public:
  explicit CGXCollMapDWordToPtr(INT_PTR nBlockSize = 10);
  ~CGXCollMapDWordToPtr() override;

  INT_PTR GetCount() const { return m_table.GetCount(); }
  BOOL IsEmpty() const { return GetCount() == 0; }
  BOOL Lookup(DWORD key, void*& value) const;
  void*& operator[](DWORD key) { return m_table.Get(key, key >> 4)->value; }
  void SetAt(DWORD key, void* value) { (*this)[key] = value; }
  BOOL RemoveKey(DWORD key) { return m_table.Remove(key); }
  void RemoveAll() { m_table.RemoveAll(); }
  void InitHashTable(UINT size) { m_table.InitHashTable(size); }
  POSITION GetStartPosition() const { return m_table.GetStartPosition(); }
  void GetNextAssoc(POSITION& pos, DWORD& key, void*& value) const;

 private:
  CGXHashTable<DWORD, void*> m_table;
};

// Text (compared with case) -> handle; the handles belong to whoever stored them.
class CGXCollMapStringToHandle : public CObject {
  DECLARE_SERIAL(CGXCollMapStringToHandle)

 public:
  explicit CGXCollMapStringToHandle(INT_PTR nBlockSize = 10);
  ~CGXCollMapStringToHandle() override;

  INT_PTR GetCount() const { return m_table.GetCount(); }
  BOOL IsEmpty() const { return GetCount() == 0; }
  BOOL Lookup(LPCTSTR key, HANDLE& value) const;
  HANDLE& operator[](LPCTSTR key);
  void SetAt(LPCTSTR key, HANDLE value) { (*this)[key] = value; }
  BOOL RemoveKey(LPCTSTR key) { return m_table.Remove(key ? key : ""); }
  void RemoveAll() { m_table.RemoveAll(); }
  void InitHashTable(UINT size) { m_table.InitHashTable(size); }
  POSITION GetStartPosition() const { return m_table.GetStartPosition(); }
  void GetNextAssoc(POSITION& pos, CString& key, HANDLE& value) const;

  static UINT HashKey(LPCTSTR key);

 private:
  CGXHashTable<std::string, HANDLE> m_table;
};

// (first, second) index pair -> object (not owned).
class CMapNdxToOb : public CObject {
  DECLARE_SERIAL(CMapNdxToOb)

 public:
  explicit CMapNdxToOb(INT_PTR nBlockSize = 10);
  ~CMapNdxToOb() override;

  INT_PTR GetCount() const { return m_table.GetCount(); }
  BOOL IsEmpty() const { return GetCount() == 0; }
  BOOL Lookup(DWORD first, DWORD second, CObject*& value) const;
  CObject*& operator()(DWORD first, DWORD second);
  void SetAt(DWORD first, DWORD second, CObject* value) { (*this)(first, second) = value; }
  BOOL RemoveKey(DWORD first, DWORD second) { return m_table.Remove(Key(first, second)); }
  void RemoveAll() { m_table.RemoveAll(); }
  void InitHashTable(UINT size) { m_table.InitHashTable(size); }
  POSITION GetStartPosition() const { return m_table.GetStartPosition(); }
  void GetNextAssoc(POSITION& pos, DWORD& first, DWORD& second, CObject*& value) const;

  // A 16-bit count, then each index pair and its object through the archive's object protocol.
  void Serialize(CArchive& ar) override;

 private:
  static uint64_t Key(DWORD first, DWORD second) { return ((uint64_t)first << 32) | second; }
  CGXHashTable<uint64_t, CObject*> m_table;
};

class CGXMapCellToOb : public CMapNdxToOb {
  DECLARE_SERIAL(CGXMapCellToOb)

 public:
  explicit CGXMapCellToOb(INT_PTR nBlockSize = 10) : CMapNdxToOb(nBlockSize) {}
};

// Bit sets in a byte array: bit i is bit i % 8 (least significant first) of byte i / 8.
BOOL GXGetBit(const CByteArray& bits, DWORD index);
// Grows the array with zero bytes as needed; returns whether the bit changed.
BOOL GXSetBit(CByteArray& bits, DWORD index, BOOL value);
void GXInsertBits(CByteArray& bits, DWORD at, DWORD count);
void GXRemoveBits(CByteArray& bits, DWORD from, DWORD to);
void GXMoveBits(CByteArray& bits, DWORD from, DWORD to, DWORD dest);
