// Drawing and text utilities.
#include "grid/engine/GXDrawUtils.h"

#include "grid/engine/GXStyle.h"
#include "platform/core/Resource.h"
#include "platform/gdi/PackedDib.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

const int kMaxDrawLines = 32;

int Extent(CDC* dc, LPCTSTR s, int n) { return n > 0 ? dc->GetTextExtent(s, n).cx : 0; }

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Bytes of the UTF-8 sequence a lead byte starts; 0 for a byte that starts none.
int SequenceBytes(unsigned char c) {
  if (c < 0x80) return 1;
  if (c < 0xC2) return 0;
  return c < 0xE0 ? 2 : c < 0xF0 ? 3 : c <= 0xF4 ? 4 : 0;
}

// The drawing layer reads a text as UTF-8 when it is valid UTF-8, else a byte a character; lines and
// hits must then step by whole characters.
struct Chars {
  LPCTSTR text;
  int len;
  bool utf8 = true;
  Chars(LPCTSTR t, int n) : text(t), len(n) {
    for (int i = 0; i < len && utf8;) {
      const int k = SequenceBytes((unsigned char)text[i]);
      utf8 = k > 0 && i + k <= len;
      for (int j = 1; utf8 && j < k; ++j) utf8 = ((unsigned char)text[i + j] & 0xC0) == 0x80;
      i += k ? k : 1;
    }
  }
  // Where the character after the one at i starts.
  int Next(int i) const { return utf8 ? std::min(len, i + std::max(1, SequenceBytes((unsigned char)text[i]))) : i + 1; }
  // The first byte of the character that holds byte i.
  int Start(int i) const {
    while (utf8 && i > 0 && ((unsigned char)text[i] & 0xC0) == 0x80) --i;
    return i;
  }
};

int LineHeight(CDC* dc, TEXTMETRIC& tm) {
  std::memset(&tm, 0, sizeof(tm));
  dc->GetTextMetrics(&tm);
  return std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
}

// Where a line of the given start and length is drawn.
int AlignedX(CDC* dc, const CRect& rect, LPCTSTR s, int n, UINT flags) {
  const int width = rect.right - rect.left, ext = Extent(dc, s, n);
  int x = rect.left;
  if (flags & DT_CENTER) x = rect.left + (width - ext) / 2;
  else if (flags & DT_RIGHT) x = rect.right - ext;
  return std::max<int>(x, rect.left);
}

}  // namespace

// ---- wrapped text --------------------------------------------------------------------------------------

int GXWrapTextLines(CDC* pDC, LPCTSTR pszText, int nLength, CRect& rect, UINT nFlags, int* pnStarts, int* pnLengths,
                    int nMaxLines) {
  if (!pDC || !pszText || nMaxLines <= 0) return 0;
  const int len = nLength < 0 ? (int)std::strlen(pszText) : nLength;
  const Chars chars(pszText, len);
  const int width = rect.right - rect.left + 1;
  TEXTMETRIC tm;
  const int lineH = LineHeight(pDC, tm);
  const int height = rect.bottom - rect.top;
  const int budget = (height - lineH / 3 > lineH) ? height / lineH : 0;
  const bool wrap = (nFlags & DT_WORDBREAK) != 0;
  const int maxLines = std::min(nMaxLines, wrap ? std::max(budget, 1) : 1);

  int n = 0, pos = 0;
  while (n < maxLines) {
    const bool last = n + 1 >= maxLines;
    const int start = pos;
    bool lineEnd = false;
    while (pos < len) {
      if (IsLineEnd(pszText[pos])) {
        lineEnd = true;
        break;
      }
      int end = pos;
      while (end < len && pszText[end] == ' ') ++end;
      while (end < len && pszText[end] != ' ' && !IsLineEnd(pszText[end])) ++end;
      if (Extent(pDC, pszText + start, end - start) <= width) {
        pos = end;
        continue;
      }
      if (pos == start || last) {
        // Too wide on its own, or the last line: as many characters as fit, at least one.
        while (pos < end && (pos == start || Extent(pDC, pszText + start, chars.Next(pos) - start) <= width))
          pos = chars.Next(pos);
      }
      break;
    }
    int lineLen = pos - start;
    if (lineEnd) {
      pos += (pszText[pos] == '\r' && pos + 1 < len && pszText[pos + 1] == '\n') ? 2 : 1;
    } else {
      // The blanks at a wrap stay on the line they end.
      while (pos < len && pszText[pos] == ' ') ++pos, ++lineLen;
    }
    if (pnStarts) pnStarts[n] = start;
    if (pnLengths) pnLengths[n] = lineLen;
    ++n;
    if (pos >= len) {
      if (lineEnd && n < maxLines) {
        if (pnStarts) pnStarts[n] = len;
        if (pnLengths) pnLengths[n] = 0;
        ++n;
      }
      break;
    }
  }

  const int used = n * lineH;
  if (used < height) {
    if (nFlags & DT_VCENTER) rect.top += (height - used) / 2 + tm.tmExternalLeading;
    else if (nFlags & DT_BOTTOM) rect.top = rect.bottom - used;
  }
  return n;
}

