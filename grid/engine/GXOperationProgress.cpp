// Progress of long operations.
#include "grid/engine/GXOperationProgress.h"

#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <cstdio>
#include <cstring>

namespace {

const UINT kSetMessageString = 0x362;

void FreeLevelText(GXProgressSettings& s, int level) {
  if (level < 1 || level > GXProgressSettings::nMaxLevels) return;
  if (s.abOwned[level - 1]) delete[] const_cast<char*>(s.apszText[level - 1]);
  s.abOwned[level - 1] = FALSE;
  s.apszText[level - 1] = nullptr;
}

// Levels past the table share its last slot.
int Slot(int level) { return level > GXProgressSettings::nMaxLevels ? GXProgressSettings::nMaxLevels : level; }

// Appends within the line buffer, cutting what does not fit.
void Append(char* line, const char* text) {
  const size_t used = std::strlen(line), room = GXProgressSettings::nLineSize - 1 - used;
  std::strncat(line, text ? text : "", room);
}

}  // namespace

GXProgressSettings& GXGetProgressSettings() {
  static GXProgressSettings settings;
  return settings;
}

CGXOperationProgress::CGXOperationProgress() {
  GXProgressSettings& s = GXGetProgressSettings();
  ++s.nLevel;
  if (s.nLevel == 1) {
    s.bWaitCursor = s.bEscPressed = FALSE;
    s.nDisplayDepth = s.nPercent = 0xFFFFFFFF;
    s.bAbortAllowed = TRUE;
    s.bOfferRollback = FALSE;
    FreeLevelText(s, 1);
    s.apszText[0] = s.strDefaultText;
    if (!s.bMainWndFound) {
      CWnd* main = AfxGetMainWnd();
      s.hMainWnd = main ? main->GetSafeHwnd() : nullptr;
      s.bMainWndFound = s.hMainWnd != nullptr;
    }
  } else if (s.nLevel <= GXProgressSettings::nMaxLevels) {
    FreeLevelText(s, s.nLevel);
    s.apszText[s.nLevel - 1] = s.apszText[s.nLevel - 2];
  }
  s.bAbortConfirmed = s.bRollbackRequested = FALSE;
  m_nStartTime = m_nLastUpdate = GetTickCount();
}

CGXOperationProgress::~CGXOperationProgress() {
  GXProgressSettings& s = GXGetProgressSettings();
  if (s.nLevel <= GXProgressSettings::nMaxLevels) FreeLevelText(s, s.nLevel);
  if (s.nLevel > 0) --s.nLevel;
  if (s.nLevel == 0 && s.bWaitCursor) {
    s.bWaitCursor = FALSE;
    if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
    if (m_bSayDone && s.hMainWnd && ::IsWindow(s.hMainWnd))
      ::SendMessage(s.hMainWnd, kSetMessageString, 0, (LPARAM)s.strDoneText.GetString());
  }
}

LPCTSTR CGXOperationProgress::Text() const {
  const GXProgressSettings& s = GXGetProgressSettings();
  const int slot = Slot(s.nLevel);
  return slot >= 1 && s.apszText[slot - 1] ? s.apszText[slot - 1] : "";
}

void CGXOperationProgress::SetStatusText(LPCTSTR pszText, BOOL bCopy) {
  GXProgressSettings& s = GXGetProgressSettings();
  if (s.nLevel < 1 || s.nLevel > GXProgressSettings::nMaxLevels) return;
  FreeLevelText(s, s.nLevel);
  if (!IsDisplayed()) return;
  if (bCopy && pszText) {
    const size_t n = std::strlen(pszText);
    char* copy = new char[n + 1];
    std::memcpy(copy, pszText, n + 1);
    s.apszText[s.nLevel - 1] = copy;
    s.abOwned[s.nLevel - 1] = TRUE;
  } else {
    s.apszText[s.nLevel - 1] = pszText;
  }
}

BOOL CGXOperationProgress::IsDisplayed() const {
  const GXProgressSettings& s = GXGetProgressSettings();
  return s.nDisplayDepth == 0xFFFFFFFF || (DWORD)s.nLevel <= s.nDisplayDepth + 1;
}

