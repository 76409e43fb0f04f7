// Drawing and text utilities, pattern bitmaps, choice lists and bitmaps in cells.
#include "grid/engine/GXDIB.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Resource.h"
#include "tests/platform_gdi/GdiTestUtil.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

using gditest::Canvas;
using gditest::kWhite;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// A packed bottom-up 24-bit DIB of one colour in movable global memory.
HGLOBAL SolidDib(int w, int h, COLORREF c) {
  const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + stride * (size_t)h);
  auto* p = static_cast<BYTE*>(GlobalLock(mem));
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof(bih);
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  std::memcpy(p, &bih, sizeof(bih));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      BYTE* px = p + sizeof(bih) + (size_t)y * stride + (size_t)x * 3;
      px[0] = GetBValue(c);
      px[1] = GetGValue(c);
      px[2] = GetRValue(c);
    }
  GlobalUnlock(mem);
  return mem;
}

class CountingPool : public CGXDIBPool {
 public:
  HGLOBAL LoadDIB(LPCTSTR res) override {
    ++loads;
    return CGXDIBPool::LoadDIB(res);
  }
  int loads = 0;
};

}  // namespace

TEST(GridDrawUtils, FrameRingsAndFills) {
  Canvas c(60, 60);
  GXDraw3dFrame(&c.dc, 10, 10, 50, 50, 2, kRed, kBlue);
  c.Save("grid_3d_frame");
  struct Probe {
    int x, y;
    COLORREF color;
  } probes[] = {
      {30, 10, kRed},  {30, 11, kRed},  {30, 12, kWhite},  // top, two rings
      {10, 30, kRed},  {11, 30, kRed},  {12, 30, kWhite},  // left
      {30, 49, kBlue}, {30, 48, kBlue}, {30, 47, kWhite},  // bottom
      {49, 30, kBlue}, {48, 30, kBlue}, {47, 30, kWhite},  // right
      {9, 9, kWhite},
  };
  for (const Probe& p : probes) EXPECT_EQ(c.At(p.x, p.y), p.color) << p.x << "," << p.y;
  EXPECT_EQ(c.dc.GetBkColor(), kWhite);  // the background colour is given back

  Canvas f(20, 20);
  GXFillRect(&f.dc, 2, 2, 4, 4, RGB(0, 128, 0));
  EXPECT_EQ(f.At(3, 3), RGB(0, 128, 0));
  CRect r(0, 0, 10, 10), apart(12, 12, 15, 15);
  GXInvertClippedRect(&f.dc, &r, &apart);  // no overlap: nothing
  EXPECT_EQ(f.At(8, 8), kWhite);
  CRect clip(8, 8, 20, 20);
  GXInvertClippedRect(&f.dc, &r, &clip);
  EXPECT_EQ(f.At(8, 8), RGB(0, 0, 0));
  EXPECT_EQ(f.At(7, 7), kWhite);
}

