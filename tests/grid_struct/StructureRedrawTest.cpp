// Rows and columns inserted or removed on screen move the pixels below them and repaint only what
// opens, and the picture ends as a full repaint would draw it.
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Module.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CCountingGrid : public ZAZAzedAze {
 public:
  void DrawCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const RECT& rect, CGXStyle* pStyle) override {
    ++cells;
    ZAZAzedAze::DrawCell(pDC, nRow, nCol, rect, pStyle);
  }
  int cells = 0;
};

class GridStructureRedraw : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)(UINT_PTR)(COLOR_WINDOW + 1)), "", WS_POPUP | WS_VISIBLE,
                    CRect(0, 0, 640, 480), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | WS_VISIBLE,
                            CRect(0, 0, 600, 400), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->EnableUndo(FALSE);
    grid.SetRowCount(40);
    grid.SetColCount(12);
    for (ROWCOL r = 1; r <= 40; ++r)
      for (ROWCOL c = 1; c <= 12; c += 3)
        grid.SetRangeValueText(CGXRange().SetCellRange(r, c, r, c), (std::to_string(r) + "/" + std::to_string(c)).c_str());
    ::PumpMessages();
    ::UpdateWindow(grid.m_hWnd);
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  std::vector<COLORREF> Picture() {
    std::vector<COLORREF> px;
    for (int y = 0; y < 400; y += 2)
      for (int x = 0; x < 600; x += 3) px.push_back(GetWindowPixel(grid.m_hWnd, POINT{x, y}));
    return px;
  }
  CWnd parent;
  CCountingGrid grid;
};

}  // namespace

TEST_F(GridStructureRedraw, InsertedAndRemovedBandsScrollThePixelsBelow) {
  // A full repaint draws every cell on screen.
  grid.cells = 0;
  grid.Invalidate();
  ::UpdateWindow(grid.m_hWnd);
  const int all = grid.cells;
  struct Case {
    const char* what;
    std::function<void()> change;
  } cases[] = {
      {"insert rows", [&] { grid.InsertRows(3, 2); }},
      {"remove rows", [&] { grid.RemoveRows(3, 4); }},
      {"insert columns", [&] { grid.InsertCols(2, 1); }},
      {"remove columns", [&] { grid.RemoveCols(2, 2); }},
  };
  for (const Case& c : cases) {
    grid.cells = 0;
    c.change();
    ::UpdateWindow(grid.m_hWnd);
    EXPECT_LT(grid.cells, all / 2) << c.what;  // the band that opened and the numbered headers only
    const std::vector<COLORREF> scrolled = Picture();
    grid.Invalidate();
    ::UpdateWindow(grid.m_hWnd);
    EXPECT_EQ(scrolled, Picture()) << c.what;
  }
}
