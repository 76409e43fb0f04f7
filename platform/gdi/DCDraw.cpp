// Lines, shapes, fills, pixels and block transfers of CDC.
#include "platform/gdi/DCImpl.h"

#include "platform/core/Format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace gdi;

#define REC(...) \
  do { if (GetRecorder()) GetRecorder()->RecordCall(CString(FormatString(__VA_ARGS__))); } while (0)

namespace {

inline uint32_t Rop2(uint32_t d, uint32_t p, int rop) {
  switch (rop) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(d | p);
    case R2_MASKNOTPEN: return d & ~p;
    case R2_NOTCOPYPEN: return ~p;
    case R2_MASKPENNOT: return p & ~d;
    case R2_NOT: return ~d;
    case R2_XORPEN: return d ^ p;
    case R2_NOTMASKPEN: return ~(d & p);
    case R2_MASKPEN: return d & p;
    case R2_NOTXORPEN: return ~(d ^ p);
    case R2_NOP: return d;
    case R2_MERGENOTPEN: return d | ~p;
    case R2_MERGEPEN: return d | p;
    case R2_MERGEPENNOT: return p | ~d;
    case R2_WHITE: return 0xFFFFFFFFu;
    default: return p;
  }
}

inline uint32_t Rop3Bits(uint32_t P, uint32_t S, uint32_t D, unsigned code) {
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (code & (1u << i)) r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
  return r;
}

bool RopUsesSource(DWORD rop) {
  unsigned c = (rop >> 16) & 0xFF;
  return ((c >> 2) & 0x33) != (c & 0x33);
}
bool RopUsesPattern(DWORD rop) {
  unsigned c = (rop >> 16) & 0xFF;
  return ((c >> 4) & 0x0F) != (c & 0x0F);
}

// Cairo's fixed-point geometry holds about +-8 million units: keep device coordinates well inside.
constexpr int kLim = 1 << 22;
int Cl(int v) { return std::clamp(v, -kLim, kLim); }
RECT Cl(const RECT& r) { return RECT{Cl(r.left), Cl(r.top), Cl(r.right), Cl(r.bottom)}; }
POINT Cl(const POINT& p) { return POINT{Cl(p.x), Cl(p.y)}; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
  return r;
}
bool EmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

void EllipsePath(cairo_t* cr, double l, double t, double r, double b) {
  double w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, l + w / 2, t + h / 2);
  cairo_scale(cr, w / 2, h / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double ew, double eh) {
  double rx = std::min(std::fabs(ew) / 2, (r - l) / 2), ry = std::min(std::fabs(eh) / 2, (b - t) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  auto corner = [&](double cx, double cy, double a0, double a1) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a0, a1);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(r - rx, t + ry, -M_PI / 2, 0);
  corner(r - rx, b - ry, 0, M_PI / 2);
  corner(l + rx, b - ry, M_PI / 2, M_PI);
  corner(l + rx, t + ry, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// kind 0 arc, 1 pie, 2 chord; counter-clockwise from the start radial to the end radial.
void ArcPath(cairo_t* cr, double l, double t, double r, double b, double x3, double y3, double x4, double y4, int kind) {
  double w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return;
  double cx = l + w / 2, cy = t + h / 2;
  double a0 = std::atan2((y3 - cy) / (h / 2), (x3 - cx) / (w / 2));
  double a1 = std::atan2((y4 - cy) / (h / 2), (x4 - cx) / (w / 2));
  if (a1 >= a0) a1 -= 2 * M_PI;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, w / 2, h / 2);
  cairo_new_sub_path(cr);
  if (kind == 1) cairo_move_to(cr, 0, 0);
  cairo_arc_negative(cr, 0, 0, 1, a0, a1);
  if (kind != 0) cairo_close_path(cr);
  cairo_restore(cr);
}

const int kDash[] = {18, 6};
const int kDot[] = {3, 3};
const int kDashDot[] = {9, 6, 3, 6};
const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

}  // namespace

// ---- Raster helpers ----------------------------------------------------------------------------------

uint32_t* CDC::Impl::Row(int devY) const {
  return reinterpret_cast<uint32_t*>(pixData + (ptrdiff_t)(devY + origin.y) * pixStride) + origin.x;
}

bool CDC::Impl::PixelVisible(int x, int y) {
  const Region& e = Eff();
  if (e.rects.size() == 1) {
    const RECT& r = e.rects[0];
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  }
  return e.Contains(x, y);
}

void CDC::Impl::Begin() {
  cairo_surface_flush(surface);
  pixData = cairo_image_surface_get_data(surface);
  pixStride = cairo_image_surface_get_stride(surface);
}
void CDC::Impl::End() { cairo_surface_mark_dirty(surface); }

void CDC::Impl::PlotRop(int x, int y, uint32_t pen, int rop2) {
  if (!PixelVisible(x, y)) return;
  uint32_t* p = Row(y) + x;
  *p = (rop2 == R2_COPYPEN ? pen : Rop2(*p, pen, rop2)) | 0xFF000000u;
}

// Cuts a very long segment down to the part near `box`, so stepping it stays cheap; short segments keep
// their exact pixels.
static bool ClipLong(int& x0, int& y0, int& x1, int& y1, const RECT& box) {
  long long dx = (long long)x1 - x0, dy = (long long)y1 - y0;
  if (std::max(std::llabs(dx), std::llabs(dy)) <= 32768) return true;
  double t0 = 0, t1 = 1;
  double bl = box.left - 2.0, br = box.right + 2.0, bt = box.top - 2.0, bb = box.bottom + 2.0;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge((double)-dx, x0 - bl) || !edge((double)dx, br - x0) || !edge((double)-dy, y0 - bt) ||
      !edge((double)dy, bb - y0) || t0 > t1)
    return false;
  int nx0 = (int)std::lround(x0 + t0 * dx), ny0 = (int)std::lround(y0 + t0 * dy);
  int nx1 = (int)std::lround(x0 + t1 * dx), ny1 = (int)std::lround(y0 + t1 * dy);
  x0 = nx0; y0 = ny0; x1 = nx1; y1 = ny1;
  return true;
}

