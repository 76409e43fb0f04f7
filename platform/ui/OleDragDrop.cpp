#include "platform/ui/OleDragDrop.h"

#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

IMPLEMENT_DYNAMIC(COleDataSource, CObject)
IMPLEMENT_DYNAMIC(COleDropTarget, CObject)

int COleDropTarget::nScrollInset = 11;
UINT COleDropTarget::nScrollDelay = 50;
UINT COleDropTarget::nScrollInterval = 50;

namespace {

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::map<HWND, COleDropTarget*>& Targets() {
  static auto* m = new std::map<HWND, COleDropTarget*>;
  return *m;
}
std::function<void()>& Handler() {
  static auto* h = new std::function<void()>;
  return *h;
}

HGLOBAL Copy(HGLOBAL src) {
  SIZE_T n = GlobalSize(src);
  const void* s = GlobalLock(src);
  if (!s) return nullptr;
  HGLOBAL dst = GlobalAlloc(GMEM_MOVEABLE, n);
  if (dst) {
    if (void* d = GlobalLock(dst)) memcpy(d, s, n);
    GlobalUnlock(dst);
  }
  GlobalUnlock(src);
  return dst;
}

COleDropTarget* TargetAt(HWND h, HWND* found) {
  std::lock_guard<std::mutex> lk(Mutex());
  for (; h && IsWindow(h); h = GetParent(h)) {
    auto it = Targets().find(h);
    if (it != Targets().end()) {
      *found = h;
      return it->second;
    }
    if (!(GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

// The drag in progress: the state the tracking window's procedure moves on.
struct Drag {
  COleDataSource* source = nullptr;
  COleDataObject data;
  DWORD allowed = 0;
  bool waiting = false;  // still inside the start rectangle
  CRect startRect;
  bool done = false;
  DROPEFFECT result = DROPEFFECT_NONE;
  COleDropTarget* target = nullptr;
  HWND targetWnd = nullptr;
  DROPEFFECT effect = DROPEFFECT_NONE;
  bool moved = false;  // the mouse has been seen: `last` and `lastMk` hold where and with what
  POINT last{};
  WPARAM lastMk = 0;
};
// While the mouse rests the drag-over step is repeated at this period of the clock, so that a target's
// scrolling delays and intervals run.
const UINT kRestTimer = 1;
const UINT kRestPeriodMs = 10;
thread_local Drag* t_drag = nullptr;

DWORD KeyState(WPARAM mk) {
  DWORD k = (DWORD)mk & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL);
  if (GetKeyState(VK_SHIFT) < 0) k |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) k |= MK_CONTROL;
  return k;
}

bool ButtonHeld() { return (GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_RBUTTON)) & 0x8000; }

// What the user's keys ask for among what the target offers. A move or copy the source does not allow
// becomes the other of the two, else a link, when the source allows that.
DROPEFFECT Filter(DROPEFFECT e, DWORD allowed) {
  DROPEFFECT scroll = e & DROPEFFECT_SCROLL;
  DROPEFFECT wanted = e & (DROPEFFECT_MOVE | DROPEFFECT_COPY | DROPEFFECT_LINK);
  e = wanted & allowed;
  if (!e && (wanted == DROPEFFECT_MOVE || wanted == DROPEFFECT_COPY)) {
    e = allowed & (wanted ^ (DROPEFFECT_MOVE | DROPEFFECT_COPY));
    if (!e) e = allowed & DROPEFFECT_LINK;
  }
  if (e & DROPEFFECT_MOVE) e = DROPEFFECT_MOVE;
  else if (e & DROPEFFECT_COPY) e = DROPEFFECT_COPY;
  else if (e & DROPEFFECT_LINK) e = DROPEFFECT_LINK;
  return e | scroll;
}

void Leave(Drag& d) {
  if (d.target && IsWindow(d.targetWnd)) d.target->OnDragLeave(CWnd::FromHandle(d.targetWnd));
  d.target = nullptr;
  d.targetWnd = nullptr;
  d.effect = DROPEFFECT_NONE;
}

void Finish(Drag& d, DROPEFFECT result) {
  d.result = result;
  d.done = true;
}

void Move(Drag& d, POINT screen, WPARAM mk) {
  d.moved = true;
  d.last = screen;
  d.lastMk = mk;
  if (d.waiting) {
    if (d.startRect.PtInRect(screen)) return;
    d.waiting = false;
  }
  HWND under = WindowFromPoint(screen);
  HWND wnd = nullptr;
  COleDropTarget* t = TargetAt(under, &wnd);
  if (t != d.target || wnd != d.targetWnd) {
    Leave(d);
    if (t) {
      d.target = t;
      d.targetWnd = wnd;
      POINT pt = screen;
      ScreenToClient(wnd, &pt);
      d.effect = Filter(t->OnDragEnter(CWnd::FromHandle(wnd), &d.data, KeyState(mk), CPoint(pt)), d.allowed);
    }
    return;
  }
  if (!t) return;
  POINT pt = screen;
  ScreenToClient(wnd, &pt);
  DROPEFFECT scroll = t->OnDragScroll(CWnd::FromHandle(wnd), KeyState(mk), CPoint(pt));
  if (scroll & DROPEFFECT_SCROLL) d.effect = Filter(scroll & ~DROPEFFECT_SCROLL, d.allowed);
  else d.effect = Filter(t->OnDragOver(CWnd::FromHandle(wnd), &d.data, KeyState(mk), CPoint(pt)), d.allowed);
}

void Drop(Drag& d, POINT screen, WPARAM mk) {
  if (d.waiting) {
    Finish(d, DROPEFFECT_NONE);
    return;
  }
  Move(d, screen, mk);
  if (!d.target || !(d.effect & ~DROPEFFECT_SCROLL)) {
    Leave(d);
    Finish(d, DROPEFFECT_NONE);
    return;
  }
  CWnd* w = CWnd::FromHandle(d.targetWnd);
  POINT pt = screen;
  ScreenToClient(d.targetWnd, &pt);
  DROPEFFECT effect = d.effect & ~DROPEFFECT_SCROLL;
  DROPEFFECT r = d.target->OnDropEx(w, &d.data, effect, d.allowed, CPoint(pt));
  if (r == (DROPEFFECT)-1) r = d.target->OnDrop(w, &d.data, effect, CPoint(pt)) ? effect : DROPEFFECT_NONE;
  d.target = nullptr;
  Finish(d, r & d.allowed);
}

LRESULT TrackerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Drag* d = t_drag;
  if (d && !d->done) {
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
      case WM_MOUSEMOVE:
        ClientToScreen(h, &pt);
        Move(*d, pt, wp);
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        ClientToScreen(h, &pt);
        Drop(*d, pt, wp);
        return 0;
      case WM_TIMER:
        if (wp == kRestTimer && d->moved && d->target) Move(*d, d->last, d->lastMk);
        return 0;
      case WM_CAPTURECHANGED:
        if ((HWND)lp != h) {
          Leave(*d);
          Finish(*d, DROPEFFECT_NONE);
        }
        return 0;
      case WM_KEYDOWN:
        if (wp == VK_ESCAPE) {
          Leave(*d);
          Finish(*d, DROPEFFECT_NONE);
        }
        return 0;
      default: break;
    }
  }
  return DefWindowProc(h, msg, wp, lp);
}

