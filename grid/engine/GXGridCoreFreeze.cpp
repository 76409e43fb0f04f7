// The grid core's selection drag (a selected block of rows or columns dropped elsewhere by its
// header) and freezing a selected block at the front of the table, with the way back.
#include "grid/engine/GXDragLineWnd.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXProperties.h"
#include "platform/ui/MessageQueue.h"

#include <algorithm>

namespace {
// Cursors while selected rows or columns are dragged: over a place they may go, and over one they may not.
constexpr UINT kDragCursor = 23203, kNoDropCursor = 23206;
}  // namespace

BOOL CGXGridCore::OnSelDragRowsStart(ROWCOL, ROWCOL) { return (GetKeyState(VK_CONTROL) & 0x8000) == 0; }

BOOL CGXGridCore::OnSelDragStart(ROWCOL nRow, ROWCOL nCol) {
  if (!m_pParam) return FALSE;
  m_nSelDragRow = std::max<ROWCOL>(nRow, 1), m_nSelDragCol = std::max<ROWCOL>(nCol, 1);
  POSITION pos = m_pParam->m_SelRects.FindRange(nRow, nCol);
  if (!pos) return FALSE;
  const CGXRange& r = *m_pParam->m_SelRects.GetAt(pos);
  if (nRow && OnSelDragRowsStart(r.m_nTop, r.m_nBottom)) m_nSelDragKind = 2;
  else if (!nRow && nCol && OnSelDragColsStart(r.m_nLeft, r.m_nRight)) m_nSelDragKind = 1;
  else return FALSE;
  m_posSelRange = pos;
  SetForcedCursor(kDragCursor);
  m_bSelDragActive = TRUE;
  return TRUE;
}

BOOL CGXGridCore::OnSelDragMove(ROWCOL, ROWCOL, ROWCOL nRow, ROWCOL nCol) {
  if (!m_pParam || !m_posSelRange) return FALSE;
  const BOOL rows = m_nSelDragKind == 2;
  nRow = std::max<ROWCOL>(nRow, 1), nCol = std::max<ROWCOL>(nCol, 1);
  if (rows ? nRow == m_nSelDragRow : nCol == m_nSelDragCol) return TRUE;
  if (m_pDragLineWnd && m_pDragLineWnd->GetSafeHwnd()) m_pDragLineWnd->ShowWindow(SW_HIDE);
  m_nSelDragRow = nRow, m_nSelDragCol = nCol;
  const CGXRange& r = *m_pParam->m_SelRects.GetAt(m_posSelRange);
  if (rows ? !OnSelDragRowsMove(r.m_nTop, r.m_nBottom, nRow) : !OnSelDragColsMove(r.m_nLeft, r.m_nRight, nCol)) {
    SetForcedCursor(kNoDropCursor);
    return TRUE;
  }
  SetForcedCursor(kDragCursor);
  UpdateWindow();
  if (!m_pDragLineWnd && m_pGridWnd && m_pGridWnd->GetSafeHwnd()) {
    m_pDragLineWnd = new CGXDragLineWnd(this);
    const CGXProperties* props = m_pParam->GetProperties();
    m_pDragLineWnd->m_logPen.lopnStyle = PS_SOLID;
    m_pDragLineWnd->m_logPen.lopnWidth.x = 1;
    m_pDragLineWnd->m_logPen.lopnColor = GXResolveColor(props ? props->GetColor(3) : RGB(255, 0, 0));
    if (!m_pDragLineWnd->CreateLine(m_pGridWnd)) DestroyDragLine();
  }
  if (m_pDragLineWnd) {
    // On the line before the target: above its row, left of its column.
    CRect line;
    CalcGridLineRect(&line, rows ? 2 : 1, rows ? GetClientRow(nRow) : GetClientCol(nCol));
    m_pDragLineWnd->MoveWindow(&line);
    m_pDragLineWnd->ShowWindow(SW_SHOWNA);
    m_pDragLineWnd->UpdateWindow();
  }
  return TRUE;
}

BOOL CGXGridCore::OnSelDragDrop(ROWCOL, ROWCOL, ROWCOL nRow, ROWCOL nCol) {
  m_bSelDragActive = FALSE;
  SetForcedCursor(0);
  const BOOL rows = m_nSelDragKind == 2;
  if (!m_pParam || !m_posSelRange || (rows ? nRow == 0 : nCol == 0)) return FALSE;
  DestroyDragLine();
  const CGXRange r = *m_pParam->m_SelRects.GetAt(m_posSelRange);
  const ROWCOL p = std::max<ROWCOL>(nRow, 1), q = std::max<ROWCOL>(nCol, 1);
  const ROWCOL first = rows ? r.m_nTop : r.m_nLeft, last = rows ? r.m_nBottom : r.m_nRight;
  const ROWCOL target = rows ? p : q;
  if (rows ? !(OnSelDragRowsMove(first, last, p) && OnSelDragRowsDrop(first, last, p))
           : !(OnSelDragColsMove(first, last, q) && OnSelDragColsDrop(first, last, q)))
    return FALSE;
  m_nSelDragRow = p, m_nSelDragCol = q;
  // Dropped on itself or just below it: nothing moves.
  if (target >= first && target <= last + 1) return FALSE;
  const ROWCOL dest = target > last ? target - 1 - (last - first) : target;
  return rows ? MoveRows(first, last, dest, GX_UPDATENOW, CmdDo) : MoveCols(first, last, dest, GX_UPDATENOW, CmdDo);
}

