// CGXGridCore: the grid engine that the grid windows host: parameter block, styles, drawing,
// editing and the undoable operations with their undo and redo lists.
#pragma once

#include "grid/engine/GXCommand.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/List.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/WinDefs.h"

#include <string>
#include <unordered_map>
#include <vector>

class CCmdUI;
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
class CGXSortInfoArray;

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
};

class CGXGridCore {
 public:
  CGXGridCore(CWnd* pGridWnd = nullptr, CDocument* pDocument = nullptr, BOOL bIsViewContext = FALSE);
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
  virtual void UpdateStylesMap(UINT flags = 2, BOOL bCreateHint = TRUE);
  virtual void UpdateProperties(UINT flags = 2, BOOL bCreateHint = TRUE);
  virtual void UpdateBaseStyle(WORD nId, UINT flags = 2, BOOL bCreateHint = TRUE);
  const CString& GetValueRowCol(ROWCOL nRow, ROWCOL nCol);
  const CGXStyle& GetStandardStyle();
  BOOL ChangeColHeaderStyle(const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = 2);
  BOOL ChangeRowHeaderStyle(const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = 2);

  // ---- controls ----
  virtual CGXControl* GetRegisteredControl(UINT nID);
  void RegisterControl(UINT nID, CGXControl* pControl, BOOL bDefault = FALSE, BOOL bAddToStylesMap = TRUE);
  virtual CGXControl* GetControl(ROWCOL nRow, ROWCOL nCol);

  // ---- GDI objects and caches ----
  virtual void SelectCellFont(CDC* pDC, const CGXStyle& style, const CGXStyle* pOldStyle = nullptr);
  virtual void FreeObjectCache();
  CFont* LookupFont(const CGXFont& font);
  CBrush* LookupBrush(const CGXBrushValue& brush);
  CPen* LookupPen(const CGXPenValue& pen);
  CDC* GetClientDC();
  void ReleaseClientDC();

  // ---- read-only and sheets ----
  virtual BOOL SetReadOnly(BOOL bReadOnly = TRUE);
  virtual BOOL IsReadOnly();
  virtual BOOL StoreReadOnly(BOOL bReadOnly);
  virtual void UpdateReadOnly(BOOL bOldReadOnly, BOOL bCreateHint = TRUE);
  virtual void OnRecordNavigate(int nCommand, LONG nRecord);
  virtual BOOL IsSheetNameEditable();
  // May the sheet tab switch away: an active cell must accept its text first (TRUE when forced).
  virtual BOOL CanSwitchSheet(BOOL bForce = FALSE);
  // The nearest parent of one of the library's host window classes, or null.
  CWnd* GetParentTabWnd(BOOL bIgnoreIconic = FALSE) const;
  virtual int GetZoom() { return m_nZoom; }

  // ---- drawing, printing and activation (the drawing layer fills them) ----
  virtual void PrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
  virtual void OnDraw(CDC*) {}
  virtual void OnBeginPrinting(CDC*, CPrintInfo*) {}
  virtual void OnEndPrinting(CDC*, CPrintInfo*) {}
  virtual void OnPrint(CDC*, CPrintInfo*) {}
  virtual void OnUpdate(CView*, LPARAM, CObject*) {}
  virtual void OnActivateGrid(BOOL bActivate) { m_bActive = bActivate; }
  // The drawing area: the print rectangle while printing, else the rectangle set, else the client area.
  virtual void GetGridRect(RECT* pRect);
  void SetGridRect(BOOL bSet, LPCRECT pRect = nullptr);
  virtual void RedrawRowCol(ROWCOL nTop, ROWCOL nLeft, ROWCOL nBottom, ROWCOL nRight, UINT flags = 2,
                            BOOL bCreateHint = TRUE);
  // Scroll-bar ranges and visibility after the counts or the window changed.
  virtual void RefreshScrollBars(BOOL bDeferRedraw = FALSE, BOOL bOnlyIfCountsChanged = FALSE);

