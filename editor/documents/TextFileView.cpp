#include "editor/documents/TextFileView.h"

#include "editor/core/SECEditHint.h"
#include "editor/documents/TextFileDoc.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/WinApp.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

IMPLEMENT_DYNCREATE(CTextFileView, SECEditView)

int CTextFileView::ms_nShownLine = -1;
int CTextFileView::ms_nShownCol = -1;

namespace {

const char kPrompt[] = "VKS> ";
const int kPromptLength = 5;
const char kMarker[] = "*SECEdit Column Block*";

bool IsPromptLine(const tagLINEDESC* p) {
  return p && p->pText && p->nLength >= kPromptLength && memcmp(p->pText, kPrompt, kPromptLength) == 0;
}

CRect Shrunk(const RECT* r, int dxDiv, int dyDiv) {
  int w = r->right - r->left, h = r->bottom - r->top;
  CRect s(r->left + w / dxDiv, r->top + h / dyDiv, r->right - w / dxDiv, r->bottom - h / dyDiv);
  if (s.Width() % 2) --s.right;  // even, so the shapes sit centred
  if (s.Height() % 2) --s.bottom;
  return s;
}

void Shape(CDC* pDC, COLORREF fill, COLORREF outline, const std::function<void()>& draw) {
  CBrush brush;
  brush.CreateSolidBrush(fill);
  CPen pen(PS_SOLID, 1, outline);
  CBrush* oldBrush = pDC->SelectObject(&brush);
  CPen* oldPen = pDC->SelectObject(&pen);
  draw();
  pDC->SelectObject(oldBrush);
  pDC->SelectObject(oldPen);
}

}  // namespace

// ---- Access ----

CTextFileDoc* CTextFileView::GetDocument() const {
  CDocument* d = m_pDocument;
  if (auto* main = dynamic_cast<CMC_Document*>(d)) return main->GetInterpreterDoc();
  return dynamic_cast<CTextFileDoc*>(d);
}

CMC_Document* CTextFileView::GetMainDocument() const { return dynamic_cast<CMC_Document*>(m_pDocument); }

SECEdit* CTextFileView::GetEdit() {
  CTextFileDoc* d = GetDocument();
  return d ? d->GetEdit() : nullptr;
}

void CTextFileView::UpdateViews(CWnd* pSender, LPARAM lHint, CObject* pHint) {
  if (CTextFileDoc* d = GetDocument()) d->UpdateAllViews(dynamic_cast<CView*>(pSender), lHint, pHint);
}

// ---- Set-up ----

int CTextFileView::InitView() {
  CTextFileDoc* d = GetDocument();
  SECEdit* e = GetEdit();
  if (!d || !e) return 0;
  SECEditCoreBase::InitView();
  // A second view starts where the active one stands.
  if (auto* other = dynamic_cast<CTextFileView*>(d->m_pActiveView); other && other != this && other->m_pCurLine) {
    m_pTopLine = other->m_pTopLine;
    m_nTopLine = other->m_nTopLine;
    m_pCurLine = other->m_pCurLine;
    m_nCurLine = other->m_nCurLine;
    m_nCurCol = other->m_nCurCol;
  }
  LOGFONT lf;
  d->GetFontFromRegistry(nullptr, &lf);
  SetEditFont(&lf);
  if (IsOutputOrInterpreter()) {
    m_bSelectionMargin = FALSE;
    SetScrollRanges();
    GoToTextEnd(FALSE);
  } else {
    CWinApp* app = AfxGetApp();
    m_bSelectionMargin = app ? (BOOL)app->GetProfileInt(d->GetRegistrySubKey(), "Selection Margin", 1) : TRUE;
    SetScrollRanges();
  }
  m_nMargin = GutterWidth();
  // The top line may have moved from the first: the thumb goes with it.
  SECEditCoreBase::CoreSetScrollPos(SB_VERT, m_nTopLine - 1, TRUE);
  if (GetSafeHwnd()) {
    GetClientRect(&m_rcClient);
    Invalidate(TRUE);
  }
  return 0;
}

void CTextFileView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (CTextFileDoc* d = GetDocument()) d->m_pActiveView = bActivate ? this : nullptr;
  SECEditView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

