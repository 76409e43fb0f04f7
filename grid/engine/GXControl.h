// CGXControl: the base of every cell control: one object per control id draws, edits and stores
// the cells of that id, bound to one cell at a time.
#pragma once

#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/List.h"
#include "platform/gdi/DC.h"

#include <string>
#include <typeinfo>

class CGXGridCore;
class CWnd;
struct GXFindReplaceState;
struct CGXSortInfo;

// A control's class record: its name and its base's record, the chain IsKindOfControl walks.
struct CGXControlClass {
  LPCTSTR m_lpszClassName;
  const CGXControlClass* m_pBaseClass;
};

// Gives a control class its record, chained to the record of the class the cell derives from.
#define GX_DECLARE_CONTROL_CLASS(class_name, base_name)                                                  \
  static const CGXControlClass* ControlClass() {                                                         \
    static const CGXControlClass record{#class_name, base_name::ControlClass()};                         \
    return &record;                                                                                      \
  }                                                                                                      \
  const CGXControlClass* GetControlClass() const override { return ControlClass(); }

class CGXControl {
 public:
  explicit CGXControl(CGXGridCore* pGrid);
  virtual ~CGXControl();
  CGXControl(const CGXControl&) = delete;
  CGXControl& operator=(const CGXControl&) = delete;

  static const CGXControlClass* ControlClass() {
    static const CGXControlClass record{"CGXControl", nullptr};
    return &record;
  }
  virtual const CGXControlClass* GetControlClass() const { return ControlClass(); }
  LPCTSTR GetControlClassName() const { return GetControlClass()->m_lpszClassName; }
  virtual CWnd* GetWnd() { return nullptr; }
  virtual void SetActive(BOOL) {}
  virtual BOOL IsActive() { return FALSE; }
  virtual void SetModify(BOOL) {}
  virtual BOOL GetModify() { return FALSE; }
  virtual void Init(ROWCOL nRow, ROWCOL nCol);
  virtual void Deactivate();
  virtual BOOL Store() { return FALSE; }
  virtual BOOL OnValidate();
  virtual BOOL ScrollCellIntoView();
  virtual BOOL OnModifyCell();
  virtual BOOL OnStartEditing();
  virtual void OnCancelEditing();
  virtual BOOL OnEndEditing();
  virtual BOOL OnLeftCell(ROWCOL nNewRow, ROWCOL nNewCol);
  virtual BOOL OnDeleteCell();
  // The cell's rectangle (the grid's when none is given) less borders, frame and the grid lines
  // that the current row and column draw inside it.
  virtual void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                                const CGXStyle* pStyle = nullptr);
  virtual CSize GrowSizeByBorders(CSize size, const CGXStyle& style);
  // The cell's extent (its covered block's, if any) from the row heights and column widths, at the
  // origin: what a cell measures, shown or scrolled out of the window.
  CRect CalcCellExtent(ROWCOL nRow, ROWCOL nCol);
  virtual CSize CalcSize(CDC*, ROWCOL, ROWCOL, const CGXStyle&, const CGXStyle* = nullptr, BOOL = FALSE) { return CSize(0, 0); }
  virtual void DrawCurrentCellFrame(CDC* pDC, const CRect& rect);
  // Draws the cell; the base fills the background when the grid asks the cell to.
  virtual void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard);
  // A header cell drawn pressed: its row or column holds the current cell and the properties mark it.
  virtual BOOL IsHighlighted(ROWCOL nRow, ROWCOL nCol);
  virtual BOOL CanFloatCell(ROWCOL, ROWCOL, const CGXStyle&, BOOL) { return FALSE; }
  // Merge consent: a cell with text may merge.
  virtual BOOL CellHasText(ROWCOL, ROWCOL, const CGXStyle& style) { return !style.GetValue().IsEmpty(); }
  virtual void GetCurrentText(CString& text);
  virtual void SetCurrentText(const CString& text);
  virtual BOOL GetValue(CString& text);
  virtual void SetActiveText(const CString& text);
  virtual BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle);
  // Whether the display text is the value as given, whatever the style says (a copy then takes the value
  // without asking). Each class answers for itself alone: a cell type derived from it answers again.
  virtual BOOL ShowsValueAsIs() const { return typeid(*this) == typeid(CGXControl); }
  virtual BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle);
  virtual BOOL StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0,
                              const CGXStyle* pOldStyle = nullptr);
  // The index-th line (from 0) of a choice list split at CR, LF or CR LF.
  virtual BOOL GetChoiceListItem(CString& text, LPCTSTR pszChoiceList, int nIndex);
  virtual int FindStringInChoiceList(CString& text, LPCTSTR pszValue, LPCTSTR pszChoiceList, BOOL bExact);
  virtual void Hide() {}
  virtual void Refresh();
  // Takes the bound cell's stored value again; nothing in the base.
  virtual void RefreshFromCell() {}
  // A press goes to the child under the mouse; moves and the release to the child that took it.
  virtual BOOL MouseMove(UINT flags, CPoint pt);
  virtual BOOL LButtonDown(UINT flags, CPoint pt);
  virtual BOOL LButtonUp(UINT flags, CPoint pt);
  virtual BOOL LButtonDblClk(UINT flags, CPoint pt);
  virtual BOOL MButtonDown(UINT flags, CPoint pt);
  virtual BOOL MButtonUp(UINT flags, CPoint pt);
  virtual BOOL MButtonDblClk(UINT flags, CPoint pt);
  virtual BOOL RButtonDown(UINT flags, CPoint pt);
  virtual BOOL RButtonUp(UINT flags, CPoint pt);
  virtual BOOL RButtonDblClk(UINT flags, CPoint pt);
  // The pointer resting over the cell (no button down): the children under it, then the grid's own handler.
  virtual BOOL MouseMoveOver(ROWCOL nRow, ROWCOL nCol, UINT flags, CPoint pt);
  // Keys go to the operation of their message; characters through CollectMbcsChar.
  virtual BOOL DispatchKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnGridKeyDown(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridChars(const CString&) { return FALSE; }
  virtual BOOL OnGridDeadChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysKeyDown(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysDeadChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnClickedButton(CObject* pChild);
  virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
  // A scroll message of the grid window, before the grid handles it; TRUE keeps it from the grid.
  virtual BOOL OnGridWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The grid window's WM_MOUSEACTIVATE; TRUE answers it with `result`.
  virtual BOOL OnGridMouseActivate(CWnd*, UINT, UINT, int&) { return FALSE; }
  virtual HBRUSH OnGridCtlColor(CDC*, CWnd*, UINT) { return nullptr; }
  virtual void OnGridSettingChange(UINT, LPCTSTR) {}
  virtual void OnGridSysColorChange() {}
  // FALSE for the current cell unless bCurrent; with bSelect a found cell becomes current.
  virtual BOOL FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSelect);
  virtual BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol);
  // `text` with the matches from `from` on replaced (every one, or only the first), left to right
  // without rescanning what was inserted; false when there was none.
  static bool ReplaceMatches(const GXFindReplaceState& find, const CString& text, size_t from, bool every,
                             CString& out);
  // The text a sort compares for the cell: its value.
  virtual void GetSortKey(ROWCOL, ROWCOL, const CGXSortInfo&, const CGXStyle& style, CString& key) {
    key = style.GetIncludeValue() ? style.GetValue() : CString();
  }
  virtual void DrawBackground(CDC* pDC, const CRect& rect, const CGXStyle& style, BOOL bErase = FALSE);
  virtual void Draw3dFrame(CDC* pDC, const CRect& rect, const CGXStyle& style);
  virtual BOOL Copy();
  virtual BOOL Paste();
  virtual BOOL Cut();
  virtual BOOL IsInit() { return m_bInit; }
  virtual BOOL CanCut();
  virtual BOOL CanPaste();
  virtual BOOL ReplaceSelectedText(LPCTSTR pszText);
  virtual BOOL GetSelectedText(CString& text);
  virtual BOOL IsReadOnly();
  virtual void AddChild(CObject* pChild);
  virtual CObject* GetChild(int nIndex);
  virtual int GetCount() const { return m_pChildren ? (int)m_pChildren->GetCount() : 0; }
  virtual CObject* GetFocusChild() { return m_pActiveChild; }
  virtual void SetFocusChild(CObject* pChild) { m_pActiveChild = pChild; }
  // Whether a child (a button) took the last press and holds it.
  BOOL HasCaptureChild() const { return m_pCaptureChild != nullptr; }
  virtual void LayoutChildren(ROWCOL, ROWCOL, const CRect&) {}
  virtual BOOL ValidateText(const CString&) { return TRUE; }
  virtual void OnInvalidKeyPressed(LPCTSTR) {}

  // This class or one of its bases is named so.
  BOOL IsKindOfControl(LPCTSTR pszClassName) const;
  // The control's window is of that framework class (FALSE for a control without a window).
  BOOL IsWindowKindOf(CRuntimeClass* pClass);
  void GetValueText(ROWCOL, ROWCOL, const CGXStyle& style, CString& text) { text = style.GetValue(); }
  BOOL PutValueIntoStyle(ROWCOL nRow, ROWCOL nCol, CGXStyle& style);
  // A held lead byte answers TRUE and waits for its trail byte; text gets the complete character.
  BOOL CollectMbcsChar(UINT nChar, CString& text);
  BOOL IsInitAt(ROWCOL nRow, ROWCOL nCol) const { return m_bInit && m_nRow == nRow && m_nCol == nCol; }
  // The grid's own cell format is on the clipboard and the grid pastes whole cells itself.
  BOOL GridPastesWholeCells();
  // The bound cell's style, fetched from the grid on first use.
  CGXStyle& GetCurrentStyle();
  void FreeStyle();
  // A window laid over the grid: the paint in progress leaves this client rectangle alone.
  void AddRectToGridList(const CRect& rect);
  // The cell's window lost the focus to pNewWnd: unless that is the grid window, the grid hears of it
  // as if it had lost the focus itself, so the edit ends and the typed text is stored.
  void ForwardKillFocusToGrid(CWnd* pNewWnd);

  // The rectangle the grid draws the cell in: that of the block of cells it covers, reaching past the
  // window where the block is scrolled partly out.
  CRect CalcDrawnCellRect(ROWCOL nRow, ROWCOL nCol);

  CGXGridCore* Grid() const { return m_pGrid; }
  ROWCOL m_nRow = (ROWCOL)-1;
  ROWCOL m_nCol = (ROWCOL)-1;

 protected:
  // The cell's display text and the texts a search compares.
  void SearchTexts(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, CString& text, std::string& hay,
                   std::string& needle);
  // Every match in `text` from `from` on replaced and the result stored as the cell's value.
  BOOL ReplaceAllIn(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, const CString& text, size_t from);

  // A press, a release and a double-click of button 0 (left), 1 (middle) or 2 (right), through the children first.
  BOOL ButtonDown(int nButton, UINT flags, CPoint pt);
  BOOL ButtonUp(int nButton, UINT flags, CPoint pt);
  BOOL ButtonDblClk(int nButton, UINT flags, CPoint pt);

  CGXGridCore* m_pGrid;
  CGXStyle* m_pStyle = nullptr;
  BOOL m_bInit = FALSE;
  CPtrList* m_pChildren = nullptr;
  CObject* m_pActiveChild = nullptr;
  CObject* m_pCaptureChild = nullptr;  // the child that took the press
  int m_nExtra = 0;
  BYTE m_cLeadByte = 0;
};
