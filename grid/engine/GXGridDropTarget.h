// CGXGridDropTarget: the OLE drop target both grid hosts register on their window; every callback
// goes to the grid core.
#pragma once

#include "grid/engine/GXGridCore.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/Wnd.h"

class CGXGridDropTarget : public COleDropTarget {
 public:
  explicit CGXGridDropTarget(CGXGridCore* pGrid) : m_pGrid(pGrid) {}
  // Registers on the grid's window once it exists; again after the window changed.
  void EnsureRegistered(CWnd* pWnd) {
    if (pWnd && pWnd->GetSafeHwnd() && (GetWindow() != pWnd || m_hRegistered != pWnd->GetSafeHwnd())) {
      if (Register(pWnd)) m_hRegistered = pWnd->GetSafeHwnd();
    }
  }
  void Forget() {
    Revoke();
    m_hRegistered = nullptr;
  }

  DROPEFFECT OnDragEnter(CWnd*, COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return m_pGrid->OnDragEnter(pData, dwKeyState, point);
  }
  DROPEFFECT OnDragOver(CWnd*, COleDataObject* pData, DWORD dwKeyState, CPoint point) override {
    return m_pGrid->OnDragOver(pData, dwKeyState, point);
  }
  void OnDragLeave(CWnd*) override { m_pGrid->OnDragLeave(); }
  BOOL OnDrop(CWnd*, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) override {
    return m_pGrid->OnDrop(pData, dropEffect, point) != DROPEFFECT_NONE;
  }
  DROPEFFECT OnDropEx(CWnd*, COleDataObject* pData, DROPEFFECT dropDefault, DROPEFFECT dropList, CPoint point) override {
    return m_pGrid->OnDropEx(pData, dropDefault, dropList, point);
  }
  DROPEFFECT OnDragScroll(CWnd*, DWORD dwKeyState, CPoint point) override {
    return m_pGrid->OnDragScroll(dwKeyState, point);
  }

 private:
  CGXGridCore* m_pGrid;
  HWND m_hRegistered = nullptr;
};
