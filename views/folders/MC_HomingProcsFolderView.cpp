#include "views/folders/MC_HomingProcsFolderView.h"

#include "grid/engine/GXGridParam.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNCREATE(CMC_HomingProcsFolderView, CMC_HandlerFolderView)

CMC_HomingProcsFolderView::CMC_HomingProcsFolderView() : CMC_HandlerFolderView(4142) {}
CMC_HomingProcsFolderView::~CMC_HomingProcsFolderView() = default;

int CMC_HomingProcsFolderView::Generation() {
  CMC_Setup* setup = GetSetup();
  return setup ? setup->GetMCVersion() : 0;
}

void CMC_HomingProcsFolderView::OnInitialUpdate() {
  InitFolderGrid(3);
  SetColumnsWidth();
  ReinitGrid();
  m_bInitialized = 1;
}

void CMC_HomingProcsFolderView::SetColumnsWidth() { SetFolderColumnWidths(3, 5); }

void CMC_HomingProcsFolderView::ReinitGrid() {
  CGXGridParam* param = GetParam();
  const BOOL oldLock = param->m_bLockUpdate;
  param->m_bLockUpdate = TRUE;
  CGXStyle text;
  text.SetControl(52513);
  SetStyleRange(CGXRange().SetColRange(1, 1), &text);
  const BOOL old = Generation() < 3;
  CGXStyle choice;
  choice.SetControl(old ? 52523 : 52524).SetChoiceList(old ? "Select" : "").SetInterior(::GetSysColor(COLOR_BTNFACE));
  SetStyleRange(CGXRange().SetColRange(2, 2), &choice);
  CGXStyle button;
  button.SetControl(52514).SetChoiceList("Reload default");
  SetStyleRange(CGXRange().SetColRange(3, 3), &button);
  SetTitle("Homing Modes");
  FillGrid();
  param->m_bLockUpdate = oldLock;
  Redraw();
}

void CMC_HomingProcsFolderView::FillGrid() {
  CMC_Motion* motion = GetMotion();
  const ROWCOL per = Generation() < 3 ? 1 : 2;
  const ROWCOL offered = motion && GetSetup() ? ROWCOL(std::max(motion->GetAvailableHomingProceduresCount(), 0)) : 0;
  CGXGridParam* param = GetParam();
  const BOOL oldLock = param->m_bLockUpdate;
  param->m_bLockUpdate = TRUE;
  const ROWCOL rows = offered * per;
  SetRowCount(rows);
  if (rows > 0) {
    CGXStyle merge, single;
    merge.SetMergeCell(per == 2 ? 2 : 0);
    single.SetMergeCell(0);
    SetStyleRange(CGXRange().SetCellRange(1, 1, rows, 1), &merge);
    SetStyleRange(CGXRange().SetCellRange(1, 2, rows, 2), &single);
    SetStyleRange(CGXRange().SetCellRange(1, 3, rows, 3), &merge);
  }
  ROWCOL row = 1;
  for (int i = 0; motion && row <= rows && i < motion->GetHomingProceduresCount(); ++i) {
    if (!motion->IsHomingProcedureAvailable(i)) continue;
    const BOOL user = motion->IsHomingProcedureEnable(i);
    const CGXRange texts = CGXRange().SetCellRange(row, 1, row + per - 1, 1);
    SetRangeValueString(texts,
                        HandlerText(motion->GetHomingProcedureName(i), motion->GetHomingProcedureDescription(i)));
    if (per == 1) {
      SetRangeValueText(CGXRange().SetCellRange(row, 2, row, 2), user ? "1" : "0");
    } else {
      CGXStyle byDefault, byUser;
      byDefault.SetChoiceList("Default").SetValue(user ? "-1" : "0");
      byUser.SetChoiceList("User defined").SetValue(user ? "0" : "-1");
      SetStyleRange(CGXRange().SetCellRange(row, 2, row, 2), &byDefault);
      SetStyleRange(CGXRange().SetCellRange(row + 1, 2, row + 1, 2), &byUser);
    }
    CGXStyle reload = ReloadButtonStyle(user);
    CString index;
    index.Format("%i", i);
    reload.SetValue(index);
    SetStyleRange(CGXRange().SetCellRange(row, 3, row + per - 1, 3), &reload);
    row += per;
  }
  FitRows(1, rows);
  param->m_bLockUpdate = oldLock;
  Redraw();
}

void CMC_HomingProcsFolderView::OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) {
  auto* doc = dynamic_cast<CMC_Document*>(GetDocument());
  CMC_Motion* motion = doc && doc->GetSetup() ? doc->GetMotion() : nullptr;
  if (nRow > 0 && (nCol == 2 || nCol == 3)) {
    const int g = Generation();
    // The rows of the clicked procedure: one, or the pair of a radio row.
    const ROWCOL first = g < 3 ? nRow : nRow - (nRow % 2 == 0 ? 1 : 0), last = g < 3 ? nRow : first + 1;
    const int k = std::atoi(GetValueRowCol(nRow, 3));
    CMC_MotionGroup* group = motion ? motion->GetHomingProcedure(k) : nullptr;
    if (nCol == 2) {
      const BOOL user = g < 3 ? GetValueRowCol(nRow, 2) == "1" : nRow == last;
      if (g >= 3) SetRangeValueText(CGXRange().SetCellRange(user ? first : last, 2, user ? first : last, 2), "-1");
      const CGXStyle reload = ReloadButtonStyle(user);
      SetStyleRange(CGXRange().SetCellRange(first, 3, last, 3), &reload);
      if (group) {
        group->m_bEnabled = user;
        if (!user) motion->EmptyCache();
        doc->UpdateAllViews(this, HINT_HOMING);
        doc->OnChangedInView(this, 0);
      }
    } else if (motion) {
      motion->ResetHomingProcedureToDefaultHandler(k);
      SetRangeValueString(CGXRange().SetCellRange(first, 1, last, 1),
                          HandlerText(motion->GetHomingProcedureName(k), motion->GetHomingProcedureDescription(k)));
      FitRows(first, last);
      doc->UpdateAllViews(this, HINT_HOMING);
      doc->OnChangedInView(this, 0);
    }
  }
  CMC_HandlerFolderView::OnClickedButtonRowCol(nRow, nCol);
}

void CMC_HomingProcsFolderView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint == HINT_REFRESH)
    ReinitGrid();
  else if (lHint == HINT_HOMING)
    FillGrid();
}
