// A grid window as a user sees it: the pixels of spanned cells after scrolling and edits, and zoom.
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Module.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"

#include "platform/ui/Clipboard.h"

#include "tests/support/ArchiveBytes.h"
#include "tests/support/BarPresses.h"
#include "tests/support/TestKernel.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

using dravonix::test::OutputPath;

namespace {

// The grid's own clipboard format holding one cell: 1 x 1, then the array of styles.
void PutBlockOnClipboard(CGXStyle& style) {
  const auto bytes = dravonix::test::StoreBytes([&](CArchive& ar) {
    CObArray array;
    array.Add(&style);
    ar << DWORD(1) << DWORD(1) << static_cast<const CObject*>(&array);
  });
  HGLOBAL h = GlobalAlloc(GHND, bytes.size());
  memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ::SetClipboardData(GXGetLibraryData().m_nClipboardFormat, h);
  ::CloseClipboard();
}

class GridPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    GXStartGridLibrary();
    parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 640, 400), nullptr, 0);
    ASSERT_TRUE(grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "",
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
  std::vector<COLORREF> Pixels(const CRect& r) { return dravonix::test::WindowPixels(grid.m_hWnd, r); }
  // The window painted over a blank (or any other) surface.
  void PaintOver(COLORREF under) {
    CRect client;
    grid.GetClientRect(&client);
    CClientDC(&grid).FillSolidRect(&client, under);
    grid.Invalidate(FALSE);
    ::PumpMessages();
  }
  // The height of the text (dark pixels) in a rectangle of the window, or of what pixel reads.
  int InkHeight(const CRect& r) {
    return InkHeight(r, [&](int x, int y) { return GetWindowPixel(grid.m_hWnd, POINT{x, y}); });
  }
  static int InkHeight(const CRect& r, const std::function<COLORREF(int, int)>& pixel) {
    int top = -1, bottom = -1;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = pixel(x, y);
        if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) {
          if (top < 0) top = y;
          bottom = y + 1;
          break;
        }
      }
    return top < 0 ? 0 : bottom - top;
  }
  // What the printer's character size and row breaks come to.
  std::pair<int, std::vector<DWORD>> PrintLayout() {
    CDC printer;
    EXPECT_TRUE(printer.CreateDC(GetPrinterDriverName(), GetPrinterDeviceName(), nullptr, nullptr));
    CPrintInfo info;
    grid.OnBeginPrinting(&printer, &info);
    std::vector<DWORD> breaks;
    for (INT_PTR i = 0; i < grid.m_awRowBreaks.GetSize(); ++i) breaks.push_back(grid.m_awRowBreaks[i]);
    grid.OnEndPrinting(&printer, &info);
    return {grid.m_nPrintCharHeight, breaks};
  }
  // The height of a text written with a font on white.
  int InkHeightWith(CFont* font, const char* text) {
    CClientDC screen(&grid);
    CDC mem;
    CBitmap bitmap;
    mem.CreateCompatibleDC(&screen);
    bitmap.CreateCompatibleBitmap(&screen, 200, 100);
    CBitmap* oldBitmap = mem.SelectObject(&bitmap);
    mem.FillSolidRect(0, 0, 200, 100, RGB(255, 255, 255));
    CFont* oldFont = mem.SelectObject(font);
    mem.SetTextColor(RGB(0, 0, 0));
    mem.TextOut(4, 4, text);
    const int height = InkHeight(CRect(0, 0, 200, 100), [&](int x, int y) { return mem.GetPixel(x, y); });
    mem.SelectObject(oldFont);
    mem.SelectObject(oldBitmap);
    return height;
  }
  void Scroll(UINT code, int times) {
    const dravonix::test::BarPress part = code == SB_PAGEDOWN ? dravonix::test::kPageBelow : code == SB_PAGEUP ? dravonix::test::kPageAbove
                          : code == SB_LINEDOWN ? dravonix::test::kDownArrow : dravonix::test::kUpArrow;
    for (int i = 0; i < times; ++i) dravonix::test::bars::Press(grid.m_hWnd, part);
  }
  CWnd parent;
  ZAZAzedAze grid;
};

}  // namespace

