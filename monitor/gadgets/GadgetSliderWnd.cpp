#include "monitor/gadgets/GadgetSliderWnd.h"

#include "kernel/document/MC_Document.h"
#include "kernel/params/MC_Variable.h"
#include "monitor/gadgets/ControlPanelSliderItem.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "platform/ui/ControlDefs.h"
#include "plot/graph/GraphWindow.h"

#include <algorithm>
#include <climits>
#include <cmath>

IMPLEMENT_DYNCREATE(CGadgetSliderWnd, CGadgetWnd)

CControlPanelSliderItem* CGadgetSliderWnd::Item() const { return dynamic_cast<CControlPanelSliderItem*>(m_pItem); }

void CGadgetSliderWnd::OnInitGadget() {
  m_slider.SubclassDlgItem(IDC_TRACK, this);
  m_bVertical = m_slider.m_hWnd && (m_slider.GetStyle() & TBS_VERT) ? 1 : 0;
  if (!m_bVertical) m_rows.Capture(*this, {{IDC_CAPTION}, {IDC_VALUE, IDC_MAX, IDC_MIN}, {IDC_TRACK}}, 2);
  SetChildText(this, IDC_VALUE, "");
  SetChildText(this, IDC_MAX, "");
  SetChildText(this, IDC_MIN, "");
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetSliderWnd::SetSizeLimits(const CRect& t) { SetScaleSizeLimits(*this, m_bVertical, t, IDC_MAX, IDC_MIN); }

void CGadgetSliderWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  m_rows.Fit(*this, c.Height());
  const int w = c.Width(), h = c.Height();
  const CRect min = ChildRect(this, IDC_MIN), max = ChildRect(this, IDC_MAX), value = ChildRect(this, IDC_VALUE);
  const CRect track = ChildRect(this, IDC_TRACK), caption = ChildRect(this, IDC_CAPTION);
  MoveChild(this, IDC_CAPTION, 5, caption.top, w - 10, caption.Height());
  if (!m_bVertical) {
    MoveChild(this, IDC_MIN, 5, min.top, min.Width(), min.Height());
    MoveChild(this, IDC_MAX, w - 5 - max.Width(), max.top, max.Width(), max.Height());
    MoveChild(this, IDC_VALUE, (w - value.Width()) / 2, value.top, value.Width(), value.Height());
    MoveChild(this, IDC_TRACK, 5, track.top, w - 10, track.Height());
  } else {
    MoveChild(this, IDC_VALUE, 5, value.top, w - 10, value.Height());
    MoveChild(this, IDC_MAX, 5, max.top, w - 10, max.Height());
    const int minTop = h - 5 - min.Height();
    MoveChild(this, IDC_MIN, 5, minTop, w - 10, min.Height());
    MoveChild(this, IDC_TRACK, (w - track.Width()) / 2, track.top, track.Width(), minTop - 5 - track.top);
  }
  Invalidate();
}

void CGadgetSliderWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetSliderWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetSliderEditDlg, CControlPanelSliderItem>(*this, true, false);
}

void CGadgetSliderWnd::GetRangeAndPosition(DWORD& range, int& position) const {
  range = 1;
  position = 0;
  CControlPanelSliderItem* item = Item();
  if (!item) return;
  CControlPanelVar& var = item->m_var;
  const double a = var.m_dMin, b = var.m_dMax, v = var.m_dValue;
  if (CMC_Variable* variable = var.GetMCVariable()) {
    if (!variable->ChangeUnit(var.m_strUnit)) return;
    range = variable->GetRangeForSliderCtrl(a, b);
  } else {
    CMC_Value value;
    range = value.GetRangeForSliderCtrl(var.GetVarType(), a, b);
  }
  // A track bar's positions are ints: a span of an unsigned long is stepped more coarsely.
  range = std::min<DWORD>(range, INT_MAX);
  const double at = (v - a) / (b - a) * range;
  // A value that is no number, or equal limits, stand at the start.
  position = std::isfinite(at) ? (int)QW_FRound(at) : 0;
  if (m_bVertical) position = (int)range - position;
}

void CGadgetSliderWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelSliderItem* item = Item();
  if (item && !item->m_bDisabled) {
    DWORD range;
    int position;
    GetRangeAndPosition(range, position);
    if (m_slider.m_hWnd) {
      m_slider.SetRange(0, (int)range, TRUE);
      m_slider.SetPageSize(std::max<int>((int)(range / 100), 1));
      m_slider.SetPos(position);
    }
    CString max, min;
    item->m_var.ValueToText(item->m_var.m_dMax, max);
    item->m_var.ValueToText(item->m_var.m_dMin, min);
    SetChildText(this, IDC_CAPTION, item->m_strTitle);
    SetChildText(this, IDC_MAX, max);
    SetChildText(this, IDC_MIN, min);
    return;
  }
  if (m_slider.m_hWnd) {
    m_slider.SetRange(0, 0, TRUE);
    m_slider.SetPos(0);
  }
  for (int id : {IDC_CAPTION, IDC_VALUE, IDC_MAX, IDC_MIN}) SetChildText(this, id, "");
}

