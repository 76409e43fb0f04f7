#include "platform/core/Path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

void (*g_pfnFolderListed)(const char* folder) = nullptr;

namespace {

bool IsDriveSpec(const char* p) {
  return ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z' && p[1] == ':');
}

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!EqualNoCaseAscii(a[i], b[i])) return false;
  return true;
}

bool IsDirectory(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + '/' + name;
}

// The entry of `dir` that equals `name` without regard to case; the first in byte order wins, and a
// folder is required when `needDir` is set. Empty when none matches.
std::string FindNoCase(const std::string& dir, const std::string& name, bool needDir) {
  if (g_pfnFolderListed) g_pfnFolderListed(dir.empty() ? "." : dir.c_str());
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return std::string();
  std::vector<std::string> matches;
  while (dirent* e = readdir(d)) {
    if (SameNoCase(e->d_name, name)) matches.emplace_back(e->d_name);
  }
  closedir(d);
  std::string best;
  for (const std::string& m : matches) {
    if (!best.empty() && m >= best) continue;
    if (needDir && !IsDirectory(Join(dir, m))) continue;
    best = m;
  }
  return best;
}

}  // namespace

bool IsAbsolutePath(const char* path) {
  if (!path || !*path) return false;
  if (path[0] == '\\' || path[0] == '/') return true;
  return IsDriveSpec(path);
}

std::atomic<void (*)()> g_pfnBeforeNamedAccess{nullptr};

std::string NativePath(const char* path) {
  if (auto before = g_pfnBeforeNamedAccess.load(std::memory_order_acquire)) before();
  if (!path) return std::string();
  std::string s;
  if (IsDriveSpec(path)) {
    path += 2;
    s = "/";
    if (*path == '\\' || *path == '/') ++path;
  }
  s += path;
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::string ResolvePath(const char* path) {
  std::string native = NativePath(path);
  if (native.empty()) return native;
  struct stat st;
  if (lstat(native.c_str(), &st) == 0) return native;

  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos < native.size()) {
    size_t end = native.find('/', pos);
    if (end == std::string::npos) end = native.size();
    if (end > pos) parts.emplace_back(native, pos, end - pos);
    pos = end + 1;
  }
  std::string result = native[0] == '/' ? "/" : "";
  bool lost = false;  // once a folder is missing, the rest stays as spelled
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& comp = parts[i];
    std::string candidate = Join(result, comp);
    if (lost || comp == "." || comp == ".." || lstat(candidate.c_str(), &st) == 0) {
      result = std::move(candidate);
      continue;
    }
    std::string match = FindNoCase(result, comp, i + 1 < parts.size());
    if (match.empty()) {
      result = std::move(candidate);
      lost = true;
    } else {
      result = Join(result, match);
    }
  }
  if (native.back() == '/' && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

std::string ParentOf(const std::string& native) {
  size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return native.substr(0, slash);
}

std::string LastComponent(const std::string& native) {
  size_t slash = native.find_last_of('/');
  return slash == std::string::npos ? native : native.substr(slash + 1);
}