TEST_F(GridPictures, SpannedCellsPaintTheirWholeBackground) {
  // A covered block and a block of merged cells, both green.
  CGXStyle block;
  block.SetValue("covered green").SetInterior(RGB(0, 200, 0));
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &block);
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(3, 2, 5, 4));
  grid.SetMergeCellsMode(2);
  CGXStyle merged(block);
  merged.SetValue("merged green").SetMergeCell(1);
  grid.SetStyleRange(CGXRange().SetCellRange(8, 2, 8, 4), &merged);
  const CRect area = grid.CalcRectFromRowColEx(3, 2, 8, 4);
  PaintOver(RGB(255, 255, 255));
  CGXRange span;
  ASSERT_TRUE(grid.GetMergedCellsRowCol(8, 3, span));
  ASSERT_EQ(CGXRange().SetCellRange(8, 2, 8, 4), span);
  const std::vector<COLORREF> fresh = Pixels(area);
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
  SaveWindowImage(&grid, OutputPath("grid_spans_scrolled.png").c_str());
  // Shorter values: what the cells show is what a fresh paint of them shows.
  block.SetValue("x");
  grid.SetStyleRange(CGXRange().SetCellRange(3, 2, 3, 2), &block);
  merged.SetValue("x");
  grid.SetStyleRange(CGXRange().SetCellRange(8, 2, 8, 4), &merged);
  ::PumpMessages();
  const std::vector<COLORREF> shorter = Pixels(area);
  PaintOver(RGB(255, 255, 255));
  EXPECT_TRUE(shorter == Pixels(area));
  EXPECT_FALSE(fresh == shorter);
}

TEST_F(GridPictures, ZoomScalesSizesAndTextAndTheEditFollows) {
  PaintOver(RGB(255, 255, 255));
  const int row = grid.GetDefaultRowHeight(), col = grid.GetDefaultColWidth();
  const int header = InkHeight(grid.CalcRectFromRowCol(0, 2)), cell = InkHeight(grid.CalcRectFromRowCol(1, 2));
  const auto printed = PrintLayout();
  ASSERT_GT(header, 5);
  ASSERT_GT(cell, 5);
  grid.SetZoom(200);
  ::PumpMessages();
  SaveWindowImage(&grid, OutputPath("grid_zoom_200.png").c_str());
  // Twice as large, give or take how the doubled font rounds its own metrics.
  EXPECT_NEAR(grid.GetDefaultRowHeight(), 2 * row, 2 * row / 10 + 1);
  EXPECT_NEAR(grid.GetDefaultColWidth(), 2 * col, 2 * col / 10 + 1);
  EXPECT_NEAR(InkHeight(grid.CalcRectFromRowCol(0, 2)), 2 * header, 1);
  EXPECT_NEAR(InkHeight(grid.CalcRectFromRowCol(1, 2)), 2 * cell, 1);
  // An edit started in a cell writes with the font the cell is drawn with.
  const int drawn = InkHeight(grid.CalcRectFromRowCol(1, 3));
  ASSERT_TRUE(grid.SetCurrentCell(1, 3));
  PostKeyInput(WM_KEYDOWN, VK_END, 1);  // End starts editing at the text's end
  ::PumpMessages();
  auto* edit = dynamic_cast<CGXEditControl*>(grid.GetCurrentCellControl());
  ASSERT_TRUE(edit && edit->IsActive());
  EXPECT_EQ(drawn, InkHeightWith(CFont::FromHandle((HFONT)edit->SendMessage(WM_GETFONT)), "R1C3"));
  // Printing (which ends the edit) stays at 100 %; the zoom goes back as it came.
  EXPECT_EQ(printed, PrintLayout());
  EXPECT_FALSE(edit->IsActive());
  grid.SetZoom(100);
  ::PumpMessages();
  EXPECT_EQ(row, grid.GetDefaultRowHeight());
  EXPECT_EQ(col, grid.GetDefaultColWidth());
  EXPECT_EQ(header, InkHeight(grid.CalcRectFromRowCol(0, 2)));
  EXPECT_EQ(cell, InkHeight(grid.CalcRectFromRowCol(1, 2)));
}

