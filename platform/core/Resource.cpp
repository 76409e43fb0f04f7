#include "platform/core/Resource.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)

namespace {

struct ModuleResources {
  std::vector<const RESOURCE_TABLE*> tables;
  std::unordered_map<UINT, const char*> strings;
  std::unordered_map<std::string, const RESOURCE_ENTRY*> entries;
  std::unordered_set<const RESOURCE_ENTRY*> entrySet;
  int dynLinks = 0;
  bool dormant = false;   // freed by its last FreeLibrary but still mapped
  uint64_t joinSeq = 0;   // 0 while not in the chain

  bool Member() const { return !dormant && (!tables.empty() || dynLinks > 0); }
};

struct Chain {
  std::mutex mutex;
  std::unordered_map<HMODULE, ModuleResources> modules;
  std::vector<HMODULE> order;  // members by joinSeq
  HMODULE resourceHandle = nullptr;
  uint64_t nextSeq = 1;
  std::vector<CDynLinkLibrary*> dynLibs;
};

Chain& TheChain() {
  // Never destroyed: modules unregister from their static destructors at exit.
  static Chain* chain = new Chain;
  return *chain;
}

std::string KeyPart(LPCSTR p) {
  if (IS_INTRESOURCE(p)) return "#" + std::to_string((WORD)(ULONG_PTR)p);
  if (p[0] == '#' && p[1]) {
    bool digits = true;
    unsigned value = 0;
    for (const char* c = p + 1; *c && digits; ++c) {
      digits = *c >= '0' && *c <= '9';
      value = (value * 10 + (unsigned)(*c - '0')) & 0xFFFFFFu;
    }
    if (digits) return "#" + std::to_string((WORD)value);
  }
  std::string s(p);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

std::string Key(LPCSTR type, LPCSTR name) { return KeyPart(type) + '\x01' + KeyPart(name); }

// Caller holds the lock. Ids already indexed keep their earlier text.
void Index(ModuleResources& m, const RESOURCE_TABLE* t) {
  if (t->strings)
    for (UINT i = 0; i < t->stringCount; ++i)
      if (t->strings[i].text) m.strings.emplace(t->strings[i].id, t->strings[i].text);
  if (t->entries)
    for (UINT i = 0; i < t->entryCount; ++i) {
      const RESOURCE_ENTRY& e = t->entries[i];
      m.entries.emplace(Key(e.type, e.name), &e);
      m.entrySet.insert(&e);
    }
}

// Caller holds the lock.
void Reindex(ModuleResources& m) {
  m.strings.clear();
  m.entries.clear();
  m.entrySet.clear();
  for (const RESOURCE_TABLE* t : m.tables) Index(m, t);
}

// Caller holds the lock. Assigns join numbers and rebuilds the search order.
void Rebuild(Chain& c) {
  c.order.clear();
  for (auto& [h, m] : c.modules) {
    if (m.Member()) {
      if (m.joinSeq == 0) m.joinSeq = c.nextSeq++;
      c.order.push_back(h);
    } else {
      m.joinSeq = 0;  // a module that leaves and comes back joins at the end
    }
  }
  std::sort(c.order.begin(), c.order.end(),
            [&](HMODULE a, HMODULE b) { return c.modules[a].joinSeq < c.modules[b].joinSeq; });
}

// Caller holds the lock. Search order without repeats; `main` is the main program.
std::vector<HMODULE> SearchOrder(Chain& c, HMODULE main) {
  std::vector<HMODULE> out;
  auto add = [&](HMODULE h) {
    if (!h || std::find(out.begin(), out.end(), h) != out.end()) return;
    auto it = c.modules.find(h);
    if (it != c.modules.end() && it->second.dormant) return;
    out.push_back(h);
  };
  add(c.resourceHandle);
  add(main);
  for (HMODULE h : c.order) add(h);
  return out;
}

// Caller holds the lock. Null for an unknown or dormant module.
const ModuleResources* Live(Chain& c, HMODULE h) {
  auto it = c.modules.find(h);
  return it == c.modules.end() || it->second.dormant ? nullptr : &it->second;
}

const char* FindString(Chain& c, HMODULE h, UINT id) {
  const ModuleResources* m = Live(c, h);
  if (!m) return nullptr;
  auto it = m->strings.find(id);
  return it == m->strings.end() ? nullptr : it->second;
}

}  // namespace

// ---- Registration ----------------------------------------------------------------------------

BOOL AfxRegisterResourceTable(HMODULE module, const RESOURCE_TABLE* table) {
  if (!module || !table || AfxGetModuleFilePath(module).empty()) return FALSE;
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  ModuleResources& m = c.modules[module];
  if (std::find(m.tables.begin(), m.tables.end(), table) != m.tables.end()) return TRUE;
  m.tables.push_back(table);
  Index(m, table);
  Rebuild(c);
  return TRUE;
}

BOOL AfxRegisterResourceTable(const RESOURCE_TABLE* table) {
  return AfxRegisterResourceTable(AfxModuleOfAddress(table), table);
}

void AfxUnregisterResourceTable(const RESOURCE_TABLE* table) {
  if (!table) return;
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (auto& [h, m] : c.modules) {
    auto it = std::find(m.tables.begin(), m.tables.end(), table);
    if (it == m.tables.end()) continue;
    m.tables.erase(it);
    Reindex(m);
    Rebuild(c);
    return;
  }
}

CResourceTableRegistration::CResourceTableRegistration(const RESOURCE_TABLE& table) : m_table(&table) {
  AfxRegisterResourceTable(m_table);
}

CResourceTableRegistration::~CResourceTableRegistration() { AfxUnregisterResourceTable(m_table); }

// ---- The chain -------------------------------------------------------------------------------

HINSTANCE AfxGetResourceHandle() {
  Chain& c = TheChain();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    if (c.resourceHandle) return c.resourceHandle;
  }
  return AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE module) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.resourceHandle = module;
}

