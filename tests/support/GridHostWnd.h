// A bare window that hosts a grid core in tests: it forwards its paints to the core.
#pragma once
#include "grid/engine/GXGridCore.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"

class CGridHostWnd : public CWnd {
 public:
  CGXGridCore* grid = nullptr;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    if (grid) grid->OnGridDraw(&dc);
  }
};
