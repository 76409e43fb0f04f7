#include "platform/ui/ControlBar.h"

#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/FrameWnd.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

// ---- CControlBar ------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, &CControlBar::OnSizeParent)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
  free(m_pData);
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

CWnd* CControlBar::GetBarOwner() const {
  if (m_hWndOwner && ::IsWindow(m_hWndOwner)) return CWnd::FromHandle(m_hWndOwner);
  return GetParent();
}

BOOL CControlBar::AllocElements(int nElements, int cbElement) {
  if (nElements < 0 || cbElement <= 0) return FALSE;
  free(m_pData);
  m_pData = nullptr;
  m_nCount = 0;
  if (nElements > 0) {
    m_pData = calloc((size_t)nElements, (size_t)cbElement);
    if (!m_pData) return FALSE;
  }
  m_nCount = nElements;
  return TRUE;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  CSize size;
  size.cx = (bStretch && bHorz ? 32767 : 0);
  size.cy = (bStretch && !bHorz ? 32767 : 0);
  return size;
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
  if (bHorz) {
    rect.left += m_cxLeftBorder;
    rect.top += m_cyTopBorder;
    rect.right -= m_cxRightBorder;
    rect.bottom -= m_cyBottomBorder;
  } else {
    rect.left += m_cyTopBorder;
    rect.top += m_cxLeftBorder;
    rect.right -= m_cyBottomBorder;
    rect.bottom -= m_cxRightBorder;
  }
}

void CControlBar::OnBarStyleChange(DWORD, DWORD) {}

void CControlBar::SetBarStyle(DWORD dwStyle) {
  DWORD old = m_dwStyle;
  m_dwStyle = dwStyle;
  if (old != dwStyle) OnBarStyleChange(old, dwStyle);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
  auto* layout = (AFX_SIZEPARENTPARAMS*)lParam;
  if (!layout || !(GetStyle() & WS_VISIBLE)) return 0;
  bool horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0 || !(m_dwStyle & CBRS_ORIENT_VERT);
  CSize size = CalcFixedLayout(layout->bStretch, horz);
  CRect r = layout->rect;
  if (m_dwStyle & CBRS_ALIGN_BOTTOM) {
    r.top = std::max<LONG>(r.top, r.bottom - size.cy);
    layout->rect.bottom = r.top;
  } else if (m_dwStyle & CBRS_ALIGN_LEFT) {
    r.right = std::min<LONG>(r.right, r.left + size.cx);
    layout->rect.left = r.right;
  } else if (m_dwStyle & CBRS_ALIGN_RIGHT) {
    r.left = std::max<LONG>(r.left, r.right - size.cx);
    layout->rect.right = r.left;
  } else {
    r.bottom = std::min<LONG>(r.bottom, r.top + size.cy);
    layout->rect.top = r.bottom;
  }
  if (layout->hDWP) layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, r.left, r.top, r.Width(), r.Height(),
                                                    SWP_NOACTIVATE | SWP_NOZORDER);
  else MoveWindow(&r);
  return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
  if (!(GetStyle() & WS_VISIBLE)) return 0;
  CWnd* owner = GetBarOwner();
  CFrameWnd* target = owner && owner->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(owner) : GetParentFrame();
  if (target) OnUpdateCmdUI(target, (BOOL)wParam);
  return 0;
}

BOOL CControlBar::OnEraseBkgnd(CDC* pDC) { return CWnd::OnEraseBkgnd(pDC); }

void CControlBar::PostNcDestroy() {}

BOOL CControlBar::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  CWnd* owner = GetBarOwner();
  return owner && owner != this ? (BOOL)owner->SendMessage(WM_COMMAND, wParam, lParam) : FALSE;
}

// ---- CStatusBar -------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  ON_MESSAGE(WM_SETTEXT, &CStatusBar::OnSetText)
END_MESSAGE_MAP()

namespace {

// The bar's window styles without the control-bar bits.
DWORD WindowStyleOf(DWORD dwStyle) { return (dwStyle & ~(DWORD)CBRS_ALL) | WS_CHILD; }

class CStatusCmdUI : public CCmdUI {
 public:
  CStatusBar* bar = nullptr;
  void Enable(BOOL bOn) override {
    m_bEnableChanged = TRUE;
    UINT st = bar->GetPaneStyle((int)m_nIndex);
    bar->SetPaneStyle((int)m_nIndex, bOn ? (st & ~SBPS_DISABLED) : (st | SBPS_DISABLED));
  }
  void SetCheck(int nCheck) override {
    UINT st = bar->GetPaneStyle((int)m_nIndex);
    bar->SetPaneStyle((int)m_nIndex, nCheck ? (st | SBPS_POPOUT) : (st & ~SBPS_POPOUT));
  }
  void SetText(LPCSTR lpszText) override { bar->SetPaneText((int)m_nIndex, lpszText); }
};

}  // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) { return CreateEx(pParentWnd, 0, dwStyle, nID); }

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID) {
  ui::EnsureNativeControls();
  m_dwStyle = dwStyle & CBRS_ALL;
  if (!(m_dwStyle & CBRS_ALIGN_ANY)) m_dwStyle |= CBRS_ALIGN_BOTTOM;
  DWORD ws = WindowStyleOf(dwStyle) | dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (!CWnd::CreateEx(0, STATUSCLASSNAME, "", ws, CRect(0, 0, 0, 0), pParentWnd, nID)) return FALSE;
  SetBarOwner(pParentWnd);
  return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
  m_panes.clear();
  ui::MeasureDC m((HFONT)SendMessage(WM_GETFONT));
  bool ok = true;
  for (int i = 0; i < nIDCount; ++i) {
    Pane p{lpIDArray[i], SBPS_NORMAL, 0, std::string()};
    if (p.id != ID_SEPARATOR) {
      std::string s;
      if (!LoadStringResource(p.id, s)) ok = false;
      p.text = s;
      p.width = m.dc.GetTextExtent(s.c_str(), (int)s.size()).cx;
    } else {
      p.width = DRAVONIX_DESKTOP_WIDTH / 4;
    }
    m_panes.push_back(p);
  }
  if (!m_panes.empty() && m_panes[0].id == ID_SEPARATOR) m_panes[0].style |= SBPS_STRETCH | SBPS_NOBORDERS;
  UpdateParts();
  return ok;
}

void CStatusBar::UpdateParts() {
  if (!m_hWnd || m_panes.empty()) return;
  CRect c;
  GetClientRect(&c);
  std::vector<int> widths(m_panes.size());
  int fixed = 0, stretch = -1;
  for (size_t i = 0; i < m_panes.size(); ++i) {
    widths[i] = m_panes[i].width + 6;
    if ((m_panes[i].style & SBPS_STRETCH) && stretch < 0) stretch = (int)i;
    else fixed += widths[i] + 2;
  }
  if (stretch >= 0) widths[(size_t)stretch] = std::max(0, (int)c.Width() - fixed - 2);
  std::vector<int> edges(m_panes.size());
  int x = 0;
  for (size_t i = 0; i < m_panes.size(); ++i) {
    x += widths[i] + (i ? 2 : 0);
    edges[i] = x;
  }
  SendMessage(SB_SETPARTS, (WPARAM)edges.size(), (LPARAM)edges.data());
  for (size_t i = 0; i < m_panes.size(); ++i) {
    UINT type = m_panes[i].style & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
    std::string shown = (m_panes[i].style & SBPS_DISABLED) ? std::string() : m_panes[i].text;
    SendMessage(SB_SETTEXT, (WPARAM)(i | type), (LPARAM)shown.c_str());
  }
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL) {
  ui::MeasureDC m((HFONT)SendMessage(WM_GETFONT));
  return CSize(bStretch ? 32767 : 0, m.LineHeight() + 8);
}

void CStatusBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  UpdateParts();
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
  for (size_t i = 0; i < m_panes.size(); ++i)
    if (m_panes[i].id == nIDFind) return (int)i;
  return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_panes.size() ? m_panes[(size_t)nIndex].id : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  if (!lpRect) return;
  *lpRect = CRect();
  SendMessage(SB_GETRECT, (WPARAM)nIndex, (LPARAM)lpRect);
}

void CStatusBar::GetPaneText(int nIndex, CString& s) const { s = GetPaneText(nIndex); }

CString CStatusBar::GetPaneText(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_panes.size() ? CString(m_panes[(size_t)nIndex].text.c_str()) : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL) {
  if (nIndex < 0 || (size_t)nIndex >= m_panes.size()) return FALSE;
  std::string t = lpszNewText ? lpszNewText : "";
  Pane& p = m_panes[(size_t)nIndex];
  if (p.text == t) return TRUE;
  p.text = t;
  if (m_hWnd) {
    UINT type = p.style & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
    std::string shown = (p.style & SBPS_DISABLED) ? std::string() : t;
    SendMessage(SB_SETTEXT, (WPARAM)((UINT)nIndex | type), (LPARAM)shown.c_str());
  }
  return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  if (nIndex < 0 || (size_t)nIndex >= m_panes.size()) {
    nID = 0;
    nStyle = 0;
    cxWidth = 0;
    return;
  }
  const Pane& p = m_panes[(size_t)nIndex];
  nID = p.id;
  nStyle = p.style;
  cxWidth = p.width;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  if (nIndex < 0 || (size_t)nIndex >= m_panes.size()) return;
  Pane& p = m_panes[(size_t)nIndex];
  p.id = nID;
  p.style = nStyle;
  p.width = std::max(0, cxWidth);
  UpdateParts();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_panes.size() ? m_panes[(size_t)nIndex].style : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
  if (nIndex < 0 || (size_t)nIndex >= m_panes.size() || m_panes[(size_t)nIndex].style == nStyle) return;
  m_panes[(size_t)nIndex].style = nStyle;
  UpdateParts();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam) {
  // The window text is the first pane's (the frame's message line).
  int i = CommandToIndex(ID_SEPARATOR);
  SetPaneText(i < 0 ? 0 : i, (LPCSTR)lParam);
  return TRUE;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  // Panes are indicators, not commands: one without a handler stays as it is.
  CStatusCmdUI ui;
  ui.bar = this;
  ui.m_pOther = this;
  ui.m_nIndexMax = (UINT)m_panes.size();
  for (UINT i = 0; i < ui.m_nIndexMax; ++i) {
    ui.m_nID = m_panes[i].id;
    ui.m_nIndex = i;
    if (ui.m_nID != ID_SEPARATOR) ui.DoUpdate(pTarget, FALSE);
  }
}

// ---- CToolBar ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
END_MESSAGE_MAP()

namespace {

class CToolCmdUI : public CCmdUI {
 public:
  CToolBar* bar = nullptr;
  void Enable(BOOL bOn) override {
    m_bEnableChanged = TRUE;
    UINT st = bar->GetButtonStyle((int)m_nIndex);
    bar->SetButtonStyle((int)m_nIndex, bOn ? (st & ~TBBS_DISABLED) : (st | TBBS_DISABLED));
  }
  void SetCheck(int nCheck) override {
    UINT st = bar->GetButtonStyle((int)m_nIndex) & ~(TBBS_CHECKED | TBBS_INDETERMINATE);
    if (nCheck == 1) st |= TBBS_CHECKED;
    else if (nCheck == 2) st |= TBBS_INDETERMINATE;
    bar->SetButtonStyle((int)m_nIndex, st | TBBS_CHECKBOX);
  }
  void SetText(LPCSTR) override {}
};

}  // namespace

CToolBar::CToolBar() = default;

CToolBar::~CToolBar() {
  if (m_hbmImageWell) ::DeleteObject(m_hbmImageWell);
  delete m_pToolTip;
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, CRect rcBorders, UINT nID) {
  m_dwStyle = dwStyle & CBRS_ALL;
  if (!(m_dwStyle & CBRS_ALIGN_ANY)) m_dwStyle |= CBRS_ALIGN_TOP;
  m_cxLeftBorder = rcBorders.left ? rcBorders.left : 2;
  m_cyTopBorder = rcBorders.top ? rcBorders.top : 2;
  m_cxRightBorder = rcBorders.right;
  m_cyBottomBorder = rcBorders.bottom ? rcBorders.bottom : 2;
  LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1));
  if (!CWnd::CreateEx(0, cls, "", WindowStyleOf(dwStyle), CRect(0, 0, 0, 0), pParentWnd, nID)) return FALSE;
  SetBarOwner(pParentWnd);
  if (m_dwStyle & CBRS_TOOLTIPS) {
    m_pToolTip = new CToolTipCtrl;
    if (!m_pToolTip->Create(this)) {
      delete m_pToolTip;
      m_pToolTip = nullptr;
    }
  }
  return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
  if (sizeButton.cx > 0 && sizeButton.cy > 0) m_sizeButton = sizeButton;
  if (sizeImage.cx > 0 && sizeImage.cy > 0) m_sizeImage = sizeImage;
  UpdateTools();
  Invalidate();
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) { return LoadToolBar(MAKEINTRESOURCE(nIDResource)); }

