#include "platform/ui/Clipboard.h"

#include "platform/core/FileSystem.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Memory comes zeroed from calloc, so new blocks are not written twice (large images are tens of MB).
template <class T>
struct CallocAllocator {
  using value_type = T;
  CallocAllocator() = default;
  template <class U>
  CallocAllocator(const CallocAllocator<U>&) {}
  T* allocate(size_t n) {
    void* p = calloc(n, sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) { free(p); }
  // Default construction leaves the zeroed memory as it is.
  template <class U>
  void construct(U*) noexcept {}
  template <class U, class... A>
  void construct(U* p, A&&... args) {
    ::new ((void*)p) U(std::forward<A>(args)...);
  }
  template <class U>
  bool operator==(const CallocAllocator<U>&) const { return true; }
};

struct GlobalBlock {
  std::vector<BYTE, CallocAllocator<BYTE>> bytes;
  UINT flags = 0;
  int locks = 0;
};

std::mutex& MemLock() {
  static std::mutex m;
  return m;
}
std::unordered_set<GlobalBlock*>& Blocks() {
  static auto* s = new std::unordered_set<GlobalBlock*>;
  return *s;
}
GlobalBlock* Block(HGLOBAL h) {
  auto* b = reinterpret_cast<GlobalBlock*>(h);
  return b && Blocks().count(b) ? b : nullptr;
}

// Sizes beyond this are refused rather than attempted.
const SIZE_T kMaxGlobal = (SIZE_T)1 << 31;

struct ClipState {
  std::recursive_mutex mutex;
  bool open = false;
  DWORD openThread = 0;
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  bool heldElsewhere = false;
  std::vector<std::pair<UINT, HGLOBAL>> data;  // in the order set
  std::map<UINT, std::string> names;
};
ClipState& Clip() {
  static auto* c = new ClipState;
  return *c;
}

bool OpenedByCaller(ClipState& c) { return c.open && c.openThread == UiCurrentThreadId(); }

HGLOBAL Find(ClipState& c, UINT format) {
  for (auto& [f, h] : c.data)
    if (f == format) return h;
  return nullptr;
}

void FreeAll(ClipState& c) {
  for (auto& [f, h] : c.data) GlobalFree(h);
  c.data.clear();
}

HGLOBAL CopyOf(HGLOBAL src) {
  SIZE_T n = GlobalSize(src);
  HGLOBAL dst = GlobalAlloc(GMEM_MOVEABLE, n);
  if (!dst) return nullptr;
  void* s = GlobalLock(src);
  void* d = GlobalLock(dst);
  if (s && d && n) memcpy(d, s, n);
  GlobalUnlock(src);
  GlobalUnlock(dst);
  return dst;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > kMaxGlobal) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // As the system's: no memory is a null handle, not an exception.
  auto* b = new (std::nothrow) GlobalBlock;
  if (!b) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  try {
    b->bytes.resize(bytes);
    b->flags = flags;
    std::lock_guard<std::mutex> lk(MemLock());
    Blocks().insert(b);
  } catch (const std::bad_alloc&) {
    delete b;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return (HGLOBAL)b;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (flags & GMEM_MODIFY) {
    b->flags = (b->flags & ~GMEM_DISCARDABLE) | (flags & GMEM_DISCARDABLE);
    return mem;
  }
  if (bytes > kMaxGlobal) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  try {
    b->bytes.resize(bytes, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return mem;
}

LPVOID GlobalLock(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++b->locks;
  // A zero-sized block still locks to a valid (empty) pointer.
  if (b->bytes.empty()) b->bytes.reserve(1);
  return b->bytes.data() ? (LPVOID)b->bytes.data() : (LPVOID)b;
}

BOOL GlobalUnlock(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  if (!b) return FALSE;
  if (b->locks > 0) --b->locks;
  return b->locks > 0;
}

SIZE_T GlobalSize(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  return b ? b->bytes.size() : 0;
}

UINT GlobalFlags(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  if (!b) return 0x8000u;  // GMEM_INVALID_HANDLE
  return (UINT)std::min(b->locks, 0xFF) | (b->flags & GMEM_DISCARDABLE);
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(MemLock());
  GlobalBlock* b = Block(mem);
  if (!b) return mem;
  Blocks().erase(b);
  delete b;
  return nullptr;
}

BOOL OpenClipboard(HWND owner) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (c.heldElsewhere) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (c.open && c.openThread != UiCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.open = true;
  c.openThread = UiCurrentThreadId();
  c.openWindow = owner && IsWindow(owner) ? owner : nullptr;
  return TRUE;
}

BOOL CloseClipboard() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (!OpenedByCaller(c)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  c.open = false;
  c.openWindow = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (!OpenedByCaller(c)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  FreeAll(c);
  c.owner = c.openWindow;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (!OpenedByCaller(c) || format == 0) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> mk(MemLock());
    if (mem && !Block(mem)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
  }
  for (auto& [f, h] : c.data)
    if (f == format) {
      if (h != mem) GlobalFree(h);
      h = mem;
      return mem;
    }
  c.data.emplace_back(format, mem);
  return mem;
}

HANDLE GetClipboardData(UINT format) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (!OpenedByCaller(c)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (HGLOBAL h = Find(c, format)) return h;
  // Text formats stand in for each other: the synthesised copy stays with the clipboard.
  UINT other = format == CF_TEXT ? CF_OEMTEXT : format == CF_OEMTEXT ? CF_TEXT : 0;
  if (other) {
    if (HGLOBAL src = Find(c, other)) {
      HGLOBAL copy = CopyOf(src);
      if (copy) c.data.emplace_back(format, copy);
      return copy;
    }
  }
  return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (Find(c, format)) return TRUE;
  if (format == CF_TEXT) return Find(c, CF_OEMTEXT) != nullptr;
  if (format == CF_OEMTEXT) return Find(c, CF_TEXT) != nullptr;
  return FALSE;
}

int CountClipboardFormats() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  return (int)c.data.size();
}

UINT EnumClipboardFormats(UINT format) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  if (!OpenedByCaller(c)) return 0;
  bool next = format == 0;
  for (auto& [f, h] : c.data) {
    if (next) return f;
    if (f == format) next = true;
  }
  return 0;
}

HWND GetOpenClipboardWindow() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  return c.open && IsWindow(c.openWindow) ? c.openWindow : nullptr;
}

HWND GetClipboardOwner() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  return IsWindow(c.owner) ? c.owner : nullptr;
}

