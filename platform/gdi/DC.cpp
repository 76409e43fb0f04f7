#include "platform/gdi/DCImpl.h"

#include "platform/core/Format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_set>

using namespace gdi;

namespace {

std::mutex& DCLock() {
  static std::mutex m;
  return m;
}
std::unordered_set<const CDC*>& LiveDCs() {
  static auto* s = new std::unordered_set<const CDC*>();
  return *s;
}

bool IEq(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b)
    if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return false;
  return *a == *b;
}

// Rounds a * b / c half away from zero, as the platform's scaling does.
int Scale(long long a, long long b, long long c) {
  if (c == 0) return 0;
  long long n = a * b;
  bool neg = (n < 0) != (c < 0);
  long long an = n < 0 ? -n : n, ac = c < 0 ? -c : c;
  long long q = (an + ac / 2) / ac;
  return (int)(neg ? -q : q);
}

HBITMAP DefaultBitmap() {
  static HBITMAP bm = CreateBitmap(1, 1, 1, 1, nullptr);
  return bm;
}

}  // namespace

#define REC(...) \
  do { if (m_recorder) m_recorder->RecordCall(CString(FormatString(__VA_ARGS__))); } while (0)

// ---- Impl helpers -------------------------------------------------------------------------------------

void CDC::Impl::DropContext() {
  if (cr) cairo_destroy(cr);
  cr = nullptr;
  crFont = nullptr;
  crAntialias = -1;
  crClipValid = false;
}

void CDC::Impl::SetSurface(cairo_surface_t* surf, POINT org, const Region& visible, bool isRaster, double scale) {
  DropContext();
  if (surface) cairo_surface_destroy(surface);
  surface = surf ? cairo_surface_reference(surf) : nullptr;
  origin = org;
  vis = visible;
  raster = isRaster && surf && cairo_surface_get_type(surf) == CAIRO_SURFACE_TYPE_IMAGE;
  devScale = scale;
  InvalidateClip();
}

const Region& CDC::Impl::Eff() {
  if (!effValid) {
    eff = s.hasClip ? Region::Combine(vis, s.clip, RGN_AND) : vis;
    effValid = true;
  }
  return eff;
}

cairo_t* CDC::Impl::Ctx() {
  if (!surface) return nullptr;
  // A context in an error state draws nothing more: start a fresh one.
  if (cr && cairo_status(cr) != CAIRO_STATUS_SUCCESS) DropContext();
  if (!cr) {
    cr = cairo_create(surface);
    crClipValid = false;
  }
  if (!crClipValid) {
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    cairo_translate(cr, origin.x, origin.y);
    if (devScale != 1.0) cairo_scale(cr, devScale, devScale);
    const Region& e = Eff();
    cairo_new_path(cr);
    for (const RECT& r : e.rects) cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
    crClipValid = true;
  }
  return cr;
}

int CDC::Impl::XL2D(int x) const {
  if (s.winExt.cx == s.vpExt.cx) return x - s.winOrg.x + s.vpOrg.x;
  return Scale((long long)x - s.winOrg.x, s.vpExt.cx, s.winExt.cx) + s.vpOrg.x;
}
int CDC::Impl::YL2D(int y) const {
  if (s.winExt.cy == s.vpExt.cy) return y - s.winOrg.y + s.vpOrg.y;
  return Scale((long long)y - s.winOrg.y, s.vpExt.cy, s.winExt.cy) + s.vpOrg.y;
}
int CDC::Impl::XD2L(int x) const {
  if (s.winExt.cx == s.vpExt.cx) return x - s.vpOrg.x + s.winOrg.x;
  return Scale((long long)x - s.vpOrg.x, s.winExt.cx, s.vpExt.cx) + s.winOrg.x;
}
int CDC::Impl::YD2L(int y) const {
  if (s.winExt.cy == s.vpExt.cy) return y - s.vpOrg.y + s.winOrg.y;
  return Scale((long long)y - s.vpOrg.y, s.winExt.cy, s.vpExt.cy) + s.winOrg.y;
}
RECT CDC::Impl::L2DRect(int l, int t, int r, int b) const {
  RECT d{XL2D(l), YL2D(t), XL2D(r), YL2D(b)};
  if (d.left > d.right) std::swap(d.left, d.right);
  if (d.top > d.bottom) std::swap(d.top, d.bottom);
  return d;
}
int CDC::Impl::LenL2DX(int v) const { return std::abs(Scale(v, s.vpExt.cx, s.winExt.cx)); }
int CDC::Impl::LenL2DY(int v) const { return std::abs(Scale(v, s.vpExt.cy, s.winExt.cy)); }
int CDC::Impl::LenD2LX(int v) const { return std::abs(Scale(v, s.winExt.cx, s.vpExt.cx)); }
int CDC::Impl::LenD2LY(int v) const { return std::abs(Scale(v, s.winExt.cy, s.vpExt.cy)); }

void CDC::Impl::AdjustIso() {
  if (s.mapMode != MM_ISOTROPIC) return;
  // Keep one unit equally long on both axes: shrink the viewport extent of the longer axis.
  double rx = std::fabs((double)s.vpExt.cx / s.winExt.cx);
  double ry = std::fabs((double)s.vpExt.cy / s.winExt.cy);
  if (rx > ry) {
    int cx = (int)std::lround(std::fabs((double)s.winExt.cx) * ry);
    s.vpExt.cx = (s.vpExt.cx < 0 ? -1 : 1) * std::max(cx, 1);
  } else if (ry > rx) {
    int cy = (int)std::lround(std::fabs((double)s.winExt.cy) * rx);
    s.vpExt.cy = (s.vpExt.cy < 0 ? -1 : 1) * std::max(cy, 1);
  }
}

