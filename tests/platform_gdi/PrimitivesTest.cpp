// Pixels of lines, shapes and fills with pens, brushes and raster operations.
#include "GdiTestUtil.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstring>

using namespace gditest;

TEST(GdiLines, LineToExcludesEndPointAndMovesCurrentPosition) {
  Canvas c;
  c.dc.MoveTo(10, 10);
  EXPECT_TRUE(c.dc.LineTo(20, 10));
  EXPECT_EQ(c.At(10, 10), kBlack);
  EXPECT_EQ(c.At(19, 10), kBlack);
  EXPECT_EQ(c.At(20, 10), kWhite);
  EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(20, 10));
  c.dc.LineTo(20, 30);  // vertical, continues from the current position
  EXPECT_EQ(c.At(20, 10), kBlack);
  EXPECT_EQ(c.At(20, 29), kBlack);
  EXPECT_EQ(c.At(20, 30), kWhite);
  c.dc.MoveTo(50, 50);
  c.dc.LineTo(60, 60);  // diagonal
  for (int i = 0; i < 10; ++i) EXPECT_EQ(c.At(50 + i, 50 + i), kBlack) << i;
  EXPECT_EQ(c.At(60, 60), kWhite);
  EXPECT_EQ(c.Ink(0, 0, 200, 150), 10 + 20 + 10);
}

TEST(GdiLines, PenStylesWidthsAndNullPen) {
  Canvas c;
  CPen red(PS_SOLID, 1, kRed);
  CPen* old = c.dc.SelectObject(&red);
  ASSERT_NE(old, nullptr);
  c.dc.MoveTo(0, 5);
  c.dc.LineTo(30, 5);
  EXPECT_EQ(c.At(15, 5), kRed);
  // Dotted: runs of three pixels on, three off; the gaps stay untouched in transparent mode.
  CPen dot(PS_DOT, 1, kBlack);
  c.dc.SelectObject(&dot);
  c.dc.SetBkMode(TRANSPARENT);
  c.dc.MoveTo(0, 10);
  c.dc.LineTo(12, 10);
  EXPECT_EQ(c.At(0, 10), kBlack);
  EXPECT_EQ(c.At(2, 10), kBlack);
  EXPECT_EQ(c.At(3, 10), kWhite);
  EXPECT_EQ(c.At(5, 10), kWhite);
  EXPECT_EQ(c.At(6, 10), kBlack);
  // In opaque mode the gaps take the background colour.
  c.dc.SetBkMode(OPAQUE);
  c.dc.SetBkColor(kBlue);
  c.dc.MoveTo(0, 12);
  c.dc.LineTo(12, 12);
  EXPECT_EQ(c.At(4, 12), kBlue);
  // A 5-pixel geometric pen with square caps.
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  CPen wide(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, 5, &lb);
  ASSERT_NE(wide.m_hObject, nullptr);
  c.dc.SelectObject(&wide);
  c.dc.MoveTo(50, 50);
  c.dc.LineTo(80, 50);
  EXPECT_EQ(c.At(65, 48), kBlack);
  EXPECT_EQ(c.At(65, 52), kBlack);
  EXPECT_EQ(c.At(65, 54), kWhite);
  EXPECT_EQ(c.At(48, 50), kBlack);  // the square cap reaches beyond the start
  // A null pen draws nothing.
  c.dc.SelectStockObject(NULL_PEN);
  c.dc.MoveTo(100, 100);
  c.dc.LineTo(150, 100);
  EXPECT_EQ(c.Ink(100, 95, 151, 105), 0);
  c.dc.SelectObject(old);
}

