#include "editor/documents/TextFileDoc.h"

#include "editor/EditorStrings.h"

#include "platform/core/Archive.h"
#include "platform/core/ChangeNotification.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

IMPLEMENT_DYNCREATE(CTextFileDoc, CDocument)

BEGIN_MESSAGE_MAP(CTextFileDoc, CDocument)
ON_UPDATE_COMMAND_UI(ID_FILE_CLOSE, &CTextFileDoc::OnUpdateFileClose)
END_MESSAGE_MAP()

namespace {

const char kPrompt[] = "VKS> ";

CString EditorText(UINT id) {
  std::string text;
  return LoadStringResource(id, text) ? CString(text.c_str()) : CString();
}

CWinApp* App() { return AfxGetApp(); }

}  // namespace

CTextFileDoc::CTextFileDoc()
    : m_pUpdateTarget(nullptr), m_pActiveView(nullptr), m_nFileType(FILETYPE_DEFAULT), m_nLastModified(0),
      m_hChangeNotification(INVALID_HANDLE_VALUE) {
  m_edit.SetInsertMode(ms_bInsertMode);
}

CTextFileDoc::~CTextFileDoc() { CloseChangeNotification(); }

void CTextFileDoc::CloseChangeNotification() {
  if (m_hChangeNotification != INVALID_HANDLE_VALUE) FindCloseChangeNotification(m_hChangeNotification);
  m_hChangeNotification = INVALID_HANDLE_VALUE;
}

void CTextFileDoc::DeleteContents() {
  if (m_edit.m_pFile) {
    m_edit.m_pFile->Abort();
    delete m_edit.m_pFile;
    m_edit.ForgetFileHandle();
  }
  CDocument::DeleteContents();
  CloseChangeNotification();
}

// A view taken off the document is no longer its active view.
void CTextFileDoc::OnChangedViewList() {
  if (m_pActiveView && std::find(m_viewList.begin(), m_viewList.end(), m_pActiveView) == m_viewList.end())
    m_pActiveView = nullptr;
  CDocument::OnChangedViewList();
}

CString CTextFileDoc::GetRegistrySubKey(int nType) {
  switch (nType) {
    case FILETYPE_VKS: return msc_pszRegVKSFiles;
    case FILETYPE_OUTPUT: return msc_pszRegOutput;
    case FILETYPE_INTERPRETER: return msc_pszRegInterpreter;
    default: return msc_pszRegDefaultFiles;
  }
}

int CTextFileDoc::DetectFileType(const char* pszPath) {
  std::string path = pszPath ? pszPath : "";
  size_t slash = path.find_last_of("\\/");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return FILETYPE_DEFAULT;
  CString ext = path.substr(dot + 1).c_str();
  ext.MakeLower();
  static const char* const kExact[] = {"main", "move", "csq", "zur", "iml", "ini", "c", "h", "asm"};
  for (const char* e : kExact)
    if (ext == e) return FILETYPE_VKS;
  if (ext.Left(4) == "intr" || ext.Left(5) == "setup") return FILETYPE_VKS;
  return FILETYPE_DEFAULT;
}

CString CTextFileDoc::GetFileName() const { return m_strPathName.IsEmpty() ? CString() : m_strTitle; }

void CTextFileDoc::SetReadOnly(BOOL bReadOnly) {
  if (m_nFileType == FILETYPE_VKS || m_nFileType == FILETYPE_DEFAULT) m_edit.SetReadOnly(bReadOnly);
}

void CTextFileDoc::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  CDocument* target = m_pUpdateTarget ? m_pUpdateTarget : this;
  target->CDocument::UpdateAllViews(pSender, lHint, pHint);
}

void CTextFileDoc::OnUpdateFileClose(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nFileType != FILETYPE_INTERPRETER); }

// ---- Opening and saving ----

BOOL CTextFileDoc::OnNewDocument() {
  if (m_edit.IsModified() && !SaveModified()) return FALSE;
  if (!CDocument::OnNewDocument()) return FALSE;
  InitializeDoc(nullptr, TRUE);
  return TRUE;
}

