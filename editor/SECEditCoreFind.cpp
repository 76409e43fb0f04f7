// The editor engine's find and replace steps: selecting a match, the search history, Mark All, Replace All
// and Find Next.
#include "editor/EditorStrings.h"
#include "editor/SECEditCore.h"
#include "platform/core/Resource.h"
#include "platform/ui/WinApp.h"

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

CString ReadHistory(const char* pszKey, int n) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || n < 1 || n > kHistory) return "";
  CString key;
  key.Format("%s%d", pszKey, n);
  CString value = app->GetProfileString(FindSection(), key, "");
  return value == kEmptyEntry ? CString() : value;
}

// Puts the text at the top; older entries move down until one equal to it or an empty one is overwritten.
void AddHistory(const char* pszKey, const char* pszText) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || pszText == nullptr || *pszText == '\0') return;
  if (ReadHistory(pszKey, 1) == pszText) return;
  CString carry = pszText;
  for (int n = 1; n <= kHistory; ++n) {
    const CString old = ReadHistory(pszKey, n);
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
CString SECEditCoreBase::GetFindHistory(int n) { return ReadHistory("Find", n); }
CString SECEditCoreBase::GetReplaceHistory(int n) { return ReadHistory("Replace", n); }

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
  m_nCurLine = (int)SECEdit::GetLineNumber(m_pCurLine);
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
    if (!(m_pCurLine->dwFlags & LINE_BOOKMARK)) NextBookmark(TRUE);
    else GoToLine(m_pCurLine);
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
    m_nCurLine = (int)SECEdit::GetLineNumber(at.pLine);
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
