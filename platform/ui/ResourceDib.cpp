#include "platform/ui/ResourceDib.h"

#include "platform/core/Resource.h"
#include "platform/gdi/PackedDib.h"

#include <cstring>

namespace {

// The header of a locked DIB when the block is big enough for it, its colours and bits.
const BITMAPINFOHEADER* HeaderOf(const void* p, SIZE_T size, size_t& bitsOffset) {
  if (!p || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  auto* h = static_cast<const BITMAPINFOHEADER*>(p);
  int width, height;
  if (h->biSize < sizeof(BITMAPINFOHEADER) || !DibHeaderSize(*h, width, height) || height == 0) return nullptr;
  size_t colours = h->biClrUsed;
  if (!colours && h->biBitCount <= 8) colours = (size_t)1 << h->biBitCount;
  bitsOffset = h->biSize + colours * sizeof(RGBQUAD) + (h->biCompression == BI_BITFIELDS ? 12 : 0);
  if (bitsOffset > size) return nullptr;
  // Uncompressed rows must all be there.
  const size_t rows = (size_t)height;
  const size_t stride = (((size_t)width * h->biBitCount + 31) / 32) * 4;
  const bool packed = h->biCompression == 0 || h->biCompression == BI_BITFIELDS;
  return !packed || stride * rows <= size - bitsOffset ? h : nullptr;
}

}  // namespace

HGLOBAL LoadResourceDib(HINSTANCE module, LPCSTR name) {
  HRSRC res = name ? ::FindResource(module, name, RT_BITMAP) : nullptr;
  HGLOBAL data = res ? ::LoadResource(module, res) : nullptr;
  const void* bytes = data ? ::LockResource(data) : nullptr;
  if (!bytes) return nullptr;
  const std::vector<BYTE> dib = PackedDibFromImageBytes(static_cast<const BYTE*>(bytes), ::SizeofResource(module, res));
  size_t offset = 0;
  if (!HeaderOf(dib.data(), dib.size(), offset)) return nullptr;
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, dib.size());
  void* p = mem ? ::GlobalLock(mem) : nullptr;
  if (!p) return mem ? ::GlobalFree(mem) : nullptr;
  std::memcpy(p, dib.data(), dib.size());
  ::GlobalUnlock(mem);
  return mem;
}

SIZE GetPackedDibSize(HGLOBAL dib) {
  SIZE size{0, 0};
  const void* p = dib ? ::GlobalLock(dib) : nullptr;
  size_t offset = 0;
  if (const BITMAPINFOHEADER* h = HeaderOf(p, ::GlobalSize(dib), offset)) {
    size.cx = h->biWidth;
    size.cy = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  }
  if (p) ::GlobalUnlock(dib);
  return size;
}

int DrawPackedDib(CDC* dc, HGLOBAL dib, const RECT& rect) {
  const void* p = dc && dib ? ::GlobalLock(dib) : nullptr;
  size_t offset = 0;
  int lines = 0;
  if (const BITMAPINFOHEADER* h = HeaderOf(p, ::GlobalSize(dib), offset)) {
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    lines = dc->StretchDIBits(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, h->biWidth,
                              height, static_cast<const BYTE*>(p) + offset, reinterpret_cast<const BITMAPINFO*>(h),
                              DIB_RGB_COLORS, SRCCOPY);
  }
  if (p) ::GlobalUnlock(dib);
  return lines;
}
