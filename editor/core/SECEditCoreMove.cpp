// Caret movement, selection extension, scrolling and the mouse of the editor engine.
#include "editor/core/SECEditCore.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Window.h"

#include <cctype>

namespace {

bool IsSelectCommand(UINT id) {
  return (id >= ID_SECEDIT_SELUP && id <= ID_SECEDIT_SELWORDRIGHT) || id == ID_SECEDIT_SELBOTTOM ||
         id == ID_SECEDIT_SELTOP;
}

// The plain movement of a Select command.
UINT PlainOf(UINT id) {
  switch (id) {
    case ID_SECEDIT_SELUP: return ID_SECEDIT_LINEUP;
    case ID_SECEDIT_SELLEFT: return ID_SECEDIT_CHARLEFT;
    case ID_SECEDIT_SELDOWN: return ID_SECEDIT_LINEDOWN;
    case ID_SECEDIT_SELEND: return ID_SECEDIT_END;
    case ID_SECEDIT_SELHOME: return ID_SECEDIT_HOME;
    case ID_SECEDIT_SELPAGEDOWN: return ID_SECEDIT_PAGEDOWN;
    case ID_SECEDIT_SELWORDLEFT: return ID_SECEDIT_WORDLEFT;
    case ID_SECEDIT_SELPAGEUP: return ID_SECEDIT_PAGEUP;
    case ID_SECEDIT_SELRIGHT: return ID_SECEDIT_CHARRIGHT;
    case ID_SECEDIT_SELWORDRIGHT: return ID_SECEDIT_WORDRIGHT;
    case ID_SECEDIT_SELBOTTOM: return ID_SECEDIT_BOTTOM;
    case ID_SECEDIT_SELTOP: return ID_SECEDIT_TOP;
    default: return id;
  }
}

bool Before(const SECEdit* e, const SECSelEnd& a, const SECSelEnd& b) {
  if (a.pLine != b.pLine) return e->LineNumber(a.pLine) < e->LineNumber(b.pLine);
  return a.nCol < b.nCol;
}

}  // namespace

int SECEditCoreBase::Move(UINT nID) {
  BOOL show = m_bShowMessages;
  if (nID == ID_SECEDIT_SELECTALL) return SelectAll();
  bool select = IsSelectCommand(nID);
  if (!select && m_bSelection) ClearSelection(show);
  if (select && !m_bSelection) BeginSelection(m_nSelMode, show);
  int r = 0;
  switch (PlainOf(nID)) {
    case ID_SECEDIT_LINEDOWN: r = LineDown(show); break;
    case ID_SECEDIT_LINEUP: r = LineUp(show); break;
    case ID_SECEDIT_CHARLEFT: r = CharLeft(show); break;
    case ID_SECEDIT_CHARRIGHT: r = CharRight(show); break;
    case ID_SECEDIT_PAGEUP: r = PageUp(show); break;
    case ID_SECEDIT_PAGEDOWN: r = PageDown(show); break;
    case ID_SECEDIT_HOME: r = Home(show); break;
    case ID_SECEDIT_END: r = End(show); break;
    case ID_SECEDIT_TOP: r = GoToTop(show); break;
    case ID_SECEDIT_BOTTOM: r = GoToTextEnd(show); break;
    case ID_SECEDIT_WORDLEFT: r = WordLeft(show); break;
    case ID_SECEDIT_WORDRIGHT: r = WordRight(show); break;
    default: break;
  }
  if (select) ExtendSelection(show);
  // A Select key that could not move (at the text's start or end) selects nothing: no empty selection
  // stays behind for typing, Backspace or a later Select key to start from.
  if (select && m_selStart.pLine == m_selEnd.pLine && m_selStart.nCol == m_selEnd.nCol) ClearSelection(show);
  return r;
}

void SECEditCoreBase::FinishMove(BOOL bShow) {
  if (bShow) EnsureCaretVisible();
  Notify(SECEDIT_HINT_MOVED);
}

