#include "plot/ui/DialogS.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WinThread.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CDialogS, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheetS, CPropertySheet)
IMPLEMENT_DYNAMIC(CPropertyPageS, CPropertyPage)
IMPLEMENT_DYNAMIC(CFormViewS, CFormView)
IMPLEMENT_DYNAMIC(CMDIChildWndS, CMDIChildWnd)
IMPLEMENT_DYNAMIC(CBitmapButtonS, CBitmapButton)

namespace {

// The control under the mouse of the last tooltip request, one per class.
HWND g_dialogTip = nullptr, g_pageTip = nullptr, g_viewTip = nullptr;

bool IsListed(const DWORD* ids, int ctrlId) {
  for (; ids[0] || ids[1]; ids += 2)
    if ((int)ids[0] == ctrlId) return true;
  return false;
}

// Cancel (2) or the control 10 pressed: the user is leaving, pages need not validate.
bool PressesCancel(CWnd* wnd, UINT message, LPARAM lParam) {
  if (LOWORD(message) != WM_LBUTTONDOWN) return false;
  CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
  CWnd* child = wnd->ChildWindowFromPoint(pt);
  int id = child && child != wnd ? child->GetDlgCtrlID() : 0;
  return id == 10 || id == IDCANCEL;
}

// Dialog controls do not notify their parent; Cancel and control 10 must, to be seen pressed.
void ListenToCancel(CWnd* wnd) {
  for (int id : {IDCANCEL, 10})
    if (CWnd* c = wnd->GetDlgItem(id)) c->ModifyStyleEx(WS_EX_NOPARENTNOTIFY, 0);
}

}  // namespace

BOOL CHelpMap::OnNeedText(CWnd* wnd, NMHDR* hdr, HWND& lastTip) const {
  CToolTipCtrl* tip = AfxGetThreadToolTip();
  if (tip && tip->m_hWnd != lastTip && m_pInitialDelay) {
    tip->SendMessage(TTM_SETDELAYTIME, TTDT_INITIAL, (LPARAM)*m_pInitialDelay);
    lastTip = tip->m_hWnd;
  }
  auto* ttt = reinterpret_cast<TOOLTIPTEXT*>(hdr);
  HWND control = (ttt->uFlags & TTF_IDISHWND) ? (HWND)hdr->idFrom : nullptr;
  if (!control || !m_pHelpIds || !m_pEnabled || !*m_pEnabled) return FALSE;
  if (!IsListed(m_pHelpIds, ::GetDlgCtrlID(control))) return FALSE;
  ttt->szText[0] = 0;
  ttt->lpszText = ttt->szText;
  CWinApp* app = AfxGetApp();
  ::HtmlHelp(control, app && app->m_pszHelpFilePath ? app->m_pszHelpFilePath : "", HH_TP_HELP_WM_HELP,
             (DWORD_PTR)m_pHelpIds);
  if (m_pPopupTime) wnd->SetTimer(kPopupTimer, *m_pPopupTime);
  return TRUE;
}

bool CHelpMap::OnTimer(CWnd* wnd, UINT_PTR id) {
  if (id != kPopupTimer) return false;
  CWnd* fg = CWnd::GetForegroundWindow();
  char cls[32] = {0};
  if (fg && fg->m_hWnd != wnd->m_hWnd && ::GetClassName(fg->m_hWnd, cls, sizeof cls) && std::strcmp(cls, "MS_WINNOTE") == 0)
    fg->SendMessage(WM_CLOSE);
  wnd->KillTimer(kPopupTimer);
  return true;
}

// ---- CDialogS -------------------------------------------------------------------------------------------

CDialogS::CDialogS() = default;
CDialogS::CDialogS(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}
CDialogS::CDialogS(const char* lpszTemplate, CWnd* pParent) : CDialog(lpszTemplate, pParent) {}

BOOL CDialogS::OnInitDialog() {
  EnableToolTips(TRUE);
  CDialog::OnInitDialog();
  ListenToCancel(this);
  return TRUE;
}

