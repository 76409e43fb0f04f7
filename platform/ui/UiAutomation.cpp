#include "platform/ui/UiAutomation.h"

#include "platform/core/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <atomic>
#include <mutex>

namespace UiAutomation {
namespace {

struct HandlerEntry {
  int id;
  std::string className;  // empty: any
  ModalHandler handler;
  bool once;
};

std::mutex g_mutex;
std::vector<HandlerEntry> g_handlers;
int g_nextId = 1;
std::vector<std::string> g_stalled;
SaveNameHandler g_saveName;
std::atomic<DWORD> g_stallMs{10000};

UINT KeyFlags(UINT modifiers, UINT buttons) {
  UINT k = buttons;
  if (modifiers & kShift) k |= MK_SHIFT;
  if (modifiers & kControl) k |= MK_CONTROL;
  return k;
}

const LPARAM kDown = 1, kUp = (LPARAM)0xC0000001u;

void HoldModifiers(UINT modifiers, bool down) {
  UINT msg = down ? WM_KEYDOWN : WM_KEYUP;
  LPARAM lp = down ? kDown : kUp;
  if (modifiers & kShift) PostKeyInput(msg, VK_SHIFT, lp);
  if (modifiers & kControl) PostKeyInput(msg, VK_CONTROL, lp);
  if (modifiers & kAlt) PostKeyInput(down ? WM_SYSKEYDOWN : WM_KEYUP, VK_MENU, lp);
}

// A key going down or up; while Alt is held it comes as a system key with the context bit.
void PostKey(UINT vk, bool down) {
  const bool alt = vk != VK_MENU && (GetAsyncKeyState(VK_MENU) & 0x8000);
  if (down) PostKeyInput(alt || vk == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? 0x20000001 : kDown);
  else PostKeyInput(alt ? WM_SYSKEYUP : WM_KEYUP, vk, alt ? (LPARAM)0xE0000001u : kUp);
}

POINT OnScreen(HWND hwnd, POINT client) {
  ClientToScreen(hwnd, &client);
  return client;
}

// One click at a screen point, the modifiers held around it. A press and its release are posted
// before pumping: the press may run a loop of its own that waits for the release. Each message
// finds its window (the capture first) when it is taken.
void ClickAt(POINT screen, UINT modifiers) {
  HoldModifiers(modifiers, true);
  PostMouseInput(WM_MOUSEMOVE, KeyFlags(modifiers, 0), screen);
  PumpMessages();
  PostMouseInput(WM_LBUTTONDOWN, KeyFlags(modifiers, MK_LBUTTON), screen);
  PostMouseInput(WM_LBUTTONUP, KeyFlags(modifiers, 0), screen);
  PumpMessages();
  HoldModifiers(modifiers, false);
  PumpMessages();
}

bool ClassMatches(CWnd* wnd, const std::string& name) {
  if (name.empty()) return true;
  for (CRuntimeClass* c = wnd->GetRuntimeClass(); c; c = c->GetBaseClass())
    if (name == c->m_lpszClassName) return true;
  return false;
}

// The key and shift state that type a character with the US layout; false when none does.
bool CharKey(unsigned char c, UINT& vk, bool& shift) {
  shift = false;
  if (c >= 'a' && c <= 'z') { vk = c - 'a' + 'A'; return true; }
  if (c >= 'A' && c <= 'Z') { vk = c; shift = true; return true; }
  if (c >= '0' && c <= '9') { vk = c; return true; }
  static const char shiftedDigits[] = ")!@#$%^&*(";
  for (int i = 0; i < 10; ++i)
    if (shiftedDigits[i] == (char)c) { vk = '0' + (UINT)i; shift = true; return true; }
  struct P { char plain, shifted; UINT vk; };
  static const P punct[] = {{';', ':', VK_OEM_1}, {'=', '+', VK_OEM_PLUS}, {',', '<', VK_OEM_COMMA},
                            {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
                            {'`', '~', VK_OEM_3}, {'[', '{', VK_OEM_4}, {'\\', '|', VK_OEM_5},
                            {']', '}', VK_OEM_6}, {'\'', '"', VK_OEM_7}};
  for (const P& p : punct) {
    if ((char)c == p.plain) { vk = p.vk; return true; }
    if ((char)c == p.shifted) { vk = p.vk; shift = true; return true; }
  }
  switch (c) {
    case ' ': vk = VK_SPACE; return true;
    case '\n': case '\r': vk = VK_RETURN; return true;
    case '\t': vk = VK_TAB; return true;
    case 8: vk = VK_BACK; return true;
    case 27: vk = VK_ESCAPE; return true;
    default: return false;
  }
}

}  // namespace

void SetModalStallTimeout(DWORD realMs) { g_stallMs = realMs ? realMs : 1; }
DWORD GetModalStallTimeout() { return g_stallMs; }

void Reset() {
  g_stallMs = 10000;
  std::lock_guard<std::mutex> lk(g_mutex);
  g_handlers.clear();
  g_stalled.clear();
  g_saveName = nullptr;
}

int Pump() { return PumpMessages(); }

void AdvanceClock(ULONGLONG ms, ULONGLONG stepMs) {
  if (stepMs == 0 || stepMs >= ms) {
    Clock::Advance(ms);
    PumpMessages();
    return;
  }
  ULONGLONG done = 0;
  while (done < ms) {
    ULONGLONG s = std::min(stepMs, ms - done);
    Clock::Advance(s);
    PumpMessages();
    done += s;
  }
}

void MouseMove(HWND hwnd, POINT pt, UINT modifiers) {
  if (!IsWindow(hwnd)) return;
  PostMouseInput(hwnd, WM_MOUSEMOVE, KeyFlags(modifiers, 0), pt);
  PumpMessages();
}

void Click(HWND hwnd, POINT pt, UINT modifiers) {
  if (IsWindow(hwnd)) ClickAt(OnScreen(hwnd, pt), modifiers);
}

void RightClick(HWND hwnd, POINT pt, UINT modifiers) {
  if (!IsWindow(hwnd)) return;
  const POINT screen = OnScreen(hwnd, pt);
  HoldModifiers(modifiers, true);
  PostMouseInput(WM_MOUSEMOVE, KeyFlags(modifiers, 0), screen);
  PumpMessages();
  PostMouseInput(WM_RBUTTONDOWN, KeyFlags(modifiers, MK_RBUTTON), screen);
  PostMouseInput(WM_RBUTTONUP, KeyFlags(modifiers, 0), screen);
  PumpMessages();
  HoldModifiers(modifiers, false);
  PumpMessages();
}

void DoubleClick(HWND hwnd, POINT pt, UINT modifiers) {
  if (!IsWindow(hwnd)) return;
  // The screen point is kept: the first click may move the window.
  const POINT screen = OnScreen(hwnd, pt);
  ClickAt(screen, modifiers);
  ClickAt(screen, modifiers);
}

void Drag(HWND hwnd, POINT from, POINT to, int steps, UINT modifiers) {
  if (!IsWindow(hwnd)) return;
  if (steps < 1) steps = 1;
  const POINT a = OnScreen(hwnd, from), b = OnScreen(hwnd, to);
  // The keys are held, not only named in the mouse messages: handlers ask the keyboard's state.
  HoldModifiers(modifiers, true);
  PostMouseInput(WM_MOUSEMOVE, KeyFlags(modifiers, 0), a);
  PumpMessages();
  PostMouseInput(WM_LBUTTONDOWN, KeyFlags(modifiers, MK_LBUTTON), a);
  for (int i = 1; i <= steps; ++i) {
    POINT p{a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps};
    PostMouseInput(WM_MOUSEMOVE, KeyFlags(modifiers, MK_LBUTTON), p);
  }
  PostMouseInput(WM_LBUTTONUP, KeyFlags(modifiers, 0), b);
  PumpMessages();
  HoldModifiers(modifiers, false);
  PumpMessages();
}

void Wheel(HWND hwnd, POINT pt, int delta) {
  if (!IsWindow(hwnd)) return;
  PostMouseInput(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)delta), OnScreen(hwnd, pt));
  PumpMessages();
}

