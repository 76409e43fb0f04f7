// The grid view in which the user chooses, per homing procedure the firmware offers, the default or
// a user-defined procedure, and reloads the default body into a user-defined one.
#pragma once

#include "views/folders/MC_HandlerFolderView.h"

class CMC_HomingProcsFolderView : public CMC_HandlerFolderView {
  DECLARE_DYNCREATE(CMC_HomingProcsFolderView)

 public:
  enum : LPARAM { HINT_REFRESH = -100, HINT_HOMING = -67 };

  CMC_HomingProcsFolderView();
  ~CMC_HomingProcsFolderView() override;

  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void SetColumnsWidth() override;
  // Column styles for the firmware generation, then the rows.
  void ReinitGrid();
  void FillGrid();

 protected:
  // The firmware generation; 0 without a setup.
  int Generation();
  // From generation 3 on the button spans the two rows of a procedure, which give it room enough.
  ROWCOL LastSingleRowCol() override { return Generation() < 3 ? 3 : 2; }
};
