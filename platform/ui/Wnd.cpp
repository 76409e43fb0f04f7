#include "platform/ui/Wnd.h"

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/ControlDefs.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

thread_local MSG t_currentMsg{};
thread_local HWND t_lockoutNotifyWindow = nullptr;
thread_local std::map<HWND, CWnd*>* t_tempMap = nullptr;

CDC* (*g_dcFromHandle)(HDC) = nullptr;
CFont* (*g_fontFromHandle)(HFONT) = nullptr;
HFONT (*g_fontToHandle)(CFont*) = nullptr;

void AttachHook(HWND h, void* data) {
  auto* w = static_cast<CWnd*>(data);
  w->Attach(h);
  w->m_pfnSuper = (WNDPROC)GetWindowLongPtr(h, GWLP_WNDPROC);
  if (w->m_pfnSuper == AfxWndProc) w->m_pfnSuper = nullptr;
  SetWindowLongPtr(h, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
  w->PreSubclassWindow();
}

// Holds and restores the message being handled, so Default() sees the right one.
struct CurrentMessage {
  MSG saved;
  CurrentMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) : saved(t_currentMsg) {
    t_currentMsg = MSG{h, m, wp, lp, 0, {0, 0}};
  }
  ~CurrentMessage() { t_currentMsg = saved; }
  CurrentMessage(const CurrentMessage&) = delete;
  CurrentMessage& operator=(const CurrentMessage&) = delete;
};

}  // namespace

void AfxSetDCFromHandle(CDC* (*fromHandle)(HDC)) { g_dcFromHandle = fromHandle; }
CDC* AfxDCFromHandle(HDC hdc) { return (hdc && g_dcFromHandle) ? g_dcFromHandle(hdc) : nullptr; }
void AfxSetFontHandlers(CFont* (*fromHandle)(HFONT), HFONT (*toHandle)(CFont*)) {
  g_fontFromHandle = fromHandle;
  g_fontToHandle = toHandle;
}

LRESULT AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  // The window manager calls a procedure only for a live window, so its object is read directly.
  CWnd* w = hWnd ? hWnd->wnd : nullptr;
  if (!w) return ::DefWindowProc(hWnd, nMsg, wParam, lParam);
  CurrentMessage cur(hWnd, nMsg, wParam, lParam);
  try {
    return w->WindowProc(nMsg, wParam, lParam);
  } catch (CException* e) {
    // A handler that throws reports it and the message fails, as the framework's dispatcher does.
    if (!e->IsKindOf(RUNTIME_CLASS(CUserException))) e->ReportError();
    e->Delete();
    return nMsg == WM_CREATE ? -1 : 0;
  }
}

WNDPROC AfxGetAfxWndProc() { return AfxWndProc; }

// ---- Construction, handles ----------------------------------------------------------------------

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() = default;
CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd) {}

CWnd::~CWnd() {
  if (m_hWnd && !m_temporary && FromHandlePermanent(m_hWnd) == this) {
    ::DestroyWindow(m_hWnd);
    if (m_hWnd && IsWindow(m_hWnd) && m_hWnd->wnd == this) m_hWnd->wnd = nullptr;
  }
  if (t_tempMap && m_temporary) {
    auto it = t_tempMap->find(m_hWnd);
    if (it != t_tempMap->end() && it->second == this) t_tempMap->erase(it);
  }
}

namespace {
HWND SafeHwnd(const CWnd* w);
}

CWnd::operator HWND() const { return SafeHwnd(this); }
HWND CWnd::GetSafeHwnd() const { return SafeHwnd(this); }

namespace {
__attribute__((noinline)) HWND SafeHwnd(const CWnd* w) {
  const void* volatile p = w;
  return p ? static_cast<const CWnd*>(p)->m_hWnd : nullptr;
}
}  // namespace

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd || !IsWindow(hWnd)) return nullptr;
  return hWnd->wnd;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* w = FromHandlePermanent(hWnd)) return w;
  if (hWnd != ::GetDesktopWindow() && !IsWindow(hWnd)) return nullptr;
  if (!t_tempMap) t_tempMap = new std::map<HWND, CWnd*>;
  auto& slot = (*t_tempMap)[hWnd];
  if (!slot) {
    slot = new CWnd(hWnd);
    slot->m_temporary = true;
  }
  return slot;
}

void CWnd::DeleteTempMap() {
  if (!t_tempMap) return;
  // The map goes too, so a thread that ends after its last idle pass leaves nothing behind.
  std::unique_ptr<std::map<HWND, CWnd*>> m(t_tempMap);
  t_tempMap = nullptr;
  for (auto& [h, w] : *m) {
    w->m_hWnd = nullptr;
    delete w;
  }
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (!hWndNew || m_hWnd || !IsWindow(hWndNew) || hWndNew->wnd) return FALSE;
  m_hWnd = hWndNew;
  hWndNew->wnd = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h && IsWindow(h) && h->wnd == this) h->wnd = nullptr;
  m_hWnd = nullptr;
  return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  PreSubclassWindow();
  WNDPROC old = (WNDPROC)SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
  if (old != AfxWndProc) m_pfnSuper = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent) return FALSE;
  HWND h = ::GetDlgItem(pParent->m_hWnd, (int)nID);
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  if (m_pfnSuper) SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
  m_pfnSuper = nullptr;
  return Detach();
}