void CDC::Impl::CosmeticLine(int x0, int y0, int x1, int y1, bool& first, int& counter) {
  (void)first;
  if (Eff().rects.empty() || !ClipLong(x0, y0, x1, y1, Eff().Bounds())) return;
  Paint pp;
  PenPaint(pp);
  if (pp.none) return;
  int style = PenStyle();
  const int* pat = nullptr;
  int patN = 0;
  std::vector<int> user;
  switch (style) {
    case PS_DASH: pat = kDash; patN = 2; break;
    case PS_DOT: pat = kDot; patN = 2; break;
    case PS_DASHDOT: pat = kDashDot; patN = 4; break;
    case PS_DASHDOTDOT: pat = kDashDotDot; patN = 6; break;
    case PS_ALTERNATE: { static const int alt[] = {1, 1}; pat = alt; patN = 2; break; }
    case PS_USERSTYLE:
      for (DWORD v : s.pen->userStyle) user.push_back((int)std::max<DWORD>(v, 1));
      pat = user.data();
      patN = (int)user.size();
      break;
  }
  int period = 0;
  for (int i = 0; i < patN; ++i) period += pat[i];
  uint32_t bk = Pix(s.bk);
  bool opaqueGaps = s.bkMode == OPAQUE;
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  int x = x0, y = y0;
  int rop = s.rop2;
  // Fast bounds for the common single-rectangle clip.
  const Region& e = Eff();
  bool simple = e.rects.size() == 1;
  RECT cb = simple ? e.rects[0] : RECT{0, 0, 0, 0};
  if (e.rects.empty()) return;
  if (period == 0 && rop == R2_COPYPEN && simple) {
    // The common case: a solid line in one clip rectangle, stepping a pixel pointer.
    uint32_t c = pp.pixel | 0xFF000000u;
    uint32_t* base = reinterpret_cast<uint32_t*>(pixData);
    ptrdiff_t off = (ptrdiff_t)(y + origin.y) * (pixStride / 4) + x + origin.x;
    ptrdiff_t stepY = (ptrdiff_t)sy * (pixStride / 4);
    while (x != x1 || y != y1) {
      if (x >= cb.left && x < cb.right && y >= cb.top && y < cb.bottom) base[off] = c;
      int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x += sx; off += sx; }
      if (e2 <= dx) { err += dx; y += sy; off += stepY; }
    }
    return;
  }
  while (x != x1 || y != y1) {
    bool on = true;
    if (period > 0) {
      int m = counter % period, k = 0;
      while (m >= pat[k]) { m -= pat[k]; ++k; }
      on = (k % 2) == 0;
      ++counter;
    }
    if (on || opaqueGaps) {
      bool visible = simple ? (x >= cb.left && x < cb.right && y >= cb.top && y < cb.bottom) : e.Contains(x, y);
      if (visible) {
        uint32_t* p = Row(y) + x;
        uint32_t c = on ? pp.pixel : bk;
        *p = (rop == R2_COPYPEN ? c : Rop2(*p, c, rop)) | 0xFF000000u;
      }
    }
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x += sx; }
    if (e2 <= dx) { err += dx; y += sy; }
  }
}

void CDC::Impl::CosmeticPolyline(const POINT* dev, int n, bool closed) {
  if (n < 2) return;
  bool first = true;
  int counter = 0;
  Begin();
  for (int i = 0; i + 1 < n; ++i) CosmeticLine(dev[i].x, dev[i].y, dev[i + 1].x, dev[i + 1].y, first, counter);
  if (closed) CosmeticLine(dev[n - 1].x, dev[n - 1].y, dev[0].x, dev[0].y, first, counter);
  End();
}

static void SetSource(cairo_t* cr, const Paint& paint) {
  if (paint.pattern)
    cairo_set_source(cr, paint.pattern);
  else
    cairo_set_source_rgb(cr, ((paint.pixel >> 16) & 0xFF) / 255.0, ((paint.pixel >> 8) & 0xFF) / 255.0,
                         (paint.pixel & 0xFF) / 255.0);
}

