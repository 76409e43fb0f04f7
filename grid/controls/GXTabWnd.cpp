// The sheet-tab window: children and layout, switching sheets with their scroll state, the sizing
// box, renaming in a popup, and the grid's link to its tab.
#include "grid/controls/GXTabWnd.h"

#include "grid/controls/GXBeamDrawing.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLocale.h"
#include "platform/core/Exception.h"
#include "platform/core/Module.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <map>

namespace {

// Windows made by the class procedures, 1 beams and 2 tab windows: only these delete themselves.
std::map<CWnd*, int>& AutoCreated() {
  static std::map<CWnd*, int> map;
  return map;
}

template <class T>
LRESULT AutoCreateProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, int kind) {
  // A window a program's object made already has its object: this is only its default processing.
  if (CWnd::FromHandlePermanent(hWnd)) return ::DefWindowProc(hWnd, message, wParam, lParam);
  T* wnd = new T;
  wnd->Attach(hWnd);
  AutoCreated()[wnd] = kind;
  wnd->m_pfnSuper = nullptr;
  ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxGetAfxWndProc());
  return ::CallWindowProc(AfxGetAfxWndProc(), hWnd, message, wParam, lParam);
}

HCURSOR SizingCursor() {
  static HCURSOR cursor = [] {
    HINSTANCE module = AfxFindCursorHandle(MAKEINTRESOURCE(23204));
    HCURSOR c = ::LoadCursor(module ? module : AfxGetResourceHandle(), MAKEINTRESOURCE(23204));
    return c ? c : ::LoadCursor(nullptr, IDC_SIZEWE);
  }();
  return cursor;
}

}  // namespace

void GXRegisterTabWndClasses() {
  HINSTANCE inst = AfxGetInstanceHandle();
  const std::pair<LPCSTR, WNDPROC> classes[] = {{"CGXTabBeam", &CGXTabBeam::ClassWndProc},
                                                {"CGXTabWnd", &CGXTabWnd::ClassWndProc}};
  for (const auto& [name, proc] : classes) {
    WNDCLASS wc{};
    if (::GetClassInfo(inst, name, &wc)) continue;
    wc = WNDCLASS{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = name;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    if (!::RegisterClass(&wc)) AfxThrowResourceException();
  }
}

BOOL GXForgetAutoCreated(CWnd* pWnd) { return AutoCreated().erase(pWnd) > 0; }

LRESULT CGXTabBeam::ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return AutoCreateProc<CGXTabBeam>(hWnd, message, wParam, lParam, 1);
}

LRESULT CGXTabWnd::ClassWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return AutoCreateProc<CGXTabWnd>(hWnd, message, wParam, lParam, 2);
}

void CGXTabWnd::UnregisterWindowClass() { ::UnregisterClass("CGXTabWnd", AfxGetInstanceHandle()); }

CGXTabWnd* GXFindParentTabWnd(const CWnd* pWnd) {
  for (CWnd* w = pWnd ? pWnd->GetParent() : nullptr; w; w = w->GetParent())
    if (auto* tabs = DYNAMIC_DOWNCAST(CGXTabWnd, w)) return tabs;
  return nullptr;
}

// ---- the rename popup ----------------------------------------------------------------------------------------

LRESULT CGXEditLabelPopup::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* parent = GetParent();
  switch (message) {
    case WM_KEYDOWN:
      // Posted: the answer destroys this window.
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        if (parent) parent->PostMessage(wParam == VK_RETURN ? GX_WM_TAB_RENAME_DONE : GX_WM_TAB_RENAME_CANCEL);
        return 0;
      }
      break;
    case WM_KEYUP:
    case WM_CHAR:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
      break;
    case WM_KILLFOCUS:
      if (parent) parent->PostMessage(GX_WM_TAB_RENAME_CANCEL);
      break;
    case WM_GETDLGCODE:
      return CEdit::WindowProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
    default:
      break;
  }
  return CEdit::WindowProc(message, wParam, lParam);
}

