// The cell style model: include masks, the standard contents, merging, comparing, fonts and colours.
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXScreenFontTable.h"
#include "grid/engine/GXStyle.h"
#include "tests/grid_engine/GridTestUtil.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"

#include <gtest/gtest.h>

#include <map>

using gridtest::ExpectSameStyle;
using gridtest::FullStyle;

TEST(GridStyle, DefaultContentsAndMask) {
  CGXStyle s;
  EXPECT_EQ(s.GetIncludeMask(), 0u);
  s.SetDefault();
  EXPECT_EQ(s.GetIncludeMask(), 0xFBBEFFu);
  EXPECT_EQ(s.GetControl(), 52512u);
  EXPECT_EQ(s.GetInterior().GetStyle(), 0u);
  EXPECT_EQ(s.GetInterior().GetColorValue() >> 24, 0xF9u);
  EXPECT_EQ(s.GetInterior().GetBkColorValue(), 0xFFFFFFu);
  EXPECT_EQ(s.GetTextColorValue() >> 24, 0xF6u);
  EXPECT_TRUE(s.GetWrapText());
  EXPECT_TRUE(s.GetEnabled());
  EXPECT_TRUE(s.GetFloatCell());
  EXPECT_TRUE(s.GetFloodCell());
  EXPECT_FALSE(s.GetIncludeBorders());
  EXPECT_FALSE(s.GetIncludeBaseStyle());
  EXPECT_TRUE(s.GetIncludeValue());
  EXPECT_TRUE(s.GetValue().IsEmpty());
  EXPECT_STREQ(s.GetFont().GetFaceName(), "Arial");
  EXPECT_EQ(s.GetFont().GetIncludeBits(), (DWORD)CGXFont::fontAll);
  EXPECT_EQ(s.GetFont().GetHeight(), -11);
  EXPECT_EQ(s.GetFont().GetWeight(), 400);
  EXPECT_EQ(s.GetFont().GetLogFont().lfPitchAndFamily, 0x22);
}

TEST(GridStyle, IncludeMaskRoundTripsBitByBit) {
  for (int bit = 0; bit < 24; ++bit) {
    CGXStyle s;
    s.SetIncludeMask(1u << bit);
    EXPECT_EQ(s.GetIncludeMask(), 1u << bit) << bit;
  }
  CGXStyle s;
  s.SetIncludeMask(0xFFFFFFFF);
  EXPECT_EQ(s.GetIncludeMask(), 0xFFFFFFu);  // bits 24-31 stay zero

  CGXStyle f;
  f.SetFloatCell(TRUE);
  EXPECT_EQ(f.GetIncludeMask(), 1u << 21);
  CGXStyle g;
  g.SetFloodCell(FALSE);
  EXPECT_EQ(g.GetIncludeMask(), 1u << 22);
  EXPECT_EQ(g.GetBoolFlags() & CGXStyle::flagFloodCell, 0);
  g.SetFloodCell(TRUE);
  EXPECT_EQ(g.GetBoolFlags(), CGXStyle::flagFloodCell);
  CGXStyle m;
  m.SetMergeCell(7).SetDraw3dFrame(3);
  EXPECT_EQ(m.GetMergeCell(), 7u);
  EXPECT_EQ(m.GetDraw3dFrame(), 3u);
  EXPECT_EQ(m.GetIncludeMask(), (1u << 23) | (1u << 17));
}

TEST(GridStyle, PointSizesAt96Dpi) {
  ASSERT_EQ(CGXScreenFontTable::Get().GetVerticalResolution(), 96);
  CGXFont f = CGXFont::StandardFont();
  EXPECT_EQ(f.GetHeight(), -11);
  EXPECT_EQ(f.GetSize(), 8);
  EXPECT_EQ(CGXFont::PointsToHeight(8), -11);
  EXPECT_EQ(CGXFont::HeightToPoints(-11), 8);

  // A merged size is brought to whole points.
  CGXFont odd;
  odd.SetHeight(-14);
  CGXFont target;
  target.ChangeFont(odd, 0);
  EXPECT_EQ(target.GetHeight(), -15);
  EXPECT_TRUE(target.IsSubSet(odd));  // -14 and -15 are both 11 points
}

