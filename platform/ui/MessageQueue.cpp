#include "platform/ui/MessageQueue.h"

#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace ui;

namespace ui {

ULONGLONG Now() { return Clock::Now(); }

void WakeQueue(ThreadQueue* q) {
  {
    std::lock_guard<std::mutex> lk(q->mutex);
    q->wakeups++;
  }
  q->cv.notify_all();
}

void ForgetWindowInQueue(HWND h) {
  ThreadQueue* q = h->queue;
  if (!q) return;
  std::lock_guard<std::mutex> lk(q->mutex);
  auto drop = [h](std::deque<MSG>& d) {
    d.erase(std::remove_if(d.begin(), d.end(), [h](const MSG& m) { return m.hwnd == h; }), d.end());
  };
  drop(q->posted);
  // Keys belong to the thread, not to a window: they go to whichever window has the focus when
  // they are read, and their key state counts even when none does.
  for (MSG& m : q->input)
    if (m.hwnd == h && m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) m.hwnd = nullptr;
  drop(q->input);
}

void KillWindowTimers(HWND h) {
  ThreadQueue* q = h->queue;
  if (!q || q != CurrentQueue()) return;
  auto& t = q->timers;
  t.erase(std::remove_if(t.begin(), t.end(), [h](const Timer& x) { return x.hwnd == h; }), t.end());
}

// Internal helpers shared with the input code.
void ProcessSentMessages(ThreadQueue* q);
bool ProcessInput(ThreadQueue* q, MSG& m);
POINT CursorPosition();

}  // namespace ui

namespace {

void EnsureClockHook() {
  static bool once = [] {
    Clock::AddHook([](ULONGLONG, ULONGLONG) {
      for (ThreadQueue* q : AllQueues())
        if (q->alive) WakeQueue(q);
    });
    return true;
  }();
  (void)once;
}

constexpr DWORD INFINITE_WAIT = 0xFFFFFFFFu;

bool InRange(UINT msg, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  if (lo > hi) return msg >= lo || msg <= hi;
  return msg >= lo && msg <= hi;
}

// A window filter also takes the messages of the window's children. Callers hold WmLock.
bool HwndMatches(HWND filter, HWND h) {
  if (!filter) return true;
  if (filter == (HWND)-1) return h == nullptr;
  return h == filter || (h && IsChild(filter, h));
}

UiPumpHooks g_pumpHooks;

}  // namespace

namespace ui {

// Not a window message: a call that UiCallOnWindowThread hands to the owner thread.
constexpr UINT kCallOnOwner = 0x7FFF0001u;

void ProcessSentMessages(ThreadQueue* q) {
  for (;;) {
    SentMessage* s;
    {
      std::lock_guard<std::mutex> lk(q->mutex);
      if (q->sent.empty()) return;
      s = q->sent.front();
      q->sent.pop_front();
    }
    q->sendDepth++;
    LRESULT r = 0;
    try {
      r = s->message == kCallOnOwner ? (*(const std::function<LRESULT()>*)s->lParam)()
                                     : Deliver(s->hwnd, s->message, s->wParam, s->lParam);
    } catch (...) {
      r = 0;
    }
    q->sendDepth--;
    ThreadQueue* sender = s->sender;
    {
      std::lock_guard<std::mutex> lk(sender->mutex);
      s->result = r;
      s->done = true;
    }
    sender->cv.notify_all();
  }
}

}  // namespace ui

// ---- Sending and posting ------------------------------------------------------------------------