uint32_t CDC::Impl::Pix(COLORREF c) const {
  c = Resolve(c);
  if (mono) {
    int lum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    return lum >= 384 ? 0xFFFFFFFFu : 0xFF000000u;
  }
  return ToPixel(c);
}

int CDC::Impl::PenStyle() const {
  if (!s.pen) return PS_NULL;
  return (int)(s.pen->lp.lopnStyle & PS_STYLE_MASK);
}

int CDC::Impl::PenDeviceWidth() const {
  if (!s.pen) return 0;
  if (s.pen->ext && (s.pen->extStyle & PS_TYPE_MASK) == PS_COSMETIC) return 1;
  int w = s.pen->lp.lopnWidth.x;
  if (w <= 1) return 1;
  return std::max(1, LenL2DX(w));
}

bool CDC::Impl::Cosmetic() const {
  if (!s.pen) return true;
  if (s.pen->ext) return (s.pen->extStyle & PS_TYPE_MASK) == PS_COSMETIC || PenDeviceWidth() <= 1;
  return PenDeviceWidth() <= 1;
}

void CDC::Impl::PenPaint(Paint& out) const {
  out.none = PenStyle() == PS_NULL;
  COLORREF c = s.pen ? s.pen->lp.lopnColor : 0;
  if (s.pen && s.hPen == (HPEN)GetStockObject(DC_PEN)) c = s.dcPen;
  out.pixel = Pix(c);
}

static cairo_surface_t* HatchSurface(int hatch, uint32_t fg, uint32_t bg, bool opaque) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < 8; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case HS_HORIZONTAL: on = y == 7; break;
        case HS_VERTICAL: on = x == 7; break;
        case HS_FDIAGONAL: on = x == y; break;
        case HS_BDIAGONAL: on = x + y == 7; break;
        case HS_CROSS: on = x == 7 || y == 7; break;
        case HS_DIAGCROSS: on = x == y || x + y == 7; break;
      }
      row[x] = on ? fg : (opaque ? bg : 0u);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

void CDC::Impl::BrushPaint(const BrushObj* b, Paint& out) const {
  out.none = true;
  if (!b) return;
  switch (b->lb.lbStyle) {
    case BS_SOLID: {
      out.none = false;
      COLORREF c = b->lb.lbColor;
      if (b == gdi::Lookup<BrushObj>(GetStockObject(DC_BRUSH)).get()) c = s.dcBrush;
      out.pixel = Pix(c);
      return;
    }
    case BS_HATCHED: {
      out.none = false;
      cairo_surface_t* hs = HatchSurface((int)b->lb.lbHatch, Pix(b->lb.lbColor), Pix(s.bk), s.bkMode == OPAQUE);
      out.pattern = cairo_pattern_create_for_surface(hs);
      cairo_surface_destroy(hs);
      break;
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
    case BS_PATTERN8X8:
    case BS_DIBPATTERN8X8: {
      if (!b->pattern) return;
      out.none = false;
      if (b->pattern->mono) {
        // Monochrome patterns draw their 0 bits in the text colour and their 1 bits in the background colour.
        int w = b->pattern->w, h = b->pattern->h;
        cairo_surface_t* ms = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_surface_flush(ms);
        cairo_surface_flush(b->pattern->surf);
        uint32_t fg = Pix(s.text), bg = Pix(s.bk);
        for (int y = 0; y < h; ++y) {
          const uint32_t* src = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b->pattern->surf) +
                                                                  y * cairo_image_surface_get_stride(b->pattern->surf));
          uint32_t* dst = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(ms) + y * cairo_image_surface_get_stride(ms));
          for (int x = 0; x < w; ++x) dst[x] = (src[x] & 0xFFFFFF) ? bg : fg;
        }
        cairo_surface_mark_dirty(ms);
        out.pattern = cairo_pattern_create_for_surface(ms);
        cairo_surface_destroy(ms);
      } else {
        out.pattern = cairo_pattern_create_for_surface(b->pattern->surf);
      }
      break;
    }
    default:
      return;
  }
  if (out.pattern) {
    cairo_pattern_set_extend(out.pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(out.pattern, CAIRO_FILTER_NEAREST);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -s.brushOrg.x, -s.brushOrg.y);
    cairo_pattern_set_matrix(out.pattern, &m);
  }
}

std::shared_ptr<RealFont> CDC::Impl::Font() {
  double scale = (double)s.vpExt.cy / s.winExt.cy;
  if (!rf || rfFor != s.hFont || rfScale != scale) {
    LOGFONT lf = s.font ? s.font->lf : LOGFONT{};
    if (!s.font) lf = gdi::Lookup<FontObj>(GetStockObject(SYSTEM_FONT))->lf;
    int h = lf.lfHeight;
    int dh = h == 0 ? 0 : (h < 0 ? -1 : 1) * std::max(1, LenL2DY(std::abs(h)));
    int dw = lf.lfWidth == 0 ? 0 : std::max(1, LenL2DX(std::abs(lf.lfWidth)));
    rf = RealizeFont(lf, dh, dw);
    rfFor = s.hFont;
    rfScale = scale;
  }
  return rf;
}

// ---- CDC: construction and creation --------------------------------------------------------------------

CDC::CDC() : m_impl(std::make_shared<Impl>()) {
  std::lock_guard<std::mutex> g(DCLock());
  LiveDCs().insert(this);
}

CDC::~CDC() {
  {
    std::lock_guard<std::mutex> g(DCLock());
    LiveDCs().erase(this);
  }
  if (m_alias) {
    // An attached handle is deleted with its wrapper, as the framework does.
    DeleteDC();
    return;
  }
  UnbindProvider();
}

