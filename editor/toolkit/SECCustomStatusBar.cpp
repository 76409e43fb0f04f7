#include "editor/toolkit/SECCustomStatusBar.h"

#include "platform/ui/MessageQueue.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(SECCustomStatusBar, SECStatusBar)

BEGIN_MESSAGE_MAP(SECCustomStatusBar, SECStatusBar)
  ON_MESSAGE(WM_SETFONT, &SECCustomStatusBar::OnSetFontMsg)
  ON_MESSAGE(WM_SIZEPARENT, &SECCustomStatusBar::OnSizeParentMsg)
END_MESSAGE_MAP()

tagPaneInfoEx& tagPaneInfoEx::operator=(const tagPaneInfoEx& other) {
  if (this == &other) return *this;
  iIndex = other.iIndex;
  nID = other.nID;
  nStyle = other.nStyle;
  cxWidth = other.cxWidth;
  crTextForeground = other.crTextForeground;
  crTextBackground = other.crTextBackground;
  pBitmap = other.pBitmap;
  nTextAlign = other.nTextAlign;
  dwMask = other.dwMask;
  return *this;
}

SECCustomStatusBar::SECCustomStatusBar() = default;

SECCustomStatusBar::~SECCustomStatusBar() {
  if (m_pProgressCtrl) {
    if (m_pProgressCtrl->m_hWnd) m_pProgressCtrl->DestroyWindow();
    delete m_pProgressCtrl;
  }
  delete m_pSavedPane0;
  FreePaneInfo();
}

BOOL SECCustomStatusBar::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style |= 0x1000;
  return SECStatusBar::PreCreateWindow(cs);
}