TEST(GridDrawUtils, PatternTable) {
  struct Case {
    UINT pattern;
    WORD rows[8];
  } cases[] = {
      {0, {0x44, 0x11, 0x44, 0x11, 0x44, 0x11, 0x44, 0x11}},
      {1, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
      {2, {0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE}},
      {7, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
      {25, {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F}},
  };
  for (const Case& c : cases) {
    HBITMAP bm = GXGetPatternBitmap(c.pattern);
    ASSERT_TRUE(bm);
    EXPECT_EQ(GXGetPatternBitmap(c.pattern), bm);  // made once
    BYTE bits[16] = {};
    ASSERT_EQ(GetBitmapBits(bm, sizeof bits, bits), 16);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(bits[i * 2], c.rows[i]) << "pattern " << c.pattern << " row " << i;
  }
  EXPECT_FALSE(GXGetPatternBitmap(GX_PATTERN_COUNT));
  CGXBrushValue br;
  br.SetPattern(1);
  EXPECT_EQ(br.GetHatch(), (UINT_PTR)GXGetPatternBitmap(1));
}

TEST(GridDrawUtils, WrappingAndHitTesting) {
  Canvas c(200, 200);
  TEXTMETRIC tm;
  c.dc.GetTextMetrics(&tm);
  const int lineH = tm.tmHeight + tm.tmExternalLeading;
  const int oneLetter = c.dc.GetTextExtent("a", 1).cx;
  struct Case {
    const char* text;
    int width;
    UINT flags;
    std::vector<std::pair<int, int>> lines;  // start, length
  } cases[] = {
      {"a b", oneLetter, DT_WORDBREAK, {{0, 2}, {2, 1}}},
      {"ab\r\n", 150, DT_WORDBREAK, {{0, 2}, {4, 0}}},
      {"ab\ncd", 150, DT_WORDBREAK, {{0, 2}, {3, 2}}},
      {"ab\ncd", 150, DT_SINGLELINE, {{0, 2}}},
      {"aaaaaaaa", oneLetter * 2, DT_WORDBREAK, {{0, 2}, {2, 2}, {4, 2}, {6, 2}}},
  };
  for (const Case& k : cases) {
    CRect rect(0, 0, k.width - 1, lineH * 6);
    int starts[32], lengths[32];
    const int n = GXWrapTextLines(&c.dc, k.text, -1, rect, k.flags, starts, lengths, 32);
    std::vector<std::pair<int, int>> got;
    for (int i = 0; i < n; ++i) got.emplace_back(starts[i], lengths[i]);
    EXPECT_EQ(got, k.lines) << k.text;
  }
  // Vertical centring moves the top down by half of the free space.
  CRect centred(0, 0, 150, lineH * 3);
  GXWrapTextLines(&c.dc, "x", -1, centred, DT_VCENTER, nullptr, nullptr, 32);
  EXPECT_EQ(centred.top, lineH + tm.tmExternalLeading);

  const CRect area(0, 0, 150, 100);
  GXDrawMultiLineText(&c.dc, "ab\ncd", -1, area, 0, DT_WORDBREAK);
  EXPECT_GT(c.Ink(0, lineH, 150, 2 * lineH), 0);  // the second line is drawn under the first
  EXPECT_EQ(GXHitTestMultiLineText(&c.dc, "ab\ncd", -1, area, DT_WORDBREAK, CPoint(1, lineH + 1)), 3);
  EXPECT_EQ(GXHitTestMultiLineText(&c.dc, "ab\ncd", -1, area, DT_WORDBREAK, CPoint(1, lineH * 3)), -1);
  EXPECT_EQ(GXHitTestMultiLineText(&c.dc, "ab\ncd", -1, area, DT_WORDBREAK, CPoint(140, 1)), -1);

  // Characters of several bytes are never cut: lines break between them, and a hit anywhere on one
  // gives its first byte.
  const char* const e4 = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";  // four e-acute
  const int e = c.dc.GetTextExtent(e4, 2).cx;
  CRect two(0, 0, 2 * e - 1, lineH * 6);
  int starts[32], lengths[32];
  ASSERT_EQ(GXWrapTextLines(&c.dc, e4, -1, two, DT_WORDBREAK, starts, lengths, 32), 2);
  EXPECT_EQ(std::make_pair(starts[1], lengths[1]), std::make_pair(4, 4));
  for (int x : {1, e - 1, e + 1, 2 * e - 1})
    EXPECT_EQ(GXHitTestMultiLineText(&c.dc, e4, -1, area, 0, CPoint(x, 1)), x < e ? 0 : 2) << x;
}

TEST(GridDrawUtils, ChoiceLists) {
  CString list = "a\r\nb", line;
  EXPECT_EQ(GXSplitFirstLine(list, line), 2);
  EXPECT_EQ(line, "a");
  EXPECT_EQ(list, "b");
  EXPECT_EQ(GXSplitFirstLine(list, line), -1);
  EXPECT_EQ(line, "b");
  EXPECT_TRUE(list.IsEmpty());

  char field[6];
  struct Field {
    int index, max;
    const char* expected;
  } fields[] = {{0, 5, "one"}, {1, 5, "two"}, {2, 2, "th"}, {3, 5, ""}};
  for (const Field& f : fields) {
    GXGetTabbedField("one\ttwo\tthree", f.index, field, f.max);
    EXPECT_STREQ(field, f.expected) << f.index;
  }

  struct Find {
    const char* text;
    int fieldIndex;
    BOOL skipTitle, exact;
    int index;
    const char* line;
  } finds[] = {
      {"ra", 0, FALSE, FALSE, 1, "Raised"},
      {"ra", 0, FALSE, TRUE, -1, ""},
      {"Raised", 0, FALSE, TRUE, 1, "Raised"},
      {"ra", 0, TRUE, FALSE, 0, "Raised"},
      {"x", 1, FALSE, FALSE, 2, "Flat\tx"},
  };
  for (const Find& f : finds) {
    CString out = "stale";
    EXPECT_EQ(GXFindChoiceListEntry(f.text, f.fieldIndex, "Sunken\nRaised\r\nFlat\tx", f.skipTitle, out, f.exact),
              f.index)
        << f.text;
    EXPECT_EQ(out, f.line) << f.text;
  }

  CString sorted = "Title\r\nb\tz\r\nA\ty\nc\tx";
  GXSortChoiceList(sorted, 0, TRUE);
  EXPECT_EQ(sorted, "Title\r\nA\ty\r\nb\tz\r\nc\tx\r\n");
  GXSortChoiceList(sorted, 1, TRUE);
  EXPECT_EQ(sorted, "Title\r\nc\tx\r\nA\ty\r\nb\tz\r\n");
}

TEST(GridDib, HeadersAndResources) {
  struct Case {
    WORD bits;
    DWORD used;
    int colors;
  } cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {8, 5, 5}, {24, 0, 0}, {32, 0, 0}};
  for (const Case& c : cases) {
    BITMAPINFOHEADER h{};
    h.biBitCount = c.bits;
    h.biClrUsed = c.used;
    EXPECT_EQ(GXDibNumColors(&h), c.colors) << c.bits;
  }

  // A BMP file with a grey colour table, and a PNG image, as bitmap resources.
  std::vector<BYTE> bmp(14 + 40 + 8 + 4, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  BITMAPINFOHEADER bih{};
  bih.biSize = 40;
  bih.biWidth = 1;
  bih.biHeight = 1;
  bih.biPlanes = 1;
  bih.biBitCount = 1;
  std::memcpy(&bmp[14], &bih, 40);
  const BYTE table[8] = {0xC0, 0xC0, 0xC0, 0, 0x80, 0x80, 0x80, 0};
  std::memcpy(&bmp[54], table, 8);
  CBitmap png;
  ASSERT_TRUE(png.CreateBitmap(3, 2, 1, 32, nullptr));
  const std::string pngPath = dravonix::test::ScratchDir("griddib") + "/b.png";
  ASSERT_TRUE(SaveImage(&png, pngPath.c_str()));
  const std::vector<BYTE> pngBytes = dravonix::test::ReadFileBytes(pngPath);
  // The table lives in the program's data, so it joins the program's resources.
  static RESOURCE_ENTRY entries[2];
  static RESOURCE_TABLE resources;
  entries[0] = {RT_BITMAP, MAKEINTRESOURCE(23990), bmp.data(), (DWORD)bmp.size()};
  entries[1] = {RT_BITMAP, MAKEINTRESOURCE(23991), pngBytes.data(), (DWORD)pngBytes.size()};
  resources = {nullptr, 0, entries, 2};
  ASSERT_TRUE(AfxRegisterResourceTable(&resources));

  HGLOBAL dib = GXLoadDib(MAKEINTRESOURCE(23990));
  ASSERT_TRUE(dib);
  EXPECT_EQ(GlobalSize(dib), bmp.size() - 14);  // the packed DIB, without the file header
  EXPECT_EQ(std::memcmp(GlobalLock(dib), &bmp[14], bmp.size() - 14), 0);
  GlobalUnlock(dib);
  GlobalFree(dib);
  dib = GXLoadDib(MAKEINTRESOURCE(23991));
  ASSERT_TRUE(dib);
  CGXDIB png24;
  ASSERT_TRUE(png24.Attach(dib));
  EXPECT_EQ(png24.GetWidth(), 3);
  EXPECT_EQ(png24.GetHeight(), 2);
  EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib))->biBitCount, 24);
  GlobalUnlock(dib);
  EXPECT_FALSE(GXLoadDib(MAKEINTRESOURCE(23999)));

  CBitmap mapped;
  ASSERT_TRUE(GXLoadSysColorBitmap(mapped, MAKEINTRESOURCE(23990)));
  EXPECT_FALSE(GXLoadSysColorBitmap(mapped, MAKEINTRESOURCE(23999)));
  AfxUnregisterResourceTable(&resources);
}

