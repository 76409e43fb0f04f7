// Device-independent bitmaps: decoding, GetDIBits/SetDIBits, DIB-made bitmaps and brushes.
#include "platform/core/Resource.h"
#include "platform/gdi/DCImpl.h"
#include "platform/gdi/PackedDib.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace gdi;

namespace gdi {

namespace {

// Where the parts of a packed DIB lie, from its header alone; every count is checked in 64-bit
// arithmetic so that no field, however wild, can make a size wrap.
struct DibLayout {
  uint64_t masksAt = 0;      // offset of the three colour masks from the header's start
  uint64_t tableEntries = 0;
  uint64_t bitsAt = 0;       // offset of the pixels from the header's start
  uint64_t imageBytes = 0;
};

bool SaneSize(long long w, long long h) { return w > 0 && h > 0 && w <= 32768 && h <= 32768 && w * h <= (1LL << 28); }

bool LayoutOf(const BITMAPINFOHEADER& h, UINT usage, DibLayout& out) {
  if (h.biSize < 40 || h.biPlanes != 1) return false;
  uint64_t bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  bool fields = h.biCompression == BI_BITFIELDS;
  if (h.biCompression != BI_RGB && !(fields && (bpp == 16 || bpp == 32))) return false;
  int w, ht;
  if (!DibHeaderSize(h, w, ht) || !SaneSize(w, ht)) return false;
  uint64_t used = h.biClrUsed;
  uint64_t most = bpp <= 8 ? 1ull << bpp : 256;
  if (used > most) return false;
  out.tableEntries = bpp <= 8 && used == 0 ? most : used;
  // Headers of 52 bytes and more hold the masks; the short header has them right after it.
  uint64_t masks = fields && h.biSize < 52 ? 12 : 0;
  out.masksAt = fields ? (h.biSize < 52 ? h.biSize : 40) : 0;
  out.bitsAt = (uint64_t)h.biSize + masks + out.tableEntries * (usage == DIB_PAL_COLORS ? 2 : 4);
  out.imageBytes = ((uint64_t)w * bpp + 31) / 32 * 4 * (uint64_t)ht;
  return true;
}

int Shift(DWORD mask) {
  int s = 0;
  if (!mask) return 0;
  while (!(mask & 1)) { mask >>= 1; ++s; }
  return s;
}
int Bits(DWORD mask) {
  int n = 0;
  while (mask) { n += mask & 1; mask >>= 1; }
  return n;
}
BYTE Channel(DWORD v, DWORD mask) {
  if (!mask) return 0;
  DWORD c = (v & mask) >> Shift(mask);
  int b = Bits(mask);
  return (BYTE)(b >= 8 ? c >> (b - 8) : c * 255 / ((1u << b) - 1));
}

}  // namespace

std::vector<BYTE> PatternDib(const BitmapObj& bm, COLORREF fg, COLORREF bg, BITMAPINFOHEADER& bih) {
  int w = bm.w, h = bm.h;
  size_t rowBytes = (size_t)((w * 24 + 31) / 32) * 4;
  std::vector<BYTE> bits(rowBytes * (size_t)h);
  cairo_surface_flush(bm.surf);
  const unsigned char* data = cairo_image_surface_get_data(bm.surf);
  int stride = cairo_image_surface_get_stride(bm.surf);
  uint32_t f = ToPixel(fg), b = ToPixel(bg);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(data + (size_t)(h - 1 - y) * stride);
    BYTE* dst = bits.data() + (size_t)y * rowBytes;
    for (int x = 0; x < w; ++x) {
      uint32_t p = bm.mono ? ((src[x] & 0xFFFFFF) ? b : f) : src[x];
      dst[x * 3] = (BYTE)p;
      dst[x * 3 + 1] = (BYTE)(p >> 8);
      dst[x * 3 + 2] = (BYTE)(p >> 16);
    }
  }
  bih = BITMAPINFOHEADER{};
  bih.biSize = 40;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  bih.biSizeImage = (DWORD)bits.size();
  return bits;
}

