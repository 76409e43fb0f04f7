#include "grid/controls/GXPasswordControl.h"

#include "platform/core/SystemInfo.h"

CGXPasswordControl::CGXPasswordControl(CGXGridCore* pGrid, UINT nEditID) : CGXEditControl(pGrid, nEditID) {
  m_nExtra = 1;
}

DWORD CGXPasswordControl::GetEditStyle(CRect& rect, int& nLineHeight) {
  return (CGXEditControl::GetEditStyle(rect, nLineHeight) & ~(DWORD)ES_MULTILINE) | ES_PASSWORD;
}

// A single-line window from the start: only such a window echoes.
BOOL CGXPasswordControl::CreateEditWnd(DWORD dwStyle, const CRect& rect) {
  if (!dwStyle) dwStyle = WS_CHILD | ES_AUTOHSCROLL | ES_NOHIDESEL;
  return CGXEditControl::CreateEditWnd((dwStyle & ~(DWORD)ES_MULTILINE) | ES_PASSWORD, rect);
}

// One echo character per character: a double-byte character counts once.
void CGXPasswordControl::Echo(CString& text) const {
  int count = 0;
  for (int i = 0; i < text.GetLength(); ++i, ++count)
    if (IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.GetLength()) ++i;
  text = CString(m_chPasswordChar, count);
}

BOOL CGXPasswordControl::GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue,
                                        const CGXStyle* pStyle) {
  const BOOL ok = CGXControl::GetDisplayText(text, nRow, nCol, pszValue, pStyle);
  if (m_bHideText) Echo(text);
  return ok;
}

// What copying and cutting take: the hidden text stays hidden on the clipboard too.
BOOL CGXPasswordControl::GetSelectedText(CString& text) {
  const BOOL ok = CGXEditControl::GetSelectedText(text);
  if (m_bHideText) Echo(text);
  return ok;
}

void CGXPasswordControl::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  m_bHideText = FALSE;
  CString real;
  if (!m_bInit || !GetDisplayText(real, m_nRow, m_nCol, text, &GetCurrentStyle())) real = text;
  m_bHideText = TRUE;
  SendMessage(EM_SETPASSWORDCHAR, (WPARAM)(BYTE)m_chPasswordChar);
  SetWindowText(real);
}