  // ---- window messages the hosts forward; base answers until the message layer lands ----
  virtual BOOL OnSetCursor(CWnd*, UINT, UINT) { return FALSE; }
  virtual BOOL OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual BOOL OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  virtual BOOL OnSize(UINT, int, int) { return FALSE; }
  virtual BOOL OnMouseMove(UINT, CPoint) { return FALSE; }
  virtual BOOL OnShowWindow(BOOL, UINT) { return FALSE; }
  virtual BOOL OnLButtonDblClk(UINT, CPoint) { return FALSE; }
  virtual BOOL OnLButtonDown(UINT, CPoint) { return FALSE; }
  virtual BOOL OnLButtonUp(UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonDblClk(UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonDown(UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonUp(UINT, CPoint) { return FALSE; }
  virtual BOOL OnRButtonDblClk(UINT, CPoint) { return FALSE; }
  virtual BOOL OnRButtonDown(UINT, CPoint) { return FALSE; }
  virtual BOOL OnRButtonUp(UINT, CPoint) { return FALSE; }
  virtual HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }
  // 0 in the base, so the host's own destroy processing always runs.
  virtual BOOL OnDestroy() { return FALSE; }
  virtual BOOL OnCancelMode() { return FALSE; }
  virtual BOOL OnMouseActivate(CWnd*, UINT, UINT, int&) { return FALSE; }
  virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
  virtual BOOL OnSettingChange(UINT, LPCTSTR) { return FALSE; }
  virtual BOOL OnSysColorChange() { return FALSE; }
  virtual BOOL OnGetDlgCode(UINT, UINT&) { return FALSE; }
  virtual CScrollBar* GetScrollBarCtrl(int) const { return nullptr; }
  virtual BOOL OnKillFocus(CWnd*) { return FALSE; }
  virtual BOOL OnSetFocus(CWnd*) { return FALSE; }
  virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
  virtual BOOL OnTimer(UINT_PTR) { return FALSE; }
  // The keys a cell control passes on: RouteKeyMessage with the control's window.
  virtual BOOL ProcessKeys(CWnd* pMessageWnd, UINT nMessage, UINT nChar, UINT nRepCnt, UINT nFlags);

  // ---- notifications the program's grids override ----
  virtual BOOL OnStartEditing(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnCanceledEditing(ROWCOL, ROWCOL) {}
  virtual BOOL OnEndEditing(ROWCOL, ROWCOL) { return TRUE; }
  virtual BOOL OnDeleteCell(ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnModifyCell(ROWCOL, ROWCOL) {}
  virtual BOOL OnLeftCell(ROWCOL, ROWCOL, ROWCOL, ROWCOL) { return TRUE; }
  virtual void OnInitCurrentCell(ROWCOL, ROWCOL) {}
  virtual BOOL CanSelectCurrentCell(BOOL bSelect, ROWCOL nNewRow, ROWCOL nNewCol, ROWCOL nOldRow, ROWCOL nOldCol);
  virtual BOOL OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt);
  virtual BOOL OnRButtonClickedRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnLButtonDblClkRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt);
  virtual BOOL OnRButtonDblClkRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonClickedRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual BOOL OnMButtonDblClkRowCol(ROWCOL, ROWCOL, UINT, CPoint) { return FALSE; }
  virtual void OnClickedButtonRowCol(ROWCOL, ROWCOL) {}
  // A press (state 0x04), move while pressed (0x08) or release (0x10) of a button over a cell.
  virtual BOOL OnLButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);
  virtual BOOL OnMButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);
  virtual BOOL OnRButtonHitRowCol(ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt,
                                  UINT nFlags, WORD nHitState);

