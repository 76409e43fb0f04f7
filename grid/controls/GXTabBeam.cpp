// The sheet tabs: geometry, drawing off-screen, scroll buttons with auto-repeat, clicks that switch,
// select and rename.
#include "grid/controls/GXTabBeam.h"

#include "grid/controls/GXBeamDrawing.h"
#include "grid/controls/GXTabWnd.h"
#include "grid/engine/GXLocale.h"
#include "platform/core/Exception.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"

#include <algorithm>

// ---- CGXTabInfo --------------------------------------------------------------------------------------------

CGXTabInfo::CGXTabInfo() {
  sbVert.cbSize = sbHorz.cbSize = sizeof(SCROLLINFO);
}

CGXTabInfo::~CGXTabInfo() {
  if (bDeleteExtra) delete pExtra;
}

void CGXTabInfo::SetFillColor(COLORREF color) {
  clrFill = color;
  brFill.DeleteObject();
  brFill.CreateSolidBrush(color);
}

void CGXTabInfo::SetCurrentFillColor(COLORREF color) {
  clrCurrentFill = color;
  brCurrentFill.DeleteObject();
  brCurrentFill.CreateSolidBrush(color);
}

// ---- CGXTabBeam --------------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CGXTabBeam, CWnd)

CGXTabBeam::CGXTabBeam() {
  m_nHeight = m_nButtonWidth = ::GetSystemMetrics(SM_CYHSCROLL);
  m_nButtonAreaWidth = m_nButtons * m_nButtonWidth;
  m_hCursor = ::LoadCursor(nullptr, IDC_ARROW);
}

CGXTabBeam::~CGXTabBeam() {
  for (CGXTabInfo* tab : m_tabs) delete tab;
}

BOOL CGXTabBeam::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  GXRegisterTabWndClasses();
  if (!CWnd::Create("CGXTabBeam", nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID)) return FALSE;
  CreateFonts();
  SetWindowPos(nullptr, 0, 0, 1, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ReadColors();
  return TRUE;
}

void CGXTabBeam::UnregisterWindowClass() { ::UnregisterClass("CGXTabBeam", AfxGetInstanceHandle()); }

void CGXTabBeam::CreateFonts() {
  GXCreateBeamFont(m_fontNormal, m_nHeight, 400);
  GXCreateBeamFont(m_fontBold, m_nHeight, 700);
}

void CGXTabBeam::ReadColors() {
  m_clrText = m_clrTextCurrent = ::GetSysColor(COLOR_WINDOWTEXT);
  m_clrTabFill = ::GetSysColor(COLOR_BTNFACE);
  m_clrCurrentFill = ::GetSysColor(COLOR_WINDOW);
  m_clrBackground = ::GetSysColor(COLOR_SCROLLBAR);
  for (CBrush* b : {&m_brTabFill, &m_brCurrentFill, &m_brBlack}) b->DeleteObject();
  m_brTabFill.CreateSolidBrush(m_clrTabFill);
  m_brCurrentFill.CreateSolidBrush(m_clrCurrentFill);
  m_brBlack.CreateSolidBrush(RGB(0, 0, 0));
  m_penShadow.DeleteObject();
  m_penShadow.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
}

CGXTabInfo& CGXTabBeam::GetTab(int nTab) {
  if (nTab < 0 || nTab >= GetCount()) AfxThrowInvalidArgException();
  return *m_tabs[(size_t)nTab];
}

// ---- geometry ----------------------------------------------------------------------------------------------

int CGXTabBeam::GetTabX(int nTab) {
  int x = m_bShowButtons ? m_nButtonAreaWidth + 1 : 0;
  for (int i = m_nFirstTab; i < nTab && i < GetCount(); ++i) x += m_tabs[(size_t)i]->nWidth + m_nGap;
  for (int i = std::min(m_nFirstTab, GetCount()) - 1; i >= nTab && i >= 0; --i) x -= m_tabs[(size_t)i]->nWidth + m_nGap;
  return x;
}

int CGXTabBeam::TabFromPoint(int x) {
  int pos = m_bShowButtons ? m_nButtonAreaWidth + 1 : 0;
  for (int i = std::max(m_nFirstTab, 0); i < GetCount(); ++i) {
    const int next = pos + m_tabs[(size_t)i]->nWidth + m_nGap;
    if (x >= pos && x < next) return i;
    pos = next;
  }
  return -1;
}

int CGXTabBeam::GetLastVisibleTab() {
  if (GetCount() == 0) return -1;
  CRect client;
  GetClientRect(&client);
  const int first = std::clamp(m_nFirstTab, 0, GetCount() - 1);
  int x = (m_bShowButtons ? m_nButtonAreaWidth + 1 : 0) + m_tabs[(size_t)first]->nWidth + 2 * m_nGap;
  int last = first;
  for (int i = first + 1; i < GetCount(); ++i) {
    x += m_tabs[(size_t)i]->nWidth + m_nGap;
    if (x > client.right) break;
    last = i;
  }
  return last;
}

BOOL CGXTabBeam::CanScroll(int nButton) {
  if (GetCount() < 2) return FALSE;
  return nButton <= 1 ? m_nFirstTab > 0 : GetLastVisibleTab() < GetCount() - 1;
}

void CGXTabBeam::EnsureVisible(int nTab) {
  if (nTab < 0 || nTab >= GetCount()) return;
  if (nTab < m_nFirstTab) m_nFirstTab = nTab;
  while (nTab > GetLastVisibleTab() && m_nFirstTab < nTab) ++m_nFirstTab;
}

void CGXTabBeam::SetCurrentTab(int nTab) {
  GetTab(nTab);
  if (nTab != m_nCurrent) {
    m_nCurrent = nTab;
    if (GetSafeHwnd()) Invalidate(FALSE);
  }
  const int first = m_nFirstTab;
  EnsureVisible(nTab);
  if (first != m_nFirstTab && GetSafeHwnd()) Invalidate(FALSE);
}

CRect CGXTabBeam::ButtonRect(int nButton) const {
  const int place = m_nButtons == 2 ? nButton - 1 : nButton;
  return CRect(place * m_nButtonWidth, 0, (place + 1) * m_nButtonWidth, m_nHeight);
}

// ---- tabs --------------------------------------------------------------------------------------------------

void CGXTabBeam::InsertTab(BOOL bInsert, LPCTSTR pszName, CWnd* pWnd, BOOL bOwnsWnd, int nWidth, DWORD dwUser) {
  auto* tab = new CGXTabInfo;
  tab->sLabel = pszName ? pszName : "";
  tab->pExtra = pWnd;
  tab->bDeleteExtra = bOwnsWnd;
  tab->dwUser = dwUser;
  tab->SetFillColor(m_clrTabFill);
  tab->SetCurrentFillColor(m_clrCurrentFill);
  if (nWidth >= 0) tab->nWidth = nWidth;
  const BOOL hadCurrent = m_nCurrent >= 0;
  int index = GetCount();
  if (hadCurrent && bInsert) {
    // The current tab moves right with the sheet it shows.
    index = m_nCurrent++;
  }
  m_tabs.insert(m_tabs.begin() + index, tab);
  if (nWidth < 0) AdjustTabSize(index);
  if (GetSafeHwnd()) Invalidate(FALSE);
  if (!hadCurrent) {
    m_nCurrent = GetCount() - 1;
    EnsureVisible(m_nCurrent);
  }
}

void CGXTabBeam::DeleteTab(int nTab) {
  CGXTabInfo* tab = &GetTab(nTab);
  if (nTab == m_nCurrent) m_nCurrent = 0, m_nFirstTab = 0;
  else if (nTab < m_nCurrent) --m_nCurrent;
  m_tabs.erase(m_tabs.begin() + nTab);
  if (auto* tabs = DYNAMIC_DOWNCAST(CGXTabWnd, GetParent())) tabs->OnTabDeleted(tab->pExtra);
  delete tab;
  // The last tab gone leaves no current tab.
  if (m_nCurrent >= GetCount()) m_nCurrent = GetCount() - 1;
  m_nFirstTab = std::max(0, std::min(m_nFirstTab, GetCount() - 1));
  if (GetSafeHwnd()) Invalidate(FALSE);
}