// ---- CGXTabWnd ---------------------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CGXTabWnd, CGXBeamFrameWnd)

void CGXTabWndInterface::AccessSheetName(CWnd* pGridWnd, CString* pName, BOOL bSet) {
  CGXTabWnd* tabs = GXFindParentTabWnd(pGridWnd);
  if (!tabs || !pName) return;
  CGXTabBeam& beam = tabs->GetBeam();
  // The sheet may sit inside a frame of its own within the tab window.
  int tab = -1;
  for (const CWnd* w = pGridWnd; w && w != tabs && tab < 0; w = w->GetParent()) tab = beam.FindTab(w);
  if (!bSet) {
    *pName = tab >= 0 ? beam.GetTab(tab).sLabel : CString();
    return;
  }
  if (tab < 0) return;
  beam.GetTab(tab).sLabel = *pName;
  beam.AdjustTabSize(tab);
}

BOOL CGXTabWndInterface::GetTabLabel(CWnd* pGridWnd, int nTab, CString* pLabel) {
  CGXTabWnd* tabs = GXFindParentTabWnd(pGridWnd);
  if (!tabs || !pLabel || nTab < 0 || nTab >= tabs->GetBeam().GetCount()) return FALSE;
  *pLabel = tabs->GetBeam().GetTab(nTab).sLabel;
  return TRUE;
}

CGXTabWnd::CGXTabWnd(CRuntimeClass* pBeamClass) : m_pBeamClass(pBeamClass ? pBeamClass : RUNTIME_CLASS(CGXTabBeam)) {
  GXRegisterHostWndClass(RUNTIME_CLASS(CGXTabWnd));
  CGXLibraryData& lib = GXGetLibraryData();
  if (!lib.m_pTabWndInterface) lib.m_pTabWndInterface = new CGXTabWndInterface;
}

CGXTabWnd::~CGXTabWnd() {
  CloseRenamePopup();
  if (m_pBeam && m_pBeam->GetSafeHwnd()) m_pBeam->DestroyWindow();
  delete m_pBeam;
}

void CGXTabWnd::PostNcDestroy() {
  if (GXForgetAutoCreated(this)) delete this;
}

BOOL CGXTabWnd::CreateTabWndFrame(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  m_bHasHBar = (dwStyle & WS_HSCROLL) != 0;
  m_bHasVBar = (dwStyle & WS_VSCROLL) != 0;
  GXRegisterTabWndClasses();
  if (!CWnd::Create("GxMdiFrame", nullptr, dwStyle & ~(WS_HSCROLL | WS_VSCROLL), CRect(0, 0, 0, 0), pParentWnd, nID))
    AfxThrowResourceException();
  CreateChildren(dwStyle);
  return TRUE;
}

void CGXTabWnd::CreateChildren(DWORD dwStyle) {
  m_bCreated = TRUE;
  m_bHasHBar = (dwStyle & WS_HSCROLL) != 0;
  m_bHasVBar = (dwStyle & WS_VSCROLL) != 0;
  // The bars' borders overlap at the corner: the vertical one, below, must not redraw its border over
  // the horizontal one's whenever the sheet sets its range.
  if (!m_hBar.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(0, 0, 0, 0), this, GX_IDW_TAB_HSCROLL) ||
      !m_vBar.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_VERT, CRect(0, 0, 0, 0), this, GX_IDW_TAB_VSCROLL))
    AfxThrowResourceException();
  if (!m_bHasHBar) m_hBar.ShowWindow(SW_HIDE);
  if (!m_bHasVBar) m_vBar.ShowWindow(SW_HIDE);
  m_pBeam = static_cast<CGXTabBeam*>(m_pBeamClass->CreateObject());
  if (!m_pBeam || !m_pBeam->Create(WS_VISIBLE, CRect(0, 0, 1, 1), this, GX_IDW_TAB_BEAM)) AfxThrowResourceException();
}

