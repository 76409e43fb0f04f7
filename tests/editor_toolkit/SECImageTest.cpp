// Device-independent images: padding, flips, rotation, crops, contrast, archives and bitmap files, drawing.
#include "platform/core/Automation.h"
#include "platform/gdi/DC.h"
#include "tests/editor_toolkit/ImageTestUtil.h"
#include "tests/editor_toolkit/ToolkitTestUtil.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"

#include <sys/resource.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <numeric>

using dravonix::test::Bytes;

namespace {

std::vector<BYTE> Sequence(size_t n, int start = 1) {
  std::vector<BYTE> v(n);
  std::iota(v.begin(), v.end(), (BYTE)start);
  return v;
}

TEST(SECImage, RowSizesAndPaddingRoundTrip) {
  EXPECT_EQ(32u, SECImage::CalcBytesPerLine(24, 10));
  EXPECT_EQ(30u, SECImage::LastByte(24, 10));
  EXPECT_EQ(2u, SECImage::CalcPadding(24, 10));
  EXPECT_EQ(0u, SECImage::CalcPadding(1, 32));
  EXPECT_EQ(4u, SECImage::CalcBytesPerLine(1, 3));
  TestImage img;
  img.Make(10, 3, 24, Sequence(90));
  std::vector<BYTE> padded(img.m_lpSrcBits, img.m_lpSrcBits + 96);
  img.UnPadBits();
  EXPECT_EQ(0, memcmp(img.m_lpSrcBits + 30, padded.data() + 32, 30));
  img.PadBits();
  EXPECT_EQ(padded, std::vector<BYTE>(img.m_lpSrcBits, img.m_lpSrcBits + 96));
}

TEST(SECImage, AHeightNoIntCanNegateHoldsNoBytes) {
  TestImage img;
  img.Make(2, 2, 24, Sequence(12));
  EXPECT_EQ(16u, img.NumBytes());
  img.m_lpBMI->bmiHeader.biHeight = INT_MIN;
  EXPECT_EQ(0u, img.NumBytes());
  img.m_lpBMI->bmiHeader.biHeight = 2;
}

TEST(SECImage, RotationsAndFlipsGiveThePixelsBackAtEveryDepth) {
  struct Case {
    UINT bpp;
    DWORD w, h;
  } cases[] = {{1, 13, 5}, {4, 7, 3}, {8, 5, 4}, {16, 3, 2}, {24, 10, 3}, {32, 2, 5}};
  for (const Case& c : cases) {
    TestImage img;
    img.Make(c.w, c.h, c.bpp, Sequence(SECImage::LastByte(c.bpp, c.w) * c.h, 7));
    // Whole bytes only: the unused bits of a packed sub-byte row are not pixels.
    auto rows = img.Rows();
    ASSERT_TRUE(img.Rotate90(1));
    EXPECT_EQ(c.h, img.dwGetWidth());
    EXPECT_EQ(c.w, img.dwGetHeight());
    ASSERT_TRUE(img.Rotate90(0));
    ASSERT_TRUE(img.FlipHorz());
    ASSERT_TRUE(img.FlipHorz());
    ASSERT_TRUE(img.FlipVert());
    ASSERT_TRUE(img.FlipVert());
    TestImage ref;
    ref.Make(c.w, c.h, c.bpp, rows);
    if (c.bpp >= 8) {
      EXPECT_EQ(rows, img.Rows()) << c.bpp;
    }
    for (DWORD y = 0; y < c.h && c.bpp < 8; ++y) {
      for (DWORD x = 0; x < c.w; ++x) {
        auto bit = [&](const TestImage& i) {
          const BYTE* row = i.m_lpSrcBits + (size_t)(c.h - 1 - y) * i.m_dwPadWidth;
          return c.bpp == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : (x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4);
        };
        EXPECT_EQ(bit(ref), bit(img)) << c.bpp << " " << x << "," << y;
      }
    }
  }
}

TEST(SECImage, ClockwiseTurnPutsTheTopLeftPixelTopRight) {
  TestImage img;
  // 2 x 1, 24 bits: red then green.
  img.Make(2, 1, 24, {0, 0, 255, 0, 255, 0});
  ASSERT_TRUE(img.Rotate90(1));
  EXPECT_EQ((std::vector<BYTE>{255, 0, 0}), img.Rgb(0, 0));
  EXPECT_EQ((std::vector<BYTE>{0, 255, 0}), img.Rgb(0, 1));
}

TEST(SECImage, UnsupportedDepthShowsTheMessage) {
  Automation::Instance().ClearMessageBoxes();
  TestImage img;
  img.Make(4, 4, 24, Sequence(48));
  img.m_wBitsPerPixel = 2;
  EXPECT_FALSE(img.Rotate90(1));
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Rotate90: Error, unsupported format.", boxes[0].text);
  EXPECT_EQ(4u, img.dwGetWidth());
}

TEST(SECImage, CropKeepsTheRectangleAndRefusesOneOutside) {
  TestImage img;
  img.Make(4, 3, 8, Sequence(12), {});
  EXPECT_TRUE(img.Crop(1, 1, 2, 2));
  EXPECT_EQ((std::vector<BYTE>{6, 7, 10, 11}), img.Rows());
  EXPECT_EQ(2, img.m_lpBMI->bmiHeader.biWidth);
  const LONG bad[][4] = {{-1, 0, 1, 1}, {0, 0, 3, 1}, {1, 1, 2, 2}, {0, 0, 0, 1}, {0, 2, 1, 1}};
  for (const auto& b : bad) EXPECT_FALSE(img.Crop(b[0], b[1], b[2], b[3]));
  EXPECT_EQ((std::vector<BYTE>{6, 7, 10, 11}), img.Rows());
}

TEST(SECImage, ContrastUsesOnlyTheSignAndKeepsGreysBlackAndWhite) {
  const std::vector<BYTE> pixels = {30, 60, 200, 128, 128, 128, 0, 0, 0, 255, 255, 255};
  TestImage one, five, zero;
  one.Make(4, 1, 24, pixels);
  five.Make(4, 1, 24, pixels);
  zero.Make(4, 1, 24, pixels);
  one.ContrastImage(1);
  five.ContrastImage(5);
  zero.ContrastImage(0);
  EXPECT_EQ(one.Rows(), five.Rows());
  EXPECT_NE(one.Rows(), zero.Rows());
  for (TestImage* img : {&one, &zero}) {
    auto grey = img->Rgb(1, 0);
    EXPECT_TRUE(grey[0] == grey[1] && grey[1] == grey[2]);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0}), img->Rgb(2, 0));
    EXPECT_EQ((std::vector<BYTE>{255, 255, 255}), img->Rgb(3, 0));
  }
  // A raised contrast darkens a dark grey; a lowered one lightens it.
  BYTE b = 64, g = 64, r = 64;
  SECImage::ContrastPixel(b, g, r, 1);
  EXPECT_LT(r, 64);
  b = g = r = 64;
  SECImage::ContrastPixel(b, g, r, -1);
  EXPECT_GT(r, 64);
}