DWORD UiCurrentThreadId() { return CurrentQueue()->threadId; }

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops;
    EnumWindows([](HWND w, LPARAM lp) { ((std::vector<HWND>*)lp)->push_back(w); return TRUE; }, (LPARAM)&tops);
    for (HWND w : tops) SendMessage(w, msg, wParam, lParam);
    return 0;
  }
  ThreadQueue* me = CurrentQueue();
  ThreadQueue* target;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (!IsLive(hwnd) || hwnd == Desktop()) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    target = hwnd->queue;
    if (target == me) {
      ++hwnd->callDepth;
    }
  }
  if (target == me) {
    // Same thread: a direct call, holding the window's memory for the call.
    struct Release {
      HWND h;
      ~Release() {
        if (--h->callDepth == 0 && h->dead) delete h;
      }
    } rel{hwnd};
    return hwnd->proc ? hwnd->proc(hwnd, msg, wParam, lParam) : 0;
  }
  SentMessage sm{hwnd, msg, wParam, lParam};
  sm.sender = me;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (!IsLive(hwnd)) return 0;
    std::lock_guard<std::mutex> lk(target->mutex);
    if (!target->alive) return 0;
    target->sent.push_back(&sm);
    target->wakeups++;
  }
  target->cv.notify_all();
  std::unique_lock<std::mutex> lk(me->mutex);
  while (!sm.done) {
    if (!me->sent.empty()) {
      lk.unlock();
      ProcessSentMessages(me);
      lk.lock();
      continue;
    }
    me->cv.wait(lk);
  }
  return sm.result;
}

LRESULT UiCallOnWindowThread(HWND hwnd, const std::function<LRESULT()>& fn) {
  if (!IsWindow(hwnd)) return 0;
  if (hwnd->queue == CurrentQueue()) return fn();
  return SendMessage(hwnd, ui::kCallOnOwner, 0, (LPARAM)&fn);
}

BOOL SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) return FALSE;
  if (hwnd->queue == CurrentQueue()) {
    SendMessage(hwnd, msg, wParam, lParam);
    return TRUE;
  }
  return PostMessage(hwnd, msg, wParam, lParam);
}

namespace {
BOOL PostTo(ThreadQueue* q, const MSG& m, bool input) {
  {
    std::lock_guard<std::mutex> lk(q->mutex);
    if (!q->alive) return FALSE;
    (input ? q->input : q->posted).push_back(m);
    q->wakeups++;
  }
  q->cv.notify_all();
  return TRUE;
}
}  // namespace

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostThreadMessage(UiCurrentThreadId(), msg, wParam, lParam);
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops;
    EnumWindows([](HWND w, LPARAM lp) { ((std::vector<HWND>*)lp)->push_back(w); return TRUE; }, (LPARAM)&tops);
    for (HWND w : tops) PostMessage(w, msg, wParam, lParam);
    return TRUE;
  }
  MSG m{hwnd, msg, wParam, lParam, GetTickCount(), CursorPosition()};
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (!IsLive(hwnd) || hwnd->dead || hwnd == Desktop() || !hwnd->queue) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return PostTo(hwnd->queue, m, false);
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  ThreadQueue* q = FindQueue(threadId);
  if (!q) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  MSG m{nullptr, msg, wParam, lParam, GetTickCount(), CursorPosition()};
  if (!PostTo(q, m, false)) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  ThreadQueue* q = CurrentQueue();
  std::lock_guard<std::mutex> lk(q->mutex);
  q->quit = true;
  q->quitCode = exitCode;
}

BOOL InSendMessage() { return CurrentQueue()->sendDepth > 0; }

// ---- Retrieving ---------------------------------------------------------------------------------

namespace {

// Marks due timers; a timer already waiting absorbs further expirations.
void CheckTimers(ThreadQueue* q) {
  if (q->timers.empty()) return;
  ULONGLONG now = Now();
  for (Timer& t : q->timers) {
    if (t.due <= now) {
      t.pending = true;
      ULONGLONG behind = (now - t.due) / t.elapse + 1;
      t.due += behind * t.elapse;
    }
  }
}

UINT InputKind(const MSG& m) {
  if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) return QS_KEY;
  return m.message == WM_MOUSEMOVE ? QS_MOUSEMOVE : QS_MOUSEBUTTON;
}

bool WaitsForPaint(HWND h, ThreadQueue* q, HWND filter) {
  // The cheap fields first: most windows walked wait for nothing.
  return h->queue == q && (!h->update.IsEmpty() || h->internalPaint || h->ncPaint) && NeedsPaint(h) &&
         HwndMatches(filter, h);
}