// ---- Creation ----------------------------------------------------------------------------------

BOOL AfxRegisterClass(WNDCLASS* lpWndClass) {
  if (!lpWndClass) return FALSE;
  WNDCLASS have;
  if (GetClassInfo(lpWndClass->hInstance, lpWndClass->lpszClassName, &have)) return TRUE;
  return RegisterClass(lpWndClass) != 0;
}

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  static std::mutex m;
  static std::set<std::string>* names = new std::set<std::string>;
  char buf[128];
  snprintf(buf, sizeof buf, "Afx:%p:%x:%p:%p:%p", (void*)nullptr, nClassStyle, (void*)hCursor, (void*)hbrBackground,
           (void*)hIcon);
  std::lock_guard<std::mutex> lk(m);
  auto it = names->insert(buf).first;
  WNDCLASS wc{};
  wc.style = nClassStyle;
  wc.lpfnWndProc = ::DefWindowProc;
  wc.hCursor = hCursor;
  wc.hbrBackground = hbrBackground;
  wc.hIcon = hIcon;
  wc.lpszClassName = it->c_str();
  if (!AfxRegisterClass(&wc)) return nullptr;
  return it->c_str();
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, CCreateContext* pContext) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, (HMENU)(UINT_PTR)nID,
                  (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, (HMENU)(UINT_PTR)nID,
                  lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd) return FALSE;  // already has a window
  CREATESTRUCT cs{lpParam, nullptr, nIDorHMenu, hWndParent, nHeight, nWidth, y, x, (LONG)dwStyle, lpszWindowName,
                  lpszClassName, dwExStyle};
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  ui::t_createHook = AttachHook;
  ui::t_createHookData = this;
  HWND h = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y, cs.cx, cs.cy,
                            cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  bool hooked = ui::t_createHook == nullptr;
  ui::t_createHook = nullptr;
  ui::t_createHookData = nullptr;
  if (!hooked) {
    // The window never existed: self-deleting objects clean up as they would after WM_NCDESTROY.
    PostNcDestroy();
    return FALSE;
  }
  return h != nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    static LPCSTR cls = [] {
      WNDCLASS wc{};
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = ::DefWindowProc;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.lpszClassName = "AfxWnd";
      AfxRegisterClass(&wc);
      return "AfxWnd";
    }();
    cs.lpszClass = cls;
  }
  return TRUE;
}