TEST_F(GridPictures, APastedBlockWithAFontTallerThanAnyIsRefusedAndTheZoomedPaintStaysClean) {
  // A block whose font height is damaged.
  CGXStyle crafted;
  crafted.SetValue("big").SetFont(CGXFont().SetHeight(1325400052));
  PutBlockOnClipboard(crafted);
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  EXPECT_FALSE(grid.Paste());
  EXPECT_EQ(grid.GetValueRowCol(2, 2), "R2C2");
  grid.SetZoom(200);
  PaintOver(RGB(255, 255, 255));
  EXPECT_GT(InkHeight(grid.CalcRectFromRowCol(2, 2)), 5);
  ResetClipboard();
}

TEST_F(GridPictures, APastedDibPatternBrushIsPaintedSolid) {
  // The pattern's hatch is the address of its bits in the process that wrote the block.
  CGXStyle crafted;
  crafted.SetValue("dib").SetInterior(CGXBrushValue(BS_DIBPATTERNPT, RGB(0, 200, 0), 0x4F000000));
  PutBlockOnClipboard(crafted);
  ASSERT_TRUE(grid.SetCurrentCell(2, 2));
  EXPECT_TRUE(grid.Paste());
  EXPECT_EQ(grid.GetValueRowCol(2, 2), "dib");
  CGXStyle pasted;
  grid.ComposeStyleRowCol(2, 2, &pasted);
  EXPECT_EQ(pasted.GetInterior().GetStyle(), (UINT)BS_SOLID);
  EXPECT_EQ(pasted.GetInterior().GetHatch(), 0u);
  EXPECT_EQ(pasted.GetInterior().GetColor(), RGB(0, 200, 0));
  grid.SetCurrentCell(5, 5);
  PaintOver(RGB(255, 255, 255));
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  EXPECT_EQ(GetWindowPixel(grid.m_hWnd, POINT{cell.right - 4, cell.top + 3}), RGB(0, 200, 0));
  ResetClipboard();
}

TEST_F(GridPictures, ZoomedFontHeightsScaleWideAndStayInIntRange) {
  const struct {
    LONG height;
    int zoom;
    LONG want;
  } cases[] = {
      {-11, 200, -22},
      {10737419, 200, 21474838},  // the product passes the int range, the height does not
      {1325400052, 200, INT32_MAX},
      {-1325400052, 200, -INT32_MAX},
      {-11, 50, -5},
  };
  CClientDC dc(&grid);
  for (const auto& c : cases) {
    grid.SetZoom(c.zoom);  // its redraw frees the grid's fonts: none may stay selected
    CFont* old = dc.GetCurrentFont();
    CGXStyle style;
    style.SetFont(CGXFont().SetHeight(c.height));
    grid.SelectCellFont(&dc, style);
    LOGFONT lf{};
    dc.GetCurrentFont()->GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, c.want) << c.height << " at " << c.zoom;
    dc.SelectObject(old);
  }
}

