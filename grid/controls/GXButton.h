// CGXButton and its kinds: the push button drawn with a 3-D edge, the hot-spot button, the spin
// arrows with auto-repeat and the button drawn from bitmap resources.
#pragma once

#include "grid/engine/GXChild.h"
#include "platform/ui/Clipboard.h"

class CGXButton : public CGXChild {
 public:
  explicit CGXButton(CGXControl* pOwner) : CGXChild(pOwner) {}

  void Draw(CDC* pDC, BOOL bActive) override;
  BOOL OnMouseMove(UINT nFlags, int x, int y) override;
  BOOL OnLButtonDown(UINT nFlags, int x, int y) override;
  BOOL OnLButtonUp(UINT nFlags, int x, int y) override;
  BOOL OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;

  BOOL IsPressed() const { return m_bPressed; }
  BOOL IsTracking() const { return m_bTracking; }

  BOOL m_bRedrawOnChange = TRUE;

 protected:
  // Tells the owner; the library marks a click in progress meanwhile.
  void Click();
  void SetPressed(BOOL bPressed);
  // Face and edge; returns whether drawn pushed.
  BOOL DrawFace(CDC* pDC, BOOL bPushed);
  void InvalidateReleased(const CRect& pressedAt);

  BOOL m_bPressed = FALSE;
  BOOL m_bTracking = FALSE;
};

class CGXHotSpotButton : public CGXButton {
 public:
  explicit CGXHotSpotButton(CGXControl* pOwner) : CGXButton(pOwner) {}
  void Draw(CDC* pDC, BOOL bActive) override;
};

// Steps once on the press, then after 500 ms, 150 ms and 5 ms less each time down to 50 ms.
class CGXArrowButton : public CGXButton {
 public:
  explicit CGXArrowButton(CGXControl* pOwner) : CGXButton(pOwner) {}
  BOOL OnMouseMove(UINT nFlags, int x, int y) override;
  BOOL OnLButtonDown(UINT nFlags, int x, int y) override;
  BOOL OnLButtonUp(UINT nFlags, int x, int y) override;
  DWORD GetRepeatDelay() const { return m_nDelay; }

 protected:
  // Rows of the arrow, 1 pixel high: widths grow (up) or shrink (down).
  void DrawArrow(CDC* pDC, BOOL bActive, BOOL bUp);

  DWORD m_nLastStep = 0;
  DWORD m_nDelay = 0;
};

class CGXUpArrowButton : public CGXArrowButton {
 public:
  explicit CGXUpArrowButton(CGXControl* pOwner) : CGXArrowButton(pOwner) {}
  void Draw(CDC* pDC, BOOL bActive) override { DrawArrow(pDC, bActive, TRUE); }
};

class CGXDownArrowButton : public CGXArrowButton {
 public:
  explicit CGXDownArrowButton(CGXControl* pOwner) : CGXArrowButton(pOwner) {}
  void Draw(CDC* pDC, BOOL bActive) override { DrawArrow(pDC, bActive, FALSE); }
};

class CGXBitmapButtonChild : public CGXButton {
 public:
  explicit CGXBitmapButtonChild(CGXControl* pOwner) : CGXButton(pOwner) {}
  ~CGXBitmapButtonChild() override;

  // The normal image is required; the others load when their ids are not 0.
  BOOL LoadBitmaps(UINT nNormalId, UINT nPressedId = 0, UINT nFocusedId = 0);
  void Draw(CDC* pDC, BOOL bActive) override;
  // The largest width and height of the images.
  CSize GetSize() const;

 private:
  void FreeBitmaps();

  HGLOBAL m_hNormal = nullptr;
  HGLOBAL m_hPressed = nullptr;
  HGLOBAL m_hFocused = nullptr;
  BOOL m_bStateBitmaps = FALSE;
};

class CGXGridCore;
class CGXStyle;
class CFont;
// Selects the cell's font (when the style has one); returns the font to put back.
CFont* GXSelectCellFont(CGXGridCore* pGrid, CDC* pDC, const CGXStyle& style);
// The style's text colour and interior colour, system colours resolved; black on white while the
// grid prints in black and white.
void GXGetCellColors(CGXGridCore* pGrid, const CGXStyle& style, COLORREF& text, COLORREF& back);
// Makes font a copy of the cell's font scaled by the grid's zoom; FALSE (font left empty) when the
// style names no font.
BOOL GXCreateZoomedCellFont(CGXGridCore* pGrid, CFont& font, const CGXStyle& style);
class CWnd;
// Erases a control's window white, then, while the control is bound to a cell, in the cell's
// interior colour.
BOOL GXEraseCellWindow(CWnd& wnd, CGXControl& control, CDC* pDC);
