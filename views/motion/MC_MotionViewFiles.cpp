// The motion view's outside exchanges: motion sequence files, the G-code import and the viewer of
// the generated code.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "platform/ui/CommonDialogs.h"
#include "views/gcode/ImportGcodeDlg.h"
#include "views/motion/MC_MotionView.h"
#include "views/motion/ViewGeneratedCodeDlg.h"

#include <cstdio>

namespace {

const char kSequenceExt[] = "msq";
const UINT IDS_CANNOT_OPEN = 20001;

// A folder is not a sequence file, though the C library would open it for reading.
FILE* OpenSequenceFile(const CString& path, const char* mode) {
  const DWORD attributes = GetFileAttributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  return fopen(ResolvePath(path).c_str(), mode);
}

}  // namespace

// The file dialog for motion sequence files, started in the kernel's "Motion Sequences" folder.
BOOL PromptMotionSequenceFile(BOOL bOpen, CString& strPath, CString* pTitle) {
  CString filter;
  filter.Format("Motion Sequences (*.%s)|*.%s|All Files (*.*)|*.*||", kSequenceExt, kSequenceExt);
  const CString folder = GetKernelDirectory() + "Motion Sequences";
  CFileDialog dlg(bOpen, kSequenceExt, bOpen ? nullptr : strPath.GetString(), bOpen ? 0x1004 : 0x806, filter);
  dlg.m_ofn.lpstrInitialDir = folder;
  if (dlg.DoModal() != IDOK) return FALSE;
  strPath = dlg.GetPathName();
  if (pTitle) *pTitle = dlg.GetFileTitle();
  return TRUE;
}

BOOL CMC_MotionView::AddNewElementsToGrid(CMC_MotionGroup& group) {
  CMC_Motion* motion = GetMotion();
  if (!motion || !GetSelectedGroup() || group.GetSize() == 0) return FALSE;
  CloseActiveEditControl();
  CMC_MotionGroup* target = nullptr;
  int index = 0, level = 0;
  DWORD row = 0;
  if (!NewObjectPlace(target, index, level, row)) return FALSE;
  const DWORD n = (DWORD)group.GetSize();
  InsertObjects(target, index, group, row, level, TRUE);
  group.SetSize(0);
  SelectRows(row, row + n - 1);
  SetCurrentCell(row, 1, GX_UPDATENOW | GX_SCROLLINVIEW);
  SetSelectionState();
  return TRUE;
}

void CMC_MotionView::OnExport() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b)) return;
  CloseActiveEditControl();
  CMC_MotionGroup run("");
  for (int i = a; i <= b; ++i) run.Add(parent->GetAt(i));
  CString path;
  if (PromptMotionSequenceFile(FALSE, path, nullptr)) {
    // Written beside the old file, which stays as it was unless the new one is complete; a failed
    // write names the file and the reason.
    CConfigFileWriter writer(path, path);
    if (FILE* f = writer.Open()) {
      if (writer.Close(run.Save(f, 0) ? TRUE : FALSE)) writer.Commit();
    }
  }
  run.SetSize(0);  // the objects stay in the program
}

void CMC_MotionView::OnImport() {
  CString path;
  if (!PromptMotionSequenceFile(TRUE, path, nullptr)) return;
  CloseActiveEditControl();
  CMC_MotionGroup loaded("");
  FILE* f = OpenSequenceFile(path, "rb");
  if (!f) {
    ShowKernelMessage(MB_ICONEXCLAMATION | MB_OK, IDS_CANNOT_OPEN, path.GetString());
    return;
  }
  CString error;
  loaded.Load(path, f, error, 0);  // closes the file
  if (!error.IsEmpty()) {
    ShowKernelMessage(MB_ICONEXCLAMATION | MB_OK, IDS_CANNOT_OPEN, path.GetString());
  } else if (AddNewElementsToGrid(loaded)) {
    Notify();
  }
}

void CMC_MotionView::OnImportGcode() {
  CMC_Setup* setup = GetSetup();
  CMC_Motion* motion = GetMotion();
  if (!setup || !motion) return;
  CImportGcodeDlg dlg(setup, motion, nullptr);
  if (dlg.DoModal() == IDOK && AddNewElementsToGrid(dlg.GetGroup())) Notify();
}

void CMC_MotionView::OnViewGeneratedCode() {
  CDWordArray rows;
  CMC_MotionGroup* parent = nullptr;
  int a = 0, b = 0;
  if (!SelectedRun(rows, parent, a, b)) return;
  CloseActiveEditControl();
  CViewGeneratedCodeDlg dlg(nullptr);
  for (int i = a; i <= b; ++i) {
    CString code = parent->GetChildSource(i);
    // An empty code adds nothing: there is no line to end.
    if (code.IsEmpty()) continue;
    if (code[code.GetLength() - 1] != '\n') code += "\r\n";
    dlg.m_strCode += code;
  }
  dlg.DoModal();
}
