#include "grid/controls/GXTabbedComboBoxWnd.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

// Guards the list placement against the messages its own moving sends.
BOOL g_bPlacingList = FALSE;

}  // namespace

// ---- edit field -----------------------------------------------------------------------------------------------

LRESULT CGXTabbedCBEditWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam) {
    const char* text = (const char*)lParam;
    const size_t n = strnlen(text, 255);
    if (const void* tab = std::memchr(text, '\t', n)) {
      const CString first(text, (int)((const char*)tab - text));
      return CGXComboEditPart::DefWindowProc(message, wParam, (LPARAM)first.GetString());
    }
  }
  return CGXComboEditPart::DefWindowProc(message, wParam, lParam);
}

void CGXTabbedCBEditWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CGXTabbedComboBoxWnd* combo = m_pTabbed;
  if (!combo || !combo->m_hWnd || combo->IsReadOnly() || (GetStyle() & ES_READONLY))
    return CGXComboEditPart::OnChar(nChar, nRepCnt, nFlags);
  CString before;
  GetWindowText(before);
  int start = 0, end = 0;
  GetSel(start, end);
  CGXComboEditPart::OnChar(nChar, nRepCnt, nFlags);
  if (nChar < 32 || !combo->m_bAutoComplete) return;
  CString typed;
  GetWindowText(typed);
  const int row = combo->FindString(-1, typed);
  if (row < 0) {
    SetWindowText(before);
    SetSel(start, end);
    return;
  }
  CString line;
  combo->GetLBText(row, line);
  SetWindowText(GXTabbedField(line, 0));
  SetSel(typed.GetLength(), -1);
}

// ---- the cell -----------------------------------------------------------------------------------------------

CGXTabbedComboBoxWnd::CGXTabbedComboBoxWnd(CGXGridCore* pGrid)
    : CGXComboBoxWnd(pGrid), m_pHeader(new CGXTabbedLBoxHeader) {
  m_bDropDownOnClick = FALSE;
  m_wndTabEdit.m_pOwner = this;
  m_wndTabEdit.m_pTabbed = this;
}

CGXTabbedComboBoxWnd::~CGXTabbedComboBoxWnd() {
  if (m_wndTabEdit.m_hWnd) m_wndTabEdit.UnsubclassWindow();
  if (m_pHeader->GetSafeHwnd()) m_pHeader->DestroyWindow();
  delete m_pHeader;
}

BOOL CGXTabbedComboBoxWnd::CreateControl(DWORD dwStyle, UINT nID) {
  if (!m_pButton) {
    m_pButton = new CGXComboBoxWndButton(this);
    AddChild(m_pButton);
  }
  if (!m_pGrid || !m_pGrid->m_pGridWnd) return FALSE;
  const DWORD style = dwStyle | WS_VSCROLL | CBS_NOINTEGRALHEIGHT | CBS_HASSTRINGS | CBS_OWNERDRAWVARIABLE | CBS_DROPDOWN;
  if (!CWnd::Create("GXCOMBOBOX", "", style | WS_CHILD, CRect(0, 0, 0, 0), m_pGrid->m_pGridWnd, nID)) return FALSE;
  if (HWND edit = ::GetWindow(m_hWnd, GW_CHILD)) m_wndTabEdit.SubclassWindow(edit);
  m_bTextCapable = FALSE;
  return TRUE;
}


void CGXTabbedComboBoxWnd::FillList() {
  if (!m_hWnd || !m_bInit) return;
  ResetContent();
  CGXStyle& style = GetCurrentStyle();
  GXSortTabbedStyle(style, m_layout);
  if (!m_bFillWithChoiceList || !style.GetIncludeChoiceList() || style.GetChoiceList().IsEmpty()) return;
  GXFillTabbedList(m_pGrid, style, m_layout, m_pHeader->m_strTitle, [this](const CString& row) {
    m_strPendingRow = row;
    AddString(row);
    m_strPendingRow.Empty();
  });
  CString current, found;
  GetWindowText(current);
  SetCurSel(current.IsEmpty() ? -1 : m_layout.Find(style, current, m_layout.m_nTextCol, TRUE, found));
}

