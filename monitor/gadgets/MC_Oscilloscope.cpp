#include "monitor/gadgets/MC_Oscilloscope.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/SelectObject.h"
#include "plot/graph/GraphWindow.h"

#include <cmath>

void CMC_Oscilloscope::Initialize(const char* title, int items, int xy) {
  m_strTitle = title ? title : "";
  m_bXY = xy;
  m_nLastPoint = -1;
  m_nItems = items < 0 ? 0 : items > 2 ? 2 : items;
  for (int i = 0; i < m_nItems; ++i) m_aItems[i].m_aPoints.SetSize(0, 25);
  if (m_hWnd) Invalidate(FALSE);
}

void CMC_Oscilloscope::UpdateLastPoint() {
  if (!IsEnabled()) return;
  AddPoint();
  if (m_hWnd) Invalidate(FALSE);
}

void CMC_Oscilloscope::AddPoint() {
  m_nLastPoint = (m_nLastPoint + 1) % kPoints;
  CRect rc(0, 0, 0, 0);
  if (m_hWnd) GetClientRect(&rc);
  for (int i = 0; i < m_nItems; ++i) {
    const int position = GetNewValue(rc, m_aItems[i], m_bXY && i == 1);
    CDWordArray& points = m_aItems[i].m_aPoints;
    if (m_nLastPoint >= points.GetSize())
      points.Add((DWORD)position);
    else
      points[m_nLastPoint] = (DWORD)position;
  }
}

int CMC_Oscilloscope::GetNewValue(const CRect& rc, const CMC_OscilloscopeItem& item, bool horizontal) {
  const int low = horizontal ? rc.left : rc.top;
  const int high = horizontal ? rc.right : rc.bottom;
  const double span = item.m_dMax - item.m_dMin;
  // Equal limits, or a value that is no number, put the trace in the middle.
  if (span == 0 || std::isnan(span) || std::isnan(item.m_dValue)) return low + (high - low) / 2;
  const double r = horizontal ? (item.m_dValue - item.m_dMin) * (high - low - 1) / span
                              : (item.m_dMax - item.m_dValue) * (high - low - 1) / span;
  return low + QW_Round((double)(float)r);
}

namespace {

DWORD PointAt(const CDWordArray& points, int index) {
  if (index < 0 || index >= points.GetSize()) AfxThrowInvalidArgException();
  return points[index];
}

}  // namespace

void CMC_Oscilloscope::DoPaint(CDC* dc, const CRect& rc) {
  dc->FillSolidRect(&rc, 0);
  dc->SetTextColor(0xFFFFFF);
  dc->SetBkMode(TRANSPARENT);
  CFont* font = m_hWnd ? GetFont() : nullptr;
  CFont* oldFont = font ? dc->SelectObject(font) : nullptr;
  CRect text = rc;
  dc->DrawText(m_strTitle, &text, DT_CENTER);
  if (oldFont) dc->SelectObject(oldFont);
  if (!IsEnabled()) return;
  auto startOf = [this](int n) { return m_nLastPoint < n - 1 ? m_nLastPoint + 1 : 0; };
  if (m_bXY) {
    const CDWordArray& ys = m_aItems[0].m_aPoints;
    const CDWordArray& xs = m_aItems[1].m_aPoints;
    const int n = (int)ys.GetSize();
    if (n == 0 || n != (int)xs.GetSize()) return;
    CPen pen(PS_SOLID, 1, m_aItems[0].m_crColor);
    CPen* old = dc->SelectObject(&pen);
    int index = startOf(n);
    dc->MoveTo((int)PointAt(xs, index), (int)PointAt(ys, index));
    for (int k = 1; k < n; ++k) {
      index = (index + 1) % n;
      dc->LineTo((int)PointAt(xs, index), (int)PointAt(ys, index));
    }
    dc->SelectObject(old);
    return;
  }
  const double step = (rc.right - rc.left) / 100.0;
  for (int i = 0; i < m_nItems; ++i) {
    const CDWordArray& points = m_aItems[i].m_aPoints;
    const int n = (int)points.GetSize();
    if (n == 0) continue;
    CPen pen(PS_SOLID, 1, m_aItems[i].m_crColor);
    CPen* old = dc->SelectObject(&pen);
    int index = startOf(n);
    const int x0 = (int)((kPoints - n) * step) + rc.left;
    dc->MoveTo(x0, (int)PointAt(points, index));
    for (int k = 1; k < n; ++k) {
      index = (index + 1) % n;
      dc->LineTo((int)(k * step) + x0, (int)PointAt(points, index));
    }
    dc->SelectObject(old);
  }
}

void CMC_Oscilloscope::OnPaint() {
  CPaintDC paint(this);
  CRect rc;
  GetClientRect(&rc);
  CDC mem;
  CBitmap bitmap;
  if (!mem.CreateCompatibleDC(&paint) || !bitmap.CreateCompatibleBitmap(&paint, rc.Width(), rc.Height())) {
    DoPaint(&paint, rc);
    return;
  }
  CSelectObject selectBitmap(mem, &bitmap);
  DoPaint(&mem, rc);
  paint.BitBlt(rc.left, rc.top, rc.Width(), rc.Height(), &mem, rc.left, rc.top, SRCCOPY);
}
