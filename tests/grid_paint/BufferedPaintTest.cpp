// A column header made current and columns widened by their edges, painted through an off-screen
// bitmap or straight into the window: the window shows what a full repaint shows.
#include "grid/engine/GXData.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridWindow.h"
#include "tests/support/LibraryDefaults.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

class HeaderFrame : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(HeaderFrame, WidthDragsAfterAHeaderClickShowWhatAPaintShows) {
  dravonix::test::UseLibraryDefaults(GetParam());
  for (BOOL buffered : {TRUE, FALSE}) {
    CWnd parent;
    ZAZAzedAze grid;
    ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 640, 300), WS_VISIBLE | WS_VSCROLL | WS_HSCROLL));
    grid.SetRowCount(40);
    grid.SetColCount(12);
    grid.SetDoubleBuffering(buffered);
    UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(0, 4).CenterPoint(), UiAutomation::kShift);
    // The dotted frame of the current header moves by odd and even widths.
    for (const auto& [col, by] : {std::pair{1u, 7}, std::pair{2u, -6}, std::pair{1u, 9}}) {
      const CRect header = grid.CalcRectFromRowCol(0, col);
      const LONG y = header.CenterPoint().y;
      UiAutomation::Drag(grid.m_hWnd, CPoint(header.right - 1, y), CPoint(header.right - 1 + by, y));
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd))
          << (buffered ? "buffered, " : "direct, ") << col << " by " << by;
    }
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
}

// The row headers' column narrowed by its edge to each width, then a row header clicked: its pressed
// number, as wide as its cell, leaves no pixel beside the cell that a paint of the whole does not show.
TEST_P(HeaderFrame, ANarrowRowHeaderClickedShowsWhatAPaintShows) {
  dravonix::test::UseLibraryDefaults(GetParam());
  CWnd parent;
  ZAZAzedAze grid;
  ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 400, 240), WS_VISIBLE | WS_VSCROLL | WS_HSCROLL));
  grid.SetRowCount(20);
  grid.SetColCount(6);
  for (int width = 24; width >= 6; --width) {
    const CRect header = grid.CalcRectFromRowCol(0, 0);
    const LONG y = header.CenterPoint().y;
    UiAutomation::Drag(grid.m_hWnd, CPoint(header.right - 1, y), CPoint(width - 1, y));
    UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(2, 2).CenterPoint());
    UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(10, 0).CenterPoint());
    EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd)) << "width " << grid.GetColWidth(0);
  }
  grid.DestroyWindow();
  parent.DestroyWindow();
}

// The host fills the data object behind the window's back and has it repainted: the scroll bars that
// the paint shows stay over what it had started to draw, buffered or not.
TEST(BufferedPaint, BarsThatAPaintShowsAreNotPaintedOver) {
  for (BOOL buffered : {TRUE, FALSE})
    for (const auto& [rows, cols] : {std::pair{40u, 3u}, std::pair{5u, 20u}, std::pair{40u, 20u}}) {
      CWnd parent;
      ZAZAzedAze grid;
      ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 460, 300), WS_VISIBLE));
      grid.SetRowCount(5);
      grid.SetColCount(3);
      grid.SetDoubleBuffering(buffered);
      UiAutomation::Click(grid.m_hWnd, grid.CalcRectFromRowCol(2, 2).CenterPoint());
      grid.GetParam()->GetData()->SetRowCount(rows);
      grid.GetParam()->GetData()->SetColCount(cols);
      grid.Invalidate(FALSE);
      UiAutomation::Pump();
      EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(parent.m_hWnd)) << buffered << " " << rows << "x" << cols;
      grid.DestroyWindow();
      parent.DestroyWindow();
    }
}

INSTANTIATE_TEST_SUITE_P(Defaults, HeaderFrame, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