void CDC::Impl::Render(const std::function<void(cairo_t*)>& path, const Paint& paint, bool stroke, double lineWidth,
                       cairo_line_cap_t cap, cairo_line_join_t join, const double* dashes, int nDashes) {
  if (paint.none) return;
  cairo_t* c = Ctx();
  if (!c) return;
  int rop = s.rop2;
  if (rop == R2_NOP) return;
  auto setup = [&](cairo_t* t) {
    cairo_set_antialias(t, raster ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_fill_rule(t, s.polyFill == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_line_width(t, lineWidth);
    cairo_set_line_cap(t, cap);
    cairo_set_line_join(t, join);
    cairo_set_dash(t, dashes, nDashes, 0);
    cairo_new_path(t);
    path(t);
  };
  if (rop == R2_COPYPEN || !raster) {
    cairo_save(c);
    setup(c);
    SetSource(c, paint);
    cairo_set_operator(c, CAIRO_OPERATOR_OVER);
    if (stroke) cairo_stroke(c); else cairo_fill(c);
    cairo_restore(c);
    crFont = nullptr;
    return;
  }
  // Raster operations Cairo has no operator for: draw coverage into a scratch image, then combine pixels.
  cairo_save(c);
  setup(c);
  double x1, y1, x2, y2;
  if (stroke) cairo_stroke_extents(c, &x1, &y1, &x2, &y2); else cairo_fill_extents(c, &x1, &y1, &x2, &y2);
  cairo_new_path(c);
  cairo_restore(c);
  RECT box{(LONG)std::floor(x1), (LONG)std::floor(y1), (LONG)std::ceil(x2), (LONG)std::ceil(y2)};
  box = Intersect(box, Eff().Bounds());
  if (EmptyRect(box)) return;
  int w = box.right - box.left, h = box.bottom - box.top;
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* t = cairo_create(scratch);
  cairo_translate(t, -box.left, -box.top);
  setup(t);
  SetSource(t, paint);
  if (stroke) cairo_stroke(t); else cairo_fill(t);
  cairo_destroy(t);
  cairo_surface_flush(scratch);
  const unsigned char* sd = cairo_image_surface_get_data(scratch);
  int ss = cairo_image_surface_get_stride(scratch);
  Begin();
  for (int y = 0; y < h; ++y) {
    const uint32_t* srow = reinterpret_cast<const uint32_t*>(sd + y * ss);
    uint32_t* drow = Row(box.top + y) + box.left;
    for (int x = 0; x < w; ++x) {
      if ((srow[x] >> 24) < 0x80) continue;
      if (!PixelVisible(box.left + x, box.top + y)) continue;
      drow[x] = Rop2(drow[x], srow[x], rop) | 0xFF000000u;
    }
  }
  End();
  cairo_surface_destroy(scratch);
}

void CDC::Impl::FillDeviceRect(const RECT& r, const Paint& paint, int rop2) {
  if (paint.none || EmptyRect(r) || !surface) return;
  if (raster && !paint.pattern) {
    const Region& e = Eff();
    Begin();
    for (const RECT& c : e.rects) {
      RECT q = Intersect(c, r);
      if (EmptyRect(q)) continue;
      for (int y = q.top; y < q.bottom; ++y) {
        uint32_t* row = Row(y);
        if (rop2 == R2_COPYPEN)
          std::fill(row + q.left, row + q.right, paint.pixel | 0xFF000000u);
        else
          for (int x = q.left; x < q.right; ++x) row[x] = Rop2(row[x], paint.pixel, rop2) | 0xFF000000u;
      }
    }
    End();
    return;
  }
  int savedRop = s.rop2;
  s.rop2 = rop2;
  Render([&](cairo_t* c) { cairo_rectangle(c, r.left, r.top, r.right - r.left, r.bottom - r.top); }, paint, false, 1,
         CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  s.rop2 = savedRop;
}

// The pixels Cairo gives for the repeated pattern (its 0 bits in the text colour, its 1 bits in the
// background colour, from the brush origin), without a pattern surface made for each fill: a grid's
// dotted lines are filled cell by cell.
bool CDC::Impl::FillMonoPattern(const RECT& r, const BrushObj* b) {
  if (!raster || devScale != 1.0 || !b || !b->pattern || !b->pattern->mono || !b->pattern->surf) return false;
  switch (b->lb.lbStyle) {
    case BS_PATTERN: case BS_DIBPATTERN: case BS_DIBPATTERNPT: case BS_PATTERN8X8: case BS_DIBPATTERN8X8: break;
    default: return false;
  }
  const int w = b->pattern->w, h = b->pattern->h;
  if (w <= 0 || h <= 0 || w > 64 || h > 64) return false;
  if (EmptyRect(r) || !surface) return true;
  uint32_t tile[64 * 64];
  cairo_surface_flush(b->pattern->surf);
  const unsigned char* bits = cairo_image_surface_get_data(b->pattern->surf);
  const int stride = cairo_image_surface_get_stride(b->pattern->surf);
  const uint32_t fg = Pix(s.text) | 0xFF000000u, bg = Pix(s.bk) | 0xFF000000u;
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(bits + y * stride);
    for (int x = 0; x < w; ++x) tile[y * w + x] = (src[x] & 0xFFFFFF) ? bg : fg;
  }
  auto wrap = [](int v, int n) { return ((v % n) + n) % n; };
  const Region& e = Eff();
  Begin();
  for (const RECT& c : e.rects) {
    RECT q = Intersect(c, r);
    if (EmptyRect(q)) continue;
    const int x0 = wrap(q.left - s.brushOrg.x, w);
    for (int y = q.top; y < q.bottom; ++y) {
      const uint32_t* line = tile + wrap(y - s.brushOrg.y, h) * w;
      uint32_t* row = Row(y);
      for (int x = q.left, t = x0; x < q.right; ++x) {
        row[x] = line[t];
        if (++t == w) t = 0;
      }
    }
  }
  End();
  return true;
}

void CDC::Impl::StrokeShapePath(const std::function<void(cairo_t*)>& path) {
  Paint pp;
  PenPaint(pp);
  if (pp.none) return;
  int w = PenDeviceWidth();
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
  if (s.pen && s.pen->ext && (s.pen->extStyle & PS_TYPE_MASK) == PS_GEOMETRIC) {
    DWORD ec = s.pen->extStyle & PS_ENDCAP_MASK, j = s.pen->extStyle & PS_JOIN_MASK;
    cap = ec == PS_ENDCAP_SQUARE ? CAIRO_LINE_CAP_SQUARE : ec == PS_ENDCAP_FLAT ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND;
    join = j == PS_JOIN_BEVEL ? CAIRO_LINE_JOIN_BEVEL : j == PS_JOIN_MITER ? CAIRO_LINE_JOIN_MITER : CAIRO_LINE_JOIN_ROUND;
  }
  if (w <= 1) { cap = CAIRO_LINE_CAP_BUTT; join = CAIRO_LINE_JOIN_MITER; }
  double dashes[16];
  int nd = 0;
  int style = PenStyle();
  const int* pat = nullptr;
  int pn = 0;
  switch (style) {
    case PS_DASH: pat = kDash; pn = 2; break;
    case PS_DOT: pat = kDot; pn = 2; break;
    case PS_DASHDOT: pat = kDashDot; pn = 4; break;
    case PS_DASHDOTDOT: pat = kDashDotDot; pn = 6; break;
    case PS_USERSTYLE:
      for (DWORD v : s.pen->userStyle)
        if (nd < 16) dashes[nd++] = std::max(1.0, (double)v * (w > 1 ? 1 : 1));
      break;
  }
  for (int i = 0; i < pn; ++i) dashes[nd++] = pat[i] * (double)std::max(1, w);
  Render(path, pp, true, w, cap, join, nd ? dashes : nullptr, nd);
}

void CDC::Impl::Rop3(const RECT& dst, cairo_surface_t* src, int srcX, int srcY, const Paint* pat, DWORD rop) {
  RECT box = Intersect(dst, Eff().Bounds());
  if (EmptyRect(box) || !raster) return;
  int w = box.right - box.left, h = box.bottom - box.top;
  unsigned code = (rop >> 16) & 0xFF;
  // Pattern pixels for the box.
  cairo_surface_t* ps = nullptr;
  uint32_t solid = 0;
  if (pat && !pat->none) {
    if (pat->pattern) {
      ps = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
      cairo_t* t = cairo_create(ps);
      cairo_translate(t, -box.left, -box.top);
      cairo_set_source(t, pat->pattern);
      cairo_paint(t);
      cairo_destroy(t);
      cairo_surface_flush(ps);
    } else {
      solid = pat->pixel;
    }
  }
  if (src) cairo_surface_flush(src);
  Begin();
  for (int y = 0; y < h; ++y) {
    uint32_t* drow = Row(box.top + y) + box.left;
    const uint32_t* srow = src ? reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(src) +
                                                                   (size_t)(srcY + box.top - dst.top + y) *
                                                                       cairo_image_surface_get_stride(src)) +
                                     (srcX + box.left - dst.left)
                               : nullptr;
    const uint32_t* prow =
        ps ? reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ps) + y * cairo_image_surface_get_stride(ps))
           : nullptr;
    for (int x = 0; x < w; ++x) {
      if (!PixelVisible(box.left + x, box.top + y)) continue;
      uint32_t S = srow ? srow[x] : 0, P = prow ? prow[x] : solid;
      drow[x] = Rop3Bits(P, S, drow[x], code) | 0xFF000000u;
    }
  }
  End();
  if (ps) cairo_surface_destroy(ps);
}

// What a shape outlined with the current pen covers, for the header bounds of a metafile: the
// pen's half width reaches beyond the shape's own outline.
static void AddOutlinedBounds(CDC::Impl& d, RECT dev) {
  int half = d.PenStyle() == PS_NULL ? 0 : d.PenDeviceWidth() / 2;
  d.meta->AddBounds(RECT{dev.left - half, dev.top - half, dev.right + half, dev.bottom + half});
}

static void AddOutlinedBounds(CDC::Impl& d, const POINT* pts, int n) {
  if (n <= 0) return;
  POINT f = d.L2D(pts[0].x, pts[0].y);
  RECT b{f.x, f.y, f.x, f.y};
  for (int i = 1; i < n; ++i) {
    POINT p = d.L2D(pts[i].x, pts[i].y);
    b = RECT{std::min(b.left, p.x), std::min(b.top, p.y), std::max(b.right, p.x), std::max(b.bottom, p.y)};
  }
  AddOutlinedBounds(d, RECT{b.left, b.top, b.right + 1, b.bottom + 1});
}

// ---- Lines ----------------------------------------------------------------------------------------------

CPoint CDC::GetCurrentPosition() const { return CPoint(m_impl->s.cp); }

CPoint CDC::MoveTo(int x, int y) {
  REC("MoveTo(%d,%d)", x, y);
  Impl& d = *m_impl;
  CPoint old(d.s.cp);
  d.s.cp = POINT{x, y};
  if (d.meta) d.meta->MoveTo(x, y);
  return old;
}

BOOL CDC::LineTo(int x, int y) {
  REC("LineTo(%d,%d)", x, y);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  POINT from = d.s.cp;
  d.s.cp = POINT{x, y};
  if (d.meta) {
    d.meta->LineTo(x, y);
    POINT ends[2] = {from, POINT{x, y}};
    AddOutlinedBounds(d, ends, 2);
    return TRUE;
  }
  if (!d.surface) return TRUE;
  POINT a = d.L2D(from.x, from.y), b = d.L2D(x, y);
  if (d.raster && d.Cosmetic()) {
    bool first = true;
    int counter = 0;
    d.Begin();
    d.CosmeticLine(a.x, a.y, b.x, b.y, first, counter);
    d.End();
    return TRUE;
  }
  RECT near = d.Eff().Bounds();
  int margin = d.PenDeviceWidth() + 2;
  near = RECT{near.left - margin, near.top - margin, near.right + margin, near.bottom + margin};
  if (!ClipLong(a.x, a.y, b.x, b.y, near)) return TRUE;
  d.StrokeShapePath([&](cairo_t* c) {
    cairo_move_to(c, a.x + 0.5, a.y + 0.5);
    cairo_line_to(c, b.x + 0.5, b.y + 0.5);
  });
  return TRUE;
}

