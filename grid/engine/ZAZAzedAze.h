// ZAZAzedAze: a grid in a dialog or any child window; its window class lets a dialog template hold a grid.
#pragma once

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridDropTarget.h"
#include "platform/ui/Wnd.h"

class ZAZAzedAze : public CWnd, public CGXGridCore {
  DECLARE_DYNCREATE(ZAZAzedAze)

 public:
  ZAZAzedAze();
  ~ZAZAzedAze() override;

  // Registers "ZAZAzedAze" once (a resource exception when that fails) and returns the class name.
  static LPCTSTR RegisterClass(HINSTANCE hInstance);
  static void UnregisterClass(HINSTANCE hInstance);
  // The class's window procedure: the first message makes a grid object that deletes itself.
  static LRESULT ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnBeginPrinting(pDC, pInfo); }
  virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnEndPrinting(pDC, pInfo); }
  virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo) { CGXGridCore::OnPrint(pDC, pInfo); }

  CScrollBar* GetScrollBarCtrl(int nBar) const override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  BOOL m_bDrawFrame = FALSE;  // a pressed frame around the grid in the parent

 protected:
  void PostNcDestroy() override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

 private:
  void DrawFrameInParent(HRGN only = nullptr);
  BOOL m_bInitializeOnCreate = FALSE;
  CGXGridDropTarget m_gridDropTarget{this};
};
