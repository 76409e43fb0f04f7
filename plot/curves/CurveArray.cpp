#include "plot/curves/CurveArray.h"

IMPLEMENT_SERIAL(CCurveArray, CObArray, 0)

const BYTE CCurveArray::m_nVerCCurveArray = 0;

CCurveArray::~CCurveArray() { DeleteAll(); }

CCurve* CCurveArray::GetAt(int i) const {
  if (i < 0 || i >= GetSize()) return nullptr;
  return static_cast<CCurve*>(m_data[(size_t)i]);
}

CCurve* CCurveArray::ElementAt(int i) const { return static_cast<CCurve*>(m_data[Check(i)]); }

CCurve* CCurveArray::GetCurve(const char* name) const { return GetAt(GetCurveIdx(name)); }

int CCurveArray::GetCurveIdx(const char* name) const {
  if (!name) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    CCurve* c = GetAt(i);
    if (c && c->m_strName == name) return i;
  }
  return -1;
}

void CCurveArray::DeleteAll() {
  for (int i = GetSize() - 1; i >= 0; --i) {
    delete m_data[(size_t)i];
    m_data[(size_t)i] = nullptr;
  }
  m_data.clear();
}

CCurveArray& CCurveArray::operator=(const CCurveArray& other) {
  if (this == &other) return *this;
  const int n = other.GetSize();
  while (GetSize() > n) {
    delete m_data.back();
    m_data.pop_back();
  }
  for (int i = 0; i < n; ++i) {
    const CCurve* src = other.GetAt(i);
    if (i < GetSize()) {
      CCurve* dst = GetAt(i);
      if (src && dst) {
        *dst = *src;
      } else {
        delete dst;
        m_data[(size_t)i] = src ? new CCurve(*src) : nullptr;
      }
    } else {
      Add(src ? new CCurve(*src) : nullptr);
    }
  }
  return *this;
}

void CCurveArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCCurveArray;
    CObArray::Serialize(ar);
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema != 0) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  DeleteAll();
  DWORD_PTR count = ar.ReadCount();
  for (DWORD_PTR i = 0; i < count; ++i) {
    CObject* o = ar.ReadObject(RUNTIME_CLASS(CCurve));
    CCurve* c = static_cast<CCurve*>(o);
    // A stored list never holds a null entry nor one curve twice.
    if (!c || c->m_bOwnedByList) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    c->m_bOwnedByList = true;
    Add(c);
  }
}
