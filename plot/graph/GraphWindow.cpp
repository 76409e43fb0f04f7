#include "plot/graph/GraphWindow.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinThread.h"
#include "plot/graph/DotDC.h"
#include "plot/curves/PlotUnits.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNCREATE(CGraphWindow, CWnd)

const char CGraphWindow::m_cszGraphWndClass[] = "QWGraphWindow";
int CGraphWindow::m_bGraphWndRegistred = 0;

namespace {
// Registered when the kernel is loaded: the class redraws a plot whole whenever its size changes,
// since every pixel of the picture scales with the window.
[[maybe_unused]] const int g_graphClassRegistered = CGraphWindow::RegisterGraphWindowClass(nullptr, AfxGetInstanceHandle());
}  // namespace

// CreateObject makes a display window of style 2 that its owner deletes.
CGraphWindow::CGraphWindow(int exStyle, int selfDelete) : m_nExStyle(exStyle), m_bSelfDelete(selfDelete) {}

CGraphWindow::~CGraphWindow() { m_zoomStack.Flush(); }

int CGraphWindow::RegisterGraphWindowClass(HINSTANCE prev, HINSTANCE instance) {
  if (!prev) {
    WNDCLASS wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = m_cszGraphWndClass;
    if (!AfxRegisterClass(&wc)) return 0;
  }
  m_bGraphWndRegistred = 1;
  return 1;
}

int CGraphWindow::Create(LPCSTR, DWORD style, const RECT& rect, CWnd* parent, UINT id, CGraphFilter* plot) {
  m_pPlot = plot;
  Initialize();
  WNDCLASS wc{};
  m_bGraphWndRegistred = GetClassInfo(AfxGetInstanceHandle(), m_cszGraphWndClass, &wc) ? 1 : 0;
  LPCSTR cls = m_bGraphWndRegistred ? m_cszGraphWndClass : nullptr;
  return CWnd::Create(cls, "", style, rect, parent, id) ? 1 : 0;
}

int CGraphWindow::SubclassDlgItem(UINT id, CWnd* parent, CGraphFilter* plot) {
  CWnd* item = parent ? parent->GetDlgItem((int)id) : nullptr;
  if (!item) return 0;
  CRect r;
  item->GetWindowRect(&r);
  parent->ScreenToClient(&r);
  item->DestroyWindow();
  return Create(nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, r, parent, id, plot);
}

int CGraphWindow::Initialize() {
  if (!m_pPlot) return 0;
  CGraphFilter& p = *m_pPlot;
  p.LoadDefaultUnits(p.m_bOscMode);
  m_dXMin = p.m_dXMin, m_dXMax = p.m_dXMax;
  m_dY1Min = p.m_dY1Min, m_dY1Max = p.m_dY1Max;
  m_dY2Min = p.m_dY2Min, m_dY2Max = p.m_dY2Max;
  if (!p.m_bOscMode) {
    auto widen = [](double& lo, double& hi) {
      double d = (hi - lo) / 20;
      lo -= d;
      hi += d;
    };
    widen(m_dXMin, m_dXMax);
    if (p.m_bHasAxis1) widen(m_dY1Min, m_dY1Max);
    if (p.m_bHasAxis2) widen(m_dY2Min, m_dY2Max);
  }
  m_zoomStack.Flush();
  return 1;
}

int CGraphWindow::GetSpaceDim(int base, int size) { return std::max(base, QW_Round(base * size / 1200.0)); }

