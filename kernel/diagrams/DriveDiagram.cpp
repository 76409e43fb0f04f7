#include "kernel/diagrams/DriveDiagram.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/SelectObject.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Angles run clockwise from the top.
CPoint PointAt(int cx, int cy, double a, double rx, double ry) {
  return CPoint((int)std::lround(cx + std::sin(a) * rx), (int)std::lround(cy - std::cos(a) * ry));
}

void Line(CDC& dc, CPoint from, CPoint to) {
  dc.MoveTo(from);
  dc.LineTo(to);
}

}  // namespace

// ---- CDriveDiagram -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDriveDiagram, CStatic)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CDriveDiagram::RepaintDiagram() {
  Invalidate(TRUE);
  UpdateWindow();
}

void CDriveDiagram::RepaintIfCreated() {
  if (m_hWnd) RepaintDiagram();
}

void CDriveDiagram::EnableDiagram() {
  if (m_enabled) return;
  m_enabled = 1;
  Changed();
}

void CDriveDiagram::DisableDiagram() {
  if (!m_enabled) return;
  m_enabled = 0;
  Changed();
}

void CDriveDiagram::OnPaint() {
  BeforePaint();
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  // Drawn off screen and copied in one block, so the picture never flickers.
  CDC mem;
  CBitmap bitmap;
  if (!mem.CreateCompatibleDC(&paint) || !bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height())) {
    DoPaint(paint, client);
    return;
  }
  CBitmap* old = mem.SelectObject(&bitmap);
  DoPaint(mem, client);
  paint.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
}

CRect CDriveDiagram::Background(CDC& dc, CRect rect, bool inset) {
  dc.FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
  if (inset) rect.DeflateRect(3, 3);
  return rect;
}

// ---- CEncoderDiagram and CPhaseDiagram --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CEncoderDiagram, CDriveDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CEncoderDiagram::SetTheta(double theta) { Set(m_theta, theta); }

void CEncoderDiagram::SetEnabledColor(COLORREF c) { Set(m_enabledColor, c); }
void CEncoderDiagram::SetDisabledColor(COLORREF c) { Set(m_disabledColor, c); }
void CEncoderDiagram::SetCircleColor(COLORREF c) { Set(m_circleColor, c); }
void CEncoderDiagram::SetRedLineColor(COLORREF c) { Set(m_redLineColor, c); }

void CEncoderDiagram::DrawDisc(CDC& dc, const CRect& r) {
  CPen pen(PS_SOLID, 2, m_circleColor);
  CBrush brush(m_enabled ? m_enabledColor : m_disabledColor);
  CPen* oldPen = dc.SelectObject(&pen);
  CBrush* oldBrush = dc.SelectObject(&brush);
  dc.Ellipse(&r);
  dc.SelectObject(oldBrush);
  dc.SelectObject(oldPen);
}

void CEncoderDiagram::DrawPointer(CDC& dc, const CRect& r) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  CPen pen(PS_SOLID, 2, m_redLineColor);
  CPen* old = dc.SelectObject(&pen);
  Line(dc, CPoint(cx, cy), PointAt(cx, cy, m_theta, (r.right - r.left) / 2 - 5, (r.bottom - r.top) / 2 - 5));
  dc.SelectObject(old);
}

void CEncoderDiagram::DoPaint(CDC& dc, CRect rect) {
  CRect r = Background(dc, rect, true);
  DrawDisc(dc, r);
  DrawPointer(dc, r);
}

BEGIN_MESSAGE_MAP(CPhaseDiagram, CEncoderDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CPhaseDiagram::DoPaint(CDC& dc, CRect rect) {
  CRect r = Background(dc, rect, true);
  DrawDisc(dc, r);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  double rx = (r.right - r.left) / 2, ry = (r.bottom - r.top) / 2;
  const double angles[3] = {0, 2 * kPi / 3, 4 * kPi / 3};
  CPen axis(PS_SOLID, 2, m_circleColor);
  CPen* oldPen = dc.SelectObject(&axis);
  for (double a : angles) Line(dc, CPoint(cx, cy), PointAt(cx, cy, a, rx, ry));
  LOGBRUSH lb{BS_SOLID, m_circleColor, 0};
  CPen winding;
  winding.CreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, 8, &lb);
  dc.SelectObject(&winding);
  dc.SetBkMode(TRANSPARENT);
  for (double a : angles) Line(dc, PointAt(cx, cy, a, 0.2 * rx, 0.2 * ry), PointAt(cx, cy, a, 0.8 * rx, 0.8 * ry));
  dc.SelectObject(oldPen);
  UINT oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
  dc.TextOut(cx + 5, cy - (r.bottom - r.top) / 2, "A", 1);
  CPoint b = PointAt(cx, cy, angles[1], rx, ry), c = PointAt(cx, cy, angles[2], rx, ry);
  dc.TextOut(b.x, b.y, "B", 1);
  dc.SetTextAlign(TA_RIGHT | TA_TOP);
  dc.TextOut(c.x, c.y, "C", 1);
  dc.SetTextAlign(oldAlign);
  DrawPointer(dc, r);
}

