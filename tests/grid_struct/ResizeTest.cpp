// Hit testing of boundaries and the tracking cycle that resizes columns and rows.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/MessageQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

class GridResize : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(10);
    grid.GetParam()->GetData()->SetColCount(10);
    grid.SetGridRect(TRUE, CRect(0, 0, 800, 600));
  }
  // Drags column 3's right edge so that the column would be `width` wide.
  int Drag(LONG width) {
    EXPECT_TRUE(grid.OnStartTracking(0, 3, 2));
    CSize size(width, 0);
    grid.OnMoveTracking(0, 3, 2, size);
    grid.OnEndTracking(0, 3, 2, size);
    return grid.GetColWidth(3);
  }
  CGXGridCore grid;
};

}  // namespace

TEST_F(GridResize, BoundariesUnderThePointer) {
  const CRect c3 = grid.CalcRectFromRowCol(0, 3);
  const int y = c3.top + 2;
  ROWCOL row = 99, col = 99;
  struct Case {
    int dx, code;
  } cases[] = {{4, 1}, {-4, 1}, {5, 4}, {-5, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dx);
    EXPECT_EQ(grid.HitTest(CPoint(c3.right + c.dx, y), &row, &col), c.code);
    if (c.code == 1) {
      EXPECT_EQ(col, 3u);
    }
  }
  // Between cells only with bit 0x0004; a cell there is code 3.
  EXPECT_EQ(grid.HitTest(CPoint(c3.right, grid.CalcRectFromRowCol(2, 3).top + 5)), 3);
  // A left edge grabs the nearest visible column before it.
  grid.HideCols(4, 4);
  const CRect c5 = grid.CalcRectFromRowCol(0, 5);
  EXPECT_EQ(grid.HitTest(CPoint(c5.left + 2, y), &row, &col), 1);
  EXPECT_EQ(col, 3u);
  EXPECT_EQ(grid.HitTest(CPoint(900, y)), 0);
}

TEST_F(GridResize, TrackingSetsTheSize) {
  const int width = grid.GetColWidth(3);
  EXPECT_EQ(Drag(width + 30), width + 30);
  EXPECT_EQ(Drag(width + 31), width + 30);  // a one-pixel move changes nothing
  EXPECT_EQ(Drag(0), 0);
  EXPECT_TRUE(grid.IsColHidden(3));
  grid.HideCols(3, 3, FALSE);
  grid.SelectRange(CGXRange().SetWholeTable());
  const int w3 = grid.GetColWidth(3);
  Drag(w3 + 20);
  EXPECT_EQ(grid.GetColWidth(5), w3 + 20);
  EXPECT_EQ(grid.GetDefaultColWidth(), w3 + 20);
}

TEST_F(GridResize, ContextCursor) {
  const CRect c3 = grid.CalcRectFromRowCol(0, 3);
  const CPoint edge(c3.right, c3.top + 2);
  grid.UpdateContextCursor(edge);
  const HCURSOR resize = GetCursor();
  grid.UpdateContextCursor(edge);  // the same id twice is loaded once
  EXPECT_EQ(GetCursor(), resize);
  grid.SetForcedCursor(23203);
  const HCURSOR forced = GetCursor();
  EXPECT_NE(forced, resize);
  EXPECT_NE(forced, LoadCursor(nullptr, IDC_ARROW));  // the library's own cursor, not the fallback
  grid.UpdateContextCursor(edge);
  EXPECT_EQ(GetCursor(), forced);
  grid.SetForcedCursor(0);
  grid.UpdateContextCursor(edge);
  EXPECT_NE(GetCursor(), forced);
  // With column-width tracking off the boundary shows the default cursor.
  grid.GetParam()->m_wAllowTrackColWidth = 0;
  grid.GetParam()->m_wAllowSelection = 0;
  grid.UpdateContextCursor(edge);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  grid.GetParam()->m_wAllowTrackColWidth = 0x00B2;
}

// The last row and column shown, walked through scrolling, sizes, counts and frozen rows against a model
// that adds up the sizes from the grid area's top (left) edge.
TEST_F(GridResize, TheLastVisibleRowAndColumnFollowTheLayout) {
  auto model = [&](bool rows, BOOL& beyond) {
    CRect g;
    grid.GetGridRect(&g);
    const ROWCOL count = rows ? grid.GetRowCount() : grid.GetColCount();
    const ROWCOL frozen = rows ? grid.GetFrozenRows() : grid.GetFrozenCols();
    const ROWCOL first = rows ? grid.GetTopRow() : grid.GetLeftCol();
    LONG edge = rows ? g.top : g.left;
    const LONG end = rows ? g.bottom : g.right;
    beyond = FALSE;
    for (ROWCOL i = 0; i <= count; i = i == frozen ? std::max(first, frozen + 1) : i + 1) {
      edge += rows ? grid.GetRowHeight(i) : grid.GetColWidth(i);
      if (edge > end) return i;
    }
    beyond = TRUE;
    return count;
  };
  std::mt19937 rnd(7);
  std::string log;
  for (int step = 0; step < 300; ++step) {
    const ROWCOL n = 1 + rnd() % 10;
    switch (rnd() % 6) {
      case 0: log += " top" + std::to_string(n), grid.SetTopRow(std::min(n, grid.GetRowCount())); break;
      case 1: log += " left" + std::to_string(n), grid.SetLeftCol(std::min(n, grid.GetColCount())); break;
      case 2: log += " height" + std::to_string(n), grid.SetRowHeight(n, n, 20 + 30 * (int)(rnd() % 4)); break;
      case 3: log += " width" + std::to_string(n), grid.SetColWidth(n, n, 40 + 90 * (int)(rnd() % 4)); break;
      case 4: log += " rows" + std::to_string(n + 8), grid.SetRowCount(n + 8); break;
      default: log += " frozen" + std::to_string(n % 3), grid.SetFrozenRows(n % 3), grid.SetFrozenCols(n % 3); break;
    }
    for (bool rows : {true, false}) {
      BOOL beyond = 2, expected = 2;
      const ROWCOL last = rows ? grid.GetLastVisibleRow(&beyond) : grid.GetLastVisibleCol(&beyond);
      ASSERT_EQ(model(rows, expected), last) << (rows ? "row" : "col") << log;
      ASSERT_EQ(expected, beyond) << (rows ? "row" : "col") << log;
    }
  }
}
