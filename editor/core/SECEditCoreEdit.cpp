// The editing commands of the editor engine: typing, Enter, tabs, deletions, undo and redo, and the
// clipboard with its column blocks.
#include "editor/core/SECEditCore.h"
#include "editor/core/SECEditHint.h"

#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"

#include <cstdlib>
#include <cstring>
#include <string>

IMPLEMENT_DYNAMIC(SECEditHint, CObject)

namespace {

const char kMarker[] = "*SECEdit Column Block*";
const int kMarkerLength = 22;

// Keeps one user action one undo step, whichever way the action ends.
class UndoGroup {
 public:
  explicit UndoGroup(SECEdit* e) : m_e(e) { m_e->BeginUndoGroup(TRUE); }
  ~UndoGroup() { m_e->BeginUndoGroup(FALSE); }
  UndoGroup(const UndoGroup&) = delete;
  UndoGroup& operator=(const UndoGroup&) = delete;

 private:
  SECEdit* m_e;
};

bool IsWhite(char c) { return c == ' ' || c == '\t'; }

bool BigUndoKind(int kind) {
  switch (kind) {
    case SECUNDO_DELETETEXT:
    case SECUNDO_INSERTTEXT:
    case SECUNDO_SPLITLINE:
    case SECUNDO_JOINLINES:
    case SECUNDO_DELETEBLOCK:
    case SECUNDO_INSERTBLOCK:
    case SECUNDO_INSERTFILE:
    case SECUNDO_GROUP: return true;
    default: return false;
  }
}

}  // namespace

SECEditPos SECEditCoreBase::CaretPos() {
  return SECEditPos{m_pCurLine, GetEdit()->ColumnToOffset(m_pCurLine, m_nCurCol)};
}

int SECEditCoreBase::LineWidth(tagLINEDESC* pLine) {
  return pLine && pLine->pText ? GetEdit()->GetTextWidth(pLine->pText, pLine->nLength) : 0;
}

// A quote or the last character of a block delimiter may recolour later lines: then all is redrawn.
void SECEditCoreBase::RedrawRow(char ch) {
  SECEdit* e = GetEdit();
  bool all = false;
  if (e->m_bChroma && ch) {
    all = ch == '"' || ch == '\'';
    const char* pairs[2][2] = {{e->m_szCommentStart1, e->m_szCommentEnd1}, {e->m_szCommentStart2, e->m_szCommentEnd2}};
    for (auto& pr : pairs)
      if (*pr[1])
        for (const char* d : pr)
          if (*d && d[strlen(d) - 1] == ch) all = true;
  }
  if (all)
    Redraw(FALSE);
  else
    InvalidateRow(RowOf(m_nCurLine));
  if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
  EnsureCaretVisible();
  Notify(0);
}

void SECEditCoreBase::RedrawBelow(int nRow) {
  if (!m_pWnd->GetSafeHwnd()) return;
  CRect r(0, nRow < 0 ? 0 : nRow * m_nLineHeight, m_rcClient.right, m_rcClient.bottom);
  m_pWnd->InvalidateRect(&r, FALSE);
  m_pWnd->UpdateWindow();
}

