// The grid view of the active drive's memory: eight hexadecimal words a row,
// E2ROM and RAM read in blocks, a typed word written at once and read back.
#pragma once

#include "grid/engine/GXGridView.h"

class CMC_Setup;
struct HELPINFO;

class CMemoryView : public CGXGridView {
  DECLARE_DYNCREATE(CMemoryView)

 public:
  enum : LPARAM { HINT_REFRESH = -100, HINT_REFILL = -49, HINT_REFILL_MARKED = -50 };
  enum : UINT {
    ID_VIEW_REFRESH = 10055,
    ID_PANE_POSITION = 54,
    IDS_HINT = 15007,
    kHelpTopic = 4144,
    kHexControl = 15005,
    kHexAttribute = 15006
  };

  CMemoryView();
  ~CMemoryView() override;

  BOOL MoveCurrentCell(int direction, UINT nCell = 1, BOOL bCanSelectRange = TRUE) override;
  BOOL OnEndEditing(ROWCOL nRow, ROWCOL nCol) override;
  BOOL OnActivateGrid(BOOL bActivate) override;
  BOOL CanSelectCurrentCell(BOOL bSelect, ROWCOL nNewRow, ROWCOL nNewCol, ROWCOL nOldRow, ROWCOL nOldCol) override;
  void ShowContextCursor(UINT nID, LPCSTR pszSystemCursor) override;
  void OnInitialUpdate() override;
  void OnActivateView(BOOL bActivate, CView *pActivateView, CView *pDeactiveView) override;
  void OnUpdate(CView *pSender, LPARAM lHint, CObject *pHint) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;

  // Reads the visible words and rewrites every cell; with bMark a word whose
  // text changed is red.
  void FillGrid(int bMark);
  WORD GetAddressRowCol(ROWCOL nRow, ROWCOL nCol) const;
  CMC_Setup *GetSetup();
  DWORD GetDataRowCount() const { return m_nRows; }
  WORD GetStartAddress() const { return m_wStartAddress; }

 protected:
  BOOL OnHelpInfo(HELPINFO *pHelpInfo) override;
  void OnContextHelp();
  void OnViewRefresh() { FillGrid(TRUE); }
  // The grid core and the window both name a size handler; the view's own runs
  // from OnWndMsg.
  void OnSizeView(UINT nType, int cx, int cy);
  void OnUpdatePosition(CCmdUI *pCmdUI);

  // The data rows that fit a client height.
  DWORD RowsFor(int cy);

  DWORD m_nRows = 0;
  WORD m_wStartAddress = 0;

  DECLARE_MESSAGE_MAP()
};