BOOL CDC::Polyline(const POINT* pts, int count) {
  REC("Polyline(%d)", count);
  Impl& d = *m_impl;
  if (!pts || count < 2 || d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->Polyline(pts, count);
    AddOutlinedBounds(d, pts, count);
    return TRUE;
  }
  if (!d.surface) return TRUE;
  std::vector<POINT> dev((size_t)count);
  for (int i = 0; i < count; ++i) dev[(size_t)i] = Cl(d.L2D(pts[i].x, pts[i].y));
  if (d.raster && d.Cosmetic()) {
    d.CosmeticPolyline(dev.data(), count, false);
    return TRUE;
  }
  d.StrokeShapePath([&](cairo_t* c) {
    cairo_move_to(c, dev[0].x + 0.5, dev[0].y + 0.5);
    for (int i = 1; i < count; ++i) cairo_line_to(c, dev[(size_t)i].x + 0.5, dev[(size_t)i].y + 0.5);
  });
  return TRUE;
}

BOOL CDC::PolyPolyline(const POINT* pts, const DWORD* counts, int polyCount) {
  if (!pts || !counts || polyCount <= 0) return FALSE;
  const POINT* p = pts;
  for (int i = 0; i < polyCount; ++i) {
    Polyline(p, (int)counts[i]);
    p += counts[i];
  }
  return TRUE;
}

BOOL CDC::PolylineTo(const POINT* pts, int count) {
  if (!pts || count <= 0) return FALSE;
  for (int i = 0; i < count; ++i) LineTo(pts[i].x, pts[i].y);
  return TRUE;
}

BOOL CDC::PolyBezier(const POINT* pts, int count) {
  if (!pts || count < 4 || (count - 1) % 3 != 0) return FALSE;
  std::vector<POINT> flat;
  flat.push_back(pts[0]);
  for (int i = 1; i + 2 < count; i += 3) {
    POINT p0 = pts[i - 1], p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
    for (int k = 1; k <= 16; ++k) {
      double t = k / 16.0, u = 1 - t;
      double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
      double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
      flat.push_back(POINT{(LONG)std::lround(x), (LONG)std::lround(y)});
    }
  }
  return Polyline(flat.data(), (int)flat.size());
}

BOOL CDC::Arc(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  REC("Arc(%d,%d,%d,%d,%d,%d,%d,%d)", l, t, r, b, x3, y3, x4, y4);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->ArcShape(0, RECT{l, t, r, b}, POINT{x3, y3}, POINT{x4, y4});
    AddOutlinedBounds(d, d.L2DRect(l, t, r, b));
    return TRUE;
  }
  RECT dr = Cl(d.L2DRect(l, t, r, b));
  POINT p3 = Cl(d.L2D(x3, y3)), p4 = Cl(d.L2D(x4, y4));
  bool flip = (d.s.vpExt.cy < 0) != (d.s.winExt.cy < 0);
  if (flip) std::swap(p3, p4);
  d.StrokeShapePath([&](cairo_t* c) {
    ArcPath(c, dr.left + 0.5, dr.top + 0.5, dr.right - 0.5, dr.bottom - 0.5, p3.x + 0.5, p3.y + 0.5, p4.x + 0.5,
            p4.y + 0.5, 0);
  });
  return TRUE;
}

// ---- Shapes ---------------------------------------------------------------------------------------------

BOOL CDC::Rectangle(int l, int t, int r, int b) {
  REC("Rectangle(%d,%d,%d,%d)", l, t, r, b);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->Rectangle(RECT{l, t, r, b});
    AddOutlinedBounds(d, d.L2DRect(l, t, r, b));
    return TRUE;
  }
  RECT dr = Cl(d.L2DRect(l, t, r, b));
  if (dr.right - dr.left < 1 || dr.bottom - dr.top < 1 || !d.surface) return TRUE;
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  bool pen = d.PenStyle() != PS_NULL;
  if (!pen) {
    d.FillDeviceRect(RECT{dr.left, dr.top, dr.right - 1, dr.bottom - 1}, bp, d.s.rop2);
    return TRUE;
  }
  if (d.Cosmetic()) {
    d.FillDeviceRect(RECT{dr.left + 1, dr.top + 1, dr.right - 1, dr.bottom - 1}, bp, d.s.rop2);
    if (d.raster) {
      POINT pts[4] = {{dr.left, dr.top}, {dr.right - 1, dr.top}, {dr.right - 1, dr.bottom - 1}, {dr.left, dr.bottom - 1}};
      if (dr.right - dr.left <= 2 || dr.bottom - dr.top <= 2) {
        // No interior: the outline covers the whole rectangle; touch each pixel once.
        Paint pp;
        d.PenPaint(pp);
        d.Begin();
        for (int y = dr.top; y < dr.bottom; ++y)
          for (int x = dr.left; x < dr.right; ++x) d.PlotRop(x, y, pp.pixel, d.s.rop2);
        d.End();
      } else {
        d.CosmeticPolyline(pts, 4, true);
      }
      return TRUE;
    }
  } else {
    d.FillDeviceRect(RECT{dr.left, dr.top, dr.right - 1, dr.bottom - 1}, bp, d.s.rop2);
  }
  d.StrokeShapePath([&](cairo_t* c) {
    cairo_rectangle(c, dr.left + 0.5, dr.top + 0.5, dr.right - dr.left - 1, dr.bottom - dr.top - 1);
  });
  return TRUE;
}

BOOL CDC::RoundRect(int l, int t, int r, int b, int w, int h) {
  REC("RoundRect(%d,%d,%d,%d,%d,%d)", l, t, r, b, w, h);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->RoundRect(RECT{l, t, r, b}, w, h);
    AddOutlinedBounds(d, d.L2DRect(l, t, r, b));
    return TRUE;
  }
  RECT dr = Cl(d.L2DRect(l, t, r, b));
  if (dr.right - dr.left < 1 || dr.bottom - dr.top < 1) return TRUE;
  int ew = Cl(d.LenL2DX(w)), eh = Cl(d.LenL2DY(h));
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  d.Render([&](cairo_t* c) { RoundRectPath(c, dr.left, dr.top, dr.right - 1, dr.bottom - 1, ew, eh); }, bp, false, 1,
           CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  d.StrokeShapePath([&](cairo_t* c) {
    RoundRectPath(c, dr.left + 0.5, dr.top + 0.5, dr.right - 0.5, dr.bottom - 0.5, ew, eh);
  });
  return TRUE;
}

