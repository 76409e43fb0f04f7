#include "grid/controls/GXComboBoxWnd.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXProperties.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
WORD ActivateFlags(CGXGridCore* grid) { return grid && grid->GetParam() ? grid->GetParam()->m_wActivateFlags : 0; }
CGXRange Cell(ROWCOL r, ROWCOL c) { return CGXRange().SetCellRange(r, c, r, c); }

CString ChoiceList(const CGXStyle& style) { return style.GetIncludeChoiceList() ? style.GetChoiceList() : CString(); }

}  // namespace

// ---- edit part and arrow ----------------------------------------------------------------------------------------

void CGXComboEditPart::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_pOwner && m_pOwner->ProcessKeyDown(nChar, nRepCnt, nFlags)) return;
  CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXComboEditPart::OnKillFocus(CWnd* pNewWnd) {
  CEdit::OnKillFocus(pNewWnd);
  if (!m_pOwner || !m_pOwner->m_hWnd) return;
  const HWND to = pNewWnd ? pNewWnd->GetSafeHwnd() : nullptr;
  if (to != m_pOwner->m_hWnd && !(to && ::IsChild(m_pOwner->m_hWnd, to)))
    m_pOwner->SendMessage(WM_KILLFOCUS, (WPARAM)to, 0);
}

void CGXComboBoxWndButton::Draw(CDC* pDC, BOOL bActive) {
  auto* owner = dynamic_cast<CGXComboBoxWnd*>(m_pOwner);
  if (owner && owner->IsActive()) return;  // the combo box shows its own arrow
  if (!bActive && !(owner && owner->m_bAlwaysShowArrow)) return;
  CGXComboBoxButton::Draw(pDC, TRUE);
}

// ---- construction ---------------------------------------------------------------------------------------------------

CGXComboBoxWnd::CGXComboBoxWnd(CGXGridCore* pGrid)
    : CGXStatic(pGrid), m_nFrameMargin(GXGetLibraryData().m_bWin4 ? 3 : 2) {
  m_wndEdit.m_pOwner = this;
}

CGXComboBoxWnd::~CGXComboBoxWnd() {
  if (m_wndEdit.m_hWnd) m_wndEdit.UnsubclassWindow();
  if (m_hWnd) DestroyWindow();
}

BOOL CGXComboBoxWnd::CreateControl(DWORD dwStyle, UINT nID) {
  if (!m_pButton) {
    m_pButton = new CGXComboBoxWndButton(this);
    AddChild(m_pButton);
  }
  if (!m_pGrid || !m_pGrid->m_pGridWnd) return FALSE;
  if (!CWnd::Create("GXCOMBOBOX", "", dwStyle | WS_CHILD, CRect(0, 0, 0, 0), m_pGrid->m_pGridWnd, nID)) return FALSE;
  if (HWND edit = ::GetWindow(m_hWnd, GW_CHILD)) m_wndEdit.SubclassWindow(edit);
  m_bTextCapable = !(dwStyle & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE));
  return TRUE;
}

// ---- value ----------------------------------------------------------------------------------------------------------

BOOL CGXComboBoxWnd::Converts(const CGXStyle& style) const {
  return m_bFillWithChoiceList && !ChoiceList(style).IsEmpty() && (m_nIndexValue != -1 || m_bDispChoice);
}

void CGXComboBoxWnd::GetEditSel(int& nStart, int& nEnd) {
  if (m_hWnd && !IsDropDownList()) {
    const DWORD sel = CComboBox::GetEditSel();
    nStart = (short)LOWORD(sel);
    nEnd = (short)HIWORD(sel);
    return;
  }
  nStart = m_nSelStart;
  nEnd = m_nSelEnd;
}

void CGXComboBoxWnd::SetEditSel(int nStart, int nEnd) {
  m_nSelStart = nStart;
  m_nSelEnd = nEnd;
  if (m_hWnd && !IsDropDownList()) CComboBox::SetEditSel(nStart, nEnd);
}

void CGXComboBoxWnd::GetComboText(CString& text) {
  text.Empty();
  if (!m_hWnd) return;
  if (!IsDropDownList()) {
    GetWindowText(text);
    if (!text.IsEmpty()) return;
  }
  const int sel = GetCurSel();
  if (sel >= 0) GetLBText(sel, text);
}

