#include "grid/engine/GXStyle.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Archive.h"
#include "platform/core/Format.h"
#include "platform/gdi/GdiObject.h"

#include <cstring>
#include <vector>

IMPLEMENT_SERIAL(CGXStyle, CObject, 3)

// ---- Colours and the pattern table -----------------------------------------------------------------

COLORREF GXResolveColor(COLORREF color) {
  DWORD top = color >> 24;
  if (top >= 65 && top <= 254) return (COLORREF)(GXGetSysColorCache().GetColor((int)(254 - top)) & 0xFFFFFF);
  return color;
}

COLORREF GXSysColorRef(int index) {
  return ((DWORD)(254 - index) << 24) | (GetSysColor(index) & 0xFFFFFF);
}

namespace {
UINT g_nPatternCount = GX_PATTERN_COUNT;
// Null: the drawing routines' own table.
UINT_PTR (*g_pfnPatternBitmap)(UINT) = nullptr;
}  // namespace

void GXSetPatternTable(UINT count, UINT_PTR (*pfnBitmap)(UINT)) {
  g_nPatternCount = count;
  g_pfnPatternBitmap = pfnBitmap;
}
UINT GXGetPatternCount() { return g_nPatternCount; }
UINT_PTR GXGetPatternHandle(UINT number) {
  if (number >= g_nPatternCount) return 0;
  return g_pfnPatternBitmap ? g_pfnPatternBitmap(number) : (UINT_PTR)GXGetPatternBitmap(number);
}

// ---- CGXBrushValue, CGXPenValue ------------------------------------------------------------------------

CGXBrushValue& CGXBrushValue::SetPattern(DWORD n) {
  m_nStyle = 3;
  m_nPattern = n;
  m_nHatch = GXGetPatternHandle(n);
  return *this;
}

BOOL CGXPenValue::GetPatternBrush(CGXBrushValue& out, const CGXBrushValue& interior, BOOL bFlag,
                                  BOOL bBlackWhite) const {
  if (m_nStyle == 5) {
    out = interior;
    return TRUE;
  }
  if (m_nStyle == 0 || m_nStyle > 5) return FALSE;
  out = CGXBrushValue();
  out.SetPattern((bFlag ? 32 : 36) + m_nStyle);
  if (bBlackWhite) {
    out.SetColor(RGB(0, 0, 0)).SetBkColor(RGB(255, 255, 255));
  } else {
    out.SetColor(GetColor());
    out.SetBkColor(interior.GetStyle() == 0 ? interior.GetColor() : interior.GetBkColor());
  }
  return TRUE;
}

// ---- CGXStyle: construction and copying --------------------------------------------------------------

CGXStyle::CGXStyle() { Construct(); }

CGXStyle::CGXStyle(const CGXStyle& src) : CObject() {
  Construct();
  CopyFrom(src);
}

CGXStyle::~CGXStyle() { Free(); }

void CGXStyle::Construct() {
  m_nIncludeBits = 0;
  m_brInterior.Clear();
  m_clrText = 0;
  m_dwExtraValue = 0;
  m_pBorders = nullptr;
  m_pFont = nullptr;
  m_pUserAttributes = nullptr;
}

CGXStyle* CGXStyle::Clone() const {
  CGXStyle* p = static_cast<CGXStyle*>(GetRuntimeClass()->CreateObject());
  if (!p) AfxThrowMemoryException();
  *p = *this;
  return p;
}

CGXStyle& CGXStyle::operator=(const CGXStyle& src) {
  if (this == &src) return *this;
  if (src.m_nIncludeBits == 0) {
    Free();
    return *this;
  }
  CopyFrom(src);
  return *this;
}

