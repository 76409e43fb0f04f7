// Undo and redo of the grid core: the two lists, transactions and the Undo and Redo commands.
#include "grid/engine/GXGridCore.h"

#include "grid/engine/GXOperationProgress.h"
#include "platform/core/Clock.h"
#include "platform/core/Resource.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"

namespace {

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

}  // namespace

CObList* CGXGridCore::ChosenList(GXCmdType ctCmd, BOOL bEmptyRedo) {
  if (ctCmd == CmdDo) {
    if (bEmptyRedo) m_pParam->EmptyRedoList();
    return &m_pParam->m_UndoList;
  }
  return ctCmd == CmdRedo ? &m_pParam->m_UndoList : &m_pParam->m_RedoList;
}

void CGXGridCore::AddCommand(CGXCommand* pCmd, GXCmdType ctCmd) {
  if (!pCmd) return;
  if (!m_pParam) {
    delete pCmd;
    return;
  }
  CObList* list = ChosenList(ctCmd, TRUE);
  if ((m_pParam->m_nTransNesting > 0 || m_bBlockCmdExecuting) && !list->IsEmpty()) {
    if (auto* block = DYNAMIC_DOWNCAST(CGXBlockCmd, list->GetHead())) {
      block->m_CmdList.AddHead(pCmd);
      return;
    }
  }
  if ((DWORD)list->GetCount() > m_pParam->m_nMaxUndo) delete list->RemoveTail();
  pCmd->m_bCCell = GetCurrentCell(pCmd->m_nRow, pCmd->m_nCol);
  list->AddHead(pCmd);
}

void CGXGridCore::RemoveCommand(GXCmdType ctCmd) {
  if (!m_pParam) return;
  CObList* list = ChosenList(ctCmd, FALSE);
  if (list->IsEmpty()) return;
  if (m_pParam->m_nTransNesting > 0 || m_bBlockCmdExecuting) {
    if (auto* block = DYNAMIC_DOWNCAST(CGXBlockCmd, list->GetHead())) list = &block->m_CmdList;
  }
  if (!list->IsEmpty()) delete list->RemoveHead();
}

void CGXGridCore::BeginTrans(LPCTSTR pszDescription) {
  if (!m_pParam) return;
  if (m_pParam->m_nTransNesting == 0 && m_pParam->m_bUndoEnabled) {
    m_strTransName = pszDescription ? pszDescription : "";
    auto* block = new CGXBlockCmd(pszDescription);
    block->m_bCCell = GetCurrentCell(block->m_nRow, block->m_nCol);
    m_pParam->m_UndoList.AddHead(block);
  }
  ++m_pParam->m_nTransNesting;
}

void CGXGridCore::CommitTrans() {
  if (!m_pParam || m_pParam->m_nTransNesting == 0) return;
  if (--m_pParam->m_nTransNesting > 0 || !m_pParam->m_bUndoEnabled) return;
  CObList& undo = m_pParam->m_UndoList;
  if (undo.IsEmpty()) return;
  auto* block = DYNAMIC_DOWNCAST(CGXBlockCmd, undo.GetHead());
  if (block && block->m_CmdList.IsEmpty()) delete undo.RemoveHead();
}

void CGXGridCore::Rollback() {
  if (!m_pParam || m_pParam->m_nTransNesting == 0) return;
  if (--m_pParam->m_nTransNesting > 0 || !m_pParam->m_bUndoEnabled) return;
  m_pParam->m_nTransNesting = 0;
  CObList& undo = m_pParam->m_UndoList;
  if (undo.IsEmpty()) return;
  auto* cmd = static_cast<CGXCommand*>(undo.GetHead());
  cmd->Execute(this, CmdRollback);
  // The block may have been taken off by what it ran; remove it only where it still is.
  if (!undo.IsEmpty() && undo.GetHead() == cmd) delete undo.RemoveHead();
}

void CGXGridCore::SetCurrentCellAfterCommand(ROWCOL nRow, ROWCOL nCol, BOOL bMove) {
  if (m_bBlockCmdExecuting) {
    m_bDeferredCellValid = TRUE;
    m_bDeferredCellMove = bMove;
    m_nDeferredRow = nRow;
    m_nDeferredCol = nCol;
    return;
  }
  if (bMove && !IsCurrentCell(nRow, nCol)) SetCurrentCell(nRow, nCol, GX_UPDATENOW | GX_SCROLLINVIEW);
  else ScrollCellInView(nRow, nCol);
  UpdateWindow();
}