void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT) {
  if (lpClientRect) AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

// ---- Dispatch ----------------------------------------------------------------------------------

const MSG* CWnd::GetCurrentMessage() { return &t_currentMsg; }

LRESULT CWnd::Default() {
  const MSG& m = t_currentMsg;
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  if (m_pfnSuper && m_pfnSuper != AfxWndProc) return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if (!OnWndMsg(message, wParam, lParam, &lResult)) lResult = DefWindowProc(message, wParam, lParam);
  return lResult;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  if (!pMsg) return FALSE;
  FilterToolTipMessage(pMsg);
  for (HWND h = pMsg->hwnd; h && IsWindow(h); h = ::GetParent(h)) {
    CWnd* w = FromHandlePermanent(h);
    if (w && w->PreTranslateMessage(pMsg)) return TRUE;
    if (h == hWndStop) break;
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT nID = LOWORD(wParam);
  HWND hWndCtrl = (HWND)lParam;
  int nCode = HIWORD(wParam);
  if (!hWndCtrl) {
    if (nID == 0) return FALSE;
    // A command that became disabled since its menu or accelerator was shown is dropped.
    CTestCmdUI state;
    state.m_nID = nID;
    OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
    if (!state.m_bEnabled) return TRUE;
    nCode = CN_COMMAND;
  } else {
    if (t_lockoutNotifyWindow == m_hWnd) return TRUE;
    if (ReflectLastMsg(hWndCtrl)) return TRUE;
    if (nID == 0) return FALSE;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

HWND& AfxLockoutNotifyWindow() { return t_lockoutNotifyWindow; }

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = (NMHDR*)lParam;
  if (!hdr) return FALSE;
  HWND hWndCtrl = hdr->hwndFrom;
  if (t_lockoutNotifyWindow == m_hWnd) return TRUE;
  if (hWndCtrl && ReflectLastMsg(hWndCtrl, pResult)) return TRUE;
  AFX_NOTIFY notify{pResult, hdr};
  return OnCmdMsg((UINT)hdr->idFrom, (int)MAKELONG(hdr->code, WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_PARENTNOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
      return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    case WM_COMMAND: {
      int nCode = HIWORD(wParam);
      if (OnCmdMsg(0, (int)MAKELONG(nCode, WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr)) {
        if (pResult) *pResult = 1;
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      auto* hdr = (NMHDR*)lParam;
      if (!hdr) return FALSE;
      AFX_NOTIFY notify{pResult, hdr};
      return OnCmdMsg(0, (int)MAKELONG(hdr->code, WM_REFLECT_BASE + WM_NOTIFY), &notify, nullptr);
    }
    default:
      if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
      return FALSE;
  }
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
  const MSG& m = t_currentMsg;
  return OnChildNotify(m.message, m.wParam, m.lParam, pResult);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
  CWnd* child = FromHandlePermanent(hWndChild);
  if (!child) return FALSE;
  return child->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT lResult = 0;
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    if (pResult) *pResult = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    auto* hdr = (NMHDR*)lParam;
    if (!hdr || !OnNotify(wParam, lParam, &lResult)) return FALSE;
    if (pResult) *pResult = lResult;
    return TRUE;
  }
  if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, (1u << AfxSigMessage) | (1u << AfxSigRegistered))) {
    AFX_MSGCALL call{wParam, lParam, 0, 0, nullptr, 0};
    e->pfn(this, call);
    if (pResult) *pResult = call.result;
    return TRUE;
  }
  auto pt = [lParam] { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); };
  switch (message) {
    case WM_CREATE: lResult = OnCreate((LPCREATESTRUCT)lParam); break;
    case WM_NCCREATE: lResult = OnNcCreate((LPCREATESTRUCT)lParam); break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_NCDESTROY:
      // The object may delete itself here: nothing of it is touched afterwards.
      if (pResult) *pResult = 0;
      OnNcDestroy();
      return TRUE;
    case WM_PAINT: OnPaint(); break;
    case WM_NCPAINT: OnNcPaint(); break;
    case WM_ERASEBKGND: lResult = OnEraseBkgnd(AfxDCFromHandle((HDC)wParam)); break;
    case WM_SIZE: OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_MOVE: OnMove((short)LOWORD(lParam), (short)HIWORD(lParam)); break;
    case WM_SHOWWINDOW: OnShowWindow((BOOL)wParam, (UINT)lParam); break;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging((WINDOWPOS*)lParam); break;
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged((WINDOWPOS*)lParam); break;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo((MINMAXINFO*)lParam); break;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam), FromHandle((HWND)lParam), HIWORD(wParam)); break;
    case WM_ACTIVATEAPP: OnActivateApp((BOOL)wParam, (DWORD)lParam); break;
    case WM_NCACTIVATE: lResult = OnNcActivate((BOOL)wParam); break;
    case WM_MOUSEACTIVATE: lResult = OnMouseActivate(FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_CHILDACTIVATE: OnChildActivate(); break;
    case WM_SETFOCUS: OnSetFocus(FromHandle((HWND)wParam)); break;
    case WM_KILLFOCUS: OnKillFocus(FromHandle((HWND)wParam)); break;
    case WM_ENABLE: OnEnable((BOOL)wParam); break;
    case WM_CLOSE: OnClose(); break;
    case WM_TIMER: OnTimer((UINT_PTR)wParam); break;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<CScrollBar*>(lParam ? FromHandle((HWND)lParam) : nullptr));
      break;
    case WM_VSCROLL:
      OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<CScrollBar*>(lParam ? FromHandle((HWND)lParam) : nullptr));
      break;
    case WM_KEYDOWN: OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_KEYUP: OnKeyUp((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_CHAR: OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_DEADCHAR: OnDeadChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_SYSKEYDOWN: OnSysKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_SYSKEYUP: OnSysKeyUp((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_SYSCHAR: OnSysChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_SYSDEADCHAR: OnSysDeadChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_LBUTTONDOWN: OnLButtonDown((UINT)wParam, pt()); break;
    case WM_LBUTTONUP: OnLButtonUp((UINT)wParam, pt()); break;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk((UINT)wParam, pt()); break;
    case WM_RBUTTONDOWN: OnRButtonDown((UINT)wParam, pt()); break;
    case WM_RBUTTONUP: OnRButtonUp((UINT)wParam, pt()); break;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk((UINT)wParam, pt()); break;
    case WM_MBUTTONDOWN: OnMButtonDown((UINT)wParam, pt()); break;
    case WM_MBUTTONUP: OnMButtonUp((UINT)wParam, pt()); break;
    case WM_MBUTTONDBLCLK: OnMButtonDblClk((UINT)wParam, pt()); break;
    case WM_MOUSEMOVE: OnMouseMove((UINT)wParam, pt()); break;
    case WM_MOUSEWHEEL: lResult = OnMouseWheel(LOWORD(wParam), (short)HIWORD(wParam), pt()); break;
    case WM_SETCURSOR: lResult = OnSetCursor(FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_GETDLGCODE: lResult = OnGetDlgCode(); break;
    case WM_NCHITTEST: lResult = OnNcHitTest(pt()); break;
    case WM_NCCALCSIZE: OnNcCalcSize((BOOL)wParam, (NCCALCSIZE_PARAMS*)lParam); break;
    case WM_NCLBUTTONDOWN: OnNcLButtonDown((UINT)wParam, pt()); break;
    case WM_NCLBUTTONDBLCLK: OnNcLButtonDblClk((UINT)wParam, pt()); break;
    case WM_NCMOUSEMOVE: OnNcMouseMove((UINT)wParam, pt()); break;
    case WM_CANCELMODE: OnCancelMode(); break;
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle((HWND)lParam)); break;
    case WM_PARENTNOTIFY: OnParentNotify(LOWORD(wParam), lParam); break;
    case WM_SYSCOLORCHANGE: OnSysColorChange(); break;
    case WM_SETTINGCHANGE: OnSettingChange((UINT)wParam, (LPCSTR)lParam); break;
    case WM_CONTEXTMENU: OnContextMenu(FromHandle((HWND)wParam), pt()); break;
    case WM_HELP: lResult = OnHelpInfo((HELPINFO*)lParam); break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      lResult = (LRESULT)OnCtlColor(AfxDCFromHandle((HDC)wParam), FromHandle((HWND)lParam), message - WM_CTLCOLORMSGBOX);
      break;
    case WM_DRAWITEM: OnDrawItem((int)wParam, (DRAWITEMSTRUCT*)lParam); lResult = TRUE; break;
    case WM_MEASUREITEM: OnMeasureItem((int)wParam, (MEASUREITEMSTRUCT*)lParam); lResult = TRUE; break;
    case WM_COMPAREITEM: lResult = OnCompareItem((int)wParam, (COMPAREITEMSTRUCT*)lParam); break;
    case WM_DELETEITEM: OnDeleteItem((int)wParam, (DELETEITEMSTRUCT*)lParam); lResult = TRUE; break;
    case WM_SYSCOMMAND: OnSysCommand((UINT)wParam, lParam); break;
    case WM_STYLECHANGING: OnStyleChanging((int)wParam, (STYLESTRUCT*)lParam); break;
    case WM_STYLECHANGED: OnStyleChanged((int)wParam, (STYLESTRUCT*)lParam); break;
    case WM_ENTERIDLE: OnEnterIdle((UINT)wParam, FromHandle((HWND)lParam)); break;
    case WM_QUERYENDSESSION: lResult = OnQueryEndSession(); break;
    case WM_MDIACTIVATE:
      OnMDIActivate((HWND)lParam == m_hWnd, FromHandle((HWND)lParam), FromHandle((HWND)wParam));
      break;
    default: return FALSE;
  }
  if (pResult) *pResult = lResult;
  return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessage(GetSafeHwnd(), message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessage(GetSafeHwnd(), message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm) {
  for (HWND c = ::GetTopWindow(hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (bOnlyPerm) {
      if (CWnd* w = FromHandlePermanent(c)) {
        CurrentMessage cur(c, message, wParam, lParam);
        w->WindowProc(message, wParam, lParam);
      }
    } else {
      ::SendMessage(c, message, wParam, lParam);
    }
    if (bDeep && IsWindow(c) && ::GetTopWindow(c)) SendMessageToDescendants(c, message, wParam, lParam, bDeep, bOnlyPerm);
    if (!IsWindow(c)) break;
  }
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  SendMessageToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

// ---- Modal loops -------------------------------------------------------------------------------

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int nResult) {
  m_nModalResult = nResult;
  if (m_nFlags & WF_CONTINUEMODAL) {
    m_nFlags &= ~WF_CONTINUEMODAL;
    PostMessage(WM_NULL);
  }
}

int CWnd::RunModalLoop(DWORD dwFlags) {
  if (!m_hWnd || !IsWindow(m_hWnd)) return -1;
  // One modal loop per window: a second one started from inside the first is refused.
  if (m_nFlags & WF_MODALLOOP) return -1;
  HWND hWndThis = m_hWnd;
  m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
  m_nModalResult = -1;
  bool bIdle = true;
  LONG lIdleCount = 0;
  bool bShowIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
  HWND hWndParent = ::GetParent(m_hWnd);
  UiAutomation::ModalLoopStarted(this);
  MSG msg;
  int result = -1;
  for (;;) {
    if (!IsWindow(hWndThis) || FromHandlePermanent(hWndThis) != this) return -1;  // destroyed under the loop
    if (!ContinueModal()) break;
    while (bIdle && !::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (bShowIdle) {
        ShowWindow(SW_SHOWNORMAL);
        UpdateWindow();
        bShowIdle = false;
      }
      if (!(dwFlags & MLF_NOIDLEMSG) && hWndParent && lIdleCount == 0)
        ::SendMessage(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX, (LPARAM)hWndThis);
      if (!IsWindow(hWndThis)) return -1;
      if ((dwFlags & MLF_NOKICKIDLE) || !::SendMessage(hWndThis, WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
        bIdle = false;
      if (!IsWindow(hWndThis)) return -1;
    }
    if (!ContinueModal()) break;
    // In virtual time nothing but the test can end a loop that has nothing to do: a long real
    // silence means the test forgot to, and the loop ends rather than hanging.
    int got = UiGetMessageTimeout(&msg, Clock::IsVirtual() ? UiAutomation::GetModalStallTimeout() : 0x7FFFFFFF);
    if (got == 0) {
      PostQuitMessage((int)msg.wParam);
      result = -1;
      if (IsWindow(hWndThis) && FromHandlePermanent(hWndThis) == this)
        m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
      return result;
    }
    if (got < 0) {
      UiAutomation::ModalLoopStalled(this);
      if (ContinueModal()) EndModalLoop(-1);
      continue;
    }
    CWinThread* thread = AfxGetThread();
    if (msg.message != WM_KICKIDLE &&
        !(thread ? thread->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(nullptr, &msg))) {
      ::TranslateMessage(&msg);
      ::DispatchMessage(&msg);
    }
    if (!IsWindow(hWndThis) || FromHandlePermanent(hWndThis) != this) return -1;
    if (bShowIdle && (msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYDOWN)) {
      ShowWindow(SW_SHOWNORMAL);
      UpdateWindow();
      bShowIdle = false;
    }
    if (msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != WM_MOUSEMOVE) {
      bIdle = true;
      lIdleCount = 0;
    }
  }
  result = m_nModalResult;
  m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
  return result;
}

// ---- Styles, tree, text ----------------------------------------------------------------------

DWORD CWnd::GetStyle() const { return (DWORD)::GetWindowLong(m_hWnd, GWL_STYLE); }
DWORD CWnd::GetExStyle() const { return (DWORD)::GetWindowLong(m_hWnd, GWL_EXSTYLE); }

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  if (!IsWindow(hWnd)) return FALSE;
  DWORD style = (DWORD)::GetWindowLong(hWnd, GWL_STYLE);
  DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLong(hWnd, GWL_STYLE, (LONG)newStyle);
  if (nFlags) ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  if (!IsWindow(hWnd)) return FALSE;
  DWORD style = (DWORD)::GetWindowLong(hWnd, GWL_EXSTYLE);
  DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLong(hWnd, GWL_EXSTYLE, (LONG)newStyle);
  if (nFlags) ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return (int)::SetWindowLongPtr(m_hWnd, GWLP_ID, nID); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::GetDlgItem(int nID, HWND* phWnd) const {
  if (phWnd) *phWnd = ::GetDlgItem(m_hWnd, nID);
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const {
  if (!m_hWnd) return nullptr;
  for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetDlgCtrlID(c) == nID) {
      // A child with the same id as its parent comes first (a splitter's first pane).
      if (::GetTopWindow(c))
        if (CWnd* inner = CWnd(c).GetDescendantWindow(nID, bOnlyPerm)) return inner;
      CWnd* w = bOnlyPerm ? FromHandlePermanent(c) : FromHandle(c);
      if (w) return w;
    }
    if (CWnd* inner = CWnd(c).GetDescendantWindow(nID, bOnlyPerm)) return inner;
  }
  return nullptr;
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, (pWndNewParent ? pWndNewParent->m_hWnd : nullptr))); }
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
void CWnd::SetOwner(CWnd* pOwnerWnd) { ::SetWindowLongPtr(m_hWnd, GWLP_HWNDPARENT, (LONG_PTR)(pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr)); }

CWnd* CWnd::GetParentOwner() const {
  HWND h = m_hWnd;
  while (h && (::GetWindowLong(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  return FromHandle(h);
}

CWnd* CWnd::GetTopLevelParent() const {
  if (!m_hWnd) return nullptr;
  HWND h = m_hWnd, p;
  while ((p = ::GetParent(h)) != nullptr) h = p;
  return FromHandle(h);
}

CWnd* CWnd::GetTopLevelOwner() const {
  if (!m_hWnd) return nullptr;
  HWND h = m_hWnd, p;
  while ((p = ::GetWindow(h, GW_OWNER)) != nullptr || (::GetWindowLong(h, GWL_STYLE) & WS_CHILD)) {
    if (!p) p = ::GetParent(h);
    if (!p) break;
    h = p;
  }
  return FromHandle(h);
}

CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetNextWindow(UINT nFlag) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }

CWnd* CWnd::GetSafeOwner(CWnd* pParent, HWND* pWndTop) {
  HWND h = pParent ? pParent->GetSafeHwnd() : nullptr;
  if (!h) {
    CWinThread* t = AfxGetThread();
    CWnd* main = t ? t->GetMainWnd() : nullptr;
    h = main ? main->GetSafeHwnd() : nullptr;
  }
  while (h && (::GetWindowLong(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  if (pWndTop) *pWndTop = h;
  return FromHandle(h);
}

BOOL CWnd::IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, pWnd ? pWnd->m_hWnd : nullptr); }
void CWnd::SetWindowText(LPCSTR s) { ::SetWindowText(m_hWnd, s); }
int CWnd::GetWindowText(LPSTR buf, int n) const { return ::GetWindowText(m_hWnd, buf, n); }

void CWnd::GetWindowText(CString& rString) const {
  int len = ::GetWindowTextLength(m_hWnd);
  std::string buf((size_t)len + 1, '\0');
  int got = ::GetWindowText(m_hWnd, buf.data(), len + 1);
  buf.resize((size_t)std::max(0, got));
  rString = buf;
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }
void CWnd::SetDlgItemText(int nID, LPCSTR s) { ::SetDlgItemText(m_hWnd, nID, s); }
int CWnd::GetDlgItemText(int nID, LPSTR s, int n) const { return (int)::GetDlgItemText(m_hWnd, nID, s, n); }

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  HWND c = ::GetDlgItem(m_hWnd, nID);
  if (!c) return 0;
  CWnd(c).GetWindowText(rString);
  return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
  return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendDlgItemMessage(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  HFONT h = (pFont && g_fontToHandle) ? g_fontToHandle(pFont) : nullptr;
  SendMessage(WM_SETFONT, (WPARAM)h, bRedraw);
}

CFont* CWnd::GetFont() const {
  HFONT h = (HFONT)SendMessage(WM_GETFONT);
  return (h && g_fontFromHandle) ? g_fontFromHandle(h) : nullptr;
}

void CWnd::SetRedraw(BOOL bRedraw) { SendMessage(WM_SETREDRAW, (WPARAM)bRedraw); }

// ---- Geometry ----------------------------------------------------------------------------------

void CWnd::GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
void CWnd::GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
void CWnd::ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
void CWnd::ClientToScreen(LPRECT r) const {
  if (!r) return;
  ::ClientToScreen(m_hWnd, (LPPOINT)&r->left);
  ::ClientToScreen(m_hWnd, (LPPOINT)&r->right);
}
void CWnd::ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
void CWnd::ScreenToClient(LPRECT r) const {
  if (!r) return;
  ::ScreenToClient(m_hWnd, (LPPOINT)&r->left);
  ::ScreenToClient(m_hWnd, (LPPOINT)&r->right);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT p, UINT n) const {
  ::MapWindowPoints(m_hWnd, (pwndTo ? pwndTo->m_hWnd : nullptr), p, n);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT r) const {
  ::MapWindowPoints(m_hWnd, (pwndTo ? pwndTo->m_hWnd : nullptr), (LPPOINT)r, 2);
}
void CWnd::MoveWindow(int x, int y, int w, int h, BOOL bRepaint) { ::MoveWindow(m_hWnd, x, y, w, h, bRepaint); }
void CWnd::MoveWindow(LPCRECT r, BOOL bRepaint) {
  if (r) ::MoveWindow(m_hWnd, r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* wp) const { return ::GetWindowPlacement(m_hWnd, wp); }
BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* wp) { return ::SetWindowPlacement(m_hWnd, wp); }

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  if (!m_hWnd) return;
  CRect area;
  HWND center = pAlternateOwner ? pAlternateOwner->GetSafeHwnd() : nullptr;
  bool child = (GetStyle() & WS_CHILD) != 0;
  if (!center) center = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  if (child) {
    ::GetClientRect(::GetParent(m_hWnd), &area);
    if (center && center != ::GetParent(m_hWnd)) {
      ::GetWindowRect(center, &area);
      ::ScreenToClient(::GetParent(m_hWnd), (LPPOINT)&area.left);
      ::ScreenToClient(::GetParent(m_hWnd), (LPPOINT)&area.right);
    }
  } else if (center && IsWindowVisible() >= 0 && ::IsWindowVisible(center) && !::IsIconic(center)) {
    ::GetWindowRect(center, &area);
  } else {
    area = CRect(0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT);
  }
  CRect me;
  GetWindowRect(&me);
  int x = area.left + (area.Width() - me.Width()) / 2;
  int y = area.top + (area.Height() - me.Height()) / 2;
  if (!child) {
    x = std::clamp(x, 0, std::max(0, DRAVONIX_DESKTOP_WIDTH - me.Width()));
    y = std::clamp(y, 0, std::max(0, DRAVONIX_DESKTOP_HEIGHT - me.Height()));
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
CWnd* CWnd::ChildWindowFromPoint(POINT p) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, p)); }
CWnd* CWnd::ChildWindowFromPoint(POINT p, UINT f) const { return FromHandle(::ChildWindowFromPointEx(m_hWnd, p, f)); }
CWnd* CWnd::WindowFromPoint(POINT p) { return FromHandle(::WindowFromPoint(p)); }
CWnd* CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }

// ---- State -----------------------------------------------------------------------------------

BOOL CWnd::ShowWindow(int n) { return ::ShowWindow(m_hWnd, n); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL b) { return ::EnableWindow(m_hWnd, b); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
BOOL CWnd::FlashWindow(BOOL b) { return ::FlashWindow(m_hWnd, b); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

// ---- Painting ----------------------------------------------------------------------------------

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT r, BOOL bErase) { ::InvalidateRect(m_hWnd, r, bErase); }
void CWnd::ValidateRect(LPCRECT r) { ::ValidateRect(m_hWnd, r); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT r, void*, UINT flags) { return ::RedrawWindow(m_hWnd, r, nullptr, flags); }
BOOL CWnd::GetUpdateRect(LPRECT r, BOOL bErase) { return ::GetUpdateRect(m_hWnd, r, bErase); }
void CWnd::ScrollWindow(int x, int y, LPCRECT r, LPCRECT clip) { ::ScrollWindow(m_hWnd, x, y, r, clip); }
int CWnd::ScrollWindowEx(int dx, int dy, LPCRECT r, LPCRECT clip, void*, LPRECT upd, UINT flags) {
  return ::ScrollWindowEx(m_hWnd, dx, dy, r, clip, nullptr, upd, flags);
}

// ---- Timers, scroll bars, caret --------------------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

CScrollBar* CWnd::GetScrollBarCtrl(int) const { return nullptr; }

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO info, BOOL bRedraw) {
  if (!info) return FALSE;
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) {
    ::SetScrollInfo(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL, info, bRedraw);
    return TRUE;
  }
  ::SetScrollInfo(m_hWnd, nBar, info, bRedraw);
  return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO info, UINT nMask) {
  if (!info) return FALSE;
  info->fMask = nMask;
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) return ::GetScrollInfo(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL, info);
  return ::GetScrollInfo(m_hWnd, nBar, info);
}

int CWnd::GetScrollLimit(int nBar) {
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(nBar, &si, SIF_RANGE | SIF_PAGE)) return 0;
  return std::max(si.nMin, si.nMax - std::max((int)si.nPage - 1, 0));
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) return ::SetScrollPos(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL, nPos, bRedraw);
  return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw);
}

