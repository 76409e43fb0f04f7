#include "platform/ui/ShellDialogs.h"

#include "platform/core/FileSystem.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Window.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>

struct ITEMIDLIST {
  std::string path;
};

namespace {

std::mutex& ListMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<const ITEMIDLIST*>& Lists() {
  static auto* s = new std::unordered_set<const ITEMIDLIST*>;
  return *s;
}

LPITEMIDLIST NewList(const std::string& path) {
  auto* l = new ITEMIDLIST{path};
  std::lock_guard<std::mutex> lk(ListMutex());
  Lists().insert(l);
  return l;
}

bool Valid(LPCITEMIDLIST l) {
  std::lock_guard<std::mutex> lk(ListMutex());
  return l && Lists().count(l);
}

// The browse dialog's window: it keeps what the callback selects.
struct BrowseState {
  std::string selection;
  std::string status;
};

LRESULT BrowseProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = reinterpret_cast<BrowseState*>(GetWindowLongPtr(h, GWL_USERDATA));
  if (st) {
    switch (msg) {
      case BFFM_SETSELECTION:
        if (wp && lp) st->selection = (const char*)lp;
        else if (!wp && Valid((LPCITEMIDLIST)lp)) st->selection = ((LPCITEMIDLIST)lp)->path;
        return TRUE;
      case BFFM_SETSTATUSTEXT:
        st->status = lp ? (const char*)lp : "";
        return 0;
      case BFFM_ENABLEOK: return 0;
      default: break;
    }
  }
  return DefWindowProc(h, msg, wp, lp);
}

const char* BrowseClass() {
  static const char* name = [] {
    WNDCLASS wc{};
    wc.lpfnWndProc = BrowseProc;
    wc.lpszClassName = "DravonixBrowseForFolder";
    RegisterClass(&wc);
    return "DravonixBrowseForFolder";
  }();
  return name;
}

}  // namespace

LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFO info) {
  if (!info) return nullptr;
  BrowseState st;
  if (Valid(info->pidlRoot)) st.selection = info->pidlRoot->path;
  HWND h = CreateWindowEx(0, BrowseClass(), info->lpszTitle ? info->lpszTitle : "", WS_POPUP, 0, 0, 10, 10,
                          info->hwndOwner && IsWindow(info->hwndOwner) ? info->hwndOwner : nullptr, nullptr, nullptr, nullptr);
  if (h) SetWindowLongPtr(h, GWL_USERDATA, (LONG_PTR)&st);
  if (h && info->lpfn) info->lpfn(h, BFFM_INITIALIZED, 0, info->lParam);
  DialogAutomation::CommonRequest req;
  req.kind = DialogAutomation::CommonKind::Folder;
  req.title = info->lpszTitle ? info->lpszTitle : "";
  req.initialDir = st.selection;
  req.flags = info->ulFlags;
  DialogAutomation::CommonAnswer a = DialogAutomation::Answer(req);
  if (h && IsWindow(h)) {
    SetWindowLongPtr(h, GWL_USERDATA, 0);
    DestroyWindow(h);
  }
  if (!a.ok || a.path.empty()) return nullptr;
  std::string path = a.path;
  if (info->ulFlags & BIF_RETURNONLYFSDIRS) {
    DWORD attr = GetFileAttributes(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  }
  if (info->pszDisplayName) {
    std::string p = path;
    while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    size_t s = p.find_last_of("\\/");
    std::string name = s == std::string::npos ? p : p.substr(s + 1);
    size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    memcpy(info->pszDisplayName, name.data(), n);
    info->pszDisplayName[n] = 0;
  }
  return NewList(path);
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST pidl, LPSTR path) {
  if (!path) return FALSE;
  path[0] = 0;
  if (!Valid(pidl) || pidl->path.size() >= MAX_PATH) return FALSE;
  memcpy(path, pidl->path.c_str(), pidl->path.size() + 1);
  return !pidl->path.empty();
}

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* pidl) {
  if (!pidl) return E_INVALIDARG;
  *pidl = nullptr;
  char path[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPath(nullptr, path, folder, FALSE)) return E_FAIL;
  *pidl = NewList(folder == CSIDL_DRIVES ? std::string() : std::string(path));
  return S_OK;
}

BOOL SHGetSpecialFolderPath(HWND, LPSTR path, int folder, BOOL) {
  if (!path) return FALSE;
  const char* home = getenv("HOME");
  std::string p;
  switch (folder) {
    case CSIDL_DESKTOP:
    case CSIDL_PERSONAL: p = home ? home : "/"; break;
    case CSIDL_DRIVES: p = "/"; break;
    case CSIDL_APPDATA:
    case CSIDL_LOCAL_APPDATA: {
      const char* x = getenv("XDG_CONFIG_HOME");
      p = x ? x : (home ? std::string(home) + "/.config" : "/tmp");
      break;
    }
    case CSIDL_COMMON_APPDATA: p = "/tmp"; break;
    default: return FALSE;
  }
  if (p.size() >= MAX_PATH) return FALSE;
  memcpy(path, p.c_str(), p.size() + 1);
  return TRUE;
}

LPITEMIDLIST ILCreateFromPath(LPCSTR path) { return path ? NewList(path) : nullptr; }

void ILFree(LPITEMIDLIST pidl) { CoTaskMemFree(pidl); }

void CoTaskMemFree(void* p) {
  if (!p) return;
  auto* l = static_cast<ITEMIDLIST*>(p);
  {
    std::lock_guard<std::mutex> lk(ListMutex());
    // Only lists made here are ever freed here.
    if (!Lists().erase(l)) return;
  }
  delete l;
}
