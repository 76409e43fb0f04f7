// CWinThread: a thread with its own message queue and loop; AfxBeginThread and the current thread.
#pragma once

#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/ui/CmdTarget.h"

#include <memory>

class CWnd;
class CWinApp;

typedef UINT (*AFX_THREADPROC)(LPVOID);
#define CREATE_SUSPENDED 0x00000004u
#define THREAD_PRIORITY_NORMAL 0
#define STILL_ACTIVE 259u
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define INFINITE 0xFFFFFFFFu

namespace ui {
struct ThreadState;
}

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

 public:
  CWinThread();
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  ~CWinThread() override;

  // Starts the thread: it makes its queue, then runs the procedure, or InitInstance and Run.
  // Returns once the thread's queue exists, so messages can be posted to it at once.
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, void* lpSecurityAttrs = nullptr);
  DWORD ResumeThread();
  DWORD SuspendThread();
  int GetThreadPriority();
  BOOL SetThreadPriority(int nPriority);
  BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Waits for the thread to end (real milliseconds); WAIT_OBJECT_0 or WAIT_TIMEOUT. Works after the
  // object has deleted itself through the handle kept in m_hThread.
  DWORD WaitForExit(DWORD ms = INFINITE);
  static DWORD WaitForThread(HANDLE hThread, DWORD ms = INFINITE);
  // The thread's exit code, or STILL_ACTIVE.
  static DWORD GetExitCode(HANDLE hThread);

  CWnd* m_pMainWnd = nullptr;
  CWnd* m_pActiveWnd = nullptr;
  BOOL m_bAutoDelete = TRUE;
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  MSG m_msgCur{};
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL PumpMessage();
  virtual BOOL OnIdle(LONG lCount);
  virtual BOOL IsIdleMessage(MSG* pMsg);
  virtual CWnd* GetMainWnd();
  virtual void Delete();
  // Offers a message posted to the thread itself (no window) to the thread's map.
  virtual BOOL DispatchThreadMessageEx(MSG* pMsg);

  DECLARE_MESSAGE_MAP()

 private:
  friend struct ThreadStart;
  std::shared_ptr<ui::ThreadState> m_state;
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);
// Ends the calling framework thread from inside it (unwinds to the thread's start).
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
// The framework thread object of the calling thread; the application on its own thread.
CWinThread* AfxGetThread();
void AfxSetThread(CWinThread* thread);
CWnd* AfxGetMainWnd();
CWinApp* AfxGetApp();
void AfxSetApp(CWinApp* app);
BOOL AfxPumpMessage();
void AfxPostQuitMessage(int nExitCode);
