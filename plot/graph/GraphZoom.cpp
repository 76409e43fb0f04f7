// Graph window: zoom history, point dragging, zoom bands, oscilloscope cursors and boxes.
#include "plot/graph/DrawHelpers.h"
#include "plot/graph/GraphWindow.h"
#include "plot/curves/PlotUnits.h"

#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <cmath>

namespace {

HCURSOR g_magnify = nullptr;  // loaded while a zoom band is drawn
const WORD kMagnifyCursor = AFX_IDC_MAGNIFY;

COLORREF Highlight(COLORREF c) { return RGB(255 - GetRValue(c), 0, 0); }


void MoveMouse(CWnd* wnd, CPoint p) {
  wnd->ClientToScreen(&p);
  ::SetCursorPos(p.x, p.y);
}

}  // namespace

int CZoomStack::Push(double x0, double x1, double y10, double y11, double y20, double y21) {
  Add(new CZoomStructure(x0, x1, y10, y11, y20, y21));
  return 1;
}

int CZoomStack::Pop() {
  if (m_data.empty()) return 0;
  delete static_cast<CZoomStructure*>(m_data.back());
  RemoveAt(GetSize() - 1);
  return 1;
}

CZoomStructure* CZoomStack::GetTop() const {
  return m_data.empty() ? nullptr : static_cast<CZoomStructure*>(m_data.back());
}

void CZoomStack::Flush() {
  for (CObject* o : m_data) delete static_cast<CZoomStructure*>(o);
  RemoveAll();
}

int CGraphWindow::PushZoomStack() { return m_zoomStack.Push(m_dXMin, m_dXMax, m_dY1Min, m_dY1Max, m_dY2Min, m_dY2Max); }

int CGraphWindow::PopZoomStack() {
  CZoomStructure* top = m_zoomStack.GetTop();
  if (!top) return 0;
  m_dXMin = top->m_dXMin, m_dXMax = top->m_dXMax;
  m_dY1Min = top->m_dY1Min, m_dY1Max = top->m_dY1Max;
  m_dY2Min = top->m_dY2Min, m_dY2Max = top->m_dY2Max;
  return m_zoomStack.Pop();
}

