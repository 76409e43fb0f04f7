#include "editor/toolkit/SECStatusBar.h"

#include "platform/core/Resource.h"
#include "platform/ui/ControlImpl.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/NativeControls.h"

#include <cstring>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(SECStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(SECStatusBar, CControlBar)
  ON_MESSAGE(WM_SETTEXT, &SECStatusBar::OnSetText)
  ON_MESSAGE(WM_GETTEXT, &SECStatusBar::OnGetText)
  ON_MESSAGE(WM_GETTEXTLENGTH, &SECStatusBar::OnGetTextLength)
  ON_MESSAGE(SB_SETMINHEIGHT, &SECStatusBar::OnSetMinHeight)
END_MESSAGE_MAP()

namespace {
const DWORD kBarStyleMask = 0x0040FFFFu;
const DWORD kBorderBits = 0x0F00u;
}  // namespace

// ---- SECStatusCmdUI ---------------------------------------------------------------------------------------

void SECStatusCmdUI::Enable(BOOL bOn) {
  m_bEnableChanged = TRUE;
  auto* bar = static_cast<SECStatusBar*>(m_pOther);
  UINT style = bar->GetPaneStyle((int)m_nIndex) & ~SBPS_DISABLED;
  if (!bOn) style |= SBPS_DISABLED;
  bar->SetPaneStyle((int)m_nIndex, style);
}

void SECStatusCmdUI::SetCheck(int nCheck) {
  auto* bar = static_cast<SECStatusBar*>(m_pOther);
  UINT style = bar->GetPaneStyle((int)m_nIndex) & ~SBPS_POPOUT;
  if (nCheck) style |= SBPS_POPOUT;
  bar->SetPaneStyle((int)m_nIndex, style);
}

void SECStatusCmdUI::SetText(LPCSTR lpszText) { static_cast<SECStatusBar*>(m_pOther)->SetPaneText((int)m_nIndex, lpszText); }

// ---- SECStatusBar -----------------------------------------------------------------------------------------

SECStatusBar::SECStatusBar() {
  m_cxLeftBorder = 0;
  m_cxRightBorder = 0;
  m_cyTopBorder = 2;
  m_cyBottomBorder = 0;
}

SECStatusBar::~SECStatusBar() { AllocElements(0, 0); }

BOOL SECStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  m_dwStyle = dwStyle & kBarStyleMask;
  DWORD ws = (dwStyle & ~kBarStyleMask) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
  if (pParentWnd && (pParentWnd->GetStyle() & WS_THICKFRAME)) ws |= SBARS_SIZEGRIP;
  ui::EnsureNativeControls();
  if (!CWnd::Create(STATUSCLASSNAME, nullptr, ws, CRect(0, 0, 0, 0), pParentWnd, nID)) return FALSE;
  SetBarOwner(pParentWnd);
  return TRUE;
}

BOOL SECStatusBar::PreCreateWindow(CREATESTRUCT& cs) {
  if ((m_dwStyle & 0xFF00u) == (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)) m_dwStyle &= ~0x0F80u;
  return CControlBar::PreCreateWindow(cs);
}

BOOL SECStatusBar::AllocElements(int nElements, int) {
  auto* old = static_cast<SECStatusPane*>(m_pData);
  for (int i = 0; i < m_nCount; ++i) old[i].strText.~CString();
  m_nCount = 0;
  if (!CControlBar::AllocElements(nElements, (int)sizeof(SECStatusPane))) return FALSE;
  auto* panes = static_cast<SECStatusPane*>(m_pData);
  for (int i = 0; i < nElements; ++i) new (&panes[i].strText) CString();
  return TRUE;
}

SECStatusPane* SECStatusBar::GetPanePtr(int nIndex) const {
  if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
  return static_cast<SECStatusPane*>(m_pData) + nIndex;
}

void SECStatusBar::GetBorders(int borders[3]) const {
  borders[0] = borders[1] = borders[2] = 0;
  if (m_hWnd) SendMessage(SB_GETBORDERS, 0, (LPARAM)borders);
}

BOOL SECStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (nIDCount < 0 || !AllocElements(nIDCount, (int)sizeof(SECStatusPane))) return FALSE;
  if (!lpIDArray) {
    UpdateAllPanes(TRUE, TRUE);
    return TRUE;
  }
  BOOL result = TRUE;
  ui::MeasureDC m(m_hWnd ? (HFONT)SendMessage(WM_GETFONT) : nullptr);
  for (int i = 0; i < nIDCount; ++i) {
    SECStatusPane* pane = GetPanePtr(i);
    pane->nID = lpIDArray[i];
    pane->nFlags |= SECSBPF_UPDATE;
    if (pane->nID != ID_SEPARATOR) {
      CString text;
      if (!text.LoadString(pane->nID)) text = "  ";
      pane->cxText = m.dc.GetTextExtent(text).cx;
      if (!SetPaneText(i, text, FALSE)) {
        result = FALSE;
        break;
      }
    } else {
      pane->cxText = ::GetSystemMetrics(SM_CXSCREEN) / 4;
      if (i == 0) pane->nStyle |= SBPS_STRETCH | SBPS_NOBORDERS;
    }
  }
  UpdateAllPanes(TRUE, TRUE);
  return result;
}

void SECStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText) {
  if (!m_hWnd) return;
  if (bUpdateRects && m_nCount > 0) {
    CRect rect;
    GetWindowRect(&rect);
    rect.OffsetRect(-rect.left, -rect.top);
    CalcInsideRect(rect, TRUE);
    int borders[3];
    GetBorders(borders);
    int spare = rect.Width() + borders[2];
    int stretch = 0;
    for (int i = 0; i < m_nCount; ++i) {
      const SECStatusPane* p = GetPanePtr(i);
      spare -= p->cxText + 6 + borders[2];
      if (p->nStyle & SBPS_STRETCH) ++stretch;
    }
    std::vector<int> rights((size_t)m_nCount);
    int x = borders[0];
    for (int i = 0; i < m_nCount; ++i) {
      const SECStatusPane* p = GetPanePtr(i);
      x += 6 + p->cxText;
      if ((p->nStyle & SBPS_STRETCH) && spare > 0 && stretch > 0) {
        int share = spare / stretch;
        x += share;
        spare -= share;
        --stretch;
      }
      rights[(size_t)i] = x;
      x += borders[2];
    }
    SendMessage(SB_SETPARTS, (WPARAM)m_nCount, (LPARAM)rights.data());
  }
  if (bUpdateText)
    for (int i = 0; i < m_nCount; ++i) {
      SECStatusPane* p = GetPanePtr(i);
      if (p->nFlags & SECSBPF_UPDATE) SetPaneText(i, p->strText, TRUE);
    }
}

int SECStatusBar::CommandToIndex(UINT nIDFind) const {
  for (int i = 0; i < m_nCount; ++i)
    if (GetPanePtr(i)->nID == nIDFind) return i;
  return -1;
}

UINT SECStatusBar::GetItemID(int nIndex) const {
  const SECStatusPane* p = GetPanePtr(nIndex);
  return p ? p->nID : 0;
}

void SECStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  if (!lpRect) return;
  if (!m_hWnd || !SendMessage(SB_GETRECT, (WPARAM)nIndex, (LPARAM)lpRect)) ::SetRectEmpty(lpRect);
}

void SECStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  const SECStatusPane* p = GetPanePtr(nIndex);
  if (!p) return;
  nID = p->nID;
  nStyle = p->nStyle;
  cxWidth = p->cxText;
}

UINT SECStatusBar::GetPaneStyle(int nIndex) const {
  const SECStatusPane* p = GetPanePtr(nIndex);
  return p ? p->nStyle : 0;
}

CString SECStatusBar::GetPaneText(int nIndex) const {
  const SECStatusPane* p = GetPanePtr(nIndex);
  return p ? p->strText : CString();
}

void SECStatusBar::GetPaneText(int nIndex, CString& rString) const { rString = GetPaneText(nIndex); }

void SECStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  SECStatusPane* p = GetPanePtr(nIndex);
  if (!p) return;
  bool layout = false;
  p->nID = nID;
  if (p->nStyle != nStyle) {
    if ((p->nStyle ^ nStyle) & SBPS_STRETCH) layout = true;
    else p->nFlags |= SECSBPF_UPDATE;
    p->nStyle = nStyle;
    if (!layout) SetPaneText(nIndex, p->strText, TRUE);
  }
  if (p->cxText != cxWidth) {
    p->cxText = cxWidth;
    layout = true;
  }
  if (layout) UpdateAllPanes(TRUE, FALSE);
}

void SECStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
  SECStatusPane* p = GetPanePtr(nIndex);
  if (!p || p->nStyle == nStyle) return;
  bool stretchChanged = ((p->nStyle ^ nStyle) & SBPS_STRETCH) != 0;
  p->nStyle = nStyle;
  if (stretchChanged) {
    UpdateAllPanes(TRUE, FALSE);
  } else {
    p->nFlags |= SECSBPF_UPDATE;
    SetPaneText(nIndex, p->strText, TRUE);
  }
}

