#include "platform/core/Module.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Path.h"
#include "platform/core/Resource.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

thread_local std::string t_loaderMessage;

void Fail(DWORD code) { SetLastError(code); }

struct ModuleRecord {
  std::string rawName;  // the loader's own name for the object, for RTLD_NOLOAD look-ups
  std::string path;
  void* dlHandle = nullptr;  // from our first dlopen
  int loadCount = 0;         // LoadLibrary calls not yet freed
  bool loadedByUs = false;   // absent before the first LoadLibrary, so FreeLibrary may unload it
};

// Handles are the loader's link-map entries: one per loaded object, stable while it stays loaded.
struct Registry {
  std::mutex mutex;                 // guards `modules`
  std::recursive_mutex loaderMutex;  // one LoadLibrary/FreeLibrary at a time; held across dlopen
  std::unordered_map<const void*, ModuleRecord> modules;
};

Registry& Reg() {
  // Never destroyed: plug-ins unregister from their static destructors at exit.
  static Registry* reg = new Registry;
  return *reg;
}

const link_map* LinkMapOf(void* dlHandle) {
  link_map* lm = nullptr;
  if (!dlHandle || dlinfo(dlHandle, RTLD_DI_LINKMAP, &lm) != 0) return nullptr;
  return lm;
}

const link_map* MainLinkMap() {
  static const link_map* main = [] {
    void* h = dlopen(nullptr, RTLD_LAZY);
    const link_map* lm = LinkMapOf(h);
    if (h) dlclose(h);
    return lm;
  }();
  return main;
}

std::string ProgramPath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string PathOf(const link_map* lm) {
  if (lm == MainLinkMap() || !lm->l_name || !*lm->l_name) return ProgramPath();
  std::error_code ec;
  fs::path p = fs::absolute(lm->l_name, ec);
  return ec ? std::string(lm->l_name) : p.lexically_normal().string();
}

// The record of a loaded object, created on first sight. A record left by an object that was
// unloaded behind our back is renewed when its entry's address is reused.
ModuleRecord& Ensure(const link_map* lm) {
  Registry& reg = Reg();
  const char* raw = lm->l_name ? lm->l_name : "";
  auto it = reg.modules.find(lm);
  if (it != reg.modules.end() && it->second.rawName != raw) {
    reg.modules.erase(it);
    it = reg.modules.end();
  }
  if (it == reg.modules.end()) {
    it = reg.modules.emplace(lm, ModuleRecord{}).first;
    it->second.rawName = raw;
    it->second.path = PathOf(lm);
  }
  return it->second;
}

HMODULE ToHandle(const link_map* lm) { return (HMODULE)(void*)const_cast<link_map*>(lm); }

HMODULE Known(const link_map* lm) {
  if (!lm) return nullptr;
  MainLinkMap();  // first use calls dlopen: never under our lock, which loader callbacks also take
  std::lock_guard<std::mutex> lock(Reg().mutex);
  Ensure(lm);
  return ToHandle(lm);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  return true;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && EqualsNoCase(s.substr(s.size() - n), suffix);
}

size_t LastSeparator(const std::string& s) { return s.find_last_of("/\\"); }

std::string BaseName(const std::string& s) {
  size_t cut = LastSeparator(s);
  return cut == std::string::npos ? s : s.substr(cut + 1);
}