TEST_F(GridPictures, RowHeadersAreDrawnPressedWhileTheirRowsAreSelectedWithTheMouse) {
  // A pressed header has a dark line at its right edge, an unpressed one a light line just left
  // of it; a selected header shows both inverted, so each is told from the header's own face.
  const auto pressed = [&](ROWCOL row) {
    const CRect r = grid.CalcRectFromRowCol(row, 0);
    const auto at = [&](int x) { return GetWindowPixel(grid.m_hWnd, POINT{x, r.CenterPoint().y}); };
    const COLORREF face = at(r.right - 8);
    return at(r.right - 1) != face && at(r.right - 2) == face;
  };
  const auto post = [&](UINT msg, WPARAM flags, ROWCOL row) {
    const CPoint pt = grid.CalcRectFromRowCol(row, 0).CenterPoint();
    PostMouseInput(grid.m_hWnd, msg, flags, pt);
  };
  grid.m_bAutoScroll = FALSE;  // the press only captures, so the picture can be read between the messages
  for (ROWCOL row = 5; row <= 10; ++row) EXPECT_FALSE(pressed(row)) << row;
  post(WM_LBUTTONDOWN, MK_LBUTTON, 6);
  for (ROWCOL row = 7; row <= 9; ++row) post(WM_MOUSEMOVE, MK_LBUTTON, row);
  ::PumpMessages();
  for (ROWCOL row = 5; row <= 10; ++row) EXPECT_EQ(pressed(row), row >= 6 && row <= 9) << "dragging " << row;
  post(WM_MOUSEMOVE, MK_LBUTTON, 7);  // back: 8 and 9 leave the selection
  ::PumpMessages();
  for (ROWCOL row = 5; row <= 10; ++row) EXPECT_EQ(pressed(row), row >= 6 && row <= 7) << "back " << row;
  post(WM_LBUTTONUP, 0, 7);
  ::PumpMessages();
  // Afterwards only the header of the current cell's row is pressed (none while a header cell is current).
  ROWCOL cr = 0, cc = 0;
  ASSERT_TRUE(grid.GetCurrentCell(cr, cc));
  for (ROWCOL row = 5; row <= 10; ++row)
    EXPECT_EQ(pressed(row), row == cr && cc > grid.GetHeaderCols()) << "released " << row;
}

TEST_F(GridPictures, AColumnsNewWidthDecidesAgainHowFarItsTextFloats) {
  // Rows from 151 on hold nothing, so a text in column B may float over C and D.
  grid.SetFloatCellsMode(1, FALSE);
  grid.SetTopRow(155);
  const ROWCOL empty = 175;
  const auto strip = [&](ROWCOL row, ROWCOL from, ROWCOL to) {
    const CRect a = grid.CalcRectFromRowCol(row, from), b = grid.CalcRectFromRowCol(row, to);
    CRect client;  // not the scroll bar beside the cells, whose thumb shows where the grid is
    grid.GetClientRect(&client);
    return Pixels(CRect(a.left, a.top, b.right, a.bottom) & client);
  };
  struct Case {
    bool drag;  // by the column's edge, else by the program
    int from, to;
    ROWCOL floatsTo;  // 0: the text stays in B
  } cases[] = {{false, 90, 320, 0}, {false, 320, 100, 4}, {true, 90, 320, 0}, {true, 320, 100, 4}};
  ROWCOL row = 158;
  for (const Case& c : cases) {
    row += 3;
    grid.SetColWidth(2, 2, c.from);
    grid.SetStyleRange(CGXRange().SetCellRange(row, 2, row, 2),
                       &CGXStyle().SetValue("A rather long text that floats over C and D"));
    ::PumpMessages();
    CGXRange span;
    ASSERT_EQ(grid.GetFloatedCellsRowCol(row, 2, span), c.from < 100) << c.from;
    if (c.drag) {
      const CRect header = grid.CalcRectFromRowCol(0, 2);
      const CPoint edge(header.right, header.top + 2), to(header.right + c.to - c.from, header.top + 2);
      PostMouseInput(grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, POINT{edge.x, edge.y});
      PostMouseInput(grid.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, POINT{to.x, to.y});
      PostMouseInput(grid.m_hWnd, WM_LBUTTONUP, 0, POINT{to.x, to.y});
    } else {
      grid.SetColWidth(2, 2, c.to);
    }
    ::PumpMessages();
    ASSERT_NEAR(grid.GetColWidth(2), c.to, 1) << c.drag;  // the drag line may sit a pixel off the edge
    span = CGXRange();
    const BOOL floats = grid.GetFloatedCellsRowCol(row, 2, span);
    EXPECT_EQ(floats ? span.m_nRight : 0, c.floatsTo) << c.drag << " " << c.to;
    // Floating, the text goes on over C instead of being cut at B's edge; not floating, C and D show
    // as empty cells again, grid lines and all.
    if (c.floatsTo) EXPECT_FALSE(strip(row, 3, 3) == strip(empty, 3, 3)) << c.drag << " " << c.to;
    else EXPECT_TRUE(strip(row, 3, 4) == strip(empty, 3, 4)) << c.drag << " " << c.to;
  }
  // A new default width decides it for the columns without a width of their own (A here).
  row += 3;
  grid.SetStyleRange(CGXRange().SetCellRange(row, 1, row, 1), &CGXStyle().SetValue("A text longer than column A"));
  ::PumpMessages();
  CGXRange span;
  ASSERT_TRUE(grid.GetFloatedCellsRowCol(row, 1, span));
  grid.SetDefaultColWidth(320);
  ::PumpMessages();
  EXPECT_FALSE(grid.GetFloatedCellsRowCol(row, 1, span));
  EXPECT_TRUE(strip(row, 2, 2) == strip(empty, 2, 2));
}