// Makes this an exact copy: attributes the source lacks leave nothing behind.
void CGXStyle::CopyFrom(const CGXStyle& src) {
  m_nIncludeBits = src.m_nIncludeBits;
  m_nHorzAlign = src.m_nHorzAlign;
  m_nVertAlign = src.m_nVertAlign;
  m_nMaxLength = src.m_nMaxLength;
  m_nControlId = src.m_nControlId;
  m_brInterior = src.m_brInterior;
  m_clrText = src.m_clrText;
  m_wBoolFlags = src.m_wBoolFlags;
  m_dwExtraValue = src.m_dwExtraValue;
  if (src.Has(inclValue)) m_strValue = src.m_strValue;
  else m_strValue.Empty();
  if (src.Has(inclChoiceList)) m_strChoiceList = src.m_strChoiceList;
  else m_strChoiceList.Empty();
  m_nBaseStyle = src.Has(inclBaseStyle) ? src.m_nBaseStyle : 0;

  if (src.Has(inclBorders) && src.m_pBorders) {
    std::memcpy(Borders(), src.m_pBorders, 4 * sizeof(CGXPenValue));
  } else {
    delete[] m_pBorders;
    m_pBorders = nullptr;
  }

  if (src.Has(inclFont)) {
    if (!src.m_pFont) {
      if (m_pFont) m_pFont->Reset();
      else m_pFont = new CGXFont;
    } else if (m_pFont) {
      *m_pFont = *src.m_pFont;
    } else {
      m_pFont = new CGXFont(*src.m_pFont);
    }
  } else {
    delete m_pFont;
    m_pFont = nullptr;
  }

  if (m_pUserAttributes) m_pUserAttributes->RemoveAll();
  if (src.Has(inclUserAttributes) && src.m_pUserAttributes && !src.m_pUserAttributes->IsEmpty()) {
    SetUserAttributes(src.m_pUserAttributes);
  } else {
    delete m_pUserAttributes;
    m_pUserAttributes = nullptr;
  }
  // A bit whose object was never made (a mask set by hand or read from an archive) is kept too.
  m_nIncludeBits = src.m_nIncludeBits;
}

void CGXStyle::Free() {
  delete[] m_pBorders;
  m_pBorders = nullptr;
  delete m_pFont;
  m_pFont = nullptr;
  m_dwExtraValue = 0;
  m_strValue.Empty();
  m_strChoiceList.Empty();
  m_nIncludeBits = 0;
  delete m_pUserAttributes;
  m_pUserAttributes = nullptr;
}

void CGXStyle::SetIncludeMask(DWORD mask) {
  m_nIncludeBits = mask & inclAll;
  // Owned objects never outlive their include bit.
  if (!Has(inclBorders)) {
    delete[] m_pBorders;
    m_pBorders = nullptr;
  }
  if (!Has(inclFont)) {
    delete m_pFont;
    m_pFont = nullptr;
  }
  if (!Has(inclUserAttributes)) {
    delete m_pUserAttributes;
    m_pUserAttributes = nullptr;
  }
}

CGXStyle& CGXStyle::SetIncludeBit(DWORD bit, BOOL bInclude) {
  bit &= inclAll;
  if (bInclude) {
    m_nIncludeBits |= bit;
  } else {
    SetIncludeMask(m_nIncludeBits & ~bit);
    if (bit & inclValue) m_strValue.Empty();
    if (bit & inclChoiceList) m_strChoiceList.Empty();
  }
  return *this;
}

// ---- Setters and getters with owned parts -----------------------------------------------------------

CGXStyle& CGXStyle::SetValue(LPCTSTR value) {
  m_strValue = value;
  return Include(inclValue);
}

CGXStyle& CGXStyle::SetValue(DWORD n) { return SetValue(CString(FormatString("%lu", n))); }

CGXPenValue* CGXStyle::Borders() {
  if (!m_pBorders) m_pBorders = new CGXPenValue[4]();
  return m_pBorders;
}

void CGXStyle::RecomputeBordersBit() {
  bool any = false;
  if (m_pBorders)
    for (int i = 0; i < 4; ++i) any = any || m_pBorders[i].GetInclude();
  if (any) m_nIncludeBits |= inclBorders;
  else m_nIncludeBits &= ~inclBorders;
}

BOOL CGXStyle::GetIncludeBorder(int nSide) const {
  if (!m_pBorders || !Has(inclBorders) || nSide < 0 || nSide > 3) return FALSE;
  return m_pBorders[nSide].GetInclude();
}

CGXPenValue CGXStyle::GetBorders(int nSide) const {
  if (!GetIncludeBorder(nSide)) return CGXPenValue();
  return m_pBorders[nSide];
}

CGXStyle& CGXStyle::SetBorders(int nSide, const CGXPenValue& pen) {
  if (nSide != sideAll && (nSide < 0 || nSide > 3)) return *this;
  CGXPenValue* b = Borders();
  for (int i = 0; i < 4; ++i) {
    if (nSide == sideAll || nSide == i) {
      b[i] = pen;
      b[i].SetInclude(TRUE);
    }
  }
  return Include(inclBorders);
}

