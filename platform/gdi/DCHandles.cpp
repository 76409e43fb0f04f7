// The handle-based drawing functions, PNG snapshots and small wrappers that need a device context.
#include "platform/gdi/DCImpl.h"
#include "platform/gdi/Image.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

using namespace gdi;

namespace {
CDC* DC(HDC h) { return CDC::FromHandle(h); }
}  // namespace

HDC NewHandleDC(CDC* dc) {
  dc->m_heapOwned = true;
  return dc->GetSafeHdc();
}

HDC CreateCompatibleDC(HDC dc) {
  CDC* d = new CDC;
  d->CreateCompatibleDC(DC(dc));
  return NewHandleDC(d);
}
HDC CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODE* dm) {
  CDC* d = new CDC;
  if (!d->CreateDC(driver, device, output, dm)) { delete d; return nullptr; }
  return NewHandleDC(d);
}
HDC CreateIC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODE* dm) {
  CDC* d = new CDC;
  if (!d->CreateIC(driver, device, output, dm)) { delete d; return nullptr; }
  return NewHandleDC(d);
}
BOOL DeleteDC(HDC dc) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  // Contexts made by the handle functions go with their handle; others only release their device.
  if (d->m_heapOwned) delete d;
  else d->DeleteDC();
  return TRUE;
}
int GetDeviceCaps(HDC dc, int index) { CDC* d = DC(dc); return d ? d->GetOutputDeviceCaps(index) : 0; }
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) { CDC* d = DC(dc); return d ? d->SelectObject(obj) : nullptr; }
HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  CDC* d = DC(dc);
  if (!d) return nullptr;
  const DCState& s = d->GetImpl()->s;
  switch (type) {
    case OBJ_PEN: return s.hPen;
    case OBJ_BRUSH: return s.hBrush;
    case OBJ_FONT: return s.hFont;
    case OBJ_BITMAP: return s.hBitmap;
    case OBJ_PAL: return s.hPal;
    default: return nullptr;
  }
}
int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
  CDC* d = DC(dc);
  if (!d) return ERROR;
  return d->SelectClipRgn(rgn ? CRgn::FromHandle(rgn) : nullptr, mode);
}
int GetClipBox(HDC dc, LPRECT r) { CDC* d = DC(dc); return d ? d->GetClipBox(r) : ERROR; }
int GetClipRgn(HDC dc, HRGN rgn) { CDC* d = DC(dc); return d ? d->GetClipRgn(CRgn::FromHandle(rgn)) : -1; }
int IntersectClipRect(HDC dc, int l, int t, int r, int b) { CDC* d = DC(dc); return d ? d->IntersectClipRect(l, t, r, b) : ERROR; }
int ExcludeClipRect(HDC dc, int l, int t, int r, int b) { CDC* d = DC(dc); return d ? d->ExcludeClipRect(l, t, r, b) : ERROR; }
int SaveDC(HDC dc) { CDC* d = DC(dc); return d ? d->SaveDC() : 0; }
BOOL RestoreDC(HDC dc, int saved) { CDC* d = DC(dc); return d ? d->RestoreDC(saved) : FALSE; }
COLORREF SetTextColor(HDC dc, COLORREF c) { CDC* d = DC(dc); return d ? d->SetTextColor(c) : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF c) { CDC* d = DC(dc); return d ? d->SetBkColor(c) : CLR_INVALID; }
int SetBkMode(HDC dc, int mode) { CDC* d = DC(dc); return d ? d->SetBkMode(mode) : 0; }
int SetROP2(HDC dc, int mode) { CDC* d = DC(dc); return d ? d->SetROP2(mode) : 0; }
int SetMapMode(HDC dc, int mode) { CDC* d = DC(dc); return d ? d->SetMapMode(mode) : 0; }
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CPoint o = d->SetViewportOrg(x, y);
  if (old) *old = o;
  return TRUE;
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CPoint o = d->SetWindowOrg(x, y);
  if (old) *old = o;
  return TRUE;
}
BOOL SetViewportExtEx(HDC dc, int cx, int cy, LPSIZE old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CSize o = d->SetViewportExt(cx, cy);
  if (old) *old = o;
  return o.cx != 0;
}
BOOL SetWindowExtEx(HDC dc, int cx, int cy, LPSIZE old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CSize o = d->SetWindowExt(cx, cy);
  if (old) *old = o;
  return o.cx != 0;
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CPoint o = d->SetBrushOrg(x, y);
  if (old) *old = o;
  return TRUE;
}
BOOL DPtoLP(HDC dc, LPPOINT pts, int count) { CDC* d = DC(dc); if (!d) return FALSE; d->DPtoLP(pts, count); return TRUE; }
BOOL LPtoDP(HDC dc, LPPOINT pts, int count) { CDC* d = DC(dc); if (!d) return FALSE; d->LPtoDP(pts, count); return TRUE; }
int FillRect(HDC dc, LPCRECT r, HBRUSH brush) {
  CDC* d = DC(dc);
  if (!d || !r || !brush) return 0;
  uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= 31) brush = GetSysColorBrush((int)v - 1);
  CBrush* b = CBrush::FromHandle(brush);
  if (!b) return 0;
  d->FillRect(r, b);
  return 1;
}
int FrameRect(HDC dc, LPCRECT r, HBRUSH brush) {
  CDC* d = DC(dc);
  CBrush* b = CBrush::FromHandle(brush);
  if (!d || !r || !b) return 0;
  d->FrameRect(r, b);
  return 1;
}
BOOL InvertRect(HDC dc, LPCRECT r) { CDC* d = DC(dc); if (!d || !r) return FALSE; d->InvertRect(r); return TRUE; }
BOOL DrawFocusRect(HDC dc, LPCRECT r) { CDC* d = DC(dc); if (!d || !r) return FALSE; d->DrawFocusRect(r); return TRUE; }
BOOL DrawEdge(HDC dc, LPRECT r, UINT edge, UINT flags) { CDC* d = DC(dc); return d ? d->DrawEdge(r, edge, flags) : FALSE; }
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  CDC* d = DC(dc);
  return d ? d->FillRgn(CRgn::FromHandle(rgn), CBrush::FromHandle(brush)) : FALSE;
}
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h) {
  CDC* d = DC(dc);
  return d ? d->FrameRgn(CRgn::FromHandle(rgn), CBrush::FromHandle(brush), w, h) : FALSE;
}
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old) {
  CDC* d = DC(dc);
  if (!d) return FALSE;
  CPoint o = d->MoveTo(x, y);
  if (old) *old = o;
  return TRUE;
}
BOOL LineTo(HDC dc, int x, int y) { CDC* d = DC(dc); return d ? d->LineTo(x, y) : FALSE; }
BOOL Rectangle(HDC dc, int l, int t, int r, int b) { CDC* d = DC(dc); return d ? d->Rectangle(l, t, r, b) : FALSE; }
BOOL Ellipse(HDC dc, int l, int t, int r, int b) { CDC* d = DC(dc); return d ? d->Ellipse(l, t, r, b) : FALSE; }
BOOL Polygon(HDC dc, const POINT* pts, int count) { CDC* d = DC(dc); return d ? d->Polygon(pts, count) : FALSE; }
BOOL Polyline(HDC dc, const POINT* pts, int count) { CDC* d = DC(dc); return d ? d->Polyline(pts, count) : FALSE; }
COLORREF SetPixel(HDC dc, int x, int y, COLORREF c) { CDC* d = DC(dc); return d ? d->SetPixel(x, y, c) : CLR_INVALID; }
COLORREF GetPixel(HDC dc, int x, int y) { CDC* d = DC(dc); return d ? d->GetPixel(x, y) : CLR_INVALID; }
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) { CDC* d = DC(dc); return d ? d->PatBlt(x, y, w, h, rop) : FALSE; }
BOOL BitBlt(HDC dc, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop) {
  CDC* d = DC(dc);
  return d ? d->BitBlt(x, y, w, h, DC(src), xSrc, ySrc, rop) : FALSE;
}
BOOL StretchBlt(HDC dc, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  CDC* d = DC(dc);
  return d ? d->StretchBlt(x, y, w, h, DC(src), xSrc, ySrc, wSrc, hSrc, rop) : FALSE;
}
int StretchDIBits(HDC dc, int x, int y, int w, int h, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
  CDC* d = DC(dc);
  return d ? d->StretchDIBits(x, y, w, h, xSrc, ySrc, wSrc, hSrc, bits, info, usage, rop) : 0;
}
BOOL TextOut(HDC dc, int x, int y, LPCSTR s, int n) { CDC* d = DC(dc); return d ? d->TextOut(x, y, s, n) : FALSE; }
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, LPCRECT r, LPCSTR s, UINT n, const int* dx) {
  CDC* d = DC(dc);
  return d ? d->ExtTextOut(x, y, options, r, s, n, dx) : FALSE;
}
int DrawText(HDC dc, LPCSTR s, int n, LPRECT r, UINT format) { CDC* d = DC(dc); return d ? d->DrawText(s, n, r, format) : 0; }
BOOL GetTextExtentPoint32(HDC dc, LPCSTR s, int n, LPSIZE size) {
  CDC* d = DC(dc);
  if (!d || !size) return FALSE;
  *size = d->GetTextExtent(s, n);
  return TRUE;
}
BOOL GetTextMetrics(HDC dc, LPTEXTMETRIC tm) { CDC* d = DC(dc); return d ? d->GetTextMetrics(tm) : FALSE; }
UINT SetTextAlign(HDC dc, UINT flags) { CDC* d = DC(dc); return d ? d->SetTextAlign(flags) : GDI_ERROR; }
HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground) {
  CDC* d = DC(dc);
  if (!d) return nullptr;
  CPalette* old = d->SelectPalette(CPalette::FromHandle(pal), forceBackground);
  return old ? static_cast<HPALETTE>(old->m_hObject) : nullptr;
}
UINT RealizePalette(HDC dc) { CDC* d = DC(dc); return d ? d->RealizePalette() : GDI_ERROR; }
int SetStretchBltMode(HDC dc, int mode) { CDC* d = DC(dc); return d ? d->SetStretchBltMode(mode) : 0; }
int StartDoc(HDC dc, const DOCINFO* info) { CDC* d = DC(dc); return d ? d->StartDoc(info) : SP_ERROR; }
int StartPage(HDC dc) { CDC* d = DC(dc); return d ? d->StartPage() : SP_ERROR; }
int EndPage(HDC dc) { CDC* d = DC(dc); return d ? d->EndPage() : SP_ERROR; }
int EndDoc(HDC dc) { CDC* d = DC(dc); return d ? d->EndDoc() : SP_ERROR; }
int AbortDoc(HDC dc) { CDC* d = DC(dc); return d ? d->AbortDoc() : SP_ERROR; }
int SetAbortProc(HDC dc, ABORTPROC proc) { CDC* d = DC(dc); return d ? d->SetAbortProc(proc) : SP_ERROR; }

