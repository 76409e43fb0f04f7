// Internal state of the window manager: window objects, classes and per-thread queues.
#pragma once

#include "platform/ui/UpdateRegion.h"
#include "platform/ui/WinDefs.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CWnd;

namespace ui {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  HICON iconSmall = nullptr;
  ATOM atom = 0;
};

struct ScrollState {
  int nMin = 0;
  int nMax = 100;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
  UINT disabled = 0;  // ESB_ bits
};

struct ThreadQueue;

struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
  ThreadQueue* sender = nullptr;
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  ULONGLONG due;
  TIMERPROC proc;
  bool pending;  // a WM_TIMER is due and not yet retrieved
};

struct QueuedMessage {
  MSG msg;
};

struct Caret {
  HWND owner = nullptr;
  int width = 0, height = 0;
  POINT pos{0, 0};
  int hideLevel = 1;  // shown when 0
  HBITMAP bitmap = nullptr;
};

struct ClickMemory {
  HWND hwnd = nullptr;
  UINT button = 0;  // WM_xBUTTONDOWN
  DWORD time = 0;
  POINT pt{0, 0};
};

// One per thread that uses windows or queues; kept for the life of the process so other threads may
// hold pointers to it after the thread has ended.
struct ThreadQueue {
  DWORD threadId = 0;
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<MSG> posted;
  std::deque<MSG> input;
  std::deque<SentMessage*> sent;
  bool quit = false;
  int quitCode = 0;
  bool alive = true;
  std::atomic<int> wakeups{0};

  // Owned by the thread itself: no lock needed.
  std::vector<Timer> timers;
  std::vector<HWND> dirty;  // windows that may need WM_PAINT, in the order they became dirty
  HWND focus = nullptr;
  HWND active = nullptr;
  std::atomic<HWND> capture{nullptr};  // read by the threads that post mouse input
  Caret caret;
  ClickMemory lastClick;
  MSG lastMsg{};
  int sendDepth = 0;  // sent messages from other threads being processed
  // What the user or the host does, one at a time: a message read from the queue, or the work done
  // between two idle moments of the thread.
  unsigned actions = 0;
  // The window that took the focus back with a box as it lost it, and in which action.
  HWND refusedFocus = nullptr;
  unsigned refusedIn = 0;
  void* threadObject = nullptr;  // the framework's CWinThread of this thread
};

}  // namespace ui

struct HWND__ {
  ui::WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  CRect rcWindow;  // relative to the parent's client area (the screen for top-level windows)
  CRect rcClient;  // relative to the window's own top-left corner
  HWND parent = nullptr;  // the desktop for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;  // z-order: front first
  std::string text;
  UINT_PTR id = 0;
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  HFONT font = nullptr;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;
  std::map<std::string, HANDLE> props;
  ui::ThreadQueue* queue = nullptr;
  CWnd* wnd = nullptr;  // the framework object attached, if any

  bool destroying = false;  // WM_DESTROY has been sent
  bool dead = false;        // WM_NCDESTROY has been sent; freed when no call is running
  int callDepth = 0;

  CUpdateRegion update;  // client coordinates
  bool erase = false;
  bool ncPaint = false;
  bool internalPaint = false;
  bool inDirtyList = false;
  unsigned invalidateSerial = 0;
  bool redraw = true;  // WM_SETREDRAW
  ui::ScrollState scroll[2];
  std::array<int, 17> barsDrawn{};  // what the scroll bars showed, and where, when last drawn
  CRect around;  // how far it draws around itself in its parent (left, top, right, bottom)
  UINT showCmd = SW_SHOWNORMAL;
  HWND focusWhenDisabled = nullptr;  // the focus it held as it was disabled: a modal loop gives it back
  unsigned modeCancels = 0;  // WM_CANCELMODE the layer sent it: a modal box or loop came up over it
  CRect rcNormal;  // restored position while minimised or maximised
};