UINT RegisterClipboardFormat(LPCSTR name) {
  if (!name || !*name) return 0;
  UINT id = RegisterWindowMessage(name);
  if (!id) return 0;
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  c.names.emplace(id, name);
  return id;
}

int GetClipboardFormatName(UINT format, LPSTR buf, int size) {
  if (!buf || size <= 0) return 0;
  buf[0] = 0;
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  auto it = c.names.find(format);
  if (it == c.names.end()) return 0;
  int n = std::min<int>((int)it->second.size(), size - 1);
  memcpy(buf, it->second.data(), (size_t)n);
  buf[n] = 0;
  return n;
}

void SetClipboardHeldByOtherProgram(BOOL held) {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  c.heldElsewhere = held != FALSE;
}

void ResetClipboard() {
  ClipState& c = Clip();
  std::lock_guard<std::recursive_mutex> lk(c.mutex);
  FreeAll(c);
  c.open = false;
  c.openWindow = nullptr;
  c.owner = nullptr;
  c.heldElsewhere = false;
}

bool ClipboardSetText(HWND owner, const char* text, size_t len) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, len + 1);
  bool ok = false;
  if (h) {
    char* p = (char*)GlobalLock(h);
    if (p) {
      if (len) memcpy(p, text, len);
      p[len] = 0;
    }
    GlobalUnlock(h);
    ok = SetClipboardData(CF_TEXT, h) != nullptr;
    if (!ok) GlobalFree(h);
  }
  CloseClipboard();
  return ok;
}

bool ClipboardGetText(HWND owner, std::string& text) {
  text.clear();
  if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
  if (!OpenClipboard(owner)) return false;
  HGLOBAL h = GetClipboardData(CF_TEXT);
  bool ok = false;
  if (h) {
    const char* p = (const char*)GlobalLock(h);
    SIZE_T n = GlobalSize(h);
    if (p) {
      text.assign(p, strnlen(p, n));
      ok = true;
    }
    GlobalUnlock(h);
  }
  CloseClipboard();
  return ok;
}

HGLOBAL AfxCopyGlobalMemory(HGLOBAL hSource) {
  const SIZE_T size = hSource ? GlobalSize(hSource) : 0;
  if (!size) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  void* dst = copy ? GlobalLock(copy) : nullptr;
  const void* src = dst ? GlobalLock(hSource) : nullptr;
  if (src) memcpy(dst, src, size), GlobalUnlock(hSource);
  if (dst) GlobalUnlock(copy);
  if (copy && !src) copy = GlobalFree(copy);
  return copy;
}