CDC* CDC::FromHandle(HDC h) {
  if (!h) return nullptr;
  std::lock_guard<std::mutex> g(DCLock());
  const CDC* dc = reinterpret_cast<const CDC*>(h);
  return LiveDCs().count(dc) ? const_cast<CDC*>(dc) : nullptr;
}

static void InitObjects(CDC::Impl& d) {
  d.s = DCState();
  d.saved.clear();
  d.s.hPen = (HPEN)GetStockObject(BLACK_PEN);
  d.s.pen = gdi::Lookup<PenObj>(d.s.hPen);
  d.s.hBrush = (HBRUSH)GetStockObject(WHITE_BRUSH);
  d.s.brush = gdi::Lookup<BrushObj>(d.s.hBrush);
  d.s.hFont = (HFONT)GetStockObject(SYSTEM_FONT);
  d.s.font = gdi::Lookup<FontObj>(d.s.hFont);
  d.s.hPal = (HPALETTE)GetStockObject(DEFAULT_PALETTE);
  d.s.pal = gdi::Lookup<PaletteObj>(d.s.hPal);
  d.rf.reset();
  d.rfFor = nullptr;
  d.InvalidateClip();
}

static void ScreenCaps(CDC::Impl& d) {
  d.dpiX = d.dpiY = 96;
  d.horzRes = GetSystemMetrics(SM_CXSCREEN);
  d.vertRes = GetSystemMetrics(SM_CYSCREEN);
  d.horzSize = Scale(d.horzRes, 254, 960);
  d.vertSize = Scale(d.vertRes, 254, 960);
  d.technology = DT_RASDISPLAY;
  d.bitsPixel = GetDisplayBitsPerPixel();
}

BOOL CDC::CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData) {
  (void)output;
  DeleteDC();
  Impl& d = *m_impl;
  InitObjects(d);
  bool display = (!driver && !device) || IEq(driver, "DISPLAY") || IEq(device, "DISPLAY");
  if (display) {
    d.kind = DCKind::Screen;
    ScreenCaps(d);
    d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(0, 0, d.horzRes, d.vertRes), false);
  } else {
    d.kind = DCKind::Printer;
    int w, h, wmm, hmm;
    PrinterPage(static_cast<const DEVMODE*>(initData), w, h, wmm, hmm);
    d.dpiX = d.dpiY = 600;
    d.horzRes = w;
    d.vertRes = h;
    d.horzSize = wmm;
    d.vertSize = hmm;
    d.technology = DT_RASPRINTER;
    d.bitsPixel = 24;
    d.SetSurface(nullptr, POINT{0, 0}, Region::FromRect(0, 0, w, h), false);
  }
  m_hDC = m_hAttribDC = reinterpret_cast<HDC>(this);
  return TRUE;
}

BOOL CDC::CreateIC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData) {
  if (!CreateDC(driver, device, output, initData)) return FALSE;
  if (m_impl->kind == DCKind::Screen) m_impl->kind = DCKind::Info;
  return TRUE;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  DeleteDC();
  Impl& d = *m_impl;
  InitObjects(d);
  d.kind = DCKind::Memory;
  ScreenCaps(d);
  if (dc && dc->m_impl->kind != DCKind::None) {
    const Impl& r = *dc->m_impl;
    d.dpiX = r.dpiX;
    d.dpiY = r.dpiY;
    d.horzRes = r.horzRes;
    d.vertRes = r.vertRes;
    d.horzSize = r.horzSize;
    d.vertSize = r.vertSize;
    d.technology = r.technology == DT_METAFILE ? DT_RASDISPLAY : r.technology;
    d.bitsPixel = r.bitsPixel;
  }
  m_hDC = m_hAttribDC = reinterpret_cast<HDC>(this);
  SelectObject((HGDIOBJ)DefaultBitmap());
  return TRUE;
}

BOOL CDC::AttachSurface(CDrawSurfaceProvider* provider, DrawArea area) { return BindProvider(provider, area); }

BOOL CDC::BindProvider(CDrawSurfaceProvider* provider, DrawArea area) {
  DeleteDC();
  if (!provider) return FALSE;
  Impl& d = *m_impl;
  InitObjects(d);
  ScreenCaps(d);
  d.kind = DCKind::Surface;
  m_provider = provider;
  m_area = area;
  std::vector<RECT> rects;
  provider->GetDrawVisible(area, rects);
  Region vis;
  for (const RECT& r : rects) vis = Region::Combine(vis, Region::FromRect(r.left, r.top, r.right, r.bottom), RGN_OR);
  cairo_surface_t* surf = provider->GetDrawSurface();
  if (surf && cairo_surface_get_type(surf) == CAIRO_SURFACE_TYPE_IMAGE) {
    POINT o = provider->GetDrawOrigin(area);
    Region bounds = Region::FromRect(-o.x, -o.y, cairo_image_surface_get_width(surf) - o.x,
                                     cairo_image_surface_get_height(surf) - o.y);
    vis = Region::Combine(vis, bounds, RGN_AND);
  }
  d.SetSurface(surf, provider->GetDrawOrigin(area), vis, true);
  m_hDC = m_hAttribDC = reinterpret_cast<HDC>(this);
  return TRUE;
}

void CDC::UnbindProvider() {
  if (m_provider) {
    CDrawSurfaceProvider* p = m_provider;
    m_provider = nullptr;
    p->ReleaseDraw(m_area);
  }
}

