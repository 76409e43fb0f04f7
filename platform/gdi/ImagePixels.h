// The pixels of a picture file (PNG or BMP), for programs that check what they drew.
#pragma once
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/SurfaceProvider.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

class CImagePixels {
 public:
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // row by row
  std::string path;

  // False when the file is missing or is no picture.
  bool Load(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(f)), {});
    HBITMAP bm = bytes.empty() ? nullptr : CreateBitmapFromBytes((const BYTE*)bytes.data(), bytes.size());
    if (!bm) return false;
    path = file;
    BITMAP info{};
    ::GetObject(bm, sizeof info, &info);
    width = info.bmWidth, height = info.bmHeight;
    std::vector<BYTE> bgrx((size_t)width * height * 4);
    ::GetBitmapBits(bm, (LONG)bgrx.size(), bgrx.data());
    ::DeleteObject(bm);
    pixels.resize((size_t)width * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(bgrx[i * 4 + 2], bgrx[i * 4 + 1], bgrx[i * 4]);
    return width > 0 && height > 0;
  }
  // A copy of the file, for people to look at.
  bool Save(const std::string& to) const {
    std::error_code error;
    return std::filesystem::copy_file(path, to, std::filesystem::copy_options::overwrite_existing, error);
  }
  // CLR_INVALID outside the picture.
  COLORREF At(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height ? pixels[(size_t)y * width + x] : CLR_INVALID;
  }
  // The pixels of [x0, x1) x [y0, y1), clipped to the picture, for which `match` holds.
  int Count(int x0, int y0, int x1, int y1, const std::function<bool(COLORREF)>& match) const {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) n += match(At(x, y));
    return n;
  }
};