std::vector<HMODULE> AfxGetResourceChain() {
  HMODULE main = AfxGetInstanceHandle();
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  return SearchOrder(c, main);
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
  HMODULE main = AfxGetInstanceHandle();
  std::string key = Key(type, name);
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (HMODULE h : SearchOrder(c, main)) {
    const ModuleResources* m = Live(c, h);
    if (m && m->entries.count(key)) return h;
  }
  return nullptr;
}

HINSTANCE AfxFindCursorHandle(LPCSTR name) {
  HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_CURSOR);
  return module ? module : AfxFindResourceHandle(name, RT_CURSOR);
}

HINSTANCE AfxFindStringResourceHandle(UINT id) {
  HMODULE main = AfxGetInstanceHandle();
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (HMODULE h : SearchOrder(c, main))
    if (FindString(c, h, id)) return h;
  return nullptr;
}

// ---- Access within a module ------------------------------------------------------------------

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!module) module = AfxGetInstanceHandle();
  std::string key = Key(type, name);
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  const ModuleResources* m = Live(c, module);
  if (!m) return nullptr;
  auto it = m->entries.find(key);
  return it == m->entries.end() ? nullptr : (HRSRC)(void*)const_cast<RESOURCE_ENTRY*>(it->second);
}

namespace {

// A copy of the entry behind a handle FindResource gave, taken while the module is known to be live
// (its table lives in the module's memory, which an unload on another thread unmaps); false otherwise.
bool EntryOf(HMODULE module, HRSRC resource, RESOURCE_ENTRY& out) {
  if (!resource) return false;
  if (!module) module = AfxGetInstanceHandle();
  auto* e = reinterpret_cast<const RESOURCE_ENTRY*>(resource);
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  const ModuleResources* m = Live(c, module);
  if (!m || !m->entrySet.count(e)) return false;
  out = *e;
  return true;
}

}  // namespace

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  RESOURCE_ENTRY e;
  return EntryOf(module, resource, e) ? const_cast<void*>(e.data) : nullptr;
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  RESOURCE_ENTRY e;
  return EntryOf(module, resource, e) ? e.size : 0;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