// Win32's rule: no extension means `.dll`; a trailing dot means "no extension, and none added".
std::string WithDefaultExtension(std::string name) {
  std::string base = BaseName(name);
  if (!base.empty() && base.back() == '.') {
    name.pop_back();
    return name;
  }
  if (base.find('.') == std::string::npos) name += ".dll";
  return name;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool LooksLikeElf(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char magic[4] = {0, 0, 0, 0};
  size_t n = fread(magic, 1, 4, f);
  fclose(f);
  return n == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

std::string ProgramFolder() {
  std::string p = ProgramPath();
  size_t cut = p.find_last_of('/');
  return cut == std::string::npos ? std::string() : p.substr(0, cut);
}

bool IsStillLoaded(const std::string& name) {
  void* h = dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!h) return false;
  dlclose(h);
  return true;
}

// Opens the first candidate that exists; an existing file that fails to load ends the search.
// `wasLoaded` tells whether the object was in the process before.
void* OpenCandidates(const std::vector<std::string>& names, DWORD& error, bool& wasLoaded) {
  error = ERROR_MOD_NOT_FOUND;
  for (const std::string& name : names) {
    std::vector<std::string> places;
    bool bare = LastSeparator(name) == std::string::npos && !IsAbsolutePath(name.c_str());
    if (bare) {
      std::string dir = ProgramFolder();
      if (!dir.empty()) places.push_back(ResolvePath((dir + "/" + name).c_str()));
      places.push_back(ResolvePath(("./" + name).c_str()));
    } else {
      places.push_back(ResolvePath(name.c_str()));
    }
    for (std::string& place : places) {
      if (!IsRegularFile(place)) continue;
      // An absolute name: the loader matches names it has seen before as strings, so a relative
      // one would find a same-named library loaded earlier from another current folder.
      if (place.empty() || place[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) place = std::string(cwd) + "/" + (place.rfind("./", 0) == 0 ? place.substr(2) : place);
        else if (place.find('/') == std::string::npos) place = "./" + place;  // keep dlopen off its search
      }
      wasLoaded = IsStillLoaded(place);
      void* h = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!h) error = LooksLikeElf(place) ? ERROR_MOD_NOT_FOUND : ERROR_BAD_EXE_FORMAT;
      return h;
    }
    if (bare) {
      wasLoaded = IsStillLoaded(name);
      if (void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
  }
  return nullptr;
}

}  // namespace

HMODULE LoadLibrary(const char* name) {
  if (!name || !*name) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string given = WithDefaultExtension(name);
  std::string base = BaseName(given);
  if (base.empty() || base == ".dll" || base == ".so") {  // a folder, or an extension alone
    Fail(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::vector<std::string> candidates;
  if (EndsWithNoCase(given, ".dll")) candidates.push_back(given.substr(0, given.size() - 4) + ".so");
  candidates.push_back(given);

  Registry& reg = Reg();
  MainLinkMap();
  std::lock_guard<std::recursive_mutex> loader(reg.loaderMutex);
  DWORD error = 0;
  bool wasLoaded = false;
  void* h = OpenCandidates(candidates, error, wasLoaded);
  if (!h) {
    const char* why = dlerror();
    t_loaderMessage = why ? why : "";
    SetLastErrorNaming(error, name);
    return nullptr;
  }
  const link_map* lm = LinkMapOf(h);
  if (!lm) {
    dlclose(h);
    Fail(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  bool reacquired = false;
  {
    std::lock_guard<std::mutex> lock(reg.mutex);
    ModuleRecord& rec = Ensure(lm);
    if (rec.loadCount == 0) {
      rec.dlHandle = h;
      if (rec.loadedByUs)
        reacquired = true;  // it outlived our last FreeLibrary: its resources rejoin the chain
      else
        rec.loadedByUs = !wasLoaded;  // then our last FreeLibrary unloads it
    }
    ++rec.loadCount;
  }
  if (reacquired) ResourceModuleAcquired(ToHandle(lm));
  return ToHandle(lm);
}

HMODULE AfxLoadLibrary(const char* name) { return LoadLibrary(name); }

BOOL FreeLibrary(HMODULE module) {
  Registry& reg = Reg();
  std::lock_guard<std::recursive_mutex> loader(reg.loaderMutex);
  void* handle = nullptr;
  std::string rawName;
  bool last = false;
  bool release = false;
  {
    std::lock_guard<std::mutex> lock(reg.mutex);
    auto it = module ? reg.modules.find((const void*)module) : reg.modules.end();
    if (it == reg.modules.end() || it->second.loadCount <= 0) {
      Fail(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    ModuleRecord& rec = it->second;
    handle = rec.dlHandle;
    rawName = rec.rawName;
    last = --rec.loadCount == 0;
    release = last && rec.loadedByUs;
  }
  if (release) ResourceModuleReleased(module);
  dlclose(handle);
  if (release && !IsStillLoaded(rawName)) {
    ResourceModuleGone(module);
    std::lock_guard<std::mutex> lock(reg.mutex);
    reg.modules.erase((const void*)module);
  }
  return TRUE;
}

BOOL AfxFreeLibrary(HMODULE module) { return FreeLibrary(module); }

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (!name || !*name) {
    Fail(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  std::string rawName;
  {
    std::lock_guard<std::mutex> lock(Reg().mutex);
    auto it = module ? Reg().modules.find((const void*)module) : Reg().modules.end();
    if (it == Reg().modules.end()) {
      Fail(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    rawName = it->second.rawName;
  }
  // dlsym on a handle also searches the object's dependencies; only the module's own export counts.
  bool isMain = module == AfxGetInstanceHandle();
  void* h = dlopen(isMain ? nullptr : rawName.c_str(), RTLD_LAZY | (isMain ? 0 : RTLD_NOLOAD));
  if (!h) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* sym = dlsym(h, name);
  dlclose(h);
  if (!sym || AfxModuleOfAddress(sym) != module) {
    Fail(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(sym);
}

namespace {

struct LoadedObject {
  std::string path;
};

int CollectObject(dl_phdr_info* info, size_t, void* data) {
  auto* out = static_cast<std::vector<LoadedObject>*>(data);
  if (info->dlpi_name && *info->dlpi_name) out->push_back({info->dlpi_name});
  return 0;
}

bool NameMatches(const std::string& file, const std::string& wanted) {
  std::string base = BaseName(file);
  if (EqualsNoCase(base, wanted)) return true;
  if (!EndsWithNoCase(wanted, ".dll")) return false;
  std::string stem = wanted.substr(0, wanted.size() - 4);
  return EqualsNoCase(base, stem + ".so") || EqualsNoCase(base, "lib" + stem + ".so");
}

}  // namespace

HMODULE GetModuleHandle(const char* name) {
  if (!name) return AfxGetInstanceHandle();
  if (!*name) {
    Fail(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::string wanted = WithDefaultExtension(name);
  bool byPath = LastSeparator(wanted) != std::string::npos;
  std::vector<std::string> resolved;  // by path: the `.so` beside a `.dll`, then the path as given
  if (byPath) {
    std::vector<std::string> forms;
    if (EndsWithNoCase(wanted, ".dll")) forms.push_back(wanted.substr(0, wanted.size() - 4) + ".so");
    forms.push_back(wanted);
    for (const std::string& f : forms) {
      std::error_code ec;
      fs::path p = fs::absolute(ResolvePath(f.c_str()), ec);
      if (!ec) resolved.push_back(p.lexically_normal().string());
    }
  }
  std::vector<LoadedObject> objects;
  dl_iterate_phdr(CollectObject, &objects);
  for (const LoadedObject& o : objects) {
    bool match = false;
    if (byPath) {
      std::error_code ec;
      fs::path p = fs::absolute(o.path, ec);
      if (!ec) {
        std::string normal = p.lexically_normal().string();
        for (const std::string& r : resolved) match = match || normal == r;
      }
    } else {
      match = NameMatches(o.path, wanted);
    }
    if (!match) continue;
    void* h = dlopen(o.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!h) continue;
    const link_map* lm = LinkMapOf(h);
    dlclose(h);
    if (lm) return Known(lm);
  }
  if (!byPath && NameMatches(ProgramPath(), wanted)) return AfxGetInstanceHandle();
  Fail(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

std::string AfxGetModuleFilePath(HMODULE module) {
  if (!module) module = AfxGetInstanceHandle();
  std::lock_guard<std::mutex> lock(Reg().mutex);
  auto it = Reg().modules.find((const void*)module);
  return it == Reg().modules.end() ? std::string() : it->second.path;
}

DWORD GetModuleFileName(HMODULE module, char* buf, DWORD size) {
  if (!buf || size == 0) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::string path = AfxGetModuleFilePath(module);
  if (path.empty()) {
    buf[0] = '\0';
    Fail(module ? ERROR_INVALID_HANDLE : ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (path.size() >= size) {
    std::memcpy(buf, path.data(), size - 1);
    buf[size - 1] = '\0';
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buf, path.c_str(), path.size() + 1);
  return (DWORD)path.size();
}

HMODULE AfxModuleOfAddress(const void* address) {
  if (!address) return nullptr;
  Dl_info info;
  link_map* lm = nullptr;
  if (!dladdr1(address, &info, (void**)&lm, RTLD_DL_LINKMAP) || !lm) return nullptr;
  return Known(lm);
}

HINSTANCE AfxGetInstanceHandle() { return Known(MainLinkMap()); }

std::string AfxGetModuleLoadMessage() { return t_loaderMessage; }