void CGXTabBeam::AdjustTabSize(int nTab) {
  CGXTabInfo& tab = GetTab(nTab);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  if (!m_fontBold.m_hObject) CreateFonts();
  CFont* old = dc.SelectObject(&m_fontBold);
  tab.nWidth = dc.GetTextExtent(tab.sLabel).cx + m_nGap;
  dc.SelectObject(old);
  if (GetSafeHwnd()) Invalidate(FALSE);
}

int CGXTabBeam::FindTab(const CWnd* pWnd) const {
  for (size_t i = 0; i < m_tabs.size(); ++i)
    if (m_tabs[i]->pExtra == pWnd) return (int)i;
  return -1;
}

// ---- drawing -----------------------------------------------------------------------------------------------

void CGXTabBeam::DrawButton(CDC* pDC, int nButton, BOOL bPressed) {
  GXDrawBeamButton(pDC, ButtonRect(nButton), nButton, bPressed, CanScroll(nButton));
}

void CGXTabBeam::DrawButtons(CDC* pDC) {
  for (int place = 0; place < m_nButtons; ++place) {
    const int button = m_nButtons == 2 ? place + 1 : place;
    DrawButton(pDC, button, button == m_nPressed && m_bPressedShown);
  }
}

void CGXTabBeam::DrawTab(CDC* pDC, int nTab) {
  CGXTabInfo& tab = GetTab(nTab);
  const int x = GetTabX(nTab), w = tab.nWidth, g = m_nGap, h = m_nHeight;
  const POINT pts[4] = {{x, 0}, {x + w + 2 * g, 0}, {x + w + g, h}, {x + g, h}};
  CRgn rgn;
  rgn.CreatePolygonRgn(pts, 4, ALTERNATE);
  const BOOL current = nTab == m_nCurrent;
  CBrush* fill = &m_brTabFill;
  COLORREF currentFill = m_clrCurrentFill;
  if (tab.nFlags & 2) currentFill = tab.clrCurrentFill;
  if (current || tab.bSel) fill = (tab.nFlags & 2) ? &tab.brCurrentFill : &m_brCurrentFill;
  else if (tab.nFlags & 1) fill = &tab.brFill;
  pDC->FillRgn(&rgn, fill);
  pDC->FrameRgn(&rgn, &m_brBlack, 1, 1);
  CPen* oldPen = pDC->SelectObject(&m_penShadow);
  pDC->MoveTo(x + g + 1, h - 1);
  pDC->LineTo(x + w + g - 1, h - 1);
  pDC->LineTo(x + w + 2 * g - 2, 0);
  pDC->SelectObject(oldPen);
  // The current tab joins the sheet above it.
  if (current) pDC->FillSolidRect(x + 1, 0, w + 2 * g - 1, 1, currentFill);
  CFont* oldFont = pDC->SelectObject(current ? &m_fontBold : &m_fontNormal);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(current ? m_clrTextCurrent : m_clrText);
  CRect text(x + g, 0, x + g + w, h);
  const int down = (h - pDC->GetTextExtent("t", 1).cy) / 2;
  if (down > 0) text.top += down;
  pDC->DrawText(tab.sLabel, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  pDC->SelectObject(oldFont);
}

void CGXTabBeam::Paint(CDC* pDC, const CRect& area) {
  if (m_bShowButtons) DrawButtons(pDC);
  const int left = m_bShowButtons ? m_nButtonAreaWidth : 0;
  if (area.right <= left) return;
  pDC->FillSolidRect(left, 0, area.right - left, 1, RGB(0, 0, 0));
  pDC->FillSolidRect(left, 1, area.right - left, m_nHeight, m_clrBackground);
  if (GetCount() == 0) return;
  const int saved = pDC->SaveDC();
  pDC->IntersectClipRect(left, 0, area.right, area.bottom);
  int from = TabFromPoint(area.right + m_nGap);
  if (from < 0) from = GetCount() - 1;
  int to = TabFromPoint(std::max(area.left, left + 1));
  to = std::max(0, (to < 0 ? m_nFirstTab : to) - 1);
  for (int i = from; i >= to; --i)
    if (i != m_nCurrent) DrawTab(pDC, i);
  if (m_nCurrent >= to && m_nCurrent <= from) DrawTab(pDC, m_nCurrent);
  pDC->RestoreDC(saved);
}

void CGXTabBeam::OnPaint() {
  CPaintDC dc(this);
  if (auto* tabs = DYNAMIC_DOWNCAST(CGXTabWnd, GetParent())) tabs->RepaintSharedRow();
  CRect client;
  GetClientRect(&client);
  if (client.IsRectEmpty()) return;
  if (!m_fontNormal.m_hObject) CreateFonts();
  CDC mem;
  mem.CreateCompatibleDC(&dc);
  CBitmap bmp;
  bmp.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
  CBitmap* oldBmp = mem.SelectObject(&bmp);
  CFont* oldFont = mem.SelectObject(&m_fontNormal);
  mem.SetBrushOrg(0, 0);
  Paint(&mem, client);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
  mem.SelectObject(oldFont);
  mem.SelectObject(oldBmp);
  if (m_nTrackX == -2) m_nTrackX = -1;
}

BOOL CGXTabBeam::OnEraseBkgnd(CDC* pDC) {
  if (m_nTrackX > 0) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(m_nTrackX - 1, 0, 1, client.Height(), m_clrBackground);
  }
  return TRUE;
}

