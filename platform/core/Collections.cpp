#include "platform/core/Collections.h"

IMPLEMENT_SERIAL(CObArray, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrArray, CObject)
IMPLEMENT_SERIAL(CDWordArray, CObject, 0)
IMPLEMENT_SERIAL(CWordArray, CObject, 0)
IMPLEMENT_SERIAL(CByteArray, CObject, 0)
IMPLEMENT_DYNAMIC(CUIntArray, CObject)
IMPLEMENT_DYNAMIC(CPtrList, CObject)
IMPLEMENT_SERIAL(CObList, CObject, 0)
IMPLEMENT_SERIAL(CMapStringToString, CObject, 0)
IMPLEMENT_SERIAL(CMapStringToOb, CObject, 0)
IMPLEMENT_DYNAMIC(CMapStringToPtr, CObject)
IMPLEMENT_SERIAL(CMapWordToOb, CObject, 0)
IMPLEMENT_DYNAMIC(CMapWordToPtr, CObject)
IMPLEMENT_DYNAMIC(CMapPtrToWord, CObject)
IMPLEMENT_DYNAMIC(CMapPtrToPtr, CObject)

void CObArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD_PTR)m_data.size());
    for (CObject* o : m_data) ar.WriteObject(o);
  } else {
    LoadElements(ar, ar.ReadCount(), [&](CObject*& o) { o = ar.ReadObject(nullptr); });
  }
}

void CByteArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD_PTR)m_data.size());
    ar.Write(m_data.data(), (UINT)m_data.size());
  } else {
    DWORD_PTR count = ar.ReadCount();
    m_data.clear();
    // In pieces, so a corrupt count meets the end of the archive before a huge allocation.
    while ((DWORD_PTR)m_data.size() < count) {
      size_t n = std::min<size_t>(65536, (size_t)(count - m_data.size()));
      size_t at = m_data.size();
      SetSize((INT_PTR)(at + n));
      if (ar.Read(m_data.data() + at, (UINT)n) != n)
        AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    }
  }
}

void CObList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD_PTR)m_nCount);
    for (CNode* n = m_pNodeHead; n; n = n->pNext) ar.WriteObject(n->data);
  } else {
    DWORD_PTR count = ar.ReadCount();
    for (DWORD_PTR i = 0; i < count; ++i) AddTail(ar.ReadObject(nullptr));
  }
}
