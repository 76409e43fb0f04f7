// One-line text forms of pens, brushes and fonts, and a style's profile entries.
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStyle.h"
#include "grid/engine/GXStylesMap.h"
#include "grid/engine/GXTextForms.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <gtest/gtest.h>

#include <random>

using gridtest::ExpectSameStyle;
using gridtest::FullStyle;
using gridtest::ProfileScope;

TEST(GridTextForms, Pens) {
  CGXPenValue pen(2, 3, RGB(10, 20, 30) | 0xF6000000);
  CString s;
  pen.GetDescription(s);
  EXPECT_EQ(s, "2 3 10 20 30 246");
  char buf[8];
  pen.GetDescription(buf, sizeof buf);
  EXPECT_STREQ(buf, "2 3 10 ");

  CGXPenValue parsed;
  parsed.ParseDescription("  2   3 10 20 30 246");
  EXPECT_TRUE(parsed == CGXPenValue(pen).SetInclude(TRUE));

  CGXPenValue five;
  five.ParseDescription("1 -2 1 2 3");
  EXPECT_TRUE(five.GetInclude());
  EXPECT_EQ(five.GetWidth(), -2);
  EXPECT_EQ(five.GetColorValue(), RGB(1, 2, 3));

  CGXPenValue four;
  four.ParseDescription("1 2 3 4");
  EXPECT_FALSE(four.GetInclude());
  EXPECT_TRUE(four == CGXPenValue());
}

TEST(GridTextForms, Brushes) {
  CGXBrushValue br;
  br.ParseDescription("0 0 255 0 0 255 255 255 1");
  EXPECT_EQ(br.GetColorValue(), PALETTEINDEX(255));
  EXPECT_EQ(br.GetBkColorValue(), RGB(255, 255, 255));

  br.ParseDescription("0 0 1 2 3 4 5 6 2");
  EXPECT_EQ(br.GetColorValue(), PALETTERGB(1, 2, 3));
  EXPECT_EQ(br.GetBkColorValue(), RGB(4, 5, 6));

  CGXBrushValue sys(0, GXSysColorRef(COLOR_BTNFACE));
  CString s;
  sys.GetDescription(s);
  CGXBrushValue back;
  back.ParseDescription(s);
  EXPECT_EQ(back.GetColorValue(), sys.GetColorValue());

  CGXBrushValue pattern;
  pattern.SetPattern(7).SetColor(RGB(1, 2, 3));
  pattern.GetDescription(s);
  EXPECT_EQ(s, "3 7 1 2 3 255 255 255 0");
  CGXBrushValue patternBack;
  patternBack.ParseDescription(s);
  EXPECT_EQ(patternBack.GetStyle(), 3u);
  EXPECT_EQ(patternBack.GetPattern(), 7u);

  CGXBrushValue hatch(2, RGB(9, 8, 7), 5);
  hatch.GetDescription(s);
  EXPECT_EQ(s, "2 5 9 8 7 255 255 255 0");

  CGXBrushValue unchanged(2, RGB(9, 8, 7), 5);
  unchanged.ParseDescription("");
  EXPECT_TRUE(unchanged == hatch);
  unchanged.ParseDescription("   ");
  EXPECT_TRUE(unchanged == hatch);
}

TEST(GridTextForms, BrushTextsWithAnyOtherHatchReadSolid) {
  // A text may come from a profile written elsewhere: only hatch indexes and pattern numbers count.
  const struct {
    const char* text;
    UINT style;
    UINT_PTR hatch;
  } cases[] = {
      {"6 1325400052 0 200 0 255 255 255 0", BS_SOLID, 0},
      {"5 4096 0 200 0 255 255 255 0", BS_SOLID, 0},
      {"2 6 0 200 0 255 255 255 0", BS_SOLID, 0},
      {"2 5 0 200 0 255 255 255 0", BS_HATCHED, 5},
      {"1 0 0 200 0 255 255 255 0", BS_NULL, 0},
  };
  for (const auto& c : cases) {
    CGXBrushValue br;
    br.ParseDescription(c.text);
    EXPECT_EQ(br.GetStyle(), c.style) << c.text;
    EXPECT_EQ(br.GetHatch(), c.hatch) << c.text;
    EXPECT_EQ(br.GetColorValue(), RGB(0, 200, 0)) << c.text;
  }
}