BOOL CDC::Ellipse(int l, int t, int r, int b) {
  REC("Ellipse(%d,%d,%d,%d)", l, t, r, b);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->Ellipse(RECT{l, t, r, b});
    AddOutlinedBounds(d, d.L2DRect(l, t, r, b));
    return TRUE;
  }
  RECT dr = Cl(d.L2DRect(l, t, r, b));
  if (dr.right - dr.left < 1 || dr.bottom - dr.top < 1) return TRUE;
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  d.Render([&](cairo_t* c) { EllipsePath(c, dr.left, dr.top, dr.right - 1, dr.bottom - 1); }, bp, false, 1,
           CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  d.StrokeShapePath([&](cairo_t* c) { EllipsePath(c, dr.left + 0.5, dr.top + 0.5, dr.right - 0.5, dr.bottom - 0.5); });
  return TRUE;
}

static BOOL PieOrChord(CDC* dc, CDC::Impl& d, int kind, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  (void)dc;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->ArcShape(kind, RECT{l, t, r, b}, POINT{x3, y3}, POINT{x4, y4});
    AddOutlinedBounds(d, d.L2DRect(l, t, r, b));
    return TRUE;
  }
  RECT dr = Cl(d.L2DRect(l, t, r, b));
  if (dr.right - dr.left < 1 || dr.bottom - dr.top < 1) return TRUE;
  POINT p3 = Cl(d.L2D(x3, y3)), p4 = Cl(d.L2D(x4, y4));
  if ((d.s.vpExt.cy < 0) != (d.s.winExt.cy < 0)) std::swap(p3, p4);
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  auto path = [&](cairo_t* c) {
    ArcPath(c, dr.left + 0.5, dr.top + 0.5, dr.right - 0.5, dr.bottom - 0.5, p3.x + 0.5, p3.y + 0.5, p4.x + 0.5,
            p4.y + 0.5, kind);
  };
  d.Render(path, bp, false, 1, CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  d.StrokeShapePath(path);
  return TRUE;
}

BOOL CDC::Pie(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  REC("Pie(%d,%d,%d,%d,%d,%d,%d,%d)", l, t, r, b, x3, y3, x4, y4);
  return PieOrChord(this, *m_impl, 1, l, t, r, b, x3, y3, x4, y4);
}

BOOL CDC::Chord(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  REC("Chord(%d,%d,%d,%d,%d,%d,%d,%d)", l, t, r, b, x3, y3, x4, y4);
  return PieOrChord(this, *m_impl, 2, l, t, r, b, x3, y3, x4, y4);
}

BOOL CDC::Polygon(const POINT* pts, int count) {
  REC("Polygon(%d)", count);
  Impl& d = *m_impl;
  if (!pts || count < 2 || d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->Polygon(pts, count);
    AddOutlinedBounds(d, pts, count);
    return TRUE;
  }
  std::vector<POINT> dev((size_t)count);
  for (int i = 0; i < count; ++i) dev[(size_t)i] = Cl(d.L2D(pts[i].x, pts[i].y));
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  auto path = [&](cairo_t* c) {
    cairo_move_to(c, dev[0].x + 0.5, dev[0].y + 0.5);
    for (int i = 1; i < count; ++i) cairo_line_to(c, dev[(size_t)i].x + 0.5, dev[(size_t)i].y + 0.5);
    cairo_close_path(c);
  };
  d.Render(path, bp, false, 1, CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  if (d.raster && d.Cosmetic())
    d.CosmeticPolyline(dev.data(), count, true);
  else
    d.StrokeShapePath(path);
  return TRUE;
}

BOOL CDC::PolyPolygon(const POINT* pts, const INT* counts, int polyCount) {
  REC("PolyPolygon(%d)", polyCount);
  Impl& d = *m_impl;
  if (!pts || !counts || polyCount <= 0 || d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->PolyPolygon(pts, counts, polyCount);
    int total = 0;
    for (int i = 0; i < polyCount; ++i) total += std::max(counts[i], 0);
    AddOutlinedBounds(d, pts, total);
    return TRUE;
  }
  std::vector<std::vector<POINT>> polys;
  const POINT* p = pts;
  for (int i = 0; i < polyCount; ++i) {
    std::vector<POINT> dev;
    for (int k = 0; k < counts[i]; ++k) dev.push_back(Cl(d.L2D(p[k].x, p[k].y)));
    p += counts[i];
    polys.push_back(std::move(dev));
  }
  Paint bp;
  d.BrushPaint(d.s.brush.get(), bp);
  auto path = [&](cairo_t* c) {
    for (auto& dev : polys) {
      if (dev.size() < 2) continue;
      cairo_move_to(c, dev[0].x + 0.5, dev[0].y + 0.5);
      for (size_t i = 1; i < dev.size(); ++i) cairo_line_to(c, dev[i].x + 0.5, dev[i].y + 0.5);
      cairo_close_path(c);
    }
  };
  d.Render(path, bp, false, 1, CAIRO_LINE_CAP_BUTT, CAIRO_LINE_JOIN_MITER, nullptr, 0);
  for (auto& dev : polys) {
    if (d.raster && d.Cosmetic())
      d.CosmeticPolyline(dev.data(), (int)dev.size(), true);
  }
  if (!(d.raster && d.Cosmetic())) d.StrokeShapePath(path);
  return TRUE;
}

// Fills a logical rectangle with a brush without changing the selection (metafiles record the selection).
static void FillWithBrush(CDC* dc, CDC::Impl& d, const RECT& r, HBRUSH brush, DWORD rop) {
  if (d.meta) {
    HGDIOBJ old = dc->SelectObject((HGDIOBJ)brush);
    dc->PatBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, rop);
    if (old) dc->SelectObject(old);
    return;
  }
  auto b = LookupBrush(brush);
  if (!b) return;
  RECT dr{d.XL2D(r.left), d.YL2D(r.top), d.XL2D(r.right), d.YL2D(r.bottom)};
  if (dr.left > dr.right) std::swap(dr.left, dr.right);
  if (dr.top > dr.bottom) std::swap(dr.top, dr.bottom);
  if (rop == PATCOPY && d.FillMonoPattern(dr, b.get())) return;
  Paint p;
  d.BrushPaint(b.get(), p);
  d.FillDeviceRect(dr, p, rop == PATINVERT ? R2_XORPEN : R2_COPYPEN);
}

void CDC::FillRect(LPCRECT r, CBrush* brush) {
  if (!r || !brush) return;
  REC("FillRect(%d,%d,%d,%d)", r->left, r->top, r->right, r->bottom);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || r->right <= r->left || r->bottom <= r->top) return;
  FillWithBrush(this, d, *r, static_cast<HBRUSH>(brush->m_hObject), PATCOPY);
}

void CDC::FrameRect(LPCRECT r, CBrush* brush) {
  if (!r || !brush) return;
  REC("FrameRect(%d,%d,%d,%d)", r->left, r->top, r->right, r->bottom);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || r->right <= r->left || r->bottom <= r->top) return;
  HBRUSH h = static_cast<HBRUSH>(brush->m_hObject);
  FillWithBrush(this, d, RECT{r->left, r->top, r->right, r->top + 1}, h, PATCOPY);
  FillWithBrush(this, d, RECT{r->left, r->bottom - 1, r->right, r->bottom}, h, PATCOPY);
  FillWithBrush(this, d, RECT{r->left, r->top + 1, r->left + 1, r->bottom - 1}, h, PATCOPY);
  FillWithBrush(this, d, RECT{r->right - 1, r->top + 1, r->right, r->bottom - 1}, h, PATCOPY);
}