// ---- Strings ---------------------------------------------------------------------------------

bool LoadStringResource(UINT id, std::string& out) {
  HMODULE main = AfxGetInstanceHandle();
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (HMODULE h : SearchOrder(c, main)) {
    if (const char* s = FindString(c, h, id)) {
      out = s;
      return true;
    }
  }
  return false;
}

bool LoadStringResource(HMODULE module, UINT id, std::string& out) {
  if (!module) module = AfxGetInstanceHandle();
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  const char* s = FindString(c, module, id);
  if (!s) return false;
  out = s;
  return true;
}

namespace {

int CopyOut(const std::string& s, LPSTR buf, size_t size) {
  size_t n = std::min(s.size(), size - 1);
  std::memcpy(buf, s.data(), n);
  buf[n] = '\0';
  return (int)n;
}

}  // namespace

int LoadString(HINSTANCE module, UINT id, LPSTR buf, int size) {
  if (!buf || size <= 0) return 0;
  std::string s;
  if (!LoadStringResource(module, id, s)) {
    buf[0] = '\0';
    return 0;
  }
  return CopyOut(s, buf, (size_t)size);
}

int AfxLoadString(UINT id, LPSTR buf, UINT size) {
  if (!buf || size == 0) return 0;
  std::string s;
  if (!LoadStringResource(id, s)) {
    buf[0] = '\0';
    return 0;
  }
  return CopyOut(s, buf, size);
}

// ---- Extension modules -----------------------------------------------------------------------

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (!module) return FALSE;
  if (state.bInitialized) return TRUE;
  state.hModule = module;
  state.hResource = module;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
  std::vector<CDynLinkLibrary*> doomed;
  {
    Chain& c = TheChain();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (CDynLinkLibrary* lib : c.dynLibs)
      if (all || lib->m_hModule == state.hModule) doomed.push_back(lib);
  }
  for (CDynLinkLibrary* lib : doomed) delete lib;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.dynLibs.push_back(this);
  if (m_hResource) {
    ++c.modules[m_hResource].dynLinks;
    Rebuild(c);
  }
}

CDynLinkLibrary::~CDynLinkLibrary() {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.dynLibs.erase(std::remove(c.dynLibs.begin(), c.dynLibs.end(), this), c.dynLibs.end());
  auto it = m_hResource ? c.modules.find(m_hResource) : c.modules.end();
  if (it != c.modules.end() && it->second.dynLinks > 0) {
    --it->second.dynLinks;
    Rebuild(c);
  }
}

// ---- Loader notifications --------------------------------------------------------------------

void ResourceModuleReleased(HMODULE module) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  auto it = c.modules.find(module);
  if (it != c.modules.end()) {
    it->second.dormant = true;
    Rebuild(c);
  }
  if (c.resourceHandle == module) c.resourceHandle = nullptr;
}

void ResourceModuleAcquired(HMODULE module) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  auto it = c.modules.find(module);
  if (it != c.modules.end() && it->second.dormant) {
    it->second.dormant = false;
    Rebuild(c);
  }
}

void ResourceModuleGone(HMODULE module) {
  std::vector<CDynLinkLibrary*> orphans;
  {
    Chain& c = TheChain();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (CDynLinkLibrary* lib : c.dynLibs)
      if (lib->m_hModule == module || lib->m_hResource == module) orphans.push_back(lib);
  }
  for (CDynLinkLibrary* lib : orphans) delete lib;
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.modules.erase(module);
  if (c.resourceHandle == module) c.resourceHandle = nullptr;
  Rebuild(c);
}