TEST(GridDib, ReferencesAndPoolCache) {
  CountingPool pool;
  struct Case {
    const char* value;
    const char* key;  // null: no reference
  } cases[] = {
      {"#bmp(5)", "#5"},         {"#BMP(5)", "#5"},   {"#BMP(0)", nullptr}, {"#BMP(abc)", nullptr},
      {"#BMP(\"name\")", "name"}, {"#BMP(\"name", nullptr}, {"BMP(5)", nullptr}, {"", nullptr},
  };
  for (const Case& c : cases) {
    CString key;
    LPCTSTR ref = pool.ParseBitmapRef(c.value, key);
    EXPECT_EQ(ref != nullptr, c.key != nullptr) << c.value;
    if (c.key) {
      EXPECT_EQ(key, c.key) << c.value;
    }
  }
  EXPECT_FALSE(pool.GetDIB("#BMP(23998)"));
  EXPECT_FALSE(pool.GetDIB("#bmp(23998)"));
  EXPECT_EQ(pool.loads, 1);  // a missing bitmap is looked for once
  HANDLE h = (HANDLE)1;
  EXPECT_TRUE(pool.GetMap().Lookup("#23998", h));
  EXPECT_FALSE(h);
  CString text;
  pool.FormatBitmapRef(7, text);
  EXPECT_EQ(text, "#BMP(7)");
  pool.FormatQuotedBitmapRef(8, text);
  EXPECT_EQ(text, "#BMP(\"8\")");
}

