#include "grid/controls/GXComboBox.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const int kArrowRoom = 15;

using IgnoreFocus = GXIgnoreFocusScope;
using FocusLock = GXDropDownLockScope;

}  // namespace

GXIgnoreFocusScope::GXIgnoreFocusScope(CGXGridCore* pGrid) : grid(pGrid) {
  if (grid) grid->m_bIgnoreFocus = TRUE;
}
GXIgnoreFocusScope::~GXIgnoreFocusScope() {
  if (grid) grid->m_bIgnoreFocus = FALSE;
}
GXDropDownLockScope::GXDropDownLockScope() { CGXGridCombo::SetFocusLock(1); }
GXDropDownLockScope::~GXDropDownLockScope() { CGXGridCombo::SetFocusLock(0); }

// ---- arrow button -------------------------------------------------------------------------------------------

void CGXComboBoxButton::Draw(CDC* pDC, BOOL bActive) {
  auto* combo = dynamic_cast<CGXComboBox*>(m_pOwner);
  if (!pDC || (!bActive && !(combo && combo->m_bAlwaysShowArrow))) return;
  CRect rect = m_rect;
  GXFillRect(pDC, &rect, GXGetSysColorCache().GetColor(COLOR_BTNFACE));
  const BOOL pushed = IsPressed() && IsTracking();
  // An edge in less than four pixels would reach out of the cell.
  if (rect.Width() < 4 || rect.Height() < 4) return;
  GXDrawButtonEdge(pDC, rect, pushed ? 10 : 5, FALSE);
  rect.DeflateRect(2, 0);
  // A 7-pixel down arrow, one pixel right and down while pressed.
  const int w = 7, h = 4;
  const int x = rect.left + std::max(0, (int)(rect.Width() - w) / 2) + (pushed ? 1 : 0);
  const int y = rect.top + std::max(0, (int)(rect.Height() - h) / 2) + (pushed ? 1 : 0);
  CRect clip = m_rect;
  clip.DeflateRect(1, 1);
  for (int row = 0; row < h; ++row) {
    CRect line(x + row, y + row, x + w - row, y + row + 1);
    line.IntersectRect(&line, &clip);
    if (!line.IsRectEmpty()) GXFillRect(pDC, &line, GXGetSysColorCache().GetColor(COLOR_BTNTEXT));
  }
}

// ---- popup ------------------------------------------------------------------------------------------------------

CGXGridCombo::CGXGridCombo(CWnd* pParent, CGXComboBox* pOwner, const CRect& rect) : m_pOwner(pOwner) {
  FocusLock lock;
  CreateEx(0, GXGetLibraryData().m_strPopupClass, "", WS_POPUP | WS_VISIBLE, rect.left - 1, rect.top,
           rect.Width() + 1, rect.Height(), pParent ? pParent->GetSafeHwnd() : nullptr, 0);
}

CGXGridCombo::~CGXGridCombo() {
  delete m_pListBox;
  m_brush.DeleteObject();
}

void CGXGridCombo::SetColors(COLORREF text, COLORREF back) {
  m_brush.DeleteObject();
  m_clrText = text;
  m_clrBack = back;
  m_bCustomColors = TRUE;
  m_brush.CreateSolidBrush(back);
}

BOOL CGXGridCombo::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (m_pListBox && (HWND)lParam == m_pListBox->GetSafeHwnd() && m_pOwner && m_pOwner->GetSafeHwnd()) {
    m_pOwner->SendMessage(WM_COMMAND, wParam, lParam);
    return TRUE;
  }
  return CWnd::OnCommand(wParam, lParam);
}

HBRUSH CGXGridCombo::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  if (!m_bCustomColors || !pDC) return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
  pDC->SetBkColor(m_clrBack);
  pDC->SetTextColor(m_clrText);
  return (HBRUSH)m_brush.m_hObject;
}

// ---- list -------------------------------------------------------------------------------------------------------

LRESULT CGXComboListBox::Tell(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_pOwner && m_pOwner->GetSafeHwnd() ? m_pOwner->SendMessage(message, wParam, lParam) : 0;
}

void CGXComboListBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  m_bKeyDown = TRUE;
  if (m_nRepeat++ == 0) m_nOldSel = GetCurSel();
  CListBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXComboListBox::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CListBox::OnKeyUp(nChar, nRepCnt, nFlags);
  if (!m_bKeyDown) return;
  m_nRepeat = 0;
  switch (nChar) {
    case VK_TAB:
      if (m_pOwner && m_pOwner->GetSafeHwnd()) {
        m_pOwner->PostMessage(WM_KEYDOWN, VK_TAB, 1);
        m_pOwner->PostMessage(WM_KEYUP, VK_TAB, 0xC0000001);
      }
      Tell(GX_WM_LISTBOX_END);
      return;
    case VK_RETURN: Tell(GX_WM_LISTBOX_END); return;
    case VK_ESCAPE: Tell(GX_WM_LISTBOX_CANCEL); return;
    default: {
      const int sel = GetCurSel();
      if (sel != m_nOldSel) {
        Tell(GX_WM_LISTBOX_CHANGED);
        m_nOldSel = sel;
      }
    }
  }
}

void CGXComboListBox::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  m_bKeyDown = TRUE;
  CListBox::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXComboListBox::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DOWN && m_bKeyDown) {
    Tell(GX_WM_LISTBOX_CANCEL);
    return;
  }
  CListBox::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXComboListBox::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bMouseDown = TRUE;
  m_nOldSel = GetCurSel();
  CListBox::OnLButtonDown(nFlags, point);
}

void CGXComboListBox::OnLButtonUp(UINT nFlags, CPoint point) {
  CListBox::OnLButtonUp(nFlags, point);
  if (m_bMouseDown && GetCurSel() >= 0) Tell(GX_WM_LISTBOX_END);
}

void CGXComboListBox::OnKillFocus(CWnd* pNewWnd) {
  CListBox::OnKillFocus(pNewWnd);
  if (m_pOwner && m_pOwner->GetSafeHwnd()) m_pOwner->PostMessage(GX_WM_LISTBOX_KILLFOCUS);
}

BOOL GXEraseListWithParentBrush(CWnd* pListBox, CDC* pDC) {
  CWnd* parent = pListBox && pDC ? pListBox->GetParent() : nullptr;
  HBRUSH brush = parent ? (HBRUSH)parent->SendMessage(WM_CTLCOLORLISTBOX, (WPARAM)pDC->GetSafeHdc(),
                                                      (LPARAM)pListBox->GetSafeHwnd())
                        : nullptr;
  if (!brush) return FALSE;
  CRect rect;
  pListBox->GetClientRect(&rect);
  ::FillRect(pDC->GetSafeHdc(), &rect, brush);
  return TRUE;
}

BOOL CGXComboListBox::OnEraseBkgnd(CDC* pDC) {
  return GXEraseListWithParentBrush(this, pDC) || CListBox::OnEraseBkgnd(pDC);
}

// ---- the cell ---------------------------------------------------------------------------------------------------

CGXComboBox::CGXComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID, UINT nFlags)
    : CGXEditControl(pGrid, nEditID), m_nFlags(nFlags), m_pButton(new CGXComboBoxButton(this)),
      m_nListBoxID(nListBoxID) {
  AddChild(m_pButton);
}

CGXComboBox::~CGXComboBox() {
  if (m_pDropDownWnd) {
    FocusLock lock;
    CGXGridCombo* popup = m_pDropDownWnd;
    m_pDropDownWnd = nullptr;
    popup->DestroyWindow();
    delete popup;
  }
  m_ListBoxFont.DeleteObject();
}


BOOL CGXComboBox::Converts(const CGXStyle& style) const {
  return m_bFillWithChoiceList && (m_nFlags & (1 | 16)) && style.GetIncludeChoiceList();
}

int CGXComboBox::FindChoice(const CGXStyle& style, const CString& text, CString& entry) {
  entry.Empty();
  if (!style.GetIncludeChoiceList()) return -1;
  return const_cast<CGXComboBox*>(this)->FindStringInChoiceList(entry, text, style.GetChoiceList(), FALSE);
}