// During a drag Escape cancels wherever the key goes (the drag watches the keyboard, as the system's
// drag loop does); other messages go on to the framework's pre-translation.
BOOL (*g_previousPreTranslate)(MSG*) = nullptr;
BOOL DragPreTranslate(MSG* m) {
  if (m && t_drag && !t_drag->done && m->message == WM_KEYDOWN && m->wParam == VK_ESCAPE) {
    Leave(*t_drag);
    Finish(*t_drag, DROPEFFECT_NONE);
    return TRUE;
  }
  return g_previousPreTranslate ? g_previousPreTranslate(m) : FALSE;
}

const char* TrackerClass() {
  static const char* name = [] {
    WNDCLASS wc{};
    wc.lpfnWndProc = TrackerProc;
    wc.lpszClassName = "DravonixDragTracker";
    RegisterClass(&wc);
    return "DravonixDragTracker";
  }();
  return name;
}

}  // namespace

namespace {
std::atomic<LONG> g_oleInits{0};
}  // namespace

BOOL OleInitialize(void*) {
  ++g_oleInits;
  return TRUE;
}
void OleUninitialize() {
  LONG n = g_oleInits.load();
  while (n > 0 && !g_oleInits.compare_exchange_weak(n, n - 1)) {
  }
}
LONG OleInitializationCount() { return g_oleInits.load(); }
BOOL AfxOleInit() { return TRUE; }

// ---- Data ---------------------------------------------------------------------------------------------------

BOOL COleDataObject::AttachClipboard() {
  m_source = nullptr;
  m_clipboard = TRUE;
  return TRUE;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cf, LPFORMATETC) const {
  if (m_source) return m_source->HasFormat(cf);
  if (m_clipboard) return IsClipboardFormatAvailable(cf);
  return FALSE;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cf, LPFORMATETC) const {
  if (m_source) {
    HGLOBAL h = m_source->Data(cf);
    return h ? Copy(h) : nullptr;
  }
  if (!m_clipboard || !OpenClipboard(nullptr)) return nullptr;
  HGLOBAL h = GetClipboardData(cf);
  HGLOBAL copy = h ? Copy(h) : nullptr;
  CloseClipboard();
  return copy;
}

COleDataSource::~COleDataSource() { Empty(); }

void COleDataSource::CacheGlobalData(CLIPFORMAT cf, HGLOBAL hGlobal, LPFORMATETC) {
  if (!hGlobal) return;
  for (auto& [f, h] : m_data)
    if (f == cf) {
      if (h != hGlobal) GlobalFree(h);
      h = hGlobal;
      return;
    }
  m_data.emplace_back(cf, hGlobal);
}