namespace ui {

// The lock over every window's structure and the class table. Never held while a window procedure runs.
//
// Lock order of the layer, outermost first; a thread holding one lock takes only locks further down:
//   1. WmLock (windows, classes, dirty lists);
//   2. a queue's mutex (ThreadQueue::mutex);
//   3. leaf locks: the input state's lock (Input.cpp) and the window surfaces' lock (WindowPaint.cpp).
// Whatever a leaf lock's work needs of the windows (positions, sizes) is read before the leaf lock is taken.
std::recursive_mutex& WmLock();
// The window if it is alive (not yet past WM_NCDESTROY), else null. Caller holds WmLock or owns h's thread.
bool IsLive(HWND h);
HWND Desktop();
ThreadQueue* CurrentQueue();
ThreadQueue* FindQueue(DWORD threadId);
std::vector<ThreadQueue*> AllQueues();

// Calls a window procedure, keeping the window's memory alive during the call.
LRESULT CallProc(WNDPROC proc, HWND h, UINT msg, WPARAM wp, LPARAM lp);
// Delivers a message on the current thread (same-thread send).
LRESULT Deliver(HWND h, UINT msg, WPARAM wp, LPARAM lp);

// Screen position of a window's client origin and window origin.
POINT ClientOrigin(HWND h);
POINT WindowOrigin(HWND h);
void MarkDirty(HWND h);
// Whether a window waits for WM_PAINT; whether WM_SETREDRAW FALSE on it or an ancestor holds its
// painting. Callers hold WmLock.
bool NeedsPaint(HWND h);
bool PaintHeld(HWND h);
void ForgetWindowInQueue(HWND h);
void KillWindowTimers(HWND h);
// Recomputes the client rectangle from the style (WM_NCCALCSIZE).
void RecalcClient(HWND h);
ULONGLONG Now();
// Frame, caption and edge thickness of a window's style (left, top, right, bottom).
CRect NonClientInsets(HWND h);
// Where a maximized child lies: its client covers its parent's, its frame just outside.
CRect MaximizedChildRect(HWND h);
// Draws a window's frame, caption and scroll bars (the default WM_NCPAINT); `only` is the message's
// region (screen coordinates), or 1 for the whole window.
void PaintNonClient(HWND h, WPARAM only = 1);
// Draws a window's own scroll bars now, where the window shows: a WM_NCPAINT with their region.
void PaintScrollBars(HWND h);
// A press on a window's own scroll bar (screen point): tracked into WM_VSCROLL/WM_HSCROLL until the
// button goes up. The mouse input that the tracking takes is not delivered (true).
void TrackScrollBar(HWND h, int bar, POINT screen);
bool TrackScrollBarInput(const MSG& m);
// A press on a window's caption (HTCAPTION) or sizing frame (HTLEFT to HTBOTTOMRIGHT): the window
// moves or sizes with the mouse until the button goes up; on its close button (HTCLOSE) it closes if
// the button goes up there. The input the tracking takes is not delivered (true).
void TrackFrame(HWND h, int hit, POINT screen);
bool TrackFrameInput(const MSG& m);
// Whether the bar's thumb is being dragged, and where it is held.
bool ScrollThumbTracked(HWND h, int bar, int* pos);
// Fills the client area with the class background (the default WM_ERASEBKGND); FALSE without one.
BOOL EraseBackground(HWND h, HDC hdc);
// The framework's hook: attaches its object to a window before the window's first message.
extern thread_local void (*t_createHook)(HWND, void*);
extern thread_local void* t_createHookData;
void WakeQueue(ThreadQueue* q);
// WM_PARENTNOTIFY up the parent chain of a child: for create and destroy lp is the child; for a
// mouse press give the point in screen units and each parent gets it in its own client units.
void NotifyParents(HWND h, UINT event, LPARAM lp, const POINT* screen = nullptr);
// The MDI child that holds the window (or is it), null outside a workspace; whether the child is
// being closed, the one after it taking its place.
HWND MdiChildOf(HWND h);
bool MdiChildClosing(HWND child);
// The MDI workspace's part when a child of it is hidden: the active one gives way to the topmost shown.
void MdiChildHidden(HWND child);
// WM_CANCELMODE from the layer, as a modal box or loop comes up over the window; counted, so a press
// can tell that its mode was cancelled while it took the focus.
void CancelMode(HWND h);
// The cancels the window and its ancestors have heard so far.
unsigned ModeCancelsOver(HWND h);
// The window that refused to give up the focus (a box told why) in the action under way and still
// holds it; null when none did. What the action would do next to take the focus away again is not
// done: one box for one thing the user or the host did.
HWND FocusRefusedInThisAction();
// Drops the mouse input waiting in the queue for `top` or its descendants (the owner of a modal box,
// disabled while the box is up). The key state still follows the buttons dropped.
void DropMouseInputOver(ThreadQueue* q, HWND top);

}  // namespace ui
