// The motion view's editing commands: new, edit, duplicate, delete, enable, group, ungroup, move,
// the module menu, the context menu and help; each changes model and rows together.
#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinThread.h"
#include "views/motion/MC_MotionView.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CMC_MotionView, CGXGridView)
ON_COMMAND(ID_MOTION_EDIT, &CMC_MotionView::OnEdit)
ON_COMMAND(ID_MOTION_INSERT, &CMC_MotionView::OnInsert)
ON_COMMAND(ID_MOTION_DUPLICATE, &CMC_MotionView::OnDuplicate)
ON_COMMAND(ID_MOTION_DELETE, &CMC_MotionView::OnDelete)
ON_COMMAND(ID_MOTION_GROUP, &CMC_MotionView::OnGroup)
ON_COMMAND(ID_MOTION_UNGROUP, &CMC_MotionView::OnUngroup)
ON_COMMAND(ID_MOTION_ENABLE, &CMC_MotionView::OnEnable)
ON_COMMAND(ID_MOTION_DISABLE, &CMC_MotionView::OnDisable)
ON_COMMAND(ID_MOTION_IMPORT, &CMC_MotionView::OnImport)
ON_COMMAND(ID_MOTION_EXPORT, &CMC_MotionView::OnExport)
ON_COMMAND(ID_MOTION_MOVE_UP, &CMC_MotionView::OnMoveUp)
ON_COMMAND(ID_MOTION_MOVE_DOWN, &CMC_MotionView::OnMoveDown)
ON_COMMAND(ID_MOTION_VIEW_CODE, &CMC_MotionView::OnViewGeneratedCode)
ON_COMMAND(ID_MOTION_IMPORT_GCODE, &CMC_MotionView::OnImportGcode)
ON_COMMAND_RANGE(ID_MOTION_NEW_FIRST, ID_MOTION_NEW_LAST, &CMC_MotionView::OnNew)
ON_COMMAND(ID_MOTION_HELP, &CMC_MotionView::OnHelp)
ON_UPDATE_COMMAND_UI(ID_MOTION_EDIT, &CMC_MotionView::OnUpdateEdit)
ON_UPDATE_COMMAND_UI(ID_MOTION_INSERT, &CMC_MotionView::OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_MOTION_DUPLICATE, &CMC_MotionView::OnUpdateGroup)
ON_UPDATE_COMMAND_UI(ID_MOTION_DELETE, &CMC_MotionView::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(ID_MOTION_GROUP, &CMC_MotionView::OnUpdateGroup)
ON_UPDATE_COMMAND_UI(ID_MOTION_UNGROUP, &CMC_MotionView::OnUpdateUngroup)
ON_UPDATE_COMMAND_UI(ID_MOTION_ENABLE, &CMC_MotionView::OnUpdateEnable)
ON_UPDATE_COMMAND_UI(ID_MOTION_DISABLE, &CMC_MotionView::OnUpdateDisable)
ON_UPDATE_COMMAND_UI(ID_MOTION_IMPORT, &CMC_MotionView::OnUpdateImport)
ON_UPDATE_COMMAND_UI(ID_MOTION_EXPORT, &CMC_MotionView::OnUpdateGroup)
ON_UPDATE_COMMAND_UI(ID_MOTION_MOVE_UP, &CMC_MotionView::OnUpdateMoveUp)
ON_UPDATE_COMMAND_UI(ID_MOTION_MOVE_DOWN, &CMC_MotionView::OnUpdateMoveDown)
ON_UPDATE_COMMAND_UI(ID_MOTION_VIEW_CODE, &CMC_MotionView::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(ID_MOTION_IMPORT_GCODE, &CMC_MotionView::OnUpdateImportGcode)
ON_UPDATE_COMMAND_UI_RANGE(ID_MOTION_NEW_FIRST, ID_MOTION_NEW_LAST, &CMC_MotionView::OnUpdateAlways)
END_MESSAGE_MAP()

CObject* CMC_MotionView::CopyObject(CObject* o) {
  if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, o)) return new (std::nothrow) CMC_MotionElem(*e);
  if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, o)) return new (std::nothrow) CMC_MotionGroup(*g);
  return nullptr;
}

// ---- placing new objects ----------------------------------------------------------------------------------