cairo_surface_t* DecodeDib(const BITMAPINFO* info, const void* bits, UINT usage, const PaletteObj* pal) {
  if (!info || !bits) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  DibLayout lay;
  if (!LayoutOf(h, usage, lay)) return nullptr;
  int bpp = h.biBitCount;
  long long w = h.biWidth, ht = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
  int ncol = (int)lay.tableEntries;
  uint32_t colors[256] = {};
  DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bpp == 32) { masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF; }
  if (lay.masksAt) std::memcpy(masks, reinterpret_cast<const BYTE*>(info) + lay.masksAt, sizeof(masks));
  if (bpp <= 8) {
    for (int i = 0; i < ncol; ++i) {
      if (usage == DIB_PAL_COLORS) {
        WORD idx = reinterpret_cast<const WORD*>(table)[i];
        COLORREF c = pal && idx < pal->entries.size()
                         ? RGB(pal->entries[idx].peRed, pal->entries[idx].peGreen, pal->entries[idx].peBlue)
                         : 0;
        colors[i] = ToPixel(c);
      } else {
        const RGBQUAD& q = reinterpret_cast<const RGBQUAD*>(table)[i];
        colors[i] = 0xFF000000u | (uint32_t)q.rgbRed << 16 | (uint32_t)q.rgbGreen << 8 | q.rgbBlue;
      }
    }
  }
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, (int)w, (int)ht);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return nullptr;
  }
  cairo_surface_flush(img);
  unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  size_t rowBytes = (size_t)((w * bpp + 31) / 32) * 4;
  const BYTE* src = static_cast<const BYTE*>(bits);
  for (long long y = 0; y < ht; ++y) {
    const BYTE* row = src + (size_t)y * rowBytes;
    long long dy = h.biHeight > 0 ? ht - 1 - y : y;
    uint32_t* dst = reinterpret_cast<uint32_t*>(data + (size_t)dy * stride);
    for (long long x = 0; x < w; ++x) {
      uint32_t p = 0;
      switch (bpp) {
        case 1: p = colors[(row[x / 8] >> (7 - x % 8)) & 1]; break;
        case 4: p = colors[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
        case 8: p = colors[row[x]]; break;
        case 16: {
          DWORD v = (DWORD)(row[x * 2] | (row[x * 2 + 1] << 8));
          p = 0xFF000000u | (uint32_t)Channel(v, masks[0]) << 16 | (uint32_t)Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
          break;
        }
        case 24: p = 0xFF000000u | (uint32_t)row[x * 3 + 2] << 16 | (uint32_t)row[x * 3 + 1] << 8 | row[x * 3]; break;
        case 32: {
          DWORD v = (DWORD)row[x * 4] | (DWORD)row[x * 4 + 1] << 8 | (DWORD)row[x * 4 + 2] << 16 | (DWORD)row[x * 4 + 3] << 24;
          p = 0xFF000000u | (uint32_t)Channel(v, masks[0]) << 16 | (uint32_t)Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
          break;
        }
      }
      dst[x] = p;
    }
  }
  cairo_surface_mark_dirty(img);
  return img;
}

}  // namespace gdi

bool DibHeaderSize(const BITMAPINFOHEADER& header, int& width, int& height) {
  width = height = 0;
  const uint64_t stride =
      ((uint64_t)std::max<LONG>(0, header.biWidth) * std::max<WORD>(1, header.biBitCount) + 31) / 32 * 4;
  if (header.biWidth <= 0 || header.biHeight == INT_MIN || stride > INT_MAX) return false;
  width = header.biWidth;
  height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  return true;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  if ((long long)width * height > (1LL << 28)) return nullptr;
  CDC* d = CDC::FromHandle(dc);
  bool mono = d && d->GetImpl()->kind == DCKind::Memory && d->GetImpl()->mono;
  auto bm = NewBitmap(width, height, mono);
  HBITMAP h = bm.get();
  RegisterObject(bm);
  return h;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int w, int h) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->GetSafeHdc() : nullptr, w, h));
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
  int w, h;
  if (!header || !DibHeaderSize(*header, w, h)) return nullptr;
  HBITMAP bm = CreateCompatibleBitmap(dc, w, h);
  if (!bm) return nullptr;
  if ((init & CBM_INIT) && bits && info) SetDIBits(dc, bm, 0, (UINT)h, bits, info, usage);
  return bm;
}