TEST(GdiLines, RasterOperationsOnLines) {
  Canvas c;
  c.dc.FillSolidRect(0, 0, 200, 150, RGB(10, 200, 30));
  CPen pen(PS_SOLID, 1, RGB(200, 100, 50));
  c.dc.SelectObject(&pen);
  // An R2_NOTXORPEN line drawn twice vanishes.
  c.dc.SetROP2(R2_NOTXORPEN);
  for (int k = 0; k < 2; ++k) {
    c.dc.MoveTo(5, 5);
    c.dc.LineTo(150, 90);
  }
  EXPECT_EQ(c.Ink(0, 0, 200, 150), 200 * 150);
  for (int x = 0; x < 200; x += 7)
    for (int y = 0; y < 150; y += 5) ASSERT_EQ(c.At(x, y), RGB(10, 200, 30));
  // Once it shows ~(D ^ P).
  c.dc.MoveTo(5, 20);
  c.dc.LineTo(50, 20);
  EXPECT_EQ(c.At(10, 20), RGB(~(10 ^ 200) & 0xFF, ~(200 ^ 100) & 0xFF, ~(30 ^ 50) & 0xFF));
  // R2_NOT inverts whatever the pen colour; R2_XORPEN xors.
  c.dc.SetROP2(R2_NOT);
  c.dc.MoveTo(5, 30);
  c.dc.LineTo(50, 30);
  EXPECT_EQ(c.At(10, 30), RGB(245, 55, 225));
  c.dc.SetROP2(R2_XORPEN);
  c.dc.MoveTo(5, 40);
  c.dc.LineTo(50, 40);
  EXPECT_EQ(c.At(10, 40), RGB(10 ^ 200, 200 ^ 100, 30 ^ 50));
  EXPECT_EQ(c.dc.SetROP2(R2_COPYPEN), R2_XORPEN);
  EXPECT_EQ(c.dc.SetROP2(99), 0);  // unknown mode refused
  // A wide XOR pen goes through the pixel path too: twice restores.
  CPen wide(PS_SOLID, 4, kRed);
  c.dc.SelectObject(&wide);
  c.dc.SetROP2(R2_XORPEN);
  for (int k = 0; k < 2; ++k) {
    c.dc.MoveTo(100, 100);
    c.dc.LineTo(180, 130);
  }
  EXPECT_EQ(c.At(140, 115), RGB(10, 200, 30));
}

TEST(GdiShapes, RectangleOutlineFillAndNullPen) {
  Canvas c;
  CBrush blue(kBlue);
  c.dc.SelectObject(&blue);
  c.dc.Rectangle(10, 10, 20, 20);
  EXPECT_EQ(c.At(10, 10), kBlack);
  EXPECT_EQ(c.At(19, 19), kBlack);
  EXPECT_EQ(c.At(20, 20), kWhite);
  EXPECT_EQ(c.At(11, 11), kBlue);
  EXPECT_EQ(c.At(18, 18), kBlue);
  // Inverted coordinates draw the same rectangle.
  c.dc.Rectangle(40, 20, 30, 10);
  EXPECT_EQ(c.At(30, 10), kBlack);
  EXPECT_EQ(c.At(35, 15), kBlue);
  // Without a pen the fill is one pixel smaller to the right and bottom.
  c.dc.SelectStockObject(NULL_PEN);
  c.dc.Rectangle(50, 10, 60, 20);
  EXPECT_EQ(c.At(50, 10), kBlue);
  EXPECT_EQ(c.At(58, 18), kBlue);
  EXPECT_EQ(c.At(59, 19), kWhite);
  // A hollow brush leaves the inside alone.
  c.dc.SelectStockObject(BLACK_PEN);
  c.dc.SelectStockObject(HOLLOW_BRUSH);
  c.dc.Rectangle(70, 10, 80, 20);
  EXPECT_EQ(c.At(70, 15), kBlack);
  EXPECT_EQ(c.At(75, 15), kWhite);
  // Empty rectangles draw nothing.
  int before = c.Ink(0, 0, 200, 150);
  c.dc.Rectangle(100, 100, 100, 120);
  c.dc.Rectangle(100, 100, 120, 100);
  EXPECT_EQ(c.Ink(0, 0, 200, 150), before);
}

TEST(GdiShapes, EllipsePolygonPieRoundRect) {
  Canvas c(300, 200);
  CBrush red(kRed);
  c.dc.SelectObject(&red);
  c.dc.Ellipse(10, 10, 60, 40);
  EXPECT_EQ(c.At(35, 25), kRed);
  EXPECT_EQ(c.At(11, 11), kWhite);  // corners of the box stay clear
  EXPECT_EQ(c.At(58, 38), kWhite);
  EXPECT_NE(c.At(35, 10), kWhite);  // outline touches the box edges
  EXPECT_NE(c.At(10, 25), kWhite);
  POINT tri[3] = {{100, 10}, {140, 50}, {60, 50}};
  c.dc.Polygon(tri, 3);
  EXPECT_EQ(c.At(100, 40), kRed);
  EXPECT_EQ(c.At(65, 15), kWhite);
  EXPECT_EQ(c.At(100, 10), kBlack);
  // Pie from the right radial counter-clockwise to the top radial: the upper-right quarter.
  c.dc.Pie(150, 10, 210, 70, 210, 40, 180, 10);
  EXPECT_EQ(c.At(190, 25), kRed);
  EXPECT_EQ(c.At(165, 55), kWhite);
  EXPECT_EQ(c.At(165, 25), kWhite);
  c.dc.RoundRect(10, 100, 80, 150, 20, 20);
  EXPECT_EQ(c.At(45, 125), kRed);
  EXPECT_EQ(c.At(11, 101), kWhite);
  EXPECT_NE(c.At(45, 100), kWhite);
  c.Save("shapes");
}

