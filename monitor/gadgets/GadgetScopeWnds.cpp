#include "monitor/gadgets/GadgetScopeWnds.h"

#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "platform/core/Clock.h"
#include "platform/gdi/DC.h"
#include "platform/ui/ControlDefs.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CGadgetScopeWnd, CGadgetWnd)
IMPLEMENT_DYNCREATE(CGadgetDoubleScopeWnd, CGadgetScopeWnd)
IMPLEMENT_DYNCREATE(CGadgetYXScopeWnd, CGadgetDoubleScopeWnd)

bool CScopeSampleClock::IsDue(DWORD now) {
  if (m_nInterval <= 0) return true;
  const long long since = (long long)(DWORD)(now - m_dwLastSample);
  if (m_bStarted) {
    if (std::llabs(m_nCarry + since) < m_nInterval) return false;
    m_nCarry = since - m_nInterval;
  } else {
    m_bStarted = true;
    m_nCarry = 0;
  }
  m_dwLastSample = now;
  return true;
}

void CGadgetScopeWnd::SetSizeLimits(const CRect& t) {
  m_nMinWidth = t.Width() / 3;
  m_nMinHeight = t.Height() / 2;
}

void CGadgetScopeWnd::RecordTemplateSizes() { m_nMinTraceWidth = ChildRect(this, IDC_TRACE).Width() + 4; }

void CGadgetDoubleScopeWnd::RecordTemplateSizes() {
  CGadgetScopeWnd::RecordTemplateSizes();
  m_nValueWidth = ChildRect(this, IDC_VALUE).Width();
}

void CGadgetYXScopeWnd::RecordTemplateSizes() {
  const CRect label = ChildRect(this, IDC_VALUE);
  m_nLabelWidth = label.Width();
  m_nLabelHeight = label.Height();
}

void CGadgetScopeWnd::OnInitGadget() {
  m_scope.SubclassDlgItem(IDC_TRACE, this);
  for (int id : {IDC_VALUE, IDC_MAX, IDC_MIN, IDC_VALUE2, IDC_MAX2, IDC_MIN2}) SetChildText(this, id, "");
  RecordTemplateSizes();
  RecalcLayout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetScopeWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) RecalcLayout();
}

void CGadgetScopeWnd::Place(int id, int x, int y, int width, int height) { MoveChild(this, id, x, y, width, height); }

bool CGadgetScopeWnd::GetTraces(Traces& t) const {
  auto* item = dynamic_cast<CControlPanelScopeItem*>(m_pItem);
  if (!item) return false;
  t.var = &item->m_var;
  t.color = item->m_crColor;
  t.title = &item->m_strTitle;
  t.period = item->m_nPeriod;
  return true;
}

bool CGadgetDoubleScopeWnd::GetTraces(Traces& t) const {
  auto* item = dynamic_cast<CControlPanelDoubleScopeItem*>(m_pItem);
  if (!item || item->GetRuntimeClass() != RUNTIME_CLASS(CControlPanelDoubleScopeItem)) return false;
  t.var = &item->m_var;
  t.var2 = &item->m_var2;
  t.color = item->m_crColor;
  t.color2 = item->m_crColor2;
  t.title = &item->m_strTitle;
  t.period = item->m_nPeriod;
  return true;
}

bool CGadgetYXScopeWnd::GetTraces(Traces& t) const {
  auto* item = dynamic_cast<CControlPanelYXScopeItem*>(m_pItem);
  if (!item) return false;
  t.var = &item->m_var;
  t.var2 = &item->m_var2;
  t.color = t.color2 = item->m_crColor;
  t.title = &item->m_strTitle;
  t.period = item->m_nPeriod;
  t.xy = 1;
  return true;
}

void CGadgetScopeWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  Traces t;
  CString max, min, max2, min2;
  if (!GetTraces(t)) {
    m_scope.Initialize("", 0, 0);
  } else {
    CControlPanelVar* vars[2] = {t.var, t.var2};
    const COLORREF colors[2] = {t.color, t.color2};
    for (int i = 0; i < 2 && vars[i]; ++i) {
      m_scope.m_aItems[i].m_dMin = vars[i]->m_dMin;
      m_scope.m_aItems[i].m_dMax = vars[i]->m_dMax;
      m_scope.m_aItems[i].m_crColor = colors[i];
    }
    m_scope.Initialize(*t.title, t.var2 ? 2 : 1, t.xy);
    m_clock.m_nInterval = t.period * 1000 / 100;
    if (!m_pItem->m_bDisabled) {
      t.var->ValueToText(t.var->m_dMax, max);
      t.var->ValueToText(t.var->m_dMin, min);
      if (t.var2) {
        t.var2->ValueToText(t.var2->m_dMax, max2);
        t.var2->ValueToText(t.var2->m_dMin, min2);
      }
    }
  }
  SetChildText(this, IDC_MAX, max);
  SetChildText(this, IDC_MIN, min);
  SetChildText(this, IDC_MAX2, max2);
  SetChildText(this, IDC_MIN2, min2);
}

void CGadgetScopeWnd::OnStart() {
  CGadgetWnd::OnStart();
  SetChildText(this, IDC_VALUE, "");
  SetChildText(this, IDC_VALUE2, "");
  m_clock.Start(m_clock.m_nInterval);
}

