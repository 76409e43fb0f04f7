// The grid's hash maps and bit sets.
#include "grid/engine/GXCollMap.h"

#include "platform/core/Archive.h"

#include <new>
#include <vector>

IMPLEMENT_SERIAL(CGXCollMapDWordToLong, CObject, 1)
IMPLEMENT_SERIAL(CGXMapDWordToLong, CGXCollMapDWordToLong, 1)
IMPLEMENT_SERIAL(CGXCollMapDWordToPtr, CObject, 1)
IMPLEMENT_SERIAL(CGXCollMapStringToHandle, CObject, 1)
IMPLEMENT_SERIAL(CMapNdxToOb, CObject, 1)
IMPLEMENT_SERIAL(CGXMapCellToOb, CMapNdxToOb, 1)

namespace {

// The archive keeps a 16-bit count: a larger map cannot be written whole.
WORD CheckedCount(CArchive& ar, INT_PTR count) {
  if (count > 0xFFFF) AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
  return (WORD)count;
}

}  // namespace

// ---- DWORD -> LONG ----------------------------------------------------------------------------------

CGXCollMapDWordToLong::CGXCollMapDWordToLong(INT_PTR) {}
CGXCollMapDWordToLong::~CGXCollMapDWordToLong() { RemoveAll(); }

BOOL CGXCollMapDWordToLong::Lookup(DWORD key, LONG& value) const {
  auto* n = m_table.Find(key);
  if (!n) return FALSE;
  value = n->value;
  return TRUE;
}

LONG& CGXCollMapDWordToLong::operator[](DWORD key) { return m_table.Get(key, Hash(key))->value; }

void CGXCollMapDWordToLong::GetNextAssoc(POSITION& pos, DWORD& key, LONG& value) const {
  auto* n = m_table.GetNext(pos);
  if (!n) AfxThrowInvalidArgException();
  key = n->key;
  value = n->value;
}

template <class F>
void CGXCollMapDWordToLong::Remap(F shift) {
  // Through a temporary map, as the entries come back in its bucket order. Both are made before the
  // map changes: when memory runs out the shift is refused and the map stays as it was.
  try {
    CGXHashTable<DWORD, LONG> temp(m_table.GetHashTableSize());
    POSITION pos = m_table.GetStartPosition();
    while (pos) {
      auto* n = m_table.GetNext(pos);
      DWORD key = n->key;
      if (shift(key)) temp.Get(key, Hash(key))->value = n->value;
    }
    CGXHashTable<DWORD, LONG> back(m_table.GetHashTableSize());
    pos = temp.GetStartPosition();
    while (pos) {
      auto* n = temp.GetNext(pos);
      back.Get(n->key, Hash(n->key))->value = n->value;
    }
    m_table.Swap(back);
  } catch (const std::bad_alloc&) {
  }
}

void CGXCollMapDWordToLong::InsertKeys(DWORD at, DWORD count) {
  if (count == 0 || IsEmpty()) return;
  // A key pushed past the largest index leaves the map rather than wrap onto a small one.
  Remap([&](DWORD& key) {
    if (key < at) return true;
    if ((uint64_t)key + count > 0xFFFFFFFFu) return false;
    key += count;
    return true;
  });
}

void CGXCollMapDWordToLong::RemoveKeys(DWORD from, DWORD to) {
  if (to < from || IsEmpty()) return;
  const DWORD n = to - from + 1;
  Remap([&](DWORD& key) {
    if (key < from) return true;
    if (key <= to) return false;
    key -= n;
    return true;
  });
}

void CGXCollMapDWordToLong::MoveKeys(DWORD from, DWORD to, DWORD dest) {
  if (to < from || dest == from || IsEmpty()) return;
  const uint64_t n = (uint64_t)to - from + 1;
  Remap([&](DWORD& key) {
    if (key >= from && key <= to) {
      const uint64_t moved = (uint64_t)dest + (key - from);
      if (moved > 0xFFFFFFFFu) return false;
      key = (DWORD)moved;
    } else if (dest < from && key >= dest && key < from) key = (DWORD)(key + n);
    else if (dest > from && key > to && key < dest + n) key = (DWORD)(key - n);
    return true;
  });
}

void CGXCollMapDWordToLong::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << CheckedCount(ar, GetCount());
    POSITION pos = GetStartPosition();
    while (pos) {
      DWORD key;
      LONG value;
      GetNextAssoc(pos, key, value);
      ar << key << (DWORD)value;
    }
    return;
  }
  WORD count = 0;
  ar >> count;
  for (WORD i = 0; i < count; ++i) {
    DWORD key, value;
    ar >> key >> value;
    (*this)[key] = (LONG)value;
  }
}

// ---- DWORD -> pointer ---------------------------------------------------------------------------------

CGXCollMapDWordToPtr::CGXCollMapDWordToPtr(INT_PTR) {}
CGXCollMapDWordToPtr::~CGXCollMapDWordToPtr() { RemoveAll(); }

BOOL CGXCollMapDWordToPtr::Lookup(DWORD key, void*& value) const {
  auto* n = m_table.Find(key);
  if (!n) return FALSE;
  value = n->value;
  return TRUE;
}

void CGXCollMapDWordToPtr::GetNextAssoc(POSITION& pos, DWORD& key, void*& value) const {
  auto* n = m_table.GetNext(pos);
  if (!n) AfxThrowInvalidArgException();
  key = n->key;
  value = n->value;
}

// ---- text -> handle -------------------------------------------------------------------------------------

CGXCollMapStringToHandle::CGXCollMapStringToHandle(INT_PTR) {}
CGXCollMapStringToHandle::~CGXCollMapStringToHandle() { RemoveAll(); }

