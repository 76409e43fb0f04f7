// The styles map: built-in base styles, registration, base-style chains, profile and archive forms,
// and the archive forms of styles and fonts.
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXLibraryDefaults.h"
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Format.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <gtest/gtest.h>

#include <random>

using gridtest::Bytes;
using gridtest::ExpectSameFont;
using gridtest::ExpectSameStyle;
using gridtest::FullStyle;
using gridtest::Load;
using gridtest::ProfileScope;
using gridtest::Store;

namespace {


CGXStyle Totals() {
  CGXStyle s;
  s.SetFont(CGXFont().SetWeight(700)).SetHorizontalAlignment(2).SetValue("Sum").SetBaseStyle(0);
  return s;
}

const CGXStyle& StyleOf(const CGXStylesMap& map, WORD id) {
  static CGXStyle none;
  CGXStyle* p = nullptr;
  return map.LookupStyle(id, p) ? *p : none;
}

}  // namespace

TEST(GridStylesMap, StandardStyles) {
  CGXStylesMap map;
  EXPECT_EQ(map.GetSection(), "Styles");
  EXPECT_EQ(map.GetNextId(), 0);
  map.CreateStandardStyles();
  UINT res = 0;
  EXPECT_STREQ(map.GetStyleName(0, res), "Standard");
  EXPECT_EQ(res, 52768u);
  EXPECT_STREQ(map.GetStyleName(1, res), "Column Header");
  EXPECT_EQ(res, 52770u);
  EXPECT_STREQ(map.GetStyleName(2, res), "Row Header");
  EXPECT_EQ(res, 52769u);
  EXPECT_EQ(map.GetStyleName(3, res), nullptr);
  EXPECT_EQ(res, 0u);
  EXPECT_EQ(map.GetNextId(), 3);
  EXPECT_EQ(map.GetStandardStyleId(), 0);
  EXPECT_EQ(map.GetColHeaderStyleId(), 1);
  EXPECT_EQ(map.GetRowHeaderStyleId(), 2);
  EXPECT_EQ(map.GetBaseStyleId("Row Header"), 2);
  EXPECT_EQ(map.GetBaseStyleId("Nobody"), 0);
  EXPECT_TRUE(map.GetBaseStyleEntry(1)->bSystem);

  const CGXStyle& standard = StyleOf(map, 0);
  EXPECT_EQ(standard.GetIncludeMask(), 0xFBBEFFu);
  EXPECT_EQ(standard.GetFont().GetHeight(), -11);
  const CGXStyle& col = StyleOf(map, 1);
  EXPECT_EQ(col.GetFont().GetIncludeBits(), (DWORD)CGXFont::fontWeight);
  EXPECT_EQ(col.GetFont().GetWeight(), 700);
  EXPECT_EQ(col.GetHorizontalAlignment(), 1u);
  EXPECT_EQ(col.GetVerticalAlignment(), 4u);
  EXPECT_EQ(col.GetControl(), 52520u);
  EXPECT_EQ(col.GetInterior().GetColorValue() >> 24, 0xEFu);
  EXPECT_FALSE(col.GetIncludeBorders());
  const CGXStyle& row = StyleOf(map, 2);
  EXPECT_EQ(row.GetIncludeMask(), (DWORD)(CGXStyle::inclControl | CGXStyle::inclInterior));

  // With the kernel's library defaults the headers get null borders.
  GXSetLibraryDefaults(1, 2, 1);
  CGXStylesMap withBorders;
  withBorders.CreateStandardStyles();
  GXSetLibraryDefaults(0, 0, 0);
  for (WORD id : {1, 2}) {
    for (int side = 0; side < 4; ++side) {
      EXPECT_EQ(StyleOf(withBorders, id).GetBorders(side).GetStyle(), 5u);
      EXPECT_EQ(StyleOf(withBorders, id).GetBorders(side).GetWidth(), 1);
    }
  }
}

