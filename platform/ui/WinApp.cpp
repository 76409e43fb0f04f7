#include "platform/ui/WinApp.h"

#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/Resource.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
  ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
  ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

namespace {
std::string ProgramName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "app";
  buf[n] = 0;
  const char* base = strrchr(buf, '/');
  return base ? base + 1 : buf;
}
}  // namespace

void CWinApp::SetString(LPCSTR& member, LPCSTR value) {
  if (member) free(const_cast<char*>(member));
  member = value ? strdup(value) : nullptr;
}

CWinApp::CWinApp(LPCSTR lpszAppName) {
  AfxSetApp(this);
  m_nThreadID = UiCurrentThreadId();
  m_bAutoDelete = FALSE;
  std::string exe = ProgramName();
  SetString(m_pszExeName, exe.c_str());
  SetString(m_pszAppName, lpszAppName ? lpszAppName : exe.c_str());
  AfxSetAppName(m_pszAppName);
  m_hInstance = AfxGetInstanceHandle();
  std::string ini = std::string(m_pszAppName) + ".ini";
  SetString(m_pszProfileName, ini.c_str());
}

CWinApp::~CWinApp() {
  for (CDocTemplate* t : m_templates) delete t;
  m_templates.clear();
  if (AfxGetApp() == this) AfxSetApp(nullptr);
  SelectPrinter(nullptr, nullptr);
  SetString(m_pszAppName, nullptr);
  SetString(m_pszProfileName, nullptr);
  SetString(m_pszRegistryKey, nullptr);
  SetString(m_pszHelpFilePath, nullptr);
  SetString(m_pszExeName, nullptr);
}

// ---- Profile -----------------------------------------------------------------------------------

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey) {
  SetString(m_pszRegistryKey, lpszRegistryKey && *lpszRegistryKey ? lpszRegistryKey : nullptr);
  // In registry mode the application's key is named after the application.
  SetString(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
  CString key;
  key.LoadString(nIDRegistryKey);
  SetRegistryKey(key);
}

void CWinApp::SyncProfile() {
  if (m_pszRegistryKey && *m_pszRegistryKey) {
    m_profile.SetAppName(m_pszProfileName ? m_pszProfileName : m_pszAppName);
    m_profile.SetRegistryKey(m_pszRegistryKey);
  } else {
    m_profile.SetRegistryKey(nullptr);
    m_profile.SetAppName(m_pszAppName);
    m_profile.SetProfileName(m_pszProfileName);
  }
}

CAppProfile& CWinApp::GetProfile() {
  SyncProfile();
  return m_profile;
}

UINT CWinApp::GetProfileInt(LPCSTR s, LPCSTR e, int d) { return GetProfile().GetProfileInt(s, e, d); }
BOOL CWinApp::WriteProfileInt(LPCSTR s, LPCSTR e, int v) { return GetProfile().WriteProfileInt(s, e, v); }
CString CWinApp::GetProfileString(LPCSTR s, LPCSTR e, LPCSTR d) { return GetProfile().GetProfileString(s, e, d); }
BOOL CWinApp::WriteProfileString(LPCSTR s, LPCSTR e, LPCSTR v) { return GetProfile().WriteProfileString(s, e, v); }
BOOL CWinApp::GetProfileBinary(LPCSTR s, LPCSTR e, BYTE** d, UINT* n) { return GetProfile().GetProfileBinary(s, e, d, n); }
BOOL CWinApp::WriteProfileBinary(LPCSTR s, LPCSTR e, LPBYTE d, UINT n) {
  return GetProfile().WriteProfileBinary(s, e, d, n);
}

// ---- Running -----------------------------------------------------------------------------------

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  return (int)m_msgCur.wParam;
}

int CWinApp::Run() {
  if (!m_pMainWnd) {
    // Nothing to run for: end at once, as an application without a window would.
    AfxPostQuitMessage(0);
  }
  return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount) {
  BOOL more = CWinThread::OnIdle(lCount);
  if (lCount <= 0) {
    for (CDocTemplate* t : m_templates) t->OnIdle();
  }
  return more;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) { return CWinThread::PreTranslateMessage(pMsg); }

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt) {
  return Automation::Instance().ShowMessageBox(lpszPrompt ? lpszPrompt : "", m_pszAppName ? m_pszAppName : "",
                                               AfxMessageBoxType(nType), nIDPrompt);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd) {
  CWnd* main = AfxGetMainWnd();
  ::WinHelp(main ? main->GetSafeHwnd() : nullptr, m_pszHelpFilePath ? m_pszHelpFilePath : "", nCmd, dwData);
}

void CWinApp::HtmlHelp(DWORD_PTR dwData, UINT nCmd) {
  CWnd* main = AfxGetMainWnd();
  ::HtmlHelp(main ? main->GetSafeHwnd() : nullptr, m_pszHelpFilePath ? m_pszHelpFilePath : "", nCmd, dwData);
}

HCURSOR CWinApp::LoadCursor(LPCSTR name) const { return ::LoadCursor(AfxFindCursorHandle(name), name); }
HCURSOR CWinApp::LoadCursor(UINT id) const { return LoadCursor(MAKEINTRESOURCE(id)); }
HCURSOR CWinApp::LoadStandardCursor(LPCSTR name) const { return ::LoadCursor(nullptr, name); }
HCURSOR CWinApp::LoadOEMCursor(UINT id) const { return ::LoadCursor(nullptr, MAKEINTRESOURCE(id)); }
HICON CWinApp::LoadIcon(LPCSTR name) const { return ::LoadIcon(AfxFindResourceHandle(name, RT_GROUP_ICON), name); }
HICON CWinApp::LoadIcon(UINT id) const { return LoadIcon(MAKEINTRESOURCE(id)); }
HICON CWinApp::LoadStandardIcon(LPCSTR name) const { return ::LoadIcon(nullptr, name); }
void CWinApp::DoWaitCursor(int nCode) { AfxDoWaitCursor(nCode); }