void GXDrawMultiLineText(CDC* pDC, LPCTSTR pszText, int nLength, CRect rect, UINT nFlags, UINT nWrapFlags,
                         LPCRECT pClipRect) {
  if (!pDC || !pszText) return;
  int starts[kMaxDrawLines], lengths[kMaxDrawLines];
  CRect r = rect;
  const int n = GXWrapTextLines(pDC, pszText, nLength, r, nFlags | nWrapFlags, starts, lengths, kMaxDrawLines);
  TEXTMETRIC tm;
  const int lineH = LineHeight(pDC, tm);
  // The text call clips each line itself: a clip region set and dropped per call costs more than the line.
  const CRect clip = pClipRect ? CRect(*pClipRect) : CRect();
  int y = r.top;
  for (int i = 0; i < n; ++i, y += lineH) {
    LPCTSTR s = pszText + starts[i];
    const int x = AlignedX(pDC, rect, s, lengths[i], nFlags);
    // The blanks a wrap leaves at a line's end draw nothing: "a " is one character too.
    int shown = lengths[i];
    while (shown > 1 && s[shown - 1] == ' ') --shown;
    const bool oneChar = shown > 0 && Chars(s, shown).Next(0) == shown;
    if (oneChar && Extent(pDC, s, shown) > rect.right - rect.left) {
      CRect box = rect;
      if (pClipRect) box.IntersectRect(rect, clip);
      pDC->ExtTextOut(x, y, ETO_CLIPPED, &box, s, (UINT)lengths[i], nullptr);
    } else if (pClipRect) {
      pDC->ExtTextOut(x, y, ETO_CLIPPED, &clip, s, (UINT)lengths[i], nullptr);
    } else {
      pDC->TextOut(x, y, s, lengths[i]);
    }
  }
}

int GXHitTestMultiLineText(CDC* pDC, LPCTSTR pszText, int nLength, CRect rect, UINT nFlags, CPoint pt) {
  if (!pDC || !pszText) return -1;
  int starts[kMaxDrawLines], lengths[kMaxDrawLines];
  CRect r = rect;
  const int n = GXWrapTextLines(pDC, pszText, nLength, r, nFlags, starts, lengths, kMaxDrawLines);
  TEXTMETRIC tm;
  const int lineH = LineHeight(pDC, tm);
  if (pt.y < r.top) return -1;
  const int line = (pt.y - r.top) / lineH;
  if (line >= n) return -1;
  const int margin = tm.tmMaxCharWidth / 3;
  LPCTSTR s = pszText + starts[line];
  const int x0 = AlignedX(pDC, rect, s, lengths[line], nFlags);
  if (pt.x < x0 - margin) return -1;
  const Chars chars(s, lengths[line]);
  for (int i = 0; i < lengths[line]; i = chars.Next(i)) {
    if (x0 + Extent(pDC, s, chars.Next(i)) > pt.x) return starts[line] + i;
  }
  if (pt.x > x0 + Extent(pDC, s, lengths[line]) + margin) return -1;
  return starts[line] + chars.Start(std::max(0, lengths[line] - 1));
}

// ---- frames and fills ----------------------------------------------------------------------------------