int CWnd::GetScrollPos(int nBar) const {
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) return ::GetScrollPos(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL);
  return ::GetScrollPos(m_hWnd, nBar);
}

void CWnd::SetScrollRange(int nBar, int lo, int hi, BOOL bRedraw) {
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) {
    ::SetScrollRange(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL, lo, hi, bRedraw);
    return;
  }
  ::SetScrollRange(m_hWnd, nBar, lo, hi, bRedraw);
}

void CWnd::GetScrollRange(int nBar, LPINT lo, LPINT hi) const {
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) {
    ::GetScrollRange(reinterpret_cast<CWnd*>(bar)->m_hWnd, SB_CTL, lo, hi);
    return;
  }
  ::GetScrollRange(m_hWnd, nBar, lo, hi);
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) { ::ShowScrollBar(m_hWnd, (int)nBar, bShow); }
BOOL CWnd::EnableScrollBar(int nSBFlags, UINT nArrowFlags) { return ::EnableScrollBar(m_hWnd, (UINT)nSBFlags, nArrowFlags); }
void CWnd::EnableScrollBarCtrl(int nBar, BOOL bEnable) {
  if (nBar == SB_BOTH) {
    EnableScrollBarCtrl(SB_HORZ, bEnable);
    EnableScrollBarCtrl(SB_VERT, bEnable);
    return;
  }
  if (CScrollBar* bar = GetScrollBarCtrl(nBar)) {
    ::EnableWindow(reinterpret_cast<CWnd*>(bar)->m_hWnd, bEnable);
    return;
  }
  ::ShowScrollBar(m_hWnd, nBar, bEnable);
}

