// Logger and scope file extensions (the plot one is the viewer's) and the dialogs that choose such files.
#pragma once

#include "platform/core/String.h"

extern const char* const gc_pszLoggerFileExt;
extern const char* const gc_pszScopeLoggerFileExt;

// Each asks for a file to open (or to save, proposing `path`) in the kernel's archives folder;
// `path` receives the full name, `title` (when given) the file title. 0 when cancelled.
int DoPromptLoggerFileName(int open, CString& path, CString* title);
int DoPromptPlotFileName(int open, CString& path, CString* title);
int DoPromptScopeLoggerFileName(int open, CString& path, CString* title);
