// CGXGridCore: the grid engine that the grid windows host: parameter block, styles, drawing,
// editing and the undoable operations with their undo and redo lists.
#pragma once

#include "grid/engine/GXCommand.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXCodes.h"
#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/List.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CArchive;
class CCmdUI;
class CFile;
class CClientDC;
class CPrintInfo;
class CScrollBar;
struct MSG;
class CDC;
class CDocument;
class CView;
class CGXControl;
class CGXProperties;
class CGXStylesMap;
class CWnd;
class CFindReplaceDialog;
class CSplitterWnd;
class CGXNoOleDataSourceProxy;
class COleDataObject;
class CGXSortInfoArray;
struct CGXSortInfo;
class CStringArray;
class CPtrArray;

// The hint a grid sends its document's other views.
class CGXGridHint : public CObject {
  DECLARE_DYNAMIC(CGXGridHint)
 public:
  CGXGridHint(UINT id, int nViewID) : m_id(id), m_nViewID(nViewID) {}
  UINT m_id;
  int m_nViewID;
  CGXRange m_range;
  UINT m_flags = 0;
  BOOL m_bAccept = TRUE;
  const CGXStyle* m_pStyle = nullptr;
  int m_nMode = 0;
  ROWCOL m_nRow1 = 0, m_nRow2 = 0, m_nRow3 = 0;
  ROWCOL m_nCol1 = 0, m_nCol2 = 0, m_nCol3 = 0;
  long m_lParam = 0;
  DWORD m_dwParam = 0;
  void* m_pHintPtr = nullptr;
};

struct CGXDrawContext;

class CGXGridCore {
 public:
  // The third pointer is reserved: hosts pass null and set m_pGridWnd to themselves.
  CGXGridCore(CWnd* pGridWnd = nullptr, CDocument* pDocument = nullptr, void* pReserved = nullptr);
  virtual ~CGXGridCore();
  CGXGridCore(const CGXGridCore&) = delete;
  CGXGridCore& operator=(const CGXGridCore&) = delete;

  CGXGridParam* GetParam() const { return m_pParam; }
  // A borrowed block outlives the grid; an owned one dies with it. Null makes a new owned block.
  void SetParam(CGXGridParam* pParam, BOOL bMustDelete = TRUE);

