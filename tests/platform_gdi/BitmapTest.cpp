// Memory contexts, bitmaps, block transfers, DIBs and palettes.
#include "GdiTestUtil.h"
#include "platform/gdi/PackedDib.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <climits>
#include <cstring>
#include <vector>

using namespace gditest;

TEST(GdiBitmaps, MemoryDCDoubleBufferWithBitBlt) {
  Canvas c;
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&c.dc));
  CBitmap bm;
  ASSERT_TRUE(bm.CreateCompatibleBitmap(&c.dc, 40, 30));
  BITMAP info;
  ASSERT_EQ(bm.GetBitmap(&info), (int)sizeof(BITMAP));
  EXPECT_EQ(info.bmWidth, 40);
  EXPECT_EQ(info.bmHeight, 30);
  EXPECT_EQ(info.bmBitsPixel, 32);
  CBitmap* old = mem.SelectObject(&bm);
  ASSERT_NE(old, nullptr);  // the default 1x1 bitmap
  BITMAP def;
  old->GetBitmap(&def);
  EXPECT_EQ(def.bmWidth, 1);
  EXPECT_EQ(def.bmBitsPixel, 1);
  mem.FillSolidRect(0, 0, 40, 30, kBlue);
  mem.SetPixel(3, 4, kRed);
  ASSERT_TRUE(c.dc.BitBlt(100, 100, 40, 30, &mem, 0, 0, SRCCOPY));
  EXPECT_EQ(c.At(103, 104), kRed);
  EXPECT_EQ(c.At(139, 129), kBlue);
  EXPECT_EQ(c.At(140, 129), kWhite);
  // A source origin and a stretch.
  ASSERT_TRUE(c.dc.StretchBlt(0, 0, 20, 20, &mem, 3, 4, 1, 1, SRCCOPY));
  EXPECT_EQ(c.At(19, 19), kRed);
  EXPECT_EQ(c.At(20, 19), kWhite);
  // Raster operations with a source: SRCINVERT twice restores.
  c.dc.BitBlt(100, 100, 40, 30, &mem, 0, 0, SRCINVERT);
  EXPECT_EQ(c.At(110, 110), kBlack);
  c.dc.BitBlt(100, 100, 40, 30, &mem, 0, 0, SRCINVERT);
  EXPECT_EQ(c.At(110, 110), kBlue);
  // Raster operations without a source.
  ASSERT_TRUE(c.dc.PatBlt(0, 50, 10, 10, BLACKNESS));
  EXPECT_EQ(c.At(5, 55), kBlack);
  c.dc.PatBlt(0, 50, 10, 10, DSTINVERT);
  EXPECT_EQ(c.At(5, 55), kWhite);
  CBrush red(kRed);
  c.dc.SelectObject(&red);
  c.dc.PatBlt(0, 50, 10, 10, PATINVERT);
  EXPECT_EQ(c.At(5, 55), RGB(0, 255, 255));
  mem.SelectObject(old);
  c.Save("bitblt");
}

