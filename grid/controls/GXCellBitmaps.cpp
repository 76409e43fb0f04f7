// Images of the button cells: the radio strip (23211), the check-box strips (23231 newer 3-D,
// 23232 3-D, 23233 flat and printing) and the tree's node button (14004). They are painted here
// into 8-bit DIBs whose colour tables the check box maps to the system colours.
#include "platform/core/Resource.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// Palette indexes; the check box maps black, red, green and light grey.
enum : uint8_t { kBlack, kRed, kGreen, kFace, kShadow, kWhite };
const uint32_t kPalette[] = {0x000000, 0x0000FF, 0x00FF00, 0xC0C0C0, 0x808080, 0xFFFFFF};  // 0x00BBGGRR

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back((uint8_t)x);
  v.push_back((uint8_t)(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// A bottom-up 8-bit BMP file of the pixels that `pixel` (x, y from the top) gives.
std::vector<uint8_t> MakeBmp(int w, int h, const std::function<uint8_t(int, int)>& pixel) {
  const int n = (int)(sizeof kPalette / sizeof kPalette[0]);
  const int stride = (w + 3) & ~3;
  const uint32_t offset = 14 + 40 + 4 * n, size = offset + (uint32_t)(stride * h);
  std::vector<uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  Put32(v, size);
  Put32(v, 0);
  Put32(v, offset);
  Put32(v, 40);
  Put32(v, (uint32_t)w);
  Put32(v, (uint32_t)h);
  Put16(v, 1);
  Put16(v, 8);
  for (uint32_t x : {0u, (uint32_t)(stride * h), 0u, 0u, (uint32_t)n, 0u}) Put32(v, x);
  for (uint32_t c : kPalette) {
    v.push_back((uint8_t)(c >> 16));  // RGBQUAD: blue, green, red, reserved
    v.push_back((uint8_t)(c >> 8));
    v.push_back((uint8_t)c);
    v.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < stride; ++x) v.push_back(x < w ? pixel(x, y) : 0);
  return v;
}

// The check mark inside a 13 x 13 box.
bool Tick(int x, int y) { return x >= 3 && x <= 9 && y - (x <= 5 ? x + 2 : 12 - x) >= 0 && y - (x <= 5 ? x + 2 : 12 - x) < 3; }

// Images 0 unchecked, 1 checked, 2 unchecked pressed, 3 checked pressed, 4 indeterminate.
uint8_t CheckPixel(int x, int y, bool threeD) {
  const int image = x / 13, px = x % 13;
  const bool pressed = image == 2 || image == 3 || image == 4;
  const bool checked = image == 1 || image == 3 || image == 4;
  if (threeD) {
    if (px == 0 || y == 0) return px == 12 || y == 12 ? kWhite : kShadow;
    if (px == 12 || y == 12) return kWhite;
    if (px == 1 || y == 1) return px == 11 || y == 11 ? kFace : kBlack;
    if (px == 11 || y == 11) return kFace;
  } else if (px == 0 || y == 0 || px == 12 || y == 12) {
    return kGreen;
  }
  if (checked && Tick(px, y)) return image == 4 ? kShadow : kBlack;
  return pressed ? kFace : kRed;
}

// Radio strip: flat images in the top row, 3-D ones in the row at y = 13; unchecked left, checked right.
uint8_t RadioPixel(int x, int y) {
  const int px = x % 14, py = y % 13;
  const bool threeD = y >= 13, checked = x >= 14;
  const int dx = 2 * px - 12, dy = 2 * py - 12;  // doubled offsets from the centre (6, 6)
  const int d2 = dx * dx + dy * dy;
  if (d2 > 144) return kFace;
  if (d2 > 100) return threeD ? (dx + dy < 0 ? kShadow : kWhite) : kBlack;
  if (threeD && d2 > 64) return dx + dy < 0 ? kBlack : kFace;
  return checked && d2 <= 20 ? kBlack : kWhite;
}

uint8_t NodePixel(int x, int y) { return x == 0 || y == 0 || x == 8 || y == 8 ? kShadow : kWhite; }

struct Images {
  std::vector<uint8_t> radio = MakeBmp(28, 26, RadioPixel);
  std::vector<uint8_t> check3dNew = MakeBmp(65, 13, [](int x, int y) { return CheckPixel(x, y, true); });
  std::vector<uint8_t> check3d = MakeBmp(65, 13, [](int x, int y) { return CheckPixel(x, y, true); });
  std::vector<uint8_t> checkFlat = MakeBmp(65, 13, [](int x, int y) { return CheckPixel(x, y, false); });
  std::vector<uint8_t> node = MakeBmp(9, 9, NodePixel);
};

const Images& GetImages() {
  static const Images images;
  return images;
}

RESOURCE_ENTRY Entry(UINT id, const std::vector<uint8_t>& bytes) {
  return {RT_BITMAP, MAKEINTRESOURCE(id), bytes.data(), (DWORD)bytes.size()};
}

const RESOURCE_ENTRY kEntries[] = {
    Entry(23211, GetImages().radio),     Entry(23231, GetImages().check3dNew), Entry(23232, GetImages().check3d),
    Entry(23233, GetImages().checkFlat), Entry(14004, GetImages().node),
};

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
