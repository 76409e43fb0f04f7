// Number reading shared by the grid's one-line text forms of styles, fonts, brushes and pens.
#pragma once

#include "platform/core/Types.h"

// The C runtime's atol with a 32-bit long: blanks, a sign, decimal digits; anything else ends the
// number, no digits read as 0; overflow wraps instead of being undefined.
LONG GXAtol(LPCTSTR text);
inline int GXAtoi(LPCTSTR text) { return (int)GXAtol(text); }

// Splits text at runs of blanks (leading blanks skipped) and reads up to maxCount fields with
// GXAtol; returns how many fields there were.
int GXScanNumbers(LPCTSTR text, LONG* values, int maxCount);
