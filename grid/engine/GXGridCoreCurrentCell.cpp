// The grid core's current cell: which cell has the caret, what its control is asked before the
// grid lets it go, and how an edit is stored or thrown away.
#include "grid/engine/GXControl.h"
#include "grid/engine/GXGridCore.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

namespace {

// Keys typed ahead must not act on a message box or on the cell the grid stays on.
void DropPendingKeys(HWND hwnd) {
  MSG msg;
  while (::PeekMessage(&msg, hwnd, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
}

}  // namespace

BOOL CGXGridCore::IsCurrentCellActive() {
  CGXControl* control = GetCurrentCellControl();
  return control && control->IsActive();
}

CGXControl* CGXGridCore::GetCurrentCellControl() {
  return IsCurrentCell() ? GetControl(m_nCurrentRow, m_nCurrentCol) : nullptr;
}

void CGXGridCore::SetWarningText(LPCTSTR pszText) { m_strWarningText = pszText ? pszText : ""; }

void CGXGridCore::ShowPendingWarning() {
  if (!m_strWarningText.IsEmpty()) {
    m_bInWarning = TRUE;
    HWND focus = ::GetFocus();
    if (focus) DropPendingKeys(focus);
    ScrollCellInView(m_nCurrentRow, m_nCurrentCol, GX_UPDATENOW);
    AfxMessageBox(m_strWarningText, MB_OK);
    m_bWarningShown = TRUE;
    if (focus && ::IsWindow(focus)) {
      ::SetFocus(focus);
      const HWND grid = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr;
      if (grid && (focus == grid || ::IsChild(grid, focus))) m_bActive = TRUE;
    }
    m_bInWarning = FALSE;
  }
  m_strWarningText.Empty();
}

BOOL CGXGridCore::CanSelectCurrentCell(BOOL bSelect, ROWCOL nNewRow, ROWCOL nNewCol, ROWCOL nOldRow, ROWCOL nOldCol) {
  if (!bSelect) {
    m_strWarningText.Empty();
    CGXControl* control = GetControl(nOldRow, nOldCol);
    if (!control || !control->GetModify()) return TRUE;
    // A refusing control leaves its text through SetWarningText; the grid shows it.
    return control->OnValidate();
  }
  if (nNewRow > GetRowCount() || nNewCol > GetColCount()) return FALSE;
  CGXStyle* style = CreateStyle();
  ComposeStyleRowCol(nNewRow, nNewCol, style, TRUE);
  const BOOL ok = !style->GetIncludeEnabled() || style->GetEnabled();
  RecycleStyle(style);
  return ok;
}

void CGXGridCore::DeactivateCurrentCell(BOOL bSave) {
  ROWCOL r, c;
  if (!GetCurrentCell(r, c)) return;
  CGXControl* control = GetControl(r, c);
  if (!control) return;
  if (bSave && CanSelectCurrentCell(FALSE, r, c, r, c) && control->GetModify()) control->Store();
  control->Deactivate();
}

void CGXGridCore::RefreshCurrentCellControl() {
  if (CGXControl* control = GetCurrentCellControl()) control->RefreshFromCell();
}

void CGXGridCore::OnCurrentCellMoved(ROWCOL nRow, ROWCOL nCol) {
  PushRecordInfo();
  if (nRow == m_nLastNotifiedRow && nCol == m_nLastNotifiedCol) return;
  OnMovedCurrentCell(nRow, nCol);
  m_nLastNotifiedRow = nRow;
  m_nLastNotifiedCol = nCol;
}

void CGXGridCore::OnCellModified(ROWCOL, ROWCOL) {
  if (m_pDocument) m_pDocument->SetModifiedFlag(TRUE);
}

BOOL CGXGridCore::StayOnCurrentCell(CGXControl* oldControl, ROWCOL oldRow, ROWCOL oldCol, HWND hwnd,
                                    BOOL bReactivate) {
  if (m_strWarningText.IsEmpty() && hwnd) {
    ::SetFocus(hwnd);
    m_bActive = TRUE;
  }
  m_nCurrentRow = oldRow, m_nCurrentCol = oldCol;
  m_bCurrentCellValid = TRUE;
  ShowPendingWarning();
  if (bReactivate) {
    if (!oldControl->IsInitAt(oldRow, oldCol)) oldControl->Init(oldRow, oldCol);
    oldControl->SetActive(TRUE);
    oldControl->SetModify(TRUE);
  }
  oldControl->Refresh();
  return FALSE;
}

BOOL CGXGridCore::LeaveCurrentCell(CGXControl* oldControl, ROWCOL oldRow, ROWCOL oldCol, ROWCOL nRow, ROWCOL nCol,
                                   UINT flags, HWND hwnd) {
  if (oldControl->IsActive() && hwnd) DropPendingKeys(hwnd);
  if (!CanSelectCurrentCell(FALSE, nRow, nCol, oldRow, oldCol))
    return StayOnCurrentCell(oldControl, oldRow, oldCol, hwnd, FALSE);
  BOOL bStored = FALSE, bRefused = FALSE;
  // Only an edit that stored what the user changed ends with the notification: a cell merely opened
  // for editing must not act (a view writing its word to the drive) on a text nobody changed.
  if (oldControl->GetModify()) {
    bStored = TRUE;
    bRefused = (oldControl->Store() & 1) == 0;
  }
  if (!bRefused && bStored && !oldControl->OnEndEditing()) bRefused = TRUE;
  if (bRefused) return StayOnCurrentCell(oldControl, oldRow, oldCol, hwnd, TRUE);

  m_bCurrentCellValid = FALSE;
  oldControl->RefreshFromCell();
  oldControl->SetActive(FALSE);
  const BOOL bLeft = oldControl->OnLeftCell(nRow, nCol);
  if (!m_strWarningText.IsEmpty()) ShowPendingWarning();
  if (bLeft) {
    const BOOL bNoRedraw = m_bNoRedraw;
    m_bNoRedraw = TRUE;
    if (bStored) RedrawRowCol(oldRow, oldCol, oldRow, oldCol, 0, FALSE);
    else oldControl->Refresh();
    oldControl->Deactivate();
    if (flags & (GX_UPDATENOW | GX_SMART)) UpdateWindow();
    m_bNoRedraw = bNoRedraw;
  }
  m_pCurrentCellControl = nullptr;
  if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
  return TRUE;
}

BOOL CGXGridCore::BindCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags, HWND hwnd) {
  BOOL bBound = FALSE;
  CGXControl* control = GetControl(nRow, nCol);
  if (m_pParam) m_pParam->m_nCurRow = nRow, m_pParam->m_nCurCol = nCol;
  m_nCurrentRow = nRow, m_nCurrentCol = nCol;
  m_bCurrentCellValid = TRUE;
  m_pCurrentCellControl = control;
  if (!(flags & GX_NOSETFOCUS) && hwnd && ::IsWindowVisible(hwnd) && ::GetFocus() != hwnd) {
    const BOOL bIgnore = m_bIgnoreFocus;
    m_bIgnoreFocus = TRUE;
    ::SetFocus(hwnd);
    m_bIgnoreFocus = bIgnore;
  }
  if (control) {
    control->Init(nRow, nCol);
    OnCurrentCellMoved(nRow, nCol);
    if (flags & GX_DISPLAYEDITWND) control->SetActive(TRUE);
    control->Refresh();
    bBound = TRUE;
  }
  if (flags & GX_SCROLLINVIEW) ScrollCellInView(nRow, nCol, flags & (GX_UPDATENOW | GX_SMART));
  return bBound;
}

void CGXGridCore::RedrawCurrentCellHeaders(int redrawKind, BOOL bOld, ROWCOL oldRow, ROWCOL oldCol, ROWCOL nRow,
                                           ROWCOL nCol, UINT flags) {
  if (redrawKind == 3 || m_bNoRedraw) return;
  if (bOld) RedrawHeaderMarks(redrawKind, oldRow, oldCol, flags);
  RedrawHeaderMarks(redrawKind, nRow, nCol, flags);
}

BOOL CGXGridCore::SetCurrentCell(ROWCOL nRow, ROWCOL nCol, UINT flags) {
  OnTestGridDimension(nRow, nCol);
  // A cell outside the table leaves the current cell where it is.
  if (nRow > GetRowCount() || nCol > GetColCount()) return FALSE;
  CGXRange covered;
  if (GetCoveredCellsRowCol(nRow, nCol, covered)) nRow = covered.m_nTop, nCol = covered.m_nLeft;

  ROWCOL oldRow = 0, oldCol = 0;
  const BOOL bOld = GetCurrentCell(oldRow, oldCol);
  CGXControl* oldControl = bOld ? GetControl(oldRow, oldCol) : nullptr;
  const HWND hwnd = m_pGridWnd ? m_pGridWnd->GetSafeHwnd() : nullptr;
  // Which header marks change: 3 none, 1 the row's, 2 the column's, 0 both.
  int redrawKind = 0;
  if (oldControl && oldRow > GetHeaderRows() && oldCol > GetHeaderCols())
    redrawKind = oldRow == nRow && oldCol == nCol ? 3 : oldRow == nRow ? 1 : oldCol == nCol ? 2 : 0;

  if (oldControl && !LeaveCurrentCell(oldControl, oldRow, oldCol, nRow, nCol, flags, hwnd)) return FALSE;

  BOOL bBound = FALSE;
  if (!CanSelectCurrentCell(TRUE, nRow, nCol, oldRow, oldCol)) {
    if (bOld) {
      m_nCurrentRow = oldRow, m_nCurrentCol = oldCol;
      m_bCurrentCellValid = TRUE;
      if (CGXControl* control = GetControl(oldRow, oldCol)) {
        control->Init(oldRow, oldCol);
        control->Refresh();
      }
    }
    return FALSE;
  }
  if (oldControl && oldRow == nRow && oldCol == nCol && oldControl->IsActive() && m_bCurrentCellValid) {
    if (!ScrollCellInView(nRow, nCol, flags)) oldControl->Refresh();
  } else {
    bBound = BindCurrentCell(nRow, nCol, flags, hwnd);
  }

  if (flags & (GX_UPDATENOW | GX_SMART)) UpdateWindow();
  RedrawCurrentCellHeaders(redrawKind, bOld, oldRow, oldCol, nRow, nCol, flags);
  if (m_pParam && m_pParam->m_bCurrentCellHint && !(flags & GX_NOCURRENTCELLHINT)) {
    CGXGridHint hint(gxHintSetCurrentCell, m_nViewID);
    hint.m_nRow1 = nRow, hint.m_nCol1 = nCol;
    // The other views neither pass it on nor take the focus.
    hint.m_flags = flags | GX_NOSETFOCUS | GX_NOCURRENTCELLHINT;
    SendHint(hint);
  }
  if (m_pParam && m_pParam->m_bSelectionFollowsCurrentCell && !bBound && !(flags & GX_KEEPSELECTION) &&
      !m_pParam->m_SelRects.IsCellInList(nRow, nCol)) {
    SetSelection(nullptr);
    if (nRow > GetHeaderRows() && nCol > GetHeaderCols())
      SelectRange(CGXRange().SetCellRange(nRow, nCol, nRow, nCol), TRUE, TRUE);
  }
  return IsCurrentCell(nRow, nCol);
}

BOOL CGXGridCore::EndCurrentCellEdit(BOOL bStore, UINT flags, BOOL bNotify) {
  BOOL result = TRUE;
  ROWCOL r, c;
  if (GetCurrentCell(r, c)) {
    CGXControl* control = GetControl(r, c);
    if (bStore) {
      if (control && control->IsActive()) result = SetCurrentCell(r, c, flags);
      if (!m_bMovingCurrentCell) {
        if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
        m_pCurrentCellControl = nullptr;
      }
    } else {
      if (!m_bMovingCurrentCell) {
        if (m_pCurrentCellStyle) m_pCurrentCellStyle->Free();
        m_pCurrentCellControl = nullptr;
      }
      if (control && control->IsActive()) {
        control->OnCancelEditing();
        control->Init(r, c);
        control->Refresh();
        control->OnEndEditing();
      }
    }
  }
  if (bNotify && result) {
    CGXGridHint hint(gxHintEndCurrentCellEdit, m_nViewID);
    hint.m_lParam = bStore;
    hint.m_flags = flags;
    hint.m_dwParam = TRUE;
    SendHint(hint);
    result = hint.m_bAccept && hint.m_dwParam;
  }
  return result;
}