TEST(GdiFills, FillRectFrameRectInvertRectFillSolidRect) {
  Canvas c;
  CBrush red(kRed);
  CRect r(10, 10, 30, 20);
  c.dc.FillRect(&r, &red);
  EXPECT_EQ(c.At(10, 10), kRed);
  EXPECT_EQ(c.At(29, 19), kRed);
  EXPECT_EQ(c.At(30, 19), kWhite);
  EXPECT_EQ(c.At(29, 20), kWhite);
  CRect f(40, 10, 60, 20);
  c.dc.FrameRect(&f, &red);
  EXPECT_EQ(c.At(40, 15), kRed);
  EXPECT_EQ(c.At(59, 15), kRed);
  EXPECT_EQ(c.At(50, 10), kRed);
  EXPECT_EQ(c.At(50, 19), kRed);
  EXPECT_EQ(c.At(50, 15), kWhite);
  c.dc.InvertRect(&r);
  EXPECT_EQ(c.At(15, 15), RGB(0, 255, 255));
  c.dc.FillSolidRect(70, 10, 10, 10, kBlue);
  EXPECT_EQ(c.At(75, 15), kBlue);
  EXPECT_EQ(c.dc.GetBkColor(), kBlue);  // FillSolidRect leaves the background colour set
  // Inverted and empty rectangles and null brushes fill nothing.
  int before = c.Ink(0, 0, 200, 150);
  CRect inv(120, 120, 100, 100);
  c.dc.FillRect(&inv, &red);
  c.dc.FillRect(&r, nullptr);
  c.dc.FillRect(nullptr, &red);
  EXPECT_EQ(c.Ink(0, 0, 200, 150), before);
  // System colour brushes: the class-brush convention (index + 1) works through the handle call.
  CRect s(100, 10, 110, 20);
  ::FillRect(c.dc.GetSafeHdc(), &s, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
  EXPECT_EQ(c.At(105, 15), GetSysColor(COLOR_HIGHLIGHT));
}

TEST(GdiFills, DrawFocusRectTwiceRestoresPixels) {
  Canvas c;
  c.dc.FillSolidRect(0, 0, 200, 150, RGB(30, 60, 90));
  c.dc.FillSolidRect(20, 20, 30, 30, RGB(200, 10, 10));
  CImageSurface copy(200, 150);
  CRect fr(15, 15, 60, 45);
  c.dc.DrawFocusRect(&fr);
  EXPECT_NE(c.At(15, 15), RGB(30, 60, 90));  // (15+15) is even: inverted
  EXPECT_EQ(c.At(16, 15), RGB(30, 60, 90));  // every other pixel
  c.dc.DrawFocusRect(&fr);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) {
      COLORREF want = (x >= 20 && x < 50 && y >= 20 && y < 50) ? RGB(200, 10, 10) : RGB(30, 60, 90);
      ASSERT_EQ(c.At(x, y), want) << x << "," << y;
    }
}

