// Bitmap resources as packed device-independent bitmaps in global memory, and their drawing.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

// The bitmap `name` of `module` (null: the main program) as a packed DIB (header, colours, bits)
// in movable global memory; null when the module has no such bitmap or its bytes are no image.
// The caller frees it with GlobalFree.
HGLOBAL LoadResourceDib(HINSTANCE module, LPCSTR name);
// Width and height of a packed DIB; (0, 0) when the handle holds none.
SIZE GetPackedDibSize(HGLOBAL dib);
// Stretches the DIB onto `rect` of `dc` (with its selected palette); the scan lines drawn, 0 on failure.
int DrawPackedDib(CDC* dc, HGLOBAL dib, const RECT& rect);
