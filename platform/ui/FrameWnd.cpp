#include "platform/ui/FrameWnd.h"

#include "platform/core/Resource.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <cstring>
#include <vector>

// ---- CWnd members that need the frame classes ------------------------------------------------------

CFrameWnd* CWnd::GetParentFrame() const {
  if (!GetSafeHwnd()) return nullptr;
  for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
    CWnd* w = FromHandlePermanent(h);
    if (w && w->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(w);
  }
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  if (!GetSafeHwnd()) return nullptr;
  CFrameWnd* frame = IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this))
                                                        : GetParentFrame();
  while (frame) {
    CFrameWnd* up = frame->GetParentFrame();
    if (!up) break;
    frame = up;
  }
  return frame;
}

// ---- CFrameWnd ------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateCmdUI)
  ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
  ON_MESSAGE(WM_POPMESSAGESTRING, &CFrameWnd::OnPopMessageString)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                       LPCSTR, DWORD dwExStyle, CCreateContext* pContext) {
  m_strTitle = lpszWindowName ? lpszWindowName : "";
  CRect r(rect);
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = CW_USEDEFAULT, h = CW_USEDEFAULT;
  if (r != rectDefault) {
    x = r.left;
    y = r.top;
    w = r.Width();
    h = r.Height();
  }
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, w, h, (pParentWnd ? pParentWnd->m_hWnd : nullptr), nullptr,
                  (LPVOID)pContext);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString full;
  full.LoadString(nIDResource);
  int nl = full.Find('\n');
  CString title = nl < 0 ? full : full.Left(nl);
  if (!Create(nullptr, title, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCE(nIDResource), 0, pContext))
    return FALSE;
  HINSTANCE inst = AfxFindResourceHandle(MAKEINTRESOURCE(nIDResource), RT_ACCELERATOR);
  if (inst || FindResource(nullptr, MAKEINTRESOURCE(nIDResource), RT_ACCELERATOR))
    m_hAccelTable = LoadAccelerators(inst, MAKEINTRESOURCE(nIDResource));
  return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    static LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                            (HBRUSH)(UINT_PTR)(15 + 1));
    cs.lpszClass = cls;
  }
  if ((cs.style & FWS_ADDTOTITLE) && !(cs.style & WS_CHILD)) cs.style |= WS_CLIPCHILDREN;
  return TRUE;
}