void CGXComboBoxWnd::Init(ROWCOL nRow, ROWCOL nCol) {
  CGXStatic::Init(nRow, nCol);
  m_bDropDownPending = FALSE;
  m_nSelStart = 0, m_nSelEnd = -1;
  if (!m_hWnd) return;
  if (!IsDropDownList()) CComboBox::SetEditSel(0, -1);
  SetActive(FALSE);
  const CGXStyle& style = GetCurrentStyle();
  if (m_bFillWithChoiceList) {
    ResetContent();
    CString list = ChoiceList(style), line;
    for (int i = 0; GetChoiceListItem(line, list, i); ++i) AddString(line);
  }
  SetActiveText(style.GetIncludeValue() ? style.GetValue() : CString());
  // A read-only cell's edits go back to this until its list is opened.
  m_nSavedSel = GetCurSel();
  GetComboText(m_strSaved);
  if ((ActivateFlags(m_pGrid) & 4) && ScrollCellIntoView()) SetActive(TRUE);
  SetModify(FALSE);
  if (!IsActive() && m_pButton) m_pButton->Invalidate();
}

void CGXComboBoxWnd::SetActiveText(const CString& text) {
  if (!m_hWnd) return;
  int found = CB_ERR;
  if (!text.IsEmpty()) {
    if (m_nIndexValue == -1) {
      found = SelectString(-1, text);
    } else {
      const long index = std::atol(text) - m_nIndexValue;
      found = index >= 0 && index < CComboBox::GetCount() ? SetCurSel((int)index) : CB_ERR;
    }
  }
  if (found == CB_ERR) {
    if (!IsDropDownList()) {
      SetCurSel(-1);
      SetWindowText(text);
      CComboBox::SetEditSel(0, -1);
    } else {
      SetCurSel(-1);
    }
  }
}

BOOL CGXComboBoxWnd::GetValue(CString& text) {
  text.Empty();
  if (!m_bInit) return FALSE;
  if (!IsActive() || !m_hWnd) return CGXControl::GetValue(text);
  if (m_nIndexValue == -1) {
    GetComboText(text);
    return TRUE;
  }
  const int sel = GetCurSel();
  if (sel >= 0) text.Format("%d", sel + m_nIndexValue);
  return TRUE;
}

void CGXComboBoxWnd::GetCurrentText(CString& text) {
  text.Empty();
  if (!m_bInit) return;
  if (IsActive()) return GetComboText(text);
  GetDisplayText(text, m_nRow, m_nCol, nullptr, &GetCurrentStyle());
}

BOOL CGXComboBoxWnd::GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) {
  if (!pStyle || m_nIndexValue == -1 || !m_bDispChoice || !m_bFillWithChoiceList || ChoiceList(*pStyle).IsEmpty())
    return CGXStatic::GetDisplayText(text, nRow, nCol, pszValue, pStyle);
  text.Empty();
  const CString value = pszValue ? CString(pszValue) : pStyle->GetIncludeValue() ? pStyle->GetValue() : CString();
  if (!pszValue && !pStyle->GetIncludeValue()) return FALSE;
  if (value.IsEmpty()) return TRUE;
  int index = (short)std::atoi(value);
  if (index != -1) index -= m_nIndexValue;
  GetChoiceListItem(text, ChoiceList(*pStyle), index);
  return TRUE;
}

void CGXComboBoxWnd::SetCurrentText(const CString& text) {
  if (!m_bInit || !m_hWnd) return;
  if (!IsActive()) SetActive(TRUE);
  if (!ValidateText(text)) return;
  if (IsDropDownList())
    SelectString(-1, text);
  else
    SetWindowText(text);
  SetModify(TRUE);
  OnModifyCell();
}

BOOL CGXComboBoxWnd::ValidateText(const CString& text) {
  if (text.IsEmpty() || !m_bFillWithChoiceList || (m_nIndexValue == -1 && !m_bDispChoice)) return TRUE;
  const CGXStyle& style = GetCurrentStyle();
  CString entry;
  return !ChoiceList(style).IsEmpty() && FindStringInChoiceList(entry, text, ChoiceList(style), FALSE) >= 0;
}