TEST(GridStyle, TheScreenFontTableHoldsEveryFaceTheDrawingLayerKnows) {
  std::map<std::string, WORD> faces;
  ::EnumFontFamilies(
      nullptr, nullptr,
      [](const LOGFONT* lf, const TEXTMETRIC* tm, DWORD type, LPARAM to) {
        (*reinterpret_cast<std::map<std::string, WORD>*>(to))[lf->lfFaceName] = (WORD)((type << 8) | tm->tmCharSet);
        return 1;
      },
      (LPARAM)&faces);
  ASSERT_TRUE(faces.count("Liberation Sans"));
  EXPECT_EQ(faces["Liberation Sans"], (TRUETYPE_FONTTYPE << 8) | ANSI_CHARSET);
  EXPECT_EQ(faces["Liberation Mono"], (TRUETYPE_FONTTYPE << 8) | ANSI_CHARSET);
  for (const auto& [name, value] : faces) {
    WORD stored = 0;
    EXPECT_TRUE(CGXScreenFontTable::Get().Lookup(name.c_str(), stored)) << name;
    EXPECT_EQ(stored, value) << name;
  }
  CGXFont f;
  f.SetFaceName("Liberation Serif");
  EXPECT_EQ(f.GetLogFont().lfCharSet, ANSI_CHARSET);
}

TEST(GridStyle, FaceNamesTakeTheirCharacterSetFromTheTable) {
  CGXFont f;
  f.SetFaceName("No Such Face Anywhere");
  EXPECT_EQ(f.GetLogFont().lfCharSet, 0);
  CGXScreenFontTable::Get().SetFace("Grid Test Symbols", (WORD)((4 << 8) | 2));
  f.SetFaceName("Grid Test Symbols");
  EXPECT_EQ(f.GetLogFont().lfCharSet, 2);
  LOGFONT lf{};
  std::strcpy(lf.lfFaceName, "Grid Test Symbols");
  lf.lfCharSet = 0;
  CGXFont fromLogFont(lf);
  EXPECT_EQ(fromLogFont.GetLogFont().lfCharSet, 2);
  EXPECT_EQ(fromLogFont.GetIncludeBits(), (DWORD)CGXFont::fontAll);
  // Names are cut to 31 bytes.
  f.SetFaceName("0123456789012345678901234567890123456789");
  EXPECT_EQ(std::strlen(f.GetFaceName()), 31u);
}

TEST(GridStyle, ApplyIntoEmptyStyleCopiesExactly) {
  CGXStyle src;
  src.SetValue("only a value");
  CGXStyle dst;
  dst.ChangeStyle(src, 1);
  EXPECT_EQ(dst.GetIncludeMask(), 0x400u);
  ExpectSameStyle(dst, src);

  CGXStyle full = FullStyle();
  CGXStyle copy;
  copy.ChangeStyle(full, 1);
  ExpectSameStyle(copy, full);
  EXPECT_TRUE(copy.IsSubSet(full));
  EXPECT_TRUE(full.IsSubSet(copy));
}

