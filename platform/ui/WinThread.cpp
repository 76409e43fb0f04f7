#include "platform/ui/WinThread.h"

#include "platform/core/Exception.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

namespace ui {
// What outlives a self-deleting thread object: whether the thread has ended and how.
struct ThreadState {
  std::mutex mutex;
  std::condition_variable cv;
  bool started = false;
  bool resumed = true;
  bool ended = false;
  DWORD exitCode = STILL_ACTIVE;
};
}  // namespace ui

namespace {

thread_local CWinThread* t_thread = nullptr;
CWinApp* g_app = nullptr;

// Keeps thread states reachable for the life of the process (handles may be waited on late).
std::mutex g_statesMutex;
std::vector<std::shared_ptr<ui::ThreadState>>* g_states = new std::vector<std::shared_ptr<ui::ThreadState>>;

struct EndThreadSignal {
  UINT code;
  BOOL bDelete;
};

BOOL PumpPreTranslate(MSG* msg) {
  CWinThread* t = AfxGetThread();
  // Without a thread object the windows still see their keys (dialog navigation).
  return t ? t->PreTranslateMessage(msg) : CWnd::WalkPreTranslateTree(nullptr, msg);
}

BOOL PumpIdle(LONG count) {
  CWinThread* t = AfxGetThread();
  if (!t) {
    if (count == 0) CWnd::DeleteTempMap();
    return FALSE;
  }
  return t->OnIdle(count);
}

void InstallPumpHooks() {
  static bool once = [] {
    UiPumpHooks h;
    h.preTranslate = PumpPreTranslate;
    h.idle = PumpIdle;
    SetUiPumpHooks(h);
    return true;
  }();
  (void)once;
}

}  // namespace

struct ThreadStart {
  static void Run(CWinThread* self, std::shared_ptr<ui::ThreadState> state) {
    t_thread = self;
    MSG m;
    PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the creator goes on
    {
      std::unique_lock<std::mutex> lk(state->mutex);
      self->m_nThreadID = UiCurrentThreadId();
      state->started = true;
      state->cv.notify_all();
      state->cv.wait(lk, [&] { return state->resumed; });
    }
    DWORD code = 0;
    BOOL autoDelete = TRUE;
    try {
      if (self->m_pfnThreadProc) {
        code = self->m_pfnThreadProc(self->m_pThreadParams);
      } else if (self->InitInstance()) {
        code = (DWORD)self->Run();
      } else {
        code = (DWORD)self->ExitInstance();
      }
      autoDelete = self->m_bAutoDelete;
    } catch (EndThreadSignal& e) {
      code = e.code;
      autoDelete = e.bDelete && self->m_bAutoDelete;
    } catch (CException* e) {
      e->Delete();
      code = (DWORD)-1;
      autoDelete = self->m_bAutoDelete;
    }
    UiEndThreadQueue();
    CWnd::DeleteTempMap();
    t_thread = nullptr;
    if (autoDelete) self->Delete();
    std::lock_guard<std::mutex> lk(state->mutex);
    state->exitCode = code;
    state->ended = true;
    state->cv.notify_all();
  }
};

CWinThread::CWinThread() { InstallPumpHooks(); }

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {
  InstallPumpHooks();
}

CWinThread::~CWinThread() {
  if (t_thread == this) t_thread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT, void*) {
  if (m_state) return FALSE;  // already started
  auto state = std::make_shared<ui::ThreadState>();
  state->resumed = !(dwCreateFlags & CREATE_SUSPENDED);
  {
    std::lock_guard<std::mutex> lk(g_statesMutex);
    g_states->push_back(state);
  }
  m_state = state;
  m_hThread = (HANDLE)state.get();
  try {
    std::thread(ThreadStart::Run, this, state).detach();
  } catch (...) {
    m_state.reset();
    m_hThread = nullptr;
    return FALSE;
  }
  std::unique_lock<std::mutex> lk(state->mutex);
  state->cv.wait(lk, [&] { return state->started; });
  return TRUE;
}

DWORD CWinThread::ResumeThread() {
  if (!m_state) return (DWORD)-1;
  std::lock_guard<std::mutex> lk(m_state->mutex);
  DWORD was = m_state->resumed ? 0 : 1;
  m_state->resumed = true;
  m_state->cv.notify_all();
  return was;
}

DWORD CWinThread::SuspendThread() { return (DWORD)-1; }
int CWinThread::GetThreadPriority() { return THREAD_PRIORITY_NORMAL; }
BOOL CWinThread::SetThreadPriority(int) { return m_state != nullptr; }

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostThreadMessage(m_nThreadID, message, wParam, lParam);
}

