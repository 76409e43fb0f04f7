#include "platform/ui/WindowPaint.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/Image.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowImpl.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <map>
#include <mutex>

using namespace ui;

namespace {

std::mutex g_surfaceMutex;
std::map<HWND, cairo_surface_t*>* g_surfaces = new std::map<HWND, cairo_surface_t*>;

cairo_surface_t* MakeSurface(int w, int h) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(w, 1), std::max(h, 1));
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  return s;
}

HWND RootOf(HWND h) {
  if (!IsWindow(h)) return nullptr;
  HWND r = GetAncestor(h, GA_ROOT);
  return r ? r : h;
}

class Backend : public IWindowPaintBackend {
 public:
  // Image surfaces move their rows in place: no copy of the whole area per scroll.
  static bool MovePixelsInPlace(cairo_surface_t* surf, CRect area, int dx, int dy) {
    if (cairo_surface_get_type(surf) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    const cairo_format_t format = cairo_image_surface_get_format(surf);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) return false;
    unsigned char* data = cairo_image_surface_get_data(surf);
    if (!data) return false;
    const int stride = cairo_image_surface_get_stride(surf);
    const CRect bounds(0, 0, cairo_image_surface_get_width(surf), cairo_image_surface_get_height(surf));
    area.IntersectRect(&area, &bounds);
    CRect dst = area;
    dst.OffsetRect(dx, dy);
    dst.IntersectRect(&dst, &area);
    if (dst.IsRectEmpty()) return true;
    const size_t bytes = (size_t)dst.Width() * 4;
    auto move = [&](int y) {
      memmove(data + (size_t)y * stride + (size_t)dst.left * 4, data + (size_t)(y - dy) * stride + (size_t)(dst.left - dx) * 4,
              bytes);
    };
    if (dy > 0) {
      for (int y = dst.bottom - 1; y >= dst.top; --y) move(y);
    } else {
      for (int y = dst.top; y < dst.bottom; ++y) move(y);
    }
    cairo_surface_mark_dirty_rectangle(surf, dst.left, dst.top, dst.Width(), dst.Height());
    return true;
  }
  void ScrollPixels(HWND hwnd, const std::vector<RECT>& dest, int dx, int dy) override {
    cairo_surface_t* surf = WindowSurface(hwnd);
    if (!surf || dest.empty()) return;
    const POINT o = WindowDrawOrigin(hwnd, DrawArea::Client);
    cairo_surface_flush(surf);
    // One rectangle moves within the box of its source and itself.
    if (dest.size() == 1) {
      CRect box(dest[0]), from(dest[0]);
      from.OffsetRect(-dx, -dy);
      box.UnionRect(&box, &from);
      box.OffsetRect(o.x, o.y);
      if (MovePixelsInPlace(surf, box, dx, dy)) return;
    }
    // Several take their sources from a copy, so that none reads what another has written.
    CRect sources;
    for (const RECT& r : dest) {
      CRect from(r);
      from.OffsetRect(o.x - dx, o.y - dy);
      sources.UnionRect(&sources, &from);
    }
    if (sources.IsRectEmpty()) return;
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, sources.Width(), sources.Height());
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, surf, -sources.left, -sources.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    cr = cairo_create(surf);
    for (const RECT& r : dest) cairo_rectangle(cr, r.left + o.x, r.top + o.y, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr);
    cairo_set_source_surface(cr, copy, sources.left + dx, sources.top + dy);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(copy);
  }
  void WindowDestroyed(HWND hwnd) override {
    std::lock_guard<std::mutex> lk(g_surfaceMutex);
    auto it = g_surfaces->find(hwnd);
    if (it == g_surfaces->end()) return;
    cairo_surface_destroy(it->second);
    g_surfaces->erase(it);
  }
  void WindowResized(HWND hwnd) override {
    RECT r;
    GetWindowRect(hwnd, &r);
    std::lock_guard<std::mutex> lk(g_surfaceMutex);
    auto it = g_surfaces->find(hwnd);
    if (it == g_surfaces->end()) return;
    cairo_surface_t* s = MakeSurface(r.right - r.left, r.bottom - r.top);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_surface(cr, it->second, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(it->second);
    it->second = s;
  }
};

