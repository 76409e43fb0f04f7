// Drawing objects (pens, brushes, fonts, bitmaps, palettes, regions): handle functions and their wrapper classes.
#pragma once

#include "platform/gdi/GdiDefs.h"

#include <vector>

class CDC;

// ---- Handle functions -----------------------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* lb, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HBRUSH CreateDIBPatternBrushPt(const void* packedDib, UINT usage);
HFONT CreateFontIndirect(const LOGFONT* lf);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face);
// Monochrome when planes * bitsPerPixel is 1; rows of `bits` are padded to 16 bits as bitmaps are.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bm);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
LONG GetBitmapBits(HBITMAP bm, LONG count, void* bits);
LONG SetBitmapBits(HBITMAP bm, DWORD count, const void* bits);
HRGN CreateRectRgn(int l, int t, int r, int b);
HRGN CreateRectRgnIndirect(LPCRECT r);
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polyCount, int fillMode);
HRGN CreateEllipticRgn(int l, int t, int r, int b);
HRGN CreateRoundRectRgn(int l, int t, int r, int b, int w, int h);
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b);
int OffsetRgn(HRGN rgn, int dx, int dy);
int GetRgnBox(HRGN rgn, LPRECT r);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, LPCRECT r);
BOOL EqualRgn(HRGN a, HRGN b);
DWORD GetRegionData(HRGN rgn, DWORD count, RGNDATA* data);
HPALETTE CreatePalette(const LOGPALETTE* lp);
HPALETTE CreateHalftonePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* entries);
UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* entries);
UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color);
BOOL ResizePalette(HPALETTE pal, UINT count);
BOOL DeleteObject(HGDIOBJ obj);
int GetObject(HGDIOBJ obj, int size, void* out);
DWORD GetObjectType(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
BOOL UnrealizeObject(HGDIOBJ obj);

// Bitmap resources: the resource chain installs a finder that returns a bitmap resource's bytes (a PNG file,
// a BMP file or a packed DIB) by numeric id, or by name when `name` is not null.
typedef bool (*BitmapResourceFinder)(UINT id, LPCSTR name, std::vector<BYTE>& bytes);
void SetBitmapResourceFinder(BitmapResourceFinder finder);
// A colour bitmap from PNG, BMP-file or packed-DIB bytes; null when they are none of these.
HBITMAP CreateBitmapFromBytes(const BYTE* bytes, size_t size);
// Replaces the standard greys of button images by the current 3-D colours (black, dark grey, grey, light
// grey and white become COLOR_BTNTEXT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DLIGHT, COLOR_3DHILIGHT).
void MapBitmap3DColors(HBITMAP bitmap);

// System colours and metrics of the layer's standard desktop.
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
BOOL SetSysColors(int count, const INT* indices, const COLORREF* colors);
int GetSystemMetrics(int index);
// Sets the value GetSystemMetrics answers for one index (tests of other desktops); reset drops them all.
void SetSystemMetricsValue(int index, int value);
void ResetSystemMetricsValues();
// The display depth GetDeviceCaps reports for screen contexts: 32 (true colour, default) or 8 (palette).
void SetDisplayBitsPerPixel(int bits);
int GetDisplayBitsPerPixel();

// ---- Wrapper classes ------------------------------------------------------------------------------
class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ m_hObject = nullptr;

  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ GetSafeHandle() const { return this ? m_hObject : nullptr; }
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int size, void* out) const { return ::GetObject(m_hObject, size, out); }
  UINT GetObjectType() const { return (UINT)::GetObjectType(m_hObject); }
  BOOL CreateStockObject(int index);
  BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }
  // The wrapper of a handle: its owning object when one is attached, else a temporary wrapper kept
  // until the handle is deleted.
  static CGdiObject* FromHandle(HGDIOBJ h);
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  CPen(int style, int width, const LOGBRUSH* lb, int styleCount = 0, const DWORD* styles = nullptr) {
    CreatePen(style, width, lb, styleCount, styles);
  }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
  BOOL CreatePen(int style, int width, const LOGBRUSH* lb, int styleCount = 0, const DWORD* styles = nullptr) {
    return Attach(::ExtCreatePen((DWORD)style, (DWORD)width, lb, (DWORD)styleCount, styles));
  }
  BOOL CreatePenIndirect(LOGPEN* lp) { return Attach(::CreatePenIndirect(lp)); }
  int GetLogPen(LOGPEN* lp) const { return ::GetObject(m_hObject, sizeof(LOGPEN), lp); }
  int GetExtLogPen(EXTLOGPEN* lp) const { return ::GetObject(m_hObject, sizeof(EXTLOGPEN), lp); }
  static CPen* FromHandle(HPEN h) { return static_cast<CPen*>(CGdiObject::FromHandle(h)); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
  explicit CBrush(class CBitmap* bitmap) { CreatePatternBrush(bitmap); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  BOOL CreateHatchBrush(int hatch, COLORREF color) { return Attach(::CreateHatchBrush(hatch, color)); }
  BOOL CreateBrushIndirect(const LOGBRUSH* lb) { return Attach(::CreateBrushIndirect(lb)); }
  BOOL CreatePatternBrush(class CBitmap* bitmap);
  BOOL CreateDIBPatternBrush(const void* packedDib, UINT usage) { return Attach(::CreateDIBPatternBrushPt(packedDib, usage)); }
  BOOL CreateSysColorBrush(int index) { return Attach(::GetSysColorBrush(index)); }
  int GetLogBrush(LOGBRUSH* lb) const { return ::GetObject(m_hObject, sizeof(LOGBRUSH), lb); }
  static CBrush* FromHandle(HBRUSH h) { return static_cast<CBrush*>(CGdiObject::FromHandle(h)); }
};

class CFont : public CGdiObject {
 public:
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  BOOL CreateFontIndirect(const LOGFONT* lf) { return Attach(::CreateFontIndirect(lf)); }
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, LPCSTR face) {
    return Attach(::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                               outPrecision, clipPrecision, quality, pitchAndFamily, face));
  }
  // Height in tenths of a point, for the given DC (the screen when null).
  BOOL CreatePointFont(int pointSize, LPCSTR face, CDC* dc = nullptr);
  BOOL CreatePointFontIndirect(const LOGFONT* lf, CDC* dc = nullptr);
  int GetLogFont(LOGFONT* lf) const { return ::GetObject(m_hObject, sizeof(LOGFONT), lf); }
  static CFont* FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
};