// ---- Wrappers needing a context ----

BOOL CFont::CreatePointFont(int pointSize, LPCSTR face, CDC* dc) {
  LOGFONT lf{};
  lf.lfHeight = pointSize;
  lf.lfCharSet = DEFAULT_CHARSET;
  if (face) {
    size_t n = std::min<size_t>(std::char_traits<char>::length(face), LF_FACESIZE - 1);
    std::copy(face, face + n, lf.lfFaceName);
  }
  return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* lf, CDC* dc) {
  if (!lf) return FALSE;
  LOGFONT l = *lf;
  int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
  // Tenths of a point to device pixels, then to the context's logical units.
  POINT p{0, MulDiv(dpi, l.lfHeight, 720)};
  POINT o{0, 0};
  if (dc) {
    dc->DPtoLP(&p);
    dc->DPtoLP(&o);
  }
  l.lfHeight = -std::abs(p.y - o.y);
  return CreateFontIndirect(&l);
}

BOOL CPalette::CreateHalftonePalette(CDC* dc) {
  return Attach(::CreateHalftonePalette(dc ? dc->GetSafeHdc() : nullptr));
}

// ---- PNG snapshots ----

namespace gdi {

cairo_status_t CairoFileOut::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<CairoFileOut*>(closure);
  if (out->error) return CAIRO_STATUS_WRITE_ERROR;
  errno = 0;
  if (std::fwrite(data, 1, length, out->file) == length) return CAIRO_STATUS_SUCCESS;
  out->error = errno ? errno : EIO;
  return CAIRO_STATUS_WRITE_ERROR;
}

