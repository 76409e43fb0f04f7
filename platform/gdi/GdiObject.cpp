#include "platform/gdi/GdiObject.h"

#include "platform/gdi/GdiInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace gdi {
namespace {

std::recursive_mutex& TableLock() {
  static std::recursive_mutex m;
  return m;
}
std::unordered_map<HGDIOBJ, std::shared_ptr<HGDIOBJ__>>& Table() {
  static auto* t = new std::unordered_map<HGDIOBJ, std::shared_ptr<HGDIOBJ__>>();
  return *t;
}
std::unordered_map<HGDIOBJ, CGdiObject*>& Owners() {
  static auto* t = new std::unordered_map<HGDIOBJ, CGdiObject*>();
  return *t;
}
std::unordered_map<HGDIOBJ, CGdiObject*>& Temps() {
  static auto* t = new std::unordered_map<HGDIOBJ, CGdiObject*>();
  return *t;
}

HGDIOBJ g_stock[20] = {};
HBRUSH g_sysBrush[31] = {};

template <class T>
T* Add(std::shared_ptr<T> obj, int kind) {
  obj->gdiKind = kind;
  T* raw = obj.get();
  RegisterObject(std::move(obj));
  return raw;
}

COLORREF g_sysColors[31] = {
    RGB(212, 208, 200), RGB(58, 110, 165), RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(0, 0, 0),      RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),  RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),   RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(181, 181, 181), RGB(0, 0, 128),    RGB(166, 202, 240), RGB(192, 192, 192), RGB(10, 36, 106),
    RGB(212, 208, 200)};

int g_displayBits = 32;