BOOL CDC::DeleteDC() {
  if (m_alias) {
    CDC* other = m_alias;
    HDC h = Detach();
    return ::DeleteDC(h) || other == nullptr;
  }
  Impl& d = *m_impl;
  if (d.kind == DCKind::None && !m_hDC) return FALSE;
  if (d.job && d.job->inDoc) AbortDoc();
  d.job.reset();
  d.meta.reset();
  UnbindProvider();
  d.SetSurface(nullptr, POINT{0, 0}, Region(), false);
  d.kind = DCKind::None;
  d.s = DCState();
  d.saved.clear();
  d.rf.reset();
  m_hDC = m_hAttribDC = nullptr;
  return TRUE;
}

BOOL CDC::Attach(HDC h) {
  CDC* other = FromHandle(h);
  if (!other) return FALSE;
  if (other == this) {
    m_hDC = m_hAttribDC = h;
    return TRUE;
  }
  if (m_alias) Detach();
  else DeleteDC();
  m_impl = other->m_impl;
  m_alias = other;
  m_hDC = m_hAttribDC = h;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  if (m_alias) {
    m_impl = std::make_shared<Impl>();
    m_alias = nullptr;
  }
  m_hDC = m_hAttribDC = nullptr;
  return h;
}

void CDC::SetAttribDC(HDC h) { m_hAttribDC = h; }
void CDC::SetOutputDC(HDC h) { m_hDC = h; }
void CDC::ReleaseAttribDC() { m_hAttribDC = nullptr; }
void CDC::ReleaseOutputDC() { m_hDC = nullptr; }

cairo_surface_t* CDC::GetCairoSurface() const { return m_impl->surface; }
POINT CDC::GetSurfaceOrigin() const { return m_impl->origin; }

// ---- State -----------------------------------------------------------------------------------------------

int CDC::SaveDC() {
  REC("SaveDC()");
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return 0;
  d.saved.push_back(d.s);
  if (d.meta) d.meta->SaveDC();
  return (int)d.saved.size();
}

BOOL CDC::RestoreDC(int saved) {
  REC("RestoreDC(%d)", saved);
  Impl& d = *m_impl;
  int n = (int)d.saved.size();
  int target = saved < 0 ? n + saved + 1 : saved;
  if (saved == 0 || target < 1 || target > n) return FALSE;
  if (d.meta) d.meta->RestoreDC(target - n - 1);
  bool bitmapChanged = d.s.hBitmap != d.saved[(size_t)target - 1].hBitmap;
  d.s = d.saved[(size_t)target - 1];
  d.saved.resize((size_t)target - 1);
  d.rf.reset();
  d.InvalidateClip();
  if (bitmapChanged && d.kind == DCKind::Memory && d.s.bitmap) {
    auto bm = d.s.bitmap;
    d.mono = bm->mono;
    d.SetSurface(bm->surf, POINT{0, 0}, Region::FromRect(0, 0, bm->w, bm->h), true);
  }
  return TRUE;
}

CDC* CDC::Attrib() const {
  if (m_hAttribDC && m_hAttribDC != reinterpret_cast<HDC>(const_cast<CDC*>(this))) {
    CDC* a = FromHandle(m_hAttribDC);
    if (a && a != this) return a;
  }
  return nullptr;
}

int CDC::GetDeviceCaps(int index) const {
  if (CDC* a = Attrib()) return a->GetDeviceCaps(index);
  return GetOutputDeviceCaps(index);
}

int CDC::GetOutputDeviceCaps(int index) const {
  const Impl& d = *m_impl;
  if (d.kind == DCKind::None) return 0;
  bool printer = d.technology == DT_RASPRINTER;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return d.kind == DCKind::MetaFile ? DT_METAFILE : d.technology;
    case HORZSIZE: return d.horzSize;
    case VERTSIZE: return d.vertSize;
    case HORZRES: case DESKTOPHORZRES: return d.horzRes;
    case VERTRES: case DESKTOPVERTRES: return d.vertRes;
    case LOGPIXELSX: return d.dpiX;
    case LOGPIXELSY: return d.dpiY;
    case BITSPIXEL: return d.bitsPixel;
    case PLANES: return 1;
    case NUMBRUSHES: case NUMPENS: return -1;
    case NUMFONTS: return 0;
    case NUMCOLORS: return d.bitsPixel <= 8 ? 20 : -1;
    case CURVECAPS: return 0xFF;
    case LINECAPS: return 0xFE;
    case POLYGONALCAPS: return 0xFF;
    case TEXTCAPS: return TC_OP_CHARACTER | TC_CR_ANY | TC_SA_CONTIN | TC_UA_ABLE | TC_SO_ABLE | TC_RA_ABLE;
    case CLIPCAPS: return 1;
    case RASTERCAPS: {
      int caps = RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT |
                 RC_STRETCHBLT | RC_STRETCHDIB;
      if (!printer) caps |= RC_FLOODFILL;
      if (!printer && d.bitsPixel <= 8) caps |= RC_PALETTE;
      return caps;
    }
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case SIZEPALETTE: return d.bitsPixel <= 8 ? 256 : 0;
    case NUMRESERVED: return d.bitsPixel <= 8 ? 20 : 0;
    case COLORRES: return 24;
    case PHYSICALWIDTH: return printer ? d.horzRes : 0;
    case PHYSICALHEIGHT: return printer ? d.vertRes : 0;
    case PHYSICALOFFSETX: case PHYSICALOFFSETY: case SCALINGFACTORX: case SCALINGFACTORY: return 0;
    case VREFRESH: return printer ? 0 : 60;
    case BLTALIGNMENT: return 0;
    default: return 0;
  }
}

// ---- Object selection ----------------------------------------------------------------------------------

