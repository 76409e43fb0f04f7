// The child's focus, repaint and key dispatch, which its owning control relies on.
#include "grid/engine/GXChild.h"

#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "platform/ui/Wnd.h"

BOOL CGXChild::HasFocus() const { return m_pOwner && m_pOwner->GetFocusChild() == this; }

void CGXChild::Invalidate() {
  CGXGridCore* grid = m_pOwner ? m_pOwner->Grid() : nullptr;
  if (grid && grid->m_pGridWnd && grid->m_pGridWnd->GetSafeHwnd()) grid->m_pGridWnd->InvalidateRect(&m_rect, TRUE);
}

BOOL CGXChild::DispatchKey(UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT nChar = (UINT)wParam, nRep = LOWORD(lParam), nFlags = HIWORD(lParam);
  switch (message) {
    case WM_KEYDOWN: return OnKeyDown(nChar, nRep, nFlags);
    case WM_KEYUP: return OnKeyUp(nChar, nRep, nFlags);
    case WM_CHAR: return OnChar(nChar, nRep, nFlags);
    case WM_DEADCHAR: return OnDeadChar(nChar, nRep, nFlags);
    case WM_SYSKEYDOWN: return OnSysKeyDown(nChar, nRep, nFlags);
    case WM_SYSKEYUP: return OnSysKeyUp(nChar, nRep, nFlags);
    case WM_SYSCHAR: return OnSysChar(nChar, nRep, nFlags);
    case WM_SYSDEADCHAR: return OnSysDeadChar(nChar, nRep, nFlags);
    default: return FALSE;
  }
}
