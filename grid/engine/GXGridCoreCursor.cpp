// The grid core's context cursor: resize, drag or select shown for the point under the mouse, a
// forced cursor that overrides it, and one process-wide cache of the cursor last loaded.
#include "grid/engine/GXGridCore.h"
#include "platform/core/Resource.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

namespace {

struct CursorCache {
  UINT id = 0;
  HCURSOR loaded = nullptr;  // from a resource: destroyed when replaced
  HCURSOR current = nullptr;
};

CursorCache& Cache() {
  static CursorCache cache;
  return cache;
}

}  // namespace

void CGXGridCore::ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) {
  if (nID == 0) {
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    return;
  }
  CursorCache& c = Cache();
  if (nID != c.id) {
    LPCSTR name = MAKEINTRESOURCE(nID);
    HINSTANCE module = AfxFindCursorHandle(name);
    HCURSOR cursor = ::LoadCursor(module ? module : AfxGetResourceHandle(), name);
    HCURSOR old = c.loaded;
    c.loaded = cursor;
    // A system cursor is never destroyed.
    if (!cursor) cursor = ::LoadCursor(nullptr, pszSystemCursor ? pszSystemCursor : IDC_ARROW);
    c.id = nID, c.current = cursor;
    ::SetCursor(cursor);
    if (old && old != cursor) ::DestroyCursor(old);
    return;
  }
  ::SetCursor(c.current);
}

void CGXGridCore::SetForcedCursor(UINT nID) {
  m_nForcedCursorId = nID;
  UpdateContextCursor(CPoint(0, 0));
}

void CGXGridCore::UpdateContextCursor(CPoint point) {
  if (m_nForcedCursorId) {
    ShowContextCursor(m_nForcedCursorId, nullptr);
    return;
  }
  if (!m_pParam) return;
  if (m_pParam->m_bCursorOnlyInActiveView) {
    if (auto* view = dynamic_cast<CView*>(m_pGridWnd)) {
      CWnd* focus = CWnd::GetFocus();
      CFrameWnd* frame = view->GetParentFrame();
      if (!focus || !frame || focus->GetParentFrame() != frame || frame->GetActiveView() != view) {
        ShowContextCursor(0, nullptr);
        return;
      }
    }
  }
  ROWCOL row = 0, col = 0;
  UINT id = 0;
  LPCSTR fallback = nullptr;
  switch (HitTest(point, &row, &col)) {
    case GX_HORZLINE:
      if ((m_pParam->m_wAllowTrackRowHeight & 3) && OnTrackRowHeight(row)) id = 23205, fallback = IDC_SIZENS;
      break;
    case GX_VERTLINE:
      if ((m_pParam->m_wAllowTrackColWidth & 3) && OnTrackColWidth(col)) id = 23191, fallback = IDC_SIZEWE;
      break;
    case GX_SELEDGEHIT: id = 23203, fallback = IDC_ARROW; break;
    case GX_HEADERHIT: {
      const BOOL rowHeader = row > 0 && col == 0, colHeader = row == 0 && col > 0;
      const BOOL selected = m_pParam->m_SelRects.IsCellInList(row, col);
      if (rowHeader && !(selected && m_pParam->m_bAllowSelDragRows) && m_pParam->IsAllowSelection(1))
        id = 23202, fallback = IDC_ARROW;
      if (colHeader && !(selected && m_pParam->m_bAllowSelDragCols) && m_pParam->IsAllowSelection(2))
        id = 23201, fallback = IDC_ARROW;
      break;
    }
    default: break;
  }
  ShowContextCursor(id, fallback);
}
