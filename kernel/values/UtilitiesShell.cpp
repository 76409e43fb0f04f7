// The shell's folder picker (it needs the window layer).
#include "kernel/values/Utilities.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/ShellDialogs.h"

namespace {

int CALLBACK OpenOnPath(HWND wnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) ::SendMessage(wnd, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

}  // namespace

void BrowseForFolder(HWND__* owner, CString& path, const char* title, int fromDesktop) {
  LPITEMIDLIST root = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(owner, fromDesktop ? CSIDL_DESKTOP : CSIDL_DRIVES, &root))) root = nullptr;
  char display[MAX_PATH] = {0};
  BROWSEINFO info = {};
  info.hwndOwner = owner;
  info.pidlRoot = root;
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = OpenOnPath;
  info.lParam = (LPARAM)path.GetString();
  LPITEMIDLIST chosen = ::SHBrowseForFolder(&info);
  if (chosen) {
    char folder[MAX_PATH] = {0};
    if (::SHGetPathFromIDList(chosen, folder)) path = folder;
    ::CoTaskMemFree(chosen);
  }
  if (root) ::CoTaskMemFree(root);
}
