// CFormView: a view whose client area is a dialog template with its controls.
#pragma once

#include "platform/ui/Dialog.h"
#include "platform/ui/View.h"

class CFormView : public CScrollView {
  DECLARE_DYNAMIC(CFormView)

 public:
  explicit CFormView(UINT nIDTemplate);
  explicit CFormView(LPCSTR lpszTemplateName);

  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CCreateContext* pContext = nullptr) override;
  void OnInitialUpdate() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void OnDraw(CDC*) override {}
  UINT GetTemplateID() const { return IS_INTRESOURCE(m_lpszTemplateName) ? (UINT)(ULONG_PTR)m_lpszTemplateName : 0; }

  LPCSTR m_lpszTemplateName;

 protected:
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

 private:
  std::string m_name;
  HWND m_hWndFocus = nullptr;
};
