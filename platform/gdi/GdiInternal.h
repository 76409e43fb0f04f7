// Internal data behind drawing handles: regions, objects, realised fonts. Not for callers outside platform/gdi.
#pragma once

#include "platform/gdi/GdiDefs.h"

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace gdi {

// A file that Cairo writes a picture or document into: the first failed write is kept, since
// Cairo goes on answering success after its write callback failed.
struct CairoFileOut {
  FILE* file = nullptr;
  int error = 0;  // errno of the first failed write
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
  // Flushes and closes the file: false with the last error set when any of it, or (`finished`
  // false) the picture itself, could not be written.
  bool Close(bool finished);
};

// A region kept as y-x banded rectangles: sorted by top, then left; rectangles of one band share top and
// bottom and never touch; bands never overlap.
class Region {
 public:
  std::vector<RECT> rects;

  static Region FromRect(int l, int t, int r, int b);
  static Region FromPolygon(const POINT* pts, int n, int fillMode);
  static Region Combine(const Region& a, const Region& b, int mode);
  bool Empty() const { return rects.empty(); }
  RECT Bounds() const;
  int Complexity() const { return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION; }
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int dx, int dy);
  bool operator==(const Region& o) const;
};

struct PenObj : HPEN__ {
  LOGPEN lp{};
  bool ext = false;       // made by ExtCreatePen
  DWORD extStyle = 0;     // full style with type, end cap and join
  std::vector<DWORD> userStyle;
};

struct BitmapObj : HBITMAP__ {
  cairo_surface_t* surf = nullptr;  // RGB24, or A-less black/white for mono bitmaps
  int w = 0, h = 0;
  bool mono = false;
  int bpp = 32;
  ~BitmapObj() override;
};

struct BrushObj : HBRUSH__ {
  LOGBRUSH lb{};
  int sysIndex = -1;                    // a system colour brush
  std::shared_ptr<BitmapObj> pattern;   // BS_PATTERN / BS_DIBPATTERN
};

struct FontObj : HFONT__ {
  LOGFONT lf{};
};

struct RgnObj : HRGN__ {
  Region rgn;
};

struct PaletteObj : HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

// Handle table: every live handle maps to its data; deleted or unknown handles look up as null.
void RegisterObject(std::shared_ptr<HGDIOBJ__> obj);
std::shared_ptr<HGDIOBJ__> LookupObject(HGDIOBJ h);
template <class T>
std::shared_ptr<T> Lookup(HGDIOBJ h) {
  return std::dynamic_pointer_cast<T>(LookupObject(h));
}
bool IsStockObject(HGDIOBJ h);
std::shared_ptr<BitmapObj> NewBitmap(int w, int h, bool mono);
// The brush a handle stands for, including the "system colour index + 1" convention of class brushes.
std::shared_ptr<BrushObj> LookupBrush(HBRUSH h);

// Colour helpers
COLORREF ResolveColor(COLORREF c, const PaletteObj* pal);
inline uint32_t ToPixel(COLORREF c) {
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF FromPixel(uint32_t p) {
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// A font realised at a device size.
struct RealFont {
  cairo_scaled_font_t* scaled = nullptr;
  cairo_scaled_font_t* aliased = nullptr;  // for monochrome targets, made on first use
  cairo_scaled_font_t* Aliased();
  std::string family;
  double em = 0;
  double xScale = 1;
  TEXTMETRIC tm{};
  int underlinePos = 0, underlineThick = 1, strikePos = 0, strikeThick = 1;
  bool fixedPitch = false;
  unsigned long glyph[256] = {};
  int adv[256] = {};
  std::unordered_map<uint32_t, std::pair<unsigned long, int>> other;
  void Lookup(uint32_t cp, unsigned long& g, int& a);
  ~RealFont();
};
// devHeight: LOGFONT height already scaled to device units (sign kept); devWidth likewise.
std::shared_ptr<RealFont> RealizeFont(const LOGFONT& lf, int devHeight, int devWidth);
// The family a face name maps to (Liberation faces), as the configuration file maps them.
std::string MapFaceName(const char* face, BYTE pitchAndFamily);

// Text decoding: UTF-8 when valid, else Windows-1252.
void DecodeText(const char* s, int n, std::vector<uint32_t>& out, std::vector<int>* byteStart = nullptr);

}  // namespace gdi
