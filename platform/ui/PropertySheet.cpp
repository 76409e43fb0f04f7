#include "platform/ui/PropertySheet.h"

#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlImpl.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CDialog)

namespace {
std::string LoadCaption(UINT id) {
  std::string s;
  if (id) LoadStringResource(id, s);
  return s;
}
}  // namespace

// ---- CPropertyPage --------------------------------------------------------------------------------------

CPropertyPage::CPropertyPage() { m_psp.dwSize = sizeof m_psp; }

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) { Construct(nIDTemplate, nIDCaption); }

CPropertyPage::CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption) : CDialog(lpszTemplateName) {
  m_psp.dwSize = sizeof m_psp;
  m_psp.pszTemplate = m_lpszTemplateName;
  m_caption = LoadCaption(nIDCaption);
  if (!m_caption.empty()) {
    m_psp.dwFlags |= PSP_USETITLE;
    m_psp.pszTitle = m_caption.c_str();
  }
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption) {
  m_psp.dwSize = sizeof m_psp;
  m_lpszTemplateName = MAKEINTRESOURCE(nIDTemplate);
  m_nIDHelp = nIDTemplate;
  m_psp.pszTemplate = m_lpszTemplateName;
  m_caption = LoadCaption(nIDCaption);
  if (!m_caption.empty()) {
    m_psp.dwFlags |= PSP_USETITLE;
    m_psp.pszTitle = m_caption.c_str();
  }
}

CString CPropertyPage::GetTitle() const {
  if ((m_psp.dwFlags & PSP_USETITLE) && m_psp.pszTitle) return m_psp.pszTitle;
  const DIALOG_RESOURCE* t = m_lpDialogTemplate ? m_lpDialogTemplate : AfxFindDialogTemplate(m_lpszTemplateName);
  return t && t->caption ? CString(t->caption) : CString();
}

BOOL CPropertyPage::OnSetActive() {
  if (m_bFirstSetActive) m_bFirstSetActive = FALSE;
  else UpdateData(FALSE);
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }
BOOL CPropertyPage::OnApply() {
  OnOK();
  m_bModified = FALSE;
  return TRUE;
}
void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
// A page's OK and Cancel do not end anything: the sheet does.
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged) {
  m_bModified = bChanged;
  if (m_pSheet && m_pSheet->m_hWnd) {
    if (CWnd* apply = m_pSheet->GetDlgItem(ID_APPLY_NOW)) apply->EnableWindow(bChanged);
  }
}

BOOL CPropertyPage::PreTranslateMessage(MSG*) { return FALSE; }

// ---- CPropertySheet -------------------------------------------------------------------------------------

CPropertySheet::CPropertySheet() { m_psh.dwSize = sizeof m_psh; }

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
  m_psh.dwSize = sizeof m_psh;
  m_psh.hwndParent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  m_caption = LoadCaption(nIDCaption);
  m_pParentWnd = pParentWnd;
  m_psh.nStartPage = iSelectPage;
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
  m_psh.dwSize = sizeof m_psh;
  m_psh.hwndParent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  m_caption = pszCaption ? pszCaption : "";
  m_pParentWnd = pParentWnd;
  m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet() {
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
  if (!pPage || GetPageIndex(pPage) >= 0) return;
  pPage->m_pSheet = this;
  m_pages.push_back(pPage);
  if (m_hWnd) Invalidate();
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) { RemovePage(GetPageIndex(pPage)); }

