// CArray and the framework's array classes: growable arrays with checked indexes and archive forms.
#pragma once

#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/Object.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

// How one element goes into an archive: numbers little-endian at their own width, strings and objects
// in their archive forms, anything else as its bytes.
template <class TYPE>
void SerializeElement(CArchive& ar, TYPE& e) {
  if constexpr (std::is_same_v<TYPE, CString>) {
    if (ar.IsStoring()) ar << e; else ar >> e;
  } else if constexpr (std::is_pointer_v<TYPE> && std::is_base_of_v<CObject, std::remove_cv_t<std::remove_pointer_t<TYPE>>>) {
    if (ar.IsStoring()) {
      ar.WriteObject(e);
    } else {
      // Only a serial class can be asked for by the archive; others are checked here.
      const CRuntimeClass* cls = std::remove_cv_t<std::remove_pointer_t<TYPE>>::GetThisClass();
      CObject* o = ar.ReadObject(cls->m_wSchema != 0xFFFF ? cls : nullptr);
      if (o && !o->IsKindOf(cls)) AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
      e = static_cast<TYPE>(o);
    }
  } else if constexpr (std::is_floating_point_v<TYPE> && (sizeof(TYPE) == 4 || sizeof(TYPE) == 8)) {
    if (ar.IsStoring()) ar << e; else ar >> e;
  } else if constexpr (std::is_integral_v<TYPE> || std::is_enum_v<TYPE>) {
    if constexpr (sizeof(TYPE) == 1) {
      BYTE v = (BYTE)e;
      if (ar.IsStoring()) ar << v; else { ar >> v; e = (TYPE)v; }
    } else if constexpr (sizeof(TYPE) == 2) {
      WORD v = (WORD)e;
      if (ar.IsStoring()) ar << v; else { ar >> v; e = (TYPE)v; }
    } else if constexpr (sizeof(TYPE) == 4) {
      DWORD v = (DWORD)e;
      if (ar.IsStoring()) ar << v; else { ar >> v; e = (TYPE)v; }
    } else {
      ULONGLONG v = (ULONGLONG)e;
      if (ar.IsStoring()) ar << v; else { ar >> v; e = (TYPE)v; }
    }
  } else {
    static_assert(std::is_trivially_copyable_v<TYPE>, "give this element type an archive form");
    if (ar.IsStoring()) {
      ar.Write(&e, (UINT)sizeof(TYPE));
    } else if (ar.Read(&e, (UINT)sizeof(TYPE)) != sizeof(TYPE)) {
      AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    }
  }
}

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
 public:
  CArray() = default;
  CArray(const CArray&) = delete;
  CArray& operator=(const CArray&) = delete;

  INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
  INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return (INT_PTR)m_data.size() - 1; }
  // growBy -1 keeps the step.
  void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
    if (newSize < 0) AfxThrowInvalidArgException();
    if (growBy >= 0) m_nGrowBy = growBy;
    Reserve((size_t)newSize);
    m_data.resize((size_t)newSize);
  }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR i) const { return m_data[Check(i)]; }
  TYPE& GetAt(INT_PTR i) { return m_data[Check(i)]; }
  void SetAt(INT_PTR i, ARG_TYPE e) { m_data[Check(i)] = e; }
  const TYPE& ElementAt(INT_PTR i) const { return m_data[Check(i)]; }
  TYPE& ElementAt(INT_PTR i) { return m_data[Check(i)]; }
  const TYPE& operator[](INT_PTR i) const { return m_data[Check(i)]; }
  TYPE& operator[](INT_PTR i) { return m_data[Check(i)]; }
  const TYPE* GetData() const { return m_data.data(); }
  TYPE* GetData() { return m_data.data(); }

  // Elements are copied before the array moves, so an element of this array may be passed.
  void SetAtGrow(INT_PTR i, ARG_TYPE e) {
    if (i < 0) AfxThrowInvalidArgException();
    TYPE copy(e);
    if ((size_t)i >= m_data.size()) SetSize(i + 1);
    m_data[(size_t)i] = std::move(copy);
  }
  INT_PTR Add(ARG_TYPE e) {
    TYPE copy(e);
    Reserve(m_data.size() + 1);
    m_data.push_back(std::move(copy));
    return (INT_PTR)m_data.size() - 1;
  }
  INT_PTR Append(const CArray& src) {
    INT_PTR old = GetSize();
    std::vector<TYPE> copy(src.m_data);
    Reserve(m_data.size() + copy.size());
    m_data.insert(m_data.end(), copy.begin(), copy.end());
    return old;
  }
  void Copy(const CArray& src) {
    if (this != &src) m_data = src.m_data;
  }
  void InsertAt(INT_PTR i, ARG_TYPE e, INT_PTR count = 1) {
    if (i < 0 || count < 0) AfxThrowInvalidArgException();
    if (count == 0) return;
    TYPE copy(e);
    if ((size_t)i >= m_data.size()) SetSize(i);
    Reserve(m_data.size() + (size_t)count);
    m_data.insert(m_data.begin() + i, (size_t)count, copy);
  }
  void InsertAt(INT_PTR start, const CArray* other) {
    if (!other || start < 0) AfxThrowInvalidArgException();
    if (other->m_data.empty()) return;
    std::vector<TYPE> copy(other->m_data);
    if ((size_t)start >= m_data.size()) SetSize(start);
    Reserve(m_data.size() + copy.size());
    m_data.insert(m_data.begin() + start, copy.begin(), copy.end());
  }
  void RemoveAt(INT_PTR i, INT_PTR count = 1) {
    if (i < 0 || count < 0 || (size_t)i + (size_t)count > m_data.size()) AfxThrowInvalidArgException();
    m_data.erase(m_data.begin() + i, m_data.begin() + i + count);
  }

  // A count, then each element.
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar.WriteCount((DWORD_PTR)m_data.size());
      for (TYPE& e : m_data) SerializeElement(ar, e);
    } else {
      LoadElements(ar, ar.ReadCount(), [&](TYPE& e) { SerializeElement(ar, e); });
    }
  }

 protected:
  size_t Check(INT_PTR i) const {
    if (i < 0 || (size_t)i >= m_data.size()) AfxThrowInvalidArgException();
    return (size_t)i;
  }
  void Reserve(size_t n) {
    if (n <= m_data.capacity()) return;
    // The step is a minimum: growing by half the size at least keeps long runs of Add linear.
    size_t step = std::max<size_t>(m_nGrowBy > 0 ? (size_t)m_nGrowBy : 4, m_data.size() / 2);
    m_data.reserve(std::max(n, m_data.size() + step));
  }
  // Sizes the array to `count` and reads each element; a corrupt count runs into the end of the
  // archive piece by piece instead of allocating it all at once.
  template <class READ>
  void LoadElements(CArchive&, DWORD_PTR count, READ read) {
    m_data.clear();
    const size_t piece = 65536;
    size_t done = 0;
    while (done < (size_t)count) {
      size_t n = std::min(piece, (size_t)count - done);
      SetSize((INT_PTR)(done + n));
      for (size_t k = done; k < done + n; ++k) read(m_data[k]);
      done += n;
    }
  }

  std::vector<TYPE> m_data;
  INT_PTR m_nGrowBy = -1;
};

class CObArray : public CArray<CObject*, CObject*> {
  DECLARE_SERIAL(CObArray)
 public:
  void Serialize(CArchive& ar) override;
};

class CPtrArray : public CArray<void*, void*> {
  DECLARE_DYNAMIC(CPtrArray)
 public:
  void Serialize(CArchive&) override {}
};

class CDWordArray : public CArray<DWORD, DWORD> {
  DECLARE_SERIAL(CDWordArray)
};

class CWordArray : public CArray<WORD, WORD> {
  DECLARE_SERIAL(CWordArray)
};

class CByteArray : public CArray<BYTE, BYTE> {
  DECLARE_SERIAL(CByteArray)
 public:
  void Serialize(CArchive& ar) override;
};

class CUIntArray : public CArray<UINT, UINT> {
  DECLARE_DYNAMIC(CUIntArray)
 public:
  void Serialize(CArchive&) override {}
};
