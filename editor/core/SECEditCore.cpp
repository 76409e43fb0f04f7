#include "editor/core/SECEditCore.h"

#include "editor/EditorStrings.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"

#include <cstring>
#include <string>

BOOL SECEditCoreBase::ms_bInMouseMove = FALSE;

namespace {
// The gutter's checkerboard, rows alternately 0xAA and 0x55 (rows padded to 16 bits).
const BYTE kPattern[16] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
}  // namespace

SECEditCoreBase::SECEditCoreBase(CWnd* pWnd)
    : m_pWnd(pWnd), m_dlgPageSetup(pWnd), m_hAccel(nullptr), m_pTopLine(nullptr), m_nTopLine(1), m_pCurLine(nullptr), m_nCurLine(1),
      m_nCurCol(0), m_nLeftCol(0), m_nSelMode(1), m_bSelection(FALSE), m_rcClient(0, 0, 0, 0), m_nCharWidth(0),
      m_nLineHeight(15), m_nMargin(0), m_bShowMessages(TRUE), m_bCaretCreated(FALSE), m_bCapture(FALSE),
      m_nTimer(0), m_nScrollScale(1), m_bSkipTick(FALSE), m_ptLastMouse(0, 0), m_bInScroll(FALSE),
      m_bFindDlgOpen(FALSE), m_bReplaceDlgOpen(FALSE), m_rcFindDlg(0, 0, 0, 0), m_bWrapSearch(TRUE),
      m_pFindDlg(nullptr), m_pReplaceDlg(nullptr), m_hFindDlgWnd(nullptr), m_bReplaceFollows(FALSE),
      m_nLinesSeen(0), m_nRenumberSeen(0), m_pCarryLine(nullptr), m_nCarryState(0) {
  // Made from the rows of bitmap 24701 as a one-bit bitmap, so the brush paints in text and background colours.
  m_bmPattern.CreateBitmap(8, 8, 1, 1, kPattern);
  m_brushPattern.CreatePatternBrush(&m_bmPattern);
  m_dlgPageSetup.LoadSettings();
}

SECEditCoreBase::~SECEditCoreBase() {
  CloseFindDialog();
  m_dlgPageSetup.SaveSettings();
}

int SECEditCoreBase::InitView() {
  SECEdit* e = GetEdit();
  if (!e || !e->m_pLine) return 0;
  m_pTopLine = m_pCurLine = SECEdit::GetFirstLine(e->m_pLine);
  m_nTopLine = m_nCurLine = 1;
  m_nCurCol = 0;
  int marks = 0;
  for (tagLINEDESC* p = m_pTopLine; p; p = p->pNext)
    if (p->dwFlags & LINE_BOOKMARK) ++marks;
  e->m_nBookmarks = marks;
  m_selStart = m_selEnd = m_selAnchor = SECSelEnd{};
  m_nLinesSeen = e->m_nLinesFreed;
  m_nRenumberSeen = e->m_nLinesRenumbered;
  m_nLeftCol = 0;
  m_nSelMode = 1;
  m_bSelection = m_bCapture = FALSE;
  m_nTimer = 0;
  m_bShowMessages = TRUE;
  m_bFindDlgOpen = m_bReplaceDlgOpen = FALSE;
  if (m_pWnd->GetSafeHwnd()) m_pWnd->GetClientRect(&m_rcClient);
  m_rcFindDlg.SetRectEmpty();
  LOGFONT lf{};
  strncpy(lf.lfFaceName, e->m_strFontName, LF_FACESIZE - 1);
  lf.lfHeight = MulDiv(e->m_nFontSize, -96, 72);
  lf.lfWeight = e->m_nFontWeight;
  lf.lfItalic = (BYTE)e->m_bFontItalic;
  lf.lfCharSet = (BYTE)e->m_nCharSet;
  SetEditFont(&lf);
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  CoreSetScrollRange(SB_HORZ, 0, SECEDIT_MAX_LINE, TRUE);
  if (!m_hAccel) {
    // The key table lives in the editor's own module, which need not be the application's resource module.
    LPCSTR accel = MAKEINTRESOURCE(IDR_SECEDIT_ACCEL);
    m_hAccel = LoadAccelerators(AfxFindResourceHandle(accel, RT_ACCELERATOR), accel);
  }
  CoreSetScrollPos(SB_VERT, m_nCurLine - 1, TRUE);
  if (m_pWnd->GetSafeHwnd()) m_pWnd->GetClientRect(&m_rcClient);  // the scroll bars take their room
  return 0;
}