BOOL CToolBar::LoadToolBar(LPCSTR name) {
  HINSTANCE module = AfxFindResourceHandle(name, RT_TOOLBAR);
  HRSRC res = module ? ::FindResource(module, name, RT_TOOLBAR) : nullptr;
  if (!res || ::SizeofResource(module, res) < sizeof(TOOLBAR_RESOURCE)) return FALSE;
  auto* tb = (const TOOLBAR_RESOURCE*)::LockResource(::LoadResource(module, res));
  if (!tb || tb->wVersion != 1 || (tb->wItemCount && !tb->items)) return FALSE;
  std::vector<UINT> ids(tb->items, tb->items + tb->wItemCount);
  if (!SetButtons(ids.data(), (int)ids.size())) return FALSE;
  SetSizes(CSize(tb->wWidth + 7, tb->wHeight + 7), CSize(tb->wWidth, tb->wHeight));
  CBitmap bm;
  if (IS_INTRESOURCE(name) ? bm.LoadBitmap((UINT)(ULONG_PTR)name) : bm.LoadBitmap(name)) SetBitmap((HBITMAP)bm.Detach());
  return TRUE;
}

BOOL CToolBar::LoadBitmap(UINT nIDResource) {
  CBitmap bm;
  if (!bm.LoadBitmap(nIDResource)) return FALSE;
  return SetBitmap((HBITMAP)bm.Detach());
}

BOOL CToolBar::SetBitmap(HBITMAP hbmImageWell) {
  if (m_hbmImageWell && m_hbmImageWell != hbmImageWell) ::DeleteObject(m_hbmImageWell);
  m_hbmImageWell = hbmImageWell;
  Invalidate();
  return hbmImageWell != nullptr;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0) return FALSE;
  m_buttons.clear();
  int image = 0;
  for (int i = 0; i < nIDCount; ++i) {
    UINT id = lpIDArray ? lpIDArray[i] : 0;
    if (id == ID_SEPARATOR) m_buttons.push_back(Button{0, TBBS_SEPARATOR, 6, std::string()});
    else m_buttons.push_back(Button{id, TBBS_BUTTON, image++, std::string()});
  }
  UpdateTools();
  if (m_hWnd) Invalidate();
  return TRUE;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  if (!lpRect) return;
  *lpRect = CRect();
  if (nIndex < 0 || (size_t)nIndex >= m_buttons.size()) return;
  int x = m_cxLeftBorder;
  for (int i = 0; i <= nIndex; ++i) {
    const Button& b = m_buttons[(size_t)i];
    if (b.style & TBBS_HIDDEN) continue;
    int w = (b.style & TBBS_SEPARATOR) ? b.image : m_sizeButton.cx;
    if (i == nIndex) {
      *lpRect = CRect(x, m_cyTopBorder, x + w, m_cyTopBorder + m_sizeButton.cy);
      return;
    }
    x += w;
  }
}

void CToolBar::UpdateTools() {
  if (!m_pToolTip || !m_pToolTip->m_hWnd) return;
  while (m_pToolTip->GetToolCount() > 0) {
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = m_hWnd;
    // Remove by asking for each id we know; unknown tools stay harmlessly.
    bool removed = false;
    for (const Button& b : m_buttons) {
      ti.uId = b.id;
      if (m_pToolTip->SendMessage(TTM_GETTOOLINFO, 0, (LPARAM)&ti)) {
        m_pToolTip->SendMessage(TTM_DELTOOL, 0, (LPARAM)&ti);
        removed = true;
      }
    }
    if (!removed) break;
  }
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    if (m_buttons[i].style & TBBS_SEPARATOR) continue;
    CRect r;
    GetItemRect((int)i, &r);
    m_pToolTip->AddTool(this, LPSTR_TEXTCALLBACK, &r, m_buttons[i].id);
  }
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
  for (size_t i = 0; i < m_buttons.size(); ++i)
    if (m_buttons[i].id == nIDFind && !(m_buttons[i].style & TBBS_SEPARATOR)) return (int)i;
  return -1;
}