  // ---- selection, spans and hit testing: no spans and no hits until their layers land ----
  // Appends a copy of each selected range; with an empty selection and the flag, the current cell.
  virtual BOOL CopyRangeList(CGXRangeList& list, BOOL bAddCurrentCell);
  virtual void SetSelection(POSITION pos, ROWCOL nTop = 0, ROWCOL nLeft = 0, ROWCOL nBottom = 0, ROWCOL nRight = 0);
  virtual int HitTest(CPoint, ROWCOL* pRow = nullptr, ROWCOL* pCol = nullptr, CRect* pRect = nullptr) {
    (void)pRow, (void)pCol, (void)pRect;
    return 0;
  }
  virtual CRect CalcRectFromRowCol(ROWCOL, ROWCOL) { return CRect(); }
  // The inner rectangle of a cell: less its borders and, with bFrameAndLines, its 3-D frame and
  // the grid lines it carries.
  virtual void ShrinkRectByBorders(RECT* pOut, const RECT& rect, const CGXStyle& style, BOOL bFrameAndLines = TRUE);
  // A content size grown to a cell size.
  virtual void GrowSizeByBorders(SIZE* pOut, int cx, int cy, const CGXStyle& style);
  virtual CRect CalcRectFromRowColEx(ROWCOL, ROWCOL, ROWCOL, ROWCOL) { return CRect(); }
  virtual BOOL GetCoveredCellsRowCol(ROWCOL, ROWCOL, CGXRange&) { return FALSE; }
  virtual BOOL GetFloatedCellsRowCol(ROWCOL, ROWCOL, CGXRange&) { return FALSE; }
  virtual BOOL GetMergedCellsRowCol(ROWCOL, ROWCOL, CGXRange&) { return FALSE; }

  // ---- sizes and structure read by the other layers ----
  // Pixels: stored sizes are thousandths of the standard font's character height (width).
  virtual int GetRowHeight(ROWCOL nRow);
  virtual int GetColWidth(ROWCOL nCol);
  virtual int GetDefaultRowHeight();
  virtual int GetDefaultColWidth();
  virtual BOOL IsRowHidden(ROWCOL nRow);
  virtual BOOL IsColHidden(ROWCOL nCol);
  LONG SumRowHeights(ROWCOL nFrom, ROWCOL nTo);
  LONG SumColWidths(ROWCOL nFrom, ROWCOL nTo);
  ROWCOL GetTopRow() const { return m_bPrinting ? m_nPrintTopRow : m_nTopRow; }
  ROWCOL GetLeftCol() const { return m_bPrinting ? m_nPrintLeftCol : m_nLeftCol; }
  virtual BOOL SetTopRow(ROWCOL nRow, UINT flags = 2, BOOL bRedraw = TRUE);
  virtual BOOL SetLeftCol(ROWCOL nCol, UINT flags = 2, BOOL bRedraw = TRUE);
  ROWCOL GetRowCount() const;
  ROWCOL GetColCount() const;
  ROWCOL GetHeaderRows() const { return m_pParam ? m_pParam->m_nHeaderRows : 0; }
  ROWCOL GetHeaderCols() const { return m_pParam ? m_pParam->m_nHeaderCols : 0; }
  ROWCOL GetFrozenRows() const { return m_pParam ? m_pParam->m_nFrozenRows : 0; }
  ROWCOL GetFrozenCols() const { return m_pParam ? m_pParam->m_nFrozenCols : 0; }
  virtual BOOL MoveCurrentCell(int direction, UINT nCell = 1, BOOL bCanSelectRange = TRUE);
  // Hooks a virtual grid overrides; the base answers nothing (sizes) or does nothing (sort).
  virtual void OnTestGridDimension(ROWCOL, ROWCOL) {}
  virtual void SortRows(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags = 2);
  virtual void SortCols(CGXRange sortRange, CGXSortInfoArray& sortInfo, UINT flags = 2);
  // Piece-four callers read the character width of the standard font.
  int GetFontCharWidth() const { return m_nCharWidth; }