TEST(GridStylesMap, RegisteringAgainReplacesAndKeepsTheId) {
  CGXStylesMap map;
  map.CreateStandardStyles();
  CGXStyle mine;
  mine.SetValue("replaced");
  EXPECT_EQ(map.RegisterStyle(52768, mine, TRUE), 0);
  ExpectSameStyle(StyleOf(map, 0), mine);
  EXPECT_EQ(map.GetNextId(), 3);

  map.SetBaseStyleEntry(map.GetNextId(), Totals(), "Totals", 0, FALSE);
  EXPECT_EQ(map.GetBaseStyleId("Totals"), 3);
  EXPECT_EQ(map.GetNextId(), 4);
  map.SetBaseStyleEntry(3, mine, "Grand Totals", 0, FALSE);
  WORD id;
  EXPECT_FALSE(map.LookupBaseStyleName("Totals", id));
  EXPECT_EQ(map.GetBaseStyleId("Grand Totals"), 3);

  bool threw = false;
  try {
    map.RegisterStyle(1, mine, FALSE);  // no such string
  } catch (CResourceException* e) {
    e->Delete();
    threw = true;
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(map.GetNextId(), 4);
}

TEST(GridStylesMap, ControlsAndUserAttributes) {
  CGXStylesMap map;
  map.AddControl(52512);
  CString name;
  ASSERT_TRUE(map.GetControlName(52512, name));
  EXPECT_EQ(name, "Edit Control");
  CGXStyle editor;
  editor.SetControl(52523).SetChoiceList("Select");
  map.AddUserAttribute(51030, &editor);
  map.AddUserAttribute(51030, nullptr);  // already registered: unchanged
  const CGXStylesMap::UserAttributeEntry* e = map.GetUserAttributeEntry(51030);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->strName, "TabList: Show all columns");
  ExpectSameStyle(*e->pStyle, editor);
  bool threw = false;
  try {
    map.AddUserAttribute(12345, nullptr);
  } catch (CResourceException* ex) {
    ex->Delete();
    threw = true;
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(map.GetUserAttributeEntry(12345), nullptr);

  CGXStylesMap copy(map);
  ASSERT_NE(copy.GetUserAttributeEntry(51030), nullptr);
  EXPECT_NE(copy.GetUserAttributeEntry(51030)->pStyle, e->pStyle);
  EXPECT_TRUE(copy.GetControlName(52512, name));
  map.DeleteAll();
  EXPECT_FALSE(map.GetControlName(52512, name));
  EXPECT_EQ(map.GetUserAttributeEntry(51030), nullptr);
}

TEST(GridStylesMap, BaseStyleChainsAndCycles) {
  CGXStylesMap map;
  map.CreateStandardStyles();
  CGXStyle a, b;
  a.SetValue("from a").SetBaseStyle(4);
  b.SetHorizontalAlignment(2).SetValue("from b").SetBaseStyle(3);  // 3 -> 4 -> 3
  map.SetBaseStyleEntry(3, a, "A", 0, FALSE);
  map.SetBaseStyleEntry(4, b, "B", 0, FALSE);
  CGXStyle cell;
  cell.SetBaseStyle(3).SetVerticalAlignment(8);
  cell.LoadBaseStyle(map);
  EXPECT_EQ(cell.GetValue(), "from a");
  EXPECT_EQ(cell.GetHorizontalAlignment(), 2u);
  EXPECT_EQ(cell.GetBaseStyle(), 3);

  CGXStyle chain;
  chain.SetBaseStyle(map.GetColHeaderStyleId());
  CGXStyle colHeader(StyleOf(map, 1));
  colHeader.SetBaseStyle(0);
  map.RegisterStyle(52770, colHeader, TRUE);
  chain.LoadBaseStyle(map);
  EXPECT_EQ(chain.GetControl(), 52520u);       // from the column header
  EXPECT_TRUE(chain.GetIncludeFloatCell());    // from the standard style below it
  EXPECT_EQ(chain.GetFont().GetWeight(), 700);  // the header's weight wins over the standard's

  CGXStyle orphan;
  orphan.SetBaseStyle(77);
  orphan.LoadBaseStyle(map);
  EXPECT_EQ(orphan.GetIncludeMask(), (DWORD)CGXStyle::inclBaseStyle);
}

TEST(GridStylesMap, UserDefinedBaseStyleComesBackFromTheProfile) {
  for (bool registry : {false, true}) {
    ProfileScope scope(registry ? "GridMapProfileReg" : "GridMapProfileIni", registry);
    CGXStylesMap map;
    map.CreateStandardStyles();
    map.SetBaseStyleEntry(map.GetNextId(), Totals(), "Totals", 0, FALSE);
    CGXStyle standard(StyleOf(map, 0));
    standard.SetIncludeFont(FALSE).SetValue("std");
    map.RegisterStyle(52768, standard, TRUE);
    map.WriteProfile();
    if (registry) {
      std::vector<CString> keys = scope.App().GetSubKeys("Styles");
      EXPECT_EQ(keys.size(), 4u);
    } else {
      EXPECT_EQ(scope.App().GetProfileString("Styles", "#52768"), "1");
      EXPECT_EQ(scope.App().GetProfileString("Styles", "Totals"), "1");
      EXPECT_EQ(scope.App().GetProfileString("Styles.Totals", "Value"), "Sum");
      EXPECT_EQ(scope.App().GetProfileString("Styles.Totals", "BaseStyle"), "#52768");
    }

    // A map that already knows the name keeps its id.
    CGXStylesMap known;
    known.CreateStandardStyles();
    known.SetBaseStyleEntry(3, CGXStyle(), "Other", 0, FALSE);
    known.SetBaseStyleEntry(4, CGXStyle(), "Totals", 0, FALSE);
    known.ReadProfile();
    EXPECT_EQ(known.GetBaseStyleId("Totals"), 4);
    ExpectSameStyle(StyleOf(known, 4), Totals());
    EXPECT_EQ(known.GetNextId(), 5);

    // A key of a string resource this program lacks is skipped.
    if (registry) scope.App().WriteProfileString("Styles\\#99999", "Value", "x");
    else scope.App().WriteProfileString("Styles", "#99999", "1");

    // A fresh map gives it the next free id.
    CGXStylesMap fresh;
    fresh.CreateStandardStyles();
    fresh.ReadProfile();
    WORD id;
    ASSERT_TRUE(fresh.LookupBaseStyleName("Totals", id));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(StyleOf(fresh, id).GetValue(), "Sum");
    EXPECT_EQ(StyleOf(fresh, id).GetBaseStyle(), 0);
    // The stored standard style had no font: the defaults fill it in.
    const CGXStyle& std0 = StyleOf(fresh, 0);
    EXPECT_EQ(std0.GetValue(), "std");
    EXPECT_EQ(std0.GetFont().GetHeight(), -11);
    EXPECT_STREQ(std0.GetFont().GetFaceName(), "Arial");
    EXPECT_EQ(std0.GetIncludeMask(), 0xFBBEFFu);
    EXPECT_EQ(fresh.GetStandardStyleId(), 0);
    EXPECT_EQ(fresh.GetBaseStyleCount(), 4);

    // Writing again clears what was there first.
    CGXStylesMap smaller;
    smaller.CreateStandardStyles();
    smaller.WriteProfile();
    CGXStylesMap reread;
    reread.ReadProfile();
    EXPECT_FALSE(reread.LookupBaseStyleName("Totals", id));
    EXPECT_EQ(reread.GetBaseStyleCount(), 3);
  }
}

TEST(GridStyleArchive, ValueOnlyStyleBytes) {
  CGXStyle s;
  s.SetValue("Hi");
  Bytes bytes = Store([&](CArchive& ar) { s.Serialize(ar); });
  const Bytes expected{3, 0, 0x00, 0x04, 0, 0, 2, 'H', 'i', 0, 0};
  EXPECT_EQ(bytes, expected);
}

TEST(GridStyleArchive, StylesSurviveMemberByMember) {
  CGXStylesMap map;
  map.CreateStandardStyles();
  map.SetBaseStyleEntry(3, Totals(), "Totals", 0, FALSE);
  CGXStyle full = FullStyle();
  full.SetBaseStyle(3).SetUserAttribute(51011, "4");
  CGXStyle standard(StyleOf(map, 0));
  standard.SetBaseStyle(2);
  Bytes bytes = Store([&](CArchive& ar) {
    full.Serialize(ar, &map);
    CGXStylesMap::AttachToArchive(ar, &map);
    standard.Serialize(ar);
  });
  CGXStyle back, back2;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) {
              back.Serialize(ar, &map);
              CGXStylesMap::AttachToArchive(ar, &map);
              back2.Serialize(ar);
            }),
            -1);
  ExpectSameStyle(back, full, false);
  EXPECT_TRUE(back.GetIncludeUserAttributes());
  ExpectSameStyle(back2, standard);

  // Base styles by resource id resolve in another map with other ids.
  CGXStylesMap other;
  CGXStyle x;
  other.SetBaseStyleEntry(0, x, "Filler", 0, FALSE);
  other.CreateStandardStyles();
  CGXStyle third;
  Load(bytes, [&](CArchive& ar) {
    CGXStyle skip;
    skip.Serialize(ar, &other);
    third.Serialize(ar, &other);
  });
  EXPECT_EQ(third.GetBaseStyle(), other.GetRowHeaderStyleId());
  EXPECT_NE(third.GetBaseStyle(), 2);
}