TEST(SECImage, ArchivesAsABitmapFileAndReadsItBack) {
  TestImage img;
  img.Make(2, 2, 24, Sequence(12));
  Bytes bytes = dravonix::test::StoreBytes([&](CArchive& ar) { img.Serialize(ar); });
  ASSERT_EQ(70u, bytes.size());
  EXPECT_EQ('B', bytes[0]);
  EXPECT_EQ('M', bytes[1]);
  EXPECT_EQ(70, bytes[2]);
  EXPECT_EQ(54, bytes[10]);
  EXPECT_EQ(0, bytes[14 + 20]);  // image size written as 0

  TestImage pal;
  std::vector<RGBQUAD> table(256);
  for (int i = 0; i < 256; ++i) table[(size_t)i] = RGBQUAD{(BYTE)i, (BYTE)(255 - i), (BYTE)(i / 2), 0};
  pal.Make(5, 3, 8, Sequence(15, 100), table);
  Bytes palBytes = dravonix::test::StoreBytes([&](CArchive& ar) { pal.Serialize(ar); });
  TestImage back;
  ASSERT_EQ(nullptr, dravonix::test::LoadBytes(palBytes, [&](CArchive& ar) { back.Serialize(ar); }));
  EXPECT_EQ(5u, back.dwGetWidth());
  EXPECT_EQ(3u, back.dwGetHeight());
  EXPECT_EQ(8u, back.m_wBitsPerPixel);
  EXPECT_EQ(0, memcmp(table.data(), back.m_lpRGB, 1024));
  EXPECT_EQ(pal.Rows(), back.Rows());
  // Pixels of several megabytes come back whole.
  TestImage big;
  big.Make(1000, 1100, 24, Sequence(3300000, 7));
  TestImage bigBack;
  ASSERT_EQ(nullptr, dravonix::test::LoadBytes(dravonix::test::StoreBytes([&](CArchive& ar) { big.Serialize(ar); }),
                                               [&](CArchive& ar) { bigBack.Serialize(ar); }));
  EXPECT_EQ(big.Rows(), bigBack.Rows());
}