BOOL CGXComboBox::TextToValue(const CGXStyle& style, const CString& text, CString& value) {
  CString entry;
  const int index = FindChoice(style, text, entry);
  value.Empty();
  if (index < 0) return FALSE;
  if (m_nFlags & 16)
    value.Format("%d", index + ((m_nFlags & 8) ? 1 : 0));
  else
    value = entry;
  return TRUE;
}

// ---- values -------------------------------------------------------------------------------------------------

BOOL CGXComboBox::GetValue(CString& text) {
  if (!CGXEditControl::GetValue(text)) return FALSE;
  if (!m_bInit) return TRUE;
  const CGXStyle& style = GetCurrentStyle();
  if (!Converts(style)) return TRUE;
  CString value;
  TextToValue(style, text, value);
  text = value;
  return TRUE;
}

BOOL CGXComboBox::GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) {
  if (!(m_nFlags & 16) || !m_bFillWithChoiceList || !pStyle || !pStyle->GetIncludeChoiceList())
    return CGXEditControl::GetDisplayText(text, nRow, nCol, pszValue, pStyle);
  CString value;
  if (!ValueToShow(pszValue, *pStyle, value)) return FALSE;
  text.Empty();
  if (value.IsEmpty()) return TRUE;
  const long number = std::strtol(value, nullptr, 10);
  int index = (int)(number & 0xFFFF);
  if ((m_nFlags & 8) && number < 65535) --index;
  index = (int16_t)index;
  GetChoiceListItem(text, pStyle->GetChoiceList(), index);
  return TRUE;
}

BOOL CGXComboBox::ValueToShow(LPCTSTR pszValue, const CGXStyle& style, CString& value) {
  if (pszValue)
    value = pszValue;
  else if (style.GetIncludeValue())
    value = style.GetValue();
  else
    return FALSE;
  return TRUE;
}

BOOL CGXComboBox::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  CGXStyle* owned = GXComposeIfNone(m_pGrid, nRow, nCol, pOldStyle);
  CString text = pszText ? pszText : "";
  BOOL ok = TRUE;
  // A text that names no choice is refused; an empty one still clears.
  if (Converts(*pOldStyle) && !text.IsEmpty()) {
    CString value;
    ok = TextToValue(*pOldStyle, text, value);
    text = value;
  }
  if (ok) ok = CGXEditControl::StoreCellText(nRow, nCol, text, flags, pOldStyle);
  if (owned) m_pGrid->RecycleStyle(owned);
  return ok;
}

BOOL CGXComboBox::ValidateText(const CString& text) {
  if (text.IsEmpty() || !m_bFillWithChoiceList || !(m_nFlags & (1 | 16))) return TRUE;
  CString entry;
  return FindChoice(GetCurrentStyle(), text, entry) >= 0;
}

// ---- list ---------------------------------------------------------------------------------------------------

void CGXComboBox::FillListBox(CListBox* pListBox) {
  if (!pListBox || !m_pGrid || !m_bInit) return;
  CGXStyle* style = m_pGrid->CreateStyle();
  m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, style);
  if (m_bFillWithChoiceList && style->GetIncludeChoiceList()) {
    CString list = style->GetChoiceList(), line;
    while (!list.IsEmpty()) {
      GXSplitFirstLine(list, line);
      pListBox->AddString(line);
    }
  }
  CString text;
  if (IsActive())
    GetWindowText(text);
  else
    text = style->GetValue();
  if ((m_nFlags & 1) || (IsActive() && (m_nFlags & 16))) {
    const int found = pListBox->FindStringExact(-1, text);
    if (found >= 0)
      pListBox->SetCurSel(found);
    else
      pListBox->SelectString(-1, text);
  } else if (m_nFlags & 4) {
    pListBox->SetCurSel(std::atoi(text));
  } else if (m_nFlags & 8) {
    pListBox->SetCurSel(std::atoi(text) - 1);
  } else {
    pListBox->SelectString(-1, text);
  }
  m_pGrid->RecycleStyle(style);
}