void SECEditCoreBase::UpdateViews(CWnd*, LPARAM, CObject*) {
  if (m_bShowMessages && m_pWnd->GetSafeHwnd()) m_pWnd->Invalidate(FALSE);
}

void SECEditCoreBase::ReportError(int nCode, BOOL bShow) {
  if (!nCode || !bShow) return;
  std::string text;
  if (!LoadStringResource((UINT)nCode, text)) {
    const char* p = GetEditorString((UINT)nCode);
    if (!p) return;
    text = p;
  }
  AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

COLORREF SECEditCoreBase::GetGutterColor() { return GetSysColor(COLOR_SCROLLBAR); }

void SECEditCoreBase::Redraw(BOOL bErase) {
  if (m_bShowMessages && m_pWnd->GetSafeHwnd()) m_pWnd->Invalidate(bErase);
}

void SECEditCoreBase::InvalidateRow(int nRow) {
  if (!m_pWnd->GetSafeHwnd()) return;
  CRect r(0, nRow * m_nLineHeight, m_rcClient.right, (nRow + 1) * m_nLineHeight);
  m_pWnd->InvalidateRect(&r, FALSE);
}

int SECEditCoreBase::VisibleRows() const { return m_nLineHeight > 0 ? m_rcClient.Height() / m_nLineHeight : 0; }

int SECEditCoreBase::PageRows() const {
  const int rows = VisibleRows();
  return rows > 0 || m_nLineHeight <= 0 || m_rcClient.Height() <= 0 ? rows : 1;
}

int SECEditCoreBase::VisibleCols() const {
  return m_nCharWidth > 0 ? (m_rcClient.Width() - m_nMargin) / m_nCharWidth : 0;
}

tagLINEDESC* SECEditCoreBase::FindLine(int n) {
  SECEdit* e = GetEdit();
  return e && n >= 1 ? e->FindLine(n, m_pTopLine, m_pCurLine) : nullptr;
}

tagLINEDESC* SECEditCoreBase::LastLine() {
  SECEdit* e = GetEdit();
  return e ? e->GetLine(0) : nullptr;
}

// Line numbers are kept current by the edit operations; the last line's number tells if not.
void SECEditCoreBase::RefreshLineCount() {
  SECEdit* e = GetEdit();
  tagLINEDESC* last = LastLine();
  if (!e || !last) return;
  if ((int)e->LineNumber(last) != e->m_nLineCount || e->LineNumber(last) == 0) {
    int n = e->RenumberAll();
    if (n != e->m_nLineCount) {
      e->m_nLineCount = n;
      CoreSetScrollRange(SB_VERT, 0, n - 1, TRUE);
    }
  }
}

int SECEditCoreBase::TextEndCol(tagLINEDESC* pLine) {
  SECEdit* e = GetEdit();
  return e && pLine ? e->OffsetToColumn(pLine, e->TextLength(pLine)) : 0;
}

int SECEditCoreBase::ColumnOfOffset(tagLINEDESC* pLine, int nOffset) { return GetEdit()->OffsetToColumn(pLine, nOffset); }

int SECEditCoreBase::OffsetOfColumn(tagLINEDESC* pLine, int nCol) { return GetEdit()->ColumnToOffset(pLine, nCol); }

// ---- Caret ----

void SECEditCoreBase::UpdateCaretPos() {
  if (!m_bCaretCreated) return;
  int x = (m_nCurCol - m_nLeftCol) * m_nCharWidth + m_nMargin;
  if (x < m_nMargin) x = -10;
  CWnd::SetCaretPos(CPoint(x, (m_nCurLine - m_nTopLine) * m_nLineHeight));
}

void SECEditCoreBase::ShowCaretHere() {
  if (m_bCaretCreated || m_bSelection || CWnd::GetFocus() != m_pWnd) return;
  m_pWnd->CreateSolidCaret(2, m_nLineHeight);
  m_bCaretCreated = TRUE;
  UpdateCaretPos();
  m_pWnd->ShowCaret();
}

void SECEditCoreBase::HandleSetFocus() {
  if (SECEdit* e = GetEdit()) {
    // Another window on the same text that showed its selection until now shows it no more.
    const HWND was = e->m_hFocusWnd;
    e->m_hFocusWnd = m_pWnd->GetSafeHwnd();
    if (was && was != e->m_hFocusWnd && ::IsWindow(was)) ::InvalidateRect(was, nullptr, FALSE);
  }
  if (m_bSelection) Redraw(FALSE);
  ShowCaretHere();
  UpdateCaretPos();
}

void SECEditCoreBase::HandleKillFocus() {
  if (m_bCaretCreated) DestroyCaret();
  m_bCaretCreated = FALSE;
  if (m_bSelection) Redraw(FALSE);
}

int SECEditCoreBase::ClearSelection(BOOL bRedraw) {
  m_bSelection = FALSE;
  ShowCaretHere();
  if (m_nTimer) m_pWnd->KillTimer(SECEDIT_TIMER);
  m_nTimer = 0;
  if (m_bCapture && CWnd::GetCapture() == m_pWnd) ReleaseCapture();
  m_bCapture = FALSE;
  if (!m_selStart.pLine || !m_selEnd.pLine) return SECEDIT_NO_TEXT;
  if (bRedraw) InvertSelection();
  m_selStart = m_selEnd = m_selAnchor = SECSelEnd{};
  m_nSelMode = 1;
  return 0;
}

int SECEditCoreBase::SetCaretFromPoint(int x, int y) {
  if (!Ready() || m_nCharWidth <= 0 || m_nLineHeight <= 0) return SECEDIT_NO_TEXT;
  if (x < m_nMargin) {
    x = m_nMargin;
    if (m_nLeftCol > 0) {
      --m_nLeftCol;
      Redraw(FALSE);
    }
  }
  int col = (x - m_nMargin + m_nCharWidth / 2) / m_nCharWidth;
  int row = y < 0 ? 0 : y / m_nLineHeight;
  if ((row + 1) * m_nLineHeight > m_rcClient.bottom && row > 0) --row;
  tagLINEDESC* p = m_pTopLine;
  int n = m_nTopLine;
  for (; row > 0 && p->pNext; --row) p = p->pNext, ++n;
  m_pCurLine = p;
  m_nCurLine = n;
  int c = m_nLeftCol + col;
  m_nCurCol = ClampColumn(c > SECEDIT_MAX_LINE ? SECEDIT_MAX_LINE : c);
  EnsureCaretVisible();
  return 0;
}

BOOL SECEditCoreBase::GetLineSelectionRange(tagLINEDESC* pLine, int nWidth, int* pnStart, int* pnLength) {
  if (!m_selStart.pLine || !m_selEnd.pLine || !pLine) return FALSE;
  int n = (int)GetEdit()->LineNumber(pLine);
  int a = (int)GetEdit()->LineNumber(m_selStart.pLine), b = (int)GetEdit()->LineNumber(m_selEnd.pLine);
  if (n < a || n > b) return FALSE;
  int start, end;
  if (m_nSelMode == 2) {
    start = m_selStart.nCol < m_selEnd.nCol ? m_selStart.nCol : m_selEnd.nCol;
    end = m_selStart.nCol < m_selEnd.nCol ? m_selEnd.nCol : m_selStart.nCol;
  } else {
    start = n == a ? (m_selStart.nCol < nWidth ? m_selStart.nCol : nWidth) : 0;
    end = n == b ? (m_selEnd.nCol < nWidth ? m_selEnd.nCol : nWidth) : nWidth;
  }
  *pnStart = start;
  *pnLength = end > start ? end - start : 0;
  return TRUE;
}

BOOL SECEditCoreBase::IsPointInSelection(int x, int y) {
  if (!m_bSelection || !Ready() || m_nCharWidth <= 0) return FALSE;
  int row = y / m_nLineHeight;
  if (y < 0 || (row + 1) * m_nLineHeight > m_rcClient.bottom) return FALSE;
  tagLINEDESC* p = m_pTopLine;
  for (int r = row; r > 0 && p; --r) p = p->pNext;
  if (!p) return FALSE;
  int col = m_nLeftCol + (x - m_nMargin) / m_nCharWidth;
  int start = 0, len = 0;
  // Selected columns end at the text for a stream selection; one past it counts as the line end.
  if (!GetLineSelectionRange(p, TextEndCol(p) + 1, &start, &len)) return FALSE;
  return col >= start && col < start + len;
}

// Shown selections are repainted through the paint code, which inverts selected cells.
void SECEditCoreBase::InvertSelection() { Redraw(FALSE); }

void SECEditCoreBase::GoToLineColumn(int nLine, int nCol) {
  tagLINEDESC* p = FindLine(nLine);
  if (!p) return;
  m_pCurLine = p;
  m_nCurLine = (int)GetEdit()->LineNumber(p);
  m_nCurCol = nCol;
  int rows = VisibleRows();
  bool scrolled = false;
  if (m_nCurLine < m_nTopLine) {
    m_pTopLine = p;
    m_nTopLine = m_nCurLine;
    scrolled = true;
  } else if (rows > 0 && m_nCurLine >= m_nTopLine + rows) {
    m_nTopLine = m_nCurLine - rows + 1;
    m_pTopLine = FindLine(m_nTopLine);
    scrolled = true;
  }
  if (scrolled) {
    Redraw(TRUE);
    if (m_pWnd->GetSafeHwnd()) m_pWnd->UpdateWindow();
  }
  EnsureCaretVisible();
}

int SECEditCoreBase::GoToTextEnd(BOOL bShow) {
  if (!Ready()) return SECEDIT_NO_TEXT;
  RefreshLineCount();
  tagLINEDESC* last = LastLine();
  m_pCurLine = last;
  m_nCurLine = (int)GetEdit()->LineNumber(last);
  int rows = VisibleRows();
  m_pTopLine = last;
  m_nTopLine = m_nCurLine;
  for (int i = 1; i < rows && m_pTopLine->pPrev; ++i) m_pTopLine = m_pTopLine->pPrev, --m_nTopLine;
  m_nLeftCol = 0;
  m_nCurCol = TextEndCol(last);
  if (bShow) {
    Redraw(TRUE);
    EnsureCaretVisible();
  }
  return 0;
}

void SECEditCoreBase::GoToLine(tagLINEDESC* pLine) {
  if (!pLine) return;
  m_pCurLine = pLine;
  m_nCurLine = (int)GetEdit()->LineNumber(pLine);
  int rows = VisibleRows();
  if (m_nCurLine >= m_nTopLine && m_nCurLine < m_nTopLine + rows) {
    EnsureCaretVisible();
    return;
  }
  m_pTopLine = pLine;
  m_nTopLine = m_nCurLine;
  for (int i = 0; i < rows / 2 && m_pTopLine->pPrev; ++i) m_pTopLine = m_pTopLine->pPrev, --m_nTopLine;
  Redraw(TRUE);
  EnsureCaretVisible();
}

// ---- Columns on tabs ----

int SECEditCoreBase::NextColumn(int nCol) {
  SECEdit* e = GetEdit();
  int off = OffsetOfColumn(m_pCurLine, nCol);
  int next = nCol + 1;
  if (off < e->TextLength(m_pCurLine) && m_pCurLine->pText[off] == '\t' &&
      ColumnOfOffset(m_pCurLine, off) == nCol) {
    int ts = e->GetTabSize();
    next = (nCol / ts + 1) * ts;
  }
  return ClampColumn(next);
}

int SECEditCoreBase::PrevColumn(int nCol) {
  if (nCol <= 0) return 0;
  int off = OffsetOfColumn(m_pCurLine, nCol - 1);
  int start = ColumnOfOffset(m_pCurLine, off);
  return start < nCol - 1 ? start : nCol - 1;
}

int SECEditCoreBase::ClampColumn(int nCol) {
  SECEdit* e = GetEdit();
  if (!e || !m_pCurLine) return nCol;
  int tl = e->TextLength(m_pCurLine);
  int end = ColumnOfOffset(m_pCurLine, tl);
  if (nCol < end) {
    int off = OffsetOfColumn(m_pCurLine, nCol);
    int start = ColumnOfOffset(m_pCurLine, off);
    if (start < nCol && off < tl && m_pCurLine->pText[off] == '\t') nCol = start;
  }
  if (m_bSelection && m_nSelMode == 2) return nCol;
  if (tl <= 0) return 0;
  return nCol > end ? end : nCol;
}

// ---- Bookmarks ----

int SECEditCoreBase::ToggleBookmark() {
  SECEdit* e = GetEdit();
  if (!Ready()) return 0;
  m_pCurLine->dwFlags ^= LINE_BOOKMARK;
  e->m_nBookmarks += (m_pCurLine->dwFlags & LINE_BOOKMARK) ? 1 : -1;
  InvalidateRow(RowOf(m_nCurLine));
  Notify(0);
  return 0;
}

int SECEditCoreBase::NextBookmark(BOOL bForward) {
  SECEdit* e = GetEdit();
  if (!Ready() || e->m_nBookmarks <= 0) return 0;
  tagLINEDESC* found = nullptr;
  for (tagLINEDESC* p = bForward ? m_pCurLine->pNext : m_pCurLine->pPrev; p && !found;
       p = bForward ? p->pNext : p->pPrev)
    if (p->dwFlags & LINE_BOOKMARK) found = p;
  if (!found)
    for (tagLINEDESC* p = bForward ? SECEdit::GetFirstLine(e->m_pLine) : LastLine(); p && !found;
         p = bForward ? p->pNext : p->pPrev)
      if (p->dwFlags & LINE_BOOKMARK) found = p;
  if (!found) return 0;
  m_nCurCol = 0;
  GoToLine(found);
  return 0;
}

int SECEditCoreBase::ClearBookmarks() {
  SECEdit* e = GetEdit();
  if (!Ready()) return 0;
  for (tagLINEDESC* p = SECEdit::GetFirstLine(e->m_pLine); p; p = p->pNext) p->dwFlags &= ~LINE_BOOKMARK;
  e->m_nBookmarks = 0;
  Redraw(TRUE);
  Notify(0);
  return 0;
}

void SECEditCoreBase::DrawMarks(CDC* pDC, RECT* prc, tagLINEDESC* pLine) {
  if (!pLine || !(pLine->dwFlags & LINE_BOOKMARK)) return;
  int d = (m_nMargin / 2) * 2 - 2;
  int h = d - 2;
  int top = prc->top + ((prc->bottom - prc->top) - h) / 2;
  CBrush blue;
  blue.CreateSolidBrush(RGB(0, 0, 255));
  CBrush* old = pDC->SelectObject(&blue);
  pDC->Ellipse(2, top, d, top + h);
  pDC->SelectObject(old);
}

// ---- Context menu ----

BOOL SECEditCoreBase::BuildContextMenu(CMenu* pMenu) {
  SECEdit* e = GetEdit();
  auto gray = [](bool g) { return MF_STRING | (g ? MF_GRAYED : MF_ENABLED); };
  bool noUndo = !e || e->m_nUndoPos == 0;
  bool noRedo = !e || e->m_nUndoCount == 0 || e->m_nUndoPos >= e->m_nUndoCount;
  bool canPaste = false;
  if (OpenClipboard(m_pWnd->GetSafeHwnd())) {
    canPaste = IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT);
    CloseClipboard();
  }
  pMenu->AppendMenu(gray(noUndo), ID_EDIT_UNDO, "&Undo");
  pMenu->AppendMenu(gray(noRedo), ID_EDIT_REDO, "&Redo");
  pMenu->AppendMenu(MF_SEPARATOR);
  pMenu->AppendMenu(gray(!m_bSelection), ID_EDIT_CUT, "Cu&t");
  pMenu->AppendMenu(gray(!m_bSelection), ID_EDIT_COPY, "&Copy");
  pMenu->AppendMenu(gray(!canPaste), ID_EDIT_PASTE, "&Paste");
  pMenu->AppendMenu(MF_SEPARATOR);
  pMenu->AppendMenu(MF_STRING, ID_SECEDIT_TOGGLEBOOKMARK, "Toggle &Bookmark");
  return TRUE;
}