BOOL CGXGridCore::Undo() {
  if (!m_pParam) return FALSE;
  BOOL bHandled = FALSE;
  const BOOL bEditUndone = UndoCurrentCellEdit(bHandled);
  if (bHandled) return bEditUndone;
  CObList& undo = m_pParam->m_UndoList;
  if (undo.IsEmpty()) return FALSE;
  auto* cmd = static_cast<CGXCommand*>(undo.RemoveHead());
  const BOOL bProtect = m_pParam->m_bProtectReadOnly;
  m_pParam->m_bProtectReadOnly = FALSE;
  BOOL ok = FALSE;
  try {
    ok = cmd->Execute(this, CmdUndo);
  } catch (...) {
    m_pParam->m_bProtectReadOnly = bProtect;
    undo.AddHead(cmd);
    throw;
  }
  if (ok) delete cmd;
  else undo.AddHead(cmd);
  m_pParam->m_bProtectReadOnly = bProtect;
  return ok;
}

BOOL CGXGridCore::Redo() {
  if (!m_pParam) return FALSE;
  if (GetCurrentCellControl() && !EndCurrentCellEdit()) return FALSE;
  CObList& redo = m_pParam->m_RedoList;
  if (redo.IsEmpty()) return FALSE;
  auto* cmd = static_cast<CGXCommand*>(redo.RemoveHead());
  const BOOL bProtect = m_pParam->m_bProtectReadOnly;
  m_pParam->m_bProtectReadOnly = FALSE;
  BOOL ok = FALSE;
  try {
    ok = cmd->Execute(this, CmdRedo);
  } catch (...) {
    m_pParam->m_bProtectReadOnly = bProtect;
    redo.AddHead(cmd);
    throw;
  }
  if (ok) {
    if (cmd->m_bCCell) SetCurrentCell(cmd->m_nRow, cmd->m_nCol, GX_UPDATENOW | GX_SCROLLINVIEW);
    delete cmd;
  } else {
    redo.AddHead(cmd);
  }
  m_pParam->m_bProtectReadOnly = bProtect;
  return ok;
}

CString CGXGridCore::MenuPattern(CCmdUI* pCmdUI, UINT nId, CString& cache, LPCTSTR fallback) {
  if (!cache.IsEmpty()) return cache;
  // The third line of the command's string, else the menu's own text, else the fallback.
  const std::string text = LoadText(nId).str();
  size_t start = 0;
  for (int part = 0; part < 2 && start != std::string::npos; ++part) {
    start = text.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start != std::string::npos && start <= text.size()) {
    cache = CString(text.substr(start, text.find('\n', start) - start));
  }
  if (cache.IsEmpty() && pCmdUI && pCmdUI->m_pMenu) {
    char buf[256] = {};
    pCmdUI->m_pMenu->GetMenuString(pCmdUI->m_nID, buf, 255, MF_BYCOMMAND);
    cache = buf;
  }
  if (cache.IsEmpty()) cache = fallback;
  return cache;
}

BOOL CGXGridCore::CanUndo(CCmdUI* pCmdUI) {
  if (!m_pParam) {
    if (pCmdUI) pCmdUI->Enable(FALSE);
    return FALSE;
  }
  const BOOL bModified = IsCurrentCellModified();
  const BOOL bEnable = bModified || !m_pParam->m_UndoList.IsEmpty();
  if (pCmdUI) {
    if (pCmdUI->m_pMenu) {
      CString text = MenuPattern(pCmdUI, ID_EDIT_UNDO, m_strUndoPattern, "Undo %1");
      CString name;
      if (bModified) name = "Current Cell";
      else if (!m_pParam->m_UndoList.IsEmpty()) name = static_cast<CGXCommand*>(m_pParam->m_UndoList.GetHead())->GetName();
      text.Replace("%1", name);
      pCmdUI->SetText(text);
    }
    pCmdUI->Enable(bEnable);
  }
  return bEnable;
}

