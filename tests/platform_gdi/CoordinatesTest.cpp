// Mapping modes, clip regions, regions and saved states.
#include "GdiTestUtil.h"
#include "platform/gdi/SelectObject.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace gditest;

TEST(GdiRegions, CombineModesBoxesAndPolygons) {
  CRgn a, b, d;
  ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
  ASSERT_TRUE(b.CreateRectRgn(5, 5, 15, 15));
  ASSERT_TRUE(d.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(d.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(d.PtInRegion(12, 12));
  EXPECT_FALSE(d.PtInRegion(12, 2));
  CRect box;
  EXPECT_EQ(d.GetRgnBox(&box), COMPLEXREGION);
  EXPECT_EQ(box, CRect(0, 0, 15, 15));
  EXPECT_EQ(d.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
  d.GetRgnBox(&box);
  EXPECT_EQ(box, CRect(5, 5, 10, 10));
  EXPECT_EQ(d.CombineRgn(&a, &b, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(d.PtInRegion(2, 2));
  EXPECT_FALSE(d.PtInRegion(7, 7));
  EXPECT_EQ(d.CombineRgn(&a, &b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(d.PtInRegion(7, 7));
  EXPECT_TRUE(d.PtInRegion(12, 12));
  EXPECT_EQ(d.CombineRgn(&a, &a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(d.CopyRgn(&b), SIMPLEREGION);
  EXPECT_TRUE(d.EqualRgn(&b));
  // The union of the difference and the intersection is the first region again.
  CRgn diff, inter, back;
  diff.CreateRectRgn(0, 0, 0, 0);
  inter.CreateRectRgn(0, 0, 0, 0);
  back.CreateRectRgn(0, 0, 0, 0);
  diff.CombineRgn(&a, &b, RGN_DIFF);
  inter.CombineRgn(&a, &b, RGN_AND);
  back.CombineRgn(&diff, &inter, RGN_OR);
  EXPECT_TRUE(back.EqualRgn(&a));
  // A triangle: inside near its base, outside beside its apex.
  POINT tri[3] = {{0, 0}, {20, 0}, {10, 20}};
  CRgn t;
  ASSERT_TRUE(t.CreatePolygonRgn(tri, 3, ALTERNATE));
  EXPECT_TRUE(t.PtInRegion(10, 1));
  EXPECT_FALSE(t.PtInRegion(2, 15));
  CRect q(0, 15, 3, 18);
  EXPECT_FALSE(t.RectInRegion(&q));
  // Bad input: null regions and unknown modes are errors, not crashes.
  EXPECT_EQ(d.CombineRgn(nullptr, &b, RGN_OR), ERROR);
  EXPECT_EQ(d.CombineRgn(&a, &b, 42), ERROR);
  EXPECT_EQ(CombineRgn(nullptr, nullptr, nullptr, RGN_OR), ERROR);
}

TEST(GdiClip, IntersectExcludeSelectAndSaveRestore) {
  Canvas c;
  CRect box;
  EXPECT_EQ(c.dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 200, 150));
  int saved = c.dc.SaveDC();
  EXPECT_EQ(saved, 1);
  c.dc.IntersectClipRect(10, 10, 50, 50);
  c.dc.ExcludeClipRect(20, 20, 30, 30);
  EXPECT_EQ(c.dc.GetClipBox(&box), COMPLEXREGION);
  EXPECT_EQ(box, CRect(10, 10, 50, 50));
  CRect in(0, 0, 12, 12), out(60, 60, 70, 70), hole(22, 22, 28, 28);
  EXPECT_TRUE(c.dc.RectVisible(&in));
  EXPECT_FALSE(c.dc.RectVisible(&out));
  EXPECT_FALSE(c.dc.RectVisible(&hole));
  EXPECT_FALSE(c.dc.PtVisible(25, 25));
  CBrush red(kRed);
  CRect all(0, 0, 200, 150);
  c.dc.FillRect(&all, &red);
  EXPECT_EQ(c.At(15, 15), kRed);
  EXPECT_EQ(c.At(25, 25), kWhite);
  EXPECT_EQ(c.At(5, 5), kWhite);
  EXPECT_EQ(c.At(55, 55), kWhite);
  ASSERT_TRUE(c.dc.RestoreDC(-1));
  EXPECT_EQ(c.dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 200, 150));
  EXPECT_FALSE(c.dc.RestoreDC(-1));  // nothing saved any more
  EXPECT_FALSE(c.dc.RestoreDC(5));
  // Clip regions are in device units and combine with the current clip.
  CRgn r1, r2;
  r1.CreateRectRgn(100, 100, 150, 140);
  r2.CreateRectRgn(120, 100, 130, 140);
  EXPECT_EQ(c.dc.SelectClipRgn(&r1), SIMPLEREGION);
  EXPECT_EQ(c.dc.SelectClipRgn(&r2, RGN_DIFF), COMPLEXREGION);
  CBrush blue(kBlue);
  c.dc.FillRect(&all, &blue);
  EXPECT_EQ(c.At(110, 110), kBlue);
  EXPECT_EQ(c.At(125, 110), kWhite);
  EXPECT_EQ(c.At(15, 15), kRed);
  EXPECT_EQ(c.dc.SelectClipRgn(nullptr), SIMPLEREGION);
  EXPECT_EQ(c.dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, CRect(0, 0, 200, 150));
  // A clip that excludes everything: nothing is drawn and the box is empty.
  c.dc.IntersectClipRect(10, 10, 10, 10);
  EXPECT_EQ(c.dc.GetClipBox(&box), NULLREGION);
  c.dc.FillRect(&all, &blue);
  EXPECT_EQ(c.At(15, 15), kRed);
}

TEST(GdiMapping, AnisotropicScalingAndOrigins) {
  Canvas c;
  c.dc.SetMapMode(MM_ANISOTROPIC);
  c.dc.SetWindowOrg(0, 0);
  c.dc.SetWindowExt(100, 100);
  c.dc.SetViewportExt(200, 50);
  c.dc.SetViewportOrg(10, 20);
  CPoint p(50, 40);
  c.dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(110, 40));
  c.dc.DPtoLP(&p);
  EXPECT_EQ(p, CPoint(50, 40));
  CBrush red(kRed);
  CRect r(0, 0, 10, 10);  // device (10,20)-(30,25)
  c.dc.FillRect(&r, &red);
  EXPECT_EQ(c.At(10, 20), kRed);
  EXPECT_EQ(c.At(29, 24), kRed);
  EXPECT_EQ(c.At(30, 24), kWhite);
  EXPECT_EQ(c.At(29, 25), kWhite);
  CRect box;
  c.dc.GetClipBox(&box);
  EXPECT_EQ(box, CRect(-5, -40, 95, 260));
  // Extents are ignored outside the scalable modes; MM_TEXT resets them.
  c.dc.SetMapMode(MM_TEXT);
  EXPECT_EQ(c.dc.GetWindowExt(), CSize(1, 1));
  c.dc.SetWindowExt(5, 5);
  EXPECT_EQ(c.dc.GetWindowExt(), CSize(1, 1));
  p = CPoint(5, 5);
  c.dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(15, 25));  // the viewport origin stays
  c.dc.SetViewportOrg(0, 0);
  c.dc.SetWindowOrg(-5, -5);
  c.dc.SetPixel(0, 0, kBlue);
  EXPECT_EQ(c.At(5, 5), kBlue);
}

TEST(GdiMapping, MetricModesPointUpwards) {
  Canvas c;
  c.dc.SetMapMode(MM_LOENGLISH);  // 0.01 inch, y up
  CPoint p(100, -100);
  c.dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(96, 96));
  c.dc.SetMapMode(MM_HIMETRIC);
  p = CPoint(2540, -2540);
  c.dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(96, 96));
  c.dc.SetMapMode(MM_TWIPS);
  CSize s(1440, 720);
  c.dc.LPtoDP(&s);
  EXPECT_EQ(s, CSize(96, 48));
  // Isotropic: the viewport shrinks so both axes keep one scale.
  c.dc.SetMapMode(MM_ISOTROPIC);
  c.dc.SetWindowExt(100, 100);
  c.dc.SetViewportExt(200, 100);
  EXPECT_EQ(c.dc.GetViewportExt(), CSize(100, 100));
  EXPECT_EQ(c.dc.SetMapMode(42), 0);
  EXPECT_EQ(c.dc.GetMapMode(), MM_ISOTROPIC);
}

TEST(GdiMapping, PenWidthsAndFontsFollowTheScale) {
  Canvas c;
  c.dc.SetMapMode(MM_ANISOTROPIC);
  c.dc.SetWindowExt(1, 1);
  c.dc.SetViewportExt(4, 4);
  CPen pen(PS_SOLID, 2, kBlack);  // 8 device pixels wide
  c.dc.SelectObject(&pen);
  c.dc.MoveTo(5, 10);
  c.dc.LineTo(40, 10);
  EXPECT_EQ(c.At(80, 37), kBlack);
  EXPECT_EQ(c.At(80, 43), kBlack);
  EXPECT_EQ(c.At(80, 46), kWhite);
  LOGFONT lf{};
  lf.lfHeight = -5;  // 20 device pixels
  strcpy(lf.lfFaceName, "Arial");
  CFont f;
  f.CreateFontIndirect(&lf);
  c.dc.SelectObject(&f);
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  EXPECT_EQ(tm.tmHeight, 6);  // 22 pixels in logical units, rounded
  CSize ext = c.dc.GetTextExtent("M", 1);
  EXPECT_EQ(ext.cy, 6);
}

TEST(GdiState, SaveRestoreBringsBackObjectsAndAttributes) {
  Canvas c;
  CPen red(PS_SOLID, 1, kRed);
  int level = c.dc.SaveDC();
  CPen* old = c.dc.SelectObject(&red);
  c.dc.SetTextColor(kBlue);
  c.dc.SetBkMode(TRANSPARENT);
  c.dc.SetMapMode(MM_LOMETRIC);
  c.dc.SetViewportOrg(5, 5);
  c.dc.SaveDC();
  c.dc.SetTextColor(kRed);
  ASSERT_TRUE(c.dc.RestoreDC(level));
  EXPECT_EQ(c.dc.GetTextColor(), kBlack);
  EXPECT_EQ(c.dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(c.dc.GetMapMode(), MM_TEXT);
  EXPECT_EQ(c.dc.GetViewportOrg(), CPoint(0, 0));
  EXPECT_EQ(c.dc.GetCurrentPen(), old);
  c.dc.MoveTo(0, 0);
  c.dc.LineTo(5, 0);
  EXPECT_EQ(c.At(2, 0), kBlack);
}

TEST(GdiState, ScopedSelectionPutsBackWhatWasSelectedWhenTheScopeThrows) {
  Canvas c;
  CPen* pen = c.dc.GetCurrentPen();
  CBrush* brush = c.dc.GetCurrentBrush();
  CFont* font = c.dc.GetCurrentFont();
  try {
    CPen red(PS_SOLID, 1, kRed);
    CFont big;
    big.CreatePointFont(240, "Arial");
    CSelectObject selectPen(c.dc, &red);
    CSelectObject selectFont(&c.dc, &big);
    CSelectStockObject selectBrush(c.dc, NULL_BRUSH);
    EXPECT_EQ(selectPen.GetOld(), pen);
    EXPECT_NE(c.dc.GetCurrentPen(), pen);
    EXPECT_NE(c.dc.GetCurrentBrush(), brush);
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(c.dc.GetCurrentPen(), pen);
  EXPECT_EQ(c.dc.GetCurrentBrush(), brush);
  EXPECT_EQ(c.dc.GetCurrentFont(), font);
  c.dc.MoveTo(0, 0);
  c.dc.LineTo(5, 0);
  EXPECT_EQ(c.At(2, 0), kBlack);
}

TEST(GdiState, DeviceCapsAndSystemValues) {
  CDC ic;
  ASSERT_TRUE(ic.CreateIC("DISPLAY", nullptr, nullptr, nullptr));
  EXPECT_EQ(ic.GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(ic.GetDeviceCaps(LOGPIXELSY), 96);
  EXPECT_EQ(ic.GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(ic.GetDeviceCaps(HORZRES), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(ic.GetDeviceCaps(VERTRES), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(ic.GetDeviceCaps(BITSPIXEL), 32);
  EXPECT_EQ(ic.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
  SetDisplayBitsPerPixel(8);
  CDC ic8;
  ic8.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(ic8.GetDeviceCaps(BITSPIXEL), 8);
  EXPECT_NE(ic8.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(ic8.GetDeviceCaps(SIZEPALETTE), 256);
  SetDisplayBitsPerPixel(32);
  CDC prn;
  ASSERT_TRUE(prn.CreateDC("winspool", "Dravonix PDF Printer", nullptr, nullptr));
  EXPECT_EQ(prn.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(prn.GetDeviceCaps(LOGPIXELSX), 600);
  EXPECT_EQ(prn.GetDeviceCaps(HORZRES), 4961);  // A4 at 600 dpi
  EXPECT_EQ(prn.GetDeviceCaps(VERTRES), 7016);
  EXPECT_EQ(prn.GetDeviceCaps(HORZSIZE), 210);
  EXPECT_EQ(prn.GetDeviceCaps(VERTSIZE), 297);
  EXPECT_EQ(prn.GetDeviceCaps(PHYSICALOFFSETX), 0);
  EXPECT_FALSE(prn.IsPrinting());
  // System colours and metrics of the standard desktop.
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
  EXPECT_EQ(GetSysColor(99), 0u);
  LOGBRUSH lb;
  ASSERT_EQ(GetObject(GetSysColorBrush(COLOR_BTNFACE), sizeof(lb), &lb), (int)sizeof(lb));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
  EXPECT_EQ(GetSystemMetrics(SM_CYDLGFRAME), 3);
  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
  SetSystemMetricsValue(SM_DBCSENABLED, 1);  // a double-byte system, for tests
  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 1);
  ResetSystemMetricsValues();
  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
  // A system colour in the grid's encoding (top byte 254 - index) resolves through the table.
  Canvas c;
  c.dc.SetPixel(1, 1, (COLORREF)((254 - COLOR_HIGHLIGHT) << 24));
  EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_HIGHLIGHT));
}

TEST(GdiState, AttachedHandlesShareTheDevice) {
  Canvas c;
  {
    CDC alias;
    ASSERT_TRUE(alias.Attach(c.dc.GetSafeHdc()));
    alias.SetPixel(3, 3, kRed);
    EXPECT_EQ(c.At(3, 3), kRed);
    EXPECT_EQ(alias.GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(alias.Detach(), c.dc.GetSafeHdc());
  }
  c.dc.SetPixel(4, 4, kBlue);  // the original lives on after its alias
  EXPECT_EQ(c.At(4, 4), kBlue);
  // A printer handle attached to a wrapper goes with the wrapper, as a print loop expects.
  HDC h = ::CreateDC("winspool", "Dravonix PDF Printer", nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  {
    CDC prn;
    ASSERT_TRUE(prn.Attach(h));
    prn.m_bPrinting = TRUE;
    EXPECT_EQ(prn.GetDeviceCaps(LOGPIXELSY), 600);
    EXPECT_TRUE(prn.IsPrinting());
  }
  EXPECT_EQ(CDC::FromHandle(h), nullptr);
  CDC bad;
  EXPECT_FALSE(bad.Attach(nullptr));
  EXPECT_FALSE(bad.Attach(reinterpret_cast<HDC>(&c)));  // not a device context
  EXPECT_FALSE(::DeleteDC(nullptr));
  // Handle functions on a context made by them.
  HDC mem = ::CreateCompatibleDC(c.dc.GetSafeHdc());
  HBITMAP bm = ::CreateCompatibleBitmap(c.dc.GetSafeHdc(), 10, 10);
  HGDIOBJ old = ::SelectObject(mem, bm);
  ::SetPixel(mem, 1, 1, kRed);
  EXPECT_EQ(::GetPixel(mem, 1, 1), kRed);
  ::SelectObject(mem, old);
  EXPECT_TRUE(::DeleteDC(mem));
  ::DeleteObject(bm);
}
