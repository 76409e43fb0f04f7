// The static cell: text margins from the system frame width, drawing, black-and-white printing,
// measuring and floating consent.
#include "grid/controls/GXStatic.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include "tests/support/GridHostWnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

namespace {

class StaticCell : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 120), nullptr, 0);
    grid.m_pGridWnd = &wnd;
    wnd.grid = &grid;
    ASSERT_TRUE(grid.Initialize());
    grid.GetParam()->GetData()->SetRowCount(3);
    grid.GetParam()->GetData()->SetColCount(3);
    cell = new CGXStatic(&grid);
    grid.RegisterControl(52513, cell, FALSE, FALSE);
    PumpMessages();
  }
  void TearDown() override {
    ResetSystemMetricsValues();
    wnd.DestroyWindow();
  }
  void Put(ROWCOL r, ROWCOL c, const char* text, COLORREF color) {
    CGXStyle s;
    s.SetControl(52513).SetValue(text).SetTextColor(color);
    grid.GetParam()->GetData()->StoreStyleAt(r, c, &s, 2);
  }
  // Pixels inside the cell close to a colour (text edges are smoothed).
  int Count(ROWCOL r, ROWCOL c, COLORREF color) {
    const CRect rect = grid.CalcRectFromRowCol(r, c);
    auto near = [](int a, int b) { return a > b - 70 && a < b + 70; };
    int n = 0;
    for (int y = rect.top + 1; y < rect.bottom - 1; ++y)
      for (int x = rect.left + 1; x < rect.right - 1; ++x) {
        const COLORREF p = GetWindowPixel(wnd.m_hWnd, POINT{x, y});
        n += near(GetRValue(p), GetRValue(color)) && near(GetGValue(p), GetGValue(color)) &&
             near(GetBValue(p), GetBValue(color));
      }
    return n;
  }
  void Repaint() {
    wnd.Invalidate(FALSE);
    PumpMessages();
  }
  CGridHostWnd wnd;
  CGXGridCore grid;
  CGXStatic* cell = nullptr;
};

TEST_F(StaticCell, MarginsFollowTheFrameWidth) {
  const struct {
    int frame, margin;
  } cases[] = {{4, 2}, {5, 2}, {8, 4}, {1, 2}};
  CGXControl plain(&grid);
  const CRect cellRect(10, 10, 110, 30);
  for (const auto& c : cases) {
    SetSystemMetricsValue(SM_CXFRAME, c.frame);
    EXPECT_EQ(CGXStatic::GetTextMargin(), c.margin) << c.frame;
    CGXStyle style;
    CRect base, left, right;
    plain.GetCellInnerRect(base, 1, 1, &cellRect, &style);
    cell->GetCellInnerRect(left, 1, 1, &cellRect, &style);
    style.SetHorizontalAlignment(DT_RIGHT);
    cell->GetCellInnerRect(right, 1, 1, &cellRect, &style);
    EXPECT_EQ(left.left, base.left + c.margin);
    EXPECT_EQ(left.right, base.right - c.margin / 2);
    EXPECT_EQ(right.right, base.right - (c.margin + 1));
    EXPECT_EQ(cell->GrowSizeByBorders(CSize(0, 0), CGXStyle()).cx,
              plain.GrowSizeByBorders(CSize(0, 0), CGXStyle()).cx + 2 * c.margin + 1);
  }
}

TEST_F(StaticCell, DrawsTextAndPrintsBlackOnWhite) {
  Put(1, 1, "WWWW", RGB(255, 0, 0));
  Repaint();
  SaveWindowImage(&wnd, dravonix::test::OutputPath("grid_static.png").c_str());
  EXPECT_GT(Count(1, 1, RGB(255, 0, 0)), 10);
  CGXProperties* props = grid.GetParam()->GetProperties();
  props->SetPrinting(TRUE);  // black and white while printing
  grid.FreeObjectCache();
  Repaint();
  EXPECT_GT(Count(1, 1, RGB(0, 0, 0)), 10);
  EXPECT_EQ(Count(1, 1, RGB(255, 0, 0)), 0);
  props->SetPrinting(FALSE);

  // A cell of one pixel shows no text.
  CClientDC dc(&wnd);
  CGXStyle style;
  style.SetValue("WWWW").SetTextColor(RGB(0, 0, 255));
  const CRect r3 = grid.CalcRectFromRowCol(3, 1);
  cell->Draw(&dc, CRect(r3.left, r3.top, r3.left + 1, r3.bottom), 3, 1, style, nullptr);
  EXPECT_EQ(Count(3, 1, RGB(0, 0, 255)), 0);
  cell->Draw(&dc, r3, 3, 1, style, nullptr);
  EXPECT_GT(Count(3, 1, RGB(0, 0, 255)), 10);
}

TEST_F(StaticCell, MeasuresAndConsentsToFloat) {
  CClientDC dc(&wnd);
  CGXStyle style;
  style.SetValue("ab");
  const CSize two = cell->CalcSize(&dc, 1, 1, style);
  style.SetValue("abab\r\nab");
  const CSize lines = cell->CalcSize(&dc, 1, 1, style);
  style.SetValue("abab");
  EXPECT_EQ(lines.cx, cell->CalcSize(&dc, 1, 1, style).cx);  // the widest line
  EXPECT_GT(lines.cx, two.cx);
  style.SetValue("");
  EXPECT_GT(cell->CalcSize(&dc, 1, 1, style, nullptr, TRUE).cy, 1);
  EXPECT_TRUE(cell->CanFloatCell(1, 1, CGXStyle().SetValue("x"), TRUE));
  EXPECT_FALSE(cell->CanFloatCell(1, 1, CGXStyle().SetValue("x"), FALSE));
  EXPECT_TRUE(cell->CanFloatCell(1, 1, CGXStyle(), FALSE));
  EXPECT_FALSE(CGXControl(&grid).CanFloatCell(1, 1, CGXStyle(), FALSE));
  CGXControl* made = GXGetLibraryData().m_pControlFactory->CreateControl(52513, &grid);
  ASSERT_NE(made, nullptr);
  EXPECT_STREQ(made->GetControlClassName(), "CGXStatic");
  delete made;
}

// A text naming a pool bitmap shows the bitmap (here the 9 x 9 node image, grey frame on white) and
// is measured by it; an edit cell shows the text itself.
TEST_F(StaticCell, PoolBitmapIsDrawnAndMeasuredInsteadOfItsName) {
  Put(1, 1, "#BMP(14004)", RGB(0, 0, 0));
  Repaint();
  CRect inner;
  const CRect rect = grid.CalcRectFromRowCol(1, 1);
  cell->GetCellInnerRect(inner, 1, 1, &rect);
  EXPECT_EQ(RGB(128, 128, 128), GetWindowPixel(wnd.m_hWnd, inner.TopLeft()));
  EXPECT_EQ(RGB(255, 255, 255), GetWindowPixel(wnd.m_hWnd, inner.TopLeft() + CPoint(4, 4)));
  EXPECT_EQ(0, Count(1, 1, RGB(0, 0, 0)));
  CClientDC dc(&wnd);
  CGXStyle style;
  style.SetValue("#BMP(14004)");
  EXPECT_EQ(cell->CGXControl::GrowSizeByBorders(CSize(9, 9), style), cell->CalcSize(&dc, 1, 1, style));
  CGXControl* edit = GXGetLibraryData().m_pControlFactory->CreateControl(52512, &grid);
  ASSERT_NE(edit, nullptr);
  EXPECT_GT(edit->CalcSize(&dc, 1, 1, style).cx, 40);
  delete edit;
}

}  // namespace