void CDC::InvertRect(LPCRECT r) {
  if (!r) return;
  REC("InvertRect(%d,%d,%d,%d)", r->left, r->top, r->right, r->bottom);
  if (r->right <= r->left || r->bottom <= r->top) return;
  PatBlt(r->left, r->top, r->right - r->left, r->bottom - r->top, DSTINVERT);
}

void CDC::DrawFocusRect(LPCRECT r) {
  if (!r) return;
  REC("DrawFocusRect(%d,%d,%d,%d)", r->left, r->top, r->right, r->bottom);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || d.meta || !d.raster) return;
  RECT dr = d.L2DRect(r->left, r->top, r->right, r->bottom);
  if (dr.right <= dr.left || dr.bottom <= dr.top) return;
  // Every other pixel of the border, inverted, each exactly once: drawing it again restores the pixels.
  // The dots follow the brush origin, as a pattern brush does.
  d.Begin();
  const POINT org = d.s.brushOrg;
  auto inv = [&](int x, int y) {
    if (((x - org.x + y - org.y) & 1) == 0) d.PlotRop(x, y, 0, R2_NOT);
  };
  for (int x = dr.left; x < dr.right; ++x) inv(x, dr.top);
  if (dr.bottom - 1 > dr.top)
    for (int x = dr.left; x < dr.right; ++x) inv(x, dr.bottom - 1);
  for (int y = dr.top + 1; y < dr.bottom - 1; ++y) {
    inv(dr.left, y);
    if (dr.right - 1 > dr.left) inv(dr.right - 1, y);
  }
  d.End();
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c) {
  if (!r) return;
  REC("FillSolidRect(%d,%d,%d,%d,0x%06X)", r->left, r->top, r->right, r->bottom, c);
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  SetBkColor(c);
  ExtTextOut(0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  m_recorder = rec;
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
  RECT r{x, y, x + cx, y + cy};
  FillSolidRect(&r, c);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
  if (!r) return;
  Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  REC("Draw3dRect(%d,%d,%d,%d,0x%06X,0x%06X)", x, y, cx, cy, topLeft, bottomRight);
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx, y, -1, cy, bottomRight);
  FillSolidRect(x, y + cy, cx, -1, bottomRight);
  m_recorder = rec;
}

