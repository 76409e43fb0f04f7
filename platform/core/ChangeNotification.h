// Folder change notifications polled with a zero wait, as the text documents watch their files.
//
// A handle remembers the names, sizes and modification times of a folder's entries (one level,
// no subfolders). It is signalled while the folder differs from that picture in what the filter
// asks for (a removed file counts as a last write); FindNextChangeNotification takes a new picture
// and so re-arms it.
#pragma once

#include "platform/core/Types.h"

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#endif
#ifndef WAIT_OBJECT_0
#define WAIT_OBJECT_0 0u
#endif
#ifndef WAIT_TIMEOUT
#define WAIT_TIMEOUT 258u
#endif
#ifndef WAIT_FAILED
#define WAIT_FAILED 0xFFFFFFFFu
#endif
#define FILE_NOTIFY_CHANGE_FILE_NAME 0x00000001u
#define FILE_NOTIFY_CHANGE_DIR_NAME 0x00000002u
#define FILE_NOTIFY_CHANGE_SIZE 0x00000008u
#define FILE_NOTIFY_CHANGE_LAST_WRITE 0x00000010u

// INVALID_HANDLE_VALUE for a missing folder, a subtree watch or an empty filter.
HANDLE FindFirstChangeNotification(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter);
inline HANDLE FindFirstChangeNotificationA(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter) {
  return FindFirstChangeNotification(pathName, watchSubtree, notifyFilter);
}
BOOL FindNextChangeNotification(HANDLE handle);
BOOL FindCloseChangeNotification(HANDLE handle);
// Polls a change-notification handle: WAIT_OBJECT_0 when signalled, else WAIT_TIMEOUT. Only a zero
// wait is offered; a longer one, or an unknown handle, gives WAIT_FAILED.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