// The lines held here may have been freed: they are only compared with lines of the text, never read,
// until found among them.
void SECEditCoreBase::ReanchorLines(int nOldCaretLine) {
  SECEdit* e = GetEdit();
  if (!e) return;
  m_nLinesSeen = e->m_nLinesFreed;
  m_nRenumberSeen = e->m_nLinesRenumbered;
  enum { kCaret, kTop, kStart, kEnd, kAnchor, kHeld };
  tagLINEDESC* const held[kHeld] = {m_pCurLine, m_pTopLine, m_selStart.pLine, m_selEnd.pLine, m_selAnchor.pLine};
  int at[kHeld] = {0, 0, 0, 0, 0};  // number in the text, 0 when gone or null
  // A caret and top line still at their numbers need no walk; a selection always has one.
  auto atNumber = [e](tagLINEDESC* p, int n) {
    tagLINEDESC* found = p && n >= 1 ? e->FindLine(n) : nullptr;
    return found == p && found && (int)e->LineNumber(found) == n ? n : 0;
  };
  at[kCaret] = atNumber(m_pCurLine, m_nCurLine);
  if (!at[kCaret]) at[kCaret] = atNumber(m_pCurLine, nOldCaretLine);
  at[kTop] = atNumber(m_pTopLine, m_nTopLine);
  bool walk = !at[kCaret] || !at[kTop];
  for (int i = kStart; i < kHeld; ++i) walk = walk || held[i];
  if (walk) {
    int n = 0, left = 0;
    for (int i = 0; i < kHeld; ++i) left += held[i] && !at[i];
    for (tagLINEDESC* p = SECEdit::GetFirstLine(e->m_pLine); p && left > 0; p = p->pNext) {
      ++n;
      for (int i = 0; i < kHeld; ++i)
        if (held[i] == p && !at[i]) at[i] = n, --left;
    }
  }
  if (at[kCaret]) {
    m_nCurLine = at[kCaret];
    // A top line still in the text stays, also above a caret scrolled out of view.
    if (at[kTop]) {
      m_nTopLine = at[kTop];
    } else {
      m_pTopLine = m_pCurLine;
      m_nTopLine = m_nCurLine;
    }
  } else {
    m_pCurLine = e->FindLine(nOldCaretLine < 1 ? 1 : nOldCaretLine);
    m_nCurLine = (int)e->LineNumber(m_pCurLine);
    m_pTopLine = m_pCurLine;
    m_nTopLine = m_nCurLine;
  }
  // A selection that lost a line goes with it.
  bool selLive = at[kStart] && at[kEnd] && at[kStart] <= at[kEnd] && (at[kAnchor] || !m_selAnchor.pLine);
  if (held[kStart] || held[kEnd] || held[kAnchor] || m_bSelection) {
    if (!selLive) {
      ClearSelection(FALSE);
      m_selStart = m_selEnd = m_selAnchor = SECSelEnd{};
      m_nSelMode = 1;
    }
  }
}

void SECEditCoreBase::KeepLinesLive() {
  if (!m_pCurLine) return;  // no text bound yet: nothing held, and none to be made for asking
  SECEdit* e = GetEdit();
  if (!e || (m_nLinesSeen == e->m_nLinesFreed && m_nRenumberSeen == e->m_nLinesRenumbered)) return;
  tagLINEDESC* top = m_pTopLine;
  BOOL sel = m_bSelection;
  const int topNo = m_nTopLine, caretRow = m_nCurLine - m_nTopLine;
  ReanchorLines(m_nCurLine);
  if (top != m_pTopLine || sel != m_bSelection) Redraw(FALSE);
  // Only this window's thumb: the other panes count their own lines again.
  if (topNo != m_nTopLine) SECEditCoreBase::CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
  if (caretRow != m_nCurLine - m_nTopLine) UpdateCaretPos();
}

// The edit operations keep the line count current, so only the scroll range follows it.
void SECEditCoreBase::AfterLinesChanged(BOOL) {
  CoreSetScrollRange(SB_VERT, 0, GetEdit()->m_nLineCount - 1, TRUE);
}

// ---- Typing ----

void SECEditCoreBase::HandleChar(UINT nChar) {
  SECEdit* e = GetEdit();
  if (!Ready() || GetKeyState(VK_LBUTTON) < 0 || e->IsReadOnly()) return;
  int r = 0;
  if (nChar == 13) {
    UndoGroup g(e);
    if (m_bSelection) CutSelection(m_bShowMessages);
    r = NewLine(m_bShowMessages, TRUE);
  } else if (nChar == 27) {
    if (m_bSelection) ClearSelection(TRUE);
  } else if (nChar >= 32 && nChar <= 126) {
    r = InsertChar((int)nChar, m_bShowMessages, TRUE);
  }
  ReportError(r, m_bShowMessages);
}