void CFrameWnd::PostNcDestroy() { delete this; }

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  auto* ctx = lpcs ? static_cast<CCreateContext*>(lpcs->lpCreateParams) : nullptr;
  if (!OnCreateClient(lpcs, ctx)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (pContext && pContext->m_pNewViewClass) return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  if (!pContext || !pContext->m_pNewViewClass || !pContext->m_pNewViewClass->IsDerivedFrom(RUNTIME_CLASS(CWnd)))
    return nullptr;
  auto* view = static_cast<CWnd*>(pContext->m_pNewViewClass->CreateObject());
  if (!view) return nullptr;
  if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
    return nullptr;  // the view deleted itself
  return view;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
  CView* old = m_pViewActive;
  if (old == pViewNew) return;
  m_pViewActive = pViewNew;
  if (bNotify && old) old->OnActivateView(FALSE, pViewNew, old);
  if (bNotify && pViewNew && m_pViewActive == pViewNew) pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = IsIconic() ? SW_RESTORE : SW_SHOW;
  ShowWindow(nCmdShow);
  BringWindowToTop();
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!GetSafeHwnd()) return;
  // Bars take their room first; the pane gets the rest.
  RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable &&
      ::TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg))
    return TRUE;
  return CWnd::PreTranslateMessage(pMsg);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
  UINT last = m_nIDLastMessage;
  CString text;
  if (wParam) {
    CString full;
    if (full.LoadString((UINT)wParam)) {
      int nl = full.Find('\n');
      text = nl < 0 ? full : full.Left(nl);
    }
  } else if (lParam) {
    text = (LPCSTR)lParam;
  }
  SetMessageText(text);
  m_nIDLastMessage = (UINT)wParam;
  return last;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM wParam, LPARAM lParam) {
  return OnSetMessageString(wParam ? wParam : AFX_IDS_IDLEMESSAGE, lParam);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
  CView* view = nullptr;
  if (!GetActiveView()) {
    CWnd* w = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
    if (w && w->IsKindOf(RUNTIME_CLASS(CView))) {
      view = static_cast<CView*>(w);
      SetActiveView(view, FALSE);
    }
  }
  if (bMakeVisible) {
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    if (view && GetActiveView() == view) view->OnActivateView(TRUE, view, view);
  }
  if (bMakeVisible) ActivateFrame();
  if (pDoc) pDoc->UpdateFrameCounts();
  OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (bAddToTitle && (GetStyle() & FWS_ADDTOTITLE)) {
    CDocument* doc = GetActiveDocument();
    UpdateFrameTitleForDocument(doc ? (LPCSTR)doc->GetTitle() : nullptr);
  } else {
    SetWindowText(m_strTitle);
  }
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCSTR lpszDocName) {
  CString title;
  if (lpszDocName && *lpszDocName) {
    CString doc = lpszDocName;
    if (m_nWindow > 0) {
      CString n;
      n.Format(":%d", m_nWindow);
      doc += n;
    }
    if (GetStyle() & FWS_PREFIXTITLE)
      title = m_strTitle.IsEmpty() ? doc : doc + " - " + m_strTitle;
    else
      title = m_strTitle.IsEmpty() ? doc : m_strTitle + " - " + doc;
  } else {
    title = m_strTitle;
  }
  CString now;
  GetWindowText(now);
  if (now != title) SetWindowText(title);
}

