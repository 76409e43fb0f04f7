#include "platform/gdi/DC.h"
#include "platform/ui/Controls.h"

#include <string>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CCheckListBox, CListBox)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)

namespace {

BOOL CreateControl(CWnd* w, LPCSTR cls, LPCSTR text, DWORD style, const RECT& r, CWnd* parent, UINT id) {
  ui::EnsureNativeControls();
  return w->CreateEx(0, cls, text, style, r, parent, id);
}

// Owner-draw messages reflected to a control object.
template <class T>
BOOL OwnerDrawNotify(T* self, UINT message, LPARAM lParam, LRESULT* pResult) {
  switch (message) {
    case WM_DRAWITEM: self->DrawItem((LPDRAWITEMSTRUCT)lParam); break;
    case WM_MEASUREITEM: self->MeasureItem((LPMEASUREITEMSTRUCT)lParam); break;
    case WM_COMPAREITEM: {
      int r = self->CompareItem((LPCOMPAREITEMSTRUCT)lParam);
      if (pResult) *pResult = r;
      return TRUE;
    }
    case WM_DELETEITEM: self->DeleteItem((LPDELETEITEMSTRUCT)lParam); break;
    default: return FALSE;
  }
  if (pResult) *pResult = TRUE;
  return TRUE;
}

}  // namespace

BOOL CStatic::Create(LPCSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "Static", lpszText, dwStyle, rect, pParentWnd, nID);
}
BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DRAWITEM) {
    DrawItem((LPDRAWITEMSTRUCT)lParam);
    if (pResult) *pResult = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CButton::Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "Button", lpszCaption, dwStyle, rect, pParentWnd, nID);
}
BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DRAWITEM) {
    DrawItem((LPDRAWITEMSTRUCT)lParam);
    if (pResult) *pResult = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CBitmapButton::LoadBitmaps(LPCSTR up, LPCSTR sel, LPCSTR focus, LPCSTR disabled) {
  m_bitmap.DeleteObject();
  m_bitmapSel.DeleteObject();
  m_bitmapFocus.DeleteObject();
  m_bitmapDisabled.DeleteObject();
  auto load = [](CBitmap& b, LPCSTR name) {
    if (!name) return FALSE;
    return IS_INTRESOURCE(name) ? b.LoadBitmap((UINT)(ULONG_PTR)name) : b.LoadBitmap(name);
  };
  if (!load(m_bitmap, up)) return FALSE;
  load(m_bitmapSel, sel);
  load(m_bitmapFocus, focus);
  load(m_bitmapDisabled, disabled);
  return TRUE;
}

BOOL CBitmapButton::LoadBitmaps(UINT up, UINT sel, UINT focus, UINT disabled) {
  return LoadBitmaps(MAKEINTRESOURCE(up), sel ? MAKEINTRESOURCE(sel) : nullptr, focus ? MAKEINTRESOURCE(focus) : nullptr,
                     disabled ? MAKEINTRESOURCE(disabled) : nullptr);
}

BOOL CBitmapButton::AutoLoad(UINT nID, CWnd* pParent) {
  if (!SubclassDlgItem(nID, pParent)) return FALSE;
  CString name;
  GetWindowText(name);
  if (name.IsEmpty()) return FALSE;
  std::string base = name.GetString();
  std::string u = base + "U", d = base + "D", f = base + "F", x = base + "X";
  if (!LoadBitmaps(u.c_str(), d.c_str(), f.c_str(), x.c_str())) return FALSE;
  SizeToContent();
  return TRUE;
}

void CBitmapButton::SizeToContent() {
  BITMAP bm{};
  if (!m_bitmap.m_hObject || !m_bitmap.GetBitmap(&bm)) return;
  SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  if (!lpDIS) return;
  CBitmap* pick = &m_bitmap;
  UINT state = lpDIS->itemState;
  if ((state & ODS_SELECTED) && m_bitmapSel.m_hObject) pick = &m_bitmapSel;
  else if ((state & ODS_FOCUS) && m_bitmapFocus.m_hObject) pick = &m_bitmapFocus;
  else if ((state & ODS_DISABLED) && m_bitmapDisabled.m_hObject) pick = &m_bitmapDisabled;
  CDC* dc = CDC::FromHandle(lpDIS->hDC);
  if (!dc || !pick->m_hObject) return;
  CDC mem;
  mem.CreateCompatibleDC(dc);
  CBitmap* old = mem.SelectObject(pick);
  CRect r(lpDIS->rcItem);
  dc->BitBlt(r.left, r.top, r.Width(), r.Height(), &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "Edit", nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "ListBox", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CListBox::GetText(int nIndex, CString& rString) const {
  int n = GetTextLen(nIndex);
  rString.Empty();
  if (n < 0) return;
  std::string s((size_t)n + 1, '\0');
  GetText(nIndex, s.data());
  rString = s.c_str();
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL& bOutside) const {
  LRESULT r = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
  bOutside = HIWORD(r);
  return LOWORD(r);
}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CCheckListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CListBox::Create(dwStyle, rect, pParentWnd, nID)) return FALSE;
  SendMessage(LBX_ENABLECHECKS, TRUE);
  return TRUE;
}

void CCheckListBox::PreSubclassWindow() {
  CListBox::PreSubclassWindow();
  if (m_hWnd) ::SendMessage(m_hWnd, LBX_ENABLECHECKS, TRUE, 0);
}

void CCheckListBox::Enable(int, BOOL) {}
BOOL CCheckListBox::IsEnabled(int nIndex) const { return nIndex >= 0 && nIndex < GetCount(); }

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "ComboBox", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  int n = GetLBTextLen(nIndex);
  rString.Empty();
  if (n < 0) return;
  std::string s((size_t)n + 1, '\0');
  GetLBText(nIndex, s.data());
  rString = s.c_str();
}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, "ScrollBar", nullptr, dwStyle, rect, pParentWnd, nID);
}

