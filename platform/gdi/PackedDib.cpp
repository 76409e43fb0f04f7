// Packed DIBs from resource bytes.
#include "platform/gdi/PackedDib.h"

#include <cairo.h>

#include <cstring>

namespace {

struct Reader {
  const BYTE* p;
  size_t left;
};

cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
  auto* r = static_cast<Reader*>(closure);
  if (length > r->left) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, r->p, length);
  r->p += length;
  r->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

std::vector<BYTE> FromPng(const BYTE* bytes, size_t size) {
  Reader r{bytes, size};
  cairo_surface_t* img = cairo_image_surface_create_from_png_stream(Read, &r);
  std::vector<BYTE> out;
  if (cairo_surface_status(img) == CAIRO_STATUS_SUCCESS) {
    // Flatten onto white in a known pixel format.
    const int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
    cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(flat);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(flat);
    const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    out.assign(sizeof(BITMAPINFOHEADER) + stride * (size_t)h, 0);
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biSizeImage = (DWORD)(stride * (size_t)h);
    std::memcpy(out.data(), &bih, sizeof(bih));
    const BYTE* src = cairo_image_surface_get_data(flat);
    const int srcStride = cairo_image_surface_get_stride(flat);
    for (int y = 0; y < h; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(src + (size_t)y * srcStride);
      BYTE* dst = out.data() + sizeof(bih) + (size_t)(h - 1 - y) * stride;  // bottom-up
      for (int x = 0; x < w; ++x) {
        dst[x * 3] = (BYTE)row[x];
        dst[x * 3 + 1] = (BYTE)(row[x] >> 8);
        dst[x * 3 + 2] = (BYTE)(row[x] >> 16);
      }
    }
    cairo_surface_destroy(flat);
  }
  cairo_surface_destroy(img);
  return out;
}

}  // namespace

std::vector<BYTE> PackedDibFromImageBytes(const BYTE* bytes, size_t size) {
  static const BYTE png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!bytes || size < 8) return {};
  if (std::memcmp(bytes, png, 8) == 0) return FromPng(bytes, size);
  size_t at = 0;
  if (bytes[0] == 'B' && bytes[1] == 'M') at = sizeof(BITMAPFILEHEADER);
  if (size < at + sizeof(BITMAPINFOHEADER)) return {};
  BITMAPINFOHEADER bih;
  std::memcpy(&bih, bytes + at, sizeof(bih));
  if (bih.biSize < sizeof(bih) || bih.biSize > size - at) return {};
  return std::vector<BYTE>(bytes + at, bytes + size);
}
