// PNG snapshots of anything that holds pixels: surfaces, device contexts, bitmaps.
#pragma once

#include "platform/gdi/DC.h"

// Each writes a PNG file and returns FALSE when there are no pixels or the file cannot be written.
BOOL SaveImage(cairo_surface_t* surface, LPCSTR path);
// A context's visible device area (a memory context: its selected bitmap).
BOOL SaveImage(CDC* dc, LPCSTR path);
BOOL SaveImage(CBitmap* bitmap, LPCSTR path);
BOOL SaveImage(CDrawSurfaceProvider* provider, LPCSTR path);
