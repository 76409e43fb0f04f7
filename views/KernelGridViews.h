// What the kernel's grid views share: the grid library's start-up, the context cursor they replace
// and the mouse wheel that scrolls them by a line.
#pragma once

#include "platform/core/Types.h"

class CGXGridCore;

// Starts the grid library (once) and sets the kernel's defaults, as every kernel grid view does when it
// is set up.
void StartKernelGridLibrary();
// The context cursor a kernel grid view shows instead of `id`: the default cursor for the grid's
// selection-edge cursor.
UINT KernelContextCursor(UINT id);
// One line down for a delta of 0 or below, one up otherwise.
void ScrollGridByWheel(CGXGridCore* grid, short delta);
