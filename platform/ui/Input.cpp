// Simulated input: key state, mouse position and clicks, cursors and the caret.
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <tuple>
#include <utility>
#include <vector>

using namespace ui;

namespace {

struct InputState {
  std::mutex mutex;
  BYTE sync[256] = {};
  BYTE async[256] = {};
  POINT cursor{DRAVONIX_DESKTOP_WIDTH / 2, DRAVONIX_DESKTOP_HEIGHT / 2};
  CRect clip{0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT};
  bool clipped = false;
  HCURSOR current = nullptr;
  int showCount = 0;
  UINT doubleClickTime = 500;
  UINT caretBlink = 530;
  bool swapped = false;
};

InputState& S() {
  static InputState* s = new InputState;
  return *s;
}

// The point pulled into the clip rectangle (its right and bottom edges outside); one of no width or
// height holds its left column or top row. Called with the state's mutex held.
POINT ClampToClip(POINT p) {
  const CRect& c = S().clip;
  return POINT{std::clamp<int>(p.x, c.left, std::max(c.left, c.right - 1)),
               std::clamp<int>(p.y, c.top, std::max(c.top, c.bottom - 1))};
}

void SetKey(BYTE* keys, int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  if (down) {
    if (!(keys[vk] & 0x80)) keys[vk] ^= 0x01;  // toggles on each press
    keys[vk] |= 0x80;
  } else {
    keys[vk] &= (BYTE)~0x80;
  }
}

// The generic shift keys follow their left and right forms.
void UpdateKey(BYTE* keys, int vk, bool down) {
  SetKey(keys, vk, down);
  switch (vk) {
    case VK_SHIFT: SetKey(keys, VK_LSHIFT, down); break;
    case VK_CONTROL: SetKey(keys, VK_LCONTROL, down); break;
    case VK_MENU: SetKey(keys, VK_LMENU, down); break;
    case VK_LSHIFT: case VK_RSHIFT:
      SetKey(keys, VK_SHIFT, (keys[VK_LSHIFT] | keys[VK_RSHIFT]) & 0x80);
      break;
    case VK_LCONTROL: case VK_RCONTROL:
      SetKey(keys, VK_CONTROL, (keys[VK_LCONTROL] | keys[VK_RCONTROL]) & 0x80);
      break;
    case VK_LMENU: case VK_RMENU:
      SetKey(keys, VK_MENU, (keys[VK_LMENU] | keys[VK_RMENU]) & 0x80);
      break;
    default: break;
  }
}

// Applies a keyboard or mouse message to a key-state array.
void ApplyInput(BYTE* keys, UINT msg, WPARAM wp) {
  switch (msg) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: UpdateKey(keys, (int)wp, true); break;
    case WM_KEYUP: case WM_SYSKEYUP: UpdateKey(keys, (int)wp, false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: SetKey(keys, VK_LBUTTON, true); break;
    case WM_LBUTTONUP: SetKey(keys, VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: SetKey(keys, VK_RBUTTON, true); break;
    case WM_RBUTTONUP: SetKey(keys, VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: SetKey(keys, VK_MBUTTON, true); break;
    case WM_MBUTTONUP: SetKey(keys, VK_MBUTTON, false); break;
    default: break;
  }
}

bool IsMouse(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }
bool IsButtonDown(UINT m) { return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN; }

struct StockCursor {
  UINT id;
  const char* name;
};
const StockCursor kStock[] = {{32512, "arrow"},   {32513, "ibeam"},    {32514, "wait"},   {32515, "cross"},
                              {32516, "uparrow"}, {32640, "size"},     {32641, "icon"},   {32642, "sizenwse"},
                              {32643, "sizenesw"}, {32644, "sizewe"},  {32645, "sizens"}, {32646, "sizeall"},
                              {32648, "no"},      {32649, "hand"},     {32650, "appstarting"}, {32651, "help"}};
const StockCursor kStockIcons[] = {{32512, "application"}, {32513, "hand"}, {32514, "question"},
                                   {32515, "exclamation"}, {32516, "asterisk"}, {32517, "winlogo"}};

HICON StockHandle(const StockCursor* table, size_t n, UINT id, bool cursor) {
  static std::mutex m;
  static std::map<std::pair<bool, UINT>, HICON__*>* handles = new std::map<std::pair<bool, UINT>, HICON__*>;
  for (size_t i = 0; i < n; ++i) {
    if (table[i].id != id) continue;
    std::lock_guard<std::mutex> lk(m);
    auto& h = (*handles)[{cursor, id}];
    if (!h) {
      h = new HICON__;
      h->id = id;
      h->name = table[i].name;
      h->isCursor = cursor;
    }
    return h;
  }
  return nullptr;
}

HICON ResourceHandle(HINSTANCE instance, LPCSTR name, bool cursor) {
  LPCSTR groupType = cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON;
  LPCSTR type = cursor ? RT_CURSOR : RT_ICON;
  if (!FindResource(instance, name, groupType) && !FindResource(instance, name, type)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  static std::mutex m;
  static std::map<std::tuple<HINSTANCE, std::string, bool>, HICON__*>* handles =
      new std::map<std::tuple<HINSTANCE, std::string, bool>, HICON__*>;
  std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : std::string(name);
  std::lock_guard<std::mutex> lk(m);
  auto& h = (*handles)[{instance, key, cursor}];
  if (!h) {
    h = new HICON__;
    h->instance = instance;
    h->id = IS_INTRESOURCE(name) ? (UINT)(ULONG_PTR)name : 0;
    static std::deque<std::string>* names = new std::deque<std::string>;
    if (!IS_INTRESOURCE(name)) {
      names->push_back(name);
      h->name = names->back().c_str();
    }
    h->isCursor = cursor;
  }
  return h;
}

}  // namespace

namespace ui {

POINT CursorPosition() {
  std::lock_guard<std::mutex> lk(S().mutex);
  return S().cursor;
}

namespace {

// Mouse input finds its window when it is taken from the queue: the window holding the capture,
// else the window under the point. False when no window takes it (nothing there, or a disabled
// top-level window).
bool RouteMouse(ThreadQueue* q, MSG& m) {
  HWND target = nullptr;
  if (q->capture && IsWindow(q->capture)) {
    target = q->capture;
  } else if (m.message == WM_MOUSEWHEEL) {
    target = q->focus ? q->focus : q->active;
  } else {
    target = WindowFromPoint(m.pt);
    if (target && !IsWindowEnabled(target)) return false;
  }
  if (!target || !IsWindow(target)) return false;
  m.hwnd = target;
  if (m.message != WM_MOUSEWHEEL) {
    POINT pt = m.pt;
    ScreenToClient(target, &pt);
    m.lParam = MAKELPARAM(pt.x, pt.y);
  }
  return true;
}

// Mouse input over a window's frame, caption or scroll bars, while no window holds the capture,
// comes as the non-client message with the hit code and the point in screen coordinates. Points
// the window does not claim stay the client input of the window they were posted to.
int ToNonClient(ThreadQueue* q, MSG& m) {
  if (q->capture || m.message < WM_MOUSEMOVE || m.message > WM_MBUTTONDBLCLK) return HTCLIENT;
  POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
  ClientToScreen(m.hwnd, &pt);
  const int hit = (int)SendMessage(m.hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
  if (hit <= HTCLIENT || !IsWindow(m.hwnd)) return HTCLIENT;
  m.message += WM_NCMOUSEMOVE - WM_MOUSEMOVE;
  m.wParam = (WPARAM)hit;
  m.lParam = MAKELPARAM(pt.x, pt.y);
  return hit;
}

}  // namespace

// Applies a retrieved input message: key state, routing, double clicks, activation and the cursor
// shape. Returns false when no window takes the message or mouse activation eats it.
bool ProcessInput(ThreadQueue* q, MSG& m) {
  {
    std::lock_guard<std::mutex> lk(S().mutex);
    ApplyInput(S().sync, m.message, m.wParam);
  }
  if (!IsMouse(m.message)) return !TrackFrameInput(m) && m.hwnd != nullptr;
  if (TrackScrollBarInput(m) || TrackFrameInput(m)) return false;
  if (!RouteMouse(q, m)) return false;
  HWND h = m.hwnd;
  if (IsButtonDown(m.message)) {
    ClickMemory& last = q->lastClick;
    int cx = UiSystemMetric(SM_CXDOUBLECLK) / 2, cy = UiSystemMetric(SM_CYDOUBLECLK) / 2;
    bool second = last.hwnd == h && last.button == m.message && m.time - last.time <= GetDoubleClickTime() &&
                  std::abs(m.pt.x - last.pt.x) <= cx && std::abs(m.pt.y - last.pt.y) <= cy;
    if (second && (h->cls->style & CS_DBLCLKS)) {
      m.message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
      last = ClickMemory{};
    } else {
      last = ClickMemory{h, m.message, m.time, m.pt};
    }
  }
  // A double click's second press is told to the parents as a press.
  UINT press = m.message;
  if (press == WM_LBUTTONDBLCLK || press == WM_MBUTTONDBLCLK || press == WM_RBUTTONDBLCLK)
    press -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
  // A box that comes up while the press is routed (its activation moved the focus from a value
  // that was refused) takes the mouse: the press is not delivered. Moves need no count.
  const bool pressed = press == WM_LBUTTONDOWN || press == WM_MBUTTONDOWN || press == WM_RBUTTONDOWN;
  const unsigned mark = pressed ? ModeCancelsOver(h) : 0;
  if (pressed) {
    POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
    ClientToScreen(h, &pt);
    if (h->style & WS_CHILD) NotifyParents(h, press, 0, &pt);
    if (!IsWindow(h)) return false;
  }
  const UINT msg = m.message;
  const int hit = ToNonClient(q, m);
  if (!IsWindow(h)) return false;
  bool buttonDown = IsButtonDown(msg) || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
  if (!q->capture && (msg == WM_MOUSEMOVE || buttonDown)) {
    SendMessage(h, WM_SETCURSOR, (WPARAM)h, MAKELPARAM(hit, msg));
    if (!IsWindow(h)) return false;
  }
  if (buttonDown) {
    // Asked on every press, also in the active window: a child window behind others (an MDI child,
    // a pane) becomes the active one by it even where the focus already is.
    HWND top = GetAncestor(h, GA_ROOT);
    if (top) {
      LRESULT r = SendMessage(h, WM_MOUSEACTIVATE, (WPARAM)top, MAKELPARAM(hit, msg));
      if (!IsWindow(h)) return false;
      // The click also brings the window's thread to the foreground: the keyboard follows it.
      if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) && (q->active != top || GetForegroundWindow() != top)) {
        SetForegroundWindow(top);
        if (!IsWindow(h)) return false;
      }
      if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return false;
    }
    if (!IsWindow(h) || (pressed && ModeCancelsOver(h) != mark)) return false;
  }
  return true;
}

void DropMouseInputOver(ThreadQueue* q, HWND top) {
  std::deque<MSG> waiting;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    std::lock_guard<std::mutex> lk(q->mutex);
    waiting = q->input;
  }
  // Each finds its window as it would when read: the capture, else the window under the point.
  std::vector<bool> drop(waiting.size(), false);
  bool any = false;
  for (size_t i = 0; i < waiting.size(); ++i) {
    const MSG& m = waiting[i];
    if (!IsMouse(m.message) || m.message == WM_MOUSEWHEEL) continue;
    HWND to = q->capture.load();
    if (!to || !IsWindow(to)) to = WindowFromPoint(m.pt);
    if (to && (to == top || IsChild(top, to))) drop[i] = any = true;
  }
  if (!any) return;
  {
    // Only this thread takes input out of its queue: what came meanwhile was added behind.
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    std::lock_guard<std::mutex> lk(q->mutex);
    std::deque<MSG> kept;
    for (size_t i = 0; i < q->input.size(); ++i)
      if (i >= drop.size() || !drop[i]) kept.push_back(q->input[i]);
    q->input.swap(kept);
  }
  std::lock_guard<std::mutex> lk(S().mutex);
  for (size_t i = 0; i < waiting.size(); ++i)
    if (drop[i]) ApplyInput(S().sync, waiting[i].message, waiting[i].wParam);
}

}  // namespace ui

namespace {

// Hardware input enters the queue of the thread it is meant for; which window takes it is decided
// when it is read, as the window manager does.
BOOL QueueInput(ThreadQueue* q, const MSG& m) {
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    std::lock_guard<std::mutex> lk(q->mutex);
    if (!q->alive) return FALSE;
    q->input.push_back(m);
    q->wakeups++;
  }
  q->cv.notify_all();
  return TRUE;
}

// The window the mouse belongs to while it is captured: the capture of the foreground window's
// thread takes every mouse message, whichever thread holds it; else the posting thread's own.
HWND HeldCapture() {
  if (HWND fg = GetForegroundWindow()) {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (IsLive(fg) && !fg->dead && fg->queue)
      if (HWND c = fg->queue->capture.load(); c && IsLive(c) && !c->dead) return c;
  }
  return GetCapture();
}

// Whether every window under the point inside `w` (whose client area starts at `origin` on the
// screen) belongs to the queue `q`. Called with the window manager's lock held.
bool OneQueueUnder(HWND w, POINT origin, POINT screen, ThreadQueue* q) {
  const POINT inner{screen.x - origin.x, screen.y - origin.y};
  if (!CRect(0, 0, w->rcClient.Width(), w->rcClient.Height()).PtInRect(inner)) return true;
  for (HWND c : w->children) {
    if (!(c->style & WS_VISIBLE) || !c->rcWindow.PtInRect(inner)) continue;
    if (c->queue != q) return false;
    const POINT at{origin.x + c->rcWindow.left + c->rcClient.left, origin.y + c->rcWindow.top + c->rcClient.top};
    if (!OneQueueUnder(c, at, screen, q)) return false;
  }
  return true;
}

// The queue the mouse input at the point goes to: that of the capture, else of the focus for the
// wheel, else of the window under the point, which the read finds again. That window lies within
// the topmost window under the point: where every window there under the point shares its thread,
// the topmost one names it, and no window is asked its hit test twice for each move.
ThreadQueue* MouseQueue(UINT msg, POINT screen) {
  HWND to = HeldCapture();
  if (!to && msg == WM_MOUSEWHEEL) to = GetFocus();
  if (!to) {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    HWND top = nullptr;
    for (HWND w : Desktop()->children)
      if ((w->style & WS_VISIBLE) && w->rcWindow.PtInRect(screen)) {
        top = w;
        break;
      }
    if (!top) return CurrentQueue();
    const POINT origin{top->rcWindow.left + top->rcClient.left, top->rcWindow.top + top->rcClient.top};
    if (!top->dead && top->queue && OneQueueUnder(top, origin, screen, top->queue)) return top->queue;
  }
  if (!to) to = WindowFromPoint(screen);
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  return to && IsLive(to) && !to->dead && to->queue ? to->queue : CurrentQueue();
}

}  // namespace

