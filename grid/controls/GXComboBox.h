// CGXComboBox: the edit cell that drops the lines of its choice list in a popup list of its own, with
// its arrow button, the popup frame and the list box inside it.
#pragma once

#include "grid/controls/GXButton.h"
#include "grid/controls/GXEditControl.h"
#include "grid/engine/GXLibrary.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Controls.h"

class CGXComboBox;

// Private messages to the combo's edit window.
const UINT GX_WM_LISTBOX_END = 0x7AD;       // take the list's selection and close
const UINT GX_WM_LISTBOX_CANCEL = 0x7B8;    // close; lParam != 0 gives the edit window the focus
const UINT GX_WM_LISTBOX_CHANGED = 0x7C3;   // the selection moved by a key
const UINT GX_WM_LISTBOX_KILLFOCUS = 0x7C4; // the list lost the focus
// wParam of GX_WM_LISTBOX_CANCEL when the grid itself is left: the list's entry is dropped.
const WPARAM GX_LISTBOX_GRID_LEFT = 1;

// Sets the grid's ignore-focus flag for the life of the scope.
struct GXIgnoreFocusScope {
  explicit GXIgnoreFocusScope(CGXGridCore* pGrid);
  ~GXIgnoreFocusScope();
  CGXGridCore* grid;
};

// Holds the drop-down focus lock for the life of the scope.
struct GXDropDownLockScope {
  GXDropDownLockScope();
  ~GXDropDownLockScope();
};

// The composed style of a cell when none is given; returns the style made, for RecycleStyle.
CGXStyle* GXComposeIfNone(CGXGridCore* pGrid, ROWCOL nRow, ROWCOL nCol, const CGXStyle*& pStyle);

// Fills a drop-down list with the brush its popup answers to WM_CTLCOLORLISTBOX; FALSE when none.
BOOL GXEraseListWithParentBrush(CWnd* pListBox, CDC* pDC);

class CGXComboBoxButton : public CGXButton {
 public:
  explicit CGXComboBoxButton(CGXControl* pOwner) : CGXButton(pOwner) {}
  void Draw(CDC* pDC, BOOL bActive) override;
};

// The borderless popup that hosts the drop-down list.
class CGXGridCombo : public CWnd {
 public:
  CGXGridCombo(CWnd* pParent, CGXComboBox* pOwner, const CRect& rect);
  ~CGXGridCombo() override;
  void SetListBox(CWnd* pListBox) { m_pListBox = pListBox; }
  CWnd* GetListBox() const { return m_pListBox; }
  void SetColors(COLORREF text, COLORREF back);
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // While set the grid leaves its current cell alone when it gains or loses the focus.
  static void SetFocusLock(int nLock) { GXGetLibraryData().m_nFocusLock = nLock; }
  static int IsFocusLocked() { return GXGetLibraryData().m_nFocusLock; }

 protected:
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;

  CWnd* m_pListBox = nullptr;
  CGXComboBox* m_pOwner;
  BOOL m_bCustomColors = FALSE;
  CBrush m_brush;
  COLORREF m_clrText = 0, m_clrBack = 0;
};

// The list inside the popup: its keys and clicks tell the owning cell to take or drop the choice.
class CGXComboListBox : public CListBox {
 public:
  explicit CGXComboListBox(CGXComboBox* pOwner) : m_pOwner(pOwner) {}

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  BOOL OnEraseBkgnd(CDC* pDC) override;
  // Sends a private message to the owner's window.
  LRESULT Tell(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  CGXComboBox* m_pOwner;
  BOOL m_bKeyDown = FALSE;
  BOOL m_bMouseDown = FALSE;
  int m_nOldSel = -1;
  int m_nRepeat = 0;
};

class CGXComboBox : public CGXEditControl {
 public:
  // Flag bits: 1 text-fit, 2 free text, 4 zero-based index, 8 one-based index, 16 show the entry of an index.
  CGXComboBox(CGXGridCore* pGrid, UINT nEditID, UINT nListBoxID, UINT nFlags);
  ~CGXComboBox() override;

  GX_DECLARE_CONTROL_CLASS(CGXComboBox, CGXEditControl)

  virtual CGXGridCombo* CreateDropDownWnd(CWnd* pParent, const CRect& rect);
  virtual CListBox* CreateListBox(CWnd* pPopup, UINT nID);
  virtual void ShowDropDown(BOOL bShow);
  virtual BOOL IsDroppedDown() { return m_pDropDownWnd != nullptr; }
  virtual void ApplyListSelection(CListBox* pListBox);
  virtual void FillListBox(CListBox* pListBox);
  virtual void GetDropDownRect(CRect& rect, const CRect& rectCell);
  virtual void DestroyDropDownWnd(CGXGridCombo* pPopup);

  void SetActive(BOOL bActive) override;
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  void Deactivate() override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  BOOL CanFloatCell(ROWCOL, ROWCOL, const CGXStyle&, BOOL) override { return FALSE; }
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL GetValue(CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  BOOL OnGridMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message, int& result) override;
  BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL OnClickedButton(CObject* pChild) override;
  BOOL OnGridWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void LayoutChildren(ROWCOL nRow, ROWCOL nCol, const CRect& rect) override;
  BOOL ValidateText(const CString& text) override;

  CGXGridCombo* GetDropDownWnd() const { return m_pDropDownWnd; }

  BOOL m_bFillWithChoiceList = TRUE;
  BOOL m_bReserveRoom = FALSE;     // inactive cells without an arrow keep their full width
  BOOL m_bAlwaysShowArrow = FALSE;
  UINT m_nFlags;
  DWORD m_dwListBoxStyle = 0;      // 0: WS_VSCROLL | LBS_NOTIFY
  BOOL m_bStaticLook = FALSE;      // the active cell draws as static text
  BOOL m_bArrowFitsText = TRUE;
  CGXComboBoxButton* m_pButton;
  UINT m_nListBoxID;
  CGXGridCombo* m_pDropDownWnd = nullptr;
  CFont m_ListBoxFont;
  int m_nTextHeight = 0;
  int m_nArrowMargin = 1;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSetFocus(CWnd* pOldWnd) override;
  LRESULT OnListBoxEnd(WPARAM wParam, LPARAM lParam);
  LRESULT OnListBoxCancel(WPARAM wParam, LPARAM lParam);
  LRESULT OnListBoxChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnListBoxKillFocus(WPARAM wParam, LPARAM lParam);
  // The entry the text names (exactly, else as a prefix, case ignored): its index, -1 when none.
  int FindChoice(const CGXStyle& style, const CString& text, CString& entry);
  // The value a text converts to under bits 1 and 16; FALSE when it names no entry.
  BOOL TextToValue(const CGXStyle& style, const CString& text, CString& value);
  BOOL Converts(const CGXStyle& style) const;
  // The cell font's height, measured once.
  int MeasureTextHeight(const CGXStyle& style);
  // Drops the popup: detaches it and has it destroyed under the focus lock.
  void DropPopup();
  // The list font: the cell font scaled by the zoom, sent to the list.
  void SetListFont(const CGXStyle& style, CWnd* pListBox);
  // The value a display text is made of: the given one, else the style's; FALSE when neither.
  static BOOL ValueToShow(LPCTSTR pszValue, const CGXStyle& style, CString& value);
  // Where a list goes in its popup and the style it gets (the list box style, set when 0).
  CRect ListRect(CWnd* pPopup);
  DWORD ListStyle();
};