CGXStyle& CGXStyle::SetAllBorders(const CGXPenValue* pens) {
  if (!pens) {
    delete[] m_pBorders;
    m_pBorders = nullptr;
    m_nIncludeBits &= ~inclBorders;
    return *this;
  }
  std::memcpy(Borders(), pens, 4 * sizeof(CGXPenValue));
  return Include(inclBorders);
}

CGXStyle& CGXStyle::SetIncludeBorder(int nSide, BOOL bInclude) {
  if (nSide != sideAll && (nSide < 0 || nSide > 3)) return *this;
  if (!m_pBorders && !bInclude) return *this;
  CGXPenValue* b = Borders();
  for (int i = 0; i < 4; ++i)
    if (nSide == sideAll || nSide == i) b[i].SetInclude(bInclude);
  RecomputeBordersBit();
  return *this;
}

const CGXFont& CGXStyle::GetFont() const {
  static const CGXFont empty;
  return m_pFont ? *m_pFont : empty;
}

CGXStyle& CGXStyle::SetFont(const CGXFont& font, int nMode) {
  if (!m_pFont) {
    if (nMode == 3) return *this;
    m_pFont = new CGXFont(font);
  } else {
    m_pFont->ChangeFont(font, nMode);
  }
  if (nMode != 3) m_nIncludeBits |= inclFont;
  return *this;
}

CGXStyle& CGXStyle::SetIncludeFont(BOOL bInclude) {
  if (bInclude) {
    if (!m_pFont) m_pFont = new CGXFont;
    return Include(inclFont);
  }
  delete m_pFont;
  m_pFont = nullptr;
  m_nIncludeBits &= ~inclFont;
  return *this;
}

BOOL CGXStyle::HasUserAttribute(DWORD nId) const {
  CString s;
  return m_pUserAttributes && m_pUserAttributes->Lookup(nId, s);
}

CString CGXStyle::GetUserAttribute(DWORD nId) const {
  CString s;
  if (m_pUserAttributes) m_pUserAttributes->Lookup(nId, s);
  return s;
}

void CGXStyle::GetUserAttribute(DWORD nId, CString& s) const {
  if (m_pUserAttributes) m_pUserAttributes->Lookup(nId, s);
}

CGXStyle& CGXStyle::SetUserAttribute(DWORD nId, LPCTSTR value) {
  if (!m_pUserAttributes) {
    m_pUserAttributes = new CGXUserAttributeMap(10);
    m_pUserAttributes->InitHashTable(17, FALSE);
  }
  (*m_pUserAttributes)[nId] = value;
  return Include(inclUserAttributes);
}

CGXStyle& CGXStyle::SetUserAttributes(const CGXUserAttributeMap* pMap) {
  if (!pMap || pMap->IsEmpty()) {
    delete m_pUserAttributes;
    m_pUserAttributes = nullptr;
    m_nIncludeBits &= ~inclUserAttributes;
    return *this;
  }
  if (pMap == m_pUserAttributes) return Include(inclUserAttributes);
  POSITION pos = pMap->GetStartPosition();
  while (pos) {
    DWORD id;
    CString value;
    pMap->GetNextAssoc(pos, id, value);
    SetUserAttribute(id, value);
  }
  return *this;
}

// ---- The standard contents, merging, comparing -------------------------------------------------------

void CGXStyle::SetDefault() {
  Free();
  SetHorizontalAlignment(0);
  SetVerticalAlignment(0);
  SetReadOnly(FALSE);
  SetControl(52512);
  SetInterior(CGXBrushValue(0, GXSysColorRef(COLOR_WINDOW)).SetBkColor(RGB(255, 255, 255)));
  SetDraw3dFrame(0);
  SetVerticalScrollbar(FALSE);
  SetMaxLength(0);
  SetTextColor(GXSysColorRef(COLOR_WINDOWTEXT));
  SetWrapText(TRUE);
  SetEnabled(TRUE);
  SetAllowEnter(FALSE);
  SetTriState(FALSE);
  SetAutoSize(FALSE);
  SetFont(CGXFont::StandardFont(), 2);
  SetValue("");
  SetChoiceList("");
  SetFloodCell(TRUE);
  SetFloatCell(TRUE);
  SetMergeCell(0);
  SetExtraValue(0);
}