// The first window of a subtree that waits for its paint, in the walk a whole repaint takes: a parent
// before its children, siblings front first.
HWND FirstToPaint(HWND h, ThreadQueue* q, HWND filter) {
  if (!(h->style & WS_VISIBLE) || !h->redraw) return nullptr;
  if (WaitsForPaint(h, q, filter)) return h;
  for (HWND c : h->children)
    if (HWND found = FirstToPaint(c, q, filter)) return found;
  return nullptr;
}

// Paints are taken in that walk's order, not in the order windows became invalid: siblings that do
// not clip each other overlap, and the one painted last shows. Only the trees holding dirty windows
// are walked (the filter's, if any), and only when more than one is dirty.
bool FindPaint(ThreadQueue* q, HWND filter, MSG* out) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  auto& d = q->dirty;
  size_t painted = 0;  // those painted since the last call are at the front, usually
  while (painted < d.size() && !NeedsPaint(d[painted])) d[painted++]->inDirtyList = false;
  d.erase(d.begin(), d.begin() + (long)painted);
  if (d.empty()) return false;
  HWND first = nullptr;
  if (filter && filter != (HWND)-1) {
    if (IsLive(filter) && IsWindowVisible(filter) && !PaintHeld(filter)) first = FirstToPaint(filter, q, filter);
  } else if (!filter && d.size() > 1) {
    std::vector<HWND> roots;
    for (HWND h : d) {
      while (h->parent && h->parent != Desktop()) h = h->parent;
      if (std::find(roots.begin(), roots.end(), h) == roots.end()) roots.push_back(h);
    }
    for (HWND top : Desktop()->children)
      if (std::find(roots.begin(), roots.end(), top) != roots.end() && (first = FirstToPaint(top, q, nullptr)))
        break;
  }
  if (!first) {
    d.erase(std::remove_if(d.begin(), d.end(),
                           [](HWND h) {
                             if (NeedsPaint(h)) return false;
                             h->inDirtyList = false;
                             return true;
                           }),
            d.end());
    for (HWND h : d)
      if (!PaintHeld(h) && HwndMatches(filter, h)) {
        first = h;
        break;
      }
    if (!first) return false;
  }
  // A parent paints before its children, so that its erase never covers a child painted earlier.
  for (HWND p = first->parent; p && p != Desktop(); p = p->parent)
    if (WaitsForPaint(p, q, filter)) first = p;
  *out = MSG{first, WM_PAINT, 0, 0, GetTickCount(), CursorPosition()};
  return true;
}

