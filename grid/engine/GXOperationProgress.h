// CGXOperationProgress: progress of a long grid operation: after a delay a wait cursor and a status
// line, messages pumped with user input dropped, and ESC to abort. State is process-wide.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"
#include "platform/ui/WinDefs.h"

struct GXProgressSettings {
  static const int nMaxLevels = 64;
  static const int nLineSize = 128;

  DWORD nFirstDelay = 750;
  DWORD nInterval = 1500;
  BOOL bAskBeforeAbort = TRUE;
  CString strDefaultText = "Processing...";
  CString strDoneText = "Done.";
  CString strCancelHint = "Press ESC to cancel";
  CString strAbortQuestion = "Do you want to abort the operation?";
  DWORD nPercent = 0xFFFFFFFF;  // all ones: none, a rotating indicator instead
  int nLevel = 0;
  DWORD nDisplayDepth = 0xFFFFFFFF;  // all ones: no limit
  BOOL bWaitCursor = FALSE;
  BOOL bEscPressed = FALSE;
  BOOL bAbortConfirmed = FALSE;
  BOOL bRollbackRequested = FALSE;
  BOOL bAbortAllowed = TRUE;
  BOOL bOfferRollback = TRUE;
  LPCTSTR apszText[nMaxLevels] = {};
  BOOL abOwned[nMaxLevels] = {};
  char szLine[nLineSize] = {};
  int nIndicator = 0;
  HWND hMainWnd = nullptr;  // a handle, so a window destroyed meanwhile is only not found
  BOOL bMainWndFound = FALSE;
};

GXProgressSettings& GXGetProgressSettings();

class CGXOperationProgress {
 public:
  CGXOperationProgress();
  ~CGXOperationProgress();
  CGXOperationProgress(const CGXOperationProgress&) = delete;
  CGXOperationProgress& operator=(const CGXOperationProgress&) = delete;

  void SetStatusText(LPCTSTR pszText, BOOL bCopy = TRUE);
  BOOL DoMessages();
  BOOL CheckAbort(BOOL& bAbort);

  BOOL m_bSayDone = TRUE;
  BOOL m_bUpdateLine = TRUE;

 private:
  BOOL IsDue() const;
  BOOL IsDisplayed() const;
  void ShowLine(BOOL bForAbort);
  LPCTSTR Text() const;

  DWORD m_nStartTime;
  DWORD m_nLastUpdate;
};

// Pumps the queue once: quit is posted again, ESC noted, other input and commands dropped.
void GXPumpWaitMessages();