void CGXComboBox::ApplyListSelection(CListBox* pListBox) {
  if (!pListBox) return;
  const int sel = pListBox->GetCurSel();
  if (sel < 0) return;
  CString text;
  if (m_nFlags & 4)
    text.Format("%d", sel);
  else if (m_nFlags & 8)
    text.Format("%d", sel + 1);
  else
    pListBox->GetText(sel, text);
  SetActive(TRUE);
  SetActiveText(text);
  SetSel(0, -1);
  SendMessage(EM_SCROLLCARET);
  SetModify(TRUE);
  if (m_bStaticLook)
    Refresh();
  else
    Invalidate();
}

void CGXComboBox::GetDropDownRect(CRect& rect, const CRect& rectCell) {
  const int height = m_pGrid && m_pGrid->GetParam() ? m_pGrid->GetParam()->m_nDropDownHeight : 100;
  rect.SetRect(rectCell.left, rectCell.bottom, rectCell.right, rectCell.bottom + height);
}

CGXGridCombo* CGXComboBox::CreateDropDownWnd(CWnd* pParent, const CRect& rect) {
  return new CGXGridCombo(pParent, this, rect);
}

CListBox* CGXComboBox::CreateListBox(CWnd* pPopup, UINT nID) {
  if (!pPopup) return nullptr;
  auto* list = new CGXComboListBox(this);
  list->CreateEx(0, "COMBOLBOX", "", ListStyle() | WS_VISIBLE | WS_BORDER | WS_CHILD, ListRect(pPopup), pPopup, nID);
  return list;
}

CRect CGXComboBox::ListRect(CWnd* pPopup) {
  CRect rect;
  pPopup->GetClientRect(&rect);
  rect.DeflateRect(1, 0);
  return rect;
}

DWORD CGXComboBox::ListStyle() {
  if (!m_dwListBoxStyle) m_dwListBoxStyle = WS_VSCROLL | LBS_NOTIFY;
  return m_dwListBoxStyle;
}

CGXStyle* GXComposeIfNone(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, const CGXStyle*& pStyle) {
  if (pStyle || !pGrid) return nullptr;
  CGXStyle* owned = pGrid->CreateStyle();
  pGrid->ComposeStyleRowCol(nRow, nCol, owned);
  pStyle = owned;
  return owned;
}

void CGXComboBox::SetListFont(const CGXStyle& style, CWnd* pListBox) {
  if (!GXCreateZoomedCellFont(m_pGrid, m_ListBoxFont, style)) return;
  if (pListBox && pListBox->GetSafeHwnd()) pListBox->SendMessage(WM_SETFONT, (WPARAM)m_ListBoxFont.m_hObject, TRUE);
}

void CGXComboBox::DestroyDropDownWnd(CGXGridCombo* pPopup) {
  if (pPopup) {
    pPopup->DestroyWindow();
    delete pPopup;
  }
  m_ListBoxFont.DeleteObject();
}

int CGXComboBox::MeasureTextHeight(const CGXStyle& style) {
  if (m_nTextHeight || !m_pGrid || !m_pGrid->m_pGridWnd) return m_nTextHeight;
  CClientDC dc(m_pGrid->m_pGridWnd);
  CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  if (old) dc.SelectObject(old);
  m_nTextHeight = tm.tmHeight;
  return m_nTextHeight;
}