BOOL CGXComboBoxWnd::StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) {
  if (!m_pGrid || !m_pGrid->GetParam()) return FALSE;
  const CGXStyle& style = pOldStyle ? *pOldStyle : m_pGrid->LookupStyleRowCol(nRow, nCol);
  if (m_pGrid->GetParam()->m_bProtectReadOnly && (m_pGrid->IsReadOnly() || style.GetReadOnly())) return FALSE;
  CString text = pszText ? pszText : "";
  if (Converts(style) && !text.IsEmpty()) {
    CString entry;
    const int index = FindStringInChoiceList(entry, text, ChoiceList(style), FALSE);
    if (index < 0) return FALSE;  // names no choice: the cell stays as it is
    if (m_nIndexValue != -1)
      text.Format("%d", index + m_nIndexValue);
    else
      text = entry;
  } else if (!Converts(style) && style.GetIncludeMaxLength() && style.GetMaxLength() &&
             text.GetLength() > style.GetMaxLength()) {
    text = text.Left(style.GetMaxLength());
  }
  CGXStyle value;
  value.SetValue(text);
  return m_pGrid->SetStyleRange(Cell(nRow, nCol), &value, 0, 0, nullptr, flags, CmdDo);
}

BOOL CGXComboBoxWnd::Store() {
  if (!m_bInit || !m_pGrid) return TRUE;
  if (IsReadOnly()) {
    Init(m_nRow, m_nCol);
    SetModify(FALSE);
    Refresh();
    return TRUE;
  }
  CString value;
  if (!GetModify() || !GetValue(value)) return TRUE;
  SetActive(FALSE);
  SetModify(FALSE);
  return m_pGrid->SetRangeValueText(Cell(m_nRow, m_nCol), value, 0, GX_INVALIDATE);
}

BOOL CGXComboBoxWnd::GetSelectedText(CString& text) {
  text.Empty();
  if (!IsActive() || !m_hWnd) {
    GetCurrentText(text);
    return FALSE;
  }
  if (m_nIndexValue == -1 || m_bDispChoice) {
    CString all;
    GetComboText(all);
    int start = 0, end = 0;
    GetEditSel(start, end);
    start = std::clamp(start, 0, all.GetLength());
    text = end > start ? all.Mid(start, std::min(end, all.GetLength()) - start) : all.Mid(start);
  } else if (GetCurSel() >= 0) {
    text.Format("%d", GetCurSel() + m_nIndexValue);
  }
  return !text.IsEmpty();
}

// ---- activation and the list ----------------------------------------------------------------------------------------

void CGXComboBoxWnd::SetActive(BOOL bActive) {
  if (bActive && !m_hWnd) return;
  if (bActive && !m_bIsActive) FreeStyle();
  m_bIsActive = bActive;
}

void CGXComboBoxWnd::Hide() {
  if (!m_hWnd || !IsWindowVisible()) return;
  GXIgnoreFocusScope ignore(m_pGrid);
  ShowDropDown(FALSE);
  HideCaret();
  ShowWindow(SW_HIDE);
}

