#include "platform/ui/Window.h"

#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowImpl.h"
#include "platform/ui/WindowPaint.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <utility>

namespace ui {
namespace {

struct Globals {
  std::unordered_set<HWND> live;
  std::map<std::string, std::unique_ptr<WindowClass>> classes;  // key: lower-case name
  ATOM nextAtom = 0xC000;
  HWND desktop = nullptr;
  std::vector<std::unique_ptr<ThreadQueue>> queues;
  IWindowPaintBackend* backend = nullptr;
  WindowClass desktopClass;
  int cascade = 0;
};

Globals& G() {
  // Never destroyed: threads may still touch it while the process exits.
  static Globals* g = [] {
    auto* n = new Globals;
    n->desktopClass.name = "#32769";
    n->desktopClass.proc = DefWindowProc;
    HWND d = new HWND__;
    d->cls = &n->desktopClass;
    d->proc = DefWindowProc;
    d->style = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    d->rcWindow = CRect(0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT);
    d->rcClient = d->rcWindow;
    n->desktop = d;
    n->live.insert(d);
    return n;
  }();
  return *g;
}

std::string Lower(const char* s) {
  std::string r = s ? s : "";
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

struct TlsQueue {
  ThreadQueue* q = nullptr;
  ~TlsQueue() {
    if (q) UiEndThreadQueue();
  }
};
thread_local TlsQueue t_queue;

WindowClass* FindClass(LPCSTR name) {
  Globals& g = G();
  if (IS_INTRESOURCE(name)) {
    ATOM a = (ATOM)(ULONG_PTR)name;
    for (auto& [k, c] : g.classes)
      if (c->atom == a) return c.get();
    return nullptr;
  }
  auto it = g.classes.find(Lower(name));
  return it == g.classes.end() ? nullptr : it->second.get();
}

bool IsTopLevel(HWND h) { return h->parent == G().desktop; }

HWND Root(HWND h) {
  while (h && h->parent && h->parent != G().desktop) h = h->parent;
  return h;
}

bool IsDescendant(HWND ancestor, HWND h) {
  for (HWND p = h; p; p = p->parent)
    if (p == ancestor) return true;
  return false;
}

HWND Checked(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (!h || !G().live.count(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return h;
}

// A window that may be changed by the calling thread (its owner).
HWND Owned(HWND h) {
  if (!Checked(h)) return nullptr;
  if (h == G().desktop) return nullptr;
  if (h->queue != CurrentQueue()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return h;
}

void FreeWindow(HWND h) { delete h; }

// The frame thickness and caption of a style, as the non-client area takes them.
CRect NcInsets(DWORD style, DWORD ex) {
  int b = 0;
  if (style & WS_THICKFRAME)
    b = UiSystemMetric(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME))
    b = UiSystemMetric(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    b = UiSystemMetric(SM_CXBORDER);
  if (ex & WS_EX_CLIENTEDGE) b += UiSystemMetric(SM_CXEDGE);
  if (ex & WS_EX_STATICEDGE) b += UiSystemMetric(SM_CXBORDER);
  CRect r(b, b, b, b);
  if ((style & WS_CAPTION) == WS_CAPTION)
    r.top += (ex & WS_EX_TOOLWINDOW) ? UiSystemMetric(SM_CYSMCAPTION) : UiSystemMetric(SM_CYCAPTION);
  return r;
}

void Unlink(HWND h) {
  if (!h->parent) return;
  auto& v = h->parent->children;
  v.erase(std::remove(v.begin(), v.end(), h), v.end());
}

// Inserts h among its parent's children: at the front (after the top-most windows unless it is
// one), at the back, or after a sibling.
void LinkAt(HWND h, HWND after) {
  auto& v = h->parent->children;
  v.erase(std::remove(v.begin(), v.end(), h), v.end());
  bool top = IsTopLevel(h);
  if (after == HWND_BOTTOM) {
    v.push_back(h);
    return;
  }
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    size_t i = 0;
    if (top && !(h->exStyle & WS_EX_TOPMOST))
      while (i < v.size() && (v[i]->exStyle & WS_EX_TOPMOST)) ++i;
    v.insert(v.begin() + (long)i, h);
    return;
  }
  auto it = std::find(v.begin(), v.end(), after);
  if (it == v.end())
    v.insert(v.begin(), h);
  else
    v.insert(it + 1, h);
}

// Windows a top-level window owns stay above it: placed anywhere, it takes those below it along,
// just above itself in their order.
void KeepOwnedAbove(HWND h) {
  if (!IsTopLevel(h)) return;
  auto& v = h->parent->children;
  auto owns = [h](HWND w) {
    for (HWND o = w->owner; o; o = o->owner)
      if (o == h) return true;
    return false;
  };
  auto at = std::find(v.begin(), v.end(), h);
  if (at == v.end()) return;
  std::vector<HWND> below;
  for (auto it = at + 1; it != v.end(); ++it)
    if (owns(*it)) below.push_back(*it);
  if (below.empty()) return;
  v.erase(std::remove_if(at + 1, v.end(), owns), v.end());
  v.insert(std::find(v.begin(), v.end(), h), below.begin(), below.end());
}


HWND NextTopLevelToActivate(ThreadQueue* q, HWND except) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND w : G().desktop->children)
    if (w != except && w->queue == q && !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
        !IsDescendant(except, w))
      return w;
  return nullptr;
}

void InvalidateTree(HWND h, const CRect& clientRect, bool erase, bool allChildren = false);
void InvalidateChildren(HWND h, const CRect& parentClientRect, bool erase);
void FramesAroundPaintedOver(HWND h, const CRect& parentClientRect);

// An area uncovered shows every window under it again, whether or not its parent clips children.
void ExposeTree(HWND h, const CRect& clientRect) { InvalidateTree(h, clientRect, true, true); }

// What a window shows on its top-level surface: its frame and client area as far as ancestors and
// the siblings above leave them, in surface coordinates.
struct Shown {
  HWND parent = nullptr, root = nullptr;
  CUpdateRegion frame, client;
  POINT window{0, 0}, clientAt{0, 0}, parentClientAt{0, 0};
  CSize clientSize;
};
Shown ShownNow(HWND h);
void Expose(HWND h, const Shown& was, bool frameChanged = false);

// Keeps the caller's memory of a window safe across a call that may destroy it.
struct Hold {
  HWND h;
  explicit Hold(HWND w) : h(w) { ++h->callDepth; }
  ~Hold() {
    if (--h->callDepth == 0 && h->dead) FreeWindow(h);
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};

void SendDestroyTree(HWND h) {
  h->destroying = true;
  Deliver(h, WM_DESTROY, 0, 0);
  std::vector<HWND> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    kids = h->children;
  }
  for (HWND c : kids)
    if (Checked(c) && !c->destroying) SendDestroyTree(c);
}

void Finalize(HWND h) {
  ThreadQueue* q = h->queue;
  KillWindowTimers(h);
  if (G().backend) G().backend->WindowDestroyed(h);
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    Unlink(h);
    G().live.erase(h);
    h->dead = true;
    for (HWND c : h->children) c->parent = nullptr;
    h->children.clear();
    for (HWND w : G().desktop->children)
      if (w->owner == h) w->owner = nullptr;
  }
  ForgetWindowInQueue(h);
  if (q) {
    if (q->focus == h) q->focus = nullptr;
    if (q->active == h) q->active = nullptr;
    if (q->capture == h) q->capture = nullptr;
    if (q->caret.owner == h) q->caret = Caret{};
    if (q->lastClick.hwnd == h) q->lastClick = ClickMemory{};
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    auto& d = q->dirty;
    d.erase(std::remove(d.begin(), d.end(), h), d.end());
  }
}

void SendNcDestroyTree(HWND h) {
  std::vector<HWND> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    kids = h->children;
  }
  for (HWND c : kids)
    if (Checked(c)) SendNcDestroyTree(c);
  Hold hold(h);
  Deliver(h, WM_NCDESTROY, 0, 0);
  Finalize(h);
}

CRect ParentClient(HWND h) {
  HWND p = h->parent;
  if (!p) return CRect();
  return CRect(0, 0, p->rcClient.Width(), p->rcClient.Height());
}

}  // namespace

void NotifyParents(HWND h, UINT event, LPARAM lp, const POINT* screen) {
  if (h->exStyle & WS_EX_NOPARENTNOTIFY) return;
  WORD high = screen ? 0 : (WORD)h->id;
  HWND child = h;
  while ((child->style & WS_CHILD) && !(child->exStyle & WS_EX_NOPARENTNOTIFY)) {
    HWND p = child->parent;
    if (!p || p == G().desktop || !Checked(p)) break;
    if (screen) {
      POINT o = ClientOrigin(p);
      lp = MAKELPARAM(screen->x - o.x, screen->y - o.y);
    }
    Deliver(p, WM_PARENTNOTIFY, MAKEWPARAM(event, high), lp);
    if (!Checked(p)) break;
    child = p;
  }
}

std::recursive_mutex& WmLock() {
  static std::recursive_mutex* m = new std::recursive_mutex;
  return *m;
}

bool IsLive(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  return h && G().live.count(h) != 0;
}

HWND Desktop() { return G().desktop; }

void CancelMode(HWND h) {
  if (!Checked(h)) return;
  ++h->modeCancels;
  Deliver(h, WM_CANCELMODE, 0, 0);
}

unsigned ModeCancelsOver(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  unsigned n = 0;
  for (HWND w = h; w && IsLive(w) && w != G().desktop; w = w->parent) n += w->modeCancels;
  return n;
}

namespace {

// A box comes up modal to its owner's top-level window (the active one when none is named): the
// active window hears WM_CANCELMODE as the box takes its place, the owner is disabled while the box
// is up, so it holds no capture and the mouse input already waiting for it is lost.
void ModalBoxShown(HWND owner) {
  ThreadQueue* q = t_queue.q;
  if (!q || !q->alive) return;
  HWND top = q->active;
  if (owner) {
    if (!IsWindow(owner) || owner->queue != q) return;
    top = Root(owner);
  }
  if (q->active && IsWindow(q->active)) CancelMode(q->active);
  if (!top || !IsWindow(top)) return;
  if (top != q->active) CancelMode(top);
  if (!IsWindow(top)) return;
  if (HWND c = q->capture; c && IsWindow(c) && IsDescendant(top, c)) ReleaseCapture();
  DropMouseInputOver(q, top);
}

}  // namespace

ThreadQueue* CurrentQueue() {
  if (t_queue.q) return t_queue.q;
  // Boxes are modal over the windows of the thread that shows them, once it has any.
  static const bool hooked = [] {
    Automation::Instance().SetModalBoxHook(ModalBoxShown);
    return true;
  }();
  (void)hooked;
  auto q = std::make_unique<ThreadQueue>();
  q->threadId = GetCurrentThreadId();
  ThreadQueue* raw = q.get();
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    G().queues.push_back(std::move(q));
  }
  t_queue.q = raw;
  return raw;
}

ThreadQueue* FindQueue(DWORD threadId) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (auto it = G().queues.rbegin(); it != G().queues.rend(); ++it)
    if ((*it)->threadId == threadId && (*it)->alive) return it->get();
  return nullptr;
}

std::vector<ThreadQueue*> AllQueues() {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  std::vector<ThreadQueue*> r;
  for (auto& q : G().queues) r.push_back(q.get());
  return r;
}

