// A block of cells by its corners, for grid tests.
#pragma once

#include "grid/engine/GXRange.h"

namespace dravonix::test {

inline CGXRange Cells(ROWCOL top, ROWCOL left, ROWCOL bottom, ROWCOL right) {
  return CGXRange().SetCellRange(top, left, bottom, right);
}

}  // namespace dravonix::test