// A view that goes while active is active no longer: the next view must not start from it.
void CTextFileView::OnDestroy() {
  if (CTextFileDoc* d = GetDocument(); d && d->m_pActiveView == this) d->m_pActiveView = nullptr;
  SECEditView::OnDestroy();
}

// ---- Marks ----

void CTextFileView::DrawMarks(CDC* pDC, RECT* prc, tagLINEDESC* pLine) {
  SECEdit* e = GetEdit();
  if (!pLine || !e) return;
  DWORD f = pLine->dwFlags;
  if (!m_bSelectionMargin) {
    COLORREF bg = e->m_crBackground;
    if (f & LINE_CURRENT_ERROR)
      bg = CTextFileDoc::ms_crCurrentError;
    else if (f & LINE_CURRENT_STMT)
      bg = CTextFileDoc::ms_crCurrentStmt;
    else if ((f & LINE_BREAKPOINT) && (f & LINE_BREAKPOINT_ENABLED))
      bg = CTextFileDoc::ms_crBreakpoint;
    else if (f & LINE_BOOKMARK)
      bg = CTextFileDoc::ms_crBookmark;
    pDC->SetBkColor(bg);
    return;
  }
  COLORREF text = e->m_crText;
  if (f & LINE_BOOKMARK) {
    CRect r = Shrunk(prc, 8, 8);
    Shape(pDC, CTextFileDoc::ms_crBookmark, text, [&] { pDC->RoundRect(&r, CPoint(r.Width() / 3, r.Height() / 2)); });
  }
  if (f & LINE_BREAKPOINT) {
    CRect r = Shrunk(prc, 8, 8);
    if (r.Width() > r.Height()) r.right = r.left + r.Height();
    CBrush grey;
    grey.CreateStockObject(LTGRAY_BRUSH);
    CPen pen(PS_SOLID, 1, CTextFileDoc::ms_crBreakpoint);
    CBrush fill;
    fill.CreateSolidBrush(CTextFileDoc::ms_crBreakpoint);
    CBrush* oldBrush = pDC->SelectObject((f & LINE_BREAKPOINT_ENABLED) ? &fill : &grey);
    CPen* oldPen = pDC->SelectObject(&pen);
    pDC->Ellipse(&r);
    pDC->SelectObject(oldBrush);
    pDC->SelectObject(oldPen);
  }
  if (f & LINE_CURRENT_STMT) {
    CRect r = Shrunk(prc, 8, 8);
    --r.bottom;
    int cx = r.left + r.Width() / 2, cy = r.top + (r.bottom - r.top) / 2;
    POINT pts[3] = {{cx, r.top}, {cx, r.bottom}, {r.right, cy}};
    Shape(pDC, CTextFileDoc::ms_crCurrentStmt, text, [&] { pDC->Polygon(pts, 3); });
  }
  if (f & LINE_CURRENT_ERROR) {
    CRect r = Shrunk(prc, 8, 4);
    --r.bottom;
    int q = r.Width() / 4, x1 = r.left + q, x2 = x1 + 2 * q, cy = r.top + (r.bottom - r.top) / 2;
    POINT pts[5] = {{x1, r.top}, {x1, r.bottom}, {x2, r.bottom}, {r.right, cy}, {x2, r.top}};
    Shape(pDC, CTextFileDoc::ms_crCurrentError, text, [&] { pDC->Polygon(pts, 5); });
  }
}

void CTextFileView::InvalidateGutter() {
  if (!GetSafeHwnd()) return;
  CRect r(0, 0, m_bSelectionMargin ? m_nMargin : m_rcClient.right, m_rcClient.bottom);
  InvalidateRect(&r, FALSE);
}

void CTextFileView::InvalidateLineGutter(int nLine) {
  if (!GetSafeHwnd()) return;
  int row = nLine - m_nTopLine;
  CRect r(0, row * m_nLineHeight, m_bSelectionMargin ? m_nMargin : m_rcClient.right, (row + 1) * m_nLineHeight);
  InvalidateRect(&r, FALSE);
}

// ---- Hints ----

bool CTextFileView::IsOutputOrInterpreter() {
  CTextFileDoc* d = GetDocument();
  return d && (d->GetType() == CTextFileDoc::FILETYPE_OUTPUT || d->GetType() == CTextFileDoc::FILETYPE_INTERPRETER);
}