TEST(GridTextForms, Fonts) {
  CString s;
  CGXFont::StandardFont().GetDescription(s);
  EXPECT_EQ(s, "Arial,8,400,0,0,0");
  CGXFont face;
  face.SetFaceName("Arial");
  face.GetDescription(s);
  EXPECT_EQ(s, "Arial,,,,,");
  CGXFont().GetDescription(s);
  EXPECT_EQ(s, ",,,,,");

  CGXFont parsed;
  parsed.ParseDescription("Arial,8,400,0,0,0");
  EXPECT_EQ(parsed.GetIncludeBits(), (DWORD)CGXFont::fontAll);
  EXPECT_EQ(parsed.GetHeight(), -11);
  EXPECT_STREQ(parsed.GetFaceName(), "Arial");
  parsed.ParseDescription(",10");
  EXPECT_EQ(parsed.GetIncludeBits(), (DWORD)CGXFont::fontSize);
  EXPECT_EQ(parsed.GetHeight(), -13);
  parsed.ParseDescription("Times New Roman,,700,1,1,");
  EXPECT_EQ(parsed.GetIncludeBits(),
            (DWORD)(CGXFont::fontFaceName | CGXFont::fontWeight | CGXFont::fontItalic | CGXFont::fontUnderline));
  parsed.ParseDescription("X,,,,,1");
  EXPECT_TRUE(parsed.GetIncludeStrikeOut());
  EXPECT_TRUE(parsed.GetStrikeOut());
  parsed.ParseDescription("");
  EXPECT_EQ(parsed.GetIncludeBits(), 0u);
  char buf[6];
  CGXFont::StandardFont().GetDescription(buf, sizeof buf);
  EXPECT_STREQ(buf, "Arial");
}

TEST(GridTextForms, NumbersReadLikeTheRuntime) {
  EXPECT_EQ(GXAtol("  -42xyz"), -42);
  EXPECT_EQ(GXAtol("+7"), 7);
  EXPECT_EQ(GXAtol("abc"), 0);
  EXPECT_EQ(GXAtol(""), 0);
  EXPECT_EQ(GXAtol(nullptr), 0);
  EXPECT_EQ(GXAtol("4294967295"), -1);  // wraps instead of overflowing
  LONG v[3];
  EXPECT_EQ(GXScanNumbers(" 1  x 3 4", v, 3), 3);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[2], 3);
}

TEST(GridTextForms, MalformedTextsNeverCrash) {
  std::mt19937 rng(16);
  const char alphabet[] = "0123456789 ,-+#\\nA\t";
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    int len = (int)(rng() % 60);
    for (int k = 0; k < len; ++k) text += alphabet[rng() % (sizeof alphabet - 1)];
    CGXPenValue pen;
    pen.ParseDescription(text.c_str());
    CGXBrushValue br;
    br.ParseDescription(text.c_str());
    CGXFont font;
    font.ParseDescription(text.c_str());
    EXPECT_LT(std::strlen(font.GetFaceName()), 32u);
  }
}

TEST(GridStyleProfile, OnlyTheValueIsWrittenAndTheRestDeleted) {
  ProfileScope scope("GridProfileValueOnly", false);
  CAppProfile& app = scope.App();
  FullStyle().WriteProfile("Cell", nullptr);
  EXPECT_EQ(app.GetProfileString("Cell", "ControlId"), "52517");
  EXPECT_EQ(app.GetProfileString("Cell", "Top"), "1 2 255 0 0 0");
  EXPECT_EQ(app.GetProfileString("Cell", "Right"), "0 3 0 0 255 0");
  EXPECT_EQ(app.GetProfileString("Cell", "Font"), "Courier New,10,700,1,0,");
  CGXStyle v;
  v.SetValue("42");
  v.WriteProfile("Cell", nullptr);
  // The side entries stay without borders; "Borders" is gone, so they are not read.
  std::vector<CString> entries = app.GetSectionEntries("Cell");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], "Value");
  EXPECT_EQ(entries[1], "Top");
  EXPECT_EQ(entries[2], "Right");
  EXPECT_EQ(app.GetProfileString("Cell", "Value"), "42");
  CGXStyle back;
  back.ReadProfile("Cell", nullptr);
  EXPECT_EQ(back.GetIncludeMask(), (DWORD)CGXStyle::inclValue);
}

