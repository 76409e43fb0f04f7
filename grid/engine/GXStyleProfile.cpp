// Text forms of brushes and pens, and a style's profile entries.
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXStyle.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/GXTextForms.h"
#include "platform/core/Format.h"
#include "platform/gdi/GdiDefs.h"

#include <cstring>

// ---- Brush and pen text forms ------------------------------------------------------------------

void CGXBrushValue::GetDescription(CString& s) const {
  s = FormatString("%lu %ld %d %d %d %d %d %d %d", (DWORD)m_nStyle,
                   (LONG)(m_nStyle == 3 ? m_nPattern : (DWORD)m_nHatch), GetRValue(m_clrColor),
                   GetGValue(m_clrColor), GetBValue(m_clrColor), GetRValue(m_clrBkColor), GetGValue(m_clrBkColor),
                   GetBValue(m_clrBkColor), (int)(m_clrColor >> 24));
}

void CGXBrushValue::ParseDescription(LPCTSTR text) {
  LONG v[9];
  int n = GXScanNumbers(text, v, 9);
  if (n == 0) return;
  m_nStyle = (UINT)v[0];
  if (n >= 2) {
    if (m_nStyle == 3) {
      m_nPattern = (DWORD)v[1];
      m_nHatch = GXGetPatternHandle(m_nPattern);
    } else {
      m_nHatch = (UINT_PTR)(DWORD)v[1];
    }
  }
  if (n >= 5) m_clrColor = RGB(v[2], v[3], v[4]);
  if (n >= 8) m_clrBkColor = RGB(v[5], v[6], v[7]);
  if (n >= 9) {
    if (v[8] == 1) m_clrColor = PALETTEINDEX((WORD)(v[2] + 256 * v[3]));
    else if (v[8] == 2) m_clrColor = 0x02000000 | (m_clrColor & 0xFFFFFF);
    else m_clrColor = ((DWORD)(BYTE)v[8] << 24) | (m_clrColor & 0xFFFFFF);
  }
  // As in archives: a text cannot carry a handle or address of this process.
  if (m_nStyle != BS_SOLID && m_nStyle != BS_NULL && m_nStyle != BS_PATTERN &&
      !(m_nStyle == BS_HATCHED && m_nHatch <= HS_DIAGCROSS)) {
    m_nStyle = BS_SOLID;
    m_nHatch = 0;
  }
}

void CGXPenValue::GetDescription(CString& s) const {
  s = FormatString("%lu %ld %d %d %d %d", (DWORD)m_nStyle, m_nWidth, GetRValue(m_clrColor), GetGValue(m_clrColor),
                   GetBValue(m_clrColor), (int)(m_clrColor >> 24));
}

void CGXPenValue::GetDescription(LPTSTR buf, size_t size) const {
  if (!buf || size == 0) return;
  CString s;
  GetDescription(s);
  size_t n = std::min((size_t)s.GetLength(), size - 1);
  std::memcpy(buf, s.GetString(), n);
  buf[n] = 0;
}

void CGXPenValue::ParseDescription(LPCTSTR text) {
  LONG v[6];
  int n = GXScanNumbers(text, v, 6);
  if (n < 5) return;
  m_nStyle = (UINT)v[0];
  m_nWidth = v[1];
  m_clrColor = RGB(v[2], v[3], v[4]);
  if (n >= 6) m_clrColor |= (DWORD)(BYTE)v[5] << 24;
  m_nInclude = 1;
}

// ---- Profile entries of a style --------------------------------------------------------------------

