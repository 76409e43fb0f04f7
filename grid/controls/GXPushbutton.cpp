#include "grid/controls/GXPushbutton.h"

#include "grid/engine/GXGridCore.h"

CGXPushbutton::CGXPushbutton(CGXGridCore* pGrid) : CGXControl(pGrid), m_pButton(new CGXButton(this)) {
  AddChild(m_pButton);
}

void CGXPushbutton::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXControl::Init(nRow, nCol);
  m_pButton->Invalidate();
}

void CGXPushbutton::LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) {
  const CGXStyle* style = m_pGrid ? &m_pGrid->LookupStyleRowCol(nRow, nCol) : nullptr;
  SetFocusChild(m_pButton);
  m_pButton->SetRect(rect);
  m_pButton->SetText(style && style->GetIncludeChoiceList() ? style->GetChoiceList().GetString() : "");
}

CSize CGXPushbutton::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  CSize size(0, 0);
  if (pDC) {
    CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
    if (style.GetIncludeChoiceList()) size = pDC->GetTextExtent(style.GetChoiceList());
    if (old) pDC->SelectObject(old);
    // The label sits inside the raised face: one pixel in at the top and left, two at the right and
    // bottom, and three more above and below the text.
    size.cx += 3;
    size.cy += 9;
  }
  return GrowSizeByBorders(size, style);
}

void CGXPushbutton::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                         const CGXStyle* pStandard) {
  if (!pDC) return;
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  COLORREF text, back;
  GXGetCellColors(m_pGrid, style, text, back);
  pDC->SetTextColor(text);
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (old) pDC->SelectObject(old);
}
