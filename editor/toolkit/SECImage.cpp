#include "editor/toolkit/SECImage.h"

#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/PackedDib.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

IMPLEMENT_SERIAL(SECImage, CObject, 0xFFFF)

namespace {

const size_t kInfoSize = 40;
// Pixel blocks beyond this come from a bad header, not from an image.
const ULONGLONG kMaxPixelBytes = 1ull << 31;
// The first piece of pixel data read from a source that cannot tell its length.
const size_t kFirstBitsChunk = 1u << 20;

bool KnownDepth(UINT bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

WORD ColorsOf(UINT bpp) { return bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0; }

void PutLE(BYTE* p, ULONGLONG v, int n) {
  for (int i = 0; i < n; ++i) p[i] = (BYTE)(v >> (8 * i));
}

ULONGLONG GetLE(const BYTE* p, int n) {
  ULONGLONG v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// Pixel access for all depths: sub-byte pixels are a number, whole pixels are their bytes.
UINT GetSubPixel(const BYTE* row, DWORD x, UINT bpp) {
  if (bpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1u;
  return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
}

void SetSubPixel(BYTE* row, DWORD x, UINT bpp, UINT v) {
  if (bpp == 1) {
    BYTE mask = (BYTE)(0x80u >> (x & 7));
    row[x >> 3] = v ? (BYTE)(row[x >> 3] | mask) : (BYTE)(row[x >> 3] & ~mask);
  } else if (x & 1) {
    row[x >> 1] = (BYTE)((row[x >> 1] & 0xF0u) | (v & 0x0Fu));
  } else {
    row[x >> 1] = (BYTE)((row[x >> 1] & 0x0Fu) | ((v & 0x0Fu) << 4));
  }
}

void CopyPixel(const BYTE* src, DWORD xs, BYTE* dst, DWORD xd, UINT bpp) {
  if (bpp < 8) {
    SetSubPixel(dst, xd, bpp, GetSubPixel(src, xs, bpp));
    return;
  }
  size_t n = bpp / 8;
  memcpy(dst + xd * n, src + xs * n, n);
}

}  // namespace

SECImage::SECImage() {
  CDC screen;
  screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  int bits = screen.GetDeviceCaps(BITSPIXEL);
  int planes = screen.GetDeviceCaps(PLANES);
  m_wBitsPerPixel = (UINT)bits;
  m_wDisplayPlanes = (UINT)planes;
  m_wDisplayPaletteDepth = (bits == 1 || bits == 2 || bits == 4 || bits == 8) ? (UINT)bits : 0;
  m_wDisplayColors = bits == 1 ? (WORD)(1u << planes) : bits == 2 ? 4 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

SECImage::~SECImage() {
  FreeBits();
  FreeHeader();
  delete m_pPalette;
  FreeCache();
  OnCleanupAllocFiles();
}

// ---- Blocks -----------------------------------------------------------------------------------------------

BOOL SECImage::AllocBits(size_t bytes) {
  FreeBits();
  m_hImage = ::GlobalAlloc(GHND, std::max<size_t>(bytes, 1));
  if (!m_hImage) return FALSE;
  m_lpSrcBits = static_cast<BYTE*>(::GlobalLock(m_hImage));
  return TRUE;
}

BOOL SECImage::AllocHeader(size_t bytes) {
  FreeHeader();
  m_hDIB = ::GlobalAlloc(GHND, std::max(bytes, kInfoSize));
  if (!m_hDIB) return FALSE;
  m_lpBMI = static_cast<BITMAPINFO*>(::GlobalLock(m_hDIB));
  m_lpRGB = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(m_lpBMI) + kInfoSize);
  return TRUE;
}

void SECImage::FreeBits() {
  if (m_hImage) {
    ::GlobalUnlock(m_hImage);
    ::GlobalFree(m_hImage);
  }
  m_hImage = nullptr;
  m_lpSrcBits = nullptr;
}

void SECImage::FreeHeader() {
  if (m_hDIB) {
    ::GlobalUnlock(m_hDIB);
    ::GlobalFree(m_hDIB);
  }
  m_hDIB = nullptr;
  m_lpBMI = nullptr;
  m_lpRGB = nullptr;
}

void SECImage::Empty() {
  FreeBits();
  FreeHeader();
  m_dwWidth = m_dwHeight = m_dwPadWidth = 0;
  m_wColors = 0;
  m_bIsPadded = FALSE;
}

void SECImage::FillHeader(WORD planes) {
  BITMAPINFOHEADER& h = m_lpBMI->bmiHeader;
  h.biSize = (DWORD)kInfoSize;
  h.biWidth = (LONG)m_dwWidth;
  h.biHeight = (LONG)m_dwHeight;
  h.biPlanes = planes;
  h.biBitCount = (WORD)m_wBitsPerPixel;
  h.biCompression = BI_RGB;
  h.biSizeImage = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth) * m_dwHeight;
  h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
  h.biClrUsed = h.biClrImportant = 0;
}

// ---- Queries ----------------------------------------------------------------------------------------------

WORD SECImage::NumColors() const { return m_lpBMI ? ColorsOf(m_lpBMI->bmiHeader.biBitCount) : 0; }

DWORD SECImage::NumBytes() const {
  int width, height;
  if (!m_lpBMI || !DibHeaderSize(m_lpBMI->bmiHeader, width, height)) return 0;
  return CalcBytesPerLine(m_lpBMI->bmiHeader.biBitCount, (DWORD)width) * (DWORD)height;
}

DWORD SECImage::CalcBytesPerLine(DWORD dwBitsPerPixel, DWORD dwWidth) {
  return (DWORD)(((ULONGLONG)dwBitsPerPixel * dwWidth + 31) / 32 * 4);
}

DWORD SECImage::LastByte(DWORD dwBitsPerPixel, DWORD dwWidth) {
  return (DWORD)(((ULONGLONG)dwBitsPerPixel * dwWidth + 7) / 8);
}

DWORD SECImage::CalcPadding(DWORD dwBitsPerPixel, DWORD dwWidth) {
  return CalcBytesPerLine(dwBitsPerPixel, dwWidth) - LastByte(dwBitsPerPixel, dwWidth);
}

// ---- Padding and flips ------------------------------------------------------------------------------------

BOOL SECImage::PadBits() {
  m_dwPadWidth = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth);
  if (m_bIsPadded || !m_lpSrcBits) return TRUE;
  DWORD packed = LastByte(m_wBitsPerPixel, m_dwWidth);
  if (packed != m_dwPadWidth) {
    for (DWORD i = m_dwHeight; i-- > 1;)
      memmove(m_lpSrcBits + (size_t)i * m_dwPadWidth, m_lpSrcBits + (size_t)i * packed, packed);
    // The padding bytes hold what was packed there; clear them so files are the same every time.
    for (DWORD i = 0; i < m_dwHeight; ++i) memset(m_lpSrcBits + (size_t)i * m_dwPadWidth + packed, 0, m_dwPadWidth - packed);
  }
  m_bIsPadded = TRUE;
  return TRUE;
}

BOOL SECImage::UnPadBits() {
  if (!m_bIsPadded) return TRUE;
  DWORD packed = LastByte(m_wBitsPerPixel, m_dwWidth);
  DWORD padded = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth);
  if (m_lpSrcBits)
    for (DWORD i = 1; i < m_dwHeight; ++i)
      memmove(m_lpSrcBits + (size_t)i * packed, m_lpSrcBits + (size_t)i * padded, packed);
  m_bIsPadded = FALSE;
  return TRUE;
}

