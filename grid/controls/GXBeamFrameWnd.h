// What the sheet-tab window and the record frame share: the two scroll bars lent to a sheet, the
// bottom strip and its corner, and resizing while the sheet's layout is held.
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

class CGXBeamFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CGXBeamFrameWnd)

 public:
  BOOL m_bDrawFrame = FALSE;

  // A strip's top row is the bottom row of the windows above it: whenever the strip paints, what lies
  // under that row paints it again, else the row keeps a line of what the strip showed before.
  void RepaintSharedRow(CWnd* strip);

 protected:
  CGXBeamFrameWnd();

  // The sheet shown, which takes the focus and is resized after the frame; may be null.
  virtual CWnd* GetShownSheet() const = 0;
  // Lays the children out for a usable new width.
  virtual void OnResize(int cx) = 0;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnSize(UINT nType, int cx, int cy) override;
  void OnNcPaint() override;
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnSysColorChange() override;
  // Reads the scroll bar sizes again.
  void ReadBarMetrics();

  CScrollBar m_hBar, m_vBar;
  BOOL m_bHasHBar = TRUE, m_bHasVBar = TRUE, m_bCreated = FALSE;
  int m_nVBarWidth = 0, m_nStripHeight = 0;
  HCURSOR m_hCursor = nullptr;
  CBrush m_brCorner;
};
