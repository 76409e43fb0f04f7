// The grid view in which the user chooses, per interrupt of the drive's firmware, the default or a
// user-defined handler, and reloads the default body into a user-defined one.
#pragma once

#include "views/MC_HandlerFolderView.h"

class CMC_InterruptsFolderView : public CMC_HandlerFolderView {
  DECLARE_DYNCREATE(CMC_InterruptsFolderView)

 public:
  enum : LPARAM { HINT_REFRESH = -100, HINT_INTERRUPTS = -69 };

  CMC_InterruptsFolderView();
  ~CMC_InterruptsFolderView() override;

  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void SetColumnsWidth() override;
  void FillGrid();
};
