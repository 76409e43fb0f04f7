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

// A host that also hands its mouse and key messages to the core, as the grid windows do.
class CGridRoutingHostWnd : public CGridHostWnd {
 public:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    auto own = [&] { return CGridHostWnd::OnWndMsg(message, wParam, lParam, pResult); };
    if (!grid || message == WM_PAINT || message == WM_ERASEBKGND) return own();
    return grid->RouteWindowMessage(message, wParam, lParam, pResult, own);
  }

 protected:
  // The cell's window reports its changes to the grid window, which hands them to the cell.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    return grid && grid->OnCommand(wParam, lParam) ? TRUE : CGridHostWnd::OnCommand(wParam, lParam);
  }
};
