#include "plot/graph/ColorFactory.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorFactory, PaletteAndPlotDefaults) {
  const DWORD want[28] = {0xFFFFFF, 0x00FFFF, 0x00C0FF, 0x0080FF, 0x0000FF, 0xFF00FF, 0x8000FF,
                          0xC000FF, 0xFFFF00, 0x80FF00, 0xC0FF00, 0x00FF00, 0x00FF80, 0x00FFC0,
                          0xFF0080, 0xFF00C0, 0xFF0000, 0xFF8000, 0xFFC000, 0xC0C0C0, 0x808080,
                          0x800080, 0x800000, 0x808000, 0x008000, 0x008080, 0x000080, 0x000000};
  for (int i = 0; i < 28; ++i) EXPECT_EQ(CColorFactory::RGB16((CColorFactory::tagColorRef16)i), want[i]) << i;
  EXPECT_EQ(CColorFactory::GetDefBckColor(), 0x000000u);
  EXPECT_EQ(CColorFactory::GetDefAxisColor(), 0x808080u);
  EXPECT_EQ(CColorFactory::GetDefTextColor(), 0xC0C0C0u);
  EXPECT_EQ(CColorFactory::GetDefOscCursorColor(), 0x0000FFu);
}

TEST(ColorFactory, DefaultCurveColoursFirstFourThenCycle) {
  CColorFactory::m_nColorIdx = 0;
  CDWordArray used;
  const DWORD first[4] = {0x0000FF, 0x00FFFF, 0xFFC000, 0xFF00C0};
  for (DWORD c : first) {
    DWORD got = CColorFactory::GetDefColor(used);
    EXPECT_EQ(got, c);
    used.Add(got);
  }
  EXPECT_EQ(CColorFactory::SearchColor(used, 0xFFC000), 1);
  EXPECT_EQ(CColorFactory::SearchColor(used, 0x123456), 0);
  // With the four in use: entries 0..15 in turn, skipping used ones, continuing across calls.
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0xFFFFFFu);  // entry 0
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0x00C0FFu);  // entry 1 is used: entry 2
  EXPECT_EQ(CColorFactory::m_nColorIdx, 3);
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0x0080FFu);  // entry 3
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0xFF00FFu);  // 4 used, entry 5
  CColorFactory::m_nColorIdx = 15;
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0xFFFFFFu);  // 15 used; wraps to 0
  EXPECT_EQ(CColorFactory::m_nColorIdx, 1);
  CColorFactory::m_nColorIdx = 14;
  EXPECT_EQ(CColorFactory::GetDefColor(used), 0xFF0080u);  // entry 14; index reaches 15
  EXPECT_EQ(CColorFactory::m_nColorIdx, 15);

  // Everything in use: the last candidate is returned all the same.
  CDWordArray all;
  for (int i = 0; i < 28; ++i) all.Add(CColorFactory::colorTable[i]);
  CColorFactory::m_nColorIdx = 5;
  DWORD got = CColorFactory::GetDefColor(all);
  EXPECT_EQ(CColorFactory::SearchColor(all, got), 1);
  EXPECT_LT(CColorFactory::m_nColorIdx, 16);
  CColorFactory::m_nColorIdx = 0;
}

}  // namespace
