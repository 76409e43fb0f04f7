// Kernel-wide flags shared with the host.
#pragma once

#include "platform/core/String.h"

// Messages of model and communication operations are shown only while this is set.
extern BOOL g_bShowErrors;

// Loads the string-table entry `id`, formats it with the arguments and shows it with `type`, only
// while g_bShowErrors is set; returns the answer, or 0 when nothing was shown.
int ShowKernelMessage(UINT type, UINT id, ...);
// The same, whatever the flag (validation boxes of dialogs).
int ShowKernelMessageAlways(UINT type, UINT id, ...);
// The same as an OK box without an icon, which the framework's box would give its exclamation.
int ShowPlainKernelMessage(struct HWND__* owner, UINT id, ...);
// The string-table entry `id` formatted with the arguments.
CString FormatKernelString(UINT id, ...);
