// The motion program view: the selected motion sequence as a tree in a grid, one row per element
// and group, kept in step with the model by its commands, drag and drop and sequence files.
#pragma once

#include "grid/engine/GXGridView.h"
#include "platform/core/String.h"

#include <cstdint>
#include <functional>
#include <vector>

class CMC_Document;
class CMC_Motion;
class CMC_Setup;
class CMC_MotionGroup;
class CMC_MotionElem;
class CMenu;
class CStringArray;

class CMC_MotionView : public CGXGridView {
  DECLARE_DYNCREATE(CMC_MotionView)
  // Ends an edit before the document is saved or asked for changes.
  friend class CMC_Document;

 public:
  // Cell controls, user attributes and text colours of the rows.
  enum : UINT { kStaticControl = 15000, kTreeEditControl = 15001, kTreeStaticControl = 15002 };
  enum : UINT { kLevelAttrib = 15003, kStateAttrib = 15004 };
  static constexpr COLORREF kFailedColor = 0xFF, kTranslatedColor = 0x8000, kFreeTextColor = 0, kGroupColor = 0xFF0000;
  static constexpr int kGrayTextIndex = 17;
  // Hints the host sends: full refresh, and translate again then refill.
  static constexpr LPARAM kHintRefresh = -100, kHintRetranslate = -94;
  // Homing procedures, interrupts and functions changed in their folder views.
  static constexpr LPARAM kHintHoming = -67, kHintInterrupts = -69, kHintFunctions = -70;
  enum : UINT {
    ID_MOTION_EDIT = 10040,
    ID_MOTION_INSERT,
    ID_MOTION_DUPLICATE,
    ID_MOTION_DELETE,
    ID_MOTION_GROUP,
    ID_MOTION_UNGROUP,
    ID_MOTION_ENABLE,
    ID_MOTION_DISABLE,
    ID_MOTION_IMPORT,
    ID_MOTION_EXPORT,
    ID_MOTION_MOVE_UP,
    ID_MOTION_MOVE_DOWN,
    ID_MOTION_VIEW_CODE = 10056,
    ID_MOTION_IMPORT_GCODE = 10057,
    ID_MOTION_NEW_FIRST = 10100,
    ID_MOTION_NEW_LAST = 10199,
    ID_MOTION_HELP = 57670,
  };
  static constexpr UINT kHelpTopic = 4135;
  static constexpr UINT kDragMoveCursor = 14002, kDragCopyCursor = 14003;

  CMC_MotionView();
  ~CMC_MotionView() override;

  CMC_Document* GetMCDocument();
  CMC_Motion* GetMotion();
  CMC_Setup* GetSetup();
  CMC_MotionGroup* GetSelectedGroup();

  // Inserts the group's objects where a new element would go, translates and shows them, and takes
  // them out of the group; TRUE on success.
  BOOL AddNewElementsToGrid(CMC_MotionGroup& group);

  // Fills a popup menu with the modules class by class: a class of one module of its own name (or
  // without name) adds the module itself, any other class a submenu; ids from 10100 to 10199.
  // `modulesOf` gives the module names of a class index.
  static void BuildModulesMenu(CMenu& menu, const CStringArray& classes,
                               const std::function<void(int, CStringArray&)>& modulesOf);

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 protected:
  // ---- the row model ----
  int GetTreeNodeAttrib(UINT nAttrib, DWORD nRow);
  void SetTreeNodeAttrib(UINT nAttrib, DWORD nRow, int nValue);
  DWORD GetChildrenCount(DWORD nRow);
  int GetParentRow(DWORD nRow);
  DWORD GetPrevRowOfLevel(DWORD nRow, int nLevel);
  DWORD GetNextRowOfLevel(DWORD nRow, int nLevel);
  BOOL GetTreeNodeInfos(DWORD nRow, int nLevel, int* pIndices, DWORD* pParentRows);
  BOOL GetParentArrayOfRow(DWORD nRow, CMC_MotionGroup*& pGroup, int& nIndex);
  BOOL GetParentArrayOfRows(DWORD nFirst, DWORD nLast, CMC_MotionGroup*& pGroup, int& nFirstIndex, int& nLastIndex);
  CObject* GetObjectOfRow(DWORD nRow);
  void UpdateRow(DWORD nRow, int nLevel, CObject* pObject);
  void AddRowsForSequence(DWORD& nRow, int nLevel, CMC_MotionGroup* pGroup);
  void FillGrid();
  void CloseActiveEditControl();
  void SetColumnsWidth();

