// Packed DIBs (header, colour table, bits) from the bytes of a bitmap resource.
#pragma once

#include "platform/gdi/GdiDefs.h"

#include <cstddef>
#include <vector>

// A BMP file loses its file header, a packed DIB is copied as it is, a PNG image becomes a bottom-up
// 24-bit DIB (transparent parts on white). Empty when the bytes are none of these or are cut short.
std::vector<BYTE> PackedDibFromImageBytes(const BYTE* bytes, size_t size);

// Where the pixels of a packed DIB of `size` bytes begin, or 0 when its header is none the layer
// draws or the block cannot hold its header, colour masks and table and every scan line.
size_t PackedDibBitsOffset(const void* dib, size_t size, UINT usage = DIB_RGB_COLORS);

// The width and the number of scan lines of a DIB header, false (and 0 by 0) when it is no bitmap: a
// width of 0 or less, a height whose magnitude no int holds, or a scan line longer than an int.
bool DibHeaderSize(const BITMAPINFOHEADER& header, int& width, int& height);