void CGXStyle::ChangeStyle(const CGXStyle& src, int nMode) {
  if (nMode == 2) {
    *this = src;
    return;
  }
  const DWORD have = src.m_nIncludeBits;
  if (nMode == 3) {
    if (have & inclBorders) {
      if (m_pBorders && src.m_pBorders && Has(inclBorders)) {
        for (int i = 0; i < 4; ++i)
          if (src.m_pBorders[i].GetInclude()) m_pBorders[i].SetInclude(FALSE);
        RecomputeBordersBit();
        if (!Has(inclBorders)) {
          delete[] m_pBorders;
          m_pBorders = nullptr;
        }
      }
    }
    if ((have & inclFont) && m_pFont && src.m_pFont) m_pFont->ChangeFont(*src.m_pFont, 3);
    if (have & inclValue) m_strValue.Empty();
    if ((have & inclUserAttributes) && m_pUserAttributes && src.m_pUserAttributes) {
      POSITION pos = src.m_pUserAttributes->GetStartPosition();
      while (pos) {
        DWORD id;
        CString value;
        src.m_pUserAttributes->GetNextAssoc(pos, id, value);
        m_pUserAttributes->RemoveKey(id);
      }
      if (m_pUserAttributes->IsEmpty()) SetUserAttributes(nullptr);
    }
    // The plain attributes; borders, font and user attributes were handled above.
    m_nIncludeBits &= ~(have & ~(inclBorders | inclFont | inclUserAttributes));
    if (have & inclChoiceList) m_strChoiceList.Empty();
    return;
  }
  if (nMode != 0 && nMode != 1) return;
  if (m_nIncludeBits == 0) {
    *this = src;
    return;
  }
  if (have == 0) return;

  const bool override = nMode == 0;
  auto take = [&](DWORD bit) { return (have & bit) && (override || !(m_nIncludeBits & bit)); };
  auto takeFlag = [&](DWORD bit, WORD flags) {
    if (take(bit)) {
      m_wBoolFlags = (WORD)((m_wBoolFlags & ~flags) | (src.m_wBoolFlags & flags));
      m_nIncludeBits |= bit;
    }
  };
  if (take(inclHorzAlign)) SetHorizontalAlignment(src.m_nHorzAlign);
  if (take(inclVertAlign)) SetVerticalAlignment(src.m_nVertAlign);
  takeFlag(inclReadOnly, flagReadOnly);
  takeFlag(inclFloatCell, flagFloatCell);
  takeFlag(inclFloodCell, flagFloodCell);
  takeFlag(inclMergeCell, flagMergeCell);
  takeFlag(inclDraw3dFrame, flagDraw3dFrame);
  if (take(inclMaxLength)) SetMaxLength(src.m_nMaxLength);
  takeFlag(inclVertScrollbar, flagVertScrollbar);
  if (take(inclTextColor)) SetTextColor(src.m_clrText);
  takeFlag(inclWrapText, flagWrapText);
  takeFlag(inclAutoSize, flagAutoSize);
  takeFlag(inclAllowEnter, flagAllowEnter);
  takeFlag(inclEnabled, flagEnabled);
  takeFlag(inclTriState, flagTriState);
  if (take(inclControl)) SetControl(src.m_nControlId);
  if (take(inclInterior)) SetInterior(src.m_brInterior);
  if ((have & inclBorders) && src.m_pBorders) {
    const bool had = Has(inclBorders) && m_pBorders;
    CGXPenValue* b = Borders();
    for (int i = 0; i < 4; ++i) {
      if (!src.m_pBorders[i].GetInclude()) continue;
      if (override || !had || !b[i].GetInclude()) b[i] = src.m_pBorders[i];
    }
    RecomputeBordersBit();
  }
  if ((have & inclFont) && src.m_pFont) SetFont(*src.m_pFont, nMode);
  if (take(inclValue)) SetValue(src.m_strValue.GetString());
  if (take(inclBaseStyle)) SetBaseStyle(src.m_nBaseStyle);
  if (take(inclChoiceList)) SetChoiceList(src.m_strChoiceList);
  if ((have & inclUserAttributes) && src.m_pUserAttributes && !src.m_pUserAttributes->IsEmpty()) {
    POSITION pos = src.m_pUserAttributes->GetStartPosition();
    while (pos) {
      DWORD id;
      CString value;
      src.m_pUserAttributes->GetNextAssoc(pos, id, value);
      if (override || !HasUserAttribute(id)) SetUserAttribute(id, value);
    }
  }
  if (take(inclExtraValue)) SetExtraValue(src.m_dwExtraValue);
}

