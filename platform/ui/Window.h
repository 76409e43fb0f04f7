// The window manager's Win32 functions: classes, creation and destruction, the window tree,
// geometry, styles, focus, activation, capture, painting bookkeeping and window scroll bars.
#pragma once

#include "platform/ui/WinDefs.h"

#include <vector>

// The virtual desktop the layer's windows live on.
#define DRAVONIX_DESKTOP_WIDTH 1280
#define DRAVONIX_DESKTOP_HEIGHT 1024

// A held scroll-bar arrow or page area acts again after this delay, then at this period (ms).
#define DRAVONIX_SCROLL_REPEAT_DELAY 200
#define DRAVONIX_SCROLL_REPEAT_RATE 50

// Window metrics used for frames, captions and scroll bars.
int UiSystemMetric(int index);

// ---- Classes ---------------------------------------------------------------------------------
ATOM RegisterClass(const WNDCLASS* wc);
ATOM RegisterClassEx(const WNDCLASSEX* wc);
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* wc);
BOOL GetClassInfoEx(HINSTANCE instance, LPCSTR className, WNDCLASSEX* wc);
int GetClassName(HWND hwnd, LPSTR buf, int size);
ULONG_PTR GetClassLongPtr(HWND hwnd, int index);
ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value);
inline DWORD GetClassLong(HWND hwnd, int index) { return (DWORD)GetClassLongPtr(hwnd, index); }

// ---- Creation and destruction ----------------------------------------------------------------
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                         int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Tree ------------------------------------------------------------------------------------
HWND GetDesktopWindow();
HWND GetParent(HWND hwnd);  // the parent of a child, the owner of a popup
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetTopWindow(HWND hwnd);
inline HWND GetNextWindow(HWND hwnd, UINT cmd) { return GetWindow(hwnd, cmd); }
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
LRESULT SendDlgItemMessage(HWND parent, int id, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemText(HWND parent, int id, LPCSTR text);
UINT GetDlgItemText(HWND parent, int id, LPSTR buf, int size);
BOOL SetDlgItemInt(HWND parent, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND parent, int id, BOOL* translated, BOOL isSigned);
// Dialog navigation over the window tree: the next (or previous) visible, enabled control with
// WS_TABSTOP, looking into children with WS_EX_CONTROLPARENT; the next in hCtl's WS_GROUP group.
HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
HWND FindWindow(LPCSTR className, LPCSTR windowName);

// ---- Text, long values, properties --------------------------------------------------------------
BOOL SetWindowText(HWND hwnd, LPCSTR text);
int GetWindowText(HWND hwnd, LPSTR buf, int size);
int GetWindowTextLength(HWND hwnd);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLong(HWND hwnd, int index) { return (LONG)GetWindowLongPtr(hwnd, index); }
inline LONG SetWindowLong(HWND hwnd, int index, LONG value) { return (LONG)SetWindowLongPtr(hwnd, index, value); }
BOOL SetProp(HWND hwnd, LPCSTR name, HANDLE data);
HANDLE GetProp(HWND hwnd, LPCSTR name);
HANDLE RemoveProp(HWND hwnd, LPCSTR name);

// ---- State -----------------------------------------------------------------------------------
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL FlashWindow(HWND hwnd, BOOL invert);
BOOL BringWindowToTop(HWND hwnd);

// ---- Geometry --------------------------------------------------------------------------------
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
HDWP BeginDeferWindowPos(int count);
HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL EndDeferWindowPos(HDWP info);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
BOOL ClientToScreen(HWND hwnd, LPPOINT pt);
BOOL ScreenToClient(HWND hwnd, LPPOINT pt);
int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count);
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
inline BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }
HWND WindowFromPoint(POINT screenPt);
HWND ChildWindowFromPoint(HWND parent, POINT clientPt);
HWND ChildWindowFromPointEx(HWND parent, POINT clientPt, UINT flags);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp);
BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* wp);

// ---- Focus, activation, capture ---------------------------------------------------------------
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// ---- Painting bookkeeping ------------------------------------------------------------------------
BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, LPCRECT rect);
BOOL RedrawWindow(HWND hwnd, LPCRECT rect, HRGN region, UINT flags);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
// The update region as rectangles in client coordinates (the drawing layer clips paint DCs to it).
int GetUpdateRects(HWND hwnd, RECT* rects, int maxRects);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect);
// The region argument is accepted for the signature; the update rectangle reports what was invalidated.
int ScrollWindowEx(HWND hwnd, int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect, HRGN updateRegion,
                   LPRECT updateRect, UINT flags);
BOOL LockWindowUpdate(HWND hwnd);

// Starts and ends painting a window's client area: the erase message, validation and caret hiding
// that BeginPaint and EndPaint do. `hdc` is the device context the erase message receives.
// Returns the paint rectangle (client coordinates) and whether the background still needs erasing.
BOOL UiBeginPaint(HWND hwnd, HDC hdc, RECT* paintRect, BOOL* eraseNeeded);
void UiEndPaint(HWND hwnd);

// Where a window's pixels go: the drawing layer installs one so device contexts of windows draw
// somewhere, and so scrolling moves pixels. Without one, painting is bookkeeping only.
class IWindowPaintBackend {
 public:
  virtual ~IWindowPaintBackend() = default;
  // Moves pixels of the window's client area: each destination rectangle (client coordinates) gets
  // the pixels dx, dy away from it, as they were before any of them moved.
  virtual void ScrollPixels(HWND hwnd, const std::vector<RECT>& dest, int dx, int dy) = 0;
  // A window is destroyed: drop anything kept for it.
  virtual void WindowDestroyed(HWND hwnd) = 0;
  // A top-level window changed size.
  virtual void WindowResized(HWND hwnd) = 0;
};
void SetWindowPaintBackend(IWindowPaintBackend* backend);
IWindowPaintBackend* GetWindowPaintBackend();

// ---- Window scroll bars -------------------------------------------------------------------------
int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);
// SB_CTL goes to the scroll-bar control as these messages.
#define SBM_SETPOS 0x00E0
#define SBM_GETPOS 0x00E1
#define SBM_SETRANGE 0x00E2
#define SBM_GETRANGE 0x00E3
#define SBM_ENABLE_ARROWS 0x00E4
#define SBM_SETRANGEREDRAW 0x00E6
#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA
