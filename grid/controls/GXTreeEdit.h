// CGXTreeEdit, CGXTreeStatic: cells of the motion view's tree, their text indented by the tree level
// behind a node box that shows whether the group is open.
#pragma once

#include "grid/controls/GXButton.h"
#include "grid/controls/GXEditControl.h"

// What both tree cells share: the indent, the node button's place and its drawing.
class CGXTreeCellLook {
 public:
  static const int kButtonWidth = 9, kButtonHeight = 9;
  // Level >= 1 indents level * 18 + 3 pixels, anything else 3.
  static int Indent(int nLevel);
  // "Level in tree" read with "%i"; -1 when absent or not a number.
  static int LevelOf(const CGXStyle& style);
  // The level of a cell; all ones stand for the bound cell's row or column; -1 without a grid.
  static int GetTreeLevel(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, ROWCOL nBoundRow, ROWCOL nBoundCol);
  static CRect ButtonRect(const CRect& cell, int nLevel);
  // Whether the cell has the node button: only for a "State of node" of "1" (open) or "0" (closed),
  // not for an element's "-1" nor for a cell without the attribute.
  static BOOL HasNode(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, ROWCOL nBoundRow, ROWCOL nBoundCol);
  // The clickable node button, owned by the control's children; a click reaches the grid's
  // OnClickedButtonRowCol, where the view opens or closes the group.
  static CGXBitmapButtonChild* AttachButton(CGXControl* pOwner);
  // The strip left of the button and, for "State of node" "1" or "0", the minus or plus box.
  static void DrawNode(CDC* pDC, const CRect& cell, const CRect& button, const CGXStyle& style);
};

class CGXTreeEdit : public CGXVScrollEdit {
 public:
  CGXTreeEdit(CGXGridCore* pGrid, UINT nEditID)
      : CGXVScrollEdit(pGrid, nEditID), m_pButton(CGXTreeCellLook::AttachButton(this)) {}
  GX_DECLARE_CONTROL_CLASS(CGXTreeEdit, CGXVScrollEdit)
  int GetTreeLevel(ROWCOL nRow, ROWCOL nCol);
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;
  CGXBitmapButtonChild* GetButton() const { return m_pButton; }

 private:
  CGXBitmapButtonChild* m_pButton;  // laid out where the node box is drawn
};

class CGXTreeStatic : public CGXStatic {
 public:
  explicit CGXTreeStatic(CGXGridCore* pGrid) : CGXStatic(pGrid), m_pButton(CGXTreeCellLook::AttachButton(this)) {}
  GX_DECLARE_CONTROL_CLASS(CGXTreeStatic, CGXStatic)
  int GetTreeLevel(ROWCOL nRow, ROWCOL nCol);
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;
  CGXBitmapButtonChild* GetButton() const { return m_pButton; }

 private:
  CGXBitmapButtonChild* m_pButton;
};
