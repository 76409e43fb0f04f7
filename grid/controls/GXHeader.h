// CGXHeader: the row and column header cell, a raised button face drawn pressed for the current
// row or column.
#pragma once

#include "grid/controls/GXStatic.h"

class CGXHeader : public CGXStatic {
 public:
  explicit CGXHeader(CGXGridCore* pGrid) : CGXStatic(pGrid) {}

  GX_DECLARE_CONTROL_CLASS(CGXHeader, CGXStatic)
  BOOL ShowsValueAsIs() const override { return typeid(*this) == typeid(CGXHeader); }
  // A focus rectangle instead of the grid's frame.
  void DrawCurrentCellFrame(CDC* pDC, const CRect& rect) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
};