void CGXTabbedComboBoxWnd::Init(ROWCOL nRow, ROWCOL nCol) {
  // The base lists the raw lines; the rows are filled here.
  const BOOL fill = m_bFillWithChoiceList;
  m_bFillWithChoiceList = FALSE;
  CGXComboBoxWnd::Init(nRow, nCol);
  m_bFillWithChoiceList = fill;
  if (!m_hWnd) return;
  const CGXStyle& style = GetCurrentStyle();
  m_layout.ReadAttributes(style, TRUE);
  if (m_wndTabEdit.m_hWnd) {
    m_wndTabEdit.SetSel(0, 0);
    m_wndTabEdit.SetReadOnly(FALSE);
  }
  EnableWindow(TRUE);
  FillList();
  SetActiveText(style.GetIncludeValue() ? style.GetValue() : CString());
  SetModify(FALSE);
  const BOOL readOnly = IsReadOnly();
  if (readOnly) {
    EnableWindow(FALSE);
    if (m_wndTabEdit.m_hWnd) {
      m_wndTabEdit.EnableWindow(TRUE);
      m_wndTabEdit.SetReadOnly(TRUE);
    }
  }
}

BOOL CGXTabbedComboBoxWnd::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR pszValue, const CGXStyle* pStyle) {
  return pStyle && pStyle->GetIncludeChoiceList() && GXTabbedDisplayText(*pStyle, pszValue, text);
}

void CGXTabbedComboBoxWnd::SetActiveText(const CString& text) {
  if (!m_hWnd || !m_bInit) return;
  CString line;
  SetCurSel(m_layout.Find(GetCurrentStyle(), text, m_layout.m_nKeyCol, TRUE, line));
}

void CGXTabbedComboBoxWnd::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit || !m_hWnd) return;
  if (!IsDropDownList()) return CGXComboBoxWnd::GetCurrentText(text);
  const int sel = GetCurSel();
  if (sel < 0) return;
  CString row;
  GetLBText(sel, row);
  text = GXTabbedField(row, 0);
}

BOOL CGXTabbedComboBoxWnd::GetValue(CString& text) {
  if (!m_bInit) return FALSE;
  CString shown;
  GetCurrentText(shown);
  text.Empty();
  if (shown.IsEmpty()) return TRUE;
  const int row = m_hWnd ? FindString(-1, shown) : CB_ERR;
  if (row < 0) return FALSE;
  CString line;
  GetLBText(row, line);
  // Rows lead with the text column's field when that is not the first.
  text = GXTabbedField(line, m_layout.m_nKeyCol + (m_layout.m_nTextCol > 0 ? 1 : 0));
  return TRUE;
}

BOOL CGXTabbedComboBoxWnd::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  CGXStyle* owned = GXComposeIfNone(m_pGrid, nRow, nCol, pOldStyle);
  const CString text = pszText ? pszText : "";
  GXTabbedLayout layout;
  layout.ReadAttributes(*pOldStyle, FALSE);
  CString line;
  BOOL ok = text.IsEmpty() || layout.Find(*pOldStyle, text, layout.m_nTextCol, TRUE, line) >= 0;
  if (ok)
    ok = CGXControl::StoreCellText(nRow, nCol, text.IsEmpty() ? CString() : GXTabbedField(line, layout.m_nKeyCol), flags,
                                   pOldStyle);
  if (owned) m_pGrid->RecycleStyle(owned);
  return ok;
}

BOOL CGXTabbedComboBoxWnd::ValidateText(const CString& text) {
  if (text.IsEmpty() || !m_bFillWithChoiceList || !m_bInit) return TRUE;
  CString line;
  return m_layout.Find(GetCurrentStyle(), text, m_layout.m_nTextCol, FALSE, line) >= 0;
}

