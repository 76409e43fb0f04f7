// The undo command classes.
#include "grid/engine/GXCommand.h"

#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXProperties.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Resource.h"

#include <string>

IMPLEMENT_DYNAMIC(CGXCommand, CObject)
IMPLEMENT_DYNAMIC(CGXSetStyleRangeCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXRemoveRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXRemoveColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXInsertRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXInsertColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXMoveRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXMoveColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXMoveDataRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXMoveDataColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetRowHeightCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetColWidthCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetDefaultRowHeightCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetDefaultColWidthCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXHideRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXHideColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetFrozenRowsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetFrozenColsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXSetCoveredCellsCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXChangeStylesMapCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXChangePropertiesCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXChangeBaseStyleCmd, CGXCommand)
IMPLEMENT_DYNAMIC(CGXBlockCmd, CGXCommand)

namespace {

// A class's name, loaded once; a single blank when the resource is missing.
CString& CachedName(CString& cache, UINT offset) {
  if (cache.IsEmpty()) {
    std::string s;
    cache = LoadStringResource(GX_IDS_CMD_FIRST + offset, s) && !s.empty() ? CString(s) : CString(" ");
  }
  return cache;
}

#define GX_COMMAND_NAME(cls, offset)  \
  CString cls::GetName() {            \
    static CString name;              \
    return CachedName(name, offset);  \
  }

void DeleteStyles(CObArray* a) {
  if (!a) return;
  for (INT_PTR i = 0; i < a->GetSize(); ++i) delete a->GetAt(i);
  delete a;
}

}  // namespace

CString GXFitStepName(BOOL bRows) {
  return bRows ? CGXSetRowHeightCmd(0, 0, nullptr).GetName() : CGXSetColWidthCmd(0, 0, nullptr).GetName();
}

GX_COMMAND_NAME(CGXSetStyleRangeCmd, 0)
GX_COMMAND_NAME(CGXRemoveRowsCmd, 1)
GX_COMMAND_NAME(CGXRemoveColsCmd, 2)
GX_COMMAND_NAME(CGXInsertRowsCmd, 3)
GX_COMMAND_NAME(CGXInsertColsCmd, 4)
GX_COMMAND_NAME(CGXMoveRowsCmd, 5)
GX_COMMAND_NAME(CGXMoveColsCmd, 6)
GX_COMMAND_NAME(CGXMoveDataRowsCmd, 7)
GX_COMMAND_NAME(CGXMoveDataColsCmd, 8)
GX_COMMAND_NAME(CGXSetRowHeightCmd, 9)
GX_COMMAND_NAME(CGXSetColWidthCmd, 10)
GX_COMMAND_NAME(CGXSetDefaultRowHeightCmd, 11)
GX_COMMAND_NAME(CGXSetDefaultColWidthCmd, 12)
GX_COMMAND_NAME(CGXHideRowsCmd, 13)
GX_COMMAND_NAME(CGXHideColsCmd, 14)
GX_COMMAND_NAME(CGXSetFrozenRowsCmd, 15)
GX_COMMAND_NAME(CGXSetFrozenColsCmd, 16)
GX_COMMAND_NAME(CGXSetCoveredCellsCmd, 17)
GX_COMMAND_NAME(CGXChangeStylesMapCmd, 18)
GX_COMMAND_NAME(CGXChangePropertiesCmd, 19)

CGXSetStyleRangeCmd::CGXSetStyleRangeCmd(const CGXRange& range, int nType, CObArray* pStyles)
    : m_range(range), m_nType(nType), m_pStyles(pStyles) {}
CGXSetStyleRangeCmd::~CGXSetStyleRangeCmd() { DeleteStyles(m_pStyles); }
BOOL CGXSetStyleRangeCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetStyleRange(m_range, nullptr, 2, m_nType, m_pStyles, GX_UPDATENOW, ctCmd);
}

BOOL CGXRemoveRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) { return pGrid->RemoveRows(m_nFrom, m_nTo, GX_UPDATENOW, ctCmd); }
BOOL CGXRemoveColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) { return pGrid->RemoveCols(m_nFrom, m_nTo, GX_UPDATENOW, ctCmd); }

