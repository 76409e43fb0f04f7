// Module handles and the loader: plug-ins are shared objects found under their `.dll` names.
#pragma once

#include "platform/core/Types.h"

#include <string>

// A module handle names one loaded object (the main program, a shared library or a plug-in).
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef void (*FARPROC)();

#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126
#endif
#ifndef ERROR_PROC_NOT_FOUND
#define ERROR_PROC_NOT_FOUND 127
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193
#endif

// `name.dll` loads `name.so` from the same folder, else the name as given; a name without an
// extension gets `.dll`. A bare name is looked for in the program's folder, then the current folder,
// then by the system's search; a name with a folder is taken relative to the current folder. Each
// successful call must be matched by a FreeLibrary. Failures here return null or 0 and set
// GetLastError (platform/core/FileSystem.h).
HMODULE LoadLibrary(const char* name);
HMODULE AfxLoadLibrary(const char* name);
// Releases one load; the module is unloaded, and its resources leave the chain, with the last one.
// Refuses handles that LoadLibrary did not return.
BOOL FreeLibrary(HMODULE module);
BOOL AfxFreeLibrary(HMODULE module);
// The exported symbol, or null (ERROR_PROC_NOT_FOUND). Only the module itself is searched.
FARPROC GetProcAddress(HMODULE module, const char* name);

// Null: the main program. Otherwise a loaded module by file name (`x.dll` also matches `x.so` and
// `libx.so`) or by path; null when none is loaded.
HMODULE GetModuleHandle(const char* name);
// The full path of the module's file (null: the main program). Returns the length written; a short
// buffer receives a truncated, terminated path and the result is `size`. 0 for an unknown handle.
DWORD GetModuleFileName(HMODULE module, char* buf, DWORD size);
// The same, whole; empty for an unknown handle.
std::string AfxGetModuleFilePath(HMODULE module);
// The module that holds code or data at `address` (a module passes one of its own symbols to
// learn its handle); null for an address outside every module.
HMODULE AfxModuleOfAddress(const void* address);
// The main program.
HINSTANCE AfxGetInstanceHandle();

// The system loader's explanation of this thread's last failed LoadLibrary (e.g. a missing symbol).
std::string AfxGetModuleLoadMessage();