TEST(GridStyleProfile, ChoiceListsEscapeLineBreaksAndBackslashes) {
  ProfileScope scope("GridProfileChoices", false);
  CGXStyle s;
  s.SetChoiceList("a\r\nb\\c");
  s.WriteProfile("Choices", nullptr);
  EXPECT_EQ(scope.App().GetProfileString("Choices", "ChoicesList"), "a\\nb\\\\c");
  CGXStyle back;
  ASSERT_TRUE(back.ReadProfile("Choices", nullptr));
  EXPECT_EQ(back.GetChoiceList(), "a\r\nb\\c");
  EXPECT_EQ(back.GetIncludeMask(), (DWORD)CGXStyle::inclChoiceList);
  EXPECT_FALSE(back.ReadProfile(nullptr, nullptr));
}

TEST(GridStyleProfile, ValuesKeepTheirLinesAndNoRefusedWriteLeavesTheOldEntry) {
  struct Case {
    const char* value;
    const char* stored;
    const char* back;
  } cases[] = {
      {"line1\r\nline2", "line1\\nline2", "line1\r\nline2"},
      {"a\nb\rc", "a\\nb\\nc", "a\r\nb\r\nc"},  // every line break comes back as CR LF
      {"C:\\dir\\file\\", "C:\\dir\\file\\", "C:\\dir\\file\\"},
      {"C:\\new", "C:\\\\new", "C:\\new"},
      {"a\\\\b\\\r\n", "a\\\\\\b\\\\\\n", "a\\\\b\\\r\n"},
  };
  for (bool registry : {false, true}) {
    ProfileScope scope(registry ? "GridProfileLinesReg" : "GridProfileLinesIni", registry);
    CAppProfile& app = scope.App();
    CGXStylesMap map;
    map.AddUserAttribute(51013);
    for (const Case& c : cases) {
      CGXStyle old;
      old.SetValue("old").SetUserAttribute(51013, "old");
      old.WriteProfile("Lines", &map);
      CGXStyle s;
      s.SetValue(c.value).SetUserAttribute(51013, c.value);
      s.WriteProfile("Lines", &map);
      EXPECT_EQ(app.GetProfileString("Lines", "Value"), c.stored) << c.value;
      EXPECT_EQ(app.GetProfileString("Lines", "UA51013"), c.stored) << c.value;
      CGXStyle back;
      back.ReadProfile("Lines", &map);
      EXPECT_EQ(back.GetValue(), c.back) << c.value;
      EXPECT_EQ(back.GetUserAttribute(51013), c.back) << c.value;
    }
    // User properties of the grid keep their lines the same way.
    CGXProperties props;
    CGXStyle line;
    props.AddUserProperty(51013, line.SetValue("old"));
    props.SetSection("Lines");
    props.WriteProfile();
    props.AddUserProperty(51013, line.SetValue("line1\r\nline2"));
    props.WriteProfile();
    EXPECT_EQ(app.GetProfileString("Lines", "UP51013"), "line1\\nline2");
    props.AddUserProperty(51013, line.SetValue(""));
    ASSERT_TRUE(props.ReadProfile());
    EXPECT_EQ(props.GetUserProperty(51013)->GetValue(), "line1\r\nline2");
    // A face name with a line break cannot be stored: the earlier font must not read back.
    CGXStyle arial;
    arial.SetFont(CGXFont().SetFaceName("Arial"));
    arial.WriteProfile("Lines", &map);
    CGXStyle broken;
    broken.SetFont(CGXFont().SetFaceName("Ari\nal"));
    broken.WriteProfile("Lines", &map);
    EXPECT_EQ(app.GetProfileString("Lines", "Font", "none"), "none");
  }
}