int SECEditCoreBase::InsertChar(int ch, BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  UndoGroup g(e);
  if (LineWidth(m_pCurLine) >= SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
  // What replaces a selection goes in its place, in overtype mode too.
  BOOL insert = DeleteSelection(bRedraw, bUndo) == 0 || e->GetInsertMode();
  SECEditPos pos = CaretPos();
  if (int r = e->InsertChar(pos, ch, insert, bUndo)) return r;
  m_nCurCol = e->OffsetToColumn(m_pCurLine, pos.nOffset);
  if (bRedraw) RedrawRow((char)ch);
  CharRight(bRedraw);
  return 0;
}

int SECEditCoreBase::InsertString(const char* pszText, BOOL bRedraw, BOOL bUndo) {
  return ReplaceWith(pszText, bRedraw, bUndo, FALSE);
}

// bReplaced: the caller has already taken a selection away for the text.
int SECEditCoreBase::ReplaceWith(const char* pszText, BOOL bRedraw, BOOL bUndo, BOOL bReplaced) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  UndoGroup g(e);
  int n = (int)strlen(pszText);
  if (LineWidth(m_pCurLine) + n >= SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
  BOOL insert = DeleteSelection(bRedraw, bUndo) == 0 || bReplaced || e->GetInsertMode();
  SECEditPos pos = CaretPos();
  int r = e->InsertChars(pos, pszText, insert, bUndo);
  if (r) return r;
  m_nCurCol = e->OffsetToColumn(m_pCurLine, pos.nOffset + n);
  if (bRedraw) RedrawRow(0);
  return 0;
}

int SECEditCoreBase::NewLine(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  UndoGroup g(e);
  if (e->IsReadOnly()) return SECEDIT_READONLY;
  if (bRedraw) EnsureCaretVisible();
  int count = e->m_nLineCount;
  SECEditPos pos = CaretPos();
  if (int r = e->SplitLine(pos, bUndo)) return r;
  LineDown(FALSE);
  m_nCurCol = 0;
  if (e->m_bAutoIndent) AutoIndent(bUndo);
  if (bRedraw) {
    RedrawBelow(RowOf(m_nCurLine) - 1);
    if (count != e->m_nLineCount) CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
    EnsureCaretVisible();
    Notify(0);
  }
  return 0;
}

// Tabs and spaces that fill nWidth columns from column 0.
std::string SECEditCoreBase::Indentation(int nWidth) {
  SECEdit* e = GetEdit();
  int ts = e->GetTabSize();
  if (!e->m_bKeepTabs) return std::string((size_t)(nWidth > 0 ? nWidth : 0), ' ');
  return std::string((size_t)(nWidth / ts), '\t') + std::string((size_t)(nWidth % ts), ' ');
}

void SECEditCoreBase::AutoIndent(BOOL bUndo) {
  SECEdit* e = GetEdit();
  tagLINEDESC* above = m_pCurLine->pPrev;
  auto lead = [e](tagLINEDESC* p) {
    int tl = e->TextLength(p), k = 0;
    while (k < tl && IsWhite(p->pText[k])) ++k;
    return k;
  };
  for (; above; above = above->pPrev)
    if (above->pText && lead(above) < e->TextLength(above)) break;
  if (!above) return;
  int target = e->GetTextWidth(above->pText, lead(above));
  int own = m_pCurLine->pText ? lead(m_pCurLine) : 0;
  if (m_pCurLine->pText && own < e->TextLength(m_pCurLine)) {
    int width = e->GetTextWidth(m_pCurLine->pText, own);
    SECEditPos start{m_pCurLine, 0};
    if (width > target) {
      // Only the leading characters beyond the target go; the rest of the indentation stays as typed.
      int cut = 0;
      while (cut < own && e->GetTextWidth(m_pCurLine->pText + cut, own - cut) > target) ++cut;
      if (cut > 0) e->DeleteChars(start, cut, bUndo);
    } else if (width < target) {
      std::string fill = Indentation(target - width);
      e->InsertChars(start, fill.c_str(), TRUE, bUndo);
    }
  }
  m_nCurCol = target;
}

int SECEditCoreBase::DoTab(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (m_bSelection) return IndentLines(FALSE, bRedraw, bUndo);
  UndoGroup g(e);
  int ts = e->GetTabSize();
  SECEditPos pos = CaretPos();
  int col;
  if (e->m_bKeepTabs) {
    if (LineWidth(m_pCurLine) + ts >= SECEDIT_MAX_LINE) return SECEDIT_LINE_TOO_LONG;
    if (int r = e->InsertChar(pos, '\t', TRUE, bUndo)) return r;
    col = (m_nCurCol / ts + 1) * ts;
  } else {
    std::string spaces((size_t)(ts - pos.nOffset % ts), ' ');
    if (int r = e->InsertChars(pos, spaces.c_str(), TRUE, bUndo)) return r;
    col = e->OffsetToColumn(m_pCurLine, pos.nOffset + (int)spaces.size());
  }
  m_nCurCol = col;
  if (bRedraw) RedrawRow(0);
  return 0;
}

int SECEditCoreBase::DoBackTab(BOOL bRedraw, BOOL bUndo) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (m_bSelection) return IndentLines(TRUE, bRedraw, bUndo);
  int ts = GetEdit()->GetTabSize();
  if (m_nCurCol > 0) m_nCurCol = (m_nCurCol - 1) / ts * ts;
  FinishMove(bRedraw);
  return 0;
}

