// The PDF printer: documents, pages, abort procedures and printer defaults.
#include "GdiTestUtil.h"
#include "platform/core/FileSystem.h"
#include "platform/gdi/Printer.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/PrinterDC.h"
#include "tests/support/FileContents.h"
#include "tests/support/HaveTool.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using dravonix::test::HaveTool;

// Dark pixels of a PNG inside a rectangle given in fractions of its size.
int DarkPixels(const std::string& png, double l, double t, double r, double b) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return -1;
  }
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  int n = 0;
  const unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = (int)(t * h); y < (int)(b * h); ++y)
    for (int x = (int)(l * w); x < (int)(r * w); ++x) {
      uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
      int lum = (int)((p >> 16) & 0xFF) + (int)((p >> 8) & 0xFF) + (int)(p & 0xFF);
      if (lum < 200) ++n;
    }
  cairo_surface_destroy(s);
  return n;
}

}  // namespace

TEST(GdiPrinter, PrintsAPageToPdfWithText) {
  std::string dir = dravonix::test::ScratchDir("print");
  std::string pdf = dir + "/page.pdf";
  CDC dc;
  ASSERT_TRUE(dc.CreateDC("winspool", GetPrinterDeviceName(), nullptr, nullptr));
  dc.m_bPrinting = TRUE;
  EXPECT_TRUE(dc.IsPrinting());
  EXPECT_EQ(dc.StartPage(), SP_ERROR);  // no document yet
  DOCINFO di{};
  di.cbSize = sizeof(di);
  di.lpszDocName = "Test page";
  di.lpszOutput = pdf.c_str();
  ASSERT_GT(dc.StartDoc(&di), 0);
  ASSERT_GT(dc.StartPage(), 0);
  // One inch margins in printer pixels, as a print loop lays them out.
  int dpi = dc.GetDeviceCaps(LOGPIXELSX);
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(1000, 1000);
  dc.SetViewportExt(1000, 1000);
  dc.SetViewportOrg(dpi, dpi);
  LOGFONT lf{};
  lf.lfHeight = -MulDiv(36, dpi, 72);
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "Arial");
  CFont f;
  f.CreateFontIndirect(&lf);
  dc.SelectObject(&f);
  dc.TextOut(0, 0, "PRINTED PAGE", 12);
  CPen pen(PS_SOLID, 20, RGB(0, 0, 0));
  dc.SelectObject(&pen);
  dc.MoveTo(0, 1000);
  dc.LineTo(3000, 1000);
  ASSERT_GT(dc.EndPage(), 0);
  ASSERT_GT(dc.EndDoc(), 0);
  EXPECT_EQ(dc.EndDoc(), SP_ERROR);
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_GT(fs::file_size(pdf), 500u);
  EXPECT_EQ(dc.GetPrintFileName(), CString(pdf));
  if (!HaveTool("pdftoppm")) {
    GTEST_SKIP() << "pdftoppm is not installed: the PDF was written but not rendered";
  }
  std::string cmd = "pdftoppm -r 40 -png -singlefile '" + pdf + "' '" + dir + "/page' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string png = dir + "/page.png";
  fs::copy_file(png, dravonix::test::OutputPath("gdi/printed-page.png"), fs::copy_options::overwrite_existing);
  // The text sits one inch from the top-left corner of an A4 page (210 x 297 mm).
  int textInk = DarkPixels(png, 25.4 / 210, 25.4 / 297, 0.9, (25.4 + 15) / 297);
  EXPECT_GT(textInk, 50);
  EXPECT_EQ(DarkPixels(png, 0, 0, 0.1, 0.08), 0);  // the margin stays blank
  EXPECT_GT(DarkPixels(png, 0.2, (25.4 + 42) / 297, 0.5, (25.4 + 43.5) / 297), 10);  // the line
}

TEST(GdiPrinter, DevModeLayoutOfSpecVersion0401) {
  const struct {
    size_t offset, want;
  } fields[] = {{offsetof(DEVMODE, dmFields), 40},        {offsetof(DEVMODE, dmOrientation), 44},
                {offsetof(DEVMODE, dmCollate), 68},       {offsetof(DEVMODE, dmFormName), 70},
                {offsetof(DEVMODE, dmLogPixels), 102},    {offsetof(DEVMODE, dmDisplayFrequency), 120},
                {offsetof(DEVMODE, dmICMMethod), 124},    {offsetof(DEVMODE, dmPanningHeight), 152},
                {sizeof(DEVMODE), 156}};
  for (const auto& f : fields) EXPECT_EQ(f.offset, f.want);
  DEVMODE dm;
  GetPrinterDevMode(&dm);
  EXPECT_EQ(dm.dmSpecVersion, 0x0401);
  EXPECT_EQ(dm.dmSize, 156);

  // A block of the older 124-byte layout still sets up the printer.
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE, DEVMODE_MIN_SIZE);
  std::memcpy(GlobalLock(mode), &dm, DEVMODE_MIN_SIZE);
  GlobalUnlock(mode);
  const std::vector<BYTE> dn = GetPrinterDevNames();
  HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE, dn.size());
  std::memcpy(GlobalLock(names), dn.data(), dn.size());
  GlobalUnlock(names);
  HDC dc = AfxCreateDC(names, mode);
  ASSERT_NE(dc, nullptr);
  EXPECT_GT(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
  DeleteDC(dc);
  GlobalFree(names);
  GlobalFree(mode);
}