LRESULT CallProc(WNDPROC proc, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!proc) return 0;
  Hold hold(h);
  return proc(h, msg, wp, lp);
}

LRESULT Deliver(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!Checked(h) || h == G().desktop) return 0;
  return CallProc(h->proc, h, msg, wp, lp);
}

POINT WindowOrigin(HWND h) {
  POINT p{0, 0};
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND w = h; w && w != G().desktop; w = w->parent) {
    p.x += w->rcWindow.left;
    p.y += w->rcWindow.top;
    if (w->parent && w->parent != G().desktop) {
      p.x += w->parent->rcClient.left;
      p.y += w->parent->rcClient.top;
    }
  }
  return p;
}

POINT ClientOrigin(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  POINT p = WindowOrigin(h);
  if (h != G().desktop) {
    p.x += h->rcClient.left;
    p.y += h->rcClient.top;
  }
  return p;
}

bool NeedsPaint(HWND h) {
  return IsLive(h) && !h->dead && (!h->update.IsEmpty() || h->internalPaint || h->ncPaint) && IsWindowVisible(h);
}

bool PaintHeld(HWND h) {
  for (HWND w = h; w && w != G().desktop; w = w->parent)
    if (!w->redraw) return true;
  return false;
}

void MarkDirty(HWND h) {
  // Any thread may invalidate a window: the dirty list is kept under the window lock.
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (h->inDirtyList || !h->queue) return;
  h->inDirtyList = true;
  h->queue->dirty.push_back(h);
  if (h->queue != CurrentQueue()) WakeQueue(h->queue);
}

void RecalcClient(HWND h) {
  CRect r = h->rcWindow;
  NCCALCSIZE_PARAMS p{};
  p.rgrc[0] = r;
  Deliver(h, WM_NCCALCSIZE, FALSE, (LPARAM)&p.rgrc[0]);
  if (!Checked(h)) return;
  CRect c = p.rgrc[0];
  c.OffsetRect(-r.left, -r.top);
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  // Other threads read the client area to place posted input.
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  h->rcClient = c;
}

namespace {

void InvalidateTree(HWND h, const CRect& clientRect, bool erase, bool allChildren) {
  if (!(h->style & WS_VISIBLE) || h->dead) return;
  CRect client(0, 0, h->rcClient.Width(), h->rcClient.Height());
  CRect r;
  if (!r.IntersectRect(&client, &clientRect)) return;
  h->update.Add(r);
  if (erase) h->erase = true;
  ++h->invalidateSerial;
  MarkDirty(h);
  if (allChildren || !(h->style & WS_CLIPCHILDREN)) InvalidateChildren(h, r, erase);
  else FramesAroundPaintedOver(h, r);
}

// Where a child's paint reaches in its parent: its window and what it draws around it.
CRect Reach(HWND c) {
  CRect r = c->rcWindow;
  r.InflateRect(c->around.left, c->around.top, c->around.right, c->around.bottom);
  return r;
}

// The parent paints `r` (its client coordinates) over what a child draws in it outside `kept`, the
// part the parent's paint leaves alone: the child's frame is drawn again after it.
void FrameAgainUnder(HWND c, const CRect& r, const CRect& kept) {
  CRect hit, inside;
  const CRect reach = Reach(c);
  if (c->dead || !hit.IntersectRect(&r, &reach) || (inside.IntersectRect(&hit, &kept) && inside == hit)) return;
  c->ncPaint = true;
  MarkDirty(c);
}

// Children that draw around themselves where the parent paints outside them draw that again after it.
void FramesAroundPaintedOver(HWND h, const CRect& r) {
  for (HWND c : h->children)
    if ((c->style & WS_VISIBLE) && !c->around.IsRectNull()) FrameAgainUnder(c, r, c->rcWindow);
}

void InvalidateChildren(HWND h, const CRect& r, bool erase) {
  for (HWND c : h->children) {
    if (!(c->style & WS_VISIBLE)) continue;
    // The parent's paint covers the child's frame too (and what it draws around itself).
    CRect clientInParent = c->rcClient;
    clientInParent.OffsetRect(c->rcWindow.left, c->rcWindow.top);
    FrameAgainUnder(c, r, clientInParent);
    CRect cr;
    if (!cr.IntersectRect(&r, &c->rcWindow)) continue;
    cr.OffsetRect(-c->rcWindow.left - c->rcClient.left, -c->rcWindow.top - c->rcClient.top);
    // What the parent paints over covers the child's own children too, clipped or not.
    InvalidateTree(c, cr, erase, true);
  }
}

void InvalidateWhole(HWND h) {
  h->ncPaint = true;
  MarkDirty(h);
  InvalidateTree(h, CRect(0, 0, h->rcClient.Width(), h->rcClient.Height()), true);
  // Showing a window shows its visible children too.
  for (HWND c : h->children)
    if (c->style & WS_VISIBLE) InvalidateWhole(c);
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

Shown ShownNow(HWND h) {
  Shown s;
  s.parent = h->parent;
  s.root = Root(h);
  s.clientSize = h->rcClient.Size();
  if (s.parent && s.parent != G().desktop) s.parentClientAt = WindowDrawOrigin(s.parent, DrawArea::Client);
  std::vector<RECT> visible;
  WindowDrawVisible(h, DrawArea::Window, visible);
  if (visible.empty()) return s;
  s.window = WindowDrawOrigin(h, DrawArea::Window);
  s.clientAt = WindowDrawOrigin(h, DrawArea::Client);
  // Exact: what it showed before is subtracted from what it shows now.
  for (const RECT& r : visible) {
    CRect at(r);
    at.OffsetRect(s.window.x, s.window.y);
    s.frame.AddDisjoint(at);
  }
  const CRect client(CPoint(s.clientAt), s.clientSize);
  s.client = s.frame;
  s.client.IntersectWith(client);
  s.frame.Subtract(client);
  return s;
}

// The one exposure rule. Whatever the window no longer shows shows what lies under it again;
// whatever it shows now and did not show at the same place before is drawn again, frame and
// children included. The surface keeps no moved pixels.
void Expose(HWND h, const Shown& was, bool frameChanged) {
  const Shown now = ShownNow(h);
  const bool sameRoot = now.root == was.root;
  HWND p = was.parent;
  if (p && p != G().desktop && IsLive(p) && !p->dead && IsWindowVisible(p)) {
    CUpdateRegion lost = was.frame;
    lost.Add(was.client);
    if (sameRoot) {
      lost.Subtract(now.frame);
      lost.Subtract(now.client);
    }
    lost.Offset(-was.parentClientAt.x, -was.parentClientAt.y);
    for (const CRect& r : lost.Rects()) ExposeTree(p, r);
  }
  if (h->dead || (now.frame.IsEmpty() && now.client.IsEmpty())) return;
  CUpdateRegion frame = now.frame, client = now.client;
  if (sameRoot && SamePoint(now.window, was.window) && SamePoint(now.clientAt, was.clientAt)) {
    frame.Subtract(was.frame);
    client.Subtract(was.client);
  }
  // A new size is new content where the class asks for it, and a new frame.
  const CSize size = h->rcClient.Size();
  if (size != was.clientSize) {
    const UINT cs = h->cls->style;
    if (((cs & CS_HREDRAW) && size.cx != was.clientSize.cx) || ((cs & CS_VREDRAW) && size.cy != was.clientSize.cy))
      InvalidateTree(h, CRect(CPoint(0, 0), size), true);
    frameChanged = true;
  }
  if (frameChanged || !frame.IsEmpty()) {
    // A frame to draw again is pending even where the client area is empty.
    h->ncPaint = true;
    MarkDirty(h);
  }
  client.Offset(-now.clientAt.x, -now.clientAt.y);
  for (const CRect& r : client.Rects()) ExposeTree(h, r);
}

}  // namespace
CRect NonClientInsets(HWND h) { return NcInsets(h->style, h->exStyle); }

void SetDrawnAroundInParent(HWND hwnd, const RECT& margins) {
  if (!Checked(hwnd)) return;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  hwnd->around = margins;
}

CRect MaximizedChildRect(HWND h) {
  const CRect in = NcInsets(h->style, h->exStyle);
  CRect r = ParentClient(h);
  r.InflateRect(in.left, in.top, in.right, in.bottom);
  return r;
}

}  // namespace ui

using namespace ui;

int UiSystemMetric(int index) {
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return DRAVONIX_DESKTOP_WIDTH;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return DRAVONIX_DESKTOP_HEIGHT;
    case SM_CYFULLSCREEN: return DRAVONIX_DESKTOP_HEIGHT - 19;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CYMENU: return 19;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXMAXIMIZED: return DRAVONIX_DESKTOP_WIDTH + 8;
    case SM_CYMAXIMIZED: return DRAVONIX_DESKTOP_HEIGHT + 8;
    case SM_CXMAXTRACK: return DRAVONIX_DESKTOP_WIDTH + 12;
    case SM_CYMAXTRACK: return DRAVONIX_DESKTOP_HEIGHT + 12;
    default: return 0;
  }
}

// ---- Classes ---------------------------------------------------------------------------------

