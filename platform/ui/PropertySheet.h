// Property sheets and pages: a dialog with one tab per page, OK, Cancel and (unless left out) Apply.
#pragma once

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

#define PSH_DEFAULT 0x00000000u
#define PSH_PROPTITLE 0x00000001u
#define PSH_USEHICON 0x00000002u
#define PSH_PROPSHEETPAGE 0x00000008u
#define PSH_WIZARD 0x00000020u
#define PSH_NOAPPLYNOW 0x00000080u
#define PSH_HASHELP 0x00000200u
#define PSH_MODELESS 0x00000400u
#define PSP_DEFAULT 0x00000000u
#define PSP_USETITLE 0x00000008u
#define PSP_HASHELP 0x00000020u
#define ID_APPLY_NOW 0x3021
#define IDHELP 9
#define PSBTN_OK 1
#define PSBTN_CANCEL 5
#define PSBTN_APPLYNOW 4

struct PROPSHEETPAGE {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  LPCSTR pszTemplate;
  LPCSTR pszTitle;
  LPARAM lParam;
};
struct PROPSHEETHEADER {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  LPCSTR pszCaption;
  UINT nPages;
  UINT nStartPage;
};

class CPropertySheet;

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)
 public:
  CPropertyPage();
  explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
  explicit CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption = 0);
  void Construct(UINT nIDTemplate, UINT nIDCaption = 0);

  // Shown: by default the controls are refilled from the members (after the first time).
  virtual BOOL OnSetActive();
  // Left: by default the members are read and checked; FALSE keeps the page.
  virtual BOOL OnKillActive();
  virtual BOOL OnApply();
  virtual void OnReset();
  virtual BOOL OnQueryCancel();
  void OnOK() override;
  void OnCancel() override;
  void SetModified(BOOL bChanged = TRUE);
  BOOL IsModified() const { return m_bModified; }
  CPropertySheet* GetSheet() const { return m_pSheet; }
  CString GetTitle() const;

  PROPSHEETPAGE m_psp{};

 protected:
  BOOL PreTranslateMessage(MSG* pMsg) override;

 private:
  friend class CPropertySheet;
  CPropertySheet* m_pSheet = nullptr;
  std::string m_caption;
  BOOL m_bFirstSetActive = TRUE;
  BOOL m_bModified = FALSE;
};

class CPropertySheet : public CDialog {
  DECLARE_DYNAMIC(CPropertySheet)
 public:
  CPropertySheet();
  explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
  explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
  ~CPropertySheet() override;

  void AddPage(CPropertyPage* pPage);
  void RemovePage(CPropertyPage* pPage);
  void RemovePage(int nPage);
  int GetPageCount() const { return (int)m_pages.size(); }
  CPropertyPage* GetPage(int nPage) const;
  int GetPageIndex(CPropertyPage* pPage) const;
  CPropertyPage* GetActivePage() const { return GetPage(m_active); }
  int GetActiveIndex() const { return m_active; }
  // Leaving the current page may be refused by its OnKillActive.
  BOOL SetActivePage(int nPage);
  BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
  void SetTitle(LPCSTR lpszText, UINT nStyle = 0);
  BOOL PressButton(int nButton);
  INT_PTR DoModal() override;
  BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
  // The rectangle of a tab (client coordinates); empty when there is no such page.
  CRect GetTabRect(int nPage) const;

  PROPSHEETHEADER m_psh{};

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnPaint() override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonDblClk(UINT nFlags, CPoint point) override { OnLButtonDown(nFlags, point); }
  BOOL PreTranslateMessage(MSG* pMsg) override;

 private:
  BOOL ShowPage(int nPage);
  void BuildTemplate();
  void Apply();
  std::vector<CPropertyPage*> m_pages;
  int m_active = -1;
  std::string m_caption;
  CRect m_pageRect;
  int m_tabHeight = 20;
  DIALOG_RESOURCE m_sheetTemplate{};
  std::vector<DLGITEM_ENTRY> m_buttons;
  std::vector<DIALOG_RESOURCE> m_pageTemplates;
};