void CGXComboBox::ShowDropDown(BOOL bShow) {
  if (!bShow) {
    if (m_pDropDownWnd && m_hWnd) SendMessage(GX_WM_LISTBOX_CANCEL, 0, IsActive());
    return;
  }
  if (m_pDropDownWnd || !m_pGrid || !m_bInit || !m_pGrid->m_pGridWnd) return;
  m_pGrid->m_bDropDownOpen = TRUE;
  CGXStyle* style = m_pGrid->CreateStyle();
  m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, style);
  const CRect cellRect = m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol);
  CRect cell;
  CGXStatic::GetCellInnerRect(cell, m_nRow, m_nCol, &cellRect, style);
  CRect desktop;
  ::GetClientRect(::GetDesktopWindow(), &desktop);

  CListBox* list = nullptr;
  {
    IgnoreFocus ignore(m_pGrid);
    m_pDropDownWnd = CreateDropDownWnd(m_pGrid->m_pGridWnd, CRect(0, 0, 1, 1));
    list = CreateListBox(m_pDropDownWnd, m_nListBoxID);
  }
  m_pDropDownWnd->SetListBox(list);

  SetListFont(*style, list);
  COLORREF text = 0, back = 0;
  GXGetCellColors(m_pGrid, *style, text, back);
  m_pDropDownWnd->SetColors(text, back);

  FillListBox(list);
  CRect rect;
  GetDropDownRect(rect, cell);
  m_pGrid->m_pGridWnd->ClientToScreen(&rect);
  CRect screenCell = cell;
  m_pGrid->m_pGridWnd->ClientToScreen(&screenCell);
  if (list) {
    const int needed = list->GetCount() * MeasureTextHeight(*style) + list->GetItemHeight(0) / 2;
    if (needed < rect.Height()) rect.bottom = rect.top + needed;
  }
  if (rect.right > desktop.right) rect.OffsetRect(-(rect.Width() - screenCell.Width()), 0);
  if (rect.bottom > desktop.bottom) rect.OffsetRect(0, -(screenCell.Height() + rect.Height()));
  rect.IntersectRect(&rect, &desktop);
  m_pGrid->RecycleStyle(style);

  FocusLock lock;
  m_pDropDownWnd->SetWindowPos(&CWnd::wndTopMost, rect.left, rect.top, rect.Width(), rect.Height(), SWP_SHOWWINDOW);
  if (list) {
    list->SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_SHOWWINDOW | SWP_NOZORDER);
    list->SetFocus();
    if (list->GetCurSel() < 0) list->SetCurSel(0);
    list->UpdateWindow();
  }
}

void CGXComboBox::DropPopup() {
  CGXGridCombo* popup = m_pDropDownWnd;
  m_pDropDownWnd = nullptr;
  DestroyDropDownWnd(popup);
}

// ---- messages -----------------------------------------------------------------------------------------------

LRESULT CGXComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case GX_WM_LISTBOX_END: return OnListBoxEnd(wParam, lParam);
    case GX_WM_LISTBOX_CANCEL: return OnListBoxCancel(wParam, lParam);
    case GX_WM_LISTBOX_CHANGED: return OnListBoxChanged(wParam, lParam);
    case GX_WM_LISTBOX_KILLFOCUS: return OnListBoxKillFocus(wParam, lParam);
    default: return CGXEditControl::WindowProc(message, wParam, lParam);
  }
}

LRESULT CGXComboBox::OnListBoxCancel(WPARAM wParam, LPARAM lParam) {
  if (m_pGrid) m_pGrid->m_bDropDownOpen = FALSE;
  if (!m_pDropDownWnd || !m_pGrid) return 0;
  IgnoreFocus ignore(m_pGrid);
  BOOL keep = lParam != 0;
  {
    FocusLock lock;
    CWnd* list = m_pDropDownWnd->GetListBox();
    const BOOL listHadFocus = list && ::GetFocus() == list->GetSafeHwnd() && m_pGrid->m_bGridHasFocus;
    if (!keep && wParam != GX_LISTBOX_GRID_LEFT && listHadFocus) keep = TRUE;
    DropPopup();
  }
  if (keep) {
    SetFocus();
    if (GetModify()) OnModifyCell();
  } else {
    SetActive(FALSE);
    SetModify(FALSE);
    Refresh();
  }
  return 0;
}

LRESULT CGXComboBox::OnListBoxEnd(WPARAM, LPARAM) {
  if (m_pGrid) m_pGrid->m_bDropDownOpen = FALSE;
  if (!m_pDropDownWnd || !m_pGrid) return 0;
  IgnoreFocus ignore(m_pGrid);
  {
    FocusLock lock;
    GetCurrentStyle();
    if (!IsReadOnly()) ApplyListSelection(static_cast<CListBox*>(m_pDropDownWnd->GetListBox()));
    DropPopup();
  }
  OnModifyCell();
  // The list's window is gone: the focus it held comes back to the edit window.
  const HWND focus = ::GetFocus();
  if (!focus || focus == m_pGrid->m_pGridWnd->GetSafeHwnd()) SetFocus();
  return 0;
}

