#include "kernel/document/MC_Document.h"

#include "comm/MC_Comm.h"
#include "kernel/setup/MC_AxisData.h"
#include "kernel/e2rom/DriveMemory.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/loggers/MC_MultiAxisLogger.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "views/cam/MC_CAMView.h"
#include "views/motion/MC_MotionView.h"

IMPLEMENT_DYNCREATE(CMC_Document, CDocument)

CMC_Document::CMC_Document() = default;
CMC_Document::~CMC_Document() = default;

void CMC_Document::OnChangedInView(CView*, UINT) { SetModifiedFlag(TRUE); }

// Not the memory view: a word typed there is written to the drive when the user ends its edit,
// never by a save or a close.
BOOL CMC_Document::EndEditsInViews() {
  for (POSITION pos = GetFirstViewPosition(); pos;) {
    CView* view = GetNextView(pos);
    if (!view || !view->GetSafeHwnd()) continue;
    if (auto* motion = DYNAMIC_DOWNCAST(CMC_MotionView, view); motion && motion->IsCurrentCellActive())
      motion->CloseActiveEditControl();
    // A value refused keeps its frame open: the user has just been told why.
    if (auto* cam = DYNAMIC_DOWNCAST(CMC_CAMView, view); cam && !cam->TakeTypedValue()) return FALSE;
  }
  return TRUE;
}

BOOL CMC_Document::SaveModified() { return EndEditsInViews() && CDocument::SaveModified(); }

BOOL CMC_Document::DoSave(LPCSTR lpszPathName, BOOL bReplace) {
  return EndEditsInViews() && CDocument::DoSave(lpszPathName, bReplace);
}

CMC_AxisData* CMC_Document::GetAxisData(int) { return nullptr; }

CMC_AxisData* CMC_Document::FindAxisData(const char* name) {
  if (!name || !*name) return nullptr;
  int count = GetAxisCount();
  for (int i = 0; i < count; ++i) {
    CMC_AxisData* axis = GetAxisData(i);
    if (!axis) continue;
    const char* axisName = axis->GetName();
    if (CString(axisName ? axisName : "").CompareNoCase(name) == 0) return axis;
  }
  return nullptr;
}

int CMC_Document::GetAxisDataIdx(CMC_AxisData* axis) {
  if (!axis) return -1;
  int count = GetAxisCount();
  for (int i = 0; i < count; ++i)
    if (GetAxisData(i) == axis) return i;
  return -1;
}

WORD CMC_Document::GetMemoryViewStartAddress() {
  CMC_Setup* setup = GetSetup();
  if (!setup) return m_wMemoryViewStartAddress;
  // Computed in int: a RAM that reaches the top of the address space ends at 0x10000.
  const int ramStart = setup->GetRAMStart();
  const int ramEnd = ramStart + setup->GetRAMSize();
  const int lowest = setup->GetE2ROMSize() ? DriveMemory::kE2ROMStart : ramStart;
  const int address = m_wMemoryViewStartAddress;
  if (address >= lowest && address < ramEnd) return m_wMemoryViewStartAddress;
  int loadToE2ROM = 0, runFromE2ROM = 0;
  WORD zurStart = 0, zurSize = 0, camSize = 0;
  setup->GetMemorySettings(loadToE2ROM, runFromE2ROM, zurStart, zurSize, camSize);
  if (loadToE2ROM && runFromE2ROM)
    m_wMemoryViewStartAddress = DriveMemory::kE2ROMStart;
  else
    m_wMemoryViewStartAddress = (WORD)(ramStart + setup->GetPVTSize());
  return m_wMemoryViewStartAddress;
}

BOOL CMC_Document::OnIdle(LONG& count) {
  BOOL more = FALSE;
  CMC_ControlPanel* panels = GetControlPanel();
  CMC_SingleAxisLogger* logger = GetLogger();
  CMC_MultiAxisLogger* multiLogger = GetMultiAxisLogger();

  if (panels && CMC_ControlPanel::ms_bStarted) {
    if (panels->HasOpenedControlPanels() && panels->ReadPoint() &&
        CMC_Comm::SetActiveBoard((WORD)(GetGlobalSelectedAxis() & 0xFF))) {
      more = TRUE;
      UpdateAllViews(nullptr, HINT_PANELS_POLLED, nullptr);
    } else {
      panels->ClearMemoryArray();
      CMC_ControlPanel::ms_bStarted = 0;
      UpdateAllViews(nullptr, HINT_PANELS_STOPPED, nullptr);
    }
  }

  if (logger && logger->UploadInProgress()) {
    if (logger->ReadPoint(nullptr)) {
      more = TRUE;
      UpdateAllViews(nullptr, HINT_LOGGER_POINT_READ, logger);
    } else {
      UpdateAllViews(nullptr, HINT_LOGGER_UPLOAD_ENDED, logger);
    }
    count = 0;
  }

  if (multiLogger && multiLogger->UploadInProgress()) {
    if (multiLogger->ReadPoint(nullptr)) {
      more = TRUE;
      UpdateAllViews(nullptr, HINT_LOGGER_POINT_READ, multiLogger);
    } else {
      UpdateAllViews(nullptr, HINT_LOGGER_UPLOAD_ENDED, multiLogger);
    }
    count = 0;
  }
  return more;
}
