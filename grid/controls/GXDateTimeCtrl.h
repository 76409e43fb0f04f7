// CGXDateTimeCtrl: the date/time cell: the field-by-field date/time window over the current cell;
// other cells are painted field by field from a hidden template window.
#pragma once

#include "grid/controls/GXBDateTimeCtrl.h"
#include "grid/controls/GXStatic.h"
#include "grid/engine/GXSortInfo.h"
#include "platform/core/StringArray.h"
#include "platform/gdi/GdiObject.h"

#include <map>

class CGXStylesMap;

// A template window: its gadgets keep the rectangles the cell gives them.
class CGXCaptiveDateTimeCtrl : public CGXBDateTimeCtrl {
 public:
  void LayoutGadgets() override {}
};

class CGXDateTimeCtrl : public CGXBDateTimeCtrl, public CGXStatic {
 public:
  // User attributes of the cell.
  enum : UINT { attrNoEdit = 51034, attrMin = 51035, attrMax = 51036, attrMode = 51037, attrFormatType = 51038,
                attrFormat = 51039 };

  CGXDateTimeCtrl(CGXGridCore* pGrid, UINT nID);
  ~CGXDateTimeCtrl() override;

  // The two templates off screen, then the cell's own window; FALSE when one of them fails.
  BOOL CreateControl(DWORD dwStyle, const CRect& rect);
  static void AddUserAttributes(CGXStylesMap* pStylesMap);
  // Text to date/time the way cell values are read; FALSE when it does not parse.
  static BOOL ParseValue(const CString& text, COleDateTime& dt);
  // What an unparsable value shows: day 0 for time and custom formats, today for the date formats.
  static COleDateTime FallbackValue(int nFormatType);

  GX_DECLARE_CONTROL_CLASS(CGXDateTimeCtrl, CGXStatic)
  CWnd* GetWnd() override { return this; }
  void SetActive(BOOL bActive) override { m_bActive = bActive; }
  // Opening the calendar moves the focus out of the grid without leaving the cell.
  void DropDownCalendar() override;
  BOOL IsActive() override { return m_bActive; }
  void SetModify(BOOL bModified) override { m_bModified = bModified; }
  BOOL GetModify() override { return m_bModified; }
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL Store() override;
  BOOL ScrollCellIntoView() override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  using CGXBDateTimeCtrl::Draw;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  BOOL GetValue(CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  BOOL StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0,
                      const CGXStyle* pOldStyle = nullptr) override;
  void Hide() override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  BOOL OnGridKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChars(const CString& chars) override;
  BOOL OnGridSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL Copy() override;
  BOOL Paste() override;
  BOOL Cut() override { return CGXStatic::Cut(); }
  BOOL CanPaste() override;
  // The signed seconds from 30 December 1899 00:00, so keys sort as the dates do.
  void GetSortKey(ROWCOL nRow, ROWCOL nCol, const CGXSortInfo& info, const CGXStyle& style, CString& key) override;
  BOOL FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSetSel) override;
  BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) override;
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL GetSelectedText(CString& text) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override { return CGXBDateTimeCtrl::OnCommand(wParam, lParam); }

  BOOL OnChanging(const COleDateTime& dt) override;
  void OnChanged() override;
  virtual void ActivateFromClick(UINT nFlags, CPoint pt);
  virtual void DrawSpinGadget(CDC& dc, CGXBDTGadget* pGadget) { pGadget->Draw(dc); }
  virtual void DrawNumericGadget(CDC& dc, CGXBDTNumericGadget* pGadget);
  virtual void DrawListGadget(CDC& dc, CGXBDTListGadget* pGadget);
  virtual void DrawStaticGadget(CDC& dc, CGXBDTStaticGadget* pGadget);
  virtual void DrawButtonGadget(CDC& dc, CGXBDTGadget* pGadget) { pGadget->Draw(dc); }
  // Format from 51038 and 51039: the custom one for type 3, or without a type when one is given.
  virtual void SetupFromStyle(CGXBDateTimeCtrl& wnd, const CGXStyle& style);
  // Cuts pasted text at line ends, blanks and the field separators.
  virtual BOOL SplitPastedText(const CString& text, CStringArray& pieces);

  CGXCaptiveDateTimeCtrl& GetTextTemplate() { return m_text; }
  CGXCaptiveDateTimeCtrl& GetPaintTemplate() { return m_paint; }
  UINT m_nWndID;
  CString m_strFieldSeparators = ",";

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSetFocus(CWnd* pOldWnd) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

  // The template's value from cell text, the fallback when it does not parse.
  void SetTemplateValue(CGXBDateTimeCtrl& wnd, const CString& text);
  // Measures the template's gadgets and places them inside the rectangle.
  void LayoutGadgetsInRect(CGXBDateTimeCtrl& wnd, CDC& dc, const CRect& rect);
  // The current field can take focus (else the first that can) and only it carries the mark.
  void MarkCurrentField();
  // Marks the first (or last) field that can take focus as current.
  void MarkEdgeField(BOOL bLast);
  BOOL ActivateAndRefresh();
  // Digits typed into a field and not yet taken are taken, as leaving the field takes them.
  void CommitTypedDigits();
  BOOL RouteKey(UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags);

  CGXCaptiveDateTimeCtrl m_text, m_paint;
  CFont m_font;
  std::map<const CWnd*, CString> m_built;  // the format each window's fields were built from
  BOOL m_bActive = FALSE;
  BOOL m_bModified = FALSE;
};