TEST(GdiPrinter, DefaultsOutputFolderAndAbort) {
  DEVMODE dm;
  GetPrinterDevMode(&dm);
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(dm.dmPaperWidth, 2100);
  EXPECT_EQ(dm.dmPaperLength, 2970);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.dmDeviceName), "Dravonix PDF Printer");
  std::vector<BYTE> dn = GetPrinterDevNames();
  DEVNAMES names;
  std::memcpy(&names, dn.data(), sizeof(names));
  EXPECT_STREQ(reinterpret_cast<const char*>(dn.data() + names.wDeviceOffset), "Dravonix PDF Printer");
  EXPECT_STREQ(reinterpret_cast<const char*>(dn.data() + names.wDriverOffset), "winspool");
  EXPECT_STREQ(reinterpret_cast<const char*>(dn.data() + names.wOutputOffset), "PDF:");
  // Landscape Letter from a DEVMODE.
  dm.dmPaperSize = DMPAPER_LETTER;
  dm.dmFields &= ~(DWORD)(DM_PAPERWIDTH | DM_PAPERLENGTH);
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  CDC letter;
  letter.CreateDC("winspool", GetPrinterDeviceName(), nullptr, &dm);
  EXPECT_EQ(letter.GetDeviceCaps(HORZRES), 6600);
  EXPECT_EQ(letter.GetDeviceCaps(VERTRES), 5100);

  // Without an output file the document goes to the printer folder under its title.
  std::string dir = dravonix::test::ScratchDir("printdir");
  SetPrinterOutputFolder(dir.c_str());
  CDC dc;
  dc.CreateDC("winspool", GetPrinterDeviceName(), nullptr, nullptr);
  ASSERT_GT(dc.StartDoc("Plot: a/b"), 0);
  dc.StartPage();
  dc.Rectangle(100, 100, 500, 500);
  dc.EndPage();
  dc.EndDoc();
  EXPECT_TRUE(fs::exists(dir + "/Plot_ a_b.pdf"));
  // A second document of the same title does not overwrite the first.
  dc.StartDoc("Plot: a/b");
  dc.StartPage();
  dc.EndPage();
  dc.EndDoc();
  EXPECT_TRUE(fs::exists(dir + "/Plot_ a_b (2).pdf"));
  // An abort procedure that says stop ends the job at the page end and removes the file.
  static int calls = 0;
  dc.SetAbortProc([](HDC, int) -> BOOL { return ++calls < 2; });
  ASSERT_GT(dc.StartDoc("Aborted"), 0);
  dc.StartPage();
  EXPECT_GT(dc.EndPage(), 0);
  dc.StartPage();
  EXPECT_EQ(dc.EndPage(), SP_APPABORT);
  EXPECT_EQ(dc.EndDoc(), SP_ERROR);
  EXPECT_FALSE(fs::exists(dir + "/Aborted.pdf"));
  SetPrinterOutputFolder(nullptr);
  // A screen context is no printer.
  CDC screen;
  screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(screen.StartDoc("x"), SP_ERROR);
  DOCINFO bad{};
  bad.lpszDocName = "bad";
  bad.lpszOutput = "/nonexistent-dir/for/sure/x.pdf";
  EXPECT_EQ(dc.StartDoc(&bad), SP_ERROR);
}