BOOL CDialogS::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && hdr->code == TTN_NEEDTEXT) {
    *pResult = m_help.OnNeedText(this, hdr, g_dialogTip);
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CDialogS::OnTimer(UINT_PTR id) {
  if (!CHelpMap::OnTimer(this, id)) CDialog::OnTimer(id);
}

void CDialogS::OnActivateApp(BOOL bActive, DWORD dwThreadID) {
  m_bValidate = bActive ? 1 : 0;
  CDialog::OnActivateApp(bActive, dwThreadID);
}

void CDialogS::OnParentNotify(UINT message, LPARAM lParam) {
  CDialog::OnParentNotify(message, lParam);
  if (PressesCancel(this, message, lParam)) m_bValidate = 0;
}

// ---- CPropertySheetS ------------------------------------------------------------------------------------

CPropertySheetS::CPropertySheetS() { m_psh.dwFlags |= PSH_NOAPPLYNOW; }
CPropertySheetS::CPropertySheetS(UINT nIDCaption, CWnd* pParent, UINT startPage)
    : CPropertySheet(nIDCaption, pParent, startPage) {
  m_psh.dwFlags |= PSH_NOAPPLYNOW;
}
CPropertySheetS::CPropertySheetS(const char* caption, CWnd* pParent, UINT startPage)
    : CPropertySheet(caption, pParent, startPage) {
  m_psh.dwFlags |= PSH_NOAPPLYNOW;
}

BOOL CPropertySheetS::OnInitDialog() {
  ModifyStyleEx(0, WS_EX_CONTROLPARENT);
  BOOL r = CPropertySheet::OnInitDialog();
  ListenToCancel(this);
  return r;
}

int CPropertySheetS::UpdateData(BOOL bSave) {
  int ok = 1;
  for (int i = 0; i < GetPageCount(); ++i) {
    CPropertyPage* page = GetPage(i);
    if (page && page->m_hWnd && !page->UpdateData(bSave)) ok = 0;
  }
  return ok;
}

int CPropertySheetS::SubclassDlgItem(UINT id, CWnd* parent, int startPage) {
  CWnd* holder = parent ? parent->GetDlgItem((int)id) : nullptr;
  if (!holder) return 0;
  CRect r;
  holder->GetWindowRect(&r);
  parent->ScreenToClient(&r);
  holder->DestroyWindow();
  if (!Create(parent, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0)) {
    if (startPage != -1) m_psh.nStartPage = (UINT)startPage;
    return 0;
  }
  SetWindowPos(&CWnd::wndBottom, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ModifyStyle(0, WS_CLIPSIBLINGS);
  return 1;
}

void CPropertySheetS::OnActivateApp(BOOL bActive, DWORD dwThreadID) {
  m_bValidate = bActive ? 1 : 0;
  CPropertySheet::OnActivateApp(bActive, dwThreadID);
}

void CPropertySheetS::OnParentNotify(UINT message, LPARAM lParam) {
  CPropertySheet::OnParentNotify(message, lParam);
  if (PressesCancel(this, message, lParam)) m_bValidate = 0;
}

// ---- CPropertyPageS -------------------------------------------------------------------------------------

CPropertyPageS::CPropertyPageS(UINT nIDTemplate, UINT nIDCaption) : CPropertyPage(nIDTemplate, nIDCaption) {}
CPropertyPageS::CPropertyPageS(const char* lpszTemplate, UINT nIDCaption) : CPropertyPage(lpszTemplate, nIDCaption) {}

BOOL CPropertyPageS::OnInitDialog() {
  EnableToolTips(TRUE);
  CPropertyPage::OnInitDialog();
  return TRUE;
}

BOOL CPropertyPageS::OnKillActive() {
  for (CWnd* w = GetParent(); w; w = w->GetParent()) {
    int* validate = nullptr;
    if (auto* d = dynamic_cast<CDialogS*>(w)) validate = &d->m_bValidate;
    if (auto* s = dynamic_cast<CPropertySheetS*>(w)) validate = &s->m_bValidate;
    if (auto* v = dynamic_cast<CFormViewS*>(w)) validate = &v->m_bValidate;
    if (!validate) continue;
    if (*validate == 0) return TRUE;
    break;
  }
  return CPropertyPage::OnKillActive();
}

void CPropertyPageS::SetPageCaption(const char* caption) {
  m_strCaption = caption ? caption : "";
  m_psp.pszTitle = m_strCaption;
  m_psp.dwFlags |= PSP_USETITLE;
}

BOOL CPropertyPageS::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && hdr->code == TTN_NEEDTEXT) {
    *pResult = m_help.OnNeedText(this, hdr, g_pageTip);
    return TRUE;
  }
  return CPropertyPage::OnNotify(wParam, lParam, pResult);
}

