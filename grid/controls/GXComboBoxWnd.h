// CGXComboBoxWnd: the cell whose active cell is a native combo box laid over it; other cells draw as
// static text with an arrow. CGXComboEditPart hands the keys of the combo's edit field to the cell.
#pragma once

#include "grid/controls/GXComboBox.h"
#include "grid/controls/GXStatic.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"

class CGXComboBoxWnd;

// The combo's edit field: keys go to the cell first, a focus leaving the combo is told to it.
class CGXComboEditPart : public CEdit {
 public:
  CGXComboBoxWnd* m_pOwner = nullptr;

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKillFocus(CWnd* pNewWnd) override;
};

// The arrow of inactive cells; the active cell shows the combo's own.
class CGXComboBoxWndButton : public CGXComboBoxButton {
 public:
  explicit CGXComboBoxWndButton(CGXControl* pOwner) : CGXComboBoxButton(pOwner) {}
  void Draw(CDC* pDC, BOOL bActive) override;
};

class CGXComboBoxWnd : public CComboBox, public CGXStatic {
 public:
  explicit CGXComboBoxWnd(CGXGridCore* pGrid);
  ~CGXComboBoxWnd() override;

  // Makes the arrow and the window of class "GXCOMBOBOX"; FALSE when the window could not be made.
  virtual BOOL CreateControl(DWORD dwStyle, UINT nID);

  virtual void GetComboWindowRect(CRect& rect, const CRect& rectCell) { rect = rectCell; }
  // TRUE when the key was used up; FALSE lets the combo box process it.
  virtual BOOL ProcessKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual void OnComboSetFocus();

  void GetEditSel(int& nStart, int& nEnd);
  void SetEditSel(int nStart, int nEnd);
  void GetComboText(CString& text);
  void ActivateAndDropDown();
  // The selection field's height.
  void SetComboItemHeight(int nHeight) { SetItemHeight(-1, (UINT)nHeight); }

  GX_DECLARE_CONTROL_CLASS(CGXComboBoxWnd, CGXStatic)
  CWnd* GetWnd() override { return this; }
  void SetActive(BOOL bActive) override;
  BOOL IsActive() override { return m_bIsActive; }
  void SetModify(BOOL bModified) override { m_bModified = bModified; }
  BOOL GetModify() override { return m_bModified; }
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL Store() override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  // A non-empty text that names no choice is refused where it would be converted.
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  void Hide() override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  BOOL OnGridKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChars(const CString& chars) override;
  BOOL OnGridSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSelect) override;
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) override;
  BOOL GetSelectedText(CString& text) override;
  BOOL OnClickedButton(CObject* pChild) override;
  // The active combo's text and background colours, its edit field and list included: the cell's.
  HBRUSH OnGridCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  // The combo box's notifications; the answer is always FALSE.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;
  BOOL ValidateText(const CString& text) override;
  BOOL Copy() override { return CGXStatic::Copy(); }
  BOOL Paste() override { return CGXStatic::Paste(); }
  BOOL Cut() override { return CGXStatic::Cut(); }

  int m_nFrameMargin;
  BOOL m_bFillWithChoiceList = TRUE;
  BOOL m_bWantArrowKeys = FALSE;  // arrows stay with the combo box
  BOOL m_bArrowFitsText = FALSE;
  int m_nIndexValue = -1;         // -1 the text, 0 or 1 the index counted from there
  BOOL m_bDispChoice = FALSE;
  BOOL m_bDropDownOnClick = TRUE;
  BOOL m_bAlwaysShowArrow = FALSE;
  BOOL m_bNoRoomWhenInactive = TRUE;
  BOOL m_bFitInside = FALSE;
  BOOL m_bTextCapable = TRUE;
  BOOL m_bItemFrame = TRUE;
  CGXComboEditPart m_wndEdit;
  CGXComboBoxWndButton* m_pButton = nullptr;
  int m_nTextHeight = 0;

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  BOOL IsDropDownList() const { return (GetStyle() & 3) == CBS_DROPDOWNLIST; }
  BOOL IsOwnerDrawn() const { return (GetStyle() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
  BOOL Converts(const CGXStyle& style) const;
  // Puts back what the list showed when it opened.
  void RestoreSaved();
  // Opens the list by a click on its arrow, once the window is in place.
  void DropByClick(CPoint ptInCombo);
  int MeasureTextHeight(const CGXStyle& style);

  BOOL m_bIsActive = FALSE;
  BOOL m_bModified = FALSE;
  CFont m_font;
  COLORREF m_clrText = 0, m_clrBack = 0xFFFFFF;
  CBrush m_brBack;
  int m_nSelStart = 0, m_nSelEnd = -1;
  BOOL m_bDropDownPending = FALSE;
  CString m_strSaved;
  int m_nSavedSel = -1;
};