BOOL PostKeyInput(UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT pt;
  {
    std::lock_guard<std::mutex> lk(S().mutex);
    ApplyInput(S().async, msg, wParam);
    pt = S().cursor;
  }
  // The keyboard belongs to the thread of the foreground window, whichever thread presses the keys.
  ThreadQueue* q = CurrentQueue();
  if (HWND fg = GetForegroundWindow()) {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (IsLive(fg) && !fg->dead && fg->queue) q = fg->queue;
  }
  return QueueInput(q, MSG{nullptr, msg, wParam, lParam, GetTickCount(), pt});
}

BOOL PostMouseInput(UINT msg, WPARAM wParam, POINT screen) {
  const bool moves = msg != WM_MOUSEWHEEL;
  {
    std::lock_guard<std::mutex> lk(S().mutex);
    ApplyInput(S().async, msg, wParam);
    // The device cannot take the pointer out of the rectangle ClipCursor confines it to.
    if (moves && S().clipped) screen = ClampToClip(screen);
    if (moves) S().cursor = screen;
  }
  // The window under the point (or the capture) only names the thread whose queue takes it.
  ThreadQueue* q = MouseQueue(msg, screen);
  LPARAM lp = MAKELPARAM(screen.x, screen.y);
  return QueueInput(q, MSG{nullptr, msg, wParam, lp, GetTickCount(), screen});
}

