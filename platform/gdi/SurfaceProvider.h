// What a window (or any owner of pixels) gives its device contexts: a Cairo surface, an origin and a visible area.
#pragma once

#include "platform/gdi/GdiDefs.h"

#include <vector>

// Cairo's surface, held by pointer only: how pixels are drawn stays in the drawing layer's sources.
typedef struct _cairo_surface cairo_surface_t;

enum class DrawArea {
  Client,  // the client area (CClientDC)
  Window,  // the whole window including its frame (CWindowDC)
  Paint,   // the client area during painting (CPaintDC): the visible area is the update region
};

class CDrawSurfaceProvider {
 public:
  virtual ~CDrawSurfaceProvider() = default;
  // The surface the area lives on; null when the provider cannot draw now.
  virtual cairo_surface_t* GetDrawSurface() = 0;
  // Where the area's (0, 0) lies on the surface.
  virtual POINT GetDrawOrigin(DrawArea area) = 0;
  // The visible part of the area, relative to its origin, as disjoint rectangles.
  virtual void GetDrawVisible(DrawArea area, std::vector<RECT>& visible) = 0;
  // Painting: called when a paint DC starts and ends; BeginDraw fills the update rectangle and erase flag.
  virtual void BeginDrawPaint(PAINTSTRUCT* ps) { (void)ps; }
  virtual void EndDrawPaint(const PAINTSTRUCT* ps) { (void)ps; }
  // A device context on the area is released.
  virtual void ReleaseDraw(DrawArea area) { (void)area; }
};

// A provider owning a plain image surface: for hosts and tests before windows exist, and for off-screen work.
class CImageSurface : public CDrawSurfaceProvider {
 public:
  CImageSurface(int width, int height, COLORREF fill = RGB(255, 255, 255));
  ~CImageSurface() override;
  CImageSurface(const CImageSurface&) = delete;
  CImageSurface& operator=(const CImageSurface&) = delete;

  cairo_surface_t* GetDrawSurface() override { return m_surface; }
  POINT GetDrawOrigin(DrawArea) override { return POINT{0, 0}; }
  void GetDrawVisible(DrawArea, std::vector<RECT>& visible) override;
  void BeginDrawPaint(PAINTSTRUCT* ps) override;

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  COLORREF GetPixel(int x, int y) const;  // CLR_INVALID outside
  // The update rectangle a paint DC receives (the whole surface unless set).
  void SetUpdateRect(const RECT& r) { m_update = r; }

 private:
  cairo_surface_t* m_surface = nullptr;
  int m_width = 0, m_height = 0;
  RECT m_update{0, 0, 0, 0};
};

#define CLR_INVALID 0xFFFFFFFFu