void CGraphWindow::ComputeDrawingRect() {
  int w = m_nClientW, h = m_nClientH, m = std::min(w, h);
  bool osc = IsOsc();
  if (m_nDrawMode == 2) {
    m_nFontHeight = m < 1500 ? MulDiv(m, 4, 100) : MulDiv(m, 3, 100);
  } else if (osc) {
    int hh = m < h ? h - m : h, ww = m < w ? w - m : w;
    int font = ((hh / 5) - 7) / 4;
    if (font * 16 > ww) font = ww / 16;
    m_nFontHeight = std::clamp(font, 12, 20);
  } else {
    m_nFontHeight = std::max(12, QW_Round((m + 1120) / 100.0));
  }
  int font = m_nFontHeight;
  m_nHalfFont = font / 2;
  m_nLegend = 0;
  if (m_pPlot) {
    for (int i = 0; i < m_pPlot->GetSize() && m_nLegend < 4; ++i) {
      CXYCurve* c = m_pPlot->GetAt(i);
      if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
      if (!osc && c->m_pYCurve->m_strName.IsEmpty()) continue;
      ++m_nLegend;
    }
  }
  auto empty = [&] {
    m_nClientW = m_nClientH = 0;
    m_rcDraw.SetRectEmpty();
  };
  std::fill(std::begin(m_nBands), std::end(m_nBands), 0);
  if (osc) {
    if (m < 10)
      empty();
    else if (m >= 114)
      m_rcDraw.SetRect(7, 7, m - 7, m - 7);
    else
      m_rcDraw.SetRect(0, 0, w, h);
    return;
  }
  int* b = m_nBands;
  b[bandLegend] = m_nLegend == 0 ? 0 : m_nLegend <= 2 ? GetSpaceDim(10, m) + font : GetSpaceDim(16, m) + 2 * font;
  b[bandTop] = GetSpaceDim(8, m) + font;
  b[bandXText] = GetSpaceDim(6, m) + font;
  b[bandBottom] = GetSpaceDim(2, m) + font;
  bool l1 = m_pPlot && !m_pPlot->m_strLabel1.IsEmpty(), l2 = m_pPlot && !m_pPlot->m_strLabel2.IsEmpty();
  b[bandLeftText] = l1 ? GetSpaceDim(2, m) + (3 * font) / 2 : 0;
  b[bandRightText] = l2 ? GetSpaceDim(2, m) + (3 * font) / 2 : 0;
  b[bandLeftScale] = b[bandRightScale] = 6 * m_nHalfFont;
  if (!m_pPlot || !m_pPlot->m_bHasAxis2) b[bandRightScale] = GetSpaceDim(10, m);
  m_rcDraw.SetRect(b[bandLeftText] + b[bandLeftScale], b[bandTop], w - b[bandRightText] - b[bandRightScale],
                   h - b[bandXText] - b[bandLegend] - b[bandBottom]);
  if (m_rcDraw.Width() >= 75 && m_rcDraw.Height() >= 30) return;
  if (w >= 10 && h >= 10)
    m_rcDraw.SetRect(3, 3, w - 3, h - 3);
  else
    empty();
}