TEST_F(GridPictures, TheColumnsRightOfAResizedOneShowAtTheirNewPlaces) {
  // The window moves its pixels instead of painting anew; what it shows must be what a paint shows
  // (the header and the first rows across the whole width).
  CRect band;
  grid.GetClientRect(&band);
  band.bottom = grid.CalcRectFromRowCol(4, 1).bottom;
  PaintOver(RGB(255, 0, 255));
  const int widths[] = {320, 100, 250, 40};
  for (int w : widths) {
    grid.SetColWidth(2, 2, w);
    ::PumpMessages();
    const std::vector<COLORREF> moved = Pixels(band);
    PaintOver(RGB(255, 0, 255));
    EXPECT_TRUE(moved == Pixels(band)) << "B at " << w;
  }
}

TEST_F(GridPictures, StoringCellsRepaintsThemAndTheSpansTheyMakeOrEnd) {
  grid.SetFloatCellsMode(1, FALSE);
  grid.SetTopRow(155);  // rows from 151 on are empty: texts may float there
  ASSERT_TRUE(grid.SetCoveredCellsRowCol(165, 2, 166, 3));
  PaintOver(RGB(255, 0, 255));
  CRect band;
  grid.GetClientRect(&band);
  band.top = grid.CalcRectFromRowCol(159, 1).top, band.bottom = grid.CalcRectFromRowCol(172, 1).bottom;
  const CString longText = "A rather long text that floats over C and D";
  struct Case {
    CGXRange range;
    const char* value;
    CGXRange repainted;
  } cases[] = {
      {CGXRange().SetCellRange(160, 2, 160, 2), "x", CGXRange().SetCellRange(160, 2, 160, 2)},
      {CGXRange().SetCellRange(162, 2, 162, 2), longText, CGXRange().SetCellRange(162, 2, 162, 4)},  // floats from now
      {CGXRange().SetCellRange(162, 2, 162, 2), "x", CGXRange().SetCellRange(162, 2, 162, 4)},       // no longer
      {CGXRange().SetCellRange(166, 1, 166, 4), "y", CGXRange().SetCellRange(165, 1, 166, 4)},  // across the block
      {CGXRange().SetRowRange(170, 171), "z", CGXRange().SetCellRange(170, 0, 171, 12)},
  };
  for (const Case& c : cases) {
    grid.SetStyleRange(c.range, &CGXStyle().SetValue(c.value), 0, 0, nullptr, GX_INVALIDATE);
    CRect invalid;
    ::GetUpdateRect(grid.m_hWnd, &invalid, FALSE);
    const CGXRange& r = c.repainted;
    CRect want, area;
    grid.GetGridRect(&area);
    want.IntersectRect(grid.CalcRectFromRowColEx(r.m_nTop, r.m_nLeft, r.m_nBottom, r.m_nRight), &area);
    EXPECT_EQ((std::vector<LONG>{invalid.left, invalid.top, invalid.right, invalid.bottom}),
              (std::vector<LONG>{want.left, want.top, want.right, want.bottom}))
        << r.m_nTop << "," << r.m_nLeft;
    ::PumpMessages();
  }
  // What the window shows then is what a paint of the whole window shows.
  const std::vector<COLORREF> shown = Pixels(band);
  PaintOver(RGB(255, 0, 255));
  EXPECT_TRUE(shown == Pixels(band));
}

