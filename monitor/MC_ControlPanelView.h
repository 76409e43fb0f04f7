// The panel view's table of gadget kinds: keyword, window class and item class of each kind.
#pragma once

#include "platform/core/Object.h"

class CMC_ControlPanelView {
 public:
  struct tagLinks {
    const char* name;              // the kind's template name, "GADGET_" and the keyword
    CRuntimeClass* pWndClass;      // null until the kind's window exists
    CRuntimeClass* pItemClass;     // null until the kind's item exists
  };
  static constexpr int kLinkCount = 13;
  static const tagLinks msc_aLinks[kLinkCount];

  // The row whose keyword (the name without "GADGET_") or name is `name`, any case; -1 when none.
  static int GetLinkWithName(const char* name);
  // The row of an item class; -1 when none.
  static int GetLinkOfItemClass(const CRuntimeClass* itemClass);
};