int CGXTabWnd::StripTop() {
  CRect client;
  GetClientRect(&client);
  return client.bottom - (m_nStripHeight - 1);
}

CRect CGXTabWnd::GetSizingBoxRect() {
  CRect client;
  GetClientRect(&client);
  return CRect(m_nBeamWidth + 1, StripTop(), m_nBeamWidth + 1 + m_nSizingBox - 1, client.bottom);
}

void CGXTabWnd::RecalcLayout(BOOL bBeamOnly) {
  if (!GetSafeHwnd()) return;
  if (!m_bCreated) CreateChildren(WS_CHILD | WS_HSCROLL | WS_VSCROLL);
  CRect client;
  GetClientRect(&client);
  const int right = m_bHasVBar ? m_nStripHeight : 0;
  const CRect area(0, 0, client.right - right, client.bottom - (m_nStripHeight - 1));
  if (m_nBeamWidth == 0) m_nBeamWidth = client.Width() / 2;
  HDWP hdwp = ::BeginDeferWindowPos(4);
  const int hLeft = m_nBeamWidth + m_nSizingBox;
  hdwp = GXDeferWindowPlacement(hdwp, &m_hBar,
                                CRect(hLeft, area.bottom, m_bHasHBar ? std::max(hLeft, area.right) : hLeft, client.bottom), TRUE);
  if (!bBeamOnly) hdwp = GXDeferWindowPlacement(hdwp, &m_vBar, CRect(area.right, 0, client.right, area.bottom), TRUE);
  hdwp = GXDeferWindowPlacement(hdwp, m_pBeam, CRect(0, area.bottom, m_bHasHBar ? m_nBeamWidth : client.right, client.bottom),
                                FALSE);
  if (!bBeamOnly && m_pActivePane)
    hdwp = GXDeferWindowPlacement(hdwp, m_pActivePane, CRect(1, 1, area.right - 1, area.bottom - 1), FALSE);
  ::EndDeferWindowPos(hdwp);
  if (!bBeamOnly && m_pActivePane)
    m_pActivePane->SendMessage(WM_SIZE, 2, MAKELPARAM(area.Width() - 3, area.Height() - 3));
}

CWnd* CGXTabWnd::AttachWnd(CWnd* pWnd, LPCTSTR pszName) {
  if (!pWnd) return nullptr;
  if (!m_bCreated) RecalcLayout();
  CRect client;
  GetClientRect(&client);
  const int right = m_bHasVBar ? m_nStripHeight : 0;
  pWnd->SetWindowPos(nullptr, 0, 0, std::max(0, client.right - right), std::max(0, StripTop()),
                     SWP_NOZORDER | SWP_NOACTIVATE);
  m_pBeam->InsertTab(FALSE, pszName, pWnd, FALSE, -1, 0);
  pWnd->ShowScrollBar(SB_BOTH, FALSE);
  if (!m_pActivePane) {
    m_pActivePane = pWnd;
    pWnd->ShowWindow(SW_SHOW);
  } else {
    pWnd->ShowWindow(SW_HIDE);
  }
  pWnd->SendMessage(GX_WM_SHEET_INDEX, (WPARAM)m_pBeam->FindTab(pWnd));
  SaveScrollState(pWnd);
  return pWnd;
}

// ---- switching -------------------------------------------------------------------------------------------------

LRESULT CGXTabWnd::CanSwitchTo(int nTab) {
  CWnd* next = m_pBeam->GetTab(nTab).pExtra;
  if (next == m_pActivePane) return 0;
  LRESULT refused = m_pActivePane ? m_pActivePane->SendMessage(GX_WM_SHEET_SWITCH, 0) : 0;
  if (!refused && next) refused = next->SendMessage(GX_WM_SHEET_SWITCH, 1);
  if (!refused) return 0;
  if (m_pActivePane) m_pActivePane->SetFocus();
  return 1;
}

