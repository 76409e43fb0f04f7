#include "editor/view/SECEditDropTarget.h"

#include "editor/core/SECEditCore.h"
#include "platform/core/Clock.h"

DROPEFFECT SECEditDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  m_pData = pData;
  return COleDropTarget::OnDragEnter(pWnd, pData, dwKeyState, point);
}

DROPEFFECT SECEditDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  m_pData = pData;
  return COleDropTarget::OnDragOver(pWnd, pData, dwKeyState, point);
}

BOOL SECEditDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) {
  m_nScrollCode = 0xFFFF;
  m_pData = nullptr;
  return COleDropTarget::OnDrop(pWnd, pData, dropEffect, point);
}

void SECEditDropTarget::OnDragLeave(CWnd* pWnd) {
  COleDropTarget::OnDragLeave(pWnd);
  if (m_nScrollCode == 0xFFFF) m_pData = nullptr;
}

DROPEFFECT SECEditDropTarget::OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point) {
  auto* c = dynamic_cast<SECEditCoreBase*>(pWnd);
  if (!c) return DROPEFFECT_NONE;
  CRect rc;
  pWnd->GetClientRect(&rc);
  CRect inner = rc;
  inner.InflateRect(-nScrollInset, -nScrollInset);
  UINT code = 0xFFFF;
  if (rc.PtInRect(point) && !inner.PtInRect(point)) {
    const BYTE h = point.x < inner.left ? SB_LINELEFT : point.x >= inner.right ? SB_LINERIGHT : 0xFF;
    const BYTE v = point.y < inner.top ? SB_LINEUP : point.y >= inner.bottom ? SB_LINEDOWN : 0xFF;
    code = MAKEWORD(h, v);
  }
  if (code != 0xFFFF && c->OnScroll(code, 0, FALSE)) {
    const ULONGLONG now = Clock::Now();
    if (code != m_nScrollCode) {
      const bool entering = m_nScrollCode == 0xFFFF;
      m_nScrollCode = code;
      if (entering) OnDragLeave(pWnd);  // from the ordinary drag into the border
      m_nScrollTick = now;
      m_nScrollWait = nScrollDelay;
    } else if (now - m_nScrollTick > m_nScrollWait) {
      c->OnScroll(code, 0, TRUE);
      pWnd->UpdateWindow();
      m_nScrollTick = now;
      m_nScrollWait = nScrollInterval;
    }
    const bool ctrl = (dwKeyState & MK_CONTROL) != 0, shift = (dwKeyState & MK_SHIFT) != 0;
    if (ctrl && shift) return DROPEFFECT_SCROLL | DROPEFFECT_LINK;
    return DROPEFFECT_SCROLL | (ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
  }
  if (m_nScrollCode != 0xFFFF) {
    // Back from the border: the ordinary drag goes on.
    m_nScrollCode = 0xFFFF;
    if (m_pData) OnDragEnter(pWnd, m_pData, dwKeyState, point);
  }
  return DROPEFFECT_NONE;
}
