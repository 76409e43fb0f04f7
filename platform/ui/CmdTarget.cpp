#include "platform/ui/CmdTarget.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <atomic>
#include <cstring>
#include <mutex>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  UINT nMsg;
  UINT code;
  if ((UINT)nCode == CN_UPDATE_COMMAND_UI) {
    nMsg = WM_COMMAND;
    code = CN_UPDATE_COMMAND_UI;
  } else {
    nMsg = HIWORD((UINT)nCode);
    code = LOWORD((UINT)nCode);
    if (nMsg == 0) nMsg = WM_COMMAND;
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e) {
      if (e->nMessage != nMsg || e->nCode != code) continue;
      if (e->nSig != AfxSigCmd && e->nSig != AfxSigCmdUI && e->nSig != AfxSigNotify) continue;
      if (nID < e->nID || nID > e->nLastID) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = e;
        return TRUE;
      }
      AFX_MSGCALL call{0, 0, nID, code, pExtra, 0};
      return e->pfn(this, call);
    }
  }
  return FALSE;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT kindMask) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e) {
      if (!(kindMask & (1u << e->nSig))) continue;
      UINT m = e->pnRegistered ? *e->pnRegistered : e->nMessage;
      if (m == message && (!e->pnRegistered || m != 0)) return e;
    }
  }
  return nullptr;
}

void CCmdTarget::BeginWaitCursor() { AfxDoWaitCursor(1); }
void CCmdTarget::EndWaitCursor() { AfxDoWaitCursor(-1); }
void CCmdTarget::RestoreWaitCursor() { AfxDoWaitCursor(0); }

// ---- CCmdUI -------------------------------------------------------------------------------------

void CCmdUI_ResetRouting(CCmdUI* ui) {
  if (ui) ui->m_bContinueRouting = FALSE;
}
BOOL CCmdUI_ContinuesRouting(const CCmdUI* ui) { return ui ? ui->m_bContinueRouting : FALSE; }

// Button messages a check or radio state is shown with.
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1

void CCmdUI::Enable(BOOL bOn) {
  if (m_pOther) {
    if (!bOn && ::GetFocus() == m_pOther->GetSafeHwnd()) {
      HWND parent = ::GetParent(m_pOther->GetSafeHwnd());
      if (parent) ::SetFocus(parent);
    }
    m_pOther->EnableWindow(bOn);
  }
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
  if (m_pOther) m_pOther->SendMessage(BM_SETCHECK, (WPARAM)nCheck, 0);
}

void CCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

void CCmdUI::SetText(LPCSTR lpszText) {
  if (m_pOther && lpszText) m_pOther->SetWindowText(lpszText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
  if (!pTarget || m_nID == 0 || LOWORD(m_nID) == 0xFFFF) return TRUE;
  m_bEnableChanged = FALSE;
  BOOL handled = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
  if (bDisableIfNoHndler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info{nullptr, nullptr};
    if (!pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info)) Enable(FALSE);
  }
  return handled;
}

void CTestCmdUI::SetText(LPCSTR lpszText) {
  if (!lpszText) lpszText = "";
  strncpy(m_szText, lpszText, sizeof m_szText - 1);
  m_szText[sizeof m_szText - 1] = 0;
}

// ---- Wait cursor ------------------------------------------------------------------------------------

namespace {
std::mutex g_waitMutex;
int g_waitCount = 0;
HCURSOR g_waitRestore = nullptr;
}  // namespace

void AfxDoWaitCursor(int nCode) {
  std::lock_guard<std::mutex> lk(g_waitMutex);
  HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
  if (nCode > 0) {
    if (g_waitCount++ == 0) g_waitRestore = SetCursor(wait);
    else SetCursor(wait);
  } else if (nCode < 0) {
    if (g_waitCount == 0) return;  // unbalanced: nothing to end
    if (--g_waitCount == 0) SetCursor(g_waitRestore ? g_waitRestore : LoadCursor(nullptr, IDC_ARROW));
  } else if (g_waitCount > 0) {
    SetCursor(wait);
  }
}

int AfxGetWaitCursorCount() {
  std::lock_guard<std::mutex> lk(g_waitMutex);
  return g_waitCount;
}

CWaitCursor::CWaitCursor() { AfxDoWaitCursor(1); }
CWaitCursor::~CWaitCursor() { AfxDoWaitCursor(-1); }
void CWaitCursor::Restore() { AfxDoWaitCursor(0); }