int SECEditCoreBase::IndentLines(BOOL bOutdent, BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  UndoGroup g(e);
  if (m_nSelMode == 2) return SECEDIT_STREAM_ONLY;
  if (!m_selStart.pLine || !m_selEnd.pLine) return SECEDIT_NO_TEXT;
  if (e->IsReadOnly()) return SECEDIT_READONLY;
  int ts = e->GetTabSize();
  tagLINEDESC* first = m_selStart.pLine;
  tagLINEDESC* stop = m_selEnd.pLine;
  bool withStop = false;
  m_selStart.nCol = 0;
  if (m_selEnd.nCol != 0) {
    if (stop->pNext) {
      stop = stop->pNext;
      m_selEnd = SECSelEnd{stop, 0};
    } else {
      withStop = true;
    }
  }
  for (tagLINEDESC* p = first; p && (p != stop || withStop); p = p->pNext) {
    SECEditPos at{p, 0};
    if (bOutdent) {
      int removed = 0;
      while (removed < ts && e->TextLength(p) > 0 && p->pText[0] == ' ' && e->DeleteChar(at, bUndo) == 0) ++removed;
      if (removed < ts && e->TextLength(p) > 0 && p->pText[0] == '\t') e->DeleteChar(at, bUndo);
    } else if (e->m_bKeepTabs) {
      e->InsertChar(at, '\t', TRUE, bUndo);
    } else {
      e->InsertChars(at, std::string((size_t)ts, ' ').c_str(), TRUE, bUndo);
    }
    if (p == stop) break;
  }
  if (withStop) m_selEnd.nCol = TextEndCol(stop);
  m_selAnchor = m_selStart;
  m_pCurLine = first;
  m_nCurLine = (int)GetEdit()->LineNumber(first);
  m_nCurCol = 0;
  if (bRedraw) {
    Redraw(FALSE);
    Notify(0);
  }
  return 0;
}

// ---- Deleting ----

int SECEditCoreBase::DoBackspace(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  if (m_bSelection)
    if (int r = DeleteSelection(bRedraw, bUndo); r != SECEDIT_NO_TEXT) return r;
  UndoGroup g(e);
  auto join = [&]() -> int {
    if (!m_pCurLine->pPrev) return 0;
    // Refused, the join leaves the caret where it was.
    if (e->IsReadOnly()) return SECEDIT_READONLY;
    LineUp(bRedraw);
    m_nCurCol = TextEndCol(m_pCurLine);
    return JoinWithNext(bRedraw, bUndo);
  };
  if (m_nCurCol == 0) return join();
  if (m_nCurCol > TextEndCol(m_pCurLine)) {
    --m_nCurCol;
    FinishMove(bRedraw);
    return 0;
  }
  int off = e->ColumnToOffset(m_pCurLine, m_nCurCol) - 1;
  SECEditPos pos{m_pCurLine, off};
  char ch = off >= 0 && m_pCurLine->pText ? m_pCurLine->pText[off] : 0;
  int r = e->DeleteChar(pos, bUndo);
  if (r == SECEDIT_JOIN_LINE) return join();
  if (r) return r;
  m_nCurCol = e->OffsetToColumn(m_pCurLine, off);
  if (bRedraw) RedrawRow(ch);
  return 0;
}