bool CairoFileOut::Close(bool finished) {
  // A write the stream buffered may fail only now, and one that failed earlier leaves the buffer
  // empty, so that closing alone would answer success.
  errno = 0;
  if (!error && (std::fflush(file) != 0 || std::ferror(file))) error = errno ? errno : EIO;
  if (std::fclose(file) != 0 && !error) error = errno ? errno : EIO;
  file = nullptr;
  if (!error && !finished) error = EIO;
  if (error) SetLastErrorFromErrno(error);
  return !error;
}

}  // namespace gdi

BOOL SaveImage(cairo_surface_t* surface, LPCSTR path) {
  if (!surface || !path || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return FALSE;
  cairo_surface_flush(surface);
  // Written beside the old picture, which it replaces only once complete, and only through the
  // descriptor that made the temporary file: its name is never opened again.
  CSaveBeside save(path);
  gdi::CairoFileOut out{save.GetTempName().IsEmpty() ? nullptr : save.OpenStream(), 0};
  if (!out.file) {
    const int err = errno;
    save.Discard();
    SetLastErrorFromErrno(err ? err : ENOENT);
    return FALSE;
  }
  const bool png = cairo_surface_write_to_png_stream(surface, gdi::CairoFileOut::Write, &out) == CAIRO_STATUS_SUCCESS;
  if (!out.Close(png)) {
    save.Discard();
    return FALSE;
  }
  return save.Commit();
}

BOOL SaveImage(CDC* dc, LPCSTR path) {
  if (!dc || !path) return FALSE;
  CDC::Impl& d = *dc->GetImpl();
  if (!d.raster || !d.surface) return FALSE;
  RECT b = d.vis.Bounds();
  int w = b.right - b.left, h = b.bottom - b.top;
  if (w <= 0 || h <= 0) return FALSE;
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, d.surface, -(b.left + d.origin.x), -(b.top + d.origin.y));
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  BOOL ok = SaveImage(out, path);
  cairo_surface_destroy(out);
  return ok;
}

BOOL SaveImage(CBitmap* bitmap, LPCSTR path) {
  if (!bitmap) return FALSE;
  auto bm = gdi::Lookup<BitmapObj>(bitmap->m_hObject);
  return bm ? SaveImage(bm->surf, path) : FALSE;
}

BOOL SaveImage(CDrawSurfaceProvider* provider, LPCSTR path) {
  return provider ? SaveImage(provider->GetDrawSurface(), path) : FALSE;
}
