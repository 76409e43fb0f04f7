// The net-master thread: owns the "Master" window (its main window) and with it the TCP socket.
#pragma once

#include "platform/ui/WinDefs.h"
#include "platform/ui/WinThread.h"

#include <chrono>

class CNetMasterDlg;

class CSocketWinThread : public CWinThread {
  DECLARE_DYNCREATE(CSocketWinThread)
 public:
  CSocketWinThread() = default;
  ~CSocketWinThread() override;
  BOOL InitInstance() override;
  BOOL OnIdle(LONG lCount) override;
  int ExitInstance() override;
  BOOL PumpMessage() override;
  CNetMasterDlg* GetDialog() const { return m_pDlg; }
  // The running thread's "Master" window, for any thread; null before it exists and once it is gone.
  static HWND RunningWindow();

 private:
  void AnswerInputAndPaint();
  CNetMasterDlg* m_pDlg = nullptr;
  std::chrono::steady_clock::time_point m_answered;  // when the thread last had no input or paint waiting
};
