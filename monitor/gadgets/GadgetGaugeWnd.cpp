#include "monitor/gadgets/GadgetGaugeWnd.h"

#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "platform/ui/ControlDefs.h"
#include "plot/graph/GraphWindow.h"

#include <cmath>

IMPLEMENT_DYNCREATE(CGadgetGaugeWnd, CGadgetWnd)

int GaugePosition(double v, double a, double b) {
  if (std::isnan(v) || std::isnan(a) || std::isnan(b)) return 0;
  if (a >= v) return 0;
  if (v >= b) return 65535;
  return (int)QW_FRound((v - a) * 65535.0 / (b - a));
}

CControlPanelGaugeItem* CGadgetGaugeWnd::Item() const { return dynamic_cast<CControlPanelGaugeItem*>(m_pItem); }

void CGadgetGaugeWnd::OnInitGadget() {
  m_progress.AttachProgress(IDC_BAR, this);
  CWnd* bar = GetDlgItem(IDC_BAR);
  m_bVertical = bar && (bar->GetStyle() & PBS_VERTICAL) ? 1 : 0;
  m_progress.SetExStyle(m_bVertical ? 0x0001 : 0x0200);
  if (!m_bVertical) m_rows.Capture(*this, {{IDC_MIN, IDC_MAX, IDC_VALUE}, {IDC_BAR}}, 1);
  if (CFont* font = GetFont()) {
    LOGFONT lf;
    if (font->GetLogFont(&lf)) {
      m_font.DeleteObject();
      m_font.CreateFontIndirect(&lf);
      m_progress.SetFont(&m_font, TRUE);
    }
  }
  SetChildText(this, IDC_VALUE, "");
  SetChildText(this, IDC_MAX, "");
  SetChildText(this, IDC_MIN, "");
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetGaugeWnd::SetSizeLimits(const CRect& t) { SetScaleSizeLimits(*this, m_bVertical, t, IDC_MAX, IDC_MIN); }

void CGadgetGaugeWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  m_rows.Fit(*this, c.Height());
  const int w = c.Width(), h = c.Height();
  const CRect min = ChildRect(this, IDC_MIN), max = ChildRect(this, IDC_MAX), value = ChildRect(this, IDC_VALUE);
  const CRect bar = ChildRect(this, IDC_BAR);
  if (!m_bVertical) {
    MoveChild(this, IDC_MIN, 5, min.top, min.Width(), min.Height());
    MoveChild(this, IDC_MAX, w - 5 - max.Width(), max.top, max.Width(), max.Height());
    MoveChild(this, IDC_VALUE, (w - value.Width()) / 2, value.top, value.Width(), value.Height());
    MoveChild(this, IDC_BAR, 5, bar.top, w - 10, bar.Height());
  } else {
    for (int id : {IDC_CAPTION, IDC_VALUE, IDC_MAX}) {
      const CRect r = ChildRect(this, id);
      MoveChild(this, id, 5, r.top, w - 10, r.Height());
    }
    const int minTop = h - 5 - min.Height();
    MoveChild(this, IDC_MIN, 5, minTop, w - 10, min.Height());
    MoveChild(this, IDC_BAR, (w - bar.Width()) / 2, bar.top, bar.Width(), minTop - 5 - bar.top);
  }
  Invalidate();
}

void CGadgetGaugeWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetGaugeWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetGaugeEditDlg, CControlPanelGaugeItem>(*this, true, false);
}

void CGadgetGaugeWnd::SetUpBar() {
  if (!m_progress.m_hWnd) return;
  CControlPanelGaugeItem* item = Item();
  const COLORREF color = item ? item->m_crColor : 0x008000;
  m_progress.SetWindowText(item ? item->m_strTitle.GetString() : "");
  m_progress.SetRange(0, 65535);
  m_progress.SetColors(color, color == 0xFFFFFF ? 0 : 0xFFFFFF);
  m_progress.SetPos(65535, FALSE);
}

void CGadgetGaugeWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  SetUpBar();
  CControlPanelGaugeItem* item = Item();
  CString max, min;
  if (item && !item->m_bDisabled) {
    item->m_var.ValueToText(item->m_var.m_dMax, max);
    item->m_var.ValueToText(item->m_var.m_dMin, min);
  }
  SetChildText(this, IDC_MAX, max);
  SetChildText(this, IDC_MIN, min);
  if (m_bVertical) SetChildText(this, IDC_CAPTION, item && !item->m_bDisabled ? item->m_strTitle.GetString() : "");
}

void CGadgetGaugeWnd::OnStart() {
  CGadgetWnd::OnStart();
  SetChildText(this, IDC_VALUE, "");
  m_dLastValue = kValueNotShown;
}

void CGadgetGaugeWnd::OnUpdateValues() {
  CControlPanelGaugeItem* item = Item();
  if (!item || item->m_bDisabled) {
    if (m_progress.m_hWnd) m_progress.SetPos(0, FALSE);
    return;
  }
  if (!ValueDiffers(item->m_var.m_dValue, m_dLastValue)) return;
  m_dLastValue = item->m_var.m_dValue;
  if (m_progress.m_hWnd) m_progress.SetPos((DWORD)GaugePosition(m_dLastValue, item->m_var.m_dMin, item->m_var.m_dMax), FALSE);
  CString text;
  item->m_var.ValueToText(m_dLastValue, text);
  SetChildText(this, IDC_VALUE, text);
}

void CGadgetGaugeWnd::OnStop() {
  CGadgetWnd::OnStop();
  SetUpBar();
  SetChildText(this, IDC_VALUE, "");
  m_dLastValue = kValueNotShown;
}
