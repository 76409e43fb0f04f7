// The gadgets bar: one bitmap button per gadget kind, dragged onto a panel view to add a gadget;
// and its owner-drawn button, whose bitmaps are found by name from its window text.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/Controls.h"

class CPalette;

class CGadgetBtn : public CButton {
  DECLARE_DYNAMIC(CGadgetBtn)

 public:
  // Sent to the parent: the button was pressed (wParam its id), it got the focus (wParam id, lParam it).
  enum { WM_GADGET_BUTTON_PRESSED = 6024, WM_GADGET_BUTTON_FOCUSED = 6025 };
  enum { kUp, kDown, kFocus, kDisabled, kBitmapCount };

  CGadgetBtn() = default;
  ~CGadgetBtn() override;

  BOOL Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id, BOOL selected = FALSE,
              HINSTANCE module = nullptr);
  BOOL AutoLoad(UINT id, CWnd* parent, BOOL selected = FALSE, HINSTANCE module = nullptr);
  BOOL LoadBitmaps(int unused = 0);
  BOOL LoadBitmaps(LPCSTR up, LPCSTR down, LPCSTR focus, LPCSTR disabled);
  BOOL SetSel(BOOL selected, int unused = 0);
  void SetWindowText(LPCSTR text, HINSTANCE module = nullptr, int unused = 0);
  void SizeToContent();
  void DeleteBitmaps();
  BOOL MouseIsDown() const { return m_hWnd && m_bMouseDown; }
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

  int m_bSelected = 0;
  HINSTANCE m_hInstance = nullptr;
  HGLOBAL m_hBitmaps[kBitmapCount] = {};
  int m_nWidth = 0;
  int m_nHeight = 0;
  CPalette* m_pPalette = nullptr;  // not owned

 protected:
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnSetFocus(CWnd* pOldWnd) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;

 private:
  BOOL LoadNamedBitmaps(LPCSTR up, LPCSTR down, LPCSTR focus, LPCSTR disabled, bool retry);
  void Refresh();
  int m_bMouseDown = 0;
};

class CGadgetsBar : public CDialogBar {
  DECLARE_DYNAMIC(CGadgetsBar)

 public:
  enum { IDC_FIRST_BUTTON = 14000, IDC_CURSOR_NODROP = 14000, IDC_CURSOR_DROP = 14001 };

  CGadgetsBar() = default;
  ~CGadgetsBar() override;

  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

  CObArrayEx<CGadgetBtn> m_aButtons{TRUE};
  int m_bDragging = 0;
  int m_nDragId = -1;
  HCURSOR m_hCursorDrop = nullptr;
  HCURSOR m_hCursorNoDrop = nullptr;
  HCURSOR m_hCursorCurrent = nullptr;

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnCaptureChanged(CWnd* pWnd) override;
  void OnCancelMode() override;
  void OnDestroy() override;
  LRESULT OnButtonPressed(WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonFocused(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

 private:
  void SetDragCursor(HCURSOR cursor);
  // Ends a drag: capture and clip released, the button deselected; returns the dragged kind.
  int EndDrag();
};
