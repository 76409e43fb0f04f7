// Archive forms of brushes and styles.
#include "grid/engine/GXStyle.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Archive.h"
#include "platform/gdi/GdiDefs.h"

CArchive& operator<<(CArchive& ar, const CGXBrushValue& br) {
  // The hatch of a pattern brush is a bitmap handle of this process; loading looks it up again.
  ar << (DWORD)br.m_nStyle << (DWORD)br.m_clrColor << (DWORD)br.m_nHatch << (DWORD)br.m_nPattern
     << (DWORD)br.m_clrBkColor;
  return ar;
}

CArchive& operator>>(CArchive& ar, CGXBrushValue& br) {
  DWORD style, color, hatch, pattern, bk;
  ar >> style >> color >> hatch >> pattern >> bk;
  br.m_nStyle = style;
  br.m_clrColor = color;
  br.m_nHatch = hatch;
  br.m_nPattern = pattern;
  br.m_clrBkColor = bk;
  if (style == BS_PATTERN) {
    if (pattern >= GXGetPatternCount()) br.m_nStyle = BS_NULL;
    else br.m_nHatch = GXGetPatternHandle(pattern);
  } else if (style != BS_SOLID && style != BS_NULL && !(style == BS_HATCHED && hatch <= HS_DIAGCROSS)) {
    // Any other hatch is a handle or address of the process that wrote it (a DIB pattern's is the
    // address of its bits): painting would follow it. What stays is a solid brush of the colour.
    br.m_nStyle = BS_SOLID;
    br.m_nHatch = 0;
    br.m_nPattern = 0xFFFFFFFF;
  }
  return ar;
}

namespace {
const WORD kStyleSchema = 3;
}

void CGXStyle::StoreStyle(CArchive& ar, const CGXStylesMap* pMap) {
  ar << kStyleSchema << (DWORD)m_nIncludeBits;
  if (Has(inclHorzAlign)) ar << (DWORD)m_nHorzAlign;
  if (Has(inclVertAlign)) ar << (DWORD)m_nVertAlign;
  if (Has(inclReadOnly)) ar << (BYTE)Flag(flagReadOnly);
  if (Has(inclControl)) ar << (DWORD)m_nControlId;
  if (Has(inclInterior)) ar << m_brInterior;
  if (Has(inclTextColor)) ar << (DWORD)m_clrText;
  if (Has(inclWrapText)) ar << (BYTE)Flag(flagWrapText);
  if (Has(inclAllowEnter)) ar << (BYTE)Flag(flagAllowEnter);
  if (Has(inclFont)) {
    // The archive knows objects by address, so the font written must be one that lives on.
    if (!m_pFont) m_pFont = new CGXFont;
    ar.WriteObject(m_pFont);
  }
  if (Has(inclValue)) ar << m_strValue;
  if (Has(inclChoiceList)) ar << m_strChoiceList;
  if (Has(inclVertScrollbar)) ar << (BYTE)Flag(flagVertScrollbar);
  if (Has(inclMaxLength)) ar << (WORD)m_nMaxLength;
  if (Has(inclEnabled)) ar << (BYTE)Flag(flagEnabled);
  if (Has(inclTriState)) ar << (BYTE)Flag(flagTriState);
  if (Has(inclDraw3dFrame)) ar << (BYTE)GetDraw3dFrame();
  if (Has(inclAutoSize)) ar << (BYTE)Flag(flagAutoSize);

  const bool borders = Has(inclBorders) && m_pBorders;
  ar << (WORD)(borders ? 1 : 0);
  if (borders) {
    for (int i = 0; i < 4; ++i) {
      WORD present = m_pBorders[i].GetInclude() ? 1 : 0;
      ar << present;
      if (present) {
        CString text;
        m_pBorders[i].GetDescription(text);
        ar << text;
      }
    }
  }
  if (Has(inclBaseStyle)) {
    const CGXStylesMap::BaseStyleEntry* e = pMap ? pMap->GetBaseStyleEntry(m_nBaseStyle) : nullptr;
    DWORD resId = e ? (DWORD)e->nResourceId : 0;
    ar << resId;
    if (resId == 0) ar << (e ? e->strName : CString());
  }
  if (Has(inclFloatCell)) ar << (BYTE)Flag(flagFloatCell);
  if (Has(inclFloodCell)) ar << (BYTE)Flag(flagFloodCell);
  if (Has(inclMergeCell)) ar << (BYTE)GetMergeCell();
  if (Has(inclExtraValue)) ar << (DWORD)m_dwExtraValue;
}