BOOL CGXTabWnd::SwitchTo(CWnd* pWnd) {
  const int tab = m_pBeam ? m_pBeam->FindTab(pWnd) : -1;
  if (tab < 0 || CanSwitchTo(tab)) return FALSE;
  CWnd* old = m_pActivePane;
  if (old && old != pWnd) {
    SaveScrollState(old);
    old->ShowWindow(SW_HIDE);
  }
  m_pBeam->SetCurrentTab(tab);
  m_pActivePane = pWnd;
  pWnd->ShowWindow(SW_SHOW);
  pWnd->SetFocus();
  if (auto* view = DYNAMIC_DOWNCAST(CView, pWnd)) {
    if (CFrameWnd* frame = view->GetParentFrame()) frame->SetActiveView(view);
    if (auto* main = DYNAMIC_DOWNCAST(CFrameWnd, AfxGetMainWnd())) main->RecalcLayout(FALSE);
  }
  RestoreScrollState(pWnd);
  pWnd->Invalidate();
  RecalcLayout();
  return TRUE;
}

void CGXTabWnd::OnTabDeleted(CWnd* pWnd) {
  if (pWnd && pWnd == m_pActivePane) m_pActivePane = nullptr;
}

void CGXTabWnd::RepaintSharedRow() { CGXBeamFrameWnd::RepaintSharedRow(m_pBeam); }

void CGXTabWnd::OnTabSwitched(int nTab) {
  if (!m_pBeam || nTab < 0 || nTab >= m_pBeam->GetCount()) return;
  CWnd* wnd = m_pBeam->GetTab(nTab).pExtra;
  if (!wnd) return;
  if (wnd != m_pActivePane) {
    SwitchTo(wnd);
    return;
  }
  // A rename on its way keeps the focus where it goes.
  MSG msg;
  if (::PeekMessage(&msg, m_hWnd, GX_WM_TAB_RENAME, GX_WM_TAB_RENAME, PM_NOREMOVE)) return;
  if (auto* view = DYNAMIC_DOWNCAST(CView, wnd))
    if (CFrameWnd* frame = view->GetParentFrame()) frame->SetActiveView(view);
  wnd->SetFocus();
  wnd->Invalidate();
}

void CGXTabWnd::SaveScrollState(CWnd* pWnd) {
  const int tab = m_pBeam ? m_pBeam->FindTab(pWnd) : -1;
  if (tab < 0) return;
  CGXTabInfo& info = m_pBeam->GetTab(tab);
  for (auto [bar, si] : {std::pair{SB_VERT, &info.sbVert}, std::pair{SB_HORZ, &info.sbHorz}}) {
    si->cbSize = sizeof(SCROLLINFO);
    if (!pWnd->GetScrollInfo(bar, si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS))
      pWnd->GetScrollRange(bar, &si->nMin, &si->nMax);
    si->nPos = pWnd->GetScrollPos(bar);
  }
}

void CGXTabWnd::RestoreScrollState(CWnd* pWnd) {
  const int tab = m_pBeam ? m_pBeam->FindTab(pWnd) : -1;
  if (tab < 0) return;
  CGXTabInfo& info = m_pBeam->GetTab(tab);
  for (auto [bar, si] : {std::pair{SB_VERT, &info.sbVert}, std::pair{SB_HORZ, &info.sbHorz}}) {
    si->fMask = SIF_ALL;
    if (!pWnd->SetScrollInfo(bar, si, TRUE)) {
      pWnd->SetScrollRange(bar, si->nMin, si->nMax, FALSE);
      pWnd->SetScrollPos(bar, si->nPos, TRUE);
    }
  }
}

// ---- renaming --------------------------------------------------------------------------------------------------