TEST(GridStyle, OverrideApplyAndExcludeModes) {
  CGXStyle cell;
  cell.SetValue("cell").SetHorizontalAlignment(1);
  CGXStyle row;
  row.SetValue("row").SetVerticalAlignment(4).SetReadOnly(TRUE);

  CGXStyle applied(cell);
  applied.ChangeStyle(row, 1);
  EXPECT_EQ(applied.GetValue(), "cell");  // mode 1 keeps what is there
  EXPECT_EQ(applied.GetVerticalAlignment(), 4u);
  EXPECT_TRUE(applied.GetReadOnly());

  CGXStyle overridden(cell);
  overridden.ChangeStyle(row, 0);
  EXPECT_EQ(overridden.GetValue(), "row");  // mode 0 always takes the source's
  EXPECT_EQ(overridden.GetHorizontalAlignment(), 1u);

  CGXStyle copied(cell);
  copied.ChangeStyle(row, 2);
  ExpectSameStyle(copied, row);

  // Mode 3 on the font drops only the attributes the source's font holds.
  CGXStyle target;
  target.SetFont(CGXFont::StandardFont()).SetValue("x").SetControl(52513);
  CGXFont sizeAndFace;
  sizeAndFace.SetSize(12).SetFaceName("Whatever");
  CGXStyle exclude;
  exclude.SetFont(sizeAndFace).SetControl(1);
  target.ChangeStyle(exclude, 3);
  EXPECT_TRUE(target.GetIncludeFont());
  EXPECT_EQ(target.GetFont().GetIncludeBits(),
            (DWORD)(CGXFont::fontWeight | CGXFont::fontItalic | CGXFont::fontUnderline | CGXFont::fontStrikeOut));
  EXPECT_FALSE(target.GetIncludeControl());
  EXPECT_TRUE(target.GetIncludeValue());

  // Excluding a value empties it.
  CGXStyle valueOnly;
  valueOnly.SetValue("");
  target.ChangeStyle(valueOnly, 3);
  EXPECT_FALSE(target.GetIncludeValue());
  EXPECT_TRUE(target.GetValue().IsEmpty());
}

TEST(GridStyle, BordersSideBySide) {
  CGXStyle a;
  a.SetBorders(CGXStyle::sideTop, CGXPenValue(0, 1, RGB(1, 1, 1)));
  CGXStyle b;
  b.SetBorders(CGXStyle::sideAll, CGXPenValue(2, 2, RGB(2, 2, 2)));
  CGXStyle applied(a);
  applied.ChangeStyle(b, 1);
  EXPECT_EQ(applied.GetBorders(CGXStyle::sideTop).GetWidth(), 1);
  EXPECT_EQ(applied.GetBorders(CGXStyle::sideLeft).GetWidth(), 2);
  CGXStyle overridden(a);
  overridden.ChangeStyle(b, 0);
  EXPECT_EQ(overridden.GetBorders(CGXStyle::sideTop).GetWidth(), 2);

  overridden.ChangeStyle(a, 3);
  EXPECT_FALSE(overridden.GetIncludeBorder(CGXStyle::sideTop));
  EXPECT_TRUE(overridden.GetIncludeBorders());
  overridden.SetIncludeBorder(CGXStyle::sideAll, FALSE);
  EXPECT_FALSE(overridden.GetIncludeBorders());
  a.SetAllBorders(nullptr);
  EXPECT_FALSE(a.GetIncludeBorders());
  EXPECT_EQ(a.GetBorders(CGXStyle::sideTop).GetStyle(), 0u);
  EXPECT_FALSE(a.GetIncludeBorder(7));  // no such side
}

TEST(GridStyle, UserAttributes) {
  CGXStyle s;
  EXPECT_FALSE(s.HasUserAttribute(51011));
  EXPECT_EQ(s.GetUserAttribute(51011), "");
  CString kept = "unchanged";
  s.GetUserAttribute(51011, kept);
  EXPECT_EQ(kept, "unchanged");
  s.SetUserAttribute(51011, "1").SetUserAttribute(51012, "9");
  EXPECT_TRUE(s.GetIncludeUserAttributes());
  EXPECT_EQ(s.GetUserAttribute(51012), "9");

  CGXStyle other;
  other.SetUserAttribute(51011, "5").SetUserAttribute(51013, "Too small");
  CGXStyle applied(s);
  applied.ChangeStyle(other, 1);
  EXPECT_EQ(applied.GetUserAttribute(51011), "1");
  EXPECT_EQ(applied.GetUserAttribute(51013), "Too small");
  applied.ChangeStyle(other, 0);
  EXPECT_EQ(applied.GetUserAttribute(51011), "5");

  CGXStyle remove;
  remove.SetUserAttribute(51011, "").SetUserAttribute(51013, "");
  applied.ChangeStyle(remove, 3);
  EXPECT_TRUE(applied.GetIncludeUserAttributes());
  EXPECT_EQ(applied.GetUserAttribute(51012), "9");
  CGXStyle last;
  last.SetUserAttribute(51012, "");
  applied.ChangeStyle(last, 3);
  EXPECT_FALSE(applied.GetIncludeUserAttributes());
  EXPECT_EQ(applied.GetIncludeMask() & (1u << 18), 0u);

  s.SetUserAttributes(nullptr);
  EXPECT_FALSE(s.GetIncludeUserAttributes());
  EXPECT_FALSE(s.HasUserAttribute(51011));
}

