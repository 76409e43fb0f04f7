// CGXCheckListComboBox: the combo cell whose drop-down is a check list; it shows a fixed caption and
// stores the checked items as a bit mask.
#pragma once

#include "grid/controls/GXComboBox.h"

class CGXCheckListComboBox;

class CGXCheckListComboLBox : public CCheckListBox {
 public:
  explicit CGXCheckListComboLBox(CGXCheckListComboBox* pOwner) : m_pOwner(pOwner) {}
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  void Close();

  BOOL m_bKeyDown = FALSE;
  CGXCheckListComboBox* m_pOwner;
};

class CGXCheckListComboBox : public CGXComboBox {
 public:
  // The check list holds at most this many items: one bit of the value each.
  static const int kMaxItems = 32;

  CGXCheckListComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID);

  GX_DECLARE_CONTROL_CLASS(CGXCheckListComboBox, CGXComboBox)
  CListBox* CreateListBox(CWnd* pPopup, UINT nID) override;
  void ApplyListSelection(CListBox* pListBox) override;
  void FillListBox(CListBox* pListBox) override;
  DWORD GetEditStyle(CRect& rect, int& nLineHeight) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override { return CGXControl::LButtonUp(nFlags, pt); }
  // Typing puts nothing into the cell.
  BOOL OnGridChars(const CString&) override { return FALSE; }

  int m_nItemCount = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnChar(UINT, UINT, UINT) override { m_cLeadByte = 0; }
  void OnSetFocus(CWnd* pOldWnd) override;
  // Every way of closing stores the check states.
  LRESULT OnCloseList();
};
