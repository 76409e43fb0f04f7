// The editor engine's find and replace steps: selecting a match, the search history, Mark All, Replace All
// and Find Next.
#include "editor/EditorStrings.h"
#include "editor/core/OEFindDlg.h"
#include "editor/core/SECEditCore.h"
#include "platform/core/Resource.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kHistory = 10;
const char kEmptyEntry[] = "<OE empty string>";

CString FindSection() {
  std::string text;
  if (LoadStringResource(21025, text)) return CString(text.c_str());
  return GetEditorString(21025);
}

CString ReadRaw(const char* pszKey, int n) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || n < 1 || n > kHistory) return "";
  CString key;
  key.Format("%s%d", pszKey, n);
  return app->GetProfileString(FindSection(), key, "");
}

CString ReadHistory(const char* pszKey, int n, BOOL* pbPresent = nullptr) {
  CString value = ReadRaw(pszKey, n);
  if (pbPresent != nullptr) *pbPresent = !value.IsEmpty();
  return value == kEmptyEntry ? CString() : value;
}

// Puts the text at the top; older entries move down until one equal to it or an empty one is overwritten.
void AddHistory(const char* pszKey, const char* pszText) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || pszText == nullptr || *pszText == '\0') return;
  if (ReadRaw(pszKey, 1) == pszText) return;
  CString carry = pszText;
  for (int n = 1; n <= kHistory; ++n) {
    const CString old = ReadRaw(pszKey, n);
    CString key;
    key.Format("%s%d", pszKey, n);
    app->WriteProfileString(FindSection(), key, carry);
    if (old.IsEmpty() || old == pszText) break;
    carry = old;
  }
}

int ReadSetting(const char* pszKey, int nDefault) {
  CWinApp* app = AfxGetApp();
  return app != nullptr ? (int)app->GetProfileInt(FindSection(), pszKey, nDefault) : nDefault;
}

}  // namespace

void SECEditCoreBase::AddFindHistory(const char* pszText) { AddHistory("Find", pszText); }
void SECEditCoreBase::AddReplaceHistory(const char* pszText) { AddHistory("Replace", pszText); }
CString SECEditCoreBase::GetFindHistory(int n, BOOL* pbPresent) { return ReadHistory("Find", n, pbPresent); }
CString SECEditCoreBase::GetReplaceHistory(int n, BOOL* pbPresent) { return ReadHistory("Replace", n, pbPresent); }