TEST(GdiPrinter, PrintingOverAFileKeepsItUnlessTheDocumentEndsWell) {
  const std::string dir = dravonix::test::ScratchDir("printover");
  const std::string pdf = dir + "/old.pdf";
  std::ofstream(pdf, std::ios::binary) << "the user's own file";
  // One page with text (its font is written last, when the document ends): aborted, or ended.
  auto print = [&](const std::string& path, bool abort) {
    CDC dc;
    if (!dc.CreateDC("winspool", GetPrinterDeviceName(), nullptr, nullptr)) return std::string("no printer");
    DOCINFO di{};
    di.cbSize = sizeof(di);
    di.lpszDocName = "Over";
    di.lpszOutput = path.c_str();
    if (dc.StartDoc(&di) <= 0 || dc.StartPage() <= 0) return std::string("not started");
    dc.Rectangle(100, 100, 2000, 2000);
    dc.TextOut(200, 200, "Printed over the user's file", 28);
    dc.EndPage();
    if (abort) return std::to_string(dc.AbortDoc());
    SetLastError(0);
    const int ended = dc.EndDoc();
    return std::to_string(ended) + (ended > 0 ? "" : " error " + std::to_string(GetLastError()));
  };
  EXPECT_EQ("1", print(pdf, true));
  EXPECT_EQ(dravonix::test::ReadFileText(pdf), "the user's own file");
  // The whole document is larger than every limit: each cuts it somewhere.
  ASSERT_EQ("1", print(dir + "/whole.pdf", false));
  ASSERT_GT(fs::file_size(dir + "/whole.pdf"), 6000u);
  const std::string failed = std::to_string(SP_ERROR) + " error " + std::to_string(ERROR_DISK_FULL);
  for (rlim_t limit : {64, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000}) {
    EXPECT_EQ(failed, dravonix::test::WithFileSizeLimit(limit, [&] { return print(pdf, false); })) << limit;
    EXPECT_EQ(dravonix::test::ReadFileText(pdf), "the user's own file") << limit;
    EXPECT_TRUE(dravonix::test::SaveLeftovers(pdf).empty()) << limit;
  }
}

TEST(GdiPrinter, BitBltFromAScaledMemoryPictureFillsItsLogicalTarget) {
  std::string dir = dravonix::test::ScratchDir("printblit");
  std::string pdf = dir + "/blit.pdf";
  CDC dc;
  ASSERT_TRUE(dc.CreateDC("winspool", GetPrinterDeviceName(), nullptr, nullptr));
  DOCINFO di{};
  di.cbSize = sizeof(di);
  di.lpszDocName = "Blit";
  di.lpszOutput = pdf.c_str();
  ASSERT_GT(dc.StartDoc(&di), 0);
  ASSERT_GT(dc.StartPage(), 0);
  // Logical units of 0.01 inch on the 600 dpi page.
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(100, 100);
  dc.SetViewportExt(600, 600);
  // A 64 x 64 picture in four quadrants, drawn at 128 logical units on its memory context.
  const COLORREF quad[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&dc));
  CBitmap bm;
  ASSERT_TRUE(bm.CreateCompatibleBitmap(&dc, 64, 64));
  CBitmap* old = mem.SelectObject(&bm);
  for (int q = 0; q < 4; ++q) mem.FillSolidRect(q % 2 * 32, q / 2 * 32, 32, 32, quad[q]);
  mem.SetMapMode(MM_ANISOTROPIC);
  mem.SetWindowExt(128, 128);
  mem.SetViewportExt(64, 64);
  ASSERT_TRUE(dc.BitBlt(40, 940, 128, 128, &mem, 0, 0, SRCCOPY));
  mem.SelectObject(old);
  ASSERT_GT(dc.EndPage(), 0);
  ASSERT_GT(dc.EndDoc(), 0);
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed: the PDF was written but not rendered";
  // At 100 dpi one logical unit is one pixel: the target is (40, 940)-(168, 1068).
  std::string cmd = "pdftoppm -r 100 -png -singlefile '" + pdf + "' '" + dir + "/blit' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  cairo_surface_t* s = cairo_image_surface_create_from_png((dir + "/blit.png").c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  auto at = [&](int x, int y) {
    uint32_t p = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                   y * cairo_image_surface_get_stride(s))[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  };
  auto near = [](COLORREF a, COLORREF b) {
    return std::abs((int)GetRValue(a) - (int)GetRValue(b)) < 40 && std::abs((int)GetGValue(a) - (int)GetGValue(b)) < 40 &&
           std::abs((int)GetBValue(a) - (int)GetBValue(b)) < 40;
  };
  for (int q = 0; q < 4; ++q)
    for (int dx : {2, 32, 61})
      for (int dy : {2, 32, 61}) {
        int x = 40 + q % 2 * 64 + dx, y = 940 + q / 2 * 64 + dy;
        EXPECT_TRUE(near(at(x, y), quad[q])) << "quadrant " << q << " at " << x << "," << y;
      }
  for (auto [x, y] : {std::pair<int, int>{37, 1000}, {171, 1000}, {100, 937}, {100, 1071}})
    EXPECT_TRUE(near(at(x, y), RGB(255, 255, 255))) << x << "," << y;
  cairo_surface_destroy(s);
}
