// The grid library's defaults that new grids and the built-in base styles take.
#pragma once

// The first is the grid-line position of new parameter blocks, the second a value copied into them,
// the third a switch read with the first by the header styles. The kernel's views pass 1, 2, 1.
void GXSetLibraryDefaults(int nFirst, int nSecond, int nThird);
void GXGetLibraryDefaults(int& nFirst, int& nSecond, int& nThird);