void CTextFileView::SetScrollRanges() {
  CoreSetScrollRange(SB_HORZ, 0, IsOutputOrInterpreter() ? 1024 : SECEDIT_MAX_LINE, TRUE);
  CoreSetScrollRange(SB_VERT, 0, GetEdit()->m_nLineCount - 1, TRUE);
}

void CTextFileView::RebuildCaret() {
  if (CWnd::GetFocus() != this) return;
  if (m_bCaretCreated) DestroyCaret();
  m_bCaretCreated = FALSE;
  ShowCaretHere();
}

int CTextFileView::ActualizeFontFromRegistry() {
  CTextFileDoc* d = GetDocument();
  LOGFONT lf{};
  if (!d || !m_font.m_hObject || !m_font.GetLogFont(&lf) || d->IsSameFontAsSaved(nullptr, &lf)) return 0;
  SetEditFont(&lf);
  m_nMargin = GutterWidth();
  SetScrollRanges();
  Invalidate(TRUE);
  RebuildCaret();
  return 1;
}

void CTextFileView::ResetToTop() {
  SECEdit* e = GetEdit();
  ClearSelection(FALSE);
  m_pTopLine = m_pCurLine = SECEdit::GetFirstLine(e->m_pLine);
  m_nTopLine = m_nCurLine = 1;
  m_nCurCol = m_nLeftCol = 0;
  m_pRecall = nullptr;
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  SECEditCoreBase::CoreSetScrollPos(SB_VERT, 0, TRUE);
  SECEditCoreBase::CoreSetScrollPos(SB_HORZ, 0, TRUE);
  Invalidate(FALSE);
  UpdateCaretPos();
}

void CTextFileView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
  CTextFileDoc* d = GetDocument();
  SECEdit* e = GetEdit();
  if (!d || !e || !m_pTopLine) {
    SECEditView::OnUpdate(pSender, lHint, pHint);
    return;
  }
  KeepLinesLive();
  auto* line = reinterpret_cast<tagLINEDESC*>(pHint);
  int kind = d->GetType();
  bool window = kind == CTextFileDoc::FILETYPE_OUTPUT || kind == CTextFileDoc::FILETYPE_INTERPRETER;
  switch (lHint) {
    case -90:
    case -88: {
      const BOOL margin = m_bSelectionMargin;
      if (!window && AfxGetApp())
        m_bSelectionMargin = (BOOL)AfxGetApp()->GetProfileInt(d->GetRegistrySubKey(), "Selection Margin", 1);
      if (!ActualizeFontFromRegistry() && margin == m_bSelectionMargin) {
        // The tabs and colours just handed to the text show only when it is drawn again.
        if (lHint == -88) Invalidate(FALSE);
        break;
      }
      m_nMargin = GutterWidth();
      Invalidate(TRUE);
      break;
    }
    case -89: InvalidateGutter(); break;
    case -87:
    case -83: ResetToTop(); break;
    case -86: OnLinesAppended(line); break;
    case -85:
      if (line) {
        InvalidateLineGutter((int)GetEdit()->LineNumber(line));
        if (line->dwFlags & LINE_CURRENT_STMT) {
          m_nCurCol = 0;
          GoToLine(line);
        }
      }
      break;
    case -84:
      if (line) InvalidateRow((int)GetEdit()->LineNumber(line) - m_nTopLine);
      break;
    case -82:
      if (line) GoToLine(line);
      break;
    case ID_SECEDIT_TOGGLEBOOKMARK:
      if (auto* v = dynamic_cast<CTextFileView*>(pSender)) InvalidateLineGutter(v->m_nCurLine);
      break;
    case ID_SECEDIT_CLEARBOOKMARKS: InvalidateGutter(); break;
    default: SECEditView::OnUpdate(pSender, lHint, pHint); break;
  }
}

