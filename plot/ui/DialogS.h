// Dialog, page, sheet, form view, MDI child and bitmap button bases: context-help popups for the
// control under the mouse, no validation while the user cancels or switches away, small conveniences.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/ui/FormView.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PropertySheet.h"

// The control-to-help-id table and the switches of the context-help popups (all owned by the caller).
struct CHelpMap {
  DWORD* m_pHelpIds = nullptr;  // (control id, help id) pairs ending with a zero pair
  int* m_pEnabled = nullptr;
  WORD* m_pInitialDelay = nullptr;  // ms before the tooltip control asks
  WORD* m_pPopupTime = nullptr;     // ms the popup stays

  void Set(DWORD* ids, int* enabled, WORD* initialDelay, WORD* popupTime) {
    m_pHelpIds = ids, m_pEnabled = enabled, m_pInitialDelay = initialDelay, m_pPopupTime = popupTime;
  }
  // Serves a tooltip request of `wnd` with a help popup; `lastTip` is the tooltip control its class
  // saw last. FALSE declines.
  BOOL OnNeedText(CWnd* wnd, NMHDR* hdr, HWND& lastTip) const;
  // The popup timer: closes the help viewer's popup window.
  static bool OnTimer(CWnd* wnd, UINT_PTR id);
  static constexpr UINT_PTR kPopupTimer = 57005;
};

class CDialogS : public CDialog {
  DECLARE_DYNAMIC(CDialogS)
 public:
  CDialogS();
  CDialogS(UINT nIDTemplate, CWnd* pParent);
  CDialogS(const char* lpszTemplate, CWnd* pParent);
  void SetHelpMap(DWORD* ids, int* enabled, WORD* initialDelay, WORD* popupTime) {
    m_help.Set(ids, enabled, initialDelay, popupTime);
  }
  BOOL OnInitDialog() override;
  int m_bValidate = 1;

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnTimer(UINT_PTR nIDEvent) override;
  void OnActivateApp(BOOL bActive, DWORD dwThreadID) override;
  void OnParentNotify(UINT message, LPARAM lParam) override;
  CHelpMap m_help;
};

class CPropertySheetS : public CPropertySheet {
  DECLARE_DYNAMIC(CPropertySheetS)
 public:
  CPropertySheetS();
  CPropertySheetS(UINT nIDCaption, CWnd* pParent = nullptr, UINT startPage = 0);
  CPropertySheetS(const char* caption, CWnd* pParent = nullptr, UINT startPage = 0);
  int UpdateData(BOOL bSave = TRUE);
  // Creates the sheet as a child in place of the placeholder control `id` of `parent`.
  int SubclassDlgItem(UINT id, CWnd* parent, int startPage);
  int m_bValidate = 1;

 protected:
  BOOL OnInitDialog() override;
  void OnActivateApp(BOOL bActive, DWORD dwThreadID) override;
  void OnParentNotify(UINT message, LPARAM lParam) override;
};

class CPropertyPageS : public CPropertyPage {
  DECLARE_DYNAMIC(CPropertyPageS)
 public:
  CPropertyPageS(UINT nIDTemplate, UINT nIDCaption = 0);
  CPropertyPageS(const char* lpszTemplate, UINT nIDCaption = 0);
  void SetHelpMap(DWORD* ids, int* enabled, WORD* initialDelay, WORD* popupTime) {
    m_help.Set(ids, enabled, initialDelay, popupTime);
  }
  BOOL OnInitDialog() override;
  BOOL OnKillActive() override;
  void SetPageCaption(const char* caption);

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnTimer(UINT_PTR nIDEvent) override;
  CHelpMap m_help;
  CString m_strCaption;
};

class CFormViewS : public CFormView {
  DECLARE_DYNAMIC(CFormViewS)
 public:
  explicit CFormViewS(UINT nIDTemplate);
  explicit CFormViewS(const char* lpszTemplate);
  void SetHelpMap(DWORD* ids, int* enabled, WORD* initialDelay, WORD* popupTime) {
    m_help.Set(ids, enabled, initialDelay, popupTime);
  }
  void OnInitialUpdate() override;
  int m_bValidate = 1;

 protected:
  void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnTimer(UINT_PTR nIDEvent) override;
  CHelpMap m_help;
};

class CMDIChildWndS : public CMDIChildWnd {
  DECLARE_DYNAMIC(CMDIChildWndS)
 public:
  BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
  void OnUpdateFrameTitle(BOOL bAddToTitle) override;
  CString m_strBaseTitle;
};

class CBitmapButtonS : public CBitmapButton {
  DECLARE_DYNAMIC(CBitmapButtonS)
 public:
  int LoadBitmaps(HINSTANCE module, const char* up, const char* down = nullptr, const char* focus = nullptr,
                  const char* disabled = nullptr);
  int AutoLoad(HINSTANCE module, UINT id, CWnd* parent);
};
