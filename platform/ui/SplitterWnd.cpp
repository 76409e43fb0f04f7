#include "platform/ui/SplitterWnd.h"

#include "platform/gdi/DC.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
END_MESSAGE_MAP()

namespace {
// Pane ids leave room for 16 columns per row.
constexpr int kMaxPanes = 16;
}  // namespace

int CSplitterWnd::ClientTop() const {
  CRect r;
  GetClientRect(&r);
  return r.top;
}

int CSplitterWnd::ClientLeft() const {
  CRect r;
  GetClientRect(&r);
  return r.left;
}

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateCommon(CWnd* pParentWnd, SIZE sizeMin, DWORD dwStyle, UINT nID) {
  if (!pParentWnd || !pParentWnd->GetSafeHwnd() || GetSafeHwnd()) return FALSE;
  m_sizeMin = CSize(std::max(0, (int)sizeMin.cx), std::max(0, (int)sizeMin.cy));
  m_rowInfo.assign(m_nMaxRows, CRowColInfo{});
  m_colInfo.assign(m_nMaxCols, CRowColInfo{});
  for (auto& r : m_rowInfo) r.nMinSize = r.nIdealSize = m_sizeMin.cy;
  for (auto& c : m_colInfo) c.nMinSize = c.nIdealSize = m_sizeMin.cx;
  // The scroll-bar styles belong to the panes, not to the splitter itself.
  m_bHasHScroll = (dwStyle & WS_HSCROLL) != 0;
  m_bHasVScroll = (dwStyle & WS_VSCROLL) != 0;
  dwStyle &= ~(DWORD)(WS_HSCROLL | WS_VSCROLL);
  static LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), (HBRUSH)(UINT_PTR)(COLOR_BTNFACE + 1));
  CRect rect;
  pParentWnd->GetClientRect(&rect);
  return CreateEx(0, cls, nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID, nullptr);
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
  if (nRows < 1 || nCols < 1 || nRows > kMaxPanes || nCols > kMaxPanes) return FALSE;
  if (GetSafeHwnd()) return FALSE;
  m_nMaxRows = m_nRows = nRows;
  m_nMaxCols = m_nCols = nCols;
  m_pDynamicViewClass = nullptr;
  // A static splitter never splits or merges by itself.
  return CreateCommon(pParentWnd, CSize(0, 0), dwStyle & ~(DWORD)SPLS_DYNAMIC_SPLIT, nID);
}

BOOL CSplitterWnd::Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
                          DWORD dwStyle, UINT nID) {
  if (nMaxRows < 1 || nMaxCols < 1 || nMaxRows > 2 || nMaxCols > 2 || (nMaxRows == 1 && nMaxCols == 1)) return FALSE;
  if (!pContext || !pContext->m_pNewViewClass || GetSafeHwnd()) return FALSE;
  m_nMaxRows = nMaxRows;
  m_nMaxCols = nMaxCols;
  m_nRows = m_nCols = 1;
  m_pDynamicViewClass = pContext->m_pNewViewClass;
  if (!CreateCommon(pParentWnd, sizeMin, dwStyle | SPLS_DYNAMIC_SPLIT, nID)) return FALSE;
  if (!CreateView(0, 0, m_pDynamicViewClass, CSize(0, 0), pContext)) {
    DestroyWindow();
    return FALSE;
  }
  m_rowInfo[0].nIdealSize = m_colInfo[0].nIdealSize = 0;
  RecalcLayout();
  return TRUE;
}

