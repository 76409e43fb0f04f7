// Find and replace in the current cell's column, driven by the process's one find/replace dialog.
#include "grid/engine/GXCommand.h"
#include "grid/engine/GXControl.h"
#include "grid/engine/GXFindReplaceState.h"
#include "grid/engine/GXGridCore.h"
#include "grid/engine/GXOperationProgress.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

void StoreSearch(LPCTSTR pszFind, BOOL bDown, BOOL bCase) {
  GXFindReplaceState& state = GXGetFindReplaceState();
  state.strFind = pszFind ? pszFind : "";
  state.bCase = bCase;
  state.bNext = bDown;
  std::string upper = state.strFind.str();
  if (!bCase) GXFoldUpper(upper);
  state.strFindUpper = CString(upper);
}

// The open dialog; null once its window is gone.
CFindReplaceDialog* OpenDialog(GXFindReplaceState& state) {
  if (state.pDialog && CWnd::FromHandlePermanent(state.hDialog) != state.pDialog) state.pDialog = nullptr;
  return state.pDialog;
}

// Reports progress when due; true when the user aborted.
bool RowAborted(CGXOperationProgress& progress, unsigned long long& counter, ROWCOL denominator) {
  counter += 100;
  GXGetProgressSettings().nPercent = (DWORD)std::min<unsigned long long>(100, counter / std::max<ROWCOL>(1, denominator));
  BOOL abort = FALSE;
  return progress.CheckAbort(abort) && abort;
}

// A control that took no selection (it cannot edit in place) gets its whole text back with only
// the first match replaced.
void ReplaceFirstMatch(CGXControl& control, const GXFindReplaceState& state) {
  if (control.IsActive()) {
    control.ReplaceSelectedText(state.strReplace);
    return;
  }
  CString text, out;
  control.GetCurrentText(text);
  if (CGXControl::ReplaceMatches(state, text, 0, false, out)) control.ReplaceSelectedText(out);
}

// The cells' styles before a Replace All, for its undo. A style that is only a value (the usual
// cell) is kept as its text and made again when the command first runs: a replace over many cells
// then costs no style for each.
class CReplacedCellsCmd : public CGXSetStyleRangeCmd {
 public:
  CReplacedCellsCmd() : CGXSetStyleRangeCmd(CGXRange(), 0, nullptr) {}
  ~CReplacedCellsCmd() override {
    for (Cell& c : m_cells) delete c.style;
  }
  // `before` null: the cell had no style of its own.
  void Keep(const CGXStyle* before) {
    Cell c;
    if (before && typeid(*before) == typeid(CGXStyle) && before->GetIncludeMask() == CGXStyle::inclValue) {
      const std::string& value = before->GetValue().str();
      c.at = m_texts.size(), c.length = value.size();
      m_texts += value;
    } else if (before) {
      c.style = before->Clone();
    }
    m_cells.push_back(c);
  }
  ROWCOL Count() const { return (ROWCOL)m_cells.size(); }
  BOOL Execute(CGXGridCore* pGrid, GXCmdType ctCmd) override {
    if (!m_pStyles) {
      auto* styles = new CObArray;
      styles->SetSize((INT_PTR)m_cells.size());
      for (size_t i = 0; i < m_cells.size(); ++i) {
        Cell& c = m_cells[i];
        if (c.at != kNoText) {
          c.style = pGrid->CreateStyle();
          c.style->SetValue(CString(m_texts.substr(c.at, c.length)));
        }
        (*styles)[(INT_PTR)i] = c.style;
        c.style = nullptr;
      }
      m_cells.clear();
      m_texts.clear();
      m_pStyles = styles;
    }
    return CGXSetStyleRangeCmd::Execute(pGrid, ctCmd);
  }

 private:
  static constexpr size_t kNoText = (size_t)-1;
  // A whole style, a value at `at` in m_texts, or neither: no style of its own.
  struct Cell {
    CGXStyle* style = nullptr;
    size_t at = kNoText, length = 0;
  };
  std::vector<Cell> m_cells;
  std::string m_texts;
};

}  // namespace

void GXShowFindReplaceDialog(BOOL bFindOnly, LPCTSTR pszFind, CWnd* pParent) {
  GXFindReplaceState& state = GXGetFindReplaceState();
  if (OpenDialog(state)) {
    if (state.bFindOnly == bFindOnly) {
      state.pDialog->SetActiveWindow();
      state.pDialog->ShowWindow(SW_SHOW);
      return;
    }
    state.pDialog->SendMessage(WM_CLOSE);
    state.pDialog = nullptr;
  }
  auto* dialog = new CFindReplaceDialog;
  DWORD flags = FR_HIDEWHOLEWORD;
  if (state.bNext) flags |= FR_DOWN;
  if (state.bCase) flags |= FR_MATCHCASE;
  if (!dialog->Create(bFindOnly, pszFind, state.strReplace, flags, pParent)) {
    delete dialog;
    return;
  }
  state.pDialog = dialog;
  state.hDialog = dialog->GetSafeHwnd();
  state.bFindOnly = bFindOnly;
}

