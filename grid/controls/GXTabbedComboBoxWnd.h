// CGXTabbedComboBoxWnd: the native combo box cell over a tab-separated choice list, its rows drawn in
// columns, its edit field completing typed text from the rows.
#pragma once

#include "grid/controls/GXComboBoxWnd.h"
#include "grid/controls/GXTabbedComboBox.h"

class CGXTabbedComboBoxWnd;

// The combo's edit field: shows the first field of a row, takes back a character that fits no row.
class CGXTabbedCBEditWnd : public CGXComboEditPart {
 public:
  CGXTabbedComboBoxWnd* m_pTabbed = nullptr;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
};

class CGXTabbedComboBoxWnd : public CGXComboBoxWnd {
 public:
  explicit CGXTabbedComboBoxWnd(CGXGridCore* pGrid);
  ~CGXTabbedComboBoxWnd() override;

  // The arrow and a "GXCOMBOBOX" window with owner-drawn rows; the edit field subclassed.
  BOOL CreateControl(DWORD dwStyle, UINT nID);

  GX_DECLARE_CONTROL_CLASS(CGXTabbedComboBoxWnd, CGXComboBoxWnd)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnValidate() override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void GetCurrentText(CString& text) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  void Hide() override;
  BOOL OnClickedButton(CObject* pChild) override;
  HBRUSH OnGridCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  BOOL ValidateText(const CString& text) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL ProcessKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
  int CompareItem(LPCOMPAREITEMSTRUCT) override { return -1; }

  // Refills the rows from the bound cell's choice list.
  void FillList();
  CGXTabbedLBoxHeader* GetHeader() const { return m_pHeader; }
  // Where the dropped list was last put (screen coordinates).
  const CRect& GetListPlacement() const { return m_rectLastPlace; }

  GXTabbedLayout m_layout;
  BOOL m_bAutoComplete = TRUE;

 protected:
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
  void OnShowWindow(BOOL bShow, UINT nStatus) override;
  // Places the header over or under the dropped list; returns the list's rectangle after it.
  CRect PlaceHeader(CRect list);

  CRect m_rectLastPlace;
  CString m_strPendingRow;  // the row being added, for measuring
  BOOL m_bNoMeasure = FALSE;
  CGXTabbedLBoxHeader* m_pHeader;
  CGXTabbedCBEditWnd m_wndTabEdit;
};