// Moves the window contents by whole rows and repaints only what they uncover.
void SECEditCoreBase::ScrollRows(int nRows) {
  if (!m_pWnd->GetSafeHwnd() || !m_bShowMessages) return;
  const int dy = -nRows * m_nLineHeight;
  m_pWnd->ScrollWindow(0, dy);
  // The gutter's checkerboard is laid from the window's top: moved by an odd number of pixels it would
  // no longer meet the rows painted afresh, so it is painted again.
  if (dy % 2) {
    CRect gutter;
    m_pWnd->GetClientRect(&gutter);
    gutter.right = m_nMargin;
    m_pWnd->InvalidateRect(&gutter, FALSE);
  }
  m_pWnd->UpdateWindow();
}

int SECEditCoreBase::LineDown(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (!m_pCurLine->pNext) return SECEDIT_END_OF_FILE;
  if (bShow) EnsureCaretVisible();
  bool lastRow = RowOf(m_nCurLine) >= VisibleRows() - 1;
  m_pCurLine = m_pCurLine->pNext;
  ++m_nCurLine;
  if (lastRow && m_pTopLine->pNext) {
    m_pTopLine = m_pTopLine->pNext;
    ++m_nTopLine;
    if (bShow) {
      ScrollRows(1);
      CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
    }
  }
  m_nCurCol = ClampColumn(m_nCurCol);
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::LineUp(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (!m_pCurLine->pPrev) return SECEDIT_TOP_OF_FILE;
  if (bShow) EnsureCaretVisible();
  bool topRow = m_pCurLine == m_pTopLine;
  m_pCurLine = m_pCurLine->pPrev;
  --m_nCurLine;
  if (topRow) {
    m_pTopLine = m_pCurLine;
    m_nTopLine = m_nCurLine;
    if (bShow) {
      ScrollRows(-1);
      CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
    }
  }
  m_nCurCol = ClampColumn(m_nCurCol);
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::CharLeft(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (m_nCurCol > 0) {
    m_nCurCol = PrevColumn(m_nCurCol);
  } else {
    if (!m_pCurLine->pPrev) return SECEDIT_TOP_OF_FILE;
    LineUp(bShow);
    m_nCurCol = TextEndCol(m_pCurLine);
  }
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::CharRight(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (m_nCurCol >= SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
  int next = NextColumn(m_nCurCol);
  if (next != m_nCurCol)
    m_nCurCol = next;
  else if (m_pCurLine->pNext && LineDown(bShow) == 0)
    m_nCurCol = 0;
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::PageDown(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (!m_pCurLine->pNext) return SECEDIT_END_OF_FILE;
  for (int i = PageRows(); i > 0 && m_pCurLine->pNext; --i) {
    m_pCurLine = m_pCurLine->pNext;
    ++m_nCurLine;
    if (m_pTopLine->pNext) {
      m_pTopLine = m_pTopLine->pNext;
      ++m_nTopLine;
    }
  }
  m_nCurCol = ClampColumn(m_nCurCol);
  if (bShow) {
    Redraw(FALSE);
    EnsureCaretVisible();
    CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
  }
  Notify(SECEDIT_HINT_MOVED);
  return 0;
}

int SECEditCoreBase::PageUp(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (!m_pCurLine->pPrev) return SECEDIT_TOP_OF_FILE;
  if (bShow) EnsureCaretVisible();
  tagLINEDESC* oldTop = m_pTopLine;
  for (int i = PageRows(); i > 0; --i) {
    if (m_pTopLine->pPrev) {
      m_pTopLine = m_pTopLine->pPrev;
      --m_nTopLine;
      m_pCurLine = m_pCurLine->pPrev;
      --m_nCurLine;
    } else if (m_pCurLine->pPrev) {
      m_pCurLine = m_pCurLine->pPrev;
      --m_nCurLine;
    }
  }
  m_nCurCol = ClampColumn(m_nCurCol);
  if (bShow && oldTop != m_pTopLine) Redraw(FALSE);
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::GoToTop(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  tagLINEDESC* first = SECEdit::GetFirstLine(GetEdit()->m_pLine);
  if (m_pCurLine == first && m_nCurCol == 0) return SECEDIT_TOP_OF_FILE;
  m_pCurLine = m_pTopLine = first;
  m_nCurLine = m_nTopLine = 1;
  m_nCurCol = m_nLeftCol = 0;
  if (bShow) {
    Redraw(FALSE);
    EnsureCaretVisible();
  }
  return 0;
}

int SECEditCoreBase::Home(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  m_nCurCol = 0;
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::End(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  m_nCurCol = TextEndCol(m_pCurLine);
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::WordLeft(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  SECEdit* e = GetEdit();
  if (m_nCurCol == 0) {
    if (!m_pCurLine->pPrev) return SECEDIT_TOP_OF_FILE;
    CharLeft(bShow);
  }
  if (!m_pCurLine->pText) return SECEDIT_NO_TEXT;
  int tl = e->TextLength(m_pCurLine);
  if (tl <= 0) {
    m_nCurCol = 0;
    FinishMove(bShow);
    return 0;
  }
  const char* t = m_pCurLine->pText;
  auto word = [e](char c) { return e->IsWordChar(c) || c == '_' || c == '.'; };
  int off = OffsetOfColumn(m_pCurLine, m_nCurCol);
  if (off > tl) off = tl;
  while (off > 0 && !word(t[off - 1])) --off;
  while (off > 0 && word(t[off - 1])) --off;
  if (off == 0 && isspace((unsigned char)t[0])) {
    if (!m_pCurLine->pPrev) return SECEDIT_TOP_OF_FILE;
    LineUp(bShow);
    m_nCurCol = TextEndCol(m_pCurLine);
  } else {
    m_nCurCol = ColumnOfOffset(m_pCurLine, off);
  }
  if (m_nCurCol < m_nLeftCol) {
    m_nLeftCol = m_nCurCol;
    if (bShow) Redraw(FALSE);
  }
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::WordRight(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  SECEdit* e = GetEdit();
  int tl = e->TextLength(m_pCurLine);
  int off = OffsetOfColumn(m_pCurLine, m_nCurCol);
  auto toNextLine = [&] {
    if (m_pCurLine->pNext && LineDown(bShow) == 0)
      m_nCurCol = 0;
    else
      m_nCurCol = TextEndCol(m_pCurLine);
  };
  if (off >= tl || !m_pCurLine->pText) {
    toNextLine();
  } else {
    const char* t = m_pCurLine->pText;
    auto word = [e](char c) { return e->IsWordChar(c) || c == '_' || c == '.'; };
    if (word(t[off]))
      while (off < tl && word(t[off])) ++off;
    while (off < tl && !word(t[off])) ++off;
    if (off < tl)
      m_nCurCol = ColumnOfOffset(m_pCurLine, off);
    else
      toNextLine();
  }
  FinishMove(bShow);
  return 0;
}

int SECEditCoreBase::SelectAll() {
  if (!Ready()) return SECEDIT_NO_TEXT;
  ClearSelection(FALSE);
  GoToTop(FALSE);
  m_pCurLine = m_pTopLine = SECEdit::GetFirstLine(GetEdit()->m_pLine);
  m_nCurLine = m_nTopLine = 1;
  m_nCurCol = 0;
  BeginSelection(1, FALSE);
  GoToTextEnd(FALSE);
  ExtendSelection(FALSE);
  Redraw(FALSE);
  EnsureCaretVisible();
  return 0;
}

int SECEditCoreBase::SelectLine(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  ClearSelection(bShow);
  m_nCurCol = 0;
  if (bShow) EnsureCaretVisible();
  BeginSelection(1, bShow);
  if (LineDown(bShow) == 0)
    m_nCurCol = 0;
  else
    m_nCurCol = TextEndCol(m_pCurLine);
  if (bShow) EnsureCaretVisible();
  ExtendSelection(bShow);
  return 0;
}

int SECEditCoreBase::SelectWord(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  SECEdit* e = GetEdit();
  ClearSelection(bShow);
  const char* t = m_pCurLine->pText;
  int tl = e->TextLength(m_pCurLine);
  int off = OffsetOfColumn(m_pCurLine, m_nCurCol);
  auto word = [e](char c) { return e->IsWordChar(c) || c == '_'; };
  if (!t || off >= tl || !word(t[off])) return 0;
  int l = off, r = off;
  while (l > 0 && word(t[l - 1]) && !e->m_anTermChars[(unsigned char)t[l - 1]]) --l;
  while (r < tl && word(t[r]) && !(r > off && e->m_anStartChars[(unsigned char)t[r]])) ++r;
  m_nCurCol = ColumnOfOffset(m_pCurLine, l);
  BeginSelection(1, bShow);
  m_nCurCol = ColumnOfOffset(m_pCurLine, r);
  ExtendSelection(bShow);
  if (bShow) EnsureCaretVisible();
  return 0;
}

void SECEditCoreBase::BeginSelection(int nMode, BOOL) {
  m_selStart = m_selEnd = m_selAnchor = SECSelEnd{m_pCurLine, m_nCurCol};
  m_nSelMode = nMode;
  m_bSelection = TRUE;
  if (m_bCaretCreated) DestroyCaret();
  m_bCaretCreated = FALSE;
}

void SECEditCoreBase::ExtendSelection(BOOL bShow) {
  if (!m_bSelection || !m_pCurLine) return;
  SECSelEnd caret{m_pCurLine, m_nCurCol};
  SECSelEnd oldStart = m_selStart, oldEnd = m_selEnd;
  if (m_nSelMode == 2) {
    // Lines in text order; the columns stay the anchor's and the caret's.
    bool up = caret.pLine != m_selAnchor.pLine && Before(GetEdit(), caret, m_selAnchor);
    m_selStart = SECSelEnd{up ? caret.pLine : m_selAnchor.pLine, m_selAnchor.nCol};
    m_selEnd = SECSelEnd{up ? m_selAnchor.pLine : caret.pLine, caret.nCol};
  } else if (Before(GetEdit(), caret, m_selAnchor)) {
    m_selStart = caret;
    m_selEnd = m_selAnchor;
  } else {
    m_selStart = m_selAnchor;
    m_selEnd = caret;
  }
  if (!bShow || !m_pWnd->GetSafeHwnd() || !m_pWnd->IsWindowVisible()) return;
  if (m_nSelMode == 2) {
    Redraw(FALSE);
    return;
  }
  // Only the rows whose selected state changed are painted again.
  int rows[4] = {(int)GetEdit()->LineNumber(oldStart.pLine), (int)GetEdit()->LineNumber(oldEnd.pLine),
                 (int)GetEdit()->LineNumber(m_selStart.pLine), (int)GetEdit()->LineNumber(m_selEnd.pLine)};
  int lo = rows[0], hi = rows[0];
  for (int r : rows) lo = r < lo ? r : lo, hi = r > hi ? r : hi;
  if (oldStart.pLine == m_selStart.pLine && oldStart.nCol == m_selStart.nCol) lo = std::min(rows[1], rows[3]);
  if (oldEnd.pLine == m_selEnd.pLine && oldEnd.nCol == m_selEnd.nCol) hi = std::max(rows[0], rows[2]);
  for (int n = std::max(lo, m_nTopLine); n <= hi && n <= m_nTopLine + VisibleRows(); ++n) InvalidateRow(RowOf(n));
}

void SECEditCoreBase::ScrollCaretUpToBottomRow() {
  const int rows = PageRows();
  if (rows <= 0 || m_nCurLine < m_nTopLine + rows) return;
  m_nTopLine = m_nCurLine - rows + 1;
  m_pTopLine = FindLine(m_nTopLine);
  SECEditCoreBase::CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
}

void SECEditCoreBase::EnsureCaretVisible() {
  SECEdit* e = GetEdit();
  if (!e || !Ready() || m_nCharWidth <= 0 || m_nLineHeight <= 0) return;
  int rows = PageRows(), cols = VisibleCols();
  // Part of a cell is still a place to show the caret in.
  if (cols <= 0 && m_rcClient.Width() > m_nMargin) cols = 1;
  if (rows <= 0 || cols <= 0) return;
  if (m_nCurCol < 0) m_nCurCol = 0;
  int oldTop = m_nTopLine, oldLeft = m_nLeftCol;
  int ts = e->GetTabSize();
  while (m_nLeftCol > m_nCurCol) m_nLeftCol = m_nLeftCol - ts < 0 ? 0 : m_nLeftCol - ts;
  // A window narrower than a tab stop would step past the caret: the step ends at it.
  const int span = cols > 1 ? cols - 1 : 1;
  while (m_nCurCol >= m_nLeftCol + span) m_nLeftCol = std::min(m_nLeftCol + ts, m_nCurCol);
  if (m_nCurLine < m_nTopLine || m_nCurLine >= m_nTopLine + rows) {
    m_pTopLine = m_pCurLine;
    m_nTopLine = m_nCurLine;
  }
  if (!m_rcFindDlg.IsRectEmpty() && m_pWnd->GetSafeHwnd()) {
    // A match under the Replace dialog is moved to the side of it with more room.
    CRect dlg = m_rcFindDlg;
    m_pWnd->ScreenToClient(&dlg);
    const int h = m_nLineHeight;
    int y = (m_nCurLine - m_nTopLine) * h;
    if (y >= dlg.top && y + h <= dlg.bottom) {
      const int above = dlg.top > 0 ? dlg.top / h : 0;
      const int below = m_rcClient.bottom > dlg.bottom ? (m_rcClient.bottom - dlg.bottom) / h : 0;
      if (above > below) {
        m_pTopLine = m_pCurLine;
        m_nTopLine = m_nCurLine;
      } else {
        // A dialog taller than the window would push the match out of it: the last whole row is as far as it goes.
        const int last = (rows - 1) * h;
        for (; y < dlg.bottom && y < last && m_pTopLine->pPrev; y += h) m_pTopLine = m_pTopLine->pPrev, --m_nTopLine;
      }
    }
  }
  m_rcFindDlg.SetRectEmpty();
  if (!m_bShowMessages || !m_pWnd->GetSafeHwnd()) return;
  if (oldTop != m_nTopLine || oldLeft != m_nLeftCol) Redraw(FALSE);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  if (CoreGetScrollInfo(SB_VERT, &si) && si.nMax != (e->m_nLineCount - 1) / m_nScrollScale)
    CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  if (m_pWnd->GetScrollPos(SB_HORZ) != m_nLeftCol) CoreSetScrollPos(SB_HORZ, m_nLeftCol, TRUE);
  CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
  UpdateCaretPos();
  OnPostScroll();
}

// ---- Scroll bars ----

void SECEditCoreBase::CoreSetScrollRange(int nBar, int nMin, int nMax, BOOL bRedraw) {
  SECEdit* e = GetEdit();
  int count = e ? e->m_nLineCount : 1;
  m_nScrollScale = (count - 1) / 65535 + 1;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  si.nMin = nMin;
  if (nBar == SB_HORZ) {
    si.nMax = nMax;
    si.nPage = 32;
  } else {
    int rows = VisibleRows();
    int page = rows < 1 ? 1 : rows;
    if (rows < 1) nMax = 2;
    if (count <= page && m_pTopLine && m_nTopLine != 1) {
      m_pTopLine = SECEdit::GetFirstLine(m_pTopLine);
      m_nTopLine = 1;
      Redraw(FALSE);
    }
    si.nMax = nMax / m_nScrollScale;
    si.nPage = (UINT)(page / m_nScrollScale);
    // A position the old range held back follows the top line in the new one.
    if (m_pTopLine) {
      si.fMask |= SIF_POS;
      si.nPos = (m_nTopLine - 1) / m_nScrollScale;
    }
  }
  if (m_pWnd->GetSafeHwnd()) m_pWnd->SetScrollInfo(nBar, &si, bRedraw);
}

void SECEditCoreBase::CoreSetScrollPos(int nBar, int nPos, BOOL bRedraw) {
  if (nBar == SB_VERT) nPos /= m_nScrollScale;
  if (m_pWnd->GetSafeHwnd()) m_pWnd->SetScrollPos(nBar, nPos, bRedraw);
}

BOOL SECEditCoreBase::CoreGetScrollInfo(int nBar, SCROLLINFO* pInfo) {
  return m_pWnd->GetSafeHwnd() ? m_pWnd->GetScrollInfo(nBar, pInfo) : FALSE;
}

void SECEditCoreBase::HandleVScroll(UINT nCode, UINT nPos) {
  SECEdit* e = GetEdit();
  if (!Ready()) return;
  m_bInScroll = TRUE;
  int rows = PageRows();
  switch (nCode) {
    case SB_LINEUP:
      if (m_pTopLine->pPrev) {
        m_pTopLine = m_pTopLine->pPrev;
        --m_nTopLine;
        ScrollRows(-1);
        UpdateCaretPos();
        CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
      }
      break;
    case SB_LINEDOWN:
      if (m_pTopLine->pNext) {
        m_pTopLine = m_pTopLine->pNext;
        ++m_nTopLine;
        ScrollRows(1);
        UpdateCaretPos();
        CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
      }
      break;
    case SB_PAGEUP:
    case SB_PAGEDOWN:
      for (int i = rows; i > 0; --i) {
        tagLINEDESC* next = nCode == SB_PAGEUP ? m_pTopLine->pPrev : m_pTopLine->pNext;
        if (!next) break;
        m_pTopLine = next;
        m_nTopLine += nCode == SB_PAGEUP ? -1 : 1;
      }
      Redraw(FALSE);
      UpdateCaretPos();
      if (nCode == SB_PAGEUP) Notify(SECEDIT_HINT_MOVED);
      CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      int n = (int)nPos * m_nScrollScale + 1;
      if (n > e->m_nLineCount) n = e->m_nLineCount;
      if (tagLINEDESC* p = FindLine(n)) {
        m_pTopLine = p;
        m_nTopLine = (int)GetEdit()->LineNumber(p);
      }
      Redraw(FALSE);
      UpdateCaretPos();
      CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
      break;
    }
    default: break;
  }
  m_bInScroll = FALSE;
}

void SECEditCoreBase::HandleHScroll(UINT nCode, UINT nPos) {
  int left = m_nLeftCol;
  switch (nCode) {
    case SB_LINELEFT: left -= 1; break;
    case SB_LINERIGHT: left += 1; break;
    case SB_PAGELEFT: left -= 32; break;
    case SB_PAGERIGHT: left += 32; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: left = (int)nPos; break;
    case SB_ENDSCROLL: CoreSetScrollPos(SB_HORZ, m_nLeftCol, TRUE); return;
    default: return;
  }
  left = left < 0 ? 0 : left > SECEDIT_MAX_LINE ? SECEDIT_MAX_LINE : left;
  if (left == m_nLeftCol) return;
  m_nLeftCol = left;
  CoreSetScrollPos(SB_HORZ, m_nLeftCol, TRUE);
  Redraw(TRUE);
  UpdateCaretPos();
}

BOOL SECEditCoreBase::OnScroll(UINT nScrollCode, UINT, BOOL bDoScroll) {
  if (!Ready()) return FALSE;
  BYTE h = LOBYTE(nScrollCode), v = HIBYTE(nScrollCode);
  BOOL can = FALSE;
  if (h == SB_LINELEFT && m_nLeftCol > 0) can = TRUE;
  if (h == SB_LINERIGHT && m_nLeftCol < SECEDIT_MAX_LINE) can = TRUE;
  if (can && bDoScroll) HandleHScroll(h, 0);
  BOOL canV = (v == SB_LINEUP && m_pTopLine->pPrev) || (v == SB_LINEDOWN && m_pCurLine->pNext);
  if (canV && bDoScroll) HandleVScroll(v, 0);
  return can || canV;
}

void SECEditCoreBase::HandleSize(int cx, int cy) {
  m_rcClient.SetRect(0, 0, cx, cy);
  SECEdit* e = GetEdit();
  if (!e) return;
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  if (m_pTopLine) CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
}

// ---- Mouse ----

void SECEditCoreBase::HandleLButtonDown(UINT nFlags, CPoint point) {
  if (!Ready()) return;
  bool shift = (nFlags & MK_SHIFT) != 0;
  if (m_bSelection) {
    if (shift) {
      SetCaretFromPoint(point.x, point.y);
      ExtendSelection(TRUE);
      return;
    }
    if (IsPointInSelection(point.x, point.y)) {
      if (DoDragCopy() != 0) return;
      ClearSelection(TRUE);
      SetCaretFromPoint(point.x, point.y);
      return;
    }
    ClearSelection(TRUE);
    SetCaretFromPoint(point.x, point.y);
    BeginSelection(m_nSelMode, TRUE);
    m_ptLastMouse = point;
    if (m_bCapture) return;
  } else {
    int mode = (GetKeyState(VK_MENU) < 0 || m_nSelMode == 2) ? 2 : 1;
    if (shift) {
      BeginSelection(mode, TRUE);
      SetCaretFromPoint(point.x, point.y);
      ExtendSelection(TRUE);
    } else {
      SetCaretFromPoint(point.x, point.y);
      BeginSelection(mode, TRUE);
    }
    m_ptLastMouse = point;
  }
  m_pWnd->SetCapture();
  m_bCapture = TRUE;
  m_nTimer = m_pWnd->SetTimer(SECEDIT_TIMER, 100);
  m_bSkipTick = TRUE;
}

void SECEditCoreBase::MouseMoveTo(CPoint point) {
  if (point.y > m_rcClient.top && point.y < m_rcClient.bottom) {
    if (ms_bInMouseMove) return;
    ms_bInMouseMove = TRUE;
    tagLINEDESC* line = m_pCurLine;
    int col = m_nCurCol;
    SetCaretFromPoint(point.x, point.y);
    if (line != m_pCurLine || col != m_nCurCol) ExtendSelection(TRUE);
    ms_bInMouseMove = FALSE;
  } else if (point.y <= m_rcClient.top) {
    if (LineUp(TRUE) == 0) ExtendSelection(TRUE);
  } else if (LineDown(TRUE) == 0) {
    ExtendSelection(TRUE);
  }
  m_ptLastMouse = point;
}

void SECEditCoreBase::HandleMouseMove(UINT, CPoint point) {
  if (m_bCapture && Ready()) MouseMoveTo(point);
}

void SECEditCoreBase::HandleTimer(UINT_PTR nId) {
  if (nId != SECEDIT_TIMER || !m_bCapture) return;
  if (m_bSkipTick) {
    m_bSkipTick = FALSE;
    return;
  }
  CPoint p;
  GetCursorPos(&p);
  m_pWnd->ScreenToClient(&p);
  if (p == m_ptLastMouse && m_rcClient.PtInRect(p)) return;
  MouseMoveTo(p);
}

void SECEditCoreBase::HandleLButtonUp(UINT, CPoint point) {
  if (m_nTimer) m_pWnd->KillTimer(SECEDIT_TIMER);
  m_nTimer = 0;
  if (m_bCapture) {
    m_bCapture = FALSE;
    if (CWnd::GetCapture() == m_pWnd) ReleaseCapture();
  }
  if (!Ready()) return;
  if (m_bSelection && m_selStart.pLine == m_selEnd.pLine &&
      (m_selStart.nCol == m_selEnd.nCol || m_selStart.nCol > TextEndCol(m_selStart.pLine)))
    ClearSelection(TRUE);
  if (!m_bSelection && point.x <= m_nMargin - m_nCharWidth / 2) SelectLine(TRUE);
}

void SECEditCoreBase::HandleLButtonDblClk(UINT, CPoint) { SelectWord(TRUE); }

BOOL SECEditCoreBase::HandleSetCursor(UINT nHitTest) {
  if (nHitTest != HTCLIENT) return FALSE;
  CPoint p;
  GetCursorPos(&p);
  m_pWnd->ScreenToClient(&p);
  if (p.x <= m_nMargin - m_nCharWidth / 2) {
    if (HCURSOR c = AfxGetApp() ? AfxGetApp()->LoadCursor(IDC_SECEDIT_GUTTER) : nullptr) {
      ::SetCursor(c);
      return TRUE;
    }
    return FALSE;
  }
  if (IsPointInSelection(p.x, p.y)) {
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
  }
  return FALSE;
}