int CSplitterWnd::OnCreate(LPCREATESTRUCT lpcs) { return CWnd::OnCreate(lpcs); }

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext) {
  if (!GetSafeHwnd() || row < 0 || col < 0 || row >= m_nRows || col >= m_nCols) return FALSE;
  if (!pViewClass || !pViewClass->IsDerivedFrom(RUNTIME_CLASS(CWnd))) return FALSE;
  if (GetDlgItem(IdFromRowCol(row, col))) return FALSE;  // the pane exists already
  m_colInfo[col].nIdealSize = std::max(0, (int)sizeInit.cx);
  m_rowInfo[row].nIdealSize = std::max(0, (int)sizeInit.cy);

  // Panes made after the frame is up share the document of the pane beside them and get their
  // initial update at once.
  CCreateContext made;
  bool sendInitialUpdate = false;
  if (!pContext) {
    CView* other = nullptr;
    int r, c;
    if (CWnd* active = GetActivePane(&r, &c)) other = PaneView(active);
    for (int i = 0; !other && i < m_nRows; ++i)
      for (int j = 0; !other && j < m_nCols; ++j) other = PaneView(GetPane(i, j));
    made.m_pLastView = other;
    made.m_pCurrentDoc = other ? other->GetDocument() : nullptr;
    made.m_pNewViewClass = pViewClass;
    made.m_pCurrentFrame = GetParentFrame();
    pContext = &made;
    sendInitialUpdate = true;
  }
  CObject* obj = pViewClass->CreateObject();
  if (!obj) return FALSE;
  auto* wnd = static_cast<CWnd*>(obj);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  if (GetStyle() & SPLS_DYNAMIC_SPLIT) {
    if (m_bHasHScroll) style |= WS_HSCROLL;
    if (m_bHasVScroll) style |= WS_VSCROLL;
  }
  if (!wnd->Create(nullptr, nullptr, style, CRect(0, 0, 0, 0), this, IdFromRowCol(row, col), pContext))
    return FALSE;  // a view that fails to create deletes itself
  if (sendInitialUpdate && wnd->GetSafeHwnd()) wnd->SendMessage(WM_INITIALUPDATE);
  // The splitter may already have its final size: place the new pane now.
  if (!sendInitialUpdate) RecalcLayout();
  return TRUE;
}

// ---- Panes ------------------------------------------------------------------------------------------

int CSplitterWnd::IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * kMaxPanes + col; }

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  if (!GetSafeHwnd() || row < 0 || col < 0 || row >= m_nRows || col >= m_nCols) return nullptr;
  HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
  return h ? CWnd::FromHandle(h) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const {
  if (!pWnd || !pWnd->GetSafeHwnd() || !GetSafeHwnd() || ::GetParent(pWnd->m_hWnd) != m_hWnd) return FALSE;
  int id = ::GetDlgCtrlID(pWnd->m_hWnd) - AFX_IDW_PANE_FIRST;
  if (id < 0) return FALSE;
  int row = id / kMaxPanes, col = id % kMaxPanes;
  if (row >= m_nRows || col >= m_nCols) return FALSE;
  if (pRow) *pRow = row;
  if (pCol) *pCol = col;
  return TRUE;
}