TEST(GridStyleArchive, OlderAndNewerSchemas) {
  CGXStyle s;
  s.SetValue("v").SetFloatCell(TRUE).SetMergeCell(3).SetExtraValue(9);
  Bytes bytes = Store([&](CArchive& ar) { s.Serialize(ar); });
  // Schema 1 has no span values and no extra value: the reader's own stay.
  Bytes old = bytes;
  old[0] = 1;
  old.resize(old.size() - 2 - 4);
  CGXStyle into;
  into.SetFloatCell(FALSE).SetFloodCell(TRUE).SetMergeCell(6).SetExtraValue(77);
  ASSERT_EQ(Load(old, [&](CArchive& ar) { into.Serialize(ar); }), -1);
  EXPECT_EQ(into.GetValue(), "v");
  EXPECT_FALSE(into.GetFloatCell());
  EXPECT_EQ(into.GetMergeCell(), 6u);
  EXPECT_EQ(into.GetExtraValue(), 77u);
  EXPECT_EQ(into.GetIncludeMask(), s.GetIncludeMask());

  Bytes newer = bytes;
  newer[0] = 4;
  CGXStyle none;
  EXPECT_EQ(Load(newer, [&](CArchive& ar) { none.Serialize(ar); }), CArchiveException::badSchema);
  Bytes cut(bytes.begin(), bytes.begin() + 7);
  EXPECT_EQ(Load(cut, [&](CArchive& ar) { none.Serialize(ar); }), CArchiveException::endOfFile);
}