void CGraphWindow::DoZoomIn() {
  if ((m_nExStyle < 2 || m_nExStyle > 4) || !m_pPlot || !m_hWnd) return;
  CGraphFilter& p = *m_pPlot;
  p.ComputeAxis();
  bool osc = m_nExStyle == 4;
  // A ratio of the shown span to the full span; axes without a usable full span never refuse.
  auto tooSmall = [](double shown, double lo, double hi, double limit) {
    double full = hi - lo;
    if (!(full > 0) || !std::isfinite(full) || lo <= -1e99 || hi >= 1e99) return false;
    return std::fabs(shown) / full < limit;
  };
  double x0, x1, a0, a1, b0, b1;
  if (m_nAnchorX >= 0 || m_nCurX >= 0) {
    int px1 = std::min(m_nAnchorX, m_nCurX), px2 = std::max(m_nAnchorX, m_nCurX);
    int top = std::min(m_nAnchorY, m_nCurY), bottom = std::max(m_nAnchorY, m_nCurY);
    x0 = GetXCoord(px1), x1 = GetXCoord(px2);
    a0 = GetYCoord(bottom, 1), a1 = GetYCoord(top, 1);
    b0 = GetYCoord(bottom, 2), b1 = GetYCoord(top, 2);
    double full = p.m_dXMax - p.m_dXMin;
    if (tooSmall(x1 - x0, p.m_dXMin, p.m_dXMax, 1e-5) || (osc && full > 0 && std::fabs(x1 - x0) / full <= 0.01) ||
        tooSmall(a1 - a0, p.m_dY1Min, p.m_dY1Max, 1e-5) || tooSmall(b1 - b0, p.m_dY2Min, p.m_dY2Max, 1e-5))
      return;
    double dx = (x1 - x0) / 20, da = (a1 - a0) / 20, db = (b1 - b0) / 20;
    x0 -= dx, x1 += dx, a0 -= da, a1 += da, b0 -= db, b1 += db;
  } else {
    double full = p.m_dXMax - p.m_dXMin;
    double sx = m_dXMax - m_dXMin, sa = m_dY1Max - m_dY1Min, sb = m_dY2Max - m_dY2Min;
    if (tooSmall(sx / 2, p.m_dXMin, p.m_dXMax, 1e-5) || (osc && full > 0 && std::fabs(sx) / (2 * full) <= 0.01) ||
        tooSmall(sa / 2, p.m_dY1Min, p.m_dY1Max, 1e-5) || tooSmall(sb / 2, p.m_dY2Min, p.m_dY2Max, 1e-5))
      return;
    x0 = m_dXMin + sx / 4, x1 = m_dXMax - sx / 4;
    a0 = m_dY1Min + sa / 4, a1 = m_dY1Max - sa / 4;
    b0 = m_dY2Min + sb / 4, b1 = m_dY2Max - sb / 4;
  }
  PushZoomStack();
  if (osc) {
    x0 = std::max(x0, -5.0), a0 = std::max(a0, -5.0), b0 = std::max(b0, -5.0);
    x1 = std::min(x1, 5.0), a1 = std::min(a1, 5.0), b1 = std::min(b1, 5.0);
  }
  m_dXMin = x0, m_dXMax = x1, m_dY1Min = a0, m_dY1Max = a1, m_dY2Min = b0, m_dY2Max = b1;
  CClientDC dc(this);
  if (osc)
    DrawGraph(&dc, nullptr);
  else
    FastDraw(&dc);
}

void CGraphWindow::DoZoomOut() {
  if ((m_nExStyle < 2 || m_nExStyle > 4) || !m_pPlot || !m_hWnd) return;
  Initialize();
  CClientDC dc(this);
  if (m_nExStyle == 4)
    DrawGraph(&dc, nullptr);
  else
    FastDraw(&dc);
}

void CGraphWindow::DoZoomPrev() {
  if ((m_nExStyle < 2 || m_nExStyle > 4) || !m_pPlot || !m_hWnd) return;
  if (!PopZoomStack()) return;
  m_pPlot->ComputeAxis();
  CClientDC dc(this);
  if (m_nExStyle == 4)
    DrawGraph(&dc, nullptr);
  else
    FastDraw(&dc);
}

// The focus lines from the neighbours to the dragged point and its box, in an inverting pen.
void CGraphWindow::DrawFocus(CDC* dc) {
  CPen pen(PS_DOT, 1, RGB(0, 0, 0));
  CPen* old = dc->SelectObject(&pen);
  int oldRop = dc->SetROP2(R2_NOTXORPEN);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
  if (m_nAnchorX >= 0) dc->MoveTo(m_nAnchorX, m_nAnchorY), dc->LineTo(m_nCurX, m_nCurY);
  if (m_nNextX >= 0) dc->MoveTo(m_nNextX, m_nNextY), dc->LineTo(m_nCurX, m_nCurY);
  dc->Rectangle(&m_rcFocus);
  dc->SelectObject(oldBrush);
  dc->SetBkMode(oldBk);
  dc->SetROP2(oldRop);
  dc->SelectObject(old);
}

void CGraphWindow::DrawCursorLine(CDC* dc, int x) {
  CPen pen(PS_DOT, 1, m_pPlot->m_crCursor);
  CPen* old = dc->SelectObject(&pen);
  int oldRop = dc->SetROP2(R2_NOTXORPEN);
  dc->MoveTo(x, m_rcDraw.top);
  dc->LineTo(x, m_rcDraw.bottom);
  dc->SetROP2(oldRop);
  dc->SelectObject(old);
}