HGDIOBJ CDC::SelectObject(HGDIOBJ obj) {
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || !obj) return nullptr;
  auto data = LookupObject(obj);
  if (!data) return nullptr;
  switch (data->gdiKind) {
    case OBJ_PEN:
    case OBJ_EXTPEN: {
      REC("SelectObject(pen %u %d 0x%06X)", std::static_pointer_cast<PenObj>(data)->lp.lopnStyle,
          std::static_pointer_cast<PenObj>(data)->lp.lopnWidth.x, std::static_pointer_cast<PenObj>(data)->lp.lopnColor);
      HGDIOBJ old = d.s.hPen;
      d.s.hPen = static_cast<HPEN>(obj);
      d.s.pen = std::static_pointer_cast<PenObj>(data);
      if (d.meta) d.meta->SelectPen(d.s.pen->lp, d.s.pen->ext ? d.s.pen->extStyle : d.s.pen->lp.lopnStyle);
      return old;
    }
    case OBJ_BRUSH: {
      auto b = std::static_pointer_cast<BrushObj>(data);
      REC("SelectObject(brush %u 0x%06X)", b->lb.lbStyle, b->lb.lbColor);
      HGDIOBJ old = d.s.hBrush;
      d.s.hBrush = static_cast<HBRUSH>(obj);
      d.s.brush = b;
      if (d.meta) {
        if (b->pattern) {
          BITMAPINFOHEADER bih;
          std::vector<BYTE> bits = PatternDib(*b->pattern, d.Resolve(d.s.text), d.Resolve(d.s.bk), bih);
          d.meta->SelectBrush(b->lb, &bih, &bits);
        } else {
          d.meta->SelectBrush(b->lb, nullptr, nullptr);
        }
      }
      return old;
    }
    case OBJ_FONT: {
      auto f = std::static_pointer_cast<FontObj>(data);
      REC("SelectObject(font \"%s\" %d %d)", f->lf.lfFaceName, f->lf.lfHeight, f->lf.lfWeight);
      HGDIOBJ old = d.s.hFont;
      d.s.hFont = static_cast<HFONT>(obj);
      d.s.font = f;
      d.rf.reset();
      if (d.meta) d.meta->SelectFont(f->lf);
      return old;
    }
    case OBJ_BITMAP: {
      if (d.kind != DCKind::Memory) return nullptr;
      auto bm = std::static_pointer_cast<BitmapObj>(data);
      REC("SelectObject(bitmap %dx%d)", bm->w, bm->h);
      HGDIOBJ old = d.s.hBitmap;
      d.s.hBitmap = static_cast<HBITMAP>(obj);
      d.s.bitmap = bm;
      d.mono = bm->mono;
      d.SetSurface(bm->surf, POINT{0, 0}, Region::FromRect(0, 0, bm->w, bm->h), true);
      return old;
    }
    case OBJ_REGION: {
      CRgn* r = CRgn::FromHandle(static_cast<HRGN>(obj));
      return reinterpret_cast<HGDIOBJ>((intptr_t)SelectClipRgn(r));
    }
    default:
      return nullptr;
  }
}

CGdiObject* CDC::SelectStockObject(int index) { return CGdiObject::FromHandle(SelectObject(GetStockObject(index))); }
CPen* CDC::SelectObject(CPen* pen) { return pen ? CPen::FromHandle(static_cast<HPEN>(SelectObject(pen->m_hObject))) : nullptr; }
CBrush* CDC::SelectObject(CBrush* brush) {
  return brush ? CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(brush->m_hObject))) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
  return font ? CFont::FromHandle(static_cast<HFONT>(SelectObject(font->m_hObject))) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(bitmap->m_hObject))) : nullptr;
}
int CDC::SelectObject(CRgn* rgn) { return SelectClipRgn(rgn); }
CGdiObject* CDC::SelectObject(CGdiObject* obj) { return obj ? CGdiObject::FromHandle(SelectObject(obj->m_hObject)) : nullptr; }

CPen* CDC::GetCurrentPen() const { return CPen::FromHandle(m_impl->s.hPen); }
CBrush* CDC::GetCurrentBrush() const { return CBrush::FromHandle(m_impl->s.hBrush); }
CFont* CDC::GetCurrentFont() const { return CFont::FromHandle(m_impl->s.hFont); }
CBitmap* CDC::GetCurrentBitmap() const { return CBitmap::FromHandle(m_impl->s.hBitmap); }
CPalette* CDC::GetCurrentPalette() const { return CPalette::FromHandle(m_impl->s.hPal); }

CPalette* CDC::SelectPalette(CPalette* pal, BOOL) {
  Impl& d = *m_impl;
  if (!pal || d.kind == DCKind::None) return nullptr;
  auto p = gdi::Lookup<PaletteObj>(pal->m_hObject);
  if (!p) return nullptr;
  HPALETTE old = d.s.hPal;
  d.s.hPal = static_cast<HPALETTE>(pal->m_hObject);
  d.s.pal = p;
  return CPalette::FromHandle(old);
}

UINT CDC::RealizePalette() {
  // True-colour surfaces need no mapping; a palette display maps every entry.
  const Impl& d = *m_impl;
  if (d.bitsPixel > 8 || !d.s.pal) return 0;
  return (UINT)d.s.pal->entries.size();
}

// ---- Attributes ----------------------------------------------------------------------------------------

