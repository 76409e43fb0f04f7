// Device contexts: CDC drawing with Cairo on image surfaces, PDF pages and metafile recorders, and its kin.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/SurfaceProvider.h"

#include <memory>
#include <string>
#include <vector>

// Receives a text line for every drawing call of a device context (see CRecordingDC).
class CDCRecorder {
 public:
  virtual ~CDCRecorder() = default;
  virtual void RecordCall(const CString& call) = 0;
};

class CDC {
 public:
  CDC();
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;        // output context
  HDC m_hAttribDC = nullptr;  // attribute context (queries)
  BOOL m_bPrinting = FALSE;

  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }
  static CDC* FromHandle(HDC h);

  // ---- Creation ----
  // "DISPLAY" (or null driver and device) makes a screen context; any other device a PDF printer context.
  BOOL CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData);
  BOOL CreateIC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* initData);
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();
  // Binds the context to a provider's surface.
  BOOL AttachSurface(CDrawSurfaceProvider* provider, DrawArea area = DrawArea::Client);
  // Attaching a handle shares that context's state: both objects draw on the same device.
  BOOL Attach(HDC h);
  HDC Detach();
  virtual void SetAttribDC(HDC h);
  virtual void SetOutputDC(HDC h);
  virtual void ReleaseAttribDC();
  virtual void ReleaseOutputDC();
  BOOL IsPrinting() const { return m_bPrinting; }

  // ---- State ----
  virtual int SaveDC();
  virtual BOOL RestoreDC(int saved);
  int GetDeviceCaps(int index) const;
  // Those of the device it draws on, not of the one it measures for (its attribute context): what
  // the raw call on its handle answers.
  int GetOutputDeviceCaps(int index) const;
  UINT SetBoundsRect(LPCRECT, UINT) { return 0; }

  CGdiObject* SelectStockObject(int index);
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  virtual CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  int SelectObject(CRgn* rgn);
  CGdiObject* SelectObject(CGdiObject* obj);
  HGDIOBJ SelectObject(HGDIOBJ obj);
  CPen* GetCurrentPen() const;
  CBrush* GetCurrentBrush() const;
  CFont* GetCurrentFont() const;
  CBitmap* GetCurrentBitmap() const;
  CPalette* GetCurrentPalette() const;
  CPalette* SelectPalette(CPalette* pal, BOOL forceBackground);
  UINT RealizePalette();
  void UpdateColors() {}

  COLORREF GetBkColor() const;
  virtual COLORREF SetBkColor(COLORREF c);
  int GetBkMode() const;
  int SetBkMode(int mode);
  COLORREF GetTextColor() const;
  virtual COLORREF SetTextColor(COLORREF c);
  int GetROP2() const;
  int SetROP2(int mode);
  int GetPolyFillMode() const;
  int SetPolyFillMode(int mode);
  int GetStretchBltMode() const;
  int SetStretchBltMode(int mode);
  UINT GetTextAlign() const;
  UINT SetTextAlign(UINT flags);
  int GetTextCharacterExtra() const;
  int SetTextCharacterExtra(int extra);
  CPoint GetBrushOrg() const;
  CPoint SetBrushOrg(int x, int y);
  CPoint SetBrushOrg(POINT p) { return SetBrushOrg(p.x, p.y); }
  COLORREF GetNearestColor(COLORREF c) const;
  COLORREF SetDCBrushColor(COLORREF c);
  COLORREF SetDCPenColor(COLORREF c);

  // ---- Coordinates ----
  int GetMapMode() const;
  virtual int SetMapMode(int mode);
  CPoint GetViewportOrg() const;
  virtual CPoint SetViewportOrg(int x, int y);
  CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
  virtual CPoint OffsetViewportOrg(int dx, int dy);
  CSize GetViewportExt() const;
  virtual CSize SetViewportExt(int cx, int cy);
  CSize SetViewportExt(SIZE s) { return SetViewportExt(s.cx, s.cy); }
  virtual CSize ScaleViewportExt(int xNum, int xDenom, int yNum, int yDenom);
  CPoint GetWindowOrg() const;
  virtual CPoint SetWindowOrg(int x, int y);
  CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
  virtual CPoint OffsetWindowOrg(int dx, int dy);
  CSize GetWindowExt() const;
  virtual CSize SetWindowExt(int cx, int cy);
  CSize SetWindowExt(SIZE s) { return SetWindowExt(s.cx, s.cy); }
  virtual CSize ScaleWindowExt(int xNum, int xDenom, int yNum, int yDenom);
  void DPtoLP(LPPOINT pts, int count = 1) const;
  void DPtoLP(LPRECT r) const;
  void DPtoLP(LPSIZE s) const;
  void LPtoDP(LPPOINT pts, int count = 1) const;
  void LPtoDP(LPRECT r) const;
  void LPtoDP(LPSIZE s) const;
  void DPtoHIMETRIC(LPSIZE s) const;
  void HIMETRICtoDP(LPSIZE s) const;
  void LPtoHIMETRIC(LPSIZE s) const;
  void HIMETRICtoLP(LPSIZE s) const;

  // ---- Clipping ----
  virtual int GetClipBox(LPRECT r) const;
  virtual int SelectClipRgn(CRgn* rgn);
  virtual int SelectClipRgn(CRgn* rgn, int mode);
  virtual int ExcludeClipRect(int l, int t, int r, int b);
  int ExcludeClipRect(LPCRECT r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
  virtual int IntersectClipRect(int l, int t, int r, int b);
  int IntersectClipRect(LPCRECT r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
  virtual int OffsetClipRgn(int dx, int dy);
  int OffsetClipRgn(SIZE s) { return OffsetClipRgn(s.cx, s.cy); }
  virtual BOOL PtVisible(int x, int y) const;
  BOOL PtVisible(POINT p) const { return PtVisible(p.x, p.y); }
  virtual BOOL RectVisible(LPCRECT r) const;
  int GetClipRgn(CRgn* rgn) const;  // 1 with a clip region, 0 without, -1 on error

  // ---- Lines ----
  CPoint GetCurrentPosition() const;
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  BOOL Polyline(const POINT* pts, int count);
  BOOL PolyPolyline(const POINT* pts, const DWORD* counts, int polyCount);
  BOOL PolylineTo(const POINT* pts, int count);
  BOOL PolyBezier(const POINT* pts, int count);
  BOOL Arc(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
  BOOL Arc(LPCRECT r, POINT start, POINT end) { return Arc(r->left, r->top, r->right, r->bottom, start.x, start.y, end.x, end.y); }

  // ---- Shapes ----
  BOOL Rectangle(int l, int t, int r, int b);
  BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  BOOL RoundRect(int l, int t, int r, int b, int w, int h);
  BOOL RoundRect(LPCRECT r, POINT p) { return RoundRect(r->left, r->top, r->right, r->bottom, p.x, p.y); }
  BOOL Ellipse(int l, int t, int r, int b);
  BOOL Ellipse(LPCRECT r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
  BOOL Pie(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
  BOOL Pie(LPCRECT r, POINT start, POINT end) { return Pie(r->left, r->top, r->right, r->bottom, start.x, start.y, end.x, end.y); }
  BOOL Chord(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
  BOOL Polygon(const POINT* pts, int count);
  BOOL PolyPolygon(const POINT* pts, const INT* counts, int polyCount);
  void FillRect(LPCRECT r, CBrush* brush);
  void FrameRect(LPCRECT r, CBrush* brush);
  void InvertRect(LPCRECT r);
  void DrawFocusRect(LPCRECT r);
  void FillSolidRect(LPCRECT r, COLORREF c);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
  void Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawEdge(LPRECT r, UINT edge, UINT flags);
  // The inverted frame of a rectangle being dragged (the last frame, when given, is inverted back first).
  void DrawDragRect(LPCRECT rect, SIZE size, LPCRECT lastRect, SIZE lastSize, CBrush* brush = nullptr,
                    CBrush* lastBrush = nullptr);
  // A 50% grey checker pattern brush.
  static CBrush* GetHalftoneBrush();
  BOOL FillRgn(CRgn* rgn, CBrush* brush);
  BOOL FrameRgn(CRgn* rgn, CBrush* brush, int w, int h);
  BOOL InvertRgn(CRgn* rgn);
  BOOL PaintRgn(CRgn* rgn);

  // ---- Pixels and bitmaps ----
  COLORREF SetPixel(int x, int y, COLORREF c);
  COLORREF SetPixel(POINT p, COLORREF c) { return SetPixel(p.x, p.y, c); }
  BOOL SetPixelV(int x, int y, COLORREF c) { return SetPixel(x, y, c) != CLR_INVALID; }
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }
  BOOL PatBlt(int x, int y, int w, int h, DWORD rop);
  BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, DWORD rop);
  BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop);
  int StretchDIBits(int x, int y, int w, int h, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                    const BITMAPINFO* info, UINT usage, DWORD rop);
  int SetDIBitsToDevice(int x, int y, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan, UINT scanLines,
                        const void* bits, const BITMAPINFO* info, UINT usage);

  // ---- Text ----
  virtual BOOL TextOut(int x, int y, LPCTSTR s, int n);
  BOOL TextOut(int x, int y, const CString& s) { return TextOut(x, y, s, s.GetLength()); }
  virtual BOOL ExtTextOut(int x, int y, UINT options, LPCRECT r, LPCTSTR s, UINT n, const int* dx);
  BOOL ExtTextOut(int x, int y, UINT options, LPCRECT r, const CString& s, const int* dx) {
    return ExtTextOut(x, y, options, r, s, (UINT)s.GetLength(), dx);
  }
  virtual CSize TabbedTextOut(int x, int y, LPCTSTR s, int n, int tabCount, const int* tabs, int tabOrigin);
  CSize TabbedTextOut(int x, int y, const CString& s, int tabCount, const int* tabs, int tabOrigin) {
    return TabbedTextOut(x, y, s, s.GetLength(), tabCount, tabs, tabOrigin);
  }
  virtual int DrawText(LPCTSTR s, int n, LPRECT r, UINT format);
  int DrawText(const CString& s, LPRECT r, UINT format) { return DrawText(s, s.GetLength(), r, format); }
  CSize GetTextExtent(LPCTSTR s, int n) const;
  CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }
  CSize GetOutputTextExtent(LPCTSTR s, int n) const { return GetTextExtent(s, n); }
  CSize GetOutputTextExtent(const CString& s) const { return GetTextExtent(s); }
  CSize GetTabbedTextExtent(LPCTSTR s, int n, int tabCount, const int* tabs) const;
  CSize GetTabbedTextExtent(const CString& s, int tabCount, const int* tabs) const {
    return GetTabbedTextExtent(s, s.GetLength(), tabCount, tabs);
  }
  BOOL GetTextExtentExPoint(LPCTSTR s, int n, int maxExtent, int* fit, int* dx, LPSIZE size) const;
  BOOL GetTextMetrics(LPTEXTMETRIC tm) const;
  BOOL GetOutputTextMetrics(LPTEXTMETRIC tm) const { return GetTextMetrics(tm); }
  int GetTextFace(int count, LPTSTR face) const;
  int GetTextFace(CString& face) const;
  BOOL GetCharWidth(UINT first, UINT last, LPINT widths) const;
  virtual BOOL GrayString(CBrush* brush, GRAYSTRINGPROC output, LPARAM data, int count, int x, int y, int w, int h);

  // ---- Printing ----
  int StartDoc(LPCTSTR docName);
  int StartDoc(const DOCINFO* info);
  int StartPage();
  int EndPage();
  int EndDoc();
  int AbortDoc();
  int SetAbortProc(ABORTPROC proc);
  // The PDF file the printer context's current or last document went to, or was refused by.
  CString GetPrintFileName() const;

  // ---- Layer extensions ----
  // The surface of an image-backed context and the surface position of its device (0, 0).
  cairo_surface_t* GetCairoSurface() const;
  POINT GetSurfaceOrigin() const;
  void SetRecorder(CDCRecorder* rec) { m_recorder = rec; }
  CDCRecorder* GetRecorder() const { return m_recorder; }

 protected:
  // Binds to a provider's area (paint, client and window contexts).
  BOOL BindProvider(CDrawSurfaceProvider* provider, DrawArea area);
  void UnbindProvider();
  CDrawSurfaceProvider* m_provider = nullptr;
  DrawArea m_area = DrawArea::Client;

 public:
  struct Impl;
  Impl* GetImpl() const { return m_impl.get(); }

 private:
  CDC* Attrib() const;
  std::shared_ptr<Impl> m_impl;
  CDC* m_alias = nullptr;     // the context whose handle is attached
  bool m_heapOwned = false;   // made by the handle functions, deleted by DeleteDC(HDC)
  CDCRecorder* m_recorder = nullptr;
  friend HDC NewHandleDC(CDC* dc);
  friend BOOL DeleteDC(HDC dc);
};

// A context on a window's client area during painting.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CDrawSurfaceProvider* provider);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};
};