void CGraphWindow::DrawBand(CDC* dc) {
  CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
  int oldRop = dc->SetROP2(R2_NOT);
  dc->Rectangle(m_nAnchorX, m_nAnchorY, m_nCurX, m_nCurY);
  dc->SetROP2(oldRop);
  dc->SelectObject(oldBrush);
}

// Confines the mouse to a client rectangle; input that arrives outside it is pulled in as well.
void CGraphWindow::Confine(const CRect& r) {
  m_rcConfine = r;
  // Neighbours a column apart leave no room: what is dragged keeps its own column.
  if (m_rcConfine.right <= m_rcConfine.left) {
    m_rcConfine.left = m_nCurX;
    m_rcConfine.right = m_nCurX + 1;
  }
  CRect s(m_rcConfine);
  ClientToScreen(&s);
  ::ClipCursor(&s);
}

CPoint CGraphWindow::Confined(CPoint pt) const {
  if (!m_bTracking || m_rcConfine.IsRectEmpty()) return pt;
  return CPoint(std::clamp(pt.x, m_rcConfine.left, m_rcConfine.right - 1),
                std::clamp(pt.y, m_rcConfine.top, m_rcConfine.bottom - 1));
}

void CGraphWindow::EndTracking() {
  m_rcConfine.SetRectEmpty();
  m_bTracking = m_bBand = 0;
  m_nAnchorX = m_nCurX = m_nNextX = -1;
  m_rcFocus.SetRectEmpty();
  if (!m_rcHeldPaint.IsRectEmpty() && m_hWnd) InvalidateRect(&m_rcHeldPaint, FALSE);
  m_rcHeldPaint.SetRectEmpty();
}