TEST(SECImage, BadBitmapHeadersGiveAnEmptyImage) {
  TestImage img;
  img.Make(2, 2, 24, Sequence(12));
  const Bytes good = dravonix::test::StoreBytes([&](CArchive& ar) { img.Serialize(ar); });
  struct Case {
    const char* what;
    size_t at;
    int bytes;
    ULONGLONG value;
  } cases[] = {{"type", 0, 2, 0x4D42 + 1},      {"header size", 14, 4, 12},   {"bit count", 28, 2, 2},
               {"width", 18, 4, 0},              {"height", 22, 4, 0xFFFFFFFF}, {"offset", 10, 4, 20},
               {"huge width", 18, 4, 0x7FFFFFFF}, {"compression", 30, 4, 1}};
  for (const Case& c : cases) {
    Bytes bad = good;
    for (int i = 0; i < c.bytes; ++i) bad[c.at + (size_t)i] = (BYTE)(c.value >> (8 * i));
    TestImage back;
    EXPECT_EQ(nullptr, dravonix::test::LoadBytes(bad, [&](CArchive& ar) { back.Serialize(ar); })) << c.what;
    EXPECT_EQ(nullptr, back.m_lpSrcBits) << c.what;
    EXPECT_EQ(0u, back.dwGetWidth()) << c.what;
    CMemFile f(bad.data(), (UINT)bad.size());
    EXPECT_FALSE(back.SECLoadDib(&f)) << c.what;
  }
  Bytes cut(good.begin(), good.end() - 1);
  TestImage back;
  CMemFile f(cut.data(), (UINT)cut.size());
  EXPECT_FALSE(back.SECLoadDib(&f));
  CMemFile whole(const_cast<BYTE*>(good.data()), (UINT)good.size());
  EXPECT_TRUE(back.SECLoadDib(&whole));
  EXPECT_EQ(img.Rows(), back.Rows());
}

// The most address space the process has held.
long VmPeakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmPeak:", 0) == 0) return std::stol(line.substr(7));
  return 0;
}

// A header's claim costs no more memory than the archive's bytes fill, and a load never ends the process.
TEST(SECImage, AnArchiveClaimingGigabytesIsRefusedCheaply) {
  Bytes bytes(143, 0x5A);  // file and information headers, then 89 bytes of pixels
  const std::pair<size_t, DWORD> fields[] = {{0, 0x4D42}, {2, 143}, {10, 54}, {14, 40}, {18, 26000},
                                             {22, 27000}, {26, 1},   {28, 24},  {30, 0}};
  for (const auto& [at, value] : fields)
    for (size_t i = 0; i < (at == 0 || at == 26 || at == 28 ? 2u : 4u); ++i) bytes[at + i] = (BYTE)(value >> (8 * i));
  for (const rlim_t limitMiB : {rlim_t(0), rlim_t(512)}) {
    const std::string got = dravonix::test::InChildProcess([&]() -> std::string {
#if !defined(__SANITIZE_ADDRESS__)
      const rlimit limit{limitMiB << 20, RLIM_INFINITY};
      if (limitMiB && setrlimit(RLIMIT_AS, &limit) != 0) return "setrlimit failed";
#endif
      const long before = VmPeakKiB();
      const auto start = std::chrono::steady_clock::now();
      TestImage back;
      CException* e = dravonix::test::LoadBytes(bytes, [&](CArchive& ar) { back.Serialize(ar); });
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      if (e) e->Delete();
      std::string out = e || back.m_lpSrcBits || back.dwGetWidth() ? "loaded" : "refused";
      if (VmPeakKiB() - before > 64 * 1024) out += " over 64 MB";
      if (ms.count() > 1000 * dravonix::test::kTimeFactor) out += " over a second";
      return out;
    });
    EXPECT_EQ(got, "refused") << limitMiB;
  }
}

