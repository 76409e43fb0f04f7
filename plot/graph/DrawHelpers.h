// Drawing and resource helpers shared by the graph window, gadget buttons and option sheets.
#pragma once

#include "platform/core/Resource.h"
#include "platform/core/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/ui/WinDefs.h"

class CDC;

// flags: bit 0 sunken, bit 1 dark outline, bit 2 filled face.
void Draw3dFrame(CDC* dc, RECT r, int width, int flags);
void FitRectToAspect(LPRECT r, int cx, int cy);
// Packed DIBs, and the layer's PNG bitmap resources, stretched into r.
void DrawDibResource(HGLOBAL resource, CDC* dc, RECT r, int keepAspect);
HGLOBAL LoadBitmapResource(LPCSTR name, HMODULE module);
HCURSOR LoadCursorResource(WORD id);
// Field n of a tab-separated text; dest must hold max + 1 bytes.
char* GetTabField(char* dest, const char* src, int n, int max);
// Field n of a text split at `sep`; empty past the last field.
CString GetTextField(const char* text, int n, char sep = '\t');
