// Presses on a window's own scroll bars as a user gives them: arrows, page areas, the thumb's drag,
// an arrow held in virtual time, an arrow disabled. Each press is checked for the scroll codes the
// window hears, the position its bar then shows and the picture against a full repaint.
#pragma once

#include "platform/core/Clock.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <strings.h>
#include <vector>

namespace dravonix::test {

enum BarPress {
  kUpArrow, kDownArrow, kPageAbove, kPageBelow, kThumbDown, kHeldDown, kDisabledUp,
  kLeftArrow, kRightArrow, kPageLeft, kPageRight, kThumbRight
};
inline const char* const kBarPressNames[] = {"up arrow", "down arrow", "page above", "page below", "thumb down",
                                             "held down arrow", "disabled up arrow", "left arrow", "right arrow",
                                             "page left", "page right", "thumb right"};

// heard: the codes in order, one letter each: u d line up/down, U D page up/down, t track,
// p thumb position, e end.
struct BarPressRow {
  BarPress press;
  const char* heard;
  int pos;
};

namespace bars {

inline std::string g_heard;
inline WNDPROC g_proc = nullptr;
inline LPARAM g_from = 0;  // the bar control heard from, 0 for the window's own bars

inline LRESULT Listen(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && lp == g_from && LOWORD(wp) <= SB_ENDSCROLL)
    g_heard += "udUDpt??e"[LOWORD(wp)];
  return CallWindowProc(g_proc, h, msg, wp, lp);
}

// A scroll-bar control is a bar over its whole client area.
inline bool IsBarControl(HWND h) {
  char name[16] = {};
  return ::GetClassName(h, name, sizeof name) > 0 && strcasecmp(name, "scrollbar") == 0;
}

// A point on a part of the bar (the window's own, or the control itself), in client coordinates;
// `along` pixels further for a drag's end.
inline POINT PartPoint(HWND h, BarPress p, int along = 0) {
  const bool vertical = p < kLeftArrow;
  const int bar = vertical ? SB_VERT : SB_HORZ;
  CRect r;
  ui::ScrollBarLook look;
  if (IsBarControl(h)) {
    ::GetClientRect(h, &r);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ::GetScrollInfo(h, SB_CTL, &si);
    look = {si.nMin, si.nMax, si.nPage, si.nPos, 0, true};
  } else {
    r = ui::WindowBarRect(h, bar);
    CRect wr;
    ::GetWindowRect(h, &wr);
    POINT client{0, 0};
    ::ClientToScreen(h, &client);
    r.OffsetRect(wr.left - client.x, wr.top - client.y);
    look = ui::WindowBarLook(h, bar);
  }
  const int length = vertical ? r.Height() : r.Width(), breadth = vertical ? r.Width() : r.Height();
  const int arrow = ui::ScrollArrowLength(length, breadth);
  int s = 0, z = 0;
  ui::ScrollThumb(length, breadth, look, s, z);
  int at = 0;
  switch (p) {
    case kUpArrow: case kLeftArrow: case kDisabledUp: at = arrow / 2; break;
    case kDownArrow: case kRightArrow: case kHeldDown: at = length - arrow / 2 - 1; break;
    case kPageAbove: case kPageLeft: at = (arrow + s) / 2; break;
    case kPageBelow: case kPageRight: at = (s + z + length - arrow) / 2; break;
    case kThumbDown: case kThumbRight: at = s + z / 2 + along; break;
  }
  return vertical ? POINT{r.left + breadth / 2, r.top + at} : POINT{r.left + at, r.top + breadth / 2};
}

inline void Press(HWND h, BarPress p) {
  const POINT at = PartPoint(h, p);
  switch (p) {
    case kThumbDown:
    case kThumbRight: UiAutomation::Drag(h, at, PartPoint(h, p, 30), 3); break;
    case kHeldDown:
      // The first repeat after the delay, then three at the rate.
      UiAutomation::MouseMove(h, at);
      PostMouseInput(h, WM_LBUTTONDOWN, MK_LBUTTON, POINT{at.x, at.y});
      UiAutomation::Pump();
      UiAutomation::AdvanceClock(DRAVONIX_SCROLL_REPEAT_DELAY + 3 * DRAVONIX_SCROLL_REPEAT_RATE, 10);
      PostMouseInput(h, WM_LBUTTONUP, 0, POINT{at.x, at.y});
      UiAutomation::Pump();
      break;
    case kDisabledUp:
      ::EnableScrollBar(h, SB_VERT, ESB_DISABLE_UP);
      UiAutomation::Click(h, at);
      ::EnableScrollBar(h, SB_VERT, ESB_ENABLE_BOTH);
      break;
    default: UiAutomation::Click(h, at); break;
  }
}

}  // namespace bars

// Plays the rows in order on the window's bars, or on a bar control, whose parent hears it (virtual
// time meanwhile).
inline void ExpectBarPresses(HWND h, const std::vector<BarPressRow>& rows, const char* kind) {
  const bool wasVirtual = Clock::IsVirtual();
  Clock::UseVirtualTime();
  const bool control = bars::IsBarControl(h);
  const HWND hearer = control ? ::GetParent(h) : h;
  bars::g_from = control ? (LPARAM)h : 0;
  bars::g_proc = (WNDPROC)::SetWindowLongPtr(hearer, GWLP_WNDPROC, (LONG_PTR)bars::Listen);
  for (const BarPressRow& row : rows) {
    const std::string name = std::string(kind) + ", " + kBarPressNames[row.press];
    bars::g_heard.clear();
    bars::Press(h, row.press);
    EXPECT_EQ(row.heard, bars::g_heard) << name;
    EXPECT_EQ(row.pos, ::GetScrollPos(h, control ? SB_CTL : row.press < kLeftArrow ? SB_VERT : SB_HORZ)) << name;
    EXPECT_EQ(0, PixelsOffFullRepaint(h)) << name;
  }
  ::SetWindowLongPtr(hearer, GWLP_WNDPROC, (LONG_PTR)bars::g_proc);
  if (!wasVirtual) Clock::UseRealTime();
}

// Keys to the focus, each followed by the picture of h's top-level window against a full repaint.
inline void ExpectKeyPictures(HWND h, const std::vector<UINT>& keys, const char* kind) {
  for (size_t i = 0; i < keys.size(); ++i) {
    UiAutomation::PressKey(keys[i]);
    EXPECT_EQ(0, PixelsOffFullRepaint(h)) << kind << ", key " << i + 1 << " (" << keys[i] << ")";
  }
}

}  // namespace dravonix::test
