// Per-thread message queues: sending, posting, retrieving and dispatching messages, WM_QUIT,
// registered messages, accelerators, timers, and the input state (keys, mouse, caret, cursor).
#pragma once

#include "platform/ui/WinDefs.h"

#include <functional>

// ---- Sending and posting ------------------------------------------------------------------------
// Across threads SendMessage waits for the owner thread, handling messages sent to its own
// thread meanwhile. A window that is gone answers 0.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL InSendMessage();
DWORD UiCurrentThreadId();
// Runs `fn` on the thread that owns the window, as a message sent to it would run (at once on that thread), and
// returns its result; 0 when the window is gone. Painting and reading a window's pixels belong to its owner.
LRESULT UiCallOnWindowThread(HWND hwnd, const std::function<LRESULT()>& fn);

// ---- Retrieving ---------------------------------------------------------------------------------
// Order as Win32: sent messages, posted messages, WM_QUIT, input, WM_PAINT, WM_TIMER.
BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits; returns 0 for WM_QUIT, -1 on bad arguments.
BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL WaitMessage();
// A count that moves on whenever something is posted or sent to the calling thread. A loop that takes only
// some messages reads it before looking and then sleeps in UiWaitForQueueChange until something new comes
// (messages sent meanwhile are handled), so messages it leaves in the queue do not keep it awake.
// With `realMs` the wait ends after that many milliseconds of real time at the latest.
int UiQueueChangeCount();
void UiWaitForQueueChange(int seen, DWORD realMs = 0xFFFFFFFFu);
// GetMessage that gives up after `realMs` milliseconds of real time with nothing to retrieve:
// 1 for a message, 0 for WM_QUIT, -1 on time-out. Modal loops use it to notice a stalled test.
int UiGetMessageTimeout(LPMSG msg, DWORD realMs);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
DWORD GetMessageTime();
DWORD GetMessagePos();
// HIWORD: what kinds of messages are waiting (QS_ bits); LOWORD: what arrived since last asked.
DWORD GetQueueStatus(UINT flags);
BOOL GetInputState();
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE)
// PeekMessage flags that take only these kinds of messages (none of them: every kind). WM_QUIT counts as posted.
#define PM_QS_INPUT (QS_INPUT << 16)
#define PM_QS_POSTMESSAGE ((QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER) << 16)
#define PM_QS_PAINT (QS_PAINT << 16)
#define PM_QS_SENDMESSAGE (QS_SENDMESSAGE << 16)

// Registered messages: the same number for the same name (without regard to case), from 0xC000.
UINT RegisterWindowMessage(LPCSTR name);

// Runs the current thread's queue until it is empty and the idle handler has nothing more to do.
// WM_QUIT stays in the queue (reposted) for the loop that owns it. Returns the messages dispatched.
int PumpMessages();
// The framework installs the per-thread idle handler and the message pre-translation used by
// PumpMessages; both are optional.
struct UiPumpHooks {
  BOOL (*preTranslate)(MSG* msg) = nullptr;
  BOOL (*idle)(LONG count) = nullptr;
};
void SetUiPumpHooks(const UiPumpHooks& hooks);
const UiPumpHooks& GetUiPumpHooks();

// ---- Simulated input ----------------------------------------------------------------------------
// Hardware input, as the devices give it. It updates the key state and the cursor position at once;
// the window that takes it is found when it is read: a key goes to the window that has the focus
// then (the active window, as a system key, when none has), mouse input to the capture or the
// window under the point by hit testing, the wheel to the focus. A second click turns into a double
// click for CS_DBLCLKS classes; WM_MOUSEACTIVATE and WM_SETCURSOR are asked for as it is read.
// VK_PACKET types the character in the scan-code byte of lParam (bits 16-23).
BOOL PostKeyInput(UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMouseInput(UINT msg, WPARAM wParam, POINT screen);
// The point given in `frame`'s client coordinates; `frame` only places the point.
BOOL PostMouseInput(HWND frame, UINT msg, WPARAM wParam, POINT client);

// ---- Accelerators -------------------------------------------------------------------------------
HACCEL CreateAcceleratorTable(const ACCEL* accel, int count);
BOOL DestroyAcceleratorTable(HACCEL accel);
int CopyAcceleratorTable(HACCEL accel, LPACCEL dst, int count);
// Finds the table among the module's resources (RT_ACCELERATOR holding ACCEL entries).
HACCEL LoadAccelerators(HINSTANCE instance, LPCSTR name);
int TranslateAccelerator(HWND hwnd, HACCEL accel, LPMSG msg);
// The MDI keys: Ctrl+F4 closes the client's active child, Ctrl+F6 and Ctrl+Tab activate the next one
// (with Shift, the previous one).
BOOL TranslateMDISysAccel(HWND client, LPMSG msg);

// ---- Timers -------------------------------------------------------------------------------------
// Timers run on the layer's clock. A due timer has at most one WM_TIMER waiting: timers that fall
// due again before it is retrieved merge into it.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

// ---- Keyboard ----------------------------------------------------------------------------------
SHORT GetKeyState(int vk);
SHORT GetAsyncKeyState(int vk);
BOOL GetKeyboardState(BYTE* state);
BOOL SetKeyboardState(const BYTE* state);

// ---- Mouse, cursors -----------------------------------------------------------------------------
BOOL GetCursorPos(LPPOINT pt);
BOOL SetCursorPos(int x, int y);
BOOL ClipCursor(LPCRECT rect);
BOOL GetClipCursor(LPRECT rect);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);
BOOL SwapMouseButton(BOOL swap);
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL DestroyCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
HICON LoadIcon(HINSTANCE instance, LPCSTR name);
// A bitmap resource of one module (null: the main program), without searching the resource chain.
HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name);
BOOL DestroyIcon(HICON icon);
// What a cursor or icon handle stands for: the resource id (0 for a named one) and name.
struct HICON__ {
  HINSTANCE instance = nullptr;
  UINT id = 0;
  const char* name = "";
  bool isCursor = true;
  bool shared = true;
};

// ---- Caret ---------------------------------------------------------------------------------------
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(LPPOINT pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);
// For tests: the caret's owner, size and whether it is shown.
struct UiCaretInfo {
  HWND owner;
  POINT pos;
  int width;
  int height;
  BOOL visible;
};
UiCaretInfo GetUiCaretInfo();

// ---- Thread exit ----------------------------------------------------------------------------------
// Ends the current thread's queue: pending sent messages are answered 0 and later posts fail.
// Runs by itself when a thread ends; a thread object calls it before its thread returns.
void UiEndThreadQueue();
