#include "monitor/gadgets/GadgetPortWnds.h"

#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "monitor/gadgets/ControlPanelPortItems.h"
#include "monitor/gadgets/GadgetEditDialogs.h"
#include "platform/gdi/DC.h"
#include "platform/ui/ControlDefs.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CGadgetInputWnd, CGadgetWnd)
IMPLEMENT_DYNCREATE(CGadgetOutputWnd, CGadgetWnd)

namespace {

void PortSizeLimits(CGadgetWnd& gadget, const CRect& t) {
  gadget.m_nMaxWidth = 2 * t.Width();
  gadget.m_nMinWidth = t.Width() / 2;
  gadget.m_nMinHeight = gadget.m_nMaxHeight = t.Height();
}

// The caption across the gadget; returns the client rectangle.
CRect StretchCaption(CGadgetWnd& gadget, int id) {
  CRect c;
  gadget.GetClientRect(&c);
  const CRect caption = ChildRect(&gadget, id);
  MoveChild(&gadget, id, 1, caption.top, c.Width() - 2, caption.Height());
  return c;
}

}  // namespace

CString OutputCommand(int generation, short port, int high) {
  CString command;
  if (generation >= 3)
    command.Format("OUT(%hd) = %d", port, high ? (int)(1u << (port & 31)) : 0);
  else
    command.Format(high ? "SOUT#%hd" : "ROUT#%hd", port);
  return command;
}

CGadgetInputWnd::CGadgetInputWnd() {
  m_brRed.CreateSolidBrush(0x0000FF);
  m_brGreen.CreateSolidBrush(0x00FF00);
}

CControlPanelPortItem* CGadgetInputWnd::Item() const { return dynamic_cast<CControlPanelPortItem*>(m_pItem); }

void CGadgetInputWnd::SetSizeLimits(const CRect& t) { PortSizeLimits(*this, t); }

void CGadgetInputWnd::Layout() {
  CRect client;
  GetClientRect(&client);
  m_rows.Fit(*this, client.Height());
  const CRect c = StretchCaption(*this, IDC_CAPTION);
  m_rcMarks = c;
  m_rcMarks.top = ChildRect(this, IDC_CAPTION).bottom;
  m_rcMarks.left += (c.Width() + 1) / 2;
  m_rcMarks.DeflateRect(3, 3);
  // The lamps stand at the left of the marks' half, whatever the width.
  for (int id : {IDC_LOW, IDC_HIGH}) {
    const CRect lamp = ChildRect(this, id);
    const int left = std::max((c.Width() + 1) / 2 - m_nLampGap - (int)lamp.Width(), 1);
    MoveChild(this, id, left, lamp.top, lamp.Width(), lamp.Height());
  }
  Invalidate();
}

void CGadgetInputWnd::OnInitGadget() {
  m_rows.Capture(*this, {{IDC_CAPTION}, {IDC_HIGH}, {IDC_LOW}}, 2);
  CRect window;
  GetWindowRect(&window);
  m_nLampGap = (window.Width() + 1) / 2 - ChildRect(this, IDC_LOW).right;
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetInputWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetInputWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetInputEditDlg, CControlPanelInputItem>(*this, true, true);
}

void CGadgetInputWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelPortItem* item = Item();
  SetChildText(this, IDC_CAPTION, item ? item->m_strTitle.GetString() : "");
  Show(-1, -1);
}

void CGadgetInputWnd::OnStart() {
  CGadgetWnd::OnStart();
  if (m_pItem && !(PanelsRunning(*this) && !m_pItem->m_bDisabled)) m_pItem->m_bDisabled = 1;
  Show(-1, -1);
}

void CGadgetInputWnd::OnUpdateValues() {
  CControlPanelPortItem* item = Item();
  if (item && !item->m_bDisabled)
    Show(item->m_bState ? 1 : 0, 0);
  else
    Show(-1, -1);
}

void CGadgetInputWnd::OnStop() {
  CGadgetWnd::OnStop();
  Show(-1, -1);
}

void CGadgetInputWnd::Show(int state, int markStyle) {
  if (!m_hWnd) {
    m_nShownState = state;
    m_nMarkStyle = markStyle;
    return;
  }
  if (state != m_nShownState) {
    m_nShownState = state;
    for (int id : {IDC_LOW, IDC_HIGH})
      if (CWnd* lamp = GetDlgItem(id)) lamp->Invalidate();
  }
  if (markStyle != m_nMarkStyle) {
    m_nMarkStyle = markStyle;
    Invalidate();
  }
}