namespace {

int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return (int)QW_FRound(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

// A zero span or an empty drawing rectangle maps to the rectangle's edge, never divides by zero.
int CGraphWindow::MapX(double x) const {
  double span = m_dXMax - m_dXMin;
  if (span == 0 || m_rcDraw.right == m_rcDraw.left || std::isnan(x)) return m_rcDraw.left;
  return ToPixel(m_rcDraw.left + (m_rcDraw.right - m_rcDraw.left) * (x - m_dXMin) / span);
}

int CGraphWindow::MapY(double y, int axis) const {
  double lo = YMin(axis == 1 ? 1 : 2), span = YMax(axis == 1 ? 1 : 2) - lo;
  if (span == 0 || m_rcDraw.bottom == m_rcDraw.top || std::isnan(y)) return m_rcDraw.bottom;
  return ToPixel(m_rcDraw.bottom - (m_rcDraw.bottom - m_rcDraw.top) * (y - lo) / span);
}

double CGraphWindow::GetXCoord(int px) const {
  if (m_rcDraw.right == m_rcDraw.left) return m_dXMin;
  return m_dXMin + (m_dXMax - m_dXMin) * (px - m_rcDraw.left) / (m_rcDraw.right - m_rcDraw.left);
}

double CGraphWindow::GetYCoord(int py, int axis) const {
  int a = axis == 1 ? 1 : 2;
  if (m_rcDraw.bottom == m_rcDraw.top) return YMin(a);
  return YMin(a) + (YMax(a) - YMin(a)) * (m_rcDraw.bottom - py) / (m_rcDraw.bottom - m_rcDraw.top);
}

void CGraphWindow::GetPointBoundRect(LPRECT r, double x, double y, int axis) const {
  int px = MapX(x), py = MapY(y, axis);
  *r = RECT{px - 2, py - 2, px + 2, py + 2};
}

CPoint CGraphWindow::fMoveTo(CDC* dc, double x, double y, int axis) { return dc->MoveTo(MapX(x), MapY(y, axis)); }
void CGraphWindow::fLineTo(CDC* dc, double x, double y, int axis) { dc->LineTo(MapX(x), MapY(y, axis)); }
void CGraphWindow::fMoveTo(CDotDC* dc, double x, double y, int axis) { dc->MoveTo(MapX(x), MapY(y, axis)); }
void CGraphWindow::fLineTo(CDotDC* dc, double x, double y, int axis) { dc->LineTo(MapX(x), MapY(y, axis)); }

void CGraphWindow::GetViewRange(double r[6]) const {
  r[0] = m_dXMin, r[1] = m_dXMax, r[2] = m_dY1Min, r[3] = m_dY1Max, r[4] = m_dY2Min, r[5] = m_dY2Max;
}

void CGraphWindow::SetViewRange(const double r[6]) {
  m_dXMin = r[0], m_dXMax = r[1], m_dY1Min = r[2], m_dY1Max = r[3], m_dY2Min = r[4], m_dY2Max = r[5];
}

CRect CGraphWindow::GetScaleBox(int curve, int which) const {
  if (curve < 0 || curve >= (int)m_scaleBoxes.size() || which < 0 || which > 1) return CRect(0, 0, 0, 0);
  return m_scaleBoxes[(size_t)curve][(size_t)which];
}

void CGraphWindow::NotifyParent(UINT msg, int lo, int hi) const {
  CWnd* parent = GetParent();
  if (!parent || !parent->m_hWnd) return;
  LPARAM l = (LPARAM)(DWORD)((WORD)lo | ((DWORD)(WORD)hi << 16));
  parent->PostMessage(msg, (WPARAM)GetDlgCtrlID(), l);
}

void CGraphWindow::RefreshGraph() {
  if (!m_pPlot || !m_hWnd) return;
  m_pPlot->ComputeAxis();
  CClientDC dc(this);
  FastDraw(&dc);
}

void CGraphWindow::RefreshWindow() {
  if (Initialize()) ComputeDrawingRect();
  if (m_hWnd) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CGraphWindow::OnPaint() {
  if (m_bTracking) {
    CPaintDC dc(this);  // validates; the area is painted after the drag
    m_rcHeldPaint.UnionRect(&m_rcHeldPaint, &dc.m_ps.rcPaint);
    return;
  }
  if (m_nDrawMode != -1) {
    CWnd::OnPaint();
    return;
  }
  CPaintDC dc(this);
  // With no plot, or too small to hold one, the window shows a frame's face, not what was there.
  if (!m_pPlot || m_nClientW <= 0 || m_nClientH <= 0) {
    dc.FillSolidRect(&dc.m_ps.rcPaint, GetSysColor(COLOR_BTNFACE));
    return;
  }
  m_nDrawMode = 1;
  CDC mem;
  CBitmap bm;
  if (m_nClientW > 0 && m_nClientH > 0 && mem.CreateCompatibleDC(&dc) &&
      bm.CreateCompatibleBitmap(&dc, m_nClientW, m_nClientH)) {
    CBitmap* old = mem.SelectObject(&bm);
    DrawGraph(&mem, &dc.m_ps.rcPaint);
    dc.BitBlt(0, 0, m_nClientW, m_nClientH, &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  } else {
    DrawGraph(&dc, &dc.m_ps.rcPaint);
  }
  m_nDrawMode = -1;
}

void CGraphWindow::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  if (type == SIZE_MINIMIZED) return;
  m_nClientW = cx;
  m_nClientH = cy;
  ComputeDrawingRect();
}

void CGraphWindow::PostNcDestroy() {
  if (m_bSelfDelete) delete this;
}

void CGraphWindow::UpdateLastPoint() { UpdateIndex(true, 0); }

void CGraphWindow::UpdatePoint(int k) {
  if (k >= 1) UpdateIndex(false, k);
}

void CGraphWindow::UpdateIndex(bool lastPoint, int k) {
  if (!m_pPlot || !m_hWnd) return;
  CGraphFilter& p = *m_pPlot;
  CMC_Units* units = p.GetUnits();
  if (p.m_bOscMode) {
    CXYCurve* timing = nullptr;
    if (lastPoint) {
      timing = p.GetAt(0);
      if (!timing || !timing->m_pXCurve || timing->m_pXCurve->GetUpperValid() <= 0) return;
      k = timing->m_pXCurve->GetUpperValid();
    } else {
      for (int i = p.GetSize() - 1; i >= 0 && !timing; --i)
        if (p.GetAt(i) && p.GetAt(i)->m_pXCurve) timing = p.GetAt(i);
      if (!timing) return;
      timing->m_pXCurve->SetUpperValid(k);
    }
    CCurve* x = timing->m_pXCurve;
    if (k >= x->GetSize()) return;
    double tPrev = timing->GetXPointValue(k - 1, units), tNew = timing->GetXPointValue(k, units);
    if (!m_bPersist && !(m_bTracking && m_bBand) && !IsMissingSample(tPrev) && !IsMissingSample(tNew)) {
      // A wide pen lights pixels beside a sample, and the previous sample is lit only now.
      int pen = 1;
      for (int i = 0; i < p.GetSize(); ++i)
        if (p.GetAt(i)) pen = std::max(pen, p.GetAt(i)->m_nWidth);
      int a = MapX(tPrev), b = MapX(tNew);
      CRect strip(std::min(a, b) - pen, m_rcDraw.top - pen, std::max(a, b) + 1 + pen, m_rcDraw.bottom + 1 + pen);
      InvalidateRect(&strip, TRUE);
    }
    bool hit = false;
    for (int i = p.m_markers.GetSize() - 1; i >= 0 && !hit; --i) {
      double t = p.m_markers[i];
      hit = (tPrev < t && t <= tNew) || (t == tPrev && k >= 2);
    }
    if (hit) {
      CRect panel;
      if (m_rcDraw.right + 14 < m_nClientW)
        panel.SetRect(m_rcDraw.right + 14, 0, m_nClientW, m_nClientH);
      else if (m_rcDraw.bottom + 14 < m_nClientH)
        panel.SetRect(0, m_rcDraw.bottom + 14, m_nClientW, m_nClientH);
      if (!panel.IsRectEmpty()) InvalidateRect(&panel, TRUE);
    }
    return;
  }
  double range[6];
  GetViewRange(range);
  const double old[6] = {range[0], range[1], range[2], range[3], range[4], range[5]};
  auto extend = [](double& lo, double& hi, double v) {
    if (lo <= -1e99 || v < lo) lo = v;
    if (hi >= 1e99 || v > hi) hi = v;
  };
  std::vector<std::pair<CXYCurve*, int>> handled;
  int index = k;
  for (int c = 0; c < p.GetSize(); ++c) {
    CXYCurve* xy = p.GetAt(c);
    if (!xy || !xy->m_pXCurve || !xy->m_pYCurve) continue;
    if (xy->m_pXCurve->GetSize() < 2 || xy->m_pYCurve->GetSize() < 2) continue;
    int last = std::min(xy->m_pXCurve->GetUpperValid(), xy->m_pYCurve->GetUpperValid());
    int i = lastPoint ? last : k;
    if (!lastPoint && last < k) continue;
    int count = std::min(xy->m_pXCurve->GetSize(), xy->m_pYCurve->GetSize());
    if (i <= 0 || i >= count) continue;
    xy->AddPointToLimits(i);
    double xv = xy->GetXPointValue(i, units), yv = xy->GetYPointValue(i, units);
    if (!IsMissingSample(xv)) {
      extend(range[0], range[1], xv);
      extend(p.m_dXMin, p.m_dXMax, xv);
    }
    if (!IsMissingSample(yv)) {
      int a = xy->m_nAxis == 1 ? 2 : 4;
      extend(range[a], range[a + 1], yv);
      if (xy->m_nAxis == 1)
        extend(p.m_dY1Min, p.m_dY1Max, yv);
      else
        extend(p.m_dY2Min, p.m_dY2Max, yv);
    }
    handled.push_back({xy, i});
    index = i;
  }
  bool changed = false;
  for (int a = 0; a < 6; ++a) changed |= range[a] != old[a];
  if ((!changed && index != 3) || !m_zoomStack.IsEmpty() || m_bTracking) {
    CClientDC dc(this);
    // Pieces of several curves cross and meet: their box is drawn again with every curve in its order,
    // as a repaint layers them. Only curves over a monotone X are drawn cheaply enough for that: they
    // are narrowed to the box.
    bool boxed = handled.size() > 1;
    for (auto& [xy, i] : handled) {
      const auto m = xy->m_pXCurve->GetMonotone();
      boxed &= m == CFloatArray::monoAscending || m == CFloatArray::monoDescending;
    }
    if (boxed) {
      CRect box(0, 0, 0, 0);
      int pen = 1;
      for (auto& [xy, i] : handled) {
        pen = std::max(pen, xy->m_nWidth);
        for (int j : {i - 1, i}) {
          double x = xy->GetXPointValue(j, units), y = xy->GetYPointValue(j, units);
          if (IsMissingSample(x) || IsMissingSample(y)) continue;
          const int px = MapX(x), py = MapY(y, xy->m_nAxis);
          box |= CRect(px, py, px + 1, py + 1);
        }
      }
      if (box.IsRectEmpty()) return;
      box.InflateRect(pen + 2, pen + 2);
      CRgn region;
      region.CreateRectRgnIndirect(&box);
      dc.SelectClipRgn(&region);
      m_bArriving = true;
      DrawCurves(&dc, &box);
      m_bArriving = false;
      dc.SelectClipRgn(nullptr);
      return;
    }
    // The new piece is clipped as a whole repaint clips the curves: their far edges included.
    dc.SetBkMode(TRANSPARENT);
    const CRect clip(m_rcDraw.left, m_rcDraw.top, m_rcDraw.right + 1, m_rcDraw.bottom + 1);
    for (auto& [xy, i] : handled) {
      double x0 = xy->GetXPointValue(i - 1, units), y0 = xy->GetYPointValue(i - 1, units);
      double x1 = xy->GetXPointValue(i, units), y1 = xy->GetYPointValue(i, units);
      const bool dashed = CDotDC::GetPattern(xy->m_nPenStyle) != 0;
      const bool present0 = !IsMissingSample(x0) && !IsMissingSample(y0);
      const bool present1 = !IsMissingSample(x1) && !IsMissingSample(y1);
      auto kept = m_dashPhase.find(xy);
      std::vector<DWORD>* phases = dashed && kept != m_dashPhase.end() ? &kept->second : nullptr;
      auto phaseAt = [&](int j) { return j >= 0 && j < (int)phases->size() ? (*phases)[(size_t)j] : kNoPhase; };
      if (phases && (size_t)i >= phases->size()) phases->resize((size_t)i + 1, kNoPhase);
      if (phases && !present0) {
        // A repaint starts the line again at this sample.
        (*phases)[(size_t)i] = present1 ? 0 : kNoPhase;
        continue;
      }
      if (phases && phaseAt(i - 1) != kNoPhase) {
        xy->m_dwDrawState = phaseAt(i - 1);
      } else if (dashed) {
        // A patterned curve no repaint drew here: the piece is left to a repaint, which starts its dashes.
        if (!present0 || !present1) continue;
        CRect piece(MapX(x0), MapY(y0, xy->m_nAxis), MapX(x0) + 1, MapY(y0, xy->m_nAxis) + 1);
        piece |= CRect(MapX(x1), MapY(y1, xy->m_nAxis), MapX(x1) + 1, MapY(y1, xy->m_nAxis) + 1);
        piece.InflateRect(xy->m_nWidth + 2, xy->m_nWidth + 2);
        InvalidateRect(&piece, FALSE);
        continue;
      }
      // A wide pen joins each lit pixel to the one before it, also across a sample: the previous
      // piece is stepped again from its own dash phase, so the join comes out as a repaint draws it.
      const int ax = xy->m_nAxis;
      CPoint from(MapX(x0), MapY(y0, ax)), before(from);
      if (xy->m_nWidth > 3 && i >= 2 && present0) {
        double xb = xy->GetXPointValue(i - 2, units), yb = xy->GetYPointValue(i - 2, units);
        if (!IsMissingSample(xb) && !IsMissingSample(yb)) {
          if (!dashed)
            before = CPoint(MapX(xb), MapY(yb, ax));  // a solid line counts no steps
          else if (phaseAt(i - 2) != kNoPhase)
            xy->m_dwDrawState = phaseAt(i - 2), before = CPoint(MapX(xb), MapY(yb, ax));
        }
      }
      {
        CDotDC dot(dc.m_hDC, xy, clip);
        dot.MoveToKeepTrack(before.x, before.y);
        dot.LineTo(from.x, from.y);
        if (present0 && present1) dot.LineTo(MapX(x1), MapY(y1, ax));
      }
      if (phases) (*phases)[(size_t)i] = present1 ? xy->m_dwDrawState : kNoPhase;
      // Point boxes lie over the lines: the boxes of the pieces drawn again are painted on top of them.
      if (m_nExStyle == 1 || (m_nExStyle == 3 && m_pMarked))
        for (int j = before == from ? i - 1 : i - 2; j <= i; ++j) {
          CRect box = PointBox(xy, j);
          if (!box.IsRectEmpty()) InvalidateRect(&box, FALSE);
        }
    }
    return;
  }
  bool open = range[0] <= -1e99 || range[1] >= 1e99 ||
              (p.m_bHasAxis1 && (range[2] <= -1e99 || range[3] >= 1e99)) ||
              (p.m_bHasAxis2 && (range[4] <= -1e99 || range[5] >= 1e99));
  if (open) {
    Initialize();
  } else {
    for (int a = 0; a < 6; ++a) {
      if (range[a] == old[a]) continue;
      double v = range[a];
      bool isMin = a % 2 == 0;
      range[a] = isMin ? (v >= 0 ? v * 0.8 : v * 1.2) : (v >= 0 ? v * 1.2 : v * 0.8);
    }
    SetViewRange(range);
  }
  CClientDC dc(this);
  FastDraw(&dc);
}