bool Peek(ThreadQueue* q, LPMSG msg, HWND hwnd, UINT lo, UINT hi, UINT flags) {
  bool remove = (flags & PM_REMOVE) != 0;
  const UINT kinds = (flags >> 16) ? (flags >> 16) : QS_ALLINPUT;
  for (;;) {
    if (kinds & QS_SENDMESSAGE) ProcessSentMessages(q);
    {
      // WmLock before the queue's mutex, the order the posting side takes them in.
      std::unique_lock<std::recursive_mutex> wl(WmLock());
      std::unique_lock<std::mutex> lk(q->mutex);
      for (auto it = q->posted.begin(); (kinds & QS_POSTMESSAGE) && it != q->posted.end(); ++it) {
        if (!HwndMatches(hwnd, it->hwnd) || !InRange(it->message, lo, hi)) continue;
        *msg = *it;
        if (remove) {
          if (it == q->posted.begin())
            q->posted.pop_front();
          else
            q->posted.erase(it);
          ++q->actions;
        }
        return true;
      }
      if (q->quit && (kinds & QS_POSTMESSAGE)) {
        *msg = MSG{nullptr, WM_QUIT, (WPARAM)q->quitCode, 0, GetTickCount(), CursorPosition()};
        if (remove) q->quit = false;
        return true;
      }
      bool gotInput = false;
      for (auto it = q->input.begin(); it != q->input.end(); ++it) {
        if (!InRange(it->message, lo, hi) || !(kinds & InputKind(*it))) continue;
        // A key goes to the window that has the focus when it is read (the active window when
        // none has); a mouse message finds its window as it is processed.
        HWND to = it->hwnd;
        const bool key = it->message >= WM_KEYFIRST && it->message <= WM_KEYLAST;
        if (!to && key) to = q->focus ? q->focus : q->active;
        if (hwnd && (!to || !HwndMatches(hwnd, to))) continue;
        if (key && !to && !remove) continue;
        *msg = *it;
        msg->hwnd = to;
        if (key && !q->focus && to) {
          if (msg->message == WM_KEYDOWN) msg->message = WM_SYSKEYDOWN;
          else if (msg->message == WM_KEYUP) msg->message = WM_SYSKEYUP;
        }
        if (remove) {
          q->input.erase(it);
          ++q->actions;
        }
        gotInput = true;
        break;
      }
      if (gotInput) {
        lk.unlock();
        wl.unlock();
        if (!remove) return true;
        if (ProcessInput(q, *msg) && msg->hwnd) return true;
        continue;  // eaten by mouse activation, or input no window takes
      }
    }
    if ((kinds & QS_PAINT) && InRange(WM_PAINT, lo, hi) && FindPaint(q, hwnd, msg)) return true;
    if ((kinds & QS_TIMER) && InRange(WM_TIMER, lo, hi)) {
      CheckTimers(q);
      std::lock_guard<std::recursive_mutex> wl(WmLock());
      for (Timer& t : q->timers) {
        if (!t.pending || !HwndMatches(hwnd, t.hwnd)) continue;
        *msg = MSG{t.hwnd, WM_TIMER, t.id, (LPARAM)t.proc, GetTickCount(), CursorPosition()};
        if (remove) {
          t.pending = false;
          ++q->actions;
        }
        return true;
      }
    }
    return false;
  }
}

bool HasWork(ThreadQueue* q) {
  {
    std::lock_guard<std::mutex> lk(q->mutex);
    if (!q->posted.empty() || !q->input.empty() || !q->sent.empty() || q->quit) return true;
  }
  MSG m;
  if (FindPaint(q, nullptr, &m)) return true;
  CheckTimers(q);
  for (const Timer& t : q->timers)
    if (t.pending) return true;
  return false;
}

