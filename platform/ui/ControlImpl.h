// What the layer's native controls share: per-window state behind a class procedure, notifications
// to the parent, colours asked of the parent and text measuring.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowPaint.h"

#include <string>

namespace ui {

class ControlImpl {
 public:
  explicit ControlImpl(HWND h) : m_hwnd(h) {}
  virtual ~ControlImpl() = default;
  ControlImpl(const ControlImpl&) = delete;
  ControlImpl& operator=(const ControlImpl&) = delete;
  virtual LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp) = 0;

  HWND m_hwnd;
  int m_depth = 0;
  bool m_dead = false;

  DWORD Style() const { return (DWORD)::GetWindowLongPtr(m_hwnd, GWL_STYLE); }
  int Id() const { return ::GetDlgCtrlID(m_hwnd); }
  HWND Parent() const { return ::GetParent(m_hwnd); }
  // Where notifications and colour requests go (the combo box for its list).
  virtual HWND NotifyParent() const { return Parent(); }
  // WM_COMMAND with a notification code to the parent.
  void Notify(WORD code) const;
  // WM_NOTIFY to the parent with the header filled in.
  LRESULT NotifyHdr(NMHDR* hdr, UINT code) const;
  HFONT Font() const;
  // Before the owner draws an item: the font the control was given, if any, as Windows selects it.
  void SelectGivenFont(CDC& dc) const;
  // Asks the parent for the background brush (WM_CTLCOLOR…) and sets the DC's colours.
  HBRUSH CtlColor(CDC& dc, UINT msg) const;
  void Redraw() const { ::InvalidateRect(m_hwnd, nullptr, TRUE); }
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) const { return ::DefWindowProc(m_hwnd, msg, wp, lp); }
  std::string Text() const;
  // The window a press gives the focus to: the control itself, or the part of it that keeps it.
  virtual HWND PressFocus() const { return m_hwnd; }
  // A press takes the focus; in a dialog as Tab does, so the default look follows it there too.
  void TakeFocus() const;
  // A press takes the focus first. When that brings up a modal box or loop over the control (a value
  // refused as the focus left it), the mouse went to the box and the release is lost: the press ends
  // there, neither pushed, tracking nor holding the capture. False then.
  bool PressTakesFocus() const;
  // The modal boxes and loops that have come up over the control so far: a press whose own
  // notifications bring one up ends there too.
  unsigned ModeMark() const;
};

// Registers a global control class whose windows each get a T.
void RegisterControlClass(const char* name, WNDPROC proc, UINT style, LPCSTR cursor = IDC_ARROW);

template <class T>
LRESULT ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* impl = reinterpret_cast<ControlImpl*>(::GetWindowLongPtr(h, 0));
  if (msg == WM_NCCREATE && !impl) {
    impl = new T(h);
    ::SetWindowLongPtr(h, 0, (LONG_PTR)impl);
  }
  if (!impl) return ::DefWindowProc(h, msg, wp, lp);
  ++impl->m_depth;
  LRESULT r = impl->Proc(msg, wp, lp);
  --impl->m_depth;
  // Every control draws its disabled look, so each redraws when that changes.
  if (msg == WM_ENABLE && !impl->m_dead) impl->Redraw();
  if (msg == WM_NCDESTROY) {
    impl->m_dead = true;
    ::SetWindowLongPtr(h, 0, 0);
  }
  if (impl->m_dead && impl->m_depth == 0) delete impl;
  return r;
}

template <class T>
T* ControlOf(HWND h) {
  if (!::IsWindow(h)) return nullptr;
  return dynamic_cast<T*>(reinterpret_cast<ControlImpl*>(::GetWindowLongPtr(h, 0)));
}

// A screen information context with a font selected, for measuring text.
class MeasureDC {
 public:
  explicit MeasureDC(HFONT font);
  CDC dc;
  int LineHeight();
  int AveCharWidth();
};

// The default font of controls without one: the dialog font.
HFONT DefaultControlFont();

// A paint context of a control: WM_PAINT's own, or the HDC passed in wParam (WM_PRINTCLIENT).
class ControlPaint {
 public:
  ControlPaint(HWND h, WPARAM wp);
  ~ControlPaint();
  CDC& dc() { return *m_dc; }

 private:
  CWindowSurfaceProvider m_prov;
  CPaintDC* m_paint = nullptr;
  CDC m_attached;
  CDC* m_dc;
};

void Draw3DFrame(CDC& dc, RECT r, bool sunken, bool thick = true);
void FillSys(CDC& dc, const RECT& r, int color);
// An arrow glyph centred in `r` (dir: 0 up, 1 down, 2 left, 3 right), grey when it cannot act.
void DrawArrow(CDC& dc, const CRect& r, int dir, bool disabled);

// A scroll bar's state as drawn, the control's and a window's bar alike. `grey` holds ESB_DISABLE_LTUP
// and ESB_DISABLE_RTDN for arrows that cannot scroll.
struct ScrollBarLook {
  int min = 0, max = 0;
  UINT page = 0;
  int pos = 0;
  UINT grey = 0;
  bool thumb = true;
};
// The arrow buttons' length along a bar of `length` and `breadth`.
int ScrollArrowLength(int length, int breadth);
// Where the thumb starts along the bar and how long it is.
void ScrollThumb(int length, int breadth, const ScrollBarLook& look, int& start, int& size);
void DrawScrollBar(CDC& dc, const CRect& r, bool vertical, const ScrollBarLook& look);
// A window's own bar: where it lies (window coordinates) and what it shows, for drawing and presses.
CRect WindowBarRect(HWND h, int bar);
ScrollBarLook WindowBarLook(HWND h, int bar);
// The position a thumb code (SB_THUMBTRACK, SB_THUMBPOSITION) gives: the message holds only its low
// 16 bits, the bar's tracking position all 32.
int ThumbCodePos(HWND h, int bar, WPARAM wp);

}  // namespace ui