COLORREF CDC::GetBkColor() const { return m_impl->s.bk; }
COLORREF CDC::SetBkColor(COLORREF c) {
  REC("SetBkColor(0x%06X)", c);
  COLORREF old = m_impl->s.bk;
  m_impl->s.bk = c;
  if (m_impl->meta) m_impl->meta->SetBkColor(c);
  return old;
}
int CDC::GetBkMode() const { return m_impl->s.bkMode; }
int CDC::SetBkMode(int mode) {
  REC("SetBkMode(%d)", mode);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int old = m_impl->s.bkMode;
  m_impl->s.bkMode = mode;
  if (m_impl->meta) m_impl->meta->SetBkMode(mode);
  return old;
}
COLORREF CDC::GetTextColor() const { return m_impl->s.text; }
COLORREF CDC::SetTextColor(COLORREF c) {
  REC("SetTextColor(0x%06X)", c);
  COLORREF old = m_impl->s.text;
  m_impl->s.text = c;
  if (m_impl->meta) m_impl->meta->SetTextColor(c);
  return old;
}
int CDC::GetROP2() const { return m_impl->s.rop2; }
int CDC::SetROP2(int mode) {
  REC("SetROP2(%d)", mode);
  if (mode < R2_BLACK || mode > R2_WHITE) return 0;
  int old = m_impl->s.rop2;
  m_impl->s.rop2 = mode;
  if (m_impl->meta) m_impl->meta->SetROP2(mode);
  return old;
}
int CDC::GetPolyFillMode() const { return m_impl->s.polyFill; }
int CDC::SetPolyFillMode(int mode) {
  REC("SetPolyFillMode(%d)", mode);
  if (mode != ALTERNATE && mode != WINDING) return 0;
  int old = m_impl->s.polyFill;
  m_impl->s.polyFill = mode;
  if (m_impl->meta) m_impl->meta->SetPolyFillMode(mode);
  return old;
}
int CDC::GetStretchBltMode() const { return m_impl->s.stretch; }
int CDC::SetStretchBltMode(int mode) {
  REC("SetStretchBltMode(%d)", mode);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = m_impl->s.stretch;
  m_impl->s.stretch = mode;
  if (m_impl->meta) m_impl->meta->SetStretchBltMode(mode);
  return old;
}
UINT CDC::GetTextAlign() const { return m_impl->s.align; }
UINT CDC::SetTextAlign(UINT flags) {
  REC("SetTextAlign(%u)", flags);
  UINT old = m_impl->s.align;
  m_impl->s.align = flags & TA_MASK;
  if (m_impl->meta) m_impl->meta->SetTextAlign(m_impl->s.align);
  return old;
}
int CDC::GetTextCharacterExtra() const { return m_impl->s.charExtra; }
int CDC::SetTextCharacterExtra(int extra) {
  int old = m_impl->s.charExtra;
  m_impl->s.charExtra = extra;
  return old;
}
CPoint CDC::GetBrushOrg() const { return CPoint(m_impl->s.brushOrg); }
CPoint CDC::SetBrushOrg(int x, int y) {
  REC("SetBrushOrg(%d,%d)", x, y);
  CPoint old(m_impl->s.brushOrg);
  m_impl->s.brushOrg = POINT{x, y};
  return old;
}
COLORREF CDC::GetNearestColor(COLORREF c) const { return m_impl->Resolve(c); }
COLORREF CDC::SetDCBrushColor(COLORREF c) {
  COLORREF old = m_impl->s.dcBrush;
  m_impl->s.dcBrush = c;
  return old;
}
COLORREF CDC::SetDCPenColor(COLORREF c) {
  COLORREF old = m_impl->s.dcPen;
  m_impl->s.dcPen = c;
  return old;
}

// ---- Mapping -------------------------------------------------------------------------------------------

int CDC::GetMapMode() const { return m_impl->s.mapMode; }

int CDC::SetMapMode(int mode) {
  REC("SetMapMode(%d)", mode);
  Impl& d = *m_impl;
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  int old = d.s.mapMode;
  d.s.mapMode = mode;
  auto metric = [&](int unitsPerInch) {
    d.s.winExt = SIZE{unitsPerInch, unitsPerInch};
    d.s.vpExt = SIZE{d.dpiX, -d.dpiY};
  };
  switch (mode) {
    case MM_TEXT: d.s.winExt = SIZE{1, 1}; d.s.vpExt = SIZE{1, 1}; break;
    case MM_LOMETRIC: metric(254); break;
    case MM_HIMETRIC: metric(2540); break;
    case MM_LOENGLISH: metric(100); break;
    case MM_HIENGLISH: metric(1000); break;
    case MM_TWIPS: metric(1440); break;
    case MM_ISOTROPIC:
      if (old != MM_ISOTROPIC && old != MM_ANISOTROPIC) metric(254);
      d.AdjustIso();
      break;
    case MM_ANISOTROPIC: break;
  }
  d.rf.reset();
  if (d.meta) d.meta->SetMapMode(mode);
  return old;
}