void CGXTabWnd::OnRenameTab(int nTab) {
  if (m_pRenamePopup || !m_pBeam || nTab < 0 || nTab >= m_pBeam->GetCount()) return;
  CGXTabInfo& tab = m_pBeam->GetTab(nTab);
  if (tab.pExtra && tab.pExtra->SendMessage(GX_WM_SHEETNAME_EDITABLE, (WPARAM)nTab) == 0) return;
  CClientDC dc(m_pBeam);
  CFont* old = dc.SelectObject(&m_pBeam->GetNormalFont());
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  const int width = 15 * dc.GetTextExtent("W", 1).cx;
  dc.SelectObject(old);
  POINT origin{m_pBeam->GetTabX(nTab), 0};
  m_pBeam->MapWindowPoints(this, &origin, 1);
  CRect client;
  GetClientRect(&client);
  const int frame = ::GetSystemMetrics(SM_CYDLGFRAME);
  CRect rect(origin.x, std::max(0, StripTop() - 2 * (tm.tmHeight + frame)), origin.x + width, 0);
  rect.bottom = rect.top + tm.tmHeight + 4 * frame;
  if (rect.right > client.right) rect.OffsetRect(client.right - rect.right, 0);
  if (rect.left < 0) rect.left = 0, rect.right = std::min(width, (int)client.right);
  m_pRenamePopup = new CGXEditLabelPopup;
  // A dialog frame alone: with WS_BORDER it would be a caption, leaving no room for the text.
  if (!m_pRenamePopup->Create(WS_CHILD | WS_VISIBLE | WS_DLGFRAME | ES_AUTOHSCROLL, rect, this,
                              GX_IDW_TAB_RENAME)) {
    delete m_pRenamePopup;
    m_pRenamePopup = nullptr;
    return;
  }
  m_pRenamePopup->SetWindowText(tab.sLabel);
  m_pRenamePopup->SetFont(&m_pBeam->GetNormalFont());
  m_pRenamePopup->SetSel(0, -1);
  m_pRenamePopup->SetFocus();
}

void CGXTabWnd::CloseRenamePopup() {
  CGXEditLabelPopup* popup = m_pRenamePopup;
  if (!popup) return;
  m_pRenamePopup = nullptr;
  // A popup that goes with the focus would leave the keys to no window: they go back to the sheet.
  const bool hadFocus = popup->GetSafeHwnd() && ::GetFocus() == popup->m_hWnd;
  if (popup->GetSafeHwnd()) popup->DestroyWindow();
  delete popup;
  if (hadFocus && m_pActivePane && m_pActivePane->GetSafeHwnd() && IsWindowVisible()) m_pActivePane->SetFocus();
}

void CGXTabWnd::OnRenameDone() {
  if (!m_pRenamePopup) return;
  CString name;
  m_pRenamePopup->GetWindowText(name);
  CloseRenamePopup();
  const int tab = m_pBeam->GetCurrentTab();
  if (tab < 0) return;
  m_pBeam->GetTab(tab).sLabel = name;
  m_pBeam->AdjustTabSize(tab);
  if (CWnd* wnd = m_pBeam->GetTab(tab).pExtra) wnd->SendMessage(GX_WM_SHEETNAME_CHANGED, (WPARAM)tab);
}

// ---- messages ----------------------------------------------------------------------------------------------------

BOOL CGXTabWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT ignored = 0;
  LRESULT& result = pResult ? *pResult : ignored;
  switch (message) {
    case GX_WM_TAB_CHANGED: OnTabSwitched((int)wParam); break;
    case GX_WM_TAB_RENAME: OnRenameTab((int)wParam); break;
    case GX_WM_TAB_CANSWITCH:
      result = m_pBeam && (int)wParam >= 0 && (int)wParam < m_pBeam->GetCount() ? CanSwitchTo((int)wParam) : 1;
      return TRUE;
    case GX_WM_TAB_RENAME_DONE: OnRenameDone(); break;
    case GX_WM_TAB_RENAME_CANCEL: CloseRenamePopup(); break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      CloseRenamePopup();
      if (m_pActivePane) m_pActivePane->SendMessage(message, wParam, lParam);
      break;
    default: return CWnd::OnWndMsg(message, wParam, lParam, pResult);
  }
  result = 0;
  return TRUE;
}