CView* CSplitterWnd::PaneView(CWnd* pane) const {
  if (!pane || !pane->GetSafeHwnd()) return nullptr;
  CWnd* perm = CWnd::FromHandlePermanent(pane->m_hWnd);
  return perm && perm->IsKindOf(RUNTIME_CLASS(CView)) ? static_cast<CView*>(perm) : nullptr;
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol) {
  CWnd* pane = nullptr;
  if (CFrameWnd* frame = GetParentFrame()) pane = frame->GetActiveView();
  if (!pane || !IsChildPane(pane, pRow, pCol)) {
    pane = CWnd::GetFocus();
    // The focus may sit on a child of a pane.
    while (pane && pane->GetSafeHwnd() && ::GetParent(pane->m_hWnd) && ::GetParent(pane->m_hWnd) != m_hWnd)
      pane = CWnd::FromHandle(::GetParent(pane->m_hWnd));
    if (!pane || !IsChildPane(pane, pRow, pCol)) pane = nullptr;
  }
  if (!pane) {
    if (pRow) *pRow = -1;
    if (pCol) *pCol = -1;
  }
  return pane;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd) {
  CWnd* pane = pWnd ? pWnd : GetPane(row, col);
  if (!pane || !IsChildPane(pane, nullptr, nullptr)) return;
  CFrameWnd* frame = GetParentFrame();
  CView* view = PaneView(pane);
  if (view && frame) {
    frame->SetActiveView(view);
  } else {
    pane->SetFocus();
  }
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const {
  if (row < 0 || row >= m_nMaxRows) {
    cyCur = cyMin = 0;
    return;
  }
  cyCur = m_rowInfo[row].nCurSize;
  cyMin = m_rowInfo[row].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) {
  if (row < 0 || row >= m_nMaxRows) return;
  m_rowInfo[row].nIdealSize = std::max(0, cyIdeal);
  m_rowInfo[row].nMinSize = std::max(0, cyMin);
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const {
  if (col < 0 || col >= m_nMaxCols) {
    cxCur = cxMin = 0;
    return;
  }
  cxCur = m_colInfo[col].nCurSize;
  cxMin = m_colInfo[col].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
  if (col < 0 || col >= m_nMaxCols) return;
  m_colInfo[col].nIdealSize = std::max(0, cxIdeal);
  m_colInfo[col].nMinSize = std::max(0, cxMin);
}

// ---- Layout -----------------------------------------------------------------------------------------

void CSplitterWnd::GetInsideRect(CRect& rect) const {
  GetClientRect(&rect);
  if (!(GetStyle() & SPLS_DYNAMIC_SPLIT)) return;
  // The split boxes: a strip along the top while a row can still be split off, one along the left
  // while a column can.
  if (m_nRows < m_nMaxRows) rect.top = std::min<int>(rect.bottom, rect.top + m_cySplitter);
  if (m_nCols < m_nMaxCols) rect.left = std::min<int>(rect.right, rect.left + m_cxSplitter);
}

namespace {
// Gives each entry its size: the ideal one while room is left, nothing when it is below its
// minimum; the last takes what is left over.
void LayoutSizes(std::vector<int>& cur, const std::vector<int>& ideal, const std::vector<int>& min, int avail, int gap) {
  size_t n = cur.size();
  for (size_t i = 0; i < n; ++i) {
    if (avail <= 0) {
      cur[i] = 0;
      continue;
    }
    if (i + 1 == n) {
      cur[i] = avail;
      break;
    }
    int size = ideal[i] < min[i] ? 0 : std::min(ideal[i], avail);
    cur[i] = size;
    avail -= size + gap;
  }
}
}  // namespace

void CSplitterWnd::RecalcLayout() {
  if (!GetSafeHwnd() || m_nRows < 1 || m_nCols < 1) return;
  CRect inside;
  GetInsideRect(inside);
  std::vector<int> cur(m_nRows), ideal(m_nRows), min(m_nRows);
  for (int i = 0; i < m_nRows; ++i) {
    ideal[i] = m_rowInfo[i].nIdealSize;
    min[i] = m_rowInfo[i].nMinSize;
  }
  LayoutSizes(cur, ideal, min, inside.Height(), m_cySplitterGap);
  for (int i = 0; i < m_nRows; ++i) m_rowInfo[i].nCurSize = cur[i];
  cur.assign(m_nCols, 0);
  ideal.assign(m_nCols, 0);
  min.assign(m_nCols, 0);
  for (int i = 0; i < m_nCols; ++i) {
    ideal[i] = m_colInfo[i].nIdealSize;
    min[i] = m_colInfo[i].nMinSize;
  }
  LayoutSizes(cur, ideal, min, inside.Width(), m_cxSplitterGap);
  for (int i = 0; i < m_nCols; ++i) m_colInfo[i].nCurSize = cur[i];

  HDWP dwp = ::BeginDeferWindowPos(m_nRows * m_nCols);
  for (int r = 0; r < m_nRows; ++r) {
    CRect rr = RowRect(r);
    for (int c = 0; c < m_nCols; ++c) {
      CWnd* pane = GetPane(r, c);
      if (!pane) continue;
      CRect cr = ColRect(c);
      dwp = ::DeferWindowPos(dwp, pane->m_hWnd, nullptr, cr.left, rr.top, cr.Width(), rr.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ::EndDeferWindowPos(dwp);
  Invalidate(TRUE);
}

CRect CSplitterWnd::RowRect(int row) const {
  CRect inside;
  GetInsideRect(inside);
  int y = inside.top;
  for (int i = 0; i < row && i < m_nRows; ++i) y += m_rowInfo[i].nCurSize + m_cySplitterGap;
  int h = row >= 0 && row < m_nRows ? m_rowInfo[row].nCurSize : 0;
  return CRect(inside.left, y, inside.right, y + h);
}

CRect CSplitterWnd::ColRect(int col) const {
  CRect inside;
  GetInsideRect(inside);
  int x = inside.left;
  for (int i = 0; i < col && i < m_nCols; ++i) x += m_colInfo[i].nCurSize + m_cxSplitterGap;
  int w = col >= 0 && col < m_nCols ? m_colInfo[col].nCurSize : 0;
  return CRect(x, inside.top, x + w, inside.bottom);
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CSplitterWnd::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  // Everything not covered by a pane is bar or box.
  dc.FillSolidRect(&client, face);
  CRect inside;
  GetInsideRect(inside);
  for (int r = 0; r + 1 < m_nRows; ++r) {
    CRect rr = RowRect(r);
    CRect bar(inside.left, rr.bottom, inside.right, rr.bottom + m_cySplitterGap);
    dc.Draw3dRect(&bar, light, shadow);
  }
  for (int c = 0; c + 1 < m_nCols; ++c) {
    CRect cr = ColRect(c);
    CRect bar(cr.right, inside.top, cr.right + m_cxSplitterGap, inside.bottom);
    dc.Draw3dRect(&bar, light, shadow);
  }
  if (inside.top > client.top) {
    CRect box(client.left, client.top, client.right, inside.top);
    dc.Draw3dRect(&box, light, shadow);
  }
  if (inside.left > client.left) {
    CRect box(client.left, inside.top, inside.left, client.bottom);
    dc.Draw3dRect(&box, light, shadow);
  }
}

// ---- Hit testing and tracking -------------------------------------------------------------------------

int CSplitterWnd::HitTest(CPoint pt) const {
  if (!GetSafeHwnd()) return noHit;
  CRect client, inside;
  GetClientRect(&client);
  GetInsideRect(inside);
  if (!client.PtInRect(pt)) return noHit;
  if (pt.y < inside.top) return vSplitterBox;
  if (pt.x < inside.left) return hSplitterBox;
  int row = -1, col = -1;
  for (int r = 0; r + 1 < m_nRows; ++r) {
    CRect rr = RowRect(r);
    if (pt.y >= rr.bottom && pt.y < rr.bottom + m_cySplitterGap) row = r;
  }
  for (int c = 0; c + 1 < m_nCols; ++c) {
    CRect cr = ColRect(c);
    if (pt.x >= cr.right && pt.x < cr.right + m_cxSplitterGap) col = c;
  }
  if (row >= 0 && col >= 0) return splitterIntersection1 + row * 15 + col;
  if (row >= 0) return vSplitterBar1 + row;
  if (col >= 0) return hSplitterBar1 + col;
  return noHit;
}

namespace {
LPCSTR CursorFor(int ht) {
  if (ht == CSplitterWnd::vSplitterBox || (ht >= CSplitterWnd::vSplitterBar1 && ht < CSplitterWnd::vSplitterBar1 + 15))
    return IDC_SIZENS;
  if (ht == CSplitterWnd::hSplitterBox || (ht >= CSplitterWnd::hSplitterBar1 && ht < CSplitterWnd::hSplitterBar1 + 15))
    return IDC_SIZEWE;
  if (ht >= CSplitterWnd::splitterIntersection1) return IDC_SIZEALL;
  return IDC_ARROW;
}
}  // namespace

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (pWnd == this && nHitTest == HTCLIENT && !m_bTracking) {
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    ::SetCursor(LoadCursor(nullptr, CursorFor(HitTest(pt))));
    return TRUE;
  }
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterWnd::StartTracking(int ht, CPoint pt) {
  if (ht == noHit || m_bTracking) return;
  CRect inside;
  GetInsideRect(inside);
  m_htTrack = ht;
  m_bTracker2 = FALSE;
  m_rectLimit = inside;
  if (ht == vSplitterBox) {
    m_rectTracker.SetRect(inside.left, pt.y, inside.right, pt.y + m_cySplitterGap);
  } else if (ht == hSplitterBox) {
    m_rectTracker.SetRect(pt.x, inside.top, pt.x + m_cxSplitterGap, inside.bottom);
  } else if (ht >= splitterIntersection1) {
    int row = (ht - splitterIntersection1) / 15, col = (ht - splitterIntersection1) % 15;
    CRect rr = RowRect(row), cr = ColRect(col);
    m_rectTracker.SetRect(inside.left, rr.bottom, inside.right, rr.bottom + m_cySplitterGap);
    m_rectTracker2.SetRect(cr.right, inside.top, cr.right + m_cxSplitterGap, inside.bottom);
    m_bTracker2 = TRUE;
  } else if (ht >= hSplitterBar1) {
    CRect cr = ColRect(ht - hSplitterBar1);
    m_rectTracker.SetRect(cr.right, inside.top, cr.right + m_cxSplitterGap, inside.bottom);
  } else {
    CRect rr = RowRect(ht - vSplitterBar1);
    m_rectTracker.SetRect(inside.left, rr.bottom, inside.right, rr.bottom + m_cySplitterGap);
  }
  // Where inside the bar the mouse took hold, so the bar does not jump.
  m_ptTrackOffset = CPoint(pt.x - (m_bTracker2 ? m_rectTracker2.left : m_rectTracker.left), pt.y - m_rectTracker.top);
  m_bTracking = TRUE;
  SetCapture();
  // The keyboard too, so that Escape and Enter end the drag.
  m_hWndFocusBefore = ::GetFocus();
  SetFocus();
  ::SetCursor(LoadCursor(nullptr, CursorFor(ht)));
  DrawTracker();
}

void CSplitterWnd::DrawTracker() {
  // The tracker is an inverted band: drawing it twice puts the pixels back.
  CClientDC dc(this);
  dc.InvertRect(&m_rectTracker);
  if (m_bTracker2) dc.InvertRect(&m_rectTracker2);
  m_bTrackerShown = !m_bTrackerShown;
}

void CSplitterWnd::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bTracking) {
    CWnd::OnMouseMove(nFlags, point);
    return;
  }
  if (m_bTrackerShown) DrawTracker();
  bool movesY = m_htTrack == vSplitterBox || (m_htTrack >= vSplitterBar1 && m_htTrack < vSplitterBar1 + 15) ||
                m_htTrack >= splitterIntersection1;
  bool movesX = m_htTrack == hSplitterBox || (m_htTrack >= hSplitterBar1 && m_htTrack < hSplitterBar1 + 15) ||
                m_htTrack >= splitterIntersection1;
  if (movesY) {
    int y = std::clamp<int>(point.y - m_ptTrackOffset.y, m_rectLimit.top, std::max<int>(m_rectLimit.top, m_rectLimit.bottom - m_cySplitterGap));
    m_rectTracker.OffsetRect(0, y - m_rectTracker.top);
  }
  if (movesX) {
    CRect& r = m_bTracker2 ? m_rectTracker2 : m_rectTracker;
    int x = std::clamp<int>(point.x - m_ptTrackOffset.x, m_rectLimit.left, std::max<int>(m_rectLimit.left, m_rectLimit.right - m_cxSplitterGap));
    r.OffsetRect(x - r.left, 0);
  }
  DrawTracker();
}

void CSplitterWnd::OnLButtonDown(UINT nFlags, CPoint point) {
  if (m_bTracking) return;
  int ht = HitTest(point);
  if (ht == noHit) {
    CWnd::OnLButtonDown(nFlags, point);
    return;
  }
  StartTracking(ht, point);
}

void CSplitterWnd::OnLButtonUp(UINT nFlags, CPoint point) {
  if (!m_bTracking) {
    CWnd::OnLButtonUp(nFlags, point);
    return;
  }
  StopTracking(TRUE);
}

void CSplitterWnd::OnLButtonDblClk(UINT nFlags, CPoint point) {
  int ht = HitTest(point);
  CRect inside;
  GetInsideRect(inside);
  // A double click on a split box splits in the middle.
  if (ht == vSplitterBox) {
    SplitRow(inside.top + inside.Height() / 2);
  } else if (ht == hSplitterBox) {
    SplitColumn(inside.left + inside.Width() / 2);
  } else {
    CWnd::OnLButtonDblClk(nFlags, point);
  }
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_bTracking && nChar == VK_ESCAPE) {
    StopTracking(FALSE);
    return;
  }
  if (m_bTracking && nChar == VK_RETURN) {
    StopTracking(TRUE);
    return;
  }
  CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CSplitterWnd::OnCancelMode() {
  if (m_bTracking) StopTracking(FALSE);
  CWnd::OnCancelMode();
}

void CSplitterWnd::OnCaptureChanged(CWnd* pWnd) {
  // Losing the capture to someone else ends the drag without applying it.
  if (m_bTracking && pWnd != this) StopTracking(FALSE);
  CWnd::OnCaptureChanged(pWnd);
}

void CSplitterWnd::StopTracking(BOOL bAccept) {
  if (!m_bTracking) return;
  if (m_bTrackerShown) DrawTracker();
  m_bTracking = FALSE;
  if (CWnd::GetCapture() == this) ::ReleaseCapture();
  const HWND before = m_hWndFocusBefore;
  m_hWndFocusBefore = nullptr;
  if (before && ::IsWindow(before) && ::GetFocus() == m_hWnd) ::SetFocus(before);
  if (!bAccept || !GetSafeHwnd()) return;
  int ht = m_htTrack;
  CRect inside;
  GetInsideRect(inside);
  if (ht == vSplitterBox) {
    // Dropped back on the box (or at an edge): no split.
    if (m_rectTracker.top > inside.top && m_rectTracker.bottom < inside.bottom) SplitRow(m_rectTracker.top);
  } else if (ht == hSplitterBox) {
    if (m_rectTracker.left > inside.left && m_rectTracker.right < inside.right) SplitColumn(m_rectTracker.left);
  } else if (ht >= splitterIntersection1) {
    int row = (ht - splitterIntersection1) / 15, col = (ht - splitterIntersection1) % 15;
    TrackColumnSize(m_rectTracker2.left, col);
    TrackRowSize(m_rectTracker.top, row);
  } else if (ht >= hSplitterBar1) {
    TrackColumnSize(m_rectTracker.left, ht - hSplitterBar1);
  } else if (ht >= vSplitterBar1) {
    TrackRowSize(m_rectTracker.top, ht - vSplitterBar1);
  }
  RecalcLayout();
}

void CSplitterWnd::TrackRowSize(int y, int row) {
  if (row < 0 || row + 1 >= m_nRows) return;
  int size = y - RowRect(row).top;
  bool dynamic = (GetStyle() & SPLS_DYNAMIC_SPLIT) != 0;
  int both = m_rowInfo[row].nCurSize + m_rowInfo[row + 1].nCurSize;
  m_rowInfo[row].nIdealSize = std::max(0, size);
  if (size < m_rowInfo[row].nMinSize) {
    // Dragged below its minimum: the row goes away.
    m_rowInfo[row].nIdealSize = 0;
    if (dynamic) DeleteRow(row);
  } else if (both < size + m_rowInfo[row + 1].nMinSize) {
    // No room left for the row below.
    if (dynamic) DeleteRow(row + 1);
  }
}

void CSplitterWnd::TrackColumnSize(int x, int col) {
  if (col < 0 || col + 1 >= m_nCols) return;
  int size = x - ColRect(col).left;
  bool dynamic = (GetStyle() & SPLS_DYNAMIC_SPLIT) != 0;
  int both = m_colInfo[col].nCurSize + m_colInfo[col + 1].nCurSize;
  m_colInfo[col].nIdealSize = std::max(0, size);
  if (size < m_colInfo[col].nMinSize) {
    m_colInfo[col].nIdealSize = 0;
    if (dynamic) DeleteColumn(col);
  } else if (both < size + m_colInfo[col + 1].nMinSize) {
    if (dynamic) DeleteColumn(col + 1);
  }
}

// ---- Dynamic splitting ----------------------------------------------------------------------------------

BOOL CSplitterWnd::SplitRow(int cyBefore) {
  if (!GetSafeHwnd() || !(GetStyle() & SPLS_DYNAMIC_SPLIT) || !m_pDynamicViewClass) return FALSE;
  if (m_nRows >= m_nMaxRows) return FALSE;
  CRect inside;
  GetInsideRect(inside);
  int top = RowRect(m_nRows - 1).top;
  // The split box goes once the last row is made.
  if (m_nRows + 1 == m_nMaxRows) top -= inside.top - ClientTop();
  int sizeBefore = cyBefore - top;
  int sizeAfter = inside.bottom - cyBefore - m_cySplitterGap;
  // Both parts must be large enough to show.
  if (sizeBefore < m_rowInfo[m_nRows - 1].nMinSize || sizeAfter < m_rowInfo[m_nRows].nMinSize) return FALSE;
  int newRow = m_nRows;
  m_rowInfo[newRow - 1].nIdealSize = sizeBefore;
  m_nRows++;
  m_rowInfo[newRow].nIdealSize = sizeAfter;
  for (int col = 0; col < m_nCols; ++col) {
    CSize size(m_colInfo[col].nIdealSize, sizeAfter);
    if (!CreateView(newRow, col, m_pDynamicViewClass, size, nullptr)) {
      // Undo the partial split.
      for (int c = 0; c < col; ++c) DeleteView(newRow, c);
      m_nRows--;
      RecalcLayout();
      return FALSE;
    }
  }
  RecalcLayout();
  return TRUE;
}

BOOL CSplitterWnd::SplitColumn(int cxBefore) {
  if (!GetSafeHwnd() || !(GetStyle() & SPLS_DYNAMIC_SPLIT) || !m_pDynamicViewClass) return FALSE;
  if (m_nCols >= m_nMaxCols) return FALSE;
  CRect inside;
  GetInsideRect(inside);
  int left = ColRect(m_nCols - 1).left;
  if (m_nCols + 1 == m_nMaxCols) left -= inside.left - ClientLeft();
  int sizeBefore = cxBefore - left;
  int sizeAfter = inside.right - cxBefore - m_cxSplitterGap;
  if (sizeBefore < m_colInfo[m_nCols - 1].nMinSize || sizeAfter < m_colInfo[m_nCols].nMinSize) return FALSE;
  int newCol = m_nCols;
  m_colInfo[newCol - 1].nIdealSize = sizeBefore;
  m_nCols++;
  m_colInfo[newCol].nIdealSize = sizeAfter;
  for (int row = 0; row < m_nRows; ++row) {
    CSize size(sizeAfter, m_rowInfo[row].nIdealSize);
    if (!CreateView(row, newCol, m_pDynamicViewClass, size, nullptr)) {
      for (int r = 0; r < row; ++r) DeleteView(r, newCol);
      m_nCols--;
      RecalcLayout();
      return FALSE;
    }
  }
  RecalcLayout();
  return TRUE;
}

void CSplitterWnd::DeleteView(int row, int col) {
  CWnd* pane = GetPane(row, col);
  if (!pane) return;
  // The active view moves to another pane before this one goes.
  int ar, ac;
  if (GetActivePane(&ar, &ac) == pane || (ar == row && ac == col)) {
    CWnd* other = nullptr;
    for (int r = 0; !other && r < m_nRows; ++r)
      for (int c = 0; !other && c < m_nCols; ++c)
        if (r != row || c != col) other = GetPane(r, c);
    if (other) {
      SetActivePane(-1, -1, other);
    } else if (CFrameWnd* frame = GetParentFrame()) {
      if (frame->GetActiveView() == PaneView(pane)) frame->SetActiveView(nullptr, FALSE);
    }
  }
  pane->DestroyWindow();
}

void CSplitterWnd::DeleteRow(int rowDelete) {
  if (!GetSafeHwnd() || !(GetStyle() & SPLS_DYNAMIC_SPLIT) || m_nRows <= 1 || rowDelete < 0 || rowDelete >= m_nRows)
    return;
  for (int col = 0; col < m_nCols; ++col) DeleteView(rowDelete, col);
  // The rows below move up one.
  for (int row = rowDelete + 1; row < m_nRows; ++row) {
    for (int col = 0; col < m_nCols; ++col)
      if (CWnd* pane = GetPane(row, col)) pane->SetDlgCtrlID(IdFromRowCol(row - 1, col));
    m_rowInfo[row - 1] = m_rowInfo[row];
  }
  m_nRows--;
  m_rowInfo[m_nRows].nIdealSize = m_rowInfo[m_nRows].nCurSize = 0;
  m_rowInfo[m_nRows].nMinSize = m_sizeMin.cy;
  RecalcLayout();
}

void CSplitterWnd::DeleteColumn(int colDelete) {
  if (!GetSafeHwnd() || !(GetStyle() & SPLS_DYNAMIC_SPLIT) || m_nCols <= 1 || colDelete < 0 || colDelete >= m_nCols)
    return;
  for (int row = 0; row < m_nRows; ++row) DeleteView(row, colDelete);
  for (int col = colDelete + 1; col < m_nCols; ++col) {
    for (int row = 0; row < m_nRows; ++row)
      if (CWnd* pane = GetPane(row, col)) pane->SetDlgCtrlID(IdFromRowCol(row, col - 1));
    m_colInfo[col - 1] = m_colInfo[col];
  }
  m_nCols--;
  m_colInfo[m_nCols].nIdealSize = m_colInfo[m_nCols].nCurSize = 0;
  m_colInfo[m_nCols].nMinSize = m_sizeMin.cx;
  RecalcLayout();
}

// ---- Commands --------------------------------------------------------------------------------------------

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  // Commands from the panes' controls belong to the frame.
  CWnd* parent = GetParent();
  return parent && parent->GetSafeHwnd() ? (BOOL)parent->SendMessage(WM_COMMAND, wParam, lParam) : FALSE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (CWnd::OnNotify(wParam, lParam, pResult)) return TRUE;
  CWnd* parent = GetParent();
  if (!parent || !parent->GetSafeHwnd()) return FALSE;
  LRESULT r = parent->SendMessage(WM_NOTIFY, wParam, lParam);
  if (pResult) *pResult = r;
  return TRUE;
}