DWORD CWinThread::WaitForThread(HANDLE hThread, DWORD ms) {
  std::shared_ptr<ui::ThreadState> state;
  {
    std::lock_guard<std::mutex> lk(g_statesMutex);
    for (auto& s : *g_states)
      if ((HANDLE)s.get() == hThread) state = s;
  }
  if (!state) return WAIT_OBJECT_0;
  std::unique_lock<std::mutex> lk(state->mutex);
  if (ms == INFINITE) {
    state->cv.wait(lk, [&] { return state->ended; });
    return WAIT_OBJECT_0;
  }
  return state->cv.wait_for(lk, std::chrono::milliseconds(ms), [&] { return state->ended; }) ? WAIT_OBJECT_0
                                                                                               : WAIT_TIMEOUT;
}

DWORD CWinThread::GetExitCode(HANDLE hThread) {
  std::lock_guard<std::mutex> lk(g_statesMutex);
  for (auto& s : *g_states)
    if ((HANDLE)s.get() == hThread) {
      std::lock_guard<std::mutex> lk2(s->mutex);
      return s->exitCode;
    }
  return STILL_ACTIVE;
}

DWORD CWinThread::WaitForExit(DWORD ms) { return WaitForThread(m_hThread, ms); }

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() {
  int code = (int)m_msgCur.wParam;
  return code;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
  if (!pMsg) return FALSE;
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118 && pMsg->message != WM_MOUSEMOVE;
}

BOOL CWinThread::PumpMessage() {
  if (!::GetMessage(&m_msgCur, nullptr, 0, 0)) return FALSE;
  if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessage(&m_msgCur);
  }
  return TRUE;
}

int CWinThread::Run() {
  bool idle = true;
  LONG idleCount = 0;
  for (;;) {
    while (idle && !::PeekMessage(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
      if (!OnIdle(idleCount++)) idle = false;
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        idle = true;
        idleCount = 0;
      }
    } while (::PeekMessage(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
  }
}

BOOL CWinThread::DispatchThreadMessageEx(MSG* pMsg) {
  if (!pMsg || pMsg->hwnd) return FALSE;
  const AFX_MSGMAP_ENTRY* e =
      FindMessageEntry(pMsg->message, (1u << AfxSigThread) | (1u << AfxSigRegisteredThread));
  if (!e) return FALSE;
  AFX_MSGCALL call{pMsg->wParam, pMsg->lParam, 0, 0, nullptr, 0};
  e->pfn(this, call);
  return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg) return FALSE;
  if (!pMsg->hwnd) return DispatchThreadMessageEx(pMsg);
  CWnd* main = GetMainWnd();
  if (CWnd::WalkPreTranslateTree(main ? main->GetSafeHwnd() : nullptr, pMsg)) return TRUE;
  // Windows outside the main window (modeless boxes) still get the main window's keys.
  if (main && IsWindow(pMsg->hwnd)) {
    CWnd* w = CWnd::FromHandle(pMsg->hwnd);
    if (w && w->GetTopLevelParent() != main) return main->PreTranslateMessage(pMsg);
  }
  return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount) {
  if (lCount <= 0) {
    CWnd* main = GetMainWnd();
    if (main && main->GetSafeHwnd() && main->IsWindowVisible()) {
      main->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
      main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return TRUE;
  }
  if (lCount == 1) CWnd::DeleteTempMap();
  return FALSE;
}

CWnd* CWinThread::GetMainWnd() {
  if (m_pActiveWnd) return m_pActiveWnd;
  return m_pMainWnd;
}

void CWinThread::Delete() {
  if (m_bAutoDelete) delete this;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, void* lpSecurityAttrs) {
  if (!pfnThreadProc) return nullptr;
  auto* t = new CWinThread(pfnThreadProc, pParam);
  if (!t->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    t->Delete();
    return nullptr;
  }
  t->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) t->ResumeThread();
  return t;
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                           void* lpSecurityAttrs) {
  if (!pThreadClass || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread))) return nullptr;
  CObject* obj = pThreadClass->CreateObject();
  auto* t = static_cast<CWinThread*>(obj);
  if (!t) return nullptr;
  if (!t->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    t->Delete();
    return nullptr;
  }
  t->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) t->ResumeThread();
  return t;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) { throw EndThreadSignal{nExitCode, bDelete}; }

CWinThread* AfxGetThread() {
  if (t_thread) return t_thread;
  CWinApp* app = AfxGetApp();
  if (app && app->m_nThreadID == UiCurrentThreadId()) return app;
  return nullptr;
}

void AfxSetThread(CWinThread* thread) { t_thread = thread; }

CWinApp* AfxGetApp() { return g_app; }
void AfxSetApp(CWinApp* app) { g_app = app; }

CWnd* AfxGetMainWnd() {
  CWinThread* t = AfxGetThread();
  return t ? t->GetMainWnd() : nullptr;
}

BOOL AfxPumpMessage() {
  CWinThread* t = AfxGetThread();
  if (t) return t->PumpMessage();
  MSG m;
  if (!::GetMessage(&m, nullptr, 0, 0)) return FALSE;
  ::TranslateMessage(&m);
  ::DispatchMessage(&m);
  return TRUE;
}

void AfxPostQuitMessage(int nExitCode) { ::PostQuitMessage(nExitCode); }