LOGFONT MakeLogFont(int height, int weight, BYTE pitch, const char* face) {
  LOGFONT lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfPitchAndFamily = pitch;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

void MakeStock() {
  auto solid = [](COLORREF c) {
    auto b = std::make_shared<BrushObj>();
    b->lb = LOGBRUSH{BS_SOLID, c, 0};
    return (HGDIOBJ)Add(b, OBJ_BRUSH);
  };
  g_stock[WHITE_BRUSH] = solid(RGB(255, 255, 255));
  g_stock[LTGRAY_BRUSH] = solid(RGB(192, 192, 192));
  g_stock[GRAY_BRUSH] = solid(RGB(128, 128, 128));
  g_stock[DKGRAY_BRUSH] = solid(RGB(64, 64, 64));
  g_stock[BLACK_BRUSH] = solid(RGB(0, 0, 0));
  {
    auto b = std::make_shared<BrushObj>();
    b->lb = LOGBRUSH{BS_NULL, 0, 0};
    g_stock[NULL_BRUSH] = Add(b, OBJ_BRUSH);
  }
  g_stock[DC_BRUSH] = solid(RGB(255, 255, 255));
  auto pen = [](int style, COLORREF c) {
    auto p = std::make_shared<PenObj>();
    p->lp = LOGPEN{(UINT)style, POINT{0, 0}, c};
    return (HGDIOBJ)Add(p, OBJ_PEN);
  };
  g_stock[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
  g_stock[BLACK_PEN] = pen(PS_SOLID, 0);
  g_stock[NULL_PEN] = pen(PS_NULL, 0);
  g_stock[DC_PEN] = pen(PS_SOLID, 0);
  auto font = [](LOGFONT lf) {
    auto f = std::make_shared<FontObj>();
    f->lf = lf;
    return (HGDIOBJ)Add(f, OBJ_FONT);
  };
  g_stock[OEM_FIXED_FONT] = font(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal"));
  g_stock[ANSI_FIXED_FONT] = font(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier"));
  g_stock[ANSI_VAR_FONT] = font(MakeLogFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
  g_stock[SYSTEM_FONT] = font(MakeLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"));
  g_stock[DEVICE_DEFAULT_FONT] = font(MakeLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"));
  g_stock[SYSTEM_FIXED_FONT] = font(MakeLogFont(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys"));
  g_stock[DEFAULT_GUI_FONT] = font(MakeLogFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
  {
    auto p = std::make_shared<PaletteObj>();
    static const BYTE vga[20][3] = {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                                    {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                                    {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
                                    {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
                                    {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (auto& c : vga) p->entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
    g_stock[DEFAULT_PALETTE] = Add(p, OBJ_PAL);
  }
  for (int i = 0; i < 31; ++i) {
    auto b = std::make_shared<BrushObj>();
    b->lb = LOGBRUSH{BS_SOLID, g_sysColors[i], 0};
    b->sysIndex = i;
    g_sysBrush[i] = Add(b, OBJ_BRUSH);
  }
}

void EnsureStock() {
  static std::once_flag once;
  std::call_once(once, MakeStock);
}

}  // namespace

void RegisterObject(std::shared_ptr<HGDIOBJ__> obj) {
  std::lock_guard<std::recursive_mutex> g(TableLock());
  HGDIOBJ h = obj.get();
  Table()[h] = std::move(obj);
}

std::shared_ptr<HGDIOBJ__> LookupObject(HGDIOBJ h) {
  if (!h) return nullptr;
  EnsureStock();
  std::lock_guard<std::recursive_mutex> g(TableLock());
  auto it = Table().find(h);
  return it == Table().end() ? nullptr : it->second;
}

bool IsStockObject(HGDIOBJ h) {
  EnsureStock();
  for (HGDIOBJ s : g_stock)
    if (s && s == h) return true;
  for (HBRUSH b : g_sysBrush)
    if (b == h) return true;
  return false;
}

std::shared_ptr<BrushObj> LookupBrush(HBRUSH h) {
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if (v >= 1 && v <= 31) {
    EnsureStock();
    return Lookup<BrushObj>(g_sysBrush[v - 1]);
  }
  return Lookup<BrushObj>(h);
}

BitmapObj::~BitmapObj() {
  if (surf) cairo_surface_destroy(surf);
}

std::shared_ptr<BitmapObj> NewBitmap(int w, int h, bool mono) {
  auto b = std::make_shared<BitmapObj>();
  b->w = std::max(w, 1);
  b->h = std::max(h, 1);
  b->mono = mono;
  b->bpp = mono ? 1 : 32;
  b->surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, b->w, b->h);
  // New bitmaps are black, as the platform's are.
  cairo_surface_flush(b->surf);
  std::memset(cairo_image_surface_get_data(b->surf), 0,
              (size_t)cairo_image_surface_get_stride(b->surf) * (size_t)b->h);
  cairo_surface_mark_dirty(b->surf);
  b->gdiKind = OBJ_BITMAP;
  return b;
}

COLORREF ResolveColor(COLORREF c, const PaletteObj* pal) {
  DWORD top = c >> 24;
  if (top == 0) return c;
  if (top == 1) {
    WORD idx = (WORD)(c & 0xFFFF);
    if (pal && idx < pal->entries.size()) {
      const PALETTEENTRY& e = pal->entries[idx];
      return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return 0;
  }
  if (top == 2) return c & 0xFFFFFF;
  if (top >= 65 && top <= 254) return GetSysColor((int)(254 - top));
  return c & 0xFFFFFF;
}

}  // namespace gdi

using namespace gdi;

// ---- Pens and brushes ------------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
  LOGPEN lp{(UINT)style, POINT{width, 0}, color};
  return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  UINT style = lp->lopnStyle;
  if (style > PS_INSIDEFRAME) style = PS_SOLID;
  auto p = std::make_shared<PenObj>();
  p->lp = *lp;
  p->lp.lopnStyle = style;
  if (p->lp.lopnWidth.x < 0) p->lp.lopnWidth.x = 0;
  p->lp.lopnWidth.y = 0;
  // Styled lines of the screen driver are one pixel wide.
  if (p->lp.lopnWidth.x > 1 && style >= PS_DASH && style <= PS_DASHDOTDOT) p->lp.lopnStyle = PS_SOLID;
  return Add(p, OBJ_PEN);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD styleCount, const DWORD* styles) {
  if (!lb) return nullptr;
  DWORD type = style & PS_TYPE_MASK;
  if (type == PS_COSMETIC && width != 1) return nullptr;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE && (!styles || styleCount == 0 || styleCount > 16)) return nullptr;
  auto p = std::make_shared<PenObj>();
  p->ext = true;
  p->extStyle = style;
  p->lp.lopnStyle = style & PS_STYLE_MASK;
  p->lp.lopnWidth.x = (LONG)width;
  p->lp.lopnColor = lb->lbStyle == BS_NULL ? 0 : lb->lbColor;
  if (lb->lbStyle == BS_NULL) p->lp.lopnStyle = PS_NULL;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE) p->userStyle.assign(styles, styles + styleCount);
  return Add(p, OBJ_EXTPEN);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb{BS_SOLID, color, 0};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  LOGBRUSH lb{BS_HATCHED, color, (uintptr_t)hatch};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto bm = Lookup<BitmapObj>(bitmap);
  if (!bm) return nullptr;
  auto b = std::make_shared<BrushObj>();
  b->lb = LOGBRUSH{BS_PATTERN, 0, (uintptr_t)bitmap};
  // The brush keeps its own copy, so the bitmap may be deleted afterwards.
  auto copy = NewBitmap(bm->w, bm->h, bm->mono);
  cairo_t* cr = cairo_create(copy->surf);
  cairo_set_source_surface(cr, bm->surf, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  b->pattern = copy;
  return Add(b, OBJ_BRUSH);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID:
    case BS_NULL: {
      auto b = std::make_shared<BrushObj>();
      b->lb = *lb;
      b->lb.lbHatch = 0;
      if (lb->lbStyle == BS_NULL) b->lb.lbColor = 0;
      return Add(b, OBJ_BRUSH);
    }
    case BS_HATCHED: {
      if (lb->lbHatch > HS_DIAGCROSS) return nullptr;
      auto b = std::make_shared<BrushObj>();
      b->lb = *lb;
      return Add(b, OBJ_BRUSH);
    }
    case BS_PATTERN:
    case BS_PATTERN8X8:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT:
      return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), LOWORD(lb->lbColor));
    default:
      return nullptr;
  }
}

// ---- Fonts ----------------------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  auto f = std::make_shared<FontObj>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return Add(f, OBJ_FONT);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, LPCSTR face) {
  LOGFONT lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = (BYTE)italic;
  lf.lfUnderline = (BYTE)underline;
  lf.lfStrikeOut = (BYTE)strikeOut;
  lf.lfCharSet = (BYTE)charSet;
  lf.lfOutPrecision = (BYTE)outPrecision;
  lf.lfClipPrecision = (BYTE)clipPrecision;
  lf.lfQuality = (BYTE)quality;
  lf.lfPitchAndFamily = (BYTE)pitchAndFamily;
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

// ---- Bitmaps --------------------------------------------------------------------------------------

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes == 0 || planes * bitsPerPixel == 0) return nullptr;
  if (width == 0 || height == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  UINT bpp = planes * bitsPerPixel;
  bool mono = bpp == 1;
  auto bm = NewBitmap(width, height, mono);
  if (!mono) bm->bpp = (int)bpp;
  HBITMAP h = Add(bm, OBJ_BITMAP);
  if (bits) {
    LONG rowBytes = ((width * (LONG)bpp + 15) / 16) * 2;
    SetBitmapBits(h, (DWORD)(rowBytes * height), bits);
  }
  return h;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) return nullptr;
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

namespace {

uint32_t* PixelRow(BitmapObj& bm, int y) {
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(bm.surf) +
                                     (size_t)y * (size_t)cairo_image_surface_get_stride(bm.surf));
}

}  // namespace

LONG SetBitmapBits(HBITMAP h, DWORD count, const void* bits) {
  auto bm = Lookup<BitmapObj>(h);
  if (!bm || !bits) return 0;
  const BYTE* src = static_cast<const BYTE*>(bits);
  int bpp = bm->mono ? 1 : bm->bpp;
  LONG rowBytes = ((bm->w * bpp + 15) / 16) * 2;
  cairo_surface_flush(bm->surf);
  LONG used = 0;
  for (int y = 0; y < bm->h; ++y) {
    if ((DWORD)(used + rowBytes) > count) break;
    const BYTE* row = src + used;
    uint32_t* dst = PixelRow(*bm, y);
    for (int x = 0; x < bm->w; ++x) {
      uint32_t p = 0;
      switch (bpp) {
        case 1: p = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFFu : 0xFF000000u; break;
        case 8: { BYTE v = row[x]; p = 0xFF000000u | v * 0x010101u; break; }
        case 16: {
          WORD v = (WORD)(row[x * 2] | (row[x * 2 + 1] << 8));
          p = 0xFF000000u | (((v >> 10) & 31) * 255 / 31) << 16 | (((v >> 5) & 31) * 255 / 31) << 8 | ((v & 31) * 255 / 31);
          break;
        }
        case 24: p = 0xFF000000u | row[x * 3 + 2] << 16 | row[x * 3 + 1] << 8 | row[x * 3]; break;
        default: p = 0xFF000000u | row[x * 4 + 2] << 16 | row[x * 4 + 1] << 8 | row[x * 4]; break;
      }
      dst[x] = p;
    }
    used += rowBytes;
  }
  cairo_surface_mark_dirty(bm->surf);
  return used;
}

LONG GetBitmapBits(HBITMAP h, LONG count, void* bits) {
  auto bm = Lookup<BitmapObj>(h);
  if (!bm || !bits || count <= 0) return 0;
  BYTE* out = static_cast<BYTE*>(bits);
  int bpp = bm->mono ? 1 : 32;
  LONG rowBytes = ((bm->w * bpp + 15) / 16) * 2;
  cairo_surface_flush(bm->surf);
  LONG used = 0;
  for (int y = 0; y < bm->h && used + rowBytes <= count; ++y) {
    BYTE* row = out + used;
    std::memset(row, 0, (size_t)rowBytes);
    const uint32_t* src = PixelRow(*bm, y);
    for (int x = 0; x < bm->w; ++x) {
      if (bpp == 1) {
        if (src[x] & 0xFFFFFF) row[x / 8] |= (BYTE)(0x80 >> (x % 8));
      } else {
        row[x * 4] = (BYTE)src[x];
        row[x * 4 + 1] = (BYTE)(src[x] >> 8);
        row[x * 4 + 2] = (BYTE)(src[x] >> 16);
      }
    }
    used += rowBytes;
  }
  return used;
}

// ---- Regions --------------------------------------------------------------------------------------

static HRGN NewRgn(Region r) {
  auto o = std::make_shared<RgnObj>();
  o->rgn = std::move(r);
  return Add(o, OBJ_REGION);
}

HRGN CreateRectRgn(int l, int t, int r, int b) { return NewRgn(Region::FromRect(l, t, r, b)); }
HRGN CreateRectRgnIndirect(LPCRECT r) { return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr; }

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  if (!pts || count < 0) return nullptr;
  return NewRgn(Region::FromPolygon(pts, count, fillMode));
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polyCount, int fillMode) {
  if (!pts || !counts || polyCount <= 0) return nullptr;
  // Polygons combine by the fill rule over all edges, as one path.
  Region acc;
  const POINT* p = pts;
  for (int i = 0; i < polyCount; ++i) {
    Region r = Region::FromPolygon(p, counts[i], fillMode);
    acc = Region::Combine(acc, r, fillMode == WINDING ? RGN_OR : RGN_XOR);
    p += counts[i];
  }
  return NewRgn(acc);
}

HRGN CreateEllipticRgn(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  std::vector<POINT> pts;
  double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
  int n = std::max(16, (int)(rx + ry) * 2);
  for (int i = 0; i < n; ++i) {
    double a = 2 * M_PI * i / n;
    pts.push_back(POINT{(LONG)std::lround(cx + rx * std::cos(a)), (LONG)std::lround(cy + ry * std::sin(a))});
  }
  return NewRgn(Region::FromPolygon(pts.data(), (int)pts.size(), ALTERNATE));
}

HRGN CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  double rx = std::min(std::abs(w) / 2.0, (r - l) / 2.0), ry = std::min(std::abs(h) / 2.0, (b - t) / 2.0);
  std::vector<POINT> pts;
  auto corner = [&](double cx, double cy, double a0) {
    for (int i = 0; i <= 8; ++i) {
      double a = a0 + M_PI / 2 * i / 8;
      pts.push_back(POINT{(LONG)std::lround(cx + rx * std::cos(a)), (LONG)std::lround(cy + ry * std::sin(a))});
    }
  };
  corner(r - rx, t + ry, -M_PI / 2);
  corner(r - rx, b - ry, 0);
  corner(l + rx, b - ry, M_PI / 2);
  corner(l + rx, t + ry, M_PI);
  return NewRgn(Region::FromPolygon(pts.data(), (int)pts.size(), ALTERNATE));
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  auto d = Lookup<RgnObj>(dst);
  auto ra = Lookup<RgnObj>(a);
  if (!d || !ra || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    d->rgn = ra->rgn;
  } else {
    auto rb = Lookup<RgnObj>(b);
    if (!rb) return ERROR;
    d->rgn = Region::Combine(ra->rgn, rb->rgn, mode);
  }
  return d->rgn.Complexity();
}

BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b) {
  auto d = Lookup<RgnObj>(rgn);
  if (!d) return FALSE;
  d->rgn = Region::FromRect(l, t, r, b);
  return TRUE;
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto d = Lookup<RgnObj>(rgn);
  if (!d) return ERROR;
  d->rgn.Offset(dx, dy);
  return d->rgn.Complexity();
}

int GetRgnBox(HRGN rgn, LPRECT r) {
  auto d = Lookup<RgnObj>(rgn);
  if (!d || !r) return ERROR;
  *r = d->rgn.Bounds();
  return d->rgn.Complexity();
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto d = Lookup<RgnObj>(rgn);
  return d && d->rgn.Contains(x, y);
}

BOOL RectInRegion(HRGN rgn, LPCRECT r) {
  auto d = Lookup<RgnObj>(rgn);
  if (!d || !r) return FALSE;
  RECT n = *r;
  if (n.left > n.right) std::swap(n.left, n.right);
  if (n.top > n.bottom) std::swap(n.top, n.bottom);
  return d->rgn.Intersects(n);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = Lookup<RgnObj>(a), rb = Lookup<RgnObj>(b);
  return ra && rb && ra->rgn == rb->rgn;
}

DWORD GetRegionData(HRGN rgn, DWORD count, RGNDATA* data) {
  auto d = Lookup<RgnObj>(rgn);
  if (!d) return 0;
  DWORD need = (DWORD)(sizeof(RGNDATAHEADER) + d->rgn.rects.size() * sizeof(RECT));
  if (!data) return need;
  if (count < need) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = 1;
  data->rdh.nCount = (DWORD)d->rgn.rects.size();
  data->rdh.nRgnSize = (DWORD)(d->rgn.rects.size() * sizeof(RECT));
  data->rdh.rcBound = d->rgn.Bounds();
  if (!d->rgn.rects.empty())
    std::memcpy(reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER), d->rgn.rects.data(), data->rdh.nRgnSize);
  return need;
}

// ---- Palettes -------------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palVersion != 0x300 || lp->palNumEntries == 0) return nullptr;
  auto p = std::make_shared<PaletteObj>();
  p->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return Add(p, OBJ_PAL);
}

HPALETTE CreateHalftonePalette(HDC) {
  // The 6x6x6 colour cube, a grey ramp and the 20 static colours: 256 entries.
  auto p = std::make_shared<PaletteObj>();
  auto def = Lookup<PaletteObj>(GetStockObject(DEFAULT_PALETTE));
  for (int i = 0; i < 10; ++i) p->entries.push_back(def->entries[i]);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p->entries.push_back(PALETTEENTRY{(BYTE)(r * 51), (BYTE)(g * 51), (BYTE)(b * 51), 0});
  for (int i = 0; p->entries.size() < 246; ++i) {
    BYTE v = (BYTE)(8 + i * 8);
    p->entries.push_back(PALETTEENTRY{v, v, v, 0});
  }
  for (int i = 10; i < 20; ++i) p->entries.push_back(def->entries[i]);
  return Add(p, OBJ_PAL);
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* entries) {
  auto p = Lookup<PaletteObj>(pal);
  if (!p) return 0;
  if (!entries) return (UINT)p->entries.size();
  UINT n = 0;
  for (; n < count && start + n < p->entries.size(); ++n) entries[n] = p->entries[start + n];
  return n;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto p = Lookup<PaletteObj>(pal);
  if (!p || !entries || IsStockObject(pal)) return 0;
  UINT n = 0;
  for (; n < count && start + n < p->entries.size(); ++n) p->entries[start + n] = entries[n];
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color) {
  auto p = Lookup<PaletteObj>(pal);
  if (!p || p->entries.empty()) return (UINT)-1;
  color = ResolveColor(color, p.get());
  UINT best = 0;
  long bestD = -1;
  for (UINT i = 0; i < p->entries.size(); ++i) {
    const auto& e = p->entries[i];
    long dr = (long)e.peRed - GetRValue(color), dg = (long)e.peGreen - GetGValue(color),
         db = (long)e.peBlue - GetBValue(color);
    long d = dr * dr + dg * dg + db * db;
    if (bestD < 0 || d < bestD) { bestD = d; best = i; }
  }
  return best;
}

BOOL ResizePalette(HPALETTE pal, UINT count) {
  auto p = Lookup<PaletteObj>(pal);
  if (!p || count == 0 || IsStockObject(pal)) return FALSE;
  p->entries.resize(count, PALETTEENTRY{0, 0, 0, 0});
  return TRUE;
}

// ---- Generic --------------------------------------------------------------------------------------

BOOL DeleteObject(HGDIOBJ obj) {
  if (!obj) return FALSE;
  EnsureStock();
  if (IsStockObject(obj)) return TRUE;
  std::lock_guard<std::recursive_mutex> g(TableLock());
  auto it = Table().find(obj);
  if (it == Table().end()) return FALSE;
  Table().erase(it);
  auto t = Temps().find(obj);
  if (t != Temps().end()) {
    CGdiObject* w = t->second;
    Temps().erase(t);
    w->m_hObject = nullptr;
    delete w;
  }
  return TRUE;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
  auto o = LookupObject(obj);
  if (!o) return 0;
  auto copy = [&](const void* src, int n) {
    if (!out) return n;
    int m = std::min(size, n);
    if (m <= 0) return 0;
    std::memcpy(out, src, (size_t)m);
    return m;
  };
  if (auto p = std::dynamic_pointer_cast<PenObj>(o)) {
    if (p->ext && size >= (int)sizeof(EXTLOGPEN)) {
      EXTLOGPEN e{};
      e.elpPenStyle = p->extStyle;
      e.elpWidth = (DWORD)p->lp.lopnWidth.x;
      e.elpBrushStyle = p->lp.lopnStyle == PS_NULL ? BS_NULL : BS_SOLID;
      e.elpColor = p->lp.lopnColor;
      e.elpNumEntries = (DWORD)p->userStyle.size();
      return copy(&e, sizeof(e));
    }
    return copy(&p->lp, sizeof(LOGPEN));
  }
  if (auto b = std::dynamic_pointer_cast<BrushObj>(o)) return copy(&b->lb, sizeof(LOGBRUSH));
  if (auto f = std::dynamic_pointer_cast<FontObj>(o)) return copy(&f->lf, sizeof(LOGFONT));
  if (auto bm = std::dynamic_pointer_cast<BitmapObj>(o)) {
    BITMAP b{};
    b.bmWidth = bm->w;
    b.bmHeight = bm->h;
    b.bmPlanes = 1;
    b.bmBitsPixel = (WORD)(bm->mono ? 1 : 32);
    b.bmWidthBytes = ((bm->w * b.bmBitsPixel + 15) / 16) * 2;
    return copy(&b, sizeof(b));
  }
  if (auto p = std::dynamic_pointer_cast<PaletteObj>(o)) {
    WORD n = (WORD)p->entries.size();
    return copy(&n, sizeof(n));
  }
  return 0;
}

DWORD GetObjectType(HGDIOBJ obj) {
  auto o = LookupObject(obj);
  return o ? (DWORD)o->gdiKind : 0;
}

HGDIOBJ GetStockObject(int index) {
  EnsureStock();
  if (index < 0 || index >= 20) return nullptr;
  return g_stock[index];
}

BOOL UnrealizeObject(HGDIOBJ obj) { return LookupObject(obj) != nullptr; }

// ---- System colours and metrics -------------------------------------------------------------------

DWORD GetSysColor(int index) {
  if (index < 0 || index > 30) return 0;
  return g_sysColors[index];
}

HBRUSH GetSysColorBrush(int index) {
  EnsureStock();
  if (index < 0 || index > 30) return nullptr;
  return g_sysBrush[index];
}

BOOL SetSysColors(int count, const INT* indices, const COLORREF* colors) {
  if (!indices || !colors) return FALSE;
  EnsureStock();
  for (int i = 0; i < count; ++i) {
    int k = indices[i];
    if (k < 0 || k > 30) continue;
    g_sysColors[k] = colors[i] & 0xFFFFFF;
    if (auto b = Lookup<BrushObj>(g_sysBrush[k])) b->lb.lbColor = g_sysColors[k];
  }
  return TRUE;
}

namespace {
std::map<int, int>& MetricsValues() {
  static std::map<int, int> values;
  return values;
}
}  // namespace

void SetSystemMetricsValue(int index, int value) { MetricsValues()[index] = value; }
void ResetSystemMetricsValues() { MetricsValues().clear(); }

int GetSystemMetrics(int index) {
  if (auto it = MetricsValues().find(index); it != MetricsValues().end()) return it->second;
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return 1280;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return 1024;
    case SM_CYFULLSCREEN: return 1024 - 19 - 30;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_MOUSEPRESENT: return 1;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    case SM_CXMAXIMIZED: return 1928;
    case SM_CYMAXIMIZED: return 1038;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: return 1;
    default: return 0;
  }
}