class CBitmap : public CGdiObject {
 public:
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  BOOL CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits) {
    return Attach(::CreateBitmap(w, h, planes, bpp, bits));
  }
  BOOL CreateBitmapIndirect(BITMAP* bm) { return Attach(::CreateBitmapIndirect(bm)); }
  BOOL CreateCompatibleBitmap(CDC* dc, int w, int h);
  BOOL CreateDiscardableBitmap(CDC* dc, int w, int h) { return CreateCompatibleBitmap(dc, w, h); }
  int GetBitmap(BITMAP* bm) const { return ::GetObject(m_hObject, sizeof(BITMAP), bm); }
  // From the bitmap resources (see SetBitmapResourceFinder).
  BOOL LoadBitmap(UINT id);
  BOOL LoadBitmap(LPCSTR name);
  BOOL LoadMappedBitmap(UINT id);
  DWORD GetBitmapBits(DWORD count, void* bits) const { return (DWORD)::GetBitmapBits(*this, (LONG)count, bits); }
  DWORD SetBitmapBits(DWORD count, const void* bits) { return (DWORD)::SetBitmapBits(*this, count, bits); }
  static CBitmap* FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
};

class CPalette : public CGdiObject {
 public:
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
  BOOL CreatePalette(LPLOGPALETTE lp) { return Attach(::CreatePalette(lp)); }
  BOOL CreateHalftonePalette(CDC* dc);
  int GetEntryCount() const;
  UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* e) const { return ::GetPaletteEntries(*this, start, count, e); }
  UINT SetPaletteEntries(UINT start, UINT count, const PALETTEENTRY* e) { return ::SetPaletteEntries(*this, start, count, e); }
  UINT GetNearestPaletteIndex(COLORREF c) const { return ::GetNearestPaletteIndex(*this, c); }
  BOOL ResizePalette(UINT n) { return ::ResizePalette(*this, n); }
  static CPalette* FromHandle(HPALETTE h) { return static_cast<CPalette*>(CGdiObject::FromHandle(h)); }
};

class CRgn : public CGdiObject {
 public:
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
  BOOL CreateRectRgnIndirect(LPCRECT r) { return Attach(::CreateRectRgnIndirect(r)); }
  BOOL CreatePolygonRgn(const POINT* pts, int n, int mode) { return Attach(::CreatePolygonRgn(pts, n, mode)); }
  BOOL CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int n, int mode) {
    return Attach(::CreatePolyPolygonRgn(pts, counts, n, mode));
  }
  BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
  BOOL CreateEllipticRgnIndirect(LPCRECT r) { return CreateEllipticRgn(r->left, r->top, r->right, r->bottom); }
  BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) { return Attach(::CreateRoundRectRgn(l, t, r, b, w, h)); }
  int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
    return ::CombineRgn(*this, a ? (HRGN)*a : nullptr, b ? (HRGN)*b : nullptr, mode);
  }
  int CopyRgn(const CRgn* src) { return ::CombineRgn(*this, src ? (HRGN)*src : nullptr, nullptr, RGN_COPY); }
  BOOL EqualRgn(const CRgn* o) const { return ::EqualRgn(*this, o ? (HRGN)*o : nullptr); }
  int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
  int OffsetRgn(POINT p) { return ::OffsetRgn(*this, p.x, p.y); }
  int GetRgnBox(LPRECT r) const { return ::GetRgnBox(*this, r); }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
  BOOL PtInRegion(POINT p) const { return ::PtInRegion(*this, p.x, p.y); }
  BOOL RectInRegion(LPCRECT r) const { return ::RectInRegion(*this, r); }
  void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn(*this, l, t, r, b); }
  void SetRectRgn(LPCRECT r) { ::SetRectRgn(*this, r->left, r->top, r->right, r->bottom); }
  int GetRegionData(RGNDATA* d, int count) const { return (int)::GetRegionData(*this, (DWORD)count, d); }
  static CRgn* FromHandle(HRGN h) { return static_cast<CRgn*>(CGdiObject::FromHandle(h)); }
};
