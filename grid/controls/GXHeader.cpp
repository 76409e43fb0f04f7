#include "grid/controls/GXHeader.h"

#include "grid/controls/GXButton.h"
#include "grid/engine/GXDIB.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"

void CGXHeader::DrawCurrentCellFrame(CDC* pDC, const CRect& rect) {
  if (!pDC) return;
  // The dots start at the frame's corner: a header moved by a scroll matches one painted where it lands.
  CPoint at = rect.TopLeft();
  pDC->LPtoDP(&at);
  const CPoint old = pDC->SetBrushOrg(((at.x % 8) + 8) % 8, ((at.y % 8) + 8) % 8);
  pDC->DrawFocusRect(&rect);
  pDC->SetBrushOrg(old);
}

void CGXHeader::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                     const CGXStyle* pStandard) {
  CRect inner;
  GetCellInnerRect(inner, nRow, nCol, &rect, &style);
  if (!pDC || inner.Width() < 2 || inner.Height() < 2) {
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    return;
  }
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  COLORREF text, back;
  GXGetCellColors(m_pGrid, style, text, back);
  const BOOL pressed = IsHighlighted(nRow, nCol);
  DrawBackground(pDC, rect, style);
  CRect r = rect;
  if (m_pGrid) {
    RECT shrunk;
    m_pGrid->ShrinkRectByBorders(&shrunk, rect, style, FALSE);
    r = shrunk;
  }
  const CGXProperties* props = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->GetProperties() : nullptr;
  // A frame kind 0 is no frame of the cell's own.
  const BOOL own3d = style.GetIncludeDraw3dFrame() && style.GetDraw3dFrame() != 0;
  if (!own3d && props && props->Get3dHeader()) {
    if (m_pGrid->m_bPrinting) {
      if (props->GetVerticalLines()) GXFillRect(pDC, r.right - 1, r.top, 1, r.Height(), RGB(0, 0, 0));
      if (props->GetHorizontalLines()) GXFillRect(pDC, r.left, r.bottom - 1, r.Width(), 1, RGB(0, 0, 0));
    } else if (pressed) {
      GXFillRect(pDC, r.right - 1, r.top, 1, r.Height(), RGB(0, 0, 0));
      GXFillRect(pDC, r.left, r.bottom - 1, r.Width(), 1, RGB(0, 0, 0));
    } else {
      const COLORREF light = GXGetSysColorCache().GetColor(COLOR_BTNHIGHLIGHT);
      GXDraw3dFrame(pDC, r.left, r.top, r.right - 1, r.bottom - 1, 1, light, light);
    }
  }
  if (pressed) inner.OffsetRect(1, 1);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(text);
  CString value;
  GetDisplayText(value, nRow, nCol, nullptr, &style);
  const UINT align = (style.GetIncludeHorizontalAlignment() ? style.GetHorizontalAlignment() : 0) |
                     (style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0);
  // A line may be a pixel wider than its rectangle, and a pressed header's moves a pixel more: kept
  // inside the cell, a repaint of the header alone reaches all of it.
  if (HGLOBAL dib = GetPoolBitmap(value)) {
    const int clipped = pDC->SaveDC();
    pDC->IntersectClipRect(&rect);
    CGXDIB::Draw(pDC, dib, inner, 0, align);
    pDC->RestoreDC(clipped);
  } else if (!value.IsEmpty()) {
    const BOOL wrap = style.GetIncludeWrapText() && style.GetWrapText();
    const UINT flags = align | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
    GXDrawMultiLineText(pDC, value, value.GetLength(), inner, flags, 0, &rect);
  }
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;  // the background is drawn already
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (old) pDC->SelectObject(old);
}
