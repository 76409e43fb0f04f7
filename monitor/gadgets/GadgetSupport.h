// What the gadget windows of every kind share: the not-shown sentinel, child placement, the panels'
// running state and sending drive code.
#pragma once

#include "monitor/panels/GadgetWnd.h"
#include "platform/core/String.h"

#include <initializer_list>
#include <vector>

class CControlPanelVar;

// The value a gadget holds while it shows nothing; no drive value equals it.
constexpr double kValueNotShown = 1.2345e100;
// A value to show again: an unordered pair (a NaN) counts as changed.
inline bool ValueDiffers(double a, double b) { return !(a == b); }

// A child's rectangle in the parent's client coordinates; empty when there is no such child.
CRect ChildRect(CWnd* parent, int id);
void MoveChild(CWnd* parent, int id, int x, int y, int width, int height);
void SetChildText(CWnd* parent, int id, const char* text);
// The rows of a gadget's template, top to bottom, fitted into the client area as it is: a sizing
// frame or a border takes room that the gaps give first, down to one pixel each, and then the
// stretching row. Controls keep their left edges and widths.
class CGadgetRows {
 public:
  // Records where the template puts the controls of each row; call it before anything moves them.
  void Capture(CWnd& gadget, std::initializer_list<std::initializer_list<int>> rows, int stretch);
  // Places the rows in a client area `height` pixels high; a client as high as the template's
  // keeps the template's places.
  void Fit(CWnd& gadget, int height) const;

 private:
  struct Control {
    int id, top, height;
  };
  struct Row {
    std::vector<Control> controls;
    int top, bottom;
  };
  std::vector<Row> m_rows;
  int m_nHeight = 0;  // of the template's client area
  int m_nStretch = -1;
};

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