UINT CGXCollMapStringToHandle::HashKey(LPCTSTR key) {
  UINT h = 0;
  for (const signed char* p = (const signed char*)(key ? key : ""); *p; ++p) h = h * 33 + (UINT)(int)*p;
  return h;
}

BOOL CGXCollMapStringToHandle::Lookup(LPCTSTR key, HANDLE& value) const {
  auto* n = m_table.Find(key ? key : "");
  if (!n) return FALSE;
  value = n->value;
  return TRUE;
}

HANDLE& CGXCollMapStringToHandle::operator[](LPCTSTR key) {
  if (!key) key = "";
  return m_table.Get(key, HashKey(key))->value;
}

void CGXCollMapStringToHandle::GetNextAssoc(POSITION& pos, CString& key, HANDLE& value) const {
  auto* n = m_table.GetNext(pos);
  if (!n) AfxThrowInvalidArgException();
  key = n->key.c_str();
  value = n->value;
}

// ---- index pair -> object ------------------------------------------------------------------------------

CMapNdxToOb::CMapNdxToOb(INT_PTR) {}
CMapNdxToOb::~CMapNdxToOb() { RemoveAll(); }

BOOL CMapNdxToOb::Lookup(DWORD first, DWORD second, CObject*& value) const {
  auto* n = m_table.Find(Key(first, second));
  if (!n) return FALSE;
  value = n->value;
  return TRUE;
}

CObject*& CMapNdxToOb::operator()(DWORD first, DWORD second) {
  const UINT bucket = ((second & 0xFFFF) << 12) | ((first & 0xFFFF) >> 4);
  return m_table.Get(Key(first, second), bucket)->value;
}

void CMapNdxToOb::GetNextAssoc(POSITION& pos, DWORD& first, DWORD& second, CObject*& value) const {
  auto* n = m_table.GetNext(pos);
  if (!n) AfxThrowInvalidArgException();
  first = (DWORD)(n->key >> 32);
  second = (DWORD)n->key;
  value = n->value;
}

void CMapNdxToOb::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << CheckedCount(ar, GetCount());
    POSITION pos = GetStartPosition();
    while (pos) {
      DWORD first, second;
      CObject* obj;
      GetNextAssoc(pos, first, second, obj);
      ar << first << second;
      ar.WriteObject(obj);
    }
    return;
  }
  WORD count = 0;
  ar >> count;
  for (WORD i = 0; i < count; ++i) {
    DWORD first, second;
    ar >> first >> second;
    CObject* obj = ar.ReadObject(nullptr);
    (*this)(first, second) = obj;
  }
}

// ---- bit sets --------------------------------------------------------------------------------------------

namespace {

std::vector<bool> Unpack(const CByteArray& bits) {
  std::vector<bool> v((size_t)bits.GetSize() * 8);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (bits[(INT_PTR)(i / 8)] >> (i % 8)) & 1;
  return v;
}

void Pack(CByteArray& bits, const std::vector<bool>& v) {
  bits.SetSize((INT_PTR)((v.size() + 7) / 8));
  for (INT_PTR i = 0; i < bits.GetSize(); ++i) bits[i] = 0;
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i]) bits[(INT_PTR)(i / 8)] |= (BYTE)(1u << (i % 8));
}

// Runs a change of the bits on an unpacked copy: when memory runs out it is refused and the bits
// stay as they were.
template <class F>
void ChangeBits(CByteArray& bits, F change) {
  try {
    std::vector<bool> v = Unpack(bits);
    if (change(v)) Pack(bits, v);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

BOOL GXGetBit(const CByteArray& bits, DWORD index) {
  const INT_PTR byte = (INT_PTR)(index / 8);
  return byte < bits.GetSize() && ((bits[byte] >> (index % 8)) & 1);
}

BOOL GXSetBit(CByteArray& bits, DWORD index, BOOL value) {
  const INT_PTR byte = (INT_PTR)(index / 8);
  if (byte >= bits.GetSize()) {
    if (!value) return FALSE;
    const INT_PTR old = bits.GetSize();
    bits.SetSize(byte + 1);
    for (INT_PTR i = old; i <= byte; ++i) bits[i] = 0;
  }
  const BYTE mask = (BYTE)(1u << (index % 8));
  const BOOL was = (bits[byte] & mask) != 0;
  if (value) bits[byte] |= mask;
  else bits[byte] &= (BYTE)~mask;
  return was != (value != 0);
}

void GXInsertBits(CByteArray& bits, DWORD at, DWORD count) {
  if (count == 0 || (INT_PTR)(at / 8) >= bits.GetSize()) return;  // nothing set at or after `at`
  ChangeBits(bits, [&](std::vector<bool>& v) {
    v.insert(v.begin() + at, count, false);
    return true;
  });
}

void GXRemoveBits(CByteArray& bits, DWORD from, DWORD to) {
  ChangeBits(bits, [&](std::vector<bool>& v) {
    if (to < from || from >= v.size()) return false;
    const size_t end = std::min<size_t>((size_t)to + 1, v.size());
    v.erase(v.begin() + from, v.begin() + end);
    return true;
  });
}

void GXMoveBits(CByteArray& bits, DWORD from, DWORD to, DWORD dest) {
  if (to < from || dest == from) return;
  ChangeBits(bits, [&](std::vector<bool>& v) {
    const size_t n = (size_t)to - from + 1;
    v.resize(std::max(v.size(), (size_t)std::max(to, dest) + n), false);
    std::vector<bool> band(v.begin() + from, v.begin() + from + n);
    v.erase(v.begin() + from, v.begin() + from + n);
    v.insert(v.begin() + dest, band.begin(), band.end());
    while (!v.empty() && !v.back()) v.pop_back();
    return true;
  });
}