void CGraphWindow::OnLButtonDown(UINT flags, CPoint pt) {
  if (!m_pPlot || m_bTracking) return;
  CGraphFilter& p = *m_pPlot;
  CMC_Units* units = p.GetUnits();
  bool inside = m_rcDraw.PtInRect(pt) != FALSE;
  if (inside && m_nExStyle == 1) {
    for (int ci = 0; ci < p.GetSize(); ++ci) {
      CXYCurve* c = p.GetAt(ci);
      if (!c || !c->m_pXCurve || !c->m_pYCurve) continue;
      int n = c->GetPointCount();
      for (int k = 0; k < n; ++k) {
        double x = c->GetXPointValue(k, units), y = c->GetYPointValue(k, units);
        if (IsMissingSample(x) || IsMissingSample(y)) continue;
        CRect box;
        GetPointBoundRect(&box, x, y, c->m_nAxis);
        box.InflateRect(0, 0, 1, 1);  // the box's right and bottom pixels belong to it
        if (!box.PtInRect(pt)) continue;
        CClientDC dc(this);
        FillPointBox(&dc, c, k, Highlight(c->m_crColor));
        m_nCurX = MapX(x), m_nCurY = MapY(y, c->m_nAxis);
        MoveMouse(this, CPoint(m_nCurX, m_nCurY));
        CRect confine;
        GetClientRect(&confine);
        auto neighbour = [&](int j, int& px, int& py) {
          double nx = c->GetXPointValue(j, units), ny = c->GetYPointValue(j, units);
          if (IsMissingSample(nx) || IsMissingSample(ny)) return false;
          px = MapX(nx), py = MapY(ny, c->m_nAxis);
          return true;
        };
        if (k > 0 && neighbour(k - 1, m_nAnchorX, m_nAnchorY)) confine.left = m_nAnchorX + 1;
        if (k + 1 < n && neighbour(k + 1, m_nNextX, m_nNextY)) confine.right = m_nNextX - 1;
        Confine(confine);
        CXYCurve* prev = p.GetAt(m_nSelCurve);
        if (prev && prev->m_pXCurve && prev->m_pYCurve && m_nSelPoint >= 0 && !(m_nSelCurve == ci && m_nSelPoint == k)) {
          FillPointBox(&dc, prev, m_nSelPoint, prev->m_crColor);
          m_rcHeldPaint |= PointBox(prev, m_nSelPoint);
        }
        // Filled over whatever lies there: the drag's end paints both boxes again as a repaint layers them.
        m_rcHeldPaint |= PointBox(c, k);
        m_rcFocus.SetRect(m_nCurX - 4, m_nCurY - 4, m_nCurX + 5, m_nCurY + 5);
        m_ptStart = CPoint(m_nCurX, m_nCurY);
        DrawFocus(&dc);
        ::SetCursor(::LoadCursor(nullptr, IDC_CROSS));
        SetCapture();
        m_bTracking = 1;
        m_nSelCurve = ci, m_nSelPoint = k;
        return;
      }
    }
    return;
  }
  if (inside && (m_nExStyle == 2 || m_nExStyle == 3 || m_nExStyle == 4)) {
    if (m_nExStyle == 4) {
      for (int i = p.m_markers.GetSize() - 1; i >= 0; --i) {
        double t = p.m_markers[i];
        if (IsMissingSample(t) || std::abs(MapX(t) - pt.x) > 5) continue;
        m_nCurX = MapX(t);
        MoveMouse(this, CPoint(m_nCurX, pt.y));
        CClientDC dc(this);
        DrawCursorLine(&dc, m_nCurX);
        CRect confine(m_rcDraw);
        if (i > 0 && !IsMissingSample(p.m_markers[i - 1]))
          confine.left = std::max(confine.left, (LONG)MapX(std::floor(p.m_markers[i - 1] * 10) / 10 + 0.1));
        if (i + 1 < p.m_markers.GetSize() && !IsMissingSample(p.m_markers[i + 1]))
          confine.right = std::min(confine.right, (LONG)MapX(std::ceil(p.m_markers[i + 1] * 10) / 10 - 0.1));
        Confine(confine);
        ::SetCursor(::LoadCursor(nullptr, IDC_CROSS));
        SetCapture();
        m_bTracking = 1, m_bBand = 0, m_bBoxPress = 0;
        m_nSelCurve = i, m_nSelPoint = 0;
        return;
      }
      m_bBand = 1;
    }
    m_nAnchorX = m_nCurX = pt.x;
    m_nAnchorY = m_nCurY = pt.y;
    m_bTracking = 1, m_bBoxPress = 0;
    Confine(m_rcDraw);
    SetCapture();
    return;
  }
  if (!inside && m_nExStyle == 4) {
    for (int i = (int)m_scaleBoxes.size() - 1; i >= 0; --i) {
      int which = m_scaleBoxes[(size_t)i][0].PtInRect(pt) ? 0 : m_scaleBoxes[(size_t)i][1].PtInRect(pt) ? 1 : -1;
      if (which < 0) continue;
      m_nSelCurve = i, m_nSelPoint = which == 0 ? 1 : -1;
      SetCapture();
      m_bTracking = 1, m_bBoxPress = 1;
      break;
    }
    if (m_rcPersist.PtInRect(pt)) {
      m_bPersist = !m_bPersist;
      SetCapture();
      m_bTracking = 1, m_bBoxPress = 2;
      m_nSelPoint = 1;
    }
    if (m_bTracking) return;
  }
  CWnd::OnLButtonDown(flags, pt);
}