// ---- CHallDiagram and CLinearHallDiagram --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CHallDiagram, CDriveDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CHallDiagram::Changed() {
  if (m_repaintOnChange) RepaintIfCreated();
}

void CHallDiagram::SetEnabledColor(COLORREF c) { Set(m_enabledColor, c); }
void CHallDiagram::SetDisabledColor(COLORREF c) { Set(m_disabledColor, c); }
void CHallDiagram::SetCircleColor(COLORREF c) { Set(m_outlineColor, c); }
void CHallDiagram::SetActiveSliceColor(COLORREF c) { Set(m_activeColor, c); }
void CHallDiagram::SetInactiveSliceColor(COLORREF c) { Set(m_inactiveColor, c); }

void CHallDiagram::SetSliceNumber(int n) {
  if (n >= 1 && n <= kMaxSlices) Set(m_slices, n);
}

WORD CHallDiagram::GetSliceStatus(int index) const { return index >= 0 && index < kMaxSlices ? m_states[index] : 0; }

void CHallDiagram::SetSliceStatus(int index, WORD state) {
  if (index >= 0 && index < kMaxSlices) m_states[index] = state;
}

void CHallDiagram::ResetDiagramStatus() {
  std::fill(std::begin(m_states), std::end(m_states), WORD{0});
  Changed();
}

COLORREF CHallDiagram::SliceColor(int index) const {
  if (!m_enabled) return m_disabledColor;
  WORD s = m_states[index];
  return s == 1 ? m_inactiveColor : s == 2 ? m_activeColor : m_enabledColor;
}

void CHallDiagram::DoPaint(CDC& dc, CRect rect) {
  CRect r = Background(dc, rect, true);
  if (m_slices < 1) return;
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  double rx = (r.right - r.left) / 2 + 1, ry = (r.bottom - r.top) / 2 + 1;
  CPen pen(PS_SOLID, 2, m_outlineColor);
  CPen* oldPen = dc.SelectObject(&pen);
  double step = 2 * kPi / m_slices;
  for (int i = 0; i < m_slices; ++i) {
    CBrush brush(SliceColor(i));
    CBrush* oldBrush = dc.SelectObject(&brush);
    // A pie runs counter-clockwise from its start: the clockwise slice starts at its far edge.
    dc.Pie(&r, PointAt(cx, cy, (i + 1) * step, rx, ry), PointAt(cx, cy, i * step, rx, ry));
    dc.SelectObject(oldBrush);
  }
  dc.SelectObject(oldPen);
}

BEGIN_MESSAGE_MAP(CLinearHallDiagram, CHallDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CLinearHallDiagram::DoPaint(CDC& dc, CRect rect) {
  CRect r = Background(dc, rect, true);
  if (m_slices < 1) return;
  int n = m_slices;
  int w = (r.right - (2 * n + 2)) - r.left;
  int q = w / n, m = w % n;
  CPen pen(PS_SOLID, 2, m_outlineColor);
  CPen* oldPen = dc.SelectObject(&pen);
  for (int i = 0; i < n; ++i) {
    int left = r.left + m / 2 + i * (q + 2);
    CBrush brush(SliceColor(i));
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(left, r.top, left + q + 4, r.bottom);
    dc.SelectObject(oldBrush);
  }
  dc.SelectObject(oldPen);
}

// ---- CLinearEncoderDiagram ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CLinearEncoderDiagram, CDriveDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void CLinearEncoderDiagram::SetLimits(int lower, int upper) {
  m_lower = lower;
  Set(m_upper, upper);
}

void CLinearEncoderDiagram::SetPosition(int position) { Set(m_position, position); }

