// Presses on a window's caption or sizing frame: the window, or the edge or corner taken, follows
// the mouse until the button goes up, within the window's least and largest tracking sizes and, for
// a child, as far as the mouse goes inside its parent's client area. A press on the close button
// closes the window if the button goes up on it. Escape puts a moved or sized window back and ends
// the tracking.
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>

namespace ui {
namespace {

struct FrameDrag {
  HWND hwnd = nullptr;
  int hit = HTNOWHERE;
  POINT from{};
  CRect start;  // where the window was, in its parent's client coordinates
  MINMAXINFO limits{};  // asked once, as the drag starts
  CRect bounds;  // a child's parent's client area on the screen; empty for a top-level window
};
thread_local FrameDrag t_drag;

void EndDrag(bool release) {
  const HWND h = t_drag.hwnd;
  const bool sized = t_drag.hit != HTCLOSE;
  t_drag = FrameDrag{};
  if (release && IsWindow(h) && GetCapture() == h) ReleaseCapture();
  if (sized && IsWindow(h)) SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
}

// The drag ended elsewhere: the window went, or another took the mouse.
bool Lost() {
  if (!t_drag.hwnd) return true;
  if (IsWindow(t_drag.hwnd) && GetCapture() == t_drag.hwnd) return false;
  EndDrag(false);
  return true;
}

// The window's place for the mouse at `at`: each edge taken moves with it, as far as the sizes allow.
CRect Dragged(POINT at) {
  const FrameDrag& d = t_drag;
  // The mouse takes a child's edges no farther than its parent's client area.
  if (!d.bounds.IsRectEmpty()) {
    at.x = std::clamp<LONG>(at.x, d.bounds.left, d.bounds.right - 1);
    at.y = std::clamp<LONG>(at.y, d.bounds.top, d.bounds.bottom - 1);
  }
  const int dx = at.x - d.from.x, dy = at.y - d.from.y;
  CRect r = d.start;
  if (d.hit == HTCAPTION) {
    r.OffsetRect(dx, dy);
    return r;
  }
  const MINMAXINFO& mmi = d.limits;
  const int minX = mmi.ptMinTrackSize.x, maxX = std::max(minX, (int)mmi.ptMaxTrackSize.x);
  const int minY = mmi.ptMinTrackSize.y, maxY = std::max(minY, (int)mmi.ptMaxTrackSize.y);
  const int h = d.hit;
  if (h == HTLEFT || h == HTTOPLEFT || h == HTBOTTOMLEFT) r.left = std::clamp(r.left + dx, r.right - maxX, r.right - minX);
  if (h == HTRIGHT || h == HTTOPRIGHT || h == HTBOTTOMRIGHT) r.right = std::clamp(r.right + dx, r.left + minX, r.left + maxX);
  if (h == HTTOP || h == HTTOPLEFT || h == HTTOPRIGHT) r.top = std::clamp(r.top + dy, r.bottom - maxY, r.bottom - minY);
  if (h == HTBOTTOM || h == HTBOTTOMLEFT || h == HTBOTTOMRIGHT) r.bottom = std::clamp(r.bottom + dy, r.top + minY, r.top + maxY);
  return r;
}

}  // namespace

void TrackFrame(HWND h, int hit, POINT screen) {
  if (t_drag.hwnd && !Lost()) return;
  if (!IsWindow(h) || !(GetKeyState(VK_LBUTTON) & 0x8000)) return;
  if (hit != HTCLOSE && (IsIconic(h) || IsZoomed(h))) return;
  MINMAXINFO mmi{};
  mmi.ptMinTrackSize = POINT{UiSystemMetric(SM_CXMINTRACK), UiSystemMetric(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = POINT{UiSystemMetric(SM_CXMAXTRACK), UiSystemMetric(SM_CYMAXTRACK)};
  if (hit != HTCAPTION && hit != HTCLOSE) {
    SendMessage(h, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    if (!IsWindow(h)) return;
  }
  CRect bounds;
  if ((GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD) && GetParent(h)) {
    GetClientRect(GetParent(h), &bounds);
    MapWindowPoints(GetParent(h), nullptr, (LPPOINT)&bounds, 2);
  }
  t_drag = FrameDrag{h, hit, screen, CRect(h->rcWindow), mmi, bounds};
  if (hit != HTCLOSE) SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
  if (t_drag.hwnd == h && IsWindow(h)) SetCapture(h);
}

bool TrackFrameInput(const MSG& m) {
  // Escape gives up a move or a size: the window goes back to where the press found it.
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
    if (m.wParam != VK_ESCAPE || Lost() || t_drag.hit == HTCLOSE) return false;
    const HWND h = t_drag.hwnd;
    const CRect r = t_drag.start;
    if (r != CRect(h->rcWindow)) SetWindowPos(h, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
    if (t_drag.hwnd == h) EndDrag(true);
    return true;
  }
  if (m.message < WM_MOUSEMOVE || m.message > WM_MBUTTONDBLCLK || Lost()) return false;
  if (m.message == WM_LBUTTONUP) {
    const HWND h = t_drag.hwnd;
    const bool close = t_drag.hit == HTCLOSE && SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(m.pt.x, m.pt.y)) == HTCLOSE;
    EndDrag(true);
    if (close && IsWindow(h)) SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(m.pt.x, m.pt.y));
  } else if (m.message == WM_MOUSEMOVE && t_drag.hit != HTCLOSE) {
    const CRect r = Dragged(m.pt);
    // Without SWP_NOACTIVATE: a child the user moves or sizes hears WM_CHILDACTIVATE.
    if (r != CRect(t_drag.hwnd->rcWindow))
      SetWindowPos(t_drag.hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
  }
  return true;
}

}  // namespace ui