void GXForgetFindReplaceOwner(CGXGridCore* pGrid) {
  GXFindReplaceState& state = GXGetFindReplaceState();
  if (state.pGrid != pGrid) return;
  if (CFindReplaceDialog* dialog = OpenDialog(state)) dialog->SendMessage(WM_CLOSE);
  state.pDialog = nullptr;
  state.pGrid = nullptr;
}

void CGXGridCore::OnTextNotFound(LPCTSTR) { ::MessageBeep(0); }

void CGXGridCore::OnShowFindReplaceDialog(BOOL bFindOnly) {
  if (!GetRowCount() || !GetColCount()) return;
  GXFindReplaceState& state = GXGetFindReplaceState();
  state.pGrid = this;
  ROWCOL row, col;
  if (!GetCurrentCell(row, col)) {
    SetCurrentCell(std::min(GetTopRow(), GetRowCount()), std::min(GetLeftCol(), GetColCount()));
  } else {
    ScrollCellInView(row, col);
  }
  CString text;
  CGXControl* control = GetCurrentCellControl();
  if (control) control->GetSelectedText(text);
  if (text.IsEmpty()) text = state.strFind;
  GXShowFindReplaceDialog(bFindOnly, text, m_pGridWnd);
}

void CGXGridCore::OnFindReplace(CFindReplaceDialog* pDialog) {
  GXFindReplaceState& state = GXGetFindReplaceState();
  if (state.pGrid && state.pGrid != this) return state.pGrid->OnFindReplace(pDialog);
  if (!pDialog) return;
  const CString find = pDialog->GetFindString();
  if (pDialog->IsTerminating()) {
    state.pDialog = nullptr;
  } else if (pDialog->FindNext()) {
    FindText(find, pDialog->SearchDown(), pDialog->MatchCase());
  } else if (pDialog->ReplaceCurrent()) {
    ReplaceText(find, pDialog->SearchDown(), pDialog->MatchCase(), pDialog->GetReplaceString());
  } else if (pDialog->ReplaceAll()) {
    state.bTransaction = TRUE;
    ReplaceAll(find, pDialog->GetReplaceString(), pDialog->MatchCase());
  }
}

BOOL CGXGridCore::FindText(LPCTSTR pszFind, BOOL bDown, BOOL bCase) {
  if (!GetRowCount() || !GetColCount()) return FALSE;
  StoreSearch(pszFind, bDown, bCase);
  return FindNext(TRUE);
}

BOOL CGXGridCore::FindNext(BOOL bInteractive) {
  ROWCOL row, col;
  if (!GetCurrentCell(row, col)) return FALSE;
  GXFindReplaceState& state = GXGetFindReplaceState();
  CGXOperationProgress progress;
  m_nFindRow = row;
  CGXControl* control = GetCurrentCellControl();
  BOOL found = control && control->FindText(state, row, col, FALSE, TRUE);
  if (!found) found = FindInRows(row, col, bInteractive);
  if (!found && bInteractive) OnTextNotFound(state.strFind);
  return found;
}

BOOL CGXGridCore::FindInRows(ROWCOL nRow, ROWCOL nCol, BOOL bInteractive) {
  GXFindReplaceState& state = GXGetFindReplaceState();
  const ROWCOL rows = GetRowCount();
  CGXOperationProgress progress;
  progress.SetStatusText("Searching values ...");
  const ROWCOL denominator = state.bNext ? (rows > nRow ? rows - nRow : 0) : nRow;
  unsigned long long counter = 0;
  CGXStyle* style = CreateStyle();
  BOOL found = FALSE;
  // Never wraps: row 0 upwards and the row after the last end the search.
  for (ROWCOL row = state.bNext ? nRow + 1 : nRow - 1; row >= 1 && row <= rows; row = state.bNext ? row + 1 : row - 1) {
    if (RowAborted(progress, counter, denominator)) break;
    style->Free();
    ComposeStyleRowCol(row, nCol, style);
    CGXControl* control = GetRegisteredControl(style->GetControl());
    state.pStyle = style;
    found = control && control->FindText(state, row, nCol, TRUE, bInteractive);
    state.pStyle = nullptr;
    if (found) break;
  }
  RecycleStyle(style);
  return found;
}