Backend g_backend;

CDC* BeginViewPaint(CWnd* wnd, void** token) {
  *token = nullptr;
  return new CPaintDC(wnd);
}
void EndViewPaint(CWnd*, CDC* dc, void*) { delete dc; }
void SetOrg(CDC* dc, int x, int y) { dc->SetViewportOrg(x, y); }
CFont* FontFromHandle(HFONT h) { return CFont::FromHandle(h); }
HFONT FontToHandle(CFont* f) { return f ? (HFONT)f->m_hObject : nullptr; }

struct Installer {
  Installer() {
    SetWindowPaintBackend(&g_backend);
    AfxSetDCFromHandle(CDC::FromHandle);
    AfxSetFontHandlers(FontFromHandle, FontToHandle);
    AfxPaintDCHandlers h;
    h.begin = BeginViewPaint;
    h.end = EndViewPaint;
    h.setViewportOrg = SetOrg;
    AfxSetPaintDCHandlers(h);
  }
} g_installer;

struct HandleDC {
  CDC* dc;
  CWindowSurfaceProvider* provider;
};
std::mutex g_handleMutex;
std::map<HDC, HandleDC>* g_handleDCs = new std::map<HDC, HandleDC>;

HDC MakeHandleDC(HWND hwnd, DrawArea area) {
  auto* provider = new CWindowSurfaceProvider(hwnd);
  auto* dc = new CDC;
  if (!dc->AttachSurface(provider, area)) {
    delete dc;
    delete provider;
    return nullptr;
  }
  std::lock_guard<std::mutex> lk(g_handleMutex);
  (*g_handleDCs)[dc->m_hDC] = HandleDC{dc, provider};
  return dc->m_hDC;
}

bool FreeHandleDC(HDC hdc) {
  HandleDC h{};
  {
    std::lock_guard<std::mutex> lk(g_handleMutex);
    auto it = g_handleDCs->find(hdc);
    if (it == g_handleDCs->end()) return false;
    h = it->second;
    g_handleDCs->erase(it);
  }
  delete h.dc;
  delete h.provider;
  return true;
}

}  // namespace

