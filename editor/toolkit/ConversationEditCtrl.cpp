#include "editor/toolkit/ConversationEditCtrl.h"

IMPLEMENT_DYNAMIC(CConversationEditCtrl, CEdit)

BOOL CConversationEditCtrl::AttachConversation(int nCtrlID, CWnd* pParent, UINT nLimit) {
  if (!pParent || !SubclassDlgItem((UINT)nCtrlID, pParent)) return FALSE;
  // The limit is what a line may hold; the log itself keeps growing.
  (void)nLimit;
  SetLimitText(0);
  SendMessage(EM_SETREADONLY, TRUE);
  return TRUE;
}

void CConversationEditCtrl::AppendText(LPCSTR lpszText) {
  if (!m_hWnd || !lpszText) return;
  CString text;
  int length = GetWindowTextLength();
  if (length > 0) text = "\r\n";
  for (const char* p = lpszText; *p; ++p) {
    if (*p == '\r') continue;
    if (*p == '\n') text += "\r\n";
    else text += *p;
  }
  SetSel(length, length, TRUE);
  ReplaceSel(text);
  SendMessage(EM_SCROLLCARET);
}

void CConversationEditCtrl::Clear() {
  if (m_hWnd) SetWindowText("");
}

CString CConversationEditCtrl::GetLogText() const {
  CString s;
  if (m_hWnd) CWnd::GetWindowText(s);
  return s;
}
