// Small packed DIBs for the drawing tests.
#pragma once

#include "platform/gdi/GdiDefs.h"

#include <cstring>
#include <vector>

namespace dravonix::test {

// A 2x1 bottom-up 24-bit DIB, red then blue, its row padded to 8 bytes; `cut` leaves half a pixel.
inline std::vector<BYTE> TwoPixelDib(bool cut = false) {
  std::vector<BYTE> b(sizeof(BITMAPINFOHEADER) + 8, 0);
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = 2;
  h.biHeight = 1;
  h.biPlanes = 1;
  h.biBitCount = 24;
  std::memcpy(b.data(), &h, sizeof h);
  const BYTE px[6] = {0, 0, 255, 255, 0, 0};
  std::memcpy(b.data() + sizeof h, px, sizeof px);
  if (cut) b.resize(sizeof h + 3);
  return b;
}

}  // namespace dravonix::test
