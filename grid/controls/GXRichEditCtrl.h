// CGXRichEditCtrl: the rich-text cell: its value is RTF, edited in a rich edit window over the
// current cell; hidden rich edits measure, render and search the other cells.
#pragma once

#include "grid/engine/GXControl.h"
#include "platform/ui/RichEditCtrl.h"

class CGXRichEditCtrl : public CRichEditCtrl, public CGXControl {
 public:
  explicit CGXRichEditCtrl(CGXGridCore* pGrid);
  ~CGXRichEditCtrl() override;

  // The visible window, then the measuring, rendering, text and format windows inside it.
  BOOL CreateControl(DWORD dwStyle, UINT nID);
  // The registered "Rich Text Format".
  static UINT GetRtfClipboardFormat();
  static void SetRTF(CRichEditCtrl& wnd, const CString& text);
  static CString GetRTF(CRichEditCtrl& wnd);
  // Plain text as the braced group a cell stores: \, { and } escaped, bytes from 0x80 as \'hh.
  static CString TextToRtf(const CString& text);
  // While set, size requests of the active window change nothing.
  static BOOL s_bNoResize;

  virtual void StyleToFormat(PARAFORMAT2& pf, CHARFORMAT& cf, const CGXStyle& style);
  virtual void FormatToStyle(CGXStyle& style, const CHARFORMAT& cf, const PARAFORMAT2& pf);

  GX_DECLARE_CONTROL_CLASS(CGXRichEditCtrl, CGXControl)
  CWnd* GetWnd() override { return this; }
  void SetActive(BOOL bActive) override;
  BOOL IsActive() override { return m_bActive; }
  void SetModify(BOOL bModified) override { CRichEditCtrl::SetModify(bModified); }
  BOOL GetModify() override { return m_hWnd && CRichEditCtrl::GetModify(); }
  void Init(ROWCOL nRow, ROWCOL nCol) override;
  BOOL Store() override;
  void GetCellInnerRect(CRect& rect, ROWCOL nRow, ROWCOL nCol, const CRect* pCellRect = nullptr,
                        const CGXStyle* pStyle = nullptr) override;
  CSize GrowSizeByBorders(CSize size, const CGXStyle& style) override;
  CSize CalcSize(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandardStyle = nullptr, BOOL bHeight = FALSE) override;
  void Draw(CDC* pDC, CRect rect, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, const CGXStyle* pStandard) override;
  BOOL GetValue(CString& text) override;
  void GetCurrentText(CString& text) override;
  void SetCurrentText(const CString& text) override;
  void SetActiveText(const CString& text) override;
  BOOL GetDisplayText(CString& text, ROWCOL nRow, ROWCOL nCol, LPCTSTR pszValue, const CGXStyle* pStyle) override;
  BOOL StoreCellText(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pOldStyle) override;
  BOOL StoreCellStyle(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0,
                      const CGXStyle* pOldStyle = nullptr) override;
  void Hide() override;
  BOOL LButtonUp(UINT nFlags, CPoint pt) override;
  BOOL LButtonDblClk(UINT nFlags, CPoint pt) override;
  BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  BOOL OnGridChars(const CString& chars) override;
  BOOL Copy() override;
  BOOL Cut() override;
  BOOL Paste() override;
  BOOL CanPaste() override;
  BOOL FindText(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol, BOOL bCurrent, BOOL bSetSel) override;
  BOOL ReplaceAll(const GXFindReplaceState& find, ROWCOL nRow, ROWCOL nCol) override;
  BOOL ReplaceSelectedText(LPCTSTR pszText) override;
  BOOL GetSelectedText(CString& text) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // TRUE when the rich edit keeps the key; FALSE hands it to the grid.
  BOOL KeepsKey(UINT nChar);
  CRichEditCtrl& GetMeasureWnd() { return m_hidden[0]; }
  CRichEditCtrl& GetRenderWnd() { return m_hidden[1]; }

  DWORD m_dwEventMask = 0x2C0003;
  DWORD m_dwOptions = 33217;
  BOOL m_bShrinkAllowed = TRUE;
  int m_nMinRowHeight = 0;
  BOOL m_bAutoSize = FALSE;

 protected:
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnSysDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
  void OnKillFocus(CWnd* pNewWnd) override;
  UINT OnGetDlgCode() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  // Streams the text into a hidden window unless it holds it already.
  void Cache(int nWnd, const CString& text);
  void OnRequestResize(const RECT& rc);
  BOOL RouteKey(UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags);
  // Twips of a pixel count at a resolution.
  static LONG Twips(int pixels, int dpi) { return (LONG)((int64_t)pixels * 1440 / (dpi > 0 ? dpi : 96)); }

  BOOL m_bActive = FALSE;
  BOOL m_bMeasuring = FALSE;
  CRect m_rectRequested;
  // Measuring, rendering, text and format windows, each with the RTF last streamed into it.
  CRichEditCtrl m_hidden[4];
  CString m_cache[4];
  BOOL m_bCached[4] = {};
  BYTE m_cLead = 0;
};