// Text appended at the end: the output and interpreter windows follow it only while the caret stands on
// the last line, so that a user reading further up is left where he is.
void CTextFileView::OnLinesAppended(tagLINEDESC* pFirstNew) {
  SECEdit* e = GetEdit();
  CoreSetScrollRange(SB_VERT, 0, e->m_nLineCount - 1, TRUE);
  const int newNo = pFirstNew ? (int)e->LineNumber(pFirstNew) : 1;
  if (!IsOutputOrInterpreter()) {
    const tagLINEDESC* top = m_pTopLine;
    if (m_nCurLine != 1) {
      m_pTopLine = m_pCurLine = SECEdit::GetFirstLine(e->m_pLine);
      m_nTopLine = m_nCurLine = 1;
      SECEditCoreBase::CoreSetScrollPos(SB_VERT, 0, TRUE);
    }
    // Back at the top, every row shows other lines.
    RedrawBelow(top == m_pTopLine && newNo > m_nTopLine ? RowOf(newNo) : 0);
    UpdateCaretPos();
    return;
  }
  m_nCurLine = (int)e->LineNumber(m_pCurLine);
  if ((int)e->LineNumber(m_pTopLine) != m_nTopLine) {
    m_pTopLine = e->FindLine(m_nTopLine);
    Invalidate(FALSE);
  } else if (GetDocument()->GetType() == CTextFileDoc::FILETYPE_INTERPRETER && pFirstNew) {
    m_pCurLine = pFirstNew;
    m_nCurLine = newNo;
    m_nCurCol = e->OffsetToColumn(pFirstNew, e->TextLength(pFirstNew));
    if (GetSafeHwnd()) UpdateWindow();
  }
  if (!m_pCurLine->pNext && (e->m_nLineCount - m_nTopLine + 1) * m_nLineHeight > m_rcClient.Height()) {
    ScrollCaretUpToBottomRow();
    EnsureCaretVisible();
    Invalidate(FALSE);
  } else {
    RedrawBelow(newNo > m_nTopLine ? RowOf(newNo) : 0);
    UpdateCaretPos();
  }
}

// ---- Commands ----

int CTextFileView::UpdateState(UINT nID, CCmdUI* pCmdUI) {
  CTextFileDoc* d = GetDocument();
  SECEdit* e = GetEdit();
  if (!d || !e) return -1;
  bool console = IsConsole();
  bool onLast = m_pCurLine && !m_pCurLine->pNext;
  switch (nID) {
    case ID_INDICATOR_POSITION: {
      if (m_nCurLine != ms_nShownLine || m_nCurCol != ms_nShownCol) {
        ms_nShownLine = m_nCurLine;
        ms_nShownCol = m_nCurCol;
        CString text;
        text.Format(m_nCurLine <= 9999 ? "Line %d Col %d" : "Ln %d Col %d", m_nCurLine, m_nCurCol + 1);
        if (pCmdUI) pCmdUI->SetText(text);
      }
      return TRUE;
    }
    case ID_INDICATOR_OVR:
      // The indicator shows only in overtype mode; the Insert key's command stays available in both.
      EditCommandState(nID, pCmdUI);
      return dynamic_cast<CTestCmdUI*>(pCmdUI) || !e->GetInsertMode();
    case ID_EDIT_REPLACE: return d->GetType() == CTextFileDoc::FILETYPE_VKS || d->GetType() == CTextFileDoc::FILETYPE_DEFAULT;
    case ID_SECEDIT_SELECTALL: return TRUE;
    case ID_SECEDIT_BACKSPACE:
      if (!console) return TRUE;
      return onLast && m_nCurCol > kPromptLength && CanClearBlock();
    case ID_EDIT_CLEAR:
      if (!console) return TRUE;
      return onLast && m_nCurCol >= kPromptLength && CanClearBlock();
    // A selection is indented line by line from column 0, prompts and output included: the console
    // takes a tab only as a typed one, at its input.
    case ID_SECEDIT_TAB:
      if (!console) return -1;
      return onLast && m_nCurCol >= kPromptLength && !m_bSelection;
    case ID_SECEDIT_BACKTAB:
      if (!console) return -1;
      return !m_bSelection;
    case ID_EDIT_CUT:
    case ID_EDIT_PASTE:
      if (!CanClearBlock()) return FALSE;
      return EditCommandState(nID, pCmdUI);
    default: return -1;
  }
}

