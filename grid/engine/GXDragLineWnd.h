// CGXDragLineWnd: a thin window that stands for a line over the grid: the boundary being resized,
// or the marker where dragged rows or columns will land.
#pragma once

#include "platform/gdi/GdiDefs.h"
#include "platform/ui/Wnd.h"

class CGXGridCore;

class CGXDragLineWnd : public CWnd {
 public:
  explicit CGXDragLineWnd(CGXGridCore* pGrid);
  // A hidden 1 x 1 child of the grid window at (0, 0).
  BOOL CreateLine(CWnd* pParent);

  CGXGridCore* m_pGrid;
  LOGPEN m_logPen{};
  // Handed to the grid's line drawing: 1 a column boundary, 2 a row boundary; a second value; and,
  // when nonzero, the flags with which the grid draws the line instead of the pen.
  int m_nLineKind = 0;
  int m_nSecond = 0;
  int m_bDrawAsGridLine = 0;

 protected:
  void OnPaint() override;
};
