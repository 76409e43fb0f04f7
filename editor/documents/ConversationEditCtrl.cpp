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
  SyncWindowText();
  return 1;
}

void CConversationEditCtrl::AppendText(LPCSTR lpszText) {
  if (!lpszText || !*lpszText) return;
  SECEdit* e = GetEdit();
  tagLINEDESC* tail = nullptr;
  int count = 0;
  tagLINEDESC* first = e->SplitIntoLines(lpszText, -1, &tail, &count);
  if (!first) return;
  tagLINEDESC* last = SECEdit::GetLastLine(e->m_pLine);
  uint32_t number = 1;
  if (!last) {
    e->m_pLine = first;
  } else if (last->nLength > 0) {
    number = e->LineNumber(last) + 1;
    last->pNext = first;
    first->pPrev = last;
  } else {
    // An empty last line stays last, after the new lines.
    number = e->LineNumber(last);
    first->pPrev = last->pPrev;
    if (last->pPrev) last->pPrev->pNext = first;
    else e->m_pLine = first;
    tail->pNext = last;
    last->pPrev = tail;
    e->NumberNewLines(last, last, number + (uint32_t)count);
  }
  e->NumberNewLines(first, tail, number);
  e->m_nLineCount += count;
  e->TextChangedAt(number - 1);
  if (!GetSafeHwnd()) return;
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  CoreSetScrollRange(SB_HORZ, 0, SECEDIT_MAX_LINE, TRUE);
  if (m_pTopLine && (int)e->LineNumber(m_pTopLine) != m_nTopLine) m_pTopLine = FindLine(m_nTopLine);
  // The caret goes to the last line, and the newest text into view.
  m_pCurLine = SECEdit::GetLastLine(first);
  m_nCurLine = e->m_nLineCount;
  m_nCurCol = 0;
  ScrollCaretUpToBottomRow();
  EnsureCaretVisible();
  Invalidate(FALSE);
  SyncWindowText();
}

// Other threads read a window's text without asking it: it is kept equal to the log.
void CConversationEditCtrl::SyncWindowText() {
  const CString text = GetLogText();
  SECEditCtrl::WindowProc(WM_SETTEXT, 0, (LPARAM)text.GetString());
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
  SyncWindowText();
}

void CConversationEditCtrl::DrawMarks(CDC* pDC, RECT*, tagLINEDESC* pLine) {
  static const COLORREF s_crBackground = pDC->GetBkColor();
  pDC->SetBkColor(pLine && (pLine->dwFlags & LINE_BOOKMARK) ? RGB(0, 255, 255) : s_crBackground);
}

CString CConversationEditCtrl::GetLogText() {
  std::string s;
  for (tagLINEDESC* p = GetEdit()->m_pLine; p; p = p->pNext)
    if (p->pText) s.append(p->pText, (size_t)p->nLength);
  return CString(s.c_str());
}

// The window text is the log, as an edit control's would be.
LRESULT CConversationEditCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return GetLogText().GetLength();
  if (message == WM_GETTEXT) {
    if (wParam == 0 || !lParam) return 0;
    const CString text = GetLogText();
    const size_t n = std::min((size_t)text.GetLength(), (size_t)wParam - 1);
    memcpy(reinterpret_cast<char*>(lParam), text.GetString(), n);
    reinterpret_cast<char*>(lParam)[n] = '\0';
    return (LRESULT)n;
  }
  return SECEditCtrl::WindowProc(message, wParam, lParam);
}