LRESULT CGXComboBox::OnListBoxChanged(WPARAM, LPARAM) {
  if (!m_pDropDownWnd || IsReadOnly()) return 0;
  ApplyListSelection(static_cast<CListBox*>(m_pDropDownWnd->GetListBox()));
  OnModifyCell();
  return 0;
}

LRESULT CGXComboBox::OnListBoxKillFocus(WPARAM, LPARAM) {
  if (!m_pGrid || !m_pGrid->m_pGridWnd) return 0;
  const HWND focus = ::GetFocus();
  const HWND grid = m_pGrid->m_pGridWnd->GetSafeHwnd();
  if (!focus) {
    SendMessage(GX_WM_LISTBOX_CANCEL, 0, 0);
    return 0;
  }
  if (focus == grid || ::IsChild(grid, focus)) return 0;
  // The list's popup counts as ours while it lives.
  if (m_pDropDownWnd && (focus == m_pDropDownWnd->GetSafeHwnd() || ::IsChild(m_pDropDownWnd->GetSafeHwnd(), focus)))
    return 0;
  {
    IgnoreFocus ignore(m_pGrid);
    m_pGrid->m_pGridWnd->SetFocus();
    SendMessage(GX_WM_LISTBOX_CANCEL, 0, 0);
    ::SetFocus(focus);
  }
  return 0;
}

void CGXComboBox::OnSetFocus(CWnd* pOldWnd) {
  if (m_pDropDownWnd) SendMessage(GX_WM_LISTBOX_CANCEL, 0, 1);
  CGXEditControl::OnSetFocus(pOldWnd);
}

void CGXComboBox::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DOWN) {
    if (ScrollCellIntoView()) {
      m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
      m_pGrid->m_pGridWnd->UpdateWindow();
      ShowDropDown(TRUE);
    }
    return;
  }
  CGXEditControl::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CGXComboBox::OnGridSysKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != VK_DOWN || !m_pGrid) return FALSE;
  if (ScrollCellIntoView()) {
    SetActive(TRUE);
    if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
    if (m_pGrid->m_pGridWnd) m_pGrid->m_pGridWnd->UpdateWindow();
    ShowDropDown(TRUE);
  }
  return TRUE;
}

BOOL CGXComboBox::OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_bStaticLook || nChar != '(') return CGXEditControl::OnGridChar(nChar, nRepCnt, nFlags);
  CString entry;
  if (m_bInit && FindChoice(GetCurrentStyle(), "(", entry) >= 0) SetCurrentText(entry);
  return TRUE;
}

BOOL CGXComboBox::OnGridMouseActivate(CWnd*, UINT, UINT, int& result) {
  if (!m_pDropDownWnd || !m_hWnd) return FALSE;
  SendMessage(GX_WM_LISTBOX_CANCEL, 0, 1);
  result = MA_ACTIVATEANDEAT;
  return TRUE;
}

BOOL CGXComboBox::ReplaceSelectedText(LPCTSTR pszText) {
  const BOOL active = IsActive() && m_hWnd;
  if (!CGXEditControl::ReplaceSelectedText(pszText)) return FALSE;
  if (active) OnModifyCell();
  return TRUE;
}

BOOL CGXComboBox::OnClickedButton(CObject* pChild) {
  // The list opens under the cell where it shows, so an active cell too is scrolled into view first.
  if (!m_pGrid || !ScrollCellIntoView()) return FALSE;
  if (!IsActive()) {
    SetActive(TRUE);
    Refresh();
  }
  if (m_pGrid->m_pGridWnd) m_pGrid->m_pGridWnd->UpdateWindow();
  ShowDropDown(!IsDroppedDown());
  return CGXEditControl::OnClickedButton(pChild);
}

