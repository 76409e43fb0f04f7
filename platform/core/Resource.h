// Module resource tables and the resource chain (host, kernel, then plug-ins).
#pragma once

#include "platform/core/Module.h"
#include "platform/core/Object.h"

#include <string>
#include <vector>

#define MAKEINTRESOURCE(i) ((LPSTR)(ULONG_PTR)((WORD)(i)))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)
typedef uintptr_t ULONG_PTR;

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_MESSAGETABLE MAKEINTRESOURCE(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_TOOLBAR MAKEINTRESOURCE(241)

// A module's resources as C++ data. Types and names are numbers (MAKEINTRESOURCE) or texts; texts
// match without regard to case and "#123" means the number 123. Bitmaps, icons and cursors hold the
// bytes of PNG files; dialogs, menus, toolbars and accelerators hold the window layer's structures.
// A message table (RT_MESSAGETABLE, named 1, as FormatMessage's FORMAT_MESSAGE_FROM_HMODULE reads it)
// holds RESOURCE_STRING entries: a message number and its text.
struct RESOURCE_STRING {
  UINT id;
  const char* text;
};
struct RESOURCE_ENTRY {
  LPCSTR type;
  LPCSTR name;
  const void* data;
  DWORD size;
};
struct RESOURCE_TABLE {
  const RESOURCE_STRING* strings;
  UINT stringCount;
  const RESOURCE_ENTRY* entries;
  UINT entryCount;
};

struct HRSRC__;
typedef HRSRC__* HRSRC;

// Adds a table to the module whose data holds it (or to `module`); the module joins the chain
// the first time. A module may register several tables; an id found in an earlier one wins.
// The table must stay in place until it is unregistered.
BOOL AfxRegisterResourceTable(const RESOURCE_TABLE* table);
BOOL AfxRegisterResourceTable(HMODULE module, const RESOURCE_TABLE* table);
void AfxUnregisterResourceTable(const RESOURCE_TABLE* table);

// Registers a table for the life of the module: a module declares one of these at namespace scope,
// so its table is added when it is loaded and removed when it is unloaded.
class CResourceTableRegistration {
 public:
  explicit CResourceTableRegistration(const RESOURCE_TABLE& table);
  ~CResourceTableRegistration();
  CResourceTableRegistration(const CResourceTableRegistration&) = delete;
  CResourceTableRegistration& operator=(const CResourceTableRegistration&) = delete;

 private:
  const RESOURCE_TABLE* m_table;
};

// The module searched first (default: the main program). Null restores the default.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
// The modules in search order: the resource handle, the main program, then the others in the
// order they joined (the kernel before the plug-ins it loads).
std::vector<HMODULE> AfxGetResourceChain();
// The first module along the chain holding the resource; null when none does.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
HINSTANCE AfxFindStringResourceHandle(UINT id);
// The first module holding the cursor, registered as a group or as a single image.
HINSTANCE AfxFindCursorHandle(LPCSTR name);

// Win32-style access within one module (null: the main program).
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);

// Looks a string id up along the resource chain; false when no module has it.
bool LoadStringResource(UINT id, std::string& out);
// The same within one module (null: the main program).
bool LoadStringResource(HMODULE module, UINT id, std::string& out);
// Win32's: copies at most size - 1 bytes and a terminator; returns the bytes copied, 0 when missing.
int LoadString(HINSTANCE module, UINT id, LPSTR buf, int size);
// Along the chain; an empty string when missing.
int AfxLoadString(UINT id, LPSTR buf, UINT size = 256);

// The framework's extension-module start-up: a module that initialises itself this way and creates
// a CDynLinkLibrary joins the resource chain even without tables of its own.
struct AFX_EXTENSION_MODULE {
  BOOL bInitialized;
  HMODULE hModule;
  HMODULE hResource;
};
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Deletes the module's CDynLinkLibrary objects.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

class CDynLinkLibrary : public CObject {
  DECLARE_DYNAMIC(CDynLinkLibrary)
 public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
  ~CDynLinkLibrary() override;

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
};

// Notifications from the loader (Module.cpp): the module's last FreeLibrary, a renewed load of a
// module that stayed in memory, and its unmapping.
void ResourceModuleReleased(HMODULE module);
void ResourceModuleAcquired(HMODULE module);
void ResourceModuleGone(HMODULE module);