BOOL SECCustomStatusBar::AllocatePaneInfo(int nCount) {
  FreePaneInfo();
  try {
    m_attrs.assign((size_t)std::max(nCount, 0), PaneAttr{});
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

void SECCustomStatusBar::FreePaneInfo() { m_attrs.clear(); }

SECCustomStatusBar::PaneAttr* SECCustomStatusBar::Attr(int nPane) const {
  if (nPane < 0 || (size_t)nPane >= m_attrs.size()) return nullptr;
  return &m_attrs[(size_t)nPane];
}

BOOL SECCustomStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  BOOL result = SECStatusBar::SetIndicators(lpIDArray, nIDCount);
  AllocatePaneInfo(GetCount());
  ForcePaneOwnerdraw();
  return result;
}

void SECCustomStatusBar::ForcePaneOwnerdraw() {
  if (!m_hWnd) return;
  for (int i = 0; i < GetCount(); ++i) {
    UINT type = HIWORD(SendMessage(SB_GETTEXTLENGTH, (WPARAM)i));
    // The pane keeps the owner-draw type, so later texts do not switch it off.
    GetPanePtr(i)->nStyle |= SBT_OWNERDRAW;
    SendMessage(SB_SETTEXT, (WPARAM)(type | SBT_OWNERDRAW | (UINT)i), 0);
  }
}

void SECCustomStatusBar::SetPaneInfoEx(const tagPaneInfoEx* pInfo, BOOL bFit) {
  if (!pInfo || !GetPanePtr(pInfo->iIndex)) return;
  int i = pInfo->iIndex;
  UINT id, style;
  int width;
  GetPaneInfo(i, id, style, width);
  UINT mask = pInfo->dwMask;
  if (mask & SBP_ID) id = pInfo->nID;
  if (mask & SBP_STYLE) style = pInfo->nStyle;
  int bitmapHeight = 0;
  if (mask & SBP_WIDTH) {
    width = pInfo->cxWidth;
  } else if (bFit && (mask & SBP_BITMAP) && pInfo->pBitmap && pInfo->pBitmap->m_hObject) {
    BITMAP bm{};
    pInfo->pBitmap->GetBitmap(&bm);
    width = bm.bmWidth;
    bitmapHeight = bm.bmHeight;
  }
  SetPaneInfo(i, id, style | SBT_OWNERDRAW, width);
  if (mask & SBP_TEXT) SetPaneText(i, pInfo->strText, FALSE);
  if (PaneAttr* a = Attr(i)) {
    if (mask & SBP_TEXTALIGN) a->nAlign = pInfo->nTextAlign;
    if (mask & SBP_TEXTCOLOR) a->crText = pInfo->crTextForeground;
    if (mask & SBP_BKCOLOR) a->crBk = pInfo->crTextBackground;
    if (mask & SBP_BITMAP) a->pBitmap = pInfo->pBitmap;
    if (mask & SBP_CURSOR) a->hCursor = pInfo->hCursor;
    a->dwFlags = mask & SBP_ATTRIBUTES;
  }
  if (bFit && bitmapHeight >= 1 && m_hWnd) {
    int borders[3];
    GetBorders(borders);
    SendMessage(SB_SETMINHEIGHT, (WPARAM)(bitmapHeight + 2 * borders[1]));
    ForceOnSizeParent();
  }
  if (m_hWnd) {
    CRect r;
    GetItemRect(i, &r);
    InvalidateRect(&r, TRUE);
  }
}

void SECCustomStatusBar::GetPaneInfoEx(tagPaneInfoEx* pInfo) const {
  if (!pInfo || !GetPanePtr(pInfo->iIndex)) return;
  int i = pInfo->iIndex;
  GetPaneInfo(i, pInfo->nID, pInfo->nStyle, pInfo->cxWidth);
  pInfo->strText = GetPaneText(i);
  pInfo->dwMask = 0;
  if (const PaneAttr* a = Attr(i)) {
    pInfo->crTextForeground = a->crText;
    pInfo->crTextBackground = a->crBk;
    pInfo->pBitmap = a->pBitmap;
    pInfo->hCursor = a->hCursor;
    pInfo->nTextAlign = a->nAlign;
    pInfo->dwMask = a->dwFlags;
  }
}

void SECCustomStatusBar::RegisterWndToPane(int nPane, CWnd* pWnd, FitType fit, UINT nSizeFlags) {
  if (nPane < 0) return;
  if ((size_t)nPane >= m_regWnds.size()) {
    m_regWnds.resize((size_t)nPane + 1, nullptr);
    m_regFlags.resize((size_t)nPane + 1, 0);
  }
  m_regWnds[(size_t)nPane] = pWnd;
  if (!pWnd) {
    m_regFlags[(size_t)nPane] = 0;
    return;
  }
  m_regFlags[(size_t)nPane] = nSizeFlags;
  if (fit == Fit) {
    CRect r;
    GetItemRect(nPane, &r);
    pWnd->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (fit == FitPaneToWindow) {
    CRect w;
    pWnd->GetWindowRect(&w);
    SetPaneWidth(nPane, w.Width());
  }
}

CWnd* SECCustomStatusBar::GetRegisteredWnd(int nPane) const {
  return nPane >= 0 && (size_t)nPane < m_regWnds.size() ? m_regWnds[(size_t)nPane] : nullptr;
}

UINT SECCustomStatusBar::GetRegisteredWndSizeFlags(int nPane) const {
  return nPane >= 0 && (size_t)nPane < m_regFlags.size() ? m_regFlags[(size_t)nPane] : 0;
}

void SECCustomStatusBar::SetVisibleAllRegWnd(BOOL bShow) {
  for (CWnd* w : m_regWnds)
    if (w && w->m_hWnd) w->ShowWindow(bShow ? SW_SHOWNORMAL : SW_HIDE);
}

void SECCustomStatusBar::ResizeAllRegWnd() {
  for (size_t i = 0; i < m_regWnds.size(); ++i) {
    CWnd* w = m_regWnds[i];
    if (!w || !w->m_hWnd) continue;
    UINT flags = m_regFlags[i];
    CRect r, own;
    GetItemRect((int)i, &r);
    w->GetWindowRect(&own);
    if (flags & SBWND_KEEPWIDTH) r.right = r.left + own.Width();
    else if (flags & SBWND_INSET) r.DeflateRect(1, 0);
    if (flags & SBWND_KEEPHEIGHT) r.bottom = r.top + own.Height();
    else if (flags & SBWND_INSET) r.DeflateRect(0, 1);
    w->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void SECCustomStatusBar::FitPanesToContent() {
  int tallest = 0;
  bool anyWindow = false;
  for (int i = 0; i < GetCount(); ++i) {
    UINT id, style;
    int width;
    GetPaneInfo(i, id, style, width);
    bool hasWindow = GetRegisteredWnd(i) != nullptr;
    anyWindow = anyWindow || hasWindow;
    CSize content;
    const PaneAttr* a = Attr(i);
    BITMAP bm{};
    if (a && (a->dwFlags & SBP_BITMAP) && a->pBitmap && a->pBitmap->m_hObject && a->pBitmap->GetBitmap(&bm))
      content = CSize(bm.bmWidth, bm.bmHeight);
    else
      content = GetPaneTextExtent(i, GetPaneText(i));
    if (!(style & SBPS_STRETCH) && !hasWindow && content.cx != width) SetPaneInfo(i, id, style, content.cx);
    tallest = std::max<int>(tallest, content.cy);
  }
  for (size_t i = 0; i < m_regWnds.size(); ++i) {
    CWnd* w = m_regWnds[i];
    if (!w || !w->m_hWnd || (m_regFlags[i] & SBWND_KEEPHEIGHT)) continue;
    CRect r;
    w->GetWindowRect(&r);
    w->SetWindowPos(nullptr, 0, 0, r.Width(), tallest, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (anyWindow) ForceOnSizeParent();
}

BOOL SECCustomStatusBar::SimpleRect(CDC* pDC, RECT* pRect, COLORREF cr) {
  pDC->SetBkColor(cr);
  return pDC->ExtTextOut(0, 0, ETO_OPAQUE, pRect, "", 0, nullptr);
}

void SECCustomStatusBar::DrawItem(LPDRAWITEMSTRUCT dis) {
  if (!dis) return;
  int i = (int)dis->itemID;
  if ((m_pProgressCtrl && i != 0) || !GetPanePtr(i)) return;
  if (GetPaneStyle(i) & SBPS_DISABLED) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect item = dis->rcItem;
  const PaneAttr* a = Attr(i);
  if (a && (a->dwFlags & SBP_BITMAP) && a->pBitmap && a->pBitmap->m_hObject) {
    BITMAP bm{};
    a->pBitmap->GetBitmap(&bm);
    CDC mem;
    if (!mem.CreateCompatibleDC(dc)) return;
    CBitmap* old = mem.SelectObject(a->pBitmap);
    dc->BitBlt(item.left, item.top, bm.bmWidth, bm.bmHeight, &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
    return;
  }
  CString text = GetPaneText(i);
  CSize extent = dc->GetTextExtent(text);
  int y = item.top + (item.Height() - extent.cy) / 2;
  int x = item.left + 1;
  UINT options = ETO_CLIPPED;
  dc->SetBkMode(TRANSPARENT);
  if (a && (a->dwFlags & SBP_TEXTCOLOR)) dc->SetTextColor(a->crText);
  if (a && (a->dwFlags & SBP_BKCOLOR)) {
    dc->SetBkColor(a->crBk);
    options |= ETO_OPAQUE;
  }
  if (a && (a->dwFlags & SBP_TEXTALIGN)) {
    if (a->nAlign == TA_RIGHT) x = item.right - 1;
    else if (a->nAlign == TA_CENTER) x = item.left + item.Width() / 2;
    dc->SetTextAlign(a->nAlign);
  }
  dc->ExtTextOut(x, y, options, &item, text, nullptr);
}

void SECCustomStatusBar::GetPaneRect(int nPane, LPRECT lpRect) const {
  ::SetRectEmpty(lpRect);
  if (!m_hWnd || nPane < 0 || nPane >= 32) return;
  int parts[32];
  int n = (int)SendMessage(SB_GETPARTS, 32, (LPARAM)parts);
  if (nPane >= n) return;
  int borders[3];
  GetBorders(borders);
  CRect client;
  GetClientRect(&client);
  lpRect->left = nPane == 0 ? borders[0] : parts[nPane - 1] + borders[2];
  lpRect->right = parts[nPane] == -1 ? client.right - borders[0] : parts[nPane];
  lpRect->top = borders[1];
  lpRect->bottom = std::max<LONG>(0, client.bottom - borders[1] + 1);
}

int SECCustomStatusBar::PaneIndexFromPoint(const CPoint& point) const {
  for (int i = 0; i < GetCount(); ++i) {
    CRect r;
    GetPaneRect(i, &r);
    if (r.PtInRect(point)) return i;
  }
  return -1;
}

SECCustomStatusBar::PaneAttr* SECCustomStatusBar::PaneFromPoint(const CPoint& point) { return Attr(PaneIndexFromPoint(point)); }

CSize SECCustomStatusBar::GetPaneTextExtent(int, const CString& strText) const {
  if (!m_hWnd) return CSize(0, 0);
  CClientDC dc(const_cast<SECCustomStatusBar*>(this));
  CFont* font = CFont::FromHandle((HFONT)SendMessage(WM_GETFONT));
  CFont* old = font ? dc.SelectObject(font) : nullptr;
  CSize size = dc.GetTextExtent(strText);
  if (font) dc.SelectObject(old);
  return size;
}

void SECCustomStatusBar::ForceOnSizeParent() {
  CWnd* parent = GetParent();
  if (!parent) return;
  CRect r;
  parent->GetWindowRect(&r);
  parent->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.Width(), r.Height()));
}

BOOL SECCustomStatusBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (nHitTest == HTCLIENT) {
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    const PaneAttr* a = PaneFromPoint(pt);
    if (a && (a->dwFlags & SBP_CURSOR) && a->hCursor) {
      ::SetCursor(a->hCursor);
      return TRUE;
    }
  }
  return SECStatusBar::OnSetCursor(pWnd, nHitTest, message);
}

LRESULT SECCustomStatusBar::OnSetFontMsg(WPARAM, LPARAM) {
  LRESULT r = Default();
  ForceOnSizeParent();
  return r;
}

LRESULT SECCustomStatusBar::OnSizeParentMsg(WPARAM wParam, LPARAM lParam) {
  const auto* layout = (const AFX_SIZEPARENTPARAMS*)lParam;
  const int givenWidth = layout ? layout->rect.right - layout->rect.left : 0;
  LRESULT r = CControlBar::OnSizeParent(wParam, lParam);
  if (!m_pProgressCtrl) {
    ResizeAllRegWnd();
    return r;
  }
  CRect client;
  GetClientRect(&client);
  // A frame's layout moves the bar only when it ends: the client is the width given, less the borders.
  if (layout && layout->hDWP && (GetStyle() & WS_VISIBLE)) {
    CRect outer;
    GetWindowRect(&outer);
    client.right = client.left + givenWidth - (outer.Width() - client.Width());
  }
  // Pane 0 spans the bar; its attributes stay in force.
  tagPaneInfoEx info;
  info.iIndex = 0;
  GetPaneInfoEx(&info);
  info.cxWidth = client.Width();
  info.dwMask = SBP_WIDTH | (info.dwMask & SBP_ATTRIBUTES);
  SetPaneInfoEx(&info, TRUE);
  if (m_pProgressCtrl->m_hWnd) {
    CRect p;
    m_pProgressCtrl->GetWindowRect(&p);
    ScreenToClient(&p);
    m_pProgressCtrl->SetWindowPos(nullptr, p.left, p.top, client.right - p.left, p.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return r;
}

LRESULT SECCustomStatusBar::OnSetMinHeight(WPARAM wParam, LPARAM) {
  LRESULT r = Default();
  m_nMinHeight = (int)wParam;
  return r;
}

LRESULT SECCustomStatusBar::OnSetText(WPARAM wParam, LPARAM lParam) {
  if (m_pProgressCtrl) return 0;
  return SECStatusBar::OnSetText(wParam, lParam);
}

BOOL SECCustomStatusBar::InitializeProgressControl(LPCSTR lpszMsg, int nLower, int nUpper, BOOL bResetPos) {
  CRect rect;
  GetClientRect(&rect);
  if (!m_pProgressCtrl) {
    m_pProgressCtrl = new SECProgressCtrl;
    if (!m_pProgressCtrl->Create(WS_CHILD, rect, this, 1, PBS_EX_DEFAULT)) {
      delete m_pProgressCtrl;
      m_pProgressCtrl = nullptr;
      return FALSE;
    }
  }
  SetVisibleAllRegWnd(FALSE);
  if (lpszMsg) {
    if (!m_pSavedPane0) {
      m_pSavedPane0 = new tagPaneInfoEx;
      m_pSavedPane0->iIndex = 0;
      GetPaneInfoEx(m_pSavedPane0);
      m_pSavedPane0->dwMask |= SBP_STYLE | SBP_WIDTH | SBP_TEXT | SBP_TEXTALIGN;
    }
    tagPaneInfoEx info;
    info.iIndex = 0;
    info.nStyle = SBPS_NOBORDERS;
    info.cxWidth = rect.Width();
    info.strText = lpszMsg;
    info.nTextAlign = TA_LEFT;
    info.crTextForeground = m_pSavedPane0->crTextForeground;
    info.crTextBackground = m_pSavedPane0->crTextBackground;
    info.dwMask = SBP_STYLE | SBP_WIDTH | SBP_TEXT | SBP_TEXTALIGN | (m_pSavedPane0->dwMask & (SBP_TEXTCOLOR | SBP_BKCOLOR));
    SetPaneInfoEx(&info, TRUE);
    rect.left += GetPaneTextExtent(0, CString(lpszMsg) + " ").cx + 1;
  }
  m_pProgressCtrl->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  m_pProgressCtrl->SetRange((DWORD)nLower, (DWORD)nUpper);
  if (bResetPos) m_pProgressCtrl->SetPos((DWORD)nLower, FALSE);
  return m_pProgressCtrl != nullptr;
}

void SECCustomStatusBar::UninitializeProgressControl() {
  if (!m_pProgressCtrl) return;
  if (m_pProgressCtrl->m_hWnd) m_pProgressCtrl->DestroyWindow();
  delete m_pProgressCtrl;
  m_pProgressCtrl = nullptr;
  if (m_pSavedPane0) {
    SetPaneInfoEx(m_pSavedPane0, TRUE);
    delete m_pSavedPane0;
    m_pSavedPane0 = nullptr;
  }
  SetVisibleAllRegWnd(TRUE);
  Invalidate(TRUE);
}

void SECCustomStatusBar::SetProgress(int nPos) {
  if (m_pProgressCtrl) m_pProgressCtrl->SetPos((DWORD)nPos, FALSE);
}

void SECCustomStatusBar::StepProgress() {
  if (m_pProgressCtrl) m_pProgressCtrl->StepIt(FALSE);
}
