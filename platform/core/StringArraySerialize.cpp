// The run-time class of CStringArray and its archive form.
#include "platform/core/StringArray.h"

#include "platform/core/Archive.h"

IMPLEMENT_SERIAL(CStringArray, CObject, 0)

// A count, then each string.
void CStringArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD_PTR)m_data.size());
    for (CString& s : m_data) ar << s;
  } else {
    DWORD_PTR count = ar.ReadCount();
    m_data.clear();
    // Grown as the strings arrive, so a corrupt count ends at the end of the archive.
    for (DWORD_PTR i = 0; i < count; ++i) {
      CString s;
      ar >> s;
      m_data.push_back(std::move(s));
    }
  }
}
