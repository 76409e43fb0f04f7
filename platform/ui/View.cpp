#include "platform/ui/View.h"

#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/OleDragDrop.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
END_MESSAGE_MAP()

namespace {
AfxPaintDCHandlers g_paint;
}

void AfxSetPaintDCHandlers(const AfxPaintDCHandlers& handlers) { g_paint = handlers; }
const AfxPaintDCHandlers& AfxGetPaintDCHandlers() { return g_paint; }

CView::CView() = default;

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    static LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                            (HBRUSH)(UINT_PTR)(5 + 1));
    cs.lpszClass = cls;
  }
  // Views show a sunken edge rather than a flat border.
  if (cs.style & WS_BORDER) {
    cs.style &= ~(LONG)WS_BORDER;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
  }
  return TRUE;
}

void CView::PostNcDestroy() { delete this; }

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  auto* ctx = lpcs ? static_cast<CCreateContext*>(lpcs->lpCreateParams) : nullptr;
  if (ctx && ctx->m_pCurrentDoc) ctx->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  CFrameWnd* frame = GetParentFrame();
  if (frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CView::OnPaint() {
  if (!g_paint.begin || !g_paint.end) {
    Default();
    return;
  }
  void* token = nullptr;
  CDC* dc = g_paint.begin(this, &token);
  if (dc) {
    OnPrepareDC(dc, nullptr);
    OnDraw(dc);
  }
  g_paint.end(this, dc, token);
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  const unsigned mark = ui::ModeCancelsOver(m_hWnd);
  int r = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (r == MA_NOACTIVATE || r == MA_NOACTIVATEANDEAT) return r;
  // The frame's activation brought up a box (the focus refused elsewhere): the click is the box's.
  if (ui::ModeCancelsOver(m_hWnd) != mark) return MA_NOACTIVATEANDEAT;
  CFrameWnd* frame = GetParentFrame();
  if (!frame) return r;
  // The active view takes the focus back when a click finds it without it.
  const HWND focus = ::GetFocus();
  if (frame->GetActiveView() != this)
    frame->SetActiveView(this);
  else if (focus != m_hWnd && !::IsChild(m_hWnd, focus))
    OnActivateView(TRUE, this, this);
  return r;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView*, CView*) {
  if (bActivate && GetSafeHwnd()) {
    CWnd* top = GetTopLevelParent();
    // Not from a field elsewhere that has just refused to let the focus go.
    const HWND refused = ui::FocusRefusedInThisAction();
    if (refused && refused != m_hWnd && !::IsChild(m_hWnd, refused)) return;
    if (top && ::GetActiveWindow() == top->GetSafeHwnd()) SetFocus();
  }
}

void CView::OnActivateFrame(UINT, CFrameWnd*) {}
void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo) {
  // Without a known page count a view prints one page.
  if (pInfo) pInfo->m_bContinuePrinting = pInfo->GetMaxPage() != 0xFFFF || pInfo->m_nCurPage == 1;
}
BOOL CView::IsSelected(const CObject*) const { return FALSE; }

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument ? m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

// ---- CScrollView ---------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

CScrollView::CScrollView() = default;

namespace {
// Logical units to device pixels at the layer's 96 dpi screen.
int ToDevice(int mapMode, int v) {
  switch (mapMode) {
    case MM_LOMETRIC: return MulDiv(v, 96, 254);
    case MM_HIMETRIC: return MulDiv(v, 96, 2540);
    case MM_LOENGLISH: return MulDiv(v, 96, 100);
    case MM_HIENGLISH: return MulDiv(v, 96, 1000);
    case MM_TWIPS: return MulDiv(v, 96, 1440);
    default: return v;
  }
}
int ToLogical(int mapMode, int v) {
  switch (mapMode) {
    case MM_LOMETRIC: return MulDiv(v, 254, 96);
    case MM_HIMETRIC: return MulDiv(v, 2540, 96);
    case MM_LOENGLISH: return MulDiv(v, 100, 96);
    case MM_HIENGLISH: return MulDiv(v, 1000, 96);
    case MM_TWIPS: return MulDiv(v, 1440, 96);
    default: return v;
  }
}
}  // namespace

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
  if (nMapMode < MM_TEXT || nMapMode == MM_ISOTROPIC || nMapMode == MM_ANISOTROPIC) nMapMode = MM_TEXT;
  m_nMapMode = nMapMode;
  m_totalLog = CSize(std::max(0, (int)sizeTotal.cx), std::max(0, (int)sizeTotal.cy));
  m_totalDev = CSize(ToDevice(nMapMode, m_totalLog.cx), ToDevice(nMapMode, m_totalLog.cy));
  m_pageDev = CSize(ToDevice(nMapMode, sizePage.cx), ToDevice(nMapMode, sizePage.cy));
  m_lineDev = CSize(ToDevice(nMapMode, sizeLine.cx), ToDevice(nMapMode, sizeLine.cy));
  if (m_pageDev.cx == 0) m_pageDev.cx = m_totalDev.cx / 10;
  if (m_pageDev.cy == 0) m_pageDev.cy = m_totalDev.cy / 10;
  if (m_lineDev.cx == 0) m_lineDev.cx = m_pageDev.cx / 10;
  if (m_lineDev.cy == 0) m_lineDev.cy = m_pageDev.cy / 10;
  if (GetSafeHwnd()) {
    UpdateBars();
    Invalidate(TRUE);
  }
}