// ---- buttons -----------------------------------------------------------------------------------------------

int CGXTabBeam::ButtonFromPoint(int x, int y, int nRequired) {
  if (y < 0 || y > m_nHeight || x < 0 || x >= (m_bShowButtons ? m_nButtonAreaWidth : 0)) return -1;
  const int button = x / m_nButtonWidth + (m_nButtons == 2 ? 1 : 0);
  if (!CanScroll(button) || (nRequired != -1 && nRequired != button)) return -1;
  ScrollTabs(button);
  return button;
}

void CGXTabBeam::ScrollTabs(int nButton) {
  if (CWnd* parent = GetParent()) parent->SendMessage(GX_WM_TAB_RENAME_CANCEL);
  const int count = GetCount();
  int first = nButton == 0 ? 0 : nButton == 1 ? m_nFirstTab - 1 : nButton == 2 ? m_nFirstTab + 1 : count - 1;
  // No further than the first tab from which the rest fit.
  CRect client;
  GetClientRect(&client);
  int fitFrom = count - 1, width = (m_bShowButtons ? m_nButtonAreaWidth + 1 : 0) + m_nGap;
  for (int i = count - 1; i >= 0; --i) {
    width += m_tabs[(size_t)i]->nWidth + m_nGap;
    if (width > client.right) break;
    fitFrom = i;
  }
  first = std::max(0, std::min(first, fitFrom));
  if (first == m_nFirstTab) return;
  m_nFirstTab = first;
  Invalidate(FALSE);
  UpdateWindow();
}

void CGXTabBeam::TrackButton(UINT nEndMessage) {
  m_bTracking = TRUE;
  GXTrackRepeat(this, nEndMessage, 200, [this](DWORD delay) {
    ::SetCursor(m_hCursor);
    POINT pt{};
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    ButtonFromPoint(pt.x, pt.y, m_nPressed);
    const BOOL over = ButtonRect(m_nPressed).PtInRect(pt);
    if (over != m_bPressedShown) {
      m_bPressedShown = over;
      CClientDC dc(this);
      DrawButtons(&dc);
    }
    return delay > 100 ? delay - 20 : delay;
  });
  m_bTracking = FALSE;
  m_nPressed = -1;
  m_bPressedShown = FALSE;
  Invalidate(FALSE);
  UpdateWindow();
}

