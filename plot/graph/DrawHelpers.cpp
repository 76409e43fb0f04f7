#include "plot/graph/DrawHelpers.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/PackedDib.h"
#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <cstring>

void Draw3dFrame(CDC* dc, RECT r, int w, int flags) {
  CPen hi(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  CPen text(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  CPen face(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  CPen* old = dc->SelectObject(&text);
  if (flags & 4) {
    CRect f(r);
    f.NormalizeRect();
    CBrush brush(GetSysColor(COLOR_BTNFACE));
    CBrush* oldBrush = dc->SelectObject(&brush);
    dc->SelectObject((flags & 2) ? &text : &face);
    dc->Rectangle(&f);
    dc->SelectObject(oldBrush);
  } else if (flags & 2) {
    dc->MoveTo(r.left, r.top);
    dc->LineTo(r.left, r.bottom);
    dc->LineTo(r.right, r.bottom);
    dc->LineTo(r.right, r.top);
    dc->LineTo(r.left, r.top);
  }
  bool sunken = (flags & 1) != 0;
  dc->SelectObject(sunken ? &shadow : &hi);
  for (int i = 0; i < w; ++i) {
    dc->MoveTo(r.left + 1 + i, r.top + 1);
    dc->LineTo(r.left + 1 + i, r.bottom - i - 3);
    dc->MoveTo(r.left + 1, r.top + 1 + i);
    dc->LineTo(r.right - i - 3, r.top + 1 + i);
  }
  dc->SelectObject(sunken ? &hi : &shadow);
  for (int i = 0; i < w; ++i) {
    dc->MoveTo(r.right - i - 2, r.top + 1 + i);
    dc->LineTo(r.right - i - 2, r.bottom - 1);
    dc->MoveTo(r.left + 1 + i, r.bottom - i - 2);
    dc->LineTo(r.right - 1, r.bottom - i - 2);
  }
  if (sunken) {
    dc->SelectObject(&text);
    dc->MoveTo(r.left + 1 + w, r.top + 1 + w);
    dc->LineTo(r.left + 1 + w, r.bottom - w - 1);
    dc->MoveTo(r.left + 1 + w, r.top + 1 + w);
    dc->LineTo(r.right - w - 2, r.top + 1 + w);
  }
  dc->SelectObject(old);
}

void FitRectToAspect(LPRECT r, int cx, int cy) {
  // No ratio to fit to (an empty bitmap): the rectangle stays.
  if (!r || cx == 0 || cy == 0) return;
  double ratio = (double)cx / cy;
  int W = r->right - r->left, H = r->bottom - r->top;
  // W / H > ratio, with no height counting as infinitely wide.
  bool wider = H == 0 ? W > 0 : (double)W / H > ratio;
  if (wider) {
    r->right = r->left + (int)(H * ratio);
  } else {
    int d = (H - (int)(W / ratio)) / 2;
    r->top += d;
    r->bottom -= d;
  }
}

namespace {

const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

DWORD Be32(const BYTE* p) { return (DWORD)p[0] << 24 | (DWORD)p[1] << 16 | (DWORD)p[2] << 8 | p[3]; }

// Length of a PNG file from its chunks (the resource hands out only a pointer).
size_t PngLength(const BYTE* p) {
  size_t at = 8;
  for (int guard = 0; guard < 100000; ++guard) {
    DWORD len = Be32(p + at);
    bool end = std::memcmp(p + at + 4, "IEND", 4) == 0;
    at += 12 + (size_t)len;
    if (end) return at;
  }
  return 0;
}

}  // namespace

void DrawDibResource(HGLOBAL resource, CDC* dc, RECT r, int keep) {
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(resource));
  if (!bytes || !dc) return;
  int oldMode = dc->SetStretchBltMode(COLORONCOLOR);
  if (std::memcmp(bytes, kPngSignature, 8) == 0) {
    CBitmap bm;
    bm.Attach(CreateBitmapFromBytes(bytes, PngLength(bytes)));
    BITMAP info{};
    if (bm.m_hObject && bm.GetBitmap(&info)) {
      if (keep) FitRectToAspect(&r, info.bmWidth, info.bmHeight);
      CDC mem;
      if (mem.CreateCompatibleDC(dc)) {
        CBitmap* old = mem.SelectObject(&bm);
        dc->StretchBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, &mem, 0, 0, info.bmWidth, info.bmHeight,
                       SRCCOPY);
        mem.SelectObject(old);
      }
    }
  } else {
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes, sizeof h);
    int colours = h.biBitCount == 1 ? 2 : h.biBitCount == 4 ? 16 : h.biBitCount == 8 ? 256 : 0;
    const BYTE* bits = bytes + sizeof h + 4 * colours;
    int width, height;
    if (DibHeaderSize(h, width, height)) {
      if (keep) FitRectToAspect(&r, width, height);
      dc->StretchDIBits(r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, width, height, bits,
                        reinterpret_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS, SRCCOPY);
    }
  }
  dc->SetStretchBltMode(oldMode);
}

HGLOBAL LoadBitmapResource(LPCSTR name, HMODULE module) {
  if (!module) module = AfxFindResourceHandle(name, RT_BITMAP);
  if (!module) return nullptr;
  HRSRC found = FindResource(module, name, RT_BITMAP);
  return found ? LoadResource(module, found) : nullptr;
}

HCURSOR LoadCursorResource(WORD id) {
  HINSTANCE module = AfxFindCursorHandle(MAKEINTRESOURCE(id));
  return module ? ::LoadCursor(module, MAKEINTRESOURCE(id)) : nullptr;
}

char* GetTabField(char* dest, const char* src, int n, int max) {
  for (int i = 0; i < n && *src; ++src)
    if (*src == '\t') ++i;
  int k = 0;
  while (k < max && src[k] && src[k] != '\t') {
    dest[k] = src[k];
    ++k;
  }
  dest[k] = 0;
  return dest;
}

CString GetTextField(const char* text, int n, char sep) {
  const char* p = text ? text : "";
  for (; n > 0 && *p; ++p)
    if (*p == sep) --n;
  if (n > 0) return CString();
  const char* end = p;
  while (*end && *end != sep) ++end;
  return CString(p, (int)(end - p));
}