void CFrameWnd::SetMessageText(LPCSTR lpszText) {
  if (CWnd* bar = GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE)) bar->SetWindowText(lpszText);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  // The active view (and through it the document) first, then the frame, then the application.
  CView* view = GetActiveView();
  if (view && view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app ? app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnClose() {
  // A value being typed is taken as when the user leaves it; a field that refuses it with a box
  // keeps the frame open, with what was typed.
  if (const HWND focus = ::GetFocus(); focus && ::IsChild(m_hWnd, focus)) {
    const HWND self = m_hWnd;
    const unsigned mark = ui::ModeCancelsOver(self);
    ::SetFocus(self);
    if (!::IsWindow(self) || ui::ModeCancelsOver(self) != mark) return;
  }
  CDocument* doc = GetActiveDocument();
  if (doc && !doc->CanCloseFrame(this)) return;
  CWinApp* app = AfxGetApp();
  HWND self = m_hWnd;
  if (app && app->m_pMainWnd == this) {
    if (!app->SaveAllModified()) return;
    app->CloseAllDocuments(FALSE);
    if (!IsWindow(self)) return;
    DestroyWindow();
    return;
  }
  if (doc && doc->m_bAutoDelete) {
    bool otherFrame = false;
    POSITION p = doc->GetFirstViewPosition();
    while (p) {
      CView* v = doc->GetNextView(p);
      if (v && v->GetParentFrame() != this) otherFrame = true;
    }
    if (!otherFrame) {
      doc->OnCloseDocument();
      return;
    }
    doc->PreCloseFrame(this);
  }
  DestroyWindow();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
  // An MDI frame without a view of its own passes the focus on to its active child, as the system does.
  CFrameWnd* active = m_pViewActive ? nullptr : GetActiveFrame();
  if (m_pViewActive && m_pViewActive->GetSafeHwnd())
    m_pViewActive->SetFocus();
  else if (active && active != this && active->GetSafeHwnd() && !active->IsIconic())
    active->SetFocus();
  else
    CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  // The frame's own view, else its active child frame's: views track activation through OnActivateView,
  // and another top-level frame may have taken it over meanwhile.
  CView* view = m_pViewActive;
  if (!view) {
    CFrameWnd* active = GetActiveFrame();
    if (active && active != this) view = active->GetActiveView();
  }
  if (view && !view->GetSafeHwnd()) view = nullptr;
  // The view takes the focus before the default focuses the frame, which then leaves it there: the
  // focus a view hands on to one of its own windows is not taken back.
  if (view && nState != WA_INACTIVE && !bMinimized) view->OnActivateView(TRUE, view, view);
  CWnd::OnActivate(nState, pWndOther, bMinimized);
  if (!view || !view->GetSafeHwnd()) return;
  view->OnActivateFrame(nState, this);
  if (nState != WA_INACTIVE && view == m_pViewActive && view->GetSafeHwnd()) view->SetFocus();
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) { return 0; }

// ---- MDI ------------------------------------------------------------------------------------------

namespace {

const char kMdiClientClass[] = "MDIClient";
const char kActiveProp[] = "dravonix.mdi.active";
const char kClosingProp[] = "dravonix.mdi.closing";

HWND MdiActive(HWND client) { return (HWND)GetProp(client, kActiveProp); }

// Hidden children are passed over: none of them becomes the active one by a close, a hide or a key.
HWND NextChild(HWND client, HWND except) {
  for (HWND c = GetTopWindow(client); c; c = GetWindow(c, GW_HWNDNEXT))
    if (c != except && IsWindowVisible(c)) return c;
  return nullptr;
}

// The shown child after `from` in the z-order, from the top again past the last; or before it,
// from the bottom again.
HWND ShownChildAfter(HWND client, HWND from, bool previous) {
  const UINT step = previous ? GW_HWNDPREV : GW_HWNDNEXT;
  HWND first = previous ? GetWindow(GetTopWindow(client), GW_HWNDLAST) : GetTopWindow(client);
  HWND c = from ? GetWindow(from, step) : first;
  for (bool wrapped = false;; c = GetWindow(c, step)) {
    if (!c) {
      if (wrapped || !from) return nullptr;
      wrapped = true;
      c = first;
    }
    if (c == from) return nullptr;
    if (IsWindowVisible(c)) return c;
  }
}

void Restore(HWND child) {
  if (IsWindowVisible(child)) {
    ShowWindow(child, SW_SHOWNOACTIVATE);
    return;
  }
  // A hidden one is put back to its own place without being shown.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(child, &wp);
  SetWindowLongPtr(child, GWL_STYLE, GetWindowLongPtr(child, GWL_STYLE) & ~(LONG_PTR)WS_MAXIMIZE);
  const CRect r(wp.rcNormalPosition);
  SetWindowPos(child, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// One child at most is maximized, and it is the active one: the maximized state goes with the
// activation, also from a child being closed (left as it is).
void MdiActivate(HWND client, HWND child) {
  HWND old = MdiActive(client);
  HWND closing = (HWND)GetProp(client, kClosingProp);
  if (old && !IsWindow(old)) old = nullptr;
  // A field of the active child has just refused to let the focus go: it keeps it, its child
  // stays in front, and the one asked for waits behind it.
  const HWND refused = ui::FocusRefusedInThisAction();
  if (refused && child && old && child != old && IsWindowVisible(old) && IsChild(old, refused)) {
    if (IsWindow(child)) SetWindowPos(child, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  // The active one shown again or raised beside a maximized one takes its state over, as a newly
  // activated one does.
  bool zoomBeside = false;
  for (HWND c = old == child ? GetTopWindow(client) : nullptr; c && !zoomBeside; c = GetWindow(c, GW_HWNDNEXT))
    zoomBeside = c != child && IsWindowVisible(c) && IsZoomed(c);
  const bool zoom = (closing && IsZoomed(closing)) || (old && old != child && IsZoomed(old)) || zoomBeside;
  if (old != child) SetProp(client, kActiveProp, child);
  // The active one too comes in front: a window shown over it without activation may cover it.
  if (child && (old != child || GetTopWindow(client) != child))
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Maximized first, in front, so the one restored behind it shows nothing on the way.
  if (zoom && child && IsWindowVisible(child) && !IsZoomed(child)) ShowWindow(child, SW_MAXIMIZE);
  if (child && IsWindow(child) && IsZoomed(child))
    for (HWND c = GetTopWindow(client); c; c = GetWindow(c, GW_HWNDNEXT))
      if (c != child && c != closing && IsZoomed(c)) Restore(c);
  if (old == child) return;
  // Both captions change: the one going is drawn inactive, the one coming active.
  if (old) SendMessage(old, WM_NCACTIVATE, FALSE, 0);
  if (old && IsWindow(old)) SendMessage(old, WM_MDIACTIVATE, (WPARAM)old, (LPARAM)child);
  if (child && IsWindow(child)) SendMessage(child, WM_NCACTIVATE, TRUE, 0);
  if (child && IsWindow(child)) {
    SendMessage(child, WM_CHILDACTIVATE, 0, 0);
    if (!IsWindow(child)) return;
    const unsigned mark = ui::ModeCancelsOver(client);
    SendMessage(child, WM_MDIACTIVATE, (WPARAM)old, (LPARAM)child);
    // A focus the child's activation could not take (refused with a box) is not asked for again.
    if (IsWindow(child) && GetActiveWindow() == GetAncestor(client, GA_ROOT) && ui::ModeCancelsOver(client) == mark) {
      HWND f = GetFocus();
      if (!f || !IsChild(child, f)) SetFocus(child);
    }
  }
}

LRESULT MdiClientProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MDIGETACTIVE: {
      HWND a = MdiActive(h);
      if (a && !IsWindow(a)) a = nullptr;
      if (lp) *(BOOL*)lp = a && IsZoomed(a);
      return (LRESULT)a;
    }
    case WM_MDIACTIVATE: MdiActivate(h, (HWND)wp); return 0;
    case WM_MDINEXT: {
      // Next: the child behind the active one, which goes to the back; previous: the one at the back.
      HWND a = wp ? (HWND)wp : MdiActive(h);
      HWND n = lp ? ShownChildAfter(h, nullptr, true) : ShownChildAfter(h, a, false);
      if (!n || n == a) return 0;
      MdiActivate(h, n);
      // Only once the next one has taken its place: one that stays active (its field refused to let
      // the focus go) stays in front.
      if (a && !lp && IsWindow(a) && MdiActive(h) == n)
        SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return 0;
    }
    case WM_MDIDESTROY: {
      HWND c = (HWND)wp;
      if (!IsWindow(c) || GetParent(c) != h) return 0;
      DestroyWindow(c);
      return 0;
    }
    case WM_SIZE:
      // A maximized child fills the workspace at every size, its frame just outside it.
      for (HWND c = GetTopWindow(h); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsZoomed(c)) {
          const CRect r = ui::MaximizedChildRect(c);
          SetWindowPos(c, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        }
      return DefWindowProc(h, msg, wp, lp);
    case WM_MDIMAXIMIZE: ShowWindow((HWND)wp, SW_MAXIMIZE); return 0;
    case WM_MDIRESTORE: ShowWindow((HWND)wp, SW_RESTORE); return 0;
    case WM_MDICASCADE: {
      // Icons stay where they lie; a maximized child takes its place in the cascade restored.
      std::vector<HWND> kids;
      for (HWND c = GetTopWindow(h); c; c = GetWindow(c, GW_HWNDNEXT))
        if (!IsIconic(c)) kids.push_back(c);
      RECT r;
      GetClientRect(h, &r);
      int i = 0;
      for (HWND c : kids) {
        if (!IsWindow(c)) continue;
        if (IsZoomed(c)) ShowWindow(c, SW_SHOWNOACTIVATE);
        MoveWindow(c, 24 * i, 24 * i, (r.right * 3) / 4, (r.bottom * 3) / 4, TRUE);
        ++i;
      }
      return 0;
    }
    case WM_PARENTNOTIFY:
      if (LOWORD(wp) == WM_DESTROY && (HWND)lp == MdiActive(h)) {
        // The active child is going: the next one takes its place.
        SetProp(h, kActiveProp, nullptr);
        HWND next = NextChild(h, (HWND)lp);
        SetProp(h, kClosingProp, (HANDLE)lp);
        if (next) MdiActivate(h, next);
        RemoveProp(h, kClosingProp);
        // The last one: the frame's title loses the child's part.
        CWnd* frame = next ? nullptr : CWnd::FromHandlePermanent(GetParent(h));
        if (frame && frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
          static_cast<CMDIFrameWnd*>(frame)->OnUpdateFrameTitle(TRUE);
      }
      return 0;
    default: return DefWindowProc(h, msg, wp, lp);
  }
}

}  // namespace

HWND ui::MdiChildOf(HWND h) {
  char name[sizeof kMdiClientClass] = "";
  for (HWND c = h; c && GetParent(c); c = GetParent(c))
    if (GetClassName(GetParent(c), name, sizeof name) && strcmp(name, kMdiClientClass) == 0) return c;
  return nullptr;
}

bool ui::MdiChildClosing(HWND child) {
  HWND client = child ? GetParent(child) : nullptr;
  return client && (HWND)GetProp(client, kClosingProp) == child;
}

void ui::MdiChildHidden(HWND child) {
  HWND client = GetParent(child);
  if (!client || MdiActive(client) != child) return;
  MdiActivate(client, NextChild(client, child));
}

BOOL TranslateMDISysAccel(HWND client, LPMSG msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) || !IsWindow(client)) return FALSE;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return FALSE;
  HWND active = MdiActive(client);
  if (!active || !IsWindow(active) || !IsWindowEnabled(active)) return FALSE;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (msg->wParam == VK_F4 && !shift) SendMessage(active, WM_SYSCOMMAND, SC_CLOSE, 0);
  else if (msg->wParam == VK_F6 || msg->wParam == VK_TAB) SendMessage(client, WM_MDINEXT, (WPARAM)active, shift);
  else return FALSE;
  return TRUE;
}

namespace {

void RegisterMdiClient() {
  static bool once = [] {
    WNDCLASS wc{};
    wc.lpfnWndProc = MdiClientProc;
    wc.lpszClassName = kMdiClientClass;
    wc.hbrBackground = (HBRUSH)(UINT_PTR)(12 + 1);
    AfxRegisterClass(&wc);
    return true;
  }();
  (void)once;
}

}  // namespace

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
  ON_MESSAGE(WM_SETTEXT, &CMDIFrameWnd::OnSetText)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg) {
  return ::TranslateMDISysAccel(m_hWndMDIClient, pMsg) || CFrameWnd::PreTranslateMessage(pMsg);
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
  GetWindowText(m_strFrameText);
  return CreateClient(lpcs, nullptr);
}

namespace {

// The frame's title as shown: its own, then a maximized active child's in brackets.
CString WithMaximizedChild(const CMDIFrameWnd* frame, const CString& own) {
  BOOL maximized = FALSE;
  CMDIChildWnd* child = frame->MDIGetActive(&maximized);
  if (!child || !maximized) return own;
  CString text;
  child->GetWindowText(text);
  return own + " - [" + text + "]";
}

}  // namespace

LRESULT CMDIFrameWnd::OnSetText(WPARAM, LPARAM lParam) {
  m_strFrameText = lParam ? (LPCSTR)lParam : "";
  const CString shown = WithMaximizedChild(this, m_strFrameText);
  return CWnd::DefWindowProc(WM_SETTEXT, 0, (LPARAM)shown.GetString());
}

BOOL CMDIFrameWnd::OnNcActivate(BOOL bActive) {
  const BOOL r = CFrameWnd::OnNcActivate(bActive);
  // The active child's caption goes with the frame's.
  if (CMDIChildWnd* child = MDIGetActive()) child->SendMessage(WM_NCACTIVATE, bActive, 0);
  return r;
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu*) {
  RegisterMdiClient();
  CRect r;
  GetClientRect(&r);
  m_hWndMDIClient = ::CreateWindowEx(WS_EX_CLIENTEDGE, kMdiClientClass, nullptr,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, r.Width(),
                                     r.Height(), m_hWnd, (HMENU)(UINT_PTR)AFX_IDW_PANE_FIRST, nullptr, nullptr);
  return m_hWndMDIClient != nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const {
  if (pbMaximized) *pbMaximized = FALSE;
  if (!m_hWndMDIClient || !IsWindow(m_hWndMDIClient)) return nullptr;
  HWND h = (HWND)::SendMessage(m_hWndMDIClient, WM_MDIGETACTIVE, 0, (LPARAM)pbMaximized);
  CWnd* w = FromHandlePermanent(h);
  return (w && w->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) ? static_cast<CMDIChildWnd*>(w) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate) {
  if (m_hWndMDIClient) ::SendMessage(m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)(pWndActivate ? pWndActivate->m_hWnd : nullptr), 0);
}
void CMDIFrameWnd::MDINext() {
  if (m_hWndMDIClient) ::SendMessage(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}
void CMDIFrameWnd::MDIMaximize(CWnd* pWnd) {
  if (m_hWndMDIClient) ::SendMessage(m_hWndMDIClient, WM_MDIMAXIMIZE, (WPARAM)(pWnd ? pWnd->m_hWnd : nullptr), 0);
}
void CMDIFrameWnd::MDIRestore(CWnd* pWnd) {
  if (m_hWndMDIClient) ::SendMessage(m_hWndMDIClient, WM_MDIRESTORE, (WPARAM)(pWnd ? pWnd->m_hWnd : nullptr), 0);
}
void CMDIFrameWnd::MDICascade() {
  if (m_hWndMDIClient) ::SendMessage(m_hWndMDIClient, WM_MDICASCADE, 0, 0);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
  CMDIChildWnd* child = MDIGetActive();
  return child ? static_cast<CFrameWnd*>(child) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  CMDIChildWnd* child = MDIGetActive();
  if (child && child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  // The frame's own answer to its Window menu's Cascade.
  if (nID != ID_WINDOW_CASCADE || !m_hWndMDIClient) return FALSE;
  if (nCode == (int)CN_UPDATE_COMMAND_UI && pExtra) static_cast<CCmdUI*>(pExtra)->Enable(child != nullptr);
  else if (nCode == CN_COMMAND && !pHandlerInfo) MDICascade();
  return nCode == CN_COMMAND || nCode == (int)CN_UPDATE_COMMAND_UI;
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (!(GetStyle() & FWS_ADDTOTITLE)) {
    SetWindowText(m_strTitle);
    return;
  }
  // A restored active child names its document, or itself when it has none; a maximized one shows in
  // brackets instead.
  BOOL maximized = FALSE;
  CMDIChildWnd* child = bAddToTitle ? MDIGetActive(&maximized) : nullptr;
  CDocument* doc = child && !maximized ? child->GetActiveDocument() : nullptr;
  const CString own = child && !maximized && !doc ? child->GetTitle() : CString();
  UpdateFrameTitleForDocument(doc ? (LPCSTR)doc->GetTitle() : own.IsEmpty() ? nullptr : (LPCSTR)own);
  // The frame's own part may stay while the child's state changed.
  CString now;
  GetWindowText(now);
  const CString shown = WithMaximizedChild(this, m_strFrameText);
  if (now != shown) CWnd::DefWindowProc(WM_SETTEXT, 0, (LPARAM)shown.GetString());
}

void CMDIFrameWnd::OnSize(UINT nType, int cx, int cy) { CFrameWnd::OnSize(nType, cx, cy); }

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
  ON_MESSAGE(WM_SETTEXT, &CMDIChildWnd::OnSetText)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() = default;

BOOL CMDIChildWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CMDIFrameWnd* pParentWnd, CCreateContext* pContext) {
  if (!pParentWnd) {
    CWnd* main = AfxGetMainWnd();
    if (main && main->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) pParentWnd = static_cast<CMDIFrameWnd*>(main);
  }
  if (!pParentWnd || !pParentWnd->m_hWndMDIClient) {
    PostNcDestroy();
    return FALSE;
  }
  m_strTitle = lpszWindowName ? lpszWindowName : "";
  CRect r(rect);
  int x = 0, y = 0, w = 0, h = 0;
  if (r != rectDefault) {
    x = r.left;
    y = r.top;
    w = r.Width();
    h = r.Height();
  } else {
    RECT client;
    ::GetClientRect(pParentWnd->m_hWndMDIClient, &client);
    int n = 0;
    for (HWND c = ::GetTopWindow(pParentWnd->m_hWndMDIClient); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++n;
    x = y = 24 * (n % 8);
    w = client.right * 3 / 4;
    h = client.bottom * 3 / 4;
  }
  return CreateEx(WS_EX_MDICHILD, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, x, y, w, h, pParentWnd->m_hWndMDIClient,
                  nullptr, (LPVOID)pContext);
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString full;
  full.LoadString(nIDResource);
  int nl = full.Find('\n');
  CString title = nl < 0 ? full : full.Left(nl);
  CMDIFrameWnd* parent = (pParentWnd && pParentWnd->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
                             ? static_cast<CMDIFrameWnd*>(pParentWnd)
                             : nullptr;
  return Create(nullptr, title, dwDefaultStyle, rectDefault, parent, pContext);
}

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style |= WS_CHILD | WS_CLIPSIBLINGS;
  return CFrameWnd::PreCreateWindow(cs);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
  HWND client = ::GetParent(m_hWnd);
  CWnd* frame = client ? FromHandlePermanent(::GetParent(client)) : nullptr;
  return (frame && frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) ? static_cast<CMDIFrameWnd*>(frame) : nullptr;
}

void CMDIChildWnd::MDIActivate() {
  HWND client = ::GetParent(m_hWnd);
  if (client) ::SendMessage(client, WM_MDIACTIVATE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIDestroy() {
  HWND client = ::GetParent(m_hWnd);
  if (client) ::SendMessage(client, WM_MDIDESTROY, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIMaximize() { ShowWindow(SW_MAXIMIZE); }
void CMDIChildWnd::MDIRestore() { ShowWindow(SW_RESTORE); }

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = SW_SHOW;
  ShowWindow(nCmdShow);
  MDIActivate();
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  CDocument* doc = GetActiveDocument();
  if (bAddToTitle && doc) {
    CString title = doc->GetTitle();
    if (m_nWindow > 0) {
      CString n;
      n.Format(":%d", m_nWindow);
      title += n;
    }
    CString now;
    GetWindowText(now);
    if (now != title) SetWindowText(title);
  } else {
    SetWindowText(m_strTitle);
  }
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(bAddToTitle);
}

int CMDIChildWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  int r = CFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (r == MA_NOACTIVATE || r == MA_NOACTIVATEANDEAT) return r;
  MDIActivate();
  return r;
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd*, CWnd*) {
  // The view of the child that goes hears it too: what it showed for being active (a hint, the
  // document's active view) is no longer so.
  if (m_pViewActive) m_pViewActive->OnActivateView(bActivate, m_pViewActive, m_pViewActive);
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(TRUE);
}

void CMDIChildWnd::OnDestroy() { CFrameWnd::OnDestroy(); }

// Maximized or not, the frame's title shows it.
void CMDIChildWnd::OnSize(UINT nType, int cx, int cy) {
  CFrameWnd::OnSize(nType, cx, cy);
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(TRUE);
}

LRESULT CMDIChildWnd::OnSetText(WPARAM, LPARAM) {
  const LRESULT r = Default();
  if (CMDIFrameWnd* frame = IsZoomed() ? GetMDIFrame() : nullptr) frame->OnUpdateFrameTitle(TRUE);
  return r;
}