BOOL SECImage::FlipVert() {
  if (!m_lpSrcBits) return FALSE;
  PadBits();
  std::vector<BYTE> tmp(m_dwPadWidth);
  for (DWORD i = 0; i < m_dwHeight / 2; ++i) {
    BYTE* a = m_lpSrcBits + (size_t)i * m_dwPadWidth;
    BYTE* b = m_lpSrcBits + (size_t)(m_dwHeight - 1 - i) * m_dwPadWidth;
    memcpy(tmp.data(), a, m_dwPadWidth);
    memcpy(a, b, m_dwPadWidth);
    memcpy(b, tmp.data(), m_dwPadWidth);
  }
  return TRUE;
}

BOOL SECImage::FlipHorz() {
  if (!m_lpSrcBits || !KnownDepth(m_wBitsPerPixel)) return FALSE;
  PadBits();
  std::vector<BYTE> tmp(m_dwPadWidth);
  for (DWORD y = 0; y < m_dwHeight; ++y) {
    BYTE* row = m_lpSrcBits + (size_t)y * m_dwPadWidth;
    memcpy(tmp.data(), row, m_dwPadWidth);
    for (DWORD x = 0; x < m_dwWidth; ++x) CopyPixel(tmp.data(), m_dwWidth - 1 - x, row, x, m_wBitsPerPixel);
  }
  return TRUE;
}