void CScrollView::GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const {
  nMapMode = m_nMapMode;
  sizeTotal = m_totalDev;
  sizePage = m_pageDev;
  sizeLine = m_lineDev;
}

CPoint CScrollView::GetDeviceScrollPosition() const { return CPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)); }

CPoint CScrollView::GetScrollPosition() const {
  CPoint p = GetDeviceScrollPosition();
  return CPoint(ToLogical(m_nMapMode, p.x), ToLogical(m_nMapMode, p.y));
}

void CScrollView::UpdateBars() {
  if (!GetSafeHwnd()) return;
  // Two passes: showing one bar narrows the client area and may call for the other.
  for (int pass = 0; pass < 2; ++pass) {
    CRect client;
    GetClientRect(&client);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, std::max(0, (int)m_totalDev.cx - 1), (UINT)client.Width(), 0, 0};
    SetScrollInfo(SB_HORZ, &si, TRUE);
    GetClientRect(&client);
    si = SCROLLINFO{sizeof si, SIF_RANGE | SIF_PAGE, 0, std::max(0, (int)m_totalDev.cy - 1), (UINT)client.Height(), 0, 0};
    SetScrollInfo(SB_VERT, &si, TRUE);
  }
}

void CScrollView::ScrollToPosition(POINT pt) {
  CPoint dev(ToDevice(m_nMapMode, pt.x), ToDevice(m_nMapMode, pt.y));
  CPoint old = GetDeviceScrollPosition();
  SetScrollPos(SB_HORZ, dev.x);
  SetScrollPos(SB_VERT, dev.y);
  CPoint now = GetDeviceScrollPosition();
  if (now != old) ScrollWindow(old.x - now.x, old.y - now.y);
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
  CView::OnPrepareDC(pDC, pInfo);
  if (pDC && g_paint.setViewportOrg) {
    CPoint p = GetDeviceScrollPosition();
    g_paint.setViewportOrg(pDC, -p.x, -p.y);
  }
}

BOOL CScrollView::OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll) {
  UINT hCode = LOBYTE(nScrollCode), vCode = HIBYTE(nScrollCode);
  CPoint pos = GetDeviceScrollPosition();
  CSize delta(0, 0);
  auto step = [&](UINT code, int page, int line, int cur, int bar) -> int {
    switch (code) {
      case SB_TOP: return -cur;
      case SB_BOTTOM: return GetScrollLimit(bar) - cur;
      case SB_LINEUP: return -line;
      case SB_LINEDOWN: return line;
      case SB_PAGEUP: return -page;
      case SB_PAGEDOWN: return page;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: return (int)nPos - cur;
      default: return 0;
    }
  };
  delta.cx = step(hCode, m_pageDev.cx, m_lineDev.cx, pos.x, SB_HORZ);
  delta.cy = step(vCode, m_pageDev.cy, m_lineDev.cy, pos.y, SB_VERT);
  return OnScrollBy(delta, bDoScroll);
}

BOOL CScrollView::OnScrollBy(CSize sizeScroll, BOOL bDoScroll) {
  CPoint old = GetDeviceScrollPosition();
  int x = std::clamp<int>(old.x + sizeScroll.cx, 0, std::max(0, GetScrollLimit(SB_HORZ)));
  int y = std::clamp<int>(old.y + sizeScroll.cy, 0, std::max(0, GetScrollLimit(SB_VERT)));
  if (!(GetStyle() & WS_HSCROLL)) x = old.x;
  if (!(GetStyle() & WS_VSCROLL)) y = old.y;
  if (x == old.x && y == old.y) return FALSE;
  if (bDoScroll) {
    SetScrollPos(SB_HORZ, x);
    SetScrollPos(SB_VERT, y);
    ScrollWindow(old.x - x, old.y - y);
  }
  return TRUE;
}

void CScrollView::OnSize(UINT nType, int cx, int cy) {
  CView::OnSize(nType, cx, cy);
  UpdateBars();
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
  if (pScrollBar) {
    CView::OnHScroll(nSBCode, nPos, pScrollBar);
    return;
  }
  OnScroll(MAKEWORD(nSBCode, 0xFF), nPos);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
  if (pScrollBar) {
    CView::OnVScroll(nSBCode, nPos, pScrollBar);
    return;
  }
  OnScroll(MAKEWORD(0xFF, nSBCode), nPos);
}

BOOL CScrollView::OnMouseWheel(UINT, short zDelta, CPoint) {
  int lines = -zDelta / WHEEL_DELTA * 3;
  return OnScrollBy(CSize(0, lines * m_lineDev.cy), TRUE);
}

DWORD CView::OnDragEnter(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DWORD CView::OnDragOver(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
void CView::OnDragLeave() {}
BOOL CView::OnDrop(COleDataObject*, DWORD, CPoint) { return FALSE; }
DWORD CView::OnDropEx(COleDataObject*, DWORD, DWORD, CPoint) { return (DWORD)-1; }
DWORD CView::OnDragScroll(DWORD, CPoint) { return DROPEFFECT_NONE; }