TEST(GridStyle, AssignmentIsAnExactCopy) {
  CGXStyle target = FullStyle();
  CGXStyle weightOnly;
  weightOnly.SetFont(CGXFont().SetWeight(700));
  target = weightOnly;
  ExpectSameStyle(target, weightOnly);
  EXPECT_EQ(target.GetFont().GetIncludeBits(), (DWORD)CGXFont::fontWeight);
  EXPECT_FALSE(target.GetIncludeBorders());
  EXPECT_TRUE(target.GetValue().IsEmpty());

  CGXStyle empty;
  target = empty;
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(target.GetFontPtr(), nullptr);
  target = target;  // self-assignment leaves it alone
  EXPECT_TRUE(target.IsEmpty());

  CGXStyle bitsOnly;
  bitsOnly.SetIncludeMask(CGXStyle::inclBorders | CGXStyle::inclFont | CGXStyle::inclUserAttributes);
  CGXStyle bitsCopy = FullStyle();
  bitsCopy = bitsOnly;
  EXPECT_EQ(bitsCopy.GetIncludeMask(), bitsOnly.GetIncludeMask());
  EXPECT_FALSE(bitsCopy.HasUserAttribute(51011));
  EXPECT_EQ(bitsCopy.GetFont().GetIncludeBits(), 0u);

  CGXStyle full = FullStyle();
  std::unique_ptr<CGXStyle> clone(full.Clone());
  ExpectSameStyle(*clone, full);
  EXPECT_EQ(clone->GetRuntimeClass(), RUNTIME_CLASS(CGXStyle));
}

TEST(GridStyle, SubsetComparison) {
  CGXStyle full = FullStyle();
  CGXStyle part;
  part.SetValue("Hello").SetReadOnly(TRUE).SetBorders(CGXStyle::sideLeft, CGXPenValue(1, 2, RGB(255, 0, 0)));
  EXPECT_TRUE(full.IsSubSet(part));
  EXPECT_FALSE(part.IsSubSet(full));
  part.SetValue("hello");  // case matters
  EXPECT_FALSE(full.IsSubSet(part));
  part.SetValue("Hello").SetReadOnly(FALSE);
  EXPECT_FALSE(full.IsSubSet(part));
  CGXStyle nothing;
  EXPECT_TRUE(nothing.IsSubSet(nothing));
  EXPECT_TRUE(full.IsSubSet(nothing));
}

TEST(GridStyle, SystemColoursResolveAtUse) {
  const COLORREF old = GetSysColor(COLOR_WINDOWTEXT);
  CGXStyle s;
  s.SetDefault();
  EXPECT_EQ(s.GetTextColorValue(), 0xF6000000u | (old & 0xFFFFFF));
  INT index = COLOR_WINDOWTEXT;
  COLORREF changed = RGB(12, 34, 56);
  // Markers resolve through the library's colour cache, refreshed when the system colours change.
  SetSysColors(1, &index, &changed);
  GXGetSysColorCache().Refresh();
  EXPECT_EQ(s.GetTextColor(), changed);
  SetSysColors(1, &index, &old);
  GXGetSysColorCache().Refresh();
  EXPECT_EQ(s.GetTextColor(), old & 0xFFFFFF);
  // Top bytes 0, 1 and 2 keep their meaning.
  EXPECT_EQ(GXResolveColor(PALETTEINDEX(7)), PALETTEINDEX(7));
  EXPECT_EQ(GXResolveColor(RGB(1, 2, 3)), RGB(1, 2, 3));
}