TEST(GdiBitmaps, MonochromeConversions) {
  Canvas c;
  CDC mem;
  mem.CreateCompatibleDC(&c.dc);
  // Compatible with a memory context that still holds its 1x1 default: monochrome, as the platform does.
  CBitmap mono;
  ASSERT_TRUE(mono.CreateCompatibleBitmap(&mem, 8, 8));
  BITMAP info;
  mono.GetBitmap(&info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  BYTE rows[16] = {0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0x0F, 0, 0x0F, 0, 0x0F, 0, 0x0F, 0};
  mono.SetBitmapBits(sizeof(rows), rows);
  mem.SelectObject(&mono);
  // Mono to colour: 0 bits take the text colour, 1 bits the background colour.
  c.dc.SetTextColor(kRed);
  c.dc.SetBkColor(kBlue);
  c.dc.BitBlt(0, 0, 8, 8, &mem, 0, 0, SRCCOPY);
  EXPECT_EQ(c.At(0, 0), kBlue);
  EXPECT_EQ(c.At(7, 0), kRed);
  EXPECT_EQ(c.At(0, 7), kRed);
  EXPECT_EQ(c.At(7, 7), kBlue);
  // Colour to mono: the source's background colour becomes white, all else black.
  c.dc.FillSolidRect(20, 0, 4, 8, kRed);
  c.dc.SetBkColor(kWhite);
  mem.BitBlt(0, 0, 8, 8, &c.dc, 20, 0, SRCCOPY);
  BYTE back[16];
  ASSERT_EQ(mono.GetBitmapBits(sizeof(back), back), 16u);
  EXPECT_EQ(back[0], 0x0F);
  EXPECT_EQ(back[14], 0x0F);
}

static std::vector<BYTE> DibInfo(int w, int h, int bpp, std::vector<RGBQUAD> colors) {
  std::vector<BYTE> buf(sizeof(BITMAPINFOHEADER) + colors.size() * sizeof(RGBQUAD));
  BITMAPINFOHEADER bih{};
  bih.biSize = 40;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = (WORD)bpp;
  bih.biCompression = BI_RGB;
  bih.biClrUsed = (DWORD)colors.size();
  std::memcpy(buf.data(), &bih, sizeof(bih));
  if (!colors.empty()) std::memcpy(buf.data() + 40, colors.data(), colors.size() * sizeof(RGBQUAD));
  return buf;
}

TEST(GdiBitmaps, StretchDIBitsForAllDepths) {
  Canvas c;
  // 1 bit, 2x2, bottom-up: bottom row "10", top row "01".
  {
    auto info = DibInfo(2, 2, 1, {{0, 0, 255, 0}, {255, 0, 0, 0}});  // 0 red, 1 blue
    BYTE bits[8] = {0x80, 0, 0, 0, 0x40, 0, 0, 0};
    EXPECT_EQ(c.dc.StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, bits, reinterpret_cast<BITMAPINFO*>(info.data()),
                                 DIB_RGB_COLORS, SRCCOPY),
              2);
    EXPECT_EQ(c.At(0, 1), kBlue);
    EXPECT_EQ(c.At(1, 1), kRed);
    EXPECT_EQ(c.At(0, 0), kRed);
    EXPECT_EQ(c.At(1, 0), kBlue);
  }
  // 4 bit: one row of two pixels, colour 1 and colour 2.
  {
    auto info = DibInfo(2, 1, 4, {{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}});
    BYTE bits[4] = {0x12, 0, 0, 0};
    c.dc.StretchDIBits(10, 0, 2, 1, 0, 0, 2, 1, bits, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(c.At(10, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.At(11, 0), kRed);
  }
  // 8 bit, top-down (negative height), stretched 3x.
  {
    auto info = DibInfo(1, -2, 8, {{0, 0, 0, 0}, {255, 255, 255, 0}});
    BYTE bits[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    c.dc.StretchDIBits(20, 0, 3, 6, 0, 0, 1, 2, bits, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(c.At(22, 2), kWhite);
    EXPECT_EQ(c.At(22, 3), kBlack);
    EXPECT_EQ(c.At(20, 5), kBlack);
  }
  // 24 bit.
  {
    auto info = DibInfo(1, 1, 24, {});
    BYTE bits[4] = {0x30, 0x20, 0x10, 0};
    c.dc.StretchDIBits(30, 0, 1, 1, 0, 0, 1, 1, bits, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(c.At(30, 0), RGB(0x10, 0x20, 0x30));
  }
  // Bad DIBs draw nothing.
  {
    auto info = DibInfo(0, 0, 24, {});
    BYTE bits[4] = {};
    EXPECT_EQ(c.dc.StretchDIBits(50, 50, 10, 10, 0, 0, 1, 1, bits, reinterpret_cast<BITMAPINFO*>(info.data()),
                                 DIB_RGB_COLORS, SRCCOPY),
              0);
    auto odd = DibInfo(1, 1, 7, {});
    EXPECT_EQ(c.dc.StretchDIBits(50, 50, 10, 10, 0, 0, 1, 1, bits, reinterpret_cast<BITMAPINFO*>(odd.data()),
                                 DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(c.dc.StretchDIBits(50, 50, 10, 10, 0, 0, 1, 1, nullptr, nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(c.Ink(50, 50, 60, 60), 0);
  }
}

TEST(GdiBitmaps, GetDIBitsRoundTrip) {
  Canvas c;
  CDC mem;
  mem.CreateCompatibleDC(&c.dc);
  CBitmap bm;
  bm.CreateCompatibleBitmap(&c.dc, 3, 2);
  CBitmap* old = mem.SelectObject(&bm);
  mem.SetPixel(0, 0, RGB(1, 2, 3));
  mem.SetPixel(2, 1, RGB(200, 100, 50));
  mem.SelectObject(old);
  std::vector<BYTE> info = DibInfo(3, 2, 24, {});
  ASSERT_EQ(GetDIBits(c.dc.GetSafeHdc(), bm, 0, 2, nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 2);
  BITMAPINFOHEADER bih;
  std::memcpy(&bih, info.data(), 40);
  EXPECT_EQ(bih.biSizeImage, 24u);  // two rows of 12 bytes
  std::vector<BYTE> bits(bih.biSizeImage);
  ASSERT_EQ(GetDIBits(c.dc.GetSafeHdc(), bm, 0, 2, bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS), 2);
  // Bottom-up: the first row is the bottom one.
  EXPECT_EQ(bits[6], 50);
  EXPECT_EQ(bits[7], 100);
  EXPECT_EQ(bits[8], 200);
  EXPECT_EQ(bits[12], 3);
  EXPECT_EQ(bits[13], 2);
  EXPECT_EQ(bits[14], 1);
  // And back through StretchDIBits.
  c.dc.StretchDIBits(0, 0, 3, 2, 0, 0, 3, 2, bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(c.At(2, 1), RGB(200, 100, 50));
  // A DIB-made bitmap.
  HBITMAP h = CreateDIBitmap(c.dc.GetSafeHdc(), &bih, CBM_INIT, bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()),
                             DIB_RGB_COLORS);
  ASSERT_NE(h, nullptr);
  CDC mem2;
  mem2.CreateCompatibleDC(&c.dc);
  HGDIOBJ o = mem2.SelectObject((HGDIOBJ)h);
  EXPECT_EQ(mem2.GetPixel(2, 1), RGB(200, 100, 50));
  mem2.SelectObject(o);
  DeleteObject(h);
}

// Every reader of a header measures it in one place; a header that is no bitmap makes none.
TEST(GdiBitmaps, HeadersThatAreNoBitmap) {
  const struct {
    LONG width, height;
    WORD bits;
    bool ok;
    int cx, cy;
  } cases[] = {{3, -2, 24, true, 3, 2},          {3, INT_MIN + 1, 24, true, 3, INT_MAX},
               {3, 0, 24, true, 3, 0},           {3, INT_MIN, 24, false, 0, 0},
               {0, 2, 24, false, 0, 0},          {-3, 2, 24, false, 0, 0},
               {0x40000000, 1, 32, false, 0, 0}, {0x3FFFFFFF, 1, 8, true, 0x3FFFFFFF, 1}};
  for (const auto& c : cases) {
    BITMAPINFOHEADER bih{};
    bih.biSize = 40, bih.biWidth = c.width, bih.biHeight = c.height, bih.biPlanes = 1, bih.biBitCount = c.bits;
    int cx = -1, cy = -1;
    EXPECT_EQ(DibHeaderSize(bih, cx, cy), c.ok) << c.width << " x " << c.height;
    EXPECT_EQ(CSize(cx, cy), CSize(c.cx, c.cy)) << c.width << " x " << c.height;
  }
  Canvas c;
  std::vector<BYTE> info = DibInfo(3, INT_MIN, 24, {});
  std::vector<BYTE> bits(64);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  EXPECT_EQ(CreateDIBitmap(c.dc.GetSafeHdc(), &bi->bmiHeader, CBM_INIT, bits.data(), bi, DIB_RGB_COLORS), nullptr);
  CBitmap bm;
  bm.CreateCompatibleBitmap(&c.dc, 3, 2);
  for (void* out : {(void*)nullptr, (void*)bits.data()})
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), bm, 0, 2, out, bi, DIB_RGB_COLORS), 0);
}

TEST(GdiBitmaps, PalettesAndBadInput) {
  CPalette pal;
  ASSERT_TRUE(pal.CreateHalftonePalette(nullptr));
  EXPECT_EQ(pal.GetEntryCount(), 256);
  PALETTEENTRY e;
  pal.GetPaletteEntries(255, 1, &e);
  EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), kWhite);
  EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), kWhite);
  UINT idx = pal.GetNearestPaletteIndex(RGB(250, 2, 2));
  pal.GetPaletteEntries(idx, 1, &e);
  EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), kRed);
  struct {
    WORD ver, n;
    PALETTEENTRY e[2];
  } lp = {0x300, 2, {{10, 20, 30, 0}, {40, 50, 60, 0}}};
  CPalette small;
  ASSERT_TRUE(small.CreatePalette(reinterpret_cast<LPLOGPALETTE>(&lp)));
  Canvas c;
  CPalette* old = c.dc.SelectPalette(&small, FALSE);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(c.dc.RealizePalette(), 0u);  // a true-colour surface needs no mapping
  c.dc.SetPixel(0, 0, PALETTEINDEX(1));
  EXPECT_EQ(c.At(0, 0), RGB(40, 50, 60));
  c.dc.SelectPalette(old, FALSE);
  lp.ver = 0x200;
  CPalette bad;
  EXPECT_FALSE(bad.CreatePalette(reinterpret_cast<LPLOGPALETTE>(&lp)));
  // Zero-size and negative bitmaps, null objects and deleted handles.
  CBitmap z;
  ASSERT_TRUE(z.CreateBitmap(0, 0, 1, 1, nullptr));
  BITMAP bi;
  z.GetBitmap(&bi);
  EXPECT_EQ(bi.bmWidth, 1);
  CBitmap neg;
  EXPECT_FALSE(neg.CreateCompatibleBitmap(&c.dc, -5, 5));
  CBitmap zc;
  EXPECT_TRUE(zc.CreateCompatibleBitmap(&c.dc, 0, 10));
  EXPECT_EQ(c.dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
  EXPECT_EQ(c.dc.SelectObject((HGDIOBJ) nullptr), nullptr);
  HPEN p = CreatePen(PS_SOLID, 1, kRed);
  DeleteObject(p);
  EXPECT_EQ(c.dc.SelectObject((HGDIOBJ)p), nullptr);
  EXPECT_FALSE(DeleteObject(p));
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects survive
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), (DWORD)OBJ_PEN);
  EXPECT_EQ(GetStockObject(99), nullptr);
  // A bitmap selected into a context keeps drawing after its handle is deleted.
  CDC mem;
  mem.CreateCompatibleDC(&c.dc);
  HBITMAP hb = CreateCompatibleBitmap(c.dc.GetSafeHdc(), 4, 4);
  HGDIOBJ prev = mem.SelectObject((HGDIOBJ)hb);
  DeleteObject(hb);
  mem.SetPixel(1, 1, kRed);
  EXPECT_EQ(mem.GetPixel(1, 1), kRed);
  mem.SelectObject(prev);
  // Non-memory contexts refuse bitmaps; null sources refuse blits.
  CBitmap b2;
  b2.CreateCompatibleBitmap(&c.dc, 2, 2);
  EXPECT_EQ(c.dc.SelectObject(&b2), nullptr);
  EXPECT_FALSE(c.dc.BitBlt(0, 0, 5, 5, nullptr, 0, 0, SRCCOPY));
  CDC none;
  EXPECT_FALSE(none.Rectangle(0, 0, 5, 5));
  EXPECT_FALSE(none.LineTo(5, 5));
  CSize ext = none.GetTextExtent("abc", 3);
  EXPECT_EQ(ext, CSize(0, 0));
}