int CScrollBar::GetScrollLimit() {
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(&si, SIF_RANGE | SIF_PAGE)) return 0;
  return std::max(si.nMin, si.nMax - std::max((int)si.nPage - 1, 0));
}

BOOL CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, TRACKBAR_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}
BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, UPDOWN_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}
BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, PROGRESS_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}
BOOL CStatusBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CreateControl(this, STATUSCLASSNAME, nullptr, dwStyle, rect, pParentWnd, nID);
}

CString CStatusBarCtrl::GetText(int nPane, int* pType) const {
  LRESULT r = SendMessage(SB_GETTEXTLENGTH, (WPARAM)nPane);
  if (pType) *pType = HIWORD(r);
  std::string s((size_t)LOWORD(r) + 1, '\0');
  SendMessage(SB_GETTEXT, (WPARAM)nPane, (LPARAM)s.data());
  return CString(s.c_str());
}

int CStatusBarCtrl::GetTextLength(int nPane, int* pType) const {
  LRESULT r = SendMessage(SB_GETTEXTLENGTH, (WPARAM)nPane);
  if (pType) *pType = HIWORD(r);
  return LOWORD(r);
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
  ui::EnsureNativeControls();
  return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASS, nullptr, WS_POPUP | dwStyle, 0, 0, 0, 0,
                  pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

namespace {
TOOLINFO MakeTool(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT rect, LPSTR text) {
  TOOLINFO ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
  ti.uId = nIDTool;
  if (rect) ti.rect = *rect;
  else if (pWnd && nIDTool == 0) {
    ti.uFlags |= TTF_IDISHWND;
    ti.uId = (UINT_PTR)ti.hwnd;
    ti.hwnd = ::GetParent(ti.hwnd) ? ::GetParent(ti.hwnd) : ti.hwnd;
  }
  ti.lpszText = text;
  return ti;
}
}  // namespace

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  if (!pWnd) return FALSE;
  TOOLINFO ti = MakeTool(pWnd, nIDTool, lpRectTool, const_cast<LPSTR>(lpszText));
  return (BOOL)SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  return AddTool(pWnd, MAKEINTRESOURCE(nIDText), lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFO ti = MakeTool(pWnd, nIDTool, nullptr, nullptr);
  if (nIDTool) ti.uFlags = 0;
  SendMessage(TTM_DELTOOL, 0, (LPARAM)&ti);
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect) {
  TOOLINFO ti = MakeTool(pWnd, nIDTool, lpRect, nullptr);
  SendMessage(TTM_NEWTOOLRECT, 0, (LPARAM)&ti);
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFO ti = MakeTool(pWnd, nIDTool, nullptr, const_cast<LPSTR>(lpszText));
  SendMessage(TTM_SETTOOLINFO, 0, (LPARAM)&ti);
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const {
  char buf[256] = {0};
  TOOLINFO ti = MakeTool(pWnd, nIDTool, nullptr, buf);
  SendMessage(TTM_GETTEXT, sizeof buf, (LPARAM)&ti);
  str = buf;
}
