#include "editor/toolkit/SECProgressCtrl.h"

#include "platform/ui/MessageQueue.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(SECProgressCtrl, CProgressCtrl)

SECProgressCtrl::SECProgressCtrl() = default;

// The timer ends with the window.
SECProgressCtrl::~SECProgressCtrl() = default;

BOOL SECProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwExStyle) {
  if (m_bCreated) return FALSE;
  m_dwExStyle = dwExStyle;
  m_bCreated = CProgressCtrl::Create(dwStyle, rect, pParentWnd, nID);
  return m_bCreated;
}

BOOL SECProgressCtrl::AttachProgress(int nCtrlID, CWnd* pParentWnd) {
  if (!pParentWnd || !SubclassDlgItem((UINT)nCtrlID, pParentWnd)) return FALSE;
  m_bCreated = TRUE;
  return OnInitProgress();
}

void SECProgressCtrl::SetRange(DWORD dwLower, DWORD dwUpper) {
  m_dwLower = dwLower;
  m_dwUpper = dwUpper;
}

DWORD SECProgressCtrl::SetPos(DWORD dwPos, BOOL bYield) {
  DWORD old = m_dwPos;
  if (dwPos < m_dwLower) dwPos = m_dwLower;
  else if (dwPos > m_dwUpper) dwPos = m_dwUpper;
  m_dwPos = dwPos;
  if (m_hWnd) Invalidate(TRUE);
  if (bYield) YieldPaintMessages();
  return old;
}

DWORD SECProgressCtrl::OffsetPos(DWORD dwOffset, BOOL bYield) { return SetPos(m_dwPos + dwOffset, bYield); }

DWORD SECProgressCtrl::SetStep(DWORD dwStep) {
  DWORD old = m_dwStep;
  m_dwStep = dwStep;
  return old;
}

void SECProgressCtrl::SetColors(COLORREF crBar, COLORREF crBk) {
  m_crBar = crBar;
  m_crBk = crBk;
  if (m_bCreated && m_hWnd) Invalidate(TRUE);
}

void SECProgressCtrl::SetFont(CFont* pFont, BOOL bRedraw) {
  m_pFont = pFont;
  if (bRedraw && m_bCreated && m_hWnd) Invalidate(TRUE);
}

void SECProgressCtrl::SetWindowText(LPCSTR lpszText) { m_strText = lpszText ? lpszText : ""; }

void SECProgressCtrl::GetWindowText(CString& rText) { rText = m_strText; }

DWORD SECProgressCtrl::StepIt(BOOL bYield) { return OffsetPos(m_dwStep, bYield); }

void SECProgressCtrl::ResetProgress() {
  SetPos(m_dwLower, FALSE);
  if (m_bCreated && m_hWnd) {
    GetClientRect(&m_rectClient);
    Invalidate(TRUE);
  }
}

BOOL SECProgressCtrl::StepOnTimer(UINT nPeriodMs) {
  if (m_dwPos >= m_dwUpper) {
    if (m_hWnd) KillTimer(m_nTimerId);
    return FALSE;
  }
  if (nPeriodMs == 0) {
    if (m_hWnd) KillTimer(m_nTimerId);
    return TRUE;
  }
  m_nTimerId = m_hWnd ? SetTimer(kTimerId, nPeriodMs) : 0;
  return m_nTimerId != 0;
}

BOOL SECProgressCtrl::OnInitProgress() {
  GetClientRect(&m_rectClient);
  return TRUE;
}

void SECProgressCtrl::OnPaintBarFill(CDC* pDC, CRect rect) {
  CBrush brush(m_crBar);
  pDC->FillRect(&rect, &brush);
}

void SECProgressCtrl::OnPaintBarEmpty(CDC* pDC, CRect rect) {
  CBrush brush(m_crBk);
  pDC->FillRect(&rect, &brush);
}

float SECProgressCtrl::LimitPercent(float fPercent) { return std::clamp(fPercent, 0.0f, 100.0f); }

