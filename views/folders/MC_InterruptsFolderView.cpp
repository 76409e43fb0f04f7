#include "views/folders/MC_InterruptsFolderView.h"

#include "grid/engine/GXGridParam.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CMC_InterruptsFolderView, CMC_HandlerFolderView)

CMC_InterruptsFolderView::CMC_InterruptsFolderView() : CMC_HandlerFolderView(4137) {}
CMC_InterruptsFolderView::~CMC_InterruptsFolderView() = default;

void CMC_InterruptsFolderView::OnInitialUpdate() {
  InitFolderGrid(4);
  CGXStyle style;
  style.SetControl(52513);
  SetStyleRange(CGXRange().SetColRange(1, 1), &style);
  for (ROWCOL col : {2, 3}) {
    CGXStyle radio;
    radio.SetControl(52524)
        .SetChoiceList(col == 2 ? "Default" : "User defined")
        .SetInterior(::GetSysColor(COLOR_BTNFACE));
    SetStyleRange(CGXRange().SetColRange(col, col), &radio);
  }
  CGXStyle button;
  button.SetControl(52514).SetChoiceList("Reload default");
  SetStyleRange(CGXRange().SetColRange(4, 4), &button);
  SetTitle("Interrupts");
  SetColumnsWidth();
  FillGrid();
  m_bInitialized = 1;
}

void CMC_InterruptsFolderView::SetColumnsWidth() { SetFolderColumnWidths(2, 5); }

void CMC_InterruptsFolderView::FillGrid() {
  CMC_Motion* motion = GetMotion();
  CMC_Setup* setup = GetSetup();
  const int count = motion && setup ? std::max(motion->GetInterruptsCount(), 0) : 0;
  CGXGridParam* param = GetParam();
  const BOOL oldLock = param->m_bLockUpdate;
  param->m_bLockUpdate = TRUE;
  SetRowCount(ROWCOL(count));
  if (count > 0) {
    CGXStyle plain;
    plain.SetMergeCell(0);
    SetStyleRange(CGXRange().SetCellRange(1, 1, ROWCOL(count), 4), &plain);
  }
  for (int i = 0; i < count; ++i) {
    const ROWCOL row = ROWCOL(i) + 1;
    const BOOL user = motion->IsUserInterrupt(i);
    SetRangeValueString(CGXRange().SetCellRange(row, 1, row, 1),
                        HandlerText(motion->GetInterruptName(i), setup->GetInterruptDescription(i)));
    SetRangeValueText(CGXRange().SetCellRange(row, 2, row, 2), user ? "-1" : "0");
    SetRangeValueText(CGXRange().SetCellRange(row, 3, row, 3), user ? "0" : "-1");
    const CGXStyle reload = ReloadButtonStyle(user);
    SetStyleRange(CGXRange().SetCellRange(row, 4, row, 4), &reload);
  }
  FitRows(1, ROWCOL(count));
  param->m_bLockUpdate = oldLock;
  Redraw();
}

void CMC_InterruptsFolderView::OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) {
  if (nRow > 0) {
    CMC_Motion* motion = GetMotion();
    CMC_MotionGroup* group = motion ? motion->GetInterrupt(int(nRow) - 1) : nullptr;
    BOOL changed = FALSE;
    if (nCol == 2 || nCol == 3) {
      const BOOL user = nCol == 3;
      SetRangeValueText(CGXRange().SetCellRange(nRow, user ? 2 : 3, nRow, user ? 2 : 3), "-1");
      const CGXStyle reload = ReloadButtonStyle(user);
      SetStyleRange(CGXRange().SetCellRange(nRow, 4, nRow, 4), &reload);
      if (group) group->m_bEnabled = user;
      changed = group != nullptr;
    } else if (nCol == 4 && motion) {
      motion->ResetUserInterruptToDefaultHandler(int(nRow) - 1);
      changed = TRUE;
    }
    if (changed) {
      CDocument* doc = GetDocument();
      if (auto* kernelDoc = dynamic_cast<CMC_Document*>(doc))
        kernelDoc->OnChangedInView(this, 0);
      else if (doc)
        doc->SetModifiedFlag(TRUE);
      if (doc) doc->UpdateAllViews(this, HINT_INTERRUPTS);
    }
  }
  CMC_HandlerFolderView::OnClickedButtonRowCol(nRow, nCol);
}

void CMC_InterruptsFolderView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint == HINT_REFRESH || lHint == HINT_INTERRUPTS) FillGrid();
}
