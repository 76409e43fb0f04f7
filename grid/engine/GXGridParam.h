// CGXGridParam: everything about a grid that is not tied to one window, shared by its views:
// styles map, properties, cell data, printer, selection, undo lists, sizes and option words.
#pragma once

#include "grid/engine/GXCodes.h"
#include "grid/engine/GXCollMap.h"
#include "grid/engine/GXRange.h"
#include "platform/core/List.h"

class CGXData;
class CGXPrintDevice;
class CGXProperties;
class CGXStylesMap;
class CGXControl;

class CGXGridParam : public CObject {
  DECLARE_SERIAL(CGXGridParam)

 public:
  CGXGridParam();
  ~CGXGridParam() override;

  void EnableSelection(WORD w) { m_wAllowSelection = w; }
  void EnableTrackRowHeight(WORD w) { m_wAllowTrackRowHeight = w; }
  void EnableTrackColWidth(WORD w) { m_wAllowTrackColWidth = w; }
  void EnableUndo(BOOL b) { m_bUndoEnabled = b; }
  BOOL IsSheetNameEditable() const { return m_bSheetNameEditable; }
  BOOL IsEnableSelDragCols() const { return m_bAllowSelDragCols; }
  BOOL IsEnableSelDragRows() const { return m_bAllowSelDragRows; }
  BOOL IsScrollThumbTrack() const { return m_bScrollThumbTrack; }
  BOOL IsAllowSelection(WORD wMask) const { return (m_wAllowSelection & wMask) != 0; }
  BOOL IsAllowTrackRowHeight(WORD wMask) const { return (m_wAllowTrackRowHeight & wMask) != 0; }
  BOOL IsAllowTrackColWidth(WORD wMask) const { return (m_wAllowTrackColWidth & wMask) != 0; }
  BOOL IsSelectionBehavior(WORD wMask) const { return (m_wSelectionBehavior & wMask) != 0; }

  CObList& GetUndoList() { return m_UndoList; }
  CObList& GetRedoList() { return m_RedoList; }
  void EmptyUndoList();
  void EmptyRedoList();

  // Objects the block may own (own-flag set) or borrow.
  void SetStylesMap(CGXStylesMap* p, BOOL bOwn = TRUE);
  void SetProperties(CGXProperties* p, BOOL bOwn = TRUE);
  void SetData(CGXData* p, BOOL bOwn = TRUE);
  void SetPrintDevice(CGXPrintDevice* p, BOOL bOwn = TRUE);
  CGXStylesMap* GetStylesMap() const { return m_pStylesMap; }
  CGXProperties* GetProperties() const { return m_pProperties; }
  CGXData* GetData() const { return m_pData; }
  CGXPrintDevice* GetPrintDevice() const { return m_pPD; }

  // A failed load leaves the block as it was.
  void Serialize(CArchive& ar) override;