BOOL CGXGridCore::OnSelDragCancel() {
  m_bSelDragActive = FALSE;
  m_nSelDragKind = 0;
  DestroyDragLine();
  SetForcedCursor(0);
  m_wMouseAction = 0;
  return TRUE;
}

// ---- freezing -------------------------------------------------------------------------------------------------

BOOL CGXGridCore::SelectedRun(BOOL bRows, ROWCOL& nFirst, ROWCOL& nLast) {
  if (!m_pParam) return FALSE;
  CDWordArray from, to;
  const CGXRangeList& sel = m_pParam->m_SelRects;
  if (!(bRows ? sel.GetRowArray(GetRowCount(), from, to, TRUE) : sel.GetColArray(GetColCount(), from, to, TRUE)) ||
      from.GetSize() != 1)
    return FALSE;
  nFirst = from[0], nLast = to[0];
  return TRUE;
}

BOOL CGXGridCore::CanFreezeCols() {
  ROWCOL a, b;
  return m_pParam && m_pParam->m_nFrozenCols == 0 && SelectedRun(FALSE, a, b);
}
BOOL CGXGridCore::CanFreezeRows() {
  ROWCOL a, b;
  return m_pParam && m_pParam->m_nFrozenRows == 0 && SelectedRun(TRUE, a, b);
}
BOOL CGXGridCore::CanUnfreezeCols() { return m_pParam && GetFrozenCols() != 0; }
BOOL CGXGridCore::CanUnfreezeRows() { return m_pParam && GetFrozenRows() != 0; }
void CGXGridCore::FreezeCols() { DoFreeze(FALSE); }
void CGXGridCore::FreezeRows() { DoFreeze(TRUE); }

void CGXGridCore::DoFreeze(BOOL bRows) {
  ROWCOL first, last;
  if (!(bRows ? CanFreezeRows() : CanFreezeCols()) || !SelectedRun(bRows, first, last)) return;
  const ROWCOL h = bRows ? GetHeaderRows() : GetHeaderCols();
  BeginTrans(bRows ? "Freeze Rows" : "Freeze Columns");
  const BOOL oldLock = m_pParam->m_bLockUpdate;
  m_pParam->m_bLockUpdate = TRUE;
  SetSelection(nullptr);
  first = std::max(first, h + 1);
  if (first <= last) {
    if (first > h + 1)
      bRows ? MoveRows(first, last, h + 1, GX_UPDATENOW, CmdDo) : MoveCols(first, last, h + 1, GX_UPDATENOW, CmdDo);
    DWORD* save = bRows ? m_pParam->m_aFreezeRowsSave : m_pParam->m_aFreezeColsSave;
    save[0] = h + 1, save[1] = last - first + 1, save[2] = first;
    bRows ? SetFrozenRows(last - first + 1, 0, GX_UPDATENOW, CmdDo) : SetFrozenCols(last - first + 1, 0, GX_UPDATENOW, CmdDo);
  }
  m_pParam->m_bLockUpdate = oldLock;
  Redraw(GX_UPDATENOW);
  CommitTrans();
}

// The block goes back from the saved first position (through its last) to where it came from.
void CGXGridCore::UnfreezeCols() {
  if (!CanUnfreezeCols()) return;
  const DWORD* save = m_pParam->m_aFreezeColsSave;
  const BOOL oldLock = m_pParam->m_bLockUpdate;
  m_pParam->m_bLockUpdate = TRUE;
  BeginTrans("Freeze Columns");
  if (save[0] != save[2] && save[1]) MoveCols(save[0], save[0] + save[1] - 1, save[2], GX_UPDATENOW, CmdDo);
  SetFrozenCols(0, 0, GX_UPDATENOW, CmdDo);
  m_pParam->m_bLockUpdate = oldLock;
  Redraw(GX_UPDATENOW);
  CommitTrans();
}

// No transaction: undo takes the two steps back one by one.
void CGXGridCore::UnfreezeRows() {
  if (!CanUnfreezeRows()) return;
  const DWORD* save = m_pParam->m_aFreezeRowsSave;
  SetFrozenRows(0, 0, GX_UPDATENOW, CmdDo);
  if (save[0] != save[2] && save[1]) MoveRows(save[0], save[0] + save[1] - 1, save[2], GX_UPDATENOW, CmdDo);
}
