#include "monitor/loggers/LoggerFileNames.h"

#include "kernel/values/ConfigFile.h"
#include "plot/documents/GraphViewerDoc.h"
#include "platform/ui/CommonDialogs.h"

const char* const gc_pszLoggerFileExt = "lgs";
const char* const gc_pszScopeLoggerFileExt = "osc";

namespace {

int PromptFileName(const char* words, const char* ext, int open, CString& path, CString* title) {
  CString filter;
  filter.Format("%s%s)|*.%s|All Files (*.*)|*.*||", words, ext, ext);
  CFileDialog dialog(open, ext, open ? nullptr : path.GetString(),
                     open ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
                          : OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                     filter);
  const CString folder = GetArchivesDirectory();
  dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return 0;
  path = dialog.GetPathName();
  if (title) *title = dialog.GetFileTitle();
  return 1;
}

}  // namespace

int DoPromptLoggerFileName(int open, CString& path, CString* title) {
  return PromptFileName("Logger Settings Files (*.", gc_pszLoggerFileExt, open, path, title);
}

int DoPromptPlotFileName(int open, CString& path, CString* title) {
  return PromptFileName("Brannovetrix Plot Files (*.", gc_pszPlotFileExt, open, path, title);
}

int DoPromptScopeLoggerFileName(int open, CString& path, CString* title) {
  return PromptFileName("Scope Settings Files (*.", gc_pszScopeLoggerFileExt, open, path, title);
}
