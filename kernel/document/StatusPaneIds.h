// The kernel's own panes of the main frame's status bar, one id for every view that fills them.
#pragma once

#include "platform/core/Types.h"

enum : UINT {
  ID_INDICATOR_POSITION = 54,  // the caret or cursor position
};