BOOL CTextFileDoc::OnOpenDocument(LPCSTR lpszPathName) {
  if (!CDocument::OnOpenDocument(lpszPathName)) return FALSE;
  InitializeDoc(lpszPathName, TRUE);
  const int code = m_edit.ReadFromFile(lpszPathName);
  // A file the editor refuses (a line it cannot hold, NUL bytes) is said, not left unopened in silence.
  if (code >= SECEDIT_READONLY)
    if (const char* text = GetEditorString((UINT)code)) AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
  return code == 0;
}

void CTextFileDoc::Serialize(CArchive& ar) {
  if (!ar.IsLoading()) return;  // the text is written by OnSaveDocument
  CFile* f = ar.GetFile();
  CFileStatus st;
  if (f && f->GetStatus(st))
    SetLastModified((int64_t)st.m_mtime.GetTime(), f->GetFilePath());
  else
    SetLastModified(0, nullptr);
}

BOOL CTextFileDoc::OnSaveDocument(LPCSTR lpszPathName) {
  BOOL ok = m_edit.WriteToFile(lpszPathName) == 0;
  if (m_nFileType == FILETYPE_VKS || m_nFileType == FILETYPE_DEFAULT) {
    CFileStatus st;
    SetLastModified(CFile::GetStatus(lpszPathName, st) ? (int64_t)st.m_mtime.GetTime() : 0, lpszPathName);
  }
  return ok;
}

BOOL CTextFileDoc::DoSave(LPCSTR lpszPathName, BOOL bReplace) {
  CString name = lpszPathName ? lpszPathName : "";
  bool given = !name.IsEmpty();
  if (!given) {
    name = m_strPathName;
    if (name.IsEmpty() && bReplace) {
      name = m_strTitle;
      int cut = name.FindOneOf(" #%;/\\");
      if (cut >= 0) name = name.Left(cut);
      CString ext;
      if (m_pDocTemplate && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty())
        name += ext;
    }
  }
  if (!given) {
    CString filter;
    if (!m_pDocTemplate || !m_pDocTemplate->GetDocString(filter, CDocTemplate::filterName) || filter.IsEmpty())
      return FALSE;
    CFileDialog dlg(FALSE, nullptr, name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, filter);
    if (dlg.DoModal() != IDOK) return FALSE;
    name = dlg.GetPathName();
  }
  CWaitCursor wait;
  // A failed Save As never deletes the named file: the text object writes through a temporary file.
  if (OnSaveDocument(name)) {
    if (bReplace && (m_nFileType == FILETYPE_VKS || m_nFileType == FILETYPE_DEFAULT)) SetPathName(name);
    return TRUE;
  }
  CString text;
  text.Format(EditorText(20034), (LPCSTR)name);
  AfxMessageBox(text, MB_OK | MB_ICONSTOP);
  return FALSE;
}

BOOL CTextFileDoc::SaveModified() {
  if (m_nFileType == FILETYPE_OUTPUT || m_nFileType == FILETYPE_INTERPRETER) return TRUE;
  SetModifiedFlag(m_edit.IsModified());
  if (!IsModified()) return TRUE;
  if (ms_bAskSaveModified) return CDocument::SaveModified();
  return DoFileSave();
}

// ---- Initialisation ----

void CTextFileDoc::InitializeDoc(const char* pszPath, BOOL bDetect) {
  if (bDetect) m_nFileType = pszPath ? DetectFileType(pszPath) : FILETYPE_DEFAULT;
  CString keywords = GetKeywordFile(m_nFileType);
  CString key = GetRegistrySubKey();
  if (CWinApp* app = App()) {
    app->WriteProfileInt(key, EditorText(21022), ms_bInsertMode);
    app->WriteProfileInt(key, EditorText(21024), 0);
    app->WriteProfileInt(key, EditorText(21023), 0);
    app->WriteProfileString(key, msc_pszKeyWords, keywords);
    app->WriteProfileInt(key, msc_pszChroma, keywords.IsEmpty() ? 0 : 1);
    if (!keywords.IsEmpty() && m_nFileType == FILETYPE_VKS) {
      app->WriteProfileInt(key, msc_pszCase, 0);
      app->WriteProfileString(key, msc_pszCmtStart1, "/*");
      app->WriteProfileString(key, msc_pszCmtEnd1, "*/");
      app->WriteProfileString(key, msc_pszCmtStart2, "//");
      app->WriteProfileString(key, msc_pszCmtEnd2, "");
      app->WriteProfileString(key, msc_pszExtras, "#!");
      app->WriteProfileString(key, msc_pszStartChars, "#");
      app->WriteProfileString(key, msc_pszTermChars, "");
    }
  }
  m_edit.SetProfileSection(key);
  m_edit.LoadSettings();
}

