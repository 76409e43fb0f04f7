// CGXStyle: the sparse set of attributes that describes a cell, row, column, table or base style,
// with its value types CGXBrushValue (interior) and CGXPenValue (one border side).
#pragma once

#include "grid/engine/GXFont.h"
#include "platform/core/Map.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

class CArchive;
class CGXStylesMap;

// A colour whose top byte is 65..254 stands for system colour 254 - top byte; this gives the
// colour to draw with (the system-colour cache's, or the low 24 bits of any other colour).
COLORREF GXResolveColor(COLORREF color);
// A colour that stands for a system colour, carrying its present value in the low 24 bits.
COLORREF GXSysColorRef(int index);

// The pattern table as brushes see it: how many patterns there are and the bitmap handle of a
// number. The drawing routines' table (GXGetPatternBitmap) serves unless a test installs another;
// a null function restores it.
void GXSetPatternTable(UINT count, UINT_PTR (*pfnBitmap)(UINT number));
UINT GXGetPatternCount();
UINT_PTR GXGetPatternHandle(UINT number);

class CGXBrushValue {
 public:
  CGXBrushValue() = default;  // solid black on white, no pattern
  CGXBrushValue(UINT style, COLORREF color, UINT_PTR hatch = 0)
      : m_nStyle(style), m_clrColor(color), m_nHatch(hatch) {}

  UINT GetStyle() const { return m_nStyle; }
  COLORREF GetColor() const { return GXResolveColor(m_clrColor); }
  COLORREF GetBkColor() const { return GXResolveColor(m_clrBkColor); }
  // The stored words, system-colour markers kept.
  COLORREF GetColorValue() const { return m_clrColor; }
  COLORREF GetBkColorValue() const { return m_clrBkColor; }
  UINT_PTR GetHatch() const { return m_nHatch; }
  DWORD GetPattern() const { return m_nPattern; }

  CGXBrushValue& SetStyle(UINT style) { m_nStyle = style; return *this; }
  CGXBrushValue& SetColor(COLORREF c) { m_clrColor = c; return *this; }
  CGXBrushValue& SetBkColor(COLORREF c) { m_clrBkColor = c; return *this; }
  CGXBrushValue& SetHatch(UINT_PTR hatch) { m_nHatch = hatch; return *this; }
  // Makes this a pattern brush (style 3) of pattern number n.
  CGXBrushValue& SetPattern(DWORD n);
  // All five words zero.
  void Clear() { m_nStyle = 0; m_clrColor = 0; m_nHatch = 0; m_nPattern = 0; m_clrBkColor = 0; }

  // Style, colour and hatch; the background too unless the brush is solid.
  bool operator==(const CGXBrushValue& o) const {
    return m_nStyle == o.m_nStyle && m_clrColor == o.m_clrColor && m_nHatch == o.m_nHatch &&
           (m_nStyle == 0 || m_clrBkColor == o.m_clrBkColor);
  }
  bool operator!=(const CGXBrushValue& o) const { return !(*this == o); }

  // "style hatch-or-pattern r g b bkr bkg bkb top"
  void GetDescription(CString& s) const;
  void ParseDescription(LPCTSTR text);

  friend CArchive& operator<<(CArchive& ar, const CGXBrushValue& br);
  friend CArchive& operator>>(CArchive& ar, CGXBrushValue& br);

 private:
  UINT m_nStyle = 0;
  COLORREF m_clrColor = 0;
  // A hatch index, or for a pattern brush its bitmap handle (a pointer here, so not 32 bits).
  UINT_PTR m_nHatch = 0;
  DWORD m_nPattern = 0xFFFFFFFF;
  COLORREF m_clrBkColor = 0xFFFFFF;
};

class CGXPenValue {
 public:
  CGXPenValue() = default;  // all zero
  CGXPenValue(UINT style, LONG width, COLORREF color)
      : m_nStyle(style), m_nWidth(width), m_nInclude(0), m_clrColor(color) {}

  UINT GetStyle() const { return m_nStyle; }
  LONG GetWidth() const { return m_nWidth; }
  BOOL GetInclude() const { return m_nInclude != 0; }
  COLORREF GetColor() const { return GXResolveColor(m_clrColor); }
  COLORREF GetColorValue() const { return m_clrColor; }

  CGXPenValue& SetStyle(UINT style) { m_nStyle = style; return *this; }
  CGXPenValue& SetWidth(LONG width) { m_nWidth = width; return *this; }
  CGXPenValue& SetInclude(BOOL b) { m_nInclude = b ? 1 : 0; return *this; }
  CGXPenValue& SetColor(COLORREF c) { m_clrColor = c; return *this; }