void CGadgetScopeWnd::OnUpdateValues() {
  Traces t;
  if (!m_pItem) return;
  if (!GetTraces(t)) {
    m_pItem->m_bDisabled = 1;
    return;
  }
  if (m_pItem->m_bDisabled || !m_clock.IsDue(GetTickCount())) return;
  m_scope.m_aItems[0].m_dValue = t.var->m_dValue;
  if (t.var2) m_scope.m_aItems[1].m_dValue = t.var2->m_dValue;
  m_scope.UpdateLastPoint();
  CString text;
  t.var->ValueToText(t.var->m_dValue, text);
  SetChildText(this, IDC_VALUE, text);
  if (t.var2) {
    t.var2->ValueToText(t.var2->m_dValue, text);
    SetChildText(this, IDC_VALUE2, text);
  }
}

void CGadgetScopeWnd::OnStop() {
  SetChildText(this, IDC_VALUE, "");
  SetChildText(this, IDC_VALUE2, "");
  m_clock.Start(0);
  m_clock.m_dwLastSample = 0;
}

HBRUSH CGadgetScopeWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CGadgetWnd::OnCtlColor(pDC, pWnd, nCtlColor);
  Traces t;
  if (!pDC || !pWnd || (nCtlColor != CTLCOLOR_STATIC && nCtlColor != CTLCOLOR_EDIT) || !GetTraces(t)) return brush;
  const int id = pWnd->GetDlgCtrlID();
  if (id == IDC_VALUE || id == IDC_MAX || id == IDC_MIN) pDC->SetTextColor(t.color);
  if (id == IDC_VALUE2 || id == IDC_MAX2 || id == IDC_MIN2) pDC->SetTextColor(t.color2);
  return brush;
}

void CGadgetScopeWnd::RecalcLayout() {
  CRect c;
  GetClientRect(&c);
  const int W = c.Width(), H = c.Height();
  const CRect label = ChildRect(this, IDC_MAX), value = ChildRect(this, IDC_VALUE);
  const int w = label.Width(), h = label.Height();
  int x = W - 2 - w;
  if (H >= 3 * h + 8)
    x = std::max(x, m_nMinTraceWidth);
  else
    x = W;
  Place(IDC_MAX, x, 2, w, h);
  Place(IDC_MIN, x, H - 2 - h, w, h);
  Place(IDC_VALUE, x, (H - value.Height()) / 2, value.Width(), value.Height());
  const int r = W < m_nMinTraceWidth ? W : x;
  Place(IDC_TRACE, 2, 2, r - 2 - 2, H - 4);
  Invalidate();
}

void CGadgetDoubleScopeWnd::RecalcLayout() {
  CRect c;
  GetClientRect(&c);
  const int W = c.Width(), H = c.Height();
  const int h = ChildRect(this, IDC_MAX2).Height();
  int s = 0;
  if (W > m_nMinTraceWidth && H >= 3 * h + 8) s = std::min((W - m_nMinTraceWidth) / 2, m_nValueWidth + 2);
  const struct { int max, min, value, left; } columns[] = {{IDC_MAX2, IDC_MIN2, IDC_VALUE2, W - s}, {IDC_MAX, IDC_MIN, IDC_VALUE, 2}};
  for (const auto& col : columns) {
    for (int id : {col.max, col.min, col.value}) {
      const CRect r = ChildRect(this, id);
      const int y = id == col.max ? 2 : id == col.min ? H - 2 - h : (H - r.Height()) / 2;
      const bool right = col.left != 2;
      int width = s > 0 ? (right ? W - 2 - col.left : s - 2) : (right ? r.Width() : 0);
      const int x = s > 0 || right ? col.left : r.left;
      Place(id, x, y, std::max(width, 0), r.Height());
    }
  }
  Place(IDC_TRACE, s + 2, 2, W - 2 * s - 4, H - 4);
  Invalidate();
}

void CGadgetYXScopeWnd::RecalcLayout() {
  CRect c;
  GetClientRect(&c);
  const int W = c.Width(), H = c.Height(), w = m_nLabelWidth, h = m_nLabelHeight;
  int a = 0, b = 0, column = W, row = H;
  if (W >= 4 * w + 10 && H >= 4 * h + 10) {
    a = (W - 4 * w - 6) / 2;
    b = (H - 4 * h - 6) / 2;
    column = W - w - 2;
    row = H - h - 2;
  }
  Place(IDC_TRACE, 2, 2, column - 4, row - 4);
  Place(IDC_MIN2, 2, row, w, h);
  Place(IDC_VALUE2, a + 2 + w, row, w, h);
  Place(IDC_MAX2, 2 * (w + a) + 2, row, w, h);
  Place(IDC_MAX, column, 2, w, h);
  Place(IDC_VALUE, column, b + 2 + h, w, h);
  Place(IDC_MIN, column, 2 * (h + b) + 2, w, h);
  Invalidate();
}

BOOL CGadgetScopeWnd::EditProperties() { return RunEditDialog(); }

BOOL CGadgetScopeWnd::RunEditDialog() {
  return RunGadgetEditDialog<CGadgetScopeEditDlg, CControlPanelScopeItem>(*this, true, false);
}

BOOL CGadgetDoubleScopeWnd::RunEditDialog() {
  return RunGadgetEditDialog<CGadgetDoubleScopeEditDlg, CControlPanelDoubleScopeItem>(*this, true, false);
}

BOOL CGadgetYXScopeWnd::RunEditDialog() {
  return RunGadgetEditDialog<CGadgetYXScopeEditDlg, CControlPanelYXScopeItem>(*this, true, false);
}
