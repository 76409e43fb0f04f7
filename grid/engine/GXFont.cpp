#include "grid/engine/GXFont.h"

#include "grid/engine/GXScreenFontTable.h"
#include "grid/engine/GXTextForms.h"
#include "platform/core/Archive.h"
#include "platform/core/Format.h"

#include <cstring>

IMPLEMENT_SERIAL(CGXFont, CObject, 1)

namespace {
int ScreenDpi() { return CGXScreenFontTable::Get().GetVerticalResolution(); }
// No real font is taller than this many pixels, either sign; a larger height read is damaged data.
constexpr LONG kMaxHeight = 16384;
}  // namespace

LONG CGXFont::PointsToHeight(LONG points) { return -MulDiv(points, ScreenDpi(), 72); }
LONG CGXFont::HeightToPoints(LONG height) { return -MulDiv(height, 72, ScreenDpi()); }

CGXFont::CGXFont() { std::memset(&m_lf, 0, sizeof m_lf); }

CGXFont::CGXFont(const LOGFONT& lf) : m_lf(lf), m_nIncludeBits(fontAll) {
  m_lf.lfFaceName[LF_FACESIZE - 1] = 0;
  WORD value = 0;
  m_lf.lfCharSet = CGXScreenFontTable::Get().Lookup(m_lf.lfFaceName, value) ? (BYTE)(value & 0xFF) : 0;
}

CGXFont::CGXFont(const CGXFont& src) : CObject(), m_lf(src.m_lf), m_nIncludeBits(src.m_nIncludeBits) {}

CGXFont& CGXFont::operator=(const CGXFont& src) {
  m_lf = src.m_lf;
  m_nIncludeBits = src.m_nIncludeBits;
  return *this;
}

CGXFont CGXFont::StandardFont() {
  CGXFont f;
  f.m_lf.lfPitchAndFamily = 0x22;
  f.SetFaceName("Arial");
  f.m_lf.lfHeight = PointsToHeight(8);
  f.m_lf.lfWeight = 400;
  f.m_nIncludeBits = fontAll;
  return f;
}

void CGXFont::Reset() {
  std::memset(&m_lf, 0, sizeof m_lf);
  m_nIncludeBits = 0;
}

LONG CGXFont::GetSize() const { return HeightToPoints(m_lf.lfHeight); }

CGXFont& CGXFont::SetWeight(LONG weight) {
  m_lf.lfWeight = weight;
  m_nIncludeBits |= fontWeight;
  return *this;
}
CGXFont& CGXFont::SetItalic(BOOL b) {
  m_lf.lfItalic = b ? 1 : 0;
  m_nIncludeBits |= fontItalic;
  return *this;
}
CGXFont& CGXFont::SetUnderline(BOOL b) {
  m_lf.lfUnderline = b ? 1 : 0;
  m_nIncludeBits |= fontUnderline;
  return *this;
}
CGXFont& CGXFont::SetStrikeOut(BOOL b) {
  m_lf.lfStrikeOut = b ? 1 : 0;
  m_nIncludeBits |= fontStrikeOut;
  return *this;
}
CGXFont& CGXFont::SetSize(LONG points) {
  m_lf.lfHeight = PointsToHeight(points);
  m_nIncludeBits |= fontSize;
  return *this;
}
CGXFont& CGXFont::SetHeight(LONG height) {
  m_lf.lfHeight = height;
  m_nIncludeBits |= fontSize;
  return *this;
}
CGXFont& CGXFont::SetFaceName(LPCTSTR faceName) {
  std::memset(m_lf.lfFaceName, 0, sizeof m_lf.lfFaceName);
  if (faceName) std::strncpy(m_lf.lfFaceName, faceName, LF_FACESIZE - 1);
  WORD value = 0;
  m_lf.lfCharSet = CGXScreenFontTable::Get().Lookup(m_lf.lfFaceName, value) ? (BYTE)(value & 0xFF) : 0;
  m_nIncludeBits |= fontFaceName;
  return *this;
}
CGXFont& CGXFont::SetInclude(DWORD bit, BOOL bInclude) {
  if (bInclude) m_nIncludeBits |= (bit & fontAll);
  else m_nIncludeBits &= ~bit;
  return *this;
}

void CGXFont::ChangeFont(const CGXFont& src, int nMode) {
  if (nMode == 3) {
    m_nIncludeBits &= ~src.m_nIncludeBits;
    return;
  }
  if (nMode == 2) Reset();
  auto take = [&](DWORD bit) { return (src.m_nIncludeBits & bit) && (nMode != 1 || !(m_nIncludeBits & bit)); };
  if (take(fontWeight)) SetWeight(src.m_lf.lfWeight);
  if (take(fontItalic)) SetItalic(src.m_lf.lfItalic != 0);
  if (take(fontUnderline)) SetUnderline(src.m_lf.lfUnderline != 0);
  if (take(fontStrikeOut)) SetStrikeOut(src.m_lf.lfStrikeOut != 0);
  if (take(fontSize)) {
    // Whole points, so fonts composed from several styles share one size.
    int dpi = ScreenDpi();
    LONG points = MulDiv(src.m_lf.lfHeight, 72, dpi);
    SetHeight(-MulDiv(-points, dpi, 72));
  }
  if (take(fontFaceName)) SetFaceName(src.m_lf.lfFaceName);
}