// Blocks until something may have arrived for the thread.
void Wait(ThreadQueue* q, int seenWakeups, DWORD realMs = INFINITE_WAIT) {
  EnsureClockHook();
  ULONGLONG nextDue = ~0ull;
  for (const Timer& t : q->timers) nextDue = std::min(nextDue, t.due);
  std::unique_lock<std::mutex> lk(q->mutex);
  auto ready = [&] {
    return q->wakeups != seenWakeups || !q->posted.empty() || !q->input.empty() || !q->sent.empty() || q->quit;
  };
  if (ready()) return;
  ULONGLONG waitMs = realMs == INFINITE_WAIT ? ~0ull : realMs;
  if (nextDue != ~0ull && !Clock::IsVirtual()) {
    ULONGLONG now = Now();
    if (nextDue <= now) return;
    waitMs = std::min<ULONGLONG>(waitMs, nextDue - now);
  } else if (nextDue != ~0ull && nextDue <= Now()) {
    return;
  }
  if (waitMs == ~0ull)
    q->cv.wait(lk, ready);
  else
    q->cv.wait_for(lk, std::chrono::milliseconds(waitMs), ready);
}

}  // namespace

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  ThreadQueue* q = CurrentQueue();
  if (hwnd && hwnd != (HWND)-1 && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!Peek(q, msg, hwnd, filterMin, filterMax, removeFlags)) return FALSE;
  if (removeFlags & PM_REMOVE) q->lastMsg = *msg;
  return TRUE;
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (hwnd && hwnd != (HWND)-1 && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  ThreadQueue* q = CurrentQueue();
  for (;;) {
    int seen = q->wakeups.load();
    if (Peek(q, msg, hwnd, filterMin, filterMax, PM_REMOVE)) {
      q->lastMsg = *msg;
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    if (hwnd && hwnd != (HWND)-1 && !IsWindow(hwnd)) return -1;
    ++q->actions;  // idle: what was under way is done
    Wait(q, seen);
  }
}

int UiGetMessageTimeout(LPMSG msg, DWORD realMs) {
  if (!msg) return -1;
  ThreadQueue* q = CurrentQueue();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  for (;;) {
    int seen = q->wakeups.load();
    if (Peek(q, msg, nullptr, 0, 0, PM_REMOVE)) {
      q->lastMsg = *msg;
      return msg->message == WM_QUIT ? 0 : 1;
    }
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return -1;
    ++q->actions;
    Wait(q, seen, (DWORD)std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1);
  }
}

int UiQueueChangeCount() { return CurrentQueue()->wakeups.load(); }

void UiWaitForQueueChange(int seen, DWORD realMs) {
  ThreadQueue* q = CurrentQueue();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  std::unique_lock<std::mutex> lk(q->mutex);
  while (q->wakeups == seen && !q->quit) {
    if (!q->sent.empty()) {
      lk.unlock();
      ProcessSentMessages(q);
      lk.lock();
      continue;
    }
    if (realMs == INFINITE_WAIT)
      q->cv.wait(lk);
    else if (q->cv.wait_until(lk, until) == std::cv_status::timeout)
      return;
  }
}

BOOL WaitMessage() {
  ThreadQueue* q = CurrentQueue();
  int seen = q->wakeups.load();
  if (HasWork(q)) return TRUE;
  Wait(q, seen);
  return TRUE;
}

namespace {

// The character a key gives with the US layout, or 0.
int KeyChar(UINT vk, bool shift, bool ctrl, bool caps) {
  if (ctrl) {
    if (vk >= 'A' && vk <= 'Z') return (int)(vk - 'A' + 1);
    if (vk == VK_OEM_4) return 0x1B;
    if (vk == VK_OEM_5) return 0x1C;
    if (vk == VK_OEM_6) return 0x1D;
    if (vk == VK_RETURN) return 0x0A;
    if (vk == VK_BACK) return 0x7F;
    if (vk == VK_CANCEL) return 0x03;
    return 0;
  }
  if (vk >= 'A' && vk <= 'Z') return (shift != caps) ? (int)vk : (int)(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') {
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? shifted[vk - '0'] : (int)vk;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return (int)('0' + (vk - VK_NUMPAD0));
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
  }
}

}  // namespace

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  // F1 asks for help: the window's default handling turns it into WM_HELP.
  const bool help = msg->message == WM_KEYDOWN && msg->wParam == VK_F1 && !ctrl;
  int ch = help ? 0 : msg->wParam == VK_PACKET ? (int)((msg->lParam >> 16) & 0xFF)
                                                : KeyChar((UINT)msg->wParam, shift, ctrl && !alt, caps);
  if (!ch && !help) return FALSE;
  UINT charMsg = help ? WM_KEYF1 : msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  ThreadQueue* q = CurrentQueue();
  MSG m{msg->hwnd, charMsg, (WPARAM)(BYTE)ch, msg->lParam, msg->time, msg->pt};
  {
    // Posted messages come before input, so the character arrives before any later key.
    std::lock_guard<std::mutex> lk(q->mutex);
    q->posted.push_back(m);
  }
  return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    if (msg->hwnd && !IsWindow(msg->hwnd)) return 0;
    ((TIMERPROC)msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  HWND h = msg->hwnd;
  if (!h) return 0;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (!IsLive(h) || h->dead || h == Desktop()) return 0;
    if (h->queue != CurrentQueue()) return 0;
    ++h->callDepth;
  }
  struct Release {
    HWND h;
    ~Release() {
      if (--h->callDepth == 0 && h->dead) delete h;
    }
  } rel{h};
  if (msg->message == WM_PAINT) {
    unsigned serial = h->invalidateSerial;
    LRESULT r = h->proc ? h->proc(h, WM_PAINT, msg->wParam, msg->lParam) : 0;
    // A handler that neither painted nor invalidated again would be asked for ever.
    if (!h->dead && h->invalidateSerial == serial) {
      ValidateRect(h, nullptr);
      h->ncPaint = false;
    }
    return r;
  }
  return h->proc ? h->proc(h, msg->message, msg->wParam, msg->lParam) : 0;
}

