// Grid properties.
#include "grid/engine/GXProperties.h"

#include "platform/core/Archive.h"

IMPLEMENT_SERIAL(CGXProperties, CObject, 1)

CGXProperties::CGXProperties() = default;
CGXProperties::CGXProperties(const CGXProperties& src) : CObject() { *this = src; }
CGXProperties::~CGXProperties() = default;

CGXProperties& CGXProperties::operator=(const CGXProperties& src) {
  m_bDisplayVertLines = src.m_bDisplayVertLines;
  m_bDisplayHorzLines = src.m_bDisplayHorzLines;
  m_nZoom = src.m_nZoom;
  return *this;
}

void CGXProperties::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (WORD)1 << (BYTE)m_bDisplayVertLines << (BYTE)m_bDisplayHorzLines;
    return;
  }
  WORD schema = 0;
  ar >> schema;
  if (schema != 1) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  BYTE v, h;
  ar >> v >> h;
  m_bDisplayVertLines = v;
  m_bDisplayHorzLines = h;
}