void CWnd::CreateCaret(void*) { ::CreateCaret(m_hWnd, nullptr, 0, 0); }
void CWnd::CreateSolidCaret(int w, int h) { ::CreateCaret(m_hWnd, nullptr, w, h); }
void CWnd::CreateGrayCaret(int w, int h) { ::CreateCaret(m_hWnd, (HBITMAP)1, w, h); }
void CWnd::ShowCaret() { ::ShowCaret(m_hWnd); }
void CWnd::HideCaret() { ::HideCaret(m_hWnd); }
void CWnd::SetCaretPos(POINT p) { ::SetCaretPos(p.x, p.y); }
CPoint CWnd::GetCaretPos() {
  POINT p{0, 0};
  ::GetCaretPos(&p);
  return CPoint(p);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  if (!caption) {
    CWinThread* t = AfxGetApp();
    caption = t ? AfxGetAppName() : "Error";
  }
  return ::MessageBox(m_hWnd, text, caption, type);
}

void CWnd::DragAcceptFiles(BOOL bAccept) { ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0); }

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch) {
  if (!m_hWnd) return;
  AFX_SIZEPARENTPARAMS layout{};
  layout.bStretch = bStretch;
  layout.hDWP = nFlag == reposQuery ? nullptr : ::BeginDeferWindowPos(8);
  if (lpRectClient)
    layout.rect = *lpRectClient;
  else
    ::GetClientRect(m_hWnd, &layout.rect);
  layout.sizeTotal = SIZE{layout.rect.right - layout.rect.left, layout.rect.bottom - layout.rect.top};
  HWND leftOver = nullptr;
  for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    UINT id = (UINT)::GetDlgCtrlID(c);
    if (id == nIDLeftOver)
      leftOver = c;
    else if (id >= nIDFirst && id <= nIDLast && FromHandlePermanent(c))
      ::SendMessage(c, WM_SIZEPARENT, 0, (LPARAM)&layout);
  }
  if (nFlag == reposQuery) {
    if (lpRectParam) *lpRectParam = layout.rect;
    return;
  }
  CRect rest(layout.rect);
  if (nFlag == reposExtra && lpRectParam) {
    rest.left += lpRectParam->left;
    rest.top += lpRectParam->top;
    rest.right -= lpRectParam->right;
    rest.bottom -= lpRectParam->bottom;
  }
  if (leftOver && layout.hDWP)
    layout.hDWP = ::DeferWindowPos(layout.hDWP, leftOver, nullptr, rest.left, rest.top, rest.Width(), rest.Height(),
                                   SWP_NOACTIVATE | SWP_NOZORDER);
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
  if (!pTarget || !m_hWnd) return;
  for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    int id = ::GetDlgCtrlID(c);
    if (id <= 0 || id >= 0xFFFF) continue;
    // Only buttons that do nothing by themselves grey out without a handler; edits, lists,
    // statics and the auto check and radio kinds keep working.
    BOOL disable = bDisableIfNoHndler && (::SendMessage(c, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON);
    if (disable) {
      UINT type = (UINT)::GetWindowLong(c, GWL_STYLE) & BS_TYPEMASK;
      disable = type != BS_AUTOCHECKBOX && type != BS_AUTORADIOBUTTON && type != BS_AUTO3STATE;
    }
    CCmdUI state;
    state.m_nID = (UINT)id;
    state.m_pOther = FromHandle(c);
    state.DoUpdate(pTarget, disable);
    if (!IsWindow(c)) break;
  }
}