  // ---- life and document ----
  virtual void SetPrinting(BOOL bPrint, BOOL bClientToPrint = FALSE);
  virtual void SetModifiedFlag(BOOL bModified = TRUE);
  virtual void UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint);
  // A hint for the document's other views: the grid's own view has made the change already.
  void SendHint(CGXGridHint& hint);
  // Prepares a grid whose window exists; not supported before the library registered "GXWND".
  virtual BOOL Initialize();
  BOOL IsInitialized() const { return m_bInitialized; }

  // ---- styles ----
  virtual BOOL GetStyleRowCol(ROWCOL nRow, ROWCOL nCol, CGXStyle& style, int mode = 0, int nType = 0);
  virtual const CGXStyle& LookupStyleRowCol(ROWCOL nRow, ROWCOL nCol);
  virtual void ComposeStyleRowCol(ROWCOL nRow, ROWCOL nCol, CGXStyle* pStyle, BOOL bApplyStandard = TRUE);
  virtual BOOL StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0);
  virtual void UpdateStyleRange(const CGXRange& range, const CGXStyle* pStyle, int mode, int nType, UINT flags,
                                BOOL bCreateHint = TRUE);
  virtual CGXStyle* CreateStyle();
  virtual void RecycleStyle(CGXStyle* pStyle);
  virtual void UpdateStylesMap(UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateProperties(UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateBaseStyle(WORD nId, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  const CString& GetValueRowCol(ROWCOL nRow, ROWCOL nCol);
  // The text as the value of every cell of the range, through the emptied scratch style.
  BOOL SetRangeValueText(const CGXRange& range, LPCTSTR text, int mode = 0, UINT flags = GX_UPDATENOW);
  BOOL SetRangeValueString(const CGXRange& range, const CString& text, int mode = 0, UINT flags = GX_UPDATENOW);
  const CGXStyle& GetStandardStyle();
  BOOL ChangeColHeaderStyle(const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = GX_UPDATENOW);
  BOOL ChangeRowHeaderStyle(const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = GX_UPDATENOW);

  // ---- controls ----
  virtual CGXControl* GetRegisteredControl(UINT nID);
  void RegisterControl(UINT nID, CGXControl* pControl, BOOL bDefault = FALSE, BOOL bAddToStylesMap = TRUE);
  virtual CGXControl* GetControl(ROWCOL nRow, ROWCOL nCol);

  // ---- GDI objects and caches ----
  virtual void SelectCellFont(CDC* pDC, const CGXStyle& style, const CGXStyle* pOldStyle = nullptr);
  // SelectCellFont of the standard style, when it has a font; returns the font to put back.
  CFont* SelectStandardFont(CDC* pDC);
  virtual void FreeObjectCache();
  CFont* LookupFont(const CGXFont& font);
  CBrush* LookupBrush(const CGXBrushValue& brush);
  CPen* LookupPen(const CGXPenValue& pen);
  CDC* GetClientDC();
  void ReleaseClientDC();
  // The running long operation's percentage, capped at 100.
  void SetOperationPercent(int nPercent);

  // ---- read-only and sheets ----
  virtual BOOL SetReadOnly(BOOL bReadOnly = TRUE);
  virtual BOOL IsReadOnly();
  virtual BOOL StoreReadOnly(BOOL bReadOnly);
  virtual void UpdateReadOnly(BOOL bOldReadOnly, BOOL bCreateHint = TRUE);
  virtual void OnRecordNavigate(int nCommand, LONG nRecord);
  virtual BOOL IsSheetNameEditable();
  // May the sheet tab switch away: an active cell must accept its text first (TRUE when forced).
  virtual BOOL CanSwitchSheet(BOOL bForce = FALSE);
  // The tab window renamed tab nTab: its name becomes the sheet name, and the other views hear it.
  virtual void OnTabRenamed(int nTab);
  // The nearest parent of one of the library's host window classes, or null.
  CWnd* GetParentTabWnd(BOOL bIgnoreIconic = FALSE) const;
  virtual int GetZoom();

  // ---- drawing, printing and activation (the drawing layer fills them) ----
  virtual void PrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
  // The grid draws in screen pixels; printing maps them onto the printer's.
  static CSize ScreenPixelsPerInch();
  virtual void OnDraw(CDC*) {}
  // Printing: the table (or the selection) cut into pages by column and row breaks.
  virtual void OnAdjustPrintRectangle(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnPrintHeaderAndFooter(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
  // The first column (row) of each page column (row); the last entry is one past the end.
  CDWordArray m_awColBreaks, m_awRowBreaks;
  int m_nScreenColPage = 0, m_nScreenRowPage = 0;
  // 1 preloads the table before printing and previewing, 2 only before printing.
  int m_nPreloadMode = 2;
  BOOL m_bPrintSelection = FALSE;
  virtual void OnUpdate(CView*, LPARAM, CObject*) {}
  // Focus in or out: the current cell's control is activated or stored and made inactive.
  virtual BOOL OnActivateGrid(BOOL bActivate);
  // The drawing area: the print rectangle while printing, else the rectangle set, else the client area.
  virtual void GetGridRect(RECT* pRect);
  void SetGridRect(BOOL bSet, LPCRECT pRect = nullptr);
  virtual void RedrawRowCol(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, UINT flags = GX_UPDATENOW,
                            BOOL bCreateHint = TRUE);
  void RedrawRange(const CGXRange& range, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  // nType 0 both headers, 1 the column header, 2 the row header.
  virtual void RedrawHeaderMarks(int nType, ROWCOL nRow, ROWCOL nCol, UINT flags = GX_UPDATENOW);
  // Replays another view's change; hints of other view ids and unknown ids are ignored.
  virtual void OnGridUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  // Scroll-bar ranges and visibility after the counts or the window changed.
  virtual void RefreshScrollBars(BOOL bDeferRedraw = FALSE, BOOL bOnlyIfCountsChanged = FALSE);

  // ---- window messages the hosts forward ----
  virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  virtual BOOL OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual BOOL OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual BOOL OnSize(UINT nType, int cx, int cy);
  virtual BOOL OnMouseMove(UINT nFlags, CPoint point);
  virtual BOOL OnShowWindow(BOOL bShow, UINT nStatus);
  virtual BOOL OnLButtonDblClk(UINT nFlags, CPoint point);
  virtual BOOL OnLButtonDown(UINT nFlags, CPoint point);
  virtual BOOL OnLButtonUp(UINT nFlags, CPoint point);
  virtual BOOL OnMButtonDblClk(UINT nFlags, CPoint point);
  virtual BOOL OnMButtonDown(UINT nFlags, CPoint point);
  virtual BOOL OnMButtonUp(UINT nFlags, CPoint point);
  virtual BOOL OnRButtonDblClk(UINT nFlags, CPoint point);
  virtual BOOL OnRButtonDown(UINT nFlags, CPoint point);
  virtual BOOL OnRButtonUp(UINT nFlags, CPoint point);
  virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  // 0 in the base, so the host's own destroy processing always runs.
  virtual BOOL OnDestroy() { return FALSE; }
  virtual BOOL OnCancelMode();
  // The press that started the mouse action, the last cell reported and the dragged range's anchor.
  UINT m_nMouseFlags = 0;
  ROWCOL m_nPressRow = 0, m_nPressCol = 0, m_nLastHitRow = 0, m_nLastHitCol = 0;
  ROWCOL m_nAnchorRow = 0, m_nAnchorCol = 0;
  // A press ends with WM_CANCELMODE when the grid already captures or another button is down.
  BOOL MousePressBlocked(UINT nFlags, UINT nOtherButtons);
  ROWCOL ClampRow(ROWCOL nRow) const;
  ROWCOL ClampCol(ROWCOL nCol) const;
  WORD MouseHitState(WORD wStep, ROWCOL nRow, ROWCOL nCol) const;
  BOOL StartSelDragByMouse(ROWCOL nRow, ROWCOL nCol);
  void CaptureOrAutoScroll(ROWCOL nRow, ROWCOL nCol);
  // Button 1 middle, 2 right.
  BOOL OtherButtonDown(int nButton, UINT nFlags, CPoint point);
  BOOL OtherButtonUp(int nButton, UINT nFlags, CPoint point);
  BOOL OtherButtonDblClk(int nButton, UINT nFlags, CPoint point);
  void SelDragTarget(CPoint point, ROWCOL& nRow, ROWCOL& nCol);
  virtual BOOL OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message, LRESULT* pResult);
  // Notifications of the current cell's windows go to its control.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnSettingChange(UINT uFlags, LPCTSTR pszSection);
  virtual BOOL OnSysColorChange();
  virtual UINT OnGetDlgCode(UINT code);
  // The bar a surrounding tab or record window lends, unless the grid window has its own.
  virtual CScrollBar* GetScrollBarCtrl(int nBar) const;
  virtual BOOL OnKillFocus(CWnd* pNewWnd);
  virtual BOOL OnSetFocus(CWnd* pOldWnd);
  // Message 0x7CB: while locked a size change repaints nothing; unlocking repaints the window.
  void SetLockInvalidate(BOOL bLock);
  CWnd* m_pLastFocusWnd = nullptr;
  BOOL m_bRefreshOnFocus = FALSE;
  BOOL m_bInCanSwitchSheet = FALSE;
  CSize m_szPrevSize{0, 0};
  CRect m_rectPrevWnd;
  // What was due for repainting when the window began to change place or size: drawn by nobody yet.
  std::vector<CRect> m_rectsDueBeforeSize;
  BOOL m_bPrevMaximized = FALSE;
  // The view's limits on the scrolled columns' widths and rows' heights at the last size (-1: none).
  CSize m_szPrevSizeLimit{-1, -1};
  // Where (from the grid rectangle's edge) the first scrolled column or row shown starts whose shown
  // size the view's new width or height changed from `nWasLimit`; -1 when none.
  LONG FirstSizeFollowingView(BOOL bRows, LONG nWasLimit);
  virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
  // The drag timers; other ids are not the core's.
  virtual BOOL OnTimer(UINT_PTR nIDEvent) { return OnDragTimer(nIDEvent); }
  // A host window's message for the core; windowDefault is the window's own processing.
  BOOL RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult,
                          const std::function<BOOL()>& windowDefault);
  // The keys a cell control passes on: RouteKeyMessage with the control's window.
  virtual BOOL ProcessKeys(CWnd* pMessageWnd, UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags);

  // ---- notifications the program's grids override ----
  virtual BOOL OnStartEditing(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnCanceledEditing(ROWCOL, ROWCOL) {}
  virtual BOOL OnEndEditing(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnDeleteCell(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnLeftCell(ROWCOL, ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnInitCurrentCell(ROWCOL, ROWCOL) {}
  virtual BOOL CanSelectCurrentCell(BOOL bSelect, ROWCOL nNewRow, ROWCOL nNewCol, ROWCOL nOldRow, ROWCOL nOldCol);
  virtual BOOL OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt);
  virtual BOOL OnRButtonClickedRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnLButtonDblClkRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt);
  virtual BOOL OnRButtonDblClkRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonClickedRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  // The pointer rests over a cell with no button down (offered after the cell's children).
  virtual BOOL OnMouseMoveOver(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonDblClkRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual void OnClickedButtonRowCol(ROWCOL, ROWCOL) {}
  // A press (state 0x04), move while pressed (0x08) or release (0x10) of a button over a cell.
  virtual BOOL OnLButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);
  virtual BOOL OnMButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);
  virtual BOOL OnRButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);

  // ---- selection and hit testing ----
  // Appends a copy of each selected range; with an empty selection and the flag, the current cell.
  virtual BOOL CopyRangeList(CGXRangeList& list, BOOL bAddCurrentCell);
  virtual void SetSelection(POSITION pos, ROWCOL nTop = 0, ROWCOL nLeft = 0, ROWCOL nBottom = 0, ROWCOL nRight = 0);
  // 0 nothing, 1 a column boundary, 2 a row boundary, 3 a cell, 4 a header cell, 5 a selection edge.
  virtual int HitTest(CPoint pt, ROWCOL* pRow = nullptr, ROWCOL* pCol = nullptr, CRect* pRect = nullptr);
  virtual int HitTestSelectionEdge(ROWCOL nRow, ROWCOL nCol, const POINT* pt, const RECT* pCellRect);
  // Resizing a row (mode 1) or column (mode 2) by its boundary; size is the proposed height (cy) or width (cx).
  virtual BOOL OnStartTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode);
  virtual BOOL OnMoveTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size);
  virtual BOOL OnEndTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size);
  virtual void OnCancelTracking();
  virtual BOOL OnTrackColWidth(ROWCOL) { return TRUE; }
  virtual BOOL OnTrackColWidthStart(ROWCOL) { return TRUE; }
  virtual BOOL OnTrackColWidthMove(ROWCOL, int) { return TRUE; }
  virtual BOOL OnTrackColWidthEnd(ROWCOL, int) { return TRUE; }
  virtual BOOL OnTrackRowHeight(ROWCOL) { return TRUE; }
  virtual BOOL OnTrackRowHeightStart(ROWCOL) { return TRUE; }
  virtual BOOL OnTrackRowHeightMove(ROWCOL, int) { return TRUE; }
  virtual BOOL OnTrackRowHeightEnd(ROWCOL, int) { return TRUE; }
  // The cursor that tells what a press would do; a forced cursor id overrides it while nonzero.
  virtual void ShowContextCursor(UINT nID, LPCSTR pszSystemCursor);
  virtual void UpdateContextCursor(CPoint point);
  virtual void SetForcedCursor(UINT nID);
  UINT m_nForcedCursorId = 0;
  int m_nTrackTolerance = 8;
  BOOL m_bHitSelectionEdges = FALSE;
  // Whether a row-height (mode bit 0) or column-width tracking runs, its mode and the row or column tracked.
  BOOL GetTrackingState(int* pnMode, ULONG* pnIndex) const {
    if (pnMode) *pnMode = m_nTrackingMode;
    if (pnIndex) *pnIndex = (m_nTrackingMode & 1) ? m_nTrackRow : m_nTrackCol;
    return m_bTracking;
  }
  BOOL m_bTracking = FALSE, m_bTrackMoved = FALSE;
  int m_nTrackingMode = 0;
  ROWCOL m_nTrackRow = 0, m_nTrackCol = 0;
  CRect m_rectTrackStart, m_rectTrackAnchor, m_rectTrackLine;
  int m_nTrackOldSize = 0;
  BOOL m_bTrackHadSize = FALSE;
  LONG m_nTrackOldStored = 0;
  // From the tracking bits at the start: live grid, live header, line window, inverted line, header redraw.
  BOOL m_bTrackLiveGrid = FALSE, m_bTrackLiveHeader = FALSE, m_bTrackLineWnd = FALSE, m_bTrackInvert = FALSE,
       m_bTrackHeaderRedraw = FALSE;
  // The line of a resize, or the marker where dragged rows or columns land.
  class CGXDragLineWnd* m_pDragLineWnd = nullptr;
  void DestroyDragLine();
  // The inner rectangle of a cell: less its borders and, with bFrameAndLines, its 3-D frame and
  // the grid lines it carries.
  virtual void ShrinkRectByBorders(RECT* pOut, const RECT& rect, const CGXStyle& style, BOOL bFrameAndLines = TRUE);
  // A content size grown to a cell size.
  virtual void GrowSizeByBorders(SIZE* pOut, int cx, int cy, const CGXStyle& style);

  // ---- covered, merged and floated cells (GXGridCoreSpans.cpp) ----
  virtual BOOL GetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range);
  // The covered block, else the merged block, else the floated block that holds the cell.
  virtual BOOL GetCellRangeRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range);
  // Evaluates merging, then floating, on the frozen corner, the frozen bands and the body.
  virtual BOOL EvalVisibleFloatMergeCells(const CGXRange& range, ROWCOL nFrozenRows, ROWCOL nFrozenCols, ROWCOL nTopRow,
                                          ROWCOL nLeftCol, ROWCOL nLastRow, ROWCOL nLastCol, BOOL bUpdate = TRUE,
                                          CGXRange* pUpdatedRange = nullptr, BOOL bLockHeld = FALSE);
  BOOL EvalVisibleFloatMergeCells(const CGXRange& range, BOOL bUpdate = TRUE, CGXRange* pUpdatedRange = nullptr,
                                  BOOL bLockHeld = FALSE);
  virtual BOOL StoreCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, BOOL bSet);
  virtual void UpdateCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags,
                                        BOOL bCreateHint);
  virtual void MergeCoveredCells(CGXRange& range);
  virtual BOOL CanFloatCell(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, BOOL bFloatOrFlood);
  // Direction 0 along the row, 1 along the column.
  virtual BOOL CanMergeCell(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXStyle& style, int direction);
  virtual BOOL CanMergeCells(const CGXStyle& style1, const CGXStyle& style2);
  void SetMergeCellsMode(WORD nMode, BOOL bRedraw = TRUE);
  WORD GetMergeCellsMode() const { return m_pParam ? m_pParam->m_wMergeCellsMode : 0; }
  // Mode 1 floats with delayed evaluation, 2 floats nothing, 0 is off.
  void SetFloatCellsMode(WORD nMode, BOOL bRedraw = TRUE);
  WORD GetFloatCellsMode() const { return m_pParam ? m_pParam->m_wFloatCellsMode : 0; }
  // A bound of all ones means none.
  void DelayFloatCells(const CGXRange& range, ROWCOL nMaxCol = (ROWCOL)-1);
  void DelayMergeCells(const CGXRange& range, ROWCOL nMaxRow = (ROWCOL)-1, ROWCOL nMaxCol = (ROWCOL)-1);
  BOOL EvalFloatCells(const CGXRange& range, BOOL bUpdate = TRUE, CGXRange* pUpdatedRange = nullptr,
                      BOOL bLockHeld = FALSE);
  BOOL EvalMergeCells(const CGXRange& range, BOOL bUpdate = TRUE, CGXRange* pUpdatedRange = nullptr,
                      BOOL bLockHeld = FALSE);
  virtual BOOL GetFloatedCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range);
  // Direction 0 along rows, 1 along columns, all ones both.
  virtual BOOL GetMergedCellsRowCol(ROWCOL nRow, ROWCOL nCol, CGXRange& range, UINT direction = (UINT)-1);
  BOOL SetFloatedCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags = GX_UPDATENOW);
  BOOL SetMergedCellsRowCol(int direction, ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags = GX_UPDATENOW);
  void ExpandRangeByFloatedCells(CGXRange& range);
  void ExpandRangeByMergedCells(CGXRange& range);
  BOOL m_bLockEvalFloatCells = FALSE, m_bLockEvalMergeCells = FALSE;
  CGXRange m_rangeLastMergeSpan;

  // ---- sizes and structure read by the other layers ----
  // Pixels: stored sizes are thousandths of the standard font's character height (width).
  virtual int GetRowHeight(ROWCOL nRow);
  virtual int GetColWidth(ROWCOL nCol);
  virtual int GetDefaultRowHeight();
  virtual int GetDefaultColWidth();
  virtual BOOL IsRowHidden(ROWCOL nRow);
  virtual BOOL IsColHidden(ROWCOL nCol);
  // Stops once the running sum passes a nonzero limit.
  LONG SumRowHeights(ROWCOL nFrom, ROWCOL nTo, LONG nLimit = 0);
  LONG SumColWidths(ROWCOL nFrom, ROWCOL nTo, LONG nLimit = 0);
  ROWCOL GetTopRow() const { return m_bPrinting ? m_nPrintTopRow : m_nTopRow; }
  ROWCOL GetLeftCol() const { return m_bPrinting ? m_nPrintLeftCol : m_nLeftCol; }
  virtual BOOL SetTopRow(ROWCOL nRow, UINT flags = GX_UPDATENOW, BOOL bRedraw = TRUE);
  virtual BOOL SetLeftCol(ROWCOL nCol, UINT flags = GX_UPDATENOW, BOOL bRedraw = TRUE);
  virtual ROWCOL GetRowCount() const;
  virtual ROWCOL GetColCount() const;
  virtual ROWCOL GetHeaderRows() const { return m_pParam ? m_pParam->m_nHeaderRows : 0; }
  virtual ROWCOL GetHeaderCols() const { return m_pParam ? m_pParam->m_nHeaderCols : 0; }
  // A pane below (right of) the first pane row (column) scrolls the frozen rows (columns) with the rest.
  virtual ROWCOL GetFrozenRows() const {
    return m_pParam && (m_nSplitRow == 0 || m_bPrinting) ? m_pParam->m_nFrozenRows : 0;
  }
  virtual ROWCOL GetFrozenCols() const {
    return m_pParam && (m_nSplitCol == 0 || m_bPrinting) ? m_pParam->m_nFrozenCols : 0;
  }
  virtual BOOL MoveCurrentCell(int direction, UINT nCell = 1, BOOL bCanSelectRange = TRUE);
  // Hooks a virtual grid overrides; the base answers nothing (sizes) or does nothing (sort).
  virtual void OnTestGridDimension(ROWCOL, ROWCOL) {}
  virtual void SortRows(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags = GX_UPDATENOW);
  virtual void SortCols(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags = GX_UPDATENOW);
  // One key text per key for a row (column) of a sort.
  virtual void GetRowSortKeys(ROWCOL nRow, const CGXSortInfoArray& sortInfo, CStringArray& keys);
  virtual void GetColSortKeys(ROWCOL nCol, const CGXSortInfoArray& sortInfo, CStringArray& keys);
  // Orders the records (CGXSortRecord pointers) by the keys.
  virtual void SortKeys(CGXSortInfoArray& sortInfo, CPtrArray& records);
  // The text a cell sorts by; the cell's value unless a grid knows better.
  virtual void GetSortKey(CGXControl* pControl, ROWCOL nRow, ROWCOL nCol, const CGXSortInfo& sortInfo,
                          const CGXStyle& style, CString& sKey);
  // Piece-four callers read the character width of the standard font.
  int GetFontCharWidth() const { return m_nCharWidth; }

  // Fields the hosts and the other layers read.
  BOOL m_bUpdateHints = FALSE;
  int m_nViewID = 0;
  CDocument* m_pDocument = nullptr;
  BOOL m_bIsViewContext = FALSE;
  CRuntimeClass* m_pStyleClass = nullptr;
  BOOL m_bValueOnly = FALSE;
  // Set while the text writer composes: the standard style lends only the value and the control.
  BOOL m_bTextOnly = FALSE;
  CGXStyle* m_pScratchStyle = nullptr;
  CGXStyle* m_pValueStyle = nullptr;
  CGXStyle* m_pCurrentCellStyle = nullptr;
  CGXControl* m_pCurrentCellControl = nullptr;
  CGXStyle* m_pStyleColHeader = nullptr;
  CGXStyle* m_pStyleRowHeader = nullptr;
  CGXStyle* m_pStyleStandard = nullptr;
  CGXStyle* m_pPreparedStyle = nullptr;
  BOOL m_bCacheCurrentCell = FALSE;
  BOOL m_bReturnActiveStyle = TRUE;
  UINT m_nCacheRowSlots = 92, m_nCacheColSlots = 64, m_nCacheSize = 92 * 64;
  UINT m_nCacheRowLead = 16, m_nCacheColLead = 16;
  ROWCOL m_nKeepRow = 0, m_nKeepCol = 0;
  BOOL m_bKeepObjects = FALSE;
  int m_nZoom = 100;
  ROWCOL m_nTopRow = 1, m_nLeftCol = 1;
  ROWCOL m_nPrintTopRow = 1, m_nPrintLeftCol = 1;
  BOOL m_bActive = FALSE;
  BOOL m_bIgnoreFocus = FALSE;
  BOOL m_bDropDownOpen = FALSE;  // a cell's drop-down list is open
  BOOL m_bGridHasFocus = FALSE;  // kept while a drop-down list holds the focus
  // Until measured a character is 10 by 15.
  int m_nCharHeight = 15, m_nCharWidth = 10;
  BOOL m_bInitialized = FALSE;
  BOOL m_bPrinting = FALSE;
  CRect m_rectPrint;
  int m_nLockUpdate = 0;
  WORD m_wMouseAction = 0;
  int m_nSBThumbFactorV = 1, m_nSBThumbFactorH = 1;
  BOOL m_bGridRectSet = FALSE;
  CRect m_rectGrid;

  // ---- current cell ----
  virtual BOOL GetCurrentCell(ROWCOL& nRow, ROWCOL& nCol, BOOL bIgnorePrinting = FALSE);
  virtual BOOL IsCurrentCell(ROWCOL nRow = (ROWCOL)-1, ROWCOL nCol = (ROWCOL)-1, BOOL bIgnorePrinting = FALSE);
  virtual BOOL SetCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags = GX_UPDATENOW | GX_SCROLLINVIEW);
  virtual BOOL ScrollCellInView(ROWCOL nRow, ROWCOL nCol, UINT flags = GX_UPDATENOW | GX_SCROLLINVIEW, BOOL bFloatCell = FALSE);
  // The control bound to the current cell, null when there is none.
  virtual CGXControl* GetCurrentCellControl();
  // Stores (validating) or discards the current cell's edit; with bNotify the other views hear hint 24.
  virtual BOOL EndCurrentCellEdit(BOOL bStore = TRUE, UINT flags = GX_UPDATENOW, BOOL bNotify = TRUE);
  virtual void UpdateWindow();
  BOOL IsCurrentCellActive();
  virtual void SetWarningText(LPCTSTR pszText);
  virtual void ShowPendingWarning();
  // Stores a modified control the grid lets go (bSave) and deactivates it.
  virtual void DeactivateCurrentCell(BOOL bSave);
  virtual void RefreshCurrentCellControl();
  virtual BOOL OnValidateCell(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL CanScrollCellIntoView(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnCellModified(ROWCOL nRow, ROWCOL nCol);
  virtual BOOL OnCancelEditing(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnCurrentCellMoved(ROWCOL nRow, ROWCOL nCol);
  virtual void OnMovedCurrentCell(ROWCOL, ROWCOL) {}
  // Shows the record position and count in a surrounding record window, if any.
  virtual void PushRecordInfo();
  CString m_strWarningText;
  BOOL m_bWarningShown = FALSE;
  BOOL m_bInWarning = FALSE;
  BOOL m_bMovingCurrentCell = FALSE;
  BOOL m_bNoRedraw = FALSE;
  ROWCOL m_nLastNotifiedRow = (ROWCOL)-1, m_nLastNotifiedCol = (ROWCOL)-1;
  int m_nLastDrawnRow = 0, m_nLastDrawnCol = 0;

  // ---- keys and mouse navigation ----
  // Steps from the given cell (examined first) to a cell with a size, not hidden by a covering
  // cell and enabled; directions 1 up, 2 left, 3 down, 4 right.
  virtual BOOL FindNextSelectableCell(int direction, ROWCOL& nRow, ROWCOL& nCol);
  virtual BOOL MoveCurrentCellBySelection(int direction, UINT nCell = 1);
  virtual BOOL RouteKeyMessage(CWnd* pMessageWnd, UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual BOOL OnGridKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual BOOL OnGridKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual BOOL OnGridChars(const CString&) { return FALSE; }
  virtual BOOL OnGridDeadChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual BOOL OnGridSysKeyUp(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysChar(UINT, UINT, UINT) { return FALSE; }
  virtual BOOL OnGridSysDeadChar(UINT, UINT, UINT) { return FALSE; }
  // ---- clipboard: text and the grid's "Grid Styles" format ----
  virtual BOOL CopyRanges(const CGXRangeList& list);
  virtual BOOL WriteTextFormat(CFile& file, const CGXRangeList& list);
  virtual BOOL WriteInternalFormat(CArchive& ar, const CGXRangeList& list, BOOL bComposed);
  virtual BOOL CutRanges(const CGXRangeList& list, BOOL bRemoveStyles);
  virtual BOOL ClearCells(const CGXRangeList& list, BOOL bRemoveStyles);
  virtual BOOL PasteInternalFormat(CArchive& ar, const CGXRange& target, BOOL bSkipSizeCheck);
  virtual BOOL PasteTextFormat(const char* pszText, size_t nBytes, const CGXRange& target);
  virtual BOOL CalcTextBlockSize(const char* pszText, size_t nBytes, ROWCOL& nRows, ROWCOL& nCols);
  virtual BOOL StoreTextRowCol(ROWCOL nRow, ROWCOL nCol, LPCTSTR pszText, UINT flags, const CGXStyle* pStyle);
  // The clipboard must be open already.
  virtual BOOL PasteFromClipboard(const CGXRange& target);
  virtual BOOL IsPasteFormatAvailable();
  virtual BOOL ConfirmPasteSizeMismatch();
  BOOL CopyTextToClipboard(const CGXRangeList& list);
  BOOL CopyInternalToClipboard(const CGXRangeList& list, BOOL bComposed);
  BOOL CopyRange(const CGXRange& range);
  BOOL CutRange(const CGXRange& range, BOOL bRemoveStyles);
  // Bits: 0x1/0x2 headers take part, 0x8 text, 0x10 internal, 0x20 composed styles, 0x100 ask on
  // size mismatch, 0x200/0x400 paste never adds rows/columns.
  UINT m_nClipboardFlags = 0x38;
  CString m_strColSep;  // empty: a tab
  ROWCOL m_nRowsCopied = 0, m_nColsCopied = 0;
  // ---- OLE drag and drop of cell blocks (GXGridCoreDragDrop.cpp) ----
  // Drags the selection from a cell of it; FALSE when no drag could start.
  virtual BOOL StartOleDrag(ROWCOL nRow, ROWCOL nCol);
  virtual void FillOleDataSource(CGXNoOleDataSourceProxy* pProxy, const CGXRangeList& list, ROWCOL& nRows,
                                 ROWCOL& nCols);
  virtual BOOL GetDropBlockSize(COleDataObject* pData, ROWCOL& nRows, ROWCOL& nCols);
  virtual BOOL QueryDropFormats(COleDataObject* pData);
  virtual BOOL DropData(COleDataObject* pData, ROWCOL nRow, ROWCOL nCol);
  virtual DWORD OnDragEnter(COleDataObject* pData, DWORD dwKeyState, CPoint point);
  virtual DWORD OnDragOver(COleDataObject* pData, DWORD dwKeyState, CPoint point);
  virtual void OnDragLeave();
  // The effect the source must still apply: 0 after a drag within the grid.
  virtual DWORD OnDrop(COleDataObject* pData, DWORD dropEffect, CPoint point);
  virtual DWORD OnDropEx(COleDataObject* pData, DWORD dropDefault, DWORD dropList, CPoint point);
  virtual DWORD OnDragScroll(DWORD dwKeyState, CPoint point);
  virtual void DrawDropFrame(CPoint point, BOOL bEraseOld, BOOL bShowNew);
  // ---- the clipboard commands: after drag and drop in the table of virtual operations ----
  virtual BOOL Copy();
  virtual BOOL Paste();
  virtual BOOL Cut();
  virtual BOOL ClearSelection(BOOL bRemoveStyles = FALSE);
  virtual BOOL CanCopy();
  virtual BOOL CanCut();
  virtual BOOL CanPaste();
  virtual BOOL CanClear();
  // The grid window's timer while a drag scrolls it.
  virtual BOOL OnDragTimer(UINT_PTR nIDEvent);
  BOOL DoDragScroll(CPoint screenPoint);
  // The cell a block dropped at the point would start on; FALSE when none.
  BOOL CalcDropTarget(CPoint point, ROWCOL& nRow, ROWCOL& nCol);
  // Bits as the clipboard flags; 0x40 scroll outside while this grid is the source, 0x80 scroll near the edge.
  DWORD m_dwDropTargetFlags = 0;
  BOOL m_bSourceDragTimer = FALSE;
  ROWCOL m_nDropRows = 0, m_nDropCols = 0;
  ROWCOL m_nDropTargetRow = (ROWCOL)-1, m_nDropTargetCol = (ROWCOL)-1;
  CRect m_rectDropFrame;
  DWORD m_dwDropEffectCache = 0;
  // Auto-scroll while dragging: edge zone, delays in ms and step factors.
  int m_nDragScrollInset = 11;
  UINT m_nDragScrollDelay = 50, m_nDragScrollInterval = 50, m_nDragScrollOutsideDelay = 50;
  int m_nDragScrollFactorH = 1, m_nDragScrollFactorV = 1;
  WORD m_wDragScrollDir = 0xFFFF;
  BOOL m_bDragScrollInside = FALSE;
  DWORD m_dwDragScrollTick = 0, m_dwDragScrollWait = 0;
  // ---- find and replace in the current cell's column ----
  virtual BOOL FindText(LPCTSTR pszFind, BOOL bDown, BOOL bCase);
  virtual void ReplaceText(LPCTSTR pszFind, BOOL bDown, BOOL bCase, LPCTSTR pszReplace);
  virtual void ReplaceAll(LPCTSTR pszFind, LPCTSTR pszReplace, BOOL bCase);
  virtual void OnTextNotFound(LPCTSTR pszFind);
  virtual void OnShowFindReplaceDialog(BOOL bFindOnly);
  virtual void OnFindReplace(CFindReplaceDialog* pDialog);
  virtual BOOL FindNext(BOOL bInteractive);
  virtual BOOL FindInRows(ROWCOL nRow, ROWCOL nCol, BOOL bInteractive);
  ROWCOL m_nFindRow = 0;
  // The last row that shows, at least partly, in the grid area.
  ROWCOL LastRowInView();
  ROWCOL LastColInView();
  BOOL m_bDraggedWhilePressed = FALSE;
  BYTE m_nPressState = 0;
  BYTE m_cLeadByte = 0;

  // ---- scrolling ----
  virtual UINT SetScrollBarBehaviour(int nBar, UINT nMode, BOOL bApply = TRUE);
  UINT GetScrollBarBehaviour(int nBar) const { return nBar == SB_HORZ ? m_nHScrollMode : m_nVScrollMode; }
  BOOL LockScrollBars(BOOL bLock);
  virtual void SetScrollRange(int nBar, int nFirst, int nLast, BOOL bRedraw = TRUE);
  virtual int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
  virtual int GetScrollPos(int nBar);
  virtual void GetScrollRange(int nBar, int& nFirst, int& nLast);
  void GetTopLeft(ROWCOL& nTop, ROWCOL& nLeft) const { nTop = GetTopRow(), nLeft = GetLeftCol(); }
  // Directions 1 up, 2 left, 3 down, 4 right; TRUE when the grid scrolled.
  virtual BOOL DoScroll(int direction, ROWCOL nCount);
  virtual BOOL ScrollGrid(int direction, ROWCOL nCount);
  virtual BOOL AutoScroll(UINT nEndMessage, BOOL bVertical, BOOL bHorizontal);
  virtual BOOL CanChangeTopRow(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL CanChangeLeftCol(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnTopRowChanged() {}
  virtual void OnLeftColChanged() {}
  // The largest top row (left column) that still fills the grid area.
  ROWCOL CalcMaxTopRow();
  ROWCOL CalcMaxLeftCol();
  // Client y (x) of the first scrolled row (column): rows (columns) above it stay.
  int ScrollOriginY();
  int ScrollOriginX();
  UINT m_nVScrollMode = 0, m_nHScrollMode = 0;
  BOOL m_bLockScrollBars = FALSE;
  BOOL m_bInUpdateScrollbars = FALSE;
  BOOL m_bScrollbarsSet = FALSE;
  ROWCOL m_nLastSBRowCount = (ROWCOL)-1, m_nLastSBColCount = (ROWCOL)-1;
  int m_dxCachedExtent = 0, m_dyCachedExtent = 0;
  int m_nCachedPosV = -1, m_nCachedPosH = -1;
  BOOL m_bAutoScroll = TRUE;
  // Idle moves only set the context cursor; when clear the cell's control may take the move first.
  BOOL m_bCursorOnlyOnMove = TRUE;
  ROWCOL m_nOldTopRow = 0, m_nOldLeftCol = 0;
  BOOL m_bVScrollVisible = FALSE, m_bHScrollVisible = FALSE;

  // ---- view host ----
  // The pane's place in the splitter of m_pSplitterWnd.
  int m_nSplitRow = 0, m_nSplitCol = 0;
  int m_nLayoutLock = 0;
  // Dragging data out of the grid: 0 switches it off.
  BOOL CreateOleDataSourceProxy(DWORD dwFlags);
  CGXNoOleDataSourceProxy* m_pOleDataSourceProxy = nullptr;
  DWORD m_dwDndFlags = 0;
  BOOL m_bDndFlagsSet = FALSE;

  // ---- undo and redo ----
  virtual BOOL Undo();
  virtual BOOL Redo();
  virtual void BeginTrans(LPCTSTR pszDescription = nullptr);
  virtual void CommitTrans();
  virtual void Rollback();
  virtual BOOL CanUndo(CCmdUI* pCmdUI = nullptr);
  virtual BOOL CanRedo(CCmdUI* pCmdUI = nullptr);
  virtual void AddCommand(CGXCommand* pCmd, GXCmdType ctCmd);
  virtual void RemoveCommand(GXCmdType ctCmd);
  virtual void SetCurrentCellAfterCommand(ROWCOL nRow, ROWCOL nCol, BOOL bMove);

  // ---- the undoable operations the commands call ----
  virtual BOOL SetStyleRange(const CGXRange& range, const CGXStyle* pStyle, int mode = 0, int nType = 0,
                             const CObArray* pStyleArray = nullptr, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL RemoveRows(ROWCOL nFrom, ROWCOL nTo, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL RemoveCols(ROWCOL nFrom, ROWCOL nTo, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL InsertRows(ROWCOL nRow, ROWCOL nCount, const DWORD* pSizes = nullptr, const CObArray* pCellStyles = nullptr,
                          const CObArray* pRowStyles = nullptr, ROWCOL nCellsPerRow = 0, UINT flags = GX_UPDATENOW,
                          GXCmdType ctCmd = CmdDo);
  virtual BOOL InsertCols(ROWCOL nCol, ROWCOL nCount, const DWORD* pSizes = nullptr, const CObArray* pCellStyles = nullptr,
                          const CObArray* pColStyles = nullptr, ROWCOL nCellsPerCol = 0, UINT flags = GX_UPDATENOW,
                          GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveDataRows(const CGXRange& range, const CDWordArray& order, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveDataCols(const CGXRange& range, const CDWordArray& order, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetRowHeight(ROWCOL nFrom, ROWCOL nTo, int nHeight, const int* anHeights = nullptr, UINT flags = GX_UPDATENOW,
                            GXCmdType ctCmd = CmdDo);
  virtual BOOL SetColWidth(ROWCOL nFrom, ROWCOL nTo, int nWidth, const int* anWidths = nullptr, UINT flags = GX_UPDATENOW,
                           GXCmdType ctCmd = CmdDo);
  virtual BOOL SetDefaultRowHeight(int nHeight, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetDefaultColWidth(int nWidth, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL HideRows(ROWCOL nFrom, ROWCOL nTo, BOOL bHide = TRUE, const BOOL* abHide = nullptr, UINT flags = GX_UPDATENOW,
                        GXCmdType ctCmd = CmdDo);
  virtual BOOL HideCols(ROWCOL nFrom, ROWCOL nTo, BOOL bHide = TRUE, const BOOL* abHide = nullptr, UINT flags = GX_UPDATENOW,
                        GXCmdType ctCmd = CmdDo);
  virtual BOOL SetFrozenRows(ROWCOL nFrozenRows, ROWCOL nHeaderRows = 0, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetFrozenCols(ROWCOL nFrozenCols, ROWCOL nHeaderCols = 0, UINT flags = GX_UPDATENOW, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags = GX_UPDATENOW,
                                     GXCmdType ctCmd = CmdDo);
  virtual BOOL ChangeStylesMap(const CGXStylesMap& map, GXCmdType ctCmd = CmdDo, UINT flags = GX_UPDATENOW);
  virtual BOOL ChangeProperties(const CGXProperties& properties, GXCmdType ctCmd = CmdDo, UINT flags = GX_UPDATENOW);
  virtual BOOL ChangeBaseStyle(WORD nId, const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = GX_UPDATENOW);
  virtual void Redraw(UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);

  // ---- row and column structure: command, store and update layers ----
  // Counts beyond 0xFFFFFFFE are refused.
  virtual BOOL SetRowCount(ROWCOL nRows, UINT flags = GX_UPDATENOW);
  virtual BOOL SetColCount(ROWCOL nCols, UINT flags = GX_UPDATENOW);
  virtual BOOL StoreRowCount(ROWCOL nRows);
  virtual BOOL StoreColCount(ROWCOL nCols);
  virtual void UpdateChangedRowCount(ROWCOL nOldRows, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateChangedColCount(ROWCOL nOldCols, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual BOOL StoreInsertRows(ROWCOL nRow, ROWCOL nCount, BOOL bProcessed = FALSE);
  virtual BOOL StoreInsertCols(ROWCOL nCol, ROWCOL nCount, BOOL bProcessed = FALSE);
  virtual BOOL StoreRemoveRows(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed = FALSE);
  virtual BOOL StoreRemoveCols(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed = FALSE);
  virtual BOOL StoreMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed = FALSE);
  virtual BOOL StoreMoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed = FALSE);
  virtual void UpdateInsertRows(ROWCOL nRow, ROWCOL nCount, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateInsertCols(ROWCOL nCol, ROWCOL nCount, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateRemoveRows(ROWCOL nFrom, ROWCOL nTo, const DWORD* anOldHeights, UINT flags = GX_UPDATENOW,
                                BOOL bCreateHint = TRUE);
  virtual void UpdateRemoveCols(ROWCOL nFrom, ROWCOL nTo, const DWORD* anOldWidths, UINT flags = GX_UPDATENOW,
                                BOOL bCreateHint = TRUE);
  virtual void UpdateMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateMoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual BOOL StoreFrozenRows(ROWCOL nFrozenRows, ROWCOL nHeaderRows);
  virtual BOOL StoreFrozenCols(ROWCOL nFrozenCols, ROWCOL nHeaderCols);
  virtual void UpdateFrozenRows(ROWCOL nOldFrozenRows, ROWCOL nOldHeaderRows, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateFrozenCols(ROWCOL nOldFrozenCols, ROWCOL nOldHeaderCols, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  // order[i] is the index (within the range) of the row (column) that goes to place i.
  virtual BOOL StoreMoveDataRows(const CGXRange& range, const CDWordArray& order);
  virtual BOOL StoreMoveDataCols(const CGXRange& range, const CDWordArray& order);
  virtual void UpdateMoveDataRows(const CGXRange& range, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);
  virtual void UpdateMoveDataCols(const CGXRange& range, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);

  // ---- dragging selected rows and columns by their headers, and freezing them ----
  virtual BOOL OnSelDragStart(ROWCOL nRow, ROWCOL nCol);
  virtual BOOL OnSelDragMove(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nRow, ROWCOL nCol);
  virtual BOOL OnSelDragDrop(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nRow, ROWCOL nCol);
  virtual BOOL OnSelDragCancel();
  // Rows do not start to drag while Ctrl is down (Ctrl-click toggles them instead).
  virtual BOOL OnSelDragRowsStart(ROWCOL nFirst, ROWCOL nLast);
  virtual BOOL OnSelDragColsStart(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnSelDragRowsMove(ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnSelDragColsMove(ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnSelDragRowsDrop(ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnSelDragColsDrop(ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual void FreezeCols();
  virtual BOOL CanFreezeCols();
  virtual void UnfreezeCols();
  virtual BOOL CanUnfreezeCols();
  virtual void FreezeRows();
  virtual BOOL CanFreezeRows();
  virtual void UnfreezeRows();
  virtual BOOL CanUnfreezeRows();
  // 1 dragging columns, 2 dragging rows, 0 none.
  int m_nSelDragKind = 0;
  ROWCOL m_nSelDragRow = 1, m_nSelDragCol = 1;
  BOOL m_bSelDragActive = FALSE;

  // ---- sizes and positions ----
  virtual void CalcCharSize(CDC* pDC, int* pWidth, int* pHeight);
  void RecalcCharSize(int* pWidth, int* pHeight);
  LONG SumClientRowHeights(ROWCOL nFrom, ROWCOL nTo, LONG nLimit = 0);
  LONG SumClientColWidths(ROWCOL nFrom, ROWCOL nTo, LONG nLimit = 0);
  void GetRowHeights(ROWCOL nFrom, ROWCOL nTo, DWORD* pOut);
  void GetColWidths(ROWCOL nFrom, ROWCOL nTo, DWORD* pOut);
  ROWCOL GetClientRow(ROWCOL nRow);
  ROWCOL GetClientCol(ROWCOL nCol);
  ROWCOL GetRowFromClientRow(ROWCOL nClient);
  ROWCOL GetColFromClientCol(ROWCOL nClient);
  BOOL IsFrozenRow(ROWCOL nRow) { return nRow >= 1 && nRow <= GetFrozenRows(); }
  BOOL IsFrozenCol(ROWCOL nCol) { return nCol >= 1 && nCol <= GetFrozenCols(); }
  ROWCOL CalcClientRowFromPt(CPoint pt, int* pTop = nullptr);
  ROWCOL CalcClientColFromPt(CPoint pt, int* pLeft = nullptr);
  ROWCOL CalcLastVisibleRow(const RECT& rect);
  ROWCOL CalcLastVisibleRowEx(const RECT& rect, BOOL* pBelow);
  ROWCOL CalcLastVisibleCol(const RECT& rect);
  ROWCOL CalcLastVisibleColEx(const RECT& rect, BOOL* pRight);
  void CalcLastVisibleRowCol(const RECT& rect, ROWCOL* pRow, ROWCOL* pCol);
  // The last row (column) shown in the grid area; *pbBeyond tells whether the area reaches past it.
  ROWCOL GetLastVisibleRow(BOOL* pbBeyond = nullptr);
  ROWCOL GetLastVisibleCol(BOOL* pbBeyond = nullptr);
  void ForgetLastVisible(BOOL bRows = TRUE, BOOL bCols = TRUE);
  int CalcTopOfClientRow(ROWCOL nClient);
  int CalcLeftOfClientCol(ROWCOL nClient);
  void CalcRectBelowRow(RECT& rect, ROWCOL nRow);
  void CalcRectRightOfCol(RECT& rect, ROWCOL nCol);
  // The window rectangle of a range (corners in any order); all zero when it is scrolled out.
  virtual CRect CalcRectFromRowColEx(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2, BOOL bAll = FALSE);
  virtual CRect CalcRectFromRowCol(ROWCOL nRow, ROWCOL nCol) { return CalcRectFromRowColEx(nRow, nCol, nRow, nCol); }
  CRect CalcCoveredCellRect(ROWCOL nRow, ROWCOL nCol);
  CRect CalcSpannedRangeRect(ROWCOL nRow1, ROWCOL nCol1, ROWCOL nRow2, ROWCOL nCol2);
  CRect CalcSpannedCellRect(ROWCOL nRow, ROWCOL nCol) { return CalcSpannedRangeRect(nRow, nCol, nRow, nCol); }
  // Pixels in; a negative size drops the stored one. The default sizes refuse sizes below 1.
  virtual BOOL StoreRowHeight(ROWCOL nRow, int nHeight);
  virtual BOOL StoreColWidth(ROWCOL nCol, int nWidth);
  virtual BOOL StoreDefaultRowHeight(int nHeight);
  virtual BOOL StoreDefaultColWidth(int nWidth);
  virtual BOOL StoreHideRow(ROWCOL nRow, BOOL bHide);
  virtual BOOL StoreHideCol(ROWCOL nCol, BOOL bHide);
  virtual void UpdateChangedRowHeights(ROWCOL nFrom, ROWCOL nTo, const int* anOldHeights, UINT flags = GX_UPDATENOW,
                                       BOOL bCreateHint = TRUE);
  virtual void UpdateChangedColWidths(ROWCOL nFrom, ROWCOL nTo, const int* anOldWidths, UINT flags = GX_UPDATENOW,
                                      BOOL bCreateHint = TRUE);
  // A pane that hides the header rows (columns) measures them as nothing where other windows show
  // them: old sizes from nFrom on are no measure shared with the other windows.
  BOOL PaneHidesHeaders(BOOL bRows, ROWCOL nFrom);
  // How tall (wide) a scrolled row (column) may show in this window: what the grid area leaves beside
  // the frozen ones, or the largest LONG when no limit applies. Windows of other sizes clip other sizes.
  LONG ScrolledSizeLimit(BOOL bRows);
  // Whether old sizes another window measured are this window's own: same zoom, and no size that one
  // window clips where the other does not.
  BOOL OldSizesHoldHere(const CGXGridHint& hint, BOOL bRows);
  // Best fit; flag 8 only widens (heightens).
  virtual BOOL ResizeRowHeightsToFit(CGXRange range, BOOL bCoveredCells = TRUE, UINT flags = GX_UPDATENOW);
  virtual BOOL ResizeColWidthsToFit(CGXRange range, BOOL bCoveredCells = TRUE, UINT flags = GX_UPDATENOW);
  virtual BOOL SetZoom(int nZoom, UINT flags = GX_UPDATENOW);
  virtual BOOL StoreZoom(int nZoom, BOOL bCreateHint = TRUE);
  virtual void UpdateZoom(int nOldZoom, UINT flags = GX_UPDATENOW, BOOL bCreateHint = TRUE);

  // ---- painting ----
  virtual void PreloadCells(ROWCOL, ROWCOL) {}
  virtual void OnGridDraw(CDC* pDC);
  // Before Initialize a paint fills the client area with the window colour and throws nothing;
  // TRUE when it did so.
  BOOL FillBeforeInitialize(CDC* pDC);
  // Called before the paint takes the update: a transparent grid's cells draw over what its parent
  // paints beneath them.
  void PaintParentBeneath();
  virtual void DrawCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, const RECT& rect, CGXStyle* pStyle);
  virtual void DrawCells(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, CDC* pDC);
  virtual void DrawSelectedCell(CDC* pDC, ROWCOL nRow, ROWCOL nCol, RECT rect);
  // nType 1 vertical, 2 horizontal; flags 4 or 8 invert, 2 dragging line, 1 tracking line.
  virtual void DrawGridLine(CDC* pDC, int x, int y, int cx, int cy, int nType, ROWCOL nRowCol, UINT flags);
  void DrawUsingMemDC(CDC* pDC);
  void DrawDirect(CDC* pDC);
  BOOL SetDoubleBuffering(BOOL bDoubleBuffer);
  void FillBackground(CDC* pDC, const RECT* pRect, const CGXBrushValue& brush);
  CRect CalcClientCellRect(ROWCOL nClientRow, ROWCOL nClientCol);
  CRect CalcClientCellRectCached(ROWCOL nClientRow, ROWCOL nClientCol);
  void ClientRowColFromPoint(const POINT& pt, ROWCOL& nClientRow, ROWCOL& nClientCol);
  void CalcGridLineRect(RECT* pOut, int nType, ROWCOL nClient);
  void DrawBorderSide(const CGXPenValue& pen, const RECT& rect, int nSide, CDC* pDC, const CGXBrushValue* pInterior);
  void DrawRectBorders(CDC* pDC, RECT rect, const CGXStyle& style);

  // ---- selection ----
  virtual BOOL IsCellInRangeList(ROWCOL nRow, ROWCOL nCol, const CGXRangeList& list);
  virtual void SelectRange(const CGXRange& range, BOOL bSelect = TRUE, BOOL bUpdate = TRUE);
  virtual void DrawSelectionFrame(CDC* pDC, const RECT& rect, const RECT& clip, BOOL bTop, BOOL bLeft, int nKind);
  virtual BOOL StoreSelectRange(const CGXRange& range, BOOL bSelect);
  virtual void UpdateSelectRange(const CGXRange& range, const CGXRangeList* pOldList, BOOL bCreateHint = TRUE);
  virtual void UpdateSetSelection(POSITION pos, ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight,
                                  BOOL bCreateHint = TRUE);
  virtual void UpdateClearSelection(BOOL bCreateHint = TRUE);
  virtual BOOL OnChangingSelection(const CGXRange* pRange, BOOL b1, BOOL b2);
  virtual void OnChangedSelection(const CGXRange*, BOOL, BOOL) {}
  virtual BOOL OnStartSelection(ROWCOL, ROWCOL, UINT, CPoint) { return TRUE; }
  virtual void OnSelectionHook(const CGXRange*, BOOL, BOOL) {}
  BOOL GetSelectedRowRuns(CDWordArray& starts, CDWordArray& ends, BOOL bWholeRowsOnly = FALSE, BOOL bCurrentCell = TRUE);
  int GetSelectedRows(CDWordArray& rows, BOOL bWholeRowsOnly = FALSE, BOOL bCurrentCell = TRUE);
  BOOL ShowSelectionMarker(BOOL bHide, BOOL bCreateHint = TRUE);
  void DrawSelectionMarker(CDC* pDC, BOOL bRemoveOld, const CGXRange* pNewRange);
  void InvertSelectionMarker(CDC* pDC, const CGXRange& range, int nKind);

  // Painting and size state.
  int m_nPrintCharHeight = 15, m_nPrintCharWidth = 10;
  BOOL m_bLimitRowHeightToView = TRUE, m_bLimitColWidthToView = TRUE;
  // While it lives, sizes read as stored, not as a view too small for them shows them.
  class StoredSizes {
   public:
    StoredSizes(CGXGridCore& grid, BOOL bRows, BOOL bCols)
        : m_grid(grid), m_bRows(grid.m_bLimitRowHeightToView), m_bCols(grid.m_bLimitColWidthToView) {
      if (bRows) grid.m_bLimitRowHeightToView = FALSE;
      if (bCols) grid.m_bLimitColWidthToView = FALSE;
    }
    ~StoredSizes() { m_grid.m_bLimitRowHeightToView = m_bRows, m_grid.m_bLimitColWidthToView = m_bCols; }
    StoredSizes(const StoredSizes&) = delete;
    StoredSizes& operator=(const StoredSizes&) = delete;

   private:
    CGXGridCore& m_grid;
    const BOOL m_bRows, m_bCols;
  };
  ROWCOL m_nLastVisibleClientRow = (ROWCOL)-1, m_nLastVisibleClientCol = (ROWCOL)-1;
  CWnd* m_pSplitterWnd = nullptr;
  BOOL m_bPaneShowsHeaderRows = TRUE, m_bPaneShowsHeaderCols = TRUE;
  BOOL m_bDoubleBuffer = FALSE;
  BOOL m_bDrawGridFrame = FALSE;
  CPtrList m_ControlRectList{10};
  int m_nDrawNesting = 0;
  CGXDrawContext* m_pDrawContext = nullptr;
  CGXDrawContext* m_pPrevDrawContext = nullptr;
  BOOL m_bBandDrawing = FALSE;
  BOOL m_bDrawingSpannedCell = FALSE, m_bEraseCellBackground = FALSE;
  BOOL m_bInvertCurrentCell = FALSE;
  BOOL m_bLayoutChanged = FALSE;
  CGXPenValue m_penGridLine;
  int m_nDashLineWidth = 1;
  BOOL m_bInvalidatingHeaders = FALSE;
  CGXRange m_rangeMarker;
  int m_nMarkerKind = 0;
  BOOL m_bMarkerShown = FALSE, m_bMarkerHidden = FALSE;
  BOOL m_bSelDragging = FALSE;
  POSITION m_posSelRange = nullptr;

  CWnd* m_pGridWnd = nullptr;

 protected:
  // The character size that converts sizes: the printer's while printing.
  int SizeCharHeight() const { return m_bPrinting ? m_nPrintCharHeight : m_nCharHeight; }
  int SizeCharWidth() const { return m_bPrinting ? m_nPrintCharWidth : m_nCharWidth; }
  BOOL IsGridWndVisible() const;
  // The cached walk of CalcClientCellRectCached.
  struct CellRectCache {
    ROWCOL row = (ROWCOL)-1, col = (ROWCOL)-1;
    int x = 0, y = 0;
  } m_cellRectCache;
  // The cache slot of a cell in the composed-style window, -1 when it has none.
  long CacheSlot(ROWCOL nRow, ROWCOL nCol);
  // While the text writer runs, each row, column and table style is looked up once.
  struct CTextCompose;
  CTextCompose* m_pTextCompose = nullptr;
  void BeginTextCompose();
  void EndTextCompose();
  // Applies a row or column style (nType -1) where the style lacks attributes.
  void ApplyBaseStyle(ROWCOL nRow, ROWCOL nCol, CGXStyle& style);
  void ResetCacheOrigin();
  void TakeCharSize();

  CGXGridParam* m_pParam = nullptr;
  BOOL m_bOwnParam = FALSE;

  ROWCOL m_nCurrentRow = 0;
  ROWCOL m_nCurrentCol = 0;
  BOOL m_bCurrentCellValid = FALSE;

  CPtrList m_StyleRecycleList{10};
  CPtrList m_StyleTempList{10};
  std::vector<CGXStyle*> m_apStyleCache;
  size_t m_nCachedStyles = 0;  // slots of m_apStyleCache in use: a store into an empty cache walks nothing
  ROWCOL m_nCacheRowBase = 0, m_nCacheColBase = 0;
  CGXControl* m_pDefaultControl = nullptr;
  CGXControl* m_pLastControl = nullptr;
  UINT m_nLastControlId = 0;
  std::unordered_map<UINT, CGXControl*> m_ControlMap;
  std::unordered_map<std::string, std::unique_ptr<CFont>> m_FontCache;
  std::unordered_map<std::string, std::unique_ptr<CBrush>> m_BrushCache;
  std::unordered_map<std::string, std::unique_ptr<CPen>> m_PenCache;
  CClientDC* m_pClientDC = nullptr;
  CFont* m_pOldClientFont = nullptr;

  // Undo state of this view.
  CString m_strTransName;
  CString m_strUndoPattern;
  CString m_strRedoPattern;
  BOOL m_bBlockCmdExecuting = FALSE;
  BOOL m_bDeferredCellValid = FALSE;
  BOOL m_bDeferredCellMove = FALSE;
  ROWCOL m_nDeferredRow = 0;
  ROWCOL m_nDeferredCol = 0;

  friend class CGXBlockCmd;

 private:
  // The range that Shift extends from (m_nAnchorRow, m_nAnchorCol), by mouse and keys alike; null
  // when the selection list no longer holds it.
  CGXRange* AnchorRange();
  // What Shift selects from the anchor to a cell: whole rows to a row header, whole columns to a
  // column header (from the first row or column when the anchor has none), else the rectangle.
  CGXRange RangeFromAnchor(ROWCOL nAnchorRow, ROWCOL nAnchorCol, ROWCOL nRow, ROWCOL nCol);
  // Button 0 left, 1 middle, 2 right.
  BOOL HitRowCol(int nButton, ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt, UINT nFlags,
                 WORD nHitState);
  int ScrollWindowBy(BOOL bVertical, int nPixels);
  // ScrollWindowEx on the grid window, and a repaint where the borrowed bars' pixels land.
  int MoveGridPixels(int dx, int dy, const CRect& scroll, const CRect& clip, UINT flags);
  // A new top row (left column): near moves down shift pixels, the others redraw.
  void MoveTopLeft(BOOL bVertical, ROWCOL nNew, UINT flags);
  BOOL OnScrollBar(BOOL bVertical, UINT nSBCode, UINT nPos);

  // Undo's first step: an active current cell throws its unsaved edit away; bHandled ends Undo there.
  BOOL UndoCurrentCellEdit(BOOL& bHandled);
  BOOL IsCurrentCellModified();
  // Steps of SetCurrentCell. The old cell stays: its control keeps the edit and the warning is shown once.
  BOOL StayOnCurrentCell(CGXControl* oldControl, ROWCOL oldRow, ROWCOL oldCol, HWND hwnd, BOOL bReactivate);
  // The old cell's control stores its edit and lets go; FALSE when the grid stays on the old cell.
  BOOL LeaveCurrentCell(CGXControl* oldControl, ROWCOL oldRow, ROWCOL oldCol, ROWCOL nRow, ROWCOL nCol, UINT flags,
                        HWND hwnd);
  // Makes nRow, nCol current and initialises its control; TRUE when it has one.
  BOOL BindCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags, HWND hwnd);
  // redrawKind: 3 none, 1 the column headers (same row), 2 the row headers (same column), 0 both.
  void RedrawCurrentCellHeaders(int redrawKind, BOOL bOld, ROWCOL oldRow, ROWCOL oldCol, ROWCOL nRow, ROWCOL nCol,
                                UINT flags);
  CObList* ChosenList(GXCmdType ctCmd, BOOL bEmptyRedo);
  CString MenuPattern(CCmdUI* pCmdUI, UINT nId, CString& cache, LPCTSTR fallback);
  // The structure layers of rows (bRows) and columns share one body each.
  BOOL IsLockedReadOnly();
  BOOL DoInsert(BOOL bRows, ROWCOL nAt, ROWCOL nCount, const DWORD* pSizes, const CObArray* pCellStyles,
                const CObArray* pOwnStyles, ROWCOL nPerBand, UINT flags, GXCmdType ctCmd);
  BOOL DoRemove(BOOL bRows, ROWCOL nFrom, ROWCOL nTo, UINT flags, GXCmdType ctCmd);
  BOOL DoMove(BOOL bRows, ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags, GXCmdType ctCmd);
  BOOL DoSetFrozen(BOOL bRows, ROWCOL nFrozen, ROWCOL nHeader, UINT flags, GXCmdType ctCmd);
  BOOL DoMoveData(BOOL bRows, const CGXRange& range, const CDWordArray& order, UINT flags, GXCmdType ctCmd);
  BOOL DoStoreStructure(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, BOOL bProcessed);
  void KeepSpanPoolsInStep(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c);
  void DoUpdateStructure(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, UINT flags, BOOL bCreateHint,
                         const DWORD* pOldSizes = nullptr);
  void RedrawStructureChange(BOOL bRows, int nOp, ROWCOL a, ROWCOL b, ROWCOL c, UINT flags, const DWORD* pOldSizes,
                             ROWCOL nTopBefore);
  void RefreshAfterStructure(CGXGridHint& hint, UINT flags, BOOL bCreateHint, BOOL bReloadCurrentCell = FALSE);
  // Loads the current cell's control again from the cell, at the current cell's place.
  void ReloadCurrentCell();
  void DoSort(BOOL bRows, CGXRange range, CGXSortInfoArray& sortInfo, UINT flags);
  // The one run of whole selected rows (columns), FALSE when there is not exactly one.
  BOOL SelectedRun(BOOL bRows, ROWCOL& nFirst, ROWCOL& nLast);
  void DoFreeze(BOOL bRows);
  // Tracking: the tracked row's (column's) stored size as it was, the tracking line inverted, the
  // header cells of the tracked row (column) repainted now.
  void RestoreTrackedSize();
  void InvertTrackLine(const CRect& line);
  void RepaintTrackedHeader();
  // Breaks from nFirst on, each page at least one band, until a page reaches past nLast.
  void LayoutBreaks(BOOL bRows, ROWCOL nFirst, ROWCOL nLast, ROWCOL nRemembered, CDWordArray& breaks, int& nScreenPage);
  // Selects the standard font into the printer and measures it; returns the old font.
  CFont* SelectPrintFont(CDC* pDC);
  // An idle move offered to the control of the cell under the pointer; TRUE when it took it.
  BOOL OfferMoveToCell(UINT nFlags, CPoint point);
};

// Hides the selection marker for its lifetime, so a structure change never leaves a stale frame.
class CGXMarkerHider {
 public:
  explicit CGXMarkerHider(CGXGridCore* pGrid) : m_pGrid(pGrid), m_bPrevious(pGrid->ShowSelectionMarker(TRUE, TRUE)) {}
  ~CGXMarkerHider() { m_pGrid->ShowSelectionMarker(m_bPrevious, TRUE); }
  CGXMarkerHider(const CGXMarkerHider&) = delete;
  CGXMarkerHider& operator=(const CGXMarkerHider&) = delete;

 private:
  CGXGridCore* m_pGrid;
  BOOL m_bPrevious;
};

// TRUE when the thread's main window has no child window under the screen point.
BOOL GXIsPointOutsideMainWindow(CPoint screenPoint);
// Makes an MDI child frame the active one.
void GXActivateMdiChild(CWnd* pFrame);