void CLinearEncoderDiagram::SetDisabledColor(COLORREF c) { Set(m_disabledColor, c); }
void CLinearEncoderDiagram::SetFixedPartColor(COLORREF c) { Set(m_fixedColor, c); }
void CLinearEncoderDiagram::SetMovingPartColor(COLORREF c) { Set(m_movingColor, c); }
void CLinearEncoderDiagram::SetBorderLineColor(COLORREF c) { Set(m_borderColor, c); }
void CLinearEncoderDiagram::SetRedLineColor(COLORREF c) { Set(m_redLineColor, c); }

void CLinearEncoderDiagram::BeforePaint() {
  // At least 10 apart, then moved by whole spans until the position lies inside.
  if (m_upper >= INT_MIN + 10 && m_lower > m_upper - 10)
    m_lower = m_upper - 10;
  else if (m_lower < INT_MAX - 9 && m_upper < m_lower + 10)
    m_upper = m_lower + 10;
  int64_t lower = m_lower, upper = m_upper, pos = m_position, span = upper - lower;
  if (span <= 0) return;
  int64_t shift = 0;
  if (pos < lower) shift = -((lower - pos + span - 1) / span) * span;
  if (pos > upper) shift = (pos - upper + span - 1) / span * span;
  // A shift that would leave the integer range is cut to its end.
  lower = std::clamp<int64_t>(lower + shift, INT_MIN, INT_MAX);
  upper = std::clamp<int64_t>(upper + shift, INT_MIN, INT_MAX);
  m_lower = (int)lower;
  m_upper = (int)upper;
}

void CLinearEncoderDiagram::DoPaint(CDC& dc, CRect rect) {
  CRect r = Background(dc, rect, true);
  int64_t span = (int64_t)m_upper - m_lower;
  if (span <= 0) return;  // equal limits only at the ends of the integer range: nothing to scale
  int saved = dc.SaveDC();
  dc.IntersectClipRect(r.left - 1, r.top - 1, r.right, r.bottom);
  int w = r.right - r.left, h = (r.bottom - r.top) / 6;
  int x = (int)(r.left + ((int64_t)m_position - m_lower) * w / span);
  CPen border(PS_SOLID, 2, m_borderColor);
  CBrush moving(m_enabled ? m_movingColor : m_disabledColor), fixed(m_enabled ? m_fixedColor : m_disabledColor);
  dc.SelectObject(&border);
  dc.SelectObject(&moving);
  dc.Rectangle(x - w / 20, r.top, x + w / 20, r.top + h);
  dc.SelectObject(&fixed);
  dc.Rectangle(r.left, r.top + 2 * h, r.right, r.top + 4 * h);
  CPen red(PS_SOLID, 2, m_redLineColor);
  dc.SelectObject(&red);
  Line(dc, CPoint(x, r.top + h / 2), CPoint(x, r.top + 3 * h));
  dc.SetBkColor(::GetSysColor(COLOR_BTNFACE));
  dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
  CString text;
  text.Format("%d", m_lower);
  CRect left(r.left, r.top + 4 * h + 1, r.left + w / 2, r.bottom);
  dc.DrawText(text, &left, DT_LEFT | DT_SINGLELINE);
  text.Format("%d", m_upper);
  CRect right(r.right - w / 2, r.top + 4 * h + 1, r.right, r.bottom);
  dc.DrawText(text, &right, DT_RIGHT | DT_SINGLELINE);
  dc.RestoreDC(saved);
}

// ---- CBarGraph ------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CBarGraph, CDriveDiagram)
  ON_WM_PAINT()
END_MESSAGE_MAP()

int CBarGraph::Accept() {
  if (m_repaintType == AUTOMATIC_REPAINT) RepaintIfCreated();
  return 1;
}

int CBarGraph::Refuse(const char* text) {
  m_lastError = text;
  return 0;
}

int CBarGraph::SetLeftLimit(double v) {
  // Written as "not within" so that NaN is refused too.
  if (!(v <= m_right)) return Refuse("Left value cannot be greater than the right value");
  m_left = v;
  return Accept();
}

int CBarGraph::SetRightLimit(double v) {
  if (!(v >= m_left)) return Refuse("Right value cannot be less than the left value");
  m_right = v;
  return Accept();
}

int CBarGraph::SetLimits(double left, double right) {
  if (!(left <= right)) return Refuse("Right value cannot be less than the left value");
  m_left = left;
  m_right = right;
  return Accept();
}

