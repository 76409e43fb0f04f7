#include "plot/curves/FloatArray.h"

#include <algorithm>
#include <atomic>

IMPLEMENT_SERIAL(CFloatArray, CObject, 0)

const BYTE CFloatArray::m_nVerCFloatArray = 0;

namespace {
std::atomic<uint64_t> g_versions{0};
}

void CFloatArray::Touch() { m_nVersion = ++g_versions; }

CFloatArray::CFloatArray(int size, int growBy) {
  Touch();
  CArray::SetSize(size < 0 ? 0 : size, growBy);
}

CFloatArray::CFloatArray(int n, const double* values) { SetSize(n, values); }

CFloatArray::CFloatArray(const CFloatArray& other) : CArray() { *this = other; }

CFloatArray& CFloatArray::operator=(const CFloatArray& other) {
  Touch();
  if (this != &other) {
    m_data = other.m_data;
    m_nGrowBy = other.m_nGrowBy;
    m_nUpperValid = other.m_nUpperValid;
    m_nMonotone = other.m_nMonotone;
  }
  return *this;
}

int CFloatArray::Add(double value) {
  Touch();
  int i = (int)CArray::Add(value);
  if (i > m_nUpperValid) m_nUpperValid = i;
  CheckMonotonousCondition(i, i);
  return i;
}

void CFloatArray::SetAt(int index, double value) {
  Touch();
  m_data[Check(index)] = value;
  if (index > m_nUpperValid) m_nUpperValid = index;
  CheckMonotonousCondition(index, index);
}

void CFloatArray::SetAtGrow(int index, double value) {
  Touch();
  if (index < 0) AfxThrowInvalidArgException();
  if (index >= GetSize()) CArray::SetSize(index + 1);
  SetAt(index, value);
}

void CFloatArray::InsertAt(int index, double value, int count) {
  Touch();
  if (count <= 0) {
    if (count < 0) AfxThrowInvalidArgException();
    return;
  }
  CArray::InsertAt(index, value, count);
  if (index > m_nUpperValid)
    m_nUpperValid = index + count - 1;
  else
    m_nUpperValid += count;
  CheckMonotonousCondition(index, index + count - 1);
}

void CFloatArray::InsertAt(int index, const CFloatArray* other) {
  Touch();
  if (!other) AfxThrowInvalidArgException();
  int count = other->GetSize();
  if (count == 0) return;
  CArray::InsertAt(index, other);
  if (index > m_nUpperValid)
    m_nUpperValid = index + count - 1;
  else
    m_nUpperValid += count;
  CheckMonotonousCondition(index, index + count - 1);
}

void CFloatArray::RemoveAt(int index, int count) {
  Touch();
  if (count <= 0) return;
  CArray::RemoveAt(index, count);
  int last = index + count - 1;
  if (last <= m_nUpperValid)
    m_nUpperValid -= count;
  else
    m_nUpperValid = std::min(m_nUpperValid, index - 1);  // never raised by a removal
}

void CFloatArray::SetSize(int size, int growBy) {
  Touch();
  int old = GetSize();
  if (old == 0 && size == 0) {
    if (growBy >= 0) m_nGrowBy = growBy;
    return;
  }
  CArray::SetSize(size, growBy);
  if (m_nUpperValid > size - 1) m_nUpperValid = size - 1;
  if (size < 2) m_nMonotone = monoUnknown;
  if (size > old) CheckMonotonousCondition(old, size - 1);
}

void CFloatArray::SetSize(int n, const double* values) {
  Touch();
  if (n <= 0 || !values) {
    m_data.clear();
    m_data.shrink_to_fit();
    n = 0;
  } else {
    m_data.assign(values, values + n);
  }
  m_nUpperValid = n - 1;
  CheckMonotonousCondition(0, -1);
}

void CFloatArray::SetUpperValid(int upper) {
  if (upper >= 0 && upper > GetSize() - 1) upper = GetSize() - 1;
  if (upper < 0) {
    m_nUpperValid = upper;
    m_nMonotone = monoUnknown;
    return;
  }
  int old = m_nUpperValid;
  m_nUpperValid = upper;
  if (upper > old) CheckMonotonousCondition(old + 1, upper);
}

void CFloatArray::CheckMonotonousCondition(int from, int to) {
  const int u = m_nUpperValid;
  if (u < 1) {
    m_nMonotone = monoUnknown;
    return;
  }
  const double* d = m_data.data();
  int start = std::max(from, 0);
  bool outside = to < start || to > u;
  int end = outside ? u : to;
  int i;
  double prev;
  if (start == 0 && (outside || to == u)) {
    m_nMonotone = monoUnknown;
    prev = d[0];
    i = 1;
  } else {
    if (m_nMonotone == monoNone || start > u) return;
    if (start == 0) {
      prev = d[0];
      i = 1;
    } else {
      prev = d[start - 1];
      i = start;
    }
  }
  if (end < u) ++end;
  tagMonotone state = m_nMonotone;
  for (; i <= end; ++i) {
    double cur = d[i];
    if (state == monoAscending) {
      if (prev > cur) { state = monoNone; break; }
    } else if (state == monoDescending) {
      if (cur > prev) { state = monoNone; break; }
    } else if (state == monoUnknown) {
      if (cur > prev)
        state = monoAscending;
      else if (prev > cur)
        state = monoDescending;
    } else {
      break;
    }
    prev = cur;
  }
  m_nMonotone = state;
}

void CFloatArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCFloatArray;
    CArray::Serialize(ar);
    int upper = std::min(m_nUpperValid, GetSize() - 1);
    ar.WriteCount((DWORD_PTR)(DWORD)upper);
  } else {
    BYTE schema;
    ar >> schema;
    if (schema != 0) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    Touch();
    CArray::Serialize(ar);
    int stored = (int)(DWORD)ar.ReadCount();
    m_nUpperValid = std::min(GetSize() - 1, stored);
    if (m_nUpperValid < -1) m_nUpperValid = -1;
    CheckMonotonousCondition(0, -1);
  }
}