TEST(GridStyleArchive, FontsAndBrushes) {
  CGXFont f = CGXFont::StandardFont();
  f.SetStrikeOut(TRUE).SetItalic(TRUE);
  Bytes bytes = Store([&](CArchive& ar) { f.Serialize(ar); });
  // schema, height, weight, italic, underline, pitch, "Arial", bits
  const Bytes expected{1, 0, 0xF5, 0xFF, 0xFF, 0xFF, 0x90, 1, 0, 0, 1, 0, 0x22, 5, 'A', 'r', 'i', 'a', 'l', 63, 0, 0, 0};
  EXPECT_EQ(bytes, expected);
  CGXFont back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_TRUE(back.GetIncludeStrikeOut());
  EXPECT_FALSE(back.GetStrikeOut());
  EXPECT_TRUE(back.GetItalic());
  EXPECT_EQ(back.GetHeight(), -11);
  Bytes newer = bytes;
  newer[0] = 2;
  EXPECT_EQ(Load(newer, [&](CArchive& ar) { back.Serialize(ar); }), CArchiveException::badSchema);

  CGXBrushValue pattern;
  pattern.SetPattern(40);
  CGXBrushValue beyond;
  beyond.SetPattern(41);
  bytes = Store([&](CArchive& ar) { ar << pattern << beyond; });
  EXPECT_EQ(bytes.size(), 40u);
  CGXBrushValue p2, b2;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { ar >> p2 >> b2; }), -1);
  EXPECT_EQ(p2.GetStyle(), 3u);
  EXPECT_EQ(p2.GetPattern(), 40u);
  EXPECT_EQ(b2.GetStyle(), 1u);  // beyond the pattern table: a null brush
}

