// The grid core: construction, the parameter block and the current cell.
#include "grid/engine/GXGridCore.h"

#include "grid/engine/GXData.h"
#include "platform/ui/Wnd.h"

CGXGridCore::CGXGridCore() = default;

CGXGridCore::~CGXGridCore() {
  if (m_bOwnParam) delete m_pParam;
  m_pParam = nullptr;
}

void CGXGridCore::SetParam(CGXGridParam* pParam, BOOL bMustDelete) {
  if (m_bOwnParam && m_pParam != pParam) delete m_pParam;
  m_pParam = pParam;
  m_bOwnParam = bMustDelete;
}

// ---- current cell ---------------------------------------------------------------------------------------

BOOL CGXGridCore::GetCurrentCell(ROWCOL& nRow, ROWCOL& nCol, BOOL bIgnorePrinting) {
  nRow = m_nCurRow;
  nCol = m_nCurCol;
  if (m_bCurrentCellValid && m_pParam && m_pParam->m_pData &&
      (m_nCurRow > m_pParam->m_pData->GetRowCount() || m_nCurCol > m_pParam->m_pData->GetColCount()))
    m_bCurrentCellValid = FALSE;
  return m_bCurrentCellValid && (bIgnorePrinting || !m_bPrintInProgress);
}

BOOL CGXGridCore::IsCurrentCell(ROWCOL nRow, ROWCOL nCol, BOOL bIgnorePrinting) {
  ROWCOL r, c;
  if (!GetCurrentCell(r, c, bIgnorePrinting)) return FALSE;
  return (nRow == (ROWCOL)-1 || nRow == r) && (nCol == (ROWCOL)-1 || nCol == c);
}

BOOL CGXGridCore::SetCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT) {
  m_nCurRow = nRow;
  m_nCurCol = nCol;
  m_bCurrentCellValid = TRUE;
  if (m_pParam) {
    m_pParam->m_nCurRow = nRow;
    m_pParam->m_nCurCol = nCol;
  }
  return TRUE;
}

BOOL CGXGridCore::ScrollCellIntoView(ROWCOL, ROWCOL, UINT, BOOL) { return FALSE; }
CGXControl* CGXGridCore::GetCurrentCellControl() { return nullptr; }
BOOL CGXGridCore::EndCurrentCellEdit() { return TRUE; }

void CGXGridCore::UpdateWindow() {
  if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->UpdateWindow();
}

BOOL CGXGridCore::UndoCurrentCellEdit(BOOL& bHandled) {
  bHandled = FALSE;
  return FALSE;
}

BOOL CGXGridCore::IsCurrentCellModified() { return FALSE; }

// ---- undoable operations: the grid's layers give the real ones --------------------------------------------

BOOL CGXGridCore::SetStyleRange(const CGXRange&, const CGXStyle*, int, int, const CObArray*, UINT, GXCmdType) {
  return FALSE;
}
BOOL CGXGridCore::RemoveRows(ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::RemoveCols(ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::InsertRows(ROWCOL, ROWCOL, const DWORD*, const CObArray*, const CObArray*, ROWCOL, UINT, GXCmdType) {
  return FALSE;
}
BOOL CGXGridCore::InsertCols(ROWCOL, ROWCOL, const DWORD*, const CObArray*, const CObArray*, ROWCOL, UINT, GXCmdType) {
  return FALSE;
}
BOOL CGXGridCore::MoveRows(ROWCOL, ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::MoveCols(ROWCOL, ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::MoveDataRows(const CGXRange&, const CDWordArray&, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::MoveDataCols(const CGXRange&, const CDWordArray&, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetRowHeight(ROWCOL, ROWCOL, int, const int*, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetColWidth(ROWCOL, ROWCOL, int, const int*, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetDefaultRowHeight(int, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetDefaultColWidth(int, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::HideRows(ROWCOL, ROWCOL, BOOL, const BOOL*, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::HideCols(ROWCOL, ROWCOL, BOOL, const BOOL*, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetFrozenRows(ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetFrozenCols(ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::SetCoveredCellsRowCol(ROWCOL, ROWCOL, ROWCOL, ROWCOL, UINT, GXCmdType) { return FALSE; }
BOOL CGXGridCore::ChangeStylesMap(const CGXStylesMap&, GXCmdType, UINT) { return FALSE; }
BOOL CGXGridCore::ChangeProperties(const CGXProperties&, GXCmdType, UINT) { return FALSE; }
BOOL CGXGridCore::ChangeBaseStyle(WORD, const CGXStyle&, int, GXCmdType, UINT) { return FALSE; }

void CGXGridCore::Redraw(UINT, BOOL) {
  if (m_pParam && m_pParam->m_bLockUpdate) return;
  if (m_pGridWnd && m_pGridWnd->GetSafeHwnd()) m_pGridWnd->Invalidate();
}