BOOL CMC_MotionView::NewObjectPlace(CMC_MotionGroup*& pGroup, int& nIndex, int& nLevel, DWORD& nRow) {
  CMC_MotionGroup* sequence = GetSelectedGroup();
  if (!sequence) return FALSE;
  CDWordArray rows;
  if (!SelectedRows(rows)) {
    pGroup = sequence, nIndex = (int)sequence->GetSize(), nLevel = 0, nRow = GetRowCount() + 1;
    return TRUE;
  }
  const DWORD last = rows[rows.GetSize() - 1];
  auto* group = DYNAMIC_DOWNCAST(CMC_MotionGroup, GetObjectOfRow(last));
  nLevel = GetTreeNodeAttrib(kLevelAttrib, last), nRow = last + 1;
  if (group && GetTreeNodeAttrib(kStateAttrib, last) == 1) {
    pGroup = group, nIndex = 0, ++nLevel;
    return TRUE;
  }
  if (!GetParentArrayOfRow(last, pGroup, nIndex)) return FALSE;
  ++nIndex;
  return TRUE;
}

// Each object gets one row; a group whose content gets no rows is shown (and kept) collapsed, so
// that the rows stay the image of the model.
void CMC_MotionView::InsertObjects(CMC_MotionGroup* pGroup, int nIndex, CObArray& objects, DWORD nRow, int nLevel,
                                   BOOL bTranslate) {
  const DWORD n = (DWORD)objects.GetSize();
  if (!n) return;
  pGroup->InsertAt(nIndex, &objects);
  // A module may read the program while it translates: the objects are in it by now.
  if (CMC_Motion* motion = bTranslate ? GetMotion() : nullptr)
    for (DWORD i = 0; i < n; ++i) {
      if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, objects[i]))
        motion->Translate(e, FALSE);
      else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, objects[i]))
        motion->Translate(g, FALSE);
    }
  BeginBatch();
  InsertRows(nRow, n, nullptr, nullptr, nullptr, 0, 0);
  for (DWORD i = 0; i < n; ++i) {
    if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, objects[i])) g->m_bExpanded = FALSE;
    UpdateRow(nRow + i, nLevel, objects[i]);
  }
  EndBatch(nRow);
}

BOOL CMC_MotionView::AddNewElemToGrid(CMC_MotionElem* pElem) {
  CMC_MotionGroup* group = nullptr;
  int index = 0, level = 0;
  DWORD row = 0;
  if (!pElem || !NewObjectPlace(group, index, level, row)) return FALSE;
  CObArray one;
  one.Add(pElem);
  InsertObjects(group, index, one, row, level);
  SelectRows(row, row);
  SetCurrentCell(row, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
  return TRUE;
}

BOOL CMC_MotionView::CreateElem(int nModule, BOOL bEdit) {
  CMC_Motion* motion = GetMotion();
  CMC_MotionElem* e = motion ? motion->CreateElement(nModule) : nullptr;
  if (!e) return FALSE;
  CloseActiveEditControl();
  if ((bEdit && !motion->Edit(e)) || !AddNewElemToGrid(e)) {
    delete e;
    return FALSE;
  }
  return TRUE;
}

void CMC_MotionView::OnNew(UINT nID) {
  if (CreateElem((int)(nID - ID_MOTION_NEW_FIRST), TRUE)) Notify();
}

// ---- edit ---------------------------------------------------------------------------------------------------

BOOL CMC_MotionView::EditElem(DWORD nRow) {
  auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, GetObjectOfRow(nRow));
  CMC_Motion* motion = GetMotion();
  if (!e || !motion) return FALSE;
  CloseActiveEditControl();
  if (!motion->Edit(e)) return FALSE;
  UpdateRow(nRow, GetTreeNodeAttrib(kLevelAttrib, nRow), e);
  SetCurrentCell(nRow, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
  return TRUE;
}

void CMC_MotionView::OnEdit() {
  CDWordArray rows;
  if (SelectedRows(rows) == 1 && EditElem(rows[0])) Notify();
}

BOOL CMC_MotionView::OnLButtonDblClkRowCol(ROWCOL nRow, ROWCOL nCol, UINT nFlags, CPoint pt) {
  if (nRow == 0) return CGXGridView::OnLButtonDblClkRowCol(nRow, nCol, nFlags, pt);
  if (EditElem(nRow)) Notify();
  return TRUE;
}

// ---- the module menu, the context menu and help ------------------------------------------------------------

void CMC_MotionView::BuildModulesMenu(CMenu& menu, const CStringArray& classes,
                                      const std::function<void(int, CStringArray&)>& modulesOf) {
  UINT id = ID_MOTION_NEW_FIRST;
  for (int c = 0; c < (int)classes.GetSize() && id <= ID_MOTION_NEW_LAST; ++c) {
    CStringArray names;
    modulesOf(c, names);
    const bool flat = classes[c].IsEmpty() || (names.GetSize() == 1 && names[0] == classes[c]);
    CMenu sub;
    if (!flat) sub.CreatePopupMenu();
    CMenu& target = flat ? menu : sub;
    for (INT_PTR i = 0; i < names.GetSize() && id <= ID_MOTION_NEW_LAST; ++i)
      target.AppendMenu(MF_STRING, id++, names[i]);
    if (!flat) menu.AppendMenu(MF_POPUP, (UINT_PTR)sub.Detach(), classes[c]);
  }
}

void CMC_MotionView::OnInsert() {
  CMC_Motion* motion = GetMotion();
  if (!motion || motion->GetClassesCount() == 0) return;
  CMenu menu;
  menu.CreatePopupMenu();
  BuildModulesMenu(menu, motion->GetClasses(),
                   [motion](int c, CStringArray& names) { motion->GetModulesOfClass(c, names); });
  CPoint pt;
  ::GetCursorPos(&pt);
  CWnd* owner = AfxGetMainWnd();
  menu.TrackPopupMenu(TPM_LEFTALIGN, pt.x, pt.y, owner ? owner : this);
}

BOOL CMC_MotionView::OnRButtonClickedRowCol(ROWCOL, ROWCOL, UINT, CPoint pt) {
  ClientToScreen(&pt);
  if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_CONTEXTMENU, (WPARAM)m_hWnd, MAKELPARAM(pt.x, pt.y));
  return TRUE;
}