UINT CToolBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_buttons.size() ? m_buttons[(size_t)nIndex].id : 0;
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_buttons.size() ? m_buttons[(size_t)nIndex].style : 0;
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle) {
  if (nIndex < 0 || (size_t)nIndex >= m_buttons.size() || m_buttons[(size_t)nIndex].style == nStyle) return;
  m_buttons[(size_t)nIndex].style = nStyle;
  if (m_hWnd) {
    CRect r;
    GetItemRect(nIndex, &r);
    InvalidateRect(&r);
  }
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
  if (nIndex < 0 || (size_t)nIndex >= m_buttons.size()) {
    nID = nStyle = 0;
    iImage = 0;
    return;
  }
  const Button& b = m_buttons[(size_t)nIndex];
  nID = b.id;
  nStyle = b.style;
  iImage = b.image;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
  if (nIndex < 0 || (size_t)nIndex >= m_buttons.size()) return;
  m_buttons[(size_t)nIndex] = Button{nID, nStyle, iImage, m_buttons[(size_t)nIndex].text};
  UpdateTools();
  if (m_hWnd) Invalidate();
}

BOOL CToolBar::SetButtonText(int nIndex, LPCSTR lpszText) {
  if (nIndex < 0 || (size_t)nIndex >= m_buttons.size()) return FALSE;
  m_buttons[(size_t)nIndex].text = lpszText ? lpszText : "";
  if (m_hWnd) Invalidate();
  return TRUE;
}

CString CToolBar::GetButtonText(int nIndex) const {
  return nIndex >= 0 && (size_t)nIndex < m_buttons.size() ? CString(m_buttons[(size_t)nIndex].text.c_str()) : CString();
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  int len = m_cxLeftBorder + m_cxRightBorder;
  for (const Button& b : m_buttons)
    if (!(b.style & TBBS_HIDDEN)) len += (b.style & TBBS_SEPARATOR) ? b.image : m_sizeButton.cx;
  int thick = m_sizeButton.cy + m_cyTopBorder + m_cyBottomBorder;
  if (bHorz) return CSize(bStretch ? 32767 : len, thick);
  return CSize(thick, bStretch ? 32767 : len);
}

int CToolBar::HitTest(CPoint pt) const {
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    if (m_buttons[i].style & (TBBS_SEPARATOR | TBBS_HIDDEN)) continue;
    CRect r;
    GetItemRect((int)i, &r);
    if (r.PtInRect(pt)) return (int)i;
  }
  return -1;
}

void CToolBar::OnPaint() {
  CPaintDC dc(this);
  CRect c;
  GetClientRect(&c);
  dc.FillSolidRect(&c, ::GetSysColor(COLOR_BTNFACE));
  CDC mem;
  HGDIOBJ old = nullptr;
  if (m_hbmImageWell) {
    mem.CreateCompatibleDC(&dc);
    old = mem.SelectObject((HGDIOBJ)m_hbmImageWell);
  }
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const Button& b = m_buttons[i];
    if (b.style & TBBS_HIDDEN) continue;
    CRect r;
    GetItemRect((int)i, &r);
    if (b.style & TBBS_SEPARATOR) {
      CRect s(r.CenterPoint().x - 1, r.top + 2, r.CenterPoint().x + 1, r.bottom - 2);
      dc.DrawEdge(&s, EDGE_ETCHED, BF_LEFT);
      continue;
    }
    bool down = (int)i == m_pressed || (b.style & TBBS_CHECKED);
    if (down) ui::Draw3DFrame(dc, r, true, false);
    int x = r.left + (r.Width() - m_sizeImage.cx) / 2 + (down ? 1 : 0);
    int y = r.top + (r.Height() - m_sizeImage.cy) / 2 + (down ? 1 : 0);
    if (m_hbmImageWell) {
      dc.BitBlt(x, y, m_sizeImage.cx, m_sizeImage.cy, &mem, b.image * m_sizeImage.cx, 0, SRCCOPY);
    } else {
      CRect img(x, y, x + m_sizeImage.cx, y + m_sizeImage.cy);
      dc.FillSolidRect(&img, ::GetSysColor(COLOR_BTNSHADOW));
    }
    if (b.style & TBBS_DISABLED) {
      // Disabled buttons are greyed over.
      CRect img(x, y, x + m_sizeImage.cx, y + m_sizeImage.cy);
      for (int yy = img.top; yy < img.bottom; ++yy)
        for (int xx = img.left + ((yy + img.left) & 1); xx < img.right; xx += 2) dc.SetPixel(xx, yy, ::GetSysColor(COLOR_BTNFACE));
    }
  }
  if (old) mem.SelectObject(old);
}