void KeyDown(UINT vk) {
  PostKey(vk, true);
  PumpMessages();
}

void KeyUp(UINT vk) {
  PostKey(vk, false);
  PumpMessages();
}

void PressKey(UINT vk, UINT modifiers) {
  HoldModifiers(modifiers, true);
  PostKey(vk, true);
  PostKey(vk, false);
  HoldModifiers(modifiers, false);
  PumpMessages();
}

void TypeText(const char* text) {
  if (!text) return;
  for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
    UINT vk;
    bool shift;
    if (CharKey(*p, vk, shift)) {
      PressKey(vk, shift ? kShift : kNone);
    } else {
      const LPARAM scan = (LPARAM)*p << 16;
      PostKeyInput(WM_KEYDOWN, VK_PACKET, scan | kDown);
      PostKeyInput(WM_KEYUP, VK_PACKET, scan | kUp);
      PumpMessages();
    }
  }
}

int AddModalLoopHandler(const char* className, ModalHandler handler, bool once) {
  std::lock_guard<std::mutex> lk(g_mutex);
  int id = g_nextId++;
  g_handlers.push_back(HandlerEntry{id, className ? className : "", std::move(handler), once});
  return id;
}

void RemoveModalLoopHandler(int id) {
  std::lock_guard<std::mutex> lk(g_mutex);
  for (auto it = g_handlers.begin(); it != g_handlers.end(); ++it)
    if (it->id == id) {
      g_handlers.erase(it);
      return;
    }
}

void ClearModalLoopHandlers() {
  std::lock_guard<std::mutex> lk(g_mutex);
  g_handlers.clear();
}

bool HasModalLoopHandler(CWnd* wnd) {
  if (!wnd) return false;
  std::lock_guard<std::mutex> lk(g_mutex);
  for (const HandlerEntry& e : g_handlers)
    if (ClassMatches(wnd, e.className)) return true;
  return false;
}

void ModalLoopStarted(CWnd* wnd) {
  if (!wnd) return;
  ModalHandler run;
  {
    std::lock_guard<std::mutex> lk(g_mutex);
    for (auto it = g_handlers.begin(); it != g_handlers.end(); ++it) {
      if (!ClassMatches(wnd, it->className)) continue;
      run = it->handler;
      if (it->once) g_handlers.erase(it);
      break;
    }
  }
  if (run) run(wnd);
}

void ModalLoopStalled(CWnd* wnd) {
  std::lock_guard<std::mutex> lk(g_mutex);
  g_stalled.push_back(wnd ? wnd->GetRuntimeClass()->m_lpszClassName : "");
}

std::vector<std::string> StalledModalLoops() {
  std::lock_guard<std::mutex> lk(g_mutex);
  return g_stalled;
}

void ClearStalledModalLoops() {
  std::lock_guard<std::mutex> lk(g_mutex);
  g_stalled.clear();
}

void SetSaveFileNameHandler(SaveNameHandler handler) {
  std::lock_guard<std::mutex> lk(g_mutex);
  g_saveName = std::move(handler);
}

bool PromptSaveFileName(CDocument* doc, CString& path) {
  SaveNameHandler h;
  {
    std::lock_guard<std::mutex> lk(g_mutex);
    h = g_saveName;
  }
  return h ? h(doc, path) : false;
}

}  // namespace UiAutomation