int SetDIBits(HDC dc, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  (void)start;
  auto bm = gdi::Lookup<BitmapObj>(hbm);
  if (!bm || !bits || !info) return 0;
  CDC* d = CDC::FromHandle(dc);
  cairo_surface_t* img = DecodeDib(info, bits, usage, d ? d->GetImpl()->s.pal.get() : nullptr);
  if (!img) return 0;
  cairo_t* cr = cairo_create(bm->surf);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(img);
  if (bm->mono) {
    cairo_surface_flush(bm->surf);
    unsigned char* data = cairo_image_surface_get_data(bm->surf);
    int stride = cairo_image_surface_get_stride(bm->surf);
    for (int y = 0; y < bm->h; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
      for (int x = 0; x < bm->w; ++x) {
        uint32_t p = row[x];
        int lum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        row[x] = lum >= 384 ? 0xFFFFFFFFu : 0xFF000000u;
      }
    }
    cairo_surface_mark_dirty(bm->surf);
  }
  return (int)std::min<UINT>(lines, (UINT)bm->h);
}

namespace {

void FillTable(int bpp, RGBQUAD* table, std::vector<uint32_t>& out) {
  out.clear();
  if (bpp == 1) {
    out = {0xFF000000u, 0xFFFFFFFFu};
  } else if (bpp == 4) {
    static const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                     0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (uint32_t v : vga) out.push_back(0xFF000000u | v);
  } else if (bpp == 8) {
    HPALETTE hp = CreateHalftonePalette(nullptr);
    PALETTEENTRY e[256];
    UINT n = GetPaletteEntries(hp, 0, 256, e);
    for (UINT i = 0; i < n; ++i) out.push_back(0xFF000000u | (uint32_t)e[i].peRed << 16 | (uint32_t)e[i].peGreen << 8 | e[i].peBlue);
    DeleteObject(hp);
  }
  if (table)
    for (size_t i = 0; i < out.size(); ++i)
      table[i] = RGBQUAD{(BYTE)out[i], (BYTE)(out[i] >> 8), (BYTE)(out[i] >> 16), 0};
}

int Nearest(const std::vector<uint32_t>& t, uint32_t p) {
  int best = 0;
  long bd = -1;
  for (size_t i = 0; i < t.size(); ++i) {
    long dr = (long)((t[i] >> 16) & 0xFF) - (long)((p >> 16) & 0xFF);
    long dg = (long)((t[i] >> 8) & 0xFF) - (long)((p >> 8) & 0xFF);
    long db = (long)(t[i] & 0xFF) - (long)(p & 0xFF);
    long dd = dr * dr + dg * dg + db * db;
    if (bd < 0 || dd < bd) { bd = dd; best = (int)i; }
  }
  return best;
}

}  // namespace

