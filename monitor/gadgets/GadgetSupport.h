// What the gadget windows of every kind share: the not-shown sentinel, child placement, the panels'
// running state and sending drive code.
#pragma once

#include "monitor/panels/GadgetWnd.h"
#include "platform/core/String.h"

class CControlPanelVar;

// The value a gadget holds while it shows nothing; no drive value equals it.
constexpr double kValueNotShown = 1.2345e100;
// A value to show again: an unordered pair (a NaN) counts as changed.
inline bool ValueDiffers(double a, double b) { return !(a == b); }

// A child's rectangle in the parent's client coordinates; empty when there is no such child.
CRect ChildRect(CWnd* parent, int id);
void MoveChild(CWnd* parent, int id, int x, int y, int width, int height);
void SetChildText(CWnd* parent, int id, const char* text);
// Size limits of a gadget laid out along a scale with its maximum (maxId) and minimum (minId) texts.
void SetScaleSizeLimits(CGadgetWnd& gadget, BOOL vertical, const CRect& templateRect, int maxId, int minId);
// The default title of a quantity: "{axis}", then "expr" or the name and its "[unit]"; empty
// without a name.
CString DefaultVarTitle(const CControlPanelVar& var);

// TRUE when the gadget's document has a panel manager and the panels run.
BOOL PanelsRunning(CGadgetWnd& gadget);
// Sends `code` through the document's setup to drive address `address`; FALSE when not sent.
BOOL SendGadgetCode(CGadgetWnd& gadget, const CString& code, WORD address, BOOL withCoff);
// Marks the words stale so that the next poll reads them again.
void InvalidateGadgetWords(CGadgetWnd& gadget, BYTE axis, WORD address, int count);