void CGadgetSliderWnd::OnStart() {
  CGadgetWnd::OnStart();
  SetChildText(this, IDC_VALUE, "");
  m_dLastValue = kValueNotShown;
}

void CGadgetSliderWnd::Redisplay() {
  CControlPanelSliderItem* item = Item();
  if (!item) return;
  DWORD range;
  int position;
  GetRangeAndPosition(range, position);
  position = std::clamp(position, 0, (int)range);
  if (m_slider.m_hWnd) m_slider.SetPos(position);
  CString text;
  item->m_var.ValueToText(m_dLastValue, text);
  SetChildText(this, IDC_VALUE, text);
}

void CGadgetSliderWnd::OnUpdateValues() {
  CControlPanelSliderItem* item = Item();
  if (!item || item->m_bDisabled || !ValueDiffers(item->m_var.m_dValue, m_dLastValue)) return;
  m_dLastValue = item->m_var.m_dValue;
  Redisplay();
}

void CGadgetSliderWnd::OnStop() {
  CGadgetWnd::OnStop();
  SetChildText(this, IDC_VALUE, "");
  m_dLastValue = kValueNotShown;
}

void CGadgetSliderWnd::OnScroll(UINT code, CScrollBar* bar) {
  CControlPanelSliderItem* item = Item();
  if (!item || !m_slider.m_hWnd || code == SB_THUMBPOSITION || code == SB_ENDSCROLL) return;
  if (!bar || bar->m_hWnd != m_slider.m_hWnd) return;
  const int max = m_slider.GetRangeMax();
  const int p = m_bVertical ? max + m_slider.GetRangeMin() - m_slider.GetPos() : m_slider.GetPos();
  const double a = item->m_var.m_dMin, b = item->m_var.m_dMax;
  m_dLastValue = max ? (double)p / max * (b - a) + a : a;
  WriteLastValue();
}

void CGadgetSliderWnd::OnHScroll(UINT code, UINT, CScrollBar* bar) { OnScroll(code, bar); }
void CGadgetSliderWnd::OnVScroll(UINT code, UINT, CScrollBar* bar) { OnScroll(code, bar); }

void CGadgetSliderWnd::ApplyTypedValue() {
  CControlPanelSliderItem* item = Item();
  if (!item) return;
  CString text;
  GetDlgItemText(IDC_VALUE, text);
  double value;
  if (!item->m_var.TextToValue(text, value)) return;
  // Not std::clamp: limits read from a panel file may come in the wrong order.
  const double lo = item->m_var.m_dMin, hi = item->m_var.m_dMax;
  m_dLastValue = value < lo ? lo : value > hi ? hi : value;
  if (ValueDiffers(m_dLastValue, item->m_var.m_dValue)) WriteLastValue();
}

BOOL CGadgetSliderWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_VALUE && HIWORD(wParam) == EN_KILLFOCUS) {
    ApplyTypedValue();
    return TRUE;
  }
  return CGadgetWnd::OnCommand(wParam, lParam);
}

BOOL CGadgetSliderWnd::PreTranslateMessage(MSG* pMsg) {
  CWnd* box = GetDlgItem(IDC_VALUE);
  if (pMsg && pMsg->message == WM_KEYUP && pMsg->wParam == VK_RETURN && box && ::GetFocus() == box->m_hWnd) {
    ApplyTypedValue();
    box->SendMessage(EM_SETSEL, 0, -1);
    box->SendMessage(EM_SCROLLCARET);
    return TRUE;
  }
  return CGadgetWnd::PreTranslateMessage(pMsg);
}

// A write that cannot be made leaves the slider off until it is located again: no box or thumb to
// take input that would go nowhere.
void CGadgetSliderWnd::Disable() {
  if (m_pItem) m_pItem->m_bDisabled = 1;
  EnableChildren(FALSE);
}

void CGadgetSliderWnd::WriteLastValue() {
  CControlPanelSliderItem* item = Item();
  CMC_Document* doc = GetDocument();
  if (!item || item->m_bDisabled || !doc || !doc->GetSetup() || !PanelsRunning(*this)) return;
  CControlPanelVar& var = item->m_var;
  const WORD address = var.GetVarAddress();
  const tagVarType type = var.GetVarType();
  var.m_dValue = m_dLastValue;
  CString command;
  if (!address || type == VAR_INVALID || !var.GetUpdateChipCommand(command)) {
    Disable();
    return;
  }
  if (item->m_bNeedUPD) command += "UPD";
  if (!SendGadgetCode(*this, command, (WORD)(var.m_nAxis * 16), TRUE)) {
    Disable();
    return;
  }
  InvalidateGadgetWords(*this, var.m_nAxis, address, CMC_Value::GetSizeInWords(type));
  Redisplay();
}