void SECEditCoreBase::DoContextMenu(CWnd*, CPoint point) {
  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  if (BuildContextMenu(&menu)) menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, m_pWnd);
  menu.DestroyMenu();
}

// ---- Commands ----

BOOL SECEditCoreBase::HandlePreTranslate(MSG* pMsg) {
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hAccel || !m_pWnd->GetSafeHwnd()) return FALSE;
  return TranslateAccelerator(m_pWnd->GetSafeHwnd(), m_hAccel, pMsg) != 0;
}

BOOL SECEditCoreBase::HandleCmdMsg(UINT nID, int nCode, void* pExtra) {
  if (nID == ID_SECEDIT_FINDNEXT) {
    if (nCode == (int)CN_UPDATE_COMMAND_UI) {
      if (auto* ui = static_cast<CCmdUI*>(pExtra)) ui->Enable(!GetFindHistory(1).IsEmpty());
      return TRUE;
    }
    if (nCode != (int)CN_COMMAND) return FALSE;
    OnEditFindNext();
    return TRUE;
  }
  if (nID == ID_EDIT_FIND || nID == ID_EDIT_REPLACE) {
    if (nCode == (int)CN_UPDATE_COMMAND_UI) {
      if (auto* ui = static_cast<CCmdUI*>(pExtra)) ui->Enable(TRUE);
      return TRUE;
    }
    if (nCode != (int)CN_COMMAND) return FALSE;
    OpenFindDialog(nID == ID_EDIT_REPLACE);
    return TRUE;
  }
  bool movement = (nID >= ID_SECEDIT_LINEDOWN && nID <= ID_SECEDIT_WORDRIGHT) ||
                  (nID >= ID_SECEDIT_SELUP && nID <= ID_SECEDIT_SELWORDRIGHT) ||
                  (nID >= ID_SECEDIT_SELBOTTOM && nID <= ID_SECEDIT_SELECTALL);
  bool bookmarks = nID >= ID_SECEDIT_TOGGLEBOOKMARK && nID <= ID_SECEDIT_CLEARBOOKMARKS;
  if (!movement && !bookmarks) {
    if (nCode == (int)CN_COMMAND) return HandleEditCommand(nID);
    if (nCode != (int)CN_UPDATE_COMMAND_UI) return FALSE;
    auto* ui = static_cast<CCmdUI*>(pExtra);
    int on = EditCommandState(nID, ui);
    if (on < 0) return FALSE;
    if (ui) ui->Enable(on);
    return TRUE;
  }
  if (nCode == (int)CN_UPDATE_COMMAND_UI) {
    auto* ui = static_cast<CCmdUI*>(pExtra);
    SECEdit* e = GetEdit();
    bool on = !bookmarks || nID == ID_SECEDIT_TOGGLEBOOKMARK || (e && e->m_nBookmarks > 0);
    if (ui) ui->Enable(on);
    return TRUE;
  }
  if (nCode != (int)CN_COMMAND) return FALSE;
  if (!Ready()) return TRUE;  // no text yet: nothing to do, nothing to say
  int r = 0;
  switch (nID) {
    case ID_SECEDIT_TOGGLEBOOKMARK: r = ToggleBookmark(); break;
    case ID_SECEDIT_NEXTBOOKMARK: r = NextBookmark(TRUE); break;
    case ID_SECEDIT_PREVBOOKMARK: r = NextBookmark(FALSE); break;
    case ID_SECEDIT_CLEARBOOKMARKS: r = ClearBookmarks(); break;
    default: r = Move(nID); break;
  }
  ReportError(r, m_bShowMessages);
  return TRUE;
}
