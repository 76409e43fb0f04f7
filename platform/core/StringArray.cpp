#include "platform/core/StringArray.h"

#include "platform/core/Exception.h"

void CStringArray::SetSize(INT_PTR newSize, INT_PTR) {
  if (newSize < 0) AfxThrowInvalidArgException();
  m_data.resize((size_t)newSize);
}

const CString& CStringArray::GetAt(INT_PTR index) const {
  if (index < 0 || index >= GetSize()) AfxThrowInvalidArgException();
  return m_data[(size_t)index];
}

CString& CStringArray::ElementAt(INT_PTR index) {
  if (index < 0 || index >= GetSize()) AfxThrowInvalidArgException();
  return m_data[(size_t)index];
}

void CStringArray::SetAt(INT_PTR index, const char* value) { ElementAt(index) = value; }
void CStringArray::SetAt(INT_PTR index, const CString& value) { ElementAt(index) = value; }

void CStringArray::SetAtGrow(INT_PTR index, const char* value) { SetAtGrow(index, CString(value)); }

void CStringArray::SetAtGrow(INT_PTR index, const CString& value) {
  if (index < 0) AfxThrowInvalidArgException();
  if (index >= GetSize()) m_data.resize((size_t)index + 1);
  m_data[(size_t)index] = value;
}

INT_PTR CStringArray::Add(const char* value) { return Add(CString(value)); }

INT_PTR CStringArray::Add(const CString& value) {
  m_data.push_back(value);
  return GetSize() - 1;
}

INT_PTR CStringArray::Append(const CStringArray& src) {
  INT_PTR old = GetSize();
  if (&src == this) {
    m_data.reserve(m_data.size() * 2);
    for (size_t i = 0; i < (size_t)old; ++i) m_data.push_back(m_data[i]);
  } else {
    m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
  }
  return old;
}

void CStringArray::Copy(const CStringArray& src) {
  if (&src != this) m_data = src.m_data;
}

void CStringArray::InsertAt(INT_PTR index, const char* value, INT_PTR count) { InsertAt(index, CString(value), count); }

void CStringArray::InsertAt(INT_PTR index, const CString& value, INT_PTR count) {
  if (index < 0 || count < 0) AfxThrowInvalidArgException();
  if (count == 0) return;
  CString copy(value);  // value may live in this array
  if (index >= GetSize()) m_data.resize((size_t)index);
  m_data.insert(m_data.begin() + index, (size_t)count, copy);
}

void CStringArray::InsertAt(INT_PTR startIndex, const CStringArray* src) {
  if (!src || startIndex < 0) AfxThrowInvalidArgException();
  if (src->IsEmpty()) return;
  std::vector<CString> copy(src->m_data);
  if (startIndex >= GetSize()) m_data.resize((size_t)startIndex);
  m_data.insert(m_data.begin() + startIndex, copy.begin(), copy.end());
}

void CStringArray::RemoveAt(INT_PTR index, INT_PTR count) {
  if (index < 0 || count < 0 || index > GetSize() - count) AfxThrowInvalidArgException();
  m_data.erase(m_data.begin() + index, m_data.begin() + index + count);
}