void CTextFileDoc::InitializeOutputDoc() {
  m_nFileType = FILETYPE_OUTPUT;
  InitializeDoc(nullptr, FALSE);
  m_pUpdateTarget = nullptr;
  m_bAutoDelete = FALSE;  // the host owns the output document
  SetTitle("Output");
  SetModifiedFlag(FALSE);
  m_edit.SetReadOnly(TRUE);
}

void CTextFileDoc::InitializeInterpreterDoc() {
  m_nFileType = FILETYPE_INTERPRETER;
  InitializeDoc(nullptr, FALSE);
  ClearInterpreterEdit();
  SetModifiedFlag(FALSE);
  m_edit.SetReadOnly(FALSE);
}

// ---- Text at the end ----

void CTextFileDoc::ResetText(const char* pszLine) {
  m_edit.TextChangedAt(0);
  SECEdit::FreeLineList(m_edit.m_pLine);
  ++m_edit.m_nLinesFreed;
  m_edit.m_numberShifts.clear();
  m_edit.ClearUndo();
  int n = (int)strlen(pszLine);
  m_edit.m_pLine = SECEdit::NewLine(n + 64);
  if (m_edit.m_pLine) {
    memcpy(m_edit.m_pLine->pText, pszLine, (size_t)n);
    m_edit.m_pLine->nLength = n;
  }
  m_edit.m_nLineCount = 1;
  UpdateAllViews(nullptr, -87);
}

void CTextFileDoc::ClearEdit() { ResetText(""); }
void CTextFileDoc::ClearInterpreterEdit() { ResetText(kPrompt); }

tagLINEDESC* CTextFileDoc::InsertTextAtEndOfList(const char* pszText) {
  if (!pszText || !*pszText) return nullptr;
  tagLINEDESC* tail = nullptr;
  int count = 0;
  tagLINEDESC* first = m_edit.SplitIntoLines(pszText, -1, &tail, &count);
  if (!first) return nullptr;
  // The empty last line moves down: windows holding it count their lines again.
  tagLINEDESC* stays = m_edit.AppendLines(first, tail, count, LastLine());
  if (stays) ++m_edit.m_nLinesRenumbered;
  RememberLastLine(stays ? stays : tail);
  return first;
}

tagLINEDESC* CTextFileDoc::LastLine() { return m_edit.LastLineFrom(m_pLastLine, m_nLastLineFrees); }

void CTextFileDoc::RememberLastLine(tagLINEDESC* pLine) {
  m_pLastLine = pLine;
  m_nLastLineFrees = SECEdit::LinesFreedEver();
}

void CTextFileDoc::InsertTextAtEnd(const char* pszText) {
  tagLINEDESC* first = InsertTextAtEndOfList(pszText);
  UpdateAllViews(nullptr, -86, reinterpret_cast<CObject*>(first));
}

void CTextFileDoc::InsertLineAtEnd(const char* pszText) {
  tagLINEDESC* last = LastLine();
  tagLINEDESC* first = last && last->nLength == 0 ? FillEmptyLastLine(last, pszText) : InsertTextAtEndOfList(pszText);
  if (first && first->pNext) {
    int cut = 0;
    for (tagLINEDESC* p = first->pNext; p; p = p->pNext) ++cut;
    tagLINEDESC* rest = first->pNext;
    BindLines(nullptr, rest);  // FreeLineList frees from the head of a chain
    first->pNext = nullptr;
    SECEdit::FreeLineList(rest);
    m_edit.m_nLineCount -= cut;
  }
  if (first) RememberLastLine(first);
  m_edit.ClearUndo();
  UpdateAllViews(nullptr, -86, reinterpret_cast<CObject*>(first));
}

