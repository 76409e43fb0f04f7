// The bitmap loader on untrusted bytes: bad headers, wild counts and truncations fail cleanly.
#include "GdiTestUtil.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstring>
#include <random>
#include <vector>

using namespace gditest;

namespace {

void Put32(std::vector<BYTE>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + (size_t)i] = (BYTE)(v >> (8 * i));
}

// A packed DIB (with a file header when `file`): 8 x 8 pixels, the palette's first entries used.
std::vector<BYTE> MakeDib(bool file, WORD bpp, DWORD compression = BI_RGB, DWORD clrUsed = 0) {
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = 8;
  h.biHeight = 8;
  h.biPlanes = 1;
  h.biBitCount = bpp;
  h.biCompression = compression;
  h.biClrUsed = clrUsed;
  size_t table = bpp <= 8 ? (clrUsed ? clrUsed : 1u << bpp) * 4 : compression == BI_BITFIELDS ? 12 : 0;
  size_t row = (8 * bpp + 31) / 32 * 4;
  size_t at = file ? 14 : 0;
  std::vector<BYTE> b(at + 40 + table + row * 8, 0);
  if (file) {
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 10, (uint32_t)(at + 40 + table));
  }
  std::memcpy(b.data() + at, &h, 40);
  const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  if (bpp <= 8)
    for (int i = 0; i < 4 && (size_t)i * 4 < table; ++i) Put32(b, at + 40 + (size_t)i * 4, colours[i]);
  if (compression == BI_BITFIELDS) {
    Put32(b, at + 40, bpp == 16 ? 0xF800 : 0xFF0000);
    Put32(b, at + 44, bpp == 16 ? 0x07E0 : 0xFF00);
    Put32(b, at + 48, bpp == 16 ? 0x001F : 0xFF);
  }
  // Each quadrant takes one colour index (bottom-up rows); deep pixels get recognisable bytes.
  BYTE* px = b.data() + at + 40 + table;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      int q = (y < 4 ? 2 : 0) + (x < 4 ? 0 : 1);
      BYTE* r = px + (size_t)y * row;
      if (bpp == 4) r[x / 2] |= (BYTE)(q << (x % 2 ? 0 : 4));
      else if (bpp == 8) r[x] = (BYTE)q;
      else if (bpp == 1) r[x / 8] |= (BYTE)((q & 1) << (7 - x % 8));
      else for (int k = 0; k < bpp / 8; ++k) r[x * (bpp / 8) + k] = (BYTE)(0x40 * q + k);
    }
  return b;
}

std::vector<BYTE> MakePng() {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 6, 5);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgba(cr, 0.2, 0.5, 0.9, 0.7);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::vector<BYTE> out;
  cairo_surface_write_to_png_stream(
      s,
      [](void* c, const unsigned char* d, unsigned int n) {
        static_cast<std::vector<BYTE>*>(c)->insert(static_cast<std::vector<BYTE>*>(c)->end(), d, d + n);
        return CAIRO_STATUS_SUCCESS;
      },
      &out);
  cairo_surface_destroy(s);
  return out;
}

// Loads from a buffer of exactly the given bytes, so a read past them is caught.
bool Loads(const std::vector<BYTE>& bytes, COLORREF* corner = nullptr) {
  std::vector<BYTE> exact(bytes);
  HBITMAP h = CreateBitmapFromBytes(exact.empty() ? nullptr : exact.data(), exact.size());
  if (!h) return false;
  if (corner) {
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(mem.GetSafeHdc(), h);
    *corner = mem.GetPixel(0, 0);
    ::SelectObject(mem.GetSafeHdc(), old);
  }
  DeleteObject(h);
  return true;
}

}  // namespace

TEST(BitmapBytes, HeaderFieldsOutsideTheirRangeRefuseTheLoad) {
  const size_t kClrUsed = 14 + 32, kCompression = 14 + 16, kWidth = 14 + 4, kHeaderSize = 14;
  struct Case {
    size_t at;
    uint32_t value;
    bool loads;
  };
  for (const Case& c : {Case{kClrUsed, 0xFFFFFFF7u, false}, Case{kClrUsed, 0xFFFFFFFEu, false},
                        Case{kClrUsed, 0xFFFFFFFFu, false}, Case{kClrUsed, 17, false}, Case{kClrUsed, 16, true},
                        Case{kClrUsed, 4, true}, Case{kCompression, BI_RLE4, false}, Case{kCompression, 99, false},
                        Case{kWidth, 0x7FFFFFFFu, false}, Case{kWidth, 0x80000000u, false},
                        Case{kHeaderSize, 39, false}, Case{kHeaderSize, 0xFFFFFFF0u, false}}) {
    std::vector<BYTE> b = MakeDib(true, 4);
    Put32(b, c.at, c.value);
    EXPECT_EQ(c.loads, Loads(b)) << c.at << " = " << c.value;
  }
  // A count below the full table moves the pixels up: the table is 4 entries long.
  COLORREF corner = 0;
  ASSERT_TRUE(Loads(MakeDib(false, 4, BI_RGB, 4), &corner));
  EXPECT_EQ(RGB(255, 0, 0), corner);  // top row first in the picture: index 0
  // Cut inside the header, the table or the pixels.
  std::vector<BYTE> b = MakeDib(true, 4);
  for (size_t cut : {size_t{14 + 39}, size_t{14 + 40 + 63}, b.size() - 1}) {
    std::vector<BYTE> t(b.begin(), b.begin() + (long)cut);
    EXPECT_FALSE(Loads(t)) << cut;
  }
}

TEST(BitmapBytes, TruncatedAndMutatedInputsFailOrLoadWithoutStrayReads) {
  std::vector<std::vector<BYTE>> seeds = {MakeDib(true, 4), MakeDib(true, 8, BI_RGB, 4), MakeDib(false, 1),
                                          MakeDib(false, 24), MakeDib(true, 16, BI_BITFIELDS),
                                          MakeDib(false, 32, BI_BITFIELDS), MakePng()};
  for (const auto& seed : seeds) ASSERT_TRUE(Loads(seed));
  std::mt19937 rng(1234);
  const uint32_t extremes[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF7u, 0xFFFFFFFEu, 0xFFFFFFFFu, 0x10000u};
  for (const auto& seed : seeds) {
    for (size_t cut = 0; cut < seed.size(); ++cut) Loads(std::vector<BYTE>(seed.begin(), seed.begin() + (long)cut));
    for (size_t at = 0; at + 4 <= std::min<size_t>(seed.size(), 80); at += 2)
      for (uint32_t v : extremes) {
        std::vector<BYTE> m = seed;
        Put32(m, at, v);
        Loads(m);
      }
    for (int i = 0; i < 10000; ++i) {
      std::vector<BYTE> m = seed;
      int flips = 1 + (int)(rng() % 4);
      for (int k = 0; k < flips; ++k) m[rng() % std::min<size_t>(m.size(), 96)] = (BYTE)rng();
      if (rng() % 4 == 0) m.resize(rng() % m.size());
      Loads(m);
    }
  }
}