DWORD GetMessageTime() { return CurrentQueue()->lastMsg.time; }

DWORD GetMessagePos() {
  const MSG& m = CurrentQueue()->lastMsg;
  return (DWORD)MAKELONG((WORD)m.pt.x, (WORD)m.pt.y);
}

DWORD GetQueueStatus(UINT flags) {
  ThreadQueue* q = CurrentQueue();
  DWORD status = 0;
  {
    std::lock_guard<std::mutex> lk(q->mutex);
    if (!q->posted.empty()) status |= QS_POSTMESSAGE;
    if (!q->sent.empty()) status |= QS_SENDMESSAGE;
    for (const MSG& m : q->input) status |= InputKind(m);
  }
  MSG m;
  if (FindPaint(q, nullptr, &m)) status |= QS_PAINT;
  CheckTimers(q);
  for (const Timer& t : q->timers)
    if (t.pending) status |= QS_TIMER;
  status &= flags;
  return MAKELONG(status, status);
}

BOOL GetInputState() {
  ThreadQueue* q = CurrentQueue();
  std::lock_guard<std::mutex> lk(q->mutex);
  return q->input.empty() ? FALSE : TRUE;
}

UINT RegisterWindowMessage(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  static std::mutex m;
  static std::map<std::string, UINT>* names = new std::map<std::string, UINT>;
  static UINT next = 0xC000;
  std::string key = name;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  std::lock_guard<std::mutex> lk(m);
  auto it = names->find(key);
  if (it != names->end()) return it->second;
  if (next > 0xFFFF) return 0;
  (*names)[key] = next;
  return next++;
}

void SetUiPumpHooks(const UiPumpHooks& hooks) { g_pumpHooks = hooks; }
const UiPumpHooks& GetUiPumpHooks() { return g_pumpHooks; }

int PumpMessages() {
  ThreadQueue* q = CurrentQueue();
  int dispatched = 0;
  LONG idle = 0;
  // Bounds keep a handler that always has more to do from hanging a test.
  for (int rounds = 0; rounds < 100000; ++rounds) {
    MSG m;
    bool any = false;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (m.message == WM_QUIT) {
        PostQuitMessage((int)m.wParam);
        return dispatched;
      }
      if (!(g_pumpHooks.preTranslate && g_pumpHooks.preTranslate(&m))) {
        TranslateMessage(&m);
        DispatchMessage(&m);
      }
      ++dispatched;
      if (dispatched % 1000000 == 0 && dispatched >= 10000000) return dispatched;
    }
    if (any) idle = 0;
    if (g_pumpHooks.idle && idle < 1000 && g_pumpHooks.idle(idle++)) continue;
    if (!HasWork(q)) break;
  }
  ++q->actions;  // idle: what was under way is done
  return dispatched;
}

// ---- Accelerators -------------------------------------------------------------------------------

struct HACCEL__ {
  std::vector<ACCEL> items;
  bool fromResource = false;
};