void CPropertySheet::RemovePage(int nPage) {
  if (nPage < 0 || nPage >= GetPageCount()) return;
  CPropertyPage* p = m_pages[(size_t)nPage];
  if (p->m_hWnd) p->DestroyWindow();
  p->m_pSheet = nullptr;
  m_pages.erase(m_pages.begin() + nPage);
  if (m_active == nPage) {
    m_active = -1;
    if (m_hWnd && !m_pages.empty()) ShowPage(std::min(nPage, GetPageCount() - 1));
  } else if (m_active > nPage) {
    --m_active;
  }
  if (m_hWnd) Invalidate();
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
  return nPage >= 0 && nPage < GetPageCount() ? m_pages[(size_t)nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (m_pages[i] == pPage) return (int)i;
  return -1;
}

void CPropertySheet::SetTitle(LPCSTR lpszText, UINT nStyle) {
  m_caption = lpszText ? lpszText : "";
  if (nStyle & PSH_PROPTITLE) m_caption = "Properties for " + m_caption;
  if (m_hWnd) SetWindowText(m_caption.c_str());
}

// The sheet's own template: as large as the largest page, tabs above, buttons below.
void CPropertySheet::BuildTemplate() {
  int cx = 100, cy = 50;
  for (CPropertyPage* p : m_pages) {
    const DIALOG_RESOURCE* t = p->m_lpDialogTemplate ? p->m_lpDialogTemplate : AfxFindDialogTemplate(p->m_lpszTemplateName);
    if (!t) continue;
    cx = std::max<int>(cx, t->cx);
    cy = std::max<int>(cy, t->cy);
  }
  int tabs = 14;  // dialog units for the tab row
  int width = cx + 14, height = tabs + cy + 7 + 7 + 14 + 7;
  m_buttons.clear();
  bool apply = !(m_psh.dwFlags & PSH_NOAPPLYNOW);
  bool help = (m_psh.dwFlags & PSH_HASHELP) != 0;
  int n = 2 + (apply ? 1 : 0) + (help ? 1 : 0);
  short x = (short)(width - 7 - n * 50 - (n - 1) * 4), y = (short)(height - 7 - 14);
  auto add = [&](WORD id, const char* text, DWORD style) {
    m_buttons.push_back(DLGITEM_ENTRY{"Button", id, WS_VISIBLE | WS_TABSTOP | style, 0, x, y, 50, 14, text});
    x = (short)(x + 54);
  };
  add(IDOK, "OK", BS_DEFPUSHBUTTON | WS_GROUP);
  add(IDCANCEL, "Cancel", BS_PUSHBUTTON);
  if (apply) add(ID_APPLY_NOW, "&Apply", BS_PUSHBUTTON | WS_DISABLED);
  if (help) add(IDHELP, "Help", BS_PUSHBUTTON);
  m_sheetTemplate = DIALOG_RESOURCE{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
                                    WS_EX_CONTROLPARENT, 0, 0, (short)width, (short)height, "", "MS Sans Serif", 8,
                                    m_buttons.data(), (UINT)m_buttons.size(), nullptr};
}

BOOL CPropertySheet::OnInitDialog() {
  SetWindowText(m_caption.c_str());
  CRect r(7, 7 + 14, m_sheetTemplate.cx - 7, m_sheetTemplate.cy - 7 - 14 - 7);
  MapDialogRect(&r);
  m_pageRect = r;
  SIZE base = GetDialogFontBaseUnits("MS Sans Serif", 8);
  m_tabHeight = MulDiv(14, base.cy, 8);
  int start = (int)m_psh.nStartPage < GetPageCount() ? (int)m_psh.nStartPage : 0;
  if (!m_pages.empty()) ShowPage(start);
  return FALSE;  // the page's first control has the focus
}

BOOL CPropertySheet::ShowPage(int nPage) {
  CPropertyPage* p = GetPage(nPage);
  if (!p || !m_hWnd) return FALSE;
  if (!p->m_hWnd) {
    HINSTANCE module = nullptr;
    const DIALOG_RESOURCE* t = p->m_lpDialogTemplate ? p->m_lpDialogTemplate : AfxFindDialogTemplate(p->m_lpszTemplateName, &module);
    if (!t) return FALSE;
    m_pageTemplates.resize(std::max<size_t>(m_pageTemplates.size(), (size_t)nPage + 1));
    DIALOG_RESOURCE child = *t;
    child.style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_VISIBLE | WS_DISABLED |
                                DS_MODALFRAME | WS_BORDER)) | WS_CHILD | DS_CONTROL;
    child.exStyle |= WS_EX_CONTROLPARENT;
    child.x = child.y = 0;
    if (!AfxCreateDialogWindow(&child, module, m_hWnd, p, nullptr, 0)) return FALSE;
    p->MoveWindow(m_pageRect.left, m_pageRect.top, m_pageRect.Width(), m_pageRect.Height(), FALSE);
  }
  if (!p->OnSetActive()) return FALSE;
  if (CPropertyPage* old = GetPage(m_active); old && old != p && old->m_hWnd) old->ShowWindow(SW_HIDE);
  m_active = nPage;
  p->ShowWindow(SW_SHOW);
  // The page's first control takes the focus (remembered while the sheet is not shown yet).
  HWND first = nullptr;
  for (HWND c = ::GetWindow(p->m_hWnd, GW_CHILD); c && !first; c = ::GetWindow(c, GW_HWNDNEXT)) {
    DWORD st = (DWORD)::GetWindowLongPtr(c, GWL_STYLE);
    if ((st & WS_TABSTOP) && (st & WS_VISIBLE) && !(st & WS_DISABLED)) first = c;
  }
  if (first) ::SendMessage(m_hWnd, WM_NEXTDLGCTL, (WPARAM)first, TRUE);
  InvalidateRect(CRect(0, 0, 10000, m_pageRect.top + 2), TRUE);
  return TRUE;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
  if (nPage < 0 || nPage >= GetPageCount()) return FALSE;
  if (!m_hWnd) {
    m_psh.nStartPage = (UINT)nPage;
    return TRUE;
  }
  if (nPage == m_active) return TRUE;
  CPropertyPage* cur = GetActivePage();
  if (cur && cur->m_hWnd && !cur->OnKillActive()) return FALSE;
  return ShowPage(nPage);
}