void COleDataSource::Empty() {
  for (auto& [f, h] : m_data) GlobalFree(h);
  m_data.clear();
}

BOOL COleDataSource::HasFormat(CLIPFORMAT cf) const { return Data(cf) != nullptr; }

HGLOBAL COleDataSource::Data(CLIPFORMAT cf) const {
  for (auto& [f, h] : m_data)
    if (f == cf) return h;
  return nullptr;
}

void COleDataSource::SetClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  for (auto& [f, h] : m_data)
    if (HGLOBAL c = Copy(h)) SetClipboardData(f, c);
  CloseClipboard();
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD dwEffects, LPCRECT lpRectStartDrag, COleDropSource* pDropSource) {
  // One drag at a time on a thread.
  if (t_drag || !dwEffects) return DROPEFFECT_NONE;
  if (pDropSource && !pDropSource->OnBeginDrag(CWnd::GetCapture())) return DROPEFFECT_NONE;
  HWND tracker = CreateWindowEx(WS_EX_TOOLWINDOW, TrackerClass(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!tracker) return DROPEFFECT_NONE;
  Drag d;
  d.source = this;
  d.data.Attach(this);
  d.allowed = dwEffects;
  if (lpRectStartDrag) {
    d.waiting = true;
    d.startRect = *lpRectStartDrag;
  }
  t_drag = &d;
  UiPumpHooks hooks = GetUiPumpHooks();
  UiPumpHooks saved = hooks;
  g_previousPreTranslate = hooks.preTranslate;
  hooks.preTranslate = DragPreTranslate;
  SetUiPumpHooks(hooks);
  SetCapture(tracker);
  SetTimer(tracker, kRestTimer, kRestPeriodMs, nullptr);
  if (std::function<void()> h = Handler()) h();
  MSG msg;
  while (!d.done && IsWindow(tracker)) {
    // With nothing left to read and no button held the release will never come (a press that was sent
    // rather than made): the drag ends as if let go where the mouse was last seen.
    if (!ButtonHeld() && !PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (d.moved) Drop(d, d.last, d.lastMk);
      else Finish(d, DROPEFFECT_NONE);
      break;
    }
    int got = UiGetMessageTimeout(&msg, Clock::IsVirtual() ? 10000 : 0x7FFFFFFF);
    if (got == 0) {
      PostQuitMessage((int)msg.wParam);
      break;
    }
    if (got < 0) break;
    if (!DragPreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  if (!d.done) Leave(d);
  t_drag = nullptr;
  SetUiPumpHooks(saved);
  if (GetCapture() == tracker) ReleaseCapture();
  KillTimer(tracker, kRestTimer);
  DestroyWindow(tracker);
  return d.done ? d.result : DROPEFFECT_NONE;
}

// ---- Targets ------------------------------------------------------------------------------------------------

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CWnd* pWnd) {
  if (!pWnd || !pWnd->GetSafeHwnd()) return FALSE;
  Revoke();
  std::lock_guard<std::mutex> lk(Mutex());
  Targets()[pWnd->GetSafeHwnd()] = this;
  m_pWnd = pWnd;
  return TRUE;
}

void COleDropTarget::Revoke() {
  std::lock_guard<std::mutex> lk(Mutex());
  for (auto it = Targets().begin(); it != Targets().end();) {
    if (it->second == this) it = Targets().erase(it);
    else ++it;
  }
  m_pWnd = nullptr;
}

// A target registered on a view hands the drag to the view; on other windows it refuses.
DROPEFFECT COleDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  auto* view = dynamic_cast<CView*>(pWnd);
  return view ? view->OnDragEnter(pData, dwKeyState, point) : DROPEFFECT_NONE;
}
DROPEFFECT COleDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pData, DWORD dwKeyState, CPoint point) {
  auto* view = dynamic_cast<CView*>(pWnd);
  return view ? view->OnDragOver(pData, dwKeyState, point) : DROPEFFECT_NONE;
}
void COleDropTarget::OnDragLeave(CWnd* pWnd) {
  if (auto* view = dynamic_cast<CView*>(pWnd)) view->OnDragLeave();
}
BOOL COleDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropEffect, CPoint point) {
  auto* view = dynamic_cast<CView*>(pWnd);
  return view ? view->OnDrop(pData, dropEffect, point) : FALSE;
}
DROPEFFECT COleDropTarget::OnDropEx(CWnd* pWnd, COleDataObject* pData, DROPEFFECT dropDefault, DROPEFFECT dropList,
                                    CPoint point) {
  auto* view = dynamic_cast<CView*>(pWnd);
  return view ? view->OnDropEx(pData, dropDefault, dropList, point) : (DROPEFFECT)-1;
}
DROPEFFECT COleDropTarget::OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point) {
  auto* view = dynamic_cast<CView*>(pWnd);
  return view ? view->OnDragScroll(dwKeyState, point) : DROPEFFECT_NONE;
}

namespace DragDropAutomation {
void SetDragHandler(std::function<void()> handler) { Handler() = std::move(handler); }
}  // namespace DragDropAutomation