void CGXGridCore::ReplaceText(LPCTSTR pszFind, BOOL bDown, BOOL bCase, LPCTSTR pszReplace) {
  ROWCOL row, col;
  if (!GetRowCount() || !GetColCount() || !GetCurrentCell(row, col)) return;
  StoreSearch(pszFind, bDown, bCase);
  GXFindReplaceState& state = GXGetFindReplaceState();
  state.strReplace = pszReplace ? pszReplace : "";
  CGXOperationProgress progress;
  m_nFindRow = row;
  CGXControl* control = GetCurrentCellControl();
  BOOL found = FALSE;
  // Only the match at the current position goes: it is selected first, which activates the cell.
  if (control && control->FindText(state, row, col, TRUE, TRUE) && (control = GetCurrentCellControl()) != nullptr) {
    ReplaceFirstMatch(*control, state);
    control = GetCurrentCellControl();
    found = control && control->FindText(state, row, col, TRUE, FALSE) && control->FindText(state, row, col, TRUE, TRUE);
  }
  if (!found) found = FindInRows(row, col, TRUE);
  if (!found) OnTextNotFound(state.strFind);
}

void CGXGridCore::ReplaceAll(LPCTSTR pszFind, LPCTSTR pszReplace, BOOL bCase) {
  ROWCOL row, col;
  if (!GetRowCount() || !GetColCount() || !GetCurrentCell(row, col)) return;
  StoreSearch(pszFind, TRUE, bCase);
  GXFindReplaceState& state = GXGetFindReplaceState();
  state.strReplace = pszReplace ? pszReplace : "";
  CGXOperationProgress progress;
  progress.SetStatusText("Replacing values ...");
  GXProgressSettings& settings = GXGetProgressSettings();
  const DWORD oldDepth = settings.nDisplayDepth;
  settings.nDisplayDepth = (DWORD)settings.nLevel;
  settings.bOfferRollback = TRUE;
  if (state.bTransaction) BeginTrans(LoadText(52307));
  m_nFindRow = row;
  settings.bAbortConfirmed = settings.bRollbackRequested = FALSE;
  const ROWCOL rows = GetRowCount();
  unsigned long long counter = 0;
  bool aborted = false, replaced = false;
  ROWCOL last = row;
  // The cells repaint once, when all are replaced. Their undo is kept here, one command for each run
  // of replaced rows, rather than by each cell's store.
  const BOOL oldLock = m_pParam->m_bLockUpdate, undoEnabled = m_pParam->m_bUndoEnabled;
  m_pParam->m_bLockUpdate = TRUE;
  m_pParam->m_bUndoEnabled = FALSE;
  std::unique_ptr<CReplacedCellsCmd> run;
  ROWCOL runTop = 0;
  auto endRun = [&] {
    if (!run) return;
    run->m_range = CGXRange().SetCellRange(runTop, col, runTop + run->Count() - 1, col);
    AddCommand(run.release(), CmdDo);
  };
  CGXStyle* style = CreateStyle();
  CGXStyle* before = undoEnabled ? CreateStyle() : nullptr;
  for (ROWCOL r = row; r <= rows && r != 0; ++r) {
    if (RowAborted(progress, counter, rows - row + 1)) {
      aborted = true;
      break;
    }
    style->Free();
    ComposeStyleRowCol(r, col, style);
    CGXControl* control = GetRegisteredControl(style->GetControl());
    bool had = false;
    if (before) {
      before->Free();
      had = GetStyleRowCol(r, col, *before, 2, 0);
    }
    // A read-only cell keeps its text, as it refuses typing and a single Replace.
    const bool locked = m_pParam->m_bProtectReadOnly && (IsReadOnly() || style->GetReadOnly());
    state.pStyle = style;
    m_pPreparedStyle = style;  // the cell's store need not compose it again
    const bool here = control && !locked && control->ReplaceAll(state, r, col);
    m_pPreparedStyle = nullptr;
    state.pStyle = nullptr;
    if (here) replaced = true, last = r;
    if (here && undoEnabled) {
      if (!run) run.reset(new CReplacedCellsCmd), runTop = r;
      run->Keep(had ? before : nullptr);
    } else {
      endRun();
    }
  }
  endRun();
  RecycleStyle(style);
  if (before) RecycleStyle(before);
  m_pParam->m_bUndoEnabled = undoEnabled;
  m_pParam->m_bLockUpdate = oldLock;
  settings.nPercent = 0xFFFFFFFF;
  settings.nDisplayDepth = oldDepth;
  if (!aborted && !replaced) OnTextNotFound(state.strFind);
  if (state.bTransaction) {
    if (aborted && settings.bRollbackRequested) Rollback();
    else CommitTrans();
  }
  if (replaced) {
    SetModifiedFlag(TRUE);
    UpdateStyleRange(CGXRange().SetCellRange(row, col, last, col), nullptr, 0, 0, GX_UPDATENOW, TRUE);
  }
}