TEST(GdiFills, DrawEdgeAndDraw3dRect) {
  Canvas c;
  CRect r(10, 10, 50, 40);
  ASSERT_TRUE(c.dc.DrawEdge(&r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE));
  EXPECT_EQ(r, CRect(12, 12, 48, 38));
  EXPECT_EQ(c.At(10, 20), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(11, 20), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(c.At(49, 20), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(48, 20), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(c.At(30, 25), GetSysColor(COLOR_3DFACE));
  CRect s(60, 10, 100, 40);
  c.dc.DrawEdge(&s, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(c.At(60, 20), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(c.At(99, 20), GetSysColor(COLOR_3DHILIGHT));
  CRect m(110, 10, 150, 40);
  c.dc.DrawEdge(&m, EDGE_SUNKEN, BF_RECT | BF_MONO);
  EXPECT_EQ(c.At(110, 20), GetSysColor(COLOR_WINDOWFRAME));
  c.dc.Draw3dRect(10, 60, 20, 10, kRed, kBlue);
  EXPECT_EQ(c.At(10, 60), kRed);
  EXPECT_EQ(c.At(28, 60), kRed);
  EXPECT_EQ(c.At(29, 60), kBlue);
  EXPECT_EQ(c.At(10, 69), kBlue);
  EXPECT_EQ(c.At(20, 65), kWhite);
}

TEST(GdiFills, HatchAndMonoPatternBrushes) {
  Canvas c;
  CBrush hatch(HS_CROSS, kRed);
  c.dc.SetBkColor(kBlue);
  c.dc.SetBkMode(OPAQUE);
  CRect r(0, 0, 16, 16);
  c.dc.FillRect(&r, &hatch);
  EXPECT_EQ(c.At(7, 3), kRed);
  EXPECT_EQ(c.At(3, 7), kRed);
  EXPECT_EQ(c.At(3, 3), kBlue);
  c.dc.SetBkMode(TRANSPARENT);
  CRect r2(20, 0, 36, 16);
  c.dc.FillRect(&r2, &hatch);
  EXPECT_EQ(c.At(21, 3), kWhite);
  EXPECT_EQ(c.At(23, 3), kRed);
  // 8x8 monochrome pattern from 16 bytes (rows padded to 16 bits): 0 bits in the text colour, 1 bits in the
  // background colour.
  WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  CBitmap bm;
  ASSERT_TRUE(bm.CreateBitmap(8, 8, 1, 1, rows));
  CBrush pat;
  ASSERT_TRUE(pat.CreatePatternBrush(&bm));
  c.dc.SetTextColor(kRed);
  c.dc.SetBkColor(kBlue);
  CRect r3(40, 0, 56, 16);
  c.dc.FillRect(&r3, &pat);
  EXPECT_EQ(c.At(40, 0), kBlue);  // 0xAA: bit 7 set
  EXPECT_EQ(c.At(41, 0), kRed);
  EXPECT_EQ(c.At(40, 1), kRed);
  EXPECT_EQ(c.At(48, 0), kBlue);  // repeats every 8 pixels
  // The brush origin shifts the pattern.
  c.dc.SetBrushOrg(1, 0);
  CRect r4(60, 0, 76, 16);
  c.dc.FillRect(&r4, &pat);
  EXPECT_EQ(c.At(60, 0), kRed);
  EXPECT_EQ(c.At(61, 0), kBlue);
}

TEST(GdiPixels, SetPixelGetPixelAndClip) {
  Canvas c;
  EXPECT_EQ(c.dc.SetPixel(5, 5, kRed), kRed);
  EXPECT_EQ(c.dc.GetPixel(5, 5), kRed);
  EXPECT_EQ(c.At(5, 5), kRed);
  EXPECT_EQ(c.dc.GetPixel(500, 5), CLR_INVALID);
  EXPECT_EQ(c.dc.SetPixel(-1, 5, kRed), CLR_INVALID);
  c.dc.IntersectClipRect(10, 10, 20, 20);
  EXPECT_EQ(c.dc.SetPixel(5, 6, kRed), CLR_INVALID);
  EXPECT_EQ(c.At(5, 6), kWhite);
  EXPECT_EQ(c.dc.SetPixel(12, 12, PALETTEINDEX(13)), RGB(255, 0, 0));  // default palette entry 13
}

TEST(GdiPixels, LineDDAVisitsEveryPointButTheLast) {
  std::vector<CPoint> pts;
  auto proc = [](int x, int y, LPARAM p) { reinterpret_cast<std::vector<CPoint>*>(p)->push_back(CPoint(x, y)); };
  ASSERT_TRUE(LineDDA(0, 0, 4, 2, proc, reinterpret_cast<LPARAM>(&pts)));
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts.front(), CPoint(0, 0));
  EXPECT_EQ(pts.back().x, 3);
  pts.clear();
  LineDDA(5, 5, 5, 5, proc, reinterpret_cast<LPARAM>(&pts));
  EXPECT_TRUE(pts.empty());
  EXPECT_FALSE(LineDDA(0, 0, 1, 1, nullptr, 0));
}

TEST(GdiFills, RegionsFillFrameAndPolyPolygon) {
  Canvas c;
  CRgn a, b, u;
  a.CreateRectRgn(10, 10, 30, 30);
  b.CreateRectRgn(20, 20, 40, 40);
  u.CreateRectRgn(0, 0, 0, 0);
  u.CombineRgn(&a, &b, RGN_OR);
  CBrush red(kRed), blue(kBlue);
  ASSERT_TRUE(c.dc.FillRgn(&u, &red));
  EXPECT_EQ(c.At(15, 15), kRed);
  EXPECT_EQ(c.At(35, 35), kRed);
  EXPECT_EQ(c.At(35, 15), kWhite);
  ASSERT_TRUE(c.dc.FrameRgn(&u, &blue, 2, 2));
  EXPECT_EQ(c.At(10, 15), kBlue);
  EXPECT_EQ(c.At(11, 15), kBlue);
  EXPECT_EQ(c.At(12, 15), kRed);
  EXPECT_EQ(c.At(29, 15), kBlue);  // the step of the union is framed too
  EXPECT_EQ(c.At(25, 25), kRed);
  EXPECT_FALSE(c.dc.FillRgn(nullptr, &red));
  EXPECT_FALSE(c.dc.FrameRgn(&u, nullptr, 1, 1));
  // Two squares in one polygon set, the inner one a hole under the alternate rule.
  POINT pts[8] = {{100, 10}, {160, 10}, {160, 70}, {100, 70}, {120, 30}, {140, 30}, {140, 50}, {120, 50}};
  INT counts[2] = {4, 4};
  c.dc.SelectObject(&red);
  c.dc.SelectStockObject(NULL_PEN);
  ASSERT_TRUE(c.dc.PolyPolygon(pts, counts, 2));
  EXPECT_EQ(c.At(105, 15), kRed);
  EXPECT_EQ(c.At(130, 40), kWhite);
  c.dc.SetPolyFillMode(WINDING);
  c.dc.PolyPolygon(pts, counts, 2);
  EXPECT_EQ(c.At(130, 40), kRed);
}

TEST(GdiText, UnderlineStrikeOutAndPointFonts) {
  Canvas c(200, 60);
  LOGFONT lf{};
  lf.lfHeight = -20;
  lf.lfUnderline = TRUE;
  std::strcpy(lf.lfFaceName, "Arial");
  CFont u;
  u.CreateFontIndirect(&lf);
  c.dc.SelectObject(&u);
  c.dc.SetBkMode(TRANSPARENT);
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  EXPECT_EQ(tm.tmUnderlined, 1);
  c.dc.TextOut(0, 0, "    ", 4);  // spaces: only the underline shows
  CRect ink = c.InkBox();
  ASSERT_FALSE(ink.IsRectEmpty());
  EXPECT_GT(ink.top, tm.tmAscent - 1);
  EXPECT_EQ(ink.left, 0);
  EXPECT_EQ(ink.right, c.dc.GetTextExtent("    ", 4).cx);
  Canvas s(200, 60);
  lf.lfUnderline = FALSE;
  lf.lfStrikeOut = TRUE;
  CFont so;
  so.CreateFontIndirect(&lf);
  s.dc.SelectObject(&so);
  s.dc.SetBkMode(TRANSPARENT);
  s.dc.TextOut(0, 0, "    ", 4);
  CRect sink = s.InkBox();
  ASSERT_FALSE(sink.IsRectEmpty());
  EXPECT_LT(sink.bottom, tm.tmAscent);
  // Tenths of a point: 12 pt on the 96 dpi screen is 16 pixels of character height.
  CFont pf;
  ASSERT_TRUE(pf.CreatePointFont(120, "Arial", &c.dc));
  LOGFONT got;
  pf.GetLogFont(&got);
  EXPECT_EQ(got.lfHeight, -16);
  EXPECT_STREQ(got.lfFaceName, "Arial");
}

TEST(GdiImages, SaveImageWritesPngs) {
  Canvas c(20, 10);
  c.dc.FillSolidRect(0, 0, 10, 10, kRed);
  std::string dir = dravonix::test::ScratchDir("png");
  std::string p1 = dir + "/dc.png", p2 = dir + "/bm.png";
  ASSERT_TRUE(SaveImage(&c.dc, p1.c_str()));
  cairo_surface_t* s = cairo_image_surface_create_from_png(p1.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 20);
  EXPECT_EQ(cairo_image_surface_get_height(s), 10);
  uint32_t px = *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s));
  EXPECT_EQ(px & 0xFFFFFF, 0xFF0000u);
  cairo_surface_destroy(s);
  CBitmap bm;
  bm.CreateCompatibleBitmap(&c.dc, 4, 4);
  EXPECT_TRUE(SaveImage(&bm, p2.c_str()));
  EXPECT_FALSE(SaveImage(static_cast<CDC*>(nullptr), p1.c_str()));
  CDC info;
  info.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_FALSE(SaveImage(&info, p1.c_str()));  // no pixels
  EXPECT_FALSE(SaveImage(&c.dc, "/nonexistent-folder/x.png"));
  // One that cannot be written whole keeps the picture that was there.
  const std::string before = dravonix::test::ReadFileText(p1);
  Canvas big(200, 200);
  EXPECT_EQ("0", dravonix::test::WithFileSizeLimit(64, [&] { return std::to_string(SaveImage(&big.dc, p1.c_str())); }));
  EXPECT_EQ(before, dravonix::test::ReadFileText(p1));
  EXPECT_TRUE(dravonix::test::SaveLeftovers(p1).empty());
}

TEST(GdiBadInput, ExtremeCoordinatesNeitherCrashNorHang) {
  Canvas c;
  CBrush red(kRed);
  c.dc.SelectObject(&red);
  const int big = 2000000000;
  c.dc.MoveTo(-big, -big);
  c.dc.LineTo(big, big);  // crosses the canvas diagonally
  EXPECT_EQ(c.At(50, 50), kBlack);
  c.dc.MoveTo(-big, 75);
  c.dc.LineTo(big, 75);
  EXPECT_EQ(c.At(100, 75), kBlack);
  c.dc.Rectangle(-big, -big, big, big);
  c.dc.Ellipse(-big, -big, big, big);
  c.dc.RoundRect(-big, -big, big, big, big, big);
  c.dc.Pie(-big, -big, big, big, big, 0, 0, -big);
  POINT pts[3] = {{-big, 0}, {big, 0}, {0, big}};
  c.dc.Polygon(pts, 3);
  c.dc.Polyline(pts, 3);
  CPen wide(PS_SOLID, 7, kBlue);
  c.dc.SelectObject(&wide);
  c.dc.MoveTo(-big, 10);
  c.dc.LineTo(big, 10);
  c.dc.SetMapMode(MM_ANISOTROPIC);
  c.dc.SetWindowExt(1, 1);
  c.dc.SetViewportExt(big, big);
  c.dc.Rectangle(0, 0, 10, 10);
  c.dc.TextOut(1, 1, "x", 1);
  c.dc.SetMapMode(MM_TEXT);
  // Drawing still works afterwards.
  c.dc.SelectStockObject(BLACK_PEN);
  c.dc.SetPixel(1, 1, kBlue);
  EXPECT_EQ(c.At(1, 1), kBlue);
  CRect r(0, 0, 5, 5);
  c.dc.FillRect(&r, &red);
  EXPECT_EQ(c.At(2, 2), kRed);
}

TEST(GdiFills, DragRectInvertsAFrameAndTakesItBack) {
  Canvas c;
  CRect r(10, 10, 60, 40);
  CSize sz(3, 3);
  c.dc.DrawDragRect(&r, sz, nullptr, sz);
  EXPECT_EQ(c.Ink(10, 10, 60, 40) > 0, true);
  EXPECT_EQ(c.Ink(14, 14, 56, 36), 0);  // the inside stays
  int frameInk = c.Ink(0, 0, 200, 150);
  EXPECT_GT(frameInk, 100);
  CRect r2(20, 20, 80, 60);
  c.dc.DrawDragRect(&r2, sz, &r, sz);  // moves the frame
  EXPECT_EQ(c.Ink(10, 10, 19, 19), 0);
  c.dc.DrawDragRect(nullptr, sz, &r2, sz);  // and takes it away
  EXPECT_EQ(c.Ink(0, 0, 200, 150), 0);
}
