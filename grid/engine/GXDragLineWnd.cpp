#include "grid/engine/GXDragLineWnd.h"

#include "grid/engine/GXGridCore.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"

CGXDragLineWnd::CGXDragLineWnd(CGXGridCore* pGrid) : m_pGrid(pGrid) {
  m_logPen.lopnStyle = 0;
  m_logPen.lopnWidth.x = 1;
  m_logPen.lopnColor = 0;
}

BOOL CGXDragLineWnd::CreateLine(CWnd* pParent) {
  // The class saves what it covers, so moving the line repaints nothing beneath.
  static const LPCSTR kClass = AfxRegisterWndClass(CS_SAVEBITS, nullptr, nullptr, nullptr);
  return CreateEx(0, kClass, "", WS_CHILD, CRect(0, 0, 1, 1), pParent, 0);
}

void CGXDragLineWnd::OnPaint() {
  CPaintDC dc(this);
  CRect rect;
  GetClientRect(&rect);
  if (m_bDrawAsGridLine && m_pGrid) {
    m_pGrid->DrawGridLine(&dc, rect.left, rect.top, rect.Width(), rect.Height(), m_nLineKind, (ROWCOL)m_nSecond,
                          (UINT)m_bDrawAsGridLine);
    return;
  }
  CPen pen;
  pen.CreatePenIndirect(&m_logPen);
  CPen* old = dc.SelectObject(&pen);
  dc.MoveTo(rect.left, rect.top);
  dc.LineTo(rect.right - 1, rect.bottom - 1);
  // A line drawn to its end point leaves that point out; a one-pixel line would show nothing.
  dc.SetPixel(rect.right - 1, rect.bottom - 1, m_logPen.lopnColor);
  dc.SelectObject(old);
}
