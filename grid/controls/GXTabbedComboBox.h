// CGXTabbedComboBox: the combo cell over a choice list of tab-separated entries: one column is stored,
// another shown and typed, the list shows the columns side by side under an optional title strip.
#pragma once

#include "grid/controls/GXComboBox.h"

#include <functional>
#include <vector>

class CGXStylesMap;

// What the tabbed cells read from their style and measure of their lists; both kinds share it.
struct GXTabbedLayout {
  static const int kMaxCols = 10;
  static const int kMaxField = 127;

  int m_nKeyCol = 0;
  int m_nTextCol = 0;
  BOOL m_bShowAllCols = TRUE;
  BOOL m_bDisplayTitleRow = TRUE;
  int m_nSortCol = -1;
  CString m_strColWidths;
  COLORREF m_rgbGridLine = RGB(192, 192, 192);
  COLORREF m_rgbBack = RGB(255, 255, 255);
  COLORREF m_rgbText = RGB(0, 0, 0);
  int m_nListRowHeight = 10;
  int m_nTotalWidth = 0;
  int m_nSepCount = 0;
  std::vector<int> m_anColPos;  // right edge of each column but the last, from the row's left

  // 51028, 51029, 51031 (and with bAll 51030, 51032, 51033).
  void ReadAttributes(const CGXStyle& style, BOOL bAll);
  // The entry whose field equals (bExact) or begins with (case ignored) the text; -1 when none.
  int Find(const CGXStyle& style, LPCTSTR pszText, int nField, BOOL bExact, CString& line) const;
  // The row a line becomes in the list: the text column's field first when that is not column 0.
  CString RowText(const CString& line) const;
  // Column widths from the measured maxima (-1: not measured) and the widths text.
  void SetWidths(const int maxima[kMaxCols]);
};

CString GXTabbedField(LPCTSTR pszLine, int nField);
// The pool's bitmap a field names; null for plain text.
HGLOBAL GXTabbedBitmap(LPCTSTR pszField);
CSize GXTabbedBitmapSize(HGLOBAL hDIB);
// Widens the maxima by the fields of one line.
void GXMeasureTabbedColumns(CDC* pDC, LPCTSTR pszLine, int maxima[GXTabbedLayout::kMaxCols]);
void GXDrawTabbedRow(CDC* pDC, const DRAWITEMSTRUCT* pDIS, LPCTSTR pszRow, const GXTabbedLayout& layout,
                     BOOL bSingleColumn);
int GXMeasureTabbedRowHeight(LPCTSTR pszRow, const GXTabbedLayout& layout, int nProposed);
// The text column of the entry whose key is the value (the given one, else the style's); FALSE when none.
BOOL GXTabbedDisplayText(const CGXStyle& style, LPCTSTR pszValue, CString& text);
// Sorts the style's choice list by the sort column once (51033 becomes "-1" in this copy).
void GXSortTabbedStyle(CGXStyle& style, const GXTabbedLayout& layout);
// Measures the choice list's lines in the cell font, hands each row to `add` (the title line, when
// titles are shown, goes to `title` instead) and sets the column widths.
void GXFillTabbedList(CGXGridCore* pGrid, const CGXStyle& style, GXTabbedLayout& layout, CString& title,
                      const std::function<void(const CString&)>& add);
// The content size of the text column's fields (bitmaps by their size), before the borders.
CSize GXTabbedContentSize(CGXGridCore* pGrid, CDC* pDC, const CGXStyle& style, BOOL bFill);
// Draws a cell whose display text names a bitmap; FALSE (nothing drawn) for other cells.
BOOL GXDrawTabbedBitmapCell(CGXControl* pControl, CDC* pDC, const CRect& rect, ROWCOL nRow, ROWCOL nCol,
                            const CGXStyle& style, const CGXStyle* pStandard);

// The title strip over the list.
class CGXTabbedLBoxHeader : public CWnd {
 public:
  BOOL CreateHeader();
  // Takes the columns and font of a list; returns the height the titles need.
  int Prepare(const GXTabbedLayout& layout, CFont* pFont);
  // Height for the titles: the row height or the tallest title bitmap, plus 4.
  int GetHeaderHeight() const;

  BOOL m_bShowAllCols = TRUE;
  int m_nTextCol = 0;
  int m_nSepCount = 0;
  const std::vector<int>* m_pColPos = nullptr;
  CFont* m_pFont = nullptr;
  CString m_strTitle;
  int m_nRowHeight = 10;

 protected:
  void OnPaint() override;
};

class CGXTabbedComboBox;

class CGXTabbedComboLBox : public CGXComboListBox {
 public:
  explicit CGXTabbedComboLBox(CGXTabbedComboBox* pOwner);
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
  int CompareItem(LPCOMPAREITEMSTRUCT) override { return -1; }
  // Forgets a press or key run in progress.
  void ResetTracking();

 private:
  CGXTabbedComboBox* m_pTabbed;
};

class CGXTabbedComboBox : public CGXComboBox {
 public:
  CGXTabbedComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID);
  ~CGXTabbedComboBox() override;
  static void AddUserAttributes(CGXStylesMap* pStylesMap);

  GX_DECLARE_CONTROL_CLASS(CGXTabbedComboBox, CGXComboBox)
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnValidate() override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  BOOL DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL ValidateText(const CString& text) override;

  // The frame and the list are made once and only hidden when the list closes.
  CGXGridCombo* CreateDropDownWnd(CWnd* pParent, const CRect& rect) override;
  CListBox* CreateListBox(CWnd* pPopup, UINT nID) override;
  void ShowDropDown(BOOL bShow) override;
  void ApplyListSelection(CListBox* pListBox) override;
  void FillListBox(CListBox* pListBox) override;
  void GetDropDownRect(CRect& rect, const CRect& rectCell) override;
  void DestroyDropDownWnd(CGXGridCombo* pPopup) override;
  virtual void AutoComplete();

  CGXTabbedLBoxHeader* GetHeader() const { return m_pHeader; }
  CListBox* GetListBox() const { return m_pListBox; }

  GXTabbedLayout m_layout;
  BOOL m_bAutoComplete = TRUE;
  BOOL m_bListFilled = FALSE;

 protected:
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  // The bound cell's style with its choice list sorted by the sort column.
  CGXStyle& BoundStyle();

  CGXTabbedLBoxHeader* m_pHeader;
  CGXTabbedComboLBox* m_pListBox = nullptr;  // owned by the frame
  CGXGridCombo* m_pFrame = nullptr;
};