int SECEditCoreBase::DoDelete(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready() || e->IsReadOnly()) return 0;
  if (m_bSelection)
    if (int r = DeleteSelection(bRedraw, bUndo); r != SECEDIT_NO_TEXT) return r;
  UndoGroup g(e);
  SECEditPos pos = CaretPos();
  char ch = pos.nOffset < e->TextLength(m_pCurLine) ? m_pCurLine->pText[pos.nOffset] : 0;
  int r = e->DeleteChar(pos, bUndo);
  if (r == SECEDIT_JOIN_LINE) {
    r = JoinWithNext(bRedraw, bUndo);
    return r == SECEDIT_END_OF_FILE ? 0 : r;
  }
  if (r) return r;
  if (bRedraw) RedrawRow(ch);
  UpdateCaretPos();
  SECEditHint hint(m_pCurLine);
  UpdateViews(m_pWnd, SECEDIT_DELETE_LINE, &hint);
  return 0;
}

int SECEditCoreBase::JoinWithNext(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  UndoGroup g(e);
  SECEditPos pos = CaretPos();
  if (int r = e->JoinLines(pos, bUndo)) return r;
  if (bRedraw) {
    RedrawBelow(RowOf(m_nCurLine));
    AfterLinesChanged(TRUE);
    EnsureCaretVisible();
    SECEditHint hint(m_pCurLine);
    UpdateViews(nullptr, SECEDIT_DELETE_LINE, &hint);
  }
  return 0;
}

int SECEditCoreBase::DeleteSelection(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!m_bSelection || !m_selStart.pLine || !m_selEnd.pLine) return SECEDIT_NO_TEXT;
  // An empty selection (all of an empty text) goes: what deletes it works from the caret.
  if (m_selStart.pLine == m_selEnd.pLine && m_selStart.nCol == m_selEnd.nCol) {
    ClearSelection(bRedraw);
    return SECEDIT_NO_TEXT;
  }
  if (m_nSelMode == 2) return DeleteColumnSelection(bRedraw, bUndo);
  UndoGroup g(e);
  SECEditPos a{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, m_selStart.nCol)};
  SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(m_selEnd.pLine, m_selEnd.nCol)};
  bool spanned = a.pLine != b.pLine;
  if (int r = e->DeleteText(a, b, bUndo)) return r;
  m_pCurLine = m_selStart.pLine;
  m_nCurCol = m_selStart.nCol;
  ClearSelection(FALSE);
  if (bRedraw) ShowCaretHere();
  if (spanned) {
    ReanchorLines((int)GetEdit()->LineNumber(m_pCurLine));
    AfterLinesChanged(FALSE);
  }
  m_nCurLine = (int)GetEdit()->LineNumber(m_pCurLine);
  if (bRedraw) {
    SECEditHint hint(m_pCurLine);
    UpdateViews(nullptr, SECEDIT_DELETE_LINE, &hint);
    EnsureCaretVisible();
    Redraw(FALSE);
  }
  return 0;
}

int SECEditCoreBase::DeleteColumnSelection(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  UndoGroup g(e);
  int left = m_selStart.nCol < m_selEnd.nCol ? m_selStart.nCol : m_selEnd.nCol;
  int right = m_selStart.nCol < m_selEnd.nCol ? m_selEnd.nCol : m_selStart.nCol;
  tagLINEDESC* top = m_selStart.pLine;
  SECEditPos a{top, e->ColumnToOffset(top, left)};
  SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(top, right)};
  if (int r = e->DeleteColumnBlock(a, b, bUndo)) return r;
  m_pCurLine = top;
  m_nCurLine = (int)GetEdit()->LineNumber(top);
  m_nCurCol = left;
  ClearSelection(FALSE);
  if (bRedraw) {
    SECEditHint hint(m_pCurLine);
    UpdateViews(nullptr, SECEDIT_DELETE_LINE, &hint);
    EnsureCaretVisible();
    Redraw(FALSE);
  }
  return 0;
}

// ---- Undo ----

int SECEditCoreBase::OnEditUndo() { return UndoRedo(false); }
int SECEditCoreBase::OnEditRedo() { return UndoRedo(true); }

