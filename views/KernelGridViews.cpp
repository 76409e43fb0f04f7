#include "views/KernelGridViews.h"

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLibraryDefaults.h"

// Every view sets the defaults it is made with, whatever another part of the program left there.
void StartKernelGridLibrary() {
  GXStartGridLibrary(2816, 0, 0);
  GXSetLibraryDefaults(1, 2, 1);
}

UINT KernelContextCursor(UINT id) { return id == 23203 ? 0 : id; }

void ScrollGridByWheel(CGXGridCore* grid, short delta) { grid->DoScroll(delta <= 0 ? GX_DOWN : GX_UP, 1); }
