#include "comm/SocketWinThread.h"

#include "comm/MC_Comm.h"
#include "comm/NetMasterDlg.h"
#include "platform/ui/MessageQueue.h"

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

// Socket notifications are posted messages, which come before input and paint, and a flood posts the next
// while data remains: after a slice of them, the input and paint waiting come first.
BOOL CSocketWinThread::PumpMessage() {
  constexpr auto kSlice = std::chrono::milliseconds(50);
  const auto now = std::chrono::steady_clock::now();
  MSG next;
  if (!HIWORD(::GetQueueStatus(QS_INPUT | QS_PAINT))) {
    m_answered = now;
  } else if (now - m_answered >= kSlice && ::PeekMessage(&next, nullptr, 0, 0, PM_NOREMOVE) &&
             next.message == WM_SOCKET_NOTIFY) {
    AnswerInputAndPaint();
    m_answered = std::chrono::steady_clock::now();
  }
  return CWinThread::PumpMessage();
}

// Each input message as the loop takes it, with the characters its key posted before the next; then the
// windows painted. Bounded, so the reading goes on whatever comes meanwhile.
void CSocketWinThread::AnswerInputAndPaint() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
  MSG m;
  auto take = [&] {
    if (!PreTranslateMessage(&m)) {
      ::TranslateMessage(&m);
      ::DispatchMessage(&m);
    }
  };
  while (std::chrono::steady_clock::now() < until && ::PeekMessage(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
    take();
    while (::PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_QS_POSTMESSAGE)) take();
  }
  while (std::chrono::steady_clock::now() < until && ::PeekMessage(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT))
    ::DispatchMessage(&m);
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