BOOL CGXComboBox::OnGridWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HSCROLL || message == WM_VSCROLL) ShowDropDown(FALSE);
  // The grid is left while the list is open: nothing was chosen, whatever the list showed.
  if (message == WM_CANCELMODE && m_pDropDownWnd && m_hWnd)
    SendMessage(GX_WM_LISTBOX_CANCEL, GX_LISTBOX_GRID_LEFT, 0);
  return CGXEditControl::OnGridWindowMessage(message, wParam, lParam);
}

// ---- life cycle -------------------------------------------------------------------------------------------

void CGXComboBox::SetActive(BOOL bActive) {
  if (!bActive && m_pDropDownWnd && m_hWnd) PostMessage(GX_WM_LISTBOX_CANCEL, 0, 0);
  CGXEditControl::SetActive(bActive);
}

void CGXComboBox::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXEditControl::Init(nRow, nCol);
  if (m_pGrid && m_pGrid->m_pGridWnd && m_pGrid->m_pGridWnd->GetSafeHwnd()) {
    const CRect arrow = m_pButton->GetRect();
    m_pGrid->m_pGridWnd->InvalidateRect(&arrow, FALSE);
  }
}

void CGXComboBox::Deactivate() {
  ShowDropDown(FALSE);
  CGXEditControl::Deactivate();
}

// ---- geometry and drawing -----------------------------------------------------------------------------------

CSize CGXComboBox::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += kArrowRoom;
  return CGXEditControl::GrowSizeByBorders(size, style);
}

void CGXComboBox::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect,
                                   const CGXStyle* pStyle) {
  CGXEditControl::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  const BOOL current = m_pGrid && m_pGrid->IsCurrentCell(nRow, nCol);
  if (m_bReserveRoom && !m_bAlwaysShowArrow && !current) return;
  rect.right -= kArrowRoom;
}

void CGXComboBox::LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) {
  CRect arrow(std::max(rect.right - 16, rect.left + 1), rect.top, rect.right - 1, rect.bottom - 1);
  if (m_bArrowFitsText && m_pGrid && (IsInitAt(nRow, nCol) || m_bAlwaysShowArrow)) {
    const CGXStyle& style = m_pGrid->LookupStyleRowCol(nRow, nCol);
    const int textHeight = MeasureTextHeight(style);
    const int height = std::min(textHeight + 2, (int)rect.Height() - 2 * m_nArrowMargin);
    const UINT vAlign = style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0;
    if (vAlign == DT_VCENTER)
      arrow.top += (rect.Height() - height) / 2 - m_nArrowMargin;
    else if (vAlign == DT_BOTTOM)
      arrow.top = rect.bottom - 2 * m_nArrowMargin - height;
    arrow.bottom = arrow.top + height + 2 * m_nArrowMargin - 1;
  }
  m_pButton->SetRect(arrow);
}

CSize CGXComboBox::CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard, BOOL bHeight) {
  const CSize base = CGXEditControl::CalcSize(pDC, nRow, nCol, style, pStandard, bHeight);
  if (!pDC) return base;
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  CSize size(0, tm.tmHeight + tm.tmExternalLeading + 1);
  if (m_bFillWithChoiceList && style.GetIncludeChoiceList()) {
    CString list = style.GetChoiceList(), line;
    while (!list.IsEmpty()) {
      GXSplitFirstLine(list, line);
      size.cx = std::max<LONG>(size.cx, pDC->GetTextExtent(line).cx);
    }
  }
  if (old) pDC->SelectObject(old);
  size = GrowSizeByBorders(size, style);
  return CSize(std::max(size.cx, base.cx), std::max(size.cy, base.cy));
}

void CGXComboBox::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) {
  if (m_bStaticLook && IsInitAt(nRow, nCol) && IsActive() && m_pGrid && !m_pGrid->m_bPrinting) {
    CGXStyle shown(style);
    CString value;
    GetValue(value);
    shown.SetValue(value);
    Hide();
    return CGXStatic::Draw(pDC, rect, nRow, nCol, shown, pStandard);
  }
  CGXEditControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
}