namespace {

std::vector<BYTE> g_png;

bool FindBitmap(UINT id, LPCSTR name, std::vector<BYTE>& bytes) {
  if (name && std::strcmp(name, "ModuleIcon") == 0) {
    bytes = g_png;
    return true;
  }
  if (id == 14998) {
    // A 2x1 BMP file: grey (3-D face) and white.
    std::vector<BYTE> b(14 + 40 + 8, 0);
    b[0] = 'B';
    b[1] = 'M';
    BITMAPINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = 2;
    bih.biHeight = 1;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    std::memcpy(b.data() + 14, &bih, 40);
    BYTE px[8] = {0xC0, 0xC0, 0xC0, 0xFF, 0xFF, 0xFF, 0, 0};
    std::memcpy(b.data() + 54, px, 8);
    bytes = b;
    return true;
  }
  return false;
}

}  // namespace

TEST(GdiBitmaps, BitmapResourcesThroughTheFinder) {
  CBitmap none;
  EXPECT_FALSE(none.LoadBitmap(14998));  // no finder installed yet
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 2);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  g_png.clear();
  cairo_surface_write_to_png_stream(
      s,
      [](void* c, const unsigned char* d, unsigned int n) {
        static_cast<std::vector<BYTE>*>(c)->insert(static_cast<std::vector<BYTE>*>(c)->end(), d, d + n);
        return CAIRO_STATUS_SUCCESS;
      },
      &g_png);
  cairo_surface_destroy(s);
  SetBitmapResourceFinder(FindBitmap);
  CBitmap icon;
  ASSERT_TRUE(icon.LoadBitmap("ModuleIcon"));
  BITMAP bi;
  icon.GetBitmap(&bi);
  EXPECT_EQ(bi.bmWidth, 3);
  EXPECT_EQ(bi.bmHeight, 2);
  CBitmap node;
  ASSERT_TRUE(node.LoadBitmap(14998));
  Canvas c;
  CDC mem;
  mem.CreateCompatibleDC(&c.dc);
  CBitmap* old = mem.SelectObject(&node);
  EXPECT_EQ(mem.GetPixel(0, 0), RGB(192, 192, 192));
  mem.SelectObject(old);
  CBitmap mapped;
  ASSERT_TRUE(mapped.LoadMappedBitmap(14998));
  mem.SelectObject(&mapped);
  EXPECT_EQ(mem.GetPixel(0, 0), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(mem.GetPixel(1, 0), GetSysColor(COLOR_3DHILIGHT));
  mem.SelectObject(old);
  CBitmap missing;
  EXPECT_FALSE(missing.LoadBitmap(1));
  BYTE junk[20] = {1, 2, 3};
  EXPECT_EQ(CreateBitmapFromBytes(junk, sizeof(junk)), nullptr);
  SetBitmapResourceFinder(nullptr);
}

TEST(GdiBitmaps, TextOnMonochromeBitmapsStaysBlackAndWhite) {
  CDC mem;
  mem.CreateCompatibleDC(nullptr);
  CBitmap mono;
  ASSERT_TRUE(mono.CreateBitmap(64, 24, 1, 1, nullptr));
  CBitmap* old = mem.SelectObject(&mono);
  mem.PatBlt(0, 0, 64, 24, WHITENESS);
  LOGFONT lf{};
  lf.lfHeight = -16;
  std::strcpy(lf.lfFaceName, "Arial");
  CFont f;
  f.CreateFontIndirect(&lf);
  mem.SelectObject(&f);
  mem.SetBkMode(TRANSPARENT);
  mem.TextOut(2, 2, "Mono", 4);
  int black = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 64; ++x) {
      COLORREF c = mem.GetPixel(x, y);
      ASSERT_TRUE(c == kBlack || c == kWhite) << x << "," << y;
      black += c == kBlack;
    }
  EXPECT_GT(black, 20);
  mem.SelectObject(old);
}