TEST_F(GridPictures, HeaderMarksAfterACtrlClickOnARowHeaderInsideTheWholeTable) {
  grid.m_bAutoScroll = FALSE;
  const auto click = [&](ROWCOL row, ROWCOL col, WPARAM keys) {
    const CPoint pt = grid.CalcRectFromRowCol(row, col).CenterPoint();
    PostMouseInput(grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, POINT{pt.x, pt.y});
    PostMouseInput(grid.m_hWnd, WM_LBUTTONUP, keys, POINT{pt.x, pt.y});
    ::PumpMessages();
  };
  CRect client;
  grid.GetClientRect(&client);
  const struct {
    ROWCOL row, col;
    WPARAM keys;
  } clicks[] = {{3, 3, 0}, {0, 0, 0}, {5, 0, MK_CONTROL}, {8, 0, MK_CONTROL}, {5, 0, MK_CONTROL}, {0, 0, 0}, {0, 3, MK_CONTROL}, {4, 4, 0}};
  for (const auto& c : clicks) {
    click(c.row, c.col, c.keys);
    const std::vector<COLORREF> shown = Pixels(client);
    PaintOver(RGB(255, 0, 255));
    EXPECT_TRUE(shown == Pixels(client)) << c.row << "," << c.col;
  }
}

// The grid's own bars show their arrows, black while they scroll, grey on a disabled grid.
TEST_F(GridPictures, TheBarsArrowsShowBlackWhileTheyScrollAndGreyWhenDisabled) {
  EXPECT_EQ(dravonix::test::ArrowGlyphs(grid.m_hWnd), "kkkk");
  grid.SetTopRow(200);
  EXPECT_EQ(dravonix::test::ArrowGlyphs(grid.m_hWnd), "kkkk");
  grid.EnableWindow(FALSE);
  grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  EXPECT_EQ(dravonix::test::ArrowGlyphs(grid.m_hWnd), "gggg");
}

TEST_F(GridPictures, AHatchedCellRetypedKeepsNoPixelOfItsOldTextInTheGapsOfItsHatch) {
  grid.SetStyleRange(CGXRange().SetCellRange(2, 2, 2, 2), &CGXStyle().SetInterior(CGXBrushValue(2, RGB(0, 128, 0), 0)));
  const CRect cell = grid.CalcRectFromRowCol(2, 2);
  UiAutomation::Click(grid.m_hWnd, cell.CenterPoint());
  UiAutomation::TypeText("WWWWWW\n");
  UiAutomation::Click(grid.m_hWnd, cell.CenterPoint());
  UiAutomation::TypeText("i\n");
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
}

TEST_F(GridPictures, HatchedCellsMovedByAWiderColumnShowWhatAPaintShows) {
  grid.SetStyleRange(CGXRange().SetCellRange(3, 4, 3, 5), &CGXStyle().SetInterior(CGXBrushValue(2, RGB(0, 128, 0), 3)));
  ::PumpMessages();
  const CRect header = grid.CalcRectFromRowCol(0, 2);
  const LONG y = header.CenterPoint().y;
  UiAutomation::Drag(grid.m_hWnd, CPoint(header.right - 1, y), CPoint(header.right + 2, y));
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
  // A repaint of the right cell alone starts its hatch where a paint of both does.
  CRect right = grid.CalcRectFromRowCol(3, 5);
  grid.InvalidateRect(&right, FALSE);
  EXPECT_EQ(0, dravonix::test::PixelsOffFullRepaint(grid.m_hWnd));
}
