// Logger, scope and plot file extensions and the dialogs that choose such files.
#pragma once

#include "platform/core/String.h"

extern const char* const gc_pszLoggerFileExt;
extern const char* const gc_pszScopeLoggerFileExt;
extern const char* const gc_pszPlotFileExt;

// Each asks for a file to open (or to save, proposing `path`) in the kernel's archives folder;
// `path` receives the full name, `title` (when given) the file title. 0 when cancelled.
int DoPromptLoggerFileName(int open, CString& path, CString* title);
int DoPromptPlotFileName(int open, CString& path, CString* title);
int DoPromptScopeLoggerFileName(int open, CString& path, CString* title);
