// CGXGridCore: the grid engine that the grid windows host: parameter block, styles, drawing,
// editing and the undoable operations with their undo and redo lists.
#pragma once

#include "grid/engine/GXCommand.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"

class CCmdUI;
class CGXControl;
class CGXProperties;
class CGXStylesMap;
class CWnd;

class CGXGridCore {
 public:
  CGXGridCore();
  virtual ~CGXGridCore();
  CGXGridCore(const CGXGridCore&) = delete;
  CGXGridCore& operator=(const CGXGridCore&) = delete;

  CGXGridParam* GetParam() const { return m_pParam; }
  // A borrowed block outlives the grid; an owned one dies with it.
  void SetParam(CGXGridParam* pParam, BOOL bMustDelete = TRUE);

  // ---- current cell ----
  virtual BOOL GetCurrentCell(ROWCOL& nRow, ROWCOL& nCol, BOOL bIgnorePrinting = FALSE);
  virtual BOOL IsCurrentCell(ROWCOL nRow = (ROWCOL)-1, ROWCOL nCol = (ROWCOL)-1, BOOL bIgnorePrinting = FALSE);
  virtual BOOL SetCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags = 0x0A);
  virtual BOOL ScrollCellIntoView(ROWCOL nRow, ROWCOL nCol, UINT flags = 0x0A, BOOL bFloatCell = FALSE);
  // The control bound to the current cell, null when there is none.
  virtual CGXControl* GetCurrentCellControl();
  virtual BOOL EndCurrentCellEdit();
  virtual void UpdateWindow();

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
  BOOL m_bPrintInProgress = FALSE;

 protected:
  CGXGridParam* m_pParam = nullptr;
  BOOL m_bOwnParam = FALSE;

  ROWCOL m_nCurRow = 0;
  ROWCOL m_nCurCol = 0;
  BOOL m_bCurrentCellValid = FALSE;

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
  // Undo's first step: an active current cell throws its unsaved edit away; bHandled ends Undo there.
  BOOL UndoCurrentCellEdit(BOOL& bHandled);
  BOOL IsCurrentCellModified();
  CObList* ChosenList(GXCmdType ctCmd, BOOL bEmptyRedo);
  CString MenuPattern(CCmdUI* pCmdUI, UINT nId, CString& cache, LPCTSTR fallback);
};