HACCEL CreateAcceleratorTable(const ACCEL* accel, int count) {
  if (!accel || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* a = new HACCEL__;
  a->items.assign(accel, accel + count);
  return a;
}

BOOL DestroyAcceleratorTable(HACCEL accel) {
  if (!accel) return FALSE;
  if (accel->fromResource) return TRUE;  // shared with every caller that loaded it
  delete accel;
  return TRUE;
}

int CopyAcceleratorTable(HACCEL accel, LPACCEL dst, int count) {
  if (!accel) return 0;
  if (!dst) return (int)accel->items.size();
  int n = std::min<int>(count, (int)accel->items.size());
  for (int i = 0; i < n; ++i) dst[i] = accel->items[(size_t)i];
  return n;
}

HACCEL LoadAccelerators(HINSTANCE instance, LPCSTR name) {
  static std::mutex m;
  static std::map<std::pair<HINSTANCE, std::string>, HACCEL>* cache = new std::map<std::pair<HINSTANCE, std::string>, HACCEL>;
  HRSRC r = FindResource(instance, name, RT_ACCELERATOR);
  if (!r) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : std::string(name);
  std::lock_guard<std::mutex> lk(m);
  auto it = cache->find({instance, key});
  if (it != cache->end()) return it->second;
  auto* data = (const ACCEL*)LockResource(LoadResource(instance, r));
  DWORD size = SizeofResource(instance, r);
  if (!data || size < sizeof(ACCEL)) return nullptr;
  auto* a = new HACCEL__;
  a->items.assign(data, data + size / sizeof(ACCEL));
  a->fromResource = true;
  (*cache)[{instance, key}] = a;
  return a;
}

int TranslateAccelerator(HWND hwnd, HACCEL accel, LPMSG msg) {
  if (!accel || !msg || !IsWindow(hwnd)) return 0;
  UINT m = msg->message;
  bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
  bool charMsg = m == WM_CHAR || m == WM_SYSCHAR;
  if (!keyDown && !charMsg) return 0;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  for (const ACCEL& a : accel->items) {
    bool virt = (a.fVirt & FVIRTKEY) != 0;
    if (virt) {
      if (!keyDown || a.key != (WORD)msg->wParam) continue;
      if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl || ((a.fVirt & FALT) != 0) != alt)
        continue;
    } else {
      if (!charMsg || a.key != (WORD)msg->wParam) continue;
      if (((a.fVirt & FALT) != 0) != (m == WM_SYSCHAR)) continue;
    }
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
    return 1;
  }
  return 0;
}

// ---- Timers -------------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  ThreadQueue* q = CurrentQueue();
  if (hwnd) {
    if (!IsWindow(hwnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (hwnd->queue != q) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  ULONGLONG due = Now() + elapse;
  if (!hwnd) {
    for (Timer& t : q->timers)
      if (!t.hwnd && t.id == id && id) {
        t = Timer{nullptr, id, elapse, due, proc, false};
        return id;
      }
    static std::atomic<UINT_PTR> nextId{0x7FFE0000};
    id = nextId++;
  } else {
    for (Timer& t : q->timers)
      if (t.hwnd == hwnd && t.id == id) {
        t = Timer{hwnd, id, elapse, due, proc, false};
        return id ? id : 1;
      }
  }
  q->timers.push_back(Timer{hwnd, id, elapse, due, proc, false});
  return (hwnd && !id) ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  ThreadQueue* q = CurrentQueue();
  auto& t = q->timers;
  auto it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
  if (it == t.end()) return FALSE;
  t.erase(it);
  return TRUE;
}

// ---- Thread exit ----------------------------------------------------------------------------------

void UiEndThreadQueue() {
  ThreadQueue* q = CurrentQueue();
  if (!q->alive) return;
  // The thread's windows end with it, as they would on Win32.
  std::vector<HWND> own;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    for (HWND w : Desktop()->children)
      if (w->queue == q) own.push_back(w);
  }
  for (HWND w : own)
    if (IsWindow(w)) DestroyWindow(w);
  std::deque<SentMessage*> pending;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    std::lock_guard<std::mutex> lk(q->mutex);
    if (!q->alive) return;
    q->alive = false;
    pending.swap(q->sent);
    q->posted.clear();
    q->input.clear();
  }
  q->timers.clear();
  for (SentMessage* s : pending) {
    {
      std::lock_guard<std::mutex> lk(s->sender->mutex);
      s->result = 0;
      s->done = true;
    }
    s->sender->cv.notify_all();
  }
}
