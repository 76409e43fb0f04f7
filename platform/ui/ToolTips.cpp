// Window tooltips: one tooltip control per thread serves every window that enabled tooltips; the
// hovered child becomes a tool identified by its handle, whose text the window supplies.
#include "platform/ui/Controls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Wnd.h"

namespace {

thread_local CToolTipCtrl* t_tip = nullptr;  // lives as long as its thread

bool IsMouseMessage(UINT m) { return m == WM_MOUSEMOVE || (m >= WM_LBUTTONDOWN && m <= WM_MBUTTONDBLCLK); }

}  // namespace

CToolTipCtrl* AfxGetThreadToolTip() {
  if (t_tip && t_tip->m_hWnd && ::IsWindow(t_tip->m_hWnd)) return t_tip;
  if (!t_tip) t_tip = new CToolTipCtrl;
  if (t_tip->m_hWnd) t_tip->Detach();
  return t_tip->Create(nullptr) ? t_tip : nullptr;
}

BOOL CWnd::EnableToolTips(BOOL bEnable) {
  BOOL old = (m_nFlags & WF_TOOLTIPS) != 0;
  if (bEnable)
    m_nFlags |= WF_TOOLTIPS;
  else
    m_nFlags &= ~WF_TOOLTIPS;
  return old;
}

void CWnd::FilterToolTipMessage(MSG* pMsg) {
  if (!pMsg || !pMsg->hwnd || !IsMouseMessage(pMsg->message)) return;
  // The nearest window up the tree that shows tooltips holds the hovered child.
  HWND child = pMsg->hwnd, owner = nullptr;
  for (HWND h = ::GetParent(child); h; h = ::GetParent(h)) {
    CWnd* w = FromHandlePermanent(h);
    if (w && (w->m_nFlags & WF_TOOLTIPS)) {
      owner = h;
      break;
    }
  }
  if (!owner && !(t_tip && t_tip->m_hWnd)) return;
  CToolTipCtrl* tip = AfxGetThreadToolTip();
  if (!tip || pMsg->hwnd == tip->m_hWnd) return;
  if (owner) {
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = owner;
    ti.uId = (UINT_PTR)child;
    ti.lpszText = LPSTR_TEXTCALLBACK;
    if (!tip->SendMessage(TTM_GETTOOLINFO, 0, (LPARAM)&ti)) {
      ti.uFlags = TTF_IDISHWND;
      ti.lpszText = LPSTR_TEXTCALLBACK;
      tip->SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
  }
  tip->SendMessage(TTM_RELAYEVENT, 0, (LPARAM)pMsg);
}

HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name) {
  HRSRC found = FindResource(instance, name, RT_BITMAP);
  if (!found) return nullptr;
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  DWORD size = SizeofResource(instance, found);
  return bytes && size ? CreateBitmapFromBytes(bytes, size) : nullptr;
}
