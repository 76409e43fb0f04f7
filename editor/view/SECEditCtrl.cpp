#include "editor/view/SECEditCtrl.h"

IMPLEMENT_DYNAMIC(SECEditCtrl, CWnd)

// ---- The control ----

SECEditCtrl::~SECEditCtrl() {
  m_dropTarget.Revoke();
  if (GetSafeHwnd()) DestroyWindow();
  delete m_pEdit;
}

SECEdit* SECEditCtrl::GetEdit() {
  if (!m_pEdit) CreateEdit();
  return m_pEdit;
}

void SECEditCtrl::CreateEdit() {
  if (m_pEdit) return;
  m_pEdit = new SECEdit;  // it starts with one empty line
}

void SECEditCtrl::RegisterDropTarget() { m_dropTarget.Register(this); }

BOOL SECEditCtrl::ReplaceDlgItem(UINT nID, CWnd* pParent, DWORD dwExStyle) {
  CWnd* old = pParent ? pParent->GetDlgItem((int)nID) : nullptr;
  if (!old) return FALSE;
  CRect rc;
  old->GetWindowRect(&rc);
  pParent->ScreenToClient(&rc);
  if (!CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_IBEAM)), "SECEdit",
                WS_CHILD | WS_VISIBLE | WS_TABSTOP, rc, pParent, nID))
    return FALSE;
  SetWindowPos(old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  ShowWindow(SW_SHOW);
  old->DestroyWindow();
  if (dwExStyle) ModifyStyleEx(0, dwExStyle, SWP_FRAMECHANGED);
  return TRUE;
}

int SECEditCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (SECEditCore<CWnd>::OnCreate(lpCreateStruct) == -1) return -1;
  RegisterDropTarget();
  InitView();
  CoreSetScrollRange(SB_VERT, 0, 32000, TRUE);
  CoreSetScrollRange(SB_VERT, 0, 0, TRUE);
  return 0;
}

int SECEditCtrl::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  int r = SECEditCore<CWnd>::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (r == MA_ACTIVATE || (r == MA_ACTIVATEANDEAT && CWnd::GetFocus() != this)) SetFocus();
  return r;
}

void SECEditCtrl::NotifyParent(UINT nCode) {
  if (CWnd* parent = GetParent())
    parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode), (LPARAM)GetSafeHwnd());
}

void SECEditCtrl::OnSetFocus(CWnd* pOldWnd) {
  SECEditCore<CWnd>::OnSetFocus(pOldWnd);
  NotifyParent(0x100);
}

void SECEditCtrl::OnKillFocus(CWnd* pNewWnd) {
  SECEditCore<CWnd>::OnKillFocus(pNewWnd);
  NotifyParent(0x200);
}

// ---- Its drop target ----

namespace {
SECEditCtrl* Ctrl(CWnd* pWnd) { return dynamic_cast<SECEditCtrl*>(pWnd); }
}  // namespace

DROPEFFECT SECEditCtrlOleDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  SECEditCtrl* c = Ctrl(pWnd);
  if (!c) return DROPEFFECT_NONE;
  m_pData = pData;
  return c->CoreDragEnter(pData, dwKeyState, point);
}

DROPEFFECT SECEditCtrlOleDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  SECEditCtrl* c = Ctrl(pWnd);
  if (!c) return DROPEFFECT_NONE;
  m_pData = pData;
  return c->CoreDragOver(pData, dwKeyState, point);
}

BOOL SECEditCtrlOleDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) {
  SECEditCtrl* c = Ctrl(pWnd);
  m_nScrollCode = 0xFFFF;
  m_pData = nullptr;
  return c ? c->CoreDrop(pData, dropEffect, point) : FALSE;
}

void SECEditCtrlOleDropTarget::OnDragLeave(CWnd* pWnd) {
  if (SECEditCtrl* c = Ctrl(pWnd)) c->CoreDragLeave();
  if (m_nScrollCode == 0xFFFF) m_pData = nullptr;
}
