// CGXEditControl: the in-place text editor shown over the current cell; other cells draw as static text.
#pragma once

#include "grid/controls/GXStatic.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"

class CGXEditControl : public CEdit, public CGXStatic {
 public:
  CGXEditControl(CGXGridCore* pGrid, UINT nEditID);
  ~CGXEditControl() override;

  GX_DECLARE_CONTROL_CLASS(CGXEditControl, CGXStatic)
  BOOL ShowsValueAsIs() const override { return typeid(*this) == typeid(CGXEditControl); }
  CWnd* GetWnd() override { return this; }
  void SetActive(BOOL bActive) override;
  BOOL IsActive() override { return m_bIsActive; }
  void SetModify(BOOL bModified) override;
  BOOL GetModify() override;
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL Store() override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  // The active cell is measured by the text being typed.
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  void Hide() override;
  BOOL OnGridKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChars(const CString& chars) override;
  // Clicks activate the cell as the grid's activation flags allow, the caret on the character hit.
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  // The character of the bound cell's text under the point, -1 when none.
  int CharFromPoint(CPoint pt);
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL GetSelectedText(CString& text) override;
  // EN_CHANGE from the edit window: the grid hears of the change, auto-sized cells grow.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // In the bound active cell the search runs in the typed text from behind the selection's start.
  BOOL FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSetSel) override;
  // In the bound active cell every match from the selection's start on, in the typed text.
  BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) override;
  BOOL Copy() override { return CGXStatic::Copy(); }
  BOOL Paste() override { return CGXStatic::Paste(); }
  BOOL Cut() override { return CGXStatic::Cut(); }

  // TRUE when the edit window keeps the key; FALSE sends it on to the grid.
  BOOL KeepsKey(UINT nChar);
  // TRUE: the edit window handles the typed character itself; FALSE: the control inserts the pending
  // text (or drops the character).
  virtual BOOL OnCharFilter(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual BOOL CreateEditWnd(DWORD dwStyle, const CRect& rect);
  virtual DWORD GetEditStyle(CRect& rect, int& nLineHeight);
  // Brings the window's style word in line with the cell (Enter, wrapping, alignment, scroll bar).
  void UpdateEditStyle();

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  UINT OnGetDlgCode() override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  // A press inside the selected text drags that text out of the cell.
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnContextMenu(CWnd*, CPoint) override {}  // the cell's editor shows no menu of its own
  // The text that results from putting `typed` in place of the selection.
  CString WouldBeText(const CString& typed);
  void CaretToEnd();
  // Home or End activated the cell: the caret goes to its start or end.
  virtual void CaretToEdge(BOOL bEnd);
  // Delete on the current cell: empties it; FALSE when the cell or the grid refuses.
  virtual BOOL DeleteCellText();
  // Activates through the mouse when `allow`; the caret goes to `nChar` or the whole text is selected.
  void ActivateAt(BOOL allow, int nChar);
  void EvalFloat();

  BOOL m_bIsActive = FALSE;
  BOOL m_bAutoSize = FALSE;
  BOOL m_bScrollbar = FALSE;
  UINT m_nEditID;
  CFont m_font;
  DWORD m_dwEditStyle = 0;
  int m_nAlignment = 0;
  int m_nLineHeight = 0, m_nMaxCharWidth = 0;
  BOOL m_bAllowEnter = FALSE;
  BOOL m_bWrapText = FALSE;
  BOOL m_bInserting = FALSE;
  CString m_strPending;  // what the typed character inserts
  UINT m_nMaxLength = 0;
  // An input-method composition runs (one for the process, as there is one keyboard).
  static BOOL s_bComposing;
};

// The edit cell that may show a vertical scroll bar in wrapped text.
class CGXVScrollEdit : public CGXEditControl {
 public:
  CGXVScrollEdit(CGXGridCore* pGrid, UINT nEditID) : CGXEditControl(pGrid, nEditID) {}
  GX_DECLARE_CONTROL_CLASS(CGXVScrollEdit, CGXEditControl)
  DWORD GetEditStyle(CRect& rect, int& nLineHeight) override;
};