TEST(GridStyle, BrushesAndPens) {
  CGXBrushValue a(0, RGB(1, 2, 3));
  CGXBrushValue b(0, RGB(1, 2, 3));
  b.SetBkColor(RGB(9, 9, 9));
  EXPECT_TRUE(a == b);  // a solid brush has no background to compare
  a.SetStyle(2);
  b.SetStyle(2);
  EXPECT_FALSE(a == b);
  CGXBrushValue def;
  EXPECT_EQ(def.GetPattern(), 0xFFFFFFFFu);
  EXPECT_EQ(def.GetBkColorValue(), 0xFFFFFFu);
  def.SetPattern(12);
  EXPECT_EQ(def.GetStyle(), 3u);
  EXPECT_EQ(def.GetPattern(), 12u);

  CGXBrushValue interior(0, RGB(200, 200, 200));
  CGXBrushValue out;
  EXPECT_TRUE(CGXPenValue(5, 1, 0).GetPatternBrush(out, interior, TRUE, FALSE));
  EXPECT_TRUE(out == interior);
  EXPECT_FALSE(CGXPenValue(0, 1, 0).GetPatternBrush(out, interior, TRUE, FALSE));
  EXPECT_FALSE(CGXPenValue(6, 1, 0).GetPatternBrush(out, interior, TRUE, FALSE));
  EXPECT_TRUE(CGXPenValue(2, 1, RGB(255, 0, 0)).GetPatternBrush(out, interior, TRUE, FALSE));
  EXPECT_EQ(out.GetPattern(), 34u);
  EXPECT_EQ(out.GetColor(), RGB(255, 0, 0));
  EXPECT_EQ(out.GetBkColor(), RGB(200, 200, 200));
  CGXBrushValue hatched(2, RGB(1, 1, 1));
  hatched.SetBkColor(RGB(7, 7, 7));
  EXPECT_TRUE(CGXPenValue(4, 1, RGB(255, 0, 0)).GetPatternBrush(out, hatched, FALSE, TRUE));
  EXPECT_EQ(out.GetPattern(), 40u);
  EXPECT_EQ(out.GetColor(), RGB(0, 0, 0));
  EXPECT_EQ(out.GetBkColor(), RGB(255, 255, 255));
  EXPECT_TRUE(CGXPenValue(1, 1, RGB(255, 0, 0)).GetPatternBrush(out, hatched, FALSE, FALSE));
  EXPECT_EQ(out.GetPattern(), 37u);
  EXPECT_EQ(out.GetBkColor(), RGB(7, 7, 7));
}

TEST(GridStyle, SettersOfTheNumberValue) {
  CGXStyle s;
  s.SetValue((DWORD)4294967295u);
  EXPECT_EQ(s.GetValue(), "4294967295");
  s.SetIncludeBit(CGXStyle::inclValue, FALSE);
  EXPECT_FALSE(s.GetIncludeValue());
  EXPECT_TRUE(s.GetValue().IsEmpty());
  s.SetFont(CGXFont().SetItalic(TRUE), 3);  // exclude on a style without a font does nothing
  EXPECT_FALSE(s.GetIncludeFont());
  s.SetFont(CGXFont().SetItalic(TRUE));
  s.SetFont(CGXFont().SetWeight(300), 1);
  EXPECT_TRUE(s.GetFont().GetItalic());
  EXPECT_EQ(s.GetFont().GetWeight(), 300);
  s.SetIncludeFont(FALSE);
  EXPECT_EQ(s.GetFontPtr(), nullptr);
}