void GXDraw3dFrame(CDC* pDC, int left, int top, int right, int bottom, int width, COLORREF rgbTopLeft,
                   COLORREF rgbBottomRight) {
  if (!pDC) return;
  const COLORREF oldBk = pDC->GetBkColor();
  auto fill = [pDC](int l, int t, int r, int b, COLORREF c) {
    if (r <= l || b <= t) return;
    pDC->SetBkColor(c);
    CRect rc(l, t, r, b);
    pDC->ExtTextOut(0, 0, ETO_OPAQUE, &rc, "", 0, nullptr);
  };
  const COLORREF tl = GXResolveColor(rgbTopLeft), br = GXResolveColor(rgbBottomRight);
  for (int i = 0; i < width; ++i) {
    const int l = left + i, t = top + i, r = right - i, b = bottom - i;
    if (r <= l || b <= t) break;
    fill(l, t, r - 1, t + 1, tl);  // top
    fill(l, t, l + 1, b - 1, tl);  // left
    fill(r - 1, t, r, b, br);      // right
    fill(l, b - 1, r, b, br);      // bottom
  }
  pDC->SetBkColor(oldBk);
}

void GXDrawButtonEdge(CDC* pDC, CRect rect, UINT nEdge, BOOL bAdjust) {
  if (pDC) pDC->DrawEdge(&rect, nEdge, bAdjust ? BF_ADJUST : BF_RECT);
}