// ---- mouse -------------------------------------------------------------------------------------------------

void CGXTabBeam::SelectTabAt(int x) {
  const int buttons = m_bShowButtons ? m_nButtonAreaWidth : 0;
  if (x < buttons) return;
  int tab = x < buttons + 1 + m_nGap ? std::max(m_nFirstTab - 1, 0) : TabFromPoint(x);
  if (tab < 0 || tab >= GetCount()) return;
  CWnd* parent = GetParent();
  if (parent && parent->SendMessage(GX_WM_TAB_CANSWITCH, (WPARAM)tab)) return;
  const int oldCurrent = m_nCurrent, oldFirst = m_nFirstTab;
  m_nCurrent = tab;
  // Selections dropped change the look of their tabs too.
  bool dropped = false;
  if (!m_tabs[(size_t)tab]->bSel)
    for (CGXTabInfo* t : m_tabs) {
      dropped = dropped || t->bSel;
      t->bSel = FALSE;
    }
  EnsureVisible(tab);
  if (dropped || oldCurrent != m_nCurrent || oldFirst != m_nFirstTab) {
    Invalidate(FALSE);
    UpdateWindow();
  }
  if (parent) parent->PostMessage(GX_WM_TAB_CHANGED, (WPARAM)tab);
}

void CGXTabBeam::OnLButtonDown(UINT nFlags, CPoint point) {
  const int button = ButtonFromPoint(point.x, point.y, -1);
  if (button >= 0) {
    m_nPressed = button;
    m_bPressedShown = TRUE;
    {
      CClientDC dc(this);
      DrawButtons(&dc);
    }
    TrackButton(WM_LBUTTONUP);
    return;
  }
  const int tab = TabFromPoint(point.x);
  if ((nFlags & MK_CONTROL) && tab >= 0) {
    m_tabs[(size_t)tab]->bSel = !m_tabs[(size_t)tab]->bSel;
    Invalidate(FALSE);
  } else if ((nFlags & MK_SHIFT) && tab >= 0 && m_nCurrent >= 0) {
    const int step = tab < m_nCurrent ? 1 : -1;
    for (int i = tab; i != m_nCurrent; i += step) m_tabs[(size_t)i]->bSel = TRUE;
    Invalidate(FALSE);
  } else if (!(nFlags & (MK_CONTROL | MK_SHIFT))) {
    SelectTabAt(point.x);
  }
}

void CGXTabBeam::OnLButtonDblClk(UINT nFlags, CPoint point) {
  const int buttons = m_bShowButtons ? m_nButtonAreaWidth : 0;
  if (point.x >= buttons && TabFromPoint(point.x) >= 0 && m_nCurrent >= m_nFirstTab) {
    if (CWnd* parent = GetParent()) parent->PostMessage(GX_WM_TAB_RENAME, (WPARAM)m_nCurrent);
    return;
  }
  OnLButtonDown(nFlags, point);
}

BOOL CGXTabBeam::OnSetCursor(CWnd*, UINT, UINT) {
  ::SetCursor(m_hCursor);
  return TRUE;
}

// ---- system changes ----------------------------------------------------------------------------------------

void CGXTabBeam::OnSysColorChange() {
  ReadColors();
  Invalidate(FALSE);
}

void CGXTabBeam::OnSettingChange(UINT, LPCSTR) {
  GXUpdateLocaleDateTimeSettings();
  const int height = ::GetSystemMetrics(SM_CYHSCROLL);
  if (height != m_nHeight) {
    m_nHeight = m_nButtonWidth = height;
    m_nButtonAreaWidth = m_nButtons * m_nButtonWidth;
    CreateFonts();
    for (int i = 0; i < GetCount(); ++i) AdjustTabSize(i);
  }
  Invalidate(FALSE);
}

void CGXTabBeam::PostNcDestroy() {
  if (GXForgetAutoCreated(this)) delete this;
}
