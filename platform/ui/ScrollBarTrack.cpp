// Presses on a window's own scroll bars: the part of the bar under the mouse, and the tracking of
// the press into WM_VSCROLL and WM_HSCROLL until the button goes up.
#include "platform/ui/ControlImpl.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>

namespace ui {
namespace {

enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// The press being tracked; one at a time per thread, as the mouse is one.
struct Track {
  HWND hwnd = nullptr;
  int bar = SB_VERT;
  Part part = Part::None;
  int grip = 0;  // where on the thumb it was taken
  int pos = 0;   // the thumb's position while dragged
};
thread_local Track t_track;

constexpr UINT_PTR kRepeatTimer = 0xFFFA;

// Where along the bar a screen point lies, and the bar's measures, as DrawScrollBar lays it out.
struct Along {
  int at, length, breadth, arrow;
  ScrollBarLook look;
};

Along Measure(HWND h, int bar, POINT screen) {
  const CRect r = WindowBarRect(h, bar);
  const POINT o = WindowOrigin(h);
  const bool vertical = bar == SB_VERT;
  const int length = vertical ? r.Height() : r.Width(), breadth = vertical ? r.Width() : r.Height();
  const int at = vertical ? screen.y - o.y - r.top : screen.x - o.x - r.left;
  return {at, length, breadth, ScrollArrowLength(length, breadth), WindowBarLook(h, bar)};
}

Part PartAt(HWND h, int bar, POINT screen) {
  const CRect r = WindowBarRect(h, bar);
  const POINT o = WindowOrigin(h);
  if (!r.PtInRect(POINT{screen.x - o.x, screen.y - o.y})) return Part::None;
  const Along a = Measure(h, bar, screen);
  if (a.at < a.arrow) return Part::LineUp;
  if (a.at >= a.length - a.arrow) return Part::LineDown;
  if (!a.look.thumb) return Part::None;
  int start, size;
  ScrollThumb(a.length, a.breadth, a.look, start, size);
  return a.at < start ? Part::PageUp : a.at >= start + size ? Part::PageDown : Part::Thumb;
}

UINT CodeOf(Part p) {
  switch (p) {
    case Part::LineUp: return SB_LINEUP;
    case Part::PageUp: return SB_PAGEUP;
    case Part::PageDown: return SB_PAGEDOWN;
    default: return SB_LINEDOWN;
  }
}

void Send(HWND h, int bar, UINT code, int pos = 0) {
  SendMessage(h, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, (WORD)pos), 0);
}

// The thumb's position for the point it is dragged to, rounded to the nearest.
int ThumbPos(HWND h, int bar, POINT screen, int grip) {
  const Along a = Measure(h, bar, screen);
  int start, size;
  ScrollThumb(a.length, a.breadth, a.look, start, size);
  const ScrollBarLook& l = a.look;
  const long long span = std::max((long long)l.min, (long long)l.max - (l.page ? (int)l.page - 1 : 0)) - l.min;
  const int room = a.length - 2 * a.arrow - size;
  if (room <= 0 || span <= 0) return l.min;
  const long long off = std::clamp(a.at - grip - a.arrow, 0, room);
  return l.min + (int)((off * span + room / 2) / room);
}

void EndTrack(bool release) {
  const Track t = t_track;
  t_track = Track{};
  if (!IsWindow(t.hwnd)) return;
  KillTimer(t.hwnd, kRepeatTimer);
  if (t.part == Part::Thumb) {
    t.hwnd->scroll[t.bar].nTrackPos = t.pos;
    Send(t.hwnd, t.bar, SB_THUMBPOSITION, t.pos);
  }
  if (IsWindow(t.hwnd)) Send(t.hwnd, t.bar, SB_ENDSCROLL);
  // A thumb the window did not follow goes back to the position.
  if (IsWindow(t.hwnd)) PaintScrollBars(t.hwnd);
  if (release && IsWindow(t.hwnd) && GetCapture() == t.hwnd) ReleaseCapture();
}

// The tracking ended elsewhere: the window went, or another took the mouse.
bool Lost() {
  if (!t_track.hwnd) return true;
  if (IsWindow(t_track.hwnd) && GetCapture() == t_track.hwnd) return false;
  EndTrack(false);
  return true;
}

// A held arrow or page area acts again while the mouse stays on it; a page area stops once the
// thumb has reached the mouse.
void Repeat(HWND h, UINT, UINT_PTR, DWORD) {
  if (Lost() || t_track.hwnd != h) return;
  SetTimer(h, kRepeatTimer, DRAVONIX_SCROLL_REPEAT_RATE, Repeat);
  POINT at;
  GetCursorPos(&at);
  if (PartAt(h, t_track.bar, at) == t_track.part) Send(h, t_track.bar, CodeOf(t_track.part));
}

}  // namespace

void TrackScrollBar(HWND h, int bar, POINT screen) {
  if (t_track.hwnd && !Lost()) return;
  const Part part = PartAt(h, bar, screen);
  const UINT grey = WindowBarLook(h, bar).grey;
  if (part == Part::None || (part == Part::LineUp && (grey & ESB_DISABLE_LTUP)) ||
      (part == Part::LineDown && (grey & ESB_DISABLE_RTDN)))
    return;
  t_track = Track{h, bar, part, 0, WindowBarLook(h, bar).pos};
  SetCapture(h);
  if (part == Part::Thumb) {
    const Along a = Measure(h, bar, screen);
    int start, size;
    ScrollThumb(a.length, a.breadth, a.look, start, size);
    t_track.grip = a.at - start;
    return;
  }
  Send(h, bar, CodeOf(part));
  if (t_track.hwnd == h && IsWindow(h)) SetTimer(h, kRepeatTimer, DRAVONIX_SCROLL_REPEAT_DELAY, Repeat);
}

bool TrackScrollBarInput(const MSG& m) {
  if (m.message < WM_MOUSEMOVE || m.message > WM_MBUTTONDBLCLK || Lost()) return false;
  const HWND h = t_track.hwnd;
  if (m.message == WM_LBUTTONUP) {
    EndTrack(true);
  } else if (m.message == WM_MOUSEMOVE && t_track.part == Part::Thumb) {
    const int pos = ThumbPos(h, t_track.bar, m.pt, t_track.grip);
    if (pos != t_track.pos) {
      t_track.pos = pos;
      PaintScrollBars(h);
      Send(h, t_track.bar, SB_THUMBTRACK, pos);
    }
  }
  return true;
}

int ThumbCodePos(HWND h, int bar, WPARAM wp) {
  SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  if (GetScrollInfo(h, bar, &si) && (WORD)si.nTrackPos == HIWORD(wp)) return si.nTrackPos;
  return HIWORD(wp);
}

bool ScrollThumbTracked(HWND h, int bar, int* pos) {
  if (!t_track.hwnd || t_track.hwnd != h || t_track.bar != bar || t_track.part != Part::Thumb) return false;
  if (pos) *pos = t_track.pos;
  return true;
}

}  // namespace ui
