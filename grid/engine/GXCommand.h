// CGXCommand and its classes: how to undo one grid operation; executing a command calls the grid
// operation again with the recorded values, which files the opposite command.
#pragma once

#include "grid/engine/GXRange.h"
#include "grid/engine/GXStyle.h"
#include "platform/core/Array.h"
#include "platform/core/List.h"

class CGXGridCore;
class CGXProperties;
class CGXStylesMap;

// The command type of every undoable grid operation.
enum GXCmdType { CmdDo = 0, CmdRollback = 1, CmdUndo = 2, CmdRedo = 3 };

class CGXCommand : public CObject {
  DECLARE_DYNAMIC(CGXCommand)

 public:
  CGXCommand() = default;
  virtual BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) = 0;
  virtual CString GetName() = 0;

  // The grid's current cell when the command was filed.
  ROWCOL m_nRow = 0;
  ROWCOL m_nCol = 0;
  BOOL m_bCCell = FALSE;
};

// Owns the saved styles of a range, one per cell in row-major order.
class CGXSetStyleRangeCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetStyleRangeCmd)
 public:
  CGXSetStyleRangeCmd(const CGXRange& range, int nType, CObArray* pStyles);
  ~CGXSetStyleRangeCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  CGXRange m_range;
  int m_nType;
  CObArray* m_pStyles;
};

class CGXRemoveRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXRemoveRowsCmd)
 public:
  CGXRemoveRowsCmd(ROWCOL nFrom, ROWCOL nTo) : m_nFrom(nFrom), m_nTo(nTo) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
};

class CGXRemoveColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXRemoveColsCmd)
 public:
  CGXRemoveColsCmd(ROWCOL nFrom, ROWCOL nTo) : m_nFrom(nFrom), m_nTo(nTo) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
};

// Owns the sizes (count entries, new[]) and both style arrays with their styles.
class CGXInsertRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXInsertRowsCmd)
 public:
  CGXInsertRowsCmd(ROWCOL nRow, ROWCOL nCount, DWORD* pSizes, CObArray* pCellStyles, CObArray* pRowStyles,
                   ROWCOL nCellsPerRow);
  ~CGXInsertRowsCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nRow, m_nCount;
  DWORD* m_pSizes;
  CObArray* m_pCellStyles;
  CObArray* m_pRowStyles;
  ROWCOL m_nCellsPerRow;
};

class CGXInsertColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXInsertColsCmd)
 public:
  CGXInsertColsCmd(ROWCOL nCol, ROWCOL nCount, DWORD* pSizes, CObArray* pCellStyles, CObArray* pColStyles,
                   ROWCOL nCellsPerCol);
  ~CGXInsertColsCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nCol, m_nCount;
  DWORD* m_pSizes;
  CObArray* m_pCellStyles;
  CObArray* m_pColStyles;
  ROWCOL m_nCellsPerCol;
};

class CGXMoveRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXMoveRowsCmd)
 public:
  CGXMoveRowsCmd(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) : m_nFrom(nFrom), m_nTo(nTo), m_nDest(nDest) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo, m_nDest;
};

class CGXMoveColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXMoveColsCmd)
 public:
  CGXMoveColsCmd(ROWCOL nFrom, ROWCOL nTo, ROWCOL nDest) : m_nFrom(nFrom), m_nTo(nTo), m_nDest(nDest) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo, m_nDest;
};

// Owns the order.
class CGXMoveDataRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXMoveDataRowsCmd)
 public:
  CGXMoveDataRowsCmd(const CGXRange& range, CDWordArray* pOrder) : m_range(range), m_pOrder(pOrder) {}
  ~CGXMoveDataRowsCmd() override { delete m_pOrder; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  CGXRange m_range;
  CDWordArray* m_pOrder;
};

class CGXMoveDataColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXMoveDataColsCmd)
 public:
  CGXMoveDataColsCmd(const CGXRange& range, CDWordArray* pOrder) : m_range(range), m_pOrder(pOrder) {}
  ~CGXMoveDataColsCmd() override { delete m_pOrder; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  CGXRange m_range;
  CDWordArray* m_pOrder;
};

// Owns the sizes (one per row, new[]).
class CGXSetRowHeightCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetRowHeightCmd)
 public:
  CGXSetRowHeightCmd(ROWCOL nFrom, ROWCOL nTo, int* pSizes) : m_nFrom(nFrom), m_nTo(nTo), m_pSizes(pSizes) {}
  ~CGXSetRowHeightCmd() override { delete[] m_pSizes; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
  int* m_pSizes;
};

class CGXSetColWidthCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetColWidthCmd)
 public:
  CGXSetColWidthCmd(ROWCOL nFrom, ROWCOL nTo, int* pSizes) : m_nFrom(nFrom), m_nTo(nTo), m_pSizes(pSizes) {}
  ~CGXSetColWidthCmd() override { delete[] m_pSizes; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
  int* m_pSizes;
};

class CGXSetDefaultRowHeightCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetDefaultRowHeightCmd)
 public:
  explicit CGXSetDefaultRowHeightCmd(int nSize) : m_nSize(nSize) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  int m_nSize;
};

class CGXSetDefaultColWidthCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetDefaultColWidthCmd)
 public:
  explicit CGXSetDefaultColWidthCmd(int nSize) : m_nSize(nSize) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  int m_nSize;
};

// Owns the hidden flags (one per row, new[]).
class CGXHideRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXHideRowsCmd)
 public:
  CGXHideRowsCmd(ROWCOL nFrom, ROWCOL nTo, BOOL* pHidden) : m_nFrom(nFrom), m_nTo(nTo), m_pHidden(pHidden) {}
  ~CGXHideRowsCmd() override { delete[] m_pHidden; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
  BOOL* m_pHidden;
};

class CGXHideColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXHideColsCmd)
 public:
  CGXHideColsCmd(ROWCOL nFrom, ROWCOL nTo, BOOL* pHidden) : m_nFrom(nFrom), m_nTo(nTo), m_pHidden(pHidden) {}
  ~CGXHideColsCmd() override { delete[] m_pHidden; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrom, m_nTo;
  BOOL* m_pHidden;
};

class CGXSetFrozenRowsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetFrozenRowsCmd)
 public:
  CGXSetFrozenRowsCmd(ROWCOL nFrozen, ROWCOL nHeader) : m_nFrozen(nFrozen), m_nHeader(nHeader) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrozen, m_nHeader;
};

class CGXSetFrozenColsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetFrozenColsCmd)
 public:
  CGXSetFrozenColsCmd(ROWCOL nFrozen, ROWCOL nHeader) : m_nFrozen(nFrozen), m_nHeader(nHeader) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nFrozen, m_nHeader;
};

class CGXSetCoveredCellsCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXSetCoveredCellsCmd)
 public:
  CGXSetCoveredCellsCmd(ROWCOL nRow, ROWCOL nCol, ROWCOL nToRow, ROWCOL nToCol)
      : m_nTop(nRow), m_nLeft(nCol), m_nBottom(nToRow), m_nRight(nToCol) {}
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  ROWCOL m_nTop, m_nLeft, m_nBottom, m_nRight;
};

// Owns the copy.
class CGXChangeStylesMapCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXChangeStylesMapCmd)
 public:
  explicit CGXChangeStylesMapCmd(CGXStylesMap* pMap) : m_pStylesMap(pMap) {}
  ~CGXChangeStylesMapCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  CGXStylesMap* m_pStylesMap;
};

class CGXChangePropertiesCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXChangePropertiesCmd)
 public:
  explicit CGXChangePropertiesCmd(CGXProperties* pProperties) : m_pProperties(pProperties) {}
  ~CGXChangePropertiesCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override;
  CGXProperties* m_pProperties;
};

class CGXChangeBaseStyleCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXChangeBaseStyleCmd)
 public:
  CGXChangeBaseStyleCmd(WORD nId, CGXStyle* pStyle, LPCTSTR pszName = nullptr)
      : m_nId(nId), m_pStyle(pStyle), m_strName(pszName) {}
  ~CGXChangeBaseStyleCmd() override { delete m_pStyle; }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override { return m_strName; }
  WORD m_nId;
  CGXStyle* m_pStyle;
  CString m_strName;
};

// A transaction: owned commands, newest first.
class CGXBlockCmd : public CGXCommand {
  DECLARE_DYNAMIC(CGXBlockCmd)
 public:
  explicit CGXBlockCmd(LPCTSTR pszName = nullptr);
  ~CGXBlockCmd() override;
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override;
  CString GetName() override { return m_strName; }
  CObList m_CmdList;
  CString m_strName;
};

// String resources of the command names, "Cells" first, in the order of the classes above.
const UINT GX_IDS_CMD_FIRST = 52400;

// A fit of row heights (column widths) to their contents is undone as one step named as the size
// change it makes.
CString GXFitStepName(BOOL bRows);