BOOL CGXOperationProgress::IsDue() const {
  const GXProgressSettings& s = GXGetProgressSettings();
  const DWORD now = GetTickCount();
  if (s.bWaitCursor) return now - m_nLastUpdate >= s.nInterval;
  return now - m_nStartTime >= s.nFirstDelay;
}

void CGXOperationProgress::ShowLine(BOOL bForAbort) {
  GXProgressSettings& s = GXGetProgressSettings();
  if (!m_bUpdateLine || !s.hMainWnd || !IsDisplayed()) return;
  char* line = s.szLine;
  line[0] = 0;
  Append(line, Text());
  char number[32];
  std::snprintf(number, sizeof(number), " %3u%%. ", (unsigned)(s.nPercent > 100 ? 100 : s.nPercent));
  static const char kIndicator[4] = {'-', '\\', '|', '/'};
  auto indicator = [&]() {
    const char step[4] = {' ', ' ', kIndicator[s.nIndicator], 0};
    s.nIndicator = (s.nIndicator + 1) % 4;
    Append(line, step);
  };
  const bool percent = s.nPercent != 0xFFFFFFFF;
  if (bForAbort) {
    if (percent) Append(line, number);
    if (s.bAbortAllowed) {
      Append(line, "   ");
      Append(line, s.strCancelHint);
    }
    if (!percent) indicator();
  } else if (percent) {
    Append(line, number);
  } else {
    indicator();
  }
  if (::IsWindow(s.hMainWnd)) ::SendMessage(s.hMainWnd, kSetMessageString, 0, (LPARAM)line);
}

BOOL CGXOperationProgress::DoMessages() {
  if (!IsDue()) return FALSE;
  ShowLine(FALSE);
  GXPumpWaitMessages();
  m_nLastUpdate = GetTickCount();
  return TRUE;
}

BOOL CGXOperationProgress::CheckAbort(BOOL& bAbort) {
  bAbort = FALSE;
  if (!IsDue()) return FALSE;
  GXProgressSettings& s = GXGetProgressSettings();
  ShowLine(TRUE);
  GXPumpWaitMessages();
  if (s.bAbortAllowed && s.bEscPressed && !s.bAbortConfirmed) {
    if (s.bAskBeforeAbort) {
      if (s.bOfferRollback) {
        const int answer = AfxMessageBox(s.strAbortQuestion, MB_ABORTRETRYIGNORE | MB_ICONQUESTION);
        if (answer == IDABORT || answer == IDRETRY) {
          s.bAbortConfirmed = TRUE;
          s.bRollbackRequested = answer == IDRETRY;
        }
      } else {
        s.bAbortConfirmed = AfxMessageBox(s.strAbortQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
      }
      s.bEscPressed = FALSE;
      bAbort = s.bAbortConfirmed;
    } else {
      s.bRollbackRequested = s.bOfferRollback;
      s.bAbortConfirmed = TRUE;
      bAbort = TRUE;
    }
  }
  m_nLastUpdate = GetTickCount();
  return TRUE;
}

void GXPumpWaitMessages() {
  GXProgressSettings& s = GXGetProgressSettings();
  CWinApp* app = AfxGetApp();
  if (!s.bWaitCursor) {
    if (app) app->BeginWaitCursor();
    s.bWaitCursor = TRUE;
  }
  MSG msg;
  while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(0);
      break;
    }
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_CANCEL)) {
      s.bEscPressed = TRUE;
      if (app) app->RestoreWaitCursor();
      continue;
    }
    const UINT m = msg.message;
    if ((m >= 0x100 && m <= 0x109) || (m >= 0x200 && m <= 0x20D) || (m >= 0xA0 && m <= 0xA9) || m == WM_COMMAND) {
      if (app) app->RestoreWaitCursor();
      continue;
    }
    CWinThread* thread = AfxGetThread();
    if (thread && thread->PreTranslateMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessage(&msg);
  }
  if (CWinThread* thread = AfxGetThread()) {
    thread->OnIdle(0);
    thread->OnIdle(1);
  }
}
