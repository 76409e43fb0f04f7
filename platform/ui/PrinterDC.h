// The framework's printer device context from DEVNAMES and DEVMODE handles.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

// A device context for the printer the DEVNAMES block names, set up by the DEVMODE block (either
// handle may be null: no DEVNAMES gives no context).
HDC AfxCreateDC(HGLOBAL hDevNames, HGLOBAL hDevMode);