BOOL CDC::DrawEdge(LPRECT rc, UINT edge, UINT flags) {
  if (!rc) return FALSE;
  REC("DrawEdge(%d,%d,%d,%d,%u,%u)", rc->left, rc->top, rc->right, rc->bottom, edge, flags);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  RECT r = *rc;
  if (flags & BF_DIAGONAL) return TRUE;
  struct Quiet {
    CDCRecorder*& slot;
    CDCRecorder* saved;
    ~Quiet() { slot = saved; }
  } quiet{m_recorder, m_recorder};
  m_recorder = nullptr;
  auto fill = [&](const RECT& q, COLORREF c) {
    if (q.right <= q.left || q.bottom <= q.top) return;
    HBRUSH b = CreateSolidBrush(c);
    FillWithBrush(this, d, q, b, PATCOPY);
    ::DeleteObject(b);
  };
  auto ring = [&](COLORREF tl, COLORREF br) {
    if (flags & BF_LEFT) fill(RECT{r.left, r.top, r.left + 1, r.bottom}, tl);
    if (flags & BF_TOP) fill(RECT{r.left, r.top, r.right, r.top + 1}, tl);
    if (flags & BF_RIGHT) fill(RECT{r.right - 1, r.top, r.right, r.bottom}, br);
    if (flags & BF_BOTTOM) fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
    if (flags & BF_LEFT) r.left++;
    if (flags & BF_TOP) r.top++;
    if (flags & BF_RIGHT) r.right--;
    if (flags & BF_BOTTOM) r.bottom--;
  };
  UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  COLORREF face = GetSysColor(COLOR_3DFACE);
  if (flags & BF_MONO) {
    COLORREF c = GetSysColor(COLOR_WINDOWFRAME);
    if (outer) ring(c, c);
    if (inner) ring(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    face = GetSysColor(COLOR_WINDOW);
  } else if (flags & BF_FLAT) {
    if (outer) ring(GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DSHADOW));
    if (inner) ring(face, face);
  } else {
    if (outer == BDR_RAISEDOUTER) ring(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    else if (outer == BDR_SUNKENOUTER) ring(GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
    if (inner == BDR_RAISEDINNER) ring(GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
    else if (inner == BDR_SUNKENINNER) ring(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
  }
  if (flags & BF_MIDDLE) fill(r, face);
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

static Region LogicalRegionToDevice(CDC::Impl& d, const Region& rg) {
  if (d.IdentityMap() && d.s.winOrg.x == d.s.vpOrg.x && d.s.winOrg.y == d.s.vpOrg.y) return rg;
  Region out;
  for (const RECT& r : rg.rects) {
    RECT q = d.L2DRect(r.left, r.top, r.right, r.bottom);
    out = Region::Combine(out, Region::FromRect(q.left, q.top, q.right, q.bottom), RGN_OR);
  }
  return out;
}

BOOL CDC::FillRgn(CRgn* rgn, CBrush* brush) {
  REC("FillRgn()");
  Impl& d = *m_impl;
  if (!rgn || !brush || d.kind == DCKind::None) return FALSE;
  auto r = gdi::Lookup<RgnObj>(rgn->m_hObject);
  if (!r) return FALSE;
  if (d.meta) {
    for (const RECT& q : r->rgn.rects) FillWithBrush(this, d, q, static_cast<HBRUSH>(brush->m_hObject), PATCOPY);
    return TRUE;
  }
  auto b = LookupBrush(static_cast<HBRUSH>(brush->m_hObject));
  if (!b) return FALSE;
  Paint p;
  d.BrushPaint(b.get(), p);
  for (const RECT& q : LogicalRegionToDevice(d, r->rgn).rects) d.FillDeviceRect(q, p, R2_COPYPEN);
  return TRUE;
}

BOOL CDC::FrameRgn(CRgn* rgn, CBrush* brush, int w, int h) {
  REC("FrameRgn(%d,%d)", w, h);
  Impl& d = *m_impl;
  if (!rgn || !brush || d.kind == DCKind::None || w < 0 || h < 0) return FALSE;
  auto r = gdi::Lookup<RgnObj>(rgn->m_hObject);
  if (!r) return FALSE;
  Region in = r->rgn;
  for (int k = 0; k < 4; ++k) {
    Region o = r->rgn;
    o.Offset(k == 0 ? w : k == 1 ? -w : 0, k == 2 ? h : k == 3 ? -h : 0);
    in = Region::Combine(in, o, RGN_AND);
  }
  Region frame = Region::Combine(r->rgn, in, RGN_DIFF);
  if (d.meta) {
    for (const RECT& q : frame.rects) FillWithBrush(this, d, q, static_cast<HBRUSH>(brush->m_hObject), PATCOPY);
    return TRUE;
  }
  auto b = LookupBrush(static_cast<HBRUSH>(brush->m_hObject));
  if (!b) return FALSE;
  Paint p;
  d.BrushPaint(b.get(), p);
  for (const RECT& q : LogicalRegionToDevice(d, frame).rects) d.FillDeviceRect(q, p, R2_COPYPEN);
  return TRUE;
}

BOOL CDC::InvertRgn(CRgn* rgn) {
  Impl& d = *m_impl;
  if (!rgn || d.kind == DCKind::None) return FALSE;
  auto r = gdi::Lookup<RgnObj>(rgn->m_hObject);
  if (!r) return FALSE;
  for (const RECT& q : r->rgn.rects) PatBlt(q.left, q.top, q.right - q.left, q.bottom - q.top, DSTINVERT);
  return TRUE;
}

BOOL CDC::PaintRgn(CRgn* rgn) {
  Impl& d = *m_impl;
  CBrush* b = CBrush::FromHandle(d.s.hBrush);
  return FillRgn(rgn, b);
}

// ---- Pixels and blocks ----------------------------------------------------------------------------------

COLORREF CDC::SetPixel(int x, int y, COLORREF c) {
  REC("SetPixel(%d,%d,0x%06X)", x, y, c);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return CLR_INVALID;
  if (d.meta) {
    d.meta->SetPixel(x, y, c);
    POINT p = d.L2D(x, y);
    d.meta->AddBounds(RECT{p.x, p.y, p.x + 1, p.y + 1});
    return d.Resolve(c);
  }
  POINT p = d.L2D(x, y);
  if (!d.surface) return CLR_INVALID;
  if (!d.raster) {
    Paint pp;
    pp.none = false;
    pp.pixel = d.Pix(c);
    d.FillDeviceRect(RECT{p.x, p.y, p.x + 1, p.y + 1}, pp, R2_COPYPEN);
    return d.Resolve(c);
  }
  if (!d.PixelVisible(p.x, p.y)) return CLR_INVALID;
  uint32_t px = d.Pix(c);
  d.Begin();
  d.Row(p.y)[p.x] = px | 0xFF000000u;
  d.End();
  return FromPixel(px);
}

COLORREF CDC::GetPixel(int x, int y) const {
  Impl& d = *m_impl;
  if (!d.raster || d.meta) return CLR_INVALID;
  POINT p = d.L2D(x, y);
  if (!d.PixelVisible(p.x, p.y)) return CLR_INVALID;
  d.Begin();
  return FromPixel(d.Row(p.y)[p.x]);
}

BOOL CDC::PatBlt(int x, int y, int w, int h, DWORD rop) {
  REC("PatBlt(%d,%d,%d,%d,0x%08X)", x, y, w, h, rop);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (d.meta) {
    d.meta->PatBlt(x, y, w, h, rop);
    d.meta->AddBounds(d.L2DRect(x, y, x + w, y + h));
    return TRUE;
  }
  if (!d.surface) return TRUE;
  RECT dr = d.L2DRect(x, y, x + w, y + h);
  if (dr.right <= dr.left || dr.bottom <= dr.top) return TRUE;
  Paint p;
  switch (rop) {
    case PATCOPY:
      d.BrushPaint(d.s.brush.get(), p);
      d.FillDeviceRect(dr, p, R2_COPYPEN);
      return TRUE;
    case PATINVERT:
      d.BrushPaint(d.s.brush.get(), p);
      if (d.raster) d.FillDeviceRect(dr, p, R2_XORPEN);
      return TRUE;
    case DSTINVERT:
      p.none = false;
      if (d.raster) d.FillDeviceRect(dr, p, R2_NOT);
      return TRUE;
    case BLACKNESS:
      p.none = false;
      p.pixel = 0xFF000000u;
      d.FillDeviceRect(dr, p, R2_COPYPEN);
      return TRUE;
    case WHITENESS:
      p.none = false;
      p.pixel = 0xFFFFFFFFu;
      d.FillDeviceRect(dr, p, R2_COPYPEN);
      return TRUE;
    default:
      if (RopUsesSource(rop)) return FALSE;
      d.BrushPaint(d.s.brush.get(), p);
      d.Rop3(dr, nullptr, 0, 0, &p, rop);
      return TRUE;
  }
}

// Copies a device rectangle of `src` into a new RGB24 image of the destination size, converting between
// monochrome and colour as the platform does.
static cairo_surface_t* SourceImage(CDC::Impl& dst, cairo_surface_t* srcSurf, POINT srcOrigin, bool srcMono,
                                    COLORREF srcBk, const RECT& sr, int dw, int dh, int stretchMode) {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dw, dh);
  cairo_t* t = cairo_create(img);
  cairo_set_source_rgb(t, 0, 0, 0);
  cairo_paint(t);
  int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  if (sw > 0 && sh > 0) {
    cairo_scale(t, (double)dw / sw, (double)dh / sh);
    cairo_set_source_surface(t, srcSurf, -(sr.left + srcOrigin.x), -(sr.top + srcOrigin.y));
    cairo_pattern_set_filter(cairo_get_source(t),
                             stretchMode == HALFTONE && (sw != dw || sh != dh) ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(t), CAIRO_EXTEND_NONE);
    cairo_set_operator(t, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(t, sr.left + srcOrigin.x, sr.top + srcOrigin.y, 0, 0);
    cairo_new_path(t);
    cairo_rectangle(t, 0, 0, sw, sh);
    cairo_fill(t);
  }
  cairo_destroy(t);
  cairo_surface_flush(img);
  if (srcMono != dst.mono) {
    unsigned char* data = cairo_image_surface_get_data(img);
    int stride = cairo_image_surface_get_stride(img);
    uint32_t fg = ToPixel(dst.Resolve(dst.s.text)), bg = ToPixel(dst.Resolve(dst.s.bk));
    uint32_t key = ToPixel(srcBk) & 0xFFFFFF;
    for (int y = 0; y < dh; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
      for (int x = 0; x < dw; ++x) {
        if (srcMono)
          row[x] = (row[x] & 0xFFFFFF) ? bg : fg;  // 1 bits take the background colour, 0 bits the text colour
        else
          row[x] = ((row[x] & 0xFFFFFF) == key) ? 0xFFFFFFFFu : 0xFF000000u;
      }
    }
    cairo_surface_mark_dirty(img);
  }
  return img;
}

static std::vector<BYTE> ToDib24(cairo_surface_t* img, BITMAPINFOHEADER& bih) {
  int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
  cairo_surface_flush(img);
  int rowBytes = ((w * 24 + 31) / 32) * 4;
  std::vector<BYTE> bits((size_t)rowBytes * (size_t)h);
  const unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(data + (size_t)(h - 1 - y) * stride);
    BYTE* dst = bits.data() + (size_t)y * rowBytes;
    for (int x = 0; x < w; ++x) {
      dst[x * 3] = (BYTE)src[x];
      dst[x * 3 + 1] = (BYTE)(src[x] >> 8);
      dst[x * 3 + 2] = (BYTE)(src[x] >> 16);
    }
  }
  bih = BITMAPINFOHEADER{};
  bih.biSize = 40;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  bih.biSizeImage = (DWORD)bits.size();
  return bits;
}

// Draws `img` (already the destination size) at logical (x, y, w, h) with `rop`.
static BOOL PutImage(CDC* dc, CDC::Impl& d, int x, int y, int w, int h, cairo_surface_t* img, DWORD rop) {
  (void)dc;
  if (d.meta) {
    BITMAPINFOHEADER bih;
    std::vector<BYTE> bits = ToDib24(img, bih);
    d.meta->StretchDIB(x, y, w, h, 0, 0, bih.biWidth, bih.biHeight, bih, bits, rop);
    d.meta->AddBounds(d.L2DRect(x, y, x + w, y + h));
    return TRUE;
  }
  if (!d.surface) return TRUE;
  RECT dr = d.L2DRect(x, y, x + w, y + h);
  int iw = cairo_image_surface_get_width(img), ih = cairo_image_surface_get_height(img);
  bool mirrorX = (d.XL2D(x + w) < d.XL2D(x)), mirrorY = (d.YL2D(y + h) < d.YL2D(y));
  if (rop == SRCCOPY || !d.raster) {
    cairo_t* c = d.Ctx();
    cairo_save(c);
    cairo_translate(c, dr.left, dr.top);
    cairo_scale(c, (double)(dr.right - dr.left) / iw, (double)(dr.bottom - dr.top) / ih);
    if (mirrorX) { cairo_translate(c, iw, 0); cairo_scale(c, -1, 1); }
    if (mirrorY) { cairo_translate(c, 0, ih); cairo_scale(c, 1, -1); }
    cairo_set_source_surface(c, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_NEAREST);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(c, 0, 0, iw, ih);
    cairo_fill(c);
    cairo_restore(c);
    return TRUE;
  }
  Paint p;
  if (RopUsesPattern(rop)) d.BrushPaint(d.s.brush.get(), p);
  d.Rop3(dr, img, 0, 0, &p, rop);
  return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, DWORD rop) {
  REC("BitBlt(%d,%d,%d,%d,%d,%d,0x%08X)", x, y, w, h, xSrc, ySrc, rop);
  if (!RopUsesSource(rop)) return PatBlt(x, y, w, h, rop);
  if (!src) return FALSE;
  // The rectangle is w x h in each context's own logical units; where the two map to different
  // device sizes the picture stretches between them.
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  BOOL ok = StretchBlt(x, y, w, h, src, xSrc, ySrc, std::abs(w), std::abs(h), rop);
  m_recorder = rec;
  return ok;
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  REC("StretchBlt(%d,%d,%d,%d,%d,%d,%d,%d,0x%08X)", x, y, w, h, xSrc, ySrc, wSrc, hSrc, rop);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None) return FALSE;
  if (!RopUsesSource(rop)) return PatBlt(x, y, w, h, rop);
  if (!src) return FALSE;
  Impl& s = *src->m_impl;
  if (!s.raster || !s.surface) return FALSE;
  RECT dr = d.L2DRect(x, y, x + w, y + h);
  int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  if (dw <= 0 || dh <= 0) return TRUE;
  if (dw > 16384 || dh > 16384) return FALSE;
  RECT sr = s.L2DRect(xSrc, ySrc, xSrc + wSrc, ySrc + hSrc);
  if (sr.right <= sr.left || sr.bottom <= sr.top) return TRUE;
  bool srcMono = s.mono;
  cairo_surface_t* img = SourceImage(d, s.surface, s.origin, srcMono, s.Resolve(s.s.bk), sr, dw, dh, d.s.stretch);
  BOOL ok = PutImage(this, d, x, y, w, h, img, rop);
  cairo_surface_destroy(img);
  return ok;
}

int CDC::StretchDIBits(int x, int y, int w, int h, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                       const BITMAPINFO* info, UINT usage, DWORD rop) {
  REC("StretchDIBits(%d,%d,%d,%d,%d,%d,%d,%d,0x%08X)", x, y, w, h, xSrc, ySrc, wSrc, hSrc, rop);
  Impl& d = *m_impl;
  if (d.kind == DCKind::None || !info || !bits) return 0;
  cairo_surface_t* dib = DecodeDib(info, bits, usage, d.s.pal.get());
  if (!dib) return 0;
  int iw = cairo_image_surface_get_width(dib), ih = cairo_image_surface_get_height(dib);
  // Source rows of a bottom-up DIB count from its bottom line.
  int top = info->bmiHeader.biHeight > 0 ? ih - ySrc - hSrc : ySrc;
  RECT sr{xSrc, top, xSrc + wSrc, top + hSrc};
  if (sr.left > sr.right) std::swap(sr.left, sr.right);
  if (sr.top > sr.bottom) std::swap(sr.top, sr.bottom);
  RECT dr = d.L2DRect(x, y, x + w, y + h);
  int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  int result = 0;
  if (dw > 0 && dh > 0 && dw <= 16384 && dh <= 16384 && sr.right > sr.left && sr.bottom > sr.top) {
    (void)iw;
    bool saveMono = d.mono;
    cairo_surface_t* img = SourceImage(d, dib, POINT{0, 0}, d.mono, 0, sr, dw, dh, d.s.stretch);
    d.mono = saveMono;
    PutImage(this, d, x, y, w, h, img, rop);
    cairo_surface_destroy(img);
    result = std::abs(hSrc);
  }
  cairo_surface_destroy(dib);
  return result;
}

int CDC::SetDIBitsToDevice(int x, int y, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan, UINT scanLines,
                           const void* bits, const BITMAPINFO* info, UINT usage) {
  (void)startScan;
  (void)scanLines;
  if (!StretchDIBits(x, y, (int)w, (int)h, xSrc, ySrc, (int)w, (int)h, bits, info, usage, SRCCOPY)) return 0;
  return (int)h;
}

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data) {
  if (!proc) return FALSE;
  int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy, x = x1, y = y1;
  while (x != x2 || y != y2) {
    proc(x, y, data);
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x += sx; }
    if (e2 <= dx) { err += dx; y += sy; }
  }
  return TRUE;
}

CBrush* CDC::GetHalftoneBrush() {
  static CBrush* brush = [] {
    WORD rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = (WORD)(0x5555 << (i & 1));
    CBitmap bm;
    bm.CreateBitmap(8, 8, 1, 1, rows);
    auto* b = new CBrush;
    b->CreatePatternBrush(&bm);
    return b;
  }();
  return brush;
}

void CDC::DrawDragRect(LPCRECT rect, SIZE size, LPCRECT lastRect, SIZE lastSize, CBrush* brush, CBrush* lastBrush) {
  REC("DrawDragRect()");
  CDCRecorder* rec = m_recorder;
  m_recorder = nullptr;
  auto frame = [&](LPCRECT r, SIZE sz, CBrush* b) {
    if (!r) return;
    CRect q(r);
    q.NormalizeRect();
    if (q.IsRectEmpty()) return;
    CBrush* old = SelectObject(b ? b : GetHalftoneBrush());
    COLORREF oldText = SetTextColor(RGB(0, 0, 0)), oldBk = SetBkColor(RGB(255, 255, 255));
    int sx = std::min<int>(sz.cx, q.Width()), sy = std::min<int>(sz.cy, q.Height());
    PatBlt(q.left, q.top, q.Width(), sy, PATINVERT);
    if (q.Height() > sy) PatBlt(q.left, q.bottom - sy, q.Width(), sy, PATINVERT);
    int innerH = q.Height() - 2 * sy;
    if (innerH > 0) {
      PatBlt(q.left, q.top + sy, sx, innerH, PATINVERT);
      if (q.Width() > sx) PatBlt(q.right - sx, q.top + sy, sx, innerH, PATINVERT);
    }
    SetTextColor(oldText);
    SetBkColor(oldBk);
    if (old) SelectObject(old);
  };
  frame(lastRect, lastSize, lastBrush ? lastBrush : brush);
  frame(rect, size, brush);
  m_recorder = rec;
}