BOOL SECStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate) {
  SECStatusPane* p = GetPanePtr(nIndex);
  if (!p) return FALSE;
  LPCSTR text = lpszNewText ? lpszNewText : "";
  if (!(p->nFlags & SECSBPF_UPDATE) && p->strText == text) return TRUE;
  try {
    if (p->strText.GetString() != text) p->strText = text;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  if (bUpdate) {
    p->nFlags &= ~SECSBPF_UPDATE;
    if (m_hWnd)
      SendMessage(SB_SETTEXT, (WPARAM)((p->nStyle & 0xFFFFu) | (UINT)nIndex),
                  (p->nStyle & SBPS_DISABLED) ? 0 : (LPARAM)p->strText.GetString());
  } else {
    p->nFlags |= SECSBPF_UPDATE;
  }
  return TRUE;
}

BOOL SECStatusBar::SetPaneWidth(int nIndex, int cxWidth) {
  SECStatusPane* p = GetPanePtr(nIndex);
  if (!p) return FALSE;
  p->cxText = cxWidth;
  UpdateAllPanes(TRUE, FALSE);
  return TRUE;
}

void SECStatusBar::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL SECStatusBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message != WM_DRAWITEM) return CControlBar::OnChildNotify(message, wParam, lParam, pResult);
  DrawItem((LPDRAWITEMSTRUCT)lParam);
  if (pResult) *pResult = TRUE;
  return TRUE;
}

CSize SECStatusBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  if (!bHorz) return CSize(0, 0);
  ui::MeasureDC m(m_hWnd ? (HFONT)SendMessage(WM_GETFONT) : nullptr);
  TEXTMETRIC tm{};
  m.dc.GetTextMetrics(&tm);
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, TRUE);
  int borders[3];
  GetBorders(borders);
  int cy = tm.tmHeight - tm.tmInternalLeading - 1 + 2 * borders[1] + 2 * ::GetSystemMetrics(SM_CYBORDER) - inside.Height();
  return CSize(32767, std::max(cy, m_nMinHeight));
}

void SECStatusBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
  CControlBar::CalcInsideRect(rect, bHorz);
  CWnd* parent = GetParent();
  if (m_hWnd && (GetStyle() & SBARS_SIZEGRIP) && !(parent && parent->IsZoomed())) {
    int borders[3];
    GetBorders(borders);
    rect.right -= borders[0] + ::GetSystemMetrics(SM_CXVSCROLL) + ::GetSystemMetrics(SM_CXBORDER) * 2;
  }
}

void SECStatusBar::OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle) {
  if (m_hWnd && ((dwOldStyle ^ dwNewStyle) & kBorderBits))
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void SECStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  SECStatusCmdUI state;
  state.m_pOther = this;
  state.m_nIndexMax = (UINT)m_nCount;
  for (int i = 0; i < m_nCount; ++i) {
    state.m_nIndex = (UINT)i;
    state.m_nID = GetPanePtr(i)->nID;
    if (!state.DoUpdate(this, FALSE) && pTarget) state.DoUpdate(pTarget, FALSE);
  }
  UpdateDialogControls(pTarget, FALSE);
}

LRESULT SECStatusBar::OnNcHitTest(CPoint point) {
  LRESULT hit = CControlBar::OnNcHitTest(point);
  return hit == HTBOTTOMRIGHT ? hit : HTCLIENT;
}

void SECStatusBar::OnNcPaint() { CControlBar::OnNcPaint(); }

void SECStatusBar::OnPaint() {
  UpdateAllPanes(FALSE, TRUE);
  Default();
}

void SECStatusBar::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) {
  CRect inset(0, 0, 0, 0);
  CControlBar::CalcInsideRect(inset, TRUE);
  CControlBar::OnNcCalcSize(bCalcValidRects, lpncsp);
  if (!lpncsp) return;
  RECT& r = lpncsp->rgrc[0];
  r.left += inset.left;
  r.top += inset.top - 2;
  r.right += inset.right;
  r.bottom += inset.bottom;
}

void SECStatusBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  UpdateAllPanes(TRUE, FALSE);
}

void SECStatusBar::OnWindowPosChanging(WINDOWPOS* lpWndPos) {
  DWORD saved = m_dwStyle & kBorderBits;
  m_dwStyle &= ~kBorderBits;
  CControlBar::OnWindowPosChanging(lpWndPos);
  m_dwStyle |= saved;
}

LRESULT SECStatusBar::OnSetText(WPARAM, LPARAM lParam) {
  int i = CommandToIndex(0);
  if (i < 0) return -1;
  return SetPaneText(i, (LPCSTR)lParam, TRUE) ? 0 : -1;
}

LRESULT SECStatusBar::OnGetText(WPARAM wParam, LPARAM lParam) {
  size_t size = (size_t)wParam;
  if (size == 0 || !lParam) return 0;
  int i = CommandToIndex(0);
  CString text = i >= 0 ? GetPanePtr(i)->strText : CString();
  size_t n = std::min(size - 1, (size_t)text.GetLength());
  memcpy((char*)lParam, text.GetString(), n);
  ((char*)lParam)[n] = '\0';
  return (LRESULT)n;
}

LRESULT SECStatusBar::OnGetTextLength(WPARAM, LPARAM) {
  int i = CommandToIndex(0);
  return i >= 0 ? GetPanePtr(i)->strText.GetLength() : 0;
}

LRESULT SECStatusBar::OnSetMinHeight(WPARAM wParam, LPARAM lParam) {
  LRESULT r = Default();
  (void)lParam;
  if (r) m_nMinHeight = (int)wParam;
  return r;
}