void CMC_MotionView::OnHelp() {
  CString file;
  if (GetHelpFileOfModule(AfxGetInstanceHandle(), file)) ::HtmlHelp(m_hWnd, file, 15, kHelpTopic);
}

// ---- delete, enable and disable ------------------------------------------------------------------------------

void CMC_MotionView::OnDelete() {
  CloseActiveEditControl();
  CDWordArray rows;
  DWORD removed = 0;
  for (INT_PTR i = SelectedRows(rows) - 1; i >= 0; --i) {
    CMC_MotionGroup* group = nullptr;
    int index = -1;
    if (!GetParentArrayOfRow(rows[i], group, index)) break;
    const DWORD descendants = GetChildrenCount(rows[i]);
    group->DeleteAt(index, 1);
    RemoveRows(rows[i], rows[i] + descendants, GX_UPDATENOW);
    removed = rows[i];
  }
  // The row that took the place of the first one removed is current, so that Shift+arrows and
  // Shift+clicks extend from there.
  if (removed && GetRowCount())
    SetCurrentCell(std::min<DWORD>(removed, GetRowCount()), 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  Notify();
  SetSelectionState();
}

void CMC_MotionView::OnEnable() { SetEnabled(1); }
void CMC_MotionView::OnDisable() { SetEnabled(0); }

void CMC_MotionView::SetEnabled(int enable) {
  CloseActiveEditControl();
  SetSelectionState();
  for (DWORD r = m_nFirstSelectedRow; r && r <= m_nLastSelectedRow; ++r) {
    CObject* o = GetObjectOfRow(r);
    int* flag = nullptr;
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, o))
      flag = &e->m_bEnabled;
    else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, o))
      flag = &g->m_bEnabled;
    if (!flag || *flag == enable) continue;
    *flag = enable;
    UpdateRow(r, GetTreeNodeAttrib(kLevelAttrib, r), o);
  }
  Notify();
  SetSelectionState();
}

// ---- group and ungroup ----------------------------------------------------------------------------------------
// A command's first row becomes current in column 1 (a header cell cannot be current), so that
// Shift+arrows go on from the rows it leaves selected.

void CMC_MotionView::OnGroup() {
  auto* added = new CMC_MotionGroup("Untitled");
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b)) {
    delete added;
    return;
  }
  CloseActiveEditControl();
  const DWORD first = rows[0], last = rows[rows.GetSize() - 1];
  const int level = GetTreeNodeAttrib(kLevelAttrib, first);
  for (int i = b; i >= a; --i) {
    added->InsertAt(0, parent->GetAt(i));
    parent->RemoveAt(i);
  }
  RemoveRows(first, last + GetChildrenCount(last), GX_UPDATENOW);
  parent->InsertAt(a, static_cast<CObject*>(added));  // the group itself, not its content
  InsertRows(first, 1, nullptr, nullptr, nullptr, 0, GX_UPDATENOW);
  UpdateRow(first, level, added);
  Notify();
  SelectRows(first, first);
  SetCurrentCell(first, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
}