void CGXComboBoxWnd::DropByClick(CPoint pt) {
  if (!m_hWnd || !IsDropDownList() || !m_bDropDownOnClick || GetDroppedState()) return;
  if (!GXGetLibraryData().m_bWin4) {
    m_bDropDownPending = TRUE;
    return;
  }
  m_pGrid->UpdateWindow();  // the window takes its place first
  PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
  PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

void CGXComboBoxWnd::ActivateAndDropDown() {
  if (!m_bInit || !m_pGrid) return;
  if (!IsActive()) {
    if (!ScrollCellIntoView()) return;
    SetActive(TRUE);
    Refresh();
  }
  DropByClick(CPoint(0, 0));
}

void CGXComboBoxWnd::OnComboSetFocus() {
  if (m_bDropDownPending) ShowDropDown(TRUE);
  m_bDropDownPending = FALSE;
}

BOOL CGXComboBoxWnd::LButtonUp(UINT nFlags, CPoint pt) {
  // A press on the arrow is the arrow's to answer: activating first could scroll it from under the mouse.
  if (!(nFlags & MK_RBUTTON) && (ActivateFlags(m_pGrid) & 7) && m_pCaptureChild != m_pButton) ActivateAndDropDown();
  CGXStatic::LButtonUp(nFlags, pt);
  return TRUE;
}

BOOL CGXComboBoxWnd::LButtonDblClk(UINT nFlags, CPoint pt) {
  if (!IsActive() && (ActivateFlags(m_pGrid) & 8)) {
    ActivateAndDropDown();
    CGXStatic::LButtonDblClk(nFlags, pt);
    return TRUE;
  }
  return CGXStatic::LButtonDblClk(nFlags, pt);
}

BOOL CGXComboBoxWnd::OnClickedButton(CObject* pChild) {
  if (!m_bInit || !m_pGrid) return FALSE;
  if (IsActive() && IsDropDownList() && m_bDropDownOnClick) return CGXStatic::OnClickedButton(pChild);
  // The arrow's place in its cell, which the scroll below may move.
  CRect arrow = m_pButton ? m_pButton->GetRect() : CRect();
  const CPoint cellAt = m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol).TopLeft();
  if (!IsActive()) {
    if (!ScrollCellIntoView()) return FALSE;
    SetActive(TRUE);
    Refresh();
  }
  if (m_hWnd && !GetDroppedState() && m_bDropDownOnClick) {
    m_pGrid->UpdateWindow();
    arrow.OffsetRect(m_pGrid->CalcRectFromRowCol(m_nRow, m_nCol).TopLeft() - cellAt);
    CRect window;
    GetWindowRect(&window);
    m_pGrid->m_pGridWnd->ScreenToClient(&window);
    const CPoint at(arrow.left + 5 - window.left, arrow.top + 5 - window.top);
    if (!GXGetLibraryData().m_bWin4) {
      m_bDropDownPending = TRUE;
    } else {
      PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
      PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
  }
  return CGXStatic::OnClickedButton(pChild);
}

BOOL CGXComboBoxWnd::OnGridSysKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != VK_DOWN || !m_hWnd || !ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
  m_pGrid->UpdateWindow();
  ShowDropDown(TRUE);
  return TRUE;
}

void CGXComboBoxWnd::RestoreSaved() {
  if (IsDropDownList())
    SetCurSel(m_nSavedSel);
  else
    SetWindowText(m_strSaved);
}

BOOL CGXComboBoxWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd || (HWND)lParam != m_hWnd || !IsActive() || !m_pGrid) return FALSE;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
    case CBN_EDITCHANGE:
      if (IsReadOnly()) {
        RestoreSaved();
      } else {
        SetModify(TRUE);
        OnModifyCell();
      }
      break;
    case CBN_SETFOCUS: OnComboSetFocus(); break;
    case CBN_DROPDOWN:
      m_pGrid->m_bDropDownOpen = TRUE;
      m_nSavedSel = GetCurSel();
      GetComboText(m_strSaved);
      break;
    case CBN_CLOSEUP:
      m_pGrid->m_bDropDownOpen = FALSE;
      if (IsReadOnly())
        RestoreSaved();
      else if (GetModify())
        OnModifyCell();
      break;
    default: break;
  }
  return FALSE;
}

// ---- keys ----------------------------------------------------------------------------------------------------------------

BOOL CGXComboBoxWnd::ProcessKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!m_pGrid || !m_bInit) return FALSE;
  m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW);
  auto toGrid = [&]() { return m_pGrid->RouteKeyMessage(this, WM_KEYDOWN, nChar, nRepCnt, nFlags); };
  if (CtrlHeld()) return toGrid();
  const BOOL dropped = GetDroppedState();
  const BOOL stay = m_bWantArrowKeys || dropped;
  int start = 0, end = 0;
  switch (nChar) {
    case VK_TAB:
    case VK_ESCAPE: return toGrid();
    case VK_RETURN:
      if (!dropped) return toGrid();
      CComboBox::ShowDropDown(FALSE);
      return TRUE;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: return stay ? FALSE : toGrid();
    case VK_LEFT:
      if (stay) return FALSE;
      if (IsDropDownList()) return toGrid();
      GetEditSel(start, end);
      return start == 0 ? toGrid() : FALSE;
    case VK_RIGHT: {
      if (stay) return FALSE;
      if (IsDropDownList()) return toGrid();
      GetEditSel(start, end);
      const int length = GetWindowTextLength();
      return end >= 0 && end < length ? FALSE : toGrid();
    }
    case VK_DELETE:
      if (!IsDropDownList()) return FALSE;
      if (IsReadOnly()) return TRUE;
      SetActive(FALSE);
      SetModify(FALSE);
      m_pGrid->SetRangeValueText(Cell(m_nRow, m_nCol), "", 0, GX_UPDATENOW);
      return TRUE;
    default:
      if (nChar >= VK_F1 && nChar <= VK_F24) return toGrid();
      return FALSE;
  }
}

void CGXComboBoxWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!ProcessKeyDown(nChar, nRepCnt, nFlags)) CComboBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CGXComboBoxWnd::OnGridKeyDown(UINT nChar, UINT, UINT) {
  if ((nChar != VK_END && nChar != VK_HOME) || CtrlHeld() || !m_hWnd || !m_pGrid || !ScrollCellIntoView()) return FALSE;
  if (!m_bInit) return FALSE;
  SetActive(TRUE);
  CString text;
  GetComboText(text);
  const int at = nChar == VK_END ? text.GetLength() : 0;
  SetEditSel(at, at);
  if (!m_pGrid->ScrollCellInView(m_nRow, m_nCol, GX_UPDATENOW)) Refresh();
  return TRUE;
}

BOOL CGXComboBoxWnd::OnGridChar(UINT nChar, UINT, UINT) {
  if (nChar < 32 || nChar == 127) return FALSE;
  return OnGridChars(CString((char)nChar, 1));
}

BOOL CGXComboBoxWnd::OnGridChars(const CString& chars) {
  if (!m_bInit || !m_hWnd || IsReadOnly() || chars.IsEmpty()) return FALSE;
  if (IsActive()) {
    int start = 0, end = 0;
    GetEditSel(start, end);
    if (!ReplaceSelectedText(chars)) return FALSE;
    start = std::max(0, std::min(start, end < 0 ? start : end)) + chars.GetLength();
    SetEditSel(start, start);
    return TRUE;
  }
  // A field takes back a character that fits no choice it must fit; the first one typed is no different.
  if (!IsDropDownList() && !ValidateText(chars)) {
    OnInvalidKeyPressed(chars);
    return FALSE;
  }
  if (!ScrollCellIntoView()) return FALSE;
  SetActive(TRUE);
  if (IsDropDownList()) {
    CString current;
    GetComboText(current);
    const int from = current.IsEmpty() ? -1 : FindString(-1, current);
    const int before = GetCurSel();
    if (SelectString(from, chars) == CB_ERR || GetCurSel() == before) SelectString(-1, chars);
  } else {
    SetWindowText(chars);
    CComboBox::SetEditSel(chars.GetLength(), chars.GetLength());
  }
  SetModify(TRUE);
  OnModifyCell();
  Refresh();
  return TRUE;
}

BOOL CGXComboBoxWnd::ReplaceSelectedText(LPCTSTR pszText) {
  if (!m_bTextCapable || IsReadOnly()) return FALSE;
  if (!IsActive() || !m_hWnd) return CGXStatic::ReplaceSelectedText(pszText);
  const CString insert = pszText ? pszText : "";
  CString all;
  GetComboText(all);
  int start = 0, end = 0;
  GetEditSel(start, end);
  if (end < 0 || end > all.GetLength()) end = all.GetLength();
  start = std::clamp(start, 0, end);
  const CString text = all.Left(start) + insert + all.Mid(end);
  if (IsDropDownList())
    SelectString(-1, text);
  else
    SetWindowText(text);
  SetModify(TRUE);
  OnModifyCell();
  SetEditSel(start, start + insert.GetLength());
  return TRUE;
}

BOOL CGXComboBoxWnd::FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSelect) {
  return m_bTextCapable && CGXStatic::FindText(find, nRow, nCol, bCurrent, bSelect);
}