  bool operator==(const CGXPenValue& o) const {
    return m_nStyle == o.m_nStyle && m_nWidth == o.m_nWidth && m_nInclude == o.m_nInclude && m_clrColor == o.m_clrColor;
  }
  bool operator!=(const CGXPenValue& o) const { return !(*this == o); }

  // The brush that draws a dashed border over the interior; FALSE for a plain pen.
  BOOL GetPatternBrush(CGXBrushValue& out, const CGXBrushValue& interior, BOOL bFlag, BOOL bBlackWhite) const;

  // "style width r g b top"
  void GetDescription(CString& s) const;
  void GetDescription(LPTSTR buf, size_t size) const;
  // Fewer than five numbers leave the pen as it was.
  void ParseDescription(LPCTSTR text);

 private:
  UINT m_nStyle = 0;
  LONG m_nWidth = 0;
  DWORD m_nInclude = 0;
  COLORREF m_clrColor = 0;
};

// User attributes of a style: attribute id -> text.
typedef CMap<DWORD, DWORD, CString, LPCTSTR> CGXUserAttributeMap;

class CGXStyle : public CObject {
  DECLARE_SERIAL(CGXStyle)

 public:
  // Include bits in mask numbering (GetIncludeMask, archives).
  enum : DWORD {
    inclHorzAlign = 1u << 0,
    inclVertAlign = 1u << 1,
    inclReadOnly = 1u << 2,
    inclControl = 1u << 3,
    inclInterior = 1u << 4,
    inclTextColor = 1u << 5,
    inclWrapText = 1u << 6,
    inclAllowEnter = 1u << 7,
    inclBorders = 1u << 8,
    inclFont = 1u << 9,
    inclValue = 1u << 10,
    inclChoiceList = 1u << 11,
    inclVertScrollbar = 1u << 12,
    inclMaxLength = 1u << 13,
    inclBaseStyle = 1u << 14,
    inclEnabled = 1u << 15,
    inclTriState = 1u << 16,
    inclDraw3dFrame = 1u << 17,
    inclUserAttributes = 1u << 18,
    inclAutoSize = 1u << 19,
    inclExtraValue = 1u << 20,
    inclFloatCell = 1u << 21,
    inclFloodCell = 1u << 22,
    inclMergeCell = 1u << 23,
    inclAll = 0xFFFFFF
  };
  // Bits of the packed small values (GetBoolFlags).
  enum : WORD {
    flagDraw3dFrame = 0x0003,
    flagReadOnly = 1u << 2,
    flagVertScrollbar = 1u << 3,
    flagWrapText = 1u << 4,
    flagAllowEnter = 1u << 5,
    flagEnabled = 1u << 6,
    flagTriState = 1u << 7,
    flagAutoSize = 1u << 8,
    flagFloodCell = 1u << 9,
    flagFloatCell = 1u << 10,
    flagMergeCell = 0x3800
  };
  // Border sides.
  enum { sideLeft = 0, sideRight = 1, sideTop = 2, sideBottom = 3, sideAll = -1 };

  CGXStyle();
  CGXStyle(const CGXStyle& src);
  ~CGXStyle() override;

  // Virtual operations; derived style classes override them.
  virtual CGXStyle* Clone() const;
  virtual CGXStyle& SetValue(LPCTSTR value);
  virtual CGXStyle& operator=(const CGXStyle& src);
  virtual void SetDefault();
  virtual BOOL IsSubSet(const CGXStyle& other) const;
  virtual void Serialize(CArchive& ar, const CGXStylesMap* pMap);
  virtual void WriteProfile(LPCTSTR pszSection, const CGXStylesMap* pMap) const;
  virtual BOOL ReadProfile(LPCTSTR pszSection, const CGXStylesMap* pMap);
  virtual void LoadBaseStyle(const CGXStylesMap& map);
  // Modes: 0 override, 1 apply where unset, 2 copy, 3 exclude.
  virtual void ChangeStyle(const CGXStyle& src, int nMode);
  virtual void Free();

  void Serialize(CArchive& ar) override { Serialize(ar, nullptr); }

  // The 24-bit include mask.
  DWORD GetIncludeMask() const { return m_nIncludeBits; }
  void SetIncludeMask(DWORD mask);
  BOOL IsEmpty() const { return m_nIncludeBits == 0; }

