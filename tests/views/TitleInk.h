// The bold title row of a grid view as its window shows it: the rows of pixels that hold the title's
// ink, against the ink the same text has when written whole with the same font.
#pragma once

#include "grid/engine/GXGridCore.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include <functional>

namespace viewtest {

struct InkRows {
  int top = -1, bottom = -1;  // [top, bottom), -1 without ink
  int Height() const { return top < 0 ? 0 : bottom - top; }
};

// Rows of `r` with dark pixels of text: a line drawn across the whole width is a border, not ink.
inline InkRows FindInk(const CRect& r, const std::function<COLORREF(int, int)>& pixel) {
  InkRows ink;
  for (int y = r.top; y < r.bottom; ++y) {
    int dark = 0;
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = pixel(x, y);
      dark += GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
    }
    if (dark == 0 || dark == r.Width()) continue;
    if (ink.top < 0) ink.top = y;
    ink.bottom = y + 1;
  }
  return ink;
}

// The title's ink inside the header cells (0, first)..(0, last) of the grid window, borders left out.
inline InkRows TitleInk(CGXGridCore& grid, CWnd* wnd, ROWCOL first, ROWCOL last) {
  wnd->Invalidate();
  wnd->UpdateWindow();
  CRect r = grid.CalcRectFromRowColEx(0, first, 0, last);
  r.DeflateRect(3, 0);
  return FindInk(r, [&](int x, int y) { return GetWindowPixel(wnd->m_hWnd, POINT{x, y}); });
}

// The ink height of `text` written whole with the header cell's font on the header's face colour,
// and that font's height.
inline std::pair<int, int> WholeTitle(CGXGridCore& grid, CWnd* wnd, ROWCOL col, const char* text) {
  CFont font;
  font.CreateFontIndirect(&grid.LookupStyleRowCol(0, col).GetFont().GetLogFont());
  CClientDC screen(wnd);
  CDC mem;
  CBitmap bitmap;
  mem.CreateCompatibleDC(&screen);
  bitmap.CreateCompatibleBitmap(&screen, 400, 100);
  CBitmap* oldBitmap = mem.SelectObject(&bitmap);
  mem.FillSolidRect(0, 0, 400, 100, ::GetSysColor(COLOR_BTNFACE));
  CFont* oldFont = mem.SelectObject(&font);
  TEXTMETRIC tm{};
  mem.GetTextMetrics(&tm);
  mem.SetBkMode(TRANSPARENT);
  mem.SetTextColor(RGB(0, 0, 0));
  mem.TextOut(4, 4, text);
  const int ink = FindInk(CRect(0, 0, 400, 100), [&](int x, int y) { return mem.GetPixel(x, y); }).Height();
  mem.SelectObject(oldFont);
  mem.SelectObject(oldBitmap);
  return {ink, (int)tm.tmHeight};
}

}  // namespace viewtest
