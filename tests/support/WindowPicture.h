// A top-level window's picture as it stands after its pending paints, against the picture a full
// repaint draws on a blank surface: what differs is stale (a ghost, a window left blank).
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include <cairo.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dravonix::test {

inline std::vector<uint32_t> RootPixels(HWND root) {
  cairo_surface_t* s = ui::WindowSurface(root);
  if (!s) return {};
  cairo_surface_flush(s);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  std::vector<uint32_t> out((size_t)w * (size_t)h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t px;
      memcpy(&px, data + (size_t)y * (size_t)stride + (size_t)x * 4, 4);
      out[(size_t)y * (size_t)w + (size_t)x] = px & 0xFFFFFF;
    }
  return out;
}

// The pixels of `area` (client coordinates of a window of this thread), row by row, each as
// GetWindowPixel gives it (CLR_INVALID off the surface), read in one pass: a pixel at a time costs
// a window lookup each.
inline std::vector<COLORREF> WindowPixels(HWND h, const RECT& area) {
  std::vector<COLORREF> out;
  cairo_surface_t* s = ui::WindowSurface(h);
  const LONG w = std::max<LONG>(area.right - area.left, 0), rows = std::max<LONG>(area.bottom - area.top, 0);
  if (!s) return std::vector<COLORREF>((size_t)w * (size_t)rows, CLR_INVALID);
  cairo_surface_flush(s);
  const POINT o = ui::WindowDrawOrigin(h, DrawArea::Client);
  const int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  out.reserve((size_t)w * (size_t)rows);
  for (LONG y = area.top; y < area.bottom; ++y)
    for (LONG x = area.left; x < area.right; ++x) {
      const long sx = x + o.x, sy = y + o.y;
      if (sx < 0 || sy < 0 || sx >= sw || sy >= sh) {
        out.push_back(CLR_INVALID);
        continue;
      }
      uint32_t px;
      memcpy(&px, data + (size_t)sy * (size_t)stride + (size_t)sx * 4, 4);
      out.push_back(RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
    }
  return out;
}

// How many pixels of the window's top-level window differ from a full repaint of it; with `area`
// (client coordinates of `h`), only those inside it.
inline int PixelsOffFullRepaint(HWND h, const RECT* area = nullptr) {
  HWND root = ::GetAncestor(h, GA_ROOT);
  if (!::IsWindow(root)) return -1;
  const POINT at = ui::WindowDrawOrigin(h, DrawArea::Client);
  ::PumpMessages();
  const std::vector<uint32_t> now = RootPixels(root);
  // A colour no window paints shows what the full repaint leaves out.
  cairo_surface_t* s = ui::WindowSurface(root);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  ::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::PumpMessages();
  const std::vector<uint32_t> full = RootPixels(root);
  if (full.size() != now.size()) return (int)full.size();
  const int width = cairo_image_surface_get_width(s);
  int off = 0;
  for (size_t i = 0; i < now.size(); ++i) {
    const int x = (int)(i % (size_t)width) - at.x, y = (int)(i / (size_t)width) - at.y;
    if (area && (x < area->left || x >= area->right || y < area->top || y >= area->bottom)) continue;
    off += now[i] != full[i];
  }
  return off;
}

// The glyphs of a window's own scroll-bar arrows, up, down, left, right: 'k' black, 'g' grey, '-' no
// bar there, '?' anything else (a blank button).
inline std::string ArrowGlyphs(HWND h) {
  ::PumpMessages();
  RECT c;
  ::GetClientRect(h, &c);
  const LONG_PTR style = ::GetWindowLongPtr(h, GWL_STYLE);
  const int half = ::GetSystemMetrics(SM_CXVSCROLL) / 2;
  const POINT at[] = {{c.right + half, half}, {c.right + half, c.bottom - half}, {half, c.bottom + half},
                      {c.right - half, c.bottom + half}};
  std::string out;
  for (int i = 0; i < 4; ++i) {
    if (!(style & (i < 2 ? WS_VSCROLL : WS_HSCROLL))) {
      out += '-';
      continue;
    }
    const COLORREF px = GetWindowPixel(h, at[i]);
    out += px == ::GetSysColor(COLOR_BTNTEXT) ? 'k' : px == ::GetSysColor(COLOR_GRAYTEXT) ? 'g' : '?';
  }
  return out;
}

}  // namespace dravonix::test