int SECEditCoreBase::UndoRedo(bool bRedo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return 0;
  if (m_bSelection) ClearSelection(TRUE);
  int before = e->m_nUndoPos;
  if (!(bRedo ? e->Redo() : e->Undo())) return 0;
  int lo = bRedo ? before : e->m_nUndoPos, hi = bRedo ? e->m_nUndoPos : before;
  bool big = false;
  for (int i = lo; i < hi; ++i) big = big || BigUndoKind(e->m_pUndo[i].nKind);
  const SECEditUndoRecord& rec = SECEdit::StepEdge(e->m_pUndo[bRedo ? e->m_nUndoPos - 1 : e->m_nUndoPos], bRedo);
  // Lines may have gone: the caret is found again by number before anything else is looked at.
  m_pCurLine = e->FindLine(rec.nLine);
  m_nCurLine = (int)GetEdit()->LineNumber(m_pCurLine);
  m_nCurCol = e->OffsetToColumn(m_pCurLine, rec.nOffset) + (bRedo && rec.nKind == SECUNDO_INSERTCHAR ? 1 : 0);
  if (big) {
    m_pTopLine = e->FindLine(m_nTopLine);
    m_nTopLine = (int)GetEdit()->LineNumber(m_pTopLine);
    ReanchorLines(m_nCurLine);
    AfterLinesChanged(TRUE);
    Redraw(FALSE);
  } else {
    InvalidateRow(RowOf(m_nCurLine));
  }
  if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
  EnsureCaretVisible();
  Notify(0);
  return 0;
}

// ---- Clipboard ----

// False when another program holds the clipboard: nothing is placed.
static bool PutOnClipboard(HWND hwnd, const std::string& data, size_t extra) {
  if (!OpenClipboard(hwnd)) return false;
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, data.size() + extra);
  if (h) {
    char* p = static_cast<char*>(GlobalLock(h));
    memcpy(p, data.c_str(), data.size() + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
  }
  CloseClipboard();
  return true;
}

// The clipboard's text, or false with 21001 when it cannot be opened or holds none.
static bool TakeClipboardText(HWND hwnd, std::string& text) {
  if (!OpenClipboard(hwnd)) return false;
  HANDLE h = GetClipboardData(CF_TEXT);
  if (!h) {
    CloseClipboard();
    return false;
  }
  const char* p = static_cast<const char*>(GlobalLock(h));
  text = p ? p : "";
  GlobalUnlock(h);
  CloseClipboard();
  return true;
}

int SECEditCoreBase::CopyToClipboard(bool* pPlaced) {
  SECEdit* e = GetEdit();
  if (pPlaced) *pPlaced = false;
  if (m_nSelMode == 2) return CopyColumnToClipboard(pPlaced);
  if (!e || !m_selStart.pLine || !m_selEnd.pLine) return SECEDIT_OUT_OF_MEMORY;
  SECEditPos a{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, m_selStart.nCol)};
  SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(m_selEnd.pLine, m_selEnd.nCol)};
  int n = 0;
  char* t = e->GetText(a, b, &n);
  if (!t) return SECEDIT_OUT_OF_MEMORY;
  // An empty selection copies nothing: the clipboard keeps what it holds.
  if (n > 0 && PutOnClipboard(m_pWnd->GetSafeHwnd(), std::string(t, (size_t)n), 1) && pPlaced) *pPlaced = true;
  free(t);
  return 0;
}

int SECEditCoreBase::CopyColumnToClipboard(bool* pPlaced) {
  SECEdit* e = GetEdit();
  if (pPlaced) *pPlaced = false;
  if (!e || !m_selStart.pLine || !m_selEnd.pLine) return SECEDIT_OUT_OF_MEMORY;
  int left = m_selStart.nCol < m_selEnd.nCol ? m_selStart.nCol : m_selEnd.nCol;
  int right = m_selStart.nCol < m_selEnd.nCol ? m_selEnd.nCol : m_selStart.nCol;
  SECEditPos a{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, left)};
  SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(m_selStart.pLine, right)};
  if (left == right) return 0;  // no column: nothing to copy
  int n = 0;
  char* t = e->GetColumnBlock(a, b, &n);
  if (!t) return SECEDIT_OUT_OF_MEMORY;
  if (PutOnClipboard(m_pWnd->GetSafeHwnd(), kMarker + std::string(e->m_szLineEnd) + std::string(t, (size_t)n), 32) && pPlaced)
    *pPlaced = true;
  free(t);
  return 0;
}