  // Alignment, control, colours and the other plain attributes.
  BOOL GetIncludeHorizontalAlignment() const { return Has(inclHorzAlign); }
  DWORD GetHorizontalAlignment() const { return m_nHorzAlign; }
  CGXStyle& SetHorizontalAlignment(DWORD n) { m_nHorzAlign = n; return Include(inclHorzAlign); }
  BOOL GetIncludeVerticalAlignment() const { return Has(inclVertAlign); }
  DWORD GetVerticalAlignment() const { return m_nVertAlign; }
  CGXStyle& SetVerticalAlignment(DWORD n) { m_nVertAlign = n; return Include(inclVertAlign); }
  BOOL GetIncludeReadOnly() const { return Has(inclReadOnly); }
  BOOL GetReadOnly() const { return Flag(flagReadOnly); }
  CGXStyle& SetReadOnly(BOOL b) { SetFlag(flagReadOnly, b); return Include(inclReadOnly); }
  BOOL GetIncludeControl() const { return Has(inclControl); }
  DWORD GetControl() const { return m_nControlId; }
  CGXStyle& SetControl(DWORD id) { m_nControlId = id; return Include(inclControl); }
  BOOL GetIncludeInterior() const { return Has(inclInterior); }
  const CGXBrushValue& GetInterior() const { return m_brInterior; }
  CGXStyle& SetInterior(const CGXBrushValue& br) { m_brInterior = br; return Include(inclInterior); }
  CGXStyle& SetInterior(COLORREF color) { return SetInterior(CGXBrushValue(0, color)); }
  BOOL GetIncludeTextColor() const { return Has(inclTextColor); }
  // The colour to draw with; GetTextColorValue keeps a system-colour marker.
  COLORREF GetTextColor() const { return GXResolveColor(m_clrText); }
  COLORREF GetTextColorValue() const { return m_clrText; }
  CGXStyle& SetTextColor(COLORREF c) { m_clrText = c; return Include(inclTextColor); }
  BOOL GetIncludeWrapText() const { return Has(inclWrapText); }
  BOOL GetWrapText() const { return Flag(flagWrapText); }
  CGXStyle& SetWrapText(BOOL b) { SetFlag(flagWrapText, b); return Include(inclWrapText); }
  BOOL GetIncludeAllowEnter() const { return Has(inclAllowEnter); }
  BOOL GetAllowEnter() const { return Flag(flagAllowEnter); }
  CGXStyle& SetAllowEnter(BOOL b) { SetFlag(flagAllowEnter, b); return Include(inclAllowEnter); }
  BOOL GetIncludeValue() const { return Has(inclValue); }
  const CString& GetValue() const { return m_strValue; }
  CGXStyle& SetValue(const CString& s) { return SetValue(s.GetString()); }
  CGXStyle& SetValue(DWORD n);
  BOOL GetIncludeChoiceList() const { return Has(inclChoiceList); }
  const CString& GetChoiceList() const { return m_strChoiceList; }
  CGXStyle& SetChoiceList(LPCTSTR s) { m_strChoiceList = s; return Include(inclChoiceList); }
  BOOL GetIncludeVerticalScrollbar() const { return Has(inclVertScrollbar); }
  BOOL GetVerticalScrollbar() const { return Flag(flagVertScrollbar); }
  CGXStyle& SetVerticalScrollbar(BOOL b) { SetFlag(flagVertScrollbar, b); return Include(inclVertScrollbar); }
  BOOL GetIncludeMaxLength() const { return Has(inclMaxLength); }
  WORD GetMaxLength() const { return m_nMaxLength; }
  CGXStyle& SetMaxLength(WORD n) { m_nMaxLength = n; return Include(inclMaxLength); }
  BOOL GetIncludeBaseStyle() const { return Has(inclBaseStyle); }
  WORD GetBaseStyle() const { return m_nBaseStyle; }
  CGXStyle& SetBaseStyle(WORD id) { m_nBaseStyle = id; return Include(inclBaseStyle); }
  BOOL GetIncludeEnabled() const { return Has(inclEnabled); }
  BOOL GetEnabled() const { return Flag(flagEnabled); }
  CGXStyle& SetEnabled(BOOL b) { SetFlag(flagEnabled, b); return Include(inclEnabled); }
  BOOL GetIncludeTriState() const { return Has(inclTriState); }
  BOOL GetTriState() const { return Flag(flagTriState); }
  CGXStyle& SetTriState(BOOL b) { SetFlag(flagTriState, b); return Include(inclTriState); }
  BOOL GetIncludeDraw3dFrame() const { return Has(inclDraw3dFrame); }
  UINT GetDraw3dFrame() const { return m_wBoolFlags & flagDraw3dFrame; }
  CGXStyle& SetDraw3dFrame(UINT kind) {
    m_wBoolFlags = (WORD)((m_wBoolFlags & ~flagDraw3dFrame) | (kind & 3));
    return Include(inclDraw3dFrame);
  }
  BOOL GetIncludeAutoSize() const { return Has(inclAutoSize); }
  BOOL GetAutoSize() const { return Flag(flagAutoSize); }
  CGXStyle& SetAutoSize(BOOL b) { SetFlag(flagAutoSize, b); return Include(inclAutoSize); }
  BOOL GetIncludeExtraValue() const { return Has(inclExtraValue); }
  DWORD GetExtraValue() const { return m_dwExtraValue; }
  CGXStyle& SetExtraValue(DWORD v) { m_dwExtraValue = v; return Include(inclExtraValue); }
  BOOL GetIncludeFloatCell() const { return Has(inclFloatCell); }
  BOOL GetFloatCell() const { return Flag(flagFloatCell); }
  CGXStyle& SetFloatCell(BOOL b) { SetFlag(flagFloatCell, b); return Include(inclFloatCell); }
  BOOL GetIncludeFloodCell() const { return Has(inclFloodCell); }
  BOOL GetFloodCell() const { return Flag(flagFloodCell); }
  CGXStyle& SetFloodCell(BOOL b) { SetFlag(flagFloodCell, b); return Include(inclFloodCell); }
  BOOL GetIncludeMergeCell() const { return Has(inclMergeCell); }
  UINT GetMergeCell() const { return (m_wBoolFlags & flagMergeCell) >> 11; }
  CGXStyle& SetMergeCell(UINT kind) {
    m_wBoolFlags = (WORD)((m_wBoolFlags & ~flagMergeCell) | ((kind & 7) << 11));
    return Include(inclMergeCell);
  }
  WORD GetBoolFlags() const { return m_wBoolFlags; }

