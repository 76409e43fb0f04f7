// Corner cases of the style model, its profile entries and the range list not covered elsewhere.
#include "grid/engine/GXProfile.h"
#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "grid/engine/GXStylesMap.h"
#include "tests/grid_engine/GridTestUtil.h"

#include <gtest/gtest.h>

using gridtest::ProfileScope;

TEST(GridStyleEdge, DefaultContentsValueByValue) {
  CGXStyle s;
  s.SetUserAttribute(51011, "x").SetBorders(CGXStyle::sideAll, CGXPenValue(1, 1, 0)).SetBaseStyle(2);
  s.SetDefault();  // frees what was there first
  EXPECT_EQ(s.GetIncludeMask(), 0xFBBEFFu);
  EXPECT_EQ(s.GetHorizontalAlignment(), 0u);
  EXPECT_EQ(s.GetVerticalAlignment(), 0u);
  EXPECT_FALSE(s.GetReadOnly());
  EXPECT_FALSE(s.GetVerticalScrollbar());
  EXPECT_EQ(s.GetMaxLength(), 0u);
  EXPECT_EQ(s.GetDraw3dFrame(), 0u);
  EXPECT_FALSE(s.GetAllowEnter());
  EXPECT_FALSE(s.GetTriState());
  EXPECT_FALSE(s.GetAutoSize());
  EXPECT_EQ(s.GetMergeCell(), 0u);
  EXPECT_TRUE(s.GetIncludeChoiceList());
  EXPECT_TRUE(s.GetChoiceList().IsEmpty());
  EXPECT_FALSE(s.HasUserAttribute(51011));
  EXPECT_FALSE(s.GetIncludeBorders());
  EXPECT_EQ(s.GetInterior().GetColorValue() >> 24, 0xF9u);  // system colour 5
  EXPECT_EQ(s.GetTextColorValue() >> 24, 0xF6u);              // system colour 8
}

TEST(GridStyleEdge, ApplyNeverOverwritesAndOverrideAlwaysDoes) {
  CGXStyle full = gridtest::FullStyle();
  CGXStyle other;
  other.SetDefault();
  other.SetValue("other").SetChoiceList("p\r\nq").SetBaseStyle(7);

  CGXStyle applied(full);
  applied.ChangeStyle(other, 1);
  // Everything full already had stays as it was.
  CGXStyle expectedKept(full);
  EXPECT_TRUE(applied.IsSubSet(expectedKept));

  CGXStyle overridden(full);
  overridden.ChangeStyle(other, 0);
  EXPECT_TRUE(overridden.IsSubSet(other));
}

TEST(GridStyleEdge, LoadBaseStyleKeepsTheBaseStyleBit) {
  CGXStylesMap map;
  map.CreateStandardStyles();
  CGXStyle cell;
  cell.SetValue("v").SetBaseStyle(map.GetColHeaderStyleId());
  cell.LoadBaseStyle(map);
  EXPECT_TRUE(cell.GetIncludeBaseStyle());
  EXPECT_EQ(cell.GetBaseStyle(), map.GetColHeaderStyleId());
  EXPECT_EQ(cell.GetControl(), 52520u);
  EXPECT_EQ(cell.GetValue(), "v");
}

TEST(GridStyleProfileEdge, ResourceBaseStyleOfTheStandardStyle) {
  ProfileScope scope("GridEdgeBaseStyle");
  CGXStylesMap map;
  map.CreateStandardStyles();
  scope.App().WriteProfileString("Cell", "BaseStyle", "#52768");
  CGXStyle s;
  ASSERT_TRUE(s.ReadProfile("Cell", &map));
  EXPECT_TRUE(s.GetIncludeBaseStyle());
  EXPECT_EQ(s.GetBaseStyle(), map.GetStandardStyleId());

  // Written back it keeps the resource form.
  s.WriteProfile("Back", &map);
  EXPECT_EQ(scope.App().GetProfileString("Back", "BaseStyle"), "#52768");

  // An unknown resource id still includes the base style, with id 0.
  scope.App().WriteProfileString("Cell", "BaseStyle", "#40000");
  CGXStyle unknown;
  unknown.ReadProfile("Cell", &map);
  EXPECT_TRUE(unknown.GetIncludeBaseStyle());
  EXPECT_EQ(unknown.GetBaseStyle(), 0u);
}

TEST(GridStyleProfileEdge, NumbersAreWrittenUnsigned) {
  ProfileScope scope("GridEdgeNumbers");
  CGXStyle s;
  s.SetHorizontalAlignment(0xFFFFFFFFu).SetMaxLength(65535).SetTextColor(RGB(1, 2, 3) | 0xF6000000u);
  s.WriteProfile("N", nullptr);
  EXPECT_EQ(scope.App().GetProfileString("N", "HorizontalAlignment"), "4294967295");
  EXPECT_EQ(scope.App().GetProfileString("N", "MaxLength"), "65535");
  EXPECT_EQ(scope.App().GetProfileString("N", "TextColor"), "1 2 3");
  CGXStyle back;
  back.ReadProfile("N", nullptr);
  EXPECT_EQ(back.GetHorizontalAlignment(), 0xFFFFFFFFu);
  EXPECT_EQ(back.GetMaxLength(), 65535u);
  EXPECT_EQ(back.GetTextColorValue(), RGB(1, 2, 3));
}

TEST(GridRangeEdge, RemovingAndMovingAtTheEdges) {
  // A range straddling the start of the removed rows keeps its first rows.
  CGXRangeList list;
  CGXRange* r = new CGXRange(CGXRange().SetRowRange(2, 5));
  list.AddTail(r);
  list.RemoveRows(4, 9, 100);
  EXPECT_TRUE(r->IsValid());
  EXPECT_EQ(r->m_nTop, 2u);
  EXPECT_EQ(r->m_nBottom, 3u);

  // Invalid ranges still follow inserts and moves, but not removals.
  CGXRange* dead = new CGXRange(CGXRange().SetRowRange(10, 12));
  dead->m_bValid = 0;
  list.AddTail(dead);
  list.InsertRows(1, 1);
  EXPECT_EQ(dead->m_nTop, 11u);
  list.RemoveRows(11, 13, 100);
  EXPECT_EQ(dead->m_nTop, 11u);
  list.MoveRows(11, 11, 20, 100);
  EXPECT_EQ(dead->m_nTop, 20u);

  // Whole-table ranges keep their bounds and stay valid through look-ups.
  CGXRangeList table;
  table.AddTail(new CGXRange(CGXRange().SetWholeTable()));
  EXPECT_NE(table.FindRange(4000000000u, 4000000000u), nullptr);
}