// ---- Default handlers --------------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) { return (int)Default(); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCT) { return (BOOL)Default(); }
void CWnd::OnDestroy() { Default(); }

void CWnd::OnNcDestroy() {
  CWinThread* thread = AfxGetThread();
  if (thread && thread->m_pMainWnd == this) {
    // The main window going ends the thread's loop.
    PostQuitMessage(0);
    thread->m_pMainWnd = nullptr;
  }
  if (thread && thread->m_pActiveWnd == this) thread->m_pActiveWnd = nullptr;
  Default();
  if (m_hWnd && IsWindow(m_hWnd) && m_pfnSuper && (WNDPROC)::GetWindowLongPtr(m_hWnd, GWLP_WNDPROC) == AfxWndProc)
    ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
  Detach();
  m_pfnSuper = nullptr;
  PostNcDestroy();
}

void CWnd::OnPaint() { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return (BOOL)Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return (int)Default(); }
void CWnd::OnChildActivate() { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
  if (pScrollBar && reinterpret_cast<CWnd*>(pScrollBar)->SendChildNotifyLastMsg()) return;
  Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar) {
  if (pScrollBar && reinterpret_cast<CWnd*>(pScrollBar)->SendChildNotifyLastMsg()) return;
  Default();
}

void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnDeadChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysDeadChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
UINT CWnd::OnGetDlgCode() { return (UINT)Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnParentNotify(UINT, LPARAM) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCSTR) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
// Help asked in a top-level window (F1 climbs to it) is its help command; a window that has none
// may still offer the default help command, as a dialog's Help button does.
BOOL CWnd::OnHelpInfo(HELPINFO*) {
  if (GetStyle() & WS_CHILD) return (BOOL)Default();
  if (!SendMessage(WM_COMMAND, ID_HELP) && ::IsWindow(m_hWnd)) SendMessage(WM_COMMAND, ID_DEFAULT_HELP);
  return TRUE;
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
  LRESULT r = 0;
  if (pWnd && ReflectLastMsg(pWnd->m_hWnd, &r)) return (HBRUSH)r;
  return (HBRUSH)Default();
}