  // Any include bit may also be dropped on its own.
  CGXStyle& SetIncludeBit(DWORD bit, BOOL bInclude);

  // Borders (sides 0 left, 1 right, 2 top, 3 bottom; sideAll for all four).
  BOOL GetIncludeBorders() const { return Has(inclBorders); }
  BOOL GetIncludeBorder(int nSide) const;
  // A zero pen when the side is not set.
  CGXPenValue GetBorders(int nSide) const;
  const CGXPenValue* GetAllBorders() const { return m_pBorders; }
  CGXStyle& SetBorders(int nSide, const CGXPenValue& pen);
  CGXStyle& SetAllBorders(const CGXPenValue* pens);
  CGXStyle& SetIncludeBorder(int nSide, BOOL bInclude);

  // Font.
  BOOL GetIncludeFont() const { return Has(inclFont); }
  // An empty font when the style has none.
  const CGXFont& GetFont() const;
  const CGXFont* GetFontPtr() const { return m_pFont; }
  CGXStyle& SetFont(const CGXFont& font, int nMode = 0);
  CGXStyle& SetIncludeFont(BOOL bInclude);

  // User attributes.
  BOOL GetIncludeUserAttributes() const { return Has(inclUserAttributes); }
  BOOL HasUserAttribute(DWORD nId) const;
  CString GetUserAttribute(DWORD nId) const;
  void GetUserAttribute(DWORD nId, CString& s) const;
  CGXStyle& SetUserAttribute(DWORD nId, LPCTSTR value);
  CGXStyle& SetUserAttributes(const CGXUserAttributeMap* pMap);
  const CGXUserAttributeMap* GetUserAttributeMap() const { return m_pUserAttributes; }

 protected:
  // Clears the include bits, brush words, text colour, extra value and owned pointers, freeing nothing.
  void Construct();

 private:
  BOOL Has(DWORD bit) const { return (m_nIncludeBits & bit) != 0; }
  CGXStyle& Include(DWORD bit) { m_nIncludeBits |= bit; return *this; }
  BOOL Flag(WORD f) const { return (m_wBoolFlags & f) != 0; }
  void SetFlag(WORD f, BOOL b) { m_wBoolFlags = (WORD)(b ? (m_wBoolFlags | f) : (m_wBoolFlags & ~f)); }
  CGXPenValue* Borders();
  void RecomputeBordersBit();
  void CopyFrom(const CGXStyle& src);
  // The two directions of Serialize.
  void StoreStyle(CArchive& ar, const CGXStylesMap* pMap);
  void LoadStyle(CArchive& ar, const CGXStylesMap* pMap);

  DWORD m_nIncludeBits;
  DWORD m_nHorzAlign = 0;
  DWORD m_nVertAlign = 0;
  WORD m_nMaxLength = 0;
  DWORD m_nControlId = 0;
  CGXBrushValue m_brInterior;
  COLORREF m_clrText;
  WORD m_wBoolFlags = 0;
  CGXPenValue* m_pBorders;
  CGXFont* m_pFont;
  CString m_strValue;
  CString m_strChoiceList;
  WORD m_nBaseStyle = 0;
  CGXUserAttributeMap* m_pUserAttributes;
  DWORD m_dwExtraValue;
};
