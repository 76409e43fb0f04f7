#include "comm/SocketWinThread.h"

#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"

IMPLEMENT_DYNCREATE(CSocketWinThread, CWinThread)

// The gate polls the pointer to know that the thread has ended.
CSocketWinThread::~CSocketWinThread() {
  if (CMC_Comm::m_pSockThread == this) CMC_Comm::m_pSockThread = nullptr;
}

BOOL CSocketWinThread::InitInstance() {
  m_pDlg = new CNetMasterDlg;
  if (!m_pDlg->Create(IDD_NETMASTER)) {
    delete m_pDlg;
    m_pDlg = nullptr;
    return FALSE;
  }
  m_pMainWnd = m_pDlg;
  return TRUE;
}

BOOL CSocketWinThread::OnIdle(LONG lCount) {
  if (CWinThread::OnIdle(lCount)) return TRUE;
  // A running transfer is fed one block per idle pass while the socket has nothing queued.
  return m_pDlg ? m_pDlg->FeedTransferAtIdle() : FALSE;
}

int CSocketWinThread::ExitInstance() {
  m_pMainWnd = nullptr;
  if (m_pDlg) {
    if (m_pDlg->m_hWnd) m_pDlg->DestroyWindow();
    delete m_pDlg;
    m_pDlg = nullptr;
  }
  return CWinThread::ExitInstance();
}