int SECEditCoreBase::CutSelection(BOOL bRedraw) {
  if (!m_bSelection) return 0;
  // Text that did not reach the clipboard stays where it is.
  bool placed = false;
  int r = CopyToClipboard(&placed);
  if (!r && placed && !GetEdit()->IsReadOnly()) r = DeleteSelection(bRedraw, TRUE);
  // An empty selection is cut as it is copied: nothing happens.
  return r == SECEDIT_NO_TEXT ? 0 : r;
}

int SECEditCoreBase::Paste(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!Ready()) return SECEDIT_NO_TEXT;
  std::string text;
  if (!TakeClipboardText(m_pWnd->GetSafeHwnd(), text)) return SECEDIT_CLIPBOARD_EMPTY;
  UndoGroup g(e);
  const BOOL replaced = DeleteSelection(FALSE, bUndo) == 0;
  if (text.size() > 21 && memcmp(text.data(), kMarker, kMarkerLength) == 0) return PasteColumnBlockOver(bRedraw, bUndo, replaced);
  int r;
  if (text.find_first_of("\r\n") != std::string::npos) {
    SECEditPos pos = CaretPos();
    SECEditPos end;
    r = e->InsertText(pos, text.c_str(), (int)text.size(), bUndo, &end);
    if (!r && end.pLine) {
      m_pCurLine = end.pLine;
      m_nCurLine = (int)e->LineNumber(m_pCurLine);
      m_nCurCol = e->OffsetToColumn(m_pCurLine, end.nOffset);
      // Lines above the insertion, the top line among them, stay as they were.
      if (m_nTopLine > m_nCurLine) {
        m_pTopLine = m_pCurLine;
        m_nTopLine = m_nCurLine;
      }
      int rows = VisibleRows();
      if (rows > 0 && m_nCurLine >= m_nTopLine + rows) {
        m_nTopLine = m_nCurLine + 1 - rows;
        m_pTopLine = e->FindLine(m_nTopLine);
      }
    }
  } else {
    r = ReplaceWith(text.c_str(), FALSE, bUndo, replaced);
  }
  if (bRedraw) {
    AfterLinesChanged(TRUE);
    EnsureCaretVisible();
    Redraw(FALSE);
    if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
    Notify(0);
  }
  return r;
}

int SECEditCoreBase::PasteColumnBlock(BOOL bRedraw, BOOL bUndo) { return PasteColumnBlockOver(bRedraw, bUndo, FALSE); }

int SECEditCoreBase::PasteColumnBlockOver(BOOL bRedraw, BOOL bUndo, BOOL bReplaced) {
  SECEdit* e = GetEdit();
  std::string text;
  if (!TakeClipboardText(m_pWnd->GetSafeHwnd(), text)) return SECEDIT_CLIPBOARD_EMPTY;
  UndoGroup g(e);
  if (DeleteSelection(FALSE, bUndo) == 0) bReplaced = TRUE;
  size_t at = 0;
  if (text.size() > 21 && memcmp(text.data(), kMarker, kMarkerLength) == 0) {
    // The marker and the one line end that is there, within the text.
    at = kMarkerLength;
    if (at < text.size() && (text[at] == '\r' || text[at] == '\n')) {
      char c = text[at++];
      if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != c) ++at;
    }
  }
  std::string rest = text.substr(at);
  int r;
  if (rest.find_first_of("\r\n") != std::string::npos) {
    SECEditPos pos = CaretPos();
    r = e->InsertColumnBlock(pos, rest.c_str(), (int)rest.size(), bUndo);
  } else {
    r = rest.empty() ? 0 : ReplaceWith(rest.c_str(), FALSE, bUndo, bReplaced);
  }
  if (bRedraw && !r) {
    AfterLinesChanged(TRUE);
    EnsureCaretVisible();
    Redraw(FALSE);
    if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
    Notify(0);
  }
  return r;
}