void SECProgressCtrl::OnPaintBarText(CDC* pDC, float fPercent, CRect rectEmpty, CRect rectFill) {
  CString text;
  if (m_dwExStyle & PBS_EX_PERCENT) text.Format("%d %%", (int)(LimitPercent(fPercent) + 0.5f) > 100 ? 100 : (int)(LimitPercent(fPercent) + 0.5f));
  else if (m_dwExStyle & PBS_EX_TEXT) GetWindowText(text);
  else return;
  OnDisplayStr(text);
  CFont* oldFont = m_pFont ? pDC->SelectObject(m_pFont) : nullptr;
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (m_dwExStyle & PBS_EX_TEXTLEFT) format |= DT_LEFT;
  else if (m_dwExStyle & PBS_EX_TEXTRIGHT) format |= DT_RIGHT;
  else format |= DT_CENTER;
  CRgn fillRgn, emptyRgn;
  fillRgn.CreateRectRgnIndirect(&rectFill);
  emptyRgn.CreateRectRgnIndirect(&rectEmpty);
  CRect all = m_rectClient;
  pDC->SelectClipRgn(&fillRgn);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(m_crBk);
  pDC->DrawText(text, &all, format);
  pDC->SelectClipRgn(&emptyRgn);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(m_crBar);
  pDC->DrawText(text, &all, format);
  if (m_pFont) pDC->SelectObject(oldFont);
  pDC->SelectClipRgn(nullptr);
}

void SECProgressCtrl::OnDisplayStr(CString&) {}

void SECProgressCtrl::DoPaint(CPaintDC* pDC) {
  if (!m_bVisible) return;
  float percent = CalcPercentComplete();
  CRect fill(0, 0, 0, 0), empty(0, 0, 0, 0);
  if (CalcProgressRects(percent, fill, empty)) PaintProgressBarAndText(percent, fill, empty, pDC);
}

BOOL SECProgressCtrl::CalcProgressRects(float fPercent, CRect& rectFill, CRect& rectEmpty) {
  const CRect& c = m_rectClient;
  // Positions outside the range must not reach past the client.
  double f = LimitPercent(fPercent) / 100.0;
  rectFill = c;
  rectEmpty = c;
  if (!(m_dwExStyle & PBS_EX_VERTICAL)) {
    LONG d = (LONG)(c.Width() * f);
    if (m_dwExStyle & PBS_EX_FROMRIGHT) {
      rectFill.left = c.right - d;
      rectEmpty.right = c.right - d;
    } else {
      rectFill.right = c.left + d;
      rectEmpty.left = c.left + d;
    }
  } else {
    LONG d = (LONG)(c.Height() * f);
    if (m_dwExStyle & PBS_EX_FROMTOP) {
      rectFill.bottom = c.top + d;
      rectEmpty.top = c.top + d;
    } else {
      rectFill.top = c.bottom - d;
      rectEmpty.bottom = c.bottom - d;
    }
  }
  return TRUE;
}

BOOL SECProgressCtrl::PaintProgressBarAndText(float fPercent, CRect rectFill, CRect rectEmpty, CDC* pDC) {
  CDC memDC;
  CBitmap bitmap;
  if (!memDC.CreateCompatibleDC(pDC)) return FALSE;
  if (!bitmap.CreateCompatibleBitmap(pDC, m_rectClient.Width(), m_rectClient.Height())) return FALSE;
  CBitmap* old = memDC.SelectObject(&bitmap);
  OnPaintBarEmpty(&memDC, rectEmpty);
  OnPaintBarFill(&memDC, rectFill);
  OnPaintBarText(&memDC, fPercent, rectEmpty, rectFill);
  pDC->BitBlt(m_rectClient.left, m_rectClient.top, m_rectClient.Width(), m_rectClient.Height(), &memDC, 0, 0, SRCCOPY);
  memDC.SelectObject(old);
  return TRUE;
}

float SECProgressCtrl::CalcPercentComplete() {
  DWORD span = m_dwUpper - m_dwLower;
  if (m_dwUpper == m_dwLower) span = 1;
  return ((float)m_dwPos - (float)m_dwLower) / (float)span * 100.0f;
}

void SECProgressCtrl::YieldPaintMessages() {
  MSG msg;
  while (::PeekMessage(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessage(&msg);
  }
}

int SECProgressCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CProgressCtrl::OnCreate(lpCreateStruct) == -1) return -1;
  return OnInitProgress() ? 0 : -1;
}

BOOL SECProgressCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void SECProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  DoPaint(&dc);
}

void SECProgressCtrl::OnShowWindow(BOOL bShow, UINT nStatus) {
  CProgressCtrl::OnShowWindow(bShow, nStatus);
  m_bVisible = bShow;
}

void SECProgressCtrl::OnSize(UINT nType, int cx, int cy) {
  CProgressCtrl::OnSize(nType, cx, cy);
  GetClientRect(&m_rectClient);
}

void SECProgressCtrl::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == m_nTimerId) {
    StepIt(FALSE);
    if (m_dwPos >= m_dwUpper) KillTimer(m_nTimerId);
  }
  CProgressCtrl::OnTimer(nIDEvent);
}