BOOL CTextFileView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  KeepLinesLive();  // commands come through the frame, not through this window
  if (nCode == (int)CN_UPDATE_COMMAND_UI) {
    auto* ui = static_cast<CCmdUI*>(pExtra);
    int on = UpdateState(nID, ui);
    if (on >= 0) {
      if (ui) ui->Enable(on);
      return TRUE;
    }
  } else if (nCode == (int)CN_COMMAND && GetEdit() && m_pCurLine) {
    SECEdit* e = GetEdit();
    if (nID == ID_SECEDIT_TOGGLEBOOKMARK) {
      m_pCurLine->dwFlags ^= LINE_BOOKMARK;
      e->m_nBookmarks += (m_pCurLine->dwFlags & LINE_BOOKMARK) ? 1 : -1;
      InvalidateLineGutter(m_nCurLine);
      UpdateViews(this, ID_SECEDIT_TOGGLEBOOKMARK, nullptr);
      return TRUE;
    }
    if (nID == ID_SECEDIT_CLEARBOOKMARKS) {
      for (tagLINEDESC* p = SECEdit::GetFirstLine(e->m_pLine); p; p = p->pNext) p->dwFlags &= ~LINE_BOOKMARK;
      e->m_nBookmarks = 0;
      InvalidateGutter();
      UpdateViews(this, ID_SECEDIT_CLEARBOOKMARKS, nullptr);
      return TRUE;
    }
    if (nID == ID_HELP) {
      CTextFileDoc* d = GetDocument();
      UINT topic = d->GetType() == CTextFileDoc::FILETYPE_OUTPUT        ? 4134
                   : d->GetType() == CTextFileDoc::FILETYPE_INTERPRETER ? 4099
                                                                         : 0;
      if (topic) HtmlHelp(nullptr, GetKernelHelpFile(), 15, topic);
      return TRUE;
    }
  }
  return SECEditView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CTextFileView::HandleEditCommand(UINT nID) {
  CTextFileDoc* d = GetDocument();
  if (d && m_pCurLine) {
    if (nID == ID_EDIT_CLEAR && d->GetType() == CTextFileDoc::FILETYPE_OUTPUT) {
      d->ClearEdit();
      return TRUE;
    }
    if (nID == ID_EDIT_PASTE && IsConsole()) {
      if (m_pCurLine->pNext)
        GoToTextEnd(FALSE);
      else if (m_nCurCol <= kPromptLength)
        m_nCurCol = kPromptLength;
      PasteSingleLine(m_bShowMessages, TRUE);
      return TRUE;
    }
  }
  return SECEditView::HandleEditCommand(nID);
}

// ---- Console ----

BOOL CTextFileView::IsConsole() {
  CTextFileDoc* d = GetDocument();
  return d && d->GetType() == CTextFileDoc::FILETYPE_INTERPRETER && !d->GetReadOnly();
}

BOOL CTextFileView::CanClearBlock() {
  if (!IsConsole() || !m_bSelection) return TRUE;
  bool onLast = m_pCurLine && !m_pCurLine->pNext;
  return onLast && m_selStart.pLine == m_pCurLine && m_selEnd.pLine == m_pCurLine &&
         m_selStart.nCol >= kPromptLength && m_selEnd.nCol >= kPromptLength;
}

void CTextFileView::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!IsConsole() || !m_pCurLine) {
    SECEditView::OnChar(nChar, nRepCnt, nFlags);
    return;
  }
  if (nChar == 13) {
    RunLastLine(nRepCnt ? nRepCnt : 1);
    return;
  }
  // Typed over, a selection reaching into the prompt or the lines above would overwrite them.
  if (m_bSelection && !CanClearBlock()) ClearSelection(TRUE);
  // Shown at once: a key that types nothing still moved the caret, and maybe the top line.
  if (m_pCurLine->pNext)
    GoToTextEnd(m_bShowMessages);
  else if (m_nCurCol <= kPromptLength)
    m_nCurCol = kPromptLength;
  HandleChar(nChar);
}