BOOL SECImage::Rotate90(int bClockwise) {
  if (!KnownDepth(m_wBitsPerPixel)) {
    AfxMessageBox("Rotate90: Error, unsupported format.");
    return FALSE;
  }
  if (!m_lpSrcBits) return FALSE;
  PadBits();
  DWORD newW = m_dwHeight, newH = m_dwWidth;
  DWORD newRow = CalcBytesPerLine(m_wBitsPerPixel, newW);
  HGLOBAL h = ::GlobalAlloc(GHND, std::max<size_t>((size_t)newRow * newH, 1));
  if (!h) return FALSE;
  BYTE* dst = static_cast<BYTE*>(::GlobalLock(h));
  size_t n = m_wBitsPerPixel / 8;
  // Strips of source rows, so that each destination row is written in runs rather than a pixel a line.
  const DWORD kStrip = 32;
  for (DWORD y0 = 0; y0 < m_dwHeight; y0 += kStrip) {
    DWORD y1 = std::min(m_dwHeight, y0 + kStrip);
    for (DWORD x = 0; x < m_dwWidth; ++x) {
      BYTE* row = dst + (size_t)(bClockwise ? m_dwWidth - 1 - x : x) * newRow;
      for (DWORD y = y0; y < y1; ++y) {
        const BYTE* src = m_lpSrcBits + (size_t)y * m_dwPadWidth;
        DWORD col = bClockwise ? y : m_dwHeight - 1 - y;
        BYTE* to = row + (size_t)col * n;
        const BYTE* from = src + (size_t)x * n;
        switch (n) {
          case 0: CopyPixel(src, x, row, col, m_wBitsPerPixel); break;
          case 3: to[0] = from[0], to[1] = from[1], to[2] = from[2]; break;
          default: memcpy(to, from, n); break;
        }
      }
    }
  }
  FreeBits();
  m_hImage = h;
  m_lpSrcBits = dst;
  m_dwWidth = newW;
  m_dwHeight = newH;
  m_dwPadWidth = newRow;
  if (m_lpBMI) {
    m_lpBMI->bmiHeader.biWidth = (LONG)newW;
    m_lpBMI->bmiHeader.biHeight = (LONG)newH;
  }
  return TRUE;
}

BOOL SECImage::Crop(LONG nLeft, LONG nTop, LONG nWidth, LONG nHeight) {
  if (!m_lpSrcBits || !KnownDepth(m_wBitsPerPixel) || nLeft < 0 || nTop < 0 || nWidth <= 0 || nHeight <= 0 ||
      (ULONGLONG)nLeft + (ULONGLONG)nWidth > m_dwWidth || (ULONGLONG)nTop + (ULONGLONG)nHeight > m_dwHeight)
    return FALSE;
  PadBits();
  DWORD newRow = CalcBytesPerLine(m_wBitsPerPixel, (DWORD)nWidth);
  std::vector<BYTE> out((size_t)newRow * (size_t)nHeight);
  // Row `top` counts from the top of the picture; rows are stored bottom-up.
  for (LONG i = 0; i < nHeight; ++i) {
    const BYTE* src = m_lpSrcBits + (size_t)(m_dwHeight - 1 - (DWORD)(nTop + i)) * m_dwPadWidth;
    BYTE* dst = out.data() + (size_t)(nHeight - 1 - i) * newRow;
    for (LONG x = 0; x < nWidth; ++x) CopyPixel(src, (DWORD)(nLeft + x), dst, (DWORD)x, m_wBitsPerPixel);
  }
  memcpy(m_lpSrcBits, out.data(), out.size());
  m_dwWidth = (DWORD)nWidth;
  m_dwHeight = (DWORD)nHeight;
  m_dwPadWidth = newRow;
  if (m_lpBMI) {
    m_lpBMI->bmiHeader.biWidth = nWidth;
    m_lpBMI->bmiHeader.biHeight = nHeight;
  }
  if (HGLOBAL h = ::GlobalReAlloc(m_hImage, std::max<size_t>(out.size(), 1), GMEM_MOVEABLE)) {
    ::GlobalUnlock(m_hImage);
    m_hImage = h;
    m_lpSrcBits = static_cast<BYTE*>(::GlobalLock(h));
  }
  return TRUE;
}

// ---- Contrast ---------------------------------------------------------------------------------------------

