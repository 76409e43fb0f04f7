#include "platform/core/ChangeNotification.h"

#include "platform/core/Path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

namespace {

struct Entry {
  int64_t size;
  int64_t sec;
  int64_t nsec;
  bool dir;
};

struct Watch {
  std::string folder;
  DWORD filter;
  std::map<std::string, Entry> picture;
};

std::mutex g_lock;
std::set<Watch*> g_watches;

bool TakePicture(const std::string& folder, std::map<std::string, Entry>& out) {
  out.clear();
  DIR* d = opendir(folder.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (stat((folder + "/" + name).c_str(), &st) != 0) continue;
    out[name] = Entry{(int64_t)st.st_size, (int64_t)st.st_mtim.tv_sec, (int64_t)st.st_mtim.tv_nsec,
                      S_ISDIR(st.st_mode)};
  }
  closedir(d);
  return true;
}

bool Differs(const Watch& w, const std::map<std::string, Entry>& now) {
  bool names = w.filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
  for (const auto& [name, e] : now) {
    auto it = w.picture.find(name);
    if (it == w.picture.end()) {
      if (names) return true;
      continue;
    }
    const Entry& o = it->second;
    if ((w.filter & FILE_NOTIFY_CHANGE_LAST_WRITE) && !e.dir && (o.sec != e.sec || o.nsec != e.nsec)) return true;
    if ((w.filter & FILE_NOTIFY_CHANGE_SIZE) && !e.dir && o.size != e.size) return true;
  }
  // A file that goes away counts as written too, so a watcher learns that it vanished.
  bool writes = w.filter & FILE_NOTIFY_CHANGE_LAST_WRITE;
  for (const auto& [name, e] : w.picture)
    if (!now.count(name) && (names || (writes && !e.dir))) return true;
  return false;
}

Watch* Find(HANDLE h) {
  auto it = g_watches.find(static_cast<Watch*>(h));
  return it == g_watches.end() ? nullptr : *it;
}

}  // namespace

HANDLE FindFirstChangeNotification(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter) {
  if (!pathName || watchSubtree || !notifyFilter) return INVALID_HANDLE_VALUE;
  std::string folder = ResolvePath(pathName);
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return INVALID_HANDLE_VALUE;
  auto* w = new Watch{folder, notifyFilter, {}};
  TakePicture(folder, w->picture);
  std::lock_guard<std::mutex> g(g_lock);
  g_watches.insert(w);
  return w;
}

BOOL FindNextChangeNotification(HANDLE handle) {
  std::lock_guard<std::mutex> g(g_lock);
  Watch* w = Find(handle);
  if (!w) return FALSE;
  TakePicture(w->folder, w->picture);
  return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE handle) {
  std::lock_guard<std::mutex> g(g_lock);
  Watch* w = Find(handle);
  if (!w) return FALSE;
  g_watches.erase(w);
  delete w;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::lock_guard<std::mutex> g(g_lock);
  Watch* w = Find(handle);
  if (!w || milliseconds != 0) return WAIT_FAILED;
  std::map<std::string, Entry> now;
  // A folder that vanished counts as changed, so the watcher looks and finds its file gone.
  if (!TakePicture(w->folder, now)) return WAIT_OBJECT_0;
  return Differs(*w, now) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