int CBarGraph::SetWithin(double& field, double v, const char* above, const char* below) {
  // Outside the limits the field takes the limit it crossed, and nothing repaints.
  if (!(v <= m_right && v >= m_left)) {
    field = v > m_right ? m_right : m_left;
    return Refuse(v > m_right ? above : below);
  }
  field = v;
  return Accept();
}

int CBarGraph::SetCurrentValue(double v) {
  return SetWithin(m_value, v, "Current value cannot be greater than the right value",
                   "Current value cannot be less than the left value");
}

int CBarGraph::SetDrawingReference(double v) {
  return SetWithin(m_reference, v, "Drawing reference cannot be greater than the right value",
                   "Drawing reference cannot be less than the left value");
}

int CBarGraph::SetOrientation(int o) {
  if (o != POS_HORIZ && o != POS_VERT) return Refuse("Orientation type may be either POS_HORIZ (0) or POS_VERT (1)");
  m_orientation = o;
  return Accept();
}

int CBarGraph::SetLabelType(int t) {
  if (t != LABEL_INT && t != LABEL_DOUBLE) return Refuse("Label type may be either LABEL_INT (0) or LABEL_DOUBLE (1)");
  m_labelType = t;
  return Accept();
}

int CBarGraph::SetRepaintType(int t) {
  if (t != AUTOMATIC_REPAINT && t != MANUAL_REPAINT)
    return Refuse("Orientation type may be either AUTOMATIC_REPAINT (0) or MANUAL_REPAINT (1)");
  m_repaintType = t;
  return Accept();
}

void CBarGraph::DoPaint(CDC& dc, CRect rect) {
  COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  CRect r = Background(dc, rect, false);
  CPen facePen(PS_SOLID, 1, face), line(PS_SOLID, 1, m_lineColor);
  CBrush faceBrush(face), area(m_areaColor), bar(m_barColor);
  CSelectObject selectPen(dc, &facePen);
  CSelectObject selectBrush(dc, &faceBrush);
  dc.Rectangle(&r);
  bool vertical = m_orientation == POS_VERT;
  CRect a = vertical ? CRect(r.left + m_labelHeight, r.top, r.right - m_labelHeight, r.bottom)
                     : CRect(r.left, r.top + m_labelHeight, r.right, r.bottom - m_labelHeight);
  dc.SelectObject(&line);
  dc.SelectObject(&area);
  dc.Rectangle(&a);
  double range = m_right - m_left;
  if (range > 0) {
    auto at = [&](double v) {
      const int size = vertical ? a.Height() : a.Width();
      double d = (v - m_left) * size / range;
      if (!std::isfinite(d))  // a span near the double range: halved, it stays finite
        d = (v / 2 - m_left / 2) / (m_right / 2 - m_left / 2) * size;
      // Infinite limits leave no finite position: such a bar starts at the area's edge.
      d = std::isfinite(d) ? std::clamp(d, 0.0, (double)size) : 0.0;
      return vertical ? (int)(a.bottom - d) : (int)(a.left + d);
    };
    int p0 = std::min(at(m_reference), at(m_value)), p1 = std::max(at(m_reference), at(m_value));
    dc.SelectObject(&bar);
    if (vertical)
      dc.Rectangle(a.left, p0, a.right, p1);
    else
      dc.Rectangle(p0, a.top, p1, a.bottom);
    CFont font;
    int escapement = vertical ? 900 : 0;
    font.CreateFont(m_labelHeight, 0, escapement, escapement, m_fontWeight, (BYTE)m_italic, (BYTE)m_underline, 0,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, m_fontFace);
    CSelectObject selectFont(dc, &font);
    dc.SetBkMode(TRANSPARENT);
    auto label = [&](double v, UINT align, int x, int y) {
      CString text;
      text.Format(m_numberFormat, v);
      dc.SetTextAlign(align);
      dc.TextOut(x, y, text, text.GetLength());
    };
    label(m_left, TA_LEFT | TA_TOP, vertical ? a.right : a.left, a.bottom);
    label(m_right, TA_RIGHT | TA_TOP, a.right, vertical ? a.top : a.bottom);
    if (m_reference != m_left && m_reference != m_right)
      label(m_reference, TA_CENTER | TA_BOTTOM, vertical ? a.left : at(m_reference), vertical ? at(m_reference) : a.top);
  }
}