// The empty last line takes the text's first line itself, so that no window of the text is left holding
// a freed record as its caret, top or selection line.
tagLINEDESC* CTextFileDoc::FillEmptyLastLine(tagLINEDESC* pLast, const char* pszText) {
  if (!pszText || !*pszText) return nullptr;
  tagLINEDESC* chain = m_edit.SplitIntoLines(pszText);
  if (!chain) return nullptr;
  const int n = chain->nLength;
  tagLINEDESC* line = nullptr;
  if (SECEdit::GrowLine(pLast, n + 1)) {
    memcpy(pLast->pText, chain->pText, (size_t)n);
    pLast->pText[n] = 0;
    pLast->nLength = n;
    // The marks were the empty line's, which the new text takes the place of.
    if (pLast->dwFlags & LINE_BOOKMARK) --m_edit.m_nBookmarks;
    pLast->dwFlags &= ~(LINE_BOOKMARK | LINE_BREAKPOINT | LINE_BREAKPOINT_ENABLED | LINE_CURRENT_STMT | LINE_CURRENT_ERROR);
    m_edit.TextChangedAt(m_edit.LineNumber(pLast) - 1);
    line = pLast;
  }
  SECEdit::FreeLineList(chain);
  return line;
}

void CTextFileDoc::BindLines(tagLINEDESC* a, tagLINEDESC* b) {
  if (a) a->pNext = b;
  if (b) b->pPrev = a;
}

tagLINEDESC* CTextFileDoc::GetLineOfNumber(tagLINEDESC* pStart, int n) {
  tagLINEDESC* p = pStart;
  if (!p) return nullptr;
  if ((int)p->nLineNumber < n)
    while (p && (int)p->nLineNumber != n) p = p->pNext;
  else
    while (p && (int)p->nLineNumber != n) p = p->pPrev;
  return p;
}

// ---- Marks and error lines ----

tagLINEDESC* CTextFileDoc::ResetMark(uint32_t nFlag) {
  for (tagLINEDESC* p = m_edit.m_pLine; p; p = p->pNext)
    if (p->dwFlags & nFlag) {
      p->dwFlags &= ~nFlag;
      UpdateAllViews(nullptr, -85, reinterpret_cast<CObject*>(p));
      return p;
    }
  return nullptr;
}

BOOL CTextFileDoc::SetMark(int n, uint32_t nFlag, bool bShow) {
  ResetMark(nFlag);
  for (tagLINEDESC* p = m_edit.m_pLine; p; p = p->pNext) {
    if ((int)m_edit.LineNumber(p) < n) continue;
    if ((int)m_edit.LineNumber(p) != n) return FALSE;
    p->dwFlags |= nFlag;
    UpdateAllViews(nullptr, -85, reinterpret_cast<CObject*>(p));
    if (bShow) UpdateAllViews(nullptr, -82, reinterpret_cast<CObject*>(p));
    return TRUE;
  }
  return FALSE;
}

BOOL CTextFileDoc::SetCurrentStmt(int n) { return SetMark(n, LINE_CURRENT_STMT, false); }
tagLINEDESC* CTextFileDoc::ResetCurrentStmt() { return ResetMark(LINE_CURRENT_STMT); }
BOOL CTextFileDoc::SetCurrentErrorLine(int n) { return SetMark(n, LINE_CURRENT_ERROR, true); }
tagLINEDESC* CTextFileDoc::ResetCurrentErrorLine() { return ResetMark(LINE_CURRENT_ERROR); }

BOOL CTextFileDoc::OutputIsErrorLine(const tagLINEDESC* pLine, CString& strFile, int& nLine) {
  if (!pLine || !pLine->pText || pLine->nLength < 1 || pLine->pText[0] != '"') return FALSE;
  std::string text(pLine->pText, (size_t)pLine->nLength);
  size_t at = text.find("\", line ", 1);
  if (at == std::string::npos || at < 2) return FALSE;
  nLine = atoi(text.c_str() + at + 8);
  strFile = text.substr(1, at - 1).c_str();
  return nLine >= 1;
}

