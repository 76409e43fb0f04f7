// What the sheet-tab beam and the record beam share: their arrow buttons, their font, the auto-repeat
// of a held button, and the placement of a frame's children.
#pragma once

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Wnd.h"

#include <functional>

// The arrow colour of a button that cannot act.
const COLORREF GX_BEAM_GREY_ARROW = RGB(0x60, 0x60, 0x60);

// A beam button: 3-D frame, raised or pressed, and its arrow. Index 0 and 1 point left, 2 and 3
// right; 0 and 3 add a bar at the tip. A pressed arrow moves one pixel right and down.
void GXDrawBeamButton(CDC* pDC, const CRect& rect, int nIndex, BOOL bPressed, BOOL bEnabled);

// "Arial" at the beam height - 2, of the given weight.
BOOL GXCreateBeamFont(CFont& font, int nBeamHeight, int nWeight);

// Holds the mouse captured and dispatches messages (mouse moves dropped) until the end message
// arrives or the capture goes; each time the delay has passed with the queue empty, onRepeat runs
// and returns the next delay.
void GXTrackRepeat(CWnd* pWnd, UINT nEndMessage, DWORD nFirstDelay, const std::function<DWORD(DWORD)>& onRepeat);

// Adds a child to a DeferWindowPos batch one pixel outside the rectangle on every side, so its
// border falls outside; unchanged children are skipped. Scroll bars thinner than 2 pixels get a border.
HDWP GXDeferWindowPlacement(HDWP hdwp, CWnd* pWnd, const CRect& rect, BOOL bScrollBar);