BOOL CGXFont::IsSubSet(const CGXFont& other) const {
  DWORD need = other.m_nIncludeBits;
  if ((m_nIncludeBits & need) != need) return FALSE;
  if ((need & fontWeight) && m_lf.lfWeight != other.m_lf.lfWeight) return FALSE;
  if ((need & fontItalic) && (m_lf.lfItalic != 0) != (other.m_lf.lfItalic != 0)) return FALSE;
  if ((need & fontUnderline) && (m_lf.lfUnderline != 0) != (other.m_lf.lfUnderline != 0)) return FALSE;
  if ((need & fontStrikeOut) && (m_lf.lfStrikeOut != 0) != (other.m_lf.lfStrikeOut != 0)) return FALSE;
  if ((need & fontSize)) {
    int dpi = ScreenDpi();
    if (MulDiv(m_lf.lfHeight, 72, dpi) != MulDiv(other.m_lf.lfHeight, 72, dpi)) return FALSE;
  }
  if ((need & fontFaceName) && std::strncmp(m_lf.lfFaceName, other.m_lf.lfFaceName, LF_FACESIZE) != 0) return FALSE;
  return TRUE;
}

void CGXFont::GetDescription(CString& s) const {
  std::string& out = s.str();
  out.clear();
  if (GetIncludeFaceName()) out += m_lf.lfFaceName;
  out += ',';
  if (GetIncludeSize()) out += FormatString("%ld", HeightToPoints(m_lf.lfHeight));
  out += ',';
  if (GetIncludeWeight()) out += FormatString("%ld", m_lf.lfWeight);
  out += ',';
  if (GetIncludeItalic()) out += m_lf.lfItalic ? '1' : '0';
  out += ',';
  if (GetIncludeUnderline()) out += m_lf.lfUnderline ? '1' : '0';
  out += ',';
  if (GetIncludeStrikeOut()) out += m_lf.lfStrikeOut ? '1' : '0';
}

void CGXFont::GetDescription(LPTSTR buf, size_t size) const {
  if (!buf || size == 0) return;
  CString s;
  GetDescription(s);
  size_t n = std::min((size_t)s.GetLength(), size - 1);
  std::memcpy(buf, s.GetString(), n);
  buf[n] = 0;
}

void CGXFont::ParseDescription(LPCTSTR text) {
  Reset();
  if (!text) return;
  const char* p = text;
  for (int field = 0; field < 6; ++field) {
    const char* comma = std::strchr(p, ',');
    size_t len = comma ? (size_t)(comma - p) : std::strlen(p);
    if (len > 0) {
      std::string f(p, len);
      switch (field) {
        case 0: SetFaceName(f.c_str()); break;
        case 1: SetHeight(-MulDiv(GXAtoi(f.c_str()), ScreenDpi(), 72)); break;
        case 2: SetWeight(GXAtoi(f.c_str())); break;
        case 3: SetItalic(GXAtoi(f.c_str()) != 0); break;
        case 4: SetUnderline(GXAtoi(f.c_str()) != 0); break;
        case 5: SetStrikeOut(GXAtoi(f.c_str()) != 0); break;
      }
    }
    if (!comma) break;
    p = comma + 1;
  }
}

void CGXFont::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << (WORD)1;
    ar << (LONG)m_lf.lfHeight << (LONG)m_lf.lfWeight;
    ar << (BYTE)m_lf.lfItalic << (BYTE)m_lf.lfUnderline << (BYTE)m_lf.lfPitchAndFamily;
    ar << CString(m_lf.lfFaceName);
    ar << (DWORD)m_nIncludeBits;
  } else {
    WORD schema = 0;
    ar >> schema;
    if (schema > 1) AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    LONG height = 0, weight = 0;
    BYTE italic = 0, underline = 0, pitch = 0;
    CString face;
    DWORD bits = 0;
    ar >> height >> weight >> italic >> underline >> pitch >> face >> bits;
    if (height < -kMaxHeight || height > kMaxHeight) AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    Reset();
    m_lf.lfHeight = height;
    m_lf.lfWeight = weight;
    m_lf.lfItalic = italic;
    m_lf.lfUnderline = underline;
    m_lf.lfPitchAndFamily = pitch;
    SetFaceName(face);
    m_nIncludeBits = bits & fontAll;
  }
}
