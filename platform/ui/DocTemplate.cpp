#include "platform/ui/DocTemplate.h"

#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WinApp.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
  m_strDocStrings.LoadString(nIDResource);
}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
  rString.Empty();
  std::string all = (const char*)m_strDocStrings;
  size_t start = 0;
  for (int i = 0; i < (int)index; ++i) {
    size_t nl = all.find('\n', start);
    if (nl == std::string::npos) return FALSE;
    start = nl + 1;
  }
  size_t end = all.find('\n', start);
  rString = all.substr(start, end == std::string::npos ? std::string::npos : end - start).c_str();
  return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc) {
  if (pDoc) pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
  if (pDoc && pDoc->m_pDocTemplate == this) pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument() {
  if (!m_pDocClass || !m_pDocClass->IsDerivedFrom(RUNTIME_CLASS(CDocument))) return nullptr;
  auto* doc = static_cast<CDocument*>(m_pDocClass->CreateObject());
  if (doc) AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  if (!m_pFrameClass || !m_pFrameClass->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd))) return nullptr;
  CCreateContext ctx;
  ctx.m_pCurrentFrame = pOther;
  ctx.m_pCurrentDoc = pDoc;
  ctx.m_pNewViewClass = m_pViewClass;
  ctx.m_pNewDocTemplate = this;
  auto* frame = static_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
  if (!frame) return nullptr;
  DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
  if (frame->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) style |= WS_CHILD;
  if (!frame->LoadFrame(m_nIDResource, style, nullptr, &ctx)) return nullptr;  // the frame deleted itself
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  if (pFrame) pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCSTR lpszPathName, CDocument*& rpDocMatch) {
  rpDocMatch = nullptr;
  if (!lpszPathName) return noAttempt;
  POSITION p = GetFirstDocPosition();
  while (p) {
    CDocument* d = GetNextDoc(p);
    if (d && d->GetPathName().CompareNoCase(lpszPathName) == 0) {
      rpDocMatch = d;
      return yesAlreadyOpen;
    }
  }
  CString ext;
  if (GetDocString(ext, filterExt) && !ext.IsEmpty()) {
    std::string path = lpszPathName;
    std::string e = (const char*)ext;
    if (!e.empty() && e[0] == '*') e.erase(0, 1);
    if (path.size() >= e.size() && CString(path.substr(path.size() - e.size()).c_str()).CompareNoCase(e.c_str()) == 0)
      return yesAttemptNative;
  }
  return yesAttemptForeign;
}

BOOL CDocTemplate::SaveAllModified() {
  POSITION p = GetFirstDocPosition();
  while (p) {
    CDocument* d = GetNextDoc(p);
    if (d && !d->SaveModified()) return FALSE;
  }
  return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  std::vector<CDocument*> docs;
  POSITION p = GetFirstDocPosition();
  while (p) docs.push_back(GetNextDoc(p));
  for (CDocument* d : docs) {
    // Each close may take others with it: only documents still listed are closed.
    bool listed = false;
    POSITION q = GetFirstDocPosition();
    while (q)
      if (GetNextDoc(q) == d) listed = true;
    if (listed) d->OnCloseDocument();
  }
}

void CDocTemplate::OnIdle() {
  POSITION p = GetFirstDocPosition();
  while (p)
    if (CDocument* d = GetNextDoc(p)) d->OnIdle();
}

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                     CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CMultiDocTemplate::~CMultiDocTemplate() {
  std::vector<CDocument*> docs = m_docList;
  for (CDocument* d : docs) {
    d->m_pDocTemplate = nullptr;
    d->OnCloseDocument();
  }
  m_docList.clear();
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc) {
  if (!pDoc) return;
  CDocTemplate::AddDocument(pDoc);
  if (std::find(m_docList.begin(), m_docList.end(), pDoc) == m_docList.end()) m_docList.push_back(pDoc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc) {
  CDocTemplate::RemoveDocument(pDoc);
  m_docList.erase(std::remove(m_docList.begin(), m_docList.end(), pDoc), m_docList.end());
}

POSITION CMultiDocTemplate::GetFirstDocPosition() const {
  return m_docList.empty() ? nullptr : (POSITION)(UINT_PTR)1;
}

CDocument* CMultiDocTemplate::GetNextDoc(POSITION& rPos) const {
  size_t i = (size_t)(UINT_PTR)rPos;
  if (i == 0 || i > m_docList.size()) {
    rPos = nullptr;
    return nullptr;
  }
  CDocument* d = m_docList[i - 1];
  rPos = i < m_docList.size() ? (POSITION)(UINT_PTR)(i + 1) : nullptr;
  return d;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument) {
  if (!pDocument) return;
  CString name;
  if (!GetDocString(name, docName) || name.IsEmpty()) name = "Untitled";
  CString title;
  title.Format("%s%u", (LPCSTR)name, m_nUntitledCount + 1);
  pDocument->SetTitle(title);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCSTR lpszPathName, BOOL bMakeVisible) {
  CDocument* doc = CreateNewDocument();
  if (!doc) return nullptr;
  BOOL autoDelete = doc->m_bAutoDelete;
  doc->m_bAutoDelete = FALSE;  // the frame may fail; the document stays ours until then
  CFrameWnd* frame = CreateNewFrame(doc, nullptr);
  doc->m_bAutoDelete = autoDelete;
  if (!frame) {
    delete doc;
    return nullptr;
  }
  if (!lpszPathName) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      frame->DestroyWindow();
      return nullptr;
    }
    ++m_nUntitledCount;
  } else {
    CWaitCursor wait;
    if (!doc->OnOpenDocument(lpszPathName)) {
      frame->DestroyWindow();
      return nullptr;
    }
    doc->SetPathName(lpszPathName);
  }
  InitialUpdateFrame(frame, doc, bMakeVisible);
  return doc;
}