void SECImage::ContrastPixel(BYTE& bb, BYTE& gg, BYTE& rr, int k) {
  double r = rr / 255.0, g = gg / 255.0, b = bb / 255.0;
  double v = std::max({r, g, b}), m = std::min({r, g, b});
  double s = 0, h = -1;
  if (v > 0) {
    s = (v - m) / v;
    if (s > 0) {
      if (r == v) h = (g - b) / (v - m);
      else if (g == v) h = 2 + (b - r) / (v - m);
      else h = 4 + (r - g) / (v - m);
      h *= 60;
      if (h < 0) h += 360;
    }
  }
  // The new value depends on the old one alone: one table per direction over the 256 byte values.
  static const auto kCurves = [] {
    std::array<std::array<double, 256>, 2> t{};
    for (int d = 0; d < 2; ++d)
      for (int i = 0; i < 256; ++i) {
        double x = i / 255.0;
        t[(size_t)d][(size_t)i] = std::clamp(x + ((std::sin((x - 0.5) * std::numbers::pi) + 1) * 0.5 - x) * (d ? 1 : -1) * 0.5, 0.0, 1.0);
      }
    return t;
  }();
  double v2 = kCurves[k > 0 ? 1 : 0][std::max({rr, gg, bb})];
  if (h < 0 || s == 0) {
    r = g = b = v2;
  } else {
    if (h >= 360) h = 0;
    int i = (int)std::floor(h / 60);
    double f = h / 60 - i;
    double p = v2 * (1 - s), q = v2 * (1 - s * f), t = v2 * (1 - s * (1 - f));
    switch (i) {
      case 0: r = v2; g = t; b = p; break;
      case 1: r = q; g = v2; b = p; break;
      case 2: r = p; g = v2; b = t; break;
      case 3: r = p; g = q; b = v2; break;
      case 4: r = t; g = p; b = v2; break;
      default: r = v2; g = p; b = q; break;
    }
  }
  auto store = [](double c) { return (BYTE)std::clamp(std::floor(c * 255 + 0.5), 0.0, 255.0); };
  rr = store(r);
  gg = store(g);
  bb = store(b);
}

void SECImage::ContrastImage(short nAmount) {
  int k = nAmount > 0 ? 1 : -1;
  if ((m_wBitsPerPixel == 4 || m_wBitsPerPixel == 8) && m_lpRGB) {
    for (WORD i = 0; i < m_wColors; ++i) ContrastPixel(m_lpRGB[i].rgbBlue, m_lpRGB[i].rgbGreen, m_lpRGB[i].rgbRed, k);
    CreatePalette();
  } else if ((m_wBitsPerPixel == 24 || m_wBitsPerPixel == 32) && m_lpSrcBits) {
    PadBits();
    size_t n = m_wBitsPerPixel / 8;
    for (DWORD y = 0; y < m_dwHeight; ++y) {
      BYTE* p = m_lpSrcBits + (size_t)y * m_dwPadWidth;
      for (DWORD x = 0; x < m_dwWidth; ++x, p += n) ContrastPixel(p[0], p[1], p[2], k);
    }
  }
}

// ---- Palette, copies, bitmaps -----------------------------------------------------------------------------