void CToolBar::OnLButtonDown(UINT nFlags, CPoint point) {
  int i = HitTest(point);
  if (i < 0 || (m_buttons[(size_t)i].style & TBBS_DISABLED)) {
    CControlBar::OnLButtonDown(nFlags, point);
    return;
  }
  m_pressed = i;
  SetCapture();
  Invalidate();
}

void CToolBar::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_pressed < 0) {
    CControlBar::OnLButtonUp(nFlags, point);
    return;
  }
  int i = m_pressed;
  m_pressed = -1;
  if (GetCapture() == this) ::ReleaseCapture();
  Invalidate();
  if (HitTest(point) != i || (m_buttons[(size_t)i].style & TBBS_DISABLED)) return;
  Button& b = m_buttons[(size_t)i];
  if (b.style & TBBS_CHECKBOX) b.style ^= TBBS_CHECKED;
  CWnd* owner = GetBarOwner();
  if (owner) owner->PostMessage(WM_COMMAND, MAKEWPARAM(b.id, BN_CLICKED), (LPARAM)m_hWnd);
}

void CToolBar::OnMouseMove(UINT nFlags, CPoint point) {
  if (m_pToolTip && m_pToolTip->m_hWnd) {
    MSG msg{m_hWnd, WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y), 0, POINT{0, 0}};
    m_pToolTip->RelayEvent(&msg);
  }
  CControlBar::OnMouseMove(nFlags, point);
}

CString CToolBar::TipText(UINT nID) {
  std::string s;
  if (!nID || !LoadStringResource(nID, s)) return CString();
  size_t nl = s.find('\n');
  return nl == std::string::npos ? CString(s.c_str()) : CString(s.substr(nl + 1).c_str());
}

BOOL CToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = (NMHDR*)lParam;
  if (hdr && hdr->code == TTN_NEEDTEXT) {
    auto* ttt = (TOOLTIPTEXT*)lParam;
    // The owner (the frame) answers first, as it does for every bar; then the command's string.
    if (CWnd* owner = GetBarOwner()) owner->SendMessage(WM_NOTIFY, wParam, lParam);
    if (!ttt->lpszText && !ttt->szText[0]) {
      CString tip = TipText((UINT)hdr->idFrom);
      strncpy(ttt->szText, tip, sizeof ttt->szText - 1);
    }
    if (pResult) *pResult = 0;
    return TRUE;
  }
  return CControlBar::OnNotify(wParam, lParam, pResult);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  CToolCmdUI ui;
  ui.bar = this;
  ui.m_pOther = this;
  ui.m_nIndexMax = (UINT)m_buttons.size();
  for (UINT i = 0; i < ui.m_nIndexMax; ++i) {
    if (m_buttons[i].style & TBBS_SEPARATOR) continue;
    ui.m_nIndex = i;
    ui.m_nID = m_buttons[i].id;
    ui.DoUpdate(pTarget, bDisableIfNoHndler);
  }
}

// ---- CDialogBar -------------------------------------------------------------------------------------------

BOOL CDialogBar::Create(CWnd* pParentWnd, LPCSTR lpszTemplateName, UINT nStyle, UINT nID) {
  HINSTANCE module = nullptr;
  const DIALOG_RESOURCE* t = AfxFindDialogTemplate(lpszTemplateName, &module);
  if (!t) return FALSE;
  m_dwStyle = nStyle & CBRS_ALL;
  if (!(m_dwStyle & CBRS_ALIGN_ANY)) m_dwStyle |= CBRS_ALIGN_TOP;
  DIALOG_RESOURCE child = *t;
  child.style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME | WS_BORDER)) | WS_CHILD |
                DS_CONTROL | WindowStyleOf(nStyle) | WS_VISIBLE;
  child.x = child.y = 0;
  if (!AfxCreateDialogWindow(&child, module, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, this, nullptr, nID))
    return FALSE;
  SetBarOwner(pParentWnd);
  CRect r;
  GetWindowRect(&r);
  m_sizeDefault = r.Size();
  return TRUE;
}

BOOL CDialogBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) {
  return Create(pParentWnd, MAKEINTRESOURCE(nIDTemplate), nStyle, nID);
}

CSize CDialogBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  if (bStretch) return bHorz ? CSize(32767, m_sizeDefault.cy) : CSize(m_sizeDefault.cx, 32767);
  return m_sizeDefault;
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  UpdateDialogControls(pTarget, bDisableIfNoHndler);
}
