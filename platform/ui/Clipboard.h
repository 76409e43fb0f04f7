// Global memory handles and the clipboard: formats, open/close, data, and a "held open by another
// program" state for tests.
#pragma once

#include "platform/ui/WinDefs.h"

#include <string>

#ifndef ERROR_CLIPBOARD_NOT_OPEN
#define ERROR_CLIPBOARD_NOT_OPEN 1418
#endif

typedef size_t SIZE_T;
#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_NOCOMPACT 0x0010u
#define GMEM_NODISCARD 0x0020u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_MODIFY 0x0080u
#define GMEM_DISCARDABLE 0x0100u
#define GMEM_SHARE 0x2000u
#define GMEM_DDESHARE 0x2000u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// Null (and ERROR_NOT_ENOUGH_MEMORY) when the size cannot be had; functions given a handle that is not
// one fail without touching anything.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
LPVOID GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
SIZE_T GlobalSize(HGLOBAL mem);
UINT GlobalFlags(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);  // null when freed, the handle when it was none
// A new movable block with the same bytes; null for none, an empty block or no memory.
HGLOBAL AfxCopyGlobalMemory(HGLOBAL hSource);

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_METAFILEPICT 3
#define CF_SYLK 4
#define CF_DIF 5
#define CF_TIFF 6
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_PALETTE 9
#define CF_UNICODETEXT 13
#define CF_ENHMETAFILE 14
#define CF_HDROP 15
#define CF_LOCALE 16

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// The clipboard owns `mem` afterwards. Needs the clipboard open by the caller.
HANDLE SetClipboardData(UINT format, HANDLE mem);
// CF_TEXT and CF_OEMTEXT stand in for each other. Needs the clipboard open by the caller.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
HWND GetOpenClipboardWindow();
HWND GetClipboardOwner();
// The same number for the same name (without regard to case), shared with registered messages.
UINT RegisterClipboardFormat(LPCSTR name);
int GetClipboardFormatName(UINT format, LPSTR buf, int size);

// For tests: while set, OpenClipboard fails as if another program held the clipboard open.
void SetClipboardHeldByOtherProgram(BOOL held);
// For tests: empties the clipboard and closes it whoever holds it.
void ResetClipboard();
// Convenience for the layer's controls and tests: CF_TEXT in and out (false when the clipboard
// cannot be opened or holds no text).
bool ClipboardSetText(HWND owner, const char* text, size_t len);
bool ClipboardGetText(HWND owner, std::string& text);
