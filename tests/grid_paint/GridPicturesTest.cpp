// A grid window as a user sees it: the pixels of spanned cells after scrolling and edits, and zoom.
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridWnd.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"

#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using dravonix::test::OutputPath;

namespace {

class GridPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 640, 400), nullptr, 0);
    ASSERT_TRUE(grid.Create(CGXGridWnd::RegisterClass(AfxGetInstanceHandle()), "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 640, 400), &parent, 3));
    ASSERT_TRUE(grid.Initialize());
    grid.SetRowCount(300);
    grid.SetColCount(12);
    CGXData& data = *grid.GetParam()->GetData();
    for (ROWCOL r = 1; r <= 150; ++r)
      for (ROWCOL c = 1; c <= 6; ++c) {
        CGXStyle s;
        CString value;
        value.Format("R%luC%lu", (unsigned long)r, (unsigned long)c);
        s.SetValue(value);
        data.StoreStyleAt(r, c, &s, 0, 0);
      }
    ::PumpMessages();
  }
  void TearDown() override {
    grid.DestroyWindow();
    parent.DestroyWindow();
  }
  std::vector<COLORREF> Pixels(const CRect& r) {
    std::vector<COLORREF> out;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) out.push_back(GetWindowPixel(grid.m_hWnd, POINT{x, y}));
    return out;
  }
  // The window painted over a blank (or any other) surface.
  void PaintOver(COLORREF under) {
    CRect client;
    grid.GetClientRect(&client);
    CClientDC(&grid).FillSolidRect(&client, under);
    grid.Invalidate(FALSE);
    ::PumpMessages();
  }
  void Scroll(UINT code, int times) {
    for (int i = 0; i < times; ++i) PostInputMessage(grid.m_hWnd, WM_VSCROLL, code, 0);
    ::PumpMessages();
  }
  CWnd parent;
  CGXGridWnd grid;
};

}  // namespace

TEST_F(GridPictures, SpannedCellsPaintTheirWholeBackground) {
  CGXStyle block;
  block.SetValue("covered green").SetInterior(RGB(0, 200, 0));
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &block);
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(3, 2, 5, 4));
  const CRect area = grid.CalcRectFromRowColEx(3, 2, 5, 4);
  PaintOver(RGB(255, 255, 255));
  const std::vector<COLORREF> fresh = Pixels(area);
  SaveWindowImage(&grid, OutputPath("grid_covered_fresh.png").c_str());
  struct Step {
    const char* what;
    std::function<void()> act;
  } steps[] = {
      {"painted over another colour", [&] { PaintOver(RGB(255, 0, 255)); }},
      {"repainted three times", [&] { for (int i = 0; i < 3; ++i) grid.Invalidate(FALSE), ::PumpMessages(); }},
      {"scrolled away and back", [&] { Scroll(SB_PAGEDOWN, 6), Scroll(SB_PAGEUP, 6); }},
      {"scrolled a line down and up", [&] { Scroll(SB_LINEDOWN, 1), Scroll(SB_LINEUP, 1); }},
  };
  for (const Step& s : steps) {
    s.act();
    ASSERT_EQ(1u, grid.GetTopRow()) << s.what;
    EXPECT_TRUE(fresh == Pixels(area)) << s.what;
  }
  SaveWindowImage(&grid, OutputPath("grid_covered_scrolled.png").c_str());
  // A shorter value: what the cell shows is what a fresh paint of it shows.
  block.SetValue("x");
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &block);
  ::PumpMessages();
  const std::vector<COLORREF> shorter = Pixels(area);
  PaintOver(RGB(255, 255, 255));
  EXPECT_TRUE(shorter == Pixels(area));
  EXPECT_FALSE(fresh == shorter);
}
