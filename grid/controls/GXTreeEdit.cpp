#include "grid/controls/GXTreeEdit.h"

#include "grid/engine/GXGridCore.h"
#include "platform/gdi/DC.h"

#include <algorithm>
#include <cstdio>

namespace {

const DWORD kLevelInTree = 15003, kStateOfNode = 15004;
const UINT kNodeBitmap = 14004;
const int kMaxLevel = 100000;  // keeps hostile levels from overflowing the indent

}  // namespace

int CGXTreeCellLook::Indent(int nLevel) { return nLevel >= 1 ? std::min(nLevel, kMaxLevel) * 18 + 3 : 3; }

int CGXTreeCellLook::LevelOf(const CGXStyle& style) {
  int level = -1;
  if (!style.HasUserAttribute(kLevelInTree) || std::sscanf(style.GetUserAttribute(kLevelInTree), "%i", &level) != 1)
    return -1;
  return level;
}

int CGXTreeCellLook::GetTreeLevel(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, ROWCOL nBoundRow, ROWCOL nBoundCol) {
  if (!pGrid) return -1;
  if (nRow == (ROWCOL)-1) nRow = nBoundRow;
  if (nCol == (ROWCOL)-1) nCol = nBoundCol;
  CGXStyle* style = pGrid->CreateStyle();
  pGrid->ComposeStyleRowCol(nRow, nCol, style);
  const int level = LevelOf(*style);
  pGrid->RecycleStyle(style);
  return level;
}

BOOL CGXTreeCellLook::HasNode(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, ROWCOL nBoundRow, ROWCOL nBoundCol) {
  if (!pGrid) return FALSE;
  if (nRow == (ROWCOL)-1) nRow = nBoundRow;
  if (nCol == (ROWCOL)-1) nCol = nBoundCol;
  CGXStyle* style = pGrid->CreateStyle();
  pGrid->ComposeStyleRowCol(nRow, nCol, style);
  // A row without a state is no group: it gets neither the box nor the click that opens a group.
  const CString state = style->HasUserAttribute(kStateOfNode) ? style->GetUserAttribute(kStateOfNode) : CString();
  pGrid->RecycleStyle(style);
  return state == "1" || state == "0";
}

CRect CGXTreeCellLook::ButtonRect(const CRect& cell, int nLevel) {
  const int left = cell.left + Indent(nLevel);
  const int top = cell.top + std::max<int>(cell.Height() - kButtonHeight, 0) / 2;
  CRect button(left, top, left + kButtonWidth, top + kButtonHeight), clipped;
  return clipped.IntersectRect(button, cell) ? clipped : CRect(0, 0, 0, 0);
}

CGXBitmapButtonChild* CGXTreeCellLook::AttachButton(CGXControl* pOwner) {
  auto* button = new CGXBitmapButtonChild(pOwner);
  pOwner->AddChild(button);
  button->LoadBitmaps(kNodeBitmap);  // without the image the drawn box stands alone
  return button;
}

void CGXTreeCellLook::DrawNode(CDC* pDC, const CRect& cell, const CRect& button, const CGXStyle& style) {
  if (!pDC) return;
  const int stripRight = (button.IsRectEmpty() ? cell.left + 3 : button.left) - 3;
  if (stripRight > cell.left) {
    const CRect strip(cell.left, cell.top, stripRight, cell.bottom);
    pDC->FillSolidRect(&strip, GetSysColor(COLOR_3DLIGHT));
  }
  const CString state = style.GetUserAttribute(kStateOfNode);
  if ((state != "1" && state != "0") || button.IsRectEmpty()) return;
  CPen pen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  CPen* oldPen = pDC->SelectObject(&pen);
  CGdiObject* oldBrush = pDC->SelectStockObject(NULL_BRUSH);
  pDC->Rectangle(button);
  const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
  const int hx = button.Width() / 2 - 2, hy = button.Height() / 2 - 2;
  pDC->MoveTo(cx - hx, cy);
  pDC->LineTo(cx + hx + 1, cy);
  if (state == "0") {
    pDC->MoveTo(cx, cy - hy);
    pDC->LineTo(cx, cy + hy + 1);
  }
  pDC->SelectObject(oldPen);
  if (oldBrush) pDC->SelectObject(oldBrush);
}

// The two cells differ only in the base they call.
#define GX_TREE_CELL_BODY(CLASS, BASE)                                                                        \
  int CLASS::GetTreeLevel(ROWCOL nRow, ROWCOL nCol) {                                                         \
    return CGXTreeCellLook::GetTreeLevel(m_pGrid, nRow, nCol, m_nRow, m_nCol);                                       \
  }                                                                                                           \
  void CLASS::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,                 \
                               const CGXStyle* pStyle) {                                                      \
    BASE::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);                                              \
    rect.left += CGXTreeCellLook::kButtonWidth + CGXTreeCellLook::Indent(GetTreeLevel(nRow, nCol));           \
  }                                                                                                           \
  CSize CLASS::GrowSizeByBorders(CSize size, const CGXStyle& style) {                                         \
    size.cx += CGXTreeCellLook::kButtonWidth + CGXTreeCellLook::Indent(CGXTreeCellLook::LevelOf(style));      \
    return BASE::GrowSizeByBorders(size, style);                                                              \
  }                                                                                                           \
  void CLASS::LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) {                                   \
    const BOOL node = CGXTreeCellLook::HasNode(m_pGrid, nRow, nCol, m_nRow, m_nCol);                           \
    m_pButton->SetRect(node ? CGXTreeCellLook::ButtonRect(rect, GetTreeLevel(nRow, nCol)) : CRect(0, 0, 0, 0));   \
  }                                                                                                           \
  void CLASS::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,                     \
                   const CGXStyle* pStandard) {                                                               \
    BASE::Draw(pDC, rect, nRow, nCol, style, pStandard);                                                      \
    LayoutChildren(nRow, nCol, rect);                                                                         \
    CGXTreeCellLook::DrawNode(pDC, rect, CGXTreeCellLook::ButtonRect(rect, GetTreeLevel(nRow, nCol)), style);    \
  }

GX_TREE_CELL_BODY(CGXTreeEdit, CGXVScrollEdit)
GX_TREE_CELL_BODY(CGXTreeStatic, CGXStatic)