BOOL CGXComboBoxWnd::ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) {
  return m_bTextCapable && CGXStatic::ReplaceAll(find, nRow, nCol);
}

// ---- geometry and drawing ---------------------------------------------------------------------------------------------

void CGXComboBoxWnd::GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect, const CGXStyle* pStyle) {
  CGXStatic::GetCellInnerRect(rect, nRow, nCol, pCellRect, pStyle);
  const BOOL current = m_pGrid && m_pGrid->IsCurrentCell(nRow, nCol);
  if (current && IsInitAt(nRow, nCol) && IsActive()) return;
  if (!current && m_bNoRoomWhenInactive && !m_bAlwaysShowArrow) {
    rect.left += 2;
    return;
  }
  rect.right -= 15;
  rect.left += 2;
}

CSize CGXComboBoxWnd::GrowSizeByBorders(CSize size, const CGXStyle& style) {
  size.cx += 19;
  return CGXStatic::GrowSizeByBorders(size, style);
}

int CGXComboBoxWnd::MeasureTextHeight(const CGXStyle& style) {
  if (m_nTextHeight || !m_pGrid || !m_pGrid->m_pGridWnd) return m_nTextHeight;
  CClientDC dc(m_pGrid->m_pGridWnd);
  CFont* old = GXSelectCellFont(m_pGrid, &dc, style);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  if (old) dc.SelectObject(old);
  m_nTextHeight = tm.tmHeight;
  return m_nTextHeight;
}

void CGXComboBoxWnd::LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) {
  if (!m_pButton) return;
  CRect arrow(std::max(rect.right - 16, rect.left + 1), rect.top, rect.right - 1, rect.bottom - 1);
  if (m_bArrowFitsText && m_pGrid && (IsInitAt(nRow, nCol) || m_bAlwaysShowArrow)) {
    const CGXStyle& style = m_pGrid->LookupStyleRowCol(nRow, nCol);
    const int height = std::min(MeasureTextHeight(style) + 2, (int)rect.Height() - 2);
    arrow.bottom = arrow.top + height + 1;
  }
  m_pButton->SetRect(arrow);
}

CSize CGXComboBoxWnd::CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard, BOOL bHeight) {
  const CSize base = CGXStatic::CalcSize(pDC, nRow, nCol, style, pStandard, bHeight);
  if (!pDC || IsOwnerDrawn()) return base;
  CFont* old = GXSelectCellFont(m_pGrid, pDC, style);
  TEXTMETRIC tm{};
  pDC->GetTextMetrics(&tm);
  CSize size(0, tm.tmHeight + tm.tmExternalLeading + 2 + (m_bFitInside ? 2 * m_nFrameMargin : 0));
  CString list = m_bFillWithChoiceList ? ChoiceList(style) : CString(), line;
  for (int i = 0; GetChoiceListItem(line, list, i); ++i) size.cx = std::max(size.cx, pDC->GetTextExtent(line).cx);
  if (old) pDC->SelectObject(old);
  size = GrowSizeByBorders(size, style);
  return CSize(std::max(size.cx, base.cx), std::max(size.cy, base.cy));
}

HBRUSH CGXComboBoxWnd::OnGridCtlColor(CDC* pDC, CWnd* pWnd, UINT) {
  const HWND h = pWnd ? pWnd->GetSafeHwnd() : nullptr;
  if (!pDC || !h || !m_hWnd || !IsActive() || !m_brBack.m_hObject) return nullptr;
  if (h != m_hWnd && !::IsChild(m_hWnd, h) && ::GetWindow(h, GW_OWNER) != m_hWnd) return nullptr;
  pDC->SetTextColor(m_clrText);
  pDC->SetBkColor(m_clrBack);
  return (HBRUSH)m_brBack.m_hObject;
}

// Reached also from the edit field, when the focus left the combo box altogether.
void CGXComboBoxWnd::OnKillFocus(CWnd* pNewWnd) {
  CComboBox::OnKillFocus(pNewWnd);
  ForwardKillFocusToGrid(pNewWnd);
}

BOOL CGXComboBoxWnd::OnEraseBkgnd(CDC* pDC) { return GXEraseCellWindow(*this, *this, pDC); }

