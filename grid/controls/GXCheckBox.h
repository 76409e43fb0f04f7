// CGXCheckBox: a cell showing a check box (with the choice list as label) that toggles the value
// between a checked and an unchecked text, optionally through a third, indeterminate state.
#pragma once

#include "grid/engine/GXControl.h"
#include "platform/ui/Clipboard.h"

class CGXStylesMap;

class CGXCheckBox : public CGXControl {
 public:
  CGXCheckBox(CGXGridCore* pGrid, BOOL b3D = FALSE, UINT nScreenBitmapId = 0, UINT nPrinterBitmapId = 0);
  ~CGXCheckBox() override;

  // Box state bits.
  enum { stateFocus = 1, statePressed = 2, stateChecked = 4, stateUnchecked = 8, stateDisabled = 10 };

  GX_DECLARE_CONTROL_CLASS(CGXCheckBox, CGXControl)
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL MouseMove(UINT flags, CPoint pt) override;
  BOOL LButtonDown(UINT flags, CPoint pt) override;
  BOOL LButtonUp(UINT flags, CPoint pt) override;
  BOOL LButtonDblClk(UINT flags, CPoint pt) override;
  BOOL DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Toggles the bound cell: checked to unchecked, anything else to checked; a tri-state cell goes
  // from unchecked to empty.
  BOOL OnClickedButton(CObject* pChild) override;
  void OnGridSysColorChange() override;

  virtual UINT GetState(ROWCOL nRow, ROWCOL nCol, const CGXStyle& style);
  virtual void DrawCheckBox(CDC* pDC, CRect rect, UINT nState, UINT nAlign, LPCTSTR pszLabel);
  virtual void GetCheckBoxRect(CRect& box, CDC* pDC, const CRect& rect, LPCTSTR pszLabel, UINT nAlign);
  virtual COLORREF MapImageColor(COLORREF color, BOOL bPrinter);
  virtual BOOL LoadBitmaps();

  // The checked and unchecked value attributes (51019, 51020).
  static void AddUserAttributes(CGXStylesMap* pStylesMap);
  UINT GetScreenBitmapId() const { return m_nScreenId; }

 private:
  static CString CheckedText(const CGXStyle& style);
  static CString UncheckedText(const CGXStyle& style);
  void FreeBitmaps();
  // The box of the bound cell, laid out with the cell font in the grid window.
  BOOL HitBox(CPoint pt);

  BOOL m_b3D;
  HGLOBAL m_hScreen = nullptr;
  HGLOBAL m_hPrinter = nullptr;
  UINT m_nScreenId;
  UINT m_nPrinterId;
  int m_nBoxSize = 13;
  BOOL m_bPressed = FALSE;
  CRect m_rectBox;
};