// ---- Documents -----------------------------------------------------------------------------------

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate && std::find(m_templates.begin(), m_templates.end(), pTemplate) == m_templates.end())
    m_templates.push_back(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const {
  return m_templates.empty() ? nullptr : (POSITION)(UINT_PTR)1;
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
  size_t i = (size_t)(UINT_PTR)pos;
  if (i == 0 || i > m_templates.size()) {
    pos = nullptr;
    return nullptr;
  }
  CDocTemplate* t = m_templates[i - 1];
  pos = i < m_templates.size() ? (POSITION)(UINT_PTR)(i + 1) : nullptr;
  return t;
}

CDocument* CWinApp::OpenDocumentFile(LPCSTR lpszFileName) {
  if (!lpszFileName || m_templates.empty()) return nullptr;
  // An open document with the same path is brought forward instead of opened twice.
  for (CDocTemplate* t : m_templates) {
    POSITION p = t->GetFirstDocPosition();
    while (p) {
      CDocument* d = t->GetNextDoc(p);
      if (d && d->GetPathName().CompareNoCase(lpszFileName) == 0) {
        POSITION vp = d->GetFirstViewPosition();
        if (CView* v = d->GetNextView(vp)) {
          if (CFrameWnd* f = v->GetParentFrame()) f->ActivateFrame();
        }
        return d;
      }
    }
  }
  CDocTemplate* best = m_templates.front();
  for (CDocTemplate* t : m_templates) {
    CDocument* match = nullptr;
    if (t->MatchDocType(lpszFileName, match) == CDocTemplate::yesAttemptNative) {
      best = t;
      break;
    }
  }
  return best->OpenDocumentFile(lpszFileName);
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName) {
  if (!lpszPathName || !*lpszPathName || m_nMaxMRU == 0) return;
  CString path(lpszPathName);
  m_recentFiles.erase(std::remove_if(m_recentFiles.begin(), m_recentFiles.end(),
                                     [&](const CString& s) { return s.CompareNoCase(path) == 0; }),
                      m_recentFiles.end());
  m_recentFiles.insert(m_recentFiles.begin(), path);
  if (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.resize(m_nMaxMRU);
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  m_nMaxMRU = nMaxMRU;
  m_recentFiles.clear();
  for (UINT i = 1; i <= nMaxMRU; ++i) {
    CString key;
    key.Format("File%u", i);
    CString v = GetProfileString("Recent File List", key, "");
    if (!v.IsEmpty()) m_recentFiles.push_back(v);
  }
}

void CWinApp::SaveStdProfileSettings() {
  if (m_recentFiles.empty()) return;
  for (UINT i = 1; i <= m_nMaxMRU; ++i) {
    CString key;
    key.Format("File%u", i);
    WriteProfileString("Recent File List", key, i <= m_recentFiles.size() ? (LPCSTR)m_recentFiles[i - 1] : nullptr);
  }
}

BOOL CWinApp::SaveAllModified() {
  for (CDocTemplate* t : m_templates)
    if (!t->SaveAllModified()) return FALSE;
  return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
  for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

void CWinApp::OnFileNew() {
  if (m_templates.empty()) return;
  m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {}

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}


int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  if (hInstance) app->m_hInstance = hInstance;
  app->m_lpCmdLine = lpCmdLine;
  app->m_nCmdShow = nCmdShow;
  AfxSetThread(app);
  if (!app->InitInstance()) {
    if (app->m_pMainWnd && app->m_pMainWnd->GetSafeHwnd()) app->m_pMainWnd->DestroyWindow();
    // A quit posted by the main window going is not the application's business now.
    MSG m;
    while (::PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && m.message == WM_QUIT) {
    }
    return app->ExitInstance();
  }
  return app->Run();
}

// ---- Printer settings ------------------------------------------------------------------------------------

void CWinApp::SelectPrinter(HGLOBAL hDevNames, HGLOBAL hDevMode) {
  if (m_hDevNames && m_hDevNames != hDevNames) GlobalFree(m_hDevNames);
  if (m_hDevMode && m_hDevMode != hDevMode) GlobalFree(m_hDevMode);
  m_hDevNames = hDevNames;
  m_hDevMode = hDevMode;
}

INT_PTR CWinApp::DoPrintDialog(CPrintDialog* pPD) {
  if (!pPD) return IDCANCEL;
  // The dialog frees its own handles, so it works on copies.
  if (m_hDevNames) {
    if (pPD->m_pd.hDevNames) GlobalFree(pPD->m_pd.hDevNames);
    if (pPD->m_pd.hDevMode) GlobalFree(pPD->m_pd.hDevMode);
    pPD->m_pd.hDevNames = AfxCopyGlobalMemory(m_hDevNames);
    pPD->m_pd.hDevMode = AfxCopyGlobalMemory(m_hDevMode);
  }
  const INT_PTR result = pPD->DoModal();
  if (result == IDOK && pPD->m_pd.hDevNames) SelectPrinter(AfxCopyGlobalMemory(pPD->m_pd.hDevNames), AfxCopyGlobalMemory(pPD->m_pd.hDevMode));
  return result;
}
