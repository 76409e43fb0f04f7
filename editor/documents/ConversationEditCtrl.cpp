#include "editor/documents/ConversationEditCtrl.h"

#include "platform/gdi/DC.h"

#include <algorithm>

#include <cstring>
#include <string>

int CConversationEditCtrl::AttachToDlgItem(UINT nID, CWnd* pParent) {
  if (!ReplaceDlgItem(nID, pParent, WS_EX_CLIENTEDGE)) return 0;
  m_nMargin = 0;
  SECEdit* e = GetEdit();
  e->SetWordWrap(TRUE);
  e->SetReadOnly(TRUE);
  e->SetLineEndMode(2);
  return 1;
}

void CConversationEditCtrl::AppendText(LPCSTR lpszText) {
  if (!lpszText || !*lpszText) return;
  SECEdit* e = GetEdit();
  tagLINEDESC* tail = nullptr;
  int count = 0;
  tagLINEDESC* first = e->SplitIntoLines(lpszText, -1, &tail, &count);
  if (!first) return;
  // The last line is remembered, so that an entry costs the same however long the log has grown.
  e->AppendLines(first, tail, count, e->LastLineFrom(m_pEnd, m_nEndFrees));
  m_pEnd = SECEdit::GetLastLine(tail);
  m_nEndFrees = SECEdit::LinesFreedEver();
  if (!GetSafeHwnd()) return;
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  CoreSetScrollRange(SB_HORZ, 0, SECEDIT_MAX_LINE, TRUE);
  if (m_pTopLine && (int)e->LineNumber(m_pTopLine) != m_nTopLine) m_pTopLine = FindLine(m_nTopLine);
  // The caret goes to the last line, and the newest text into view.
  m_pCurLine = m_pEnd;
  m_nCurLine = e->m_nLineCount;
  m_nCurCol = 0;
  ScrollCaretUpToBottomRow();
  EnsureCaretVisible();
  Invalidate(FALSE);
}

void CConversationEditCtrl::ClearEdit() {
  SECEdit* e = GetEdit();
  e->TextChangedAt(0);
  SECEdit::FreeLineList(e->m_pLine);
  ++e->m_nLinesFreed;
  e->ClearUndo();
  e->m_pLine = SECEdit::NewLine(64);
  if (e->m_pLine) e->m_pLine->nLength = 0;
  e->m_nLineCount = e->RenumberAll();
  m_pTopLine = m_pCurLine = e->m_pLine;
  m_nTopLine = m_nCurLine = 1;
  m_nCurCol = m_nLeftCol = 0;
  m_bSelection = FALSE;
  m_selStart = m_selEnd = m_selAnchor = SECSelEnd{};
  if (!GetSafeHwnd()) return;
  CoreSetScrollRange(SB_VERT, 0, 0, TRUE);
  CoreSetScrollRange(SB_HORZ, 0, SECEDIT_MAX_LINE, TRUE);
  CoreSetScrollPos(SB_VERT, 0, TRUE);
  Invalidate(TRUE);
  UpdateCaretPos();
}

void CConversationEditCtrl::DrawMarks(CDC* pDC, RECT*, tagLINEDESC* pLine) {
  static const COLORREF s_crBackground = pDC->GetBkColor();
  pDC->SetBkColor(pLine && (pLine->dwFlags & LINE_BOOKMARK) ? RGB(0, 255, 255) : s_crBackground);
}

CString CConversationEditCtrl::GetLogText() {
  std::string s((size_t)LogLength(), '\0');
  CopyLog(s.data(), s.size());
  return CString(s.c_str());
}

size_t CConversationEditCtrl::LogLength() {
  size_t n = 0;
  for (tagLINEDESC* p = GetEdit()->m_pLine; p; p = p->pNext)
    if (p->pText) n += (size_t)p->nLength;
  return n;
}

size_t CConversationEditCtrl::CopyLog(char* pBuffer, size_t nMax) {
  size_t n = 0;
  for (tagLINEDESC* p = GetEdit()->m_pLine; p && n < nMax; p = p->pNext) {
    if (!p->pText) continue;
    const size_t k = std::min((size_t)p->nLength, nMax - n);
    memcpy(pBuffer + n, p->pText, k);
    n += k;
  }
  return n;
}

// The window text is the log, read from its lines when asked, as an edit control's would be.
LRESULT CConversationEditCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return (LRESULT)LogLength();
  if (message == WM_GETTEXT) {
    if (wParam == 0 || !lParam) return 0;
    char* buffer = reinterpret_cast<char*>(lParam);
    const size_t n = CopyLog(buffer, (size_t)wParam - 1);
    buffer[n] = '\0';
    return (LRESULT)n;
  }
  return SECEditCtrl::WindowProc(message, wParam, lParam);
}