void CTextFileView::RunLastLine(UINT nRepeat) {
  CWaitCursor wait;
  CTextFileDoc* d = GetDocument();
  SECEdit* e = GetEdit();
  // The caret goes on to the new prompt; a selection left behind would mark history.
  if (m_bSelection) ClearSelection(TRUE);
  tagLINEDESC* last = e->GetLine(0);
  // Its text counts, not the line end a recalled line brings along: a bare prompt runs nothing.
  if (last && e->TextLength(last) > kPromptLength) {
    std::string command(last->pText + kPromptLength, (size_t)(e->TextLength(last) > kPromptLength
                                                                   ? e->TextLength(last) - kPromptLength
                                                                   : 0));
    CMC_Document* main = GetMainDocument();
    CMC_Setup* setup = main ? main->GetSetup() : nullptr;
    std::string answer;
    if (setup) {
      const char* t = setup->ExecuteString(command.c_str(), 0, main->GetCoffFile())
                          ? setup->GetInterpreterOutputString()
                          : setup->GetInterpreterErrorString();
      answer = t ? t : "";
    } else {
      answer = "FATAL ERROR: THERE IS NO SETUP!";
    }
    if (!answer.empty()) d->InsertTextAtEnd(answer.c_str());
  }
  for (UINT i = 0; i < nRepeat; ++i) d->InsertLineAtEnd(kPrompt);
  m_pRecall = nullptr;
}

// Copies a command line into the last line, as the user had typed it again.
static void CopyLine(SECEdit* e, tagLINEDESC* from, tagLINEDESC* to) {
  if (!SECEdit::GrowLine(to, from->nLength + 1)) return;
  e->TextChangedAt(e->LineNumber(to));
  memcpy(to->pText, from->pText, (size_t)from->nLength);
  to->nLength = from->nLength;
  to->pText[to->nLength] = 0;
  to->nSelStartCol = from->nSelStartCol;
  to->nSelEndCol = from->nSelEndCol;
}

BOOL CTextFileView::Recall(bool bUp) {
  SECEdit* e = GetEdit();
  tagLINEDESC* last = m_pCurLine;
  // Lines freed since the recall (a clear this view did not hear of) may have taken the recalled one.
  if (m_pRecall && m_nRecallFreed != e->m_nLinesFreed) m_pRecall = nullptr;
  m_nRecallFreed = e->m_nLinesFreed;
  if (bUp) {
    tagLINEDESC* p = m_pRecall ? m_pRecall->pPrev : last->pPrev;
    while (p && !IsPromptLine(p)) p = p->pPrev;
    if (!p) return TRUE;
    m_pRecall = p;
    CopyLine(e, p, last);
  } else {
    if (!m_pRecall) return TRUE;
    tagLINEDESC* p = m_pRecall->pNext;
    while (p && !IsPromptLine(p)) p = p->pNext;
    if (!p) return TRUE;
    if (p == last) {
      m_pRecall = nullptr;
      e->TextChangedAt(e->LineNumber(last));
      last->nLength = kPromptLength;
      last->pText[kPromptLength] = 0;
    } else {
      m_pRecall = p;
      CopyLine(e, p, last);
    }
  }
  // The caret jumps as a key without Shift moves it: no selection spans the new text.
  if (m_bSelection) ClearSelection(TRUE);
  InvalidateRow(m_nCurLine - m_nTopLine);
  m_nCurCol = TextEndCol(last);
  EnsureCaretVisible();
  // Other windows on the console show the same input line.
  UpdateViews(this, 0, nullptr);
  return TRUE;
}

BOOL CTextFileView::PreTranslateMessage(MSG* pMsg) {
  KeepLinesLive();  // keys are looked at here before the window hears of freed lines
  if (pMsg->message == WM_KEYDOWN && IsConsole() && m_pCurLine && !m_pCurLine->pNext &&
      (pMsg->wParam == VK_UP || (pMsg->wParam == VK_DOWN && m_pRecall)))
    return Recall(pMsg->wParam == VK_UP);
  return SECEditView::PreTranslateMessage(pMsg);
}

int CTextFileView::PasteSingleLine(BOOL bRedraw, BOOL bUndo) {
  SECEdit* e = GetEdit();
  if (!OpenClipboard(GetSafeHwnd())) return SECEDIT_CLIPBOARD_EMPTY;
  HANDLE h = GetClipboardData(CF_TEXT);
  if (!h) {
    CloseClipboard();
    return SECEDIT_CLIPBOARD_EMPTY;
  }
  const char* p = static_cast<const char*>(GlobalLock(h));
  std::string text = p ? p : "";
  GlobalUnlock(h);
  CloseClipboard();
  e->BeginUndoGroup(TRUE);
  int r = 0;
  if (text.compare(0, strlen(kMarker), kMarker) != 0) {
    text = text.substr(0, text.find_first_of("\r\n"));
    if (!text.empty()) r = InsertString(text.c_str(), FALSE, bUndo);
    if (bRedraw) {
      EnsureCaretVisible();
      Invalidate(FALSE);
      UpdateWindow();
      UpdateViews(nullptr, 0, nullptr);
    }
  }
  e->BeginUndoGroup(FALSE);
  return r;
}

