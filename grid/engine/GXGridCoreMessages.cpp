// The window messages both grid hosts hand to the core, and what the window does when the core does not.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <vector>

BOOL CGXGridCore::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult,
                                     const std::function<BOOL()>& windowDefault) {
  LRESULT ignored = 0;
  LRESULT& result = pResult ? *pResult : ignored;
  const CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
  const UINT flags = (UINT)wParam;
  // The core's answer, else the window's own processing.
  auto coreFirst = [&](BOOL handled) {
    if (!handled) return windowDefault();
    result = 0;
    return TRUE;
  };
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      return windowDefault();
    case WM_SETCURSOR:
      if (!OnSetCursor(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam)))
        return windowDefault();
      result = TRUE;
      return TRUE;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (message == WM_HSCROLL) return coreFirst(OnHScroll(LOWORD(wParam), HIWORD(wParam), nullptr));
      return coreFirst(OnVScroll(LOWORD(wParam), HIWORD(wParam), nullptr));
    case WM_SIZE: return coreFirst(OnSize(flags, (short)LOWORD(lParam), (short)HIWORD(lParam)));
    case WM_MOUSEMOVE: return coreFirst(OnMouseMove(flags, pt));
    case WM_LBUTTONDOWN: return coreFirst(OnLButtonDown(flags, pt));
    case WM_LBUTTONUP: return coreFirst(OnLButtonUp(flags, pt));
    case WM_LBUTTONDBLCLK: return coreFirst(OnLButtonDblClk(flags, pt));
    case WM_RBUTTONDOWN: return coreFirst(OnRButtonDown(flags, pt));
    case WM_RBUTTONUP: return coreFirst(OnRButtonUp(flags, pt));
    case WM_RBUTTONDBLCLK: return coreFirst(OnRButtonDblClk(flags, pt));
    case WM_MBUTTONDOWN: return coreFirst(OnMButtonDown(flags, pt));
    case WM_MBUTTONUP: return coreFirst(OnMButtonUp(flags, pt));
    case WM_MBUTTONDBLCLK: return coreFirst(OnMButtonDblClk(flags, pt));
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return coreFirst(RouteKeyMessage(m_pGridWnd, message, (UINT)wParam, LOWORD(lParam), HIWORD(lParam)));
    case WM_SETFOCUS: {
      m_bGridHasFocus = TRUE;
      const BOOL r = windowDefault();
      OnSetFocus(CWnd::FromHandle((HWND)wParam));
      return r;
    }
    case WM_KILLFOCUS: {
      const BOOL r = windowDefault();
      OnKillFocus(CWnd::FromHandle((HWND)wParam));
      return r;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const UINT kind = message == WM_CTLCOLOREDIT      ? CTLCOLOR_EDIT
                        : message == WM_CTLCOLORLISTBOX ? CTLCOLOR_LISTBOX
                        : message == WM_CTLCOLORSTATIC  ? CTLCOLOR_STATIC
                                                        : CTLCOLOR_BTN;
      if (HBRUSH brush = OnCtlColor(CDC::FromHandle((HDC)wParam), CWnd::FromHandle((HWND)lParam), kind)) {
        result = (LRESULT)brush;
        return TRUE;
      }
      return windowDefault();
    }
    case WM_SHOWWINDOW: {
      const BOOL r = windowDefault();
      OnShowWindow((BOOL)wParam, (UINT)lParam);
      return r;
    }
    case WM_CANCELMODE:
      OnCancelMode();
      return windowDefault();
    case WM_MOUSEACTIVATE:
      if (!OnMouseActivate(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam), &result))
        return windowDefault();
      return TRUE;
    case WM_SETTINGCHANGE:
      OnSettingChange((UINT)wParam, (LPCTSTR)lParam);
      return windowDefault();
    case WM_TIMER:
      OnTimer((UINT_PTR)wParam);
      return windowDefault();
    case WM_SYSCOLORCHANGE:
      OnSysColorChange();
      return windowDefault();
    case WM_WINDOWPOSCHANGING:
      if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
        const HWND h = m_pGridWnd->GetSafeHwnd();
        std::vector<RECT> due((size_t)std::max(0, ::GetUpdateRects(h, nullptr, 0)));
        ::GetUpdateRects(h, due.data(), (int)due.size());
        m_rectsDueBeforeSize.assign(due.begin(), due.end());
      }
      return windowDefault();
    default:
      return windowDefault();
  }
}

