#include "comm/SocketWinThread.h"

#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"

#include <atomic>

IMPLEMENT_DYNCREATE(CSocketWinThread, CWinThread)

namespace {
// Published once the window is complete, so the user-interface thread never sees it half made.
std::atomic<HWND> g_window{nullptr};
}  // namespace

HWND CSocketWinThread::RunningWindow() { return g_window.load(std::memory_order_acquire); }

// The gate polls the pointer to know that the thread has ended.
CSocketWinThread::~CSocketWinThread() {
  CWinThread* self = this;
  CMC_Comm::m_pSockThread.compare_exchange_strong(self, nullptr);
}

BOOL CSocketWinThread::InitInstance() {
  m_pDlg = new CNetMasterDlg;
  if (!m_pDlg->Create(IDD_NETMASTER)) {
    delete m_pDlg;
    m_pDlg = nullptr;
    return FALSE;
  }
  m_pMainWnd = m_pDlg;
  g_window.store(m_pDlg->m_hWnd, std::memory_order_release);
  return TRUE;
}

BOOL CSocketWinThread::OnIdle(LONG lCount) {
  if (CWinThread::OnIdle(lCount)) return TRUE;
  // A running transfer is fed one block per idle pass while the socket has nothing queued.
  return m_pDlg ? m_pDlg->FeedTransferAtIdle() : FALSE;
}

int CSocketWinThread::ExitInstance() {
  g_window.store(nullptr, std::memory_order_release);
  m_pMainWnd = nullptr;
  if (m_pDlg) {
    if (m_pDlg->m_hWnd) m_pDlg->DestroyWindow();
    delete m_pDlg;
    m_pDlg = nullptr;
  }
  return CWinThread::ExitInstance();
}