BOOL CTextFileDoc::StepErrorLine(bool bForward, CString& strFile, int& nLine) {
  tagLINEDESC* old = ResetCurrentErrorLine();
  tagLINEDESC* p = old ? (bForward ? old->pNext : old->pPrev)
                       : (bForward ? m_edit.m_pLine : SECEdit::GetLastLine(m_edit.m_pLine));
  for (; p; p = bForward ? p->pNext : p->pPrev)
    if (OutputIsErrorLine(p, strFile, nLine)) {
      p->dwFlags |= LINE_CURRENT_ERROR;
      UpdateAllViews(nullptr, -85, reinterpret_cast<CObject*>(p));
      UpdateAllViews(nullptr, -82, reinterpret_cast<CObject*>(p));
      return TRUE;
    }
  return FALSE;
}

BOOL CTextFileDoc::OutputGetNextErrorLine(CString& strFile, int& nLine) { return StepErrorLine(true, strFile, nLine); }
BOOL CTextFileDoc::OutputGetPrevErrorLine(CString& strFile, int& nLine) {
  return StepErrorLine(false, strFile, nLine);
}

// ---- The file on disk ----

int64_t CTextFileDoc::GetTimeLastModified() const {
  CFileStatus st;
  return !m_strPathName.IsEmpty() && CFile::GetStatus(m_strPathName, st) ? (int64_t)st.m_mtime.GetTime() : 0;
}

void CTextFileDoc::SetLastModified(int64_t nTime, const char* pszPath) {
  if (nTime) {
    std::string path = pszPath ? pszPath : (const char*)m_strPathName;
    size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos && m_hChangeNotification == INVALID_HANDLE_VALUE)
      m_hChangeNotification =
          FindFirstChangeNotification(path.substr(0, cut).c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
  } else {
    CloseChangeNotification();
  }
  m_nLastModified = nTime;
}

void CTextFileDoc::VerifyLastModified() {
  if (!m_nLastModified || m_hChangeNotification == INVALID_HANDLE_VALUE) return;
  if (WaitForSingleObject(m_hChangeNotification, 0) != WAIT_OBJECT_0) return;
  int64_t now = GetTimeLastModified();
  if (!now) {
    SetLastModified(0, nullptr);  // the file is gone: stop watching
    return;
  }
  if (now != m_nLastModified) {
    bool edited = m_edit.IsModified();
    CString text;
    text.Format(EditorText(edited ? 20301 : 20300), (LPCSTR)m_strPathName);
    UINT type = edited ? (MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) : (MB_YESNO | MB_ICONQUESTION);
    if (AfxMessageBox(text, type) == IDYES) {
      // A failed reload keeps the text and its modified flag.
      if (m_edit.ReadFromFile(m_strPathName) == 0) {
        UpdateAllViews(nullptr, -83);
        m_edit.SetModified(FALSE);
      }
    }
    SetLastModified(now, nullptr);
  }
  if (m_hChangeNotification != INVALID_HANDLE_VALUE) FindNextChangeNotification(m_hChangeNotification);
}

// ---- Template ----

IMPLEMENT_DYNAMIC(CTextFileDocTemplate, CMultiDocTemplate)

CTextFileDocTemplate::CTextFileDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                           CRuntimeClass* pViewClass)
    : CMultiDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CDocument* CTextFileDocTemplate::FindDocument(const char* pszPath) const {
  for (CDocument* d : m_docList)
    if (pszPath && d->GetPathName().CompareNoCase(pszPath) == 0) return d;
  return nullptr;
}

BOOL CTextFileDocTemplate::OnIdle(LONG lCount) {
  if (lCount == 0)
    for (CDocument* d : std::vector<CDocument*>(m_docList))
      if (auto* t = dynamic_cast<CTextFileDoc*>(d)) t->VerifyLastModified();
  return FALSE;
}