BOOL CGXStyle::IsSubSet(const CGXStyle& other) const {
  const DWORD need = other.m_nIncludeBits;
  if ((m_nIncludeBits & need) != need) return FALSE;
  auto flagEq = [&](DWORD bit, WORD flags) {
    return !(need & bit) || (m_wBoolFlags & flags) == (other.m_wBoolFlags & flags);
  };
  if ((need & inclHorzAlign) && m_nHorzAlign != other.m_nHorzAlign) return FALSE;
  if ((need & inclVertAlign) && m_nVertAlign != other.m_nVertAlign) return FALSE;
  if ((need & inclControl) && m_nControlId != other.m_nControlId) return FALSE;
  if ((need & inclInterior) && m_brInterior != other.m_brInterior) return FALSE;
  if ((need & inclTextColor) && m_clrText != other.m_clrText) return FALSE;
  if ((need & inclMaxLength) && m_nMaxLength != other.m_nMaxLength) return FALSE;
  if ((need & inclBaseStyle) && m_nBaseStyle != other.m_nBaseStyle) return FALSE;
  if ((need & inclExtraValue) && m_dwExtraValue != other.m_dwExtraValue) return FALSE;
  if (!flagEq(inclReadOnly, flagReadOnly) || !flagEq(inclVertScrollbar, flagVertScrollbar) ||
      !flagEq(inclWrapText, flagWrapText) || !flagEq(inclAllowEnter, flagAllowEnter) ||
      !flagEq(inclEnabled, flagEnabled) || !flagEq(inclTriState, flagTriState) ||
      !flagEq(inclAutoSize, flagAutoSize) || !flagEq(inclDraw3dFrame, flagDraw3dFrame) ||
      !flagEq(inclFloatCell, flagFloatCell) || !flagEq(inclFloodCell, flagFloodCell) ||
      !flagEq(inclMergeCell, flagMergeCell))
    return FALSE;
  if ((need & inclValue) && m_strValue != other.m_strValue) return FALSE;
  if ((need & inclChoiceList) && m_strChoiceList != other.m_strChoiceList) return FALSE;
  if ((need & inclBorders) && other.m_pBorders) {
    for (int i = 0; i < 4; ++i) {
      if (!other.m_pBorders[i].GetInclude()) continue;
      if (!m_pBorders || m_pBorders[i] != other.m_pBorders[i]) return FALSE;
    }
  }
  if ((need & inclFont) && other.m_pFont) {
    if (!m_pFont || !m_pFont->IsSubSet(*other.m_pFont)) return FALSE;
  }
  if ((need & inclUserAttributes) && other.m_pUserAttributes) {
    POSITION pos = other.m_pUserAttributes->GetStartPosition();
    while (pos) {
      DWORD id;
      CString value, mine;
      other.m_pUserAttributes->GetNextAssoc(pos, id, value);
      if (!m_pUserAttributes || !m_pUserAttributes->Lookup(id, mine) || mine != value) return FALSE;
    }
  }
  return TRUE;
}

void CGXStyle::LoadBaseStyle(const CGXStylesMap& map) {
  if (!Has(inclBaseStyle)) return;
  // Ids already merged: a chain that comes back to one of them ends there.
  WORD visited[64];
  int nVisited = 0;
  std::vector<WORD> more;
  auto seen = [&](WORD id) {
    for (int i = 0; i < nVisited; ++i)
      if (visited[i] == id) return true;
    for (WORD v : more)
      if (v == id) return true;
    return false;
  };
  WORD id = m_nBaseStyle;
  CGXStyle* pBase = nullptr;
  while (!seen(id) && map.LookupStyle(id, pBase) && pBase) {
    if (nVisited < 64) visited[nVisited++] = id;
    else more.push_back(id);
    ChangeStyle(*pBase, 1);
    if (!pBase->GetIncludeBaseStyle()) break;
    id = pBase->GetBaseStyle();
  }
}
