#include "plot/graph/DotDC.h"

#include "platform/gdi/DC.h"
#include "plot/curves/XYCurve.h"

#include <algorithm>

const WORD CDotDC::m_aPattern[5] = {0x0000, 0x600F, 0x2001, 0x8027, 0xB127};

WORD CDotDC::GetPattern(int style) { return style >= 0 && style <= 4 ? m_aPattern[style] : m_aPattern[0]; }

CDotDC::CDotDC(HDC dc, WORD pattern, int width, COLORREF color)
    : m_wPattern(pattern), m_nWidth(width), m_cr(color), m_hDC(dc) {
  Init();
}

CDotDC::CDotDC(HDC dc, CXYCurve* curve, const RECT& clip)
    : m_nStep((int)curve->m_dwDrawState),
      m_wPattern(GetPattern(curve->m_nPenStyle)),
      m_nWidth(curve->m_nWidth),
      m_cr(curve->m_crColor),
      m_hDC(dc),
      m_pCurve(curve),
      m_rcClip(clip) {
  Init();
}

void CDotDC::Init() {
  m_pDC = CDC::FromHandle(m_hDC);
  int tech = m_pDC ? m_pDC->GetDeviceCaps(TECHNOLOGY) : DT_RASDISPLAY;
  if (tech == DT_RASPRINTER) {
    m_nTech = 2;
    CDC screen;
    screen.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
    int screenDpi = std::max(1, screen.GetDeviceCaps(LOGPIXELSX));
    int dpi = m_pDC->GetDeviceCaps(VERTSIZE) > m_pDC->GetDeviceCaps(HORZSIZE) ? m_pDC->GetDeviceCaps(LOGPIXELSX)
                                                                               : m_pDC->GetDeviceCaps(LOGPIXELSY);
    m_nWidth = (int)((double)m_nWidth * dpi / screenDpi);
  } else {
    m_nTech = tech;
  }
  m_bFast = m_nTech == DT_RASDISPLAY && m_nWidth <= 3;
  m_bFastSolid = m_bFast && (m_wPattern >> 12) == 0;
  // A wide pen reaches past the pixels stepped inside the clip rectangle, onto frames and text boxes
  // that a redraw of the plot area alone does not repaint: the device clips it too. A metafile keeps
  // its records as they were. Set pixels are clipped one by one, which costs far less.
  if (m_pDC && m_pCurve && !m_bFast && m_nTech != DT_METAFILE) {
    m_nSavedDC = m_pDC->SaveDC();
    m_pDC->IntersectClipRect(m_rcClip.left, m_rcClip.top, m_rcClip.right, m_rcClip.bottom);
  }
  m_hPen = ::CreatePen(PS_SOLID, m_nWidth, m_cr);
  if (m_pDC) m_hOldPen = m_pDC->SelectObject((HGDIOBJ)m_hPen);
}

CDotDC::~CDotDC() {
  FlushRun(false);
  if (m_pCurve) m_pCurve->m_dwDrawState = (DWORD)m_nStep;
  if (m_pDC && m_hOldPen) m_pDC->SelectObject(m_hOldPen);
  if (m_pDC && m_nSavedDC) m_pDC->RestoreDC(m_nSavedDC);
  ::DeleteObject(m_hPen);
}

void CDotDC::MoveTo(int x, int y) {
  MoveToKeepTrack(x, y);
  m_nStep = 0;
}

void CDotDC::MoveToKeepTrack(int x, int y) {
  FlushRun(false);
  m_x = x;
  m_y = y;
  m_bPenDown = 0;
}

void CDotDC::LineTo(int x, int y) {
  if (x == m_x && y == m_y) return;
  if (m_bFastSolid && x == m_x) {
    if (!m_bRun) {
      m_bRun = true;
      m_nRunLo = m_nRunHi = m_y;
    } else {
      m_nRunLo = std::min(m_nRunLo, m_y);
      m_nRunHi = std::max(m_nRunHi, m_y);
    }
    m_y = y;
    return;
  }
  FlushRun(true);
  ::LineDDA(m_x, m_y, x, y, m_bFast ? FastLineDDAProc : LineDDAProc, (LPARAM)this);
  m_x = x;
  m_y = y;
}

void CDotDC::FlushRun(bool continuing) {
  if (!m_bRun) return;
  m_bRun = false;
  int lo = m_nRunLo, hi = m_nRunHi;
  // The run's last point is lit only by a following step, or when an earlier step passed it.
  if (continuing) {
    lo = std::min(lo, m_y);
    hi = std::max(hi, m_y);
  } else if (m_y > hi) {
    hi = m_y - 1;
  } else if (m_y < lo) {
    lo = m_y + 1;
  }
  if (m_x < m_rcClip.left || m_x >= m_rcClip.right) return;
  lo = std::max(lo, (int)m_rcClip.top);
  hi = std::min(hi, (int)m_rcClip.bottom - 1);
  for (int y = lo; y <= hi; ++y) FastPixel(m_x, y);
}

bool CDotDC::PatternOn() {
  int len = m_wPattern >> 12;
  if (len == 0) return true;
  int k = (m_nStep / std::max(m_nWidth, 3)) % len;
  ++m_nStep;
  return ((m_wPattern >> k) & 1) != 0;
}

void CDotDC::LineDDAProc(int x, int y, LPARAM self) {
  CDotDC& d = *reinterpret_cast<CDotDC*>(self);
  bool on = d.PatternOn();
  const RECT& c = d.m_rcClip;
  bool visible = on && x >= c.left && x < c.right && y >= c.top && y < c.bottom;
  if (d.m_pDC) {
    if (d.m_bPenDown)
      d.m_pDC->LineTo(x, y);
    else if (visible)
      d.m_pDC->MoveTo(x, y);
  }
  d.m_bPenDown = visible;
}

void CDotDC::FastLineDDAProc(int x, int y, LPARAM self) {
  CDotDC& d = *reinterpret_cast<CDotDC*>(self);
  const RECT& c = d.m_rcClip;
  if (d.PatternOn() && x >= c.left && x < c.right && y >= c.top && y < c.bottom) d.FastPixel(x, y);
}

void CDotDC::FastPixel(int x, int y) {
  if (!m_pDC) return;
  m_pDC->SetPixel(x, y, m_cr);
  if (m_nWidth < 2) return;
  // (x, y) lies in the clip rectangle: the pixels beside it only left of and above it.
  auto side = [&](int px, int py) {
    if (px >= m_rcClip.left && py >= m_rcClip.top) m_pDC->SetPixel(px, py, m_cr);
  };
  side(x - 1, y);
  side(x, y - 1);
  if (m_nWidth == 3) {
    side(x - 2, y);
    side(x - 1, y - 1);
    side(x, y - 2);
  }
}