void CGraphWindow::OnMouseMove(UINT flags, CPoint pt) {
  if (!m_pPlot) {
    CWnd::OnMouseMove(flags, pt);
    return;
  }
  pt = Confined(pt);
  if (m_bTracking && m_nExStyle == 1) {
    CClientDC dc(this);
    DrawFocus(&dc);
    m_nCurX = pt.x, m_nCurY = pt.y;
    m_rcFocus.SetRect(pt.x - 4, pt.y - 4, pt.x + 5, pt.y + 5);
    DrawFocus(&dc);
  } else if (m_bTracking && (m_nExStyle == 2 || m_nExStyle == 3 || (m_nExStyle == 4 && m_bBand))) {
    CClientDC dc(this);
    DrawBand(&dc);
    m_nCurX = pt.x, m_nCurY = pt.y;
    DrawBand(&dc);
    if ((m_nCurX != m_nAnchorX || m_nCurY != m_nAnchorY) && !g_magnify) {
      AfxEnsureFrameworkStrings();
      g_magnify = LoadCursorResource(kMagnifyCursor);
      if (g_magnify) ::SetCursor(g_magnify);
    }
  } else if (m_bTracking && m_nExStyle == 4 && !m_bBoxPress && m_rcDraw.PtInRect(pt)) {
    double t = QW_FRound(GetXCoord(pt.x) * 10) / 10;
    if (t < m_dXMin) t += 0.1;
    if (t > m_dXMax) t -= 0.1;
    int x = MapX(t);
    if (x != m_nCurX) {
      CClientDC dc(this);
      DrawCursorLine(&dc, m_nCurX);
      DrawCursorLine(&dc, x);
      m_nCurX = x;
    }
  }
  if (m_nExStyle >= 2 && m_nExStyle <= 4) {
    CWnd* parent = GetParent();
    if (parent && parent->m_hWnd) {
      LPARAM l = m_rcDraw.PtInRect(pt) ? (LPARAM)(DWORD)((WORD)pt.x | ((DWORD)(WORD)pt.y << 16)) : (LPARAM)-1;
      parent->PostMessage(m_WMGraphCursorMove, (WPARAM)GetDlgCtrlID(), l);
    }
  }
}

void CGraphWindow::OnLButtonUp(UINT flags, CPoint pt) {
  if (!m_bTracking || !m_pPlot) {
    CWnd::OnLButtonUp(flags, pt);
    return;
  }
  pt = Confined(pt);
  CGraphFilter& p = *m_pPlot;
  CMC_Units* units = p.GetUnits();
  bool inside = m_rcDraw.PtInRect(pt) != FALSE;
  if (m_nExStyle == 4 && m_bBoxPress) {
    // The persist flag turned on the press: the field shows it wherever the button comes up.
    if (m_bBoxPress == 2) {
      CClientDC dc(this);
      DrawGraph(&dc, nullptr);
    } else if (!inside && GetScaleBox(m_nSelCurve, m_nSelPoint > 0 ? 0 : 1).PtInRect(pt)) {
      NotifyParent(m_WMGraphOscScaleChange, m_nSelCurve, m_nSelPoint);
    }
    ::ReleaseCapture();
  } else if (m_nExStyle == 1) {
    {
      CClientDC dc(this);
      DrawFocus(&dc);
    }
    ::ReleaseCapture();
    ::ClipCursor(nullptr);
    CXYCurve* c = p.GetAt(m_nSelCurve);
    if (c && c->m_pXCurve && c->m_pYCurve && pt != m_ptStart && m_nSelPoint >= 0 &&
        m_nSelPoint < c->m_pXCurve->GetSize() && m_nSelPoint < c->m_pYCurve->GetSize()) {
      c->m_pXCurve->SetAt(m_nSelPoint, c->TransformXCoordToSavedUnit(GetXCoord(pt.x), units));
      c->m_pYCurve->SetAt(m_nSelPoint, c->TransformYCoordToSavedUnit(GetYCoord(pt.y, c->m_nAxis), units));
      EndTracking();  // a paint while tracking draws nothing
      RefreshWindow();
    }
    NotifyParent(m_WMGraphCursorMove, m_nSelCurve, m_nSelPoint);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  } else if (m_nExStyle == 2 || m_nExStyle == 3 || m_bBand) {
    {
      CClientDC dc(this);
      DrawBand(&dc);
    }
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    if (g_magnify) ::DestroyCursor(g_magnify);
    g_magnify = nullptr;
    ::ReleaseCapture();
    ::ClipCursor(nullptr);
    DoZoomIn();
    if (m_nExStyle == 4) {
      CClientDC dc(this);
      DrawGraph(&dc, nullptr);
    }
  } else if (m_nExStyle == 4) {
    {
      CClientDC dc(this);
      DrawCursorLine(&dc, m_nCurX);
    }
    ::ReleaseCapture();
    ::ClipCursor(nullptr);
    double t = QW_FRound(GetXCoord(pt.x) * 10) / 10;
    if (t < m_dXMin) t += 0.1;
    if (t > m_dXMax) t -= 0.1;
    if (m_nSelCurve >= 0 && m_nSelCurve < p.m_markers.GetSize()) p.m_markers.SetAt(m_nSelCurve, t);
    CClientDC dc(this);
    DrawGraph(&dc, nullptr);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  }
  CWnd::OnLButtonUp(flags, pt);
  EndTracking();
}

