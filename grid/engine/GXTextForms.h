// Number reading shared by the grid's one-line text forms of styles, fonts, brushes and pens.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

// The C runtime's atol with a 32-bit long: blanks, a sign, decimal digits; anything else ends the
// number, no digits read as 0; overflow wraps instead of being undefined.
LONG GXAtol(LPCTSTR text);
inline int GXAtoi(LPCTSTR text) { return (int)GXAtol(text); }

// Splits text at runs of blanks (leading blanks skipped) and reads up to maxCount fields with
// GXAtol; returns how many fields there were.
int GXScanNumbers(LPCTSTR text, LONG* values, int maxCount);

// Profile values of one line: a line break (CR LF, CR or LF) is written as backslash and "n", and a
// backslash is doubled only where it would otherwise read as the start of one. Reading turns a
// doubled backslash into one and backslash "n" into CR LF; everything else is copied.
CString GXEncodeProfileValue(const CString& value);
CString GXDecodeProfileValue(const CString& text);
