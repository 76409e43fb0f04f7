// Painting windows through the drawing layer: each top-level window owns an image surface its
// children draw into; BeginPaint/EndPaint, window device contexts and PNG pictures of windows.
#pragma once

#include "platform/gdi/SurfaceProvider.h"
#include "platform/ui/WinDefs.h"

class CWnd;

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// The surface areas of one window, for contexts made from a bare handle.
class CWindowSurfaceProvider : public CDrawSurfaceProvider {
 public:
  explicit CWindowSurfaceProvider(HWND hwnd) : m_hwnd(hwnd) {}
  cairo_surface_t* GetDrawSurface() override;
  POINT GetDrawOrigin(DrawArea area) override;
  void GetDrawVisible(DrawArea area, std::vector<RECT>& visible) override;
  void BeginDrawPaint(PAINTSTRUCT* ps) override;
  void EndDrawPaint(const PAINTSTRUCT* ps) override;
  HWND m_hwnd;
};

namespace ui {
// What the providers of windows (CWnd and the bare-handle one) share.
cairo_surface_t* WindowSurface(HWND hwnd);
POINT WindowDrawOrigin(HWND hwnd, DrawArea area);
void WindowDrawVisible(HWND hwnd, DrawArea area, std::vector<RECT>& visible);
void WindowBeginDrawPaint(HWND hwnd, CDrawSurfaceProvider* provider, PAINTSTRUCT* ps);
void WindowEndDrawPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A child that draws around itself in its parent (a 3-D frame there) gets its non-client paint again
// after its parent paints over that ring; margins left, top, right, bottom, all 0 for none.
void SetDrawnAroundInParent(HWND hwnd, const RECT& margins);
}  // namespace ui

// A pixel of a window as it was last painted (client coordinates); CLR_INVALID outside. Both these ask the
// window's own thread when another thread owns it.
COLORREF GetWindowPixel(HWND hwnd, POINT clientPt);
// Paints whatever is pending in the window and its children, then writes its whole area, frame
// included, as a PNG file.
BOOL SaveWindowImage(HWND hwnd, LPCSTR path);
BOOL SaveWindowImage(CWnd* wnd, LPCSTR path);