void CGraphWindow::OnLButtonDblClk(UINT flags, CPoint pt) {
  if (!m_pPlot || m_nExStyle < 2 || m_nExStyle > 4 || (m_nExStyle == 4 && !m_rcDraw.PtInRect(pt))) {
    CWnd::OnLButtonDblClk(flags, pt);
    return;
  }
  bool all = (flags & MK_SHIFT) && (flags & MK_CONTROL) && ::GetKeyState(VK_MENU) < 0;
  if (all) {
    m_bPersistOption = !m_bPersistOption;
    CClientDC dc(this);
    DrawGraph(&dc, nullptr);
  } else {
    DoZoomPrev();
  }
}

void CGraphWindow::OnRButtonDown(UINT flags, CPoint pt) {
  if (m_pPlot) NotifyParent(m_WMGraphNotify, pt.x, pt.y);
  CWnd::OnRButtonDown(flags, pt);
}

int CGraphWindow::SelectPoint(int curve, int point) {
  if (!m_pPlot) return 0;
  CGraphFilter& p = *m_pPlot;
  std::unique_ptr<CClientDC> dc(m_hWnd ? new CClientDC(this) : nullptr);
  // Each box filled is painted again as well, layered among the curves as a repaint layers it.
  auto fill = [&](CXYCurve* c, int k, COLORREF col) {
    if (!dc || !c || !c->m_pXCurve || !c->m_pYCurve || k < 0) return;
    FillPointBox(dc.get(), c, k, col);
    CRect box = PointBox(c, k);
    if (!box.IsRectEmpty()) InvalidateRect(&box, FALSE);
  };
  if (m_nExStyle == 1) {
    CXYCurve* prev = p.GetAt(m_nSelCurve);
    if (m_nSelPoint >= 0) fill(prev, m_nSelPoint, prev ? prev->m_crColor : 0);
    m_nSelCurve = curve, m_nSelPoint = point;
    CXYCurve* c = p.GetAt(curve);
    if (curve >= 0 && point >= 0 && c) fill(c, point, Highlight(c->m_crColor));
    return 1;
  }
  if (m_nExStyle == 3 && m_pMarked) {
    auto each = [&](int pos, bool highlight) {
      if (pos < 0 || pos >= m_pMarked->GetSize()) return;
      int k = (int)m_pMarked->GetAt(pos);
      for (int i = 0; i < p.GetSize(); ++i) {
        CXYCurve* c = p.GetAt(i);
        if (c && k < c->GetPointCount()) fill(c, k, highlight ? Highlight(c->m_crColor) : c->m_crColor);
      }
    };
    each(m_nSelPoint, false);
    m_nSelCurve = curve, m_nSelPoint = point;
    if (point >= m_pMarked->GetSize()) AfxThrowInvalidArgException();
    each(point, true);
    return 1;
  }
  return 0;
}
