// CStringArray: the framework's growable array of CString, indexed from 0.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <vector>

class CStringArray : public CObject {
  DECLARE_SERIAL(CStringArray)
 public:
  CStringArray() = default;
  CStringArray(const CStringArray& other) : CObject(), m_data(other.m_data) {}
  CStringArray& operator=(const CStringArray& other) {
    Copy(other);
    return *this;
  }
  ~CStringArray() override = default;

  INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
  INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return (INT_PTR)m_data.size() - 1; }
  // growBy is accepted for the framework's signature; storage grows geometrically.
  void SetSize(INT_PTR newSize, INT_PTR growBy = -1);
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  // Out-of-range indices throw CInvalidArgException, as the framework does.
  const CString& GetAt(INT_PTR index) const;
  void SetAt(INT_PTR index, const char* value);
  void SetAt(INT_PTR index, const CString& value);
  CString& ElementAt(INT_PTR index);
  const CString& ElementAt(INT_PTR index) const { return GetAt(index); }
  CString& operator[](INT_PTR index) { return ElementAt(index); }
  const CString& operator[](INT_PTR index) const { return GetAt(index); }
  CString* GetData() { return m_data.data(); }
  const CString* GetData() const { return m_data.data(); }

  // Grows the array with empty strings when index is beyond the end.
  void SetAtGrow(INT_PTR index, const char* value);
  void SetAtGrow(INT_PTR index, const CString& value);
  INT_PTR Add(const char* value);
  INT_PTR Add(const CString& value);
  // Appends a copy of every element of src (src may be this array); returns the first new index.
  INT_PTR Append(const CStringArray& src);
  void Copy(const CStringArray& src);

  // Inserting beyond the end grows the array first, as the framework does.
  void InsertAt(INT_PTR index, const char* value, INT_PTR count = 1);
  void InsertAt(INT_PTR index, const CString& value, INT_PTR count = 1);
  void InsertAt(INT_PTR startIndex, const CStringArray* src);
  void RemoveAt(INT_PTR index, INT_PTR count = 1);

  void Serialize(CArchive& ar) override;

 private:
  std::vector<CString> m_data;
};
