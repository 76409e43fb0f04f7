#include "grid/controls/GXBeamFrameWnd.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"

IMPLEMENT_DYNAMIC(CGXBeamFrameWnd, CWnd)

CGXBeamFrameWnd::CGXBeamFrameWnd() {
  ReadBarMetrics();
  m_hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  m_brCorner.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

void CGXBeamFrameWnd::ReadBarMetrics() {
  m_nVBarWidth = ::GetSystemMetrics(SM_CXVSCROLL);
  m_nStripHeight = ::GetSystemMetrics(SM_CYHSCROLL);
}

BOOL CGXBeamFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style |= WS_CLIPCHILDREN;
  return CWnd::PreCreateWindow(cs);
}

void CGXBeamFrameWnd::OnSize(UINT nType, int cx, int cy) {
  if (CWnd* sheet = GetShownSheet()) sheet->SendMessage(GX_WM_LAYOUT_LOCK, 1);
  if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0 && cx < 32767 && cy < 32767) OnResize(cx);
  CWnd::OnSize(nType, cx, cy);
  UpdateWindow();
  if (CWnd* sheet = GetShownSheet()) {
    sheet->SendMessage(GX_WM_LAYOUT_LOCK, 0);
    CRect rc;
    sheet->GetClientRect(&rc);
    sheet->SendMessage(WM_SIZE, nType, MAKELPARAM(rc.Width(), rc.Height()));
  }
}

void CGXBeamFrameWnd::OnNcPaint() {
  Default();
  GXDrawFrameInParent(this, m_bDrawFrame);
}

void CGXBeamFrameWnd::OnSetFocus(CWnd*) {
  CWnd* sheet = GetShownSheet();
  if (sheet && sheet->GetSafeHwnd()) sheet->SetFocus();
}

void CGXBeamFrameWnd::OnSysColorChange() {
  GXGetSysColorCache().Refresh();
  m_brCorner.DeleteObject();
  m_brCorner.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
  Invalidate();
}

void CGXBeamFrameWnd::RepaintSharedRow(CWnd* strip) {
  if (!strip || !strip->GetSafeHwnd()) return;
  CRect row;
  strip->GetWindowRect(&row);
  row.bottom = row.top + 1;
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
    if (child == strip || !child->IsWindowVisible()) continue;
    CRect place, shared;
    child->GetWindowRect(&place);
    if (!shared.IntersectRect(&place, &row)) continue;
    child->ScreenToClient(&shared);
    // The row may lie in the child's frame, a scroll bar of its own say.
    ::RedrawWindow(child->m_hWnd, &shared, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
}