TEST(GridStylesMapArchive, RoundTripAndBuiltInIds) {
  CGXStylesMap map;
  map.SetBaseStyleEntry(0, Totals(), "Totals", 0, FALSE);  // user style first: built-ins get 1..3
  map.CreateStandardStyles();
  map.AddControl(52512);
  map.AddControl(52520);
  CGXStyle editor;
  editor.SetControl(52516);
  map.AddUserAttribute(51019, &editor);
  map.SetSection("Grid Styles");
  Bytes bytes = Store([&](CArchive& ar) { map.Serialize(ar); });
  EXPECT_EQ(bytes[0], 2);

  CGXStylesMap back;
  back.CreateStandardStyles();  // replaced by what is loaded
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  EXPECT_EQ(back.GetSection(), "Grid Styles");
  EXPECT_EQ(back.GetStandardStyleId(), 1);
  EXPECT_EQ(back.GetColHeaderStyleId(), 2);
  EXPECT_EQ(back.GetRowHeaderStyleId(), 3);
  EXPECT_EQ(back.GetNextId(), 4);
  EXPECT_EQ(back.GetBaseStyleCount(), 4);
  for (WORD id = 0; id < 4; ++id) {
    ExpectSameStyle(StyleOf(back, id), StyleOf(map, id));
    UINT r1, r2;
    EXPECT_STREQ(back.GetStyleName(id, r1), map.GetStyleName(id, r2));
    EXPECT_EQ(r1, r2);
    EXPECT_EQ(back.GetBaseStyleEntry(id)->bSystem, map.GetBaseStyleEntry(id)->bSystem);
  }
  CString name;
  EXPECT_TRUE(back.GetControlName(52520, name));
  EXPECT_EQ(name, "Header");
  ASSERT_NE(back.GetUserAttributeEntry(51019), nullptr);
  EXPECT_EQ(back.GetUserAttributeEntry(51019)->strName, "Checkbox: Checked Value");
  EXPECT_EQ(back.GetUserAttributeEntry(51019)->pStyle->GetControl(), 52516u);

  Bytes newer = bytes;
  newer[0] = 3;
  CGXStylesMap none;
  EXPECT_EQ(Load(newer, [&](CArchive& ar) { none.Serialize(ar); }), CArchiveException::badSchema);
  for (size_t cut = 0; cut < bytes.size(); cut += 7) {
    CGXStylesMap partial;
    Bytes part(bytes.begin(), bytes.begin() + (ptrdiff_t)cut);
    EXPECT_NE(Load(part, [&](CArchive& ar) { partial.Serialize(ar); }), -1) << cut;
  }
}