  // Fields the hosts and the other layers read.
  BOOL m_bUpdateHints = FALSE;
  int m_nViewID = 0;
  CDocument* m_pDocument = nullptr;
  BOOL m_bIsViewContext = FALSE;
  CRuntimeClass* m_pStyleClass = nullptr;
  BOOL m_bValueOnly = FALSE;
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
  int m_nCharHeight = 0, m_nCharWidth = 0;
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
  virtual BOOL SetCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags = 0x0A);
  virtual BOOL ScrollCellIntoView(ROWCOL nRow, ROWCOL nCol, UINT flags = 0x0A, BOOL bFloatCell = FALSE);
  // The control bound to the current cell, null when there is none.
  virtual CGXControl* GetCurrentCellControl();
  // Stores (validating) or discards the current cell's edit; with bNotify the other views hear hint 24.
  virtual BOOL EndCurrentCellEdit(BOOL bStore = TRUE, UINT flags = 2, BOOL bNotify = TRUE);
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
  // The record position for a surrounding record window; nothing until such a window exists.
  virtual void PushRecordInfo() {}
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
  // Clipboard and find: the control of an active current cell does the work until the grid's own lands.
  virtual BOOL Copy();
  virtual BOOL Cut();
  virtual BOOL Paste();
  virtual BOOL ClearSelection(BOOL bRemoveStyles = FALSE);
  virtual BOOL CanCopy();
  virtual BOOL CanCut();
  virtual BOOL CanPaste();
  virtual BOOL CanClear();
  virtual void OnShowFindReplaceDialog(BOOL) {}
  virtual BOOL FindNext(BOOL) { return FALSE; }
  virtual void OnFindReplace(CFindReplaceDialog*) {}
  virtual void OnTextNotFound(LPCTSTR) {}
  // The last row that shows, at least partly, in the grid area.
  ROWCOL LastRowInView();
  ROWCOL LastColInView();
  POSITION m_posKeySelRange = nullptr;
  ROWCOL m_nKeySelAnchorRow = 0, m_nKeySelAnchorCol = 0;
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
  // Another pane's new top row (hint 25) or left column (hint 26).
  virtual void OnScrollHint(const CGXGridHint& hint);
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
  ROWCOL m_nOldTopRow = 0, m_nOldLeftCol = 0;
  BOOL m_bVScrollVisible = FALSE, m_bHScrollVisible = FALSE;

  // ---- view host ----
  // The splitter whose panes show this grid, and the pane's place in it.
  CSplitterWnd* m_pSplitterWnd = nullptr;
  int m_nSplitRow = 0, m_nSplitCol = 0;
  BOOL m_bDisplayColHeaders = TRUE, m_bDisplayRowHeaders = TRUE;
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

  // ---- the undoable operations the commands call; the grid's layers answer FALSE until they exist ----
  virtual BOOL SetStyleRange(const CGXRange& range, const CGXStyle* pStyle, int mode = 0, int nType = 0,
                             const CObArray* pStyleArray = nullptr, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL RemoveRows(ROWCOL nFrom, ROWCOL nTo, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL RemoveCols(ROWCOL nFrom, ROWCOL nTo, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL InsertRows(ROWCOL nRow, ROWCOL nCount, const DWORD* pSizes = nullptr, const CObArray* pCellStyles = nullptr,
                          const CObArray* pRowStyles = nullptr, ROWCOL nCellsPerRow = 0, UINT flags = 2,
                          GXCmdType ctCmd = CmdDo);
  virtual BOOL InsertCols(ROWCOL nCol, ROWCOL nCount, const DWORD* pSizes = nullptr, const CObArray* pCellStyles = nullptr,
                          const CObArray* pColStyles = nullptr, ROWCOL nCellsPerCol = 0, UINT flags = 2,
                          GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveCols(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveDataRows(const CGXRange& range, const CDWordArray& order, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL MoveDataCols(const CGXRange& range, const CDWordArray& order, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetRowHeight(ROWCOL nFrom, ROWCOL nTo, int nHeight, const int* anHeights = nullptr, UINT flags = 2,
                            GXCmdType ctCmd = CmdDo);
  virtual BOOL SetColWidth(ROWCOL nFrom, ROWCOL nTo, int nWidth, const int* anWidths = nullptr, UINT flags = 2,
                           GXCmdType ctCmd = CmdDo);
  virtual BOOL SetDefaultRowHeight(int nHeight, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetDefaultColWidth(int nWidth, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL HideRows(ROWCOL nFrom, ROWCOL nTo, BOOL bHide = TRUE, const BOOL* abHide = nullptr, UINT flags = 2,
                        GXCmdType ctCmd = CmdDo);
  virtual BOOL HideCols(ROWCOL nFrom, ROWCOL nTo, BOOL bHide = TRUE, const BOOL* abHide = nullptr, UINT flags = 2,
                        GXCmdType ctCmd = CmdDo);
  virtual BOOL SetFrozenRows(ROWCOL nFrozenRows, ROWCOL nHeaderRows = 0, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetFrozenCols(ROWCOL nFrozenCols, ROWCOL nHeaderCols = 0, UINT flags = 2, GXCmdType ctCmd = CmdDo);
  virtual BOOL SetCoveredCellsRowCol(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol, UINT flags = 2,
                                     GXCmdType ctCmd = CmdDo);
  virtual BOOL ChangeStylesMap(const CGXStylesMap& map, GXCmdType ctCmd = CmdDo, UINT flags = 2);
  virtual BOOL ChangeProperties(const CGXProperties& properties, GXCmdType ctCmd = CmdDo, UINT flags = 2);
  virtual BOOL ChangeBaseStyle(WORD nId, const CGXStyle& style, int mode = 0, GXCmdType ctCmd = CmdDo, UINT flags = 2);
  virtual void Redraw(UINT flags = 2, BOOL bCreateHint = TRUE);

  CWnd* m_pGridWnd = nullptr;

 protected:
  // The cache slot of a cell in the composed-style window, -1 when it has none.
  long CacheSlot(ROWCOL nRow, ROWCOL nCol);
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
  ROWCOL m_nCacheRowBase = 0, m_nCacheColBase = 0;
  CGXControl* m_pDefaultControl = nullptr;
  CGXControl* m_pLastControl = nullptr;
  UINT m_nLastControlId = 0;
  std::unordered_map<UINT, CGXControl*> m_ControlMap;
  std::unordered_map<std::string, CFont*> m_FontCache;
  std::unordered_map<std::string, CBrush*> m_BrushCache;
  std::unordered_map<std::string, CPen*> m_PenCache;
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
  // The range the keyboard extends, null when the selection list no longer holds it.
  CGXRange* KeySelRange();
  // Button 0 left, 1 middle, 2 right.
  BOOL HitRowCol(int nButton, ROWCOL nHitRow, ROWCOL nHitCol, ROWCOL nDragRow, ROWCOL nDragCol, CPoint pt, UINT nFlags,
                 WORD nHitState);
  // Takes one row (column) out of every selected range.
  void DeselectBand(BOOL bRows, ROWCOL n);
  int ScrollWindowBy(BOOL bVertical, int nPixels);
  // A new top row (left column): near moves down shift pixels, the others redraw.
  void MoveTopLeft(BOOL bVertical, ROWCOL nNew, UINT flags);
  BOOL OnScrollBar(BOOL bVertical, UINT nSBCode, UINT nPos);

  // Undo's first step: an active current cell throws its unsaved edit away; bHandled ends Undo there.
  BOOL UndoCurrentCellEdit(BOOL& bHandled);
  BOOL IsCurrentCellModified();
  CObList* ChosenList(GXCmdType ctCmd, BOOL bEmptyRedo);
  CString MenuPattern(CCmdUI* pCmdUI, UINT nId, CString& cache, LPCTSTR fallback);
};
