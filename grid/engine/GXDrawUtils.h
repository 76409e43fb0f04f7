// Drawing and text utilities of the grid and its cells: wrapped text, frames and button edges,
// fills, pattern bitmaps, DIB resources and choice lists.
#pragma once

#include "platform/core/String.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Clipboard.h"

class CWnd;

// Breaks a text into lines that fit the rectangle's width (DT_ flags: 0x10 wraps, 4 and 8 align
// vertically by moving the rectangle's top). Length -1 runs to the zero byte. Returns the lines.
int GXWrapTextLines(CDC* pDC, LPCTSTR pszText, int nLength, CRect& rect, UINT nFlags, int* pnStarts, int* pnLengths,
                    int nMaxLines);
// Wraps (at most 32 lines) and draws each line aligned by the flags, clipped to pClipRect when given.
void GXDrawMultiLineText(CDC* pDC, LPCTSTR pszText, int nLength, CRect rect, UINT nFlags, UINT nWrapFlags = 0,
                         LPCRECT pClipRect = nullptr);
// The byte index of the character under the point in the wrapped text, -1 when none.
int GXHitTestMultiLineText(CDC* pDC, LPCTSTR pszText, int nLength, CRect rect, UINT nFlags, CPoint pt);

// Rings of one pixel inwards: top and left in the first colour, bottom and right in the second.
void GXDraw3dFrame(CDC* pDC, int left, int top, int right, int bottom, int width, COLORREF rgbTopLeft,
                   COLORREF rgbBottomRight);
void GXDrawButtonEdge(CDC* pDC, CRect rect, UINT nEdge, BOOL bAdjust);
// State bit of a focused button face.
const UINT GX_BTNFOCUS = 0x0001;
void GXDrawButtonFace(CDC* pDC, CRect rect, LPCTSTR pszText, UINT nState);
void GXDrawButtonFrame(CDC* pDC, CRect rect, BOOL bOuterFrame, BOOL bPressed);
// A sunken 3-D frame around a child window, drawn in its parent, when asked for or when the style
// carries 0x200; with `only` (screen coordinates) no more of it than lies there.
void GXDrawFrameInParent(CWnd* pWnd, BOOL bDrawFrame, HRGN only = nullptr);
// A colour whose top byte is 65..254 stands for system colour 254 minus that byte.
void GXFillRect(CDC* pDC, int x, int y, int cx, int cy, COLORREF color);
void GXFillRect(CDC* pDC, LPCRECT rect, COLORREF color);
// Inverts the part inside the clip rectangle (all of it when the clip rectangle is empty).
void GXInvertClippedRect(CDC* pDC, LPCRECT rect, LPCRECT clip);

// The 8 x 8 monochrome pattern bitmaps, made once; null beyond the table.
const UINT GX_PATTERN_COUNT = 41;
HBITMAP GXGetPatternBitmap(UINT nPattern);
// The 16-bit scan lines of a pattern (the low byte holds the pixels); null beyond the table.
const WORD* GXGetPatternBits(UINT nPattern);

int GXDibNumColors(const BITMAPINFOHEADER* pHeader);
// A bitmap resource as a packed DIB in movable zero-initialised global memory; null when missing.
HGLOBAL GXLoadDibResource(HINSTANCE hModule, LPCTSTR pszResource);
HGLOBAL GXLoadDib(LPCTSTR pszResource);
// A bitmap resource with its black, greys and white mapped to the button colours, as a bitmap of
// the screen; FALSE when the resource or memory is missing.
BOOL GXLoadSysColorBitmap(CBitmap& bitmap, LPCTSTR pszResource);

// Choice lists: one entry per line (CR, LF or CR LF), fields separated by tabs.
// Moves the first line out of the list; returns the offset of its line end's last character, or
// -1 when the list was its last line.
int GXSplitFirstLine(CString& list, CString& line);
void GXGetTabbedField(LPCTSTR pszLine, int nField, LPTSTR pszBuffer, int nMaxChars);
// The index of the first line whose field matches (exactly, or as a prefix without case), -1 when none.
int GXFindChoiceListEntry(LPCTSTR pszText, int nField, LPCTSTR pszChoiceList, BOOL bSkipTitle, CString& line,
                          BOOL bExact);
void GXSortChoiceList(CString& list, int nField, BOOL bKeepTitle);
