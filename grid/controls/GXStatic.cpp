#include "grid/controls/GXStatic.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXDIB.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Controls.h"

#include <algorithm>

namespace {

const int kMaxWrapLines = 32;

}  // namespace

CGXFocusGuard::CGXFocusGuard(CGXGridCore* g) : grid(g), old(g ? g->m_bIgnoreFocus : FALSE) {
  if (grid) grid->m_bIgnoreFocus = TRUE;
}

CGXFocusGuard::~CGXFocusGuard() {
  if (grid) grid->m_bIgnoreFocus = old;
}

CGXStatic::CGXStatic(CGXGridCore* pGrid) : CGXControl(pGrid) {}

int CGXStatic::GetTextMargin() { return std::max(2, GetSystemMetrics(SM_CXFRAME) / 2); }

UINT CGXStatic::GetTextFormat(const CGXStyle& style) const {
  const UINT align = (style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0) |
                     (style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0);
  const BOOL wrap = style.GetIncludeWrapText() && style.GetWrapText();
  return align | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
}

void CGXStatic::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                 const CGXStyle* pStyle) {
  CGXControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  const CGXStyle* style = pStyle ? pStyle : m_pGrid ? &m_pGrid->LookupStyleRowCol(nRow, nCol) : nullptr;
  const int m = GetTextMargin();
  const BOOL right = style && style->GetIncludeHorizontalAlignment() && style->GetHorizontalAlignment() == DT_RIGHT;
  rect.left += m;
  rect.right -= right ? m + 1 : m / 2;
}

CSize CGXStatic::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += 2 * GetTextMargin() + 1;
  return CGXControl::GrowSizeByBorders(size, style);
}

BOOL CGXStatic::CanFloatCell(ROWCOL, ROWCOL, const CGXStyle& style, BOOL bFloat) {
  return bFloat == !style.GetValue().IsEmpty();
}

HGLOBAL CGXStatic::GetPoolBitmap(const CString& text) {
  if (text.IsEmpty() || dynamic_cast<CEdit*>(GetWnd())) return nullptr;  // edit cells show the text itself
  return CGXDIBPool::GetPool()->GetDIB(text);
}

void CGXStatic::GetTextColors(const CGXStyle& style, COLORREF& text, COLORREF& back) {
  const CGXProperties* props = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  if (props && props->GetBlackWhite()) {
    text = RGB(0, 0, 0);
    back = RGB(255, 255, 255);
    return;
  }
  text = GXResolveColor(style.GetIncludeTextColor() ? style.GetTextColorValue() : RGB(0, 0, 0));
  back = style.GetInterior().GetColor();
}

void CGXStatic::CreateZoomedFont(CFont& font, const CGXStyle& style) { GXCreateZoomedCellFont(m_pGrid, font, style); }

void CGXStatic::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) {
  CString text;
  GetDisplayText(text, nRow, nCol, nullptr, &style);
  if (!pDC || text.IsEmpty() || rect.Width() < 2 || rect.Height() < 2) {
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    return;
  }
  // The background goes first: erased after the text it would wipe the text out.
  const BOOL erase = m_pGrid && m_pGrid->m_bEraseCellBackground;
  if (erase) DrawBackground(pDC, rect, style, TRUE);
  if (HGLOBAL dib = GetPoolBitmap(text)) {
    CRect inner;
    GetCellInnerRect(inner, nRow, nCol, &rect, &style);
    CGXDIB::Draw(pDC, dib, inner, 0, GetTextFormat(style) & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM));
    if (erase) m_pGrid->m_bEraseCellBackground = FALSE;
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    if (erase) m_pGrid->m_bEraseCellBackground = TRUE;
    return;
  }
  CFont* oldFont = GXSelectCellFont(m_pGrid, pDC, style);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  COLORREF clrText, clrBack;
  GetTextColors(style, clrText, clrBack);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(clrText);
  pDC->SetBkColor(clrBack);
  GXDrawMultiLineText(pDC, text, text.GetLength(), inner, GetTextFormat(style));
  if (erase) m_pGrid->m_bEraseCellBackground = FALSE;
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (erase) m_pGrid->m_bEraseCellBackground = TRUE;
  if (oldFont) pDC->SelectObject(oldFont);
}

CSize CGXStatic::CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle*, BOOL bHeight) {
  CString text;
  GetDisplayText(text, nRow, nCol, nullptr, &style);
  if (HGLOBAL dib = GetPoolBitmap(text)) {
    CGXDIB bitmap;
    bitmap.Attach(dib);
    const CSize size(bitmap.GetWidth(), bitmap.GetHeight());
    bitmap.Detach();  // the pool keeps it
    return CGXControl::GrowSizeByBorders(size, style);
  }
  const CRect extent = CalcCellExtent(nRow, nCol);
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &extent, &style);
  if (!pDC) return GrowSizeByBorders(CSize(0, 0), style);
  CFont* oldFont = GXSelectCellFont(m_pGrid, pDC, style);
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
  CSize size;
  if (text.IsEmpty()) {
    size = CSize(tm.tmMaxCharWidth, lineHeight + 1);
  } else {
    const BOOL wrap = style.GetIncludeWrapText() && style.GetWrapText();
    int lines = 1, widest = 0;
    if (wrap) {
      int starts[kMaxWrapLines], lengths[kMaxWrapLines];
      // Measured without the cell's height as a bound, or a row could never grow to fit.
      CRect r = inner;
      r.bottom = r.top + 0x7FFF;
      lines = GXWrapTextLines(pDC, text, text.GetLength(), r, GetTextFormat(style) | DT_WORDBREAK, starts, lengths,
                              kMaxWrapLines);
      lines = std::clamp(lines, 1, kMaxWrapLines);
      if (lines * lineHeight + 1 <= inner.Height())
        for (int i = 0; i < lines; ++i)
          widest = std::max(widest, (int)pDC->GetTextExtent(text.Mid(starts[i], lengths[i])).cx);
    }
    if (!widest) {
      CString rest = text, line;
      for (;;) {
        const int end = GXSplitFirstLine(rest, line);
        widest = std::max(widest, (int)pDC->GetTextExtent(line).cx);
        if (end < 0) break;
      }
    }
    size = CSize(widest, (wrap ? lines : 1) * lineHeight + 1);
  }
  // The component not asked for stays the cell's present extent.
  if (bHeight) size.cx = extent.Width();
  else size.cy = extent.Height();
  if (oldFont) pDC->SelectObject(oldFont);
  return GrowSizeByBorders(size, style);
}
