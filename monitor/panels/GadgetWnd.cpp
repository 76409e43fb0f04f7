#include "monitor/panels/GadgetWnd.h"

#include "kernel/document/MC_Document.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"

#include <strings.h>

IMPLEMENT_DYNCREATE(CGadgetWnd, CWnd)

namespace {

CPoint ScrollPositionOf(CWnd* view) {
  auto* scroll = DYNAMIC_DOWNCAST(CScrollView, view);
  return scroll ? scroll->GetScrollPosition() : CPoint(0, 0);
}

}  // namespace

BOOL CGadgetWnd::Create(CWnd* view, const char* templateName, UINT id, CControlPanelItem* item, BOOL customize) {
  if (!view || !templateName) return FALSE;
  CREATESTRUCT cs = {};
  cs.lpszClass = "ControlPanelGadget";
  cs.style = WS_CHILD;
  cs.hMenu = (HMENU)(UINT_PTR)id;
  cs.hwndParent = view->GetSafeHwnd();
  if (!PreCreateWindow(cs) || !CreateDlg(templateName, view)) return FALSE;
  SetDlgCtrlID((int)id);
  if (customize)
    ModifyStyle(WS_BORDER, WS_THICKFRAME | WS_CLIPSIBLINGS, SWP_FRAMECHANGED);
  else
    ModifyStyle(WS_THICKFRAME, WS_CLIPSIBLINGS | (item && item->m_bBorder ? WS_BORDER : 0), SWP_FRAMECHANGED);
  m_pItem = item;
  OnInitGadget();

  CRect window;
  GetWindowRect(&window);
  if (item) {
    CRect& r = item->m_rect;
    if (r.Width() <= 0 || r.Height() < 1) {
      r.right = r.left + window.Width();
      r.bottom = r.top + window.Height();
    }
  }
  SetSizeLimits(window);
  if (item) {
    CRect& r = item->m_rect;
    if (m_nMinWidth >= 1 && r.Width() < m_nMinWidth) r.right = r.left + m_nMinWidth;
    if (m_nMaxWidth >= 1 && r.Width() > m_nMaxWidth) r.right = r.left + m_nMaxWidth;
    if (m_nMinHeight >= 1 && r.Height() < m_nMinHeight) r.bottom = r.top + m_nMinHeight;
    if (m_nMaxHeight >= 1 && r.Height() > m_nMaxHeight) r.bottom = r.top + m_nMaxHeight;
    CRect at = r;
    at.OffsetRect(-ScrollPositionOf(view));
    SetWindowPos(nullptr, at.left, at.top, at.Width(), at.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  return TRUE;
}

void CGadgetWnd::SetSizeLimits(const CRect&) {}

void CGadgetWnd::EnableChildren(BOOL enable) {
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) child->EnableWindow(enable);
}

void CGadgetWnd::OnInitGadget() {
  // Clicks on the controls must reach the view, which edits the layout.
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
    child->ModifyStyleEx(WS_EX_NOPARENTNOTIFY, 0);
  EnableChildren(FALSE);
  RefreshFromItem();
}

BOOL CGadgetWnd::EditProperties() { return m_pItem != nullptr; }

CMC_Document* CGadgetWnd::GetDocument() const {
  auto* view = DYNAMIC_DOWNCAST(CMC_ControlPanelView, GetParent());
  return view ? DYNAMIC_DOWNCAST(CMC_Document, view->GetDocument()) : nullptr;
}

void CGadgetWnd::RefreshFromItem() {
  CMC_Document* doc = GetDocument();
  if (m_pItem && doc) m_pItem->LocateItemVariables(doc->GetSetup(), doc->GetCoffFile());
}

void CGadgetWnd::OnStart() {
  EnableChildren(m_pItem && !m_pItem->m_bDisabled);
  RefreshFromItem();
}

void CGadgetWnd::OnUpdateValues() {}

void CGadgetWnd::OnStop() { EnableChildren(FALSE); }

void CGadgetWnd::SetSelected(int selected) {
  if (m_bSelected == selected) return;
  m_bSelected = selected;
  if (m_hWnd) Invalidate();
}

void CGadgetWnd::StoreRectInItem() {
  CWnd* view = GetParent();
  if (!m_pItem || !view) return;
  CRect r;
  GetWindowRect(&r);
  view->ScreenToClient(&r);
  r.OffsetRect(ScrollPositionOf(view));
  m_pItem->m_rect = r;
}

void CGadgetWnd::OnMove(int x, int y) {
  CWnd::OnMove(x, y);
  StoreRectInItem();
}

void CGadgetWnd::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  StoreRectInItem();
}

void CGadgetWnd::OnGetMinMaxInfo(MINMAXINFO* info) {
  CWnd::OnGetMinMaxInfo(info);
  if (!info) return;
  if (m_nMinWidth > 0) info->ptMinTrackSize.x = m_nMinWidth;
  if (m_nMinHeight > 0) info->ptMinTrackSize.y = m_nMinHeight;
  if (m_nMaxWidth > 0) info->ptMaxTrackSize.x = m_nMaxWidth;
  if (m_nMaxHeight > 0) info->ptMaxTrackSize.y = m_nMaxHeight;
}

BOOL CGadgetWnd::OnEraseBkgnd(CDC* pDC) {
  if (!m_bSelected || !CMC_ControlPanel::ms_bInCustomize || !pDC) return CWnd::OnEraseBkgnd(pDC);
  CRect clip;
  pDC->GetClipBox(&clip);
  pDC->FillSolidRect(&clip, ::GetSysColor(COLOR_ACTIVECAPTION));
  return TRUE;
}

void CGadgetWnd::OnChildActivate() {
  CWnd::OnChildActivate();
  if (CWnd* view = GetParent()) view->PostMessage(WM_GADGET_ACTIVATED, 0, (LPARAM)this);
}

void CGadgetWnd::OnNcLButtonDown(UINT hitTest, CPoint point) {
  CWnd::OnNcLButtonDown(hitTest, point);
  // A sizing that goes on after the press tells the view when it ends.
  if (::GetCapture() == m_hWnd) return;
  if (CWnd* view = GetParent()) view->PostMessage(WM_GADGET_FRAME_USED, 0, 0);
}

LRESULT CGadgetWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
  if (message == WM_EXITSIZEMOVE)
    if (CWnd* view = GetParent()) view->PostMessage(WM_GADGET_FRAME_USED, 0, 0);
  return result;
}

void CGadgetWnd::OnNcLButtonDblClk(UINT hitTest, CPoint point) {
  CWnd::OnNcLButtonDblClk(hitTest, point);
  if (CWnd* view = GetParent()) view->PostMessage(WM_GADGET_FRAME_USED, 0, 0);
}

BOOL CGadgetWnd::PreTranslateMessage(MSG* pMsg) {
  // An edit pressed in a gadget takes the focus before the press goes on.
  if (pMsg && pMsg->message == WM_LBUTTONDOWN && pMsg->hwnd && ::IsChild(m_hWnd, pMsg->hwnd)) {
    char name[16] = {};
    ::GetClassName(pMsg->hwnd, name, sizeof name);
    if (!strcasecmp(name, "Edit")) ::SetFocus(pMsg->hwnd);
  }
  return CWnd::PreTranslateMessage(pMsg);
}