void CGXTabWnd::OnSize(UINT nType, int cx, int cy) {
  CloseRenamePopup();
  CGXBeamFrameWnd::OnSize(nType, cx, cy);
}

void CGXTabWnd::OnResize(int cx) {
  if (m_nBeamWidth100 / 100 != m_nBeamWidth) m_nBeamWidth100 = m_nBeamWidth * 100;
  const int base = ((m_pBeam ? m_pBeam->GetButtonAreaWidth() : 0) - 20) * 100;
  // The beam keeps its share of the width beyond its smallest size.
  if (m_bHasHBar && m_pBeam && m_nPrevWidth && m_nBeamWidth100)
    m_nBeamWidth100 = (int)((long long)(m_nBeamWidth100 - base) * cx / m_nPrevWidth + base);
  else if (!m_nBeamWidth100)
    m_nBeamWidth100 = cx * 100 / 2;
  if (!m_bHasHBar) m_nBeamWidth100 = cx * 100;
  m_nBeamWidth = m_nBeamWidth100 / 100;
  m_nPrevWidth = cx;
  RecalcLayout();
}

void CGXTabWnd::OnPaint() {
  CPaintDC dc(this);
  if (!m_bCreated) RecalcLayout();
  if (!m_bHasHBar) return;
  const CRect box = GetSizingBoxRect();
  const COLORREF colors[5] = {RGB(0, 0, 0), ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNFACE),
                              ::GetSysColor(COLOR_BTNSHADOW), RGB(0, 0, 0)};
  for (int i = 0; i < 5; ++i) dc.FillSolidRect(box.left + i, box.top, 1, box.Height(), colors[i]);
}

BOOL CGXTabWnd::OnEraseBkgnd(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillRect(CRect(client.right - m_nStripHeight, 0, client.right, client.bottom), &m_brCorner);
  return TRUE;
}

BOOL CGXTabWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (pWnd == this && !m_bTracking) return TRUE;
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CGXTabWnd::OnMouseMove(UINT, CPoint point) {
  const BOOL overBox = m_bHasHBar && GetSizingBoxRect().PtInRect(point);
  ::SetCursor(m_bTracking || overBox ? SizingCursor() : m_hCursor);
  if (!m_bTracking || !m_pBeam) return;
  CRect client;
  GetClientRect(&client);
  const int x = point.x;
  if (x < m_pBeam->GetButtonAreaWidth() + 20 || x > client.Width() - 2 * m_nStripHeight || x == m_nBeamWidth) return;
  CRect box = GetSizingBoxRect();
  InvalidateRect(&box, TRUE);
  m_pBeam->m_nTrackX = std::min(m_nBeamWidth, x);
  m_nBeamWidth = x;
  RecalcLayout(TRUE);
  box = GetSizingBoxRect();
  InvalidateRect(&box, TRUE);
}

void CGXTabWnd::OnLButtonDown(UINT, CPoint point) {
  if (!m_bHasHBar || !GetSizingBoxRect().PtInRect(point)) return;
  if (m_pActivePane) m_pActivePane->SetFocus();
  SetCapture();
  m_bTracking = TRUE;
}

void CGXTabWnd::OnLButtonUp(UINT, CPoint) {
  if (!m_bTracking) return;
  m_bTracking = FALSE;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (!m_pBeam) return;
  m_pBeam->m_nTrackX = -2;
  m_pBeam->Invalidate(FALSE);
  m_pBeam->UpdateWindow();
  m_pBeam->m_nTrackX = -1;
}

void CGXTabWnd::OnSettingChange(UINT, LPCSTR) {
  GXUpdateLocaleDateTimeSettings();
  ReadBarMetrics();
  RecalcLayout();
}
