// The window layer's part of the automation interface: simulated mouse and keyboard input on
// windows, the clock and the pump, and handlers that run when a modal loop starts.
#pragma once

#include "platform/core/String.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <string>
#include <vector>

class CWnd;
class CDocument;

namespace UiAutomation {

// Modifier keys held during a key press or click.
enum Modifiers : UINT { kNone = 0, kShift = 1, kControl = 2, kAlt = 4 };

// Forgets modal-loop handlers, the stalled-loop log and the save-name handler.
void Reset();
// Runs the calling thread's queue until it is empty and idle work is done.
int Pump();
// Virtual time: moves the clock on and pumps, in steps of `stepMs` (0: one step).
void AdvanceClock(ULONGLONG ms, ULONGLONG stepMs = 0);

// ---- Mouse, as the device gives it: `pt` is a point of the screen given in `hwnd`'s client
// coordinates; the input goes to the window under that point (or the capture), whichever window
// that is. Each helper pumps after the gesture.
void MouseMove(HWND hwnd, POINT pt, UINT modifiers = kNone);
void Click(HWND hwnd, POINT pt, UINT modifiers = kNone);
void RightClick(HWND hwnd, POINT pt, UINT modifiers = kNone);
void DoubleClick(HWND hwnd, POINT pt, UINT modifiers = kNone);
void Drag(HWND hwnd, POINT from, POINT to, int steps = 4, UINT modifiers = kNone);
// The wheel turns over the point; the focus window hears it.
void Wheel(HWND hwnd, POINT pt, int delta);

// ---- Keyboard, as the device gives it: each key goes to the window that has the focus when it
// arrives (key-down, the character TranslateMessage makes of it, key-up).
void KeyDown(UINT vk);
void KeyUp(UINT vk);
void PressKey(UINT vk, UINT modifiers = kNone);
// Types text key by key (letters, digits, US punctuation, Enter for '\n' or '\r', Tab, Backspace,
// Escape); other bytes as VK_PACKET keys, whose character TranslateMessage gives.
void TypeText(const char* text);

// ---- Modal loops ----
// A handler runs when a modal loop starts on a window whose run-time class (or a base) has the
// given name; a null name matches every window. It usually drives input and ends the loop.
using ModalHandler = std::function<void(CWnd* wnd)>;
int AddModalLoopHandler(const char* className, ModalHandler handler, bool once = true);
void RemoveModalLoopHandler(int id);
void ClearModalLoopHandlers();
// Whether a handler would run for this window's modal loop.
bool HasModalLoopHandler(CWnd* wnd);
// Called by the layer's modal loops.
void ModalLoopStarted(CWnd* wnd);
void ModalLoopStalled(CWnd* wnd);
// In virtual time a modal loop that waits this long in real time with nothing to do ends with -1
// and is logged, rather than hanging a test (default 10000 ms).
void SetModalStallTimeout(DWORD realMs);
DWORD GetModalStallTimeout();
// Run-time class names of the modal loops that ended because nothing was left to drive them.
std::vector<std::string> StalledModalLoops();
void ClearStalledModalLoops();

// ---- Saving without a path ----
// Supplies the file name a document is saved under when it has none; without a handler saving
// such a document is cancelled.
using SaveNameHandler = std::function<bool(CDocument* doc, CString& path)>;
void SetSaveFileNameHandler(SaveNameHandler handler);
bool PromptSaveFileName(CDocument* doc, CString& path);

}  // namespace UiAutomation
