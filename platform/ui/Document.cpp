#include "platform/ui/Document.h"

#include "platform/core/Archive.h"
#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <sys/stat.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
  ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
  ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
  for (CView* v : m_viewList) v->m_pDocument = nullptr;
  m_viewList.clear();
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCSTR lpszTitle) {
  m_strTitle = lpszTitle ? lpszTitle : "";
  UpdateFrameCounts();
}

void CDocument::SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU) {
  m_strPathName = lpszPathName ? lpszPathName : "";
  std::string p = (const char*)m_strPathName;
  size_t cut = p.find_last_of("\\/");
  SetTitle(cut == std::string::npos ? p.c_str() : p.c_str() + cut + 1);
  if (bAddToMRU && !m_strPathName.IsEmpty())
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
}

// ---- Views ----------------------------------------------------------------------------------------

void CDocument::AddView(CView* pView) {
  if (!pView || std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end()) return;
  if (pView->m_pDocument && pView->m_pDocument != this) pView->m_pDocument->RemoveView(pView);
  m_viewList.push_back(pView);
  pView->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
  if (it == m_viewList.end()) return;
  m_viewList.erase(it);
  pView->m_pDocument = nullptr;
  OnChangedViewList();
}

POSITION CDocument::GetFirstViewPosition() const {
  return m_viewList.empty() ? nullptr : (POSITION)(UINT_PTR)1;
}

CView* CDocument::GetNextView(POSITION& rPosition) const {
  size_t i = (size_t)(UINT_PTR)rPosition;
  if (i == 0 || i > m_viewList.size()) {
    rPosition = nullptr;
    return nullptr;
  }
  CView* v = m_viewList[i - 1];
  rPosition = i < m_viewList.size() ? (POSITION)(UINT_PTR)(i + 1) : nullptr;
  return v;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  std::vector<CView*> views = m_viewList;  // a view may go away while it updates
  for (CView* v : views)
    if (v != pSender && std::find(m_viewList.begin(), m_viewList.end(), v) != m_viewList.end())
      v->OnUpdate(pSender, lHint, pHint);
}

void CDocument::OnChangedViewList() {
  if (m_viewList.empty() && m_bAutoDelete) {
    OnCloseDocument();
    return;
  }
  UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts() {
  std::vector<CFrameWnd*> frames;
  for (CView* v : m_viewList) {
    if (!v->GetSafeHwnd() || !v->IsWindowVisible()) continue;
    CFrameWnd* f = v->GetParentFrame();
    if (f && std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
  }
  int n = (int)frames.size();
  for (int i = 0; i < n; ++i) {
    frames[(size_t)i]->m_nWindow = n > 1 ? i + 1 : 0;
    frames[(size_t)i]->OnUpdateFrameTitle(TRUE);
  }
}

// ---- Life cycle ----------------------------------------------------------------------------------

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR lpszPathName) {
  CFile file;
  CFileException fe;
  if (!lpszPathName || !file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
    ReportSaveLoadException(lpszPathName, &fe, FALSE, 0);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag(TRUE);
  try {
    CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
    ar.m_pDocument = this;
    Serialize(ar);
    ar.Close();
  } catch (CException* e) {
    file.Abort();
    DeleteContents();
    ReportSaveLoadException(lpszPathName, e, FALSE, 0);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR lpszPathName) {
  CFileException fe;
  if (!lpszPathName || !*lpszPathName) {
    fe.m_cause = CFileException::badPath;
    ReportSaveLoadException(lpszPathName, &fe, TRUE, 0);
    return FALSE;
  }
  // A file that others keep from writing is refused as the target's own open would refuse it. The
  // name is looked up once for the probe and the save, so that a crowded folder is searched for
  // another case only once.
  const std::string native = ResolvePath(lpszPathName);
  struct stat st;
  if (stat(native.c_str(), &st) == 0) {
    CFile probe;
    if (!probe.Open(native.c_str(), CFile::modeReadWrite | CFile::modeNoTruncate | CFile::shareExclusive, &fe)) {
      fe.m_strFileName = lpszPathName;
      ReportSaveLoadException(lpszPathName, &fe, TRUE, 0);
      return FALSE;
    }
    probe.Abort();
  }
  // The new file is written beside the old one and replaces it only once complete: a save that
  // fails leaves the old file as it was.
  CSaveBeside save(lpszPathName, native);
  CFile file;
  if (!file.OpenBeside(save, lpszPathName, CFile::modeReadWrite | CFile::shareExclusive, &fe)) {
    ReportSaveLoadException(lpszPathName, &fe, TRUE, 0);
    return FALSE;
  }
  try {
    CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
    ar.m_pDocument = this;
    Serialize(ar);
    ar.Close();
    file.CommitBeside(save);
  } catch (CException* e) {
    file.Abort();
    save.Discard();
    ReportSaveLoadException(lpszPathName, e, TRUE, 0);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;  // destroying the frames must not close us again
  while (!m_viewList.empty()) {
    CView* v = m_viewList.front();
    CFrameWnd* f = v->GetParentFrame();
    if (f && f->GetSafeHwnd()) {
      PreCloseFrame(f);
      f->DestroyWindow();
    } else if (v->GetSafeHwnd()) {
      v->DestroyWindow();
    }
    // A view that survived its frame is detached by hand so the loop ends.
    if (!m_viewList.empty() && m_viewList.front() == v) RemoveView(v);
  }
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

void CDocument::DeleteContents() {}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  if (name.IsEmpty()) name = "Untitled";
  CString prompt;
  prompt.Format("Save changes to %s?", (LPCSTR)name);
  switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
  }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame) {
  // Another frame on the document keeps it open without asking.
  for (CView* v : m_viewList) {
    CFrameWnd* f = v->GetParentFrame();
    if (f && f != pFrame) return TRUE;
  }
  return SaveModified();
}

void CDocument::PreCloseFrame(CFrameWnd*) {}

BOOL CDocument::DoSave(LPCSTR lpszPathName, BOOL bReplace) {
  CString newName = lpszPathName ? lpszPathName : "";
  if (newName.IsEmpty()) {
    newName = m_strPathName;
    if (newName.IsEmpty() && !UiAutomation::PromptSaveFileName(this, newName)) return FALSE;
  }
  if (!OnSaveDocument(newName)) return FALSE;
  if (bReplace) SetPathName(newName);
  return TRUE;
}

BOOL CDocument::DoFileSave() { return DoSave(m_strPathName.IsEmpty() ? nullptr : (LPCSTR)m_strPathName); }

void CDocument::ReportSaveLoadException(LPCSTR lpszPathName, CException* e, BOOL bSaving, UINT) {
  if (e && (e->IsKindOf(RUNTIME_CLASS(CFileException)) || e->IsKindOf(RUNTIME_CLASS(CArchiveException)))) {
    auto* fe = e->IsKindOf(RUNTIME_CLASS(CFileException)) ? static_cast<CFileException*>(e) : nullptr;
    if (fe && fe->m_strFileName.IsEmpty() && lpszPathName) fe->m_strFileName = lpszPathName;
    e->ReportError(MB_ICONEXCLAMATION);
    return;
  }
  if (e && e->IsKindOf(RUNTIME_CLASS(CUserException))) return;
  AfxMessageBox(bSaving ? "Failed to save document." : "Failed to open document.", MB_ICONEXCLAMATION);
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileClose() {
  if (!SaveModified()) return;
  OnCloseDocument();
}