CPoint CDC::GetViewportOrg() const { return CPoint(m_impl->s.vpOrg); }
CPoint CDC::SetViewportOrg(int x, int y) {
  REC("SetViewportOrg(%d,%d)", x, y);
  CPoint old(m_impl->s.vpOrg);
  m_impl->s.vpOrg = POINT{x, y};
  if (m_impl->meta) m_impl->meta->SetViewportOrg(x, y);
  return old;
}
CPoint CDC::OffsetViewportOrg(int dx, int dy) {
  POINT o = m_impl->s.vpOrg;
  return SetViewportOrg(o.x + dx, o.y + dy);
}
CSize CDC::GetViewportExt() const { return CSize(m_impl->s.vpExt); }
CSize CDC::SetViewportExt(int cx, int cy) {
  REC("SetViewportExt(%d,%d)", cx, cy);
  Impl& d = *m_impl;
  CSize old(d.s.vpExt);
  if (d.s.mapMode != MM_ISOTROPIC && d.s.mapMode != MM_ANISOTROPIC) return old;
  if (cx == 0 || cy == 0) return CSize(0, 0);
  d.s.vpExt = SIZE{cx, cy};
  d.AdjustIso();
  d.rf.reset();
  if (d.meta) d.meta->SetViewportExt(cx, cy);
  return old;
}
CSize CDC::ScaleViewportExt(int xNum, int xDenom, int yNum, int yDenom) {
  SIZE e = m_impl->s.vpExt;
  if (xDenom == 0 || yDenom == 0) return CSize(e);
  return SetViewportExt(Scale(e.cx, xNum, xDenom), Scale(e.cy, yNum, yDenom));
}
CPoint CDC::GetWindowOrg() const { return CPoint(m_impl->s.winOrg); }
CPoint CDC::SetWindowOrg(int x, int y) {
  REC("SetWindowOrg(%d,%d)", x, y);
  CPoint old(m_impl->s.winOrg);
  m_impl->s.winOrg = POINT{x, y};
  if (m_impl->meta) m_impl->meta->SetWindowOrg(x, y);
  return old;
}
CPoint CDC::OffsetWindowOrg(int dx, int dy) {
  POINT o = m_impl->s.winOrg;
  return SetWindowOrg(o.x + dx, o.y + dy);
}
CSize CDC::GetWindowExt() const { return CSize(m_impl->s.winExt); }
CSize CDC::SetWindowExt(int cx, int cy) {
  REC("SetWindowExt(%d,%d)", cx, cy);
  Impl& d = *m_impl;
  CSize old(d.s.winExt);
  if (d.s.mapMode != MM_ISOTROPIC && d.s.mapMode != MM_ANISOTROPIC) return old;
  if (cx == 0 || cy == 0) return CSize(0, 0);
  d.s.winExt = SIZE{cx, cy};
  d.AdjustIso();
  d.rf.reset();
  if (d.meta) d.meta->SetWindowExt(cx, cy);
  return old;
}
CSize CDC::ScaleWindowExt(int xNum, int xDenom, int yNum, int yDenom) {
  SIZE e = m_impl->s.winExt;
  if (xDenom == 0 || yDenom == 0) return CSize(e);
  return SetWindowExt(Scale(e.cx, xNum, xDenom), Scale(e.cy, yNum, yDenom));
}

void CDC::DPtoLP(LPPOINT pts, int count) const {
  if (!pts) return;
  for (int i = 0; i < count; ++i) pts[i] = POINT{m_impl->XD2L(pts[i].x), m_impl->YD2L(pts[i].y)};
}
void CDC::DPtoLP(LPRECT r) const {
  if (r) DPtoLP(reinterpret_cast<LPPOINT>(r), 2);
}
void CDC::DPtoLP(LPSIZE s) const {
  if (!s) return;
  const Impl& d = *m_impl;
  s->cx = Scale(s->cx, d.s.winExt.cx, d.s.vpExt.cx);
  s->cy = Scale(s->cy, d.s.winExt.cy, d.s.vpExt.cy);
  s->cx = std::abs(s->cx);
  s->cy = std::abs(s->cy);
}
void CDC::LPtoDP(LPPOINT pts, int count) const {
  if (!pts) return;
  for (int i = 0; i < count; ++i) pts[i] = m_impl->L2D(pts[i].x, pts[i].y);
}
void CDC::LPtoDP(LPRECT r) const {
  if (r) LPtoDP(reinterpret_cast<LPPOINT>(r), 2);
}
void CDC::LPtoDP(LPSIZE s) const {
  if (!s) return;
  const Impl& d = *m_impl;
  s->cx = std::abs(Scale(s->cx, d.s.vpExt.cx, d.s.winExt.cx));
  s->cy = std::abs(Scale(s->cy, d.s.vpExt.cy, d.s.winExt.cy));
}
void CDC::DPtoHIMETRIC(LPSIZE s) const {
  if (!s) return;
  s->cx = Scale(s->cx, 2540, GetDeviceCaps(LOGPIXELSX));
  s->cy = Scale(s->cy, 2540, GetDeviceCaps(LOGPIXELSY));
}
void CDC::HIMETRICtoDP(LPSIZE s) const {
  if (!s) return;
  s->cx = Scale(s->cx, GetDeviceCaps(LOGPIXELSX), 2540);
  s->cy = Scale(s->cy, GetDeviceCaps(LOGPIXELSY), 2540);
}
void CDC::LPtoHIMETRIC(LPSIZE s) const {
  LPtoDP(s);
  DPtoHIMETRIC(s);
}
void CDC::HIMETRICtoLP(LPSIZE s) const {
  HIMETRICtoDP(s);
  DPtoLP(s);
}

// ---- Clipping ------------------------------------------------------------------------------------------