int GetDIBits(HDC dc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  (void)dc;
  (void)usage;
  auto bm = gdi::Lookup<BitmapObj>(hbm);
  if (!bm || !info) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < 40) return 0;
  if (h.biBitCount == 0) {
    h.biWidth = bm->w;
    h.biHeight = bm->h;
    h.biPlanes = 1;
    h.biBitCount = (WORD)(bm->mono ? 1 : 32);
    h.biCompression = BI_RGB;
    h.biSizeImage = (DWORD)(((bm->w * h.biBitCount + 31) / 32) * 4 * bm->h);
    return bm->h;
  }
  int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  // No width or no height in the header asks for the bitmap's own.
  BITMAPINFOHEADER asked = h;
  if (asked.biWidth <= 0) asked.biWidth = bm->w;
  if (asked.biHeight == 0) asked.biHeight = bm->h;
  int w, ht;
  if (!DibHeaderSize(asked, w, ht) || !SaneSize(w, ht)) return 0;
  size_t rowBytes = (size_t)((w * bpp + 31) / 32) * 4;
  h.biPlanes = 1;
  h.biCompression = BI_RGB;
  h.biSizeImage = (DWORD)(rowBytes * (size_t)ht);
  std::vector<uint32_t> table;
  RGBQUAD* rq = bpp <= 8 ? reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + h.biSize) : nullptr;
  FillTable(bpp, rq, table);
  if (bpp <= 8) h.biClrUsed = 0;
  if (!bits) return (int)ht;
  if (start >= (UINT)ht) return 0;
  UINT count = std::min<UINT>(lines, (UINT)ht - start);
  cairo_surface_flush(bm->surf);
  const unsigned char* data = cairo_image_surface_get_data(bm->surf);
  int stride = cairo_image_surface_get_stride(bm->surf);
  BYTE* out = static_cast<BYTE*>(bits);
  bool bottomUp = h.biHeight > 0;
  for (UINT k = 0; k < count; ++k) {
    UINT scan = start + k;  // scan line index in the DIB's own order
    int srcY = bottomUp ? ht - 1 - (int)scan : (int)scan;
    BYTE* row = out + (size_t)k * rowBytes;
    std::memset(row, 0, rowBytes);
    if (srcY < 0 || srcY >= bm->h) continue;
    const uint32_t* src = reinterpret_cast<const uint32_t*>(data + (size_t)srcY * stride);
    for (int x = 0; x < w && x < bm->w; ++x) {
      uint32_t p = src[x];
      switch (bpp) {
        case 1: if (Nearest(table, p)) row[x / 8] |= (BYTE)(0x80 >> (x % 8)); break;
        case 4: row[x / 2] |= (BYTE)(Nearest(table, p) << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = (BYTE)Nearest(table, p); break;
        case 16: {
          WORD v = (WORD)((((p >> 19) & 31) << 10) | (((p >> 11) & 31) << 5) | ((p >> 3) & 31));
          row[x * 2] = (BYTE)v;
          row[x * 2 + 1] = (BYTE)(v >> 8);
          break;
        }
        case 24: row[x * 3] = (BYTE)p; row[x * 3 + 1] = (BYTE)(p >> 8); row[x * 3 + 2] = (BYTE)(p >> 16); break;
        case 32: row[x * 4] = (BYTE)p; row[x * 4 + 1] = (BYTE)(p >> 8); row[x * 4 + 2] = (BYTE)(p >> 16); row[x * 4 + 3] = 0; break;
      }
    }
  }
  return (int)count;
}

HBRUSH CreateDIBPatternBrushPt(const void* packedDib, UINT usage) {
  const BITMAPINFO* info = static_cast<const BITMAPINFO*>(packedDib);
  DibLayout lay;
  if (!info || !LayoutOf(info->bmiHeader, usage, lay)) return nullptr;
  const BYTE* bits = reinterpret_cast<const BYTE*>(info) + lay.bitsAt;
  cairo_surface_t* img = DecodeDib(info, bits, usage, nullptr);
  if (!img) return nullptr;
  int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
  auto bm = NewBitmap(w, h, false);
  cairo_t* cr = cairo_create(bm->surf);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(img);
  auto b = std::make_shared<BrushObj>();
  b->lb = LOGBRUSH{BS_DIBPATTERNPT, usage, reinterpret_cast<uintptr_t>(packedDib)};
  b->pattern = bm;
  b->gdiKind = OBJ_BRUSH;
  HBRUSH hb = b.get();
  RegisterObject(b);
  return hb;
}

size_t PackedDibBitsOffset(const void* dib, size_t size, UINT usage) {
  if (!dib || size < sizeof(BITMAPINFOHEADER)) return 0;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof(h));
  DibLayout lay;
  if (!LayoutOf(h, usage, lay) || lay.bitsAt > size || lay.imageBytes > size - lay.bitsAt) return 0;
  return (size_t)lay.bitsAt;
}

// ---- Bitmap resources ---------------------------------------------------------------------------------

namespace {

// Bitmaps are found along the resource chain unless a test installs its own finder.
bool FindBitmapInChain(UINT id, LPCSTR name, std::vector<BYTE>& bytes) {
  LPCSTR key = name ? name : MAKEINTRESOURCE(id);
  HINSTANCE module = AfxFindResourceHandle(key, RT_BITMAP);
  HRSRC res = module ? FindResource(module, key, RT_BITMAP) : nullptr;
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const BYTE* p = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
  if (!p) return false;
  bytes.assign(p, p + SizeofResource(module, res));
  return true;
}

BitmapResourceFinder g_finder = FindBitmapInChain;

struct ByteReader {
  const BYTE* p;
  size_t left;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* r = static_cast<ByteReader*>(closure);
  if (length > r->left) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, r->p, length);
  r->p += length;
  r->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

HBITMAP FromSurface(cairo_surface_t* img) {
  int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
  auto bm = NewBitmap(w, h, false);
  cairo_t* cr = cairo_create(bm->surf);
  // Transparent parts of PNG images show on white, as a bitmap has no transparency.
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  HBITMAP hb = bm.get();
  RegisterObject(bm);
  return hb;
}

}  // namespace

