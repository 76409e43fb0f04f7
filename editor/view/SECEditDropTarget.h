// The drop target of an editor window: it scrolls the editor while the mouse rests in the strip along
// its client edges, as the framework's own target does for a view.
#pragma once

#include "platform/ui/OleDragDrop.h"

class SECEditDropTarget : public COleDropTarget {
 public:
  // These remember the current drag's data and hand over to the view's drop handlers.
  DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) override;
  DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) override;
  BOOL OnDrop(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) override;
  void OnDragLeave(CWnd* pWnd) override;
  DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point) override;

  UINT m_nScrollCode = 0xFFFF;  // 0xFFFF: not scrolling
  ULONGLONG m_nScrollTick = 0;  // when the code began or last scrolled
  UINT m_nScrollWait = 0;       // until the next step
  COleDataObject* m_pData = nullptr;  // the current drag's data, to enter again after scrolling
};
