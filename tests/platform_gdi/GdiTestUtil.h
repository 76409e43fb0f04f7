// Shared helpers of the drawing tests: a white canvas with a client DC, and pixel queries.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/gdi/Image.h"
#include "tests/support/TestKernel.h"

#include <memory>
#include <string>

namespace gditest {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas {
  explicit Canvas(int w = 200, int h = 150) : surface(w, h), dc(&surface) {}
  COLORREF At(int x, int y) const { return surface.GetPixel(x, y); }
  // Number of pixels in [l, r) x [t, b) that differ from white.
  int Ink(int l, int t, int r, int b) const {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        if (At(x, y) != kWhite) ++n;
    return n;
  }
  // Bounding box of non-white pixels; empty when none.
  CRect InkBox() const {
    CRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (int y = 0; y < surface.Height(); ++y)
      for (int x = 0; x < surface.Width(); ++x)
        if (At(x, y) != kWhite) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    if (box.left > box.right) box.SetRectEmpty();
    return box;
  }
  void Save(const std::string& name) { SaveImage(&surface, dravonix::test::OutputPath("gdi/" + name + ".png").c_str()); }
  CImageSurface surface;
  CClientDC dc;
};

}  // namespace gditest