void GXDrawButtonFace(CDC* pDC, CRect rect, LPCTSTR pszText, UINT nState) {
  if (!pDC) return;
  LPCTSTR text = (pszText && *pszText) ? pszText : "--";
  CRect calc(0, 0, rect.Width(), 0);
  pDC->DrawText(text, -1, &calc, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  CRect face = rect;
  face.DeflateRect(0, 3);
  const int top = face.top + std::max(0, (face.Height() - calc.Height()) / 2);
  CRect textRect(face.left, top, face.right, std::min<LONG>(face.bottom, top + calc.Height()));
  if (pszText && *pszText) GXDrawMultiLineText(pDC, pszText, -1, textRect, DT_CENTER | DT_NOPREFIX, DT_WORDBREAK);
  if (nState & GX_BTNFOCUS) {
    // A dotted underline in the shadow colour marks the focused face.
    const int x0 = std::max<int>(face.left, face.left + (face.Width() - calc.Width()) / 2);
    const int y = std::min<int>(face.bottom - 1, textRect.bottom);
    const COLORREF shadow = GetSysColor(16);
    for (int x = x0; x < x0 + calc.Width() && x < face.right; x += 2) GXFillRect(pDC, x, y, 1, 1, shadow);
  }
}

void GXDrawButtonFrame(CDC* pDC, CRect rect, BOOL bOuterFrame, BOOL bPressed) {
  if (!pDC) return;
  if (bOuterFrame) {
    if (bPressed) pDC->DrawEdge(&rect, BDR_RAISEDINNER | BDR_SUNKENINNER, BF_RECT | BF_ADJUST | BF_FLAT);
    else pDC->DrawEdge(&rect, BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_MONO);
  }
  if (bPressed) pDC->DrawEdge(&rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
}

void GXDrawFrameInParent(CWnd* pWnd, BOOL bDrawFrame, HRGN only) {
  CWnd* parent = pWnd ? pWnd->GetParent() : nullptr;
  if (!pWnd || !pWnd->GetSafeHwnd()) return;
  const BOOL framed = parent && (bDrawFrame || (pWnd->GetStyle() & 0x200));
  // The frame lies outside the window: the parent's paint there has it drawn again.
  ui::SetDrawnAroundInParent(pWnd->m_hWnd, framed ? RECT{2, 2, 3, 3} : RECT{0, 0, 0, 0});
  if (!framed) return;
  // A paint of the parent still due (the grid painted first, as a scroll has it) would wipe the frame.
  parent->UpdateWindow();
  CRect rect;
  pWnd->GetWindowRect(&rect);
  parent->ScreenToClient(&rect);
  rect.left -= 2, rect.top -= 2, rect.right += 3, rect.bottom += 3;
  CClientDC dc(parent);
  if (only) {
    POINT origin{0, 0};
    parent->ClientToScreen(&origin);
    CRgn clip;
    clip.CreateRectRgn(0, 0, 0, 0);
    ::CombineRgn(clip, only, nullptr, RGN_COPY);
    clip.OffsetRgn(-origin.x, -origin.y);
    dc.SelectClipRgn(&clip);
  }
  // Its inner line reaches into the window, where the grid's own paint covers it: drawn there at any
  // other time it would stay over what the grid painted.
  CRect client;
  pWnd->GetClientRect(&client);
  pWnd->MapWindowPoints(parent, &client);
  dc.ExcludeClipRect(&client);
  GXDrawButtonFrame(&dc, rect, TRUE, TRUE);
}

void GXFillRect(CDC* pDC, int x, int y, int cx, int cy, COLORREF color) {
  if (pDC) pDC->FillSolidRect(x, y, cx, cy, GXResolveColor(color));
}

void GXFillRect(CDC* pDC, LPCRECT rect, COLORREF color) {
  if (pDC && rect) pDC->FillSolidRect(rect, GXResolveColor(color));
}

void GXInvertClippedRect(CDC* pDC, LPCRECT rect, LPCRECT clip) {
  if (!pDC || !rect) return;
  CRect r(*rect);
  if (clip && !CRect(*clip).IsRectEmpty() && !r.IntersectRect(rect, clip)) return;
  pDC->InvertRect(&r);
}

// ---- patterns --------------------------------------------------------------------------------------------

namespace {

// Eight rows each; the low byte holds the pixels.
#define GX_PAT(a, b, c, d, e, f, g, h) {a, b, c, d, e, f, g, h}
const WORD kPatterns[GX_PATTERN_COUNT][8] = {
    GX_PAT(0x44, 0x11, 0x44, 0x11, 0x44, 0x11, 0x44, 0x11),  // 0 light grey
    GX_PAT(0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA),  // 1 50 % grey
    GX_PAT(0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE),  // 2 dark grey
    GX_PAT(0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00),  // 3 dots
    GX_PAT(0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00),  // 4 horizontal lines
    GX_PAT(0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00),  // 5 wide horizontal stripes
    GX_PAT(0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA),  // 6 vertical lines
    GX_PAT(0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC),  // 7 vertical stripes
    GX_PAT(0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88),  // 8 diagonal
    GX_PAT(0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11),  // 9 back diagonal
    GX_PAT(0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99),  // 10 wide diagonal
    GX_PAT(0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99),  // 11 wide back diagonal
    GX_PAT(0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88),  // 12 grid
    GX_PAT(0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81),  // 13 diagonal cross
    GX_PAT(0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0xFF, 0xFF),  // 14 trellis
    GX_PAT(0x00, 0x00, 0x00, 0x18, 0x18, 0x00, 0x00, 0x00),  // 15 sparse dots
    GX_PAT(0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00),  // 16 very light grey
    GX_PAT(0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD),  // 17 darker grey
    GX_PAT(0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF),  // 18 almost dark
    GX_PAT(0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F),  // 19 checker
    GX_PAT(0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00),  // 20 light horizontal
    GX_PAT(0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88),  // 21 light vertical
    GX_PAT(0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80),  // 22 light diagonal
    GX_PAT(0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01),  // 23 light back diagonal
    GX_PAT(0x01, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02),  // 24 shifted diagonal
    GX_PAT(0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F),  // 25 inverse diagonal
    GX_PAT(0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE),  // 26 inverse back diagonal
    GX_PAT(0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00),  // 27 offset lines
    GX_PAT(0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22),  // 28 offset vertical
    GX_PAT(0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55),  // 29 grey, other phase
    GX_PAT(0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00),  // 30 boxes
    GX_PAT(0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00),  // 31 diamonds
    GX_PAT(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF),  // 32 solid
    GX_PAT(0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33),  // 33 dash
    GX_PAT(0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55),  // 34 dot
    GX_PAT(0xE3, 0xE3, 0x1C, 0x1C, 0xE3, 0xE3, 0x1C, 0x1C),  // 35 dash dot
    GX_PAT(0xDB, 0xDB, 0x24, 0x24, 0xDB, 0xDB, 0x24, 0x24),  // 36 dash dot dot
    GX_PAT(0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F),  // 37 dash, vertical sides
    GX_PAT(0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55),  // 38 dot, vertical sides
    GX_PAT(0xE0, 0xE0, 0xE0, 0x1C, 0x1C, 0x1C, 0x03, 0x03),  // 39 dash dot, vertical sides
    GX_PAT(0xC0, 0xC0, 0x30, 0x30, 0x0C, 0x0C, 0x03, 0x03),  // 40 dash dot dot, vertical sides
};
#undef GX_PAT

HBITMAP g_hPatternBitmaps[GX_PATTERN_COUNT];

}  // namespace

const WORD* GXGetPatternBits(UINT nPattern) { return nPattern < GX_PATTERN_COUNT ? kPatterns[nPattern] : nullptr; }

HBITMAP GXGetPatternBitmap(UINT nPattern) {
  if (nPattern >= GX_PATTERN_COUNT) return nullptr;
  if (!g_hPatternBitmaps[nPattern]) {
    // One 16-bit scan line per row, the pixels in its first byte.
    BYTE bits[16];
    for (int i = 0; i < 8; ++i) {
      bits[i * 2] = (BYTE)kPatterns[nPattern][i];
      bits[i * 2 + 1] = 0;
    }
    g_hPatternBitmaps[nPattern] = ::CreateBitmap(8, 8, 1, 1, bits);
  }
  return g_hPatternBitmaps[nPattern];
}

// ---- DIBs ----------------------------------------------------------------------------------------------

int GXDibNumColors(const BITMAPINFOHEADER* pHeader) {
  if (!pHeader) return 0;
  if (pHeader->biClrUsed) return (int)std::min<DWORD>(pHeader->biClrUsed, 256);
  switch (pHeader->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

HGLOBAL GXLoadDibResource(HINSTANCE hModule, LPCTSTR pszResource) {
  HRSRC res = ::FindResource(hModule, pszResource, RT_BITMAP);
  HGLOBAL data = res ? ::LoadResource(hModule, res) : nullptr;
  const BYTE* bytes = data ? static_cast<const BYTE*>(::LockResource(data)) : nullptr;
  if (!bytes) return nullptr;
  const std::vector<BYTE> dib = PackedDibFromImageBytes(bytes, ::SizeofResource(hModule, res));
  if (dib.empty()) return nullptr;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dib.size());
  void* p = h ? GlobalLock(h) : nullptr;
  if (!p) {
    if (h) GlobalFree(h);
    return nullptr;
  }
  std::memcpy(p, dib.data(), dib.size());
  GlobalUnlock(h);
  return h;
}

HGLOBAL GXLoadDib(LPCTSTR pszResource) {
  HINSTANCE module = AfxFindResourceHandle(pszResource, RT_BITMAP);
  if (!module) module = AfxGetResourceHandle();
  return GXLoadDibResource(module, pszResource);
}

BOOL GXLoadSysColorBitmap(CBitmap& bitmap, LPCTSTR pszResource) {
  HGLOBAL h = GXLoadDib(pszResource);
  if (!h) return FALSE;
  const SIZE_T size = GlobalSize(h);
  BYTE* p = static_cast<BYTE*>(GlobalLock(h));
  BOOL ok = FALSE;
  if (p && size >= sizeof(BITMAPINFOHEADER)) {
    auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(p);
    const int colors = GXDibNumColors(bih);
    if (const size_t offBits = PackedDibBitsOffset(p, size)) {
      struct Mapping {
        COLORREF from;
        int sysColor;
      };
      static const Mapping kMap[] = {{RGB(0, 0, 0), 18}, {RGB(128, 128, 128), 16}, {RGB(192, 192, 192), 15},
                                     {RGB(255, 255, 255), 20}};
      auto mapTriple = [](BYTE* bgr) {
        const COLORREF c = RGB(bgr[2], bgr[1], bgr[0]);
        for (const Mapping& m : kMap) {
          if (c != m.from) continue;
          const COLORREF to = GetSysColor(m.sysColor);
          bgr[0] = GetBValue(to);
          bgr[1] = GetGValue(to);
          bgr[2] = GetRValue(to);
          break;
        }
      };
      for (int i = 0; i < colors; ++i) mapTriple(p + bih->biSize + i * 4);
      if (bih->biBitCount == 24 && bih->biCompression == 0) {
        const size_t stride = ((size_t)bih->biWidth * 3 + 3) & ~(size_t)3;
        const size_t rows = (size_t)std::abs(bih->biHeight);
        for (size_t y = 0; y < rows; ++y)
          for (LONG x = 0; x < bih->biWidth; ++x) mapTriple(p + offBits + y * stride + (size_t)x * 3);
      }
      CDC screen;
      screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
      HBITMAP hbm = ::CreateDIBitmap(screen.GetSafeHdc(), bih, CBM_INIT, p + offBits,
                                     reinterpret_cast<const BITMAPINFO*>(p), DIB_RGB_COLORS);
      if (hbm) {
        bitmap.DeleteObject();
        ok = bitmap.Attach(hbm);
      }
    }
  }
  if (p) GlobalUnlock(h);
  GlobalFree(h);
  return ok;
}

// ---- choice lists ------------------------------------------------------------------------------------------

namespace {

// The lines of a list, split at CR, LF or CR LF; a final line end adds no empty line.
std::vector<std::string> SplitLines(LPCTSTR list) {
  std::vector<std::string> lines;
  const char* p = list ? list : "";
  while (*p) {
    const char* e = p;
    while (*e && !IsLineEnd(*e)) ++e;
    lines.emplace_back(p, e);
    if (*e == '\r' && e[1] == '\n') e += 2;
    else if (*e) ++e;
    p = e;
  }
  return lines;
}

std::string Field(const std::string& line, int field, size_t maxChars) {
  char buf[128];
  GXGetTabbedField(line.c_str(), field, buf, (int)std::min<size_t>(maxChars, sizeof(buf) - 1));
  return buf;
}

}  // namespace

int GXSplitFirstLine(CString& list, CString& line) {
  const std::string& s = list.str();
  const size_t e = s.find_first_of("\r\n");
  if (e == std::string::npos) {
    line = list;
    list.Empty();
    return -1;
  }
  line = CString(s.substr(0, e));
  size_t last = e;
  if (s[e] == '\r' && e + 1 < s.size() && s[e + 1] == '\n') last = e + 1;
  list = CString(s.substr(last + 1));
  return (int)last;
}

void GXGetTabbedField(LPCTSTR pszLine, int nField, LPTSTR pszBuffer, int nMaxChars) {
  if (!pszBuffer || nMaxChars < 0) return;
  pszBuffer[0] = 0;
  const char* p = pszLine ? pszLine : "";
  for (int i = 0; i < nField; ++i) {
    p = std::strchr(p, '\t');
    if (!p) return;
    ++p;
  }
  int n = 0;
  while (p[n] && p[n] != '\t' && n < nMaxChars) ++n;
  std::memcpy(pszBuffer, p, (size_t)n);
  pszBuffer[n] = 0;
}

int GXFindChoiceListEntry(LPCTSTR pszText, int nField, LPCTSTR pszChoiceList, BOOL bSkipTitle, CString& line,
                          BOOL bExact) {
  line.Empty();
  const std::string text = pszText ? pszText : "";
  const std::vector<std::string> lines = SplitLines(pszChoiceList);
  for (size_t i = bSkipTitle ? 1 : 0, index = 0; i < lines.size(); ++i, ++index) {
    const std::string field = Field(lines[i], nField, 127);
    const bool match = bExact ? field == text
                              : field.size() >= text.size() && strncasecmp(field.c_str(), text.c_str(), text.size()) == 0;
    if (match) {
      line = CString(lines[i]);
      return (int)index;
    }
  }
  return -1;
}

void GXSortChoiceList(CString& list, int nField, BOOL bKeepTitle) {
  std::vector<std::string> lines = SplitLines(list);
  std::string result;
  size_t first = 0;
  if (bKeepTitle && !lines.empty()) {
    result = lines[0] + "\r\n";
    first = 1;
  }
  std::stable_sort(lines.begin() + (ptrdiff_t)first, lines.end(), [nField](const std::string& a, const std::string& b) {
    if (nField == 0) return strcasecmp(a.c_str(), b.c_str()) < 0;
    return strcasecmp(Field(a, nField, 127).c_str(), Field(b, nField, 127).c_str()) < 0;
  });
  for (size_t i = first; i < lines.size(); ++i) result += lines[i] + "\r\n";
  list = CString(std::move(result));
}