TEST(SECImage, APaletteHoldsNoMoreEntriesThanTheDepthAllows) {
  TestImage img;
  img.Make(8, 14, 4, Sequence(56));
  const Bytes good = dravonix::test::StoreBytes([&](CArchive& ar) { img.Serialize(ar); });
  ASSERT_EQ(174u, good.size());
  const struct {
    DWORD used;
    bool loads;
  } cases[] = {{16, true}, {17, false}, {0xFFFFFFFE, false}};
  for (const auto& c : cases) {
    Bytes bytes = good;
    for (int i = 0; i < 4; ++i) bytes[46 + (size_t)i] = (BYTE)(c.used >> (8 * i));
    TestImage back;
    CMemFile f(bytes.data(), (UINT)bytes.size());
    EXPECT_EQ(c.loads, back.SECLoadDib(&f) != 0) << c.used;
    TestImage viaArchive;
    EXPECT_EQ(nullptr, dravonix::test::LoadBytes(bytes, [&](CArchive& ar) { viaArchive.Serialize(ar); }));
    EXPECT_EQ(c.loads ? 8u : 0u, viaArchive.dwGetWidth()) << c.used;
  }
}

using SECImageWindowTest = ToolkitHostTest;

TEST_F(SECImageWindowTest, DrawsIntoAWindowAndComesBackFromABitmap) {
  TestImage img;
  // 2 x 2: red, green over blue, white.
  img.Make(2, 2, 24, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255});
  {
    CClientDC dc(&m_host);
    EXPECT_EQ(2, img.StretchDIBits(&dc, 10, 10, 20, 20, 0, 0, 2, 2, img.m_lpSrcBits, img.m_lpBMI, DIB_RGB_COLORS, SRCCOPY));
  }
  EXPECT_EQ(RGB(255, 0, 0), GetWindowPixel(m_host.m_hWnd, POINT{12, 12}));
  EXPECT_EQ(RGB(0, 255, 0), GetWindowPixel(m_host.m_hWnd, POINT{27, 12}));
  EXPECT_EQ(RGB(0, 0, 255), GetWindowPixel(m_host.m_hWnd, POINT{12, 27}));
  EXPECT_EQ(RGB(255, 255, 255), GetWindowPixel(m_host.m_hWnd, POINT{27, 27}));
  SaveWindowImage(&m_host, dravonix::test::OutputPath("image-stretch.png").c_str());

  CClientDC dc(&m_host);
  CBitmap* bitmap = img.MakeBitmap(&dc);
  ASSERT_NE(nullptr, bitmap);
  TestImage back;
  ASSERT_TRUE(back.CreateFromBitmap(&dc, bitmap));
  EXPECT_EQ(24u, back.m_wBitsPerPixel);
  EXPECT_EQ(img.Rows(), back.Rows());
  delete bitmap;
  EXPECT_FALSE(back.CreateFromBitmap(&dc, nullptr));

  TestImage copy;
  ASSERT_TRUE(copy.CopyImage(&img));
  EXPECT_EQ(img.Rows(), copy.Rows());
  TestImage moved;
  ASSERT_TRUE(moved.ConvertImage(&copy));
  EXPECT_EQ(img.Rows(), moved.Rows());
  EXPECT_EQ(nullptr, copy.m_lpSrcBits);
}

}  // namespace