void CWnd::OnDrawItem(int, DRAWITEMSTRUCT* dis) {
  if (dis && dis->CtlType != ODT_MENU && ReflectLastMsg(dis->hwndItem)) return;
  Default();
}

void CWnd::OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* mis) {
  if (mis && mis->CtlType != ODT_MENU) {
    HWND c = ::GetDlgItem(m_hWnd, nIDCtl);
    if (c && ReflectLastMsg(c)) return;
  }
  Default();
}

int CWnd::OnCompareItem(int, COMPAREITEMSTRUCT* cis) {
  LRESULT r = 0;
  if (cis && ReflectLastMsg(cis->hwndItem, &r)) return (int)r;
  return (int)Default();
}

void CWnd::OnDeleteItem(int, DELETEITEMSTRUCT* dis) {
  if (dis && ReflectLastMsg(dis->hwndItem)) return;
  Default();
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnStyleChanging(int, STYLESTRUCT*) { Default(); }
void CWnd::OnStyleChanged(int, STYLESTRUCT*) { Default(); }
void CWnd::OnEnterIdle(UINT, CWnd*) { Default(); }
BOOL CWnd::OnQueryEndSession() { return (BOOL)Default(); }
void CWnd::OnMDIActivate(BOOL, CWnd*, CWnd*) { Default(); }