CRect CPropertySheet::GetTabRect(int nPage) const {
  if (nPage < 0 || nPage >= GetPageCount() || !m_hWnd) return CRect();
  ui::MeasureDC m(GetDialogFont("MS Sans Serif", 8));
  int x = m_pageRect.left;
  for (int i = 0; i <= nPage; ++i) {
    CString t = m_pages[(size_t)i]->GetTitle();
    int w = m.dc.GetTextExtent(t, t.GetLength()).cx + 16;
    if (i == nPage) return CRect(x, m_pageRect.top - m_tabHeight, x + w, m_pageRect.top);
    x += w;
  }
  return CRect();
}

void CPropertySheet::OnPaint() {
  CPaintDC dc(this);
  dc.SelectObject((HGDIOBJ)GetDialogFont("MS Sans Serif", 8));
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
  CRect frame = m_pageRect;
  frame.InflateRect(2, 2);
  dc.DrawEdge(&frame, EDGE_RAISED, BF_RECT);
  for (int i = 0; i < GetPageCount(); ++i) {
    CRect t = GetTabRect(i);
    bool active = i == m_active;
    if (!active) t.top += 2;
    dc.FillSolidRect(&t, ::GetSysColor(COLOR_BTNFACE));
    dc.DrawEdge(&t, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
    CString text = m_pages[(size_t)i]->GetTitle();
    dc.DrawText(text, text.GetLength(), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void CPropertySheet::OnLButtonDown(UINT nFlags, CPoint point) {
  for (int i = 0; i < GetPageCount(); ++i)
    if (GetTabRect(i).PtInRect(point)) {
      SetActivePage(i);
      return;
    }
  CDialog::OnLButtonDown(nFlags, point);
}

void CPropertySheet::Apply() {
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnApply();
  if (CWnd* apply = GetDlgItem(ID_APPLY_NOW)) apply->EnableWindow(FALSE);
}

void CPropertySheet::OnOK() {
  CPropertyPage* cur = GetActivePage();
  if (cur && cur->m_hWnd && !cur->OnKillActive()) return;
  Apply();
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndDialog(IDOK);
  else DestroyWindow();
}

void CPropertySheet::OnCancel() {
  CPropertyPage* cur = GetActivePage();
  if (cur && cur->m_hWnd && !cur->OnQueryCancel()) return;
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnReset();
  if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndDialog(IDCANCEL);
  else DestroyWindow();
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == ID_APPLY_NOW && HIWORD(wParam) == BN_CLICKED) {
    CPropertyPage* cur = GetActivePage();
    if (!cur || !cur->m_hWnd || cur->OnKillActive()) Apply();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPropertySheet::PressButton(int nButton) {
  if (!m_hWnd) return FALSE;
  int id = nButton == PSBTN_OK ? IDOK : nButton == PSBTN_CANCEL ? IDCANCEL : nButton == PSBTN_APPLYNOW ? ID_APPLY_NOW : 0;
  if (!id) return FALSE;
  PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(m_hWnd, id));
  return TRUE;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg) {
  // Ctrl+Tab and Ctrl+Page Down go to the next page, with Shift or Page Up to the previous.
  if (pMsg && pMsg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0 && GetPageCount() > 1 &&
      (pMsg->wParam == VK_TAB || pMsg->wParam == VK_NEXT || pMsg->wParam == VK_PRIOR)) {
    bool back = pMsg->wParam == VK_PRIOR || (pMsg->wParam == VK_TAB && ::GetKeyState(VK_SHIFT) < 0);
    int n = GetPageCount();
    SetActivePage(((m_active + (back ? -1 : 1)) % n + n) % n);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(pMsg);
}

INT_PTR CPropertySheet::DoModal() {
  if (m_pages.empty()) return -1;
  BuildTemplate();
  m_lpDialogTemplate = &m_sheetTemplate;
  m_active = -1;
  // The window that owns the sheet while it runs, for whoever repaints it after.
  CWnd* owner = CWnd::GetSafeOwner(m_pParentWnd);
  m_psh.hwndParent = owner ? owner->GetSafeHwnd() : nullptr;
  INT_PTR r = CDialog::DoModal();
  m_lpDialogTemplate = nullptr;
  for (CPropertyPage* p : m_pages) p->m_bFirstSetActive = TRUE;
  return r;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle) {
  if (m_pages.empty()) return FALSE;
  BuildTemplate();
  if (dwStyle != (DWORD)-1) m_sheetTemplate.style = dwStyle | DS_SETFONT;
  else m_sheetTemplate.style |= WS_VISIBLE;
  m_sheetTemplate.exStyle |= dwExStyle;
  m_psh.dwFlags |= PSH_MODELESS;
  return CreateIndirect(&m_sheetTemplate, pParentWnd);
}
