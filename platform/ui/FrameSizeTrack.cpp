// Presses on a sizable window's frame: the edges under the press follow the mouse until the button
// goes up, within the window's tracking limits.
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>

namespace ui {
namespace {

// The press being tracked; one at a time per thread, as the mouse is one.
struct Sizing {
  HWND hwnd = nullptr;
  int hit = 0;
  POINT from{};
  CRect start;  // the window's rectangle at the press, parent client coordinates
};
thread_local Sizing t_sizing;

CRect ParentRect(HWND h) {
  CRect r;
  GetWindowRect(h, &r);
  if (HWND parent = (GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
  return r;
}

void End(bool release) {
  const HWND h = t_sizing.hwnd;
  t_sizing = Sizing{};
  if (!IsWindow(h)) return;
  if (release && GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
}

bool Lost() {
  if (!t_sizing.hwnd) return true;
  if (IsWindow(t_sizing.hwnd) && GetCapture() == t_sizing.hwnd) return false;
  End(false);
  return true;
}

void Follow(POINT screen) {
  const Sizing& s = t_sizing;
  const int dx = screen.x - s.from.x, dy = screen.y - s.from.y;
  const bool left = s.hit == HTLEFT || s.hit == HTTOPLEFT || s.hit == HTBOTTOMLEFT;
  const bool right = s.hit == HTRIGHT || s.hit == HTTOPRIGHT || s.hit == HTBOTTOMRIGHT;
  const bool top = s.hit == HTTOP || s.hit == HTTOPLEFT || s.hit == HTTOPRIGHT;
  const bool bottom = s.hit == HTBOTTOM || s.hit == HTBOTTOMLEFT || s.hit == HTBOTTOMRIGHT;
  MINMAXINFO mmi{};
  mmi.ptMinTrackSize = POINT{UiSystemMetric(SM_CXMINTRACK), UiSystemMetric(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = POINT{UiSystemMetric(SM_CXMAXTRACK), UiSystemMetric(SM_CYMAXTRACK)};
  SendMessage(s.hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  if (!IsWindow(s.hwnd)) return;
  auto span = [](int size, int lo, int hi) { return std::clamp(size, lo, std::max(lo, hi)); };
  CRect r = s.start;
  const int w = span(s.start.Width() + (right ? dx : left ? -dx : 0), mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
  const int h = span(s.start.Height() + (bottom ? dy : top ? -dy : 0), mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
  // The edge held stays where it was; the other one moves.
  if (left) r.left = r.right - w;
  else r.right = r.left + w;
  if (top) r.top = r.bottom - h;
  else r.bottom = r.top + h;
  // Without SWP_NOACTIVATE: a child sized hears WM_CHILDACTIVATE, as one the user sizes does.
  if (r != ParentRect(s.hwnd)) SetWindowPos(s.hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
}

}  // namespace

void TrackFrameSize(HWND h, int hit, POINT screen) {
  if (t_sizing.hwnd && !Lost()) return;
  if (hit < HTLEFT || hit > HTBOTTOMRIGHT || !(GetWindowLongPtr(h, GWL_STYLE) & WS_THICKFRAME) || IsZoomed(h) || IsIconic(h))
    return;
  SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
  if (!IsWindow(h)) return;
  t_sizing = Sizing{h, hit, screen, ParentRect(h)};
  SetCapture(h);
}

bool TrackFrameSizeInput(const MSG& m) {
  if (m.message < WM_MOUSEMOVE || m.message > WM_MBUTTONDBLCLK || Lost()) return false;
  if (m.message == WM_MOUSEMOVE) Follow(m.pt);
  else if (m.message == WM_LBUTTONUP) {
    Follow(m.pt);
    End(true);
  }
  return true;
}

}  // namespace ui