int CDC::GetClipBox(LPRECT r) const {
  if (!r) return ERROR;
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return ERROR;
  const Region& e = d.Eff();
  if (e.Empty()) {
    *r = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  RECT b = e.Bounds();
  POINT p[2] = {POINT{b.left, b.top}, POINT{b.right, b.bottom}};
  DPtoLP(p, 2);
  *r = RECT{std::min(p[0].x, p[1].x), std::min(p[0].y, p[1].y), std::max(p[0].x, p[1].x), std::max(p[0].y, p[1].y)};
  return e.Complexity();
}

int CDC::SelectClipRgn(CRgn* rgn) { return SelectClipRgn(rgn, RGN_COPY); }

int CDC::SelectClipRgn(CRgn* rgn, int mode) {
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return ERROR;
  std::shared_ptr<RgnObj> r = rgn ? gdi::Lookup<RgnObj>(rgn->m_hObject) : nullptr;
  REC("SelectClipRgn(%s,%d)", r ? "rgn" : "NULL", mode);
  if (!r) {
    if (mode != RGN_COPY) return ERROR;
    d.s.hasClip = false;
    d.s.clip = Region();
  } else if (mode == RGN_COPY) {
    d.s.hasClip = true;
    d.s.clip = r->rgn;
  } else {
    if (mode < RGN_AND || mode > RGN_DIFF) return ERROR;
    Region base = d.s.hasClip ? d.s.clip : d.vis;
    d.s.clip = Region::Combine(base, r->rgn, mode);
    d.s.hasClip = true;
  }
  d.InvalidateClip();
  if (d.meta) d.meta->SelectClipRgn(d.s.hasClip ? &d.s.clip : nullptr);
  return d.Eff().Complexity();
}

int CDC::ExcludeClipRect(int l, int t, int r, int b) {
  REC("ExcludeClipRect(%d,%d,%d,%d)", l, t, r, b);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return ERROR;
  RECT dr = d.L2DRect(l, t, r, b);
  Region base = d.s.hasClip ? d.s.clip : d.vis;
  d.s.clip = Region::Combine(base, Region::FromRect(dr.left, dr.top, dr.right, dr.bottom), RGN_DIFF);
  d.s.hasClip = true;
  d.InvalidateClip();
  if (d.meta) d.meta->ExcludeClipRect(RECT{l, t, r, b});
  return d.Eff().Complexity();
}

int CDC::IntersectClipRect(int l, int t, int r, int b) {
  REC("IntersectClipRect(%d,%d,%d,%d)", l, t, r, b);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return ERROR;
  RECT dr = d.L2DRect(l, t, r, b);
  Region base = d.s.hasClip ? d.s.clip : d.vis;
  d.s.clip = Region::Combine(base, Region::FromRect(dr.left, dr.top, dr.right, dr.bottom), RGN_AND);
  d.s.hasClip = true;
  d.InvalidateClip();
  if (d.meta) d.meta->IntersectClipRect(RECT{l, t, r, b});
  return d.Eff().Complexity();
}

int CDC::OffsetClipRgn(int dx, int dy) {
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return ERROR;
  if (d.s.hasClip) {
    d.s.clip.Offset(d.LenL2DX(dx) * (dx < 0 ? -1 : 1), d.LenL2DY(dy) * (dy < 0 ? -1 : 1));
    d.InvalidateClip();
    if (d.meta) d.meta->SelectClipRgn(&d.s.clip);
  }
  return d.Eff().Complexity();
}

BOOL CDC::PtVisible(int x, int y) const {
  Impl& d = *m_impl;
  POINT p = d.L2D(x, y);
  return d.Eff().Contains(p.x, p.y);
}

BOOL CDC::RectVisible(LPCRECT r) const {
  if (!r) return FALSE;
  Impl& d = *m_impl;
  RECT dr = d.L2DRect(r->left, r->top, r->right, r->bottom);
  return d.Eff().Intersects(dr);
}

int CDC::GetClipRgn(CRgn* rgn) const {
  if (!rgn) return -1;
  const Impl& d = *m_impl;
  if (!d.s.hasClip) return 0;
  auto r = gdi::Lookup<RgnObj>(rgn->m_hObject);
  if (!r) return -1;
  r->rgn = d.s.clip;
  return 1;
}

// ---- Kin -----------------------------------------------------------------------------------------------

CPaintDC::CPaintDC(CDrawSurfaceProvider* provider) {
  if (provider) {
    BindProvider(provider, DrawArea::Paint);
    provider->BeginDrawPaint(&m_ps);
  }
  m_ps.hdc = m_hDC;
}

CPaintDC::~CPaintDC() {
  if (m_provider) m_provider->EndDrawPaint(&m_ps);
}

CClientDC::CClientDC(CDrawSurfaceProvider* provider) {
  if (provider) BindProvider(provider, DrawArea::Client);
}
CClientDC::~CClientDC() = default;

CWindowDC::CWindowDC(CDrawSurfaceProvider* provider) {
  if (provider) BindProvider(provider, DrawArea::Window);
}
CWindowDC::~CWindowDC() = default;

// ---- Image surface provider ----------------------------------------------------------------------------

CImageSurface::CImageSurface(int width, int height, COLORREF fill) {
  m_width = std::max(width, 1);
  m_height = std::max(height, 1);
  m_surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_width, m_height);
  cairo_t* cr = cairo_create(m_surface);
  cairo_set_source_rgb(cr, GetRValue(fill) / 255.0, GetGValue(fill) / 255.0, GetBValue(fill) / 255.0);
  cairo_paint(cr);
  cairo_destroy(cr);
  m_update = RECT{0, 0, m_width, m_height};
}

CImageSurface::~CImageSurface() { cairo_surface_destroy(m_surface); }

void CImageSurface::GetDrawVisible(DrawArea area, std::vector<RECT>& visible) {
  visible.clear();
  if (area == DrawArea::Paint)
    visible.push_back(m_update);
  else
    visible.push_back(RECT{0, 0, m_width, m_height});
}

void CImageSurface::BeginDrawPaint(PAINTSTRUCT* ps) {
  if (!ps) return;
  ps->fErase = FALSE;
  ps->rcPaint = m_update;
}

COLORREF CImageSurface::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
  cairo_surface_flush(m_surface);
  const uint32_t* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(m_surface) +
                                                          (size_t)y * cairo_image_surface_get_stride(m_surface));
  return gdi::FromPixel(row[x]);
}