ATOM RegisterClassEx(const WNDCLASSEX* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  Globals& g = G();
  std::string key = Lower(wc->lpszClassName);
  if (g.classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_unique<WindowClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc ? wc->lpfnWndProc : DefWindowProc;
  c->cbClsExtra = wc->cbClsExtra;
  c->cbWndExtra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  c->menuName = (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) ? wc->lpszMenuName : "";
  c->iconSmall = wc->hIconSm;
  c->atom = g.nextAtom++;
  ATOM a = c->atom;
  g.classes[key] = std::move(c);
  return a;
}

ATOM RegisterClass(const WNDCLASS* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEX ex{sizeof(WNDCLASSEX), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr};
  return RegisterClassEx(&ex);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  WindowClass* c = FindClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (HWND w : G().live)
    if (w->cls == c) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  G().classes.erase(Lower(c->name.c_str()));
  return TRUE;
}

BOOL GetClassInfoEx(HINSTANCE, LPCSTR className, WNDCLASSEX* wc) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  WindowClass* c = FindClass(className);
  if (!c || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  wc->cbSize = sizeof(WNDCLASSEX);
  wc->style = c->style;
  wc->lpfnWndProc = c->proc;
  wc->cbClsExtra = c->cbClsExtra;
  wc->cbWndExtra = c->cbWndExtra;
  wc->hInstance = c->instance;
  wc->hIcon = c->icon;
  wc->hCursor = c->cursor;
  wc->hbrBackground = c->background;
  wc->lpszMenuName = c->menuName.empty() ? nullptr : c->menuName.c_str();
  wc->lpszClassName = c->name.c_str();
  wc->hIconSm = c->iconSmall;
  return c->atom;
}

BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* wc) {
  WNDCLASSEX ex{};
  if (!wc || !GetClassInfoEx(instance, className, &ex)) return FALSE;
  *wc = WNDCLASS{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon, ex.hCursor,
                 ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
  return TRUE;
}

int GetClassName(HWND hwnd, LPSTR buf, int size) {
  if (!Checked(hwnd) || !buf || size <= 0) return 0;
  const std::string& n = hwnd->cls->name;
  int len = std::min<int>((int)n.size(), size - 1);
  memcpy(buf, n.data(), (size_t)len);
  buf[len] = 0;
  return len;
}

ULONG_PTR GetClassLongPtr(HWND hwnd, int index) {
  if (!Checked(hwnd)) return 0;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  WindowClass* c = hwnd->cls;
  switch (index) {
    case GCL_STYLE: return c->style;
    case GCLP_HCURSOR: return (ULONG_PTR)c->cursor;
    case GCLP_HBRBACKGROUND: return (ULONG_PTR)c->background;
    case GCLP_WNDPROC: return (ULONG_PTR)c->proc;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) {
  if (!Checked(hwnd)) return 0;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  WindowClass* c = hwnd->cls;
  ULONG_PTR old = GetClassLongPtr(hwnd, index);
  switch (index) {
    case GCL_STYLE: c->style = (UINT)value; break;
    case GCLP_HCURSOR: c->cursor = (HCURSOR)value; break;
    case GCLP_HBRBACKGROUND: c->background = (HBRUSH)value; break;
    case GCLP_WNDPROC: c->proc = (WNDPROC)value; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  return old;
}

// ---- Creation and destruction ----------------------------------------------------------------

namespace ui {
// The framework's hook: attaches its object to a window before the window's first message.
thread_local void (*t_createHook)(HWND, void*) = nullptr;
thread_local void* t_createHookData = nullptr;
}  // namespace ui

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  ThreadQueue* q = CurrentQueue();
  // Owned here until the window manager lists it.
  auto made = std::make_unique<HWND__>();
  HWND h = made.get();
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    Globals& g = G();
    WindowClass* cls = FindClass(className);
    if (!cls) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (parent == HWND_MESSAGE) parent = nullptr;
    if (parent && !g.live.count(parent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if ((style & WS_CHILD) && (!parent || parent == g.desktop)) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    h->cls = cls;
    h->proc = cls->proc;
    h->queue = q;
    h->instance = instance;
    if (!(style & (WS_CHILD | WS_POPUP))) {
      style |= WS_CLIPSIBLINGS | WS_CAPTION;
      exStyle |= WS_EX_WINDOWEDGE;
    }
    h->style = style & ~WS_VISIBLE;
    h->exStyle = exStyle;
    if (style & WS_CHILD) {
      h->parent = parent;
      h->id = (UINT_PTR)menu;
    } else {
      h->parent = g.desktop;
      h->owner = parent ? Root(parent) : nullptr;
      if (h->owner == g.desktop) h->owner = nullptr;
      h->menu = menu;
    }
    bool child = (style & WS_CHILD) != 0;
    bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    if (x == CW_USEDEFAULT) {
      if (overlapped) {
        x = y = 26 * (g.cascade % 8);
        ++g.cascade;
      } else {
        x = 0;
        if (y == CW_USEDEFAULT) y = 0;
      }
    }
    if (width == CW_USEDEFAULT) {
      if (overlapped) {
        width = DRAVONIX_DESKTOP_WIDTH * 3 / 4;
        height = DRAVONIX_DESKTOP_HEIGHT * 3 / 4;
      } else {
        width = height = 0;
      }
    }
    (void)child;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    h->rcWindow = CRect(x, y, x + width, y + height);
    h->rcNormal = h->rcWindow;
    if (cls->cbWndExtra > 0) h->extra.assign((size_t)(cls->cbWndExtra + (int)sizeof(LONG_PTR) - 1) / sizeof(LONG_PTR), 0);
    g.live.insert(h);
    made.release();
    if (style & WS_CHILD)
      h->parent->children.push_back(h);
    else
      LinkAt(h, HWND_TOP);
  }
  if (t_createHook) {
    auto hook = t_createHook;
    void* data = t_createHookData;
    t_createHook = nullptr;
    t_createHookData = nullptr;
    hook(h, data);
  }
  Hold hold(h);
  CREATESTRUCT cs{param, instance, menu, parent, height, width, y, x, (LONG)style, windowName, className, exStyle};
  if (!(style & WS_CHILD) && (style & (WS_THICKFRAME | WS_CAPTION))) {
    MINMAXINFO mmi{};
    mmi.ptMaxSize = POINT{UiSystemMetric(SM_CXMAXIMIZED), UiSystemMetric(SM_CYMAXIMIZED)};
    mmi.ptMaxPosition = POINT{-4, -4};
    mmi.ptMinTrackSize = POINT{UiSystemMetric(SM_CXMINTRACK), UiSystemMetric(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = POINT{UiSystemMetric(SM_CXMAXTRACK), UiSystemMetric(SM_CYMAXTRACK)};
    Deliver(h, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    if (h->dead) return nullptr;
    int w = std::clamp<int>(h->rcWindow.Width(), 0, mmi.ptMaxTrackSize.x);
    int ht = std::clamp<int>(h->rcWindow.Height(), 0, mmi.ptMaxTrackSize.y);
    h->rcWindow.right = h->rcWindow.left + w;
    h->rcWindow.bottom = h->rcWindow.top + ht;
  }
  if (!Deliver(h, WM_NCCREATE, 0, (LPARAM)&cs)) {
    if (!h->dead) {
      h->destroying = true;
      SendNcDestroyTree(h);
    }
    return nullptr;
  }
  if (h->dead) return nullptr;
  RecalcClient(h);
  if (h->dead) return nullptr;
  if (Deliver(h, WM_CREATE, 0, (LPARAM)&cs) == -1) {
    if (!h->dead) DestroyWindow(h);
    return nullptr;
  }
  if (h->dead) return nullptr;
  Deliver(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(h->rcClient.Width(), h->rcClient.Height()));
  if (h->dead) return nullptr;
  POINT org{h->rcWindow.left + h->rcClient.left, h->rcWindow.top + h->rcClient.top};
  Deliver(h, WM_MOVE, 0, MAKELPARAM(org.x, org.y));
  if (h->dead) return nullptr;
  if (style & WS_CHILD) NotifyParents(h, WM_CREATE, (LPARAM)h);
  if (h->dead) return nullptr;
  if (style & WS_VISIBLE) {
    int cmd = (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
              : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
              : (exStyle & WS_EX_NOACTIVATE) ? SW_SHOWNOACTIVATE
                                            : SW_SHOW;
    ShowWindow(h, cmd);
  }
  if (h->dead) return nullptr;
  return h;
}

BOOL IsWindow(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  return hwnd && G().live.count(hwnd) && !hwnd->dead;
}

BOOL DestroyWindow(HWND hwnd) {
  if (!Owned(hwnd)) return FALSE;
  if (hwnd->destroying) return FALSE;
  Hold hold(hwnd);
  ThreadQueue* q = hwnd->queue;
  if (hwnd->style & WS_CHILD) NotifyParents(hwnd, WM_DESTROY, (LPARAM)hwnd);
  if (hwnd->dead || hwnd->destroying) return !hwnd->dead;
  // Owned windows go first.
  std::vector<HWND> owned;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    for (HWND w : G().desktop->children)
      if (w->owner == hwnd && w->queue == q) owned.push_back(w);
  }
  for (HWND w : owned)
    if (IsWindow(w)) DestroyWindow(w);
  if (hwnd->dead || hwnd->destroying) return !hwnd->dead;
  const Shown was = ShownNow(hwnd);
  hwnd->style &= ~WS_VISIBLE;
  Expose(hwnd, was);
  if (q->capture && IsDescendant(hwnd, q->capture)) ReleaseCapture();
  if (q->focus && IsDescendant(hwnd, q->focus)) {
    HWND old = q->focus;
    q->focus = nullptr;
    Deliver(old, WM_KILLFOCUS, 0, 0);
  }
  bool wasActive = q->active && IsDescendant(hwnd, q->active);
  if (hwnd->dead || hwnd->destroying) return !hwnd->dead;
  SendDestroyTree(hwnd);
  if (!hwnd->dead) SendNcDestroyTree(hwnd);
  if (wasActive && q->active == nullptr) {
    HWND next = NextTopLevelToActivate(q, nullptr);
    if (next) SetActiveWindow(next);
  }
  return TRUE;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc || !Checked(hwnd)) return 0;
  return CallProc(proc, hwnd, msg, wParam, lParam);
}

// ---- Tree ------------------------------------------------------------------------------------

HWND GetDesktopWindow() { return G().desktop; }

HWND GetParent(HWND hwnd) {
  if (!Checked(hwnd)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (hwnd->style & WS_CHILD) return hwnd->parent == G().desktop ? nullptr : hwnd->parent;
  if (hwnd->style & WS_POPUP) return hwnd->owner;
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  if (!Owned(child)) return nullptr;
  if (newParent && !Checked(newParent)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (!newParent) newParent = G().desktop;
  if (IsDescendant(child, newParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HWND old = child->parent;
  const Shown was = ShownNow(child);
  Unlink(child);
  child->parent = newParent;
  LinkAt(child, HWND_TOP);
  Expose(child, was);
  return old == G().desktop ? G().desktop : old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  if (!Checked(hwnd) || hwnd == G().desktop) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  switch (flags) {
    case GA_PARENT: return hwnd->parent;
    case GA_ROOT: return Root(hwnd);
    case GA_ROOTOWNER: {
      HWND r = Root(hwnd);
      while (r && r->owner) r = Root(r->owner);
      return r;
    }
    default: return nullptr;
  }
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  if (!Checked(hwnd)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (cmd == GW_CHILD) return hwnd->children.empty() ? nullptr : hwnd->children.front();
  if (cmd == GW_OWNER) return (hwnd->style & WS_CHILD) ? nullptr : hwnd->owner;
  if (cmd == GW_ENABLEDPOPUP) return nullptr;
  if (!hwnd->parent) return nullptr;
  auto& v = hwnd->parent->children;
  auto it = std::find(v.begin(), v.end(), hwnd);
  if (it == v.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST: return v.front();
    case GW_HWNDLAST: return v.back();
    case GW_HWNDNEXT: return (it + 1 == v.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == v.begin()) ? nullptr : *(it - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  if (!hwnd) hwnd = G().desktop;
  return GetWindow(hwnd, GW_CHILD);
}

BOOL IsChild(HWND parent, HWND hwnd) {
  if (!Checked(parent) || !Checked(hwnd) || parent == hwnd) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND w = hwnd; w && (w->style & WS_CHILD); w = w->parent)
    if (w->parent == parent) return TRUE;
  return FALSE;
}

HWND GetDlgItem(HWND parent, int id) {
  if (!Checked(parent)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND c : parent->children)
    if ((c->style & WS_CHILD) && (int)c->id == id) return c;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  if (!Checked(hwnd) || !(hwnd->style & WS_CHILD)) return 0;
  return (int)hwnd->id;
}

LRESULT SendDlgItemMessage(HWND parent, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND c = GetDlgItem(parent, id);
  return c ? SendMessage(c, msg, wParam, lParam) : 0;
}

BOOL SetDlgItemText(HWND parent, int id, LPCSTR text) {
  HWND c = GetDlgItem(parent, id);
  return c ? SetWindowText(c, text) : FALSE;
}

UINT GetDlgItemText(HWND parent, int id, LPSTR buf, int size) {
  HWND c = GetDlgItem(parent, id);
  if (!c) {
    if (buf && size > 0) buf[0] = 0;
    return 0;
  }
  return (UINT)GetWindowText(c, buf, size);
}

BOOL SetDlgItemInt(HWND parent, int id, UINT value, BOOL isSigned) {
  char buf[32];
  std::string s = isSigned ? std::to_string((int)value) : std::to_string(value);
  memcpy(buf, s.c_str(), s.size() + 1);
  return SetDlgItemText(parent, id, buf);
}

UINT GetDlgItemInt(HWND parent, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  char buf[64];
  if (!GetDlgItem(parent, id)) return 0;
  GetDlgItemText(parent, id, buf, sizeof buf);
  const char* p = buf;
  while (*p == ' ' || *p == '\t') ++p;
  bool neg = false;
  if (isSigned && *p == '-') {
    neg = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  unsigned long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (unsigned)(*p - '0');
    if (v > 0xFFFFFFFFull) return 0;
    ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (*p) return 0;
  if (isSigned && (neg ? v > 0x80000000ull : v > 0x7FFFFFFFull)) return 0;
  if (translated) *translated = TRUE;
  return neg ? (UINT)(-(long long)v) : (UINT)v;
}

namespace {
void TabOrder(HWND parent, std::vector<HWND>& out) {
  for (HWND c : parent->children) {
    if (!(c->style & WS_CHILD)) continue;
    if ((c->exStyle & WS_EX_CONTROLPARENT) && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED))
      TabOrder(c, out);
    else
      out.push_back(c);
  }
}
bool Usable(HWND c) { return (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED); }
}  // namespace

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  if (!Checked(hDlg) || (hCtl && !Checked(hCtl))) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  std::vector<HWND> order;
  TabOrder(hDlg, order);
  if (order.empty()) return nullptr;
  int n = (int)order.size();
  int at = -1;
  // A control's own child (a combo box's edit) stands for the control.
  for (HWND c = hCtl; c && c != hDlg && at < 0; c = c->parent)
    for (int i = 0; i < n; ++i)
      if (order[(size_t)i] == c) at = i;
  if (at < 0) at = bPrevious ? 0 : n - 1;
  for (int k = 1; k <= n; ++k) {
    int i = ((at + (bPrevious ? -k : k)) % n + n) % n;
    HWND c = order[(size_t)i];
    if (Usable(c) && (c->style & WS_TABSTOP)) return c;
  }
  return hCtl;
}

HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  if (!Checked(hDlg) || !Checked(hCtl)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  // Groups are made of siblings.
  std::vector<HWND> order;
  if (hCtl->parent)
    for (HWND c : hCtl->parent->children)
      if (c->style & WS_CHILD) order.push_back(c);
  int n = (int)order.size(), at = -1;
  for (int i = 0; i < n; ++i)
    if (order[(size_t)i] == hCtl) at = i;
  if (at < 0) return hCtl;
  // The group runs from the item with WS_GROUP at or before hCtl up to the next WS_GROUP.
  int first = at;
  while (first > 0 && !(order[(size_t)first]->style & WS_GROUP)) --first;
  int last = at;
  while (last + 1 < n && !(order[(size_t)last + 1]->style & WS_GROUP)) ++last;
  int size = last - first + 1;
  for (int k = 1; k <= size; ++k) {
    int i = first + ((at - first + (bPrevious ? -k : k)) % size + size) % size;
    if (Usable(order[(size_t)i])) return order[(size_t)i];
  }
  return hCtl;
}

namespace {
bool EnumTree(HWND parent, WNDENUMPROC proc, LPARAM lp) {
  std::vector<HWND> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    kids = parent->children;
  }
  for (HWND c : kids) {
    if (!IsWindow(c)) continue;
    if (!proc(c, lp)) return false;
    if (IsWindow(c) && !EnumTree(c, proc, lp)) return false;
  }
  return true;
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  if (!parent) parent = G().desktop;
  if (!Checked(parent)) return FALSE;
  return EnumTree(parent, proc, lParam) ? TRUE : FALSE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  std::vector<HWND> tops;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    tops = G().desktop->children;
  }
  for (HWND w : tops)
    if (IsWindow(w) && !proc(w, lParam)) return FALSE;
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  std::vector<HWND> tops;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    for (HWND w : G().desktop->children)
      if (w->queue && w->queue->threadId == threadId) tops.push_back(w);
  }
  for (HWND w : tops)
    if (IsWindow(w) && !proc(w, lParam)) return FALSE;
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  if (!Checked(hwnd)) return 0;
  if (processId) *processId = GetCurrentProcessId();
  return hwnd->queue ? hwnd->queue->threadId : 0;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND w : G().desktop->children) {
    if (className && Lower(w->cls->name.c_str()) != Lower(className)) continue;
    if (windowName && w->text != windowName) continue;
    return w;
  }
  return nullptr;
}

// ---- Text, long values, properties --------------------------------------------------------------

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  if (!Checked(hwnd)) return FALSE;
  return (BOOL)SendMessage(hwnd, WM_SETTEXT, 0, (LPARAM)(text ? text : ""));
}

int GetWindowText(HWND hwnd, LPSTR buf, int size) {
  if (!buf || size <= 0) return 0;
  buf[0] = 0;
  if (!Checked(hwnd)) return 0;
  // A window of this process is asked, also from another thread: its text may be its own to answer.
  return (int)SendMessage(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)buf);
}

int GetWindowTextLength(HWND hwnd) {
  if (!Checked(hwnd)) return 0;
  return (int)SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  if (!Checked(hwnd)) return 0;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  switch (index) {
    case GWL_WNDPROC: return (LONG_PTR)hwnd->proc;
    case GWL_HINSTANCE: return (LONG_PTR)hwnd->instance;
    case GWL_HWNDPARENT: return (LONG_PTR)((hwnd->style & WS_CHILD) ? hwnd->parent : hwnd->owner);
    case GWL_ID: return (LONG_PTR)hwnd->id;
    case GWL_STYLE: return (LONG_PTR)(LONG)hwnd->style;
    case GWL_EXSTYLE: return (LONG_PTR)(LONG)hwnd->exStyle;
    case GWL_USERDATA: return hwnd->userData;
    default:
      if (index >= 0 && (size_t)index / sizeof(LONG_PTR) < hwnd->extra.size() && index % (int)sizeof(LONG_PTR) == 0)
        return hwnd->extra[(size_t)index / sizeof(LONG_PTR)];
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  if (!Checked(hwnd) || hwnd == G().desktop) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  switch (index) {
    case GWL_WNDPROC:
      if (hwnd->queue != CurrentQueue()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
      }
      hwnd->proc = value ? (WNDPROC)value : DefWindowProc;
      return old;
    case GWL_HINSTANCE: hwnd->instance = (HINSTANCE)value; return old;
    case GWL_HWNDPARENT:
      if (!(hwnd->style & WS_CHILD)) hwnd->owner = (value && IsWindow((HWND)value)) ? Root((HWND)value) : nullptr;
      return old;
    case GWL_ID: hwnd->id = (UINT_PTR)value; return old;
    case GWL_USERDATA: hwnd->userData = value; return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss{(DWORD)old, (DWORD)value};
      Deliver(hwnd, WM_STYLECHANGING, (WPARAM)index, (LPARAM)&ss);
      if (!IsWindow(hwnd)) return 0;
      if (index == GWL_STYLE)
        hwnd->style = ss.styleNew;
      else
        hwnd->exStyle = ss.styleNew;
      Deliver(hwnd, WM_STYLECHANGED, (WPARAM)index, (LPARAM)&ss);
      return old;
    }
    default:
      if (index >= 0 && (size_t)index / sizeof(LONG_PTR) < hwnd->extra.size() && index % (int)sizeof(LONG_PTR) == 0) {
        hwnd->extra[(size_t)index / sizeof(LONG_PTR)] = value;
        return old;
      }
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

BOOL SetProp(HWND hwnd, LPCSTR name, HANDLE data) {
  if (!Checked(hwnd) || !name) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : Lower(name);
  hwnd->props[key] = data;
  return TRUE;
}

HANDLE GetProp(HWND hwnd, LPCSTR name) {
  if (!Checked(hwnd) || !name) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : Lower(name);
  auto it = hwnd->props.find(key);
  return it == hwnd->props.end() ? nullptr : it->second;
}

HANDLE RemoveProp(HWND hwnd, LPCSTR name) {
  if (!Checked(hwnd) || !name) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  std::string key = IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : Lower(name);
  auto it = hwnd->props.find(key);
  if (it == hwnd->props.end()) return nullptr;
  HANDLE h = it->second;
  hwnd->props.erase(it);
  return h;
}

// ---- State -----------------------------------------------------------------------------------

BOOL IsWindowVisible(HWND hwnd) {
  if (!Checked(hwnd)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND w = hwnd; w && w != G().desktop; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return FALSE;
  return TRUE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  if (!Checked(hwnd)) return FALSE;
  return (hwnd->style & WS_DISABLED) ? FALSE : TRUE;
}

BOOL IsIconic(HWND hwnd) { return Checked(hwnd) && (hwnd->style & WS_MINIMIZE) ? TRUE : FALSE; }
BOOL IsZoomed(HWND hwnd) { return Checked(hwnd) && (hwnd->style & WS_MAXIMIZE) ? TRUE : FALSE; }
BOOL FlashWindow(HWND hwnd, BOOL) { return Checked(hwnd) && CurrentQueue()->active == hwnd; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  if (!Owned(hwnd)) return FALSE;
  BOOL wasDisabled = (hwnd->style & WS_DISABLED) ? TRUE : FALSE;
  ThreadQueue* q = hwnd->queue;
  if (enable && wasDisabled) {
    hwnd->style &= ~WS_DISABLED;
    const HWND had = hwnd->focusWhenDisabled;
    hwnd->focusWhenDisabled = nullptr;
    Deliver(hwnd, WM_ENABLE, TRUE, 0);
    // The end of a modal loop over the window: the focus it lost goes back where it was, unless
    // another window took it meanwhile.
    if (had && !q->focus && IsWindow(hwnd) && IsWindow(had) && IsDescendant(hwnd, had) && q->active == Root(hwnd) &&
        IsWindowVisible(had) && IsWindowEnabled(had))
      SetFocus(had);
  } else if (!enable && !wasDisabled) {
    CancelMode(hwnd);
    if (!IsWindow(hwnd)) return wasDisabled;
    hwnd->style |= WS_DISABLED;
    if (q->focus && IsDescendant(hwnd, q->focus)) {
      // Owners are disabled by modal loops; a child disabled keeps nothing.
      if (!(hwnd->style & WS_CHILD)) hwnd->focusWhenDisabled = q->focus;
      SetFocus(nullptr);
    }
    if (IsWindow(hwnd)) Deliver(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

namespace {
// A child shown, raised, maximized or restored with activation hears it; an MDI child becomes the
// active one, in front of the others.
void ActivateChild(HWND h) {
  if ((h->style & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE) && !h->dead) Deliver(h, WM_CHILDACTIVATE, 0, 0);
}
}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
  if (!Owned(hwnd)) return FALSE;
  Hold hold(hwnd);
  ThreadQueue* q = hwnd->queue;
  BOOL wasVisible = (hwnd->style & WS_VISIBLE) ? TRUE : FALSE;
  bool top = IsTopLevel(hwnd);
  UINT swp = SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  switch (cmd) {
    case SW_HIDE: {
      if (!wasVisible) return FALSE;
      Deliver(hwnd, WM_SHOWWINDOW, FALSE, 0);
      if (hwnd->dead) return wasVisible;
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, swp | SWP_HIDEWINDOW | SWP_NOACTIVATE);
      if (hwnd->dead) return wasVisible;
      if (q->capture && IsDescendant(hwnd, q->capture)) ReleaseCapture();
      if (top && q->active == hwnd) {
        HWND next = NextTopLevelToActivate(q, hwnd);
        SetActiveWindow(next);
        if (!next && q->focus && IsDescendant(hwnd, q->focus)) SetFocus(nullptr);
      } else if (q->focus && IsDescendant(hwnd, q->focus)) {
        HWND p = (hwnd->style & WS_CHILD) ? hwnd->parent : nullptr;
        SetFocus(p && p != G().desktop ? p : nullptr);
      }
      return wasVisible;
    }
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
      if (!(hwnd->style & WS_MINIMIZE)) {
        if (!(hwnd->style & WS_MAXIMIZE)) hwnd->rcNormal = hwnd->rcWindow;
        hwnd->style = (hwnd->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
        int h = UiSystemMetric(SM_CYCAPTION) + 2 * UiSystemMetric(SM_CYFRAME);
        CRect pc = top ? CRect(0, 0, DRAVONIX_DESKTOP_WIDTH, DRAVONIX_DESKTOP_HEIGHT) : ParentClient(hwnd);
        if (!wasVisible) {
          Deliver(hwnd, WM_SHOWWINDOW, TRUE, 0);
          if (hwnd->dead) return wasVisible;
        }
        SetWindowPos(hwnd, nullptr, pc.left, pc.bottom - h, 160, h,
                     SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        if (hwnd->dead) return wasVisible;
      }
      if (top && q->active == hwnd && cmd != SW_SHOWMINIMIZED) SetActiveWindow(NextTopLevelToActivate(q, hwnd));
      else if (cmd == SW_SHOWMINIMIZED && top) SetActiveWindow(hwnd);
      return wasVisible;
    }
    case SW_MAXIMIZE: {
      if (!(hwnd->style & WS_MAXIMIZE)) {
        if (!(hwnd->style & WS_MINIMIZE)) hwnd->rcNormal = hwnd->rcWindow;
        hwnd->style = (hwnd->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
        CRect r;
        if (top) {
          MINMAXINFO mmi{};
          mmi.ptMaxSize = POINT{UiSystemMetric(SM_CXMAXIMIZED), UiSystemMetric(SM_CYMAXIMIZED)};
          CRect in = NcInsets(hwnd->style, hwnd->exStyle);
          mmi.ptMaxPosition = POINT{-in.left, -in.left};
          mmi.ptMinTrackSize = POINT{UiSystemMetric(SM_CXMINTRACK), UiSystemMetric(SM_CYMINTRACK)};
          mmi.ptMaxTrackSize = POINT{UiSystemMetric(SM_CXMAXTRACK), UiSystemMetric(SM_CYMAXTRACK)};
          Deliver(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
          if (hwnd->dead) return wasVisible;
          r = CRect(CPoint(mmi.ptMaxPosition), CSize(mmi.ptMaxSize.x, mmi.ptMaxSize.y));
        } else {
          r = MaximizedChildRect(hwnd);
        }
        if (!wasVisible) {
          Deliver(hwnd, WM_SHOWWINDOW, TRUE, 0);
          if (hwnd->dead) return wasVisible;
        }
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        if (hwnd->dead) return wasVisible;
      }
      // A hidden child kept maximized is shown.
      if (!wasVisible && !(hwnd->style & WS_VISIBLE)) {
        Deliver(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (hwnd->dead) return wasVisible;
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, swp | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        if (hwnd->dead) return wasVisible;
      }
      if (top) SetActiveWindow(hwnd);
      else ActivateChild(hwnd);
      return wasVisible;
    }
    default: {
      bool activate = top && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWNA && !(hwnd->exStyle & WS_EX_NOACTIVATE);
      bool restore = (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL || cmd == SW_SHOWDEFAULT || cmd == SW_SHOWNOACTIVATE) &&
                     (hwnd->style & (WS_MINIMIZE | WS_MAXIMIZE));
      if (!wasVisible) {
        Deliver(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (hwnd->dead) return wasVisible;
      }
      if (restore) {
        hwnd->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        CRect r = hwnd->rcNormal;
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
      } else if (!wasVisible) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, swp | SWP_SHOWWINDOW | SWP_NOACTIVATE);
      }
      if (hwnd->dead) return wasVisible;
      if (activate) SetActiveWindow(hwnd);
      if (!top && (restore || !wasVisible) && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWNA) ActivateChild(hwnd);
      return wasVisible;
    }
  }
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// ---- Geometry --------------------------------------------------------------------------------

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!Owned(hwnd)) return FALSE;
  if (insertAfter && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM && insertAfter != HWND_TOPMOST &&
      insertAfter != HWND_NOTOPMOST && (!IsWindow(insertAfter) || insertAfter->parent != hwnd->parent)) {
    if (!(flags & SWP_NOZORDER)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  Hold hold(hwnd);
  WINDOWPOS wp{hwnd, insertAfter, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) {
    wp.x = hwnd->rcWindow.left;
    wp.y = hwnd->rcWindow.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = hwnd->rcWindow.Width();
    wp.cy = hwnd->rcWindow.Height();
  }
  if (wp.cx < 0) wp.cx = 0;
  if (wp.cy < 0) wp.cy = 0;
  if (!(flags & SWP_NOSENDCHANGING)) {
    Deliver(hwnd, WM_WINDOWPOSCHANGING, 0, (LPARAM)&wp);
    if (hwnd->dead) return FALSE;
  }
  flags = wp.flags;
  CRect oldWin = hwnd->rcWindow;
  CRect oldClient = hwnd->rcClient;
  const bool wasShown = (hwnd->style & WS_VISIBLE) != 0;
  const Shown was = ShownNow(hwnd);
  CRect newWin(wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy));
  bool moved = newWin.TopLeft() != oldWin.TopLeft();
  bool sized = newWin.Size() != oldWin.Size();
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (!(flags & SWP_NOZORDER)) {
      HWND after = wp.hwndInsertAfter;
      if (after == HWND_TOPMOST) hwnd->exStyle |= WS_EX_TOPMOST;
      if (after == HWND_NOTOPMOST || after == HWND_BOTTOM) hwnd->exStyle &= ~WS_EX_TOPMOST;
      if (after == hwnd) after = HWND_TOP;
      if (after && !IsTopLevel(hwnd) && (after == HWND_TOPMOST || after == HWND_NOTOPMOST)) after = HWND_TOP;
      if (after && after != HWND_TOP && after != HWND_BOTTOM && after != HWND_TOPMOST && after != HWND_NOTOPMOST &&
          (!G().live.count(after) || after->parent != hwnd->parent))
        after = HWND_TOP;
      LinkAt(hwnd, after);
      KeepOwnedAbove(hwnd);
    }
    hwnd->rcWindow = newWin;
  }
  if (sized || (flags & SWP_FRAMECHANGED)) {
    RecalcClient(hwnd);
    if (hwnd->dead) return FALSE;
  }
  if (flags & SWP_SHOWWINDOW) hwnd->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) hwnd->style &= ~WS_VISIBLE;
  bool isVisible = (hwnd->style & WS_VISIBLE) != 0;
  CRect newClient = hwnd->rcClient;
  bool clientSized = newClient.Size() != oldClient.Size();
  bool clientMoved = moved || newClient.TopLeft() != oldClient.TopLeft();
  if (!(flags & SWP_NOREDRAW)) Expose(hwnd, was, (flags & SWP_FRAMECHANGED) != 0);
  if (sized && IsTopLevel(hwnd) && G().backend) G().backend->WindowResized(hwnd);
  if (!clientSized && !(flags & SWP_FRAMECHANGED)) wp.flags |= SWP_NOCLIENTSIZE;
  if (!clientMoved) wp.flags |= SWP_NOCLIENTMOVE;
  // A frame change that takes or gives client room (a bar shown or hidden) is a size change.
  if ((flags & SWP_NOSIZE) && !clientSized) wp.flags |= SWP_NOCLIENTSIZE;
  wp.x = newWin.left;
  wp.y = newWin.top;
  wp.cx = newWin.Width();
  wp.cy = newWin.Height();
  if (!(flags & SWP_NOACTIVATE) && IsTopLevel(hwnd) && isVisible && hwnd->queue->active != hwnd) {
    SetActiveWindow(hwnd);
    if (hwnd->dead) return TRUE;
  }
  if (!(flags & SWP_NOACTIVATE) && !IsTopLevel(hwnd)) {
    ActivateChild(hwnd);
    if (hwnd->dead) return TRUE;
  }
  if ((flags & SWP_HIDEWINDOW) && wasShown && (hwnd->exStyle & WS_EX_MDICHILD)) {
    MdiChildHidden(hwnd);
    if (hwnd->dead) return TRUE;
  }
  Deliver(hwnd, WM_WINDOWPOSCHANGED, 0, (LPARAM)&wp);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

struct HDWP__ {
  std::vector<WINDOWPOS> items;
};

HDWP BeginDeferWindowPos(int count) {
  if (count < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto d = std::make_unique<HDWP__>();
  d->items.reserve((size_t)count);
  return d.release();
}

HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!info) return nullptr;
  if (!Owned(hwnd)) {
    delete info;
    return nullptr;
  }
  for (auto& w : info->items)
    if (w.hwnd == hwnd) {
      w = WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags};
      return info;
    }
  info->items.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
  return info;
}

BOOL EndDeferWindowPos(HDWP info) {
  if (!info) return FALSE;
  std::vector<WINDOWPOS> items = std::move(info->items);
  delete info;
  BOOL ok = TRUE;
  for (auto& w : items)
    if (IsWindow(w.hwnd) && !SetWindowPos(w.hwnd, w.hwndInsertAfter, w.x, w.y, w.cx, w.cy, w.flags)) ok = FALSE;
  return ok;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!rect || !Checked(hwnd)) return FALSE;
  POINT o = WindowOrigin(hwnd);
  *rect = CRect(o, hwnd->rcWindow.Size());
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (!rect || !Checked(hwnd)) return FALSE;
  *rect = CRect(0, 0, hwnd->rcClient.Width(), hwnd->rcClient.Height());
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
  if (!pt || !Checked(hwnd)) return FALSE;
  POINT o = ClientOrigin(hwnd);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
  if (!pt || !Checked(hwnd)) return FALSE;
  POINT o = ClientOrigin(hwnd);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
  if ((from && !Checked(from)) || (to && !Checked(to))) return 0;
  POINT a = from ? ClientOrigin(from) : POINT{0, 0};
  POINT b = to ? ClientOrigin(to) : POINT{0, 0};
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; pts && i < count; ++i) {
    pts[i].x += dx;
    pts[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG((WORD)dx, (WORD)dy);
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION;
  CRect in = NcInsets(style, exStyle);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  if (menu) rect->top -= UiSystemMetric(SM_CYMENU);
  return TRUE;
}

namespace {
HWND ChildAt(HWND parent, POINT clientPt, UINT flags) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  for (HWND c : parent->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (!c->rcWindow.PtInRect(clientPt)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    return c;
  }
  return parent;
}

// The window a point shows, as the window manager finds it for the mouse: the topmost visible
// window under the point, then its children by z-order; a child of this thread answering
// HTTRANSPARENT passes the point to the window beneath it, and a disabled child to its parent.
// Null: nothing is there. `origin`: the screen point of `parent`'s client area.
HWND HitWindow(HWND parent, POINT origin, POINT screen) {
  struct Kid {
    HWND h;
    POINT at;
    bool ours;
  };
  std::vector<Kid> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (!IsLive(parent)) return nullptr;
    const POINT inner{screen.x - origin.x, screen.y - origin.y};
    if (parent != Desktop() && !CRect(0, 0, parent->rcClient.Width(), parent->rcClient.Height()).PtInRect(inner))
      return nullptr;
    for (HWND c : parent->children)
      if ((c->style & WS_VISIBLE) && c->rcWindow.PtInRect(inner))
        kids.push_back({c, POINT{origin.x + c->rcWindow.left + c->rcClient.left, origin.y + c->rcWindow.top + c->rcClient.top},
                        c->queue == CurrentQueue()});
  }
  for (const Kid& k : kids) {
    HWND c = k.h;
    if (!IsWindow(c)) continue;
    const bool child = (GetWindowLongPtr(c, GWL_STYLE) & WS_CHILD) != 0;
    // A disabled window keeps the point: a child gives it to its parent, a top-level window to
    // nobody.
    if (!IsWindowEnabled(c)) return child ? parent : c;
    if (HWND inner = HitWindow(c, k.at, screen)) return inner;
    if (child && k.ours && SendMessage(c, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT) continue;
    return c;
  }
  return nullptr;
}
}  // namespace

HWND WindowFromPoint(POINT pt) { return HitWindow(Desktop(), POINT{0, 0}, pt); }

HWND ChildWindowFromPointEx(HWND parent, POINT clientPt, UINT flags) {
  if (!Checked(parent)) return nullptr;
  CRect client(0, 0, parent->rcClient.Width(), parent->rcClient.Height());
  if (parent != G().desktop && !client.PtInRect(clientPt)) return nullptr;
  return ChildAt(parent, clientPt, flags);
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPt) { return ChildWindowFromPointEx(parent, clientPt, CWP_ALL); }

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp) {
  if (!wp || !Checked(hwnd)) return FALSE;
  wp->flags = 0;
  wp->showCmd = (hwnd->style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                : (hwnd->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                : (hwnd->style & WS_VISIBLE) ? SW_SHOWNORMAL
                                             : SW_HIDE;
  wp->ptMinPosition = POINT{-1, -1};
  wp->ptMaxPosition = POINT{-1, -1};
  wp->rcNormalPosition = (hwnd->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? hwnd->rcNormal : hwnd->rcWindow;
  return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* wp) {
  if (!wp || !Owned(hwnd)) return FALSE;
  CRect r = wp->rcNormalPosition;
  if (hwnd->style & (WS_MINIMIZE | WS_MAXIMIZE))
    hwnd->rcNormal = r;
  else
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (wp->showCmd != SW_HIDE || (hwnd->style & WS_VISIBLE)) ShowWindow(hwnd, (int)wp->showCmd);
  return TRUE;
}

// ---- Focus, activation, capture ---------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  ThreadQueue* q = CurrentQueue();
  if (hwnd) {
    if (!Checked(hwnd) || hwnd == G().desktop) return nullptr;
    if (hwnd->queue != q) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    HWND top = Root(hwnd);
    if (top && q->active != top) {
      SetActiveWindow(top);
      if (!IsWindow(hwnd)) return nullptr;
    }
  }
  HWND old = q->focus;
  if (old == hwnd) return old;
  // The focus moves first, so a kill-focus handler's GetFocus() names the window gaining it.
  q->focus = hwnd;
  if (old && IsWindow(old)) {
    const unsigned mark = ModeCancelsOver(old);
    Deliver(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (q->focus != hwnd) {
      // The handler moved the focus itself; back to the window losing it, with a box, is a refusal.
      if (q->focus == old && ModeCancelsOver(old) != mark) {
        q->refusedFocus = old;
        q->refusedIn = q->actions;
      }
      return old;
    }
  }
  if (hwnd && !IsWindow(hwnd)) hwnd = q->focus = nullptr;
  if (hwnd) Deliver(hwnd, WM_SETFOCUS, (WPARAM)(old && IsWindow(old) ? old : nullptr), 0);
  return old && IsWindow(old) ? old : nullptr;
}

HWND GetFocus() { return CurrentQueue()->focus; }

HWND ui::FocusRefusedInThisAction() {
  ThreadQueue* q = CurrentQueue();
  HWND f = q->refusedFocus;
  return f && q->refusedIn == q->actions && q->focus == f && IsWindow(f) ? f : nullptr;
}

namespace {
std::atomic<HWND> g_foreground{nullptr};
}

HWND SetActiveWindow(HWND hwnd) {
  ThreadQueue* q = CurrentQueue();
  if (hwnd) {
    if (!Checked(hwnd) || hwnd == G().desktop) return nullptr;
    if (hwnd->queue != q) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    hwnd = Root(hwnd);
  }
  HWND old = q->active;
  if (old == hwnd) return old;
  if (old && !IsWindow(old)) old = nullptr;
  if (old) {
    Deliver(old, WM_NCACTIVATE, FALSE, 0);
    if (old && IsWindow(old))
      Deliver(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), (LPARAM)hwnd);
    if (q->active != old) return old;
  }
  if (hwnd && !IsWindow(hwnd)) hwnd = nullptr;
  HWND prevForeground = g_foreground.load();
  q->active = hwnd;
  g_foreground = hwnd;
  if (!hwnd) {
    if (q->focus) SetFocus(nullptr);
    return old;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    LinkAt(hwnd, HWND_TOP);
    KeepOwnedAbove(hwnd);
  }
  if (!prevForeground || !IsWindow(prevForeground) || prevForeground->queue != q) {
    std::vector<HWND> tops;
    {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      for (HWND w : G().desktop->children)
        if (w->queue == q) tops.push_back(w);
    }
    for (HWND w : tops)
      if (IsWindow(w)) Deliver(w, WM_ACTIVATEAPP, TRUE, 0);
    if (!IsWindow(hwnd)) return old;
  }
  Deliver(hwnd, WM_NCACTIVATE, TRUE, 0);
  if (IsWindow(hwnd)) Deliver(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hwnd) ? 1 : 0), (LPARAM)old);
  return old;
}

HWND GetActiveWindow() { return CurrentQueue()->active; }

HWND GetForegroundWindow() {
  HWND h = g_foreground.load();
  return IsWindow(h) ? h : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!Checked(hwnd)) return FALSE;
  if (hwnd->queue == CurrentQueue()) {
    // An active window of a thread in the background comes to the foreground too.
    SetActiveWindow(hwnd);
    if (CurrentQueue()->active != Root(hwnd)) return FALSE;
    g_foreground = Root(hwnd);
    return TRUE;
  }
  g_foreground = Root(hwnd);
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  ThreadQueue* q = CurrentQueue();
  if (hwnd && (!Checked(hwnd) || hwnd->queue != q)) return nullptr;
  HWND old = q->capture;
  q->capture = hwnd;
  if (old && old != hwnd && IsWindow(old)) Deliver(old, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
  return old;
}

BOOL ReleaseCapture() {
  ThreadQueue* q = CurrentQueue();
  HWND old = q->capture;
  q->capture = nullptr;
  if (old && IsWindow(old)) Deliver(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return CurrentQueue()->capture; }

// ---- Painting bookkeeping ------------------------------------------------------------------------

BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase) {
  if (!hwnd) {
    std::vector<HWND> tops;
    {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      tops = G().desktop->children;
    }
    for (HWND w : tops)
      if (IsWindow(w) && w->queue == CurrentQueue()) InvalidateRect(w, nullptr, erase);
    return TRUE;
  }
  if (!Checked(hwnd)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (!IsWindowVisible(hwnd)) return TRUE;
  CRect r = rect ? CRect(*rect) : CRect(0, 0, hwnd->rcClient.Width(), hwnd->rcClient.Height());
  InvalidateTree(hwnd, r, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, LPCRECT rect) {
  if (!Checked(hwnd)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  if (rect)
    hwnd->update.Subtract(*rect);
  else
    hwnd->update.SetEmpty();
  if (hwnd->update.IsEmpty()) {
    hwnd->erase = false;
    if (!rect) hwnd->internalPaint = false;
  }
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, LPCRECT rect, HRGN, UINT flags) {
  if (!hwnd) hwnd = G().desktop;
  if (!Checked(hwnd)) return FALSE;
  std::vector<HWND> targets{hwnd};
  if (hwnd == G().desktop) {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    targets.clear();
    for (HWND w : G().desktop->children)
      if (w->queue == CurrentQueue()) targets.push_back(w);
  }
  for (HWND w : targets) {
    if (!IsWindow(w)) continue;
    if (flags & RDW_INVALIDATE) {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      if (IsWindowVisible(w)) {
        CRect r = rect ? CRect(*rect) : CRect(0, 0, w->rcClient.Width(), w->rcClient.Height());
        // The frame repaints even where the area given misses the client area.
        if (flags & RDW_FRAME) w->ncPaint = true, MarkDirty(w);
        InvalidateTree(w, r, (flags & RDW_ERASE) != 0);
        if (flags & RDW_ALLCHILDREN) {
          for (HWND c : w->children)
            if (c->style & WS_VISIBLE) InvalidateWhole(c);
        }
      }
    }
    if (flags & RDW_INTERNALPAINT) {
      w->internalPaint = true;
      MarkDirty(w);
    }
    if (flags & RDW_VALIDATE) ValidateRect(w, rect);
    if (flags & RDW_NOERASE) w->erase = false;
    if (flags & RDW_UPDATENOW) {
      UpdateWindow(w);
      if (flags & RDW_ALLCHILDREN) {
        std::vector<HWND> kids;
        {
          std::lock_guard<std::recursive_mutex> lock(WmLock());
          kids = w->children;
        }
        for (HWND c : kids)
          if (IsWindow(c)) RedrawWindow(c, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      }
    }
  }
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (!Checked(hwnd)) return FALSE;
  if (hwnd->queue != CurrentQueue()) return FALSE;
  if (!IsWindowVisible(hwnd) || PaintHeld(hwnd)) return TRUE;
  if (hwnd->update.IsEmpty() && !hwnd->internalPaint && !hwnd->ncPaint) return TRUE;
  Hold hold(hwnd);
  unsigned serial = hwnd->invalidateSerial;
  Deliver(hwnd, WM_PAINT, 0, 0);
  // A handler that neither painted nor invalidated again would be asked for ever.
  if (!hwnd->dead && hwnd->invalidateSerial == serial) {
    ValidateRect(hwnd, nullptr);
    hwnd->ncPaint = false;
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  if (!Checked(hwnd)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  CRect b = hwnd->update.GetBounds();
  if (rect) *rect = b;
  return b.IsRectEmpty() ? FALSE : TRUE;
}

int GetUpdateRects(HWND hwnd, RECT* rects, int maxRects) {
  if (!Checked(hwnd)) return 0;
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  const auto& v = hwnd->update.Rects();
  for (int i = 0; rects && i < maxRects && i < (int)v.size(); ++i) rects[i] = v[(size_t)i];
  return (int)v.size();
}

namespace {
// The part of a region (client coordinates) that the window shows: inside its ancestors, not under
// the siblings above it that clip it, nor under children that stay where they are. A hidden window
// (or one under a hidden ancestor) shows nothing: the pixels in its place are other windows'.
CUpdateRegion ShownForScroll(HWND h, const CUpdateRegion& region, const std::vector<HWND>& along) {
  if (!IsWindowVisible(h)) return CUpdateRegion();
  std::vector<RECT> visible;
  WindowDrawVisible(h, DrawArea::Window, visible);
  CUpdateRegion shown;
  // Exact: a scroll moves no pixel the window does not show.
  for (const RECT& v : visible) {
    CRect at(v);
    at.OffsetRect(-h->rcClient.left, -h->rcClient.top);
    shown.AddDisjointWithin(region, at);
  }
  for (HWND c : h->children)
    if ((c->style & WS_VISIBLE) && std::find(along.begin(), along.end(), c) == along.end()) shown.Subtract(c->rcWindow);
  return shown;
}
}  // namespace

int ScrollWindowEx(HWND hwnd, int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect, HRGN, LPRECT updateRect,
                   UINT flags) {
  if (!Owned(hwnd)) return ERROR;
  Hold hold(hwnd);
  CRect client(0, 0, hwnd->rcClient.Width(), hwnd->rcClient.Height());
  CRect src = client;
  if (scrollRect) src.IntersectRect(&client, scrollRect);
  CRect clip = client;
  if (clipRect) clip.IntersectRect(&client, clipRect);
  // The bits of the scroll rectangle inside the clip move by dx, dy; where they land only the clip
  // limits (so a part may scroll out of the scroll rectangle into the rest of the clip).
  CRect area;
  area.IntersectRect(&src, &clip);
  CRect dest = area, covered;
  dest.OffsetRect(dx, dy);
  covered.IntersectRect(&dest, &clip);
  CUpdateRegion exposed;
  std::vector<HWND> kids;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    if (flags & SW_SCROLLCHILDREN)
      for (HWND c : hwnd->children)
        if (!scrollRect || CRect().IntersectRect(&c->rcWindow, &src)) kids.push_back(c);
    // Only what the window shows moves, and only to where it shows: never the pixels of the windows
    // above it, nor of children that do not move along. Every other place it lands on paints again.
    CUpdateRegion moved;
    moved.Add(area);
    moved = ShownForScroll(hwnd, moved, kids);
    moved.Offset(dx, dy);
    moved.IntersectWith(covered);
    moved = ShownForScroll(hwnd, moved, kids);
    if (G().backend && (dx || dy) && !moved.IsEmpty()) {
      std::vector<RECT> to(moved.Rects().begin(), moved.Rects().end());
      G().backend->ScrollPixels(hwnd, to, dx, dy);
    }
    // What was waiting to be painted moves with the pixels.
    CUpdateRegion moving = hwnd->update;
    moving.IntersectWith(area);
    hwnd->update.Subtract(area);
    moving.Offset(dx, dy);
    moving.IntersectWith(covered);
    hwnd->update.Add(moving);
    exposed.Add(area);
    exposed.Add(covered);
    exposed.Subtract(moved);
    if (!hwnd->update.IsEmpty()) MarkDirty(hwnd);
  }
  if ((flags & SW_INVALIDATE) && !exposed.IsEmpty() && IsWindowVisible(hwnd)) {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    for (const CRect& r : exposed.Rects()) InvalidateTree(hwnd, r, (flags & SW_ERASE) != 0);
  }
  if (updateRect) *updateRect = exposed.GetBounds();
  for (HWND c : kids)
    if (IsWindow(c))
      SetWindowPos(c, nullptr, c->rcWindow.left + dx, c->rcWindow.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  return exposed.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect) {
  int r = ScrollWindowEx(hwnd, dx, dy, scrollRect, clipRect, nullptr, nullptr,
                         SW_INVALIDATE | SW_ERASE | (scrollRect ? 0u : SW_SCROLLCHILDREN));
  return r != ERROR;
}

BOOL LockWindowUpdate(HWND hwnd) { return hwnd == nullptr || IsWindow(hwnd); }

BOOL UiBeginPaint(HWND hwnd, HDC hdc, RECT* paintRect, BOOL* eraseNeeded) {
  if (paintRect) *paintRect = CRect();
  if (eraseNeeded) *eraseNeeded = FALSE;
  if (!Owned(hwnd)) return FALSE;
  Hold hold(hwnd);
  ThreadQueue* q = hwnd->queue;
  if (q->caret.owner == hwnd) HideCaret(hwnd);
  if (hwnd->ncPaint) {
    hwnd->ncPaint = false;
    Deliver(hwnd, WM_NCPAINT, 1, 0);
    if (hwnd->dead) return FALSE;
  }
  CRect bounds;
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    bounds = hwnd->update.GetBounds();
  }
  BOOL needErase = FALSE;
  if (hwnd->erase) {
    hwnd->erase = false;
    needErase = Deliver(hwnd, WM_ERASEBKGND, (WPARAM)hdc, 0) ? FALSE : TRUE;
    if (hwnd->dead) return FALSE;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(WmLock());
    // A parent that does not clip its children paints over them: they paint again after it, even
    // those that painted since the parent was invalidated.
    if (!(hwnd->style & WS_CLIPCHILDREN))
      for (const CRect& r : hwnd->update.Rects()) InvalidateChildren(hwnd, r, true);
    hwnd->update.SetEmpty();
    hwnd->internalPaint = false;
  }
  if (paintRect) *paintRect = bounds;
  if (eraseNeeded) *eraseNeeded = needErase;
  return TRUE;
}

void UiEndPaint(HWND hwnd) {
  if (!Checked(hwnd)) return;
  if (hwnd->queue->caret.owner == hwnd) ShowCaret(hwnd);
}

void SetWindowPaintBackend(IWindowPaintBackend* backend) {
  std::lock_guard<std::recursive_mutex> lock(WmLock());
  G().backend = backend;
}

IWindowPaintBackend* GetWindowPaintBackend() { return G().backend; }

// ---- Window scroll bars -------------------------------------------------------------------------

namespace {
void ClampScroll(ScrollState& s) {
  int range = s.nMax - s.nMin + 1;
  if (range < 0) range = 0;
  if ((int)s.nPage > range) s.nPage = (UINT)range;
  int maxPos = s.nMax - std::max((int)s.nPage - 1, 0);
  if (s.nPos > maxPos) s.nPos = maxPos;
  if (s.nPos < s.nMin) s.nPos = s.nMin;
  s.nTrackPos = s.nPos;
}

bool Scrollable(const ScrollState& s) { return s.nMax > s.nMin && (int)s.nPage <= s.nMax - s.nMin; }

void RedrawBars(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return;
  std::unique_lock<std::recursive_mutex> lock(WmLock());
  // Drawn at once, unless a frame paint is pending: a paint under way may have drawn the frame
  // before the bar changed.
  if (hwnd->ncPaint) {
    MarkDirty(hwnd);
  } else if (hwnd->queue == CurrentQueue() && !PaintHeld(hwnd)) {
    lock.unlock();
    PaintScrollBars(hwnd);
  } else {
    hwnd->ncPaint = true;
    MarkDirty(hwnd);
  }
}

void ShowBarStyle(HWND hwnd, int bar, bool show) {
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : (WS_HSCROLL | WS_VSCROLL);
  DWORD style = show ? (hwnd->style | bits) : (hwnd->style & ~bits);
  if (style == hwnd->style) return;
  hwnd->style = style;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
}  // namespace

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (!Checked(hwnd) || !info) return 0;
  if (bar == SB_CTL) return (int)SendMessage(hwnd, SBM_SETSCROLLINFO, (WPARAM)redraw, (LPARAM)info);
  if (bar != SB_HORZ && bar != SB_VERT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ScrollState& s = hwnd->scroll[bar];
  if (info->fMask & SIF_RANGE) {
    s.nMin = info->nMin;
    s.nMax = info->nMax;
  }
  if (info->fMask & SIF_PAGE) s.nPage = info->nPage;
  if (info->fMask & SIF_POS) s.nPos = info->nPos;
  ClampScroll(s);
  int pos = s.nPos;
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    if (Scrollable(s)) {
      s.disabled = ESB_ENABLE_BOTH;
      if (hwnd->queue == CurrentQueue()) ShowBarStyle(hwnd, bar, true);
    } else if (info->fMask & SIF_DISABLENOSCROLL) {
      s.disabled = ESB_DISABLE_BOTH;
    } else if (hwnd->queue == CurrentQueue()) {
      ShowBarStyle(hwnd, bar, false);
    }
  }
  if (redraw) RedrawBars(hwnd);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  if (!Checked(hwnd) || !info) return FALSE;
  if (bar == SB_CTL) return (BOOL)SendMessage(hwnd, SBM_GETSCROLLINFO, 0, (LPARAM)info);
  if (bar != SB_HORZ && bar != SB_VERT) return FALSE;
  const ScrollState& s = hwnd->scroll[bar];
  if (info->fMask & SIF_RANGE) {
    info->nMin = s.nMin;
    info->nMax = s.nMax;
  }
  if (info->fMask & SIF_PAGE) info->nPage = s.nPage;
  if (info->fMask & SIF_POS) info->nPos = s.nPos;
  if (info->fMask & SIF_TRACKPOS) {
    info->nTrackPos = s.nTrackPos;
    ScrollThumbTracked(hwnd, bar, &info->nTrackPos);
  }
  return (info->fMask & SIF_ALL) ? TRUE : FALSE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (!Checked(hwnd)) return 0;
  if (bar == SB_CTL) return (int)SendMessage(hwnd, SBM_SETPOS, (WPARAM)pos, redraw);
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  int old = hwnd->scroll[bar].nPos;
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  if (!Checked(hwnd)) return 0;
  if (bar == SB_CTL) return (int)SendMessage(hwnd, SBM_GETPOS, 0, 0);
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  return hwnd->scroll[bar].nPos;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!Checked(hwnd)) return FALSE;
  if ((long long)maxPos - (long long)minPos > 0x7FFFFFFFLL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (bar == SB_CTL) {
    SendMessage(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, (WPARAM)minPos, (LPARAM)maxPos);
    return TRUE;
  }
  if (bar != SB_HORZ && bar != SB_VERT) return FALSE;
  SCROLLINFO si{sizeof si, SIF_RANGE, minPos, maxPos, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos) {
  if (!Checked(hwnd) || !minPos || !maxPos) return FALSE;
  if (bar == SB_CTL) {
    SendMessage(hwnd, SBM_GETRANGE, (WPARAM)minPos, (LPARAM)maxPos);
    return TRUE;
  }
  if (bar != SB_HORZ && bar != SB_VERT) return FALSE;
  *minPos = hwnd->scroll[bar].nMin;
  *maxPos = hwnd->scroll[bar].nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (!Owned(hwnd)) return FALSE;
  if (bar == SB_CTL) return ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE), TRUE;
  ShowBarStyle(hwnd, bar, show != FALSE);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  if (!Checked(hwnd)) return FALSE;
  if (bar == SB_CTL) return (BOOL)SendMessage(hwnd, SBM_ENABLE_ARROWS, arrows, 0);
  if (bar > SB_BOTH) return FALSE;
  for (int b : {SB_HORZ, SB_VERT})
    if (bar == SB_BOTH || (int)bar == b) hwnd->scroll[b].disabled = arrows;
  // Shown as setting the bar with redraw shows it.
  RedrawBars(hwnd);
  return TRUE;
}

// ---- The default window procedure -----------------------------------------------------------------

namespace {
LRESULT HitTest(HWND hwnd, POINT pt) {
  RECT wr;
  GetWindowRect(hwnd, &wr);
  CRect w(wr);
  if (!w.PtInRect(pt)) return HTNOWHERE;
  POINT co = ClientOrigin(hwnd);
  CRect c(co, hwnd->rcClient.Size());
  if (c.PtInRect(pt)) return HTCLIENT;
  int sb = UiSystemMetric(SM_CXVSCROLL);
  bool v = (hwnd->style & WS_VSCROLL) != 0, hz = (hwnd->style & WS_HSCROLL) != 0;
  if (v && CRect(c.right, c.top, c.right + sb, c.bottom).PtInRect(pt)) return HTVSCROLL;
  if (hz && CRect(c.left, c.bottom, c.right, c.bottom + sb).PtInRect(pt)) return HTHSCROLL;
  if (v && hz && CRect(c.right, c.bottom, c.right + sb, c.bottom + sb).PtInRect(pt))
    return (hwnd->style & WS_THICKFRAME) ? HTGROWBOX : HTNOWHERE;
  CRect in = NcInsets(hwnd->style, hwnd->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  int b = in.left;
  if ((hwnd->style & WS_CAPTION) == WS_CAPTION) {
    CRect cap(w.left + b, w.top + b, w.right - b, w.top + in.top);
    if (cap.PtInRect(pt)) {
      int btn = UiSystemMetric(SM_CXSIZE);
      if ((hwnd->style & WS_SYSMENU) && pt.x >= cap.right - btn) return HTCLOSE;
      if ((hwnd->style & WS_SYSMENU) && pt.x < cap.left + btn) return HTSYSMENU;
      return HTCAPTION;
    }
  }
  if (hwnd->style & WS_THICKFRAME) {
    int corner = UiSystemMetric(SM_CYCAPTION) + b;
    bool left = pt.x < w.left + b, right = pt.x >= w.right - b, top = pt.y < w.top + b, bottom = pt.y >= w.bottom - b;
    bool nearLeft = pt.x < w.left + corner, nearRight = pt.x >= w.right - corner;
    bool nearTop = pt.y < w.top + corner, nearBottom = pt.y >= w.bottom - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  return HTBORDER;
}
}  // namespace

namespace {
// Keys that stand for a mouse action or a system command: Shift+F10 and the Apps key ask for the
// context menu at no point (-1), Alt+F4 closes the top-level window. The Apps key asks on its
// release, so a held key opens one menu, not one per repeat.
void DefaultKeyDown(HWND hwnd, UINT msg, WPARAM vk, LPARAM lParam) {
  if (vk == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
    SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, (LPARAM)-1);
  } else if (msg == WM_SYSKEYDOWN && vk == VK_F4 && ((lParam & 0x20000000) || GetKeyState(VK_MENU) < 0)) {
    // Posted: the window that took the key may be destroyed with its top-level window.
    if (HWND top = GetAncestor(hwnd, GA_ROOT)) PostMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
}
}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Checked(hwnd) || hwnd == G().desktop) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = (CREATESTRUCT*)lParam;
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        std::lock_guard<std::recursive_mutex> lock(WmLock());
        hwnd->text = cs->lpszName;
      }
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      auto* r = (RECT*)lParam;
      if (!r) return 0;
      CRect in = NcInsets(hwnd->style, hwnd->exStyle);
      if (hwnd->menu && !(hwnd->style & WS_CHILD)) in.top += UiSystemMetric(SM_CYMENU);
      r->left += in.left;
      r->top += in.top;
      r->right -= in.right;
      r->bottom -= in.bottom;
      if ((hwnd->style & WS_VSCROLL) && r->right - r->left >= UiSystemMetric(SM_CXVSCROLL))
        r->right -= UiSystemMetric(SM_CXVSCROLL);
      if ((hwnd->style & WS_HSCROLL) && r->bottom - r->top >= UiSystemMetric(SM_CYHSCROLL))
        r->bottom -= UiSystemMetric(SM_CYHSCROLL);
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      return 0;
    }
    case WM_NCHITTEST: return HitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      // A press on a bar is the system command that tracks it.
      if (wParam == HTVSCROLL || wParam == HTHSCROLL)
        SendMessage(hwnd, WM_SYSCOMMAND, (wParam == HTVSCROLL ? SC_VSCROLL : SC_HSCROLL) | wParam, lParam);
      // The caption moves the window, the sizing frame sizes it (the low bits: the edge taken).
      if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      if (msg == WM_NCLBUTTONDOWN && wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT && (hwnd->style & WS_THICKFRAME))
        SendMessage(hwnd, WM_SYSCOMMAND, SC_SIZE | (wParam - HTLEFT + 1), lParam);
      // The close button closes when the press is released on it; a double click on the caption
      // maximizes or restores.
      if (msg == WM_NCLBUTTONDOWN && wParam == HTCLOSE) TrackFrame(hwnd, HTCLOSE, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (msg == WM_NCLBUTTONDBLCLK && wParam == HTCAPTION && (hwnd->style & WS_MAXIMIZEBOX))
        SendMessage(hwnd, WM_SYSCOMMAND, (hwnd->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      return 0;
    case WM_SETTEXT: {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      hwnd->text = lParam ? (const char*)lParam : "";
      if ((hwnd->style & WS_CAPTION) == WS_CAPTION && (hwnd->style & WS_VISIBLE)) {
        hwnd->ncPaint = true;
        MarkDirty(hwnd);
      }
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = (char*)lParam;
      int size = (int)wParam;
      if (!buf || size <= 0) return 0;
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      int len = std::min<int>((int)hwnd->text.size(), size - 1);
      memcpy(buf, hwnd->text.data(), (size_t)len);
      buf[len] = 0;
      return len;
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::recursive_mutex> lock(WmLock());
      return (LRESULT)hwnd->text.size();
    }
    case WM_SETFONT:
      hwnd->font = (HFONT)wParam;
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return (LRESULT)hwnd->font;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessage(hwnd, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
        case SC_MOVE:
        case SC_SIZE:
          TrackFrame(hwnd, (wParam & 0xFFF0) == SC_MOVE ? HTCAPTION : (int)(wParam & 0xF) + HTLEFT - 1,
                     POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          break;
        case SC_VSCROLL:
        case SC_HSCROLL:
          TrackScrollBar(hwnd, (wParam & 0xFFF0) == SC_VSCROLL ? SB_VERT : SB_HORZ,
                         POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          break;
        default: break;
      }
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = (WINDOWPOS*)lParam;
      if (wp && !(wp->flags & SWP_NOSIZE) && IsTopLevel(hwnd) && (hwnd->style & WS_THICKFRAME) &&
          !(hwnd->style & (WS_MINIMIZE | WS_MAXIMIZE))) {
        MINMAXINFO mmi{};
        mmi.ptMaxSize = POINT{UiSystemMetric(SM_CXMAXIMIZED), UiSystemMetric(SM_CYMAXIMIZED)};
        mmi.ptMinTrackSize = POINT{UiSystemMetric(SM_CXMINTRACK), UiSystemMetric(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = POINT{UiSystemMetric(SM_CXMAXTRACK), UiSystemMetric(SM_CYMAXTRACK)};
        Deliver(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
        wp->cx = std::clamp<int>(wp->cx, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
        wp->cy = std::clamp<int>(wp->cy, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = (WINDOWPOS*)lParam;
      if (!wp) return 0;
      if (!(wp->flags & SWP_NOCLIENTMOVE)) {
        POINT org{hwnd->rcWindow.left + hwnd->rcClient.left, hwnd->rcWindow.top + hwnd->rcClient.top};
        Deliver(hwnd, WM_MOVE, 0, MAKELPARAM(org.x, org.y));
      }
      if (!(wp->flags & SWP_NOCLIENTSIZE) && IsWindow(hwnd)) {
        WPARAM type = (hwnd->style & WS_MINIMIZE) ? SIZE_MINIMIZED : (hwnd->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        int w = type == SIZE_MINIMIZED ? 0 : hwnd->rcClient.Width();
        int h = type == SIZE_MINIMIZED ? 0 : hwnd->rcClient.Height();
        Deliver(hwnd, WM_SIZE, type, MAKELPARAM(w, h));
      }
      return 0;
    }
    case WM_ERASEBKGND: return EraseBackground(hwnd, (HDC)wParam);
    case WM_NCPAINT: PaintNonClient(hwnd, wParam); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        HWND f = CurrentQueue()->focus;
        if (!f || !IsDescendant(hwnd, f)) SetFocus(hwnd);
      }
      return 0;
    case WM_CHILDACTIVATE:
      // Also for the active one: maximized or shown, it leaves no other one maximized.
      if ((hwnd->exStyle & WS_EX_MDICHILD) && hwnd->parent && (hwnd->style & WS_VISIBLE))
        SendMessage(hwnd->parent, WM_MDIACTIVATE, (WPARAM)hwnd, 0);
      return 0;
    case WM_MOUSEACTIVATE:
      if ((hwnd->style & WS_CHILD) && hwnd->parent && hwnd->parent != G().desktop) {
        LRESULT r = SendMessage(hwnd->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR: {
      if ((hwnd->style & WS_CHILD) && hwnd->parent && hwnd->parent != G().desktop &&
          SendMessage(hwnd->parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
      if ((HWND)wParam != hwnd) return FALSE;
      int hit = (short)LOWORD(lParam);
      if (hit == HTCLIENT) {
        if (hwnd->cls->cursor) {
          SetCursor(hwnd->cls->cursor);
          return TRUE;
        }
        return FALSE;
      }
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      return TRUE;
    }
    case WM_RBUTTONUP: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &pt);
      SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: DefaultKeyDown(hwnd, msg, wParam, lParam); return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (wParam == VK_APPS) SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, (LPARAM)-1);
      return 0;
    case WM_KEYF1: {
      HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(hwnd), (HANDLE)hwnd, 0, {}};
      GetCursorPos(&info.MousePos);
      SendMessage(hwnd, WM_HELP, 0, (LPARAM)&info);
      return 0;
    }
    case WM_HELP:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      if ((hwnd->style & WS_CHILD) && hwnd->parent && hwnd->parent != G().desktop)
        return SendMessage(hwnd->parent, msg, msg == WM_CONTEXTMENU ? (WPARAM)hwnd : wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      if (CurrentQueue()->capture == hwnd) ReleaseCapture();
      return 0;
    case WM_SETREDRAW:
      hwnd->redraw = wParam != 0;
      // What was invalidated meanwhile is painted now; the queue may be waiting on another thread.
      if (hwnd->redraw && hwnd->queue) WakeQueue(hwnd->queue);
      return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN: return TRUE;
    case WM_NOTIFYFORMAT: return NFR_ANSI;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: return -1;
    case WM_NCACTIVATE:
      // The caption shows the new state once activation has settled.
      if ((hwnd->style & WS_CAPTION) == WS_CAPTION && (hwnd->style & WS_VISIBLE)) {
        std::lock_guard<std::recursive_mutex> lock(WmLock());
        hwnd->ncPaint = true;
        MarkDirty(hwnd);
      }
      return TRUE;
    default: return 0;
  }
}
