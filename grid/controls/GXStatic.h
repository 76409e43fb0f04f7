// CGXStatic: the cell that shows its text without editing it, the look of every text cell at rest.
#pragma once

#include "grid/engine/GXControl.h"
#include "platform/gdi/GdiObject.h"

class CGXStatic : public CGXControl {
 public:
  explicit CGXStatic(CGXGridCore* pGrid);

  GX_DECLARE_CONTROL_CLASS(CGXStatic, CGXControl)
  BOOL ShowsValueAsIs() const override { return typeid(*this) == typeid(CGXStatic); }
  // Half the system frame width, at least 2 pixels; read anew each time.
  static int GetTextMargin();
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  // Width: what the text's lines need; height: its lines (wrapped when the style wraps).
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  BOOL CanFloatCell(ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, BOOL bFloat) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;

 protected:
  // The text colour and background the cell draws with (black on white while printing in black and white).
  void GetTextColors(const CGXStyle& style, COLORREF& text, COLORREF& back);
  UINT GetTextFormat(const CGXStyle& style) const;
  // The pool's bitmap that the text names; none for edit cells.
  HGLOBAL GetPoolBitmap(const CString& text);
  // The style's font at the grid's zoom, made afresh into `font` (left empty without a font).
  void CreateZoomedFont(CFont& font, const CGXStyle& style);
};

// Sets the grid's ignore-focus flag while a cell's window hides or takes the focus.
struct CGXFocusGuard {
  explicit CGXFocusGuard(CGXGridCore* g);
  ~CGXFocusGuard();
  CGXFocusGuard(const CGXFocusGuard&) = delete;
  CGXFocusGuard& operator=(const CGXFocusGuard&) = delete;
  CGXGridCore* grid;
  BOOL old;
};
