// The shell's folder picker (SHBrowseForFolder) and item identifier lists, answered through the
// automation interface (DialogAutomation::PushFolderResult).
#pragma once

#include "platform/ui/WinDefs.h"

typedef LONG HRESULT;
#ifndef S_OK
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif
#ifndef CALLBACK
#define CALLBACK
#endif

// An item identifier list: here, a path.
struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

typedef int (*BFFCALLBACK)(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

#define BIF_RETURNONLYFSDIRS 0x0001u
#define BIF_DONTGOBELOWDOMAIN 0x0002u
#define BIF_STATUSTEXT 0x0004u
#define BIF_RETURNFSANCESTORS 0x0008u
#define BIF_EDITBOX 0x0010u
#define BIF_VALIDATE 0x0020u
#define BIF_NEWDIALOGSTYLE 0x0040u
#define BIF_USENEWUI (BIF_NEWDIALOGSTYLE | BIF_EDITBOX)
#define BIF_BROWSEFORCOMPUTER 0x1000u
#define BIF_BROWSEFORPRINTER 0x2000u
#define BIF_BROWSEINCLUDEFILES 0x4000u

#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_VALIDATEFAILED 3
#define BFFM_SETSTATUSTEXT (WM_USER + 100)
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTION (WM_USER + 102)

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_DRIVES 0x0011
#define CSIDL_APPDATA 0x001A
#define CSIDL_LOCAL_APPDATA 0x001C
#define CSIDL_COMMON_APPDATA 0x0023

struct BROWSEINFO {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPSTR pszDisplayName;  // MAX_PATH bytes
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
typedef BROWSEINFO BROWSEINFOA;
typedef BROWSEINFO* LPBROWSEINFO;

// Null when cancelled; the list is freed with CoTaskMemFree.
LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFO info);
BOOL SHGetPathFromIDList(LPCITEMIDLIST pidl, LPSTR path);
// The desktop and "My Computer" are the root of the file system here.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* pidl);
BOOL SHGetSpecialFolderPath(HWND owner, LPSTR path, int folder, BOOL create);
LPITEMIDLIST ILCreateFromPath(LPCSTR path);
void ILFree(LPITEMIDLIST pidl);
void CoTaskMemFree(void* p);