CGXInsertRowsCmd::CGXInsertRowsCmd(ROWCOL nRow, ROWCOL nCount, DWORD* pSizes, CObArray* pCellStyles,
                                   CObArray* pRowStyles, ROWCOL nCellsPerRow)
    : m_nRow(nRow), m_nCount(nCount), m_pSizes(pSizes), m_pCellStyles(pCellStyles), m_pRowStyles(pRowStyles),
      m_nCellsPerRow(nCellsPerRow) {}
CGXInsertRowsCmd::~CGXInsertRowsCmd() {
  delete[] m_pSizes;
  DeleteStyles(m_pCellStyles);
  DeleteStyles(m_pRowStyles);
}
BOOL CGXInsertRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->InsertRows(m_nRow, m_nCount, m_pSizes, m_pCellStyles, m_pRowStyles, m_nCellsPerRow, GX_UPDATENOW, ctCmd);
}

CGXInsertColsCmd::CGXInsertColsCmd(ROWCOL nCol, ROWCOL nCount, DWORD* pSizes, CObArray* pCellStyles,
                                   CObArray* pColStyles, ROWCOL nCellsPerCol)
    : m_nCol(nCol), m_nCount(nCount), m_pSizes(pSizes), m_pCellStyles(pCellStyles), m_pColStyles(pColStyles),
      m_nCellsPerCol(nCellsPerCol) {}
CGXInsertColsCmd::~CGXInsertColsCmd() {
  delete[] m_pSizes;
  DeleteStyles(m_pCellStyles);
  DeleteStyles(m_pColStyles);
}
BOOL CGXInsertColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->InsertCols(m_nCol, m_nCount, m_pSizes, m_pCellStyles, m_pColStyles, m_nCellsPerCol, GX_UPDATENOW, ctCmd);
}

BOOL CGXMoveRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->MoveRows(m_nFrom, m_nTo, m_nDest, GX_UPDATENOW, ctCmd);
}
BOOL CGXMoveColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->MoveCols(m_nFrom, m_nTo, m_nDest, GX_UPDATENOW, ctCmd);
}
BOOL CGXMoveDataRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return m_pOrder && pGrid->MoveDataRows(m_range, *m_pOrder, GX_UPDATENOW, ctCmd);
}
BOOL CGXMoveDataColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return m_pOrder && pGrid->MoveDataCols(m_range, *m_pOrder, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetRowHeightCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetRowHeight(m_nFrom, m_nTo, 0, m_pSizes, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetColWidthCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetColWidth(m_nFrom, m_nTo, 0, m_pSizes, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetDefaultRowHeightCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetDefaultRowHeight(m_nSize, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetDefaultColWidthCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetDefaultColWidth(m_nSize, GX_UPDATENOW, ctCmd);
}
BOOL CGXHideRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->HideRows(m_nFrom, m_nTo, FALSE, m_pHidden, GX_UPDATENOW, ctCmd);
}
BOOL CGXHideColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->HideCols(m_nFrom, m_nTo, FALSE, m_pHidden, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetFrozenRowsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetFrozenRows(m_nFrozen, m_nHeader, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetFrozenColsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetFrozenCols(m_nFrozen, m_nHeader, GX_UPDATENOW, ctCmd);
}
BOOL CGXSetCoveredCellsCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return pGrid->SetCoveredCellsRowCol(m_nTop, m_nLeft, m_nBottom, m_nRight, GX_UPDATENOW, ctCmd);
}

CGXChangeStylesMapCmd::~CGXChangeStylesMapCmd() { delete m_pStylesMap; }
BOOL CGXChangeStylesMapCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return m_pStylesMap && pGrid->ChangeStylesMap(*m_pStylesMap, ctCmd, GX_UPDATENOW);
}

CGXChangePropertiesCmd::~CGXChangePropertiesCmd() { delete m_pProperties; }
BOOL CGXChangePropertiesCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return m_pProperties && pGrid->ChangeProperties(*m_pProperties, ctCmd, GX_UPDATENOW);
}

BOOL CGXChangeBaseStyleCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  return m_pStyle && pGrid->ChangeBaseStyle(m_nId, *m_pStyle, 2, ctCmd, GX_UPDATENOW);
}

CGXBlockCmd::CGXBlockCmd(LPCTSTR pszName) : m_strName(pszName && *pszName ? pszName : "Block") {}
CGXBlockCmd::~CGXBlockCmd() {
  while (!m_CmdList.IsEmpty()) delete m_CmdList.RemoveHead();
}