void CPropertyPageS::OnTimer(UINT_PTR id) {
  if (!CHelpMap::OnTimer(this, id)) CPropertyPage::OnTimer(id);
}

// ---- CFormViewS -----------------------------------------------------------------------------------------

CFormViewS::CFormViewS(UINT nIDTemplate) : CFormView(nIDTemplate) {}
CFormViewS::CFormViewS(const char* lpszTemplate) : CFormView(lpszTemplate) {}

void CFormViewS::OnInitialUpdate() {
  EnableToolTips(TRUE);
  CFormView::OnInitialUpdate();
}

void CFormViewS::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (!bActivate) m_bValidate = 0;
  CFormView::OnActivateView(bActivate, pActivateView, pDeactiveView);
  if (bActivate) m_bValidate = 1;
}

BOOL CFormViewS::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && hdr->code == TTN_NEEDTEXT) {
    *pResult = m_help.OnNeedText(this, hdr, g_viewTip);
    return TRUE;
  }
  return CFormView::OnNotify(wParam, lParam, pResult);
}

void CFormViewS::OnTimer(UINT_PTR id) {
  if (!CHelpMap::OnTimer(this, id)) CFormView::OnTimer(id);
}

// ---- CMDIChildWndS --------------------------------------------------------------------------------------

BOOL CMDIChildWndS::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  if (!CMDIChildWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext)) return FALSE;
  CString text;
  text.LoadString(nIDResource);
  int nl = text.Find('\n');
  m_strBaseTitle = nl >= 0 ? text.Left(nl) : text;
  return TRUE;
}

void CMDIChildWndS::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (CFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(bAddToTitle);
  CDocument* doc = GetActiveDocument();
  if (!(GetStyle() & FWS_ADDTOTITLE) || !bAddToTitle || !doc) return;
  CString title = m_strBaseTitle + " - " + doc->GetTitle();
  if (m_nWindow > 0) {
    CString n;
    n.Format(":%d", m_nWindow);
    title += n;
  }
  CString now;
  GetWindowText(now);
  if (now != title) SetWindowText(title);
}

// ---- CBitmapButtonS -------------------------------------------------------------------------------------

int CBitmapButtonS::LoadBitmaps(HINSTANCE module, const char* up, const char* down, const char* focus,
                                const char* disabled) {
  for (CBitmap* b : {&m_bitmap, &m_bitmapSel, &m_bitmapFocus, &m_bitmapDisabled}) b->DeleteObject();
  if (!m_bitmap.Attach(::LoadBitmap(module, up))) return 0;
  int ok = 1;
  if (down && !m_bitmapSel.Attach(::LoadBitmap(module, down))) ok = 0;
  if (focus && !m_bitmapFocus.Attach(::LoadBitmap(module, focus))) ok = 0;
  if (disabled && !m_bitmapDisabled.Attach(::LoadBitmap(module, disabled))) ok = 0;
  return ok;
}

int CBitmapButtonS::AutoLoad(HINSTANCE module, UINT id, CWnd* parent) {
  if (!parent || !CWnd::SubclassDlgItem(id, parent)) return 0;
  CString caption;
  GetWindowText(caption);
  if (!LoadBitmaps(module, caption + "U", caption + "D", caption + "F", caption + "X") && !m_bitmap.m_hObject) return 0;
  SizeToContent();
  return 1;
}