BOOL CGXTabbedComboBoxWnd::OnValidate() {
  CString value;
  return !(IsActive() && GetModify() && !GetValue(value));
}

CSize CGXTabbedComboBoxWnd::CalcSize(CDC* pDC, ROWCOL, ROWCOL, const CGXStyle& style, const CGXStyle*, BOOL) {
  return GrowSizeByBorders(GXTabbedContentSize(m_pGrid, pDC, style, m_bFillWithChoiceList), style);
}

void CGXTabbedComboBoxWnd::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                                const CGXStyle* pStandard) {
  const BOOL active = IsInitAt(nRow, nCol) && IsActive() && m_hWnd && m_pGrid && !m_pGrid->m_bPrinting;
  if (!active && GXDrawTabbedBitmapCell(this, pDC, rect, nRow, nCol, style, pStandard)) return;
  // The value is a key, not a row of the list: other cells show its text column as static text.
  if (!active) return CGXStatic::Draw(pDC, rect, nRow, nCol, style, pStandard);
  GXGetCellColors(m_pGrid, style, m_layout.m_rgbText, m_layout.m_rgbBack);
  CGXComboBoxWnd::Draw(pDC, rect, nRow, nCol, style, pStandard);
}

void CGXTabbedComboBoxWnd::Hide() {
  if (m_pHeader->GetSafeHwnd() && m_pHeader->IsWindowVisible()) m_pHeader->ShowWindow(SW_HIDE);
  CGXComboBoxWnd::Hide();
}

void CGXTabbedComboBoxWnd::OnShowWindow(BOOL bShow, UINT nStatus) {
  CGXComboBoxWnd::OnShowWindow(bShow, nStatus);
  if (!bShow && m_pHeader->GetSafeHwnd()) m_pHeader->ShowWindow(SW_HIDE);
}

BOOL CGXTabbedComboBoxWnd::OnClickedButton(CObject* pChild) {
  if (!m_bInit || !m_pGrid) return FALSE;
  if (!IsActive() && m_bDropDownOnClick) return CGXComboBoxWnd::OnClickedButton(pChild);
  if (!IsActive()) {
    if (!ScrollCellIntoView()) return FALSE;
    SetActive(TRUE);
    Refresh();
  }
  if (m_hWnd && !GetDroppedState() && !m_bDropDownOnClick) {
    const CRect arrow = m_pButton ? m_pButton->GetRect() : CRect();
    CRect inner;
    GetCellInnerRect(inner, m_nRow, m_nCol);
    m_pGrid->UpdateWindow();
    const CPoint at(arrow.left - inner.left + 5, arrow.top - inner.top + 5);
    PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessage(WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  }
  return CGXStatic::OnClickedButton(pChild);
}

BOOL CGXTabbedComboBoxWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (m_hWnd && (HWND)lParam == m_hWnd && IsActive()) {
    if (HIWORD(wParam) == CBN_CLOSEUP && m_pHeader->GetSafeHwnd()) m_pHeader->ShowWindow(SW_HIDE);
    if (HIWORD(wParam) == CBN_DROPDOWN) m_rectLastPlace.SetRectEmpty();
  }
  return CGXComboBoxWnd::OnCommand(wParam, lParam);
}

BOOL CGXTabbedComboBoxWnd::ProcessKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_bInit) return FALSE;
  m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  if (GetKeyState(VK_CONTROL) < 0) return m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags);
  if (nChar != VK_ESCAPE) return CGXComboBoxWnd::ProcessKeyDown(nChar, nRepCnt, nFlags);
  if (GetDroppedState()) ShowDropDown(FALSE);
  if (GetModify()) {
    // The changes go: the cell's value is bound again.
    Init(m_nRow, m_nCol);
    {
      GXIgnoreFocusScope ignore(m_pGrid);
      if (m_pGrid->m_pGridWnd) m_pGrid->m_pGridWnd->SetFocus();
    }
    // Drawn once the grid has the focus, as any later paint of the cell draws it.
    Refresh();
  }
  return TRUE;
}

