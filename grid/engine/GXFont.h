// CGXFont: a cell font as a LOGFONT plus the set of font attributes a style actually holds.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"

class CGXFont : public CObject {
  DECLARE_SERIAL(CGXFont)

 public:
  // Include bits of the font attributes.
  enum {
    fontWeight = 1,
    fontItalic = 2,
    fontUnderline = 4,
    fontStrikeOut = 8,
    fontSize = 16,
    fontFaceName = 32,
    fontAll = 63
  };

  CGXFont();  // nothing included
  explicit CGXFont(const LOGFONT& lf);
  CGXFont(const CGXFont& src);
  CGXFont& operator=(const CGXFont& src);
  ~CGXFont() override = default;

  // Arial, 8 points, weight 400, every attribute included.
  static CGXFont StandardFont();

  void Reset();
  // Modes: 0 override, 1 only where this font lacks the attribute, 2 copy, 3 exclude.
  void ChangeFont(const CGXFont& src, int nMode);
  BOOL IsSubSet(const CGXFont& other) const;

  const LOGFONT& GetLogFont() const { return m_lf; }
  DWORD GetIncludeBits() const { return m_nIncludeBits; }
  void SetIncludeBits(DWORD bits) { m_nIncludeBits = bits & fontAll; }

  LONG GetWeight() const { return m_lf.lfWeight; }
  BOOL GetItalic() const { return m_lf.lfItalic != 0; }
  BOOL GetUnderline() const { return m_lf.lfUnderline != 0; }
  BOOL GetStrikeOut() const { return m_lf.lfStrikeOut != 0; }
  LONG GetHeight() const { return m_lf.lfHeight; }
  // The height in whole points at the screen's resolution.
  LONG GetSize() const;
  LPCTSTR GetFaceName() const { return m_lf.lfFaceName; }

  CGXFont& SetWeight(LONG weight);
  CGXFont& SetItalic(BOOL b);
  CGXFont& SetUnderline(BOOL b);
  CGXFont& SetStrikeOut(BOOL b);
  CGXFont& SetSize(LONG points);
  CGXFont& SetHeight(LONG height);
  // At most 31 bytes are kept; the character set comes from the screen font table.
  CGXFont& SetFaceName(LPCTSTR faceName);

  BOOL GetIncludeWeight() const { return (m_nIncludeBits & fontWeight) != 0; }
  BOOL GetIncludeItalic() const { return (m_nIncludeBits & fontItalic) != 0; }
  BOOL GetIncludeUnderline() const { return (m_nIncludeBits & fontUnderline) != 0; }
  BOOL GetIncludeStrikeOut() const { return (m_nIncludeBits & fontStrikeOut) != 0; }
  BOOL GetIncludeSize() const { return (m_nIncludeBits & fontSize) != 0; }
  BOOL GetIncludeFaceName() const { return (m_nIncludeBits & fontFaceName) != 0; }
  CGXFont& SetInclude(DWORD bit, BOOL bInclude);

  // "face,points,weight,italic,underline,strikeout", each field empty when not included.
  void GetDescription(CString& s) const;
  // Writes at most size - 1 bytes and a terminator.
  void GetDescription(LPTSTR buf, size_t size) const;
  void ParseDescription(LPCTSTR text);

  void Serialize(CArchive& ar) override;

  // Height of a point size and point size of a height at the screen's vertical resolution.
  static LONG PointsToHeight(LONG points);
  static LONG HeightToPoints(LONG height);

 private:
  LOGFONT m_lf;
  DWORD m_nIncludeBits = 0;
};