TEST(GridStyleProfile, RoundTripKeepsWhatTheTextFormsKeep) {
  for (bool registry : {false, true}) {
    ProfileScope scope(registry ? "GridProfileRoundTripReg" : "GridProfileRoundTripIni", registry);
    CGXStylesMap map;
    map.CreateStandardStyles();
    map.AddUserAttribute(51011);
    map.AddUserAttribute(51013);
    CGXStyle full = FullStyle();
    full.SetBaseStyle(map.GetColHeaderStyleId());
    full.SetUserAttribute(51011, "3").SetUserAttribute(51013, "Out of range");
    full.SetTextColor(GXSysColorRef(COLOR_WINDOWTEXT));
    full.WriteProfile("Styles\\Full", &map);

    CGXStyle back;
    ASSERT_TRUE(back.ReadProfile("Styles\\Full", &map));
    EXPECT_EQ(scope.App().GetProfileString("Styles\\Full", "BaseStyle"), "#52770");
    CGXStyle expected(full);
    // A system colour comes back as the plain colour it had; the extra value has no entry.
    expected.SetTextColor(full.GetTextColorValue() & 0xFFFFFF);
    expected.SetIncludeBit(CGXStyle::inclExtraValue, FALSE);
    ExpectSameStyle(back, expected);
    EXPECT_EQ(back.GetUserAttribute(51013), "Out of range");

    // Fewer attributes leave no stale entries of the removed ones behind, except user attributes.
    CGXStyle small;
    small.SetValue("v").SetBaseStyle(999);
    small.WriteProfile("Styles\\Full", &map);
    CGXStyle again;
    again.ReadProfile("Styles\\Full", &map);
    EXPECT_EQ(again.GetIncludeMask(), (DWORD)(CGXStyle::inclValue | CGXStyle::inclUserAttributes));
    EXPECT_EQ(again.GetUserAttribute(51011), "3");
  }
}

TEST(GridStyleProfile, MalformedEntriesAreIgnoredOneByOne) {
  ProfileScope scope("GridProfileMalformed", false);
  CAppProfile& app = scope.App();
  app.WriteProfileString("Bad", "TextColor", "1 2");
  app.WriteProfileString("Bad", "ReadOnly", "3");
  app.WriteProfileString("Bad", "MergeCell", "15");
  app.WriteProfileString("Bad", "Draw3dFrame", "x");
  app.WriteProfileString("Bad", "Borders", "1");
  app.WriteProfileString("Bad", "Top", "1 2 3 4");
  app.WriteProfileString("Bad", "Left", "1 1 0 0 0");
  app.WriteProfileString("Bad", "BaseStyle", "Nobody");
  app.WriteProfileString("Bad", "Font", ",,,,,,,,,");
  app.WriteProfileString("Bad", "Interior", "2");
  CGXStylesMap map;
  map.CreateStandardStyles();
  CGXStyle s;
  ASSERT_TRUE(s.ReadProfile("Bad", &map));
  EXPECT_FALSE(s.GetIncludeTextColor());
  EXPECT_TRUE(s.GetReadOnly());  // the low bit
  EXPECT_EQ(s.GetMergeCell(), 7u);
  EXPECT_EQ(s.GetDraw3dFrame(), 0u);
  EXPECT_FALSE(s.GetIncludeBorder(0));
  EXPECT_TRUE(s.GetIncludeBorder(1));
  EXPECT_FALSE(s.GetIncludeBaseStyle());
  EXPECT_TRUE(s.GetIncludeFont());
  EXPECT_EQ(s.GetFont().GetIncludeBits(), 0u);
  EXPECT_EQ(s.GetInterior().GetStyle(), 2u);

  app.WriteProfileString("Bad", "BaseStyle", "#52769");
  s.ReadProfile("Bad", &map);
  EXPECT_EQ(s.GetBaseStyle(), map.GetRowHeaderStyleId());
  app.WriteProfileString("Bad", "BaseStyle", "Row Header");
  s.ReadProfile("Bad", &map);
  EXPECT_EQ(s.GetBaseStyle(), map.GetRowHeaderStyleId());
}