void CGXStyle::LoadStyle(CArchive& ar, const CGXStylesMap* pMap) {
  WORD schema = 0;
  ar >> schema;
  if (schema > kStyleSchema) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
  DWORD mask = 0;
  ar >> mask;
  // Borders and font are read afresh; the span values and the extra value of an older schema
  // stay as they were.
  delete[] m_pBorders;
  m_pBorders = nullptr;
  delete m_pFont;
  m_pFont = nullptr;
  SetIncludeMask(mask);
  BYTE b = 0;
  auto readFlag = [&](WORD f) {
    ar >> b;
    SetFlag(f, b & 1);
  };
  if (Has(inclHorzAlign)) ar >> m_nHorzAlign;
  if (Has(inclVertAlign)) ar >> m_nVertAlign;
  if (Has(inclReadOnly)) readFlag(flagReadOnly);
  if (Has(inclControl)) ar >> m_nControlId;
  if (Has(inclInterior)) ar >> m_brInterior;
  if (Has(inclTextColor)) ar >> m_clrText;
  if (Has(inclWrapText)) readFlag(flagWrapText);
  if (Has(inclAllowEnter)) readFlag(flagAllowEnter);
  if (Has(inclFont)) {
    const size_t before = ar.GetLoadMapSize();
    CObject* obj = ar.ReadObject(RUNTIME_CLASS(CGXFont));
    // A back-reference names a font another style already owns: take a copy, never share it.
    if (obj && ar.GetLoadMapSize() == before) m_pFont = new CGXFont(*static_cast<CGXFont*>(obj));
    else m_pFont = obj ? static_cast<CGXFont*>(obj) : new CGXFont;
  }
  if (Has(inclValue)) ar >> m_strValue;
  else m_strValue.Empty();
  if (Has(inclChoiceList)) ar >> m_strChoiceList;
  else m_strChoiceList.Empty();
  if (Has(inclVertScrollbar)) readFlag(flagVertScrollbar);
  if (Has(inclMaxLength)) ar >> m_nMaxLength;
  if (Has(inclEnabled)) readFlag(flagEnabled);
  if (Has(inclTriState)) readFlag(flagTriState);
  if (Has(inclDraw3dFrame)) {
    ar >> b;
    m_wBoolFlags = (WORD)((m_wBoolFlags & ~flagDraw3dFrame) | (b & 3));
  }
  if (Has(inclAutoSize)) readFlag(flagAutoSize);

  WORD borders = 0;
  ar >> borders;
  if (borders == 1) {
    for (int i = 0; i < 4; ++i) {
      WORD present = 0;
      ar >> present;
      if (!present) continue;
      CString text;
      ar >> text;
      CGXPenValue pen;
      pen.ParseDescription(text);
      SetBorders(i, pen);
    }
  }
  if (Has(inclBaseStyle)) {
    DWORD resId = 0;
    CString name;
    ar >> resId;
    if (resId == 0) ar >> name;
    if (pMap) {
      WORD id = 0;
      if (resId) pMap->LookupResourceId(resId, id);
      else if (!name.IsEmpty()) pMap->LookupBaseStyleName(name, id);
      m_nBaseStyle = id;
    }
  }
  if (schema >= 2) {
    if (Has(inclFloatCell)) readFlag(flagFloatCell);
    if (Has(inclFloodCell)) readFlag(flagFloodCell);
    if (Has(inclMergeCell)) {
      ar >> b;
      m_wBoolFlags = (WORD)((m_wBoolFlags & ~flagMergeCell) | ((b & 7) << 11));
    }
  }
  if (schema >= 3 && Has(inclExtraValue)) ar >> m_dwExtraValue;
}

void CGXStyle::Serialize(CArchive& ar, const CGXStylesMap* pMap) {
  if (!pMap) pMap = CGXStylesMap::FromArchive(ar);
  if (ar.IsStoring()) StoreStyle(ar, pMap);
  else LoadStyle(ar, pMap);
}