// ---- rows ---------------------------------------------------------------------------------------------------

void CGXTabbedComboBoxWnd::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  if (!lpDIS || lpDIS->itemID == (UINT)-1 || !m_hWnd) return;
  CString row;
  if ((int)lpDIS->itemID < CComboBox::GetCount()) GetLBText((int)lpDIS->itemID, row);
  // The selection field shows the text column alone.
  const BOOL field = (lpDIS->itemState & ODS_COMBOBOXEDIT) != 0;
  GXDrawTabbedRow(CDC::FromHandle(lpDIS->hDC), lpDIS, row, m_layout, field);
}

void CGXTabbedComboBoxWnd::MeasureItem(LPMEASUREITEMSTRUCT lpMIS) {
  if (!lpMIS || m_bNoMeasure || !m_hWnd) return;
  CString row;
  const int index = (int)lpMIS->itemID;
  if (index >= 0 && index < CComboBox::GetCount() && GetLBTextLen(index) > 0)
    GetLBText(index, row);
  else
    row = m_strPendingRow;
  lpMIS->itemHeight = (UINT)GXMeasureTabbedRowHeight(row, m_layout, (int)lpMIS->itemHeight);
}

// ---- the dropped list's place -----------------------------------------------------------------------------------

HBRUSH CGXTabbedComboBoxWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  OnGridCtlColor(pDC, pWnd, nCtlColor);
  return CGXComboBoxWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}

CRect CGXTabbedComboBoxWnd::PlaceHeader(CRect list) {
  if (!m_layout.m_bDisplayTitleRow || !m_pHeader->CreateHeader()) return list;
  const int height = m_pHeader->Prepare(m_layout, m_font.m_hObject ? &m_font : nullptr);
  CRect combo;
  GetWindowRect(&combo);
  CRect header(list.left, list.top - height, list.right, list.top);
  if (list.bottom > combo.bottom) {  // the list is below the combo: the header takes its top
    header.SetRect(list.left, list.top, list.right, list.top + height);
    list.OffsetRect(0, height);
  }
  m_pHeader->SetWindowPos(&CWnd::wndTopMost, header.left, header.top, header.Width(), header.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  return list;
}

HBRUSH CGXTabbedComboBoxWnd::OnGridCtlColor(CDC*, CWnd* pWnd, UINT nCtlColor) {
  if (!pWnd || !pWnd->GetSafeHwnd() || !m_hWnd) return nullptr;
  if (nCtlColor == CTLCOLOR_EDIT) {
    if (!GetDroppedState() && m_pHeader->GetSafeHwnd() && m_pHeader->IsWindowVisible()) m_pHeader->ShowWindow(SW_HIDE);
    return nullptr;
  }
  if (nCtlColor != CTLCOLOR_LISTBOX || g_bPlacingList) return nullptr;
  char name[25] = {};
  ::GetClassName(pWnd->GetSafeHwnd(), name, 24);
  if (strcasecmp(name, "ComboLBox") != 0) return nullptr;
  g_bPlacingList = TRUE;
  CRect list, client, desktop;
  pWnd->GetWindowRect(&list);
  GetClientRect(&client);
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  list.right = list.left + std::max<LONG>(client.Width(), m_layout.m_nTotalWidth);
  if (list.right > desktop.right) list.OffsetRect(-(list.Width() - client.Width()), 0);
  if (!m_pHeader->GetSafeHwnd() || !m_pHeader->IsWindowVisible()) list = PlaceHeader(list);
  list.IntersectRect(&list, &desktop);
  if (list != m_rectLastPlace) {
    pWnd->MoveWindow(list, TRUE);
    m_rectLastPlace = list;
    if (m_pHeader->GetSafeHwnd()) m_pHeader->Invalidate();
  }
  g_bPlacingList = FALSE;
  return nullptr;
}