char* SECEditCoreBase::GetSelectedText(BOOL* pbColumn) {
  SECEdit* e = GetEdit();
  if (pbColumn) *pbColumn = m_nSelMode == 2;
  if (!e || !m_bSelection || !m_selStart.pLine || !m_selEnd.pLine) return nullptr;
  if (m_nSelMode == 2) {
    int left = m_selStart.nCol < m_selEnd.nCol ? m_selStart.nCol : m_selEnd.nCol;
    int right = m_selStart.nCol < m_selEnd.nCol ? m_selEnd.nCol : m_selStart.nCol;
    SECEditPos a{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, left)};
    SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(m_selStart.pLine, right)};
    return e->GetColumnBlock(a, b);
  }
  SECEditPos a{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, m_selStart.nCol)};
  SECEditPos b{m_selEnd.pLine, e->ColumnToOffset(m_selEnd.pLine, m_selEnd.nCol)};
  return e->GetText(a, b);
}

// ---- Command dispatch ----

BOOL SECEditCoreBase::HandleEditCommand(UINT nID) {
  SECEdit* e = GetEdit();
  if (!Ready()) return nID == ID_SECEDIT_BACKSPACE || nID == ID_SECEDIT_TAB || nID == ID_SECEDIT_BACKTAB ||
                       nID == ID_EDIT_CLEAR || nID == ID_EDIT_UNDO || nID == ID_EDIT_REDO || nID == ID_EDIT_COPY ||
                       nID == ID_EDIT_CUT || nID == ID_EDIT_PASTE || nID == ID_INDICATOR_OVR ||
                       nID == ID_SECEDIT_PAGESETUP;
  BOOL show = m_bShowMessages;
  int r = 0;
  switch (nID) {
    case ID_SECEDIT_BACKSPACE: r = DoBackspace(show, TRUE); break;
    case ID_SECEDIT_TAB: r = DoTab(show, TRUE); break;
    case ID_SECEDIT_BACKTAB: r = DoBackTab(show, TRUE); break;
    case ID_EDIT_CLEAR: r = DoDelete(show, TRUE); break;
    case ID_EDIT_UNDO: r = OnEditUndo(); break;
    case ID_EDIT_REDO: r = OnEditRedo(); break;
    case ID_INDICATOR_OVR: e->SetInsertMode(!e->GetInsertMode()); break;
    case ID_EDIT_COPY: r = m_bSelection ? CopyToClipboard() : 0; break;
    case ID_EDIT_CUT: r = CutSelection(show); break;
    case ID_EDIT_PASTE: r = e->IsReadOnly() ? 0 : Paste(show, TRUE); break;
    case ID_SECEDIT_PAGESETUP:
      m_dlgPageSetup.LoadSettings();
      if (m_dlgPageSetup.DoModal() == IDOK) m_dlgPageSetup.SaveSettings();
      break;
    default: return FALSE;
  }
  if (r == SECEDIT_NO_TEXT && (nID == ID_EDIT_CLEAR || nID == ID_SECEDIT_BACKSPACE)) r = 0;
  ReportError(r, show);
  return TRUE;
}

int SECEditCoreBase::EditCommandState(UINT nID, CCmdUI* pCmdUI) {
  SECEdit* e = GetEdit();
  bool ro = !e || e->IsReadOnly();
  switch (nID) {
    case ID_EDIT_UNDO: return e && e->m_nUndoPos != 0;
    case ID_EDIT_REDO: return e && e->m_nUndoCount != 0 && e->m_nUndoPos < e->m_nUndoCount;
    case ID_EDIT_COPY: return m_bSelection;
    case ID_EDIT_CUT: return m_bSelection && !ro;
    case ID_EDIT_PASTE: {
      if (ro || !OpenClipboard(m_pWnd->GetSafeHwnd())) return FALSE;
      BOOL on = IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT);
      CloseClipboard();
      return on;
    }
    case ID_INDICATOR_OVR:
      if (pCmdUI) pCmdUI->SetText(e && !e->GetInsertMode() ? "OVR" : "");
      return TRUE;
    case ID_SECEDIT_BACKSPACE:
    case ID_SECEDIT_TAB:
    case ID_SECEDIT_BACKTAB:
    case ID_SECEDIT_PAGESETUP:
    case ID_EDIT_CLEAR: return TRUE;
    default: return -1;
  }
}