BOOL SECImage::CreatePalette() {
  if (m_wBitsPerPixel >= 16 || !m_lpBMI) return TRUE;
  // Never more than the depth allows, whatever the header says.
  DWORD used = std::min<DWORD>(m_lpBMI->bmiHeader.biClrUsed, 1u << m_wBitsPerPixel);
  DWORD entries = std::min<DWORD>(std::max<DWORD>(m_wColors, used), 256);
  if (entries == 0) return TRUE;
  DWORD fromTable = std::min<DWORD>(used ? used : m_wColors, 256);
  std::vector<BYTE> buf(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = (WORD)entries;
  for (DWORD i = 0; i < fromTable && m_lpRGB; ++i)
    lp->palPalEntry[i] = PALETTEENTRY{m_lpRGB[i].rgbRed, m_lpRGB[i].rgbGreen, m_lpRGB[i].rgbBlue, 0};
  delete m_pPalette;
  m_pPalette = new CPalette;
  return m_pPalette->CreatePalette(lp);
}

BOOL SECImage::CopyImage(SECImage* pSource) {
  if (!pSource || pSource == this) return FALSE;
  Empty();
  if (pSource->m_hImage) {
    size_t n = ::GlobalSize(pSource->m_hImage);
    if (!AllocBits(n)) return FALSE;
    memcpy(m_lpSrcBits, pSource->m_lpSrcBits, n);
  }
  if (pSource->m_hDIB) {
    size_t n = ::GlobalSize(pSource->m_hDIB);
    if (!AllocHeader(n)) {
      Empty();
      return FALSE;
    }
    memcpy(m_lpBMI, pSource->m_lpBMI, n);
  }
  m_wBitsPerPixel = pSource->m_wBitsPerPixel;
  m_wDisplayPlanes = pSource->m_wDisplayPlanes;
  m_bIsPadded = pSource->m_bIsPadded;
  m_dwWidth = pSource->m_dwWidth;
  m_dwPadWidth = pSource->m_dwPadWidth;
  m_dwHeight = pSource->m_dwHeight;
  m_wColors = pSource->m_wColors;
  m_wDisplayColors = pSource->m_wDisplayColors;
  FreeCache();
  CreatePalette();
  return TRUE;
}

BOOL SECImage::ConvertImage(SECImage* pSource) {
  if (!pSource || pSource == this) return FALSE;
  Empty();
  delete m_pPalette;
  m_hImage = pSource->m_hImage;
  m_lpSrcBits = pSource->m_lpSrcBits;
  m_hDIB = pSource->m_hDIB;
  m_lpBMI = pSource->m_lpBMI;
  m_lpRGB = pSource->m_lpRGB;
  m_pPalette = pSource->m_pPalette;
  m_wBitsPerPixel = pSource->m_wBitsPerPixel;
  m_wDisplayPaletteDepth = pSource->m_wDisplayPaletteDepth;
  m_wDisplayPlanes = pSource->m_wDisplayPlanes;
  m_bIsPadded = pSource->m_bIsPadded;
  m_dwPadWidth = pSource->m_dwPadWidth;
  m_dwWidth = pSource->m_dwWidth;
  m_dwHeight = pSource->m_dwHeight;
  m_wColors = pSource->m_wColors;
  m_wDisplayColors = pSource->m_wDisplayColors;
  m_bHalftone = pSource->m_bHalftone;
  FreeCache();
  m_hCache = pSource->m_hCache;
  m_dwCacheSize = pSource->m_dwCacheSize;
  m_dwCacheFill = pSource->m_dwCacheFill;
  m_dwCachePos = pSource->m_dwCachePos;
  pSource->m_hImage = pSource->m_hDIB = pSource->m_hCache = nullptr;
  pSource->m_lpSrcBits = nullptr;
  pSource->m_lpBMI = nullptr;
  pSource->m_lpRGB = nullptr;
  pSource->m_pPalette = nullptr;
  pSource->m_dwCacheSize = pSource->m_dwCacheFill = pSource->m_dwCachePos = 0;
  pSource->Empty();
  return TRUE;
}

BOOL SECImage::CreateFromBitmap(CDC* pDC, CBitmap* pBitmap) {
  BITMAP bm{};
  if (!pDC || !pBitmap || !pBitmap->m_hObject || !pBitmap->GetBitmap(&bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return FALSE;
  UINT depth = (UINT)bm.bmPlanes * bm.bmBitsPixel;
  Empty();
  m_wBitsPerPixel = depth <= 8 ? depth : 24;
  m_dwWidth = (DWORD)bm.bmWidth;
  m_dwHeight = (DWORD)bm.bmHeight;
  m_wColors = m_wBitsPerPixel == 1 ? (WORD)(1u << bm.bmPlanes) : ColorsOf(m_wBitsPerPixel);
  m_dwPadWidth = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth);
  if (!AllocBits((size_t)m_dwPadWidth * m_dwHeight) || !AllocHeader(kInfoSize + 4u * m_wColors)) {
    Empty();
    return FALSE;
  }
  FillHeader(1);
  ::GetDIBits(pDC->GetSafeHdc(), (HBITMAP)pBitmap->m_hObject, 0, m_dwHeight, m_lpSrcBits, m_lpBMI, DIB_RGB_COLORS);
  m_lpBMI->bmiHeader.biClrUsed = 0;
  CreatePalette();
  m_bIsPadded = TRUE;
  return TRUE;
}

CBitmap* SECImage::MakeBitmap(CDC* pDC) {
  if (!pDC || !m_lpSrcBits || !m_lpBMI) return nullptr;
  auto* bitmap = new CBitmap;
  CDC mem;
  if (!bitmap->CreateCompatibleBitmap(pDC, (int)m_dwWidth, (int)m_dwHeight) || !mem.CreateCompatibleDC(pDC)) {
    delete bitmap;
    return nullptr;
  }
  CBitmap* old = mem.SelectObject(bitmap);
  StretchDIBits(&mem, 0, 0, (int)m_dwWidth, (int)m_dwHeight, 0, 0, (int)m_dwWidth, (int)m_dwHeight, m_lpSrcBits, m_lpBMI,
                DIB_RGB_COLORS, SRCCOPY);
  mem.SelectObject(old);
  return bitmap;
}

CBitmap* SECImage::MakeBitmap(CDC* pDC, LPCSTR lpszFileName) {
  if (!LoadImage(lpszFileName) || !m_lpSrcBits || !m_lpBMI) return nullptr;
  // From the DIB itself: the rows are bottom-up and may hold colour-table indices.
  auto* bitmap = new CBitmap;
  if (!bitmap->Attach(::CreateDIBitmap(pDC ? pDC->GetSafeHdc() : nullptr, &m_lpBMI->bmiHeader, CBM_INIT, m_lpSrcBits,
                                       m_lpBMI, DIB_RGB_COLORS))) {
    delete bitmap;
    return nullptr;
  }
  return bitmap;
}

int SECImage::StretchDIBits(CDC* pDC, int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc, int cxSrc,
                            int cySrc, const void* lpBits, BITMAPINFO* lpBMI, UINT nColorUse, DWORD dwRop) {
  if (!pDC) return 0;
  if (!m_bHalftone)
    return pDC->StretchDIBits(xDest, yDest, cxDest, cyDest, xSrc, ySrc, cxSrc, cySrc, lpBits, lpBMI, nColorUse, dwRop);
  CPalette halftone;
  if (!halftone.CreateHalftonePalette(pDC)) return 0;
  CPalette* old = pDC->SelectPalette(&halftone, TRUE);
  pDC->RealizePalette();
  int oldMode = pDC->m_hAttribDC ? pDC->SetStretchBltMode(HALFTONE) : 0;
  int r = pDC->StretchDIBits(xDest, yDest, cxDest, cyDest, xSrc, ySrc, cxSrc, cySrc, lpBits, lpBMI, nColorUse, dwRop);
  if (pDC->m_hAttribDC) pDC->SetStretchBltMode(oldMode);
  pDC->SelectPalette(old, TRUE);
  return r;
}

// ---- Loading and saving -----------------------------------------------------------------------------------

BOOL SECImage::LoadImage(CFile* pFile) {
  m_pFile = pFile;
  return PreLoadImage() && DoLoadImage(pFile) && PostLoadImage();
}

BOOL SECImage::SaveImage(CFile* pFile) {
  m_pFile = pFile;
  return PreSaveImage() && DoSaveImage(pFile) && PostSaveImage();
}

BOOL SECImage::LoadImage(LPCSTR lpszFileName) {
  CFile* file = m_pFile;
  if (file) {
    if (!file->Open(lpszFileName, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
  } else {
    file = new CFile(lpszFileName, CFile::modeRead | CFile::shareDenyWrite);
    m_createdFiles.push_back(file);
  }
  BOOL ok = LoadImage(file);
  file->Close();
  return ok;
}

BOOL SECImage::SaveImage(LPCSTR lpszFileName) {
  // Written beside the old file, which stays as it was unless the new image is complete.
  CSaveBeside save(lpszFileName);
  CFile* file = m_pFile;
  const UINT mode = CFile::modeWrite;
  if (file) {
    if (!file->OpenBeside(save, lpszFileName, mode)) return FALSE;
  } else {
    file = new CFile;
    m_createdFiles.push_back(file);
    CFileException error;
    if (!file->OpenBeside(save, lpszFileName, mode, &error))
      AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
  }
  if (!SaveImage(file)) {
    file->Abort();
    return FALSE;
  }
  file->CommitBeside(save);
  return TRUE;
}

BOOL SECImage::PreLoadImage() {
  FreeHeader();
  return TRUE;
}

BOOL SECImage::PostLoadImage() {
  CreatePalette();
  m_dwPadWidth = CalcBytesPerLine(m_wBitsPerPixel, m_dwWidth);
  PadBits();
  m_bHalftone = m_wDisplayPaletteDepth != 0 && m_wDisplayPaletteDepth != m_wBitsPerPixel;
  if (!m_lpBMI) {
    if (!AllocHeader(kInfoSize + 4u * m_wColors)) return FALSE;
    FillHeader((WORD)m_wDisplayPlanes);
  }
  return TRUE;
}

BOOL SECImage::PreSaveImage() { return TRUE; }
BOOL SECImage::PostSaveImage() { return TRUE; }
BOOL SECImage::DoSaveImage(CFile*) { return FALSE; }
BOOL SECImage::DoLoadImage(CFile*) { return FALSE; }

void SECImage::OnCleanupAllocFiles() {
  for (CFile* f : m_createdFiles) {
    if (m_pFile == f) m_pFile = nullptr;
    delete f;
  }
  m_createdFiles.clear();
}

// ---- Bitmap file images -----------------------------------------------------------------------------------

template <class Reader>
BOOL SECImage::LoadDib(const BYTE fh[14], Reader read, ULONGLONG available) {
  Empty();
  const bool lengthUnknown = available == ~0ull;
  ULONGLONG offset = GetLE(fh + 10, 4);
  if (fh[0] != 'B' || fh[1] != 'M' || offset < 14 + kInfoSize || offset > 14 + kInfoSize + 4 * 256 + 1024) return FALSE;
  size_t headerBytes = (size_t)offset - 14;
  if (headerBytes > available || !AllocHeader(headerBytes + 1024)) return FALSE;
  available -= headerBytes;
  if (read(m_lpBMI, headerBytes) != headerBytes) return Empty(), FALSE;
  const BITMAPINFOHEADER& h = m_lpBMI->bmiHeader;
  UINT bpp = h.biBitCount;
  ULONGLONG row = ((ULONGLONG)bpp * (ULONGLONG)(h.biWidth > 0 ? h.biWidth : 0) + 31) / 32 * 4;
  ULONGLONG pixels = row * (ULONGLONG)(h.biHeight > 0 ? h.biHeight : 0);
  // A palette holds at most 2^bits entries.
  if (h.biSize < kInfoSize || h.biSize > headerBytes || !KnownDepth(bpp) || h.biWidth <= 0 || h.biHeight <= 0 ||
      (bpp <= 8 && h.biClrUsed > (1u << bpp)) ||
      (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) || headerBytes < h.biSize + 4ull * ColorsOf(bpp) ||
      pixels > kMaxPixelBytes || pixels > available || !ReadBits(read, (size_t)pixels, lengthUnknown))
    return Empty(), FALSE;
  m_wBitsPerPixel = bpp;
  m_dwWidth = (DWORD)h.biWidth;
  m_dwHeight = (DWORD)h.biHeight;
  m_wColors = ColorsOf(bpp);
  m_dwPadWidth = (DWORD)row;
  m_bIsPadded = TRUE;
  return TRUE;
}

// A source of unknown length (an archive) gets memory only as its bytes arrive: the block at most doubles
// what was read, so a header cannot claim more than the data fills.
template <class Reader>
BOOL SECImage::ReadBits(Reader read, size_t bytes, bool lengthUnknown) {
  size_t size = lengthUnknown ? std::min(bytes, kFirstBitsChunk) : bytes, have = 0;
  if (!AllocBits(size)) return FALSE;
  for (;;) {
    if (read(m_lpSrcBits + have, size - have) != size - have) return FALSE;
    have = size;
    if (have == bytes) return TRUE;
    size = have + std::min(bytes - have, have);
    ::GlobalUnlock(m_hImage);
    m_lpSrcBits = nullptr;
    if (!::GlobalReAlloc(m_hImage, size, GMEM_MOVEABLE)) return FALSE;
    m_lpSrcBits = static_cast<BYTE*>(::GlobalLock(m_hImage));
  }
}

BOOL SECImage::SECLoadDibArchive(CArchive& ar) {
  BYTE fh[14];
  auto read = [&ar](void* p, size_t n) -> size_t { return ar.Read(p, (UINT)n); };
  try {
    if (read(fh, 14) != 14) return Empty(), FALSE;
    return LoadDib(fh, read, ~0ull);
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  Empty();
  return FALSE;
}

BOOL SECImage::SECLoadDib(CFile* pFile) {
  if (!pFile) return FALSE;
  BYTE fh[14];
  auto read = [pFile](void* p, size_t n) -> size_t { return pFile->Read(p, (UINT)n); };
  try {
    ULONGLONG start = pFile->GetPosition(), length = pFile->GetLength();
    if (length < start + 14 || read(fh, 14) != 14) return FALSE;
    // The header ends at the pixel-data offset; the pixel data is what follows it.
    return LoadDib(fh, read, length - start - 14);
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  Empty();
  return FALSE;
}

void SECImage::Serialize(CArchive& ar) {
  if (!ar.IsStoring()) {
    SECLoadDibArchive(ar);
    CreatePalette();
    return;
  }
  PadBits();
  WORD colors = NumColors();
  DWORD table = 4u * colors;
  DWORD pixels = m_dwPadWidth * m_dwHeight;
  BYTE fh[14] = {'B', 'M'};
  PutLE(fh + 2, 14 + kInfoSize + table + pixels, 4);
  PutLE(fh + 10, 14 + kInfoSize + table, 4);
  ar.Write(fh, 14);
  BITMAPINFOHEADER h{};
  if (m_lpBMI) h = m_lpBMI->bmiHeader;
  h.biSizeImage = 0;
  BYTE info[kInfoSize];
  PutLE(info, kInfoSize, 4);
  PutLE(info + 4, (DWORD)h.biWidth, 4);
  PutLE(info + 8, (DWORD)h.biHeight, 4);
  PutLE(info + 12, h.biPlanes, 2);
  PutLE(info + 14, h.biBitCount, 2);
  PutLE(info + 16, h.biCompression, 4);
  PutLE(info + 20, 0, 4);
  PutLE(info + 24, (DWORD)h.biXPelsPerMeter, 4);
  PutLE(info + 28, (DWORD)h.biYPelsPerMeter, 4);
  PutLE(info + 32, h.biClrUsed, 4);
  PutLE(info + 36, h.biClrImportant, 4);
  ar.Write(info, kInfoSize);
  if (table) ar.Write(m_lpRGB, table);
  if (pixels && m_lpSrcBits) ar.Write(m_lpSrcBits, pixels);
}

// ---- Cache ------------------------------------------------------------------------------------------------

BOOL SECImage::InitCache(DWORD dwSize, int nMode) {
  FreeCache();
  if (!m_pFile || dwSize == 0) return FALSE;
  m_hCache = ::GlobalAlloc(GHND, dwSize);
  if (!m_hCache) return FALSE;
  m_dwCacheSize = dwSize;
  return nMode == 1 ? LoadCache() : TRUE;
}

BOOL SECImage::LoadCache() {
  if (!m_hCache || !m_pFile) return FALSE;
  auto* buf = static_cast<BYTE*>(::GlobalLock(m_hCache));
  m_dwCacheFill = m_pFile->Read(buf, m_dwCacheSize);
  m_dwCachePos = 0;
  ::GlobalUnlock(m_hCache);
  return m_dwCacheFill != 0;
}

DWORD SECImage::GetCache(void* lpDest, DWORD dwCount) {
  if (!m_pFile) return 0;
  if (!m_hCache) return m_pFile->Read(lpDest, dwCount);
  auto* out = static_cast<BYTE*>(lpDest);
  DWORD done = 0;
  while (done < dwCount) {
    if (m_dwCachePos >= m_dwCacheFill && !LoadCache()) break;
    auto* buf = static_cast<BYTE*>(::GlobalLock(m_hCache));
    DWORD n = std::min(dwCount - done, m_dwCacheFill - m_dwCachePos);
    memcpy(out + done, buf + m_dwCachePos, n);
    ::GlobalUnlock(m_hCache);
    m_dwCachePos += n;
    done += n;
  }
  return done;
}

DWORD SECImage::PutCache(const void* lpSrc, DWORD dwCount) {
  if (!m_pFile) return 0;
  if (!m_hCache) {
    m_pFile->Write(lpSrc, dwCount);
    return dwCount;
  }
  const auto* in = static_cast<const BYTE*>(lpSrc);
  DWORD done = 0;
  while (done < dwCount) {
    if (m_dwCacheFill >= m_dwCacheSize) FlushCache();
    auto* buf = static_cast<BYTE*>(::GlobalLock(m_hCache));
    DWORD n = std::min(dwCount - done, m_dwCacheSize - m_dwCacheFill);
    memcpy(buf + m_dwCacheFill, in + done, n);
    ::GlobalUnlock(m_hCache);
    m_dwCacheFill += n;
    done += n;
  }
  return dwCount;
}

BOOL SECImage::FlushCache() {
  if (!m_hCache || !m_pFile) return FALSE;
  if (m_dwCacheFill) {
    m_pFile->Write(::GlobalLock(m_hCache), m_dwCacheFill);
    ::GlobalUnlock(m_hCache);
  }
  m_dwCacheFill = 0;
  return TRUE;
}

void SECImage::FreeCache() {
  if (m_hCache) ::GlobalFree(m_hCache);
  m_hCache = nullptr;
  m_dwCacheSize = m_dwCacheFill = m_dwCachePos = 0;
}