  // Archived fields, in the order of the table they come from.
  BOOL m_bNumberedRowHeaders = TRUE;
  BOOL m_bLetteredColHeaders = TRUE;
  int m_nDropDownHeight = 100;
  BOOL m_bTakeFocusOnMouse = FALSE;
  BOOL m_bTransparentBackground = FALSE;
  WORD m_wUndoRemoveRowsFlags = 3;
  WORD m_wUndoRemoveColsFlags = 3;
  DWORD m_nMinTrackRowHeight = 0;
  DWORD m_nMinTrackColWidth = 0;
  WORD m_wActivateFlags = 1;
  WORD m_wAllowSelection = 0x00FF;
  BOOL m_bAllowSelDragCols = TRUE;
  BOOL m_bAllowSelDragRows = TRUE;
  WORD m_wAllowTrackRowHeight = 0x00B2;
  WORD m_wAllowTrackColWidth = 0x00B2;
  WORD m_wSelectionBehavior = 0;
  BOOL m_bScrollThumbTrack = TRUE;
  BOOL m_bLockReadOnly = TRUE;
  BOOL m_bSmartResize = TRUE;
  WORD m_wFloatCellsMode = 0;
  WORD m_wMergeCellsMode = 0;
  BOOL m_bPrinterMetrics = FALSE;
  WORD m_wShowCurrentCell = 2;
  WORD m_wComposeAllStyles = 0;
  ROWCOL m_nHeaderRows = 0;
  ROWCOL m_nHeaderCols = 0;
  BOOL m_bMoveCellOption = TRUE;
  CString m_strSheetName;
  ROWCOL m_nFrozenRows = 0;
  ROWCOL m_nFrozenCols = 0;
  DWORD m_aFreezeColsSave[3] = {0, 0, 0};
  DWORD m_aFreezeRowsSave[3] = {0, 0, 0};
  BOOL m_bInitOption = FALSE;
  ROWCOL m_nCurRow = 1;
  ROWCOL m_nCurCol = 1;
  DWORD m_nMaxUndo = 512;
  WORD m_wEnterMoveDir = GX_RIGHT;
  CGXRangeList m_SelRects;
  CGXRangeList m_CoveredCellsList;
  // Look-up structure of the covered cells; the covered-cell layer owns its type.
  CObject* m_pCoveredCellPool = nullptr;
  CObject* m_pFloatCellsPool = nullptr;
  CObject* m_pDelayedFloatCellsPool = nullptr;
  CObject* m_pPrintFloatCellsPool = nullptr;
  CObject* m_pPrintDelayedFloatCellsPool = nullptr;
  CObject* m_pMergeCellsPoolH = nullptr;
  CObject* m_pMergeCellsPoolV = nullptr;
  CObject* m_pDelayedMergeCellsPool = nullptr;
  BOOL m_bOwnProperties = FALSE;
  CGXProperties* m_pProperties = nullptr;
  BOOL m_bOwnStylesMap = FALSE;
  CGXStylesMap* m_pStylesMap = nullptr;
  BOOL m_bOwnData = FALSE;
  CGXData* m_pData = nullptr;
  BOOL m_bOwnPD = FALSE;
  CGXPrintDevice* m_pPD = nullptr;
  BOOL m_bReadOnly = FALSE;
  BOOL m_bSheetNameEditable = TRUE;
  CObList m_UndoList;
  CObList m_RedoList;
  DWORD m_nUndoCount = 0;
  BOOL m_bUndoEnabled = TRUE;
  CByteArray m_abHiddenRows;
  CByteArray m_abHiddenCols;
  CGXMapDWordToLong m_RowHeights;
  CGXMapDWordToLong m_ColWidths;
  DWORD m_nDefaultRowHeight = 1200;
  DWORD m_nDefaultColWidth = 10000;
  BOOL m_bLockUpdate = FALSE;
  BOOL m_bGridLinesRightBottom;
  WORD m_wGridLineStyle;
  BOOL m_bInvertCurrentCellFrame = FALSE;
  BOOL m_bSelectionMarker = FALSE;
  BOOL m_bExtraFlag1 = FALSE;
  BOOL m_bDblClkOption = FALSE;
  DWORD m_nSortCol = 0xFFFFFFFF;
  DWORD m_nSortRow = 0xFFFFFFFF;
  BOOL m_bSortOption = FALSE;
  BOOL m_bExtraFlag2 = FALSE;
  WORD m_ClipboardMark[10] = {};

  // Not archived: the fields the grid's hosts, spans, undo, clipboard and cells read.
  WORD m_wListBoxSelectionMode = 0;
  BOOL m_bSelectionFollowsCurrentCell = FALSE;
  BOOL m_bCurrentCellHint = FALSE;
  BOOL m_bSortRowsOnDblClk = FALSE;
  BOOL m_bSortColsOnDblClk = FALSE;
  BOOL m_bLockScrollbars = FALSE;
  DWORD m_nTransNesting = 0;
  BOOL m_bProtectReadOnly = TRUE;
  CString m_strTitle;
  BOOL m_bDirectCopyPaste = FALSE;
  BOOL m_bCursorOnlyInActiveView = FALSE;
  // Drag source record.
  BOOL m_bDragging = FALSE;
  ROWCOL m_nDragRow = 0;
  ROWCOL m_nDragCol = 0;
  CGXRangeList m_DragRanges;
  LONG m_nDragLastRow = -2;
  LONG m_nDragLastCol = -2;
  LONG m_nDragOffsetRows = 0;
  LONG m_nDragOffsetCols = 0;
  BOOL m_bDragSelectedText = FALSE;
  CGXControl* m_pDragControl = nullptr;

 private:
  void DeleteOwned();
  // Reads into this fresh block; a borrowed styles map of the block being loaded resolves base styles.
  void Load(CArchive& ar, const CGXStylesMap* pBorrowedMap);
  void Store(CArchive& ar);
  // Takes the archived state of another block (after a load into it succeeded).
  void TakeArchived(CGXGridParam& src);
};
