// CGXMaskControl: the edit cell whose text is typed against an input mask of literals and character classes.
#pragma once

#include "grid/controls/GXEditControl.h"
#include "grid/controls/GXMaskData.h"

class CGXStylesMap;

class CGXMaskControl : public CGXEditControl {
 public:
  // Without a runtime class the mask objects are plain CGXMaskData, made on first use.
  CGXMaskControl(CGXGridCore* pGrid, UINT nEditID, CRuntimeClass* pMaskClass = nullptr);
  ~CGXMaskControl() override;

  // The mask (51023) and prompt (51024) attributes of the cell style.
  static void AddUserAttributes(CGXStylesMap* pStylesMap);
  // The clipboard format that carries the typed characters without literals.
  static UINT GetMaskDataFormat();

  GX_DECLARE_CONTROL_CLASS(CGXMaskControl, CGXStatic)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnValidate() override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  BOOL OnGridChars(const CString& chars) override;
  BOOL Copy() override;
  BOOL Paste() override;
  BOOL CanPaste() override;
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  BOOL CreateEditWnd(DWORD dwStyle, const CRect& rect) override;
  DWORD GetEditStyle(CRect& rect, int& nLineHeight) override;
  // Mask, prompt and length limit of a cell style into a mask object.
  virtual void SetupMaskData(CGXMaskData* pMask, const CGXStyle& style);

  CGXMaskData* GetEditMask() { return m_pEditMask; }
  BOOL GetInsertMode() const { return m_bInsertMode; }

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  // The window style follows the cell whenever the window shows or takes the focus.
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnShowWindow(BOOL bShow, UINT nStatus) override;
  void CaretToEdge(BOOL bEnd) override;
  BOOL DeleteCellText() override;

 private:
  void EnsureMasks();
  // The selection as mask positions, start first.
  void GetSelPos(int& nStart, int& nEnd);
  void SetCaretPos(int nPos);
  int CaretOffset();
  // The window shows the edit mask again; the cell is modified and the caret at nPos.
  void Rebuild(int nPos, BOOL bNotify);
  void TypeChar(CString ch);
  // Replaces positions nStart..nEnd-1 of a mask with a text, with or without its literals; the
  // position after it, -1 (the mask as it was) when the text fits neither way.
  int ReplaceRange(CGXMaskData& mask, int nStart, int nEnd, LPCTSTR pszText);
  // A position snapped to where the caret may stand.
  int SnapPos(int nPos);
  void ClickAt(BOOL bAllow, CPoint pt);

  CRuntimeClass* m_pMaskClass;
  CGXMaskData* m_pEditMask = nullptr;
  CGXMaskData* m_pDisplayMask = nullptr;
  BOOL m_bInsertMode = TRUE;
  BOOL m_bPastingMaskData = FALSE;
};
