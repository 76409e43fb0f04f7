// A block of cells merged along rows and down columns, split by typed values while rows and columns
// are sized by their borders and hidden: after every step the window shows what a full repaint shows.
#include "grid/engine/GXData.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/GridWindow.h"
#include "tests/support/LibraryDefaults.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

class SpanWalk : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    dravonix::test::UseLibraryDefaults(GetParam());
    ASSERT_TRUE(OpenGridWindow(parent, grid, CRect(0, 0, 640, 300)));
    grid.SetRowCount(20);
    grid.SetColCount(8);
    grid.SetFloatCellsMode(1, FALSE);
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  // D2:F10 hold one value that merges both ways.
  void Fill(WORD mergeMode) {
    grid.SetMergeCellsMode(mergeMode, FALSE);
    CGXData& data = *grid.GetParam()->GetData();
    for (ROWCOL r = 2; r <= 10; ++r)
      for (ROWCOL c = 4; c <= 6; ++c) data.StoreStyleAt(r, c, &CGXStyle().SetValue("same").SetMergeCell(7), 0, 0);
    grid.HideRows(1, 20, FALSE);
    grid.HideCols(1, 8, FALSE);
    grid.Redraw();
  }
  CWnd parent;
  ZAZAzedAze grid;
};

}  // namespace

TEST_P(SpanWalk, TypingSizingAndHidingShowWhatAPaintShows) {
  using namespace UiAutomation;
  for (WORD mode : {1, 2}) {
    Fill(mode);
    std::mt19937 rng(24);
    std::string played = "mode " + std::to_string(mode) + ":";
    for (int step = 0; step < 30; ++step) {
      const ROWCOL r = 1 + rng() % 11, c = 2 + rng() % 6;
      const unsigned kind = rng() % 5, pick = rng();
      const CRect cell = grid.CalcRectFromRowCol(r, c), rowHeader = grid.CalcRectFromRowCol(r, 0),
                  colHeader = grid.CalcRectFromRowCol(0, c);
      switch (kind) {
        case 0: {
          const char* texts[] = {"same\n", "A rather long text that floats\n", "x\n"};
          Click(grid.m_hWnd, cell.CenterPoint());
          TypeText(texts[pick % 3]);
          break;
        }
        case 1: {  // a row's lower border dragged, up to a tall row
          const LONG x = rowHeader.CenterPoint().x;
          Drag(grid.m_hWnd, CPoint(x, rowHeader.bottom - 1), CPoint(x, rowHeader.top + 2 + (LONG)(pick % 60)));
          break;
        }
        case 2: {
          const LONG y = colHeader.CenterPoint().y;
          Drag(grid.m_hWnd, CPoint(colHeader.right - 1, y), CPoint(colHeader.left + 2 + (LONG)(pick % 120), y));
          break;
        }
        case 3: grid.HideRows(r, r, !grid.IsRowHidden(r)); break;
        default: grid.HideCols(c, c, !grid.IsColHidden(c)); break;
      }
      played += " " + std::to_string(kind) + ":" + std::to_string(r) + "," + std::to_string(c);
      ASSERT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd)) << played;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Defaults, SpanWalk, ::testing::Bool(), dravonix::test::LibraryDefaultsName);