  // ---- grid stores: the rows' line lengths follow the rows ----
  BOOL StoreStyleRowCol(ROWCOL nRow, ROWCOL nCol, const CGXStyle* pStyle, int mode, int nType = 0) override;
  BOOL StoreRowCount(ROWCOL nRows) override;
  BOOL StoreInsertRows(ROWCOL nRow, ROWCOL nCount, BOOL bProcessed = FALSE) override;
  BOOL StoreRemoveRows(ROWCOL nFrom, ROWCOL nTo, BOOL bProcessed = FALSE) override;
  BOOL StoreMoveRows(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest, BOOL bProcessed = FALSE) override;
  BOOL StoreMoveDataRows(const CGXRange& range, const CDWordArray& order) override;

  // ---- grid hooks ----
  BOOL OnSelDragStart(ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnSelDragMove(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnSelDragDrop(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nDropRow, ROWCOL nDropCol) override;
  BOOL OnEndTracking(ROWCOL nRow, ROWCOL nCol, int nTrackingMode, CSize& size) override;
  BOOL OnTrackRowHeight(ROWCOL nRow) override;
  void OnChangedSelection(const CGXRange* pRange, BOOL bIsDragging, BOOL bKey) override;
  BOOL OnEndEditing(ROWCOL nRow, ROWCOL nCol) override;
  // The model marks the document when an edit changes it; typing alone (then Escape) marks nothing.
  void OnCellModified(ROWCOL, ROWCOL) override {}
  BOOL OnActivateGrid(BOOL bActivate) override;
  BOOL OnDeleteCell(ROWCOL, ROWCOL) override { return TRUE; }
  BOOL CanSelectCurrentCell(BOOL bSelect, ROWCOL nRow, ROWCOL nCol, ROWCOL nOldRow, ROWCOL nOldCol) override;
  BOOL OnLButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt) override;
  BOOL OnRButtonClickedRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt) override;
  BOOL OnLButtonDblClkRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt) override;
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override;
  BOOL CanPaste() override { return FALSE; }
  void ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) override;

  // ---- commands ----
  void OnEdit();
  void OnInsert();
  void OnDuplicate();
  void OnDelete();
  void OnGroup();
  void OnUngroup();
  void OnEnable();
  void OnDisable();
  void OnImport();
  void OnExport();
  void OnMoveUp();
  void OnMoveDown();
  void OnViewGeneratedCode();
  void OnImportGcode();
  void OnNew(UINT nID);
  void OnHelp();
  void OnUpdateEdit(CCmdUI* pCmdUI);
  void OnUpdateGroup(CCmdUI* pCmdUI);
  void OnUpdateDelete(CCmdUI* pCmdUI);
  void OnUpdateUngroup(CCmdUI* pCmdUI);
  void OnUpdateEnable(CCmdUI* pCmdUI);
  void OnUpdateDisable(CCmdUI* pCmdUI);
  void OnUpdateImport(CCmdUI* pCmdUI);
  void OnUpdateMoveUp(CCmdUI* pCmdUI);
  void OnUpdateMoveDown(CCmdUI* pCmdUI);
  void OnUpdateImportGcode(CCmdUI* pCmdUI);
  void OnUpdateAlways(CCmdUI* pCmdUI);

  BOOL EditElem(DWORD nRow);
  BOOL CreateElem(int nModule, BOOL bEdit);
  BOOL AddNewElemToGrid(CMC_MotionElem* pElem);
  void SetDragCursor();

  // The selection state, recomputed by SetSelectionState.
  DWORD m_nSelectedRows = 0, m_nFirstSelectedRow = 0, m_nLastSelectedRow = 0;
  int32_t m_bSiblingRun = 0, m_bEnabledSelected = 0, m_bDisabledSelected = 0;
  int32_t m_bViewInitialized = 0;
  HCURSOR m_hDragMoveCursor = nullptr, m_hDragCopyCursor = nullptr;
  int m_nBatch = 0;
  std::vector<DWORD> m_aFitRows;  // rows of the batch whose height is fitted at its end
  DWORD m_nFirstRedRow = 0;       // the first failure written by the batch of a fill
  int m_nWidestChar = 0;          // of the cells' font, taken again by each fill and fit
  int m_nColumnWidth = 0;         // the data column's, as the window's width gives it
  BOOL m_bFitting = FALSE, m_bFitAgain = FALSE;
  // Of each data row (row r at r - 1), what its one-line width is reckoned from: the bytes of its
  // text (kManyLines for a text of several lines or with tabs; kUnknown until it is looked at
  // again after a change) and its level. A width change measures only the rows it may wrap.
  struct RowLine {
    int32_t bytes;
    int32_t level;
  };
  static constexpr int32_t kUnknown = -1, kManyLines = INT32_MAX;
  std::vector<RowLine> m_aRowLines;

 private:
  void SetSelectionState();
  // Row changes between these are written without repainting; the end repaints from nFirstRow on.
  void BeginBatch();
  void EndBatch(DWORD nFirstRow);
  // Sets the enabled flag of every object from the first to the last selected row.
  void SetEnabled(int enable);
  // Marks the document modified (the kernel's way for a kernel document).
  void Notify();
  // The selected rows (the ranges expanded to rows), in ascending order.
  int SelectedRows(CDWordArray& rows);
  // Clears the selection and selects rows a..b.
  void SelectRows(DWORD a, DWORD b);
  // Where a new object goes: group, index, level and grid row; FALSE when the place does not resolve.
  BOOL NewObjectPlace(CMC_MotionGroup*& pGroup, int& nIndex, int& nLevel, DWORD& nRow);
  // Inserts the objects at the group's index and one row each from nRow on at nLevel; with
  // bTranslate they are translated once they are in the program, before they are shown.
  void InsertObjects(CMC_MotionGroup* pGroup, int nIndex, CObArray& objects, DWORD nRow, int nLevel,
                     BOOL bTranslate = FALSE);
  // A deep copy of an element or group; null for anything else or when memory runs out.
  static CObject* CopyObject(CObject* o);
  // The rows a group's expanded content takes.
  static DWORD CountVisibleRows(CMC_MotionGroup* pGroup);
  void WriteRows(DWORD& nRow, int nLevel, CMC_MotionGroup* pGroup);
  BOOL IsRedRow(DWORD nRow);
  // What a row's one-line width is reckoned from: the text's bytes, or kManyLines.
  static int32_t LineBytes(const CString& text);
  // The widest a row's text can be on one line, with its indent (counted in characters).
  long long OneLineWidth(int32_t bytes, int nLevel);
  // Marks rows a..b (clipped to the rows) as changed.
  void ForgetRowLines(DWORD a, DWORD b);
  int WidestChar();
  // Fits again the rows the column's new width may change.
  void RefitRows();
  // The style stored for cell (nRow, 1), or null.
  const CGXStyle* StoredStyle(DWORD nRow);
  // Where a drop before row nDropRow puts the block; FALSE when it is refused.
  BOOL DropTarget(DWORD nDropRow, CMC_MotionGroup*& pGroup, int& nIndex, int& nLevel);
  BOOL IsCopyGesture() const;
  // The run of siblings of the selection, or FALSE.
  BOOL SelectedRun(CDWordArray& rows, CMC_MotionGroup*& pGroup, int& nFirst, int& nLast);

  DECLARE_MESSAGE_MAP()
};