TEST(GridStyle, FontArchiveFieldsAndTheStrikeOutBit) {
  CGXFont font;
  font.SetHeight(-13).SetWeight(700).SetItalic(TRUE).SetStrikeOut(TRUE).SetFaceName("Arial");
  const gridtest::Bytes bytes = gridtest::Store([&](CArchive& ar) { font.Serialize(ar); });
  // Schema 1, height, weight, italic, underline, pitch and family, the face, the include bits
  // (weight 1, italic 2, strike-out 8, size 16, face 32).
  const gridtest::Bytes want = {1, 0, 0xF3, 0xFF, 0xFF, 0xFF, 0xBC, 0x02, 0, 0, 1, 0,
                                0, 5, 'A', 'r', 'i', 'a', 'l', 59, 0, 0, 0};
  EXPECT_EQ(bytes, want);
  CGXFont back;
  ASSERT_EQ(gridtest::Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_TRUE(back.GetIncludeStrikeOut());
  EXPECT_FALSE(back.GetStrikeOut());  // the flag itself is not stored
  EXPECT_EQ(back.GetHeight(), -13);
  EXPECT_STREQ(back.GetFaceName(), "Arial");
}

TEST(GridStyle, BrushesReadBackSolidUnlessTheirHatchIsAnIndexOrAPatternNumber) {
  // Any other hatch is a handle or address of the writing process.
  const struct {
    UINT style;
    UINT_PTR hatch;
    UINT wantStyle;
    UINT_PTR wantHatch;
  } cases[] = {
      {BS_SOLID, 0, BS_SOLID, 0},          {BS_NULL, 0, BS_NULL, 0},
      {BS_HATCHED, HS_DIAGCROSS, BS_HATCHED, HS_DIAGCROSS},
      {BS_HATCHED, HS_DIAGCROSS + 1, BS_SOLID, 0},
      {4, 7, BS_SOLID, 0},                 {BS_DIBPATTERN, 0x1000, BS_SOLID, 0},
      {BS_DIBPATTERNPT, 0x4F000000, BS_SOLID, 0},
      {BS_PATTERN8X8, 0x1000, BS_SOLID, 0}, {0xFFFFFFFF, 1, BS_SOLID, 0},
  };
  for (const auto& c : cases) {
    CGXBrushValue br(c.style, RGB(0, 200, 0), c.hatch);
    br.SetBkColor(RGB(1, 2, 3));
    const gridtest::Bytes bytes = gridtest::Store([&](CArchive& ar) { ar << br; });
    CGXBrushValue back;
    ASSERT_EQ(gridtest::Load(bytes, [&](CArchive& ar) { ar >> back; }), -1) << c.style;
    EXPECT_EQ(back.GetStyle(), c.wantStyle) << c.style;
    EXPECT_EQ(back.GetHatch(), c.wantHatch) << c.style;
    EXPECT_EQ(back.GetColorValue(), RGB(0, 200, 0)) << c.style;
    EXPECT_EQ(back.GetBkColorValue(), RGB(1, 2, 3)) << c.style;
  }
  // A pattern is known by its number: the handle is this process's own.
  CGXBrushValue pattern;
  pattern.SetPattern(2).SetHatch(0x4F000000);
  CGXBrushValue back;
  ASSERT_EQ(gridtest::Load(gridtest::Store([&](CArchive& ar) { ar << pattern; }), [&](CArchive& ar) { ar >> back; }), -1);
  EXPECT_EQ(back.GetStyle(), (UINT)BS_PATTERN);
  EXPECT_EQ(back.GetHatch(), GXGetPatternHandle(2));
}

TEST(GridStyle, FontHeightsBeyondAnyFontAreRefusedWhenRead) {
  // Heights a font can have read back and write again byte for byte; larger ones are damaged data.
  const struct {
    LONG height;
    int cause;
  } cases[] = {
      {-16384, -1}, {16384, -1}, {-11, -1}, {0, -1},
      {16385, CArchiveException::badIndex}, {-16385, CArchiveException::badIndex},
      {1325400052, CArchiveException::badIndex}, {INT32_MIN, CArchiveException::badIndex},
  };
  for (const auto& c : cases) {
    CGXFont font;
    font.SetHeight(c.height).SetFaceName("Arial");
    const gridtest::Bytes bytes = gridtest::Store([&](CArchive& ar) { font.Serialize(ar); });
    CGXFont back;
    ASSERT_EQ(gridtest::Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), c.cause) << c.height;
    if (c.cause >= 0) continue;
    EXPECT_EQ(back.GetHeight(), c.height);
    EXPECT_EQ(gridtest::Store([&](CArchive& ar) { back.Serialize(ar); }), bytes) << c.height;
  }
}
