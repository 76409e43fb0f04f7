#include "plot/documents/GraphDocument.h"

IMPLEMENT_SERIAL(CGraphDocument, CObArray, 0)

const BYTE CGraphDocument::m_nVerCGraphDocument = 0;

CGraphDocument::CGraphDocument(const char* title) : m_strTitle(title) {}

CGraphDocument::~CGraphDocument() { DeleteAll(); }

CGraphFilter* CGraphDocument::GetAt(int i) const {
  if (i < 0 || i >= GetSize()) return nullptr;
  return static_cast<CGraphFilter*>(m_data[(size_t)i]);
}

void CGraphDocument::DeleteAll() {
  for (int i = GetSize() - 1; i >= 0; --i) {
    delete m_data[(size_t)i];
    m_data[(size_t)i] = nullptr;
  }
  m_data.clear();
}

CGraphDocument& CGraphDocument::operator=(const CGraphDocument& other) {
  if (this == &other) return *this;
  m_strTitle = other.m_strTitle;
  m_nArrange = other.m_nArrange;
  DeleteAll();
  for (int i = 0; i < other.GetSize(); ++i) {
    const CGraphFilter* src = other.GetAt(i);
    CGraphFilter* copy = nullptr;
    if (src) {
      CObject* o = src->GetRuntimeClass()->CreateObject();
      copy = DYNAMIC_DOWNCAST(CGraphFilter, o);
      if (!copy) {
        delete o;
        copy = new CGraphFilter;
      }
      *copy = *src;
    }
    Add(copy);
  }
  return *this;
}

void CGraphDocument::SetSource(CObject* source, CMC_Units* units) {
  for (int i = 0; i < GetSize(); ++i) {
    if (CGraphFilter* p = GetAt(i)) {
      p->m_pSource = source;
      p->SetUnits(units);
    }
  }
}

void CGraphDocument::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (BYTE)m_nVerCGraphDocument;
    ar << m_strTitle << (short)m_nArrange;
    CObArray::Serialize(ar);
    return;
  }
  BYTE schema;
  ar >> schema;
  if (schema != 0) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  short arrange;
  ar >> m_strTitle >> arrange;
  m_nArrange = arrange;
  DeleteAll();
  DWORD_PTR count = ar.ReadCount();
  for (DWORD_PTR i = 0; i < count; ++i) {
    CGraphFilter* p = static_cast<CGraphFilter*>(ar.ReadObject(RUNTIME_CLASS(CGraphFilter)));
    if (!p || p->m_bOwnedByList) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    p->m_bOwnedByList = true;
    Add(p);
  }
}
