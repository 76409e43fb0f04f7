#include "monitor/gadgets/GadgetShowVarWnd.h"

#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/GadgetEditDialogs.h"

IMPLEMENT_DYNCREATE(CGadgetShowVarWnd, CGadgetWnd)

CControlPanelShowVarItem* CGadgetShowVarWnd::Item() const { return dynamic_cast<CControlPanelShowVarItem*>(m_pItem); }

void CGadgetShowVarWnd::SetSizeLimits(const CRect& t) {
  m_nMinWidth = t.Width() / 2;
  m_nMaxWidth = 2 * t.Width();
  m_nMinHeight = m_nMaxHeight = t.Height();
}

void CGadgetShowVarWnd::Layout() {
  CRect c;
  GetClientRect(&c);
  const int w = c.Width(), h = c.Height();
  MoveChild(this, IDC_CAPTION, 1, 1, w / 2 - 1, h - 2);
  MoveChild(this, IDC_VALUE, w / 2 + 1, 1, w - 1 - (w / 2 + 1), h - 2);
  Invalidate();
}

void CGadgetShowVarWnd::OnInitGadget() {
  SetChildText(this, IDC_CAPTION, "");
  SetChildText(this, IDC_VALUE, "");
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetShowVarWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetShowVarWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetShowVarEditDlg, CControlPanelShowVarItem>(*this, true, false);
}

void CGadgetShowVarWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelShowVarItem* item = Item();
  SetChildText(this, IDC_CAPTION, item ? item->m_strTitle.GetString() : "");
}

void CGadgetShowVarWnd::ShowNothing() {
  SetChildText(this, IDC_VALUE, "");
  m_dLastValue = kValueNotShown;
}

void CGadgetShowVarWnd::OnStart() {
  CGadgetWnd::OnStart();
  ShowNothing();
}

void CGadgetShowVarWnd::OnUpdateValues() {
  CControlPanelShowVarItem* item = Item();
  if (!item || item->m_bDisabled || !ValueDiffers(item->m_var.m_dValue, m_dLastValue)) return;
  m_dLastValue = item->m_var.m_dValue;
  CString text;
  item->m_var.ValueToText(m_dLastValue, text);
  SetChildText(this, IDC_VALUE, text);
}

void CGadgetShowVarWnd::OnStop() {
  CGadgetWnd::OnStop();
  ShowNothing();
}
