#include "platform/ui/FormView.h"

#include "platform/ui/FrameWnd.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

CFormView::CFormView(UINT nIDTemplate) : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)) {}

CFormView::CFormView(LPCSTR lpszTemplateName) {
  if (lpszTemplateName && !IS_INTRESOURCE(lpszTemplateName)) {
    m_name = lpszTemplateName;
    m_lpszTemplateName = m_name.c_str();
  } else {
    m_lpszTemplateName = lpszTemplateName;
  }
}

BOOL CFormView::Create(LPCSTR, LPCSTR, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                       CCreateContext* pContext) {
  HINSTANCE module = nullptr;
  const DIALOG_RESOURCE* t = AfxFindDialogTemplate(m_lpszTemplateName, &module);
  if (!t) return FALSE;
  // The template's controls in a child window of the view's own position and style.
  DIALOG_RESOURCE child = *t;
  child.style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME)) |
                WS_CHILD | DS_CONTROL | (dwStyle & (WS_BORDER | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS));
  child.x = child.y = 0;
  HWND h = AfxCreateDialogWindow(&child, module, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, this, pContext, nID);
  if (!h) return FALSE;
  // The form's size is its template's: the scroll sizes cover it.
  CRect client;
  ::GetClientRect(h, &client);
  SetScrollSizes(MM_TEXT, CSize(client.Width(), client.Height()));
  MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
  if (dwStyle & WS_VISIBLE) ShowWindow(SW_SHOW);
  return TRUE;
}

void CFormView::OnInitialUpdate() {
  UpdateData(FALSE);
  CScrollView::OnInitialUpdate();
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg || !m_hWnd) return FALSE;
  if (CScrollView::PreTranslateMessage(pMsg)) return TRUE;
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
  // The dialog keys would take every key: the frames' own keys (accelerators, MDI keys) come first.
  for (CFrameWnd* frame = GetParentFrame(); frame; frame = frame->GetParentFrame())
    if (frame->PreTranslateMessage(pMsg)) return TRUE;
  return ::IsDialogMessage(m_hWnd, pMsg);
}

void CFormView::OnSetFocus(CWnd* pOldWnd) {
  // The focus goes on to the control that last had it, else the first control.
  HWND to = m_hWndFocus && ::IsWindow(m_hWndFocus) && ::IsChild(m_hWnd, m_hWndFocus) ? m_hWndFocus
                                                                                      : ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
  if (to) {
    ::SetFocus(to);
    return;
  }
  CScrollView::OnSetFocus(pOldWnd);
}

void CFormView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
  if (!bActivate) {
    HWND f = ::GetFocus();
    if (f && ::IsChild(m_hWnd, f)) m_hWndFocus = f;
  }
  CScrollView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}