void SetBitmapResourceFinder(BitmapResourceFinder finder) { g_finder = finder ? finder : FindBitmapInChain; }

HBITMAP CreateBitmapFromBytes(const BYTE* bytes, size_t size) {
  if (!bytes || size < 16) return nullptr;
  static const BYTE png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (std::memcmp(bytes, png, 8) == 0) {
    ByteReader r{bytes, size};
    cairo_surface_t* img = cairo_image_surface_create_from_png_stream(ReadBytes, &r);
    HBITMAP hb = nullptr;
    if (cairo_surface_status(img) == CAIRO_STATUS_SUCCESS) hb = FromSurface(img);
    cairo_surface_destroy(img);
    return hb;
  }
  uint64_t at = 0;
  if (bytes[0] == 'B' && bytes[1] == 'M') at = sizeof(BITMAPFILEHEADER);
  if (size < at + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER bih;
  std::memcpy(&bih, bytes + at, sizeof(bih));
  DibLayout lay;
  if (!LayoutOf(bih, DIB_RGB_COLORS, lay)) return nullptr;
  if (lay.bitsAt > size - at || lay.imageBytes > size - at - lay.bitsAt) return nullptr;
  // Copy the header and table so the DIB is aligned for reading.
  std::vector<BYTE> info(bytes + at, bytes + at + lay.bitsAt);
  cairo_surface_t* img = DecodeDib(reinterpret_cast<const BITMAPINFO*>(info.data()), bytes + at + lay.bitsAt,
                                   DIB_RGB_COLORS, nullptr);
  if (!img) return nullptr;
  HBITMAP hb = FromSurface(img);
  cairo_surface_destroy(img);
  return hb;
}

void MapBitmap3DColors(HBITMAP bitmap) {
  auto bm = gdi::Lookup<BitmapObj>(bitmap);
  if (!bm || bm->mono) return;
  struct Map {
    uint32_t from;
    int sys;
  } map[] = {{0x000000, COLOR_BTNTEXT}, {0x808080, COLOR_3DSHADOW}, {0xC0C0C0, COLOR_3DFACE},
             {0xDFDFDF, COLOR_3DLIGHT}, {0xFFFFFF, COLOR_3DHILIGHT}};
  cairo_surface_flush(bm->surf);
  unsigned char* data = cairo_image_surface_get_data(bm->surf);
  int stride = cairo_image_surface_get_stride(bm->surf);
  for (int y = 0; y < bm->h; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < bm->w; ++x)
      for (const Map& m : map)
        if ((row[x] & 0xFFFFFF) == m.from) {
          row[x] = ToPixel(GetSysColor(m.sys));
          break;
        }
  }
  cairo_surface_mark_dirty(bm->surf);
}

BOOL CBitmap::LoadBitmap(UINT id) {
  std::vector<BYTE> bytes;
  if (!g_finder || !g_finder(id, nullptr, bytes)) return FALSE;
  return Attach(CreateBitmapFromBytes(bytes.data(), bytes.size()));
}

BOOL CBitmap::LoadBitmap(LPCSTR name) {
  if (!name) return FALSE;
  // MAKEINTRESOURCE names carry the id in the pointer.
  if (reinterpret_cast<uintptr_t>(name) < 0x10000) return LoadBitmap((UINT) reinterpret_cast<uintptr_t>(name));
  std::vector<BYTE> bytes;
  if (!g_finder || !g_finder(0, name, bytes)) return FALSE;
  return Attach(CreateBitmapFromBytes(bytes.data(), bytes.size()));
}

BOOL CBitmap::LoadMappedBitmap(UINT id) {
  if (!LoadBitmap(id)) return FALSE;
  MapBitmap3DColors(*this);
  return TRUE;
}
