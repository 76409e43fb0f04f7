#include "monitor/panels/MC_ControlPanel.h"

#include "kernel/document/MC_Document.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "platform/core/StringArray.h"
#include "platform/ui/WinApp.h"

int CMC_ControlPanel::ms_bInCustomize = 0;
int CMC_ControlPanel::ms_bStarted = 0;

CMC_ControlPanel::CMC_ControlPanel() : m_cache(1) {}

CMC_ControlPanel::CMC_ControlPanel(const CMC_ControlPanel& other) : CObject(), m_cache(1) { *this = other; }

CMC_ControlPanel& CMC_ControlPanel::operator=(const CMC_ControlPanel& other) {
  if (this == &other) return *this;
  // A frame must not outlive the panel it shows.
  CloseAllFrames();
  m_cache = other.m_cache;
  m_nState = other.m_nState;
  m_aPanels.CopyDuplicatedElements(other.m_aPanels);
  return *this;
}

// A frame must not outlive the panel it shows, here as in operator=.
CMC_ControlPanel::~CMC_ControlPanel() { CloseAllFrames(); }

int CMC_ControlPanel::FindFrame(int index) { return IsValidIndex(index) && m_aPanels[index]->m_pFrame != nullptr; }

int CMC_ControlPanel::FindFrame(CMC_ControlPanelFrame* frame) {
  if (!frame) return -1;
  for (int i = 0; i < m_aPanels.GetSize(); ++i)
    if (m_aPanels[i] && m_aPanels[i]->m_pFrame == frame) return i;
  return -1;
}

int CMC_ControlPanel::HasOpenedControlPanels() {
  for (int i = 0; i < m_aPanels.GetSize(); ++i)
    if (m_aPanels[i] && m_aPanels[i]->m_pFrame) return TRUE;
  return FALSE;
}

int CMC_ControlPanel::HasValidOpenedControlPanels() {
  for (int i = 0; i < m_aPanels.GetSize(); ++i)
    if (m_aPanels[i] && m_aPanels[i]->m_pFrame && m_aPanels[i]->HasValidVars()) return TRUE;
  return FALSE;
}

namespace {

CMC_ControlPanelDocTemplate* FindPanelTemplate() {
  CWinApp* app = AfxGetApp();
  POSITION pos = app ? app->GetFirstDocTemplatePosition() : nullptr;
  while (pos)
    if (auto* found = DYNAMIC_DOWNCAST(CMC_ControlPanelDocTemplate, app->GetNextDocTemplate(pos))) return found;
  return nullptr;
}

}  // namespace

int CMC_ControlPanel::OpenFrame(int index, CMC_Document* doc) {
  if (!IsValidIndex(index)) return FALSE;
  CControlPanelItemArray* panel = m_aPanels[index];
  if (panel->m_pFrame) return TRUE;
  if (!doc) return FALSE;
  CWaitCursor wait;
  auto* main = DYNAMIC_DOWNCAST(CMDIFrameWnd, AfxGetMainWnd());
  CFrameWnd* active = main ? main->MDIGetActive() : nullptr;
  CMC_ControlPanelDocTemplate* panelTemplate = FindPanelTemplate();
  if (!panelTemplate) return FALSE;
  panel->LocateVars(doc->GetSetup(), doc->GetCoffFile());
  CMC_ControlPanelFrame* frame = panelTemplate->CreateNewFrame(doc, active, panel);
  if (!frame || !panel->m_pFrame) return FALSE;
  panelTemplate->InitialUpdateFrame(frame, doc, TRUE);
  return TRUE;
}

int CMC_ControlPanel::CloseFrame(int index) {
  if (!IsValidIndex(index)) return FALSE;
  // The view's destruction clears the panel's frame.
  if (CMC_ControlPanelFrame* frame = m_aPanels[index]->m_pFrame) frame->DestroyWindow();
  return TRUE;
}

int CMC_ControlPanel::CloseAllFrames() {
  for (int i = 0; i < m_aPanels.GetSize(); ++i)
    if (m_aPanels[i] && m_aPanels[i]->m_pFrame) CloseFrame(i);
  return TRUE;
}

int CMC_ControlPanel::DeleteFrame(int index) {
  if (!CloseFrame(index)) return FALSE;
  m_aPanels.RemoveAt(index);
  return TRUE;
}

int CMC_ControlPanel::RenameFrame(int index, const char* name) {
  if (!IsValidIndex(index)) return FALSE;
  CControlPanelItemArray* panel = m_aPanels[index];
  panel->m_strName = name ? name : "";
  if (panel->m_pFrame) panel->m_pFrame->OnUpdateFrameTitle(FALSE);
  return TRUE;
}

int CMC_ControlPanel::AddNewPanel(CMC_Document* doc, bool fromFile) {
  auto* panel = new CControlPanelItemArray("");
  CStringArray names = m_aPanels.TitlesInUse(nullptr);
  if ((fromFile && !panel->LoadFromFile()) || !panel->EditProperties(names)) {
    delete panel;
    return FALSE;
  }
  return OpenFrame(m_aPanels.Add(panel), doc);
}

int CMC_ControlPanel::CreateEmptyFrame(CMC_Document* doc) { return AddNewPanel(doc, false); }
int CMC_ControlPanel::CreateFrameFromFile(CMC_Document* doc) { return AddNewPanel(doc, true); }

void CMC_ControlPanel::BuildMemoryArray(CMC_Document* doc) {
  m_cache.Reset();
  if (!doc) return;
  for (int i = 0; i < m_aPanels.GetSize(); ++i) {
    CControlPanelItemArray* panel = m_aPanels[i];
    if (!panel || !panel->m_pFrame) continue;
    panel->LocateVars(doc->GetSetup(), doc->GetCoffFile());
    for (int k = 0; k < panel->GetSize(); ++k) {
      CControlPanelItem* item = panel->GetAt(k);
      if (item && !item->m_bDisabled) item->RegisterAddresses(m_cache);
    }
  }
}

void CMC_ControlPanel::ClearMemoryArray() { m_cache.Reset(); }

int CMC_ControlPanel::ReadPoint() {
  if (!m_cache.ReadValues(FALSE)) return FALSE;
  for (int i = 0; i < m_aPanels.GetSize(); ++i) {
    CControlPanelItemArray* panel = m_aPanels[i];
    if (!panel || !panel->m_pFrame) continue;
    for (int k = 0; k < panel->GetSize(); ++k) {
      CControlPanelItem* item = panel->GetAt(k);
      if (item && !item->m_bDisabled) item->UpdateValues(m_cache);
    }
  }
  return TRUE;
}

void CMC_ControlPanel::InvalidateMemory(unsigned char axis, unsigned short address, int count) {
  m_cache.Invalidate(axis, address, count);
}

void CMC_ControlPanel::SetupWasReplaced(CMC_Document* doc) {
  if (ms_bStarted) {
    BuildMemoryArray(doc);
    return;
  }
  if (!doc) return;
  for (int i = 0; i < m_aPanels.GetSize(); ++i)
    if (CControlPanelItemArray* panel = m_aPanels[i]) panel->LocateVars(doc->GetSetup(), doc->GetCoffFile());
}

void CMC_ControlPanel::Reset() {
  ms_bInCustomize = 0;
  ms_bStarted = 0;
  m_nState = 0;
  CloseAllFrames();
  m_aPanels.RemoveAll();
  m_cache.Reset();
}
