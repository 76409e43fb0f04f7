// The state of a device context and its raster helpers. Internal to platform/gdi.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/MetaSink.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

class CSaveBeside;

namespace gdi {

enum class DCKind { None, Screen, Info, Memory, Surface, Printer, MetaFile, EnhMetaFile };

struct DCState {
  int mapMode = MM_TEXT;
  POINT winOrg{0, 0}, vpOrg{0, 0};
  SIZE winExt{1, 1}, vpExt{1, 1};
  COLORREF text = RGB(0, 0, 0), bk = RGB(255, 255, 255);
  int bkMode = OPAQUE, rop2 = R2_COPYPEN, polyFill = ALTERNATE, stretch = BLACKONWHITE;
  UINT align = 0;
  int charExtra = 0;
  POINT brushOrg{0, 0};
  POINT cp{0, 0};
  HPEN hPen = nullptr;
  std::shared_ptr<PenObj> pen;
  HBRUSH hBrush = nullptr;
  std::shared_ptr<BrushObj> brush;
  HFONT hFont = nullptr;
  std::shared_ptr<FontObj> font;
  HBITMAP hBitmap = nullptr;
  std::shared_ptr<BitmapObj> bitmap;
  HPALETTE hPal = nullptr;
  std::shared_ptr<PaletteObj> pal;
  bool hasClip = false;
  Region clip;  // device units
  COLORREF dcBrush = RGB(255, 255, 255), dcPen = RGB(0, 0, 0);
};

// How a stroke or fill gets its colour: a solid pixel or a Cairo pattern (hatches, bitmaps).
struct Paint {
  bool none = true;
  uint32_t pixel = 0;
  cairo_pattern_t* pattern = nullptr;  // owned
  Paint() = default;
  Paint(const Paint&) = delete;
  Paint& operator=(const Paint&) = delete;
  ~Paint() {
    if (pattern) cairo_pattern_destroy(pattern);
  }
};

struct PrintJob;

}  // namespace gdi

struct CDC::Impl {
  ~Impl() {
    DropContext();
    if (surface) cairo_surface_destroy(surface);
  }
  gdi::DCKind kind = gdi::DCKind::None;
  gdi::DCState s;
  std::vector<gdi::DCState> saved;

  // Output
  cairo_surface_t* surface = nullptr;  // referenced
  cairo_t* cr = nullptr;
  POINT origin{0, 0};           // surface position of device (0, 0)
  double devScale = 1.0;        // Cairo units per device unit (PDF pages)
  gdi::Region vis;              // visible device area
  bool raster = false;          // pixels can be read and combined
  bool mono = false;            // a monochrome bitmap is selected
  bool crClipValid = false;
  bool effValid = false;
  gdi::Region eff;              // vis & clip
  std::shared_ptr<gdi::RealFont> rf;
  HFONT rfFor = nullptr;
  double rfScale = 0;
  cairo_scaled_font_t* crFont = nullptr;
  int crAntialias = -1;

  // Device description for GetDeviceCaps
  int dpiX = 96, dpiY = 96;
  int horzRes = 1920, vertRes = 1080;
  int horzSize = 508, vertSize = 286;
  int technology = DT_RASDISPLAY;
  int bitsPixel = 32;

  std::unique_ptr<gdi::MetaSink> meta;
  std::unique_ptr<gdi::PrintJob> job;

  // ---- helpers (DC.cpp) ----
  void SetSurface(cairo_surface_t* surf, POINT org, const gdi::Region& visible, bool isRaster, double scale = 1.0);
  void DropContext();
  const gdi::Region& Eff();
  void InvalidateClip() { effValid = false; crClipValid = false; }
  cairo_t* Ctx();  // with clip applied and identity device transform
  bool IdentityMap() const {
    return s.winExt.cx == s.vpExt.cx && s.winExt.cy == s.vpExt.cy;
  }
  int XL2D(int x) const;
  int YL2D(int y) const;
  POINT L2D(int x, int y) const { return POINT{XL2D(x), YL2D(y)}; }
  int XD2L(int x) const;
  int YD2L(int y) const;
  RECT L2DRect(int l, int t, int r, int b) const;  // normalised
  int LenL2DX(int v) const;
  int LenL2DY(int v) const;
  int LenD2LX(int v) const;
  int LenD2LY(int v) const;
  void AdjustIso();

  // ---- colours and paints ----
  COLORREF Resolve(COLORREF c) const { return gdi::ResolveColor(c, s.pal.get()); }
  uint32_t Pix(COLORREF c) const;
  void BrushPaint(const gdi::BrushObj* b, gdi::Paint& out) const;
  void PenPaint(gdi::Paint& out) const;
  int PenStyle() const;
  int PenDeviceWidth() const;
  bool Cosmetic() const;

  // ---- raster (DCDraw.cpp) ----
  unsigned char* pixData = nullptr;  // valid between Begin and End
  int pixStride = 0;
  uint32_t* Row(int devY) const;  // surface row of a device y, already offset (between Begin and End)
  bool PixelVisible(int x, int y);
  void Begin();  // before touching pixels directly
  void End();    // after
  void PlotRop(int x, int y, uint32_t pen, int rop2);
  void CosmeticLine(int x0, int y0, int x1, int y1, bool& first, int& styleCounter);
  void CosmeticPolyline(const POINT* dev, int n, bool closed);
  // Draws `path` filled or stroked with `paint` honouring ROP2 (scratch and combine when needed).
  void Render(const std::function<void(cairo_t*)>& path, const gdi::Paint& paint, bool stroke, double lineWidth,
              cairo_line_cap_t cap, cairo_line_join_t join, const double* dashes, int nDashes);
  void FillDeviceRect(const RECT& r, const gdi::Paint& paint, int rop2);
  // Copies a monochrome pattern brush into an image's pixels; false when the brush or the surface
  // needs Cairo.
  bool FillMonoPattern(const RECT& r, const gdi::BrushObj* b);
  void StrokeShapePath(const std::function<void(cairo_t*)>& path);
  void Rop3(const RECT& dst, cairo_surface_t* src, int srcX, int srcY, const gdi::Paint* pat, DWORD rop);
  std::shared_ptr<gdi::RealFont> Font();
};

namespace gdi {
// The PDF printer job of a printer context (Printer.cpp).
struct PrintJob {
  std::string path;
  std::string title;
  cairo_surface_t* pdf = nullptr;
  // The document is written beside `path` and replaces what is there only when it ends well.
  std::unique_ptr<CSaveBeside> save;
  CairoFileOut out;  // the temporary file the PDF goes to
  int pageW = 0, pageH = 0;  // device pixels
  bool inDoc = false, inPage = false;
  int pages = 0;
  ABORTPROC abort = nullptr;
  ~PrintJob();
};
// The printer's page description from a DEVMODE (or the printer defaults).
void PrinterPage(const DEVMODE* dm, int& wPx, int& hPx, int& wMm, int& hMm);
// A pattern bitmap as a 24-bit bottom-up DIB; monochrome patterns take `fg` for 0 bits and `bg` for 1 bits.
std::vector<BYTE> PatternDib(const BitmapObj& bm, COLORREF fg, COLORREF bg, BITMAPINFOHEADER& bih);
// Decodes a packed or split DIB into an RGB24 image surface (top-down); null on bad input.
cairo_surface_t* DecodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const PaletteObj* pal);
}  // namespace gdi