TEST(GridDib, ShortBlocksAreNotDrawn) {
  // 200 x 200 at 24 bits needs 40 + 600 x 200 bytes; shorter blocks are not read past their end.
  HGLOBAL full = SolidDib(200, 200, kRed);
  const SIZE_T need = GlobalSize(full);
  struct Case {
    SIZE_T bytes;
    bool drawn;
  } cases[] = {{40 + 100, false}, {need - 1, false}, {need, true}};
  for (const Case& c : cases) {
    HGLOBAL cut = GlobalAlloc(GMEM_MOVEABLE, c.bytes);
    std::memcpy(GlobalLock(cut), GlobalLock(full), c.bytes);
    GlobalUnlock(full);
    GlobalUnlock(cut);
    for (int mode : {0, 1, 2}) {
      Canvas canvas(60, 60);
      CGXDIB::Draw(&canvas.dc, cut, CRect(0, 0, 60, 60), mode, 0);
      EXPECT_EQ(!canvas.InkBox().IsRectEmpty(), c.drawn) << c.bytes << " bytes, mode " << mode;
    }
    GlobalFree(cut);
  }
  GlobalFree(full);
}

TEST(GridDib, WidthsWithoutAScanLineAreNoBitmap) {
  // A header only: nothing to draw, whatever it claims.
  const struct {
    LONG width, height;
    WORD bits;
  } cases[] = {{-5, 10, 24}, {INT_MIN, 10, 24}, {0, 10, 24}, {0x7FFFFFFF, 10, 24}, {0x40000000, 1, 32}, {10, INT_MIN, 24}};
  for (const auto& c : cases) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih), bih.biWidth = c.width, bih.biHeight = c.height, bih.biPlanes = 1, bih.biBitCount = c.bits;
    std::memcpy(GlobalLock(h), &bih, sizeof(bih));
    GlobalUnlock(h);
    for (int mode : {0, 1, 2})
      for (UINT flags : {0u, 1u | 4u, 2u | 8u}) {
        Canvas canvas(20, 20);
        CGXDIB::Draw(&canvas.dc, h, CRect(0, 0, 20, 20), mode, flags);
        EXPECT_TRUE(canvas.InkBox().IsRectEmpty()) << c.width << " x " << c.height;
      }
    CGXDIB dib;
    dib.Attach(h);
    EXPECT_EQ(CSize(dib.GetWidth(), dib.GetHeight()), CSize(0, 0)) << c.width << " x " << c.height;
  }
}

TEST(GridDib, DrawingModes) {
  HGLOBAL dib = SolidDib(100, 50, kRed);
  struct Case {
    int mode;
    UINT flags;
    CRect ink;  // where red lands in a 40 x 40 destination at (10, 10)
  } cases[] = {
      {2, 4, CRect(10, 20, 50, 40)},  // 40 x 20, centred vertically: rows 10..29 of the cell
      {2, 0, CRect(10, 10, 50, 30)},
      {2, 8, CRect(10, 30, 50, 50)},
      {1, 0, CRect(10, 10, 50, 50)},
      {0, 0, CRect(10, 10, 50, 50)},  // cut to the destination
  };
  for (const Case& c : cases) {
    Canvas canvas(60, 60);
    CGXDIB::Draw(&canvas.dc, dib, CRect(10, 10, 50, 50), c.mode, c.flags);
    EXPECT_EQ(canvas.InkBox(), c.ink) << "mode " << c.mode << " flags " << c.flags;
    if (c.mode == 2 && c.flags == 4) {
      canvas.Save("grid_dib_aspect");
      EXPECT_EQ(canvas.At(30, 20), kRed);  // cell row 10
      EXPECT_EQ(canvas.At(30, 39), kRed);  // cell row 29
      EXPECT_EQ(canvas.At(30, 19), kWhite);
      EXPECT_EQ(canvas.At(30, 40), kWhite);
    }
  }
  Canvas small(60, 60);
  HGLOBAL narrow = SolidDib(10, 10, kBlue);
  CGXDIB::Draw(&small.dc, narrow, CRect(0, 0, 40, 40), 0, 1 | 8);  // centred, bottom
  EXPECT_EQ(small.InkBox(), CRect(15, 30, 25, 40));
  GlobalFree(narrow);
  // Nothing to draw with: no DC, an empty bitmap, no bitmap.
  HGLOBAL empty = SolidDib(0, 0, kBlue);
  Canvas none(20, 20);
  CGXDIB::Draw(nullptr, dib, CRect(0, 0, 10, 10), 2, 4);
  CGXDIB::Draw(&none.dc, empty, CRect(0, 0, 10, 10), 2, 4);
  CGXDIB::Draw(&none.dc, nullptr, CRect(0, 0, 10, 10), 0, 0);
  EXPECT_TRUE(none.InkBox().IsRectEmpty());
  GlobalFree(empty);
  GlobalFree(dib);
}
