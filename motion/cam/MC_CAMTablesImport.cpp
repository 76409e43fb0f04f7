// The file dialogs of the CAM imports.
#include "motion/cam/MC_CAMTables.h"

#include "kernel/values/ConfigFile.h"
#include "platform/ui/CommonDialogs.h"

int CMC_CAMTables::ImportCAM() {
  CFileDialog dialog(TRUE, "cam", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     "CAM Files (*.cam)|*.cam|All Files (*.*)|*.*||");
  CString folder = GetKernelDirectory();
  dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return 0;
  return ImportCAM(dialog.GetPathName());
}

int CMC_CAMTables::ImportCAMFromTextFile() {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
  if (dialog.DoModal() != IDOK) return 0;
  return ImportCAMFromTextFile(dialog.GetPathName());
}
