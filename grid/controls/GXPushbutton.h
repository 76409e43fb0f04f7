// CGXPushbutton: a cell that is one push button captioned with the style's choice list.
#pragma once

#include "grid/controls/GXButton.h"
#include "grid/engine/GXControl.h"

class CGXPushbutton : public CGXControl {
 public:
  explicit CGXPushbutton(CGXGridCore* pGrid);

  GX_DECLARE_CONTROL_CLASS(CGXPushbutton, CGXControl)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  // The button covers the cell.
  void DrawBackground(CDC*, const CRect&, const CGXStyle&, BOOL = FALSE) override {}
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;

  CGXButton* GetButton() const { return m_pButton; }

 private:
  CGXButton* m_pButton;
};
