// What a metafile recorder receives from its device context: calls in logical coordinates. Internal.
#pragma once

#include "platform/gdi/GdiInternal.h"

#include <string>
#include <vector>

namespace gdi {

class MetaSink {
 public:
  virtual ~MetaSink() = default;

  virtual void SaveDC() = 0;
  virtual void RestoreDC(int relative) = 0;
  virtual void SelectPen(const LOGPEN& lp, DWORD extStyle) = 0;
  // Pattern brushes come with their pattern as a 24-bit bottom-up DIB (header and bits), colours resolved.
  virtual void SelectBrush(const LOGBRUSH& lb, const BITMAPINFOHEADER* patHeader, const std::vector<BYTE>* patBits) = 0;
  virtual void SelectFont(const LOGFONT& lf) = 0;
  virtual void SetMapMode(int mode) = 0;
  virtual void SetWindowOrg(int x, int y) = 0;
  virtual void SetWindowExt(int cx, int cy) = 0;
  virtual void SetViewportOrg(int x, int y) = 0;
  virtual void SetViewportExt(int cx, int cy) = 0;
  virtual void SetTextColor(COLORREF c) = 0;
  virtual void SetBkColor(COLORREF c) = 0;
  virtual void SetBkMode(int mode) = 0;
  virtual void SetROP2(int mode) = 0;
  virtual void SetPolyFillMode(int mode) = 0;
  virtual void SetTextAlign(UINT align) = 0;
  virtual void SetStretchBltMode(int mode) = 0;
  virtual void IntersectClipRect(const RECT& r) = 0;
  virtual void ExcludeClipRect(const RECT& r) = 0;
  // Device-unit region; null removes the clip region.
  virtual void SelectClipRgn(const Region* rgn) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Polyline(const POINT* pts, int n) = 0;
  virtual void Polygon(const POINT* pts, int n) = 0;
  virtual void PolyPolygon(const POINT* pts, const INT* counts, int polys) = 0;
  virtual void Rectangle(const RECT& r) = 0;
  virtual void RoundRect(const RECT& r, int w, int h) = 0;
  virtual void Ellipse(const RECT& r) = 0;
  // kind: 0 arc, 1 pie, 2 chord
  virtual void ArcShape(int kind, const RECT& r, POINT start, POINT end) = 0;
  virtual void SetPixel(int x, int y, COLORREF c) = 0;
  virtual void PatBlt(int x, int y, int w, int h, DWORD rop) = 0;
  // `bounds`: what the record paints in device pixels (right and bottom exclusive; empty for nothing).
  virtual void ExtTextOut(int x, int y, UINT options, const RECT* r, const std::string& text,
                          const std::vector<int>& dx, const RECT& bounds) = 0;
  // A 24-bit bottom-up DIB of w x h pixels.
  virtual void StretchDIB(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const BITMAPINFOHEADER& bih,
                          const std::vector<BYTE>& bits, DWORD rop) = 0;
  // The drawing bounds in device pixels (for headers).
  virtual void AddBounds(const RECT& devRect) = 0;
};

}  // namespace gdi
