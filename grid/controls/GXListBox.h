// CGXListBox: a cell that shows its style's choice list as a list; its value is the text of the
// selected line. Inactive cells draw the list themselves, the active cell is a list box window.
#pragma once

#include "grid/engine/GXControl.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"

class CGXListBox : public CListBox, public CGXControl {
 public:
  CGXListBox(CGXGridCore* pGrid, UINT nID);
  ~CGXListBox() override;

  virtual void FillListBox();
  virtual BOOL CreateListBoxWnd();

  GX_DECLARE_CONTROL_CLASS(CGXListBox, CGXControl)
  CWnd* GetWnd() override { return this; }
  void SetActive(BOOL bActive) override;
  BOOL IsActive() override { return m_bIsActive; }
  void SetModify(BOOL bModified) override { m_bModified = bModified; }
  BOOL GetModify() override { return m_bModified; }
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  // Writes the selected line; with no line selected the value stays.
  BOOL Store() override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  void Hide() override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  BOOL DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The active window's text and background colours: the cell's.
  HBRUSH OnGridCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  // LBN_SELCHANGE from the window marks the cell modified.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 protected:
  UINT OnGetDlgCode() override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;

  // Activates and repeats the click into the window.
  void ActivateAndClick(UINT nFlags, CPoint pt);
  // The line the inactive cell draws at a grid point, -1 where none is drawn.
  int DrawnLineAt(CPoint pt);

  UINT m_nID;
  BOOL m_bIsActive = FALSE;
  // The window holds the bound cell's lines since it became active: a repaint keeps the chosen line.
  BOOL m_bFilledActive = FALSE;
  BOOL m_bModified = FALSE;
  CFont m_font;
  COLORREF m_clrText = 0, m_clrBack = 0xFFFFFF;
  CBrush m_brBack;
};