void SECEditCoreBase::ShowFindMessage(UINT nId, const char* pszText, BOOL bShow) {
  SECEdit::ms_nLastShownMessage = nId;
  if (!bShow) return;
  std::string format;
  if (!LoadStringResource(nId, format)) {
    const char* p = GetEditorString(nId);
    if (p == nullptr) return;
    format = p;
  }
  CString text;
  text.Format(format.c_str(), pszText != nullptr ? pszText : "");
  ++SECEdit::ms_nShownMessages;
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

void SECEditCoreBase::SelectFoundText(SECEditPos* pPos, int nLen, BOOL bShow) {
  if (!Ready() || pPos == nullptr || pPos->pLine == nullptr) return;
  ClearSelection(bShow);
  m_pCurLine = pPos->pLine;
  m_nCurLine = (int)GetEdit()->LineNumber(m_pCurLine);
  m_nCurCol = ColumnOfOffset(m_pCurLine, pPos->nOffset);
  BeginSelection(1, bShow);
  m_nCurCol = ColumnOfOffset(m_pCurLine, pPos->nOffset + nLen);
  ExtendSelection(bShow);
  if (bShow) EnsureCaretVisible();
}

BOOL SECEditCoreBase::GetFindSeed(CString& s) {
  s.Empty();
  if (!Ready()) return FALSE;
  SECEdit* e = GetEdit();
  if (m_bSelection && m_selStart.pLine != nullptr && m_selStart.pLine == m_selEnd.pLine &&
      m_selEnd.nCol < SECFIND_MAX_TEXT && m_selStart.pLine->pText != nullptr) {
    tagLINEDESC* line = m_selStart.pLine;
    const int a = e->ColumnToOffset(line, m_selStart.nCol);
    int b = e->ColumnToOffset(line, m_selEnd.nCol);
    if (b > line->nLength) b = line->nLength;
    if (b > a && b - a >= e->m_nLineEndLength && b == line->nLength &&
        memcmp(line->pText + b - e->m_nLineEndLength, e->m_szLineEnd, (size_t)e->m_nLineEndLength) == 0)
      b -= e->m_nLineEndLength;
    if (b > a) s = CString(std::string(line->pText + a, (size_t)(b - a)).c_str());
    return !s.IsEmpty();
  }
  const char* t = m_pCurLine->pText;
  const int tl = e->TextLength(m_pCurLine);
  const int off = OffsetOfColumn(m_pCurLine, m_nCurCol);
  auto word = [e](char c) { return e->IsWordChar((unsigned char)c) || c == '_'; };
  if (t == nullptr || off >= tl || !word(t[off])) return FALSE;
  int l = off, r = off;
  while (l > 0 && word(t[l - 1])) --l;
  while (r < tl && word(t[r])) ++r;
  s = CString(std::string(t + l, (size_t)(r - l)).c_str());
  return TRUE;
}

int SECEditCoreBase::MarkAll(SECFindParams* pParams) {
  if (!Ready() || pParams == nullptr) return 0;
  SECEdit* e = GetEdit();
  pParams->nFlags |= SECFIND_DOWN;
  int marked = 0;
  SECEditPos pos{SECEdit::GetFirstLine(e->m_pLine), 0};
  SECEditPos none;
  while (e->FindText(&pos, &none, pParams)) {
    if (!(pos.pLine->dwFlags & LINE_BOOKMARK)) {
      pos.pLine->dwFlags |= LINE_BOOKMARK;
      ++e->m_nBookmarks;
      ++marked;
    }
    // Past an empty match by one byte, so that "^" or "a*" end.
    pos.nOffset += pParams->nMatchLen > 0 ? pParams->nMatchLen : 1;
    if (pos.nOffset > pos.pLine->nLength) {
      if (pos.pLine->pNext == nullptr) break;
      pos = SECEditPos{pos.pLine->pNext, 0};
    }
  }
  if (marked > 0) {
    m_nCurCol = 0;
    m_pCurLine = SECEdit::GetFirstLine(e->m_pLine);
    m_nCurLine = 1;
    NextBookmark(TRUE);
    Redraw(TRUE);
  }
  return marked;
}

int SECEditCoreBase::ReplaceAll(SECFindParams* pParams) {
  if (!Ready() || pParams == nullptr) return 0;
  SECEdit* e = GetEdit();
  const int nOldLine = m_nCurLine, nOldCol = m_nCurCol;
  tagLINEDESC* const pOldLine = m_pCurLine;
  const BOOL bShow = m_bShowMessages;
  m_bShowMessages = FALSE;
  ClearSelection(FALSE);
  pParams->nFlags |= SECFIND_DOWN;
  const bool bRegex = (pParams->nFlags & SECFIND_REGEXP) != 0;
  const char* pszReplace = pParams->pszReplace != nullptr ? pParams->pszReplace : "";
  int count = 0;
  e->BeginUndoGroup(TRUE);
  SECEditPos pos{SECEdit::GetFirstLine(e->m_pLine), 0};
  SECEditPos none;
  while (e->FindText(&pos, &none, pParams)) {
    const CString text = bRegex ? pParams->strExpansion : CString(pszReplace);
    SelectFoundText(&pos, pParams->nMatchLen, FALSE);
    if (InsertString(text, FALSE, TRUE) != 0) break;
    ++count;
    // On after the inserted text, and at least one byte past an empty match.
    pos = CaretPos();
    if (pParams->nMatchLen == 0) {
      ++pos.nOffset;
      if (pos.nOffset > pos.pLine->nLength) {
        if (pos.pLine->pNext == nullptr) break;
        pos = SECEditPos{pos.pLine->pNext, 0};
      }
    }
  }
  e->BeginUndoGroup(FALSE);
  m_bShowMessages = bShow;
  if (count > 0) {
    for (tagLINEDESC* p = SECEdit::GetFirstLine(e->m_pLine); p != nullptr; p = p->pNext)
      p->dwFlags &= ~(LINE_SELSTART | LINE_SELEND);
    ClearSelection(FALSE);
    EnsureCaretVisible();
    Redraw(TRUE);
    Notify(0);
  } else {
    m_pCurLine = pOldLine;
    m_nCurLine = nOldLine;
    m_nCurCol = nOldCol;
    ShowFindMessage(SECEDIT_NOT_FOUND, pParams->pszFind, m_bShowMessages);
  }
  return count;
}

int SECEditCoreBase::FindNextFromHistory() {
  if (!Ready()) return 0;
  SECEdit* e = GetEdit();
  CString find = GetFindHistory(1);
  if (find.IsEmpty()) return -1;
  SECFindParams params;
  if (ReadSetting("Regular expressions", 0)) params.nFlags |= SECFIND_REGEXP;
  if (ReadSetting("Match case", 0)) params.nFlags |= SECFIND_MATCHCASE;
  if (ReadSetting("Forward", 1)) params.nFlags |= SECFIND_DOWN;
  m_bWrapSearch = ReadSetting("Wrap search", 1) != 0;
  std::vector<char> text(find.GetString(), find.GetString() + find.GetLength() + 1);
  params.pszFind = text.data();
  const bool bDown = (params.nFlags & SECFIND_DOWN) != 0;
  if (m_bSelection && m_selStart.pLine != nullptr) {
    const SECSelEnd& at = bDown ? m_selEnd : m_selStart;
    m_pCurLine = at.pLine;
    m_nCurLine = (int)GetEdit()->LineNumber(at.pLine);
    m_nCurCol = at.nCol;
    ClearSelection(m_bShowMessages);
  }
  if (m_bShowMessages) EnsureCaretVisible();
  SECEditPos start = CaretPos();
  SECEditPos pos = start;
  SECEditPos none;
  BOOL found = e->FindText(&pos, &none, &params);
  if (!found && m_bWrapSearch) {
    SECEditPos end = start;
    if (bDown) {
      pos = SECEditPos{SECEdit::GetFirstLine(e->m_pLine), 0};
    } else {
      end.nOffset += find.GetLength();
      tagLINEDESC* last = LastLine();
      pos = SECEditPos{last, last->nLength};
    }
    found = e->FindText(&pos, &end, &params);
  }
  if (found) SelectFoundText(&pos, params.nMatchLen, m_bShowMessages);
  else ShowFindMessage(SECEDIT_NOT_FOUND, find, m_bShowMessages);
  return found ? 1 : 0;
}

// ---- The find dialogs ----

int SECEditCoreBase::s_bMatchSelected = 0;
char* SECEditCoreBase::s_pszLastMatch = nullptr;
CString SECEditCoreBase::s_strLastFind;

UINT SECEditCoreBase::FindReplaceMessage() {
  static const UINT message = RegisterWindowMessage(FINDMSGSTRING);
  return message;
}

void SECEditCoreBase::OnEditFindNext() {
  if (m_pFindDlg != nullptr) {
    m_pFindDlg->SetFocus();
    return;
  }
  if (FindNextFromHistory() < 0) OnEditFind();
}

void SECEditCoreBase::LoadFindSettings(OEFindDlg* pDlg) {
  CString seed;
  GetFindSeed(seed);
  pDlg->m_strFind = seed;
  pDlg->m_bRegExp = ReadSetting("Regular expressions", 0);
  pDlg->m_bMatchCase = ReadSetting("Match case", 0);
  pDlg->m_nDirection = ReadSetting("Forward", 1);
  pDlg->m_bWrap = ReadSetting("Wrap search", 1);
}

void SECEditCoreBase::SaveFindSettings(OEFindDlg* pDlg) {
  if (CWinApp* app = AfxGetApp()) {
    const CString section = FindSection();
    app->WriteProfileInt(section, "Regular expressions", pDlg->m_bRegExp);
    app->WriteProfileInt(section, "Match case", pDlg->m_bMatchCase);
    app->WriteProfileInt(section, "Forward", pDlg->m_nDirection);
    app->WriteProfileInt(section, "Wrap search", pDlg->m_bWrap);
  }
  AddFindHistory(pDlg->m_strFind);
}

void SECEditCoreBase::OpenFindDialog(BOOL bReplace) {
  OEFindDlg* open = m_pFindDlg != nullptr ? m_pFindDlg : m_pReplaceDlg;
  if (open != nullptr) {
    open->SetFocus();
    return;
  }
  auto* dlg = new OEFindDlg;
  dlg->m_fr.lpTemplateName = MAKEINTRESOURCE(bReplace ? IDD_OE_REPLACE : IDD_OE_FIND);
  dlg->m_bReplace = bReplace;
  LoadFindSettings(dlg);
  if (m_pWnd->GetSafeHwnd() != nullptr) {
    CPoint caret(0, (m_nCurLine - m_nTopLine) * m_nLineHeight);
    m_pWnd->ClientToScreen(&caret);
    dlg->SetCaretRow(caret.y, m_nLineHeight);
  }
  if (!dlg->Create(!bReplace, "", bReplace ? "" : nullptr, FR_DOWN | FR_ENABLETEMPLATE, m_pWnd)) {
    delete dlg;
    return;
  }
  (bReplace ? m_pReplaceDlg : m_pFindDlg) = dlg;
  (bReplace ? m_bReplaceDlgOpen : m_bFindDlgOpen) = TRUE;
  m_hFindDlgWnd = dlg->GetSafeHwnd();
  dlg->SetActiveWindow();
  dlg->ShowWindow(SW_SHOW);
}

void SECEditCoreBase::CloseFindDialog() {
  OEFindDlg* dlg = m_pFindDlg != nullptr ? m_pFindDlg : m_pReplaceDlg;
  if (dlg != nullptr && m_hFindDlgWnd != nullptr && ::IsWindow(m_hFindDlgWnd)) dlg->CloseQuietly();
  m_pFindDlg = m_pReplaceDlg = nullptr;
  m_bFindDlgOpen = m_bReplaceDlgOpen = FALSE;
  m_hFindDlgWnd = nullptr;
}

LRESULT SECEditCoreBase::OnFindReplace(WPARAM, LPARAM) {
  OEFindDlg* dlg = m_pFindDlg != nullptr ? m_pFindDlg : m_pReplaceDlg;
  if (dlg == nullptr || !Ready()) return 0;
  dlg->UpdateData(TRUE);
  if (dlg->IsTerminating()) {
    m_pFindDlg = m_pReplaceDlg = nullptr;
    m_bFindDlgOpen = m_bReplaceDlgOpen = FALSE;
    m_hFindDlgWnd = nullptr;
    s_bMatchSelected = 0;
    s_strLastFind.Empty();
    free(s_pszLastMatch);
    s_pszLastMatch = nullptr;
    return 0;
  }
  SaveFindSettings(dlg);
  if (dlg->m_bReplace) AddReplaceHistory(dlg->m_strReplace);
  std::vector<char> find(dlg->m_strFind.GetString(), dlg->m_strFind.GetString() + dlg->m_strFind.GetLength() + 1);
  std::vector<char> repl(dlg->m_strReplace.GetString(),
                         dlg->m_strReplace.GetString() + dlg->m_strReplace.GetLength() + 1);
  SECFindParams params;
  if (dlg->m_bMatchCase) params.nFlags |= SECFIND_MATCHCASE;
  if (dlg->m_nDirection != 0) params.nFlags |= SECFIND_DOWN;
  if (dlg->m_bRegExp) params.nFlags |= SECFIND_REGEXP;
  params.pszFind = find.data();
  params.pszReplace = dlg->m_bReplace ? repl.data() : nullptr;
  if (dlg->FindNext()) {
    FindStep(dlg, params);
  } else if (dlg->ReplaceCurrent()) {
    if (s_bMatchSelected) {
      ReplaceStep(dlg, params);
    } else {
      m_bReplaceFollows = TRUE;
      FindStep(dlg, params);
    }
  } else if (dlg->ReplaceAll()) {
    ReplaceAllStep(dlg, params);
  }
  return 0;
}

void SECEditCoreBase::FindStep(OEFindDlg* pDlg, SECFindParams& params) {
  SECEdit* e = GetEdit();
  const BOOL bShow = m_bShowMessages;
  const bool bDown = (params.nFlags & SECFIND_DOWN) != 0;
  if (m_bSelection && m_selStart.pLine != nullptr) {
    const SECSelEnd at = bDown ? m_selEnd : m_selStart;
    m_pCurLine = at.pLine;
    m_nCurLine = (int)GetEdit()->LineNumber(at.pLine);
    m_nCurCol = at.nCol;
    if (!s_bMatchSelected) {
      ClearSelection(bShow);
      Redraw(TRUE);
      if (bShow) EnsureCaretVisible();
    }
  }
  const SECEditPos start = CaretPos();
  SECEditPos pos = start;
  SECEditPos none;
  if (pDlg->m_bMarkAll) {
    CloseFindDialog();
    s_bMatchSelected = 0;
    MarkAll(&params);
    s_strLastFind.Empty();
    return;
  }
  BOOL found = e->FindText(&pos, &none, &params);
  if (found) {
    if (pDlg->m_bReplace) pDlg->EnableReplaceButtons(TRUE);
    s_strLastFind = params.pszFind;
    s_bMatchSelected = 1;
  } else if (pDlg->m_bWrap) {
    SECEditPos end = start;
    if (bDown) {
      pos = SECEditPos{SECEdit::GetFirstLine(e->m_pLine), 0};
    } else {
      if (params.pszReplace != nullptr) end.nOffset += (int)strlen(params.pszReplace);
      tagLINEDESC* last = LastLine();
      pos = SECEditPos{last, last->nLength};
    }
    found = e->FindText(&pos, &end, &params);
    if (found && s_bMatchSelected && pos.pLine == start.pLine && pos.nOffset == start.nOffset) {
      // Round to where the search began: all matches were visited.
      ShowFindMessage(SECEDIT_FINISHED_SEARCH, params.pszFind, bShow);
      CloseFindDialog();
      s_bMatchSelected = 0;
      s_strLastFind.Empty();
      return;
    }
  }
  if (!found) {
    s_strLastFind.Empty();
    if (!s_bMatchSelected) {
      ShowFindMessage(SECEDIT_NOT_FOUND, params.pszFind, bShow);
      if (CWnd* box = pDlg->GetDlgItem(IDC_OEFIND_FIND)) box->SetFocus();
      if (pDlg->m_bReplace) pDlg->EnableReplaceButtons(FALSE);
    } else {
      ShowFindMessage(SECEDIT_FINISHED_SEARCH, params.pszFind, bShow);
      CloseFindDialog();
      s_bMatchSelected = 0;
    }
    m_bReplaceFollows = FALSE;
    return;
  }
  if (pDlg->m_bReplace) pDlg->GetWindowRect(&m_rcFindDlg);
  SelectFoundText(&pos, params.nMatchLen, bShow);
  free(s_pszLastMatch);
  s_pszLastMatch = GetSelectedText(nullptr);
  if (m_pFindDlg != nullptr) {
    CloseFindDialog();
    s_bMatchSelected = 0;
  }
  if (m_bReplaceFollows && m_pReplaceDlg == pDlg && pDlg->ReplaceCurrent()) {
    m_bReplaceFollows = FALSE;
    ReplaceStep(pDlg, params);
  }
}

void SECEditCoreBase::ReplaceStep(OEFindDlg* pDlg, SECFindParams& params) {
  SECEdit* e = GetEdit();
  char* selected = GetSelectedText(nullptr);
  if (selected != nullptr && s_pszLastMatch != nullptr && strcmp(selected, s_pszLastMatch) == 0) {
    CString replacement = params.pszReplace != nullptr ? params.pszReplace : "";
    if (params.nFlags & SECFIND_REGEXP) {
      // The template expanded for the selected match.
      SECEditPos at{m_selStart.pLine, e->ColumnToOffset(m_selStart.pLine, m_selStart.nCol)};
      SECEditPos none;
      SECFindParams p;
      p.nFlags = params.nFlags | SECFIND_DOWN;
      p.pszFind = params.pszFind;
      p.pszReplace = params.pszReplace;
      SECEditPos found = at;
      if (e->FindText(&found, &none, &p) && found.pLine == at.pLine && found.nOffset == at.nOffset)
        replacement = p.strExpansion;
    }
    s_strLastFind = replacement;
    if (InsertString(replacement, m_bShowMessages, TRUE) == 0 && !(params.nFlags & SECFIND_DOWN)) {
      const int off = e->ColumnToOffset(m_pCurLine, m_nCurCol) - replacement.GetLength();
      m_nCurCol = ColumnOfOffset(m_pCurLine, off < 0 ? 0 : off);
    }
    pDlg->EnableReplaceButtons(TRUE);
    if (CWnd* w = pDlg->GetDlgItem(IDC_OEFIND_REPLACEBTN)) w->SetFocus();
    s_bMatchSelected = 1;
  } else {
    m_bReplaceFollows = TRUE;
  }
  free(selected);
  FindStep(pDlg, params);
}

void SECEditCoreBase::ReplaceAllStep(OEFindDlg* pDlg, SECFindParams& params) {
  CWaitCursor wait;
  CString find, repl;
  pDlg->GetDlgItemText(IDC_OEFIND_FIND, find);
  pDlg->GetDlgItemText(IDC_OEFIND_REPLACE, repl);
  std::vector<char> f(find.GetString(), find.GetString() + std::min(find.GetLength(), SECFIND_MAX_TEXT));
  std::vector<char> r(repl.GetString(), repl.GetString() + std::min(repl.GetLength(), SECFIND_MAX_TEXT));
  f.push_back('\0');
  r.push_back('\0');
  params.pszFind = f.data();
  params.pszReplace = r.data();
  if (ReplaceAll(&params) > 0) {
    CloseFindDialog();
    s_bMatchSelected = 0;
  } else {
    s_strLastFind.Empty();
  }
}