void CMC_MotionView::OnUngroup() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int index = -1;
  if (SelectedRows(rows) != 1 || !GetParentArrayOfRow(rows[0], parent, index)) return;
  auto* group = DYNAMIC_DOWNCAST(CMC_MotionGroup, parent->GetAt(index));
  if (!group) return;
  CloseActiveEditControl();
  const DWORD row = rows[0];
  const int level = GetTreeNodeAttrib(kLevelAttrib, row);
  CObArray children;
  children.Append(*group);
  group->SetSize(0);
  parent->DeleteAt(index, 1);
  RemoveRows(row, row + GetChildrenCount(row), GX_UPDATENOW);
  SetSelection(nullptr);
  if (children.GetSize()) {
    InsertObjects(parent, index, children, row, level);
    SelectRows(row, row + (DWORD)children.GetSize() - 1);
  }
  Notify();
  SetCurrentCell(row, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
}

// ---- move up and down, duplicate --------------------------------------------------------------------------------

void CMC_MotionView::OnMoveUp() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b)) return;
  const DWORD first = rows[0], last = rows[rows.GetSize() - 1];
  const DWORD prev = GetPrevRowOfLevel(first, GetTreeNodeAttrib(kLevelAttrib, first));
  if (a <= 0 || prev == 0) return;
  CloseActiveEditControl();
  CObject* o = parent->GetAt(a - 1);
  parent->RemoveAt(a - 1);
  parent->InsertAt(b, o);
  MoveRows(first, last + GetChildrenCount(last), prev, GX_UPDATENOW);
  Notify();
  SelectRows(prev, prev + (last - first));
  SetCurrentCell(prev, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
}

void CMC_MotionView::OnMoveDown() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b) || b >= (int)parent->GetSize() - 1) return;
  const DWORD first = rows[0], last = rows[rows.GetSize() - 1];
  const DWORD next = GetNextRowOfLevel(last, GetTreeNodeAttrib(kLevelAttrib, last));
  if (next == 0) return;
  const DWORD c = GetChildrenCount(next);
  CloseActiveEditControl();
  CObject* o = parent->GetAt(b + 1);
  parent->RemoveAt(b + 1);
  parent->InsertAt(a, o);
  MoveRows(next, next + c, first, GX_UPDATENOW);
  Notify();
  SelectRows(first + c + 1, last + c + 1);
  SetCurrentCell(first + c + 1, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
}

void CMC_MotionView::OnDuplicate() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b)) return;
  CloseActiveEditControl();
  CObArray copies;
  for (int i = a; i <= b; ++i)
    if (CObject* copy = CopyObject(parent->GetAt(i))) copies.Add(copy);
  const DWORD last = rows[rows.GetSize() - 1], after = last + GetChildrenCount(last) + 1;
  InsertObjects(parent, b + 1, copies, after, GetTreeNodeAttrib(kLevelAttrib, last));
  Notify();
  if (copies.GetSize()) {
    SelectRows(after, after + (DWORD)copies.GetSize() - 1);
    SetCurrentCell(after, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  }
  SetSelectionState();
}

// ---- enabling ---------------------------------------------------------------------------------------------------

void CMC_MotionView::OnUpdateEdit(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nSelectedRows == 1); }
void CMC_MotionView::OnUpdateGroup(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bSiblingRun); }
void CMC_MotionView::OnUpdateDelete(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nSelectedRows >= 1); }
void CMC_MotionView::OnUpdateUngroup(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_nSelectedRows == 1 && DYNAMIC_DOWNCAST(CMC_MotionGroup, GetObjectOfRow(m_nFirstSelectedRow)));
}
void CMC_MotionView::OnUpdateEnable(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bDisabledSelected); }
void CMC_MotionView::OnUpdateDisable(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bEnabledSelected); }
void CMC_MotionView::OnUpdateImport(CCmdUI* pCmdUI) { pCmdUI->Enable(GetSelectedGroup() != nullptr); }
void CMC_MotionView::OnUpdateMoveUp(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nSelectedRows && m_nFirstSelectedRow > 1); }
void CMC_MotionView::OnUpdateMoveDown(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_nSelectedRows && m_nLastSelectedRow < GetRowCount());
}
void CMC_MotionView::OnUpdateImportGcode(CCmdUI* pCmdUI) {
  CMC_Setup* setup = GetSetup();
  pCmdUI->Enable(setup && setup->IsMotionController() && GetSelectedGroup());
}
void CMC_MotionView::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
