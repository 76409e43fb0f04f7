#include "grid/controls/GXCheckListComboBox.h"

#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridCore.h"

#include <cstdlib>
#include <cstring>

// ---- list -------------------------------------------------------------------------------------------------------

BOOL CGXCheckListComboLBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CCheckListBox::Create(dwStyle | WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_HASSTRINGS, rect, pParentWnd, nID);
}

void CGXCheckListComboLBox::Close() {
  if (m_pOwner && m_pOwner->GetSafeHwnd()) m_pOwner->SendMessage(GX_WM_LISTBOX_END);
}

void CGXCheckListComboLBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  m_bKeyDown = TRUE;
  CCheckListBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CGXCheckListComboLBox::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CCheckListBox::OnKeyUp(nChar, nRepCnt, nFlags);
  if (!m_bKeyDown) return;
  m_bKeyDown = FALSE;
  if (nChar == VK_TAB && m_pOwner && m_pOwner->GetSafeHwnd()) {
    m_pOwner->PostMessage(WM_KEYDOWN, VK_TAB, 1);
    m_pOwner->PostMessage(WM_KEYUP, VK_TAB, 0xC0000001);
  }
  if (nChar == VK_TAB || nChar == VK_RETURN || nChar == VK_ESCAPE) Close();
}

void CGXCheckListComboLBox::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  m_bKeyDown = TRUE;
  CCheckListBox::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXCheckListComboLBox::OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DOWN && m_bKeyDown) {
    m_bKeyDown = FALSE;
    Close();
    return;
  }
  CCheckListBox::OnSysKeyUp(nChar, nRepCnt, nFlags);
}

void CGXCheckListComboLBox::OnKillFocus(CWnd* pNewWnd) {
  CCheckListBox::OnKillFocus(pNewWnd);
  if (m_pOwner && m_pOwner->GetSafeHwnd()) m_pOwner->PostMessage(GX_WM_LISTBOX_END);
}

BOOL CGXCheckListComboLBox::OnEraseBkgnd(CDC* pDC) {
  return GXEraseListWithParentBrush(this, pDC) || CCheckListBox::OnEraseBkgnd(pDC);
}

// ---- the cell ---------------------------------------------------------------------------------------------------

CGXCheckListComboBox::CGXCheckListComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID)
    : CGXComboBox(pGrid, nEditID, nListBoxID, 2) {}


CListBox* CGXCheckListComboBox::CreateListBox(CWnd* pPopup, UINT nID) {
  if (!pPopup) return nullptr;
  auto* list = new CGXCheckListComboLBox(this);
  list->Create(ListStyle(), ListRect(pPopup), pPopup, nID);
  return list;
}

void CGXCheckListComboBox::FillListBox(CListBox* pListBox) {
  auto* list = dynamic_cast<CCheckListBox*>(pListBox);
  if (!list || !m_pGrid || !m_bInit) return;
  CGXStyle* style = m_pGrid->CreateStyle();
  m_pGrid->ComposeStyleRowCol(m_nRow, m_nCol, style);
  m_nItemCount = 0;
  if (style->GetIncludeChoiceList()) {
    CString lines = style->GetChoiceList(), line;
    GXSplitFirstLine(lines, line);  // the caption
    while (!lines.IsEmpty() && m_nItemCount < kMaxItems) {
      GXSplitFirstLine(lines, line);
      list->AddString(line);
      ++m_nItemCount;
    }
  }
  if (style->GetIncludeValue()) {
    const uint32_t mask = (uint32_t)std::strtoul(style->GetValue(), nullptr, 10);
    for (int k = 0; k < m_nItemCount; ++k) list->SetCheck(k, (mask >> k) & 1u);
  }
  m_pGrid->RecycleStyle(style);
}

void CGXCheckListComboBox::ApplyListSelection(CListBox* pListBox) {
  auto* list = dynamic_cast<CCheckListBox*>(pListBox);
  if (!list || !m_pGrid || !m_bInit) return;
  uint32_t mask = 0;
  for (int k = 0; k < m_nItemCount && k < kMaxItems; ++k)
    if (list->GetCheck(k) == 1) mask |= 1u << k;
  CString value;
  if (mask) value.Format("%lu", (unsigned long)mask);
  CGXStyle style;
  style.SetValue(value);
  m_pGrid->SetStyleRange(CGXRange().SetCellRange(m_nRow, m_nCol, m_nRow, m_nCol), &style);
}

DWORD CGXCheckListComboBox::GetEditStyle(CRect& rect, int& nLineHeight) {
  return CGXComboBox::GetEditStyle(rect, nLineHeight) | ES_READONLY;
}

BOOL CGXCheckListComboBox::GetDisplayText(CString& text, ROWCOL, ROWCOL, LPCTSTR, const CGXStyle* pStyle) {
  text.Empty();
  if (pStyle && pStyle->GetIncludeChoiceList()) GetChoiceListItem(text, pStyle->GetChoiceList(), 0);
  return TRUE;
}

void CGXCheckListComboBox::Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style,
                                const CGXStyle* pStandard) {
  CGXStatic::Draw(pDC, rect, nRow, nCol, style, pStandard);
  if (!IsInitAt(nRow, nCol) || !IsActive() || !m_pGrid || m_pGrid->m_bPrinting) return;
  Hide();
  if (pDC) DrawCurrentCellFrame(pDC, rect);
}

LRESULT CGXCheckListComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case GX_WM_LISTBOX_END:
    case GX_WM_LISTBOX_CANCEL: return OnCloseList();
    case GX_WM_LISTBOX_CHANGED: return 0;
    case GX_WM_LISTBOX_KILLFOCUS: {
      const HWND focus = ::GetFocus();
      const HWND grid = m_pGrid && m_pGrid->m_pGridWnd ? m_pGrid->m_pGridWnd->GetSafeHwnd() : nullptr;
      if (!focus || (focus != grid && !::IsChild(grid, focus))) OnCloseList();
      return 0;
    }
    default: return CGXComboBox::WindowProc(message, wParam, lParam);
  }
}

LRESULT CGXCheckListComboBox::OnCloseList() {
  if (m_pGrid) m_pGrid->m_bDropDownOpen = FALSE;
  if (!m_pDropDownWnd || !m_pGrid) return 0;
  {
    GXIgnoreFocusScope ignore(m_pGrid);
    {
      GXDropDownLockScope lock;
      GetCurrentStyle();
      if (!IsReadOnly()) ApplyListSelection(static_cast<CListBox*>(m_pDropDownWnd->GetListBox()));
      DropPopup();
    }
    OnModifyCell();
    const HWND focus = ::GetFocus();
    if (!focus || (m_pGrid->m_pGridWnd && focus == m_pGrid->m_pGridWnd->GetSafeHwnd())) SetFocus();
  }
  SetModify(FALSE);
  SetActive(FALSE);
  Refresh();
  return 0;
}

void CGXCheckListComboBox::OnSetFocus(CWnd* pOldWnd) {
  CGXComboBox::OnSetFocus(pOldWnd);
  if (m_pGrid && m_pGrid->m_pGridWnd) {
    GXIgnoreFocusScope ignore(m_pGrid);
    m_pGrid->m_pGridWnd->SetFocus();
  }
}