HBRUSH CGadgetInputWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  if (nCtlColor == CTLCOLOR_STATIC && pWnd && m_nShownState >= 0) {
    const int id = pWnd->GetDlgCtrlID();
    if (id == IDC_LOW && m_nShownState == 0) return m_brRed;
    if (id == IDC_HIGH && m_nShownState == 1) return m_brGreen;
  }
  return CGadgetWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CGadgetInputWnd::OnPaint() {
  CPaintDC dc(this);
  if (m_nMarkStyle != 0) return;
  CFont* old = GetFont() ? dc.SelectObject(GetFont()) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  CRect r = m_rcMarks;
  dc.DrawText("H", &r, DT_CENTER | DT_SINGLELINE);
  r = m_rcMarks;
  dc.DrawText("L", &r, DT_CENTER | DT_SINGLELINE | DT_BOTTOM);
  if (old) dc.SelectObject(old);
}

CControlPanelPortItem* CGadgetOutputWnd::Item() const { return dynamic_cast<CControlPanelPortItem*>(m_pItem); }

void CGadgetOutputWnd::SetSizeLimits(const CRect& t) { PortSizeLimits(*this, t); }

void CGadgetOutputWnd::Layout() {
  CRect client;
  GetClientRect(&client);
  m_rows.Fit(*this, client.Height());
  StretchCaption(*this, IDC_CAPTION);
  // "L" and "H" share the width that the margins leave.
  const int width = std::max((client.Width() - 2 * m_nButtonMargin - m_nButtonGap) / 2, 1);
  const CRect low = ChildRect(this, IDC_LOW), high = ChildRect(this, IDC_HIGH);
  MoveChild(this, IDC_LOW, m_nButtonMargin, low.top, width, low.Height());
  MoveChild(this, IDC_HIGH, client.Width() - m_nButtonMargin - width, high.top, width, high.Height());
}

void CGadgetOutputWnd::OnInitGadget() {
  m_rows.Capture(*this, {{IDC_CAPTION}, {IDC_LOW, IDC_HIGH}}, 1);
  m_nButtonMargin = ChildRect(this, IDC_LOW).left;
  m_nButtonGap = ChildRect(this, IDC_HIGH).left - ChildRect(this, IDC_LOW).right;
  Layout();
  CGadgetWnd::OnInitGadget();
}

void CGadgetOutputWnd::OnSize(UINT type, int cx, int cy) {
  CGadgetWnd::OnSize(type, cx, cy);
  if (m_pItem) Layout();
}

BOOL CGadgetOutputWnd::EditProperties() {
  return RunGadgetEditDialog<CGadgetOutputEditDlg, CControlPanelOutputItem>(*this, true, true);
}

void CGadgetOutputWnd::RefreshFromItem() {
  CGadgetWnd::RefreshFromItem();
  CControlPanelPortItem* item = Item();
  SetChildText(this, IDC_CAPTION, item ? item->m_strTitle.GetString() : "");
}

void CGadgetOutputWnd::Check(int low, int high) {
  if (GetDlgItem(IDC_LOW)) CheckDlgButton(IDC_LOW, low);
  if (GetDlgItem(IDC_HIGH)) CheckDlgButton(IDC_HIGH, high);
}

void CGadgetOutputWnd::OnStart() {
  CGadgetWnd::OnStart();
  m_nShownState = -1;
  Check(0, 0);
}

void CGadgetOutputWnd::OnUpdateValues() {
  CControlPanelPortItem* item = Item();
  if (!item || item->m_bDisabled || item->m_bState == m_nShownState) return;
  Show((signed char)item->m_bState);
}

void CGadgetOutputWnd::Show(signed char state) {
  m_nShownState = state;
  Check(state == 0, state == 1);
}

void CGadgetOutputWnd::OnStop() {
  CGadgetWnd::OnStop();
  Check(0, 0);
}

BOOL CGadgetOutputWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDC_LOW || LOWORD(wParam) == IDC_HIGH)) {
    SwitchOutput(LOWORD(wParam) == IDC_HIGH);
    return TRUE;
  }
  return CGadgetWnd::OnCommand(wParam, lParam);
}

void CGadgetOutputWnd::SwitchOutput(int high) {
  CControlPanelPortItem* item = Item();
  CMC_Document* doc = GetDocument();
  CMC_Setup* setup = doc ? doc->GetSetup() : nullptr;
  bool sent = false;
  if (item && !item->m_bDisabled && setup && PanelsRunning(*this)) {
    const int level = item->m_bInverted ? !high : high;
    const CString command = OutputCommand(setup->GetMCVersion(), item->m_nPort, level);
    const WORD oldState = item->m_bState;
    const signed char oldShown = m_nShownState;
    item->m_bState = (WORD)high;
    Show((signed char)high);
    InvalidateGadgetWords(*this, item->m_nAxis, item->m_nAddress, 1);
    sent = setup->ExecuteString(command, (WORD)(item->m_nAxis * 16), nullptr);
    if (sent) return;
    // The output did not change: keep showing what it was.
    item->m_bState = oldState;
    Show(oldShown);
  }
  if (item) item->m_bDisabled = 1;
  EnableChildren(FALSE);
}