namespace {

// Keys of the four border sides, by side index.
const char* const kSideKeys[4] = {"Top", "Left", "Bottom", "Right"};

CString EncodeChoiceList(const CString& list) {
  std::string out;
  for (char c : list.str()) {
    if (c == '\r') continue;
    if (c == '\n') out += "\\n";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return CString(std::move(out));
}

}  // namespace

void CGXStyle::WriteProfile(LPCTSTR pszSection, const CGXStylesMap* pMap) const {
  if (!pszSection) return;
  CAppProfile& app = GXGetAppProfile();
  // A value the profile refuses must not leave the entry it had before.
  auto write = [&](LPCTSTR key, LPCTSTR value) {
    if (!app.WriteProfileString(pszSection, key, value) && value) app.WriteProfileString(pszSection, key, nullptr);
  };
  auto put = [&](LPCTSTR key, DWORD bit, const CString& value) { write(key, Has(bit) ? value.GetString() : nullptr); };
  auto num = [](DWORD n) { return CString(FormatString("%lu", n)); };
  auto flag = [&](WORD f) { return num(Flag(f) ? 1 : 0); };

  put("HorizontalAlignment", inclHorzAlign, num(m_nHorzAlign));
  put("VerticalAlignment", inclVertAlign, num(m_nVertAlign));
  put("ReadOnly", inclReadOnly, flag(flagReadOnly));
  put("FloatCell", inclFloatCell, flag(flagFloatCell));
  put("FloodCell", inclFloodCell, flag(flagFloodCell));
  put("MergeCell", inclMergeCell, num(GetMergeCell()));
  put("Draw3dFrame", inclDraw3dFrame, num(GetDraw3dFrame()));
  put("ControlId", inclControl, num(m_nControlId));
  put("MaxLength", inclMaxLength, num(m_nMaxLength));
  put("VerticalScrollbar", inclVertScrollbar, flag(flagVertScrollbar));

  const CGXStylesMap::BaseStyleEntry* base = nullptr;
  if (Has(inclBaseStyle) && pMap) base = pMap->GetBaseStyleEntry(m_nBaseStyle);
  if (base)
    write("BaseStyle", base->nResourceId ? FormatString("#%lu", (DWORD)base->nResourceId).c_str()
                                         : base->strName.GetString());
  else
    write("BaseStyle", nullptr);

  put("TextColor", inclTextColor,
      CString(FormatString("%d %d %d", GetRValue(m_clrText), GetGValue(m_clrText), GetBValue(m_clrText))));
  put("WrapText", inclWrapText, flag(flagWrapText));
  put("AutoSize", inclAutoSize, flag(flagAutoSize));
  put("AllowEnter", inclAllowEnter, flag(flagAllowEnter));
  put("Enabled", inclEnabled, flag(flagEnabled));
  put("TriState", inclTriState, flag(flagTriState));
  put("Value", inclValue, GXEncodeProfileValue(m_strValue));
  CString text;
  if (Has(inclInterior)) m_brInterior.GetDescription(text);
  put("Interior", inclInterior, text);
  put("ChoicesList", inclChoiceList, EncodeChoiceList(m_strChoiceList));
  if (Has(inclFont) && m_pFont) m_pFont->GetDescription(text);
  else text.Empty();
  put("Font", inclFont, text);
  const bool borders = Has(inclBorders) && m_pBorders;
  write("Borders", borders ? "1" : nullptr);
  if (borders) {
    for (int i = 0; i < 4; ++i) {
      if (m_pBorders[i].GetInclude()) m_pBorders[i].GetDescription(text);
      write(kSideKeys[i], m_pBorders[i].GetInclude() ? text.GetString() : nullptr);
    }
  }
  if (m_pUserAttributes) {
    POSITION pos = m_pUserAttributes->GetStartPosition();
    while (pos) {
      DWORD id;
      CString value;
      m_pUserAttributes->GetNextAssoc(pos, id, value);
      write(FormatString("UA%lu", id).c_str(), GXEncodeProfileValue(value));
    }
  }
}

BOOL CGXStyle::ReadProfile(LPCTSTR pszSection, const CGXStylesMap* pMap) {
  if (!pszSection) return FALSE;
  Free();
  CAppProfile& app = GXGetAppProfile();
  CString s;
  auto get = [&](LPCTSTR key) {
    s = app.GetProfileString(pszSection, key, "");
    return !s.IsEmpty();
  };
  auto bit = [&](LPCTSTR key, WORD f, DWORD incl) {
    if (get(key)) {
      SetFlag(f, (GXAtol(s) & 1) != 0);
      m_nIncludeBits |= incl;
    }
  };

  if (get("VerticalAlignment")) SetVerticalAlignment((DWORD)GXAtol(s));
  if (get("HorizontalAlignment")) SetHorizontalAlignment((DWORD)GXAtol(s));
  bit("ReadOnly", flagReadOnly, inclReadOnly);
  bit("FloatCell", flagFloatCell, inclFloatCell);
  bit("FloodCell", flagFloodCell, inclFloodCell);
  if (get("MergeCell")) SetMergeCell((UINT)GXAtol(s) & 7);
  if (get("Draw3dFrame")) SetDraw3dFrame((UINT)GXAtol(s) & 3);
  if (get("MaxLength")) SetMaxLength((WORD)GXAtol(s));
  bit("VerticalScrollbar", flagVertScrollbar, inclVertScrollbar);
  if (get("ControlId")) SetControl((DWORD)GXAtol(s));
  if (get("TextColor")) {
    LONG v[3];
    if (GXScanNumbers(s, v, 3) == 3) SetTextColor(RGB(v[0], v[1], v[2]));
  }
  bit("WrapText", flagWrapText, inclWrapText);
  bit("AutoSize", flagAutoSize, inclAutoSize);
  bit("AllowEnter", flagAllowEnter, inclAllowEnter);
  bit("Enabled", flagEnabled, inclEnabled);
  bit("TriState", flagTriState, inclTriState);
  if (get("Value")) SetValue(GXDecodeProfileValue(s).GetString());
  if (get("BaseStyle")) {
    if (s[0] == '#') {
      WORD id = 0;
      if (pMap) pMap->LookupResourceId((UINT)GXAtol(s.GetString() + 1), id);
      SetBaseStyle(id);
    } else {
      WORD id = 0;
      if (pMap && pMap->LookupBaseStyleName(s, id)) SetBaseStyle(id);
    }
  }
  if (get("ChoicesList")) SetChoiceList(GXDecodeProfileValue(s));
  if (get("Font")) {
    CGXFont font;
    font.ParseDescription(s);
    SetFont(font, 0);
  }
  if (get("Interior")) {
    CGXBrushValue br;
    br.ParseDescription(s);
    SetInterior(br);
  }
  if (get("Borders") && s == "1") {
    for (int i = 0; i < 4; ++i) {
      if (!get(kSideKeys[i])) continue;
      CGXPenValue pen;
      pen.ParseDescription(s);
      // A side whose text is not a pen is left out.
      if (pen.GetInclude()) SetBorders(i, pen);
    }
  }
  if (pMap) {
    POSITION pos = pMap->GetUserAttributeMap().GetStartPosition();
    while (pos) {
      DWORD id;
      CGXStylesMap::UserAttributeEntry* e;
      pMap->GetUserAttributeMap().GetNextAssoc(pos, id, e);
      if (get(FormatString("UA%lu", id).c_str())) SetUserAttribute(id, GXDecodeProfileValue(s));
    }
  }
  return TRUE;
}