void SetDisplayBitsPerPixel(int bits) { g_displayBits = bits == 8 ? 8 : 32; }
int GetDisplayBitsPerPixel() { return g_displayBits; }

// ---- Wrappers -------------------------------------------------------------------------------------

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ h) {
  if (!h) return FALSE;
  if (m_hObject) DeleteObject();
  std::lock_guard<std::recursive_mutex> g(TableLock());
  m_hObject = h;
  Owners()[h] = this;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  if (h) {
    std::lock_guard<std::recursive_mutex> g(TableLock());
    auto it = Owners().find(h);
    if (it != Owners().end() && it->second == this) Owners().erase(it);
  }
  m_hObject = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  HGDIOBJ h = Detach();
  return ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int index) {
  HGDIOBJ h = ::GetStockObject(index);
  if (!h) return FALSE;
  // Stock objects are shared: the wrapper refers to one without owning it.
  if (m_hObject) DeleteObject();
  m_hObject = h;
  return TRUE;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) {
  if (!h) return nullptr;
  std::lock_guard<std::recursive_mutex> g(TableLock());
  auto o = Owners().find(h);
  if (o != Owners().end()) return o->second;
  auto t = Temps().find(h);
  if (t != Temps().end()) return t->second;
  auto data = LookupObject(h);
  if (!data) return nullptr;
  CGdiObject* w = nullptr;
  switch (data->gdiKind) {
    case OBJ_PEN: case OBJ_EXTPEN: w = new CPen; break;
    case OBJ_BRUSH: w = new CBrush; break;
    case OBJ_FONT: w = new CFont; break;
    case OBJ_BITMAP: w = new CBitmap; break;
    case OBJ_PAL: w = new CPalette; break;
    case OBJ_REGION: w = new CRgn; break;
    default: w = new CGdiObject; break;
  }
  w->m_hObject = h;
  Temps()[h] = w;
  return w;
}

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
  return bitmap ? Attach(::CreatePatternBrush(*bitmap)) : FALSE;
}

int CPalette::GetEntryCount() const {
  WORD n = 0;
  ::GetObject(m_hObject, sizeof(n), &n);
  return n;
}
