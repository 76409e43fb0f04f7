// Building images of any depth for tests, and reading their pixels top-down as colours.
#pragma once

#include "editor/toolkit/SECJpeg.h"

#include <cstring>
#include <vector>

class TestImage : public SECJpeg {
 public:
  // A padded image of the given depth; `rows` holds packed rows top-down, `table` the colour entries.
  void Make(DWORD w, DWORD h, UINT bpp, const std::vector<BYTE>& rows, const std::vector<RGBQUAD>& table = {}) {
    m_wBitsPerPixel = bpp;
    m_dwWidth = w;
    m_dwHeight = h;
    m_wColors = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    m_dwPadWidth = CalcBytesPerLine(bpp, w);
    AllocBits((size_t)m_dwPadWidth * h);
    AllocHeader(40 + 4u * m_wColors);
    FillHeader(1);
    if (!table.empty()) memcpy(m_lpRGB, table.data(), std::min<size_t>(table.size(), m_wColors) * 4);
    DWORD packed = LastByte(bpp, w);
    for (DWORD y = 0; y < h && (y + 1) * packed <= rows.size(); ++y)
      memcpy(m_lpSrcBits + (size_t)(h - 1 - y) * m_dwPadWidth, rows.data() + (size_t)y * packed, packed);
    m_bIsPadded = TRUE;
    CreatePalette();
  }
  // Packed rows top-down, as Make takes them.
  std::vector<BYTE> Rows() const {
    DWORD packed = LastByte(m_wBitsPerPixel, m_dwWidth);
    std::vector<BYTE> out((size_t)packed * m_dwHeight);
    for (DWORD y = 0; y < m_dwHeight; ++y)
      memcpy(out.data() + (size_t)y * packed, m_lpSrcBits + (size_t)(m_dwHeight - 1 - y) * m_dwPadWidth, packed);
    return out;
  }
  // The colour of pixel (x, y), y from the top, as R, G, B.
  std::vector<BYTE> Rgb(DWORD x, DWORD y) const {
    const BYTE* row = m_lpSrcBits + (size_t)(m_dwHeight - 1 - y) * m_dwPadWidth;
    if (m_wBitsPerPixel == 8) {
      const RGBQUAD& q = m_lpRGB[row[x]];
      return {q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    const BYTE* p = row + (size_t)x * (m_wBitsPerPixel / 8);
    return {p[2], p[1], p[0]};
  }
  using SECImage::SECLoadDib;
};