void CGXComboBoxWnd::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) {
  if (IsInitAt(nRow, nCol) && IsActive() && m_hWnd && m_pGrid && !m_pGrid->m_bPrinting) {
    GetEditSel(m_nSelStart, m_nSelEnd);
    if (m_pButton) m_pButton->SetRect(CRect());
    // The window stays shown while it is placed: hiding it would have the grid paint it over again.
    if (GXCreateZoomedCellFont(m_pGrid, m_font, style)) SetFont(&m_font, FALSE);
    GXGetCellColors(m_pGrid, style, m_clrText, m_clrBack);
    m_brBack.DeleteObject();
    m_brBack.CreateSolidBrush(m_clrBack);
    DrawBackground(pDC, rect, style);
    CRect inner;
    GetCellInnerRect(inner, nRow, nCol, &rect, &style);
    const int textHeight = MeasureTextHeight(style);
    int field = std::min(textHeight + 2, (int)inner.Height());
    const UINT vAlign = style.GetIncludeVerticalAlignment() ? style.GetVerticalAlignment() : 0;
    int top = inner.top;
    if (vAlign == DT_VCENTER) top += (inner.Height() - field) / 2;
    if (vAlign == DT_BOTTOM) top = inner.bottom - field;
    CRect window(inner.left, top, inner.right, top + field);
    const BOOL win4 = GXGetLibraryData().m_bWin4;
    if (win4 || inner.Height() < field + 2 * m_nFrameMargin) {
      if (m_bFitInside)
        field = std::max(1, field - 2 * m_nFrameMargin), window.bottom = window.top + field + 2 * m_nFrameMargin;
      else
        window.InflateRect(0, m_nFrameMargin);
    }
    const int count = CComboBox::GetCount();
    window.bottom += (textHeight + 2) * (count < 9 ? count : 8);
    GetComboWindowRect(window, window);
    MoveWindow(window, FALSE);
    SetItemHeight(-1, (UINT)(field + (win4 ? 0 : m_nFrameMargin)));
    if (m_pGrid->m_pGridWnd && ::GetFocus() == m_pGrid->m_pGridWnd->m_hWnd) {
      GXIgnoreFocusScope ignore(m_pGrid);
      SetFocus();
    }
    if (style.GetIncludeMaxLength() && style.GetMaxLength()) LimitText((int)style.GetMaxLength());
    SetEditSel(m_nSelStart, m_nSelEnd);
    ShowWindow(SW_SHOW);
    UpdateWindow();
    CRect shown;
    GetWindowRect(&shown);
    m_pGrid->m_pGridWnd->ScreenToClient(&shown);
    AddRectToGridList(shown);
    CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
    return;
  }
  if (!IsOwnerDrawn() || !m_hWnd || !pDC) return CGXStatic::Draw(pDC, rect, nRow, nCol, style, pStandard);
  // An owner-drawn combo draws its other cells itself.
  DrawBackground(pDC, rect, style);
  CRect item;
  GetCellInnerRect(item, nRow, nCol, &rect, &style);
  // The standard style includes frame kind 0: a style without a 3-D frame is one of kind 0.
  const UINT frame = style.GetIncludeDraw3dFrame() ? style.GetDraw3dFrame() : 0;
  if (m_pGrid && !m_pGrid->m_bPrinting && m_bItemFrame && frame == 0) {
    GXDraw3dFrame(pDC, item.left, item.top, item.right, item.bottom, 1, RGB(0, 0, 0), RGB(255, 255, 255));
    item.DeflateRect(2, 2);
  }
  const CString value = style.GetIncludeValue() ? style.GetValue() : CString();
  const int id = value.IsEmpty() ? 0 : std::atoi(value);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_COMBOBOX;
  dis.itemID = (UINT)id;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = 1;
  dis.hwndItem = m_hWnd;
  dis.hDC = pDC->GetSafeHdc();
  dis.rcItem = item;
  dis.itemData = GetItemData(id);
  DrawItem(&dis);
  const BOOL erase = m_pGrid ? m_pGrid->m_bEraseCellBackground : FALSE;
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = FALSE;
  CGXControl::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (m_pGrid) m_pGrid->m_bEraseCellBackground = erase;
}