// A context on a window's client area.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CDrawSurfaceProvider* provider);
  ~CClientDC() override;
};

// A context on a whole window, frame included.
class CWindowDC : public CDC {
 public:
  explicit CWindowDC(CDrawSurfaceProvider* provider);
  ~CWindowDC() override;
};

// ---- Handle functions over contexts ----
HDC CreateCompatibleDC(HDC dc);
HDC CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODE* dm);
HDC CreateIC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODE* dm);
BOOL DeleteDC(HDC dc);
int GetDeviceCaps(HDC dc, int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int GetClipBox(HDC dc, LPRECT r);
int GetClipRgn(HDC dc, HRGN rgn);
int IntersectClipRect(HDC dc, int l, int t, int r, int b);
int ExcludeClipRect(HDC dc, int l, int t, int r, int b);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF SetBkColor(HDC dc, COLORREF c);
int SetBkMode(HDC dc, int mode);
int SetROP2(HDC dc, int mode);
int SetMapMode(HDC dc, int mode);
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old);
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old);
BOOL SetViewportExtEx(HDC dc, int cx, int cy, LPSIZE old);
BOOL SetWindowExtEx(HDC dc, int cx, int cy, LPSIZE old);
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT old);
BOOL DPtoLP(HDC dc, LPPOINT pts, int count);
BOOL LPtoDP(HDC dc, LPPOINT pts, int count);
int FillRect(HDC dc, LPCRECT r, HBRUSH brush);
int FrameRect(HDC dc, LPCRECT r, HBRUSH brush);
BOOL InvertRect(HDC dc, LPCRECT r);
BOOL DrawFocusRect(HDC dc, LPCRECT r);
BOOL DrawEdge(HDC dc, LPRECT r, UINT edge, UINT flags);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h);
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old);
BOOL LineTo(HDC dc, int x, int y);
BOOL Rectangle(HDC dc, int l, int t, int r, int b);
BOOL Ellipse(HDC dc, int l, int t, int r, int b);
BOOL Polygon(HDC dc, const POINT* pts, int count);
BOOL Polyline(HDC dc, const POINT* pts, int count);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC dc, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dc, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop);
int StretchDIBits(HDC dc, int x, int y, int w, int h, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop);
int GetDIBits(HDC dc, HBITMAP bm, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bm, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
BOOL TextOut(HDC dc, int x, int y, LPCSTR s, int n);
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, LPCRECT r, LPCSTR s, UINT n, const int* dx);
int DrawText(HDC dc, LPCSTR s, int n, LPRECT r, UINT format);
BOOL GetTextExtentPoint32(HDC dc, LPCSTR s, int n, LPSIZE size);
BOOL GetTextMetrics(HDC dc, LPTEXTMETRIC tm);
typedef int (*FONTENUMPROC)(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD fontType, LPARAM lParam);
// Calls `proc` once for each font family of the drawing layer's font configuration (only for
// `family` when one is named), in name order; stops when `proc` returns 0 and returns its last result.
int EnumFontFamilies(HDC dc, LPCSTR family, FONTENUMPROC proc, LPARAM lParam);
UINT SetTextAlign(HDC dc, UINT flags);
HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground);
UINT RealizePalette(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);
int StartDoc(HDC dc, const DOCINFO* info);
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
int AbortDoc(HDC dc);
int SetAbortProc(HDC dc, ABORTPROC proc);