BOOL PostMouseInput(HWND frame, UINT msg, WPARAM wParam, POINT client) {
  if (!IsWindow(frame)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ClientToScreen(frame, &client);
  return PostMouseInput(msg, wParam, client);
}

// ---- Keyboard ----------------------------------------------------------------------------------

SHORT GetKeyState(int vk) {
  if (vk <= 0 || vk > 255) return 0;
  std::lock_guard<std::mutex> lk(S().mutex);
  BYTE b = S().sync[vk];
  return (SHORT)(((b & 0x80) ? 0xFF80 : 0) | (b & 1));
}

SHORT GetAsyncKeyState(int vk) {
  if (vk <= 0 || vk > 255) return 0;
  std::lock_guard<std::mutex> lk(S().mutex);
  return (SHORT)((S().async[vk] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* state) {
  if (!state) return FALSE;
  std::lock_guard<std::mutex> lk(S().mutex);
  memcpy(state, S().sync, 256);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* state) {
  if (!state) return FALSE;
  std::lock_guard<std::mutex> lk(S().mutex);
  memcpy(S().sync, state, 256);
  memcpy(S().async, state, 256);
  return TRUE;
}

// ---- Mouse, cursors -----------------------------------------------------------------------------

BOOL GetCursorPos(LPPOINT pt) {
  if (!pt) return FALSE;
  *pt = CursorPosition();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  std::lock_guard<std::mutex> lk(S().mutex);
  S().cursor = ClampToClip(POINT{x, y});
  return TRUE;
}

BOOL ClipCursor(LPCRECT rect) {
  std::lock_guard<std::mutex> lk(S().mutex);
  CRect desk(0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT);
  if (rect) {
    // A rectangle of no width or height confines to its column or row; only one turned inside out,
    // on the screen, frees the pointer.
    CRect r(std::max(rect->left, desk.left), std::max(rect->top, desk.top), std::min(rect->right, desk.right),
            std::min(rect->bottom, desk.bottom));
    if (r.left > r.right || r.top > r.bottom) r = desk;
    S().clip = r;
    S().clipped = true;
  } else {
    S().clip = desk;
    S().clipped = false;
  }
  S().cursor = ClampToClip(S().cursor);
  return TRUE;
}

BOOL GetClipCursor(LPRECT rect) {
  if (!rect) return FALSE;
  std::lock_guard<std::mutex> lk(S().mutex);
  *rect = S().clip;
  return TRUE;
}

UINT GetDoubleClickTime() {
  std::lock_guard<std::mutex> lk(S().mutex);
  return S().doubleClickTime;
}

BOOL SetDoubleClickTime(UINT ms) {
  std::lock_guard<std::mutex> lk(S().mutex);
  S().doubleClickTime = ms ? ms : 500;
  return TRUE;
}

BOOL SwapMouseButton(BOOL swap) {
  std::lock_guard<std::mutex> lk(S().mutex);
  BOOL old = S().swapped;
  S().swapped = swap != FALSE;
  return old;
}

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
  if (!name) return nullptr;
  if (!instance && IS_INTRESOURCE(name)) {
    HCURSOR h = StockHandle(kStock, sizeof kStock / sizeof kStock[0], (UINT)(ULONG_PTR)name, true);
    if (!h) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return h;
  }
  return ResourceHandle(instance, name, true);
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
  if (!name) return nullptr;
  if (!instance && IS_INTRESOURCE(name)) {
    HICON h = StockHandle(kStockIcons, sizeof kStockIcons / sizeof kStockIcons[0], (UINT)(ULONG_PTR)name, false);
    if (!h) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return h;
  }
  return ResourceHandle(instance, name, false);
}

HCURSOR SetCursor(HCURSOR cursor) {
  std::lock_guard<std::mutex> lk(S().mutex);
  HCURSOR old = S().current;
  S().current = cursor;
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> lk(S().mutex);
  return S().current;
}

BOOL DestroyCursor(HCURSOR cursor) { return cursor != nullptr; }
BOOL DestroyIcon(HICON icon) { return icon != nullptr; }

int ShowCursor(BOOL show) {
  std::lock_guard<std::mutex> lk(S().mutex);
  return show ? ++S().showCount : --S().showCount;
}

// ---- Caret ---------------------------------------------------------------------------------------

namespace {
// The caret has no pixels of its own in window pictures, so showing, hiding and moving it repaints
// nothing; invalidating here made every paint of the caret's window (which hides and shows it)
// ask for another paint.
void InvalidateCaret(const Caret&) {}
}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
  if (!IsWindow(hwnd) || hwnd->queue != CurrentQueue()) return FALSE;
  ThreadQueue* q = CurrentQueue();
  if (q->caret.owner) DestroyCaret();
  q->caret.owner = hwnd;
  q->caret.bitmap = bitmap;
  q->caret.width = width > 0 ? width : UiSystemMetric(SM_CXBORDER);
  q->caret.height = height > 0 ? height : UiSystemMetric(SM_CYBORDER);
  q->caret.pos = POINT{0, 0};
  q->caret.hideLevel = 1;
  return TRUE;
}

BOOL DestroyCaret() {
  ThreadQueue* q = CurrentQueue();
  if (!q->caret.owner) return FALSE;
  if (q->caret.hideLevel == 0) InvalidateCaret(q->caret);
  q->caret = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  ThreadQueue* q = CurrentQueue();
  if (!q->caret.owner || (hwnd && hwnd != q->caret.owner)) return FALSE;
  if (q->caret.hideLevel > 0 && --q->caret.hideLevel == 0) InvalidateCaret(q->caret);
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  ThreadQueue* q = CurrentQueue();
  if (!q->caret.owner || (hwnd && hwnd != q->caret.owner)) return FALSE;
  if (q->caret.hideLevel++ == 0) InvalidateCaret(q->caret);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  ThreadQueue* q = CurrentQueue();
  if (!q->caret.owner) return FALSE;
  if (q->caret.hideLevel == 0) InvalidateCaret(q->caret);
  q->caret.pos = POINT{x, y};
  if (q->caret.hideLevel == 0) InvalidateCaret(q->caret);
  return TRUE;
}

BOOL GetCaretPos(LPPOINT pt) {
  if (!pt) return FALSE;
  *pt = CurrentQueue()->caret.pos;
  return TRUE;
}

UINT GetCaretBlinkTime() {
  std::lock_guard<std::mutex> lk(S().mutex);
  return S().caretBlink;
}

BOOL SetCaretBlinkTime(UINT ms) {
  std::lock_guard<std::mutex> lk(S().mutex);
  S().caretBlink = ms;
  return TRUE;
}

UiCaretInfo GetUiCaretInfo() {
  const Caret& c = CurrentQueue()->caret;
  return UiCaretInfo{c.owner, c.pos, c.width, c.height, c.owner && c.hideLevel == 0 ? TRUE : FALSE};
}
