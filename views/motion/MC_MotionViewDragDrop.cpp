// Dragging selected rows of the motion view: a plain drag moves the block of siblings, Shift alone
// copies it; the model changes first, then the grid moves (or the view inserts) the rows.
#include "motion/model/MC_Motion.h"
#include "platform/ui/MessageQueue.h"
#include "views/motion/MC_MotionView.h"

BOOL CMC_MotionView::IsCopyGesture() const {
  auto down = [](int vk) { return (::GetKeyState(vk) & 0x8000) != 0; };
  return !down(VK_MENU) && down(VK_SHIFT) && !down(VK_CONTROL);
}

// Rows dragged whole show the view's cursors; any other drag keeps the cursor the grid shows.
void CMC_MotionView::SetDragCursor() {
  if (m_nSelDragKind != 2) return;
  if (HCURSOR cursor = IsCopyGesture() ? m_hDragCopyCursor : m_hDragMoveCursor) ::SetCursor(cursor);
}

BOOL CMC_MotionView::OnSelDragStart(ROWCOL nRow, ROWCOL nCol) {
  // The grid moves the one range under the mouse, the drop every selected row: a block selected as
  // several ranges becomes one range first, so that rows and objects move together.
  CDWordArray rows;
  if (nRow && GetParam() && GetParam()->m_SelRects.GetCount() > 1 && SelectedRows(rows) &&
      (DWORD)rows.GetSize() == rows[rows.GetSize() - 1] - rows[0] + 1)
    SelectRows(rows[0], rows[rows.GetSize() - 1]);
  const BOOL ok = CGXGridView::OnSelDragStart(nRow, nCol);
  if (ok) SetDragCursor();
  return ok;
}

BOOL CMC_MotionView::OnSelDragMove(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nRow, ROWCOL nCol) {
  const BOOL ok = CGXGridView::OnSelDragMove(nStartRow, nStartCol, nRow, nCol);
  if (ok) SetDragCursor();
  return ok;
}

BOOL CMC_MotionView::DropTarget(DWORD nDropRow, CMC_MotionGroup*& pGroup, int& nIndex, int& nLevel) {
  if (nDropRow == 1) {
    pGroup = GetSelectedGroup(), nIndex = 0, nLevel = 0;
    return pGroup != nullptr;
  }
  const DWORD above = nDropRow - 1;
  CObject* o = GetObjectOfRow(above);
  nLevel = GetTreeNodeAttrib(kLevelAttrib, above);
  if (GetTreeNodeAttrib(kStateAttrib, above) == 1) {
    pGroup = DYNAMIC_DOWNCAST(CMC_MotionGroup, o), nIndex = 0, ++nLevel;
    return pGroup != nullptr;
  }
  if (!GetParentArrayOfRow(above, pGroup, nIndex)) return FALSE;
  ++nIndex;
  return TRUE;
}

BOOL CMC_MotionView::OnSelDragDrop(ROWCOL nStartRow, ROWCOL nStartCol, ROWCOL nDropRow, ROWCOL nDropCol) {
  if (nStartRow == 0 || nStartRow == nDropRow)
    return CGXGridView::OnSelDragDrop(nStartRow, nStartCol, nDropRow, nDropCol);
  CloseActiveEditControl();
  CDWordArray rows;
  if (!GetSelectedGroup() || nDropRow == 0 || !SelectedRows(rows)) return FALSE;
  const DWORD first = rows[0], last = rows[rows.GetSize() - 1];
  // The grid moves one range of rows: a selection with gaps would part rows and model.
  if ((DWORD)rows.GetSize() != last - first + 1) return FALSE;
  // Onto itself, as a press on a selected header lets go without a move: neither moved nor copied.
  if (nDropRow >= first && nDropRow <= last) return FALSE;
  const BOOL copy = IsCopyGesture();
  CMC_MotionGroup *target = nullptr, *source = nullptr;
  int index = 0, level = 0, a = 0, b = 0;
  if (!DropTarget(nDropRow, target, index, level)) return FALSE;
  if (!GetParentArrayOfRows(first, last, source, a, b) || a < 0 || b >= source->GetSize() || GetChildrenCount(last))
    return FALSE;

  if (copy) {
    CMC_MotionGroup copies("");
    for (int i = a; i <= b; ++i) {
      CObject* c = CopyObject(source->GetAt(i));
      if (!c) return FALSE;  // the copies made so far die with the group
      copies.Add(c);
    }
    InsertObjects(target, index, copies, nDropRow, level);
    copies.SetSize(0);
    SelectRows(nDropRow, nDropRow + (last - first));
    SetSelectionState();
    Notify();
    return FALSE;
  }

  // Dropped right below an open empty group that ends the block: the group would hold itself.
  for (int i = a; i <= b; ++i)
    if (source->GetAt(i) == target) return FALSE;
  if (target != source || index < a || index > b) {
    CObArray moved;
    for (int i = b; i >= a; --i) {
      moved.InsertAt(0, source->GetAt(i));
      source->RemoveAt(i);
    }
    if (target == source && a < index) index -= b - a + 1;
    for (DWORD r = last; r >= first; --r) SetTreeNodeAttrib(kLevelAttrib, r, level);
    target->InsertAt(index, &moved);
  }
  const BOOL dropped = CGXGridView::OnSelDragDrop(nStartRow, nStartCol, nDropRow, nDropCol);
  // Taken from the rows the grid moved and selected, where they are now.
  SetSelectionState();
  Notify();
  return dropped;
}