// ---- Drag and drop, wheel and help ----

DWORD CTextFileView::OnDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  if (!pData || !pData->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
  SECEditView::OnDragOver(pData, dwKeyState, point);
  if (!IsConsole()) return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  // The console takes text only into its input area, and only as a copy.
  int row = point.y / (m_nLineHeight > 0 ? m_nLineHeight : 1);
  if ((row + 1) * m_nLineHeight > m_rcClient.bottom && row > 0) --row;
  int col = m_nCharWidth > 0 ? m_nLeftCol + (point.x - m_nMargin + m_nCharWidth / 2) / m_nCharWidth : 0;
  bool last = m_nTopLine + row == GetEdit()->m_nLineCount;
  return last && col >= kPromptLength ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

DWORD CTextFileView::DoDragCopy() {
  // Dragging out of the console copies: its lines stay.
  if (IsConsole()) {
    BOOL column = FALSE;
    char* t = GetSelectedText(&column);
    if (!t) return 0;
    std::string data = column ? kMarker + std::string(GetEdit()->m_szLineEnd) + t : std::string(t);
    free(t);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, data.size() + (column ? 25 : 1));
    if (!h) return 0;
    memcpy(GlobalLock(h), data.c_str(), data.size() + 1);
    GlobalUnlock(h);
    COleDataSource source;
    source.CacheGlobalData(CF_TEXT, h);
    return source.DoDragDrop(DROPEFFECT_COPY);
  }
  return SECEditView::DoDragCopy();
}

int CTextFileView::DoDropPaste(const char* pText, int nLength) {
  if (!IsConsole()) return SECEditView::DoDropPaste(pText, nLength);
  SECEdit* e = GetEdit();
  std::string text(pText, (size_t)nLength);
  if (text.size() > 21 && text.compare(0, strlen(kMarker), kMarker) == 0) {
    // The marker and the line end that is actually there, within the text.
    size_t at = strlen(kMarker);
    if (at < text.size() && (text[at] == '\r' || text[at] == '\n')) {
      char c = text[at++];
      if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != c) ++at;
    }
    text.erase(0, at);
  }
  text = text.substr(0, text.find_first_of("\r\n"));
  SECEditPos pos{m_pCurLine, e->ColumnToOffset(m_pCurLine, m_nCurCol)};
  return e->InsertChars(pos, text.c_str(), TRUE, TRUE);
}

BOOL CTextFileView::OnMouseWheel(UINT, short zDelta, CPoint) {
  HandleVScroll(zDelta <= 0 ? SB_LINEDOWN : SB_LINEUP, 0);
  return TRUE;
}

CString CTextFileView::GetHelpKey() {
  SECEdit* e = GetEdit();
  if (!e || !m_pCurLine || !m_pCurLine->pText) return CString();
  std::string key;
  int tl = e->TextLength(m_pCurLine);
  const char* t = m_pCurLine->pText;
  if (m_bSelection && m_selStart.pLine == m_selEnd.pLine && m_selStart.pLine == m_pCurLine &&
      m_selStart.nCol < TextEndCol(m_pCurLine)) {
    int a = e->ColumnToOffset(m_pCurLine, m_selStart.nCol), b = e->ColumnToOffset(m_pCurLine, m_selEnd.nCol);
    key.assign(t + a, (size_t)((b < tl ? b : tl) - a));
    size_t f = key.find_first_not_of(" \t"), l = key.find_last_not_of(" \t");
    key = f == std::string::npos ? std::string() : key.substr(f, l - f + 1);
  } else {
    int at = e->ColumnToOffset(m_pCurLine, m_nCurCol);
    if (at > tl) at = tl;
    int a = at, b = at;
    while (a > 0 && !isspace((unsigned char)t[a - 1])) --a;
    while (b < tl && !isspace((unsigned char)t[b])) ++b;
    key.assign(t + a, (size_t)(b - a));
  }
  for (char& c : key) c = (char)tolower((unsigned char)c);
  return CString(key.c_str());
}
