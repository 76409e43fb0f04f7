// CGXPasswordControl: an edit cell that never shows its text; the window echoes '*', the static look
// shows one '*' per character.
#pragma once

#include "grid/controls/GXEditControl.h"

class CGXPasswordControl : public CGXEditControl {
 public:
  CGXPasswordControl(CGXGridCore* pGrid, UINT nEditID);

  GX_DECLARE_CONTROL_CLASS(CGXPasswordControl, CGXEditControl)
  // The real text goes into the window, which echoes it.
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL CreateEditWnd(DWORD dwStyle, const CRect& rect) override;
  DWORD GetEditStyle(CRect& rect, int& nLineHeight) override;
  BOOL GetSelectedText(CString& text) override;

  BOOL m_bHideText = TRUE;
  char m_chPasswordChar = '*';

 protected:
  // Plain edit handling: a press in the selection must not drag the hidden text out.
  void OnLButtonDown(UINT nFlags, CPoint point) override { CEdit::OnLButtonDown(nFlags, point); }
  void Echo(CString& text) const;
};
