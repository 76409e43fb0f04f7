// Graph window: frames, scales, the oscilloscope graticule, titles, legend and information panel.
#include "plot/curves/AxisScale.h"
#include "plot/graph/DrawHelpers.h"
#include "plot/graph/GraphWindow.h"
#include "plot/curves/PlotUnits.h"

#include "kernel/params/MC_Units.h"
#include "kernel/values/Utilities.h"
#include "platform/gdi/SelectObject.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Both fonts of the window: the plain one and the vertical one of the axis texts.
void MakeFont(CFont& f, int height, int escapement = 0) {
  f.CreateFont(height, 0, escapement, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

CString UnitSuffix(const CString& unit, bool closing) {
  const char* end = closing ? ")" : "";
  if (unit.IsEmpty()) return closing ? CString(")") : CString("");
  if (unit[0] == '\\') return CString("[IU]") + end;
  return "[" + unit + "]" + end;
}

bool Meets(LPCRECT rect, const CRect& r) {
  if (!rect) return true;
  CRect x;
  return x.IntersectRect(rect, &r) != FALSE;
}

bool Finite(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && hi > lo && lo > -1e99 && hi < 1e99; }

}  // namespace

void CGraphWindow::DrawGraph(CDC* dc, LPCRECT rect) {
  if (!m_pPlot) return;
  m_pPlot->ComputeAxis();
  if (m_rcDraw.Width() == 0 || m_rcDraw.Height() == 0) return;
  CFont font;
  MakeFont(font, m_nFontHeight);
  CSelectObject select(dc, &font);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  if (m_nDrawMode == 2)
    DrawPrinterFrames(dc);
  else
    DrawFrame(dc);
  DrawAxis(dc, rect);
  if (!IsCompact()) DrawLabels(dc, rect);
  DrawCurves(dc, rect);
  dc->SetBkMode(oldBk);
}

void CGraphWindow::FastDraw(CDC* dc) {
  if (!m_pPlot || m_rcDraw.Width() == 0) return;
  CFont font;
  MakeFont(font, m_nFontHeight);
  CSelectObject select(dc, &font);
  FastFrame(dc);
  DrawCurves(dc, nullptr);
}

void CGraphWindow::DrawFrame(CDC* dc) {
  COLORREF bk = m_pPlot->m_crBackground;
  CRect client(0, 0, m_nClientW, m_nClientH);
  if (IsOsc()) {
    dc->FillSolidRect(&client, bk);
    return;
  }
  CRgn rest, inner;
  rest.CreateRectRgnIndirect(&client);
  inner.CreateRectRgnIndirect(&m_rcDraw);
  rest.CombineRgn(&rest, &inner, RGN_DIFF);
  CBrush face(GetSysColor(COLOR_BTNFACE));
  dc->FillRgn(&rest, &face);
  dc->FillSolidRect(&m_rcDraw, bk);
  CRect f(m_rcDraw);
  f.InflateRect(3, 3);
  Draw3dFrame(dc, f, 1, 1);
  if (IsCompact()) return;
  int legend = m_nBands[bandLegend];
  Draw3dFrame(dc, CRect(0, 0, m_nClientW + 1, m_nClientH - legend + 1), 1, 0);
  if (legend) Draw3dFrame(dc, CRect(0, m_nClientH - legend, m_nClientW + 1, m_nClientH + 1), 1, 0);
}

void CGraphWindow::DrawPrinterFrames(CDC* dc) {
  CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
  CSelectObject selectPen(dc, &pen);
  CSelectStockObject selectBrush(dc, NULL_BRUSH);
  dc->Rectangle(&m_rcDraw);
}

void CGraphWindow::FastFrame(CDC* dc) {
  COLORREF bk = m_pPlot->m_crBackground;
  if (IsCompact()) {
    // A wide curve reaches onto the frame, which is the whole window's: all of it is drawn again.
    DrawFrame(dc);
    int oldBk = dc->SetBkMode(TRANSPARENT);
    DrawAxis(dc, nullptr);
    dc->SetBkMode(oldBk);
    return;
  }
  CRgn r, part;
  r.CreateRectRgn(0, 0, m_nClientW, m_nClientH - m_nBands[bandLegend] - 2);
  part.CreateRectRgnIndirect(&m_rcDraw);
  r.CombineRgn(&r, &part, RGN_DIFF);
  CRect boxes[4];
  bool vertical[4];
  LabelBoxes(dc, boxes, vertical);
  // The text boxes are drawn over the frames: the frames stay out of those that reach them. A
  // frame's lines lie on the second and third pixels inside its rectangle's left and top edges and
  // on the second inside its right and bottom ones.
  CRect f(m_rcDraw);
  f.InflateRect(3, 3);
  const CRect frameRects[2] = {f, CRect(0, 0, m_nClientW + 1, m_nClientH - m_nBands[bandLegend] + 1)};
  auto reachesFrame = [&](const CRect& b) {
    for (const CRect& fr : frameRects) {
      const CRect lines(fr.left + 1, fr.top + 1, fr.right - 1, fr.bottom - 1),
          inside(fr.left + 3, fr.top + 3, fr.right - 2, fr.bottom - 2);
      CRect both;
      const bool within = b.left >= inside.left && b.right <= inside.right && b.top >= inside.top && b.bottom <= inside.bottom;
      if (both.IntersectRect(&b, &lines) && !within) return true;
    }
    return false;
  };
  CRgn frames;
  bool framesClipped = false;
  for (CRect& b : boxes) {
    if (b.IsRectEmpty()) continue;
    CRgn box;
    box.CreateRectRgnIndirect(&b);
    r.CombineRgn(&r, &box, RGN_DIFF);
    if (IsOsc() || !reachesFrame(b)) continue;
    if (!framesClipped) frames.CreateRectRgn(0, 0, m_nClientW + 1, m_nClientH + 1);
    frames.CombineRgn(&frames, &box, RGN_DIFF);
    framesClipped = true;
  }
  dc->FillSolidRect(&m_rcDraw, bk);
  CBrush fill(IsOsc() ? bk : GetSysColor(COLOR_BTNFACE));
  dc->FillRgn(&r, &fill);
  if (!IsOsc()) {
    if (framesClipped) dc->SelectClipRgn(&frames);
    Draw3dFrame(dc, frameRects[0], 1, 1);
    Draw3dFrame(dc, frameRects[1], 1, 0);
    if (framesClipped) dc->SelectClipRgn(nullptr);
  }
  CRgn clip;
  clip.CreateRectRgn(0, 0, 0, 0);
  clip.CombineRgn(&r, &part, RGN_OR);
  dc->SelectClipRgn(&clip);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  DrawAxis(dc, nullptr);
  dc->SetBkMode(oldBk);
  dc->SelectClipRgn(nullptr);
}

// The boxes of the X text, the title and the two vertical axis texts (empty when not shown).
void CGraphWindow::LabelBoxes(CDC* dc, CRect boxes[4], bool vertical[4]) {
  int w = m_nClientW, h = m_nClientH, font = m_nFontHeight, legend = m_nBands[bandLegend];
  for (int i = 0; i < 4; ++i) boxes[i].SetRectEmpty(), vertical[i] = i >= 2;
  CString x;
  GetXLabel(x);
  if (!x.IsEmpty()) {
    CSize s = dc->GetTextExtent(x);
    boxes[0].SetRect(w / 2 - font - s.cx / 2, h - m_nBands[bandXText] - legend, w / 2 + font + s.cx / 2, h - legend - 2);
  }
  if (!m_pPlot->m_strTitle.IsEmpty()) {
    CSize s = dc->GetTextExtent(m_pPlot->m_strTitle);
    boxes[1].SetRect(w / 2 - font - s.cx / 2, 2, w / 2 + font + s.cx / 2, s.cy + 6);
  }
  CFont vfont;
  MakeFont(vfont, font, 900);
  CSelectObject select(dc, &vfont);
  int mid = (m_rcDraw.top + m_rcDraw.bottom) / 2;
  if (m_pPlot->m_bHasAxis1 && !m_pPlot->m_strLabel1.IsEmpty()) {
    CSize s = dc->GetTextExtent(m_pPlot->m_strLabel1);
    int lt = m_nBands[bandLeftText];
    boxes[2].SetRect(lt - s.cy, mid - s.cx / 2 - font, lt + 4, mid + s.cx / 2 + font);
  }
  if (m_pPlot->m_bHasAxis2 && !m_pPlot->m_strLabel2.IsEmpty()) {
    CSize s = dc->GetTextExtent(m_pPlot->m_strLabel2);
    int x0 = m_rcDraw.right + m_nBands[bandRightScale];
    boxes[3].SetRect(x0 - 4, mid - s.cx / 2 - font, x0 + s.cy, mid + s.cx / 2 + font);
  }
}

void CGraphWindow::DrawAxis(CDC* dc, LPCRECT rect) {
  // The scales stand around the drawing rectangle and the lines end on its far edges: an update
  // among them alone draws them too.
  CRect lines(m_rcDraw);
  lines.InflateRect(0, 0, 1, 1);
  const CRect scales(0, 0, m_nClientW, m_nClientH - m_nBands[bandLegend]);
  if (!m_pPlot || !(Meets(rect, lines) || Meets(rect, scales))) return;
  if (IsOsc()) {
    DrawOscAxis(dc);
    return;
  }
  COLORREF axis = m_nDrawMode == 2 ? RGB(0, 0, 0) : m_pPlot->m_crAxis;
  CPen pen(PS_SOLID, 1, axis);
  CSelectObject select(dc, &pen);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  if (m_dXMin < 0 && 0 < m_dXMax) {
    fMoveTo(dc, 0, m_dY1Min, 1);
    fLineTo(dc, 0, m_dY1Max, 1);
  }
  DrawScale(dc, 0);
  if (m_dY1Min < 0 && 0 < m_dY1Max) {
    fMoveTo(dc, m_dXMin, 0, 1);
    fLineTo(dc, m_dXMax, 0, 1);
  }
  DrawScale(dc, 1);
  if (m_pPlot->m_bHasAxis2) {
    if (!m_pPlot->m_bHasAxis1 && m_dY2Min < 0 && 0 < m_dY2Max) {
      fMoveTo(dc, m_dXMin, 0, 2);
      fLineTo(dc, m_dXMax, 0, 2);
    }
    DrawScale(dc, 2);
  }
  dc->SetBkMode(oldBk);
}

// Ticks, grid and labels of one scale: 0 the X axis, 1 the left Y axis, 2 the right Y axis.
void CGraphWindow::DrawScale(CDC* dc, int which) {
  double lo = which == 0 ? m_dXMin : YMin(which), hi = which == 0 ? m_dXMax : YMax(which);
  if (!Finite(lo, hi)) return;
  int exp;
  double offset;
  double step = ComputeAxisScale(lo, hi, 5, &exp, &offset);
  if (!(step > 0)) return;
  if (std::abs(exp) < 3) exp = 0;
  bool labels = !IsCompact();
  bool grid = m_pPlot->m_bGrid != 0;
  bool has1 = m_pPlot->m_bHasAxis1 != 0, has2 = m_pPlot->m_bHasAxis2 != 0;
  double scale = PowerOfTen(-exp);
  UINT oldAlign = dc->SetTextAlign(which == 0 ? TA_CENTER | TA_TOP : TA_LEFT | TA_TOP);
  int prevRight = 0, prevTop = m_nClientH;
  double xspan = m_dXMax - m_dXMin;
  for (int i = lo > 0 ? 1 : 0, guard = 0; guard < 10000; ++i, ++guard) {
    double v = lo + offset + i * step;
    if (which == 0) {
      fMoveTo(dc, v, m_dY1Min, 1);
      fLineTo(dc, v, grid ? m_dY1Max : m_dY1Min + 0.03 * (m_dY1Max - m_dY1Min), 1);
    } else if (which == 1) {
      fMoveTo(dc, m_dXMin, v, 1);
      fLineTo(dc, grid && (has1 || !has2) ? m_dXMax : m_dXMin + 0.015 * xspan, v, 1);
    } else {
      fMoveTo(dc, m_dXMax, v, 2);
      fLineTo(dc, grid && !has1 ? m_dXMin : m_dXMax - 0.015 * xspan, v, 2);
    }
    if (labels) {
      char text[25];
      if (std::fabs(v / (hi - lo)) < 1e-5)
        std::snprintf(text, sizeof text, "0");
      else
        std::snprintf(text, sizeof text, "%.*f", 3, v * scale);
      TrimNumberString(text);
      CSize s = dc->GetTextExtent(text, (int)strlen(text));
      if (which == 0) {
        int px = MapX(v);
        if (px - s.cx / 2 - 4 > prevRight) {
          dc->TextOut(px, MapY(m_dY1Min, 1) + 2, text, (int)strlen(text));
          prevRight = px + s.cx / 2;
        }
      } else {
        int py = MapY(v, which);
        if (py + 1 + s.cy / 2 < prevTop) {
          CRect r = which == 1 ? CRect(m_nBands[bandLeftText] + 2, py - s.cy / 2, MapX(m_dXMin) - 2, py - s.cy / 2 + s.cy)
                               : CRect(MapX(m_dXMax) + 2, py - s.cy / 2, m_nClientW - m_nBands[bandRightText] - 2,
                                       py - s.cy / 2 + s.cy);
          UINT f = (which == 1 ? DT_RIGHT : DT_LEFT) | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
          dc->DrawText(text, (int)strlen(text), &r, f);
          prevTop = py - s.cy / 2;
        }
      }
    }
    double next = lo + offset + (i + 1) * step;
    if (!(v <= hi - step) || !(next > v)) break;
  }
  if (labels) {
    CString e;
    if (exp != 0) e.Format("x1e%d", exp);
    if (which == 0 && !e.IsEmpty()) {
      dc->SetTextAlign(TA_RIGHT | TA_TOP);
      dc->TextOut(MapX(m_dXMax), m_nClientH - m_nBands[bandXText] - m_nBands[bandLegend] + 2, e);
    } else if (which == 1 && !e.IsEmpty()) {
      dc->SetTextAlign(TA_LEFT | TA_BOTTOM);
      dc->TextOut(MapX(m_dXMin) - 2, MapY(m_dY1Max, 1) - 2, e);
    } else if (which == 2) {
      dc->SetTextAlign(TA_RIGHT | TA_BOTTOM);
      int ew = 0;
      if (!e.IsEmpty()) {
        dc->TextOut(MapX(m_dXMax) + 2, MapY(m_dY2Max, 2) - 2, e);
        ew = dc->GetTextExtent(e).cx;
      }
      dc->TextOut(MapX(m_dXMax) + 3 + ew, MapY(m_dY2Max, 2) - 2, CString(" [YR]"));
    }
  }
  dc->SetTextAlign(oldAlign);
}

void CGraphWindow::DrawOscAxis(CDC* dc) {
  CGraphFilter& p = *m_pPlot;
  COLORREF axis = m_nDrawMode == 2 ? RGB(0, 0, 0) : p.m_crAxis;
  int oldBk = dc->SetBkMode(TRANSPARENT);
  {
    CPen thick(PS_SOLID, 3, axis);
    CSelectObject select(dc, &thick);
    if (m_dXMin < 0 && 0 < m_dXMax) fMoveTo(dc, 0, m_dY1Min, 1), fLineTo(dc, 0, m_dY1Max, 1);
    if (m_dY1Min < 0 && 0 < m_dY1Max) fMoveTo(dc, m_dXMin, 0, 1), fLineTo(dc, m_dXMax, 0, 1);
    fMoveTo(dc, m_dXMin, m_dY1Min, 1);
    fLineTo(dc, m_dXMin, m_dY1Max, 1);
    fLineTo(dc, m_dXMax, m_dY1Max, 1);
    fLineTo(dc, m_dXMax, m_dY1Min, 1);
    fLineTo(dc, m_dXMin, m_dY1Min, 1);
  }
  {
    CFont small;
    MakeFont(small, 12);
    CSelectObject select(dc, &small);
    COLORREF oldText = dc->SetTextColor(axis);
    UINT oldAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    CString t;
    t.Format("%.3f div", m_dY1Max);
    dc->TextOut(m_rcDraw.left + 4, m_rcDraw.top + 2, t);
    dc->SetTextAlign(TA_LEFT | TA_BOTTOM);
    t.Format("%.3f div", m_dY1Min);
    dc->TextOut(m_rcDraw.left + 4, m_rcDraw.bottom - 12, t);
    dc->SetTextColor(p.m_crCursor);
    t.Format("%.3f div", m_dXMin);
    dc->TextOut(m_rcDraw.left + 10, m_rcDraw.bottom - 1, t);
    dc->SetTextAlign(TA_RIGHT | TA_BOTTOM);
    t.Format("%.3f div", m_dXMax);
    dc->TextOut(m_rcDraw.right - 4, m_rcDraw.bottom - 1, t);
    dc->SetTextAlign(oldAlign);
    dc->SetTextColor(oldText);
  }
  {
    CPen thin(PS_SOLID, 1, axis);
    CSelectObject select(dc, &thin);
    // One direction of the graticule: lines at whole divisions, minor ticks across the other zero line.
    auto graticule = [&](bool alongX) {
      double lo = alongX ? m_dXMin : m_dY1Min, hi = alongX ? m_dXMax : m_dY1Max;
      double olo = alongX ? m_dY1Min : m_dXMin, ohi = alongX ? m_dY1Max : m_dXMax;
      double t = (std::fabs(ohi) + std::fabs(olo)) * 0.1 / 10;
      auto line = [&](double v) {
        if (!(lo < v && v < hi)) return;
        bool whole = std::fabs(v - QW_Round(v)) <= 0.001;
        if (!whole && !(olo < 0 && 0 < ohi)) return;
        double a = whole ? olo : -t, b = whole ? ohi : t;
        if (alongX)
          fMoveTo(dc, v, a, 1), fLineTo(dc, v, b, 1);
        else
          fMoveTo(dc, a, v, 1), fLineTo(dc, b, v, 1);
      };
      if (hi >= 0.199)
        for (int k = 1; k < 100000 && k * 0.2 - 0.001 <= hi; ++k) line(k * 0.2);
      if (lo <= -0.199)
        for (int k = 1; k < 100000 && lo <= -k * 0.2 + 0.001; ++k) line(-k * 0.2);
    };
    graticule(true);
    graticule(false);
  }
  {
    CPen dotted(PS_DOT, 1, p.m_crCursor);
    CSelectObject select(dc, &dotted);
    for (int i = p.m_markers.GetSize() - 1; i >= 0; --i) {
      double t = p.m_markers[i];
      if (IsMissingSample(t) || !(m_dXMin < t && t < m_dXMax)) continue;
      fMoveTo(dc, t, m_dY1Min, 1);
      fLineTo(dc, t, m_dY1Max, 1);
    }
  }
  DrawTrigger(dc);
  for (int i = 0; i < p.GetSize(); ++i) {
    CXYCurve* c = p.GetAt(i);
    if (!c || !c->m_pYCurve) continue;
    double o = c->GetYOscOffset();
    if (o == 0 || IsMissingSample(o)) continue;
    CPen pen(PS_SOLID, 1, c->m_crColor);
    CSelectObject selectPen(dc, &pen);
    CSelectStockObject selectBrush(dc, HOLLOW_BRUSH);
    int x0 = m_rcDraw.left - 1;
    if (o >= m_dY1Min && o <= m_dY1Max) {
      int py = MapY(o, 1);
      dc->MoveTo(x0, py);
      dc->LineTo(x0 - 6, py);
      if (o < 0)
        dc->Ellipse(x0 - 5, py - 10, x0 - 1, py - 3);
      else
        dc->Ellipse(x0 - 5, py + 3, x0 - 1, py + 10);
    } else {
      bool below = o < m_dY1Min;
      int p0 = below ? MapY(m_dY1Min, 1) + 7 : MapY(m_dY1Max, 1) - 7, d = below ? -6 : 6;
      dc->MoveTo(x0, p0 + d);
      dc->LineTo(x0 - 3, p0);
      dc->MoveTo(x0 - 6, p0 + d);
      dc->LineTo(x0 - 3, p0);
      if (below)
        dc->Ellipse(x0 - 5, p0 - 14, x0 - 1, p0 - 7);
      else
        dc->Ellipse(x0 - 5, p0 + 7, x0 - 1, p0 + 14);
    }
  }
  dc->SetBkMode(oldBk);
}

// The trigger time above the plot and the trigger level at its right edge, as small triangles.
int CGraphWindow::DrawTrigger(CDC* dc) {
  CGraphFilter& p = *m_pPlot;
  auto triangle = [&](COLORREF c, POINT a, POINT b, POINT d) {
    CPen pen(PS_SOLID, 1, c);
    CBrush brush(c);
    CSelectObject selectPen(dc, &pen);
    CSelectObject selectBrush(dc, &brush);
    POINT pts[3] = {a, b, d};
    dc->Polygon(pts, 3);
  };
  int drawn = 0;
  double time = p.m_dCursor1;
  if (!IsMissingSample(time)) {
    int y = m_rcDraw.top - 1;
    if (time < m_dXMin) {
      int x = MapX(m_dXMin);
      triangle(p.m_crCursor, {x + 6, y}, {x, y - 3}, {x + 6, y - 6});
    } else if (time > m_dXMax) {
      int x = MapX(m_dXMax);
      triangle(p.m_crCursor, {x - 6, y}, {x, y - 3}, {x - 6, y - 6});
    } else {
      int x = MapX(time);
      triangle(p.m_crCursor, {x - 6, y - 6}, {x, y}, {x + 6, y - 6});
    }
    ++drawn;
  }
  CXYCurve* c = p.GetAt(p.m_nCursorCurve);
  if (c && !IsMissingSample(p.m_dCursor2)) {
    double level = c->TransformSavedUnitToYCoord(p.m_dCursor2, p.GetUnits());
    if (IsMissingSample(level)) return drawn;
    int x = m_rcDraw.right + 1;
    if (level > m_dY1Max) {
      int q = MapY(m_dY1Max, 1);
      triangle(c->m_crColor, {x, q - 1}, {x + 3, q - 7}, {x + 6, q - 1});
    } else if (level < m_dY1Min) {
      int q = MapY(m_dY1Min, 1);
      triangle(c->m_crColor, {x, q + 1}, {x + 3, q + 7}, {x + 6, q + 1});
    } else {
      int py = MapY(level, 1);
      triangle(c->m_crColor, {x + 6, py - 6}, {x, py}, {x + 6, py + 6});
    }
    ++drawn;
  }
  return drawn;
}

void CGraphWindow::GetXLabel(CString& text) {
  text.Empty();
  if (!m_pPlot || m_pPlot->GetSize() == 0) return;
  CXYCurve* first = m_pPlot->GetAt(0);
  if (!first || !first->m_pXCurve || first->m_pXCurve->m_strName.IsEmpty()) return;
  for (int i = 1; i < m_pPlot->GetSize(); ++i) {
    CXYCurve* c = m_pPlot->GetAt(i);
    if (!c || c->m_nXCurve != first->m_nXCurve || c->m_strXUnit != first->m_strXUnit) return;
  }
  text = " " + first->m_pXCurve->m_strName;
  const CString& unit = first->m_strXUnit;
  if (!unit.IsEmpty()) text += (unit[0] == '\\' ? CString("[IU]") : "[" + unit + "]") + " ";
}

void CGraphWindow::DrawLabels(CDC* dc, LPCRECT rect) {
  if (!m_pPlot) return;
  if (IsOsc()) {
    DrawOscPanel(dc, rect);
    return;
  }
  bool screen = m_nDrawMode == 1;
  int w = m_nClientW, h = m_nClientH, font = m_nFontHeight;
  UINT oldAlign = dc->SetTextAlign(TA_CENTER | TA_TOP);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  CRect boxes[4];
  bool vertical[4];
  LabelBoxes(dc, boxes, vertical);
  CString x;
  GetXLabel(x);
  if (!boxes[0].IsRectEmpty()) {
    if (screen) Draw3dFrame(dc, boxes[0], 1, 5);
    dc->TextOut(w / 2, boxes[0].top + 2, x);
  }
  if (!boxes[1].IsRectEmpty()) {
    if (screen) Draw3dFrame(dc, boxes[1], 1, 5);
    dc->TextOut(w / 2, 4, m_pPlot->m_strTitle);
  }
  {
    CFont vfont;
    MakeFont(vfont, font, 900);
    CSelectObject select(dc, &vfont);
    int mid = (m_rcDraw.top + m_rcDraw.bottom) / 2;
    if (!boxes[2].IsRectEmpty()) {
      if (screen) Draw3dFrame(dc, boxes[2], 1, 5);
      dc->SetTextAlign(TA_CENTER | TA_BOTTOM);
      dc->TextOut(m_nBands[bandLeftText] + 2, mid, m_pPlot->m_strLabel1);
    }
    if (!boxes[3].IsRectEmpty()) {
      if (screen) Draw3dFrame(dc, boxes[3], 1, 5);
      dc->SetTextAlign(TA_CENTER | TA_TOP);
      dc->TextOut(m_rcDraw.right + m_nBands[bandRightScale] - 2, mid, m_pPlot->m_strLabel2);
    }
  }
  dc->SetTextAlign(TA_LEFT | TA_TOP);
  int entry = 0;
  for (int i = 0; i < m_pPlot->GetSize() && entry < 4; ++i) {
    CXYCurve* c = m_pPlot->GetAt(i);
    if (!c || !c->m_pXCurve || !c->m_pYCurve || c->m_pYCurve->m_strName.IsEmpty()) continue;
    CString t = " ";
    if (c->m_nAxis == 2) t += "{YR}";
    t += c->m_pYCurve->m_strName + UnitSuffix(c->m_strYUnit, false);
    if (x.IsEmpty()) t += "(" + c->m_pXCurve->m_strName + UnitSuffix(c->m_strXUnit, true);
    t += " ";
    CSize s = dc->GetTextExtent(t);
    int col = entry % 2, row = entry / 2;
    CRect box;
    if (m_nLegend == 1) {
      box.left = w / 2 - s.cx / 2 - 4, box.right = w / 2 + s.cx / 2 + 4;
      if (box.left <= 0) box.left = 1, box.right = w - 1;
    } else {
      int centre = col * w / 2 + w / 4;
      box.left = centre - (s.cx / 2 + 4), box.right = centre + s.cx / 2 + 4;
      if (box.left <= col * w / 2) box.left = col * w / 2 + 1, box.right = (col + 1) * w / 2 - 1;
    }
    box.top = h - m_nBands[bandLegend] + 3 + row * (s.cy + 6);
    box.bottom = box.top + s.cy + 5;
    CRect inset(box.left + 4, box.top + 2, box.right - 4, box.bottom - 3);
    if (screen) {
      Draw3dFrame(dc, box, 1, 1);
      dc->DrawText(t, &inset, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    } else {
      dc->TextOut(inset.left, inset.top, t);
    }
    CPen pen(c->m_nPenStyle, 1, c->m_crColor);
    CSelectObject select(dc, &pen);
    dc->MoveTo(inset.left, inset.bottom - 1);
    dc->LineTo(inset.right, inset.bottom - 1);
    ++entry;
  }
  dc->SetBkMode(oldBk);
  dc->SetTextAlign(oldAlign);
}

void CGraphWindow::DrawOscPanel(CDC* dc, LPCRECT rect) {
  CGraphFilter& p = *m_pPlot;
  const bool printing = m_nDrawMode == 2;
  int sx, sy;
  if (m_rcDraw.right + 14 < m_nClientW)
    sx = m_rcDraw.right + 14, sy = 7;
  else if (m_rcDraw.bottom + 14 < m_nClientH)
    sx = 7, sy = m_rcDraw.bottom + 14;
  else {
    if (!printing) m_rcPersist.SetRectEmpty();
    return;
  }
  if (rect && (rect->right <= sx || rect->bottom <= sy)) return;
  // A persist field no longer drawn must not take clicks where it was.
  if (!printing) m_rcPersist.SetRectEmpty();
  CMC_Units* units = p.GetUnits();
  UINT oldAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
  int oldBk = dc->SetBkMode(TRANSPARENT);
  COLORREF oldText = dc->GetTextColor();
  int tab = dc->GetTextExtent(CString("Cursor diff  ")).cx;
  int y = sy;
  auto line = [&](const CString& s, COLORREF c) {
    dc->SetTextColor(c);
    CSize size = dc->TabbedTextOut(sx, y, s, 1, &tab, sx);
    CRect r(sx, y, sx + size.cx, y + size.cy);
    y += size.cy;
    return r;
  };
  auto outline = [&](const CRect& r, COLORREF c) {
    CBrush b(c);
    dc->FrameRect(&r, &b);
  };
  CDWordArray indices;
  CXYCurve* timing = nullptr;
  for (int i = 0; i < p.GetSize() && !timing; ++i)
    if (p.GetAt(i) && p.GetAt(i)->m_pXCurve) timing = p.GetAt(i);
  if (timing) {
    CCurve* xs = timing->m_pXCurve;
    double span = p.m_dXMax - p.m_dXMin;
    std::vector<double> times{IsMissingSample(p.m_dCursor1) ? p.m_dXMin : p.m_dCursor1};
    for (int i = 0; i < p.m_markers.GetSize(); ++i) times.push_back(p.m_markers[i]);
    for (double t : times) {
      if (indices.GetSize() >= 3 || IsMissingSample(t) || t < p.m_dXMin || t > p.m_dXMax || span <= 0) break;
      indices.Add((DWORD)std::max(0.0, QW_FRound((t - p.m_dXMin) / span * (xs->GetSize() - 1))));
    }
    CString scale;
    CStringArray values;
    xs->GetOscInfo(units, scale, indices, values);
    CString s;
    s.Format("Time base\t: %s", (LPCSTR)scale);
    line(s, p.m_crCursor);
    if (values.GetSize() == 2) {
      s.Format("Cursor\t: %s", (LPCSTR)values[1]);
      line(s, p.m_crCursor);
    } else if (values.GetSize() == 3) {
      s.Format("Cursor 1\t: %s", (LPCSTR)values[1]);
      line(s, p.m_crCursor);
      s.Format("Cursor diff\t: %s", (LPCSTR)values[2]);
      line(s, p.m_crCursor);
    }
    if (m_bPersistOption && !printing) {
      CString head = "Persist\t: ";
      int x0 = sx + dc->GetTabbedTextExtent(head, 1, &tab).cx;
      dc->SetTextColor(p.m_crCursor);
      dc->TabbedTextOut(sx, y, head, 1, &tab, sx);
      CString state = m_bPersist ? " ON " : " OFF ";
      CSize size = dc->GetTextExtent(state);
      dc->TextOut(x0, y, state);
      m_rcPersist.SetRect(x0, y, x0 + size.cx, y + size.cy);
      outline(m_rcPersist, p.m_crCursor);
      y += size.cy;
    }
    if (indices.GetSize() > 0) indices.RemoveAt(0);
  }
  // A page has no boxes to click: the window's stay where the screen shows them.
  if (!printing) m_scaleBoxes.assign((size_t)p.GetSize(), {CRect(0, 0, 0, 0), CRect(0, 0, 0, 0)});
  for (int i = 0; i < p.GetSize(); ++i) {
    CXYCurve* c = p.GetAt(i);
    if (!c || !c->m_pYCurve) continue;
    CCurve* ys = c->m_pYCurve;
    y += 7;
    CString scale;
    CStringArray values;
    ys->GetOscInfo(units, scale, indices, values);
    CString s;
    s.Format("%s [%s]  ", (LPCSTR)ys->m_strName, (LPCSTR)scale);
    CRect r = line(s, c->m_crColor);
    if (!printing) {
      CString boxes = " <  > ";
      CSize size = dc->GetTextExtent(boxes);
      dc->TextOut(r.right, r.top, boxes);
      CRect left(r.right, r.top, r.right + size.cx / 2, r.top + size.cy);
      CRect right(left.right, r.top, r.right + size.cx, r.top + size.cy);
      outline(left, c->m_crColor);
      outline(right, c->m_crColor);
      m_scaleBoxes[(size_t)i] = {left, right};
    }
    if (ys->m_dOscOffset != 0) {
      CString num;
      num.Format("%lg", ys->m_dOscOffset);
      MinimizeFloatFormat(num, 0);
      CString unit = CMC_Units::IsInternalUnit(ys->m_strDisplayUnit) ? CString("IU") : ys->m_strDisplayUnit;
      s.Format("Offset\t: %s %s", (LPCSTR)num, (LPCSTR)unit);
      line(s, c->m_crColor);
    }
    if (values.GetSize() == 1) {
      s.Format("Cursor\t: %s", (LPCSTR)values[0]);
      line(s, c->m_crColor);
    } else if (values.GetSize() >= 2) {
      s.Format("Cursor 1\t: %s", (LPCSTR)values[0]);
      line(s, c->m_crColor);
      s.Format("Cursor diff\t: %s", (LPCSTR)values[1]);
      line(s, c->m_crColor);
    }
  }
  dc->SetTextColor(oldText);
  dc->SetBkMode(oldBk);
  dc->SetTextAlign(oldAlign);
}