namespace ui {

cairo_surface_t* WindowSurface(HWND hwnd) {
  HWND root = RootOf(hwnd);
  if (!root || root == GetDesktopWindow()) return nullptr;
  {
    std::lock_guard<std::mutex> lk(g_surfaceMutex);
    auto it = g_surfaces->find(root);
    if (it != g_surfaces->end()) return it->second;
  }
  // The size is read outside the surface lock (the lock order of WindowImpl.h).
  RECT r;
  GetWindowRect(root, &r);
  std::lock_guard<std::mutex> lk(g_surfaceMutex);
  auto& s = (*g_surfaces)[root];
  if (!s) s = MakeSurface(r.right - r.left, r.bottom - r.top);
  return s;
}

POINT WindowDrawOrigin(HWND hwnd, DrawArea area) {
  HWND root = RootOf(hwnd);
  if (!root) return POINT{0, 0};
  POINT ro = WindowOrigin(root);
  POINT o = area == DrawArea::Window ? WindowOrigin(hwnd) : ClientOrigin(hwnd);
  return POINT{o.x - ro.x, o.y - ro.y};
}

void WindowDrawVisible(HWND hwnd, DrawArea area, std::vector<RECT>& visible) {
  visible.clear();
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  HWND root = RootOf(hwnd);
  POINT ro = WindowOrigin(root);
  POINT own = area == DrawArea::Window ? WindowOrigin(hwnd) : ClientOrigin(hwnd);
  CRect mine = area == DrawArea::Window ? CRect(0, 0, hwnd->rcWindow.Width(), hwnd->rcWindow.Height())
                                        : CRect(0, 0, hwnd->rcClient.Width(), hwnd->rcClient.Height());
  CUpdateRegion vis;
  vis.Add(mine);
  // Ancestors clip to their client areas.
  for (HWND p = hwnd->parent; p && p != Desktop(); p = p->parent) {
    POINT po = ClientOrigin(p);
    CRect pc(CPoint(po.x - own.x, po.y - own.y), p->rcClient.Size());
    vis.IntersectWith(pc);
  }
  // Windows above clip siblings that ask for it, and what clips a window clips its children too
  // (the top-level surface is the window's own).
  for (HWND w = hwnd; w->parent && w->parent != Desktop(); w = w->parent) {
    if (!(w->style & WS_CLIPSIBLINGS)) continue;
    POINT po = ClientOrigin(w->parent);
    for (HWND s : w->parent->children) {
      if (s == w) break;
      if (!(s->style & WS_VISIBLE)) continue;
      CRect r = s->rcWindow;
      r.OffsetRect(po.x - own.x, po.y - own.y);
      vis.Subtract(r);
    }
  }
  if (area != DrawArea::Window && (hwnd->style & WS_CLIPCHILDREN)) {
    for (HWND c : hwnd->children)
      if (c->style & WS_VISIBLE) vis.Subtract(c->rcWindow);
  }
  if (area == DrawArea::Paint) {
    // Pieces of two regions of disjoint rectangles are disjoint: kept as they are, a splintered update
    // never paints beyond what shows.
    CUpdateRegion out;
    for (const CRect& r : vis.Rects()) out.AddDisjointWithin(hwnd->update, r);
    vis = out;
  }
  (void)ro;
  for (const CRect& r : vis.Rects()) visible.push_back(r);
}

void WindowBeginDrawPaint(HWND hwnd, CDrawSurfaceProvider*, PAINTSTRUCT* ps) {
  if (!ps) return;
  // The erase message draws on the same area before the update region is validated.
  CWindowSurfaceProvider eraseArea(hwnd);
  CDC eraseDc;
  eraseDc.AttachSurface(&eraseArea, DrawArea::Paint);
  RECT rc{0, 0, 0, 0};
  BOOL erase = FALSE;
  UiBeginPaint(hwnd, eraseDc.m_hDC, &rc, &erase);
  ps->rcPaint = rc;
  ps->fErase = erase;
}

void WindowEndDrawPaint(HWND hwnd, const PAINTSTRUCT*) { UiEndPaint(hwnd); }

BOOL EraseBackground(HWND h, HDC hdc) {
  HBRUSH b = h->cls->background;
  // Nothing painted is no erase: the paint handler must still clear the area.
  if (!b || !hdc) return FALSE;
  // Class brushes given as a system colour index plus one.
  if ((UINT_PTR)b <= 40) b = GetSysColorBrush((int)(UINT_PTR)b - 1);
  RECT r{0, 0, h->rcClient.Width(), h->rcClient.Height()};
  FillRect(hdc, &r, b);
  return TRUE;
}

CRect WindowBarRect(HWND h, int bar) {
  const CRect c = h->rcClient;
  const int sb = UiSystemMetric(SM_CXVSCROLL);
  return bar == SB_VERT ? CRect(c.right, c.top, c.right + sb, c.bottom) : CRect(c.left, c.bottom, c.right, c.bottom + sb);
}

ScrollBarLook WindowBarLook(HWND h, int bar) {
  const ScrollState& s = h->scroll[bar];
  // A bar that cannot scroll, or the bars of a disabled window, grey both arrows and lose the thumb.
  const bool scrolls = !(h->style & WS_DISABLED) && s.nMax > s.nMin && (int)s.nPage <= s.nMax - s.nMin;
  const UINT grey = scrolls ? s.disabled : (UINT)ESB_DISABLE_BOTH;
  int pos = s.nPos;
  ScrollThumbTracked(h, bar, &pos);
  return {s.nMin, s.nMax, s.nPage, pos, grey, grey != ESB_DISABLE_BOTH};
}

namespace {
std::array<int, 17> BarsKey(HWND h) {
  const CRect& c = h->rcClient;
  const ScrollState &v = h->scroll[0], &z = h->scroll[1];
  return {h->rcWindow.Width(), h->rcWindow.Height(), c.left, c.top, c.right, c.bottom,
          (int)(h->style & (WS_VSCROLL | WS_HSCROLL | WS_DISABLED)), v.nMin, v.nMax, (int)v.nPage,
          WindowBarLook(h, 0).pos, (int)v.disabled, z.nMin, z.nMax, (int)z.nPage, WindowBarLook(h, 1).pos,
          (int)z.disabled};
}

void DrawBars(HWND h, CDC& dc) {
  const CRect c = h->rcClient;
  const int sb = UiSystemMetric(SM_CXVSCROLL);
  const bool vs = (h->style & WS_VSCROLL) != 0, hs = (h->style & WS_HSCROLL) != 0;
  if (vs) DrawScrollBar(dc, WindowBarRect(h, SB_VERT), true, WindowBarLook(h, SB_VERT));
  if (hs) DrawScrollBar(dc, WindowBarRect(h, SB_HORZ), false, WindowBarLook(h, SB_HORZ));
  if (vs && hs) dc.FillSolidRect(CRect(c.right, c.bottom, c.right + sb, c.bottom + sb), GetSysColor(COLOR_BTNFACE));
  h->barsDrawn = BarsKey(h);
}

// The bars and the corner between them, in screen coordinates.
HRGN BarsRegion(HWND h) {
  const CRect c = h->rcClient;
  const int sb = UiSystemMetric(SM_CXVSCROLL);
  const POINT o = WindowOrigin(h);
  CRect all(c.left, c.top, c.right + (h->style & WS_VSCROLL ? sb : 0), c.bottom + (h->style & WS_HSCROLL ? sb : 0));
  all.OffsetRect(o.x, o.y);
  CRect inside = c;
  inside.OffsetRect(o.x, o.y);
  HRGN bars = CreateRectRgnIndirect(&all), client = CreateRectRgnIndirect(&inside);
  CombineRgn(bars, bars, client, RGN_DIFF);
  DeleteObject(client);
  return bars;
}

// Whether a non-client paint asks for no more than the bars.
bool BarsOnly(HWND h, WPARAM only) {
  if (only <= 1) return false;
  HRGN bars = BarsRegion(h), rest = CreateRectRgn(0, 0, 0, 0);
  const int left = CombineRgn(rest, (HRGN)only, bars, RGN_DIFF);
  DeleteObject(bars);
  DeleteObject(rest);
  return left == NULLREGION;
}
}  // namespace

void PaintNonClient(HWND h, WPARAM only) {
  if (!IsWindow(h)) return;
  CRect in = NonClientInsets(h);
  bool caption = (h->style & WS_CAPTION) == WS_CAPTION;
  bool vs = (h->style & WS_VSCROLL) != 0, hs = (h->style & WS_HSCROLL) != 0;
  if (in.IsRectNull() && !caption && !vs && !hs) return;
  CWindowSurfaceProvider prov(h);
  CDC dc;
  if (!dc.AttachSurface(&prov, DrawArea::Window)) return;
  // Bars that changed leave the frame and the caption as they are.
  if (BarsOnly(h, only)) {
    DrawBars(h, dc);
    return;
  }
  CRect w(0, 0, h->rcWindow.Width(), h->rcWindow.Height());
  CRect c = h->rcClient;
  CRect bars = c;
  int sb = UiSystemMetric(SM_CXVSCROLL);
  if (vs) bars.right += sb;
  if (hs) bars.bottom += sb;
  dc.SaveDC();
  dc.ExcludeClipRect(&bars);
  dc.FillSolidRect(&w, GetSysColor(COLOR_BTNFACE));
  if (h->style & WS_THICKFRAME || h->style & WS_DLGFRAME || h->exStyle & WS_EX_DLGMODALFRAME) {
    dc.Draw3dRect(&w, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_3DDKSHADOW));
    CRect inner = w;
    inner.DeflateRect(1, 1);
    dc.Draw3dRect(&inner, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
  } else if (h->style & WS_BORDER) {
    dc.Draw3dRect(&w, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
  }
  if (h->exStyle & WS_EX_CLIENTEDGE) {
    CRect e = bars;
    e.InflateRect(2, 2);
    dc.Draw3dRect(&e, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    e.DeflateRect(1, 1);
    dc.Draw3dRect(&e, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNFACE));
  }
  if (caption) {
    int b = (h->style & WS_THICKFRAME) ? UiSystemMetric(SM_CXFRAME) : UiSystemMetric(SM_CXDLGFRAME);
    int ch = (h->exStyle & WS_EX_TOOLWINDOW) ? UiSystemMetric(SM_CYSMCAPTION) : UiSystemMetric(SM_CYCAPTION);
    CRect cap(b, b, w.right - b, b + ch - 1);
    bool active = GetActiveWindow() == h || GetAncestor(GetFocus(), GA_ROOT) == h;
    // An MDI child looks active as its frame's active child, while the frame is active.
    if (h->exStyle & WS_EX_MDICHILD) {
      const HWND root = GetAncestor(h, GA_ROOT);
      active = h->parent && (HWND)SendMessage(h->parent, WM_MDIGETACTIVE, 0, 0) == h &&
               (GetActiveWindow() == root || GetAncestor(GetFocus(), GA_ROOT) == root);
    }
    dc.FillSolidRect(&cap, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    dc.SelectStockObject(DEFAULT_GUI_FONT);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    CRect text = cap;
    text.left += 4;
    std::string title;
    {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      title = h->text;
    }
    dc.DrawText(title.c_str(), (int)title.size(), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  dc.RestoreDC(-1);
  DrawBars(h, dc);
}

void PaintScrollBars(HWND h) {
  // Bars that show what they showed are not drawn again.
  if (!IsWindow(h) || !(h->style & (WS_VSCROLL | WS_HSCROLL)) || h->barsDrawn == BarsKey(h)) return;
  // Through the window's own non-client paint, so that what it draws after the frame (a frame of
  // its own in the parent) lies over the new bars as over the old.
  HRGN bars = BarsRegion(h);
  Deliver(h, WM_NCPAINT, (WPARAM)bars, 0);
  DeleteObject(bars);
}

}  // namespace ui

// ---- Providers ------------------------------------------------------------------------------------

cairo_surface_t* CWindowSurfaceProvider::GetDrawSurface() { return WindowSurface(m_hwnd); }
POINT CWindowSurfaceProvider::GetDrawOrigin(DrawArea area) { return WindowDrawOrigin(m_hwnd, area); }
void CWindowSurfaceProvider::GetDrawVisible(DrawArea area, std::vector<RECT>& visible) {
  WindowDrawVisible(m_hwnd, area, visible);
}
void CWindowSurfaceProvider::BeginDrawPaint(PAINTSTRUCT* ps) { WindowBeginDrawPaint(m_hwnd, this, ps); }
void CWindowSurfaceProvider::EndDrawPaint(const PAINTSTRUCT* ps) { WindowEndDrawPaint(m_hwnd, ps); }

cairo_surface_t* CWnd::GetDrawSurface() { return WindowSurface(m_hWnd); }
POINT CWnd::GetDrawOrigin(DrawArea area) { return WindowDrawOrigin(m_hWnd, area); }
void CWnd::GetDrawVisible(DrawArea area, std::vector<RECT>& visible) { WindowDrawVisible(m_hWnd, area, visible); }
void CWnd::BeginDrawPaint(PAINTSTRUCT* ps) { WindowBeginDrawPaint(m_hWnd, this, ps); }
void CWnd::EndDrawPaint(const PAINTSTRUCT* ps) { WindowEndDrawPaint(m_hWnd, ps); }

// ---- Win32 functions -----------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  *ps = PAINTSTRUCT{};
  if (!IsWindow(hwnd)) return nullptr;
  auto* provider = new CWindowSurfaceProvider(hwnd);
  auto* dc = new CDC;
  dc->AttachSurface(provider, DrawArea::Paint);
  provider->BeginDrawPaint(ps);
  ps->hdc = dc->m_hDC;
  std::lock_guard<std::mutex> lk(g_handleMutex);
  (*g_handleDCs)[dc->m_hDC] = HandleDC{dc, provider};
  return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  if (IsWindow(hwnd)) UiEndPaint(hwnd);
  return FreeHandleDC(ps->hdc) ? TRUE : FALSE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) {
    auto* dc = new CDC;
    dc->CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    std::lock_guard<std::mutex> lk(g_handleMutex);
    (*g_handleDCs)[dc->m_hDC] = HandleDC{dc, nullptr};
    return dc->m_hDC;
  }
  if (!IsWindow(hwnd)) return nullptr;
  return MakeHandleDC(hwnd, DrawArea::Client);
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd) return GetDC(nullptr);
  if (!IsWindow(hwnd)) return nullptr;
  return MakeHandleDC(hwnd, DrawArea::Window);
}

int ReleaseDC(HWND, HDC hdc) { return FreeHandleDC(hdc) ? 1 : 0; }

COLORREF GetWindowPixel(HWND hwnd, POINT pt) {
  if (IsWindow(hwnd) && hwnd->queue != ui::CurrentQueue())
    return (COLORREF)UiCallOnWindowThread(hwnd, [&] { return (LRESULT)GetWindowPixel(hwnd, pt); });
  cairo_surface_t* s = WindowSurface(hwnd);
  if (!s) return CLR_INVALID;
  POINT o = WindowDrawOrigin(hwnd, DrawArea::Client);
  int x = pt.x + o.x, y = pt.y + o.y;
  cairo_surface_flush(s);
  if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(s) || y >= cairo_image_surface_get_height(s))
    return CLR_INVALID;
  const unsigned char* data = cairo_image_surface_get_data(s);
  uint32_t px = *(const uint32_t*)(data + (size_t)y * (size_t)cairo_image_surface_get_stride(s) + (size_t)x * 4);
  return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

namespace {
void PaintTree(HWND h) {
  UpdateWindow(h);
  for (HWND c = GetTopWindow(h); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c)) PaintTree(c);
}
}  // namespace

BOOL SaveWindowImage(HWND hwnd, LPCSTR path) {
  if (!IsWindow(hwnd) || !path) return FALSE;
  // Only the owner thread paints its windows.
  if (hwnd->queue != ui::CurrentQueue())
    return (BOOL)UiCallOnWindowThread(hwnd, [&] { return (LRESULT)SaveWindowImage(hwnd, path); });
  PaintTree(hwnd);
  cairo_surface_t* s = WindowSurface(hwnd);
  if (!s) return FALSE;
  POINT o = WindowDrawOrigin(hwnd, DrawArea::Window);
  RECT r;
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return FALSE;
  cairo_surface_flush(s);
  cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(part);
  cairo_set_source_surface(cr, s, -o.x, -o.y);
  cairo_paint(cr);
  cairo_destroy(cr);
  BOOL ok = SaveImage(part, path);
  cairo_surface_destroy(part);
  return ok;
}

BOOL SaveWindowImage(CWnd* wnd, LPCSTR path) { return wnd ? SaveWindowImage(wnd->GetSafeHwnd(), path) : FALSE; }