TEST(GridStyleArchive, FontBitWithoutAFontStoresARealFont) {
  // Two styles that include the font without holding one: each gets a font object of its own, so
  // the archive never links the second to the first.
  CGXStyle a, b;
  a.SetIncludeMask(CGXStyle::inclFont);
  b.SetIncludeMask(CGXStyle::inclFont);
  Bytes bytes = Store([&](CArchive& ar) {
    a.Serialize(ar);
    b.Serialize(ar);
  });
  CGXStyle a2, b2;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) {
              a2.Serialize(ar);
              b2.Serialize(ar);
            }),
            -1);
  ASSERT_NE(a2.GetFontPtr(), nullptr);
  ASSERT_NE(b2.GetFontPtr(), nullptr);
  EXPECT_NE(a2.GetFontPtr(), b2.GetFontPtr());
}

TEST(GridStylesMap, LongKeyListsAreReadWhole) {
  ProfileScope scope("GridMapManyKeys", false);
  CGXStylesMap map;
  map.CreateStandardStyles();
  for (int i = 0; i < 120; ++i) {
    CGXStyle s;
    s.SetValue(CString(FormatString("%d", i)));
    map.SetBaseStyleEntry(map.GetNextId(), s, FormatString("A rather long base style name %03d", i).c_str(), 0, FALSE);
  }
  map.WriteProfile();
  CGXStylesMap back;
  back.ReadProfile();
  EXPECT_EQ(back.GetBaseStyleCount(), 123);  // far beyond 1,023 characters of key names
  WORD id;
  ASSERT_TRUE(back.LookupBaseStyleName("A rather long base style name 119", id));
  EXPECT_EQ(StyleOf(back, id).GetValue(), "119");
}

namespace {
UINT_PTR FakePatternBitmap(UINT n) { return 0x1000 + n; }
}  // namespace

TEST(GridStyleArchive, PatternHandlesComeFromTheTableInUse) {
  GXSetPatternTable(41, FakePatternBitmap);
  CGXBrushValue br;
  br.SetPattern(5);
  EXPECT_EQ(br.GetHatch(), 0x1005u);
  Bytes bytes = Store([&](CArchive& ar) { ar << br; });
  GXSetPatternTable(41, nullptr);
  CGXBrushValue back;
  ASSERT_EQ(Load(bytes, [&](CArchive& ar) { ar >> back; }), -1);
  EXPECT_EQ(back.GetHatch(), (UINT_PTR)GXGetPatternBitmap(5));  // the handle of this run, not the stored one
  EXPECT_EQ(back.GetPattern(), 5u);
  CGXBrushValue parsed;
  GXSetPatternTable(6, FakePatternBitmap);
  parsed.ParseDescription("3 6 0 0 0");
  EXPECT_EQ(parsed.GetHatch(), 0u);  // beyond a table of six
  parsed.ParseDescription("3 4 0 0 0");
  EXPECT_EQ(parsed.GetHatch(), 0x1004u);
  GXSetPatternTable(41, nullptr);
}

TEST(GridStylesMapArchive, DamagedArchivesFailCleanly) {
  CGXStylesMap map;
  map.CreateStandardStyles();
  map.SetBaseStyleEntry(3, FullStyle(), "Full", 0, FALSE);
  map.AddControl(52513);
  map.AddUserAttribute(51011);
  const Bytes good = Store([&](CArchive& ar) { map.Serialize(ar); });
  std::mt19937 rng(1616);
  int failures = 0;
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes = good;
    int flips = 1 + (int)(rng() % 4);
    for (int k = 0; k < flips; ++k) bytes[rng() % bytes.size()] = (BYTE)rng();
    CGXStylesMap back;
    Bytes copy = bytes;
    CMemFile f(copy.data(), (UINT)copy.size());
    CArchive ar(&f, CArchive::load);
    try {
      back.Serialize(ar);
    } catch (CException* e) {
      e->Delete();
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}