BOOL CGXGridCore::CanRedo(CCmdUI* pCmdUI) {
  if (!m_pParam) {
    if (pCmdUI) pCmdUI->Enable(FALSE);
    return FALSE;
  }
  const BOOL bEnable = !m_pParam->m_RedoList.IsEmpty();
  if (pCmdUI) {
    if (pCmdUI->m_pMenu) {
      CString text = MenuPattern(pCmdUI, ID_EDIT_REDO, m_strRedoPattern, "Redo %1");
      CString name;
      if (bEnable) name = static_cast<CGXCommand*>(m_pParam->m_RedoList.GetHead())->GetName();
      text.Replace("%1", name);
      pCmdUI->SetText(text);
    }
    pCmdUI->Enable(bEnable);
  }
  return bEnable;
}

// ---- executing a block ---------------------------------------------------------------------------------

BOOL CGXBlockCmd::Execute(CGXGridCore* pGrid, GXCmdType ctCmd) {
  CGXGridParam* param = pGrid->GetParam();
  if (!param) return FALSE;
  CGXOperationProgress progress;
  GXProgressSettings& settings = GXGetProgressSettings();
  CString status = m_strName;
  if (ctCmd == CmdRedo || ctCmd == CmdUndo) {
    status = LoadText(ctCmd == CmdRedo ? 52290 : 52291);
    if (status.IsEmpty()) status = ctCmd == CmdRedo ? "Redoing %1 ..." : "Undoing %1 ...";
    status.Replace("%1", m_strName);
  }
  progress.SetStatusText(status, TRUE);
  // Only a block that can be undone again offers to roll back what it did.
  settings.bOfferRollback = param->m_bUndoEnabled;

  CGXBlockCmd* collecting = nullptr;
  CObList* opposite = nullptr;
  if (ctCmd == CmdRedo || ctCmd == CmdUndo) {
    collecting = new CGXBlockCmd(m_strName);
    collecting->m_nRow = m_nRow;
    collecting->m_nCol = m_nCol;
    collecting->m_bCCell = m_bCCell;
    opposite = ctCmd == CmdRedo ? &param->m_UndoList : &param->m_RedoList;
    opposite->AddHead(collecting);
  }
  const BOOL bWasExecuting = pGrid->m_bBlockCmdExecuting;
  pGrid->m_bBlockCmdExecuting = TRUE;
  pGrid->m_bDeferredCellValid = FALSE;
  const INT_PTR count = m_CmdList.GetCount();
  const BOOL bLock = param->m_bLockUpdate;
  if (count > 1) {
    param->m_bLockUpdate = TRUE;
    // Deeper progress objects keep this status text on the line.
    settings.nDisplayDepth = (DWORD)(settings.nLevel - 1);
  }
  BOOL ok = TRUE;
  const DWORD start = GetTickCount();
  unsigned long long done = 0;
  for (POSITION pos = m_CmdList.GetHeadPosition(); pos;) {
    auto* cmd = static_cast<CGXCommand*>(m_CmdList.GetNext(pos));
    if (!cmd->Execute(pGrid, ctCmd)) {
      ok = FALSE;
      break;
    }
    if (GetTickCount() - start >= settings.nFirstDelay) {
      done += 100;
      settings.nPercent = (DWORD)std::min<unsigned long long>(100, done / (unsigned long long)count);
      progress.DoMessages();
    }
  }
  if (count > 1) {
    param->m_bLockUpdate = bLock;
    settings.nDisplayDepth = 0xFFFFFFFF;
    pGrid->Redraw(GX_UPDATENOW);
  }
  settings.nPercent = 0xFFFFFFFF;
  if (collecting && !ok) {
    POSITION pos = opposite->Find(collecting);
    if (pos) opposite->RemoveAt(pos);
    delete collecting;
  }
  pGrid->m_bBlockCmdExecuting = bWasExecuting;
  if (!bWasExecuting && pGrid->m_bDeferredCellValid) {
    pGrid->m_bDeferredCellValid = FALSE;
    pGrid->SetCurrentCellAfterCommand(pGrid->m_nDeferredRow, pGrid->m_nDeferredCol, pGrid->m_bDeferredCellMove);
  }
  return ok;
}
